#include "toolbar/views/viewer.h"

#include <algorithm>
#include <optional>

#include "toolbar/base/common.h"
#include "toolbar/items/image_list.h"
#include "toolbar/skins/skin_paint.h"
#include "toolbar/base/theme.h"
#include "toolbar/views/view.h"
#include "widgets/handles.h"
#include "widgets/hint_text.h"

namespace {

constexpr int kComboArrowWidth = 11;
constexpr int kDropdownArrowSize = 8;

int MenuCheckWidth() { return GetSystemMetrics(SM_CXMENUCHECK); }

TEXTMETRICA MetricsOf(HDC dc) {
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    return tm;
}

void FillSysColor(HDC dc, const RECT& r, int index) { FillRect(dc, &r, GetSysColorBrush(index)); }

// The checked-but-not-hot look of a toolbar button: face and highlight alternating per pixel.
void FillDither(HDC dc, const RECT& r) {
    static const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    BitmapHandle bitmap(CreateBitmap(8, 8, 1, 1, pattern));
    BrushHandle brush(CreatePatternBrush(bitmap.get()));
    COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
    COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    FillRect(dc, &r, brush.get());
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

void DrawPolyline(HDC dc, POINT origin, const POINT* offsets, int count, COLORREF color) {
    POINT points[8];
    for (int i = 0; i < count; ++i) points[i] = POINT{origin.x + offsets[i].x, origin.y + offsets[i].y};
    PenHandle pen(CreatePen(PS_SOLID, 1, color));
    ScopedSelect select(dc, pen.get());
    Polyline(dc, points, count);
}

void DrawCheckGlyph(HDC dc, const RECT& r) {
    static const POINT dark[] = {{-2, -2}, {0, 0}, {4, -4}, {4, -3}, {0, 1}, {-2, -1}, {-2, -2}};
    static const POINT light[] = {{-3, -2}, {-3, -1}, {0, 2}, {5, -3}, {5, -5}};
    POINT centre{(r.left + r.right) / 2 - 2, (r.top + r.bottom) / 2 + 1};
    DrawPolyline(dc, centre, dark, 7, GetSysColor(COLOR_BTNTEXT));
    DrawPolyline(dc, centre, light, 5, GetSysColor(COLOR_BTNHIGHLIGHT));
}

// The system's submenu arrow, drawn through a monochrome mask so that it takes `color`.
void DrawSubmenuArrow(HDC dc, const RECT& r, COLORREF color) {
    int size = MenuCheckWidth();
    int height = GetSystemMetrics(SM_CYMENUCHECK);
    MemoryDC maskDc(dc);
    BitmapHandle mask(CreateBitmap(size, height, 1, 1, nullptr));
    ScopedSelect selectMask(maskDc.get(), mask.get());
    RECT all{0, 0, size, height};
    DrawFrameControl(maskDc.get(), &all, DFC_MENU, DFCS_MENUARROW);
    int x = r.right - size, y = r.top + (r.bottom - r.top - height) / 2;
    // The mask is black where the glyph is: paint the colour through it.
    BrushHandle brush(CreateSolidBrush(color));
    ScopedSelect selectBrush(dc, brush.get());
    COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, x, y, size, height, maskDc.get(), 0, 0, 0x00B8074A);  // ROP: dest = mask ? dest : brush
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

void DrawGlyphRows(HDC dc, int x, int y, const BYTE* rows, int count, COLORREF color) {
    for (int row = 0; row < count; ++row)
        for (int bit = 0; bit < 8; ++bit)
            if (rows[row] & (0x80 >> bit)) SetPixelV(dc, x + bit, y + row, color);
}

}  // namespace

// The view's font, bold for the default item, selected into a DC for the scope.
class TTBItemViewer::TItemFont {
public:
    TItemFont(HDC dc, TTBItemViewer& viewer) {
        HFONT font = viewer.View()->GetFont();
        if (viewer.Item()->EffectiveOptions().contains(tboDefault)) {
            LOGFONTA lf{};
            GetObjectA(font, sizeof(lf), &lf);
            lf.lfWeight = FW_BOLD;
            bold_.reset(CreateFontIndirectA(&lf));
            font = bold_.get();
        }
        select_.emplace(dc, font);
    }

private:
    FontHandle bold_;
    std::optional<ScopedSelect> select_;
};

void DrawDropdownArrow(HDC dc, const RECT& r, bool pointLeft, COLORREF color) {
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    POINT points[3];
    if (pointLeft) {
        points[0] = {cx - 1, cy + 2};
        points[1] = {cx - 1, cy - 2};
        points[2] = {cx - 3, cy};
    } else {
        points[0] = {cx - 2, cy - 1};
        points[1] = {cx + 2, cy - 1};
        points[2] = {cx, cy + 1};
    }
    FillTriangle(dc, points, color);
}

void FillTriangle(HDC dc, const POINT (&points)[3], COLORREF color) {
    BrushHandle brush(CreateSolidBrush(color));
    PenHandle pen(CreatePen(PS_SOLID, 1, color));
    ScopedSelect selectBrush(dc, brush.get());
    ScopedSelect selectPen(dc, pen.get());
    Polygon(dc, points, 3);
}

TTBItemViewer::TTBItemViewer(TTBView* view, TTBCustomItem* item) : view_(view), item_(item) {}

// A chevron's list shows the hidden buttons as they look on their bar.
bool TTBItemViewer::IsToolbarStyle() const {
    return view_->IsToolbar() || view_->ChevronParentView() || item_->EffectiveOptions().contains(tboToolbarStyle);
}

bool TTBItemViewer::IsToolbarSize() const {
    return view_->IsToolbar() || item_->EffectiveOptions().contains(tboToolbarSize);
}

bool TTBItemViewer::ImageShown() const {
    if (item_->ImageIndex() < 0) return false;
    switch (item_->DisplayMode()) {
    case nbdmDefault:
    case nbdmImageAndText: return true;
    case nbdmTextOnlyInMenus: return IsToolbarStyle();
    case nbdmTextOnly: return false;
    }
    return false;
}

TImageList* TTBItemViewer::GetImageList() const {
    if (item_->Images()) return item_->Images();
    for (const TTBView* v = view_; v; v = v->ParentView()) {
        if (TImageList* list = v->EffectiveParentItem()->SubitemImages()) return list;
        if (TImageList* list = v->ParentItem()->SubitemImages()) return list;
    }
    return nullptr;
}

std::string TTBItemViewer::HintText() const {
    if (!IsToolbarStyle() && !item_->EffectiveOptions().contains(tboShowHint)) return {};
    return item_->HintText();
}

std::string TTBItemViewer::LongHintText() const {
    if (IsToolbarStyle() && item_->EffectiveOptions().contains(tboLongHintInMenuOnly)) return {};
    return GetLongHint(item_->Hint());
}

bool TTBItemViewer::IsControlItem() const { return dynamic_cast<TTBControlItem*>(item_) != nullptr; }
bool TTBItemViewer::IsSeparator() const { return (item_->ItemStyle() & isfSeparator) != 0; }

bool TTBItemViewer::HasArrow() const {
    TTBItemStyle style = item_->ItemStyle();
    return (style & isfSubmenu) &&
           ((style & isfCombo) || item_->EffectiveOptions().contains(tboDropdownArrow));
}

std::string TTBItemViewer::GetCaptionText() const { return item_->CaptionText(); }

bool TTBItemViewer::CaptionShown() const {
    if (!GetCaptionText().empty() &&
        (!IsToolbarSize() || item_->ImageIndex() < 0 || item_->DisplayMode() == nbdmTextOnly ||
         item_->DisplayMode() == nbdmImageAndText))
        return true;
    return item_->EffectiveOptions().contains(tboImageAboveCaption);
}

bool TTBItemViewer::IsPtInButtonPart(int x, int y) const {
    (void)y;
    TTBItemStyle style = item_->ItemStyle();
    if (!(style & isfCombo)) return !(style & isfSubmenu);
    int arrow = IsToolbarStyle() ? kComboArrowWidth : MenuCheckWidth();
    return x < Width() - arrow;
}

void TTBItemViewer::Entering() {
    if (item_->OnSelect) item_->OnSelect(item_, this, true);
}

void TTBItemViewer::Leaving() {
    if (item_->OnSelect) item_->OnSelect(item_, this, false);
}

void TTBItemViewer::LosingCapture() { view_->Invalidate(this); }

int TTBItemViewer::MenuImageColumnWidth(int rowHeight) const {
    TImageList* images = GetImageList();
    if (!images) return rowHeight;
    return MulDiv(images->Width() + 3, rowHeight, images->Height() + 3);
}

void TTBItemViewer::CalcSize(TCanvas& canvas, int& width, int& height) {
    HDC dc = canvas.Handle();
    TItemFont font(dc, *this);
    const bool toolbarStyle = IsToolbarStyle();
    const bool officeXP = view_->OfficeXPSkinInForce();
    const bool vertical = view_->Orientation() == voVertical;
    const bool imageAbove = item_->EffectiveOptions().contains(tboImageAboveCaption);
    TImageList* images = GetImageList();
    int w = 0, h = 0;
    if (toolbarStyle) {
        w = 6;
        h = officeXP && view_->WindowIsMenuBar() ? 4 : 6;
    }
    TEXTMETRICA tm = MetricsOf(dc);
    if (!toolbarStyle || CaptionShown()) {
        int textWidth = TextWidthWithoutPrefix(dc, GetCaptionText(), true);
        if (!vertical || imageAbove) {
            h += tm.tmHeight;
            w += textWidth;
            if (toolbarStyle) w += 6;
            if (officeXP) h += 3;
        } else {
            w += tm.tmHeight;
            h += textWidth + (toolbarStyle ? 6 : 0);
        }
    }
    if (toolbarStyle && ImageShown() && images) {
        if (vertical || imageAbove) {
            h += images->Height();
            w = std::max(w, images->Width() + 7);
        } else {
            w += images->Width() + 1;
            h = std::max(h, images->Height() + 6);
        }
    }
    if (toolbarStyle && (item_->ItemStyle() & isfSubmenu)) {
        if (item_->ItemStyle() & isfCombo)
            w += kComboArrowWidth;
        else if (item_->EffectiveOptions().contains(tboDropdownArrow))
            (vertical ? h : w) += kDropdownArrowSize;
    }
    if (!toolbarStyle) {
        h = tm.tmExternalLeading + h + 4 + (officeXP ? 2 : 0);
        if (images) h = std::max(h, images->Height() + 3);
        w += MenuImageColumnWidth(h) + 6;
        std::string shortCut = item_->ShortCutText();
        if (!shortCut.empty()) w += TextWidthWithoutPrefix(dc, shortCut, false) + h - 6;
        w += h;
    }
    width = w;
    height = h;
}

void TTBItemViewer::DrawItemCaption(TCanvas& canvas, RECT r, const std::string& caption, UINT format,
                                    bool disabled) {
    HDC dc = canvas.Handle();
    const bool vertical = view_->Orientation() == voVertical &&
                          !item_->EffectiveOptions().contains(tboImageAboveCaption) && IsToolbarStyle();
    auto draw = [&](RECT box, COLORREF color) {
        SetTextColor(dc, color);
        if (vertical)
            DrawRotatedText(dc, caption, box, format);
        else
            DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &box, format);
    };
    int oldMode = SetBkMode(dc, TRANSPARENT);
    if (disabled) {
        if (DisabledTextEmbossed()) draw(RECT{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1}, GetSysColor(COLOR_BTNHIGHLIGHT));
        draw(r, GetSysColor(COLOR_BTNSHADOW));
    } else {
        draw(r, GetTextColor(dc));
    }
    SetBkMode(dc, oldMode);
}

