// Time of building the process-wide face table and of refilling a font-name list box.
//
//   font_list_bench [<picture.bmp>]
//
// The rebuild runs over 300 synthetic faces (a quarter of them filtered out) so that the figure
// does not depend on the machine's fonts. With a file name, the list of the real installed faces
// drawn in their own faces is also saved there, as the installed mode shows it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "components/font_name_list_box.h"
#include "widgets/application.h"
#include "widgets/form.h"
#include "widgets/wide_text.h"

namespace {

// <chrono> does not compile with code page 932 as the execution character set.
struct Clock {
    using time_point = LONGLONG;
    static time_point now() {
        LARGE_INTEGER t;
        QueryPerformanceCounter(&t);
        return t.QuadPart;
    }
};

double MillisecondsSince(Clock::time_point start) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(Clock::now() - start) / static_cast<double>(frequency.QuadPart);
}

TFaceList SyntheticFaces(int count) {
    TFaceList faces;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%sBench Face %04d", i % 4 == 3 ? "@" : "", i);
        uint32_t flags = TRUETYPE_FONTTYPE | (static_cast<uint32_t>(i % 3 == 0 ? SHIFTJIS_CHARSET : ANSI_CHARSET) << 16);
        faces.push_back({name, flags});
    }
    SortFaces(faces);
    return faces;
}

void ProcessPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void SaveWindowPicture(HWND window, const std::string& path) {
    RECT r;
    GetClientRect(window, &r);
    TBitmap picture;
    picture.SetSize(r.right, r.bottom);
    HDC source = GetDC(window);
    BitBlt(picture.Canvas().Handle(), 0, 0, r.right, r.bottom, source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
    std::printf("picture: %s %s\n", path.c_str(), picture.SaveToFile(WideFromAnsi(path)) ? "saved" : "NOT saved");
}

}  // namespace

int main(int argc, char** argv) {
    TApplication application;
    application.Initialize();

    auto start = Clock::now();
    BuildFaceTable();
    double buildMs = MillisecondsSince(start);
    const TFaceList installed = FaceTable();
    std::printf("BuildFaceTable: %.1f ms for %zu faces\n", buildMs, installed.size());

    TForm form(nullptr);
    form.SetBounds(100, 100, 260, 560);
    auto* list = TComponent::Create<TFontNameListBox>(&form);
    list->SetParent(&form);
    list->SetAlign(alClient);
    list->SetItemHeight(16);

    InstallFaceTable(SyntheticFaces(300));
    form.Show();
    ProcessPending();

    const int rounds = 50;
    double total = 0, slowest = 0;
    for (int i = 0; i < rounds; ++i) {
        start = Clock::now();
        list->SetCollectFilters(TFontNameFilters::FromBits(i % 2 ? 255 : 255 & ~(1 << fnfJapanese)));
        double ms = MillisecondsSince(start);
        total += ms;
        if (ms > slowest) slowest = ms;
    }
    start = Clock::now();
    list->Update();
    double paintMs = MillisecondsSince(start);
    std::printf("RebuildItems over 300 faces: %.2f ms average, %.2f ms slowest (%d rebuilds; %d items listed)\n",
                total / rounds, slowest, rounds, list->Count());
    std::printf("first paint after a rebuild: %.2f ms\n", paintMs);

    if (argc > 1) {
        InstallFaceTable(installed);
        list->SetCollectFilters(TFontNameFilters::FromBits(255));
        list->RebuildItems();
        list->SetTextFontFace(true);
        list->SetValue("IPA Pゴシック");
        list->Update();
        ProcessPending();
        Sleep(200);
        ProcessPending();
        SaveWindowPicture(form.Handle(), argv[1]);
    }
    return 0;
}
