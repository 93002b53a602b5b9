#include "fonts/temp_font.h"

#include <gtest/gtest.h>

#include "font_test_support.h"

namespace {

const char* const kBadFiles[] = {"notafont.ttf", "empty.ttf", "truncated.ttf", "bad-tablecount.ttf",
                                 "bad-namerecord.ttf", "missing.ttf"};

// Leaves nothing of ours registered between tests.
class TempFont : public ::testing::Test {
protected:
    void TearDown() override {
        UnloadTempFont();
        TempFontPath.clear();
    }
};

}  // namespace

TEST_F(TempFont, LoadingBUnloadsA) {
    ASSERT_TRUE(LoadTempFont(TestFont("SorvaneTestA.ttf")));
    EXPECT_TRUE(FamilyListed("SorvaneTestA"));
    ASSERT_TRUE(LoadTempFont(TestFont("SorvaneTestB.ttf")));
    EXPECT_FALSE(FamilyListed("SorvaneTestA"));
    EXPECT_TRUE(FamilyListed("SorvaneTestB"));
    EXPECT_EQ(TempFontPath, TestFont("SorvaneTestB.ttf"));
    EXPECT_TRUE(TempFontLoaded);

    UnloadTempFont();
    EXPECT_FALSE(FamilyListed("SorvaneTestB"));
    EXPECT_FALSE(TempFontLoaded);
    EXPECT_EQ(TempFontPath, TestFont("SorvaneTestB.ttf"));  // remembered after unloading
    UnloadTempFont();                                        // a second unload does nothing
    EXPECT_FALSE(TempFontLoaded);
}

// Malformed files must never reach AddFontResourceA: under Wine they fault inside it and hang
// the process's next font call, which the good loads afterwards would reveal.
TEST_F(TempFont, BadFilesFailToLoadAndGoodOnesStillLoadAfterThem) {
    for (const char* file : kBadFiles) {
        SCOPED_TRACE(file);
        ASSERT_TRUE(LoadTempFont(TestFont("SorvaneTestA.ttf")));
        EXPECT_FALSE(LoadTempFont(TestFont(file)));
        EXPECT_FALSE(TempFontLoaded);
        EXPECT_EQ(TempFontPath, TestFont(file));
        EXPECT_FALSE(FamilyListed("SorvaneTestA")) << "the previous file is unloaded even when the load fails";
        EXPECT_EQ(FontFaceNameOf(TestFont(file), nullptr), L"");
    }
    EXPECT_FALSE(FamilyListed("SorvaneBroken"));
    EXPECT_EQ(FontFaceNameOf(TestFont("SorvaneTestB.ttf"), nullptr), L"SorvaneTestB");
    EXPECT_EQ(FontFaceNameOf(TestFont("SorvaneTestC.ttf"), nullptr), L"SorvaneTestC");
}

// A command handled while UnloadTempFont pumps (a preview, say) may load another file: that
// registration must stand, and a load that was waiting must unload it again.
TEST_F(TempFont, LoadsMadeWhileUnloadingPumpsAreKeptTrackOf) {
    ASSERT_TRUE(LoadTempFont(TestFont("SorvaneTestA.ttf")));
    PostCall([] { LoadTempFont(TestFont("SorvaneTestB.ttf")); });
    UnloadTempFont();
    PumpFor(10);
    EXPECT_TRUE(TempFontLoaded);
    EXPECT_EQ(TempFontPath, TestFont("SorvaneTestB.ttf"));
    EXPECT_TRUE(FamilyListed("SorvaneTestB"));

    PostCall([] { LoadTempFont(TestFont("SorvaneTestC.ttf")); });
    ASSERT_TRUE(LoadTempFont(TestFont("SorvaneTestD.ttf")));
    EXPECT_FALSE(FamilyListed("SorvaneTestB"));
    EXPECT_FALSE(FamilyListed("SorvaneTestC"));
    EXPECT_TRUE(FamilyListed("SorvaneTestD"));
}

namespace {

void WriteFontFile(const std::string& path, const std::string& bytes, WORD year) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    SYSTEMTIME t{year, 1, 0, 1, 0, 0, 0, 0};
    FILETIME when;
    SystemTimeToFileTime(&t, &when);
    SetFileTime(h, nullptr, nullptr, &when);
    CloseHandle(h);
}

}  // namespace

