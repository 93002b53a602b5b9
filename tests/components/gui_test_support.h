#pragma once
// Driving real windows in the test display: the pointer, the left button, keys through the
// message queue (so that the dialog manager sees them, as in the program), and reading back
// what a window shows.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "support/test_env.h"
#include "widgets/control.h"
#include "widgets/form.h"
#include "widgets/handles.h"

// One shown form that every test of the program places its controls on. Wine without a window
// manager takes 2 seconds to hide or destroy a captioned window, so it is made once and lives
// until the program ends; tests free what they put on it.
inline TForm& HostForm() {
    static TForm form(nullptr);
    if (!form.Visible()) {
        form.SetBounds(50, 50, 800, 400);
        form.Show();
    }
    return form;
}

// The client area of a window as it is on screen; At gives COLORREFs (0x00BBGGRR).
class Snapshot {
public:
    explicit Snapshot(HWND window) {
        RECT r{};
        GetClientRect(window, &r);
        width = r.right;
        height = r.bottom;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* pixels = nullptr;
        BitmapHandle dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
        WindowDC source(window);
        MemoryDC memory(source.get());
        {
            ScopedSelect select(memory.get(), dib.get());
            BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
            GdiFlush();
        }
        auto* p = static_cast<const uint32_t*>(pixels);
        bits_.assign(p, p + static_cast<size_t>(width) * height);
    }
    COLORREF At(int x, int y) const {
        uint32_t v = bits_.at(static_cast<size_t>(y) * width + x);
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    bool operator==(const Snapshot& other) const { return bits_ == other.bits_; }
    int width = 0, height = 0;

private:
    std::vector<uint32_t> bits_;
};

// What `control` shows once every pending paint has run.
inline Snapshot Shot(TWinControl& control) {
    PumpFor(20);
    UpdateWindow(control.Handle());
    return Snapshot(control.Handle());
}

inline void MovePointer(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    PumpFor(60);
}

inline void MovePointerOver(TControl& control, int x, int y) { MovePointer(control.ClientToScreen(POINT{x, y})); }

// Away from every test window: the bottom-right corner of the display.
inline void ParkPointer() { MovePointer(POINT{GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2}); }

inline void LeftButton(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof(input));
    PumpFor(60);
}

// Posts a key message to `window` and lets the message loop (and its dialog manager) handle it.
inline void PostKey(HWND window, UINT message, WPARAM key) {
    PostMessageA(window, message, key, 0);
    PumpFor(30);
}
