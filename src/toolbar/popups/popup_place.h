#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "toolbar/base/anim.h"

// Where a popup menu stands relative to the point it opens at.
enum TPopupAlignment : uint8_t { paLeft, paRight, paCenter };

// What opened the popup, as far as its place is concerned.
enum TTBPopupOrigin : uint8_t {
    poPoint,        // a popup menu at a screen point, no item
    poSideSubmenu,  // a submenu beside the menu item that opened it
    poChevron,      // a toolbar's chevron list
    poVerticalBar,  // a drop-down of a vertical bar: beside the button
    poDropDown      // a drop-down of a horizontal bar: below the button
};

// Everything the placement reads; screen coordinates.
struct TPopupPlaceInput {
    TTBPopupOrigin Origin = poDropDown;
    SIZE Size{};                       // the popup window's width and height
    RECT Item{};                       // the opener; for poPoint the point as an empty rectangle
    TPopupAlignment Alignment = paLeft;  // poPoint
    RECT WorkArea{};
    int Border = 3;                    // the popup's frame width
    bool ParentOpenedLeft = false;     // poSideSubmenu: the parent menu went left, so this one prefers to
    bool MenusAlignRight = false;      // poDropDown: the system aligns menus to the right of their button
    bool VerticalBar = false;          // poChevron: the chevron sits on a vertical bar
    std::vector<RECT> BarItems;        // the shown items of the bar that opened it
    POINT Offset{};                    // the skin's shift of popups opened from a view
    bool OverlapButton = false;        // Office-XP skin: the popup overlaps its bar button by 2 pixels
};

struct TPopupPlacement {
    POINT Position{};
    bool OpenedUp = false;    // above its item (the flip of a popup that did not fit below)
    bool OpenedLeft = false;  // left of its item: a side submenu, or beside a vertical bar
    TTBAnimationDirection Directions = 0;  // the open direction: the edges the content enters from
};

// The popup's top-left corner: the first position for its origin, fitted into the work area
// (flipped above, to the left, or clamped), kept off the bar's items, then shifted.
TPopupPlacement PlacePopup(const TPopupPlaceInput& in);
