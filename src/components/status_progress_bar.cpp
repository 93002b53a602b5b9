#include "components/status_progress_bar.h"

#include "widgets/exception.h"
#include "widgets/form.h"

namespace {
void CheckPanelIndex(const TStatusBar& bar, int n) {
    if (n < 0 || n >= bar.PanelCount()) {
        throw EListError("List index out of bounds (" + std::to_string(n) + ")");
    }
}

TForm* ContainingForm(TControl* control) {
    for (TWinControl* p = control->Parent(); p; p = p->Parent()) {
        if (auto* form = dynamic_cast<TForm*>(p)) return form;
    }
    return nullptr;
}
}  // namespace

TStatusProgressBar::TStatusProgressBar(TComponent* owner) : TProgressBar(owner) {}

TStatusProgressBar::~TStatusProgressBar() {
    if (statusBar_) RemoveFreeNotification(statusBar_);
}

int TStatusProgressBar::PanelLeft(const TStatusBar& bar, int n) {
    if (n == 0) return 0;
    int left = 2;
    for (int i = 0; i < n; ++i) left += bar.PanelWidth(i);
    return left;
}

int TStatusProgressBar::PanelWidth(const TStatusBar& bar, int n) {
    if (n == bar.PanelCount() - 1) return bar.Width() - PanelLeft(bar, n);
    // Every panel but the first loses the 2 pixels that PanelLeft adds in front of it.
    return n > 0 ? bar.PanelWidth(n) - 2 : bar.PanelWidth(n);
}

void TStatusProgressBar::PlaceInPanel(TStatusBar* bar, int n) {
    if (!bar) {
        SetParent(ContainingForm(this));
        return;
    }
    CheckPanelIndex(*bar, n);
    SetParent(bar);
    SetLeft(PanelLeft(*bar, n));
    SetTop(2);
    SetWidth(PanelWidth(*bar, n));
    SetHeight(bar->Height() - 2);
}

void TStatusProgressBar::SetStatusBar(TStatusBar* bar) {
    if (bar == statusBar_) return;
    int index = Loading() ? panelIndex_ : 0;
    PlaceInPanel(bar, index);
    if (statusBar_) RemoveFreeNotification(statusBar_);
    statusBar_ = bar;
    if (statusBar_) FreeNotification(statusBar_);
    panelIndex_ = index;
}

void TStatusProgressBar::SetPanelIndex(int index) {
    PlaceInPanel(statusBar_, index);
    panelIndex_ = index;
}

void TStatusProgressBar::Notification(TComponent* component, TOperation operation) {
    TProgressBar::Notification(component, operation);
    // A freed host must not be reached through the reference later.
    if (operation == opRemove && component == statusBar_) statusBar_ = nullptr;
}
