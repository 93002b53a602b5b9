#include "app/version_dialog.h"

TfrmVersion::TfrmVersion(TComponent* owner) : TForm(owner) {
    BeginLoading();
    SetName("frmVersion");
    SetCaption("バージョン情報");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientSize(345, 224);
    OnShow = [this](TComponent* s) { FormShow(s); };
    OnCloseQuery = [this](TComponent* s, bool& canClose) { FormCloseQuery(s, canClose); };
    Loaded();
    DoCreate();
}

void TfrmVersion::FormShow(TComponent*) {
    if (TForm* main = Application->MainForm()) main->SetEnabled(false);
}

void TfrmVersion::FormCloseQuery(TComponent*, bool& CanClose) {
    if (TForm* main = Application->MainForm()) main->SetEnabled(true);
    CanClose = true;
}
