// The main window's folder scan against the platform's floor for the same folder.
//
//   scan_bench <folder> [<folder>...] [--huge <folder>]
//
// The floor registers each file, enumerates the families once, draws the name of every face the
// file added (a collection adds several) at 30 points and unregisters, in a fresh process of its
// own as the first scans run. The scan is the main window's, thumbnails and font vetting included,
// run as a user runs it by selecting the folder in the tree: as a fresh program's first
// scan (this executable started again, the folder selected a second after its window went
// idle, as a user's first click comes), and as that program's next scan of the folder a second
// later (the warm round). The helper that
// stays ready between scans is measured too: its memory while idle. It prints how many families are
// installed, since both grow with that number (bench/run_scan_bench --extra installs more). With
// SORVANE_BENCH_HIDDEN set the main window is never shown, which separates painting from the
// rest. Exits non-zero, printing no figure for the folder, when the scan cannot be run or lists
// fewer faces and thumbnails than the floor drew. Each first scan also reports how long the
// window took at most to answer a message sent from another thread while it scanned, and the
// memory it kept per listed font beyond its thumbnail cache. A folder after --huge gets one
// first scan without the floor: then rows across the list, the last one included, are scrolled
// into view, and each must show its thumbnail.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "fonts/face_text.h"
#include "fonts/font_vetting.h"
#include "fonts/temp_font.h"
#include "fonts/truetype_file.h"
#include "widgets/application.h"
#include "widgets/directory.h"
#include "widgets/wide_text.h"

namespace {

using FileList = std::vector<std::wstring>;

constexpr int kRounds = 3;
constexpr char kFirstScanSwitch[] = "--first-scan";
// A user's first click on a folder comes at least this long after the window went idle.
constexpr DWORD kUserReactionMs = 1000;
constexpr DWORD kIdleMeasureMs = 5000;
constexpr char kSampleRowsSwitch[] = "--first-scan-sampled";
// The floor and the helper's steps run in fresh processes of their own: registering and drawing
// every file of a folder here would leave this process, whose window makes the warm rounds,
// with what the system keeps of thousands of fonts no user's program has drawn.
constexpr char kFloorSwitch[] = "--floor";
constexpr char kStepsSwitch[] = "--steps";
// How often the watcher asks the window for an answer during a scan.
constexpr DWORD kResponseProbeMs = 10;
// Rows of a huge folder scrolled into view after the scan.
constexpr int kSampledRows = 9;
constexpr DWORD kSampledRowTimeoutMs = 30000;

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "scan_bench: %s\n", why.c_str());
    std::exit(1);
}

std::string ModuleFileName() {
    char path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) Fail("cannot read this program's path");
    return std::string(path, length);
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

template <class F>
double Timed(F body) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    body();
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

// The files the scan lists, in the order the folder gives them.
FileList FontFilesIn(const std::string& folder) {
    FileList files;
    for (const std::wstring& path : FilesIn(WideFromAnsi(folder), L"*"))
        if (MatchesAnyMask(path.substr(path.find_last_of(L'\\') + 1), kFontFileMasks)) files.push_back(path);
    return files;
}

// The least a scan must do per file; returns how many faces got drawn.
int RunFloor(const FileList& files, HWND window) {
    const TFamilyBaseline baseline = TFamilyBaseline::Capture(window);
    int drawn = 0;
    for (const std::wstring& path : files) {
        const int added = AddFontResourceExW(path.c_str(), FR_PRIVATE, nullptr);
        if (added <= 0) continue;
        std::vector<std::wstring> families;
        CollectTrueTypeFamilies(families, window);
        for (const std::wstring& face : baseline.AddedFamilies(families)) {
            TBitmap bitmap;
            bitmap.SetSize(105, 105);
            drawn += DrawFaceText(bitmap.Canvas(), window, face, std::string(), 0, 0, kThumbnailPoints);
        }
        // Wine may leave a face of a large collection registered after the first removal.
        for (int removed = 0; removed < added;) {
            const int count = RemoveFontResourceExW(path.c_str(), FR_PRIVATE, nullptr);
            if (count <= 0) break;
            removed += count;
        }
    }
    return drawn;
}

