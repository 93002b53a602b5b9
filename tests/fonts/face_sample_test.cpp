#include "fonts/face_sample.h"

#include <gtest/gtest.h>

#include "face_canvas.h"

void PrintTo(const TFaceSample& sample, std::ostream* out) {
    *out << testing::PrintToString(sample.text) << " kind " << static_cast<int>(sample.kind);
}

namespace {

using Ranges = std::vector<TCharacterMap::TRange>;

constexpr TCharacterMap::TRange kKana = {0x3041, 0x30FF}, kHan = {0x4E00, 0x9FFF}, kHangul = {0xAC00, 0xD7A3};

Ranges Of(std::initializer_list<TCharacterMap::TRange> ranges) { return Ranges(ranges); }
Ranges Letters(const wchar_t* text) {
    Ranges ranges;
    for (const wchar_t* c = text; *c; ++c) ranges.push_back({*c, *c});
    return ranges;
}

const std::wstring kLatinSample = L"AaBbCc", kGreekSample = L"\u0391\u03B1\u0392\u03B2\u0393\u03B3";

}  // namespace

TEST(FaceSample, SampleOfTheScriptCoveredMostThatFitsElseTheFirstCharacters) {
    struct Case {
        const char* what;
        Ranges ranges;
        TFaceSample sample;
    };
    const Case cases[] = {
        {"nothing", {}, {L"", TSampleKind::Asked}},
        {"ASCII letters and all of Greek", Of({{'A', 'Z'}, {'a', 'z'}, {0x370, 0x3FF}}),
         {kGreekSample, TSampleKind::Script}},
        {"six Latin and six Greek letters: the first listed", Letters(L"AaBbCc\u0391\u03B1\u0392\u03B2\u0393\u03B3"),
         {kLatinSample, TSampleKind::Script}},
        {"six Latin and seven Greek letters", Letters(L"AaBbCc\u0391\u03B1\u0392\u03B2\u0393\u03B3\u03B4"),
         {kGreekSample, TSampleKind::Script}},
        {"capitals only", Of({{'A', 'Z'}}), {L"ABC", TSampleKind::Script}},
        {"kana and kanji", Of({kKana, kHan}), {L"\u3042\u30A2\u6F22\u5B57", TSampleKind::Script}},
        {"kana only", Of({kKana}), {L"\u3042\u3044\u3046\u30A2\u30A4\u30A6", TSampleKind::Script}},
        {"Hangul, Han and kana", Of({kKana, kHan, kHangul}), {L"\uD55C\uAE00", TSampleKind::Script}},
        {"simplified Han and kana, no 漢", Of({kKana, {0x4E00, 0x6F21}, {0x6F23, 0x9FFF}}),
         {L"\u6C49\u5B57", TSampleKind::Script}},
        {"Arabic without teh marbuta", Of({{0x600, 0x628}, {0x62A, 0x6FF}}),
         {L"\u0627\u0628\u062C\u062F", TSampleKind::Script}},
        {"all of Thai and a few Latin letters", Of({{0xE01, 0xE5B}, {'A', 'C'}, {'a', 'c'}}),
         {L"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35", TSampleKind::Script}},
        {"private use after invisible characters", Of({{0, 0x20}, {0xA0, 0xA0}, {0x200D, 0x200D}, {0xE000, 0xE0FF}}),
         {L"\uE000\uE001\uE002\uE003\uE004\uE005", TSampleKind::CharacterMap}},
        {"fewer characters than a sample takes", Of({{0x20, 0x20}, {0xE000, 0xE001}}),
         {L"\uE000\uE001", TSampleKind::CharacterMap}},
        {"Latin letters short of every Latin sample", Letters(L"ABab"), {L"ABab", TSampleKind::CharacterMap}},
        {"a historic script beyond the basic plane", Of({{0x20, 0x20}, {0x10A60, 0x10A7F}}),
         {L"\U00010A60\U00010A61\U00010A62\U00010A63\U00010A64\U00010A65", TSampleKind::CharacterMap}},
    };
    for (const Case& c : cases) EXPECT_EQ(SampleForCharacterMap(TCharacterMap(c.ranges)), c.sample) << c.what;
}

TEST(FaceSample, ThumbnailTextOfEachGeneratedFace) {
    struct Case {
        const char* file;
        const wchar_t* family;
        std::wstring text;
        TFaceSample sample;
    };
    const Case cases[] = {
        // A face that has its name draws it as before.
        {"SorvaneTestA.ttf", L"SorvaneTestA", L"SorvaneTestA", {L"SorvaneTestA", TSampleKind::Asked}},
        {"spaceless.ttf", L"Sorvane Spaceless", L"Sorvane Spaceless", {L"Sorvane Spaceless", TSampleKind::Asked}},
        {"SorvaneTestA.ttf", L"SorvaneTestA", L"Caf\u00E9", {kLatinSample, TSampleKind::Script}},
        // It has the kana and kanji of the Japanese sample, but more Latin letters.
        {"japanese.ttf", L"SorvaneJapaneseTest", L"\uD55C\uAE00", {kLatinSample, TSampleKind::Script}},
        {"kana-only.ttf", L"Sorvane Kana Only", L"Sorvane Kana Only",
         {L"\u3042\u3044\u3046\u30A2\u30A4\u30A6", TSampleKind::Script}},
        {"thai-only.ttf", L"Sorvane Thai Only", L"Sorvane Thai Only",
         {L"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35", TSampleKind::Script}},
        {"arabic-only.ttf", L"Sorvane Arabic Only", L"Sorvane Arabic Only",
         {L"\u0627\u0644\u0639\u0631\u0628\u064A\u0629", TSampleKind::Script}},
        {"private-use.ttf", L"Sorvane Private Use", L"Sorvane Private Use",
         {L"\uE100\uE101\uE102\uE103\uE104\uE105", TSampleKind::CharacterMap}},
        // A symbol face draws any text through its symbol range, as it always has.
        {"symbol.ttf", L"Sorvane Symbol", L"Sorvane Symbol", {L"Sorvane Symbol", TSampleKind::Asked}},
        {"symbol.ttf", L"Sorvane Symbol", L"\U00020B9F", {L"\U00020B9F", TSampleKind::Asked}},
    };
    for (const Case& c : cases) {
        FaceCanvas canvas(c.file, c.family);
        ASSERT_TRUE(canvas.Selected(c.family)) << c.file;
        EXPECT_EQ(ChooseFaceSample(canvas.dc(), c.text), c.sample) << c.file << " " << testing::PrintToString(c.text);
    }
}
