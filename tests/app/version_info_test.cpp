#include "app/version_info.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "app/version_resource.h"
#include "support/test_env.h"
#include "widgets/exception.h"

namespace {

std::string Read(const std::string& path, int key, std::string start = "unchanged") {
    GetVersionInfoValue(path, key, start);
    return start;
}

}  // namespace

TEST(VersionInfo, ReadsTheProgramsStringTable) {
    struct Case { TVersionInfoKey key; const char* expected; };
    const Case cases[] = {
        {viFileVersion, "4.0.0.0"},      {viProductName, "Sorvane"},
        {viProductVersion, "4.0.0"},     {viCompanyName, "Kestovar"},
        {viLegalCopyright, "(C) Kestovar"},
        // Present but empty: the value becomes empty rather than staying as it was.
        {viComments, ""},                {viFileDescription, ""},
        {viInternalName, ""},            {viLegalTrademarks, ""},
        {viOriginalFilename, ""},
        // Not in the table at all.
        {viPrivateBuild, "unchanged"},   {viSpecialBuild, "unchanged"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(ProgramPath(), c.key), c.expected) << VersionInfoKeyName(c.key);
}

TEST(VersionInfo, OwnExecutableIsReadWithoutAPath) {
    // The test program carries the same resources as the program.
    std::string value;
    GetVersionInfoValue(viProductVersion, value);
    EXPECT_EQ(value, "4.0.0");
}

TEST(VersionInfo, NoVersionResourceLeavesValueUnchanged) {
    std::string copy = ProgramCopy("version_none", std::nullopt);
    EXPECT_EQ(Read(copy, viProductName), "unchanged");
    EXPECT_EQ(Read(copy, viProductVersion, ""), "");
}

TEST(VersionInfo, NoTranslationTableIsAnError) {
    const VersionNode strings = JapaneseStrings({Text("ProductName", L"Sorvane")});
    const std::pair<const char*, Bytes> resources[] = {
        {"no VarFileInfo", VersionResource({strings})},
        {"empty Translation",
         VersionResource({strings, Block("VarFileInfo", {Translation({})})})},
        {"Translation shorter than one entry",
         VersionResource({strings, Block("VarFileInfo", {Binary("Translation", {0x11, 0x04})})})},
    };
    int n = 0;
    for (const auto& [name, resource] : resources) {
        std::string copy = ProgramCopy("version_no_translation" + std::to_string(n++), resource);
        std::string value = "unchanged";
        try {
            GetVersionInfoValue(copy, viProductName, value);
            ADD_FAILURE() << name << ": no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "情報の取得に失敗しました") << name;
        }
        EXPECT_EQ(value, "unchanged") << name;
    }
}

TEST(VersionInfo, MissingKeyOrTableLeavesValueUnchanged) {
    std::string copy = ProgramCopy(
        "version_missing_key",
        VersionResource({JapaneseStrings({Text("FileVersion", L"4.0.0.0")}), JapaneseTranslation()}));
    EXPECT_EQ(Read(copy, viProductName), "unchanged");
    EXPECT_EQ(Read(copy, viFileVersion), "4.0.0.0");

    // The translation names a table that the resource does not have.
    copy = ProgramCopy(
        "version_missing_table",
        VersionResource({JapaneseStrings({Text("ProductName", L"Sorvane")}),
                         Block("VarFileInfo", {Translation({{0x0409, 0x04B0}})})}));
    EXPECT_EQ(Read(copy, viProductName), "unchanged");
}

TEST(VersionInfo, FirstTranslationEntryChoosesTheTable) {
    std::string copy = ProgramCopy(
        "version_two_tables",
        VersionResource({Block("StringFileInfo",
                               {Block("041103A4", {Text("ProductName", L"Japanese")}),
                                Block("040904E4", {Text("ProductName", L"English")})}),
                         Block("VarFileInfo", {Translation({{0x0409, 0x04E4}, {0x0411, 0x03A4}})})}));
    EXPECT_EQ(Read(copy, viProductName), "English");
}

TEST(VersionInfo, JapaneseTextComesInTheSystemCodePage) {
    std::string copy = ProgramCopy(
        "version_japanese",
        VersionResource({JapaneseStrings({Text("ProductName", L"ソフト表示")}), JapaneseTranslation()}));
    EXPECT_EQ(Read(copy, viProductName), "ソフト表示");  // CP932 bytes, with 0x5C trail bytes
}

TEST(VersionInfo, KeyOutsideTheTableIsAnError) {
    for (int key : {-1, VersionInfoKeyCount}) {
        std::string value = "unchanged";
        EXPECT_THROW(GetVersionInfoValue(ProgramPath(), key, value), Exception) << key;
        EXPECT_EQ(value, "unchanged");
    }
}
