// The modal tracking loop: runs while a button is held, a menu is open or a popup menu is
// shown, routes mouse and keyboard input to the chain of open views and ends with a result.
#include <windows.h>
#include <imm.h>

#include <climits>

#include "toolbar/base/common.h"
#include "toolbar/views/accessible.h"
#include "toolbar/views/view.h"
#include "widgets/hint_control.h"

struct TTBView::TLoopState {
    TTBTrackResult result;
    bool done = false;
    bool trackRightButton = false;
    HWND captureWindow = nullptr;
    POINT lastMove{INT_MIN, INT_MIN};
};

namespace {

POINT ClientPoint(HWND window, POINT screen) {
    ScreenToClient(window, &screen);
    return screen;
}

bool MouseButtonHeld() {
    return GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0;
}

bool IsPress(UINT msg, bool trackRight) {
    return msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_NCLBUTTONDOWN ||
           msg == WM_NCLBUTTONDBLCLK ||
           (trackRight && (msg == WM_RBUTTONDOWN || msg == WM_NCRBUTTONDOWN));
}

HWND ViewWindow(TTBView* view) {
    TWinControl* window = view->Window();
    return window && window->HandleAllocated() ? window->HandleOrNull() : nullptr;
}

// Compares one typed character with a caption's character, ignoring case for single bytes.
bool SameLetter(char a, char b) {
    auto upper = [](char c) {
        return static_cast<char>(reinterpret_cast<UINT_PTR>(CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<unsigned char>(c))))));
    };
    return upper(a) == upper(b);
}

// A press or a key puts the tooltip away until the pointer moves on to another item.
void CancelHint() {
    if (Application) Application->Hints().Cancel();
}

}  // namespace

// --- the chain of views ----------------------------------------------------------------------

TTBView* TTBView::LoopView() {
    for (TTBView* v = this; v; v = v->parentView_)
        if (v->loop_) return v;
    return nullptr;
}

TTBView* TTBView::RootView() {
    for (TTBView* v = this; v; v = v->parentView_)
        if (v->isToolbar_) return v;
    return nullptr;
}

TTBView* TTBView::DeepestOpenView() {
    TTBView* v = this;
    while (v->OpenView()) v = v->OpenView();
    return v;
}

TTBView* TTBView::ViewAtScreenPoint(POINT screen) {
    HWND target = WindowFromPoint(screen);
    for (TTBView* v = this; v; v = v->OpenView())
        if (ViewWindow(v) == target) return v;
    return nullptr;
}


void TTBView::EndModal() { EndModalWith(TTBTrackResult{}); }

// Ends the running loop with `result`; the last word counts.
void TTBView::EndModalWith(const TTBTrackResult& result) {
    TTBView* loopView = LoopView();
    if (!loopView) return;
    if (result.Kind != trNone) loopView->loop_->result = result;
    loopView->loop_->done = true;
}

void TTBView::EndModalWithClick(TTBItemViewer* viewer) {
    if (!LoopView()) return;
    TTBView* owner = viewer->View();
    owner->MoveToFrontOfPriorityList(viewer);
    TTBTrackResult result;
    result.Kind = trClickItem;
    result.ClickItem = viewer->Item();
    result.Sound = owner->IsPopup();
    EndModalWith(result);
}

void TTBView::EndModalWithSystemMenu(HWND window, WORD key) {
    TTBTrackResult result;
    result.Kind = trSystemMenu;
    result.Window = window;
    result.Key = key;
    EndModalWith(result);
}

void TTBView::EndModalWithHelp(int helpContext) {
    TTBTrackResult result;
    result.Kind = trHelpContext;
    result.HelpContext = helpContext;
    EndModalWith(result);
}

void TTBView::CancelCapture() {
    if (!capture_) return;
    capture_ = false;
    if (selected_) selected_->LosingCapture();
}

// --- popups ----------------------------------------------------------------------------------

