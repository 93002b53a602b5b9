#include "app/main_window.h"

#include <algorithm>
#include <utility>

#include "fonts/face_text.h"
#include "fonts/temp_font.h"
#include "widgets/directory.h"
#include "widgets/path_text.h"

namespace {

const char kUnvettedText[] = "フォントを検査できませんでした";

}  // namespace

// --- the main window --------------------------------------------------------------------------

TScanDisplay::TScanDisplay(std::vector<TWinControl*> controls, TScanDisplay*& slot)
    : controls_(std::move(controls)), slot_(slot), shownAt_(GetTickCount()) {
    for (TWinControl* control : controls_) control->BeginUpdate();
    slot_ = this;
}

TScanDisplay::~TScanDisplay() {
    slot_ = nullptr;
    for (TWinControl* control : controls_) control->EndUpdate();
}

void TScanDisplay::ShowIfDue() {
    const DWORD now = GetTickCount();
    if (now - shownAt_ < kScanPaintIntervalMs) return;
    shownAt_ = now;
    for (TWinControl* control : controls_) {
        control->EndUpdate();
        control->Update();
        control->BeginUpdate();
    }
}

int CountFiles(const std::string& pattern) {
    int count = 0;
    ForEachDirectoryEntry(pattern, [&](const WIN32_FIND_DATAA&) { ++count; });
    return count;
}

TfrmMain::TfrmMain(TComponent* owner)
    : TForm(owner),
      FontImages(std::make_unique<std::array<TImage*, kFontImageSlots>>()),
      vetter_([] { Application->ProcessMessages(); }) {
    FontImages->fill(nullptr);
    BuildLayout();
    DoCreate();
    // The first scan or preview finds a helper ready: starting one costs a folder of a hundred
    // fonts as much as scanning it. It starts once the window has shown itself and nothing is
    // waiting, so that the window does not wait for it.
    helperStartKey_ = Application->AddIdleHandler([this] {
        Application->RemoveIdleHandler(std::exchange(helperStartKey_, 0));
        SilentCall([this] { vetter_.StartHelpers(1); });
    });
}

TfrmMain::~TfrmMain() {
    if (helperStartKey_) Application->RemoveIdleHandler(helperStartKey_);
}

void TfrmMain::FormCreate(TComponent*) { FontImageCount = 0; }

void TfrmMain::FormShow(TComponent*) { lblSelectedFontName->SetCaption(std::string()); }

void TfrmMain::Timer1Timer(TComponent*) {
    SilentCall([this] {
        btnFontPreview->SetEnabled(!lblSelectedFontName->Caption().empty());
        // Previews in a row share the helper's verdicts; they go once the user has stopped
        // drawing, and the helper stays ready.
        if (!scanning_) vetter_.StandByIfIdle(kIdleHelperMs);
    });
}

void TfrmMain::TB_NotInstallFontClick(TComponent*) {
    TB_NotInstallFont->SetChecked(true);
    TB_AlreadyInstallFont->SetChecked(false);
    ListView1->SetVisible(true);
    ShellTreeView1->SetVisible(true);
    FontNameListBox1->SetVisible(false);
    TB_TextFontFace->SetEnabled(TB_AlreadyInstallFont->Checked());
}

void TfrmMain::TB_AlreadyInstallFontClick(TComponent*) {
    TB_NotInstallFont->SetChecked(false);
    TB_AlreadyInstallFont->SetChecked(true);
    ListView1->SetVisible(false);
    ShellTreeView1->SetVisible(false);
    FontNameListBox1->SetVisible(true);
    TB_TextFontFace->SetEnabled(TB_AlreadyInstallFont->Checked());
}

void TfrmMain::TB_TextFontFaceClick(TComponent*) { FontNameListBox1->SetTextFontFace(TB_TextFontFace->Checked()); }

void TfrmMain::TB_FontListGetStopClick(TComponent*) { StopFlag = true; }

void TfrmMain::TBItem1Click(TComponent*) {
    if (VersionDialog) VersionDialog->Show();
}

void TfrmMain::TBItem2Click(TComponent*) { Close(); }

