// The toolbars' part of the application's key handling (declared in toolbar.h).
#include <algorithm>
#include <vector>

#include "toolbar/base/hook.h"
#include "toolbar/docks/toolbar.h"
#include "widgets/application.h"
#include "widgets/form.h"

namespace {

struct TKeyClients {
    std::vector<TTBCustomToolbar*> toolbars;
    std::vector<TTBCustomToolbar*> shortCutToolbars;
    int filterKey = 0;
};

TKeyClients& Clients() {
    static TKeyClients clients;
    return clients;
}

HWND RootOf(HWND window) { return window ? GetAncestor(window, GA_ROOT) : nullptr; }

HWND FormWindowOf(TTBCustomToolbar* toolbar) {
    return toolbar->HandleAllocated() ? RootOf(toolbar->HandleOrNull()) : nullptr;
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
        auto& live = Clients().toolbars;
        if (std::find(live.begin(), live.end(), toolbar) == live.end()) continue;
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
    if (clients.filterKey == 0 && Application) clients.filterKey = Application->AddMessageFilter(KeyFilter);
}

void UnregisterToolbarKeys(TTBCustomToolbar* toolbar) {
    auto& clients = Clients();
    std::erase(clients.toolbars, toolbar);
    std::erase(clients.shortCutToolbars, toolbar);
    if (clients.toolbars.empty() && clients.filterKey != 0) {
        if (Application) Application->RemoveMessageFilter(clients.filterKey);
        clients.filterKey = 0;
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
