#include <gtest/gtest.h>

#include "fonts/pixel_runs.h"

namespace {

std::string White(size_t count) { return std::string(count, '\xFF'); }

std::string Count(uint32_t count) { return std::string(reinterpret_cast<const char*>(&count), 4); }

// The edge is a white stretch of kShortestWhiteRun bytes: one byte shorter stays among the bytes
// taken as they are, except at the very end.
TEST(PixelRuns, WhiteStretchesGetRunsOfTheirOwnFromTheShortestRunOnAndComeBackExactly) {
    struct Row {
        const char* what;
        std::string pixels, runs;
    };
    const Row rows[] = {
        {"nothing", "", ""},
        {"all white", White(24), Count(24) + Count(0)},
        {"no white", "abcde", Count(0) + Count(5) + "abcde"},
        {"a stretch one short", "A" + White(7) + "B", Count(0) + Count(9) + "A" + White(7) + "B"},
        {"a stretch just long enough", "A" + White(8) + "B", Count(0) + Count(1) + "A" + Count(8) + Count(1) + "B"},
        {"a short stretch at the end", "A" + White(3), Count(0) + Count(1) + "A" + Count(3) + Count(0)},
        {"white first", White(9) + "A", Count(9) + Count(1) + "A"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PixelRuns(row.pixels), row.runs) << row.what;
        EXPECT_EQ(PixelsFromRuns(row.runs, row.pixels.size()), row.pixels) << row.what;
    }
}

TEST(PixelRuns, RunsThatDoNotMakeUpTheGivenSizeExactlyAreRefused) {
    const std::string runs = Count(0) + Count(1) + "A" + Count(8) + Count(1) + "B";  // 10 bytes
    EXPECT_TRUE(PixelsFromRuns(runs, 10));
    EXPECT_FALSE(PixelsFromRuns(runs, 9)) << "more than the size";
    EXPECT_FALSE(PixelsFromRuns(runs, 11)) << "less than the size";
    EXPECT_FALSE(PixelsFromRuns(runs.substr(0, runs.size() - 1), 10)) << "bytes cut off";
    EXPECT_FALSE(PixelsFromRuns(runs.substr(0, 6), 1)) << "a count cut off";
    EXPECT_FALSE(PixelsFromRuns(Count(0) + Count(100) + "A", 100)) << "bytes counted past the end";
    EXPECT_FALSE(PixelsFromRuns(Count(0xFFFFFFFF) + Count(0), 16)) << "white past the size";
}

}  // namespace
