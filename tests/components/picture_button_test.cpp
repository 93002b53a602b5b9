#include "components/picture_button.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "gui_test_support.h"

namespace {
constexpr TColor kInColor = RGB(200, 120, 40);
constexpr COLORREF kBlue = RGB(0, 0, 255), kMagenta = RGB(255, 0, 255);

// A picture button on the host form that counts its clicks.
struct ButtonHost {
    explicit ButtonHost(int width = 145, int height = 33) : button(std::make_unique<TPictureButton>(nullptr)) {
        ParkPointer();
        button->SetBounds(20, 100, width, height);
        button->SetInColor(kInColor);
        button->OnClick = [this](TComponent*) {
            events.push_back("click");
            if (throwOnClick) throw std::runtime_error("click failed");
        };
        button->OnMouseUp = [this](TComponent*, TMouseButton, TShiftState, int, int) { events.push_back("up"); };
        button->SetParent(&HostForm());
    }
    ~ButtonHost() {
        if (GetCapture()) LeftButton(false);
        ParkPointer();
    }

    Snapshot Shot() { return ::Shot(*button); }
    void Key(UINT message, WPARAM key) { PostKey(button->Handle(), message, key); }
    void Focus() {
        button->SetFocus();
        PumpFor(20);
    }
    int Clicks() const { return static_cast<int>(std::count(events.begin(), events.end(), "click")); }

    std::unique_ptr<TPictureButton> button;
    std::vector<std::string> events;
    bool throwOnClick = false;
};

// 16 x 16, blue, with a magenta bottom-left pixel: the colour left out when drawn.
void GiveBluePicture(TPictureButton& button) {
    TBitmap& bitmap = button.Picture().EnsureBitmap(16, 16);
    RECT all{0, 0, 16, 16};
    bitmap.Canvas().Brush().SetColor(kBlue);
    bitmap.Canvas().FillRect(all);
    bitmap.Canvas().SetPixel(0, 15, kMagenta);
    button.Invalidate();
}

int LeftmostBlue(const Snapshot& shot, int y) {
    for (int x = 0; x < shot.width; ++x) {
        if (shot.At(x, y) == kBlue) return x;
    }
    return -1;
}

COLORREF Sys(TColor color) { return ColorToRGB(color); }
}  // namespace

TEST(PictureButton, EachStyleAtRestAndPushed) {
    const COLORREF H = Sys(clBtnHighlight), S = Sys(clBtnShadow), F = Sys(clBtnFace), I = kInColor,
                   L = Sys(cl3DLight), D = Sys(cl3DDkShadow);
    struct Case {
        TButtonStyle style;
        COLORREF rest[3], pushed[3];  // pixels (0, 0), (1, 1) and (W-1, H-1)
    };
    const Case cases[] = {
        {bsNone, {F, F, F}, {S, I, H}},
        {bsLowered, {S, F, H}, {S, S, H}},
        {bsRaised, {H, F, S}, {S, I, H}},
        {bsFrame, {H, S, S}, {S, I, H}},
        {bsGroove, {S, H, H}, {S, I, H}},
        {bsIELike, {F, F, F}, {S, I, H}},
        {bsSpBtnLike, {F, F, F}, {S, I, H}},
        {bsStdButton, {L, H, D}, {S, F, S}},
    };
    for (const Case& c : cases) {
        ButtonHost host;
        host.button->SetButtonStyle(c.style);
        host.button->SetFocusStyle(bfsNone);
        host.Focus();
        auto corners = [&](const Snapshot& s) {
            return std::vector<COLORREF>{s.At(0, 0), s.At(1, 1), s.At(s.width - 1, s.height - 1)};
        };
        EXPECT_EQ(corners(host.Shot()), std::vector<COLORREF>(c.rest, c.rest + 3)) << "style " << int(c.style);
        host.Key(WM_KEYDOWN, VK_SPACE);
        EXPECT_EQ(corners(host.Shot()), std::vector<COLORREF>(c.pushed, c.pushed + 3)) << "style " << int(c.style);
        host.Key(WM_KEYUP, VK_SPACE);
        EXPECT_EQ(host.Clicks(), 1);
    }
}

