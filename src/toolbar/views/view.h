#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "toolbar/items/item.h"
#include "toolbar/views/viewer.h"
#include "widgets/component.h"
#include "widgets/control.h"

class TTBBaseSkin;
class TTBView;

enum TTBViewOrientation : uint8_t { voHorizontal, voVertical, voFloating };

// The window that shows an item's children as a popup (a submenu, the chevron's list). The
// view that opened it owns it; freeing it closes it.
class TTBPopupHost {
public:
    virtual ~TTBPopupHost() = default;
    virtual TTBView* View() const = 0;
    virtual HWND Handle() = 0;
};

// How an item builds its popup: the popup windows, a layer above, install the real one
// (InstallPopupWindows); tests install doubles. Returns null, or is empty, when nothing opens.
using TTBPopupFactory = std::function<std::unique_ptr<TTBPopupHost>(
    TTBCustomItem* item, TTBView* parentView, TTBItemViewer* opener, bool selectFirst)>;
TTBPopupFactory& PopupFactory();

// Options of EnterToolbarLoop: started by a mouse press, submenus open as the selection moves,
// a submenu that opens gets its first item selected.
using TTBEnterToolbarLoopOptions = uint8_t;
constexpr TTBEnterToolbarLoopOptions tbetMouseDown = 1, tbetOpenOnNavigate = 2, tbetSelectFirst = 4;

enum TTBViewTimer : uint8_t { vtOpen, vtClose, vtScrollUp, vtScrollDown };

// One viewer's place from a layout pass, before it is stored in the viewer.
struct TTBLayoutPlace {
    TTBItemViewer* Viewer;
    RECT Rect;
    bool Show;
    bool Clipped;
};

// Results of a layout pass.
struct TTBLayoutResult {
    POINT BaseSize{};
    POINT TotalSize{};
    int Lines = 1;
    bool Changed = false;
};

// Shows the children of one item on one window: a toolbar's row of buttons or a popup's
// column. Keeps one viewer per shown item, lays them out, tracks the hot one and paints them.
class TTBView : public TComponent, public TTBItemObserver {
public:
    TTBView(TComponent* owner, TTBView* parentView, TTBCustomItem* parentItem, TWinControl* window,
            bool isToolbar, bool customizing, bool usePriorityList);
    ~TTBView() override;

    // --- state
    TColor Color() const { return color_; }
    void SetColor(TColor value) { color_ = value; }
    POINT BaseSize() const { return baseSize_; }
    bool Capture() const { return capture_; }
    int ChevronLimit() const { return chevronLimit_; }
    void SetChevronLimit(int value);
    int ChevronWidth() const { return chevronWidth_; }
    void SetChevronWidth(int value) { chevronWidth_ = value; }
    TTBView* ChevronParentView() const { return chevronParentView_; }
    void SetChevronParentView(TTBView* view) { chevronParentView_ = view; }
    bool Customizing() const { return customizing_; }
    TTBCustomItem* EffectiveParentItem() const { return effectiveParentItem_; }
    TTBCustomItem* ParentItem() const { return parentItem_; }
    bool IsPopup() const { return !isToolbar_; }
    bool IsToolbar() const { return isToolbar_; }
    int MaxHeight() const { return maxHeight_; }
    void SetMaxHeight(int value) { maxHeight_ = value; }
    bool MouseInsideSelected() const { return mouseInsideSelected_; }
    TTBItemViewer* OpenViewer() const { return openViewer_; }
    TTBView* OpenView() const { return openPopup_ ? openPopup_->View() : nullptr; }
    TTBPopupHost* OpenPopup() const { return openPopup_.get(); }
    TTBView* ParentView() const { return parentView_; }
    TTBViewOrientation Orientation() const { return orientation_; }
    void SetOrientation(TTBViewOrientation value);
    TTBItemViewer* Selected() const { return selected_; }
    TTBBaseSkin* Skin() const { return skin_; }
    void SetSkin(TTBBaseSkin* value);
    TWinControl* Window() const { return window_; }
    int WrapOffset() const { return wrapOffset_; }
    void SetWrapOffset(int value);
    bool ValidPositions() const { return validPositions_; }
    int UpdateCount() const { return updateCount_; }
    const std::vector<TTBItemViewer*>& PriorityList() const { return priorityList_; }

    int ViewerCount() const { return static_cast<int>(viewers_.size()); }
    TTBItemViewer* Viewers(int index) const { return viewers_.at(index).get(); }
    int IndexOf(const TTBItemViewer* viewer) const;
    TTBItemViewer* Find(const TTBCustomItem* item) const;

