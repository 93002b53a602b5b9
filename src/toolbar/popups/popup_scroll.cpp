#include "toolbar/popups/popup_scroll.h"

#include <algorithm>
#include <climits>

TPopupScroll ScrollPopup(const std::vector<TPopupSpan>& spans, int totalHeight, int maxHeight, int offset) {
    TPopupScroll s;
    s.Height = totalHeight;
    s.Clipped.assign(spans.size(), false);
    if (maxHeight <= 0 || totalHeight <= maxHeight) return s;
    const int maxOffset = totalHeight - maxHeight;
    s.Offset = std::clamp(offset, 0, maxOffset);
    s.TopArrow = s.Offset > 0;
    s.BottomArrow = s.Offset < maxOffset;
    s.Height = maxHeight;
    for (size_t i = 0; i < spans.size(); ++i) {
        const int top = spans[i].Top - s.Offset, bottom = spans[i].Bottom - s.Offset;
        s.Clipped[i] = (s.TopArrow && top < PopupScrollArrowHeight) ||
                       (s.BottomArrow && bottom > maxHeight - PopupScrollArrowHeight);
    }
    return s;
}

int NextScrollOffset(const std::vector<TPopupSpan>& spans, const TPopupScroll& present, int maxHeight, bool down) {
    const int bandTop = present.Offset + PopupScrollArrowHeight;
    const int bandBottom = present.Offset + maxHeight - PopupScrollArrowHeight;
    int target = present.Offset;
    int nearest = down ? INT_MAX : INT_MIN;
    for (size_t i = 0; i < spans.size() && i < present.Clipped.size(); ++i) {
        if (!present.Clipped[i]) continue;
        const TPopupSpan& s = spans[i];
        if (down && present.BottomArrow && s.Bottom > bandBottom && s.Top < nearest) {
            nearest = s.Top;
            target = s.Bottom - (maxHeight - PopupScrollArrowHeight);
        } else if (!down && present.TopArrow && s.Top < bandTop && s.Bottom > nearest) {
            nearest = s.Bottom;
            target = s.Top - PopupScrollArrowHeight;
        }
    }
    return target;
}

int OffsetShowing(const TPopupSpan& span, const TPopupScroll& present, int maxHeight) {
    if (present.TopArrow && span.Top - present.Offset < PopupScrollArrowHeight) return span.Top - PopupScrollArrowHeight;
    return span.Bottom - (maxHeight - PopupScrollArrowHeight);
}
