// Toolbars as an accessibility client and a keyboard user meet them: real forms, real input.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/accessible_client.h"
#include "support/test_env.h"
#include "support/ui_driver.h"
#include "toolbar/docks/toolbar.h"
#include "widgets/deferred_call.h"
#include "widgets/form.h"
#include "widgets/panel.h"
#include "widgets/short_cut.h"

namespace {

void Tap(WORD key) {
    PressKey(key, true);
    PressKey(key, false);
}

// A form with a top dock inside a panel that sets the dock's length.
class AccessibleToolbarTest : public testing::Test {
protected:
    void SetUp() override {
        SetCursorPos(0, 0);  // no button is hot
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 600, 200);
        panel = TComponent::Create<TPanel>(form.get());
        panel->SetBounds(0, 0, 580, 60);
        panel->SetBevelOuter(bvNone);
        panel->SetParent(form.get());
        dock = TComponent::Create<TTBDock>(form.get());
        dock->SetParent(panel);
    }
    void TearDown() override { form.reset(); }

    TTBToolbar* AddToolbar(const std::string& caption) {
        auto* bar = TComponent::Create<TTBToolbar>(form.get());
        bar->SetCaption(caption);
        bar->SetParent(dock);
        return bar;
    }
    TTBItem* AddItem(TTBToolbar* bar, const std::string& caption, TTBItemStyle extraStyle = 0) {
        auto* item = TComponent::Create<TTBItem>(form.get());
        item->SetCaption(caption);
        item->SetItemStyle(item->ItemStyle() | extraStyle);
        item->OnClick = [this, caption](TComponent*) { clicks.push_back(caption); };
        item->SetParentComponent(bar);
        return item;
    }
    void AddChild(TTBItem* parent, const std::string& caption) {
        auto* item = TComponent::Create<TTBItem>(form.get());
        item->SetCaption(caption);
        item->OnClick = [this, caption](TComponent*) { clicks.push_back(caption); };
        parent->Add(item);
    }
    void ShowForm() {
        form->Show();
        SetForegroundWindow(form->Handle());
        SetFocus(form->Handle());
        PumpFor(50);
    }
    // Runs `steps` one per timer tick, inside whatever loop pumps, and waits for the last.
    void RunInput(std::vector<std::function<void()>> steps) {
        InputScript script(std::move(steps), 60);
        ASSERT_TRUE(PumpUntil([&] { return script.Done(); }, 10000));
        PumpFor(80);
    }

    std::unique_ptr<TForm> form;
    TPanel* panel = nullptr;
    TTBDock* dock = nullptr;
    std::vector<std::string> clicks;
};

