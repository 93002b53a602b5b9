#pragma once
#include <string>

#include "components/picture_button.h"
#include "components/url_link.h"
#include "widgets/form.h"
#include "widgets/image.h"
#include "widgets/label.h"
#include "widgets/panel.h"

// The About dialog: the product name and version read once from a version resource, a block of
// notices with two links, and a close button. Shown without a modal loop, it keeps the main
// window disabled while shown.
class TfrmVersion : public TForm {
public:
    // `versionSource` is the executable whose version resource gives the captions; empty means
    // the program's own.
    explicit TfrmVersion(TComponent* owner, std::string versionSource = {});

    // Controls of the stored layout (owned by the form).
    TImage* Image2 = nullptr;
    TLabel *Label1 = nullptr, *Label2 = nullptr;
    TPanel* Panel1 = nullptr;
    TLabel* Label3 = nullptr;
    TURLLink* URLLink1 = nullptr;
    TLabel *Label4 = nullptr, *Label6 = nullptr;
    TURLLink* URLLink3 = nullptr;
    TPictureButton* btnClose = nullptr;

    // Handlers.
    void FormCreate(TComponent* Sender);
    void FormShow(TComponent* Sender);
    void FormCloseQuery(TComponent* Sender, bool& CanClose);
    void btnCloseClick(TComponent* Sender);

private:
    void BuildLayout();
    void BindHandlers();
    void ReadVersionValue(int key, std::string& value) const;

    std::string versionSource_;
};