// The check of a file is remembered for the scan's second registration, but not past a change.
TEST_F(TempFont, AFileThatTurnsMalformedIsCheckedAgain) {
    const std::string path = FreshTempDir("temp-font-changed") + "\\changing.ttf";
    std::string bytes = ReadFileBytes(TestFontDir() + "\\SorvaneTestF.ttf");
    const auto write = [&](WORD year) { WriteFontFile(path, bytes, year); };
    write(2020);
    ASSERT_TRUE(LoadTempFont(WideFromAnsi(path)));
    UnloadTempFont();
    ASSERT_TRUE(LoadTempFont(WideFromAnsi(path)));
    UnloadTempFont();
    bytes[4] = 0x7F;  // the same size, but a table count of 0x7F..: far past the file's end
    write(2021);
    EXPECT_FALSE(LoadTempFont(WideFromAnsi(path)));
    EXPECT_EQ(FontFaceNameOf(TestFont("SorvaneTestG.ttf"), nullptr), L"SorvaneTestG");
}

// The vetting helper checks files on a second thread ahead of their loads: a load trusts such a
// check only for the very bytes it read.
TEST_F(TempFont, AFileCheckedAheadIsCheckedAgainWhenItChangedBeforeItsLoad) {
    const std::string path = FreshTempDir("temp-font-ahead") + "\\ahead.ttf";
    const std::string good = ReadFileBytes(TestFontDir() + "\\SorvaneTestF.ttf");
    std::string bad = good;
    bad[4] = 0x7F;  // the same size, a table count far past the file's end
    const struct {
        const char* name;
        const std::string& checked;
        const std::string& loaded;
        bool loads;
    } cases[] = {
        {"unchanged", good, good, true},
        {"turned malformed", good, bad, false},
        {"repaired", bad, good, true},
        {"malformed throughout", bad, bad, false},
    };
    WORD year = 2000;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFontFile(path, c.checked, year++);
        CheckFontFileAhead(WideFromAnsi(path));
        if (&c.loaded != &c.checked) WriteFontFile(path, c.loaded, year++);
        EXPECT_EQ(LoadTempFont(WideFromAnsi(path)), c.loads);
        UnloadTempFont();
    }
}

TEST(FamilyBaseline, AddedFamilyIsTheSurplusEntryListedLast) {
    struct Case {
        std::vector<std::wstring> before, now;
        std::wstring added;
    } cases[] = {
        {{L"X", L"Y", L"@Y"}, {L"X", L"NEW", L"Y", L"@Y"}, L"NEW"},  // added in the middle, not last
        {{L"X", L"Y"}, {L"X", L"Y"}, L""},
        {{L"X", L"Y"}, {L"X", L"P", L"Y", L"Q"}, L"Q"},
        {{L"X", L"Y"}, {L"X", L"X", L"Y"}, L"X"},  // one more listing of an installed family
        {{L"X", L"X"}, {L"X"}, L""},
        {{}, {L"J", L"J"}, L"J"},                  // Wine lists a family once per character set
        {{L"X"}, {}, L""},
        {{L"X", L"@X"}, {L"X", L"J", L"J", L"@X", L"@J"}, L"J"},  // vertical faces come last
        {{L"X"}, {L"X", L"@X"}, L""},
        // Look-alike names are different families.
        {{L"Cafe", L"@Cafe"}, {L"Cafe", L"Café", L"@Cafe"}, L"Café"},
    };
    for (const Case& c : cases) EXPECT_EQ(TFamilyBaseline(c.before).AddedFamily(c.now), c.added);
}

TEST_F(TempFont, FaceNameIsTheFamilyTheFileAdds) {
    struct Case {
        const char* file;
        const wchar_t* face;
    } cases[] = {
        {"SorvaneTestA.ttf", L"SorvaneTestA"},
        {"SorvaneTestB.ttf", L"SorvaneTestB"},
        {"japanese.ttf", L"ソルヴァン試験"},  // enumerated under the user language's name
        {"notafont.ttf", L""},
        {"SorvaneTestC.ttf", L"SorvaneTestC"},
        // Longer than the 31 bytes of the code page's face name: listed whole.
        {"longname.ttf", L"SV試験試験試験試験試験試験試験試験"},
        {"longname31.ttf", L"SV試験試験試験試験試験試験試験試験試験試験試験試験試験試験試"},
        // 32 units: cut as the system cuts the names it lists, inside the last character.
        {"longname-pair.ttf", L"SV試試試試試試試試試試試試試試試試試試試試試試試試試試試試\xD83C"},
    };
    const TFamilyBaseline baseline = TFamilyBaseline::Capture(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(FontFaceNameOf(TestFont(c.file), nullptr, &baseline), c.face);
        EXPECT_EQ(FontFaceNameOf(TestFont(c.file), nullptr), c.face);
        EXPECT_FALSE(TempFontLoaded);
        if (*c.face) {
            EXPECT_FALSE(FamilyListed(c.face)) << "unregistered after the lookup";
        }
    }
}

