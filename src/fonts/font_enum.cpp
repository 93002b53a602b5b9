#include "fonts/font_enum.h"

namespace {

// Wine reports a Japanese family for SHIFTJIS_CHARSET first and ANSI_CHARSET last; drawing
// Japanese text in the last record's ANSI character set splits every double-byte character
// into two. So the record in the system code page's character set wins when there is one.
template <class Text, class LogFont, class Enumerate>
bool FindFaceRecord(const Text& face, LogFont& logFont, Enumerate enumerate) {
    // An empty name would enumerate every family and hand back the last one's font.
    if (face.empty()) return false;
    const BYTE systemCharset = SystemCharset();
    bool found = false, systemFound = false;
    enumerate([&](const LogFont& font, DWORD) {
        // The system matches the name loosely (case, substitutes); the family must match exactly.
        if (systemFound || FaceName(font) != face) return;
        logFont = font;
        found = true;
        systemFound = font.lfCharSet == systemCharset;
    });
    return found;
}

}  // namespace

bool FindFaceLogFont(HDC dc, const std::string& face, LOGFONTA& logFont) {
    return FindFaceRecord(face, logFont, [&](auto onFont) { EnumFontFamilies(dc, face.c_str(), onFont); });
}

bool FindFaceLogFont(HDC dc, const std::wstring& face, LOGFONTW& logFont) {
    return FindFaceRecord(face, logFont, [&](auto onFont) { EnumFontFamiliesWide(dc, face, onFont); });
}

BYTE SystemCharset() {
    CHARSETINFO info{};
    if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(GetACP())), &info, TCI_SRCCODEPAGE)) {
        return ANSI_CHARSET;
    }
    return static_cast<BYTE>(info.ciCharset);
}
