#include "app/main_window_fixture.h"

#include "fonts/temp_font.h"
#include "support/window_count.h"
#include "toolbar/views/view_test_support.h"

namespace {

TEST_F(MainWindowTest, StartsInTheNotInstalledModeWithNothingSelected) {
    EXPECT_EQ(form->lblSelectedFontName->Caption(), "");
    EXPECT_EQ(form->lblFontFileName->Caption(), "");
    EXPECT_TRUE(PumpUntil([&] { return !form->btnFontPreview->Enabled(); }, 1000));
    EXPECT_FALSE(form->btnSaveFontPreview->Enabled());
    EXPECT_FALSE(form->TB_FontListGetStop->Enabled());
    EXPECT_FALSE(form->TB_TextFontFace->Enabled());
    EXPECT_TRUE(form->TB_NotInstallFont->Checked());
    EXPECT_FALSE(form->TB_AlreadyInstallFont->Checked());
    EXPECT_TRUE(form->ShellTreeView1->Showing());
    EXPECT_TRUE(form->ListView1->Showing());
    EXPECT_FALSE(form->FontNameListBox1->Showing());
    EXPECT_EQ(WindowText(form->Handle()), "Sorvane");
}

TEST_F(MainWindowTest, PaneLayoutFollowsTheAlignment) {
    RECT client = form->ClientRect();
    // Each dock is as high as its toolbar's tallest button and the frame (26 with this font).
    EXPECT_EQ(form->TBDock1->Top(), 0);
    EXPECT_EQ(form->TBDock1->Height(), form->TBToolbar1->View()->BaseSize().y + 4);
    EXPECT_EQ(form->TBDock2->Top(), form->TBDock1->Height());
    EXPECT_EQ(form->TBDock2->Height(), form->TBToolbar2->View()->BaseSize().y + 4);
    EXPECT_EQ(form->Panel2->Top(), form->TBDock1->Height() + form->TBDock2->Height());
    EXPECT_EQ(form->StatusBar1->Top() + form->StatusBar1->Height(), client.bottom);
    EXPECT_EQ(form->StatusBar1->Height(), 16);
    EXPECT_EQ(form->Panel2->Left(), 0);
    EXPECT_EQ(form->Panel2->Width(), 209);
    EXPECT_EQ(form->Splitter1->Left(), 209);
    EXPECT_EQ(form->Panel1->Left(), 212);
    EXPECT_EQ(form->Panel1->Left() + form->Panel1->Width(), client.right);
    EXPECT_EQ(form->ListView1->Height(), 200);
    EXPECT_EQ(form->Splitter2->Top(), 200);
    EXPECT_EQ(form->Panel3->Top(), 203);
    // The progress bar sits inside status panel 1.
    RECT panel = form->StatusBar1->PanelRect(1);
    EXPECT_GE(form->StatusProgressBar1->Left(), panel.left);
    EXPECT_LE(form->StatusProgressBar1->Left() + form->StatusProgressBar1->Width(), panel.right);
}

struct LayoutSnapshot {
    bool treeVisible, listVisible, fontListVisible;
    RECT list, splitter, panel3, tree;
    bool notInstalledChecked, installedChecked, textFaceEnabled;
    bool operator==(const LayoutSnapshot& o) const {
        return treeVisible == o.treeVisible && listVisible == o.listVisible && fontListVisible == o.fontListVisible &&
               EqualRect(&list, &o.list) && EqualRect(&splitter, &o.splitter) && EqualRect(&panel3, &o.panel3) &&
               EqualRect(&tree, &o.tree) && notInstalledChecked == o.notInstalledChecked &&
               installedChecked == o.installedChecked && textFaceEnabled == o.textFaceEnabled;
    }
};

LayoutSnapshot Snapshot(TfrmMain& f) {
    return {f.ShellTreeView1->Visible(), f.ListView1->Visible(), f.FontNameListBox1->Visible(),
            f.ListView1->BoundsRect(), f.Splitter2->BoundsRect(), f.Panel3->BoundsRect(),
            f.ShellTreeView1->BoundsRect(), f.TB_NotInstallFont->Checked(), f.TB_AlreadyInstallFont->Checked(),
            f.TB_TextFontFace->Enabled()};
}

TEST_F(MainWindowTest, SwitchingModesRoundTripsTheLayoutAndKeepsOneModeChecked) {
    LayoutSnapshot start = Snapshot(*form);

    ClickItem(form->TBToolbar1, form->TB_AlreadyInstallFont);
    EXPECT_FALSE(form->ShellTreeView1->Visible());
    EXPECT_FALSE(form->ListView1->Visible());
    EXPECT_TRUE(form->FontNameListBox1->Showing());
    EXPECT_TRUE(form->TB_AlreadyInstallFont->Checked());
    EXPECT_FALSE(form->TB_NotInstallFont->Checked());
    EXPECT_TRUE(form->TB_TextFontFace->Enabled());

    // Clicking the active mode again repeats the same assignments.
    ClickItem(form->TBToolbar1, form->TB_AlreadyInstallFont);
    EXPECT_TRUE(form->TB_AlreadyInstallFont->Checked());
    EXPECT_FALSE(form->TB_NotInstallFont->Checked());

    ClickItem(form->TBToolbar1, form->TB_NotInstallFont);
    EXPECT_TRUE(Snapshot(*form) == start);
}

TEST_F(MainWindowTest, TextFontFaceTogglesOnlyInTheInstalledMode) {
    ClickItem(form->TBToolbar2, form->TB_TextFontFace);  // disabled: nothing happens
    EXPECT_FALSE(form->TB_TextFontFace->Checked());
    EXPECT_FALSE(form->FontNameListBox1->TextFontFace());

    ClickItem(form->TBToolbar1, form->TB_AlreadyInstallFont);
    ClickItem(form->TBToolbar2, form->TB_TextFontFace);
    EXPECT_TRUE(form->TB_TextFontFace->Checked());
    EXPECT_TRUE(form->FontNameListBox1->TextFontFace());
    ClickItem(form->TBToolbar2, form->TB_TextFontFace);
    EXPECT_FALSE(form->TB_TextFontFace->Checked());
    EXPECT_FALSE(form->FontNameListBox1->TextFontFace());
}

TEST_F(MainWindowTest, AnsweringNoKeepsTheWindowAndItsState) {
    form->lblSelectedFontName->SetCaption("Face");
    form->Edit1->SetText("abc");
    DialogAnswerer no("確認", IDNO);
    ClickItem(form->TBToolbar1, form->TBItem2);
    ASSERT_TRUE(PumpUntil([&] { return no.Answered(); }));
    PumpFor(30);
    EXPECT_EQ(no.Text(), "終了しますか？");
    EXPECT_EQ(no.ButtonText(), "いいえ(&N)");
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(form->lblSelectedFontName->Caption(), "Face");
    EXPECT_EQ(form->Edit1->Text(), "abc");
}

TEST_F(MainWindowTest, AnsweringYesUnloadsTheFontAndEndsTheLoop) {
    ASSERT_TRUE(LoadTempFont(WideFromAnsi(TestFontDir() + "\\SorvaneTestA.ttf")));
    DialogAnswerer yes("確認", IDYES);
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return yes.Answered(); }));
    PumpFor(30);
    EXPECT_EQ(yes.ButtonText(), "はい(&Y)");
    EXPECT_FALSE(TempFontLoaded);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(MainWindowTest, VersionCommandShowsTheDialogWhichDisablesTheMainWindowUntilClosed) {
    for (int round = 0; round < 2; ++round) {
        ClickItem(form->TBToolbar1, form->TBItem1);
        EXPECT_TRUE(IsWindowVisible(version->Handle()));
        EXPECT_FALSE(IsWindowEnabled(form->Handle()));
        PostMessageA(version->Handle(), WM_CLOSE, 0, 0);
        PumpFor(30);
        EXPECT_FALSE(IsWindowVisible(version->Handle()));
        EXPECT_TRUE(IsWindowEnabled(form->Handle()));
    }
}

