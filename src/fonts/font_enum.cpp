#include "fonts/font_enum.h"

bool FindFaceLogFont(HDC dc, const std::string& face, LOGFONTA& logFont) {
    // An empty name would enumerate every family and hand back the last one's font.
    if (face.empty()) return false;
    // Wine reports a Japanese family for SHIFTJIS_CHARSET first and ANSI_CHARSET last; drawing
    // Japanese text in the last record's ANSI character set splits every double-byte character
    // into two. So the record in the system code page's character set wins when there is one.
    const BYTE systemCharset = SystemCharset();
    bool found = false, systemFound = false;
    EnumFontFamilies(dc, face.c_str(), [&](const LOGFONTA& font, DWORD) {
        // The system matches the name loosely (case, substitutes); the family must match exactly.
        if (systemFound || FaceName(font) != face) return;
        logFont = font;
        found = true;
        systemFound = font.lfCharSet == systemCharset;
    });
    return found;
}

BYTE SystemCharset() {
    CHARSETINFO info{};
    if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(GetACP())), &info, TCI_SRCCODEPAGE)) {
        return ANSI_CHARSET;
    }
    return static_cast<BYTE>(info.ciCharset);
}
