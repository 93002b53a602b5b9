#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "support/test_env.h"
#include "toolbar/skins/skin_fixture.h"
#include "toolbar/skins/skin.h"
#include "widgets/control.h"
#include "widgets/form.h"

namespace {

COLORREF Rgb(int r, int g, int b) { return RGB(r, g, b); }

TEST(SkinColorHelpers, BlendLightenAndDarkenChannelByChannel) {
    struct BlendCase { COLORREF a, b; long double w; COLORREF expected; };
    const BlendCase blends[] = {
        {Rgb(172, 168, 153), Rgb(0, 0, 0), 0.2L, Rgb(138, 134, 122)},          // tcBorder of the XP check
        {Rgb(236, 233, 216), Rgb(255, 255, 255), 0.16L, Rgb(239, 237, 222)},  // tcToolbar
        {Rgb(49, 106, 197), Rgb(255, 255, 255), 0.7L, Rgb(193, 210, 238)},    // tcSelBar
        {Rgb(49, 106, 197), Rgb(172, 168, 153), 0.701L, Rgb(135, 149, 166)},  // tcImgListShadow
        {Rgb(10, 20, 30), Rgb(200, 100, 0), 0.0L, Rgb(10, 20, 30)},            // weight 0 gives A
        {Rgb(10, 20, 30), Rgb(200, 100, 0), 1.0L, Rgb(200, 100, 0)},           // weight 1 gives B
        {Rgb(0, 2, 1), Rgb(1, 3, 2), 0.5L, Rgb(0, 2, 2)},                      // halves round to even
        {Rgb(100, 100, 100), Rgb(0, 0, 0), 2.0L, Rgb(0, 0, 0)},                // below 0 gives 0
        {Rgb(100, 200, 0), Rgb(255, 255, 0), 2.0L, Rgb(100, 200, 0)},          // above 255 keeps A's channel
    };
    for (const BlendCase& c : blends)
        EXPECT_EQ(Blend(c.a, c.b, c.w), c.expected) << std::hex << c.a << " " << c.b << " " << static_cast<double>(c.w);

    for (COLORREF c : {Rgb(0, 0, 0), Rgb(1, 128, 254), Rgb(255, 255, 255), Rgb(193, 210, 238)})
        EXPECT_EQ(Lighten(c, 100), Rgb(255, 255, 255)) << std::hex << c;
    EXPECT_EQ(Lighten(Rgb(193, 210, 238), 70), Rgb(236, 241, 249));  // v + 70·(255 − v) div 100
    EXPECT_EQ(Lighten(Rgb(0, 100, 255), 0), Rgb(0, 100, 255));
    EXPECT_EQ(Darken(Rgb(239, 237, 222), 50), Rgb(189, 187, 172));
    EXPECT_EQ(Darken(Rgb(10, 60, 0), 20), Rgb(0, 40, 0));  // never below 0
}

TEST(SkinColorHelpers, NearestColorKeepsTheValueWhenTheDeviceCannotTell) {
    // Without a device, or with a dead one, GetNearestColor answers CLR_INVALID.
    EXPECT_EQ(NearestColor(nullptr, Rgb(1, 2, 3)), Rgb(1, 2, 3));
    EXPECT_EQ(NearestColor(reinterpret_cast<HDC>(0x4242), Rgb(1, 2, 3)), Rgb(1, 2, 3));
    WindowDC screen(nullptr);
    EXPECT_EQ(NearestColor(screen.get(), Rgb(193, 210, 238)), Rgb(193, 210, 238));
}

using SkinColors = SkinTest;

// The main window's stored colour table: what the Office-XP set gives under the XP colours.
TEST_F(SkinColors, OfficeXPSetUnderWindowsXPColoursIsTheMainWindowsLayoutTable) {
    struct Slot { TTBSkinColorIndex slot; TColor layout; };
    const Slot table[] = {
        {tcFace, clBtnFace},          {tcSelItem, 0xEED2C1},         {tcPopup, 0xF9FCFC},
        {tcSelItemBorder, clHighlight}, {tcBorder, 0x7A868A},        {tcSelPushed, 0xE8C4AD},
        {tcToolbar, 0xDEEDEF},        {tcSelPushedBorder, clHighlight}, {tcImageList, 0xDEEDEF},
        {tcSeparator, 0xA8B5B8},      {tcDockBorderIn, 0x828F92},    {tcImgListShadow, 0xA69587},
        {tcDockBorderOut, 0x828F92},  {tcGradStart, 0xF9F1EC},       {tcDockBorderTitle, clBtnShadow},
        {tcGradEnd, 0xEED2C1},        {tcDragHandle, 0xB1BCBF},      {tcPopupGradStart, 0xDEEDEF},
        {tcChecked, 0xE9E9E5},        {tcPopupGradEnd, 0xF5F9FA},    {tcCheckedOver, 0xE8C4AD},
        {tcImgGradStart, 0xDEEDEF},   {tcSelBar, 0xEED2C1},          {tcImgGradEnd, 0xACBBBD},
        {tcSelBarBorder, clHighlight}, {tcMenuText, clMenuText},     {tcHighlightText, clHighlightText},
        {tcCaptionText, clHighlightText},
    };
    ASSERT_EQ(std::size(table), static_cast<size_t>(TTBSkinColorCount));
    TTBBaseSkin skin(nullptr);
    ASSERT_EQ(skin.ColorSet(), tbcOfficeXP);
    std::vector<bool> seen(TTBSkinColorCount);
    for (const Slot& s : table) {
        seen[s.slot] = true;
        EXPECT_EQ(skin.SkinColor(s.slot), ColorToRGB(s.layout)) << "slot " << s.slot;
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), TTBSkinColorCount);
    // Slots taken straight from the system keep naming it; derived ones hold plain RGB.
    EXPECT_EQ(skin.Colors().Color(tcFace), clBtnFace);
    EXPECT_EQ(skin.Colors().Color(tcToolbar), 0xDEEDEFu);
}

