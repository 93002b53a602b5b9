#include "components/font_name_list_box.h"

#include <utility>

#include "fonts/face_sample.h"
#include "fonts/shaped_text.h"
#include "widgets/exception.h"
#include "widgets/wide_text.h"

// --- the rules -----------------------------------------------------------------------------

namespace {
constexpr TFontNameFilters kOptionalAttributes{fnfPrinter, fnfSymbolFont, fnfJapanese, fnfFixedPitch, fnfLyingFont};
}  // namespace

bool IsFaceListed(const TFaceEntry& face, TFontNameFilters collectFilters, TFontNameFilters exclusiveFilters,
                  const TStringList& visibleFontNames, const TStringList& invisibleFontNames) {
    if (!visibleFontNames.Empty() && visibleFontNames.Contains(face.Name)) return true;
    if (!invisibleFontNames.Empty() && invisibleFontNames.Contains(face.Name)) return false;
    TFontNameFilters a = FaceAttributes(face.Flags, face.Name);
    // In filtering, fnfPrinter means that only the printer has the face.
    if (!(face.Flags & ffPrinterOnly)) a = a - fnfPrinter;
    if (!((a * kOptionalAttributes) - collectFilters).empty()) return false;
    if ((a * collectFilters * fnfFaceTypes).empty()) return false;
    return (exclusiveFilters - a).empty();
}

TFontNameFilters NormaliseExclusiveFilters(TFontNameFilters current, TFontNameFilters wanted) {
    for (TFontNameFilter type : {fnfDevice, fnfVector, fnfRaster, fnfTrueType}) {
        if (wanted.contains(type) && !current.contains(type)) return (wanted - fnfFaceTypes) + type;
    }
    return wanted;
}

TFaceIcon ChooseFaceIcon(TFontNameFilters attributes, TFontNameFilters collectFilters, TFontIconPriority priority) {
    const bool trueType = attributes.contains(fnfTrueType) && collectFilters.contains(fnfTrueType);
    const bool printer = attributes.contains(fnfPrinter) && collectFilters.contains(fnfPrinter);
    if (priority == fipPrinter) return printer ? ficPrinter : trueType ? ficTrueType : ficNone;
    return trueType ? ficTrueType : printer ? ficPrinter : ficNone;
}

void RemoveNames(TStringList& target, const TStringList& names) {
    struct ReportsOff {
        TStringList& list;
        std::function<void()> saved = std::exchange(list.OnChange, nullptr);
        ~ReportsOff() { list.OnChange = std::move(saved); }
    } off{target};
    for (int i = target.Count() - 1; i >= 0; --i) {
        if (names.Contains(target.Strings(i))) target.Delete(i);
    }
}

// --- TFontNameListBox ------------------------------------------------------------------------

TFontNameListBox::TFontNameListBox(TComponent* owner) : TListBox(owner) {
    SetStyle(lbOwnerDrawFixed);
    SetItemHeight(16);
    invisibleFontNames_.OnChange = [this] { InvisibleFontNamesChanged(); };
    visibleFontNames_.OnChange = [this] { VisibleFontNamesChanged(); };
}

TFontNameListBox::~TFontNameListBox() {
    invisibleFontNames_.OnChange = nullptr;
    visibleFontNames_.OnChange = nullptr;
    // The window goes while the fields that its drawing reads still exist.
    TListBox::DestroyWnd();
}

void TFontNameListBox::SetChangeControl(TControl* control) {
    if (control == changeControl_) return;
    if (changeControl_) RemoveFreeNotification(changeControl_);
    changeControl_ = control;
    if (control) {
        FreeNotification(control);
        SetValue(control->Font().Name());
    }
}

void TFontNameListBox::Notification(TComponent* component, TOperation operation) {
    TListBox::Notification(component, operation);
    if (operation == opRemove && component == changeControl_) changeControl_ = nullptr;
}

void TFontNameListBox::SetCollectFilters(TFontNameFilters filters) {
    if (filters == collectFilters_) return;
    collectFilters_ = filters;
    RebuildItems();
}

void TFontNameListBox::SetExclusiveFilters(TFontNameFilters filters) {
    if (filters == exclusiveFilters_) return;
    exclusiveFilters_ = NormaliseExclusiveFilters(exclusiveFilters_, filters);
    RebuildItems();
}

