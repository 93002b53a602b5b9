// The program as a user starts it: its own process, closed through the confirmation.
#include <gtest/gtest.h>

#include "support/test_env.h"
#include "support/ui_driver.h"

namespace {

struct ProcessWindows {
    DWORD pid;
    HWND main = nullptr, question = nullptr;
};

BOOL CALLBACK FindWindows(HWND window, LPARAM data) {
    auto* p = reinterpret_cast<ProcessWindows*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != p->pid || !IsWindowVisible(window)) return TRUE;
    std::string text = WindowText(window);
    if (text == "Sorvane") p->main = window;
    if (text == "確認") p->question = window;
    return TRUE;
}

ProcessWindows WaitForWindows(DWORD pid, bool wantQuestion) {
    ProcessWindows found{pid};
    for (int i = 0; i < 400; ++i) {
        found = ProcessWindows{pid};
        EnumWindows(FindWindows, reinterpret_cast<LPARAM>(&found));
        if (wantQuestion ? found.question != nullptr : found.main != nullptr) break;
        Sleep(50);
    }
    return found;
}

TEST(ProcessTest, ClosingWithYesEndsTheProgramWithExitCodeZero) {
    std::string exe = BinDir() + "\\sorvane.exe";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ProcessWindows windows = WaitForWindows(pi.dwProcessId, false);
    ASSERT_NE(windows.main, nullptr);

    // "いいえ" first: the program goes on.
    PostMessageA(windows.main, WM_CLOSE, 0, 0);
    windows = WaitForWindows(pi.dwProcessId, true);
    ASSERT_NE(windows.question, nullptr);
    PostMessageA(windows.question, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 500), static_cast<DWORD>(WAIT_TIMEOUT));

    PostMessageA(windows.main, WM_CLOSE, 0, 0);
    windows = WaitForWindows(pi.dwProcessId, true);
    ASSERT_NE(windows.question, nullptr);
    PostMessageA(windows.question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace
