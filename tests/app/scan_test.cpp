#include "app/main_window_fixture.h"

#include <set>

#include "fonts/face_text.h"
#include "fonts/font_vetting.h"
#include "fonts/temp_font.h"
#include "widgets/directory.h"

namespace {

// Records what the scan showed after each report.
class ScanRecorder {
public:
    explicit ScanRecorder(TfrmMain& form, std::function<void(int report)> during = nullptr) : form_(form) {
        auto original = form.FindFile1->OnFind;
        form.FindFile1->OnFind = [this, original, during](const std::string& name, const std::string& path,
                                                          const TSearchRec& rec, bool& cancel) {
            ++reports;
            if (during) during(reports);
            original(name, path, rec, cancel);
            names.push_back(name);
            statusTexts.push_back(form_.StatusBar1->PanelText(0));
        };
    }
    int reports = 0;
    std::vector<std::string> names, statusTexts;

private:
    TfrmMain& form_;
};

// Dark pixels of an image of the list, drawn on white.
int InkOfThumbnail(TImageList& list, int index) {
    TBitmap cell;
    cell.SetSize(list.Width(), list.Height());
    list.Draw(cell.Canvas().Handle(), 0, 0, index);
    int ink = 0;
    for (int y = 0; y < cell.Height(); ++y) {
        for (int x = 0; x < cell.Width(); ++x) ink += GetRValue(cell.Canvas().Pixel(x, y)) < 128;
    }
    return ink;
}

// Whether the thumbnail has ink in its last column: a long face name runs past the right edge.
bool ThumbnailCutAtTheRight(TImageList& list, int index) {
    TBitmap cell;
    cell.SetSize(list.Width(), list.Height());
    list.Draw(cell.Canvas().Handle(), 0, 0, index);
    for (int y = 0; y < cell.Height(); ++y) {
        if (GetRValue(cell.Canvas().Pixel(cell.Width() - 1, y)) < 128) return true;
    }
    return false;
}

TEST_F(MainWindowTest, ScanListsEveryFontWithItsFaceNameThumbnailAndProgress) {
    std::string dir = FreshTempDir("scan-three");
    CopyTestFont("SorvaneTestA.ttf", dir, "a.ttf");
    CopyTestFont("SorvaneTestB.ttf", dir, "b.ttf");
    CopyTestFont("SorvaneTestC.ttf", dir, "c.ttf");
    ScanRecorder recorder(*form);
    ASSERT_TRUE(ScanFolder(dir));

    ASSERT_EQ(form->ListView1->Count(), 3);
    EXPECT_EQ(Column(0), recorder.names);  // rows in the order the finder reported them
    std::map<std::string, std::string> faces;
    for (int i = 0; i < 3; ++i) faces[form->ListView1->SubItem(i, 0)] = form->ListView1->SubItem(i, 1);
    EXPECT_EQ(faces["a.ttf"], "SorvaneTestA");
    EXPECT_EQ(faces["b.ttf"], "SorvaneTestB");
    EXPECT_EQ(faces["c.ttf"], "SorvaneTestC");
    EXPECT_EQ(recorder.statusTexts, (std::vector<std::string>{"1/3", "2/3", "3/3"}));

    EXPECT_EQ(form->ImageList1->Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(form->ListView1->ImageIndex(i), i);
        EXPECT_GT(InkOfThumbnail(*form->ImageList1, i), 100) << "thumbnail " << i << " is blank";
        // "SorvaneTestX" at 30 points is far wider than the 100-pixel column.
        EXPECT_TRUE(ThumbnailCutAtTheRight(*form->ImageList1, i)) << i;
        EXPECT_NE(form->FontImage(i), nullptr);
    }
    EXPECT_EQ(form->FontImageCount, 3);

    // Back to idle.
    EXPECT_EQ(form->StatusProgressBar1->Position(), 0);
    EXPECT_TRUE(form->ShellTreeView1->Enabled());
    EXPECT_FALSE(form->TB_FontListGetStop->Enabled());
    EXPECT_FALSE(TempFontLoaded);
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

// The image of the list as 24-bit rows, drawn on white.
std::string PixelsOfThumbnail(TImageList& list, int index) {
    TBitmap cell;
    cell.SetSize(list.Width(), list.Height());
    list.Draw(cell.Canvas().Handle(), 0, 0, index);
    return cell.Pixels();
}

TEST_F(MainWindowTest, TheHelpersFaceNamesAndThumbnailsAreThoseThisProcessWouldDraw) {
    const std::string dir = FreshTempDir("scan-helper-drawn");
    CopyTestFont("SorvaneTestA.ttf", dir, "a.ttf");
    CopyTestFont("japanese.ttf", dir, "j.ttf");
    ASSERT_TRUE(ScanFolder(dir));
    ASSERT_EQ(form->ListView1->Count(), 2);
    ASSERT_EQ(form->ImageList1->Count(), 2);

    for (int row = 0; row < 2; ++row) {
        const std::string path = dir + "\\" + form->ListView1->SubItem(row, 0);
        // What the scan did in this process before a helper drew for it: register, name,
        // draw on the image's own white bitmap, hand that to a list of the same cells.
        const TFamilyBaseline before = TFamilyBaseline::Capture(nullptr);
        ASSERT_TRUE(LoadTempFont(path));
        const std::string face = FaceNameOfRegisteredFile(path, nullptr, before);
        TImage image(nullptr);
        DrawFaceText(image.Canvas(), nullptr, face, "", 0, 0, kThumbnailPoints);
        UnloadTempFont();
        TImageList reference(nullptr, form->ImageList1->Width(), form->ImageList1->Height(), false, clWhite);
        ASSERT_EQ(reference.Add(*image.Picture().Bitmap()), 0);

        EXPECT_EQ(form->ListView1->SubItem(row, 1), face) << path;
        EXPECT_TRUE(PixelsOfThumbnail(*form->ImageList1, row) == PixelsOfThumbnail(reference, 0)) << path;
    }
}

TEST_F(MainWindowTest, FolderWithoutFontsLeavesTheListEmptyAndTheStatusAlone) {
    std::string fonts = FreshTempDir("scan-before");
    CopyTestFont("SorvaneTestA.ttf", fonts, "a.ttf");
    ASSERT_TRUE(ScanFolder(fonts));
    ASSERT_EQ(form->StatusBar1->PanelText(0), "1/1");
    TImage* previousImage = form->FontImage(0);
    ASSERT_NE(previousImage, nullptr);

    std::string empty = FreshTempDir("scan-none");
    ASSERT_TRUE(WriteFileBytes(empty + "\\readme.txt", "not a font"));
    ASSERT_TRUE(ScanFolder(empty));
    EXPECT_EQ(form->ListView1->Count(), 0);
    EXPECT_EQ(form->ImageList1->Count(), 0);
    EXPECT_EQ(form->StatusBar1->PanelText(0), "1/1");
    EXPECT_EQ(form->FontImage(0), previousImage);  // the previous scan's hidden images stay
}

TEST_F(MainWindowTest, SubfoldersAreCountedButNeverListed) {
    std::string dir = FreshTempDir("scan-subfolders");
    CopyTestFont("SorvaneTestA.ttf", dir, "a.ttf");
    CopyTestFont("SorvaneTestB.ttf", dir, "b.ttf");
    CreateDirectoryA((dir + "\\x.ttf").c_str(), nullptr);
    CreateDirectoryA((dir + "\\inner").c_str(), nullptr);
    CopyTestFont("SorvaneTestC.ttf", dir + "\\inner", "c.ttf");
    ScanRecorder recorder(*form);
    ASSERT_TRUE(ScanFolder(dir));
    EXPECT_EQ(form->ListView1->Count(), 2);
    ASSERT_FALSE(recorder.statusTexts.empty());
    EXPECT_EQ(recorder.statusTexts.back(), "2/3");
}

TEST_F(MainWindowTest, FilesThatAreNoFontsGetARowWithTheirNameOnly) {
    std::string dir = FreshTempDir("scan-bad");
    for (const char* bad : {"notafont.ttf", "empty.ttf", "truncated.ttf", "bad-tablecount.ttf", "bad-namerecord.ttf"}) {
        CopyTestFont(bad, dir, bad);
    }
    CopyTestFont("SorvaneTestD.ttf", dir, "zz-good.ttf");
    ASSERT_TRUE(ScanFolder(dir));
    ASSERT_EQ(form->ListView1->Count(), 6);
    int good = 0;
    for (int i = 0; i < 6; ++i) {
        std::string file = form->ListView1->SubItem(i, 0), face = form->ListView1->SubItem(i, 1);
        if (file == "zz-good.ttf") {
            ++good;
            EXPECT_EQ(face, "SorvaneTestD");
            EXPECT_GE(form->ListView1->ImageIndex(i), 0);
        } else {
            EXPECT_EQ(face, "") << file;
            EXPECT_LT(form->ListView1->ImageIndex(i), 0) << file;
        }
    }
    EXPECT_EQ(good, 1);
    EXPECT_EQ(form->ImageList1->Count(), 1);
    EXPECT_FALSE(TempFontLoaded);
}

TEST_F(MainWindowTest, StoppingDuringTheSecondOfFiveFilesLeavesThreeRows) {
    std::string dir = FreshTempDir("scan-stop");
    const char* fonts[] = {"SorvaneTestA.ttf", "SorvaneTestB.ttf", "SorvaneTestC.ttf", "SorvaneTestD.ttf",
                           "SorvaneTestE.ttf"};
    for (int i = 0; i < 5; ++i) CopyTestFont(fonts[i], dir, std::string(1, static_cast<char>('a' + i)) + ".ttf");
    // A real click on the stop command, picked up by the scan's own pumping.
    ScanRecorder recorder(*form, [this](int report) {
        if (report == 2) QueueSystemClick(ItemCentre(form->TBToolbar1, form->TB_FontListGetStop));
    });
    ASSERT_TRUE(ScanFolder(dir));
    EXPECT_EQ(form->ListView1->Count(), 3);
    EXPECT_TRUE(form->StopFlag);
    EXPECT_TRUE(form->ShellTreeView1->Enabled());
    EXPECT_FALSE(form->TB_FontListGetStop->Enabled());
}

TEST_F(MainWindowTest, FolderEndingInTrailByte5CScansAndJoinsPathsWithOneBackslash) {
    std::string dir = FreshTempDir("ソフト");
    CopyTestFont("SorvaneTestA.ttf", dir, "表.ttf");
    ASSERT_TRUE(ScanFolder(dir));
    ASSERT_EQ(form->ListView1->Count(), 1);
    EXPECT_EQ(form->ListView1->SubItem(0, 1), "SorvaneTestA");
    form->ListView1->SetItemIndex(0);
    PumpFor(20);
    EXPECT_EQ(form->lblFontFileName->Caption(), dir + "\\表.ttf");
}

TEST_F(MainWindowTest, APreviewDrawnDuringAScanLeavesTheScanGoing) {
    std::string dir = FreshTempDir("scan-preview");
    const char* fonts[] = {"SorvaneTestA.ttf", "SorvaneTestB.ttf", "SorvaneTestC.ttf", "SorvaneTestD.ttf"};
    for (int i = 0; i < 4; ++i) CopyTestFont(fonts[i], dir, std::string(1, static_cast<char>('a' + i)) + ".ttf");
    form->lblSelectedFontName->SetCaption("SorvaneTestE");
    form->lblFontFileName->SetCaption(TestFontDir() + "\\SorvaneTestE.ttf");
    ASSERT_TRUE(PumpUntil([&] { return form->btnFontPreview->Enabled(); }, 1000));
    // The user clicks "描画" while the second file is handled.
    ScanRecorder recorder(*form, [this](int report) {
        if (report == 2) PostMessageA(form->btnFontPreview->Handle(), BM_CLICK, 0, 0);
    });
    ASSERT_TRUE(ScanFolder(dir));
    EXPECT_EQ(form->ListView1->Count(), 4);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"SorvaneTestA", "SorvaneTestB", "SorvaneTestC", "SorvaneTestD"}));
    EXPECT_TRUE(form->btnSaveFontPreview->Enabled());  // the preview ran to its end
    EXPECT_TRUE(form->ShellTreeView1->Enabled());
    EXPECT_FALSE(TempFontLoaded);
}