TEST_F(SkinColors, WindowsXPSetAndLookUpOrder) {
    TTBBaseSkin skin(nullptr);
    skin.SetColorSet(tbcWindowsXP);
    // The highlight (49, 106, 197) lightened by 13 %, then darkened by 20.
    EXPECT_EQ(skin.SkinColor(tcSelItem), Rgb(75, 125, 204));
    EXPECT_EQ(skin.SkinColor(tcSelPushed), Rgb(55, 105, 184));
    EXPECT_EQ(skin.SkinColor(tcSelPushedBorder), skin.SkinColor(tcSelItem));
    EXPECT_EQ(skin.SkinColor(tcPopupGradEnd), Rgb(255, 255, 255));
    EXPECT_EQ(skin.SkinColor(tcImgGradEnd), Rgb(255, 255, 255));
    EXPECT_EQ(skin.SkinColor(tcDockBorderOut), Rgb(0, 0, 0));
    EXPECT_EQ(skin.SkinColor(tcToolbar), Rgb(236, 233, 216));
    EXPECT_EQ(skin.Colors().Color(tcCaptionText), clWindowText);
    // Painters ask by index 0..27; anything else is white.
    EXPECT_EQ(skin.SkinColor(7), skin.Colors().Resolved(tcSelBar));
    EXPECT_EQ(skin.SkinColor(-1), Rgb(255, 255, 255));
    EXPECT_EQ(skin.SkinColor(28), Rgb(255, 255, 255));

    // Slot by slot, under system colours that all differ (Luna's menu and window are both white,
    // so a slot taking one for the other would pass there). The highlight stays Luna's.
    SysColorSource() = [](int index) {
        switch (index) {
            case COLOR_MENU: return RGB(240, 232, 216);
            case COLOR_WINDOW: return RGB(252, 250, 240);
            case COLOR_BTNSHADOW: return RGB(144, 136, 128);
            case COLOR_BTNFACE: return RGB(224, 220, 200);
            case COLOR_MENUTEXT: return RGB(16, 32, 48);
            case COLOR_HIGHLIGHTTEXT: return RGB(254, 253, 252);
            case COLOR_WINDOWTEXT: return RGB(5, 6, 7);
            default: return WindowsXPSysColor(index);
        }
    };
    skin.ApplyColorSet();
    const COLORREF menu = Rgb(240, 232, 216), window = Rgb(252, 250, 240), shadow = Rgb(144, 136, 128);
    const COLORREF selItem = Rgb(75, 125, 204), selPushed = Rgb(55, 105, 184), white = Rgb(255, 255, 255);
    struct Slot { TTBSkinColorIndex slot; COLORREF color; };
    const Slot table[] = {
        {tcFace, menu},           {tcImageList, menu},          {tcPopup, window},
        {tcSelBar, window},       {tcChecked, window},          {tcDockBorderIn, window},
        {tcDockBorderTitle, window}, {tcBorder, shadow},        {tcDragHandle, shadow},
        {tcSelBarBorder, shadow}, {tcImgListShadow, shadow},    {tcSeparator, shadow},
        {tcToolbar, Rgb(224, 220, 200)}, {tcSelItem, selItem},  {tcSelItemBorder, Rgb(49, 106, 197)},
        {tcSelPushed, selPushed}, {tcCheckedOver, selPushed},   {tcSelPushedBorder, selItem},
        {tcDockBorderOut, Rgb(0, 0, 0)},
        {tcGradStart, Rgb(201, 216, 239)},       // the selection lightened by 70 %
        {tcGradEnd, selItem},
        {tcPopupGradStart, Rgb(147, 177, 224)},  // by 40 %
        {tcPopupGradEnd, white},  {tcImgGradEnd, white},
        {tcImgGradStart, Rgb(165, 190, 229)},    // by 50 %
        {tcMenuText, Rgb(16, 32, 48)}, {tcHighlightText, Rgb(254, 253, 252)}, {tcCaptionText, Rgb(5, 6, 7)},
    };
    ASSERT_EQ(std::size(table), static_cast<size_t>(TTBSkinColorCount));
    std::vector<bool> seen(TTBSkinColorCount);
    for (const Slot& s : table) {
        seen[s.slot] = true;
        EXPECT_EQ(skin.SkinColor(s.slot), s.color) << "slot " << s.slot;
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), TTBSkinColorCount);
    EXPECT_EQ(skin.Colors().Color(tcFace), clMenu) << "a system colour keeps naming it";
    SysColorSource() = WindowsXPSysColor;
}

