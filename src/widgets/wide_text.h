#pragma once
#include <string>

// Where the program's own texts (system code page, through the "A" functions) meet what the
// user's file system hands it (UTF-16, through the "W" functions). Paths and file names never
// take the round trip through the code page: a name outside it comes back as a look-alike or
// "?", which can name another file.

// The code-page text as UTF-16.
std::wstring WideFromAnsi(const std::string& text);
// UTF-16 as code-page text for showing only: characters outside the code page become the
// system's look-alikes or "?". Never use the result to reach a file.
std::string AnsiFromWide(const std::wstring& text);

// Locale-aware upper-casing, as the file system compares names.
std::wstring UpperCaseWide(const std::wstring& text);

// Path texts in UTF-16, where only a backslash ends a folder (no double-byte trail bytes).
bool EndsWithBackslash(const std::wstring& path);
std::wstring AddBackslash(const std::wstring& path);
std::wstring RemoveBackslash(const std::wstring& path);
// The file-name part of a path: what follows its last backslash.
std::wstring FileNameOf(const std::wstring& path);

// The form of an absolute path that the file functions take past MAX_PATH characters: "\\?\"
// before a drive path, "\\?\UNC\" for a share. Shorter paths, relative ones and those already
// in that form come back as they are, so that names the system shows stay ordinary.
std::wstring ExtendedLengthPath(const std::wstring& path);
