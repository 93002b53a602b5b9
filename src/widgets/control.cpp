#include "widgets/control.h"

#include <windowsx.h>

#include <algorithm>
#include <set>

#include "widgets/deferred_call.h"
#include "widgets/paint_buffer.h"

LRESULT CALLBACK StdWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

namespace {
const char kObjectProp[] = "SorvaneControl";
const char kOldProcProp[] = "SorvaneOldProc";

// Own classes send every message, WM_NCCREATE first, to StdWndProc.
void RegisterOwnClass(const TCreateParams& params) {
    static std::set<std::string> registered;
    if (registered.count(params.WinClassName)) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = params.WindowClassStyle;
    wc.lpfnWndProc = StdWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = params.WinClassName.c_str();
    if (RegisterClassExA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) registered.insert(params.WinClassName);
}
}  // namespace

TControl*& MouseControl() {
    static TControl* control = nullptr;
    return control;
}

TShiftState ShiftStateFromKeys(WPARAM keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState CurrentShiftState() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

// --- TControl ------------------------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.OnChange = [this] {
        parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl() {
    if (MouseControl() == this) MouseControl() = nullptr;
    font_.OnChange = nullptr;
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

void TControl::ParentFontChanged(const TFont& font) {
    if (!parentFont_) return;
    auto handler = std::move(font_.OnChange);
    font_ = font;
    font_.OnChange = std::move(handler);
    FontChanged();
}

void TControl::SetParentFont(bool value) {
    if (value == parentFont_) return;
    parentFont_ = value;
    if (value && parent_) ParentFontChanged(parent_->Font());
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    RECT old = BoundsRect();
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (parent_ && parent_->HandleAllocated()) {
        InvalidateRect(parent_->HandleOrNull(), &old, TRUE);
        Invalidate();
    }
    BoundsChanged();
    RequestAlign();
}

void TControl::RequestAlign() {
    if (parent_ && align_ != alNone) parent_->Realign();
}

void TControl::SetAlign(TAlign align) {
    if (align == align_) return;
    align_ = align;
    RequestAlign();
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    VisibleChanged();
    if (parent_) parent_->Realign();
}

void TControl::VisibleChanged() {
    if (parent_ && parent_->HandleAllocated()) {
        RECT r = BoundsRect();
        InvalidateRect(parent_->HandleOrNull(), &r, TRUE);
    }
    if (!visible_ && MouseControl() == this) {
        MouseControl() = nullptr;
        mouseInControl_ = false;
    }
}

bool TControl::Showing() const {
    if (!visible_) return false;
    if (!parent_) return WindowHandle() && IsWindowVisible(WindowHandle());
    return parent_->Showing();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    EnabledChanged();
}

void TControl::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    CaptionChanged();
}

void TControl::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    ColorChanged();
}

void TControl::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    Invalidate();
}

void TControl::Invalidate() {
    if (!parent_ || !parent_->HandleAllocated()) return;
    RECT r = BoundsRect();
    InvalidateRect(parent_->HandleOrNull(), &r, TRUE);
}

void TControl::Update() {
    HWND window = WindowHandle();
    if (window) UpdateWindow(window);
}

HWND TControl::WindowHandle() const { return parent_ ? parent_->HandleOrNull() : nullptr; }

POINT TControl::ClientToScreen(POINT p) const {
    if (!IsWindowed()) {
        p.x += left_;
        p.y += top_;
    }
    HWND window = WindowHandle();
    if (window) ::ClientToScreen(window, &p);
    return p;
}

