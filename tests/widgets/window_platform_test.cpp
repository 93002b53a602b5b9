#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "widgets/edit.h"
#include "widgets/form.h"
#include "widgets/message_window.h"
#include "widgets/paint_buffer.h"
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

// A system edit control that records the creation messages it sees.
class RecordingEdit : public TEdit {
public:
    using TEdit::TEdit;
    std::vector<UINT> creationMessages;

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_NCCREATE || msg == WM_NCCALCSIZE || msg == WM_CREATE) creationMessages.push_back(msg);
        return TEdit::WndProc(msg, wParam, lParam);
    }
};

TEST(WindowClass, ASubclassedSystemControlSeesItsCreationMessagesToo) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 150);
    auto* edit = TComponent::Create<RecordingEdit>(&form);
    edit->SetBounds(10, 10, 100, 24);
    edit->SetCaption("typed");
    edit->SetParent(&form);
    form.Show();
    HWND window = edit->Handle();
    ASSERT_GE(edit->creationMessages.size(), 3u);
    std::vector<UINT> firstThree(edit->creationMessages.begin(), edit->creationMessages.begin() + 3);
    EXPECT_EQ(firstThree, (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}));
    char text[16] = {};
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "typed") << "the edit's own procedure still made the window";
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

namespace {

constexpr COLORREF kFrameColour = RGB(255, 0, 0), kFaceColour = RGB(0, 128, 0), kSwatchColour = RGB(0, 0, 255);

// A control with a frame of its own, four pixels wide, that answers HTCAPTION over it.
class FramedBox : public TWinControl {
public:
    using TWinControl::TWinControl;
    static constexpr int kFrame = 4;

protected:
    bool CalcNonClientSize(RECT& rect) override {
        InflateRect(&rect, -kFrame, -kFrame);
        return true;
    }
    bool PaintNonClient(HRGN update) override {
        WindowFrameDC dc(HandleOrNull(), update);
        BrushHandle red(CreateSolidBrush(kFrameColour));
        RECT all{0, 0, Width(), Height()};
        FillRect(dc.get(), &all, red.get());
        return true;
    }
    bool NonClientHitTest(POINT screenPoint, LRESULT& hit) override {
        POINT p = ScreenToClient(screenPoint);
        RECT client = ClientRect();
        hit = PtInRect(&client, p) ? HTCLIENT : HTCAPTION;
        return true;
    }
    void PaintWindow(TCanvas& canvas) override {
        canvas.Brush().SetColor(kFaceColour);
        canvas.FillRect(ClientRect());
    }
};

// A windowless square of one colour.
class Swatch : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    void Paint(TCanvas& canvas) override {
        canvas.Brush().SetColor(kSwatchColour);
        canvas.FillRect(RECT{0, 0, Width(), Height()});
    }
};

class PaintingTest : public testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 300, 200);
        form->Show();
        box = TComponent::Create<FramedBox>(form.get());
        box->SetBounds(10, 10, 100, 60);
        box->SetParent(form.get());
        swatch = TComponent::Create<Swatch>(form.get());
        swatch->SetBounds(50, 20, 10, 10);
        swatch->SetParent(box);
    }
    std::unique_ptr<TForm> form;
    FramedBox* box = nullptr;
    Swatch* swatch = nullptr;
};

TEST_F(PaintingTest, AnOwnFrameIsSizedPaintedAndHitTestedByTheControl) {
    HWND window = box->Handle();
    RECT client = box->ClientRect();
    EXPECT_EQ(client.right, 100 - 2 * FramedBox::kFrame);
    EXPECT_EQ(client.bottom, 60 - 2 * FramedBox::kFrame);
    RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetWindowDC(window);
    EXPECT_EQ(GetPixel(dc, 1, 1), kFrameColour);
    EXPECT_EQ(GetPixel(dc, FramedBox::kFrame + 2, FramedBox::kFrame + 2), kFaceColour);
    ReleaseDC(window, dc);

    POINT onFrame = box->ClientToScreen(POINT{-2, 10}), inside = box->ClientToScreen(POINT{10, 10});
    EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(onFrame.x, onFrame.y)), HTCAPTION);
    EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(inside.x, inside.y)), HTCLIENT);
}

