#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <memory>

#include "support/test_env.h"
#include "support/ui_driver.h"
#include "widgets/exception.h"
#include "widgets/form.h"
#include "widgets/label.h"
#include "widgets/panel.h"
#include "widgets/path_text.h"
#include "widgets/progress_bar.h"
#include "widgets/status_bar.h"
#include "widgets/splitter.h"
#include "widgets/wide_text.h"

namespace {

TEST(PathText, OnlyAWholeCharacterCountsAsABackslash) {
    struct Case { const char* path; const char* withBackslash; };
    const Case cases[] = {
        {"C:", "C:\\"}, {"C:\\", "C:\\"}, {"C:\\fonts", "C:\\fonts\\"}, {"", "\\"},
        {"C:\\ソ", "C:\\ソ\\"}, {"C:\\表", "C:\\表\\"}, {"C:\\ソフト\\", "C:\\ソフト\\"},
    };
    for (const Case& c : cases) EXPECT_EQ(AddBackslash(c.path), c.withBackslash) << c.path;
    EXPECT_EQ(RemoveBackslash("C:\\表"), "C:\\表");
    EXPECT_EQ(RemoveBackslash("C:\\表\\"), "C:\\表");
}

TEST(WideText, PathsPastTheLimitTakeTheExtendedFormAndNamesSurviveWhole) {
    const std::wstring folder = L"C:\\" + std::wstring(250, L'a');
    struct Case { std::wstring path, extended; };
    const Case cases[] = {
        {L"C:\\short\\x.ttf", L"C:\\short\\x.ttf"},
        {folder.substr(0, 247), folder.substr(0, 247)},                    // last length left alone
        {folder.substr(0, 248), L"\\\\?\\" + folder.substr(0, 248)},      // first one extended
        {L"\\\\server\\" + std::wstring(250, L'b'), L"\\\\?\\UNC\\server\\" + std::wstring(250, L'b')},
        {L"\\\\?\\" + folder, L"\\\\?\\" + folder},
        {std::wstring(260, L'c'), std::wstring(260, L'c')},                // relative: nothing to anchor
    };
    for (const Case& c : cases) EXPECT_EQ(ExtendedLengthPath(c.path), c.extended) << c.path.size();

    EXPECT_EQ(FileNameOf(L"C:\\fonts\\\u97f3\u7b26\U0001F3B5.ttf"), L"\u97f3\u7b26\U0001F3B5.ttf");
    EXPECT_EQ(AddBackslash(std::wstring(L"C:\\\u30bd")), L"C:\\\u30bd\\");
    // The code page keeps its own characters and loses the others.
    EXPECT_EQ(WideFromAnsi(AnsiFromWide(L"\u8868\u793a.ttf")), L"\u8868\u793a.ttf");
    EXPECT_NE(WideFromAnsi(AnsiFromWide(L"\ud55c\uae00.ttf")), L"\ud55c\uae00.ttf");
}

TEST(WideText, ALabelShowsAUnicodeCaptionUntilAnAnsiOneReplacesIt) {
    TLabel label(nullptr);
    label.SetWideCaption(L"Caf\u00e9.ttf");
    EXPECT_EQ(label.WideCaption(), L"Caf\u00e9.ttf");
    const int wideWidth = label.Width();
    // Its look-alike shares the code-page caption; the text shown must change all the same.
    label.SetWideCaption(L"Cafe.ttf");
    EXPECT_EQ(label.WideCaption(), L"Cafe.ttf");
    label.SetWideCaption(L"\ud55c\uae00\ud55c\uae00.ttf");
    EXPECT_GT(label.Width(), wideWidth);
    label.SetCaption("表示");
    EXPECT_EQ(label.WideCaption(), L"\u8868\u793a");
}

// Records the order in which components hear of each other's end.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::vector<std::string>& log, const char* name) : TComponent(owner), log_(log) {
        SetName(name);
    }
    ~Probe() override { log_.push_back("free " + Name()); }

protected:
    void Notification(TComponent* c, TOperation op) override {
        if (op == opRemove) log_.push_back(Name() + " heard " + c->Name());
    }

private:
    std::vector<std::string>& log_;
};