POINT TControl::ScreenToClient(POINT p) const {
    HWND window = WindowHandle();
    if (window) ::ScreenToClient(window, &p);
    if (!IsWindowed()) {
        p.x -= left_;
        p.y -= top_;
    }
    return p;
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) leftPressed_ = true;
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    bool wasPressed = leftPressed_ && button == mbLeft;
    if (button == mbLeft) leftPressed_ = false;
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
    // A windowless control is clicked by a press and release both inside it.
    if (wasPressed && !IsWindowed() && x >= 0 && y >= 0 && x < width_ && y < height_) Click();
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseEnter() {
    mouseInControl_ = true;
    if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::MouseLeave() {
    mouseInControl_ = false;
    if (OnMouseLeave) OnMouseLeave(this);
}

void TControl::Paint(TCanvas&) {}

// --- TWinControl ---------------------------------------------------------------------------

LRESULT CALLBACK StdWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* control = static_cast<TWinControl*>(GetPropA(window, kObjectProp));
    if (!control && msg == WM_NCCREATE) {
        // An own class binds here, so that WM_NCCREATE, WM_CREATE and the first WM_NCCALCSIZE
        // reach the object. (WM_GETMINMAXINFO of a framed window comes even earlier, unbound.)
        control = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (control) control->Bind(window);
    }
    if (!control) {
        // The object is gone (or not bound yet): the window's previous procedure answers.
        auto old = reinterpret_cast<WNDPROC>(GetPropA(window, kOldProcProp));
        if (msg == WM_NCDESTROY) {
            RemovePropA(window, kOldProcProp);
        }
        return old ? CallWindowProcA(old, window, msg, wParam, lParam) : DefWindowProcA(window, msg, wParam, lParam);
    }
    std::shared_ptr<TWinControl::TLife> life = control->life_;
    LRESULT result = 0;
    ++life->depth;
    try {
        result = control->WndProc(msg, wParam, lParam);
    } catch (...) {
        if (Application) Application->HandleCurrentException();
    }
    --life->depth;
    if (!life->control) return result;  // freed by its own message
    // A window that the system destroys on its own (its parent went, or creation failed after
    // WM_NCCREATE) leaves the object without a window, not with a stale handle.
    if (msg == WM_NCDESTROY && control->handle_ == window) control->Unbind();
    if (life->depth == 0 && life->freeOnReturn) delete control;
    return result;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    life_->control = nullptr;
    // Children still parented here are detached; their owner frees them.
    while (!controls_.empty()) {
        TControl* child = controls_.back();
        if (auto* win = dynamic_cast<TWinControl*>(child)) win->DestroyWnd();
        controls_.pop_back();
        child->parent_ = nullptr;
    }
    DestroyWnd();
}

TWinControl* TWinControl::FromHandle(HWND window) {
    return window ? static_cast<TWinControl*>(GetPropA(window, kObjectProp)) : nullptr;
}

HWND TWinControl::Handle() {
    if (!handle_ && !creating_) {
        creating_ = true;
        CreateWnd();
        creating_ = false;
    }
    return handle_;
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.Style = (parent_ ? WS_CHILD : 0) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    params.ExStyle = WS_EX_CONTROLPARENT;
}

void TWinControl::CreateWnd() {
    HWND parentWindow = parent_ ? parent_->Handle() : nullptr;
    if (parent_ && !parentWindow) return;
    TCreateParams params;
    CreateParams(params);
    if (visible_) params.Style |= WS_VISIBLE;
    if (!enabled_) params.Style |= WS_DISABLED;
    if (tabStop_) params.Style |= WS_TABSTOP;
    bool ownClass = params.ClassName.empty();
    if (ownClass) RegisterOwnClass(params);
    const char* cls = ownClass ? params.WinClassName.c_str() : params.ClassName.c_str();
    HMENU id = nullptr;
    if (params.Style & WS_CHILD) {
        static UINT nextId = 1000;  // child identifiers only need to differ among siblings
        id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nextId++));
    }
    ownClass_ = ownClass;  // messages during creation already ask
    oldProc_ = nullptr;
    HWND window = CreateWindowExA(params.ExStyle, cls, Caption().c_str(), params.Style, left_, top_, width_, height_,
                                  parentWindow ? parentWindow : params.WndParent, id, GetModuleHandleA(nullptr), this);
    if (!window) return;
    if (!ownClass) {
        // A system class has its own procedure: its creation messages never reach us.
        Bind(window);
        Subclass();
    }
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    if (!parent_) UpdateBoundsFromWindow();
    for (const auto& [id, ms] : timers_) ::SetTimer(window, id, ms, nullptr);
    AfterCreateWnd();
    for (TControl* child : controls_) {
        if (auto* win = dynamic_cast<TWinControl*>(child)) win->HandleNeeded();
    }
    ApplyTabOrder();
    Realign();
}

