// Files per second of the ways to turn a folder of font files into face names.
//
//   scan_bench <folder> [<folder>...]
//
// Each folder holds *.ttf files whose family name equals the file name without ".ttf"
// (tests/fonts/make_fonts.py --many N <folder>); bench/run_scan_bench makes them and runs this.
// With SORVANE_BENCH_HIDDEN set the main window is never shown, which separates the cost of
// painting the scan's progress from the rest. Every measurement handles every file of a folder;
// "named" counts the files whose face name came out right, as a check that a fast figure is not
// a wrong one.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "fonts/temp_font.h"
#include "widgets/application.h"

namespace {

using FileList = std::vector<std::string>;

constexpr int kRounds = 5;

struct Measurement {
    const char* name;
    // Handles every file; returns how many were named right (the floor: how many registered).
    std::function<int(const FileList& files, HWND window)> run;
};

std::string FamilyOfBenchFile(const std::string& path) {
    const std::string file = path.substr(path.find_last_of('\\') + 1);
    return file.substr(0, file.size() - 4);
}

int CALLBACK AppendFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD fontType, LPARAM data) {
    if (fontType & TRUETYPE_FONTTYPE) reinterpret_cast<std::vector<std::string>*>(data)->push_back(font->lfFaceName);
    return 1;
}

// The least any lookup must do: register, enumerate once, unregister.
int RunFloor(const FileList& files, HWND window) {
    int named = 0;
    for (const std::string& path : files) {
        std::vector<std::string> families;
        if (AddFontResourceA(path.c_str()) <= 0) continue;
        HDC dc = GetDC(window);
        EnumFontFamiliesA(dc, nullptr, AppendFamily, reinterpret_cast<LPARAM>(&families));
        ReleaseDC(window, dc);
        RemoveFontResourceA(path.c_str());
        ++named;
    }
    return named;
}

int RunFaceNameLookup(const FileList& files, HWND window, bool reuseBaseline) {
    const TFamilyBaseline baseline = TFamilyBaseline::Capture(window);
    int named = 0;
    for (const std::string& path : files) {
        const std::string face = FontFaceNameOf(path, window, reuseBaseline ? &baseline : nullptr);
        named += face == FamilyOfBenchFile(path);
    }
    return named;
}

// The font work of the scan without its window: the face name, then the file registered again
// for its thumbnail.
int RunFaceNameAndSecondRegistration(const FileList& files, HWND window) {
    const TFamilyBaseline baseline = TFamilyBaseline::Capture(window);
    int named = 0;
    for (const std::string& path : files) {
        named += FontFaceNameOf(path, window, &baseline) == FamilyOfBenchFile(path);
        if (LoadTempFont(path)) UnloadTempFont();
    }
    return named;
}

// Add a measurement here to compare it with the floor.
double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// The main window, made once: its scan and preview are measured as a user runs them.
TfrmMain& MainWindow() {
    static std::unique_ptr<TfrmMain> form = [] {
        auto made = std::make_unique<TfrmMain>(nullptr);
        if (!getenv("SORVANE_BENCH_HIDDEN")) made->Show();
        return made;
    }();
    return *form;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

// The whole scan of the main window, thumbnails included, over the folder of `files`.
int RunMainWindowScan(const FileList& files, HWND) {
    TfrmMain& form = MainWindow();
    const std::string folder = FolderOf(files.front());
    if (form.ShellTreeView1->Path() != folder && !form.ShellTreeView1->SelectPath(folder)) {
        std::fprintf(stderr, "cannot select %s in the folder tree (at %s)\n", folder.c_str(), form.ShellTreeView1->Path().c_str());
        return 0;
    }
    if (form.ListView1->Count() == 0) form.ShellTreeView1Change(form.ShellTreeView1, nullptr);  // same folder again
    int named = 0;
    for (int row = 0; row < form.ListView1->Count(); ++row) {
        std::string file = form.ListView1->SubItem(row, 0);
        named += form.ListView1->SubItem(row, 1) == file.substr(0, file.size() - 4) && form.ListView1->ImageIndex(row) >= 0;
    }
    form.ListView1->Clear();
    return named;
}

// One preview of the first file: two passes, each with its registration and face look-up.
void MeasurePreview(const FileList& files) {
    TfrmMain& form = MainWindow();
    form.lblFontFileName->SetCaption(files.front());
    std::string file = files.front().substr(files.front().find_last_of('\\') + 1);
    form.lblSelectedFontName->SetCaption(file.substr(0, file.size() - 4));
    form.Edit1->SetText("Sorvane preview");
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        form.btnFontPreviewClick(form.btnFontPreview);
        QueryPerformanceCounter(&end);
        best = std::min(best, Seconds(start, end));
    }
    std::printf("  %-42s %8.1f ms\n", "one preview (two passes)", best * 1000);
}

std::vector<Measurement> Measurements() {
    return {
        {"floor (add, one enumeration, remove)", RunFloor},
        {"FontFaceNameOf, baseline per scan",
         [](const FileList& files, HWND window) { return RunFaceNameLookup(files, window, true); }},
        {"FontFaceNameOf, baseline per file",
         [](const FileList& files, HWND window) { return RunFaceNameLookup(files, window, false); }},
        {"FontFaceNameOf + second registration", RunFaceNameAndSecondRegistration},
        {"main window scan with thumbnails", RunMainWindowScan},
    };
}

FileList FontFilesIn(const std::string& folder) {
    FileList files;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*.ttf").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + "\\" + entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return files;
}

void MeasureFolder(const std::string& folder, HWND window) {
    const FileList files = FontFilesIn(folder);
    std::printf("%s: %u fonts\n", folder.c_str(), unsigned(files.size()));
    if (files.empty()) return;
    const std::vector<Measurement> measurements = Measurements();
    std::vector<double> best(measurements.size(), 0);
    std::vector<int> named(measurements.size(), 0);
    // Rounds interleave the measurements and keep each one's best time, so that the load of
    // the machine and the file cache weigh on all of them alike.
    for (int round = 0; round < kRounds; ++round) {
        for (size_t i = 0; i < measurements.size(); ++i) {
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            named[i] = measurements[i].run(files, window);
            QueryPerformanceCounter(&end);
            const double seconds = Seconds(start, end);
            if (round == 0 || seconds < best[i]) best[i] = seconds;
        }
    }
    for (size_t i = 0; i < measurements.size(); ++i) {
        std::printf("  %-42s %8.1f files/s  %6.3f s  %5.2fx floor time  named %d/%u\n", measurements[i].name,
                    files.size() / best[i], best[i], best[i] / best[0], named[i], unsigned(files.size()));
    }
    MeasurePreview(files);
}

}  // namespace

int main(int argc, char** argv) {
    TApplication application;
    application.Initialize();
    HWND window = CreateWindowA("STATIC", "scan_bench", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (argc < 2) {
        std::fprintf(stderr, "usage: scan_bench <folder of fonts>...\n");
        return 2;
    }
    // The first enumeration of a process builds the system's font cache; keep it out of the figures.
    std::vector<std::string> warmUp;
    CollectTrueTypeFamilies(warmUp, window);
    application.SetTitle("Sorvane");
    for (int i = 1; i < argc; ++i) MeasureFolder(argv[i], window);
    DestroyWindow(window);
    return 0;
}
