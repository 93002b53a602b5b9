#include "toolbar/base/common.h"

#include <mmsystem.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "widgets/control.h"
#include "widgets/handles.h"
#include "widgets/system_library.h"

// ---- System inputs ------------------------------------------------------------------------

namespace {

class RegistryKey {
public:
    RegistryKey(HKEY root, const std::string& path) {
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~RegistryKey() { if (key_) RegCloseKey(key_); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

TRegistryValue ReadRegistryValue(HKEY root, const std::string& path, const std::string& name, DWORD probeSize) {
    TRegistryValue value;
    RegistryKey key(root, path);
    if (!key.get()) return value;
    value.KeyOpened = true;
    std::string buffer(probeSize, '\0');
    DWORD size = probeSize;
    value.Result = RegQueryValueExA(key.get(), name.empty() ? nullptr : name.c_str(), nullptr, &value.Type,
                                    reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (value.Result == ERROR_SUCCESS) value.Data = buffer.substr(0, std::min(size, probeSize));
    return value;
}

template <class Proc>
Proc User32Entry(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

TSystemSeams DefaultSeams() {
    TSystemSeams s;
    s.Version = [] {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof(info);
        TSystemVersion v;
        if (GetVersionExA(&info)) v = {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
        return v;
    };
    s.ParametersInfo = [](UINT action, UINT param, void* data) { return SystemParametersInfoA(action, param, data, 0); };
    s.Metrics = [](int index) { return GetSystemMetrics(index); };
    s.ReadRegistry = ReadRegistryValue;
    s.PlayAlias = [](const char* alias, DWORD flags) { return PlaySoundA(alias, nullptr, flags); };
    s.MessageBeep = [](UINT type) { return ::MessageBeep(type); };
    s.FindUpdateLayeredWindow = [] { return User32Entry<TUpdateLayeredWindowProc>("UpdateLayeredWindow"); };
    s.FindMonitorApi = [] {
        TMonitorApi api;
        api.FromRect = User32Entry<decltype(api.FromRect)>("MonitorFromRect");
        api.FromPoint = User32Entry<decltype(api.FromPoint)>("MonitorFromPoint");
        api.FromWindow = User32Entry<decltype(api.FromWindow)>("MonitorFromWindow");
        api.GetInfo = User32Entry<decltype(api.GetInfo)>("GetMonitorInfoA");
        return api;
    };
    s.PerformanceCounter = [](LARGE_INTEGER& v) { return QueryPerformanceCounter(&v); };
    s.PerformanceFrequency = [](LARGE_INTEGER& v) { return QueryPerformanceFrequency(&v); };
    s.TickCount = [] { return GetTickCount(); };
    s.CursorPos = [] {
        POINT p{};
        GetCursorPos(&p);
        return p;
    };
    return s;
}

// Answers remembered for the life of the process (or until the seams are reset).
struct RememberedAnswers {
    std::optional<int> RegistryMenuShowDelay;
    std::optional<TUpdateLayeredWindowProc> UpdateLayeredWindow;
};

RememberedAnswers& Remembered() {
    static RememberedAnswers answers;
    return answers;
}

bool SystemFlag(UINT action) {
    BOOL value = FALSE;
    return SystemSeams().ParametersInfo(action, 0, &value) && value;
}

}  // namespace

TSystemSeams& SystemSeams() {
    static TSystemSeams seams = DefaultSeams();
    return seams;
}

void ResetSystemSeams() {
    SystemSeams() = DefaultSeams();
    Remembered() = RememberedAnswers{};
}

// ---- System queries -----------------------------------------------------------------------

bool SystemIsXPOrLater() {
    TSystemVersion v = SystemSeams().Version();
    return v.PlatformId == VER_PLATFORM_WIN32_NT && (v.Major > 5 || (v.Major == 5 && v.Minor > 0));
}

bool FlatMenusEnabled() { return SystemIsXPOrLater() && SystemFlag(SPI_GETFLATMENU); }

bool KeyboardCuesShown() {
    if (SystemSeams().Version().Major < 5) return true;
    BOOL shown = FALSE;
    return !SystemSeams().ParametersInfo(SPI_GETKEYBOARDCUES, 0, &shown) || shown;
}

bool MenuAnimationEnabled() { return SystemFlag(SPI_GETMENUANIMATION); }
bool MenuFadeEnabled() { return SystemFlag(SPI_GETMENUFADE); }

namespace {

// A whole decimal number with an optional sign and nothing else.
std::optional<int> ParseWholeNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text.c_str(), &end, 10);
    bool whole = end == text.c_str() + text.size() && !std::isspace(static_cast<unsigned char>(text[0]));
    if (!whole || errno == ERANGE || value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

int ReadMenuShowDelayFromRegistry() {
    TRegistryValue value = SystemSeams().ReadRegistry(HKEY_CURRENT_USER, "Control Panel\\Desktop", "MenuShowDelay", 32);
    if (!value.KeyOpened || value.Result == ERROR_FILE_NOT_FOUND) return 400;
    if (value.Result != ERROR_SUCCESS || (value.Type != REG_SZ && value.Type != REG_EXPAND_SZ)) return 0;
    std::string text = value.Data.substr(0, value.Data.find('\0'));
    return ParseWholeNumber(text).value_or(0);
}

}  // namespace

int GetMenuShowDelay() {
    if (SystemSeams().Version().Major < 4) return 400;
    DWORD delay = 0;
    int result;
    if (SystemSeams().ParametersInfo(SPI_GETMENUSHOWDELAY, 0, &delay)) {
        result = static_cast<int>(delay);
    } else {
        std::optional<int>& remembered = Remembered().RegistryMenuShowDelay;
        if (!remembered) remembered = ReadMenuShowDelayFromRegistry();
        result = *remembered;
    }
    return std::max(result, 0);
}

TUpdateLayeredWindowProc UpdateLayeredWindowEntry() {
    std::optional<TUpdateLayeredWindowProc>& entry = Remembered().UpdateLayeredWindow;
    if (!entry) entry = SystemSeams().FindUpdateLayeredWindow();
    return *entry;
}

// ---- Sounds -------------------------------------------------------------------------------

bool SoundEventConfigured(const std::string& eventName) {
    TSystemVersion v = SystemSeams().Version();
    if (v.PlatformId != VER_PLATFORM_WIN32_NT || v.Major <= 4) return true;
    // Only emptiness matters, so a small probe suffices: a larger value is not empty.
    TRegistryValue value = SystemSeams().ReadRegistry(
        HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\.Default\\" + eventName + "\\.Current", "", 8);
    if (!value.KeyOpened) return false;
    if (value.Result == ERROR_MORE_DATA) return true;
    return value.Result == ERROR_SUCCESS && !value.Data.empty() && value.Data[0] != '\0';
}

void PlaySystemSound(const char* eventName) {
    if (SoundEventConfigured(eventName))
        SystemSeams().PlayAlias(eventName, SND_ALIAS | SND_ASYNC | SND_NODEFAULT | SND_NOSTOP);
}

void BeepNoMatch() { SystemSeams().MessageBeep(0); }

// ---- Pointer tracking ---------------------------------------------------------------------

namespace {

using TrackMouseEventProc = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);

struct TrackMouseEventUse {
    int References = 0;
    HMODULE CommonControls = nullptr;  // loaded only when user32 lacks the function
    TrackMouseEventProc Entry = nullptr;
};

TrackMouseEventUse& TrackMouseEventState() {
    static TrackMouseEventUse use;
    return use;
}

}  // namespace

void AddTrackMouseEventRef() {
    TrackMouseEventUse& use = TrackMouseEventState();
    if (use.References++ > 0) return;
    use.Entry = User32Entry<TrackMouseEventProc>("TrackMouseEvent");
    if (use.Entry) return;
    use.CommonControls = LoadSystemLibrary("comctl32.dll");
    if (use.CommonControls)
        use.Entry = reinterpret_cast<TrackMouseEventProc>(
            reinterpret_cast<void*>(GetProcAddress(use.CommonControls, "_TrackMouseEvent")));
}

void ReleaseTrackMouseEventRef() {
    TrackMouseEventUse& use = TrackMouseEventState();
    if (use.References == 0 || --use.References > 0) return;
    if (use.CommonControls) FreeLibrary(use.CommonControls);
    use = TrackMouseEventUse{};
}

bool CallTrackMouseEvent(TRACKMOUSEEVENT& request) {
    TrackMouseEventProc entry = TrackMouseEventState().Entry;
    request.cbSize = sizeof(request);
    return entry && entry(&request);
}

// ---- Work areas and monitors --------------------------------------------------------------

RECT GetScreenArea(bool workArea) {
    RECT r{};
    if (workArea && SystemSeams().ParametersInfo(SPI_GETWORKAREA, 0, &r)) return r;
    return RECT{0, 0, SystemSeams().Metrics(SM_CXSCREEN), SystemSeams().Metrics(SM_CYSCREEN)};
}

namespace {

// The nearest monitor's area on a system with several monitors, else the screen's.
template <class FindMonitor>
RECT MonitorArea(bool workArea, FindMonitor findMonitor) {
    if (SystemSeams().Metrics(SM_CMONITORS) > 1) {
        TMonitorApi api = SystemSeams().FindMonitorApi();
        if (api.Complete()) {
            MONITORINFO info{};
            info.cbSize = sizeof(info);
            HMONITOR monitor = findMonitor(api);
            if (monitor && api.GetInfo(monitor, &info)) return workArea ? info.rcWork : info.rcMonitor;
        }
    }
    return GetScreenArea(workArea);
}

}  // namespace

RECT GetRectMonitorArea(const RECT& r, bool workArea) {
    return MonitorArea(workArea, [&](const TMonitorApi& api) { return api.FromRect(&r, MONITOR_DEFAULTTONEAREST); });
}

RECT GetPointMonitorArea(POINT p, bool workArea) {
    return MonitorArea(workArea, [&](const TMonitorApi& api) { return api.FromPoint(p, MONITOR_DEFAULTTONEAREST); });
}

// ---- Windows the user can act on -------------------------------------------------------------

bool WindowEnabledForInput(HWND window) {
    if (!window || !IsWindow(window)) return false;
    const HWND desktop = GetDesktopWindow();
    for (HWND w = window; w;) {
        if (!IsWindowEnabled(w)) return false;
        HWND parent = GetAncestor(w, GA_PARENT);
        w = parent && parent != desktop ? parent : GetWindow(w, GW_OWNER);
    }
    return true;
}

// ---- Messages and painting ----------------------------------------------------------------

void DispatchPendingPaints() {
    std::vector<HWND> painted;
    // A window that asks again after its paint has a real repaint to come (it invalidated
    // itself while painting). Its request is set aside, so that the others get their paint
    // (asking it again would never end), and given back at the end.
    std::vector<std::pair<HWND, RegionHandle>> setAside;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) {
        BOOL got = GetMessageA(&msg, nullptr, WM_PAINT, WM_PAINT);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        if (std::find(painted.begin(), painted.end(), msg.hwnd) != painted.end()) {
            RegionHandle request(CreateRectRgn(0, 0, 0, 0));
            GetUpdateRgn(msg.hwnd, request.get(), FALSE);
            ValidateRect(msg.hwnd, nullptr);
            setAside.emplace_back(msg.hwnd, std::move(request));
            continue;
        }
        painted.push_back(msg.hwnd);
        DispatchMessageA(&msg);
    }
    for (auto& [window, request] : setAside)
        if (IsWindow(window)) InvalidateRgn(window, request.get(), FALSE);
}

namespace {

// Removes the queued messages in [first, last]; false when a quit message ended the removal.
bool RemoveQueuedMessages(UINT first, UINT last) {
    if (first == 0 && last == 0) return true;  // a 0..0 filter would mean every message
    MSG msg;
    while (PeekMessageA(&msg, nullptr, first, last, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
    }
    return true;
}

}  // namespace

void DiscardQueuedMessages(UINT first, UINT last) {
    if (first > last) return;
    if (first < WM_PAINT && !RemoveQueuedMessages(first, std::min<UINT>(last, WM_PAINT - 1))) return;
    if (last > WM_PAINT) RemoveQueuedMessages(std::max<UINT>(first, WM_PAINT + 1), last);
}

void ClipToNCUpdateRegion(HWND window, HDC dc, HRGN region) {
    if (region == nullptr || region == reinterpret_cast<HRGN>(1)) return;
    RECT windowRect;
    GetWindowRect(window, &windowRect);
    // Work on a copy: the region passed with WM_NCPAINT belongs to the system.
    RegionHandle clip(CreateRectRgn(0, 0, 0, 0));
    if (CombineRgn(clip.get(), region, nullptr, RGN_COPY) == ERROR) clip.reset(CreateRectRgnIndirect(&windowRect));
    OffsetRgn(clip.get(), -windowRect.left, -windowRect.top);
    SelectClipRgn(dc, clip.get());
}

namespace {

constexpr LPARAM PrintEverything = PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN;

// Prints another window into `dc` at its place relative to `reference`, clipped to it.
void PrintWindowAt(HWND window, const RECT& reference, HDC dc) {
    RECT r;
    GetWindowRect(window, &r);
    ScopedSaveDC saved(dc);
    OffsetViewportOrgEx(dc, r.left - reference.left, r.top - reference.top, nullptr);
    IntersectClipRect(dc, 0, 0, r.right - r.left, r.bottom - r.top);
    SendMessageA(window, WM_PRINT, reinterpret_cast<WPARAM>(dc), PrintEverything);
}

// Bottom of the z-order first, so that windows above paint over those below.
template <class Accept>
std::vector<HWND> WindowsBottomUp(HWND first, Accept accept) {
    std::vector<HWND> windows;
    for (HWND w = first; w; w = GetWindow(w, GW_HWNDNEXT))
        if (IsWindowVisible(w) && accept(w)) windows.push_back(w);
    std::reverse(windows.begin(), windows.end());
    return windows;
}

}  // namespace

LRESULT PrintWindowParts(HWND window, HDC dc, LPARAM flags, const TNCPainter& paintNonClient) {
    if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(window)) return 1;
    RECT windowRect;
    GetWindowRect(window, &windowRect);
    if ((flags & PRF_NONCLIENT) && paintNonClient) {
        ScopedSaveDC saved(dc);
        paintNonClient(window, dc);
    }
    if (flags & PRF_CLIENT) {
        ScopedSaveDC saved(dc);
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        OffsetViewportOrgEx(dc, origin.x - windowRect.left, origin.y - windowRect.top, nullptr);
        RECT client;
        GetClientRect(window, &client);
        IntersectClipRect(dc, 0, 0, client.right, client.bottom);
        if (flags & PRF_ERASEBKGND) SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
    }
    if (flags & PRF_CHILDREN) {
        auto children = WindowsBottomUp(GetWindow(window, GW_CHILD), [&](HWND w) { return GetParent(w) == window; });
        for (HWND child : children) PrintWindowAt(child, windowRect, dc);
    }
    if (flags & PRF_OWNED) {
        auto owned = WindowsBottomUp(GetTopWindow(nullptr), [&](HWND w) { return GetWindow(w, GW_OWNER) == window; });
        for (HWND w : owned) PrintWindowAt(w, windowRect, dc);
    }
    return 1;
}

void PrintClientArea(TWinControl& control, HDC dc) { control.PaintClient(dc); }

namespace {

RegionHandle OutlineRegion(HDC dc, const RECT& r, SIZE thickness) {
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    LPtoDP(dc, corners, 2);  // clip regions are in device units
    RegionHandle outline(CreateRectRgn(corners[0].x, corners[0].y, corners[1].x, corners[1].y));
    RegionHandle inside(CreateRectRgn(corners[0].x + thickness.cx, corners[0].y + thickness.cy,
                                      corners[1].x - thickness.cx, corners[1].y - thickness.cy));
    CombineRgn(outline.get(), outline.get(), inside.get(), RGN_DIFF);
    return outline;
}

BrushHandle HalftoneBrush() {
    static const WORD rows[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
    BitmapHandle pattern(CreateBitmap(8, 8, 1, 1, rows));
    return BrushHandle(CreatePatternBrush(pattern.get()));  // the brush keeps its own copy
}

}  // namespace

void DrawDragFrame(HDC dc, const RECT* newRect, const RECT* oldRect, SIZE newSize, SIZE oldSize) {
    // The symmetric difference of the two outlines: inverting it once draws the new outline and
    // erases the old one without touching what both share.
    RegionHandle changed(CreateRectRgn(0, 0, 0, 0));
    if (newRect) CombineRgn(changed.get(), changed.get(), OutlineRegion(dc, *newRect, newSize).get(), RGN_XOR);
    if (oldRect) CombineRgn(changed.get(), changed.get(), OutlineRegion(dc, *oldRect, oldSize).get(), RGN_XOR);
    BrushHandle brush = HalftoneBrush();
    ScopedSaveDC saved(dc);
    ExtSelectClipRgn(dc, changed.get(), RGN_AND);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    RECT box;
    if (GetClipBox(dc, &box) == NULLREGION) return;
    ScopedSelect select(dc, brush.get());
    PatBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, PATINVERT);
}

// ---- Text ---------------------------------------------------------------------------------

int FontHeight(HDC dc) {
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    return tm.tmHeight;
}

TStrippedCaption StripAccelChars(const std::string& caption) {
    TStrippedCaption out;
    const size_t n = caption.size();
    for (size_t i = 0; i < n;) {
        const char c = caption[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < n) {
            out.Text.append(caption, i, 2);  // the trail byte may look like "&" but is not one
            i += 2;
        } else if (c != '&') {
            out.Text += c;
            ++i;
        } else if (i + 1 < n && caption[i + 1] == '&') {
            out.Text += '&';
            i += 2;
        } else {
            if (i + 1 < n) out.AccelIndex = out.Text.size();  // the last single "&" wins
            ++i;
        }
    }
    return out;
}

int TextWidthWithoutPrefix(HDC dc, const std::string& text, bool stripPrefixes) {
    const std::string shown = stripPrefixes ? StripAccelChars(text).Text : text;
    SIZE size{};
    GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
    return size.cx;
}

char FindAccelChar(const std::string& caption) {
    TStrippedCaption stripped = StripAccelChars(caption);
    if (stripped.AccelIndex == std::string::npos) return 0;
    const char c = stripped.Text[stripped.AccelIndex];
    return IsDBCSLeadByte(static_cast<BYTE>(c)) ? 0 : c;
}

int DivRoundAway(int a, int b) {
    int quotient = a / b;
    if (a % b != 0) quotient += ((a < 0) == (b < 0)) ? 1 : -1;
    return quotient;
}

FontHandle CreateRotatedFont(HDC dc) {
    LOGFONTA lf{};
    GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof(lf), &lf);
    lf.lfEscapement = 2700;
    lf.lfOrientation = 2700;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    // Bitmap faces cannot turn; these two names are the usual ones in dialogs.
    if (lstrcmpiA(lf.lfFaceName, "MS Sans Serif") == 0 || lstrcmpiA(lf.lfFaceName, "Microsoft Sans Serif") == 0)
        lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
    return FontHandle(CreateFontIndirectA(&lf));
}

namespace {

int TextExtentWidth(HDC dc, const char* text, size_t length) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text, static_cast<int>(length), &size);
    return size.cx;
}

}  // namespace

void DrawRotatedText(HDC dc, const std::string& caption, const RECT& r, UINT format) {
    FontHandle font = CreateRotatedFont(dc);
    ScopedSaveDC saved(dc);
    SelectObject(dc, font.get());
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const TStrippedCaption shown = StripAccelChars(caption);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const int length = TextExtentWidth(dc, shown.Text.c_str(), shown.Text.size());
    // Turned a quarter clockwise, a character cell's top faces right: the reference point is the
    // cell's top-right corner, and the baseline runs tmAscent to its left.
    const int x = r.left + (r.right - r.left + tm.tmHeight) / 2;
    const int y = r.top + (r.bottom - r.top - length) / 2;
    TextOutA(dc, x, y, shown.Text.c_str(), static_cast<int>(shown.Text.size()));
    if (shown.AccelIndex == std::string::npos || (format & DT_HIDEPREFIX)) return;

    const size_t charLength = IsDBCSLeadByte(static_cast<BYTE>(shown.Text[shown.AccelIndex])) ? 2 : 1;
    const int start = y + TextExtentWidth(dc, shown.Text.c_str(), shown.AccelIndex);
    const int end = start + TextExtentWidth(dc, shown.Text.c_str() + shown.AccelIndex, charLength);
    const int lineX = x - tm.tmAscent - 1;
    PenHandle pen(CreatePen(PS_SOLID, 1, GetTextColor(dc)));
    ScopedSelect selectPen(dc, pen.get());
    MoveToEx(dc, lineX, start, nullptr);
    LineTo(dc, lineX, end);
}

// ---- The framework's menu font ------------------------------------------------------------

namespace {

FontHandle& MenuFontHandle() {
    static FontHandle font;
    return font;
}

LOGFONTA MenuLogFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemSeams().ParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics)) return metrics.lfMenuFont;
    LOGFONTA fallback{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(fallback), &fallback);
    return fallback;
}

}  // namespace

HFONT MenuFont() {
    FontHandle& font = MenuFontHandle();
    if (!font) {
        LOGFONTA lf = MenuLogFont();
        font.reset(CreateFontIndirectA(&lf));
    }
    return font.get();
}

void RebuildMenuFont() {
    FreeMenuFont();
    MenuFont();
}

void FreeMenuFont() { MenuFontHandle().reset(); }