TEST_F(TempFont, FaceNameOfAFamilyAlreadyInstalledComesFromTheFile) {
    // SorvaneTestA stands in for an installed family; its Bold file adds no new family.
    ASSERT_GT(AddFontResourceExW(TestFont("SorvaneTestA.ttf").c_str(), FR_PRIVATE, nullptr), 0);
    const TFamilyBaseline baseline = TFamilyBaseline::Capture(nullptr);
    EXPECT_EQ(FontFaceNameOf(TestFont("SorvaneTestA-Bold.ttf"), nullptr, &baseline), L"SorvaneTestA");
    EXPECT_EQ(FontFaceNameOf(TestFont("SorvaneTestA-Bold.ttf"), nullptr), L"SorvaneTestA");
    EXPECT_EQ(FontFaceNameOf(TestFont("SorvaneTestB.ttf"), nullptr, &baseline), L"SorvaneTestB");
    EXPECT_TRUE(FamilyListed("SorvaneTestA"));  // the installed one stays
    RemoveFontResourceExW(TestFont("SorvaneTestA.ttf").c_str(), FR_PRIVATE, nullptr);
}

// Named by the family its file's own name table gives, a file must get the name the listing of
// every family gives: with the name read ahead, which must be the one the system lists, and
// with names the registration does not add to, where the listing must decide.
TEST_F(TempFont, AFileNamedByItsOwnFamilyGetsTheNameTheFullListingGives) {
    // SorvaneTestA stands in for an installed family.
    ASSERT_GT(AddFontResourceExW(TestFont("SorvaneTestA.ttf").c_str(), FR_PRIVATE, nullptr), 0);
    const TFamilyBaseline baseline = TFamilyBaseline::Capture(nullptr);
    struct Case {
        const char* file;
        const wchar_t* own;  // nullptr: as read ahead
    } cases[] = {
        {"SorvaneTestB.ttf", nullptr},
        {"japanese.ttf", nullptr},            // listed under the user language's name
        {"longname-pair.ttf", nullptr},       // listed cut inside its last character
        {"SorvaneTestA-Bold.ttf", nullptr},   // a style added to an installed family
        {"SorvaneTestC.ttf", L"SorvaneTestA"},  // an installed family the file does not add to
        {"SorvaneTestC.ttf", L"SorvaneTestZ"},  // a family nobody lists
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::wstring path = TestFont(c.file);
        CheckFontFileAhead(path);
        TOwnFamily own{c.own ? c.own : FamilyCheckedAhead(path)};
        own.listedBefore = ListedRecordsOf(own.name, nullptr);
        ASSERT_TRUE(LoadTempFont(path));
        const std::wstring listed = FaceNameOfRegisteredFile(path, nullptr, baseline);
        // A name read ahead is the listed one, and the registration lists more under it: the
        // short way answers. The other names must leave the answer to the listing.
        if (!c.own) {
            EXPECT_EQ(own.name, listed);
        }
        EXPECT_EQ(ListedRecordsOf(own.name, nullptr) > own.listedBefore, c.own == nullptr);
        EXPECT_EQ(FaceNameOfRegisteredFile(path, nullptr, baseline, &own), listed);
        UnloadTempFont();
    }
    RemoveFontResourceExW(TestFont("SorvaneTestA.ttf").c_str(), FR_PRIVATE, nullptr);
}

TEST_F(TempFont, FaceNameLookupUnloadsWhatWasLoadedBefore) {
    ASSERT_TRUE(LoadTempFont(TestFont("SorvaneTestD.ttf")));
    const TFamilyBaseline baseline = TFamilyBaseline::Capture(nullptr);
    EXPECT_FALSE(TempFontLoaded);
    EXPECT_EQ(FontFaceNameOf(TestFont("SorvaneTestE.ttf"), nullptr, &baseline), L"SorvaneTestE");
    EXPECT_FALSE(FamilyListed("SorvaneTestD"));
    EXPECT_FALSE(FamilyListed("SorvaneTestE"));
}

std::vector<std::wstring> Wide(const std::vector<std::string>& names) {
    std::vector<std::wstring> wide;
    for (const std::string& name : names) wide.push_back(WideFromAnsi(name));
    return wide;
}

