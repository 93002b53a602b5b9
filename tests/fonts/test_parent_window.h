#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A plain top-level window for the subclassing tests. Its procedure logs each WM_COMMAND as
// "parent" into ParentLog().events, so that tests can see the order in which the parent and the
// controls handled a message, and answers with ParentLog().commandResult.
struct TestParentLog {
    std::vector<std::string> events;
    LRESULT commandResult = 0;
};

inline TestParentLog& ParentLog() {
    static TestParentLog log;
    return log;
}

inline LRESULT CALLBACK TestParentProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) {
        ParentLog().events.push_back("parent");
        return ParentLog().commandResult;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

class TestParent {
public:
    TestParent() {
        static ATOM registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = TestParentProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "SorvaneSubclassTestParent";
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            return RegisterClassA(&wc);
        }();
        (void)registered;
        ParentLog() = TestParentLog{};
        handle_ = CreateWindowExA(0, "SorvaneSubclassTestParent", "parent", WS_OVERLAPPEDWINDOW, 10, 10,
                                  400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~TestParent() { Destroy(); }
    TestParent(const TestParent&) = delete;
    TestParent& operator=(const TestParent&) = delete;

    HWND get() const { return handle_; }
    void Destroy() {
        if (handle_ && IsWindow(handle_)) DestroyWindow(handle_);
    }

private:
    HWND handle_ = nullptr;
};

inline LRESULT SendCommand(HWND parent, WORD id, WORD code, HWND control) {
    return SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}
