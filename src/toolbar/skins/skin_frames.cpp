#include "toolbar/skins/skin_frames.h"

#include "toolbar/skins/skin_paint.h"
#include "toolbar/base/theme.h"
#include "widgets/handles.h"

namespace {

// The Office-XP colour of a docked window's inner frame and grip background.
COLORREF OfficeXPBandColor(const TTBBaseSkin& skin, bool menuBar) {
    return menuBar && !skin.Options().contains(tboMenuTBColor) ? skin.SkinColor(tcFace) : skin.SkinColor(tcToolbar);
}

void RaisedEdge(HDC dc, RECT r) { DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT); }

void SetCorners(HDC dc, const RECT& r, COLORREF color) {
    ::SetPixel(dc, r.left, r.top, color);
    ::SetPixel(dc, r.right - 1, r.top, color);
    ::SetPixel(dc, r.left, r.bottom - 1, color);
    ::SetPixel(dc, r.right - 1, r.bottom - 1, color);
}

void PaintGripBackground(HDC dc, const RECT& r, const TTBBaseSkin& skin, const TTBSkinFrameState& s) {
    if (!s.Docked || s.DockShowsPicture) return;
    SkinFill(dc, r, skin.SkinType() == tbsOfficeXP ? OfficeXPBandColor(skin, s.MenuBar) : ColorToRGB(s.WindowColor));
}

UINT AlignFormat(TAlignment align) {
    switch (align) {
        case taRightJustify: return DT_RIGHT;
        case taCenter: return DT_CENTER;
        default: return DT_LEFT;
    }
}

void WriteCaption(HDC dc, RECT r, const std::string& text, TAlignment align, HFONT font, COLORREF color) {
    ScopedSelect selected(dc, font);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, color);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | AlignFormat(align));
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

FontHandle CreateCaptionFont(const TTBBaseSkin& skin) {
    const LOGFONTA font = skin.CaptionFont().LogFont();
    return FontHandle(CreateFontIndirectA(&font));
}

}  // namespace

void PaintSkinDockedBorder(HDC dc, const RECT& window, const TTBBaseSkin& skin, const TTBSkinFrameState& s,
                           bool borderSingle, HWND handle) {
    const TTBSkins type = skin.SkinType();
    if (borderSingle) {
        if (type == tbsOfficeXP) {
            SkinFrame(dc, window, ColorToRGB(s.WindowColor));
        } else if (type == tbsNativeXP) {
            ThemeHandle theme(handle, ThemeClassReBar);
            theme.DrawEdge(dc, RP_BAND, 0, window, EDGE_ETCHED, BF_RECT);
        } else {
            RaisedEdge(dc, window);
        }
    }
    if (s.DockShowsPicture) return;
    RECT inner = window;
    InflateRect(&inner, -1, -1);
    if (type != tbsOfficeXP) {
        SkinFrame(dc, inner, ColorToRGB(s.WindowColor));
        return;
    }
    const COLORREF frame = OfficeXPBandColor(skin, s.MenuBar), face = skin.SkinColor(tcFace);
    SkinFrame(dc, inner, frame);
    SetCorners(dc, inner, frame == face && !s.MenuBar ? skin.SkinColor(tcToolbar) : face);
}

void PaintSkinGripBar(HDC dc, const RECT& bar, const TTBBaseSkin& skin, const TTBSkinFrameState& s, HWND handle) {
    PaintGripBackground(dc, bar, skin, s);
    const COLORREF mark = skin.SkinColor(tcDragHandle);
    switch (skin.SkinType()) {
        case tbsOfficeXP:
            if (!s.SideDock) {
                // Across the upright bar: one-pixel dashes, every other row.
                for (LONG y = bar.top + 2; y < bar.bottom - (s.MenuBar ? 2 : 3); y += 2)
                    SkinFill(dc, RECT{bar.left, y, bar.right, y + 1}, mark);
            } else {
                for (LONG x = bar.left + (s.MenuBar ? 3 : 2); x < bar.right - 3; x += 2)
                    SkinFill(dc, RECT{x, bar.top, x + 1, bar.bottom}, mark);
            }
            break;
        case tbsWindowsXP: {
            RECT moved = bar;
            if (s.SideDock)
                OffsetRect(&moved, 0, 1);
            else
                OffsetRect(&moved, 1, 0);
            const int first = s.MenuBar ? 3 : 1, last = s.MenuBar ? 4 : 1;
            if (!s.SideDock) {
                for (LONG y = moved.top + first; y + 2 <= moved.bottom - last; y += 4)
                    SkinFill(dc, RECT{moved.left, y, moved.right, y + 2}, mark);
            } else {
                for (LONG x = moved.left + first; x + 2 <= moved.right - last; x += 4)
                    SkinFill(dc, RECT{x, moved.top, x + 2, moved.bottom}, mark);
            }
            break;
        }
        case tbsNativeXP: {
            RECT part = bar;
            if (!s.SideDock) {
                part.left -= 2;
                part.top -= 3;
                part.bottom += 2;
            } else {
                part.left -= 1;
                part.top -= 2;
            }
            DrawThemePart(handle, dc, ThemeClassReBar, s.SideDock ? RP_GRIPPERVERT : RP_GRIPPER, 1, part);
            break;
        }
        default: break;
    }
}

