#pragma once
#include <vector>

// Scrolling of a popup taller than its MaxHeight: pure computation over the rows' vertical
// extents in the popup's client area, before scrolling.

constexpr int PopupScrollArrowHeight = 19;

struct TPopupSpan {
    int Top = 0;
    int Bottom = 0;
};

struct TPopupScroll {
    int Offset = 0;            // how far the rows moved up
    bool TopArrow = false;
    bool BottomArrow = false;
    int Height = 0;            // the client height shown
    std::vector<bool> Clipped;  // per span: it reaches into a shown arrow's band and is hidden
};

// `maxHeight` 0 (a chevron's list) never scrolls. The offset is clamped to what there is to show.
TPopupScroll ScrollPopup(const std::vector<TPopupSpan>& spans, int totalHeight, int maxHeight, int offset);
// The offset one tick of an arrow asks for: the nearest partly hidden row below ends just above
// the bottom arrow (or the one above starts just below the top arrow). The present offset when
// no such row is left.
int NextScrollOffset(const std::vector<TPopupSpan>& spans, const TPopupScroll& present, int maxHeight, bool down);
// The offset that brings a row between the arrows: its top below the top arrow when it is cut
// off there, else its bottom above the bottom arrow.
int OffsetShowing(const TPopupSpan& span, const TPopupScroll& present, int maxHeight);
