#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "widgets/action.h"
#include "widgets/component.h"
#include "widgets/control.h"
#include "widgets/enum_set.h"
#include "widgets/exception.h"
#include "widgets/image_list.h"
#include "widgets/short_cut.h"

class TTBCustomItem;
class TTBItemViewer;
class TTBView;
class TTBBaseSkin;

class ETBItemError : public Exception {
public:
    using Exception::Exception;
};

enum TTBItemDisplayMode : uint8_t { nbdmDefault, nbdmTextOnly, nbdmTextOnlyInMenus, nbdmImageAndText };

enum TTBItemOption : uint8_t {
    tboDefault, tboDropdownArrow, tboImageAboveCaption, tboLongHintInMenuOnly, tboShowHint, tboToolbarStyle,
    tboToolbarSize
};

using TTBItemOptions = TEnumSet<TTBItemOption, uint8_t, 7>;

// Options without tboToolbarSize when tboToolbarStyle is missing: one has no meaning alone.
TTBItemOptions NormalizeItemOptions(TTBItemOptions options);

// Item style flags.
using TTBItemStyle = uint16_t;
constexpr TTBItemStyle isfSubmenu = 1 << 0, isfSelectable = 1 << 1, isfSeparator = 1 << 2,
                       isfEmbeddedGroup = 1 << 3, isfClicksTransparent = 1 << 4, isfCombo = 1 << 5,
                       isfNoAutoOpen = 1 << 6, isfNoLineBreak = 1 << 8, isfRightAlign = 1 << 9,
                       isfDontSelectFirst = 1 << 10, isfRedrawOnSelChange = 1 << 11,
                       isfRedrawOnMouseOverChange = 1 << 12;

enum TTBItemNotifyKind : uint8_t {
    inkInserted, inkDeleting, inkSubitemsChanged, inkBeginUpdate, inkEndUpdate, inkInvalidate,
    inkInvalidateAndResize, inkRecreateViewers, inkNameChanged, inkSubmenuImagesChanged
};

// What a view implements to follow the children of an item. Sender is the item where the change
// arose; Relayed tells that it is not the item the observer registered with (an embedded group
// passing its change up). Index and Item are given for the kinds that name a child.
class TTBItemObserver {
public:
    virtual void ItemNotification(TTBCustomItem* Sender, bool Relayed, TTBItemNotifyKind Kind, int Index,
                                  TTBCustomItem* Item) = 0;

protected:
    ~TTBItemObserver() = default;
};

// Which viewer the views make for an item.
enum TTBItemViewerClass : uint8_t { vcItemViewer, vcSeparatorItemViewer, vcChevronItemViewer };

using TTBPopupEvent = std::function<void(TTBCustomItem* Sender, bool FromLink)>;
using TTBSelectEvent = std::function<void(TTBCustomItem* Sender, TTBItemViewer* Viewer, bool Selecting)>;

// An image-list registration that remembers the image size the list had when last seen.
class TTBImageChangeLink : public TChangeLink {
public:
    int LastWidth = 0;
    int LastHeight = 0;
};

class TTBCustomItemActionLink;

// A command of a toolbar or menu, and the node of the item tree. Items hold state only; views
// show them and hear of every change through their registered observers.
class TTBCustomItem : public TComponent {
public:
    explicit TTBCustomItem(TComponent* owner);
    ~TTBCustomItem() override;

    // --- tree. A parent frees its children.
    int Count() const { return static_cast<int>(items_.size()); }
    TTBCustomItem* Items(int index) const;
    TTBCustomItem* Parent() const { return parent_; }
    void Insert(int index, TTBCustomItem* item);
    void Add(TTBCustomItem* item) { Insert(Count(), item); }
    void Delete(int index);
    void Remove(TTBCustomItem* item);
    int IndexOf(const TTBCustomItem* item) const;
    void Move(int currentIndex, int newIndex);
    bool ContainsItem(const TTBCustomItem* item) const;  // the item is this one or below it

    // --- views
    void RegisterNotification(TTBItemObserver* observer);
    void UnregisterNotification(TTBItemObserver* observer);
    // Raises a change of kind `kind` at this item to its observers (and up through embedding groups).
    void Notify(TTBItemNotifyKind kind, int index, TTBCustomItem* item);

