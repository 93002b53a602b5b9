// The dockable window: where it is (docked, floating or neither), its properties, its frame
// with the drag handle and close button, its mouse handling and its sizing.
#include <windowsx.h>

#include <algorithm>

#include "toolbar/base/capture_loop.h"
#include "toolbar/base/common.h"
#include "toolbar/docks/dock.h"

namespace {

// Live dockable windows, for the thread's hooks (application activation, owners moving).
std::vector<TTBCustomDockableWindow*>& LiveWindows() {
    static std::vector<TTBCustomDockableWindow*> windows;
    return windows;
}

RECT WindowRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

}  // namespace

TTBCustomDockableWindow::TTBCustomDockableWindow(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 23, 22);
    LiveWindows().push_back(this);
    AddTrackMouseEventRef();
}

TTBCustomDockableWindow::~TTBCustomDockableWindow() {
    *alive_ = false;
    destroying_ = true;
    auto& live = LiveWindows();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    if (floating_) RemoveHookClient(HookProc);
    ReleaseTrackMouseEventRef();
    if (currentDock_) currentDock_->RemoveFromDockList(this);
    if (lastDock_ && lastDock_ != currentDock_) lastDock_->RemoveFromDockList(this);
    // Out of the floating parent before it goes; the window first, so that it never shows as a
    // top-level window on its way out.
    if (floatingParent_ && Parent() == floatingParent_.get()) {
        DestroyWnd();
        TWinControl::SetParent(nullptr);
    }
    floatingParent_.reset();
}

void TTBCustomDockableWindow::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = "TTBDockableWindow";
    params.WindowClassStyle = CS_DBLCLKS;
}

// ---- Where it is --------------------------------------------------------------------------

void TTBCustomDockableWindow::SetParent(TWinControl* parent) {
    if (parent == Parent()) return;
    TTBDock* oldDock = currentDock_;
    TWinControl::SetParent(parent);
    NoteParent();
    if (oldDock && oldDock != currentDock_) oldDock->ArrangeToolbars();
}

// Docked, floating and the dock lists follow the parent.
void TTBCustomDockableWindow::NoteParent() {
    TTBDock* oldDock = currentDock_;
    auto* newDock = dynamic_cast<TTBDock*>(Parent());
    docked_ = newDock != nullptr;
    const bool wasFloating = floating_;
    floating_ = Parent() && Parent() == floatingParent_.get();
    // The hooks serve floating windows only (hiding with the application, keeping above the
    // form). A call-window hook costs every message the thread sends, so docked windows hold none.
    if (floating_ && !wasFloating)
        InstallHookClient(HookProc, {hkActivateApp, hkWindowPosChanged, hkWindowDestroyed}, false);
    else if (!floating_ && wasFloating)
        RemoveHookClient(HookProc);
    if (oldDock != newDock) {
        // A window that floats off keeps its place in the dock it came from while that is its
        // last dock.
        bool keepPlace = useLastDock_ && !newDock && oldDock == lastDock_;
        if (oldDock) {
            if (keepPlace) oldDock->WindowLeft(this);
            else oldDock->RemoveFromDockList(this);
        }
        currentDock_ = newDock;
        if (newDock) {
            FreeNotification(newDock);
            newDock->AddToDockList(this);
            if (useLastDock_ && lastDock_ != newDock) {
                if (lastDock_ && lastDock_ != oldDock) lastDock_->RemoveFromDockList(this);
                lastDock_ = newDock;
            }
        }
    }
    if (!floating_ && floatingParent_) floatingParent_->SetVisible(false);
    if (HandleAllocated())
        SetWindowPos(HandleOrNull(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (newDock && newDock != oldDock && Visible()) newDock->WindowVisibilityChanged(this, true);
    else if (newDock) newDock->ArrangeToolbars();
    else Arrange();
}

void TTBCustomDockableWindow::DockDestroyed(const TComponent* dock) {
    if (currentDock_ == dock) {
        currentDock_ = nullptr;
        docked_ = false;
    }
    if (lastDock_ == dock) lastDock_ = nullptr;
    if (defaultDock_ == dock) defaultDock_ = nullptr;
}

// Docks are never taken off the free-notification list: the window may point at one dock in
// three roles, and a notice about a dock it no longer uses changes nothing.
void TTBCustomDockableWindow::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation != opRemove) return;
    DockDestroyed(component);
}

