#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "toolbar/base/services_fixture.h"
#include "toolbar/skins/distinct_colors.h"
#include "toolbar/skins/skin_fixture.h"
#include "toolbar/skins/skin_paint.h"
#include "widgets/image_list.h"

namespace {

constexpr COLORREF Magenta = RGB(255, 0, 255);

// A surface pixel (0x00RRGGBB) as a COLORREF.
COLORREF AsColorRef(DWORD pixel) { return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF); }

class PaintSurface : public Surface {
public:
    PaintSurface(int width, int height) : Surface(width, height), width_(width) {}
    COLORREF At(int x, int y) const { return AsColorRef(Pixels()[static_cast<size_t>(y * width_ + x)]); }
    void Fill(COLORREF color) { SkinFill(dc(), RECT{0, 0, width_, static_cast<LONG>(Pixels().size()) / width_}, color); }

private:
    int width_;
};

// A masked 4 × 4 image list holding one image; '.' is transparent, the letters name colours.
std::unique_ptr<TImageList> MakeImage(const char* rows[4]) {
    auto list = std::make_unique<TImageList>(nullptr, 4, 4, true);
    TBitmap bitmap;
    bitmap.SetSize(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            COLORREF c = Magenta;
            switch (rows[y][x]) {
                case 'w': c = RGB(255, 255, 255); break;
                case 'k': c = RGB(0, 0, 0); break;
                case 'r': c = RGB(200, 40, 10); break;
            }
            bitmap.Canvas().SetPixel(x, y, c);
        }
    EXPECT_EQ(ImageList_AddMasked(list->Handle(), bitmap.Handle(), Magenta), 0);
    return list;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

using SkinGradient = SkinTest;

TEST_F(SkinGradient, GradientFillGetsTheCornersAndAModeThatIsNeverATriangle) {
    struct Call { std::vector<TRIVERTEX> vertices; GRADIENT_RECT mesh; ULONG mode; };
    std::vector<Call> calls;
    GradientFillEntry() = [&](HDC, TRIVERTEX* v, ULONG n, void* mesh, ULONG meshCount, ULONG mode) -> BOOL {
        EXPECT_EQ(meshCount, 1u);
        calls.push_back({std::vector<TRIVERTEX>(v, v + n), *static_cast<GRADIENT_RECT*>(mesh), mode});
        return TRUE;
    };
    PaintSurface surface(8, 8);
    const RECT r{3, 4, 20, 30};
    for (int direction : {1, 0, 2}) GradientFillRect(surface.dc(), r, RGB(0x12, 0x34, 0x56), direction, clBtnFace);

    ASSERT_EQ(calls.size(), 3u);
    const ULONG modes[] = {GRADIENT_FILL_RECT_V, GRADIENT_FILL_RECT_H, GRADIENT_FILL_RECT_H};
    for (size_t i = 0; i < calls.size(); ++i) {
        const Call& c = calls[i];
        EXPECT_EQ(c.mode, modes[i]);
        ASSERT_EQ(c.vertices.size(), 2u);
        EXPECT_EQ(c.mesh.UpperLeft, 0u);
        EXPECT_EQ(c.mesh.LowerRight, 1u);
        EXPECT_EQ(c.vertices[0].x, 3);
        EXPECT_EQ(c.vertices[0].y, 4);
        EXPECT_EQ(c.vertices[0].Red, 0x1200);
        EXPECT_EQ(c.vertices[0].Green, 0x3400);
        EXPECT_EQ(c.vertices[0].Blue, 0x5600);
        EXPECT_EQ(c.vertices[0].Alpha, 0);
        EXPECT_EQ(c.vertices[1].x, 20);
        EXPECT_EQ(c.vertices[1].y, 30);
        EXPECT_EQ(c.vertices[1].Red, 236 << 8);  // system colours resolved
        EXPECT_EQ(c.vertices[1].Blue, 216 << 8);
    }
}

TEST_F(SkinGradient, FallbackPaintsInsideTheRectangleFromTheStartToTheEndColour) {
    GradientFillEntry() = nullptr;
    PaintSurface surface(30, 30);
    const COLORREF start = RGB(0, 200, 100), end = RGB(250, 0, 100);

    GradientFillRect(surface.dc(), RECT{5, 8, 15, 18}, start, 1, end);  // 10 rows, 9 steps
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool inside = x >= 5 && x < 15 && y >= 8 && y < 18;
            const int i = y - 8;
            const COLORREF expected = inside ? RGB(250 * i / 9, 200 - 200 * i / 9, 100) : RGB(255, 255, 255);
            ASSERT_EQ(surface.At(x, y), expected) << x << "," << y;
        }

    // A 20-row fade from black reaches its end colour in the last row.
    PaintSurface fade(4, 20);
    GradientFillRect(fade.dc(), RECT{0, 0, 4, 20}, RGB(0, 0, 0), 1, RGB(200, 200, 200));
    EXPECT_EQ(fade.At(2, 0), RGB(0, 0, 0));
    EXPECT_EQ(fade.At(2, 19), RGB(200, 200, 200));
    PaintSurface thin(4, 1);
    GradientFillRect(thin.dc(), RECT{0, 0, 4, 1}, start, 1, end);  // one row: the start colour
    EXPECT_EQ(thin.At(2, 0), start);

    PaintSurface across(30, 30);
    GradientFillRect(across.dc(), RECT{20, 2, 25, 4}, start, 0, end);  // 5 columns from the left edge
    EXPECT_EQ(across.At(20, 2), start);
    EXPECT_EQ(across.At(23, 3), RGB(187, 50, 100));
    EXPECT_EQ(across.At(24, 3), end);
    EXPECT_EQ(across.At(19, 2), RGB(255, 255, 255));
    EXPECT_EQ(across.At(25, 2), RGB(255, 255, 255));
    EXPECT_EQ(across.At(20, 4), RGB(255, 255, 255));

    // Empty and inverted rectangles, at the origin too, paint nothing.
    PaintSurface untouched(10, 10);
    for (RECT r : {RECT{0, 0, 0, 0}, RECT{0, 0, 0, 10}, RECT{0, 0, 10, 0}, RECT{5, 5, 2, 9}})
        for (int direction : {0, 1}) GradientFillRect(untouched.dc(), r, start, direction, end);
    for (DWORD p : untouched.Pixels()) ASSERT_EQ(p, 0xFFFFFFu);
}

