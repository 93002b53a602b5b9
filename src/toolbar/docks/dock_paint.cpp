// The plain look of docks, docked frames and floating frames, in the system colours.
#include <algorithm>

#include "toolbar/docks/dock.h"
#include "toolbar/docks/skin_dock.h"
#include "toolbar/skins/skin_paint.h"

namespace {

TTBDockPainter* currentPainter = nullptr;

// The dock's background shows on its windows: offsets put the pattern where the dock has it.
bool DockBackgroundOnWindow(const TTBCustomDockableWindow& window) {
    TTBDock* dock = window.CurrentDock();
    return window.Docked() && dock && dock->UsingBackground() && dock->BackgroundOnToolbars();
}

void PaintDockBackgroundOn(TTBCustomDockableWindow& window, HDC dc, const RECT& r, POINT windowOrigin) {
    TTBDock* dock = window.CurrentDock();
    POINT origin{dock->Left() + window.Left() + windowOrigin.x, dock->Top() + window.Top() + windowOrigin.y};
    dock->Background()->Paint(dc, r, origin);
}

// One grip bar: a raised edge 3 pixels across with a highlight pixel closing its far end.
void PaintGripBar(HDC dc, RECT bar, bool vertical) {
    if (IsRectEmpty(&bar)) return;
    DrawEdge(dc, &bar, BDR_RAISEDINNER, BF_RECT);
    if (vertical) SetPixel(dc, bar.right - 1, bar.top, ColorToRGB(clBtnHighlight));
    else SetPixel(dc, bar.left, bar.bottom - 1, ColorToRGB(clBtnHighlight));
}

}  // namespace

TFrameClip::TFrameClip(HDC dc, const RECT& outer, const RECT& inner) : saved_(dc) {
    RegionHandle area(CreateRectRgnIndirect(&outer));
    RegionHandle hole(CreateRectRgnIndirect(&inner));
    CombineRgn(area.get(), area.get(), hole.get(), RGN_DIFF);
    ExtSelectClipRgn(dc, area.get(), RGN_AND);
}

TTBDockPainter& DockPainter() { return currentPainter ? *currentPainter : SkinDockPainter(); }

void SetDockPainter(TTBDockPainter* painter) { currentPainter = painter; }

int TTBDockPainter::DragHandleSize(const TTBCustomDockableWindow&, const TTBDock&, int plainSize) const {
    return plainSize;
}

void TTBDockPainter::PaintDockBackground(TTBDock& dock, HDC dc, const RECT& client) {
    if (dock.UsingBackground()) {
        dock.Background()->Paint(dc, client, POINT{dock.Left(), dock.Top()});
        return;
    }
    FillSolid(dc, client, dock.Color());
}

void TTBDockPainter::PaintDockFrame(TTBDock& dock, HDC dc, const RECT& window) {
    TTBDockBoundLines lines = dock.BoundLines();
    RECT client{window.left + lines.contains(blLeft), window.top + lines.contains(blTop),
                window.right - lines.contains(blRight), window.bottom - lines.contains(blBottom)};
    // The frame is what lies outside the client area; the lines only while something is docked.
    {
        TFrameClip clip(dc, window, client);
        FillSolid(dc, window, dock.Color());
    }
    if (dock.VisibleList().empty()) return;
    if (lines.contains(blTop)) FillSolid(dc, RECT{window.left, window.top, window.right, window.top + 1}, clBtnShadow);
    if (lines.contains(blLeft)) FillSolid(dc, RECT{window.left, window.top, window.left + 1, window.bottom}, clBtnShadow);
    if (lines.contains(blBottom))
        FillSolid(dc, RECT{window.left, window.bottom - 1, window.right, window.bottom}, clBtnHighlight);
    if (lines.contains(blRight))
        FillSolid(dc, RECT{window.right - 1, window.top, window.right, window.bottom}, clBtnHighlight);
}

