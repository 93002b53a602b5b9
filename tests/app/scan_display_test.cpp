#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/main_window.h"
#include "support/shown_list.h"
#include "support/test_env.h"

// A new row count repaints the list's scroll bar, about ten milliseconds under Wine: while a scan
// runs, the list learns of its new rows at most every kScanListShowIntervalMs, the first time
// with the progress, and of all of them when the scan ends.
TEST(ScanDisplay, TheListLearnsOfNewRowsAtItsOwnIntervalAndOfAllOfThemAtTheEnd) {
    TForm form(nullptr);
    TListView* list = ShownList(form, {{"name", 200}});
    const auto windowRows = [&] { return WindowRowCount(*list); };

    std::vector<DWORD> shownAfter;  // ms from the start, at each new count the window got
    TScanDisplay* slot = nullptr;
    const DWORD start = GetTickCount();
    {
        TScanDisplay display({{list, kScanListShowIntervalMs}}, slot);
        EXPECT_EQ(slot, &display);
        int known = windowRows();
        while (GetTickCount() - start < 2 * kScanListShowIntervalMs + 200) {
            list->AddItem("row");
            display.ShowIfDue();
            if (windowRows() != known) {
                known = windowRows();
                shownAfter.push_back(GetTickCount() - start);
            }
            Sleep(2);
        }
    }
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(windowRows(), list->Count());
    ASSERT_GE(shownAfter.size(), 2u);
    // The tick count moves in steps of up to 16 ms.
    EXPECT_GE(shownAfter[0] + 16, kScanPaintIntervalMs);
    EXPECT_LT(shownAfter[0], kScanListShowIntervalMs);
    for (size_t i = 1; i < shownAfter.size(); ++i) EXPECT_GE(shownAfter[i] - shownAfter[i - 1] + 16, kScanListShowIntervalMs);
}