TEST_F(SkinGradient, SystemGradientRunsTheSameWayAsTheFallback) {
    if (!GradientFillEntry()) GTEST_SKIP() << "no GradientFill here";
    for (bool system : {true, false}) {
        if (!system) GradientFillEntry() = nullptr;
        PaintSurface surface(20, 20);
        GradientFillRect(surface.dc(), RECT{0, 0, 20, 20}, RGB(0, 0, 0), 1, RGB(200, 200, 200));
        EXPECT_TRUE(Near(surface.At(10, 0), RGB(0, 0, 0), 10)) << system;
        EXPECT_TRUE(Near(surface.At(10, 19), RGB(200, 200, 200), 12)) << system;
        EXPECT_TRUE(Near(surface.At(10, 10), RGB(100, 100, 100), 12)) << system;
    }
}

using SkinImages = SkinTest;

TEST_F(SkinImages, BlendedImageMixesOnlyThePixelsTheImageCovers) {
    const char* rows[] = {"w..k", ".rr.", ".rr.", "k..w"};
    auto list = MakeImage(rows);
    PaintSurface surface(10, 10);
    const COLORREF back = RGB(10, 200, 100);
    surface.Fill(back);
    DrawBlendedImage(surface.dc(), RECT{3, 3, 7, 7}, *list, 200, 0);

    auto mix = [](int b, int i) { return (b * 55 + i * 200) >> 8; };
    auto blended = [&](COLORREF image) {
        return RGB(mix(10, GetRValue(image)), mix(200, GetGValue(image)), mix(100, GetBValue(image)));
    };
    EXPECT_EQ(surface.At(3, 3), blended(RGB(255, 255, 255)));
    EXPECT_EQ(surface.At(6, 3), blended(RGB(0, 0, 0)));
    EXPECT_EQ(surface.At(4, 4), blended(RGB(200, 40, 10)));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const int ix = x - 3, iy = y - 3;
            const bool covered = ix >= 0 && ix < 4 && iy >= 0 && iy < 4 && rows[iy][ix] != '.';
            if (!covered) {
                ASSERT_EQ(surface.At(x, y), back) << x << "," << y;
            }
        }

    // Cut to the rectangle; nothing at all for an empty one.
    PaintSurface cut(10, 10);
    cut.Fill(back);
    DrawBlendedImage(cut.dc(), RECT{0, 0, 2, 10}, *list, 255, 0);
    EXPECT_EQ(cut.At(0, 0), RGB(255, 255, 255) & 0xFEFEFE);  // 255·255 shr 8 = 254
    EXPECT_EQ(cut.At(3, 0), back);
    for (RECT r : {RECT{0, 0, 0, 4}, RECT{0, 0, 4, -1}}) {
        PaintSurface empty(6, 6);
        DrawBlendedImage(empty.dc(), r, *list, 128, 0);
        DrawDisabledImage(empty.dc(), r, *list, false, 0);
        for (DWORD p : empty.Pixels()) ASSERT_EQ(p, 0xFFFFFFu);
    }
}

