#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "support/ui_driver.h"
#include "support/window_count.h"
#include "toolbar/base/quarantine.h"
#include "toolbar/base/services_fixture.h"
#include "toolbar/docks/dock.h"
#include "widgets/exception.h"
#include "widgets/form.h"

namespace {

// A dockable window with a fixed content size.
class TestBar : public TTBCustomDockableWindow {
public:
    using TTBCustomDockableWindow::TTBCustomDockableWindow;
    SIZE Base{60, 22};
    std::function<SIZE(TestBar&)> SizeRule;  // replaces Base when set
    int CalcSizeCalls = 0;
    SIZE GetBaseSize() override { return Base; }
    SIZE CalcSize(bool, TTBDockType, TTBDock*) override {
        ++CalcSizeCalls;
        return SizeRule ? SizeRule(*this) : Base;
    }
    TTBShrinkMode Shrink = tbsmNone;
    TTBShrinkMode GetShrinkMode() override { return Shrink; }
    int GetMinShrinkSize() override { return 30; }
};

RECT ScreenRect(TWinControl& control) {
    RECT r;
    GetWindowRect(control.Handle(), &r);
    return r;
}
// A point on the drag handle of a bar docked at the top or bottom.
POINT GripOf(TWinControl& bar) {
    RECT r = ScreenRect(bar);
    return POINT{r.left + 4, (r.top + r.bottom) / 2};
}
POINT Offset(POINT p, int dx, int dy) { return POINT{p.x + dx, p.y + dy}; }

class DockTest : public testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 500, 400);
        form->Show();
    }
    void TearDown() override {
        if (GetCapture()) ReleaseCapture();
        Release();
        form.reset();
        PumpFor(20);
    }
    TTBDock* AddDock(TTBDockPosition position) {
        auto* dock = TComponent::Create<TTBDock>(form.get());
        dock->SetPosition(position);
        dock->SetParent(form.get());
        return dock;
    }
    TestBar* AddBar(TTBDock* dock, int row, int pos, SIZE base = SIZE{60, 22}) {
        auto* bar = TComponent::Create<TestBar>(form.get());
        bar->Base = base;
        bar->SetDockRow(row);
        bar->SetDockPos(pos);
        bar->SetParent(dock);
        return bar;
    }
    // Presses at `start`, then runs `moves` one per timer tick inside the loop the press starts.
    void Drag(POINT start, std::vector<std::function<void()>> moves) {
        // A press soon after the last one at the same place would be a double-click.
        PumpUntil([&] { return GetTickCount() - lastPress_ > GetDoubleClickTime(); });
        MoveTo(start);
        PumpFor(30);
        InputScript script(std::move(moves));
        lastPress_ = GetTickCount();
        Press();
        ASSERT_TRUE(PumpUntil([&] { return script.Done(); }, 5000));
        PumpFor(60);
    }
    std::unique_ptr<TForm> form;
    DWORD lastPress_ = GetTickCount() - 10000;
};

SIZE ClientSize(TWinControl& control) {
    RECT r;
    GetClientRect(control.Handle(), &r);
    return SIZE{r.right, r.bottom};
}

