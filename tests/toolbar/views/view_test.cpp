#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolbar/skins/skin.h"
#include "toolbar/views/view.h"
#include "toolbar/views/view_test_support.h"
#include "widgets/handles.h"

namespace {

// A bar of fixed-size items: each letter is a control item of that width (20 high, the letter
// `tall` 30), lower case hidden; "|" a separator, "!" a separator that never breaks a line.
struct LayoutBar {
    TestBar bar{RECT{40, 40, 600, 120}};
    std::vector<TTBCustomItem*> items;

    explicit LayoutBar(const std::string& pattern, int width = 30, char tall = 0) {
        for (char c : pattern) {
            TTBCustomItem* item;
            if (c == '|' || c == '!') {
                item = new TTBSeparatorItem(nullptr);
                if (c == '!') item->SetItemStyle(item->ItemStyle() | isfNoLineBreak);
            } else {
                auto* control = new TGraphicControl(nullptr);
                control->SetBounds(0, 0, width, c == tall ? 30 : 20);
                control->SetParent(&bar);
                auto* controlItem = new TTBControlItem(nullptr);
                controlItem->SetControl(control);
                controlItem->SetName(std::string(1, static_cast<char>(toupper(c))));
                control->SetVisible(!islower(c));
                item = controlItem;
            }
            bar.root->Add(item);
            items.push_back(item);
        }
    }
    // The shown items as "name@left,top" and separators as "|@left,top".
    std::string Placement() {
        bar.view->ValidatePositions();
        std::string out;
        for (int i = 0; i < bar.view->ViewerCount(); ++i) {
            TTBItemViewer* v = bar.view->Viewers(i);
            if (!v->Show) continue;
            std::string name = v->IsSeparator() ? (v->IsLineSep ? "/" : "|") : v->Item()->Name();
            if (name.empty()) name = "?";
            out += name + "@" + std::to_string(v->BoundsRect.left) + "," + std::to_string(v->BoundsRect.top) + " ";
        }
        return out;
    }
};

TEST(ViewLayout, SeparatorsAtTheEndsOrDoubledTakeNoSpaceAndHiddenItemsNone) {
    struct Case {
        const char* items;
        const char* placement;
        LONG width;
    } cases[] = {
        {"|A||B|", "A@0,0 |@30,0 B@36,0 ", 66},
        {"||A|", "A@0,0 ", 30},
        {"Ax|B", "A@0,0 |@30,0 B@36,0 ", 66},  // the hidden x leaves the separator between A and B
        {"A|x|B", "A@0,0 |@30,0 B@36,0 ", 66},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.items);
        LayoutBar layout(c.items);
        EXPECT_EQ(layout.Placement(), c.placement);
        EXPECT_EQ(layout.bar.view->requestedSize.x, c.width);
        EXPECT_EQ(layout.bar.view->requestedSize.y, 20);
    }
}

TEST(ViewLayout, AnEmptyOrAllHiddenBarKeepsAClickableSize) {
    for (const char* pattern : {"", "xy", "|x|"}) {
        SCOPED_TRACE(pattern);
        LayoutBar layout(pattern);
        layout.bar.view->ValidatePositions();
        EXPECT_EQ(layout.bar.view->requestedSize.x, 23);
        EXPECT_EQ(layout.bar.view->requestedSize.y, 22);
        EXPECT_EQ(layout.bar.view->BaseSize().x, 23);
    }
}

TEST(ViewLayout, WrappingBreaksAtSeparatorsWhoseGroupDoesNotFit) {
    struct Case {
        const char* items;
        int wrap;  // 0: no wrapping
        const char* placement;
        char tall = 0;
    } cases[] = {
        {"AB|CD", 200, "A@0,0 B@30,0 |@60,0 C@66,0 D@96,0 "},
        // C and D would end at 126: the separator becomes a 6-pixel line break.
        {"AB|CD", 80, "A@0,0 B@30,0 /@0,20 C@0,26 D@30,26 "},
        {"AB|CD", 126, "A@0,0 B@30,0 |@60,0 C@66,0 D@96,0 "},  // ending exactly at the wrap fits
        {"AB|CD", 125, "A@0,0 B@30,0 /@0,20 C@0,26 D@30,26 "},
        {"ABC", 90, "A@0,0 B@30,0 C@60,0 "},
        {"ABC", 89, "A@0,0 B@30,0 C@0,20 "},
        // Never at a separator that must not break: the item that overflows wraps instead.
        {"AB!CD", 80, "A@0,0 B@30,0 |@60,0 C@0,20 D@30,20 "},
        // An item that wrapped makes the next separator of its group break the line.
        {"ABC|D", 80, "A@0,0 B@30,0 C@0,20 /@0,40 D@0,46 "},
        // Items lower than the line's tallest are centred in it; the next line starts below it.
        {"AB|C", 0, "A@0,5 B@30,0 |@60,0 C@66,5 ", 'B'},
        {"AB|CD", 80, "A@0,5 B@30,0 /@0,30 C@0,36 D@30,36 ", 'B'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.items + std::string(" wrap ") + std::to_string(c.wrap));
        LayoutBar layout(c.items, 30, c.tall);
        layout.bar.view->SetWrapOffset(c.wrap);
        EXPECT_EQ(layout.Placement(), c.placement);
    }
}

