#include <functional>
#include <optional>
#include <vector>

#include "app/main_window_fixture.h"
#include "app/version_info.h"
#include "app/version_resource.h"

namespace {

void SystemClickCentre(TControl& control) {
    SystemClick(control.ClientToScreen(POINT{control.Width() / 2, control.Height() / 2}));
}

// The bottom-right corner of the display, away from both windows.
void ParkPointer() {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
    PumpFor(30);
}

class VersionDialogTest : public MainWindowTest {
protected:
    void TearDown() override {
        ParkPointer();
        MainWindowTest::TearDown();
    }

    bool MainEnabled() { return IsWindowEnabled(form->Handle()) && form->Enabled(); }

    void OpenFromToolbar() {
        ClickItem(form->TBToolbar1, form->TBItem1);
        PumpFor(50);
    }

    void SystemClickItem(TTBItem* item) { SystemClick(ItemCentre(form->TBToolbar1, item)); }
};

TEST_F(VersionDialogTest, StartsHiddenWithCaptionsFromTheProgramsResource) {
    EXPECT_FALSE(version->Visible());
    EXPECT_TRUE(MainEnabled());
    EXPECT_EQ(version->Label1->Caption(), "Sorvane");
    EXPECT_EQ(version->Label2->Caption(), "Version: 4.0.0");
    // The version grows leftwards from its right edge.
    EXPECT_EQ(version->Label2->Left() + version->Label2->Width(), 324);
    EXPECT_EQ(version->Image2->Picture().Icon(), Application->Icon());
    RECT client;
    GetClientRect(version->Handle(), &client);
    EXPECT_EQ(client.right, 345);
    EXPECT_EQ(client.bottom, 224);
}

TEST_F(VersionDialogTest, NoticeLinesFitThePanelWithoutOverlapping) {
    TPanel& panel = *version->Panel1;
    std::vector<TControl*> lines{version->Label3, version->URLLink1, version->Label4, version->Label6,
                                 version->URLLink3};
    for (TControl* line : lines) {
        EXPECT_EQ(line->Parent(), &panel) << line->Name();
        EXPECT_GE(line->Left(), 0) << line->Name();
        EXPECT_LE(line->Left() + line->Width(), panel.Width()) << line->Name();
        EXPECT_LE(line->Top() + line->Height(), panel.Height()) << line->Name();
        for (TControl* other : lines) {
            if (line == other) continue;
            RECT a = line->BoundsRect(), b = other->BoundsRect(), both;
            EXPECT_FALSE(IntersectRect(&both, &a, &b)) << line->Name() << " " << other->Name();
        }
    }
    // Above the panel, the product name and the version keep apart as well.
    RECT name = version->Label1->BoundsRect(), number = version->Label2->BoundsRect(), both;
    EXPECT_FALSE(IntersectRect(&both, &name, &number));
    EXPECT_LE(number.bottom, panel.Top());
}

TEST_F(VersionDialogTest, EveryWayOfClosingReenablesTheMainWindow) {
    struct Way {
        const char* name;
        std::function<void()> close;
    };
    const Way ways[] = {
        {"close box", [&] { PostMessageA(version->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"WM_CLOSE", [&] { PostMessageA(version->Handle(), WM_CLOSE, 0, 0); }},
        {"閉じる", [&] { SystemClickCentre(*version->btnClose); }},
    };
    for (int round = 0; round < 2; ++round) {
        for (const Way& way : ways) {
            OpenFromToolbar();
            EXPECT_TRUE(version->Visible()) << way.name;
            EXPECT_TRUE(IsWindowVisible(version->Handle())) << way.name;
            EXPECT_FALSE(MainEnabled()) << way.name;
            EXPECT_EQ(version->Label1->Caption(), "Sorvane") << way.name;
            EXPECT_EQ(version->Label2->Caption(), "Version: 4.0.0") << way.name;

            way.close();
            PumpFor(50);
            EXPECT_FALSE(version->Visible()) << way.name;
            EXPECT_FALSE(IsWindowVisible(version->Handle())) << way.name;
            EXPECT_TRUE(MainEnabled()) << way.name;
        }
    }
}

TEST_F(VersionDialogTest, MainToolbarTakesNoClicksWhileShown) {
    OpenFromToolbar();
    ASSERT_TRUE(version->Visible());
    SystemClickItem(form->TB_AlreadyInstallFont);
    EXPECT_FALSE(form->TB_AlreadyInstallFont->Checked());
    EXPECT_TRUE(form->ListView1->Showing());
    EXPECT_TRUE(version->Visible());

    // The same click reaches the toolbar once the dialog is closed.
    SystemClickCentre(*version->btnClose);
    ASSERT_FALSE(version->Visible());
    SystemClickItem(form->TB_AlreadyInstallFont);
    EXPECT_TRUE(form->TB_AlreadyInstallFont->Checked());
    EXPECT_TRUE(form->FontNameListBox1->Showing());
}

TEST_F(VersionDialogTest, DamagedResourcesLeaveTheStoredOrEmptyCaptionsSilently) {
    struct Case {
        const char* folder;
        std::optional<Bytes> resource;
        const char* label1;
        const char* label2;
        bool icon;
    };
    const Case cases[] = {
        {"dialog_no_resource", std::nullopt, "", "Version: ", true},
        // The first read throws: nothing is set, not even the icon.
        {"dialog_no_translation", VersionResource({JapaneseStrings({Text("ProductName", L"Sorvane")})}),
         "Label1", "Label1", false},
        {"dialog_missing_keys",
         VersionResource({JapaneseStrings({Text("FileVersion", L"4.0.0.0")}), JapaneseTranslation()}), "",
         "Version: ", true},
    };
    std::vector<std::string> reported;
    Application->OnException = [&](const std::string& message) { reported.push_back(message); };
    for (const Case& c : cases) {
        TfrmVersion dialog(nullptr, ProgramCopy(c.folder, c.resource));
        EXPECT_EQ(dialog.Label1->Caption(), c.label1) << c.folder;
        EXPECT_EQ(dialog.Label2->Caption(), c.label2) << c.folder;
        EXPECT_EQ(dialog.Image2->Picture().Icon() != nullptr, c.icon) << c.folder;
        EXPECT_EQ(dialog.Label2->Left() + dialog.Label2->Width(), 324) << c.folder;
    }
    Application->OnException = nullptr;
    EXPECT_EQ(reported, std::vector<std::string>{});
}

}  // namespace
