#include "toolbar/skins/skin_paint.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "widgets/handles.h"
#include "widgets/image_list.h"
#include "widgets/system_library.h"

// ---- Solid shapes --------------------------------------------------------------------------

void SkinFill(HDC dc, const RECT& r, COLORREF color) {
    BrushHandle brush(CreateSolidBrush(color));
    FillRect(dc, &r, brush.get());
}

void SkinFrame(HDC dc, const RECT& r, COLORREF color) {
    BrushHandle brush(CreateSolidBrush(color));
    FrameRect(dc, &r, brush.get());
}

void SkinLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color) {
    const POINT points[] = {{x1, y1}, {x2, y2}};
    SkinPolyline(dc, points, 2, color);
}

void SkinPolyline(HDC dc, const POINT* points, int count, COLORREF color) {
    PenHandle pen(CreatePen(PS_SOLID, 1, color));
    ScopedSelect selected(dc, pen.get());
    Polyline(dc, points, count);
}

void SkinRoundRect(HDC dc, const RECT& r, COLORREF brushColor, COLORREF penColor, int corner) {
    PenHandle pen(CreatePen(PS_SOLID, 1, penColor));
    BrushHandle brush(CreateSolidBrush(brushColor));
    ScopedSelect selectedPen(dc, pen.get());
    ScopedSelect selectedBrush(dc, brush.get());
    RoundRect(dc, r.left, r.top, r.right, r.bottom, corner, corner);
}

// ---- Gradient ------------------------------------------------------------------------------

namespace {

using GradientFillPointer = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// msimg32 stays loaded for the life of the process once found.
GradientFillPointer LookUpGradientFill() {
    static const HMODULE library = LoadSystemLibrary("msimg32.dll");
    if (!library) return nullptr;
    return reinterpret_cast<GradientFillPointer>(reinterpret_cast<void*>(GetProcAddress(library, "GradientFill")));
}

TGradientFillProc LibraryGradientFill() {
    static const GradientFillPointer entry = LookUpGradientFill();
    if (!entry) return {};
    return [](HDC dc, TRIVERTEX* vertices, ULONG count, void* mesh, ULONG meshCount, ULONG mode) {
        return entry(dc, vertices, count, mesh, meshCount, mode);
    };
}

TRIVERTEX Vertex(LONG x, LONG y, COLORREF color) {
    TRIVERTEX v{};
    v.x = x;
    v.y = y;
    v.Red = static_cast<COLOR16>(GetRValue(color) << 8);
    v.Green = static_cast<COLOR16>(GetGValue(color) << 8);
    v.Blue = static_cast<COLOR16>(GetBValue(color) << 8);
    v.Alpha = 0;
    return v;
}

// start + (end − start)·step / steps per channel.
COLORREF Interpolate(COLORREF start, COLORREF end, int step, int steps) {
    auto channel = [&](int s, int e) { return s + (e - s) * step / steps; };
    return RGB(channel(GetRValue(start), GetRValue(end)), channel(GetGValue(start), GetGValue(end)),
               channel(GetBValue(start), GetBValue(end)));
}

// Without GradientFill: one band per row (or column), inside the rectangle, from the start
// colour in the first band to the end colour in the last.
void BandGradient(HDC dc, const RECT& r, COLORREF start, bool vertical, COLORREF end) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return;
    const int bands = vertical ? height : width;
    for (int i = 0; i < bands; ++i) {
        const RECT band = vertical ? RECT{r.left, r.top + i, r.right, r.top + i + 1}
                                   : RECT{r.left + i, r.top, r.left + i + 1, r.bottom};
        SkinFill(dc, band, bands == 1 ? start : Interpolate(start, end, i, bands - 1));
    }
}

}  // namespace

TGradientFillProc& GradientFillEntry() {
    static TGradientFillProc entry = LibraryGradientFill();
    return entry;
}

void ResetGradientFillEntry() { GradientFillEntry() = LibraryGradientFill(); }