TEST_F(DockTest, DockTakesTheThicknessOfItsRowsAndFramesItsWindows) {
    TTBDock* top = AddDock(dpTop);
    TTBDock* left = AddDock(dpLeft);
    EXPECT_EQ(top->Height(), 0);
    top->SetFixAlign(true);
    EXPECT_EQ(top->Height(), 1);

    std::vector<std::string> events;
    top->OnInsertRemoveBar = [&](TTBDock*, bool inserting, TTBCustomDockableWindow*) {
        events.push_back(inserting ? "in" : "out");
    };
    TestBar* bar = AddBar(top, 0, -1);
    EXPECT_EQ(top->Height(), 26) << "22-pixel contents plus 4";
    // A single grip and no close button: a frame 10 wide and 4 high.
    EXPECT_EQ(bar->BoundsRect().left, 0) << "the default position -1 is the start of the row";
    EXPECT_EQ(bar->Width(), 70);
    EXPECT_EQ(ClientSize(*bar).cx, 60);
    EXPECT_EQ(ClientSize(*bar).cy, 22);

    TestBar* second = AddBar(top, 3, 0, SIZE{40, 30});
    EXPECT_EQ(top->Height(), 26 + 34) << "row 3 is the second row";
    EXPECT_EQ(second->Top(), 26);
    EXPECT_EQ(second->DockRow(), 3) << "rows are written back only while dragging";

    bar->SetVisible(false);
    second->SetVisible(false);
    EXPECT_EQ(top->Height(), 1);
    EXPECT_EQ(events, (std::vector<std::string>{"in", "in", "out", "out"}));

    TestBar* side = AddBar(left, 0, 0, SIZE{22, 60});
    EXPECT_EQ(left->Width(), 26);
    EXPECT_EQ(ClientSize(*side).cx, 22);
    EXPECT_EQ(side->Height(), 70) << "the grip runs along the top in a side dock";

    side->SetDragHandleStyle(dhDouble);
    EXPECT_EQ(side->Height(), 60 + 13);
    side->SetCloseButtonWhenDocked(true);
    EXPECT_EQ(side->Height(), 60 + 18);
    left->SetAllowDrag(false);
    EXPECT_EQ(side->Height(), 64) << "no handle where dragging is not allowed";
}

TEST_F(DockTest, BoundLinesFrameADockOnlyWhileItHoldsAWindow) {
    TTBDock* dock = AddDock(dpTop);
    dock->SetBoundLines({blTop, blBottom});
    EXPECT_EQ(dock->Height(), 0) << "an empty dock has no thickness, lines or not";
    TestBar* bar = AddBar(dock, 0, 0);
    EXPECT_EQ(dock->Height(), 28);
    EXPECT_EQ(bar->Top(), 0) << "placed in the client area, inside the top line";
    PumpFor(30);
    Surface surface(dock->Width(), dock->Height());
    SendMessageA(dock->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(surface.dc()), PRF_NONCLIENT);
    std::vector<DWORD> pixels = surface.Pixels();
    auto at = [&](int x, int y) { return pixels[y * dock->Width() + x]; };
    auto rgb = [](int index) { COLORREF c = GetSysColor(index); return DWORD(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)); };
    EXPECT_EQ(at(10, 0), rgb(COLOR_BTNSHADOW));
    EXPECT_EQ(at(10, 27), rgb(COLOR_BTNHIGHLIGHT));
    bar->SetVisible(false);
    EXPECT_EQ(dock->Height(), 0);
}

TEST_F(DockTest, FreeingAFloatingWindowOrADockLeavesNothingBehind) {
    TTBDock* dock = AddDock(dpTop);
    TestBar* bar = AddBar(dock, 0, 0);
    int before = CountThreadWindows();
    bar->SetFloating(true);
    ASSERT_TRUE(bar->Floating());
    EXPECT_EQ(CountThreadWindows(), before + 1) << "the floating parent";
    delete bar;
    EXPECT_EQ(CountThreadWindows(), before - 1);
    EXPECT_TRUE(dock->DockList().empty());

    TestBar* other = AddBar(dock, 0, 0);
    delete dock;
    EXPECT_EQ(other->CurrentDock(), nullptr);
    EXPECT_EQ(other->LastDock(), nullptr);
    EXPECT_FALSE(other->Docked());
    other->SetVisible(false);
    other->Arrange();
}

TEST_F(DockTest, PlacingAndRepositioningADockAreRefused) {
    TTBDock* dock = AddDock(dpTop);
    AddBar(dock, 0, 0);
    EXPECT_EQ(ThrownMessage<EInvalidOperation>([&] { dock->SetPosition(dpLeft); }),
              "Cannot change Position of a TTBDock if it already contains controls");
    EXPECT_EQ(dock->Position(), dpTop);

    auto* inner = TComponent::Create<TTBDock>(form.get());
    EXPECT_THROW(inner->SetParent(dock), EInvalidOperation);
    auto* bar = TComponent::Create<TestBar>(form.get());
    bar->SetParent(form.get());
    EXPECT_EQ(ThrownMessage<EInvalidOperation>([&] { inner->SetParent(bar); }),
              "A TTBDock control cannot be placed inside a tool window or another TTBDock");
    EXPECT_EQ(inner->Parent(), nullptr);

    auto* empty = AddDock(dpTop);
    empty->SetPosition(dpBottom);
    EXPECT_EQ(empty->Align(), alBottom);
}

