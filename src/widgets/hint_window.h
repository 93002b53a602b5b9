#pragma once
#include <string>

#include "widgets/control.h"

// The borderless, stay-on-top window that shows a link's target beside the pointer. It is
// shown without activation, so the focus stays where it was.
class THintWindow : public TWinControl {
public:
    explicit THintWindow(TComponent* owner);

    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);

protected:
    void CreateParams(TCreateParams& params) override;
    void PaintWindow(TCanvas& canvas) override;

private:
    std::string text_;
};
