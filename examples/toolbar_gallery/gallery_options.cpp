#include "gallery_options.h"

#include <array>

const char* const GalleryUsage =
    "toolbar_gallery [--skin officexp|windowsxp|native|disabled] [--colors officexp|windowsxp|distinct]";

namespace {

template <class E, size_t N>
E Lookup(const std::string& value, const std::array<const char*, N>& names) {
    for (size_t i = 0; i < N; ++i)
        if (value == names[i]) return static_cast<E>(i);
    throw EGalleryUsage(std::string("unknown value \"") + value + "\"\n" + GalleryUsage);
}

constexpr std::array<const char*, 4> kSkinNames{"officexp", "windowsxp", "native", "disabled"};
constexpr std::array<const char*, 3> kColorNames{"officexp", "windowsxp", "distinct"};

// Light fills, darker frames, dark texts: readable, and no two alike.
constexpr std::array<TColor, TTBSkinColorCount> kDistinct{
    RGB(0xE8, 0xD8, 0xC0),  // tcFace
    RGB(0xF8, 0xF4, 0xE0),  // tcPopup
    RGB(0x80, 0x20, 0x20),  // tcBorder
    RGB(0xD8, 0xE8, 0xF0),  // tcToolbar
    RGB(0x20, 0x80, 0x80),  // tcDragHandle
    RGB(0xC8, 0xE0, 0xC8),  // tcImageList
    RGB(0x60, 0x60, 0xA0),  // tcImgListShadow
    RGB(0xFF, 0xD0, 0x80),  // tcSelBar
    RGB(0xC0, 0x60, 0x00),  // tcSelBarBorder
    RGB(0xB0, 0xD8, 0xFF),  // tcSelItem
    RGB(0x00, 0x40, 0xC0),  // tcSelItemBorder
    RGB(0xFF, 0xA0, 0xA0),  // tcSelPushed
    RGB(0xA0, 0x00, 0x40),  // tcSelPushedBorder
    RGB(0x90, 0x70, 0xB0),  // tcSeparator
    RGB(0xD0, 0xF0, 0x90),  // tcChecked
    RGB(0xA0, 0xE0, 0x60),  // tcCheckedOver
    RGB(0x30, 0x50, 0x70),  // tcDockBorderTitle
    RGB(0x70, 0x90, 0x40),  // tcDockBorderIn
    RGB(0x40, 0x20, 0x60),  // tcDockBorderOut
    RGB(0xFF, 0xF0, 0xB0),  // tcGradStart
    RGB(0xF0, 0xB0, 0x40),  // tcGradEnd
    RGB(0xE0, 0xF0, 0xFF),  // tcPopupGradStart
    RGB(0xC0, 0xC8, 0xF0),  // tcPopupGradEnd
    RGB(0xF0, 0xE0, 0xF0),  // tcImgGradStart
    RGB(0xD0, 0xA8, 0xD0),  // tcImgGradEnd
    RGB(0x50, 0x10, 0x10),  // tcMenuText
    RGB(0x10, 0x30, 0x10),  // tcHighlightText
    RGB(0xFF, 0xFF, 0xE0),  // tcCaptionText
};

}  // namespace

TGalleryOptions ParseGalleryOptions(const std::vector<std::string>& args) {
    TGalleryOptions options;
    bool colorsGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        size_t equals = name.find('=');
        if (equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        } else if (name == "--skin" || name == "--colors") {
            if (i + 1 == args.size()) throw EGalleryUsage(name + " needs a value\n" + GalleryUsage);
            value = args[++i];
        }
        if (name == "--skin") {
            options.Skin = Lookup<TGallerySkin>(value, kSkinNames);
        } else if (name == "--colors") {
            options.Colors = Lookup<TGalleryColors>(value, kColorNames);
            colorsGiven = true;
        } else {
            throw EGalleryUsage("unknown switch \"" + args[i] + "\"\n" + GalleryUsage);
        }
    }
    // Without --colors, a skin type comes with its own colour set.
    if (!colorsGiven) options.Colors = options.Skin == gsWindowsXP || options.Skin == gsNative ? gcWindowsXP : gcOfficeXP;
    return options;
}

TColor DistinctColor(TTBSkinColorIndex slot) { return kDistinct.at(slot); }

void ApplyGalleryLook(TTBBaseSkin& skin, TGallerySkin type, TGalleryColors colors) {
    static constexpr TTBSkins kTypes[] = {tbsOfficeXP, tbsWindowsXP, tbsNativeXP, tbsDisabled};
    skin.SetSkinType(kTypes[type]);
    switch (colors) {
    case gcOfficeXP: skin.SetColorSet(tbcOfficeXP); break;
    case gcWindowsXP: skin.SetColorSet(tbcWindowsXP); break;
    case gcDistinct:
        skin.SetColorSet(tbcCustom);
        for (int slot = 0; slot < TTBSkinColorCount; ++slot)
            skin.Colors().SetColor(static_cast<TTBSkinColorIndex>(slot), DistinctColor(static_cast<TTBSkinColorIndex>(slot)));
        break;
    }
}
