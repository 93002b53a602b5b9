// The hot viewer of a view, the keyboard's order of selectable viewers, and the views' timers.
#include <algorithm>
#include <memory>

#include "toolbar/base/common.h"
#include "toolbar/views/accessible.h"
#include "toolbar/views/view.h"
#include "widgets/message_window.h"

namespace {

// Every view's timers live on one hidden window; a timer's id names the view's slot and the
// kind, so that a view's open and close timers never share an id.
struct TTimerRegistry {
    std::vector<TTBView*> slots;
    std::unique_ptr<TMessageWindow> window;
};

TTimerRegistry& Timers() {
    static TTimerRegistry registry;
    return registry;
}

constexpr int kTimerKinds = 4;

UINT_PTR TimerId(int slot, TTBViewTimer kind) { return static_cast<UINT_PTR>(slot * kTimerKinds + kind + 1); }

bool TimerMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg != WM_TIMER) return false;
    result = 0;
    int index = static_cast<int>(wParam) - 1;
    auto& slots = Timers().slots;
    int slot = index / kTimerKinds;
    if (index < 0 || slot >= static_cast<int>(slots.size()) || !slots[slot]) return true;
    TTBView* view = slots[slot];
    GuardedCall([&] { view->TimerFired(static_cast<TTBViewTimer>(index % kTimerKinds)); });
    return true;
}

HWND TimerWindow() {
    auto& registry = Timers();
    if (!registry.window) registry.window = std::make_unique<TMessageWindow>(TimerMessage);
    return registry.window->Handle();
}

}  // namespace

std::function<int()>& MenuDelaySeam() {
    static std::function<int()> delay = [] { return GetMenuShowDelay(); };
    return delay;
}

// --- selection ------------------------------------------------------------------------------