    // --- properties
    TBasicAction* Action() const;
    void SetAction(TBasicAction* value);
    TTBCustomItemActionLink* ActionLink() const { return actionLink_.get(); }
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool value);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    TTBItemDisplayMode DisplayMode() const { return displayMode_; }
    void SetDisplayMode(TTBItemDisplayMode value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    TTBItemOptions EffectiveOptions() const { return effectiveOptions_; }
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* value);
    bool InheritOptions() const { return inheritOptions_; }
    void SetInheritOptions(bool value);
    TTBItemStyle ItemStyle() const { return itemStyle_; }
    void SetItemStyle(TTBItemStyle value) { itemStyle_ = value; }
    TTBCustomItem* LinkSubitems() const { return linkSubitems_; }
    void SetLinkSubitems(TTBCustomItem* value);
    TTBItemOptions MaskOptions() const { return maskOptions_; }
    void SetMaskOptions(TTBItemOptions value);
    TTBItemOptions Options() const { return options_; }
    void SetOptions(TTBItemOptions value);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut value);
    TImageList* SubitemImages() const { return subitemImages_; }
    void SetSubitemImages(TImageList* value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    TTBBaseSkin* Skin() const { return skin_; }
    void SetSkin(TTBBaseSkin* value) { skin_ = value; }
    // A number for the program's own use.
    int Tag() const { return tag_; }
    void SetTag(int value) { tag_ = value; }

    // The item whose children are shown under this one: the linked item, else this one.
    TTBCustomItem* EffectiveParent() { return linkSubitems_ ? linkSubitems_ : this; }

    TNotifyEvent OnClick;
    TTBPopupEvent OnPopup;
    TTBSelectEvent OnSelect;

    // --- text helpers
    std::string CaptionText() const;   // the caption up to the first tab
    std::string ShortCutText() const;  // after the caption's tab, else the short-cut's own text
    std::string HintText() const;      // the short hint, with the action's short-cut when asked for

    // --- overridable operations
    virtual void Changed(bool needResize);
    virtual void RunPopupEvent(TTBCustomItem* sender, bool fromLink);
    virtual void EnabledChanged();
    virtual TTBView* ChevronParentView() const { return nullptr; }
    virtual TTBItemViewerClass ViewerClass() const { return vcItemViewer; }
    virtual bool NeedsNewViewer(TTBItemViewer* viewer) const { (void)viewer; return false; }
    virtual void Click();
    virtual void UpdateFromAction();

    // Finds the item with the key's short-cut below this one, runs the popup events of the
    // submenus on the way as opening them would, and clicks it. True when the key was taken.
    bool DispatchShortCut(WORD key, TShiftState shift);

    // --- stored layouts
    void GetChildren(const std::function<void(TComponent* child)>& proc) const;
    void SetChildOrder(TTBCustomItem* child, int order);
    bool HasParent() const { return true; }
    TComponent* GetParentComponent() const;
    void SetParentComponent(TComponent* value);
    void SetName(const std::string& name) override;
    void Loaded() override;

    // Live items of the process (the user-interface thread).
    static int LiveItemCount();

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // Copies the action's properties; with checkDefaults only into properties still at default.
    virtual void ActionChange(TBasicAction* sender, bool checkDefaults);

private:
    friend class TTBCustomItemActionLink;
    struct Registration {
        TTBItemObserver* observer;
        int count;
    };

    void CallObservers(TTBCustomItem* sender, TTBItemNotifyKind kind, int index, TTBCustomItem* item);
    void RelayToEmbeddingParents(TTBItemNotifyKind kind, int index, TTBCustomItem* item);
    template <class F>
    void WithinUpdate(F&& body);
    void RecalcEffectiveOptions();
    void UnlinkAction(const TComponent* action);
    void UncheckGroupSiblings();
    void AddLinkParent(TTBCustomItem* item);
    void RemoveLinkParent(TTBCustomItem* item);
    void LinkedItemDestroyed();
    void ImagesChanged(TTBImageChangeLink& link);
    void SubitemImagesChanged();

    std::unique_ptr<TTBCustomItemActionLink> actionLink_;
    bool autoCheck_ = false;
    std::string caption_;
    bool checked_ = false;
    TTBItemDisplayMode displayMode_ = nbdmDefault;
    bool enabled_ = true;
    TTBItemOptions effectiveOptions_;
    int groupIndex_ = 0;
    int helpContext_ = 0;
    std::string hint_;
    int imageIndex_ = -1;
    TImageList* images_ = nullptr;
    std::unique_ptr<TTBImageChangeLink> imagesLink_;
    std::vector<TTBCustomItem*> items_;  // owned: a parent frees its children
    TTBItemStyle itemStyle_ = isfSelectable | isfRedrawOnSelChange | isfRedrawOnMouseOverChange;
    std::unique_ptr<std::vector<TTBCustomItem*>> linkParents_;
    TTBItemOptions maskOptions_;
    TTBItemOptions options_;
    bool inheritOptions_ = true;
    std::unique_ptr<std::vector<Registration>> notifyList_;
    TTBCustomItem* parent_ = nullptr;
    TShortCut shortCut_ = 0;
    TImageList* subitemImages_ = nullptr;
    std::unique_ptr<TTBImageChangeLink> subitemImagesLink_;
    TTBCustomItem* linkSubitems_ = nullptr;
    bool visible_ = true;
    TTBBaseSkin* skin_ = nullptr;
    int tag_ = 0;
};

// Carries an action's changes into an item, for the properties the item still shows as the
// action had them.
class TTBCustomItemActionLink : public TActionLink {
public:
    explicit TTBCustomItemActionLink(TTBCustomItem* client) : client_(client) {}

    bool IsAutoCheckLinked() const override;
    bool IsCaptionLinked() const override;
    bool IsCheckedLinked() const override;
    bool IsEnabledLinked() const override;
    bool IsHelpContextLinked() const override;
    bool IsHintLinked() const override;
    bool IsImageIndexLinked() const override;
    bool IsShortCutLinked() const override;
    bool IsVisibleLinked() const override;
    bool IsOnExecuteLinked() const override;