TEST_F(PaintingTest, PrintClientPaintsLikeThePaintMessageWindowlessChildrenIncluded) {
    box->Handle();
    MemoryDC memory;
    WindowDC screen(nullptr);
    BitmapHandle bitmap(CreateCompatibleBitmap(screen.get(), 100, 60));
    ScopedSelect select(memory.get(), bitmap.get());
    SendMessageA(box->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()), PRF_CLIENT);
    EXPECT_EQ(GetPixel(memory.get(), 2, 2), kFaceColour);
    EXPECT_EQ(GetPixel(memory.get(), 55, 25), kSwatchColour);
    EXPECT_EQ(GetPixel(memory.get(), 65, 25), kFaceColour);
}

TEST_F(PaintingTest, DoubleBufferedPaintingReusesOneBitmapAndPaintsAnOffsetAreaInPlace) {
    HWND window = box->Handle();
    box->SetDoubleBuffered(true);
    UpdateWindow(window);
    ReleasePaintBuffer();
    auto handles = [] { return HandleCounters::GdiObjects() + HandleCounters::DeviceContexts(); };
    long before = handles();
    // Only the swatch's area is painted, through the buffer, at its place in the window.
    RECT area = swatch->BoundsRect();
    InflateRect(&area, 5, 5);
    InvalidateRect(window, &area, TRUE);
    UpdateWindow(window);
    long afterFirst = handles();
    EXPECT_GT(afterFirst, before) << "no buffer was made";
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    EXPECT_EQ(handles(), afterFirst) << "a second paint made a bitmap of its own";

    WindowDC dc(window);
    EXPECT_EQ(GetPixel(dc.get(), 55, 25), kSwatchColour);
    EXPECT_EQ(GetPixel(dc.get(), 47, 25), kFaceColour);
    EXPECT_EQ(GetPixel(dc.get(), 85, 45), kFaceColour);
}

}  // namespace

namespace {

class TwoTimers : public TPanel {
public:
    using TPanel::TPanel;
    std::map<UINT_PTR, int> ticks;

protected:
    void Timer(UINT_PTR id) override { ++ticks[id]; }
};

TEST(WindowTimers, SeveralTimersReachTheControlByIdAndOutliveARecreation) {
    TForm form(nullptr);
    auto* control = TComponent::Create<TwoTimers>(&form);
    control->SetParent(&form);
    control->StartTimer(7, 10);  // before the window exists
    form.Show();
    control->StartTimer(9, 10);
    ASSERT_TRUE(PumpUntil([&] { return control->ticks[7] >= 2 && control->ticks[9] >= 2; }));

    control->StopTimer(7);
    int stoppedAt = control->ticks[7];
    control->RecreateWnd();
    int before = control->ticks[9];
    ASSERT_TRUE(PumpUntil([&] { return control->ticks[9] >= before + 3; }));
    EXPECT_EQ(control->ticks[7], stoppedAt);
    EXPECT_EQ(control->ticks.size(), 2u) << "a timer of another id reached the control";
}

}  // namespace

namespace {

constexpr UINT kProbe = WM_APP + 5;

TEST(MessageLoop, FiltersRunNewestFirstBeforeDispatch) {
    std::vector<std::string> log;
    TMessageWindow window([&](UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != kProbe) return false;
        log.push_back("window");
        result = 0;
        return true;
    });
    auto isProbe = [&](const MSG& m) { return m.hwnd == window.Handle() && m.message == kProbe; };
    int older = Application->AddMessageFilter([&](MSG& m) {
        if (isProbe(m)) log.push_back("older");
        return false;
    });
    int newer = Application->AddMessageFilter([&](MSG& m) {
        if (!isProbe(m)) return false;
        log.push_back("newer");
        return true;
    });
    PostMessageA(window.Handle(), kProbe, 0, 0);
    PumpFor(20);
    EXPECT_EQ(log, std::vector<std::string>{"newer"});

