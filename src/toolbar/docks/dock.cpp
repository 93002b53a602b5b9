// The dock: its properties, its lists of windows, the arrangement in rows and its own painting.
#include "toolbar/docks/dock.h"

#include <algorithm>

#include "toolbar/base/common.h"
#include "toolbar/base/consts.h"
#include "widgets/exception.h"

TTBDockType DockTypeOf(const TTBDock* dock) {
    if (!dock) return dtNotDocked;
    return dock->Vertical() ? dtLeftRight : dtTopBottom;
}

// ---- Background ---------------------------------------------------------------------------

TTBBasicBackground::~TTBBasicBackground() = default;

void TTBBasicBackground::RegisterChanges(std::function<void()>* listener) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) listeners_.push_back(listener);
}

void TTBBasicBackground::UnregisterChanges(std::function<void()>* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void TTBBasicBackground::Changed() {
    // A listener may unregister while it is told.
    auto listeners = listeners_;
    for (auto* listener : listeners)
        if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end() && *listener) (*listener)();
}

// ---- Dock ---------------------------------------------------------------------------------

TTBDock::TTBDock(TComponent* owner) : TWinControl(owner) {
    SetDoubleBuffered(true);
    SetAlign(alTop);
    SetBounds(0, 0, 150, 0);
    backgroundListener_ = [this] { BackgroundChanged(); };
}

TTBDock::~TTBDock() {
    *alive_ = false;
    SetBackground(nullptr);
    // The windows keep no pointer to a dock that is gone.
    auto windows = dockList_;
    dockList_.clear();
    visibleList_.clear();
    for (TTBCustomDockableWindow* w : windows) w->DockDestroyed(this);
}

void TTBDock::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    // No CS_HREDRAW or CS_VREDRAW: a dock that only grows along its length repaints the new
    // part, not itself whole.
    params.WinClassName = "TTBDock";
    params.WindowClassStyle = CS_DBLCLKS;
}

void TTBDock::SetParent(TWinControl* parent) {
    for (TWinControl* p = parent; p; p = p->Parent()) {
        if (dynamic_cast<TTBDock*>(p) || dynamic_cast<TTBCustomDockableWindow*>(p))
            throw EInvalidOperation(STBDockParentNotAllowed);
    }
    TWinControl::SetParent(parent);
}

void TTBDock::SetPosition(TTBDockPosition value) {
    if (value == position_) return;
    if (ControlCount() > 0) throw EInvalidOperation(STBDockCannotChangePosition);
    position_ = value;
    static constexpr TAlign aligns[] = {alTop, alBottom, alLeft, alRight};
    SetAlign(aligns[value]);
    ArrangeToolbars();
}

void TTBDock::SetAllowDrag(bool value) {
    if (value == allowDrag_) return;
    allowDrag_ = value;
    RefreshDockedWindows(true);
    ArrangeToolbars();
}

void TTBDock::SetBoundLines(TTBDockBoundLines value) {
    if (value == boundLines_) return;
    boundLines_ = value;
    nonClientWidth_ = value.contains(blLeft) + value.contains(blRight);
    nonClientHeight_ = value.contains(blTop) + value.contains(blBottom);
    if (HandleAllocated())
        SetWindowPos(HandleOrNull(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ArrangeToolbars();
}

void TTBDock::SetBackground(TTBBasicBackground* value) {
    if (value == background_) return;
    if (background_) {
        background_->UnregisterChanges(&backgroundListener_);
        RemoveFreeNotification(background_);
    }
    background_ = value;
    if (background_) {
        background_->RegisterChanges(&backgroundListener_);
        FreeNotification(background_);
    }
    BackgroundChanged();
}

void TTBDock::SetBackgroundOnToolbars(bool value) {
    if (value == backgroundOnToolbars_) return;
    backgroundOnToolbars_ = value;
    BackgroundChanged();
}

void TTBDock::SetFixAlign(bool value) {
    if (value == fixAlign_) return;
    fixAlign_ = value;
    ArrangeToolbars();
}

void TTBDock::SetLimitToOneRow(bool value) {
    if (value == limitToOneRow_) return;
    limitToOneRow_ = value;
    ArrangeToolbars();
}

bool TTBDock::UsingBackground() const { return background_ && background_->UsingBackground(); }

int TTBDock::RowLength() const {
    RECT r = ClientRect();
    return Vertical() ? r.bottom - r.top : r.right - r.left;
}

void TTBDock::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == background_) {
        background_ = nullptr;
        BackgroundChanged();
    }
}

void TTBDock::BackgroundChanged() {
    Invalidate();
    RefreshDockedWindows(true);
}

void TTBDock::RefreshDockedWindows(bool frames) {
    for (TTBCustomDockableWindow* w : visibleList_) {
        if (!w->HandleAllocated()) continue;
        UINT flags = RDW_INVALIDATE | RDW_ERASE | (frames ? RDW_FRAME : 0);
        RedrawWindow(w->HandleOrNull(), nullptr, nullptr, flags);
    }
}

