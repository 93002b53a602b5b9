#include "widgets/timer.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    window_ = std::make_unique<TMessageWindow>([this](UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != WM_TIMER) return false;
        if (OnTimer) OnTimer(this);
        result = 0;
        return true;
    });
    Restart();
}

TTimer::~TTimer() { KillTimer(window_->Handle(), 1); }

void TTimer::Restart() {
    KillTimer(window_->Handle(), 1);
    if (enabled_ && interval_ > 0) SetTimer(window_->Handle(), 1, interval_, nullptr);
}

void TTimer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    Restart();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Restart();
}
