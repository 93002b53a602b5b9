#include "toolbar/views/accessible.h"

#include <oleacc.h>

#include <algorithm>
#include <memory>

#include "toolbar/base/common.h"
#include "toolbar/views/view.h"
#include "widgets/deferred_call.h"
#include "widgets/hint_text.h"

namespace {

const char kPress[] = "押す";
const char kOpen[] = "開く";

bool IsChevron(const TTBItemViewer& viewer) { return viewer.Item() == viewer.View()->GetChevronItem(); }

bool InLoop(const TTBView& view) { return const_cast<TTBView&>(view).LoopView() != nullptr; }

// A bar's accelerator is typed with Alt; an open menu takes the letter alone.
std::string AcceleratorText(const TTBItemViewer& viewer) {
    char accel = FindAccelChar(viewer.GetCaptionText());
    if (!accel) return {};
    std::string key(1, static_cast<char>(reinterpret_cast<UINT_PTR>(
                           CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<unsigned char>(accel)))))));
    return viewer.View()->IsPopup() ? key : "Alt+" + key;
}

LONG RoleOf(const TTBItemViewer& viewer) {
    const TTBCustomItem* item = viewer.Item();
    const TTBItemStyle style = item->ItemStyle();
    if (viewer.IsSeparator()) return ROLE_SYSTEM_SEPARATOR;
    if (IsChevron(viewer)) return ROLE_SYSTEM_BUTTONDROPDOWN;
    if (viewer.View()->IsPopup() || viewer.View()->WindowIsMenuBar()) return ROLE_SYSTEM_MENUITEM;
    if ((style & isfSubmenu) && (style & isfCombo)) return ROLE_SYSTEM_SPLITBUTTON;
    if (style & isfSubmenu) return ROLE_SYSTEM_BUTTONDROPDOWN;
    // Only an item that checks itself is known to be one; an item checked by its handler (the
    // main window's two modes) stays a button whose state says checked, as a role that changed
    // with the state would leave a client's cached role wrong.
    if (item->AutoCheck() || item->GroupIndex() != 0) return ROLE_SYSTEM_CHECKBUTTON;
    return ROLE_SYSTEM_PUSHBUTTON;
}

HWND WindowOf(const TTBView& view) {
    TWinControl* window = view.Window();
    return window && window->HandleAllocated() ? window->HandleOrNull() : nullptr;
}

// What every item of a view shares: a hidden window's are invisible; those of a window the
// user cannot act on (the form behind a modal dialog, say) are unavailable. A menu follows the
// bar it was opened from; one opened by itself is owned by the main form only to stay above it.
LONG HostStateOf(const TTBView& view) {
    const TTBView* top = &view;
    while (top->ParentView()) top = top->ParentView();
    HWND own = WindowOf(view), bar = WindowOf(*top);
    LONG state = 0;
    if (!own || !IsWindowVisible(own)) state |= STATE_SYSTEM_INVISIBLE;
    if (!bar || !(top->IsToolbar() ? WindowEnabledForInput(bar) : IsWindowEnabled(bar) != FALSE))
        state |= STATE_SYSTEM_UNAVAILABLE;
    return state;
}

LONG StateOf(const TTBItemViewer& viewer) {
    const TTBView& view = *viewer.View();
    const TTBCustomItem* item = viewer.Item();
    const LONG host = HostStateOf(view);
    LONG state = host;
    if (viewer.IsSeparator()) return viewer.Show ? host : host | STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    if (!item->Enabled()) state |= STATE_SYSTEM_UNAVAILABLE;
    if (item->Checked()) state |= STATE_SYSTEM_CHECKED;
    if (TTBView::IsSelectable(&viewer) && !host) state |= STATE_SYSTEM_FOCUSABLE;
    if (item->ItemStyle() & isfSubmenu) state |= STATE_SYSTEM_HASPOPUP;
    if (view.Selected() == &viewer) {
        // As painted: pressed while its popup is open or the mouse holds it down.
        if (view.OpenViewer() == &viewer || (view.MouseInsideSelected() && view.Capture())) state |= STATE_SYSTEM_PRESSED;
        if (view.MouseInsideSelected()) state |= STATE_SYSTEM_HOTTRACKED;
        if (InLoop(view)) state |= STATE_SYSTEM_FOCUSED;
    }
    if (!viewer.Show) state |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    return state;
}