void TTBDock::Loaded() {
    TWinControl::Loaded();
    ArrangeToolbars();
}

void TTBDock::AlignControls() { ArrangeToolbars(); }

void TTBDock::BoundsChanged() {
    TWinControl::BoundsChanged();
    if (OnResize) OnResize(this);
}

// ---- The lists ----------------------------------------------------------------------------

void TTBDock::AddToDockList(TTBCustomDockableWindow* window) {
    if (std::find(dockList_.begin(), dockList_.end(), window) == dockList_.end()) dockList_.push_back(window);
}

void TTBDock::RemoveFromDockList(TTBCustomDockableWindow* window) {
    dockList_.erase(std::remove(dockList_.begin(), dockList_.end(), window), dockList_.end());
    WindowLeft(window);
}

void TTBDock::WindowLeft(TTBCustomDockableWindow* window) {
    bool wasVisible = std::find(visibleList_.begin(), visibleList_.end(), window) != visibleList_.end();
    visibleList_.erase(std::remove(visibleList_.begin(), visibleList_.end(), window), visibleList_.end());
    if (dragWindow_ == window) dragWindow_ = nullptr;
    if (wasVisible) WindowVisibilityChanged(window, false);
}

void TTBDock::WindowVisibilityChanged(TTBCustomDockableWindow* window, bool inserting) {
    ArrangeToolbars();
    if (OnInsertRemoveBar) OnInsertRemoveBar(this, inserting, window);
}

// ---- Arrangement --------------------------------------------------------------------------

void TTBDock::ArrangeToolbars() {
    if (arrangeDepth_ > 0 || Loading()) {
        arrangePending_ = true;
        return;
    }
    // A window whose size answers its grant differently each time (a chevron that comes and
    // goes) would ask for passes for ever: a few passes settle every honest window.
    constexpr int kMaxPasses = 4;
    ++arrangeDepth_;
    try {
        for (int pass = 0; pass < kMaxPasses; ++pass) {
            arrangePending_ = false;
            ArrangeOnce();
            if (!arrangePending_) break;
        }
    } catch (...) {
        --arrangeDepth_;
        arrangePending_ = false;
        throw;
    }
    --arrangeDepth_;
    arrangePending_ = false;
}

namespace {
int Along(bool vertical, SIZE s) { return vertical ? s.cy : s.cx; }
int Across(bool vertical, SIZE s) { return vertical ? s.cx : s.cy; }
}  // namespace

void TTBDock::ArrangeOnce() {
    std::vector<TTBCustomDockableWindow*> windows;
    for (TTBCustomDockableWindow* w : dockList_) {
        if (w->Visible() && w->Parent() == this && !w->destroying_) windows.push_back(w);
    }
    if (windows.empty()) {
        visibleList_.clear();
        rows_.clear();
        ResizeToThickness(fixAlign_ ? 1 : 0);
        return;
    }
    std::vector<TTBDockSlot> slots = SlotsOf(windows);
    TTBDockLayout layout = ArrangeDockSlots(slots, RowLength(), limitToOneRow_);
    RecordPlaces(windows, slots, layout);
    PlaceWindows(windows, layout);
    ResizeToThickness(layout.Thickness + (Vertical() ? nonClientWidth_ : nonClientHeight_));
}

std::vector<TTBDockSlot> TTBDock::SlotsOf(const std::vector<TTBCustomDockableWindow*>& windows) {
    const bool vertical = Vertical();
    const TTBDockType type = DockTypeOf(this);
    std::vector<TTBDockSlot> slots;
    for (TTBCustomDockableWindow* w : windows) {
        SIZE base = w->CalcSize(false, type, this);
        SIZE nc = w->GetNCSizes(this);
        TTBDockSlot s;
        s.Row = limitToOneRow_ ? 0 : w->dockRow_;
        s.Pos = w->dockPos_;
        s.Length = Along(vertical, base) + Along(vertical, nc);
        s.Shrink = w->GetShrinkMode();
        s.MinLength = s.Shrink == tbsmNone ? s.Length : std::min(w->GetMinShrinkSize(), s.Length);
        s.Cross = Across(vertical, base) + Across(vertical, nc);
        s.FullSize = w->fullSize_;
        s.Stretch = w->stretch_;
        s.OwnRow = w == dragWindow_ && dragSplitting_;
        slots.push_back(s);
    }
    return slots;
}