TEST_F(AccessibleToolbarTest, EveryItemKindReadsWithItsNameRoleStateActionAndPlace) {
    TTBToolbar* bar = AddToolbar("Tools");
    AddItem(bar, "&Open");
    TTBItem* bold = AddItem(bar, "Bold");
    bold->SetAutoCheck(true);
    bold->SetChecked(true);
    bold->SetShortCut(ShortCut('B', ssCtrl));
    AddItem(bar, "Mode")->SetChecked(true);  // checked by its handler, as the main window's modes
    AddChild(AddItem(bar, "Menu", isfSubmenu), "Inner");
    AddChild(AddItem(bar, "Split", isfSubmenu | isfCombo), "Inner");
    TComponent::Create<TTBSeparatorItem>(form.get())->SetParentComponent(bar);
    AddItem(bar, "Off")->SetEnabled(false);
    TTBItem* search = AddItem(bar, "");
    search->SetHint("Search|Searches the list");
    AddItem(bar, "Late1");
    AddItem(bar, "Late2");
    ShowForm();
    // The dock ends just after the image-less search button: both later buttons go behind the chevron.
    const RECT& searchRect = bar->View()->Find(search)->BoundsRect;
    panel->SetBounds(0, 0, searchRect.right + 10 + ChevronSize + 2, 60);
    PumpFor(50);

    AccessibleClient client(bar->Handle());
    ASSERT_EQ(client.Result(), S_OK);
    AccessibleEntry self = client.Entry(CHILDID_SELF);
    EXPECT_EQ(self.Name, "Tools");
    EXPECT_EQ(self.Role, ROLE_SYSTEM_TOOLBAR);

    struct Expected {
        const char* name;
        LONG role, state;
        const char* action;
        const char* shortcut;
    };
    const LONG hidden = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN, focusable = STATE_SYSTEM_FOCUSABLE;
    const Expected expected[] = {
        {"Open", ROLE_SYSTEM_PUSHBUTTON, focusable, "押す", "Alt+O"},
        {"Bold", ROLE_SYSTEM_CHECKBUTTON, focusable | STATE_SYSTEM_CHECKED, "押す", "Ctrl+B"},
        {"Mode", ROLE_SYSTEM_PUSHBUTTON, focusable | STATE_SYSTEM_CHECKED, "押す", ""},
        {"Menu", ROLE_SYSTEM_BUTTONDROPDOWN, focusable | STATE_SYSTEM_HASPOPUP, "開く", ""},
        {"Split", ROLE_SYSTEM_SPLITBUTTON, focusable | STATE_SYSTEM_HASPOPUP, "押す", ""},
        {"", ROLE_SYSTEM_SEPARATOR, 0, "", ""},
        {"Off", ROLE_SYSTEM_PUSHBUTTON, focusable | STATE_SYSTEM_UNAVAILABLE, "押す", ""},
        {"Search", ROLE_SYSTEM_PUSHBUTTON, focusable, "押す", ""},
        {"Late1", ROLE_SYSTEM_PUSHBUTTON, hidden, "押す", ""},
        {"Late2", ROLE_SYSTEM_PUSHBUTTON, hidden, "押す", ""},
        {"More Buttons", ROLE_SYSTEM_BUTTONDROPDOWN, focusable | STATE_SYSTEM_HASPOPUP, "開く", ""},
    };
    std::vector<AccessibleEntry> children = client.Children();
    ASSERT_EQ(children.size(), std::size(expected));
    ASSERT_EQ(bar->View()->ViewerCount(), static_cast<int>(std::size(expected)));
    RECT window;
    GetWindowRect(bar->Handle(), &window);
    for (size_t i = 0; i < children.size(); ++i) {
        const AccessibleEntry& child = children[i];
        const Expected& want = expected[i];
        SCOPED_TRACE(want.name);
        EXPECT_EQ(child.Name, want.name);
        EXPECT_EQ(child.Role, want.role);
        EXPECT_EQ(child.State, want.state);
        EXPECT_EQ(child.DefaultAction, want.action);
        EXPECT_EQ(child.Shortcut, want.shortcut);
        if (child.State & STATE_SYSTEM_INVISIBLE) continue;
        // A shown child is where the layout put it in the bar's client area (which the grip and
        // border move away from the window's corner); its corner and middle hit it.
        const RECT& bounds = bar->View()->Viewers(static_cast<int>(i))->BoundsRect;
        POINT topLeft{bounds.left, bounds.top}, bottomRight{bounds.right, bounds.bottom};
        ClientToScreen(bar->Handle(), &topLeft);
        ClientToScreen(bar->Handle(), &bottomRight);
        const RECT place{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
        EXPECT_TRUE(EqualRect(&child.Location, &place));
        EXPECT_EQ(client.HitTest(topLeft), static_cast<long>(i + 1));
        EXPECT_EQ(client.HitTest(POINT{(place.left + place.right) / 2, (place.top + place.bottom) / 2}), static_cast<long>(i + 1));
    }
    EXPECT_EQ(client.HitTest(POINT{window.left - 5, window.top}), -1);

    // The button under the pointer reads hot, and no other.
    MoveTo(bar->ClientToScreen(POINT{bar->View()->Viewers(1)->BoundsRect.left + 3, 5}));
    ASSERT_TRUE(PumpUntil([&] { return bar->View()->Selected() == bar->View()->Viewers(1); }));
    EXPECT_EQ(client.Entry(2).State, focusable | STATE_SYSTEM_CHECKED | STATE_SYSTEM_HOTTRACKED);
    EXPECT_EQ(client.Entry(1).State, focusable);
}

TEST_F(AccessibleToolbarTest, TheDefaultActionClicksOnceAfterTheCallReturnsAndReportsTheNewState) {
    TTBToolbar* bar = AddToolbar("Tools");
    AddItem(bar, "Go");
    TTBItem* bold = AddItem(bar, "Bold");
    bold->SetAutoCheck(true);
    AddItem(bar, "Off")->SetEnabled(false);
    ShowForm();
    AccessibleClient client(bar->Handle());
    ASSERT_EQ(client.Result(), S_OK);
    WinEventRecorder recorder(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE);

    EXPECT_EQ(client.DoDefaultAction(1), S_OK);
    EXPECT_TRUE(clicks.empty()) << "never inside the caller's call";
    ASSERT_TRUE(PumpUntil([&] { return !clicks.empty(); }));
    PumpFor(50);
    EXPECT_EQ(clicks, std::vector<std::string>{"Go"});

    EXPECT_NE(client.DoDefaultAction(3), S_OK) << "a disabled button";
    EXPECT_NE(client.DoDefaultAction(4), S_OK) << "no such child";
    EXPECT_EQ(client.DoDefaultAction(2), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return clicks.size() == 2; }));
    PumpFor(50);
    EXPECT_EQ(clicks.back(), "Bold");
    EXPECT_TRUE(client.Entry(2).State & STATE_SYSTEM_CHECKED);
    bool heard = false;
    for (auto& e : recorder.events) heard |= e.window == bar->Handle() && e.child == 2;
    EXPECT_TRUE(heard) << "the check mark's change is announced";
}

