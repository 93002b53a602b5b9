#include "app/version_dialog.h"

#include <utility>

#include "app/version_info.h"

TfrmVersion::TfrmVersion(TComponent* owner, std::string versionSource)
    : TForm(owner), versionSource_(std::move(versionSource)) {
    BuildLayout();
    DoCreate();
}

void TfrmVersion::ReadVersionValue(int key, std::string& value) const {
    if (versionSource_.empty()) {
        GetVersionInfoValue(key, value);
    } else {
        GetVersionInfoValue(versionSource_, key, value);
    }
}

void TfrmVersion::FormCreate(TComponent*) {
    // A resource without a translation table throws at the first read: both captions then keep
    // their stored text and the icon stays unset, without a message.
    SilentCall([this] {
        std::string productName;
        ReadVersionValue(viProductName, productName);
        Label1->SetCaption(productName);
        std::string productVersion;
        ReadVersionValue(viProductVersion, productVersion);
        Label2->SetCaption("Version: " + productVersion);
        Image2->Picture().SetIcon(Application->Icon());
    });
}

// The dialog never disables itself, which it would if it were the only form and so the main one.
void TfrmVersion::FormShow(TComponent*) {
    TForm* main = Application->MainForm();
    if (main && main != this) main->SetEnabled(false);
}

void TfrmVersion::FormCloseQuery(TComponent*, bool& CanClose) {
    if (TForm* main = Application->MainForm()) main->SetEnabled(true);
    CanClose = true;
}

void TfrmVersion::btnCloseClick(TComponent*) { Close(); }
