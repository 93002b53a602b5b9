#pragma once
#include <windows.h>

// Libraries of the system are loaded from the system folder only. Searched by bare name, a
// library that is not on the system's known-libraries list is taken from the program's own
// folder first, and Sorvane is a portable program that people run from their downloads: a
// comctl32.dll or winmm.dll lying beside it would run inside it.

// Makes the system folder the only place later loads by bare name search, the system's own
// loads included; does nothing where the system cannot. Every program that links this library
// calls it before any static object is made: the first call to the window system loads the
// theme library, and static objects make such calls.
void RestrictLibrarySearchToSystemFolder();

// The library `name` ("comctl32.dll") from the system folder, or null. The module stays loaded
// until FreeLibrary, as with LoadLibrary.
HMODULE LoadSystemLibrary(const char* name);
