#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "widgets/control.h"

// A key with its modifiers in one word: the virtual-key code in the low byte, the modifier
// bits above it. 0 is "no short-cut".
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;

TShortCut ShortCut(WORD key, TShiftState shift);
// The text menus show for it, for example "Ctrl+S", "Shift+Ctrl+F5", "Alt+Del"; empty for 0
// and for keys without a name.
std::string ShortCutToText(TShortCut shortCut);
