#include "toolbar/docks/toolbar.h"

#include <algorithm>

#include "toolbar/base/common.h"
#include "toolbar/base/consts.h"
#include "toolbar/popups/popup.h"
#include "toolbar/views/accessible.h"
#include "widgets/handles.h"
#include "widgets/hint_control.h"
#include "widgets/hint_text.h"

namespace {

// Items whose stored parent is a toolbar land in its Items. Entered once for the process: an
// entry removed with one toolbar would be missing for the others.
void RegisterToolbarAsItemParent() {
    static const bool entered = [] {
        RegisterTBItemParentClass<TTBCustomToolbar>(
            [](TTBCustomToolbar* toolbar, TTBCustomItem* item) { toolbar->Items()->Add(item); });
        return true;
    }();
    (void)entered;
}

TTBDockType DockTypeNow(const TTBCustomDockableWindow& window) {
    if (window.Floating()) return dtFloating;
    if (window.Docked() && window.CurrentDock()) return DockTypeOf(window.CurrentDock());
    return dtNotDocked;
}

TTBViewOrientation OrientationFor(TTBDockType type) {
    switch (type) {
    case dtFloating: return voFloating;
    case dtLeftRight: return voVertical;
    case dtNotDocked:
    case dtTopBottom: break;
    }
    return voHorizontal;
}

}  // namespace

// --- the view -------------------------------------------------------------------------------

TTBToolbarView::TTBToolbarView(TTBCustomToolbar* toolbar)
    : TTBView(nullptr, nullptr, toolbar->Items(), toolbar, true, false, true), toolbar_(toolbar) {}

TTBCustomItem* TTBToolbarView::GetChevronItem() const { return toolbar_->ChevronItem(); }

HFONT TTBToolbarView::GetFont() { return toolbar_->SystemFont() ? MenuFont() : toolbar_->Font().Handle(); }

void TTBToolbarView::SetSize(int width, int height) { toolbar_->ViewSizeChanged(width, height); }

POINT TTBToolbarView::UpdatePositions() {
    POINT size = TTBView::UpdatePositions();
    toolbar_->baseSize_ = BaseSize();
    return size;
}

bool TTBToolbarView::WindowIsMenuBar() const { return toolbar_->MenuBar(); }

// --- the toolbar ----------------------------------------------------------------------------

TTBCustomToolbar::TTBCustomToolbar(TComponent* owner) : TTBCustomDockableWindow(owner) {
    RegisterToolbarAsItemParent();
    InstallPopupWindows();  // submenus and the chevron's list
    items_ = std::make_unique<TTBRootItem>(this);
    view_ = std::make_unique<TTBToolbarView>(this);
    chevron_ = std::make_unique<TTBChevronItem>(nullptr, view_.get());
    chevron_->SetHint(STBChevronItemMoreButtonsHint);
    chevron_->SetLinkSubitems(items_.get());
    // The chevron joined after the view's viewers were made: it needs its own now.
    items_->Notify(inkSubitemsChanged, -1, nullptr);
    view_->SetColor(clBtnFace);
    view_->SetSkin(Skin());
    // A button repainted alone sits on what the whole client area shows (the skin's colour,
    // a dock's picture), not on plain button face.
    view_->OnEraseBackground = [this](HDC dc, const RECT&) { DockPainter().PaintWindowBackground(*this, dc, ClientRect()); };
    SetColor(clBtnFace);
    SetBounds(Left(), Top(), 23, 22);
    // Background and buttons reach the screen in one copy: resizing and state changes do not flicker.
    SetDoubleBuffered(true);
    RegisterToolbarKeys(this);
    if (Application) idleKey_ = Application->AddIdleHandler([this] { IdleUpdate(); });
}

TTBCustomToolbar::~TTBCustomToolbar() {
    destroying_ = true;
    if (Application) Application->RemoveIdleHandler(idleKey_);
    if (menuBar_) SetMenuBarHook(this, false);
    UnregisterToolbarKeys(this);
    view_.reset();
    chevron_.reset();
    items_.reset();
}

bool TTBCustomToolbar::IsChevronHintStored() const { return chevron_->Hint() != STBChevronItemMoreButtonsHint; }

void TTBCustomToolbar::SetFloatingWidth(int value) {
    if (value == floatingWidth_) return;
    floatingWidth_ = value;
    if (Floating()) Arrange();
}

