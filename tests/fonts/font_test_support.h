#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "fonts/temp_font.h"
#include "support/test_env.h"

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

inline std::string TestFont(const std::string& fileName) { return TestFontDir() + "\\" + fileName; }

inline std::vector<uint8_t> TestFontBytes(const std::string& fileName) {
    const std::string bytes = ReadFileBytes(TestFont(fileName));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// How often the screen's enumeration lists `family` as a TrueType family.
inline int FamilyListings(const std::string& family) {
    std::vector<std::string> families;
    CollectTrueTypeFamilies(families, nullptr);
    int n = 0;
    for (const std::string& f : families) n += (f == family);
    return n;
}

inline bool FamilyListed(const std::string& family) { return FamilyListings(family) > 0; }
