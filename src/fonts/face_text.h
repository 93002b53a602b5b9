#pragma once
#include <windows.h>

#include <string>

#include "widgets/graphics.h"

// A drawing shows `text` in `face`, or the face name when the text is empty. The face name comes
// from a font file, in UTF-16; the text is the user's, in the code page.
inline SIZE TextToDrawExtent(TCanvas& canvas, const std::wstring& face, const std::string& text) {
    return text.empty() ? canvas.TextExtent(face) : canvas.TextExtent(text);
}

// Makes `canvas`'s font the installed family `face` at `size` points, in the character set
// FindFaceLogFont picks for it. False, leaving the font alone, when the fonts `window`'s device
// context sees (WithFontDC) hold no family named exactly `face`.
bool SelectFaceFont(TCanvas& canvas, HWND window, const std::wstring& face, int size);

// Draws `text` (the face name when empty) at (x, y) of `canvas` in `face` at `size` points with
// the canvas's colours; nothing when the face is not installed. The main window's drawings and
// the font vetting helper both draw through here, so that the helper tries exactly what the
// window is about to do.
bool DrawFaceText(TCanvas& canvas, HWND window, const std::wstring& face, const std::string& text, int x, int y,
                  int size);
