#include "widgets/message_window.h"

#include "widgets/application.h"
#include "widgets/exception.h"

namespace {
const char kMessageWindowClass[] = "SorvaneMessageWindow";

void RegisterMessageWindowClass(WNDPROC proc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kMessageWindowClass;
    registered = RegisterClassA(&wc) != 0;
}
}  // namespace

TMessageWindow::TMessageWindow(THandler handler) : handler_(std::make_shared<THandler>(std::move(handler))) {
    RegisterMessageWindowClass(WindowProc);
    window_ = CreateWindowExA(0, kMessageWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (!window_) throw Exception("Cannot create a message window");
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TMessageWindow::~TMessageWindow() {
    // Detach first: DestroyWindow sends messages that must not reach a half-destroyed object.
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

LRESULT CALLBACK TMessageWindow::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TMessageWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && *self->handler_) {
        std::shared_ptr<THandler> handler = self->handler_;  // outlives `self` if the handler frees it
        LRESULT result = 0;
        bool handled = false;
        GuardedCall([&] { handled = (*handler)(msg, wParam, lParam, result); });
        if (handled) return result;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}
