// Every part a skin paints, under each skin type, with a colour set whose slots all differ:
// the tables name the slot each pixel must show, so a painter that takes one slot for another
// fails here.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolbar/skins/distinct_colors.h"
#include "toolbar/skins/skin_fixture.h"
#include "toolbar/skins/skin_frames.h"
#include "toolbar/skins/skin_parts.h"
#include "toolbar/views/view_test_support.h"
#include "widgets/image_list.h"

namespace {

constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF WindowColor = RGB(10, 20, 30);  // a docked window's own Color

// One pixel a case checks.
struct Expect {
    int x, y;
    COLORREF color;
};

std::string TypeName(TTBSkins type) {
    switch (type) {
        case tbsOfficeXP: return "Office-XP";
        case tbsWindowsXP: return "Windows-XP";
        case tbsNativeXP: return "native";
        default: return "disabled";
    }
}

std::string Where(const std::string& name, const Expect& e) {
    return name + " at " + std::to_string(e.x) + "," + std::to_string(e.y);
}

void Check(const Canvas& canvas, const std::string& name, const std::vector<Expect>& expects) {
    for (const Expect& e : expects) EXPECT_EQ(canvas.At(e.x, e.y), e.color) << Where(name, e);
}

TTBSkinItemState State(const std::function<void(TTBSkinItemState&)>& set) {
    TTBSkinItemState s;
    set(s);
    return s;
}

// A skin of one type holding the distinct colours; native-theme drawing is recorded as
// "class part/state" instead of drawn.
class SkinTables : public SkinTest {
protected:
    void TearDown() override {
        SkinKeyboardSelection = false;
        SkinTest::TearDown();
    }
    void Use(TTBSkins type) {
        if (type == tbsNativeXP) RecordTheme();
        skin.SetSkinType(type);
        ASSERT_EQ(skin.SkinType(), type);
        UseDistinctColors(skin);
        drawn.clear();
    }
    void RecordTheme() {
        SystemSeams().Version = [] { return TSystemVersion{VER_PLATFORM_WIN32_NT, 5, 1}; };
        ThemeApi().IsThemeActive = []() -> BOOL { return TRUE; };
        ThemeApi().OpenThemeData = [](HWND, LPCWSTR name) {
            static const std::vector<std::wstring> names{L"Toolbar", L"ReBar", L"Menu", L"Window"};
            for (size_t i = 0; i < names.size(); ++i)
                if (names[i] == name) return reinterpret_cast<HTHEME>(i + 1);
            return static_cast<HTHEME>(nullptr);
        };
        ThemeApi().CloseThemeData = [](HTHEME) -> HRESULT { return S_OK; };
        auto record = [this](HTHEME theme, int part, int state) {
            static const char* names[] = {"?", "Toolbar", "ReBar", "Menu", "Window"};
            drawn.push_back(std::string(names[reinterpret_cast<UINT_PTR>(theme)]) + " " + std::to_string(part) + "/" +
                            std::to_string(state));
        };
        ThemeApi().DrawThemeBackground = [record](HTHEME theme, HDC, int part, int state, const RECT*, const RECT*) {
            record(theme, part, state);
            return S_OK;
        };
        ThemeApi().DrawThemeEdge = [record](HTHEME theme, HDC, int part, int state, const RECT*, UINT, UINT, RECT*) {
            record(theme, part, state);
            return S_OK;
        };
    }
    std::vector<std::string> Drawn() {
        std::vector<std::string> taken;
        taken.swap(drawn);
        return taken;
    }

