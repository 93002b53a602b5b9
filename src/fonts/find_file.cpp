#include "fonts/find_file.h"

#include "widgets/application.h"
#include "widgets/directory.h"
#include "widgets/handles.h"
#include "widgets/wide_text.h"

namespace {

constexpr double kMillisecondsPerDay = 86400000.0;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

template <class Text>
struct BaseAndExtension {
    Text base;
    Text extension;
};

// 0x2E is never the trail byte of a double-byte character, so the last '.' byte is a dot.
template <class Text>
BaseAndExtension<Text> SplitAtLastDot(const Text& text) {
    const size_t dot = text.rfind('.');
    if (dot == Text::npos) return {text, {}};
    return {text.substr(0, dot), text.substr(dot + 1)};
}

// The text against a pattern that begins with "*", compared from the back up to the nearest
// star.
template <class Text>
bool MatchesTail(const Text& text, size_t textStart, const Text& pattern, size_t patternStart) {
    size_t t = text.size();
    size_t p = pattern.size();
    while (p > patternStart) {
        const auto wanted = pattern[p - 1];
        if (wanted == '*') return true;
        if (t == textStart) return false;
        if (wanted != '?' && wanted != text[t - 1]) return false;
        --t;
        --p;
    }
    return false;  // not reached: the pattern's first character is a star
}

// The wildcard rule over bytes of the code page or units of UTF-16.
template <class Text>
bool MatchesPatternOf(const Text& text, const Text& pattern) {
    if (!pattern.empty() && pattern[0] == '*') return pattern.size() == 1 || MatchesTail(text, 0, pattern, 0);
    size_t p = 0;
    for (size_t t = 0; t < text.size(); ++t, ++p) {
        if (p == pattern.size()) return false;
        const auto wanted = pattern[p];
        if (wanted == '*') return p + 1 == pattern.size() || MatchesTail(text, t, pattern, p);
        if (wanted != '?' && wanted != text[t]) return false;
    }
    return p == pattern.size() || pattern[p] == '*';
}

// Both already upper-cased.
template <class Text>
bool MatchesUpperMask(const Text& name, const Text& mask) {
    const BaseAndExtension<Text> n = SplitAtLastDot(name);
    const BaseAndExtension<Text> m = SplitAtLastDot(mask);
    if (n.base.empty() || m.base.empty()) return false;
    if (mask.size() == 1 && mask[0] == '*') return true;
    if (mask.size() == 3 && mask[0] == '*' && mask[1] == '.' && mask[2] == '*') return true;
    return MatchesPatternOf(n.base, m.base) && MatchesPatternOf(n.extension, m.extension);
}

template <class Name>
bool MatchesAnyMaskOf(const Name& name, const std::vector<std::string>& masks) {
    if (masks.empty()) return true;
    for (const std::string& mask : masks) {
        if (MatchesMask(name, mask)) return true;
    }
    return false;
}

FILETIME ChosenTime(const WIN32_FIND_DATAW& entry, TTimeKind kind) {
    switch (kind) {
    case tmCreate: return entry.ftCreationTime;
    case tmLastAccess: return entry.ftLastAccessTime;
    case tmLastWrite:
    default: return entry.ftLastWriteTime;
    }
}

TSearchRec SearchRecOf(const WIN32_FIND_DATAW& entry) {
    TSearchRec rec;
    rec.Size = static_cast<int64_t>(entry.nFileSizeHigh) << 32 | entry.nFileSizeLow;
    rec.Attr = entry.dwFileAttributes;
    rec.Name = entry.cFileName;
    rec.FindData = entry;
    return rec;
}

}  // namespace

TFindFile::TFindFile(TComponent* owner) : TComponent(owner), checkedTime_(CurrentLocalDateTime()) {}

TFindFile::~TFindFile() { *alive_ = false; }

void TFindFile::SetFolderName(const std::wstring& value) {
    if (value != folderName_) folderName_ = value;
}

void TFindFile::SetFileMask(const std::vector<std::string>& value) {
    if (value != fileMask_) fileMask_ = value;
}

void TFindFile::SetIsFindSub(bool value) {
    if (value != isFindSub_) isFindSub_ = value;
}

void TFindFile::SetCheckTimeIs(TTimeFunc value) {
    if (value != checkTimeIs_) checkTimeIs_ = value;
}

