#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "toolbar/base/services_fixture.h"
#include "toolbar/skins/distinct_colors.h"
#include "toolbar/skins/skin_fixture.h"
#include "toolbar/skins/skin_frames.h"
#include "toolbar/skins/skin_parts.h"
#include "widgets/image_list.h"

namespace {

constexpr COLORREF White = RGB(255, 255, 255);

// Each part test paints with the default skin as the program runs it, Office-XP after the
// first skin was placed, but with colours that differ in every slot.
class SkinParts : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        placed_ = std::make_unique<TTBSkin>(nullptr);
        UseDistinctColors(*placed_);
        ASSERT_EQ(DefaultSkin->SkinColor(tcSelBar), D(tcSelBar)) << "the default skin follows the placed one";
    }
    void TearDown() override {
        placed_.reset();
        SkinKeyboardSelection = false;
        SkinTest::TearDown();
    }
    static COLORREF C(TTBSkinColorIndex slot) { return D(slot); }
    std::unique_ptr<TTBSkin> placed_;
};

TEST_F(SkinParts, OfficeXPButtonsByState) {
    struct Case {
        const char* name;
        TTBSkinItemState state;
        COLORREF frame, fill, inner;
    };
    auto state = [](auto set) { TTBSkinItemState s; set(s); return s; };
    const Case cases[] = {
        {"hot", state([](auto& s) { s.Selected = true; }), C(tcSelBarBorder), C(tcSelBar), C(tcSelBar)},
        {"pushed", state([](auto& s) { s.Selected = s.Pushed = true; }), C(tcSelBarBorder), C(tcSelPushed),
         C(tcSelPushed)},
        {"checked, not hot", state([](auto& s) { s.Checked = true; }), C(tcSelBarBorder), C(tcChecked),
         C(tcChecked)},
        {"checked and hot", state([](auto& s) { s.Checked = s.Selected = true; }), C(tcSelBarBorder),
         C(tcCheckedOver), C(tcCheckedOver)},
        {"open submenu", state([](auto& s) { s.Selected = s.Pushed = s.DroppedDown = s.HasSubmenu = true; }),
         C(tcBorder), C(tcImageList), C(tcImageList)},
        {"pushed chevron item", state([](auto& s) { s.Selected = s.Pushed = s.HasSubmenu = s.ChevronSubmenu = true; }),
         C(tcBorder), C(tcSelPushed), C(tcSelPushed)},
        {"disabled under the mouse", state([](auto& s) { s.Selected = s.MouseInsideSelected = true; s.Enabled = s.ShownEnabled = false; }),
         White, White, White},
    };
    for (const Case& c : cases) {
        Canvas canvas(30, 24);
        const TTBSkinButtonParts parts =
            PaintSkinButton(canvas.dc(), RECT{0, 0, 30, 24}, *DefaultSkin, c.state, nullptr);
        EXPECT_EQ(canvas.At(0, 0), c.frame) << c.name;
        EXPECT_EQ(canvas.At(29, 23), c.frame) << c.name;
        EXPECT_EQ(canvas.At(1, 1), c.fill) << c.name;
        EXPECT_EQ(canvas.At(2, 2), c.inner) << c.name;
        EXPECT_EQ(parts.Content, (RECT{2, 2, 28, 22})) << c.name;
        EXPECT_FALSE(parts.DrawArrowGlyph) << c.name;
    }
}

TEST_F(SkinParts, OpenOfficeXPSplitButtonShowsItsTwoPartsJoined) {
    TTBSkinItemState s;
    s.Selected = s.Pushed = s.DroppedDown = s.HasSubmenu = s.HasArrow = s.Split = true;
    Canvas canvas(40, 20);
    const TTBSkinButtonParts parts = PaintSkinButton(canvas.dc(), RECT{0, 0, 40, 20}, *DefaultSkin, s, nullptr);
    EXPECT_EQ(parts.Arrow, (RECT{29, 0, 38, 20}));
    EXPECT_EQ(parts.Content, (RECT{2, 2, 27, 18}));
    EXPECT_TRUE(parts.DrawArrowGlyph);
    // Button (0..29) framed one pixel wider, arrow part widened to 28..39: the seam at x = 28 is
    // tcImageList between the top and bottom edges.
    EXPECT_EQ(canvas.At(0, 5), C(tcBorder));
    EXPECT_EQ(canvas.At(38, 5), C(tcBorder));
    EXPECT_EQ(canvas.At(28, 0), C(tcBorder));
    for (int y = 1; y < 19; ++y) ASSERT_EQ(canvas.At(28, y), C(tcImageList)) << y;
    EXPECT_EQ(canvas.At(29, 5), C(tcImageList));
    EXPECT_EQ(canvas.At(39, 5), White);

    // Not open: each part framed on its own, the arrow part's left edge between them.
    TTBSkinItemState hot = s;
    hot.Pushed = hot.DroppedDown = false;
    Canvas closed(40, 20);
    PaintSkinButton(closed.dc(), RECT{0, 0, 40, 20}, *DefaultSkin, hot, nullptr);
    EXPECT_EQ(closed.At(28, 5), C(tcSelBarBorder));
    EXPECT_EQ(closed.At(29, 5), C(tcSelBar));
}

