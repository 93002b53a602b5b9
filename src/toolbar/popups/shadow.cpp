#include "toolbar/popups/shadow.h"

#include <algorithm>
#include <cmath>

#include "toolbar/base/common.h"
#include "toolbar/skins/skin.h"
#include "widgets/application.h"
#include "widgets/handles.h"

// ---- Darkening ----------------------------------------------------------------------------

namespace {

constexpr COLORREF kShadowDark = RGB(30, 30, 30);

TShadowEffect Subtract(int amount) {
    TShadowEffect effect;
    if (amount > 0) {
        effect.Kind = TShadowEffect::seSubtract;
        effect.Amount = std::min(amount, 255);
    }
    return effect;
}

TShadowEffect Mix(long double weight) {
    TShadowEffect effect;
    effect.Kind = TShadowEffect::seMix;
    effect.Weight = weight;
    return effect;
}

bool InClipRange(const TShadowShape& s, int along) {
    return s.ClipStart >= 1 && s.ClipFinish >= 1 && along >= s.ClipStart && along <= s.ClipFinish;
}

// A vertical strip: rows [0, T) stay as they were, [T, 2T) are the near corner, the rest up to
// L - T + 3 the body.
TShadowEffect VerticalEffect(const TShadowShape& s, int x, int y) {
    const int t = s.Thickness;
    if (y < t || y >= s.Length || InClipRange(s, y)) return {};
    const bool office = s.Style == sOfficeXP;
    if (y < 2 * t) {
        const int steps = 2 * t - 1 - y + x;
        if (office) return s.Corner1 ? Subtract(40 - 5 * steps) : TShadowEffect{};
        return Mix((40.0L - 15 * steps) / 100);
    }
    if (y > s.Length - t + 3) return {};
    if (office) return Subtract(60 - 15 * x);
    return s.Corner1 ? Mix((50.0L - 15 * x) / 100) : TShadowEffect{};
}

long double WindowsXPFarCornerWeight(int i, int y) {
    if (i == 3 && y == 0) return 0.5L;
    if (i == 3 && y == 1) return 0.35L;
    if (i == 2 && y < 2) return 0.35L;
    if (i > 1 && y == 2) return 0.2L;
    if (i == 1 && y < 3) return 0.2L;
    if (i > 0 && y == 3) return 0.05L;
    if (i == 0 && y < 4) return 0.05L;
    return 0;
}

// The columns of a horizontal strip: the near corner ends at NearEnd, the far corner starts at
// FarStart. A strip shorter than both corners gives each end half of it, so that no pixel is
// darkened twice and no corner index falls outside the strip.
struct THorizontalParts {
    int NearEnd;
    int FarStart;
};

THorizontalParts SplitHorizontal(int thickness, int length) {
    const int nearCount = std::min(thickness, (length + 1) / 2);
    const int farCount = std::min(thickness, length - nearCount);
    return {nearCount, length - farCount};
}

TShadowEffect HorizontalEffect(const TShadowShape& s, int x, int y) {
    const int t = s.Thickness;
    if (x < 0 || x >= s.Length) return {};
    const bool office = s.Style == sOfficeXP;
    const THorizontalParts parts = SplitHorizontal(t, s.Length);
    if (x >= parts.FarStart) {
        // The clip range is compared shifted by the length here, so it never spares the far corner.
        if (!s.Corner2) return {};
        const int i = s.Length - 1 - x;
        if (office) return Subtract(5 * (2 * t - 1 - y + i) - 15);
        const long double weight = WindowsXPFarCornerWeight(i, y);
        return weight != 0 ? Mix(weight) : TShadowEffect{};
    }
    if (InClipRange(s, x)) return {};
    if (x < parts.NearEnd) {
        if (!s.Corner1) return {};
        const int steps = 2 * t - 1 - x + y;
        return office ? Subtract(60 - 5 * steps) : Mix((60 - 7.1L * steps) / 100);
    }
    return office ? Subtract(60 - 15 * y) : Mix((50.0L - 15 * y) / 100);
}

}  // namespace

TShadowEffect ShadowEffectAt(const TShadowShape& shape, int x, int y) {
    return shape.Vertical ? VerticalEffect(shape, x, y) : HorizontalEffect(shape, x, y);
}

COLORREF ApplyShadowEffect(COLORREF color, const TShadowEffect& effect) {
    // The skins' own colour rules: darkening by an amount, or mixing towards the shadow colour.
    switch (effect.Kind) {
    case TShadowEffect::seSubtract:
        return static_cast<COLORREF>(Darken(static_cast<TColor>(color), effect.Amount));
    case TShadowEffect::seMix:
        return static_cast<COLORREF>(Blend(static_cast<TColor>(color), static_cast<TColor>(kShadowDark), effect.Weight));
    case TShadowEffect::seNone:
        break;
    }
    return color;
}

