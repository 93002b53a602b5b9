#include "widgets/status_bar.h"

#include <commctrl.h>

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
