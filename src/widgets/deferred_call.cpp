#include "widgets/deferred_call.h"

#include <deque>
#include <memory>

#include "widgets/message_window.h"

namespace {

// User-interface thread only, like every window of the program.
struct DeferredCalls {
    std::deque<std::function<void()>> queue;
    std::unique_ptr<TMessageWindow> window;
};

DeferredCalls& Calls() {
    static DeferredCalls calls;
    return calls;
}

// One message per call. A message that finds the queue empty (its window was replaced, or a
// stray post) does nothing.
bool RunNextCall(UINT msg, LRESULT& result) {
    if (msg != WM_DEFERREDCALL) return false;
    result = 0;
    auto& queue = Calls().queue;
    if (queue.empty()) return true;
    // Taken off the queue before it runs: the call may post, release the window or end the
    // program, and nothing here is touched after it returns.
    std::function<void()> call = std::move(queue.front());
    queue.pop_front();
    if (call) call();
    return true;
}

}  // namespace

void PostDeferredCall(std::function<void()> call) {
    DeferredCalls& calls = Calls();
    if (!calls.window) {
        calls.window = std::make_unique<TMessageWindow>(
            [](UINT msg, WPARAM, LPARAM, LRESULT& result) { return RunNextCall(msg, result); });
    }
    calls.queue.push_back(std::move(call));
    PostMessageA(calls.window->Handle(), WM_DEFERREDCALL, 0, 0);
}

int PendingDeferredCalls() { return static_cast<int>(Calls().queue.size()); }

HWND DeferredCallWindow() {
    const auto& window = Calls().window;
    return window ? window->Handle() : nullptr;
}

void ReleaseIdleDeferredCallWindow() {
    DeferredCalls& calls = Calls();
    if (calls.queue.empty()) calls.window.reset();
}
