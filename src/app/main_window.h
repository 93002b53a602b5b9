#pragma once
#include <array>
#include <memory>
#include <set>
#include <string>

#include "components/font_name_list_box.h"
#include "components/picture_button.h"
#include "app/thumbnail_cache.h"
#include "components/status_progress_bar.h"
#include "fonts/find_file.h"
#include "fonts/font_vetting.h"
#include "toolbar/skins/skin.h"
#include "toolbar/docks/toolbar.h"
#include "widgets/button.h"
#include "widgets/dialogs.h"
#include "widgets/edit.h"
#include "widgets/form.h"
#include "widgets/group_box.h"
#include "widgets/image.h"
#include "widgets/image_list.h"
#include "widgets/label.h"
#include "widgets/list_box.h"
#include "widgets/list_view.h"
#include "widgets/panel.h"
#include "widgets/progress_bar.h"
#include "widgets/shell_tree_view.h"
#include "widgets/spin_edit.h"
#include "widgets/splitter.h"
#include "widgets/status_bar.h"
#include "widgets/timer.h"

class TFamilyBaseline;

// The size of the face name in a thumbnail.
constexpr int kThumbnailPoints = 30;
// A scan shows its progress at most this often: under Wine each showing (status text, progress
// bar) costs about as much as handling five files.
constexpr DWORD kScanPaintIntervalMs = 100;
// The list's new rows are shown at most this often, the first time with the progress: a new row
// count repaints the list's scroll bar, ten milliseconds under Wine.
constexpr DWORD kScanListShowIntervalMs = 500;
// A scan answers the window's messages at most this often between files: under Wine each look
// at the queue costs a call to the server, which cost a scan of small fonts a tenth of its time.
constexpr DWORD kScanPumpMs = 10;
// The status bar's first panel, which shows the scan's progress text, is never narrower.
constexpr int kProgressTextPanelWidth = 50;
// While a large folder is listed, the window answers at least this often, once this many
// entries have been listed.
constexpr DWORD kListingPumpMs = 20;
constexpr size_t kListingUnpumped = 2000;
// The helpers draw at most kPrefetchAhead files ahead of the scan, handed to them kPrefetchPart
// at a time: handed the whole of a folder of tens of thousands at once, the vetter's queues held
// every file's drawing twice, and the window did not answer while they were filled.
constexpr size_t kPrefetchAhead = 1024;
constexpr size_t kPrefetchPart = 512;
// How long the verdicts of previews are kept after the last one.
constexpr DWORD kIdleHelperMs = 3000;
// The face column of a file whose path is too long for the system to register it by any form.
constexpr char kPathTooLongNote[] = "（パスが長すぎて読めません）";

// The files the folder scan lists, in any letter case: TrueType and OpenType fonts and
// collections of either.
inline const std::vector<std::string> kFontFileMasks = {"*.ttf", "*.otf", "*.ttc", "*.otc"};

// Adding a row to the list redraws it and its scroll bar at once, and a new position redraws
// the progress bar: that cost a scan most of its time. While a scan runs, the list and its
// progress are shown as they are at most every kScanPaintIntervalMs, and in full at the end.
class TScanDisplay {
public:
    struct TShown {
        TWinControl* control;
        DWORD intervalMs;  // at least kScanPaintIntervalMs
    };
    // Points `slot` at itself while it lives.
    TScanDisplay(const std::vector<TShown>& controls, TScanDisplay*& slot);
    ~TScanDisplay();
    TScanDisplay(const TScanDisplay&) = delete;
    TScanDisplay& operator=(const TScanDisplay&) = delete;
    void ShowIfDue();

private:
    struct TEntry {
        TShown shown;
        DWORD shownAt;
    };
    std::vector<TEntry> controls_;
    TScanDisplay*& slot_;
    DWORD checkedAt_;
};

// One thumbnail slot per reported file of the current scan.
constexpr int kFontImageSlots = 65536;
// Thumbnails the list holds at once, about 15 KB each: many screens of rows. The others are
// drawn again when their rows are shown again.
constexpr int kThumbnailCacheSlots = 1024;

class TfrmMain : public TForm {
public:
    explicit TfrmMain(TComponent* owner);
    ~TfrmMain() override;

