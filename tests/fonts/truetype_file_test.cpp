#include "fonts/truetype_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "font_test_support.h"
#include "widgets/path_text.h"

namespace {

constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kJapanese = 0x0411;

uint16_t Get16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) { return uint32_t(Get16(b, at)) << 16 | Get16(b, at + 2); }
void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) { b[at] = uint8_t(v >> 8); b[at + 1] = uint8_t(v); }
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { Put16(b, at, uint16_t(v >> 16)); Put16(b, at + 2, uint16_t(v)); }

// Position of the directory entry of the table `tag`.
size_t DirectoryEntry(const std::vector<uint8_t>& font, const char* tag) {
    for (size_t i = 0; i < Get16(font, 4); ++i) {
        if (std::memcmp(&font[12 + 16 * i], tag, 4) == 0) return 12 + 16 * i;
    }
    ADD_FAILURE() << "no table " << tag;
    return 0;
}
size_t NameTable(const std::vector<uint8_t>& font) { return Get32(font, DirectoryEntry(font, "name") + 8); }
size_t EndOfLastTable(const std::vector<uint8_t>& font) {
    size_t end = 0;
    for (size_t i = 0; i < Get16(font, 4); ++i)
        end = std::max<size_t>(end, Get32(font, 12 + 16 * i + 8) + Get32(font, 12 + 16 * i + 12));
    return end;
}
// Position of the first name record with this name ID.
size_t NameRecord(const std::vector<uint8_t>& font, uint16_t nameId) {
    const size_t table = NameTable(font);
    for (size_t i = 0; i < Get16(font, table + 2); ++i) {
        if (Get16(font, table + 6 + 12 * i + 6) == nameId) return table + 6 + 12 * i;
    }
    ADD_FAILURE() << "no name record " << nameId;
    return 0;
}

// Holds the bytes at the very end of readable memory, so a read past them faults at once.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::vector<uint8_t>& bytes) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const size_t page = info.dwPageSize;
        const size_t dataPages = (bytes.size() + page - 1) / page;
        size_ = (dataPages + 1) * page;
        base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, size_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + dataPages * page, page, PAGE_NOACCESS, &old);
        data_ = base_ + dataPages * page - bytes.size();
        if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
        span_ = TByteSpan(data_, bytes.size());
    }
    ~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    TByteSpan span() const { return span_; }

private:
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    TByteSpan span_;
};

bool WellFormed(const std::vector<uint8_t>& bytes) {
    GuardedBytes guarded(bytes);
    return IsWellFormedTrueTypeData(guarded.span());
}

std::string FamilyName(const std::vector<uint8_t>& bytes, LANGID language) {
    GuardedBytes guarded(bytes);
    return ReadFamilyNameFromData(guarded.span(), language);
}

}  // namespace

TEST(TrueTypeFile, GeneratedFontsAreWellFormedAndNamed) {
    for (const char* file : {"SorvaneTestA.ttf", "SorvaneTestB.ttf", "SorvaneTestA-Bold.ttf", "japanese.ttf"}) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(WellFormed(TestFontBytes(file)));
        EXPECT_TRUE(IsWellFormedTrueType(TestFont(file)));
    }
    EXPECT_EQ(FamilyName(TestFontBytes("SorvaneTestB.ttf"), kEnglish), "SorvaneTestB");
    EXPECT_EQ(FamilyName(TestFontBytes("SorvaneTestA-Bold.ttf"), kEnglish), "SorvaneTestA");
}

TEST(TrueTypeFile, BadFilesOnDiskAreRejected) {
    for (const char* file : {"notafont.ttf", "empty.ttf", "truncated.ttf", "bad-tablecount.ttf", "bad-namerecord.ttf",
                             "does-not-exist.ttf"}) {
        SCOPED_TRACE(file);
        EXPECT_FALSE(IsWellFormedTrueType(TestFont(file)));
        EXPECT_EQ(ReadFamilyNameFromFile(TestFont(file)), L"");
    }
}

