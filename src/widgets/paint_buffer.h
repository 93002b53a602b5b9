#pragma once
#include <windows.h>

#include <memory>

#include "widgets/handles.h"

// Buffered painting of one area of a window: drawing goes to an off-screen bitmap in the
// window's own coordinates and reaches the target in one copy when the scope ends. The bitmap
// is kept for the thread and grows to the largest area asked for, so painting makes none; a
// paint that starts while another one holds it (a child updated from inside a paint) gets a
// bitmap of its own for that once.
class TBufferedPaint {
public:
    struct Surface;

    TBufferedPaint(HDC target, const RECT& area);
    ~TBufferedPaint();
    TBufferedPaint(const TBufferedPaint&) = delete;
    TBufferedPaint& operator=(const TBufferedPaint&) = delete;

    HDC dc() const { return dc_; }

private:
    HDC target_;
    RECT area_;
    std::unique_ptr<Surface> owned_;  // for a paint inside a paint
    Surface* surface_;                // the shared one, or owned_
    HDC dc_ = nullptr;
    int saved_ = 0;
    HGDIOBJ previousBitmap_ = nullptr;
};

// Frees the kept bitmap while no paint holds it (tests that count GDI objects).
void ReleasePaintBuffer();
