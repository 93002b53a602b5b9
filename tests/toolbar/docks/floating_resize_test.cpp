#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "support/ui_driver.h"
#include "toolbar/docks/toolbar.h"
#include "widgets/form.h"

namespace {

std::string Text(const std::vector<SIZE>& sizes) {
    std::string text;
    for (SIZE s : sizes) text += std::to_string(s.cx) + "x" + std::to_string(s.cy) + " ";
    return text;
}

// A floating bar's layout in miniature: items placed greedily in lines of `wrap` pixels inside
// margins of 4 left and right, 2 above and 1 below; a wrapped bar is at least `wrap` wide.
std::function<TTBLayoutResult(int)> GreedyLayout(std::vector<int> widths, int height = 22) {
    return [widths, height](int wrap) {
        int x = 4, extent = 4, lines = 1;
        for (int w : widths) {
            if (wrap > 0 && x > 4 && x + w > wrap - 4) {
                ++lines;
                x = 4;
            }
            x += w;
            extent = std::max(extent, x);
        }
        TTBLayoutResult r;
        r.Lines = lines;
        r.TotalSize = POINT{std::max(extent + 4, lines > 1 ? wrap : 0), lines * height + 3};
        return r;
    };
}

TEST(FloatingSizeListTest, OneSizePerLineCountEachAtItsNarrowestWidth) {
    struct Case {
        const char* name;
        std::vector<int> widths;
        std::vector<SIZE> expected;
    } cases[] = {
        // 5 per line, then 3 (2 lines), 2 (3 lines), 1 (5 lines); 4 per line is also 2 lines.
        {"five buttons", {23, 23, 23, 23, 23}, {{123, 25}, {77, 47}, {54, 69}, {31, 113}}},
        // Below 68 the 60-pixel item overhangs its line (a fourth line at 53): given its real
        // width, such a layout would wrap otherwise, so it is left out.
        {"a wide item", {60, 23, 23, 23}, {{137, 25}, {77, 47}, {68, 69}}},
        {"one item", {23}, {{31, 25}}},
        {"nothing narrower than the margins", {}, {{8, 25}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<SIZE> sizes = FloatingSizeList(GreedyLayout(c.widths), 8);
        EXPECT_EQ(Text(sizes), Text(c.expected));
    }
}

// ---- end to end ---------------------------------------------------------------------------

RECT ScreenRect(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r;
}
POINT Offset(POINT p, int dx, int dy) { return POINT{p.x + dx, p.y + dy}; }

// A floating toolbar with five buttons.
class FloatingResizeTest : public testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 500, 300);
        dock = TComponent::Create<TTBDock>(form.get());
        dock->SetParent(form.get());
        toolbar = TComponent::Create<TTBToolbar>(form.get());
        toolbar->SetParent(dock);
        // One caption for all: the buttons are equally wide.
        for (int i = 0; i < 5; ++i) {
            auto* item = TComponent::Create<TTBItem>(form.get());
            item->SetCaption("A");
            item->SetParentComponent(toolbar);
            items.push_back(item);
        }
        form->Show();
        toolbar->SetFloatingPosition(POINT{300, 300});
        toolbar->SetFloating(true);
        PumpFor(50);
        button = toolbar->View()->Find(items[0])->Width();
    }
    void TearDown() override {
        if (GetCapture()) ReleaseCapture();
        Release();
        form.reset();
        PumpFor(20);
    }
    HWND Parent() { return toolbar->FloatingParent()->Handle(); }
    RECT ParentRect() { return ScreenRect(Parent()); }
    SIZE ToolbarSize() { return SIZE{toolbar->Width(), toolbar->Height()}; }
    LRESULT HitAt(POINT p) { return SendMessageA(Parent(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)); }
    // Presses at `start`, then runs `steps` one per timer tick inside the loop the press starts.
    void Drag(POINT start, std::vector<std::function<void()>> steps) {
        // A press soon after the last one at the same place would be a double-click.
        PumpUntil([&] { return GetTickCount() - lastPress_ > GetDoubleClickTime(); });
        MoveTo(start);
        PumpFor(30);
        InputScript script(std::move(steps));
        lastPress_ = GetTickCount();
        Press();
        ASSERT_TRUE(PumpUntil([&] { return script.Done(); }, 5000));
        PumpFor(60);
    }

    std::unique_ptr<TForm> form;
    TTBDock* dock = nullptr;
    TTBToolbar* toolbar = nullptr;
    std::vector<TTBItem*> items;
    int button = 0;
    DWORD lastPress_ = GetTickCount() - 10000;
};

