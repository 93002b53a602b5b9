#include <windows.h>

#include <memory>

#include "app/main_window.h"
#include "components/font_face_table.h"
#include "app/version_dialog.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    BuildFaceTable();  // the installed faces, once, before any window exists
    TApplication application;
    application.Initialize();
    application.SetTitle("Sorvane");
    auto mainWindow = std::make_unique<TfrmMain>(nullptr);
    auto versionDialog = std::make_unique<TfrmVersion>(nullptr);
    mainWindow->VersionDialog = versionDialog.get();
    application.Run();
    return 0;
}