TEST_F(SkinParts, WindowsXPAndNativeButtons) {
    DefaultSkin->SetSkinType(tbsWindowsXP);
    UseDistinctColors(*DefaultSkin);
    TTBSkinItemState s;
    s.Selected = true;
    s.MenuBar = true;
    Canvas menuBar(20, 20);
    PaintSkinButton(menuBar.dc(), RECT{0, 0, 20, 20}, *DefaultSkin, s, nullptr);
    EXPECT_EQ(menuBar.At(0, 0), C(tcSelItem));

    s.MenuBar = false;
    Canvas rounded(20, 20);
    PaintSkinButton(rounded.dc(), RECT{0, 0, 20, 20}, *DefaultSkin, s, nullptr);
    EXPECT_EQ(rounded.At(0, 0), White);  // the rounded corner
    EXPECT_EQ(rounded.At(0, 10), C(tcSelBarBorder));
    EXPECT_EQ(rounded.At(10, 10), C(tcSelBar));

    std::vector<std::string> draws;
    SystemSeams().Version = [] { return TSystemVersion{VER_PLATFORM_WIN32_NT, 5, 1}; };
    ThemeApi().IsThemeActive = []() -> BOOL { return TRUE; };
    ThemeApi().OpenThemeData = [](HWND, LPCWSTR) { return reinterpret_cast<HTHEME>(1); };
    ThemeApi().CloseThemeData = [&](HTHEME) -> HRESULT { draws.push_back("close"); return S_OK; };
    ThemeApi().DrawThemeBackground = [&](HTHEME, HDC, int part, int state, const RECT* r, const RECT*) -> HRESULT {
        draws.push_back(std::to_string(part) + "/" + std::to_string(state) + " " + std::to_string(r->left) + "-" +
                        std::to_string(r->right));
        return S_OK;
    };
    placed_->SetSkinType(tbsNativeXP);
    ASSERT_EQ(DefaultSkin->SkinType(), tbsNativeXP);
    s.Split = s.HasArrow = s.Pushed = true;  // pushed without capture: its menu is open
    Canvas native(40, 20);
    const TTBSkinButtonParts parts = PaintSkinButton(native.dc(), RECT{0, 0, 40, 20}, *DefaultSkin, s, nullptr);
    EXPECT_EQ(draws, (std::vector<std::string>{"3/2 0-29", "4/2 29-40", "close"}));
    EXPECT_FALSE(parts.DrawArrowGlyph);
}

TEST_F(SkinParts, OfficeXPPopupRows) {
    TImageList images(nullptr, 16, 16, true);
    const int column = (16 + 3) * 22 / (16 + 3) + 2;  // 24
    TTBSkinItemState s;
    s.MenuStyle = true;

    Canvas plain(100, 22);
    PaintSkinMenuItem(plain.dc(), RECT{0, 0, 100, 22}, *DefaultSkin, s, &images);
    EXPECT_EQ(plain.At(column - 1, 10), C(tcImageList));
    EXPECT_EQ(plain.At(column, 10), White);

    s.Selected = true;
    Canvas hot(100, 22);
    PaintSkinMenuItem(hot.dc(), RECT{0, 0, 100, 22}, *DefaultSkin, s, &images);
    EXPECT_EQ(hot.At(0, 10), C(tcImageList));  // only the one-pixel strip
    EXPECT_EQ(hot.At(1, 10), C(tcSelItemBorder));
    EXPECT_EQ(hot.At(2, 10), C(tcSelItem));
    EXPECT_EQ(hot.At(98, 10), C(tcSelItemBorder));
    EXPECT_EQ(hot.At(99, 10), White);

    // Disabled, reached by the keyboard: the popup colour in a frame, and the flag is spent.
    s.Enabled = s.ShownEnabled = false;
    s.MouseInsideSelected = true;
    SkinKeyboardSelection = true;
    Canvas disabled(100, 22);
    PaintSkinMenuItem(disabled.dc(), RECT{0, 0, 100, 22}, *DefaultSkin, s, &images);
    EXPECT_FALSE(SkinKeyboardSelection);
    EXPECT_EQ(disabled.At(99, 0), C(tcSelBarBorder));
    EXPECT_EQ(disabled.At(50, 10), C(tcPopup));
    EXPECT_EQ(disabled.At(5, 10), C(tcImageList));  // the mouse is inside: the column too

    // Checked without image: the box in the column and the check mark.
    TTBSkinItemState checked;
    checked.MenuStyle = checked.Checked = true;
    Canvas check(100, 22);
    PaintSkinMenuItem(check.dc(), RECT{0, 0, 100, 22}, *DefaultSkin, checked, &images);
    EXPECT_EQ(check.At(2, 1), C(tcSelItemBorder));
    EXPECT_EQ(check.At(column - 3, 20), C(tcSelItemBorder));
    EXPECT_EQ(check.At(3, 2), C(tcSelItem));
    const int cx = column / 2 - 3, cy = 22 / 2;  // the glyph's centre, one up and left under Office-XP
    EXPECT_EQ(check.At(cx, cy), ColorToRGB(clBtnText));
    EXPECT_EQ(check.At(cx + 3, cy - 3), ColorToRGB(clBtnText));
}

