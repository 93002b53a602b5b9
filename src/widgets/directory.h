#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "widgets/handles.h"
#include "widgets/wide_text.h"

// FindFirstFileW for `pattern`, in its extended form past MAX_PATH. With `whileWaiting`, the
// call is made on a thread of its own and `whileWaiting` runs whenever this thread's queue gets
// input meanwhile: the system reads and sorts a whole folder at its first look, a fifth of a
// second for a hundred thousand files, and the window must answer all the while. Only the
// user-interface thread may pass `whileWaiting`.
HANDLE FindFirstEntry(const std::wstring& pattern, WIN32_FIND_DATAW& entry,
                      const std::function<void()>& whileWaiting = nullptr);
// Starts the thread FindFirstEntry looks at folders on, ahead of its first use (starting it
// costs a few hundredths of a second); it lasts as long as the program.
void StartDirectoryReader();

// Calls `onEntry(entry)` for every entry a directory search for `pattern` returns, folders
// included. Names come in UTF-16, exactly as the file system holds them; a pattern past
// MAX_PATH is searched in its extended form. `whileWaiting` as for FindFirstEntry.
template <class F>
void ForEachDirectoryEntry(const std::wstring& pattern, F onEntry, const std::function<void()>& whileWaiting = nullptr) {
    WIN32_FIND_DATAW entry;
    FindHandle search(FindFirstEntry(pattern, entry, whileWaiting));
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
