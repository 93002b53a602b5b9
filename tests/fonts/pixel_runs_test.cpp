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

// The program checks the runs as they arrive and makes the pixels only when it shows them: both
// must refuse the same runs.
TEST(PixelRuns, RunsThatDoNotMakeUpTheGivenSizeExactlyAreRefused) {
    const std::string runs = Count(0) + Count(1) + "A" + Count(8) + Count(1) + "B";  // 10 bytes
    struct Row {
        const char* what;
        std::string runs;
        size_t size;
        bool whole;
    };
    const Row rows[] = {
        {"exactly the size", runs, 10, true},
        {"more than the size", runs, 9, false},
        {"less than the size", runs, 11, false},
        {"bytes cut off", runs.substr(0, runs.size() - 1), 10, false},
        {"a count cut off", runs.substr(0, 6), 1, false},
        {"bytes counted past the end", Count(0) + Count(100) + "A", 100, false},
        {"white past the size", Count(0xFFFFFFFF) + Count(0), 16, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PixelsFromRuns(row.runs, row.size).has_value(), row.whole) << row.what;
        EXPECT_EQ(RunsMakeUp(row.runs, row.size), row.whole) << row.what;
    }
}

}  // namespace
