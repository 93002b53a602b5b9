#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolbar/docks/dock.h"
#include "toolbar/items/item.h"
#include "toolbar/skins/skin.h"
#include "toolbar/views/view.h"

class TTBCustomToolbar;

// The view of a toolbar: its chevron, font and size come from the toolbar.
class TTBToolbarView : public TTBView {
public:
    explicit TTBToolbarView(TTBCustomToolbar* toolbar);
    TTBCustomToolbar* Toolbar() const { return toolbar_; }

    TTBCustomItem* GetChevronItem() const override;
    HFONT GetFont() override;
    void SetSize(int width, int height) override;
    POINT UpdatePositions() override;
    bool WindowIsMenuBar() const override;

private:
    TTBCustomToolbar* toolbar_;
};

using TTBShortCutEvent = std::function<void(MSG& Msg, bool& Handled)>;

// The sizes a floating toolbar can take: the one-line size (`layoutAt(0)`) first, then, for
// every wrap width from one less than that size's width down to `leastWidth`, each layout
// with another line count than the entry before it; a narrower width with the same line
// count replaces that entry.
std::vector<SIZE> FloatingSizeList(const std::function<TTBLayoutResult(int wrapWidth)>& layoutAt, int leastWidth);

// A dockable window that shows the children of its root item as a row of buttons. It can act
// as a menu bar, cut buttons off behind a chevron or wrap them, host controls through control
// items and dispatch its items' short-cuts for its form.
class TTBCustomToolbar : public TTBCustomDockableWindow {
public:
    explicit TTBCustomToolbar(TComponent* owner);
    ~TTBCustomToolbar() override;

    TTBRootItem* Items() const { return items_.get(); }
    TTBToolbarView* View() const { return view_.get(); }
    TTBChevronItem* ChevronItem() const { return chevron_.get(); }

    TImageList* Images() const { return items_->SubitemImages(); }
    void SetImages(TImageList* value) { items_->SetSubitemImages(value); }
    TTBCustomItem* LinkSubitems() const { return items_->LinkSubitems(); }
    void SetLinkSubitems(TTBCustomItem* value) { items_->SetLinkSubitems(value); }
    TTBItemOptions Options() const { return items_->Options(); }
    void SetOptions(TTBItemOptions value) { items_->SetOptions(value); }
    const std::string& ChevronHint() const { return chevron_->Hint(); }
    void SetChevronHint(const std::string& value) { chevron_->SetHint(value); }
    bool IsChevronHintStored() const;
    int FloatingWidth() const { return floatingWidth_; }
    void SetFloatingWidth(int value);
    bool MenuBar() const { return menuBar_; }
    void SetMenuBar(bool value);
    bool ProcessShortCuts() const { return processShortCuts_; }
    void SetProcessShortCuts(bool value);
    TTBShrinkMode ShrinkMode() const { return shrinkMode_; }
    void SetShrinkMode(TTBShrinkMode value);
    bool SystemFont() const { return systemFont_; }
    void SetSystemFont(bool value);
    bool UpdateActions() const { return updateActions_; }
    void SetUpdateActions(bool value) { updateActions_ = value; }
    int LineCount() const { return lineCount_; }
    POINT BaseSize() const { return baseSize_; }

    TTBShortCutEvent OnShortCut;

    // A character typed in the toolbar's form: the accelerators of its items. True when taken.
    bool DialogChar(char ch);
    // The menu opened by keyboard (Alt, or Alt with a character); true when taken.
    bool KeyboardOpen(char key);
    // Keyboard navigation on a bar that is no menu bar, from its first (or last) item; with
    // `leaveAtEnds`, Left or Right past an end leave it. Returns which way the keyboard left
    // (-1, 1), 0 when the navigation ended here (or the toolbar was freed meanwhile).
    int WalkByKeyboard(bool fromLast, bool leaveAtEnds);
    // The item short-cuts of this toolbar; true when one ran.
    bool DispatchShortCut(MSG& msg);
    // Asks every item shown for its action's state.
    void UpdateItemsFromActions();

