#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "fonts/face_coverage.h"

// What a thumbnail draws in a face: the text asked for when the face can draw it, else a short
// sample the face can draw, so that a face with no glyphs for its own name still shows itself
// instead of a row of missing-glyph boxes.

enum class TSampleKind : uint8_t {
    Asked,         // the text asked for
    Script,        // the sample of the script the face covers most
    CharacterMap,  // the first visible characters of the face's character map
};

struct TFaceSample {
    std::wstring text;
    TSampleKind kind = TSampleKind::Asked;

    bool operator==(const TFaceSample&) const = default;
};

// How many characters a CharacterMap sample takes.
inline constexpr size_t kCharacterMapSampleLength = 6;

// The sample for a face of `map`: of the scripts whose sample the map holds whole, the one it
// holds most characters of (the first listed on a tie); for a face no sample fits, its first
// visible characters. An empty Asked sample when the map is empty.
TFaceSample SampleForCharacterMap(const TCharacterMap& map);

// What to draw of `text` in the font selected into `dc`: `text` itself (Asked) when the font
// has every visible character of it or is a symbol font (its name draws through the symbol
// range), or when nothing better can be found; else SampleForCharacterMap of its map. The
// common case, a face that has its text, costs one GetGlyphIndicesW call. Samples of scripts
// such as Arabic and Thai want DrawShapedText.
TFaceSample ChooseFaceSample(HDC dc, const std::wstring& text);
