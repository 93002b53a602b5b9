// The main window's commands from the keyboard alone, with the system's key input.
#include "app/main_window_fixture.h"

namespace {

void Tap(WORD key) {
    PressKey(key, true);
    PressKey(key, false);
}

class KeyboardTest : public MainWindowTest {
protected:
    void SetUp() override {
        SetCursorPos(0, 0);  // hot tracking must not move the selection
        MainWindowTest::SetUp();
        SetForegroundWindow(form->Handle());
        PumpFor(50);
    }
    // Types the keys one per timer tick, inside whatever loop runs then, and waits for the last.
    void Type(std::vector<WORD> keys) {
        std::vector<std::function<void()>> steps;
        for (WORD key : keys) steps.push_back([key] { Tap(key); });
        InputScript script(std::move(steps), 60);
        ASSERT_TRUE(PumpUntil([&] { return script.Done(); }, 10000));
        PumpFor(100);
    }
    TTBView* Bar() { return form->TBToolbar1->View(); }
};

TEST_F(KeyboardTest, F10AndArrowsReachTheAboutCommandAndEscapeLeavesWithoutOne) {
    // Escape: the mode ends where it began, nothing has run.
    Type({VK_F10, VK_RIGHT, VK_ESCAPE});
    EXPECT_FALSE(Bar()->InModalLoop());
    EXPECT_FALSE(version->Visible());
    EXPECT_TRUE(form->TB_NotInstallFont->Checked());
    EXPECT_FALSE(form->TB_AlreadyInstallFont->Checked());

    // The first item, the second, the stop command (disabled, still a stop on the way), About.
    std::vector<std::string> selected;
    auto note = [&] { selected.push_back(Bar()->Selected() ? Bar()->Selected()->Item()->Caption() : "-"); };
    InputScript script({[] { Tap(VK_F10); }, note, [] { Tap(VK_RIGHT); }, note, [] { Tap(VK_RIGHT); }, note,
                        [] { Tap(VK_RIGHT); }, note, [] { Tap(VK_RETURN); }},
                       60);
    ASSERT_TRUE(PumpUntil([&] { return script.Done() && version->Visible(); }, 10000));
    EXPECT_EQ(selected, (std::vector<std::string>{"未インストールフォント", "インストール済みフォント", "取得の中止",
                                                  "バージョン情報"}));
    EXPECT_FALSE(Bar()->InModalLoop());
}

}  // namespace
