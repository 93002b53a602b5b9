#pragma once
#include <windows.h>

#include <string>

// Paths as the program under Wine sees them (Z: is the Linux root).
std::string WindowsPath(const std::string& unixPath);
std::string TestFontDir();          // the generated test fonts, ending without a backslash
std::string BinDir();               // the build folder
std::string FreshTempDir(const std::string& name);  // an empty folder for one test

// Pumps the message loop for about `ms` milliseconds (timers and posted messages run).
void PumpFor(int ms);
// Pumps until `done` holds or `ms` pass; returns whether it held.
template <class F>
bool PumpUntil(F done, int ms = 5000) {
    DWORD end = GetTickCount() + ms;
    while (!done()) {
        if (static_cast<int>(GetTickCount() - end) > 0) return false;
        PumpFor(5);
    }
    return true;
}

bool FileExists(const std::string& path);
std::string ReadFileBytes(const std::string& path);
// Writes (replaces) a file with `bytes`; false when it cannot be written.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// The message of the `E` that `action` throws; empty when it throws none.
template <class E, class F>
std::string ThrownMessage(F action) {
    try {
        action();
    } catch (const E& error) {
        return error.what();
    }
    return std::string();
}
