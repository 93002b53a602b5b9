#include "toolbar/skins/skin_parts.h"

#include "toolbar/base/common.h"
#include "toolbar/base/theme.h"

bool SkinKeyboardSelection = false;

namespace {

class Palette {
public:
    explicit Palette(const TTBBaseSkin& skin) : skin_(skin) {}
    COLORREF operator()(TTBSkinColorIndex slot) const { return skin_.SkinColor(slot); }

private:
    const TTBBaseSkin& skin_;
};

RECT Offset(const RECT& base, LONG left, LONG top, LONG right, LONG bottom) {
    return RECT{base.left + left, base.top + top, base.left + right, base.top + bottom};
}

// ---- buttons --------------------------------------------------------------------------------

void PaintOfficeXPButton(HDC dc, const RECT& r, const Palette& c, const TTBSkinItemState& s) {
    const COLORREF usualFrame = s.ChevronSubmenu ? c(tcBorder) : c(tcSelBarBorder);
    COLORREF fill, frame = usualFrame;
    bool widerRight = false;
    if (!s.Split) {
        if (s.DroppedDown && s.HasSubmenu) {
            fill = s.StillHot() ? c(tcImageList) : c(tcSelBar);
            frame = s.StillHot() ? c(tcBorder) : c(tcSelBarBorder);
        } else if (s.Pushed) {
            fill = c(tcSelPushed);
        } else if (s.Checked) {
            fill = c(tcCheckedOver);
        } else {
            fill = c(tcSelBar);
        }
    } else if (!s.DroppedDown) {
        fill = s.Pushed || s.Checked ? c(tcSelPushed) : c(tcSelBar);
    } else {
        fill = s.StillHot() ? c(tcImageList) : c(tcSelBar);
        frame = s.StillHot() ? c(tcBorder) : c(tcSelBarBorder);
        widerRight = s.StillHot();  // joins the frame of the open arrow part
    }
    SkinFill(dc, r, fill);
    RECT outline = r;
    if (widerRight) ++outline.right;
    SkinFrame(dc, outline, frame);
}

COLORREF WindowsXPButtonBrush(const Palette& c, const TTBSkinItemState& s) {
    return !s.Checked || s.Pushed ? c(tcSelBar) : c(tcChecked);
}

void PaintWindowsXPButton(HDC dc, const RECT& r, const Palette& c, const TTBSkinItemState& s) {
    if (s.MenuBar)
        SkinFill(dc, r, s.Split && (s.Pushed || s.Checked) ? c(tcSelPushed) : c(tcSelItem));
    else if (s.Split || s.Enabled)
        SkinRoundRect(dc, r, WindowsXPButtonBrush(c, s), c(tcSelBarBorder));
}

int NativeButtonState(const TTBSkinItemState& s) {
    // A split button shows pressed only while the mouse holds it, not while its menu is open.
    return ToolbarThemeState(s.Enabled, s.Checked, s.Selected, s.Split ? s.Pushed && s.Capture : s.Pushed);
}

void PaintNativeButton(HDC dc, const RECT& r, const RECT& arrow, const Palette& c, const TTBSkinItemState& s,
                       HWND window) {
    if (s.MenuBar) {
        PaintWindowsXPButton(dc, r, c, s);
        return;
    }
    ThemeHandle theme(window, ThemeClassToolbar);
    theme.DrawBackground(dc, s.Split ? TP_SPLITBUTTON : TP_BUTTON, NativeButtonState(s), r);
    if (s.Split) {
        RECT part = arrow;
        part.right += 2;
        theme.DrawBackground(dc, TP_SPLITBUTTONDROPDOWN, NativeButtonState(s), part);
    }
}

void PaintSplitArrowPart(HDC dc, RECT a, const TTBBaseSkin& skin, const Palette& c, const TTBSkinItemState& s) {
    switch (skin.SkinType()) {
        case tbsOfficeXP: {
            SkinFill(dc, a, s.DroppedDown && s.StillHot() ? c(tcImageList) : c(tcSelBar));
            InflateRect(&a, 1, 0);
            const COLORREF frame = s.DroppedDown ? (s.StillHot() ? c(tcBorder) : c(tcSelBarBorder))
                                                 : (s.ChevronSubmenu ? c(tcBorder) : c(tcSelBarBorder));
            SkinFrame(dc, a, frame);
            // Open, the two parts read as one: no line between them.
            if (s.DroppedDown) SkinLine(dc, a.left, a.top + 1, a.left, a.bottom - 1, c(tcImageList));
            break;
        }
        case tbsWindowsXP:
            if (s.MenuBar)
                SkinFill(dc, a, c(tcSelItem));
            else
                SkinRoundRect(dc, RECT{a.left - 2, a.top, a.right + 2, a.bottom}, WindowsXPButtonBrush(c, s),
                              c(tcSelBarBorder));
            break;
        default: break;  // the theme drew it with the button
    }
}

}  // namespace

