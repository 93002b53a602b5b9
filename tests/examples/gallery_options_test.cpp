// The gallery's switches and its View menu: the look they choose reaches the default skin, and
// through it every toolbar, at once.
#include "gallery_fixture.h"
#include "toolbar/skins/skin.h"

#include <set>

namespace {
using S = Script;

COLORREF ScreenPixel(POINT p) {
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}
}  // namespace

TEST(GalleryOptions, SwitchesChooseSkinAndColoursAndAnythingElseIsRefused) {
    struct Case {
        std::vector<std::string> Args;
        TGallerySkin Skin;
        TGalleryColors Colors;
        const char* Error;  // the start of the message, or null
    };
    const Case cases[] = {
        {{}, gsOfficeXP, gcOfficeXP, nullptr},
        {{"--skin", "windowsxp"}, gsWindowsXP, gcWindowsXP, nullptr},  // the type's own colours
        {{"--skin", "native"}, gsNative, gcWindowsXP, nullptr},
        {{"--colors", "officexp", "--skin", "native"}, gsNative, gcOfficeXP, nullptr},
        {{"--colors=distinct", "--skin=native"}, gsNative, gcDistinct, nullptr},
        {{"--skin", "disabled", "--colors", "windowsxp"}, gsDisabled, gcWindowsXP, nullptr},
        {{"--skin", "officexp", "--skin", "disabled"}, gsDisabled, gcOfficeXP, nullptr},  // the last one counts
        {{"--skin", "OfficeXP"}, gsOfficeXP, gcOfficeXP, "unknown value \"OfficeXP\""},
        {{"--colors"}, gsOfficeXP, gcOfficeXP, "--colors needs a value"},
        {{"--skin="}, gsOfficeXP, gcOfficeXP, "unknown value \"\""},
        {{"--theme", "native"}, gsOfficeXP, gcOfficeXP, "unknown switch \"--theme\""},
        {{"officexp"}, gsOfficeXP, gcOfficeXP, "unknown switch \"officexp\""},
    };
    for (const Case& c : cases) {
        std::string args;
        for (const std::string& a : c.Args) args += a + " ";
        SCOPED_TRACE(args);
        if (c.Error) {
            std::string message = ThrownMessage<EGalleryUsage>([&] { ParseGalleryOptions(c.Args); });
            EXPECT_EQ(message.rfind(c.Error, 0), 0u) << message;
            EXPECT_NE(message.find(GalleryUsage), std::string::npos);
        } else {
            TGalleryOptions options = ParseGalleryOptions(c.Args);
            EXPECT_EQ(options.Skin, c.Skin);
            EXPECT_EQ(options.Colors, c.Colors);
        }
    }
}

TEST(GalleryOptions, TheDistinctSetGivesEverySlotItsOwnColour) {
    std::set<TColor> colours;
    for (int slot = 0; slot < TTBSkinColorCount; ++slot) colours.insert(DistinctColor(static_cast<TTBSkinColorIndex>(slot)));
    EXPECT_EQ(colours.size(), static_cast<size_t>(TTBSkinColorCount));
}

class GalleryStartTest : public GalleryTest {
protected:
    void SetUp() override {}
};

// Every switch combination reaches the default skin before the window shows.
TEST_F(GalleryStartTest, TheStartingLookIsTheDefaultSkins) {
    const TTBSkins types[] = {tbsOfficeXP, tbsWindowsXP, tbsNativeXP, tbsDisabled};
    const std::string skinItems[] = {"Office XP", "Windows XP", "Native theme", "Disabled"};
    const std::string colorItems[] = {"Office XP", "Windows XP", "Distinct"};
    for (TGallerySkin skin : {gsOfficeXP, gsWindowsXP, gsNative, gsDisabled}) {
        for (TGalleryColors colors : {gcOfficeXP, gcWindowsXP, gcDistinct}) {
            SCOPED_TRACE(std::to_string(skin) + " " + std::to_string(colors));
            Open(TGalleryOptions{skin, colors});
            // Without visual themes the native type falls back to the Windows-XP one.
            if (skin == gsNative) {
                EXPECT_TRUE(DefaultSkin->SkinType() == tbsNativeXP || DefaultSkin->SkinType() == tbsWindowsXP);
            } else {
                EXPECT_EQ(DefaultSkin->SkinType(), types[skin]);
            }
            if (skin != gsDisabled) {
                EXPECT_EQ(DefaultSkin->ColorSet(), colors == gcDistinct ? tbcCustom : static_cast<TTBColorSets>(colors));
                for (int slot = 0; colors == gcDistinct && slot < TTBSkinColorCount; ++slot)
                    EXPECT_EQ(DefaultSkin->SkinColor(slot), DistinctColor(static_cast<TTBSkinColorIndex>(slot))) << slot;
            }
            EXPECT_TRUE(Menu("View/Skin/" + skinItems[skin])->Checked());
            EXPECT_TRUE(Menu("View/Colors/" + colorItems[colors])->Checked());
            form.reset();
        }
    }
}

// Chosen in the View menu, the distinct colours show on the toolbars at once.
TEST_F(GalleryTest, TheViewMenuSwitchesTheLookOfEveryToolbarAtOnce) {
    // A spot of the image toolbar's background, right of its last button.
    form->StandardBar->View()->ValidatePositions();
    const RECT last = form->StandardBar->View()->Viewers(form->StandardBar->View()->ViewerCount() - 1)->BoundsRect;
    const POINT spot = form->StandardBar->ClientToScreen(POINT{last.right + 20, last.bottom / 2});
    ASSERT_LT(last.right + 20, form->StandardBar->Width() - 4);
    const COLORREF before = ScreenPixel(spot);
    std::string failure = Run({
        ClickAt([&] { return CentreOf(form->MenuBar, Menu("View")); }, "click View"),
        S::Until([&] { return OpenChain() == "View"; }, "View opens"),
        ClickAt([&] { return CentreOf(form->MenuBar->View()->OpenView(), Menu("View/Colors")); }, "click Colors"),
        S::Until([&] { return OpenChain() == "View > Colors"; }, "Colors opens"),
        ClickAt([&] { return CentreOf(form->MenuBar->View()->OpenView()->OpenView(), Menu("View/Colors/Distinct")); },
                "click Distinct"),
        S::Until([&] { return form->StatusText() == "clicked: Distinct"; }, "Distinct runs"),
        S::Until([&] { return ScreenPixel(spot) == DistinctColor(tcToolbar); }, "the toolbar repaints"),
    });
    EXPECT_EQ(failure, "");
    EXPECT_NE(before, DistinctColor(tcToolbar));
    EXPECT_EQ(DefaultSkin->ColorSet(), tbcCustom);
    EXPECT_TRUE(Menu("View/Colors/Distinct")->Checked());
    EXPECT_FALSE(Menu("View/Colors/Office XP")->Checked());
}
