#pragma once
#include "widgets/control.h"

// Shows a picture; its canvas makes a white bitmap of the control's size on first use.
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);

    TPicture& Picture() { return picture_; }
    TCanvas& Canvas();
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value) { autoSize_ = value; }
    void Paint(TCanvas& canvas) override;

private:
    void PictureChanged();
    TPicture picture_;
    bool autoSize_ = false;
};
