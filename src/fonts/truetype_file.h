#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

// Reads the two things Sorvane needs from a TrueType file before the system sees it: whether
// its structure holds together, and the family name in its own `name` table. Every offset and
// length is checked against the bytes actually present, because a malformed file handed to
// registering it can fault inside the system's font code and hang the next font call.
//
// Only the file's head, the table directory and the `name` table are read, never a whole font.

using TByteSpan = std::span<const uint8_t>;

// The sfnt version is 0x00010000 or 'true'; the table directory and every table lie inside
// the file; a `name` table exists and its count, storage offset and every record lie inside it.
bool IsWellFormedTrueType(const std::wstring& path);
bool IsWellFormedTrueTypeData(TByteSpan file);

// The Windows-platform family name (name ID 1) of a well-formed file, in the ANSI code page,
// cut to 31 bytes without splitting a double-byte character: in the user's default language if
// the file has it, else US English, else the first Windows family name. Empty on any failure.
std::string ReadFamilyNameFromData(TByteSpan file, LANGID preferredLanguage);
// The same name in UTF-16, cut to the 31 units of LOGFONTW's face name as the system cuts the
// face names it lists: inside a surrogate pair if one straddles the limit (measured under
// Wine), so that the name still names the face. The file's is read in the user's language.
std::wstring ReadWideFamilyNameFromData(TByteSpan file, LANGID preferredLanguage);
std::wstring ReadFamilyNameFromFile(const std::wstring& path);

// Cuts `text` (ANSI code page) to at most `maxBytes` bytes, never between the two bytes of a
// double-byte character.
std::string TruncateToBytes(const std::string& text, size_t maxBytes);
