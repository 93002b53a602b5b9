#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/accessible_client.h"
#include "toolbar/base/common.h"
#include "toolbar/views/view.h"
#include "widgets/action.h"
#include "widgets/exception.h"
#include "toolbar/base/services_fixture.h"
#include "toolbar/views/view_test_support.h"

namespace {

// Submenus open in a plain test window below (or beside) the item that opens them.
class TestPopup : public TTBPopupHost {
public:
    TestPopup(TTBCustomItem* item, TTBView* parentView, TTBItemViewer* opener, bool selectFirst) {
        HWND parentWindow = parentView->Window()->Handle();
        RECT r = opener->BoundsRect;
        MapWindowPoints(parentWindow, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
        POINT at = parentView->IsToolbar() ? POINT{r.left, r.bottom} : POINT{r.right, r.top};
        bar = std::make_unique<TestBar>(RECT{at.x, at.y, at.x + 120, at.y + 200}, false, item, parentView);
        bar->view->ValidatePositions();
        if (selectFirst) bar->view->Select(bar->view->FirstSelectable());
        ++opened();
    }
    ~TestPopup() override { ++closed(); }
    TTBView* View() const override { return bar->view.get(); }
    HWND Handle() override { return bar->Handle(); }
    std::unique_ptr<TestBar> bar;
    static int& opened() { static int n = 0; return n; }
    static int& closed() { static int n = 0; return n; }
};

class TrackTest : public testing::Test {
protected:
    // An item whose click is logged, kept in quarantine once freed so that a later use shows;
    // its parent frees it.
    TTBItem* AddQuarantinedItem(TTBCustomItem* parent, const char* caption, bool submenu) {
        auto* item = new Quarantined<TTBItem>(nullptr);  // the parent frees it
        item->SetCaption(caption);
        if (submenu) item->SetItemStyle(item->ItemStyle() | isfSubmenu);
        item->OnClick = [this, caption](TComponent*) { log.push_back(caption); };
        parent->Add(item);
        return item;
    }
    void SetUp() override {
        ResetSystemSeams();
        installedFactory = PopupFactory();
        PopupFactory() = [](TTBCustomItem* item, TTBView* parent, TTBItemViewer* opener, bool selectFirst) {
            return std::unique_ptr<TTBPopupHost>(new TestPopup(item, parent, opener, selectFirst));
        };
        MenuDelaySeam() = [] { return 30; };
        SystemSeams().MessageBeep = [this](UINT) { ++beeps; return TRUE; };
        TestPopup::opened() = TestPopup::closed() = 0;
    }
    void TearDown() override {
        PopupFactory() = installedFactory;
        MenuDelaySeam() = [] { return GetMenuShowDelay(); };
        ResetSystemSeams();
    }
    // Presses at `at` and runs the loop until it returns, the script stepping inside it.
    void PressAndTrack(POINT at, std::vector<std::function<void()>> steps) {
        Script script(std::move(steps));
        PostMouse(bar.Handle(), WM_LBUTTONDOWN, at);
        ASSERT_TRUE(PumpUntil([&] { return script.Done() && !bar.view->InModalLoop(); }));
        PumpFor(20);  // the deferred click
    }
    // Runs a keyboard loop started on `item`, as a menu bar's key does.
    void TrackKeys(TTBCustomItem* item, std::vector<std::function<void()>> steps) {
        SetCursorPos(0, 0);  // hot tracking must not move the selection
        PumpFor(20);
        bar.view->ValidatePositions();
        bar.view->Select(bar.ViewerOf(item));
        Script script(std::move(steps));
        lastResult = bar.view->EnterToolbarLoop(0);
        PumpFor(20);
    }
    HWND bar_() { return bar.Handle(); }

