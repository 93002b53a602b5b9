#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolbar/docks/dock_arrange.h"
#include "toolbar/base/hook.h"
#include "toolbar/skins/skin.h"
#include "widgets/control.h"
#include "widgets/enum_set.h"
#include "widgets/handles.h"

class TTBBaseSkin;
class TTBDock;
class TTBCustomDockableWindow;
class TTBFloatingWindowParent;

enum TTBDockPosition : uint8_t { dpTop, dpBottom, dpLeft, dpRight };
using TTBDockableTo = TEnumSet<TTBDockPosition, uint8_t, 4>;
enum TTBDockBoundLine : uint8_t { blTop, blBottom, blLeft, blRight };
using TTBDockBoundLines = TEnumSet<TTBDockBoundLine, uint8_t, 4>;
enum TTBDockMode : uint8_t { dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks };
enum TTBDragHandleStyle : uint8_t { dhDouble, dhNone, dhSingle };
enum TTBFloatingMode : uint8_t { fmOnTopOfParentForm, fmOnTopOfAllForms };
// Scoped: the picture button's styles also have a bsNone.
enum class TTBBorderStyle : uint8_t { bsNone, bsSingle };
// Where a window is, for sizing: nowhere in particular, floating, in a top or bottom dock, in a
// left or right dock.
enum TTBDockType : uint8_t { dtNotDocked, dtFloating, dtTopBottom, dtLeftRight };

constexpr TTBDockableTo AllDockPositions{dpTop, dpBottom, dpLeft, dpRight};

TTBDockType DockTypeOf(const TTBDock* dock);

// Private hit-test codes of a docked window's frame.
constexpr LRESULT HTTBDRAGHANDLE = 2001;
constexpr LRESULT HTTBCLOSEBUTTON = 2002;

// A picture shared by docks (and the windows in them) as their background. Painted with the
// offset of the painted window in its form, so that the pattern runs on across neighbours.
class TTBBasicBackground : public TComponent {
public:
    using TComponent::TComponent;
    ~TTBBasicBackground() override;
    virtual bool UsingBackground() const = 0;
    // Fills `r` of `dc`; `origin` is the position of the DC's (0, 0) in the pattern.
    virtual void Paint(HDC dc, const RECT& r, POINT origin) = 0;

    void RegisterChanges(std::function<void()>* listener);
    void UnregisterChanges(std::function<void()>* listener);

protected:
    void Changed();

private:
    std::vector<std::function<void()>*> listeners_;
};

// ---- Painting -----------------------------------------------------------------------------

// A docked window's frame in its own window coordinates.
struct TTBDockedFrame {
    RECT Window{};       // (0, 0, width, height)
    RECT Client{};       // the client area
    RECT Handle{};       // the drag-handle strip; empty without one
    RECT CloseButton{};  // empty without one
    bool Vertical = false;  // in a left or right dock: the strip runs along the top
};

// The floating parent's frame in its own window coordinates.
struct TTBFloatingFrame {
    RECT Window{};
    RECT Client{};
    RECT Caption{};      // the caption bar
    RECT CloseButton{};  // empty without one
    bool CloseHot = false, ClosePushed = false;
};

// How docks and dockable windows look. This plain painter uses the system colours; the one in
// force by default is the skinned painter (skin_dock.h), which falls back to it without a skin.
class TTBDockPainter {
public:
    virtual ~TTBDockPainter() = default;
    // The drag-handle strip's width; a skin with docked captions widens it.
    virtual int DragHandleSize(const TTBCustomDockableWindow& window, const TTBDock& dock, int plainSize) const;
    virtual void PaintDockBackground(TTBDock& dock, HDC dc, const RECT& client);
    // The bound lines; `window` is the dock's whole window rectangle at (0, 0).
    virtual void PaintDockFrame(TTBDock& dock, HDC dc, const RECT& window);
    virtual void PaintDockedFrame(TTBCustomDockableWindow& window, HDC dc, const TTBDockedFrame& frame);
    virtual void PaintDragHandle(TTBCustomDockableWindow& window, HDC dc, const TTBDockedFrame& frame);
    virtual void PaintDockedCloseButton(TTBCustomDockableWindow& window, HDC dc, const RECT& button, bool pushed,
                                        bool hot);
    // A dockable window's client background, before its own painting.
    virtual void PaintWindowBackground(TTBCustomDockableWindow& window, HDC dc, const RECT& client);
    virtual void PaintFloatingFrame(TTBFloatingWindowParent& parent, HDC dc, const TTBFloatingFrame& frame);
};

