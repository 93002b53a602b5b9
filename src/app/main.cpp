#include <windows.h>

#include <exception>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/version_dialog.h"
#include "components/font_face_table.h"
#include "fonts/font_vetting.h"

namespace {

int RunViewer() {
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

int ReportStartFailure(const std::string& reason) {
    const std::string message = "Sorvane を起動できませんでした。\r\n" + reason;
    MessageBoxA(nullptr, message.c_str(), "Sorvane", MB_OK | MB_ICONERROR);
    return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    if (arguments && std::string(arguments) == kFontVettingSwitch)
        return RunFontVettingHelper(GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE));
    try {
        return RunViewer();
    } catch (const std::exception& error) {
        return ReportStartFailure(error.what());
    } catch (...) {
        return ReportStartFailure("原因不明のエラーです。");
    }
}
