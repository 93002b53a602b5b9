#include "fonts/shaped_text.h"

#include <gtest/gtest.h>

#include "fonts/face_sample.h"

#include "face_canvas.h"

namespace {

// The nominal glyphs of `text`, drawn one after the other as the font's character map and
// advances place them: what a drawing without any shaping shows.
void DrawNominalGlyphs(HDC dc, const std::wstring& text) {
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), 0);
    ExtTextOutW(dc, 0, 0, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<LPCWSTR>(glyphs.data()),
                static_cast<UINT>(glyphs.size()), nullptr);
}

int Ascent(HDC dc) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return metrics.tmAscent;
}

constexpr char kLibraryLoadsSwitch[] = "--shaping-library-loads";

// In a fresh process: 1 when the shaping library was loaded before anything was drawn, 2 when
// drawing and measuring texts of simple scripts loaded it, 3 when a Thai text did not, else 0.
int LibraryLoads(const std::string&) {
    auto loaded = [] { return GetModuleHandleA("usp10.dll") != nullptr; };
    if (loaded()) return 1;
    {
        FaceCanvas canvas("SorvaneTestA.ttf", L"SorvaneTestA");
        for (const std::wstring text : {L"SorvaneTestA", L"Caf\u00E9 \u3042\u6F22 \uAC00"}) {
            DrawShapedText(canvas.dc(), 0, 0, ChooseFaceSample(canvas.dc(), text).text);
            ShapedTextExtent(canvas.dc(), text);
        }
    }
    if (loaded()) return 2;
    FaceCanvas thai("thai-only.ttf", L"Sorvane Thai Only");
    DrawShapedText(thai.dc(), 0, 0, L"\u0E27\u0E31");
    return loaded() ? 0 : 3;
}
const TChildMode libraryLoads(kLibraryLoadsSwitch, LibraryLoads);

}  // namespace

// The Thai face's mark has no advance and sits over its base only through the font's mark
// attachment, which only the shaping applies: drawn otherwise, it lands over the next base.
TEST(ShapedText, ThaiMarkSitsOverItsBaseOnlyWhenShaped) {
    const std::wstring text = L"\u0E27\u0E31\u0E27";  // base, mark above, base
    struct Case {
        const char* what;
        void (*draw)(HDC, const std::wstring&);
        size_t markOverBase;
    };
    const Case cases[] = {
        {"shaped", [](HDC dc, const std::wstring& t) { DrawShapedText(dc, 0, 0, t); }, 0},
        {"nominal glyphs", DrawNominalGlyphs, 1},
        {"without the library",
         [](HDC dc, const std::wstring& t) {
             ShapingApi() = TShapingApi{};
             DrawShapedText(dc, 0, 0, t);
             ResetShapingApi();
         },
         1},
    };
    for (const Case& c : cases) {
        FaceCanvas canvas("thai-only.ttf", L"Sorvane Thai Only");
        ASSERT_TRUE(canvas.Selected(L"Sorvane Thai Only"));
        c.draw(canvas.dc(), text);
        // Bases reach half the em above the baseline; marks start above that.
        const int ascent = Ascent(canvas.dc()), baseTop = ascent - 20;
        const auto bases = canvas.InkRuns(baseTop + 2, ascent);
        const auto marks = canvas.InkRuns(0, baseTop - 2);
        ASSERT_EQ(bases.size(), 2u) << c.what;
        ASSERT_EQ(marks.size(), 1u) << c.what;
        const auto& base = bases[c.markOverBase];
        EXPECT_TRUE(marks[0].first >= base.first && marks[0].second <= base.second)
            << c.what << ": mark at " << marks[0].first << ".." << marks[0].second;
    }
    FaceCanvas canvas("thai-only.ttf", L"Sorvane Thai Only");
    SIZE base{};
    GetTextExtentPoint32W(canvas.dc(), L"\u0E27", 1, &base);
    EXPECT_EQ(ShapedTextExtent(canvas.dc(), text).cx, 2 * base.cx);
}

// Isolated forms are tall, joined ones flat: shaped, the Arabic sample shows one isolated
// letter (its first, alef, which joins nothing after it), at the right, where its first letter is.
TEST(ShapedText, ArabicLettersTakeTheirJoinedFormsWhenShaped) {
    const std::wstring text = L"\u0627\u0644\u0639\u0631\u0628\u064A\u0629";
    FaceCanvas canvas("arabic-only.ttf", L"Sorvane Arabic Only", 20);
    ASSERT_TRUE(canvas.Selected(L"Sorvane Arabic Only"));
    const int flatTop = Ascent(canvas.dc()) - 6;  // joined forms are 300 units of 1000 high
    DrawShapedText(canvas.dc(), 0, 0, text);
    const auto shaped = canvas.InkRuns(0, flatTop - 2);
    const auto all = canvas.InkRuns(flatTop + 2, Ascent(canvas.dc()));
    ASSERT_EQ(shaped.size(), 1u);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(shaped[0].second, all.back().second);
    SIZE letter{};
    GetTextExtentPoint32W(canvas.dc(), L"\u0627", 1, &letter);  // every form advances as far
    EXPECT_EQ(ShapedTextExtent(canvas.dc(), text).cx, 7 * letter.cx);
    canvas.Clear();
    DrawNominalGlyphs(canvas.dc(), text);
    EXPECT_EQ(canvas.InkRuns(0, flatTop - 2).size(), 7u);
}

TEST(ShapedText, SimpleScriptsDrawAsTheSystemDrawsThemAndNeverLoadTheLibrary) {
    for (const std::wstring text : {L"SorvaneTestA", L"Caf\u00E9 \u6F22", L""}) {
        FaceCanvas canvas("SorvaneTestA.ttf", L"SorvaneTestA");
        TextOutW(canvas.dc(), 0, 0, text.c_str(), static_cast<int>(text.size()));
        const std::vector<uint32_t> expected = canvas.Pixels();
        canvas.Clear();
        DrawShapedText(canvas.dc(), 0, 0, text);
        EXPECT_TRUE(canvas.Pixels() == expected) << testing::PrintToString(text);
        SIZE size{};
        GetTextExtentPoint32W(canvas.dc(), text.c_str(), static_cast<int>(text.size()), &size);
        EXPECT_EQ(ShapedTextExtent(canvas.dc(), text).cx, size.cx);
    }
    char command[MAX_PATH + 64] = "\"";
    GetModuleFileNameA(nullptr, command + 1, MAX_PATH);
    lstrcatA(lstrcatA(lstrcatA(command, "\" "), kLibraryLoadsSwitch), " x");
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
    ASSERT_EQ(WaitForSingleObject(child.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 9;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    EXPECT_EQ(code, 0u);
}
