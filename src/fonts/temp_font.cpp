#include "fonts/temp_font.h"

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
constexpr int kMaxFontsPerFile = 255;

void PumpMessages() {
    if (Application) Application->ProcessMessages();
}

bool SameFileState(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return a.nFileSizeLow == b.nFileSizeLow && a.nFileSizeHigh == b.nFileSizeHigh &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0 &&
           CompareFileTime(&a.ftCreationTime, &b.ftCreationTime) == 0;
}

// The scan registers every file twice in a row (face name, then thumbnail); reading the file
// costs about as much as registering it, so the last file found well-formed is remembered
// while its size and times stay the same.
bool IsWellFormedFontFile(const std::string& path) {
    static std::string lastPath;
    static WIN32_FILE_ATTRIBUTE_DATA lastState{};
    WIN32_FILE_ATTRIBUTE_DATA state;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &state)) return false;
    if (path == lastPath && SameFileState(state, lastState)) return true;
    if (!IsWellFormedTrueType(path)) return false;
    lastPath = path;
    lastState = state;
    return true;
}

bool RegisterFontFile(const std::string& path) {
    // The check comes first: a malformed file can fault inside AddFontResourceA and leave the
    // process's next font call hanging.
    if (!IsWellFormedFontFile(path)) return false;
    // Private to this process: other programs never see our transient fonts, a crash leaves
    // nothing registered in the user's session, and on Wine a system-wide add and remove can
    // set off endless desktop-process starts in the next program that looks up windows.
    const int added = AddFontResourceExA(path.c_str(), FR_PRIVATE, nullptr);
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
    RemoveFontResourceExA(TempFontPath.c_str(), FR_PRIVATE, nullptr);
    // Cleared before pumping, so that a load made by a handler during the pump stands.
    TempFontLoaded = false;
    PumpMessages();
}

void CollectTrueTypeFamilies(std::vector<std::string>& list, HWND window) {
    WithFontDC(window, [&](HDC dc) {
        EnumFontFamilies(dc, nullptr, [&](const LOGFONTA& font, DWORD fontType) {
            if (fontType & TRUETYPE_FONTTYPE) list.push_back(FaceName(font));
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

std::string FaceNameOfRegisteredFile(const std::string& path, HWND window, const TFamilyBaseline& baseline) {
    std::vector<std::string> families;
    CollectTrueTypeFamilies(families, window);
    std::string face = baseline.AddedFamily(families);
    // Nothing added: the family is installed already (or was registered meanwhile).
    if (face.empty()) face = ReadFamilyNameFromFile(path);
    return face;
}

std::string FontFaceNameOf(const std::string& path, HWND window, const TFamilyBaseline* baseline,
                           TRegistrationAfterLookup after) {
    std::string face;
    try {
        PumpMessages();
        std::optional<TFamilyBaseline> before;
        if (!baseline) baseline = &before.emplace(TFamilyBaseline::Capture(window));
        if (!LoadTempFont(path)) return face;

        PumpMessages();
        // A handler that ran during the pump may have registered another file in place of this
        // one; then the enumeration tells nothing about this file.
        if (TempFontLoaded && TempFontPath == path)
            face = FaceNameOfRegisteredFile(path, window, *baseline);
        else
            face = ReadFamilyNameFromFile(path);

        PumpMessages();
        if (after == TRegistrationAfterLookup::Unload && TempFontPath == path) UnloadTempFont();
    } catch (...) {
        SilentCall([&] {
            if (TempFontPath == path) UnloadTempFont();
        });
    }
    return face;
}
