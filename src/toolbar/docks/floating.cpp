// The floating parent: a small tool window with a caption and a close button that holds one
// floating dockable window.
#include <windowsx.h>

#include <cstdio>

#include "toolbar/base/capture_loop.h"
#include "toolbar/base/common.h"
#include "toolbar/docks/dock.h"

namespace {
}  // namespace

TTBFloatingWindowParent::TTBFloatingWindowParent(TComponent* owner, TTBCustomDockableWindow* window)
    : TWinControl(owner), window_(window) {
    TControl::SetVisible(false);
}

TTBFloatingWindowParent::~TTBFloatingWindowParent() = default;

void TTBFloatingWindowParent::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    char name[64];
    std::snprintf(name, sizeof(name), "NBFloatingWindowParent_%.8x",
                  static_cast<unsigned>(reinterpret_cast<UINT_PTR>(GetModuleHandleA(nullptr))));
    params.WinClassName = name;
    params.WindowClassStyle = CS_DBLCLKS;
    params.Style = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.ExStyle = WS_EX_TOOLWINDOW;
    // Owned by the form the window came from, so that it stays above that form.
    TTBDock* dock = window_->CurrentDock() ? window_->CurrentDock() : window_->LastDock();
    if (!dock) dock = window_->DefaultDock();
    if (dock && dock->HandleAllocated()) params.WndParent = GetAncestor(dock->HandleOrNull(), GA_ROOT);
}

int TTBFloatingWindowParent::CaptionHeight() const {
    return window_->ShowCaption() ? GetSystemMetrics(SM_CYSMCAPTION) : 0;
}

TTBFloatingFrame TTBFloatingWindowParent::Frame() const {
    TTBFloatingFrame frame;
    frame.Window = RECT{0, 0, Width(), Height()};
    SIZE border = window_->GetFloatingBorderSize();
    RECT inner = frame.Window;
    InflateRect(&inner, -border.cx, -border.cy);
    int caption = CaptionHeight();
    frame.Caption = RECT{inner.left, inner.top, inner.right, inner.top + caption};
    frame.Client = RECT{inner.left, inner.top + caption, inner.right, inner.bottom};
    if (caption > 0 && window_->CloseButton()) {
        frame.CloseButton = RECT{frame.Caption.right - caption, frame.Caption.top, frame.Caption.right, frame.Caption.bottom};
        InflateRect(&frame.CloseButton, -2, -2);
    }
    frame.CloseHot = closeHot_;
    frame.ClosePushed = closePushed_;
    return frame;
}

void TTBFloatingWindowParent::FitClient(SIZE clientSize) {
    SIZE border = window_->GetFloatingBorderSize();
    SetBounds(Left(), Top(), clientSize.cx + 2 * border.cx, clientSize.cy + 2 * border.cy + CaptionHeight());
}