TEST_F(SkinImages, DisabledImageShadesTheBackgroundByTheImagesGreyLevel) {
    const char* rows[] = {"w...", ".k..", "..r.", "...."};
    auto list = MakeImage(rows);
    for (bool light : {false, true}) {
        PaintSurface surface(4, 4);
        const int v[] = {90, 180, 240};  // red, green, blue of the background
        surface.Fill(RGB(v[0], v[1], v[2]));
        DrawDisabledImage(surface.dc(), RECT{0, 0, 4, 4}, *list, light, 0);
        auto shaded = [&](int factor) { return RGB(v[0] * factor >> 8, v[1] * factor >> 8, v[2] * factor >> 8); };
        const int grey = (200 * 76 + 40 * 150 + 10 * 29) >> 8;
        EXPECT_EQ(surface.At(0, 0), shaded(light ? (254 >> 3) + 223 : 254 / 3 + 170)) << light;  // white
        EXPECT_EQ(surface.At(1, 1), shaded(light ? 223 : 170)) << light;                          // black
        EXPECT_EQ(surface.At(2, 2), shaded(light ? (grey >> 3) + 223 : grey / 3 + 170)) << light;
        EXPECT_EQ(surface.At(3, 3), RGB(v[0], v[1], v[2]));
    }
}

TEST_F(SkinImages, HotOfficeXPImageCastsItsShadowAndIsLifted) {
    const char* rows[] = {"rr..", "rr..", "....", "...."};
    auto list = MakeImage(rows);
    TTBSkin placed(nullptr);  // the default skin becomes Office-XP with blended images
    UseDistinctColors(placed);
    const TTBBaseSkin& skin = *DefaultSkin;
    PaintSurface surface(12, 12);
    surface.Fill(RGB(255, 255, 255));
    TTBSkinImageState hot;
    hot.Selected = true;
    // Centred in (2, 2, 10, 10): the image at (4, 4), lifted to (3, 3), its shadow at (5, 5).
    DrawSkinItemImage(surface.dc(), RECT{2, 2, 10, 10}, TTBImageSet{list.get()}, 0, skin, hot);
    const COLORREF shadow = D(tcImgListShadow), red = RGB(200, 40, 10);
    EXPECT_EQ(surface.At(3, 3), red);
    EXPECT_EQ(surface.At(4, 4), red);
    EXPECT_EQ(surface.At(5, 5), shadow);
    EXPECT_EQ(surface.At(6, 6), shadow);
    EXPECT_EQ(surface.At(7, 7), RGB(255, 255, 255));
    EXPECT_EQ(surface.At(5, 3), RGB(255, 255, 255));

    // Not hot: blended (200 in toolbars), since the Office-XP skin turned tboBlendedImages on.
    PaintSurface rest(12, 12);
    rest.Fill(RGB(255, 255, 255));
    DrawSkinItemImage(rest.dc(), RECT{2, 2, 10, 10}, TTBImageSet{list.get()}, 0, skin, TTBSkinImageState{});
    EXPECT_EQ(rest.At(4, 4), RGB((255 * 55 + 200 * 200) >> 8, (255 * 55 + 40 * 200) >> 8, (255 * 55 + 10 * 200) >> 8));
    EXPECT_EQ(rest.At(3, 3), RGB(255, 255, 255));
}