// Limits painting on `dc` to the frame between `outer` and `inner` for the scope.
class TFrameClip {
public:
    TFrameClip(HDC dc, const RECT& outer, const RECT& inner);

private:
    ScopedSaveDC saved_;
};

TTBDockPainter& DockPainter();
// Null puts the skinned painter back. The painter is not owned.
void SetDockPainter(TTBDockPainter* painter);

// ---- The dock -----------------------------------------------------------------------------

using TTBInsertRemoveEvent = std::function<void(TTBDock* Sender, bool Inserting, TTBCustomDockableWindow* Bar)>;
using TTBRequestDockEvent = std::function<void(TTBDock* Sender, TTBCustomDockableWindow* Bar, bool& Accept)>;

// A strip along one edge of a form that holds dockable windows in rows and takes the thickness
// of its rows.
class TTBDock : public TWinControl {
public:
    explicit TTBDock(TComponent* owner);
    ~TTBDock() override;

    TTBDockPosition Position() const { return position_; }
    void SetPosition(TTBDockPosition value);
    bool AllowDrag() const { return allowDrag_; }
    void SetAllowDrag(bool value);
    TTBDockBoundLines BoundLines() const { return boundLines_; }
    void SetBoundLines(TTBDockBoundLines value);
    TTBBasicBackground* Background() const { return background_; }
    void SetBackground(TTBBasicBackground* value);
    bool BackgroundOnToolbars() const { return backgroundOnToolbars_; }
    void SetBackgroundOnToolbars(bool value);
    bool FixAlign() const { return fixAlign_; }
    void SetFixAlign(bool value);
    bool LimitToOneRow() const { return limitToOneRow_; }
    void SetLimitToOneRow(bool value);
    // The background is in use and painted on the docked windows too.
    bool UsingBackground() const;

    TTBInsertRemoveEvent OnInsertRemoveBar;
    TTBRequestDockEvent OnRequestDock;
    TNotifyEvent OnResize;

    bool Vertical() const { return position_ == dpLeft || position_ == dpRight; }
    int NonClientWidth() const { return nonClientWidth_; }
    int NonClientHeight() const { return nonClientHeight_; }
    // The client's length along the dock, where rows run.
    int RowLength() const;

    // Every window docked here (or keeping its place here while floating), in stored order.
    const std::vector<TTBCustomDockableWindow*>& DockList() const { return dockList_; }
    // The visible docked windows by row and position.
    const std::vector<TTBCustomDockableWindow*>& VisibleList() const { return visibleList_; }
    // The rows of the last arrangement, across the client area.
    const std::vector<TTBDockRow>& Rows() const { return rows_; }

    void ArrangeToolbars();

    // False once the dock is freed: code that pumps messages checks it before touching the dock.
    std::shared_ptr<const bool> AliveToken() const { return alive_; }

    void SetParent(TWinControl* parent) override;
    void Loaded() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void PaintWindow(TCanvas& canvas) override;
    bool CalcNonClientSize(RECT& rect) override;
    bool PaintNonClient(HRGN update) override;
    void AlignControls() override;
    void BoundsChanged() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TTBCustomDockableWindow;
    friend class TTBDragLoop;

    void AddToDockList(TTBCustomDockableWindow* window);
    void RemoveFromDockList(TTBCustomDockableWindow* window);
    // The window is no longer shown here (hidden, gone, or floating off with its place kept).
    void WindowLeft(TTBCustomDockableWindow* window);
    void WindowVisibilityChanged(TTBCustomDockableWindow* window, bool inserting);
    void ArrangeOnce();
    std::vector<TTBDockSlot> SlotsOf(const std::vector<TTBCustomDockableWindow*>& windows);
    void RecordPlaces(const std::vector<TTBCustomDockableWindow*>& windows, const std::vector<TTBDockSlot>& slots,
                      const TTBDockLayout& layout);
    void PlaceWindows(const std::vector<TTBCustomDockableWindow*>& windows, const TTBDockLayout& layout);
    void ResizeToThickness(int thickness);
    void RefreshDockedWindows(bool frames);
    void BackgroundChanged();
    bool OfferToDockedWindows(UINT msg, WPARAM wParam, LPARAM lParam);

