#include "components/font_face_table.h"

#include <gtest/gtest.h>

#include "support/test_env.h"
#include "widgets/graphics.h"
#include "widgets/handles.h"
#include "widgets/string_list.h"

namespace {

constexpr uint32_t kSjis = static_cast<uint32_t>(SHIFTJIS_CHARSET) << 16;
constexpr uint32_t kSymbol = static_cast<uint32_t>(SYMBOL_CHARSET) << 16;
constexpr BYTE kVariable = TMPF_FIXED_PITCH;  // the bit's name says the opposite of its meaning

TFaceReport Report(const std::string& name, DWORD type, BYTE charSet = ANSI_CHARSET, BYTE pitch = kVariable) {
    return TFaceReport{name, type, charSet, pitch};
}

std::vector<std::string> NamesOf(const TFaceList& faces) {
    std::vector<std::string> names;
    for (const TFaceEntry& f : faces) names.push_back(f.Name);
    return names;
}

TEST(FaceFlags, WordFromOneReport) {
    struct Case {
        TFaceReport report;
        uint32_t flags;
    } cases[] = {
        {Report("a", TRUETYPE_FONTTYPE), TRUETYPE_FONTTYPE},
        {Report("a", TRUETYPE_FONTTYPE, SHIFTJIS_CHARSET), TRUETYPE_FONTTYPE | kSjis},
        {Report("a", RASTER_FONTTYPE, ANSI_CHARSET, 0), RASTER_FONTTYPE | ffFixedPitch},
        {Report("a", DEVICE_FONTTYPE, SYMBOL_CHARSET), DEVICE_FONTTYPE | kSymbol},
        // The vector bit counts only when the enumeration gave no font type.
        {Report("a", 0, ANSI_CHARSET, kVariable | TMPF_VECTOR), ffVector},
        {Report("a", TRUETYPE_FONTTYPE, ANSI_CHARSET, kVariable | TMPF_VECTOR), TRUETYPE_FONTTYPE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FaceFlagsOf(c.report), c.flags) << "type " << c.report.FontType << " charset " << int(c.report.CharSet)
                                                  << " pitch " << int(c.report.PitchAndFamily);
    }
}

TEST(FaceFlags, AttributesOfAWord) {
    struct Case {
        uint32_t flags;
        const char* name;
        TFontNameFilters attributes;
    } cases[] = {
        {TRUETYPE_FONTTYPE, "Face", {fnfTrueType}},
        {DEVICE_FONTTYPE | ffPrinter | ffPrinterOnly, "Face", {fnfDevice, fnfPrinter}},
        {RASTER_FONTTYPE | ffFixedPitch, "Face", {fnfRaster, fnfFixedPitch}},
        {ffVector, "Face", {fnfVector}},
        {TRUETYPE_FONTTYPE | kSjis, "@Face", {fnfTrueType, fnfJapanese, fnfLyingFont}},
        {TRUETYPE_FONTTYPE | kSymbol, "Face", {fnfTrueType, fnfSymbolFont}},
        // A word merged from screen and printer carries both character sets ORed: neither matches.
        {TRUETYPE_FONTTYPE | kSjis | kSymbol | ffPrinter, "Face", {fnfTrueType, fnfPrinter}},
        {0, "", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FaceAttributes(c.flags, c.name).Bits(), c.attributes.Bits()) << std::hex << c.flags << " " << c.name;
    }
}

TEST(FaceTableBuild, RepeatedReportKeepsTheFirstUntilAnotherFaceComesBetween) {
    TFaceList faces = CollectFaces({
        Report("Gothic", TRUETYPE_FONTTYPE, ANSI_CHARSET),
        Report("GOTHIC", TRUETYPE_FONTTYPE, SHIFTJIS_CHARSET),  // same face, any case
        Report("Gothic", RASTER_FONTTYPE, SYMBOL_CHARSET, 0),
        Report("Mincho", TRUETYPE_FONTTYPE, SHIFTJIS_CHARSET),
        Report("Gothic", TRUETYPE_FONTTYPE, SHIFTJIS_CHARSET),
    });
    EXPECT_EQ(faces, (TFaceList{{"Gothic", TRUETYPE_FONTTYPE},
                                {"Mincho", TRUETYPE_FONTTYPE | kSjis},
                                {"Gothic", TRUETYPE_FONTTYPE | kSjis}}));
}

TEST(FaceTableBuild, SortsWithoutRegardToCase) {
    TFaceList table = MakeFaceTable({Report("beta", 4), Report("Alpha", 4), Report("GAMMA", 4), Report("alphabet", 4)}, {});
    EXPECT_EQ(NamesOf(table), (std::vector<std::string>{"Alpha", "alphabet", "beta", "GAMMA"}));
    EXPECT_EQ(FindFace(table, "ALPHABET"), 1);
    EXPECT_EQ(FindFace(table, "gamma"), 3);
    EXPECT_EQ(FindFace(table, "delta"), -1);
    EXPECT_EQ(FindFace({}, "delta"), -1);
}

TEST(FaceTableBuild, PrinterFacesMergeByNameOrGoInTheirPlace) {
    std::vector<TFaceReport> screen = {
        Report("Mincho", TRUETYPE_FONTTYPE, SHIFTJIS_CHARSET),
        Report("Arial", TRUETYPE_FONTTYPE, ANSI_CHARSET),
        Report("Terminal", RASTER_FONTTYPE, ANSI_CHARSET, 0),
    };
    std::vector<TFaceReport> printer = {
        Report("Zapf Device", DEVICE_FONTTYPE, SYMBOL_CHARSET),
        Report("arial", TRUETYPE_FONTTYPE, SYMBOL_CHARSET),
        Report("Courier Device", DEVICE_FONTTYPE, ANSI_CHARSET, 0),
        Report("Courier Device", DEVICE_FONTTYPE, SHIFTJIS_CHARSET, 0),  // a second charset of the same face
        Report("Aardvark", DEVICE_FONTTYPE, ANSI_CHARSET),
    };
    EXPECT_EQ(MakeFaceTable(screen, printer),
              (TFaceList{
                  {"Aardvark", DEVICE_FONTTYPE | ffPrinter | ffPrinterOnly},
                  {"Arial", TRUETYPE_FONTTYPE | kSymbol | ffPrinter},  // screen name and word kept, printer's ORed in
                  {"Courier Device", DEVICE_FONTTYPE | ffFixedPitch | ffPrinter | ffPrinterOnly},
                  {"Mincho", TRUETYPE_FONTTYPE | kSjis},
                  {"Terminal", RASTER_FONTTYPE | ffFixedPitch},
                  {"Zapf Device", DEVICE_FONTTYPE | kSymbol | ffPrinter | ffPrinterOnly},
              }));
}

TEST(FaceTableBuild, WithoutPrinterNoFaceHasPrinterBits) {
    TFaceList table = MakeFaceTable({Report("Arial", TRUETYPE_FONTTYPE), Report("Device", DEVICE_FONTTYPE)}, {});
    for (const TFaceEntry& face : table) EXPECT_EQ(face.Flags & (ffPrinter | ffPrinterOnly), 0u) << face.Name;
}

TEST(FaceTableBuild, EnumeratesAFontOnceWithItsName) {
    const std::string file = TestFontDir() + "\\SorvaneTestC.ttf";
    ASSERT_GT(AddFontResourceA(file.c_str()), 0);
    MemoryDC screen;
    TFaceList faces = CollectFaces(EnumerateFaces(screen.get()));
    RemoveFontResourceA(file.c_str());
    int listed = 0;
    for (const TFaceEntry& face : faces) {
        if (face.Name != "SorvaneTestC") continue;
        ++listed;
        EXPECT_TRUE(face.Flags & TRUETYPE_FONTTYPE);
    }
    EXPECT_EQ(listed, 1);
}

bool StrictlyAscending(const TFaceList& faces) {
    for (size_t i = 1; i < faces.size(); ++i) {
        if (CompareTextLocale(faces[i - 1].Name, faces[i].Name) >= 0) return false;
    }
    return true;
}

// The system reports a face's character sets one after another, so no face is listed twice.
TEST(FaceTableBuild, ProcessTableIsSortedAndListsEachFaceOnce) {
    MemoryDC screen;
    TFaceList fresh = MakeFaceTable(EnumerateFaces(screen.get()), {});
    ASSERT_FALSE(fresh.empty());
    EXPECT_TRUE(StrictlyAscending(fresh));
    // The process table was made once, earlier; fonts registered since may differ.
    ASSERT_FALSE(FaceTable().empty());
    EXPECT_TRUE(StrictlyAscending(FaceTable()));
}

// The two list icons, as drawn for the program: . black, + grey, # white, c cyan.
const char* const kTrueTypeIcon[16] = {
    "................", "................", "..++++++++......", "..++.++.++......",
    "..+..++..+......", ".....+########..", ".....+##.##.##..", ".....+#..##..#..",
    ".....+#..##..#..", ".....++..##.....", "...++++++##.....", ".........##.....",
    ".........##.....", ".......######...", "................", "................",
};
const char* const kPrinterIcon[16] = {
    "................", "................", "....#####.......", "....#...##......",
    "....#.++#.#.....", "....#...####....", "....#.++++.#....", "....#......#....",
    "...##########...", "..#+.+.+.+.+.#..", "..#.+.+.+.+c+#..", "...##########...",
    "...#++++++++#...", "....########....", "................", "................",
};

COLORREF IconColour(char c) {
    switch (c) {
    case '+': return RGB(128, 128, 128);
    case '#': return RGB(255, 255, 255);
    case 'c': return RGB(0, 255, 255);
    default: return RGB(0, 0, 0);
    }
}

TEST(FaceTableIcons, ResourcesHoldTheTwoPictures) {
    struct Case {
        TBitmap* icon;
        const char* const* rows;
        const char* name;
    } cases[] = {{TrueTypeIcon(), kTrueTypeIcon, "TrueTypeIcon"}, {DeviceTypeIcon(), kPrinterIcon, "DeviceTypeIcon"}};
    for (const Case& c : cases) {
        ASSERT_NE(c.icon, nullptr) << c.name;
        ASSERT_EQ(c.icon->Width(), 16);
        ASSERT_EQ(c.icon->Height(), 16);
        int wrong = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) wrong += c.icon->Canvas().Pixel(x, y) != IconColour(c.rows[y][x]);
        }
        EXPECT_EQ(wrong, 0) << c.name;
    }
}

}  // namespace
