#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "widgets/application.h"
#include "widgets/deferred_call.h"
#include "widgets/exception.h"
#include "widgets/message_window.h"
#include "widgets/timer.h"

namespace {

using Log = std::vector<std::string>;

TEST(DeferredCall, RunsLaterInPostingOrderAndMayPostAgain) {
    Log log;
    PostDeferredCall([&] {
        log.push_back("first");
        PostDeferredCall([&] { log.push_back("posted by first"); });
    });
    PostDeferredCall([&] { log.push_back("second"); });
    log.push_back("posting done");
    ASSERT_TRUE(PumpUntil([&] { return PendingDeferredCalls() == 0; }));
    EXPECT_EQ(log, (Log{"posting done", "first", "second", "posted by first"}));
}

TEST(DeferredCall, ErrorsGoToTheApplicationAndTheWindowMayGoFromInsideACall) {
    Log errors;
    Application->OnException = [&](const std::string& m) { errors.push_back(m); };
    bool after = false;
    PostDeferredCall([] { throw Exception("deferred failure"); });
    PostDeferredCall([] { ReleaseIdleDeferredCallWindow(); });
    ASSERT_TRUE(PumpUntil([&] { return PendingDeferredCalls() == 0 && DeferredCallWindow() == nullptr; }));
    PostDeferredCall([&] { after = true; });  // a new window
    ASSERT_TRUE(PumpUntil([&] { return after; }));
    Application->OnException = nullptr;
    EXPECT_EQ(errors, Log{"deferred failure"});
}

TEST(MessageWindow, AHandlerMayFreeItsOwnWindow) {
    std::unique_ptr<TMessageWindow> window;
    window = std::make_unique<TMessageWindow>([&](UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != WM_APP) return false;
        window.reset();
        result = 42;
        return true;
    });
    HWND handle = window->Handle();
    EXPECT_EQ(SendMessageA(handle, WM_APP, 0, 0), 42);
    EXPECT_EQ(window, nullptr);
    EXPECT_FALSE(IsWindow(handle));
}

TEST(Timer, FiresFromTheMessageLoopUntilDisabled) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(10);
    timer.OnTimer = [&](TComponent*) {
        if (++ticks == 3) timer.SetEnabled(false);
    };
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    PumpFor(60);
    EXPECT_EQ(ticks, 3);
}

}  // namespace
