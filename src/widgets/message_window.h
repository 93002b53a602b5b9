#pragma once
#include <windows.h>

#include <functional>
#include <memory>

// A hidden message-only window whose messages go to a handler. The handler answers true when
// it took the message (and sets `result`); everything else reaches DefWindowProcA.
class TMessageWindow {
public:
    using THandler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

    explicit TMessageWindow(THandler handler);
    ~TMessageWindow();
    TMessageWindow(const TMessageWindow&) = delete;
    TMessageWindow& operator=(const TMessageWindow&) = delete;

    HWND Handle() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    // Shared with the window procedure, so the handler may free this object while it runs.
    std::shared_ptr<THandler> handler_;
    HWND window_ = nullptr;
};
