// The toolbars' part of the application's key handling (declared in toolbar.h).
#include <algorithm>
#include <vector>

#include "toolbar/base/common.h"
#include "toolbar/base/hook.h"
#include "toolbar/docks/toolbar.h"
#include "widgets/application.h"
#include "widgets/form.h"

namespace {

struct TKeyClients {
    std::vector<TTBCustomToolbar*> toolbars;
    std::vector<TTBCustomToolbar*> shortCutToolbars;
    int filterKey = 0;
    int systemCommandKey = 0;
};

TKeyClients& Clients() {
    static TKeyClients clients;
    return clients;
}

HWND RootOf(HWND window) { return window ? GetAncestor(window, GA_ROOT) : nullptr; }

// A floating toolbar's top-level window is its floating parent, which the form owns.
HWND FormWindowOf(TTBCustomToolbar* toolbar) {
    if (!toolbar->HandleAllocated()) return nullptr;
    HWND root = RootOf(toolbar->HandleOrNull());
    TTBFloatingWindowParent* floating = toolbar->FloatingParent();
    if (floating && floating->HandleOrNull() == root) return GetWindow(root, GW_OWNER);
    return root;
}

bool IsLive(TTBCustomToolbar* toolbar) {
    auto& live = Clients().toolbars;
    return std::find(live.begin(), live.end(), toolbar) != live.end();
}

// Shown, and enabled as accessibility clients find it.
bool TakesKeys(TTBCustomToolbar* toolbar) {
    HWND window = toolbar->HandleOrNull();
    return window && IsWindowVisible(window) && WindowEnabledForInput(window);
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The toolbars of a form that take keys: those in the form in the order of its control tree
// (depth first, so the top dock's come first), then the floating ones.
std::vector<TTBCustomToolbar*> ToolbarsOfForm(HWND form) {
    std::vector<HWND> windows;
    EnumChildWindows(form, CollectWindow, reinterpret_cast<LPARAM>(&windows));
    std::vector<TTBCustomToolbar*> found;
    for (HWND window : windows)
        for (TTBCustomToolbar* toolbar : Clients().toolbars)
            if (toolbar->HandleOrNull() == window && TakesKeys(toolbar)) found.push_back(toolbar);
    for (TTBCustomToolbar* toolbar : Clients().toolbars)
        if (toolbar->Floating() && FormWindowOf(toolbar) == form && TakesKeys(toolbar)) found.push_back(toolbar);
    return found;
}

// Those of them the keyboard can walk: no menu bar, something to select.
std::vector<TTBCustomToolbar*> WalkableToolbarsOfForm(HWND form) {
    std::vector<TTBCustomToolbar*> bars = ToolbarsOfForm(form);
    std::erase_if(bars, [](TTBCustomToolbar* t) { return t->MenuBar() || !t->View()->NextSelectable(nullptr, true); });
    return bars;
}

// A control that takes characters itself (an edit box) keeps them: accelerators need "&" and
// must never fire while the user types.
bool FocusWantsCharacters(const MSG& msg) {
    LRESULT code = SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    return (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_HASSETSEL)) != 0;
}

template <class F>
bool OfferTo(const std::vector<TTBCustomToolbar*>& list, HWND form, F&& offer) {
    std::vector<TTBCustomToolbar*> copy = list;  // a handler may create or free toolbars
    for (TTBCustomToolbar* toolbar : copy) {
        if (!IsLive(toolbar)) continue;
        if (FormWindowOf(toolbar) == form && offer(toolbar)) return true;
    }
    return false;
}

bool ShortCut(MSG& msg) {
    auto& clients = Clients();
    if (clients.shortCutToolbars.empty()) return false;
    HWND active = GetActiveWindow();
    if (!active || !IsWindowEnabled(active)) return false;
    auto dispatch = [&](TTBCustomToolbar* toolbar) { return toolbar->DispatchShortCut(msg); };
    if (OfferTo(clients.shortCutToolbars, active, dispatch)) return true;
    TForm* main = Application ? Application->MainForm() : nullptr;
    HWND mainWindow = main && main->HandleAllocated() ? main->HandleOrNull() : nullptr;
    return mainWindow && mainWindow != active && OfferTo(clients.shortCutToolbars, mainWindow, dispatch);
}

bool KeyFilter(MSG& msg) {
    switch (msg.message) {
    case WM_CHAR:
        if (FocusWantsCharacters(msg)) return false;
        [[fallthrough]];
    case WM_SYSCHAR:
        return OfferTo(Clients().toolbars, RootOf(msg.hwnd),
                       [&](TTBCustomToolbar* t) { return t->DialogChar(static_cast<char>(msg.wParam)); });
    case WM_SYSKEYDOWN:
        if (msg.wParam == VK_MENU) {
            OfferTo(Clients().toolbars, RootOf(msg.hwnd), [](TTBCustomToolbar* t) {
                if (t->MenuBar()) t->View()->SetShowAccels(true);
                return false;
            });
            return false;
        }
        return ShortCut(msg);
    case WM_KEYDOWN:
        return ShortCut(msg);
    default:
        return false;
    }
}

// Alt or F10 on a form without a menu bar. Keyboard access to ordinary toolbars exists so that
// a user without a mouse (and a screen reader following the focus) reaches their commands: the
// keyboard walks the form's toolbars one tracking loop at a time, Left or Right past the end of
// one bar moving on to the next, wrapping. False when the form has none to walk.
bool WalkToolbars(HWND form) {
    std::vector<TTBCustomToolbar*> bars = WalkableToolbarsOfForm(form);
    if (bars.empty()) return false;
    TTBCustomToolbar* bar = bars.front();
    bool fromLast = false;
    while (bar) {
        const int walked = bar->WalkByKeyboard(fromLast, bars.size() > 1);
        if (walked == 0) return true;
        // Messages dispatched by the loop may have changed the form's toolbars.
        bars = WalkableToolbarsOfForm(form);
        auto at = std::find(bars.begin(), bars.end(), bar);
        if (at == bars.end()) return true;
        const int count = static_cast<int>(bars.size());
        bar = bars[((at - bars.begin()) + walked + count) % count];
        fromLast = walked < 0;
    }
    return true;
}

// The keyboard's way into a form's menu: Alt, F10 and Alt with a letter go to the form's menu
// bars; a form without one gives Alt and F10 to its first toolbar.
bool KeyMenuFilter(MSG& msg) {
    if (msg.message != WM_SYSCOMMAND || (msg.wParam & 0xFFF0) != SC_KEYMENU) return false;
    const char key = static_cast<char>(msg.lParam);
    bool menuBar = false;
    for (TTBCustomToolbar* toolbar : ToolbarsOfForm(msg.hwnd)) {
        if (!toolbar->MenuBar()) continue;
        menuBar = true;
        if (toolbar->KeyboardOpen(key)) return true;
    }
    if (menuBar || key != 0 || GetCapture()) return false;
    return WalkToolbars(msg.hwnd);
}

// For an MDI main form: Alt with a letter in the client area, or Alt with "-" in a child,
// opens the menu bar instead of the child's window menu.
void MenuBarHookProc(TTBHookKind kind, HWND, WPARAM removed, LPARAM lParam) {
    if (kind != hkGetMessage || !removed) return;
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (msg->message != WM_SYSCHAR || !msg->hwnd) return;
    TForm* main = Application ? Application->MainForm() : nullptr;
    if (!main || !main->HandleAllocated() || GetCapture()) return;
    HWND client = FindWindowExA(main->HandleOrNull(), nullptr, "MDIClient", nullptr);
    if (!client) return;
    if (msg->hwnd == client || (msg->wParam == '-' && GetParent(msg->hwnd) == client)) {
        SendMessageA(main->HandleOrNull(), WM_SYSCOMMAND, SC_KEYMENU, msg->wParam);
        msg->message = 0;
    }
}

}  // namespace

