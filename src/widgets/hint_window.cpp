#include "widgets/hint_window.h"

#include <algorithm>

namespace {

// Room below the pointer's hot spot for the arrow itself.
constexpr int kBelowPointer = 20;

RECT WorkAreaAt(POINT screen) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoA(MonitorFromPoint(screen, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

THintWindow::THintWindow(TComponent* owner) : TWinControl(owner) { SetVisible(false); }

void THintWindow::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    Invalidate();
}

void THintWindow::ActivateHint(POINT screen, const std::string& text) {
    SetText(text);
    const SIZE extent = ScreenTextExtent(Font(), text);
    const int width = extent.cx + 6, height = extent.cy + 4;
    const RECT area = WorkAreaAt(screen);
    int x = std::max<int>(area.left, std::min<int>(screen.x, area.right - width));
    int y = screen.y + kBelowPointer;
    if (y + height > area.bottom) y = screen.y - height;  // above the pointer near the bottom edge
    SetBounds(x, std::max<int>(area.top, y), width, height);
    HandleNeeded();
    SetVisible(true);
    Invalidate();
    Update();
}

LRESULT THintWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The pointer's window below keeps getting the mouse, so its hint is not left by accident.
    if (msg == WM_NCHITTEST) return HTTRANSPARENT;
    return TWinControl::WndProc(msg, wParam, lParam);
}

void THintWindow::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style = WS_POPUP | WS_CLIPSIBLINGS;
    params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
}

void THintWindow::PaintWindow(TCanvas& canvas) {
    TWinControl::PaintWindow(canvas);
    canvas.Brush().SetStyle(bsClear);
    canvas.TextOut(2, 2, text_);
}
