// The windowed control's window: class, creation and binding, moving between parents,
// deferred free, timers, and the window procedure.
#include "widgets/control.h"

#include <windowsx.h>

#include <optional>
#include <set>
#include <utility>

#include "widgets/deferred_call.h"

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

// The system-class window being made now: SubclassOnCreate binds it before its first message.
TWinControl* creatingSystemWindow = nullptr;

// A thread's computer-based-training hook for one scope.
class ScopedCbtHook {
public:
    explicit ScopedCbtHook(HOOKPROC proc) : hook_(SetWindowsHookExA(WH_CBT, proc, nullptr, GetCurrentThreadId())) {}
    ~ScopedCbtHook() { if (hook_) UnhookWindowsHookEx(hook_); }
    ScopedCbtHook(const ScopedCbtHook&) = delete;
    ScopedCbtHook& operator=(const ScopedCbtHook&) = delete;

private:
    HHOOK hook_;
};
}  // namespace

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
    HWND window = nullptr;
    {
        // A system class has a procedure of its own: it is subclassed as the system announces
        // the new window, so that its creation messages reach this object too.
        std::optional<ScopedCbtHook> hook;
        if (!ownClass) hook.emplace(SubclassOnCreate);
        creatingSystemWindow = ownClass ? nullptr : this;
        window = CreateWindowExA(params.ExStyle, cls, Caption().c_str(), params.Style, left_, top_, width_, height_,
                                 parentWindow ? parentWindow : params.WndParent, id, GetModuleHandleA(nullptr), this);
        creatingSystemWindow = nullptr;
    }
    if (!window) return;
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

LRESULT CALLBACK TWinControl::SubclassOnCreate(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && creatingSystemWindow) {
        // Only the window made for the control: a system control may make windows of its own.
        const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        if (create->lpCreateParams == creatingSystemWindow) {
            TWinControl* control = std::exchange(creatingSystemWindow, nullptr);
            control->Bind(reinterpret_cast<HWND>(wParam));
            control->Subclass();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
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