// Disabled text gets its highlight pass when painted plainly, and under a skin only in the
// Windows-XP look of a toolbar button outside menu bars.
bool TTBItemViewer::DisabledTextEmbossed() const {
    const TTBBaseSkin* skin = view_->SkinInForce();
    return !skin || (skin->SkinType() == tbsWindowsXP && IsToolbarStyle() && !view_->WindowIsMenuBar());
}

TTBItemViewer::TPaintState TTBItemViewer::PaintStateFor(bool selected, bool pushed, bool menuStyle) const {
    TPaintState s{};
    s.toolbarStyle = !menuStyle;
    s.selected = selected;
    s.pushed = pushed;
    s.enabled = item_->Enabled() || view_->Customizing();
    s.drawDisabled = !s.enabled && !(selected && menuStyle);
    s.checked = item_->Checked();
    s.combo = (item_->ItemStyle() & isfCombo) != 0;
    s.capture = view_->Capture();
    s.vertical = view_->Orientation() == voVertical;
    return s;
}

void TTBItemViewer::Paint(TCanvas& canvas, const RECT& clientArea, bool selected, bool pushed, bool menuStyle) {
    TPaintState s = PaintStateFor(selected, pushed, menuStyle);
    HDC dc = canvas.Handle();
    TItemFont font(dc, *this);
    if (TTBBaseSkin* skin = view_->SkinInForce()) {
        if (menuStyle)
            PaintSkinnedMenuStyle(canvas, clientArea, s, *skin);
        else
            PaintSkinnedToolbarStyle(canvas, clientArea, s, *skin);
    } else if (menuStyle) {
        PaintMenuStyle(canvas, clientArea, s);
    } else {
        PaintToolbarStyle(canvas, clientArea, s);
    }
}

