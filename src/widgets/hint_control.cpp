#include "widgets/hint_control.h"

#include "widgets/control.h"
#include "widgets/hint_window.h"
#include "widgets/message_window.h"

namespace {

constexpr UINT_PTR kShowTimer = 1, kHideTimer = 2;

UINT SystemHoverTime() {
    UINT ms = 0;
    return SystemParametersInfoA(SPI_GETMOUSEHOVERTIME, 0, &ms, 0) && ms ? ms : 400;
}

}  // namespace

THintController::THintController()
    : TComponent(nullptr), hintPause_(SystemHoverTime()), hintHidePause_(10 * GetDoubleClickTime()) {}

THintController::~THintController() {
    StopTimers();
    Track(nullptr);
}

bool THintController::Showing() const { return window_ && window_->Visible(); }

void THintController::MouseMoved(TControl* control, POINT screen) {
    if (!control) {
        Leave();
        return;
    }
    POINT client = control->ScreenToClient(screen);
    // Inside the same area nothing changes: the hint stays up, keeps waiting, or stays cancelled.
    if (control == control_ && PtInRect(&area_, client)) return;
    std::string text;
    RECT area{};
    const bool has = control->EffectiveShowHint() && control->GetHintInfo(client, text, area) && !text.empty();
    const bool wasShowing = Showing();
    Track(control);
    StopTimers();
    if (!has) {
        Hide();
        area_ = RECT{};
        text_.clear();
        return;
    }
    area_ = area;
    text_ = text;
    if (wasShowing) {
        Show();
        return;
    }
    if (!timers_)
        timers_ = std::make_unique<TMessageWindow>([this](UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
            return msg == WM_TIMER && OnTimer(wParam);
        });
    SetTimer(timers_->Handle(), kShowTimer, hintPause_, nullptr);
}

void THintController::Leave() {
    StopTimers();
    Hide();
    Track(nullptr);
    area_ = RECT{};
    text_.clear();
}

void THintController::Cancel() {
    StopTimers();
    Hide();
}

bool THintController::OnTimer(UINT_PTR id) {
    if (id != kShowTimer && id != kHideTimer) return false;
    GuardedCall([&] {
        if (id == kHideTimer) {
            Cancel();
            return;
        }
        KillTimer(timers_->Handle(), kShowTimer);
        // The pointer may have gone without a word (another window took it): only show in place.
        POINT pointer;
        if (!control_ || !GetCursorPos(&pointer)) return;
        POINT client = control_->ScreenToClient(pointer);
        if (PtInRect(&area_, client)) Show();
    });
    return true;
}

void THintController::Show() {
    POINT pointer;
    if (!GetCursorPos(&pointer)) return;
    if (!window_) {
        window_ = std::make_unique<THintWindow>(nullptr);
        window_->SetColor(clInfoBk);
        window_->Font().SetColor(clInfoText);
    }
    window_->ActivateHint(pointer, text_);
    if (timers_) SetTimer(timers_->Handle(), kHideTimer, hintHidePause_, nullptr);
}

void THintController::Hide() {
    if (Showing()) window_->SetVisible(false);
}

void THintController::StopTimers() {
    if (!timers_) return;
    KillTimer(timers_->Handle(), kShowTimer);
    KillTimer(timers_->Handle(), kHideTimer);
}

// Follows the control's life: a hint never outlives the control it belongs to.
void THintController::Track(TControl* control) {
    if (control == control_) return;
    if (control_) control_->RemoveFreeNotification(this);
    control_ = control;
    if (control_) control_->FreeNotification(this);
}

void THintController::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove || component != static_cast<TComponent*>(control_)) return;
    control_ = nullptr;  // already off the notification lists
    Leave();
}
