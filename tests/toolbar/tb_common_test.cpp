#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>

#include "support/test_env.h"
#include "toolbar/services_fixture.h"
#include "toolbar/tb_common.h"
#include "widgets/form.h"
#include "widgets/panel.h"

namespace {

// ---- Pure rules ---------------------------------------------------------------------------

TEST(AccelChar, SinglesCountDoublesAreLiteralAndDoubleByteCharactersAreWhole) {
    struct Case { const char* caption; char accel; };
    const Case cases[] = {
        {"&File", 'F'}, {"Save &As", 'A'}, {"", 0}, {"none", 0},
        {"&&x", 0},                 // a literal ampersand, then a plain x
        {"a&&b &x", 'x'},           // doubled first, single later
        {"a&&b&&", 0}, {"&", 0}, {"ab&", 0}, {"&&&", 0},
        {"&a&b", 'b'},              // the last single one wins
        {"&&&x", 'x'},              // "&&" then "&x"
        {"ソ&x", 'x'}, {"表示&v", 'v'},  // 0x5C trail bytes
        {"&ソ", 0},                 // a double-byte character is no key
        {"\x83\x26x", 0},           // the byte after a lead byte is never an ampersand
    };
    for (const Case& c : cases) EXPECT_EQ(FindAccelChar(c.caption), c.accel) << c.caption;
}

TEST(AccelChar, StrippedCaptionKeepsLiteralsAndPointsAtTheUnderlinedCharacter) {
    struct Case { const char* caption; const char* shown; size_t accelIndex; };
    const Case cases[] = {
        {"&File", "File", 0}, {"a&&b&c", "a&bc", 3}, {"&&", "&", std::string::npos},
        {"ソ&&表&x", "ソ&表x", 5}, {"tail&", "tail", std::string::npos},
    };
    for (const Case& c : cases) {
        TStrippedCaption s = StripAccelChars(c.caption);
        EXPECT_EQ(s.Text, c.shown) << c.caption;
        EXPECT_EQ(s.AccelIndex, c.accelIndex) << c.caption;
    }
}

TEST(DivRoundAway, RoundsUpOnlyWhenNotExact) {
    struct Case { int a, b, result; };
    const Case cases[] = {{7, 2, 4}, {6, 2, 3}, {1, 3, 1}, {0, 5, 0}, {15, 16, 1}, {-7, 2, -4}};
    for (const Case& c : cases) EXPECT_EQ(DivRoundAway(c.a, c.b), c.result) << c.a << "/" << c.b;
}

// ---- System queries -----------------------------------------------------------------------

using SystemQueries = ServicesTest;

TEST_F(SystemQueries, VersionDecidesXPAndTheSettingsThatNeedIt) {
    struct Case { DWORD platform, major, minor; BOOL flat, cues; bool cuesCallWorks; bool xp, flatShown, cuesShown; };
    const Case cases[] = {
        {VER_PLATFORM_WIN32_NT, 5, 0, TRUE, FALSE, true, false, false, false},
        {VER_PLATFORM_WIN32_NT, 5, 1, TRUE, FALSE, true, true, true, false},
        {VER_PLATFORM_WIN32_NT, 6, 0, FALSE, TRUE, true, true, false, true},
        {VER_PLATFORM_WIN32_NT, 6, 0, TRUE, FALSE, false, true, true, true},  // cues query fails: shown
        {VER_PLATFORM_WIN32_WINDOWS, 5, 1, TRUE, FALSE, true, false, false, false},
        {VER_PLATFORM_WIN32_NT, 4, 0, TRUE, FALSE, true, false, false, true},  // before cues existed
    };
    for (const Case& c : cases) {
        SetVersion(c.platform, c.major, c.minor);
        SystemSeams().ParametersInfo = [&](UINT action, UINT, void* data) -> BOOL {
            if (action == SPI_GETFLATMENU) { *static_cast<BOOL*>(data) = c.flat; return TRUE; }
            if (action == SPI_GETKEYBOARDCUES) { *static_cast<BOOL*>(data) = c.cues; return c.cuesCallWorks; }
            return FALSE;
        };
        SCOPED_TRACE(testing::Message() << c.platform << " " << c.major << "." << c.minor);
        EXPECT_EQ(SystemIsXPOrLater(), c.xp);
        EXPECT_EQ(FlatMenusEnabled(), c.flatShown);
        EXPECT_EQ(KeyboardCuesShown(), c.cuesShown);
    }
}

TEST_F(SystemQueries, MenuShowDelayFromTheSystemElseFromTheRegistryElse400) {
    struct Case {
        const char* name; DWORD major; bool callWorks; DWORD callValue;
        bool keyOpens; LONG result; DWORD type; const char* data; int expected;
    };
    const Case cases[] = {
        {"old system", 3, true, 100, true, ERROR_SUCCESS, REG_SZ, "10", 400},
        {"system call", 5, true, 250, true, ERROR_SUCCESS, REG_SZ, "10", 250},
        {"negative from the call", 5, true, static_cast<DWORD>(-20), false, 0, 0, "", 0},
        {"no key", 5, false, 0, false, ERROR_FILE_NOT_FOUND, REG_NONE, "", 400},
        {"no value", 5, false, 0, true, ERROR_FILE_NOT_FOUND, REG_NONE, "", 400},
        {"a number", 5, false, 0, true, ERROR_SUCCESS, REG_SZ, "120", 120},
        {"not a string", 5, false, 0, true, ERROR_SUCCESS, REG_DWORD, "\x78\0\0\0", 0},
        {"not a number", 5, false, 0, true, ERROR_SUCCESS, REG_SZ, "12ms", 0},
        {"empty", 5, false, 0, true, ERROR_SUCCESS, REG_SZ, "", 0},
        {"negative", 5, false, 0, true, ERROR_SUCCESS, REG_SZ, "-5", 0},
        {"too long to be a number", 5, false, 0, true, ERROR_MORE_DATA, REG_SZ, "", 0},
    };
    for (const Case& c : cases) {
        ResetSystemSeams();
        SetVersion(VER_PLATFORM_WIN32_NT, c.major, 0);
        SystemSeams().ParametersInfo = [&](UINT action, UINT, void* data) -> BOOL {
            if (action != SPI_GETMENUSHOWDELAY || !c.callWorks) return FALSE;
            *static_cast<DWORD*>(data) = c.callValue;
            return TRUE;
        };
        std::string path, name;
        SystemSeams().ReadRegistry = [&](HKEY root, const std::string& key, const std::string& value, DWORD) {
            EXPECT_EQ(root, HKEY_CURRENT_USER);
            path = key;
            name = value;
            TRegistryValue v;
            v.KeyOpened = c.keyOpens;
            v.Result = c.result;
            v.Type = c.type;
            v.Data = c.type == REG_DWORD ? std::string(c.data, 4) : std::string(c.data) + '\0';
            return v;
        };
        EXPECT_EQ(GetMenuShowDelay(), c.expected) << c.name;
        if (!path.empty()) {
            EXPECT_EQ(path + "|" + name, "Control Panel\\Desktop|MenuShowDelay") << c.name;
        }
    }
}

TEST_F(SystemQueries, TheRegistryDelayIsReadOncePerProcess) {
    SystemSeams().ParametersInfo = [](UINT, UINT, void*) -> BOOL { return FALSE; };
    int reads = 0;
    SystemSeams().ReadRegistry = [&](HKEY, const std::string&, const std::string&, DWORD) {
        ++reads;
        return TRegistryValue{true, ERROR_SUCCESS, REG_SZ, std::string("300\0", 4)};
    };
    EXPECT_EQ(GetMenuShowDelay(), 300);
    EXPECT_EQ(GetMenuShowDelay(), 300);
    EXPECT_EQ(reads, 1);
}

// ---- Sounds -------------------------------------------------------------------------------

using Sounds = ServicesTest;

TEST_F(Sounds, PlayedOnlyWhenTheSchemeHasASound) {
    struct Case {
        const char* name; DWORD platform, major; bool keyOpens; LONG result; std::string data; bool plays;
    };
    const Case cases[] = {
        {"sound file", VER_PLATFORM_WIN32_NT, 5, true, ERROR_SUCCESS, std::string("a.wav\0", 6), true},
        {"longer than the probe", VER_PLATFORM_WIN32_NT, 5, true, ERROR_MORE_DATA, "", true},
        {"empty value", VER_PLATFORM_WIN32_NT, 5, true, ERROR_SUCCESS, std::string("\0", 1), false},
        {"no value", VER_PLATFORM_WIN32_NT, 6, true, ERROR_FILE_NOT_FOUND, "", false},
        {"no key", VER_PLATFORM_WIN32_NT, 6, false, ERROR_FILE_NOT_FOUND, "", false},
        {"NT 4 has no schemes to ask", VER_PLATFORM_WIN32_NT, 4, false, ERROR_FILE_NOT_FOUND, "", true},
        {"Windows 98", VER_PLATFORM_WIN32_WINDOWS, 4, false, ERROR_FILE_NOT_FOUND, "", true},
    };
    for (const Case& c : cases) {
        SetVersion(c.platform, c.major, 0);
        std::vector<std::string> reads;
        SystemSeams().ReadRegistry = [&](HKEY root, const std::string& key, const std::string& value, DWORD probe) {
            EXPECT_EQ(root, HKEY_CURRENT_USER);
            EXPECT_EQ(probe, 8u);
            reads.push_back(key + "|" + value);
            return TRegistryValue{c.keyOpens, c.result, REG_SZ, c.data};
        };
        std::vector<std::pair<std::string, DWORD>> played;
        SystemSeams().PlayAlias = [&](const char* alias, DWORD flags) -> BOOL {
            played.emplace_back(alias, flags);
            return TRUE;
        };
        PlaySystemSound(MenuCommandSound);
        SCOPED_TRACE(c.name);
        if (c.plays) {
            ASSERT_EQ(played.size(), 1u);
            EXPECT_EQ(played[0].first, "MenuCommand");
            EXPECT_EQ(played[0].second, static_cast<DWORD>(SND_ALIAS | SND_ASYNC | SND_NODEFAULT | SND_NOSTOP));
        } else {
            EXPECT_TRUE(played.empty());
        }
        const bool asks = c.platform == VER_PLATFORM_WIN32_NT && c.major > 4;
        EXPECT_EQ(reads, asks ? std::vector<std::string>{"AppEvents\\Schemes\\Apps\\.Default\\MenuCommand\\.Current|"}
                              : std::vector<std::string>{});
    }
}

TEST_F(Sounds, TheRealRegistryOfAFreshPrefixAnswersWithoutFailing) {
    // Whatever Wine's scheme holds, asking must work through the real registry functions.
    bool configured = SoundEventConfigured("SorvaneNoSuchEvent");
    EXPECT_FALSE(configured);
}

// ---- Work areas and monitors --------------------------------------------------------------

using MonitorAreas = ServicesTest;

// Two monitors side by side; the fake entry points answer for the one nearest to the input.
HMONITOR WINAPI FakeFromRect(LPCRECT r, DWORD) { return reinterpret_cast<HMONITOR>(r->left >= 1000 ? 2 : 1); }
HMONITOR WINAPI FakeFromPoint(POINT p, DWORD) { return reinterpret_cast<HMONITOR>(p.x >= 1000 ? 2 : 1); }
HMONITOR WINAPI FakeFromWindow(HWND, DWORD) { return reinterpret_cast<HMONITOR>(1); }
BOOL WINAPI FakeGetInfo(HMONITOR monitor, LPMONITORINFO info) {
    const bool second = monitor == reinterpret_cast<HMONITOR>(2);
    info->rcMonitor = second ? RECT{1000, 0, 2000, 800} : RECT{0, 0, 1000, 800};
    info->rcWork = second ? RECT{1000, 0, 2000, 760} : RECT{0, 40, 1000, 800};
    return TRUE;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

TEST_F(MonitorAreas, SeveralMonitorsAnswerForTheNearestOneOtherwiseTheScreen) {
    int monitors = 2;
    bool workAreaKnown = true;
    TMonitorApi api{FakeFromRect, FakeFromPoint, FakeFromWindow, FakeGetInfo};
    SystemSeams().Metrics = [&](int index) {
        switch (index) {
        case SM_CMONITORS: return monitors;
        case SM_CXSCREEN: return 1000;
        case SM_CYSCREEN: return 800;
        }
        return 0;
    };
    SystemSeams().ParametersInfo = [&](UINT action, UINT, void* data) -> BOOL {
        if (action != SPI_GETWORKAREA || !workAreaKnown) return FALSE;
        *static_cast<RECT*>(data) = RECT{0, 0, 1000, 770};
        return TRUE;
    };
    SystemSeams().FindMonitorApi = [&] { return api; };

    EXPECT_TRUE(SameRect(GetRectMonitorArea(RECT{1200, 10, 1300, 50}, true), RECT{1000, 0, 2000, 760}));
    EXPECT_TRUE(SameRect(GetRectMonitorArea(RECT{1200, 10, 1300, 50}, false), RECT{1000, 0, 2000, 800}));
    EXPECT_TRUE(SameRect(GetPointMonitorArea(POINT{10, 10}, true), RECT{0, 40, 1000, 800}));

    api.FromWindow = nullptr;  // one entry point missing: the screen's areas
    EXPECT_TRUE(SameRect(GetPointMonitorArea(POINT{1500, 10}, true), RECT{0, 0, 1000, 770}));
    api.FromWindow = FakeFromWindow;
    monitors = 1;
    EXPECT_TRUE(SameRect(GetRectMonitorArea(RECT{1200, 10, 1300, 50}, false), RECT{0, 0, 1000, 800}));
    workAreaKnown = false;
    EXPECT_TRUE(SameRect(GetScreenArea(true), RECT{0, 0, 1000, 800}));
}

// ---- Message helpers ----------------------------------------------------------------------

// Counts paints; a window that does not validate keeps its paint request for ever.
// Pumping must not meet a window that does not validate: it would never end. So the window
// only stops validating once it has been painted, and validates again before it goes.
struct PaintCounter {
    explicit PaintCounter(bool validating) : window(RECT{10, 10, 110, 60}, WS_POPUP | WS_VISIBLE) {
        window.OnMessage = [this](UINT msg, WPARAM, LPARAM, LRESULT& result) {
            if (msg != WM_PAINT) return false;
            ++paints;
            if (validates) ValidateRect(window.get(), nullptr);
            result = 0;
            return true;
        };
        UpdateWindow(window.get());
        paints = 0;
        validates = validating;
    }
    ~PaintCounter() { ValidateRect(window.get(), nullptr); }
    ProbeWindow window;
    int paints = 0;
    bool validates = true;
};

bool TakeQuit(int& exitCode) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    exitCode = static_cast<int>(msg.wParam);
    return true;
}

TEST(PendingPaints, EveryWaitingWindowPaintsOnceEvenOneThatNeverValidates) {
    PaintCounter stubborn(false), good(true);
    InvalidateRect(stubborn.window.get(), nullptr, TRUE);
    InvalidateRect(good.window.get(), nullptr, TRUE);
    DispatchPendingPaints();
    EXPECT_EQ(good.paints, 1);
    EXPECT_EQ(stubborn.paints, 1);
}

TEST(PendingPaints, AQuitMessageIsKeptForTheMainLoop) {
    PaintCounter good(true);
    InvalidateRect(good.window.get(), nullptr, TRUE);
    PostQuitMessage(5);
    DispatchPendingPaints();
    int exitCode = 0;
    EXPECT_TRUE(TakeQuit(exitCode));
    EXPECT_EQ(exitCode, 5);
}

TEST(QueuedMessages, ARangeOverPaintingEndsAndKeepsWhatIsOutsideIt) {
    PaintCounter stubborn(false);
    InvalidateRect(stubborn.window.get(), nullptr, TRUE);
    HWND w = stubborn.window.get();
    PostMessageA(w, WM_USER + 1, 0, 0);
    PostMessageA(w, WM_NULL + 1, 0, 0);  // WM_CREATE's number, below the paint message
    PostMessageA(w, WM_APP + 7, 0, 0);
    DiscardQueuedMessages(WM_NULL + 1, WM_USER + 100);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, w, WM_NULL + 1, WM_PAINT - 1, PM_NOREMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, w, WM_PAINT + 1, WM_USER + 100, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessageA(&msg, w, WM_APP + 7, WM_APP + 7, PM_REMOVE));
    EXPECT_EQ(stubborn.paints, 0);  // nothing was dispatched
}