bool TTBView::OpenChildPopup(bool selectFirst) {
    StopTimer(vtOpen);
    StopTimer(vtClose);
    // Moving from one open menu to the next shows the next at once, without its animation.
    childClosedByDestruction_ = openPopup_ && selected_ != openViewer_;
    if (selected_ != openViewer_) CloseChildPopups();
    if (!selected_ || openPopup_) return true;
    TTBCustomItem* item = selected_->Item();
    if (!item->Enabled() || !(item->ItemStyle() & isfSubmenu) || !PopupFactory()) return true;
    std::shared_ptr<const bool> alive = alive_;
    std::unique_ptr<TTBPopupHost> popup = PopupFactory()(item, this, selected_, selectFirst);
    if (!*alive) return false;
    // The popup's events may have replaced the item's viewer (or freed the item with it).
    TTBItemViewer* opener = popup ? Find(item) : nullptr;
    if (!opener) return true;
    openViewer_ = opener;
    openPopup_ = std::move(popup);
    Invalidate(opener);
    if (HWND hwnd = ViewWindow(this)) UpdateWindow(hwnd);
    return true;
}

void TTBView::CloseChildPopups() {
    if (!openPopup_) return;
    if (TTBView* open = openPopup_->View()) open->CloseChildPopups();
    // Forgotten before it is freed: its view's teardown must not find itself still open here.
    std::unique_ptr<TTBPopupHost> popup = std::move(openPopup_);
    TTBItemViewer* opener = openViewer_;
    openViewer_ = nullptr;
    popup.reset();
    StopTimer(vtClose);
    Invalidate(opener);
}

// Frees this view: nothing of it may be touched afterwards.
void TTBView::CloseAndReturnToParent() {
    TTBView* parent = parentView_;
    if (!parent) return;
    if (TTBView* root = RootView()) root->openOnNavigate_ = false;
    parent->CloseChildPopups();
}

// --- mouse on viewers --------------------------------------------------------------------------

void TTBView::ViewerMouseDown(TTBItemViewer* viewer, int x, int y, bool doubleClick) {
    TTBCustomItem* item = viewer->Item();
    TTBView* root = RootView();
    if (!item->Enabled()) {
        if (viewer->IsToolbarStyle() && this == LoopView() && isToolbar_) EndModal();
        return;
    }
    if (viewer->IsPtInButtonPart(x, y)) {
        if (!viewer->IsToolbarStyle()) return;
        capture_ = true;
        CloseChildPopups();
        Invalidate(viewer);
        if (this == root) openOnNavigate_ = false;
        return;
    }
    const bool runsDefault = doubleClick && !(item->ItemStyle() & isfCombo);
    if (viewer == openViewer_ && openPopup_) {
        // A second press on the item whose popup is open closes it again, except the press that
        // completes a double-click: its first press opened the popup, and it runs the default item.
        if (!runsDefault) {
            CloseChildPopups();
            if (root) root->openOnNavigate_ = false;
            return;
        }
    } else {
        if (!OpenChildPopup(false) || !openPopup_) return;
        if (root) root->openOnNavigate_ = true;
    }
    if (runsDefault) {
        TTBView* popup = OpenView();
        for (int i = 0; popup && i < popup->ViewerCount(); ++i) {
            TTBItemViewer* child = popup->Viewers(i);
            TTBCustomItem* childItem = child->Item();
            if (child->Show && childItem->Enabled() && childItem->Visible() && (childItem->ItemStyle() & isfSelectable) &&
                childItem->EffectiveOptions().contains(tboDefault)) {
                if (popup->Select(child)) popup->EndModalWithClick(child);
                return;
            }
        }
    }
}

void TTBView::ViewerMouseUp(TTBItemViewer* viewer, int x, int y) {
    TTBCustomItem* item = viewer->Item();
    const bool overSelected = viewer == selected_ && mouseInsideSelected_;
    const bool clickable = overSelected && item->Enabled() && !(item->ItemStyle() & isfClicksTransparent) &&
                           (!(item->ItemStyle() & isfSubmenu) || viewer->IsPtInButtonPart(x, y));
    if (clickable && (!viewer->IsToolbarStyle() || capture_)) {
        EndModalWithClick(viewer);
        return;
    }
    // The release that ends the press opening a menu keeps the menu open.
    if (viewer == openViewer_ && openPopup_) return;
    if (this == LoopView()) EndModal();
}

// --- the loop --------------------------------------------------------------------------------

TTBTrackResult TTBView::EnterToolbarLoop(TTBEnterToolbarLoopOptions options) {
    if (IsPopup() || inModalLoop_ || !window_) return {};
    TLoopState state;
    walkedOff_ = 0;
    // The tidy-up and the repaint run handlers, which may free the item clicked.
    TTBItemWatch clicked(state.result.ClickItem);
    if (options & tbetOpenOnNavigate) openOnNavigate_ = true;
    if (!RunLoopThenTidy(state, options)) return state.result;
    // The bar shows itself released before the command runs.
    if (HWND hwnd = ViewWindow(this)) UpdateWindow(hwnd);
    RunTrackResult(state.result);
    return state.result;
}

