#include "widgets/progress_bar.h"

#include <commctrl.h>

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 150, 16); }

void TProgressBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = PROGRESS_CLASSA;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | (smooth_ ? PBS_SMOOTH : 0);
    params.ExStyle = 0;
}

void TProgressBar::AfterCreateWnd() {
    ApplyRange();
    ApplyPosition();
}

void TProgressBar::UpdatesReleased() { ApplyPosition(); }

void TProgressBar::ApplyPosition() {
    if (HWND h = HandleOrNull()) SendMessageA(h, PBM_SETPOS, position_, 0);
}

void TProgressBar::ApplyRange() {
    if (HWND h = HandleOrNull()) SendMessageA(h, PBM_SETRANGE32, min_, max_);
}

void TProgressBar::SetMin(int value) {
    if (value == min_) return;
    min_ = value;
    ApplyRange();
}

void TProgressBar::SetMax(int value) {
    if (value == max_) return;
    max_ = value;
    ApplyRange();
}

void TProgressBar::SetPosition(int value) {
    position_ = value < min_ ? min_ : (value > max_ ? max_ : value);
    if (!Updating()) ApplyPosition();
}