TfrmMain& MainWindow() {
    static std::unique_ptr<TfrmMain> form = [] {
        auto made = std::make_unique<TfrmMain>(nullptr);
        if (!getenv("SORVANE_BENCH_HIDDEN")) made->Show();
        return made;
    }();
    return *form;
}

// Runs the program's message loop, idle steps included, for `ms` milliseconds; the main
// window's 10 ms timer keeps the loop turning.
void RunMessageLoopFor(DWORD ms) {
    const DWORD until = GetTickCount() + ms;
    while (static_cast<int>(GetTickCount() - until) < 0) Application->HandleMessage();
}

// The shell namespace of a fresh prefix may not list the drive yet at the first attempts.
void SelectFolder(TfrmMain& form, const std::string& folder) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        const std::wstring wide = WideFromAnsi(folder);
        if (form.ShellTreeView1->Path() == wide || form.ShellTreeView1->SelectPath(wide)) return;
        DWORD until = GetTickCount() + 200;
        while (GetTickCount() < until) Application->ProcessMessages();
    }
    Fail("cannot select " + folder + " in the folder tree (it shows \"" + AnsiFromWide(form.ShellTreeView1->Path()) + "\")");
}

// The whole scan of the main window; returns how many rows got a face and a thumbnail.
int RunMainWindowScan(const std::string& folder, size_t files) {
    TfrmMain& form = MainWindow();
    if (form.ShellTreeView1->Path() == WideFromAnsi(folder)) {
        form.ShellTreeView1Change(form.ShellTreeView1, nullptr);  // the same folder again
    } else {
        SelectFolder(form, folder);
    }
    if (form.Scanning()) Fail("the scan of " + folder + " did not end");
    // A collection lists a row per face.
    if (size_t(form.ListView1->Count()) < files) {
        Fail("the scan of " + folder + " listed " + std::to_string(form.ListView1->Count()) + " rows for " +
             std::to_string(files) + " files");
    }
    int complete = 0;
    for (int row = 0; row < form.ListView1->Count(); ++row)
        complete += !form.ListView1->SubItem(row, 1).empty() && form.HasThumbnail(row);
    if (form.Vetter().HelperCount() > 1) Fail("more than one font vetting helper outlived the scan");
    return complete;
}

std::string ParentFolder(const std::string& folder) { return folder.substr(0, folder.find_last_of('\\')); }

// In a fresh process: the window shows and goes idle, the tree shows the folder's parent (which
// holds no fonts), and a second later the user selects the folder. Prints the scan's seconds
// and its complete rows.
// Sends the window a message from another thread every few milliseconds while it lives and
// keeps the longest wait for an answer.
class ResponseWatcher {
public:
    explicit ResponseWatcher(HWND window) : window_(window) {
        thread_ = CreateThread(nullptr, 0, &ResponseWatcher::Run, this, 0, nullptr);
        if (!thread_) Fail("cannot start the response watcher");
    }
    ~ResponseWatcher() {
        InterlockedExchange(&stop_, 1);
        // The watcher may be waiting for the window's answer: answer while it ends.
        while (MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
            Application->ProcessMessages();
        CloseHandle(thread_);
    }
    double LongestMs() const { return longest_; }

private:
    static DWORD WINAPI Run(void* self) {
        auto& watcher = *static_cast<ResponseWatcher*>(self);
        while (!InterlockedCompareExchange(&watcher.stop_, 0, 0)) {
            DWORD_PTR result = 0;
            const double waited = Timed([&] {
                SendMessageTimeoutA(watcher.window_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
            });
            watcher.longest_ = std::max(watcher.longest_, waited * 1000);
            Sleep(kResponseProbeMs);
        }
        return 0;
    }
    HWND window_;
    HANDLE thread_ = nullptr;
    volatile LONG stop_ = 0;
    double longest_ = 0;
};

// The process's committed private memory in bytes, read from its address space: what the
// system reports as private usage is not kept up to date on every platform.
double PrivateBytes() {
    double committed = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof(region)) == sizeof(region);) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) committed += double(region.RegionSize);
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;
        at = next;
    }
    if (committed <= 0) Fail("cannot read this process's memory");
    return committed;
}

