#include "fonts/truetype_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "font_test_support.h"

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
