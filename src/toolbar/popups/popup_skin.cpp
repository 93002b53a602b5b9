// A popup's questions to the skin module.
#include "toolbar/popups/popup_skin.h"

#include "toolbar/base/common.h"
#include "toolbar/items/item.h"
#include "toolbar/skins/skin.h"
#include "toolbar/skins/skin_paint.h"

namespace {

bool Active(const TTBBaseSkin* skin) { return skin && skin->SkinType() != tbsDisabled; }

bool OfType(const TTBBaseSkin* skin, TTBSkins type) { return skin && skin->SkinType() == type; }

}  // namespace

TTBBaseSkin* ChoosePopupSkin(TTBBaseSkin* parentViewSkin, bool parentViewSkinActive, TTBBaseSkin* itemSkin) {
    return PopupWindowSkin(parentViewSkinActive ? parentViewSkin : nullptr, itemSkin);
}

TTBBaseSkin* DefaultPopupMenuSkin() { return DefaultSkin; }

int PopupBorderWidthFor(const TTBBaseSkin* skin) {
    if (OfType(skin, tbsOfficeXP)) return 2;
    if (OfType(skin, tbsWindowsXP) && (skin->PopupStyle() != tbpsDefault || skin->ImgBackStyle() != tbimsDefault))
        return 1;
    return 3;
}

bool PopupSkinIsOfficeXP(const TTBBaseSkin* skin) { return OfType(skin, tbsOfficeXP); }

bool PopupWantsSystemShadow(const TTBBaseSkin* skin) {
    return SystemIsXPOrLater() && (!Active(skin) || OfType(skin, tbsNativeXP));
}

bool PopupRedrawsOnResize(const TTBBaseSkin* skin) { return Active(skin); }

bool PopupCastsShadows(const TTBBaseSkin* skin) { return Active(skin) && skin->Options().contains(tboShadow); }

TShadowStyle PopupShadowStyle(const TTBBaseSkin* skin) { return skin ? skin->ShadowStyle() : sOfficeXP; }

// The marker value lets a program keep a popup apart from its button.
bool PopupJoinsButton(const TTBBaseSkin* skin, const TTBCustomItem* item) {
    constexpr int kDetachedPopupTag = 1234567890;
    return OfType(skin, tbsOfficeXP) && (!item || item->Tag() != kDetachedPopupTag);
}

POINT PopupShift(const TTBBaseSkin* parentViewSkin, bool parentIsPopup, bool chevronList) {
    const bool overlap = [&] {
        const TTBBaseSkin* skin = Active(parentViewSkin) ? parentViewSkin : DefaultSkin;
        return Active(skin) && skin->Options().contains(tboPopupOverlap);
    }();
    if (!Active(parentViewSkin)) return overlap ? POINT{0, 0} : POINT{3, 2};
    if (!overlap && parentIsPopup && !chevronList) return POINT{2, 2};
    return POINT{0, 0};
}

TColor PopupColorFor(const TTBBaseSkin* skin) {
    return Active(skin) && !OfType(skin, tbsNativeXP) ? PopupWindowColor(skin) : (clSystemColor | COLOR_MENU);
}

TTBBaseSkin* PopupFrameSkin(TTBBaseSkin* popupSkin, TTBBaseSkin* parentViewSkin) {
    return ::PopupFrameSkin(popupSkin, parentViewSkin, false);
}

void PaintSkinnedPopupFrame(HDC dc, const RECT& frame, const TTBBaseSkin* skin, const TOpenedBorder& opened) {
    const COLORREF border = skin->SkinColor(tcBorder), popup = skin->SkinColor(tcPopup);
    if (skin->SkinType() == tbsOfficeXP) {
        SkinLine(dc, 0, 1, frame.right, 1, popup);
        SkinLine(dc, 0, frame.bottom - 2, frame.right, frame.bottom - 2, popup);
        SkinFrame(dc, frame, border);
        if (opened.Present)
            SkinLine(dc, opened.From.x, opened.From.y, opened.To.x, opened.To.y, skin->SkinColor(tcImageList));
        return;
    }
    FramePopupRings(dc, frame, border, popup);
}

void FramePopupRings(HDC dc, RECT r, COLORREF outer, COLORREF inner) {
    SkinFrame(dc, r, outer);
    InflateRect(&r, -1, -1);
    SkinFrame(dc, r, inner);
    InflateRect(&r, -1, -1);
    SkinFrame(dc, r, inner);
}

bool PaintSkinnedPopupBackground(HDC dc, const RECT& client, const TTBBaseSkin* skin, int firstRowHeight) {
    if (!Active(skin) || OfType(skin, tbsNativeXP)) return false;
    PaintSkinPopupBackground(dc, client, skin, false, firstRowHeight);
    return true;
}
