#include "fonts/temp_font.h"

#include <algorithm>
#include <map>
#include <mutex>
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

bool ReadFileState(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& state) {
    return GetFileAttributesExW(ExtendedLengthPath(path).c_str(), GetFileExInfoStandard, &state);
}

// Files checked ahead of their loads, with their state as it was before they were read (a
// change while reading then shows as a change of state), until loaded.
struct CheckedAhead {
    WIN32_FILE_ATTRIBUTE_DATA state;
    size_t faces;
    std::wstring family;  // a single face's, from its own name table
};
std::mutex checkedAheadLock;
std::map<std::wstring, CheckedAhead> checkedAhead;

std::optional<size_t> TakeCheckedAhead(const std::wstring& path, const WIN32_FILE_ATTRIBUTE_DATA& state) {
    std::lock_guard<std::mutex> hold(checkedAheadLock);
    auto found = checkedAhead.find(path);
    if (found == checkedAhead.end()) return std::nullopt;
    const size_t faces = found->second.faces;
    const bool unchanged = SameFileState(found->second.state, state);
    checkedAhead.erase(found);
    if (!unchanged) return std::nullopt;
    return faces;
}

// The scan registers every file twice in a row (face name, then thumbnail); reading the file
// costs about as much as registering it, so the last file found well-formed is remembered
// while its size and times stay the same. Returns the file's face count, 0 when malformed.
size_t WellFormedFontFileFaces(const std::wstring& path) {
    static std::wstring lastPath;
    static WIN32_FILE_ATTRIBUTE_DATA lastState{};
    static size_t lastFaces = 0;
    WIN32_FILE_ATTRIBUTE_DATA state;
    if (!ReadFileState(path, state)) return 0;
    if (path == lastPath && SameFileState(state, lastState)) return lastFaces;
    const std::optional<size_t> ahead = TakeCheckedAhead(path, state);
    const size_t faces = ahead ? *ahead : FontFileFaceCount(path);
    if (faces == 0) return 0;
    lastPath = path;
    lastState = state;
    lastFaces = faces;
    return faces;
}

// What the registered file was handed to the system as, for its removal.
std::wstring RegisteredAs;

bool RegisterFontFile(const std::wstring& path) {
    // The check comes first: a malformed file can fault inside AddFontResourceExW and leave the
    // process's next font call hanging.
    const size_t faces = WellFormedFontFileFaces(path);
    if (faces == 0) return false;
    const std::wstring registration = FontRegistrationPath(path);
    if (registration.empty()) return false;
    // Private to this process: other programs never see our transient fonts, a crash leaves
    // nothing registered in the user's session, and on Wine a system-wide add and remove can
    // set off endless desktop-process starts in the next program that looks up windows.
    const int added = AddFontResourceExW(registration.c_str(), FR_PRIVATE, nullptr);
    if (added < 1 || added > kMaxFontsPerFile) return false;
    RegisteredAs = registration;
    TempFontFaces = faces;
    return true;
}

// Unloads until nothing of ours is registered: a handler that runs during the unload's pump
// may have loaded another file.
void UnloadAll() {
    while (TempFontLoaded && !TempFontPath.empty()) UnloadTempFont();
}

bool IsVerticalFace(const std::wstring& family) { return !family.empty() && family[0] == L'@'; }

// Wine reports OpenType fonts with PostScript outlines as device fonts; a screen or memory
// context has no real device fonts.
bool IsOutlineFamily(DWORD fontType) { return fontType & (TRUETYPE_FONTTYPE | DEVICE_FONTTYPE); }

}  // namespace

void CheckFontFileAhead(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA state;
    if (!ReadFileState(path, state)) return;
    // The same reading checks the file and gives its faces' names.
    std::vector<std::wstring> families = ReadFaceFamilyNamesFromFile(path);
    const size_t faces = families.size();
    std::lock_guard<std::mutex> hold(checkedAheadLock);
    // Files checked ahead and never loaded (the helper went on without them) go in one sweep.
    if (checkedAhead.size() >= kFilesCheckedAhead) checkedAhead.clear();
    checkedAhead[path] = CheckedAhead{state, faces, faces == 1 ? std::move(families.front()) : std::wstring()};
}

std::wstring FamilyCheckedAhead(const std::wstring& path) {
    std::lock_guard<std::mutex> hold(checkedAheadLock);
    auto found = checkedAhead.find(path);
    return found == checkedAhead.end() ? std::wstring() : found->second.family;
}

int ListedRecordsOf(const std::wstring& family, TFontSource fonts) {
    int listed = 0;
    fonts.Use([&](HDC dc) {
        EnumFontFamiliesWide(dc, family, [&](const LOGFONTW& font, DWORD fontType) {
            if (IsOutlineFamily(fontType) && FaceName(font) == family) ++listed;
        });
    });
    return listed;
}

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

