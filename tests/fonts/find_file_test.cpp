#include "fonts/find_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "font_test_support.h"
#include "widgets/exception.h"

namespace {

void MakeFile(const std::string& path) { ASSERT_TRUE(WriteFileBytes(path, "x")) << path; }

void MakeFolder(const std::string& path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path; }

FILETIME FileTimeOf(WORD year, WORD month, WORD day) {
    SYSTEMTIME t{year, month, 0, day, 12, 0, 0, 0};
    FILETIME result;
    SystemTimeToFileTime(&t, &result);
    return result;
}

void SetTimes(const std::string& path, const FILETIME& lastAccess, const FILETIME& lastWrite) {
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(h, nullptr, &lastAccess, &lastWrite));
    CloseHandle(h);
}

struct Report {
    std::string name;
    std::string path;
    bool operator==(const Report&) const = default;
};

// A finder that records every report; `cancelAt` answers Cancel on that report.
struct RecordingFinder {
    TFindFile finder{nullptr};
    std::vector<Report> reports;
    int cancelAt = 0;

    explicit RecordingFinder(const std::string& folder, std::vector<std::string> masks = {}, bool sub = false) {
        finder.SetFolderName(folder);
        finder.SetFileMask(masks);
        finder.SetIsFindSub(sub);
        finder.OnFind = [this](const std::string& name, const std::string& path, const TSearchRec& rec, bool& cancel) {
            EXPECT_EQ(rec.Name, name);
            reports.push_back({name, path});
            if (static_cast<int>(reports.size()) == cancelAt) cancel = true;
        };
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Report& r : reports) names.push_back(r.name);
        std::sort(names.begin(), names.end());
        return names;
    }
};

// root: a.ttf b.TTF c.ttc notes.txt, sub\ d.ttf, sub\deeper\ e.ttf, .cache\ f.ttf, x.ttf\ (a folder)
class FindFileTree : public ::testing::Test {
protected:
    void SetUp() override {
        root = FreshTempDir("find-tree");
        for (const char* f : {"a.ttf", "b.TTF", "c.ttc", "notes.txt"}) MakeFile(root + "\\" + f);
        for (const char* d : {"sub", "sub\\deeper", ".cache", "x.ttf"}) MakeFolder(root + "\\" + d);
        MakeFile(root + "\\sub\\d.ttf");
        MakeFile(root + "\\sub\\deeper\\e.ttf");
        MakeFile(root + "\\.cache\\f.ttf");
    }
    std::string root;
};

using Names = std::vector<std::string>;

}  // namespace

TEST(FindFile, ConstructorDefaults) {
    TFindFile finder(nullptr);
    EXPECT_EQ(finder.FolderName(), "C:\\");
    EXPECT_TRUE(finder.FileMask().empty());
    EXPECT_TRUE(finder.IsFindSub());
    EXPECT_EQ(finder.CheckTimeIs(), tmNone);
    EXPECT_EQ(finder.CheckTimeKind(), tmLastWrite);
    EXPECT_NEAR(finder.CheckedTime(), CurrentLocalDateTime(), 1.0 / 24 / 60);
    EXPECT_FALSE(finder.OnFind);
    EXPECT_EQ(finder.FoundCount(), 0);
}

TEST(FindFile, EmptyFolderNameGivesMinusOneAndMissingFolderZero) {
    RecordingFinder empty("");
    EXPECT_EQ(empty.finder.Execute(), -1);
    RecordingFinder missing(BinDir() + "\\no-such-folder");
    EXPECT_EQ(missing.finder.Execute(), 0);
    EXPECT_TRUE(missing.reports.empty());
}

TEST_F(FindFileTree, MaskWithoutSubfolders) {
    RecordingFinder f(root, {"*.ttf"});
    EXPECT_EQ(f.finder.Execute(), 2);
    EXPECT_EQ(f.Names(), (Names{"a.ttf", "b.TTF"}));  // the folder "x.ttf" is never reported
    for (const Report& r : f.reports) EXPECT_EQ(r.path, root + "\\");
}

