#include "components/font_face_table.h"

#include <gtest/gtest.h>

#include <algorithm>

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

bool StrictlyAscending(const TFaceList& faces) {
    for (size_t i = 1; i < faces.size(); ++i) {
        if (CompareTextLocale(faces[i - 1].Name, faces[i].Name) >= 0) return false;
    }
    return true;
}

TEST(FaceFlags, WordAndAttributesOfAReport) {
    struct Case {
        TFaceReport report;
        uint32_t flags;
        TFontNameFilters attributes;
    } cases[] = {
        {Report("Face", TRUETYPE_FONTTYPE, SHIFTJIS_CHARSET), TRUETYPE_FONTTYPE | kSjis, {fnfTrueType, fnfJapanese}},
        {Report("Face", RASTER_FONTTYPE, ANSI_CHARSET, 0), RASTER_FONTTYPE | ffFixedPitch, {fnfRaster, fnfFixedPitch}},
        {Report("@Face", DEVICE_FONTTYPE, SYMBOL_CHARSET), DEVICE_FONTTYPE | kSymbol, {fnfDevice, fnfSymbolFont, fnfLyingFont}},
        // The vector bit counts only when the enumeration gave no font type.
        {Report("Face", 0, ANSI_CHARSET, kVariable | TMPF_VECTOR), ffVector, {fnfVector}},
        {Report("Face", TRUETYPE_FONTTYPE, ANSI_CHARSET, kVariable | TMPF_VECTOR), TRUETYPE_FONTTYPE, {fnfTrueType}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FaceFlagsOf(c.report), c.flags) << c.report.Name << " type " << c.report.FontType;
        EXPECT_EQ(FaceAttributes(c.flags, c.report.Name), c.attributes) << std::hex << c.flags;
    }
    // A word merged from screen and printer carries both character sets ORed: neither matches.
    EXPECT_EQ(FaceAttributes(TRUETYPE_FONTTYPE | kSjis | kSymbol | ffPrinter, "Face"),
              (TFontNameFilters{fnfTrueType, fnfPrinter}));
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

TEST(FaceTableBuild, PrinterFacesMergeByNameOrGoInTheirPlace) {
    std::vector<TFaceReport> screen = {
        Report("Mincho", TRUETYPE_FONTTYPE, SHIFTJIS_CHARSET),
        Report("arial", TRUETYPE_FONTTYPE, ANSI_CHARSET),
        Report("Terminal", RASTER_FONTTYPE, ANSI_CHARSET, 0),
    };
    std::vector<TFaceReport> printer = {
        Report("Zapf Device", DEVICE_FONTTYPE, SYMBOL_CHARSET),
        Report("ARIAL", TRUETYPE_FONTTYPE, SYMBOL_CHARSET),
        Report("Courier Device", DEVICE_FONTTYPE, ANSI_CHARSET, 0),
        Report("Courier Device", DEVICE_FONTTYPE, SHIFTJIS_CHARSET, 0),  // a second charset of the same face
        Report("Aardvark", DEVICE_FONTTYPE, ANSI_CHARSET),
    };
    EXPECT_EQ(MakeFaceTable(screen, {}), (TFaceList{{"arial", TRUETYPE_FONTTYPE},
                                                    {"Mincho", TRUETYPE_FONTTYPE | kSjis},
                                                    {"Terminal", RASTER_FONTTYPE | ffFixedPitch}}));
    EXPECT_EQ(MakeFaceTable(screen, printer),
              (TFaceList{
                  {"Aardvark", DEVICE_FONTTYPE | ffPrinter | ffPrinterOnly},
                  {"arial", TRUETYPE_FONTTYPE | kSymbol | ffPrinter},  // the screen's name, the printer's word ORed in
                  {"Courier Device", DEVICE_FONTTYPE | ffFixedPitch | ffPrinter | ffPrinterOnly},
                  {"Mincho", TRUETYPE_FONTTYPE | kSjis},
                  {"Terminal", RASTER_FONTTYPE | ffFixedPitch},
                  {"Zapf Device", DEVICE_FONTTYPE | kSymbol | ffPrinter | ffPrinterOnly},
              }));
}

// The system reports a face's character sets one after another, so the enumeration lists a
// face (here one made for Latin and Japanese) once.
TEST(FaceTableBuild, ScreenEnumerationListsEachFaceOnceInOrder) {
    const std::string file = TestFontDir() + "\\SorvaneTestC.ttf";
    ASSERT_GT(AddFontResourceExA(file.c_str(), FR_PRIVATE, nullptr), 0);
    MemoryDC screen;
    TFaceList faces = MakeFaceTable(EnumerateFaces(screen.get()), {});
    RemoveFontResourceExA(file.c_str(), FR_PRIVATE, nullptr);
    EXPECT_TRUE(StrictlyAscending(faces));
    auto it = std::find_if(faces.begin(), faces.end(), [](const TFaceEntry& f) { return f.Name == "SorvaneTestC"; });
    ASSERT_NE(it, faces.end());
    EXPECT_TRUE(it->Flags & TRUETYPE_FONTTYPE);
    // The process table is made on first use, without a printer here.
    ASSERT_FALSE(FaceTable().empty());
    EXPECT_TRUE(StrictlyAscending(FaceTable()));
}

TEST(FaceTableIcons, ResourcesHoldTheTwoPictures) {
    TBitmap* trueType = TrueTypeIcon();
    TBitmap* printer = DeviceTypeIcon();
    ASSERT_TRUE(trueType && printer);
    ASSERT_EQ(trueType->Width(), 16);
    ASSERT_EQ(printer->Height(), 16);
    // Telling pixels, top row first: black background, grey "T", white; the printer's cyan lamp.
    EXPECT_EQ(trueType->Canvas().Pixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(trueType->Canvas().Pixel(2, 2), RGB(128, 128, 128));
    EXPECT_EQ(trueType->Canvas().Pixel(13, 5), RGB(255, 255, 255));
    EXPECT_EQ(trueType->Canvas().Pixel(7, 13), RGB(255, 255, 255));
    EXPECT_EQ(printer->Canvas().Pixel(11, 10), RGB(0, 255, 255));
    EXPECT_EQ(printer->Canvas().Pixel(4, 2), RGB(255, 255, 255));
    EXPECT_EQ(printer->Canvas().Pixel(3, 9), RGB(128, 128, 128));
}

}  // namespace