// Behind a modal dialog (the form disabled), or with the bar hidden, a client runs nothing: the
// items read unavailable or invisible and the default action is refused, as with the system's
// own controls. A floating bar follows the form that owns its parent.
TEST_F(AccessibleToolbarTest, ADisabledOrHiddenHostRefusesTheDefaultActionAndReadsSo) {
    auto fill = [&](TTBToolbar* bar) {
        AddItem(bar, "Go");
        AddChild(AddItem(bar, "Menu", isfSubmenu), "Inner");
        return bar;
    };
    TTBToolbar* docked = fill(AddToolbar("Docked"));
    TTBToolbar* floating = fill(AddToolbar("Floating"));
    floating->SetDockRow(1);
    ShowForm();
    floating->SetFloating(true);
    ASSERT_TRUE(floating->Floating());
    PumpFor(50);
    const LONG off = STATE_SYSTEM_UNAVAILABLE, gone = STATE_SYSTEM_INVISIBLE;
    struct Row {
        const char* name;
        TTBToolbar* bar;
        std::function<void(bool)> apply;
        LONG state;  // of both items, besides the drop-down's popup
    };
    const Row rows[] = {
        {"the form disabled", docked, [&](bool on) { form->SetEnabled(!on); }, off},
        {"the panel holding the dock disabled", docked, [&](bool on) { panel->SetEnabled(!on); }, off},
        {"the bar disabled", docked, [&](bool on) { EnableWindow(docked->Handle(), !on); }, off},
        {"the form of a floating bar disabled", floating, [&](bool on) { form->SetEnabled(!on); }, off},
        {"the form hidden", docked, [&](bool on) { ShowWindow(form->Handle(), on ? SW_HIDE : SW_SHOWNA); }, gone},
        {"the bar hidden", docked, [&](bool on) { ShowWindow(docked->Handle(), on ? SW_HIDE : SW_SHOWNA); }, gone},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AccessibleClient client(row.bar->Handle());
        ASSERT_EQ(client.Result(), S_OK);
        ASSERT_EQ(client.Entry(1).State, STATE_SYSTEM_FOCUSABLE) << "available before";
        row.apply(true);
        const int deferred = PendingDeferredCalls();
        EXPECT_EQ(client.Entry(1).State, row.state);
        EXPECT_EQ(client.Entry(2).State, row.state | STATE_SYSTEM_HASPOPUP);
        EXPECT_TRUE(client.Entry(CHILDID_SELF).State & row.state);
        EXPECT_NE(client.DoDefaultAction(1), S_OK);
        EXPECT_NE(client.DoDefaultAction(2), S_OK);
        EXPECT_EQ(PendingItemClicks(), 0);
        EXPECT_EQ(PendingDeferredCalls(), deferred) << "nothing runs later either";
        row.apply(false);
        EXPECT_EQ(client.Entry(2).State, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_HASPOPUP) << "available again";
    }
    PumpFor(50);
    EXPECT_TRUE(clicks.empty());
    EXPECT_FALSE(docked->View()->InModalLoop() || floating->View()->InModalLoop());
}

