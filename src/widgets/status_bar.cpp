#include "widgets/status_bar.h"

#include <commctrl.h>

#include "widgets/handles.h"

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

void TStatusBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = STATUSCLASSNAMEA;
    // The layout places the bar; it must not move itself to the parent's bottom edge.
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | SBARS_SIZEGRIP;
    params.ExStyle = 0;
}

void TStatusBar::AfterCreateWnd() { ApplyParts(); }

void TStatusBar::ApplyParts() {
    HWND h = HandleOrNull();
    if (!h) return;
    std::vector<int> edges;
    int x = 0;
    for (int w : widths_) edges.push_back(x += w);
    if (!edges.empty()) edges.back() = -1;  // the last panel takes the rest
    SendMessageA(h, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (int i = 0; i < PanelCount(); ++i) ApplyPanelText(i);
}

void TStatusBar::AddPanel(int width) {
    widths_.push_back(width);
    texts_.emplace_back();
    ApplyParts();
}

void TStatusBar::SetPanelWidth(int index, int width) {
    if (widths_.at(index) == width) return;
    widths_.at(index) = width;
    ApplyParts();
}

int TStatusBar::PanelWidthFor(const std::string& text) const {
    HWND h = HandleOrNull();
    // The font the bar draws with; a bar given none draws with the system's.
    HFONT font = h ? reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)) : nullptr;
    WindowDC dc(h);
    ScopedSelect selected(dc.get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    // Borders: [0] the space left and right of a panel's rectangle, [2] between two panels.
    int borders[3] = {};
    if (h) SendMessageA(h, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    // Inside the rectangle the sunken edge and the text's own padding, on both sides.
    return extent.cx + 2 * (borders[0] + GetSystemMetrics(SM_CXEDGE) + kTextPadding) + borders[2];
}

std::string TStatusBar::PanelText(int index) const { return texts_.at(index); }

void TStatusBar::SetPanelText(int index, const std::string& text) {
    texts_.at(index) = text;
    if (!Updating()) ApplyPanelText(index);
}

void TStatusBar::ApplyPanelText(int index) {
    if (HWND h = HandleOrNull()) SendMessageA(h, SB_SETTEXTA, index, reinterpret_cast<LPARAM>(texts_.at(index).c_str()));
}

void TStatusBar::UpdatesReleased() {
    for (int i = 0; i < PanelCount(); ++i) ApplyPanelText(i);
}

RECT TStatusBar::PanelRect(int index) const {
    RECT r{};
    if (HWND h = HandleOrNull()) SendMessageA(h, SB_GETRECT, index, reinterpret_cast<LPARAM>(&r));
    return r;
}
