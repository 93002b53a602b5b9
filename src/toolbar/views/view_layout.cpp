// Layout of a view: which viewers show, their sizes, the chevron cut-off, line wrapping and
// placement. Works on a copy of the viewers' flags and rectangles; only a pass that may move
// controls writes them back.
#include <algorithm>

#include "toolbar/views/accessible.h"
#include "toolbar/views/view.h"
#include "widgets/handles.h"

namespace {

// Rectangles are computed along and across the bar, so one placement serves both
// orientations: in a vertical view "along" is y.
struct TSlot {
    TTBItemViewer* viewer;
    bool show = false;
    bool offEdge = false;
    bool lineSep = false;
    bool clipped = false;  // scrolled out of a popup's visible band
    bool separator = false;
    bool control = false;
    bool sideBySide = false;  // placed along the line, else stacked below
    int along = 0, across = 0;  // size
    RECT rect{};                // along/across coordinates until the end
};

RECT Transposed(const RECT& r) { return RECT{r.top, r.left, r.bottom, r.right}; }

TControl* ControlOf(const TTBItemViewer* viewer) {
    auto* item = dynamic_cast<TTBControlItem*>(viewer->Item());
    return item ? item->Control() : nullptr;
}

// Separators that would show next to each other, or before any shown item, take no space.
void HideLoneSeparators(std::vector<TSlot>& slots) {
    bool anyShown = false, lastWasSeparator = false;
    for (TSlot& s : slots) {
        if (!s.show) continue;
        if (s.separator) {
            if (!anyShown || lastWasSeparator) {
                s.show = false;
                continue;
            }
            lastWasSeparator = true;
        } else {
            lastWasSeparator = false;
        }
        anyShown = true;
    }
}

int HideTrailingSeparators(std::vector<TSlot>& slots) {
    int freed = 0;
    for (auto it = slots.rbegin(); it != slots.rend(); ++it) {
        if (!it->show) continue;
        if (!it->separator) break;
        it->show = false;
        freed += it->along;
    }
    return freed;
}

int ShownLength(const std::vector<TSlot>& slots) {
    int total = 0;
    for (const TSlot& s : slots)
        if (s.show) total += s.along;
    return total;
}

}  // namespace

