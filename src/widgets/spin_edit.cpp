#include "widgets/spin_edit.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

TSpinEdit::TSpinEdit(TComponent* owner) : TEdit(owner) {}

int TSpinEdit::Clamp(int value) const { return std::clamp(value, min_, std::max(min_, max_)); }

void TSpinEdit::CreateParams(TCreateParams& params) {
    TEdit::CreateParams(params);
    params.Style |= ES_NUMBER;
    if (!editorEnabled_) params.Style |= ES_READONLY;
}

void TSpinEdit::AfterCreateWnd() {
    TEdit::AfterCreateWnd();
    HWND edit = HandleOrNull();
    SetWindowTextA(edit, std::to_string(value_).c_str());
    upDown_ = CreateWindowExA(0, UPDOWN_CLASSA, "",
                              WS_CHILD | (Visible() ? WS_VISIBLE : 0) | UDS_SETBUDDYINT | UDS_ALIGNRIGHT |
                                  UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                              0, 0, 0, 0, GetParent(edit), nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(upDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    SendMessageA(upDown_, UDM_SETRANGE32, min_, max_);
    SendMessageA(upDown_, UDM_SETPOS32, 0, value_);
}

void TSpinEdit::DestroyWnd() {
    if (upDown_) {
        DestroyWindow(upDown_);
        upDown_ = nullptr;
    }
    TEdit::DestroyWnd();
}

void TSpinEdit::SetRange(int minValue, int maxValue) {
    min_ = minValue;
    max_ = maxValue;
    if (upDown_) SendMessageA(upDown_, UDM_SETRANGE32, min_, max_);
    SetValue(value_);
}

int TSpinEdit::Value() const {
    if (upDown_) {
        BOOL failed = FALSE;
        int v = static_cast<int>(SendMessageA(upDown_, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
        if (!failed) return Clamp(v);
        return Clamp(std::atoi(Text().c_str()));
    }
    return value_;
}

void TSpinEdit::SetValue(int value) {
    value_ = Clamp(value);
    if (upDown_) {
        SendMessageA(upDown_, UDM_SETPOS32, 0, value_);
        SetWindowTextA(HandleOrNull(), std::to_string(value_).c_str());
    }
}

HBRUSH TSpinEdit::CtlColor(HDC dc) {
    // A read-only edit is grey by default; the number box stays white like an editable one.
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(IsWindowEnabled(HandleOrNull()) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    return GetSysColorBrush(COLOR_WINDOW);
}

void TSpinEdit::VisibleChanged() {
    TEdit::VisibleChanged();
    if (upDown_) ShowWindow(upDown_, Visible() ? SW_SHOWNA : SW_HIDE);
}

void TSpinEdit::EnabledChanged() {
    TEdit::EnabledChanged();
    if (upDown_) EnableWindow(upDown_, Enabled());
}
