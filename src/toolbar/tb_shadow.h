#pragma once
#include <cstdint>

// How a popup's drop shadow darkens the screen beneath it.
enum TShadowStyle : uint8_t { sOfficeXP, sWindowsXP };