TEST(Component, OwnerFreesInReverseOrderAndTellsThoseWhoAsked) {
    std::vector<std::string> log;
    auto owner = std::make_unique<Probe>(nullptr, log, "owner");
    auto* first = TComponent::Create<Probe>(owner.get(), log, "first");
    auto* second = TComponent::Create<Probe>(owner.get(), log, "second");
    Probe outsider(nullptr, log, "outsider");
    outsider.FreeNotification(first);
    EXPECT_EQ(owner->ComponentCount(), 2);
    (void)second;
    owner.reset();
    // Each probe logs in its own destructor, before the component part frees and notifies.
    EXPECT_EQ(log, (std::vector<std::string>{"free owner", "free second", "free first", "outsider heard first"}));
    EXPECT_EQ(outsider.ComponentCount(), 0);
}

class HostedTest : public testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 400, 300);
        form->Show();
    }
    std::unique_ptr<TForm> form;
};

TEST_F(HostedTest, AlignmentFillsEdgesInTurnAndSkipsHiddenControls) {
    RECT client = form->ClientRect();
    auto* top = TComponent::Create<TPanel>(form.get());
    top->SetBounds(0, 0, 10, 26);
    top->SetAlign(alTop);
    top->SetParent(form.get());
    auto* bottom = TComponent::Create<TPanel>(form.get());
    bottom->SetBounds(0, 0, 10, 16);
    bottom->SetAlign(alBottom);
    bottom->SetParent(form.get());
    auto* left = TComponent::Create<TPanel>(form.get());
    left->SetBounds(0, 0, 100, 10);
    left->SetAlign(alLeft);
    left->SetParent(form.get());
    auto* client1 = TComponent::Create<TPanel>(form.get());
    client1->SetAlign(alClient);
    client1->SetParent(form.get());

    EXPECT_EQ(top->BoundsRect().right, client.right);
    EXPECT_EQ(bottom->Top(), client.bottom - 16);
    EXPECT_EQ(left->Top(), 26);
    EXPECT_EQ(left->Height(), client.bottom - 42);
    RECT expected{100, 26, client.right, client.bottom - 16};
    RECT actual = client1->BoundsRect();
    EXPECT_TRUE(EqualRect(&actual, &expected));

    left->SetVisible(false);
    EXPECT_EQ(client1->Left(), 0);
    left->SetVisible(true);
    EXPECT_EQ(client1->Left(), 100);
}

TEST_F(HostedTest, SplitterDragResizesTheControlBeforeIt) {
    auto* left = TComponent::Create<TPanel>(form.get());
    left->SetBounds(0, 0, 100, 10);
    left->SetAlign(alLeft);
    left->SetParent(form.get());
    auto* splitter = TComponent::Create<TSplitter>(form.get());
    splitter->SetBounds(100, 0, 3, 10);
    splitter->SetParent(form.get());
    auto* rest = TComponent::Create<TPanel>(form.get());
    rest->SetAlign(alClient);
    rest->SetParent(form.get());
    ASSERT_EQ(splitter->FindTarget(), left);
    EXPECT_EQ(splitter->Cursor(), crHSplit);

    POINT start = splitter->ClientToScreen(POINT{1, 5});
    SetCursorPos(start.x, start.y);
    SendMessageA(splitter->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 5));
    SetCursorPos(start.x + 40, start.y);
    SendMessageA(splitter->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(41, 5));
    SendMessageA(splitter->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(41, 5));
    EXPECT_EQ(left->Width(), 140);
    EXPECT_EQ(splitter->Left(), 140);
    EXPECT_EQ(rest->Left(), 143);

    // Never below the minimum size.
    SendMessageA(splitter->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 5));
    SetCursorPos(start.x - 500, start.y);
    SendMessageA(splitter->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1, 5));
    SendMessageA(splitter->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(1, 5));
    EXPECT_EQ(left->Width(), splitter->MinSize);
}

