#include "fonts/face_coverage.h"

#include <algorithm>
#include <unordered_set>

namespace {

constexpr DWORD kCmapTag = 0x70616D63;  // "cmap" as GetFontData takes a tag
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr WORD kNoGlyph = 0xFFFF;  // GetGlyphIndicesW's mark for a missing glyph

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Big-endian reads that answer false instead of reading past the table.
struct TableReader {
    std::span<const uint8_t> bytes;

    bool U16(size_t at, uint32_t& value) const {
        if (at > bytes.size() || bytes.size() - at < 2) return false;
        value = static_cast<uint32_t>(bytes[at] << 8 | bytes[at + 1]);
        return true;
    }
    bool U32(size_t at, uint32_t& value) const {
        if (at > bytes.size() || bytes.size() - at < 4) return false;
        value = static_cast<uint32_t>(bytes[at]) << 24 | static_cast<uint32_t>(bytes[at + 1]) << 16 |
                static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
        return true;
    }
};

void AddCharacter(std::vector<TCharacterMap::TRange>& ranges, char32_t c) {
    if (!ranges.empty() && ranges.back().last + 1 == c) {
        ranges.back().last = c;
    } else {
        ranges.push_back({c, c});
    }
}

// Segments of start and end codes, each mapped through a delta or through an array of glyphs.
bool ReadFormat4(const TableReader& table, size_t at, std::vector<TCharacterMap::TRange>& ranges) {
    uint32_t segCountX2 = 0;
    if (!table.U16(at + 6, segCountX2) || segCountX2 == 0 || segCountX2 % 2 != 0) return false;
    const size_t ends = at + 14, starts = ends + segCountX2 + 2, deltas = starts + segCountX2,
                 rangeOffsets = deltas + segCountX2;
    uint32_t next = 0;  // segments come in order, apart
    for (size_t seg = 0; seg < segCountX2; seg += 2) {
        uint32_t end = 0, start = 0, delta = 0, rangeOffset = 0;
        if (!table.U16(ends + seg, end) || !table.U16(starts + seg, start) || !table.U16(deltas + seg, delta) ||
            !table.U16(rangeOffsets + seg, rangeOffset))
            return false;
        // Overlapping segments of a damaged table could make billions of characters to look up.
        if (start < next) return false;
        next = end + 1;
        // The closing segment maps 0xFFFF, which is no character.
        end = std::min<uint32_t>(end, 0xFFFE);
        for (uint32_t c = start; c <= end; ++c) {
            uint32_t glyph = 0;
            if (rangeOffset == 0) {
                glyph = (c + delta) & 0xFFFF;
            } else if (!table.U16(rangeOffsets + seg + rangeOffset + 2 * (c - start), glyph)) {
                break;  // the glyph array runs past the table: the rest of the segment is unreadable
            } else if (glyph != 0) {
                glyph = (glyph + delta) & 0xFFFF;
            }
            if (glyph != 0 && !IsSurrogate(static_cast<wchar_t>(c))) AddCharacter(ranges, c);
        }
    }
    return true;
}

// Groups of consecutive characters: format 12 maps them to consecutive glyphs, format 13 all to
// one glyph.
bool ReadGroups(const TableReader& table, size_t at, bool oneGlyph, std::vector<TCharacterMap::TRange>& ranges) {
    uint32_t groups = 0;
    if (!table.U32(at + 12, groups)) return false;
    if (groups > (table.bytes.size() - std::min(table.bytes.size(), at + 16)) / 12) return false;
    for (uint32_t g = 0; g < groups; ++g) {
        uint32_t first = 0, last = 0, glyph = 0;
        const size_t group = at + 16 + 12 * size_t(g);
        if (!table.U32(group, first) || !table.U32(group + 4, last) || !table.U32(group + 8, glyph)) return false;
        last = std::min<uint32_t>(last, kLastCodePoint);
        if (first > last) continue;
        if (glyph == 0) {  // mapped to the missing glyph: all of a one-glyph group, else its first
            if (oneGlyph || first == last) continue;
            ++first;
        }
        ranges.push_back({first, last});
    }
    return true;
}

// How much a subtable is preferred: the full-range Unicode ones, then the basic-plane ones, the
// symbol one last; 0 for ones of no use here.
int Preference(uint32_t platform, uint32_t encoding, uint32_t format) {
    const bool unicode = platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
    if (unicode && (format == 12 || format == 13)) return 4;
    if (unicode && format == 4) return platform == 3 ? 3 : 2;
    if (platform == 3 && encoding == 0 && format == 4) return 1;
    return 0;
}

}  // namespace

TCharacterMap::TCharacterMap(std::vector<TRange> ranges) {
    std::sort(ranges.begin(), ranges.end(), [](const TRange& a, const TRange& b) { return a.first < b.first; });
    for (const TRange& r : ranges) {
        if (r.first > r.last) continue;
        if (!ranges_.empty() && r.first <= ranges_.back().last + 1) {
            ranges_.back().last = std::max(ranges_.back().last, r.last);
        } else {
            ranges_.push_back(r);
        }
    }
}

TCharacterMap TCharacterMap::FromCmapTable(std::span<const uint8_t> bytes) {
    const TableReader table{bytes};
    uint32_t count = 0;
    if (!table.U16(2, count)) return {};
    // Every usable subtable, best first; a damaged one gives way to the next.
    struct Candidate {
        int preference;
        uint32_t offset, format;
    };
    std::vector<Candidate> candidates;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t platform = 0, encoding = 0, offset = 0, format = 0;
        if (!table.U16(4 + 8 * i, platform) || !table.U16(6 + 8 * i, encoding) || !table.U32(8 + 8 * i, offset) ||
            !table.U16(offset, format))
            break;
        if (const int preference = Preference(platform, encoding, format))
            candidates.push_back({preference, offset, format});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.preference > b.preference; });
    for (const Candidate& c : candidates) {
        std::vector<TRange> ranges;
        const bool read = c.format == 4 ? ReadFormat4(table, c.offset, ranges)
                                        : ReadGroups(table, c.offset, c.format == 13, ranges);
        if (read) return TCharacterMap(std::move(ranges));
    }
    return {};
}

