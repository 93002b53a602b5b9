#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/window_count.h"
#include "toolbar/base/anim.h"
#include "toolbar/base/common.h"
#include "toolbar/popups/popup.h"
#include "toolbar/views/view_test_support.h"

namespace {

TTBItem* AddTo(TTBCustomItem* parent, const std::string& caption, bool submenu = false) {
    auto* item = new TTBItem(nullptr);  // the parent frees it
    item->SetCaption(caption);
    if (submenu) item->SetItemStyle(item->ItemStyle() | isfSubmenu);
    parent->Add(item);
    return item;
}

TTBPopupWindow* PopupOf(TTBView* view) { return view ? dynamic_cast<TTBPopupWindow*>(view->OpenPopup()) : nullptr; }

RECT WindowRectOf(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

POINT CentreIn(TTBView* view, TTBCustomItem* item) {
    view->ValidatePositions();
    RECT r = view->Find(item)->BoundsRect;
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(view->Window()->Handle(), &p);
    return p;
}

class PopupTest : public testing::Test {
protected:
    void SetUp() override {
        ResetSystemSeams();
        PopupFactory() = DefaultPopupFactory();
        auto real = SystemSeams().ParametersInfo;
        SystemSeams().ParametersInfo = [this, real](UINT action, UINT param, void* data) -> BOOL {
            if (action == SPI_GETWORKAREA && workArea) *static_cast<RECT*>(data) = *workArea;
            else if (action == SPI_GETMENUANIMATION) *static_cast<BOOL*>(data) = animate;
            else if (action == SPI_GETMENUFADE) *static_cast<BOOL*>(data) = FALSE;
            else if (action == SPI_GETFLATMENU) *static_cast<BOOL*>(data) = flatMenus;
            else return real(action, param, data);
            return TRUE;
        };
        SystemSeams().Version = [] { return TSystemVersion{VER_PLATFORM_WIN32_NT, 5, 1}; };
        SystemSeams().ReadRegistry = [](HKEY, const std::string&, const std::string&, DWORD) {
            return TRegistryValue{true, ERROR_SUCCESS, REG_SZ, "ding.wav"};  // every event has a sound
        };
        SystemSeams().PlayAlias = [this](const char* alias, DWORD) {
            sounds.push_back(alias);
            return TRUE;
        };
        SetCursorPos(0, 0);
    }
    void TearDown() override {
        FinishWindowAnimation();
        ResetSystemSeams();
    }
    TTBItem* Submenu(const char* caption) { return AddTo(bar.root, caption, true); }
    // Opens the popup of `item`, as the tracking loop does.
    TTBPopupWindow* Open(TTBView* view, TTBCustomItem* item, bool selectFirst = false, int paintMs = 20) {
        view->ValidatePositions();
        view->Select(view->Find(item));
        view->OpenChildPopup(selectFirst);
        if (paintMs > 0) PumpFor(paintMs);
        return PopupOf(view);
    }

    bool animate = false;
    bool flatMenus = false;
    std::optional<RECT> workArea;
    std::vector<std::string> sounds;
    TestBar bar{RECT{60, 60, 400, 90}};
};

TEST_F(PopupTest, ADropDownOpensBelowItsButtonWithoutTakingTheFocusAndAClickInItRunsOnce) {
    HWND active = GetActiveWindow();
    int clicks = 0;
    TTBItem* menu = Submenu("Menu");
    AddTo(menu, "First");
    TTBItem* second = AddTo(menu, "Second");
    second->OnClick = [&](TComponent*) { ++clicks; };
    const int windows = CountThreadWindows();
    POINT inMenu = bar.CentreOf(menu);
    RECT button = bar.view->Find(menu)->BoundsRect;
    MapWindowPoints(bar.Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&button), 2);

    RECT popupRect{}, client{};
    auto look = [&] {
        HWND popup = PopupOf(bar.view.get())->Handle();
        popupRect = WindowRectOf(popup);
        GetClientRect(popup, &client);
    };
    Script script({[&] { PostMouse(bar.Handle(), WM_LBUTTONUP, inMenu); }, look,
                   [&] { PostMouse(bar.Handle(), WM_MOUSEMOVE, CentreIn(bar.view->OpenView(), second)); },
                   [&] { PostMouse(bar.Handle(), WM_LBUTTONDOWN, CentreIn(bar.view->OpenView(), second)); },
                   [&] { PostMouse(bar.Handle(), WM_LBUTTONUP, CentreIn(bar.view->OpenView(), second)); }});
    PostMouse(bar.Handle(), WM_LBUTTONDOWN, inMenu);
    ASSERT_TRUE(PumpUntil([&] { return script.Done() && !bar.view->InModalLoop(); }));
    PumpFor(30);

    // Below the button, shifted by the plain popups' (3, 2), framed 3 pixels on each side.
    EXPECT_EQ(popupRect.left, button.left + 3);
    EXPECT_EQ(popupRect.top, button.bottom + 2);
    EXPECT_EQ(popupRect.right - popupRect.left - client.right, 6);
    EXPECT_EQ(GetActiveWindow(), active);
    // The popup's sound as it opened, the command's as the click in it ran.
    EXPECT_EQ(sounds, (std::vector<std::string>{"MenuPopup", "MenuCommand"}));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(bar.view->OpenPopup(), nullptr);
    EXPECT_EQ(CountThreadWindows(), windows);
}

// The popup menu's own view runs the loop: it tracks although no bar is behind it.
TEST_F(PopupTest, APopupMenuIgnoresTheFirstReleaseOnlyAndTracksToAClick) {
    TTBPopupMenu menu(nullptr);
    std::vector<std::string> log;
    menu.OnPopup = [&](TComponent* sender) { log.push_back(sender == &menu ? "popup" : "popup from elsewhere"); };
    AddTo(menu.Items(), "One")->OnClick = [&](TComponent*) { log.push_back("One"); };
    TTBItem* two = AddTo(menu.Items(), "Two");
    two->OnClick = [&](TComponent*) { log.push_back("Two"); };
    const POINT at{300, 300};
    const int windows = CountThreadWindows();

    std::vector<bool> tracking;
    auto see = [&] { tracking.push_back(GetCapture() != nullptr); };
    auto captureWindow = [] { return TWinControl::FromHandle(GetCapture()); };
    auto menuView = [&] { return static_cast<TTBPopupWindow*>(captureWindow())->PopupView(); };
    // The frame at the point is nobody's item: the first release there is ignored, the second ends.
    {
        Script first({[&] { PostMouse(GetCapture(), WM_LBUTTONUP, at); }, see,
                      [&] { PostMouse(GetCapture(), WM_LBUTTONUP, at); }, see});
        TTBTrackResult cancelled = menu.Popup(at.x, at.y);
        ASSERT_TRUE(PumpUntil([&] { return first.Done(); }));
        EXPECT_EQ(cancelled.Kind, trNone);
        EXPECT_EQ(tracking, (std::vector<bool>{true, false}));
    }

    Script second({[&] { PostMouse(GetCapture(), WM_LBUTTONUP, at); },
                   [&] { PostMouse(GetCapture(), WM_MOUSEMOVE, CentreIn(menuView(), two)); },
                   [&] { PostMouse(GetCapture(), WM_LBUTTONDOWN, CentreIn(menuView(), two)); },
                   [&] { PostMouse(GetCapture(), WM_LBUTTONUP, CentreIn(menuView(), two)); }});
    TTBTrackResult chosen = menu.Popup(at.x, at.y);
    PumpFor(30);
    EXPECT_EQ(chosen.Kind, trClickItem);
    EXPECT_EQ(chosen.ClickItem, two);
    EXPECT_EQ(log, (std::vector<std::string>{"popup", "popup", "Two"}));
    EXPECT_EQ(CountThreadWindows(), windows);
}

// The popup menu's loop ends with the clicked item deselected and its window freed before the
// click is queued; the item's selection handler may free it meanwhile: then nothing is clicked.
TEST_F(PopupTest, APopupMenuItemFreedAsItsMenuClosesIsNotClicked) {
    TTBPopupMenu menu(nullptr);
    auto* gone = new Quarantined<TTBItem>(nullptr);  // the menu's root frees it, unless it goes first
    gone->SetCaption("Gone");
    gone->OnClick = [](TComponent*) { ADD_FAILURE() << "a freed item was clicked"; };
    gone->OnSelect = [gone](TTBCustomItem*, TTBItemViewer*, bool selecting) {
        if (!selecting) delete gone;
    };
    menu.Items()->Add(gone);
    const POINT at{300, 300};
    auto menuView = [] { return static_cast<TTBPopupWindow*>(TWinControl::FromHandle(GetCapture()))->PopupView(); };
    Script script({[&] { PostMouse(GetCapture(), WM_MOUSEMOVE, CentreIn(menuView(), gone)); },
                   [&] { PostMouse(GetCapture(), WM_LBUTTONDOWN, CentreIn(menuView(), gone)); },
                   [&] { PostMouse(GetCapture(), WM_LBUTTONUP, CentreIn(menuView(), gone)); }});
    TTBTrackResult chosen = menu.Popup(at.x, at.y);
    EXPECT_EQ(chosen.Kind, trClickItem);
    EXPECT_EQ(chosen.ClickItem, nullptr);
    EXPECT_EQ(PendingItemClicks(), 0);
    EXPECT_EQ(menu.Items()->Count(), 0);
    PumpFor(30);
    EXPECT_TRUE(QuarantineIntact());
}

TEST_F(PopupTest, APopupTallerThanTheWorkAreaScrollsWithItsArrowsAndTheKeyboard) {
    workArea = RECT{0, 0, 1280, 300};
    TTBItem* menu = Submenu("Long");
    std::vector<TTBItem*> rows;
    for (int i = 0; i < 40; ++i) rows.push_back(AddTo(menu, "Row " + std::to_string(i)));
    TTBPopupWindow* popup = Open(bar.view.get(), menu);
    ASSERT_NE(popup, nullptr);
    TTBPopupView* view = popup->PopupView();
    EXPECT_EQ(popup->Height(), 300);  // the whole work area, frame included
    EXPECT_FALSE(view->Scroll().TopArrow);
    EXPECT_TRUE(view->Scroll().BottomArrow);
    EXPECT_TRUE(view->Find(rows.back())->Clipped);

    // Hovering over the bottom arrow scrolls until the last row shows, then the timer stops.
    RECT arrow = view->BottomArrowRect();
    POINT onArrow{(arrow.left + arrow.right) / 2, (arrow.top + arrow.bottom) / 2};
    ClientToScreen(popup->Handle(), &onArrow);
    SetCursorPos(onArrow.x, onArrow.y);
    view->UpdateSelection(&onArrow, true);
    EXPECT_TRUE(view->TimerRunning(vtScrollDown));
    ASSERT_TRUE(PumpUntil([&] { return !view->TimerRunning(vtScrollDown); }, 10000));
    EXPECT_TRUE(view->Scroll().TopArrow);
    EXPECT_FALSE(view->Scroll().BottomArrow);
    EXPECT_FALSE(view->Find(rows.back())->Clipped);
    EXPECT_TRUE(view->Find(rows.front())->Clipped);

    // Home selects the first row, clipped above, and brings it back under the top.
    view->KeyDown(VK_HOME, 0);
    EXPECT_EQ(view->Selected(), view->Find(rows.front()));
    EXPECT_FALSE(view->Find(rows.front())->Clipped);
    EXPECT_EQ(view->Scroll().Offset, 0);
    bar.view->CloseChildPopups();
}

// A chevron's list is as tall as its buttons: it never scrolls, however short the screen.
TEST_F(PopupTest, AChevronListsTheHiddenButtonsAtTheirOwnHeight) {
    workArea = RECT{0, 0, 1280, 40};
    TTBRootItem root(nullptr);
    std::unique_ptr<TTBChevronItem> chevron;
    TestBar chevronBar{RECT{60, 10, 400, 35}, true, &root};
    chevron = std::make_unique<TTBChevronItem>(nullptr, chevronBar.view.get());
    chevron->SetLinkSubitems(&root);
    chevronBar.view->chevron = chevron.get();
    std::vector<TTBItem*> buttons;
    for (const char* caption : {"Alpha", "Beta", "Gamma", "Delta", "Epsilon"}) buttons.push_back(chevronBar.Add(caption));
    chevronBar.view->SetChevronLimit(120);
    chevronBar.view->ValidatePositions();
    std::vector<TTBCustomItem*> hidden;
    for (TTBItem* b : buttons)
        if (chevronBar.view->Find(b)->OffEdge) hidden.push_back(b);
    ASSERT_GE(hidden.size(), 2u);

    TTBPopupWindow* popup = Open(chevronBar.view.get(), chevron.get());
    ASSERT_NE(popup, nullptr);
    TTBPopupView* view = popup->PopupView();
    std::vector<TTBCustomItem*> listed;
    for (int i = 0; i < view->ViewerCount(); ++i)
        if (view->Viewers(i)->Show) listed.push_back(view->Viewers(i)->Item());
    EXPECT_EQ(listed, hidden);
    EXPECT_FALSE(view->Scroll().BottomArrow);
    EXPECT_GT(popup->Height(), 40);  // taller than the work area, and whole
    chevronBar.view->CloseChildPopups();
}

TEST_F(PopupTest, PopupsAnimateUnlessSomethingIsSelectedOrTheBarMovesFromMenuToMenu) {
    animate = true;
    TTBItem* a = Submenu("A");
    TTBItem* b = Submenu("B");
    AddTo(a, "child");
    AddTo(b, "child");
    EXPECT_TRUE(WindowAnimationRunning(Open(bar.view.get(), a, false, 0)->Handle()));
    Open(bar.view.get(), b, false, 0);  // the bar moves on from an open menu
    EXPECT_FALSE(WindowAnimationRunning());
    bar.view->CloseChildPopups();
    Open(bar.view.get(), a, true);
    EXPECT_FALSE(WindowAnimationRunning());
    bar.view->CloseChildPopups();
}

TEST_F(PopupTest, ThePlainFrameIsARaisedEdgeOrTheFlatMenuFrame) {
    TTBItem* menu = Submenu("Menu");
    AddTo(menu, "child");
    struct Case {
        bool flat;
        std::vector<int> colours;  // system colours from the left edge inwards
    };
    for (const Case& c : {Case{false, {COLOR_3DLIGHT, COLOR_BTNHIGHLIGHT, COLOR_BTNFACE}},
                          Case{true, {COLOR_BTNSHADOW, COLOR_MENU, COLOR_MENU}}}) {
        flatMenus = c.flat;
        TTBPopupWindow* popup = Open(bar.view.get(), menu);
        ASSERT_NE(popup, nullptr);
        RECT r = WindowRectOf(popup->Handle());
        WindowDC screen(nullptr);
        for (size_t i = 0; i < c.colours.size(); ++i)
            EXPECT_EQ(GetPixel(screen.get(), r.left + static_cast<int>(i), (r.top + r.bottom) / 2),
                      GetSysColor(c.colours[i]))
                << (c.flat ? "flat" : "raised") << " pixel " << i;
        bar.view->CloseChildPopups();
    }
}

TEST_F(PopupTest, AnErrorAfterThePopupIsBuiltLeavesNothingOpenOrAlive) {
    TTBItem* menu = Submenu("Menu");
    AddTo(menu, "Faulty")->OnSelect = [](TTBCustomItem*, TTBItemViewer*, bool) { throw ETBItemError("select failed"); };
    bar.view->ValidatePositions();
    bar.view->Select(bar.view->Find(menu));
    const int windows = CountThreadWindows(), views = TTBView::LiveViewCount();
    EXPECT_THROW(bar.view->OpenChildPopup(true), ETBItemError);
    EXPECT_EQ(bar.view->OpenPopup(), nullptr);
    EXPECT_EQ(bar.view->OpenView(), nullptr);
    EXPECT_EQ(bar.view->OpenViewer(), nullptr);
    EXPECT_EQ(CountThreadWindows(), windows);
    EXPECT_EQ(TTBView::LiveViewCount(), views);
}

TEST_F(PopupTest, OpeningAndClosingTwoHundredTimesLeavesNoWindowOrGdiObjectBehind) {
    workArea = RECT{0, 0, 1280, 200};  // scrolling popups, arrows painted
    TTBItem* menu = Submenu("Menu");
    TTBItem* sub = AddTo(menu, "Sub", true);
    AddTo(sub, "x");
    for (int i = 0; i < 20; ++i) AddTo(menu, "Row " + std::to_string(i));
    Open(bar.view.get(), menu);  // the first popup makes the classes and the fonts once
    bar.view->CloseChildPopups();
    PumpFor(20);
    const int windows = CountThreadWindows(), views = TTBView::LiveViewCount();
    const long gdi = HandleCounters::GdiObjects(), dcs = HandleCounters::DeviceContexts();
    for (int i = 0; i < 200; ++i) {
        TTBPopupWindow* popup = Open(bar.view.get(), menu, false, 1);
        ASSERT_NE(popup, nullptr);
        Open(popup->View(), sub, false, 1);
        bar.view->CloseChildPopups();
    }
    PumpFor(20);
    EXPECT_EQ(CountThreadWindows(), windows);
    EXPECT_EQ(TTBView::LiveViewCount(), views);
    EXPECT_EQ(HandleCounters::GdiObjects(), gdi);
    EXPECT_EQ(HandleCounters::DeviceContexts(), dcs);
}

}  // namespace
