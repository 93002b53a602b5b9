#include "app/main_window.h"

#include <algorithm>
#include <utility>

#include "fonts/face_coverage.h"
#include "fonts/face_text.h"
#include "fonts/temp_font.h"
#include "widgets/directory.h"
#include "widgets/exception.h"
#include "widgets/wide_text.h"

namespace {

const char kUnvettedText[] = "フォントを検査できませんでした";

}  // namespace

// --- the main window --------------------------------------------------------------------------

TScanDisplay::TScanDisplay(const std::vector<TShown>& controls, TScanDisplay*& slot)
    : slot_(slot), checkedAt_(GetTickCount()) {
    for (const TShown& shown : controls) {
        // Every control shows itself first after kScanPaintIntervalMs.
        controls_.push_back(TEntry{shown, checkedAt_ + kScanPaintIntervalMs - shown.intervalMs});
        shown.control->BeginUpdate();
    }
    slot_ = this;
}

TScanDisplay::~TScanDisplay() {
    slot_ = nullptr;
    for (TEntry& entry : controls_) entry.shown.control->EndUpdate();
}

void TScanDisplay::ShowIfDue() {
    const DWORD now = GetTickCount();
    if (now - checkedAt_ < kScanPaintIntervalMs) return;
    checkedAt_ = now;
    for (TEntry& entry : controls_) {
        if (now - entry.shownAt < entry.shown.intervalMs) continue;
        entry.shownAt = now;
        entry.shown.control->EndUpdate();
        entry.shown.control->Update();
        entry.shown.control->BeginUpdate();
        // Showing the list can take tens of milliseconds: the window answers between showings.
        Application->ProcessMessages();
    }
}

// Listing a folder of tens of thousands of files takes a good part of a second: the window
// answers meanwhile. A folder of ordinary size is listed without a pause, as before.
void PumpNowAndThen(DWORD& lastPump, size_t entriesSoFar) {
    const DWORD now = GetTickCount();
    if (entriesSoFar < kListingUnpumped || now - lastPump < kListingPumpMs) return;
    Application->ProcessMessages();
    lastPump = GetTickCount();
}

// The entries of `folder` that the scan's masks take, folders counted as the progress counts
// them, and the files among them in the order the finder reports them. One pass: a folder is
// listed once, whichever masks match.
int CountFiles(const std::wstring& folder, std::vector<std::wstring>& files) {
    const std::wstring prefix = AddBackslash(folder);
    int count = 0;
    size_t entries = 0;
    DWORD lastPump = GetTickCount();
    ForEachDirectoryEntry(
        prefix + L"*",
        [&](const WIN32_FIND_DATAW& entry) {
            PumpNowAndThen(lastPump, ++entries);
            if (!MatchesAnyMask(std::wstring(entry.cFileName), kFontFileMasks)) return;
            ++count;
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(prefix + entry.cFileName);
        },
        [] { Application->ProcessMessages(); });
    return count;
}

TfrmMain::TfrmMain(TComponent* owner)
    : TForm(owner),
      FontImages(std::make_unique<std::array<TImage*, kFontImageSlots>>()),
      vetter_([] { Application->ProcessMessages(); }) {
    FontImages->fill(nullptr);
    BuildLayout();
    previewLayoutSize_ = SIZE{Image1->Width(), Image1->Height()};
    thumbnails_ = std::make_unique<TThumbnailCache>(*ImageList1, kThumbnailCacheSlots);
    ListView1->OnGetImageIndex = [this](int row) {
        int image = I_IMAGENONE;
        SilentCall([&] { image = ThumbnailImageOf(row); });
        return image;
    };
    DoCreate();
    // The first scan or preview finds a helper ready: starting one costs a folder of a hundred
    // fonts as much as scanning it. It starts once the window has shown itself and nothing is
    // waiting, so that the window does not wait for it; so does the thread that looks at folders.
    helperStartKey_ = Application->AddIdleHandler([this] {
        Application->RemoveIdleHandler(std::exchange(helperStartKey_, 0));
        SilentCall([this] {
            vetter_.StartHelpers(1);
            StartDirectoryReader();
        });
    });
}

