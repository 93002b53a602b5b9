// The program as a user starts it: its own process, closed through the confirmation.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "app/main_window.h"
#include "support/accessible_client.h"
#include "support/test_env.h"
#include "support/ui_driver.h"
#include "widgets/wide_text.h"
#include "widgets/directory.h"

namespace {

struct ProcessWindows {
    DWORD pid;
    HWND main = nullptr, question = nullptr, about = nullptr;
};

BOOL CALLBACK FindWindows(HWND window, LPARAM data) {
    auto* p = reinterpret_cast<ProcessWindows*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != p->pid || !IsWindowVisible(window)) return TRUE;
    std::string text = WindowText(window);
    if (text == "Sorvane") p->main = window;
    if (text == "確認") p->question = window;
    if (text == "バージョン情報") p->about = window;
    return TRUE;
}

// Waits until the program shows the window `wanted` (the main window, the question, About).
ProcessWindows WaitForWindows(DWORD pid, HWND ProcessWindows::*wanted) {
    ProcessWindows found{pid};
    for (int i = 0; i < 400; ++i) {
        found = ProcessWindows{pid};
        EnumWindows(FindWindows, reinterpret_cast<LPARAM>(&found));
        if (found.*wanted) break;
        Sleep(50);
    }
    return found;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::vector<DWORD> ChildProcessesOf(DWORD parent) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == parent) children.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return children;
}

// The modules loaded in a process: lower-case name to lower-case path.
std::map<std::string, std::string> ModulesOf(DWORD pid) {
    std::map<std::string, std::string> modules;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return modules;
    MODULEENTRY32 module{};
    module.dwSize = sizeof(module);
    for (BOOL more = Module32First(snapshot, &module); more; more = Module32Next(snapshot, &module))
        modules[Lower(module.szModule)] = Lower(module.szExePath);
    CloseHandle(snapshot);
    return modules;
}

// Waits until a process has started a child; its id, 0 when none came within `ms`.
DWORD WaitForChildProcess(DWORD parent, DWORD ms) {
    const DWORD until = GetTickCount() + ms;
    for (;;) {
        const std::vector<DWORD> children = ChildProcessesOf(parent);
        if (!children.empty()) return children.front();
        if (static_cast<int>(GetTickCount() - until) > 0) return 0;
        Sleep(20);
    }
}

bool ProcessEndsWithin(DWORD pid, DWORD ms) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return true;  // gone already
    const bool ended = WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

struct Child {
    PROCESS_INFORMATION process{};
    HANDLE output = nullptr;  // what it writes to its standard output
    ~Child() {
        if (process.hProcess) {
            TerminateProcess(process.hProcess, 9);
            WaitForSingleObject(process.hProcess, 5000);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        if (output) CloseHandle(output);
    }
};

// Starts `commandLine` with its standard output on a pipe.
bool StartChild(std::string commandLine, Child& child) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&child.output, &writeEnd, &inheritable, 0)) return false;
    SetHandleInformation(child.output, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &child.process);
    CloseHandle(writeEnd);
    return started;
}

// Waits until the child has written `text`; false when it ends or `ms` pass first.
bool WaitForOutput(Child& child, const std::string& text, DWORD ms) {
    std::string seen;
    const DWORD until = GetTickCount() + ms;
    while (seen.find(text) == std::string::npos) {
        DWORD available = 0;
        if (!PeekNamedPipe(child.output, nullptr, 0, nullptr, &available, nullptr)) return false;
        if (available > 0) {
            std::string chunk(available, '\0');
            DWORD read = 0;
            ReadFile(child.output, chunk.data(), available, &read, nullptr);
            seen.append(chunk, 0, read);
        } else if (static_cast<int>(GetTickCount() - until) > 0) {
            return false;
        } else {
            Sleep(10);
        }
    }
    return true;
}

constexpr char kScanUntilKilled[] = "--scan-until-killed";

// The main window in a process of its own, scanning `folder`; it says "scanning" on its output
// at the tenth file and runs until it is killed.
int ScanUntilKilled(const std::string& folder) {
    TfrmMain form(nullptr);
    form.Show();
    auto original = form.FindFile1->OnFind;
    int reports = 0;
    form.FindFile1->OnFind = [&](const std::wstring& name, const std::wstring& path, const TSearchRec& rec, bool& cancel) {
        if (++reports == 10) {
            DWORD written = 0;
            WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "scanning\n", 9, &written, nullptr);
        }
        original(name, path, rec, cancel);
    };
    if (!form.ShellTreeView1->SelectPath(WideFromAnsi(folder))) return 2;
    Application->Run();
    return 0;
}
const TChildMode scanUntilKilled(kScanUntilKilled, ScanUntilKilled);