TEST_F(FindFileTree, EmptyMaskReportsEveryFile) {
    RecordingFinder f(root);
    EXPECT_EQ(f.finder.Execute(), 4);
    EXPECT_EQ(f.Names(), (Names{"a.ttf", "b.TTF", "c.ttc", "notes.txt"}));
}

TEST_F(FindFileTree, TrailingBackslashMakesNoDifference) {
    RecordingFinder without(root, {"*.ttf"}, true);
    RecordingFinder with(root + "\\", {"*.ttf"}, true);
    without.finder.Execute();
    with.finder.Execute();
    EXPECT_EQ(with.reports, without.reports);
}

TEST_F(FindFileTree, SubfoldersDepthFirstSkippingDotFolders) {
    RecordingFinder f(root, {"*.ttf"}, true);
    EXPECT_EQ(f.finder.Execute(), 4);
    EXPECT_EQ(f.Names(), (Names{"a.ttf", "b.TTF", "d.ttf", "e.ttf"}));
    std::vector<std::string> paths;
    for (const Report& r : f.reports) paths.push_back(r.path);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), root + "\\sub\\"), 1);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), root + "\\sub\\deeper\\"), 1);
    // The subfolder's files come in one run, at the subfolder's place among the parent's entries.
    std::vector<size_t> inSub;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].rfind(root + "\\sub\\", 0) == 0) inSub.push_back(i);
    }
    ASSERT_EQ(inSub.size(), 2u);
    EXPECT_EQ(inSub[1], inSub[0] + 1);
}

TEST_F(FindFileTree, CancelOnThirdReportStopsTheWholeRun) {
    for (bool sub : {false, true}) {
        SCOPED_TRACE(sub ? "with subfolders" : "one level");
        RecordingFinder f(root, {}, sub);
        f.cancelAt = 3;
        EXPECT_EQ(f.finder.Execute(), 3);
        EXPECT_EQ(f.reports.size(), 3u);
        EXPECT_TRUE(f.finder.Cancelled());
        // The next run starts with the flag cleared.
        f.cancelAt = 0;
        f.reports.clear();
        EXPECT_EQ(f.finder.Execute(), sub ? 6 : 4);
        EXPECT_FALSE(f.finder.Cancelled());
    }
}

// The stop command of the scan: it only sets a flag, and the next report hands it over.
TEST_F(FindFileTree, CommandArrivingDuringAReportStopsAfterTheNextReport) {
    bool stopFlag = false;
    int reports = 0;
    TFindFile finder(nullptr);
    finder.SetFolderName(root);
    finder.OnFind = [&](const std::string&, const std::string&, const TSearchRec&, bool& cancel) {
        cancel = stopFlag;
        if (++reports == 1) PostCall([&] { stopFlag = true; });
    };
    EXPECT_EQ(finder.Execute(), 2);
    EXPECT_EQ(reports, 2);
}

TEST_F(FindFileTree, FinderFreedByAHandlerDuringTheRunEndsIt) {
    auto owned = std::make_unique<TFindFile>(nullptr);
    TFindFile* finder = owned.get();
    finder->SetFolderName(root);
    int reports = 0;
    finder->OnFind = [&](const std::string&, const std::string&, const TSearchRec&, bool&) {
        if (++reports == 1) PostCall([&] { owned.reset(); });
    };
    finder->Execute();
    EXPECT_FALSE(owned);
    EXPECT_EQ(reports, 1);
}

TEST_F(FindFileTree, ErrorInHandlerPropagatesAndTheFinderStaysUsable) {
    RecordingFinder f(root, {"*.ttf"}, true);
    f.finder.OnFind = [](const std::string&, const std::string&, const TSearchRec&, bool&) {
        throw Exception("handler failed");
    };
    EXPECT_THROW(f.finder.Execute(), Exception);
    f.finder.OnFind = nullptr;
    EXPECT_EQ(f.finder.Execute(), 4);
}

