#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "fonts/face_text.h"
#include "fonts/font_vetting.h"
#include "fonts/temp_font.h"
#include "support/test_env.h"
#include "widgets/application.h"
#include "widgets/graphics.h"
#include "widgets/wide_text.h"

namespace {

// The font vetting helper is this executable started with the helper switch, as in the program.
// Files named for it make the test helper hang or fault, so tests can reach those paths without
// depending on which damaged fonts the platform's drawing happens to fault on; for files named
// "helper-notes" it writes down in their folder's drawn.txt that it reached them. At a file named
// "helper-breaks-input" it closes its input, notes that in the folder's broken.txt and waits; a file
// named "helper-installs" stays registered for the rest of its life, as a family installed while
// the program runs.
void MisbehaveWhenAsked(const TFontDrawing& drawing) {
    const std::wstring folder = drawing.path.substr(0, drawing.path.find_last_of(L'\\') + 1);
    auto note = [&](const wchar_t* name) {
        HANDLE file = CreateFileW((folder + name).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE) WriteFile(file, "x", 1, &written, nullptr), CloseHandle(file);
    };
    if (drawing.path.find(L"helper-notes") != std::wstring::npos) note(L"drawn.txt");
    if (drawing.path.find(L"helper-breaks-input") != std::wstring::npos) {
        CloseHandle(GetStdHandle(STD_INPUT_HANDLE));
        note(L"broken.txt");
        Sleep(INFINITE);
    }
    // "helper-face-faults-<face>" (a collection) faults when that one of its faces is drawn.
    const size_t faceFault = drawing.path.find(L"helper-face-faults-");
    if (faceFault != std::wstring::npos && !drawing.face.empty() &&
        drawing.path.compare(faceFault + 19, drawing.face.size(), drawing.face) == 0)
        RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
    if (drawing.path.find(L"helper-hangs") != std::wstring::npos) Sleep(INFINITE);
    if (drawing.path.find(L"helper-faults") != std::wstring::npos) RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
    if (drawing.path.find(L"helper-installs") != std::wstring::npos)
        AddFontResourceExW(drawing.path.c_str(), FR_PRIVATE, nullptr);
}

LONG WINAPI ExitOnFault(EXCEPTION_POINTERS*) {
    TerminateProcess(GetCurrentProcess(), kDrawProbeFaulted);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Registers a font file with the system and draws its face name as a thumbnail, in this fresh
// process and without any check or vetting of the program's: the tests learn this way which
// files fault the system's drawing.
int DrawProbe(const std::string& ansiPath) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(ExitOnFault);
    const std::wstring path = WideFromAnsi(ansiPath);
    const TFamilyBaseline baseline = TFamilyBaseline::Capture(nullptr);
    if (AddFontResourceExW(path.c_str(), FR_PRIVATE, nullptr) <= 0) return kDrawProbeUnregistrable;
    const std::wstring face = FaceNameOfRegisteredFile(path, nullptr, baseline);
    TBitmap bitmap;
    bitmap.SetSize(100, 50);
    DrawFaceText(bitmap.Canvas(), nullptr, face, std::string(), 0, 0, 30);
    RemoveFontResourceExW(path.c_str(), FR_PRIVATE, nullptr);
    return kDrawProbeDrawn;
}

std::map<std::string, int (*)(const std::string&)>& ChildModes() {
    static std::map<std::string, int (*)(const std::string&)> modes;
    return modes;
}

}  // namespace

TChildMode::TChildMode(const char* switchName, int (*run)(const std::string& argument)) { ChildModes()[switchName] = run; }

// Every test program is a GUI client: one application object, as in the program itself.
int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], kFontVettingSwitch) == 0) {
        // A helper that cannot come up, for tests of the program without one.
        if (GetEnvironmentVariableA(kHelperDiesVariable, nullptr, 0) > 0) return 1;
        return RunFontVettingHelper(GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE), MisbehaveWhenAsked);
    }
    if (argc == 3 && std::strcmp(argv[1], kDrawProbeSwitch) == 0) return DrawProbe(argv[2]);
    TApplication application;
    application.Initialize();
    application.SetTitle("Sorvane");
    if (argc == 3 && ChildModes().count(argv[1])) return ChildModes()[argv[1]](argv[2]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
