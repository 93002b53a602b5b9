#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "support/shown_list.h"
#include "support/test_env.h"
#include "widgets/form.h"
#include "widgets/list_view.h"
#include "widgets/wide_text.h"

namespace {

// The pixels of one row of a list as it paints itself.
std::string RowPixels(TListView& list, int row) {
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(list.Handle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    TBitmap shot;
    shot.SetSize(list.Width(), list.Height());
    SendMessageA(list.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shot.Canvas().Handle()),
                 PRF_CLIENT | PRF_ERASEBKGND);
    std::string pixels;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) pixels += std::to_string(shot.Canvas().Pixel(x, y)) + ",";
    return pixels;
}

TEST(WideNames, AListKeepsAndPaintsNamesOutsideTheCodePageExactly) {
    TForm form(nullptr);
    TListView* list = ShownList(form, {{"", 20}, {"ファイル名", 200}});

    struct Case {
        std::wstring name;
        std::string ansi;  // what SubItem gives: the code page's own characters, or look-alikes
    };
    const Case cases[] = {
        {L"Café.ttf", "Cafe.ttf"},   {L"Cafe.ttf", "Cafe.ttf"},   {L"ソフト表.ttf", "ソフト表.ttf"},
        {L"한글.ttf", "??.ttf"},     {L"音符🎵.ttf", "音符??.ttf"}, {L"简体字.ttf", "?体字.ttf"},
    };
    for (const Case& c : cases) list->AddSubItem(list->AddItem(), c.name);
    const int ansiRow = list->AddItem();
    list->AddSubItem(ansiRow, std::string("ソフト表.ttf"));
    PumpFor(20);

    for (int row = 0; row < static_cast<int>(std::size(cases)); ++row) {
        EXPECT_EQ(list->WideSubItem(row, 0), cases[row].name) << row;
        EXPECT_EQ(list->SubItem(row, 0), cases[row].ansi) << row;
    }
    // A text set in the code page reads back the same in UTF-16, and paints the same.
    EXPECT_EQ(list->WideSubItem(ansiRow, 0), L"ソフト表.ttf");
    EXPECT_TRUE(RowPixels(*list, ansiRow) == RowPixels(*list, 2));
    // Look-alike names paint as themselves: "Café" is not "Cafe".
    EXPECT_TRUE(RowPixels(*list, 0) != RowPixels(*list, 1));
}

}  // namespace