    TestBar bar{RECT{60, 60, 400, 90}};
    std::vector<std::string> log;
    int beeps = 0;
    TTBPopupFactory installedFactory;
    TTBTrackResult lastResult;
};

TEST_F(TrackTest, AClickRunsOnceOnReleaseOverTheSameItemAfterTheLoopAndTheRepaint) {
    TTBItem* a = nullptr;
    a = bar.Add("A", [&] {
        log.push_back(std::string("click") + (bar.view->InModalLoop() ? " in loop" : "") +
                      (bar.view->Selected() ? " still hot" : ""));
    });
    TTBItem* b = bar.Add("B");
    POINT inA = bar.CentreOf(a), inB = bar.CentreOf(b);
    std::vector<std::string> looks;
    auto look = [&] {
        looks.push_back(std::string(bar.view->Capture() ? "pressed" : "released") +
                        (bar.view->MouseInsideSelected() ? " inside" : " outside"));
    };
    PressAndTrack(inA, {look,
                        [&] { PostMouse(bar_(), WM_MOUSEMOVE, inB); }, look,
                        [&] { PostMouse(bar_(), WM_MOUSEMOVE, inA); }, look,
                        [&] { PostMouse(bar_(), WM_LBUTTONUP, inA); }});
    EXPECT_EQ(looks, (std::vector<std::string>{"pressed inside", "pressed outside", "pressed inside"}));
    EXPECT_EQ(log, (std::vector<std::string>{"click"}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(TrackTest, ReleasingElsewhereOrLosingTheCaptureCancels) {
    TTBItem* a = bar.Add("A", [&] { log.push_back("A"); });
    TTBItem* b = bar.Add("B", [&] { log.push_back("B"); });
    TTBItem* off = bar.Add("Off", [&] { log.push_back("Off"); });
    off->SetEnabled(false);
    POINT inA = bar.CentreOf(a), inB = bar.CentreOf(b);
    POINT outside{inA.x, inA.y + 200};

    PressAndTrack(inA, {[&] { PostMouse(bar_(), WM_MOUSEMOVE, inB); }, [&] { PostMouse(bar_(), WM_LBUTTONUP, inB); }});
    PressAndTrack(inA, {[&] { PostMouse(bar_(), WM_MOUSEMOVE, outside); }, [&] { PostMouse(bar_(), WM_LBUTTONUP, outside); }});
    // Another window takes the mouse: the loop ends at once and the release is nobody's.
    PressAndTrack(inA, {[] { ReleaseCapture(); }, [&] { PostMouse(bar_(), WM_LBUTTONUP, inA); }});
    PressAndTrack(bar.CentreOf(off), {[&] { PostMouse(bar_(), WM_LBUTTONUP, bar.CentreOf(off)); }});
    EXPECT_TRUE(log.empty()) << log.front();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(bar.view->Capture());
}

TEST_F(TrackTest, DeletingThePressedItemWhileTrackingLeavesNothingDangling) {
    TTBItem* a = bar.Add("A", [&] { log.push_back("A"); });
    bar.Add("B", [&] { log.push_back("B"); });
    POINT inA = bar.CentreOf(a);
    PressAndTrack(inA, {[&] { delete a; }, [&] { PostMouse(bar_(), WM_MOUSEMOVE, POINT{inA.x + 1, inA.y}); },
                        [&] { PostMouse(bar_(), WM_LBUTTONUP, inA); }});
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(bar.view->ViewerCount(), 1);
    EXPECT_FALSE(bar.view->InModalLoop());
}

// A command that pumps messages (a folder scan) can still be stopped from the bar.
TEST_F(TrackTest, ALoopStartsInsideAnotherHandlersMessagePump) {
    bool stop = false, scanning = false;
    TTBItem* stopItem = bar.Add("Stop", [&] { stop = true; });
    TTBItem* scan = bar.Add("Scan", [&] {
        scanning = true;
        DWORD end = GetTickCount() + 5000;
        while (!stop && static_cast<int>(GetTickCount() - end) < 0) PumpFor(5);
        scanning = false;
    });
    POINT inStop = bar.CentreOf(stopItem);
    Script script({[&] { PostMouse(bar_(), WM_LBUTTONDOWN, bar.CentreOf(scan)); },
                   [&] { PostMouse(bar_(), WM_LBUTTONUP, bar.CentreOf(scan)); },
                   [&] { EXPECT_TRUE(scanning); PostMouse(bar_(), WM_LBUTTONDOWN, inStop); },
                   [&] { PostMouse(bar_(), WM_LBUTTONUP, inStop); }});
    ASSERT_TRUE(PumpUntil([&] { return script.Done() && stop && !scanning; }));
}

TEST_F(TrackTest, KeyboardOpensSubmenusAndMovesThroughThem) {
    TTBItem* file = bar.Add("&File");
    file->SetItemStyle(file->ItemStyle() | isfSubmenu);
    TTBItem* empty = bar.Add("&Empty");
    empty->SetItemStyle(empty->ItemStyle() | isfSubmenu);
    auto addChild = [&](TTBItem* parent, const char* caption) {
        auto* child = new TTBItem(nullptr);
        child->SetCaption(caption);
        child->OnClick = [this, caption](TComponent*) { log.push_back(caption); };
        parent->Add(child);
        return child;
    };
    addChild(file, "&Open");
    addChild(file, "&Save");
    addChild(file, "Save &as");
    HWND window = bar_();
    auto popupSelection = [&] {
        TTBView* open = bar.view->OpenView();
        if (!open) return std::string("closed");
        return open->Selected() ? open->Selected()->Item()->Caption() : std::string("none");
    };
    std::vector<std::string> seen;
    auto see = [&] { seen.push_back(popupSelection()); };
    TrackKeys(file, {[=] { PostKey(window, VK_DOWN); }, see,  // opens with its first item selected
                     [=] { PostKey(window, VK_END); }, see,
                     [=] { PostKey(window, VK_HOME); }, see,
                     [=] { PostKey(window, VK_ESCAPE); }, see,  // back on the bar, still in the loop
                     [=] { PostKey(window, VK_RIGHT); }, see,   // the bar's next item, an empty menu
                     [=] { PostKey(window, VK_DOWN); },
                     [=] { PostKey(window, VK_HOME); }, [=] { PostKey(window, VK_TAB); }, see,
                     [=] { PostKey(window, VK_LEFT); }, [=] { PostKey(window, VK_DOWN); }, see,
                     [=] { PostChar(window, 's'); }});  // the only S: runs at once
    EXPECT_EQ(seen, (std::vector<std::string>{"&Open", "Save &as", "&Open", "closed", "closed", "none", "&Save"}));
    EXPECT_EQ(log, (std::vector<std::string>{"&Save"}));
    EXPECT_EQ(lastResult.Kind, trClickItem);
    EXPECT_TRUE(lastResult.Sound);
    EXPECT_EQ(bar.view->OpenView(), nullptr);
    EXPECT_EQ(TestPopup::opened(), TestPopup::closed());
}

TEST_F(TrackTest, AcceleratorsThatRepeatCycleAndUnmatchedKeysBeepOrOpenTheWindowMenu) {
    TTBItem* first = bar.Add("&Go", [&] { log.push_back("first"); });
    TTBItem* second = bar.Add("&Get", [&] { log.push_back("second"); });
    HWND window = bar_();
    std::vector<TTBCustomItem*> selected;
    auto see = [&] { selected.push_back(bar.view->Selected() ? bar.view->Selected()->Item() : nullptr); };
    TrackKeys(second, {[=] { PostChar(window, 'g'); }, see, [=] { PostChar(window, 'G'); }, see,
                       [=] { PostChar(window, 'x'); }, [=] { PostKey(window, VK_ESCAPE); }});
    EXPECT_EQ(selected, (std::vector<TTBCustomItem*>{first, second}));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(beeps, 1);

    // With nothing to match, "-" asks the active window for its window menu.
    ProbeWindow active(RECT{500, 500, 600, 560}, WS_POPUP | WS_VISIBLE);
    std::vector<WPARAM> keyMenus;
    active.OnMessage = [&](UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU) keyMenus.push_back(lParam);
        return msg == WM_SYSCOMMAND;
    };
    SetActiveWindow(active.get());
    TrackKeys(first, {[=] { PostChar(window, '-'); }});
    EXPECT_EQ(lastResult.Kind, trSystemMenu);
    EXPECT_EQ(keyMenus, (std::vector<WPARAM>{'-'}));
}

TEST_F(TrackTest, HoveringOverASubmenuItemOpensItAfterTheDelayAndLeavingClosesIt) {
    TTBItem* menu = bar.Add("Menu");
    menu->SetItemStyle(menu->ItemStyle() | isfSubmenu);
    auto* plain = new TTBItem(nullptr);
    plain->SetCaption("Plain");
    menu->Add(plain);
    auto* sub = new TTBItem(nullptr);
    sub->SetCaption("More");
    sub->SetItemStyle(sub->ItemStyle() | isfSubmenu);
    menu->Add(sub);
    auto* inner = new TTBItem(nullptr);
    inner->SetCaption("Inner");
    sub->Add(inner);

    auto popupOf = [](TTBView* v) { return v ? v->OpenView() : nullptr; };
    TTBView* menuView = nullptr;
    std::vector<int> depth;
    auto seeDepth = [&] {
        int d = 0;
        for (TTBView* v = bar.view.get(); v->OpenView(); v = v->OpenView()) ++d;
        depth.push_back(d);
    };
    auto centreIn = [&](TTBView* v, TTBCustomItem* item) {
        RECT r = v->Find(item)->BoundsRect;
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(v->Window()->Handle(), &p);
        return p;
    };
    POINT inMenu = bar.CentreOf(menu);
    PressAndTrack(inMenu, {[&] { PostMouse(bar_(), WM_LBUTTONUP, inMenu); }, seeDepth,
                           [&] { menuView = popupOf(bar.view.get()); PostMouse(bar_(), WM_MOUSEMOVE, centreIn(menuView, sub)); },
                           [] {}, [] {}, seeDepth,
                           [&] { PostMouse(bar_(), WM_MOUSEMOVE, centreIn(menuView, plain)); },
                           [] {}, [] {}, seeDepth,
                           [&] { PostKey(bar_(), VK_ESCAPE); }, [&] { PostKey(bar_(), VK_ESCAPE); }});
    EXPECT_EQ(depth, (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(TestPopup::opened(), 2);
    EXPECT_EQ(TestPopup::closed(), 2);
}

// Leaving an item whose submenu is open for another submenu item and coming back before the
// menu delay keeps the open submenu as it is: not closed, not opened again.
TEST_F(TrackTest, ComingBackToAnOpenSubmenuWithinTheDelayKeepsItOpen) {
    MenuDelaySeam() = [] { return 200; };
    TTBItem* menu = bar.Add("Menu");
    menu->SetItemStyle(menu->ItemStyle() | isfSubmenu);
    auto addChild = [](TTBCustomItem* parent, const char* caption, bool submenu) {
        auto* item = new TTBItem(nullptr);
        item->SetCaption(caption);
        if (submenu) item->SetItemStyle(item->ItemStyle() | isfSubmenu);
        parent->Add(item);
        return item;
    };
    TTBItem* more = addChild(menu, "More", true);
    addChild(more, "Inner", false);
    TTBItem* other = addChild(menu, "Other", true);
    addChild(other, "Deep", false);

    TTBView* menuView = nullptr;
    TTBView* firstOpen = nullptr;
    TTBView* lastOpen = nullptr;
    auto moveTo = [&](TTBCustomItem* item) {
        RECT r = menuView->Find(item)->BoundsRect;
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(menuView->Window()->Handle(), &p);
        PostMouse(menuView->Window()->Handle(), WM_MOUSEMOVE, p);
    };
    const std::function<void()> wait = [] {};
    POINT inMenu = bar.CentreOf(menu);
    PressAndTrack(inMenu, {[&] { PostMouse(bar_(), WM_LBUTTONUP, inMenu); },
                           [&] { menuView = bar.view->OpenView(); moveTo(more); },
                           wait, wait, wait, wait, wait, wait, wait,
                           [&] { firstOpen = menuView->OpenView(); moveTo(other); },
                           [&] { moveTo(more); },
                           wait, wait, wait, wait, wait, wait, wait,
                           [&] { lastOpen = menuView->OpenView(); PostKey(bar_(), VK_ESCAPE); },
                           [&] { PostKey(bar_(), VK_ESCAPE); }, [&] { PostKey(bar_(), VK_ESCAPE); }});
    ASSERT_NE(firstOpen, nullptr);
    EXPECT_EQ(lastOpen, firstOpen);
    EXPECT_EQ(TestPopup::opened(), 2) << "the menu and More's submenu, once each";
}

// Selection handlers run while the loop ends and while the pointer moves; one may free the
// item just clicked, or the menu the pointer is in. Freed items and views stay quarantined: a
// later use faults or shows.
TEST_F(TrackTest, ASelectionHandlerMayFreeTheClickedItemOrTheOpenMenu) {
    auto addItem = [this](TTBCustomItem* parent, const char* caption, bool submenu) {
        return AddQuarantinedItem(parent, caption, submenu);
    };
    // The bar item's deselection, as the loop ends, frees its menu and the item clicked in it.
    TTBItem* file = addItem(bar.root, "&File", true);
    addItem(file, "&Open", false);
    file->OnSelect = [&](TTBCustomItem*, TTBItemViewer*, bool selecting) {
        if (!selecting) delete file;
    };
    HWND window = bar_();
    TrackKeys(file, {[=] { PostKey(window, VK_DOWN); }, [=] { PostKey(window, VK_RETURN); }});
    EXPECT_EQ(lastResult.ClickItem, nullptr);
    EXPECT_EQ(PendingItemClicks(), 0);
    EXPECT_EQ(bar.view->ViewerCount(), 0);

    // Moving onto an item of an open menu runs a handler that frees the menu.
    TTBItem* edit = addItem(bar.root, "&Edit", true);
    addItem(edit, "Cut", false);
    TTBItem* paste = addItem(edit, "Paste", false);
    paste->OnSelect = [&](TTBCustomItem*, TTBItemViewer*, bool selecting) {
        if (selecting) delete edit;
    };
    POINT inEdit = bar.CentreOf(edit);
    PressAndTrack(inEdit, {[&] { PostMouse(bar_(), WM_LBUTTONUP, inEdit); },
                           [&] {
                               TTBView* menu = bar.view->OpenView();
                               ASSERT_NE(menu, nullptr);
                               RECT r = menu->Find(paste)->BoundsRect;
                               POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
                               ClientToScreen(menu->Window()->Handle(), &p);
                               PostMouse(menu->Window()->Handle(), WM_MOUSEMOVE, p);
                           },
                           [] {}, [&] { PostKey(bar_(), VK_ESCAPE); }});
    EXPECT_EQ(bar.view->OpenView(), nullptr);
    EXPECT_EQ(bar.view->ViewerCount(), 0);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(QuarantineIntact());
}

// The keyboard and an accessibility client move the selection through the same handlers:
// each way of moving it reaches an item whose handler frees the menu the selection moves in,
// or the whole bar.
TEST_F(TrackTest, ASelectionHandlerMayFreeTheMenuOrTheBarUnderTheKeyboardOrAScreenReader) {
    struct Row {
        const char* name;
        std::vector<WORD> before;  // keys while the handlers still do nothing
        WORD key;
        char letter;  // typed when there is no key
        long child;   // else the client's default action on this child of the menu, or of the bar
        bool freesBar;
    };
    const Row rows[] = {
        {"Down in the menu", {VK_DOWN}, VK_DOWN, 0, 0, false},
        {"Up, wrapping to the last", {VK_DOWN}, VK_UP, 0, 0, false},
        {"Tab", {VK_DOWN}, VK_TAB, 0, 0, false},
        {"End", {VK_DOWN}, VK_END, 0, 0, false},
        {"Home", {VK_DOWN, VK_END}, VK_HOME, 0, 0, false},
        {"a unique letter, which would press it", {VK_DOWN}, 0, 'c', 0, false},
        {"Right from the menu to the next bar item", {VK_DOWN}, VK_RIGHT, 0, 0, true},
        {"Tab on the bar", {}, VK_TAB, 0, 0, true},
        {"Down on the bar, opening a menu whose first item frees the bar", {VK_RIGHT}, VK_DOWN, 0, 0, true},
        {"the default action on a menu item", {VK_DOWN}, 0, 0, 2, false},
        {"the default action on the next bar item", {}, 0, 0, 2, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto own = std::make_unique<TestBar>(RECT{60, 60, 400, 90});
        bool armed = false;
        auto add = [this](TTBCustomItem* parent, const char* caption, bool submenu) {
            return AddQuarantinedItem(parent, caption, submenu);
        };
        TTBItem* file = add(own->root, "&File", true);
        TTBItem* edit = add(own->root, "&Edit", true);
        TTBItem* undo = add(edit, "Undo", false);
        auto freeMenu = [&](TTBCustomItem*, TTBItemViewer*, bool selecting) {
            if (armed && selecting) delete file;
        };
        for (const char* caption : {"&Open", "&Save", "&Close"}) add(file, caption, false)->OnSelect = freeMenu;
        edit->OnSelect = undo->OnSelect = [&](TTBCustomItem*, TTBItemViewer*, bool selecting) {
            if (armed && selecting) own.reset();
        };
        SetCursorPos(0, 0);
        PumpFor(20);
        own->view->ValidatePositions();
        own->view->Select(own->ViewerOf(file));
        HWND window = own->Handle();
        std::vector<std::function<void()>> steps;
        for (WORD key : row.before) steps.push_back([=] { PostKey(window, key); });
        steps.push_back([&] { armed = true; });
        steps.push_back([&, window] {
            if (row.key) return PostKey(window, row.key);
            if (row.letter) return PostChar(window, row.letter);
            TTBView* menu = own->view->OpenView();
            AccessibleClient client(menu ? menu->Window()->Handle() : window);
            EXPECT_EQ(client.DoDefaultAction(row.child), S_OK);
        });
        steps.push_back([=] { PostKey(window, VK_ESCAPE); });
        steps.push_back([=] { PostKey(window, VK_ESCAPE); });
        Script script(std::move(steps));
        own->view->EnterToolbarLoop(0);
        ASSERT_TRUE(PumpUntil([&] { return script.Done(); }));
        PumpFor(20);
        EXPECT_EQ(own == nullptr, row.freesBar);
        if (own) {
            EXPECT_FALSE(own->view->InModalLoop());
            EXPECT_EQ(own->view->ViewerCount(), 1) << "the menu's item went";
        }
        EXPECT_TRUE(log.empty());
        EXPECT_EQ(PendingItemClicks(), 0);
        EXPECT_EQ(TestPopup::opened(), TestPopup::closed());
        EXPECT_TRUE(QuarantineIntact());
    }
}

LRESULT CALLBACK RefuseMessageWindows(int code, WPARAM wParam, LPARAM lParam) {
    char name[64] = "";
    if (code == HCBT_CREATEWND) GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof(name));
    if (std::string(name) == "SorvaneMessageWindow") return 1;  // refused
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Creating the hidden window of the views' timers can fail; the view is left with no timer
// to stop.
TEST_F(TrackTest, AFailedTimerWindowLeavesNoTimerBehind) {
    HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseMessageWindows, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    EXPECT_THROW(bar.view->StartTimer(vtOpen, 30), Exception);
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(bar.view->TimerRunning(vtOpen));
    bar.view->StopTimer(vtOpen);
    // Timers work again once the window can be made.
    bar.view->StartTimer(vtClose, 10000);
    EXPECT_TRUE(bar.view->TimerRunning(vtClose));
    bar.view->StopTimer(vtClose);
    EXPECT_FALSE(bar.view->TimerRunning(vtClose));
}

// A view that fails while it is being built (an action's update throws) leaves no
// registration behind on the items it had begun to follow.
TEST_F(TrackTest, AViewThatFailsWhileBeingBuiltLeavesTheItemsAsTheyWere) {
    TCustomAction action(nullptr);
    action.OnUpdate = [](TComponent*) { throw Exception("update failed"); };
    TTBRootItem root(nullptr);
    auto* item = new TTBItem(nullptr);
    root.Add(item);
    item->SetAction(&action);
    std::unique_ptr<TestView> view;
    EXPECT_EQ(ThrownMessage<Exception>([&] { view = std::make_unique<TestView>(&root, &bar, false); }), "update failed");
    EXPECT_EQ(TTBView::LiveViewCount(), 1) << "only the bar's own";
    root.Add(new TTBItem(nullptr));  // told to a view that is gone: it would run freed memory
    delete item;
    EXPECT_TRUE(QuarantineIntact());
}

}  // namespace

namespace {

// A handler run from inside the loop frees the bar: the loop ends without touching it again.
TEST(TrackLifetime, FreeingTheBarWhileItsLoopRunsEndsTheLoopSafely) {
    auto bar = std::make_unique<TestBar>(RECT{60, 60, 300, 90});
    TTBItem* item = bar->Add("A", [] { ADD_FAILURE() << "no click from a freed bar"; });
    POINT at = bar->CentreOf(item);
    HWND window = bar->Handle();
    Script script({[&] { bar.reset(); }, [] {}});
    PostMouse(window, WM_LBUTTONDOWN, at);
    ASSERT_TRUE(PumpUntil([&] { return script.Done(); }));
    PumpFor(30);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(PendingItemClicks(), 0);
}

}  // namespace
