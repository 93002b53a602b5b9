#include "fonts/font_vetting.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>

#include "widgets/directory.h"
#include "widgets/graphics.h"

#include "font_test_support.h"
#include "support/test_env.h"

// The helper is this test program started with the helper switch; files whose names hold
// "helper-faults" or "helper-hangs" make it fault or hang (see the test main).

namespace {

TFontDrawing Thumbnail(const std::wstring& path) { return TFontDrawing{path, L"", "", 30}; }
TFontDrawing Thumbnail(const std::string& path) { return Thumbnail(WideFromAnsi(path)); }

bool ProcessEnded(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return true;
    const bool ended = WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

void KillProcess(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(process, nullptr);
    TerminateProcess(process, 9);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

std::string CopyOfGoodFont(const std::string& dir, const std::string& name) {
    const std::string path = dir + "\\" + name;
    CopyFileW(TestFont("SorvaneTestC.ttf").c_str(), WideFromAnsi(path).c_str(), FALSE);
    return path;
}

}  // namespace

TEST(FontVetting, FaultingHangingAndUnregistrableFilesAreCondemnedAndTheHelperComesBackForTheRest) {
    const std::string dir = FreshTempDir("vetting-verdicts");
    struct Case {
        std::wstring path;
        TFontVerdict verdict;
    };
    const std::vector<Case> cases = {
        {TestFont("SorvaneTestA.ttf"), TFontVerdict::Safe},
        {TestFont("notafont.ttf"), TFontVerdict::Unsafe},
        {WideFromAnsi(CopyOfGoodFont(dir, "helper-faults.ttf")), TFontVerdict::Unsafe},
        {TestFont("SorvaneTestB.ttf"), TFontVerdict::Safe},
        {WideFromAnsi(CopyOfGoodFont(dir, "helper-hangs.ttf")), TFontVerdict::Unsafe},
        {TestFont("japanese.ttf"), TFontVerdict::Safe},
    };
    int pumps = 0;
    TFontVetter vetter([&] { ++pumps; });
    // All asked ahead, as a scan does: a helper lost on one file must not cost the others.
    for (const Case& c : cases) vetter.Prefetch(Thumbnail(c.path));
    const DWORD start = GetTickCount();
    for (const Case& c : cases) EXPECT_EQ(vetter.Vet(Thumbnail(c.path)), c.verdict) << c.path;
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, TFontVetter::kAnswerTimeoutMs);  // the hang was waited out, once
    EXPECT_GT(pumps, 0);                                 // and the caller's window kept answering

    // A drawing of another text is a question of its own; the same one is answered from memory.
    EXPECT_EQ(vetter.Vet(TFontDrawing{TestFont("SorvaneTestA.ttf"), L"SorvaneTestA", "abc", 90}), TFontVerdict::Safe);
    const DWORD pid = vetter.HelperProcessId();
    ASSERT_NE(pid, 0u);
    vetter.StopHelpers();
    EXPECT_EQ(vetter.HelperProcessId(), 0u);
    EXPECT_TRUE(ProcessEnded(pid));
    // Every file can be deleted at once: nothing of the helper holds one.
    EXPECT_TRUE(DeleteFileA((dir + "\\helper-faults.ttf").c_str()));
    EXPECT_TRUE(DeleteFileA((dir + "\\helper-hangs.ttf").c_str()));
}

TEST(FontVetting, AHelperKilledFromOutsideCostsNoFileItsVerdict) {
    std::vector<std::wstring> files;
    for (const char* font : {"SorvaneTestA", "SorvaneTestB", "SorvaneTestC", "SorvaneTestD", "SorvaneTestE",
                             "SorvaneTestF", "SorvaneTestG", "SorvaneTestH"}) {
        files.push_back(TestFont(std::string(font) + ".ttf"));
    }
    TFontVetter vetter;
    for (const std::wstring& file : files) vetter.Prefetch(Thumbnail(file));
    EXPECT_EQ(vetter.Vet(Thumbnail(files[0])), TFontVerdict::Safe);
    KillProcess(vetter.HelperProcessId());
    for (const std::wstring& file : files) EXPECT_EQ(vetter.Vet(Thumbnail(file)), TFontVerdict::Safe) << file;
}

// A scan prefetches its folder and then clears and repaints its list before it asks for the first
// file; meanwhile nobody reads the helper's answers, and the helper must have the folder's work.
TEST(FontVetting, AHelperWorksThroughAPrefetchedListWhileTheProgramIsBusyElsewhere) {
    const std::string dir = FreshTempDir("vetting-list");
    std::vector<TFontDrawing> drawings;
    for (int i = 0; i < 40; ++i)
        drawings.push_back(Thumbnail(CopyOfGoodFont(dir, "helper-notes" + std::to_string(i) + ".ttf")));
    const std::string notes = dir + "\\drawn.txt";
    auto drawn = [&] {
        WIN32_FILE_ATTRIBUTE_DATA state{};
        return GetFileAttributesExA(notes.c_str(), GetFileExInfoStandard, &state) ? size_t{state.nFileSizeLow} : 0;
    };
    TFontVetter vetter;
    vetter.Prefetch(drawings);
    // The helper's start included; the program reads nothing meanwhile.
    EXPECT_TRUE(PumpUntil([&] { return drawn() >= drawings.size(); }, 15000)) << drawn() << " drawn";
    for (const TFontDrawing& drawing : drawings) EXPECT_EQ(vetter.Vet(drawing), TFontVerdict::Safe) << drawing.path;
    vetter.StopHelpers();
}

TEST(FontVetting, WithoutAHelperTheCallerDecides) {
    TFontVetter vetter(nullptr, "\"Z:\\no\\such\\program.exe\" --vet-fonts");
    EXPECT_EQ(vetter.Vet(Thumbnail(TestFont("SorvaneTestA.ttf"))), TFontVerdict::NoHelper);
    EXPECT_EQ(vetter.Vet(Thumbnail(TestFont("notafont.ttf"))), TFontVerdict::NoHelper);
    EXPECT_EQ(vetter.HelperProcessId(), 0u);
}

// A lost executable or helpers that each end before they are ready turn vetting off only for a
// pause: within it no file costs another try, and once the cause has gone, vetting comes back.
TEST(FontVetting, WhenNoHelperCanStartTheVetterTriesAgainAfterAPauseAndNotForEveryFile) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const std::string copy = FreshTempDir("vetting-retry") + "\\helper.exe";
    const struct {
        const char* cause;
        std::string commandLine;  // empty: this program's own, its helpers told to end at once
    } cases[] = {{"missing executable", "\"" + copy + "\" " + kFontVettingSwitch},
                 {"helpers end before they are ready", ""}};
    const TFontDrawing a = Thumbnail(TestFont("SorvaneTestA.ttf")), b = Thumbnail(TestFont("SorvaneTestB.ttf"));
    for (const auto& c : cases) {
        if (c.commandLine.empty()) SetEnvironmentVariableA(kHelperDiesVariable, "1");
        TFontVetter vetter(nullptr, c.commandLine);
        const DWORD start = GetTickCount();
        EXPECT_EQ(vetter.Vet(a), TFontVerdict::NoHelper) << c.cause;
        CopyFileA(exe, copy.c_str(), FALSE);
        SetEnvironmentVariableA(kHelperDiesVariable, nullptr);
        EXPECT_EQ(vetter.Vet(b), TFontVerdict::NoHelper) << c.cause;  // a helper would come up now
        EXPECT_TRUE(PumpUntil([&] { return vetter.Vet(a) == TFontVerdict::Safe; }, 20000)) << c.cause;
        EXPECT_GE(GetTickCount() - start, TFontVetter::kRetryPauseMs) << c.cause;
    }
}

