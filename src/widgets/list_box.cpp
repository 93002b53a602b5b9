#include "widgets/list_box.h"

TListBox::TListBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
}

void TListBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = "LISTBOX";
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
    if (style_ == lbOwnerDrawFixed) params.Style |= LBS_OWNERDRAWFIXED;
    params.ExStyle = WS_EX_CLIENTEDGE;
}

void TListBox::AfterCreateWnd() {
    if (style_ == lbOwnerDrawFixed) SendMessageA(HandleOrNull(), LB_SETITEMHEIGHT, 0, itemHeight_);
}

void TListBox::SetItemHeight(int height) {
    if (height == itemHeight_) return;
    itemHeight_ = height;
    if (HWND h = HandleOrNull(); h && style_ == lbOwnerDrawFixed) {
        SendMessageA(h, LB_SETITEMHEIGHT, 0, height);
        Invalidate();
    }
}

int TListBox::Count() const {
    HWND h = HandleOrNull();
    return h ? static_cast<int>(SendMessageA(h, LB_GETCOUNT, 0, 0)) : 0;
}

std::string TListBox::Items(int index) const {
    HWND h = HandleOrNull();
    if (!h || index < 0 || index >= Count()) return std::string();
    LRESULT length = SendMessageA(h, LB_GETTEXTLEN, index, 0);
    if (length <= 0) return std::string();
    std::string text(length + 1, '\0');
    text.resize(SendMessageA(h, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data())));
    return text;
}

int TListBox::AddItem(const std::string& text) {
    return static_cast<int>(SendMessageA(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

void TListBox::ClearItems() {
    if (HWND h = HandleOrNull()) SendMessageA(h, LB_RESETCONTENT, 0, 0);
}

int TListBox::ItemIndex() const {
    HWND h = HandleOrNull();
    return h ? static_cast<int>(SendMessageA(h, LB_GETCURSEL, 0, 0)) : -1;
}

void TListBox::SetItemIndex(int index) {
    if (HWND h = HandleOrNull()) SendMessageA(h, LB_SETCURSEL, index, 0);
}

bool TListBox::Command(WORD code, WORD) {
    if (code == LBN_SELCHANGE) Click();
    return false;
}

bool TListBox::DrawItem(DRAWITEMSTRUCT& item) {
    if (static_cast<int>(item.itemID) < 0) return true;
    TCanvas canvas(item.hDC);
    canvas.Font() = Font();
    DrawItem(static_cast<int>(item.itemID), item.rcItem, item.itemState, canvas);
    return true;
}

void TListBox::DrawItem(int index, const RECT& rect, TOwnerDrawState state, TCanvas& canvas) {
    bool selected = state & ODS_SELECTED;
    canvas.Brush().SetColor(selected ? clHighlight : Color());
    canvas.FillRect(rect);
    canvas.Font().SetColor(selected ? clHighlightText : clWindowText);
    canvas.Brush().SetStyle(bsClear);
    RECT r = rect;
    r.left += 2;
    canvas.DrawText(Items(index), r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (state & ODS_FOCUS) canvas.DrawFocusRect(rect);
}