struct ChevronBar : LayoutBar {
    std::unique_ptr<TTBChevronItem> chevron;
    explicit ChevronBar(const std::string& pattern) : LayoutBar(pattern) {
        chevron = std::make_unique<TTBChevronItem>(nullptr, bar.view.get());
        bar.view->chevron = chevron.get();
        bar.root->Notify(inkSubitemsChanged, -1, nullptr);  // the view makes the chevron's viewer
        bar.view->SetChevronWidth(12);
    }
    std::string OffEdge() {
        std::string out;
        for (int i = 0; i < bar.view->ViewerCount(); ++i)
            if (bar.view->Viewers(i)->OffEdge) out += bar.view->Viewers(i)->Item()->Name();
        return out;
    }
    RECT ChevronRect() { return bar.view->Find(chevron.get())->BoundsRect; }
};

TEST(ViewLayout, TheChevronCutsOffTheLastItemsAndKeepsOne) {
    struct Case {
        int limit;
        const char* offEdge;
        LONG chevronLeft;  // -1: no chevron
    } cases[] = {
        {0, "", -1}, {156, "", -1}, {155, "E", 143}, {100, "CDE", 88}, {10, "BCDE", 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        ChevronBar layout("A|BCDE");
        layout.bar.view->SetChevronLimit(c.limit);
        layout.bar.view->ValidatePositions();
        EXPECT_EQ(layout.OffEdge(), c.offEdge);
        TTBItemViewer* chevron = layout.bar.view->Find(layout.chevron.get());
        EXPECT_EQ(chevron->Show, c.chevronLeft >= 0);
        if (c.chevronLeft >= 0) {
            EXPECT_EQ(layout.ChevronRect().left, c.chevronLeft);
            EXPECT_EQ(layout.ChevronRect().right, c.chevronLeft + 12);
        }
        // A separator left at the end of the cut bar is hidden with the items after it.
        TTBItemViewer* separator = layout.bar.view->Viewers(1);
        EXPECT_EQ(separator->Show, std::string(c.offEdge).size() < 4);
    }
}

TEST(ViewLayout, TheChevronHidesTheLeastRecentlyClickedItemFirstAndListsOnlyButtons) {
    ChevronBar layout("ABC");
    auto* button = new TTBItem(nullptr);
    button->SetName("T");
    button->SetCaption("T");
    layout.bar.root->Add(button);
    TTBView& view = *layout.bar.view;
    view.MoveToFrontOfPriorityList(view.Find(button));
    view.MoveToFrontOfPriorityList(view.Find(layout.items[2]));  // C, then T, were clicked last

    view.SetChevronLimit(80);
    view.ValidatePositions();
    EXPECT_EQ(layout.OffEdge(), "AB");
    EXPECT_FALSE(layout.chevron->Enabled()) << "only controls are cut off: the chevron has nothing to list";

    view.SetChevronLimit(40);
    view.ValidatePositions();
    EXPECT_EQ(layout.OffEdge(), "ABT");
    EXPECT_TRUE(layout.chevron->Enabled());
}

// A view follows its item's children; what a freed viewer was to the view is forgotten.
TEST(ViewNotifications, ViewersFollowTheTreeAndFreedViewersLeaveNoReference) {
    TestBar bar(RECT{40, 40, 400, 80});
    TTBItem* a = bar.Add("A");
    TTBItem* b = bar.Add("B");
    ASSERT_EQ(bar.view->ViewerCount(), 2);
    TTBItem* c = new TTBItem(nullptr);
    c->SetCaption("C");
    bar.root->Insert(1, c);
    ASSERT_EQ(bar.view->ViewerCount(), 3);
    EXPECT_EQ(bar.view->Viewers(1)->Item(), c);

    bar.view->Select(bar.ViewerOf(b));
    bar.view->MoveToFrontOfPriorityList(bar.ViewerOf(b));
    bar.root->Remove(b);
    delete b;
    EXPECT_EQ(bar.view->Selected(), nullptr);
    EXPECT_EQ(bar.view->ViewerCount(), 2);
    for (TTBItemViewer* v : bar.view->PriorityList()) EXPECT_NE(v, nullptr);
    EXPECT_EQ(bar.view->PriorityList().size(), 2u);

    // An update pair the view saw only the end of leaves the count at zero: it still lays out.
    bar.root->Notify(inkEndUpdate, -1, nullptr);
    EXPECT_EQ(bar.view->UpdateCount(), 0);
    a->SetCaption("A much longer caption");
    EXPECT_TRUE(bar.view->ValidPositions());
    EXPECT_GT(bar.ViewerOf(a)->Width(), 100);
}

TEST(ViewSelection, NextSelectableWrapsSkipsHiddenAndAnEmptyViewHasNone) {
    TestBar bar(RECT{40, 40, 400, 80});
    EXPECT_EQ(bar.view->NextSelectable(nullptr, true), nullptr);
    TTBItem* a = bar.Add("A");
    TTBItem* hidden = bar.Add("H");
    hidden->SetVisible(false);
    TTBItem* c = bar.Add("C");
    bar.view->ValidatePositions();
    EXPECT_EQ(bar.view->NextSelectable(nullptr, true)->Item(), a);
    EXPECT_EQ(bar.view->NextSelectable(nullptr, false)->Item(), c);
    EXPECT_EQ(bar.view->NextSelectable(bar.ViewerOf(a), true)->Item(), c);
    EXPECT_EQ(bar.view->NextSelectable(bar.ViewerOf(c), true)->Item(), a);
}

TEST(ViewPainting, AHotButtonIsRaisedAndADisabledOneIsNot) {
    TestBar bar(RECT{40, 40, 300, 80});
    TTBItem* enabled = bar.Add("Go");
    TTBItem* disabled = bar.Add("No");
    disabled->SetEnabled(false);
    bar.view->ValidatePositions();
    auto edgeOf = [&](TTBItem* item) {
        RedrawWindow(bar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        WindowDC dc(bar.Handle());
        const RECT& r = bar.ViewerOf(item)->BoundsRect;
        return GetPixel(dc.get(), r.left, r.top + 3);
    };
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(edgeOf(enabled), face);
    bar.view->Select(bar.ViewerOf(enabled));
    EXPECT_EQ(edgeOf(enabled), GetSysColor(COLOR_BTNHIGHLIGHT));
    bar.view->Select(bar.ViewerOf(disabled));
    EXPECT_EQ(edgeOf(enabled), face) << "the highlight leaves with the selection";
    EXPECT_EQ(edgeOf(disabled), face) << "a disabled item never highlights";
}

// Disabled text has a highlight pass below and right of it in plain painting and, under a
// skin, only in the Windows-XP look of toolbar buttons.
TEST(ViewPainting, DisabledCaptionsKeepTheirHighlightPassOnlyPlainAndUnderWindowsXP) {
    TestBar bar(RECT{40, 40, 300, 80});
    TTBItem* off = bar.Add("Off");
    off->SetEnabled(false);
    bar.view->ValidatePositions();
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    ASSERT_NE(highlight, GetSysColor(COLOR_BTNFACE));
    auto highlightPixels = [&] {
        RedrawWindow(bar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        WindowDC dc(bar.Handle());
        const RECT r = bar.ViewerOf(off)->BoundsRect;
        int count = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) count += GetPixel(dc.get(), x, y) == highlight;
        return count;
    };
    TTBBaseSkin skin(nullptr);
    const struct {
        const char* name;
        TTBSkins type;
        bool pass;
    } cases[] = {{"plain", tbsDisabled, true}, {"Office-XP", tbsOfficeXP, false}, {"Windows-XP", tbsWindowsXP, true}};
    for (const auto& c : cases) {
        skin.SetSkinType(c.type);
        bar.view->SetSkin(&skin);
        EXPECT_EQ(highlightPixels() > 0, c.pass) << c.name;
    }
    bar.view->SetSkin(nullptr);
}

}  // namespace