// A helper that loses its input after answering some drawings is found out only when the next
// batch cannot be written to it. Its answers still in the pipe count, it was ready, and only the
// drawing it had received and left unanswered is held against it.
TEST(FontVetting, AHelperFoundGoneByAWriteIsBlamedOnlyForTheDrawingItHadAndDidNotAnswer) {
    const std::string dir = FreshTempDir("vetting-lost-on-write");
    std::vector<TFontDrawing> good;
    for (int i = 0; i < 6; ++i) good.push_back(Thumbnail(CopyOfGoodFont(dir, "good" + std::to_string(i) + ".ttf")));
    const TFontDrawing breaks1 = Thumbnail(CopyOfGoodFont(dir, "helper-breaks-input1.ttf"));
    const TFontDrawing breaks2 = Thumbnail(CopyOfGoodFont(dir, "helper-breaks-input2.ttf"));
    TFontVetter vetter;
    vetter.Prefetch(std::vector<TFontDrawing>{good[0], good[1], breaks1, breaks2});
    // Each helper breaks at the first such file it reaches; nothing reads its pipe before the
    // next drawing is written to it, and a fresh helper takes what is left.
    for (int round = 0; round < 4; ++round) {
        ASSERT_NE(vetter.HelperProcessId(), 0u) << round;
        ASSERT_TRUE(PumpUntil([&] { return ReadFileBytes(dir + "\\broken.txt").size() > size_t(round); }, 15000));
        vetter.Prefetch(good[2 + round]);
        vetter.StartHelpers(1);
    }
    for (const TFontDrawing& drawing : good) EXPECT_EQ(vetter.Vet(drawing), TFontVerdict::Safe) << drawing.path;
    EXPECT_EQ(vetter.Vet(breaks1), TFontVerdict::Unsafe);
    EXPECT_EQ(vetter.Vet(breaks2), TFontVerdict::Unsafe);
}