void GradientFillRect(HDC dc, const RECT& r, TColor startColor, int direction, TColor endColor) {
    const COLORREF start = ColorToRGB(startColor), end = ColorToRGB(endColor);
    // Only 1 is vertical: passing a direction of 2 on as the mode would ask for triangles.
    const bool vertical = direction == 1;
    if (const TGradientFillProc& fill = GradientFillEntry()) {
        TRIVERTEX vertices[] = {Vertex(r.left, r.top, start), Vertex(r.right, r.bottom, end)};
        GRADIENT_RECT mesh{0, 1};
        if (fill(dc, vertices, 2, &mesh, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H)) return;
    }
    BandGradient(dc, r, start, vertical, end);
}

// ---- Work bitmaps --------------------------------------------------------------------------

namespace {

// A 32-bit top-down bitmap selected into a memory DC of its own, its pixels at hand.
class WorkBitmap {
public:
    ~WorkBitmap() { Release(); }

    bool Size(int width, int height) {
        if (bitmap_ && width == width_ && height == height_) return true;
        Release();
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap_) return false;
        if (!dc_) dc_ = std::make_unique<MemoryDC>();
        previous_ = SelectObject(dc_->get(), bitmap_.get());
        bits_ = static_cast<uint32_t*>(bits);
        width_ = width;
        height_ = height;
        return true;
    }

    // The bitmap is taken out of the DC before it is deleted.
    void Release() {
        if (previous_) SelectObject(dc_->get(), previous_);
        previous_ = nullptr;
        bitmap_.reset();
        bits_ = nullptr;
        width_ = height_ = 0;
    }
    void Free() {
        Release();
        dc_.reset();
    }

    HDC dc() const { return dc_->get(); }
    uint32_t* bits() const { return bits_; }
    SIZE size() const { return SIZE{width_, height_}; }

private:
    std::unique_ptr<MemoryDC> dc_;
    BitmapHandle bitmap_;
    HGDIOBJ previous_ = nullptr;
    uint32_t* bits_ = nullptr;
    int width_ = 0, height_ = 0;
};

struct WorkBitmaps {
    WorkBitmap background;  // A: the canvas, then the result
    WorkBitmap image;       // B: the canvas with the image drawn over it
};

WorkBitmaps& Work() {
    static WorkBitmaps work;
    return work;
}

constexpr uint32_t RgbMask = 0xFFFFFF;  // the fourth byte may be anything the drawing left

// Mixes the image into the canvas at r's top-left: `mix` gets each pixel the image changed,
// as (background, image), and returns the new pixel.
template <class Mix>
void MixImage(HDC dc, const RECT& r, const TImageList& list, int index, Mix mix) {
    const int width = std::min(list.Width(), static_cast<int>(r.right - r.left));
    const int height = std::min(list.Height(), static_cast<int>(r.bottom - r.top));
    if (width <= 0 || height <= 0 || !list.Handle()) return;
    WorkBitmaps& work = Work();
    if (!work.background.Size(width, height) || !work.image.Size(width, height)) return;
    BitBlt(work.background.dc(), 0, 0, width, height, dc, r.left, r.top, SRCCOPY);
    GdiFlush();
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::memcpy(work.image.bits(), work.background.bits(), count * sizeof(uint32_t));
    ImageList_Draw(list.Handle(), index, work.image.dc(), 0, 0, ILD_NORMAL);
    GdiFlush();
    uint32_t* background = work.background.bits();
    const uint32_t* image = work.image.bits();
    for (size_t i = 0; i < count; ++i)
        if ((background[i] ^ image[i]) & RgbMask) background[i] = mix(background[i], image[i]);
    BitBlt(dc, r.left, r.top, width, height, work.background.dc(), 0, 0, SRCCOPY);
}

// Every channel of `pixel` times factor / 256. Red and blue go together, green alone; the
// products reach 0xFE01xxxx, so this is unsigned 32-bit arithmetic.
uint32_t Scale(uint32_t pixel, uint32_t factor) {
    return (((pixel & 0xFF00FFu) * factor & 0xFF00FF00u) | ((pixel & 0xFF00u) * factor & 0xFF0000u)) >> 8;
}

}  // namespace

