#include "components/picture_button.h"

#include <algorithm>

namespace {
SIZE IconSize(HICON icon) {
    SIZE size{0, 0};
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return size;
    BitmapHandle color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (color && GetObjectA(color.get(), sizeof(bm), &bm)) {
        size = {bm.bmWidth, bm.bmHeight};
    } else if (mask && GetObjectA(mask.get(), sizeof(bm), &bm)) {
        size = {bm.bmWidth, bm.bmHeight / 2};  // a monochrome icon stacks its two masks
    }
    return size;
}

SIZE GraphicSize(TPicture& picture) {
    if (TBitmap* bitmap = picture.Bitmap()) return {bitmap->Width(), bitmap->Height()};
    if (HICON icon = picture.Icon()) return IconSize(icon);
    return {0, 0};
}

// Copies `source` onto `target` at (x, y), leaving out the pixels of the transparent colour.
void DrawTransparentBitmap(HDC target, int x, int y, int w, int h, HDC source, COLORREF transparent) {
    MemoryDC maskDC(target);
    BitmapHandle mask(CreateBitmap(w, h, 1, 1, nullptr));
    ScopedSelect selectMask(maskDC.get(), mask.get());
    COLORREF sourceBack = SetBkColor(source, transparent);
    BitBlt(maskDC.get(), 0, 0, w, h, source, 0, 0, SRCCOPY);  // white where transparent
    SetBkColor(source, sourceBack);
    COLORREF text = SetTextColor(target, RGB(0, 0, 0));
    COLORREF back = SetBkColor(target, RGB(255, 255, 255));
    // target ^ source, cleared where opaque, ^ source again: source where opaque, target elsewhere.
    BitBlt(target, x, y, w, h, source, 0, 0, SRCINVERT);
    BitBlt(target, x, y, w, h, maskDC.get(), 0, 0, SRCAND);
    BitBlt(target, x, y, w, h, source, 0, 0, SRCINVERT);
    SetTextColor(target, text);
    SetBkColor(target, back);
}

// Draws the picture at its own size: a bitmap without its transparent colour (the bottom-left
// pixel), an icon through its mask.
void DrawGraphic(HDC target, int x, int y, TPicture& picture) {
    if (TBitmap* bitmap = picture.Bitmap()) {
        if (bitmap->Empty()) return;
        HDC source = bitmap->Canvas().Handle();
        COLORREF transparent = GetPixel(source, 0, bitmap->Height() - 1);
        DrawTransparentBitmap(target, x, y, bitmap->Width(), bitmap->Height(), source, transparent);
    } else if (HICON icon = picture.Icon()) {
        DrawIconEx(target, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
    }
}

TShiftState KeyboardShiftState() {
    BYTE keys[256] = {};
    TShiftState shift = 0;
    if (!GetKeyboardState(keys)) return shift;
    auto down = [&keys](int key) { return (keys[key] & 0x80) != 0; };
    if (down(VK_SHIFT)) shift |= ssShift;
    if (down(VK_MENU)) shift |= ssAlt;
    if (down(VK_CONTROL)) shift |= ssCtrl;
    if (down(VK_LBUTTON)) shift |= ssLeft;
    if (down(VK_RBUTTON)) shift |= ssRight;
    if (down(VK_MBUTTON)) shift |= ssMiddle;
    return shift;
}

bool LeftButtonDown() { return GetKeyState(VK_LBUTTON) < 0; }
}  // namespace

int HalfRoundedToEven(int free) {
    int floorHalf = free >= 0 ? free / 2 : -((-free + 1) / 2);
    if (free % 2 == 0) return floorHalf;
    // An exact half: of floorHalf and floorHalf + 1, take the even one.
    return floorHalf % 2 == 0 ? floorHalf : floorHalf + 1;
}

TPictureButton::TPictureButton(TComponent* owner) : TPanel(owner) {
    ApplyStyleBevels(bsStdButton);
    SetBounds(Left(), Top(), 36, 36);
    picture_.OnChange = [this] { Invalidate(); };
}

TPictureButton::~TPictureButton() {
    picture_.OnChange = nullptr;
    picture_.Clear();
}

// --- properties ----------------------------------------------------------------------------

void TPictureButton::ApplyStyleBevels(TButtonStyle style) {
    switch (style) {
    case bsLowered: SetBevelInner(bvNone); SetBevelOuter(bvLowered); break;
    case bsRaised: SetBevelInner(bvNone); SetBevelOuter(bvRaised); break;
    case bsFrame: SetBevelInner(bvLowered); SetBevelOuter(bvRaised); break;
    case bsGroove: SetBevelInner(bvRaised); SetBevelOuter(bvLowered); break;
    default: SetBevelInner(bvNone); SetBevelOuter(bvNone); break;
    }
}

void TPictureButton::SetButtonStyle(TButtonStyle style) {
    if (style == buttonStyle_) return;
    // Repaints only through a changed bevel: between the flat styles nothing is redrawn now.
    ApplyStyleBevels(style);
    buttonStyle_ = style;
}

void TPictureButton::SetColorChange(bool value) {
    if (value == colorChange_) return;
    colorChange_ = value;
    Invalidate();
}

void TPictureButton::SetFocusStyle(TFocusStyle style) {
    if (style == focusStyle_) return;
    focusStyle_ = style;
    Invalidate();
}

void TPictureButton::SetPicture(const TPicture& picture) {
    if (&picture == &picture_) return;
    if (TBitmap* source = picture.Bitmap()) {
        picture_.Clear();
        TBitmap& copy = picture_.EnsureBitmap(source->Width(), source->Height());
        if (!source->Empty() && !copy.Empty()) {
            BitBlt(copy.Canvas().Handle(), 0, 0, source->Width(), source->Height(), source->Canvas().Handle(), 0, 0,
                   SRCCOPY);
        }
    } else if (picture.Icon()) {
        picture_.SetIcon(picture.Icon());
    } else {
        picture_.Clear();
    }
    Invalidate();
}

bool TPictureButton::LoadPictureIcon(HINSTANCE instance, const char* name, int size) {
    auto icon = static_cast<HICON>(LoadImageA(instance, name, IMAGE_ICON, size, size, 0));
    if (!icon) return false;
    picture_.SetIcon(icon);
    ownedIcon_.reset(icon);
    return true;
}

void TPictureButton::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    TControl::SetColor(color);
    Invalidate();
}

