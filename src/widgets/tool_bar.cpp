#include "widgets/tool_bar.h"

#include <commctrl.h>

#include <algorithm>

namespace {
int NextCommandId() {
    static int next = 5000;
    return next++;
}
}  // namespace

TStockToolItem::TStockToolItem(TComponent* owner, TStockToolBar* toolbar, bool separator)
    : TComponent(owner), toolbar_(toolbar), separator_(separator), id_(NextCommandId()) {}

void TStockToolItem::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Apply();
}

void TStockToolItem::SetImageIndex(int index) {
    if (index == imageIndex_) return;
    imageIndex_ = index;
    Apply();
}

void TStockToolItem::SetChecked(bool value) {
    if (value == checked_) return;
    checked_ = value;
    Apply();
}

void TStockToolItem::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    Apply();
}

void TStockToolItem::Click() {
    if (!enabled_) return;
    if (AutoCheck) SetChecked(!checked_);
    if (OnClick) OnClick(this);
}

void TStockToolItem::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == toolbar_) toolbar_ = nullptr;
    TComponent::Notification(component, operation);
}

void TStockToolItem::Apply() {
    HWND h = toolbar_ ? toolbar_->HandleOrNull() : nullptr;
    if (!h || separator_) return;
    TBBUTTONINFOA info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_STATE | TBIF_IMAGE | TBIF_TEXT;
    info.fsState = static_cast<BYTE>((enabled_ ? TBSTATE_ENABLED : 0) | (checked_ ? TBSTATE_CHECKED : 0));
    info.iImage = imageIndex_;
    info.pszText = const_cast<char*>(caption_.c_str());
    SendMessageA(h, TB_SETBUTTONINFOA, id_, reinterpret_cast<LPARAM>(&info));
    SendMessageA(h, TB_AUTOSIZE, 0, 0);
    InvalidateRect(h, nullptr, TRUE);
}

TStockToolBar::TStockToolBar(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 200, 26);
    SetAlign(alTop);
}

void TStockToolBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = TOOLBARCLASSNAMEA;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NODIVIDER |
                   CCS_NOPARENTALIGN | CCS_NORESIZE;
    params.ExStyle = 0;
}

void TStockToolBar::AfterCreateWnd() {
    HWND h = HandleOrNull();
    SendMessageA(h, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (images_) SendMessageA(h, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->Handle()));
    for (size_t i = 0; i < items_.size(); ++i) InsertButton(items_[i], static_cast<int>(i));
}

void TStockToolBar::SetImages(TImageList* images) {
    images_ = images;
    if (HWND h = HandleOrNull()) SendMessageA(h, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

void TStockToolBar::InsertButton(TStockToolItem* item, int position) {
    HWND h = HandleOrNull();
    if (!h) return;
    TBBUTTON button{};
    button.idCommand = item->CommandId();
    if (item->IsSeparator()) {
        button.fsStyle = BTNS_SEP;
        button.iBitmap = 6;
    } else {
        button.iBitmap = item->ImageIndex();
        button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        button.fsState = static_cast<BYTE>((item->Enabled() ? TBSTATE_ENABLED : 0) | (item->Checked() ? TBSTATE_CHECKED : 0));
        button.iString = reinterpret_cast<INT_PTR>(item->Caption().c_str());
    }
    SendMessageA(h, TB_INSERTBUTTONA, position, reinterpret_cast<LPARAM>(&button));
    item->Apply();  // the text passed on insertion is not kept by every toolbar version
}

TStockToolItem* TStockToolBar::AddItem(const std::string& caption, int imageIndex) {
    auto* item = TComponent::Create<TStockToolItem>(Owner(), this, false);
    FreeNotification(item);
    item->SetCaption(caption);
    item->SetImageIndex(imageIndex);
    items_.push_back(item);
    InsertButton(item, static_cast<int>(items_.size()) - 1);
    return item;
}

TStockToolItem* TStockToolBar::AddSeparator() {
    auto* item = TComponent::Create<TStockToolItem>(Owner(), this, true);
    FreeNotification(item);
    items_.push_back(item);
    InsertButton(item, static_cast<int>(items_.size()) - 1);
    return item;
}

int TStockToolBar::PositionOf(const TStockToolItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

RECT TStockToolBar::ItemRect(const TStockToolItem* item) const {
    RECT r{};
    if (HWND h = HandleOrNull()) SendMessageA(h, TB_GETRECT, item->CommandId(), reinterpret_cast<LPARAM>(&r));
    return r;
}

bool TStockToolBar::Command(WORD, WORD id) {
    for (TStockToolItem* item : items_) {
        if (item->CommandId() == id) {
            item->Click();
            return true;
        }
    }
    return false;
}

void TStockToolBar::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove) items_.erase(std::remove(items_.begin(), items_.end(), component), items_.end());
    TWinControl::Notification(component, operation);
}

LRESULT TStockToolBar::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND) {
        // A flat toolbar leaves its background to the parent; paint it here instead.
        RECT r = ClientRect();
        FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}