SIZE SkinWorkBitmapSize() { return Work().background.size(); }

void FreeSkinPaintResources() {
    Work().background.Free();
    Work().image.Free();
}

// ---- Images --------------------------------------------------------------------------------

void DrawBlendedImage(HDC dc, const RECT& r, const TImageList& list, int alpha, int index) {
    const uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0, 255));
    MixImage(dc, r, list, index, [a](uint32_t background, uint32_t image) {
        const uint32_t redBlue = ((background & 0xFF00FFu) * (255 - a) + (image & 0xFF00FFu) * a) & 0xFF00FF00u;
        const uint32_t green = ((background & 0xFF00u) * (255 - a) + (image & 0xFF00u) * a) & 0xFF0000u;
        return (redBlue | green) >> 8;
    });
}

void DrawDisabledImage(HDC dc, const RECT& r, const TImageList& list, bool light, int index) {
    MixImage(dc, r, list, index, [light](uint32_t background, uint32_t image) {
        // The work bitmaps hold 0x00RRGGBB.
        const uint32_t red = image >> 16 & 0xFF, green = image >> 8 & 0xFF, blue = image & 0xFF;
        const uint32_t grey = (red * 76 + green * 150 + blue * 29) >> 8;
        const uint32_t factor = light ? (grey >> 3) + 223 : grey / 3 + 170;
        return Scale(background, factor);
    });
}

void DrawImageShadow(HDC dc, int x, int y, const TImageList& list, int index, COLORREF color) {
    const int width = list.Width(), height = list.Height();
    if (width <= 0 || height <= 0 || !list.Handle()) return;
    // The image's own mask (black where it has pixels), copied out: the list keeps its mask
    // selected in a DC of its own and owns it.
    MemoryDC maskDC;
    BitmapHandle mask(CreateBitmap(width, height, 1, 1, nullptr));
    ScopedSelect selectedMask(maskDC.get(), mask.get());
    PatBlt(maskDC.get(), 0, 0, width, height, WHITENESS);
    ImageList_Draw(list.Handle(), index, maskDC.get(), 0, 0, ILD_MASK);

    BrushHandle brush(CreateSolidBrush(color));
    ScopedSelect selectedBrush(dc, brush.get());
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    constexpr DWORD BrushWhereSourceIsBlack = 0x00B8074A;  // S ? D : P
    BitBlt(dc, x, y, width, height, maskDC.get(), 0, 0, BrushWhereSourceIsBlack);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
}

namespace {

void DrawImage(HDC dc, const TImageList& list, int index, int x, int y) {
    if (list.Handle()) ImageList_Draw(list.Handle(), index, dc, x, y, ILD_NORMAL);
}

}  // namespace

void DrawSkinItemImage(HDC dc, const RECT& area, const TTBImageSet& lists, int index, const TTBBaseSkin& skin,
                       const TTBSkinImageState& state) {
    const TImageList* list = lists.Images;
    if (!list) return;
    if (state.ShownEnabled) {
        if (state.Selected && lists.HotImages) list = lists.HotImages;
        if (state.Checked && lists.CheckedImages) list = lists.CheckedImages;
    } else if (lists.DisabledImages) {
        list = lists.DisabledImages;
    }
    int x = area.left + (area.right - area.left - list->Width()) / 2;
    int y = area.top + (area.bottom - area.top - list->Height()) / 2;

    if (!state.ShownEnabled) {
        if (lists.DisabledImages)
            DrawImage(dc, *list, index, x, y);
        else
            DrawDisabledImage(dc, RECT{x, y, x + list->Width(), y + list->Height()}, *list, false, index);
        return;
    }
    if (state.Selected) {
        if (skin.SkinType() == tbsOfficeXP) {
            if (!state.Pushed && !state.Checked) {
                DrawImageShadow(dc, x + 1, y + 1, *list, index, skin.SkinColor(tcImgListShadow));
                --x;
                --y;
            }
        } else if (state.Pushed && state.Capture) {
            ++x;
            ++y;
        }
        DrawImage(dc, *list, index, x, y);
    } else if (skin.Options().contains(tboBlendedImages) && !state.Checked) {
        DrawBlendedImage(dc, RECT{x, y, x + list->Width(), y + list->Height()}, *list, state.PopupView ? 210 : 200,
                         index);
    } else {
        DrawImage(dc, *list, index, x, y);
    }
}

