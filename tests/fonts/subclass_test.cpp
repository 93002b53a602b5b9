#include "fonts/subclass.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "fonts/test_parent_window.h"
#include "widgets/application.h"
#include "widgets/exception.h"

namespace {

// Read before any test runs: no object can have taken an identifier yet.
const int32_t InitialControlId = NextControlId;

std::map<std::string, int>& FreedCount() {
    static std::map<std::string, int> counts;
    return counts;
}

// Names of the objects whose handler was running when they were deleted.
std::vector<std::string>& DeletedInsideHandler() {
    static std::vector<std::string> names;
    return names;
}

// Counts the object's handlers on the stack (other messages nest inside, DestroyWindow sends
// several); the decrement on leaving writes to the object after the handler's work, which must
// not be freed memory by then.
struct InHandler {
    int& depth;
    explicit InHandler(int& d) : depth(d) { ++depth; }
    ~InHandler() { --depth; }
};

// Logs its name into the parent's event log for each message it handles.
class Probe : public TSubClass {
public:
    Probe(HWND parent, std::string name) : TSubClass(parent), name_(std::move(name)) {}
    ~Probe() override {
        ++FreedCount()[name_];
        if (inHandler_ > 0) DeletedInsideHandler().push_back(name_);
    }

    void Register(UINT msg = WM_COMMAND) { MessageDispatcher->RegisterMessage(msg, this); }

    std::function<void(TMessage&)> onMessage;
    LRESULT result = 0;

protected:
    void DefaultHandler(TMessage& message) override {
        InHandler scope(inHandler_);
        ParentLog().events.push_back(name_);
        if (onMessage) onMessage(message);
        if (result) message.Result = result;
    }

private:
    std::string name_;
    int inHandler_ = 0;
};

// A child window of a given class; "no-such-class" makes creation fail.
class SelfProbe : public TSelfSubClass {
public:
    SelfProbe(HWND parent, std::string name, std::string className = "STATIC")
        : TSelfSubClass(parent), name_(std::move(name)), className_(std::move(className)) {}
    ~SelfProbe() override {
        ++FreedCount()[name_];
        if (inHandler_ > 0) DeletedInsideHandler().push_back(name_);
    }

    int afterCreateCalls = 0;
    std::function<void(SelfProbe&, TMessage&)> onMessage;

protected:
    void CreateParams(TAPICreateParams& params) override {
        params.Style = WS_CHILD | WS_VISIBLE;
        params.X = params.Y = 0;
        params.Width = params.Height = 20;
        strncpy(params.ClassName, className_.c_str(), sizeof(params.ClassName) - 1);
    }
    void AfterCreate() override { ++afterCreateCalls; }
    void DefaultHandler(TMessage& message) override {
        InHandler scope(inHandler_);
        if (onMessage) onMessage(*this, message);
    }

private:
    std::string name_;
    std::string className_;
    int inHandler_ = 0;
};

class SubClassTest : public testing::Test {
protected:
    void SetUp() override {
        FreedCount().clear();
        DeletedInsideHandler().clear();
        baseline_ = MessageDispatcher ? MessageDispatcher->SubClassCount() : 0;
    }
    void TearDown() override {
        parent.Destroy();
        EXPECT_TRUE(DeletedInsideHandler().empty());
        EXPECT_EQ(MessageDispatcher->SubClassCount(), baseline_);
    }
    Probe* MakeProbe(const std::string& name, bool registered = true) {
        Probe* probe = CreateOwnedByWindow<Probe>(parent.get(), name);
        if (registered) probe->Register();
        return probe;
    }
    LRESULT Command() { return SendCommand(parent.get(), 1, 0, nullptr); }
    std::vector<std::string>& Events() { return ParentLog().events; }

