#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Which characters a face has glyphs for. Texts are UTF-16; a character outside the basic
// plane is its surrogate pair, and counts as one character.

// The characters a face's character map gives a glyph (glyph 0, the missing-glyph shape, does
// not count), as sorted, disjoint ranges of code points.
class TCharacterMap {
public:
    struct TRange {
        char32_t first, last;
        bool operator==(const TRange&) const = default;
    };

    TCharacterMap() = default;
    // Ranges in any order, overlapping or adjacent ones merged.
    explicit TCharacterMap(std::vector<TRange> ranges);

    // The font's `cmap` table: the Unicode subtable that holds the most (format 12 or 13 for the
    // whole range, else format 4), else the symbol subtable (its characters at U+F020..U+F0FF).
    // Empty when none can be read; every offset is checked against the bytes given.
    static TCharacterMap FromCmapTable(std::span<const uint8_t> table);
    // The map of the font selected into `dc`, from its `cmap` table; without one (not a
    // TrueType font), the basic-plane ranges the system reports for it.
    static TCharacterMap OfSelectedFont(HDC dc);

    bool Contains(char32_t c) const;
    // How many characters of [first, last] the map holds.
    size_t CountIn(char32_t first, char32_t last) const;
    const std::vector<TRange>& Ranges() const { return ranges_; }
    bool Empty() const { return ranges_.empty(); }

private:
    std::vector<TRange> ranges_;
};

// Characters that draw nothing, so a face need not have them: controls, spaces, line and
// paragraph separators, and the invisible format characters (joiners, direction marks, the
// byte-order mark).
bool IsInvisibleCharacter(char32_t c);

// The characters of `text`: surrogate pairs joined, a lone surrogate kept as it is.
std::vector<char32_t> CodePointsOf(const std::wstring& text);
void AppendCodePoint(std::wstring& text, char32_t c);

// Whether the font selected into `dc` has a glyph for every visible character of `text`. For a
// text of the basic plane this is one GetGlyphIndicesW call, cheap enough for every thumbnail;
// when the system cannot tell, the text counts as covered.
bool FaceCoversText(HDC dc, const std::wstring& text);

// The visible characters of `text` that the font selected into `dc` has no glyph for: each once,
// in the order they first appear.
std::wstring MissingCharacters(HDC dc, const std::wstring& text);

// The preview's note on `missing` (as MissingCharacters gives it): the first `shown` characters
// between spaces, an ellipsis when there are more, then how many there are in all:
// "このフォントにない文字: 漢 字 (2)". Empty when nothing is missing.
std::wstring MissingCharactersNote(const std::wstring& missing, size_t shown = 6);
