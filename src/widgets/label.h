#pragma once
#include "widgets/control.h"

// Text painted on its parent; sized to its caption unless AutoSize is off.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    // Sized labels grow from their right edge when right-aligned.
    void Paint(TCanvas& canvas) override;

protected:
    void CaptionChanged() override;
    void FontChanged() override;

private:
    void AdjustSize();

    bool autoSize_ = true;
    TAlignment alignment_ = taLeftJustify;
};