// A family installed while the helper stands ready (registered by the helper itself here) is one
// of the installed families at the next scan, as it is for the program: not the family that each
// file drawn after adds.
TEST(FontVetting, AFamilyInstalledWhileAHelperStandsReadyIsNotTakenForTheFamilyOfEachFileDrawnAfter) {
    const std::string dir = FreshTempDir("vetting-installed");
    const std::string installed = dir + "\\helper-installs.ttf";
    ASSERT_TRUE(CopyFileW(TestFont("SorvaneTestH.ttf").c_str(), WideFromAnsi(installed).c_str(), FALSE));
    TFontVetter vetter;
    ASSERT_EQ(vetter.Vet(Thumbnail(installed)), TFontVerdict::Safe);
    const DWORD pid = vetter.HelperProcessId();
    vetter.StandBy();  // as between two scans
    ASSERT_EQ(vetter.HelperProcessId(), pid);
    for (char letter = 'A'; letter <= 'G'; ++letter) {
        const std::string family = std::string("SorvaneTest") + letter;
        const TFontDrawing thumbnail{TestFont(family + ".ttf"), L"", "", 30, 100, 50};
        ASSERT_EQ(vetter.Vet(thumbnail), TFontVerdict::Safe) << family;
        const std::optional<TFontPicture> drawn = vetter.TakePicture(thumbnail);
        ASSERT_TRUE(drawn) << family;
        EXPECT_EQ(drawn->face, WideFromAnsi(family));
    }
}

// A helper starts for every scan, so its start is part of every scan's cost: it must not load
// the libraries only the window needs.
TEST(FontVetting, TheHelperLoadsNoneOfTheLibrariesOnlyTheWindowNeeds) {
    TFontVetter vetter;
    ASSERT_EQ(vetter.Vet(Thumbnail(TestFont("SorvaneTestA.ttf"))), TFontVerdict::Safe);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, vetter.HelperProcessId());
    ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
    std::vector<std::string> modules;
    MODULEENTRY32 module{};
    module.dwSize = sizeof(module);
    for (BOOL more = Module32First(snapshot, &module); more; more = Module32Next(snapshot, &module)) {
        std::string name = module.szModule;
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        modules.push_back(name);
    }
    CloseHandle(snapshot);
    EXPECT_NE(std::find(modules.begin(), modules.end(), "gdi32.dll"), modules.end());  // the list is real
    for (const char* library : {"comctl32.dll", "comdlg32.dll", "shell32.dll", "ole32.dll", "oleacc.dll", "oleaut32.dll",
                                "winmm.dll"})
        EXPECT_EQ(std::find(modules.begin(), modules.end(), library), modules.end()) << library;
}