    TTBDockPosition position_ = dpTop;
    bool allowDrag_ = true;
    TTBDockBoundLines boundLines_;
    TTBBasicBackground* background_ = nullptr;
    std::function<void()> backgroundListener_;
    bool backgroundOnToolbars_ = true;
    // The window being dragged, and whether it opens a row of its own (the drag loop decides
    // when it may).
    TTBCustomDockableWindow* dragWindow_ = nullptr;
    bool dragSplitting_ = false;
    bool fixAlign_ = false;
    bool commitNewPositions_ = false;
    bool limitToOneRow_ = false;
    int arrangeDepth_ = 0;
    bool arrangePending_ = false;
    int nonClientWidth_ = 0, nonClientHeight_ = 0;
    std::vector<TTBCustomDockableWindow*> dockList_;
    std::vector<TTBCustomDockableWindow*> visibleList_;
    std::vector<TTBDockRow> rows_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// ---- The dockable window ------------------------------------------------------------------

using TTBCloseQueryEvent = std::function<void(TComponent* Sender, bool& CanClose)>;
using TTBDockChangingEvent = std::function<void(TComponent* Sender, bool Floating, TTBDock* DockingTo)>;

// Everything that can sit in a dock: draws its docked frame with the drag handle and the
// optional close button, sizes itself for any dock, and runs the drag loop. Toolbars and tool
// windows supply their contents through the virtual operations below.
class TTBCustomDockableWindow : public TWinControl, public TTBSkinClient {
public:
    explicit TTBCustomDockableWindow(TComponent* owner);
    ~TTBCustomDockableWindow() override;

    // --- where it is
    TTBDock* CurrentDock() const { return currentDock_; }
    void SetCurrentDock(TTBDock* value);
    TTBDock* DefaultDock() const { return defaultDock_; }
    void SetDefaultDock(TTBDock* value);
    TTBDock* LastDock() const { return lastDock_; }
    void SetLastDock(TTBDock* value);
    bool Docked() const { return docked_; }
    bool Floating() const { return floating_; }
    void SetFloating(bool value);
    TTBFloatingWindowParent* FloatingParent() const { return floatingParent_.get(); }
    // Where the floating parent goes the next time the window floats (screen coordinates).
    POINT FloatingPosition() const { return floatingPosition_; }
    void SetFloatingPosition(POINT value);
    int DockPos() const { return dockPos_; }
    void SetDockPos(int value);
    int DockRow() const { return dockRow_; }
    void SetDockRow(int value);
    // The length the dock gives the window along its row when it cannot have its full length;
    // 0 when it has it.
    int GrantedLength() const { return grantedLength_; }
    // The thickness of the window's row across the dock, frame excluded.
    int RowSize() const { return rowSize_; }

    // The stored layout keeps the size only of a window placed freely, and the last dock only
    // of one that is not docked: otherwise the dock decides them.
    bool IsSizeStored() const { return !docked_ && !floating_; }
    bool IsLastDockStored() const { return !docked_; }