// Scrolls rows across the list into view, the last one included, and waits for each to show
// a thumbnail with ink; returns how many did.
int SampleRows(TfrmMain& form) {
    const int rows = form.ListView1->Count();
    int shown = 0;
    for (int i = 0; i < kSampledRows; ++i) {
        const int row = int((int64_t(rows) - 1) * i / (kSampledRows - 1));
        form.ListView1->MakeVisible(row);
        const DWORD until = GetTickCount() + kSampledRowTimeoutMs;
        int image = -1;
        while ((image = form.ListView1->ImageIndex(row)) < 0 && static_cast<int>(GetTickCount() - until) < 0)
            Application->HandleMessage();
        if (image < 0) {
            std::fprintf(stderr, "scan_bench: row %d of %d showed no thumbnail\n", row, rows);
            continue;
        }
        TBitmap cell;
        cell.SetSize(form.ImageList1->Width(), form.ImageList1->Height());
        form.ImageList1->Draw(cell.Canvas().Handle(), 0, 0, image);
        int ink = 0;
        for (int y = 0; y < cell.Height(); ++y)
            for (int x = 0; x < cell.Width(); ++x) ink += GetRValue(cell.Canvas().Pixel(x, y)) < 128;
        if (ink > 0) ++shown; else std::fprintf(stderr, "scan_bench: row %d's thumbnail is blank\n", row);
    }
    return shown;
}

// The helper starts when the window first goes idle, as it does before a user's first click.
void WaitForTheReadyHelper(TfrmMain& form) {
    const DWORD until = GetTickCount() + 10000;
    while (form.Vetter().HelperCount() == 0 && static_cast<int>(GetTickCount() - until) < 0) Application->HandleMessage();
    if (form.Vetter().HelperCount() == 0) Fail("no font vetting helper started when the window went idle");
}

int RunFirstScan(const std::string& folder, bool sampleRows) {
    const size_t files = FontFilesIn(folder).size();
    TfrmMain& form = MainWindow();
    WaitForTheReadyHelper(form);
    SelectFolder(form, ParentFolder(folder));
    if (form.ListView1->Count() != 0) Fail(ParentFolder(folder) + " holds fonts itself");
    RunMessageLoopFor(kUserReactionMs);
    // The scan alone, as the warm round times it, and the click as a whole, which adds the
    // tree's opening of the folder.
    double scan = 0;
    // The window's answers are timed from the scan's start: the benchmark's own walk of the tree
    // to the folder is no part of a user's click.
    double longestWait = 0;
    const TTVChangedEvent scanHandler = form.ShellTreeView1->OnChange;
    form.ShellTreeView1->OnChange = [&](TComponent* sender, HTREEITEM node) {
        ResponseWatcher watcher(form.Handle());
        scan = Timed([&] { scanHandler(sender, node); });
        longestWait = watcher.LongestMs();
    };
    int complete = 0;
    const double memoryBefore = PrivateBytes();
    const double click = Timed([&] { complete = RunMainWindowScan(folder, files); });
    const double first = scan, firstWait = longestWait;
    const double cache = double(form.ImageList1->Count()) * form.ImageList1->Width() * form.ImageList1->Height() * 3;
    const double perFont = (PrivateBytes() - memoryBefore - cache) / double(files);
    const int sampled = sampleRows ? SampleRows(form) : 0;
    // The warm round: a while later the user selects another folder (the parent) and then this
    // one again, the way a user gets the same folder scanned again. Calling the scan without a
    // selection is a path no user has, and Wine's tree then paints itself blank throughout.
    double warm = 0;
    int warmComplete = 0;
    if (!sampleRows) {
        SelectFolder(form, ParentFolder(folder));
        RunMessageLoopFor(kUserReactionMs);
        warmComplete = RunMainWindowScan(folder, files);
        warm = scan;
    }
    std::printf("%.6f %.6f %d %.1f %.0f %.0f %d %.6f %d\n", first, click, complete, firstWait, perFont, cache, sampled,
                warm, warmComplete);
    return 0;
}

