#include "toolbar/base/capture_loop.h"

bool RunCaptureLoop(HWND window, const bool& captureLost, const std::function<bool()>& gone,
                    const std::function<bool(const MSG& msg)>& handle) {
    for (;;) {
        if (captureLost || GetCapture() != window) return false;
        MSG msg;
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        const bool done = handle(msg);
        if (gone()) return false;
        if (done) return true;
    }
}

bool SwallowedWhileHeld(UINT message) {
    switch (message) {
    case WM_KEYDOWN: case WM_KEYUP: case WM_CHAR: case WM_SYSKEYDOWN: case WM_SYSKEYUP: case WM_SYSCHAR:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

bool TrackCloseButtonPress(HWND window, const bool& captureLost, const std::function<bool()>& gone,
                           const std::function<bool(POINT screen)>& over, const std::function<void(bool pushed)>& show) {
    bool pushed = true, clicked = false;
    show(true);
    SetCapture(window);
    RunCaptureLoop(window, captureLost, gone, [&](const MSG& msg) {
        switch (msg.message) {
        case WM_MOUSEMOVE:
            if (over(msg.pt) != pushed) show(pushed = !pushed);
            return false;
        case WM_LBUTTONUP:
            clicked = over(msg.pt);
            return true;
        default:
            if (!SwallowedWhileHeld(msg.message)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            return false;
        }
    });
    if (gone()) return false;
    if (GetCapture() == window) ReleaseCapture();
    show(false);
    return clicked;
}
