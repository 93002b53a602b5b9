#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "support/window_count.h"
#include "toolbar/base/services_fixture.h"
#include "toolbar/popups/shadow.h"
#include "widgets/graphics.h"

namespace {

RECT R(int l, int t, int r, int b) { return RECT{l, t, r, b}; }

// ---- Darkening on in-memory bitmaps ----------------------------------------------------------

constexpr bool V = true, H = false;
constexpr int C1 = 1, C2 = 2;  // corners asked for

TShadowShape Shape(bool vertical, int length, TShadowStyle style, int corners, int clipStart = -1, int clipFinish = 0) {
    TShadowShape s;
    s.Vertical = vertical;
    s.Length = length;
    s.Style = style;
    s.Corner1 = corners & C1;
    s.Corner2 = corners & C2;
    s.ClipStart = clipStart;
    s.ClipFinish = clipFinish;
    return s;
}

struct Pixel {
    int x, y, grey;
};

TEST(ShadowDarkening, LevelsCornersClipRangesAndShortStrips) {
    struct Case {
        const char* name;
        TShadowShape shape;
        int grey;  // of the surface before
        std::vector<Pixel> after;
    };
    const TShadowStyle O = sOfficeXP, W = sWindowsXP;
    const Case cases[] = {
        // Bodies from the popup outwards: Office XP subtracts 60, 45, 30, 15; Windows XP mixes
        // towards 30 at 0.5, 0.35, 0.2, 0.05 (142.5 rounds to the even 142), only with Corner1.
        {"office vertical", Shape(V, 20, O, C2), 255,
         {{0, 10, 195}, {1, 10, 210}, {2, 10, 225}, {3, 19, 240}, {0, 4, 255}, {0, 7, 255}}},
        {"office horizontal", Shape(H, 20, O, 0), 255,
         {{10, 0, 195}, {10, 1, 210}, {10, 2, 225}, {10, 3, 240}, {0, 0, 255}, {3, 3, 255}, {16, 0, 255}, {19, 3, 255}}},
        {"windows vertical", Shape(V, 20, W, C1), 255, {{0, 10, 142}, {1, 10, 176}, {2, 10, 210}, {3, 10, 244}}},
        {"windows vertical, no corner", Shape(V, 20, W, 0), 255, {{0, 10, 255}, {3, 19, 255}}},
        {"windows horizontal", Shape(H, 20, W, 0), 255, {{10, 0, 142}, {10, 3, 244}}},
        // The first rows of a vertical strip stay; the ends fade only when asked: near
        // 40 - 5(7 - y + x) vertical, 60 - 5(7 - x + y) horizontal, far 5(7 - y + i) - 15 with
        // i = 0 the outermost column.
        {"office vertical corner", Shape(V, 20, O, C1), 255, {{0, 0, 255}, {3, 3, 255}, {0, 4, 230}, {0, 7, 215}, {3, 4, 245}}},
        {"office corners", Shape(H, 20, O, C1 | C2), 255,
         {{0, 0, 230}, {3, 0, 215}, {0, 3, 245}, {19, 0, 235}, {16, 0, 220}, {19, 3, 250}}},
        // Windows XP's vertical corner is always on; its weights turn negative from a sum of 3
        // and lighten (100 → 135 at -0.5). Its far corner follows a table.
        {"windows vertical corner", Shape(V, 20, W, 0), 100, {{0, 7, 72}, {0, 5, 93}, {3, 4, 135}, {0, 3, 100}}},
        {"windows far corner", Shape(H, 20, W, C2), 255,
         {{16, 0, 142}, {16, 1, 176}, {17, 1, 176}, {18, 3, 244}, {19, 0, 244}, {0, 0, 255}}},
        // Clip ranges: off while either end is below 1; they never spare the far corner.
        {"clip from -1", Shape(H, 20, O, C2, -1, 30), 255, {{10, 0, 195}}},
        {"clip from 0", Shape(H, 20, O, C2, 0, 30), 255, {{10, 0, 195}}},
        {"clip horizontal", Shape(H, 20, O, C1 | C2, 5, 19), 255,
         {{4, 0, 195}, {5, 0, 255}, {15, 3, 255}, {16, 0, 220}, {0, 0, 230}}},
        {"clip vertical", Shape(V, 20, O, C1, 6, 12), 255, {{0, 5, 225}, {0, 6, 255}, {3, 12, 255}, {0, 13, 195}}},
        // Short strips: the near corner takes the first half, the far one the rest; each pixel
        // darkens once, and nothing beyond the strip.
        {"length 6", Shape(H, 6, O, C1 | C2), 255,
         {{0, 0, 230}, {1, 0, 225}, {2, 0, 220}, {3, 0, 225}, {4, 0, 230}, {5, 0, 235}, {6, 0, 255}}},
        {"length 2", Shape(H, 2, O, C1 | C2), 255, {{0, 0, 230}, {1, 0, 235}, {2, 0, 255}, {0, 4, 255}}},
        {"length 1", Shape(H, 1, O, C1 | C2), 255, {{0, 0, 230}, {1, 0, 255}}},
        {"length 0", Shape(H, 0, O, C1 | C2), 255, {{0, 0, 255}}},
        {"windows length 3", Shape(H, 3, W, C1 | C2), 255, {{2, 0, 244}, {3, 0, 255}}},
        {"vertical length 6", Shape(V, 6, O, C1), 255, {{0, 5, 225}, {0, 6, 255}}},
    };
    for (const Case& c : cases) {
        Surface surface(24, 24);  // larger than the strip, so that writes outside it show
        FillSolid(surface.dc(), R(0, 0, 24, 24), RGB(c.grey, c.grey, c.grey));
        DarkenShadow(surface.dc(), c.shape);
        GdiFlush();
        for (const Pixel& p : c.after)
            EXPECT_EQ(GetPixel(surface.dc(), p.x, p.y), RGB(p.grey, p.grey, p.grey)) << c.name << " at " << p.x << "," << p.y;
    }
}

// ---- Placement -------------------------------------------------------------------------------

struct Strip {
    bool placed;
    RECT bounds;
    int corners, clipStart, clipFinish;
};
const Strip None{false, {}, 0, -1, 0};
Strip At(RECT bounds, int corners, int clipStart = -1, int clipFinish = 0) {
    return {true, bounds, corners, clipStart, clipFinish};
}

void ExpectStrip(const char* name, const TShadowStripPlacement& got, const Strip& want) {
    ASSERT_EQ(got.Placed, want.placed) << name;
    if (!want.placed) return;
    EXPECT_EQ(got.Bounds, want.bounds) << name;
    EXPECT_EQ(got.Corner1 * C1 | got.Corner2 * C2, want.corners) << name;
    EXPECT_EQ(got.ClipStart, want.clipStart) << name;
    EXPECT_EQ(got.ClipFinish, want.clipFinish) << name;
}

TEST(ShadowPlacement, StripsAndOpenedBorderForEachKindOfPopup) {
    using S = TPopupShadowSource;
    struct Case {
        const char* name;
        S::TKind kind;
        RECT popup, button;
        bool flipped, split, chevron;
        Strip right, bottom, buttonVertical, buttonHorizontal;
        POINT lineFrom, lineTo;  // of the opened border; equal points: none
    };
    // Buttons 40 × 24 on a horizontal bar, 24 × 24 on a vertical one; popups overlap them by 2.
    const RECT below = R(100, 100, 250, 300), above = R(100, 0, 250, 80), left = R(352, 100, 502, 300);
    const Case cases[] = {
        {"submenu", S::psMenu, below, {}, false, false, false,
         At(R(250, 104, 254, 300), C1), At(R(104, 300, 254, 304), C1 | C2), None, None, {}, {}},
        {"below, flush", S::psHorizontalBar, below, R(100, 78, 140, 102), false, false, false,
         At(R(250, 100, 254, 300), C1), At(R(104, 300, 254, 304), C1 | C2), At(R(141, 78, 145, 100), C1), None,
         {3, 0}, {41, 0}},
        {"below, split inside", S::psHorizontalBar, below, R(120, 78, 160, 102), false, true, false,
         At(R(250, 100, 254, 300), C1), At(R(104, 300, 254, 304), C1 | C2), At(R(160, 78, 164, 100), C1), None,
         {22, 0}, {59, 0}},
        {"chevron", S::psHorizontalBar, below, R(100, 78, 140, 102), false, false, true,
         At(R(250, 92, 254, 300), 0), At(R(104, 300, 254, 304), C1 | C2), At(R(141, 78, 145, 100), C1), None,
         {3, 0}, {41, 0}},
        // Flush above: a clip start of a + c - 5 = -2 would darken the part over the button.
        {"above, flush", S::psHorizontalBar, above, R(100, 78, 140, 102), true, false, false,
         At(R(250, 0, 254, 80), C1), At(R(104, 80, 254, 84), C2, 1, 41), At(R(142, 72, 146, 102), C1 | C2),
         At(R(104, 102, 144, 106), C1 | C2), {3, 79}, {41, 79}},
        {"above, split inside", S::psHorizontalBar, above, R(120, 78, 160, 102), true, true, false,
         At(R(250, 0, 254, 80), C1), At(R(103, 80, 254, 84), C1 | C2, 18, 60), At(R(160, 72, 164, 102), C1 | C2),
         At(R(123, 102, 163, 106), C1 | C2), {22, 79}, {59, 79}},
        {"above, off the screen's left", S::psHorizontalBar, R(0, 0, 150, 80), R(-10, 78, 30, 102), true, false, false,
         At(R(150, 0, 154, 80), C1), At(R(4, 80, 154, 84), C2, 1, 29), At(R(30, 72, 34, 102), C1 | C2),
         At(R(-6, 102, 34, 106), C1 | C2), {1, 79}, {29, 79}},
        {"right of a vertical bar", S::psVerticalBar, R(22, 100, 172, 300), R(0, 100, 24, 124), false, false, false,
         At(R(172, 100, 176, 300), C1), At(R(26, 300, 176, 304), C1 | C2), None, At(R(4, 126, 28, 130), C1),
         {0, 3}, {0, 25}},
        {"left of a vertical bar", S::psVerticalBar, left, R(500, 100, 524, 124), true, false, false,
         At(R(502, 104, 506, 300), C1, 3, 25), At(R(356, 300, 506, 304), C1 | C2), At(R(524, 103, 528, 126), C1),
         At(R(498, 126, 528, 130), C2), {149, 3}, {149, 25}},
        // Two pixels lower, g' = 5 gave a clip start of 0, which switched the range off.
        {"left of a vertical bar, lower", S::psVerticalBar, left, R(500, 102, 524, 126), true, false, false,
         At(R(502, 104, 506, 300), C1, 1, 27), At(R(356, 300, 506, 304), C1 | C2), At(R(524, 105, 528, 128), C1),
         At(R(498, 128, 528, 132), C2), {149, 5}, {149, 27}},
        {"button above a vertical bar's popup", S::psVerticalBar, R(22, 100, 172, 300), R(0, 70, 24, 94), false, false,
         false, At(R(172, 100, 176, 300), C1), At(R(26, 300, 176, 304), C1 | C2), None, At(R(4, 96, 28, 100), C1),
         {}, {}},
    };
    for (const Case& c : cases) {
        S source;
        source.Kind = c.kind;
        source.Popup = c.popup;
        source.Button = c.button;
        source.Flipped = c.flipped;
        source.SplitButton = c.split;
        source.Chevron = c.chevron;
        source.JoinButton = true;
        SCOPED_TRACE(c.name);
        const TShadowPlacement p = PlaceShadows(source);
        ExpectStrip("right", p.Right, c.right);
        ExpectStrip("bottom", p.Bottom, c.bottom);
        ExpectStrip("button vertical", p.ButtonVertical, c.buttonVertical);
        ExpectStrip("button horizontal", p.ButtonHorizontal, c.buttonHorizontal);
        const TOpenedBorder line = OpenedBorderLine(source);
        const bool present = c.lineFrom.x != c.lineTo.x || c.lineFrom.y != c.lineTo.y;
        ASSERT_EQ(line.Present, present);
        if (present) {
            EXPECT_EQ(R(line.From.x, line.From.y, line.To.x, line.To.y),
                      R(c.lineFrom.x, c.lineFrom.y, c.lineTo.x, c.lineTo.y));
        }
        // Without the Office-XP join, the button has no strips and the border stays closed.
        source.JoinButton = false;
        const TShadowPlacement plain = PlaceShadows(source);
        EXPECT_FALSE(plain.ButtonVertical.Placed || plain.ButtonHorizontal.Placed || OpenedBorderLine(source).Present);
    }
}

// ---- The windows -----------------------------------------------------------------------------

// The shadows are cast on a white window, not on whatever the screen holds.
class ShadowWindow : public ServicesTest {
protected:
    void SetUp() override {
        ServicesTest::SetUp();
        windows = CountThreadWindows();
        objects = HandleCounters::GdiObjects();
        contexts = HandleCounters::DeviceContexts();
        backdrop = std::make_unique<ProbeWindow>(R(300, 300, 500, 500));
        backdrop->OnMessage = [](UINT msg, WPARAM wParam, LPARAM) {
            if (msg == WM_ERASEBKGND) FillSolid(reinterpret_cast<HDC>(wParam), R(0, 0, 200, 200), clWhite);
            return msg == WM_ERASEBKGND;
        };
        ShowWindow(backdrop->get(), SW_SHOWNA);
        UpdateWindow(backdrop->get());
    }
    void TearDown() override {
        backdrop.reset();
        Application->ProcessMessages();
        EXPECT_EQ(CountThreadWindows(), windows);
        EXPECT_EQ(HandleCounters::GdiObjects(), objects);
        EXPECT_EQ(HandleCounters::DeviceContexts(), contexts);
        ServicesTest::TearDown();
    }
    std::unique_ptr<ProbeWindow> backdrop;
    int windows = 0;
    long objects = 0, contexts = 0;
};

// What the shadow window shows, read through its own background painting.
COLORREF Shown(TShadow& shadow, int x, int y) {
    Surface surface(shadow.Width(), shadow.Height());
    SendMessageA(shadow.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc()), 0);
    GdiFlush();
    return GetPixel(surface.dc(), x, y);
}

