#pragma once
#include <windows.h>

#include <functional>

// Work that must run later on the user-interface thread, once the code now on the stack (a
// modal loop, a window procedure that is closing its window) has returned. Calls run from the
// message loop in posting order, each one guarded: what it throws goes to the application.
// One hidden message-only window serves the whole thread; it is made on the first post.

// The private message the deferred-call window receives, one per posted call.
constexpr UINT WM_DEFERREDCALL = WM_USER + 256;

void PostDeferredCall(std::function<void()> call);
int PendingDeferredCalls();
// The window, or null when none exists now.
HWND DeferredCallWindow();
// Destroys the window when no call is waiting for it; the next post makes a new one.
void ReleaseIdleDeferredCallWindow();