void TfrmMain::FormCloseQuery(TComponent*, bool& CanClose) {
    if (!closeConfirmed_) {
        int answer = ShowMessageBox(Handle(), "終了しますか？", "確認", MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES) {
            closeAfterScan_ = false;  // a later "いいえ" takes back an earlier "はい"
            vetter_.SetStartsAllowed(true);
            CanClose = false;
            return;
        }
        // The window is going: a preview or the scan's last file still asking must not start a
        // helper for it.
        vetter_.SetStartsAllowed(false);
        if (scanning_) {
            // The scan runs below this handler on the stack: stop it and close when it returns.
            StopFlag = true;
            closeAfterScan_ = true;
            CanClose = false;
            return;
        }
    }
    SilentCall([] { UnloadTempFont(); });
    CanClose = true;
}

void TfrmMain::FormClose(TComponent*, TCloseAction&) {
    ImagesClear();
    vetter_.SetStartsAllowed(false);
    SilentCall([this] { vetter_.StopHelpers(); });
}

void TfrmMain::ListView1SelectItem(TComponent*, int, bool) {
    SilentCall([this] {
        int index = ListView1->ItemIndex();
        if (index < 0) {
            lblSelectedFontName->SetCaption(std::string());
            lblFontFileName->SetCaption(std::string());
            return;
        }
        lblSelectedFontName->SetCaption(ListView1->SubItem(index, 1));
        lblFontFileName->SetCaption(AddBackslash(ShellTreeView1->Path()) + ListView1->SubItem(index, 0));
    });
}

void TfrmMain::FontNameListBox1Click(TComponent*) {
    SilentCall([this] {
        int index = FontNameListBox1->ItemIndex();
        if (index < 0) return;
        lblSelectedFontName->SetCaption(FontNameListBox1->Items(index));
        lblFontFileName->SetCaption(std::string());
    });
}

std::string TfrmMain::GetFontFaceName(const std::string& path) {
    return FontFaceNameOf(path, Handle(), scanBaseline_.get());
}

const TFamilyBaseline& TfrmMain::ScanBaseline() {
    // Taken when the scan first needs it, which is never while the helper names the faces.
    if (!scanBaseline_) scanBaseline_ = std::make_unique<TFamilyBaseline>(TFamilyBaseline::Capture(Handle()));
    return *scanBaseline_;
}

void TfrmMain::ShellTreeView1Change(TComponent*, HTREEITEM) {
    if (scanning_) return;  // the tree is disabled during a scan; only a program can get here
    scanning_ = true;
    unvetted_ = false;
    SilentCall([this] {
        const std::string folder = ShellTreeView1->Path();
        // A virtual folder (the computer) has no path and holds no files.
        const int count = folder.empty() ? 0 : CountFiles(AddBackslash(folder) + "*.ttf");
        if (count > 0) {
            // The helpers start first, so that their start overlaps all that comes before the
            // first file, and work through the folder ahead of the scan.
            vetter_.StartHelpers(count);
            PrefetchThumbnails(folder);
        }
        ImageList1->Clear();
        ListView1->Clear();
        TB_FontListGetStop->SetEnabled(true);
        StopFlag = false;
        ShellTreeView1->SetEnabled(false);
        Application->ProcessMessages();
        if (count > 0) {
            ImagesClear();
            StatusBar1->SetPanelText(0, std::string());
            FitProgressTextPanel(count);
            StatusProgressBar1->SetMax(count);
            FindFile1->SetFolderName(folder);
            FindFile1->SetIsFindSub(false);
            FindFile1->SetFileMask({"*.ttf"});
            TScanDisplay display({ListView1, StatusBar1, StatusProgressBar1}, scanDisplay_);
            FindFile1->Execute();
        }
        if (unvetted_) ShowUnvetted();
        Application->ProcessMessages();  // paints the scan's last state
    });
    // Whatever happened above, the user must be able to pick the next folder, and only one
    // idle helper outlives the scan: the next scan starts without waiting for one.
    SilentCall([this] { vetter_.StandBy(); });
    scanBaseline_.reset();
    // The hourglass stays from the first file to the last, instead of flickering between files.
    Screen->SetCursor(crDefault);
    ShellTreeView1->SetEnabled(true);
    TB_FontListGetStop->SetEnabled(false);
    StatusProgressBar1->SetPosition(0);
    scanning_ = false;
    if (closeAfterScan_) {
        closeAfterScan_ = false;
        closeConfirmed_ = true;
        Close();
    }
}

