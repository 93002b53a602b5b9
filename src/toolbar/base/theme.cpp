#include "toolbar/base/theme.h"

#include <string>

#include "widgets/system_library.h"

namespace {

// The library stays loaded for the life of the process once it was found.
class ThemeLibrary {
public:
    ThemeLibrary() : module_(LoadSystemLibrary("uxtheme.dll")) {}
    ~ThemeLibrary() { if (module_) FreeLibrary(module_); }
    ThemeLibrary(const ThemeLibrary&) = delete;
    ThemeLibrary& operator=(const ThemeLibrary&) = delete;

    template <class Proc>
    Proc Entry(const char* name) const {
        return module_ ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    }

private:
    HMODULE module_;
};

const ThemeLibrary& Library() {
    static const ThemeLibrary library;
    return library;
}

TThemeApi LibraryApi() {
    const ThemeLibrary& lib = Library();
    TThemeApi api;
    if (auto p = lib.Entry<BOOL(WINAPI*)()>("IsThemeActive")) api.IsThemeActive = p;
    if (auto p = lib.Entry<HTHEME(WINAPI*)(HWND, LPCWSTR)>("OpenThemeData")) api.OpenThemeData = p;
    if (auto p = lib.Entry<HRESULT(WINAPI*)(HTHEME)>("CloseThemeData")) api.CloseThemeData = p;
    if (auto p = lib.Entry<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*)>("DrawThemeBackground"))
        api.DrawThemeBackground = p;
    if (auto p = lib.Entry<HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*)>(
            "DrawThemeText"))
        api.DrawThemeText = p;
    if (auto p = lib.Entry<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, UINT, UINT, RECT*)>("DrawThemeEdge"))
        api.DrawThemeEdge = p;
    return api;
}

}  // namespace

TThemeApi& ThemeApi() {
    static TThemeApi api = LibraryApi();
    return api;
}

void ResetThemeApi() { ThemeApi() = LibraryApi(); }

bool ThemesActive() {
    const auto& active = ThemeApi().IsThemeActive;
    return active && active();
}

ThemeHandle::ThemeHandle(HWND window, LPCWSTR classList) {
    const TThemeApi& api = ThemeApi();
    if (api.OpenThemeData && ThemesActive()) theme_ = api.OpenThemeData(window, classList);
}

ThemeHandle::~ThemeHandle() {
    if (theme_ && ThemeApi().CloseThemeData) ThemeApi().CloseThemeData(theme_);
}

void ThemeHandle::DrawBackground(HDC dc, int part, int state, const RECT& r) const {
    if (theme_ && ThemeApi().DrawThemeBackground) ThemeApi().DrawThemeBackground(theme_, dc, part, state, &r, nullptr);
}

void ThemeHandle::DrawEdge(HDC dc, int part, int state, const RECT& r, UINT edge, UINT flags) const {
    if (theme_ && ThemeApi().DrawThemeEdge) ThemeApi().DrawThemeEdge(theme_, dc, part, state, &r, edge, flags, nullptr);
}

void ThemeHandle::DrawText(HDC dc, int part, int state, const char* text, DWORD flags, const RECT& r) const {
    if (!theme_ || !ThemeApi().DrawThemeText) return;
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    ThemeApi().DrawThemeText(theme_, dc, part, state, wide.c_str(), length - 1, flags, 0, &r);
}

void DrawThemePart(HWND window, HDC dc, LPCWSTR classList, int part, int state, const RECT& r) {
    ThemeHandle theme(window, classList);
    theme.DrawBackground(dc, part, state, r);
}