TTBSkinItemState TTBItemViewer::SkinStateFor(const TPaintState& s) const {
    TTBSkinItemState state;
    state.Selected = s.selected;
    state.Pushed = s.pushed;
    state.MenuStyle = !s.toolbarStyle;
    state.Enabled = item_->Enabled();
    state.ShownEnabled = s.enabled;
    state.Checked = s.checked;
    state.DroppedDown = s.pushed && view_->OpenViewer() == this;
    state.HasSubmenu = (item_->ItemStyle() & isfSubmenu) != 0;
    state.HasArrow = HasArrow();
    state.Split = s.combo;
    state.MenuBar = view_->WindowIsMenuBar();
    state.ChevronSubmenu = view_->ChevronParentView() && state.HasSubmenu;
    state.MouseInsideSelected = view_->MouseInsideSelected();
    state.Capture = s.capture;
    state.VerticalView = s.vertical;
    state.HasImageIndex = item_->ImageIndex() >= 0;
    state.InChevronPopup = view_->ChevronParentView() != nullptr;
    return state;
}

// The image centred in `area`, as the skin or the plain look wants it.
void TTBItemViewer::DrawImage(HDC dc, const RECT& area, const TPaintState& s, const TTBBaseSkin* skin) {
    TImageList* images = GetImageList();
    if (!images || !ImageShown()) return;
    TTBImageSet lists = ImageSetOf(images);
    if (skin) {
        TTBSkinImageState state;
        state.Selected = s.selected;
        state.Pushed = s.pushed;
        state.Checked = s.checked;
        state.ShownEnabled = s.enabled;
        state.Capture = s.capture;
        state.PopupView = view_->IsPopup();
        DrawSkinItemImage(dc, area, lists, item_->ImageIndex(), *skin, state);
        return;
    }
    const TImageList* source = PlainImageSource(lists, s.enabled, s.checked, s.selected);
    const bool fromDisabledCompanion = source == lists.DisabledImages && source != lists.Images;
    int x = area.left + (area.right - area.left - source->Width()) / 2;
    int y = area.top + (area.bottom - area.top - source->Height()) / 2;
    source->Draw(dc, x, y, item_->ImageIndex(), !s.drawDisabled || fromDisabledCompanion);
}

