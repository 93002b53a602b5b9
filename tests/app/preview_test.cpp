#include "app/main_window_fixture.h"

#include "fonts/temp_font.h"
#include "support/window_count.h"
#include "widgets/handles.h"
#include "widgets/wide_text.h"

namespace {

struct InkBox {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1, count = 0;
    int Height() const { return count ? bottom - top + 1 : 0; }
};

InkBox InkOf(TBitmap& bitmap) {
    InkBox box;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            if (GetRValue(bitmap.Canvas().Pixel(x, y)) >= 128) continue;
            ++box.count;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

// Separate runs of ink along one row: one per glyph box.
int InkRunsOnRow(TBitmap& bitmap, int y) {
    int runs = 0;
    bool inside = false;
    for (int x = 0; x < bitmap.Width(); ++x) {
        bool ink = GetRValue(bitmap.Canvas().Pixel(x, y)) < 128;
        if (ink && !inside) ++runs;
        inside = ink;
    }
    return runs;
}

class PreviewTest : public MainWindowTest {
protected:
    // Scans a folder holding one test font and selects its row, as a user would.
    void SelectFontFile(const std::string& font) {
        dir = FreshTempDir("preview");
        CopyTestFont(font, dir, font);
        ASSERT_TRUE(ScanFolder(dir));
        ASSERT_EQ(form->ListView1->Count(), 1);
        form->ListView1->SetItemIndex(0);
        PumpFor(20);
        ASSERT_FALSE(form->lblSelectedFontName->Caption().empty());
    }
    TBitmap& Preview() { return *form->Image1->Picture().Bitmap(); }
    void Draw(const std::string& text, int size) {
        form->Edit1->SetText(text);
        form->SpinEdit1->SetValue(size);
        form->btnFontPreviewClick(form->btnFontPreview);
    }
    // The note under the preview: shown, and holding `part`.
    bool NoteSays(const std::string& part) {
        const std::string note = AnsiFromWide(form->lblPreviewNote->WideCaption());
        return form->lblPreviewNote->Visible() && note.find(part) != std::string::npos;
    }
    // Clicks the save button when there is nothing to save: no dialog opens, a message says so.
    void ExpectNothingToSave() {
        DialogAnswerer save("イメージ保存", IDCANCEL);
        DialogAnswerer refused("Sorvane", IDOK);
        form->btnSaveFontPreviewClick(form->btnSaveFontPreview);
        PumpFor(100);
        EXPECT_FALSE(save.Answered());
        EXPECT_TRUE(refused.Answered());
        EXPECT_EQ(refused.Text(), "保存できませんでした。\n描画された文字がありません。");
    }
    std::string dir;
};

int32_t BitmapField(const std::string& bytes, size_t offset) {
    return bytes.size() >= offset + 4 ? *reinterpret_cast<const int32_t*>(bytes.data() + offset) : -1;
}

TEST_F(PreviewTest, PreviewIsSizedToTheTextAndDrawnInTheFace) {
    SelectFontFile("SorvaneTestA.ttf");
    EXPECT_FALSE(form->btnSaveFontPreview->Enabled());
    Draw("abc", 30);
    ASSERT_NE(form->Image1->Picture().Bitmap(), nullptr);
    TCanvas& canvas = form->Image1->Canvas();
    EXPECT_EQ(form->Image1->Width(), canvas.TextWidth("abc") * 120 / 100);
    EXPECT_EQ(form->Image1->Height(), canvas.TextHeight("abc"));
    EXPECT_EQ(Preview().Width(), form->Image1->Width());
    EXPECT_EQ(Preview().Height(), form->Image1->Height());
    // Three box glyphs of the test face.
    EXPECT_EQ(InkRunsOnRow(Preview(), Preview().Height() / 2), 3);
    EXPECT_TRUE(form->btnSaveFontPreview->Enabled());
    EXPECT_FALSE(TempFontLoaded);
}

// A Japanese family name longer than the code page's 31 bytes, up to the 31 characters a face
// name holds, is listed whole, and its thumbnail and preview are drawn in it.
TEST_F(PreviewTest, AFamilyNameLongerThan31BytesIsListedWholeAndDrawnInItsFace) {
    struct Case {
        const char* font;
        std::wstring face;
    };
    const Case cases[] = {
        {"longname.ttf", L"SV試験試験試験試験試験試験試験試験"},                            // 34 bytes
        {"longname31.ttf", L"SV試験試験試験試験試験試験試験試験試験試験試験試験試験試験試"},  // 60 bytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.font);
        dir = FreshTempDir(std::string("preview-") + c.font);  // a folder of its own for each scan
        CopyTestFont(c.font, dir, c.font);
        ASSERT_TRUE(ScanFolder(dir));
        ASSERT_EQ(form->ListView1->Count(), 1);
        form->ListView1->SetItemIndex(0);
        PumpFor(20);
        EXPECT_EQ(form->ListView1->WideSubItem(0, 1), c.face);
        EXPECT_EQ(form->lblSelectedFontName->WideCaption(), c.face);
        const int image = form->ListView1->ImageIndex(0);
        ASSERT_GE(image, 0);
        TBitmap thumbnail;
        thumbnail.SetSize(form->ImageList1->Width(), form->ImageList1->Height());
        form->ImageList1->Draw(thumbnail.Canvas().Handle(), 0, 0, image);
        EXPECT_GT(InkOf(thumbnail).count, 100);

        Draw("試験", 30);
        ASSERT_NE(form->Image1->Picture().Bitmap(), nullptr);
        EXPECT_EQ(InkRunsOnRow(Preview(), Preview().Height() / 2), 2);  // two box glyphs of the face
        Draw("", 30);
        EXPECT_GE(InkRunsOnRow(Preview(), Preview().Height() / 2), 5);  // the face name, in boxes
        EXPECT_FALSE(TempFontLoaded);
    }
}

TEST_F(PreviewTest, SizeInPointsSetsTheGlyphHeight) {
    SelectFontFile("SorvaneTestB.ttf");
    Draw("H", 90);
    int tall = InkOf(Preview()).Height();
    Draw("H", 30);
    int normal = InkOf(Preview()).Height();
    Draw("H", 1);
    int tiny = InkOf(Preview()).Height();
    // The box glyph is 0.76 em high: 90 pt = 120 px, 30 pt = 40 px, 1 pt = 1 px at 96 dpi.
    EXPECT_NEAR(tall, 91, 3);
    EXPECT_NEAR(normal, 30, 2);
    EXPECT_LE(tiny, 2);
}

TEST_F(PreviewTest, EmptyTextDrawsTheFaceName) {
    SelectFontFile("SorvaneTestC.ttf");
    Draw("", 30);
    ASSERT_NE(form->Image1->Picture().Bitmap(), nullptr);
    // Measured with the substitute face, so the test face's wide boxes may run past the right edge.
    EXPECT_EQ(form->Image1->Width(), form->Image1->Canvas().TextWidth("SorvaneTestC") * 120 / 100);
    EXPECT_GE(InkRunsOnRow(Preview(), Preview().Height() / 2), 5);
}

TEST_F(PreviewTest, JapaneseTextRendersOneGlyphPerCharacter) {
    SelectFontFile("japanese.ttf");
    Draw("日本語のテキスト", 30);
    ASSERT_NE(form->Image1->Picture().Bitmap(), nullptr);
    // Eight characters, eight boxes: not sixteen single bytes, not one box per byte pair lost.
    EXPECT_EQ(InkRunsOnRow(Preview(), Preview().Height() / 2), 8);
}

// The user's text is drawn as it is; the note under it names the characters the face lacks, each
// once, and goes when nothing is missing.
TEST_F(PreviewTest, TheNoteNamesExactlyTheCharactersTheFaceLacks) {
    struct Case {
        const char* font;
        const char* text;
        const wchar_t* note;  // empty: none shown
        int boxes;  // glyph boxes across the middle row; -1: the system may draw what the face lacks
                    // in a linked font
    };
    const Case cases[] = {
        {"SorvaneTestA.ttf", "漢字a漢b", L"このフォントにない文字: 漢 字 (2)", -1},
        {"SorvaneTestA.ttf", "a b", L"", 2},
        {"SorvaneTestA.ttf", "", L"", -1},  // the face name
        {"kana-only.ttf", "あいabcdefgh", L"このフォントにない文字: a b c d e f \u2026 (8)", -1},
        {"kana-only.ttf", "あい う", L"", 3},
    };
    dir = FreshTempDir("preview-notes");
    CopyTestFont("SorvaneTestA.ttf", dir, "SorvaneTestA.ttf");
    CopyTestFont("kana-only.ttf", dir, "kana-only.ttf");
    ASSERT_TRUE(ScanFolder(dir));
    for (const Case& c : cases) {
        for (int row = 0; row < form->ListView1->Count(); ++row) {
            if (form->ListView1->SubItem(row, 0) == c.font && form->ListView1->ItemIndex() != row) {
                form->ListView1->SetItemIndex(row);
                PumpFor(20);
            }
        }
        ASSERT_EQ(form->lblFontFileName->Caption(), dir + "\\" + c.font);
        Draw(c.text, 30);
        ASSERT_NE(form->Image1->Picture().Bitmap(), nullptr) << c.text;
        EXPECT_EQ(form->lblPreviewNote->WideCaption(), c.note) << c.text;
        EXPECT_EQ(form->lblPreviewNote->Visible(), c.note[0] != 0) << c.text;
        if (form->lblPreviewNote->Visible())
            EXPECT_GE(form->Image1->Top(), form->lblPreviewNote->Top() + form->lblPreviewNote->Height()) << c.text;
        if (c.boxes >= 0) EXPECT_EQ(InkRunsOnRow(Preview(), Preview().Height() / 2), c.boxes) << c.text;
    }
}

TEST_F(PreviewTest, InstalledFaceDrawsWithoutAFile) {
    ASSERT_TRUE(LoadTempFont(WideFromAnsi(TestFontDir() + "\\SorvaneTestD.ttf")));  // stands in for an installed face
    form->lblSelectedFontName->SetCaption("SorvaneTestD");
    form->lblFontFileName->SetCaption("");
    Draw("ab", 30);
    EXPECT_EQ(InkRunsOnRow(Preview(), Preview().Height() / 2), 2);
    UnloadTempFont();

    form->lblSelectedFontName->SetCaption("NoSuchFaceAnywhere");
    Draw("ab", 30);
    ASSERT_NE(form->Image1->Picture().Bitmap(), nullptr);
    EXPECT_EQ(InkOf(Preview()).count, 0);  // an unknown face draws nothing
}

TEST_F(PreviewTest, SavingWritesTheBitmapAndAddsTheExtension) {
    SelectFontFile("SorvaneTestA.ttf");
    Draw("abc", 30);
    std::string target = dir + "\\saved";
    {
        DialogAnswerer save("イメージ保存", IDOK, 0x47C, target);
        DialogAnswerer done("Sorvane", IDOK);
        form->btnSaveFontPreviewClick(form->btnSaveFontPreview);
        ASSERT_TRUE(save.Answered());
        ASSERT_TRUE(done.Answered());
        EXPECT_EQ(done.Text(), "保存しました");
    }
    std::string bytes = ReadFileBytes(target + ".bmp");
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    auto field = [&](size_t offset) { return *reinterpret_cast<const int32_t*>(bytes.data() + offset); };
    EXPECT_EQ(field(18), form->Image1->Width());
    EXPECT_EQ(field(22), form->Image1->Height());
    EXPECT_EQ(*reinterpret_cast<const uint16_t*>(bytes.data() + 28), 24);
    EXPECT_EQ(static_cast<int32_t>(bytes.size()), field(2));
    // Every pixel of the file is the preview's (rows bottom-up, blue-green-red, padded to 4).
    const int width = field(18), height = field(22), stride = (width * 3 + 3) & ~3;
    int differing = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const char* p = bytes.data() + field(10) + (height - 1 - y) * stride + x * 3;
            COLORREF stored = RGB(static_cast<uint8_t>(p[2]), static_cast<uint8_t>(p[1]), static_cast<uint8_t>(p[0]));
            differing += stored != Preview().Canvas().Pixel(x, y);
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(InkOf(Preview()).count, 0);
}

TEST_F(PreviewTest, AFailedSaveSaysWhyAndLeavesTheOldFile) {
    SelectFontFile("SorvaneTestA.ttf");
    Draw("abc", 30);
    struct Case {
        const char* name;
        bool readOnly;
        bool held;  // open elsewhere without sharing
        const char* reason;
    };
    const Case cases[] = {
        {"locked.bmp", false, true, "ほかのプログラムが使用中のファイルです。"},
        // This platform would rename over it and drop the mark.
        {"readonly.bmp", true, false, "読み取り専用のファイルです。"},
    };
    for (const Case& c : cases) {
        const std::string target = dir + "\\" + c.name;
        ASSERT_TRUE(WriteFileBytes(target, "old"));
        if (c.readOnly) {
            ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        HANDLE held = c.held ? CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
        DialogAnswerer save("イメージ保存", IDOK, 0x47C, target);
        DialogAnswerer done("Sorvane", IDOK);
        form->btnSaveFontPreviewClick(form->btnSaveFontPreview);
        PumpFor(50);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_TRUE(save.Answered()) << c.name;
        EXPECT_TRUE(done.Answered()) << c.name;
        EXPECT_EQ(done.Text(), std::string("保存できませんでした。\n") + c.reason) << c.name;
        EXPECT_EQ(ReadFileBytes(target), "old") << c.name;
        EXPECT_EQ(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY,
                  c.readOnly ? DWORD(FILE_ATTRIBUTE_READONLY) : 0u) << c.name;
        EXPECT_FALSE(FileExists(target + ".sorvane-tmp"));
    }
}

TEST_F(PreviewTest, CancellingTheSaveWritesNothingAndSaysNothing) {
    SelectFontFile("SorvaneTestA.ttf");
    Draw("abc", 30);
    DialogAnswerer cancel("イメージ保存", IDCANCEL);
    DialogAnswerer done("Sorvane", IDOK);
    form->btnSaveFontPreviewClick(form->btnSaveFontPreview);
    EXPECT_TRUE(cancel.Answered());
    PumpFor(100);
    EXPECT_FALSE(done.Answered());
    EXPECT_EQ(ReadFileBytes(dir + "\\saved.bmp"), "");
}

TEST_F(PreviewTest, SavesUnderAUnicodeNameBesideItsLookAlikeAndThePictureReadsBack) {
    SelectFontFile("SorvaneTestA.ttf");
    Draw("abc", 30);
    const std::wstring folder = WideFromAnsi(dir) + L"\\\ud55c\uae00 \u7b80\u4f53";  // 한글 简体
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    // What the ANSI functions would make of "Café.bmp": another user's file.
    const std::wstring lookAlike = folder + L"\\Cafe.bmp";
    ASSERT_TRUE(WriteFileBytes(lookAlike, "look-alike"));
    {
        DialogAnswerer save("イメージ保存", IDOK, 0x47C, folder + L"\\Caf\u00e9");
        DialogAnswerer done("Sorvane", IDOK);
        form->btnSaveFontPreviewClick(form->btnSaveFontPreview);
        ASSERT_TRUE(save.Answered());
        ASSERT_TRUE(done.Answered());
        EXPECT_EQ(done.Text(), "保存しました");
    }
    EXPECT_EQ(form->SaveDialog1.FileName, folder + L"\\Caf\u00e9.bmp");
    EXPECT_EQ(ReadFileBytes(lookAlike), "look-alike");
    const std::string bytes = ReadFileBytes(folder + L"\\Caf\u00e9.bmp");
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(BitmapField(bytes, 2), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(BitmapField(bytes, 18), form->Image1->Width());
    EXPECT_EQ(BitmapField(bytes, 22), form->Image1->Height());
}

TEST_F(PreviewTest, APathTypedPastTheLengthLimitIsRefusedAndTheDialogStaysOpen) {
    SelectFontFile("SorvaneTestA.ttf");
    Draw("abc", 30);
    const std::wstring folder = WideFromAnsi(dir) + L"\\";
    // Typed path lengths: with ".bmp" the first fills MAX_PATH to its last character.
    for (size_t length : {255u, 256u, 300u}) {
        std::wstring typed = folder + std::wstring(length - folder.size(), L'n');
        if (length > 256) typed = folder + std::wstring(40, L'd') + L"\\" + std::wstring(length - folder.size() - 41, L'n');
        ASSERT_EQ(typed.size(), length);
        const bool fits = length + 4 < MAX_PATH;
        DialogAnswerer save("イメージ保存", IDOK, 0x47C, typed);
        DialogAnswerer message("Sorvane", IDOK);
        DialogAnswerer cancel("イメージ保存", IDCANCEL);
        cancel.After(message);
        form->btnSaveFontPreviewClick(form->btnSaveFontPreview);
        EXPECT_TRUE(save.Answered()) << length;
        EXPECT_TRUE(message.Answered()) << length;
        EXPECT_EQ(message.Text(), fits ? "保存しました" : "保存できませんでした。\nパスが長すぎます。") << length;
        EXPECT_EQ(cancel.Answered(), !fits) << length;
        EXPECT_EQ(ReadFileBytes(typed + L".bmp").substr(0, 2), fits ? "BM" : "") << length;
    }
}

TEST_F(PreviewTest, AnOversizedDrawingFailsAloneSaysSoAndTheNextOneDraws) {
    SelectFontFile("SorvaneTestA.ttf");
    const int layoutTop = form->Image1->Top();
    // About 830 MB of bitmap: more than the system gives.
    Draw(std::string(30000, 'a'), 90);
    EXPECT_EQ(form->Image1->Picture().Bitmap(), nullptr);
    EXPECT_TRUE(NoteSays("大きすぎて描画できません"));
    EXPECT_GE(form->Image1->Top(), form->lblPreviewNote->Top() + form->lblPreviewNote->Height());
    EXPECT_TRUE(form->btnSaveFontPreview->Enabled());  // as after any failed drawing
    EXPECT_FALSE(TempFontLoaded);
    ExpectNothingToSave();

    Draw("abc", 30);
    ASSERT_NE(form->Image1->Picture().Bitmap(), nullptr);
    EXPECT_EQ(InkRunsOnRow(Preview(), Preview().Height() / 2), 3);
    EXPECT_FALSE(form->lblPreviewNote->Visible());
    EXPECT_EQ(form->Image1->Top(), layoutTop);

    // The other mode, an installed face, draws too.
    Draw(std::string(30000, 'a'), 90);
    ASSERT_TRUE(LoadTempFont(WideFromAnsi(TestFontDir() + "\\SorvaneTestD.ttf")));  // stands in for an installed face
    form->lblSelectedFontName->SetCaption("SorvaneTestD");
    form->lblFontFileName->SetCaption("");
    Draw("ab", 12);
    UnloadTempFont();
    ASSERT_NE(form->Image1->Picture().Bitmap(), nullptr);
    EXPECT_EQ(InkRunsOnRow(Preview(), Preview().Height() / 2), 2);
}

TEST_F(PreviewTest, AFileLockedOrChangedSinceTheScanSaysWhyAndLeavesNothingToSave) {
    SelectFontFile("SorvaneTestA.ttf");
    const std::string file = form->lblFontFileName->Caption();
    HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Draw("abc", 30);
    CloseHandle(held);
    EXPECT_EQ(form->Image1->Picture().Bitmap(), nullptr);
    EXPECT_TRUE(NoteSays("使用中"));
    EXPECT_TRUE(form->btnSaveFontPreview->Enabled());
    ExpectNothingToSave();

    // Another font under the listed name; a new text, as the helper keeps its verdict on the
    // locked file until it stands by.
    CopyTestFont("SorvaneTestB.ttf", dir, "SorvaneTestA.ttf");
    Draw("abcd", 30);
    EXPECT_EQ(form->Image1->Picture().Bitmap(), nullptr);
    EXPECT_TRUE(NoteSays("「SorvaneTestA」がなくなりました"));
    EXPECT_FALSE(TempFontLoaded);
    ExpectNothingToSave();
}

TEST_F(PreviewTest, RepeatedPreviewsAndScansLeaveNoWindowsOrGdiObjectsBehind) {
    SelectFontFile("SorvaneTestA.ttf");
    Draw("warm", 30);  // first use creates lasting objects (fonts of the canvas, caches)
    form->ImagesClear();
    const int windows = CountThreadWindows();
    const long gdi = HandleCounters::GdiObjects();
    for (int i = 0; i < 200; ++i) Draw("abc", 12 + i % 40);
    std::string many = FreshTempDir("preview-many");
    for (int i = 0; i < 200; ++i) CopyTestFont("SorvaneTestB.ttf", many, std::string("f").append(std::to_string(i)).append(".ttf"));
    ASSERT_TRUE(ScanFolder(many));
    EXPECT_EQ(form->ListView1->Count(), 200);
    form->ImagesClear();
    EXPECT_NEAR(CountThreadWindows(), windows, 3);
    EXPECT_NEAR(HandleCounters::GdiObjects(), gdi, 3);
    EXPECT_FALSE(TempFontLoaded);
}

}  // namespace