    void SetAutoCheck(bool value) override;
    void SetCaption(const std::string& value) override;
    void SetChecked(bool value) override;
    void SetEnabled(bool value) override;
    void SetHelpContext(int value) override;
    void SetHint(const std::string& value) override;
    void SetImageIndex(int value) override;
    void SetShortCut(TShortCut value) override;
    void SetVisible(bool value) override;

private:
    TTBCustomItem* client_;
};

// The invisible root of a toolbar's or popup menu's tree; its owner is that toolbar or menu,
// which its children report as their stored parent.
class TTBRootItem : public TTBCustomItem {
public:
    explicit TTBRootItem(TComponent* owner) : TTBCustomItem(owner), owningComponent_(owner) {}
    TComponent* OwningComponent() const { return owningComponent_; }

private:
    TComponent* owningComponent_;
};

// An ordinary button or menu command.
class TTBItem : public TTBCustomItem {
public:
    using TTBCustomItem::TTBCustomItem;

    // A property that follows the action is left out of the stored layout.
    bool IsAutoCheckStored() const;
    bool IsCaptionStored() const;
    bool IsCheckedStored() const;
    bool IsEnabledStored() const;
    bool IsHelpContextStored() const;
    bool IsHintStored() const;
    bool IsImageIndexStored() const;
    bool IsShortCutStored() const;
    bool IsVisibleStored() const;
    bool IsOnClickStored() const;
};

class TTBSeparatorItem : public TTBCustomItem {
public:
    explicit TTBSeparatorItem(TComponent* owner);
    bool Blank() const { return blank_; }  // takes its space but draws no line
    void SetBlank(bool value);
    TTBItemViewerClass ViewerClass() const override { return vcSeparatorItemViewer; }

private:
    bool blank_ = false;
};

// Hosts a control in a toolbar. Unless told otherwise, freeing the item frees the control.
class TTBControlItem : public TTBCustomItem {
public:
    explicit TTBControlItem(TComponent* owner);
    ~TTBControlItem() override;
    TControl* Control() const { return control_; }
    void SetControl(TControl* value);
    bool ControlNotOwned() const { return controlNotOwned_; }
    void SetControlNotOwned(bool value) { controlNotOwned_ = value; }
    // A control cut off behind the chevron is out of sight, so Tab must not reach it there:
    // false takes a windowed control out of the tab order, true puts back what was taken.
    void SetControlReachable(bool value);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TControl* control_ = nullptr;
    bool controlNotOwned_ = false;
    bool tabStopTaken_ = false;
};

// Lists the buttons of a toolbar that do not fit.
class TTBChevronItem : public TTBCustomItem {
public:
    TTBChevronItem(TComponent* owner, TTBView* parentView);
    TTBView* ChevronParentView() const override { return parentView_; }
    TTBItemViewerClass ViewerClass() const override { return vcChevronItemViewer; }

private:
    TTBView* parentView_;
};

// --- stored parents that are not items (toolbars, popup menus) --------------------------------
// Places `item` under `parent`; registered per class, the latest registration that matches wins.
using TTBItemParentHandler = std::function<void(TComponent* parent, TTBCustomItem* item)>;
void RegisterTBItemParent(std::function<bool(const TComponent*)> accepts, TTBItemParentHandler insert);

template <class T>
void RegisterTBItemParentClass(std::function<void(T* parent, TTBCustomItem* item)> insert) {
    RegisterTBItemParent([](const TComponent* c) { return dynamic_cast<const T*>(c) != nullptr; },
                         [insert](TComponent* parent, TTBCustomItem* item) { insert(static_cast<T*>(parent), item); });
}

// --- what a tracking loop ends with --------------------------------------------------------------
enum TTBTrackResultKind : uint8_t { trNone, trClickItem, trSystemMenu, trHelpContext };

struct TTBTrackResult {
    TTBTrackResultKind Kind = trNone;
    TTBCustomItem* ClickItem = nullptr;  // trClickItem
    bool Sound = false;                  // trClickItem: play the "MenuCommand" sound
    HWND Window = nullptr;               // trSystemMenu: the window whose menu opens
    WORD Key = 0;                        // trSystemMenu: the key that opened it
    int HelpContext = 0;                 // trHelpContext
};

// Keeps a pointer to an item that handlers may free null once the item is freed, for as long
// as the watch lives: the item a loop ends with is held so while the loop tidies up.
class TTBItemWatch {
public:
    explicit TTBItemWatch(TTBCustomItem*& item);
    ~TTBItemWatch();
    TTBItemWatch(const TTBItemWatch&) = delete;
    TTBItemWatch& operator=(const TTBItemWatch&) = delete;

private:
    TTBCustomItem*& item_;
};

// Carries out the end of a tracking loop. An item is clicked later, from a posted message,
// once the loop has unwound; an item freed before then is not clicked.
void RunTrackResult(const TTBTrackResult& result);
int PendingItemClicks();