void TTBCustomDockableWindow::MoveToDock(TTBDock* dock, bool floating) {
    if (dock && dock == currentDock_ && Parent() == dock) return;
    if (!dock && floating && floating_) return;
    auto& changing = Visible() ? OnDockChanging : OnDockChangingHidden;
    if (changing) changing(this, floating, dock);
    if (dock) {
        SetParent(dock);
    } else if (floating) {
        TTBFloatingWindowParent& parent = EnsureFloatingParent();
        PlaceFloatingParent();
        SetParent(&parent);
        SetBounds(0, 0, Width(), Height());
        Arrange();
        UpdateFloatingVisibility();
    } else {
        SetParent(nullptr);
    }
    if (OnDockChanged) OnDockChanged(this);
}

void TTBCustomDockableWindow::SetCurrentDock(TTBDock* value) {
    if (value == currentDock_) return;
    if (value) MoveToDock(value, false);
    else if (docked_) SetFloating(true);
}

void TTBCustomDockableWindow::SetDefaultDock(TTBDock* value) {
    if (value == defaultDock_) return;
    defaultDock_ = value;
    if (value) FreeNotification(value);
}

void TTBCustomDockableWindow::SetLastDock(TTBDock* value) {
    if (value == lastDock_) return;
    // While docked the last dock is the current one.
    if (useLastDock_ && currentDock_) return;
    if (lastDock_ && lastDock_ != Parent()) lastDock_->RemoveFromDockList(this);
    lastDock_ = value;
    useLastDock_ = true;
    if (value) {
        FreeNotification(value);
        value->AddToDockList(this);
    }
}

void TTBCustomDockableWindow::SetUseLastDock(bool value) {
    if (value == useLastDock_) return;
    useLastDock_ = value;
    if (!value) {
        if (lastDock_ && lastDock_ != Parent()) lastDock_->RemoveFromDockList(this);
        lastDock_ = nullptr;
    } else if (currentDock_) {
        lastDock_ = currentDock_;
    }
}

void TTBCustomDockableWindow::SetFloating(bool value) {
    if (value == floating_) return;
    if (value) {
        if (floatingPosition_.x == -1 && floatingPosition_.y == -1 && HandleAllocated()) {
            RECT r = WindowRectOf(HandleOrNull());
            floatingPosition_ = POINT{r.left, r.top};
        }
        MoveToDock(nullptr, true);
    } else {
        TTBDock* target = lastDock_ ? lastDock_ : defaultDock_;
        if (target) MoveToDock(target, false);
    }
}

void TTBCustomDockableWindow::SetFloatingPosition(POINT value) {
    floatingPosition_ = value;
    if (floating_) PlaceFloatingParent();
}

void TTBCustomDockableWindow::SetDockPos(int value) {
    if (value == dockPos_) return;
    dockPos_ = value;
    if (docked_) currentDock_->ArrangeToolbars();
}

void TTBCustomDockableWindow::SetDockRow(int value) {
    if (value == dockRow_) return;
    dockRow_ = value;
    if (docked_) currentDock_->ArrangeToolbars();
}

TTBFloatingWindowParent& TTBCustomDockableWindow::EnsureFloatingParent() {
    if (!floatingParent_) floatingParent_ = std::make_unique<TTBFloatingWindowParent>(nullptr, this);
    floatingParent_->HandleNeeded();
    return *floatingParent_;
}

void TTBCustomDockableWindow::PlaceFloatingParent() {
    if (!floatingParent_) return;
    TTBFloatingWindowParent& parent = *floatingParent_;
    SIZE size = SizeFor(nullptr);
    parent.SetBounds(floatingPosition_.x, floatingPosition_.y, parent.Width(), parent.Height());
    parent.FitClient(size);
}

void TTBCustomDockableWindow::UpdateFloatingVisibility() {
    if (!floatingParent_) return;
    bool show = floating_ && Visible() && !appInactive_;
    floatingParent_->SetVisible(show);
    if (show) floatingParent_->ApplyFloatingMode();
}

// ---- Properties ---------------------------------------------------------------------------

void TTBCustomDockableWindow::SetAutoResize(bool value) {
    if (value == autoResize_) return;
    autoResize_ = value;
    if (value) Arrange();
}