    Application->RemoveMessageFilter(newer);
    PostMessageA(window.Handle(), kProbe, 0, 0);
    PumpFor(20);
    Application->RemoveMessageFilter(older);
    EXPECT_EQ(log, (std::vector<std::string>{"newer", "older", "window"}));
}

TEST(MessageLoop, AnEmptyQueueRunsTheIdleStepThenWaitsWithoutTakingTheMessage) {
    TMessageWindow window([](UINT, WPARAM, LPARAM, LRESULT&) { return false; });
    PumpFor(20);
    int idles = 0;
    Application->OnIdle = [&](bool& done) {
        // Asks once more before the wait.
        done = ++idles >= 2;
    };
    SetTimer(window.Handle(), 1, 100, nullptr);
    Application->HandleMessage();  // idle, asks again
    EXPECT_EQ(idles, 1);
    Application->HandleMessage();  // idle, then waits for the timer
    EXPECT_EQ(idles, 2);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, window.Handle(), WM_TIMER, WM_TIMER, PM_NOREMOVE)) << "the wait took the message";
    EXPECT_TRUE(Application->WaitForMessage(0)) << "a message already seen still counts";
    KillTimer(window.Handle(), 1);
    Application->OnIdle = nullptr;
}

// Logs the keys it gets, leaving Alt characters to the menu.
class KeyLog : public TPanel {
public:
    KeyLog(TComponent* owner, std::vector<std::string>& log) : TPanel(owner), log_(log) {}

protected:
    void KeyDown(WORD key, TShiftState) override { log_.push_back(std::string("key down ") + char(key)); }
    bool SysKeyPress(char key) override {
        log_.push_back(std::string("sys char ") + key);
        return false;
    }

private:
    std::vector<std::string>& log_;
};

TEST(MessageLoop, AltKeysReachTheControlAndTheKeyboardMenuGoesToItsForm) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 150);
    std::vector<std::string> log;
    auto* control = TComponent::Create<KeyLog>(&form, log);
    control->SetParent(&form);
    form.Show();
    form.OnKeyMenu = [&](TComponent* sender, char key, bool& handled) {
        log.push_back(std::string("form menu ") + key + (sender == &form ? " (form)" : ""));
        handled = true;
    };
    const LPARAM altDown = 1 | (LPARAM(KF_ALTDOWN) << 16);
    SendMessageA(control->Handle(), WM_SYSKEYDOWN, 'F', altDown);
    SendMessageA(control->Handle(), WM_SYSCHAR, 'f', altDown);
    EXPECT_EQ(log, (std::vector<std::string>{"key down F", "sys char f", "form menu f (form)"}));
}

}  // namespace

namespace {

// A panel that tells when alignment has resized it.
class ResizeHook : public TPanel {
public:
    using TPanel::TPanel;
    std::function<void()> OnBoundsChanged;

protected:
    void BoundsChanged() override {
        if (OnBoundsChanged) OnBoundsChanged();
    }
};

TEST(Alignment, AChangeMadeWhileAligningIsLaidOutToo) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* top = TComponent::Create<TPanel>(&form);
    top->SetHeight(20);
    top->SetAlign(alTop);
    top->SetParent(&form);
    auto* rest = TComponent::Create<ResizeHook>(&form);
    rest->SetAlign(alClient);
    rest->SetParent(&form);
    form.Show();
    // The top pane keeps a quarter of the window's height: it changes while `rest` is placed.
    rest->OnBoundsChanged = [&] { top->SetHeight(form.ClientHeight() / 4); };

    // Resized as the user does, so that only the window's size message aligns.
    SetWindowPos(form.Handle(), nullptr, 0, 0, 300, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(top->Height(), form.ClientHeight() / 4);
    EXPECT_EQ(rest->Top(), top->Height());
    EXPECT_EQ(rest->Top() + rest->Height(), form.ClientHeight());
}

}  // namespace
