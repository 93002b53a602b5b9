#include "toolbar/base/hook.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The three system hooks behind the four kinds.
enum SystemHook { shCallWndProc, shCBT, shGetMessage, SystemHookCount };

SystemHook HookFor(TTBHookKind kind) {
    switch (kind) {
    case hkActivateApp: case hkWindowPosChanged: return shCallWndProc;
    case hkWindowDestroyed: return shCBT;
    case hkGetMessage: break;
    }
    return shGetMessage;
}

constexpr TTBHookKind AllKinds[] = {hkActivateApp, hkWindowPosChanged, hkWindowDestroyed, hkGetMessage};

// Which system hooks a set of kinds needs, as bits of SystemHook.
unsigned HooksNeeded(TTBHookKinds kinds) {
    unsigned hooks = 0;
    for (TTBHookKind k : AllKinds)
        if (kinds.contains(k)) hooks |= 1u << HookFor(k);
    return hooks;
}

struct ClientRecord {
    TTBHookProc Proc;
    int Count;
    TTBHookKinds Kinds;
    // The system hooks this client holds a use of. A client holds one use of each hook it
    // needs, however often it registered, so that removal gives back exactly what was taken.
    unsigned HeldHooks;
};

struct HookSlot {
    HHOOK Handle = nullptr;
    int UseCount = 0;
};

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK CBTHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);

struct HookState {
    std::unique_ptr<std::vector<ClientRecord>> Clients;  // absent while nobody is registered
    HookSlot Hooks[SystemHookCount];

    // Finalisation: whatever is still installed goes with the process's hook state.
    ~HookState() {
        for (HookSlot& slot : Hooks)
            if (slot.Handle) UnhookWindowsHookEx(slot.Handle);
    }
};

HookState& State() {
    static HookState state;
    return state;
}

void AcquireHook(SystemHook hook) {
    HookSlot& slot = State().Hooks[hook];
    ++slot.UseCount;
    if (slot.Handle) return;
    static const int ids[SystemHookCount] = {WH_CALLWNDPROC, WH_CBT, WH_GETMESSAGE};
    static const HOOKPROC procs[SystemHookCount] = {CallWndProcHook, CBTHook, GetMessageHook};
    slot.Handle = SetWindowsHookExA(ids[hook], procs[hook], nullptr, GetCurrentThreadId());
}

void ReleaseHook(SystemHook hook) {
    HookSlot& slot = State().Hooks[hook];
    if (slot.UseCount == 0) return;
    if (--slot.UseCount == 0 && slot.Handle) {
        UnhookWindowsHookEx(slot.Handle);
        slot.Handle = nullptr;
    }
}

void AcquireHooks(unsigned hooks) {
    for (int h = 0; h < SystemHookCount; ++h)
        if (hooks & (1u << h)) AcquireHook(static_cast<SystemHook>(h));
}

void ReleaseHooks(unsigned hooks) {
    for (int h = 0; h < SystemHookCount; ++h)
        if (hooks & (1u << h)) ReleaseHook(static_cast<SystemHook>(h));
}

ClientRecord* FindClient(TTBHookProc proc) {
    auto& clients = State().Clients;
    if (!clients) return nullptr;
    auto it = std::find_if(clients->begin(), clients->end(), [&](const ClientRecord& r) { return r.Proc == proc; });
    return it == clients->end() ? nullptr : &*it;
}

// Calls every client registered for `kind`. The list is copied first because a client may
// register or remove clients (itself included) from inside its call; a client removed by an
// earlier one is not called any more.
void Dispatch(TTBHookKind kind, HWND window, WPARAM wParam, LPARAM lParam) {
    if (!State().Clients) return;
    std::vector<TTBHookProc> snapshot;
    for (const ClientRecord& r : *State().Clients)
        if (r.Kinds.contains(kind)) snapshot.push_back(r.Proc);
    for (TTBHookProc proc : snapshot) {
        if (!FindClient(proc)) continue;
        try {
            proc(kind, window, wParam, lParam);
        } catch (...) {
        }
    }
}

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (msg->message == WM_ACTIVATEAPP) Dispatch(hkActivateApp, msg->hwnd, msg->wParam, msg->lParam);
        else if (msg->message == WM_WINDOWPOSCHANGED) Dispatch(hkWindowPosChanged, msg->hwnd, msg->wParam, msg->lParam);
    }
    return CallNextHookEx(State().Hooks[shCallWndProc].Handle, code, wParam, lParam);
}

LRESULT CALLBACK CBTHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_DESTROYWND) Dispatch(hkWindowDestroyed, reinterpret_cast<HWND>(wParam), 0, 0);
    return CallNextHookEx(State().Hooks[shCBT].Handle, code, wParam, lParam);
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) Dispatch(hkGetMessage, nullptr, wParam, lParam);
    return CallNextHookEx(State().Hooks[shGetMessage].Handle, code, wParam, lParam);
}

}  // namespace

void InstallHookClient(TTBHookProc proc, TTBHookKinds kinds, bool designMode) {
    auto& clients = State().Clients;
    if (!clients) clients = std::make_unique<std::vector<ClientRecord>>();
    ClientRecord* record = FindClient(proc);
    if (!record) {
        clients->push_back(ClientRecord{proc, 0, {}, 0});
        record = &clients->back();
    }
    ++record->Count;
    record->Kinds = record->Kinds + kinds;
    if (designMode) return;
    unsigned newlyNeeded = HooksNeeded(kinds) & ~record->HeldHooks;
    record->HeldHooks |= newlyNeeded;
    AcquireHooks(newlyNeeded);
}

void RemoveHookClient(TTBHookProc proc) {
    ClientRecord* record = FindClient(proc);
    if (!record || --record->Count > 0) return;
    unsigned held = record->HeldHooks;
    auto& clients = State().Clients;
    clients->erase(clients->begin() + (record - clients->data()));
    if (clients->empty()) clients.reset();
    ReleaseHooks(held);
}

bool HookInstalledFor(TTBHookKind kind) { return State().Hooks[HookFor(kind)].Handle != nullptr; }
int HookUseCountFor(TTBHookKind kind) { return State().Hooks[HookFor(kind)].UseCount; }
int HookClientCount() { return State().Clients ? static_cast<int>(State().Clients->size()) : 0; }