TEST_F(DockTest, AWindowWhoseSizeFlipsWithItsGrantStillLetsTheArrangementEnd) {
    TTBDock* dock = AddDock(dpTop);
    form->SetBounds(100, 100, 300, 400);
    TestBar* bar = AddBar(dock, 0, 0);
    bar->Shrink = tbsmChevron;
    // Cut, it asks for little; given all it asks for, it asks for more than the row: the grant
    // flips between a cut length and 0 on every pass.
    bar->SizeRule = [](TestBar& self) { return SIZE{self.GrantedLength() ? 100 : 1000, 22}; };
    bar->CalcSizeCalls = 0;
    dock->ArrangeToolbars();
    EXPECT_GT(bar->CalcSizeCalls, 1);
    EXPECT_LE(bar->CalcSizeCalls, 8);
}

TEST_F(DockTest, TheGripIsARaisedBarAndTheFrameAnswersHitTests) {
    TTBDock* dock = AddDock(dpTop);
    TestBar* bar = AddBar(dock, 0, 0);
    PumpFor(50);
    RECT r = ScreenRect(*bar);
    {
        WindowAreaDC dc(bar->Handle());
        RedrawWindow(bar->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        int y = (r.bottom - r.top) / 2;
        EXPECT_EQ(GetPixel(dc.get(), 3, y), GetSysColor(COLOR_BTNHIGHLIGHT));
        EXPECT_EQ(GetPixel(dc.get(), 5, y), GetSysColor(COLOR_BTNSHADOW));
        EXPECT_EQ(GetPixel(dc.get(), 7, y), GetSysColor(COLOR_BTNFACE));
    }
    auto hit = [&](int x, int y) {
        return SendMessageA(bar->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.left + x, r.top + y));
    };
    EXPECT_EQ(hit(4, 10), HTTBDRAGHANDLE);
    EXPECT_EQ(hit(20, 10), HTCLIENT);
    EXPECT_EQ(hit(20, 1), HTTBDRAGHANDLE) << "the whole frame moves the window";
    bar->SetCloseButtonWhenDocked(true);
    r = ScreenRect(*bar);
    EXPECT_EQ(hit(8, 8), HTTBCLOSEBUTTON);
    EXPECT_EQ(hit(8, 18), HTTBDRAGHANDLE);
}

TEST_F(DockTest, TheDockedCloseButtonClosesOnlyWhenReleasedOverItAndAllowed) {
    TTBDock* dock = AddDock(dpTop);
    TestBar* bar = AddBar(dock, 0, 0);
    bar->SetCloseButtonWhenDocked(true);
    PumpFor(50);
    RECT r = ScreenRect(*bar);
    POINT button{r.left + 9, r.top + 9};
    bool allow = false;
    int closes = 0;
    bar->OnCloseQuery = [&](TComponent*, bool& canClose) { canClose = allow; };
    bar->OnClose = [&](TComponent*) { ++closes; };

    // Moved off before the release: nothing.
    Drag(button, {[&] { MoveTo(Offset(button, 40, 0)); }, [&] { EXPECT_FALSE(bar->CloseButtonPushed()); },
                  [&] { MoveTo(button); }, [&] { EXPECT_TRUE(bar->CloseButtonPushed()); },
                  [&] { MoveTo(Offset(button, 40, 0)); }, [] { Release(); }});
    EXPECT_TRUE(bar->Visible());
    // Released over it, refused.
    Drag(button, {[] { Release(); }});
    EXPECT_TRUE(bar->Visible());
    EXPECT_EQ(closes, 0);
    // Allowed.
    allow = true;
    Drag(button, {[] { Release(); }});
    EXPECT_FALSE(bar->Visible());
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(dock->Height(), 0);
}

