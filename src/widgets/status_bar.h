#pragma once
#include "widgets/control.h"

// A status bar of panels with fixed widths.
class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);

    int PanelCount() const { return static_cast<int>(widths_.size()); }
    void AddPanel(int width);
    int PanelWidth(int index) const { return widths_.at(index); }
    void SetPanelWidth(int index, int width);
    // The width a panel needs to show all of `text`: the text in the bar's font, plus the panel's
    // edges and the space the bar leaves around its text.
    int PanelWidthFor(const std::string& text) const;
    std::string PanelText(int index) const;
    void SetPanelText(int index, const std::string& text);
    // The panel's rectangle in the bar's client coordinates, as the bar draws it.
    RECT PanelRect(int index) const;

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateWnd() override;
    // While held, panel texts are only stored; the release sends them all.
    void UpdatesHeld() override {}
    void UpdatesReleased() override;

private:
    // The common controls draw a panel's text this far inside its sunken edge.
    static constexpr int kTextPadding = 3;

    void ApplyParts();
    void ApplyPanelText(int index);
    std::vector<int> widths_;
    std::vector<std::string> texts_;
};
