#include "widgets/hint_text.h"

#include <windows.h>

namespace {

// Offset of the first bar that is a character of its own, or npos.
std::string::size_type FindHintBar(const std::string& hint) {
    const char* start = hint.c_str();
    for (const char* p = start; *p; p = CharNextA(p))
        if (*p == '|') return static_cast<std::string::size_type>(p - start);
    return std::string::npos;
}

}  // namespace

std::string GetShortHint(const std::string& hint) {
    auto bar = FindHintBar(hint);
    return bar == std::string::npos ? hint : hint.substr(0, bar);
}

std::string GetLongHint(const std::string& hint) {
    auto bar = FindHintBar(hint);
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}