void PaintSkinDockedCaption(HDC dc, RECT caption, const TTBBaseSkin& skin, const TTBSkinFrameState& s,
                            const std::string& text, TAlignment align, bool closeButton, HWND handle) {
    (void)handle;
    RECT around = caption;
    InflateRect(&around, 1, 1);
    PaintGripBackground(dc, around, skin, s);
    // The strip ends at the caption's right: two pixels more would paint over the frame's rings.
    SkinFill(dc, caption, skin.SkinColor(tcDockBorderTitle));
    if (closeButton) caption.right = caption.right + 5 - caption.bottom;
    RECT textArea{caption.left + 2, caption.top, caption.right - 1, caption.bottom};
    const FontHandle font = CreateCaptionFont(skin);
    WriteCaption(dc, textArea, text, align, font.get(), RGB(255, 255, 255));
}

void PaintSkinDockedCloseButton(HDC dc, const RECT& button, const TTBBaseSkin& skin, bool hot, bool pushed) {
    if (hot && !pushed) {
        SkinFill(dc, button, skin.SkinColor(tcSelBar));
        SkinFrame(dc, button, skin.SkinColor(tcSelBarBorder));
    }
    // In the colour of a selected item's text, which is what the hot button's fill is behind.
    DrawCloseGlyph(dc, button, pushed, skin.SkinColor(tcMenuText));
}

void PaintSkinFloatingBorder(HDC dc, const RECT& window, const RECT& client, const TTBBaseSkin& skin, HWND handle) {
    (void)handle;  // the "Window" theme paints no differently from the Windows-XP look here
    ScopedSaveDC saved(dc);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    if (skin.SkinType() == tbsOfficeXP) {
        RECT r = window;
        SkinFrame(dc, r, skin.SkinColor(tcDockBorderOut));
        InflateRect(&r, -1, -1);
        SkinFrame(dc, r, skin.SkinColor(tcDockBorderIn));
        InflateRect(&r, -1, -1);
        SkinFill(dc, r, skin.SkinColor(tcFace));
        return;
    }
    RECT r = window;
    InflateRect(&r, -1, -1);
    SkinFill(dc, r, ColorToRGB(clBtnFace));
    RaisedEdge(dc, window);
}

void PaintSkinFloatingCaption(HDC dc, const RECT& caption, const TTBBaseSkin& skin, TColor windowColor,
                              const std::string& text, TAlignment align, HFONT smallCaptionFont) {
    if (skin.SkinType() == tbsOfficeXP) {
        SkinFill(dc, RECT{caption.left, caption.top, caption.right + 2, caption.bottom}, skin.SkinColor(tcDockBorderTitle));
    } else {
        SkinFill(dc, caption, ColorToRGB(windowColor));
        SkinRoundRect(dc, caption, skin.SkinColor(tcSelBar), skin.SkinColor(tcSelBarBorder));
    }
    const RECT textArea{caption.left + 2, caption.top, caption.right - 1, caption.bottom};
    const FontHandle own = skin.ParentFont() ? FontHandle() : CreateCaptionFont(skin);
    WriteCaption(dc, textArea, text, align, skin.ParentFont() ? smallCaptionFont : own.get(),
                 skin.SkinColor(tcCaptionText));
}

void PaintSkinFloatingCloseButton(HDC dc, const RECT& button, const TTBBaseSkin& skin, bool hot, bool pushed) {
    const TTBSkins type = skin.SkinType();
    COLORREF behind;  // the colour right under the glyph
    if (pushed) {
        RECT box = button;
        InflateRect(&box, 2, 2);
        if (type != tbsOfficeXP) {
            ++box.top;
            --box.bottom;
            --box.right;
        }
        SkinFill(dc, box, skin.SkinColor(tcSelPushed));
        SkinFrame(dc, box, skin.SkinColor(tcSelItemBorder));
        behind = skin.SkinColor(tcSelPushed);
    } else {
        behind = type == tbsOfficeXP ? skin.SkinColor(tcDockBorderTitle) : skin.SkinColor(tcSelBar);
        SkinFill(dc, button, behind);
        if (type == tbsOfficeXP && hot) {
            RECT box = button;
            InflateRect(&box, 2, 2);
            box.top -= 2;
            SkinFill(dc, box, skin.SkinColor(tcSelBar));
            SkinFrame(dc, box, skin.SkinColor(tcSelBarBorder));
            behind = skin.SkinColor(tcSelBar);
        }
    }
    // The caption's text colour, except where the look inverts what lies behind the glyph:
    // pushed, or (the other way round) not pushed under tbsWindowsXP.
    const bool inverted = pushed != (type == tbsWindowsXP);
    DrawCloseGlyph(dc, button, pushed, inverted ? behind ^ 0xFFFFFFu : skin.SkinColor(tcCaptionText));
}