void TTBItemViewer::PaintToolbarStyle(TCanvas& canvas, RECT r, const TPaintState& s) {
    HDC dc = canvas.Handle();
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const bool hasArrow = HasArrow();
    RECT arrow{};
    if (hasArrow) {
        if (s.combo) {
            arrow = RECT{r.right - kComboArrowWidth, r.top, r.right - 2, r.bottom};
            r.right -= kComboArrowWidth;
        } else if (s.vertical) {
            arrow = RECT{0, r.bottom - kComboArrowWidth, r.right, r.bottom - 3};
        } else {
            arrow = RECT{r.right - kComboArrowWidth, 0, r.right - 3, r.bottom};
        }
    }
    const bool designing = view_->Customizing();
    if ((s.selected && s.enabled) || s.checked || designing) {
        bool sunken = s.combo ? ((s.pushed && s.capture) || s.checked) : (s.pushed || s.checked);
        RECT button = r;
        DrawEdge(dc, &button, sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        if (s.combo && s.selected && (s.enabled || !view_->MouseInsideSelected() || designing)) {
            RECT part{arrow.left, arrow.top, arrow.right + 2, arrow.bottom};
            DrawEdge(dc, &part, s.pushed && !s.capture ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        }
    }
    if (hasArrow) DrawArrowGlyph(dc, arrow, s, true);
    InflateRect(&r, -1, -1);
    if (s.checked && !(s.selected && s.enabled)) FillDither(dc, r);
    InflateRect(&r, -1, -1);
    if (s.checked || (s.selected && s.pushed && (!s.combo || s.capture))) OffsetRect(&r, 1, 1);
    if (hasArrow && !s.combo) (s.vertical ? r.bottom : r.right) -= kDropdownArrowSize;
    PaintButtonContent(canvas, r, s, nullptr);
}

void TTBItemViewer::DrawArrowGlyph(HDC dc, RECT arrow, const TPaintState& s, bool shiftWhenPushed) {
    if (shiftWhenPushed && s.pushed && !s.combo) OffsetRect(&arrow, 1, 1);
    const bool pointLeft = s.vertical && !s.combo;
    if (s.drawDisabled) {
        RECT shifted = arrow;
        OffsetRect(&shifted, 1, 1);
        DrawDropdownArrow(dc, shifted, pointLeft, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawDropdownArrow(dc, arrow, pointLeft, GetSysColor(COLOR_BTNSHADOW));
    } else {
        DrawDropdownArrow(dc, arrow, pointLeft, GetTextColor(dc));
    }
}

// The image and the caption of a button inside `r`; the caption in the DC's text colour.
void TTBItemViewer::PaintButtonContent(TCanvas& canvas, RECT r, const TPaintState& s, const TTBBaseSkin* skin) {
    HDC dc = canvas.Handle();
    TImageList* images = GetImageList();
    const bool imageShown = ImageShown() && images;
    const bool imageAbove = s.vertical || item_->EffectiveOptions().contains(tboImageAboveCaption);
    if (CaptionShown()) {
        RECT text = r;
        if (imageShown) {
            if (imageAbove)
                text.top += images->Height() + 1;
            else
                text.left += images->Width() + 1;
        }
        UINT format = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
        if (!view_->ShowAccels()) format |= DT_HIDEPREFIX;
        DrawItemCaption(canvas, text, GetCaptionText(), format, s.drawDisabled);
    }
    if (imageShown) {
        RECT area = r;
        if (imageAbove)
            area.bottom = area.top + images->Height() + 2;
        else
            area.right = area.left + images->Width() + 2;
        DrawImage(dc, area, s, skin);
    }
}

void TTBItemViewer::PaintSkinnedToolbarStyle(TCanvas& canvas, RECT r, const TPaintState& s, const TTBBaseSkin& skin) {
    HDC dc = canvas.Handle();
    TTBSkinItemState state = SkinStateFor(s);
    TTBSkinButtonParts parts = PaintSkinButton(dc, r, skin, state, view_->Window() ? view_->Window()->HandleOrNull() : nullptr);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    if (parts.DrawArrowGlyph) DrawArrowGlyph(dc, parts.Arrow, s, false);
    TTBSkinCaptionColor caption = SkinCaptionColor(skin, state, GetSysColor(COLOR_BTNFACE));
    if (!caption.KeepFontColor) SetTextColor(dc, caption.Color);
    PaintButtonContent(canvas, parts.Content, s, &skin);
}

void TTBItemViewer::PaintSkinnedMenuStyle(TCanvas& canvas, RECT r, const TPaintState& s, const TTBBaseSkin& skin) {
    TTBSkinItemState state = SkinStateFor(s);
    PaintSkinMenuItem(canvas.Handle(), r, skin, state, GetImageList());
    TTBSkinCaptionColor caption = SkinCaptionColor(skin, state, GetSysColor(COLOR_MENU));
    PaintMenuRowContent(canvas, r, s, &skin, caption.KeepFontColor ? GetSysColor(COLOR_MENUTEXT) : caption.Color);
}

void TTBItemViewer::PaintMenuStyle(TCanvas& canvas, RECT r, const TPaintState& s) {
    HDC dc = canvas.Handle();
    const int column = MenuImageColumnWidth(r.bottom - r.top) + 2;
    const bool imageOrCheck = (ImageShown() && GetImageList()) || s.checked;
    if (s.selected) {
        RECT band{imageOrCheck ? column + 1 : r.left, r.top, r.right, r.bottom};
        if (s.combo && s.enabled) band.right -= MenuCheckWidth();
        FillSysColor(dc, band, FlatMenusEnabled() ? COLOR_MENUHILIGHT : COLOR_HIGHLIGHT);
    }
    PaintMenuRowContent(canvas, r, s, nullptr, GetSysColor(s.selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
}

// Caption, short-cut, submenu arrow and image of a popup row over its background.
void TTBItemViewer::PaintMenuRowContent(TCanvas& canvas, RECT r, const TPaintState& s, const TTBBaseSkin* skin,
                                        COLORREF textColor) {
    HDC dc = canvas.Handle();
    const int rowHeight = r.bottom - r.top;
    const int column = MenuImageColumnWidth(rowHeight) + 2;
    TImageList* images = GetImageList();
    const bool imageShown = ImageShown() && images;

    TEXTMETRICA tm = MetricsOf(dc);
    auto textBox = [&](int left, int right) {
        RECT box{left, r.top + tm.tmExternalLeading, right, r.bottom};
        if (rowHeight - tm.tmHeight - tm.tmExternalLeading == 4) box.bottom -= 1;
        return box;
    };
    UINT format = DT_SINGLELINE | DT_LEFT | DT_VCENTER;
    if (!view_->ShowAccels()) format |= DT_HIDEPREFIX;
    SetTextColor(dc, textColor);
    DrawItemCaption(canvas, textBox(column + 3 + (skin ? 2 : 0), r.right), GetCaptionText(), format, s.drawDisabled);

    std::string shortCut = item_->ShortCutText();
    if (!shortCut.empty()) {
        SIZE extent{};
        GetTextExtentPoint32A(dc, shortCut.c_str(), static_cast<int>(shortCut.size()), &extent);
        int left = r.right - rowHeight - extent.cx;
        SetTextColor(dc, textColor);
        const RECT box = textBox(left, left + extent.cx);
        if (skin && skin->SkinType() == tbsNativeXP) {
            // The visual theme writes it as the system's menus do.
            constexpr int MENU_POPUPITEM = 14, MPI_NORMAL = 1, MPI_HOT = 2, MPI_DISABLED = 3;
            ThemeHandle theme(view_->Window() ? view_->Window()->HandleOrNull() : nullptr, ThemeClassMenu);
            theme.DrawText(dc, MENU_POPUPITEM, s.drawDisabled ? MPI_DISABLED : s.selected ? MPI_HOT : MPI_NORMAL,
                           shortCut.c_str(), format | DT_NOPREFIX, box);
        } else {
            DrawItemCaption(canvas, box, shortCut, format | DT_NOPREFIX, s.drawDisabled);
        }
    }

    if (item_->ItemStyle() & isfSubmenu) {
        int check = MenuCheckWidth();
        if (s.combo && !skin) {
            RECT part{r.right - check, r.top, r.right, r.bottom};
            if (s.selected && s.enabled) {
                DrawEdge(dc, &part, BDR_SUNKENOUTER, BF_RECT);
            } else {
                RECT line{part.left - 1, part.top, part.right, part.bottom};
                DrawEdge(dc, &line, s.selected ? BDR_SUNKENOUTER : EDGE_ETCHED, BF_LEFT);
            }
        }
        if (s.drawDisabled) {
            RECT shifted = r;
            OffsetRect(&shifted, 1, 1);
            DrawSubmenuArrow(dc, shifted, GetSysColor(COLOR_BTNHIGHLIGHT));
            DrawSubmenuArrow(dc, r, GetSysColor(COLOR_BTNSHADOW));
        } else {
            DrawSubmenuArrow(dc, r, s.enabled ? textColor : GetSysColor(COLOR_BTNSHADOW));
        }
    }

    if (skin) {
        // The skin drew the column and the check box; only the image is left.
        if (imageShown) DrawImage(dc, RECT{0, 0, column, r.bottom}, s, skin);
        return;
    }
    if (!imageShown && !s.checked) return;
    RECT area{0, 0, column, r.bottom};
    if (s.checked) {
        RECT edge = area;
        DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
        OffsetRect(&area, 1, 1);
    } else if (s.selected && s.enabled) {
        RECT edge = area;
        DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
    }
    if (imageShown)
        DrawImage(dc, area, s, nullptr);
    else
        DrawCheckGlyph(dc, area);
}

void TTBItemViewer::MouseDown(TShiftState shift, int x, int y, bool doubleClick) {
    (void)shift;
    view_->ViewerMouseDown(this, x, y, doubleClick);
}

void TTBItemViewer::MouseUp(int x, int y) { view_->ViewerMouseUp(this, x, y); }

// --- separators ---------------------------------------------------------------------------

void TTBSeparatorItemViewer::CalcSize(TCanvas& canvas, int& width, int& height) {
    if (IsToolbarStyle()) {
        width = 6;
        height = 6;
        return;
    }
    width = 0;
    if (View()->SkinActive()) {
        height = 3;
        return;
    }
    HDC dc = canvas.Handle();
    ScopedSelect font(dc, View()->GetFont());
    height = DivRoundAway(FontHeight(dc) * 2, 3);
}

void TTBSeparatorItemViewer::Paint(TCanvas& canvas, const RECT& clientArea, bool, bool, bool menuStyle) {
    auto* separator = dynamic_cast<TTBSeparatorItem*>(Item());
    if (separator && separator->Blank()) return;
    HDC dc = canvas.Handle();
    if (TTBBaseSkin* skin = View()->SkinInForce()) {
        TTBSkinSeparatorState state;
        const bool vertical = View()->Orientation() == voVertical;
        state.VerticalLine = View()->IsToolbar() && (vertical ? IsLineSep : !IsLineSep) && !menuStyle;
        state.LineBreak = IsLineSep;
        state.InPopup = View()->IsPopup();
        state.MenuStyle = menuStyle;
        state.Floating = View()->Orientation() == voFloating;
        if (state.InPopup) state.FirstViewerHeight = View()->FirstShownViewerHeight();
        PaintSkinSeparator(dc, clientArea, *skin, state, View()->Window() ? View()->Window()->HandleOrNull() : nullptr);
        return;
    }
    RECT r = clientArea;
    // A line across the bar, or along it once the separator breaks a wrapped bar's line.
    bool horizontalLine = menuStyle || IsLineSep || View()->Orientation() == voVertical;
    if (horizontalLine) {
        int mid = (r.top + r.bottom) / 2 - 1;
        RECT line{r.left + (menuStyle ? 0 : 2), mid, r.right - (menuStyle ? 0 : 2), mid + 2};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    } else {
        int mid = (r.left + r.right) / 2 - 1;
        RECT line{mid, r.top + 2, mid + 2, r.bottom - 2};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
    }
}

// --- chevron ------------------------------------------------------------------------------

void TTBChevronItemViewer::Paint(TCanvas& canvas, const RECT& clientArea, bool selected, bool pushed, bool) {
    static const BYTE horizontalGlyph[] = {0xCC, 0x66, 0x33, 0x66, 0xCC};
    static const BYTE verticalGlyph[] = {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20};
    HDC dc = canvas.Handle();
    RECT r = clientArea;
    const bool enabled = Item()->Enabled();
    TTBBaseSkin* skin = View()->SkinInForce();
    if (skin) {
        PaintSkinChevron(dc, r, *skin, enabled, pushed, selected, false,
                         View()->Window() ? View()->Window()->HandleOrNull() : nullptr);
    } else if (enabled && (pushed || selected)) {
        RECT edge = r;
        DrawEdge(dc, &edge, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    const bool vertical = View()->Orientation() == voVertical;
    int x = vertical ? r.right - 9 : r.left + 2;
    int y = vertical ? r.top + 2 : 4;
    if (pushed && !skin) ++x, ++y;
    const BYTE* rows = vertical ? verticalGlyph : horizontalGlyph;
    int count = vertical ? 8 : 5;
    if (enabled) {
        DrawGlyphRows(dc, x, y, rows, count, GetSysColor(COLOR_BTNTEXT));
    } else {
        DrawGlyphRows(dc, x + 1, y + 1, rows, count, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawGlyphRows(dc, x, y, rows, count, GetSysColor(COLOR_BTNSHADOW));
    }
}
