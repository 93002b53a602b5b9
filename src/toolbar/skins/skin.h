#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "widgets/component.h"
#include "widgets/enum_set.h"
#include "widgets/exception.h"
#include "widgets/graphics.h"

class TWinControl;
class TTBBaseSkin;
class TTBSkinClient;

class ESkinError : public Exception {
public:
    using Exception::Exception;
};

// How a popup's drop shadow darkens the screen beneath it.
enum TShadowStyle : uint8_t { sOfficeXP, sWindowsXP };

enum TTBSkins : uint8_t { tbsDisabled, tbsOfficeXP, tbsWindowsXP, tbsNativeXP };
enum TTBColorSets : uint8_t { tbcOfficeXP, tbcWindowsXP, tbcCustom };
enum TTBGradDir : uint8_t { tbgLeftRight, tbgTopBottom };
enum TTBPopupStyle : uint8_t { tbpsDefault, tbpsGradVert, tbpsGradHorz };
enum TTBImgBackStyle : uint8_t { tbimsDefault, tbimsGradVert, tbimsGradHorz };
enum TTBOption : uint8_t { tboPopupOverlap, tboShadow, tboDockedCaptions, tboMenuTBColor, tboGradSelItem,
                           tboBlendedImages };
using TTBOptions = TEnumSet<TTBOption, uint8_t, 6>;
// What a stored layout leaves out; a new skin starts with [] all the same, so a skin whose
// options are exactly [tboShadow] reads back as [].
inline constexpr TTBOptions TTBOptionsStoredDefault{tboShadow};

// The 28 colour slots, numbered in the order painters ask for them (SkinColor).
enum TTBSkinColorIndex : int {
    tcFace, tcPopup, tcBorder, tcToolbar, tcDragHandle, tcImageList, tcImgListShadow, tcSelBar, tcSelBarBorder,
    tcSelItem, tcSelItemBorder, tcSelPushed, tcSelPushedBorder, tcSeparator, tcChecked, tcCheckedOver,
    tcDockBorderTitle, tcDockBorderIn, tcDockBorderOut, tcGradStart, tcGradEnd, tcPopupGradStart, tcPopupGradEnd,
    tcImgGradStart, tcImgGradEnd, tcMenuText, tcHighlightText, tcCaptionText
};
inline constexpr int TTBSkinColorCount = 28;

// ---- Colour helpers ------------------------------------------------------------------------
// Every argument colour is turned into RGB first, system colours resolved.

// Each channel (1 − w)·a + w·b, rounded half to even; below 0 gives 0, above 255 gives a's
// channel (only a weight outside 0..1 gets there).
TColor Blend(TColor a, TColor b, long double w);
// Each channel v + percent·(255 − v) div 100: 100 gives white.
TColor Lighten(TColor c, int percent);
// Each channel max(0, v − n).
TColor Darken(TColor c, int n);
// The colour the device shows for `rgb`; `rgb` itself when the device cannot tell.
COLORREF NearestColor(HDC dc, COLORREF rgb);

// ---- The colour slots ----------------------------------------------------------------------

// A skin's colours, each as set (it may name a system colour) and as painting uses it (RGB).
class TTBColors {
public:
    explicit TTBColors(TTBBaseSkin* skin) : skin_(skin) {}
    TTBColors(const TTBColors&) = delete;
    TTBColors& operator=(const TTBColors&) = delete;

    TTBBaseSkin* Skin() const { return skin_; }
    TColor Color(TTBSkinColorIndex slot) const { return colors_.at(slot); }
    COLORREF Resolved(TTBSkinColorIndex slot) const { return resolved_.at(slot); }
    // The slot setter: only a tbcCustom skin takes a colour; the default skin follows it.
    void SetColor(TTBSkinColorIndex slot, TColor value);

private:
    friend class TTBBaseSkin;
    TTBBaseSkin* skin_;
    std::array<TColor, TTBSkinColorCount> colors_{};
    std::array<COLORREF, TTBSkinColorCount> resolved_{};
};