TEST_F(SkinImages, WorkBitmapsAreReusedAndReplacedWithoutLeaks) {
    const char* rows[] = {"rrrr", "r..r", "r..r", "rrrr"};
    auto list = MakeImage(rows);
    PaintSurface surface(8, 8);
    TTBSkin skin(nullptr);
    TTBSkinImageState hot;
    hot.Selected = true;
    auto paintAll = [&](int size) {
        const RECT r{0, 0, size, size};
        DrawBlendedImage(surface.dc(), r, *list, 100, 0);
        DrawDisabledImage(surface.dc(), r, *list, false, 0);
        DrawSkinItemImage(surface.dc(), r, TTBImageSet{list.get()}, 0, skin, hot);
        GradientFillRect(surface.dc(), r, clBtnFace, 1, clWindow);
        SkinRoundRect(surface.dc(), r, RGB(1, 2, 3), RGB(4, 5, 6));
        DrawSkinCheckGlyph(surface.dc(), r, true, RGB(0, 0, 0));
    };
    auto selected = [&] {
        return std::vector<HGDIOBJ>{GetCurrentObject(surface.dc(), OBJ_BRUSH), GetCurrentObject(surface.dc(), OBJ_PEN),
                                    GetCurrentObject(surface.dc(), OBJ_FONT)};
    };
    const std::vector<HGDIOBJ> before = selected();
    paintAll(4);
    const long gdi = HandleCounters::GdiObjects(), dcs = HandleCounters::DeviceContexts();
    for (int i = 0; i < 200; ++i) paintAll(2 + i % 3);
    EXPECT_EQ(HandleCounters::GdiObjects(), gdi);
    EXPECT_EQ(HandleCounters::DeviceContexts(), dcs);
    EXPECT_EQ(selected(), before);  // every brush and pen was taken out before it was deleted
    EXPECT_EQ(SkinWorkBitmapSize().cx, 3);  // the last size asked for
    FreeSkinPaintResources();
    EXPECT_EQ(SkinWorkBitmapSize().cx, 0);
    EXPECT_EQ(HandleCounters::GdiObjects(), gdi - 2);
    EXPECT_EQ(HandleCounters::DeviceContexts(), dcs - 2);
}

using SkinBackgrounds = SkinTest;

TEST_F(SkinBackgrounds, ToolbarAndPopupFills) {
    TTBSkin skin(nullptr);
    UseDistinctColors(skin);
    PaintSurface surface(20, 20);
    const RECT all{0, 0, 20, 20};
    TTBToolbarBackground docked;
    docked.Docked = true;
    EXPECT_TRUE(PaintSkinToolbarBackground(surface.dc(), all, &skin, docked));
    EXPECT_EQ(surface.At(0, 0), D(tcToolbar));
    TTBToolbarBackground menuBar = docked;
    menuBar.MenuBar = true;
    menuBar.MenuBarColor = RGB(7, 8, 9);
    PaintSkinToolbarBackground(surface.dc(), all, &skin, menuBar);
    EXPECT_EQ(surface.At(0, 0), RGB(7, 8, 9));
    skin.SetOptions(skin.Options() + TTBOptions{tboMenuTBColor});
    PaintSkinToolbarBackground(surface.dc(), all, &skin, menuBar);
    EXPECT_EQ(surface.At(0, 0), D(tcToolbar));
    EXPECT_FALSE(PaintSkinToolbarBackground(surface.dc(), all, &skin, TTBToolbarBackground{}));  // floating
    TTBToolbarBackground picture = docked;
    picture.DockShowsPicture = true;
    EXPECT_FALSE(PaintSkinToolbarBackground(surface.dc(), all, &skin, picture));
    EXPECT_FALSE(PaintSkinToolbarBackground(surface.dc(), all, nullptr, docked));

    PaintSkinPopupBackground(surface.dc(), all, &skin, false, 10);
    EXPECT_EQ(surface.At(19, 19), D(tcPopup));
    PaintSkinPopupBackground(surface.dc(), all, nullptr, false, 10);
    EXPECT_EQ(surface.At(19, 19), ColorToRGB(clMenu));

    std::vector<std::pair<RECT, ULONG>> gradients;
    GradientFillEntry() = [&](HDC, TRIVERTEX* v, ULONG, void*, ULONG, ULONG mode) -> BOOL {
        gradients.push_back({RECT{v[0].x, v[0].y, v[1].x, v[1].y}, mode});
        return TRUE;
    };
    skin.SetPopupStyle(tbpsGradVert);
    skin.SetImgBackStyle(tbimsGradHorz);
    PaintSkinPopupBackground(surface.dc(), all, &skin, false, 10);
    ASSERT_EQ(gradients.size(), 2u);
    EXPECT_EQ(gradients[0].first, all);
    EXPECT_EQ(gradients[0].second, static_cast<ULONG>(GRADIENT_FILL_RECT_V));
    EXPECT_EQ(gradients[1].first, (RECT{0, 0, 12, 20}));
    EXPECT_EQ(gradients[1].second, static_cast<ULONG>(GRADIENT_FILL_RECT_H));
    gradients.clear();
    PaintSkinPopupBackground(surface.dc(), all, &skin, true, 10);  // a chevron popup: plain colour
    EXPECT_TRUE(gradients.empty());
}