TEST(FontVetting, FramesComeOffTheBufferWholeHoweverTheBytesArrive) {
    auto frame = [](const std::string& body) {
        const uint32_t length = static_cast<uint32_t>(body.size());
        return std::string(reinterpret_cast<const char*>(&length), 4) + body;
    };
    const std::string stream = frame("first") + frame("") + frame(std::string(300, 'x'));
    // The same bytes in one piece, byte by byte and in uneven pieces give the same frames.
    for (size_t piece : {stream.size(), size_t{1}, size_t{7}}) {
        TFrameBuffer frames;
        std::vector<std::string> bodies;
        std::string body;
        for (size_t at = 0; at < stream.size(); at += piece) {
            frames.Append(stream.data() + at, std::min(piece, stream.size() - at));
            while (frames.Next(body, 1000) == TFrameBuffer::Result::Frame) bodies.push_back(body);
        }
        EXPECT_EQ(bodies, (std::vector<std::string>{"first", "", std::string(300, 'x')})) << piece;
        EXPECT_EQ(frames.Next(body, 1000), TFrameBuffer::Result::Incomplete);
    }
    // A frame longer than allowed is refused before any of its body arrives.
    TFrameBuffer frames;
    const std::string header = frame(std::string(2000, 'y')).substr(0, 4);
    frames.Append(header.data(), header.size());
    std::string body;
    EXPECT_EQ(frames.Next(body, 1000), TFrameBuffer::Result::Bad);
}

TEST(FontVetting, AThumbnailComesBackOnceWithTheFaceTheHelperDrew) {
    TFontVetter vetter;
    const TFontDrawing good{TestFont("SorvaneTestA.ttf"), L"", "", 30, 100, 50};
    const TFontDrawing broken{TestFont("notafont.ttf"), L"", "", 30, 100, 50};
    vetter.Prefetch(good);
    ASSERT_EQ(vetter.Vet(broken), TFontVerdict::Unsafe);
    ASSERT_EQ(vetter.Vet(good), TFontVerdict::Safe);
    EXPECT_FALSE(vetter.TakePicture(broken));

    const std::optional<TFontPicture> drawn = vetter.TakePicture(good);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(drawn->face, L"SorvaneTestA");
    TBitmap picture;
    ASSERT_TRUE(picture.SetPixels(drawn->width, drawn->height, drawn->pixels));
    EXPECT_EQ(picture.Width(), 100);
    EXPECT_EQ(picture.Height(), 50);
    EXPECT_EQ(picture.Canvas().Pixel(99, 49), RGB(255, 255, 255));  // white where no glyph reaches
    EXPECT_NE(picture.Canvas().Pixel(20, 20), RGB(255, 255, 255));  // the first box glyph
    EXPECT_FALSE(vetter.TakePicture(good));  // handed out once
    EXPECT_EQ(vetter.Vet(good), TFontVerdict::Safe);  // the verdict stays
}

// Paths and faces cross the pipe in UTF-16: a look-alike name would have the helper draw another
// file's face, or none.
TEST(FontVetting, TheHelperDrawsEachFileUnderItsExactNameWithItsOwnFace) {
    const std::wstring dir = WideFromAnsi(FreshTempDir("vetting-names")) + L"\\";
    struct Case {
        std::wstring name;
        const char* font;
        std::wstring face;
    };
    const Case cases[] = {
        {L"Café.ttf", "SorvaneTestA.ttf", L"SorvaneTestA"},
        {L"Cafe.ttf", "SorvaneTestB.ttf", L"SorvaneTestB"},
        {L"한글.ttf", "longname.ttf", L"SV試験試験試験試験試験試験試験試験"},
        {L"音符🎵.ttf", "japanese.ttf", L"ソルヴァン試験"},
    };
    std::vector<TFontDrawing> drawings;
    for (const Case& c : cases) {
        ASSERT_TRUE(CopyFileW(TestFont(c.font).c_str(), (dir + c.name).c_str(), FALSE));
        drawings.push_back(TFontDrawing{dir + c.name, L"", "", 30, 100, 50});
    }
    TFontVetter vetter;
    vetter.Prefetch(drawings);
    for (size_t i = 0; i < drawings.size(); ++i) {
        ASSERT_EQ(vetter.Vet(drawings[i]), TFontVerdict::Safe) << i;
        const std::optional<TFontPicture> drawn = vetter.TakePicture(drawings[i]);
        ASSERT_TRUE(drawn) << i;
        EXPECT_EQ(drawn->face, cases[i].face);
        TBitmap picture;
        ASSERT_TRUE(picture.SetPixels(drawn->width, drawn->height, drawn->pixels));
        EXPECT_NE(picture.Canvas().Pixel(20, 20), RGB(255, 255, 255)) << i << ": no box glyph drawn";
    }
    vetter.StopHelpers();
    for (const Case& c : cases) EXPECT_TRUE(DeleteFileW((dir + c.name).c_str()));
}