void TWinControl::Bind(HWND window) {
    handle_ = window;
    SetPropA(window, kObjectProp, this);
}

void TWinControl::Unbind() {
    if (!handle_) return;
    RemovePropA(handle_, kObjectProp);
    handle_ = nullptr;
    if (MouseControl() == this) MouseControl() = nullptr;
}

void TWinControl::Subclass() {
    oldProc_ = reinterpret_cast<WNDPROC>(SetWindowLongA(handle_, GWL_WNDPROC, reinterpret_cast<LONG>(StdWndProc)));
    SetPropA(handle_, kOldProcProp, reinterpret_cast<HANDLE>(oldProc_));
}

void TWinControl::DestroyWnd() {
    if (!handle_) return;
    HWND window = handle_;
    for (TControl* child : controls_) {
        if (auto* win = dynamic_cast<TWinControl*>(child)) win->DestroyWnd();
    }
    // Unbind first: messages sent while the window dies go to the previous procedure only.
    Unbind();
    DestroyWindow(window);
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
    return oldProc_ ? CallWindowProcA(oldProc_, handle_, msg, wParam, lParam) : DefWindowProcA(handle_, msg, wParam, lParam);
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    control->parent_ = this;
    control->ParentFontChanged(Font());
    if (auto* win = dynamic_cast<TWinControl*>(control)) {
        if (win->tabOrder_ < 0) {
            int windowed = 0;
            for (TControl* c : controls_) windowed += (c != control && c->IsWindowed());
            win->tabOrder_ = windowed;
        }
        if (handle_) {
            win->HandleNeeded();
            ApplyTabOrder();
        }
    }
    control->Invalidate();
    Realign();
}

void TWinControl::RemoveControl(TControl* control) {
    if (auto* win = dynamic_cast<TWinControl*>(control)) win->DestroyWnd();
    DetachControl(control);
}

void TWinControl::DetachControl(TControl* control) {
    control->Invalidate();
    if (captureControl_ == control) captureControl_ = nullptr;
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    control->parent_ = nullptr;
    Realign();
}

void TWinControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (!handle_ || (parent && !parent->HandleOrNull())) {
        TControl::SetParent(parent);
        return;
    }
    if (parent_) parent_->DetachControl(this);
    MoveWindowTo(parent ? parent->handle_ : nullptr);
    if (parent) parent->InsertControl(this);
}

void TWinControl::MoveWindowTo(HWND parentWindow) {
    reparenting_ = true;
    LONG style = GetWindowLongA(handle_, GWL_STYLE);
    if (parentWindow) {
        // A window becomes a child before it gets its parent, and stops being one after.
        SetWindowLongA(handle_, GWL_STYLE, (style & ~WS_POPUP) | WS_CHILD);
        ::SetParent(handle_, parentWindow);
    } else {
        TCreateParams params;
        CreateParams(params);
        ::SetParent(handle_, nullptr);
        SetWindowLongA(handle_, GWL_STYLE, (style & ~WS_CHILD) | WS_POPUP);
        SetWindowLongPtrA(handle_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(params.WndParent));
    }
    // The bounds are kept, now in the new parent's client area (the screen for a top-level).
    SetWindowPos(handle_, nullptr, left_, top_, width_, height_,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    reparenting_ = false;
}

void TWinControl::Release() {
    if (life_->released) return;
    life_->released = true;
    if (life_->depth > 0) {
        life_->freeOnReturn = true;
        return;
    }
    // Posted even from outside every message: the caller still holds the object.
    PostDeferredCall([life = std::weak_ptr<TLife>(life_)] {
        auto alive = life.lock();
        if (!alive || !alive->control) return;
        // A modal loop inside one of its messages ran this call: that message frees it.
        if (alive->depth > 0) alive->freeOnReturn = true;
        else delete alive->control;
    });
}

void TWinControl::StartTimer(UINT_PTR id, UINT ms) {
    timers_[id] = ms;
    if (handle_) ::SetTimer(handle_, id, ms, nullptr);
}

void TWinControl::StopTimer(UINT_PTR id) {
    if (!timers_.erase(id)) return;
    if (handle_) ::KillTimer(handle_, id);
}

void TWinControl::RecreateWnd() {
    if (!handle_) return;
    RecreatingWnd();
    DestroyWnd();
    HandleNeeded();
}

TControl* TWinControl::WindowlessControlAt(POINT p) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (!c->Visible() || c->IsWindowed()) continue;
        RECT r = c->BoundsRect();
        if (PtInRect(&r, p)) return c;
    }
    return nullptr;
}

