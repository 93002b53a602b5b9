#include "fonts/face_text.h"

#include "fonts/font_enum.h"

bool SelectFaceFont(TCanvas& canvas, HWND window, const std::string& face, int size) {
    LOGFONTA found{};
    bool known = false;
    WithFontDC(window, [&](HDC dc) { known = FindFaceLogFont(dc, face, found); });
    if (!known || found.lfFaceName[0] == '\0') return false;
    canvas.Font().SetCharset(found.lfCharSet);
    canvas.Font().SetName(face);
    canvas.Font().SetSize(size);
    return true;
}

bool DrawFaceText(TCanvas& canvas, HWND window, const std::string& face, const std::string& text, int x, int y,
                  int size) {
    if (!SelectFaceFont(canvas, window, face, size)) return false;
    canvas.TextOut(x, y, TextToDraw(face, text));
    return true;
}
