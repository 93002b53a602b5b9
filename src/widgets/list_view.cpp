#include "widgets/list_view.h"

#include "widgets/wide_text.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include <commctrl.h>

TListView::TListView(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 250, 150);
    SetTabStop(true);
    SetColor(clWindow);
}

void TListView::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = WC_LISTVIEWA;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_SHAREIMAGELISTS;
    params.ExStyle = WS_EX_CLIENTEDGE;
}

void TListView::AfterCreateWnd() {
    HWND h = HandleOrNull();
    DWORD ex = LVS_EX_FULLROWSELECT | (gridLines_ ? LVS_EX_GRIDLINES : 0);
    SendMessageA(h, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    for (size_t i = 0; i < columns_.size(); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(columns_[i].caption.c_str());
        column.cx = columns_[i].width;
        SendMessageA(h, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    if (smallImages_) SendMessageA(h, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_->Handle()));
}

void TListView::AddColumn(const std::string& caption, int width) {
    columns_.push_back({caption, width});
    if (HWND h = HandleOrNull()) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(caption.c_str());
        column.cx = width;
        SendMessageA(h, LVM_INSERTCOLUMNA, columns_.size() - 1, reinterpret_cast<LPARAM>(&column));
    }
}

void TListView::SetSmallImages(TImageList* images) {
    smallImages_ = images;
    if (HWND h = HandleOrNull()) {
        SendMessageA(h, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
    }
}

int TListView::Count() const {
    HWND h = HandleOrNull();
    return h ? static_cast<int>(SendMessageA(h, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int TListView::AddItem(const std::string& caption, int image) {
    HWND h = Handle();
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = Count();
    item.pszText = const_cast<char*>(caption.c_str());
    item.iImage = image;
    int index = static_cast<int>(SendMessageA(h, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index >= 0) {
        RowsChangedFrom(index);
        if (static_cast<size_t>(index) >= subItemCounts_.size()) subItemCounts_.resize(index + 1, 0);
        subItemCounts_[index] = 0;
    }
    return index;
}

int TListView::NextSubItem(int item) {
    if (item < 0 || item >= Count() || static_cast<size_t>(item) >= subItemCounts_.size()) return 0;
    return ++subItemCounts_[item];
}

// The list keeps its texts in UTF-16 whichever message set them, so a window made with the
// ANSI class still takes and shows these exactly.
void TListView::AddSubItem(int item, const std::wstring& text) {
    LVITEMW sub{};
    sub.mask = LVIF_TEXT;
    sub.iItem = item;
    if (!(sub.iSubItem = NextSubItem(item))) return;
    sub.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(HandleOrNull(), LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&sub));
    RowsChangedFrom(item);
}

void TListView::AddSubItem(int item, const std::string& text) { AddSubItem(item, WideFromAnsi(text)); }

std::string TListView::SubItem(int item, int index) const {
    char buffer[1024] = {};
    LVITEMA sub{};
    sub.iSubItem = index + 1;
    sub.pszText = buffer;
    sub.cchTextMax = sizeof(buffer);
    if (HWND h = HandleOrNull()) SendMessageA(h, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&sub));
    return buffer;
}

std::wstring TListView::WideSubItem(int item, int index) const {
    wchar_t buffer[1024] = {};
    LVITEMW sub{};
    sub.iSubItem = index + 1;
    sub.pszText = buffer;
    sub.cchTextMax = static_cast<int>(std::size(buffer));
    if (HWND h = HandleOrNull()) SendMessageW(h, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&sub));
    return buffer;
}

void TListView::SetImageIndex(int item, int image) {
    LVITEMA row{};
    row.mask = LVIF_IMAGE;
    row.iItem = item;
    row.iImage = image;
    if (HWND h = HandleOrNull()) SendMessageA(h, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&row));
    RowsChangedFrom(item);
}

int TListView::ImageIndex(int item) const {
    LVITEMA row{};
    row.mask = LVIF_IMAGE;
    row.iItem = item;
    if (HWND h = HandleOrNull()) SendMessageA(h, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row));
    return row.iImage;
}

void TListView::Clear() {
    if (HWND h = HandleOrNull()) SendMessageA(h, LVM_DELETEALLITEMS, 0, 0);
    subItemCounts_.clear();
    RowsChangedFrom(0);
}

void TListView::RowsChangedFrom(int item) {
    if (Updating() && (firstChangedRow_ < 0 || item < firstChangedRow_)) firstChangedRow_ = item;
}

void TListView::UpdatesReleased() {
    const int first = std::exchange(firstChangedRow_, -1);
    HWND h = HandleOrNull();
    if (!h) return;
    // The list updates its scroll bars here and asks to repaint all of itself.
    SendMessageA(h, WM_SETREDRAW, TRUE, 0);
    ValidateRect(h, nullptr);
    if (first < 0) return;
    RECT client, row{};
    row.left = LVIR_BOUNDS;  // which part of the row LVM_GETITEMRECT measures
    GetClientRect(h, &client);
    if (first < Count() && SendMessageA(h, LVM_GETITEMRECT, first, reinterpret_cast<LPARAM>(&row))) client.top = std::max(client.top, row.top);
    InvalidateRect(h, &client, TRUE);
}

int TListView::ItemIndex() const {
    HWND h = HandleOrNull();
    return h ? static_cast<int>(SendMessageA(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) : -1;
}

void TListView::SetItemIndex(int item) {
    HWND h = HandleOrNull();
    if (!h) return;
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = 0;
    SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    if (item >= 0) {
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(h, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
    }
}

void TListView::RedrawItem(int item) {
    if (HWND h = HandleOrNull()) SendMessageA(h, LVM_REDRAWITEMS, item, item);
}

void TListView::MakeVisible(int item) {
    if (HWND h = HandleOrNull()) SendMessageA(h, LVM_ENSUREVISIBLE, item, FALSE);
}

bool TListView::Notify(NMHDR& header, LRESULT& result) {
    if (header.code == LVN_GETDISPINFOA || header.code == LVN_GETDISPINFOW) {
        // The two forms differ only in the text's type, which is not asked for here.
        auto& info = reinterpret_cast<NMLVDISPINFOA&>(header);
        if ((info.item.mask & LVIF_IMAGE) && OnGetImageIndex) info.item.iImage = OnGetImageIndex(info.item.iItem);
        return true;
    }
    if (header.code == LVN_DELETEALLITEMS) {
        // Nothing here needs a notice per row; without this answer a clear sends one for each.
        result = TRUE;
        return true;
    }
    if (header.code != LVN_ITEMCHANGED) return false;
    auto& change = reinterpret_cast<NMLISTVIEW&>(header);
    if (!(change.uChanged & LVIF_STATE)) return false;
    bool was = change.uOldState & LVIS_SELECTED, now = change.uNewState & LVIS_SELECTED;
    if (was != now && OnSelectItem) OnSelectItem(this, change.iItem, now);
    return false;
}
