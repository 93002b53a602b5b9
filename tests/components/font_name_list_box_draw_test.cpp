// How the font-name list box draws its items, read back from the pixels.
#include <gtest/gtest.h>

#include <memory>

#include "components/font_name_list_box.h"
#include "gui_test_support.h"

namespace {

constexpr uint32_t kTT = TRUETYPE_FONTTYPE;
constexpr uint32_t kSjis = static_cast<uint32_t>(SHIFTJIS_CHARSET) << 16;

std::string TestFontFile(const char* family) { return TestFontDir() + "\\" + family + ".ttf"; }

// 0x00BBGGRR of both, so the XOR of two colours is the XOR of the words.
COLORREF Xor(COLORREF a, COLORREF b) { return (a ^ b) & 0x00FFFFFF; }

class ItemDrawingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const char* f : {"SorvaneTestA", "SorvaneTestB"}) AddFontResourceA(TestFontFile(f).c_str());
    }
    static void TearDownTestSuite() {
        for (const char* f : {"SorvaneTestA", "SorvaneTestB"}) RemoveFontResourceA(TestFontFile(f).c_str());
    }

    void SetUp() override {
        realTable_ = FaceTable();
        TFaceList faces = {
            {"JP Gothic", kTT | kSjis},
            {"Printer Only", DEVICE_FONTTYPE | ffPrinter | ffPrinterOnly},
            {"Raster Face", RASTER_FONTTYPE},
            {"Shared TT", kTT | ffPrinter},
            {"SorvaneTestB", kTT},
        };
        SortFaces(faces);
        InstallFaceTable(faces);
        list_ = std::make_unique<TFontNameListBox>(nullptr);
        list_->SetBounds(0, 0, 240, 160);
        list_->SetParent(&HostForm());
        // Box glyphs: every character is a solid block of the text colour.
        list_->Font().SetName("SorvaneTestA");
        list_->Font().SetHeight(-12);
        PumpFor(20);
        background_ = ColorToRGB(clWindow);
    }
    void TearDown() override {
        list_.reset();
        InstallFaceTable(realTable_);
    }

    int IndexOf(const std::string& face) {
        return static_cast<int>(SendMessageA(list_->Handle(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(face.c_str())));
    }

    // Draws the face's item, unselected, into `picture` at `rect`, as the list's drawing message does.
    void Render(const std::string& face, TBitmap& picture, RECT rect = {0, 0, 200, 16}) {
        picture.SetSize(200, rect.bottom);
        int index = IndexOf(face);
        ASSERT_GE(index, 0) << face;
        picture.Canvas().Font() = list_->Font();
        list_->DrawItem(index, rect, 0, picture.Canvas());
    }

    bool IsBackground(TBitmap& picture, int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                if (picture.Canvas().Pixel(x, y) != background_) return false;
            }
        }
        return true;
    }

    int FirstInkColumn(TBitmap& picture, int from) {
        for (int x = from; x < picture.Width(); ++x) {
            if (!IsBackground(picture, x, 0, x + 1, picture.Height())) return x;
        }
        return -1;
    }

    int CountColour(TBitmap& picture, int x0, COLORREF colour) {
        int n = 0;
        for (int y = 0; y < picture.Height(); ++y) {
            for (int x = x0; x < picture.Width(); ++x) n += picture.Canvas().Pixel(x, y) == colour;
        }
        return n;
    }

    // Whether the 16 x 16 block at (x, y) shows `icon` XORed onto `under`.
    bool ShowsIcon(TBitmap& picture, int x, int y, TBitmap* icon, COLORREF under) {
        for (int iy = 0; iy < 16; ++iy) {
            for (int ix = 0; ix < 16; ++ix) {
                COLORREF want = icon ? Xor(under, icon->Canvas().Pixel(ix, iy)) : under;
                if (picture.Canvas().Pixel(x + ix, y + iy) != want) return false;
            }
        }
        return true;
    }

    std::unique_ptr<TFontNameListBox> list_;
    COLORREF background_ = 0;

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

        int textStart = FirstInkColumn(plain, 0);
        EXPECT_GE(textStart, 2) << face;
        EXPECT_LE(textStart, 4) << face;  // the glyph's own left bearing
        EXPECT_TRUE(IsBackground(withIcons, 18, 0, 20, 16)) << face;
        // The same text, moved right by 18.
        int differing = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x + 20 < 200; ++x) differing += withIcons.Canvas().Pixel(x + 20, y) != plain.Canvas().Pixel(x + 2, y);
        }
        EXPECT_EQ(differing, 0) << face;
    }
}

