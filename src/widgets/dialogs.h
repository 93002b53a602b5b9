#pragma once
#include <windows.h>

#include <functional>
#include <string>

// The system's save-file dialog, in its Unicode form: the name chosen is a path of the user's
// file system and may hold characters outside the code page.
class TSaveDialog {
public:
    std::string Title;
    std::string Filter;      // "description|pattern|description|pattern"
    std::string DefaultExt;  // appended to a name typed without extension
    std::wstring FileName;
    // Runs instead of accepting a name whose full path, with the default extension, would not
    // fit in MAX_PATH characters; the dialog stays open. `dialog` owns any message shown.
    std::function<void(HWND dialog)> OnPathTooLong;
    // True when the user confirmed a name, which is then in FileName.
    bool Execute(HWND owner);
};

// A modal message box owned by `owner`; returns the button chosen (IDYES, IDOK, ...).
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
