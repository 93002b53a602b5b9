#pragma once
#include <windows.h>

// The fade or slide in of a popup window. One animation runs at a time in the process; a worker
// thread times it and asks the window to show each new step, all drawing stays on the window's
// own thread.

// Sent to the animated window for each step: lParam is the animation's id. The window's
// handler passes it to ProcessAnimationStep.
constexpr UINT WM_TB_ANIMATIONSTEP = 2389;
// Sent to the window once its final image is shown.
constexpr UINT WM_TB_ANIMATIONDONE = 2390;

// The edge the content enters from.
using TTBAnimationDirection = BYTE;
constexpr TTBAnimationDirection tbadFromRight = 1, tbadFromLeft = 2, tbadFromTop = 4, tbadFromBottom = 8;

// Captures the (hidden) window's image, shows the window at the first step and starts the
// worker. A running animation is finished first. Fading needs UpdateLayeredWindow: without it
// the window slides, or appears at once when no direction is given.
void StartWindowAnimation(HWND window, int durationMs, bool fade, TTBAnimationDirection directions);

// Shows the step the worker reached. Only a message of the running animation of this very
// window counts: a late one of an animation that has ended is ignored.
void ProcessAnimationStep(HWND window, LPARAM animationId);

// Ends the running animation (of `window`, or any when null) and shows its final image. A
// window that is gone or hidden gets its normal style back but no image and no done message.
void FinishWindowAnimation(HWND window = nullptr);

// Ends the animation of a window that is being destroyed: nothing is drawn, restored or sent.
void DiscardWindowAnimation(HWND window);

bool WindowAnimationRunning(HWND window = nullptr);
