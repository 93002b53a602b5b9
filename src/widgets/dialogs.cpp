#include "widgets/dialogs.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <vector>

#include "widgets/application.h"
#include "widgets/wide_text.h"

namespace {
// The longest path the file functions take ("\\?\" form), with its terminating zero.
constexpr size_t kLongestPath = 32768;
constexpr wchar_t kGuardProp[] = L"SorvaneSaveDialogGuard";

// The system's dialog (seen on Wine, in both its forms) joins the folder and the typed name in
// a buffer of MAX_PATH characters of its own, and a longer name overwrites its stack. So the
// dialog's own window procedure is wrapped, and an OK whose path would not fit never reaches it.
struct DialogGuard {
    const TSaveDialog* owner;
    WNDPROC original;
};

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The length of the path the dialog makes of the name typed into it.
size_t TypedPathLength(HWND dialog) {
    HWND edit = GetDlgItem(dialog, cmb13);
    if (!edit) edit = GetDlgItem(dialog, edt1);
    const std::wstring typed = edit ? TextOf(edit) : std::wstring();
    if (typed.size() >= 2 && (typed[1] == L':' || (typed[0] == L'\\' && typed[1] == L'\\'))) return typed.size();
    std::vector<wchar_t> folder(kLongestPath, L'\0');
    SendMessageW(dialog, CDM_GETFOLDERPATH, folder.size(), reinterpret_cast<LPARAM>(folder.data()));
    const size_t folderLength = std::wstring(folder.data()).size();
    // "\name" starts at the folder's drive.
    if (!typed.empty() && typed[0] == L'\\') return std::min<size_t>(folderLength, 2) + typed.size();
    return folderLength + 1 + typed.size();
}

LRESULT CALLBACK GuardedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* guard = static_cast<DialogGuard*>(GetPropW(dialog, kGuardProp));
    if (!guard) return DefWindowProcW(dialog, message, wParam, lParam);
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        const size_t extension = guard->owner->DefaultExt.empty() ? 0 : guard->owner->DefaultExt.size() + 1;
        if (TypedPathLength(dialog) + extension >= MAX_PATH) {
            if (guard->owner->OnPathTooLong) GuardedCall([&] { guard->owner->OnPathTooLong(dialog); });
            return 0;
        }
    }
    const WNDPROC original = guard->original;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropW(dialog, kGuardProp);
    }
    return CallWindowProcW(original, dialog, message, wParam, lParam);
}

// Explorer-style dialogs give a hook procedure a child dialog of their own; the parent is the
// system's dialog.
UINT_PTR CALLBACK DialogHook(HWND child, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return 0;
    auto* guard = reinterpret_cast<DialogGuard*>(reinterpret_cast<const OPENFILENAMEW*>(lParam)->lCustData);
    HWND dialog = GetParent(child);
    SetPropW(dialog, kGuardProp, guard);
    guard->original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GuardedDialogProc)));
    return 0;
}
}  // namespace

bool TSaveDialog::Execute(HWND owner) {
    // Split after converting: '|' is also the second byte of double-byte characters such as "ポ".
    std::wstring filter = WideFromAnsi(Filter);
    for (wchar_t& c : filter) {
        if (c == L'|') c = L'\0';
    }
    filter.append(2, L'\0');
    const std::wstring title = WideFromAnsi(Title), defaultExt = WideFromAnsi(DefaultExt);
    std::vector<wchar_t> name(kLongestPath, L'\0');
    FileName.copy(name.data(), name.size() - 1);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
    DialogGuard guard{this, nullptr};
    ofn.lpfnHook = DialogHook;
    ofn.lCustData = reinterpret_cast<LPARAM>(&guard);
    // An existing file is replaced without a question.
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER | OFN_ENABLESIZING |
                OFN_ENABLEHOOK;
    if (!GetSaveFileNameW(&ofn)) return false;
    FileName = name.data();
    return true;
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}