TEST(TrueTypeFile, FamilyNamePrefersUserLanguageThenEnglishThenFirst) {
    std::vector<uint8_t> font = TestFontBytes("japanese.ttf");
    EXPECT_EQ(FamilyName(font, kJapanese), "ソルヴァン試験");
    EXPECT_EQ(FamilyName(font, kEnglish), "SorvaneJapaneseTest");
    EXPECT_EQ(FamilyName(font, 0x0407), "SorvaneJapaneseTest");  // German: absent, English instead
    // Without an English record the first Windows family record wins, wherever it stands.
    Put16(font, NameRecord(font, 1) + 4, 0x0412);
    EXPECT_EQ(FamilyName(font, 0x0407), "SorvaneJapaneseTest");
    EXPECT_EQ(FamilyName(font, kJapanese), "ソルヴァン試験");
    // The running process reads with the user's language: Japanese here.
    EXPECT_EQ(ReadFamilyNameFromFile(TestFont("japanese.ttf")), L"ソルヴァン試験");
}

TEST(TrueTypeFile, LongFamilyNameIsCutWithoutSplittingACharacter) {
    const std::vector<uint8_t> font = TestFontBytes("longname.ttf");
    const std::string name = FamilyName(font, kJapanese);
    EXPECT_EQ(name, "SV試験試験試験試験試験試験試験");  // 30 bytes: the 15th kanji would need 32
    EXPECT_EQ(name.size(), 30u);
}

// The same names in UTF-16, cut only at the 31 units a face name of LOGFONTW holds, where the
// system cuts the names it lists: inside a surrogate pair when one straddles the limit.
TEST(TrueTypeFile, WideFamilyNameIsWholeUpTo31Units) {
    struct Case {
        const char* file;
        LANGID language;
        std::wstring name;
    };
    const Case cases[] = {
        {"japanese.ttf", kJapanese, L"ソルヴァン試験"},
        {"japanese.ttf", kEnglish, L"SorvaneJapaneseTest"},
        {"longname.ttf", kJapanese, L"SV試験試験試験試験試験試験試験試験"},       // 34 bytes, 18 units
        {"longname31.ttf", kJapanese, L"SV試験試験試験試験試験試験試験試験試験試験試験試験試験試験試"},
        {"longname-pair.ttf", kJapanese, L"SV" + std::wstring(28, L'試') + L"\xD83C"},  // 32 units
        {"notafont.ttf", kJapanese, L""},
    };
    for (const Case& c : cases) {
        GuardedBytes guarded(TestFontBytes(c.file));
        EXPECT_EQ(ReadWideFamilyNameFromData(guarded.span(), c.language), c.name) << c.file;
        if (c.language == kJapanese) {
            EXPECT_EQ(ReadFamilyNameFromFile(TestFont(c.file)), c.name) << c.file;
        }
    }
}

TEST(TrueTypeFile, TruncateToBytes) {
    struct Case {
        const char* text;
        size_t max;
        const char* expected;
    } cases[] = {
        {"abc", 2, "ab"},         {"abc", 3, "abc"},        {"abc", 10, "abc"},  {"", 3, ""},
        {"ソフト", 5, "ソフ"},    {"ソフト", 4, "ソフ"},    {"aソ", 2, "a"},     {"aソ", 3, "aソ"},
        {"ｱｲｳ", 2, "ｱｲ"},  // half-width kana are single bytes
    };
    for (const Case& c : cases) EXPECT_EQ(TruncateToBytes(c.text, c.max), c.expected) << c.text << " " << c.max;
}

// Every prefix of a font: well-formed exactly when all its tables are still there, and never a
// read past the bytes given (the guard page would fault).
TEST(TrueTypeFile, EveryTruncationIsRejectedWithoutReadingPastTheEnd) {
    const std::vector<uint8_t> font = TestFontBytes("SorvaneTestA.ttf");
    const size_t complete = EndOfLastTable(font);
    ASSERT_LE(complete, font.size());
    for (size_t cut = 0; cut <= font.size(); ++cut) {
        const std::vector<uint8_t> prefix(font.begin(), font.begin() + cut);
        const bool whole = cut >= complete;
        ASSERT_EQ(WellFormed(prefix), whole) << "cut at " << cut;
        ASSERT_EQ(FamilyName(prefix, kEnglish), whole ? "SorvaneTestA" : "") << "cut at " << cut;
    }
}

