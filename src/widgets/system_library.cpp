#include "widgets/system_library.h"

#include <string>

namespace {

using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);

FARPROC KernelEntry(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? GetProcAddress(kernel, name) : nullptr;
}

// The search flags of LoadLibraryEx came with AddDllDirectory (Windows 8, or Windows 7 with its
// update); older systems fail a load that passes them.
bool SystemFolderSearchAvailable() {
    static const bool available = KernelEntry("AddDllDirectory") != nullptr;
    return available;
}

std::string SystemFolderPath(const char* name) {
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    std::string path(folder, length);
    if (path.back() != '\\') path += '\\';
    return path + name;
}

// Priority 101 runs before the static objects of every other unit, whose constructors have the
// default priority.
__attribute__((constructor(101))) void RestrictAtStart() { RestrictLibrarySearchToSystemFolder(); }

}  // namespace

void RestrictLibrarySearchToSystemFolder() {
    if (!SystemFolderSearchAvailable()) return;
    if (auto set = reinterpret_cast<SetDefaultDllDirectoriesProc>(
            reinterpret_cast<void*>(KernelEntry("SetDefaultDllDirectories"))))
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name) {
    if (SystemFolderSearchAvailable()) return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const std::string path = SystemFolderPath(name);
    // Without a system folder there is nowhere safe to load from.
    return path.empty() ? nullptr : LoadLibraryA(path.c_str());
}