TTBTrackResult TTBView::EnterPopupLoop(bool trackRightButton) {
    if (inModalLoop_ || !window_) return {};
    TLoopState state;
    TTBItemWatch clicked(state.result.ClickItem);
    state.trackRightButton = trackRightButton;
    RunLoopThenTidy(state, 0);
    return state.result;
}

// However the loop ends (a result, a lost capture, an error), the view is left with its popups
// closed and nothing selected; a bar also drops its underlines and opening mode. False when the
// view was freed meanwhile: then nothing of it is touched.
bool TTBView::RunLoopThenTidy(TLoopState& state, TTBEnterToolbarLoopOptions options) {
    std::shared_ptr<const bool> alive = alive_;
    struct Tidy {
        TTBView* view;
        std::shared_ptr<const bool> alive;
        ~Tidy() {
            if (!*alive) return;
            SilentCall([&] { view->CloseChildPopups(); });
            if (view->isToolbar_) {
                POINT cursor;
                GetCursorPos(&cursor);
                SilentCall([&] { view->UpdateSelection(&cursor, false); });
                SilentCall([&] { view->SetShowAccels(false); });
                view->openOnNavigate_ = false;
            }
            SilentCall([&] { view->Select(nullptr); });
        }
    } tidy{this, alive};
    RunLoop(state, options);
    return *alive;
}

void TTBView::RunLoop(TLoopState& state, TTBEnterToolbarLoopOptions options) {
    ValidatePositions();
    HWND hwnd = window_->Handle();
    state.captureWindow = hwnd;
    inModalLoop_ = true;
    loop_ = &state;
    // For clients that follow menus, a press on a plain button is no menu.
    const bool menuLike = !(options & tbetMouseDown) || !isToolbar_ || WindowIsMenuBar();
    if (menuLike) NotifyAccessibleEvent(*this, EVENT_SYSTEM_MENUSTART, nullptr);
    // Whatever ends the loop, it leaves no press, flag or capture behind.
    struct Leave {
        TTBView* view;
        HWND hwnd;
        std::shared_ptr<const bool> alive;
        bool menuLike;
        ~Leave() {
            // The pointer stays over the button just used: its hint does not come back there.
            CancelHint();
            if (Application) Application->SetHint({});
            if (*alive) {
                SilentCall([&] { view->CancelCapture(); });
                view->inModalLoop_ = false;
                view->loop_ = nullptr;
                if (menuLike) NotifyAccessibleEvent(*view, EVENT_SYSTEM_MENUEND, nullptr);
            }
            if (GetCapture() == hwnd) ReleaseCapture();
        }
    } leave{this, hwnd, alive_, menuLike};
    std::shared_ptr<const bool> alive = alive_;
    SetCapture(hwnd);

    if ((options & tbetMouseDown) && selected_) {
        DWORD pos = GetMessagePos();
        POINT p = ClientPoint(hwnd, POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))});
        selected_->MouseDown(CurrentShiftState(), p.x - selected_->BoundsRect.left, p.y - selected_->BoundsRect.top, false);
        if (!*alive || state.done) return;
    }
    // Entered by the keyboard, the selection made before the loop is where the focus now is.
    if (selected_ && !(options & tbetMouseDown)) NotifyAccessibleEvent(*this, EVENT_OBJECT_FOCUS, selected_);
    if (openOnNavigate_ && !(options & tbetMouseDown) && !OpenChildPopup((options & tbetSelectFirst) != 0)) return;
    SetStatusHintFromSelection();

    while (!state.done && GetCapture() == hwnd) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            // Sent messages (a capture change) wake the wait as well as queued ones.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 250, QS_ALLINPUT);
            continue;
        }
        if (msg.message == WM_QUIT) break;
        if (IsPress(msg.message, state.trackRightButton) && PressEndsLoop(msg)) break;
        if (!PeekMessageA(&msg, msg.hwnd, msg.message, msg.message, PM_REMOVE)) continue;
        HandleLoopMessage(state, msg);
        // A handler it dispatched may have freed the bar and this view with it.
        if (!*alive) return;
        SetStatusHintFromSelection();
    }
}