TEST(ProcessTest, KillingTheProgramInTheMiddleOfAScanLeavesNoHelperRunning) {
    const std::string dir = FreshTempDir("kill-mid-scan");
    for (int i = 0; i < 400; ++i) {
        const std::string font = std::string("SorvaneTest") + static_cast<char>('A' + i % 8) + ".ttf";
        CopyFileA((TestFontDir() + "\\" + font).c_str(), (dir + "\\" + std::to_string(1000 + i) + ".ttf").c_str(), FALSE);
    }
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    Child child;
    ASSERT_TRUE(StartChild(std::string("\"") + exe + "\" " + kScanUntilKilled + " \"" + dir + "\"", child));
    ASSERT_TRUE(WaitForOutput(child, "scanning", 60000));
    const std::vector<DWORD> helpers = ChildProcessesOf(child.process.dwProcessId);
    ASSERT_FALSE(helpers.empty());  // the scan has its helpers

    TerminateProcess(child.process.hProcess, 9);
    ASSERT_EQ(WaitForSingleObject(child.process.hProcess, 5000), WAIT_OBJECT_0);
    for (DWORD helper : helpers) EXPECT_TRUE(ProcessEndsWithin(helper, 5000)) << helper;
    EXPECT_TRUE(ChildProcessesOf(child.process.dwProcessId).empty());
    // Nothing of it holds a file of the folder.
    for (const std::wstring& file : FilesIn(WideFromAnsi(dir), L"*.ttf")) EXPECT_TRUE(DeleteFileW(file.c_str())) << file;
}

// Libraries that Sorvane, or the system on its behalf, loads while it runs. A copy of each lies
// beside a copy of the program: a library searched for by its bare name would be taken from
// there, which its module path shows. (Under Wine the libraries the system loads before the
// program's first instruction, imm32 and version among them, come from beside it whatever the
// program does; they are not planted.)
const char* const kPlantedLibraries[] = {"comctl32.dll", "comdlg32.dll", "ole32.dll",    "oleaut32.dll",
                                         "shell32.dll",  "shlwapi.dll",  "shcore.dll",   "combase.dll",
                                         "rpcrt4.dll",   "propsys.dll",  "winmm.dll",    "msimg32.dll",
                                         "uxtheme.dll",  "winspool.drv", "compstui.dll", "windowscodecs.dll"};

TEST(ProcessTest, EveryLibraryTheProgramLoadsComesFromTheSystemFolderNotFromBesideIt) {
    const std::string dir = FreshTempDir("planted-libraries");
    char systemFolder[MAX_PATH] = {};
    GetSystemDirectoryA(systemFolder, MAX_PATH);
    const std::string system = Lower(systemFolder) + "\\";
    for (const char* library : kPlantedLibraries)
        ASSERT_TRUE(CopyFileA((system + library).c_str(), (dir + "\\" + library).c_str(), FALSE)) << library;
    const std::string exe = dir + "\\sorvane.exe";
    ASSERT_TRUE(CopyFileA((BinDir() + "\\sorvane.exe").c_str(), exe.c_str(), FALSE));

    Child program;
    ASSERT_TRUE(StartChild("\"" + exe + "\"", program));
    ASSERT_NE(WaitForWindows(program.process.dwProcessId, &ProcessWindows::main).main, nullptr);
    // The helper starts once the window is idle, by which time the window has painted.
    const DWORD helper = WaitForChildProcess(program.process.dwProcessId, 20000);
    ASSERT_NE(helper, 0u);

    const std::string planted = Lower(dir) + "\\";
    for (DWORD pid : {program.process.dwProcessId, helper}) {
        std::map<std::string, std::string> modules;
        // A process just started may not have its libraries yet.
        const DWORD until = GetTickCount() + 10000;
        while (!(modules = ModulesOf(pid)).count("gdi32.dll") && static_cast<int>(GetTickCount() - until) < 0) Sleep(20);
        ASSERT_TRUE(modules.count("gdi32.dll")) << pid;  // the list is real
        for (const auto& [name, path] : modules) {
            if (name == "sorvane.exe") continue;
            EXPECT_NE(path.rfind(planted, 0), 0u) << name << " was loaded from beside the program: " << path;
        }
        for (const char* library : kPlantedLibraries) {
            auto loaded = modules.find(library);
            if (loaded != modules.end()) {
                EXPECT_EQ(loaded->second, system + library) << pid;
            }
        }
    }
    // The window's libraries, loaded at run time, were among them (the spooler's is freed again
    // once the printer's fonts are listed).
    const std::map<std::string, std::string> window = ModulesOf(program.process.dwProcessId);
    for (const char* library : {"comctl32.dll", "shell32.dll", "ole32.dll", "shlwapi.dll", "uxtheme.dll", "msimg32.dll"})
        EXPECT_TRUE(window.count(library)) << library << " is not loaded";
}