// ---- Skins ---------------------------------------------------------------------------------

// All of a skin's state and rules. DefaultSkin and the manager's BackupSkin are bare base skins;
// forms place TTBSkin.
class TTBBaseSkin : public TComponent {
public:
    explicit TTBBaseSkin(TComponent* owner);
    ~TTBBaseSkin() override;

    TTBColors& Colors() { return *colors_; }
    const TTBColors& Colors() const { return *colors_; }
    // The resolved RGB of a slot; white for an index outside the slots.
    COLORREF SkinColor(int index) const;

    TTBSkins SkinType() const { return skinType_; }
    void SetSkinType(TTBSkins value);
    TTBColorSets ColorSet() const { return colorSet_; }
    void SetColorSet(TTBColorSets value);
    TTBOptions Options() const { return options_; }
    void SetOptions(TTBOptions value);
    TTBGradDir Gradient() const { return gradient_; }
    void SetGradient(TTBGradDir value);
    TTBPopupStyle PopupStyle() const { return popupStyle_; }
    void SetPopupStyle(TTBPopupStyle value);
    TTBImgBackStyle ImgBackStyle() const { return imgBackStyle_; }
    void SetImgBackStyle(TTBImgBackStyle value);
    TShadowStyle ShadowStyle() const { return shadowStyle_; }
    void SetShadowStyle(TShadowStyle value);
    bool IsDefaultSkin() const { return isDefaultSkin_; }
    void SetIsDefaultSkin(bool value);
    const TFont& CaptionFont() const { return captionFont_; }
    void SetCaptionFont(const TFont& value);
    const TFont& BaseCaptionFont() const { return baseCaptionFont_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    bool IsCaptionFontStored() const { return !parentFont_; }
    int Tag() const { return tag_; }
    void SetTag(int value) { tag_ = value; }

    void ApplyColorSet();
    void ResolveColors();
    // After a change of the system colours.
    void FollowSystemColors();
    // Makes every attached, showing window lay out and paint its frame again.
    void RefreshWindows();
    void AttachWindow(TTBSkinClient* window);
    bool DetachWindow(TTBSkinClient* window);
    int WindowCount() const { return static_cast<int>(windows_.size()); }
    void Assign(const TTBBaseSkin& source);

protected:
    void LoadOfficeXPColors();
    void LoadWindowsXPColors();
    // Moves every attached window to DefaultSkin while this skin and its list are still whole.
    void ReleaseWindows();

private:
    friend class TTBColors;
    friend class TTBSkinManager;
    friend std::unique_ptr<TTBBaseSkin> CreateDefaultSkin();
    // The default skin follows this one's setters.
    bool ForwardsToDefault() const;
    void CopyCaptionFont(const TFont& font, bool parentFont);

    std::unique_ptr<TTBColors> colors_;
    TTBSkins skinType_ = tbsOfficeXP;
    TTBColorSets colorSet_ = tbcOfficeXP;
    TTBOptions options_;
    TTBGradDir gradient_ = tbgTopBottom;
    bool isDefaultSkin_ = false;
    TTBPopupStyle popupStyle_ = tbpsDefault;
    TTBImgBackStyle imgBackStyle_ = tbimsDefault;
    TShadowStyle shadowStyle_ = sOfficeXP;
    TFont captionFont_;
    TFont baseCaptionFont_;
    bool parentFont_ = true;
    int tag_ = 0;
    std::vector<TTBSkinClient*> windows_;  // not owned
};

// The skin component that forms place. It registers with the skin manager.
class TTBSkin : public TTBBaseSkin {
public:
    explicit TTBSkin(TComponent* owner);
    ~TTBSkin() override;
    std::string Version() const { return "Version 1.00.12b"; }
    void SetVersion(const std::string&) {}
};

// Every TTBSkin of the process, and a copy of DefaultSkin as it was before any skin came.
class TTBSkinManager {
public:
    TTBSkinManager();
    ~TTBSkinManager();
    TTBSkinManager(const TTBSkinManager&) = delete;
    TTBSkinManager& operator=(const TTBSkinManager&) = delete;