void TPictureButton::SetStretch(bool value) {
    if (value == stretch_) return;
    stretch_ = value;
    Invalidate();
}

void TPictureButton::SetPictureLeft(int value) {
    if (value == pictureLeft_) return;
    pictureLeft_ = value;
    Invalidate();
}

void TPictureButton::SetPictureTop(int value) {
    if (value == pictureTop_) return;
    pictureTop_ = value;
    Invalidate();
}

void TPictureButton::SetCaptionLeft(int value) {
    if (value == captionLeft_) return;
    captionLeft_ = value;
    Invalidate();
}

void TPictureButton::SetCaptionTop(int value) {
    if (value == captionTop_) return;
    captionTop_ = value;
    Invalidate();
}

void TPictureButton::Loaded() {
    TPanel::Loaded();
    TControl::SetColor(color_);
}

void TPictureButton::ColorChanged() {
    backgroundSolid_ = true;
    Invalidate();
}

// --- looks ---------------------------------------------------------------------------------

void TPictureButton::SetPushedLook(bool pushed) {
    switch (buttonStyle_) {
    case bsNone: SetBevelOuter(pushed ? bvLowered : bvNone); break;
    case bsLowered: SetBevelInner(pushed ? bvLowered : bvNone); break;
    case bsRaised: SetBevelOuter(pushed ? bvLowered : bvRaised); break;
    case bsFrame: SetBevelOuter(pushed ? bvNone : bvRaised); break;
    case bsGroove: SetBevelInner(pushed ? bvNone : bvRaised); break;
    case bsIELike: SetBevelOuter(pushed ? bvLowered : (IsMouseInside() ? bvRaised : bvNone)); break;
    case bsSpBtnLike:
        // A toggle: running it twice after a click (click, then mouse-up) leaves the button flat.
        SetBevelOuter(pushed ? bvLowered : (BevelOuter() == bvRaised ? bvNone : bvRaised));
        break;
    case bsStdButton: break;
    }
}

bool TPictureButton::IsMouseInside() const {
    HWND window = HandleOrNull();
    if (!window) return false;
    POINT p;
    GetCursorPos(&p);
    ::ScreenToClient(window, &p);
    RECT r = ClientRect();
    return PtInRect(&r, p) != FALSE;
}

void TPictureButton::RepaintNow() {
    Invalidate();
    Update();
}

TColor TPictureButton::FillColor() {
    TColor fill = pressed_ == 0 ? DisplayedColor() : (pushCorrection_ != 0 ? color_ : inColor_);
    if (focusStyle_ == bfsInColor && Focused()) fill = inColor_;
    return fill;
}

void TPictureButton::EraseBackground(HDC dc) {
    if (backgroundSolid_) FillSolid(dc, ClientRect(), DisplayedColor());
}

