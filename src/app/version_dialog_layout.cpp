// The About dialog's stored layout, applied while the components are loading.
#include "app/layout_builder.h"
#include "app/version_dialog.h"

namespace {
// Both links: blue turning red under the pointer, no popup with the address.
void SetLinkLook(TURLLink* link, const char* caption, const char* address) {
    link->SetCaption(caption);
    link->SetLink(address);
    link->Font() = LayoutFont(12, 0, clBlue);
    link->SetLinkColor(clRed);
    link->SetCursor(crHandPoint);
    link->SetEnableShowHint(false);
    link->SetHintFormFont(LayoutFont());
    link->SetTransparent(true);
}

// A notice line on the white panel; this platform's labels do not take their parent's colour.
TLabel* PanelLine(LayoutBuilder& b, const char* name, TPanel* panel, int left, int top, const char* caption) {
    TLabel* label = b.Place<TLabel>(name, panel, left, top, 6, 12);
    label->SetColor(clWhite);
    label->SetCaption(caption);
    return label;
}
}  // namespace

void TfrmVersion::BuildLayout() {
    BeginLoading();
    SetName("frmVersion");
    SetCaption("バージョン情報");
    SetBorderStyle(bsDialog);
    SetClientSize(345, 224);
    SetPosition(poScreenCenter);
    SetColor(clBtnFace);
    Font() = LayoutFont();

    LayoutBuilder b(this);
    Image2 = b.Place<TImage>("Image2", this, 12, 16, 32, 32);
    Image2->SetAutoSize(true);

    Label1 = b.Place<TLabel>("Label1", this, 64, 16, 62, 21);
    Label1->SetCaption("Label1");
    Label1->Font() = LayoutFont(21, fsBold, clBlack);
    Label1->SetTransparent(true);

    // Right-aligned before it gets a parent and a caption: each later resize keeps its right edge.
    Label2 = b.Make<TLabel>("Label2");
    Label2->SetAlignment(taRightJustify);
    Label2->SetBounds(276, 40, 48, 16);
    Label2->SetParent(this);
    Label2->SetCaption("Label1");
    Label2->Font() = LayoutFont(16, fsBold, clBlack);
    Label2->SetTransparent(true);

    Panel1 = b.Place<TPanel>("Panel1", this, 52, 72, 241, 105);
    Panel1->SetBevelOuter(bvNone);
    Panel1->SetColor(clWhite);
    Label3 = PanelLine(b, "Label3", Panel1, 8, 13, "Sorvane はフリーソフトウェアです。");
    URLLink1 = b.Place<TURLLink>("URLLink1", Panel1, 8, 29, 48, 12);
    SetLinkLook(URLLink1, "Kestovar", "https://www.example.com/kestovar/");
    Label4 = PanelLine(b, "Label4", Panel1, 136, 29, "無断転載禁止");
    Label6 = PanelLine(b, "Label6", Panel1, 8, 61, "アイコン制作:");
    URLLink3 = b.Place<TURLLink>("URLLink3", Panel1, 88, 61, 90, 12);
    SetLinkLook(URLLink3, "Hoshizora Icons", "https://www.example.com/hoshizora-icons/");

    btnClose = b.Place<TPictureButton>("btnClose", this, 120, 192, 105, 25);
    btnClose->SetCaption("閉じる");
    btnClose->SetInColor(0xE3D6CC);  // 14931660
    btnClose->SetFocusStyle(bfsStdButton);
    btnClose->SetCursor(crHandPoint);
    btnClose->SetTabOrder(0);

    BindHandlers();
    b.FinishLoading();
    Loaded();
}

void TfrmVersion::BindHandlers() {
    OnCreate = [this](TComponent* s) { FormCreate(s); };
    OnShow = [this](TComponent* s) { FormShow(s); };
    OnCloseQuery = [this](TComponent* s, bool& canClose) { FormCloseQuery(s, canClose); };
    btnClose->OnClick = [this](TComponent* s) { btnCloseClick(s); };
}
