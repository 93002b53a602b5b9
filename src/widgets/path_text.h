#pragma once
#include <string>

// Path texts in the system code page, where 0x5C can be the second byte of a double-byte
// character (ソ, 表): only a whole character counts as a backslash.
bool EndsWithBackslash(const std::string& path);
// The path with one backslash appended unless it already ends in one.
std::string AddBackslash(const std::string& path);
// The path without its one trailing backslash, if it has one.
std::string RemoveBackslash(const std::string& path);

// Cuts `text` (ANSI code page) to at most `maxBytes` bytes, never between the two bytes of a
// double-byte character.
std::string TruncateToBytes(const std::string& text, size_t maxBytes);