void TPictureButton::PaintWindow(TCanvas& canvas) {
    TBitmap image;
    image.SetSize(Width(), Height());
    if (image.Empty()) return;
    DrawButton(image.Canvas());
    canvas.Draw(0, 0, image);  // one copy: the face never flickers
}

void TPictureButton::DrawButton(TCanvas& canvas) {
    HDC dc = canvas.Handle();
    RECT r{0, 0, Width(), Height()};
    DrawBevel(dc, r, BevelOuter(), 1);
    DrawBevel(dc, r, BevelInner(), 1);
    TColor fill = FillColor();
    FillSolid(dc, r, fill);
    if (!picture_.Empty()) DrawPicture(canvas, fill);
    if (!Caption().empty()) DrawCaption(canvas);
    r = DrawBorder(canvas);
    if (focusStyle_ == bfsStdButton && Focused()) {
        InflateRect(&r, -2, -2);
        canvas.DrawFocusRect(r);
    }
}

void TPictureButton::DrawPicture(TCanvas& canvas, TColor fill) {
    const int w = Width(), h = Height(), offset = PushOffset();
    SIZE size = GraphicSize(picture_);
    if (size.cx <= 0 || size.cy <= 0) return;
    HDC dc = canvas.Handle();
    if (!stretch_) {
        int x = pictureLeft_ == -1 ? HalfRoundedToEven(w - size.cx) : pictureLeft_;
        int y = pictureTop_ == -1 ? HalfRoundedToEven(h - size.cy) : pictureTop_;
        DrawGraphic(dc, x + offset, y + offset, picture_);
        return;
    }
    TBitmap image;
    image.SetSize(size.cx, size.cy);
    HDC imageDC = image.Canvas().Handle();
    FillSolid(imageDC, RECT{0, 0, std::min<int>(size.cx, w), std::min<int>(size.cy, h)}, fill);
    if (HWND window = HandleOrNull()) {
        SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(imageDC), 0);
    } else {
        EraseBackground(imageDC);
    }
    DrawGraphic(imageDC, 0, 0, picture_);
    int left = 2 + offset, top = 2 + offset;
    int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, left, top, (w - 4) - left, (h - 4) - top, imageDC, 0, 0, size.cx, size.cy, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

void TPictureButton::DrawCaption(TCanvas& canvas) {
    const int w = Width(), h = Height(), offset = PushOffset();
    canvas.Font() = Font();
    // Once a caption is drawn the background erase paints nothing until the displayed colour
    // changes again; a stretched picture's transparent part shows the fill colour meanwhile.
    backgroundSolid_ = false;
    RECT measured{0, 0, 0, 0};
    canvas.DrawText(Caption(), measured, DT_CALCRECT);
    int tw = measured.right - measured.left, th = measured.bottom - measured.top;
    int x = captionLeft_ == -1 ? (w - tw) / 2 : captionLeft_;
    int y = captionTop_ == -1 ? (h - th) / 2 : captionTop_;
    canvas.Brush().SetStyle(bsClear);
    RECT target{x + offset, y + offset, w, h};
    canvas.DrawText(Caption(), target, 0);
}

RECT TPictureButton::DrawBorder(TCanvas& canvas) {
    RECT r{0, 0, Width(), Height()};
    const int offset = PushOffset();
    if (buttonStyle_ != bsStdButton) {
        InflateRect(&r, -offset, -offset);
        return r;
    }
    HDC dc = canvas.Handle();
    if (offset != 0 && offset < 2) {
        Frame3D(dc, r, clBtnShadow, clBtnShadow);
        Frame3D(dc, r, clBtnFace, clBtnFace);
    } else {
        Frame3D(dc, r, cl3DLight, cl3DDkShadow);
        Frame3D(dc, r, clBtnHighlight, clBtnShadow);
    }
    return r;
}

// --- pointer -------------------------------------------------------------------------------

void TPictureButton::MouseEnter() {
    TPanel::MouseEnter();
    POINT p{};
    GetCursorPos(&p);
    p = ScreenToClient(p);
    MouseEnter(KeyboardShiftState(), p.x, p.y);
}

void TPictureButton::MouseLeave() {
    TPanel::MouseLeave();
    POINT p{};
    GetCursorPos(&p);
    p = ScreenToClient(p);
    MouseLeave(KeyboardShiftState(), p.x, p.y);
}