    TestParent parent;
    int baseline_ = 0;
};

using Log = std::vector<std::string>;

TEST(IntegerListTest, GrowsByItsStepAndKeepsValues) {
    TIntegerList list(2, 3);
    EXPECT_EQ(list.Capacity(), 2);
    for (int i = 0; i < 6; ++i) list.Add(i * 10);
    EXPECT_EQ(list.Capacity(), 8);  // 2, 5, 8
    ASSERT_EQ(list.Count(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(list.Get(i), i * 10);

    TIntegerList defaults(0, 0);
    for (int i = 0; i < 17; ++i) defaults.Add(i);
    EXPECT_EQ(defaults.Capacity(), 32);
}

TEST(IntegerListTest, OutOfRangeIsHarmlessAndDeleteShiftsDown) {
    TIntegerList list;
    for (intptr_t v : {5, 7, 5, 9}) list.Add(v);
    EXPECT_EQ(list.Get(-1), 0);
    EXPECT_EQ(list.Get(4), 0);
    list.Delete(-1);
    list.Delete(4);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.IndexOf(5), 0);
    EXPECT_EQ(list.IndexOf(8), -1);
    list.Delete(0);
    EXPECT_EQ(list.IndexOf(5), 1);
    EXPECT_EQ(list.Get(2), 9);

    TIntegerList target;
    target.Add(1);
    list.CopyTo(target);
    ASSERT_EQ(target.Count(), 3);
    EXPECT_EQ(target.Get(0), 7);
    EXPECT_EQ(target.Get(2), 9);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 16);
}

TEST_F(SubClassTest, TwoObjectsHookTheParentOnceUntilItIsDestroyed) {
    HWND window = parent.get();
    Probe* a = MakeProbe("a");
    Probe* b = MakeProbe("b");
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(window, GWL_WNDPROC)), DispatcherWndProc);
    EXPECT_EQ(MessageDispatcher->OldWndProc(window), TestParentProc);
    Command();
    EXPECT_EQ(Events(), (Log{"parent", "a", "b"}));

    a->Free();
    b->Free();
    EXPECT_TRUE(MessageDispatcher->IsHooked(window));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(window, GWL_WNDPROC)), DispatcherWndProc);
    Events().clear();
    Command();
    EXPECT_EQ(Events(), Log{"parent"});

    parent.Destroy();
    EXPECT_FALSE(MessageDispatcher->IsHooked(window));
    EXPECT_EQ(DispatcherWndProc(window, WM_COMMAND, 1, 0), 0);
    EXPECT_EQ(FreedCount(), (std::map<std::string, int>{{"a", 1}, {"b", 1}}));
}

TEST_F(SubClassTest, DestroyingTheParentFreesEachRemainingObjectOnce) {
    MakeProbe("a");
    Probe* b = MakeProbe("b", false);
    MakeProbe("c", false);
    b->Free();
    parent.Destroy();
    EXPECT_EQ(FreedCount(), (std::map<std::string, int>{{"a", 1}, {"b", 1}, {"c", 1}}));
}

TEST_F(SubClassTest, ControlSeesCommandAfterTheParentAndMayOverrideItsResult) {
    struct Case {
        LRESULT parentResult, controlResult, expected;
    };
    Probe* a = MakeProbe("a");
    MakeProbe("b");
    for (Case c : {Case{7, 0, 7}, Case{7, 9, 9}, Case{0, 0, 0}, Case{0, 3, 3}}) {
        Events().clear();
        ParentLog().commandResult = c.parentResult;
        a->result = c.controlResult;
        EXPECT_EQ(Command(), c.expected);
        // The first non-zero result ends the walk.
        EXPECT_EQ(Events(), (c.controlResult ? Log{"parent", "a"} : Log{"parent", "a", "b"}));
    }
}

TEST_F(SubClassTest, RoutesOnlyRegisteredMessagesToControlsOfThatParent) {
    TestParent other;
    MakeProbe("a");
    MakeProbe("unregistered", false);
    CreateOwnedByWindow<Probe>(other.get(), std::string("elsewhere"))->Register();
    Command();
    SendMessageA(parent.get(), WM_USER, 0, 0);
    EXPECT_EQ(Events(), (Log{"parent", "a"}));
}