TCharacterMap TCharacterMap::OfSelectedFont(HDC dc) {
    const DWORD size = GetFontData(dc, kCmapTag, 0, nullptr, 0);
    if (size != GDI_ERROR && size > 0) {
        std::vector<uint8_t> table(size);
        if (GetFontData(dc, kCmapTag, 0, table.data(), size) == size) {
            TCharacterMap map = FromCmapTable(table);
            if (!map.Empty()) return map;
        }
    }
    const DWORD setSize = GetFontUnicodeRanges(dc, nullptr);
    if (setSize < sizeof(GLYPHSET)) return {};
    std::vector<uint8_t> buffer(setSize);
    auto* set = reinterpret_cast<GLYPHSET*>(buffer.data());
    set->cbThis = setSize;
    if (GetFontUnicodeRanges(dc, set) == 0) return {};
    const DWORD rangeCount = std::min<DWORD>(set->cRanges, (setSize - offsetof(GLYPHSET, ranges)) / sizeof(WCRANGE));
    std::vector<TRange> ranges;
    for (DWORD i = 0; i < rangeCount; ++i) {
        const WCRANGE& r = set->ranges[i];
        if (r.cGlyphs > 0) ranges.push_back({r.wcLow, static_cast<char32_t>(r.wcLow + r.cGlyphs - 1)});
    }
    return TCharacterMap(std::move(ranges));
}

bool TCharacterMap::Contains(char32_t c) const {
    auto after = std::upper_bound(ranges_.begin(), ranges_.end(), c,
                                  [](char32_t value, const TRange& r) { return value < r.first; });
    return after != ranges_.begin() && c <= std::prev(after)->last;
}

size_t TCharacterMap::CountIn(char32_t first, char32_t last) const {
    size_t count = 0;
    // A face of a large script can have thousands of ranges: start at the first that reaches `first`.
    auto r = std::lower_bound(ranges_.begin(), ranges_.end(), first,
                              [](const TRange& range, char32_t value) { return range.last < value; });
    for (; r != ranges_.end() && r->first <= last; ++r)
        count += std::min(r->last, last) - std::max(r->first, first) + 1;
    return count;
}

bool IsInvisibleCharacter(char32_t c) {
    return c <= 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0x1680 || (c >= 0x2000 && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202F) || (c >= 0x205F && c <= 0x2064) || c == 0x3000 || c == 0xFEFF;
}

std::vector<char32_t> CodePointsOf(const std::wstring& text) {
    std::vector<char32_t> result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            result.push_back(0x10000 + ((char32_t(text[i]) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            result.push_back(text[i]);
        }
    }
    return result;
}

void AppendCodePoint(std::wstring& text, char32_t c) {
    if (c < 0x10000) {
        text += static_cast<wchar_t>(c);
    } else {
        c -= 0x10000;
        text += static_cast<wchar_t>(0xD800 + (c >> 10));
        text += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    }
}

namespace {

// Calls `missing(c)` for each visible character of `text` the selected font has no glyph for,
// in order, until it returns false. The basic plane is asked of the system in one call, as the
// system draws it (a symbol font's U+0020..U+00FF included); characters beyond it, which that
// call cannot take, of the character map.
template <class F>
void ForEachMissing(HDC dc, const std::wstring& text, F missing) {
    if (text.empty()) return;
    WORD small[64];
    std::vector<WORD> large;
    WORD* glyphs = small;
    if (text.size() > std::size(small)) {
        large.resize(text.size());
        glyphs = large.data();
    }
    if (GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs, GGI_MARK_NONEXISTING_GLYPHS) ==
        GDI_ERROR)
        return;
    bool mapRead = false;
    TCharacterMap map;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            const char32_t c = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[++i]) - 0xDC00);
            if (!mapRead) {
                map = TCharacterMap::OfSelectedFont(dc);
                mapRead = true;
            }
            if (!map.Contains(c) && !IsInvisibleCharacter(c) && !missing(c)) return;
        } else if (glyphs[i] == kNoGlyph && !IsInvisibleCharacter(unit) && !missing(unit)) {
            return;
        }
    }
}

}  // namespace

bool FaceCoversText(HDC dc, const std::wstring& text) {
    bool covered = true;
    ForEachMissing(dc, text, [&](char32_t) { return covered = false; });
    return covered;
}

std::wstring MissingCharacters(HDC dc, const std::wstring& text) {
    std::wstring result;
    std::unordered_set<char32_t> seen;
    ForEachMissing(dc, text, [&](char32_t c) {
        if (seen.insert(c).second) AppendCodePoint(result, c);
        return true;
    });
    return result;
}

std::wstring MissingCharactersNote(const std::wstring& missing, size_t shown) {
    const std::vector<char32_t> characters = CodePointsOf(missing);
    if (characters.empty()) return std::wstring();
    // このフォントにない文字:
    std::wstring note = L"\u3053\u306E\u30D5\u30A9\u30F3\u30C8\u306B\u306A\u3044\u6587\u5B57:";
    for (size_t i = 0; i < characters.size() && i < shown; ++i) {
        note += L' ';
        AppendCodePoint(note, characters[i]);
    }
    if (characters.size() > shown) note += L" \u2026";
    note += L" (" + std::to_wstring(characters.size()) + L")";
    return note;
}