TEST_F(MainWindowTest, SelectingARowShowsItsFaceAndFullPath) {
    std::string dir = FreshTempDir("select-row");
    ASSERT_TRUE(ScanFolder(dir));
    int row = form->ListView1->AddItem();
    form->ListView1->AddSubItem(row, "x.ttf");
    form->ListView1->AddSubItem(row, "Face X");
    form->ListView1->SetItemIndex(row);
    PumpFor(20);
    EXPECT_EQ(form->lblSelectedFontName->Caption(), "Face X");
    EXPECT_EQ(form->lblFontFileName->Caption(), dir + "\\x.ttf");
    EXPECT_TRUE(PumpUntil([&] { return form->btnFontPreview->Enabled(); }, 1000));

    form->ListView1->SetItemIndex(-1);
    PumpFor(20);
    EXPECT_EQ(form->lblSelectedFontName->Caption(), "");
    EXPECT_EQ(form->lblFontFileName->Caption(), "");
}

TEST_F(MainWindowTest, ARowInADriveRootGetsOneBackslash) {
    ASSERT_TRUE(form->ShellTreeView1->SelectPath(L"Z:\\"));
    PumpUntil([&] { return !form->Scanning(); }, 60000);
    ASSERT_EQ(form->ShellTreeView1->Path(), L"Z:\\");
    int row = form->ListView1->AddItem();
    form->ListView1->AddSubItem(row, "root.ttf");
    form->ListView1->AddSubItem(row, "Root Face");
    form->ListView1->SetItemIndex(row);
    PumpFor(20);
    EXPECT_EQ(form->lblFontFileName->Caption(), "Z:\\root.ttf");
}

