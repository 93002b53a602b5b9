#pragma once
#include <windows.h>

#include <cstdint>
#include <initializer_list>

#include "widgets/enum_set.h"

// Thread-wide window hooks shared by several clients: each system hook is installed while at
// least one registered client needs it.

enum TTBHookKind : uint8_t { hkActivateApp, hkWindowPosChanged, hkWindowDestroyed, hkGetMessage };

using TTBHookKinds = TEnumSet<TTBHookKind, uint8_t, 4>;

// Called with (hkActivateApp or hkWindowPosChanged, window, wParam, lParam) of the message,
// (hkWindowDestroyed, destroyed window, 0, 0), or (hkGetMessage, 0, remove flag, MSG*).
// Whatever a client throws is swallowed: it runs inside a system hook.
using TTBHookProc = void (*)(TTBHookKind kind, HWND window, WPARAM wParam, LPARAM lParam);

// A second registration of the same procedure only counts; in design mode no system hook is
// installed.
void InstallHookClient(TTBHookProc proc, TTBHookKinds kinds, bool designMode);
// Undoes one registration; the last one removes the client and the hooks nobody else needs.
void RemoveHookClient(TTBHookProc proc);

// Diagnostics for tests: whether the system hook behind a kind is installed, its use count,
// and the number of registered clients.
bool HookInstalledFor(TTBHookKind kind);
int HookUseCountFor(TTBHookKind kind);
int HookClientCount();