void RegisterToolbarKeys(TTBCustomToolbar* toolbar) {
    auto& clients = Clients();
    clients.toolbars.push_back(toolbar);
    if (clients.filterKey == 0 && Application) {
        clients.filterKey = Application->AddMessageFilter(KeyFilter);
        clients.systemCommandKey = Application->AddSystemCommandFilter(KeyMenuFilter);
    }
}

void UnregisterToolbarKeys(TTBCustomToolbar* toolbar) {
    auto& clients = Clients();
    std::erase(clients.toolbars, toolbar);
    std::erase(clients.shortCutToolbars, toolbar);
    if (clients.toolbars.empty() && clients.filterKey != 0) {
        if (Application) {
            Application->RemoveMessageFilter(clients.filterKey);
            Application->RemoveSystemCommandFilter(clients.systemCommandKey);
        }
        clients.filterKey = clients.systemCommandKey = 0;
    }
}

void SetShortCutToolbar(TTBCustomToolbar* toolbar, bool listed) {
    auto& list = Clients().shortCutToolbars;
    std::erase(list, toolbar);
    if (listed) list.push_back(toolbar);
}

void SetMenuBarHook(TTBCustomToolbar* toolbar, bool installed) {
    (void)toolbar;
    if (installed)
        InstallHookClient(MenuBarHookProc, TTBHookKinds{hkGetMessage}, false);
    else
        RemoveHookClient(MenuBarHookProc);
}

int RegisteredShortCutToolbarCount() { return static_cast<int>(Clients().shortCutToolbars.size()); }