TEST_F(SkinBackgrounds, ThemeDrawingOpensDrawsAndClosesEachClass) {
    std::vector<std::string> calls;
    const HTHEME theme = reinterpret_cast<HTHEME>(0x1234);
    ThemeApi().IsThemeActive = []() -> BOOL { return TRUE; };
    ThemeApi().OpenThemeData = [&](HWND, LPCWSTR name) {
        calls.push_back("open " + std::string(name, name + wcslen(name)));
        return theme;
    };
    ThemeApi().CloseThemeData = [&](HTHEME t) -> HRESULT {
        calls.push_back(t == theme ? "close" : "close other");
        return S_OK;
    };
    ThemeApi().DrawThemeBackground = [&](HTHEME, HDC, int part, int state, const RECT* r, const RECT*) -> HRESULT {
        calls.push_back("draw " + std::to_string(part) + " " + std::to_string(state) + " " + std::to_string(r->right));
        return S_OK;
    };
    PaintSurface surface(4, 4);
    DrawThemePart(nullptr, surface.dc(), ThemeClassToolbar, TP_BUTTON,
                  ToolbarThemeState(true, true, true, false), RECT{0, 0, 9, 9});
    EXPECT_EQ(calls, (std::vector<std::string>{"open Toolbar", "draw 1 6 9", "close"}));

    calls.clear();
    ThemeApi().IsThemeActive = []() -> BOOL { return FALSE; };
    DrawThemePart(nullptr, surface.dc(), ThemeClassReBar, RP_GRIPPER, 1, RECT{0, 0, 1, 1});
    EXPECT_TRUE(calls.empty());  // themes off: nothing is opened

    const int states[][5] = {{0, 1, 1, 1, TS_DISABLED}, {1, 1, 0, 0, TS_CHECKED}, {1, 0, 1, 1, TS_PRESSED},
                             {1, 0, 1, 0, TS_HOT}, {1, 0, 0, 0, TS_NORMAL}};
    for (const auto& s : states) EXPECT_EQ(ToolbarThemeState(s[0], s[1], s[2], s[3]), s[4]);
}

// The close button's cross is the framework's own: centred, one pixel further when pushed.
TEST_F(SkinBackgrounds, CloseGlyphIsACentredCrossMovedWhenPushedAndColumnsMeasure) {
    const std::vector<std::string> cross{"##....##", ".##..##.", "..####..", "...##...",
                                         "..####..", ".##..##.", "##....##"};
    for (bool pushed : {false, true}) {
        PaintSurface surface(16, 16);
        DrawCloseGlyph(surface.dc(), RECT{0, 0, 16, 16}, pushed, RGB(200, 0, 0));
        const int origin = pushed ? 5 : 4;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const int gx = x - origin, gy = y - origin;
                const bool mark = gx >= 0 && gx < 8 && gy >= 0 && gy < 7 && cross[gy][gx] == '#';
                ASSERT_EQ(surface.At(x, y), mark ? RGB(200, 0, 0) : RGB(255, 255, 255)) << x << "," << y << " " << pushed;
            }
    }

    TImageList list(nullptr, 16, 16, true);
    EXPECT_EQ(SkinImageColumnWidth(&list, 22), (16 + 3) * 22 / (16 + 3) + 2);
    TImageList wide(nullptr, 24, 16, true);
    EXPECT_EQ(SkinImageColumnWidth(&wide, 20), 27 * 20 / 19 + 2);
    EXPECT_EQ(SkinImageColumnWidth(nullptr, 20), 22);
}

}  // namespace

namespace {

// A 32-bit surface whose fourth bytes a test sets, as layered or alpha-aware drawing leaves them.
class AlphaSurface {
public:
    AlphaSurface(int width, int height, DWORD fill) : count_(static_cast<size_t>(width * height)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
        selected_ = std::make_unique<ScopedSelect>(dc_.get(), bitmap_.get());
        std::fill(bits_, bits_ + count_, fill);
    }
    HDC dc() const { return dc_.get(); }
    DWORD At(size_t i) const { GdiFlush(); return bits_[i]; }

private:
    size_t count_;
    MemoryDC dc_;
    BitmapHandle bitmap_;
    std::unique_ptr<ScopedSelect> selected_;
    DWORD* bits_ = nullptr;
};

TEST_F(SkinImages, OnlyColourChannelsDecideWhatTheImageCovers) {
    const char* rows[] = {"k...", "....", "....", "...."};
    auto list = MakeImage(rows);
    AlphaSurface surface(4, 4, 0xFF0A64C8);
    DrawBlendedImage(surface.dc(), RECT{0, 0, 4, 4}, *list, 128, 0);
    EXPECT_NE(surface.At(0) & 0xFFFFFF, 0x0A64C8u);
    for (size_t i = 1; i < 16; ++i) EXPECT_EQ(surface.At(i) & 0xFFFFFF, 0x0A64C8u) << i;
}

}  // namespace