using SkinSetters = SkinTest;

TEST_F(SkinSetters, FirstSkinPlacedMakesTheDefaultSkinOfficeXPWithShadowsAndBlendedImages) {
    ASSERT_EQ(DefaultSkin->SkinType(), tbsDisabled);
    ASSERT_TRUE(DefaultSkin->Options().empty());
    {
        // As the main window's layout places TBSkin1.
        TTBSkin skin(nullptr);
        skin.BeginLoading();
        skin.SetIsDefaultSkin(true);
        skin.SetOptions({});
        skin.SetParentFont(true);
        skin.Loaded();

        EXPECT_TRUE(skin.IsDefaultSkin());
        EXPECT_TRUE(skin.Options().empty());
        EXPECT_EQ(DefaultSkin->SkinType(), tbsOfficeXP);
        EXPECT_EQ(DefaultSkin->Options(), (TTBOptions{tboShadow, tboBlendedImages}));
        EXPECT_EQ(DefaultSkin->SkinColor(tcSelBar), Rgb(193, 210, 238));
        EXPECT_EQ(ChevronSize, 11);
        EXPECT_EQ(skin.Version(), "Version 1.00.12b");
        skin.SetVersion("2");
        EXPECT_EQ(skin.Version(), "Version 1.00.12b");
    }
    // The last skin gone, the default skin is what it was before any came.
    EXPECT_EQ(DefaultSkin->SkinType(), tbsDisabled);
    EXPECT_EQ(SkinManager->Count(), 0);
}