TEST_F(MainWindowTest, HiddenImagesStopAtTheTableBoundWhileRowsGoOn) {
    std::string dir = FreshTempDir("scan-bound");
    CopyTestFont("SorvaneTestA.ttf", dir, "a.ttf");
    CopyTestFont("SorvaneTestB.ttf", dir, "b.ttf");
    CopyTestFont("SorvaneTestC.ttf", dir, "c.ttf");
    form->FontImageLimit = 2;
    ASSERT_TRUE(ScanFolder(dir));
    EXPECT_EQ(form->ListView1->Count(), 3);
    EXPECT_EQ(form->ImageList1->Count(), 3);
    EXPECT_NE(form->FontImage(0), nullptr);
    EXPECT_NE(form->FontImage(1), nullptr);
    EXPECT_EQ(form->FontImage(2), nullptr);
    EXPECT_EQ(form->FontImageCount, 3);
}

TEST_F(MainWindowTest, AnsweringYesDuringAScanStopsItThenCloses) {
    std::string dir = FreshTempDir("scan-close");
    const char* fonts[] = {"SorvaneTestA.ttf", "SorvaneTestB.ttf", "SorvaneTestC.ttf", "SorvaneTestD.ttf",
                           "SorvaneTestE.ttf", "SorvaneTestF.ttf"};
    for (int i = 0; i < 6; ++i) CopyTestFont(fonts[i], dir, std::string(1, static_cast<char>('a' + i)) + ".ttf");
    DialogAnswerer yes("確認", IDYES);
    ScanRecorder recorder(*form, [this](int report) {
        if (report == 2) PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    });
    ASSERT_TRUE(ScanFolder(dir));
    EXPECT_TRUE(yes.Answered());
    EXPECT_LE(form->ListView1->Count(), 4);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(TempFontLoaded);
    EXPECT_EQ(form->FontImage(0), nullptr);  // freed on close
}

}  // namespace

