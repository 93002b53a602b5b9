#include <gtest/gtest.h>

#include "toolbar/items/item_test_support.h"
#include "toolbar/base/consts.h"
#include "widgets/image_list.h"

namespace {

using Log = std::vector<std::string>;

template <class F>
std::string ItemErrorOf(F&& call) {
    try {
        call();
    } catch (const ETBItemError& e) {
        return e.Message();
    }
    return "";
}

TEST(ItemTree, RejectedInsertionsChangeNothing) {
    ItemTree tree(2);
    TTBCustomItem* a = tree.root->Items(0);
    TTBItem* grandChild = ItemTree::AddChild(a, "g");
    TTBItem* loose = new TTBItem(nullptr);
    std::unique_ptr<TTBItem> looseOwner(loose);
    NotifyRecorder views;
    tree.root->RegisterNotification(&views);

    struct Case {
        const char* what;
        std::function<void()> call;
        const char* message;
    };
    const Case cases[] = {
        {"past the end", [&] { tree.root->Insert(3, loose); }, STBItemIndexOutOfRange},
        {"before the start", [&] { tree.root->Insert(-1, loose); }, STBItemIndexOutOfRange},
        {"already a child elsewhere", [&] { tree.root->Insert(0, grandChild); }, STBItemAlreadyInserted},
        {"under itself", [&] { loose->Insert(0, loose); }, STBItemInsertedUnderItself},
        {"the root under its grandchild", [&] { grandChild->Add(tree.root.get()); }, STBItemInsertedUnderItself},
        {"item out of range", [&] { tree.root->Items(2); }, STBItemIndexOutOfRange},
        {"delete out of range", [&] { tree.root->Delete(2); }, STBItemIndexOutOfRange},
    };
    for (const Case& c : cases) EXPECT_EQ(ItemErrorOf(c.call), c.message) << c.what;
    EXPECT_EQ(tree.Names(), "ab");
    EXPECT_EQ(loose->Parent(), nullptr);
    EXPECT_EQ(grandChild->Parent(), a);
    EXPECT_TRUE(views.log.empty());
    tree.root->UnregisterNotification(&views);
}

TEST(ItemTree, InsertAndDeleteTellTheViewsInOrder) {
    ItemTree tree(2);
    NotifyRecorder views;
    tree.root->RegisterNotification(&views);
    int countWhileDeleting = -1;
    views.onNotify = [&](TTBItemNotifyKind kind) {
        if (kind == inkDeleting) countWhileDeleting = tree.root->Count();
    };
    ItemTree::AddChild(tree.root.get(), "c");  // Insert(Count) appends
    std::unique_ptr<TTBCustomItem> deleted(tree.root->Items(0));  // Delete does not free the child
    tree.root->Delete(0);
    EXPECT_EQ(views.log, (Log{"BeginUpdate", "Inserted c @2", "EndUpdate", "Deleting a @0"}));
    EXPECT_EQ(countWhileDeleting, 3) << "deleting is announced while the child is still in place";
    EXPECT_EQ(tree.Names(), "bc");
    EXPECT_EQ(deleted->Parent(), nullptr);
    tree.root->UnregisterNotification(&views);
}

TEST(ItemTree, MoveChecksBothIndexesAndAlwaysEndsTheUpdate) {
    ItemTree tree(3);
    NotifyRecorder views;
    tree.root->RegisterNotification(&views);
    tree.root->Move(7, 7);  // nothing, even out of range
    EXPECT_EQ(ItemErrorOf([&] { tree.root->Move(0, 3); }), STBItemIndexOutOfRange);
    EXPECT_EQ(ItemErrorOf([&] { tree.root->Move(5, 0); }), STBItemIndexOutOfRange);
    EXPECT_TRUE(views.log.empty());
    tree.root->Move(0, 2);
    EXPECT_EQ(tree.Names(), "bca");
    EXPECT_EQ(views.log, (Log{"BeginUpdate", "Deleting a @0", "BeginUpdate", "Inserted a @2", "EndUpdate", "EndUpdate"}));
    tree.root->UnregisterNotification(&views);
}

TEST(ItemTree, FreeingAParentFreesItsChildrenAndLeavesItsOwnParent) {
    int before = TTBCustomItem::LiveItemCount();
    {
        ItemTree tree(2);
        TTBCustomItem* a = tree.root->Items(0);
        ItemTree::AddChild(a, "x");
        ItemTree::AddChild(a, "y");
        EXPECT_EQ(TTBCustomItem::LiveItemCount(), before + 5);
        delete a;
        EXPECT_EQ(tree.Names(), "b");
        EXPECT_EQ(TTBCustomItem::LiveItemCount(), before + 2);
    }
    EXPECT_EQ(TTBCustomItem::LiveItemCount(), before);
}

TEST(ItemNotify, ObserversMayUnregisterFromTheirCallback) {
    ItemTree tree(1);
    TTBCustomItem* a = tree.root->Items(0);
    NotifyRecorder first, second, third;
    for (NotifyRecorder* v : {&first, &second, &third}) tree.root->RegisterNotification(v);
    tree.root->RegisterNotification(&second);  // counted: needs two unregistrations
    first.onNotify = [&](TTBItemNotifyKind) { tree.root->UnregisterNotification(&first); };
    a->SetCaption("1");
    EXPECT_EQ(second.log.size(), 1u) << "the next registration was not skipped";
    EXPECT_EQ(third.log.size(), 1u);
    // The last ones leave from inside the loop, which frees the list under it.
    tree.root->UnregisterNotification(&second);
    second.onNotify = [&](TTBItemNotifyKind) {
        tree.root->UnregisterNotification(&second);
        tree.root->UnregisterNotification(&third);
    };
    a->SetCaption("2");
    a->SetCaption("3");
    EXPECT_EQ(first.log.size(), 1u);
    EXPECT_EQ(second.log.size(), 2u);
    EXPECT_EQ(third.log.size(), 1u);
}

TEST(ItemNotify, EmbeddedGroupsRelayTheirChangesUp) {
    ItemTree tree(1);
    TTBCustomItem* group = tree.root->Items(0);
    group->SetItemStyle(group->ItemStyle() | isfEmbeddedGroup);
    TTBItem* inGroup = ItemTree::AddChild(group, "g1");
    // An embedded item that shows another item's children relays that item's changes too.
    TTBItem* shared = new TTBItem(nullptr);
    std::unique_ptr<TTBItem> sharedOwner(shared);
    shared->SetName("shared");
    TTBItem* linker = ItemTree::AddChild(tree.root.get(), "linker");
    linker->SetItemStyle(linker->ItemStyle() | isfEmbeddedGroup);
    linker->SetLinkSubitems(shared);
    TTBItem* s1 = ItemTree::AddChild(shared, "s1");

    NotifyRecorder views;
    tree.root->RegisterNotification(&views);
    inGroup->SetCaption("x");
    s1->SetVisible(false);
    EXPECT_EQ(views.log, (Log{"InvalidateAndResize g1 from a", "InvalidateAndResize s1 from linker"}));
    tree.root->UnregisterNotification(&views);

    // Freeing the linked item tells the linker's views that its sub-items changed.
    NotifyRecorder linkerViews;
    linker->RegisterNotification(&linkerViews);
    sharedOwner.reset();
    EXPECT_EQ(linker->LinkSubitems(), nullptr);
    EXPECT_EQ(linkerViews.log, Log{"SubitemsChanged"});
    linker->UnregisterNotification(&linkerViews);
}

TEST(ItemProperties, RepaintOrRelayoutAsTheChangeNeeds) {
    ItemTree tree(1);
    TTBCustomItem* a = tree.root->Items(0);
    TImageList small16(nullptr, 16, 16, true), other16(nullptr, 16, 16, true), big24(nullptr, 24, 24, true);
    NotifyRecorder views;
    tree.root->RegisterNotification(&views);
    struct Case {
        const char* what;
        std::function<void()> change;
        const char* expected;  // empty: no notification
    };
    const Case cases[] = {
        {"image -1 to 4", [&] { a->SetImageIndex(4); }, "InvalidateAndResize a"},
        {"image 4 to 3", [&] { a->SetImageIndex(3); }, "Invalidate a"},
        {"image 3 to 3", [&] { a->SetImageIndex(3); }, ""},
        {"image 3 to -1", [&] { a->SetImageIndex(-1); }, "InvalidateAndResize a"},
        {"first image list", [&] { a->SetImages(&small16); }, "InvalidateAndResize a"},
        {"list of the same size", [&] { a->SetImages(&other16); }, "Invalidate a"},
        {"list of another size", [&] { a->SetImages(&big24); }, "InvalidateAndResize a"},
        {"list removed", [&] { a->SetImages(nullptr); }, "InvalidateAndResize a"},
        {"caption", [&] { a->SetCaption("&Open\tCtrl+O"); }, "InvalidateAndResize a"},
        {"disabled", [&] { a->SetEnabled(false); }, "Invalidate a"},
        {"display mode", [&] { a->SetDisplayMode(nbdmImageAndText); }, "InvalidateAndResize a"},
        {"hint", [&] { a->SetHint("h"); }, ""},
        {"renamed", [&] { a->SetName("renamed"); }, "NameChanged renamed"},
    };
    for (const Case& c : cases) {
        views.log.clear();
        c.change();
        EXPECT_EQ(views.log, c.expected[0] ? Log{c.expected} : Log{}) << c.what;
    }
    // Changes of the list itself reach the views; a freed list is dropped.
    a->SetImages(&small16);
    views.log.clear();
    TBitmap bitmap;
    bitmap.SetSize(16, 16);
    small16.Add(bitmap);
    EXPECT_EQ(views.log, Log{"Invalidate renamed"});
    {
        TImageList doomed(nullptr, 16, 16, true);
        a->SetImages(&doomed);
    }
    EXPECT_EQ(a->Images(), nullptr);
    tree.root->UnregisterNotification(&views);
}

TEST(ItemRadioGroup, CheckingOneUnchecksTheRestOfItsGroupOnly) {
    ItemTree tree(4);
    auto item = [&](int i) { return tree.root->Items(i); };
    for (int i = 0; i < 3; ++i) item(i)->SetGroupIndex(1);
    item(1)->SetChecked(true);
    item(2)->SetChecked(true);
    item(3)->SetChecked(true);  // group 0: no group
    item(0)->SetChecked(true);
    EXPECT_EQ((std::vector<bool>{item(0)->Checked(), item(1)->Checked(), item(2)->Checked(), item(3)->Checked()}),
              (std::vector<bool>{true, false, false, true}));
    // A checked item moving into a group unchecks the group's checked member.
    item(3)->SetGroupIndex(1);
    EXPECT_FALSE(item(0)->Checked());
    EXPECT_TRUE(item(3)->Checked());
}

TEST(ItemOptions, EffectiveOptionsFollowParentMaskAndOwnOptions) {
    struct Case {
        TTBItemOptions parent, mask, own;
        bool inherit;
        TTBItemOptions effective;
    };
    const Case cases[] = {
        {{tboShowHint, tboDefault}, {}, {}, true, {tboShowHint}},
        {{tboShowHint}, {}, {}, false, {}},
        {{tboShowHint, tboDropdownArrow}, {tboShowHint}, {}, true, {tboDropdownArrow}},
        {{tboToolbarStyle, tboToolbarSize}, {tboToolbarStyle}, {}, true, {}},
        {{}, {}, {tboToolbarSize}, true, {}},
        {{tboShowHint}, {}, {tboToolbarStyle, tboToolbarSize}, true, {tboShowHint, tboToolbarStyle, tboToolbarSize}},
    };
    for (const Case& c : cases) {
        ItemTree tree(1);
        TTBCustomItem* child = tree.root->Items(0);
        TTBItem* grandChild = ItemTree::AddChild(child, "g");
        child->SetInheritOptions(c.inherit);
        child->SetMaskOptions(c.mask);
        child->SetOptions(c.own);
        tree.root->SetOptions(c.parent);
        EXPECT_EQ(child->EffectiveOptions().Bits(), c.effective.Bits()) << int(c.parent.Bits()) << "/" << int(c.own.Bits());
        EXPECT_EQ(grandChild->EffectiveOptions().Bits(), (c.effective - tboDefault).Bits());
    }
    TTBItem item(nullptr);
    item.SetOptions(tboToolbarSize);
    EXPECT_TRUE(item.Options().empty());
}

TEST(ItemOptions, OnlyOptionsThatChangeTheLayoutRelayout) {
    ItemTree tree(1);
    NotifyRecorder views;
    tree.root->RegisterNotification(&views);
    tree.root->SetOptions(tboShowHint);
    EXPECT_TRUE(views.log.empty());
    tree.root->SetOptions({tboShowHint, tboImageAboveCaption});
    EXPECT_EQ(views.log, Log{"InvalidateAndResize a"});
    tree.root->UnregisterNotification(&views);
}

TEST(ItemText, CaptionShortCutAndHintParts) {
    TTBItem item(nullptr);
    item.SetCaption("開く(&O)\tCtrl+O");
    EXPECT_EQ(item.CaptionText(), "開く(&O)");
    EXPECT_EQ(item.ShortCutText(), "Ctrl+O");
    item.SetCaption("開く");
    item.SetShortCut(ShortCut('S', ssCtrl | ssShift));
    EXPECT_EQ(item.ShortCutText(), "Shift+Ctrl+S");
    item.SetHint("ポップ|長いヒント");
    EXPECT_EQ(item.HintText(), "ポップ");
}

}  // namespace