TTBLayoutResult TTBView::CalculatePositions(bool canMoveControls, TTBViewOrientation orientation, int wrapOffset,
                                           int chevronLimit, int chevronWidth) {
    TTBLayoutResult result;
    TTBViewOrientation savedOrientation = orientation_;
    orientation_ = orientation;
    struct Restore {
        TTBView* view;
        TTBViewOrientation o;
        ~Restore() { view->orientation_ = o; }
    } restore{this, savedOrientation};
    const bool vertical = orientation == voVertical;

    TTBCustomItem* chevronItem = GetChevronItem();
    TTBItemViewer* chevronViewer = chevronItem ? Find(chevronItem) : nullptr;

    // 1. Which viewers show.
    std::vector<TSlot> slots;
    slots.reserve(viewers_.size());
    for (auto& owned : viewers_) {
        TTBItemViewer* v = owned.get();
        if (v == chevronViewer) continue;
        TSlot s{v};
        TTBCustomItem* item = v->Item();
        s.separator = v->IsSeparator();
        s.control = v->IsControlItem();
        bool considered = true;
        if (chevronParentView_) {
            TTBItemViewer* counterpart = chevronParentView_->Find(item);
            considered = counterpart && (counterpart->OffEdge || counterpart->IsSeparator()) && !s.control;
        }
        if (!considered) {
            s.show = false;
        } else if (s.control) {
            TControl* control = ControlOf(v);
            s.show = control && control->Parent() == window_ && control->Visible();
        } else if (item->ItemStyle() & isfEmbeddedGroup) {
            s.show = customizing_;
        } else {
            s.show = item->Visible();
        }
        slots.push_back(s);
    }
    HideLoneSeparators(slots);
    HideTrailingSeparators(slots);

    // 2. Sizes, measured with the view's font on a screen canvas.
    {
        WindowDC screen(nullptr);
        TCanvas canvas(screen.get());
        for (TSlot& s : slots) {
            if (!s.show) continue;
            int w = 0, h = 0;
            if (s.control) {
                TControl* control = ControlOf(s.viewer);
                w = control->Width();
                h = control->Height();
            } else if (s.viewer->Item()->NeedsNewViewer(s.viewer)) {
                std::unique_ptr<TTBItemViewer> fresh = CreateViewer(s.viewer->Item());
                fresh->CalcSize(canvas, w, h);
                if (canMoveControls) {
                    TTBItemViewer* old = s.viewer;
                    s.viewer = fresh.get();
                    ReplaceViewer(IndexOf(old), std::move(fresh));
                }
            } else {
                s.viewer->CalcSize(canvas, w, h);
            }
            s.along = vertical ? h : w;
            s.across = vertical ? w : h;
            s.sideBySide = vertical || s.viewer->IsToolbarSize();
        }
    }
    int total = ShownLength(slots);

    // 3. The chevron cut-off. One item always stays, not two: the dock may grant as little as
    // the first item plus the chevron, and a second item kept would then reach past the length
    // granted, over the chevron.
    bool chevronNeeded = chevronItem && chevronLimit > 0 && chevronLimit < total;
    bool chevronHasItems = false;
    if (chevronNeeded) {
        const int available = chevronLimit - chevronWidth;
        auto shownNonSeparators = [&] {
            return std::count_if(slots.begin(), slots.end(), [](const TSlot& s) { return s.show && !s.separator; });
        };
        while (total > available && shownNonSeparators() >= 2) {
            auto last = std::find_if(slots.rbegin(), slots.rend(), [](const TSlot& s) { return s.show; });
            if (last->separator) {
                last->show = false;
                total -= last->along;
                continue;
            }
            TSlot* victim = nullptr;
            for (auto it = priorityList_.rbegin(); usePriorityList_ && it != priorityList_.rend() && !victim; ++it)
                for (TSlot& s : slots)
                    if (s.viewer == *it && s.show && !s.separator) victim = &s;
            if (!victim)
                for (auto it = slots.rbegin(); it != slots.rend() && !victim; ++it)
                    if (it->show && !it->separator) victim = &*it;
            victim->show = false;
            victim->offEdge = true;
            if (!victim->control) chevronHasItems = true;
            total -= victim->along;
            std::vector<TSlot> before = slots;
            HideLoneSeparators(slots);
            for (size_t i = 0; i < slots.size(); ++i)
                if (before[i].show && !slots[i].show) total -= slots[i].along;
        }
        total -= HideTrailingSeparators(slots);
    }

    // 4. The base size: the thickest item.
    for (const TSlot& s : slots)
        if (s.show) {
            (vertical ? result.BaseSize.x : result.BaseSize.y) = std::max<LONG>(vertical ? result.BaseSize.x : result.BaseSize.y, s.across);
            (vertical ? result.BaseSize.y : result.BaseSize.x) = std::max<LONG>(vertical ? result.BaseSize.y : result.BaseSize.x, s.along);
        }

    // 5. Margins.
    RECT margins = GetMargins(orientation);
    if (vertical) margins = Transposed(margins);
    if (wrapOffset > 0) wrapOffset = std::max(1, wrapOffset - static_cast<int>(margins.right));

    // 6 and 7. Placement in lines.
    struct TLine {
        std::vector<TSlot*> slots;
    } line;
    int posA = margins.left, posC = margins.top;
    int lineStartC = margins.top;
    int extentA = margins.left, extentC = margins.top;  // of everything placed so far
    bool anyWrap = false, wrappedInGroup = false;
    bool previousToolbarSize = isToolbar_;
    std::vector<TSlot*> lineSeparators;

    auto finishLine = [&](bool lastLine) {
        if (line.slots.empty()) return;
        int lineCross = 0, lineRight = 0;
        for (TSlot* s : line.slots) {
            lineCross = std::max<int>(lineCross, s->rect.bottom - s->rect.top);
            lineRight = std::max<int>(lineRight, s->rect.right);
        }
        if (isToolbar_ && lastLine && !anyWrap && orientation != voFloating)
            lineCross = std::max<int>(lineCross, vertical ? result.BaseSize.x : result.BaseSize.y);
        for (TSlot* s : line.slots) {
            if (isToolbar_) {
                int height = s->rect.bottom - s->rect.top;
                if (s->separator) {
                    s->rect.top = lineStartC;
                    s->rect.bottom = lineStartC + lineCross;
                } else {
                    OffsetRect(&s->rect, 0, (lineCross - height) / 2);
                }
            } else if (!s->viewer->IsToolbarSize()) {
                s->rect.right = lineRight;
            }
        }
        int lineEnd = 0;
        for (TSlot* s : line.slots) lineEnd = std::max<int>(lineEnd, s->rect.right);
        auto firstRight = std::find_if(line.slots.begin(), line.slots.end(),
                                       [](TSlot* s) { return (s->viewer->Item()->ItemStyle() & isfRightAlign) != 0; });
        if (firstRight != line.slots.end()) {
            int shift = std::max(wrapOffset, extentA) - lineEnd;
            if (shift > 0)
                for (auto it = firstRight; it != line.slots.end(); ++it) OffsetRect(&(*it)->rect, shift, 0);
        }
        for (TSlot* s : line.slots) {
            extentA = std::max<int>(extentA, s->rect.right);
            extentC = std::max<int>(extentC, s->rect.bottom);
        }
        line.slots.clear();
    };
    auto followingGroupEnd = [&](size_t index) {
        int end = posA + slots[index].along;
        for (size_t j = index + 1; j < slots.size(); ++j) {
            if (!slots[j].show) continue;
            if (slots[j].separator) break;
            end += slots[j].along;
        }
        return end;
    };
    auto nextLine = [&]() {
        finishLine(false);
        ++result.Lines;
        anyWrap = true;
        posA = margins.left;
        posC = lineStartC = extentC;
    };

    for (size_t i = 0; i < slots.size(); ++i) {
        TSlot& s = slots[i];
        if (!s.show) continue;
        if (!s.sideBySide && previousToolbarSize) {
            // A menu row after buttons starts below everything placed so far.
            finishLine(false);
            posA = margins.left;
            posC = lineStartC = std::max(extentC, posC);
        }
        if (s.sideBySide && wrapOffset > 0 && posA > margins.left) {
            if (s.separator) {
                bool mayBreak = !(s.viewer->Item()->ItemStyle() & isfNoLineBreak);
                if (mayBreak && (wrappedInGroup || followingGroupEnd(i) > wrapOffset)) {
                    nextLine();
                    s.lineSep = true;
                    s.rect = RECT{posA, posC, posA, posC + 6};
                    lineSeparators.push_back(&s);
                    posC += 6;
                    lineStartC = extentC = posC;
                    wrappedInGroup = false;
                    previousToolbarSize = true;
                    continue;
                }
                wrappedInGroup = false;
            } else if (posA + s.along > wrapOffset) {
                nextLine();
                wrappedInGroup = true;
            }
        } else if (s.separator) {
            wrappedInGroup = false;
        }
        s.rect = RECT{std::max(posA, 0), std::max(posC, 0), std::max(posA, 0) + s.along, std::max(posC, 0) + s.across};
        line.slots.push_back(&s);
        if (s.sideBySide) {
            posA += s.along;
        } else {
            posC += s.across;
        }
        previousToolbarSize = s.sideBySide;
    }
    finishLine(true);
    if (anyWrap) extentA = std::max(extentA, wrapOffset);
    int totalA = extentA + margins.right;
    int totalC = extentC + margins.bottom;

    // 9. Line-break separators stretch across the whole bar.
    if (isToolbar_)
        for (TSlot* s : lineSeparators) {
            s->rect.left = 0;
            s->rect.right = totalA;
        }

    // 10. The chevron sits at the end of the length the bar was given.
    RECT chevronRect{};
    if (chevronNeeded) {
        int left = std::max(chevronLimit - chevronWidth, extentA);
        chevronRect = RECT{left, 0, left + chevronWidth, totalC};
        totalA = std::max(totalA, left + chevronWidth);
    }

    // 8. Back to x and y; a vertical bar's first column is its rightmost.
    for (TSlot& s : slots) {
        if (!s.show) continue;
        if (vertical) {
            s.rect = Transposed(s.rect);
            int width = s.rect.right - s.rect.left;
            s.rect.left = totalC - s.rect.right;
            s.rect.right = s.rect.left + width;
        }
    }
    if (vertical) chevronRect = Transposed(chevronRect);
    result.TotalSize = vertical ? POINT{totalC, totalA} : POINT{totalA, totalC};

    // Popups then scroll.
    if (!isToolbar_) {
        std::vector<TTBLayoutPlace> places;
        places.reserve(slots.size());
        for (const TSlot& s : slots) places.push_back(TTBLayoutPlace{s.viewer, s.rect, s.show, false});
        ApplyScrolling(places, result.TotalSize);
        for (size_t i = 0; i < slots.size(); ++i) {
            slots[i].rect = places[i].Rect;
            slots[i].show = places[i].Show;
            slots[i].clipped = places[i].Clipped;
        }
    }

    if (canMoveControls) {
        for (TSlot& s : slots) {
            TControl* control = s.control ? ControlOf(s.viewer) : nullptr;
            if (!control) continue;
            auto* item = static_cast<TTBControlItem*>(s.viewer->Item());
            if (s.show) {
                RECT r = s.rect, bounds = control->BoundsRect();
                if (!EqualRect(&r, &bounds))
                    control->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
                item->SetControlReachable(true);
            } else if (s.offEdge || s.clipped) {
                RECT client = window_ ? window_->ClientRect() : RECT{};
                control->SetBounds(client.right, client.bottom, control->Width(), control->Height());
                item->SetControlReachable(false);
            }
        }
        if (chevronItem) chevronItem->SetEnabled(chevronHasItems);
        auto store = [&](TTBItemViewer* v, bool show, bool offEdge, bool lineSep, bool clipped, const RECT& r) {
            RECT bounds = show ? r : RECT{};
            if (v->Show != show || v->OffEdge != offEdge || v->IsLineSep != lineSep || v->Clipped != clipped ||
                !EqualRect(&v->BoundsRect, &bounds))
                result.Changed = true;
            v->Show = show;
            v->OffEdge = offEdge;
            v->IsLineSep = lineSep;
            v->Clipped = clipped;
            v->BoundsRect = bounds;
        };
        for (TSlot& s : slots) store(s.viewer, s.show, s.offEdge, s.lineSep, s.clipped, s.rect);
        if (chevronViewer) store(chevronViewer, chevronNeeded, false, false, false, chevronRect);
    }

    // 12. An empty bar keeps a clickable size.
    if (result.BaseSize.x == 0 || result.BaseSize.y == 0) {
        result.BaseSize = POINT{23, 22};
        result.TotalSize.x = std::max<LONG>(result.TotalSize.x, 23);
        result.TotalSize.y = std::max<LONG>(result.TotalSize.y, 22);
    }
    return result;
}