void TWinControl::SetTabOrder(int order) {
    if (order == tabOrder_) return;
    if (!parent_) {
        tabOrder_ = order;
        return;
    }
    // Renumber the siblings so that the orders stay 0..n-1 with this one at `order`.
    std::vector<TWinControl*> siblings;
    for (TControl* c : parent_->controls_) {
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w != this) siblings.push_back(w);
    }
    std::stable_sort(siblings.begin(), siblings.end(), [](auto* a, auto* b) { return a->tabOrder_ < b->tabOrder_; });
    order = std::clamp(order, 0, static_cast<int>(siblings.size()));
    siblings.insert(siblings.begin() + order, this);
    for (size_t i = 0; i < siblings.size(); ++i) siblings[i]->tabOrder_ = static_cast<int>(i);
    parent_->ApplyTabOrder();
}

void TWinControl::ApplyTabOrder() {
    if (!handle_) return;
    // The dialog navigation follows the window order; put the windows in tab order.
    std::vector<TWinControl*> windowed;
    for (TControl* c : controls_) {
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->handle_) windowed.push_back(w);
    }
    std::stable_sort(windowed.begin(), windowed.end(), [](auto* a, auto* b) { return a->tabOrder_ < b->tabOrder_; });
    HWND after = HWND_TOP;
    for (TWinControl* w : windowed) {
        SetWindowPos(w->handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = w->handle_;
    }
}

void TWinControl::SetTabStop(bool value) {
    if (value == tabStop_) return;
    tabStop_ = value;
    if (handle_) {
        LONG style = GetWindowLongA(handle_, GWL_STYLE);
        SetWindowLongA(handle_, GWL_STYLE, value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
    }
}

void TWinControl::SetFocus() {
    if (HWND h = Handle()) ::SetFocus(h);
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (handle_) {
        SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    BoundsChanged();
    RequestAlign();
    Realign();
}

void TWinControl::UpdateBoundsFromWindow() {
    if (!handle_ || reparenting_) return;
    RECT r;
    GetWindowRect(handle_, &r);
    if (parent_ && parent_->handle_) MapWindowPoints(HWND_DESKTOP, parent_->handle_, reinterpret_cast<POINT*>(&r), 2);
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
}

RECT TWinControl::ClientRect() const {
    RECT r{0, 0, width_, height_};
    if (handle_) GetClientRect(handle_, &r);
    return r;
}

void TWinControl::VisibleChanged() {
    if (handle_) ShowWindow(handle_, Visible() ? SW_SHOWNA : SW_HIDE);
    TControl::VisibleChanged();
}

void TWinControl::SetEnabled(bool enabled) {
    if (enabled == Enabled()) return;  // the timer sets it every 10 ms
    TControl::SetEnabled(enabled);
    if (handle_) EnableWindow(handle_, enabled);
    Invalidate();
}

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::BeginUpdate() {
    if (updateDepth_++ == 0) UpdatesHeld();
}

void TWinControl::EndUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0) UpdatesReleased();
}