TEST_F(HostedTest, TransparentLabelPaintsItsTextOnTheParent) {
    auto* panel = TComponent::Create<TPanel>(form.get());
    panel->SetAlign(alClient);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(clWhite);
    panel->SetParent(form.get());
    auto* label = TComponent::Create<TLabel>(form.get());
    label->SetBounds(10, 10, 0, 0);
    label->SetTransparent(true);
    label->Font().SetColor(clBlack);
    label->SetCaption("■■■");
    label->SetParent(panel);
    EXPECT_GT(label->Width(), 20);  // sized to the caption
    UpdateWindow(panel->Handle());
    PumpFor(30);
    WindowDC dc(panel->Handle());
    int ink = 0, background = 0;
    for (int x = label->Left(); x < label->Left() + label->Width(); ++x) {
        COLORREF c = GetPixel(dc.get(), x, label->Top() + label->Height() / 2);
        ink += c == RGB(0, 0, 0);
        background += c == RGB(255, 255, 255);
    }
    EXPECT_GT(ink, 10);
    EXPECT_GT(background, 0);  // the panel's white shows through around the glyphs
}

TEST_F(HostedTest, RightAlignedLabelKeepsItsRightEdge) {
    auto* label = TComponent::Create<TLabel>(form.get());
    label->SetAlignment(taRightJustify);
    label->SetBounds(200, 10, 124, 16);
    label->SetParent(form.get());
    label->SetCaption("Version: 4.0.0");
    EXPECT_EQ(label->Left() + label->Width(), 324);
    label->SetCaption("V");
    EXPECT_EQ(label->Left() + label->Width(), 324);
}

TEST_F(HostedTest, CloseAsksFirstAndHidesASecondaryForm) {
    TForm second(nullptr);
    second.SetBounds(0, 0, 100, 100);
    second.Show();
    bool allow = false;
    int closes = 0;
    second.OnCloseQuery = [&](TComponent*, bool& canClose) { canClose = allow; };
    second.OnClose = [&](TComponent*, TCloseAction& action) {
        ++closes;
        EXPECT_EQ(action, caHide);
    };
    PostMessageA(second.Handle(), WM_CLOSE, 0, 0);
    PumpFor(20);
    EXPECT_TRUE(IsWindowVisible(second.Handle()));
    EXPECT_EQ(closes, 0);
    allow = true;
    PostMessageA(second.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpFor(20);
    EXPECT_FALSE(IsWindowVisible(second.Handle()));
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(HostedTest, AnErrorInAHandlerReachesTheApplicationNotTheSystem) {
    std::vector<std::string> errors;
    Application->OnException = [&](const std::string& message) { errors.push_back(message); };
    auto* panel = TComponent::Create<TPanel>(form.get());
    panel->SetBounds(0, 0, 50, 50);
    panel->SetParent(form.get());
    panel->OnMouseDown = [](TComponent*, TMouseButton, TShiftState, int, int) { throw Exception("boom"); };
    SendMessageA(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Application->OnException = nullptr;
    EXPECT_EQ(errors, std::vector<std::string>{"boom"});
}

}  // namespace

namespace {

// A held control keeps its state but shows it only on the outermost release.
TEST(HeldUpdates, ProgressAndStatusTextReachTheirWindowsOnlyOnTheOutermostRelease) {
    TForm form(nullptr);
    auto* bar = new TProgressBar(&form);
    bar->SetParent(&form);
    auto* status = new TStatusBar(&form);
    status->SetParent(&form);
    status->AddPanel(100);
    form.Show();
    auto shownPosition = [&] { return static_cast<int>(SendMessageA(bar->Handle(), PBM_GETPOS, 0, 0)); };
    auto shownText = [&] {
        char text[64] = {};
        SendMessageA(status->Handle(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return std::string(text);
    };

    for (TWinControl* control : std::initializer_list<TWinControl*>{bar, status}) control->BeginUpdate();
    bar->BeginUpdate();  // nested
    bar->SetPosition(40);
    status->SetPanelText(0, "3/17");
    EXPECT_EQ(bar->Position(), 40);
    EXPECT_EQ(status->PanelText(0), "3/17");
    EXPECT_EQ(shownPosition(), 0);
    EXPECT_EQ(shownText(), "");

    bar->EndUpdate();
    EXPECT_EQ(shownPosition(), 0) << "an inner release shows nothing";
    bar->EndUpdate();
    status->EndUpdate();
    EXPECT_EQ(shownPosition(), 40);
    EXPECT_EQ(shownText(), "3/17");
    bar->EndUpdate();  // unbalanced: ignored
    bar->SetPosition(41);
    EXPECT_EQ(shownPosition(), 41);
}

}  // namespace