    int AddSkin(TTBBaseSkin* skin);
    void RemoveSkin(TTBBaseSkin* skin);
    void SetDefaultSkin(TTBBaseSkin* skin);
    int Count() const { return static_cast<int>(skins_.size()); }
    TTBBaseSkin* Skins(int index) const { return skins_.at(index); }
    const TTBBaseSkin& BackupSkin() const { return *backupSkin_; }

private:
    std::vector<TTBBaseSkin*> skins_;
    std::unique_ptr<TTBBaseSkin> backupSkin_;
};

// Process-wide, made by the unit's initialisation and freed at exit.
extern TTBBaseSkin* DefaultSkin;
extern TTBSkinManager* SkinManager;
// The length a toolbar keeps for its chevron button.
extern int ChevronSize;

// The system colours changed: every skin derives its colour set again.
void ApplySystemColorsToSkins();

// ---- Windows that paint with a skin ----------------------------------------------------------

// A toolbar, tool window, dock or popup that uses a skin. It starts on DefaultSkin, stays
// attached to the skin it uses, and is moved to DefaultSkin when that skin is destroyed.
class TTBSkinClient {
public:
    TTBSkinClient(const TTBSkinClient&) = delete;
    TTBSkinClient& operator=(const TTBSkinClient&) = delete;

    TTBBaseSkin* Skin() const { return skin_; }
    // Detaches from the present skin and attaches to `value`, DefaultSkin when null. False when
    // nothing changed. Windows apply their own conditions (a handle, say) before calling it.
    bool ChangeSkin(TTBBaseSkin* value);

    // What RefreshWindows acts on; null while the window does not exist.
    virtual TWinControl* SkinWindow() = 0;
    // A floating window lays itself out again; a docked one only recomputes its frame.
    virtual bool SkinWindowFloating() const { return false; }
    // Tool windows lay out but skip the frame recomputation when floating.
    virtual bool SkinWindowIsToolWindow() const { return false; }
    // The skin changed while the window is docked: sizes that depend on the skin's type,
    // options or fonts are computed again.
    virtual void SkinLayoutChanged() {}

protected:
    TTBSkinClient();
    virtual ~TTBSkinClient();
    // After the skin in use was destroyed and DefaultSkin took its place (or, at exit, none).
    virtual void SkinReplaced() {}

private:
    friend class TTBBaseSkin;
    void SkinDestroying(TTBBaseSkin* skin);
    TTBBaseSkin* skin_ = nullptr;
};

// ---- Which skin paints ---------------------------------------------------------------------

// A view's skin when set and not tbsDisabled, else DefaultSkin when not tbsDisabled, else none
// (plain painting).
TTBBaseSkin* EffectiveSkin(TTBBaseSkin* viewSkin);
// The skin a popup window takes when made: the opening view's, else the item's (a popup
// menu's root item carries the menu's), each when not tbsDisabled; else DefaultSkin unless it
// is tbsDisabled or tbsNativeXP.
TTBBaseSkin* PopupWindowSkin(TTBBaseSkin* viewSkin, TTBBaseSkin* itemSkin);
// The same candidates decide the popup's border width, DefaultSkin counting under tbsNativeXP too.
TTBBaseSkin* PopupBorderSkin(TTBBaseSkin* viewSkin, TTBBaseSkin* itemSkin);
// The skin of a popup's frame: the popup's own, else the opening view's, a tbsDisabled or
// tbsNativeXP skin counting as none; while printed for its animation DefaultSkin is tried last.
TTBBaseSkin* PopupFrameSkin(TTBBaseSkin* popupSkin, TTBBaseSkin* viewSkin, bool printing);
// A popup window's colour: tcPopup when skinned, clMenu otherwise.
TColor PopupWindowColor(const TTBBaseSkin* popupSkin);
