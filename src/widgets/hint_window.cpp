#include "widgets/hint_window.h"

THintWindow::THintWindow(TComponent* owner) : TWinControl(owner) { SetVisible(false); }

void THintWindow::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    Invalidate();
}

void THintWindow::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style = WS_POPUP | WS_CLIPSIBLINGS;
    params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
}

void THintWindow::PaintWindow(TCanvas& canvas) {
    TWinControl::PaintWindow(canvas);
    canvas.Brush().SetStyle(bsClear);
    canvas.TextOut(2, 2, text_);
}
