#pragma once
#include <windows.h>

#include <utility>

// Live-object counters of the wrappers below: tests read them to prove nothing leaks, because
// the platform's own resource counters (GetGuiResources) answer nothing under Wine.
struct HandleCounters {
    static long& GdiObjects() { static long n = 0; return n; }
    static long& DeviceContexts() { static long n = 0; return n; }
};

// Owns a GDI object (font, brush, pen, bitmap) and deletes it once.
template <class H>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H handle) : handle_(handle) { if (handle_) ++HandleCounters::GdiObjects(); }
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) { reset(); handle_ = std::exchange(other.handle_, nullptr); }
        return *this;
    }
    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset(H handle = nullptr) {
        if (handle_) { DeleteObject(handle_); --HandleCounters::GdiObjects(); }
        handle_ = handle;
        if (handle_) ++HandleCounters::GdiObjects();
    }

private:
    H handle_ = nullptr;
};

using FontHandle = GdiObject<HFONT>;
using BrushHandle = GdiObject<HBRUSH>;
using PenHandle = GdiObject<HPEN>;
using BitmapHandle = GdiObject<HBITMAP>;
using RegionHandle = GdiObject<HRGN>;

// A device context got from a window, released to that same window once.
class ReleasedDC {
public:
    ReleasedDC(HWND window, HDC dc) : window_(window), dc_(dc) { if (dc_) ++HandleCounters::DeviceContexts(); }
    ~ReleasedDC() { if (dc_) { ReleaseDC(window_, dc_); --HandleCounters::DeviceContexts(); } }
    ReleasedDC(const ReleasedDC&) = delete;
    ReleasedDC& operator=(const ReleasedDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A window's client-area device context.
class WindowDC : public ReleasedDC {
public:
    explicit WindowDC(HWND window) : ReleasedDC(window, GetDC(window)) {}
};

// The whole window's device context, frame included, from the cache.
class WindowAreaDC : public ReleasedDC {
public:
    explicit WindowAreaDC(HWND window) : ReleasedDC(window, GetDCEx(window, nullptr, DCX_WINDOW | DCX_CACHE)) {}
};

// A window's whole-window device context for painting its frame (WM_NCPAINT): clipped to the
// update region, which comes in screen coordinates (or as 1 for everything), and with the
// client area left out.
class WindowFrameDC : public ReleasedDC {
public:
    WindowFrameDC(HWND window, HRGN update) : ReleasedDC(window, GetWindowDC(window)) {
        if (!get()) return;
        RECT frame;
        GetWindowRect(window, &frame);
        if (update && update != reinterpret_cast<HRGN>(1)) {
            // A copy: the update region belongs to the system.
            RegionHandle clip(CreateRectRgn(0, 0, 0, 0));
            CombineRgn(clip.get(), update, nullptr, RGN_COPY);
            OffsetRgn(clip.get(), -frame.left, -frame.top);
            ExtSelectClipRgn(get(), clip.get(), RGN_AND);
        }
        RECT client;
        GetClientRect(window, &client);
        MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
        ExcludeClipRect(get(), client.left - frame.left, client.top - frame.top, client.right - frame.left,
                        client.bottom - frame.top);
    }
};

// A memory device context compatible with `reference` (the screen when null).
class MemoryDC {
public:
    explicit MemoryDC(HDC reference = nullptr) : dc_(CreateCompatibleDC(reference)) { if (dc_) ++HandleCounters::DeviceContexts(); }
    ~MemoryDC() { if (dc_) { DeleteDC(dc_); --HandleCounters::DeviceContexts(); } }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a DC for one scope and puts the previous one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect() { if (previous_) SelectObject(dc_, previous_); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// SaveDC/RestoreDC as a scope.
class ScopedSaveDC {
public:
    explicit ScopedSaveDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~ScopedSaveDC() { if (saved_) RestoreDC(dc_, saved_); }
    ScopedSaveDC(const ScopedSaveDC&) = delete;
    ScopedSaveDC& operator=(const ScopedSaveDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

// Closes a directory search.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() { if (valid()) FindClose(handle_); }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

private:
    HANDLE handle_;
};
