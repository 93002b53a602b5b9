#pragma once
#include <string>

#include "widgets/control.h"

// Text painted on its parent; sized to its caption unless AutoSize is off.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    // The caption in UTF-16, for names from the user's files: shown exactly, while Caption()
    // holds its code-page look-alike. Setting Caption() replaces it.
    const std::wstring& WideCaption() const { return wideCaption_; }
    void SetWideCaption(const std::wstring& caption);
    // Sized labels grow from their right edge when right-aligned.
    void Paint(TCanvas& canvas) override;

protected:
    void CaptionChanged() override;
    void FontChanged() override;

private:
    void AdjustSize();

    std::wstring wideCaption_;
    bool settingWide_ = false;
    bool autoSize_ = true;
    TAlignment alignment_ = taLeftJustify;
};
