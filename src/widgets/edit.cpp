#include "widgets/edit.h"

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
}

void TEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = "EDIT";
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | ES_AUTOHSCROLL;
    params.ExStyle = WS_EX_CLIENTEDGE;
}

void TEdit::AfterCreateWnd() {
    if (maxLength_ > 0) SendMessageA(HandleOrNull(), EM_LIMITTEXT, maxLength_, 0);
}

std::string TEdit::Text() const {
    HWND h = HandleOrNull();
    if (!h) return Caption();
    int length = GetWindowTextLengthA(h);
    std::string text(length + 1, '\0');
    text.resize(GetWindowTextA(h, text.data(), length + 1));
    return text;
}

void TEdit::SetText(const std::string& text) {
    SetCaption(text);
    if (HWND h = HandleOrNull()) SetWindowTextA(h, text.c_str());
}

void TEdit::SetMaxLength(int length) {
    if (length == maxLength_) return;
    maxLength_ = length;
    if (HWND h = HandleOrNull()) SendMessageA(h, EM_LIMITTEXT, length, 0);
}

bool TEdit::Command(WORD code, WORD) {
    if (code == EN_CHANGE && OnChange) OnChange(this);
    return false;
}
