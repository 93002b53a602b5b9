#pragma once
#include <windows.h>
#include <commctrl.h>

#include "widgets/component.h"
#include "widgets/graphics.h"

// Images of one size in one strip, drawn by lists and toolbars.
class TImageList : public TComponent {
public:
    TImageList(TComponent* owner, int width, int height, bool masked, TColor background = clNone);
    ~TImageList() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const;
    HIMAGELIST Handle() const { return list_; }

    // Appends the top-left Width x Height part of the bitmap; returns its index or -1.
    int Add(TBitmap& bitmap);
    // Appends every image of a resource strip; `maskColor` marks the transparent pixels.
    int AddResourceStrip(HINSTANCE instance, const char* name, TColor maskColor);
    void Clear();
    void Draw(HDC dc, int x, int y, int index, bool enabled = true) const;

private:
    HIMAGELIST list_ = nullptr;
    int width_, height_;
    bool masked_;
};