void TFontNameListBox::SetIconVisible(bool value) {
    if (value == iconVisible_) return;
    iconVisible_ = value;
    Invalidate();
}

void TFontNameListBox::SetTextFontFace(bool value) {
    if (value == textFontFace_) return;
    textFontFace_ = value;
    Invalidate();
}

void TFontNameListBox::SetIconPriority(TFontIconPriority priority) {
    if (priority == iconPriority_) return;
    iconPriority_ = priority;
    Invalidate();
}

// Assigning the contents reports the change, which does the rest.
void TFontNameListBox::SetInvisibleFontNames(const TStringList& names) {
    if (!invisibleFontNames_.SameContents(names)) invisibleFontNames_.Assign(names);
}

void TFontNameListBox::SetVisibleFontNames(const TStringList& names) {
    if (!visibleFontNames_.SameContents(names)) visibleFontNames_.Assign(names);
}

void TFontNameListBox::InvisibleFontNamesChanged() {
    RemoveNames(visibleFontNames_, invisibleFontNames_);
    RebuildItems();
}

void TFontNameListBox::VisibleFontNamesChanged() {
    RemoveNames(invisibleFontNames_, visibleFontNames_);
    RebuildItems();
}

uint32_t TFontNameListBox::ItemFlags(int index) const {
    HWND h = HandleOrNull();
    if (!h || index < 0 || index >= Count()) return 0;
    return static_cast<uint32_t>(SendMessageA(h, LB_GETITEMDATA, index, 0));
}

TFontNameFilters TFontNameListBox::FaceAttributes(int index) const {
    if (index < 0 || index >= Count()) return {};
    return ::FaceAttributes(ItemFlags(index), Items(index));
}

bool TFontNameListBox::IsPrinterOnly(int index) const { return (ItemFlags(index) & ffPrinterOnly) != 0; }

// --- items and selection -----------------------------------------------------------------------

std::string TFontNameListBox::Value() const {
    int index = ItemIndex();
    return index >= 0 ? Items(index) : std::string();
}

void TFontNameListBox::SetValue(const std::string& name) {
    // Without a window there are no items to select yet: the window's creation applies it.
    if (Loading() || !HandleAllocated()) {
        pendingValue_ = name;
        return;
    }
    int index = static_cast<int>(
        SendMessageA(HandleOrNull(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str())));
    if (index < 0) index = 0;
    if (index != ItemIndex()) {
        SetItemIndex(index);
        ValueChanged();
    }
}

void TFontNameListBox::PushValueToChangeControl() {
    if (changeControl_) changeControl_->Font().SetName(Value());  // an empty name changes nothing
}

void TFontNameListBox::ValueChanged() {
    PushValueToChangeControl();
    if (OnClick) OnClick(this);
}

void TFontNameListBox::Click() {
    PushValueToChangeControl();
    TListBox::Click();
}

void TFontNameListBox::RebuildItems() {
    if (Loading() || !HandleAllocated()) return;
    Refill(Value());
}

void TFontNameListBox::Refill(const std::string& keep) {
    savedValue_ = keep;
    samples_.clear();
    FillItems();
    // The cleared list had no selection, so this always selects something and reports it.
    SetValue(savedValue_);
}

void TFontNameListBox::FillItems() {
    struct Suspended {
        TFontNameListBox& list;
        explicit Suspended(TFontNameListBox& l) : list(l) { list.BeginUpdate(); }
        ~Suspended() { list.EndUpdate(); }
    } suspended(*this);
    ClearItems();
    for (const TFaceEntry& face : FaceTable()) {
        if (IsFaceListed(face, collectFilters_, exclusiveFilters_, visibleFontNames_, invisibleFontNames_)) AddFace(face);
    }
}

void TFontNameListBox::AddFace(const TFaceEntry& face) {
    int index = AddItem(face.Name);
    if (index < 0) throw EListError("Cannot add the face \"" + face.Name + "\" to the list");
    SendMessageA(HandleOrNull(), LB_SETITEMDATA, index, static_cast<LPARAM>(face.Flags));
}

void TFontNameListBox::Loaded() {
    TListBox::Loaded();
    RebuildItems();
    SetValue(pendingValue_);
}

