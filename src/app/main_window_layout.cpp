// The main window's stored layout: every component and the properties that differ from
// their defaults, applied while the components are loading.
#include "app/main_window.h"

#include <commctrl.h>

#include "app/layout_builder.h"

namespace {
// Both picture buttons: a 16 x 16 icon at (10, 8), unstretched, the hand cursor, a standard focus.
void SetPictureButtonLook(TPictureButton* button, const char* icon) {
    button->SetCursor(crHandPoint);
    button->SetFocusStyle(bfsStdButton);
    button->LoadPictureIcon(Application->Instance(), icon);
    button->SetPictureLeft(10);
    button->SetPictureTop(8);
    button->SetStretch(false);
}

// The toolbars' docks: along the top, holding one toolbar that cannot float or change docks.
TTBToolbar* PlaceDockedToolbar(LayoutBuilder& b, TTBDock* dock, const char* name, const char* caption,
                               TImageList* images) {
    dock->SetPosition(dpTop);
    TTBToolbar* toolbar = b.Place<TTBToolbar>(name, dock, 0, 0, 23, 22);
    toolbar->SetCaption(caption);
    toolbar->SetDockMode(dmCannotFloatOrChangeDocks);
    toolbar->SetImages(images);
    toolbar->SetDockTextAlign(taLeftJustify);
    return toolbar;
}

TTBItem* Item(LayoutBuilder& b, TTBToolbar* bar, const char* name, const char* caption, int image) {
    TTBItem* item = b.Make<TTBItem>(name);
    item->SetCaption(caption);
    item->SetDisplayMode(nbdmImageAndText);
    item->SetImageIndex(image);
    item->SetParentComponent(bar);
    return item;
}

TTBSeparatorItem* Separator(LayoutBuilder& b, TTBToolbar* bar, const char* name) {
    TTBSeparatorItem* item = b.Make<TTBSeparatorItem>(name);
    item->SetParentComponent(bar);
    return item;
}
}  // namespace

