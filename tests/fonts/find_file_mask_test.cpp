#include <gtest/gtest.h>

#include "fonts/find_file.h"
#include "widgets/path_text.h"

TEST(FindFileMask, PatternRule) {
    struct Case {
        const char* text;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"ABC", "A?C", true},     {"ABCD", "A?C", false},  {"AC", "A?C", false},
        {"AZ", "A*Z", true},      {"ABCZ", "A*Z", true},   {"ABCY", "A*Z", false},
        {"ABD", "AB*CD", false},  {"ABXCD", "AB*CD", true},
        // What stands between the first and the last star is ignored: A*B*C is A*C.
        {"AXC", "A*B*C", true},   {"AC", "A*B*C", true},   {"AXB", "A*B*C", false},
        {"ABC", "*C", true},      {"ABC", "*B", false},    {"C", "*?C", false},
        {"ABC", "*", true},       {"", "*", true},         {"", "*A", false},
        {"ABC", "A*", true},      {"", "", true},          {"", "A", false},
        {"A", "", false},         {"AB", "A", false},      {"A", "AB", false},
        // A used-up text matches when the pattern's next character is a star, whatever follows.
        {"A", "A*Z", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesPattern(c.text, c.pattern), c.matches) << "'" << c.text << "' against '" << c.pattern << "'";
}

TEST(FindFileMask, MaskRule) {
    struct Case {
        const char* name;
        const char* mask;
        bool matches;
    } cases[] = {
        {"ARIAL.TTF", "*.TTF", true},  {"A.B.TTF", "*.TTF", true},     {"ARIAL.TTFX", "*.TTF", false},
        {".TTF", "*.TTF", false},      {"FONT.TTF", "*.ttf", true},    {"font.ttf", "*.ttf", true},
        {"font.ttc", "*.ttf", false},  {"README", "*.ttf", false},     {"README", "*", true},
        {"README", "*.*", true},       {"a.txt", "*.*", true},         {".bashrc", "*", false},
        {"x.ttf", "X.T?F", true},      {"noext", "NOEXT", true},       {"a.txt", "a", false},
        {"font.ttf", ".ttf", false},   {"ソフト.ttf", "*.TTF", true},  {"ソフト.ttf", "ソ*.ttf", true},
        // Upper-casing keeps double-byte characters whole: ヂ is 0x83 0x61, ア is 0x83 0x41.
        {"ヂ.TXT", "ア.TXT", false},   {"ヂ.txt", "ヂ.TXT", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << "'" << c.name << "' against '" << c.mask << "'";
}

// Names from the file system: those the code page holds follow the rule above to the byte, the
// others are matched in UTF-16.
TEST(FindFileMask, WideNamesKeepTheByteRuleInsideTheCodePage) {
    struct Case {
        const wchar_t* name;
        const char* mask;
        bool matches;
    } cases[] = {
        {L"Café.ttf", "*.TTF", true},     {L"café.TTF", "CAF?.ttf", true},   {L"Café.ttf", "Cafe.ttf", false},
        {L"한글.ttf", "??.ttf", true},     {L"한글.ttf", "?.ttf", false},
        {L"음표🎵.ttf", "????.ttf", true},  {L"음표🎵.ttf", "???.ttf", false},  // a surrogate pair is two units
        {L"简体字.ttc", "*.ttf", false},   {L".한글", "*", false},           {L"한글", "*.*", true},
        // Inside the code page a double-byte character is two bytes for "?", as it always was.
        {L"ソ.ttf", "?.ttf", false},      {L"ソ.ttf", "??.ttf", true},       {L"ヂ.TXT", "ア.TXT", false},
        {L"ソフト.TTF", "ソ*.ttf", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesMask(std::wstring(c.name), c.mask), c.matches) << c.mask;
    }
    const std::wstring hangul = L"한글.";
    EXPECT_TRUE(MatchesAnyMask(hangul + L"bin", {}));
    EXPECT_TRUE(MatchesAnyMask(hangul + L"ttc", {"*.ttf", "*.ttc"}));
    EXPECT_FALSE(MatchesAnyMask(hangul + L"otf", {"*.ttf", "*.ttc"}));
}

TEST(FindFileMask, MaskListNeedsOneMatchOrNoMasks) {
    EXPECT_TRUE(MatchesAnyMask("anything.bin", {}));
    EXPECT_TRUE(MatchesAnyMask("a.ttc", {"*.ttf", "*.ttc"}));
    EXPECT_FALSE(MatchesAnyMask("a.otf", {"*.ttf", "*.ttc"}));
}

TEST(FindFileMask, UpperCaseKeepsDoubleByteCharacters) {
    EXPECT_EQ(UpperCaseAnsi("abc.Ttf"), "ABC.TTF");
    EXPECT_EQ(UpperCaseAnsi("ヂ表a"), "ヂ表A");
}

TEST(FindFileMask, TrailingBackslashIsDroppedOnlyWhenItIsACharacter) {
    struct Case {
        const char* folder;
        const char* expected;
    } cases[] = {
        {"C:\\", "C:"},      {"C:", "C:"},      {"a\\b\\", "a\\b"}, {"\\", ""},          {"", ""},
        {"ソ", "ソ"},        {"ソ\\", "ソ"},    {"表", "表"},       {"x\\ソフト", "x\\ソフト"},
    };
    for (const Case& c : cases) EXPECT_EQ(RemoveBackslash(c.folder), c.expected) << c.folder;
}

TEST(FindFileMask, DateTimeCountsDaysFrom18991230) {
    struct Case {
        WORD year, month, day, hour, minute, second, ms;
        double expected;
    } cases[] = {
        {1899, 12, 30, 0, 0, 0, 0, 0.0},      {1900, 1, 1, 0, 0, 0, 0, 2.0},
        {2000, 1, 1, 12, 0, 0, 0, 36526.5},   {2024, 2, 29, 6, 0, 0, 0, 45351.25},
        {1899, 12, 29, 6, 0, 0, 0, -1.25},    {2000, 1, 1, 0, 0, 0, 1, 36526.0 + 1 / 86400000.0},
    };
    for (const Case& c : cases) {
        SYSTEMTIME t{c.year, c.month, 0, c.day, c.hour, c.minute, c.second, c.ms};
        EXPECT_DOUBLE_EQ(SystemTimeToDateTime(t), c.expected) << c.year << "-" << c.month << "-" << c.day;
    }
    EXPECT_EQ(FileTimeToLocalDateTime(FILETIME{0, 0}), 0.0);
}

// The folder scan's masks: the four font-file extensions in any letter case, nothing else.
TEST(FindFileMask, FontFileMasksMatchAnyLetterCase) {
    const std::vector<std::string> masks = {"*.ttf", "*.otf", "*.ttc", "*.otc"};
    struct Case {
        const char* name;
        bool matches;
    } cases[] = {
        {"a.ttf", true},        {"A.TTF", true},       {"b.otf", true},      {"B.OTF", true},
        {"c.Ttc", true},        {"C.TTC", true},       {"d.otc", true},      {"D.oTc", true},
        {"ソフト表.OTC", true}, {"x.otf.bak", false},  {"x.otff", false},    {"x.ot", false},
        {"x.tt", false},        {"otf", false},        {".otc", false},      {"x.ttc2", false},
        {"x.fon", false},       {"x.pfb", false},      {"x.otc.", false},    {"x_otf", false},
    };
    for (const Case& c : cases) EXPECT_EQ(MatchesAnyMask(c.name, masks), c.matches) << c.name;
}