    // --- flags of the loop and of the accelerators
    bool InModalLoop() const { return inModalLoop_; }
    bool OpenOnNavigate() const { return openOnNavigate_; }
    void SetOpenOnNavigate(bool value) { openOnNavigate_ = value; }
    bool ShowAccels() const;
    void SetShowAccels(bool value);
    // A menu bar shows accelerator underlines only when asked; other bars always do.
    void SetMenuBarMode(bool value) { menuBar_ = value; }
    void SetIgnoreNextMouseUp(bool value) { ignoreNextUp_ = value; }
    // The last popup opened from here was closed to open this one (a move along a menu bar).
    bool ChildJustClosed() const { return childClosedByDestruction_; }
    // Keyboard navigation over several bars of a form: Left or Right past an end of this bar
    // ends the loop, and WalkedOff tells which way it left (-1 left, 1 right, 0 otherwise).
    void SetLeaveAtEnds(bool value) { leaveAtEnds_ = value; }
    int WalkedOff() const { return walkedOff_; }

    // --- overridable
    virtual void SetSize(int width, int height);
    virtual POINT UpdatePositions();
    virtual TTBCustomItem* GetChevronItem() const { return nullptr; }
    virtual RECT GetMargins(TTBViewOrientation orientation) const;
    virtual HFONT GetFont();
    // True when the key was handled (consumed).
    virtual bool KeyDown(WORD key, TShiftState shift);
    virtual void InvalidatePositions();

    // --- layout
    void ValidatePositions();
    TTBLayoutResult CalculatePositions(bool canMoveControls, TTBViewOrientation orientation, int wrapOffset,
                                       int chevronLimit, int chevronWidth);

    // --- painting
    TTBItemViewer* ViewerFromPoint(POINT clientPoint);
    void Invalidate(TTBItemViewer* viewer);
    void DrawSubitems(TCanvas& canvas);
    // Paints the window's background into `dc` at the window's client coordinates.
    std::function<void(HDC dc, const RECT& area)> OnEraseBackground;
    // The view's skin, else the default skin, unless disabled; null: plain painting.
    TTBBaseSkin* SkinInForce() const;
    bool SkinActive() const;
    bool OfficeXPSkinInForce() const;  // the view's skin, else the default one, is Office-XP
    // The view's window is a toolbar acting as a menu bar.
    virtual bool WindowIsMenuBar() const { return menuBar_ && isToolbar_; }

    // --- selection
    // The old selection's leaving and the new one's entering run item handlers, which may free
    // anything: false when this view went with them, or `viewer` is no longer the selection (its
    // item went, or a handler moved it). Every path that selects and then goes on (mouse,
    // keyboard, accessibility clients) stops there.
    bool Select(TTBItemViewer* viewer);
    void UpdateSelection(const POINT* screenPoint, bool allowNewSelection);
    TTBItemViewer* NextSelectable(TTBItemViewer* from, bool forward) const;
    TTBItemViewer* FirstSelectable() const;  // of a popup that opens
    // Shown (or scrolled out of a popup's band), visible and selectable.
    static bool IsSelectable(const TTBItemViewer* viewer);
    int FirstShownViewerHeight() const;  // -1 when nothing shows
    // The accelerator search from after `start`, wrapping; unique when searching again from
    // the match finds it again. Only "&" accelerators when `acceleratorsOnly`.
    TTBItemViewer* FindAccelerator(char ch, TTBItemViewer* start, bool acceleratorsOnly, bool& unique) const;
    virtual void ScrollSelectedIntoView();
    void MoveToFrontOfPriorityList(TTBItemViewer* viewer);

    // --- timers
    void StartTimer(TTBViewTimer timer, UINT ms);
    void StopTimer(TTBViewTimer timer);
    bool TimerRunning(TTBViewTimer timer) const;
    virtual void TimerFired(TTBViewTimer timer);

    // --- the tracking loop (tb_track.cpp)
    TTBTrackResult EnterToolbarLoop(TTBEnterToolbarLoopOptions options);
    // Runs the loop on a popup menu's view (no bar behind it).
    TTBTrackResult EnterPopupLoop(bool trackRightButton);
    void ExecuteSelected(bool allowSelectFirst);
    // False when the popup's events or its first item's selection freed this view.
    bool OpenChildPopup(bool selectFirst);
    void CloseChildPopups();
    void CancelCapture();
    // The viewer's mouse reports of the loop.
    void EndModal();
    void EndModalWith(const TTBTrackResult& result);
    void EndModalWithClick(TTBItemViewer* viewer);
    void EndModalWithSystemMenu(HWND window, WORD key);
    void EndModalWithHelp(int helpContext);
    TTBView* RootView();           // where the loop runs: the nearest toolbar view up the chain
    TTBView* LoopView();           // the view the running loop belongs to
    TTBView* DeepestOpenView();
    // A viewer's press and release inside the loop; x, y relative to the viewer.
    void ViewerMouseDown(TTBItemViewer* viewer, int x, int y, bool doubleClick);
    void ViewerMouseUp(TTBItemViewer* viewer, int x, int y);