TTBSkinButtonParts PaintSkinButton(HDC dc, const RECT& client, const TTBBaseSkin& skin, const TTBSkinItemState& s,
                                   HWND window) {
    const Palette c(skin);
    const TTBSkins type = skin.SkinType();
    RECT r = client, a{};
    if (s.HasArrow) {
        if (s.Split) {
            a = RECT{r.right - 11, r.top, r.right - 2, r.bottom};
            r.right -= 11;
        } else if (s.VerticalView) {
            a = RECT{r.left, r.bottom - 11, r.right, r.bottom - 3};
        } else {
            a = RECT{r.right - 11, r.top, r.right - 3, r.bottom};
        }
    }

    const bool background =
        (s.Selected && (s.ShownEnabled || type != tbsOfficeXP || !s.MouseInsideSelected)) || s.Checked || s.DesignMode;
    if (background) {
        if (type == tbsOfficeXP)
            PaintOfficeXPButton(dc, r, c, s);
        else if (type == tbsWindowsXP)
            PaintWindowsXPButton(dc, r, c, s);
        else if (type == tbsNativeXP)
            PaintNativeButton(dc, r, a, c, s, window);
    }
    if (s.Split && ((s.Selected && (s.ShownEnabled || !s.MouseInsideSelected)) || s.DesignMode))
        PaintSplitArrowPart(dc, a, skin, c, s);

    InflateRect(&r, -1, -1);
    if (type == tbsOfficeXP && s.Checked && !(s.Selected && s.ShownEnabled)) SkinFill(dc, r, c(tcChecked));
    InflateRect(&r, -1, -1);
    if (s.HasArrow && !s.Split) {
        if (s.VerticalView)
            r.bottom -= 8;
        else
            r.right -= 8;
    }
    TTBSkinButtonParts parts;
    parts.Content = r;
    parts.Arrow = a;
    parts.DrawArrowGlyph = s.HasArrow && !(s.Split && type == tbsNativeXP);
    return parts;
}

// ---- popup rows ------------------------------------------------------------------------------

namespace {

void PaintSelectedRow(HDC dc, const RECT& client, const TTBBaseSkin& skin, const Palette& c,
                      const TTBSkinItemState& s) {
    const bool gradient = skin.Options().contains(tboGradSelItem);
    const int direction = skin.Gradient();
    RECT row = client;
    if (skin.SkinType() == tbsOfficeXP) {
        if (s.ShownEnabled) {
            const int check = SystemSeams().Metrics(SM_CXMENUCHECK);
            ++row.left;
            --row.right;
            if (s.Split) row.right -= check;
            if (gradient)
                GradientFillRect(dc, row, c(tcGradStart), direction, c(tcGradEnd));
            else
                SkinFill(dc, row, c(tcSelItem));
            SkinFrame(dc, row, c(tcSelItemBorder));
            if (s.Split)
                SkinFrame(dc, RECT{row.right - 1, client.top, row.right + check, client.bottom}, c(tcSelPushedBorder));
        } else if (SkinKeyboardSelection || !s.MouseInsideSelected) {
            SkinFill(dc, row, c(tcPopup));
            SkinFrame(dc, row, c(tcSelBarBorder));
            SkinKeyboardSelection = false;
        }
        return;
    }
    if (gradient) {
        GradientFillRect(dc, client, c(tcGradStart), direction, c(tcGradEnd));
    } else {
        if (s.Split) --row.right;
        SkinFill(dc, row, c(tcSelItem));
    }
    SkinFrame(dc, client, c(tcSelItemBorder));
}

void PaintCheckBox(HDC dc, const RECT& column, const TTBBaseSkin& skin, const Palette& c, const TTBSkinItemState& s) {
    const bool officeXP = skin.SkinType() == tbsOfficeXP;
    RECT box = column;
    InflateRect(&box, officeXP ? -2 : -1, -1);
    if (officeXP || s.HasImageIndex) {
        if (skin.Options().contains(tboGradSelItem)) {
            const COLORREF start = s.Selected ? Darken(c(tcGradStart), 20) : c(tcGradStart);
            const COLORREF end = s.Selected ? Darken(c(tcGradEnd), 20) : c(tcGradEnd);
            GradientFillRect(dc, box, start, skin.Gradient(), end);
        } else {
            SkinFill(dc, box, s.Selected ? c(tcSelPushed) : c(tcSelItem));
        }
        SkinFrame(dc, box, s.Selected ? c(tcSelPushedBorder) : c(tcSelItemBorder));
    }
    if (!s.HasImageIndex) {
        const TColor pen = !officeXP && s.Selected ? clBtnHighlight : clBtnText;
        DrawSkinCheckGlyph(dc, box, officeXP, ColorToRGB(pen));
    }
}

}  // namespace