void TTBCustomDockableWindow::SetBorderStyle(TTBBorderStyle value) {
    if (value == borderStyle_) return;
    borderStyle_ = value;
    RedrawNCArea();
}

void TTBCustomDockableWindow::SetCloseButton(bool value) {
    if (value == closeButton_) return;
    closeButton_ = value;
    if (floatingParent_ && floatingParent_->HandleAllocated())
        SetWindowPos(floatingParent_->HandleOrNull(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TTBCustomDockableWindow::SetCloseButtonWhenDocked(bool value) {
    if (value == closeButtonWhenDocked_) return;
    closeButtonWhenDocked_ = value;
    if (docked_) currentDock_->ArrangeToolbars();
    RedrawNCArea();
}

void TTBCustomDockableWindow::SetDockTextAlign(TAlignment value) {
    if (value == dockTextAlign_) return;
    dockTextAlign_ = value;
    RedrawNCArea();
    if (floatingParent_ && floatingParent_->HandleAllocated())
        RedrawWindow(floatingParent_->HandleOrNull(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TTBCustomDockableWindow::SetDragHandleStyle(TTBDragHandleStyle value) {
    if (value == dragHandleStyle_) return;
    dragHandleStyle_ = value;
    if (docked_) currentDock_->ArrangeToolbars();
    RedrawNCArea();
}

void TTBCustomDockableWindow::SetFloatingMode(TTBFloatingMode value) {
    if (value == floatingMode_) return;
    floatingMode_ = value;
    if (floatingParent_) floatingParent_->ApplyFloatingMode();
}

void TTBCustomDockableWindow::SetFullSize(bool value) {
    if (value == fullSize_) return;
    fullSize_ = value;
    Arrange();
}

void TTBCustomDockableWindow::SetHideWhenInactive(bool value) {
    if (value == hideWhenInactive_) return;
    hideWhenInactive_ = value;
    if (!value && appInactive_) {
        appInactive_ = false;
        UpdateFloatingVisibility();
    }
}

void TTBCustomDockableWindow::SetShowCaption(bool value) {
    if (value == showCaption_) return;
    showCaption_ = value;
    if (floating_) PlaceFloatingParent();
}

void TTBCustomDockableWindow::SetStretch(bool value) {
    if (value == stretch_) return;
    stretch_ = value;
    Arrange();
}

void TTBCustomDockableWindow::SetSkin(TTBBaseSkin* value) {
    if (!ChangeSkin(value)) return;
    RedrawNCArea();
    Invalidate();
}

void TTBCustomDockableWindow::SkinReplaced() {
    RedrawNCArea();
    Invalidate();
}

void TTBCustomDockableWindow::CaptionChanged() {
    TWinControl::CaptionChanged();
    if (floatingParent_ && floatingParent_->HandleAllocated())
        RedrawWindow(floatingParent_->HandleOrNull(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

void TTBCustomDockableWindow::Loaded() {
    TWinControl::Loaded();
    NoteParent();
    Arrange();
}

// ---- Sizing -------------------------------------------------------------------------------

SIZE TTBCustomDockableWindow::CalcSize(bool, TTBDockType, TTBDock*) { return GetBaseSize(); }

int TTBCustomDockableWindow::GetMinShrinkSize() {
    SIZE nc = GetNCSizes(currentDock_);
    return currentDock_ && currentDock_->Vertical() ? nc.cy : nc.cx;
}

SIZE TTBCustomDockableWindow::GetFloatingBorderSize() const { return SIZE{3, 3}; }

SIZE TTBCustomDockableWindow::SizeFor(TTBDock* dock) {
    SIZE base = CalcSize(dock == currentDock_ && dock, dock ? DockTypeOf(dock) : dtFloating, dock);
    SIZE nc = dock ? GetNCSizes(dock) : SIZE{0, 0};
    return SIZE{base.cx + nc.cx, base.cy + nc.cy};
}

void TTBCustomDockableWindow::Arrange() {
    if (Loading() || !Parent()) return;  // Loaded and SetParent arrange again
    if (docked_) {
        currentDock_->ArrangeToolbars();
        return;
    }
    if (floating_) {
        SIZE size = CalcSize(true, dtFloating, nullptr);
        AnnounceSize(size.cx, size.cy, dtFloating);
        SetBounds(0, 0, size.cx, size.cy);
        if (floatingParent_) floatingParent_->FitClient(size);
        return;
    }
    if (!autoResize_) return;
    SIZE size = CalcSize(true, dtNotDocked, nullptr);
    SIZE nc = GetNCSizes(nullptr);
    int width = size.cx + nc.cx, height = size.cy + nc.cy;
    AnnounceSize(width, height, dtNotDocked);
    SetBounds(Left(), Top(), width, height);
}

// An unchanged size is news too when the place is of another kind: the contents were laid out
// for the old one (a bar docked back at the size it had there keeps its floating layout else).
void TTBCustomDockableWindow::AnnounceSize(int width, int height, TTBDockType type) {
    if (width == Width() && height == Height() && type == sizedFor_) return;
    // A dock arranges the window it takes before the window learns of its new parent, and the
    // window lays out for where it believes it is: only that layout counts as done.
    const TTBDockType believed = floating_ ? dtFloating : docked_ && currentDock_ ? DockTypeOf(currentDock_) : dtNotDocked;
    if (type == believed) sizedFor_ = type;
    SizeChanging(width, height);
}

void TTBCustomDockableWindow::BoundsChanged() {
    TWinControl::BoundsChanged();
    if (OnMove) OnMove(this);
}

// ---- The frame ----------------------------------------------------------------------------

namespace {
int PlainHandleSize(TTBDragHandleStyle style, bool closeButton) {
    if (closeButton) return 14;
    switch (style) {
    case dhDouble: return 9;
    case dhNone: return 0;
    case dhSingle: break;
    }
    return 6;
}
}  // namespace

SIZE TTBCustomDockableWindow::GetNCSizes(TTBDock* dock) const {
    if (!dock) return (floating_ || borderStyle_ == TTBBorderStyle::bsNone) ? SIZE{0, 0} : SIZE{4, 4};
    int handle = 0;
    if (dock->AllowDrag()) {
        handle = DockPainter().DragHandleSize(*this, *dock, PlainHandleSize(dragHandleStyle_, closeButtonWhenDocked_));
    }
    return dock->Vertical() ? SIZE{4, 4 + handle} : SIZE{4 + handle, 4};
}

RECT TTBCustomDockableWindow::GetCloseButtonRect(bool vertical, SIZE size) const {
    // A square at the start of the strip, the grip bars running on after it.
    if (vertical) return RECT{size.cx - 14, 4, size.cx - 4, 14};
    return RECT{4, 4, 14, 14};
}

TTBDockedFrame TTBCustomDockableWindow::DockedFrame(TTBDock* dock, SIZE size) const {
    TTBDockedFrame frame;
    frame.Window = RECT{0, 0, size.cx, size.cy};
    if (!dock) {
        frame.Client = frame.Window;
        if (!floating_ && borderStyle_ == TTBBorderStyle::bsSingle) InflateRect(&frame.Client, -2, -2);
        return frame;
    }
    frame.Vertical = dock->Vertical();
    SIZE nc = GetNCSizes(dock);
    int handle = (frame.Vertical ? nc.cy : nc.cx) - 4;
    if (frame.Vertical) {
        frame.Handle = RECT{2, 2, size.cx - 2, 2 + handle};
        frame.Client = RECT{2, 2 + handle, size.cx - 2, size.cy - 2};
    } else {
        frame.Handle = RECT{2, 2, 2 + handle, size.cy - 2};
        frame.Client = RECT{2 + handle, 2, size.cx - 2, size.cy - 2};
    }
    if (handle > 0 && closeButtonWhenDocked_) frame.CloseButton = GetCloseButtonRect(frame.Vertical, size);
    if (frame.Client.right < frame.Client.left) frame.Client.right = frame.Client.left;
    if (frame.Client.bottom < frame.Client.top) frame.Client.bottom = frame.Client.top;
    return frame;
}

bool TTBCustomDockableWindow::CalcNonClientSize(RECT& rect) {
    TTBDockedFrame frame = DockedFrame(docked_ ? currentDock_ : nullptr,
                                       SIZE{rect.right - rect.left, rect.bottom - rect.top});
    RECT client = frame.Client;
    OffsetRect(&client, rect.left, rect.top);
    rect = client;
    return true;
}

void TTBCustomDockableWindow::DrawNCArea(HDC dc, const RECT& windowRect) {
    TTBDock* dock = docked_ ? currentDock_ : nullptr;
    TTBDockedFrame frame = DockedFrame(dock, SIZE{windowRect.right - windowRect.left, windowRect.bottom - windowRect.top});
    TTBDockPainter& painter = DockPainter();
    painter.PaintDockedFrame(*this, dc, frame);
    painter.PaintDragHandle(*this, dc, frame);
    if (!IsRectEmpty(&frame.CloseButton)) painter.PaintDockedCloseButton(*this, dc, frame.CloseButton, closePushed_, closeHot_);
}

bool TTBCustomDockableWindow::PaintNonClient(HRGN update) {
    if (floating_) return true;
    WindowFrameDC dc(HandleOrNull(), update);
    if (dc) GuardedCall([&] { DrawNCArea(dc.get(), RECT{0, 0, Width(), Height()}); });
    return true;
}

void TTBCustomDockableWindow::RedrawNCArea() {
    if (HandleAllocated() && !floating_)
        RedrawWindow(HandleOrNull(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

void TTBCustomDockableWindow::PaintWindow(TCanvas& canvas) {
    DockPainter().PaintWindowBackground(*this, canvas.Handle(), ClientRect());
    PaintClientArea(canvas);
}

// ---- Mouse --------------------------------------------------------------------------------

bool TTBCustomDockableWindow::OnHandle(POINT screenPoint) const {
    if (!docked_ || !HandleOrNull()) return false;
    RECT window = WindowRectOf(HandleOrNull());
    TTBDockedFrame frame = DockedFrame(currentDock_, SIZE{window.right - window.left, window.bottom - window.top});
    POINT p{screenPoint.x - window.left, screenPoint.y - window.top};
    return PtInRect(&frame.Window, p) && !PtInRect(&frame.Client, p);
}

bool TTBCustomDockableWindow::OnCloseButton(POINT screenPoint) const {
    if (!docked_ || !HandleOrNull()) return false;
    RECT window = WindowRectOf(HandleOrNull());
    TTBDockedFrame frame = DockedFrame(currentDock_, SIZE{window.right - window.left, window.bottom - window.top});
    POINT p{screenPoint.x - window.left, screenPoint.y - window.top};
    return PtInRect(&frame.CloseButton, p) != FALSE;
}

bool TTBCustomDockableWindow::NonClientHitTest(POINT screenPoint, LRESULT& hit) {
    if (!docked_) return false;
    RECT window = WindowRectOf(HandleOrNull());
    TTBDockedFrame frame = DockedFrame(currentDock_, SIZE{window.right - window.left, window.bottom - window.top});
    POINT p{screenPoint.x - window.left, screenPoint.y - window.top};
    if (PtInRect(&frame.Client, p)) hit = HTCLIENT;
    else if (PtInRect(&frame.CloseButton, p)) hit = HTTBCLOSEBUTTON;
    else if (PtInRect(&frame.Window, p)) hit = HTTBDRAGHANDLE;
    else hit = HTNOWHERE;
    return true;
}

void TTBCustomDockableWindow::SetHot(bool hot) {
    if (hot == closeHot_) return;
    closeHot_ = hot;
    RedrawNCArea();
}

bool TTBCustomDockableWindow::KeepClientPress(POINT) { return false; }

void TTBCustomDockableWindow::DoubleClicked() {
    if (docked_) {
        if (dockMode_ == dmCanFloat) SetFloating(true);
        return;
    }
    if (!floating_) return;
    // Nowhere to go back to: the window stays floating.
    TTBDock* target = lastDock_ ? lastDock_ : defaultDock_;
    if (!target || !dockableTo_.contains(target->Position())) return;
    if (!lastDock_) {
        dockRow_ = 0;
        dockPos_ = -8;  // any negative position is the start of the row
    }
    MoveToDock(target, false);
}

bool TTBCustomDockableWindow::Close() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    if (!canClose) return false;
    SetVisible(false);
    if (OnClose) OnClose(this);
    return true;
}

void TTBCustomDockableWindow::RunCloseButtonLoop() {
    HWND window = HandleOrNull();
    auto alive = alive_;
    inLoop_ = true;
    captureLost_ = false;
    const bool clicked = TrackCloseButtonPress(
        window, captureLost_, [alive] { return !*alive; }, [this](POINT screen) { return OnCloseButton(screen); },
        [this](bool pushed) {
            closePushed_ = pushed;
            RedrawNCArea();
        });
    if (!*alive) return;
    inLoop_ = false;
    if (clicked) Close();
}

LRESULT TTBCustomDockableWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == HandleOrNull() && LOWORD(lParam) == HTTBDRAGHANDLE) {
            bool movable = docked_ && currentDock_->AllowDrag() && dragHandleStyle_ != dhNone;
            ::SetCursor(LoadCursor(nullptr, movable ? IDC_SIZEALL : IDC_ARROW));
            return TRUE;
        }
        if (reinterpret_cast<HWND>(wParam) == HandleOrNull() && LOWORD(lParam) == HTTBCLOSEBUTTON) {
            ::SetCursor(LoadCursor(nullptr, IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_NCLBUTTONDOWN:
        if (wParam == static_cast<WPARAM>(HTTBDRAGHANDLE)) {
            if (docked_ && currentDock_->AllowDrag()) BeginDrag(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        }
        if (wParam == static_cast<WPARAM>(HTTBCLOSEBUTTON)) {
            RunCloseButtonLoop();
            return 0;
        }
        break;
    case WM_NCLBUTTONDBLCLK:
        if (wParam == static_cast<WPARAM>(HTTBDRAGHANDLE)) {
            DoubleClicked();
            return 0;
        }
        if (wParam == static_cast<WPARAM>(HTTBCLOSEBUTTON)) return 0;
        break;
    case WM_NCMOUSEMOVE: {
        bool overClose = wParam == static_cast<WPARAM>(HTTBCLOSEBUTTON);
        if (overClose && !closeHot_) {
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE | TME_NONCLIENT, HandleOrNull(), 0};
            CallTrackMouseEvent(tme);
        }
        SetHot(overClose);
        break;
    }
    case WM_NCMOUSELEAVE:
        SetHot(false);
        break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        bool draggable = floating_ || (docked_ && currentDock_->AllowDrag());
        if (!draggable || KeepClientPress(p)) break;
        POINT screen = p;
        ::ClientToScreen(HandleOrNull(), &screen);
        if (msg == WM_LBUTTONDBLCLK) DoubleClicked();
        else BeginDrag(screen);
        return 0;
    }
    case WM_PRINT:
        return PrintWindowParts(HandleOrNull(), reinterpret_cast<HDC>(wParam), lParam, [this](HWND, HDC dc) {
            if (!floating_) DrawNCArea(dc, RECT{0, 0, Width(), Height()});
        });
    case WM_CAPTURECHANGED:
        if (inLoop_ && reinterpret_cast<HWND>(lParam) != HandleOrNull()) {
            captureLost_ = true;
            PostMessageA(HandleOrNull(), WM_NULL, 0, 0);  // wakes the loop's wait
        }
        break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

// ---- Visibility, re-creation, hooks -------------------------------------------------------

void TTBCustomDockableWindow::VisibleChanged() {
    TWinControl::VisibleChanged();
    if (docked_ && currentDock_) currentDock_->WindowVisibilityChanged(this, Visible());
    UpdateFloatingVisibility();
    if (OnVisibleChanged) OnVisibleChanged(this);
}

void TTBCustomDockableWindow::RecreatingWnd() {
    if (OnRecreating) OnRecreating(this);
}

void TTBCustomDockableWindow::AfterCreateWnd() {
    TWinControl::AfterCreateWnd();
    if (OnRecreated) OnRecreated(this);
}

void TTBCustomDockableWindow::HookProc(TTBHookKind kind, HWND window, WPARAM wParam, LPARAM) {
    auto windows = LiveWindows();
    for (TTBCustomDockableWindow* w : windows) {
        if (std::find(LiveWindows().begin(), LiveWindows().end(), w) == LiveWindows().end()) continue;
        if (!w->floating_ || !w->floatingParent_) continue;
        if (kind == hkActivateApp && w->hideWhenInactive_) {
            w->appInactive_ = wParam == 0;
            w->UpdateFloatingVisibility();
        } else if (kind == hkWindowPosChanged && w->floatingParent_->HandleAllocated() &&
                   GetWindow(w->floatingParent_->HandleOrNull(), GW_OWNER) == window) {
            w->floatingParent_->ApplyFloatingMode();
        }
    }
}
