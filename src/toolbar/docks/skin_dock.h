#pragma once
#include "toolbar/docks/dock.h"

// Docked and floating frames, grips and toolbar backgrounds in the colours of the skin in
// force; windows without one are painted plainly. The docks' default painter.
class TTBSkinDockPainter : public TTBDockPainter {
public:
    int DragHandleSize(const TTBCustomDockableWindow& window, const TTBDock& dock, int plainSize) const override;
    void PaintDockedFrame(TTBCustomDockableWindow& window, HDC dc, const TTBDockedFrame& frame) override;
    void PaintDragHandle(TTBCustomDockableWindow& window, HDC dc, const TTBDockedFrame& frame) override;
    void PaintDockedCloseButton(TTBCustomDockableWindow& window, HDC dc, const RECT& button, bool pushed,
                                bool hot) override;
    void PaintWindowBackground(TTBCustomDockableWindow& window, HDC dc, const RECT& client) override;
    void PaintFloatingFrame(TTBFloatingWindowParent& parent, HDC dc, const TTBFloatingFrame& frame) override;
};

TTBDockPainter& SkinDockPainter();