void DarkenShadow(HDC dc, const TShadowShape& shape) {
    const int width = shape.Vertical ? shape.Thickness : shape.Length;
    const int height = shape.Vertical ? shape.Length : shape.Thickness;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const TShadowEffect effect = ShadowEffectAt(shape, x, y);
            if (effect.Kind == TShadowEffect::seNone) continue;
            const COLORREF color = GetPixel(dc, x, y);
            if (color == CLR_INVALID) continue;
            SetPixel(dc, x, y, ApplyShadowEffect(color, effect));
        }
    }
}

// ---- The shadow window --------------------------------------------------------------------

// The darkened copy: the bitmap selected into a memory device context compatible with the
// screen. Members go in reverse: the context gets its own bitmap back before the shadow's is
// deleted, and is deleted itself before it.
struct TShadow::TImage {
    TImage(HDC screen, int width, int height)
        : width(width), height(height), bitmap(CreateCompatibleBitmap(screen, width, height)),
          select(dc.get(), bitmap.get()) {}
    int width, height;
    BitmapHandle bitmap;
    MemoryDC dc;
    ScopedSelect select;
};

TShadow::TShadow(bool vertical) : TWinControl(nullptr), vertical_(vertical) { SetVisible(false); }

TShadow::~TShadow() = default;

TShadowShape TShadow::Shape() const {
    TShadowShape shape;
    shape.Vertical = vertical_;
    shape.Thickness = vertical_ ? Width() : Height();
    shape.Length = vertical_ ? Height() : Width();
    shape.Corner1 = corner1_;
    shape.Corner2 = corner2_;
    shape.ClipStart = clipStart_;
    shape.ClipFinish = clipFinish_;
    shape.Style = shadowStyle_;
    return shape;
}

void TShadow::CaptureShadow() {
    if (image_ || !HasArea()) return;
    std::unique_ptr<TImage> image;
    {
        WindowDC screen(nullptr);
        image = std::make_unique<TImage>(screen.get(), Width(), Height());
    }
    // The windows below must be up to date before they are copied.
    DispatchPendingPaints();
    {
        WindowDC screen(nullptr);
        BitBlt(image->dc.get(), 0, 0, image->width, image->height, screen.get(), Left(), Top(), SRCCOPY);
    }
    DarkenShadow(image->dc.get(), Shape());
    // Captured only now: a paint of the strip meanwhile finds no half-made copy to show.
    image_ = std::move(image);
}

// The copy belongs to the place it was taken at. A strip moved or resized takes it again; one
// on screen hides first, so that the copy holds what lies beneath and not the strip itself.
void TShadow::Relocate(const RECT& bounds) {
    if (bounds.left == Left() && bounds.top == Top() && bounds.right - bounds.left == Width() &&
        bounds.bottom - bounds.top == Height())
        return;
    const bool shown = Visible();
    if (shown) SetVisible(false);
    image_.reset();
    SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    if (shown) CaptureAndShow();
}

void TShadow::CaptureAndShow() {
    if (!HasArea()) return;
    CaptureShadow();
    HandleNeeded();
    SetVisible(true);
}

void TShadow::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = "SorvaneShadow";
    params.WindowClassStyle |= CS_SAVEBITS | CS_VREDRAW;
    params.Style = (params.Style & ~(WS_CHILD | WS_GROUP | WS_TABSTOP)) | WS_POPUP;
    params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    params.WndParent = PopupOwnerWindow();
}

void TShadow::CopyImageTo(HDC dc) const {
    if (image_) BitBlt(dc, 0, 0, image_->width, image_->height, image_->dc.get(), 0, 0, SRCCOPY);
}

