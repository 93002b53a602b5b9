#include "support/test_env.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "widgets/application.h"
#include "widgets/wide_text.h"

std::string WindowsPath(const std::string& unixPath) {
    std::string result = "Z:" + unixPath;
    for (char& c : result) {
        if (c == '/') c = '\\';
    }
    return result;
}

std::string TestFontDir() { return WindowsPath(SORVANE_TEST_FONT_DIR); }
std::string BinDir() { return WindowsPath(SORVANE_BIN_DIR); }

// Through the "W" functions and the long form: tests leave names outside the code page and
// paths past MAX_PATH, which the "A" functions cannot reach.
static void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(ExtendedLengthPath(dir + L"\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = dir + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesW(ExtendedLengthPath(full).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(ExtendedLengthPath(full).c_str());
            }
        } while (FindNextFileW(h, &data));
        FindClose(h);
    }
    RemoveDirectoryW(ExtendedLengthPath(dir).c_str());
}

std::string FreshTempDir(const std::string& name) {
    std::string root = BinDir() + "\\test-tmp";
    CreateDirectoryA(root.c_str(), nullptr);
    std::string dir = root + "\\" + name;
    RemoveTree(WideFromAnsi(dir));
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

void PumpFor(int ms) {
    DWORD end = GetTickCount() + ms;
    do {
        Application->ProcessMessages();
        Sleep(1);
    } while (static_cast<int>(GetTickCount() - end) < 0);
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return bytes.substr(0, read);
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    return CloseHandle(file) && ok;
}
