#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <random>

#include "toolbar/base/services_fixture.h"
#include "toolbar/base/common.h"

namespace {

TEST(AccelChar, SinglesCountDoublesAreLiteralAndDoubleByteCharactersAreWhole) {
    struct Case { const char* caption; char accel; const char* shown; };
    const Case cases[] = {
        {"&File", 'F', "File"}, {"none", 0, "none"}, {"&&x", 0, "&x"}, {"a&&b &x", 'x', "a&b x"},
        {"a&&b&&", 0, "a&b&"}, {"tail&", 0, "tail"}, {"&&&", 0, "&"}, {"&a&b", 'b', "ab"}, {"&&&x", 'x', "&x"},
        {"ソ&x", 'x', "ソx"}, {"表示&&&v", 'v', "表示&v"},  // 0x5C trail bytes
        {"&ソ", 0, "ソ"},                                   // a double-byte character is no key
        {"\x83\x26x", 0, "\x83\x26x"},                      // a trail byte is never an ampersand
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindAccelChar(c.caption), c.accel) << c.caption;
        EXPECT_EQ(StripAccelChars(c.caption).Text, c.shown) << c.caption;
    }
}

TEST(DivRoundAway, RoundsUpOnlyWhenNotExact) {
    const int cases[][3] = {{7, 2, 4}, {6, 2, 3}, {1, 3, 1}, {0, 5, 0}, {15, 16, 1}};
    for (const auto& c : cases) EXPECT_EQ(DivRoundAway(c[0], c[1]), c[2]) << c[0] << "/" << c[1];
}

using SystemSettings = ServicesTest;

TEST_F(SystemSettings, MenuShowDelayFromTheSystemElseFromTheRegistryElse400) {
    struct Case { const char* name; DWORD major; int call; bool keyOpens; LONG result; DWORD type; const char* text; int delay; };
    const int fails = -1;
    const Case cases[] = {
        {"old system", 3, 100, true, ERROR_SUCCESS, REG_SZ, "10", 400},
        {"system call", 5, 250, true, ERROR_SUCCESS, REG_SZ, "10", 250},
        {"negative from the call", 5, -20, false, 0, 0, "", 0},
        {"no key", 5, fails, false, ERROR_FILE_NOT_FOUND, REG_NONE, "", 400},
        {"no value", 5, fails, true, ERROR_FILE_NOT_FOUND, REG_NONE, "", 400},
        {"a number", 5, fails, true, ERROR_SUCCESS, REG_SZ, "120", 120},
        {"not a string", 5, fails, true, ERROR_SUCCESS, REG_DWORD, "x", 0},
        {"not a number", 5, fails, true, ERROR_SUCCESS, REG_SZ, "12ms", 0},
        {"negative", 5, fails, true, ERROR_SUCCESS, REG_SZ, "-5", 0},
        {"larger than the probe", 5, fails, true, ERROR_MORE_DATA, REG_SZ, "", 0},
    };
    for (const Case& c : cases) {
        ResetSystemSeams();
        SystemSeams().Version = [&] { return TSystemVersion{VER_PLATFORM_WIN32_NT, c.major, 0}; };
        SystemSeams().ParametersInfo = [&](UINT action, UINT, void* data) -> BOOL {
            if (action != SPI_GETMENUSHOWDELAY || c.call == fails) return FALSE;
            *static_cast<DWORD*>(data) = static_cast<DWORD>(c.call);
            return TRUE;
        };
        int reads = 0;
        SystemSeams().ReadRegistry = [&](HKEY root, const std::string& key, const std::string& value, DWORD) {
            ++reads;
            EXPECT_TRUE(root == HKEY_CURRENT_USER && key == "Control Panel\\Desktop" && value == "MenuShowDelay");
            return TRegistryValue{c.keyOpens, c.result, c.type, std::string(c.text) + '\0'};
        };
        EXPECT_EQ(GetMenuShowDelay(), c.delay) << c.name;
        EXPECT_EQ(GetMenuShowDelay(), c.delay) << c.name;
        EXPECT_LE(reads, 1) << c.name << ": the registry is read once per process";
    }
}

TEST_F(SystemSettings, MenuSoundsPlayOnlyWhenTheSchemeHasOne) {
    struct Case { const char* name; DWORD platform, major; bool keyOpens; LONG result; std::string value; bool plays; };
    const Case cases[] = {
        {"sound file", VER_PLATFORM_WIN32_NT, 5, true, ERROR_SUCCESS, std::string("a.wav\0", 6), true},
        {"larger than the probe", VER_PLATFORM_WIN32_NT, 5, true, ERROR_MORE_DATA, "", true},
        {"empty value", VER_PLATFORM_WIN32_NT, 5, true, ERROR_SUCCESS, std::string("\0", 1), false},
        {"no value", VER_PLATFORM_WIN32_NT, 6, true, ERROR_FILE_NOT_FOUND, "", false},
        {"no key", VER_PLATFORM_WIN32_NT, 6, false, ERROR_FILE_NOT_FOUND, "", false},
        {"NT 4: no schemes", VER_PLATFORM_WIN32_NT, 4, false, ERROR_FILE_NOT_FOUND, "", true},
        {"Windows 98: no schemes", VER_PLATFORM_WIN32_WINDOWS, 4, false, ERROR_FILE_NOT_FOUND, "", true},
    };
    for (const Case& c : cases) {
        SystemSeams().Version = [&] { return TSystemVersion{c.platform, c.major, 0}; };
        std::vector<std::string> log;
        SystemSeams().ReadRegistry = [&](HKEY, const std::string& key, const std::string& value, DWORD probe) {
            log.push_back("read " + key + "|" + value + "|" + std::to_string(probe));
            return TRegistryValue{c.keyOpens, c.result, REG_SZ, c.value};
        };
        SystemSeams().PlayAlias = [&](const char* alias, DWORD flags) -> BOOL {
            EXPECT_EQ(flags, static_cast<DWORD>(SND_ALIAS | SND_ASYNC | SND_NODEFAULT | SND_NOSTOP));
            log.push_back(std::string("play ") + alias);
            return TRUE;
        };
        PlaySystemSound(MenuPopupSound);
        std::vector<std::string> expected;
        if (c.platform == VER_PLATFORM_WIN32_NT && c.major > 4)
            expected.push_back("read AppEvents\\Schemes\\Apps\\.Default\\MenuPopup\\.Current||8");
        if (c.plays) expected.push_back("play MenuPopup");
        EXPECT_EQ(log, expected) << c.name;
    }
}

