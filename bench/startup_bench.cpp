// Start-up time: creating the main window and painting it for the first time.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/main_window.h"
#include "app/version_dialog.h"

namespace {
double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}
}  // namespace

int main() {
    TApplication application;
    application.Initialize();
    application.SetTitle("Sorvane");
    for (int run = 0; run < 3; ++run) {
        double start = Now();
        auto form = std::make_unique<TfrmMain>(nullptr);
        double created = Now();
        auto version = std::make_unique<TfrmVersion>(nullptr);
        form->Show();
        UpdateWindow(form->Handle());
        application.ProcessMessages();
        double painted = Now();
        std::printf("run %d: main window created %.1f ms, first painted %.1f ms after start\n", run, created - start,
                    painted - start);
        double closing = Now();
        if (getenv("SORVANE_BENCH_DETAIL")) {
            for (int i = form->ComponentCount() - 1; i >= 0; --i) {
                TComponent* c = form->Components(i);
                std::string name = c->Name();
                double t = Now();
                delete c;
                if (Now() - t > 50) std::printf("        %s freed in %.1f ms\n", name.c_str(), Now() - t);
            }
        }
        version.reset();
        double v = Now();
        form->Hide();
        application.ProcessMessages();
        double h = Now();
        form.reset();
        std::printf("        version %.1f hide %.1f destroy %.1f\n", v - closing, h - v, Now() - h);
        application.ProcessMessages();
        std::printf("        freed in %.1f ms\n", Now() - closing);
    }
    return 0;
}
