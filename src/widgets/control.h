#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "widgets/application.h"
#include "widgets/component.h"
#include "widgets/graphics.h"

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

// Held keys and mouse buttons.
using TShiftState = uint16_t;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32;
TShiftState ShiftStateFromKeys(WPARAM keys);  // from the MK_* bits of a mouse message
TShiftState CurrentShiftState();              // from the keyboard state

using TNotifyEvent = std::function<void(TComponent* Sender)>;
using TMouseEvent = std::function<void(TComponent* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TComponent* Sender, TShiftState Shift, int X, int Y)>;

class TWinControl;

// A visual component with a place in its parent. Controls without a window of their own
// (labels, images) are painted by their parent and get their mouse input from it.
class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    virtual RECT ClientRect() const { return RECT{0, 0, width_, height_}; }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    // Visible itself and every parent up to a shown window.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

    TFont& Font() { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor) { cursor_ = cursor; }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);

    std::string Hint;
    bool ShowHint = false;
    bool ParentShowHint = true;  // hints also show when the parent's do
    bool EffectiveShowHint() const;
    // The tooltip for a client point: its text and the client rectangle within which it
    // stays the same. False for none. By default the short part of Hint over the whole control.
    virtual bool GetHintInfo(POINT clientPoint, std::string& text, RECT& hintRect);

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter, OnMouseLeave;

    virtual void Invalidate();
    void Update();  // paints what is invalid now
    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;
    virtual HWND WindowHandle() const;  // own window, or the parent's for windowless controls
    virtual bool IsWindowed() const { return false; }

    // Input as the platform reports it; coordinates are the control's own.
    virtual void Click();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // Raised once per crossing of the control's edge.
    virtual void MouseEnter();
    virtual void MouseLeave();
    bool MouseInControl() const { return mouseInControl_; }

    // Painting of windowless controls, on the parent's canvas moved to the control's origin.
    virtual void Paint(TCanvas& canvas);

protected:
    virtual void BoundsChanged() {}
    virtual void CaptionChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    virtual void EnabledChanged() { Invalidate(); }
    virtual void VisibleChanged();
    void RequestAlign();
    void ParentFontChanged(const TFont& font);

    friend class TWinControl;
    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;

private:
    TAlign align_ = alNone;
    bool visible_ = true;
    bool enabled_ = true;
    bool parentFont_ = true;
    bool transparent_ = false;
    bool mouseInControl_ = false;
    bool leftPressed_ = false;
    std::string caption_;
    TFont font_;
    TColor color_ = clBtnFace;
    TCursor cursor_ = crDefault;
};

class TGraphicControl : public TControl {
public:
    using TControl::TControl;
};

// Parameters of the window a windowed control creates.
struct TCreateParams {
    std::string ClassName;  // a system class to subclass; empty: a class of the platform's own
    // The platform's own class. A name is registered once, with the class style it first came
    // with: controls that want another style (saved bits, a drop shadow) name a class of their own.
    std::string WinClassName = "SorvaneWindow";
    UINT WindowClassStyle = CS_DBLCLKS;
    DWORD Style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD ExStyle = 0;
    // The owner of a top-level window (a popup owned by the main window); a child window's
    // parent is always its parent control's window.
    HWND WndParent = nullptr;
};