namespace {

// Stands in for a toolbar: a component that is not an item but takes items.
class FakeBar : public TComponent {
public:
    explicit FakeBar(TComponent* owner) : TComponent(owner), items(this) {}
    TTBRootItem items;
};

TEST(ItemStoredLayout, StoredParentsAndChildOrder) {
    RegisterTBItemParentClass<FakeBar>([](FakeBar* bar, TTBCustomItem* item) { bar->items.Add(item); });
    FakeBar bar(nullptr);
    TTBItem* a = new TTBItem(nullptr);  // freed by the root item
    a->SetName("a");
    a->SetParentComponent(&bar);
    EXPECT_EQ(a->Parent(), &bar.items);
    EXPECT_EQ(a->GetParentComponent(), &bar) << "a child of a root item names the root's owner";
    TTBItem* b = ItemTree::AddChild(&bar.items, "b");
    TTBItem* c = ItemTree::AddChild(&bar.items, "c");
    bar.items.SetChildOrder(c, 0);
    std::string order;
    bar.items.GetChildren([&](TComponent* child) { order += child->Name(); });
    EXPECT_EQ(order, "cab");
    b->SetParentComponent(a);  // from one parent to another
    EXPECT_EQ(b->GetParentComponent(), a);
    EXPECT_EQ(bar.items.Count(), 2);
}

TEST(ItemKinds, InitialStylesAndTheControlItemsControl) {
    TTBSeparatorItem separator(nullptr);
    EXPECT_EQ(separator.ItemStyle(), isfSeparator | isfClicksTransparent);
    TTBChevronItem chevron(nullptr, nullptr);
    EXPECT_EQ(chevron.ItemStyle() & (isfSubmenu | isfNoAutoOpen | isfSelectable), isfSubmenu | isfNoAutoOpen | isfSelectable);

    TComponent form(nullptr);
    auto* owned = new TControl(&form);  // the form owns both controls
    auto* kept = new TControl(&form);
    {
        TTBControlItem item(nullptr), keeping(nullptr);
        EXPECT_FALSE(item.ItemStyle() & isfSelectable);
        item.SetControl(owned);
        keeping.SetControl(kept);
        keeping.SetControlNotOwned(true);
    }
    EXPECT_EQ(form.ComponentCount(), 1) << "the item freed the control it owns";
    EXPECT_EQ(form.Components(0), kept);
    TTBControlItem item(nullptr);
    item.SetControl(kept);
    delete kept;
    EXPECT_EQ(item.Control(), nullptr);
}

}  // namespace
