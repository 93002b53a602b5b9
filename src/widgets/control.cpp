// Controls: bounds, visibility, enabling, captions, fonts and held updates.
#include "widgets/control.h"

#include <algorithm>

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.OnChange = [this] {
        parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl() {
    if (MouseControl() == this) MouseControl() = nullptr;
    font_.OnChange = nullptr;
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

void TControl::ParentFontChanged(const TFont& font) {
    if (!parentFont_) return;
    auto handler = std::move(font_.OnChange);
    font_ = font;
    font_.OnChange = std::move(handler);
    FontChanged();
}

void TControl::SetParentFont(bool value) {
    if (value == parentFont_) return;
    parentFont_ = value;
    if (value && parent_) ParentFontChanged(parent_->Font());
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    RECT old = BoundsRect();
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (parent_ && parent_->HandleAllocated()) {
        InvalidateRect(parent_->HandleOrNull(), &old, TRUE);
        Invalidate();
    }
    BoundsChanged();
    RequestAlign();
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    VisibleChanged();
    if (parent_) parent_->Realign();
}

void TControl::VisibleChanged() {
    if (parent_ && parent_->HandleAllocated()) {
        RECT r = BoundsRect();
        InvalidateRect(parent_->HandleOrNull(), &r, TRUE);
    }
    if (!visible_ && MouseControl() == this) {
        MouseControl() = nullptr;
        mouseInControl_ = false;
    }
}

bool TControl::Showing() const {
    if (!visible_) return false;
    if (!parent_) return WindowHandle() && IsWindowVisible(WindowHandle());
    return parent_->Showing();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    EnabledChanged();
}

void TControl::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    CaptionChanged();
}

void TControl::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    ColorChanged();
}

void TControl::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    Invalidate();
}

void TControl::Invalidate() {
    if (!parent_ || !parent_->HandleAllocated()) return;
    RECT r = BoundsRect();
    InvalidateRect(parent_->HandleOrNull(), &r, TRUE);
}

void TControl::Update() {
    HWND window = WindowHandle();
    if (window) UpdateWindow(window);
}

HWND TControl::WindowHandle() const { return parent_ ? parent_->HandleOrNull() : nullptr; }

POINT TControl::ClientToScreen(POINT p) const {
    if (!IsWindowed()) {
        p.x += left_;
        p.y += top_;
    }
    HWND window = WindowHandle();
    if (window) ::ClientToScreen(window, &p);
    return p;
}

POINT TControl::ScreenToClient(POINT p) const {
    HWND window = WindowHandle();
    if (window) ::ScreenToClient(window, &p);
    if (!IsWindowed()) {
        p.x -= left_;
        p.y -= top_;
    }
    return p;
}

void TWinControl::SetFocus() {
    if (HWND h = Handle()) ::SetFocus(h);
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (handle_) {
        SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    BoundsChanged();
    RequestAlign();
    Realign();
}

RECT TWinControl::ClientRect() const {
    RECT r{0, 0, width_, height_};
    if (handle_) GetClientRect(handle_, &r);
    return r;
}

void TWinControl::VisibleChanged() {
    if (handle_) ShowWindow(handle_, Visible() ? SW_SHOWNA : SW_HIDE);
    TControl::VisibleChanged();
}

void TWinControl::SetEnabled(bool enabled) {
    if (enabled == Enabled()) return;  // the timer sets it every 10 ms
    TControl::SetEnabled(enabled);
    if (handle_) EnableWindow(handle_, enabled);
    Invalidate();
}

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::BeginUpdate() {
    if (updateDepth_++ == 0) UpdatesHeld();
}

void TWinControl::EndUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0) UpdatesReleased();
}

void TWinControl::UpdatesHeld() {
    if (handle_) SendMessageA(handle_, WM_SETREDRAW, FALSE, 0);
}

void TWinControl::UpdatesReleased() {
    if (!handle_) return;
    SendMessageA(handle_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

void TWinControl::CaptionChanged() {
    if (handle_) SetWindowTextA(handle_, Caption().c_str());
}

void TWinControl::FontChanged() {
    if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
    for (TControl* child : controls_) child->ParentFontChanged(Font());
    Invalidate();
}
