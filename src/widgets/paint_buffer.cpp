#include "widgets/paint_buffer.h"

#include <algorithm>

struct TBufferedPaint::Surface {
    MemoryDC dc;
    BitmapHandle bitmap;
    SIZE size{0, 0};
    bool inUse = false;

    void EnsureSize(SIZE wanted) {
        if (bitmap && wanted.cx <= size.cx && wanted.cy <= size.cy) return;
        size = SIZE{std::max(wanted.cx, size.cx), std::max(wanted.cy, size.cy)};
        WindowDC screen(nullptr);
        bitmap.reset(CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
    }
};

namespace {
std::unique_ptr<TBufferedPaint::Surface>& SharedSurface() {
    static std::unique_ptr<TBufferedPaint::Surface> surface;
    return surface;
}
}  // namespace

TBufferedPaint::TBufferedPaint(HDC target, const RECT& area) : target_(target), area_(area) {
    auto& shared = SharedSurface();
    if (!shared) shared = std::make_unique<Surface>();
    if (shared->inUse) {
        owned_ = std::make_unique<Surface>();
        surface_ = owned_.get();
    } else {
        surface_ = shared.get();
    }
    surface_->inUse = true;
    surface_->EnsureSize(SIZE{area.right - area.left, area.bottom - area.top});
    dc_ = surface_->dc.get();
    previousBitmap_ = SelectObject(dc_, surface_->bitmap.get());
    saved_ = SaveDC(dc_);
    // The painting code draws in window coordinates; the bitmap holds only the area.
    SetViewportOrgEx(dc_, -area.left, -area.top, nullptr);
    IntersectClipRect(dc_, area.left, area.top, area.right, area.bottom);
}

TBufferedPaint::~TBufferedPaint() {
    RestoreDC(dc_, saved_);
    BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, dc_, 0, 0, SRCCOPY);
    SelectObject(dc_, previousBitmap_);
    surface_->inUse = false;
}

void ReleasePaintBuffer() {
    auto& shared = SharedSurface();
    if (shared && !shared->inUse) shared.reset();
}