TEST_F(DockTest, DraggingAlongTheRowMovesTheWindowThereAndIntoANewRowBelow) {
    TTBDock* dock = AddDock(dpTop);
    TestBar* first = AddBar(dock, 0, 0);
    TestBar* second = AddBar(dock, 0, 100);
    PumpFor(50);
    POINT grip = GripOf(*second);
    Drag(grip, {[&] { MoveTo(Offset(grip, 40, 0)); }, [&] { MoveTo(Offset(grip, 80, 0)); }, [] { Release(); }});
    EXPECT_EQ(second->DockRow(), 0);
    EXPECT_EQ(second->DockPos(), 180);
    EXPECT_EQ(second->Left(), 180);
    EXPECT_EQ(first->Left(), 0);

    // Down into the lower quarter of the row: a row of its own below.
    grip = GripOf(*second);
    RECT dockRect = ScreenRect(*dock);
    Drag(grip, {[&] { MoveTo(POINT{grip.x, dockRect.top + 24}); }, [] { Release(); }});
    EXPECT_EQ(second->DockRow(), 1);
    EXPECT_EQ(first->DockRow(), 0);
    EXPECT_EQ(dock->Height(), 52);
    EXPECT_EQ(second->Top(), 26);
}

TEST_F(DockTest, AWindowThatCannotChangeDocksStaysInItsDockWhereverItIsDragged) {
    TTBDock* top = AddDock(dpTop);
    TTBDock* bottom = AddDock(dpBottom);
    TestBar* bar = AddBar(top, 0, 0);
    bar->SetDockMode(dmCannotFloatOrChangeDocks);
    int changes = 0;
    bar->OnDockChanged = [&](TComponent*) { ++changes; };
    PumpFor(50);
    POINT grip = GripOf(*bar);
    RECT other = ScreenRect(*bottom);
    Drag(grip, {[&] { MoveTo(POINT{grip.x + 50, 600}); }, [&] { MoveTo(POINT{other.left + 50, other.top}); },
                [&] { MoveTo(POINT{1200, 1000}); }, [] { Release(); }});
    EXPECT_EQ(bar->Parent(), top);
    EXPECT_TRUE(bar->Docked());
    EXPECT_FALSE(bar->Floating());
    EXPECT_EQ(bar->FloatingParent(), nullptr);
    EXPECT_EQ(changes, 0);
}

TEST_F(DockTest, AFloatingWindowLeavesTheDockAndDocksBackElsewhere) {
    TTBDock* top = AddDock(dpTop);
    TTBDock* bottom = AddDock(dpBottom);
    TestBar* bar = AddBar(top, 0, 0);
    std::vector<std::string> events;
    bar->OnDockChanging = [&](TComponent*, bool floating, TTBDock* to) {
        events.push_back(floating ? "floating" : to == bottom ? "to bottom" : "to top");
    };
    PumpFor(50);
    POINT grip = GripOf(*bar);
    Drag(grip, {[&] { MoveTo(POINT{grip.x + 100, grip.y + 150}); }, [] { Release(); }});
    ASSERT_TRUE(bar->Floating());
    ASSERT_NE(bar->FloatingParent(), nullptr);
    EXPECT_EQ(bar->Parent(), bar->FloatingParent());
    EXPECT_TRUE(IsWindowVisible(bar->FloatingParent()->Handle()));
    EXPECT_EQ(top->Height(), 0);
    EXPECT_EQ(bar->LastDock(), top) << "it keeps its place in the dock it came from";
    EXPECT_EQ(ClientSize(*bar->FloatingParent()).cx, 60);
    EXPECT_EQ(ClientSize(*bar->FloatingParent()).cy, 22);
    RECT floatRect = ScreenRect(*bar);
    EXPECT_EQ(floatRect.left, grip.x + 100 - 4) << "the window stays where it was grabbed";

    // Ctrl held keeps it out of every dock.
    RECT parent = ScreenRect(*bar->FloatingParent());
    POINT caption{parent.left + 10, parent.top + 6};
    RECT target = ScreenRect(*bottom);
    bool floatingWithCtrl = false;
    Drag(caption, {[] { PressKey(VK_CONTROL, true); }, [&] { MoveTo(POINT{target.left + 40, target.top - 2}); },
                   [&] { floatingWithCtrl = bar->Floating(); }, [] { Release(); }, [] { PressKey(VK_CONTROL, false); }});
    EXPECT_TRUE(floatingWithCtrl);
    EXPECT_TRUE(bar->Floating()) << "released with Ctrl held";

    // By the floating caption down into the bottom dock.
    parent = ScreenRect(*bar->FloatingParent());
    caption = POINT{parent.left + 10, parent.top + 6};
    Drag(caption, {[&] { MoveTo(Offset(caption, 0, -60)); }, [&] { MoveTo(POINT{target.left + 40, target.top - 2}); },
                   [] { Release(); }});
    EXPECT_EQ(bar->Parent(), bottom);
    EXPECT_TRUE(bar->Docked());
    EXPECT_FALSE(bar->Floating());
    EXPECT_FALSE(IsWindowVisible(bar->FloatingParent()->Handle()));
    EXPECT_EQ(bar->LastDock(), bottom);
    EXPECT_EQ(bottom->Height(), 26);
    EXPECT_EQ(events, (std::vector<std::string>{"floating", "to bottom"}));
}