TEST(FontVetting, StandingByKeepsOneIdleHelperAndForgetsWhatItKnew) {
    const std::string dir = FreshTempDir("vetting-stand-by");
    const std::string changing = CopyOfGoodFont(dir, "changing.ttf");
    TFontVetter vetter;
    ASSERT_EQ(vetter.Vet(Thumbnail(changing)), TFontVerdict::Safe);
    const DWORD idle = vetter.HelperProcessId();
    // The file changes while the verdict is remembered; standing by forgets it, and keeps the
    // idle helper instead of starting another.
    ASSERT_TRUE(CopyFileW(TestFont("notafont.ttf").c_str(), WideFromAnsi(changing).c_str(), FALSE));
    EXPECT_EQ(vetter.Vet(Thumbnail(changing)), TFontVerdict::Safe);
    vetter.StandBy();
    EXPECT_EQ(vetter.HelperCount(), 1u);
    EXPECT_EQ(vetter.HelperProcessId(), idle);
    EXPECT_EQ(vetter.Vet(Thumbnail(changing)), TFontVerdict::Unsafe);

    // Helpers busy with a folder's prefetched drawings end; one fresh helper stands by, and the
    // drawings nobody asked for are not drawn.
    for (char letter = 'A'; letter <= 'H'; ++letter)
        for (int copy = 0; copy < 3; ++copy)
            vetter.Prefetch(Thumbnail(CopyOfGoodFont(dir, std::string(1, letter) + std::to_string(copy) + ".ttf")));
    ASSERT_EQ(vetter.Vet(Thumbnail(dir + "\\A0.ttf")), TFontVerdict::Safe);
    const DWORD first = vetter.HelperProcessId();
    vetter.StandBy();
    EXPECT_EQ(vetter.HelperCount(), 1u);
    const DWORD standing = vetter.HelperProcessId();
    EXPECT_NE(standing, 0u);
    EXPECT_NE(standing, first);
    EXPECT_TRUE(ProcessEnded(first));
    // Every file can go at once: the helper standing by holds none.
    for (const std::wstring& file : FilesIn(WideFromAnsi(dir), L"*.ttf")) EXPECT_TRUE(DeleteFileW(file.c_str())) << file;
    vetter.StopHelpers();
    EXPECT_TRUE(ProcessEnded(standing));
}

// What the system keeps of every font a helper drew makes the helper larger and slower: after a
// folder shared by two helpers, the one started for it stands by, not the one that stood by.
TEST(FontVetting, AfterAFolderSharedByTwoHelpersTheYoungerOneStandsBy) {
    const std::string dir = FreshTempDir("vetting-younger");
    TFontVetter vetter;
    ASSERT_EQ(vetter.Vet(Thumbnail(CopyOfGoodFont(dir, "ready.ttf"))), TFontVerdict::Safe);
    const DWORD older = vetter.HelperProcessId();
    std::vector<TFontDrawing> folder;
    for (int i = 0; i < 240; ++i) folder.push_back(Thumbnail(CopyOfGoodFont(dir, std::to_string(i) + ".ttf")));
    vetter.Prefetch(folder);
    if (vetter.HelperCount() < 2) GTEST_SKIP() << "one processor, one helper";
    for (const TFontDrawing& drawing : folder) ASSERT_EQ(vetter.Vet(drawing), TFontVerdict::Safe);
    vetter.StandBy();
    ASSERT_EQ(vetter.HelperCount(), 1u);
    EXPECT_NE(vetter.HelperProcessId(), older);
    EXPECT_TRUE(ProcessEnded(older));
    vetter.StopHelpers();
}

