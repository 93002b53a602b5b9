#pragma once
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <exception>
#include <string>

#include "widgets/handles.h"

// Font enumeration with a callable instead of a C callback.

inline std::string FaceName(const LOGFONTA& logFont) {
    return std::string(logFont.lfFaceName, strnlen(logFont.lfFaceName, LF_FACESIZE));
}

inline std::wstring FaceName(const LOGFONTW& logFont) {
    return std::wstring(logFont.lfFaceName, wcsnlen(logFont.lfFaceName, LF_FACESIZE));
}

namespace font_enum_detail {
template <class F>
struct Context {
    F* onFont;
    std::exception_ptr error;
};

template <class F, class LogFont, class TextMetric>
int CALLBACK Callback(const LogFont* logFont, const TextMetric*, DWORD fontType, LPARAM data) {
    auto& context = *reinterpret_cast<Context<F>*>(data);
    try {
        (*context.onFont)(*logFont, fontType);
        return 1;
    } catch (...) {
        context.error = std::current_exception();
        return 0;
    }
}
}  // namespace font_enum_detail

// Calls `onFont(logFont, fontType)` for each font EnumFontFamiliesA reports for `family` (every
// family when null). An exception stops the enumeration inside the callback and is rethrown
// here, after the system call has returned.
template <class F>
void EnumFontFamilies(HDC dc, const char* family, F onFont) {
    font_enum_detail::Context<F> context{&onFont, nullptr};
    EnumFontFamiliesA(dc, family, font_enum_detail::Callback<F, LOGFONTA, TEXTMETRICA>,
                      reinterpret_cast<LPARAM>(&context));
    if (context.error) std::rethrow_exception(context.error);
}

// The same through EnumFontFamiliesExW, for face names from font files: the "A" functions give
// a face name outside the code page as look-alikes, and one longer than 31 bytes cut, often
// inside a character. Every character set is enumerated, as EnumFontFamiliesA does; an empty
// `family` enumerates every family.
template <class F>
void EnumFontFamiliesWide(HDC dc, const std::wstring& family, F onFont) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    family.copy(wanted.lfFaceName, LF_FACESIZE - 1);
    font_enum_detail::Context<F> context{&onFont, nullptr};
    EnumFontFamiliesExW(dc, &wanted, font_enum_detail::Callback<F, LOGFONTW, TEXTMETRICW>,
                        reinterpret_cast<LPARAM>(&context), 0);
    if (context.error) std::rethrow_exception(context.error);
}

// Where fonts are looked up: a window's device context, a context the caller holds (a drawing
// that names and draws its face in one context), or without either a memory context made for
// the look-up: the same fonts, and on Wine far cheaper than the screen's. A context made costs
// a round trip to the X server under Wine, so a caller that looks up many fonts passes its own.
class TFontSource {
public:
    TFontSource(HWND window) : window_(window) {}
    TFontSource(HDC dc) : dc_(dc) {}
    TFontSource(std::nullptr_t) {}

    // Runs `use(dc)` on the source's context; false when there is none.
    template <class F>
    bool Use(F use) const {
        if (dc_) return use(dc_), true;
        if (window_) {
            WindowDC dc(window_);
            return dc && (use(dc.get()), true);
        }
        MemoryDC dc;
        return dc.get() && (use(dc.get()), true);
    }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// The logical font that drawing the family `face` uses: its record in the system code page's
// character set when it has one, else the last record its enumeration reports. False when no
// family of `dc` is named exactly `face` (byte for byte).
bool FindFaceLogFont(HDC dc, const std::string& face, LOGFONTA& logFont);
// The same for a face name from a font file, compared unit for unit in UTF-16.
bool FindFaceLogFont(HDC dc, const std::wstring& face, LOGFONTW& logFont);

// The character set of the system's ANSI code page (SHIFTJIS_CHARSET under code page 932).
BYTE SystemCharset();
