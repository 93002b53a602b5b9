#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

#include "components/font_face_table.h"
#include "widgets/list_box.h"
#include "widgets/string_list.h"

enum TFontIconPriority : uint8_t { fipTrueType, fipPrinter };

// Whether the face passes the filters and name lists of a font-name list box.
bool IsFaceListed(const TFaceEntry& face, TFontNameFilters collectFilters, TFontNameFilters exclusiveFilters,
                  const TStringList& visibleFontNames, const TStringList& invisibleFontNames);

// The new ExclusiveFilters value that setting `wanted` over `current` yields: of the face types,
// only the first one that `wanted` adds survives.
TFontNameFilters NormaliseExclusiveFilters(TFontNameFilters current, TFontNameFilters wanted);

// The icon an item shows: the TrueType icon for a TrueType face and the printer icon for a face
// the printer has, each only while CollectFilters admits that attribute; `priority` decides
// which test comes first. At most one.
enum TFaceIcon : uint8_t { ficNone, ficTrueType, ficPrinter };
TFaceIcon ChooseFaceIcon(TFontNameFilters attributes, TFontNameFilters collectFilters, TFontIconPriority priority);

// Deletes from `target` every entry that `names` holds (any case), without change reports.
void RemoveNames(TStringList& target, const TStringList& names);

// A list box of the installed faces (from the process-wide FaceTable), each with an optional
// icon for TrueType and printer faces and optionally drawn in its own face. Items carry their
// FaceFlags words. The items live in the native window: without one the list is empty, and a
// Value given meanwhile is kept as PendingValue until the window is made.
class TFontNameListBox : public TListBox {
public:
    explicit TFontNameListBox(TComponent* owner);
    ~TFontNameListBox() override;

    TControl* ChangeControl() const { return changeControl_; }
    void SetChangeControl(TControl* control);
    TFontNameFilters CollectFilters() const { return collectFilters_; }
    void SetCollectFilters(TFontNameFilters filters);
    TFontNameFilters ExclusiveFilters() const { return exclusiveFilters_; }
    void SetExclusiveFilters(TFontNameFilters filters);
    // The text of the selected item; empty when nothing is selected.
    std::string Value() const;
    void SetValue(const std::string& name);
    bool IconVisible() const { return iconVisible_; }
    void SetIconVisible(bool value);
    bool TextFontFace() const { return textFontFace_; }
    void SetTextFontFace(bool value);
    // Direct edits of the two lists count as settings too.
    TStringList& InvisibleFontNames() { return invisibleFontNames_; }
    void SetInvisibleFontNames(const TStringList& names);
    TStringList& VisibleFontNames() { return visibleFontNames_; }
    void SetVisibleFontNames(const TStringList& names);
    TFontIconPriority IconPriority() const { return iconPriority_; }
    void SetIconPriority(TFontIconPriority priority);

    const std::string& PendingValue() const { return pendingValue_; }
    const std::string& SavedValue() const { return savedValue_; }

    // The item's FaceFlags word (0 outside the list), its attributes (empty outside the list)
    // and whether only the printer has the face.
    uint32_t ItemFlags(int index) const;
    TFontNameFilters FaceAttributes(int index) const;
    bool IsPrinterOnly(int index) const;

    // Refills the items from FaceTable through the filters and selects the face selected before.
    void RebuildItems();

    // Draws item `index` in `rect` on a canvas whose brush and font are prepared for its state.
    void DrawFontItem(int index, const RECT& rect, TCanvas& canvas);
    void DrawItem(int index, const RECT& rect, TOwnerDrawState state, TCanvas& canvas) override;

    void Loaded() override;
    void Click() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void ValueChanged();
    void Notification(TComponent* component, TOperation operation) override;
    void AfterCreateWnd() override;
    void DestroyWnd() override;

private:
    void Refill(const std::string& keep);
    void FillItems();
    void AddFace(const TFaceEntry& face);
    void PushValueToChangeControl();
    void InvisibleFontNamesChanged();
    void VisibleFontNamesChanged();

    TFontNameFilters collectFilters_ = TFontNameFilters::FromBits(255);
    bool iconVisible_ = true;
    TControl* changeControl_ = nullptr;
    bool textFontFace_ = false;
    // The sample each face drew, found once: finding it can read the face's whole character
    // map, and the list paints its rows again and again.
    std::unordered_map<std::string, std::wstring> samples_;
    TStringList invisibleFontNames_;
    std::string pendingValue_;
    std::string savedValue_;
    TFontIconPriority iconPriority_ = fipTrueType;
    TFontNameFilters exclusiveFilters_;
    TStringList visibleFontNames_;
};
