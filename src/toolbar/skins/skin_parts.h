#pragma once
#include <windows.h>

#include "toolbar/skins/skin.h"
#include "toolbar/skins/skin_paint.h"

class TImageList;

// The parts of an item, separator and chevron as a skin paints them. A viewer derives the
// state flags from its item and view and calls these in order; the glyphs, images and captions
// it draws itself into the rectangles they return.

// What the viewer knows about its item and view when painting.
struct TTBSkinItemState {
    bool Selected = false;             // the viewer is the view's Selected
    bool Pushed = false;
    bool MenuStyle = false;            // a popup row rather than a button
    bool Enabled = true;               // the item's own Enabled
    bool ShownEnabled = true;          // Enabled, or the view is customising
    bool Checked = false;
    bool DroppedDown = false;          // pushed with the view's OpenViewer set
    bool HasSubmenu = false;           // isfSubmenu
    bool HasArrow = false;
    bool Split = false;                // isfCombo: a button part and an arrow part
    bool MenuBar = false;
    bool ChevronSubmenu = false;
    bool MouseInsideSelected = false;  // of the view
    bool Capture = false;              // of the view
    bool DesignMode = false;
    bool VerticalView = false;         // the view's Orientation is vertical
    bool HasImageIndex = false;        // ImageIndex ≠ −1
    bool InChevronPopup = false;
    // Enabled, or the mouse is inside the selected viewer.
    bool StillHot() const { return Enabled || MouseInsideSelected; }
};

// ---- Toolbar-style items (buttons) ---------------------------------------------------------

struct TTBSkinButtonParts {
    RECT Content{};   // where the image and caption go
    RECT Arrow{};     // where the drop-down arrow glyph goes; empty without an arrow
    bool DrawArrowGlyph = false;
};

// The button's background, its split arrow part and its checked fill; `window` serves the
// visual-theme drawing under tbsNativeXP.
TTBSkinButtonParts PaintSkinButton(HDC dc, const RECT& client, const TTBBaseSkin& skin, const TTBSkinItemState& state,
                                   HWND window);

// ---- Menu-style items (popup rows) ---------------------------------------------------------

// Set by a view's key handling, cleared by its mouse moves: the last selection came from the
// keyboard. Process-wide; painting a disabled Office-XP row clears it.
extern bool SkinKeyboardSelection;

// The selection fill, the image column (tbsOfficeXP) and the check box of a popup row.
// `images` is the row's image list (may be null); a checked row without an image gets the
// check glyph here too.
void PaintSkinMenuItem(HDC dc, const RECT& client, const TTBBaseSkin& skin, const TTBSkinItemState& state,
                       const TImageList* images);

// ---- Captions ------------------------------------------------------------------------------

struct TTBSkinCaptionColor {
    bool KeepFontColor = false;  // the view's font colour (disabled captions: the plain rule)
    COLORREF Color = 0;
};
// The caption's colour under the skin; `background` is the colour behind the caption.
TTBSkinCaptionColor SkinCaptionColor(const TTBBaseSkin& skin, const TTBSkinItemState& state, COLORREF background);

// ---- Separators and the chevron -------------------------------------------------------------

struct TTBSkinSeparatorState {
    bool VerticalLine = false;  // a separator in a horizontal toolbar, a line break in a vertical one
    bool LineBreak = false;
    bool InPopup = false;
    bool MenuStyle = false;
    bool Floating = false;          // the view floats
    int FirstViewerHeight = -1;     // of the popup's first shown viewer; −1 when none
};
// The separator's line in the rectangle r (its top-left is 0, 0).
void PaintSkinSeparator(HDC dc, const RECT& r, const TTBBaseSkin& skin, const TTBSkinSeparatorState& state,
                        HWND window);

// The chevron button's background; the glyph is the toolbar's.
void PaintSkinChevron(HDC dc, const RECT& r, const TTBBaseSkin& skin, bool enabled, bool pushed, bool selected,
                      bool designMode, HWND window);
