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
        COLORREF topLeft = ColorToRGB(cut == bvRaised ? clBtnHighlight : clBtnShadow);
        COLORREF bottomRight = ColorToRGB(cut == bvRaised ? clBtnShadow : clBtnHighlight);
        for (int i = 0; i < width; ++i) {
            RECT edge{r.left + i, r.top + i, r.right - i, r.bottom - i};
            BrushHandle tl(CreateSolidBrush(topLeft)), br(CreateSolidBrush(bottomRight));
            RECT top{edge.left, edge.top, edge.right, edge.top + 1};
            RECT left{edge.left, edge.top, edge.left + 1, edge.bottom};
            RECT bottom{edge.left, edge.bottom - 1, edge.right, edge.bottom};
            RECT right{edge.right - 1, edge.top, edge.right, edge.bottom};
            FillRect(dc, &top, tl.get());
            FillRect(dc, &left, tl.get());
            FillRect(dc, &bottom, br.get());
            FillRect(dc, &right, br.get());
        }
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
