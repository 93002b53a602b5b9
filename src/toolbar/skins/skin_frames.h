#pragma once
#include <windows.h>

#include <string>

#include "toolbar/skins/skin.h"
#include "widgets/control.h"

// The frames of docked and floating windows as a skin paints them. The dockable windows work
// out the geometry (border, grip strip, caption, close button) and call these with it; all
// rectangles are in the window's own coordinates.

struct TTBSkinFrameState {
    bool MenuBar = false;
    TColor WindowColor = clBtnFace;  // the window's Color
    bool DockShowsPicture = false;   // the dock shows its background picture on toolbars
    bool SideDock = false;           // docked at the left or the right
    bool Docked = true;
};

// The outer one-pixel frame (BorderStyle single) and the inner frame one pixel inside it.
void PaintSkinDockedBorder(HDC dc, const RECT& window, const TTBBaseSkin& skin, const TTBSkinFrameState& state,
                           bool borderSingle, HWND handle);
// One grip bar, 3 pixels across, with its background.
void PaintSkinGripBar(HDC dc, const RECT& bar, const TTBBaseSkin& skin, const TTBSkinFrameState& state, HWND handle);
// The caption that replaces the grip in side docks with tboDockedCaptions; `caption` is the
// rectangle (2, 2, client width, small-caption height), `closeButton` whether the docked close
// button takes its right end.
void PaintSkinDockedCaption(HDC dc, RECT caption, const TTBBaseSkin& skin, const TTBSkinFrameState& state,
                            const std::string& text, TAlignment align, bool closeButton, HWND handle);
// A docked window's close button: its box when hot, and its cross.
void PaintSkinDockedCloseButton(HDC dc, const RECT& button, const TTBBaseSkin& skin, bool hot, bool pushed);

// The border of a floating window: everything between `window` and `client`.
void PaintSkinFloatingBorder(HDC dc, const RECT& window, const RECT& client, const TTBBaseSkin& skin, HWND handle);
// The caption bar and its text; `smallCaptionFont` serves while the skin's ParentFont holds.
void PaintSkinFloatingCaption(HDC dc, const RECT& caption, const TTBBaseSkin& skin, TColor windowColor,
                              const std::string& text, TAlignment align, HFONT smallCaptionFont);
// The floating close button, its box and its cross.
void PaintSkinFloatingCloseButton(HDC dc, const RECT& button, const TTBBaseSkin& skin, bool hot, bool pushed);