// A dock freed while a window is dragged (by a message the drag dispatched) is no place to go
// any more, not even the one the outline showed last.
TEST_F(DockTest, ADockFreedDuringTheDragIsNoLongerATarget) {
    TTBDock* top = AddDock(dpTop);
    TTBDock* bottom = TComponent::Create<Quarantined<TTBDock>>(form.get());
    bottom->SetPosition(dpBottom);
    bottom->SetParent(form.get());
    TestBar* bar = AddBar(top, 0, 0);
    bar->SetSmoothDrag(false);
    PumpFor(50);
    POINT grip = GripOf(*bar);
    RECT target = ScreenRect(*bottom);
    POINT overBottom{target.left + 40, target.top - 2};
    Drag(grip, {[&] { MoveTo(overBottom); }, [&] { delete bottom; }, [] { Release(); }});
    EXPECT_TRUE(QuarantineIntact());
    EXPECT_TRUE(bar->Floating());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(DockTest, DraggedIntoASideDockTheWindowTakesTheSideFrame) {
    TTBDock* top = AddDock(dpTop);
    TTBDock* left = AddDock(dpLeft);
    TestBar* bar = AddBar(top, 0, 0);
    bar->SetDockableTo({dpLeft, dpRight});
    PumpFor(50);
    POINT grip = GripOf(*bar);
    RECT side = ScreenRect(*left);
    Drag(grip, {[&] { MoveTo(POINT{side.left + 2, side.top + 80}); }, [] { Release(); }});
    ASSERT_EQ(bar->Parent(), left);
    EXPECT_EQ(top->Height(), 0);
    EXPECT_EQ(left->Width(), 60 + 4) << "as thick as the window's width plus its frame";
    EXPECT_EQ(bar->Height(), 22 + 10) << "the strip runs along the top";
    EXPECT_GT(bar->DockPos(), 0) << "placed along the dock where the cursor is";

    // A top dock that the window may not enter is passed over: it floats instead.
    grip = POINT{ScreenRect(*bar).left + 10, ScreenRect(*bar).top + 4};
    RECT topRect = ScreenRect(*top);
    Drag(grip, {[&] { MoveTo(POINT{topRect.left + 150, topRect.top + 1}); }, [] { Release(); }});
    EXPECT_TRUE(bar->Floating());
}

TEST_F(DockTest, AFloatingWindowHidesWithTheApplicationAndKeepsItsFloatingMode) {
    TTBDock* top = AddDock(dpTop);
    TestBar* bar = AddBar(top, 0, 0);
    bar->SetFloating(true);
    HWND parent = bar->FloatingParent()->Handle();
    ASSERT_TRUE(IsWindowVisible(parent));
    SendMessageA(form->Handle(), WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(IsWindowVisible(parent));
    SendMessageA(form->Handle(), WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(IsWindowVisible(parent));
    EXPECT_TRUE(bar->Visible());

    EXPECT_FALSE(GetWindowLongA(parent, GWL_EXSTYLE) & WS_EX_TOPMOST);
    bar->SetFloatingMode(fmOnTopOfAllForms);
    EXPECT_TRUE(GetWindowLongA(parent, GWL_EXSTYLE) & WS_EX_TOPMOST);

    bar->SetHideWhenInactive(false);
    SendMessageA(form->Handle(), WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_TRUE(IsWindowVisible(parent));
}

TEST_F(DockTest, DoubleClicksFloatADockedWindowAndDockAFloatingOneWhereItCameFrom) {
    TTBDock* top = AddDock(dpTop);
    AddBar(top, 0, 0);
    TestBar* bar = AddBar(top, 0, 120);
    PumpFor(50);
    auto doubleClick = [](POINT p) {
        MoveTo(p);
        PumpFor(30);
        Press(); Release(); Press(); Release();
        PumpFor(150);
    };
    doubleClick(GripOf(*bar));
    ASSERT_TRUE(bar->Floating());
    RECT parent = ScreenRect(*bar->FloatingParent());
    doubleClick(POINT{parent.left + 10, parent.top + 6});
    EXPECT_EQ(bar->Parent(), top);
    EXPECT_EQ(bar->DockRow(), 0);
    EXPECT_EQ(bar->Left(), 120) << "back at its place";

    // With no dock to go back to a double-click leaves it floating.
    bar->SetFloating(true);
    bar->SetUseLastDock(false);
    ASSERT_EQ(bar->LastDock(), nullptr);
    ASSERT_EQ(bar->DefaultDock(), nullptr);
    parent = ScreenRect(*bar->FloatingParent());
    doubleClick(POINT{parent.left + 10, parent.top + 6});
    EXPECT_TRUE(bar->Floating());
    bar->SetDefaultDock(top);
    doubleClick(POINT{parent.left + 10, parent.top + 6});
    EXPECT_EQ(bar->Parent(), top);
    EXPECT_EQ(bar->Left(), 0) << "a default dock takes it at the start of row 0";
}

TEST_F(DockTest, LosingTheCaptureEndsTheDragAndTheCloseLoopAsACancel) {
    TTBDock* dock = AddDock(dpTop);
    TestBar* bar = AddBar(dock, 0, 50);
    PumpFor(50);
    POINT grip = GripOf(*bar);
    // Should the loop survive, Escape ends it, so that a failure does not hang the run.
    bool escaped = false;
    Drag(grip, {[&] { MoveTo(Offset(grip, 30, 0)); }, [] { ReleaseCapture(); }, [] {},
                [&] { if (GetCapture()) { escaped = true; PressKey(VK_ESCAPE, true); PressKey(VK_ESCAPE, false); } }});
    EXPECT_FALSE(escaped);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(bar->Left(), 80) << "a live drag stays where it was last moved";
    Release();
    PumpFor(50);

    bar->SetCloseButtonWhenDocked(true);
    PumpFor(50);
    RECT r = ScreenRect(*bar);
    int closes = 0;
    bar->OnClose = [&](TComponent*) { ++closes; };
    Drag(POINT{r.left + 9, r.top + 9}, {[] { ReleaseCapture(); }, [] {}, [] { Release(); }});
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(bar->CloseButtonPushed());
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(bar->Visible());
}

TEST_F(DockTest, AnOutlineDragAppliesOnReleaseAndNothingOnEscape) {
    TTBDock* dock = AddDock(dpTop);
    TestBar* bar = AddBar(dock, 0, 0);
    bar->SetSmoothDrag(false);
    PumpFor(50);
    POINT grip = GripOf(*bar);
    int during = -1;
    Drag(grip, {[&] { MoveTo(Offset(grip, 60, 0)); }, [&] { during = bar->Left(); },
                [] { PressKey(VK_ESCAPE, true); PressKey(VK_ESCAPE, false); }, [] { Release(); }});
    EXPECT_EQ(during, 0) << "the outline moves, not the window";
    EXPECT_EQ(bar->Left(), 0);
    EXPECT_EQ(GetCapture(), nullptr);

    Drag(grip, {[&] { MoveTo(Offset(grip, 60, 0)); }, [] { Release(); }});
    EXPECT_EQ(bar->Left(), 60);
    EXPECT_EQ(bar->DockPos(), 60);
}

}  // namespace
