#include "fonts/face_text.h"

#include <gtest/gtest.h>

#include <memory>

#include "face_canvas.h"
#include "font_test_support.h"

namespace {

constexpr int kPoints = 30;  // 40 pixels high, as thumbnails are drawn

// A generated font registered privately for the life of the object.
class RegisteredFont {
public:
    explicit RegisteredFont(const std::string& file) : path_(TestFont(file)) {
        registered_ = AddFontResourceExW(path_.c_str(), FR_PRIVATE, nullptr) > 0;
    }
    ~RegisteredFont() {
        if (registered_) RemoveFontResourceExW(path_.c_str(), FR_PRIVATE, nullptr);
    }
    bool registered() const { return registered_; }

private:
    std::wstring path_;
    bool registered_ = false;
};

// A white picture wide enough for every name.
std::unique_ptr<TBitmap> WhitePicture() {
    auto picture = std::make_unique<TBitmap>();
    picture->SetSize(700, 80);
    return picture;
}

// The picture with `text` drawn at (0, 0) in `face`, by the canvas's own TextOut.
std::unique_ptr<TBitmap> DrawnByTextOut(const std::wstring& face, const std::wstring& text) {
    auto picture = WhitePicture();
    if (SelectFaceFont(picture->Canvas(), nullptr, face, kPoints)) picture->Canvas().TextOut(0, 0, text);
    return picture;
}

// The columns with ink in rows [top, bottom), as runs [first, last].
std::vector<std::pair<int, int>> InkRuns(TBitmap& picture, int top, int bottom) {
    return InkColumnRuns(picture.Width(), top, bottom,
                         [&](int x, int y) { return GetRValue(picture.Canvas().Pixel(x, y)) < 128; });
}

int Ascent(TCanvas& canvas) {
    TEXTMETRICW metrics{};
    canvas.WithTextTools([&](HDC dc) { GetTextMetricsW(dc, &metrics); });
    return metrics.tmAscent;
}

const wchar_t kArabicSample[] = L"\u0627\u0644\u0639\u0631\u0628\u064A\u0629";

}  // namespace

// A face that has every character of its name draws it exactly as the canvas's TextOut does; one
// that lacks some draws the sample it can draw instead, and is measured as it is drawn.
TEST(FaceText, FaceNameOrTheFacesSampleDrawnAndMeasured) {
    struct Case {
        const char* file;
        std::wstring face;
        std::wstring drawn;  // what must appear
    };
    const Case cases[] = {
        {"SorvaneTestA.ttf", L"SorvaneTestA", L"SorvaneTestA"},
        {"spaceless.ttf", L"Sorvane Spaceless", L"Sorvane Spaceless"},  // spaces aside
        {"japanese.ttf", L"SorvaneJapaneseTest", L"SorvaneJapaneseTest"},
        {"symbol.ttf", L"Sorvane Symbol", L"Sorvane Symbol"},  // through its symbol range
        {"kana-only.ttf", L"Sorvane Kana Only", L"\u3042\u3044\u3046\u30A2\u30A4\u30A6"},
        {"private-use.ttf", L"Sorvane Private Use", L"\uE100\uE101\uE102\uE103\uE104\uE105"},
    };
    for (const Case& c : cases) {
        RegisteredFont font(c.file);
        ASSERT_TRUE(font.registered()) << c.file;
        auto drawn = WhitePicture();
        ASSERT_TRUE(DrawFaceText(drawn->Canvas(), nullptr, c.face, "", 0, 0, kPoints)) << c.file;
        auto expected = DrawnByTextOut(c.face, c.drawn);
        EXPECT_TRUE(drawn->Pixels() == expected->Pixels()) << c.file;
        if (c.drawn != c.face) {  // and not the name's missing-glyph boxes
            auto boxes = DrawnByTextOut(c.face, c.face);
            EXPECT_FALSE(drawn->Pixels() == boxes->Pixels()) << c.file;
        }
        const SIZE size = expected->Canvas().TextExtent(c.drawn);
        const SIZE measured = TextToDrawExtent(drawn->Canvas(), c.face, "");
        EXPECT_EQ(measured.cx, size.cx) << c.file;
        EXPECT_EQ(measured.cy, size.cy) << c.file;
    }
}

