#pragma once
#include <windows.h>

#include <string>

#include "widgets/control.h"

// The borderless, stay-on-top window that shows a link's target beside the pointer. It is
// shown without activation, so the focus stays where it was, and the mouse passes through it.
class THintWindow : public TWinControl {
public:
    explicit THintWindow(TComponent* owner);

    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);

    // Shows `text` below the pointer at `screen`, sized to it and kept on the pointer's monitor.
    void ActivateHint(POINT screen, const std::string& text);

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void PaintWindow(TCanvas& canvas) override;

private:
    std::string text_;
};