    // --- properties
    bool ActivateParent() const { return activateParent_; }
    void SetActivateParent(bool value) { activateParent_ = value; }
    bool AutoResize() const { return autoResize_; }
    void SetAutoResize(bool value);
    TTBBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TTBBorderStyle value);
    bool CloseButton() const { return closeButton_; }
    void SetCloseButton(bool value);
    bool CloseButtonWhenDocked() const { return closeButtonWhenDocked_; }
    void SetCloseButtonWhenDocked(bool value);
    TTBDockableTo DockableTo() const { return dockableTo_; }
    void SetDockableTo(TTBDockableTo value) { dockableTo_ = value; }
    TTBDockMode DockMode() const { return dockMode_; }
    void SetDockMode(TTBDockMode value) { dockMode_ = value; }
    TAlignment DockTextAlign() const { return dockTextAlign_; }
    void SetDockTextAlign(TAlignment value);
    TTBDragHandleStyle DragHandleStyle() const { return dragHandleStyle_; }
    void SetDragHandleStyle(TTBDragHandleStyle value);
    TTBFloatingMode FloatingMode() const { return floatingMode_; }
    void SetFloatingMode(TTBFloatingMode value);
    bool FullSize() const { return fullSize_; }
    void SetFullSize(bool value);
    bool HideWhenInactive() const { return hideWhenInactive_; }
    void SetHideWhenInactive(bool value);
    bool Resizable() const { return resizable_; }
    void SetResizable(bool value) { resizable_ = value; }
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool value);
    bool SmoothDrag() const { return smoothDrag_; }
    void SetSmoothDrag(bool value) { smoothDrag_ = value; }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool UseLastDock() const { return useLastDock_; }
    void SetUseLastDock(bool value);
    using TTBSkinClient::Skin;  // the skin the window is attached to, DefaultSkin at first
    // Whether the docked close button is pushed (its loop runs) or under the pointer.
    bool CloseButtonPushed() const { return closePushed_; }
    bool CloseButtonHot() const { return closeHot_; }

    TNotifyEvent OnClose;
    TTBCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDockChanged;
    TTBDockChangingEvent OnDockChanging;
    TTBDockChangingEvent OnDockChangingHidden;
    TNotifyEvent OnMove;
    TNotifyEvent OnRecreated;
    TNotifyEvent OnRecreating;
    TNotifyEvent OnVisibleChanged;

    // Sizes the window for where it is (or lets its dock do it).
    void Arrange();
    // Asks OnCloseQuery; when allowed hides the window and raises OnClose. False when refused.
    bool Close();
    // The window's frame as its parts, docked in `dock`, or (null) floating or placed freely.
    TTBDockedFrame DockedFrame(TTBDock* dock, SIZE windowSize) const;
    // The size the window takes docked in `dock` (frame included) or floating (without the
    // floating parent's frame) when `dock` is null.
    SIZE SizeFor(TTBDock* dock);

    // --- what toolbars and tool windows supply
    // The non-client width and height docked in `dock`; null: none floating, a plain border
    // placed freely.
    virtual SIZE GetNCSizes(TTBDock* dock) const;
    // True keeps a left press at the client point `p` for the window's own use (an item):
    // elsewhere a press drags the window and a double-click docks or floats it.
    virtual bool KeepClientPress(POINT p);
    // The client size for a dock type. ForCurrentDock asks for the size in the dock the window
    // is in, with the length the dock grants; otherwise the full size is asked for.
    virtual SIZE CalcSize(bool ForCurrentDock, TTBDockType DockType, TTBDock* Dock);
    // Paints the non-client area on `dc` (the whole-window DC).
    virtual void DrawNCArea(HDC dc, const RECT& windowRect);
    // The size of the contents laid out on one line.
    virtual SIZE GetBaseSize() = 0;
    // The docked close button in window coordinates, for a window `windowSize` large.
    virtual RECT GetCloseButtonRect(bool Vertical, SIZE windowSize) const;
    // The least length along a row the window can show itself in, frame included.
    virtual int GetMinShrinkSize();
    // The client area's own painting, after the background.
    virtual void PaintClientArea(TCanvas& canvas) { (void)canvas; }
    virtual TTBShrinkMode GetShrinkMode() { return tbsmNone; }
    // Told before the dock or the floating parent gives the window a new size.
    virtual void SizeChanging(int Width, int Height) { (void)Width; (void)Height; }
    virtual void SetSkin(TTBBaseSkin* value);
    // The floating parent's frame around the window: border widths, caption excluded.
    virtual SIZE GetFloatingBorderSize() const;
    // Whether the dock passes system commands to the window (a menu bar takes them): it is
    // sent them and answers non-zero when it handled one.
    virtual bool TakesMenuEvents() const { return false; }

    // --- resizing the floating window by its border
    // The client sizes the window can take while floating, the preferred one first; empty:
    // the border does not resize it.
    virtual std::vector<SIZE> FloatingSizes() { return {}; }
    // Around a resize by the border: ShowFloatingSize lays the window out at one of its
    // FloatingSizes (the floating parent follows); a cancelled resize puts back what the
    // window had when it began.
    virtual void BeginFloatingResize() {}
    virtual void ShowFloatingSize(SIZE size) { (void)size; }
    virtual void EndFloatingResize(bool cancelled) { (void)cancelled; }

    void SetParent(TWinControl* parent) override;
    void Loaded() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void PaintWindow(TCanvas& canvas) override;
    bool CalcNonClientSize(RECT& rect) override;
    bool PaintNonClient(HRGN update) override;
    bool NonClientHitTest(POINT screenPoint, LRESULT& hit) override;
    void VisibleChanged() override;
    void CaptionChanged() override;  // the floating caption shows it
    // The skin module's questions; a skin destroyed under the window leaves it on DefaultSkin.
    TWinControl* SkinWindow() override { return this; }
    bool SkinWindowFloating() const override { return floating_; }
    void SkinLayoutChanged() override { Arrange(); }
    void SkinReplaced() override;
    void RecreatingWnd() override;
    void AfterCreateWnd() override;
    void BoundsChanged() override;
    void Notification(TComponent* component, TOperation operation) override;

    // Repaints the frame (after a change of its parts or of the hot or pushed close button).
    void RedrawNCArea();