    TTBBaseSkin skin{nullptr};
    std::vector<std::string> drawn;
};

// ---- buttons ----------------------------------------------------------------------------------

struct ButtonCase {
    std::string name;
    TTBSkinItemState state;
    std::vector<Expect> expects;
};

// Paints each case on a 30 × 24 button: its frame at (0, 12), its fill at (15, 12), one pixel
// inside at (1, 12).
void CheckButtons(const TTBBaseSkin& skin, const std::string& look, const std::vector<ButtonCase>& cases) {
    for (const ButtonCase& c : cases) {
        Canvas canvas(30, 24);
        PaintSkinButton(canvas.dc(), RECT{0, 0, 30, 24}, skin, c.state, nullptr);
        Check(canvas, look + " " + c.name, c.expects);
    }
}

TEST_F(SkinTables, ButtonStatesUnderOfficeXP) {
    Use(tbsOfficeXP);
    const std::vector<ButtonCase> cases{
        {"normal", State([](auto&) {}), {{0, 12, White}, {15, 12, White}}},
        {"hot", State([](auto& s) { s.Selected = true; }), {{0, 12, D(tcSelBarBorder)}, {15, 12, D(tcSelBar)}}},
        {"pushed", State([](auto& s) { s.Selected = s.Pushed = true; }),
         {{0, 12, D(tcSelBarBorder)}, {15, 12, D(tcSelPushed)}}},
        {"checked", State([](auto& s) { s.Checked = true; }),
         {{0, 12, D(tcSelBarBorder)}, {1, 12, D(tcChecked)}, {15, 12, D(tcChecked)}}},
        {"checked and hot", State([](auto& s) { s.Checked = s.Selected = true; }),
         {{0, 12, D(tcSelBarBorder)}, {15, 12, D(tcCheckedOver)}}},
        {"disabled", State([](auto& s) { s.Enabled = s.ShownEnabled = false; }), {{0, 12, White}, {15, 12, White}}},
        {"disabled under the mouse", State([](auto& s) { s.Enabled = s.ShownEnabled = false; s.Selected = s.MouseInsideSelected = true; }),
         {{0, 12, White}, {15, 12, White}}},
        {"disabled, reached by the keyboard", State([](auto& s) { s.Enabled = s.ShownEnabled = false; s.Selected = true; }),
         {{0, 12, D(tcSelBarBorder)}, {15, 12, D(tcSelBar)}}},
        {"its submenu open", State([](auto& s) { s.Selected = s.Pushed = s.DroppedDown = s.HasSubmenu = true; }),
         {{0, 12, D(tcBorder)}, {15, 12, D(tcImageList)}}},
        {"a pushed chevron item", State([](auto& s) { s.Selected = s.Pushed = s.HasSubmenu = s.ChevronSubmenu = true; }),
         {{0, 12, D(tcBorder)}, {15, 12, D(tcSelPushed)}}},
    };
    CheckButtons(skin, "Office-XP", cases);
}

// A rounded rectangle: its corner stays white, its left edge is the pen, its middle the brush.
TEST_F(SkinTables, ButtonStatesUnderWindowsXP) {
    Use(tbsWindowsXP);
    const std::vector<ButtonCase> cases{
        {"normal", State([](auto&) {}), {{0, 12, White}, {15, 12, White}}},
        {"hot", State([](auto& s) { s.Selected = true; }),
         {{0, 0, White}, {0, 12, D(tcSelBarBorder)}, {15, 12, D(tcSelBar)}}},
        {"pushed", State([](auto& s) { s.Selected = s.Pushed = true; }), {{0, 12, D(tcSelBarBorder)}, {15, 12, D(tcSelBar)}}},
        {"checked", State([](auto& s) { s.Checked = true; }), {{0, 12, D(tcSelBarBorder)}, {15, 12, D(tcChecked)}}},
        {"checked and hot", State([](auto& s) { s.Checked = s.Selected = true; }),
         {{0, 12, D(tcSelBarBorder)}, {15, 12, D(tcChecked)}}},
        {"checked and pushed", State([](auto& s) { s.Checked = s.Selected = s.Pushed = true; }),
         {{0, 12, D(tcSelBarBorder)}, {15, 12, D(tcSelBar)}}},
        {"disabled, reached by the keyboard", State([](auto& s) { s.Enabled = s.ShownEnabled = false; s.Selected = true; }),
         {{0, 12, White}, {15, 12, White}}},
        {"hot on a menu bar", State([](auto& s) { s.Selected = s.MenuBar = true; }), {{0, 0, D(tcSelItem)}, {15, 12, D(tcSelItem)}}},
        {"pushed split item on a menu bar", State([](auto& s) { s.Selected = s.MenuBar = s.Pushed = s.Split = true; }),
         {{0, 0, D(tcSelPushed)}}},
    };
    CheckButtons(skin, "Windows-XP", cases);
}

TEST_F(SkinTables, ButtonStatesUnderTheNativeTheme) {
    Use(tbsNativeXP);
    const struct {
        std::string name;
        TTBSkinItemState state;
        std::vector<std::string> drawn;
    } cases[] = {
        {"normal", State([](auto&) {}), {}},
        {"hot", State([](auto& s) { s.Selected = true; }), {"Toolbar 1/2"}},
        {"pushed", State([](auto& s) { s.Selected = s.Pushed = true; }), {"Toolbar 1/3"}},
        {"checked", State([](auto& s) { s.Checked = true; }), {"Toolbar 1/5"}},
        {"checked and hot", State([](auto& s) { s.Checked = s.Selected = true; }), {"Toolbar 1/6"}},
        {"disabled, reached by the keyboard", State([](auto& s) { s.Enabled = s.ShownEnabled = false; s.Selected = true; }),
         {"Toolbar 1/4"}},
    };
    for (const auto& c : cases) {
        Canvas canvas(30, 24);
        PaintSkinButton(canvas.dc(), RECT{0, 0, 30, 24}, skin, c.state, nullptr);
        EXPECT_EQ(Drawn(), c.drawn) << c.name;
        EXPECT_EQ(canvas.At(15, 12), White) << c.name;
    }
    // A menu bar is coloured, as under Windows-XP.
    Canvas menuBar(30, 24);
    PaintSkinButton(menuBar.dc(), RECT{0, 0, 30, 24}, skin, State([](auto& s) { s.Selected = s.MenuBar = true; }), nullptr);
    EXPECT_EQ(menuBar.At(15, 12), D(tcSelItem));
    EXPECT_TRUE(Drawn().empty());
}

// ---- popup rows -------------------------------------------------------------------------------

// A 100 × 22 row with 16 × 16 images: its image column is 24 wide.
TEST_F(SkinTables, PopupRowsAndImageColumns) {
    TImageList images(nullptr, 16, 16, true);
    const std::vector<ButtonCase> officeXP{
        {"normal", State([](auto&) {}), {{5, 10, D(tcImageList)}, {23, 10, D(tcImageList)}, {24, 10, White}, {50, 10, White}}},
        {"hot", State([](auto& s) { s.Selected = true; }),
         {{0, 10, D(tcImageList)}, {1, 10, D(tcSelItemBorder)}, {50, 10, D(tcSelItem)}, {98, 10, D(tcSelItemBorder)}, {99, 10, White}}},
        {"disabled, reached by the keyboard", State([](auto& s) { s.Enabled = s.ShownEnabled = false; s.Selected = true; }),
         {{0, 10, D(tcSelBarBorder)}, {5, 10, D(tcPopup)}, {50, 10, D(tcPopup)}}},
        {"disabled under the mouse", State([](auto& s) { s.Enabled = s.ShownEnabled = false; s.Selected = s.MouseInsideSelected = true; }),
         {{5, 10, D(tcImageList)}, {50, 10, White}}},
        {"checked", State([](auto& s) { s.Checked = true; }), {{2, 1, D(tcSelItemBorder)}, {3, 2, D(tcSelItem)}, {50, 10, White}}},
        {"checked and hot", State([](auto& s) { s.Checked = s.Selected = true; }),
         {{2, 1, D(tcSelPushedBorder)}, {3, 2, D(tcSelPushed)}, {50, 10, D(tcSelItem)}}},
    };
    const std::vector<ButtonCase> windowsXP{
        {"normal", State([](auto&) {}), {{5, 10, White}, {50, 10, White}}},
        {"hot", State([](auto& s) { s.Selected = true; }), {{0, 10, D(tcSelItemBorder)}, {50, 10, D(tcSelItem)}, {99, 10, D(tcSelItemBorder)}}},
        {"disabled, reached by the keyboard", State([](auto& s) { s.Enabled = s.ShownEnabled = false; s.Selected = true; }),
         {{0, 10, D(tcSelItemBorder)}, {50, 10, D(tcSelItem)}}},
        {"checked, with an image", State([](auto& s) { s.Checked = s.HasImageIndex = true; }),
         {{1, 1, D(tcSelItemBorder)}, {2, 2, D(tcSelItem)}, {50, 10, White}}},
        {"checked and hot, with an image", State([](auto& s) { s.Checked = s.HasImageIndex = s.Selected = true; }),
         {{1, 1, D(tcSelPushedBorder)}, {2, 2, D(tcSelPushed)}}},
        {"checked, no image: the mark alone", State([](auto& s) { s.Checked = true; }), {{1, 1, White}, {2, 2, White}}},
    };
    for (TTBSkins type : {tbsOfficeXP, tbsWindowsXP, tbsNativeXP}) {
        Use(type);
        for (const ButtonCase& c : type == tbsOfficeXP ? officeXP : windowsXP) {
            SkinKeyboardSelection = !c.state.MouseInsideSelected;
            Canvas canvas(100, 22);
            PaintSkinMenuItem(canvas.dc(), RECT{0, 0, 100, 22}, skin, c.state, &images);
            Check(canvas, TypeName(type) + " " + c.name, c.expects);
        }
    }
}

// The popup's and the image column's gradients run from their start slot in the first row to
// their end slot in the last (drawn in bands here); the native theme and chevron lists take the
// popup colour.
TEST_F(SkinTables, PopupBackgroundsAndTheirGradients) {
    GradientFillEntry() = nullptr;
    for (TTBSkins type : {tbsOfficeXP, tbsWindowsXP, tbsNativeXP}) {
        Use(type);
        skin.SetPopupStyle(tbpsGradVert);
        skin.SetImgBackStyle(tbimsGradVert);
        const std::string name = TypeName(type);
        Canvas popup(100, 50);
        PaintSkinPopupBackground(popup.dc(), RECT{0, 0, 100, 50}, &skin, false, 20);
        if (type == tbsNativeXP) {
            Check(popup, name, {{50, 0, D(tcPopup)}, {5, 49, D(tcPopup)}});
        } else {
            Check(popup, name, {{50, 0, D(tcPopupGradStart)}, {50, 49, D(tcPopupGradEnd)}, {5, 0, D(tcImgGradStart)},
                                {21, 49, D(tcImgGradEnd)}, {22, 49, D(tcPopupGradEnd)}});
        }
        Canvas chevronList(100, 50);
        PaintSkinPopupBackground(chevronList.dc(), RECT{0, 0, 100, 50}, &skin, true, 20);
        Check(chevronList, name + " chevron list", {{50, 0, D(tcPopup)}, {5, 49, D(tcPopup)}});
    }
}

// ---- separators, chevrons, grips -------------------------------------------------------------

TEST_F(SkinTables, SeparatorsChevronsAndGrips) {
    TTBSkinSeparatorState line, lineBreak, inPopup, across;
    line.VerticalLine = true;
    lineBreak.VerticalLine = lineBreak.LineBreak = true;
    inPopup.InPopup = true;
    inPopup.FirstViewerHeight = 20;  // image column 22
    TTBSkinFrameState frame;
    frame.WindowColor = static_cast<TColor>(WindowColor);
    for (TTBSkins type : {tbsOfficeXP, tbsWindowsXP}) {
        Use(type);
        const std::string name = TypeName(type);
        Canvas vertical(3, 20), broken(3, 20), popupLine(100, 3), bar(100, 3);
        PaintSkinSeparator(vertical.dc(), RECT{0, 0, 3, 20}, skin, line, nullptr);
        PaintSkinSeparator(broken.dc(), RECT{0, 0, 3, 20}, skin, lineBreak, nullptr);
        PaintSkinSeparator(popupLine.dc(), RECT{0, 0, 100, 3}, skin, inPopup, nullptr);
        PaintSkinSeparator(bar.dc(), RECT{0, 0, 100, 3}, skin, across, nullptr);
        Check(vertical, name + " vertical", {{2, 0, D(tcSeparator)}, {2, 19, D(tcSeparator)}, {1, 10, White}});
        Check(broken, name + " line break", {{2, 15, D(tcSeparator)}, {2, 16, White}});
        if (type == tbsOfficeXP) {
            Check(popupLine, name + " in a popup", {{23, 2, D(tcImageList)}, {24, 2, White}, {25, 1, White},
                                                    {26, 1, D(tcSeparator)}, {99, 1, D(tcSeparator)}});
            Check(bar, name + " across a bar", {{0, 1, D(tcSeparator)}, {99, 1, D(tcSeparator)}, {50, 0, White}});
        } else {
            Check(popupLine, name + " in a popup", {{2, 1, White}, {3, 1, D(tcSeparator)}, {96, 1, D(tcSeparator)}, {97, 1, White}});
        }

        Canvas pushed(12, 20), hot(12, 20), off(12, 20);
        PaintSkinChevron(pushed.dc(), RECT{0, 0, 12, 20}, skin, true, true, true, false, nullptr);
        PaintSkinChevron(hot.dc(), RECT{0, 0, 12, 20}, skin, true, false, true, false, nullptr);
        PaintSkinChevron(off.dc(), RECT{0, 0, 12, 20}, skin, false, true, true, false, nullptr);
        Check(pushed, name + " pushed chevron", {{0, 0, D(tcBorder)}, {5, 5, D(tcFace)}});
        Check(hot, name + " hot chevron", {{0, 0, D(tcSelBarBorder)}, {5, 5, D(tcSelBar)}});
        Check(off, name + " disabled chevron", {{0, 0, White}, {5, 5, White}});

        Canvas grip(3, 20);
        PaintSkinGripBar(grip.dc(), RECT{0, 0, 3, 20}, skin, frame, nullptr);
        if (type == tbsOfficeXP)
            Check(grip, name + " grip", {{0, 0, D(tcToolbar)}, {1, 2, D(tcDragHandle)}, {1, 3, D(tcToolbar)}});
        else
            Check(grip, name + " grip", {{0, 1, WindowColor}, {1, 1, D(tcDragHandle)}, {1, 2, D(tcDragHandle)}, {1, 3, WindowColor}});
    }

    Use(tbsNativeXP);
    Canvas any(100, 20);
    TTBSkinSeparatorState menuRow;
    menuRow.MenuStyle = menuRow.InPopup = true;
    PaintSkinSeparator(any.dc(), RECT{0, 0, 3, 20}, skin, line, nullptr);
    PaintSkinSeparator(any.dc(), RECT{0, 0, 100, 3}, skin, menuRow, nullptr);
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"Toolbar 5/1", "Toolbar 6/1"}));
    PaintSkinChevron(any.dc(), RECT{0, 0, 12, 20}, skin, true, true, true, false, nullptr);
    PaintSkinChevron(any.dc(), RECT{0, 0, 12, 20}, skin, true, false, true, false, nullptr);
    PaintSkinChevron(any.dc(), RECT{0, 0, 12, 20}, skin, true, false, false, false, nullptr);
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"ReBar 4/3", "ReBar 4/2", "ReBar 4/1"}));
    PaintSkinGripBar(any.dc(), RECT{0, 0, 3, 20}, skin, frame, nullptr);
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"ReBar 1/1"}));
    for (int slot = 0; slot < TTBSkinColorCount; ++slot)
        EXPECT_EQ(any.Count(DistinctColors[slot]), 0) << "the theme draws, not the slots: " << slot;
}

