#include "fonts/face_text.h"

#include "fonts/face_sample.h"
#include "fonts/font_enum.h"
#include "fonts/shaped_text.h"

namespace {

// What stands for the face name in the canvas's font: empty when the name itself is drawn.
std::wstring SampleInsteadOfName(TCanvas& canvas, const std::wstring& face) {
    std::wstring sample;
    canvas.WithTextTools([&](HDC dc) {
        TFaceSample chosen = ChooseFaceSample(dc, face);
        if (chosen.kind != TSampleKind::Asked) sample = std::move(chosen.text);
    });
    return sample;
}

}  // namespace

SIZE TextToDrawExtent(TCanvas& canvas, const std::wstring& face, const std::string& text) {
    if (!text.empty()) return canvas.TextExtent(text);
    const std::wstring sample = SampleInsteadOfName(canvas, face);
    if (sample.empty()) return canvas.TextExtent(face);
    SIZE size{};
    canvas.WithTextTools([&](HDC dc) { size = ShapedTextExtent(dc, sample); });
    return size;
}

bool SelectFaceFont(TCanvas& canvas, TFontSource fonts, const std::wstring& face, int size) {
    LOGFONTW found{};
    bool known = false;
    fonts.Use([&](HDC dc) { known = FindFaceLogFont(dc, face, found); });
    if (!known || found.lfFaceName[0] == L'\0') return false;
    canvas.Font().SetCharset(found.lfCharSet);
    canvas.Font().SetWideName(face);
    canvas.Font().SetSize(size);
    return true;
}

bool DrawFaceText(TCanvas& canvas, TFontSource fonts, const std::wstring& face, const std::string& text, int x, int y,
                  int size) {
    if (!SelectFaceFont(canvas, fonts, face, size)) return false;
    if (!text.empty()) {
        canvas.TextOut(x, y, text);
        return true;
    }
    const std::wstring sample = SampleInsteadOfName(canvas, face);
    if (sample.empty()) {
        canvas.TextOut(x, y, face);  // exactly as before the check existed
    } else {
        canvas.WithTextTools([&](HDC dc) { DrawShapedText(dc, x, y, sample); });
    }
    return true;
}
