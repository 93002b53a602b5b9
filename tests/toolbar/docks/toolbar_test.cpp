#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "support/ui_driver.h"
#include "toolbar/base/common.h"
#include "toolbar/base/quarantine.h"
#include "toolbar/docks/toolbar.h"
#include "toolbar/skins/skin.h"
#include "toolbar/views/view_test_support.h"
#include "widgets/action.h"
#include "widgets/edit.h"
#include "widgets/form.h"
#include "widgets/hint_control.h"
#include "widgets/hint_window.h"
#include "widgets/panel.h"

namespace {

// A form with a top dock, inside a panel that sets its width, holding one toolbar with the
// buttons A..E.
class ToolbarTest : public testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 500, 200);
        panel = TComponent::Create<TPanel>(form.get());
        panel->SetBounds(0, 0, 480, 60);
        panel->SetBevelOuter(bvNone);
        panel->SetParent(form.get());
        dock = TComponent::Create<TTBDock>(form.get());
        dock->SetParent(panel);
        toolbar = TComponent::Create<TTBToolbar>(form.get());
        toolbar->SetParent(dock);
        for (char c = 'A'; c <= 'E'; ++c) {
            auto* item = TComponent::Create<TTBItem>(form.get());
            item->SetName(std::string(1, c));
            item->SetCaption(std::string(1, c));
            item->OnClick = [this, c](TComponent*) { clicks += c; };
            item->SetParentComponent(toolbar);
            items.push_back(item);
        }
        form->Show();
        PumpFor(30);
    }
    void TearDown() override { form.reset(); }

    std::string OffEdge() {
        std::string names;
        for (TTBCustomItem* item : items)
            if (toolbar->View()->Find(item)->OffEdge) names += item->Name();
        return names;
    }
    int ButtonWidth() { return toolbar->View()->Find(items[0])->Width(); }
    POINT CentreOf(TTBView* view, TTBCustomItem* item) {
        view->ValidatePositions();
        const RECT& r = view->Find(item)->BoundsRect;
        return view->Window()->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    std::vector<TTBControlItem*> ControlItems() {
        std::vector<TTBControlItem*> found;
        for (int i = 0; i < toolbar->Items()->Count(); ++i)
            if (auto* item = dynamic_cast<TTBControlItem*>(toolbar->Items()->Items(i))) found.push_back(item);
        return found;
    }
    std::string ShownHint() { return hints.Showing() ? hints.Window()->Text() : std::string(); }

    std::unique_ptr<TForm> form;
    TPanel* panel = nullptr;
    TTBDock* dock = nullptr;
    TTBToolbar* toolbar = nullptr;
    std::vector<TTBItem*> items;
    std::string clicks;
    THintController& hints = Application->Hints();
};

// One idle step of the application's loop; a timer wakes the wait that follows it.
void RunIdleStep() {
    bool ran = false;
    const int key = Application->AddIdleHandler([&] { ran = true; });
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, nullptr);
    while (!ran) Application->HandleMessage();
    KillTimer(nullptr, timer);
    Application->RemoveIdleHandler(key);
}

TEST_F(ToolbarTest, ADockTooShortCutsButtonsOffBehindTheChevronDownToOne) {
    ASSERT_EQ(toolbar->Width(), 5 * ButtonWidth() + toolbar->GetNCSizes(dock).cx);
    const int frame = toolbar->GetNCSizes(dock).cx, w = ButtonWidth();
    struct Case {
        int dockWidth;
        const char* offEdge;
    } cases[] = {
        {500, ""},
        {frame + 4 * w + ChevronSize, "E"},
        {frame + 2 * w + ChevronSize + 3, "CDE"},
        {frame + 1, "BCDE"},  // narrower than one button: one stays
        {3, "BCDE"},          // narrower than the frame: still cut, never every item shown
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dockWidth);
        panel->SetBounds(0, 0, c.dockWidth, 60);
        PumpFor(10);
        ASSERT_EQ(dock->Width(), c.dockWidth);
        EXPECT_EQ(OffEdge(), c.offEdge);
        TTBItemViewer* chevron = toolbar->View()->Find(toolbar->ChevronItem());
        EXPECT_EQ(chevron->Show, *c.offEdge != 0);
        EXPECT_EQ(toolbar->ChevronItem()->Enabled(), *c.offEdge != 0);
        if (*c.offEdge) {
            // After the last button that fits, ChevronSize wide, inside the dock.
            EXPECT_EQ(chevron->Width(), ChevronSize);
            EXPECT_LE(chevron->BoundsRect.right, toolbar->ClientRect().right);
            // Narrower than one button and the chevron, the dock still grants that much.
            EXPECT_LE(toolbar->Width(), std::max(c.dockWidth, frame + w + ChevronSize));
        }
    }
}