TEST(PictureButton, PictureAtItsPlaceAndOnePixelFurtherWhenPushed) {
    ButtonHost host;
    GiveBluePicture(*host.button);
    host.button->SetPictureLeft(10);
    host.button->SetPictureTop(8);
    host.button->SetFocusStyle(bfsNone);
    const COLORREF face = Sys(clBtnFace);
    Snapshot rest = host.Shot();
    EXPECT_EQ(rest.At(10, 8), kBlue);
    EXPECT_EQ(rest.At(25, 22), kBlue);
    EXPECT_EQ(rest.At(9, 8), face);
    EXPECT_EQ(rest.At(26, 22), face);
    EXPECT_EQ(rest.At(10, 23), face);  // the transparent colour is left out

    host.Focus();
    host.Key(WM_KEYDOWN, VK_SPACE);
    Snapshot pushed = host.Shot();
    EXPECT_EQ(pushed.At(11, 9), kBlue);
    EXPECT_EQ(pushed.At(10, 8), kInColor);
    EXPECT_EQ(pushed.At(11, 24), kInColor);
    host.Key(WM_KEYUP, VK_SPACE);

    // The program's icons draw through their masks at their own 16 x 16 size.
    ASSERT_TRUE(host.button->LoadPictureIcon(GetModuleHandleA(nullptr), "PREVIEWICON"));
    Snapshot icon = host.Shot();
    int drawn = 0, outside = 0;
    for (int y = 0; y < icon.height; ++y) {
        for (int x = 2; x < icon.width - 2; ++x) {
            bool inBox = x >= 10 && x < 26 && y >= 8 && y < 24;
            if (y >= 2 && y < icon.height - 2 && icon.At(x, y) != face) (inBox ? drawn : outside)++;
        }
    }
    EXPECT_GT(drawn, 0);
    EXPECT_EQ(outside, 0);
}

TEST(PictureButton, CentringRoundsHalvesToEvenForPicturesAndTruncatesForCaptions) {
    const std::pair<int, int> halves[] = {{129, 64}, {131, 66}, {-5, -2}, {-3, -2}, {0, 0}, {1, 0}, {3, 2}};
    for (auto [free, half] : halves) EXPECT_EQ(HalfRoundedToEven(free), half) << free;

    for (auto [width, x] : {std::pair{145, 64}, std::pair{147, 66}}) {
        ButtonHost host(width, 33);
        GiveBluePicture(*host.button);
        Snapshot shot = host.Shot();
        EXPECT_EQ(LeftmostBlue(shot, 12), x) << width;
        EXPECT_EQ(shot.At(x, 8), kBlue);  // (33 - 16) / 2 = 8.5 goes to 8
        EXPECT_NE(shot.At(x, 7), kBlue);
    }

    // A centred caption draws exactly as one placed at (W - text width) / 2 truncated.
    const std::string caption = "Caption text";
    int textWidth = 0;
    {
        ButtonHost probe;
        WindowDC screen(nullptr);
        TCanvas canvas(screen.get());
        canvas.Font() = probe.button->Font();
        RECT r{0, 0, 0, 0};
        canvas.DrawText(caption, r, DT_CALCRECT);
        textWidth = r.right - r.left;
    }
    for (auto [free, left] : {std::pair{129, 64}, std::pair{-5, -2}}) {
        ButtonHost host(textWidth + free, 33);
        host.button->SetCaption(caption);
        Snapshot centred = host.Shot();
        host.button->SetCaptionLeft(left);
        EXPECT_TRUE(centred == host.Shot()) << "free width " << free;
    }
}

TEST(PictureButton, FocusRectangleInset) {
    struct Case {
        TButtonStyle style;
        bool pushed;
        int inset;
    };
    const Case cases[] = {{bsStdButton, false, 4}, {bsStdButton, true, 4}, {bsNone, false, 2}, {bsNone, true, 3}};
    for (const Case& c : cases) {
        ButtonHost host;
        host.button->SetButtonStyle(c.style);
        host.Focus();
        if (c.pushed) host.Key(WM_KEYDOWN, VK_SPACE);
        const COLORREF fill = c.pushed ? kInColor : Sys(clBtnFace);
        Snapshot s = host.Shot();
        const int mid = s.width / 2, k = c.inset;
        auto marked = [&](int x, int y) { return s.At(x, y) != fill || s.At(x + 1, y) != fill; };
        auto markedColumn = [&](int x, int y) { return s.At(x, y) != fill || s.At(x, y + 1) != fill; };
        EXPECT_TRUE(marked(mid, k)) << "style " << int(c.style) << " pushed " << c.pushed;
        EXPECT_FALSE(marked(mid, k - 1));
        EXPECT_FALSE(marked(mid, k + 1));
        EXPECT_TRUE(markedColumn(k, s.height / 2));
        EXPECT_FALSE(markedColumn(k + 1, s.height / 2));
        if (c.pushed) host.Key(WM_KEYUP, VK_SPACE);
    }
    ButtonHost unfocused;
    Snapshot s = unfocused.Shot();
    EXPECT_EQ(s.At(s.width / 2, 4), Sys(clBtnFace));
    EXPECT_EQ(s.At(s.width / 2 + 1, 4), Sys(clBtnFace));
}

