#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "support/test_env.h"
#include "support/window_count.h"
#include "toolbar/services_fixture.h"
#include "toolbar/tb_shadow.h"
#include "widgets/graphics.h"

namespace {

// ---- Darkening on in-memory bitmaps ----------------------------------------------------------

struct Pixel {
    int x, y;
    int value;  // every channel of a grey pixel
};

TShadowShape Shape(bool vertical, int length, TShadowStyle style, bool corner1, bool corner2,
                   int clipStart = -1, int clipFinish = 0) {
    TShadowShape s;
    s.Vertical = vertical;
    s.Length = length;
    s.Style = style;
    s.Corner1 = corner1;
    s.Corner2 = corner2;
    s.ClipStart = clipStart;
    s.ClipFinish = clipFinish;
    return s;
}

// Darkens a grey surface larger than the strip, so that writes outside it show.
void ExpectDarkened(const char* name, const TShadowShape& shape, int grey, const std::vector<Pixel>& expected) {
    Surface surface(24, 24);
    FillSolid(surface.dc(), RECT{0, 0, 24, 24}, RGB(grey, grey, grey));
    DarkenShadow(surface.dc(), shape);
    GdiFlush();
    for (const Pixel& p : expected) {
        EXPECT_EQ(GetPixel(surface.dc(), p.x, p.y), RGB(p.value, p.value, p.value))
            << name << " at " << p.x << "," << p.y;
    }
}

TEST(ShadowDarkening, BodiesGetTheirFourLevelsFromThePopupOutwards) {
    // Office XP over white: 195, 210, 225, 240. Windows XP mixes towards 30 at 0.5, 0.35,
    // 0.2 and 0.05 (142.5 rounds to the even 142), and only with the near corner on.
    ExpectDarkened("office vertical", Shape(true, 20, sOfficeXP, false, false), 255,
                   {{0, 10, 195}, {1, 10, 210}, {2, 10, 225}, {3, 10, 240}, {0, 19, 195}});
    ExpectDarkened("office horizontal", Shape(false, 20, sOfficeXP, false, false), 255,
                   {{10, 0, 195}, {10, 1, 210}, {10, 2, 225}, {10, 3, 240}});
    ExpectDarkened("windows vertical", Shape(true, 20, sWindowsXP, true, false), 255,
                   {{0, 10, 142}, {1, 10, 176}, {2, 10, 210}, {3, 10, 244}});
    ExpectDarkened("windows vertical without corner", Shape(true, 20, sWindowsXP, false, false), 255,
                   {{0, 10, 255}, {3, 19, 255}});
    ExpectDarkened("windows horizontal", Shape(false, 20, sWindowsXP, false, false), 255,
                   {{10, 0, 142}, {10, 1, 176}, {10, 2, 210}, {10, 3, 244}});
}

TEST(ShadowDarkening, CornersFadeOnlyWhenAskedAndTheFirstRowsOfAVerticalStripStay) {
    // Office XP corners: near 40 - 5(7 - y + x) (vertical), 60 - 5(7 - x + y) (horizontal);
    // far 5(7 - y + i) - 15 with i = 0 the outermost column.
    ExpectDarkened("office vertical corner", Shape(true, 20, sOfficeXP, true, false), 255,
                   {{0, 0, 255}, {3, 3, 255}, {0, 4, 230}, {0, 7, 215}, {3, 4, 245}});
    ExpectDarkened("office vertical no corner", Shape(true, 20, sOfficeXP, false, true), 255,
                   {{0, 3, 255}, {0, 4, 255}, {0, 7, 255}, {0, 8, 195}});
    ExpectDarkened("office horizontal corners", Shape(false, 20, sOfficeXP, true, true), 255,
                   {{0, 0, 230}, {3, 0, 215}, {0, 3, 245}, {19, 0, 235}, {16, 0, 220}, {19, 3, 250}});
    ExpectDarkened("office horizontal no corners", Shape(false, 20, sOfficeXP, false, false), 255,
                   {{0, 0, 255}, {3, 3, 255}, {16, 0, 255}, {19, 3, 255}});
    // Windows XP: the vertical corner always, with weights (40 - 15(7 - y + x)) / 100 turning
    // negative from a sum of 3 on, which lightens (100 → 135 at -0.5); the far corner's table.
    ExpectDarkened("windows vertical corner", Shape(true, 20, sWindowsXP, false, false), 100,
                   {{0, 7, 72}, {0, 5, 93}, {3, 4, 135}, {0, 3, 100}});
    ExpectDarkened("windows horizontal far corner", Shape(false, 20, sWindowsXP, false, true), 255,
                   {{16, 0, 142}, {16, 1, 176}, {17, 1, 176}, {19, 3, 244}, {18, 3, 244}, {19, 0, 244},
                    {17, 3, 244}, {0, 0, 255}});
}

TEST(ShadowDarkening, AClipRangeSparesItsPartButNeverTheFarCorner) {
    ExpectDarkened("inactive", Shape(false, 20, sOfficeXP, false, true, -1, 30), 255, {{1, 0, 255}, {10, 0, 195}});
    ExpectDarkened("start 0 is inactive", Shape(false, 20, sOfficeXP, false, true, 0, 30), 255, {{10, 0, 195}});
    ExpectDarkened("horizontal", Shape(false, 20, sOfficeXP, true, true, 5, 19), 255,
                   {{4, 0, 195}, {5, 0, 255}, {15, 3, 255}, {16, 0, 220}, {19, 3, 250}, {0, 0, 230}});
    ExpectDarkened("vertical", Shape(true, 20, sOfficeXP, true, false, 6, 12), 255,
                   {{0, 5, 225}, {0, 6, 255}, {3, 12, 255}, {0, 13, 195}});
}

TEST(ShadowDarkening, ShortStripsDarkenEachPixelOnceAndStayInside) {
    // The near corner takes the first half, the far corner the rest; nothing beyond the strip.
    ExpectDarkened("length 6", Shape(false, 6, sOfficeXP, true, true), 255,
                   {{0, 0, 230}, {1, 0, 225}, {2, 0, 220}, {3, 0, 225}, {4, 0, 230}, {5, 0, 235}, {6, 0, 255},
                    {7, 0, 255}});
    ExpectDarkened("length 2", Shape(false, 2, sOfficeXP, true, true), 255,
                   {{0, 0, 230}, {1, 0, 235}, {2, 0, 255}, {0, 4, 255}});
    ExpectDarkened("length 1", Shape(false, 1, sOfficeXP, true, true), 255, {{0, 0, 230}, {1, 0, 255}});
    ExpectDarkened("length 0", Shape(false, 0, sOfficeXP, true, true), 255, {{0, 0, 255}});
    ExpectDarkened("windows length 3", Shape(false, 3, sWindowsXP, true, true), 255,
                   {{2, 0, 244}, {3, 0, 255}, {3, 3, 255}});
    ExpectDarkened("vertical length 6", Shape(true, 6, sOfficeXP, true, false), 255,
                   {{0, 5, 225}, {0, 6, 255}, {0, 7, 255}});
}

TEST(ShadowDarkening, MixingKeepsAnOverflowingChannelAndFloorsAtBlack) {
    TShadowEffect lighten;
    lighten.Kind = TShadowEffect::seMix;
    lighten.Weight = -0.5L;
    EXPECT_EQ(ApplyShadowEffect(RGB(255, 100, 0), lighten), RGB(255, 135, 0));
    TShadowEffect darken;
    darken.Kind = TShadowEffect::seSubtract;
    darken.Amount = 60;
    EXPECT_EQ(ApplyShadowEffect(RGB(255, 59, 60), darken), RGB(195, 0, 0));
}

// ---- Placement -------------------------------------------------------------------------------

RECT R(int l, int t, int r, int b) { return RECT{l, t, r, b}; }

struct Expected {
    bool placed;
    RECT bounds;
    bool corner1, corner2;
    int clipStart, clipFinish;
};
const Expected None{false, {}, false, false, -1, 0};

void ExpectStrip(const char* name, const char* strip, const TShadowStripPlacement& got, const Expected& want) {
    SCOPED_TRACE(testing::Message() << name << ", " << strip);
    ASSERT_EQ(got.Placed, want.placed);
    if (!want.placed) return;
    EXPECT_EQ(got.Bounds, want.bounds);
    EXPECT_EQ(got.Corner1, want.corner1);
    EXPECT_EQ(got.Corner2, want.corner2);
    EXPECT_EQ(got.ClipStart, want.clipStart);
    EXPECT_EQ(got.ClipFinish, want.clipFinish);
}

TEST(ShadowPlacement, StripsForEachKindOfPopupAndWhereItsButtonIs) {
    using S = TPopupShadowSource;
    struct Case {
        const char* name;
        S::TKind kind;
        RECT popup, button;
        bool flipped, split, chevron, join;
        Expected right, bottom, buttonVertical, buttonHorizontal;
    };
    // Buttons 40 × 24 on a horizontal bar, 24 × 24 on a vertical one; popups overlap them by 2.
    const RECT below = R(100, 100, 250, 300), above = R(100, 0, 250, 80);
    const Case cases[] = {
        {"submenu", S::psMenu, below, {}, false, false, false, true,
         {true, R(250, 104, 254, 300), true, false, -1, 0}, {true, R(104, 300, 254, 304), true, true, -1, 0}, None, None},
        {"below, flush", S::psHorizontalBar, below, R(100, 78, 140, 102), false, false, false, true,
         {true, R(250, 100, 254, 300), true, false, -1, 0}, {true, R(104, 300, 254, 304), true, true, -1, 0},
         {true, R(141, 78, 145, 100), true, false, -1, 0}, None},
        {"below, not joined", S::psHorizontalBar, below, R(100, 78, 140, 102), false, false, false, false,
         {true, R(250, 100, 254, 300), true, false, -1, 0}, {true, R(104, 300, 254, 304), true, true, -1, 0}, None, None},
        {"below, button inside", S::psHorizontalBar, below, R(120, 78, 160, 102), false, true, false, true,
         {true, R(250, 100, 254, 300), true, false, -1, 0}, {true, R(104, 300, 254, 304), true, true, -1, 0},
         {true, R(160, 78, 164, 100), true, false, -1, 0}, None},
        {"chevron", S::psHorizontalBar, below, R(100, 78, 140, 102), false, false, true, false,
         {true, R(250, 92, 254, 300), false, false, -1, 0}, {true, R(104, 300, 254, 304), true, true, -1, 0}, None, None},
        // Flipped flush: the clip start a + c - 5 = -2 would darken the part over the button.
        {"above, flush", S::psHorizontalBar, above, R(100, 78, 140, 102), true, false, false, true,
         {true, R(250, 0, 254, 80), true, false, -1, 0}, {true, R(104, 80, 254, 84), false, true, 1, 41},
         {true, R(142, 72, 146, 102), true, true, -1, 0}, {true, R(104, 102, 144, 106), true, true, -1, 0}},
        {"above, button inside", S::psHorizontalBar, above, R(120, 78, 160, 102), true, false, false, true,
         {true, R(250, 0, 254, 80), true, false, -1, 0}, {true, R(104, 80, 254, 84), true, true, 17, 60},
         {true, R(161, 72, 165, 102), true, true, -1, 0}, {true, R(124, 102, 164, 106), true, true, -1, 0}},
        {"above, split", S::psHorizontalBar, above, R(120, 78, 160, 102), true, true, false, true,
         {true, R(250, 0, 254, 80), true, false, -1, 0}, {true, R(103, 80, 254, 84), true, true, 18, 60},
         {true, R(160, 72, 164, 102), true, true, -1, 0}, {true, R(123, 102, 163, 106), true, true, -1, 0}},
        {"above, button off the left edge", S::psHorizontalBar, R(0, 0, 150, 80), R(-10, 78, 30, 102), true, false,
         false, true, {true, R(150, 0, 154, 80), true, false, -1, 0}, {true, R(4, 80, 154, 84), false, true, 1, 29},
         {true, R(30, 72, 34, 102), true, true, -1, 0}, {true, R(-6, 102, 34, 106), true, true, -1, 0}},
        {"right of a vertical bar", S::psVerticalBar, R(22, 100, 172, 300), R(0, 100, 24, 124), false, false, false,
         true, {true, R(172, 100, 176, 300), true, false, -1, 0}, {true, R(26, 300, 176, 304), true, true, -1, 0}, None,
         {true, R(4, 126, 28, 130), true, false, -1, 0}},
        {"left of a vertical bar", S::psVerticalBar, R(352, 100, 502, 300), R(500, 100, 524, 124), true, false, false,
         true, {true, R(502, 104, 506, 300), true, false, 3, 25}, {true, R(356, 300, 506, 304), true, true, -1, 0},
         {true, R(524, 103, 528, 126), true, false, -1, 0}, {true, R(498, 126, 528, 130), false, true, -1, 0}},
        // g = 5 gave a clip start of 0, which switched the range off.
        {"left of a vertical bar, lower", S::psVerticalBar, R(352, 100, 502, 300), R(500, 102, 524, 126), true, false,
         false, true, {true, R(502, 104, 506, 300), true, false, 1, 27}, {true, R(356, 300, 506, 304), true, true, -1, 0},
         {true, R(524, 105, 528, 128), true, false, -1, 0}, {true, R(498, 128, 528, 132), false, true, -1, 0}},
    };
    for (const Case& c : cases) {
        S source;
        source.Kind = c.kind;
        source.Popup = c.popup;
        source.Button = c.button;
        source.Flipped = c.flipped;
        source.SplitButton = c.split;
        source.Chevron = c.chevron;
        source.JoinButton = c.join;
        const TShadowPlacement p = PlaceShadows(source);
        ExpectStrip(c.name, "right", p.Right, c.right);
        ExpectStrip(c.name, "bottom", p.Bottom, c.bottom);
        ExpectStrip(c.name, "button vertical", p.ButtonVertical, c.buttonVertical);
        ExpectStrip(c.name, "button horizontal", p.ButtonHorizontal, c.buttonHorizontal);
    }
}

TEST(ShadowPlacement, OpenedBorderWhereTheButtonTouchesThePopup) {
    using S = TPopupShadowSource;
    struct Case {
        const char* name;
        S::TKind kind;
        RECT popup, button;
        bool flipped, join, present;
        POINT from, to;
    };
    const Case cases[] = {
        {"below", S::psHorizontalBar, R(100, 100, 250, 300), R(100, 78, 140, 102), false, true, true, {3, 0}, {41, 0}},
        {"below, inside", S::psHorizontalBar, R(100, 100, 250, 300), R(120, 78, 160, 102), false, true, true, {22, 0}, {60, 0}},
        {"above", S::psHorizontalBar, R(100, 0, 250, 80), R(100, 78, 140, 102), true, true, true, {3, 79}, {41, 79}},
        {"off the left edge", S::psHorizontalBar, R(0, 0, 150, 80), R(-10, 78, 30, 102), true, true, true, {1, 79}, {29, 79}},
        {"not joined", S::psHorizontalBar, R(100, 100, 250, 300), R(100, 78, 140, 102), false, false, false, {}, {}},
        {"menu", S::psMenu, R(100, 100, 250, 300), {}, false, true, false, {}, {}},
        {"vertical, right", S::psVerticalBar, R(22, 100, 172, 300), R(0, 100, 24, 124), false, true, true, {0, 3}, {0, 25}},
        {"vertical, left", S::psVerticalBar, R(352, 100, 502, 300), R(500, 100, 524, 124), true, true, true, {149, 3}, {149, 25}},
        {"vertical, button above", S::psVerticalBar, R(22, 100, 172, 300), R(0, 70, 24, 94), false, true, false, {}, {}},
    };
    for (const Case& c : cases) {
        S source;
        source.Kind = c.kind;
        source.Popup = c.popup;
        source.Button = c.button;
        source.Flipped = c.flipped;
        source.JoinButton = c.join;
        const TOpenedBorder line = OpenedBorderLine(source);
        ASSERT_EQ(line.Present, c.present) << c.name;
        if (!c.present) continue;
        EXPECT_EQ(line.From.x, c.from.x) << c.name;
        EXPECT_EQ(line.From.y, c.from.y) << c.name;
        EXPECT_EQ(line.To.x, c.to.x) << c.name;
        EXPECT_EQ(line.To.y, c.to.y) << c.name;
    }
}

// ---- The windows -----------------------------------------------------------------------------

// A white top-level window the shadows are cast on.
class WhiteBackdrop {
public:
    explicit WhiteBackdrop(RECT r) : window_(r) {
        window_.OnMessage = [this](UINT msg, WPARAM wParam, LPARAM) {
            if (msg != WM_ERASEBKGND) return false;
            FillSolid(reinterpret_cast<HDC>(wParam), RECT{0, 0, 1000, 1000}, clWhite);
            return true;
        };
        ShowWindow(window_.get(), SW_SHOWNA);
        UpdateWindow(window_.get());
    }
    HWND get() const { return window_.get(); }

private:
    ProbeWindow window_;
};

// What the shadow window shows, read through its own background painting.
std::vector<COLORREF> ShownColumn(TShadow& shadow, int x) {
    Surface surface(shadow.Width(), shadow.Height());
    SendMessageA(shadow.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc()), 0);
    GdiFlush();
    std::vector<COLORREF> column;
    for (int y = 0; y < shadow.Height(); ++y) column.push_back(GetPixel(surface.dc(), x, y));
    return column;
}