// Items whose stored parent is a toolbar land in its Items, whichever toolbars came and went.
TEST_F(ToolbarTest, ItemsFindTheirToolbarAfterAnotherToolbarIsFreed) {
    auto* second = TComponent::Create<TTBToolbar>(form.get());
    delete second;
    auto* item = TComponent::Create<TTBItem>(form.get());
    item->SetParentComponent(toolbar);
    EXPECT_EQ(item->Parent(), toolbar->Items());
}

TEST_F(ToolbarTest, MenuBarModeWrapsAndDropsTheCloseButton) {
    EXPECT_EQ(toolbar->ShrinkMode(), tbsmChevron);
    toolbar->SetMenuBar(true);
    EXPECT_EQ(toolbar->ShrinkMode(), tbsmWrap);
    EXPECT_FALSE(toolbar->CloseButton());
    EXPECT_TRUE(toolbar->FullSize());
    EXPECT_TRUE(toolbar->ProcessShortCuts());
    toolbar->SetMenuBar(false);
    EXPECT_EQ(toolbar->ShrinkMode(), tbsmChevron);
    EXPECT_EQ(RegisteredShortCutToolbarCount(), 0);
}

// Typing reaches the focused edit box; only a window that takes no characters lets the
// toolbar's "&" accelerators have them.
TEST_F(ToolbarTest, AcceleratorsNeedAnAmpersandAndNeverFireWhileTyping) {
    items[1]->SetCaption("&Bold");
    auto* edit = TComponent::Create<TEdit>(form.get());
    edit->SetBounds(10, 60, 100, 20);
    edit->SetParent(form.get());
    edit->SetFocus();
    PumpFor(10);
    for (char ch : std::string("abAB")) PostMessageA(edit->Handle(), WM_CHAR, static_cast<unsigned char>(ch), 1);
    PumpFor(30);
    EXPECT_EQ(clicks, "");
    EXPECT_EQ(edit->Text(), "abAB");

    form->SetFocus();
    PostMessageA(form->Handle(), WM_CHAR, 'a', 1);  // A has no "&": no accelerator
    PostMessageA(form->Handle(), WM_CHAR, 'b', 1);
    PumpFor(30);
    EXPECT_EQ(clicks, "B");
}

TEST_F(ToolbarTest, TheHotButtonFollowsThePointerAndLeavesWithIt) {
    toolbar->View()->ValidatePositions();
    const RECT& r = toolbar->View()->Find(items[2])->BoundsRect;
    POINT over = toolbar->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    SetCursorPos(over.x, over.y);
    EXPECT_TRUE(PumpUntil([&] { return toolbar->View()->Selected() == toolbar->View()->Find(items[2]); }, 2000));
    SetCursorPos(over.x, over.y + 200);
    EXPECT_TRUE(PumpUntil([&] { return toolbar->View()->Selected() == nullptr; }, 2000));

    SystemClick(over);
    EXPECT_EQ(clicks, "C");
}

// The form shows no hints, as the main window: only the status line follows the pointer.
TEST_F(ToolbarTest, ABarShowsHintsOnlyWhenAskedAndAPressPutsTheHintAwayUntilThePointerMovesOn) {
    hints.SetHintPause(300);
    items[2]->SetHint("Cee|The long cee");
    items[3]->SetHint("Dee|The long dee");
    items[3]->SetOptions(tboLongHintInMenuOnly);
    const POINT c = CentreOf(toolbar->View(), items[2]), d = CentreOf(toolbar->View(), items[3]);
    SetCursorPos(c.x, c.y);
    ASSERT_TRUE(PumpUntil([&] { return Application->Hint() == "The long cee"; }, 2000));
    PumpFor(500);
    EXPECT_EQ(ShownHint(), "");

    toolbar->ShowHint = true;
    SetCursorPos(d.x, d.y);
    ASSERT_TRUE(PumpUntil([&] { return ShownHint() == "Dee"; }, 2000));
    EXPECT_EQ(Application->Hint(), "") << "the long hint is kept for menus";
    SetCursorPos(c.x, c.y);
    EXPECT_TRUE(PumpUntil([&] { return ShownHint() == "Cee"; }, 150)) << "a hint that is up follows at once";

    SystemClick(c);
    EXPECT_EQ(clicks, "C");
    PumpFor(500);
    EXPECT_EQ(ShownHint(), "") << "back after a click on the same button";
    SetCursorPos(c.x, c.y + 200);
    ASSERT_TRUE(PumpUntil([&] { return hints.Control() == nullptr; }, 2000)) << "the bar's leave notice";
    SetCursorPos(c.x, c.y);
    EXPECT_TRUE(PumpUntil([&] { return ShownHint() == "Cee"; }, 2000));
    SetCursorPos(c.x, c.y + 200);
    EXPECT_TRUE(PumpUntil([&] { return ShownHint().empty() && Application->Hint().empty(); }, 2000));
}

