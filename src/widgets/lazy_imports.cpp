// System functions bound at their first call instead of at the program's start.
//
// The font vetting helper is this executable, started afresh for every folder scan, and it never
// calls the common controls, the shell, OLE, accessibility, the common dialogs or the sound
// library; on Wine, loading those libraries is most of what starting a process costs. So the
// program does not import them. A call the compiler makes to an imported function goes through
// the function's import slot ("__imp__Name@bytes"); here each slot is defined by us and starts
// out pointing at a stub, which loads the library, puts the real function into the slot and
// calls it. Later calls go straight to the function. A function used without an entry here
// fails to link, since the program does not link these libraries. The version library is bound
// here too, though the helper never needs it either way: imported, it would be searched for in
// the program's folder first, where the loader finds a planted copy before the system's.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <objbase.h>
#include <oleacc.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <winver.h>

#include "widgets/system_library.h"

namespace {

void* Resolve(const char* library, const char* name) {
    HMODULE module = LoadSystemLibrary(library);
    FARPROC function = module ? GetProcAddress(module, name) : nullptr;
    // A system library without its function: nothing sensible can go on.
    if (!function) FatalAppExitA(0, name);
    return reinterpret_cast<void*>(function);
}

template <auto* Slot, const char* Library, const char* Name, typename Function>
struct LazyStub;

template <auto* Slot, const char* Library, const char* Name, typename R, typename... A>
struct LazyStub<Slot, Library, Name, R(WINAPI*)(A...)> {
    static R WINAPI Call(A... arguments) {
        // Two threads may both get here first; both store the same function.
        *Slot = reinterpret_cast<R(WINAPI*)(A...)>(Resolve(Library, Name));
        return (*Slot)(arguments...);
    }
};

constexpr char kComCtl32[] = "comctl32.dll";
constexpr char kComDlg32[] = "comdlg32.dll";
constexpr char kOle32[] = "ole32.dll";
constexpr char kOleAcc[] = "oleacc.dll";
constexpr char kOleAut32[] = "oleaut32.dll";
constexpr char kShell32[] = "shell32.dll";
constexpr char kShlwapi[] = "shlwapi.dll";
constexpr char kVersion[] = "version.dll";
constexpr char kWinMM[] = "winmm.dll";

}  // namespace

// One import slot: `decorated` is the function's name as the import library exports it.
#define SORVANE_LAZY_IMPORT(library, function, decorated)                                   \
    namespace {                                                                             \
    constexpr char kName_##function[] = #function;                                          \
    }                                                                                       \
    decltype(&::function) sorvane_import_##function asm("__imp__" decorated) =              \
        &LazyStub<&sorvane_import_##function, library, kName_##function, decltype(&::function)>::Call;

SORVANE_LAZY_IMPORT(kComCtl32, ImageList_Add, "ImageList_Add@12")
SORVANE_LAZY_IMPORT(kComCtl32, ImageList_AddMasked, "ImageList_AddMasked@12")
SORVANE_LAZY_IMPORT(kComCtl32, ImageList_Create, "ImageList_Create@20")
SORVANE_LAZY_IMPORT(kComCtl32, ImageList_Destroy, "ImageList_Destroy@4")
SORVANE_LAZY_IMPORT(kComCtl32, ImageList_Draw, "ImageList_Draw@24")
SORVANE_LAZY_IMPORT(kComCtl32, ImageList_DrawEx, "ImageList_DrawEx@40")
SORVANE_LAZY_IMPORT(kComCtl32, ImageList_GetImageCount, "ImageList_GetImageCount@4")
SORVANE_LAZY_IMPORT(kComCtl32, ImageList_Remove, "ImageList_Remove@8")
SORVANE_LAZY_IMPORT(kComCtl32, ImageList_Replace, "ImageList_Replace@16")
SORVANE_LAZY_IMPORT(kComCtl32, ImageList_SetBkColor, "ImageList_SetBkColor@8")
SORVANE_LAZY_IMPORT(kComCtl32, InitCommonControlsEx, "InitCommonControlsEx@4")
SORVANE_LAZY_IMPORT(kComDlg32, GetSaveFileNameW, "GetSaveFileNameW@4")
SORVANE_LAZY_IMPORT(kOle32, CoInitialize, "CoInitialize@4")
SORVANE_LAZY_IMPORT(kOle32, CoTaskMemFree, "CoTaskMemFree@4")
SORVANE_LAZY_IMPORT(kOle32, CoUninitialize, "CoUninitialize@0")
SORVANE_LAZY_IMPORT(kOleAcc, CreateStdAccessibleObject, "CreateStdAccessibleObject@16")
SORVANE_LAZY_IMPORT(kOleAcc, LresultFromObject, "LresultFromObject@12")
SORVANE_LAZY_IMPORT(kOleAut32, SysAllocString, "SysAllocString@4")
SORVANE_LAZY_IMPORT(kShell32, ILCombine, "ILCombine@8")
SORVANE_LAZY_IMPORT(kShell32, ILFindLastID, "ILFindLastID@4")
SORVANE_LAZY_IMPORT(kShell32, ILIsParent, "ILIsParent@12")
SORVANE_LAZY_IMPORT(kShell32, SHGetDesktopFolder, "SHGetDesktopFolder@4")
SORVANE_LAZY_IMPORT(kShell32, SHGetFileInfoA, "SHGetFileInfoA@20")
SORVANE_LAZY_IMPORT(kShell32, SHGetPathFromIDListW, "SHGetPathFromIDListW@8")
SORVANE_LAZY_IMPORT(kShell32, SHGetSpecialFolderLocation, "SHGetSpecialFolderLocation@12")
SORVANE_LAZY_IMPORT(kShell32, ShellExecuteA, "ShellExecuteA@24")
SORVANE_LAZY_IMPORT(kShlwapi, StrRetToBufW, "StrRetToBufW@16")
SORVANE_LAZY_IMPORT(kVersion, GetFileVersionInfoA, "GetFileVersionInfoA@16")
SORVANE_LAZY_IMPORT(kVersion, GetFileVersionInfoSizeA, "GetFileVersionInfoSizeA@8")
SORVANE_LAZY_IMPORT(kVersion, VerQueryValueA, "VerQueryValueA@16")
SORVANE_LAZY_IMPORT(kWinMM, PlaySoundA, "PlaySoundA@12")
