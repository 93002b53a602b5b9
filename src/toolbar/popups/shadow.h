#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "toolbar/skins/skin.h"
#include "widgets/control.h"

// ---- Darkening ----------------------------------------------------------------------------

// What decides how each pixel of one strip darkens. Along the strip runs from its near end
// (top of a vertical strip, left of a horizontal one); across it from the popup outwards.
struct TShadowShape {
    bool Vertical = true;  // along a right edge; false: along a bottom edge
    int Thickness = 4;
    int Length = 0;
    bool Corner1 = false;  // fade the near end
    bool Corner2 = false;  // fade the far end (horizontal strips only)
    int ClipStart = -1;    // [ClipStart, ClipFinish] along the strip stays as it was,
    int ClipFinish = 0;    // unless either is below 1
    TShadowStyle Style = sOfficeXP;
};

// One pixel's change: none, a subtraction from each channel (Office XP), or a mix towards
// RGB(30,30,30) at a weight (Windows XP; a negative weight lightens).
struct TShadowEffect {
    enum TKind : uint8_t { seNone, seSubtract, seMix };
    TKind Kind = seNone;
    int Amount = 0;
    long double Weight = 0;
};

// x is the column and y the row of the strip's image, whatever its orientation.
TShadowEffect ShadowEffectAt(const TShadowShape& shape, int x, int y);
COLORREF ApplyShadowEffect(COLORREF color, const TShadowEffect& effect);
// Darkens the strip's image at 0,0 of `dc`, pixel by pixel.
void DarkenShadow(HDC dc, const TShadowShape& shape);

// ---- The shadow window --------------------------------------------------------------------

// A borderless, always-on-top window showing a darkened copy of the screen it covers, taken
// just before it is first shown. The mouse passes through it.
class TShadow : public TWinControl {
public:
    explicit TShadow(bool vertical);
    ~TShadow() override;

    bool Vertical() const { return vertical_; }
    bool Corner1() const { return corner1_; }
    void SetCorner1(bool value) { corner1_ = value; }
    bool Corner2() const { return corner2_; }
    void SetCorner2(bool value) { corner2_ = value; }
    TShadowStyle ShadowStyle() const { return shadowStyle_; }
    void SetShadowStyle(TShadowStyle value) { shadowStyle_ = value; }
    int ClipStart() const { return clipStart_; }
    void SetClipStart(int value) { clipStart_ = value; }
    int ClipFinish() const { return clipFinish_; }
    void SetClipFinish(int value) { clipFinish_ = value; }

    TShadowShape Shape() const;
    // A strip never placed, or placed with no area, has nothing to capture or show.
    bool HasArea() const { return Width() > 0 && Height() > 0; }
    // Copies the screen under the window and darkens it; once per place and size.
    void CaptureShadow();
    // Moves or resizes the strip; its copy is taken again for the new place (at once when the
    // strip is showing).
    void Relocate(const RECT& bounds);
    bool Captured() const { return image_ != nullptr; }
    // Captures (once) and shows the window without activating it.
    void CaptureAndShow();

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PaintWindow(TCanvas& canvas) override;
    bool PaintNonClient(HRGN) override { return true; }
    bool NonClientHitTest(POINT, LRESULT& hit) override;

private:
    struct TImage;
    void CopyImageTo(HDC dc) const;

    bool vertical_;
    bool corner1_ = false;
    bool corner2_ = false;
    TShadowStyle shadowStyle_ = sOfficeXP;
    int clipStart_ = -1;
    int clipFinish_ = 0;
    std::unique_ptr<TImage> image_;
};

// ---- Placement ----------------------------------------------------------------------------

// Where a popup came from, as far as its frame and shadows care. Screen coordinates.
struct TPopupShadowSource {
    enum TKind : uint8_t { psMenu, psHorizontalBar, psVerticalBar };
    TKind Kind = psMenu;  // psMenu: submenus and context menus, not opened from a toolbar view
    RECT Popup{};         // the popup's bounds
    RECT Button{};        // the dropped-down button (toolbar kinds)
    bool Flipped = false;  // above the button on a horizontal bar, left of it on a vertical one
    bool SplitButton = false;
    bool Chevron = false;
    // Button and popup read as one shape: an Office-XP skin and a parent item whose Tag is not
    // 1234567890. Opens the frame where they touch and gives the button its shadows.
    bool JoinButton = false;
};

struct TShadowStripPlacement {
    bool Placed = false;
    RECT Bounds{};  // screen
    bool Corner1 = false;
    bool Corner2 = false;
    int ClipStart = -1;
    int ClipFinish = 0;
};

struct TShadowPlacement {
    TShadowStripPlacement Right, Bottom, ButtonVertical, ButtonHorizontal;
};

TShadowPlacement PlaceShadows(const TPopupShadowSource& source);

// The line of the popup's frame, in the button's touching colour, that opens the border where
// the button meets the popup: MoveTo(From), LineTo(To) in window coordinates (the window
// rectangle at 0,0). Absent unless the source joins its button.
struct TOpenedBorder {
    bool Present = false;
    POINT From{};
    POINT To{};
};

TOpenedBorder OpenedBorderLine(const TPopupShadowSource& source);

// ---- The shadows of one popup -------------------------------------------------------------

// Up to four strips that live as long as their popup: right and bottom, and, for a popup that
// joins its button, the button's vertical and horizontal strips.
class TPopupShadows {
public:
    TPopupShadows(TShadowStyle style, bool buttonStrips);
    ~TPopupShadows();
    TPopupShadows(const TPopupShadows&) = delete;
    TPopupShadows& operator=(const TPopupShadows&) = delete;

    // Bounds, corners and clip ranges; a strip the placement leaves out keeps its own.
    void Place(const TShadowPlacement& placement);
    // After the frame is painted with the show flag set: captures and shows the strips not yet
    // visible, the right strip only while the bottom one is not.
    void ShowNew();
    // After the opening animation: every strip, captured once, shown.
    void ShowAll();
    void Hide();

    TShadow* Right() const { return right_.get(); }
    TShadow* Bottom() const { return bottom_.get(); }
    TShadow* ButtonVertical() const { return buttonVertical_.get(); }    // null without button strips
    TShadow* ButtonHorizontal() const { return buttonHorizontal_.get(); }

private:
    std::unique_ptr<TShadow> right_, bottom_, buttonVertical_, buttonHorizontal_;
};