TEST_F(FloatingResizeTest, DraggingTheBorderStepsThroughTheLayoutsAndKeepsTheOppositeEdge) {
    const int w = button;
    ASSERT_GT(w, 0);
    std::vector<SIZE> sizes = toolbar->FloatingSizes();
    ASSERT_EQ(sizes.size(), 4u) << Text(sizes);
    // The view wraps exactly as the list says: 5, 3, 2 and 1 buttons per line.
    const int lineHeight = toolbar->View()->Find(items[0])->Height();
    const SIZE oneLine{5 * w + 8, lineHeight + 3};
    EXPECT_EQ(Text(sizes), Text({oneLine, {3 * w + 8, 2 * lineHeight + 3}, {2 * w + 8, 3 * lineHeight + 3},
                                 {w + 8, 5 * lineHeight + 3}}));
    ASSERT_EQ(Text({ToolbarSize()}), Text({oneLine}));

    RECT r = ParentRect();
    const POINT right{r.right - 1, (r.top + r.bottom) / 2};
    const POINT left{r.left, (r.top + r.bottom) / 2};
    EXPECT_EQ(HitAt(right), HTRIGHT);
    EXPECT_EQ(HitAt(left), HTLEFT);
    EXPECT_EQ(HitAt(POINT{(r.left + r.right) / 2, r.bottom - 1}), HTBOTTOM);
    EXPECT_EQ(HitAt(POINT{(r.left + r.right) / 2, r.top}), HTTOP);
    toolbar->SetResizable(false);
    EXPECT_EQ(HitAt(right), HTTBDRAGHANDLE) << "a fixed border moves the window";
    toolbar->SetResizable(true);

    // The right edge: 12 pixels change nothing, 13 take the next narrower layout; one more
    // step inward is 2 buttons per line.
    SIZE atTwelve{}, atThirteen{};
    Drag(right, {[&] { MoveTo(Offset(right, -12, 0)); }, [&] { atTwelve = ToolbarSize(); },
                 [&] { MoveTo(Offset(right, -13, 0)); }, [&] { atThirteen = ToolbarSize(); },
                 [&] { MoveTo(Offset(right, -26, 0)); }, [] { Release(); }});
    EXPECT_EQ(Text({atTwelve}), Text({oneLine}));
    EXPECT_EQ(atThirteen.cx, 3 * w + 8);
    EXPECT_EQ(toolbar->FloatingWidth(), 2 * w + 8) << "the chosen width is kept";
    RECT after = ParentRect();
    EXPECT_EQ(after.left, r.left);
    EXPECT_EQ(after.top, r.top);
    EXPECT_EQ(after.right - after.left, 2 * w + 8 + 6);
    EXPECT_EQ(GetCapture(), nullptr);

    // The left edge dragged outwards widens the bar to the left: the right edge stays.
    r = ParentRect();
    POINT leftEdge{r.left, (r.top + r.bottom) / 2};
    Drag(leftEdge, {[&] { MoveTo(Offset(leftEdge, -13, 0)); }, [] { Release(); }});
    EXPECT_EQ(toolbar->FloatingWidth(), 3 * w + 8);
    after = ParentRect();
    EXPECT_EQ(after.right, r.right);
    EXPECT_EQ(after.top, r.top);
    EXPECT_EQ(after.right - after.left, 3 * w + 8 + 6);

    // The top edge, by height: dragged up, the next taller layout (3 lines); the bottom stays.
    r = ParentRect();
    POINT topEdge{(r.left + r.right) / 2, r.top};
    Drag(topEdge, {[&] { MoveTo(Offset(topEdge, 0, -13)); }, [] { Release(); }});
    EXPECT_EQ(toolbar->FloatingWidth(), 2 * w + 8);
    after = ParentRect();
    EXPECT_EQ(after.bottom, r.bottom);
    EXPECT_EQ(after.left, r.left);
    EXPECT_EQ(ToolbarSize().cy, 3 * lineHeight + 3);

    // One button left has one size: its border moves the window.
    for (size_t i = 1; i < items.size(); ++i) items[i]->SetVisible(false);
    PumpFor(30);
    r = ParentRect();
    EXPECT_EQ(HitAt(POINT{(r.left + r.right) / 2, r.bottom - 4}), HTCLIENT);
    EXPECT_EQ(HitAt(POINT{r.right - 1, (r.top + r.bottom) / 2}), HTTBDRAGHANDLE);
}

TEST_F(FloatingResizeTest, EscapeAndALostCaptureCancelTheResize) {
    const RECT r = ParentRect();
    const SIZE before = ToolbarSize();
    const POINT left{r.left, (r.top + r.bottom) / 2};
    // Should the loop survive the lost capture, Escape ends it, so that a failure does not hang.
    SIZE during{};
    bool escaped = false;
    Drag(left, {[&] { MoveTo(Offset(left, 40, 0)); }, [&] { during = ToolbarSize(); }, [] { ReleaseCapture(); }, [] {},
                [&] { if (GetCapture()) { escaped = true; PressKey(VK_ESCAPE, true); PressKey(VK_ESCAPE, false); } },
                [] { Release(); }});
    EXPECT_LT(during.cx, before.cx) << "the resize was under way";
    EXPECT_FALSE(escaped);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Text({ToolbarSize()}), Text({before}));
    EXPECT_EQ(toolbar->FloatingWidth(), 0) << "the width it had before, not the one-line width";
    RECT now = ParentRect();
    EXPECT_TRUE(EqualRect(&now, &r));

    Drag(left, {[&] { MoveTo(Offset(left, 40, 0)); }, [&] { during = ToolbarSize(); },
                [] { PressKey(VK_ESCAPE, true); PressKey(VK_ESCAPE, false); }, [] { Release(); }});
    EXPECT_LT(during.cx, before.cx);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(toolbar->FloatingWidth(), 0);
    now = ParentRect();
    EXPECT_TRUE(EqualRect(&now, &r));
}

}  // namespace