    void ItemNotification(TTBCustomItem* Sender, bool Relayed, TTBItemNotifyKind Kind, int Index,
                          TTBCustomItem* Item) override;

    static int LiveViewCount();
    // False once the view is freed: code that pumps messages checks it before touching the view.
    std::shared_ptr<const bool> AliveToken() const { return alive_; }

protected:
    void Notification(TComponent* component, TOperation operation) override;
    virtual std::unique_ptr<TTBItemViewer> CreateViewer(TTBCustomItem* item);
    // The last step of a popup's layout: one taller than its MaxHeight scrolls, moving, hiding
    // and clipping the places and shortening `totalSize`.
    virtual void ApplyScrolling(std::vector<TTBLayoutPlace>& places, POINT& totalSize) { (void)places; (void)totalSize; }
    // The pointer over the view's window in client coordinates, or null once it is elsewhere.
    virtual void PointerAt(const POINT* clientPoint) { (void)clientPoint; }

private:
    struct TLoopState;
    friend class TTBItemViewer;

    // viewers
    std::vector<TTBCustomItem*> ShownItems() const;
    void RecreateAllViewers();
    void SyncViewers();
    void RebuildPriorityList();
    void DeleteViewersOf(TTBCustomItem* item);
    void ReplaceViewer(int index, std::unique_ptr<TTBItemViewer> viewer);
    void FreeViewers(std::vector<std::unique_ptr<TTBItemViewer>>& doomed);
    void RecreateViewersOf(TTBCustomItem* item);
    void SubmenuImagesChanged();
    void SetEffectiveParent();
    bool ParentLoading() const;
    void DetachFromItems(const TComponent* going);
    void AfterNotification();

    // layout (tb_view_layout.cpp)
    void PaintAfterLayout();

    // painting
    void PaintViewer(TCanvas& canvas, TTBItemViewer* viewer);
    void EraseInto(HDC dc, const RECT& area);
    TColor BackgroundColor() const;

    // loop (tb_track.cpp)
    void RunLoop(TLoopState& state, TTBEnterToolbarLoopOptions options);
    bool RunLoopThenTidy(TLoopState& state, TTBEnterToolbarLoopOptions options);
    bool HandleLoopMessage(TLoopState& state, MSG& msg);
    bool PressEndsLoop(const MSG& msg);
    void LoopMouseMove(POINT screen);
    void LoopMouseDown(const MSG& msg, bool doubleClick);
    void LoopMouseUp(POINT screen);
    void LoopKeyDown(MSG& msg);
    void LoopChar(char ch);
    void LoopMouseWheel(const MSG& msg);
    TTBView* ViewAtScreenPoint(POINT screen);
    struct THit {
        TTBView* view = nullptr;
        TTBItemViewer* viewer = nullptr;
        POINT client{};  // in the view's window
        POINT at{};      // in the viewer
    };
    THit HitAt(POINT screen);
    void ShowLoopHint(const THit& hit, POINT screen);
    void SetStatusHintFromSelection();
    bool LeaveSelection(TTBItemViewer* old, TTBItemViewer*& next);
    bool UpdateChainSelection(POINT screen);
    void SelectBarNeighbour(bool forward);
    void CloseAndReturnToParent();

    TColor color_ = static_cast<TColor>(0x20000000);
    POINT baseSize_{};
    bool capture_ = false;
    int chevronLimit_ = 0;
    int chevronWidth_ = 12;
    TTBView* chevronParentView_ = nullptr;
    bool customizing_;
    TTBCustomItem* effectiveParentItem_ = nullptr;
    bool isToolbar_;
    int maxHeight_ = 0;
    bool mouseInsideSelected_ = false;
    TTBItemViewer* openViewer_ = nullptr;
    std::unique_ptr<TTBPopupHost> openPopup_;
    TTBView* parentView_;
    TTBCustomItem* parentItem_;
    std::vector<TTBItemViewer*> priorityList_;
    bool usePriorityList_;
    TTBViewOrientation orientation_ = voHorizontal;
    TTBItemViewer* selected_ = nullptr;
    TTBBaseSkin* skin_ = nullptr;
    int updateCount_ = 0;
    bool validPositions_ = false;
    std::vector<std::unique_ptr<TTBItemViewer>> viewers_;
    TWinControl* window_;
    int wrapOffset_ = 0;

    bool inModalLoop_ = false;
    bool ignoreNextUp_ = false;
    bool showAccels_ = false;
    bool menuBar_ = false;
    bool openOnNavigate_ = false;
    bool childClosedByDestruction_ = false;
    bool leaveAtEnds_ = false;
    int walkedOff_ = 0;
    int timerSlot_ = -1;  // this view's slot in the process-wide timer list
    unsigned runningTimers_ = 0;  // bit per TTBViewTimer
    TLoopState* loop_ = nullptr;  // on the loop's view while it runs
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The menu delay for submenus; tests shorten it.
std::function<int()>& MenuDelaySeam();
