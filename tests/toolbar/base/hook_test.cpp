#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "toolbar/base/services_fixture.h"
#include "toolbar/base/hook.h"

namespace {

// What the clients heard about the test's window, as "<client> <kind>".
struct HookLog {
    HWND Window = nullptr;
    std::vector<std::string> Entries;
    std::function<void(char client)> OnCall;  // acts from inside a client's call
};
HookLog& Log() {
    static HookLog log;
    return log;
}

template <char Name>
void Client(TTBHookKind kind, HWND window, WPARAM, LPARAM) {
    if (window != Log().Window) return;
    static const char* kinds[] = {"activate", "moved", "destroyed", "getmessage"};
    Log().Entries.push_back(std::string(1, Name) + " " + kinds[kind]);
    if (Log().OnCall) Log().OnCall(Name);
}
constexpr TTBHookProc A = Client<'A'>, B = Client<'B'>, C = Client<'C'>;

class Hooks : public testing::Test {
protected:
    void SetUp() override { Log() = HookLog{}; }
    void TearDown() override {
        for (TTBHookProc proc : {A, B, C, A}) RemoveHookClient(proc);
        Log() = HookLog{};
    }
    static void Move(HWND w, int x) { SetWindowPos(w, nullptr, x, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); }
};

TEST_F(Hooks, UseCountsBalanceHoweverOftenAClientRegisters) {
    InstallHookClient(A, {hkActivateApp, hkWindowPosChanged}, false);
    InstallHookClient(A, {hkActivateApp}, false);
    InstallHookClient(B, {hkWindowPosChanged, hkWindowDestroyed}, false);
    InstallHookClient(C, {hkGetMessage}, true);  // design mode: registered, nothing hooked
    EXPECT_EQ(HookUseCountFor(hkWindowPosChanged), 2);
    EXPECT_FALSE(HookInstalledFor(hkGetMessage));
    RemoveHookClient(A);
    EXPECT_EQ(HookUseCountFor(hkActivateApp), 2) << "A is still registered once";
    RemoveHookClient(A);
    RemoveHookClient(A);  // no longer registered: changes nothing
    EXPECT_EQ(HookUseCountFor(hkActivateApp), 1);
    RemoveHookClient(B);
    RemoveHookClient(C);
    for (TTBHookKind kind : {hkActivateApp, hkWindowDestroyed, hkGetMessage}) {
        EXPECT_EQ(HookUseCountFor(kind), 0) << kind;
        EXPECT_FALSE(HookInstalledFor(kind)) << kind;
    }
    EXPECT_EQ(HookClientCount(), 0);
}

TEST_F(Hooks, ClientsHearTheirKindsInOrderAndMayRemoveClientsFromInsideACall) {
    InstallHookClient(A, {hkWindowPosChanged, hkWindowDestroyed}, false);
    InstallHookClient(B, {hkWindowPosChanged}, false);
    InstallHookClient(C, {hkWindowPosChanged, hkWindowDestroyed}, false);
    auto window = std::make_unique<ProbeWindow>(RECT{0, 0, 50, 50});
    Log().Window = window->get();
    Move(window->get(), 10);
    // A removes itself and B, which is then not called; C's error is swallowed.
    Log().OnCall = [](char client) {
        if (client == 'A') {
            RemoveHookClient(A);
            RemoveHookClient(B);
        }
        if (client == 'C') throw std::runtime_error("a failing client");
    };
    Move(window->get(), 20);
    window.reset();
    EXPECT_EQ(Log().Entries, (std::vector<std::string>{"A moved", "B moved", "C moved", "A moved", "C moved",
                                                       "C destroyed"}));
}

}  // namespace
