#include "fonts/face_text.h"

#include "fonts/font_enum.h"
#include "widgets/handles.h"

bool SelectFaceFont(TCanvas& canvas, HWND window, const std::string& face, int size) {
    LOGFONTA found{};
    if (window) {
        WindowDC dc(window);
        if (!dc || !FindFaceLogFont(dc.get(), face, found)) return false;
    } else if (!FindFaceLogFont(canvas.Handle(), face, found)) {
        return false;
    }
    if (found.lfFaceName[0] == '\0') return false;
    canvas.Font().SetCharset(found.lfCharSet);
    canvas.Font().SetName(face);
    canvas.Font().SetSize(size);
    return true;
}

bool DrawFaceText(TCanvas& canvas, HWND window, const std::string& face, const std::string& text, int x, int y,
                  int size) {
    if (!SelectFaceFont(canvas, window, face, size)) return false;
    canvas.TextOut(x, y, text.empty() ? face : text);
    return true;
}
