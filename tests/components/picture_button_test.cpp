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
    int drawn = 0;
    for (int y = 8; y < 24; ++y) {
        for (int x = 10; x < 26; ++x) drawn += icon.At(x, y) != face;
    }
    EXPECT_GT(drawn, 0);
}

TEST(PictureButton, CentringRoundsHalvesToEvenForPicturesAndTruncatesForCaptions) {
    const std::pair<int, int> halves[] = {{129, 64}, {131, 66}, {-5, -2}, {-3, -2}, {0, 0}, {1, 0}, {3, 2}};
    for (auto [free, half] : halves) EXPECT_EQ(HalfRoundedToEven(free), half) << free;

    for (auto [width, x] : {std::pair{145, 64}, std::pair{147, 66}}) {
        ButtonHost host(width, 33);
        GiveBluePicture(*host.button);
        Snapshot shot = host.Shot();
        EXPECT_EQ(shot.At(x, 8), kBlue) << width;  // (33 - 16) / 2 = 8.5 goes to 8 as well
        EXPECT_NE(shot.At(x - 1, 8), kBlue);
        EXPECT_NE(shot.At(x, 7), kBlue);
    }

    // A centred caption draws exactly as one placed at (W - text width) / 2 truncated.
    const std::string caption = "Caption text";
    // The buttons take their parent's font.
    const RECT measured = ScreenTextRect(HostForm().Font(), caption, 0);
    const int textWidth = measured.right;
    for (auto [free, left] : {std::pair{129, 64}, std::pair{-5, -2}}) {
        ButtonHost host(textWidth + free, 33);
        host.button->SetCaption(caption);
        Snapshot centred = host.Shot();
        host.button->SetCaptionLeft(left);
        EXPECT_TRUE(centred == host.Shot()) << "free width " << free;
    }
}

TEST(PictureButton, FocusShows) {
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
    ButtonHost inColor;  // bfsInColor: the whole face in InColor while focused, pointer or not
    inColor.button->SetFocusStyle(bfsInColor);
    EXPECT_EQ(inColor.Shot().At(70, 4), Sys(clBtnFace));  // and no rectangle without the focus
    inColor.Focus();
    Snapshot focused = inColor.Shot();
    EXPECT_EQ(focused.At(70, 4), kInColor);
    EXPECT_EQ(focused.At(2, 2), kInColor);
}

TEST(PictureButton, EntryDragOutAndBackReleaseOutsideAndInside) {
    ButtonHost host;
    const COLORREF shadow = Sys(clBtnShadow), light = Sys(cl3DLight);
    std::string log;
    host.button->OnMouseEnter = [&](TComponent*, TShiftState, int, int) { log += '+'; };
    host.button->OnMouseLeave = [&](TComponent*, TShiftState, int, int) { log += '-'; };
    MovePointerOver(HostForm(), 700, 350);  // from the parent window into the button: one entry
    MovePointerOver(*host.button, 70, 15);
    MovePointerOver(*host.button, 80, 16);
    EXPECT_EQ(log, "+");
    EXPECT_EQ(host.Shot().At(70, 10), kInColor);

    LeftButton(true);
    Snapshot pushed = host.Shot();
    EXPECT_EQ(pushed.At(0, 0), shadow);
    EXPECT_EQ(pushed.At(70, 10), kInColor);
    MovePointerOver(HostForm(), 700, 350);  // dragged out: raised border, resting colour
    Snapshot outside = host.Shot();
    EXPECT_EQ(outside.At(0, 0), light);
    EXPECT_EQ(outside.At(70, 10), Sys(clBtnFace));
    MovePointerOver(*host.button, 60, 12);  // back in: pushed again while the press lasts
    EXPECT_EQ(host.Shot().At(0, 0), shadow);
    MovePointerOver(HostForm(), 690, 340);
    LeftButton(false);
    EXPECT_EQ(log, "+-+-");
    EXPECT_EQ(host.Clicks(), 0);
    EXPECT_EQ(host.button->Pressed(), 0);

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

    LeftButton(true);  // a press whose capture is taken (a message box would) ends unclicked
    SetCapture(HostForm().Handle());
    PumpFor(20);
    EXPECT_EQ(host.button->Pressed(), 0);
    LeftButton(false);
    ReleaseCapture();
    EXPECT_EQ(host.Clicks(), 1);

    ParkPointer();  // out of every window of the program
    EXPECT_TRUE(PumpUntil([&] { return log == "+-+-+-"; }, 3000)) << log;
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
    host.Key(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(host.Clicks(), 2);
    host.Key(WM_KEYDOWN, VK_SPACE);
    host.Key(WM_KEYDOWN, 'A');  // cancels the space press
    host.Key(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(host.Clicks(), 2);
    EXPECT_EQ(host.button->Pressed(), 0);

    // A failing click handler: the error reaches the application, the button is let go.
    std::vector<std::string> errors;
    Application->OnException = [&](const std::string& message) { errors.push_back(message); };
    host.throwOnClick = true;
    host.Key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(host.button->Pressed(), 0);
    host.Key(WM_KEYDOWN, VK_SPACE);
    host.Key(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(host.button->Pressed(), 0);
    MovePointerOver(*host.button, 70, 15);
    LeftButton(true);
    LeftButton(false);
    Application->OnException = nullptr;
    EXPECT_EQ(host.button->Pressed(), 0);
    EXPECT_EQ(host.Shot().At(0, 0), Sys(cl3DLight));
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
