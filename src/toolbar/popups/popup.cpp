// Popup windows: the view that scrolls, the window with its frame, background, animation and
// shadows, how an item builds and places its popup, and the popup menu.
#include "toolbar/popups/popup.h"

#include <algorithm>
#include <string>

#include "toolbar/base/common.h"
#include "toolbar/popups/popup_skin.h"
#include "toolbar/skins/skin_paint.h"
#include "toolbar/views/accessible.h"
#include "widgets/handles.h"

namespace {

constexpr UINT ScrollIntervalMs = 100;
constexpr int AnimationMs = 150;

// The frame without skin: a flat one when the system draws flat menus, else a raised edge.
void PaintPlainPopupFrame(HDC dc, RECT r, TColor popupColor) {
    if (FlatMenusEnabled()) {
        FramePopupRings(dc, r, ColorToRGB(clBtnShadow), ColorToRGB(popupColor));
        return;
    }
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    SkinFrame(dc, r, ColorToRGB(clBtnFace));
}

void PaintScrollArrow(HDC dc, const RECT& band, bool up, TColor background) {
    FillSolid(dc, band, background);
    const int cx = (band.left + band.right) / 2, cy = (band.top + band.bottom) / 2;
    const int tip = up ? -2 : 2;
    const POINT points[3] = {{cx - 4, cy - tip}, {cx + 4, cy - tip}, {cx, cy + tip}};
    FillTriangle(dc, points, ColorToRGB(clMenuText));
}

RECT ScreenRectOf(TTBView* view, const TTBItemViewer* viewer) {
    RECT r = viewer->BoundsRect;
    MapWindowPoints(view->Window()->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<RECT> ShownItemsOnScreen(TTBView* view) {
    std::vector<RECT> rects;
    for (int i = 0; i < view->ViewerCount(); ++i) {
        TTBItemViewer* v = view->Viewers(i);
        if (v->Show && !IsRectEmpty(&v->BoundsRect)) rects.push_back(ScreenRectOf(view, v));
    }
    return rects;
}

void RaisePopupEvents(TTBCustomItem* item) {
    if (TTBCustomItem* linked = item->LinkSubitems()) linked->RunPopupEvent(item, true);
    item->RunPopupEvent(item, false);
}

TTBPopupOrigin OriginOf(const TTBPopupRequest& rq, bool chevron) {
    if (!rq.ParentView || !rq.Opener) return poPoint;
    if (chevron) return poChevron;
    if (rq.ToSide) return poSideSubmenu;
    return rq.ParentView->Orientation() == voVertical ? poVerticalBar : poDropDown;
}

TPopupPlaceInput PlaceInputFor(const TTBPopupRequest& rq, TTBPopupWindow& window, const RECT& item, const RECT& workArea) {
    TTBView* parent = rq.ParentView;
    TTBView* chevronParent = rq.Item->ChevronParentView();
    TPopupPlaceInput in;
    in.Origin = OriginOf(rq, chevronParent != nullptr);
    in.Size = SIZE{window.Width(), window.Height()};
    in.Item = item;
    in.Alignment = rq.Alignment;
    in.WorkArea = workArea;
    in.Border = window.BorderWidth();
    in.VerticalBar = chevronParent && chevronParent->Orientation() == voVertical;
    in.MenusAlignRight = SystemSeams().Metrics(SM_MENUDROPALIGNMENT) != 0;
    if (!parent) return in;
    if (auto* parentPopup = dynamic_cast<TTBPopupView*>(parent)) in.ParentOpenedLeft = parentPopup->OpenedLeft();
    if (in.Origin != poSideSubmenu) in.BarItems = ShownItemsOnScreen(parent);
    in.Offset = PopupShift(parent->SkinActive() ? parent->Skin() : nullptr, parent->IsPopup(),
                           parent->ChevronParentView() != nullptr);
    in.OverlapButton = parent->IsToolbar() && PopupSkinIsOfficeXP(window.Skin());
    return in;
}

TPopupShadowSource ShadowSourceFor(const TTBPopupRequest& rq, const TTBPopupWindow& window, const RECT& item,
                                   const TPopupPlacement& placed) {
    TPopupShadowSource source;
    TTBView* parent = rq.ParentView;
    if (!parent || !parent->IsToolbar()) return source;
    const bool vertical = parent->Orientation() == voVertical;
    source.Kind = vertical ? TPopupShadowSource::psVerticalBar : TPopupShadowSource::psHorizontalBar;
    source.Button = item;
    source.Flipped = vertical ? placed.OpenedLeft : placed.OpenedUp;
    source.SplitButton = (rq.Item->ItemStyle() & isfCombo) != 0;
    source.Chevron = rq.Item->ChevronParentView() != nullptr;
    source.JoinButton = PopupJoinsButton(window.Skin(), rq.Item);
    return source;
}

}  // namespace

// === the view =================================================================================

TTBPopupView::TTBPopupView(TTBView* parentView, TTBCustomItem* parentItem, TTBPopupWindow* window)
    : TTBView(nullptr, parentView, parentItem, window, false, false, false) {}

HFONT TTBPopupView::GetFont() { return ParentView() ? ParentView()->GetFont() : MenuFont(); }

int TTBPopupView::ClientWidth() const { return Window() ? static_cast<int>(Window()->ClientRect().right) : 0; }

RECT TTBPopupView::TopArrowRect() const {
    if (!scroll_.TopArrow) return RECT{};
    return RECT{0, 0, ClientWidth(), PopupScrollArrowHeight};
}

RECT TTBPopupView::BottomArrowRect() const {
    if (!scroll_.BottomArrow) return RECT{};
    return RECT{0, scroll_.Height - PopupScrollArrowHeight, ClientWidth(), scroll_.Height};
}

void TTBPopupView::ApplyScrolling(std::vector<TTBLayoutPlace>& places, POINT& totalSize) {
    std::vector<size_t> shown;
    scrollViewers_.clear();
    scrollSpans_.clear();
    for (size_t i = 0; i < places.size(); ++i) {
        if (!places[i].Show) continue;
        shown.push_back(i);
        scrollViewers_.push_back(places[i].Viewer);
        scrollSpans_.push_back(TPopupSpan{static_cast<int>(places[i].Rect.top), static_cast<int>(places[i].Rect.bottom)});
    }
    scroll_ = ScrollPopup(scrollSpans_, totalSize.y, MaxHeight(), offset_);
    offset_ = scroll_.Offset;
    totalSize.y = scroll_.Height;
    for (size_t k = 0; k < shown.size(); ++k) {
        TTBLayoutPlace& place = places[shown[k]];
        OffsetRect(&place.Rect, 0, -offset_);
        if (scroll_.Clipped[k]) {
            place.Show = false;
            place.Clipped = true;
        }
    }
}

void TTBPopupView::ScrollTo(int offset) {
    if (offset == offset_) return;
    offset_ = offset;
    InvalidatePositions();
    ValidatePositions();
}

void TTBPopupView::PointerAt(const POINT* clientPoint) {
    auto follow = [&](const RECT& band, TTBViewTimer timer) {
        if (clientPoint && PtInRect(&band, *clientPoint)) {
            if (!TimerRunning(timer)) StartTimer(timer, ScrollIntervalMs);
        } else {
            StopTimer(timer);
        }
    };
    follow(TopArrowRect(), vtScrollUp);
    follow(BottomArrowRect(), vtScrollDown);
}

void TTBPopupView::TimerFired(TTBViewTimer timer) {
    if (timer != vtScrollUp && timer != vtScrollDown) {
        TTBView::TimerFired(timer);
        return;
    }
    ValidatePositions();
    const int before = offset_;
    ScrollTo(NextScrollOffset(scrollSpans_, scroll_, MaxHeight(), timer == vtScrollDown));
    // A row taller than the band between the arrows never shows whole: stop once nothing moves.
    if (offset_ == before) StopTimer(timer);
}

void TTBPopupView::ScrollSelectedIntoView() {
    ValidatePositions();
    TTBItemViewer* selected = Selected();
    if (!selected || !selected->Clipped) return;
    auto it = std::find(scrollViewers_.begin(), scrollViewers_.end(), selected);
    if (it == scrollViewers_.end()) return;
    ScrollTo(OffsetShowing(scrollSpans_[it - scrollViewers_.begin()], scroll_, MaxHeight()));
}

void TTBPopupView::PaintScrollArrows(HDC dc, TColor background) {
    if (scroll_.TopArrow) PaintScrollArrow(dc, TopArrowRect(), true, background);
    if (scroll_.BottomArrow) PaintScrollArrow(dc, BottomArrowRect(), false, background);
}

// === the window ===============================================================================

TTBPopupWindow::TTBPopupWindow(TTBView* parentView, TTBCustomItem* parentItem, TTBBaseSkin* skin, int borderWidth)
    : TWinControl(nullptr), parentView_(parentView), skin_(skin), borderWidth_(borderWidth) {
    SetVisible(false);
    SetBounds(0, 0, 320, 240);
    ShowHint = true;
    SetColor(PopupColorFor(skin));
    if (PopupCastsShadows(skin))
        shadows_ = std::make_unique<TPopupShadows>(PopupShadowStyle(skin), parentView && PopupSkinIsOfficeXP(skin));
    view_ = std::make_unique<TTBPopupView>(parentView, parentItem, this);
    view_->SetSkin(skin);
    view_->SetColor(Color());
    view_->OnEraseBackground = [this](HDC dc, const RECT& area) { PaintBackground(dc, area); };
    HandleNeeded();
}

TTBPopupWindow::~TTBPopupWindow() {
    if (HWND window = HandleOrNull()) {
        DiscardWindowAnimation(window);
        // Told while the view can still name it; hidden below, the window has no view.
        if (IsWindowVisible(window)) NotifyAccessibleEvent(*view_, EVENT_SYSTEM_MENUPOPUPEND, nullptr);
    }
    // The view first: its child popups close before this one goes.
    view_.reset();
    if (HWND window = HandleOrNull()) ShowWindow(window, SW_HIDE);
    shadows_.reset();
}

bool TTBPopupWindow::GetHintInfo(POINT, std::string& text, RECT& hintRect) {
    TTBItemViewer* selected = view_ ? view_->Selected() : nullptr;
    if (!selected) return false;
    text = selected->HintText();
    hintRect = selected->BoundsRect;
    return !text.empty();
}

void TTBPopupWindow::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    const bool redraw = PopupRedrawsOnResize(skin_), systemShadow = PopupWantsSystemShadow(skin_);
    // A class keeps the style it was first registered with: one name per combination.
    params.WinClassName = std::string("SorvanePopup") + (redraw ? "V" : "") + (systemShadow ? "S" : "");
    params.WindowClassStyle = CS_SAVEBITS | (redraw ? CS_VREDRAW : 0) | (systemShadow ? CS_DROPSHADOW : 0);
    params.Style = WS_POPUP | WS_CLIPCHILDREN;
    params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    params.WndParent = PopupOwnerWindow();
}

bool TTBPopupWindow::CalcNonClientSize(RECT& rect) {
    const int side = borderWidth_ - (PopupSkinIsOfficeXP(skin_) ? 1 : 0);
    rect.left += side;
    rect.right -= side;
    rect.top += borderWidth_;
    rect.bottom -= borderWidth_;
    return true;
}

TPopupShadowSource TTBPopupWindow::CurrentShadowSource() const {
    TPopupShadowSource source = shadowSource_;
    source.Popup = BoundsRect();
    return source;
}

void TTBPopupWindow::PaintFrame(HDC dc) {
    RECT frame{0, 0, Width(), Height()};
    if (TTBBaseSkin* frameSkin = PopupFrameSkin(skin_, parentView_ ? parentView_->Skin() : nullptr))
        PaintSkinnedPopupFrame(dc, frame, frameSkin, OpenedBorderLine(CurrentShadowSource()));
    else
        PaintPlainPopupFrame(dc, frame, Color());
}

void TTBPopupWindow::PlaceShadows() {
    if (shadows_) shadows_->Place(::PlaceShadows(CurrentShadowSource()));
}

bool TTBPopupWindow::PaintNonClient(HRGN update) {
    {
        WindowFrameDC dc(HandleOrNull(), update);
        if (dc) PaintFrame(dc.get());
    }
    // A frame painted on screen brings out the shadows; one printed for the animation does not.
    if (shadows_) {
        PlaceShadows();
        if (IsWindowVisible(HandleOrNull()) && !WindowAnimationRunning(HandleOrNull())) shadows_->ShowNew();
    }
    return true;
}

void TTBPopupWindow::PaintBackground(HDC dc, const RECT& area) {
    if (!view_->ChevronParentView()) {
        ScopedSaveDC saved(dc);
        IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
        // The image column's band is as wide as the first shown row is high.
        if (PaintSkinnedPopupBackground(dc, ClientRect(), skin_, view_->FirstShownViewerHeight())) return;
    }
    FillSolid(dc, area, Color());
}

void TTBPopupWindow::PaintWindow(TCanvas& canvas) {
    const RECT client = ClientRect();
    PaintBackground(canvas.Handle(), client);
    view_->DrawSubitems(canvas);
    view_->PaintScrollArrows(canvas.Handle(), Color());
}

LRESULT TTBPopupWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TB_ANIMATIONSTEP:
        ProcessAnimationStep(HandleOrNull(), lParam);
        return 0;
    case WM_TB_ANIMATIONDONE:
        if (shadows_) {
            PlaceShadows();
            shadows_->ShowAll();
        }
        return 0;
    case WM_ERASEBKGND:
    case WM_PAINT:
        FinishWindowAnimation(HandleOrNull());
        break;
    case WM_SHOWWINDOW:
        if (!wParam) FinishWindowAnimation(HandleOrNull());
        break;
    case WM_PRINT:
        return PrintWindowParts(HandleOrNull(), reinterpret_cast<HDC>(wParam), lParam,
                                [this](HWND, HDC dc) { PaintFrame(dc); });
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_WINDOWPOSCHANGED: {
        LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
        PlaceShadows();
        const UINT flags = reinterpret_cast<const WINDOWPOS*>(lParam)->flags;
        if (view_ && (flags & SWP_SHOWWINDOW)) NotifyAccessibleEvent(*view_, EVENT_SYSTEM_MENUPOPUPSTART, nullptr);
        if (view_ && (flags & SWP_HIDEWINDOW)) NotifyAccessibleEvent(*view_, EVENT_SYSTEM_MENUPOPUPEND, nullptr);
        return result;
    }
    case WM_GETOBJECT: {
        LRESULT result = 0;
        if (view_ && AnswerAccessibleObject(*view_, HandleOrNull(), wParam, lParam, result)) return result;
        break;
    }
    default:
        break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

void TTBPopupWindow::ShowPopup(bool animate) {
    // The very first popup shows before its sound starts: the sound system's first start is slow.
    static bool anyShown = false;
    const bool soundFirst = anyShown;
    anyShown = true;
    if (soundFirst) PlaySystemSound(MenuPopupSound);
    HWND window = Handle();
    if (animate && MenuAnimationEnabled()) {
        const bool fade = MenuFadeEnabled();
        if (fade || openDirections_) StartWindowAnimation(window, AnimationMs, fade, openDirections_);
    }
    SetVisible(true);
    if (!soundFirst) {
        UpdateWindow(window);
        PlaySystemSound(MenuPopupSound);
    }
}

// === building a popup =========================================================================

std::unique_ptr<TTBPopupWindow> CreatePopup(const TTBPopupRequest& request) {
    TTBPopupRequest rq = request;
    TTBCustomItem* item = rq.Item;
    TTBView* parent = rq.ParentView;
    TTBBaseSkin* skin = ChoosePopupSkin(parent ? parent->Skin() : nullptr, parent && parent->SkinActive(), item->Skin());
    RaisePopupEvents(item);
    // The events may have rebuilt the parent's viewers: the opener is looked up again, and a
    // popup whose item has left the parent opens nowhere.
    if (parent && rq.Opener) {
        rq.Opener = parent->Find(item);
        if (!rq.Opener) return nullptr;
    }

    auto window = std::make_unique<TTBPopupWindow>(parent, item, skin, PopupBorderWidthFor(skin));
    TTBPopupView* view = window->PopupView();
    TTBView* chevronParent = item->ChevronParentView();
    if (chevronParent) {
        view->SetChevronParentView(chevronParent);
        if (TWinControl* bar = chevronParent->Window()) window->ShowHint = bar->EffectiveShowHint();
        if (!skin) {
            window->SetColor(clBtnFace);
            view->SetColor(clBtnFace);
        }
    }
    const bool atPoint = !parent || !rq.Opener;
    const RECT itemRect = atPoint ? RECT{rq.Point.x, rq.Point.y, rq.Point.x, rq.Point.y} : ScreenRectOf(parent, rq.Opener);
    const RECT workArea = atPoint ? GetPointMonitorArea(rq.Point, true) : GetRectMonitorArea(itemRect, true);
    // A chevron's list never scrolls: its height is what its few buttons need.
    if (!chevronParent) view->SetMaxHeight(workArea.bottom - workArea.top - 2 * window->BorderWidth());
    view->ValidatePositions();
    if (rq.SelectFirst) {
        std::shared_ptr<const bool> parentAlive = parent ? parent->AliveToken() : nullptr;
        if (view->Select(view->FirstSelectable())) view->ScrollSelectedIntoView();
        // The first item's selection handler may have freed the bar or menu it opens from.
        if (parentAlive && !*parentAlive) return nullptr;
    }

    const TPopupPlaceInput in = PlaceInputFor(rq, *window, itemRect, workArea);
    const TPopupPlacement placed = PlacePopup(in);
    if (in.Origin == poSideSubmenu) view->SetOpenedLeft(placed.OpenedLeft);
    window->SetOpenDirections(placed.Directions);
    window->SetBounds(placed.Position.x, placed.Position.y, in.Size.cx, in.Size.cy);
    window->SetShadowSource(ShadowSourceFor(rq, *window, itemRect, placed));
    // Moving along a menu bar from one open menu to the next shows the next one at once.
    window->ShowPopup(!view->Selected() && !(parent && parent->ChildJustClosed()));
    return window;
}

TTBPopupFactory DefaultPopupFactory() {
    return [](TTBCustomItem* item, TTBView* parentView, TTBItemViewer* opener, bool selectFirst) {
        TTBPopupRequest rq;
        rq.Item = item;
        rq.ParentView = parentView;
        rq.Opener = opener;
        rq.SelectFirst = selectFirst;
        rq.ToSide = parentView && parentView->IsPopup() && opener && !opener->IsToolbarStyle();
        return std::unique_ptr<TTBPopupHost>(CreatePopup(rq));
    };
}

void InstallPopupWindows() {
    if (!PopupFactory()) PopupFactory() = DefaultPopupFactory();
}

TTBTrackResult Popup(TTBCustomItem* item, int x, int y, TPopupAlignment alignment, bool trackRightButton) {
    InstallPopupWindows();  // for its submenus
    TTBTrackResult result;
    TTBItemWatch clicked(result.ClickItem);  // the popup's teardown may free it
    {
        TTBPopupRequest rq;
        rq.Item = item;
        rq.Point = POINT{x, y};
        rq.Alignment = alignment;
        std::unique_ptr<TTBPopupWindow> window = CreatePopup(rq);
        window->PopupView()->SetIgnoreNextMouseUp(true);
        result = window->PopupView()->EnterPopupLoop(trackRightButton);
    }
    RunTrackResult(result);
    return result;
}

// === the popup menu ===========================================================================

namespace {
void RegisterPopupMenuAsStoredParent() {
    static const bool registered = [] {
        RegisterTBItemParentClass<TTBPopupMenu>([](TTBPopupMenu* menu, TTBCustomItem* item) { menu->Items()->Add(item); });
        return true;
    }();
    (void)registered;
}
}  // namespace

TTBPopupMenu::TTBPopupMenu(TComponent* owner) : TComponent(owner) {
    RegisterPopupMenuAsStoredParent();
    items_ = TComponent::Create<TTBRootItem>(this);
    items_->OnClick = [this](TComponent*) {
        if (OnPopup) OnPopup(this);
    };
    SetSkin(nullptr);
}

TTBPopupMenu::~TTBPopupMenu() { items_->OnClick = nullptr; }

void TTBPopupMenu::SetSkin(TTBBaseSkin* value) {
    if (value && value != DefaultSkin) value->FreeNotification(this);
    skin_ = value ? value : DefaultPopupMenuSkin();
    items_->SetSkin(skin_);
}

void TTBPopupMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    // Compared only: the skin is half taken apart by now.
    if (operation == opRemove && component == skin_) SetSkin(nullptr);
}

TTBTrackResult TTBPopupMenu::Popup(int x, int y) {
    return ::Popup(items_, x, y, alignment_, trackButton_ == tbRightButton);
}
