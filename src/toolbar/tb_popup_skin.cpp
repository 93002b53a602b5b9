// The plain answers, until the skins arrive.
#include "toolbar/tb_popup_skin.h"

#include "toolbar/tb_common.h"

TTBBaseSkin* ChoosePopupSkin(TTBBaseSkin* parentViewSkin, bool parentViewSkinActive, TTBBaseSkin* itemSkin) {
    if (parentViewSkin && parentViewSkinActive) return parentViewSkin;
    if (itemSkin) return itemSkin;
    return DefaultPopupMenuSkin();
}

TTBBaseSkin* DefaultPopupMenuSkin() { return nullptr; }

int PopupBorderWidthFor(const TTBBaseSkin*) { return 3; }

bool PopupSkinIsOfficeXP(const TTBBaseSkin*) { return false; }

bool PopupWantsSystemShadow(const TTBBaseSkin* skin) { return SystemIsXPOrLater() && !skin; }

bool PopupRedrawsOnResize(const TTBBaseSkin* skin) { return skin != nullptr; }

bool PopupCastsShadows(const TTBBaseSkin*) { return false; }

TShadowStyle PopupShadowStyle(const TTBBaseSkin*) { return sOfficeXP; }

bool PopupJoinsButton(const TTBBaseSkin*, const TTBCustomItem*) { return false; }

POINT PopupShift(const TTBBaseSkin* parentViewSkin, bool parentIsPopup, bool chevronList) {
    // Neither the parent view nor the default skin has the overlap option: there are no skins.
    if (!parentViewSkin) return POINT{3, 2};
    if (parentIsPopup && !chevronList) return POINT{2, 2};
    return POINT{0, 0};
}

TColor PopupColorFor(const TTBBaseSkin*) { return clSystemColor | COLOR_MENU; }

TTBBaseSkin* PopupFrameSkin(TTBBaseSkin*, TTBBaseSkin*) { return nullptr; }

void PaintSkinnedPopupFrame(HDC, const RECT&, const TTBBaseSkin*, const TOpenedBorder&) {}

bool PaintSkinnedPopupBackground(HDC, const RECT&, const TTBBaseSkin*, int) { return false; }
