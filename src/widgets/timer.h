#pragma once
#include <windows.h>

#include "widgets/control.h"

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
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void Restart();

    HWND window_ = nullptr;  // message-only window that receives WM_TIMER
    unsigned interval_ = 1000;
    bool enabled_ = true;
};
