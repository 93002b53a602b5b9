// Children of a windowed control: inserting and removing them, tab order, and alignment.
#include "widgets/control.h"

#include <algorithm>
#include <vector>

void TControl::RequestAlign() {
    if (parent_ && align_ != alNone) parent_->Realign();
}

void TControl::SetAlign(TAlign align) {
    if (align == align_) return;
    align_ = align;
    RequestAlign();
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    control->parent_ = this;
    control->ParentFontChanged(Font());
    if (auto* win = dynamic_cast<TWinControl*>(control)) {
        if (win->tabOrder_ < 0) {
            int windowed = 0;
            for (TControl* c : controls_) windowed += (c != control && c->IsWindowed());
            win->tabOrder_ = windowed;
        }
        if (handle_) {
            win->HandleNeeded();
            ApplyTabOrder();
        }
    }
    control->Invalidate();
    Realign();
    ControlInserted(control);
}

void TWinControl::RemoveControl(TControl* control) {
    if (auto* win = dynamic_cast<TWinControl*>(control)) win->DestroyWnd();
    DetachControl(control);
}

void TWinControl::DetachControl(TControl* control) {
    control->Invalidate();
    if (captureControl_ == control) captureControl_ = nullptr;
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    control->parent_ = nullptr;
    Realign();
    ControlRemoved(control);
}

void TWinControl::SetTabOrder(int order) {
    if (order == tabOrder_) return;
    if (!parent_) {
        tabOrder_ = order;
        return;
    }
    // Renumber the siblings so that the orders stay 0..n-1 with this one at `order`.
    std::vector<TWinControl*> siblings;
    for (TControl* c : parent_->controls_) {
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w != this) siblings.push_back(w);
    }
    std::stable_sort(siblings.begin(), siblings.end(), [](auto* a, auto* b) { return a->tabOrder_ < b->tabOrder_; });
    order = std::clamp(order, 0, static_cast<int>(siblings.size()));
    siblings.insert(siblings.begin() + order, this);
    for (size_t i = 0; i < siblings.size(); ++i) siblings[i]->tabOrder_ = static_cast<int>(i);
    parent_->ApplyTabOrder();
}

void TWinControl::ApplyTabOrder() {
    if (!handle_) return;
    // The dialog navigation follows the window order; put the windows in tab order.
    std::vector<TWinControl*> windowed;
    for (TControl* c : controls_) {
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->handle_) windowed.push_back(w);
    }
    std::stable_sort(windowed.begin(), windowed.end(), [](auto* a, auto* b) { return a->tabOrder_ < b->tabOrder_; });
    HWND after = HWND_TOP;
    for (TWinControl* w : windowed) {
        SetWindowPos(w->handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = w->handle_;
    }
}

void TWinControl::SetTabStop(bool value) {
    if (value == tabStop_) return;
    tabStop_ = value;
    if (handle_) {
        LONG style = GetWindowLongA(handle_, GWL_STYLE);
        SetWindowLongA(handle_, GWL_STYLE, value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
    }
}

void TWinControl::Realign() {
    if (!handle_) return;
    if (aligning_) {
        // A control placed by this pass changed a sibling (a pane that grows with the window):
        // another pass follows.
        realignPending_ = true;
        return;
    }
    // A pass that changes nothing asks for none, so this ends unless two controls keep
    // answering each other; those get a bounded number of passes.
    constexpr int kMaxPasses = 8;
    aligning_ = true;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        realignPending_ = false;
        AlignControls();
        if (!realignPending_) break;
    }
    aligning_ = false;
}

void TWinControl::AlignControls() {
    RECT area = ClientRect();
    AdjustClientRect(area);
    // Each kind takes its edge in turn; within a kind the nearer control goes first.
    auto place = [&](TAlign kind) {
        std::vector<TControl*> group;
        for (TControl* c : controls_) {
            if (c->Visible() && c->Align() == kind) group.push_back(c);
        }
        std::stable_sort(group.begin(), group.end(), [kind](TControl* a, TControl* b) {
            switch (kind) {
            case alTop: return a->Top() < b->Top();
            case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
            case alLeft: return a->Left() < b->Left();
            case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
            default: return false;
            }
        });
        for (TControl* c : group) {
            int w = area.right - area.left, h = area.bottom - area.top;
            switch (kind) {
            case alTop:
                c->SetBounds(area.left, area.top, w, c->Height());
                area.top += c->Height();
                break;
            case alBottom:
                c->SetBounds(area.left, area.bottom - c->Height(), w, c->Height());
                area.bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(area.left, area.top, c->Width(), h);
                area.left += c->Width();
                break;
            case alRight:
                c->SetBounds(area.right - c->Width(), area.top, c->Width(), h);
                area.right -= c->Width();
                break;
            case alClient:
                c->SetBounds(area.left, area.top, std::max(w, 0), std::max(h, 0));
                break;
            default: break;
            }
        }
    };
    for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) place(kind);
}