void TfrmMain::FitProgressTextPanel(int count) {
    const std::string widest = std::to_string(count) + "/" + std::to_string(count);
    StatusBar1->SetPanelWidth(0, std::max(kProgressTextPanelWidth, StatusBar1->PanelWidthFor(widest)));
    StatusProgressBar1->SetPanelIndex(StatusProgressBar1->PanelIndex());
}

void TfrmMain::FindFile1Find(const std::string& FileName, const std::string& Path, const TSearchRec&, bool& Cancel) {
    if (scanDisplay_) scanDisplay_->ShowIfDue();
    Cancel = StopFlag;
    StatusProgressBar1->SetPosition(StatusProgressBar1->Position() + 1);
    StatusBar1->SetPanelText(0, std::to_string(StatusProgressBar1->Position()) + "/" +
                                    std::to_string(StatusProgressBar1->Max()));
    SilentCall([&] {
        Application->ProcessMessages();
        Screen->SetCursor(crHourGlass);
        const std::string path = Path + FileName;
        const TFontDrawing thumbnail = ThumbnailDrawing(path);
        // A file the helper could not draw counts as one the system cannot register.
        const bool drawable = MayDraw(thumbnail);
        // The helper sends the face name and the thumbnail it drew, so the row comes whole;
        // only without a helper does this process register the file itself.
        if (const std::optional<TFontPicture> drawn = drawable ? vetter_.TakePicture(thumbnail) : std::nullopt) {
            const int image = AddThumbnail(drawn->face, &*drawn);
            const int row = ListView1->AddItem(std::string(), image >= 0 ? image : I_IMAGENONE);
            ListView1->AddSubItem(row, FileName);
            ListView1->AddSubItem(row, drawn->face);
        } else {
            AddRowDrawnHere(FileName, path, drawable);
        }
        FontImageCount += 1;
    });
    Application->ProcessMessages();
}

void TfrmMain::AddRowDrawnHere(const std::string& fileName, const std::string& path, bool drawable) {
    const int row = ListView1->AddItem();
    ListView1->AddSubItem(row, fileName);
    // The lookup leaves the file registered for the thumbnail: registering twice in a row
    // costs as much again as the lookup itself.
    const std::string face =
        drawable ? FontFaceNameOf(path, Handle(), &ScanBaseline(), TRegistrationAfterLookup::Keep) : std::string();
    ListView1->AddSubItem(row, face);
    if (!drawable) return;
    Application->ProcessMessages();
    // A handler that ran during the pumping may have swapped the registered file.
    if ((TempFontLoaded && TempFontPath == path) || LoadTempFont(path)) {
        const int image = AddThumbnail(face, nullptr);
        if (image >= 0) ListView1->SetImageIndex(row, image);
        UnloadTempFont();
    }
}

TFontDrawing TfrmMain::ThumbnailDrawing(const std::string& path) const {
    return TFontDrawing{path, "", "", kThumbnailPoints, ImageList1->Width(), ImageList1->Height()};
}

void TfrmMain::PrefetchThumbnails(const std::string& folder) {
    std::vector<TFontDrawing> drawings;
    for (const std::string& path : FilesIn(folder, "*.ttf")) drawings.push_back(ThumbnailDrawing(path));
    vetter_.Prefetch(drawings);
}

bool TfrmMain::MayDraw(const TFontDrawing& drawing) {
    const TFontVerdict verdict = vetter_.Vet(drawing);
    if (verdict != TFontVerdict::NoHelper) return verdict == TFontVerdict::Safe;
    // No helper can start: drawn here unchecked, as before vetting existed, unless the window is
    // going anyway.
    if (!vetter_.StartsAllowed()) return false;
    unvetted_ = true;
    return true;
}

