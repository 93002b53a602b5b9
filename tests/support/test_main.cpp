#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fonts/font_vetting.h"
#include "widgets/application.h"

namespace {

// The font vetting helper is this executable started with the helper switch, as in the program.
// Files named for it make the test helper hang or fault, so tests can reach those paths without
// depending on which damaged fonts the platform's drawing happens to fault on.
void MisbehaveWhenAsked(const TFontDrawing& drawing) {
    if (drawing.path.find("helper-hangs") != std::string::npos) Sleep(INFINITE);
    if (drawing.path.find("helper-faults") != std::string::npos) RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
}

}  // namespace

// Every test program is a GUI client: one application object, as in the program itself.
int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], kFontVettingSwitch) == 0)
        return RunFontVettingHelper(GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE), MisbehaveWhenAsked);
    TApplication application;
    application.Initialize();
    application.SetTitle("Sorvane");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
