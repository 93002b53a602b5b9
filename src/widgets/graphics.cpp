#include "widgets/graphics.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include "widgets/wide_text.h"

std::function<COLORREF(int index)>& SysColorSource() {
    static std::function<COLORREF(int)> source;
    return source;
}

COLORREF ColorToRGB(TColor color) {
    if ((color & 0xFF000000) == clSystemColor) {
        const int index = static_cast<int>(color & 0xFF);
        const auto& source = SysColorSource();
        return source ? source(index) : GetSysColor(index);
    }
    return color & 0x00FFFFFF;
}

void FillSolid(HDC dc, const RECT& r, TColor color) {
    BrushHandle brush(CreateSolidBrush(ColorToRGB(color)));
    FillRect(dc, &r, brush.get());
}

void Frame3D(HDC dc, RECT& r, TColor topLeft, TColor bottomRight) {
    FillSolid(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    InflateRect(&r, -1, -1);
}

// Copies a face name into a LOGFONT's 32-byte field without splitting a double-byte character.
static void CopyFaceName(char (&target)[LF_FACESIZE], const std::string& name) {
    size_t n = 0;
    while (n < name.size() && n < LF_FACESIZE - 1) {
        size_t step = IsDBCSLeadByte(static_cast<BYTE>(name[n])) ? 2 : 1;
        if (n + step > LF_FACESIZE - 1 || n + step > name.size()) break;
        n += step;
    }
    std::memcpy(target, name.data(), n);
    target[n] = '\0';
}

// --- TFont ---------------------------------------------------------------------------------

TFont::TFont() : name_("ＭＳ Ｐゴシック"), height_(-12), charset_(DEFAULT_CHARSET), color_(clWindowText) {}

TFont::TFont(const TFont& other)
    : name_(other.name_), wideName_(other.wideName_), height_(other.height_), charset_(other.charset_), color_(other.color_), style_(other.style_) {}

TFont& TFont::operator=(const TFont& other) {
    if (this != &other) {
        name_ = other.name_;
        wideName_ = other.wideName_;
        height_ = other.height_;
        charset_ = other.charset_;
        color_ = other.color_;
        style_ = other.style_;
        Changed();
    }
    return *this;
}

void TFont::Changed() {
    handle_.reset();
    if (OnChange) OnChange();
}

void TFont::SetName(const std::string& name) {
    // An empty name leaves the font as it is, as a face name must name something.
    if (name.empty() || (name == name_ && wideName_.empty())) return;
    name_ = name;
    wideName_.clear();
    Changed();
}

void TFont::SetWideName(const std::wstring& name) {
    if (name.empty() || name == wideName_) return;
    wideName_ = name;
    name_ = AnsiFromWide(name);
    Changed();
}

void TFont::SetHeight(int height) {
    if (height == height_) return;
    height_ = height;
    Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, 96); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, 96, 72)); }

void TFont::SetCharset(BYTE charset) {
    if (charset == charset_) return;
    charset_ = charset;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    if (OnChange) OnChange();  // the GDI font does not carry the colour
}

void TFont::SetStyle(TFontStyles style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

LOGFONTA TFont::LogFont() const {
    LOGFONTA lf{};
    lf.lfHeight = height_;
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
    lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = charset_;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    CopyFaceName(lf.lfFaceName, name_);
    return lf;
}

HFONT TFont::Handle() {
    if (!handle_ && !wideName_.empty()) {
        const LOGFONTA narrow = LogFont();
        LOGFONTW lf{};
        std::memcpy(&lf, &narrow, offsetof(LOGFONTA, lfFaceName));
        // 31 units and the terminating zero, cut where the system cuts the face names it lists.
        wideName_.copy(lf.lfFaceName, LF_FACESIZE - 1);
        handle_.reset(CreateFontIndirectW(&lf));
    }
    if (!handle_) {
        LOGFONTA lf = LogFont();
        handle_.reset(CreateFontIndirectA(&lf));
    }
    return handle_.get();
}

// --- TBrush, TPen --------------------------------------------------------------------------

void TBrush::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    handle_.reset();
}

void TBrush::SetStyle(TBrushStyle style) {
    if (style == style_) return;
    style_ = style;
    handle_.reset();
}

HBRUSH TBrush::Handle() {
    if (style_ == bsClear) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    if (!handle_) handle_.reset(CreateSolidBrush(ColorToRGB(color_)));
    return handle_.get();
}

void TPen::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    handle_.reset();
}

void TPen::SetWidth(int width) {
    if (width == width_) return;
    width_ = width;
    handle_.reset();
}

int TPen::Rop2() const {
    switch (mode_) {
    case pmXor: return R2_XORPEN;
    case pmNot: return R2_NOT;
    default: return R2_COPYPEN;
    }
}

HPEN TPen::Handle() {
    if (!handle_) handle_.reset(CreatePen(PS_SOLID, width_, ColorToRGB(color_)));
    return handle_.get();
}