void TfrmMain::BuildLayout() {
    BeginLoading();
    SetName("frmMain");
    SetCaption("Sorvane");
    SetBounds(222, 241, 767, 543);
    SetPosition(poScreenCenter);
    SetColor(clBtnFace);
    Font() = LayoutFont();

    LayoutBuilder b(this);
    ImageList1 = b.Make<TImageList>("ImageList1", 100, 50, false, clWhite);
    ImageList2 = b.Make<TImageList>("ImageList2", 16, 16, true);
    ImageList2->AddResourceStrip(Application->Instance(), "TOOLBAR", 0xFF00FF);

    TBSkin1 = b.Make<TTBSkin>("TBSkin1");
    TBSkin1->SetIsDefaultSkin(true);
    TBSkin1->SetOptions(TTBOptions{});
    TBSkin1->SetParentFont(true);

    TBDock1 = b.Place<TTBDock>("TBDock1", this, 0, 0, 759, 26);
    TBToolbar1 = PlaceDockedToolbar(b, TBDock1, "TBToolbar1", "ツールバー", ImageList2);
    TBToolbar1->SetCloseButton(false);
    TBToolbar1->SetDockPos(0);
    TB_NotInstallFont = Item(b, TBToolbar1, "TB_NotInstallFont", "未インストールフォント", 4);
    TB_NotInstallFont->SetChecked(true);
    TB_AlreadyInstallFont = Item(b, TBToolbar1, "TB_AlreadyInstallFont", "インストール済みフォント", 5);
    TBSeparatorItem2 = Separator(b, TBToolbar1, "TBSeparatorItem2");
    TB_FontListGetStop = Item(b, TBToolbar1, "TB_FontListGetStop", "取得の中止", 3);
    TB_FontListGetStop->SetEnabled(false);
    TBSeparatorItem1 = Separator(b, TBToolbar1, "TBSeparatorItem1");
    TBItem1 = Item(b, TBToolbar1, "TBItem1", "バージョン情報", 2);
    TBItem2 = Item(b, TBToolbar1, "TBItem2", "終了", 0);

    TBDock2 = b.Place<TTBDock>("TBDock2", this, 0, 26, 759, 26);
    TBToolbar2 = PlaceDockedToolbar(b, TBDock2, "TBToolbar2", "TBToolbar2", ImageList2);
    TB_TextFontFace = Item(b, TBToolbar2, "TB_TextFontFace", "「インストール済みフォント」一覧のテキストフォントフェイス", 6);
    TB_TextFontFace->SetAutoCheck(true);
    TB_TextFontFace->SetEnabled(false);

    StatusBar1 = b.Place<TStatusBar>("StatusBar1", this, 0, 500, 759, 16);
    StatusBar1->SetAlign(alBottom);
    StatusBar1->AddPanel(kProgressTextPanelWidth);
    StatusBar1->AddPanel(50);
    StatusProgressBar1 = b.Make<TStatusProgressBar>("StatusProgressBar1");
    StatusProgressBar1->SetStatusBar(StatusBar1);
    StatusProgressBar1->SetPanelIndex(1);
    StatusProgressBar1->SetMin(0);
    StatusProgressBar1->SetMax(100);
    StatusProgressBar1->SetSmooth(true);

    Panel2 = b.Place<TPanel>("Panel2", this, 0, 52, 209, 448);
    Panel2->SetAlign(alLeft);
    Panel2->SetBevelOuter(bvNone);
    ShellTreeView1 = b.Place<TShellTreeView>("ShellTreeView1", Panel2, 0, 0, 209, 448);
    ShellTreeView1->SetAlign(alClient);
    ShellTreeView1->SetIndent(19);
    FontNameListBox1 = b.Place<TFontNameListBox>("FontNameListBox1", Panel2, 0, 0, 209, 448);
    FontNameListBox1->SetAlign(alClient);
    FontNameListBox1->SetItemHeight(16);
    FontNameListBox1->SetValue("ADMUI3Lg");
    FontNameListBox1->SetVisible(false);

    Splitter1 = b.Place<TSplitter>("Splitter1", this, 209, 52, 3, 448);
    Splitter1->SetAlign(alLeft);
    Splitter1->SetColor(clBtnShadow);
    Splitter1->SetCursor(crHSplit);

    Panel1 = b.Place<TPanel>("Panel1", this, 212, 52, 547, 448);
    Panel1->SetAlign(alClient);
    Panel1->SetBevelOuter(bvNone);
    ListView1 = b.Place<TListView>("ListView1", Panel1, 0, 0, 547, 200);
    ListView1->SetAlign(alTop);
    ListView1->SetGridLines(true);
    ListView1->AddColumn("フォントイメージ", 100);
    ListView1->AddColumn("フォントファイル名", 100);
    ListView1->AddColumn("フォント名", 100);
    ListView1->SetSmallImages(ImageList1);
    Splitter2 = b.Place<TSplitter>("Splitter2", Panel1, 0, 200, 547, 3);
    Splitter2->SetAlign(alTop);
    Splitter2->SetColor(clBtnShadow);
    Splitter2->SetCursor(crVSplit);
    Panel3 = b.Place<TPanel>("Panel3", Panel1, 0, 203, 547, 245);
    Panel3->SetAlign(alClient);
    Panel3->SetBevelOuter(bvNone);
    Panel4 = b.Place<TPanel>("Panel4", Panel3, 0, 0, 547, 245);
    Panel4->SetAlign(alClient);
    Panel4->SetBevelInner(bvLowered);
    Panel4->SetBevelOuter(bvSpace);

    ibiFont_Title = b.Place<TLabel>("ibiFont_Title", Panel4, 32, 24, 48, 12);
    ibiFont_Title->SetCaption("フォント名");
    lblSelectedFontName = b.Place<TLabel>("lblSelectedFontName", Panel4, 128, 24, 6, 12);
    lblFontFile_Title = b.Place<TLabel>("lblFontFile_Title", Panel4, 32, 48, 84, 12);
    lblFontFile_Title->SetCaption("フォントファイル名");
    lblFontFileName = b.Place<TLabel>("lblFontFileName", Panel4, 128, 48, 6, 12);
    for (TLabel* label : {ibiFont_Title, lblSelectedFontName, lblFontFile_Title, lblFontFileName}) {
        label->SetTransparent(true);
    }

    GroupBox1 = b.Place<TGroupBox>("GroupBox1", Panel4, 16, 72, 521, 81);
    GroupBox1->SetCaption("簡易描画");
    Edit1 = b.Place<TEdit>("Edit1", GroupBox1, 16, 16, 393, 20);
    Edit1->SetTabOrder(0);
    Label1 = b.Place<TLabel>("Label1", GroupBox1, 424, 16, 72, 12);
    Label1->SetCaption("フォントサイズ");
    SpinEdit1 = b.Make<TSpinEdit>("SpinEdit1");
    SpinEdit1->SetEditorEnabled(false);
    SpinEdit1->SetMaxLength(2);
    SpinEdit1->SetRange(1, 90);
    SpinEdit1->SetValue(30);
    SpinEdit1->SetBounds(424, 32, 65, 21);
    SpinEdit1->SetParent(GroupBox1);
    SpinEdit1->SetTabOrder(1);
    btnSaveFontPreview = b.Place<TPictureButton>("btnSaveFontPreview", GroupBox1, 176, 40, 225, 33);
    btnSaveFontPreview->SetCaption("描画された文字をファイルに保存");
    btnSaveFontPreview->SetEnabled(false);
    btnSaveFontPreview->SetTabOrder(2);
    SetPictureButtonLook(btnSaveFontPreview, "SAVEICON");
    btnFontPreview = b.Place<TPictureButton>("btnFontPreview", GroupBox1, 16, 40, 145, 33);
    btnFontPreview->SetCaption("描画");
    btnFontPreview->SetTabOrder(3);
    SetPictureButtonLook(btnFontPreview, "PREVIEWICON");

    Image1 = b.Place<TImage>("Image1", Panel4, 16, 160, 233, 65);
    // Shown only while there is something to say; the picture then moves below it.
    lblPreviewNote = b.Place<TLabel>("lblPreviewNote", Panel4, 16, 160, 6, 12);
    lblPreviewNote->SetTransparent(true);
    lblPreviewNote->SetVisible(false);

    FindFile1 = b.Make<TFindFile>("FindFile1");
    FindFile1->SetFolderName(L"C:\\");
    FindFile1->SetIsFindSub(false);
    FindFile1->SetCheckTimeIs(tmNone);
    FindFile1->SetCheckTimeKind(tmLastWrite);

    Timer1 = b.Make<TTimer>("Timer1");
    Timer1->SetInterval(10);
    Timer1->SetEnabled(true);

    SaveDialog1.Title = "イメージ保存";
    SaveDialog1.Filter = "ビットマップ(*.bmp)|*.bmp";
    SaveDialog1.DefaultExt = "bmp";

    BindHandlers();
    b.FinishLoading();
    Loaded();
}

