#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "widgets/component.h"

// Date-time as days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

enum TTimeFunc : uint8_t { tmNone, tmOlder, tmNewer };
enum TTimeKind : uint8_t { tmCreate, tmLastWrite, tmLastAccess };

// One directory entry as the search returned it. Names and paths are the file system's own, in
// UTF-16: through the "A" functions a name outside the code page comes back as a look-alike or
// with "?", which names another file or none.
struct TSearchRec {
    int64_t Size = 0;
    DWORD Attr = 0;
    std::wstring Name;
    WIN32_FIND_DATAW FindData{};
};

using TOnFindEvent = std::function<void(const std::wstring& FileName, const std::wstring& Path,
                                        const TSearchRec& Search, bool& Cancel)>;

// Walks a folder (and, if asked, its subfolders, depth first) and reports every file that
// passes the name masks and the date filter through OnFind. Pumps messages before every
// directory entry, so the user interface stays live and can cancel through the next report.
class TFindFile : public TComponent {
public:
    explicit TFindFile(TComponent* owner);
    ~TFindFile() override;

    // Searches from FolderName; returns the number of files reported, or -1 when FolderName
    // is empty. A folder that cannot be read reports nothing.
    int Execute();

    const std::wstring& FolderName() const { return folderName_; }
    void SetFolderName(const std::wstring& value);
    // Name masks such as "*.ttf"; empty means every file.
    const std::vector<std::string>& FileMask() const { return fileMask_; }
    void SetFileMask(const std::vector<std::string>& value);
    bool IsFindSub() const { return isFindSub_; }
    void SetIsFindSub(bool value);
    TTimeFunc CheckTimeIs() const { return checkTimeIs_; }
    void SetCheckTimeIs(TTimeFunc value);
    TTimeKind CheckTimeKind() const { return checkTimeKind_; }
    void SetCheckTimeKind(TTimeKind value);
    TDateTime CheckedTime() const { return checkedTime_; }
    void SetCheckedTime(TDateTime value);

    int FoundCount() const { return foundCount_; }
    // The cancel answer of the last report; kept after a run, cleared by the next Execute.
    bool Cancelled() const { return cancel_; }

    TOnFindEvent OnFind;

private:
    void SearchFolder(const std::wstring& folder);
    bool PassesFilters(const WIN32_FIND_DATAW& entry) const;
    void Report(const WIN32_FIND_DATAW& entry, const std::wstring& base);

    std::wstring folderName_ = L"C:\\";
    std::vector<std::string> fileMask_;
    TDateTime checkedTime_;
    bool isFindSub_ = true;
    bool cancel_ = false;
    TTimeFunc checkTimeIs_ = tmNone;
    TTimeKind checkTimeKind_ = tmLastWrite;
    int foundCount_ = 0;
    // Cleared by the destructor: a handler run by the message pump may free the finder.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Whether `name` matches one mask: both upper-cased (double-byte characters kept) and split at
// their last dot; an empty base on either side never matches; "*" and "*.*" match anything
// else; otherwise bases and extensions are compared by MatchesPattern.
bool MatchesMask(const std::string& name, const std::string& mask);
// The same for a file system's name: a name the code page holds exactly is matched as above, its
// double-byte characters counting two for "?"; any other name in UTF-16, where "?" is one unit.
bool MatchesMask(const std::wstring& name, const std::string& mask);
// True when `name` matches at least one of `masks`, or when there are none.
bool MatchesAnyMask(const std::string& name, const std::vector<std::string>& masks);
bool MatchesAnyMask(const std::wstring& name, const std::vector<std::string>& masks);
// The wildcard rule: "?" is any one byte; text before the first "*" is checked from the front,
// text after the last "*" from the back, and what lies between the stars is ignored.
bool MatchesPattern(const std::string& text, const std::string& pattern);

// Locale-aware upper-casing in the ANSI code page; double-byte characters stay intact.
std::string UpperCaseAnsi(const std::string& text);

TDateTime SystemTimeToDateTime(const SYSTEMTIME& time);
// A file time as local date-time; a zero file time is 0.0 (1899-12-30 00:00).
TDateTime FileTimeToLocalDateTime(const FILETIME& time);
TDateTime CurrentLocalDateTime();
