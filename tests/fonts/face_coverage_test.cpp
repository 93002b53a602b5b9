#include "fonts/face_coverage.h"

#include <gtest/gtest.h>

#include "face_canvas.h"

namespace {

using Ranges = std::vector<TCharacterMap::TRange>;

std::vector<uint8_t> CmapOf(HDC dc) {
    std::vector<uint8_t> table(GetFontData(dc, 0x70616D63, 0, nullptr, 0));
    GetFontData(dc, 0x70616D63, 0, table.data(), static_cast<DWORD>(table.size()));
    return table;
}

// A cmap table of one (3, 1) format 4 subtable whose segments map [start, end] through a delta.
std::vector<uint8_t> Format4Cmap(std::initializer_list<std::pair<uint16_t, uint16_t>> segments) {
    std::vector<uint8_t> bytes;
    auto u16 = [&](uint32_t v) { bytes.insert(bytes.end(), {uint8_t(v >> 8), uint8_t(v)}); };
    const uint32_t segCountX2 = static_cast<uint32_t>(2 * segments.size());
    for (uint32_t v : {0u, 1u, 3u, 1u, 0u, 12u, 4u, 0u, 0u, segCountX2, 0u, 0u, 0u}) u16(v);
    for (auto [start, end] : segments) u16(end);
    u16(0);
    for (auto [start, end] : segments) u16(start);
    for (size_t i = 0; i < 2 * segments.size(); ++i) u16(i < segments.size() ? 1 : 0);  // deltas, no glyph arrays
    return bytes;
}

}  // namespace

// fontTools writes the generated faces' maps as format 4 with glyph arrays (every character on
// one of a few glyphs), format 12 for the characters beyond the basic plane, and a lone (3, 0)
// subtable for the symbol face.
TEST(FaceCoverage, CharacterMapsOfTheGeneratedFacesAndOfTheirTablesCutShort) {
    struct Case {
        const char* file;
        const wchar_t* family;
        Ranges ranges;
    };
    const Case cases[] = {
        {"SorvaneTestA.ttf", L"SorvaneTestA", {{0x20, 0x7E}}},
        {"private-use.ttf", L"Sorvane Private Use", {{0x0D, 0x0D}, {0x20, 0x20}, {0xE100, 0xE10F}, {0xF0000, 0xF0003}}},
        {"thai-only.ttf", L"Sorvane Thai Only", {{0x20, 0x20}, {0xE01, 0xE3A}, {0xE40, 0xE4E}}},
        {"symbol.ttf", L"Sorvane Symbol", {{0xF020, 0xF0FF}}},
    };
    for (const Case& c : cases) {
        FaceCanvas canvas(c.file, c.family);
        ASSERT_TRUE(canvas.Selected(c.family)) << c.file;
        const TCharacterMap map = TCharacterMap::OfSelectedFont(canvas.dc());
        EXPECT_EQ(map.Ranges(), c.ranges) << c.file;
        // A table cut short gives at most what the whole one holds, never characters read from
        // the bytes that follow it (here all 0xFF).
        const std::vector<uint8_t> table = CmapOf(canvas.dc());
        ASSERT_GT(table.size(), 20u);
        for (size_t cut = 0; cut < table.size(); ++cut) {
            std::vector<uint8_t> bytes(table.begin(), table.begin() + cut);
            bytes.resize(table.size() + 64, 0xFF);
            const TCharacterMap part = TCharacterMap::FromCmapTable(std::span(bytes.data(), cut));
            for (const TCharacterMap::TRange& r : part.Ranges())
                ASSERT_EQ(map.CountIn(r.first, r.last), r.last - r.first + 1) << c.file << " cut at " << cut;
        }
    }
}

TEST(FaceCoverage, SegmentsOutOfOrderCondemnTheSubtable) {
    EXPECT_EQ(TCharacterMap::FromCmapTable(Format4Cmap({{0x20, 0x7E}, {0xA0, 0xFF}, {0xFFFF, 0xFFFF}})).Ranges(),
              (Ranges{{0x20, 0x7E}, {0xA0, 0xFF}}));
    // In a damaged table each of thousands of such segments would cover the whole plane again.
    EXPECT_TRUE(TCharacterMap::FromCmapTable(Format4Cmap({{0x20, 0x7E}, {0x00, 0xFFFE}, {0x00, 0xFFFE}})).Empty());
}

TEST(FaceCoverage, MissingCharactersAreTheVisibleOnesEachOnceInOrder) {
    struct Case {
        const char* file;
        const wchar_t* family;
        std::wstring text, missing;
    };
    const Case cases[] = {
        // Spaces, controls and invisible format characters the face lacks draw nothing anyway.
        {"SorvaneTestA.ttf", L"SorvaneTestA", L"a\u3000b\u00A0c\t\r\n\u200D\u200E\uFEFF", L""},
        {"SorvaneTestA.ttf", L"SorvaneTestA", L"\u6F22a\u5B57\u6F22\u00E9", L"\u6F22\u5B57\u00E9"},
        // A character beyond the basic plane is one character, its surrogates never apart.
        {"SorvaneTestA.ttf", L"SorvaneTestA", std::wstring(L"a\U00020B9Fb\U00020B9F") + wchar_t(0xD800),
         std::wstring(L"\U00020B9F") + wchar_t(0xD800)},
        {"private-use.ttf", L"Sorvane Private Use", L"\U000F0001\U000F0009\uE100\uE110", L"\U000F0009\uE110"},
        {"kana-only.ttf", L"Sorvane Kana Only", L"Sorvane \u30AB\u30CA Only", L"SorvaneOly"},
        // A symbol face draws text through its symbol range.
        {"symbol.ttf", L"Sorvane Symbol", L"Sorvane Symbol", L""},
    };
    for (const Case& c : cases) {
        FaceCanvas canvas(c.file, c.family);
        ASSERT_TRUE(canvas.Selected(c.family)) << c.file;
        EXPECT_EQ(MissingCharacters(canvas.dc(), c.text), c.missing) << c.file << " " << testing::PrintToString(c.text);
        EXPECT_EQ(FaceCoversText(canvas.dc(), c.text), c.missing.empty()) << c.file;
    }
}

TEST(FaceCoverage, NoteOnMissingCharactersShowsAFewThenHowManyInAll) {
    const std::wstring lead = WideFromAnsi("このフォントにない文字:");
    struct Case {
        std::wstring missing, note;
    };
    const Case cases[] = {
        {L"", L""},
        {L"\u6F22\u5B57", WideFromAnsi("このフォントにない文字: 漢 字 (2)")},
        {L"ABCDEF", lead + L" A B C D E F (6)"},
        {L"ABCDEFG", WideFromAnsi("このフォントにない文字: A B C D E F … (7)")},
        {L"\U00020B9FABCDEFGHIJKL", lead + L" \U00020B9F A B C D E \u2026 (13)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MissingCharactersNote(c.missing), c.note) << testing::PrintToString(c.missing);
    EXPECT_EQ(MissingCharactersNote(L"ABC", 2), lead + L" A B \u2026 (3)");
}
