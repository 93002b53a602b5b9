#pragma once
#include "widgets/progress_bar.h"
#include "widgets/status_bar.h"

// A progress bar that sits over one panel of a status bar. The place is computed only when
// StatusBar or PanelIndex is assigned; as a child of the bar it moves with it, but later
// changes of the bar's size or panel widths do not resize it.
class TStatusProgressBar : public TProgressBar {
public:
    explicit TStatusProgressBar(TComponent* owner);
    ~TStatusProgressBar() override;

    TStatusBar* StatusBar() const { return statusBar_; }
    // Outside loading another bar resets PanelIndex to 0; while a layout loads, the index
    // already read is kept, so the two properties can be read in either order.
    void SetStatusBar(TStatusBar* bar);
    int PanelIndex() const { return panelIndex_; }
    // Places the bar again even when the index is unchanged. Raises EListError for a panel
    // that does not exist, before anything has moved.
    void SetPanelIndex(int index);

    static int PanelLeft(const TStatusBar& bar, int n);
    static int PanelWidth(const TStatusBar& bar, int n);
    // Makes `bar` the parent and covers panel `n`; without a bar, moves to the containing form
    // and keeps position and size.
    void PlaceInPanel(TStatusBar* bar, int n);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TStatusBar* statusBar_ = nullptr;  // not owned
    int panelIndex_ = 0;
};
