// The menus of the gallery driven with real input: the system's mouse and keyboard queues.
#include "gallery_fixture.h"

namespace {
using S = Script;
}  // namespace

TEST_F(GalleryTest, ArrowsWalkMenusAndSubmenusEnterOpensOrClicksEscapeClosesOneLevel) {
    TTBView* bar = form->MenuBar->View();
    auto chainIs = [&](std::string chain, std::string selected) {
        return S::Until([=] { return OpenChain() == chain && DeepSelection() == selected; },
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