TEST_F(SubClassTest, RegistrationDuringAWalkTakesEffectAtTheNextMessage) {
    Probe* a = MakeProbe("a");
    Probe* late = MakeProbe("late", false);
    a->onMessage = [&](TMessage&) {
        late->Register();
        a->onMessage = nullptr;
    };
    Command();
    EXPECT_EQ(Events(), (Log{"parent", "a"}));
    Events().clear();
    Command();
    EXPECT_EQ(Events(), (Log{"parent", "a", "late"}));
}

TEST_F(SubClassTest, NestedMessageAfterAChangeLeavesTheOuterWalkIntact) {
    // x sits before a in the lists; a frees x and sends another command while the outer walk is
    // at a. Refreshing the shared snapshot then would shift b out of the outer walk's reach.
    Probe* x = MakeProbe("x");
    Probe* a = MakeProbe("a");
    MakeProbe("b");
    Command();  // takes the snapshot
    Events().clear();
    bool nested = false;
    a->onMessage = [&](TMessage&) {
        if (nested) return;
        nested = true;
        x->Free();
        Command();
    };
    Command();
    EXPECT_EQ(Events(), (Log{"parent", "x", "a", "parent", "a", "b", "b"}));
}

TEST_F(SubClassTest, HandlerThatDestroysTheParentIsFreedAfterItReturns) {
    Probe* a = MakeProbe("a");
    MakeProbe("b");
    a->onMessage = [&](TMessage&) { DestroyWindow(parent.get()); };
    Command();
    EXPECT_EQ(Events(), (Log{"parent", "a"}));  // b was freed with the parent, not routed to
    EXPECT_EQ(FreedCount(), (std::map<std::string, int>{{"a", 1}, {"b", 1}}));
}

TEST_F(SubClassTest, ExceptionFromAHandlerStopsAtTheWindowProcedure) {
    std::string reported;
    auto previous = Application->OnException;
    Application->OnException = [&](const std::string& message) { reported = message; };
    Probe* a = MakeProbe("a");
    a->onMessage = [](TMessage&) { throw Exception("boom"); };
    ParentLog().commandResult = 4;
    EXPECT_EQ(Command(), 4);
    Application->OnException = previous;
    EXPECT_EQ(reported, "boom");
}

TEST_F(SubClassTest, ChildIdentifiersStartAt400AndCountEveryObject) {
    EXPECT_EQ(InitialControlId, 400);
    SelfProbe* first = CreateOwnedByWindow<SelfProbe>(parent.get(), std::string("first"));
    SelfProbe* second = CreateOwnedByWindow<SelfProbe>(parent.get(), std::string("second"));
    TWindowBound<SelfProbe> failed(parent.get(), std::string("failed"), std::string("no-such-class"));
    EXPECT_EQ(second->ControlId(), first->ControlId() + 1);
    EXPECT_EQ(failed->ControlId(), second->ControlId() + 1);
    EXPECT_EQ(NextControlId, failed->ControlId() + 1);
    EXPECT_EQ(GetDlgCtrlID(first->Handle()), first->ControlId());
    EXPECT_EQ(GetDlgCtrlID(second->Handle()), second->ControlId());
}

TEST_F(SubClassTest, SelfSubClassFindsItselfThroughItsWindow) {
    SelfProbe* probe = CreateOwnedByWindow<SelfProbe>(parent.get(), std::string("self"));
    HWND child = probe->Handle();
    ASSERT_TRUE(IsWindow(child));
    EXPECT_EQ(probe->afterCreateCalls, 1);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(child, GWL_WNDPROC)), SelfSubClassWndProc);
    EXPECT_EQ(GetPropA(child, "OBJECT"), static_cast<TSubClass*>(probe));
    probe->onMessage = [](SelfProbe&, TMessage& m) {
        if (m.Msg == WM_USER + 1) m.Result = 42;
    };
    EXPECT_EQ(SendMessageA(child, WM_USER + 1, 0, 0), 42);
    // The window's own procedure still answers the rest.
    SetWindowTextA(child, "label");
    char text[16] = {};
    GetWindowTextA(child, text, sizeof text);
    EXPECT_STREQ(text, "label");
}

