// The menus of the gallery driven with real input: the system's mouse and keyboard queues.
#include "gallery_fixture.h"
#include "toolbar/base/common.h"
#include "toolbar/popups/popup.h"

namespace {
using S = Script;
}  // namespace

TEST_F(GalleryTest, ArrowsWalkMenusAndSubmenusEnterOpensOrClicksEscapeClosesOneLevel) {
    TTBView* bar = form->MenuBar->View();
    auto chainIs = [&](std::string chain, std::string selected) {
        return S::Until([=, this] { return OpenChain() == chain && DeepSelection() == selected; },
                        "chain \"" + chain + "\" with \"" + selected + "\" selected");
    };
    std::string failure = Run({
        ClickAt([&] { return CentreOf(form->MenuBar, Menu("File")); }, "click File"),
        chainIs("File", ""),
        Key(VK_DOWN), chainIs("File", "New"),
        Key(VK_UP), chainIs("File", "Exit"),  // wraps
        Key(VK_UP), chainIs("File", "Recent"),
        Key(VK_RIGHT), chainIs("File > Recent", "Documents"),  // opens with its first item selected
        Key(VK_RETURN), chainIs("File > Recent > Documents", "Letter"),  // Enter on a submenu opens it
        Key(VK_ESCAPE), chainIs("File > Recent", "Documents"),  // one level only
        Key(VK_LEFT), chainIs("File", "Recent"),
        Key(VK_ESCAPE), chainIs("", "File"),  // back on the bar, still in the loop
        Key(VK_RIGHT), chainIs("", "Edit"),   // Escape stopped submenus opening on the way
        Key(VK_DOWN), chainIs("Edit", "Undo"),
        Key(VK_DOWN), Key(VK_DOWN), Key(VK_DOWN), Key(VK_DOWN),
        chainIs("Edit", "Paste"),  // past the disabled Redo and the separator
        Key(VK_RETURN),  // a split item runs at once
        S::Until([&] { return !bar->InModalLoop(); }, "the loop ends"),
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(form->StatusText(), "clicked: Paste");
    EXPECT_EQ(bar->OpenView(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(GalleryTest, HoverOpensAndClosesASubmenuAfterTheMenuDelay) {
    const DWORD delay = GetMenuShowDelay();
    DWORD movedAt = 0;
    std::vector<DWORD> waited;
    std::vector<std::string> rightAfterMove;
    auto moveTo = [&](const char* path) {
        return S::Do([&, path] {
            MoveTo(CentreOf(form->MenuBar->View()->OpenView(), Menu(path)));
            movedAt = GetTickCount();
        });
    };
    auto noteChain = [&] { return S::Do([&] { rightAfterMove.push_back(OpenChain()); }); };
    auto untilChain = [&](std::string chain) {
        return S::Until([&, chain] {
            if (OpenChain() != chain) return false;
            waited.push_back(GetTickCount() - movedAt);
            return true;
        }, "chain " + chain);
    };
    std::string failure = Run({
        ClickAt([&] { return CentreOf(form->MenuBar, Menu("File")); }, "click File"),
        S::Until([&] { return OpenChain() == "File"; }, "File opens"),
        moveTo("File/Recent"), noteChain(), untilChain("File > Recent"),
        moveTo("File/Save"), noteChain(), untilChain("File"),
        Key(VK_ESCAPE), Key(VK_ESCAPE),
        S::Until([&] { return !form->MenuBar->View()->InModalLoop(); }, "the loop ends"),
    });
    ASSERT_EQ(failure, "");
    // Neither happens on the move itself, both once the delay has passed (timer ticks are coarse).
    EXPECT_EQ(rightAfterMove, (std::vector<std::string>{"File", "File > Recent"}));
    ASSERT_EQ(waited.size(), 2u);
    for (DWORD w : waited) {
        EXPECT_GE(w + 20, delay);
        EXPECT_LT(w, delay + 1500);
    }
}

TEST_F(GalleryTest, DoubleClickOnAMenuRunsItsDefaultItem) {
    std::string failure = Run({
        S::Do([&] {
            POINT file = CentreOf(form->MenuBar, Menu("File"));
            SetCursorPos(file.x, file.y);
            for (DWORD flags : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP})
                SendMouse(flags);
        }, "double-click File"),
        S::Until([&] { return form->StatusText() == "clicked: Open"; }, "Open runs"),
    });
    EXPECT_EQ(failure, "");
    EXPECT_FALSE(form->MenuBar->View()->InModalLoop());
    EXPECT_EQ(OpenChain(), "");
}

// The press that ends the menu is not lost: it reaches the button it was meant for.
TEST_F(GalleryTest, APressOutsideTheMenusEndsTheLoopAndReachesItsTarget) {
    TTBCustomItem* red = form->PaletteBar->Items()->Items(0);
    std::string failure = Run({
        ClickAt([&] { return CentreOf(form->MenuBar, Menu("Edit")); }, "click Edit"),
        S::Until([&] { return OpenChain() == "Edit"; }, "Edit opens"),
        ClickAt([&] { return CentreOf(form->PaletteBar, red); }, "click Red on the palette"),
        S::Until([&] { return form->StatusText() == "clicked: Red"; }, "Red runs"),
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(OpenChain(), "");
    EXPECT_FALSE(form->MenuBar->View()->InModalLoop());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(GalleryTest, RightClickOpensThePopupMenuWhoseSubmenuRunsItsItem) {
    const POINT at = form->ClientToScreen(POINT{400, 300});
    TTBPopupWindow* popup = nullptr;
    auto popupAt = [&] {
        POINT inside{at.x + 8, at.y + 8};
        popup = dynamic_cast<TTBPopupWindow*>(TWinControl::FromHandle(WindowFromPoint(inside)));
        return popup != nullptr;
    };
    TTBCustomItem* insert = form->FindItem("Insert", form->PopupMenu->Items());
    TTBCustomItem* date = form->FindItem("Insert/Date", form->PopupMenu->Items());
    std::string failure = Run({
        S::Do([&] {
            SetCursorPos(at.x, at.y);
            SendMouse(MOUSEEVENTF_RIGHTDOWN);
            SendMouse(MOUSEEVENTF_RIGHTUP);
        }, "right click"),
        S::Until(popupAt, "the popup menu at the pointer"),
        S::Do([&] { MoveTo(CentreOf(popup->View(), insert)); }, "point at Insert"),
        S::Until([&] { return popup->View()->OpenView() != nullptr; }, "Insert opens"),
        ClickAt([&] { return CentreOf(popup->View()->OpenView(), date); }, "click Date"),
        S::Until([&] { return form->StatusText() == "clicked: Date"; }, "Date runs"),
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(WindowFromPoint(POINT{at.x + 8, at.y + 8}), form->Handle());  // the menu is gone
}

// A handler frees the toolbar while its button is held: the loop ends without touching it.
TEST_F(GalleryTest, AToolbarFreedWhileItsButtonIsHeldEndsItsLoopQuietly) {
    TTBToolbar* bar = form->StandardBar;
    TTBCustomItem* zoomIn = form->FindItem("Zoom In", bar->Items());
    std::string failure = Run({
        S::Do([&] { MoveTo(CentreOf(bar, zoomIn)); }),
        S::Do([] { Press(); }, "press Zoom In"),
        S::Until([&] { return bar->View()->InModalLoop(); }, "the button's loop runs"),
        S::Do([&] {
            form->StandardBar = nullptr;
            delete bar;
        }, "free the toolbar"),
        S::Do([] { Release(); }),
        S::Until([] { return GetCapture() == nullptr; }, "the loop ends"),
        // The rest of the window goes on working.
        ClickAt([&] { return CentreOf(form->MenuBar, Menu("File")); }, "click File"),
        S::Until([&] { return OpenChain() == "File"; }, "File opens"),
        Key(VK_ESCAPE), Key(VK_ESCAPE),
        S::Until([&] { return !form->MenuBar->View()->InModalLoop(); }, "the menu's loop ends"),
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(form->StatusText(), "clicked: (nothing yet)");
}

// Narrowed, the image toolbar keeps its first buttons and lists the rest behind its chevron.
TEST_F(GalleryTest, ANarrowWindowCutsButtonsOffBehindTheChevronWhichListsThem) {
    TTBToolbar* bar = form->StandardBar;
    TTBCustomItem* leave = form->FindItem("Leave", bar->Items());
    form->SetBounds(form->Left(), form->Top(), 260, form->Height());
    PumpFor(50);
    bar->View()->ValidatePositions();
    ASSERT_TRUE(bar->View()->Find(leave)->OffEdge);
    ASSERT_FALSE(bar->View()->Find(bar->Items()->Items(0))->OffEdge);
    TTBItemViewer* chevron = bar->View()->Find(bar->ChevronItem());
    ASSERT_TRUE(chevron && chevron->Show);
    std::string failure = Run({
        ClickAt([&] { return CentreOf(bar, bar->ChevronItem()); }, "click the chevron"),
        S::Until([&] { return bar->View()->OpenView() != nullptr; }, "the chevron's list opens"),
        S::Do([&] {
            TTBView* list = bar->View()->OpenView();
            EXPECT_NE(CentreOf(list, leave).x, -1) << "a hidden button is listed";
            EXPECT_EQ(CentreOf(list, bar->Items()->Items(0)).x, -1) << "a shown one is not";
        }),
        ClickAt([&] { return CentreOf(bar->View()->OpenView(), leave); }, "click Leave in the list"),
        S::Until([&] { return form->StatusText() == "clicked: Leave"; }, "Leave runs"),
    });
    EXPECT_EQ(failure, "");
}

// Short-cuts reach their items from anywhere in the window: the menu bar's, and those of the
// palette while it floats in a window of its own.
TEST_F(GalleryTest, ShortCutsRunTheirItemsOfTheMenuBarAndOfAFloatingToolbar) {
    auto ctrl = [](WORD key) {
        return S::Do([key] {
            PressKey(VK_CONTROL, true);
            PressKey(key, true);
            PressKey(key, false);
            PressKey(VK_CONTROL, false);
        }, "Ctrl+key");
    };
    ASSERT_TRUE(form->PaletteBar->Floating());
    std::string failure = Run({
        ctrl('O'), S::Until([&] { return form->StatusText() == "clicked: Open"; }, "Open runs"),
        ctrl('2'), S::Until([&] { return form->StatusText() == "clicked: Green"; }, "Green runs"),
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(OpenChain(), "");
}

// The keyboard's ways into the menu bar: Alt alone, F10, and Alt with a menu's letter.
TEST_F(GalleryTest, AltF10AndAltWithALetterOpenTheMenuBarFromTheKeyboard) {
    TTBView* bar = form->MenuBar->View();
    auto chainIs = [this](std::string chain, std::string selected) {
        return S::Until([=, this] { return OpenChain() == chain && DeepSelection() == selected; },
                        "chain \"" + chain + "\" with \"" + selected + "\" selected");
    };
    auto loopEnds = [bar] { return S::Until([bar] { return !bar->InModalLoop(); }, "the loop ends"); };
    std::string failure = Run({
        Key(VK_MENU), chainIs("", "File"),  // the bar's first menu, not yet open
        Key(VK_DOWN), chainIs("File", "New"),
        Key(VK_ESCAPE), Key(VK_ESCAPE), loopEnds(),
        Key(VK_F10), chainIs("", "File"),
        Key(VK_RIGHT), chainIs("", "Edit"),
        Key(VK_ESCAPE), loopEnds(),
        S::Do([] {
            PressKey(VK_MENU, true);
            PressKey('V', true);
            PressKey('V', false);
            PressKey(VK_MENU, false);
        }, "Alt+V"),
        chainIs("View", "Skin"),  // opened with its first item selected
        Key(VK_ESCAPE), Key(VK_ESCAPE), loopEnds(),
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(form->StatusText(), "clicked: (nothing yet)");
}
