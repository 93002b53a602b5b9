#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "support/test_env.h"
#include "widgets/form.h"
#include "widgets/hint_control.h"
#include "widgets/hint_window.h"
#include "widgets/panel.h"

namespace {

class HintControllerTest : public testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 300, 200);
        panel = TComponent::Create<TPanel>(form.get());
        panel->SetBounds(10, 10, 100, 50);
        panel->Hint = "Short|Long";
        panel->SetParent(form.get());
        form->Show();
        PumpFor(20);
        hints.SetHintPause(30);
        centre = panel->ClientToScreen(POINT{50, 25});
        SetCursorPos(centre.x, centre.y);
    }
    void TearDown() override {
        hints.Leave();
        form.reset();
    }
    bool ShowsSoon() { return PumpUntil([&] { return hints.Showing(); }, 300); }

    std::unique_ptr<TForm> form;
    TPanel* panel = nullptr;
    POINT centre{};
    THintController& hints = Application->Hints();
};

TEST_F(HintControllerTest, ShowsWhereThePanelOrItsParentAsksAndACancelHoldsUntilThePointerLeaves) {
    hints.MouseMoved(panel, centre);
    EXPECT_FALSE(ShowsSoon()) << "neither the panel nor the form shows hints";

    form->ShowHint = true;  // the panel follows its parent
    hints.Leave();
    hints.MouseMoved(panel, centre);
    EXPECT_FALSE(hints.Showing()) << "not before the pause";
    ASSERT_TRUE(ShowsSoon());
    EXPECT_EQ(hints.Window()->Text(), "Short");
    RECT shown;
    GetWindowRect(hints.Window()->Handle(), &shown);
    EXPECT_GT(shown.top, centre.y) << "below the pointer";

    hints.Cancel();
    hints.MouseMoved(panel, POINT{centre.x + 5, centre.y});
    EXPECT_FALSE(ShowsSoon()) << "a cancelled hint stays away inside its area";
    hints.Leave();
    hints.MouseMoved(panel, centre);
    EXPECT_TRUE(ShowsSoon());

    panel->ParentShowHint = false;
    hints.Leave();
    hints.MouseMoved(panel, centre);
    EXPECT_FALSE(ShowsSoon());
}

TEST_F(HintControllerTest, AHintGoesWithItsControl) {
    panel->ShowHint = true;
    hints.MouseMoved(panel, centre);
    ASSERT_TRUE(ShowsSoon());
    delete panel;
    EXPECT_FALSE(hints.Showing());
    EXPECT_EQ(hints.Control(), nullptr);
}

}  // namespace
