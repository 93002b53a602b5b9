#include "widgets/form.h"

#include <vector>

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    try {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

// Sends a system notice to every window inside `parent`. The list is taken first: a window's
// reaction may create or destroy others.
void TellDescendants(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::vector<HWND> windows;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows)
        if (IsWindow(window)) SendMessageA(window, msg, wParam, lParam);
}

}  // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner) {
    TControl::SetVisible(false);
    if (Application) Application->RegisterForm(this);
}

TForm::~TForm() {
    if (Application) Application->UnregisterForm(this);
}

void TForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU;
    if (borderStyle_ == bsSizeable) {
        params.Style |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        params.ExStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
    } else {
        params.Style |= DS_MODALFRAME;
        params.ExStyle = WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME;
    }
}

void TForm::AfterCreateWnd() {
    if (Application) {
        HICON icon = Application->Icon();
        if (borderStyle_ == bsSizeable) {
            SendMessageA(HandleOrNull(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
            SendMessageA(HandleOrNull(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        }
    }
}

void TForm::SetClientSize(int width, int height) {
    TCreateParams params;
    CreateParams(params);
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, params.Style, FALSE, params.ExStyle);
    SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TForm::CenterOnScreen() {
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + (work.right - work.left - Width()) / 2;
    int y = work.top + (work.bottom - work.top - Height()) / 2;
    SetBounds(std::max<int>(x, work.left), std::max<int>(y, work.top), Width(), Height());
}

void TForm::Show() {
    SetVisible(true);
    if (HWND h = Handle()) SetForegroundWindow(h);
}

void TForm::SetVisible(bool visible) {
    if (visible && !Visible() && position_ == poScreenCenter && !centred_) {
        centred_ = true;
        CenterOnScreen();
    }
    HandleNeeded();
    TWinControl::SetVisible(visible);
    if (HWND h = HandleOrNull()) {
        if (visible) {
            ShowWindow(h, SW_SHOW);
            UpdateWindow(h);
        }
    }
}

void TForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

bool TForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Close() {
    if (!CloseQuery()) return;
    bool isMain = Application && Application->MainForm() == this;
    TCloseAction action = isMain ? caFree : caHide;
    if (OnClose) OnClose(this, action);
    if (action == caNone) return;
    if (action == caMinimize) {
        ShowWindow(Handle(), SW_MINIMIZE);
        return;
    }
    Hide();
    if (isMain) Application->Terminate();
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_SHOWWINDOW:
        if (wParam) {
            if (OnShow) OnShow(this);
        } else if (OnHide) {
            OnHide(this);
        }
        break;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        // Only top-level windows hear of these; controls that derive colours, fonts or sizes
        // from the system's (docks, their skins and toolbars, wherever they sit) need them too.
        TellDescendants(HandleOrNull(), msg, wParam, lParam);
        break;
    case WM_SYSCOMMAND:
        // The close box asks like every other way of closing.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            Close();
            return 0;
        }
        if ((wParam & 0xFFF0) == SC_KEYMENU && OnKeyMenu) {
            bool handled = false;
            OnKeyMenu(this, static_cast<char>(lParam), handled);
            if (handled) return 0;
        }
        if (Application) {
            MSG command{HandleOrNull(), msg, wParam, lParam, 0, {}};
            if (Application->FilterSystemCommand(command)) return 0;
        }
        break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}
