#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "fonts/font_enum.h"
#include "fonts/subclass.h"

// Raw system controls on the subclassing framework. Create them with CreateOwnedByWindow<T> or
// TWindowBound<T>: the window must be made after construction.

class TAPIControl : public TSelfSubClass {
public:
    using TSelfSubClass::TSelfSubClass;

    void Show(bool visible);

protected:
    // Registers for WM_COMMAND, the notifications the control sends its parent.
    void AfterCreate() override;
};

class TAPIComboBoxBase : public TAPIControl {
public:
    using TAPIControl::TAPIControl;

    // The text of the selection as last reported.
    const std::string& Text() const { return text_; }

    // Called on CBN_SELCHANGE with the combo box that sent it and a copy of the WM_COMMAND record.
    std::function<void(TAPIComboBoxBase* sender, TMessage& message)> OnChange;

    int AddString(const std::string& text);
    int ItemIndex() const;
    // Selects `index` and notifies as a user's choice would; nothing when the selection stays.
    void SetItemIndex(int index);
    std::string Items(int index) const;  // empty outside the list
    std::string SelectedText() const;
    void Clear();
    int Count() const;

protected:
    std::string text_;
};

// A drop-down list combo box at (50, 50), 150 x 32, entries in the order added.
class TAPIDDLCombo : public TAPIComboBoxBase {
public:
    using TAPIComboBoxBase::TAPIComboBoxBase;

protected:
    void CreateParams(TAPICreateParams& params) override;
    void DefaultHandler(TMessage& message) override;
};

// Filled once, at creation, with the font families of the parent window's device context in the
// system's enumeration order; serves to look a face up.
class TEnumFontComboBox : public TAPIDDLCombo {
public:
    using TAPIDDLCombo::TAPIDDLCombo;

    // The logical font of the selected family: its font in the system code page's character
    // set if it has one, else the last font its enumeration reports. Leaves `logFont` as it was
    // when nothing is selected or the family enumerates no font.
    void GetLogFont(LOGFONTA& logFont) const;

protected:
    void AfterCreate() override;
};