TfrmMain::~TfrmMain() {
    // A window kept past the application (a program's static) has no idle handler to remove.
    if (helperStartKey_ && Application) Application->RemoveIdleHandler(helperStartKey_);
}

void TfrmMain::FormCreate(TComponent*) { FontImageCount = 0; }

void TfrmMain::FormShow(TComponent*) { lblSelectedFontName->SetCaption(std::string()); }

void TfrmMain::Timer1Timer(TComponent*) {
    SilentCall([this] {
        btnFontPreview->SetEnabled(!lblSelectedFontName->Caption().empty());
        // Previews in a row share the helper's verdicts; they go once the user has stopped
        // drawing, and the helper stays ready.
        CollectRedrawnThumbnails();
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
        const std::wstring path = AddBackslash(ShellTreeView1->Path()) + ListView1->WideSubItem(index, 0);
        // A row that says why its file cannot be shown names no face to draw.
        lblSelectedFontName->SetWideCaption(FontRegistrationPath(path).empty() ? std::wstring()
                                                                               : ListView1->WideSubItem(index, 1));
        lblFontFileName->SetWideCaption(path);
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

std::wstring TfrmMain::GetFontFaceName(const std::wstring& path) {
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
        const std::wstring folder = ShellTreeView1->Path();
        // A virtual folder (the computer) has no path and holds no files.
        scanFiles_.clear();
        prefetched_ = 0;
        const int count = folder.empty() ? 0 : CountFiles(folder, scanFiles_);
        if (count > 0) {
            // The helpers start first, so that their start overlaps all that comes before the
            // first file, and work through the folder ahead of the scan.
            vetter_.StartHelpers(count);
            PrefetchAhead(0);
        }
        thumbnails_->Clear();
        ListView1->Clear();
        listed_.clear();
        listedFolder_ = AddBackslash(folder);
        redrawing_.clear();
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
            FindFile1->SetFileMask(kFontFileMasks);
            TScanDisplay display({{ListView1, kScanListShowIntervalMs},
                                  {StatusBar1, kScanPaintIntervalMs},
                                  {StatusProgressBar1, kScanPaintIntervalMs}},
                                 scanDisplay_);
            FindFile1->Execute();
        }
        if (unvetted_) ShowUnvetted();
        Application->ProcessMessages();  // paints the scan's last state
    });
    // Whatever happened above, the user must be able to pick the next folder, and only one
    // idle helper outlives the scan: the next scan starts without waiting for one.
    SilentCall([this] { vetter_.StandBy(); });
    scanBaseline_.reset();
    scanFiles_ = {};
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

void TfrmMain::FindFile1Find(const std::wstring& FileName, const std::wstring& Path, const TSearchRec&, bool& Cancel) {
    if (scanDisplay_) scanDisplay_->ShowIfDue();
    Cancel = StopFlag;
    StatusProgressBar1->SetPosition(StatusProgressBar1->Position() + 1);
    SilentCall([this] { PrefetchAhead(StatusProgressBar1->Position()); });
    StatusBar1->SetPanelText(0, std::to_string(StatusProgressBar1->Position()) + "/" +
                                    std::to_string(StatusProgressBar1->Max()));
    SilentCall([&] {
        PumpIfDue();
        Screen->SetCursor(crHourGlass);
        const std::wstring path = Path + FileName;
        if (FontRegistrationPath(path).empty()) {
            // Neither the path nor a short form of it fits: the row says so instead of staying
            // empty like a file that is no font.
            const int row = ListView1->AddItem();
            ListView1->AddSubItem(row, FileName);
            ListView1->AddSubItem(row, std::string(kPathTooLongNote));
            FontImageCount += 1;
            return;
        }
        const TFontDrawing thumbnail = ThumbnailDrawing(path);
        // A file the helper could not draw counts as one the system cannot register.
        const bool drawable = MayDraw(thumbnail);
        // The helper sends the face name and the thumbnail it drew, so the row comes whole, or
        // a collection's face names, whose thumbnails follow; only without a helper does this
        // process register the file itself.
        const std::optional<TFontPicture> drawn = drawable ? vetter_.TakePicture(thumbnail) : std::nullopt;
        if (drawn && !drawn->faces.empty()) {
            AddFaceRows(FileName, path, drawn->faces);
        } else if (drawn) {
            const int row = AddRow(FileName, true);
            ListView1->AddSubItem(row, drawn->face);
            AddThumbnail(row, drawn->face, &*drawn);
            FontImageCount += 1;
        } else {
            AddRowDrawnHere(FileName, path, drawable);
        }
    });
    PumpIfDue();
}

void TfrmMain::PumpIfDue() {
    const DWORD now = GetTickCount();
    if (now - pumpedAt_ < kScanPumpMs) return;
    Application->ProcessMessages();
    pumpedAt_ = GetTickCount();
}

int TfrmMain::AddRow(const std::wstring& fileName, bool drawable) {
    const int row = ListView1->AddItem(std::string(), drawable ? I_IMAGECALLBACK : I_IMAGENONE);
    if (row < 0) throw Exception("row not added");
    if (static_cast<size_t>(row) >= listed_.size()) listed_.resize(row + 1);
    listed_[row] = TListedFont{drawable ? TThumbnailState::Coming : TThumbnailState::None};
    ListView1->AddSubItem(row, fileName);
    return row;
}

std::wstring TfrmMain::ListedPath(int row) const { return listedFolder_ + ListView1->WideSubItem(row, 0); }

std::wstring TfrmMain::ListedFace(int row) const { return ListView1->WideSubItem(row, 1); }

TFontDrawing TfrmMain::ListedThumbnail(int row) const {
    return ThumbnailDrawing(ListedPath(row), listed_[row].ofCollection ? ListedFace(row) : std::wstring());
}

void TfrmMain::AddFaceRows(const std::wstring& fileName, const std::wstring& path,
                           const std::vector<std::wstring>& faces) {
    for (const std::wstring& face : faces) {
        if (scanDisplay_) scanDisplay_->ShowIfDue();
        const TFontDrawing thumbnail = ThumbnailDrawing(path, face);
        // A face that faulted or hung the helper gets the row of a file it could not draw.
        const bool drawable = MayDraw(thumbnail);
        const int row = AddRow(fileName, drawable);
        listed_[row].ofCollection = true;
        ListView1->AddSubItem(row, drawable ? face : std::wstring());
        if (const std::optional<TFontPicture> drawn = drawable ? vetter_.TakePicture(thumbnail) : std::nullopt) {
            AddThumbnail(row, face, &*drawn);
        } else if (drawable) {
            // No helper could start meanwhile: drawn here, unchecked, as a single font would be.
            if (DrawThumbnailHere(row, path, face)) UnloadTempFont();
        } else {
            listed_[row].thumbnail = TThumbnailState::None;
        }
        FontImageCount += 1;
    }
}

void TfrmMain::AddRowDrawnHere(const std::wstring& fileName, const std::wstring& path, bool drawable) {
    // The lookup leaves the file registered for the thumbnails: registering twice in a row
    // costs as much again as the lookup itself.
    std::vector<std::wstring> faces;
    if (drawable) faces = FontFaceNamesOf(path, Handle(), &ScanBaseline(), TRegistrationAfterLookup::Keep);
    if (faces.empty()) faces.emplace_back();
    const bool collection = faces.size() > 1;
    for (const std::wstring& face : faces) {
        const int row = AddRow(fileName, drawable);
        listed_[row].ofCollection = collection;
        ListView1->AddSubItem(row, face);
        if (drawable) {
            Application->ProcessMessages();
            DrawThumbnailHere(row, path, face);
        }
        FontImageCount += 1;
    }
    if (drawable) UnloadTempFont();
}

bool TfrmMain::DrawThumbnailHere(int row, const std::wstring& path, const std::wstring& face) {
    // A handler that ran during a pump may have swapped the registered file.
    if (!(TempFontLoaded && TempFontPath == path) && !LoadTempFont(path)) {
        listed_[row].thumbnail = TThumbnailState::None;
        return false;
    }
    AddThumbnail(row, face, nullptr);
    ListView1->RedrawItem(row);  // it may have been painted without it meanwhile
    return true;
}

TFontDrawing TfrmMain::ThumbnailDrawing(const std::wstring& path, const std::wstring& face) const {
    return TFontDrawing{path, face, "", kThumbnailPoints, ImageList1->Width(), ImageList1->Height()};
}

void TfrmMain::PrefetchAhead(size_t reported) {
    const size_t wanted = std::min(scanFiles_.size(), reported + kPrefetchAhead);
    while (prefetched_ < wanted) {
        // Handed over in parts, each one write of requests.
        std::vector<TFontDrawing> drawings;
        for (const size_t end = std::min(wanted, prefetched_ + kPrefetchPart); prefetched_ < end; ++prefetched_) {
            // The drawing holds the path from here on.
            const std::wstring path = std::move(scanFiles_[prefetched_]);
            if (!FontRegistrationPath(path).empty()) drawings.push_back(ThumbnailDrawing(path));
        }
        vetter_.Prefetch(drawings);
    }
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

void TfrmMain::AddThumbnail(int row, const std::wstring& face, const TFontPicture* drawn) {
    // Slots past the table's end get no hidden image; the row still gets its thumbnail.
    const bool keep = FontImageCount >= 0 && FontImageCount < std::min(FontImageLimit, kFontImageSlots);
    // A picture from the helper needs no image of its own.
    auto image = keep || !drawn ? std::make_unique<TImage>(this) : nullptr;
    bool stored = false;
    if (drawn) {
        // The helper drew only what the list keeps of a picture drawn here: its cell.
        stored = StoreHelpersPicture(row, *drawn);
    } else {
        DrawFontText(face, image->Canvas(), std::string(), 0, 0, kThumbnailPoints);
        Application->ProcessMessages();
        if (TBitmap* picture = image->Picture().Bitmap()) stored = StoreThumbnail(row, *picture);
        // The list holds its own copy; a bitmap kept per file would exhaust the GDI objects of
        // a large folder.
        image->Picture().Clear();
    }
    if (static_cast<size_t>(row) < listed_.size())
        listed_[row].thumbnail = stored ? TThumbnailState::Drawn : TThumbnailState::None;
    if (keep) (*FontImages)[FontImageCount] = image.release();
}

bool TfrmMain::StoreThumbnail(int row, TBitmap& picture) { return thumbnails_->Store(row, picture) >= 0; }

bool TfrmMain::StoreHelpersPicture(int row, const TFontPicture& drawn) {
    // One bitmap carries every picture into the image list, which copies it: a bitmap made per
    // file cost more than the copy.
    return helpersPicture_.SetPixels(drawn.width, drawn.height, drawn.pixels) && StoreThumbnail(row, helpersPicture_);
}

int TfrmMain::ThumbnailImageOf(int row) {
    const int slot = thumbnails_->SlotOf(row);
    if (slot >= 0) return slot;
    if (row >= 0 && static_cast<size_t>(row) < listed_.size() && listed_[row].thumbnail == TThumbnailState::Drawn) {
        // Its slot went to a newer thumbnail: the helper draws it again, and the timer takes
        // the picture in.
        listed_[row].thumbnail = TThumbnailState::Redrawing;
        redrawing_.insert(row);
        vetter_.Redraw(ListedThumbnail(row));
    }
    return I_IMAGENONE;
}

void TfrmMain::CollectRedrawnThumbnails() {
    if (redrawing_.empty()) return;
    vetter_.Collect();
    for (auto at = redrawing_.begin(); at != redrawing_.end();) {
        const int row = *at;
        TListedFont& font = listed_[row];
        const TFontDrawing drawing = ListedThumbnail(row);
        const std::optional<TFontVerdict> verdict = vetter_.VerdictOf(drawing);
        if (const std::optional<TFontPicture> drawn = vetter_.TakePicture(drawing)) {
            font.thumbnail = StoreHelpersPicture(row, *drawn) ? TThumbnailState::Drawn : TThumbnailState::None;
        } else if (!verdict && vetter_.WithoutHelpers()) {
            // Without a helper the file is drawn here, as the scan drew it, once nothing else
            // holds the one registration.
            if (scanning_ || previewing_ || !vetter_.StartsAllowed()) {
                ++at;
                continue;
            }
            font.thumbnail = TThumbnailState::None;
            unvetted_ = true;
            ShowUnvetted();
            if (LoadTempFont(ListedPath(row))) {
                TImage image(nullptr);
                DrawFaceText(image.Canvas(), Handle(), ListedFace(row), std::string(), 0, 0, kThumbnailPoints);
                UnloadTempFont();
                TBitmap* picture = image.Picture().Bitmap();
                if (picture && StoreThumbnail(row, *picture)) font.thumbnail = TThumbnailState::Drawn;
            }
        } else if (verdict) {
            font.thumbnail = TThumbnailState::None;
        } else {
            // Asked for again when a new helper dropped the request; nothing when it is queued.
            vetter_.Redraw(drawing);
            ++at;
            continue;
        }
        ListView1->RedrawItem(row);
        at = redrawing_.erase(at);
    }
}

bool TfrmMain::DrawFontText(const std::wstring& faceName, TCanvas& canvas, const std::string& text, int x, int y,
                            int size) {
    bool drawn = false;
    SilentCall([&] {
        Application->ProcessMessages();
        // The installed families, the registered file's included, are looked up by name alone:
        // listing all of them for every drawing cost a scan most of its time.
        drawn = DrawFaceText(canvas, Handle(), faceName, text, x, y, size);
        Application->ProcessMessages();
    });
    return drawn;
}

namespace {
// Why a font file that was listed cannot be drawn now.
std::wstring FontFileTrouble(const std::wstring& path) {
    HANDLE file = CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return WideFromAnsi("このフォントファイルは描画できません（壊れている可能性があります）。");
    }
    switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return WideFromAnsi("フォントファイルを開けません。ほかのプログラムが使用中です。");
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return WideFromAnsi("フォントファイルが見つかりません。移動または削除された可能性があります。");
    default:
        return WideFromAnsi("フォントファイルを開けません。");
    }
}

// Why a save failed, so that the user can choose another name or place.
std::string SaveFailureReason(DWORD error) {
    switch (error) {
    case ERROR_FILE_READ_ONLY: return "読み取り専用のファイルです。";
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return "書き込めない場所です。";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "ほかのプログラムが使用中のファイルです。";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE: return "保存先のフォルダが見つかりません。";
    case ERROR_FILENAME_EXCED_RANGE: return "パスが長すぎます。";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY: return "ファイル名が正しくありません。";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "ディスクの空きが足りません。";
    default: return "エラー番号 " + std::to_string(error);
    }
}
}  // namespace

