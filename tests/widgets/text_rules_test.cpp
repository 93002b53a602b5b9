#include <gtest/gtest.h>

#include "widgets/hint_text.h"
#include "widgets/image_list.h"
#include "widgets/short_cut.h"

namespace {

TEST(ShortCutText, ModifiersThenKeyName) {
    struct Case {
        WORD key;
        TShiftState shift;
        const char* text;
    };
    const Case cases[] = {
        {'S', ssCtrl, "Ctrl+S"},        {'7', ssAlt, "Alt+7"},          {VK_F5, 0, "F5"},
        {VK_F12, ssShift, "Shift+F12"}, {VK_DELETE, ssCtrl | ssAlt, "Ctrl+Alt+Del"},
        {'A', ssShift | ssCtrl | ssAlt, "Shift+Ctrl+Alt+A"},            {VK_RETURN, 0, "Enter"},
    };
    for (const Case& c : cases) EXPECT_EQ(ShortCutToText(ShortCut(c.key, c.shift)), c.text) << c.text;
    EXPECT_EQ(ShortCut('S', ssCtrl | ssLeft), scCtrl | 'S') << "mouse buttons are no modifiers";
    EXPECT_EQ(ShortCutToText(0), "");
}

TEST(HintText, TheBarIsFoundByWholeCharacters) {
    struct Case {
        const char* hint;
        const char* shortPart;
        const char* longPart;
    };
    const Case cases[] = {
        {"Open|Opens a file", "Open", "Opens a file"},
        {"Open", "Open", "Open"},
        {"|only long", "", "only long"},
        {"ポップ|表示", "ポップ", "表示"},  // ポ is 83 7C
        {"ポ", "ポ", "ポ"},
        {"a|b|c", "a", "b|c"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetShortHint(c.hint), c.shortPart) << c.hint;
        EXPECT_EQ(GetLongHint(c.hint), c.longPart) << c.hint;
    }
}

TEST(ImageListChangeLink, ChangesReachTheLinksAndEitherSideMayGoFirst) {
    int changes = 0;
    auto list = std::make_unique<TImageList>(nullptr, 16, 16, true);
    TChangeLink staying;
    staying.OnChange = [&](TImageList* sender) { changes += sender == list.get() ? 1 : 100; };
    list->RegisterChanges(&staying);
    {
        TChangeLink leaving;
        list->RegisterChanges(&leaving);
    }
    TBitmap bitmap;
    bitmap.SetSize(16, 16);
    list->Add(bitmap);
    list->Clear();
    EXPECT_EQ(changes, 2);
    list.reset();
    EXPECT_EQ(staying.Sender(), nullptr);
}

}  // namespace
