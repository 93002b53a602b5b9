#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "support/test_env.h"
#include "toolbar/base/services_fixture.h"
#include "toolbar/base/anim.h"
#include "widgets/application.h"

namespace {

// The worker's clock and pointer, moved by the tests. Alpha cannot be seen on Xvfb without a
// compositor, so the levels handed to UpdateLayeredWindow are recorded instead.
std::atomic<LONGLONG> FakeNow{0};
std::atomic<LONG> PointerX{0}, PointerY{0};
std::vector<int> Alphas;

BOOL WINAPI RecordAlpha(HWND, HDC, POINT*, SIZE* size, HDC, POINT*, COLORREF, BLENDFUNCTION* blend, DWORD flags) {
    EXPECT_TRUE(size->cx == 120 && size->cy == 100 && flags == ULW_ALPHA);
    Alphas.push_back(blend->SourceConstantAlpha);
    return TRUE;
}

// A hidden 120 × 100 popup that handles the animation messages as the framework's popups do.
struct Popup {
    Popup() : window(RECT{200, 200, 320, 300}) {
        window.OnMessage = [this](UINT msg, WPARAM, LPARAM lParam) {
            if (msg == WM_TB_ANIMATIONSTEP) ProcessAnimationStep(window.get(), lastStep = lParam);
            if (msg == WM_TB_ANIMATIONDONE) ++done;
            if (msg == WM_PAINT && finishOnPaint) FinishWindowAnimation(window.get());
            if (msg == WM_DESTROY && onDestroy) onDestroy(window.get());
            return false;
        };
    }
    HWND get() const { return window.get(); }
    bool Layered() const { return (GetWindowLongA(get(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }
    // What the window region lets through, or "none" when the window has no region.
    std::string Shown() const {
        RegionHandle region(CreateRectRgn(0, 0, 0, 0)), whole(CreateRectRgn(0, 0, 120, 100));
        if (GetWindowRgn(get(), region.get()) == ERROR) return "none";
        CombineRgn(region.get(), region.get(), whole.get(), RGN_AND);
        RECT box;
        GetRgnBox(region.get(), &box);
        return testing::PrintToString(box);
    }

    ProbeWindow window;
    int done = 0;
    LPARAM lastStep = 0;
    bool finishOnPaint = false;
    void (*onDestroy)(HWND) = nullptr;
};

class Animation : public ServicesTest {
protected:
    void SetUp() override {
        ServicesTest::SetUp();
        FakeNow = PointerX = PointerY = 0;
        Alphas.clear();
        SystemSeams().PerformanceFrequency = [](LARGE_INTEGER& v) -> BOOL { v.QuadPart = 1000; return TRUE; };
        SystemSeams().PerformanceCounter = [](LARGE_INTEGER& v) -> BOOL { v.QuadPart = FakeNow; return TRUE; };
        SystemSeams().TickCount = [] { return static_cast<DWORD>(FakeNow); };
        SystemSeams().CursorPos = [] { return POINT{PointerX, PointerY}; };
        SystemSeams().FindUpdateLayeredWindow = [] { return &RecordAlpha; };
        contexts = HandleCounters::DeviceContexts();
        objects = HandleCounters::GdiObjects();
    }
    void TearDown() override {
        FinishWindowAnimation(nullptr);
        Application->ProcessMessages();  // late worker messages meet no animation
        EXPECT_EQ(HandleCounters::DeviceContexts(), contexts);
        EXPECT_EQ(HandleCounters::GdiObjects(), objects);
        ServicesTest::TearDown();
    }
    static void AdvanceTo(LONGLONG ms, size_t alphas) {
        FakeNow = ms;
        ASSERT_TRUE(PumpUntil([&] { return Alphas.size() == alphas; })) << ms << " ms";
    }
    long contexts = 0, objects = 0;
};

TEST_F(Animation, AFadeRisesInStepsOfSixteenAndEndsOnTheFullImage) {
    for (bool counterWorks : {true, false}) {  // without a counter the tick count times it
        SCOPED_TRACE(counterWorks ? "performance counter" : "tick count");
        if (!counterWorks) SystemSeams().PerformanceFrequency = [](LARGE_INTEGER& v) -> BOOL { v.QuadPart = 0; return TRUE; };
        FakeNow = 0;
        Alphas.clear();
        Popup popup;
        StartWindowAnimation(popup.get(), 160, true, 0);
        EXPECT_TRUE(IsWindowVisible(popup.get()));
        EXPECT_TRUE(popup.Layered());
        AdvanceTo(40, 2);   // 255 × 40 ÷ 160 = 64
        AdvanceTo(100, 3);  // 159, shown as 144
        EXPECT_EQ(Alphas, (std::vector<int>{32, 64, 144}));
        EXPECT_EQ(popup.done, 0);
        FakeNow = 160;
        ASSERT_TRUE(PumpUntil([&] { return popup.done == 1; }));
        EXPECT_FALSE(WindowAnimationRunning());
        EXPECT_FALSE(popup.Layered());
        EXPECT_EQ(Alphas.size(), 3u) << "the end shows the image itself";
    }
}

TEST_F(Animation, ASlideUncoversTheWindowFromItsEdge) {
    const std::pair<TTBAnimationDirection, RECT> cases[] = {
        {tbadFromTop, {0, 0, 120, 50}}, {tbadFromBottom, {0, 50, 120, 100}},
        {tbadFromLeft, {0, 0, 60, 100}}, {tbadFromRight, {60, 0, 120, 100}},
    };
    for (const auto& [direction, halfway] : cases) {
        SCOPED_TRACE(direction);
        Popup popup;
        FakeNow = 0;
        StartWindowAnimation(popup.get(), 160, false, direction);
        EXPECT_EQ(popup.Shown(), testing::PrintToString(RECT{0, 0, 0, 0}));
        FakeNow = 80;  // level 128: half of each side
        EXPECT_TRUE(PumpUntil([&] { return popup.Shown() == testing::PrintToString(halfway); })) << popup.Shown();
        FakeNow = 1000;
        ASSERT_TRUE(PumpUntil([&] { return popup.done == 1; }));
        EXPECT_EQ(popup.Shown(), "none");
    }
    EXPECT_TRUE(Alphas.empty());
}

TEST_F(Animation, APaintRequestOrThePointerArrivingEndsItAtOnce) {
    Popup painted;
    painted.finishOnPaint = true;
    StartWindowAnimation(painted.get(), 10000, true, 0);
    InvalidateRect(painted.get(), nullptr, TRUE);
    UpdateWindow(painted.get());
    EXPECT_EQ(painted.done, 1);
    EXPECT_FALSE(painted.Layered());

    Popup reached;
    StartWindowAnimation(reached.get(), 10000, false, tbadFromTop);
    PointerX = PointerY = 250;  // inside the popup's client area
    ASSERT_TRUE(PumpUntil([&] { return reached.done == 1; }));
    EXPECT_EQ(reached.Shown(), "none");
    EXPECT_EQ(Alphas, (std::vector<int>{32}));
}

TEST_F(Animation, LateOrForeignStepMessagesChangeNothing) {
    Popup popup, other;
    StartWindowAnimation(popup.get(), 10000, true, 0);
    AdvanceTo(2000, 2);  // level 51, shown as 48
    const LPARAM id = popup.lastStep;
    SendMessageA(other.get(), WM_TB_ANIMATIONSTEP, 0, id);      // the right id, another window
    SendMessageA(popup.get(), WM_TB_ANIMATIONSTEP, 0, id + 1);  // the right window, another id
    EXPECT_TRUE(WindowAnimationRunning(popup.get()));
    FinishWindowAnimation(popup.get());
    SendMessageA(popup.get(), WM_TB_ANIMATIONSTEP, 0, id);  // the ended animation's own id
    Application->ProcessMessages();                          // and the worker's last message
    EXPECT_EQ(Alphas, (std::vector<int>{32, 48}));
    EXPECT_EQ(popup.done, 1);
    EXPECT_FALSE(popup.Layered());
}

TEST_F(Animation, APopupBeingDestroyedGetsNoImageAndNoDoneMessage) {
    for (auto end : {+[](HWND w) { FinishWindowAnimation(w); }, +[](HWND w) { DiscardWindowAnimation(w); }}) {
        auto popup = std::make_unique<Popup>();
        popup->onDestroy = end;
        int done = 0;
        popup->window.OnMessage = [&, next = popup->window.OnMessage](UINT m, WPARAM w, LPARAM l) {
            if (m == WM_TB_ANIMATIONDONE) ++done;
            return next(m, w, l);
        };
        StartWindowAnimation(popup->get(), 10000, true, 0);
        popup.reset();
        EXPECT_FALSE(WindowAnimationRunning());
        EXPECT_EQ(done, 0);
    }
}

}  // namespace