void TTBCustomToolbar::SetMenuBar(bool value) {
    if (value == menuBar_) return;
    menuBar_ = value;
    SetFullSize(value);
    SetShrinkMode(value ? tbsmWrap : tbsmChevron);
    SetCloseButton(!value);
    if (!Loading()) SetProcessShortCuts(value);
    view_->SetMenuBarMode(value);
    UpdateShortCutRegistration();
    SetMenuBarHook(this, value);
    view_->InvalidatePositions();
    Arrange();
}

void TTBCustomToolbar::SetProcessShortCuts(bool value) {
    if (value == processShortCuts_) return;
    processShortCuts_ = value;
    UpdateShortCutRegistration();
}

void TTBCustomToolbar::UpdateShortCutRegistration() {
    bool wanted = processShortCuts_ || menuBar_;
    if (wanted == registered_) return;
    registered_ = wanted;
    SetShortCutToolbar(this, wanted);
}

void TTBCustomToolbar::SetShrinkMode(TTBShrinkMode value) {
    if (value == shrinkMode_) return;
    shrinkMode_ = value;
    Arrange();
}

void TTBCustomToolbar::SetSystemFont(bool value) {
    if (value == systemFont_) return;
    systemFont_ = value;
    view_->InvalidatePositions();
    Arrange();
}

void TTBCustomToolbar::FontChanged() {
    TTBCustomDockableWindow::FontChanged();
    if (systemFont_ || !view_) return;
    view_->InvalidatePositions();
    Arrange();
}

void TTBCustomToolbar::Relayout() {
    view_->InvalidatePositions();
    Arrange();
}

void TTBCustomToolbar::SetSkin(TTBBaseSkin* value) {
    HandleNeeded();
    TTBCustomDockableWindow::SetSkin(value);
    if (view_) view_->SetSkin(Skin());
}

void TTBCustomToolbar::SkinReplaced() {
    TTBCustomDockableWindow::SkinReplaced();
    if (view_) view_->SetSkin(Skin());
}

void TTBCustomToolbar::UpdateItemsFromActions() {
    if (!updateActions_) return;
    for (int i = 0; i < view_->ViewerCount(); ++i) view_->Viewers(i)->Item()->UpdateFromAction();
}

// The application's idle moment: what the user sees follows the actions' states.
void TTBCustomToolbar::IdleUpdate() {
    if (updateActions_ && Showing() && !view_->InModalLoop()) UpdateItemsFromActions();
}

// --- sizing ---------------------------------------------------------------------------------

TTBCustomToolbar::TViewLimits TTBCustomToolbar::LimitsFor(TTBDockType type, TTBDock* dock, bool forCurrentDock) const {
    TViewLimits limits;
    limits.Orientation = OrientationFor(type);
    const bool docked = type == dtTopBottom || type == dtLeftRight;
    SIZE nc = GetNCSizes(docked ? dock : nullptr);
    const int frame = type == dtLeftRight ? nc.cy : nc.cx;
    if (docked) {
        if (shrinkMode_ == tbsmChevron && forCurrentDock && dock == CurrentDock() && GrantedLength() > 0)
            // A grant smaller than the frame still cuts off: 0 would mean no cut-off at all.
            limits.ChevronLimit = std::max(1, GrantedLength() - frame);
        if (shrinkMode_ == tbsmWrap && dock) limits.WrapOffset = std::max(1, dock->RowLength() - frame);
    } else if (type == dtFloating) {
        limits.WrapOffset = floatingWidth_;
    } else if (!AutoResize()) {
        int length = std::max<int>(1, Width() - nc.cx);
        if (shrinkMode_ == tbsmChevron) limits.ChevronLimit = length;
        if (shrinkMode_ == tbsmWrap) limits.WrapOffset = length;
    }
    return limits;
}

// Lays the view out for good with the limits; returns its total size.
POINT TTBCustomToolbar::LayOutFor(const TViewLimits& limits) {
    ++arranging_;
    struct Done {
        int& depth;
        ~Done() { --depth; }
    } done{arranging_};
    view_->SetOrientation(limits.Orientation);
    view_->SetChevronWidth(ChevronSize);
    view_->SetChevronLimit(limits.ChevronLimit);
    view_->SetWrapOffset(limits.WrapOffset);
    view_->InvalidatePositions();
    return view_->UpdatePositions();
}

SIZE TTBCustomToolbar::CalcSize(bool forCurrentDock, TTBDockType type, TTBDock* dock) {
    TViewLimits limits = LimitsFor(type, dock, forCurrentDock);
    // Asked for another place (or its full length), the view is measured but left as it is.
    POINT total = forCurrentDock ? LayOutFor(limits)
                                 : view_->CalculatePositions(false, limits.Orientation, limits.WrapOffset,
                                                             limits.ChevronLimit, ChevronSize).TotalSize;
    if (FullSize() && limits.WrapOffset > 0) {
        LONG& length = type == dtLeftRight ? total.y : total.x;
        length = std::max<LONG>(length, limits.WrapOffset);
    }
    return SIZE{total.x, total.y};
}