// Grants, committed rows and positions, and the lists in arranged order.
void TTBDock::RecordPlaces(const std::vector<TTBCustomDockableWindow*>& windows,
                           const std::vector<TTBDockSlot>& slots, const TTBDockLayout& layout) {
    for (size_t i = 0; i < windows.size(); ++i) {
        TTBCustomDockableWindow* w = windows[i];
        const TTBDockPlace& place = layout.Places[i];
        if (w->grantedLength_ != place.Granted) {
            w->grantedLength_ = place.Granted;
            // Its size for this dock follows its grant (a chevron, more lines): ask again.
            if (slots[i].Shrink != tbsmNone) arrangePending_ = true;
        }
        if (commitNewPositions_) {
            w->dockRow_ = place.Row;
            w->dockPos_ = place.Pos;
        }
    }
    std::vector<size_t> order(windows.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const TTBDockPlace &pa = layout.Places[a], &pb = layout.Places[b];
        return pa.Row != pb.Row ? pa.Row < pb.Row : pa.Pos < pb.Pos;
    });
    std::vector<TTBCustomDockableWindow*> arranged;
    for (size_t i : order) arranged.push_back(windows[i]);
    if (commitNewPositions_) {
        // The dock list takes the arranged order; hidden windows keep their places after it.
        std::vector<TTBCustomDockableWindow*> sorted = arranged;
        for (TTBCustomDockableWindow* w : dockList_)
            if (std::find(sorted.begin(), sorted.end(), w) == sorted.end()) sorted.push_back(w);
        dockList_ = std::move(sorted);
    }
    visibleList_ = std::move(arranged);
    rows_ = layout.Rows;
}

// Each window at its position and row, as long as it is granted and as thick as its row.
void TTBDock::PlaceWindows(const std::vector<TTBCustomDockableWindow*>& windows, const TTBDockLayout& layout) {
    const bool vertical = Vertical();
    for (size_t i = 0; i < windows.size(); ++i) {
        TTBCustomDockableWindow* w = windows[i];
        const TTBDockPlace& place = layout.Places[i];
        const TTBDockRow& row = layout.Rows[place.Row];
        w->rowSize_ = row.Thickness - Across(vertical, w->GetNCSizes(this));
        RECT r = vertical ? RECT{row.Offset, place.Pos, row.Offset + row.Thickness, place.Pos + place.Length}
                          : RECT{place.Pos, row.Offset, place.Pos + place.Length, row.Offset + row.Thickness};
        int width = r.right - r.left, height = r.bottom - r.top;
        w->AnnounceSize(width, height, DockTypeOf(this));
        w->SetBounds(r.left, r.top, width, height);
    }
}

// The whole thickness, bound lines included: an empty dock has none, lines or not.
void TTBDock::ResizeToThickness(int thickness) {
    RECT bounds = BoundsRect();
    if (Vertical()) {
        int width = thickness;
        int left = position_ == dpRight ? bounds.right - width : bounds.left;
        SetBounds(left, bounds.top, width, Height());
    } else {
        int height = thickness;
        int top = position_ == dpBottom ? bounds.bottom - height : bounds.top;
        SetBounds(bounds.left, top, Width(), height);
    }
}

// ---- Messages and painting ----------------------------------------------------------------

bool TTBDock::CalcNonClientSize(RECT& rect) {
    rect.left += boundLines_.contains(blLeft);
    rect.top += boundLines_.contains(blTop);
    rect.right -= boundLines_.contains(blRight);
    rect.bottom -= boundLines_.contains(blBottom);
    if (rect.right < rect.left) rect.right = rect.left;
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    return true;
}

bool TTBDock::PaintNonClient(HRGN update) {
    if (boundLines_.empty()) return true;
    WindowFrameDC dc(HandleOrNull(), update);
    if (!dc) return true;
    GuardedCall([&] { DockPainter().PaintDockFrame(*this, dc.get(), RECT{0, 0, Width(), Height()}); });
    return true;
}

void TTBDock::PaintWindow(TCanvas& canvas) {
    DockPainter().PaintDockBackground(*this, canvas.Handle(), ClientRect());
}

bool TTBDock::OfferToDockedWindows(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Docked windows that take menu events answer non-zero to the message sent to them.
    auto windows = dockList_;
    for (TTBCustomDockableWindow* w : windows) {
        if (!w->HandleAllocated() || w->Parent() != this || !w->TakesMenuEvents()) continue;
        if (SendMessageA(w->HandleOrNull(), msg, wParam, lParam)) return true;
    }
    return false;
}

LRESULT TTBDock::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SYSCOLORCHANGE:
        ApplySystemColorsToSkins();
        Invalidate();
        RefreshDockedWindows(true);
        break;
    case WM_PRINT:
        return PrintWindowParts(HandleOrNull(), reinterpret_cast<HDC>(wParam), lParam, [this](HWND, HDC dc) {
            if (!boundLines_.empty()) DockPainter().PaintDockFrame(*this, dc, RECT{0, 0, Width(), Height()});
        });
    case WM_SYSCOMMAND:
        if (OfferToDockedWindows(msg, wParam, lParam)) return 0;
        break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}