POINT TTBView::UpdatePositions() {
    const TTBShownSnapshot shownBefore = TakeShownSnapshot(*this);
    TTBLayoutResult layout = CalculatePositions(true, orientation_, wrapOffset_, chevronLimit_, chevronWidth_);
    validPositions_ = true;
    baseSize_ = layout.BaseSize;
    SetSize(layout.TotalSize.x, layout.TotalSize.y);
    if (layout.Changed) {
        PaintAfterLayout();
        AnnounceLayoutChange(*this, shownBefore);
    }
    return layout.TotalSize;
}

void TTBView::ValidatePositions() {
    if (!validPositions_) UpdatePositions();
}

void TTBView::InvalidatePositions() {
    if (!validPositions_) return;
    validPositions_ = false;
    if (window_ && window_->HandleAllocated()) InvalidateRect(window_->HandleOrNull(), nullptr, FALSE);
}

// Shows the new layout in one copy, so that nothing flickers.
void TTBView::PaintAfterLayout() {
    if (!window_ || !window_->HandleAllocated()) return;
    HWND hwnd = window_->HandleOrNull();
    RECT client;
    GetClientRect(hwnd, &client);
    if (!IsWindowVisible(hwnd) || IsRectEmpty(&client)) return;
    ValidateRect(hwnd, nullptr);
    WindowDC dc(hwnd);
    MemoryDC memory(dc.get());
    BitmapHandle bitmap(CreateCompatibleBitmap(dc.get(), client.right, client.bottom));
    {
        ScopedSelect select(memory.get(), bitmap.get());
        window_->PaintClient(memory.get());
        BitBlt(dc.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    }
    ValidateRect(hwnd, nullptr);
}