TEST_F(SubClassTest, DestroyingTheWindowFreesItsObjectOnce) {
    SelfProbe* probe = CreateOwnedByWindow<SelfProbe>(parent.get(), std::string("self"));
    DestroyWindow(probe->Handle());
    EXPECT_EQ(FreedCount()["self"], 1);
    parent.Destroy();
    EXPECT_EQ(FreedCount()["self"], 1);
}

TEST_F(SubClassTest, FreeingDetachesButLeavesTheWindow) {
    SelfProbe* probe = CreateOwnedByWindow<SelfProbe>(parent.get(), std::string("self"));
    HWND child = probe->Handle();
    auto original = reinterpret_cast<LONG>(GetPropA(child, "WNDPROC"));
    probe->Free();
    EXPECT_TRUE(IsWindow(child));
    EXPECT_EQ(GetWindowLongA(child, GWL_WNDPROC), original);
    EXPECT_EQ(GetPropA(child, "OBJECT"), nullptr);
    EXPECT_EQ(GetPropA(child, "WNDPROC"), nullptr);
    DestroyWindow(child);
    EXPECT_EQ(FreedCount()["self"], 1);
}

WNDPROC chainedProc = nullptr;
int chainedCalls = 0;
LRESULT CALLBACK ChainedProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    ++chainedCalls;
    return CallWindowProcA(chainedProc, window, msg, wParam, lParam);
}

TEST_F(SubClassTest, FreeingUnderAnotherSubclassKeepsTheChain) {
    SelfProbe* probe = CreateOwnedByWindow<SelfProbe>(parent.get(), std::string("self"));
    HWND child = probe->Handle();
    chainedCalls = 0;
    chainedProc = reinterpret_cast<WNDPROC>(
        SetWindowLongA(child, GWL_WNDPROC, reinterpret_cast<LONG>(ChainedProc)));
    probe->Free();
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(child, GWL_WNDPROC)), ChainedProc);
    SetWindowTextA(child, "still");
    char text[16] = {};
    GetWindowTextA(child, text, sizeof text);
    EXPECT_STREQ(text, "still");
    EXPECT_GE(chainedCalls, 2);
    DestroyWindow(child);
    EXPECT_EQ(FreedCount()["self"], 1);
}

TEST_F(SubClassTest, HandlerThatDestroysItsOwnWindowIsFreedAfterItReturns) {
    SelfProbe* probe = CreateOwnedByWindow<SelfProbe>(parent.get(), std::string("self"));
    HWND child = probe->Handle();
    probe->onMessage = [](SelfProbe& self, TMessage& m) {
        if (m.Msg == WM_USER + 2) DestroyWindow(self.Handle());
    };
    SendMessageA(child, WM_USER + 2, 0, 0);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(FreedCount()["self"], 1);
}

TEST_F(SubClassTest, GuardDestroysTheWindowAndCopesWithAnEarlierEnd) {
    HWND child = nullptr;
    {
        TWindowBound<SelfProbe> bound(parent.get(), std::string("scoped"));
        child = bound->Handle();
        ASSERT_TRUE(IsWindow(child));
    }
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(FreedCount()["scoped"], 1);

    TWindowBound<SelfProbe> outlived(parent.get(), std::string("outlived"));
    TWindowBound<Probe> plain(parent.get(), std::string("plain"));
    parent.Destroy();
    EXPECT_FALSE(outlived);
    EXPECT_FALSE(plain);
    outlived.Close();
    plain.Close();
    EXPECT_EQ(FreedCount()["outlived"], 1);
    EXPECT_EQ(FreedCount()["plain"], 1);
}

TEST_F(SubClassTest, FailedWindowStillRegistersAndTheGuardFreesIt) {
    {
        TWindowBound<SelfProbe> failed(parent.get(), std::string("failed"), std::string("no-such-class"));
        EXPECT_EQ(failed->Handle(), nullptr);
        EXPECT_EQ(failed->afterCreateCalls, 1);
        EXPECT_TRUE(MessageDispatcher->Contains(failed.get()));
    }
    EXPECT_EQ(FreedCount()["failed"], 1);
}

}  // namespace