TEST_F(SkinSetters, ColoursChangeOnlyUnderCustomAndTheDefaultSkinFollows) {
    TTBSkin skin(nullptr);
    const COLORREF officeSelBar = skin.SkinColor(tcSelBar);
    skin.Colors().SetColor(tcSelBar, Rgb(1, 2, 3));  // ignored under tbcOfficeXP
    EXPECT_EQ(skin.SkinColor(tcSelBar), officeSelBar);

    skin.SetColorSet(tbcCustom);  // starts from the Windows-XP colours
    EXPECT_EQ(skin.SkinColor(tcSelItem), Rgb(75, 125, 204));
    EXPECT_EQ(DefaultSkin->ColorSet(), tbcCustom);
    skin.Colors().SetColor(tcSelBar, clHighlight);
    EXPECT_EQ(skin.Colors().Color(tcSelBar), clHighlight);
    EXPECT_EQ(skin.SkinColor(tcSelBar), Rgb(49, 106, 197));
    EXPECT_EQ(DefaultSkin->SkinColor(tcSelBar), Rgb(49, 106, 197));

    // A system colour change keeps the custom colours; a system colour among them is read again.
    SysColorSource() = [](int index) { return index == COLOR_HIGHLIGHT ? RGB(1, 2, 3) : WindowsXPSysColor(index); };
    ApplySystemColorsToSkins();
    EXPECT_EQ(skin.ColorSet(), tbcCustom);
    EXPECT_EQ(skin.SkinColor(tcSelBar), Rgb(1, 2, 3));
    EXPECT_EQ(DefaultSkin->SkinColor(tcSelBar), Rgb(1, 2, 3));
    EXPECT_EQ(skin.SkinColor(tcSelItem), Rgb(75, 125, 204));
    SysColorSource() = WindowsXPSysColor;

    // The skin type decides the colour set even over tbcCustom.
    skin.SetSkinType(tbsWindowsXP);
    EXPECT_EQ(skin.ColorSet(), tbcWindowsXP);
    EXPECT_EQ(skin.Options(), (TTBOptions{tboPopupOverlap, tboShadow}));
    EXPECT_EQ(skin.ShadowStyle(), sWindowsXP);
    EXPECT_EQ(ChevronSize, 12);
    skin.SetOptions(skin.Options() + TTBOptions{tboBlendedImages});
    skin.SetSkinType(tbsOfficeXP);
    EXPECT_EQ(skin.ColorSet(), tbcOfficeXP);
    EXPECT_EQ(skin.Options(), (TTBOptions{tboShadow, tboBlendedImages}));
    EXPECT_EQ(DefaultSkin->Options(), (TTBOptions{tboShadow, tboBlendedImages}));

    // A disabled skin keeps its colours and ignores colour-set changes.
    skin.SetSkinType(tbsDisabled);
    skin.SetColorSet(tbcWindowsXP);
    EXPECT_EQ(skin.ColorSet(), tbcOfficeXP);
    EXPECT_EQ(skin.SkinColor(tcSelBar), Rgb(193, 210, 238));
    EXPECT_EQ(TTBOptionsStoredDefault, TTBOptions{tboShadow});
}

