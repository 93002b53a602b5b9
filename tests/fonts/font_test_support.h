#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "fonts/temp_font.h"
#include "support/test_env.h"
#include "widgets/wide_text.h"

inline std::deque<std::function<void()>>& PendingCalls() {
    static std::deque<std::function<void()>> pending;
    return pending;
}

inline LRESULT CALLBACK PostedCallWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_APP || PendingCalls().empty()) return DefWindowProcA(hwnd, msg, wParam, lParam);
    std::function<void()> next = std::move(PendingCalls().front());
    PendingCalls().pop_front();
    next();
    return 0;
}

// Queues `call` to run when the message loop next processes messages: stands in for a user
// command (stop, preview, close) that arrives while a long operation pumps.
inline void PostCall(std::function<void()> call) {
    static HWND window = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PostedCallWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SorvaneFontTestCalls";
        RegisterClassA(&wc);
        return CreateWindowA("SorvaneFontTestCalls", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }();
    PendingCalls().push_back(std::move(call));
    PostMessageA(window, WM_APP, 0, 0);
}

// A generated test font's path, as the font functions take it.
inline std::wstring TestFont(const std::string& fileName) { return WideFromAnsi(TestFontDir() + "\\" + fileName); }

inline std::vector<uint8_t> TestFontBytes(const std::string& fileName) {
    const std::string bytes = ReadFileBytes(TestFontDir() + "\\" + fileName);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// How often the screen's enumeration lists `family` as a TrueType family.
inline int FamilyListings(const std::wstring& family) {
    std::vector<std::wstring> families;
    CollectTrueTypeFamilies(families, nullptr);
    int n = 0;
    for (const std::wstring& f : families) n += (f == family);
    return n;
}

inline bool FamilyListed(const std::wstring& family) { return FamilyListings(family) > 0; }
inline bool FamilyListed(const std::string& family) { return FamilyListed(WideFromAnsi(family)); }