// The dock is about to give the toolbar its size: the view lays out with what it is granted.
void TTBCustomToolbar::SizeChanging(int width, int height) {
    TTBCustomDockableWindow::SizeChanging(width, height);
    LayOutFor(LimitsFor(DockTypeNow(*this), CurrentDock(), true));
}

SIZE TTBCustomToolbar::GetBaseSize() {
    POINT total = view_->CalculatePositions(false, view_->Orientation(), 0, 0, ChevronSize).TotalSize;
    return SIZE{total.x, total.y};
}

// The least a docked toolbar shows: its most recently used button, the frame and the chevron.
int TTBCustomToolbar::GetMinShrinkSize() {
    const bool vertical = CurrentDock() && CurrentDock()->Vertical();
    SIZE nc = GetNCSizes(CurrentDock());
    TTBItemViewer* first = nullptr;
    for (TTBItemViewer* v : view_->PriorityList())
        if (!v->IsSeparator() && v->Item()->Visible() && v->Item() != chevron_.get()) {
            first = v;
            break;
        }
    int length = 0;
    if (first) {
        int w = 0, h = 0;
        if (auto* controlItem = dynamic_cast<TTBControlItem*>(first->Item()); controlItem && controlItem->Control()) {
            w = controlItem->Control()->Width();
            h = controlItem->Control()->Height();
        } else {
            WindowDC screen(nullptr);
            TCanvas canvas(screen.get());
            first->CalcSize(canvas, w, h);
        }
        length = vertical ? h : w;
    }
    return length + (vertical ? nc.cy : nc.cx) + ChevronSize;
}

// --- floating sizes ---------------------------------------------------------------------------

std::vector<SIZE> FloatingSizeList(const std::function<TTBLayoutResult(int wrapWidth)>& layoutAt, int leastWidth) {
    TTBLayoutResult oneLine = layoutAt(0);
    std::vector<SIZE> sizes{SIZE{oneLine.TotalSize.x, oneLine.TotalSize.y}};
    int lines = oneLine.Lines;
    for (int width = oneLine.TotalSize.x - 1; width >= leastWidth && width > 0; --width) {
        TTBLayoutResult layout = layoutAt(width);
        // Wider than asked: a line holds an item wider than the width. Given its own width as
        // FloatingWidth the bar would wrap otherwise, so this layout cannot be shown.
        if (layout.TotalSize.x > width) continue;
        SIZE size{layout.TotalSize.x, layout.TotalSize.y};
        if (layout.Lines == lines) sizes.back() = size;
        else sizes.push_back(size);
        lines = layout.Lines;
    }
    return sizes;
}

std::vector<SIZE> TTBCustomToolbar::FloatingSizes() {
    RECT margins = view_->GetMargins(voFloating);
    return FloatingSizeList(
        [this](int width) { return view_->CalculatePositions(false, voFloating, width, 0, ChevronSize); },
        margins.left + margins.right);
}

void TTBCustomToolbar::BeginFloatingResize() { resizeState_ = std::make_unique<TResizeState>(TResizeState{floatingWidth_}); }

// Wrapped at its own width, the bar shows any size of its list again (the list leaves out
// layouts for which that does not hold).
void TTBCustomToolbar::ShowFloatingSize(SIZE size) { SetFloatingWidth(size.cx); }

void TTBCustomToolbar::EndFloatingResize(bool cancelled) {
    if (!resizeState_) return;
    std::unique_ptr<TResizeState> state = std::move(resizeState_);
    if (cancelled) SetFloatingWidth(state->OldFloatingWidth);
}

// The view found a new size for itself: the window follows, through its dock when docked.
void TTBCustomToolbar::ViewSizeChanged(int width, int height) {
    if (arranging_ > 0) return;
    RECT client = ClientRect();
    if (client.right == width && client.bottom == height) return;
    Arrange();
}

// --- painting and mouse ---------------------------------------------------------------------

void TTBCustomToolbar::PaintClientArea(TCanvas& canvas) { view_->DrawSubitems(canvas); }

bool TTBCustomToolbar::KeepClientPress(POINT p) {
    TTBItemViewer* viewer = view_->ViewerFromPoint(p);
    return viewer && (viewer->Item()->ItemStyle() & isfSelectable);
}