TEST_F(SkinSetters, NativeXPNeedsWindowsXPAndActiveThemes) {
    struct Case { DWORD major, minor; bool themes; TTBSkins stored; };
    const Case cases[] = {
        {5, 0, true, tbsWindowsXP}, {5, 1, false, tbsWindowsXP}, {5, 1, true, tbsNativeXP}, {6, 0, true, tbsNativeXP}};
    for (const Case& c : cases) {
        SystemSeams().Version = [&] { return TSystemVersion{VER_PLATFORM_WIN32_NT, c.major, c.minor}; };
        int themeQueries = 0;
        ThemeApi().IsThemeActive = [&]() -> BOOL { ++themeQueries; return c.themes; };
        TTBSkin skin(nullptr);
        skin.SetSkinType(tbsNativeXP);
        EXPECT_EQ(skin.SkinType(), c.stored) << c.major << "." << c.minor << " themes " << c.themes;
        EXPECT_EQ(DefaultSkin->SkinType(), c.stored);  // it decides for itself from the value given
        EXPECT_EQ(skin.ColorSet(), tbcWindowsXP);
        if (c.major == 5 && c.minor == 1) {
            EXPECT_GT(themeQueries, 0);
        }
    }
    ThemeApi().IsThemeActive = nullptr;  // no theme library counts as themes off
    SystemSeams().Version = [] { return TSystemVersion{VER_PLATFORM_WIN32_NT, 5, 1}; };
    TTBSkin skin(nullptr);
    skin.SetSkinType(tbsNativeXP);
    EXPECT_EQ(skin.SkinType(), tbsWindowsXP);
}

TEST_F(SkinSetters, ParentFontOnTheDefaultSkinStaysTrueForTheDefaultSkin) {
    TTBSkin skin(nullptr);
    ASSERT_TRUE(skin.IsDefaultSkin());
    TFont big;
    big.SetName("IPAGothic");
    big.SetHeight(-20);
    skin.SetCaptionFont(big);
    EXPECT_FALSE(skin.ParentFont());
    EXPECT_FALSE(DefaultSkin->ParentFont());
    EXPECT_EQ(DefaultSkin->CaptionFont().Height(), -20);

    skin.SetParentFont(true);
    EXPECT_TRUE(skin.ParentFont());
    EXPECT_EQ(skin.CaptionFont().Height(), skin.BaseCaptionFont().Height());
    EXPECT_EQ(skin.CaptionFont().Style(), fsBold);
    EXPECT_TRUE(DefaultSkin->ParentFont());
    EXPECT_EQ(DefaultSkin->CaptionFont().Name(), skin.BaseCaptionFont().Name());
    EXPECT_EQ(DefaultSkin->CaptionFont().Height(), skin.BaseCaptionFont().Height());
    EXPECT_FALSE(skin.IsCaptionFontStored());
}

TEST_F(SkinSetters, AssignCopiesColoursOnlyIntoACustomSkinAndSetsTheSkinTypeLast) {
    TTBSkin source(nullptr);
    source.SetColorSet(tbcCustom);
    source.Colors().SetColor(tcSelBar, Rgb(9, 8, 7));
    source.Colors().SetColor(tcToolbar, Rgb(6, 5, 4));  // not among the assigned slots
    source.SetGradient(tbgLeftRight);
    source.SetPopupStyle(tbpsGradHorz);
    source.SetTag(42);

    TTBBaseSkin target(nullptr);
    target.Assign(source);
    // The slots came before the colour set: target was still tbcOfficeXP then.
    EXPECT_EQ(target.ColorSet(), tbcCustom);
    EXPECT_EQ(target.SkinColor(tcSelBar), Rgb(255, 255, 255));
    target.Assign(source);  // now custom: the slots take
    EXPECT_EQ(target.SkinColor(tcSelBar), Rgb(9, 8, 7));
    EXPECT_NE(target.SkinColor(tcToolbar), Rgb(6, 5, 4));
    EXPECT_EQ(target.Gradient(), tbgLeftRight);
    EXPECT_EQ(target.PopupStyle(), tbpsDefault);
    EXPECT_EQ(target.Tag(), 42);
}

using SkinManagerTest = SkinTest;