struct FirstScan {
    double scan = 0, click = 0;  // seconds
    int complete = 0;            // rows with a face and a thumbnail
    double longestWaitMs = 0;    // the window's slowest answer during the scan
    double bytesPerFont = 0;     // kept per listed font, the thumbnail cache aside
    double cacheBytes = 0;
    int sampledRows = 0;         // rows scrolled into view that showed their thumbnail
    double warm = 0;             // seconds of the same program's next scan of the folder
    int warmComplete = 0;
};

// What this executable, started again with `switchName` and `folder`, writes to its standard
// output; fails unless it ends well.
std::string OutputOfFreshProcess(const char* switchName, const std::string& folder) {
    // Appended piece by piece: GCC 12 misreads "literal" + std::string&& as an overlapping copy.
    std::string commandLine = "\"";
    commandLine.append(ModuleFileName())
        .append("\" ")
        .append(switchName)
        .append(" \"")
        .append(folder)
        .append("\"");
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) Fail("cannot make a pipe");
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child))
        Fail("cannot start " + commandLine);
    CloseHandle(writeEnd);
    std::string output;
    char chunk[256];
    DWORD read = 0;
    while (ReadFile(readEnd, chunk, sizeof(chunk), &read, nullptr) && read > 0) output.append(chunk, read);
    CloseHandle(readEnd);
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    if (code != 0)
        Fail(std::string(switchName) + " " + folder + " failed in a fresh process (exit " + std::to_string(code) + ")");
    return output;
}

// A fresh program's first scan of `folder` in its own process.
FirstScan FirstScanInFreshProgram(const std::string& folder, bool sampleRows = false) {
    const std::string output = OutputOfFreshProcess(sampleRows ? kSampleRowsSwitch : kFirstScanSwitch, folder);
    FirstScan first;
    if (std::sscanf(output.c_str(), "%lf %lf %d %lf %lf %lf %d %lf %d", &first.scan, &first.click, &first.complete,
                    &first.longestWaitMs, &first.bytesPerFont, &first.cacheBytes, &first.sampledRows, &first.warm,
                    &first.warmComplete) != 9)
        Fail("the first scan of " + folder + " in a fresh program printed no figures");
    return first;
}

// The helper kept ready after the scans: its memory once it has sat idle for a while.
void MeasureIdleHelper() {
    TfrmMain& form = MainWindow();
    if (form.Vetter().HelperCount() != 1) Fail("no font vetting helper stays ready after a scan");
    RunMessageLoopFor(kIdleMeasureMs);
    if (form.Vetter().HelperCount() != 1) Fail("the font vetting helper did not stay ready");
    HANDLE helper = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, form.Vetter().HelperProcessId());
    if (!helper) Fail("cannot open the idle helper's process");
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    using MemoryInfoProc = BOOL(WINAPI*)(HANDLE, PROCESS_MEMORY_COUNTERS*, DWORD);
    auto memoryInfo = reinterpret_cast<MemoryInfoProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
    const bool read = memoryInfo && memoryInfo(helper, &memory, sizeof(memory)) && memory.WorkingSetSize > 0;
    CloseHandle(helper);
    if (!read) Fail("cannot read the idle helper's memory");
    // The working set counts the system libraries' pages it shares with every other process.
    std::printf("idle helper kept between scans: working set %.1f MB\n", memory.WorkingSetSize / 1048576.0);
}

// One preview of the first file: two passes, each with its registration and face look-up.
void MeasurePreview(const std::wstring& file) {
    TfrmMain& form = MainWindow();
    std::wstring face;
    for (int row = 0; row < form.ListView1->Count() && face.empty(); ++row) face = form.ListView1->WideSubItem(row, 1);
    form.lblFontFileName->SetWideCaption(file);
    form.lblSelectedFontName->SetWideCaption(face);
    form.Edit1->SetText("Sorvane preview");
    double best = 1e9;
    for (int round = 0; round < kRounds + 2; ++round)
        best = std::min(best, Timed([&] { form.btnFontPreviewClick(form.btnFontPreview); }));
    std::printf("  %-40s %8.1f ms (helper kept between previews)\n", "one preview (two passes)", best * 1000);
}