void TTBDockPainter::PaintDockedFrame(TTBCustomDockableWindow& window, HDC dc, const TTBDockedFrame& frame) {
    // Everything outside the client area first: the inner ring and the strip.
    {
        TFrameClip clip(dc, frame.Window, frame.Client);
        if (DockBackgroundOnWindow(window)) PaintDockBackgroundOn(window, dc, frame.Window, POINT{0, 0});
        else FillSolid(dc, frame.Window, window.Color());
    }
    if (window.BorderStyle() == TTBBorderStyle::bsSingle) {
        RECT outer = frame.Window;
        DrawEdge(dc, &outer, BDR_RAISEDINNER, BF_RECT);
    }
}

void TTBDockPainter::PaintDragHandle(TTBCustomDockableWindow& window, HDC dc, const TTBDockedFrame& frame) {
    if (IsRectEmpty(&frame.Handle) || window.DragHandleStyle() == dhNone) return;
    const bool withClose = !IsRectEmpty(&frame.CloseButton);
    const bool single = window.DragHandleStyle() == dhSingle;
    const int start = 2 + (single ? (withClose ? 5 : 1) : (withClose ? 3 : 2));
    const int shorten = single ? 1 : 0;
    for (int bar = 0; bar < (single ? 1 : 2); ++bar) {
        RECT r;
        if (frame.Vertical) {
            int top = start + bar * 3;
            int right = withClose ? frame.CloseButton.left - 2 : frame.Window.right - 2 - shorten;
            r = RECT{frame.Window.left + 2 + shorten, top, right, top + 3};
        } else {
            int left = start + bar * 3;
            int top = withClose ? frame.CloseButton.bottom + 2 : frame.Window.top + 2 + shorten;
            r = RECT{left, top, left + 3, frame.Window.bottom - 2 - shorten};
        }
        PaintGripBar(dc, r, frame.Vertical);
    }
}

void TTBDockPainter::PaintDockedCloseButton(TTBCustomDockableWindow&, HDC dc, const RECT& button, bool pushed,
                                            bool hot) {
    RECT r = button;
    if (pushed) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    else if (hot) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    DrawCloseGlyph(dc, button, pushed, ColorToRGB(clBtnText));
}

void TTBDockPainter::PaintWindowBackground(TTBCustomDockableWindow& window, HDC dc, const RECT& client) {
    if (DockBackgroundOnWindow(window)) {
        RECT windowRect;
        GetWindowRect(window.HandleOrNull(), &windowRect);
        POINT clientOrigin{0, 0};
        ClientToScreen(window.HandleOrNull(), &clientOrigin);
        PaintDockBackgroundOn(window, dc, client,
                              POINT{clientOrigin.x - windowRect.left, clientOrigin.y - windowRect.top});
        return;
    }
    FillSolid(dc, client, window.Color());
}

void TTBDockPainter::PaintFloatingFrame(TTBFloatingWindowParent& parent, HDC dc, const TTBFloatingFrame& frame) {
    TTBCustomDockableWindow* window = parent.DockableWindow();
    {
        TFrameClip clip(dc, frame.Window, frame.Client);
        FillSolid(dc, frame.Window, window ? window->Color() : clBtnFace);
    }
    RECT edge = frame.Window;
    DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    if (IsRectEmpty(&frame.Caption)) return;
    bool active = GetForegroundWindow() == GetAncestor(parent.HandleOrNull(), GA_ROOTOWNER) ||
                  GetForegroundWindow() == parent.HandleOrNull();
    FillSolid(dc, frame.Caption, clSystemColor | (active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    if (window) {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof(metrics);
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        FontHandle font(CreateFontIndirectA(&metrics.lfSmCaptionFont));
        ScopedSelect selected(dc, font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(clSystemColor | (active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT)));
        RECT text = frame.Caption;
        text.left += 2;
        text.right = (IsRectEmpty(&frame.CloseButton) ? frame.Caption.right : frame.CloseButton.left) - 1;
        static constexpr UINT aligns[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
        std::string caption = window->Caption();
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | aligns[window->DockTextAlign()]);
    }
    if (!IsRectEmpty(&frame.CloseButton)) {
        RECT button = frame.CloseButton;
        DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE | (frame.ClosePushed ? DFCS_PUSHED : 0));
    }
}
