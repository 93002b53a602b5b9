#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "widgets/handles.h"

// 0x00BBGGRR, or a system colour index with the high byte set.
using TColor = uint32_t;
constexpr TColor clSystemColor = 0xFF000000;
constexpr TColor clBlack = 0x000000, clWhite = 0xFFFFFF, clRed = 0x0000FF, clBlue = 0xFF0000,
                 clGray = 0x808080, clSilver = 0xC0C0C0, clNavy = 0x800000;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE, clBtnShadow = clSystemColor | COLOR_BTNSHADOW,
                 clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT, clBtnText = clSystemColor | COLOR_BTNTEXT,
                 clHighlight = clSystemColor | COLOR_HIGHLIGHT, clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT,
                 clWindow = clSystemColor | COLOR_WINDOW, clWindowText = clSystemColor | COLOR_WINDOWTEXT,
                 clGrayText = clSystemColor | COLOR_GRAYTEXT, clMenuText = clSystemColor | COLOR_MENUTEXT,
                 cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW, cl3DLight = clSystemColor | COLOR_3DLIGHT,
                 clInfoBk = clSystemColor | COLOR_INFOBK, clInfoText = clSystemColor | COLOR_INFOTEXT,
                 clMenu = clSystemColor | COLOR_MENU;

COLORREF ColorToRGB(TColor color);
// Where ColorToRGB looks system colours up: GetSysColor while empty. Tests pose a colour scheme
// here instead of SetSysColors, which would repaint every program on the desktop.
std::function<COLORREF(int index)>& SysColorSource();

// Fills `r` of `dc` with one colour.
void FillSolid(HDC dc, const RECT& r, TColor color);
// A one-pixel 3-D frame: top and left edges in one colour, right and bottom (with the two far
// corners) in the other; `r` moves 1 pixel inwards.
void Frame3D(HDC dc, RECT& r, TColor topLeft, TColor bottomRight);

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;

// A logical font; the GDI font is made on first use and remade after any change.
class TFont {
public:
    TFont();
    TFont(const TFont& other);
    TFont& operator=(const TFont& other);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    // A face name from a font file, made with CreateFontIndirectW so that a name outside the
    // code page, or longer than 31 bytes in it, names the face exactly. Name() holds its
    // code-page look-alike; SetName replaces it.
    void SetWideName(const std::wstring& name);
    int Height() const { return height_; }  // negative: character height in pixels
    void SetHeight(int height);
    int Size() const;                       // points at 96 dots per inch
    void SetSize(int points);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE charset);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);

    HFONT Handle();
    LOGFONTA LogFont() const;
    std::function<void()> OnChange;

private:
    void Changed();

    std::string name_;
    std::wstring wideName_;
    int height_;
    BYTE charset_;
    TColor color_;
    TFontStyles style_ = 0;
    FontHandle handle_;
};

enum TBrushStyle : uint8_t { bsSolid, bsClear };

class TBrush {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);
    HBRUSH Handle();

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    BrushHandle handle_;
};

enum TPenMode : uint8_t { pmCopy, pmXor, pmNot };

class TPen {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Width() const { return width_; }
    void SetWidth(int width);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode mode) { mode_ = mode; }
    int Rop2() const;
    HPEN Handle();

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenMode mode_ = pmCopy;
    PenHandle handle_;
};

class TBitmap;

// Drawing surface over a device context. The font, brush and pen are selected for each
// operation and the context's own objects put back after it, so a tool may replace its GDI
// object between operations without deleting one that is still selected.
class TCanvas {
public:
    TCanvas() = default;
    explicit TCanvas(HDC borrowed) { SetHandle(borrowed); }
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle();
    void SetHandle(HDC dc);  // borrowed; null releases

    TFont& Font() { return font_; }
    TBrush& Brush() { return brush_; }
    TPen& Pen() { return pen_; }

