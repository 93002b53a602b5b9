#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "app/main_window.h"
#include "app/version_dialog.h"
#include "support/test_env.h"
#include "support/ui_driver.h"
#include "widgets/wide_text.h"

// The real main window and About dialog, shown in the test display.
class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        Application->ResetTermination();
        form = std::make_unique<TfrmMain>(nullptr);
        version = std::make_unique<TfrmVersion>(nullptr);
        form->VersionDialog = version.get();
        form->Show();
        PumpFor(50);
    }
    void TearDown() override {
        version.reset();
        form.reset();
        Application->ResetTermination();
    }

    // The centre of an item's button on the screen.
    static POINT ItemCentre(TTBToolbar* bar, TTBCustomItem* item) {
        bar->View()->ValidatePositions();
        const RECT& r = bar->View()->Find(item)->BoundsRect;
        return bar->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    // Narrower than its toolbar (420), the first bar cuts buttons off behind its chevron.
    void SetFormWidth(int width) {
        form->SetBounds(form->Left(), form->Top(), width, form->Height());
        PumpFor(30);
    }
    // Clicks a toolbar item where a user would: the system's mouse input on its button.
    void ClickItem(TTBToolbar* bar, TTBCustomItem* item) { SystemClick(ItemCentre(bar, item)); }

    // Selects a folder in the tree, which runs the scan, and waits for the scan to end.
    bool ScanFolder(const std::wstring& folder) {
        if (!form->ShellTreeView1->SelectPath(folder)) return false;
        return PumpUntil([&] { return !form->Scanning(); }, 60000);
    }
    bool ScanFolder(const std::string& folder) { return ScanFolder(WideFromAnsi(folder)); }

    std::vector<std::string> Column(int subItem) {
        std::vector<std::string> values;
        for (int i = 0; i < form->ListView1->Count(); ++i) values.push_back(form->ListView1->SubItem(i, subItem));
        return values;
    }

    std::unique_ptr<TfrmMain> form;
    std::unique_ptr<TfrmVersion> version;
};

// Copies a generated test font into `dir` under `name`.
inline void CopyTestFont(const std::string& font, const std::string& dir, const std::string& name) {
    CopyFileA((TestFontDir() + "\\" + font).c_str(), (dir + "\\" + name).c_str(), FALSE);
}
// The same for names outside the code page and paths past MAX_PATH.
inline bool CopyTestFont(const std::string& font, const std::wstring& dir, const std::wstring& name) {
    return CopyFileW(WideFromAnsi(TestFontDir() + "\\" + font).c_str(), ExtendedLengthPath(dir + L"\\" + name).c_str(),
                     FALSE);
}