TEST_F(ShadowWindow, ShowsTheDarkenedBackdropOnTopAndLetsTheMousePass) {
    TShadow shadow(true);
    shadow.SetBounds(400, 320, 4, 40);
    shadow.SetCorner1(true);
    shadow.CaptureAndShow();

    HWND window = shadow.HandleOrNull();
    ASSERT_TRUE(window && shadow.Captured() && IsWindowVisible(window));
    RECT bounds;
    GetWindowRect(window, &bounds);
    EXPECT_EQ(bounds, R(400, 320, 404, 360));
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_POPUP | WS_CHILD | WS_BORDER | WS_CAPTION), WS_POPUP);
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW), WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetClassLongA(window, GCL_STYLE) & (CS_SAVEBITS | CS_VREDRAW), static_cast<DWORD>(CS_SAVEBITS | CS_VREDRAW));
    EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(401, 330)), HTTRANSPARENT);
    const int body[] = {195, 210, 225, 240};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(Shown(shadow, x, 0), RGB(255, 255, 255)) << x;
        EXPECT_EQ(Shown(shadow, x, 20), RGB(body[x], body[x], body[x])) << x;
    }
    // Captured once: taken again now, the copy would hold the shadow itself, darkened twice.
    shadow.CaptureShadow();
    EXPECT_EQ(Shown(shadow, 0, 20), RGB(195, 195, 195));
}

