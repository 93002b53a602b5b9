#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolbar/base/anim.h"
#include "toolbar/items/item.h"
#include "toolbar/popups/popup_place.h"
#include "toolbar/popups/popup_scroll.h"
#include "toolbar/popups/shadow.h"
#include "toolbar/views/view.h"
#include "widgets/control.h"

class TTBPopupWindow;

// The column of a popup window. A popup taller than its MaxHeight scrolls between two arrows.
class TTBPopupView : public TTBView {
public:
    TTBPopupView(TTBView* parentView, TTBCustomItem* parentItem, TTBPopupWindow* window);

    // The opening view's font, asked each time: the menu font is rebuilt when the system's changes.
    HFONT GetFont() override;
    void ScrollSelectedIntoView() override;
    void TimerFired(TTBViewTimer timer) override;

    // Placed left of the item that opened it: its own submenus prefer the left too.
    bool OpenedLeft() const { return openedLeft_; }
    void SetOpenedLeft(bool value) { openedLeft_ = value; }

    const TPopupScroll& Scroll() const { return scroll_; }
    // The arrows' bands in client coordinates; empty when the arrow is not shown.
    RECT TopArrowRect() const;
    RECT BottomArrowRect() const;
    void PaintScrollArrows(HDC dc, TColor background);

protected:
    void ApplyScrolling(std::vector<TTBLayoutPlace>& places, POINT& totalSize) override;
    void PointerAt(const POINT* clientPoint) override;

private:
    void ScrollTo(int offset);
    int ClientWidth() const;

    bool openedLeft_ = false;
    int offset_ = 0;
    TPopupScroll scroll_;
    // The shown viewers before scrolling, for the arrows and the keyboard to scroll to.
    std::vector<TTBItemViewer*> scrollViewers_;
    std::vector<TPopupSpan> scrollSpans_;
};

// A borderless top-level window holding one popup view: a submenu, a chevron's list or a popup
// menu. Its opener owns it; freeing it closes it, its child popups and its shadows.
class TTBPopupWindow : public TWinControl, public TTBPopupHost {
public:
    TTBPopupWindow(TTBView* parentView, TTBCustomItem* parentItem, TTBBaseSkin* skin, int borderWidth);
    ~TTBPopupWindow() override;

    TTBView* View() const override { return view_.get(); }
    HWND Handle() override { return TWinControl::Handle(); }
    TTBPopupView* PopupView() const { return view_.get(); }
    TTBView* ParentView() const { return parentView_; }
    TTBBaseSkin* Skin() const { return skin_; }
    // The frame's width on each side, this popup's own: a child popup never changes its parent's.
    int BorderWidth() const { return borderWidth_; }
    TTBAnimationDirection OpenDirections() const { return openDirections_; }
    void SetOpenDirections(TTBAnimationDirection value) { openDirections_ = value; }
    TPopupShadows* Shadows() const { return shadows_.get(); }
    // How the popup stands to the button it dropped from (the popup's own bounds are read when
    // the frame is painted); the frame and the shadows follow it.
    void SetShadowSource(const TPopupShadowSource& source) { shadowSource_ = source; }

    // Shows the window without activating it, sliding or fading in when asked.
    void ShowPopup(bool animate);
    // The selected viewer's hint, over the viewer.
    bool GetHintInfo(POINT clientPoint, std::string& text, RECT& hintRect) override;

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PaintWindow(TCanvas& canvas) override;
    bool CalcNonClientSize(RECT& rect) override;
    bool PaintNonClient(HRGN update) override;

private:
    void PaintFrame(HDC dc);
    void PaintBackground(HDC dc, const RECT& area);
    void PlaceShadows();
    TPopupShadowSource CurrentShadowSource() const;

    TTBView* parentView_;
    TTBBaseSkin* skin_;
    int borderWidth_;
    TTBAnimationDirection openDirections_ = 0;
    TPopupShadowSource shadowSource_;
    std::unique_ptr<TPopupShadows> shadows_;
    std::unique_ptr<TTBPopupView> view_;
};

// What CreatePopup builds.
struct TTBPopupRequest {
    TTBCustomItem* Item = nullptr;
    TTBView* ParentView = nullptr;     // null: a popup menu at Point
    TTBItemViewer* Opener = nullptr;   // the parent view's viewer of Item
    POINT Point{};                     // screen; without a parent view
    TPopupAlignment Alignment = paLeft;
    bool SelectFirst = false;
    bool ToSide = false;               // a submenu beside its menu item, not dropped down
};

// Builds, places and shows the popup of the request's item; the caller owns it. An error while
// building frees the window and passes on.
std::unique_ptr<TTBPopupWindow> CreatePopup(const TTBPopupRequest& request);

// The real popup windows as a PopupFactory().
TTBPopupFactory DefaultPopupFactory();
// Makes the views open their popups as these windows, unless a factory is installed already (a
// test's double). Toolbars and popup menus call it: the views know popups only by the factory.
void InstallPopupWindows();

// Opens the item's children as a popup menu at (x, y) and tracks it until the user chooses or
// cancels; the choice is carried out after the window is gone. The first button release is
// not taken as a choice: it usually ends the click that opened the menu.
TTBTrackResult Popup(TTBCustomItem* item, int x, int y, TPopupAlignment alignment, bool trackRightButton);

enum TTrackButton : uint8_t { tbRightButton, tbLeftButton };

// A context menu of toolbar items.
class TTBPopupMenu : public TComponent {
public:
    explicit TTBPopupMenu(TComponent* owner);
    ~TTBPopupMenu() override;

    TTBRootItem* Items() const { return items_; }
    TImageList* Images() const { return items_->SubitemImages(); }
    void SetImages(TImageList* value) { items_->SetSubitemImages(value); }
    TTBCustomItem* LinkSubitems() const { return items_->LinkSubitems(); }
    void SetLinkSubitems(TTBCustomItem* value) { items_->SetLinkSubitems(value); }
    TTBItemOptions Options() const { return items_->Options(); }
    void SetOptions(TTBItemOptions value) { items_->SetOptions(value); }
    // None gives the default skin back; the root item carries it to the popups.
    TTBBaseSkin* Skin() const { return skin_; }
    void SetSkin(TTBBaseSkin* value);
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment value) { alignment_ = value; }
    TTrackButton TrackButton() const { return trackButton_; }
    void SetTrackButton(TTrackButton value) { trackButton_ = value; }

    TTBTrackResult Popup(int x, int y);
    // The short-cut of one of its items: clicked, and true.
    bool IsShortCut(WORD key, TShiftState shift) { return items_->DispatchShortCut(key, shift); }

    // Runs when the menu is about to show (its root item's popup event).
    TNotifyEvent OnPopup;

    void GetChildren(const std::function<void(TComponent* child)>& proc) const { items_->GetChildren(proc); }

protected:
    // A skin freed under the menu gives way to the default skin.
    void Notification(TComponent* component, TOperation operation) override;

private:
    TTBRootItem* items_;  // owned through the component tree
    TTBBaseSkin* skin_ = nullptr;
    TPopupAlignment alignment_ = paLeft;
    TTrackButton trackButton_ = tbRightButton;
};
