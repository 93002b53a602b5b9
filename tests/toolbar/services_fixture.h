#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "toolbar/tb_common.h"
#include "widgets/handles.h"

// Every test of the services starts from the system's own answers and leaves them so.
class ServicesTest : public testing::Test {
protected:
    void SetUp() override { ResetSystemSeams(); }
    void TearDown() override { ResetSystemSeams(); }

    static void SetVersion(DWORD platform, DWORD major, DWORD minor) {
        SystemSeams().Version = [=] { return TSystemVersion{platform, major, minor}; };
    }
};

// A plain top-level window whose messages a test handles through `OnMessage`; the window
// procedure answers everything else with the default.
class ProbeWindow {
public:
    using Handler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

    explicit ProbeWindow(RECT bounds, DWORD style = WS_POPUP, HWND parent = nullptr) {
        static ATOM atom = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.lpszClassName = "SorvaneProbeWindow";
            return RegisterClassA(&wc);
        }();
        (void)atom;
        handle_ = CreateWindowExA(0, "SorvaneProbeWindow", "", style, bounds.left, bounds.top,
                                  bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                                  GetModuleHandleA(nullptr), this);
    }
    ~ProbeWindow() {
        if (IsWindow(handle_)) DestroyWindow(handle_);
    }
    ProbeWindow(const ProbeWindow&) = delete;
    ProbeWindow& operator=(const ProbeWindow&) = delete;

    HWND get() const { return handle_; }
    Handler OnMessage;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            auto* self = static_cast<ProbeWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<ProbeWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        LRESULT result = 0;
        try {
            if (self && self->OnMessage && self->OnMessage(msg, wParam, lParam, result)) return result;
        } catch (...) {
            ADD_FAILURE() << "a probe window handler threw";
        }
        if (msg == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return DefWindowProcA(window, msg, wParam, lParam);
    }

    HWND handle_ = nullptr;
};

// A white 24-bit surface in a memory device context, read back pixel by pixel.
class Surface {
public:
    Surface(int width, int height) : width_(width), height_(height), dc_(nullptr) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
        previous_ = SelectObject(dc_.get(), bitmap_.get());
        Fill(RGB(255, 255, 255));
    }
    ~Surface() { SelectObject(dc_.get(), previous_); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC dc() const { return dc_.get(); }
    void Fill(COLORREF color) {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = Bgr(color);
    }
    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        DWORD v = bits_[y * width_ + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    std::vector<DWORD> Pixels() const {
        GdiFlush();
        std::vector<DWORD> pixels(bits_, bits_ + width_ * height_);
        for (DWORD& p : pixels) p &= 0xFFFFFF;
        return pixels;
    }
    // The smallest rectangle holding every pixel that is not `background`; empty when none.
    RECT InkBox(COLORREF background) const {
        RECT box{width_, height_, 0, 0};
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (Pixel(x, y) != background) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }

private:
    static DWORD Bgr(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
    int width_, height_;
    MemoryDC dc_;
    BitmapHandle bitmap_;
    DWORD* bits_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};