    // Controls of the stored layout (owned by the form).
    TTBDock* TBDock1 = nullptr;
    TTBToolbar* TBToolbar1 = nullptr;
    TTBItem *TB_NotInstallFont = nullptr, *TB_AlreadyInstallFont = nullptr, *TB_FontListGetStop = nullptr,
            *TBItem1 = nullptr, *TBItem2 = nullptr;
    TTBSeparatorItem *TBSeparatorItem2 = nullptr, *TBSeparatorItem1 = nullptr;
    TTBDock* TBDock2 = nullptr;
    TTBToolbar* TBToolbar2 = nullptr;
    TTBItem* TB_TextFontFace = nullptr;
    TTBSkin* TBSkin1 = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TStatusProgressBar* StatusProgressBar1 = nullptr;
    TPanel* Panel2 = nullptr;
    TShellTreeView* ShellTreeView1 = nullptr;
    TFontNameListBox* FontNameListBox1 = nullptr;
    TSplitter* Splitter1 = nullptr;
    TPanel* Panel1 = nullptr;
    TListView* ListView1 = nullptr;
    TSplitter* Splitter2 = nullptr;
    TPanel *Panel3 = nullptr, *Panel4 = nullptr;
    TLabel *ibiFont_Title = nullptr, *lblSelectedFontName = nullptr, *lblFontFile_Title = nullptr,
           *lblFontFileName = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TEdit* Edit1 = nullptr;
    TLabel* Label1 = nullptr;
    TSpinEdit* SpinEdit1 = nullptr;
    TPictureButton *btnSaveFontPreview = nullptr, *btnFontPreview = nullptr;
    TImage* Image1 = nullptr;
    // Says in the preview area why a preview shows nothing or less than asked; hidden when
    // there is nothing to say.
    TLabel* lblPreviewNote = nullptr;
    TFindFile* FindFile1 = nullptr;
    TImageList *ImageList1 = nullptr, *ImageList2 = nullptr;
    TTimer* Timer1 = nullptr;
    TSaveDialog SaveDialog1;

    // The About dialog that "バージョン情報" shows.
    TForm* VersionDialog = nullptr;

    // Handlers.
    void FormCreate(TComponent* Sender);
    void FormShow(TComponent* Sender);
    void FormCloseQuery(TComponent* Sender, bool& CanClose);
    void FormClose(TComponent* Sender, TCloseAction& Action);
    void TB_NotInstallFontClick(TComponent* Sender);
    void TB_AlreadyInstallFontClick(TComponent* Sender);
    void TB_TextFontFaceClick(TComponent* Sender);
    void TB_FontListGetStopClick(TComponent* Sender);
    void TBItem1Click(TComponent* Sender);
    void TBItem2Click(TComponent* Sender);
    void Timer1Timer(TComponent* Sender);
    void ListView1SelectItem(TComponent* Sender, int Item, bool Selected);
    void FontNameListBox1Click(TComponent* Sender);
    void ShellTreeView1Change(TComponent* Sender, HTREEITEM Node);
    void FindFile1Find(const std::wstring& FileName, const std::wstring& Path, const TSearchRec& Search, bool& Cancel);
    void ImagesClear();
    void btnFontPreviewClick(TComponent* Sender);
    void btnSaveFontPreviewClick(TComponent* Sender);
    void SaveDialog1PathTooLong(HWND dialog);
    // Shows `note` under the preview, or hides the note when it is empty.
    void ShowPreviewNote(const std::wstring& note);
    // Draws `text` (the face name when empty) in the installed face `faceName` at `size` points;
    // false when nothing was drawn (the face is not installed).
    bool DrawFontText(const std::wstring& faceName, TCanvas& canvas, const std::string& text, int x, int y, int size);

    std::wstring GetFontFaceName(const std::wstring& path);

    const TFontVetter& Vetter() const { return vetter_; }