TEST_F(MainWindowTest, ListBoxClickWithNothingSelectedChangesNothing) {
    ClickItem(form->TBToolbar1, form->TB_AlreadyInstallFont);
    form->lblSelectedFontName->SetCaption("Kept");
    form->lblFontFileName->SetCaption("C:\\kept.ttf");
    form->FontNameListBox1->SetItemIndex(-1);
    form->FontNameListBox1Click(form->FontNameListBox1);
    EXPECT_EQ(form->lblSelectedFontName->Caption(), "Kept");
    EXPECT_EQ(form->lblFontFileName->Caption(), "C:\\kept.ttf");

    ASSERT_GT(form->FontNameListBox1->Count(), 0);
    form->FontNameListBox1->SetItemIndex(0);
    form->FontNameListBox1Click(form->FontNameListBox1);
    EXPECT_EQ(form->lblSelectedFontName->Caption(), form->FontNameListBox1->Items(0));
    EXPECT_EQ(form->lblFontFileName->Caption(), "");
}

}  // namespace

namespace {

TEST_F(MainWindowTest, ANarrowWindowCutsTheLastButtonsOffBehindTheChevron) {
    auto chevronShown = [&] { return form->TBToolbar1->View()->Find(form->TBToolbar1->ChevronItem())->Show; };
    auto offEdge = [&](TTBCustomItem* item) { return form->TBToolbar1->View()->Find(item)->OffEdge; };
    EXPECT_FALSE(chevronShown());
    SetFormWidth(420);
    EXPECT_TRUE(chevronShown());
    EXPECT_TRUE(offEdge(form->TBItem2));
    EXPECT_FALSE(offEdge(form->TB_NotInstallFont));
    EXPECT_TRUE(form->TBToolbar1->ChevronItem()->Enabled());
    EXPECT_LE(form->TBToolbar1->Left() + form->TBToolbar1->Width(), form->TBDock1->Width());
    SetFormWidth(767);
    EXPECT_FALSE(chevronShown());
    EXPECT_FALSE(offEdge(form->TBItem2));
}

}  // namespace