// ---- frames, captions, close buttons ----------------------------------------------------------

TEST_F(SkinTables, DockedAndFloatingFrames) {
    TTBSkinFrameState toolbar, menuBar;
    toolbar.WindowColor = menuBar.WindowColor = static_cast<TColor>(WindowColor);
    menuBar.MenuBar = true;
    Use(tbsOfficeXP);
    Canvas docked(40, 26), dockedMenu(40, 26), floating(30, 30);
    PaintSkinDockedBorder(docked.dc(), RECT{0, 0, 40, 26}, skin, toolbar, true, nullptr);
    PaintSkinDockedBorder(dockedMenu.dc(), RECT{0, 0, 40, 26}, skin, menuBar, true, nullptr);
    PaintSkinFloatingBorder(floating.dc(), RECT{0, 0, 30, 30}, RECT{4, 4, 26, 26}, skin, nullptr);
    Check(docked, "Office-XP docked", {{0, 5, WindowColor}, {5, 1, D(tcToolbar)}, {1, 1, D(tcFace)}, {38, 24, D(tcFace)}, {5, 5, White}});
    Check(dockedMenu, "Office-XP menu bar", {{5, 1, D(tcFace)}, {1, 1, D(tcFace)}});
    Check(floating, "Office-XP floating",
          {{0, 10, D(tcDockBorderOut)}, {1, 10, D(tcDockBorderIn)}, {3, 10, D(tcFace)}, {4, 10, White}});

    for (TTBSkins type : {tbsWindowsXP, tbsNativeXP}) {
        Use(type);
        Canvas plainDocked(40, 26), plainFloating(30, 30);
        PaintSkinDockedBorder(plainDocked.dc(), RECT{0, 0, 40, 26}, skin, toolbar, true, nullptr);
        PaintSkinFloatingBorder(plainFloating.dc(), RECT{0, 0, 30, 30}, RECT{4, 4, 26, 26}, skin, nullptr);
        Check(plainDocked, TypeName(type) + " docked", {{5, 1, WindowColor}, {5, 5, White}});
        Check(plainFloating, TypeName(type) + " floating", {{2, 10, RGB(236, 233, 216)}, {4, 10, White}});
        for (int slot = 0; slot < TTBSkinColorCount; ++slot)
            EXPECT_EQ(plainDocked.Count(DistinctColors[slot]) + plainFloating.Count(DistinctColors[slot]), 0) << slot;
    }
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"ReBar 3/0"}));  // the native docked border's etched edge
}

