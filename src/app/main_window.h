#pragma once
#include <array>
#include <memory>
#include <string>

#include "components/font_name_list_box.h"
#include "components/picture_button.h"
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
// A scan shows the list and its progress at most this often: under Wine each showing (scroll
// bars, new rows, status text, progress bar) costs about as much as handling five files.
constexpr DWORD kScanPaintIntervalMs = 100;
// The status bar's first panel, which shows the scan's progress text, is never narrower.
constexpr int kProgressTextPanelWidth = 50;
// How long the verdicts of previews are kept after the last one.
constexpr DWORD kIdleHelperMs = 3000;

// Adding a row to the list redraws it and its scroll bar at once, and a new position redraws
// the progress bar: that cost a scan most of its time. While a scan runs, the list and its
// progress are shown as they are at most every kScanPaintIntervalMs, and in full at the end.
class TScanDisplay {
public:
    // Points `slot` at itself while it lives.
    TScanDisplay(std::vector<TWinControl*> controls, TScanDisplay*& slot);
    ~TScanDisplay();
    TScanDisplay(const TScanDisplay&) = delete;
    TScanDisplay& operator=(const TScanDisplay&) = delete;
    void ShowIfDue();

private:
    std::vector<TWinControl*> controls_;
    TScanDisplay*& slot_;
    DWORD shownAt_;
};

// One thumbnail slot per reported file of the current scan.
constexpr int kFontImageSlots = 65536;

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
    void FindFile1Find(const std::string& FileName, const std::string& Path, const TSearchRec& Search, bool& Cancel);
    void ImagesClear();
    void btnFontPreviewClick(TComponent* Sender);
    void btnSaveFontPreviewClick(TComponent* Sender);
    // Draws `text` (the face name when empty) in the installed face `faceName` at `size` points.
    void DrawFontText(const std::string& faceName, TCanvas& canvas, const std::string& text, int x, int y, int size);

    std::string GetFontFaceName(const std::string& path);

    const TFontVetter& Vetter() const { return vetter_; }

    // Scan state.
    bool StopFlag = false;
    int FontImageCount = 0;
    // Slots actually usable; tests lower it to reach the bound with few files.
    int FontImageLimit = kFontImageSlots;
    TImage* FontImage(int slot) const { return slot >= 0 && slot < kFontImageSlots ? (*FontImages)[slot] : nullptr; }
    bool Scanning() const { return scanning_; }

private:
    void BuildLayout();
    void BindHandlers();
    // Adds the helper's drawing of `face` to the list's images when there is one, else draws it
    // here; returns its index there, -1 for none.
    int AddThumbnail(const std::string& face, const TFontPicture* drawn);
    // The row of a file the helper did not draw: named, and drawn when `drawable`, here.
    void AddRowDrawnHere(const std::string& fileName, const std::string& path, bool drawable);
    void DrawPreviewPass();
    TFontDrawing ThumbnailDrawing(const std::string& path) const;
    void PrefetchThumbnails(const std::string& folder);
    // Widens the progress text's panel to hold "count/count" whole, or narrows it back; the
    // progress bar in the next panel moves along.
    void FitProgressTextPanel(int count);
    const TFamilyBaseline& ScanBaseline();
    // Whether the helper process made `drawing` without trouble, or none could be started and
    // the window is not closing (then the drawing counts as unvetted).
    bool MayDraw(const TFontDrawing& drawing);
    // Says on the status bar that files were drawn without a helper's check.
    void ShowUnvetted();

    std::unique_ptr<std::array<TImage*, kFontImageSlots>> FontImages;
    std::unique_ptr<TFamilyBaseline> scanBaseline_;
    // Tries every drawing of a font file in a helper process first. One helper is started when
    // the window is first idle and stays ready between scans and previews; it ends when the
    // window closes.
    TFontVetter vetter_;
    int helperStartKey_ = 0;  // the idle handler that starts it, until it has run
    TScanDisplay* scanDisplay_ = nullptr;  // the running scan's
    bool scanning_ = false;
    bool closeAfterScan_ = false;  // "はい" arrived during a scan: close once it has stopped
    bool closeConfirmed_ = false;
    bool previewing_ = false;  // a preview pumps messages; a second click must not free its bitmap
    bool unvetted_ = false;    // the running scan or preview drew a file no helper had checked
};