// A control with a window of its own. Owns no child controls (the owner does) but lays them
// out (alignment), paints the windowless ones and routes their mouse input.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();  // creates the window when needed
    HWND HandleOrNull() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    HWND WindowHandle() const override { return handle_; }
    bool IsWindowed() const override { return true; }
    static TWinControl* FromHandle(HWND window);

    // Moves the window itself to the new parent's window (a child) or to the desktop (a
    // top-level popup), so that capture, focus and timers survive; re-creates only when the
    // new parent has no window to hold it.
    void SetParent(TWinControl* parent) override;
    // For what a live window cannot change (its class): a new window with the present
    // parameters. RecreatingWnd comes before the old one goes, AfterCreateWnd once the new is up.
    void RecreateWnd();
    // Frees the control once no code of its own window is on the stack: when the outermost
    // message of its window returns, or, asked from outside its messages (a tracking loop
    // closing a popup), from the message loop. Freed meanwhile by its owner, it is not freed twice.
    void Release();

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(index); }
    TControl* WindowlessControlAt(POINT p) const;  // the topmost visible one

    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value);
    void SetFocus();
    bool Focused() const;

    void SetBounds(int left, int top, int width, int height) override;
    RECT ClientRect() const override;
    void SetEnabled(bool enabled) override;
    void Invalidate() override;
    void Realign();

    // Between the two, changes are not shown as they happen; the outermost end shows the
    // control as it now is. Calls nest.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return updateDepth_ > 0; }

    // The client area's painting, limited to `dirty`, on any device context: WM_PAINT (through
    // the off-screen buffer when double-buffered) and WM_PRINTCLIENT both come here.
    void PaintTo(HDC dc, const RECT& dirty);
    void PaintClient(HDC dc);  // all of it
    // Painting goes through an off-screen bitmap, so that nothing flickers.
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }

    // Timers of the control's window, each told to Timer with its id; several run at once.
    // They belong to the control: a timer started before the window exists, or running when
    // it is re-created, runs on the new window. Ids must not clash with a system class's own.
    void StartTimer(UINT_PTR id, UINT ms);
    void StopTimer(UINT_PTR id);

    // Raw message handling; overrides call the inherited one for what they do not take.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void AfterCreateWnd() {}
    virtual void RecreatingWnd() {}
    virtual void DestroyWnd();
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);

    // Notifications the parent reflects to the child that sent them.
    virtual bool Command(WORD code, WORD id) { (void)code; (void)id; return false; }
    virtual bool Notify(NMHDR& header, LRESULT& result) { (void)header; (void)result; return false; }
    virtual bool DrawItem(DRAWITEMSTRUCT& item) { (void)item; return false; }
    virtual HBRUSH CtlColor(HDC dc) { (void)dc; return nullptr; }
    virtual bool Scroll(WORD code) { (void)code; return false; }

    // Painting of the platform's own windows: background, then the windowless children.
    virtual void PaintWindow(TCanvas& canvas);
    virtual void AdjustClientRect(RECT& r) const { (void)r; }
    // The non-client area, for controls that draw their own frame. Each answers false to leave
    // the message to the system. CalcNonClientSize turns the window's rectangle (in the
    // parent's coordinates) into the client's; PaintNonClient gets the update region in screen
    // coordinates, or 1 for everything (WindowFrameDC paints with it); NonClientHitTest gets
    // a screen point.
    virtual bool CalcNonClientSize(RECT& rect) { (void)rect; return false; }
    virtual bool PaintNonClient(HRGN update) { (void)update; return false; }
    virtual bool NonClientHitTest(POINT screenPoint, LRESULT& hit) { (void)screenPoint; (void)hit; return false; }
    // The outermost BeginUpdate and EndUpdate. By default the window stops redrawing, then is
    // redrawn whole; a control that sends its state to its window may instead hold the state
    // back and send it on release.
    virtual void UpdatesHeld();
    virtual void UpdatesReleased();
    virtual void AlignControls();
    virtual UINT DialogCode() { return 0; }  // extra WM_GETDLGCODE bits
    virtual void KeyDown(WORD key, TShiftState shift) { (void)key; (void)shift; }
    virtual void KeyUp(WORD key, TShiftState shift) { (void)key; (void)shift; }
    virtual void KeyPress(char key) { (void)key; }
    // A character typed with Alt held (WM_SYSCHAR); true takes it, else it opens the menu.
    virtual bool SysKeyPress(char key) { (void)key; return false; }
    virtual void FocusChanged(bool focused) { (void)focused; }
    virtual void Timer(UINT_PTR id) { (void)id; }

    void CaptionChanged() override;
    void FontChanged() override;
    void EnabledChanged() override {}
    void VisibleChanged() override;
    void ApplyTabOrder();
    // A child control arrived (after it is in the list) or left (after it is out of it). The
    // leaving one may be in its destructor: compare it, call nothing on it.
    virtual void ControlInserted(TControl* control) { (void)control; }
    virtual void ControlRemoved(TControl* control) { (void)control; }

private:
    friend class TControl;
    friend LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
    void Bind(HWND window);
    void Unbind();
    void Subclass();
    static LRESULT CALLBACK SubclassOnCreate(int code, WPARAM wParam, LPARAM lParam);
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void DetachControl(TControl* control);
    void MoveWindowTo(HWND parentWindow);
    void UpdateBoundsFromWindow();
    bool RouteMouse(UINT msg, WPARAM wParam, LPARAM lParam);
    void TrackMouseTarget(TControl* target);
    bool SetCursorFor(POINT clientPoint);
    LRESULT Reflect(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    void PaintHandler();

    // Shared with the window procedures on the stack, which must not touch a freed object.
    struct TLife {
        TWinControl* control;
        int depth = 0;  // messages of the window being handled now
        bool released = false;
        bool freeOnReturn = false;  // released inside a message: the outermost one frees it
    };
    std::shared_ptr<TLife> life_ = std::make_shared<TLife>(TLife{this});
    HWND handle_ = nullptr;
    WNDPROC oldProc_ = nullptr;
    std::vector<TControl*> controls_;
    std::map<UINT_PTR, UINT> timers_;  // id -> interval
    TControl* captureControl_ = nullptr;
    int tabOrder_ = -1;
    bool tabStop_ = false;
    bool aligning_ = false;
    bool realignPending_ = false;
    bool creating_ = false;
    bool reparenting_ = false;  // the window's position means nothing until it has its new parent
    bool ownClass_ = false;  // the platform's own window class, painted here
    bool doubleBuffered_ = false;
    int updateDepth_ = 0;
};

// The control under the pointer, tracked across every window of the platform.
TControl*& MouseControl();