void TTBCustomToolbar::HoverAt(POINT client) {
    POINT screen = ClientToScreen(client);
    view_->UpdateSelection(&screen, true);
    TTBItemViewer* hot = view_->Selected();
    Hint = hot && !hot->Item()->EffectiveOptions().contains(tboLongHintInMenuOnly) ? hot->Item()->Hint() : "";
    if (Application) {
        Application->SetHint(hot ? hot->LongHintText() : std::string());
        Application->Hints().MouseMoved(this, screen);
    }
    if (!trackingLeave_) TrackLeave();
}

// Asks for the notice of the pointer leaving the bar. A pointer already gone gets it at once.
void TTBCustomToolbar::TrackLeave() {
    TRACKMOUSEEVENT request{sizeof(request), TME_LEAVE, HandleOrNull(), 0};
    trackingLeave_ = CallTrackMouseEvent(request);
}

bool TTBCustomToolbar::GetHintInfo(POINT client, std::string& text, RECT& hintRect) {
    TTBItemViewer* viewer = view_->ViewerFromPoint(client);
    if (!viewer) return false;
    text = viewer->HintText();
    hintRect = viewer->BoundsRect;
    return !text.empty();
}

void TTBCustomToolbar::PressAt(POINT client) {
    POINT screen = ClientToScreen(client);
    std::shared_ptr<const bool> alive = view_->AliveToken();
    view_->UpdateSelection(&screen, true);
    if (!*alive) return;  // the selection's handler freed the bar
    TTBItemViewer* viewer = view_->Selected();
    if (!viewer || (viewer->Item()->ItemStyle() & isfClicksTransparent)) return;
    inMouseDown_ = true;
    struct Reset {
        bool& flag;
        std::shared_ptr<const bool> alive;
        ~Reset() {
            if (*alive) flag = false;  // the toolbar may be gone with its view
        }
    } reset{inMouseDown_, alive};
    view_->EnterToolbarLoop(tbetMouseDown);
    // A handler inside the loop may have freed the bar.
    if (!*alive) return;
    // The loop's capture ended the leave notice asked for before: the hint must hear of it.
    TrackLeave();
}

bool TTBCustomToolbar::EnterLoopAt(TTBItemViewer* viewer, bool selectFirst) {
    std::shared_ptr<const bool> alive = view_->AliveToken();
    view_->SetShowAccels(true);
    view_->Select(viewer);
    if (!*alive) return false;  // the selection's handler freed the bar
    view_->EnterToolbarLoop(static_cast<TTBEnterToolbarLoopOptions>(selectFirst ? tbetOpenOnNavigate | tbetSelectFirst : 0));
    if (!*alive) return false;
    TrackLeave();
    return true;
}

LRESULT TTBCustomToolbar::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEMOVE:
        if (!inMouseDown_) HoverAt(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        break;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        if (!inMouseDown_ && !view_->InModalLoop()) {
            view_->UpdateSelection(nullptr, false);
            Hint.clear();
            if (Application) {
                Application->Hints().Leave();
                Application->SetHint({});
            }
        }
        break;
    case WM_CONTEXTMENU:
        if (!GetCapture()) view_->UpdateSelection(nullptr, false);
        break;
    case WM_RBUTTONDOWN:
        if (Application) Application->Hints().Cancel();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (Application) Application->Hints().Cancel();
        POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (!KeepClientPress(p)) break;  // the dockable window's: the grip, a drag
        PressAt(p);
        return 0;
    }
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && view_->Selected()) {
            POINT p;
            GetCursorPos(&p);
            ::ScreenToClient(HandleOrNull(), &p);
            if (HCURSOR cursor = view_->Selected()->GetCursor(p)) {
                ::SetCursor(cursor);
                return TRUE;
            }
        }
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_KEYMENU && menuBar_ && KeyboardOpen(static_cast<char>(lParam))) return 1;
        break;
    case WM_GETOBJECT: {
        LRESULT result = 0;
        if (AnswerAccessibleObject(*view_, HandleOrNull(), wParam, lParam, result)) return result;
        break;
    }
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETNONCLIENTMETRICS) {
            RebuildMenuFont();
            Relayout();
        }
        break;
    }
    return TTBCustomDockableWindow::WndProc(msg, wParam, lParam);
}

// --- keyboard -------------------------------------------------------------------------------