// What a scan pays before its first file: starting the vetting helper and its first answer.
void MeasureHelperStart(const std::wstring& file) {
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        best = std::min(best, Timed([&] {
            TFontVetter vetter;
            if (vetter.Vet(TFontDrawing{file, L"", "", kThumbnailPoints}) == TFontVerdict::NoHelper)
                Fail("the font vetting helper does not start");
        }));
    }
    std::printf("  %-40s %8.1f ms\n", "helper start and first answer", best * 1000);
}

// The helper's share alone: every file vetted and drawn by a fresh helper, nothing else running.
void MeasureHelperAlone(const FileList& files) {
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        best = std::min(best, Timed([&] {
            TFontVetter vetter;
            std::vector<TFontDrawing> drawings;
            for (const std::wstring& file : files) drawings.push_back(TFontDrawing{file, L"", "", kThumbnailPoints, 100, 50});
            vetter.Prefetch(drawings);
            for (const TFontDrawing& drawing : drawings) {
                if (vetter.Vet(drawing) == TFontVerdict::NoHelper) Fail("the font vetting helper does not start");
                vetter.TakePicture(drawing);
            }
        }));
    }
    std::printf("  %-40s %7.3f s %8.1f files/s\n", "helper alone, start included", best, files.size() / best);
}

// One step of a helper's work, timed over the files it was taken for.
struct Step {
    const char* name;
    double seconds = 0;
    int count = 0;
    template <class F>
    void Time(F body) {
        seconds += Timed(body);
        ++count;
    }
};

// Where a helper's time goes: its steps for each file, timed one by one in a process of their
// own (the helper makes the same calls), beside the floor's, which the floor makes on the
// window's context.
void MeasureHelperSteps(const FileList& files, HWND window) {
    Step check{"structural check, the faces' names read"}, add{"register"}, name{"name (families enumerated)"},
        ownName{"name by its own family (two look-ups)"}, draw{"draw the thumbnail"}, pixels{"read its pixels back"},
        remove{"unregister"}, floorName{"floor: name on the window's context"},
        floorDraw{"floor: draw on a 105 x 105 bitmap"};
    // The helper's one drawing surface, whose context also names the faces.
    TBitmap surface;
    surface.SetSize(100, 50);
    const HDC dc = surface.Canvas().Handle();
    const TFamilyBaseline baseline = TFamilyBaseline::Capture(nullptr);
    const TFamilyBaseline windowBaseline = TFamilyBaseline::Capture(window);
    int counted = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::wstring& path = files[i];
        std::vector<std::wstring> families;
        check.Time([&] { families = ReadFaceFamilyNamesFromFile(path); });
        if (families.empty()) continue;
        TOwnFamily own{families.size() == 1 ? families.front() : std::wstring()};
        const double ownBefore = Timed([&] { own.listedBefore = ListedRecordsOf(own.name, dc); });
        bool added = false;
        add.Time([&] { added = AddFontResourceExW(path.c_str(), FR_PRIVATE, nullptr) > 0; });
        if (!added) continue;
        ++counted;
        // The first look-up after a registration pays for the new face: each way of naming goes
        // first for every other file and is timed only then.
        std::wstring face;
        const auto byListing = [&] { face = FaceNameOfRegisteredFile(path, dc, baseline); };
        const auto byOwnFamily = [&] { (void)FaceNameOfRegisteredFile(path, dc, baseline, &own); };
        if (i % 2 == 0 && !own.name.empty()) {
            ownName.Time(byOwnFamily);
            ownName.seconds += ownBefore;
            byListing();
        } else {
            name.Time(byListing);
        }
        draw.Time([&] {
            surface.Whiten();
            DrawFaceText(surface.Canvas(), dc, face, std::string(), 0, 0, kThumbnailPoints);
        });
        pixels.Time([&] { (void)surface.Pixels().size(); });
        floorName.Time([&] {
            std::vector<std::wstring> listed;
            CollectTrueTypeFamilies(listed, window);
            (void)windowBaseline.AddedFamily(listed);
        });
        floorDraw.Time([&] {
            TBitmap cell;
            cell.SetSize(105, 105);
            DrawFaceText(cell.Canvas(), window, face, std::string(), 0, 0, kThumbnailPoints);
        });
        remove.Time([&] { RemoveFontResourceExW(path.c_str(), FR_PRIVATE, nullptr); });
    }
    if (counted == 0) Fail("no file of the folder registers");
    std::printf("  per file, one step at a time in one process (%d files):\n", counted);
    for (const Step& step : {check, add, name, ownName, draw, pixels, remove, floorName, floorDraw})
        if (step.count > 0) std::printf("    %-40s %7.3f ms\n", step.name, step.seconds * 1000 / step.count);
}

