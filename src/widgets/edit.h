#pragma once
#include "widgets/control.h"

// A one-line edit box.
class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);

    std::string Text() const;
    void SetText(const std::string& text);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateWnd() override;
    bool Command(WORD code, WORD id) override;

private:
    int maxLength_ = 0;
};