TEST_F(SkinParts, SeparatorsAndChevron) {
    Canvas toolbar(3, 20);
    TTBSkinSeparatorState vertical;
    vertical.VerticalLine = true;
    PaintSkinSeparator(toolbar.dc(), RECT{0, 0, 3, 20}, *DefaultSkin, vertical, nullptr);
    EXPECT_EQ(toolbar.At(2, 0), C(tcSeparator));
    EXPECT_EQ(toolbar.At(2, 19), C(tcSeparator));
    EXPECT_EQ(toolbar.At(1, 10), White);

    Canvas popup(100, 3);
    TTBSkinSeparatorState row;
    row.InPopup = true;
    row.FirstViewerHeight = 20;  // column 22
    PaintSkinSeparator(popup.dc(), RECT{0, 0, 100, 3}, *DefaultSkin, row, nullptr);
    EXPECT_EQ(popup.At(23, 2), C(tcImageList));
    EXPECT_EQ(popup.At(24, 2), White);
    EXPECT_EQ(popup.At(25, 1), White);
    EXPECT_EQ(popup.At(26, 1), C(tcSeparator));
    EXPECT_EQ(popup.At(99, 1), C(tcSeparator));
    EXPECT_EQ(popup.At(50, 0), White);

    Canvas chevron(12, 20);
    PaintSkinChevron(chevron.dc(), RECT{0, 0, 12, 20}, *DefaultSkin, true, true, true, false, nullptr);
    EXPECT_EQ(chevron.At(0, 0), C(tcBorder));
    EXPECT_EQ(chevron.At(5, 5), C(tcFace));
    Canvas disabledChevron(12, 20);
    PaintSkinChevron(disabledChevron.dc(), RECT{0, 0, 12, 20}, *DefaultSkin, false, true, true, false, nullptr);
    EXPECT_EQ(disabledChevron.At(5, 5), White);
}

TEST_F(SkinParts, DockedAndFloatingFrames) {
    // A toolbar's inner frame is tcToolbar with tcFace corners; a menu bar's is tcFace throughout.
    for (bool menuBar : {false, true}) {
        Canvas canvas(40, 26);
        TTBSkinFrameState s;
        s.MenuBar = menuBar;
        s.WindowColor = RGB(10, 20, 30);
        PaintSkinDockedBorder(canvas.dc(), RECT{0, 0, 40, 26}, *DefaultSkin, s, true, nullptr);
        EXPECT_EQ(canvas.At(0, 0), RGB(10, 20, 30)) << menuBar;
        EXPECT_EQ(canvas.At(5, 1), menuBar ? C(tcFace) : C(tcToolbar)) << menuBar;
        EXPECT_EQ(canvas.At(1, 1), C(tcFace)) << menuBar;
        EXPECT_EQ(canvas.At(38, 24), C(tcFace)) << menuBar;
        EXPECT_EQ(canvas.At(5, 5), White) << menuBar;
    }

    // Office-XP grip in a top dock: dashes on every other row from 2 below the top to 3 above the end.
    Canvas grip(3, 20);
    PaintSkinGripBar(grip.dc(), RECT{0, 0, 3, 20}, *DefaultSkin, TTBSkinFrameState{}, nullptr);
    std::string rows;
    for (int y = 0; y < 20; ++y) rows += grip.At(1, y) == C(tcDragHandle) ? '#' : '.';
    EXPECT_EQ(rows, "..#.#.#.#.#.#.#.#...");
    EXPECT_EQ(grip.At(0, 0), C(tcToolbar));

    Canvas floating(30, 30);
    PaintSkinFloatingBorder(floating.dc(), RECT{0, 0, 30, 30}, RECT{4, 4, 26, 26}, *DefaultSkin, nullptr);
    EXPECT_EQ(floating.At(0, 10), C(tcDockBorderOut));
    EXPECT_EQ(floating.At(1, 10), C(tcDockBorderIn));
    EXPECT_EQ(floating.At(3, 10), C(tcFace));
    EXPECT_EQ(floating.At(4, 10), White);  // the client area is not touched

    // A hot button: the box, the cross over it.
    Canvas close(20, 20);
    PaintSkinFloatingCloseButton(close.dc(), RECT{5, 5, 15, 15}, *DefaultSkin, true, false);
    EXPECT_EQ(close.At(3, 1), C(tcSelBarBorder));
    EXPECT_EQ(close.At(7, 10), C(tcSelBar));
    EXPECT_EQ(close.At(6, 6), C(tcCaptionText));
}

}  // namespace
