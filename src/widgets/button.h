#pragma once
#include "widgets/control.h"

// The system push button.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);
    void SetIcon(HICON icon);

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateWnd() override;
    bool Command(WORD code, WORD id) override;

private:
    HICON icon_ = nullptr;
};