void TWinControl::UpdatesHeld() {
    if (handle_) SendMessageA(handle_, WM_SETREDRAW, FALSE, 0);
}

void TWinControl::UpdatesReleased() {
    if (!handle_) return;
    SendMessageA(handle_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

void TWinControl::CaptionChanged() {
    if (handle_) SetWindowTextA(handle_, Caption().c_str());
}

void TWinControl::FontChanged() {
    if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
    for (TControl* child : controls_) child->ParentFontChanged(Font());
    Invalidate();
}

void TWinControl::Realign() {
    if (!handle_) return;
    if (aligning_) {
        // A control placed by this pass changed a sibling (a pane that grows with the window):
        // another pass follows.
        realignPending_ = true;
        return;
    }
    // A pass that changes nothing asks for none, so this ends unless two controls keep
    // answering each other; those get a bounded number of passes.
    constexpr int kMaxPasses = 8;
    aligning_ = true;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        realignPending_ = false;
        AlignControls();
        if (!realignPending_) break;
    }
    aligning_ = false;
}

void TWinControl::AlignControls() {
    RECT area = ClientRect();
    AdjustClientRect(area);
    // Each kind takes its edge in turn; within a kind the nearer control goes first.
    auto place = [&](TAlign kind) {
        std::vector<TControl*> group;
        for (TControl* c : controls_) {
            if (c->Visible() && c->Align() == kind) group.push_back(c);
        }
        std::stable_sort(group.begin(), group.end(), [kind](TControl* a, TControl* b) {
            switch (kind) {
            case alTop: return a->Top() < b->Top();
            case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
            case alLeft: return a->Left() < b->Left();
            case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
            default: return false;
            }
        });
        for (TControl* c : group) {
            int w = area.right - area.left, h = area.bottom - area.top;
            switch (kind) {
            case alTop:
                c->SetBounds(area.left, area.top, w, c->Height());
                area.top += c->Height();
                break;
            case alBottom:
                c->SetBounds(area.left, area.bottom - c->Height(), w, c->Height());
                area.bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(area.left, area.top, c->Width(), h);
                area.left += c->Width();
                break;
            case alRight:
                c->SetBounds(area.right - c->Width(), area.top, c->Width(), h);
                area.right -= c->Width();
                break;
            case alClient:
                c->SetBounds(area.left, area.top, std::max(w, 0), std::max(h, 0));
                break;
            default: break;
            }
        }
    };
    for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) place(kind);
}

void TWinControl::PaintWindow(TCanvas& canvas) {
    if (ownClass_) {
        RECT r = ClientRect();
        canvas.Brush().SetColor(Color());
        canvas.Brush().SetStyle(bsSolid);
        canvas.FillRect(r);
    }
}

namespace {
// BeginPaint/EndPaint as a scope, so that an error while painting still ends the paint.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &ps_); }
    ~PaintScope() { EndPaint(window_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }
    const RECT& Dirty() const { return ps_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// SaveDC/RestoreDC as a scope.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDC() { RestoreDC(dc_, saved_); }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC dc_;
    int saved_;
};
}  // namespace

void TWinControl::PaintHandler() {
    PaintScope paint(handle_);
    const RECT& dirty = paint.Dirty();
    if (!doubleBuffered_ || IsRectEmpty(&dirty)) {
        PaintTo(paint.dc(), dirty);
        return;
    }
    TBufferedPaint buffer(paint.dc(), dirty);
    PaintTo(buffer.dc(), dirty);
}

void TWinControl::PaintClient(HDC dc) { PaintTo(dc, ClientRect()); }

void TWinControl::PaintTo(HDC dc, const RECT& dirty) {
    GuardedCall([&] {
        TCanvas canvas(dc);
        canvas.Font() = Font();
        PaintWindow(canvas);
    });
    // Windowless children, in creation order, each on its own origin and clip. The origin is
    // moved, not set: a buffer or a printing parent may have moved it already.
    for (TControl* c : controls_) {
        if (!c->Visible() || c->IsWindowed()) continue;
        RECT r = c->BoundsRect(), clip;
        if (!IntersectRect(&clip, &r, &dirty)) continue;
        SavedDC saved(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
        GuardedCall([&] {
            TCanvas canvas(dc);
            canvas.Font() = c->Font();
            c->Paint(canvas);
        });
    }
}

void TWinControl::TrackMouseTarget(TControl* target) {
    TControl*& current = MouseControl();
    if (current == target) return;
    TControl* previous = current;
    current = target;
    if (previous) previous->MouseLeave();
    if (target && MouseControl() == target) {
        target->MouseEnter();
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, handle_, 0};
        TrackMouseEvent(&tme);
    }
}

bool TWinControl::RouteMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    TShiftState shift = ShiftStateFromKeys(wParam);
    TControl* target = captureControl_;
    if (!target) target = WindowlessControlAt(p);
    if (target && !target->Enabled()) target = nullptr;
    TControl* receiver = target ? target : this;
    int x = p.x - (target ? target->Left() : 0), y = p.y - (target ? target->Top() : 0);