class ShadowWindow : public ServicesTest {
protected:
    void SetUp() override {
        ServicesTest::SetUp();
        windows = CountThreadWindows();
        objects = HandleCounters::GdiObjects();
        contexts = HandleCounters::DeviceContexts();
    }
    void TearDown() override {
        Application->ProcessMessages();
        EXPECT_EQ(CountThreadWindows(), windows);
        EXPECT_EQ(HandleCounters::GdiObjects(), objects);
        EXPECT_EQ(HandleCounters::DeviceContexts(), contexts);
        ServicesTest::TearDown();
    }
    int windows = 0;
    long objects = 0, contexts = 0;
};

TEST_F(ShadowWindow, ShowsTheDarkenedBackdropOnTopAndLetsTheMousePass) {
    WhiteBackdrop backdrop(R(300, 300, 500, 500));
    TShadow shadow(true);
    shadow.SetBounds(400, 320, 4, 40);
    shadow.SetCorner1(true);
    shadow.CaptureAndShow();

    HWND window = shadow.HandleOrNull();
    ASSERT_TRUE(window);
    EXPECT_TRUE(shadow.Captured());
    EXPECT_TRUE(IsWindowVisible(window));
    RECT bounds;
    GetWindowRect(window, &bounds);
    EXPECT_EQ(bounds, R(400, 320, 404, 360));
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_POPUP | WS_CHILD | WS_BORDER | WS_CAPTION), WS_POPUP);
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW), WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetClassLongA(window, GCL_STYLE) & (CS_SAVEBITS | CS_VREDRAW), static_cast<DWORD>(CS_SAVEBITS | CS_VREDRAW));
    EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(401, 330)), HTTRANSPARENT);

    const int body[] = {195, 210, 225, 240};
    for (int x = 0; x < 4; ++x) {
        std::vector<COLORREF> column = ShownColumn(shadow, x);
        EXPECT_EQ(column[0], RGB(255, 255, 255)) << x;   // the first rows keep the screen
        EXPECT_EQ(column[20], RGB(body[x], body[x], body[x])) << x;
    }
    // Captured once: taken again now, the copy would hold the shadow itself, darkened twice.
    shadow.CaptureShadow();
    EXPECT_EQ(ShownColumn(shadow, 0)[20], RGB(195, 195, 195));
}