// The docked caption (side docks, tboDockedCaptions) fills its rectangle and not the two pixels
// beyond it, which belong to the frame; the floating caption bar fills its own.
TEST_F(SkinTables, DockedAndFloatingCaptions) {
    TTBSkinFrameState side;
    side.WindowColor = static_cast<TColor>(WindowColor);
    side.SideDock = true;
    const int height = GetSystemMetrics(SM_CYSMCAPTION);
    const FontHandle font(CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"));
    for (TTBSkins type : {tbsOfficeXP, tbsWindowsXP, tbsNativeXP}) {
        Use(type);
        const std::string name = TypeName(type);
        const COLORREF grip = type == tbsOfficeXP ? D(tcToolbar) : WindowColor;
        Canvas docked(44, height + 6);
        PaintSkinDockedCaption(docked.dc(), RECT{2, 2, 40, 2 + height}, skin, side, "Tools", taLeftJustify, false, nullptr);
        Check(docked, name + " docked caption", {{1, 3, grip}, {2, 3, D(tcDockBorderTitle)}, {39, 3, D(tcDockBorderTitle)},
                                                 {40, 3, grip}, {41, 3, White}});
        EXPECT_GT(docked.Count(White), 44 * (height + 6) - 40 * (height + 2)) << name << ": white text on the strip";

        Canvas floating(70, 20);
        PaintSkinFloatingCaption(floating.dc(), RECT{0, 0, 60, 16}, skin, static_cast<TColor>(WindowColor), "Tools",
                                 taLeftJustify, font.get());
        if (type == tbsOfficeXP)
            Check(floating, name + " floating caption", {{0, 0, D(tcDockBorderTitle)}, {61, 8, D(tcDockBorderTitle)}, {62, 8, White}});
        else
            Check(floating, name + " floating caption", {{0, 0, WindowColor}, {30, 0, D(tcSelBarBorder)}, {58, 8, D(tcSelBar)}});
        EXPECT_GT(floating.Count(D(tcCaptionText)), 0) << name << ": the text";
    }
}

// The cross of a 10 × 10 button at (5, 5) starts at (6, 6), at (7, 7) when pushed; (7, 10) is
// beside it, (8, 10) too when pushed.
TEST_F(SkinTables, DockedAndFloatingCloseButtons) {
    const RECT button{5, 5, 15, 15};
    for (TTBSkins type : {tbsOfficeXP, tbsWindowsXP, tbsNativeXP}) {
        Use(type);
        const std::string name = TypeName(type);
        Canvas normal(20, 20), hot(20, 20), pushed(20, 20);
        PaintSkinDockedCloseButton(normal.dc(), button, skin, false, false);
        PaintSkinDockedCloseButton(hot.dc(), button, skin, true, false);
        PaintSkinDockedCloseButton(pushed.dc(), button, skin, true, true);
        Check(normal, name + " docked", {{6, 6, D(tcMenuText)}, {7, 10, White}, {5, 5, White}});
        Check(hot, name + " docked hot", {{5, 5, D(tcSelBarBorder)}, {7, 10, D(tcSelBar)}, {6, 6, D(tcMenuText)}});
        Check(pushed, name + " docked pushed", {{5, 5, White}, {6, 6, White}, {7, 7, D(tcMenuText)}});
    }

    struct FloatingCase {
        std::string name;
        TTBSkins type;
        bool hot, pushed;
        std::vector<Expect> expects;
    };
    const std::vector<FloatingCase> cases{
        {"Office-XP", tbsOfficeXP, false, false, {{7, 10, D(tcDockBorderTitle)}, {6, 6, D(tcCaptionText)}}},
        {"Office-XP hot", tbsOfficeXP, true, false,
         {{3, 1, D(tcSelBarBorder)}, {7, 10, D(tcSelBar)}, {6, 6, D(tcCaptionText)}}},
        {"Office-XP pushed", tbsOfficeXP, true, true,
         {{3, 3, D(tcSelItemBorder)}, {8, 10, D(tcSelPushed)}, {7, 7, Inverted(tcSelPushed)}}},
        {"Windows-XP", tbsWindowsXP, false, false, {{7, 10, D(tcSelBar)}, {6, 6, Inverted(tcSelBar)}}},
        {"Windows-XP pushed", tbsWindowsXP, true, true,
         {{3, 4, D(tcSelItemBorder)}, {15, 10, D(tcSelItemBorder)}, {16, 10, White}, {8, 10, D(tcSelPushed)}, {7, 7, D(tcCaptionText)}}},
        {"native", tbsNativeXP, false, false, {{7, 10, D(tcSelBar)}, {6, 6, D(tcCaptionText)}}},
        {"native pushed", tbsNativeXP, true, true, {{3, 4, D(tcSelItemBorder)}, {8, 10, D(tcSelPushed)}, {7, 7, Inverted(tcSelPushed)}}},
    };
    for (const FloatingCase& c : cases) {
        Use(c.type);
        Canvas canvas(20, 20);
        PaintSkinFloatingCloseButton(canvas.dc(), button, skin, c.hot, c.pushed);
        Check(canvas, "floating " + c.name, c.expects);
    }
}

// ---- the disabled type ----------------------------------------------------------------------

// A skin of type tbsDisabled is not used: with the default skin disabled too, a bar paints
// plainly, and none of the skin's colours shows, whatever its items' states.
TEST_F(SkinTables, ADisabledSkinPaintsNothingOfItsColours) {
    Use(tbsOfficeXP);
    skin.SetSkinType(tbsDisabled);  // keeps the distinct colours
    ASSERT_EQ(skin.SkinColor(tcSelBar), D(tcSelBar));
    ASSERT_EQ(DefaultSkin->SkinType(), tbsDisabled);
    EXPECT_EQ(EffectiveSkin(&skin), nullptr);

    TestBar bar(RECT{40, 40, 300, 80});
    bar.view->SetSkin(&skin);
    TTBItem* hot = bar.Add("Hot");
    TTBItem* checked = bar.Add("On");
    checked->SetChecked(true);
    bar.root->Add(new TTBSeparatorItem(nullptr));
    TTBItem* off = bar.Add("Off");
    off->SetEnabled(false);
    TTBItem* menu = bar.Add("Menu");
    menu->SetItemStyle(menu->ItemStyle() | isfSubmenu);
    menu->SetOptions(tboDropdownArrow);
    bar.view->ValidatePositions();
    bar.view->Select(bar.ViewerOf(hot));
    RedrawWindow(bar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Canvas shown(260, 40);
    {
        WindowDC dc(bar.Handle());
        BitBlt(shown.dc(), 0, 0, 260, 40, dc.get(), 0, 0, SRCCOPY);
    }
    ASSERT_GT(shown.Count(GetSysColor(COLOR_BTNFACE)), 0) << "the bar was copied";
    for (int slot = 0; slot < TTBSkinColorCount; ++slot) EXPECT_EQ(shown.Count(DistinctColors[slot]), 0) << "slot " << slot;
    bar.view->SetSkin(nullptr);
}

}  // namespace