TEST(TrueTypeFile, HostileStructuresAreRejected) {
    const std::vector<uint8_t> good = TestFontBytes("SorvaneTestA.ttf");
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
    } cases[] = {
        {"OpenType CFF version", [](auto& f) { Put32(f, 0, 0x4F54544F); }},
        {"zero version", [](auto& f) { Put32(f, 0, 0); }},
        {"no tables", [](auto& f) { Put16(f, 4, 0); }},
        {"huge table count", [](auto& f) { Put16(f, 4, 0x7FFF); }},
        {"all-ones table count", [](auto& f) { Put16(f, 4, 0xFFFF); }},
        {"no name table", [](auto& f) { std::memcpy(&f[DirectoryEntry(f, "name")], "nome", 4); }},
        {"table offset past the end", [](auto& f) { Put32(f, DirectoryEntry(f, "glyf") + 8, uint32_t(f.size())); }},
        {"table length past the end", [](auto& f) { Put32(f, DirectoryEntry(f, "post") + 12, uint32_t(f.size())); }},
        {"offset plus length wraps", [](auto& f) {
             Put32(f, DirectoryEntry(f, "head") + 8, 0xFFFFFFF0);
             Put32(f, DirectoryEntry(f, "head") + 12, 0x20);
         }},
        {"name table shorter than its header", [](auto& f) { Put32(f, DirectoryEntry(f, "name") + 12, 4); }},
        {"name format 2", [](auto& f) { Put16(f, NameTable(f), 2); }},
        {"name count past the table", [](auto& f) { Put16(f, NameTable(f) + 2, 0xFFFF); }},
        {"storage offset past the table", [](auto& f) { Put16(f, NameTable(f) + 4, 0xFFFF); }},
        {"record offset past the table", [](auto& f) { Put16(f, NameRecord(f, 1) + 10, 0xF000); }},
        {"record length past the table", [](auto& f) { Put16(f, NameRecord(f, 1) + 8, 0xF000); }},
        {"format 1 with language tags past the table", [](auto& f) {
             Put16(f, NameTable(f), 1);
             Put16(f, NameTable(f) + 6 + 12 * Get16(f, NameTable(f) + 2), 0xFFFF);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> font = good;
        c.damage(font);
        EXPECT_FALSE(WellFormed(font));
        EXPECT_EQ(FamilyName(font, kEnglish), "");
    }
}

TEST(TrueTypeFile, AppleVersionTagIsAccepted) {
    std::vector<uint8_t> font = TestFontBytes("SorvaneTestA.ttf");
    Put32(font, 0, 0x74727565);  // 'true'
    EXPECT_TRUE(WellFormed(font));
}

TEST(TrueTypeFile, FamilyNameStopsAtAZeroCharacter) {
    std::vector<uint8_t> font = TestFontBytes("SorvaneTestA.ttf");
    const size_t record = NameRecord(font, 1);
    const size_t text = NameTable(font) + Get16(font, NameTable(font) + 4) + Get16(font, record + 10);
    Put16(font, text + 2 * 7, 0);  // "Sorvane\0estA"
    EXPECT_EQ(FamilyName(font, kEnglish), "Sorvane");
    Put16(font, text, 0);
    EXPECT_EQ(FamilyName(font, kEnglish), "");
}

// A name table far behind the file's head is read from its own place in the file.
TEST(TrueTypeFile, NameTableBeyondTheHeadOfALargeFile) {
    std::vector<uint8_t> font = TestFontBytes("SorvaneTestA.ttf");
    const size_t entry = DirectoryEntry(font, "name");
    const std::vector<uint8_t> name(font.begin() + Get32(font, entry + 8),
                                    font.begin() + Get32(font, entry + 8) + Get32(font, entry + 12));
    font.resize(200 * 1024, 0);
    Put32(font, entry + 8, uint32_t(font.size()));
    font.insert(font.end(), name.begin(), name.end());

    const std::string dir = FreshTempDir("truetype-large");
    const auto write = [&](const std::string& file, size_t bytes) {
        WriteFileBytes(dir + "\\" + file, std::string(font.begin(), font.begin() + bytes));
        return WideFromAnsi(dir + "\\" + file);
    };
    const std::wstring whole = write("large.ttf", font.size());
    EXPECT_TRUE(IsWellFormedTrueType(whole));
    EXPECT_EQ(ReadFamilyNameFromFile(whole), L"SorvaneTestA");
    const std::wstring cut = write("large-cut.ttf", font.size() - name.size() / 2);
    EXPECT_FALSE(IsWellFormedTrueType(cut));
    EXPECT_EQ(ReadFamilyNameFromFile(cut), L"");
}

namespace {

constexpr uint32_t kCollection1 = 0x00010000;
constexpr uint32_t kCollection2 = 0x00020000;

// A collection of whole single fonts laid one after another from `fonts`, each face's table
// offsets moved to where its font now lies. Version 2 headers carry an empty signature entry.
std::vector<uint8_t> Collection(const std::vector<std::vector<uint8_t>>& fonts, uint32_t version = kCollection1) {
    const size_t header = 12 + 4 * fonts.size() + (version == kCollection2 ? 12 : 0);
    std::vector<uint8_t> out(header, 0);
    std::memcpy(out.data(), "ttcf", 4);
    Put32(out, 4, version);
    Put32(out, 8, uint32_t(fonts.size()));
    for (size_t i = 0; i < fonts.size(); ++i) {
        out.resize((out.size() + 3) & ~size_t(3), 0);
        const uint32_t at = uint32_t(out.size());
        Put32(out, 12 + 4 * i, at);
        out.insert(out.end(), fonts[i].begin(), fonts[i].end());
        for (size_t t = 0; t < Get16(fonts[i], 4); ++t) {
            const size_t offset = at + 12 + 16 * t + 8;
            Put32(out, offset, Get32(out, offset) + at);
        }
    }
    return out;
}

uint32_t FaceAt(const std::vector<uint8_t>& collection, size_t face) { return Get32(collection, 12 + 4 * face); }

// Position of the directory entry of `tag` in the face `face` of a collection.
size_t FaceDirectoryEntry(const std::vector<uint8_t>& collection, size_t face, const char* tag) {
    const size_t at = FaceAt(collection, face);
    for (size_t i = 0; i < Get16(collection, at + 4); ++i) {
        if (std::memcmp(&collection[at + 12 + 16 * i], tag, 4) == 0) return at + 12 + 16 * i;
    }
    ADD_FAILURE() << "no table " << tag << " in face " << face;
    return 0;
}

size_t EndOfLastFaceTable(const std::vector<uint8_t>& collection) {
    size_t end = 0;
    for (size_t face = 0; face < Get32(collection, 8); ++face) {
        const size_t at = FaceAt(collection, face);
        for (size_t i = 0; i < Get16(collection, at + 4); ++i)
            end = std::max<size_t>(end, Get32(collection, at + 12 + 16 * i + 8) + Get32(collection, at + 12 + 16 * i + 12));
    }
    return end;
}

size_t FaceCount(const std::vector<uint8_t>& bytes) {
    GuardedBytes guarded(bytes);
    return FontFaceCount(guarded.span());
}

std::string FaceFamilyName(const std::vector<uint8_t>& bytes, size_t face, LANGID language) {
    GuardedBytes guarded(bytes);
    return ReadFaceFamilyNameFromData(guarded.span(), face, language);
}

}  // namespace

TEST(FontFile, GeneratedFilesHaveTheirFacesInOrder) {
    struct Case {
        const char* file;
        std::vector<std::string> japanese, english;
    } cases[] = {
        {"SorvaneTestA.ttf", {"SorvaneTestA"}, {"SorvaneTestA"}},
        {"japanese.ttf", {"ソルヴァン試験"}, {"SorvaneJapaneseTest"}},
        {"SorvaneOtf.otf", {"SorvaneOtf"}, {"SorvaneOtf"}},
        {"SorvaneCollection.ttc", {"SorvaneTtcA", "ソルヴァン集合"}, {"SorvaneTtcA", "SorvaneTtcJapanese"}},
        {"SorvaneCffCollection.otc", {"SorvaneOtcA", "SorvaneOtcB"}, {"SorvaneOtcA", "SorvaneOtcB"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::vector<uint8_t> bytes = TestFontBytes(c.file);
        EXPECT_TRUE(WellFormed(bytes));
        EXPECT_TRUE(IsWellFormedTrueType(TestFont(c.file)));
        ASSERT_EQ(FaceCount(bytes), c.japanese.size());
        for (size_t face = 0; face < c.japanese.size(); ++face) {
            EXPECT_EQ(FaceFamilyName(bytes, face, kJapanese), c.japanese[face]) << "face " << face;
            EXPECT_EQ(FaceFamilyName(bytes, face, kEnglish), c.english[face]) << "face " << face;
        }
        EXPECT_EQ(FaceFamilyName(bytes, c.japanese.size(), kEnglish), "");
        EXPECT_EQ(FamilyName(bytes, kEnglish), c.english[0]);
        const std::vector<std::wstring> names = ReadFaceFamilyNamesFromFile(TestFont(c.file));
        ASSERT_EQ(names.size(), c.japanese.size());
        for (size_t face = 0; face < names.size(); ++face) EXPECT_EQ(names[face], WideFromAnsi(c.japanese[face]));
        EXPECT_EQ(ReadFamilyNameFromFile(TestFont(c.file)), WideFromAnsi(c.japanese[0]));
    }
}

TEST(FontFile, DamagedOpenTypeFilesOnDiskAreRejected) {
    for (const char* file : {"bad-nocff.otf", "bad-header.ttc", "bad-facecount.ttc", "bad-faceoffset.ttc",
                             "bad-facedirectory.ttc"}) {
        SCOPED_TRACE(file);
        EXPECT_FALSE(IsWellFormedTrueType(TestFont(file)));
        EXPECT_EQ(FaceCount(TestFontBytes(file)), 0u);
        EXPECT_EQ(ReadFaceFamilyNamesFromFile(TestFont(file)), std::vector<std::wstring>{});
        EXPECT_EQ(ReadFamilyNameFromFile(TestFont(file)), L"");
    }
}

TEST(FontFile, EveryTruncationOfACollectionIsRejectedWithoutReadingPastTheEnd) {
    for (const char* file : {"SorvaneCollection.ttc", "SorvaneCffCollection.otc"}) {
        SCOPED_TRACE(file);
        const std::vector<uint8_t> collection = TestFontBytes(file);
        const size_t complete = EndOfLastFaceTable(collection);
        ASSERT_LE(complete, collection.size());
        for (size_t cut = 0; cut <= collection.size(); ++cut) {
            const std::vector<uint8_t> prefix(collection.begin(), collection.begin() + cut);
            ASSERT_EQ(FaceCount(prefix), cut >= complete ? 2u : 0u) << "cut at " << cut;
        }
    }
}

// Collections built here from single fonts, each damaged or stretched to one edge of the check.
TEST(FontFile, CollectionStructures) {
    const std::vector<uint8_t> a = TestFontBytes("SorvaneTestA.ttf");
    const std::vector<uint8_t> b = TestFontBytes("SorvaneTestB.ttf");
    const std::vector<uint8_t> otf = TestFontBytes("SorvaneOtf.otf");
    // The offset table and directory of face 1 copied to the file's end, and face 1 moved there.
    const auto faceOneAtTheEnd = [](std::vector<uint8_t>& f) {
        const size_t at = FaceAt(f, 1);
        const std::vector<uint8_t> table(f.begin() + at, f.begin() + at + 12 + 16 * Get16(f, at + 4));
        Put32(f, 16, uint32_t(f.size()));
        f.insert(f.end(), table.begin(), table.end());
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        std::function<void(std::vector<uint8_t>&)> change;
        size_t faces;
        const char* firstFamily = "SorvaneTestA";
    } cases[] = {
        {"two faces", Collection({a, b}), [](auto&) {}, 2},
        {"one face", Collection({b}), [](auto&) {}, 1, "SorvaneTestB"},
        {"header version 2", Collection({a, b}, kCollection2), [](auto&) {}, 2},
        {"TrueType and PostScript faces mixed", Collection({otf, a}), [](auto&) {}, 2, "SorvaneOtf"},
        {"both faces share one offset table", Collection({a, b}), [](auto& f) { Put32(f, 16, FaceAt(f, 0)); }, 2},
        {"header version 3", Collection({a, b}), [](auto& f) { Put32(f, 4, 0x00030000); }, 0},
        {"header version 1.1", Collection({a, b}), [](auto& f) { Put32(f, 4, 0x00010001); }, 0},
        {"no faces", Collection({a, b}), [](auto& f) { Put32(f, 8, 0); }, 0},
        {"face count whose list wraps around", Collection({a, b}), [](auto& f) { Put32(f, 8, 0x40000001); }, 0},
        {"face count all ones", Collection({a, b}), [](auto& f) { Put32(f, 8, 0xFFFFFFFF); }, 0},
        {"face offset at the end", Collection({a, b}), [](auto& f) { Put32(f, 16, uint32_t(f.size())); }, 0},
        {"face offset wraps", Collection({a, b}), [](auto& f) { Put32(f, 16, 0xFFFFFFFC); }, 0},
        {"offset table ending exactly at the end", Collection({a, b}), faceOneAtTheEnd, 2},
        {"offset table one byte past the end", Collection({a, b}),
         [&](auto& f) {
             faceOneAtTheEnd(f);
             f.pop_back();
         },
         0},
        {"offset table header cut", Collection({a, b}), [](auto& f) { Put32(f, 16, uint32_t(f.size() - 11)); }, 0},
        {"a face's table past the end", Collection({a, b}),
         [](auto& f) { Put32(f, FaceDirectoryEntry(f, 1, "post") + 12, uint32_t(f.size())); }, 0},
        {"a face's table count past the end", Collection({a, b}), [](auto& f) { Put16(f, FaceAt(f, 1) + 4, 0x7FFF); },
         0},
        {"a face without a name table", Collection({a, b}),
         [](auto& f) { std::memcpy(&f[FaceDirectoryEntry(f, 1, "name")], "nome", 4); }, 0},
        {"a face's name record past its table", Collection({a, b}),
         [](auto& f) {
             const size_t name = Get32(f, FaceDirectoryEntry(f, 1, "name") + 8);
             Put16(f, name + 6 + 10, 0xF000);
         },
         0},
        {"a collection inside a collection", Collection({a, b}), [](auto& f) { Put32(f, 16, 0); }, 0},
        {"a PostScript face without CFF", Collection({a, otf}),
         [](auto& f) { std::memcpy(&f[FaceDirectoryEntry(f, 1, "CFF ")], "CFX ", 4); }, 0},
        {"version 2 signature past the end", Collection({a, b}, kCollection2),
         [](auto& f) {
             Put32(f, 20 + 4, 8);
             Put32(f, 20 + 8, uint32_t(f.size() - 4));
         },
         0},
        {"version 2 signature ending at the end", Collection({a, b}, kCollection2),
         [](auto& f) {
             Put32(f, 20 + 4, 8);
             Put32(f, 20 + 8, uint32_t(f.size() - 8));
         },
         2},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.change(c.file);
        EXPECT_EQ(FaceCount(c.file), c.faces);
        EXPECT_EQ(WellFormed(c.file), c.faces > 0);
        EXPECT_EQ(FamilyName(c.file, kEnglish), c.faces > 0 ? c.firstFamily : "")
            << "the first face's name, or none for a damaged file";
    }
}

TEST(FontFile, FaceCountIsBounded) {
    const std::vector<uint8_t> font = TestFontBytes("SorvaneTestC.ttf");
    struct Case {
        size_t faces;
        bool accepted;
    } cases[] = {{254, true}, {255, true}, {256, false}};
    for (const Case& c : cases) {
        const std::vector<uint8_t> collection = Collection(std::vector<std::vector<uint8_t>>(c.faces, font));
        EXPECT_EQ(FaceCount(collection), c.accepted ? c.faces : 0u) << c.faces << " faces";
        EXPECT_EQ(FaceFamilyName(collection, c.faces - 1, kEnglish), c.accepted ? "SorvaneTestC" : "");
    }
}