// A press outside the chain of views ends the loop and stays queued for its target.
bool TTBView::PressEndsLoop(const MSG& msg) {
    HWND target = WindowFromPoint(msg.pt);
    TTBView* view = ViewAtScreenPoint(msg.pt);
    if (!view) return true;
    HWND hwnd = ViewWindow(this);
    if (view == this && target == hwnd) {
        RECT client;
        GetClientRect(hwnd, &client);
        POINT p = ClientPoint(hwnd, msg.pt);
        if (!PtInRect(&client, p)) return true;
        if (isToolbar_ && (msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK)) {
            TTBItemViewer* under = ViewerFromPoint(p);
            if (!selected_ || under != selected_ || (selected_->Item()->ItemStyle() & isfClicksTransparent)) return true;
        }
    }
    return false;
}

bool TTBView::HandleLoopMessage(TLoopState& state, MSG& msg) {
    switch (msg.message) {
    case WM_CONTEXTMENU:
    case 0x0118:  // WM_SYSTIMER: the caret's blink
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        CancelHint();
        LoopKeyDown(msg);
        return true;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        CancelHint();
        return true;
    case WM_CHAR:
    case WM_SYSCHAR:
        CancelHint();
        if (!MouseButtonHeld()) DeepestOpenView()->LoopChar(static_cast<char>(msg.wParam));
        return true;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
        if (msg.pt.x != state.lastMove.x || msg.pt.y != state.lastMove.y) {
            state.lastMove = msg.pt;
            LoopMouseMove(msg.pt);
        }
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        LoopMouseDown(msg, msg.message == WM_LBUTTONDBLCLK || msg.message == WM_NCLBUTTONDBLCLK);
        return true;
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
        if (state.trackRightButton) LoopMouseDown(msg, false);
        return true;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
        LoopMouseUp(msg.pt);
        return true;
    case WM_RBUTTONUP:
    case WM_NCRBUTTONUP:
        if (state.trackRightButton) LoopMouseUp(msg.pt);
        return true;
    case WM_MOUSEWHEEL:
        LoopMouseWheel(msg);
        return true;
    default:
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        return true;
    }
}

// False when a selection handler freed this view. A handler may also close the menus below:
// the walk stops at a view that went.
bool TTBView::UpdateChainSelection(POINT screen) {
    std::shared_ptr<const bool> self = alive_;
    for (TTBView* v = this; v; v = v->OpenView()) {
        std::shared_ptr<const bool> alive = v->alive_;
        TTBItemViewer* before = v->selected_;
        v->UpdateSelection(&screen, true);
        if (!*alive) break;
        TTBItemViewer* now = v->selected_;
        if (now == before) continue;
        const bool submenu = now && (now->Item()->ItemStyle() & isfSubmenu) && now->Item()->Enabled();
        if (v->isToolbar_) {
            // Once a menu of the bar is open, the others open as the mouse reaches them.
            if (v->openOnNavigate_ && now) {
                if (submenu)
                    v->OpenChildPopup(false);
                else
                    v->CloseChildPopups();
            }
        } else if (now) {
            if (submenu && now != v->openViewer_) v->StartTimer(vtOpen, MenuDelaySeam()());
            if (v->openViewer_ && now != v->openViewer_) v->StartTimer(vtClose, MenuDelaySeam()());
            if (now == v->openViewer_) {
                v->StopTimer(vtClose);
                v->StopTimer(vtOpen);  // started for an item passed on the way back
            }
        }
        if (!*alive || v->OpenView() == nullptr) break;
    }
    return *self;
}

// The view of the chain and its viewer under a screen point, with the point in the viewer's
// own coordinates.
TTBView::THit TTBView::HitAt(POINT screen) {
    THit hit;
    hit.view = ViewAtScreenPoint(screen);
    if (!hit.view) return hit;
    POINT p = ClientPoint(ViewWindow(hit.view), screen);
    hit.viewer = hit.view->ViewerFromPoint(p);
    if (hit.viewer) hit.at = POINT{p.x - hit.viewer->BoundsRect.left, p.y - hit.viewer->BoundsRect.top};
    hit.client = p;
    return hit;
}

// The hint follows the selection under the pointer; elsewhere there is none.
void TTBView::ShowLoopHint(const THit& hit, POINT screen) {
    if (!Application) return;
    THintController& hints = Application->Hints();
    if (hit.view && hit.viewer && hit.viewer == hit.view->selected_)
        hints.MouseMoved(hit.view->Window(), screen);
    else
        hints.Leave();
}