// ---- Glyphs and measures -------------------------------------------------------------------

void DrawSkinCheckGlyph(HDC dc, const RECT& box, bool officeXP, COLORREF color) {
    const int shift = officeXP ? 1 : 0;
    const int cx = (box.left + box.right) / 2 - 2 - shift, cy = (box.top + box.bottom) / 2 + 1 - shift;
    static constexpr POINT offsets[] = {{-2, -2}, {0, 0}, {4, -4}, {4, -3}, {0, 1}, {-2, -1}, {-2, -2}};
    POINT points[7];
    for (int i = 0; i < 7; ++i) points[i] = POINT{cx + offsets[i].x, cy + offsets[i].y};
    SkinPolyline(dc, points, 7, color);
}

void DrawCloseGlyph(HDC dc, const RECT& button, bool pushed, COLORREF color) {
    const int x = button.left + (button.right - button.left - 8) / 2 + (pushed ? 1 : 0);
    const int y = button.top + (button.bottom - button.top - 8) / 2 + (pushed ? 1 : 0);
    BrushHandle brush(CreateSolidBrush(color));
    for (int i = 0; i < 7; ++i) {
        const RECT down{x + i, y + i, x + i + 2, y + i + 1}, up{x + 6 - i, y + i, x + 8 - i, y + i + 1};
        FillRect(dc, &down, brush.get());
        FillRect(dc, &up, brush.get());
    }
}

int SkinImageColumnWidth(const TImageList* list, int itemHeight) {
    if (!list) return itemHeight + 2;
    return (list->Width() + 3) * itemHeight / (list->Height() + 3) + 2;
}

int ToolbarThemeState(bool enabled, bool checked, bool selected, bool pushed) {
    if (!enabled) return TS_DISABLED;
    if (checked) return selected ? TS_HOTCHECKED : TS_CHECKED;
    if (pushed) return TS_PRESSED;
    return selected ? TS_HOT : TS_NORMAL;
}

// ---- Backgrounds ---------------------------------------------------------------------------

bool PaintSkinToolbarBackground(HDC dc, const RECT& client, const TTBBaseSkin* skin,
                                const TTBToolbarBackground& toolbar) {
    if (!skin || skin->SkinType() != tbsOfficeXP || !toolbar.Docked || toolbar.DockShowsPicture) return false;
    if (toolbar.MenuBar && !skin->Options().contains(tboMenuTBColor))
        SkinFill(dc, client, ColorToRGB(toolbar.MenuBarColor));
    else
        SkinFill(dc, client, skin->SkinColor(tcToolbar));
    return true;
}

void PaintSkinPopupBackground(HDC dc, const RECT& client, const TTBBaseSkin* skin, bool chevronPopup,
                              int firstViewerHeight) {
    const bool gradientSkin =
        skin && !chevronPopup && (skin->SkinType() == tbsOfficeXP || skin->SkinType() == tbsWindowsXP);
    if (gradientSkin && skin->PopupStyle() != tbpsDefault)
        GradientFillRect(dc, client, skin->SkinColor(tcPopupGradStart), skin->PopupStyle() == tbpsGradVert ? 1 : 0,
                         skin->SkinColor(tcPopupGradEnd));
    else
        SkinFill(dc, client, ColorToRGB(PopupWindowColor(skin)));
    if (gradientSkin && skin->ImgBackStyle() != tbimsDefault && firstViewerHeight >= 0) {
        const RECT column{client.left, client.top, client.left + firstViewerHeight + 2, client.bottom};
        GradientFillRect(dc, column, skin->SkinColor(tcImgGradStart), skin->ImgBackStyle() == tbimsGradVert ? 1 : 0,
                         skin->SkinColor(tcImgGradEnd));
    }
}