// The floor in a fresh process: its seconds and the faces it drew.
std::pair<double, int> FloorInFreshProcess(const std::string& folder) {
    double seconds = 0;
    int drawn = 0;
    if (std::sscanf(OutputOfFreshProcess(kFloorSwitch, folder).c_str(), "%lf %d", &seconds, &drawn) != 2)
        Fail("the floor of " + folder + " printed no figures");
    return {seconds, drawn};
}

void MeasureFolder(const std::string& folder) {
    const FileList files = FontFilesIn(folder);
    if (files.empty()) Fail("no font files in " + folder);
    double floorBest = 1e9, scanBest = 1e9, firstBest = 1e9, clickBest = 1e9, longestWait = 0, bytesPerFont = 0;
    int floorDrawn = 0, scanComplete = 0, firstComplete = 0;
    std::string firstAll, warmAll;
    // Rounds interleave the two and keep each one's best, so that the machine's load and the
    // file cache weigh on both alike.
    for (int round = 0; round < kRounds; ++round) {
        const auto [floor, drawn] = FloorInFreshProcess(folder);
        floorBest = std::min(floorBest, floor);
        floorDrawn = drawn;
        const FirstScan first = FirstScanInFreshProgram(folder);
        scanBest = std::min(scanBest, first.warm);
        scanComplete = first.warmComplete;
        if (!warmAll.empty()) warmAll += ' ';
        warmAll += std::to_string(int(first.warm * 1000 + 0.5));
        firstBest = std::min(firstBest, first.scan);
        clickBest = std::min(clickBest, first.click);
        firstComplete = first.complete;
        longestWait = std::max(longestWait, first.longestWaitMs);
        bytesPerFont = std::max(bytesPerFont, first.bytesPerFont);
        if (!firstAll.empty()) firstAll += ' ';
        firstAll += std::to_string(int(first.scan * 1000 + 0.5));
    }
    if (firstComplete < floorDrawn) {
        Fail(folder + ": the first scan completed " + std::to_string(firstComplete) + " rows where the floor drew " +
             std::to_string(floorDrawn));
    }
    if (scanComplete < floorDrawn) {
        Fail(folder + ": the scan completed " + std::to_string(scanComplete) + " rows where the floor drew " +
             std::to_string(floorDrawn));
    }
    std::printf("%s: %u fonts\n", folder.c_str(), unsigned(files.size()));
    std::printf("  %-40s %7.3f s %8.1f files/s  drew %d\n", "floor (add, enumerate, draw, remove)", floorBest,
                files.size() / floorBest, floorDrawn);
    std::printf("  %-40s %7.3f s %8.1f files/s  complete rows %d  %.2fx floor  (all: %s ms)\n",
                "first scan of a fresh program", firstBest, files.size() / firstBest, firstComplete,
                firstBest / floorBest, firstAll.c_str());
    std::printf("  %-40s %7.3f s   (the tree opens the folder, then the scan)\n", "  the click as a whole", clickBest);
    std::printf("  %-40s %7.1f ms (longest of the first scans)\n", "  the window's slowest answer", longestWait);
    std::printf("  %-40s %7.0f bytes (beyond the thumbnail cache)\n", "  memory kept per listed font", bytesPerFont);
    std::printf("  %-40s %7.3f s %8.1f files/s  complete rows %d  %.2fx floor  (all: %s ms)\n",
                "the same program's next scan (warm)", scanBest, files.size() / scanBest, scanComplete, scanBest / floorBest,
                warmAll.c_str());
    // This process's window scans the folder too, for its preview and for the helper it keeps.
    if (RunMainWindowScan(folder, files.size()) < floorDrawn) Fail(folder + ": this process's scan is incomplete");
    MeasureHelperStart(files.front());
    MeasureHelperAlone(files);
    std::fputs(OutputOfFreshProcess(kStepsSwitch, folder).c_str(), stdout);
    MeasurePreview(files.front());
    std::fflush(stdout);
}