// The sample of a complex script is shaped: in สวัสดี, Thai marks sit over the base before them (drawn
// unshaped, a mark without advance lands over the next base, the last one over nothing), and
// Arabic letters take their joined forms (flat), leaving only the alef, which joins nothing
// after it, isolated (tall).
TEST(FaceText, SamplesOfComplexScriptsAreShaped) {
    {
        RegisteredFont font("thai-only.ttf");
        auto drawn = WhitePicture();
        ASSERT_TRUE(DrawFaceText(drawn->Canvas(), nullptr, L"Sorvane Thai Only", "", 0, 0, kPoints));
        const int ascent = Ascent(drawn->Canvas()), baseTop = ascent - 20;  // bases are half the em high
        const auto bases = InkRuns(*drawn, baseTop + 2, ascent);
        const auto marks = InkRuns(*drawn, 0, baseTop - 2);
        ASSERT_EQ(bases.size(), 4u);
        ASSERT_EQ(marks.size(), 2u);
        for (auto [mark, base] : {std::pair{0, 1}, std::pair{1, 3}}) {
            EXPECT_GE(marks[mark].first, bases[base].first) << "mark " << mark;
            EXPECT_LE(marks[mark].second, bases[base].second) << "mark " << mark;
        }
        EXPECT_EQ(TextToDrawExtent(drawn->Canvas(), L"Sorvane Thai Only", "").cx, 4 * 32);  // marks add nothing
    }
    {
        RegisteredFont font("arabic-only.ttf");
        auto drawn = WhitePicture();
        ASSERT_TRUE(DrawFaceText(drawn->Canvas(), nullptr, L"Sorvane Arabic Only", "", 0, 0, kPoints));
        const int ascent = Ascent(drawn->Canvas()), flatTop = ascent - 12;  // joined forms: 300 of 1000
        const auto tall = InkRuns(*drawn, 0, flatTop - 2);
        const auto all = InkRuns(*drawn, flatTop + 2, ascent);
        ASSERT_EQ(tall.size(), 1u);
        ASSERT_FALSE(all.empty());
        EXPECT_EQ(tall[0].second, all.back().second);  // right to left: the alef comes first
        auto unshaped = DrawnByTextOut(L"Sorvane Arabic Only", L"");
        unshaped->Canvas().WithTextTools([](HDC dc) {
            std::vector<WORD> glyphs(std::size(kArabicSample) - 1);
            GetGlyphIndicesW(dc, kArabicSample, static_cast<int>(glyphs.size()), glyphs.data(), 0);
            ExtTextOutW(dc, 0, 0, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<LPCWSTR>(glyphs.data()),
                        static_cast<UINT>(glyphs.size()), nullptr);
        });
        EXPECT_EQ(InkRuns(*unshaped, 0, flatTop - 2).size(), 7u);  // the check tells the two apart
    }
}

// The user's text is drawn as it is, whatever the face lacks: no sample replaces it.
TEST(FaceText, TheUsersTextIsNeverReplaced) {
    RegisteredFont font("kana-only.ttf");
    auto drawn = WhitePicture();
    ASSERT_TRUE(DrawFaceText(drawn->Canvas(), nullptr, L"Sorvane Kana Only", "Abc", 0, 0, kPoints));
    EXPECT_TRUE(drawn->Pixels() == DrawnByTextOut(L"Sorvane Kana Only", L"Abc")->Pixels());
    EXPECT_EQ(TextToDrawExtent(drawn->Canvas(), L"Sorvane Kana Only", "Abc").cx, 3 * 20);  // missing-glyph boxes
}