void TTBFloatingWindowParent::ApplyFloatingMode() {
    HWND window = HandleOrNull();
    if (!window) return;
    bool topmost = window_->FloatingMode() == fmOnTopOfAllForms;
    if (!topmost) {
        HWND owner = GetWindow(window, GW_OWNER);
        topmost = owner && (GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_TOPMOST);
    }
    bool isTopmost = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (topmost == isTopmost) return;
    SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool TTBFloatingWindowParent::CalcNonClientSize(RECT& rect) {
    RECT window = rect;
    SIZE border = window_->GetFloatingBorderSize();
    rect.left = window.left + border.cx;
    rect.right = std::max(rect.left, window.right - border.cx);
    rect.top = window.top + border.cy + CaptionHeight();
    rect.bottom = std::max(rect.top, window.bottom - border.cy);
    return true;
}

bool TTBFloatingWindowParent::PaintNonClient(HRGN update) {
    WindowFrameDC dc(HandleOrNull(), update);
    if (dc) GuardedCall([&] { DockPainter().PaintFloatingFrame(*this, dc.get(), Frame()); });
    return true;
}

void TTBFloatingWindowParent::Redraw() {
    if (HandleAllocated()) RedrawWindow(HandleOrNull(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

bool TTBFloatingWindowParent::NonClientHitTest(POINT screenPoint, LRESULT& hit) {
    RECT window;
    GetWindowRect(HandleOrNull(), &window);
    POINT p{screenPoint.x - window.left, screenPoint.y - window.top};
    TTBFloatingFrame frame = Frame();
    if (PtInRect(&frame.Client, p)) hit = HTCLIENT;
    else if (PtInRect(&frame.CloseButton, p)) hit = HTTBCLOSEBUTTON;
    else if (LRESULT edge = ResizeEdgeAt(p); edge != HTNOWHERE) hit = edge;
    else if (PtInRect(&frame.Window, p)) hit = HTTBDRAGHANDLE;  // the caption (and a fixed border) move it
    else hit = HTNOWHERE;
    // Off the border: its next visit asks for the sizes again.
    if (hit == HTCLIENT || hit == HTTBCLOSEBUTTON) onBorder_ = false;
    return true;
}

void TTBFloatingWindowParent::RunCloseLoop() {
    HWND window = HandleOrNull();
    auto isOver = [&](POINT screen) {
        RECT r;
        GetWindowRect(window, &r);
        RECT button = Frame().CloseButton;
        POINT p{screen.x - r.left, screen.y - r.top};
        return !IsRectEmpty(&button) && PtInRect(&button, p);
    };
    inLoop_ = true;
    captureLost_ = false;
    const bool clicked = TrackCloseButtonPress(
        window, captureLost_, [window] { return !IsWindow(window); }, isOver, [this](bool pushed) {
            closePushed_ = pushed;
            Redraw();
        });
    if (!IsWindow(window)) return;
    inLoop_ = false;
    if (clicked) window_->Close();
}

namespace {
bool IsResizeEdge(WPARAM hit) { return hit == HTLEFT || hit == HTRIGHT || hit == HTTOP || hit == HTBOTTOM; }
}  // namespace

LRESULT TTBFloatingWindowParent::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == HandleOrNull() && IsResizeEdge(LOWORD(lParam))) {
            bool across = LOWORD(lParam) == HTLEFT || LOWORD(lParam) == HTRIGHT;
            ::SetCursor(LoadCursor(nullptr, across ? IDC_SIZEWE : IDC_SIZENS));
            return TRUE;
        }
        break;
    case WM_CAPTURECHANGED:
        // The close and resize loops wait for messages: wake them to see the capture gone.
        if (inLoop_ && reinterpret_cast<HWND>(lParam) != HandleOrNull()) {
            captureLost_ = true;
            PostMessageA(HandleOrNull(), WM_NULL, 0, 0);
        }
        break;
    case WM_NCLBUTTONDOWN:
        // The system's own sizing loop would size the frame freely: the loop here steps
        // through the window's sizes.
        if (IsResizeEdge(wParam)) {
            RunResizeLoop(static_cast<LRESULT>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        }
        if (wParam == static_cast<WPARAM>(HTTBDRAGHANDLE)) {
            window_->BeginDrag(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        }
        if (wParam == static_cast<WPARAM>(HTTBCLOSEBUTTON)) {
            RunCloseLoop();
            return 0;
        }
        break;
    case WM_NCLBUTTONDBLCLK:
        if (wParam == static_cast<WPARAM>(HTTBDRAGHANDLE)) {
            window_->DoubleClicked();
            return 0;
        }
        if (IsResizeEdge(wParam)) return 0;
        break;
    case WM_NCACTIVATE:
        Redraw();
        return TRUE;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;  // a palette: the form keeps the focus
    case WM_CLOSE:
        window_->Close();
        return 0;
    case WM_SETTINGCHANGE:
        // A top-level window: the system tells it, not the toolbar inside.
        if (window_ && window_->HandleAllocated()) SendMessageA(window_->HandleOrNull(), msg, wParam, lParam);
        break;
    case WM_PRINT:
        return PrintWindowParts(HandleOrNull(), reinterpret_cast<HDC>(wParam), lParam,
                                [this](HWND, HDC dc) { DockPainter().PaintFloatingFrame(*this, dc, Frame()); });
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}
