#include "widgets/panel.h"

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelInner(TBevelCut cut) {
    if (cut == bevelInner_) return;
    bevelInner_ = cut;
    Invalidate();
    Realign();
}

void TPanel::SetBevelOuter(TBevelCut cut) {
    if (cut == bevelOuter_) return;
    bevelOuter_ = cut;
    Invalidate();
    Realign();
}

void TPanel::SetBevelWidth(int width) {
    if (width == bevelWidth_) return;
    bevelWidth_ = width;
    Invalidate();
    Realign();
}

void DrawBevel(HDC dc, RECT& r, TBevelCut cut, int width) {
    if (cut == bvNone) return;
    if (cut != bvSpace) {
        const TColor topLeft = cut == bvRaised ? clBtnHighlight : clBtnShadow;
        const TColor bottomRight = cut == bvRaised ? clBtnShadow : clBtnHighlight;
        RECT edge = r;
        for (int i = 0; i < width; ++i) Frame3D(dc, edge, topLeft, bottomRight);
    }
    InflateRect(&r, -width, -width);
}

void TPanel::PaintWindow(TCanvas& canvas) {
    RECT r = ClientRect();
    canvas.Brush().SetColor(Color());
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(r);
    DrawBevel(canvas.Handle(), r, bevelOuter_, bevelWidth_);
    DrawBevel(canvas.Handle(), r, bevelInner_, bevelWidth_);
    if (!Caption().empty()) {
        canvas.Brush().SetStyle(bsClear);
        canvas.DrawText(Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void TPanel::AdjustClientRect(RECT& r) const {
    int inset = (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
    InflateRect(&r, -inset, -inset);
}
