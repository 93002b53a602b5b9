#include "widgets/list_view.h"

#include "widgets/path_text.h"
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
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_SHAREIMAGELISTS |
                   LVS_OWNERDATA;
    params.ExStyle = WS_EX_CLIENTEDGE;
}

void TListView::AfterCreateWnd() {
    HWND h = HandleOrNull();
    DWORD ex = LVS_EX_FULLROWSELECT | (gridLines_ ? LVS_EX_GRIDLINES : 0);
    SendMessageA(h, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    // The texts go to the window in UTF-16, so that names outside the code page show exactly.
    SendMessageA(h, CCM_SETUNICODEFORMAT, TRUE, 0);
    for (size_t i = 0; i < columns_.size(); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(columns_[i].caption.c_str());
        column.cx = columns_[i].width;
        SendMessageA(h, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    if (smallImages_) SendMessageA(h, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_->Handle()));
    shownCount_ = -1;  // a new window knows of no row
    ShowRowCount();
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

int TListView::Count() const { return static_cast<int>(rows_.size()); }

int TListView::AddItem(const std::string& caption, int image) {
    const int index = Count();
    rows_.push_back(Row{image, {WideFromAnsi(caption)}});
    RowsChangedFrom(index);
    ShowRowCount();
    return index;
}

void TListView::ShowRowCount() {
    if (!Updating()) SendRowCount();
}

void TListView::SendRowCount() {
    HWND h = HandleOrNull();
    if (!h || shownCount_ == Count()) return;
    // Only the rows from the first new one down are painted, and the view stays where it is.
    SendMessageA(h, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    shownCount_ = Count();
}

void TListView::AddSubItem(int item, const std::wstring& text) {
    if (item < 0 || item >= Count()) return;
    rows_[item].texts.push_back(text);
    RowsChangedFrom(item);
    if (!Updating()) RedrawItem(item);
}

void TListView::AddSubItem(int item, const std::string& text) { AddSubItem(item, WideFromAnsi(text)); }

std::string TListView::SubItem(int item, int index) const { return AnsiFromWide(WideSubItem(item, index)); }

std::wstring TListView::WideSubItem(int item, int index) const {
    if (item < 0 || item >= Count() || index < 0) return std::wstring();
    const std::vector<std::wstring>& texts = rows_[item].texts;
    return static_cast<size_t>(index) + 1 < texts.size() ? texts[index + 1] : std::wstring();
}

void TListView::SetImageIndex(int item, int image) {
    if (item < 0 || item >= Count()) return;
    rows_[item].image = image;
    RowsChangedFrom(item);
    if (!Updating()) RedrawItem(item);
}

int TListView::ImageIndex(int item) const { return item >= 0 && item < Count() ? ShownImage(item) : I_IMAGENONE; }

int TListView::ShownImage(int item) const {
    const int image = rows_[item].image;
    return image == I_IMAGECALLBACK && OnGetImageIndex ? OnGetImageIndex(item) : image;
}

void TListView::Clear() {
    rows_.clear();
    if (HWND h = HandleOrNull()) SendMessageA(h, LVM_DELETEALLITEMS, 0, 0);
    shownCount_ = 0;
    RowsChangedFrom(0);
}

void TListView::RowsChangedFrom(int item) {
    if (Updating() && (firstChangedRow_ < 0 || item < firstChangedRow_)) firstChangedRow_ = item;
}

// The rows wait here while updates are held; the window keeps painting what it knows. Turning
// its redrawing off and on cost a scan ten milliseconds at every showing under Wine.
void TListView::UpdatesHeld() {}

void TListView::UpdatesReleased() {
    const int first = std::exchange(firstChangedRow_, -1);
    HWND h = HandleOrNull();
    if (!h) return;
    const int known = shownCount_;
    ShowRowCount();  // paints the new rows that are in view, and the scroll bars
    if (first < 0 || first >= known) return;
    RECT client, row{};
    row.left = LVIR_BOUNDS;  // which part of the row LVM_GETITEMRECT measures
    GetClientRect(h, &client);
    if (SendMessageA(h, LVM_GETITEMRECT, first, reinterpret_cast<LPARAM>(&row))) client.top = std::max(client.top, row.top);
    if (client.top < client.bottom) InvalidateRect(h, &client, TRUE);
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
    HWND h = HandleOrNull();
    if (!h) return;
    // A row added while updates are held is not in the window yet.
    if (item >= shownCount_) SendRowCount();
    SendMessageA(h, LVM_ENSUREVISIBLE, item, FALSE);
}

// The two forms of the notice differ only in the text's type.
void TListView::FillDisplayInfo(NMLVDISPINFOW& info, bool wide) const {
    LVITEMW& item = info.item;
    if (item.iItem < 0 || item.iItem >= Count()) return;
    const Row& row = rows_[item.iItem];
    if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) item.iImage = ShownImage(item.iItem);
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    static const std::wstring kNone;
    const std::wstring& text =
        item.iSubItem >= 0 && static_cast<size_t>(item.iSubItem) < row.texts.size() ? row.texts[item.iSubItem] : kNone;
    if (wide) {
        const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(text.data(), length, item.pszText);
        item.pszText[length] = L'\0';
        return;
    }
    const std::string ansi = TruncateToBytes(AnsiFromWide(text), static_cast<size_t>(item.cchTextMax - 1));
    auto* out = reinterpret_cast<char*>(item.pszText);
    std::copy_n(ansi.data(), ansi.size(), out);
    out[ansi.size()] = '\0';
}

// Typing in the list looks for a row by its caption, from the row after the focused one and
// round to the start.
int TListView::FindCaption(const NMLVFINDITEMW& find, bool wide) const {
    const LVFINDINFOW& info = find.lvfi;
    if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || !info.psz || rows_.empty()) return -1;
    const std::wstring wanted = wide ? std::wstring(info.psz) : WideFromAnsi(reinterpret_cast<const char*>(info.psz));
    const bool partial = info.flags & LVFI_PARTIAL;
    const int count = Count();
    const int start = std::clamp(find.iStart, 0, count);
    for (int i = 0; i < count; ++i) {
        const int at = (start + i) % count;
        const std::wstring& caption = rows_[at].texts.front();
        if (partial && caption.size() < wanted.size()) continue;
        const size_t compared = partial ? wanted.size() : caption.size();
        if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, caption.data(), static_cast<int>(compared),
                           wanted.data(), static_cast<int>(wanted.size())) == CSTR_EQUAL)
            return at;
    }
    return -1;
}

bool TListView::Notify(NMHDR& header, LRESULT& result) {
    if (header.code == LVN_GETDISPINFOA || header.code == LVN_GETDISPINFOW) {
        FillDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header), header.code == LVN_GETDISPINFOW);
        return true;
    }
    if (header.code == LVN_ODFINDITEMA || header.code == LVN_ODFINDITEMW) {
        result = FindCaption(reinterpret_cast<NMLVFINDITEMW&>(header), header.code == LVN_ODFINDITEMW);
        return true;
    }
    if (header.code == LVN_ODCACHEHINT) return true;
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
