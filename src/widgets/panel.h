#pragma once
#include "widgets/control.h"

enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };

// A container with an optional outer and inner bevel and a centred caption.
class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* owner);

    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut cut);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);

protected:
    void PaintWindow(TCanvas& canvas) override;
    void AdjustClientRect(RECT& r) const override;

private:
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
};

// Draws a bevel of `width` pixels just inside `r` and moves `r` inwards past it.
void DrawBevel(HDC dc, RECT& r, TBevelCut cut, int width);