TEST(ProcessTest, ClosingWithYesEndsTheProgramWithExitCodeZero) {
    std::string exe = BinDir() + "\\sorvane.exe";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ProcessWindows windows = WaitForWindows(pi.dwProcessId, &ProcessWindows::main);
    ASSERT_NE(windows.main, nullptr);

    // "いいえ" first: the program goes on.
    PostMessageA(windows.main, WM_CLOSE, 0, 0);
    windows = WaitForWindows(pi.dwProcessId, &ProcessWindows::question);
    ASSERT_NE(windows.question, nullptr);
    PostMessageA(windows.question, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 500), static_cast<DWORD>(WAIT_TIMEOUT));

    PostMessageA(windows.main, WM_CLOSE, 0, 0);
    windows = WaitForWindows(pi.dwProcessId, &ProcessWindows::question);
    ASSERT_NE(windows.question, nullptr);
    PostMessageA(windows.question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

BOOL CALLBACK CollectChild(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// Every command of the main window's toolbars as a screen reader in another process reads it:
// its entry, and where to press it.
struct ReadCommand {
    AccessibleEntry entry;
    HWND bar = nullptr;
    long child = 0;
};
struct ReadToolbars {
    std::vector<std::string> barNames;
    std::map<std::string, ReadCommand> commands;
};

ReadToolbars ReadMainToolbars(HWND main) {
    ReadToolbars read;
    std::vector<HWND> children;
    EnumChildWindows(main, CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        AccessibleClient client(child);
        EXPECT_EQ(client.Result(), S_OK) << "the object crosses from the program's process";
        AccessibleEntry self = client.Entry(CHILDID_SELF);
        if (self.Role != ROLE_SYSTEM_TOOLBAR) continue;
        read.barNames.push_back(self.Name);
        std::vector<AccessibleEntry> entries = client.Children();
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].Role != ROLE_SYSTEM_SEPARATOR)
                read.commands[entries[i].Name] = ReadCommand{entries[i], child, static_cast<long>(i + 1)};
    }
    return read;
}

const char* const kCommands[] = {"未インストールフォント", "インストール済みフォント", "取得の中止", "バージョン情報", "終了"};

// A screen reader in another process finds the main window's toolbars by their accessible
// role, reads the five commands with their states and presses the About command. Behind the
// modal dialog every command reads unavailable and pressing 終了 is refused: the program and
// its dialog stay as they were.
TEST(ProcessTest, AScreenReaderInAnotherProcessReadsTheCommandsAndPressesAbout) {
    Child program;
    const std::string exe = BinDir() + "\\sorvane.exe";
    ASSERT_TRUE(StartChild("\"" + exe + "\"", program));
    const DWORD pid = program.process.dwProcessId;
    ProcessWindows windows = WaitForWindows(pid, &ProcessWindows::main);
    ASSERT_NE(windows.main, nullptr);

    ReadToolbars read = ReadMainToolbars(windows.main);
    auto& commands = read.commands;
    EXPECT_EQ(read.barNames, (std::vector<std::string>{"ツールバー", "TBToolbar2"}));
    for (const char* name : kCommands) EXPECT_TRUE(commands.count(name)) << name;
    EXPECT_EQ(commands["未インストールフォント"].entry.Role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_TRUE(commands["未インストールフォント"].entry.State & STATE_SYSTEM_CHECKED);
    EXPECT_FALSE(commands["インストール済みフォント"].entry.State & STATE_SYSTEM_CHECKED);
    EXPECT_TRUE(commands["取得の中止"].entry.State & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_FALSE(commands["バージョン情報"].entry.State & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_FALSE(commands["終了"].entry.State & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(commands["バージョン情報"].entry.DefaultAction, "押す");

    const ReadCommand about = commands["バージョン情報"], quit = commands["終了"];
    ASSERT_NE(about.bar, nullptr);
    ASSERT_NE(quit.bar, nullptr);
    EXPECT_EQ(AccessibleClient(about.bar).DoDefaultAction(about.child), S_OK);
    windows = WaitForWindows(pid, &ProcessWindows::about);
    ASSERT_NE(windows.about, nullptr);

    read = ReadMainToolbars(windows.main);
    for (const char* name : kCommands) EXPECT_TRUE(read.commands[name].entry.State & STATE_SYSTEM_UNAVAILABLE) << name;
    EXPECT_NE(AccessibleClient(quit.bar).DoDefaultAction(quit.child), S_OK);
    // Had the press gone through, its question would come before the dialog's close, which is
    // queued behind it.
    PostMessageA(windows.about, WM_CLOSE, 0, 0);
    for (int i = 0; i < 400 && IsWindowVisible(windows.about); ++i) Sleep(25);
    EXPECT_FALSE(IsWindowVisible(windows.about));
    read = ReadMainToolbars(windows.main);  // answered by the program once the dialog is gone
    EXPECT_FALSE(read.commands["終了"].entry.State & STATE_SYSTEM_UNAVAILABLE);
    windows = WaitForWindows(pid, &ProcessWindows::main);
    EXPECT_NE(windows.main, nullptr);
    EXPECT_EQ(windows.question, nullptr) << "終了 ran behind the dialog";
    EXPECT_EQ(WaitForSingleObject(program.process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

}  // namespace
