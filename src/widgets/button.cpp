#include "widgets/button.h"

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = "BUTTON";
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | BS_PUSHBUTTON;
    params.ExStyle = 0;
}

void TButton::AfterCreateWnd() {
    if (icon_) SendMessageA(HandleOrNull(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon_));
}

void TButton::SetIcon(HICON icon) {
    icon_ = icon;
    if (HWND h = HandleOrNull()) SendMessageA(h, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

bool TButton::Command(WORD code, WORD) {
    if (code == BN_CLICKED) Click();
    return true;
}
