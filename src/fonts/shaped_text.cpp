#include "fonts/shaped_text.h"

#include "widgets/system_library.h"

namespace {

struct TCodeRange {
    wchar_t first, last;
};

// Where a character's drawing depends on its neighbours; surrogates stand for the characters
// beyond the basic plane, many of them in historic complex scripts.
constexpr TCodeRange kShapedRanges[] = {
    {0x0300, 0x036F},  // combining diacritical marks
    {0x0483, 0x0489},  // Cyrillic combining marks
    {0x0590, 0x08FF},  // Hebrew, Arabic, Syriac, Thaana, N'Ko, Samaritan, Mandaic
    {0x0900, 0x0DFF},  // the Indic scripts, Sinhala
    {0x0E00, 0x0FFF},  // Thai, Lao, Tibetan
    {0x1000, 0x109F},  // Myanmar
    {0x1100, 0x11FF},  // conjoining Hangul letters
    {0x1700, 0x18AF},  // the Philippine scripts, Khmer, Mongolian
    {0x1900, 0x1CFF},  // Limbu to Vedic extensions
    {0x1DC0, 0x1DFF},  // combining marks, supplement
    {0x200C, 0x200F},  // joiners, direction marks
    {0x202A, 0x202E},  // direction embeddings
    {0x2066, 0x2069},  // direction isolates
    {0x20D0, 0x20FF},  // combining marks for symbols
    {0xA800, 0xAAFF},  // Syloti Nagri to Tai Viet
    {0xABC0, 0xABFF},  // Meetei Mayek
    {0xD800, 0xDFFF},  // surrogates
    {0xFB1D, 0xFDFF},  // Hebrew and Arabic presentation forms
    {0xFE00, 0xFE0F},  // variation selectors
    {0xFE20, 0xFE2F},  // combining half marks
    {0xFE70, 0xFEFE},  // Arabic presentation forms
};

bool IsShaped(wchar_t c) {
    if (c < kShapedRanges[0].first) return false;
    for (const TCodeRange& r : kShapedRanges)
        if (c >= r.first && c <= r.last) return true;
    return false;
}

template <class Proc>
Proc Entry(HMODULE library, const char* name) {
    return library ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

TShapingApi LibraryApi() {
    // Stays loaded for the life of the process once found.
    static const HMODULE library = LoadSystemLibrary("usp10.dll");
    TShapingApi api;
    api.StringAnalyse = Entry<decltype(api.StringAnalyse)>(library, "ScriptStringAnalyse");
    api.StringOut = Entry<decltype(api.StringOut)>(library, "ScriptStringOut");
    api.StringFree = Entry<decltype(api.StringFree)>(library, "ScriptStringFree");
    api.StringSize = Entry<decltype(api.StringSize)>(library, "ScriptString_pSize");
    return api;
}

// The library's analysis of a text: itemized, shaped and placed, freed once.
class TShapedString {
public:
    TShapedString(const TShapingApi& api, HDC dc, const std::wstring& text) : api_(api) {
        if (!api.Available() || text.empty()) return;
        const int length = static_cast<int>(text.size());
        // Without SSA_FALLBACK the selected font draws every glyph, its missing ones included.
        if (FAILED(api.StringAnalyse(dc, text.c_str(), length, length * 3 / 2 + 16, -1, SSA_GLYPHS, 0, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, &analysis_)))
            analysis_ = nullptr;
    }
    ~TShapedString() {
        if (analysis_) api_.StringFree(&analysis_);
    }
    TShapedString(const TShapedString&) = delete;
    TShapedString& operator=(const TShapedString&) = delete;

    SCRIPT_STRING_ANALYSIS get() const { return analysis_; }

private:
    const TShapingApi& api_;
    SCRIPT_STRING_ANALYSIS analysis_ = nullptr;
};

}  // namespace

bool NeedsShaping(const std::wstring& text) {
    for (wchar_t c : text)
        if (IsShaped(c)) return true;
    return false;
}

TShapingApi& ShapingApi() {
    static TShapingApi api = LibraryApi();
    return api;
}

void ResetShapingApi() { ShapingApi() = LibraryApi(); }

void DrawShapedText(HDC dc, int x, int y, const std::wstring& text) {
    if (NeedsShaping(text)) {
        const TShapedString shaped(ShapingApi(), dc, text);
        if (shaped.get() && SUCCEEDED(ShapingApi().StringOut(shaped.get(), x, y, 0, nullptr, 0, 0, FALSE))) return;
    }
    ExtTextOutW(dc, x, y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

SIZE ShapedTextExtent(HDC dc, const std::wstring& text) {
    if (NeedsShaping(text)) {
        const TShapedString shaped(ShapingApi(), dc, text);
        if (shaped.get())
            if (const SIZE* size = ShapingApi().StringSize(shaped.get())) return *size;
    }
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}
