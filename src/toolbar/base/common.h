#pragma once
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "widgets/handles.h"

class TWinControl;

// ---- System inputs ------------------------------------------------------------------------
// Everything the toolbar services learn from the system passes through one replaceable
// function each, so that tests decide the answers instead of whatever Wine reports.

struct TSystemVersion {
    DWORD PlatformId = VER_PLATFORM_WIN32_NT;
    DWORD Major = 5;
    DWORD Minor = 1;
};

// One registry value read through a buffer of a fixed probe size.
struct TRegistryValue {
    bool KeyOpened = false;
    LONG Result = ERROR_FILE_NOT_FOUND;  // of the value query; ERROR_MORE_DATA when larger than the probe
    DWORD Type = REG_NONE;
    std::string Data;                    // the bytes read, at most the probe size
};

using TUpdateLayeredWindowProc = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                               BLENDFUNCTION*, DWORD);

// The monitor entry points; any of them may be missing on older systems.
struct TMonitorApi {
    HMONITOR(WINAPI* FromRect)(LPCRECT, DWORD) = nullptr;
    HMONITOR(WINAPI* FromPoint)(POINT, DWORD) = nullptr;
    HMONITOR(WINAPI* FromWindow)(HWND, DWORD) = nullptr;
    BOOL(WINAPI* GetInfo)(HMONITOR, LPMONITORINFO) = nullptr;
    bool Complete() const { return FromRect && FromPoint && FromWindow && GetInfo; }
};

struct TSystemSeams {
    std::function<TSystemVersion()> Version;
    std::function<BOOL(UINT action, UINT param, void* data)> ParametersInfo;
    std::function<int(int index)> Metrics;
    std::function<TRegistryValue(HKEY root, const std::string& key, const std::string& value, DWORD probeSize)>
        ReadRegistry;
    std::function<BOOL(const char* alias, DWORD flags)> PlayAlias;
    std::function<BOOL(UINT type)> MessageBeep;
    std::function<TUpdateLayeredWindowProc()> FindUpdateLayeredWindow;  // asked once
    std::function<TMonitorApi()> FindMonitorApi;                        // asked on each query
    std::function<BOOL(LARGE_INTEGER& value)> PerformanceCounter;
    std::function<BOOL(LARGE_INTEGER& value)> PerformanceFrequency;
    std::function<DWORD()> TickCount;
    std::function<POINT()> CursorPos;  // read by the animation worker thread too
};

// Process-wide. Replace members only while no animation runs: its worker reads them.
TSystemSeams& SystemSeams();
// The system's own answers again, and forgets every answer remembered from the old ones.
void ResetSystemSeams();

// ---- System queries -----------------------------------------------------------------------

bool SystemIsXPOrLater();
bool FlatMenusEnabled();
bool KeyboardCuesShown();
int GetMenuShowDelay();  // submenu delay in milliseconds
bool MenuAnimationEnabled();
bool MenuFadeEnabled();
TUpdateLayeredWindowProc UpdateLayeredWindowEntry();  // null when the system has none

// ---- Sounds -------------------------------------------------------------------------------

constexpr const char* MenuPopupSound = "MenuPopup";
constexpr const char* MenuCommandSound = "MenuCommand";

// Whether the user's sound scheme gives the event a sound; systems without schemes say yes.
bool SoundEventConfigured(const std::string& eventName);
// Plays the event's sound asynchronously, only when the scheme has one: playing an alias
// without a sound would fall back to nothing anyway, but costs a trip to the sound system.
void PlaySystemSound(const char* eventName);
// The short warning for a key that matches nothing.
void BeepNoMatch();

// ---- Pointer tracking ---------------------------------------------------------------------

// TrackMouseEvent from user32, else _TrackMouseEvent from comctl32, which is loaded for it
// while at least one user holds a reference.
void AddTrackMouseEventRef();
void ReleaseTrackMouseEventRef();
// False when the system has neither entry point or no reference is held.
bool CallTrackMouseEvent(TRACKMOUSEEVENT& request);

// ---- Work areas and monitors --------------------------------------------------------------

RECT GetScreenArea(bool workArea);
RECT GetRectMonitorArea(const RECT& r, bool workArea);
RECT GetPointMonitorArea(POINT p, bool workArea);

// ---- Windows the user can act on -------------------------------------------------------------

// Input may reach `window`: it is enabled, every window it sits in is, and so is each window
// the top-level one belongs to (a floating toolbar's parent is owned by its form, which a modal
// dialog disables). Visibility is the caller's other question.
bool WindowEnabledForInput(HWND window);

