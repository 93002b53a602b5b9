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

// Walks `runs`, handing each white count to `white` and each stretch taken as it is (where it
// starts in `runs`, its length) to `plain`; false unless they make up exactly `size` bytes.
template <class White, class Plain>
bool WalkRuns(const std::string& runs, size_t size, White white, Plain plain) {
    size_t at = 0, made = 0, whiteCount = 0, plainCount = 0;
    while (at < runs.size()) {
        if (!TakeCount(runs, at, whiteCount) || whiteCount > size - made) return false;
        white(whiteCount);
        made += whiteCount;
        if (!TakeCount(runs, at, plainCount) || plainCount > size - made || plainCount > runs.size() - at) return false;
        plain(at, plainCount);
        made += plainCount;
        at += plainCount;
    }
    return made == size;
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

bool RunsMakeUp(const std::string& runs, size_t size) {
    return WalkRuns(runs, size, [](size_t) {}, [](size_t, size_t) {});
}

std::optional<std::string> PixelsFromRuns(const std::string& runs, size_t size) {
    std::string pixels;
    const bool whole = WalkRuns(
        runs, size, [&](size_t count) { pixels.append(count, '\xFF'); },
        [&](size_t at, size_t count) { pixels.append(runs, at, count); });
    if (!whole) return std::nullopt;
    return pixels;
}
