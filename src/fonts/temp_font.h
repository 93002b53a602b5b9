#pragma once
#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "fonts/font_enum.h"

// One-at-a-time private registration of a font file, and the rule that turns a font file into
// the face name it can be drawn with. Registration is private to the process.

// The last file given to LoadTempFont (kept after unloading) and whether it is registered now.
// Paths, like the face names read from the files, are UTF-16 from end to end: a name outside
// the code page, through the "A" functions, would name a look-alike file or none.
extern std::wstring TempFontPath;
extern bool TempFontLoaded;

// The form of `path` that font registration is given: the path itself up to MAX_PATH - 1
// characters, a longer one by its short (8.3) form when that fits. The registration functions
// document no long form (Wine takes plain long paths, Windows is not known to), so the program
// keeps to what both take. Empty when no form fits: such a file cannot be registered.
std::wstring FontRegistrationPath(const std::wstring& path);

// Unloads the previous file, then registers `path`. A file that is not a well-formed font is
// never handed to the system and counts as a failed load, as does any result of
// the registration other than a small positive count. The path is remembered either way.
bool LoadTempFont(const std::wstring& path);

// Reads and checks `path` as LoadTempFont would, from any thread, so that a later LoadTempFont
// of the same unchanged file only confirms its size and times. Results are held until that
// load; past kFilesCheckedAhead files not loaded yet, they are all forgotten.
void CheckFontFileAhead(const std::wstring& path);
inline constexpr size_t kFilesCheckedAhead = 256;
// The family name in the own name table of `path`'s single face, as CheckFontFileAhead read it
// and until the file's load; empty for a collection or a file not checked ahead.
std::wstring FamilyCheckedAhead(const std::wstring& path);

// The number of faces of the file registered now (several for a collection), 0 when none is.
size_t TempFontFaceCount();

// Unregisters the remembered file (every face of a collection) if it is registered, then pumps
// messages.
void UnloadTempFont();

// Appends the face name of every TrueType family that `fonts` enumerates, in enumeration order,
// duplicates kept (Wine lists a family once per character set), OpenType families with
// PostScript outlines included.
void CollectTrueTypeFamilies(std::vector<std::wstring>& list, TFontSource fonts);

// The TrueType families known before one of our files is registered, counted by name. They do
// not change while only our one file comes and goes, so a scan captures them once and passes
// them to FontFaceNameOf for every file instead of enumerating twice per file.
class TFamilyBaseline {
public:
    // Unloads the temporary font first, so the snapshot holds no file of ours.
    static TFamilyBaseline Capture(HWND window);
    explicit TFamilyBaseline(const std::vector<std::wstring>& families);

    // The family a registration added to the baseline: a name listed more often in `now` than
    // in the baseline; of several, the one whose surplus entry comes last in `now`. Vertical
    // faces ("@family") never count. Empty when nothing was added.
    std::wstring AddedFamily(const std::vector<std::wstring>& now) const;
    // Every family a registration added (a collection adds several), each once, in the order of
    // their first surplus entries in `now`. Vertical faces never count.
    std::vector<std::wstring> AddedFamilies(const std::vector<std::wstring>& now) const;

private:
    std::unordered_map<std::wstring, int> counts_;
};

// How many entries the system lists under exactly the family name `family` (one for each style
// and character set).
int ListedRecordsOf(const std::wstring& family, TFontSource fonts);

// A single font's own family name, with ListedRecordsOf it before the file was registered.
struct TOwnFamily {
    std::wstring name;
    int listedBefore = 0;
};

// The face name of `path` while it is registered: the family its registration added to
// `baseline`, else the family name in the file's own name table. With `own`, a file the system
// now lists more often under its own name is named by it without listing every family: the
// registration added to that family, or made it.
std::wstring FaceNameOfRegisteredFile(const std::wstring& path, TFontSource fonts, const TFamilyBaseline& baseline,
                                      const TOwnFamily* own = nullptr);

// Names the faces of a registered file, one name per entry of `ownNames` (the faces' family
// names from their own name tables, in the file's order): a face whose own name is one of the
// `added` families (case aside) takes it; the faces left take the added families left, in
// order; a face still without one keeps its own name (its family was installed already).
std::vector<std::wstring> NameFacesByAddedFamilies(const std::vector<std::wstring>& added,
                                                   const std::vector<std::wstring>& ownNames);

// The face names of every face of `path` while it is registered, in the file's order, by
// NameFacesByAddedFamilies; one entry for a single font. Should the file have turned unreadable
// meanwhile, the added families as listed.
std::vector<std::wstring> FaceNamesOfRegisteredFile(const std::wstring& path, TFontSource fonts,
                                                    const TFamilyBaseline& baseline);

enum class TRegistrationAfterLookup { Unload, Keep };

// The face name of the font file `path`: the family its registration adds to the families of
// `window`'s device context; when it adds none (its family is installed already), the family
// name in the file's own name table; empty when the file cannot be registered. With no
// `baseline` the families are enumerated before registering. Pumps messages, registers the
// file around the lookup and leaves nothing registered unless asked to keep it (the scan draws
// the thumbnail right after, and registering twice costs as much as the lookup); never throws.
std::wstring FontFaceNameOf(const std::wstring& path, HWND window, const TFamilyBaseline* baseline = nullptr,
                           TRegistrationAfterLookup after = TRegistrationAfterLookup::Unload);

// The face names of every face of the font file `path`, in the file's order, looked up as
// FontFaceNameOf does; empty when the file cannot be registered.
std::vector<std::wstring> FontFaceNamesOf(const std::wstring& path, HWND window,
                                          const TFamilyBaseline* baseline = nullptr,
                                          TRegistrationAfterLookup after = TRegistrationAfterLookup::Unload);
