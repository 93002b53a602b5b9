// Painting: the client area on any device context, buffered or not, windowless children included.
#include "widgets/control.h"

#include "widgets/paint_buffer.h"

void TControl::Paint(TCanvas&) {}

void TWinControl::PaintWindow(TCanvas& canvas) {
    if (ownClass_) {
        RECT r = ClientRect();
        canvas.Brush().SetColor(Color());
        canvas.Brush().SetStyle(bsSolid);
        canvas.FillRect(r);
    }
}

namespace {
// BeginPaint/EndPaint as a scope, so that an error while painting still ends the paint.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &ps_); }
    ~PaintScope() { EndPaint(window_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }
    const RECT& Dirty() const { return ps_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// SaveDC/RestoreDC as a scope.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDC() { RestoreDC(dc_, saved_); }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC dc_;
    int saved_;
};
}  // namespace

void TWinControl::PaintHandler() {
    PaintScope paint(handle_);
    const RECT& dirty = paint.Dirty();
    if (!doubleBuffered_ || IsRectEmpty(&dirty)) {
        PaintTo(paint.dc(), dirty);
        return;
    }
    TBufferedPaint buffer(paint.dc(), dirty);
    PaintTo(buffer.dc(), dirty);
}

void TWinControl::PaintClient(HDC dc) { PaintTo(dc, ClientRect()); }

void TWinControl::PaintTo(HDC dc, const RECT& dirty) {
    GuardedCall([&] {
        TCanvas canvas(dc);
        canvas.Font() = Font();
        PaintWindow(canvas);
    });
    // Windowless children, in creation order, each on its own origin and clip. The origin is
    // moved, not set: a buffer or a printing parent may have moved it already.
    for (TControl* c : controls_) {
        if (!c->Visible() || c->IsWindowed()) continue;
        RECT r = c->BoundsRect(), clip;
        if (!IntersectRect(&clip, &r, &dirty)) continue;
        SavedDC saved(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
        GuardedCall([&] {
            TCanvas canvas(dc);
            canvas.Font() = c->Font();
            c->Paint(canvas);
        });
    }
}