TEST_F(ItemDrawingTest, IconFollowsPriorityAndCollectedAttributes) {
    const TFontNameFilters all = TFontNameFilters::FromBits(255);
    TBitmap* trueType = TrueTypeIcon();
    TBitmap* printer = DeviceTypeIcon();
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
        // An item 20 high: the icon is centred at y = 10 + 2.
        Render(c.face, picture, RECT{0, 10, 200, 30});
        EXPECT_TRUE(ShowsIcon(picture, 2, 12, c.icon, background_)) << c.face << " priority " << int(c.priority);
        EXPECT_TRUE(IsBackground(picture, 0, 0, 200, 10)) << "drawn outside its item: " << c.face;
    }
}

TEST_F(ItemDrawingTest, DisabledListDrawsGreyTextAndTheSameIcons) {
    const COLORREF text = ColorToRGB(clWindowText), grey = ColorToRGB(clGrayText);
    ASSERT_NE(text, grey);
    TBitmap enabled, disabled;
    Render("Shared TT", enabled);
    list_->SetEnabled(false);
    Render("Shared TT", disabled);

    EXPECT_GT(CountColour(enabled, 20, text), 20);
    EXPECT_EQ(CountColour(enabled, 20, grey), 0);
    EXPECT_GT(CountColour(disabled, 20, grey), 20);
    EXPECT_EQ(CountColour(disabled, 20, text), 0);
    EXPECT_TRUE(ShowsIcon(disabled, 2, 0, TrueTypeIcon(), background_));
}

TEST_F(ItemDrawingTest, TextFontFaceDrawsEachNameInItsOwnFaceAtTheListSize) {
    TBitmap ownFace, listFace, expected;
    list_->Font().SetName("ＭＳ Ｐゴシック");
    list_->SetTextFontFace(true);
    Render("SorvaneTestB", ownFace);
    list_->SetTextFontFace(false);
    Render("SorvaneTestB", listFace);

    // What SorvaneTestB at the list's height gives.
    list_->Font().SetName("SorvaneTestB");
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

// Through the platform: the list's own painting, read from its window.
TEST_F(ItemDrawingTest, WindowShowsIconsSelectionAndGreyTextWhenDisabled) {
    list_->SetValue("Shared TT");
    const int height = list_->ItemHeight();
    const int selected = IndexOf("Shared TT"), plain = IndexOf("JP Gothic");
    HWND window = list_->Handle();
    // Only what the list itself invalidated is painted again.
    auto paintedRow = [&](int index, TBitmap& row) {
        UpdateWindow(window);
        PumpFor(20);
        row.SetSize(200, height);
        HDC dc = GetDC(window);
        BitBlt(row.Canvas().Handle(), 0, 0, 200, height, dc, 0, index * height, SRCCOPY);
        ReleaseDC(window, dc);
    };
    InvalidateRect(window, nullptr, TRUE);
    {
        TBitmap row;
        paintedRow(selected, row);
        EXPECT_TRUE(ShowsIcon(row, 2, 0, TrueTypeIcon(), ColorToRGB(clHighlight)));
        EXPECT_GT(CountColour(row, 20, ColorToRGB(clHighlightText)), 20);
    }
    {
        TBitmap row;
        paintedRow(plain, row);
        EXPECT_TRUE(ShowsIcon(row, 2, 0, TrueTypeIcon(), background_));
        EXPECT_GT(CountColour(row, 20, ColorToRGB(clWindowText)), 20);
    }
    // Disabled the way a modal dialog disables its owner's windows: by the message alone.
    EnableWindow(window, FALSE);
    {
        TBitmap row;
        paintedRow(plain, row);
        EXPECT_GT(CountColour(row, 20, ColorToRGB(clGrayText)), 20);
        EXPECT_EQ(CountColour(row, 20, ColorToRGB(clWindowText)), 0);
    }
}

}  // namespace
