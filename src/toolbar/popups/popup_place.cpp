// Where a popup window goes: pure computation over the opener's rectangle, the work area and
// the bar's items.
#include "toolbar/popups/popup_place.h"

#include <algorithm>

namespace {

RECT PopupAt(POINT p, SIZE size) { return RECT{p.x, p.y, p.x + size.cx, p.y + size.cy}; }

bool Overlaps(const RECT& a, const RECT& b) {
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

int CoveredItems(const RECT& popup, const std::vector<RECT>& items) {
    return static_cast<int>(std::count_if(items.begin(), items.end(), [&](const RECT& r) { return Overlaps(popup, r); }));
}

// Inside the work area along one axis, the near edge winning when the popup is too long.
int ClampInto(int pos, int length, int low, int high) { return std::max(std::min(pos, high - length), low); }

bool BesideVerticalBar(const TPopupPlaceInput& in) {
    return in.Origin == poVerticalBar || (in.Origin == poChevron && in.VerticalBar);
}

bool BelowHorizontalBar(const TPopupPlaceInput& in) {
    return in.Origin == poDropDown || (in.Origin == poChevron && !in.VerticalBar);
}

POINT FirstPosition(const TPopupPlaceInput& in) {
    const RECT& item = in.Item;
    const LONG w = in.Size.cx;
    switch (in.Origin) {
    case poPoint: {
        LONG x = item.left;
        if (in.Alignment == paRight) x -= w;
        if (in.Alignment == paCenter) x -= w / 2;
        return POINT{x, item.top};
    }
    case poSideSubmenu: return POINT{item.right - in.Border, item.top - in.Border};
    case poChevron: return in.VerticalBar ? POINT{item.left - w, item.top} : POINT{item.right - w, item.bottom};
    case poVerticalBar: return POINT{item.left - w, item.top};
    case poDropDown: return POINT{in.MenusAlignRight ? item.right - w : item.left, item.bottom};
    }
    return POINT{item.left, item.bottom};
}

// Below the work area: above the item when that fits. The top stays inside a work area that is
// shorter than the popup.
void FitVertically(const TPopupPlaceInput& in, TPopupPlacement& out) {
    const RECT& wa = in.WorkArea;
    const LONG h = in.Size.cy;
    LONG& y = out.Position.y;
    if (!BesideVerticalBar(in) && y + h > wa.bottom) {
        LONG above = (in.Origin == poSideSubmenu ? in.Item.bottom + in.Border : in.Item.top) - h;
        if (above >= wa.top) {
            y = above;
            out.OpenedUp = true;
        }
    }
    y = ClampInto(y, h, wa.top, wa.bottom);
}

void FitSideSubmenu(const TPopupPlaceInput& in, TPopupPlacement& out) {
    const RECT& wa = in.WorkArea;
    const LONG w = in.Size.cx;
    LONG& x = out.Position.x;
    if (x + w > wa.right || in.ParentOpenedLeft) {
        LONG left = in.Item.left + in.Border - w;
        if (left >= wa.left) {
            x = left;
            out.OpenedLeft = true;
        }
    }
    // Too wide for either side: it covers its parent rather than leave the screen.
    if (!out.OpenedLeft && x + w > wa.right) x = wa.right - w;
    x = std::max(x, wa.left);
}

void FitDropDownHorizontally(const TPopupPlaceInput& in, TPopupPlacement& out) {
    const RECT& wa = in.WorkArea;
    LONG& x = out.Position.x;
    if (x + in.Size.cx > wa.right)
        x = (in.Origin == poPoint && in.Alignment == paLeft) ? x - in.Size.cx : wa.right - in.Size.cx;
    x = std::max(x, wa.left);
}

// Beside a vertical bar: the right side when it hides fewer of the bar's items or the left one
// would hide the button itself; a popup that still hides the button goes below or above it.
void KeepOffVerticalBar(const TPopupPlaceInput& in, TPopupPlacement& out) {
    const RECT& wa = in.WorkArea;
    const RECT& item = in.Item;
    POINT right{ClampInto(item.right, in.Size.cx, wa.left, wa.right), out.Position.y};
    RECT present = PopupAt(out.Position, in.Size);
    if (CoveredItems(PopupAt(right, in.Size), in.BarItems) < CoveredItems(present, in.BarItems) || Overlaps(present, item))
        out.Position = right;
    out.OpenedLeft = out.Position.x + in.Size.cx <= item.left;
    if (!Overlaps(PopupAt(out.Position, in.Size), item)) return;
    const LONG h = in.Size.cy;
    if (item.bottom + h <= wa.bottom || wa.bottom - item.bottom >= item.top - wa.top) {
        out.Position.y = ClampInto(item.bottom, h, wa.top, wa.bottom);
    } else {
        out.Position.y = ClampInto(item.top - h, h, wa.top, wa.bottom);
        out.OpenedUp = out.Position.y + h <= item.top;
    }
}

// Below a horizontal bar: above the button when that hides fewer of the bar's items (a wrapped
// bar's next line) or frees the button that the present place hides; one that still hides the
// button moves beside it.
void KeepOffHorizontalBar(const TPopupPlaceInput& in, TPopupPlacement& out) {
    const RECT& wa = in.WorkArea;
    const RECT& item = in.Item;
    POINT above{out.Position.x, ClampInto(item.top - in.Size.cy, in.Size.cy, wa.top, wa.bottom)};
    const RECT present = PopupAt(out.Position, in.Size), abovePlace = PopupAt(above, in.Size);
    if (!out.OpenedUp && (CoveredItems(abovePlace, in.BarItems) < CoveredItems(present, in.BarItems) ||
                          (Overlaps(present, item) && !Overlaps(abovePlace, item)))) {
        out.Position = above;
        out.OpenedUp = above.y + in.Size.cy <= item.top;
    }
    if (!Overlaps(PopupAt(out.Position, in.Size), item)) return;
    const LONG w = in.Size.cx;
    if (item.left - w >= wa.left) {
        out.Position.x = item.left - w;
        out.OpenedLeft = true;
    } else {
        out.Position.x = ClampInto(item.right, w, wa.left, wa.right);
    }
}

TTBAnimationDirection OpenDirections(const TPopupPlaceInput& in, POINT p) {
    const RECT popup = PopupAt(p, in.Size);
    const RECT& item = in.Item;
    if (in.Origin == poSideSubmenu)
        return popup.left + popup.right < item.left + item.right ? tbadFromRight : tbadFromLeft;
    TTBAnimationDirection d = 0;
    if (popup.top >= item.bottom) d |= tbadFromTop;
    if (popup.bottom <= item.top) d |= tbadFromBottom;
    if (popup.left >= item.right) d |= tbadFromLeft;
    if (popup.right <= item.left) d |= tbadFromRight;
    return d;
}

void Shift(const TPopupPlaceInput& in, TPopupPlacement& out) {
    out.Position.x += in.Offset.x;
    out.Position.y += in.Offset.y;
    if (!in.OverlapButton) return;
    if (BelowHorizontalBar(in))
        out.Position.y += out.OpenedUp ? 2 : -2;
    else if (BesideVerticalBar(in))
        out.Position.x += out.OpenedLeft ? 2 : -2;
}

}  // namespace

TPopupPlacement PlacePopup(const TPopupPlaceInput& in) {
    TPopupPlacement out;
    out.Position = FirstPosition(in);
    FitVertically(in, out);
    if (in.Origin == poSideSubmenu) {
        FitSideSubmenu(in, out);
    } else {
        FitDropDownHorizontally(in, out);
        if (BesideVerticalBar(in))
            KeepOffVerticalBar(in, out);
        else if (BelowHorizontalBar(in))
            KeepOffHorizontalBar(in, out);
    }
    // The direction is read before the skin's shifts of a few pixels. Read after them, an
    // Office-XP drop-down or chevron list, which overlaps its button by 2 pixels, would have no
    // direction and never slide, although the user asked the system for animated menus and the
    // other popups of the same bar slide.
    out.Directions = OpenDirections(in, out.Position);
    Shift(in, out);
    return out;
}
