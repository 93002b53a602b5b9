#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "toolbar/base/services_fixture.h"
#include "toolbar/items/image_list.h"

namespace {

TEST(TBCustomImageList, CompanionsRelayTheirChangesAndAreDroppedWhenFreed) {
    TTBCustomImageList list(nullptr, 4, 4);
    auto hot = std::make_unique<TImageList>(nullptr, 4, 4, true);
    TImageList disabled(nullptr, 4, 4, true);
    int changes = 0;
    TChangeLink link;
    link.OnChange = [&](TImageList*) { ++changes; };
    list.RegisterChanges(&link);

    list.SetHotImages(hot.get());
    list.SetDisabledImages(&disabled);
    EXPECT_EQ(changes, 2);
    list.SetCheckedImages(&list);  // never its own companion
    EXPECT_EQ(list.CheckedImages(), nullptr);

    TBitmap image;
    image.SetSize(4, 4);
    hot->Add(image);
    EXPECT_EQ(changes, 3);
    list.BeginLoading();
    disabled.Add(image);
    EXPECT_EQ(changes, 3);  // not while loading
    list.Loaded();

    hot.reset();
    EXPECT_EQ(list.HotImages(), nullptr);
    EXPECT_EQ(changes, 4);
    const TTBImageSet set = ImageSetOf(&list);
    EXPECT_EQ(set.Images, &list);
    EXPECT_EQ(set.DisabledImages, &disabled);
    EXPECT_EQ(set.HotImages, nullptr);
    list.SetDisabledImages(nullptr);
    disabled.Add(image);
    EXPECT_EQ(changes, 5);  // the unlinking only
}

TEST(TBCustomImageList, AStripBitmapRefillsTheListWithMagentaTransparent) {
    TTBCustomImageList list(nullptr, 2, 2);
    TBitmap other;
    other.SetSize(2, 2);
    list.Add(other);
    TBitmap strip;
    strip.SetSize(6, 2);
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 2; ++y) strip.Canvas().SetPixel(x, y, x == 0 ? RGB(255, 0, 255) : RGB(0, 0, 200));
    list.SetImagesBitmap(strip);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_FALSE(list.IsImageDataStored());
    EXPECT_EQ(list.ImagesBitmap().Width(), 6);

    Surface surface(2, 2);
    list.Draw(surface.dc(), 0, 0, 0);
    const auto pixels = surface.Pixels();
    EXPECT_EQ(pixels[0], 0xFFFFFFu);  // magenta: transparent
    EXPECT_EQ(pixels[1], 0x0000C8u);  // blue

    TBitmap empty;
    list.SetImagesBitmap(empty);
    EXPECT_TRUE(list.IsImageDataStored());
    EXPECT_EQ(list.Count(), 3);  // an empty strip leaves the images alone
}

TEST(TBCustomImageList, PlainDrawingPicksTheCompanionByState) {
    TImageList own(nullptr, 4, 4, true), hot(nullptr, 4, 4, true), checked(nullptr, 4, 4, true),
        disabled(nullptr, 4, 4, true);
    const TTBImageSet all{&own, &hot, &checked, &disabled};
    struct Case { bool shownEnabled, isChecked, selected; const TImageList* expected; };
    const Case cases[] = {
        {false, true, true, &disabled}, {true, true, true, &checked}, {true, false, true, &hot}, {true, false, false, &own},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlainImageSource(all, c.shownEnabled, c.isChecked, c.selected), c.expected);
    EXPECT_EQ(PlainImageSource(TTBImageSet{&own}, false, true, true), &own);
}

}  // namespace
