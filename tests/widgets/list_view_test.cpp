#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "support/shown_list.h"
#include "support/test_env.h"
#include "widgets/directory.h"
#include "widgets/form.h"
#include "widgets/list_view.h"

namespace {

std::wstring WindowText(TListView& list, int row, int column) {
    wchar_t text[64] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(list.Handle(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

}  // namespace

// The rows live in the list object and its window asks for those it shows: what the window (and
// so a screen reader) reads must be the rows, and rows added while updates are held reach it
// only on release.
TEST(ListView, TheWindowLearnsOfHeldRowsOnReleaseAndReadsThemFromTheList) {
    TForm form(nullptr);
    TListView* list = ShownList(form, {{"", 20}, {"name", 200}});
    list->OnGetImageIndex = [](int row) { return row * 10; };

    list->BeginUpdate();
    for (int i = 0; i < 100; ++i) {
        const int row = list->AddItem(i % 2 ? "odd" : "even", i == 7 ? I_IMAGECALLBACK : I_IMAGENONE);
        list->AddSubItem(row, L"file" + std::to_wstring(i));
    }
    EXPECT_EQ(list->Count(), 100);
    EXPECT_EQ(WindowRowCount(*list), 0);
    list->EndUpdate();
    EXPECT_EQ(WindowRowCount(*list), 100);
    EXPECT_EQ(WindowText(*list, 42, 1), L"file42");
    EXPECT_EQ(WindowText(*list, 43, 0), L"odd");
    EXPECT_EQ(WindowText(*list, 99, 2), L"");  // no such sub-item
    EXPECT_EQ(list->ImageIndex(7), 70);        // asked for each time
    EXPECT_EQ(list->ImageIndex(8), I_IMAGENONE);

    // Typing looks rows up by caption, from the given row on and round to the start.
    LVFINDINFOW find{};
    find.flags = LVFI_STRING | LVFI_PARTIAL;
    find.psz = L"OD";
    EXPECT_EQ(SendMessageW(list->Handle(), LVM_FINDITEMW, 50, reinterpret_cast<LPARAM>(&find)), 51);
    find.psz = L"eve";
    EXPECT_EQ(SendMessageW(list->Handle(), LVM_FINDITEMW, 99, reinterpret_cast<LPARAM>(&find)), 0);

    // A window told to ask in the code page (a new parent can tell it so) gets whole characters.
    const int japanese = list->AddItem("ソフト表示");
    SendMessageA(list->Handle(), CCM_SETUNICODEFORMAT, FALSE, 0);
    for (const auto& [room, shown] : {std::pair{6, "ソフ"}, std::pair{5, "ソフ"}, std::pair{64, "ソフト表示"}}) {
        char text[64] = {};
        LVITEMA item{};
        item.pszText = text;
        item.cchTextMax = room;
        SendMessageA(list->Handle(), LVM_GETITEMTEXTA, japanese, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(text, shown) << room;
    }

    list->Clear();
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(WindowRowCount(*list), 0);
}

// A look made on the reading thread gives what the system's own gives, its error included.
TEST(Directory, TheFirstEntryLookedAtWhileAnsweringIsTheSystemsOwn) {
    const std::wstring folder = WideFromAnsi(FreshTempDir("first-entry"));
    for (const wchar_t* name : {L"a.ttf", L"b.ttf"}) {
        HANDLE file = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
    }
    StartDirectoryReader();
    const auto pump = [] { PumpFor(1); };
    for (const std::wstring& pattern : {folder + L"\\*.ttf", folder + L"\\none\\*"}) {
        WIN32_FIND_DATAW own{}, read{};
        HANDLE ownSearch = FindFirstFileW(pattern.c_str(), &own);
        const DWORD ownError = GetLastError();
        FindHandle search(FindFirstEntry(pattern, read, pump));
        EXPECT_EQ(search.valid(), ownSearch != INVALID_HANDLE_VALUE);
        if (!search.valid()) {
            EXPECT_EQ(GetLastError(), ownError);
            continue;
        }
        FindClose(ownSearch);
        EXPECT_STREQ(read.cFileName, own.cFileName);
        EXPECT_TRUE(FindNextFileW(search.get(), &read));  // the handle carries on
    }
}