namespace {

int ThreadTimerTicks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++ThreadTimerTicks; }

bool AnyFamilyStartsWith(const std::string& prefix) {
    std::vector<std::string> families;
    CollectTrueTypeFamilies(families, nullptr);
    for (const std::string& family : families) {
        if (family.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

TEST_F(MainWindowTest, FilesThatFaultOrHangTheHelperGetNameOnlyRowsAndTheScanGoesOnWhateverHappensToIt) {
    const std::string dir = FreshTempDir("scan-damaged");
    CopyTestFont("SorvaneTestA.ttf", dir, "a-good.ttf");
    CopyTestFont("SorvaneTestC.ttf", dir, "helper-faults.ttf");
    CopyTestFont("SorvaneTestD.ttf", dir, "helper-hangs.ttf");
    CopyTestFont("SorvaneTestB.ttf", dir, "z-good.ttf");
    // Damaged glyph data: which of these fault the platform's drawing is found out here, each
    // in a fresh process, since a process's earlier drawing changes the outcome.
    std::set<std::string> faulting;
    for (int i = 0; i < 12; ++i) {
        char name[32];
        snprintf(name, sizeof(name), "SorvaneDamaged%02d.ttf", i);
        CopyTestFont(std::string("damaged\\") + name, dir, name);
        TFontVetter fresh;
        if (fresh.Vet(TFontDrawing{dir + "\\" + name, "", "", kThumbnailPoints}) == TFontVerdict::Unsafe)
            faulting.insert(name);
    }
    RecordProperty("damaged files that fault", static_cast<int>(faulting.size()));

    // The helper is also killed from outside while the scan runs: a new one takes over.
    DWORD killed = 0;
    ScanRecorder recorder(*form, [&](int report) {
        if (report != 3 || !(killed = form->Vetter().HelperProcessId())) return;
        if (HANDLE helper = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, killed)) {
            TerminateProcess(helper, 9);
            WaitForSingleObject(helper, 5000);
            CloseHandle(helper);
        }
    });
    ThreadTimerTicks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CountTick);
    ASSERT_TRUE(ScanFolder(dir));
    EXPECT_NE(killed, 0u);
    KillTimer(nullptr, timer);
    EXPECT_GE(ThreadTimerTicks, 20);  // the hang was waited out with the messages flowing

    ASSERT_EQ(form->ListView1->Count(), 16);
    for (int row = 0; row < 16; ++row) {
        const std::string file = form->ListView1->SubItem(row, 0), face = form->ListView1->SubItem(row, 1);
        const bool image = form->ListView1->ImageIndex(row) >= 0;
        if (file == "a-good.ttf" || file == "z-good.ttf") {
            EXPECT_EQ(face, file == "a-good.ttf" ? "SorvaneTestA" : "SorvaneTestB");
            ASSERT_TRUE(image) << file;
            EXPECT_GT(InkOfThumbnail(*form->ImageList1, form->ListView1->ImageIndex(row)), 100) << file;
        } else if (file.rfind("helper-", 0) == 0 || faulting.count(file)) {
            EXPECT_EQ(face, "") << file;
            EXPECT_FALSE(image) << file;
        } else {
            // Damaged but drawable in a fresh process: a row like any good file's.
            EXPECT_NE(face, "") << file;
            EXPECT_TRUE(image) << file;
        }
    }
    // Nothing of the folder stays: no helper, no registration, no open file.
    EXPECT_EQ(form->Vetter().HelperProcessId(), 0u);
    EXPECT_FALSE(TempFontLoaded);
    EXPECT_FALSE(AnyFamilyStartsWith("SorvaneDamaged"));
    const std::vector<std::string> files = FilesIn(dir, "*.ttf");
    EXPECT_EQ(files.size(), 16u);
    for (const std::string& file : files) EXPECT_TRUE(DeleteFileA(file.c_str())) << file;
}

TEST_F(MainWindowTest, APreviewOfAFileTheHelperCannotDrawDrawsNothing) {
    const std::string dir = FreshTempDir("preview-faulting");
    CopyTestFont("SorvaneTestE.ttf", dir, "helper-faults.ttf");
    ASSERT_TRUE(ScanFolder(dir));
    ASSERT_EQ(form->ListView1->Count(), 1);
    form->ListView1->SetItemIndex(0);
    PumpFor(20);
    // As if the scan had named it: a preview is vetted on its own, for its own text and size.
    form->lblSelectedFontName->SetCaption("SorvaneTestE");
    form->Edit1->SetText("abc");
    form->btnFontPreviewClick(form->btnFontPreview);
    // Like a file that cannot be registered: the passes draw nothing, not even a blank picture.
    EXPECT_EQ(form->Image1->Picture().Bitmap(), nullptr);
    EXPECT_TRUE(form->btnSaveFontPreview->Enabled());
    EXPECT_FALSE(TempFontLoaded);
}

}  // namespace
