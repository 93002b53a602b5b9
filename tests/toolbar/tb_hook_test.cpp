#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "toolbar/services_fixture.h"
#include "toolbar/tb_hook.h"
#include "widgets/application.h"

namespace {

// What the clients heard, for one window of the test, as "<client> <kind>".
struct HookLog {
    static HookLog& Get() {
        static HookLog log;
        return log;
    }
    HWND Window = nullptr;
    std::vector<std::string> Entries;
    std::function<void(const char* client)> OnCall;  // lets a test act from inside a client

    void Record(const char* client, TTBHookKind kind, HWND window, LPARAM lParam) {
        if (kind == hkGetMessage) {
            const MSG* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg->hwnd != Window || msg->message != WM_USER + 5) return;
        } else if (window != Window) {
            return;
        }
        static const char* names[] = {"activate", "poschanged", "destroyed", "getmessage"};
        Entries.push_back(std::string(client) + " " + names[kind]);
        if (OnCall) OnCall(client);
    }
};

void ClientA(TTBHookKind kind, HWND window, WPARAM, LPARAM lParam) { HookLog::Get().Record("A", kind, window, lParam); }
void ClientB(TTBHookKind kind, HWND window, WPARAM, LPARAM lParam) { HookLog::Get().Record("B", kind, window, lParam); }
void ClientC(TTBHookKind kind, HWND window, WPARAM, LPARAM lParam) { HookLog::Get().Record("C", kind, window, lParam); }

class Hooks : public testing::Test {
protected:
    void SetUp() override { HookLog::Get() = HookLog{}; }
    void TearDown() override {
        // No test registers a client more than twice; removing an absent one does nothing.
        for (TTBHookProc proc : {ClientA, ClientB, ClientC})
            for (int i = 0; i < 2; ++i) RemoveHookClient(proc);
        EXPECT_EQ(HookClientCount(), 0);
        HookLog::Get() = HookLog{};
    }
    static std::vector<std::string>& Entries() { return HookLog::Get().Entries; }
};

TEST_F(Hooks, UseCountsBalanceHoweverOftenAClientRegisters) {
    InstallHookClient(ClientA, {hkActivateApp, hkWindowPosChanged}, false);
    InstallHookClient(ClientA, {hkActivateApp}, false);
    InstallHookClient(ClientB, {hkWindowPosChanged, hkWindowDestroyed}, false);
    InstallHookClient(ClientC, {hkGetMessage}, true);  // design mode: registered, nothing hooked
    EXPECT_EQ(HookClientCount(), 3);
    EXPECT_EQ(HookUseCountFor(hkWindowPosChanged), 2);
    EXPECT_EQ(HookUseCountFor(hkWindowDestroyed), 1);
    EXPECT_FALSE(HookInstalledFor(hkGetMessage));
    EXPECT_TRUE(HookInstalledFor(hkActivateApp));

    RemoveHookClient(ClientA);
    EXPECT_EQ(HookUseCountFor(hkActivateApp), 2) << "A is still registered once";
    RemoveHookClient(ClientA);
    EXPECT_EQ(HookUseCountFor(hkActivateApp), 1);
    RemoveHookClient(ClientA);  // no longer registered: nothing changes
    RemoveHookClient(ClientB);
    EXPECT_EQ(HookUseCountFor(hkActivateApp), 0);
    EXPECT_EQ(HookUseCountFor(hkWindowDestroyed), 0);
    EXPECT_FALSE(HookInstalledFor(hkActivateApp));
    EXPECT_FALSE(HookInstalledFor(hkWindowDestroyed));
    RemoveHookClient(ClientC);
    EXPECT_EQ(HookClientCount(), 0);
}

TEST_F(Hooks, ClientsHearTheirKindsOfEventsInRegistrationOrder) {
    InstallHookClient(ClientA, {hkWindowPosChanged, hkWindowDestroyed}, false);
    InstallHookClient(ClientB, {hkWindowDestroyed}, false);
    auto window = std::make_unique<ProbeWindow>(RECT{0, 0, 50, 50});
    HookLog::Get().Window = window->get();
    SetWindowPos(window->get(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    window.reset();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"A poschanged", "A destroyed", "B destroyed"}));
}

TEST_F(Hooks, AClientMayRemoveItselfOrALaterClientFromInsideItsCall) {
    InstallHookClient(ClientA, {hkWindowPosChanged}, false);
    InstallHookClient(ClientB, {hkWindowPosChanged}, false);
    InstallHookClient(ClientC, {hkWindowPosChanged}, false);
    HookLog::Get().OnCall = [](const char* client) {
        if (std::string(client) != "A") return;
        RemoveHookClient(ClientA);
        RemoveHookClient(ClientB);
    };
    ProbeWindow window(RECT{0, 0, 50, 50});
    HookLog::Get().Window = window.get();
    SetWindowPos(window.get(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(window.get(), nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"A poschanged", "C poschanged", "C poschanged"}));
    EXPECT_EQ(HookUseCountFor(hkWindowPosChanged), 1);
}

TEST_F(Hooks, AnErrorInOneClientNeitherEscapesNorSilencesTheOthers) {
    InstallHookClient(ClientA, {hkWindowPosChanged}, false);
    InstallHookClient(ClientB, {hkWindowPosChanged}, false);
    HookLog::Get().OnCall = [](const char* client) {
        if (std::string(client) == "A") throw std::runtime_error("client failed");
    };
    ProbeWindow window(RECT{0, 0, 50, 50});
    HookLog::Get().Window = window.get();
    SetWindowPos(window.get(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"A poschanged", "B poschanged"}));
}

// Blanks the test message while asked to, as the menu bar does with the keys it takes.
bool& BlankTestMessages() {
    static bool blank = false;
    return blank;
}
void Blanker(TTBHookKind kind, HWND, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (kind != hkGetMessage || msg->hwnd != HookLog::Get().Window || msg->message != WM_USER + 5) return;
    HookLog::Get().Entries.push_back(wParam == PM_REMOVE ? "blanker removed" : "blanker peeked");
    if (wParam == PM_REMOVE && BlankTestMessages()) msg->message = WM_NULL;
}

TEST_F(Hooks, AGetMessageClientSeesRemovedMessagesAndCanBlankThem) {
    BlankTestMessages() = false;
    InstallHookClient(ClientA, {hkGetMessage}, false);
    InstallHookClient(Blanker, {hkGetMessage}, false);
    ProbeWindow window(RECT{0, 0, 50, 50});
    int received = 0;
    window.OnMessage = [&](UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_USER + 5) ++received;
        return false;
    };
    HookLog::Get().Window = window.get();

    PostMessageA(window.get(), WM_USER + 5, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return received == 1; }));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"A getmessage", "blanker removed"}));

    BlankTestMessages() = true;
    PostMessageA(window.get(), WM_USER + 5, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return Entries().size() == 4; }));
    Application->ProcessMessages();
    EXPECT_EQ(received, 1) << "the blanked message never reached the window";
    RemoveHookClient(Blanker);
    BlankTestMessages() = false;
}

}  // namespace