void TfrmMain::ShowUnvetted() {
    StatusBar1->SetPanelWidth(0, std::max(StatusBar1->PanelWidth(0), StatusBar1->PanelWidthFor(kUnvettedText)));
    StatusProgressBar1->SetPanelIndex(StatusProgressBar1->PanelIndex());
    StatusBar1->SetPanelText(0, kUnvettedText);
}

int TfrmMain::AddThumbnail(const std::string& face, const TFontPicture* drawn) {
    // Slots past the table's end get no hidden image; the row still gets its thumbnail.
    const bool keep = FontImageCount >= 0 && FontImageCount < std::min(FontImageLimit, kFontImageSlots);
    auto image = std::make_unique<TImage>(this);
    int index = -1;
    if (drawn) {
        // The helper drew only what the list keeps of a picture drawn here: its cell.
        TBitmap picture;
        if (picture.SetPixels(drawn->width, drawn->height, drawn->pixels)) index = ImageList1->Add(picture);
    } else {
        DrawFontText(face, image->Canvas(), std::string(), 0, 0, kThumbnailPoints);
        Application->ProcessMessages();
        if (TBitmap* picture = image->Picture().Bitmap()) index = ImageList1->Add(*picture);
        // The list holds its own copy; a bitmap kept per file would exhaust the GDI objects of
        // a large folder.
        image->Picture().Clear();
    }
    if (keep) (*FontImages)[FontImageCount] = image.release();
    return index;
}

void TfrmMain::DrawFontText(const std::string& faceName, TCanvas& canvas, const std::string& text, int x, int y,
                            int size) {
    SilentCall([&] {
        Application->ProcessMessages();
        // The installed families, the registered file's included, are looked up by name alone:
        // listing all of them for every drawing cost a scan most of its time.
        DrawFaceText(canvas, Handle(), faceName, text, x, y, size);
        Application->ProcessMessages();
    });
}

void TfrmMain::DrawPreviewPass() {
    Image1->Picture().Clear();
    Application->ProcessMessages();
    const std::string file = lblFontFileName->Caption();
    const bool notInstalled = !file.empty();
    const std::string face = lblSelectedFontName->Caption();
    const std::string text = Edit1->Text();
    const int size = SpinEdit1->Value();
    if (notInstalled && (!MayDraw(TFontDrawing{file, face, text, size}) || !LoadTempFont(file))) return;
    DrawFontText(face, Image1->Canvas(), text, 0, 0, size);
    Application->ProcessMessages();
    // Names no installed face for a file, so the platform's substitute at the same size and
    // character set measures the text.
    TCanvas& canvas = Image1->Canvas();
    canvas.Font().SetName(file);
    if (!notInstalled) Application->ProcessMessages();
    // The preview must hold what was drawn, the face name for an empty text.
    SIZE extent = canvas.TextExtent(TextToDraw(face, text));
    Image1->SetBounds(Image1->Left(), Image1->Top(), extent.cx * 120 / 100, extent.cy);
    if (notInstalled) {
        Application->ProcessMessages();
        UnloadTempFont();
    }
}

void TfrmMain::btnFontPreviewClick(TComponent*) {
    if (previewing_) return;
    previewing_ = true;
    // A preview during a scan leaves the report to the scan.
    if (!scanning_) unvetted_ = false;
    SilentCall([this] {
        DrawPreviewPass();  // sizes the image to the text
        DrawPreviewPass();  // draws into a bitmap of that size
        Image1->Invalidate();  // it may have painted while the drawing pumped messages
        btnSaveFontPreview->SetEnabled(true);
        if (unvetted_ && !scanning_) ShowUnvetted();
    });
    previewing_ = false;
}

void TfrmMain::btnSaveFontPreviewClick(TComponent*) {
    SilentCall([this] {
        if (!SaveDialog1.Execute(Handle())) return;
        TBitmap* picture = Image1->Picture().Bitmap();
        if (!picture || !picture->SaveToFile(SaveDialog1.FileName)) return;
        ShowMessageBox(Handle(), "保存しました", Application->Title(), MB_OK);
    });
}

void TfrmMain::ImagesClear() {
    for (TImage*& image : *FontImages) {
        if (!image) continue;
        SilentCall([&image] { delete image; });
        image = nullptr;
    }
    FontImageCount = 0;
}
