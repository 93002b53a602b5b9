#pragma once
#include "widgets/control.h"

enum TListBoxStyle : uint8_t { lbStandard, lbOwnerDrawFixed };
using TOwnerDrawState = UINT;  // ODS_* bits of the drawing message

// A list of strings, optionally drawn by its owner with items of one height.
class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* owner);

    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle style) { style_ = style; }
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);

    int Count() const;
    std::string Items(int index) const;
    int AddItem(const std::string& text);
    void ClearItems();
    int ItemIndex() const;
    void SetItemIndex(int index);

    // Draws one owner-drawn item; the default draws its text.
    virtual void DrawItem(int index, const RECT& rect, TOwnerDrawState state, TCanvas& canvas);

protected:
    void CreateParams(TCreateParams& params) override;
    bool Command(WORD code, WORD id) override;
    bool DrawItem(DRAWITEMSTRUCT& item) override;
    void AfterCreateWnd() override;

private:
    TListBoxStyle style_ = lbStandard;
    int itemHeight_ = 16;
};
