// How the font-name list box draws its items, read back from the pixels.
#include <gtest/gtest.h>

#include <memory>

#include "components/font_name_list_box.h"
#include "gui_test_support.h"

namespace {

std::string TestFontFile(const char* family) { return TestFontDir() + "\\" + family + ".ttf"; }

class ItemDrawingTest : public ::testing::Test {
protected:
    // Box glyphs: every character of these faces is a solid block of the text colour.
    static void SetUpTestSuite() {
        for (const char* f : {"SorvaneTestA", "SorvaneTestB"}) AddFontResourceExA(TestFontFile(f).c_str(), FR_PRIVATE, nullptr);
    }
    static void TearDownTestSuite() {
        for (const char* f : {"SorvaneTestA", "SorvaneTestB"}) RemoveFontResourceExA(TestFontFile(f).c_str(), FR_PRIVATE, nullptr);
    }

    void SetUp() override {
        realTable_ = FaceTable();
        TFaceList faces = {
            {"JP Gothic", TRUETYPE_FONTTYPE | (SHIFTJIS_CHARSET << 16)},
            {"Printer Only", DEVICE_FONTTYPE | ffPrinter | ffPrinterOnly},
            {"Raster Face", RASTER_FONTTYPE},
            {"Shared TT", TRUETYPE_FONTTYPE | ffPrinter},
            {"SorvaneTestB", TRUETYPE_FONTTYPE},
        };
        SortFaces(faces);
        InstallFaceTable(faces);
        list_ = std::make_unique<TFontNameListBox>(nullptr);
        list_->SetBounds(0, 0, 240, 160);
        list_->SetParent(&HostForm());
        list_->Font().SetName("SorvaneTestA");
        PumpFor(20);
    }
    void TearDown() override {
        list_.reset();
        InstallFaceTable(realTable_);
    }

    // Draws the face's item, unselected, at `rect` of a fresh picture, as the drawing message does.
    void Render(const std::string& face, TBitmap& picture, RECT rect = {0, 0, 200, 16}) {
        picture.SetSize(200, rect.bottom);
        int index = static_cast<int>(SendMessageA(list_->Handle(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(face.c_str())));
        ASSERT_GE(index, 0) << face;
        picture.Canvas().Font() = list_->Font();
        list_->DrawItem(index, rect, 0, picture.Canvas());
    }

    // Pixels of `colour` in columns from x0 on.
    static int Count(TBitmap& picture, int x0, COLORREF colour) {
        int n = 0;
        for (int y = 0; y < picture.Height(); ++y) {
            for (int x = x0; x < picture.Width(); ++x) n += picture.Canvas().Pixel(x, y) == colour;
        }
        return n;
    }

    int FirstInkColumn(TBitmap& picture) const {
        for (int x = 0; x < picture.Width(); ++x) {
            for (int y = 0; y < picture.Height(); ++y) {
                if (picture.Canvas().Pixel(x, y) != background_) return x;
            }
        }
        return -1;
    }

    // Whether the 16 x 16 block at (x, y) shows `icon` XORed onto `under` (just `under` without one).
    static bool ShowsIcon(TBitmap& picture, int x, int y, TBitmap* icon, COLORREF under) {
        for (int iy = 0; iy < 16; ++iy) {
            for (int ix = 0; ix < 16; ++ix) {
                COLORREF want = icon ? (under ^ icon->Canvas().Pixel(ix, iy)) & 0xFFFFFF : under;
                if (picture.Canvas().Pixel(x + ix, y + iy) != want) return false;
            }
        }
        return true;
    }

    std::unique_ptr<TFontNameListBox> list_;
    const COLORREF background_ = ColorToRGB(clWindow);

private:
    TFaceList realTable_;
};

TEST_F(ItemDrawingTest, TextStartsTwentyPixelsInWithIconsAndTwoWithout) {
    for (const char* face : {"Raster Face", "Shared TT"}) {  // without and with an icon
        TBitmap withIcons, plain;
        list_->SetIconVisible(true);
        Render(face, withIcons);
        list_->SetIconVisible(false);
        Render(face, plain);
        int textStart = FirstInkColumn(plain);
        EXPECT_GE(textStart, 2) << face;
        EXPECT_LE(textStart, 4) << face;  // 2 and the glyph's own left bearing
        // The same text, moved right by 18.
        int differing = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 18; x < 200; ++x) differing += withIcons.Canvas().Pixel(x, y) != plain.Canvas().Pixel(x - 18, y);
        }
        EXPECT_EQ(differing, 0) << face;
    }
}

TEST_F(ItemDrawingTest, IconFollowsPriorityAndCollectedAttributes) {
    const TFontNameFilters all = TFontNameFilters::FromBits(255);
    TBitmap *trueType = TrueTypeIcon(), *printer = DeviceTypeIcon();
    ASSERT_TRUE(trueType && printer);
    struct Case {
        const char* face;
        TFontIconPriority priority;
        TFontNameFilters collect;
        TBitmap* icon;
    } cases[] = {
        {"Shared TT", fipTrueType, all, trueType},
        {"Shared TT", fipPrinter, all, printer},
        {"Shared TT", fipPrinter, all - fnfPrinter, trueType},
        {"Printer Only", fipTrueType, all, printer},
        {"JP Gothic", fipPrinter, all, trueType},
        {"Raster Face", fipTrueType, all, nullptr},
        {"Raster Face", fipPrinter, all, nullptr},
    };
    for (const Case& c : cases) {
        list_->SetCollectFilters(c.collect);
        list_->SetIconPriority(c.priority);
        TBitmap picture;
        Render(c.face, picture, RECT{0, 10, 200, 30});  // 20 high: the icon is centred at y = 10 + 2
        EXPECT_TRUE(ShowsIcon(picture, 2, 12, c.icon, background_)) << c.face << " priority " << int(c.priority);
        int outside = 0;  // above the item
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 200; ++x) outside += picture.Canvas().Pixel(x, y) != background_;
        }
        EXPECT_EQ(outside, 0) << c.face;
    }
}

