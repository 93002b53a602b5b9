#include "app/version_info.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "widgets/exception.h"

namespace {

const char* const KeyNames[VersionInfoKeyCount] = {
    "Comments",     "CompanyName",      "FileDescription", "FileVersion",
    "InternalName", "LegalCopyright",   "LegalTrademarks", "OriginalFilename",
    "PrivateBuild", "ProductName",      "ProductVersion",  "SpecialBuild",
};

std::string OwnExecutablePath() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        // A full buffer means the path may have been cut short.
        if (length < path.size()) return std::string(path.data(), length);
        path.resize(path.size() * 2);
    }
}

// The sub-block of `keyName` in the string table that the first translation entry names.
// A translation entry shorter than one 32-bit word counts as no table at all: reading it
// would run past the value.
std::string StringTableEntry(const std::vector<char>& info, const char* keyName) {
    void* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &translation, &length) ||
        length < sizeof(DWORD))
        throw Exception("情報の取得に失敗しました");
    DWORD first;
    std::memcpy(&first, translation, sizeof first);
    char table[32];
    std::snprintf(table, sizeof table, "\\StringFileInfo\\%04X%04X\\",
                  static_cast<unsigned>(LOWORD(first)), static_cast<unsigned>(HIWORD(first)));
    return table + std::string(keyName);
}

}  // namespace

const char* VersionInfoKeyName(int key) {
    if (key < 0 || key >= VersionInfoKeyCount)
        throw Exception("バージョン情報のキーが範囲外です");
    return KeyNames[key];
}

void GetVersionInfoValue(int key, std::string& value) {
    GetVersionInfoValue(OwnExecutablePath(), key, value);
}

void GetVersionInfoValue(const std::string& path, int key, std::string& value) {
    const char* keyName = VersionInfoKeyName(key);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return;
    std::vector<char> info(size);
    // A file that changed between the two calls is treated as having no resource.
    if (!GetFileVersionInfoA(path.c_str(), 0, size, info.data())) return;

    std::string subBlock = StringTableEntry(info, keyName);
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), subBlock.c_str(), &text, &length) || length == 0) return;
    // The text lies inside `info` (the system converts it into the buffer's spare half), so
    // the search for its zero byte stops at the buffer's end at the latest.
    const char* begin = static_cast<const char*>(text);
    const char* end = info.data() + info.size();
    if (begin < info.data() || begin >= end) return;
    value.assign(begin, std::find(begin, end, '\0'));
}