TEST(FamilyBaseline, AddedFamiliesAreEverySurplusNameOnce) {
    struct Case {
        std::vector<std::string> before, now, added;
    } cases[] = {
        {{"X", "Y", "@Y"}, {"X", "NEW", "Y", "@Y"}, {"NEW"}},
        {{"X", "Y"}, {"X", "P", "Y", "Q"}, {"P", "Q"}},
        {{"A", "B"}, {"B", "C", "A", "D", "C"}, {"C", "D"}},  // first surplus entries decide the order
        {{}, {"J", "K", "J", "K", "@J", "@J"}, {"J", "K"}},    // once per character set, named once
        {{"X"}, {"X", "X", "X"}, {"X"}},
        {{"X", "X"}, {"X"}, {}},
        {{"X", "@N"}, {"@N", "@N", "X"}, {}},
        {{}, {}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(TFamilyBaseline(Wide(c.before)).AddedFamilies(Wide(c.now)), Wide(c.added));
}

TEST(FamilyBaseline, FacesAreNamedByTheFamiliesTheirFileAdded) {
    struct Case {
        const char* what;
        std::vector<std::string> added, own, named;
    } cases[] = {
        {"the file's order, not the enumeration's", {"B", "ソルヴァン集合", "A"}, {"A", "ソルヴァン集合", "B"},
         {"A", "ソルヴァン集合", "B"}},
        {"two styles of one family", {"A"}, {"A", "A"}, {"A", "A"}},
        {"a family installed already keeps the file's name", {"B"}, {"A", "B"}, {"A", "B"}},
        {"the system's spelling wins over the file's case", {"sorvane"}, {"SORVANE"}, {"sorvane"}},
        {"a face listed under another name", {"Q"}, {"P"}, {"Q"}},
        {"unclaimed families go to unnamed faces in order", {"Q", "A", "R"}, {"X", "A", "Y", "Z"},
         {"Q", "A", "R", "Z"}},
        {"a face without a family name", {"A", "B"}, {"", "B"}, {"A", "B"}},
        {"nothing added", {}, {"A", "B"}, {"A", "B"}},
        {"no faces", {"A"}, {}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(NameFacesByAddedFamilies(Wide(c.added), Wide(c.own)), Wide(c.named)) << c.what;
}

// Each file is a copy in a fresh folder, so that deleting it shows nothing holds it any more.
TEST_F(TempFont, EveryFaceOfAFileIsNamedInTheFilesOrder) {
    struct Case {
        const char* file;
        std::vector<std::string> faces;
    } cases[] = {
        {"SorvaneOtf.otf", {"SorvaneOtf"}},
        {"SorvaneCollection.ttc", {"SorvaneTtcA", "ソルヴァン集合"}},
        {"SorvaneCffCollection.otc", {"SorvaneOtcA", "SorvaneOtcB"}},
        {"SorvaneTestB.ttf", {"SorvaneTestB"}},
        {"bad-nocff.otf", {}},
        {"bad-header.ttc", {}},
        {"bad-facecount.ttc", {}},
        {"bad-faceoffset.ttc", {}},
        {"bad-facedirectory.ttc", {}},
    };
    const std::string dir = FreshTempDir("temp-font-faces");
    const TFamilyBaseline baseline = TFamilyBaseline::Capture(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::wstring path = WideFromAnsi(dir + "\\" + c.file);
        ASSERT_TRUE(CopyFileW(TestFont(c.file).c_str(), path.c_str(), FALSE));
        EXPECT_EQ(FontFaceNamesOf(path, nullptr, &baseline), Wide(c.faces));
        EXPECT_EQ(FontFaceNamesOf(path, nullptr), Wide(c.faces));
        EXPECT_FALSE(TempFontLoaded);
        for (const std::string& face : c.faces) EXPECT_FALSE(FamilyListed(face)) << face << " unregistered";
        EXPECT_TRUE(DeleteFileW(path.c_str()));
    }
}

TEST_F(TempFont, ACollectionRegistersAllItsFaces) {
    ASSERT_EQ(FontFaceNamesOf(TestFont("SorvaneCollection.ttc"), nullptr, nullptr, TRegistrationAfterLookup::Keep),
              Wide({"SorvaneTtcA", "ソルヴァン集合"}));
    EXPECT_TRUE(TempFontLoaded);
    EXPECT_TRUE(FamilyListed("SorvaneTtcA"));
    EXPECT_TRUE(FamilyListed("ソルヴァン集合"));
    // PostScript outlines: listed among the families a registration adds, like TrueType ones.
    ASSERT_TRUE(LoadTempFont(TestFont("SorvaneCffCollection.otc")));
    EXPECT_FALSE(FamilyListed("SorvaneTtcA"));
    EXPECT_FALSE(FamilyListed("ソルヴァン集合"));
    EXPECT_TRUE(FamilyListed("SorvaneOtcA"));
    EXPECT_TRUE(FamilyListed("SorvaneOtcB"));
    ASSERT_TRUE(LoadTempFont(TestFont("SorvaneOtf.otf")));
    EXPECT_FALSE(FamilyListed("SorvaneOtcA"));
    EXPECT_TRUE(FamilyListed("SorvaneOtf"));
}

// Wine's first removal of this file reports six of its seven faces and leaves SorvaneKorean4.
TEST_F(TempFont, UnloadingACollectionRemovesEveryFace) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(LoadTempFont(TestFont("SorvaneKorean.ttc")));
        for (int face = 0; face < 7; ++face) EXPECT_TRUE(FamilyListed("SorvaneKorean" + std::to_string(face)));
        UnloadTempFont();
        for (int face = 0; face < 7; ++face) EXPECT_FALSE(FamilyListed("SorvaneKorean" + std::to_string(face)));
    }
}
