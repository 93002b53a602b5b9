#include "fonts/face_sample.h"

#include <span>

namespace {

struct TCodeRange {
    char32_t first, last;
};

// The characters that count towards a script: its letters and marks, not the punctuation and
// digits that many fonts of other scripts carry too.
constexpr TCodeRange kLatin[] = {{0x41, 0x5A},  {0x61, 0x7A},  {0xC0, 0xD6},
                                 {0xD8, 0xF6},  {0xF8, 0x24F}, {0x1E00, 0x1EFF}};
constexpr TCodeRange kGreek[] = {{0x370, 0x3FF}, {0x1F00, 0x1FFF}};
constexpr TCodeRange kCyrillic[] = {{0x400, 0x52F}, {0x1C80, 0x1C8F}, {0x2DE0, 0x2DFF}, {0xA640, 0xA69F}};
constexpr TCodeRange kArmenian[] = {{0x530, 0x58F}};
constexpr TCodeRange kHebrew[] = {{0x591, 0x5FF}, {0xFB1D, 0xFB4F}};
constexpr TCodeRange kArabic[] = {{0x600, 0x6FF}, {0x750, 0x77F}, {0x8A0, 0x8FF}, {0xFB50, 0xFDFF}, {0xFE70, 0xFEFF}};
constexpr TCodeRange kSyriac[] = {{0x700, 0x74F}};
constexpr TCodeRange kThaana[] = {{0x780, 0x7BF}};
constexpr TCodeRange kNko[] = {{0x7C0, 0x7FF}};
constexpr TCodeRange kDevanagari[] = {{0x900, 0x97F}, {0xA8E0, 0xA8FF}};
constexpr TCodeRange kBengali[] = {{0x980, 0x9FF}};
constexpr TCodeRange kGurmukhi[] = {{0xA00, 0xA7F}};
constexpr TCodeRange kGujarati[] = {{0xA80, 0xAFF}};
constexpr TCodeRange kOriya[] = {{0xB00, 0xB7F}};
constexpr TCodeRange kTamil[] = {{0xB80, 0xBFF}};
constexpr TCodeRange kTelugu[] = {{0xC00, 0xC7F}};
constexpr TCodeRange kKannada[] = {{0xC80, 0xCFF}};
constexpr TCodeRange kMalayalam[] = {{0xD00, 0xD7F}};
constexpr TCodeRange kSinhala[] = {{0xD80, 0xDFF}};
constexpr TCodeRange kThai[] = {{0xE00, 0xE7F}};
constexpr TCodeRange kLao[] = {{0xE80, 0xEFF}};
constexpr TCodeRange kTibetan[] = {{0xF00, 0xFFF}};
constexpr TCodeRange kMyanmar[] = {{0x1000, 0x109F}, {0xA9E0, 0xA9FF}, {0xAA60, 0xAA7F}};
constexpr TCodeRange kGeorgian[] = {{0x10A0, 0x10FF}, {0x1C90, 0x1CBF}, {0x2D00, 0x2D2F}};
constexpr TCodeRange kEthiopic[] = {{0x1200, 0x139F}, {0x2D80, 0x2DDF}, {0xAB00, 0xAB2F}};
constexpr TCodeRange kCherokee[] = {{0x13A0, 0x13FF}, {0xAB70, 0xABBF}};
constexpr TCodeRange kSyllabics[] = {{0x1400, 0x167F}, {0x18B0, 0x18FF}};
constexpr TCodeRange kKhmer[] = {{0x1780, 0x17FF}, {0x19E0, 0x19FF}};
constexpr TCodeRange kMongolian[] = {{0x1800, 0x18AF}};
constexpr TCodeRange kTifinagh[] = {{0x2D30, 0x2D7F}};
constexpr TCodeRange kYi[] = {{0xA000, 0xA4CF}};
constexpr TCodeRange kKana[] = {{0x3041, 0x30FF}, {0x31F0, 0x31FF}, {0xFF66, 0xFF9F}};
constexpr TCodeRange kHan[] = {{0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xF900, 0xFAFF}, {0x20000, 0x3134F}};
// Japanese is written in kana and kanji, Korean in Hangul with Hanja: a face made for either
// counts its Han characters too, so that its own sample outweighs the plain Han one.
constexpr TCodeRange kJapanese[] = {{0x3041, 0x30FF}, {0x31F0, 0x31FF}, {0xFF66, 0xFF9F},
                                    {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xF900, 0xFAFF}};
constexpr TCodeRange kKorean[] = {{0x1100, 0x11FF}, {0x3130, 0x318F}, {0xAC00, 0xD7AF},
                                  {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xF900, 0xFAFF}};

struct TScriptSample {
    const wchar_t* text;
    std::span<const TCodeRange> ranges;
};

// A few characters of each script that its readers recognise: mostly the script's or the
// language's own name. A script with a second sample lists it after the first, for faces that
// lack a character of the first.
constexpr TScriptSample kSamples[] = {
    {L"AaBbCc", kLatin},
    {L"ABC", kLatin},
    {L"abc", kLatin},
    {L"\u0391\u03B1\u0392\u03B2\u0393\u03B3", kGreek},                     // ΑαΒβΓγ
    {L"\u0410\u0430\u0411\u0431\u0412\u0432", kCyrillic},                  // АаБбВв
    {L"\u0540\u0561\u0575\u0565\u0580\u0565\u0576", kArmenian},            // Հայերեն
    {L"\u05E2\u05D1\u05E8\u05D9\u05EA", kHebrew},                          // עברית
    {L"\u0627\u0644\u0639\u0631\u0628\u064A\u0629", kArabic},              // العربية
    {L"\u0627\u0628\u062C\u062F", kArabic},                                // ابجد
    {L"\u0723\u0718\u072A\u071D\u071D\u0710", kSyriac},                    // ܣܘܪܝܝܐ
    {L"\u078B\u07A8\u0788\u07AC\u0780\u07A8", kThaana},                    // ދިވެހި
    {L"\u07D2\u07DE\u07CF", kNko},                                         // ߒߞߏ
    {L"\u0939\u093F\u0928\u094D\u0926\u0940", kDevanagari},                // हिन्दी
    {L"\u09AC\u09BE\u0982\u09B2\u09BE", kBengali},                         // বাংলা
    {L"\u0A2A\u0A70\u0A1C\u0A3E\u0A2C\u0A40", kGurmukhi},                  // ਪੰਜਾਬੀ
    {L"\u0A97\u0AC1\u0A9C\u0AB0\u0ABE\u0AA4\u0AC0", kGujarati},            // ગુજરાતી
    {L"\u0B13\u0B21\u0B3C\u0B3F\u0B06", kOriya},                           // ଓଡ଼ିଆ
    {L"\u0BA4\u0BAE\u0BBF\u0BB4\u0BCD", kTamil},                           // தமிழ்
    {L"\u0C24\u0C46\u0C32\u0C41\u0C17\u0C41", kTelugu},                    // తెలుగు
    {L"\u0C95\u0CA8\u0CCD\u0CA8\u0CA1", kKannada},                         // ಕನ್ನಡ
    {L"\u0D2E\u0D32\u0D2F\u0D3E\u0D33\u0D02", kMalayalam},                 // മലയാളം
    {L"\u0DC3\u0DD2\u0D82\u0DC4\u0DBD", kSinhala},                         // සිංහල
    {L"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35", kThai},                      // สวัสดี
    {L"\u0EAA\u0EB0\u0E9A\u0EB2\u0E8D\u0E94\u0EB5", kLao},                 // ສະບາຍດີ
    {L"\u0F56\u0F7C\u0F51\u0F0B\u0F61\u0F72\u0F42", kTibetan},             // བོད་ཡིག
    {L"\u1019\u103C\u1014\u103A\u1019\u102C", kMyanmar},                   // မြန်မာ
    {L"\u10E5\u10D0\u10E0\u10D7\u10E3\u10DA\u10D8", kGeorgian},            // ქართული
    {L"\u130D\u12D5\u12DD", kEthiopic},                                    // ግዕዝ
    {L"\u13E3\u13B3\u13A9", kCherokee},                                    // ᏣᎳᎩ
    {L"\u1403\u14C4\u1483\u144E\u1450\u1466", kSyllabics},                 // ᐃᓄᒃᑎᑐᑦ
    {L"\u1781\u17D2\u1798\u17C2\u179A", kKhmer},                           // ខ្មែរ
    {L"\u182E\u1823\u1829\u182D\u1823\u182F", kMongolian},                 // ᠮᠣᠩᠭᠣᠯ
    {L"\u2D5C\u2D49\u2D3C\u2D49\u2D4F\u2D30\u2D56", kTifinagh},            // ⵜⵉⴼⵉⵏⴰⵖ
    {L"\uA188\uA320", kYi},                                                // ꆈꌠ
    {L"\u3042\u30A2\u6F22\u5B57", kJapanese},                              // あア漢字
    {L"\u3042\u3044\u3046\u30A2\u30A4\u30A6", kKana},                      // あいうアイウ
    {L"\uD55C\uAE00", kKorean},                                            // 한글
    {L"\u6F22\u5B57", kHan},                                               // 漢字
    {L"\u6C49\u5B57", kHan},                                               // 汉字
};

bool Holds(const TCharacterMap& map, const wchar_t* text) {
    for (const wchar_t* c = text; *c; ++c)
        if (!IsInvisibleCharacter(*c) && !map.Contains(*c)) return false;
    return true;
}

size_t Score(const TCharacterMap& map, std::span<const TCodeRange> ranges) {
    size_t score = 0;
    for (const TCodeRange& r : ranges) score += map.CountIn(r.first, r.last);
    return score;
}

std::wstring FirstCharacters(const TCharacterMap& map) {
    std::wstring text;
    size_t taken = 0;
    for (const TCharacterMap::TRange& r : map.Ranges()) {
        for (char32_t c = r.first; c <= r.last && taken < kCharacterMapSampleLength; ++c) {
            if (IsInvisibleCharacter(c)) continue;
            AppendCodePoint(text, c);
            ++taken;
        }
        if (taken == kCharacterMapSampleLength) break;
    }
    return text;
}

}  // namespace

TFaceSample SampleForCharacterMap(const TCharacterMap& map) {
    const TScriptSample* best = nullptr;
    size_t bestScore = 0;
    for (const TScriptSample& sample : kSamples) {
        const size_t score = Score(map, sample.ranges);
        if (score > bestScore && Holds(map, sample.text)) {
            best = &sample;
            bestScore = score;
        }
    }
    if (best) return {best->text, TSampleKind::Script};
    std::wstring first = FirstCharacters(map);
    if (first.empty()) return {};
    return {std::move(first), TSampleKind::CharacterMap};
}

TFaceSample ChooseFaceSample(HDC dc, const std::wstring& text) {
    if (FaceCoversText(dc, text) || GetTextCharset(dc) == SYMBOL_CHARSET) return {text, TSampleKind::Asked};
    TFaceSample sample = SampleForCharacterMap(TCharacterMap::OfSelectedFont(dc));
    if (sample.text.empty()) return {text, TSampleKind::Asked};
    return sample;
}