void TfrmMain::ShowPreviewNote(const std::wstring& note) {
    lblPreviewNote->SetWideCaption(note);
    lblPreviewNote->SetVisible(!note.empty());
    // The picture makes room below the note, so that neither hides the other.
    const int top = lblPreviewNote->Top() + (note.empty() ? 0 : lblPreviewNote->Height() + 4);
    Image1->SetBounds(Image1->Left(), top, Image1->Width(), Image1->Height());
}

void TfrmMain::DrawPreviewPass() {
    Image1->Picture().Clear();
    Application->ProcessMessages();
    const std::wstring file = lblFontFileName->WideCaption();
    const bool notInstalled = !file.empty();
    const std::wstring face = lblSelectedFontName->WideCaption();
    const std::string text = Edit1->Text();
    const int size = SpinEdit1->Value();
    if (notInstalled && (!MayDraw(TFontDrawing{file, face, text, size}) || !LoadTempFont(file))) {
        ShowPreviewNote(FontFileTrouble(file));
        return;
    }
    const bool drawn = DrawFontText(face, Image1->Canvas(), text, 0, 0, size);
    Application->ProcessMessages();
    // A bitmap of the size the first pass measured could not be made (the system's memory),
    // or the file no longer holds the face it was listed with. Either fails this drawing
    // alone: the next one starts from the layout's size.
    const TBitmap* made = Image1->Picture().Bitmap();
    std::wstring trouble;
    if (made && made->Empty() && Image1->Width() > 0 && Image1->Height() > 0) {
        trouble = WideFromAnsi("大きすぎて描画できません。文字を減らすか、サイズを小さくしてください。");
    } else if (notInstalled && !drawn) {
        trouble = WideFromAnsi("一覧の取得後にファイルが変わり、「") + face + WideFromAnsi("」がなくなりました。");
    }
    if (!trouble.empty()) {
        Image1->Picture().Clear();
        Image1->SetBounds(Image1->Left(), Image1->Top(), previewLayoutSize_.cx, previewLayoutSize_.cy);
        if (notInstalled) UnloadTempFont();
        ShowPreviewNote(trouble);
        return;
    }
    TCanvas& canvas = Image1->Canvas();
    // The drawing shows the face honestly, boxes and all; the note says which characters it lacks.
    if (drawn && !text.empty()) {
        std::wstring missing;
        canvas.WithTextTools([&](HDC dc) { missing = MissingCharacters(dc, WideFromAnsi(text)); });
        ShowPreviewNote(MissingCharactersNote(missing));
    }
    // Names no installed face for a file, so the platform's substitute at the same size and
    // character set measures the text.
    canvas.Font().SetName(AnsiFromWide(file));
    if (!notInstalled) Application->ProcessMessages();
    // The preview must hold what was drawn, the face name for an empty text.
    SIZE extent = TextToDrawExtent(canvas, face, text);
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
        ShowPreviewNote(std::wstring());
        DrawPreviewPass();  // sizes the image to the text
        DrawPreviewPass();  // draws into a bitmap of that size
        Image1->Invalidate();  // it may have painted while the drawing pumped messages
        // Enabled after a failed drawing too; saving then says that there is nothing to save.
        btnSaveFontPreview->SetEnabled(true);
        if (unvetted_ && !scanning_) ShowUnvetted();
    });
    previewing_ = false;
}

void TfrmMain::ShowSaveFailure(HWND owner, const std::string& reason) {
    ShowMessageBox(owner, "保存できませんでした。\n" + reason, Application->Title(), MB_OK | MB_ICONERROR);
}

void TfrmMain::SaveDialog1PathTooLong(HWND dialog) { ShowSaveFailure(dialog, "パスが長すぎます。"); }

void TfrmMain::btnSaveFontPreviewClick(TComponent*) {
    SilentCall([this] {
        const auto refuse = [this](const std::string& reason) { ShowSaveFailure(Handle(), reason); };
        auto drawing = [this] {
            TBitmap* picture = Image1->Picture().Bitmap();
            return picture && !picture->Empty() ? picture : nullptr;
        };
        // The dialog would otherwise open for a file that nothing could be written to.
        if (!drawing()) return refuse("描画された文字がありません。");
        if (!SaveDialog1.Execute(Handle())) return;
        TBitmap* picture = drawing();
        if (!picture) return refuse("描画された文字がありません。");
        if (!picture->SaveToFile(SaveDialog1.FileName)) return refuse(SaveFailureReason(GetLastError()));
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
