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

// Every test program started with this switch and a font file draws the file's face name in its
// face, as a thumbnail, and exits with one of the codes below; a fault of the system's drawing
// ends it with kDrawProbeFaulted.
inline constexpr char kDrawProbeSwitch[] = "--draw-probe";
inline constexpr int kDrawProbeDrawn = 0, kDrawProbeUnregistrable = 3, kDrawProbeFaulted = 4;

// While this environment variable is set, vetting helpers started from a test program end before
// they are ready (they inherit it).
inline constexpr char kHelperDiesVariable[] = "SORVANE_TEST_HELPER_DIES";

// A way to start a test program as a child of a test: `switchName` followed by one argument
// runs `run(argument)` (with the application initialised) instead of the tests. Registered by a
// static object of the test file that needs it.
struct TChildMode {
    TChildMode(const char* switchName, int (*run)(const std::string& argument));
};

bool FileExists(const std::string& path);
std::string ReadFileBytes(const std::string& path);
// Writes (replaces) a file with `bytes`; false when it cannot be written.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The same for paths in UTF-16 (names outside the code page, paths past MAX_PATH).
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

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