TEST_F(FindFileTree, DateFilterIsStrict) {
    const std::string a = root + "\\a.ttf";
    const std::string b = root + "\\b.TTF";
    SetTimes(a, FileTimeOf(2022, 6, 1), FileTimeOf(2020, 1, 1));
    SetTimes(b, FileTimeOf(2022, 6, 1), FileTimeOf(2023, 1, 1));
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(a.c_str(), &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FindClose(h);
    const TDateTime aWritten = FileTimeToLocalDateTime(data.ftLastWriteTime);

    RecordingFinder f(root, {"*.ttf"});
    f.finder.SetCheckedTime(aWritten);
    struct Case {
        TTimeFunc func;
        TTimeKind kind;
        TDateTime checked;
        Names expected;
    } cases[] = {
        {tmNewer, tmLastWrite, aWritten, {"b.TTF"}},  // equal is neither newer...
        {tmOlder, tmLastWrite, aWritten, {}},         // ...nor older
        {tmNewer, tmLastWrite, aWritten - 1.0 / 86400, {"a.ttf", "b.TTF"}},
        {tmOlder, tmLastWrite, aWritten + 1.0, {"a.ttf"}},
        {tmOlder, tmLastAccess, aWritten + 1.0, {}},  // both read in mid-2022
        {tmNone, tmLastAccess, 0.0, {"a.ttf", "b.TTF"}},
    };
    for (const Case& c : cases) {
        f.finder.SetCheckTimeIs(c.func);
        f.finder.SetCheckTimeKind(c.kind);
        f.finder.SetCheckedTime(c.checked);
        f.reports.clear();
        f.finder.Execute();
        EXPECT_EQ(f.Names(), c.expected) << "func " << int(c.func) << " kind " << int(c.kind);
    }
}

// ソ (0x83 0x5C) and 表 (0x95 0x5C) end in the byte of a backslash.
TEST(FindFile, FolderEndingInTrailByte5CGetsOneBackslash) {
    const std::string root = FreshTempDir("find-dbcs");
    MakeFolder(root + "\\ソフト");
    MakeFolder(root + "\\ソ");
    MakeFolder(root + "\\表");
    MakeFile(root + "\\ソフト\\g.ttf");
    MakeFile(root + "\\ソ\\h.ttf");
    MakeFile(root + "\\表\\i.ttf");

    for (const char* folder : {"ソフト", "ソ", "表"}) {
        for (const char* tail : {"", "\\"}) {
            RecordingFinder f(root + "\\" + folder + tail);
            ASSERT_EQ(f.finder.Execute(), 1) << folder << tail;
            EXPECT_EQ(f.reports[0].path, root + "\\" + folder + "\\");
        }
    }
    RecordingFinder all(root, {"*.ttf"}, true);
    EXPECT_EQ(all.finder.Execute(), 3);
    for (const Report& r : all.reports) {
        const std::string folder = r.name == "g.ttf" ? "ソフト" : r.name == "h.ttf" ? "ソ" : "表";
        EXPECT_EQ(r.path, root + "\\" + folder + "\\");
    }
}

TEST(FindFile, DriveWithAndWithoutBackslashSearchesTheRoot) {
    const std::string marker = "C:\\sorvane-find-root.txt";  // C: is the test's private prefix
    MakeFile(marker);
    RecordingFinder bare("C:", {"sorvane-find-root.txt"});
    RecordingFinder slash("C:\\", {"sorvane-find-root.txt"});
    EXPECT_EQ(bare.finder.Execute(), 1);
    EXPECT_EQ(slash.finder.Execute(), 1);
    EXPECT_EQ(bare.reports, slash.reports);
    EXPECT_EQ(bare.reports.at(0).path, "C:\\");
    DeleteFileA(marker.c_str());
}
