// A skinned popup of the gallery as the screen shows it: its frame, its border widths and its
// shadows, under the distinct colour set so that a colour read from the wrong slot shows.
#include "gallery_fixture.h"
#include "toolbar/base/anim.h"
#include "toolbar/base/common.h"
#include "toolbar/popups/popup.h"

namespace {
using S = Script;

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}
int Brightness(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }
RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}
bool Showing(TShadow* shadow) { return shadow && shadow->HandleAllocated() && IsWindowVisible(shadow->HandleOrNull()); }

struct FrameCase {
    TGallerySkin Skin;
    bool Animate;           // the system's menu animation (a slide) is on
    RECT Border;            // the frame's width at the left, top, right and bottom
    std::vector<TTBSkinColorIndex> LeftRings;  // the frame's columns from the left edge in
};

class PopupSkinTest : public GalleryTest {
protected:
    void SetUp() override {}
    void TearDown() override {
        GalleryTest::TearDown();
        ResetSystemSeams();
    }
    void AnimateMenus(bool on) {
        SystemSeams().ParametersInfo = [on](UINT action, UINT param, void* data) {
            if (action == SPI_GETMENUANIMATION || action == SPI_GETMENUFADE) {
                *static_cast<BOOL*>(data) = action == SPI_GETMENUANIMATION && on;
                return TRUE;
            }
            return SystemParametersInfoA(action, param, data, 0);
        };
    }
};
}  // namespace

TEST_F(PopupSkinTest, FrameBorderWidthsAndShadowsOfAMenuFollowTheSkin) {
    const FrameCase cases[] = {
        // Office XP: one pixel at the sides, two at top and bottom; shadows wait for the slide.
        {gsOfficeXP, true, RECT{1, 2, 1, 2}, {tcBorder}},
        // Windows XP: three rings, the border colour outside; shadows come with the frame.
        {gsWindowsXP, false, RECT{3, 3, 3, 3}, {tcBorder, tcPopup, tcPopup}},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.Skin);
        AnimateMenus(c.Animate);
        Open(TGalleryOptions{c.Skin, gcDistinct});
        TTBView* bar = form->MenuBar->View();
        TTBPopupWindow* popup = nullptr;
        bool sawSlide = false, shadowDuringSlide = false;
        RECT moved{};
        auto shadows = [&] { return popup->Shadows(); };
        std::string failure = Run({
            ClickAt([&] { return CentreOf(form->MenuBar, Menu("File")); }, "click File"),
            S::Until([&] { return (popup = dynamic_cast<TTBPopupWindow*>(bar->OpenPopup())) != nullptr; }, "File opens"),
            S::Until([&] {
                // Held back while the popup slides in, shown when it has arrived.
                if (WindowAnimationRunning(popup->HandleOrNull())) {
                    sawSlide = true;
                    shadowDuringSlide |= Showing(shadows()->Right()) || Showing(shadows()->Bottom());
                    return false;
                }
                return Showing(shadows()->Right()) && Showing(shadows()->Bottom());
            }, "the shadows show"),
            S::Do([&] {
                RECT frame = WindowRect(popup->Handle());
                RECT client{};
                GetClientRect(popup->Handle(), &client);
                MapWindowPoints(popup->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
                EXPECT_EQ(client.left - frame.left, c.Border.left);
                EXPECT_EQ(client.top - frame.top, c.Border.top);
                EXPECT_EQ(frame.right - client.right, c.Border.right);
                EXPECT_EQ(frame.bottom - client.bottom, c.Border.bottom);
                const int y = (frame.top + frame.bottom) / 2;
                for (size_t ring = 0; ring < c.LeftRings.size(); ++ring)
                    EXPECT_EQ(ScreenPixel(frame.left + static_cast<int>(ring), y), DistinctColor(c.LeftRings[ring])) << ring;
                EXPECT_EQ(ScreenPixel(frame.right - 1, y), DistinctColor(tcBorder));
                EXPECT_EQ(ScreenPixel(frame.right - 3, frame.bottom - 1), DistinctColor(tcBorder));
                // The strips lie along the right and bottom edges and darken what they cover.
                RECT right = WindowRect(shadows()->Right()->Handle()), bottom = WindowRect(shadows()->Bottom()->Handle());
                EXPECT_EQ(right.left, frame.right);
                EXPECT_EQ(right.right - right.left, 4);
                EXPECT_EQ(bottom.top, frame.bottom);
                EXPECT_EQ(bottom.bottom - bottom.top, 4);
                const int midY = (right.top + right.bottom) / 2;
                EXPECT_LT(Brightness(ScreenPixel(right.left, midY)) + 60, Brightness(ScreenPixel(right.right + 4, midY)));
            }),
            // The popup moves out over the black desktop beside the form: its shadows go with it.
            S::Do([&] {
                RECT r = WindowRect(popup->Handle());
                SetWindowPos(popup->Handle(), nullptr, WindowRect(form->Handle()).right - 20, r.top + 30, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                moved = WindowRect(popup->Handle());
            }),
            S::Until([&] {
                RECT right = WindowRect(shadows()->Right()->Handle()), bottom = WindowRect(shadows()->Bottom()->Handle());
                return right.left == moved.right && bottom.top == moved.bottom && Showing(shadows()->Right());
            }, "the shadows follow"),
            // ... with a fresh copy of the screen there: over black a shadow stays at most the
            // dark grey (30, 30, 30) that Windows-XP shadows blend towards, where a copy of the
            // form's light face would show light.
            S::Do([&] {
                RECT right = WindowRect(shadows()->Right()->Handle());
                const int midY = (right.top + right.bottom) / 2;
                ASSERT_EQ(ScreenPixel(right.right + 4, midY), RGB(0, 0, 0));
                EXPECT_LE(Brightness(ScreenPixel(right.left, midY)), 3 * 30);
            }),
            Key(VK_ESCAPE), Key(VK_ESCAPE),
            S::Until([&] { return !bar->InModalLoop(); }, "the loop ends"),
        });
        EXPECT_EQ(failure, "");
        EXPECT_EQ(sawSlide, c.Animate);
        EXPECT_FALSE(shadowDuringSlide);
        form.reset();
        PumpFor(20);
    }
}
