#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "widgets/handles.h"
#include "widgets/path_text.h"

// Calls `onEntry(entry)` for every entry a directory search for `pattern` returns, folders
// included.
template <class F>
void ForEachDirectoryEntry(const std::string& pattern, F onEntry) {
    WIN32_FIND_DATAA entry;
    FindHandle search(FindFirstFileA(pattern.c_str(), &entry));
    if (!search.valid()) return;
    do {
        onEntry(entry);
    } while (FindNextFileA(search.get(), &entry));
}

// The full paths of the files (not folders) directly in `folder` that match `mask`, in the
// order the search returns them.
inline std::vector<std::string> FilesIn(const std::string& folder, const std::string& mask) {
    const std::string prefix = AddBackslash(folder);
    std::vector<std::string> files;
    ForEachDirectoryEntry(prefix + mask, [&](const WIN32_FIND_DATAA& entry) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(prefix + entry.cFileName);
    });
    return files;
}