// A client that follows the bar hears what changed: a caption, and buttons the layout shows or
// cuts off behind the chevron.
TEST_F(AccessibleToolbarTest, CaptionsAndButtonsTheLayoutShowsOrHidesAreAnnounced) {
    TTBToolbar* bar = AddToolbar("Tools");
    TTBItem* first = AddItem(bar, "First");
    TTBItem* last = AddItem(bar, "Last");
    ShowForm();
    WinEventRecorder recorder(EVENT_OBJECT_SHOW, EVENT_OBJECT_NAMECHANGE);
    std::vector<std::string> heard;
    auto take = [&] {
        for (auto& e : recorder.events)
            if (e.window == bar->Handle() && (e.event == EVENT_OBJECT_SHOW || e.event == EVENT_OBJECT_HIDE ||
                                              e.event == EVENT_OBJECT_REORDER || e.event == EVENT_OBJECT_NAMECHANGE))
                heard.push_back(std::string(e.event == EVENT_OBJECT_SHOW   ? "show "
                                            : e.event == EVENT_OBJECT_HIDE ? "hide "
                                            : e.event == EVENT_OBJECT_REORDER ? "reorder "
                                                                              : "name ") +
                                std::to_string(e.child));
        recorder.events.clear();
    };
    first->SetCaption("Renamed");
    PumpFor(30);
    take();
    EXPECT_NE(std::find(heard.begin(), heard.end(), "name 1"), heard.end()) << testing::PrintToString(heard);

    heard.clear();
    // Only the first button fits now.
    panel->SetBounds(0, 0, bar->View()->Find(first)->BoundsRect.right + 10 + ChevronSize + 4, 60);
    PumpFor(50);
    ASSERT_TRUE(bar->View()->Find(last)->OffEdge);
    take();
    // Last (child 2) hides, the chevron (child 3) shows, and the children are reordered.
    for (const char* event : {"hide 2", "show 3", "reorder 0"})
        EXPECT_NE(std::find(heard.begin(), heard.end(), event), heard.end()) << event << testing::PrintToString(heard);
    AccessibleClient client(bar->Handle());
    EXPECT_EQ(client.Entry(1).Name, "Renamed");
    EXPECT_TRUE(client.Entry(2).State & STATE_SYSTEM_INVISIBLE);
}

// The default action of a drop-down opens it as a click would; the popup reads as a menu.
TEST_F(AccessibleToolbarTest, ADropDownOpenedByItsDefaultActionReadsAsAMenuPopupOfMenuItems) {
    TTBToolbar* bar = AddToolbar("Tools");
    TTBItem* menu = AddItem(bar, "Menu", isfSubmenu);
    menu->OnClick = nullptr;
    AddChild(menu, "&First");
    menu->Add(TComponent::Create<TTBSeparatorItem>(form.get()));
    AddChild(menu, "Second");
    menu->Items(2)->SetEnabled(false);
    ShowForm();
    AccessibleClient client(bar->Handle());
    WinEventRecorder recorder(EVENT_SYSTEM_MENUPOPUPSTART, EVENT_SYSTEM_MENUPOPUPEND);
    HWND popup = nullptr;
    AccessibleEntry opener, self;
    std::vector<AccessibleEntry> rows;
    auto read = [&] {
        popup = bar->View()->OpenPopup() ? bar->View()->OpenPopup()->Handle() : nullptr;
        if (!popup) return;
        AccessibleClient popupClient(popup);
        self = popupClient.Entry(CHILDID_SELF);
        rows = popupClient.Children();
        opener = client.Entry(1);
    };

    EXPECT_EQ(client.DoDefaultAction(1), S_OK);
    EXPECT_EQ(bar->View()->OpenPopup(), nullptr) << "never inside the caller's call";
    RunInput({read, [] { Tap(VK_ESCAPE); }, [] { Tap(VK_ESCAPE); }});
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(self.Name, "Menu");
    EXPECT_EQ(self.Role, ROLE_SYSTEM_MENUPOPUP);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Name, "First");
    EXPECT_EQ(rows[0].Role, ROLE_SYSTEM_MENUITEM);
    EXPECT_EQ(rows[0].State, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);
    EXPECT_EQ(rows[0].Shortcut, "F");
    EXPECT_EQ(rows[1].Role, ROLE_SYSTEM_SEPARATOR);
    EXPECT_EQ(rows[2].State, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_UNAVAILABLE);
    EXPECT_TRUE(opener.State & STATE_SYSTEM_PRESSED) << "the open drop-down";
    std::vector<DWORD> heard;
    for (auto& e : recorder.events)
        if (e.window == popup) heard.push_back(e.event);
    EXPECT_EQ(heard, (std::vector<DWORD>{EVENT_SYSTEM_MENUPOPUPSTART, EVENT_SYSTEM_MENUPOPUPEND}));
    EXPECT_TRUE(clicks.empty());
    EXPECT_FALSE(bar->View()->InModalLoop());
}