TEST_F(SkinManagerTest, RemovingTheDefaultMakesTheNextOneTheDefaultAndDefaultSkinPaintsAsIt) {
    auto first = std::make_unique<TTBSkin>(nullptr);
    auto second = std::make_unique<TTBSkin>(nullptr);
    EXPECT_TRUE(first->IsDefaultSkin());
    EXPECT_FALSE(second->IsDefaultSkin());
    second->SetSkinType(tbsWindowsXP);
    EXPECT_EQ(DefaultSkin->SkinType(), tbsOfficeXP);  // only the default skin forwards

    first.reset();  // disabled on its way out, which the default skin follows for a moment
    EXPECT_TRUE(second->IsDefaultSkin());
    EXPECT_EQ(DefaultSkin->SkinType(), tbsWindowsXP);
    EXPECT_EQ(DefaultSkin->ColorSet(), tbcWindowsXP);

    second->SetIsDefaultSkin(false);
    EXPECT_EQ(DefaultSkin->SkinType(), tbsDisabled);  // restored from the backup
    second->SetIsDefaultSkin(true);
    EXPECT_EQ(DefaultSkin->SkinType(), tbsWindowsXP);

    TTBBaseSkin stranger(nullptr);
    EXPECT_EQ(ThrownMessage<ESkinError>([&] { SkinManager->SetDefaultSkin(&stranger); }),
              "This skin has not been added to the SkinManager.");
    EXPECT_THROW(stranger.SetIsDefaultSkin(true), ESkinError);
    EXPECT_FALSE(stranger.IsDefaultSkin());
    EXPECT_EQ(ThrownMessage<ESkinError>([&] { SkinManager->RemoveSkin(&stranger); }),
              "The skin cannot be removed because it's not part of the SkinManager");
    EXPECT_EQ(SkinManager->AddSkin(second.get()), 0);
    EXPECT_EQ(SkinManager->Count(), 1);
}

// ---- windows attached to skins -----------------------------------------------------------

class SkinnedBox : public TWinControl, public TTBSkinClient {
public:
    using TWinControl::TWinControl;
    bool floating = false;
    bool toolWindow = false;
    int frameRecalcs = 0;
    int sizes = 0;
    int replaced = 0;
    std::function<void()> onFrameRecalc;

    TWinControl* SkinWindow() override { return this; }
    bool SkinWindowFloating() const override { return floating; }
    bool SkinWindowIsToolWindow() const override { return toolWindow; }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_NCCALCSIZE) {
            ++frameRecalcs;
            if (onFrameRecalc) onFrameRecalc();
        }
        if (msg == WM_SIZE) ++sizes;
        return TWinControl::WndProc(msg, wParam, lParam);
    }

protected:
    void SkinReplaced() override { ++replaced; }
};

using SkinWindows = SkinTest;

TEST_F(SkinWindows, RefreshRecomputesDockedFramesAndRelaysFloatingOnesKeepingTheirSize) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    form.Show();
    TTBSkin skin(nullptr);
    SkinnedBox docked(nullptr), floating(nullptr), tool(nullptr), hidden(nullptr);
    floating.floating = tool.floating = tool.toolWindow = true;
    int y = 0;
    for (SkinnedBox* box : {&docked, &floating, &tool, &hidden}) {
        box->SetParent(&form);
        box->SetBounds(10, y += 30, 80, 24);
        box->HandleNeeded();
        EXPECT_EQ(box->Skin(), DefaultSkin);
        EXPECT_TRUE(box->ChangeSkin(&skin));
        EXPECT_FALSE(box->ChangeSkin(&skin));
    }
    hidden.SetVisible(false);
    EXPECT_EQ(skin.WindowCount(), 4);
    PumpFor(20);
    for (SkinnedBox* box : {&docked, &floating, &tool, &hidden}) box->frameRecalcs = box->sizes = 0;

    skin.RefreshWindows();

    EXPECT_EQ(docked.frameRecalcs, 1);
    EXPECT_EQ(docked.sizes, 0);
    EXPECT_EQ(floating.frameRecalcs, 3);  // two size changes and the frame
    EXPECT_EQ(floating.sizes, 2);
    EXPECT_EQ(tool.frameRecalcs, 2);      // sizes only
    EXPECT_EQ(hidden.frameRecalcs + hidden.sizes, 0);
    for (SkinnedBox* box : {&docked, &floating, &tool}) {
        RECT r;
        GetWindowRect(box->HandleOrNull(), &r);
        EXPECT_EQ(r.right - r.left, 80);
        EXPECT_EQ(r.bottom - r.top, 24);
        EXPECT_EQ(box->Height(), 24);
    }
}

