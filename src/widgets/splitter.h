#pragma once
#include "widgets/control.h"

// A bar between two aligned controls; dragging it resizes the control it is aligned against.
class TSplitter : public TWinControl {
public:
    explicit TSplitter(TComponent* owner);

    int MinSize = 30;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

    // The control that a drag resizes: the nearest visible one aligned on the same side.
    TControl* FindTarget() const;

protected:
    void PaintWindow(TCanvas& canvas) override;
    void BoundsChanged() override;

private:
    bool Vertical() const { return Align() == alLeft || Align() == alRight; }
    void UpdateCursor();

    bool dragging_ = false;
    POINT dragStart_{};
    int startSize_ = 0;
};