    // --- the dockable window's questions
    SIZE GetBaseSize() override;
    SIZE CalcSize(bool ForCurrentDock, TTBDockType DockType, TTBDock* Dock) override;
    int GetMinShrinkSize() override;
    void PaintClientArea(TCanvas& canvas) override;
    TTBShrinkMode GetShrinkMode() override { return shrinkMode_; }
    bool KeepClientPress(POINT p) override;
    bool TakesMenuEvents() const override { return menuBar_; }
    void SetSkin(TTBBaseSkin* value) override;
    void SkinReplaced() override;
    void SkinLayoutChanged() override { Relayout(); }
    void SizeChanging(int Width, int Height) override;
    std::vector<SIZE> FloatingSizes() override;
    void BeginFloatingResize() override;
    void ShowFloatingSize(SIZE size) override;
    void EndFloatingResize(bool cancelled) override;

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Loaded() override;
    // The hint of the viewer under the point, over the viewer.
    bool GetHintInfo(POINT clientPoint, std::string& text, RECT& hintRect) override;

    // Stored layouts: the items first, then the child controls.
    void GetChildren(const std::function<void(TComponent* child)>& proc) const;
    void SetChildOrder(TComponent* child, int order);

protected:
    void FontChanged() override;
    // A control placed on the bar later gets a control item; one taken away loses its items.
    void ControlInserted(TControl* control) override;
    void ControlRemoved(TControl* control) override;
    void UpdatesReleased() override;

private:
    friend class TTBToolbarView;
    struct TViewLimits {
        TTBViewOrientation Orientation = voHorizontal;
        int ChevronLimit = 0;
        int WrapOffset = 0;
    };
    // Orientation, chevron limit and wrap offset for being at `type` in `dock`; the length the
    // dock grants counts only for the dock the toolbar is in.
    TViewLimits LimitsFor(TTBDockType type, TTBDock* dock, bool forCurrentDock) const;
    POINT LayOutFor(const TViewLimits& limits);
    void ViewSizeChanged(int width, int height);
    void AddMissingControlItems();
    bool HasControlItem(const TControl* control) const;
    void AppendControlItem(TControl* control);
    void IdleUpdate();
    // The items' sizes may have changed (font, skin, metrics): lay out from scratch.
    void Relayout();
    void HoverAt(POINT client);
    void TrackLeave();
    void PressAt(POINT client);
    // False when the toolbar was freed while its loop ran.
    bool EnterLoopAt(TTBItemViewer* viewer, bool selectFirst);
    void ActOnAccelerator(TTBItemViewer* match, bool unique);
    void UpdateShortCutRegistration();

    std::unique_ptr<TTBRootItem> items_;
    std::unique_ptr<TTBChevronItem> chevron_;
    std::unique_ptr<TTBToolbarView> view_;
    // Exists only while the floating toolbar is resized by its border.
    struct TResizeState {
        int OldFloatingWidth;
    };
    std::unique_ptr<TResizeState> resizeState_;
    POINT baseSize_{};
    int arranging_ = 0;
    int floatingWidth_ = 0;
    bool inMouseDown_ = false;
    bool trackingLeave_ = false;
    int lineCount_ = 1;
    bool menuBar_ = false;
    bool processShortCuts_ = false;
    bool registered_ = false;
    TTBShrinkMode shrinkMode_ = tbsmChevron;
    bool systemFont_ = true;
    bool updateActions_ = true;
    bool destroying_ = false;
    int idleKey_ = 0;
};

// Publishes the toolbar's properties for stored layouts.
class TTBToolbar : public TTBCustomToolbar {
public:
    using TTBCustomToolbar::TTBCustomToolbar;
};

// ---- Keys (toolbar_keys.cpp) --------------------------------------------------------------

// How keys typed anywhere in a form reach its toolbars: accelerator characters, item
// short-cuts, the Alt key of a menu bar. One application message filter serves every toolbar
// alive.
void RegisterToolbarKeys(TTBCustomToolbar* toolbar);
void UnregisterToolbarKeys(TTBCustomToolbar* toolbar);
// The toolbar dispatches its items' short-cuts for its form (ProcessShortCuts, MenuBar).
void SetShortCutToolbar(TTBCustomToolbar* toolbar, bool listed);
// The menu-bar keyboard hook of the common services, held while the toolbar is a menu bar.
void SetMenuBarHook(TTBCustomToolbar* toolbar, bool installed);
// Toolbars whose items' short-cuts and accelerators the application's keys reach.
int RegisteredShortCutToolbarCount();