void TFontNameListBox::AfterCreateWnd() {
    TListBox::AfterCreateWnd();
    if (!Loading() && Count() == 0) Refill(pendingValue_);
}

void TFontNameListBox::DestroyWnd() {
    // Items live in the window: keep the selection for the window made next.
    if (HandleAllocated() && !Loading() && Count() > 0) pendingValue_ = Value();
    TListBox::DestroyWnd();
}

LRESULT TFontNameListBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ENABLE) {
        LRESULT result = TListBox::WndProc(msg, wParam, lParam);
        Invalidate();  // the text colour follows the state
        return result;
    }
    return TListBox::WndProc(msg, wParam, lParam);
}

// --- drawing ---------------------------------------------------------------------------------

namespace {
// XOR leaves the item's background where the icon is black.
void DrawIconXor(TCanvas& canvas, TBitmap& icon, const RECT& rect) {
    int x = rect.left + 2;
    int y = rect.top + (rect.bottom - rect.top - icon.Height()) / 2;
    BitBlt(canvas.Handle(), x, y, icon.Width(), icon.Height(), icon.Canvas().Handle(), 0, 0, SRCINVERT);
}
// Between a name and the sample drawn after it.
constexpr int kSampleGap = 8;

// What a face shows after its name: empty when the canvas's font draws the name itself.
std::wstring FaceSampleFor(TCanvas& canvas, const std::string& name) {
    TFaceSample sample;
    canvas.WithTextTools([&](HDC dc) { sample = ChooseFaceSample(dc, WideFromAnsi(name)); });
    return sample.kind == TSampleKind::Asked ? std::wstring() : sample.text;
}

// Centred in the height of `rect`, cut at its edges as the name is.
void DrawSampleIn(TCanvas& canvas, const std::wstring& sample, const RECT& rect) {
    if (rect.left >= rect.right) return;
    canvas.WithTextTools([&](HDC dc) {
        const SIZE size = ShapedTextExtent(dc, sample);
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
        DrawShapedText(dc, rect.left, rect.top + (rect.bottom - rect.top - size.cy) / 2, sample);
        RestoreDC(dc, saved);
    });
}
}  // namespace

void TFontNameListBox::DrawItem(int index, const RECT& rect, TOwnerDrawState state, TCanvas& canvas) {
    const bool selected = state & ODS_SELECTED;
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(selected ? clHighlight : Color());
    canvas.Font().SetColor(selected ? clHighlightText : Font().Color());
    DrawFontItem(index, rect, canvas);
    if (state & ODS_FOCUS) canvas.DrawFocusRect(rect);
}

void TFontNameListBox::DrawFontItem(int index, const RECT& rect, TCanvas& canvas) {
    canvas.FillRect(rect);
    if (index < 0) return;
    const std::string text = Items(index);
    // A face that cannot draw its own name gets the name in the list's font, so that it can
    // still be found by name, and a sample of what it does draw after it.
    std::wstring sample;
    if (textFontFace_) {
        const TFont own = canvas.Font();
        canvas.Font().SetName(text);
        canvas.Font().SetCharset(DEFAULT_CHARSET);
        auto known = samples_.find(text);
        if (known == samples_.end()) known = samples_.emplace(text, FaceSampleFor(canvas, text)).first;
        sample = known->second;
        if (!sample.empty()) canvas.Font() = own;
    }
    int indent = 2;
    if (iconVisible_) {
        TFaceIcon which = ChooseFaceIcon(FaceAttributes(index), collectFilters_, iconPriority_);
        TBitmap* icon = which == ficTrueType ? TrueTypeIcon() : which == ficPrinter ? DeviceTypeIcon() : nullptr;
        if (icon) DrawIconXor(canvas, *icon, rect);
        indent = 20;
    }
    canvas.Brush().SetStyle(bsClear);
    const bool enabled = Enabled() && (!HandleAllocated() || IsWindowEnabled(HandleOrNull()));
    if (!enabled) canvas.Font().SetColor(clGrayText);
    RECT textRect = rect;
    textRect.left += indent;
    canvas.DrawText(text, textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (sample.empty()) return;
    textRect.left += canvas.TextExtent(text).cx + kSampleGap;
    canvas.Font().SetName(text);
    canvas.Font().SetCharset(DEFAULT_CHARSET);
    DrawSampleIn(canvas, sample, textRect);
}
