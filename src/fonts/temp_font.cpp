#include "fonts/temp_font.h"

#include <optional>

#include "fonts/font_enum.h"
#include "fonts/truetype_file.h"
#include "widgets/application.h"
#include "widgets/handles.h"
#include "widgets/wide_text.h"

std::wstring TempFontPath;
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
bool IsWellFormedFontFile(const std::wstring& path) {
    static std::wstring lastPath;
    static WIN32_FILE_ATTRIBUTE_DATA lastState{};
    WIN32_FILE_ATTRIBUTE_DATA state;
    if (!GetFileAttributesExW(ExtendedLengthPath(path).c_str(), GetFileExInfoStandard, &state)) return false;
    if (path == lastPath && SameFileState(state, lastState)) return true;
    if (!IsWellFormedTrueType(path)) return false;
    lastPath = path;
    lastState = state;
    return true;
}

// What the registered file was handed to the system as, for its removal.
std::wstring RegisteredAs;

bool RegisterFontFile(const std::wstring& path) {
    // The check comes first: a malformed file can fault inside AddFontResourceExW and leave the
    // process's next font call hanging.
    if (!IsWellFormedFontFile(path)) return false;
    const std::wstring registration = FontRegistrationPath(path);
    if (registration.empty()) return false;
    // Private to this process: other programs never see our transient fonts, a crash leaves
    // nothing registered in the user's session, and on Wine a system-wide add and remove can
    // set off endless desktop-process starts in the next program that looks up windows.
    const int added = AddFontResourceExW(registration.c_str(), FR_PRIVATE, nullptr);
    if (added < 1 || added > kMaxFontsPerFile) return false;
    RegisteredAs = registration;
    return true;
}

// Unloads until nothing of ours is registered: a handler that runs during the unload's pump
// may have loaded another file.
void UnloadAll() {
    while (TempFontLoaded && !TempFontPath.empty()) UnloadTempFont();
}

bool IsVerticalFace(const std::wstring& family) { return !family.empty() && family[0] == L'@'; }

}  // namespace

std::wstring FontRegistrationPath(const std::wstring& path) {
    if (path.size() < MAX_PATH) return path;
    const std::wstring extended = ExtendedLengthPath(path);
    const DWORD needed = GetShortPathNameW(extended.c_str(), nullptr, 0);
    if (needed == 0) return std::wstring();
    std::wstring shortPath(needed, L'\0');
    shortPath.resize(GetShortPathNameW(extended.c_str(), shortPath.data(), needed));
    // The short form comes back in the extended form it was asked in.
    if (shortPath.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        shortPath = L"\\\\" + shortPath.substr(8);
    } else if (shortPath.rfind(L"\\\\?\\", 0) == 0) {
        shortPath.erase(0, 4);
    }
    return shortPath.size() < MAX_PATH ? shortPath : std::wstring();
}

bool LoadTempFont(const std::wstring& path) {
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
    RemoveFontResourceExW(RegisteredAs.c_str(), FR_PRIVATE, nullptr);
    // Cleared before pumping, so that a load made by a handler during the pump stands.
    TempFontLoaded = false;
    PumpMessages();
}

void CollectTrueTypeFamilies(std::vector<std::wstring>& list, HWND window) {
    WithFontDC(window, [&](HDC dc) {
        EnumFontFamiliesWide(dc, std::wstring(), [&](const LOGFONTW& font, DWORD fontType) {
            if (fontType & TRUETYPE_FONTTYPE) list.push_back(FaceName(font));
        });
    });
}

TFamilyBaseline TFamilyBaseline::Capture(HWND window) {
    UnloadAll();
    std::vector<std::wstring> families;
    CollectTrueTypeFamilies(families, window);
    return TFamilyBaseline(families);
}

TFamilyBaseline::TFamilyBaseline(const std::vector<std::wstring>& families) {
    for (const std::wstring& family : families) ++counts_[family];
}

std::wstring TFamilyBaseline::AddedFamily(const std::vector<std::wstring>& now) const {
    std::unordered_map<std::wstring, int> unmatched = counts_;
    std::wstring added;
    for (const std::wstring& family : now) {
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

std::wstring FaceNameOfRegisteredFile(const std::wstring& path, HWND window, const TFamilyBaseline& baseline) {
    std::vector<std::wstring> families;
    CollectTrueTypeFamilies(families, window);
    std::wstring face = baseline.AddedFamily(families);
    // Nothing added: the family is installed already (or was registered meanwhile).
    if (face.empty()) face = ReadFamilyNameFromFile(path);
    return face;
}

std::wstring FontFaceNameOf(const std::wstring& path, HWND window, const TFamilyBaseline* baseline,
                            TRegistrationAfterLookup after) {
    std::wstring face;
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
