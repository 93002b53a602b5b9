#pragma once
#include <string>
#include <vector>

#include "toolbar/skins/skin.h"
#include "widgets/exception.h"

// The looks the gallery offers: a skin type and a colour set, chosen on the command line
// (--skin, --colors) or in the View menu.
enum TGallerySkin : uint8_t { gsOfficeXP, gsWindowsXP, gsNative, gsDisabled };
enum TGalleryColors : uint8_t { gcOfficeXP, gcWindowsXP, gcDistinct };

struct TGalleryOptions {
    TGallerySkin Skin = gsOfficeXP;
    TGalleryColors Colors = gcOfficeXP;
};

class EGalleryUsage : public Exception {
public:
    using Exception::Exception;
};

// Reads "--skin officexp|windowsxp|native|disabled" and "--colors officexp|windowsxp|distinct"
// (each also as --skin=value; without --colors the skin type's own set); anything else raises
// EGalleryUsage with the usage text.
TGalleryOptions ParseGalleryOptions(const std::vector<std::string>& args);
extern const char* const GalleryUsage;

// A colour set whose 28 slots are all different, so that a painter reading the wrong slot
// shows it at once (the Office-XP set gives many slots the same colour).
TColor DistinctColor(TTBSkinColorIndex slot);

// Gives `skin` the skin type and then the colour set. A skin type resets the colour set, so the
// colours come second; under tbsDisabled the skin ignores colour sets.
void ApplyGalleryLook(TTBBaseSkin& skin, TGallerySkin type, TGalleryColors colors);
