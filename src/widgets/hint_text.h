#pragma once
#include <string>

// A hint holds a short part for the tooltip and, after a bar, a long part for a status line.
// The bar is found by whole characters: 0x7C is also the trail byte of ポ and others.
std::string GetShortHint(const std::string& hint);
std::string GetLongHint(const std::string& hint);  // the whole hint when it has no bar
