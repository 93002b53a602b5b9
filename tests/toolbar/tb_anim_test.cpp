#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "support/test_env.h"
#include "toolbar/services_fixture.h"
#include "toolbar/tb_anim.h"
#include "widgets/application.h"

namespace {

// The worker's clock and pointer, moved by the tests. Alpha cannot be seen on Xvfb without a
// compositor, so the levels handed to UpdateLayeredWindow are recorded instead.
std::atomic<LONGLONG> FakeNow{0};
std::atomic<LONG> PointerX{0}, PointerY{0};

struct LayeredCall {
    HWND Window;
    BYTE Alpha;
    SIZE Size;
    DWORD Flags;
};
std::vector<LayeredCall>& LayeredCalls() {
    static std::vector<LayeredCall> calls;
    return calls;
}

BOOL WINAPI RecordUpdateLayered(HWND window, HDC, POINT*, SIZE* size, HDC, POINT*, COLORREF, BLENDFUNCTION* blend,
                                DWORD flags) {
    LayeredCalls().push_back({window, blend->SourceConstantAlpha, *size, flags});
    return TRUE;
}

constexpr RECT PopupBounds{200, 200, 320, 300};  // 120 × 100

// A hidden popup that handles the animation messages as the framework's popups do.
struct AnimatedWindow {
    AnimatedWindow() : window(PopupBounds, WS_POPUP) {
        window.OnMessage = [this](UINT msg, WPARAM, LPARAM lParam, LRESULT&) {
            if (msg == WM_TB_ANIMATIONSTEP) {
                lastStepId = lParam;
                ProcessAnimationStep(window.get(), lParam);
            } else if (msg == WM_TB_ANIMATIONDONE) {
                ++done;
            } else if (msg == WM_PAINT && finishOnPaint) {
                FinishWindowAnimation(window.get());
            } else if (msg == WM_DESTROY && onDestroy) {
                onDestroy(window.get());
            }
            return false;
        };
    }
    HWND get() const { return window.get(); }
    bool Layered() const { return (GetWindowLongA(window.get(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }
    // The part of the window its region lets through; null when it has no region.
    std::unique_ptr<RECT> VisiblePart() const {
        RegionHandle region(CreateRectRgn(0, 0, 0, 0));
        if (GetWindowRgn(window.get(), region.get()) == ERROR) return nullptr;
        RegionHandle whole(CreateRectRgn(0, 0, 120, 100));
        CombineRgn(region.get(), region.get(), whole.get(), RGN_AND);
        auto box = std::make_unique<RECT>();
        GetRgnBox(region.get(), box.get());
        return box;
    }

    ProbeWindow window;
    int done = 0;
    LPARAM lastStepId = 0;
    bool finishOnPaint = false;
    std::function<void(HWND)> onDestroy;
};

class Animation : public ServicesTest {
protected:
    void SetUp() override {
        ServicesTest::SetUp();
        FakeNow = 0;
        PointerX = 0;
        PointerY = 0;
        LayeredCalls().clear();
        SystemSeams().PerformanceFrequency = [](LARGE_INTEGER& v) -> BOOL { v.QuadPart = 1000; return TRUE; };
        SystemSeams().PerformanceCounter = [](LARGE_INTEGER& v) -> BOOL { v.QuadPart = FakeNow.load(); return TRUE; };
        SystemSeams().CursorPos = [] { return POINT{PointerX.load(), PointerY.load()}; };
        SystemSeams().FindUpdateLayeredWindow = [] { return &RecordUpdateLayered; };
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
    static std::vector<int> Alphas() {
        std::vector<int> alphas;
        for (const LayeredCall& c : LayeredCalls()) alphas.push_back(c.Alpha);
        return alphas;
    }
    long contexts = 0, objects = 0;
};

TEST_F(Animation, AFadeRisesInStepsOfSixteenAndEndsOnTheFullImage) {
    AnimatedWindow popup;
    StartWindowAnimation(popup.get(), 160, true, 0);
    EXPECT_TRUE(IsWindowVisible(popup.get()));
    EXPECT_TRUE(popup.Layered());
    ASSERT_EQ(LayeredCalls().size(), 1u);
    EXPECT_EQ(LayeredCalls()[0].Alpha, 32);
    EXPECT_EQ(LayeredCalls()[0].Flags, static_cast<DWORD>(ULW_ALPHA));
    EXPECT_EQ(LayeredCalls()[0].Size.cx, 120);
    EXPECT_EQ(LayeredCalls()[0].Size.cy, 100);

    FakeNow = 40;  // 255 × 40 ÷ 160 = 64
    ASSERT_TRUE(PumpUntil([] { return LayeredCalls().size() == 2; }));
    FakeNow = 100;  // 159, shown as 144
    ASSERT_TRUE(PumpUntil([] { return LayeredCalls().size() == 3; }));
    EXPECT_EQ(Alphas(), (std::vector<int>{32, 64, 144}));
    EXPECT_TRUE(WindowAnimationRunning(popup.get()));
    EXPECT_EQ(popup.done, 0);

    FakeNow = 160;
    ASSERT_TRUE(PumpUntil([&] { return popup.done == 1; }));
    EXPECT_FALSE(WindowAnimationRunning());
    EXPECT_FALSE(popup.Layered());
    EXPECT_EQ(LayeredCalls().size(), 3u) << "the end shows the image itself, not another level";
}

TEST_F(Animation, ASlideUncoversTheWindowFromItsEdge) {
    struct Case { const char* name; TTBAnimationDirection direction; RECT halfway; };
    const Case cases[] = {
        {"from the top", tbadFromTop, {0, 0, 120, 50}},
        {"from the bottom", tbadFromBottom, {0, 50, 120, 100}},
        {"from the left", tbadFromLeft, {0, 0, 60, 100}},
        {"from the right", tbadFromRight, {60, 0, 120, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnimatedWindow popup;
        FakeNow = 0;
        StartWindowAnimation(popup.get(), 160, false, c.direction);
        EXPECT_FALSE(popup.Layered());
        auto part = popup.VisiblePart();
        ASSERT_TRUE(part);
        EXPECT_TRUE(IsRectEmpty(part.get())) << "nothing shows before the first step";

        FakeNow = 80;  // level 128: half of each side
        ASSERT_TRUE(PumpUntil([&] {
            auto p = popup.VisiblePart();
            return p && !IsRectEmpty(p.get());
        }));
        part = popup.VisiblePart();
        EXPECT_TRUE(EqualRect(part.get(), &c.halfway))
            << part->left << "," << part->top << "," << part->right << "," << part->bottom;

        FakeNow = 1000;
        ASSERT_TRUE(PumpUntil([&] { return popup.done == 1; }));
        EXPECT_FALSE(popup.VisiblePart()) << "the region is gone at the end";
        EXPECT_TRUE(LayeredCalls().empty());
    }
}

TEST_F(Animation, APaintRequestJumpsToTheFinalImageAtOnce) {
    AnimatedWindow popup;
    popup.finishOnPaint = true;
    StartWindowAnimation(popup.get(), 10000, true, 0);
    InvalidateRect(popup.get(), nullptr, TRUE);
    UpdateWindow(popup.get());
    EXPECT_FALSE(WindowAnimationRunning());
    EXPECT_EQ(popup.done, 1);
    EXPECT_FALSE(popup.Layered());
    EXPECT_EQ(Alphas(), (std::vector<int>{32}));
}

TEST_F(Animation, ThePointerReachingThePopupEndsTheAnimation) {
    AnimatedWindow popup;
    StartWindowAnimation(popup.get(), 10000, false, tbadFromTop);
    PointerX = 250;  // inside the client area, which is the whole popup here
    PointerY = 250;
    ASSERT_TRUE(PumpUntil([&] { return popup.done == 1; }));
    EXPECT_FALSE(WindowAnimationRunning());
    EXPECT_FALSE(popup.VisiblePart());
}

TEST_F(Animation, LateOrForeignStepMessagesChangeNothing) {
    AnimatedWindow popup, other;
    StartWindowAnimation(popup.get(), 10000, true, 0);
    FakeNow = 2000;  // level 51, shown as 48
    ASSERT_TRUE(PumpUntil([] { return LayeredCalls().size() == 2; }));
    const LPARAM id = popup.lastStepId;
    ASSERT_NE(id, 0);

    SendMessageA(other.get(), WM_TB_ANIMATIONSTEP, 0, id);  // right id, wrong window
    SendMessageA(popup.get(), WM_TB_ANIMATIONSTEP, 0, id + 1);  // right window, wrong id
    EXPECT_EQ(LayeredCalls().size(), 2u);
    EXPECT_TRUE(WindowAnimationRunning(popup.get()));

    FinishWindowAnimation(popup.get());
    EXPECT_EQ(popup.done, 1);
    SendMessageA(popup.get(), WM_TB_ANIMATIONSTEP, 0, id);  // the ended animation's own id
    Application->ProcessMessages();                          // and the worker's last message
    EXPECT_EQ(LayeredCalls().size(), 2u);
    EXPECT_EQ(popup.done, 1);
    EXPECT_FALSE(popup.Layered());
}

TEST_F(Animation, AHiddenPopupGetsItsStyleBackButNothingShown) {
    AnimatedWindow popup;
    StartWindowAnimation(popup.get(), 10000, true, 0);
    ShowWindow(popup.get(), SW_HIDE);
    FinishWindowAnimation(popup.get());
    EXPECT_FALSE(WindowAnimationRunning());
    EXPECT_FALSE(popup.Layered());
    EXPECT_FALSE(IsWindowVisible(popup.get()));
    EXPECT_EQ(popup.done, 0);
}

TEST_F(Animation, APopupBeingDestroyedGetsNoImageAndNoDoneMessage) {
    // Popups end their animation from their destruction; either way of ending must stay quiet.
    const std::pair<const char*, void (*)(HWND)> endings[] = {
        {"finish", [](HWND w) { FinishWindowAnimation(w); }},
        {"discard", [](HWND w) { DiscardWindowAnimation(w); }},
    };
    for (const auto& [name, end] : endings) {
        SCOPED_TRACE(name);
        LayeredCalls().clear();
        auto popup = std::make_unique<AnimatedWindow>();
        int done = 0;
        popup->window.OnMessage = [&, end = end, w = popup.get()](UINT msg, WPARAM, LPARAM lParam, LRESULT&) {
            if (msg == WM_TB_ANIMATIONSTEP) ProcessAnimationStep(w->get(), lParam);
            if (msg == WM_TB_ANIMATIONDONE) ++done;
            if (msg == WM_DESTROY) end(w->get());
            return false;
        };
        StartWindowAnimation(popup->get(), 10000, true, 0);
        popup.reset();
        EXPECT_FALSE(WindowAnimationRunning());
        EXPECT_EQ(done, 0);
        EXPECT_EQ(Alphas(), (std::vector<int>{32}));
    }
}

TEST_F(Animation, StartingAnotherAnimationFinishesTheFirst) {
    AnimatedWindow first, second;
    StartWindowAnimation(first.get(), 10000, true, 0);
    StartWindowAnimation(second.get(), 10000, false, tbadFromLeft);
    EXPECT_EQ(first.done, 1);
    EXPECT_FALSE(first.Layered());
    EXPECT_FALSE(WindowAnimationRunning(first.get()));
    EXPECT_TRUE(WindowAnimationRunning(second.get()));
}

TEST_F(Animation, WithoutAPerformanceCounterTheTickCountTimesIt) {
    std::atomic<DWORD> ticks{5000};
    SystemSeams().PerformanceFrequency = [](LARGE_INTEGER& v) -> BOOL { v.QuadPart = 0; return TRUE; };
    SystemSeams().TickCount = [&] { return ticks.load(); };
    AnimatedWindow popup;
    StartWindowAnimation(popup.get(), 160, true, 0);
    ticks = 5040;
    ASSERT_TRUE(PumpUntil([] { return LayeredCalls().size() == 2; }));
    EXPECT_EQ(Alphas(), (std::vector<int>{32, 64}));
    ticks = 5200;
    ASSERT_TRUE(PumpUntil([&] { return popup.done == 1; }));
}

TEST_F(Animation, WithoutLayeredWindowsAFadeSlidesOrShowsAtOnce) {
    SystemSeams().FindUpdateLayeredWindow = [] { return TUpdateLayeredWindowProc{}; };
    AnimatedWindow sliding, plain;
    StartWindowAnimation(sliding.get(), 10000, true, tbadFromBottom);
    EXPECT_FALSE(sliding.Layered());
    auto part = sliding.VisiblePart();
    ASSERT_TRUE(part);
    EXPECT_TRUE(IsRectEmpty(part.get()));
    FinishWindowAnimation(nullptr);

    StartWindowAnimation(plain.get(), 10000, true, 0);
    EXPECT_FALSE(WindowAnimationRunning());
    EXPECT_TRUE(IsWindowVisible(plain.get()));
    EXPECT_FALSE(plain.Layered());
}

}  // namespace