// A popup that moves or grows moves its strips: each shows the screen of its new place, all of
// it, not the copy taken at the old one.
TEST_F(ShadowWindow, AStripMovedOrGrownWhileShownTakesItsCopyAgain) {
    ProbeWindow grey(R(500, 300, 600, 500));
    grey.OnMessage = [](UINT msg, WPARAM wParam, LPARAM) {
        if (msg == WM_ERASEBKGND) FillSolid(reinterpret_cast<HDC>(wParam), R(0, 0, 100, 200), static_cast<TColor>(RGB(100, 100, 100)));
        return msg == WM_ERASEBKGND;
    };
    ShowWindow(grey.get(), SW_SHOWNA);
    UpdateWindow(grey.get());
    TPopupShadows shadows(sOfficeXP, false);
    TShadowPlacement placement;
    placement.Right = TShadowStripPlacement{true, R(400, 320, 404, 360)};
    shadows.Place(placement);
    shadows.ShowAll();
    TShadow& strip = *shadows.Right();
    EXPECT_EQ(Shown(strip, 0, 20), RGB(195, 195, 195));

    placement.Right.Bounds = R(540, 320, 544, 400);  // over the grey window, twice as long
    shadows.Place(placement);
    EXPECT_TRUE(IsWindowVisible(strip.HandleOrNull()));
    for (int y : {20, 70}) EXPECT_EQ(Shown(strip, 0, y), RGB(40, 40, 40)) << y;

    // Hidden and moved back: shown again, it shows the white of its place.
    shadows.Hide();
    placement.Right.Bounds = R(400, 320, 404, 360);
    shadows.Place(placement);
    shadows.ShowAll();
    EXPECT_EQ(Shown(strip, 0, 20), RGB(195, 195, 195));
}

TEST_F(ShadowWindow, StripsNeverPlacedOrWithoutAreaAreNeitherCapturedNorShown) {
    TPopupShadows shadows(sOfficeXP, true);
    TPopupShadowSource source;  // a submenu only 4 pixels tall: its right strip has no height
    source.Popup = R(320, 320, 420, 324);
    shadows.Place(PlaceShadows(source));
    shadows.ShowAll();
    for (TShadow* strip : {shadows.Right(), shadows.ButtonVertical(), shadows.ButtonHorizontal()})
        EXPECT_FALSE(strip->Captured() || strip->Visible() || strip->HandleAllocated());
    EXPECT_TRUE(shadows.Bottom()->Captured() && IsWindowVisible(shadows.Bottom()->HandleOrNull()));
}

TEST_F(ShadowWindow, AHundredPopupsShowAndFreeTheirShadowsWithoutLeaks) {
    TPopupShadowSource source;
    source.Kind = TPopupShadowSource::psHorizontalBar;
    source.Popup = R(320, 300, 420, 380);
    source.Button = R(330, 378, 370, 402);
    source.Flipped = source.JoinButton = true;
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