// In a menu the status line tells the selection's long hint; tooltips need tboShowHint there.
TEST_F(ToolbarTest, TheLoopSetsTheStatusHintFromTheDeepestSelectionAndShowsOnlyMenuHintsAskedFor) {
    hints.SetHintPause(40);
    auto* menu = TComponent::Create<TTBItem>(form.get());
    menu->SetCaption("Menu");
    menu->SetHint("Menu|The long menu");
    menu->SetItemStyle(menu->ItemStyle() | isfSubmenu);
    toolbar->Items()->Add(menu);
    TTBItem* sub[2];
    const char* hintsOf[2] = {"Ex|The long ex", "Why|The long why"};
    for (int i = 0; i < 2; ++i) {
        sub[i] = TComponent::Create<TTBItem>(form.get());
        sub[i]->SetCaption(i ? "Y" : "X");
        sub[i]->SetHint(hintsOf[i]);
        menu->Add(sub[i]);
    }
    sub[0]->SetOptions(tboShowHint);
    TTBView* bar = toolbar->View();
    PumpFor(20);

    std::string statusFirst, statusX, shownX, statusY, shownY;
    auto moveTo = [&](TTBCustomItem* item) {
        TTBView* popup = bar->OpenView();
        if (popup) PostMouse(popup->Window()->Handle(), WM_MOUSEMOVE, CentreOf(popup, item));
    };
    auto idle = [] {};
    Script script({
        [&] { statusFirst = Application->Hint(); moveTo(sub[0]); },
        idle, idle, idle,
        [&] { statusX = Application->Hint(); shownX = ShownHint(); moveTo(sub[1]); },
        idle, idle, idle,
        [&] { statusY = Application->Hint(); shownY = ShownHint(); PostKey(bar->Window()->Handle(), VK_ESCAPE); },
        [&] { PostKey(bar->Window()->Handle(), VK_ESCAPE); },
    });
    bar->Select(bar->Find(menu));
    bar->EnterToolbarLoop(tbetOpenOnNavigate | tbetSelectFirst);

    EXPECT_EQ(statusFirst, "The long ex");
    EXPECT_EQ(statusX, "The long ex");
    EXPECT_EQ(shownX, "Ex");
    EXPECT_EQ(statusY, "The long why");
    EXPECT_EQ(shownY, "") << "no tboShowHint";
    EXPECT_EQ(Application->Hint(), "");
    EXPECT_FALSE(hints.Showing());
}

TEST_F(ToolbarTest, AControlPutOnTheBarLaterGetsAnItemLeavesTheTabOrderWhenCutOffAndTakenAwayLosesTheItem) {
    auto* edit = TComponent::Create<TEdit>(form.get());
    edit->SetBounds(0, 0, 40, 18);
    edit->SetParent(toolbar);
    ASSERT_EQ(ControlItems().size(), 1u);
    TTBControlItem* item = ControlItems()[0];
    EXPECT_EQ(item->Control(), edit);
    EXPECT_EQ(item->Owner(), form.get());
    EXPECT_EQ(toolbar->Items()->IndexOf(item), toolbar->Items()->Count() - 1);

    panel->SetBounds(0, 0, toolbar->GetNCSizes(dock).cx + 2 * ButtonWidth() + ChevronSize + 3, 60);
    PumpFor(10);
    ASSERT_TRUE(toolbar->View()->Find(item)->OffEdge);
    EXPECT_FALSE(edit->TabStop());
    panel->SetBounds(0, 0, 480, 60);
    PumpFor(10);
    ASSERT_FALSE(toolbar->View()->Find(item)->OffEdge);
    EXPECT_TRUE(edit->TabStop());

    const int live = TTBCustomItem::LiveItemCount();
    edit->SetParent(form.get());
    EXPECT_TRUE(ControlItems().empty());
    EXPECT_EQ(TTBCustomItem::LiveItemCount(), live - 1);
    EXPECT_EQ(edit->Parent(), form.get()) << "the control stays";

    toolbar->BeginUpdate();
    edit->SetParent(toolbar);
    EXPECT_TRUE(ControlItems().empty());
    toolbar->EndUpdate();
    ASSERT_EQ(ControlItems().size(), 1u);

    delete edit;  // its item goes with it, and frees nothing twice
    EXPECT_TRUE(ControlItems().empty());
    EXPECT_EQ(TTBCustomItem::LiveItemCount(), live - 1);
}

