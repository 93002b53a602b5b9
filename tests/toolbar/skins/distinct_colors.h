#pragma once
#include <windows.h>

#include <algorithm>
#include <array>
#include <vector>

#include "toolbar/base/services_fixture.h"
#include "toolbar/skins/skin.h"

// A custom colour set whose 28 slots all differ from each other, from white and black and from
// the system colours the skin tests run under: a painter that takes one slot for another paints
// a colour the tables do not expect. (The Office-XP set shares one colour among several slots,
// so a mix-up there passes unseen.)
inline constexpr std::array<COLORREF, TTBSkinColorCount> DistinctColors{
    RGB(0x80, 0x10, 0x10),  // tcFace
    RGB(0x10, 0x80, 0x10),  // tcPopup
    RGB(0x10, 0x10, 0x80),  // tcBorder
    RGB(0x80, 0x80, 0x10),  // tcToolbar
    RGB(0x80, 0x10, 0x80),  // tcDragHandle
    RGB(0x10, 0x80, 0x80),  // tcImageList
    RGB(0x40, 0x20, 0x60),  // tcImgListShadow
    RGB(0xC0, 0x30, 0x30),  // tcSelBar
    RGB(0x30, 0xC0, 0x30),  // tcSelBarBorder
    RGB(0x30, 0x30, 0xC0),  // tcSelItem
    RGB(0xC0, 0xC0, 0x30),  // tcSelItemBorder
    RGB(0xC0, 0x30, 0xC0),  // tcSelPushed
    RGB(0x30, 0xC0, 0xC0),  // tcSelPushedBorder
    RGB(0x60, 0x40, 0x20),  // tcSeparator
    RGB(0xE0, 0x70, 0x20),  // tcChecked
    RGB(0x20, 0xE0, 0x70),  // tcCheckedOver
    RGB(0x70, 0x20, 0xE0),  // tcDockBorderTitle
    RGB(0xE0, 0x20, 0x70),  // tcDockBorderIn
    RGB(0x70, 0xE0, 0x20),  // tcDockBorderOut
    RGB(0x20, 0x70, 0xE0),  // tcGradStart
    RGB(0xA0, 0x50, 0x00),  // tcGradEnd
    RGB(0x00, 0xA0, 0x50),  // tcPopupGradStart
    RGB(0x50, 0x00, 0xA0),  // tcPopupGradEnd
    RGB(0xA0, 0x00, 0x50),  // tcImgGradStart
    RGB(0x50, 0xA0, 0x00),  // tcImgGradEnd
    RGB(0x00, 0x50, 0xA0),  // tcMenuText
    RGB(0xF0, 0xB0, 0x90),  // tcHighlightText
    RGB(0x90, 0xF0, 0xB0),  // tcCaptionText
};

// The colour the tables expect for a slot.
inline COLORREF D(TTBSkinColorIndex slot) { return DistinctColors[slot]; }
// The same colour with every channel inverted (what a glyph XOR-ed over it shows).
inline COLORREF Inverted(TTBSkinColorIndex slot) { return DistinctColors[slot] ^ 0xFFFFFFu; }

// Turns `skin` (already of its type: a type change reloads a colour set) into a custom set
// holding the distinct colours.
inline void UseDistinctColors(TTBBaseSkin& skin) {
    skin.SetColorSet(tbcCustom);
    for (int slot = 0; slot < TTBSkinColorCount; ++slot)
        skin.Colors().SetColor(static_cast<TTBSkinColorIndex>(slot), static_cast<TColor>(DistinctColors[slot]));
}

// A white surface read back pixel by pixel.
class Canvas : public Surface {
public:
    Canvas(int width, int height) : Surface(width, height), width_(width) {}
    COLORREF At(int x, int y) const {
        const DWORD p = Pixels()[static_cast<size_t>(y * width_ + x)];
        return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
    }
    // Out of line: inlined into long test bodies, GCC 12 warns falsely about the vector it frees.
    [[gnu::noinline]] int Count(COLORREF color) const {
        const std::vector<DWORD> pixels = Pixels();
        const DWORD wanted = GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color);
        return static_cast<int>(std::count(pixels.begin(), pixels.end(), wanted));
    }

private:
    int width_;
};
