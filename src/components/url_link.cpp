#include "components/url_link.h"

#include <shellapi.h>

void ShellOpen(const std::string& target) {
    ShellExecuteA(nullptr, "OPEN", target.c_str(), "", "", SW_SHOW);
}

TURLLink::TURLLink(TComponent* owner)
    : TLabel(owner), hintForm_(std::make_unique<THintWindow>(nullptr)), hintFormFont_(std::make_unique<TFont>()) {
    Font().SetColor(clBlue);
    SetCursor(crHandPoint);
    Opener = ShellOpen;
}

TURLLink::~TURLLink() = default;

void TURLLink::SetURLType(TURLtype type) {
    if (type == urlType_) return;
    urlType_ = type;
    Invalidate();
}

void TURLLink::SetLink(const std::string& link) {
    if (link == link_) return;
    link_ = link;
    Invalidate();
}

void TURLLink::SetHintFormFont(const TFont& font) {
    if (&font == hintFormFont_.get()) return;
    *hintFormFont_ = font;
    Invalidate();
}

void TURLLink::SetEnableShowHint(bool value) {
    if (value == enableShowHint_) return;
    enableShowHint_ = value;
    Invalidate();
}

void TURLLink::SetHintFormColor(TColor color) {
    if (color == hintFormColor_) return;
    hintFormColor_ = color;
    Invalidate();
}

void TURLLink::SetHintOffsetX(int offset) {
    if (offset == hintOffsetX_) return;
    hintOffsetX_ = offset;
    Invalidate();
}

void TURLLink::SetHintOffsetY(int offset) {
    if (offset == hintOffsetY_) return;
    hintOffsetY_ = offset;
    Invalidate();
}

void TURLLink::SetLinkColor(TColor color) {
    if (color == linkColor_) return;
    linkColor_ = color;
    Invalidate();
}

std::string TURLLink::Target() const { return urlType_ == tpMAIL ? "mailto:" + link_ : link_; }

void TURLLink::ShowHintForm() {
    POINT pointer{};
    GetCursorPos(&pointer);
    THintWindow& hint = *hintForm_;
    hint.SetColor(hintFormColor_);
    hint.Font() = *hintFormFont_;
    hint.SetText(link_);
    const SIZE text = ScreenTextExtent(*hintFormFont_, link_);
    hint.SetBounds(pointer.x + hintOffsetX_, pointer.y + hintOffsetY_, text.cx + 6, text.cy + 3);
    hint.HandleNeeded();
    hint.SetVisible(true);  // SW_SHOWNA: the popup never takes the activation
    hint.Update();
    hintShowing_ = true;
}

void TURLLink::HideHintForm() {
    if (!hintShowing_) return;
    hintForm_->SetVisible(false);
    hintShowing_ = false;
}

void TURLLink::MouseMove(TShiftState, int, int) {
    // The base's mouse-move event is deliberately not raised.
    if (!enableShowHint_ || hintShowing_) return;
    ShowHintForm();
}

void TURLLink::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    Invalidate();
    TLabel::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    if (Opener) Opener(Target());
    HideHintForm();
}

void TURLLink::MouseEnter() {
    TLabel::MouseEnter();
    savedFontColor_ = Font().Color();
    Font().SetColor(linkColor_);
    Invalidate();
}

void TURLLink::MouseLeave() {
    TLabel::MouseLeave();
    Font().SetColor(savedFontColor_);
    Invalidate();
    HideHintForm();
}
