#pragma once
#include <windows.h>

#include <functional>

// The visual-theme library ("UxTheme.dll"), loaded at run time: systems before Windows XP have
// none, and under Wine themes are normally off. Every entry point passes through one replaceable
// function so that tests can switch themes on and record what would be drawn.

using HTHEME = HANDLE;

struct TThemeApi {
    std::function<BOOL()> IsThemeActive;
    std::function<HTHEME(HWND window, LPCWSTR classList)> OpenThemeData;
    std::function<HRESULT(HTHEME theme)> CloseThemeData;
    std::function<HRESULT(HTHEME theme, HDC dc, int part, int state, const RECT* r, const RECT* clip)>
        DrawThemeBackground;
    std::function<HRESULT(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int length, DWORD flags,
                          DWORD flags2, const RECT* r)>
        DrawThemeText;
    std::function<HRESULT(HTHEME theme, HDC dc, int part, int state, const RECT* r, UINT edge, UINT flags,
                          RECT* content)>
        DrawThemeEdge;
};

// Process-wide; an entry point the library lacks stays empty.
TThemeApi& ThemeApi();
// The library's own entry points again.
void ResetThemeApi();
// IsThemeActive; a missing library counts as themes off.
bool ThemesActive();

// Theme classes and the parts and states the skins draw.
inline constexpr wchar_t ThemeClassToolbar[] = L"Toolbar";
inline constexpr wchar_t ThemeClassReBar[] = L"ReBar";
inline constexpr wchar_t ThemeClassMenu[] = L"Menu";
inline constexpr wchar_t ThemeClassWindow[] = L"Window";

enum : int { TP_BUTTON = 1, TP_DROPDOWNBUTTON = 2, TP_SPLITBUTTON = 3, TP_SPLITBUTTONDROPDOWN = 4, TP_SEPARATOR = 5,
             TP_SEPARATORVERT = 6 };
enum : int { TS_NORMAL = 1, TS_HOT = 2, TS_PRESSED = 3, TS_DISABLED = 4, TS_CHECKED = 5, TS_HOTCHECKED = 6 };
enum : int { RP_GRIPPER = 1, RP_GRIPPERVERT = 2, RP_BAND = 3, RP_CHEVRON = 4, RP_CHEVRONVERT = 5 };
enum : int { CHEVS_NORMAL = 1, CHEVS_HOT = 2, CHEVS_PRESSED = 3 };

// One theme class opened for a window, closed at the end of the scope. Null when themes are
// unavailable; drawing through a null theme does nothing.
class ThemeHandle {
public:
    ThemeHandle(HWND window, LPCWSTR classList);
    ~ThemeHandle();
    ThemeHandle(const ThemeHandle&) = delete;
    ThemeHandle& operator=(const ThemeHandle&) = delete;
    HTHEME get() const { return theme_; }
    explicit operator bool() const { return theme_ != nullptr; }

    void DrawBackground(HDC dc, int part, int state, const RECT& r) const;
    void DrawEdge(HDC dc, int part, int state, const RECT& r, UINT edge, UINT flags) const;
    // The text in the system code page, converted for the wide-only theme routine.
    void DrawText(HDC dc, int part, int state, const char* text, DWORD flags, const RECT& r) const;

private:
    HTHEME theme_ = nullptr;
};

// Opens the class, draws one part and closes the class again.
void DrawThemePart(HWND window, HDC dc, LPCWSTR classList, int part, int state, const RECT& r);
