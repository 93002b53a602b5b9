#include "fonts/temp_font.h"

#include <algorithm>
#include <optional>

#include "fonts/font_enum.h"
#include "fonts/truetype_file.h"
#include "widgets/application.h"
#include "widgets/handles.h"

std::string TempFontPath;
bool TempFontLoaded = false;

namespace {

// A TrueType file holds one font and a collection a handful; any other result is an error
// code. Under Wine a fault inside the font code comes back as 0xC0000005, which is non-zero.
// Wine counts a Japanese face's vertical "@" face as a font of its own, hence the double.
constexpr int kMaxFontsPerFile = 2 * int(kMaxCollectionFaces);

void PumpMessages() {
    if (Application) Application->ProcessMessages();
}

bool SameFileState(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return a.nFileSizeLow == b.nFileSizeLow && a.nFileSizeHigh == b.nFileSizeHigh &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0 &&
           CompareFileTime(&a.ftCreationTime, &b.ftCreationTime) == 0;
}

// The number of faces of the file registered now; what unloading it has to remove.
size_t TempFontFaces = 0;

// The scan registers every file twice in a row (face name, then thumbnail); reading the file
// costs about as much as registering it, so the last file found well-formed is remembered
// while its size and times stay the same. Returns the file's face count, 0 when malformed.
size_t WellFormedFontFileFaces(const std::string& path) {
    static std::string lastPath;
    static WIN32_FILE_ATTRIBUTE_DATA lastState{};
    static size_t lastFaces = 0;
    WIN32_FILE_ATTRIBUTE_DATA state;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &state)) return 0;
    if (path == lastPath && SameFileState(state, lastState)) return lastFaces;
    const size_t faces = FontFileFaceCount(path);
    if (faces == 0) return 0;
    lastPath = path;
    lastState = state;
    lastFaces = faces;
    return faces;
}

bool RegisterFontFile(const std::string& path) {
    // The check comes first: a malformed file can fault inside AddFontResourceA and leave the
    // process's next font call hanging.
    const size_t faces = WellFormedFontFileFaces(path);
    if (faces == 0) return false;
    // Private to this process: other programs never see our transient fonts, a crash leaves
    // nothing registered in the user's session, and on Wine a system-wide add and remove can
    // set off endless desktop-process starts in the next program that looks up windows.
    const int added = AddFontResourceExA(path.c_str(), FR_PRIVATE, nullptr);
    TempFontFaces = faces;
    return added >= 1 && added <= kMaxFontsPerFile;
}

// Unloads until nothing of ours is registered: a handler that runs during the unload's pump
// may have loaded another file.
void UnloadAll() {
    while (TempFontLoaded && !TempFontPath.empty()) UnloadTempFont();
}

bool IsVerticalFace(const std::string& family) { return !family.empty() && family[0] == '@'; }

}  // namespace

bool LoadTempFont(const std::string& path) {
    try {
        UnloadAll();
    } catch (...) {
    }
    TempFontPath = path;
    TempFontLoaded = RegisterFontFile(path);
    return TempFontLoaded;
}

void UnloadTempFont() {
    if (TempFontPath.empty() || !TempFontLoaded) return;
    // Wine's removal of a large collection can leave one of its faces registered (Noto Sans
    // CJK: 9 of 10 removed, a second removal takes the tenth). A removal that finds nothing
    // costs about a millisecond, so a single font is removed once, as before.
    size_t removed = 0;
    while (removed < TempFontFaces) {
        const int count = RemoveFontResourceExA(TempFontPath.c_str(), FR_PRIVATE, nullptr);
        if (count <= 0) break;
        removed += size_t(count);
    }
    // Cleared before pumping, so that a load made by a handler during the pump stands.
    TempFontLoaded = false;
    PumpMessages();
}

void CollectTrueTypeFamilies(std::vector<std::string>& list, HWND window) {
    WithFontDC(window, [&](HDC dc) {
        EnumFontFamilies(dc, nullptr, [&](const LOGFONTA& font, DWORD fontType) {
            // Wine reports OpenType fonts with PostScript outlines as device fonts; a screen or
            // memory context has no real device fonts.
            if (fontType & (TRUETYPE_FONTTYPE | DEVICE_FONTTYPE)) list.push_back(FaceName(font));
        });
    });
}

TFamilyBaseline TFamilyBaseline::Capture(HWND window) {
    UnloadAll();
    std::vector<std::string> families;
    CollectTrueTypeFamilies(families, window);
    return TFamilyBaseline(families);
}

TFamilyBaseline::TFamilyBaseline(const std::vector<std::string>& families) {
    for (const std::string& family : families) ++counts_[family];
}

std::string TFamilyBaseline::AddedFamily(const std::vector<std::string>& now) const {
    std::unordered_map<std::string, int> unmatched = counts_;
    std::string added;
    for (const std::string& family : now) {
        // A font that supports Japanese also adds its vertical-writing face "@family", listed
        // after it; that face draws rotated glyphs and is never the face name.
        if (IsVerticalFace(family)) continue;
        auto known = unmatched.find(family);
        if (known != unmatched.end() && known->second > 0)
            --known->second;
        else
            added = family;
    }
    return added;
}