bool TTBView::Select(TTBItemViewer* viewer) {
    TTBItemViewer* const wanted = viewer;
    TTBItemViewer* old = selected_;
    const bool changed = viewer != old;
    std::shared_ptr<const bool> alive = alive_;
    if (changed) {
        if (capture_) {
            capture_ = false;
            if (old) old->LosingCapture();
        }
        if (old && !LeaveSelection(old, viewer)) return false;
        selected_ = viewer;
    }
    bool inside = false;
    if (selected_ && window_ && window_->HandleAllocated()) {
        DWORD pos = GetMessagePos();
        POINT screen{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
        if (WindowFromPoint(screen) == window_->HandleOrNull()) {
            POINT p = screen;
            ScreenToClient(window_->HandleOrNull(), &p);
            inside = PtInRect(&selected_->BoundsRect, p) &&
                     (!capture_ || selected_->IsPtInButtonPart(p.x - selected_->BoundsRect.left, p.y - selected_->BoundsRect.top));
        }
    }
    const bool insideChanged = inside != mouseInsideSelected_;
    mouseInsideSelected_ = inside;
    if (changed) {
        if (selected_) {
            if (selected_->Item()->ItemStyle() & isfRedrawOnSelChange) Invalidate(selected_);
            // Inside the loop the selection is where the keyboard is.
            if (LoopView()) NotifyAccessibleEvent(*this, EVENT_OBJECT_FOCUS, selected_);
            selected_->Entering();  // last: its handler may free anything
        }
    } else if (insideChanged && capture_ && selected_ && (selected_->Item()->ItemStyle() & isfRedrawOnMouseOverChange)) {
        Invalidate(selected_);
    }
    return *alive && selected_ == wanted;
}

// Tells the old selection it is left. Its handler may free this view (false: nothing of it may
// be touched), or items with their viewers: `next` becomes null when its viewer went.
bool TTBView::LeaveSelection(TTBItemViewer* old, TTBItemViewer*& next) {
    const bool redraw = (old->Item()->ItemStyle() & isfRedrawOnSelChange) != 0;
    std::shared_ptr<const bool> alive = alive_;
    old->Leaving();
    if (!*alive) return false;
    if (next && IndexOf(next) < 0) next = nullptr;
    if (redraw && IndexOf(old) >= 0) Invalidate(old);
    return true;
}

void TTBView::UpdateSelection(const POINT* screenPoint, bool allowNewSelection) {
    TTBItemViewer* candidate = (IsPopup() || LoopView()) ? selected_ : nullptr;
    HWND hwnd = window_ && window_->HandleAllocated() ? window_->HandleOrNull() : nullptr;
    const bool mouseInWindow = screenPoint && hwnd && WindowFromPoint(*screenPoint) == hwnd;
    POINT p{};
    if (mouseInWindow) {
        p = *screenPoint;
        ScreenToClient(hwnd, &p);
    }
    PointerAt(mouseInWindow ? &p : nullptr);
    if (mouseInWindow && (allowNewSelection || candidate)) candidate = ViewerFromPoint(p);
    if (capture_) candidate = selected_;  // a pressed button stays hot while the mouse is away
    if (IsPopup()) {
        if (!mouseInWindow && !(selected_ && selected_ == openViewer_ && openPopup_)) candidate = nullptr;
        if (mouseInWindow && parentView_) {
            // The opener's selection handler may close this popup, or replace viewers here.
            std::shared_ptr<const bool> alive = alive_;
            TTBView* parent = parentView_;
            parent->Select(parent->openViewer_);
            if (!*alive) return;
            parent->StopTimer(vtOpen);
            parent->StopTimer(vtClose);
            if (candidate && IndexOf(candidate) < 0) candidate = nullptr;
        }
    }
    Select(candidate);
}

TTBItemViewer* TTBView::NextSelectable(TTBItemViewer* from, bool forward) const {
    const int count = ViewerCount();
    if (count == 0) return nullptr;
    int index = from ? IndexOf(from) : -1;
    if (index < 0) index = forward ? -1 : count;
    for (int step = 1; step <= count; ++step) {
        int i = ((index + (forward ? step : -step)) % count + count) % count;
        if (IsSelectable(viewers_[i].get())) return viewers_[i].get();
    }
    return nullptr;
}

bool TTBView::IsSelectable(const TTBItemViewer* v) {
    return (v->Show || v->Clipped) && v->Item()->Visible() && (v->Item()->ItemStyle() & isfSelectable);
}

int TTBView::FirstShownViewerHeight() const {
    for (auto& viewer : viewers_)
        if (viewer->Show) return viewer->Height();
    return -1;
}

TTBItemViewer* TTBView::FirstSelectable() const {
    for (auto& viewer : viewers_)
        if (IsSelectable(viewer.get()) && !(viewer->Item()->ItemStyle() & isfDontSelectFirst)) return viewer.get();
    return nullptr;
}

void TTBView::ScrollSelectedIntoView() {}

void TTBView::MoveToFrontOfPriorityList(TTBItemViewer* viewer) {
    if (!usePriorityList_ || !viewer) return;
    std::erase(priorityList_, viewer);
    priorityList_.insert(priorityList_.begin(), viewer);
    // What the chevron hides depends on the order.
    if (std::any_of(viewers_.begin(), viewers_.end(), [](auto& v) { return v->OffEdge; })) InvalidatePositions();
}

// --- timers ---------------------------------------------------------------------------------

void TTBView::StartTimer(TTBViewTimer timer, UINT ms) {
    // The window first: when it cannot be made, the view is left with no timer to stop.
    HWND window = TimerWindow();
    auto& slots = Timers().slots;
    if (timerSlot_ < 0) {
        auto free = std::find(slots.begin(), slots.end(), nullptr);
        if (free == slots.end()) free = slots.insert(slots.end(), nullptr);
        *free = this;
        timerSlot_ = static_cast<int>(free - slots.begin());
    }
    runningTimers_ |= 1u << timer;
    SetTimer(window, TimerId(timerSlot_, timer), ms, nullptr);
}

void TTBView::StopTimer(TTBViewTimer timer) {
    if (timerSlot_ < 0 || !(runningTimers_ & (1u << timer))) return;
    auto& registry = Timers();
    if (registry.window) KillTimer(registry.window->Handle(), TimerId(timerSlot_, timer));
    runningTimers_ &= ~(1u << timer);
    if (runningTimers_) return;
    registry.slots[timerSlot_] = nullptr;
    timerSlot_ = -1;
    while (!registry.slots.empty() && !registry.slots.back()) registry.slots.pop_back();
    if (registry.slots.empty()) registry.window.reset();
}

bool TTBView::TimerRunning(TTBViewTimer timer) const { return (runningTimers_ & (1u << timer)) != 0; }

void TTBView::TimerFired(TTBViewTimer timer) {
    StopTimer(timer);
    switch (timer) {
    case vtOpen:
        // The pointer came back to the item whose submenu is open: it stays as it is.
        if (selected_ && selected_ == openViewer_ && openPopup_) break;
        CloseChildPopups();
        if (selected_ && selected_->Item()->Enabled()) OpenChildPopup(false);
        break;
    case vtClose:
        if (selected_ != openViewer_) CloseChildPopups();
        break;
    case vtScrollUp:
    case vtScrollDown:
        break;
    }
}