// F10 on a form without a menu bar walks its toolbars: the focus moves item by item, past the
// end of one bar onto the next, wrapping, and Escape leaves without a command.
TEST_F(AccessibleToolbarTest, F10WalksTheFormsToolbarsAnnouncingEachFocusInOrder) {
    TTBToolbar* first = AddToolbar("First");
    AddItem(first, "A");
    AddItem(first, "B");
    TComponent::Create<TTBSeparatorItem>(form.get())->SetParentComponent(first);
    AddItem(first, "C");
    TTBToolbar* second = AddToolbar("Second");
    second->SetDockRow(1);
    AddItem(second, "D");
    ShowForm();
    HWND one = first->Handle(), two = second->Handle();
    WinEventRecorder recorder(EVENT_SYSTEM_MENUSTART, EVENT_OBJECT_FOCUS);
    ASSERT_TRUE(recorder.Hooked());

    RunInput({[] { Tap(VK_F10); }, [] { Tap(VK_RIGHT); }, [] { Tap(VK_RIGHT); }, [] { Tap(VK_RIGHT); },
              [] { Tap(VK_RIGHT); }, [] { Tap(VK_LEFT); }, [] { Tap(VK_ESCAPE); }});

    std::vector<std::string> heard;
    for (auto& e : recorder.events) {
        if (e.window != one && e.window != two) continue;
        const char* bar = e.window == one ? "1" : "2";
        if (e.event == EVENT_SYSTEM_MENUSTART) heard.push_back(std::string("start ") + bar);
        if (e.event == EVENT_SYSTEM_MENUEND) heard.push_back(std::string("end ") + bar);
        if (e.event == EVENT_OBJECT_FOCUS) heard.push_back(std::string("focus ") + bar + "." + std::to_string(e.child));
    }
    EXPECT_EQ(heard, (std::vector<std::string>{"start 1", "focus 1.1", "focus 1.2", "focus 1.4", "end 1",
                                               "start 2", "focus 2.1", "end 2", "start 1", "focus 1.1", "end 1",
                                               "start 2", "focus 2.1", "end 2"}));
    EXPECT_TRUE(clicks.empty());
    EXPECT_FALSE(first->View()->InModalLoop() || second->View()->InModalLoop());
}

// Alt, F10 and Alt with a letter reach a menu bar through the form's keyboard menu command.
TEST_F(AccessibleToolbarTest, AltF10AndAltWithALetterOpenAMenuBar) {
    TTBToolbar* bar = AddToolbar("Menu");
    bar->SetMenuBar(true);
    TTBItem* file = AddItem(bar, "&File", isfSubmenu);
    AddChild(file, "&New");
    TTBItem* edit = AddItem(bar, "&Edit", isfSubmenu);
    AddChild(edit, "&Undo");
    file->OnClick = edit->OnClick = nullptr;  // an opening submenu runs its item's click
    ShowForm();
    TTBView* view = bar->View();
    std::vector<std::string> seen;
    auto look = [&] {
        std::string state = view->InModalLoop() ? "loop" : "idle";
        if (view->Selected()) state += " " + view->Selected()->Item()->Caption();
        if (view->OpenViewer()) state += " open";
        seen.push_back(state);
    };
    AccessibleClient client(bar->Handle());
    EXPECT_EQ(client.Entry(CHILDID_SELF).Role, ROLE_SYSTEM_MENUBAR);
    EXPECT_EQ(client.Entry(1).Role, ROLE_SYSTEM_MENUITEM);
    EXPECT_EQ(client.Entry(1).Shortcut, "Alt+F");

    RunInput({[] { Tap(VK_MENU); }, look, [] { Tap(VK_ESCAPE); }, look,
              [] { Tap(VK_F10); }, look, [] { Tap(VK_ESCAPE); },
              [] { PressKey(VK_MENU, true); PressKey('E', true); PressKey('E', false); PressKey(VK_MENU, false); },
              look, [] { Tap(VK_ESCAPE); }, [] { Tap(VK_ESCAPE); }, look});
    EXPECT_EQ(seen, (std::vector<std::string>{"loop &File", "idle", "loop &File", "loop &Edit open", "idle"}));
    EXPECT_TRUE(clicks.empty());
}

// A floating toolbar's keys belong to the form it came from, not to its floating parent.
TEST_F(AccessibleToolbarTest, AFloatingToolbarTakesItsFormsShortCutsAndAccelerators) {
    TTBToolbar* bar = AddToolbar("Tools");
    bar->SetProcessShortCuts(true);
    AddItem(bar, "&Go")->SetShortCut(ShortCut('G', ssCtrl));
    ShowForm();
    bar->SetFloating(true);
    ASSERT_TRUE(bar->Floating());
    SetForegroundWindow(form->Handle());
    SetFocus(form->Handle());
    PumpFor(50);

    RunInput({[] { PressKey(VK_CONTROL, true); Tap('G'); PressKey(VK_CONTROL, false); },
              [] { PressKey(VK_MENU, true); Tap('G'); PressKey(VK_MENU, false); }});
    EXPECT_EQ(clicks, (std::vector<std::string>{"&Go", "&Go"}));
}

}  // namespace
