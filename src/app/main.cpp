#include <windows.h>

#include "widgets/application.h"
#include "widgets/form.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    TApplication application;
    application.Initialize();
    application.SetTitle("Sorvane");
    TForm form(nullptr);
    form.SetBounds(222, 241, 767, 543);
    form.SetCaption("Sorvane");
    application.Run();
    return 0;
}