void TfrmMain::BindHandlers() {
    OnCreate = [this](TComponent* s) { FormCreate(s); };
    OnShow = [this](TComponent* s) { FormShow(s); };
    OnCloseQuery = [this](TComponent* s, bool& canClose) { FormCloseQuery(s, canClose); };
    OnClose = [this](TComponent* s, TCloseAction& action) { FormClose(s, action); };
    TB_NotInstallFont->OnClick = [this](TComponent* s) { TB_NotInstallFontClick(s); };
    TB_AlreadyInstallFont->OnClick = [this](TComponent* s) { TB_AlreadyInstallFontClick(s); };
    TB_FontListGetStop->OnClick = [this](TComponent* s) { TB_FontListGetStopClick(s); };
    TBItem1->OnClick = [this](TComponent* s) { TBItem1Click(s); };
    TBItem2->OnClick = [this](TComponent* s) { TBItem2Click(s); };
    TB_TextFontFace->OnClick = [this](TComponent* s) { TB_TextFontFaceClick(s); };
    Timer1->OnTimer = [this](TComponent* s) { Timer1Timer(s); };
    ListView1->OnSelectItem = [this](TComponent* s, int item, bool selected) { ListView1SelectItem(s, item, selected); };
    btnFontPreview->OnClick = [this](TComponent* s) { btnFontPreviewClick(s); };
    btnSaveFontPreview->OnClick = [this](TComponent* s) { btnSaveFontPreviewClick(s); };
    SaveDialog1.OnPathTooLong = [this](HWND dialog) { SaveDialog1PathTooLong(dialog); };
    FontNameListBox1->OnClick = [this](TComponent* s) { FontNameListBox1Click(s); };
    ShellTreeView1->OnChange = [this](TComponent* s, HTREEITEM node) { ShellTreeView1Change(s, node); };
    FindFile1->OnFind = [this](const std::wstring& name, const std::wstring& path, const TSearchRec& rec, bool& cancel) {
        FindFile1Find(name, path, rec, cancel);
    };
}