    // Scan state.
    bool StopFlag = false;
    int FontImageCount = 0;
    // Slots actually usable; tests lower it to reach the bound with few files. The hidden images
    // are kept for as many files as the list keeps thumbnails: kept for every file of a large
    // folder, they held most of the memory its rows cost.
    int FontImageLimit = kThumbnailCacheSlots;
    TImage* FontImage(int slot) const { return slot >= 0 && slot < kFontImageSlots ? (*FontImages)[slot] : nullptr; }
    bool Scanning() const { return scanning_; }
    TThumbnailCache& Thumbnails() { return *thumbnails_; }
    // Whether the row's thumbnail was drawn, held in the cache or not.
    bool HasThumbnail(int row) const {
        return row >= 0 && static_cast<size_t>(row) < listed_.size() &&
               (listed_[row].thumbnail == TThumbnailState::Drawn || listed_[row].thumbnail == TThumbnailState::Redrawing);
    }

private:
    void BuildLayout();
    void BindHandlers();
    // A row of the list for a file; its thumbnail, if it gets one, comes later.
    int AddRow(const std::wstring& fileName, bool drawable);
    // A row's file and face, as the list shows them, and the drawing of its thumbnail.
    std::wstring ListedPath(int row) const;
    std::wstring ListedFace(int row) const;
    TFontDrawing ListedThumbnail(int row) const;
    // Gives `row` the helper's drawing of `face` when there is one, else draws it here.
    void AddThumbnail(int row, const std::wstring& face, const TFontPicture* drawn);
    bool StoreThumbnail(int row, TBitmap& picture);
    bool StoreHelpersPicture(int row, const TFontPicture& drawn);
    // The list's image for `row`: its slot in the cache, or none while it is drawn again.
    int ThumbnailImageOf(int row);
    // Takes the thumbnails drawn again since the last call into the cache.
    void CollectRedrawnThumbnails();
    // The rows of a file the helper did not draw (one per face): named, and drawn when
    // `drawable`, here.
    void AddRowDrawnHere(const std::wstring& fileName, const std::wstring& path, bool drawable);
    // Draws `row`'s thumbnail of `face` here, unchecked, leaving `path` registered; false (and
    // the row without a thumbnail) when the file cannot be registered.
    bool DrawThumbnailHere(int row, const std::wstring& path, const std::wstring& face);
    // A row for each face of a collection whose faces the helper named, in their order.
    void AddFaceRows(const std::wstring& fileName, const std::wstring& path, const std::vector<std::wstring>& faces);
    // One drawing of the preview; one that cannot be made leaves no picture and a note that
    // says why.
    void DrawPreviewPass();
    // "保存できませんでした。" and why, in a box owned by `owner`.
    void ShowSaveFailure(HWND owner, const std::string& reason);
    // A thumbnail names its face only for a face of a collection.
    TFontDrawing ThumbnailDrawing(const std::wstring& path, const std::wstring& face = std::wstring()) const;
    // Hands the helpers the drawings of the files up to kPrefetchAhead past the `reported` first.
    void PrefetchAhead(size_t reported);
    // Widens the progress text's panel to hold "count/count" whole, or narrows it back; the
    // progress bar in the next panel moves along.
    void FitProgressTextPanel(int count);
    const TFamilyBaseline& ScanBaseline();
    // Whether the helper process made `drawing` without trouble, or none could be started and
    // the window is not closing (then the drawing counts as unvetted).
    bool MayDraw(const TFontDrawing& drawing);
    // Says on the status bar that files were drawn without a helper's check.
    void ShowUnvetted();
    // Lets the window answer during a scan, every kScanPumpMs.
    void PumpIfDue();

    std::unique_ptr<std::array<TImage*, kFontImageSlots>> FontImages;
    // What the list needs, beside the row's file and face, to draw a row's thumbnail again once
    // the cache has let it go: two bytes a row, for folders of a hundred thousand files.
    enum class TThumbnailState : uint8_t { None, Coming, Drawn, Redrawing };
    struct TListedFont {
        TThumbnailState thumbnail;
        bool ofCollection = false;  // its thumbnail is drawn by naming its face
    };
    std::vector<TListedFont> listed_;
    std::wstring listedFolder_;  // the listed files' folder, with a backslash
    // The running scan's files, in the finder's order, until handed to the helpers.
    std::vector<std::wstring> scanFiles_;
    size_t prefetched_ = 0;                // of them, handed to the helpers
    std::unique_ptr<TThumbnailCache> thumbnails_;
    TBitmap helpersPicture_;  // see StoreHelpersPicture
    std::set<int> redrawing_;  // rows whose thumbnails are being drawn again
    std::unique_ptr<TFamilyBaseline> scanBaseline_;
    // Tries every drawing of a font file in a helper process first. One helper is started when
    // the window is first idle and stays ready between scans and previews; it ends when the
    // window closes.
    TFontVetter vetter_;
    int helperStartKey_ = 0;  // the idle handler that starts it, until it has run
    TScanDisplay* scanDisplay_ = nullptr;  // the running scan's
    bool scanning_ = false;
    DWORD pumpedAt_ = 0;
    bool closeAfterScan_ = false;  // "はい" arrived during a scan: close once it has stopped
    bool closeConfirmed_ = false;
    bool previewing_ = false;  // a preview pumps messages; a second click must not free its bitmap
    SIZE previewLayoutSize_{};  // the preview's size before any drawing sized it
    bool unvetted_ = false;    // the running scan or preview drew a file no helper had checked
};

