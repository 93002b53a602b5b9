#include "widgets/path_text.h"

#include <windows.h>

bool EndsWithBackslash(const std::string& path) {
    if (path.empty()) return false;
    const char* begin = path.c_str();
    const char* last = CharPrevA(begin, begin + path.size());
    return last == begin + path.size() - 1 && *last == '\\';
}

std::string AddBackslash(const std::string& path) { return EndsWithBackslash(path) ? path : path + "\\"; }

std::string RemoveBackslash(const std::string& path) {
    return EndsWithBackslash(path) ? path.substr(0, path.size() - 1) : path;
}

std::string TruncateToBytes(const std::string& text, size_t maxBytes) {
    size_t end = 0;
    while (end < text.size()) {
        const bool lead = IsDBCSLeadByte(static_cast<BYTE>(text[end])) && end + 1 < text.size();
        const size_t step = lead ? 2 : 1;
        if (end + step > maxBytes) break;
        end += step;
    }
    return text.substr(0, end);
}
