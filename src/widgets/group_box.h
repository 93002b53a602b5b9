#pragma once
#include "widgets/control.h"

// An etched frame with its caption in the top edge.
class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* owner);

protected:
    void PaintWindow(TCanvas& canvas) override;
    void AdjustClientRect(RECT& r) const override;
};