namespace {

// Painting the skinned toolbars, hot and not, frames included, keeps no GDI object or DC.
TEST_F(MainWindowTest, RepaintingTheToolbarsLeavesNoGdiObjectsBehind) {
    TTBView* view = form->TBToolbar1->View();
    auto paintAll = [&](int round) {
        view->Select(view->Find(round % 2 ? form->TBItem1 : form->TB_AlreadyInstallFont));
        for (TTBToolbar* bar : {form->TBToolbar1, form->TBToolbar2})
            RedrawWindow(bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    };
    paintAll(0);
    const long gdi = HandleCounters::GdiObjects(), dcs = HandleCounters::DeviceContexts();
    for (int round = 1; round <= 500; ++round) paintAll(round);
    view->Select(nullptr);
    EXPECT_EQ(HandleCounters::GdiObjects(), gdi);
    EXPECT_EQ(HandleCounters::DeviceContexts(), dcs);
}

}  // namespace

namespace {

// The chevron lists the buttons cut off; a click there runs the command, Escape runs none. The
// list's loop is modal: the steps run from a timer inside it.
TEST_F(MainWindowTest, TheChevronListsTheHiddenButtonsAndRunsTheirCommands) {
    SetFormWidth(420);
    TTBView* bar = form->TBToolbar1->View();
    HWND toolbar = form->TBToolbar1->Handle();
    const POINT chevron = ItemCentre(form->TBToolbar1, form->TBToolbar1->ChevronItem());
    std::vector<std::string> shown;
    bool closedWithoutCommand = false;
    Script script({
        [&] { QueueSystemClick(chevron); },
        [&] {
            TTBView* list = bar->OpenView();
            for (int i = 0; list && i < list->ViewerCount(); ++i)
                if (list->Viewers(i)->Show && !list->Viewers(i)->IsSeparator())
                    shown.push_back(list->Viewers(i)->Item()->Name());
            PostKey(toolbar, VK_ESCAPE);  // closes the list
        },
        [&] { PostKey(toolbar, VK_ESCAPE); },  // leaves the bar
        [&] {
            closedWithoutCommand = !bar->InModalLoop() && !version->Visible();
            QueueSystemClick(chevron);
        },
        [&] {
            const RECT& r = bar->OpenView()->Find(form->TBItem1)->BoundsRect;
            QueueSystemClick(bar->OpenView()->Window()->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
        },
    }, 150);
    ASSERT_TRUE(PumpUntil([&] { return script.Done() && version->Visible(); }, 5000));
    EXPECT_EQ(shown, (std::vector<std::string>{"TB_FontListGetStop", "TBItem1", "TBItem2"}));
    EXPECT_TRUE(closedWithoutCommand);
    EXPECT_EQ(bar->OpenView(), nullptr);
    version->Close();
    PumpFor(30);
}

}  // namespace

namespace {

TEST_F(MainWindowTest, OpeningTheChevronList200TimesLeavesNoWindowsOrGdiObjects) {
    SetFormWidth(420);
    TTBView* bar = form->TBToolbar1->View();
    auto cycle = [&] {
        bar->Select(bar->Find(form->TBToolbar1->ChevronItem()));
        bar->OpenChildPopup(false);
        PumpFor(2);  // painted, its shadows shown
        bar->CloseChildPopups();
        PumpFor(1);
    };
    cycle();
    const int windows = CountThreadWindows();
    const long gdi = HandleCounters::GdiObjects(), dcs = HandleCounters::DeviceContexts();
    for (int i = 0; i < 200; ++i) cycle();
    bar->Select(nullptr);
    EXPECT_EQ(CountThreadWindows(), windows);
    EXPECT_EQ(HandleCounters::GdiObjects(), gdi);
    EXPECT_EQ(HandleCounters::DeviceContexts(), dcs);
}

}  // namespace

namespace {

// A button repainted on its own (the hot highlight leaving) shows the toolbar's own background.
TEST_F(MainWindowTest, AButtonLeftByThePointerTakesTheToolbarsBackgroundAgain) {
    TTBToolbar* bar = form->TBToolbar1;
    TTBView* view = bar->View();
    view->Select(view->Find(form->TBItem2));
    UpdateWindow(bar->Handle());
    view->Select(nullptr);
    UpdateWindow(bar->Handle());
    const RECT& r = view->Find(form->TBItem2)->BoundsRect;
    const RECT& gap = view->Find(form->TBSeparatorItem1)->BoundsRect;  // painted with the whole bar
    WindowDC dc(bar->Handle());
    EXPECT_EQ(GetPixel(dc.get(), r.left + 1, r.top + 1), GetPixel(dc.get(), gap.left, gap.top + 1));
}

}  // namespace
