#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "support/ui_driver.h"
#include "toolbar/tb_toolbar.h"
#include "widgets/edit.h"
#include "widgets/form.h"
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

    std::unique_ptr<TForm> form;
    TPanel* panel = nullptr;
    TTBDock* dock = nullptr;
    TTBToolbar* toolbar = nullptr;
    std::vector<TTBItem*> items;
    std::string clicks;
};

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
            EXPECT_LE(toolbar->Left() + toolbar->Width(), std::max(c.dockWidth, toolbar->Width()));
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

}  // namespace