private:
    friend class TTBDock;
    friend class TTBDragLoop;
    friend class TTBFloatingWindowParent;
    friend class TTBFloatingResize;

    static void HookProc(TTBHookKind kind, HWND window, WPARAM wParam, LPARAM lParam);
    bool OnHandle(POINT screenPoint) const;
    bool OnCloseButton(POINT screenPoint) const;
    void RunCloseButtonLoop();
    void BeginDrag(POINT screenCursor);
    void DoubleClicked();
    // Moves the window into `dock` (null: floating, or nowhere) with the dock-changing events.
    void MoveToDock(TTBDock* dock, bool floating);
    TTBFloatingWindowParent& EnsureFloatingParent();
    void PlaceFloatingParent();
    void UpdateFloatingVisibility();
    void NoteParent();
    void SetHot(bool hot);
    // Tells SizeChanging of the size the window gets at a place of kind `type`, when it is news.
    void AnnounceSize(int width, int height, TTBDockType type);
    void DockDestroyed(const TComponent* dock);  // compared only: it may be half destroyed

    TTBDock* currentDock_ = nullptr;
    TTBDock* defaultDock_ = nullptr;
    TTBDock* lastDock_ = nullptr;
    bool docked_ = false;
    bool floating_ = false;
    int dockPos_ = -1;
    int dockRow_ = 0;
    int grantedLength_ = 0;
    int rowSize_ = 0;
    TTBDockType sizedFor_ = dtNotDocked;  // the kind of place SizeChanging last heard of
    POINT floatingPosition_{-1, -1};
    std::unique_ptr<TTBFloatingWindowParent> floatingParent_;
    bool activateParent_ = true;
    bool autoResize_ = true;
    TTBBorderStyle borderStyle_ = TTBBorderStyle::bsSingle;
    bool closeButton_ = true;
    bool closeButtonWhenDocked_ = false;
    TTBDockableTo dockableTo_ = AllDockPositions;
    TTBDockMode dockMode_ = dmCanFloat;
    TAlignment dockTextAlign_ = taLeftJustify;
    TTBDragHandleStyle dragHandleStyle_ = dhSingle;
    TTBFloatingMode floatingMode_ = fmOnTopOfParentForm;
    bool fullSize_ = false;
    bool hideWhenInactive_ = true;
    bool resizable_ = true;
    bool showCaption_ = true;
    bool smoothDrag_ = true;
    bool stretch_ = false;
    bool useLastDock_ = true;
    bool closePushed_ = false;
    bool closeHot_ = false;
    bool inLoop_ = false;            // the drag or close-button loop runs
    bool captureLost_ = false;       // the loop's capture went elsewhere
    bool appInactive_ = false;       // hidden with the application
    bool destroying_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// ---- The floating parent ------------------------------------------------------------------

// The small tool window that holds a floating dockable window: a caption with the window's
// caption and a close button, above the window's form or above all windows.
class TTBFloatingWindowParent : public TWinControl {
public:
    TTBFloatingWindowParent(TComponent* owner, TTBCustomDockableWindow* window);
    ~TTBFloatingWindowParent() override;

    TTBCustomDockableWindow* DockableWindow() const { return window_; }
    // The frame's parts for a window `size` large.
    TTBFloatingFrame Frame() const;
    int CaptionHeight() const;
    // Gives the client area `clientSize`, keeping the top left.
    void FitClient(SIZE clientSize);
    // Keeps the z-order that the floating mode asks for.
    void ApplyFloatingMode();

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void CreateParams(TCreateParams& params) override;
    bool CalcNonClientSize(RECT& rect) override;
    bool PaintNonClient(HRGN update) override;
    bool NonClientHitTest(POINT screenPoint, LRESULT& hit) override;

private:
    friend class TTBFloatingResize;

    void RunCloseLoop();
    void Redraw();
    // HTLEFT, HTRIGHT, HTTOP or HTBOTTOM for a window point on a border that resizes; else
    // HTNOWHERE.
    LRESULT ResizeEdgeAt(POINT windowPoint);
    // Resizes by `edge` from the press at `start` until the button goes up (kept), or Escape
    // or a lost capture (cancelled).
    void RunResizeLoop(LRESULT edge, POINT start);

    TTBCustomDockableWindow* window_;
    bool closeHot_ = false;
    bool closePushed_ = false;
    // One loop at a time holds the mouse: the close button's or the border resize's.
    bool inLoop_ = false;
    bool resizing_ = false;
    bool captureLost_ = false;
    // The pointer's last hit test was on the border, which then could (or could not) resize.
    bool onBorder_ = false;
    bool borderResizes_ = false;
    SIZE borderSize_{};  // the window's size when that was found
};