// The status line tells about the deepest selection of the chain.
void TTBView::SetStatusHintFromSelection() {
    if (!Application) return;
    TTBItemViewer* deepest = nullptr;
    for (TTBView* v = this; v; v = v->OpenView())
        if (v->selected_) deepest = v->selected_;
    Application->SetHint(deepest ? deepest->LongHintText() : std::string());
}

void TTBView::LoopMouseMove(POINT screen) {
    if (!UpdateChainSelection(screen)) return;
    THit hit = HitAt(screen);
    ShowLoopHint(hit, screen);
    HCURSOR cursor = hit.viewer ? hit.viewer->GetCursor(hit.client) : nullptr;
    SetCursor(cursor ? cursor : LoadCursor(nullptr, IDC_ARROW));
    if (hit.viewer) hit.viewer->MouseMove(hit.at.x, hit.at.y);
}

void TTBView::LoopMouseDown(const MSG& msg, bool doubleClick) {
    CancelHint();
    if (!UpdateChainSelection(msg.pt)) return;
    THit hit = HitAt(msg.pt);
    if (hit.viewer) hit.viewer->MouseDown(CurrentShiftState(), hit.at.x, hit.at.y, doubleClick);
}

void TTBView::LoopMouseUp(POINT screen) {
    if (!UpdateChainSelection(screen)) return;
    THit hit = HitAt(screen);
    if (hit.viewer) {
        hit.viewer->MouseUp(hit.at.x, hit.at.y);
        return;
    }
    if ((hit.view && hit.view != this) || ignoreNextUp_) {
        ignoreNextUp_ = false;
        return;
    }
    EndModal();
}

void TTBView::LoopMouseWheel(const MSG& msg) {
    THit hit = HitAt(msg.pt);
    if (hit.viewer) hit.viewer->MouseWheel(GET_WHEEL_DELTA_WPARAM(msg.wParam), hit.at.x, hit.at.y);
}

void TTBView::LoopKeyDown(MSG& msg) {
    WORD key = static_cast<WORD>(msg.wParam);
    if (MouseButtonHeld() && key != VK_F1) return;
    if (key == VK_PROCESSKEY) key = static_cast<WORD>(ImmGetVirtualKey(msg.hwnd));
    TShiftState shift = CurrentShiftState();
    TTBView* deepest = DeepestOpenView();
    bool handled = deepest->selected_ && deepest->selected_->KeyDown(key, shift);
    if (!handled) handled = deepest->KeyDown(key, shift);
    if (!handled) TranslateMessage(&msg);
}

// --- keyboard --------------------------------------------------------------------------------

void TTBView::SelectBarNeighbour(bool forward) {
    TTBItemViewer* next = NextSelectable(selected_, forward);
    if (!next) return;
    const bool wraps = selected_ && (forward ? IndexOf(next) <= IndexOf(selected_) : IndexOf(next) >= IndexOf(selected_));
    if (wraps && leaveAtEnds_ && LoopView() == this) {
        walkedOff_ = forward ? 1 : -1;
        EndModal();
        return;
    }
    if (!Select(next)) return;
    if (openOnNavigate_ && !(next->Item()->ItemStyle() & isfNoAutoOpen))
        OpenChildPopup(true);
    else
        CloseChildPopups();
}

