// The gallery's toolbars dragged, resized, closed and docked with the system's mouse input.
#include "gallery_fixture.h"

namespace {
using S = Script;

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}
POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
// A part of the floating parent's frame (in its window coordinates) on the screen.
RECT OnScreen(TTBFloatingWindowParent* parent, RECT part) {
    RECT window = WindowRect(parent->Handle());
    OffsetRect(&part, window.left, window.top);
    return part;
}
S::Step DoubleClickAt(std::function<POINT()> where, std::string what) {
    return S::Do([where] {
        POINT p = where();
        SetCursorPos(p.x, p.y);
        for (DWORD flags : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP})
            SendMouse(flags);
    }, std::move(what));
}
// Presses at `from`, moves there in steps, releases once `arrived` holds.
std::vector<S::Step> Drag(std::function<POINT()> from, std::function<POINT()> to, std::function<bool()> arrived,
                          std::string what) {
    auto start = std::make_shared<POINT>();
    std::vector<S::Step> steps{S::Do([=] { *start = from(); MoveTo(*start); }), S::Do([] { Press(); })};
    for (int i = 1; i <= 6; ++i) {
        steps.push_back(S::Do([=] {
            POINT end = to();
            MoveTo(POINT{start->x + (end.x - start->x) * i / 6, start->y + (end.y - start->y) * i / 6});
        }));
    }
    steps.push_back(S::Until(arrived, what));
    steps.push_back(S::Do([] { Release(); }));
    steps.push_back(S::Until([] { return GetCapture() == nullptr; }, "the drag ends"));
    return steps;
}
void Append(std::vector<S::Step>& steps, std::vector<S::Step> more) {
    for (S::Step& step : more) steps.push_back(std::move(step));
}
}  // namespace

TEST_F(GalleryTest, AToolbarFloatsResizesClosesAndDocksAgainUnderTheMouse) {
    TTBToolbar* bar = form->StandardBar;
    auto parent = [bar] { return bar->FloatingParent(); };
    const POINT middle = form->ClientToScreen(POINT{380, 320});
    LONG oneLineHeight = 0;
    std::vector<S::Step> steps;
    // Out of the top dock by its grip.
    Append(steps, Drag([bar] { RECT r = WindowRect(bar->Handle()); return POINT{r.left + 3, (r.top + r.bottom) / 2}; },
                       [=] { return middle; }, [bar] { return bar->Floating(); }, "the bar floats"));
    steps.push_back(S::Do([&] { oneLineHeight = WindowRect(parent()->Handle()).bottom - WindowRect(parent()->Handle()).top; }));
    // Narrower by its right border: the buttons wrap onto more lines.
    Append(steps, Drag([&] { RECT r = WindowRect(parent()->Handle()); return POINT{r.right - 1, r.bottom - 8}; },
                       [&] { RECT r = WindowRect(parent()->Handle()); return POINT{r.right - 160, r.bottom - 8}; },
                       [&] { RECT r = WindowRect(parent()->Handle()); return r.bottom - r.top > oneLineHeight; },
                       "the bar wraps"));
    // Its close button hides it; the View menu shows it again, still floating.
    steps.push_back(ClickAt([&] { return Centre(OnScreen(parent(), parent()->Frame().CloseButton)); }, "close button"));
    steps.push_back(S::Until([&] { return !bar->Visible() && !IsWindowVisible(parent()->Handle()); }, "the bar closes"));
    steps.push_back(ClickAt([&] { return CentreOf(form->MenuBar, Menu("View")); }, "click View"));
    steps.push_back(S::Until([&] { return OpenChain() == "View"; }, "View opens"));
    steps.push_back(ClickAt([&] { return CentreOf(form->MenuBar->View()->OpenView(), Menu("View/Standard bar")); }));
    steps.push_back(S::Until([&] { return bar->Visible() && IsWindowVisible(parent()->Handle()); }, "the bar shows"));
    // A double-click on its caption puts it back where it came from.
    steps.push_back(DoubleClickAt([&] {
        RECT caption = OnScreen(parent(), parent()->Frame().Caption);
        return POINT{caption.left + 20, (caption.top + caption.bottom) / 2};
    }, "double-click the caption"));
    steps.push_back(S::Until([&] { return bar->Docked(); }, "the bar docks"));

    std::string failure = Run(std::move(steps));
    ASSERT_EQ(failure, "");
    EXPECT_EQ(bar->CurrentDock(), form->TopDock);
    EXPECT_GT(bar->Top(), form->MenuBar->Top());  // below the menu bar, in its own row again
    EXPECT_GT(bar->FloatingWidth(), 0);            // the width the border gave it
    EXPECT_TRUE(Menu("View/Standard bar")->Checked());
}

TEST_F(GalleryTest, TheFloatingPaletteDocksWhereItIsDraggedOrBackByItsCaption) {
    TTBToolbar* palette = form->PaletteBar;
    auto caption = [palette] {
        TTBFloatingWindowParent* parent = palette->FloatingParent();
        RECT r = OnScreen(parent, parent->Frame().Caption);
        return POINT{r.left + 20, (r.top + r.bottom) / 2};
    };
    const POINT leftEdge = form->ClientToScreen(POINT{6, 400});
    std::vector<S::Step> steps;
    // By its caption into the left dock, below the tools bar.
    Append(steps, Drag(caption, [=] { return leftEdge; }, [=, this] { return palette->CurrentDock() == form->LeftDock; },
                       "the palette docks at the left"));
    // Out again by its grip (at the top in a left dock), then back by its caption: into the dock
    // it came from.
    Append(steps, Drag([=] { RECT r = WindowRect(palette->Handle()); return POINT{(r.left + r.right) / 2, r.top + 3}; },
                       [this] { return form->ClientToScreen(POINT{400, 200}); }, [=] { return palette->Floating(); },
                       "the palette floats"));
    steps.push_back(DoubleClickAt(caption, "double-click the caption"));
    steps.push_back(S::Until([=] { return palette->Docked(); }, "the palette docks"));

    std::string failure = Run(std::move(steps));
    ASSERT_EQ(failure, "");
    EXPECT_EQ(palette->CurrentDock(), form->LeftDock);
    // Laid out for the dock again, although it came back at the size it had there.
    EXPECT_EQ(palette->View()->Orientation(), voVertical);
    const RECT first = palette->View()->Viewers(0)->BoundsRect, second = palette->View()->Viewers(1)->BoundsRect;
    EXPECT_EQ(second.top, first.bottom);
}