    void FillRect(const RECT& r);
    void FrameRect(const RECT& r);
    void Rectangle(int left, int top, int right, int bottom);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void TextOut(int x, int y, const std::string& text);
    SIZE TextExtent(const std::string& text);
    // UTF-16 text, for what comes from the user's files (names outside the code page).
    void TextOut(int x, int y, const std::wstring& text);
    SIZE TextExtent(const std::wstring& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }
    int DrawText(const std::string& text, RECT& r, UINT format);
    // UTF-16 text, for what comes from the user's files (names outside the code page).
    int DrawText(const std::wstring& text, RECT& r, UINT format);
    // Runs `draw` on the context with the font, text colour and brush that TextOut draws with,
    // for drawings the canvas has no operation for.
    void WithTextTools(const std::function<void(HDC)>& draw);
    void DrawFocusRect(const RECT& r);
    void Draw(int x, int y, TBitmap& bitmap);
    COLORREF Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);

protected:
    virtual HDC CreateHandle() { return nullptr; }
    void ReleaseHandle() { dc_ = nullptr; }

private:
    class ToolScope;
    HDC dc_ = nullptr;
    TFont font_;
    TBrush brush_;
    TPen pen_;
};

// `text`'s extent in `font` on the screen.
SIZE ScreenTextExtent(const TFont& font, const std::string& text);
// The rectangle that DrawText with DT_CALCRECT and `format` gives `text` in `font` on the screen.
RECT ScreenTextRect(const TFont& font, const std::string& text, UINT format);
RECT ScreenTextRect(const TFont& font, const std::wstring& text, UINT format);

// A 24-bit device-independent bitmap, white when made, with its own canvas.
class TBitmap {
public:
    TBitmap();
    ~TBitmap();
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetSize(int width, int height);
    bool Empty() const { return !bitmap_; }

    TCanvas& Canvas();
    // The bitmap handle, free of any device context so that others may select it.
    HBITMAP Handle();
    // Takes a loaded bitmap (for example a resource); the bitmap owns it from now on.
    void Adopt(HBITMAP bitmap);
    bool LoadFromResource(HINSTANCE instance, const char* name);
    // The image as 24-bit rows, bottom-up, each padded to four bytes (a file's pixel array);
    // SetPixels takes the same and fails, changing nothing, when the size does not fit.
    std::string Pixels();
    bool SetPixels(int width, int height, const std::string& pixels);
    // Makes every pixel white, as a new bitmap starts, so that one bitmap serves drawing after
    // drawing without a new bitmap and device context each time.
    void Whiten();

    // Writes a Windows bitmap file (24 bits per pixel). Writes a temporary file of a name no file
    // had beside the target and replaces the target only after the whole file was written, so
    // that a failed save leaves an existing file as it was. A file whose replacement the system
    // refuses (its folder is not writable, another program holds it open) but which may itself
    // be written is written in place. A read-only file is never replaced. On failure nothing of
    // the save is left and GetLastError() says why (ERROR_FILE_READ_ONLY for a read-only file).
    bool SaveToFile(const std::wstring& path);

private:
    class BitmapCanvas;
    std::unique_ptr<BitmapCanvas> canvas_;
    BitmapHandle bitmap_;
    // The pixels of a bitmap made here (24-bit rows as Pixels gives them); null for an adopted
    // one, whose format may differ.
    uint8_t* bits_ = nullptr;
    int width_ = 0, height_ = 0;
};

// Image storage of a TImage: nothing, a bitmap or an icon.
class TPicture {
public:
    TBitmap* Bitmap() const { return bitmap_.get(); }
    HICON Icon() const { return icon_; }
    TBitmap& EnsureBitmap(int width, int height);
    void SetIcon(HICON icon);  // not owned: shared icons from LoadIcon
    void Clear();
    bool Empty() const { return !bitmap_ && !icon_; }
    std::function<void()> OnChange;

private:
    std::unique_ptr<TBitmap> bitmap_;
    HICON icon_ = nullptr;
};
