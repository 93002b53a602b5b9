#include "fonts/api_controls.h"

#include <unordered_set>
#include <vector>

#include "fonts/font_enum.h"
#include "widgets/handles.h"

// --- TAPIControl ------------------------------------------------------------------------------

void TAPIControl::AfterCreate() { MessageDispatcher->RegisterMessage(WM_COMMAND, this); }

void TAPIControl::Show(bool visible) { ShowWindow(Handle(), visible ? SW_SHOWNORMAL : SW_HIDE); }

// --- TAPIComboBoxBase -------------------------------------------------------------------------

int TAPIComboBoxBase::AddString(const std::string& text) {
    return static_cast<int>(SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int TAPIComboBoxBase::ItemIndex() const {
    return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
}

void TAPIComboBoxBase::SetItemIndex(int index) {
    int previous = ItemIndex();
    if (index == previous) return;
    SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // An index outside the list selects nothing; from no selection that is no change to report.
    if (ItemIndex() == previous) return;
    TMessage notification{WM_COMMAND, MAKEWPARAM(static_cast<WORD>(ControlId()), CBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(Handle()), 0};
    HandleMessage(notification);  // may free this object (a callback destroying the window)
}

std::string TAPIComboBoxBase::Items(int index) const {
    LRESULT length = SendMessageA(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return {};  // CB_ERR outside the list
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT copied = SendMessageA(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::string TAPIComboBoxBase::SelectedText() const { return Items(ItemIndex()); }

void TAPIComboBoxBase::Clear() { SendMessageA(Handle(), CB_RESETCONTENT, 0, 0); }

int TAPIComboBoxBase::Count() const {
    return static_cast<int>(SendMessageA(Handle(), CB_GETCOUNT, 0, 0));
}

// --- TAPIDDLCombo -----------------------------------------------------------------------------

void TAPIDDLCombo::CreateParams(TAPICreateParams& params) {
    params.Caption.clear();
    params.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL | WS_TABSTOP | CBS_HASSTRINGS |
                   CBS_AUTOHSCROLL | CBS_DROPDOWNLIST;  // 0x54210243; no CBS_SORT
    params.ExStyle = WS_EX_CLIENTEDGE;
    params.X = 50;
    params.Y = 50;
    params.Width = 150;
    params.Height = 32;
    strcpy(params.ClassName, "COMBOBOX");
}

void TAPIDDLCombo::DefaultHandler(TMessage& message) {
    TMessage copy = message;
    // Without a window, LParam 0 would match menu and accelerator commands to the parent
    // (an accelerator's notification code 1 even reads as CBN_SELCHANGE).
    if (copy.Msg != WM_COMMAND || !Handle() || copy.LParam != reinterpret_cast<LPARAM>(Handle()))
        return;
    // CBN_ERRSPACE is -1, which arrives as 0xFFFF in the high word.
    switch (static_cast<short>(HIWORD(copy.WParam))) {
    case CBN_SELCHANGE:
        text_ = SelectedText();
        if (OnChange) OnChange(this, copy);
        break;
    case CBN_ERRSPACE:
        MessageBoxA(ParentHandle(), "ComboBox Control Buffer Full!", "Warning", MB_OK);
        break;
    default:
        break;
    }
}

// --- TEnumFontComboBox ------------------------------------------------------------------------

void TEnumFontComboBox::AfterCreate() {
    TAPIDDLCombo::AfterCreate();
    Clear();
    std::vector<std::string> families;
    {
        WindowDC dc(ParentHandle());
        // Wine reports a family once per character set where Windows reports it once; keep the
        // first report so that each family is listed once either way.
        std::unordered_set<std::string> seen;
        EnumFontFamilies(dc.get(), nullptr, [&](const LOGFONTA& logFont, DWORD) {
            std::string name = FaceName(logFont);
            if (seen.insert(name).second) families.push_back(std::move(name));
        });
    }
    for (const std::string& name : families) AddString(name);
}

void TEnumFontComboBox::GetLogFont(LOGFONTA& logFont) const {
    WindowDC dc(ParentHandle());
    FindFaceLogFont(dc.get(), SelectedText(), logFont);
}