bool TTBView::KeyDown(WORD key, TShiftState shift) {
    TTBView* root = RootView();
    const bool horizontalBar = root && root->orientation_ != voVertical;
    auto selectAndShow = [this](TTBItemViewer* v) {
        if (v && Select(v)) ScrollSelectedIntoView();
    };
    auto openSubmenu = [this, root] {
        if (!selected_ || !OpenChildPopup(true)) return;
        if (root && openPopup_) root->openOnNavigate_ = true;
    };
    switch (key) {
    case VK_TAB:
        selectAndShow(NextSelectable(selected_, !(shift & ssShift)));
        return true;
    case VK_RETURN:
        if (selected_ && selected_->Item()->Enabled())
            ExecuteSelected(true);
        else
            EndModal();
        return true;
    case VK_MENU:
    case VK_F10:
        EndModal();
        return true;
    case VK_ESCAPE:
        if (this == LoopView())
            EndModal();
        else
            CloseAndReturnToParent();
        return true;
    case VK_HOME:
    case VK_END:
        selectAndShow(NextSelectable(nullptr, key == VK_HOME));
        return true;
    case VK_LEFT:
    case VK_RIGHT:
        if (isToolbar_) {
            if (orientation_ != voVertical)
                SelectBarNeighbour(key == VK_RIGHT);
            else
                openSubmenu();
        } else if (key == VK_RIGHT) {
            if (selected_ && (selected_->Item()->ItemStyle() & isfSubmenu) && selected_->Item()->Enabled())
                openSubmenu();
            else if (horizontalBar)
                root->SelectBarNeighbour(true);
        } else if (horizontalBar && parentView_ == root) {
            root->SelectBarNeighbour(false);
        } else if (this != LoopView()) {
            CloseAndReturnToParent();
        }
        return true;
    case VK_UP:
    case VK_DOWN:
        if (IsPopup() || orientation_ == voVertical)
            selectAndShow(NextSelectable(selected_, key == VK_DOWN));
        else
            openSubmenu();
        return true;
    case VK_F1:
        for (TTBView* v = this; v; v = v->parentView_) {
            if (!v->selected_) continue;
            if (int context = v->selected_->Item()->HelpContext()) EndModalWithHelp(context);
            break;
        }
        return true;
    default:
        return false;
    }
}

void TTBView::ExecuteSelected(bool allowSelectFirst) {
    TTBItemViewer* viewer = selected_;
    if (!viewer) return;
    TTBCustomItem* item = viewer->Item();
    TTBItemStyle style = item->ItemStyle();
    if (!(style & isfCombo) && (style & isfSubmenu)) {
        if (!OpenChildPopup(allowSelectFirst)) return;
        if (openPopup_) {
            if (TTBView* root = RootView()) root->openOnNavigate_ = true;
            return;
        }
    }
    if (!(style & isfSelectable)) {
        EndModal();
        return;
    }
    EndModalWithClick(viewer);
    // A click on the bar itself makes no menu sound.
    if (TTBView* loopView = LoopView(); loopView == this && isToolbar_) loopView->loop_->result.Sound = false;
}

// The accelerator search: captures marked with "&" first, then first letters; enabled items
// before disabled ones; from after the selection, wrapping.
TTBItemViewer* TTBView::FindAccelerator(char ch, TTBItemViewer* start, bool acceleratorsOnly, bool& unique) const {
    auto matches = [ch](const TTBItemViewer* v, bool byAccel) {
        std::string caption = v->GetCaptionText();
        char accel = FindAccelChar(caption);
        if (byAccel) return accel != 0 && SameLetter(accel, ch);
        return accel == 0 && ch != ' ' && !caption.empty() && !IsDBCSLeadByte(static_cast<BYTE>(caption[0])) &&
               SameLetter(caption[0], ch);
    };
    auto search = [&](TTBItemViewer* from, bool byAccel, bool enabled) -> TTBItemViewer* {
        const int count = ViewerCount();
        int index = from ? IndexOf(from) : -1;
        for (int step = 1; step <= count; ++step) {
            TTBItemViewer* v = viewers_[((index + step) % count + count) % count].get();
            if (IsSelectable(v) && v->Item()->Enabled() == enabled && matches(v, byAccel))
                return v;
        }
        return nullptr;
    };
    unique = false;
    if (viewers_.empty()) return nullptr;
    for (bool byAccel : {true, false}) {
        if (!byAccel && acceleratorsOnly) break;
        for (bool enabled : {true, false})
            if (TTBItemViewer* found = search(start, byAccel, enabled)) {
                unique = !enabled || search(found, byAccel, enabled) == found;
                return found;
            }
    }
    return nullptr;
}

void TTBView::LoopChar(char ch) {
    bool unique = false;
    if (TTBItemViewer* match = FindAccelerator(ch, selected_, false, unique)) {
        if (!Select(match)) return;  // never presses what a handler put in its place
        ScrollSelectedIntoView();
        if (unique) KeyDown(VK_RETURN, 0);
        return;
    }
    TTBView* loopView = LoopView();
    HWND active = GetActiveWindow();
    if ((ch == ' ' || ch == '-') && loopView == this && isToolbar_ && active) {
        EndModalWithSystemMenu(active, static_cast<WORD>(static_cast<unsigned char>(ch)));
        return;
    }
    BeepNoMatch();
}