TEST(PictureButton, InColorFocusFillsTheFaceWhereverThePointerIs) {
    ButtonHost host;
    host.button->SetFocusStyle(bfsInColor);
    host.Focus();
    Snapshot focused = host.Shot();
    EXPECT_EQ(focused.At(focused.width / 2, focused.height / 2), kInColor);
    EXPECT_EQ(focused.At(2, 2), kInColor);
    SetFocus(HostForm().Handle());
    PumpFor(20);
    Snapshot unfocused = host.Shot();
    EXPECT_EQ(unfocused.At(unfocused.width / 2, unfocused.height / 2), Sys(clBtnFace));
}

TEST(PictureButton, HoverColourAndPressColour) {
    for (bool colorChange : {true, false}) {
        ButtonHost host;
        host.button->SetColorChange(colorChange);
        MovePointerOver(*host.button, 70, 15);
        const COLORREF hovered = colorChange ? kInColor : Sys(clBtnFace);
        EXPECT_EQ(host.Shot().At(70, 10), hovered) << colorChange;
        LeftButton(true);
        EXPECT_EQ(host.Shot().At(70, 10), kInColor) << colorChange;  // pressing always shows InColor
        LeftButton(false);
        EXPECT_EQ(host.Clicks(), 1);
        MovePointerOver(HostForm(), 700, 350);
        EXPECT_EQ(host.Shot().At(70, 10), Sys(clBtnFace));
    }
}

TEST(PictureButton, DraggingOutShowsRestAndReleasingOutsideDoesNotClick) {
    ButtonHost host;
    const COLORREF face = Sys(clBtnFace), shadow = Sys(clBtnShadow), light = Sys(cl3DLight);
    MovePointerOver(*host.button, 70, 15);
    LeftButton(true);
    EXPECT_EQ(host.button->Pressed(), 1);
    Snapshot pushed = host.Shot();
    EXPECT_EQ(pushed.At(0, 0), shadow);
    EXPECT_EQ(pushed.At(70, 10), kInColor);

    MovePointerOver(HostForm(), 700, 350);
    EXPECT_EQ(host.button->PushCorrection(), -1);
    Snapshot outside = host.Shot();
    EXPECT_EQ(outside.At(0, 0), light);  // the raised border
    EXPECT_EQ(outside.At(70, 10), face);

    MovePointerOver(*host.button, 60, 12);  // back in: pushed again while the press lasts
    EXPECT_EQ(host.button->PushCorrection(), 0);
    EXPECT_EQ(host.Shot().At(0, 0), shadow);

    MovePointerOver(HostForm(), 700, 350);
    LeftButton(false);
    EXPECT_EQ(host.Clicks(), 0);
    EXPECT_EQ(host.button->Pressed(), 0);
    EXPECT_EQ(host.Shot().At(0, 0), light);

    // Released inside, the click comes before the mouse-up and finds the button let go.
    int pressedAtClick = -1;
    host.button->OnClick = [&](TComponent*) {
        host.events.push_back("click");
        pressedAtClick = host.button->Pressed();
    };
    MovePointerOver(*host.button, 70, 15);
    LeftButton(true);
    LeftButton(false);
    EXPECT_EQ(host.events, (std::vector<std::string>{"up", "click", "up"}));
    EXPECT_EQ(pressedAtClick, 0);
    EXPECT_EQ(host.button->Pressed(), 0);
}

TEST(PictureButton, EachCrossingOfTheEdgeIsReportedOnce) {
    ButtonHost host;
    std::string log;
    host.button->OnMouseEnter = [&](TComponent*, TShiftState, int, int) { log += '+'; };
    host.button->OnMouseLeave = [&](TComponent*, TShiftState, int, int) { log += '-'; };
    MovePointerOver(HostForm(), 700, 350);  // from the parent window into the button
    MovePointerOver(*host.button, 70, 15);
    MovePointerOver(*host.button, 80, 16);
    EXPECT_EQ(log, "+");
    EXPECT_EQ(host.Shot().At(70, 10), kInColor);
    MovePointerOver(HostForm(), 700, 350);
    EXPECT_EQ(log, "+-");

    MovePointerOver(*host.button, 70, 15);  // a press dragged out and back, released outside
    LeftButton(true);
    MovePointerOver(HostForm(), 700, 350);
    MovePointerOver(*host.button, 60, 12);
    MovePointerOver(HostForm(), 690, 340);
    LeftButton(false);
    MovePointerOver(HostForm(), 700, 350);
    EXPECT_EQ(log, "+-+-+-");
    EXPECT_EQ(host.Clicks(), 0);

    MovePointerOver(*host.button, 70, 15);  // and out of every window of the program
    ParkPointer();
    EXPECT_TRUE(PumpUntil([&] { return log == "+-+-+-+-"; }, 3000)) << log;
}

