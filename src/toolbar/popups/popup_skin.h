#pragma once
#include <windows.h>

#include "toolbar/popups/shadow.h"
#include "widgets/graphics.h"

class TTBBaseSkin;
class TTBCustomItem;

// Everything a popup asks of a skin, in one place.

// The popup's skin: the parent view's when that is active, else the item's, else the default
// skin unless that is disabled or native-XP (then none).
TTBBaseSkin* ChoosePopupSkin(TTBBaseSkin* parentViewSkin, bool parentViewSkinActive, TTBBaseSkin* itemSkin);
// The popup menu's skin when it is given none.
TTBBaseSkin* DefaultPopupMenuSkin();

// The frame's width on every side: 2 under Office XP, 1 under Windows XP with a popup or image
// background style of its own, else 3 (also without skin).
int PopupBorderWidthFor(const TTBBaseSkin* skin);
// An Office-XP skin: its frame gives one pixel back at the left and right, and a popup from a
// bar overlaps its button and gets the button's shadows.
bool PopupSkinIsOfficeXP(const TTBBaseSkin* skin);
// The window class asks the system for its drop shadow: on XP and later, without skin or
// with a native-XP one.
bool PopupWantsSystemShadow(const TTBBaseSkin* skin);
// Redraws the whole window when its height changes (a gradient background).
bool PopupRedrawsOnResize(const TTBBaseSkin* skin);

bool PopupCastsShadows(const TTBBaseSkin* skin);
TShadowStyle PopupShadowStyle(const TTBBaseSkin* skin);
// Office XP: a popup of a bar button joins it (overlap, opened border, the button's shadows),
// unless the item's Tag is 1234567890.
bool PopupJoinsButton(const TTBBaseSkin* skin, const TTBCustomItem* item);

// The shift of a popup opened from a view whose skin (or the default one) lacks the popup
// overlap option: (3, 2) from a view without skin, (2, 2) from another popup that is no
// chevron list.
POINT PopupShift(const TTBBaseSkin* parentViewSkin, bool parentIsPopup, bool chevronList);

// The popup's colour: the skin's popup colour, or the system menu colour.
TColor PopupColorFor(const TTBBaseSkin* skin);

// The skin that draws the frame: the popup's own, else its parent view's; disabled and
// native-XP skins draw none. Null: the plain frame.
TTBBaseSkin* PopupFrameSkin(TTBBaseSkin* popupSkin, TTBBaseSkin* parentViewSkin);
// The skinned frame on the window's device context (`frame` is the window rectangle at 0,0),
// opening the border where the popup meets its button.
void PaintSkinnedPopupFrame(HDC dc, const RECT& frame, const TTBBaseSkin* skin, const TOpenedBorder& opened);
// A gradient background of the skin, its image band as wide as the first shown row is high
// (-1: none); false leaves the plain one.
bool PaintSkinnedPopupBackground(HDC dc, const RECT& client, const TTBBaseSkin* skin, int firstRowHeight);
// The flat frame: one ring in `outer`, two inside it in `inner`.
void FramePopupRings(HDC dc, RECT r, COLORREF outer, COLORREF inner);