// --- TCanvas -------------------------------------------------------------------------------

TCanvas::~TCanvas() = default;

HDC TCanvas::Handle() {
    if (!dc_) {
        HDC dc = CreateHandle();
        if (dc) SetHandle(dc);
    }
    return dc_;
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == dc_) return;
    ReleaseHandle();
    dc_ = dc;
}

class TCanvas::ToolScope {
public:
    ToolScope(TCanvas& canvas, bool font, bool brush, bool pen) : dc_(canvas.Handle()) {
        if (!dc_) return;
        if (font) {
            font_.emplace(dc_, canvas.font_.Handle());
            SetTextColor(dc_, ColorToRGB(canvas.font_.Color()));
        }
        if (brush) {
            brush_.emplace(dc_, canvas.brush_.Handle());
            if (canvas.brush_.Style() == bsClear) {
                SetBkMode(dc_, TRANSPARENT);
            } else {
                SetBkMode(dc_, OPAQUE);
                SetBkColor(dc_, ColorToRGB(canvas.brush_.Color()));
            }
        }
        if (pen) {
            pen_.emplace(dc_, canvas.pen_.Handle());
            SetROP2(dc_, canvas.pen_.Rop2());
        }
    }
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    std::optional<ScopedSelect> font_, brush_, pen_;
};

void TCanvas::FillRect(const RECT& r) {
    if (brush_.Style() != bsClear) ::FillRect(Handle(), &r, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& r) { ::FrameRect(Handle(), &r, brush_.Handle()); }

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    ToolScope tools(*this, false, true, true);
    ::Rectangle(tools.dc(), left, top, right, bottom);
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(Handle(), x, y, nullptr); }

void TCanvas::LineTo(int x, int y) {
    ToolScope tools(*this, false, false, true);
    ::LineTo(tools.dc(), x, y);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    ToolScope tools(*this, true, true, false);
    ::TextOutA(tools.dc(), x, y, text.data(), static_cast<int>(text.size()));
}

void TCanvas::TextOut(int x, int y, const std::wstring& text) {
    ToolScope tools(*this, true, true, false);
    ::TextOutW(tools.dc(), x, y, text.data(), static_cast<int>(text.size()));
}

SIZE TCanvas::TextExtent(const std::wstring& text) {
    ToolScope tools(*this, true, false, false);
    SIZE size{0, 0};
    GetTextExtentPoint32W(tools.dc(), text.data(), static_cast<int>(text.size()), &size);
    return size;
}

SIZE TCanvas::TextExtent(const std::string& text) {
    ToolScope tools(*this, true, false, false);
    SIZE size{0, 0};
    GetTextExtentPoint32A(tools.dc(), text.data(), static_cast<int>(text.size()), &size);
    return size;
}

int TCanvas::DrawText(const std::string& text, RECT& r, UINT format) {
    ToolScope tools(*this, true, true, false);
    return ::DrawTextA(tools.dc(), text.data(), static_cast<int>(text.size()), &r, format);
}

int TCanvas::DrawText(const std::wstring& text, RECT& r, UINT format) {
    ToolScope tools(*this, true, true, false);
    return ::DrawTextW(tools.dc(), text.data(), static_cast<int>(text.size()), &r, format);
}

void TCanvas::DrawFocusRect(const RECT& r) {
    HDC dc = Handle();
    // Focus rectangles are drawn with the text colours; keep them black on white.
    COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
    COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &r);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
}

void TCanvas::Draw(int x, int y, TBitmap& bitmap) {
    if (bitmap.Empty()) return;
    HDC target = Handle();
    HBITMAP handle = bitmap.Handle();
    MemoryDC source(target);
    ScopedSelect select(source.get(), handle);
    BitBlt(target, x, y, bitmap.Width(), bitmap.Height(), source.get(), 0, 0, SRCCOPY);
}

COLORREF TCanvas::Pixel(int x, int y) { return GetPixel(Handle(), x, y); }

void TCanvas::SetPixel(int x, int y, TColor color) { ::SetPixel(Handle(), x, y, ColorToRGB(color)); }

SIZE ScreenTextExtent(const TFont& font, const std::string& text) {
    WindowDC screen(nullptr);
    TCanvas canvas(screen.get());
    canvas.Font() = font;
    return canvas.TextExtent(text);
}

template <class Text>
static RECT ScreenTextRectOf(const TFont& font, const Text& text, UINT format) {
    WindowDC screen(nullptr);
    TCanvas canvas(screen.get());
    canvas.Font() = font;
    RECT r{0, 0, 0, 0};
    canvas.DrawText(text, r, format | DT_CALCRECT);
    return r;
}

RECT ScreenTextRect(const TFont& font, const std::string& text, UINT format) {
    return ScreenTextRectOf(font, text, format);
}

