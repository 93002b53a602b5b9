#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Reads the two things Sorvane needs from a font file before the system sees it: whether its
// structure holds together, and the family name of each face in the face's own `name` table.
// Every offset and length is checked against the bytes actually present, because a malformed
// file handed to registering it can fault inside the system's font code and hang the next font
// call. A file holds one face (TrueType, or OpenType with PostScript outlines) or, as a
// collection, several.
//
// Only the file's head, the table directories and the `name` tables are read, never a whole font.

using TByteSpan = std::span<const uint8_t>;

// More faces than this in one collection are taken for damage: far above any real collection,
// and it keeps checking a hostile file short.
constexpr uint32_t kMaxCollectionFaces = 255;

// A face is well-formed when its sfnt version is 0x00010000, 'true' or 'OTTO' (which also needs
// a `CFF ` table); its table directory and every table lie inside the file; a `name` table exists
// and its count, storage offset and every record lie inside it. A collection ('ttcf', header
// version 1 or 2) is well-formed when it holds 1 to kMaxCollectionFaces faces, its header and
// face list lie inside the file, and every face is well-formed; faces may share tables.
bool IsWellFormedTrueType(const std::wstring& path);
bool IsWellFormedTrueTypeData(TByteSpan file);

// The number of faces of a well-formed file (1 unless it is a collection), 0 for any other.
size_t FontFaceCount(TByteSpan file);
size_t FontFileFaceCount(const std::wstring& path);

// The Windows-platform family name (name ID 1) of a well-formed file's first face, in the ANSI
// code page, cut to 31 bytes without splitting a double-byte character: in the user's default
// language if the file has it, else US English, else the first Windows family name. Empty on
// any failure.
std::string ReadFamilyNameFromData(TByteSpan file, LANGID preferredLanguage);
// The same name in UTF-16, cut to the 31 units of LOGFONTW's face name as the system cuts the
// face names it lists: inside a surrogate pair if one straddles the limit (measured under
// Wine), so that the name still names the face. The file's is read in the user's language.
std::wstring ReadWideFamilyNameFromData(TByteSpan file, LANGID preferredLanguage);
std::wstring ReadFamilyNameFromFile(const std::wstring& path);

// The code-page name of the face `face` (counted from 0 in the file's order); empty when there
// is no such face or the file is not well-formed as a whole.
std::string ReadFaceFamilyNameFromData(TByteSpan file, size_t face, LANGID preferredLanguage);

// The family name of every face, in the file's order, in the user's default language, cut as
// the UTF-16 name above; empty when the file is not well-formed. A face without a Windows family
// name gets an empty string.
std::vector<std::wstring> ReadFaceFamilyNamesFromFile(const std::wstring& path);

