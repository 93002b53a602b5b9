#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "widgets/form.h"
#include "widgets/panel.h"

namespace {

// A popup of a class of its own that records the creation messages it sees.
class RecordingPopup : public TWinControl {
public:
    RecordingPopup(TComponent* owner, HWND ownerWindow) : TWinControl(owner), ownerWindow_(ownerWindow) {}

    std::vector<UINT> creationMessages;
    HWND boundAtNcCreate = nullptr;

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_NCCREATE || msg == WM_NCCALCSIZE || msg == WM_CREATE) creationMessages.push_back(msg);
        if (msg == WM_NCCREATE) boundAtNcCreate = HandleOrNull();
        return TWinControl::WndProc(msg, wParam, lParam);
    }

protected:
    void CreateParams(TCreateParams& params) override {
        TWinControl::CreateParams(params);
        params.WinClassName = "SorvaneTestPopup";
        params.WindowClassStyle = CS_SAVEBITS | CS_DROPSHADOW;
        params.Style = WS_POPUP;
        params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
        params.WndParent = ownerWindow_;
    }

private:
    HWND ownerWindow_;
};

TEST(WindowClass, AnOwnClassPopupIsBoundFromNcCreateAndOwnedNotParented) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 150);
    form.Show();
    RecordingPopup popup(nullptr, form.Handle());
    popup.SetBounds(20, 20, 60, 40);
    HWND window = popup.Handle();
    ASSERT_NE(window, nullptr);

    std::vector<UINT> firstThree(popup.creationMessages.begin(),
                                 popup.creationMessages.begin() + std::min<size_t>(3, popup.creationMessages.size()));
    EXPECT_EQ(firstThree, (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}));
    EXPECT_EQ(popup.boundAtNcCreate, window);

    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    EXPECT_STREQ(cls, "SorvaneTestPopup");
    DWORD classStyle = GetClassLongA(window, GCL_STYLE);
    EXPECT_EQ(classStyle & (CS_SAVEBITS | CS_DROPSHADOW), DWORD(CS_SAVEBITS | CS_DROPSHADOW));
    EXPECT_EQ(classStyle & (CS_HREDRAW | CS_VREDRAW), 0u);
    EXPECT_EQ(GetWindow(window, GW_OWNER), form.Handle());
    EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(TWinControl::FromHandle(window), &popup);
}

}  // namespace

namespace {

// Logs the window's creation and the re-creation notices. (The object is unbound before its
// window is destroyed, so it never sees WM_DESTROY.)
class LifeLog : public TPanel {
public:
    LifeLog(TComponent* owner, std::vector<std::string>& log) : TPanel(owner), log_(log) {}

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CREATE) log_.push_back("create");
        return TPanel::WndProc(msg, wParam, lParam);
    }

protected:
    void RecreatingWnd() override { log_.push_back("recreating"); }
    void AfterCreateWnd() override { log_.push_back("created"); }

private:
    std::vector<std::string>& log_;
};

TEST(Reparenting, MovesTheLiveWindowAndKeepsTheCaptureOfADrag) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* first = TComponent::Create<TPanel>(&form);
    first->SetBounds(0, 0, 150, 200);
    first->SetParent(&form);
    auto* second = TComponent::Create<TPanel>(&form);
    second->SetBounds(150, 0, 150, 200);
    second->SetParent(&form);
    form.Show();
    std::vector<std::string> log;
    auto* moving = TComponent::Create<LifeLog>(&form, log);
    moving->SetBounds(10, 20, 50, 30);
    moving->SetParent(first);
    HWND window = moving->Handle();
    ASSERT_EQ(log, (std::vector<std::string>{"create", "created"}));
    log.clear();

    SetCapture(window);  // a drag in progress
    moving->SetParent(second);
    EXPECT_EQ(moving->HandleOrNull(), window);
    EXPECT_EQ(GetCapture(), window);
    EXPECT_EQ(GetParent(window), second->HandleOrNull());
    EXPECT_EQ(first->ControlCount(), 0);
    ASSERT_EQ(second->ControlCount(), 1);
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, second->HandleOrNull(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(moving->Left(), 10);

    // Out to the desktop as a popup owned by nobody, then back in as a child.
    moving->SetParent(nullptr);
    EXPECT_EQ(moving->HandleOrNull(), window);
    EXPECT_EQ(GetCapture(), window);
    EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CHILD);
    moving->SetParent(first);
    style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_POPUP);
    EXPECT_EQ(GetCapture(), window);
    ReleaseCapture();
    EXPECT_TRUE(log.empty()) << "moving the window made a new one";

    moving->RecreateWnd();
    EXPECT_NE(moving->HandleOrNull(), window);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetParent(moving->HandleOrNull()), first->HandleOrNull());
    EXPECT_EQ(log, (std::vector<std::string>{"recreating", "create", "created"}));
}

}  // namespace

namespace {

constexpr UINT kReleaseAndNest = WM_APP, kNested = WM_APP + 1;

// Releases itself inside a message and goes on using itself in a nested one.
class SelfReleasing : public TPanel {
public:
    SelfReleasing(TComponent* owner, std::vector<std::string>& log) : TPanel(owner), log_(log) {}
    ~SelfReleasing() override { log_.push_back("freed"); }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kReleaseAndNest) {
            Release();
            SendMessageA(HandleOrNull(), kNested, 0, 0);
            log_.push_back("outer still runs with " + Caption());
            return 0;
        }
        if (msg == kNested) {
            log_.push_back("nested");
            return 0;
        }
        return TPanel::WndProc(msg, wParam, lParam);
    }

private:
    std::vector<std::string>& log_;
};

TEST(DeferredFree, AReleasedControlGoesWhenItsOutermostMessageReturnsOrFromTheLoop) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 150);
    form.Show();
    std::vector<std::string> log;
    auto* inside = TComponent::Create<SelfReleasing>(&form, log);
    inside->SetCaption("its caption");
    inside->SetParent(&form);
    HWND window = inside->Handle();
    int components = form.ComponentCount();
    SendMessageA(window, kReleaseAndNest, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"nested", "outer still runs with its caption", "freed"}));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(form.ComponentCount(), components - 1);

    // Released from outside its messages: the caller may go on using it until the loop runs.
    log.clear();
    auto* outside = TComponent::Create<SelfReleasing>(&form, log);
    outside->SetParent(&form);
    outside->Release();
    outside->SetCaption("still usable");
    EXPECT_TRUE(log.empty());
    ASSERT_TRUE(PumpUntil([&] { return !log.empty(); }));
    EXPECT_EQ(log, std::vector<std::string>{"freed"});

    // Freed by its owner before the loop came round: freed once.
    log.clear();
    auto* early = TComponent::Create<SelfReleasing>(&form, log);
    early->Release();
    delete early;
    PumpFor(30);
    EXPECT_EQ(log, std::vector<std::string>{"freed"});
}

}  // namespace
