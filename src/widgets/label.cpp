#include "widgets/label.h"

#include "widgets/wide_text.h"

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 65, 13);
}

void TLabel::SetAutoSize(bool value) {
    if (value == autoSize_) return;
    autoSize_ = value;
    AdjustSize();
}

void TLabel::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Invalidate();
}

void TLabel::SetWideCaption(const std::wstring& caption) {
    if (caption == wideCaption_ && AnsiFromWide(caption) == Caption()) return;
    wideCaption_ = caption;
    settingWide_ = true;
    SetCaption(AnsiFromWide(caption));
    settingWide_ = false;
    // Two names can share one look-alike: the caption did not change, the text shown did.
    AdjustSize();
    Invalidate();
}

void TLabel::CaptionChanged() {
    if (!settingWide_) wideCaption_ = WideFromAnsi(Caption());
    AdjustSize();
    Invalidate();
}

void TLabel::FontChanged() {
    AdjustSize();
    Invalidate();
}

void TLabel::AdjustSize() {
    if (!autoSize_) return;
    const RECT r = ScreenTextRect(Font(), wideCaption_.empty() ? std::wstring(L" ") : wideCaption_, DT_SINGLELINE);
    int width = r.right - r.left;
    // A right-aligned label keeps its right edge where it was placed.
    int left = alignment_ == taRightJustify ? Left() + Width() - width : Left();
    SetBounds(left, Top(), width, r.bottom - r.top);
}

void TLabel::Paint(TCanvas& canvas) {
    RECT r = ClientRect();
    if (!Transparent()) {
        canvas.Brush().SetColor(Color());
        canvas.Brush().SetStyle(bsSolid);
        canvas.FillRect(r);
    }
    canvas.Brush().SetStyle(bsClear);
    UINT format = DT_SINGLELINE | DT_TOP;
    if (alignment_ == taRightJustify) format |= DT_RIGHT;
    if (alignment_ == taCenter) format |= DT_CENTER;
    if (!Enabled()) {
        canvas.Font().SetColor(clGrayText);
    }
    canvas.DrawText(wideCaption_, r, format);
}
