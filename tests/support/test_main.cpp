#include <gtest/gtest.h>

#include "widgets/application.h"

// Every test program is a GUI client: one application object, as in the program itself.
int main(int argc, char** argv) {
    TApplication application;
    application.Initialize();
    application.SetTitle("Sorvane");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
