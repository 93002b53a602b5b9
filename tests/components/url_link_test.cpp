#include "components/url_link.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gui_test_support.h"

namespace {
// A hyperlink label on the host form whose opener only records what it was given.
struct LinkHost {
    LinkHost() : link(std::make_unique<TURLLink>(nullptr)) {
        ParkPointer();
        link->SetBounds(20, 20, 10, 10);
        link->Font().SetHeight(-24);
        link->Font().SetStyle(fsBold);
        link->SetCaption("Kestovar");
        link->SetLink("http://example.com/sorvane");
        link->Opener = [this](const std::string& target) { opened.push_back(target); };
        link->SetParent(&HostForm());
        HostForm().Update();
    }
    ~LinkHost() { MovePointerOver(HostForm(), 700, 350); }  // leave the label before it goes

    void Press(UINT down, UINT up, WPARAM keys) {
        HWND form = HostForm().Handle();
        LPARAM at = MAKELPARAM(link->Left() + 3, link->Top() + 3);
        PostMessageA(form, down, keys, at);
        PostMessageA(form, up, 0, at);
        PumpFor(40);
    }
    HWND Popup() { return link->HintForm().HandleOrNull(); }
    bool PopupShown() { return Popup() && IsWindowVisible(Popup()); }
    // Pixels of the label drawn in exactly `color`.
    int PixelsOf(COLORREF color) {
        Snapshot shot = Shot(HostForm());
        int n = 0;
        for (int y = link->Top(); y < link->Top() + link->Height(); ++y) {
            for (int x = link->Left(); x < link->Left() + link->Width(); ++x) n += shot.At(x, y) == color;
        }
        return n;
    }

    std::unique_ptr<TURLLink> link;
    std::vector<std::string> opened;
};
}  // namespace

TEST(URLLink, OnlyALeftPressOpensTheTarget) {
    struct Case {
        TURLtype type;
        std::string link, target;
    };
    const Case cases[] = {
        {tpURL, "http://example.com/", "http://example.com/"},
        {tpMAIL, "someone@example.com", "mailto:someone@example.com"},
        {tpURL, "example.com", "example.com"},  // no scheme is added
        {tpMAIL, "", "mailto:"},
        {tpURL, "", ""},  // still opened
    };
    for (const Case& c : cases) {
        LinkHost host;
        host.link->SetURLType(c.type);
        host.link->SetLink(c.link);
        host.Press(WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
        EXPECT_EQ(host.opened, (std::vector<std::string>{c.target})) << c.link;
    }
    LinkHost host;
    host.Press(WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON);
    host.Press(WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON);
    EXPECT_TRUE(host.opened.empty());
}

TEST(URLLink, HoverShowsTheLinkColourAndOnePopupBesideThePointer) {
    LinkHost host;
    TFont font;
    font.SetHeight(-16);
    host.link->SetHintFormFont(font);
    EXPECT_GT(host.PixelsOf(RGB(0, 0, 255)), 0);

    MovePointerOver(*host.link, 4, 4);
    ASSERT_TRUE(host.link->HintShowing());
    ASSERT_TRUE(host.PopupShown());
    EXPECT_EQ(host.link->Font().Color(), clRed);
    EXPECT_GT(host.PixelsOf(RGB(255, 0, 0)), 0);
    EXPECT_EQ(host.PixelsOf(RGB(0, 0, 255)), 0);

    // Link's extent + (6, 3), 15 pixels right of and below the pointer.
    const SIZE text = ScreenTextExtent(font, host.link->Link());
    POINT pointer{};
    GetCursorPos(&pointer);
    RECT popup{};
    GetWindowRect(host.Popup(), &popup);
    EXPECT_EQ(popup.left, pointer.x + 15);
    EXPECT_EQ(popup.top, pointer.y + 15);
    EXPECT_EQ(popup.right - popup.left, text.cx + 6);
    EXPECT_EQ(popup.bottom - popup.top, text.cy + 3);
    LONG exStyle = GetWindowLongA(host.Popup(), GWL_EXSTYLE), style = GetWindowLongA(host.Popup(), GWL_STYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
    EXPECT_EQ(GetForegroundWindow(), HostForm().Handle());  // shown without activation

    // Moving within the label leaves the popup where it appeared.
    MovePointerOver(*host.link, 12, 8);
    RECT after{};
    GetWindowRect(host.Popup(), &after);
    EXPECT_TRUE(EqualRect(&popup, &after));

    host.Press(WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);  // a click hides it until the next move
    EXPECT_FALSE(host.PopupShown());
    MovePointerOver(*host.link, 10, 6);
    EXPECT_TRUE(host.PopupShown());

    // The colour saved on entering comes back, even over a change made meanwhile.
    host.link->Font().SetColor(RGB(0, 128, 0));
    MovePointerOver(HostForm(), 700, 350);
    EXPECT_FALSE(host.link->HintShowing());
    EXPECT_FALSE(host.PopupShown());
    EXPECT_EQ(host.link->Font().Color(), clBlue);
}

TEST(URLLink, WithoutShowHintNoPopupButColourAndClickWork) {
    LinkHost host;
    host.link->SetEnableShowHint(false);
    MovePointerOver(*host.link, 4, 4);
    MovePointerOver(*host.link, 10, 6);
    EXPECT_FALSE(host.link->HintShowing());
    EXPECT_FALSE(host.PopupShown());
    EXPECT_EQ(host.link->Font().Color(), clRed);
    host.Press(WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
    EXPECT_EQ(host.opened.size(), 1u);
}