bool TTBCustomToolbar::DialogChar(char ch) {
    if (menuBar_ || !Enabled() || !Showing()) return false;
    bool unique = false;
    TTBItemViewer* match = view_->FindAccelerator(ch, view_->Selected(), true, unique);
    if (!match || !match->Item()->Enabled()) return false;
    ActOnAccelerator(match, unique);
    return true;
}

// An enabled match: a unique plain item is clicked at once, a unique submenu opens with its
// first item selected; a menu bar also selects a match that is not unique and enters its loop.
void TTBCustomToolbar::ActOnAccelerator(TTBItemViewer* match, bool unique) {
    const bool submenu = (match->Item()->ItemStyle() & isfSubmenu) != 0;
    if (unique && !submenu)
        match->Item()->Click();
    else if (unique || menuBar_)
        EnterLoopAt(match, unique);
}

bool TTBCustomToolbar::KeyboardOpen(char key) {
    if (GetCapture() || key == ' ') return false;
    if (key == 0) {
        TTBItemViewer* first = view_->NextSelectable(nullptr, true);
        if (!first) return false;
        EnterLoopAt(first, false);
        return true;
    }
    bool unique = false;
    TTBItemViewer* match = view_->FindAccelerator(key, nullptr, true, unique);
    // Only an enabled item answers the key; a disabled one counts as no match.
    if (!match || !match->Item()->Enabled()) {
        if (key != '-') BeepNoMatch();
        return key != '-';
    }
    ActOnAccelerator(match, unique);
    return true;
}

int TTBCustomToolbar::WalkByKeyboard(bool fromLast, bool leaveAtEnds) {
    TTBItemViewer* start = view_->NextSelectable(nullptr, !fromLast);
    if (!start) return 0;
    view_->SetLeaveAtEnds(leaveAtEnds);
    if (!EnterLoopAt(start, false)) return 0;
    view_->SetLeaveAtEnds(false);
    return view_->WalkedOff();
}

bool TTBCustomToolbar::DispatchShortCut(MSG& msg) {
    bool handled = false;
    if (OnShortCut) OnShortCut(msg, handled);
    if (handled) return true;
    return items_->DispatchShortCut(static_cast<WORD>(msg.wParam), CurrentShiftState());
}

// --- stored layouts -------------------------------------------------------------------------

void TTBCustomToolbar::Loaded() {
    TTBCustomDockableWindow::Loaded();
    AddMissingControlItems();
}

// Controls placed on the toolbar by a layout show through control items of their own.
void TTBCustomToolbar::AddMissingControlItems() {
    for (int i = 0; i < ControlCount(); ++i)
        if (!HasControlItem(Controls(i))) AppendControlItem(Controls(i));
}

bool TTBCustomToolbar::HasControlItem(const TControl* control) const {
    for (int i = 0; i < items_->Count(); ++i)
        if (auto* item = dynamic_cast<TTBControlItem*>(items_->Items(i)); item && item->Control() == control) return true;
    return false;
}

void TTBCustomToolbar::AppendControlItem(TControl* control) {
    auto* item = new TTBControlItem(Owner());  // owned by the toolbar's owner, freed by Items too
    item->SetControlNotOwned(true);
    item->SetControl(control);
    items_->Add(item);
}

void TTBCustomToolbar::ControlInserted(TControl* control) {
    TTBCustomDockableWindow::ControlInserted(control);
    // A layout being loaded or a held update completes the items when it ends.
    if (destroying_ || !items_ || Loading() || Updating()) return;
    if (!HasControlItem(control)) AppendControlItem(control);
}

void TTBCustomToolbar::UpdatesReleased() {
    TTBCustomDockableWindow::UpdatesReleased();
    if (!destroying_ && items_ && !Loading()) AddMissingControlItems();
}

void TTBCustomToolbar::ControlRemoved(TControl* control) {
    TTBCustomDockableWindow::ControlRemoved(control);
    if (destroying_ || !items_) return;
    for (int i = items_->Count() - 1; i >= 0; --i) {
        auto* item = dynamic_cast<TTBControlItem*>(items_->Items(i));
        if (!item || item->Control() != control) continue;
        // The control lives on (or is on its way out by itself): the item must not free it.
        item->SetControlReachable(true);
        item->SetControlNotOwned(true);
        delete item;
    }
}

void TTBCustomToolbar::GetChildren(const std::function<void(TComponent* child)>& proc) const {
    items_->GetChildren(proc);
    for (int i = 0; i < ControlCount(); ++i) proc(Controls(i));
}

void TTBCustomToolbar::SetChildOrder(TComponent* child, int order) {
    if (auto* item = dynamic_cast<TTBCustomItem*>(child)) items_->SetChildOrder(item, order);
}
