#pragma once
// Copies of the program with a version resource made to order, for testing readers of it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/test_env.h"

using Bytes = std::vector<BYTE>;

// One node of a VS_VERSIONINFO tree: key, value (UTF-16 text or raw bytes) and children.
struct VersionNode {
    std::string key;
    Bytes value;
    bool isText = false;
    std::vector<VersionNode> children;
};

inline VersionNode Text(const std::string& key, const std::wstring& text) {
    Bytes value(reinterpret_cast<const BYTE*>(text.c_str()),
                reinterpret_cast<const BYTE*>(text.c_str() + text.size() + 1));
    return {key, value, true, {}};
}

inline VersionNode Block(const std::string& key, std::vector<VersionNode> children) {
    return {key, {}, true, std::move(children)};
}

inline VersionNode Translation(const std::vector<std::pair<WORD, WORD>>& pairs) {
    Bytes value;
    for (auto [language, codePage] : pairs) {
        for (WORD w : {language, codePage}) {
            value.push_back(LOBYTE(w));
            value.push_back(HIBYTE(w));
        }
    }
    return {"Translation", value, false, {}};
}

inline VersionNode Binary(const std::string& key, Bytes value) { return {key, std::move(value), false, {}}; }

inline void PadTo4(Bytes& out) {
    while (out.size() % 4) out.push_back(0);
}

inline Bytes Serialize(const VersionNode& node) {
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
inline Bytes VersionResource(std::vector<VersionNode> blocks) {
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    fixed.dwFileVersionMS = fixed.dwProductVersionMS = MAKELONG(0, 4);
    fixed.dwFileOS = VOS__WINDOWS32;
    fixed.dwFileType = VFT_APP;
    const BYTE* raw = reinterpret_cast<const BYTE*>(&fixed);
    return Serialize({"VS_VERSION_INFO", Bytes(raw, raw + sizeof fixed), false, std::move(blocks)});
}

inline VersionNode JapaneseStrings(std::vector<VersionNode> strings) {
    return Block("StringFileInfo", {Block("041103A4", std::move(strings))});
}

inline VersionNode JapaneseTranslation() {
    return Block("VarFileInfo", {Translation({{0x0411, 0x03A4}})});
}

inline std::string ProgramPath() { return BinDir() + "\\sorvane.exe"; }

inline BOOL CALLBACK TakeLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR result) {
    *reinterpret_cast<WORD*>(result) = language;
    return FALSE;
}

inline WORD VersionResourceLanguage(const std::string& path) {
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
inline std::string ProgramCopy(const std::string& folder, const std::optional<Bytes>& resource) {
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