size_t TempFontFaceCount() { return TempFontLoaded ? TempFontFaces : 0; }

void UnloadTempFont() {
    if (TempFontPath.empty() || !TempFontLoaded) return;
    // Wine's removal of a large collection can leave one of its faces registered (Noto Sans
    // CJK: 9 of 10 removed, a second removal takes the tenth). A removal that finds nothing
    // costs about a millisecond, so a single font is removed once, as before.
    size_t removed = 0;
    while (removed < TempFontFaces) {
        const int count = RemoveFontResourceExW(RegisteredAs.c_str(), FR_PRIVATE, nullptr);
        if (count <= 0) break;
        removed += size_t(count);
    }
    // Cleared before pumping, so that a load made by a handler during the pump stands.
    TempFontLoaded = false;
    PumpMessages();
}

void CollectTrueTypeFamilies(std::vector<std::wstring>& list, TFontSource fonts) {
    fonts.Use([&](HDC dc) {
        EnumFontFamiliesWide(dc, std::wstring(), [&](const LOGFONTW& font, DWORD fontType) {
            if (IsOutlineFamily(fontType)) list.push_back(FaceName(font));
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

std::vector<std::wstring> TFamilyBaseline::AddedFamilies(const std::vector<std::wstring>& now) const {
    std::unordered_map<std::wstring, int> unmatched = counts_;
    std::vector<std::wstring> added;
    for (const std::wstring& family : now) {
        if (IsVerticalFace(family)) continue;
        auto known = unmatched.find(family);
        if (known != unmatched.end() && known->second > 0)
            --known->second;
        else if (std::find(added.begin(), added.end(), family) == added.end())
            added.push_back(family);
    }
    return added;
}

std::vector<std::wstring> NameFacesByAddedFamilies(const std::vector<std::wstring>& added,
                                                   const std::vector<std::wstring>& ownNames) {
    // Face names compare as the system compares them, without regard to case.
    const auto same = [](const std::wstring& a, const std::wstring& b) {
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), int(a.size()), b.data(),
                              int(b.size())) == CSTR_EQUAL;
    };
    std::vector<std::wstring> names(ownNames.size());
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

std::wstring FaceNameOfRegisteredFile(const std::wstring& path, TFontSource fonts, const TFamilyBaseline& baseline,
                                      const TOwnFamily* own) {
    // The system lists the file under its own family name: that one family, asked for by name,
    // tells as much as every installed family listed, for a fraction of the cost.
    if (own && !own->name.empty() && ListedRecordsOf(own->name, fonts) > own->listedBefore) return own->name;
    std::vector<std::wstring> families;
    CollectTrueTypeFamilies(families, fonts);
    std::wstring face = baseline.AddedFamily(families);
    // Nothing added: the family is installed already (or was registered meanwhile).
    if (face.empty()) face = ReadFamilyNameFromFile(path);
    return face;
}

std::vector<std::wstring> FaceNamesOfRegisteredFile(const std::wstring& path, TFontSource fonts,
                                                    const TFamilyBaseline& baseline) {
    std::vector<std::wstring> families;
    CollectTrueTypeFamilies(families, fonts);
    std::vector<std::wstring> added = baseline.AddedFamilies(families);
    const std::vector<std::wstring> own = ReadFaceFamilyNamesFromFile(path);
    // The file changed since it was registered: the enumeration is all there is to go by.
    if (own.empty()) return added;
    return NameFacesByAddedFamilies(added, own);
}

namespace {

// Registers `path` around `lookUp(registered)`, which names its faces while it is registered
// (`registered` true) or from the file alone when a handler replaced the registration meanwhile.
template <class Result, class LookUp>
Result LookUpFaceNames(const std::wstring& path, HWND window, const TFamilyBaseline* baseline,
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

std::wstring FontFaceNameOf(const std::wstring& path, HWND window, const TFamilyBaseline* baseline,
                            TRegistrationAfterLookup after) {
    return LookUpFaceNames<std::wstring>(path, window, baseline, after,
                                         [&](bool registered, const TFamilyBaseline& families) {
                                             return registered ? FaceNameOfRegisteredFile(path, window, families)
                                                               : ReadFamilyNameFromFile(path);
                                         });
}

std::vector<std::wstring> FontFaceNamesOf(const std::wstring& path, HWND window, const TFamilyBaseline* baseline,
                                          TRegistrationAfterLookup after) {
    return LookUpFaceNames<std::vector<std::wstring>>(
        path, window, baseline, after, [&](bool registered, const TFamilyBaseline& families) {
            return registered ? FaceNamesOfRegisteredFile(path, window, families) : ReadFaceFamilyNamesFromFile(path);
        });
}