LRESULT TShadow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND) {
        CopyImageTo(reinterpret_cast<HDC>(wParam));
        return 1;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

void TShadow::PaintWindow(TCanvas& canvas) { CopyImageTo(canvas.Handle()); }

bool TShadow::NonClientHitTest(POINT, LRESULT& hit) {
    hit = HTTRANSPARENT;
    return true;
}

// ---- Placement ----------------------------------------------------------------------------

namespace {

int WidthOf(const RECT& r) { return r.right - r.left; }
int HeightOf(const RECT& r) { return r.bottom - r.top; }

TShadowStripPlacement Strip(int left, int top, int width, int height, bool corner1, bool corner2) {
    TShadowStripPlacement strip;
    strip.Placed = true;
    strip.Bounds = RECT{left, top, left + width, top + height};
    strip.Corner1 = corner1;
    strip.Corner2 = corner2;
    return strip;
}

// Where the button meets a popup of a horizontal bar: d is the button's offset from the popup's
// left edge, [a, b) the opened part of the popup's border.
struct THorizontalJoin {
    int D, A, B;
};

THorizontalJoin JoinHorizontal(const TPopupShadowSource& s) {
    const int c = s.SplitButton ? 1 : 0;
    int d = s.Button.left - s.Popup.left;
    const bool negative = d < 0;
    if (negative) {
        d = -2;
        // A button partly left of the screen: the popup was pushed right, past its left part.
        if (s.Button.left < 0) d += s.Button.left;
    }
    int a = negative ? 1 : d + 3;
    int b = d + WidthOf(s.Button) + 1 - c;
    if (d > 0) {
        --a;
        --b;
    }
    return {d, a, b};
}

// Where the button meets a popup of a vertical bar: e is the button's bottom below the popup's
// top, the opened border runs from g to e.
struct TVerticalJoin {
    int E, G;
};

TVerticalJoin JoinVertical(const TPopupShadowSource& s) {
    const int e = s.Button.bottom - s.Popup.top;
    return {e, e + 3 - HeightOf(s.Button)};
}

TShadowPlacement PlaceForMenu(const RECT& p) {
    TShadowPlacement placement;
    placement.Right = Strip(p.right, p.top + 4, 4, HeightOf(p) - 4, true, false);
    placement.Bottom = Strip(p.left + 4, p.bottom, WidthOf(p), 4, true, true);
    return placement;
}

TShadowPlacement PlaceForHorizontalBar(const TPopupShadowSource& s) {
    const RECT& p = s.Popup;
    const int c = s.SplitButton ? 1 : 0, bw = WidthOf(s.Button), bh = HeightOf(s.Button);
    const THorizontalJoin j = JoinHorizontal(s);
    TShadowPlacement placement;
    if (!s.Flipped) {
        placement.Right = s.Chevron ? Strip(p.right, p.top - 8, 4, HeightOf(p) + 8, false, false)
                                    : Strip(p.right, p.top, 4, HeightOf(p), true, false);
        placement.Bottom = Strip(p.left + 4, p.bottom, WidthOf(p), 4, true, true);
        if (s.JoinButton) {
            const int k = j.A > 1 ? 1 : 0;
            placement.ButtonVertical = Strip(p.left + j.D + bw + 2 - c - k, p.top - bh + 2, 4, bh - 2, true, false);
        }
        return placement;
    }
    placement.Right = Strip(p.right, p.top, 4, HeightOf(p), true, false);
    placement.Bottom = Strip(p.left + 4 - c, p.bottom, WidthOf(p) + c, 4, false, true);
    if (!s.JoinButton) return placement;
    placement.ButtonVertical = Strip(p.left + j.B + 1, p.bottom - 8, 4, bh + 6, true, true);
    placement.ButtonHorizontal = Strip(s.Button.left - c + 4, p.bottom + bh - 2, bw, 4, true, true);
    // The bottom strip runs over the button's top: that part stays as it was.
    TShadowStripPlacement& bottom = placement.Bottom;
    const int start = j.A + c - 5;
    if (j.A < 2 || start < 1) {
        // The button reaches under the strip's first columns: nothing there to fade, and a
        // start below 1 would switch the whole range off.
        bottom.ClipStart = 1;
        bottom.ClipFinish = j.A < 2 ? bw - 2 + (s.Button.left < 0 ? s.Button.left + 1 : 1) : j.B + c;
    } else {
        bottom.ClipStart = start;
        bottom.ClipFinish = j.B + c;
        bottom.Corner1 = true;
    }
    return placement;
}

TShadowPlacement PlaceForVerticalBar(const TPopupShadowSource& s) {
    const RECT& p = s.Popup;
    const int c = s.SplitButton ? 1 : 0, bw = WidthOf(s.Button), bh = HeightOf(s.Button);
    const TVerticalJoin j = JoinVertical(s);
    TShadowPlacement placement;
    placement.Bottom = Strip(p.left + 4, p.bottom, WidthOf(p), 4, true, true);
    if (!s.Flipped) {
        placement.Right = Strip(p.right, p.top, 4, HeightOf(p), true, false);
        if (s.JoinButton) placement.ButtonHorizontal = Strip(p.left - bw - c + 6, p.top + j.G + bh - 1, bw, 4, true, false);
        return placement;
    }
    placement.Right = Strip(p.right, p.top - c + 4, 4, HeightOf(p) + c - 4, true, false);
    if (!s.JoinButton) return placement;
    placement.ButtonVertical = Strip(p.right + bw - c - 2, p.top + j.G, 4, bh - 1, true, false);
    placement.ButtonHorizontal = Strip(p.right - 4, p.top + bh + j.G - 1, bw - c + 6, 4, false, true);
    // The right strip runs along the button's left edge: that part stays as it was. A start
    // below 1 would switch the whole range off.
    const int g = j.G < 5 ? 4 : j.G;
    placement.Right.ClipStart = std::max(1, g + c - 5 + (g == 4 ? 4 : 0));
    placement.Right.ClipFinish = j.E + 1 + c;
    return placement;
}

}  // namespace

TShadowPlacement PlaceShadows(const TPopupShadowSource& source) {
    switch (source.Kind) {
    case TPopupShadowSource::psHorizontalBar:
        return PlaceForHorizontalBar(source);
    case TPopupShadowSource::psVerticalBar:
        return PlaceForVerticalBar(source);
    case TPopupShadowSource::psMenu:
        break;
    }
    return PlaceForMenu(source.Popup);
}

TOpenedBorder OpenedBorderLine(const TPopupShadowSource& source) {
    TOpenedBorder line;
    if (!source.JoinButton) return line;
    const RECT& p = source.Popup;
    if (source.Kind == TPopupShadowSource::psHorizontalBar) {
        const THorizontalJoin j = JoinHorizontal(source);
        const int y = source.Flipped ? HeightOf(p) - 1 : 0;
        line.Present = j.B > j.A;
        line.From = POINT{j.A, y};
        line.To = POINT{j.B, y};
    } else if (source.Kind == TPopupShadowSource::psVerticalBar) {
        const TVerticalJoin j = JoinVertical(source);
        const int x = source.Flipped ? WidthOf(p) - 1 : 0;
        line.Present = j.E >= 0 && j.G <= j.E;
        line.From = POINT{x, j.G};
        line.To = POINT{x, j.E + 1};
    }
    return line;
}

// ---- The shadows of one popup -------------------------------------------------------------

namespace {

std::unique_ptr<TShadow> MakeStrip(bool vertical, TShadowStyle style) {
    auto shadow = std::make_unique<TShadow>(vertical);
    shadow->SetShadowStyle(style);
    return shadow;
}

void ApplyPlacement(TShadow* shadow, const TShadowStripPlacement& strip) {
    if (!shadow || !strip.Placed) return;
    shadow->SetCorner1(strip.Corner1);
    shadow->SetCorner2(strip.Corner2);
    shadow->SetClipStart(strip.ClipStart);
    shadow->SetClipFinish(strip.ClipFinish);
    shadow->Relocate(strip.Bounds);
}

void ShowIfHidden(TShadow* shadow) {
    if (shadow && !shadow->Visible()) shadow->CaptureAndShow();
}

}  // namespace

TPopupShadows::TPopupShadows(TShadowStyle style, bool buttonStrips)
    : right_(MakeStrip(true, style)), bottom_(MakeStrip(false, style)) {
    if (!buttonStrips) return;
    buttonVertical_ = MakeStrip(true, style);
    buttonHorizontal_ = MakeStrip(false, style);
}

TPopupShadows::~TPopupShadows() = default;

void TPopupShadows::Place(const TShadowPlacement& placement) {
    ApplyPlacement(right_.get(), placement.Right);
    ApplyPlacement(bottom_.get(), placement.Bottom);
    ApplyPlacement(buttonVertical_.get(), placement.ButtonVertical);
    ApplyPlacement(buttonHorizontal_.get(), placement.ButtonHorizontal);
}

void TPopupShadows::ShowNew() {
    ShowIfHidden(buttonVertical_.get());
    ShowIfHidden(buttonHorizontal_.get());
    if (!bottom_->Visible()) ShowIfHidden(right_.get());
    ShowIfHidden(bottom_.get());
}

void TPopupShadows::ShowAll() {
    for (TShadow* shadow : {buttonVertical_.get(), buttonHorizontal_.get(), right_.get(), bottom_.get()}) {
        if (shadow) shadow->CaptureAndShow();
    }
}

void TPopupShadows::Hide() {
    for (TShadow* shadow : {buttonVertical_.get(), buttonHorizontal_.get(), right_.get(), bottom_.get()}) {
        if (shadow) shadow->SetVisible(false);
    }
}
