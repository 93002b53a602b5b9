#include "toolbar/docks/skin_dock.h"

#include "toolbar/skins/skin.h"
#include "toolbar/skins/skin_frames.h"
#include "toolbar/skins/skin_paint.h"
#include "toolbar/docks/toolbar.h"
#include "widgets/handles.h"

namespace {

const TTBBaseSkin* SkinOf(const TTBCustomDockableWindow& window) { return EffectiveSkin(window.Skin()); }

bool IsMenuBar(const TTBCustomDockableWindow& window) {
    auto* toolbar = dynamic_cast<const TTBCustomToolbar*>(&window);
    return toolbar && toolbar->MenuBar();
}

bool DockShowsPicture(const TTBCustomDockableWindow& window) {
    TTBDock* dock = window.CurrentDock();
    return window.Docked() && dock && dock->UsingBackground() && dock->BackgroundOnToolbars();
}

TTBToolbarBackground BackgroundOf(TTBCustomDockableWindow& window) {
    TTBToolbarBackground background;
    background.Docked = window.Docked();
    background.DockShowsPicture = DockShowsPicture(window);
    background.MenuBar = IsMenuBar(window);
    background.MenuBarColor = window.Color();
    return background;
}

TTBSkinFrameState FrameStateOf(const TTBCustomDockableWindow& window) {
    TTBSkinFrameState state;
    state.MenuBar = IsMenuBar(window);
    state.WindowColor = const_cast<TTBCustomDockableWindow&>(window).Color();
    state.DockShowsPicture = DockShowsPicture(window);
    state.SideDock = window.CurrentDock() && window.CurrentDock()->Vertical();
    state.Docked = window.Docked();
    return state;
}

bool DockedCaptions(const TTBCustomDockableWindow& window, const TTBBaseSkin& skin) {
    return skin.Options().contains(tboDockedCaptions) && window.CurrentDock() && window.CurrentDock()->Vertical();
}

}  // namespace

TTBDockPainter& SkinDockPainter() {
    static TTBSkinDockPainter painter;
    return painter;
}

int TTBSkinDockPainter::DragHandleSize(const TTBCustomDockableWindow& window, const TTBDock& dock,
                                       int plainSize) const {
    const TTBBaseSkin* skin = SkinOf(window);
    if (skin && DockedCaptions(window, *skin) && dock.Vertical()) return GetSystemMetrics(SM_CYSMCAPTION) + 2;
    return plainSize;
}

void TTBSkinDockPainter::PaintDockedFrame(TTBCustomDockableWindow& window, HDC dc, const TTBDockedFrame& frame) {
    const TTBBaseSkin* skin = SkinOf(window);
    if (!skin) return TTBDockPainter::PaintDockedFrame(window, dc, frame);
    // The frame and strip get the toolbar's colour first, so that the grip's gaps match it.
    {
        TFrameClip clip(dc, frame.Window, frame.Client);
        if (!PaintSkinToolbarBackground(dc, frame.Window, skin, BackgroundOf(window)))
            FillSolid(dc, frame.Window, window.Color());
    }
    PaintSkinDockedBorder(dc, frame.Window, *skin, FrameStateOf(window),
                          window.BorderStyle() == TTBBorderStyle::bsSingle, window.HandleOrNull());
}

void TTBSkinDockPainter::PaintDragHandle(TTBCustomDockableWindow& window, HDC dc, const TTBDockedFrame& frame) {
    const TTBBaseSkin* skin = SkinOf(window);
    if (!skin) return TTBDockPainter::PaintDragHandle(window, dc, frame);
    if (IsRectEmpty(&frame.Handle) || window.DragHandleStyle() == dhNone) return;
    TTBSkinFrameState state = FrameStateOf(window);
    const bool withClose = !IsRectEmpty(&frame.CloseButton);
    if (DockedCaptions(window, *skin)) {
        RECT caption{2, 2, frame.Client.right, 2 + GetSystemMetrics(SM_CYSMCAPTION)};
        PaintSkinDockedCaption(dc, caption, *skin, state, window.Caption(), window.DockTextAlign(), withClose,
                               window.HandleOrNull());
        return;
    }
    const int bars = window.DragHandleStyle() == dhSingle ? 1 : 2;
    const int start = 2 + (withClose ? 4 : 1);
    for (int bar = 0; bar < bars; ++bar) {
        RECT r;
        if (frame.Vertical) {
            int top = start + bar * 3;
            int right = withClose ? frame.CloseButton.left - 2 : frame.Window.right - 2;
            r = RECT{frame.Window.left + 2, top, right, top + 3};
        } else {
            int left = start + bar * 3;
            int top = withClose ? frame.CloseButton.bottom + 2 : frame.Window.top + 2;
            r = RECT{left, top, left + 3, frame.Window.bottom - 2};
        }
        PaintSkinGripBar(dc, r, *skin, state, window.HandleOrNull());
    }
}

void TTBSkinDockPainter::PaintDockedCloseButton(TTBCustomDockableWindow& window, HDC dc, const RECT& button,
                                                bool pushed, bool hot) {
    const TTBBaseSkin* skin = SkinOf(window);
    if (!skin) return TTBDockPainter::PaintDockedCloseButton(window, dc, button, pushed, hot);
    PaintSkinDockedCloseButton(dc, button, *skin, hot, pushed);
}

void TTBSkinDockPainter::PaintWindowBackground(TTBCustomDockableWindow& window, HDC dc, const RECT& client) {
    const TTBBaseSkin* skin = SkinOf(window);
    if (!skin || !PaintSkinToolbarBackground(dc, client, skin, BackgroundOf(window)))
        TTBDockPainter::PaintWindowBackground(window, dc, client);
}

void TTBSkinDockPainter::PaintFloatingFrame(TTBFloatingWindowParent& parent, HDC dc, const TTBFloatingFrame& frame) {
    TTBCustomDockableWindow* window = parent.DockableWindow();
    const TTBBaseSkin* skin = window ? SkinOf(*window) : nullptr;
    if (!skin) return TTBDockPainter::PaintFloatingFrame(parent, dc, frame);
    PaintSkinFloatingBorder(dc, frame.Window, frame.Client, *skin, parent.HandleOrNull());
    if (!IsRectEmpty(&frame.Caption)) {
        // The system's small-caption font serves only while the skin follows the system's.
        FontHandle font;
        if (skin->ParentFont()) {
            NONCLIENTMETRICSA metrics{};
            metrics.cbSize = sizeof(metrics);
            SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
            font.reset(CreateFontIndirectA(&metrics.lfSmCaptionFont));
        }
        RECT caption = frame.Caption;
        if (!IsRectEmpty(&frame.CloseButton)) caption.right = frame.CloseButton.left - 1;
        PaintSkinFloatingCaption(dc, caption, *skin, window->Color(), window->Caption(), window->DockTextAlign(),
                                 font.get());
    }
    if (!IsRectEmpty(&frame.CloseButton))
        PaintSkinFloatingCloseButton(dc, frame.CloseButton, *skin, frame.CloseHot, frame.ClosePushed);
}