TEST_F(ToolbarTest, TheIdleStepBringsItemsUpToDateWithTheirActionsUnlessTurnedOff) {
    auto* action = TComponent::Create<TCustomAction>(form.get());
    bool enable = false;
    action->OnUpdate = [&](TComponent*) { action->SetEnabled(enable); };
    items[0]->SetAction(action);
    RunIdleStep();
    EXPECT_FALSE(items[0]->Enabled());
    toolbar->SetUpdateActions(false);
    enable = true;
    RunIdleStep();
    EXPECT_FALSE(items[0]->Enabled());
    toolbar->SetUpdateActions(true);
    RunIdleStep();
    EXPECT_TRUE(items[0]->Enabled());
}

// A handler run inside the bar's loop may free the bar: nothing of it is touched afterwards.
TEST_F(ToolbarTest, ABarFreedByAHandlerInsideItsLoopIsNotTouchedAfterTheLoop) {
    TTBToolbar* bar = nullptr;
    auto make = [&] {
        bar = new Quarantined<TTBToolbar>(nullptr);
        auto* item = new TTBItem(nullptr);  // the bar's root frees it
        item->SetCaption("Free");
        item->OnClick = [](TComponent*) { ADD_FAILURE() << "no click from a freed bar"; };
        bar->Items()->Add(item);
        bar->SetDockRow(1);
        bar->SetParent(dock);
        PumpFor(30);
        return item;
    };

    // Pressed with the mouse.
    MoveTo(CentreOf(bar->View(), make()));
    PumpFor(30);
    {
        InputScript script({[&] { delete bar; }, [] {}});
        Press();
        ASSERT_TRUE(PumpUntil([&] { return script.Done(); }));
    }
    Release();
    PumpFor(30);
    EXPECT_TRUE(QuarantineIntact()) << "after a press";

    // Opened from the keyboard.
    make();
    {
        InputScript script({[&] { delete bar; }, [] {}});
        EXPECT_TRUE(bar->KeyboardOpen(0));
    }
    PumpFor(30);
    EXPECT_TRUE(QuarantineIntact()) << "after a keyboard loop";
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(PendingItemClicks(), 0);
}

// A change of the menu font reaches docked toolbars through their form, wherever their dock
// sits, and floating ones through their floating window; each lays out with the new font.
TEST_F(ToolbarTest, AChangedMenuFontReachesDockedAndFloatingToolbars) {
    auto* floating = TComponent::Create<TTBToolbar>(form.get());
    auto* item = TComponent::Create<TTBItem>(form.get());
    item->SetCaption("F");
    item->SetParentComponent(floating);
    floating->SetParent(dock);
    floating->SetFloating(true);
    PumpFor(30);
    ASSERT_NE(floating->FloatingParent(), nullptr);
    const int dockedBefore = toolbar->Height(), floatingBefore = floating->Height();
    auto bigMenuFont = [](UINT action, UINT param, void* data) {
        BOOL done = SystemParametersInfoA(action, param, data, 0);
        if (action == SPI_GETNONCLIENTMETRICS) static_cast<NONCLIENTMETRICSA*>(data)->lfMenuFont.lfHeight = -40;
        return done;
    };
    auto announce = [&] {
        SendMessageA(form->Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
        SendMessageA(floating->FloatingParent()->Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
        PumpFor(30);
    };
    SystemSeams().ParametersInfo = bigMenuFont;
    announce();
    EXPECT_GE(toolbar->Height(), dockedBefore + 20);
    EXPECT_GE(floating->Height(), floatingBefore + 20);

    ResetSystemSeams();
    announce();
    EXPECT_EQ(toolbar->Height(), dockedBefore);
    EXPECT_EQ(floating->Height(), floatingBefore);
}

// Item sizes depend on the skin's type (Office-XP buttons with captions are 3 pixels taller):
// docked toolbars lay out again when it changes.
TEST_F(ToolbarTest, ADockedToolbarLaysOutAgainWhenTheSkinTypeChanges) {
    ASSERT_EQ(DefaultSkin->SkinType(), tbsDisabled);
    const int plain = toolbar->Height();
    auto skin = std::make_unique<TTBSkin>(nullptr);  // the first skin: Office-XP, the default's too
    PumpFor(20);
    EXPECT_EQ(toolbar->Height(), plain + 3);
    skin->SetSkinType(tbsWindowsXP);
    PumpFor(20);
    EXPECT_EQ(toolbar->Height(), plain);
    skin->SetSkinType(tbsOfficeXP);
    PumpFor(20);
    EXPECT_EQ(toolbar->Height(), plain + 3);
    skin.reset();
    PumpFor(20);
    EXPECT_EQ(toolbar->Height(), plain);
}

}  // namespace
