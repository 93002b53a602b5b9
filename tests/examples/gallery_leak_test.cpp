// Windows and GDI objects stay flat while the gallery's popups and floating toolbars come and go.
#include "gallery_fixture.h"
#include "support/window_count.h"
#include "toolbar/popups/popup.h"

namespace {
using S = Script;

struct Counts {
    int Windows, GdiObjects;
};
Counts Now() { return Counts{CountThreadWindows(), CountProcessGdiObjects()}; }

bool ShadowsShowing(TTBView* bar) {
    auto* popup = dynamic_cast<TTBPopupWindow*>(bar->OpenPopup());
    if (!popup || !popup->Shadows()) return false;
    for (TShadow* strip : {popup->Shadows()->Right(), popup->Shadows()->Bottom()})
        if (!strip->HandleAllocated() || !IsWindowVisible(strip->HandleOrNull())) return false;
    return true;
}
}  // namespace

// The counter itself: it sees every object made and freed, whoever makes it.
TEST(GdiObjectCount, FollowsObjectsMadeAndFreed) {
    const int before = CountProcessGdiObjects();
    ASSERT_GT(before, 0) << "the GDI handle table cannot be read";
    std::vector<HGDIOBJ> made;
    for (int i = 0; i < 10; ++i) made.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    made.push_back(CreateCompatibleBitmap(GetDC(nullptr), 4, 4));
    EXPECT_EQ(CountProcessGdiObjects(), before + 11);
    for (HGDIOBJ object : made) DeleteObject(object);
    EXPECT_EQ(CountProcessGdiObjects(), before);
}

// Office-XP menus with shadows: moving along the bar closes one popup and opens the next.
TEST_F(GalleryTest, TwoHundredShadowedPopupsLeaveNoWindowOrGdiObjectBehind) {
    TTBView* bar = form->MenuBar->View();
    Counts baseline{}, last{};
    std::vector<S::Step> steps{
        ClickAt([&] { return CentreOf(form->MenuBar, Menu("File")); }, "click File"),
        S::Until([&] { return ShadowsShowing(bar); }, "File opens with its shadows"),
    };
    // Between File and Edit: neither selects a submenu first, which Right would open instead.
    for (int cycle = 1; cycle <= 200; ++cycle) {
        const bool toEdit = cycle % 2 == 1;
        const std::string next = toEdit ? "Edit" : "File";
        steps.push_back(Key(toEdit ? VK_RIGHT : VK_LEFT));
        steps.push_back(S::Until([this, bar, next] { return OpenChain() == next && ShadowsShowing(bar); },
                                 next + " opens with its shadows"));
        // The first popups make what the process keeps for all later ones (fonts, timer window).
        if (cycle == 10) steps.push_back(S::Do([&] { baseline = Now(); }));
        if (cycle == 200) steps.push_back(S::Do([&] { last = Now(); }));
    }
    steps.push_back(Key(VK_ESCAPE));
    steps.push_back(Key(VK_ESCAPE));
    steps.push_back(S::Until([bar] { return !bar->InModalLoop(); }, "the loop ends"));
    ASSERT_EQ(Run(std::move(steps)), "");
    ASSERT_GT(baseline.GdiObjects, 0);
    EXPECT_EQ(last.Windows, baseline.Windows);
    EXPECT_EQ(last.GdiObjects, baseline.GdiObjects);
    std::printf("popups: %d windows, %d GDI objects after cycle 10 and %d, %d after cycle 200\n", baseline.Windows,
                baseline.GdiObjects, last.Windows, last.GdiObjects);
}

TEST_F(GalleryTest, FiftyFloatAndDockCyclesLeaveNoWindowOrGdiObjectBehind) {
    TTBToolbar* palette = form->PaletteBar;
    Counts baseline{};
    for (int cycle = 1; cycle <= 50; ++cycle) {
        palette->SetFloating(false);
        PumpFor(10);
        ASSERT_TRUE(palette->Docked());
        palette->SetFloating(true);
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(palette->FloatingParent()->Handle()); }, 2000));
        PumpFor(10);
        if (cycle == 2) baseline = Now();
    }
    const Counts last = Now();
    ASSERT_GT(baseline.GdiObjects, 0);
    EXPECT_EQ(last.Windows, baseline.Windows);
    EXPECT_EQ(last.GdiObjects, baseline.GdiObjects);
    std::printf("float and dock: %d windows, %d GDI objects after cycle 2 and %d, %d after cycle 50\n",
                baseline.Windows, baseline.GdiObjects, last.Windows, last.GdiObjects);
}
