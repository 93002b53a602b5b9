#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

#include "toolbar/base/common.h"
#include "widgets/handles.h"

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& out, const RECT& r) {
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

// Every test of the services starts from the system's own answers and leaves them so.
class ServicesTest : public testing::Test {
protected:
    void SetUp() override { ResetSystemSeams(); }
    void TearDown() override { ResetSystemSeams(); }
};

// A top-level window whose messages a test may take through OnMessage (true: handled).
class ProbeWindow {
public:
    using Handler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam)>;

    explicit ProbeWindow(RECT r, DWORD style = WS_POPUP) {
        static const ATOM registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "SorvaneProbeWindow";
            return RegisterClassA(&wc);
        }();
        (void)registered;
        handle_ = CreateWindowExA(0, "SorvaneProbeWindow", "", style, r.left, r.top, r.right - r.left,
                                  r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    }
    ~ProbeWindow() { if (IsWindow(handle_)) DestroyWindow(handle_); }
    ProbeWindow(const ProbeWindow&) = delete;
    ProbeWindow& operator=(const ProbeWindow&) = delete;
    HWND get() const { return handle_; }
    Handler OnMessage;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<ProbeWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        try {
            if (self && self->OnMessage && self->OnMessage(msg, wParam, lParam)) return 0;
        } catch (...) {
            ADD_FAILURE() << "a probe window handler threw";
        }
        return DefWindowProcA(window, msg, wParam, lParam);
    }
    HWND handle_ = nullptr;
};

// A white 32-bit surface in a memory device context, read back directly.
class Surface {
public:
    Surface(int width, int height) : size_(width * height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
        previous_ = SelectObject(dc_.get(), bitmap_.get());
        std::fill(bits_, bits_ + size_, 0xFFFFFF);
    }
    ~Surface() { SelectObject(dc_.get(), previous_); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    HDC dc() const { return dc_.get(); }
    std::vector<DWORD> Pixels() const {
        GdiFlush();
        std::vector<DWORD> pixels(bits_, bits_ + size_);
        for (DWORD& p : pixels) p &= 0xFFFFFF;
        return pixels;
    }

private:
    int size_;
    MemoryDC dc_;
    BitmapHandle bitmap_;
    DWORD* bits_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};