TEST(PictureButton, APressWhoseCaptureIsTakenEndsUnclicked) {
    ButtonHost host;
    MovePointerOver(*host.button, 70, 15);
    LeftButton(true);
    ASSERT_EQ(host.button->Pressed(), 1);
    SetCapture(HostForm().Handle());  // as a message box or another window would
    PumpFor(20);
    EXPECT_EQ(host.button->Pressed(), 0);
    LeftButton(false);
    ReleaseCapture();
    EXPECT_EQ(host.Clicks(), 0);
    EXPECT_EQ(host.Shot().At(0, 0), Sys(cl3DLight));
}

TEST(PictureButton, EnterAndSpaceClickOnceAndLeaveTheButtonReleased) {
    ButtonHost host;
    host.Focus();
    host.Key(WM_KEYDOWN, VK_RETURN);
    host.Key(WM_KEYUP, VK_RETURN);
    EXPECT_EQ(host.Clicks(), 1);
    EXPECT_EQ(host.button->Pressed(), 0);
    EXPECT_EQ(host.Shot().At(0, 0), Sys(cl3DLight));

    host.Key(WM_KEYDOWN, VK_SPACE);
    host.Key(WM_KEYDOWN, VK_SPACE);  // auto-repeat
    EXPECT_EQ(host.Clicks(), 1);
    host.Key(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(host.Clicks(), 2);

    host.Key(WM_KEYDOWN, VK_SPACE);
    host.Key(WM_KEYDOWN, 'A');  // cancels the space press
    host.Key(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(host.Clicks(), 2);
    EXPECT_EQ(host.button->Pressed(), 0);
}

TEST(PictureButton, AFailingClickHandlerLeavesTheButtonReleased) {
    std::vector<std::string> errors;
    Application->OnException = [&](const std::string& message) { errors.push_back(message); };
    {
        ButtonHost host;
        host.throwOnClick = true;
        host.Focus();
        host.Key(WM_KEYDOWN, VK_RETURN);
        EXPECT_EQ(host.button->Pressed(), 0);
        host.Key(WM_KEYDOWN, VK_SPACE);
        host.Key(WM_KEYUP, VK_SPACE);
        EXPECT_EQ(host.button->Pressed(), 0);
        MovePointerOver(*host.button, 70, 15);
        LeftButton(true);
        LeftButton(false);
        EXPECT_EQ(host.button->Pressed(), 0);
        EXPECT_EQ(host.Clicks(), 3);
        EXPECT_EQ(host.Shot().At(0, 0), Sys(cl3DLight));
    }
    Application->OnException = nullptr;
    EXPECT_EQ(errors, std::vector<std::string>(3, "click failed"));
}

TEST(PictureButton, AcceleratorClicksAnEnabledButton) {
    // Nested as in the main window: form, panel, buttons.
    auto panel = std::make_unique<TPanel>(nullptr);
    panel->SetBounds(10, 150, 400, 100);
    panel->SetParent(&HostForm());
    ButtonHost host, other;
    host.button->SetParent(panel.get());
    other.button->SetParent(panel.get());
    other.button->SetLeft(200);
    host.button->SetCaption("&Go");
    other.button->SetCaption("Other");
    other.Focus();
    PostKey(other.button->Handle(), WM_CHAR, 'g');
    PostKey(other.button->Handle(), WM_SYSCHAR, 'G');
    PostKey(other.button->Handle(), WM_CHAR, 'x');
    EXPECT_EQ(host.Clicks(), 2);
    EXPECT_EQ(other.Clicks(), 0);

    Snapshot enabled = host.Shot();
    host.button->SetEnabled(false);
    EXPECT_TRUE(enabled == host.Shot());  // a disabled button looks the same
    PostKey(other.button->Handle(), WM_CHAR, 'g');
    EXPECT_EQ(host.Clicks(), 2);
}