std::vector<std::string> TFamilyBaseline::AddedFamilies(const std::vector<std::string>& now) const {
    std::unordered_map<std::string, int> unmatched = counts_;
    std::vector<std::string> added;
    for (const std::string& family : now) {
        if (IsVerticalFace(family)) continue;
        auto known = unmatched.find(family);
        if (known != unmatched.end() && known->second > 0)
            --known->second;
        else if (std::find(added.begin(), added.end(), family) == added.end())
            added.push_back(family);
    }
    return added;
}

std::vector<std::string> NameFacesByAddedFamilies(const std::vector<std::string>& added,
                                                  const std::vector<std::string>& ownNames) {
    // Face names compare as the system compares them, without regard to case.
    const auto same = [](const std::string& a, const std::string& b) {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), int(a.size()), b.data(),
                              int(b.size())) == CSTR_EQUAL;
    };
    std::vector<std::string> names(ownNames.size());
    std::vector<bool> taken(added.size(), false);
    for (size_t face = 0; face < ownNames.size(); ++face) {
        for (size_t i = 0; i < added.size(); ++i) {
            if (!ownNames[face].empty() && same(ownNames[face], added[i])) {
                names[face] = added[i];
                taken[i] = true;
                break;
            }
        }
    }
    // The system may list a face under another of its names than the one read from the file;
    // then the families nobody claimed go to the faces nobody named, in order.
    size_t next = 0;
    for (size_t face = 0; face < ownNames.size(); ++face) {
        if (!names[face].empty()) continue;
        while (next < added.size() && taken[next]) ++next;
        if (next < added.size()) {
            names[face] = added[next];
            taken[next] = true;
        } else {
            names[face] = ownNames[face];
        }
    }
    return names;
}

std::string FaceNameOfRegisteredFile(const std::string& path, HWND window, const TFamilyBaseline& baseline) {
    std::vector<std::string> families;
    CollectTrueTypeFamilies(families, window);
    std::string face = baseline.AddedFamily(families);
    // Nothing added: the family is installed already (or was registered meanwhile).
    if (face.empty()) face = ReadFamilyNameFromFile(path);
    return face;
}

std::vector<std::string> FaceNamesOfRegisteredFile(const std::string& path, HWND window,
                                                   const TFamilyBaseline& baseline) {
    std::vector<std::string> families;
    CollectTrueTypeFamilies(families, window);
    std::vector<std::string> added = baseline.AddedFamilies(families);
    const std::vector<std::string> own = ReadFaceFamilyNamesFromFile(path);
    // The file changed since it was registered: the enumeration is all there is to go by.
    if (own.empty()) return added;
    return NameFacesByAddedFamilies(added, own);
}

namespace {

// Registers `path` around `lookUp(registered)`, which names its faces while it is registered
// (`registered` true) or from the file alone when a handler replaced the registration meanwhile.
template <class Result, class LookUp>
Result LookUpFaceNames(const std::string& path, HWND window, const TFamilyBaseline* baseline,
                       TRegistrationAfterLookup after, LookUp lookUp) {
    Result face{};
    try {
        PumpMessages();
        std::optional<TFamilyBaseline> before;
        if (!baseline) baseline = &before.emplace(TFamilyBaseline::Capture(window));
        if (!LoadTempFont(path)) return face;

        PumpMessages();
        // A handler that ran during the pump may have registered another file in place of this
        // one; then the enumeration tells nothing about this file.
        face = lookUp(TempFontLoaded && TempFontPath == path, *baseline);

        PumpMessages();
        if (after == TRegistrationAfterLookup::Unload && TempFontPath == path) UnloadTempFont();
    } catch (...) {
        SilentCall([&] {
            if (TempFontPath == path) UnloadTempFont();
        });
    }
    return face;
}

}  // namespace

std::string FontFaceNameOf(const std::string& path, HWND window, const TFamilyBaseline* baseline,
                           TRegistrationAfterLookup after) {
    return LookUpFaceNames<std::string>(path, window, baseline, after,
                                        [&](bool registered, const TFamilyBaseline& families) {
                                            return registered ? FaceNameOfRegisteredFile(path, window, families)
                                                              : ReadFamilyNameFromFile(path);
                                        });
}

std::vector<std::string> FontFaceNamesOf(const std::string& path, HWND window, const TFamilyBaseline* baseline,
                                         TRegistrationAfterLookup after) {
    return LookUpFaceNames<std::vector<std::string>>(
        path, window, baseline, after, [&](bool registered, const TFamilyBaseline& families) {
            return registered ? FaceNamesOfRegisteredFile(path, window, families) : ReadFaceFamilyNamesFromFile(path);
        });
}