    if (msg == WM_MOUSEMOVE) {
        TControl* hover = nullptr;
        if (captureControl_ || GetCapture() == handle_) {
            // A captured pointer keeps coming here from anywhere: the holder is left while the
            // pointer is outside it, and entered again when it comes back.
            TControl* holder = captureControl_ ? captureControl_ : this;
            RECT area = captureControl_ ? holder->BoundsRect() : ClientRect();
            if (PtInRect(&area, p)) hover = holder;
        } else {
            TControl* under = WindowlessControlAt(p);
            hover = (under && under->Enabled()) ? under : this;
        }
        TrackMouseTarget(hover);
        receiver->MouseMove(shift, x, y);
        return target != nullptr;
    }
    TMouseButton button = mbLeft;
    bool down = false;
    switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: down = true; button = mbLeft; break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: down = true; button = mbRight; break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: down = true; button = mbMiddle; break;
    case WM_LBUTTONUP: button = mbLeft; break;
    case WM_RBUTTONUP: button = mbRight; break;
    case WM_MBUTTONUP: button = mbMiddle; break;
    default: return false;
    }
    if (down) {
        if (target) {
            captureControl_ = target;
            SetCapture(handle_);
        }
        receiver->MouseDown(button, shift, x, y);
    } else {
        if (captureControl_ && !(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
            captureControl_ = nullptr;
            if (GetCapture() == handle_) ReleaseCapture();
        }
        receiver->MouseUp(button, shift, x, y);
    }
    return target != nullptr;
}

bool TWinControl::SetCursorFor(POINT p) {
    if (Screen && Screen->Cursor() != crDefault) {
        ::SetCursor(CursorHandle(Screen->Cursor()));
        return true;
    }
    TControl* under = WindowlessControlAt(p);
    TControl* c = under ? under : this;
    if (c->Cursor() == crDefault) {
        if (c == this && !ownClass_) return false;  // the system control's own
        ::SetCursor(LoadCursor(nullptr, IDC_ARROW));
        return true;
    }
    ::SetCursor(CursorHandle(c->Cursor()));
    return true;
}