TEST_F(ShadowWindow, StripsNeverPlacedOrWithoutAreaAreNeitherCapturedNorShown) {
    WhiteBackdrop backdrop(R(300, 300, 500, 500));
    TPopupShadows shadows(sOfficeXP, true);
    TPopupShadowSource source;  // a submenu only 4 pixels tall: its right strip has no height
    source.Popup = R(320, 320, 420, 324);
    shadows.Place(PlaceShadows(source));
    shadows.ShowAll();
    for (TShadow* strip : {shadows.Right(), shadows.ButtonVertical(), shadows.ButtonHorizontal()}) {
        EXPECT_FALSE(strip->Captured());
        EXPECT_FALSE(strip->Visible());
        EXPECT_FALSE(strip->HandleAllocated());
    }
    EXPECT_TRUE(shadows.Bottom()->Captured());
    EXPECT_TRUE(IsWindowVisible(shadows.Bottom()->HandleOrNull()));
}

TEST_F(ShadowWindow, AHundredPopupsShowAndFreeTheirShadowsWithoutLeaks) {
    WhiteBackdrop backdrop(R(300, 300, 500, 500));
    TPopupShadowSource source;
    source.Kind = TPopupShadowSource::psHorizontalBar;
    source.Popup = R(320, 300, 420, 380);
    source.Button = R(330, 378, 370, 402);
    source.Flipped = true;
    source.JoinButton = true;
    int shown = 0;  // the system may add helper windows of its own with the first ones shown
    for (int i = 0; i < 100; ++i) {
        TPopupShadows shadows(i % 2 ? sWindowsXP : sOfficeXP, true);
        shadows.Place(PlaceShadows(source));
        shadows.ShowNew();
        for (TShadow* strip : {shadows.Right(), shadows.Bottom(), shadows.ButtonVertical(), shadows.ButtonHorizontal()})
            ASSERT_TRUE(IsWindowVisible(strip->HandleOrNull()));
        if (i == 0) shown = CountThreadWindows();
        ASSERT_EQ(CountThreadWindows(), shown);
        if (i % 3 == 0) shadows.Hide();
    }
}

}  // namespace
