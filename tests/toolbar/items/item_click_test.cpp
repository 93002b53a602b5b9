#include <gtest/gtest.h>

#include "support/test_env.h"
#include "toolbar/items/item_test_support.h"
#include "widgets/action.h"
#include "widgets/application.h"
#include "widgets/deferred_call.h"
#include "widgets/exception.h"

namespace {

using Log = std::vector<std::string>;

// Errors that reach the application are recorded instead of shown in a box.
struct ExceptionCatcher {
    Log messages;
    ExceptionCatcher() {
        Application->OnException = [this](const std::string& m) { messages.push_back(m); };
    }
    ~ExceptionCatcher() { Application->OnException = nullptr; }
};

void ClickLater(TTBCustomItem* item) {
    TTBTrackResult result;
    result.Kind = trClickItem;
    result.ClickItem = item;
    RunTrackResult(result);
}

TEST(ItemClick, AutoCheckTogglesBeforeOnClick) {
    TTBItem item(nullptr);
    item.SetAutoCheck(true);
    std::vector<bool> seen;
    item.OnClick = [&](TComponent*) { seen.push_back(item.Checked()); };
    item.Click();
    item.Click();
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST(ItemClick, ActionRunsUnlessTheItemHasAHandlerOfItsOwn) {
    TCustomAction action(nullptr);
    Log log;
    action.OnExecute = [&](TComponent*) { log.push_back("action for " + action.ActionComponent()->Name()); };
    TTBItem item(nullptr);
    item.SetName("item");
    item.SetAction(&action);
    item.Click();
    item.OnClick = [&](TComponent*) { log.push_back("own"); };
    item.Click();
    EXPECT_EQ(log, (Log{"action for item", "own"}));
}

TEST(ItemClick, AnAutoCheckActionTogglesItsItemsOnce) {
    TCustomAction action(nullptr);
    action.SetAutoCheck(true);
    TTBItem item(nullptr), other(nullptr);
    item.SetAction(&action);
    other.SetAction(&action);
    item.Click();
    EXPECT_TRUE(action.Checked());
    EXPECT_TRUE(item.Checked());
    EXPECT_TRUE(other.Checked());
    item.SetAutoCheck(false);  // no longer the action's setting: the item does not toggle itself
    item.Click();
    EXPECT_FALSE(action.Checked());
    EXPECT_FALSE(other.Checked());
}

TEST(ItemClick, DeferredClickRunsAfterTheLoopHasUnwound) {
    ItemTree tree(2);
    Log log;
    for (int i = 0; i < 2; ++i) {
        TTBCustomItem* item = tree.root->Items(i);
        item->OnClick = [&log, item](TComponent*) { log.push_back("click " + item->Name()); };
    }
    ClickLater(tree.root->Items(0));
    ClickLater(tree.root->Items(1));
    log.push_back("loop ended");
    ASSERT_TRUE(PumpUntil([&] { return PendingDeferredCalls() == 0; }));
    EXPECT_EQ(log, (Log{"loop ended", "click a", "click b"}));
}

TEST(ItemClick, AFreedItemIsNotClickedAndStrayMessagesDoNothing) {
    ItemTree tree(2);
    int clicks = 0;
    tree.root->Items(1)->OnClick = [&](TComponent*) { ++clicks; };
    ClickLater(tree.root->Items(0));
    ClickLater(tree.root->Items(1));
    delete tree.root->Items(0);
    EXPECT_EQ(PendingItemClicks(), 1);
    PostMessageA(DeferredCallWindow(), WM_DEFERREDCALL, 0, 0);  // one more than there is work
    ASSERT_TRUE(PumpUntil([&] { return PendingDeferredCalls() == 0; }));
    PumpFor(20);
    EXPECT_EQ(clicks, 1);
}

TEST(ItemClick, ACommandMayFreeEveryItemAndTheWindowThatRunsIt) {
    ExceptionCatcher errors;
    auto tree = std::make_unique<ItemTree>(1);
    ASSERT_EQ(TTBCustomItem::LiveItemCount(), 2);
    tree->root->Items(0)->OnClick = [&](TComponent*) { tree.reset(); };
    ClickLater(tree->root->Items(0));
    ASSERT_TRUE(PumpUntil([&] { return !tree; }));
    EXPECT_EQ(TTBCustomItem::LiveItemCount(), 0);
    EXPECT_EQ(DeferredCallWindow(), nullptr) << "the last item took the idle window with it";
    // A failing command is reported, not thrown into the message loop.
    TTBItem failing(nullptr);
    failing.OnClick = [](TComponent*) { throw Exception("command failed"); };
    ClickLater(&failing);
    ASSERT_TRUE(PumpUntil([&] { return !errors.messages.empty(); }));
    EXPECT_EQ(errors.messages, Log{"command failed"});
}

TEST(ItemAction, PropertiesFollowTheActionWhileTheyStillMatchIt) {
    TCustomAction action(nullptr);
    action.SetCaption("保存");
    action.SetEnabled(false);
    action.SetShortCut(ShortCut('S', ssCtrl));
    action.SetHint("保存|ファイルに保存します");
    TTBItem item(nullptr);
    item.SetAction(&action);
    EXPECT_EQ(item.Caption(), "保存");
    EXPECT_FALSE(item.Enabled());
    EXPECT_EQ(item.HintText(), "保存 (Ctrl+S)");
    EXPECT_FALSE(item.IsCaptionStored());

    item.SetCaption("別名");  // the item's own caption from now on
    action.SetCaption("上書き保存");
    action.SetEnabled(true);
    EXPECT_EQ(item.Caption(), "別名");
    EXPECT_TRUE(item.Enabled());
    EXPECT_TRUE(item.IsCaptionStored());
    EXPECT_FALSE(item.IsEnabledStored());
}

TEST(ItemAction, AfterLoadingOnlyDefaultsAreFilledAndAFreedActionIsDropped) {
    auto action = std::make_unique<TCustomAction>(nullptr);
    action->SetCaption("開く");
    action->SetImageIndex(2);
    TTBItem item(nullptr);
    item.BeginLoading();
    item.SetAction(action.get());
    item.SetCaption("stored");  // the stored layout writes the item's own values after the action
    item.SetImageIndex(-1);
    item.Loaded();
    EXPECT_EQ(item.Caption(), "stored");
    EXPECT_EQ(item.ImageIndex(), 2);
    action.reset();
    EXPECT_EQ(item.Action(), nullptr);
    EXPECT_EQ(item.ActionLink(), nullptr);
}

// The handler an item takes over from its action calls the action: once the link goes, by an
// unlink or by the action's end, a click must not reach it. The item's own handler stays.
TEST(ItemAction, TheActionsClickHandlerGoesWithTheLink) {
    int executed = 0;
    auto action = std::make_unique<TCustomAction>(nullptr);
    action->OnExecute = [&](TComponent*) { ++executed; };
    TTBItem unlinked(nullptr), orphaned(nullptr), own(nullptr);
    for (TTBItem* item : {&unlinked, &orphaned, &own}) item->SetAction(action.get());
    int ownClicks = 0;
    own.OnClick = [&](TComponent*) { ++ownClicks; };

    unlinked.SetAction(nullptr);
    EXPECT_FALSE(unlinked.OnClick) << "unlinked";
    unlinked.Click();
    EXPECT_EQ(executed, 0);

    action.reset();
    EXPECT_FALSE(orphaned.OnClick) << "the action was freed";
    if (!orphaned.OnClick) orphaned.Click();  // would run the freed action
    ASSERT_TRUE(own.OnClick);
    own.Click();
    EXPECT_EQ(ownClicks, 1);
}

// A menu: root > file (submenu) > open, plus a disabled command; popups are logged.
struct Menu : ItemTree {
    TTBItem* file = AddChild(root.get(), "file");
    TTBItem* open = AddChild(file, "open");
    TTBItem* closeItem = AddChild(root.get(), "close");
    Log log;

    Menu() {
        open->SetShortCut(ShortCut('O', ssCtrl));
        closeItem->SetShortCut(ShortCut('W', ssCtrl));
        closeItem->SetEnabled(false);
        for (TTBCustomItem* item : {static_cast<TTBCustomItem*>(file), static_cast<TTBCustomItem*>(open)}) {
            item->OnPopup = [this, item](TTBCustomItem*, bool fromLink) {
                log.push_back("popup " + item->Name() + (fromLink ? " (link)" : ""));
            };
            item->OnClick = [this, item](TComponent*) { log.push_back("click " + item->Name()); };
        }
        file->SetItemStyle(file->ItemStyle() | isfCombo);  // opening the submenu does not click it
    }
};

TEST(ItemShortCut, OpensTheSubmenusOnTheWayAndClicksTheMatch) {
    Menu menu;
    EXPECT_TRUE(menu.root->DispatchShortCut('O', ssCtrl));
    EXPECT_EQ(menu.log, (Log{"popup file", "click open"}));
    EXPECT_FALSE(menu.root->DispatchShortCut('W', ssCtrl)) << "disabled";
    EXPECT_FALSE(menu.root->DispatchShortCut('Q', ssCtrl)) << "no such short-cut";
    menu.file->SetEnabled(false);
    menu.log.clear();
    EXPECT_FALSE(menu.root->DispatchShortCut('O', ssCtrl)) << "below a disabled submenu";
    EXPECT_TRUE(menu.log.empty());
}

TEST(ItemShortCut, LinkCyclesEnd) {
    // root > a -> (link) hub; hub > c -> (link) hub, and hub > y > match.
    ItemTree tree(1);
    TTBItem hub(nullptr);
    hub.SetName("hub");
    TTBCustomItem* a = tree.root->Items(0);
    a->SetLinkSubitems(&hub);
    TTBItem* c = ItemTree::AddChild(&hub, "c");
    c->SetLinkSubitems(&hub);
    int popups = 0;
    c->OnPopup = [&](TTBCustomItem*, bool) { ++popups; };
    c->SetItemStyle(c->ItemStyle() | isfCombo);
    EXPECT_FALSE(tree.root->DispatchShortCut('K', ssCtrl)) << "a cycle without a match";

    TTBItem* y = ItemTree::AddChild(&hub, "y");
    TTBItem* match = ItemTree::AddChild(y, "match");
    match->SetShortCut(ShortCut('K', ssCtrl));
    int clicks = 0;
    match->OnClick = [&](TComponent*) { ++clicks; };
    // Every search finds the match below c again; the descent must still come to an end.
    EXPECT_TRUE(tree.root->DispatchShortCut('K', ssCtrl));
    EXPECT_EQ(clicks, 1);
    EXPECT_LE(popups, 2 * 26);
    a->SetLinkSubitems(nullptr);
}

TEST(ItemShortCut, ATreeThatKeepsChangingIsSearchedAgainOnceOnly) {
    // Opening either submenu moves the command into the other one.
    ItemTree tree(2);
    TTBCustomItem* left = tree.root->Items(0);
    TTBCustomItem* right = tree.root->Items(1);
    TTBItem* command = ItemTree::AddChild(left, "command");
    command->SetShortCut(ShortCut(VK_F5, 0));
    int popups = 0;
    for (TTBCustomItem* submenu : {left, right}) {
        submenu->SetItemStyle(submenu->ItemStyle() | isfCombo);
        TTBCustomItem* other = submenu == left ? right : left;
        submenu->OnPopup = [&popups, submenu, other, command](TTBCustomItem*, bool) {
            ++popups;
            submenu->Remove(command);
            if (!command->Parent()) other->Add(command);
        };
    }
    EXPECT_FALSE(tree.root->DispatchShortCut(VK_F5, 0));
    EXPECT_EQ(popups, 2);
}

}  // namespace
