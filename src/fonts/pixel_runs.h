#pragma once
#include <optional>
#include <string>

// A thumbnail is mostly white paper: its pixels cross the helper's pipe as runs, each the number
// of white bytes (0xFF), the number of bytes taken as they are, and those bytes, both counts as
// little-endian 32-bit words. That is about a fifth of a thumbnail, which the pipe's server
// copies twice.

// The runs of `pixels`. A white stretch shorter than kShortestWhiteRun bytes stays in the bytes
// taken as they are: a run of its own would cost more.
std::string PixelRuns(const std::string& pixels);
inline constexpr size_t kShortestWhiteRun = 8;

// The pixels that `runs` make up; nothing unless they make up exactly `size` bytes, so that a
// helper gone wrong can make the program neither read past its runs nor build a larger picture.
std::optional<std::string> PixelsFromRuns(const std::string& runs, size_t size);
// Whether PixelsFromRuns(runs, size) makes a picture, found without making it.
bool RunsMakeUp(const std::string& runs, size_t size);
