#include <gtest/gtest.h>

#include <set>

#include "support/test_env.h"
#include "widgets/graphics.h"
#include "widgets/handles.h"
#include "widgets/wide_text.h"

namespace {

TEST(Bitmap, NewBitmapIsWhiteAndSavesAsA24BitFile) {
    std::string dir = FreshTempDir("bitmap-save");
    TBitmap bitmap;
    bitmap.SetSize(7, 3);  // rows padded to 24 bytes
    EXPECT_EQ(bitmap.Canvas().Pixel(6, 2), RGB(255, 255, 255));
    bitmap.Canvas().SetPixel(0, 0, clRed);
    ASSERT_TRUE(bitmap.SaveToFile(WideFromAnsi(dir + "\\out.bmp")));

    std::string bytes = ReadFileBytes(dir + "\\out.bmp");
    ASSERT_EQ(bytes.size(), 14u + 40u + 3u * 24u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(*reinterpret_cast<const int32_t*>(&bytes[18]), 7);
    EXPECT_EQ(*reinterpret_cast<const int32_t*>(&bytes[22]), 3);
    EXPECT_EQ(*reinterpret_cast<const uint16_t*>(&bytes[28]), 24);
    // Bottom-up rows: the top-left pixel is the first of the last row, stored blue, green, red.
    size_t topLeft = 54 + 2 * 24;
    EXPECT_EQ(static_cast<uint8_t>(bytes[topLeft]), 0);
    EXPECT_EQ(static_cast<uint8_t>(bytes[topLeft + 2]), 255);
    EXPECT_FALSE(FileExists(dir + "\\out.bmp.sorvane-tmp"));
}

TEST(Bitmap, PixelsCopyOneBitmapIntoAnotherAndAWrongSizeChangesNothing) {
    TBitmap source;
    source.SetSize(5, 2);  // rows padded to 16 bytes
    source.Canvas().SetPixel(4, 0, clBlue);
    const std::string pixels = source.Pixels();
    ASSERT_EQ(pixels.size(), 2u * 16u);

    TBitmap copy;
    ASSERT_TRUE(copy.SetPixels(5, 2, pixels));
    EXPECT_EQ(copy.Width(), 5);
    EXPECT_EQ(copy.Canvas().Pixel(4, 0), RGB(0, 0, 255));
    EXPECT_EQ(copy.Canvas().Pixel(0, 1), RGB(255, 255, 255));

    EXPECT_FALSE(copy.SetPixels(6, 2, pixels));  // 6 pixels need 20-byte rows
    EXPECT_FALSE(copy.SetPixels(5, 2, pixels.substr(1)));
    EXPECT_EQ(copy.Width(), 5);
    EXPECT_EQ(copy.Canvas().Pixel(4, 0), RGB(0, 0, 255));
}

// One bitmap serves drawing after drawing: its pixels are read and written in place while its
// context stays, and a bitmap made elsewhere (another format) goes through the system instead.
TEST(Bitmap, PixelsReadAndWrittenInPlaceAgreeWithTheCanvasAndWhitenClearsIt) {
    TBitmap reused;
    reused.SetSize(3, 2);  // rows padded to 12 bytes
    reused.Canvas().SetPixel(2, 1, clRed);  // the canvas's context is made and kept
    std::string pixels = reused.Pixels();
    ASSERT_EQ(pixels.size(), 2u * 12u);
    EXPECT_EQ(pixels.substr(6, 3), std::string("\x00\x00\xFF", 3));  // bottom row first, blue-green-red

    pixels[0] = pixels[1] = pixels[2] = 0;  // bottom-left black
    ASSERT_TRUE(reused.SetPixels(3, 2, pixels));
    EXPECT_EQ(reused.Canvas().Pixel(0, 1), RGB(0, 0, 0));
    EXPECT_EQ(reused.Canvas().Pixel(2, 1), RGB(255, 0, 0));

    reused.Canvas().SetPixel(1, 0, clBlue);
    reused.Whiten();
    const std::string whiteRow = std::string(9, '\xFF') + std::string(3, '\0');  // padding reads as zeros
    EXPECT_EQ(reused.Pixels(), whiteRow + whiteRow);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(reused.Canvas().Pixel(x, 0), RGB(255, 255, 255)) << x;

    TBitmap adopted;
    adopted.Adopt(CreateBitmap(3, 2, 1, 32, nullptr));  // device-dependent, black
    ASSERT_TRUE(adopted.SetPixels(3, 2, pixels));
    EXPECT_EQ(adopted.Pixels(), pixels);
    adopted.Canvas().SetPixel(2, 0, clRed);
    adopted.Whiten();
    EXPECT_EQ(adopted.Canvas().Pixel(2, 0), RGB(255, 255, 255));
}

TEST(Bitmap, FailedSaveKeepsTheExistingFileAndSaysSo) {
    std::string dir = FreshTempDir("bitmap-fail");
    std::string target = dir + "\\keep.bmp";
    ASSERT_TRUE(WriteFileBytes(target, "old"));
    // Held open without sharing, the file cannot be replaced.
    HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    TBitmap bitmap;
    bitmap.SetSize(4, 4);
    EXPECT_FALSE(bitmap.SaveToFile(WideFromAnsi(target)));
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_FALSE(FileExists(target + ".sorvane-tmp"));

    EXPECT_FALSE(bitmap.SaveToFile(WideFromAnsi(dir + "\\no-such-folder\\x.bmp")));
    TBitmap empty;
    EXPECT_FALSE(empty.SaveToFile(WideFromAnsi(dir + "\\empty.bmp")));
    EXPECT_FALSE(FileExists(dir + "\\empty.bmp"));
}

// Listed through the "W" functions, past MAX_PATH too.
std::set<std::wstring> NamesIn(const std::wstring& dir) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(ExtendedLengthPath(dir + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (data.cFileName[0] != L'.') names.insert(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

TEST(Bitmap, PathsAtAndPastTheLengthLimitSaveAndLeaveNothingElse) {
    const std::wstring dir = WideFromAnsi(FreshTempDir("bitmap-limit"));
    // Full path lengths: the ANSI functions end at 259 characters, a name beside the target
    // that is longer than it at fewer.
    for (int length : {200, 248, 249, 254, 259, 260, 300}) {
        const std::wstring folder = dir + L"\\" + std::to_wstring(length);
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        const std::wstring target = folder + L"\\" + std::wstring(length - folder.size() - 5, L'n') + L".bmp";
        ASSERT_EQ(target.size(), static_cast<size_t>(length));
        TBitmap bitmap;
        bitmap.SetSize(3, 2);
        EXPECT_TRUE(bitmap.SaveToFile(target)) << length << " error " << GetLastError();
        const std::string bytes = ReadFileBytes(target);
        EXPECT_EQ(bytes.size(), 14u + 40u + 2u * 12u) << length;
        EXPECT_EQ(bytes.substr(0, 2), "BM") << length;
        EXPECT_EQ(NamesIn(folder), std::set<std::wstring>{FileNameOf(target)}) << length;
    }
}

TEST(Bitmap, AnExistingFileIsReplacedWholeOrKeptAsItWas) {
    const std::string dir = FreshTempDir("bitmap-replace");
    struct Case {
        const char* name;
        DWORD attributes;   // given to the old file
        DWORD heldSharing;  // another handle holds the file sharing this; ~0: none
        bool saved;
        DWORD error;
    };
    const Case cases[] = {
        {"plain", FILE_ATTRIBUTE_NORMAL, ~0u, true, 0},
        // Replaced through a temporary file, the mark would go too (this platform renames over it).
        {"read-only", FILE_ATTRIBUTE_READONLY, ~0u, false, ERROR_FILE_READ_ONLY},
        // The system refuses to rename over it, but it may be written: in place.
        {"held, writes shared", FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE, true, 0},
        {"held, reads shared", FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ, false, ERROR_SHARING_VIOLATION},
    };
    for (const Case& c : cases) {
        const std::string folder = dir + "\\" + std::to_string(&c - cases);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        const std::string target = folder + "\\notes.bmp";
        // The name the temporary file once had: a user's file may have it.
        ASSERT_TRUE(WriteFileBytes(target + ".sorvane-tmp", "mine"));
        ASSERT_TRUE(WriteFileBytes(target, std::string(500, 'o')));  // longer than the new file
        ASSERT_TRUE(SetFileAttributesA(target.c_str(), c.attributes));
        HANDLE held = c.heldSharing == ~0u ? INVALID_HANDLE_VALUE
                                           : CreateFileA(target.c_str(), GENERIC_READ, c.heldSharing, nullptr,
                                                         OPEN_EXISTING, 0, nullptr);
        TBitmap bitmap;
        bitmap.SetSize(2, 2);
        bitmap.Canvas().SetPixel(0, 0, clRed);
        const bool saved = bitmap.SaveToFile(WideFromAnsi(target));
        const DWORD error = GetLastError();
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_EQ(saved, c.saved) << c.name;
        if (!c.saved) {
            EXPECT_EQ(error, c.error) << c.name;
        }
        const std::string bytes = ReadFileBytes(target);
        EXPECT_EQ(bytes.size(), c.saved ? 14u + 40u + 2u * 8u : 500u) << c.name;
        EXPECT_EQ(bytes.substr(0, 2), c.saved ? "BM" : "oo") << c.name;
        EXPECT_EQ(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY, c.attributes & FILE_ATTRIBUTE_READONLY)
            << c.name;
        EXPECT_EQ(ReadFileBytes(target + ".sorvane-tmp"), "mine") << c.name;
        EXPECT_EQ(NamesIn(WideFromAnsi(folder)), (std::set<std::wstring>{L"notes.bmp", L"notes.bmp.sorvane-tmp"}))
            << c.name;
    }
}

TEST(Bitmap, HandleIsFreeOfTheCanvasSoOthersCanSelectIt) {
    TBitmap bitmap;
    bitmap.SetSize(5, 5);
    bitmap.Canvas().SetPixel(1, 1, clBlack);
    HBITMAP handle = bitmap.Handle();
    MemoryDC other;
    HGDIOBJ previous = SelectObject(other.get(), handle);
    EXPECT_NE(previous, nullptr);  // a bitmap still selected elsewhere would be refused
    EXPECT_EQ(GetPixel(other.get(), 1, 1), RGB(0, 0, 0));
    SelectObject(other.get(), previous);
    EXPECT_EQ(bitmap.Canvas().Pixel(1, 1), RGB(0, 0, 0));  // the canvas comes back on demand
}

TEST(Font, FaceNameIsCutWithoutSplittingADoubleByteCharacter) {
    TFont font;
    // 30 bytes of ASCII then a double-byte character: it must not be cut in half at byte 31.
    font.SetName(std::string(30, 'x') + "表");
    LOGFONTA lf = font.LogFont();
    EXPECT_EQ(std::string(lf.lfFaceName), std::string(30, 'x'));
    font.SetName(std::string(29, 'x') + "表");
    EXPECT_EQ(std::string(font.LogFont().lfFaceName), std::string(29, 'x') + "表");
}

TEST(Font, SizeAndHeightFollowNinetySixDotsPerInch) {
    TFont font;
    font.SetSize(30);
    EXPECT_EQ(font.Height(), -40);
    EXPECT_EQ(font.Size(), 30);
    font.SetSize(90);
    EXPECT_EQ(font.Height(), -120);
    int changes = 0;
    font.OnChange = [&] { ++changes; };
    font.SetName("");  // an empty name changes nothing
    font.SetSize(90);
    EXPECT_EQ(changes, 0);
}

TEST(Handles, WrappersReleaseWhatTheyHoldOnce) {
    long gdi = HandleCounters::GdiObjects(), dcs = HandleCounters::DeviceContexts();
    {
        BrushHandle brush(CreateSolidBrush(RGB(1, 2, 3)));
        BrushHandle moved = std::move(brush);
        EXPECT_FALSE(brush);
        EXPECT_TRUE(moved);
        WindowDC screen(nullptr);
        MemoryDC memory(screen.get());
        EXPECT_EQ(HandleCounters::GdiObjects(), gdi + 1);
        EXPECT_EQ(HandleCounters::DeviceContexts(), dcs + 2);
    }
    EXPECT_EQ(HandleCounters::GdiObjects(), gdi);
    EXPECT_EQ(HandleCounters::DeviceContexts(), dcs);
}

TEST(Canvas, ToolsAreSelectedOnlyForOneOperation) {
    MemoryDC dc;
    HGDIOBJ originalFont = GetCurrentObject(dc.get(), OBJ_FONT);
    HGDIOBJ originalBrush = GetCurrentObject(dc.get(), OBJ_BRUSH);
    TCanvas canvas(dc.get());
    canvas.Font().SetSize(20);
    EXPECT_GT(canvas.TextExtent("x").cy, 20);
    canvas.Rectangle(0, 0, 2, 2);
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), originalFont);
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), originalBrush);
    // Changing a tool after drawing deletes its old object at once: it is selected nowhere.
    HFONT used = canvas.Font().Handle();
    canvas.Font().SetSize(40);
    EXPECT_EQ(GetObjectType(used), 0u);
    HBRUSH brush = canvas.Brush().Handle();
    canvas.Brush().SetColor(clRed);
    EXPECT_EQ(GetObjectType(brush), 0u);
}

TEST(Colors, SystemColoursResolveThroughTheWindowSystem) {
    EXPECT_EQ(ColorToRGB(clRed), RGB(255, 0, 0));
    EXPECT_EQ(ColorToRGB(0x00E3D6CC), RGB(0xCC, 0xD6, 0xE3));
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColorToRGB(clHighlight), GetSysColor(COLOR_HIGHLIGHT));
}

}  // namespace
