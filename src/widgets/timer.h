#pragma once
#include <windows.h>

#include <memory>

#include "widgets/control.h"
#include "widgets/message_window.h"

// Raises OnTimer every Interval milliseconds while enabled, from the message loop.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    TNotifyEvent OnTimer;

private:
    void Restart();

    std::unique_ptr<TMessageWindow> window_;  // receives WM_TIMER
    unsigned interval_ = 1000;
    bool enabled_ = true;
};