// Counts paints; it stops validating only once the test has it painted, so that no pumping
// outside the test meets a window that never ends painting.
struct PaintCounter {
    explicit PaintCounter(bool validating) : window(RECT{10, 10, 110, 60}, WS_POPUP | WS_VISIBLE) {
        window.OnMessage = [this](UINT msg, WPARAM, LPARAM) {
            if (msg != WM_PAINT) return false;
            ++paints;
            if (validates) ValidateRect(window.get(), nullptr);
            return true;
        };
        UpdateWindow(window.get());
        paints = 0;
        validates = validating;
        InvalidateRect(window.get(), nullptr, TRUE);
    }
    ~PaintCounter() { ValidateRect(window.get(), nullptr); }
    ProbeWindow window;
    int paints = 0;
    bool validates = true;
};

// A window still invalid after its paint asks for a real repaint: it keeps the request, and
// the dispatching ends there rather than asking it for ever.
TEST(PendingPaints, EveryWaitingWindowPaintsOnceAndOneAskingAgainKeepsItsRequest) {
    PaintCounter good(true), stubborn(false);
    DispatchPendingPaints();
    EXPECT_EQ(good.paints, 1);
    EXPECT_EQ(stubborn.paints, 1);
    EXPECT_TRUE(GetUpdateRect(stubborn.window.get(), nullptr, FALSE)) << "its repaint is still to come";
}

TEST(QueuedMessages, ARangeOverPaintingEndsAndKeepsWhatIsOutsideIt) {
    PaintCounter stubborn(false);
    HWND w = stubborn.window.get();
    for (UINT msg : {WM_NULL + 1u, WM_USER + 1u, WM_APP + 7u}) PostMessageA(w, msg, 0, 0);
    DiscardQueuedMessages(WM_NULL + 1, WM_USER + 100);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, w, WM_NULL + 1, WM_PAINT - 1, PM_NOREMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, w, WM_PAINT + 1, WM_USER + 100, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessageA(&msg, w, WM_APP + 7, WM_APP + 7, PM_REMOVE));
    EXPECT_EQ(stubborn.paints, 0);
}

TEST(NCUpdateRegion, ClipsInWindowCoordinatesAndLeavesTheRegionToTheSystem) {
    ProbeWindow window(RECT{100, 120, 300, 270}, WS_POPUP | WS_VISIBLE);
    RegionHandle region(CreateRectRgn(110, 130, 150, 160));  // screen coordinates, as WM_NCPAINT gives
    HDC dc = GetWindowDC(window.get());
    ClipToNCUpdateRegion(window.get(), dc, region.get());
    RECT clip, box;
    EXPECT_EQ(GetClipBox(dc, &clip), SIMPLEREGION);
    ReleaseDC(window.get(), dc);
    EXPECT_EQ(clip, (RECT{10, 10, 50, 40}));
    ASSERT_EQ(GetRgnBox(region.get(), &box), SIMPLEREGION) << "the system's region is not deleted";
    EXPECT_EQ(box, (RECT{110, 130, 150, 160})) << "nor moved";
}

TEST(DragFrame, MovingTheFrameEqualsDrawingTheNewOneAloneAndErasingRestores) {
    const RECT a{10, 10, 70, 60}, b{20, 25, 90, 80};
    const SIZE thick{3, 3}, thin{1, 1};
    Surface moved(100, 100), fresh(100, 100);
    const std::vector<DWORD> blank = moved.Pixels();
    DrawDragFrame(moved.dc(), &a, nullptr, thick, thick);
    const std::vector<DWORD> drawn = moved.Pixels();
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), 0u), (60 * 50 - 54 * 44) / 2) << "every other outline pixel";

    DrawDragFrame(moved.dc(), &b, &a, thin, thick);
    DrawDragFrame(fresh.dc(), &b, nullptr, thin, thin);
    EXPECT_EQ(moved.Pixels(), fresh.Pixels()) << "where the outlines overlap nothing changes";
    DrawDragFrame(moved.dc(), nullptr, &b, thin, thin);
    EXPECT_EQ(moved.Pixels(), blank);
}

TEST(ItemLists, QuicksortOrdersByTheComparisonAndItsData) {
    std::mt19937 random(42);
    for (int size : {0, 1, 2, 3, 17, 200}) {
        std::vector<int> values(size);
        for (int& v : values) v = static_cast<int>(random() % 20);  // with repeats
        std::vector<int*> list;
        for (int& v : values) list.push_back(&v);
        bool descending = true;
        SortListBy<int>(list, [](int* x, int* y, void* data) {
            return (*x - *y) * (*static_cast<bool*>(data) ? -1 : 1);
        }, &descending);
        EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), [](int* x, int* y) { return *x > *y; })) << size;
        std::sort(list.begin(), list.end());
        std::vector<int*> each;
        for (int& v : values) each.push_back(&v);
        EXPECT_EQ(list, each) << "every item once";
    }
}

}  // namespace
