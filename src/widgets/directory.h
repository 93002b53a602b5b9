#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "widgets/handles.h"
#include "widgets/wide_text.h"

// Calls `onEntry(entry)` for every entry a directory search for `pattern` returns, folders
// included. Names come in UTF-16, exactly as the file system holds them; a pattern past
// MAX_PATH is searched in its extended form.
template <class F>
void ForEachDirectoryEntry(const std::wstring& pattern, F onEntry) {
    WIN32_FIND_DATAW entry;
    FindHandle search(FindFirstFileW(ExtendedLengthPath(pattern).c_str(), &entry));
    if (!search.valid()) return;
    do {
        onEntry(entry);
    } while (FindNextFileW(search.get(), &entry));
}

// The full paths of the files (not folders) directly in `folder` that match `mask`, in the
// order the search returns them.
inline std::vector<std::wstring> FilesIn(const std::wstring& folder, const std::wstring& mask) {
    const std::wstring prefix = AddBackslash(folder);
    std::vector<std::wstring> files;
    ForEachDirectoryEntry(prefix + mask, [&](const WIN32_FIND_DATAW& entry) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(prefix + entry.cFileName);
    });
    return files;
}
