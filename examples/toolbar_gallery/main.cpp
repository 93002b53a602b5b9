// The toolbar gallery: every part of the toolbar framework in one window.
//   toolbar_gallery [--skin officexp|windowsxp|native|disabled] [--colors officexp|windowsxp|distinct]
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gallery_form.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::vector<std::string> args(__argv + 1, __argv + __argc);
    TGalleryOptions options;
    try {
        options = ParseGalleryOptions(args);
    } catch (const EGalleryUsage& error) {
        MessageBoxA(nullptr, error.what(), "Toolbar gallery", MB_OK | MB_ICONERROR);
        return 2;
    }
    TApplication application;
    application.Initialize();
    application.SetTitle("Toolbar gallery");
    auto form = std::make_unique<TGalleryForm>(nullptr, options);
    form->Show();
    application.Run();
    return 0;
}
