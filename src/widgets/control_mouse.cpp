// Mouse input: shift states, the control under the pointer, and the routing of a window's
// mouse messages to its windowless controls.
#include "widgets/control.h"

#include <windowsx.h>

#include "widgets/hint_text.h"

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

bool TControl::EffectiveShowHint() const {
    return ShowHint || (ParentShowHint && parent_ && parent_->EffectiveShowHint());
}

bool TControl::GetHintInfo(POINT, std::string& text, RECT& hintRect) {
    text = GetShortHint(Hint);
    hintRect = ClientRect();
    return !text.empty();
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

TControl* TWinControl::WindowlessControlAt(POINT p) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (!c->Visible() || c->IsWindowed()) continue;
        RECT r = c->BoundsRect();
        if (PtInRect(&r, p)) return c;
    }
    return nullptr;
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
