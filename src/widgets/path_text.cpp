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