std::string NameOf(const TTBItemViewer& viewer) {
    std::string caption = StripAccelChars(viewer.GetCaptionText()).Text;
    if (caption.empty() || !viewer.CaptionShown()) {
        std::string hint = GetShortHint(viewer.Item()->Hint());
        if (!hint.empty()) return hint;
    }
    return caption;
}

BSTR ToBSTR(const std::string& text) {
    if (text.empty()) return nullptr;
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return SysAllocString(wide.c_str());
}

// A text property: S_FALSE with no string when the text is empty.
HRESULT ReturnText(const std::string& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = ToBSTR(text);
    return *out ? S_OK : S_FALSE;
}

void SetChild(VARIANT* out, LONG id) {
    out->vt = VT_I4;
    out->lVal = id;
}

void SetEmpty(VARIANT* out) { out->vt = VT_EMPTY; }

RECT ScreenRectOf(const TTBItemViewer& viewer, HWND window) {
    RECT r = viewer.BoundsRect;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The accessible object of one view. Clients may keep it after the view is gone (a popup
// closes): every call first asks whether the view still lives.
class TViewAccessible final : public IAccessible {
public:
    TViewAccessible(TTBView& view, HWND window) : view_(&view), alive_(view.AliveToken()), window_(window) {
        CreateStdAccessibleObject(window, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&standard_));
    }
    ~TViewAccessible() {
        if (standard_) standard_->Release();
    }
    TViewAccessible(const TViewAccessible&) = delete;
    TViewAccessible& operator=(const TViewAccessible&) = delete;

    // --- IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

    // --- IDispatch: clients of IAccessible call its methods directly
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // --- IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!Alive()) return RPC_E_DISCONNECTED;
        return standard_ ? standard_->get_accParent(parent) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        if (!Alive()) return RPC_E_DISCONNECTED;
        *count = static_cast<long>(AccessibleChildren(*view_).size());
        return S_OK;
    }
    // The children are simple elements, answered by this object.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        TTBItemViewer* viewer = nullptr;
        HRESULT hr = Resolve(child, viewer);
        if (hr != S_OK) return hr;
        return viewer ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return WithChild(child, [&](TTBItemViewer* viewer) {
            return ReturnText(viewer ? NameOf(*viewer) : AccessibleViewName(*view_), name);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override {
        if (value) *value = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return WithChild(child, [&](TTBItemViewer* viewer) {
            return ReturnText(viewer ? DescribeAccessibleChild(*viewer).Description : std::string(), description);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        return WithChild(child, [&](TTBItemViewer* viewer) {
            SetChild(role, viewer ? RoleOf(*viewer) : AccessibleViewRole(*view_));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        return WithChild(child, [&](TTBItemViewer* viewer) {
            if (viewer) {
                SetChild(state, StateOf(*viewer));
                return S_OK;
            }
            // The window's own state, with what it inherits from the windows around it.
            HRESULT hr = standard_ ? standard_->get_accState(child, state) : S_OK;
            if (hr != S_OK) return hr;
            SetChild(state, (standard_ && state->vt == VT_I4 ? state->lVal : 0) | HostStateOf(*view_));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
        if (help) *help = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return WithChild(child, [&](TTBItemViewer* viewer) {
            return ReturnText(viewer ? DescribeAccessibleChild(*viewer).KeyboardShortcut : std::string(), shortcut);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        SetEmpty(focus);
        if (!Alive()) return RPC_E_DISCONNECTED;
        LONG id = InLoop(*view_) ? AccessibleChildId(*view_, view_->Selected()) : 0;
        if (id == 0) return S_FALSE;
        SetChild(focus, id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        SetEmpty(selection);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return WithChild(child, [&](TTBItemViewer* viewer) {
            return ReturnText(viewer ? DescribeAccessibleChild(*viewer).DefaultAction : std::string(), action);
        });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override {
        if (!x || !y || !width || !height) return E_POINTER;
        return WithChild(child, [&](TTBItemViewer* viewer) {
            if (!viewer) return standard_ ? standard_->accLocation(x, y, width, height, child) : S_FALSE;
            RECT r = ScreenRectOf(*viewer, window_);
            *x = r.left;
            *y = r.top;
            *width = r.right - r.left;
            *height = r.bottom - r.top;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        SetEmpty(end);
        return WithChild(start, [&](TTBItemViewer* viewer) { return Navigate(direction, viewer, start, end); });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_POINTER;
        SetEmpty(out);
        if (!Alive()) return RPC_E_DISCONNECTED;
        POINT p{x, y};
        RECT client;
        GetClientRect(window_, &client);
        ScreenToClient(window_, &p);
        if (!PtInRect(&client, p)) return S_FALSE;
        SetChild(out, AccessibleChildId(*view_, view_->ViewerFromPoint(p)));
        return S_OK;
    }
    // Clicks as the mouse does, but never inside the caller's call: the click goes through
    // the deferred click, an opening submenu through a deferred call. What the user could not
    // click (a disabled item, a hidden bar, a form behind a modal dialog) is refused.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return WithChild(child, [&](TTBItemViewer* viewer) -> HRESULT {
            if (!viewer || viewer->IsSeparator()) return DISP_E_MEMBERNOTFOUND;
            if (!viewer->Item()->Enabled() || HostStateOf(*view_)) return E_FAIL;
            DoDefaultAction(*view_, *viewer);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }

private:
    bool Alive() const { return *alive_ && IsWindow(window_); }

    // The viewer a child id names; null for the view itself.
    HRESULT Resolve(const VARIANT& child, TTBItemViewer*& viewer) const {
        viewer = nullptr;
        if (!Alive()) return RPC_E_DISCONNECTED;
        if (child.vt != VT_I4) return E_INVALIDARG;
        if (child.lVal == CHILDID_SELF) return S_OK;
        std::vector<TTBItemViewer*> children = AccessibleChildren(*view_);
        if (child.lVal < 1 || child.lVal > static_cast<LONG>(children.size())) return E_INVALIDARG;
        viewer = children[child.lVal - 1];
        return S_OK;
    }

    template <class F>
    HRESULT WithChild(const VARIANT& child, F&& answer) {
        TTBItemViewer* viewer = nullptr;
        HRESULT hr = Resolve(child, viewer);
        if (hr != S_OK) return hr;
        try {
            return answer(viewer);
        } catch (...) {
            return E_FAIL;
        }
    }

    HRESULT Navigate(long direction, TTBItemViewer* from, const VARIANT& start, VARIANT* end) {
        const std::vector<TTBItemViewer*> children = AccessibleChildren(*view_);
        const LONG count = static_cast<LONG>(children.size());
        if (!from) {
            if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
                if (count == 0) return S_FALSE;
                SetChild(end, direction == NAVDIR_FIRSTCHILD ? 1 : count);
                return S_OK;
            }
            // Siblings of the bar itself are the window's business.
            return standard_ ? standard_->accNavigate(direction, start, end) : S_FALSE;
        }
        const bool column = view_->IsPopup() || view_->Orientation() == voVertical;
        const long next = column ? NAVDIR_DOWN : NAVDIR_RIGHT, previous = column ? NAVDIR_UP : NAVDIR_LEFT;
        LONG id = start.lVal;
        if (direction == NAVDIR_NEXT || direction == next) ++id;
        else if (direction == NAVDIR_PREVIOUS || direction == previous) --id;
        else return S_FALSE;
        if (id < 1 || id > count) return S_FALSE;
        SetChild(end, id);
        return S_OK;
    }

    static void DoDefaultAction(TTBView& view, TTBItemViewer& viewer) {
        TTBCustomItem* item = viewer.Item();
        const TTBItemStyle style = item->ItemStyle();
        const bool opens = (style & isfSubmenu) && !(style & isfCombo);
        if (!opens && !InLoop(view)) {
            view.MoveToFrontOfPriorityList(&viewer);
            TTBTrackResult click;
            click.Kind = trClickItem;
            click.ClickItem = item;
            RunTrackResult(click);
            return;
        }
        PostDeferredCall([&view, alive = view.AliveToken(), item, opens] {
            if (!*alive || HostStateOf(view)) return;  // a modal dialog may have come meanwhile
            TTBItemViewer* target = view.Find(item);
            if (!target || !view.Select(target)) return;
            if (!opens) view.EndModalWithClick(target);
            else if (view.IsToolbar() && !view.InModalLoop()) view.EnterToolbarLoop(tbetOpenOnNavigate | tbetSelectFirst);
            else view.ExecuteSelected(true);
        });
    }

    LONG references_ = 1;
    TTBView* view_;
    std::shared_ptr<const bool> alive_;
    HWND window_;
    IAccessible* standard_ = nullptr;
};

}  // namespace

std::vector<TTBItemViewer*> AccessibleChildren(const TTBView& view) {
    std::vector<TTBItemViewer*> children;
    for (int i = 0; i < view.ViewerCount(); ++i) {
        TTBItemViewer* viewer = view.Viewers(i);
        // A hosted control is a window of its own, which clients find by themselves.
        if (viewer->IsControlItem()) continue;
        if (viewer->Show || ((viewer->OffEdge || viewer->Clipped) && viewer->Item()->Visible())) children.push_back(viewer);
    }
    return children;
}

LONG AccessibleChildId(const TTBView& view, const TTBItemViewer* viewer) {
    if (!viewer) return 0;
    std::vector<TTBItemViewer*> children = AccessibleChildren(view);
    auto at = std::find(children.begin(), children.end(), viewer);
    return at == children.end() ? 0 : static_cast<LONG>(at - children.begin()) + 1;
}

TTBAccessibleChild DescribeAccessibleChild(const TTBItemViewer& viewer) {
    TTBAccessibleChild child;
    child.Name = NameOf(viewer);
    child.Role = RoleOf(viewer);
    child.State = StateOf(viewer);
    if (!viewer.IsSeparator()) {
        const TTBItemStyle style = viewer.Item()->ItemStyle();
        child.DefaultAction = (style & isfSubmenu) && !(style & isfCombo) ? kOpen : kPress;
        child.KeyboardShortcut = viewer.Item()->ShortCutText();
        if (child.KeyboardShortcut.empty()) child.KeyboardShortcut = AcceleratorText(viewer);
        std::string longHint = GetLongHint(viewer.Item()->Hint());
        if (longHint != GetShortHint(viewer.Item()->Hint()) && longHint != child.Name) child.Description = longHint;
    }
    return child;
}

std::string AccessibleViewName(const TTBView& view) {
    if (view.IsPopup()) {
        const TTBCustomItem* item = view.ParentItem();
        if (!item) return {};
        std::string caption = StripAccelChars(item->CaptionText()).Text;
        return caption.empty() ? GetShortHint(item->Hint()) : caption;  // the chevron's list: its hint
    }
    TWinControl* window = view.Window();
    if (!window) return {};
    char text[256] = "";
    if (window->HandleAllocated()) GetWindowTextA(window->HandleOrNull(), text, sizeof(text));
    return text[0] ? std::string(text) : window->Name();
}

LONG AccessibleViewRole(const TTBView& view) {
    if (view.IsPopup()) return ROLE_SYSTEM_MENUPOPUP;
    return view.WindowIsMenuBar() ? ROLE_SYSTEM_MENUBAR : ROLE_SYSTEM_TOOLBAR;
}

bool AnswerAccessibleObject(TTBView& view, HWND window, WPARAM flags, LPARAM objectId, LRESULT& result) {
    if (static_cast<LONG>(objectId) != OBJID_CLIENT) return false;
    auto* object = new TViewAccessible(view, window);  // the client's references own it
    result = LresultFromObject(IID_IAccessible, flags, object);
    object->Release();
    return true;
}

void NotifyAccessibleEvent(const TTBView& view, DWORD event, const TTBItemViewer* viewer) {
    TWinControl* window = view.Window();
    if (!window || !window->HandleAllocated()) return;
    LONG id = CHILDID_SELF;
    if (viewer && (id = AccessibleChildId(view, viewer)) == 0) return;
    NotifyWinEvent(event, window->HandleOrNull(), OBJID_CLIENT, id);
}

TTBShownSnapshot TakeShownSnapshot(const TTBView& view) {
    TTBShownSnapshot snapshot;
    for (int i = 0; i < view.ViewerCount(); ++i) snapshot.Shown.emplace_back(view.Viewers(i), view.Viewers(i)->Show);
    return snapshot;
}

void AnnounceLayoutChange(const TTBView& view, const TTBShownSnapshot& before) {
    for (auto [viewer, wasShown] : before.Shown) {
        TTBItemViewer* now = nullptr;
        for (int i = 0; i < view.ViewerCount() && !now; ++i)
            if (view.Viewers(i) == viewer) now = view.Viewers(i);
        if (now && now->Show != wasShown) NotifyAccessibleEvent(view, now->Show ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, now);
    }
    NotifyAccessibleEvent(view, EVENT_OBJECT_REORDER, nullptr);
}