LRESULT TWinControl::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    switch (msg) {
    case WM_COMMAND:
        if (auto* child = FromHandle(reinterpret_cast<HWND>(lParam))) handled = child->Command(HIWORD(wParam), LOWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        LRESULT result = 0;
        if (auto* child = FromHandle(header->hwndFrom)) handled = child->Notify(*header, result);
        return result;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (auto* child = FromHandle(item->hwndItem)) handled = child->DrawItem(*item);
        return handled ? TRUE : FALSE;
    }
    case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
        if (auto* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
            if (HBRUSH brush = child->CtlColor(reinterpret_cast<HDC>(wParam))) {
                handled = true;
                return reinterpret_cast<LRESULT>(brush);
            }
        }
        return 0;
    case WM_VSCROLL: case WM_HSCROLL:
        if (auto* child = FromHandle(reinterpret_cast<HWND>(lParam))) handled = child->Scroll(LOWORD(wParam));
        return 0;
    }
    return 0;
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    const bool ownClass = ownClass_;
    switch (msg) {
    case WM_COMMAND: case WM_NOTIFY: case WM_DRAWITEM: case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN: case WM_VSCROLL: case WM_HSCROLL: {
        bool handled = false;
        LRESULT result = Reflect(msg, wParam, lParam, handled);
        if (handled) return result;
        break;
    }
    case WM_PAINT:
        if (ownClass) {
            PaintHandler();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (ownClass) return 1;  // painting fills the background
        break;
    case WM_PRINTCLIENT:
        if (ownClass) {
            PaintClient(reinterpret_cast<HDC>(wParam));
            return 0;
        }
        break;
    case WM_NCCALCSIZE:
        // With either wParam the first rectangle is the window's, to be made the client's.
        if (CalcNonClientSize(*reinterpret_cast<RECT*>(lParam))) return 0;
        break;
    case WM_NCPAINT:
        if (PaintNonClient(reinterpret_cast<HRGN>(wParam))) return 0;
        break;
    case WM_NCHITTEST: {
        LRESULT hit = HTNOWHERE;
        if (NonClientHitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, hit)) return hit;
        break;
    }
    case WM_SIZE:
        if (parent_ || wParam != SIZE_MINIMIZED) {
            UpdateBoundsFromWindow();
            Realign();
            if (ownClass) InvalidateRect(handle_, nullptr, TRUE);
        }
        break;
    case WM_MOVE:
        UpdateBoundsFromWindow();
        break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == handle_) {
            POINT p;
            GetCursorPos(&p);
            ::ScreenToClient(handle_, &p);
            if (SetCursorFor(p)) return TRUE;
        } else if (LOWORD(lParam) == HTCLIENT && Screen && Screen->Cursor() != crDefault) {
            ::SetCursor(CursorHandle(Screen->Cursor()));
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
        if (RouteMouse(msg, wParam, lParam)) return 0;
        break;
    case WM_MOUSELEAVE: {
        // Only this window and the windowless controls it routes for are left: a windowed
        // child that the pointer moved into has reported the crossing already.
        TControl* current = MouseControl();
        bool routedHere = current == this || (current && current->Parent() == this && !current->IsWindowed());
        if (routedHere && !captureControl_) {
            MouseControl() = nullptr;
            current->MouseLeave();
        }
        break;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != handle_ && captureControl_) {
            captureControl_->leftPressed_ = false;  // a release elsewhere is no click
            captureControl_ = nullptr;
        }
        break;
    case WM_TIMER:
        if (timers_.count(wParam)) {
            Timer(wParam);
            return 0;
        }
        break;
    case WM_GETDLGCODE:
        return DefaultHandler(msg, wParam, lParam) | DialogCode();
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
        KeyDown(static_cast<WORD>(wParam), CurrentShiftState());
        break;
    case WM_KEYUP: case WM_SYSKEYUP:
        KeyUp(static_cast<WORD>(wParam), CurrentShiftState());
        break;
    case WM_SYSCHAR:
        if (SysKeyPress(static_cast<char>(wParam))) return 0;
        break;
    case WM_SYSCOMMAND:
        // The keyboard menu belongs to the form, whichever of its windows had the key.
        if ((wParam & 0xFFF0) == SC_KEYMENU && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD)) {
            return SendMessageA(GetAncestor(handle_, GA_ROOT), msg, wParam, lParam);
        }
        break;
    case WM_CHAR:
        KeyPress(static_cast<char>(wParam));
        break;
    case WM_SETFOCUS:
        FocusChanged(true);
        break;
    case WM_KILLFOCUS:
        FocusChanged(false);
        break;
    }
    return DefaultHandler(msg, wParam, lParam);
}
