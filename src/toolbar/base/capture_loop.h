#pragma once
#include <windows.h>

#include <functional>

// The modal loops of docked and floating windows (dragging, resizing, a held close button)
// take the thread's messages themselves while they hold the mouse capture on `window`.

// Hands each message to `handle`, which answers whether the loop is done. The loop also ends
// as a cancel when the capture goes elsewhere (`captureLost`, set from WM_CAPTURECHANGED, or
// GetCapture) and on WM_QUIT, which is posted again for the outer loop; and it ends at once
// when `gone` says the window was freed by a message it dispatched. True when `handle` ended it.
bool RunCaptureLoop(HWND window, const bool& captureLost, const std::function<bool()>& gone,
                    const std::function<bool(const MSG& msg)>& handle);

// Keys and the other mouse buttons do nothing while the left one holds a loop.
bool SwallowedWhileHeld(UINT message);

// The press of a close button: the pushed look (`show`) follows the pointer on and off the
// button (`over`); the release over it is a click. False for a release elsewhere, a lost
// capture or a freed window.
bool TrackCloseButtonPress(HWND window, const bool& captureLost, const std::function<bool()>& gone,
                           const std::function<bool(POINT screen)>& over, const std::function<void(bool pushed)>& show);
