#pragma once
#include <windows.h>

#include <string>

// The system's save-file dialog.
class TSaveDialog {
public:
    std::string Title;
    std::string Filter;      // "description|pattern|description|pattern"
    std::string DefaultExt;  // appended to a name typed without extension
    std::string FileName;
    // True when the user confirmed a name, which is then in FileName.
    bool Execute(HWND owner);
};

// A modal message box owned by `owner`; returns the button chosen (IDYES, IDOK, ...).
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
