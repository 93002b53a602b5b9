#pragma once
#include <windows.h>

#include <string>

#include "toolbar/items/item.h"
#include "toolbar/skins/skin_parts.h"
#include "widgets/control.h"
#include "widgets/graphics.h"

class TTBView;

// Shows one item inside a view: a plain object that holds the item's rectangle in the view's
// window and answers the size, hit-test, mouse and keyboard questions for it. Layout writes
// the rectangle and the flags; painting only reads them.
class TTBItemViewer {
public:
    TTBItemViewer(TTBView* view, TTBCustomItem* item);
    virtual ~TTBItemViewer() = default;
    TTBItemViewer(const TTBItemViewer&) = delete;
    TTBItemViewer& operator=(const TTBItemViewer&) = delete;

    RECT BoundsRect{};
    bool Clipped = false;  // outside a scrolled popup's visible band
    bool OffEdge = false;  // cut off by the chevron
    bool Show = false;
    bool RepaintPending = false;
    bool IsLineSep = false;  // a separator that breaks a wrapped bar's line

    TTBCustomItem* Item() const { return item_; }
    TTBView* View() const { return view_; }

    virtual void CalcSize(TCanvas& canvas, int& width, int& height);
    virtual void Paint(TCanvas& canvas, const RECT& clientArea, bool selected, bool pushed, bool menuStyle);
    virtual void DrawItemCaption(TCanvas& canvas, RECT r, const std::string& caption, UINT format, bool disabled);
    virtual void Entering();
    virtual std::string GetCaptionText() const;
    virtual HCURSOR GetCursor(POINT p) { (void)p; return nullptr; }
    virtual bool IsPtInButtonPart(int x, int y) const;
    virtual bool KeyDown(WORD key, TShiftState shift) { (void)key; (void)shift; return false; }
    virtual void Leaving();
    virtual void LosingCapture();
    // The press of the tracking loop; `x`, `y` are relative to the viewer.
    virtual void MouseDown(TShiftState shift, int x, int y, bool doubleClick);
    virtual void MouseMove(int x, int y) { (void)x; (void)y; }
    virtual void MouseUp(int x, int y);
    virtual void MouseWheel(int delta, int x, int y) { (void)delta; (void)x; (void)y; }
    virtual bool CaptionShown() const;
    // The tooltip: buttons show their item's hint text; menu rows only with tboShowHint.
    std::string HintText() const;
    // The status-line hint: the long hint, kept for menus on a button with tboLongHintInMenuOnly.
    std::string LongHintText() const;

    bool IsToolbarStyle() const;
    bool IsToolbarSize() const;
    bool ImageShown() const;
    TImageList* GetImageList() const;
    bool IsControlItem() const;
    bool IsSeparator() const;
    bool HasArrow() const;  // a submenu shown as a split button or with a drop-down arrow
    int Width() const { return BoundsRect.right - BoundsRect.left; }
    int Height() const { return BoundsRect.bottom - BoundsRect.top; }

protected:
    // The state the painters share.
    struct TPaintState {
        bool toolbarStyle, selected, pushed, enabled, drawDisabled, checked, combo, capture, vertical;
    };
    TPaintState PaintStateFor(bool selected, bool pushed, bool menuStyle) const;
    void PaintToolbarStyle(TCanvas& canvas, RECT r, const TPaintState& s);
    void PaintMenuStyle(TCanvas& canvas, RECT r, const TPaintState& s);
    // The same two under the skin in force.
    void PaintSkinnedToolbarStyle(TCanvas& canvas, RECT r, const TPaintState& s, const TTBBaseSkin& skin);
    void PaintSkinnedMenuStyle(TCanvas& canvas, RECT r, const TPaintState& s, const TTBBaseSkin& skin);
    TTBSkinItemState SkinStateFor(const TPaintState& s) const;
    void DrawArrowGlyph(HDC dc, RECT arrow, const TPaintState& s, bool shiftWhenPushed);
    void PaintButtonContent(TCanvas& canvas, RECT r, const TPaintState& s, const TTBBaseSkin* skin);
    void PaintMenuRowContent(TCanvas& canvas, RECT r, const TPaintState& s, const TTBBaseSkin* skin, COLORREF textColor);
    void DrawImage(HDC dc, const RECT& area, const TPaintState& s, const TTBBaseSkin* skin);
    int MenuImageColumnWidth(int rowHeight) const;
    bool DisabledTextEmbossed() const;
    // Font of the view, bold for the default item; selected into `dc` for the scope.
    class TItemFont;

private:
    TTBView* view_;
    TTBCustomItem* item_;
};

// A separator: a gap with a line, or a line break of a wrapped bar.
class TTBSeparatorItemViewer : public TTBItemViewer {
public:
    using TTBItemViewer::TTBItemViewer;
    void CalcSize(TCanvas& canvas, int& width, int& height) override;
    void Paint(TCanvas& canvas, const RECT& clientArea, bool selected, bool pushed, bool menuStyle) override;
    bool IsPtInButtonPart(int, int) const override { return false; }
};

// The button at the end of a bar that lists the items cut off.
class TTBChevronItemViewer : public TTBItemViewer {
public:
    using TTBItemViewer::TTBItemViewer;
    void Paint(TCanvas& canvas, const RECT& clientArea, bool selected, bool pushed, bool menuStyle) override;
};

// Draws the filled arrow of a drop-down, centred in `r`.
void DrawDropdownArrow(HDC dc, const RECT& r, bool pointLeft, COLORREF color);
// A triangle filled and outlined in one colour.
void FillTriangle(HDC dc, const POINT (&points)[3], COLORREF color);