namespace {

TEST(FontVetting, ACollectionsThumbnailNamesItsFacesAndEachFaceIsJudgedAndDrawnOnItsOwn) {
    const std::string dir = FreshTempDir("vet-collection");
    const std::wstring good = WideFromAnsi(dir + "\\heights.ttc");
    const std::wstring faulting = WideFromAnsi(dir + "\\helper-face-faults-SorvaneLow.ttc");
    ASSERT_TRUE(CopyFileW(TestFont("SorvaneHeights.ttc").c_str(), good.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(TestFont("SorvaneHeights.ttc").c_str(), faulting.c_str(), FALSE));
    const std::wstring single = WideFromAnsi(CopyOfGoodFont(dir, "after.ttf"));
    auto picture = [](const std::wstring& path, const std::wstring& face) {
        return TFontDrawing{path, face, "", 30, 100, 50};
    };
    TFontVetter vetter;
    vetter.Prefetch({picture(good, L""), picture(faulting, L""), picture(single, L"")});
    const struct {
        std::wstring path;
        std::wstring face;
        TFontVerdict verdict;
    } rows[] = {
        {good, L"SorvaneTall", TFontVerdict::Safe},
        {good, L"SorvaneLow", TFontVerdict::Safe},
        {faulting, L"SorvaneTall", TFontVerdict::Safe},
        {faulting, L"SorvaneLow", TFontVerdict::Unsafe},
    };
    for (const std::wstring& file : {good, faulting}) {
        ASSERT_EQ(vetter.Vet(picture(file, L"")), TFontVerdict::Safe);
        const std::optional<TFontPicture> names = vetter.TakePicture(picture(file, L""));
        ASSERT_TRUE(names.has_value());
        EXPECT_EQ(names->faces, (std::vector<std::wstring>{L"SorvaneTall", L"SorvaneLow"}));
        EXPECT_TRUE(names->pixels.empty());
    }
    std::vector<std::string> drawn;
    for (const auto& row : rows) {
        const std::string label = AnsiFromWide(row.path + L" " + row.face);
        EXPECT_EQ(vetter.Vet(picture(row.path, row.face)), row.verdict) << label;
        const std::optional<TFontPicture> taken = vetter.TakePicture(picture(row.path, row.face));
        ASSERT_EQ(taken.has_value(), row.verdict == TFontVerdict::Safe) << label;
        if (!taken) continue;
        EXPECT_EQ(taken->face, row.face) << label;
        EXPECT_TRUE(taken->faces.empty()) << label;
        drawn.push_back(taken->pixels);
    }
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_NE(drawn[0], drawn[1]);  // a low box and a tall one
    EXPECT_EQ(drawn[0], drawn[2]);
    // A single font after them is answered with its own picture, no face list.
    ASSERT_EQ(vetter.Vet(picture(single, L"")), TFontVerdict::Safe);
    const std::optional<TFontPicture> after = vetter.TakePicture(picture(single, L""));
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->face, L"SorvaneTestC");
    EXPECT_TRUE(after->faces.empty());
    vetter.StopHelpers();
    for (const std::wstring& file : {good, faulting, single}) EXPECT_TRUE(DeleteFileW(file.c_str()));
}

TEST(FontVetting, ALargeFileGetsMoreTimeByItsSizeAndASmallOneNone) {
    const std::string dir = FreshTempDir("vet-allowance");
    const struct {
        LONGLONG bytes;
        DWORD allowance;
    } rows[] = {
        {0, 3000},
        {(1 << 20) - 1, 3000},
        {1 << 20, 3250},
        {20LL << 20, 8000},
        {(27LL << 20) + 12345, 9750},
        {-1, 3000},  // no such file
    };
    for (const auto& row : rows) {
        // Built piece by piece: GCC 12 misreads a chain of + on std::string as an overlapping copy.
        std::string name = dir;
        name.append("\\").append(std::to_string(row.bytes)).append(".ttc");
        const std::wstring path = WideFromAnsi(name);
        if (row.bytes >= 0) {
            HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE);
            LARGE_INTEGER size;
            size.QuadPart = row.bytes;
            EXPECT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file));
            CloseHandle(file);
        }
        EXPECT_EQ(TFontVetter::AnswerAllowanceMs(TFontDrawing{path, L"", "", 30}), row.allowance) << row.bytes;
    }
}

}  // namespace