TEST(QueuedMessages, AQuitMessageStopsTheRemovalAndStaysQueued) {
    ProbeWindow window(RECT{0, 0, 10, 10});
    PostMessageA(window.get(), WM_USER + 1, 0, 0);
    PostQuitMessage(9);
    DiscardQueuedMessages(WM_USER, WM_USER + 10);
    int exitCode = 0;
    EXPECT_TRUE(TakeQuit(exitCode));
    EXPECT_EQ(exitCode, 9);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, window.get(), WM_USER + 1, WM_USER + 1, PM_REMOVE));
}

// ---- Non-client clipping ------------------------------------------------------------------

class WindowDCOf {
public:
    explicit WindowDCOf(HWND w) : window_(w), dc_(GetWindowDC(w)) {}
    ~WindowDCOf() { ReleaseDC(window_, dc_); }
    WindowDCOf(const WindowDCOf&) = delete;
    WindowDCOf& operator=(const WindowDCOf&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

TEST(NCUpdateRegion, ClipsToTheRegionInWindowCoordinatesAndLeavesItToTheSystem) {
    ProbeWindow window(RECT{100, 120, 300, 270}, WS_POPUP | WS_VISIBLE);
    RegionHandle region(CreateRectRgn(110, 130, 150, 160));  // screen coordinates, as WM_NCPAINT gives
    {
        WindowDCOf dc(window.get());
        ClipToNCUpdateRegion(window.get(), dc.get(), region.get());
        RECT clip;
        ASSERT_EQ(GetClipBox(dc.get(), &clip), SIMPLEREGION);
        EXPECT_TRUE(SameRect(clip, RECT{10, 10, 50, 40}));
    }
    RECT box;
    EXPECT_EQ(GetRgnBox(region.get(), &box), SIMPLEREGION);  // neither deleted nor moved
    EXPECT_TRUE(SameRect(box, RECT{110, 130, 150, 160}));

    WindowDCOf dc(window.get());
    ClipToNCUpdateRegion(window.get(), dc.get(), reinterpret_cast<HRGN>(1));
    RegionHandle current(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(GetClipRgn(dc.get(), current.get()), 0);  // whole window: no clip at all
}

// ---- Drag frame ---------------------------------------------------------------------------

TEST(DragFrame, MovingTheFrameEqualsDrawingTheNewOneAloneAndErasingRestores) {
    const RECT a{10, 10, 70, 60}, b{20, 25, 90, 80};
    const SIZE thick{3, 3}, thin{1, 1};
    Surface moved(100, 100), fresh(100, 100);
    const std::vector<DWORD> blank = moved.Pixels();

    DrawDragFrame(moved.dc(), &a, nullptr, thick, thick);
    std::vector<DWORD> drawn = moved.Pixels();
    const long changed = std::count_if(drawn.begin(), drawn.end(), [](DWORD p) { return p != 0xFFFFFF; });
    const long outline = (60 * 50) - (54 * 44);
    EXPECT_EQ(changed, outline / 2) << "a halftone: every other pixel of the outline";
    EXPECT_EQ(moved.Pixel(40, 35), RGB(255, 255, 255)) << "the inside stays";

    DrawDragFrame(moved.dc(), &b, &a, thin, thick);
    DrawDragFrame(fresh.dc(), &b, nullptr, thin, thin);
    EXPECT_EQ(moved.Pixels(), fresh.Pixels());

    DrawDragFrame(moved.dc(), nullptr, &b, thin, thin);
    EXPECT_EQ(moved.Pixels(), blank);
    DrawDragFrame(moved.dc(), &a, &a, thick, thick);
    EXPECT_EQ(moved.Pixels(), blank) << "the same outline drawn and erased at once changes nothing";
}

// ---- Text ---------------------------------------------------------------------------------

class TextTest : public ServicesTest {
protected:
    void SetUp() override {
        ServicesTest::SetUp();
        LOGFONTA lf{};
        lf.lfHeight = -16;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpyA(lf.lfFaceName, "MS Sans Serif");
        font.reset(CreateFontIndirectA(&lf));
        previous = SelectObject(surface.dc(), font.get());
    }
    void TearDown() override {
        SelectObject(surface.dc(), previous);
        ServicesTest::TearDown();
    }
    Surface surface{60, 200};
    FontHandle font;
    HGDIOBJ previous = nullptr;
};

TEST_F(TextTest, WidthWithoutPrefixMeasuresWhatIsShown) {
    HDC dc = surface.dc();
    EXPECT_EQ(TextWidthWithoutPrefix(dc, "&File", true), TextWidthWithoutPrefix(dc, "File", false));
    EXPECT_EQ(TextWidthWithoutPrefix(dc, "R&&D", true), TextWidthWithoutPrefix(dc, "R&D", false));
    EXPECT_GT(TextWidthWithoutPrefix(dc, "&File", false), TextWidthWithoutPrefix(dc, "File", false));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    EXPECT_EQ(FontHeight(dc), tm.tmHeight);
}

TEST_F(TextTest, RotatedFontTurnsAQuarterAndReplacesFacesThatCannotTurn) {
    const long objects = HandleCounters::GdiObjects();
    {
        FontHandle rotated = CreateRotatedFont(surface.dc());
        LOGFONTA lf{};
        GetObjectA(rotated.get(), sizeof(lf), &lf);
        EXPECT_EQ(lf.lfEscapement, 2700);
        EXPECT_EQ(lf.lfOrientation, 2700);
        EXPECT_EQ(lf.lfOutPrecision, OUT_TT_ONLY_PRECIS);
        EXPECT_STREQ(lf.lfFaceName, "Arial");
        EXPECT_EQ(lf.lfHeight, -16);
    }
    EXPECT_EQ(HandleCounters::GdiObjects(), objects);
}

TEST_F(TextTest, RotatedTextRunsDownTheMiddleWithItsUnderlineUnlessHidden) {
    const RECT r{0, 0, 60, 200};
    SetBkMode(surface.dc(), TRANSPARENT);
    SetTextColor(surface.dc(), RGB(0, 0, 0));
    DrawRotatedText(surface.dc(), "WWW&WWW", r, DT_HIDEPREFIX);
    const RECT plain = surface.InkBox(RGB(255, 255, 255));
    ASSERT_LT(plain.left, plain.right) << "something was drawn";
    EXPECT_GT(plain.bottom - plain.top, 2 * (plain.right - plain.left)) << "runs top to bottom";
    EXPECT_LE(std::abs((plain.top + plain.bottom) - 200), 4) << "centred vertically";
    EXPECT_LE(std::abs((plain.left + plain.right) - 60), 6) << "centred horizontally";

    surface.Fill(RGB(255, 255, 255));
    DrawRotatedText(surface.dc(), "WWW&WWW", r, 0);
    const RECT underlined = surface.InkBox(RGB(255, 255, 255));
    // The underline sits beside the fourth character, on the baseline's side (the left).
    EXPECT_LT(underlined.left, plain.left);
    int lineTop = -1, lineBottom = -1;
    for (int y = 0; y < 200; ++y)
        if (surface.Pixel(underlined.left, y) != RGB(255, 255, 255)) {
            if (lineTop < 0) lineTop = y;
            lineBottom = y + 1;
        }
    const int charLength = (plain.bottom - plain.top) / 6;
    EXPECT_NEAR(lineTop, plain.top + 3 * charLength, 3);
    EXPECT_NEAR(lineBottom - lineTop, charLength, 3);
}

// ---- Menu font ----------------------------------------------------------------------------

using MenuFontTest = ServicesTest;

TEST_F(MenuFontTest, ComesFromTheNonClientMetricsAndIsRebuiltAfterTheyChange) {
    int height = -13;
    SystemSeams().ParametersInfo = [&](UINT action, UINT size, void* data) -> BOOL {
        if (action != SPI_GETNONCLIENTMETRICS) return FALSE;
        auto* metrics = static_cast<NONCLIENTMETRICSA*>(data);
        EXPECT_EQ(size, sizeof(NONCLIENTMETRICSA));
        metrics->lfMenuFont = LOGFONTA{};
        metrics->lfMenuFont.lfHeight = height;
        lstrcpyA(metrics->lfMenuFont.lfFaceName, "Sorvane Menu");
        return TRUE;
    };
    FreeMenuFont();
    auto heightOf = [](HFONT font) {
        LOGFONTA lf{};
        GetObjectA(font, sizeof(lf), &lf);
        EXPECT_STREQ(lf.lfFaceName, "Sorvane Menu");
        return lf.lfHeight;
    };
    HFONT first = MenuFont();
    EXPECT_EQ(MenuFont(), first) << "made once";
    EXPECT_EQ(heightOf(first), -13);
    height = -20;
    RebuildMenuFont();
    EXPECT_EQ(heightOf(MenuFont()), -20);
    FreeMenuFont();
}

// ---- Window printing ----------------------------------------------------------------------

// A window with a 5-pixel non-client frame whose WM_PRINT is PrintWindowParts: the frame red,
// the client blue, and a green child at (20, 20) of the client.
class PrintedWindow {
public:
    PrintedWindow() : window(RECT{50, 50, 150, 130}, WS_POPUP) {
        window.OnMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            auto dc = reinterpret_cast<HDC>(wParam);
            switch (msg) {
            case WM_NCCALCSIZE:
                if (!wParam) return false;
                InflateRect(&reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0], -5, -5);
                result = 0;
                return true;
            case WM_PRINT:
                result = PrintWindowParts(window.get(), dc, lParam, [this](HWND, HDC d) {
                    log.push_back("frame");
                    Fill(d, RECT{0, 0, 100, 80}, RGB(255, 0, 0));
                });
                return true;
            case WM_ERASEBKGND:
                log.push_back("erase");
                result = 1;
                return true;
            case WM_PRINTCLIENT:
                log.push_back("client");
                Fill(dc, RECT{0, 0, 90, 70}, RGB(0, 0, 255));
                return true;
            }
            return false;
        };
        // The frame is asked for again now that the handler is in place.
        SetWindowPos(window.get(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        child = std::make_unique<ProbeWindow>(RECT{20, 20, 40, 30}, WS_CHILD | WS_VISIBLE, window.get());
        child->OnMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            if (msg != WM_PRINT) return false;
            log.push_back("child " + std::to_string(lParam));
            Fill(reinterpret_cast<HDC>(wParam), RECT{0, 0, 50, 50}, RGB(0, 255, 0));
            result = 1;
            return true;
        };
    }
    static void Fill(HDC dc, RECT r, COLORREF color) {
        BrushHandle brush(CreateSolidBrush(color));
        FillRect(dc, &r, brush.get());
    }
    ProbeWindow window;
    std::unique_ptr<ProbeWindow> child;
    std::vector<std::string> log;
};

TEST(PrintWindow, FramesClientAndChildrenEachInTheirPlace) {
    PrintedWindow printed;
    ShowWindow(printed.window.get(), SW_SHOWNOACTIVATE);
    printed.log.clear();  // showing erased the background
    Surface surface(100, 80);
    SendMessageA(printed.window.get(), WM_PRINT, reinterpret_cast<WPARAM>(surface.dc()),
                 PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN | PRF_CHECKVISIBLE);
    EXPECT_EQ(printed.log, (std::vector<std::string>{"frame", "erase", "client", "child 30"}));
    EXPECT_EQ(surface.Pixel(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(surface.Pixel(6, 6), RGB(0, 0, 255));
    EXPECT_EQ(surface.Pixel(94, 74), RGB(0, 0, 255)) << "client clipped at its own edge";
    EXPECT_EQ(surface.Pixel(97, 77), RGB(255, 0, 0));
    EXPECT_EQ(surface.Pixel(26, 26), RGB(0, 255, 0)) << "child at its place in the client";
    EXPECT_EQ(surface.Pixel(45, 26), RGB(0, 0, 255)) << "child clipped to itself";

    printed.log.clear();
    ShowWindow(printed.window.get(), SW_HIDE);
    SendMessageA(printed.window.get(), WM_PRINT, reinterpret_cast<WPARAM>(surface.dc()),
                 PRF_NONCLIENT | PRF_CLIENT | PRF_CHECKVISIBLE);
    EXPECT_TRUE(printed.log.empty()) << "an invisible window asked to check prints nothing";
}

TEST(PrintWindow, ClientAreaOfAControlPaintsAsOnScreen) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 150);
    form.Show();
    auto* panel = TComponent::Create<TPanel>(&form);
    panel->SetBounds(0, 0, 40, 30);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(0x00336699);
    panel->SetParent(&form);
    Surface surface(40, 30);
    PrintClientArea(*panel, surface.dc());
    EXPECT_EQ(surface.Pixel(20, 15), RGB(0x99, 0x66, 0x33));
}

// ---- Lists --------------------------------------------------------------------------------

TEST(ItemLists, MadeOnFirstAddFreedWhenEmptied) {
    int a = 1, b = 2;
    TItemList<int> list;
    EXPECT_TRUE(AddUniqueToList(list, &a));
    EXPECT_FALSE(AddUniqueToList(list, &a));
    EXPECT_TRUE(AddUniqueToList(list, &b));
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, (std::vector<int*>{&a, &b}));
    RemoveFromListAndFree(list, &a);
    RemoveFromListAndFree(list, &a);
    EXPECT_EQ(*list, (std::vector<int*>{&b}));
    RemoveFromListAndFree(list, &b);
    EXPECT_FALSE(list);
}

TEST(ItemLists, SortOrdersByTheComparisonAndPassesItsData) {
    std::mt19937 random(42);
    for (int size : {0, 1, 2, 3, 17, 200}) {
        std::vector<int> values(size);
        for (int& v : values) v = static_cast<int>(random() % 20);  // with repeats
        std::vector<int*> list;
        for (int& v : values) list.push_back(&v);
        bool descending = true;
        SortListBy<int>(list, [](int* x, int* y, void* data) {
            const int order = *x < *y ? -1 : (*x > *y ? 1 : 0);
            return *static_cast<bool*>(data) ? -order : order;
        }, &descending);
        EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), [](int* x, int* y) { return *x > *y; })) << size;
        std::vector<int*> sameItems = list;
        std::sort(sameItems.begin(), sameItems.end());
        std::vector<int*> original;
        for (int& v : values) original.push_back(&v);
        EXPECT_EQ(sameItems, original) << "a permutation of the input";
    }
}

}  // namespace
