#pragma once
#include "widgets/control.h"

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* owner);

    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetMin(int value);
    void SetMax(int value);
    int Position() const { return position_; }
    void SetPosition(int value);
    void SetSmooth(bool value) { smooth_ = value; }

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateWnd() override;
    // The bar paints at once on every new position: while held, the position is only stored.
    void UpdatesHeld() override {}
    void UpdatesReleased() override;

private:
    void ApplyRange();
    void ApplyPosition();
    int min_ = 0, max_ = 100, position_ = 0;
    bool smooth_ = false;
};