// ---- Messages and painting ----------------------------------------------------------------

// Paints every window of the thread that waits for it, each once. A window that asks again
// keeps its request for the normal message loop.
void DispatchPendingPaints();
// Removes the thread's queued messages in [first, last], except paint requests, which are not
// queued but made up while a window is invalid and so would never run out.
void DiscardQueuedMessages(UINT first, UINT last);
// Limits non-client painting on a window device context to the region WM_NCPAINT passed
// (screen coordinates; 0 and 1 stand for the whole window). The region stays the system's.
void ClipToNCUpdateRegion(HWND window, HDC dc, HRGN region);

using TNCPainter = std::function<void(HWND window, HDC dc)>;
// WM_PRINT for the framework's windows; the result to return from the message.
LRESULT PrintWindowParts(HWND window, HDC dc, LPARAM flags, const TNCPainter& paintNonClient);
// WM_PRINTCLIENT: the control's normal painting on the given device context.
void PrintClientArea(TWinControl& control, HDC dc);

// Outline of `newRect` drawn by inverting a halftone pattern, the outline of `oldRect` erased
// in the same pass (either may be null). Where both outlines cover a pixel it does not change.
void DrawDragFrame(HDC dc, const RECT* newRect, const RECT* oldRect, SIZE newSize, SIZE oldSize);

// ---- Text ---------------------------------------------------------------------------------

int FontHeight(HDC dc);
// The text as shown with its accelerator prefixes: "&x" shows x underlined, "&&" shows "&".
struct TStrippedCaption {
    std::string Text;
    size_t AccelIndex = std::string::npos;  // byte index of the underlined character in Text
};
TStrippedCaption StripAccelChars(const std::string& caption);
int TextWidthWithoutPrefix(HDC dc, const std::string& text, bool stripPrefixes);
// The accelerator's character, 0 for none. A double-byte character is never one.
char FindAccelChar(const std::string& caption);
// a ÷ b, rounded away from zero when not exact.
int DivRoundAway(int a, int b);
// The DC's current font turned to run top to bottom; faces that cannot rotate become Arial.
FontHandle CreateRotatedFont(HDC dc);
// The caption top to bottom, centred in `r`, with its accelerator underlined unless the
// format holds DT_HIDEPREFIX.
void DrawRotatedText(HDC dc, const std::string& caption, const RECT& r, UINT format);

// ---- The framework's menu font ------------------------------------------------------------

// Made on first use from the system's non-client metrics; process-wide.
HFONT MenuFont();
// After the system's non-client metrics changed.
void RebuildMenuFont();
void FreeMenuFont();

// ---- Lists --------------------------------------------------------------------------------

template <class T>
using TItemList = std::unique_ptr<std::vector<T*>>;

// Creates the list when absent; true when the item was added, false when already present.
template <class T>
bool AddUniqueToList(TItemList<T>& list, T* item) {
    if (!list) list = std::make_unique<std::vector<T*>>();
    if (std::find(list->begin(), list->end(), item) != list->end()) return false;
    list->push_back(item);
    return true;
}

// Removes the item; an emptied list is freed.
template <class T>
void RemoveFromListAndFree(TItemList<T>& list, T* item) {
    if (!list) return;
    auto it = std::find(list->begin(), list->end(), item);
    if (it != list->end()) list->erase(it);
    if (list->empty()) list.reset();
}

// Negative, zero or positive as `a` sorts before, with or after `b`.
template <class T>
using TListSortCompare = int (*)(T* a, T* b, void* data);

namespace detail {
template <class T>
void QuickSort(std::vector<T*>& list, int low, int high, TListSortCompare<T> compare, void* data) {
    while (low < high) {
        T* pivot = list[low + (high - low) / 2];
        int i = low, j = high;
        while (i <= j) {
            while (compare(list[i], pivot, data) < 0) ++i;
            while (compare(list[j], pivot, data) > 0) --j;
            if (i <= j) std::swap(list[i++], list[j--]);
        }
        // Recurse into the smaller half only, so the depth stays logarithmic.
        if (j - low < high - i) {
            QuickSort(list, low, j, compare, data);
            low = i;
        } else {
            QuickSort(list, i, high, compare, data);
            high = j;
        }
    }
}
}  // namespace detail

template <class T>
void SortListBy(std::vector<T*>& list, TListSortCompare<T> compare, void* data) {
    if (list.size() > 1) detail::QuickSort(list, 0, static_cast<int>(list.size()) - 1, compare, data);
}
