#include "widgets/group_box.h"

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 185, 105);
}

void TGroupBox::PaintWindow(TCanvas& canvas) {
    RECT r = ClientRect();
    canvas.Brush().SetColor(Color());
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(r);
    int textHeight = canvas.TextHeight("0");
    RECT frame{r.left, r.top + textHeight / 2, r.right, r.bottom};
    DrawEdge(canvas.Handle(), &frame, EDGE_ETCHED, BF_RECT);
    if (!Caption().empty()) {
        RECT text{8, 0, 0, 0};
        canvas.DrawText(Caption(), text, DT_CALCRECT | DT_SINGLELINE);
        text.right += 2;
        OffsetRect(&text, -1, 0);
        canvas.Brush().SetColor(Color());
        canvas.FillRect(text);
        OffsetRect(&text, 1, 0);
        canvas.Brush().SetStyle(bsClear);
        if (!Enabled()) canvas.Font().SetColor(clGrayText);
        canvas.DrawText(Caption(), text, DT_SINGLELINE);
    }
}

void TGroupBox::AdjustClientRect(RECT& r) const {
    r.top += 15;
    InflateRect(&r, -2, -2);
}
