#pragma once
#include <windows.h>

#include <functional>

#include "toolbar/items/image_list.h"
#include "toolbar/skins/skin.h"
#include "toolbar/base/theme.h"
#include "widgets/graphics.h"

// Drawing primitives of the skins and the fills the toolbars and popups use. Colours come from
// SkinColor; every brush and pen lives for one call.

// ---- Solid shapes --------------------------------------------------------------------------

void SkinFill(HDC dc, const RECT& r, COLORREF color);
void SkinFrame(HDC dc, const RECT& r, COLORREF color);  // the one-pixel outline
void SkinLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color);  // the end point excluded
void SkinPolyline(HDC dc, const POINT* points, int count, COLORREF color);
// A rounded rectangle with a `corner` × `corner` ellipse, filled with one colour, outlined in another.
void SkinRoundRect(HDC dc, const RECT& r, COLORREF brushColor, COLORREF penColor, int corner = 6);

// ---- Gradient ------------------------------------------------------------------------------

using TGradientFillProc = std::function<BOOL(HDC dc, TRIVERTEX* vertices, ULONG vertexCount, void* mesh,
                                             ULONG meshCount, ULONG mode)>;
// GradientFill of "msimg32.dll", looked up once; empty when the library has none. Replaceable.
TGradientFillProc& GradientFillEntry();
void ResetGradientFillEntry();

// direction 1 runs from top to bottom (tbgTopBottom, tbpsGradVert, tbimsGradVert), anything else
// from left to right: the start colour at the top or left edge, the end colour at the other.
void GradientFillRect(HDC dc, const RECT& r, TColor startColor, int direction, TColor endColor);

// ---- Images --------------------------------------------------------------------------------

// The image mixed with what the canvas holds: background·(255 − alpha) + image·alpha, over the
// pixels the image covers only.
void DrawBlendedImage(HDC dc, const RECT& r, const TImageList& list, int alpha, int index);
// The background shaded where the image has pixels: dark image pixels darken it to two thirds,
// white ones leave it almost as it was.
void DrawDisabledImage(HDC dc, const RECT& r, const TImageList& list, bool light, int index);
// The image's outline at (x, y) in one colour: the shadow under a hot item's image.
void DrawImageShadow(HDC dc, int x, int y, const TImageList& list, int index, COLORREF color);
// The two work bitmaps the image primitives share (0 when not made yet), and their release.
SIZE SkinWorkBitmapSize();
void FreeSkinPaintResources();

// What an item's image painting needs to know of the item and its view.
struct TTBSkinImageState {
    bool Selected = false;
    bool Pushed = false;
    bool Checked = false;
    bool ShownEnabled = true;
    bool Capture = false;     // the view holds the mouse capture
    bool PopupView = false;   // blended at 210 in popups, 200 in toolbars
};

// Centres the image in `area` and draws it as the skin wants it: companion list by state,
// the shadow and the lifted image of a hot item (tbsOfficeXP), the pushed offset
// (tbsWindowsXP, tbsNativeXP), blended when not hot with tboBlendedImages, shaded when disabled.
void DrawSkinItemImage(HDC dc, const RECT& area, const TTBImageSet& lists, int index, const TTBBaseSkin& skin,
                       const TTBSkinImageState& state);

// ---- Glyphs and measures -------------------------------------------------------------------

// The check mark of a checked menu item without image, in the box `box`.
void DrawSkinCheckGlyph(HDC dc, const RECT& box, bool officeXP, COLORREF color);
// A close button's cross, two diagonals two pixels thick in an 8 × 7 box centred in `button`;
// one pixel further right and down when pushed.
void DrawCloseGlyph(HDC dc, const RECT& button, bool pushed, COLORREF color);
// The image column of a popup row under tbsOfficeXP (the list may be null).
int SkinImageColumnWidth(const TImageList* list, int itemHeight);
// The "Toolbar" theme state of a button.
int ToolbarThemeState(bool enabled, bool checked, bool selected, bool pushed);

// ---- Backgrounds ---------------------------------------------------------------------------

struct TTBToolbarBackground {
    bool Docked = false;
    bool DockShowsPicture = false;  // the dock paints its background picture on its toolbars
    bool MenuBar = false;
    TColor MenuBarColor = clBtnFace;  // the toolbar's own Color
};
// Fills a toolbar's or tool window's client area under tbsOfficeXP when docked without a
// background picture; false when the caller erases the plain way instead.
bool PaintSkinToolbarBackground(HDC dc, const RECT& client, const TTBBaseSkin* skin,
                                const TTBToolbarBackground& toolbar);

// A popup's background: the popup gradient or its colour (tcPopup, clMenu without a skin), then
// the image column's gradient, as wide as the first viewer's height + 2 (none when negative).
void PaintSkinPopupBackground(HDC dc, const RECT& client, const TTBBaseSkin* skin, bool chevronPopup,
                              int firstViewerHeight);
