#pragma once
#include <string>

// The string-table keys of a version resource, by the index the reader takes.
enum TVersionInfoKey {
    viComments,
    viCompanyName,
    viFileDescription,
    viFileVersion,
    viInternalName,
    viLegalCopyright,
    viLegalTrademarks,
    viOriginalFilename,
    viPrivateBuild,
    viProductName,
    viProductVersion,
    viSpecialBuild,
};

constexpr int VersionInfoKeyCount = viSpecialBuild + 1;

// The key's name in the string table ("Comments" ... "SpecialBuild"). Throws Exception for an
// index outside 0..11.
const char* VersionInfoKeyName(int key);

// Sets `value` to the string of `key` in the string table named by the first translation entry
// of the program's own executable. Leaves `value` unchanged when the file has no version
// resource or the table has no such key; throws Exception("情報の取得に失敗しました") when the
// resource has no translation table.
void GetVersionInfoValue(int key, std::string& value);

// The same for the executable at `path`.
void GetVersionInfoValue(const std::string& path, int key, std::string& value);