void PaintSkinMenuItem(HDC dc, const RECT& client, const TTBBaseSkin& skin, const TTBSkinItemState& s,
                       const TImageList* images) {
    const Palette c(skin);
    if (s.Selected) PaintSelectedRow(dc, client, skin, c, s);
    const int column = SkinImageColumnWidth(images, client.bottom - client.top);
    if (skin.SkinType() == tbsOfficeXP && skin.ImgBackStyle() == tbimsDefault) {
        if (s.Selected && s.ShownEnabled)
            SkinFill(dc, Offset(client, 0, 0, 1, client.bottom - client.top), c(tcImageList));
        else if (!s.Selected || s.MouseInsideSelected)
            SkinFill(dc, Offset(client, 0, 0, column, client.bottom - client.top), c(tcImageList));
    }
    if (s.Checked) PaintCheckBox(dc, Offset(client, 0, 0, column, client.bottom - client.top), skin, c, s);
}

TTBSkinCaptionColor SkinCaptionColor(const TTBBaseSkin& skin, const TTBSkinItemState& s, COLORREF background) {
    TTBSkinCaptionColor result;
    if (skin.SkinType() == tbsOfficeXP) {
        if (s.Selected && !s.DroppedDown)
            result.Color = skin.SkinColor(tcMenuText);
        else
            result.KeepFontColor = true;
        return result;
    }
    if (s.ShownEnabled) {
        const bool highlighted = (s.MenuBar && (s.Selected || s.DesignMode)) || (s.Checked && s.InChevronPopup);
        result.Color = highlighted ? skin.SkinColor(tcHighlightText) : ColorToRGB(clBtnText);
        return result;
    }
    const COLORREF shadow = ColorToRGB(clBtnShadow);
    result.Color = shadow == background ? ColorToRGB(clBtnHighlight) : shadow;
    return result;
}

// ---- separators and the chevron ---------------------------------------------------------------

void PaintSkinSeparator(HDC dc, const RECT& r, const TTBBaseSkin& skin, const TTBSkinSeparatorState& s,
                        HWND window) {
    const Palette c(skin);
    const TTBSkins type = skin.SkinType();
    const LONG width = r.right - r.left, height = r.bottom - r.top;
    if (s.VerticalLine) {
        if (type == tbsNativeXP) {
            RECT part = r;
            part.left = (r.left + r.right) / 2;
            if (s.LineBreak) InflateRect(&part, 0, -4);
            DrawThemePart(window, dc, ThemeClassToolbar, TP_SEPARATOR, TS_NORMAL, part);
        } else {
            SkinFill(dc, Offset(r, 2, 0, 3, height - (s.LineBreak ? 4 : 0)), c(tcSeparator));
        }
        return;
    }
    switch (type) {
        case tbsOfficeXP:
            if (s.InPopup) {
                const LONG column = s.FirstViewerHeight >= 0 ? s.FirstViewerHeight + 2 : 0;
                if (skin.ImgBackStyle() == tbimsDefault) SkinFill(dc, Offset(r, 0, 0, column + 2, 3), c(tcImageList));
                SkinFill(dc, Offset(r, column + 4, 1, width, 2), c(tcSeparator));
            } else {
                SkinFill(dc, Offset(r, 0, 1, width, 2), c(tcSeparator));
            }
            break;
        case tbsWindowsXP: SkinFill(dc, Offset(r, 3, 1, width - 3, 2), c(tcSeparator)); break;
        case tbsNativeXP: {
            RECT part = r;
            part.top = (r.top + r.bottom) / 2;
            const int inset = s.MenuStyle ? 12 : s.LineBreak ? (s.Floating ? 1 : 4) : 0;
            InflateRect(&part, -inset, 0);
            DrawThemePart(window, dc, ThemeClassToolbar, TP_SEPARATORVERT, TS_NORMAL, part);
            break;
        }
        default: break;
    }
}

void PaintSkinChevron(HDC dc, const RECT& r, const TTBBaseSkin& skin, bool enabled, bool pushed, bool selected,
                      bool designMode, HWND window) {
    if (skin.SkinType() == tbsNativeXP) {
        const int state = pushed ? CHEVS_PRESSED : selected ? CHEVS_HOT : CHEVS_NORMAL;
        // RP_CHEVRON is part 4 of the "ReBar" class; 5 is RP_CHEVRONVERT, the upright chevron,
        // which would stand wrong on the horizontal bars this glyph is drawn for.
        DrawThemePart(window, dc, ThemeClassReBar, RP_CHEVRON, state, r);
        return;
    }
    if (!enabled) return;
    const Palette c(skin);
    if (pushed) {
        SkinFill(dc, r, c(tcFace));
        SkinFrame(dc, r, c(tcBorder));
    } else if (selected && !designMode) {
        SkinFill(dc, r, c(tcSelBar));
        SkinFrame(dc, r, c(tcSelBarBorder));
    }
}
