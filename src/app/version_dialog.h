#pragma once
#include "widgets/form.h"

// The About dialog: shown without a modal loop, it keeps the main window disabled while shown.
class TfrmVersion : public TForm {
public:
    explicit TfrmVersion(TComponent* owner);

    void FormShow(TComponent* Sender);
    void FormCloseQuery(TComponent* Sender, bool& CanClose);
};
