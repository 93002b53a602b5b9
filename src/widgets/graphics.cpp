#include "widgets/graphics.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cstdint>
#include <cwchar>
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

void TCanvas::WithTextTools(const std::function<void(HDC)>& draw) {
    ToolScope tools(*this, true, true, false);
    if (tools.dc()) draw(tools.dc());
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
// The bytes of a 24-bit image's rows, each padded to four bytes; 64 bits, as a large drawing
// overflows an int.
uint64_t Bytes24(int width, int height) {
    return (static_cast<uint64_t>(width) * 3 + 3) / 4 * 4 * static_cast<uint64_t>(height);
}

BITMAPINFO Info24(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as written to files
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const uint64_t bytes = Bytes24(width, height);
    info.bmiHeader.biSizeImage = bytes <= INT32_MAX ? static_cast<DWORD>(bytes) : 0;
    return info;
}

HBITMAP CreateDib24(int width, int height, uint8_t*& bits) {
    bits = nullptr;
    // Past 2 GB the file's and the system's size fields overflow.
    if (Bytes24(width, height) > INT32_MAX) return nullptr;
    const BITMAPINFO info = Info24(width, height);
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    if (!bitmap) return nullptr;
    bits = static_cast<uint8_t*>(memory);
    if (bits) std::memset(bits, 0xFF, info.bmiHeader.biSizeImage);  // white
    return bitmap;
}
}  // namespace

void TBitmap::SetSize(int width, int height) {
    if (width == width_ && height == height_ && bitmap_) return;
    canvas_->Free();
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    bits_ = nullptr;
    bitmap_.reset(width_ > 0 && height_ > 0 ? CreateDib24(width_, height_, bits_) : nullptr);
}

TCanvas& TBitmap::Canvas() { return *canvas_; }

HBITMAP TBitmap::Handle() {
    canvas_->Free();
    return bitmap_.get();
}

void TBitmap::Adopt(HBITMAP bitmap) {
    canvas_->Free();
    bits_ = nullptr;
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

std::string TBitmap::Pixels() {
    if (Empty()) return std::string();
    BITMAPINFO info = Info24(width_, height_);
    if (bits_) {
        // Read in place: the device context that drew stays, for the next drawing.
        GdiFlush();
        std::string pixels(reinterpret_cast<const char*>(bits_), info.bmiHeader.biSizeImage);
        // The rows' padding reads as zeros, as the system's copy gives it.
        const size_t row = pixels.size() / height_, used = static_cast<size_t>(width_) * 3;
        for (size_t at = used; at < pixels.size(); at += row) std::memset(&pixels[at], 0, row - used);
        return pixels;
    }
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
    if (bits_) {
        GdiFlush();
        std::memcpy(bits_, pixels.data(), pixels.size());
        return true;
    }
    HBITMAP handle = Handle();
    MemoryDC dc;
    return SetDIBits(dc.get(), handle, 0, height, pixels.data(), &info, DIB_RGB_COLORS) == height;
}

void TBitmap::Whiten() {
    if (Empty()) return;
    if (bits_) {
        GdiFlush();
        std::memset(bits_, 0xFF, Info24(width_, height_).bmiHeader.biSizeImage);
        return;
    }
    const RECT all{0, 0, width_, height_};
    FillRect(Canvas().Handle(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

namespace {
// A file handle closed on every way out.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    // False when closing lost data the system had not yet written.
    bool Close() {
        if (handle_ == INVALID_HANDLE_VALUE) return true;
        const bool closed = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE file, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

// A bitmap file's parts in their order.
struct BitmapFileParts {
    BITMAPFILEHEADER header{};
    BITMAPINFOHEADER info{};
    const std::string* pixels = nullptr;
    uint64_t Size() const { return header.bfSize; }
    bool WriteTo(HANDLE file) const {
        return WriteAll(file, &header, sizeof(header)) && WriteAll(file, &info, sizeof(info)) &&
               WriteAll(file, pixels->data(), pixels->size());
    }
};

// Creates an empty file in `folder` (ending in a backslash, or empty for the current folder)
// under a name no file has: the system refuses to create a file whose name exists, so a user's
// file is never taken. GetTempFileNameW does the same, but not for folders longer than
// MAX_PATH - 14 characters.
HANDLE CreateUniqueFile(const std::wstring& folder, std::wstring& path) {
    const DWORD start = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (DWORD attempt = 0; attempt < 0x10000; ++attempt) {
        wchar_t name[16];
        swprintf(name, 16, L"~svn%04X.tmp", static_cast<unsigned>((start + attempt) & 0xFFFF));
        path = folder + name;
        HANDLE file = CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

// Writes the file beside `target` and renames it over the target, which is replaced whole or
// not at all.
bool ReplaceThroughTemporaryFile(const std::wstring& target, const BitmapFileParts& parts) {
    const size_t slash = target.rfind(L'\\');
    std::wstring temp;
    FileHandle file(CreateUniqueFile(slash == std::wstring::npos ? std::wstring() : target.substr(0, slash + 1), temp));
    if (!file) return false;
    bool saved = parts.WriteTo(file.get()) && file.Close() &&
                 MoveFileExW(ExtendedLengthPath(temp).c_str(), ExtendedLengthPath(target).c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!saved) {
        const DWORD error = GetLastError();
        file.Close();
        DeleteFileW(ExtendedLengthPath(temp).c_str());
        SetLastError(error);
    }
    return saved;
}

// Writes over the existing file `target`. The file grows to its new size first, so that a full
// disk fails before any of the old bytes change.
bool WriteInPlace(const std::wstring& target, const BitmapFileParts& parts) {
    // Whoever holds the file may go on reading it.
    FileHandle file(CreateFileW(ExtendedLengthPath(target).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{}, start{}, old{};
    size.QuadPart = static_cast<LONGLONG>(parts.Size());
    if (!GetFileSizeEx(file.get(), &old)) return false;
    if (old.QuadPart < size.QuadPart &&
        !(SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()))) {
        return false;
    }
    return SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) && parts.WriteTo(file.get()) &&
           SetEndOfFile(file.get()) && FlushFileBuffers(file.get()) && file.Close();
}
}  // namespace

bool TBitmap::SaveToFile(const std::wstring& path) {
    if (Empty() || path.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const DWORD attributes = GetFileAttributesW(ExtendedLengthPath(path).c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // Wine renames over a read-only file, and opens one for writing when run as root: the mark
    // is checked here.
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_FILE_READ_ONLY);
        return false;
    }
    const std::string pixels = Pixels();
    if (pixels.empty()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    BitmapFileParts parts;
    parts.info = Info24(width_, height_).bmiHeader;
    parts.pixels = &pixels;
    parts.header.bfType = 0x4D42;  // "BM"
    parts.header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    parts.header.bfSize = parts.header.bfOffBits + static_cast<DWORD>(pixels.size());

    // When both ways fail, the second one's reason concerns the very file the user chose.
    return ReplaceThroughTemporaryFile(path, parts) || (exists && WriteInPlace(path, parts));
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