void TFindFile::SetCheckTimeKind(TTimeKind value) {
    if (value != checkTimeKind_) checkTimeKind_ = value;
}

void TFindFile::SetCheckedTime(TDateTime value) {
    if (value != checkedTime_) checkedTime_ = value;
}

int TFindFile::Execute() {
    if (folderName_.empty()) return -1;
    foundCount_ = 0;
    cancel_ = false;
    const std::shared_ptr<bool> alive = alive_;
    SearchFolder(std::wstring(folderName_));
    return *alive ? foundCount_ : 0;
}

void TFindFile::SearchFolder(const std::wstring& folder) {
    const std::wstring base = RemoveBackslash(folder) + L"\\";
    WIN32_FIND_DATAW entry;
    const std::shared_ptr<bool> alive = alive_;
    // Every kind of entry comes back, directories and hidden or system files included.
    FindHandle search(FindFirstEntry(base + L"*.*", entry, [] { if (Application) Application->ProcessMessages(); }));
    if (!search.valid() || !*alive) return;
    do {
        if (Application) Application->ProcessMessages();
        // The pump may have run a handler that freed this finder: touch no member then.
        if (!*alive || cancel_) return;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // Skips "." and "..", and folders such as ".git" or ".cache" with them.
            if (isFindSub_ && entry.cFileName[0] != L'.') SearchFolder(base + entry.cFileName + L"\\");
            continue;
        }
        if (MatchesAnyMask(std::wstring(entry.cFileName), fileMask_) && PassesFilters(entry)) Report(entry, base);
    } while (FindNextFileW(search.get(), &entry));
}

bool TFindFile::PassesFilters(const WIN32_FIND_DATAW& entry) const {
    if (checkTimeIs_ == tmNone) return true;
    const TDateTime time = FileTimeToLocalDateTime(ChosenTime(entry, checkTimeKind_));
    if (checkTimeIs_ == tmOlder) return time < checkedTime_;
    if (checkTimeIs_ == tmNewer) return time > checkedTime_;
    return false;
}

void TFindFile::Report(const WIN32_FIND_DATAW& entry, const std::wstring& base) {
    ++foundCount_;
    if (!OnFind) return;
    // A copy, so a handler that assigns OnFind does not destroy the function while it runs.
    const TOnFindEvent handler = OnFind;
    handler(entry.cFileName, base, SearchRecOf(entry), cancel_);
}

bool MatchesPattern(const std::string& text, const std::string& pattern) { return MatchesPatternOf(text, pattern); }

bool MatchesMask(const std::string& name, const std::string& mask) {
    return MatchesUpperMask(UpperCaseAnsi(name), UpperCaseAnsi(mask));
}

bool MatchesMask(const std::wstring& name, const std::string& mask) {
    // A name the code page holds matches exactly as it always has.
    const std::string ansi = AnsiFromWide(name);
    if (WideFromAnsi(ansi) == name) return MatchesMask(ansi, mask);
    return MatchesUpperMask(UpperCaseWide(name), UpperCaseWide(WideFromAnsi(mask)));
}

bool MatchesAnyMask(const std::string& name, const std::vector<std::string>& masks) {
    return MatchesAnyMaskOf(name, masks);
}

bool MatchesAnyMask(const std::wstring& name, const std::vector<std::string>& masks) {
    return MatchesAnyMaskOf(name, masks);
}

std::string UpperCaseAnsi(const std::string& text) {
    std::string upper = text;
    if (!upper.empty()) CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& time) {
    const double date = double(DaysFromCivil(time.wYear, time.wMonth, time.wDay) - DaysFromCivil(1899, 12, 30));
    const double timeOfDay =
        (((time.wHour * 60.0 + time.wMinute) * 60.0 + time.wSecond) * 1000.0 + time.wMilliseconds) / kMillisecondsPerDay;
    // Before 1899-12-30 the fraction still counts forward from midnight: -1.25 is 12-29 06:00.
    return date >= 0 ? date + timeOfDay : date - timeOfDay;
}

TDateTime FileTimeToLocalDateTime(const FILETIME& time) {
    if (time.dwLowDateTime == 0 && time.dwHighDateTime == 0) return 0.0;
    FILETIME local;
    SYSTEMTIME calendar;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &calendar)) return 0.0;
    return SystemTimeToDateTime(calendar);
}

TDateTime CurrentLocalDateTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return SystemTimeToDateTime(now);
}
