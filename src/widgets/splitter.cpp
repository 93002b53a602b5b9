#include "widgets/splitter.h"

#include <algorithm>

TSplitter::TSplitter(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 3, 100);
    SetAlign(alLeft);
}

void TSplitter::UpdateCursor() { SetCursor(Vertical() ? crHSplit : crVSplit); }

void TSplitter::BoundsChanged() { UpdateCursor(); }

void TSplitter::PaintWindow(TCanvas& canvas) {
    RECT r = ClientRect();
    canvas.Brush().SetColor(Color());
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(r);
}

TControl* TSplitter::FindTarget() const {
    TWinControl* parent = Parent();
    if (!parent) return nullptr;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (c == this || !c->Visible() || c->Align() != Align()) continue;
        bool touches = false;
        switch (Align()) {
        case alLeft: touches = c->Left() + c->Width() == Left(); break;
        case alRight: touches = c->Left() == Left() + Width(); break;
        case alTop: touches = c->Top() + c->Height() == Top(); break;
        case alBottom: touches = c->Top() == Top() + Height(); break;
        default: break;
        }
        if (touches) return c;
    }
    return nullptr;
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TWinControl::MouseDown(button, shift, x, y);
    TControl* target = FindTarget();
    if (button != mbLeft || !target) return;
    dragging_ = true;
    GetCursorPos(&dragStart_);
    startSize_ = Vertical() ? target->Width() : target->Height();
    SetCapture(HandleOrNull());
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
    TWinControl::MouseMove(shift, x, y);
    if (dragging_ && !(shift & ssLeft)) dragging_ = false;  // the capture was lost meanwhile
    if (!dragging_) return;
    TControl* target = FindTarget();
    if (!target) return;
    POINT p;
    GetCursorPos(&p);
    int delta = Vertical() ? p.x - dragStart_.x : p.y - dragStart_.y;
    if (Align() == alRight || Align() == alBottom) delta = -delta;
    // Leave the client-aligned neighbour at least MinSize as well.
    RECT area = Parent()->ClientRect();
    int room = (Vertical() ? area.right - area.left : area.bottom - area.top) - MinSize - (Vertical() ? Width() : Height());
    int size = std::clamp(startSize_ + delta, MinSize, std::max(MinSize, room));
    if (Vertical()) {
        target->SetWidth(size);
    } else {
        target->SetHeight(size);
    }
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TWinControl::MouseUp(button, shift, x, y);
    if (dragging_) {
        dragging_ = false;
        ReleaseCapture();
    }
}
