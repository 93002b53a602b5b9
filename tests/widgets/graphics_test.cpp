#include <gtest/gtest.h>

#include "support/test_env.h"
#include "widgets/graphics.h"
#include "widgets/handles.h"

namespace {

TEST(Bitmap, NewBitmapIsWhiteAndSavesAsA24BitFile) {
    std::string dir = FreshTempDir("bitmap-save");
    TBitmap bitmap;
    bitmap.SetSize(7, 3);  // rows padded to 24 bytes
    EXPECT_EQ(bitmap.Canvas().Pixel(6, 2), RGB(255, 255, 255));
    bitmap.Canvas().SetPixel(0, 0, clRed);
    ASSERT_TRUE(bitmap.SaveToFile(dir + "\\out.bmp"));

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

TEST(Bitmap, FailedSaveKeepsTheExistingFileAndSaysSo) {
    std::string dir = FreshTempDir("bitmap-fail");
    std::string target = dir + "\\keep.bmp";
    ASSERT_TRUE(WriteFileBytes(target, "old"));
    // Held open without sharing, the file cannot be replaced.
    HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    TBitmap bitmap;
    bitmap.SetSize(4, 4);
    EXPECT_FALSE(bitmap.SaveToFile(target));
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_FALSE(FileExists(target + ".sorvane-tmp"));

    EXPECT_FALSE(bitmap.SaveToFile(dir + "\\no-such-folder\\x.bmp"));
    TBitmap empty;
    EXPECT_FALSE(empty.SaveToFile(dir + "\\empty.bmp"));
    EXPECT_FALSE(FileExists(dir + "\\empty.bmp"));
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
