#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "support/test_env.h"
#include "widgets/form.h"
#include "widgets/panel.h"

namespace {

// A popup of a class of its own that records the creation messages it sees.
class RecordingPopup : public TWinControl {
public:
    RecordingPopup(TComponent* owner, HWND ownerWindow) : TWinControl(owner), ownerWindow_(ownerWindow) {}

    std::vector<UINT> creationMessages;
    HWND boundAtNcCreate = nullptr;

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_NCCREATE || msg == WM_NCCALCSIZE || msg == WM_CREATE) creationMessages.push_back(msg);
        if (msg == WM_NCCREATE) boundAtNcCreate = HandleOrNull();
        return TWinControl::WndProc(msg, wParam, lParam);
    }

protected:
    void CreateParams(TCreateParams& params) override {
        TWinControl::CreateParams(params);
        params.WinClassName = "SorvaneTestPopup";
        params.WindowClassStyle = CS_SAVEBITS | CS_DROPSHADOW;
        params.Style = WS_POPUP;
        params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
        params.WndParent = ownerWindow_;
    }

private:
    HWND ownerWindow_;
};

TEST(WindowClass, AnOwnClassPopupIsBoundFromNcCreateAndOwnedNotParented) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 150);
    form.Show();
    RecordingPopup popup(nullptr, form.Handle());
    popup.SetBounds(20, 20, 60, 40);
    HWND window = popup.Handle();
    ASSERT_NE(window, nullptr);

    std::vector<UINT> firstThree(popup.creationMessages.begin(),
                                 popup.creationMessages.begin() + std::min<size_t>(3, popup.creationMessages.size()));
    EXPECT_EQ(firstThree, (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}));
    EXPECT_EQ(popup.boundAtNcCreate, window);

    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    EXPECT_STREQ(cls, "SorvaneTestPopup");
    DWORD classStyle = GetClassLongA(window, GCL_STYLE);
    EXPECT_EQ(classStyle & (CS_SAVEBITS | CS_DROPSHADOW), DWORD(CS_SAVEBITS | CS_DROPSHADOW));
    EXPECT_EQ(classStyle & (CS_HREDRAW | CS_VREDRAW), 0u);
    EXPECT_EQ(GetWindow(window, GW_OWNER), form.Handle());
    EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(TWinControl::FromHandle(window), &popup);
}

}  // namespace