TEST_F(ItemDrawingTest, DisabledListDrawsGreyTextAndTheSameIcons) {
    const COLORREF text = ColorToRGB(clWindowText), grey = ColorToRGB(clGrayText);
    TBitmap enabled, disabled;
    Render("Shared TT", enabled);
    list_->SetEnabled(false);
    Render("Shared TT", disabled);
    EXPECT_GT(Count(enabled, 20, text), 20);
    EXPECT_EQ(Count(enabled, 20, grey), 0);
    EXPECT_GT(Count(disabled, 20, grey), 20);
    EXPECT_EQ(Count(disabled, 20, text), 0);
    EXPECT_TRUE(ShowsIcon(disabled, 2, 0, TrueTypeIcon(), background_));
}

TEST_F(ItemDrawingTest, TextFontFaceDrawsEachNameInItsOwnFaceAtTheListSize) {
    TBitmap ownFace, listFace, expected;
    list_->Font().SetName("ＭＳ Ｐゴシック");
    list_->SetTextFontFace(true);
    Render("SorvaneTestB", ownFace);
    list_->SetTextFontFace(false);
    Render("SorvaneTestB", listFace);
    list_->Font().SetName("SorvaneTestB");  // what that face at the list's height gives
    list_->Font().SetCharset(DEFAULT_CHARSET);
    Render("SorvaneTestB", expected);
    int differing = 0, fromListFace = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 200; ++x) {
            differing += ownFace.Canvas().Pixel(x, y) != expected.Canvas().Pixel(x, y);
            fromListFace += ownFace.Canvas().Pixel(x, y) != listFace.Canvas().Pixel(x, y);
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(fromListFace, 0);
}

// A face without the letters of its name would show boxes there: the name comes in the list's
// own font, so that the face can be found by it, and what the face does draw follows.
TEST_F(ItemDrawingTest, AFaceThatCannotDrawItsNameShowsItInTheListsFontThenItsSample) {
    const std::string kana = TestFontDir() + "\\kana-only.ttf";
    ASSERT_GT(AddFontResourceExA(kana.c_str(), FR_PRIVATE, nullptr), 0);
    InstallFaceTable({{"SorvaneTestB", TRUETYPE_FONTTYPE}, {"Sorvane Kana Only", TRUETYPE_FONTTYPE}});
    list_->RebuildItems();
    list_->SetIconVisible(false);
    TBitmap ownFace, listFace;
    list_->SetTextFontFace(true);
    Render("Sorvane Kana Only", ownFace, RECT{0, 0, 200, 20});
    list_->SetTextFontFace(false);
    Render("Sorvane Kana Only", listFace, RECT{0, 0, 200, 20});
    RemoveFontResourceExA(kana.c_str(), FR_PRIVATE, nullptr);
    auto inkColumns = [this](TBitmap& picture) {
        std::vector<int> columns;
        for (int x = 0; x < picture.Width(); ++x) {
            bool ink = false;
            for (int y = 0; y < picture.Height() && !ink; ++y) ink = picture.Canvas().Pixel(x, y) != background_;
            if (ink) columns.push_back(x);
        }
        return columns;
    };
    const std::vector<int> name = inkColumns(listFace), shown = inkColumns(ownFace);
    ASSERT_FALSE(name.empty());
    int differing = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x <= name.back(); ++x) differing += ownFace.Canvas().Pixel(x, y) != listFace.Canvas().Pixel(x, y);
    }
    EXPECT_EQ(differing, 0);  // the name, as the list's font draws it
    ASSERT_FALSE(shown.empty());
    EXPECT_GT(shown.back(), name.back() + 4);  // then the sample, apart from it
}

// Through the platform: the list's own painting, read from its window.
TEST_F(ItemDrawingTest, WindowShowsIconsSelectionAndGreyTextAfterTheEnableMessage) {
    list_->SetValue("Shared TT");
    const int height = list_->ItemHeight();
    HWND window = list_->Handle();
    // Only what the list itself invalidated is painted again.
    auto paintedRow = [&](const char* face, TBitmap& row) {
        UpdateWindow(window);
        PumpFor(20);
        int index = static_cast<int>(SendMessageA(window, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(face)));
        row.SetSize(200, height);
        HDC dc = GetDC(window);
        BitBlt(row.Canvas().Handle(), 0, 0, 200, height, dc, 0, index * height, SRCCOPY);
        ReleaseDC(window, dc);
    };
    TBitmap selected, plain, disabled;
    InvalidateRect(window, nullptr, TRUE);
    paintedRow("Shared TT", selected);
    EXPECT_TRUE(ShowsIcon(selected, 2, 0, TrueTypeIcon(), ColorToRGB(clHighlight)));
    EXPECT_GT(Count(selected, 20, ColorToRGB(clHighlightText)), 20);
    paintedRow("JP Gothic", plain);
    EXPECT_TRUE(ShowsIcon(plain, 2, 0, TrueTypeIcon(), background_));
    EXPECT_GT(Count(plain, 20, ColorToRGB(clWindowText)), 20);

    // Disabled the way a modal dialog disables its owner's windows: by the message alone.
    EnableWindow(window, FALSE);
    paintedRow("JP Gothic", disabled);
    EXPECT_GT(Count(disabled, 20, ColorToRGB(clGrayText)), 20);
    EXPECT_EQ(Count(disabled, 20, ColorToRGB(clWindowText)), 0);
}

}  // namespace
