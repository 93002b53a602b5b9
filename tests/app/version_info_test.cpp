#include "app/version_info.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "support/test_env.h"
#include "widgets/exception.h"

namespace {

using Bytes = std::vector<BYTE>;

// One node of a VS_VERSIONINFO tree: key, value (UTF-16 text or raw bytes) and children.
struct VersionNode {
    std::string key;
    Bytes value;
    bool isText = false;
    std::vector<VersionNode> children;
};

VersionNode Text(const std::string& key, const std::wstring& text) {
    Bytes value(reinterpret_cast<const BYTE*>(text.c_str()),
                reinterpret_cast<const BYTE*>(text.c_str() + text.size() + 1));
    return {key, value, true, {}};
}

VersionNode Block(const std::string& key, std::vector<VersionNode> children) {
    return {key, {}, true, std::move(children)};
}

VersionNode Translation(const std::vector<std::pair<WORD, WORD>>& pairs) {
    Bytes value;
    for (auto [language, codePage] : pairs) {
        for (WORD w : {language, codePage}) {
            value.push_back(LOBYTE(w));
            value.push_back(HIBYTE(w));
        }
    }
    return {"Translation", value, false, {}};
}

VersionNode Binary(const std::string& key, Bytes value) { return {key, std::move(value), false, {}}; }

void PadTo4(Bytes& out) {
    while (out.size() % 4) out.push_back(0);
}

Bytes Serialize(const VersionNode& node) {
    Bytes out(6);  // wLength, wValueLength, wType: filled in at the end
    for (char c : node.key) {
        out.push_back(static_cast<BYTE>(c));
        out.push_back(0);
    }
    out.insert(out.end(), {0, 0});
    PadTo4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const VersionNode& child : node.children) {
        PadTo4(out);
        Bytes bytes = Serialize(child);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    WORD header[3] = {static_cast<WORD>(out.size()),
                      static_cast<WORD>(node.isText ? node.value.size() / 2 : node.value.size()),
                      static_cast<WORD>(node.isText ? 1 : 0)};
    std::memcpy(out.data(), header, sizeof header);
    return out;
}

// A whole version resource: the fixed part for 4.0.0.0 followed by the given blocks.
Bytes VersionResource(std::vector<VersionNode> blocks) {
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    fixed.dwFileVersionMS = fixed.dwProductVersionMS = MAKELONG(0, 4);
    fixed.dwFileOS = VOS__WINDOWS32;
    fixed.dwFileType = VFT_APP;
    const BYTE* raw = reinterpret_cast<const BYTE*>(&fixed);
    return Serialize({"VS_VERSION_INFO", Bytes(raw, raw + sizeof fixed), false, std::move(blocks)});
}

VersionNode JapaneseStrings(std::vector<VersionNode> strings) {
    return Block("StringFileInfo", {Block("041103A4", std::move(strings))});
}

VersionNode JapaneseTranslation() {
    return Block("VarFileInfo", {Translation({{0x0411, 0x03A4}})});
}

std::string ProgramPath() { return BinDir() + "\\sorvane.exe"; }

BOOL CALLBACK TakeLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR result) {
    *reinterpret_cast<WORD*>(result) = language;
    return FALSE;
}

WORD VersionResourceLanguage(const std::string& path) {
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) ADD_FAILURE() << "cannot load " << path;
    WORD language = 0;
    EnumResourceLanguagesA(module, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(VS_VERSION_INFO),
                           TakeLanguage, reinterpret_cast<LONG_PTR>(&language));
    FreeLibrary(module);
    return language;
}

// A copy of the program in a fresh folder with its version resource replaced by `resource`.
// Without one, the copy keeps no resources at all: Wine's UpdateResourceA ignores the request to
// delete a single resource (null data), so the copy is written with every resource dropped.
std::string ProgramCopy(const std::string& folder, const std::optional<Bytes>& resource) {
    std::string copy = FreshTempDir(folder) + "\\sorvane.exe";
    EXPECT_TRUE(CopyFileA(ProgramPath().c_str(), copy.c_str(), FALSE));
    WORD language = VersionResourceLanguage(copy);
    HANDLE update = BeginUpdateResourceA(copy.c_str(), !resource);
    EXPECT_TRUE(update != nullptr);
    if (resource) {
        EXPECT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(VS_VERSION_INFO),
                                    language, const_cast<BYTE*>(resource->data()),
                                    static_cast<DWORD>(resource->size())));
    }
    EXPECT_TRUE(EndUpdateResourceA(update, FALSE));
    return copy;
}

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