void TPictureButton::MouseEnter(TShiftState shift, int x, int y) {
    if (OnMouseEnter) OnMouseEnter(this, shift, x, y);
    switch (buttonStyle_) {
    case bsIELike:
    case bsSpBtnLike:
        SetBevelOuter(LeftButtonDown() ? bvLowered : bvRaised);
        pushCorrection_ = 0;
        RepaintNow();
        break;
    case bsStdButton:
        // Back over the button while it still holds the press.
        if (HandleOrNull() && GetCapture() == HandleOrNull()) {
            pushCorrection_ = 0;
            RepaintNow();
        }
        break;
    default: break;
    }
    if (colorChange_) TControl::SetColor(inColor_);
}

void TPictureButton::MouseLeave(TShiftState shift, int x, int y) {
    if (OnMouseLeave) OnMouseLeave(this, shift, x, y);
    switch (buttonStyle_) {
    case bsIELike:
        SetBevelOuter(bvNone);
        pushCorrection_ = -pressed_;
        RepaintNow();
        break;
    case bsSpBtnLike:
        SetBevelOuter(LeftButtonDown() ? bvRaised : bvNone);
        pushCorrection_ = -pressed_;
        RepaintNow();
        break;
    case bsStdButton:
        pushCorrection_ = -pressed_;
        RepaintNow();
        break;
    default: break;
    }
    if (colorChange_) TControl::SetColor(color_);
}

void TPictureButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        SetFocus();
        SetPushedLook(true);
        pressed_ = 1;
        RepaintNow();
        pressStarted_ = true;
        SetCapture(Handle());
    }
    TPanel::MouseDown(button, shift, x, y);
}

void TPictureButton::Release() {
    SetPushedLook(false);
    pressed_ = 0;
    pushCorrection_ = 0;
    RepaintNow();
}

void TPictureButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        bool pressedHere = pressStarted_;
        pressStarted_ = false;
        if (HandleOrNull() && GetCapture() == HandleOrNull()) ReleaseCapture();
        RECT client = ClientRect();
        POINT p{x, y};
        try {
            // The click runs before the release, as OnClick sees the button already let go.
            if (pressedHere && PtInRect(&client, p)) Click();
        } catch (...) {
            Release();
            throw;
        }
        Release();
    }
    TPanel::MouseUp(button, shift, x, y);
}

void TPictureButton::Click() {
    pressed_ = 0;
    SetPushedLook(false);
    Invalidate();
    TPanel::Click();
}

// --- keyboard and focus --------------------------------------------------------------------

void TPictureButton::KeyDown(WORD key, TShiftState shift) {
    TPanel::KeyDown(key, shift);
    if (!Enabled()) return;
    if (key == VK_SPACE) {
        if (pressed_ == 1) return;  // auto-repeat
        pressed_ = 1;
        SetPushedLook(true);
        Invalidate();
    } else if (key == VK_RETURN) {
        SetPushedLook(true);
        pressed_ = 1;
        Invalidate();
        auto release = [this] {
            SetPushedLook(false);
            pressed_ = 0;
            Invalidate();
        };
        try {
            Click();
        } catch (...) {
            release();
            throw;
        }
        release();
    } else if (pressed_ == 1) {
        // Any other key cancels a space press.
        pressed_ = 0;
        SetPushedLook(false);
        Invalidate();
    }
}

void TPictureButton::KeyUp(WORD key, TShiftState shift) {
    TPanel::KeyUp(key, shift);
    if (pressed_ != 1 || key != VK_SPACE) return;
    pressed_ = 0;
    SetPushedLook(false);
    Invalidate();
    try {
        Click();
    } catch (...) {
        Invalidate();
        throw;
    }
    Invalidate();
}

void TPictureButton::FocusChanged(bool focused) {
    Invalidate();
    TPanel::FocusChanged(focused);
}

LRESULT TPictureButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        EraseBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_GETDLGCODE: {
        // DLGC_BUTTON lets the dialog manager match the caption's accelerator and send
        // BM_CLICK; Enter must reach KeyDown instead of being turned into the form's IDOK.
        LRESULT code = TPanel::WndProc(msg, wParam, lParam) | DLGC_BUTTON;
        auto* message = reinterpret_cast<const MSG*>(lParam);
        if (message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
        return code;
    }
    case BM_CLICK:
        // The accelerator: the dialog manager has matched the character without regard to case.
        if (Enabled() && Visible() && Parent() && Parent()->Showing()) Click();
        return 0;
    case WM_CAPTURECHANGED:
        // A press whose capture is taken away (a message box, another window) ends unclicked.
        if (pressStarted_ && reinterpret_cast<HWND>(lParam) != HandleOrNull()) {
            pressStarted_ = false;
            Release();
        }
        break;
    }
    return TPanel::WndProc(msg, wParam, lParam);
}