TEST_F(SkinWindows, RefreshSurvivesWindowsLeavingTheSkinMeanwhile) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    form.Show();
    TTBSkin skin(nullptr), other(nullptr);
    SkinnedBox first(nullptr), second(nullptr);
    for (SkinnedBox* box : {&first, &second}) {
        box->SetParent(&form);
        box->SetBounds(10, 10, 50, 20);
        box->HandleNeeded();
        box->ChangeSkin(&skin);
    }
    first.frameRecalcs = second.frameRecalcs = 0;
    // Whichever is refreshed first moves the other away.
    first.onFrameRecalc = [&] { second.ChangeSkin(&other); };
    second.onFrameRecalc = [&] { first.ChangeSkin(&other); };
    skin.RefreshWindows();
    EXPECT_EQ(first.frameRecalcs + second.frameRecalcs, 1);
    EXPECT_EQ(skin.WindowCount(), 1);
}

TEST_F(SkinWindows, DestroyingASkinMovesItsWindowsToTheDefaultSkinFirst) {
    auto skin = std::make_unique<TTBSkin>(nullptr);
    auto box = std::make_unique<SkinnedBox>(nullptr);
    box->ChangeSkin(skin.get());
    const int onDefault = DefaultSkin->WindowCount();
    skin.reset();
    EXPECT_EQ(box->Skin(), DefaultSkin);
    EXPECT_EQ(box->replaced, 1);
    EXPECT_EQ(DefaultSkin->WindowCount(), onDefault + 1);
    box.reset();
    EXPECT_EQ(DefaultSkin->WindowCount(), onDefault);
    EXPECT_TRUE(DefaultSkin->DetachWindow(nullptr) == false);
}

TEST_F(SkinWindows, EffectiveSkinRules) {
    TTBSkin skin(nullptr);  // makes DefaultSkin Office-XP
    TTBBaseSkin viewSkin(nullptr), disabled(nullptr), native(nullptr);
    disabled.SetSkinType(tbsDisabled);
    native.SetSkinType(tbsWindowsXP);
    // A native skin cannot be had under Wine's answers; write the stored type as the setter would.
    SystemSeams().Version = [] { return TSystemVersion{VER_PLATFORM_WIN32_NT, 5, 1}; };
    ThemeApi().IsThemeActive = []() -> BOOL { return TRUE; };
    native.SetSkinType(tbsNativeXP);
    ASSERT_EQ(native.SkinType(), tbsNativeXP);

    EXPECT_EQ(EffectiveSkin(&viewSkin), &viewSkin);
    EXPECT_EQ(EffectiveSkin(&disabled), DefaultSkin);
    EXPECT_EQ(EffectiveSkin(nullptr), DefaultSkin);
    EXPECT_EQ(PopupWindowSkin(&disabled, &viewSkin), &viewSkin);
    EXPECT_EQ(PopupWindowSkin(&disabled, nullptr), DefaultSkin);
    EXPECT_EQ(PopupFrameSkin(&native, &viewSkin, false), &viewSkin);
    EXPECT_EQ(PopupFrameSkin(&native, nullptr, false), nullptr);
    EXPECT_EQ(PopupFrameSkin(nullptr, nullptr, true), DefaultSkin);
    EXPECT_EQ(PopupWindowColor(DefaultSkin), static_cast<TColor>(Rgb(252, 252, 249)));
    EXPECT_EQ(PopupWindowColor(nullptr), clMenu);

    skin.SetSkinType(tbsNativeXP);  // forwarded: the default skin is native now
    ASSERT_EQ(DefaultSkin->SkinType(), tbsNativeXP);
    EXPECT_EQ(PopupWindowSkin(nullptr, nullptr), nullptr);
    EXPECT_EQ(PopupBorderSkin(nullptr, nullptr), DefaultSkin);
    skin.SetSkinType(tbsDisabled);
    EXPECT_EQ(EffectiveSkin(&disabled), nullptr);
}

}  // namespace
