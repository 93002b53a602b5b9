#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "font_test_support.h"

// The columns [0, width) with ink in rows [top, bottom) by `isInk(x, y)`, as runs [first, last]
// from left to right.
template <class IsInk>
std::vector<std::pair<int, int>> InkColumnRuns(int width, int top, int bottom, IsInk isInk) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < width; ++x) {
        bool ink = false;
        for (int y = top; y < bottom && !ink; ++y) ink = isInk(x, y);
        if (!ink) continue;
        if (!runs.empty() && runs.back().second == x - 1) {
            runs.back().second = x;
        } else {
            runs.push_back({x, x});
        }
    }
    return runs;
}

// A generated font registered privately, its `family` selected at `pixels` high into a white
// 32-bit picture twice as high, drawn without smoothing so that ink is black or white.
class FaceCanvas {
public:
    FaceCanvas(const std::string& file, const std::wstring& family, int pixels = 40, int width = 400)
        : path_(TestFont(file)), width_(width), height_(2 * pixels) {
        registered_ = AddFontResourceExW(path_.c_str(), FR_PRIVATE, nullptr) > 0;
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        oldBitmap_ = SelectObject(dc_, bitmap_);
        font_ = CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, family.c_str());
        oldFont_ = SelectObject(dc_, font_);
        Clear();
    }
    ~FaceCanvas() {
        SelectObject(dc_, oldFont_);
        DeleteObject(font_);
        SelectObject(dc_, oldBitmap_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
        if (registered_) RemoveFontResourceExW(path_.c_str(), FR_PRIVATE, nullptr);
    }
    FaceCanvas(const FaceCanvas&) = delete;
    FaceCanvas& operator=(const FaceCanvas&) = delete;

    HDC dc() const { return dc_; }
    // The family is registered and is the one selected, not a substitute.
    bool Selected(const std::wstring& family) const {
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc_, LF_FACESIZE, face);
        return registered_ && family == face;
    }
    void Clear() {
        GdiFlush();
        std::fill(bits_, bits_ + width_ * height_, 0x00FFFFFFu);
    }
    std::vector<uint32_t> Pixels() const {
        GdiFlush();
        return std::vector<uint32_t>(bits_, bits_ + width_ * height_);
    }
    // The columns with ink in rows [top, bottom), as runs [first, last] from left to right.
    std::vector<std::pair<int, int>> InkRuns(int top, int bottom) const {
        GdiFlush();
        return InkColumnRuns(width_, top, bottom,
                             [&](int x, int y) { return (bits_[y * width_ + x] & 0xFFFFFF) != 0xFFFFFF; });
    }

private:
    std::wstring path_;
    int width_, height_;
    bool registered_ = false;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    uint32_t* bits_ = nullptr;
};