// One fresh program's scan of a folder too large for rounds: its rows across the list must
// show their thumbnails when scrolled to.
void MeasureHugeFolder(const std::string& folder) {
    const size_t files = FontFilesIn(folder).size();
    if (files == 0) Fail("no font files in " + folder);
    const FirstScan first = FirstScanInFreshProgram(folder, true);
    if (first.sampledRows != kSampledRows) {
        Fail(folder + ": " + std::to_string(kSampledRows - first.sampledRows) + " of " +
             std::to_string(kSampledRows) + " rows scrolled into view showed no thumbnail");
    }
    std::printf("%s: %u fonts, one first scan\n", folder.c_str(), unsigned(files));
    std::printf("  %-40s %7.3f s %8.1f files/s\n", "first scan of a fresh program", first.scan, files / first.scan);
    std::printf("  %-40s %7.1f ms\n", "  the window's slowest answer", first.longestWaitMs);
    std::printf("  %-40s %7.0f bytes (cache %.1f MB)\n", "  memory kept per listed font", first.bytesPerFont,
                first.cacheBytes / 1048576.0);
    std::printf("  %-40s %d of %d, the last one included\n", "  rows scrolled to with their thumbnail",
                first.sampledRows, kSampledRows);
    std::fflush(stdout);
}

int InstalledTrueTypeFamilies(HWND window) {
    std::vector<std::wstring> families;
    CollectTrueTypeFamilies(families, window);
    std::sort(families.begin(), families.end());
    return int(std::unique(families.begin(), families.end()) - families.begin());
}

// A window never shown, whose context the floor draws on as a program's window would give it.
// The first enumeration of a process builds the system's font cache: it is made here, outside
// the figures.
HWND WindowForTheFloor() {
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 105, 105, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!window) Fail("cannot make a window for the floor");
    InstalledTrueTypeFamilies(window);
    return window;
}

int RunFloorHere(const std::string& folder) {
    const FileList files = FontFilesIn(folder);
    HWND window = WindowForTheFloor();
    int drawn = 0;
    const double seconds = Timed([&] { drawn = RunFloor(files, window); });
    std::printf("%.6f %d\n", seconds, drawn);
    return 0;
}

int MeasureHelperStepsHere(const std::string& folder) {
    MeasureHelperSteps(FontFilesIn(folder), WindowForTheFloor());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The scan's font vetting helper is this executable started with the switch.
    if (argc == 2 && std::strcmp(argv[1], kFontVettingSwitch) == 0)
        return RunFontVettingHelper(GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE));
    TApplication application;
    application.Initialize();
    application.SetTitle("Sorvane");
    if (argc == 3 && std::strcmp(argv[1], kFirstScanSwitch) == 0) return RunFirstScan(argv[2], false);
    if (argc == 3 && std::strcmp(argv[1], kSampleRowsSwitch) == 0) return RunFirstScan(argv[2], true);
    if (argc == 3 && std::strcmp(argv[1], kFloorSwitch) == 0) return RunFloorHere(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], kStepsSwitch) == 0) return MeasureHelperStepsHere(argv[2]);
    std::vector<std::string> folders, hugeFolders;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--huge") == 0 && i + 1 < argc) {
            hugeFolders.push_back(argv[++i]);
        } else {
            folders.push_back(argv[i]);
        }
    }
    if (folders.empty() && hugeFolders.empty()) {
        std::fprintf(stderr, "usage: scan_bench <folder of fonts>...\n");
        return 2;
    }
    // Huge folders are scanned by fresh programs only.
    HWND window = folders.empty() ? nullptr : MainWindow().Handle();
    // The first enumeration of a process builds the system's font cache; keep it out of the figures.
    std::printf("%d TrueType families installed\n", InstalledTrueTypeFamilies(window));
    for (const std::string& folder : folders) MeasureFolder(folder);
    for (const std::string& folder : hugeFolders) MeasureHugeFolder(folder);
    if (!folders.empty()) MeasureIdleHelper();
    return 0;
}
