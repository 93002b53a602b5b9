#include "fonts/pixel_runs.h"

#include <cstdint>
#include <cstring>

namespace {

void PutCount(std::string& out, size_t count) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((count >> shift) & 0xFF));
}

bool TakeCount(const std::string& runs, size_t& at, size_t& count) {
    if (runs.size() - at < 4) return false;
    count = 0;
    for (int i = 0; i < 4; ++i) count |= size_t(static_cast<unsigned char>(runs[at + i])) << (8 * i);
    at += 4;
    return true;
}

bool IsWhite(char byte) { return static_cast<unsigned char>(byte) == 0xFF; }

// Where the next white stretch worth a run of its own starts, from `at` on.
size_t NextWhiteRun(const std::string& pixels, size_t at) {
    for (;;) {
        const void* white = std::memchr(pixels.data() + at, 0xFF, pixels.size() - at);
        if (!white) return pixels.size();
        at = static_cast<size_t>(static_cast<const char*>(white) - pixels.data());
        size_t end = at;
        while (end < pixels.size() && end - at < kShortestWhiteRun && IsWhite(pixels[end])) ++end;
        // A short stretch at the very end costs no more as a run than as bytes.
        if (end - at == kShortestWhiteRun || end == pixels.size()) return at;
        at = end;
    }
}

}  // namespace

std::string PixelRuns(const std::string& pixels) {
    std::string runs;
    runs.reserve(pixels.size() / 2);
    for (size_t at = 0; at < pixels.size();) {
        size_t white = at;
        while (white < pixels.size() && IsWhite(pixels[white])) ++white;
        const size_t plain = white < pixels.size() ? NextWhiteRun(pixels, white) : white;
        PutCount(runs, white - at);
        PutCount(runs, plain - white);
        runs.append(pixels, white, plain - white);
        at = plain;
    }
    return runs;
}

std::optional<std::string> PixelsFromRuns(const std::string& runs, size_t size) {
    std::string pixels;
    size_t at = 0, white = 0, plain = 0;
    while (at < runs.size()) {
        if (!TakeCount(runs, at, white) || white > size - pixels.size()) return std::nullopt;
        pixels.append(white, '\xFF');
        if (!TakeCount(runs, at, plain) || plain > size - pixels.size() || plain > runs.size() - at) return std::nullopt;
        pixels.append(runs, at, plain);
        at += plain;
    }
    if (pixels.size() != size) return std::nullopt;
    return pixels;
}
