#include "fonts/face_text.h"

#include "fonts/font_enum.h"

bool SelectFaceFont(TCanvas& canvas, HWND window, const std::wstring& face, int size) {
    LOGFONTW found{};
    bool known = false;
    WithFontDC(window, [&](HDC dc) { known = FindFaceLogFont(dc, face, found); });
    if (!known || found.lfFaceName[0] == L'\0') return false;
    canvas.Font().SetCharset(found.lfCharSet);
    canvas.Font().SetWideName(face);
    canvas.Font().SetSize(size);
    return true;
}

bool DrawFaceText(TCanvas& canvas, HWND window, const std::wstring& face, const std::string& text, int x, int y,
                  int size) {
    if (!SelectFaceFont(canvas, window, face, size)) return false;
    if (text.empty()) {
        canvas.TextOut(x, y, face);
    } else {
        canvas.TextOut(x, y, text);
    }
    return true;
}
