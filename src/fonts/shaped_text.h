#pragma once
#include <windows.h>
#include <usp10.h>

#include <string>

// Drawing a text as its script is written: Arabic letters joined, Indic clusters formed, Thai
// and Khmer marks on their bases. The system's script-shaping library (Uniscribe) does it; it is
// bound from the system folder at the first text that needs it, so that drawing texts of simple
// scripts, as most thumbnails are, never loads it. Without the library, texts draw unshaped.

// Whether `text` holds characters whose drawing depends on their neighbours: combining marks,
// right-to-left and complex scripts, joiners and direction controls, characters beyond the basic
// plane. A text without any draws the same either way.
bool NeedsShaping(const std::wstring& text);

// The library's entries in use. Empty members: the library or the entry is missing.
struct TShapingApi {
    decltype(&::ScriptStringAnalyse) StringAnalyse = nullptr;
    decltype(&::ScriptStringOut) StringOut = nullptr;
    decltype(&::ScriptStringFree) StringFree = nullptr;
    decltype(&::ScriptString_pSize) StringSize = nullptr;

    bool Available() const { return StringAnalyse && StringOut && StringFree && StringSize; }
};
// Bound at the first call; tests replace it to draw as on a system without the library.
TShapingApi& ShapingApi();
// Binds the library's entries again.
void ResetShapingApi();

// Draws `text` at (x, y) of `dc` as TextOut places it, in the selected font, text colour and
// background mode: shaped when it needs shaping and the library is there, else as ExtTextOutW
// draws it. Only the selected font's glyphs: a character it lacks draws its missing-glyph
// shape, never another font's glyph.
void DrawShapedText(HDC dc, int x, int y, const std::wstring& text);
// The size DrawShapedText covers for `text`.
SIZE ShapedTextExtent(HDC dc, const std::wstring& text);
