#pragma once
#include "widgets/panel.h"

enum TButtonStyle : uint8_t { bsNone, bsLowered, bsRaised, bsFrame, bsGroove, bsIELike, bsSpBtnLike, bsStdButton };
enum TFocusStyle : uint8_t { bfsNone, bfsStdButton, bfsInColor };

// Owns an icon handle (DestroyIcon once).
class IconHandle {
public:
    IconHandle() = default;
    explicit IconHandle(HICON icon) : icon_(icon) {}
    ~IconHandle() { reset(); }
    IconHandle(const IconHandle&) = delete;
    IconHandle& operator=(const IconHandle&) = delete;
    HICON get() const { return icon_; }
    void reset(HICON icon = nullptr) {
        if (icon_) DestroyIcon(icon_);
        icon_ = icon;
    }

private:
    HICON icon_ = nullptr;
};

// A push button that draws itself completely: a picture and a caption at free or centred
// places, one of eight bevel styles, and a background colour that follows the pointer.
//
// The base control's colour (TControl::Color) is the *displayed* colour, which hovering
// switches; Color()/SetColor() here are the resting colour.
class TPictureButton : public TPanel {
public:
    explicit TPictureButton(TComponent* owner);
    ~TPictureButton() override;

    TButtonStyle ButtonStyle() const { return buttonStyle_; }
    void SetButtonStyle(TButtonStyle style);
    bool ColorChange() const { return colorChange_; }
    void SetColorChange(bool value);
    TFocusStyle FocusStyle() const { return focusStyle_; }
    void SetFocusStyle(TFocusStyle style);
    TPicture& Picture() { return picture_; }
    void SetPicture(const TPicture& picture);  // copies the content
    // Loads an icon resource at `size` pixels into Picture; the button owns the icon.
    bool LoadPictureIcon(HINSTANCE instance, const char* name, int size = 16);
    TColor InColor() const { return inColor_; }
    void SetInColor(TColor color) { inColor_ = color; }  // shows at the next entry
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TColor DisplayedColor() const { return TControl::Color(); }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    int PictureLeft() const { return pictureLeft_; }
    void SetPictureLeft(int value);
    int PictureTop() const { return pictureTop_; }
    void SetPictureTop(int value);
    int CaptionLeft() const { return captionLeft_; }
    void SetCaptionLeft(int value);
    int CaptionTop() const { return captionTop_; }
    void SetCaptionTop(int value);

    int Pressed() const { return pressed_; }
    int PushCorrection() const { return pushCorrection_; }
    int PushOffset() const { return pressed_ + pushCorrection_; }

    TMouseMoveEvent OnMouseEnter, OnMouseLeave;  // hide the platform's notify events

    void SetPushedLook(bool pushed);
    void Loaded() override;
    void Click() override;

    // Platform handlers of the pointer crossing the edge, and their overridable forms.
    void MouseEnter() override;
    void MouseLeave() override;
    virtual void MouseEnter(TShiftState shift, int x, int y);
    virtual void MouseLeave(TShiftState shift, int x, int y);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void PaintWindow(TCanvas& canvas) override;
    void ColorChanged() override;
    void KeyDown(WORD key, TShiftState shift) override;
    void KeyUp(WORD key, TShiftState shift) override;
    void FocusChanged(bool focused) override;

    // Draws the whole face into `canvas` (an off-screen image of the button's size).
    void DrawButton(TCanvas& canvas);

private:
    void ApplyStyleBevels(TButtonStyle style);
    bool IsMouseInside() const;
    void RepaintNow();
    void Release();
    TColor FillColor();
    void DrawPicture(TCanvas& canvas, TColor fill);
    void DrawCaption(TCanvas& canvas);
    RECT DrawBorder(TCanvas& canvas);
    void EraseBackground(HDC dc);

    TButtonStyle buttonStyle_ = bsStdButton;
    bool colorChange_ = true;
    TPicture picture_;
    IconHandle ownedIcon_;
    TColor inColor_ = cl3DLight;
    TColor color_ = clBtnFace;
    bool stretch_ = false;
    TFocusStyle focusStyle_ = bfsStdButton;
    int pressed_ = 0;
    int pushCorrection_ = 0;
    int captionLeft_ = -1, pictureLeft_ = -1, pictureTop_ = -1, captionTop_ = -1;
    bool pressStarted_ = false;      // the left button went down on this button
    bool backgroundSolid_ = true;    // the background erase fills with the displayed colour
};

// (free - 0) / 2 rounded to the nearest integer, halves to the even neighbour.
int HalfRoundedToEven(int free);
