#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "widgets/component.h"

class TControl;
class THintWindow;
class TMessageWindow;

// Shows the tooltip of the control under the pointer: after the hover delay the control's
// hint for that point appears below the pointer; it goes when the pointer leaves the area the
// control named for it, and after a while by itself. A hint that is up follows the pointer to
// the next area at once. Controls report their pointer to it; the application holds one.
class THintController : public TComponent {
public:
    THintController();
    ~THintController() override;

    // Milliseconds before a hint shows, and before a shown hint hides by itself.
    UINT HintPause() const { return hintPause_; }
    void SetHintPause(UINT ms) { hintPause_ = ms; }
    UINT HintHidePause() const { return hintHidePause_; }
    void SetHintHidePause(UINT ms) { hintHidePause_ = ms; }

    // The pointer is over `control` at `screen`.
    void MouseMoved(TControl* control, POINT screen);
    // The pointer left the control's area: the hint goes and is forgotten.
    void Leave();
    // A press or a key: the hint goes and stays away until the pointer leaves its area.
    void Cancel();

    bool Showing() const;
    // The hint shown, or waiting for its delay.
    const std::string& Text() const { return text_; }
    TControl* Control() const { return control_; }
    THintWindow* Window() const { return window_.get(); }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void Track(TControl* control);
    void Show();
    void Hide();
    void StopTimers();
    bool OnTimer(UINT_PTR id);

    std::unique_ptr<THintWindow> window_;
    std::unique_ptr<TMessageWindow> timers_;
    TControl* control_ = nullptr;
    RECT area_{};  // in the control's client coordinates; the hint stays the same inside it
    std::string text_;
    UINT hintPause_;
    UINT hintHidePause_;
};
