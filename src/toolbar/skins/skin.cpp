#include "toolbar/skins/skin.h"

#include <algorithm>
#include <cmath>

#include "toolbar/base/common.h"
#include "toolbar/base/theme.h"
#include "widgets/control.h"

TTBBaseSkin* DefaultSkin = nullptr;
TTBSkinManager* SkinManager = nullptr;
int ChevronSize = 12;


// ---- Colour helpers ------------------------------------------------------------------------

namespace {

int Channel(COLORREF c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

template <class F>
TColor MapChannels(COLORREF c, F f) {
    return static_cast<TColor>(f(Channel(c, 0)) | f(Channel(c, 8)) << 8 | f(Channel(c, 16)) << 16);
}

}  // namespace

TColor Blend(TColor a, TColor b, long double w) {
    const COLORREF ca = ColorToRGB(a), cb = ColorToRGB(b);
    TColor result = 0;
    for (int shift : {0, 8, 16}) {
        const int va = Channel(ca, shift), vb = Channel(cb, shift);
        // llrint rounds in the current mode, which is to nearest with ties to even.
        long long v = std::llrint((1.0L - w) * va + w * vb);
        if (v < 0) v = 0;
        if (v > 255) v = va;
        result |= static_cast<TColor>(v) << shift;
    }
    return result;
}

TColor Lighten(TColor c, int percent) {
    return MapChannels(ColorToRGB(c), [percent](int v) { return v + percent * (255 - v) / 100; });
}

TColor Darken(TColor c, int n) {
    return MapChannels(ColorToRGB(c), [n](int v) { return std::max(0, v - n); });
}

COLORREF NearestColor(HDC dc, COLORREF rgb) {
    const COLORREF nearest = dc ? GetNearestColor(dc, rgb) : CLR_INVALID;
    return nearest == CLR_INVALID ? rgb : nearest;
}

// ---- The colour slots ----------------------------------------------------------------------

void TTBColors::SetColor(TTBSkinColorIndex slot, TColor value) {
    if (slot < 0 || slot >= TTBSkinColorCount) return;
    if (colors_[slot] == value || skin_->ColorSet() != tbcCustom) return;
    colors_[slot] = value;
    resolved_[slot] = ColorToRGB(value);
    if (skin_->ForwardsToDefault()) DefaultSkin->Colors().SetColor(slot, value);
    skin_->RefreshWindows();
}

// ---- Skins ---------------------------------------------------------------------------------

TTBBaseSkin::TTBBaseSkin(TComponent* owner) : TComponent(owner), colors_(std::make_unique<TTBColors>(this)) {
    captionFont_.SetStyle(fsBold);
    baseCaptionFont_.SetStyle(fsBold);
    ApplyColorSet();
}

TTBBaseSkin::~TTBBaseSkin() { ReleaseWindows(); }

COLORREF TTBBaseSkin::SkinColor(int index) const {
    if (index < 0 || index >= TTBSkinColorCount) return RGB(255, 255, 255);
    return colors_->resolved_[index];
}

bool TTBBaseSkin::ForwardsToDefault() const { return isDefaultSkin_ && DefaultSkin && DefaultSkin != this; }

void TTBBaseSkin::SetSkinType(TTBSkins value) {
    if (value == skinType_) return;
    skinType_ = value;
    if (value == tbsNativeXP && !(SystemIsXPOrLater() && ThemesActive())) skinType_ = tbsWindowsXP;
    ChevronSize = 12;
    if (skinType_ == tbsOfficeXP) {
        SetColorSet(tbcOfficeXP);
        SetOptions(options_ + TTBOptions{tboShadow, tboBlendedImages} - TTBOptions{tboPopupOverlap});
        SetShadowStyle(sOfficeXP);
        ApplyColorSet();
        ChevronSize = 11;
    } else if (skinType_ == tbsWindowsXP || skinType_ == tbsNativeXP) {
        SetColorSet(tbcWindowsXP);
        SetOptions(options_ + TTBOptions{tboPopupOverlap, tboShadow} - TTBOptions{tboBlendedImages});
        SetShadowStyle(sWindowsXP);
        ApplyColorSet();
    }
    // The default skin decides its own fallback from the value as given.
    if (ForwardsToDefault()) DefaultSkin->SetSkinType(value);
    RefreshWindows();
}

void TTBBaseSkin::SetColorSet(TTBColorSets value) {
    if (value == colorSet_ || skinType_ == tbsDisabled) return;
    colorSet_ = value;
    ApplyColorSet();
    if (ForwardsToDefault()) DefaultSkin->SetColorSet(value);
    RefreshWindows();
}

void TTBBaseSkin::SetOptions(TTBOptions value) {
    if (value == options_) return;
    options_ = value;
    if (ForwardsToDefault()) DefaultSkin->SetOptions(value);
    RefreshWindows();
}

void TTBBaseSkin::SetGradient(TTBGradDir value) {
    if (value == gradient_) return;
    gradient_ = value;
    if (ForwardsToDefault()) DefaultSkin->SetGradient(value);
}

void TTBBaseSkin::SetPopupStyle(TTBPopupStyle value) {
    if (value == popupStyle_) return;
    popupStyle_ = value;
    if (ForwardsToDefault()) DefaultSkin->SetPopupStyle(value);
}

void TTBBaseSkin::SetImgBackStyle(TTBImgBackStyle value) {
    if (value == imgBackStyle_) return;
    imgBackStyle_ = value;
    if (ForwardsToDefault()) DefaultSkin->SetImgBackStyle(value);
}

void TTBBaseSkin::SetShadowStyle(TShadowStyle value) {
    if (value == shadowStyle_) return;
    shadowStyle_ = value;
    if (ForwardsToDefault()) DefaultSkin->SetShadowStyle(value);
}

void TTBBaseSkin::SetIsDefaultSkin(bool value) {
    if (value == isDefaultSkin_) return;
    isDefaultSkin_ = value;
    try {
        SkinManager->SetDefaultSkin(value ? this : nullptr);
    } catch (...) {
        isDefaultSkin_ = !value;  // an unregistered skin cannot be the default
        throw;
    }
    RefreshWindows();
}

void TTBBaseSkin::CopyCaptionFont(const TFont& font, bool parentFont) {
    captionFont_ = font;
    parentFont_ = parentFont;
}

void TTBBaseSkin::SetCaptionFont(const TFont& value) {
    if (&value == &captionFont_) return;
    CopyCaptionFont(value, false);
    if (ForwardsToDefault()) {
        DefaultSkin->SetCaptionFont(value);
        DefaultSkin->SetParentFont(false);
    }
    RefreshWindows();
}

void TTBBaseSkin::SetParentFont(bool value) {
    if (value == parentFont_) return;
    parentFont_ = value;
    if (value) captionFont_ = baseCaptionFont_;
    if (ForwardsToDefault()) {
        // Through the default skin's CaptionFont setter its ParentFont would end up False again.
        DefaultSkin->CopyCaptionFont(baseCaptionFont_, value);
        DefaultSkin->RefreshWindows();
    }
    RefreshWindows();
}

// A custom set keeps the caller's colours: only the system colours among them are read again.
void TTBBaseSkin::FollowSystemColors() {
    if (colorSet_ == tbcCustom)
        ResolveColors();
    else
        ApplyColorSet();
}

void TTBBaseSkin::ApplyColorSet() {
    if (colorSet_ == tbcOfficeXP)
        LoadOfficeXPColors();
    else
        LoadWindowsXPColors();
}

void TTBBaseSkin::LoadOfficeXPColors() {
    auto& c = colors_->colors_;
    c[tcFace] = clBtnFace;
    c[tcBorder] = Blend(clBtnShadow, clBlack, 0.2L);
    c[tcToolbar] = Blend(clBtnFace, clWindow, 0.16L);
    c[tcDragHandle] = Blend(clBtnShadow, clWindow, 0.231L);
    c[tcSelBar] = c[tcSelItem] = Blend(clHighlight, clWindow, 0.7L);
    c[tcSelBarBorder] = c[tcSelItemBorder] = c[tcSelPushedBorder] = clHighlight;
    c[tcSelPushed] = Blend(clHighlight, clWindow, 0.601L);
    c[tcImageList] = Blend(clBtnFace, clWindow, 0.16L);
    c[tcImgListShadow] = Blend(clHighlight, clBtnShadow, 0.701L);
    c[tcPopup] = Blend(clWindow, clBtnFace, 0.15L);
    c[tcChecked] = Blend(c[tcSelPushed], Blend(clBtnFace, clWindow, 0.44L), 0.794L);
    c[tcCheckedOver] = c[tcSelPushed];
    c[tcDockBorderIn] = c[tcDockBorderOut] = Blend(clBtnShadow, clBlack, 0.15L);
    c[tcDockBorderTitle] = clBtnShadow;
    c[tcGradStart] = Lighten(c[tcSelItem], 70);
    c[tcGradEnd] = c[tcSelItem];
    c[tcPopupGradStart] = c[tcImageList];
    c[tcPopupGradEnd] = Lighten(c[tcImageList], 70);
    c[tcImgGradStart] = c[tcImageList];
    c[tcImgGradEnd] = Darken(c[tcImageList], 50);
    c[tcSeparator] = Lighten(clBtnShadow, 15);
    c[tcMenuText] = clMenuText;
    c[tcHighlightText] = c[tcCaptionText] = clHighlightText;
    ResolveColors();
}

void TTBBaseSkin::LoadWindowsXPColors() {
    auto& c = colors_->colors_;
    c[tcFace] = c[tcImageList] = clMenu;
    c[tcPopup] = c[tcSelBar] = c[tcChecked] = c[tcDockBorderIn] = c[tcDockBorderTitle] = clWindow;
    c[tcBorder] = c[tcDragHandle] = c[tcSelBarBorder] = c[tcImgListShadow] = c[tcSeparator] = clBtnShadow;
    c[tcToolbar] = clBtnFace;
    c[tcSelItem] = Lighten(clHighlight, 13);
    c[tcSelItemBorder] = clHighlight;
    c[tcSelPushed] = c[tcCheckedOver] = Darken(c[tcSelItem], 20);
    c[tcSelPushedBorder] = c[tcSelItem];
    c[tcDockBorderOut] = clBlack;
    c[tcGradStart] = Lighten(c[tcSelItem], 70);
    c[tcGradEnd] = c[tcSelItem];
    c[tcPopupGradStart] = Lighten(c[tcSelItem], 40);
    c[tcPopupGradEnd] = c[tcImgGradEnd] = Lighten(c[tcSelItem], 100);
    c[tcImgGradStart] = Lighten(c[tcSelItem], 50);
    c[tcMenuText] = clMenuText;
    c[tcHighlightText] = clHighlightText;
    c[tcCaptionText] = clWindowText;
    ResolveColors();
}

void TTBBaseSkin::ResolveColors() {
    WindowDC screen(nullptr);
    for (int i = 0; i < TTBSkinColorCount; ++i)
        colors_->resolved_[i] = NearestColor(screen.get(), ColorToRGB(colors_->colors_[i]));
}

namespace {

// Makes the system recompute and repaint the window's frame, keeping its place and size.
// SWP_NOSIZE is kept on purpose: without it the zero size passed would shrink a docked window
// to nothing until its dock arranges it again; its new layout comes from SkinLayoutChanged.
void RecomputeFrame(HWND window) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace

void TTBBaseSkin::RefreshWindows() {
    // The windows' own reactions may attach or detach windows, or free them: walk a copy and
    // skip what left the list meanwhile.
    const std::vector<TTBSkinClient*> snapshot = windows_;
    for (TTBSkinClient* client : snapshot) {
        if (std::find(windows_.begin(), windows_.end(), client) == windows_.end()) continue;
        TWinControl* control = client->SkinWindow();
        if (!control || !control->HandleAllocated() || !control->Showing()) continue;
        const HWND window = control->HandleOrNull();
        if (!client->SkinWindowFloating()) {
            RecomputeFrame(window);
            client->SkinLayoutChanged();
            continue;
        }
        // A floating window lays out again only when its size really changes.
        SendMessageA(window, WM_SETREDRAW, FALSE, 0);
        const int height = control->Height();
        control->SetHeight(height - 1);
        control->SetHeight(height);
        SendMessageA(window, WM_SETREDRAW, TRUE, 0);
        if (!client->SkinWindowIsToolWindow()) RecomputeFrame(window);
    }
}

void TTBBaseSkin::AttachWindow(TTBSkinClient* window) {
    if (window && std::find(windows_.begin(), windows_.end(), window) == windows_.end()) windows_.push_back(window);
}

bool TTBBaseSkin::DetachWindow(TTBSkinClient* window) {
    auto it = std::find(windows_.begin(), windows_.end(), window);
    if (it == windows_.end()) return false;
    windows_.erase(it);
    return true;
}

void TTBBaseSkin::ReleaseWindows() {
    while (!windows_.empty()) {
        TTBSkinClient* client = windows_.back();
        windows_.pop_back();
        client->SkinDestroying(this);
    }
}

void TTBBaseSkin::Assign(const TTBBaseSkin& source) {
    static constexpr TTBSkinColorIndex assigned[] = {
        tcFace, tcPopup, tcBorder, tcDragHandle, tcChecked, tcCheckedOver, tcDockBorderIn, tcDockBorderOut,
        tcDockBorderTitle, tcSelBar, tcSelBarBorder, tcSelItem, tcSelItemBorder, tcSelPushed, tcSelPushedBorder,
        tcImageList, tcImgListShadow};
    // Through the slot setters first: they take effect only if this skin is already tbcCustom.
    for (TTBSkinColorIndex slot : assigned) colors_->SetColor(slot, source.Colors().Color(slot));
    SetColorSet(source.colorSet_);
    SetGradient(source.gradient_);
    SetOptions(source.options_);
    SetShadowStyle(source.shadowStyle_);
    SetSkinType(source.skinType_);
    tag_ = source.tag_;
}

TTBSkin::TTBSkin(TComponent* owner) : TTBBaseSkin(owner) {
    if (SkinManager) SkinManager->AddSkin(this);
}

TTBSkin::~TTBSkin() {
    // Disabled first, so that as the default its windows repaint plainly.
    SetSkinType(tbsDisabled);
    ReleaseWindows();
    if (SkinManager) {
        try {
            SkinManager->RemoveSkin(this);
        } catch (const ESkinError&) {
            // Never registered: nothing to remove.
        }
    }
}

// ---- The manager ---------------------------------------------------------------------------

TTBSkinManager::TTBSkinManager() : backupSkin_(std::make_unique<TTBBaseSkin>(nullptr)) {
    if (DefaultSkin) backupSkin_->Assign(*DefaultSkin);
}

TTBSkinManager::~TTBSkinManager() {
    if (DefaultSkin) DefaultSkin->Assign(*backupSkin_);
}

int TTBSkinManager::AddSkin(TTBBaseSkin* skin) {
    auto it = std::find(skins_.begin(), skins_.end(), skin);
    if (it != skins_.end()) return static_cast<int>(it - skins_.begin());
    skins_.push_back(skin);
    if (skins_.size() == 1) {
        DefaultSkin->Assign(*skin);
        skin->isDefaultSkin_ = true;
    }
    return static_cast<int>(skins_.size()) - 1;
}

void TTBSkinManager::RemoveSkin(TTBBaseSkin* skin) {
    auto it = std::find(skins_.begin(), skins_.end(), skin);
    if (it == skins_.end()) throw ESkinError("The skin cannot be removed because it's not part of the SkinManager");
    skins_.erase(it);
    if (skins_.empty()) {
        DefaultSkin->Assign(*backupSkin_);
    } else if (skin->isDefaultSkin_) {
        // The next skin becomes the default, and DefaultSkin paints as it does: the one going
        // has left DefaultSkin disabled on its way out.
        skins_.front()->isDefaultSkin_ = true;
        DefaultSkin->Assign(*skins_.front());
    }
}

void TTBSkinManager::SetDefaultSkin(TTBBaseSkin* skin) {
    if (!skin) {
        DefaultSkin->Assign(*backupSkin_);
        return;
    }
    if (std::find(skins_.begin(), skins_.end(), skin) == skins_.end())
        throw ESkinError("This skin has not been added to the SkinManager.");
    if (skin->isDefaultSkin_)
        for (TTBBaseSkin* other : skins_)
            if (other != skin) other->isDefaultSkin_ = false;
    skin->isDefaultSkin_ = true;
    DefaultSkin->Assign(*skin);
}

// ---- Windows that paint with a skin ----------------------------------------------------------

TTBSkinClient::TTBSkinClient() : skin_(DefaultSkin) {
    if (skin_) skin_->AttachWindow(this);
}

TTBSkinClient::~TTBSkinClient() {
    if (skin_) skin_->DetachWindow(this);
}

bool TTBSkinClient::ChangeSkin(TTBBaseSkin* value) {
    if (!value) value = DefaultSkin;
    if (value == skin_) return false;
    if (skin_) skin_->DetachWindow(this);
    skin_ = value;
    if (skin_) skin_->AttachWindow(this);
    return true;
}

void TTBSkinClient::SkinDestroying(TTBBaseSkin* skin) {
    if (skin_ != skin) return;
    skin_ = skin == DefaultSkin ? nullptr : DefaultSkin;
    if (skin_) skin_->AttachWindow(this);
    SkinReplaced();
}

// ---- Which skin paints ---------------------------------------------------------------------

namespace {

bool Active(const TTBBaseSkin* skin) { return skin && skin->SkinType() != tbsDisabled; }
bool ActiveNotNative(const TTBBaseSkin* skin) { return Active(skin) && skin->SkinType() != tbsNativeXP; }

}  // namespace

TTBBaseSkin* EffectiveSkin(TTBBaseSkin* viewSkin) {
    if (Active(viewSkin)) return viewSkin;
    return Active(DefaultSkin) ? DefaultSkin : nullptr;
}

TTBBaseSkin* PopupWindowSkin(TTBBaseSkin* viewSkin, TTBBaseSkin* itemSkin) {
    if (Active(viewSkin)) return viewSkin;
    if (Active(itemSkin)) return itemSkin;
    return ActiveNotNative(DefaultSkin) ? DefaultSkin : nullptr;
}

TTBBaseSkin* PopupBorderSkin(TTBBaseSkin* viewSkin, TTBBaseSkin* itemSkin) {
    if (Active(viewSkin)) return viewSkin;
    if (Active(itemSkin)) return itemSkin;
    return Active(DefaultSkin) ? DefaultSkin : nullptr;
}

TTBBaseSkin* PopupFrameSkin(TTBBaseSkin* popupSkin, TTBBaseSkin* viewSkin, bool printing) {
    if (ActiveNotNative(popupSkin)) return popupSkin;
    if (ActiveNotNative(viewSkin)) return viewSkin;
    if (printing && ActiveNotNative(DefaultSkin)) return DefaultSkin;
    return nullptr;
}

TColor PopupWindowColor(const TTBBaseSkin* popupSkin) {
    return popupSkin ? popupSkin->SkinColor(tcPopup) : clMenu;
}

void ApplySystemColorsToSkins() {
    if (DefaultSkin) DefaultSkin->FollowSystemColors();
    for (int i = 0; SkinManager && i < SkinManager->Count(); ++i) SkinManager->Skins(i)->FollowSystemColors();
}

// ---- Unit initialisation -------------------------------------------------------------------

std::unique_ptr<TTBBaseSkin> CreateDefaultSkin() {
    auto skin = std::make_unique<TTBBaseSkin>(nullptr);
    skin->skinType_ = tbsDisabled;
    skin->SetOptions({});
    return skin;
}

namespace {

class SkinUnit {
public:
    SkinUnit() : defaultSkin_(CreateDefaultSkin()) {
        DefaultSkin = defaultSkin_.get();
        manager_ = std::make_unique<TTBSkinManager>();
        SkinManager = manager_.get();
        // The theme library loads on first use: the font-vetting helper, the same program, never paints.
    }
    ~SkinUnit() {
        manager_.reset();
        SkinManager = nullptr;
        defaultSkin_.reset();
        DefaultSkin = nullptr;
    }

private:
    std::unique_ptr<TTBBaseSkin> defaultSkin_;
    std::unique_ptr<TTBSkinManager> manager_;
};

const SkinUnit unit;

}  // namespace