RECT ScreenTextRect(const TFont& font, const std::wstring& text, UINT format) {
    return ScreenTextRectOf(font, text, format);
}

// --- TBitmap -------------------------------------------------------------------------------

// The canvas of a bitmap selects the bitmap into a memory context of its own, on demand.
class TBitmap::BitmapCanvas : public TCanvas {
public:
    explicit BitmapCanvas(TBitmap& owner) : owner_(owner) {}
    ~BitmapCanvas() override { Free(); }

    void Free() {
        if (!memory_) return;
        ReleaseHandle();
        selection_.reset();
        memory_.reset();
    }

protected:
    HDC CreateHandle() override {
        if (owner_.Empty()) return nullptr;
        memory_ = std::make_unique<MemoryDC>();
        selection_ = std::make_unique<ScopedSelect>(memory_->get(), owner_.bitmap_.get());
        return memory_->get();
    }

private:
    TBitmap& owner_;
    std::unique_ptr<MemoryDC> memory_;
    std::unique_ptr<ScopedSelect> selection_;
};

TBitmap::TBitmap() : canvas_(std::make_unique<BitmapCanvas>(*this)) {}

TBitmap::~TBitmap() { canvas_->Free(); }

namespace {
BITMAPINFO Info24(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as written to files
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
    return info;
}

HBITMAP CreateDib24(int width, int height) {
    const BITMAPINFO info = Info24(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) std::memset(bits, 0xFF, info.bmiHeader.biSizeImage);  // white
    return bitmap;
}
}  // namespace

void TBitmap::SetSize(int width, int height) {
    if (width == width_ && height == height_ && bitmap_) return;
    canvas_->Free();
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    bitmap_.reset(width_ > 0 && height_ > 0 ? CreateDib24(width_, height_) : nullptr);
}

TCanvas& TBitmap::Canvas() { return *canvas_; }

HBITMAP TBitmap::Handle() {
    canvas_->Free();
    return bitmap_.get();
}

void TBitmap::Adopt(HBITMAP bitmap) {
    canvas_->Free();
    bitmap_.reset(bitmap);
    BITMAP info{};
    if (bitmap && GetObjectA(bitmap, sizeof(info), &info)) {
        width_ = info.bmWidth;
        height_ = info.bmHeight;
    } else {
        width_ = height_ = 0;
    }
}

bool TBitmap::LoadFromResource(HINSTANCE instance, const char* name) {
    HBITMAP loaded = static_cast<HBITMAP>(LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!loaded) return false;
    Adopt(loaded);
    return true;
}

namespace {
// Deletes the temporary file unless the save went through.
struct TempFileGuard {
    std::string path;
    bool keep = false;
    ~TempFileGuard() { if (!keep) DeleteFileA(path.c_str()); }
};
}  // namespace

std::string TBitmap::Pixels() {
    if (Empty()) return std::string();
    BITMAPINFO info = Info24(width_, height_);
    std::string pixels(info.bmiHeader.biSizeImage, '\0');
    HBITMAP handle = Handle();
    MemoryDC dc;
    if (GetDIBits(dc.get(), handle, 0, height_, pixels.data(), &info, DIB_RGB_COLORS) != height_) return std::string();
    return pixels;
}

bool TBitmap::SetPixels(int width, int height, const std::string& pixels) {
    BITMAPINFO info = Info24(width, height);
    if (width <= 0 || height <= 0 || pixels.size() != info.bmiHeader.biSizeImage) return false;
    SetSize(width, height);
    HBITMAP handle = Handle();
    MemoryDC dc;
    return SetDIBits(dc.get(), handle, 0, height, pixels.data(), &info, DIB_RGB_COLORS) == height;
}

bool TBitmap::SaveToFile(const std::string& path) {
    if (Empty() || path.empty()) return false;
    const std::string pixels = Pixels();
    if (pixels.empty()) return false;
    const BITMAPINFO info = Info24(width_, height_);

    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());

    TempFileGuard temp{path + ".sorvane-tmp"};
    {
        std::ofstream out(temp.path, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(&header), sizeof(header));
        out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(BITMAPINFOHEADER));
        out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
        out.close();
        if (!out) return false;
    }
    if (!MoveFileExA(temp.path.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return false;
    temp.keep = true;
    return true;
}

// --- TPicture ------------------------------------------------------------------------------

TBitmap& TPicture::EnsureBitmap(int width, int height) {
    if (!bitmap_) {
        icon_ = nullptr;
        bitmap_ = std::make_unique<TBitmap>();
        bitmap_->SetSize(width, height);
        if (OnChange) OnChange();
    }
    return *bitmap_;
}

void TPicture::SetIcon(HICON icon) {
    bitmap_.reset();
    icon_ = icon;
    if (OnChange) OnChange();
}

void TPicture::Clear() {
    bitmap_.reset();
    icon_ = nullptr;
    if (OnChange) OnChange();
}
