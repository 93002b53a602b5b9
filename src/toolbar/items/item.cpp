#include "toolbar/items/item.h"

#include <algorithm>
#include <deque>

#include "toolbar/base/common.h"
#include "toolbar/base/consts.h"
#include "widgets/application.h"
#include "widgets/deferred_call.h"
#include "widgets/hint_text.h"

namespace {

// Process-wide state of the user-interface thread.
int liveItems = 0;
// Items waiting for their deferred click, in posting order; a freed item leaves a null behind.
std::deque<TTBCustomItem*> pendingClicks;

struct ParentHandler {
    std::function<bool(const TComponent*)> accepts;
    TTBItemParentHandler insert;
};
std::vector<ParentHandler>& ParentHandlers() {
    static std::vector<ParentHandler> handlers;
    return handlers;
}

// Link steps a short-cut search may take; a cycle of links ends there.
constexpr int kMaxLinkSteps = 25;

constexpr TTBItemOptions kOptionsThatResize = {tboDefault, tboDropdownArrow, tboImageAboveCaption, tboToolbarStyle,
                                              tboToolbarSize};

void CheckIndex(int index, int count) {
    if (index < 0 || index >= count) throw ETBItemError(STBItemIndexOutOfRange);
}

struct ImageSize {
    int width = 0, height = 0;
    bool operator==(const ImageSize&) const = default;
};

// An absent list counts as one of 0 x 0 images.
ImageSize SizeOf(const TImageList* list) { return list ? ImageSize{list->Width(), list->Height()} : ImageSize{}; }

std::unique_ptr<TTBImageChangeLink> MakeImageChangeLink(TImageList* list, std::function<void(TTBImageChangeLink&)> changed) {
    auto link = std::make_unique<TTBImageChangeLink>();
    link->LastWidth = list->Width();
    link->LastHeight = list->Height();
    TTBImageChangeLink* raw = link.get();
    link->OnChange = [raw, changed](TImageList*) { changed(*raw); };
    list->RegisterChanges(raw);
    return link;
}

void ClickNextPendingItem() {
    if (pendingClicks.empty()) return;
    TTBCustomItem* item = pendingClicks.front();
    pendingClicks.pop_front();
    // The command may free the item, its window or end the program: nothing here runs after it.
    if (item) item->Click();
}

void QueueItemClick(TTBCustomItem* item) {
    pendingClicks.push_back(item);
    PostDeferredCall(ClickNextPendingItem);
}

// Pointers held by TTBItemWatch, each nulled when its item goes.
std::vector<TTBCustomItem**> watchedItems;

// An item being freed is neither clicked later nor left in a watched pointer.
void ForgetItem(const TTBCustomItem* item) {
    std::replace(pendingClicks.begin(), pendingClicks.end(), const_cast<TTBCustomItem*>(item),
                 static_cast<TTBCustomItem*>(nullptr));
    for (TTBCustomItem** watched : watchedItems)
        if (*watched == item) *watched = nullptr;
}

void HandleHelpRequest(int context) {
    if (!Application) return;
    HWND active = GetActiveWindow();
    if (active && (GetWindowLongA(active, GWL_EXSTYLE) & WS_EX_CONTEXTHELP))
        Application->ContextPopupHelp(context);
    else
        Application->HelpContext(context);
}

// --- short-cut search ---------------------------------------------------------------------------

struct ShortCutMatch {
    TTBCustomItem* match = nullptr;
    TTBCustomItem* pathItem = nullptr;  // the direct child the match lies below; null for a direct match
};

// The children shown below `item`, or null when reaching them needs a link step beyond the budget.
TTBCustomItem* ChildrenHolder(TTBCustomItem* item, int& linkSteps) {
    if (!item->LinkSubitems()) return item;
    if (linkSteps == 0) return nullptr;
    --linkSteps;
    return item->LinkSubitems();
}

TTBCustomItem* FindShortCutBelow(TTBCustomItem* item, TShortCut shortCut, int linkSteps) {
    TTBCustomItem* holder = ChildrenHolder(item, linkSteps);
    if (!holder) return nullptr;
    for (int i = 0; i < holder->Count(); ++i) {
        TTBCustomItem* child = holder->Items(i);
        if (child->ShortCut() == shortCut) return child;
        if (TTBCustomItem* found = FindShortCutBelow(child, shortCut, linkSteps)) return found;
    }
    return nullptr;
}

ShortCutMatch FindShortCut(TTBCustomItem* start, TShortCut shortCut, int linkSteps) {
    TTBCustomItem* holder = ChildrenHolder(start, linkSteps);
    if (!holder) return {};
    for (int i = 0; i < holder->Count(); ++i) {
        TTBCustomItem* child = holder->Items(i);
        if (child->ShortCut() == shortCut) return {child, nullptr};
        if (TTBCustomItem* found = FindShortCutBelow(child, shortCut, linkSteps)) return {found, child};
    }
    return {};
}

// What opening `current`'s submenu would do: the actions update, the popup events run.
void PrepareSubmenu(TTBCustomItem* current) {
    TTBCustomItem* parent = current->EffectiveParent();
    for (int i = 0; i < parent->Count(); ++i) parent->Items(i)->UpdateFromAction();
    if (current->ItemStyle() & isfEmbeddedGroup) return;
    GuardedCall([&] {
        if (parent != current) parent->RunPopupEvent(current, true);
        current->RunPopupEvent(current, false);
    });
}

}  // namespace

TTBItemOptions NormalizeItemOptions(TTBItemOptions options) {
    return options.contains(tboToolbarStyle) ? options : options - tboToolbarSize;
}

// === construction and destruction ===============================================================

TTBCustomItem::TTBCustomItem(TComponent* owner) : TComponent(owner) { ++liveItems; }

TTBCustomItem::~TTBCustomItem() {
    ForgetItem(this);
    while (!items_.empty()) delete items_.back();  // each child removes itself
    if (parent_) parent_->Remove(this);
    actionLink_.reset();
    imagesLink_.reset();
    subitemImagesLink_.reset();
    // The link bonds both ways are undone here, while both ends are whole; the free
    // notifications that follow find nothing left to clear.
    if (linkSubitems_) linkSubitems_->RemoveLinkParent(this);
    linkSubitems_ = nullptr;
    if (linkParents_) {
        while (linkParents_ && !linkParents_->empty()) linkParents_->back()->LinkedItemDestroyed();
    }
    notifyList_.reset();
    if (--liveItems == 0) ReleaseIdleDeferredCallWindow();
}

int TTBCustomItem::LiveItemCount() { return liveItems; }

// === tree =======================================================================================

TTBCustomItem* TTBCustomItem::Items(int index) const {
    CheckIndex(index, Count());
    return items_[index];
}

int TTBCustomItem::IndexOf(const TTBCustomItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

bool TTBCustomItem::ContainsItem(const TTBCustomItem* item) const {
    for (const TTBCustomItem* p = item; p; p = p->parent_)
        if (p == this) return true;
    return false;
}

template <class F>
void TTBCustomItem::WithinUpdate(F&& body) {
    Notify(inkBeginUpdate, -1, nullptr);
    try {
        body();
    } catch (...) {
        Notify(inkEndUpdate, -1, nullptr);
        throw;
    }
    Notify(inkEndUpdate, -1, nullptr);
}

void TTBCustomItem::Insert(int index, TTBCustomItem* item) {
    if (item->parent_) throw ETBItemError(STBItemAlreadyInserted);
    if (index < 0 || index > Count()) throw ETBItemError(STBItemIndexOutOfRange);
    // A root item has no parent, so the first check lets it through; below itself it would
    // make a cycle that every walk of the tree follows for ever.
    if (item->ContainsItem(this)) throw ETBItemError(STBItemInsertedUnderItself);
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    WithinUpdate([&] {
        Notify(inkInserted, index, item);
        item->RecalcEffectiveOptions();
    });
}

void TTBCustomItem::Delete(int index) {
    CheckIndex(index, Count());
    TTBCustomItem* item = items_[index];
    Notify(inkDeleting, index, item);
    item->parent_ = nullptr;
    // By identity: an observer may have changed the array meanwhile.
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it != items_.end()) items_.erase(it);
}

void TTBCustomItem::Remove(TTBCustomItem* item) {
    int index = IndexOf(item);
    if (index >= 0) Delete(index);
}

void TTBCustomItem::Move(int currentIndex, int newIndex) {
    if (currentIndex == newIndex) return;
    // Both indexes first: a failure inside the update pair would leave the views frozen.
    CheckIndex(currentIndex, Count());
    CheckIndex(newIndex, Count());
    WithinUpdate([&] {
        TTBCustomItem* item = items_[currentIndex];
        Delete(currentIndex);
        Insert(newIndex, item);
    });
}

// === change notification ========================================================================

void TTBCustomItem::RegisterNotification(TTBItemObserver* observer) {
    if (!notifyList_) notifyList_ = std::make_unique<std::vector<Registration>>();
    for (Registration& r : *notifyList_) {
        if (r.observer == observer) {
            ++r.count;
            return;
        }
    }
    notifyList_->push_back({observer, 1});
}

void TTBCustomItem::UnregisterNotification(TTBItemObserver* observer) {
    if (!notifyList_) return;
    auto& list = *notifyList_;
    auto it = std::find_if(list.begin(), list.end(), [&](const Registration& r) { return r.observer == observer; });
    if (it == list.end() || --it->count > 0) return;
    list.erase(it);
    if (list.empty()) notifyList_.reset();
}

void TTBCustomItem::Notify(TTBItemNotifyKind kind, int index, TTBCustomItem* item) {
    RelayToEmbeddingParents(kind, index, item);
    CallObservers(this, kind, index, item);
}

void TTBCustomItem::RelayToEmbeddingParents(TTBItemNotifyKind kind, int index, TTBCustomItem* item) {
    if ((itemStyle_ & isfEmbeddedGroup) && parent_) parent_->CallObservers(this, kind, index, item);
    // Items that show this one's children through LinkSubitems relay as if the change were theirs.
    for (std::size_t i = 0; linkParents_ && i < linkParents_->size();) {
        TTBCustomItem* linkParent = (*linkParents_)[i];
        if (linkParent != parent_ && (linkParent->itemStyle_ & isfEmbeddedGroup) && linkParent->parent_)
            linkParent->parent_->CallObservers(linkParent, kind, index, item);
        if (linkParents_ && i < linkParents_->size() && (*linkParents_)[i] == linkParent) ++i;
    }
}

void TTBCustomItem::CallObservers(TTBCustomItem* sender, TTBItemNotifyKind kind, int index, TTBCustomItem* item) {
    // An observer may unregister itself or others from its callback, down to freeing the list.
    for (std::size_t pos = 0; notifyList_ && pos < notifyList_->size();) {
        TTBItemObserver* observer = (*notifyList_)[pos].observer;
        observer->ItemNotification(sender, sender != this, kind, index, item);
        if (notifyList_ && pos < notifyList_->size() && (*notifyList_)[pos].observer == observer) ++pos;
    }
}

void TTBCustomItem::Changed(bool needResize) {
    if (parent_) parent_->Notify(needResize ? inkInvalidateAndResize : inkInvalidate, -1, this);
}

void TTBCustomItem::EnabledChanged() { Changed(false); }

void TTBCustomItem::SetName(const std::string& name) {
    if (name == Name()) return;
    TComponent::SetName(name);
    if (parent_) parent_->Notify(inkNameChanged, -1, this);
}

// === options ====================================================================================

void TTBCustomItem::RecalcEffectiveOptions() {
    TTBItemOptions inherited = inheritOptions_ && parent_ ? parent_->effectiveOptions_ - tboDefault : TTBItemOptions{};
    TTBItemOptions result = NormalizeItemOptions((inherited - maskOptions_) + options_);
    if (result == effectiveOptions_) return;
    TTBItemOptions changed = (result - effectiveOptions_) + (effectiveOptions_ - result);
    effectiveOptions_ = result;
    if (!(changed * kOptionsThatResize).empty()) Changed(true);
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->inheritOptions_) items_[i]->RecalcEffectiveOptions();
}

void TTBCustomItem::SetInheritOptions(bool value) {
    if (value == inheritOptions_) return;
    inheritOptions_ = value;
    RecalcEffectiveOptions();
}

void TTBCustomItem::SetMaskOptions(TTBItemOptions value) {
    if (value == maskOptions_) return;
    maskOptions_ = value;
    RecalcEffectiveOptions();
}

void TTBCustomItem::SetOptions(TTBItemOptions value) {
    value = NormalizeItemOptions(value);
    if (value == options_) return;
    options_ = value;
    RecalcEffectiveOptions();
}

// === simple properties ==========================================================================

void TTBCustomItem::SetAutoCheck(bool value) { autoCheck_ = value; }

void TTBCustomItem::SetCaption(const std::string& value) {
    if (value == caption_) return;
    caption_ = value;
    Changed(true);
}

void TTBCustomItem::SetChecked(bool value) {
    if (value == checked_) return;
    checked_ = value;
    Changed(false);
    if (value) UncheckGroupSiblings();
}

void TTBCustomItem::UncheckGroupSiblings() {
    if (groupIndex_ == 0 || !parent_) return;
    for (std::size_t i = 0; i < parent_->items_.size(); ++i) {
        TTBCustomItem* sibling = parent_->items_[i];
        if (sibling != this && sibling->groupIndex_ == groupIndex_) sibling->SetChecked(false);
    }
}

void TTBCustomItem::SetDisplayMode(TTBItemDisplayMode value) {
    if (value == displayMode_) return;
    displayMode_ = value;
    Changed(true);
}

void TTBCustomItem::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    EnabledChanged();
}

void TTBCustomItem::SetGroupIndex(int value) {
    if (value == groupIndex_) return;
    groupIndex_ = value;
    if (checked_) UncheckGroupSiblings();
}

void TTBCustomItem::SetHelpContext(int value) { helpContext_ = value; }

void TTBCustomItem::SetHint(const std::string& value) { hint_ = value; }

void TTBCustomItem::SetImageIndex(int value) {
    if (value == imageIndex_) return;
    bool needResize = (value == -1) != (imageIndex_ == -1);
    imageIndex_ = value;
    Changed(needResize);
}

void TTBCustomItem::SetShortCut(TShortCut value) { shortCut_ = value; }

void TTBCustomItem::SetVisible(bool value) {
    if (value == visible_) return;
    visible_ = value;
    Changed(true);
}

// === image lists ================================================================================

void TTBCustomItem::SetImages(TImageList* value) {
    if (value == images_) return;
    // Reads no size of the old list when the new one is null: it may be going away right now.
    bool needResize = !value || SizeOf(images_) != SizeOf(value);
    imagesLink_.reset();
    images_ = value;
    if (value) {
        imagesLink_ = MakeImageChangeLink(value, [this](TTBImageChangeLink& link) { ImagesChanged(link); });
        value->FreeNotification(this);
    }
    Changed(needResize);
}

void TTBCustomItem::ImagesChanged(TTBImageChangeLink& link) {
    ImageSize now = SizeOf(link.Sender());
    bool resized = now != ImageSize{link.LastWidth, link.LastHeight};
    link.LastWidth = now.width;
    link.LastHeight = now.height;
    Changed(resized);
}

void TTBCustomItem::SetSubitemImages(TImageList* value) {
    if (value == subitemImages_) return;
    subitemImagesLink_.reset();
    subitemImages_ = value;
    if (value) {
        subitemImagesLink_ = MakeImageChangeLink(value, [this](TTBImageChangeLink&) { SubitemImagesChanged(); });
        value->FreeNotification(this);
    }
    SubitemImagesChanged();
}

void TTBCustomItem::SubitemImagesChanged() { Notify(inkSubmenuImagesChanged, -1, nullptr); }

// === linked sub-items ===========================================================================

void TTBCustomItem::SetLinkSubitems(TTBCustomItem* value) {
    if (value == this) value = nullptr;
    if (value == linkSubitems_) return;
    if (linkSubitems_) linkSubitems_->RemoveLinkParent(this);
    linkSubitems_ = value;
    if (value) value->AddLinkParent(this);
    Notify(inkSubitemsChanged, -1, nullptr);
}

void TTBCustomItem::AddLinkParent(TTBCustomItem* item) {
    if (!linkParents_) linkParents_ = std::make_unique<std::vector<TTBCustomItem*>>();
    if (std::find(linkParents_->begin(), linkParents_->end(), item) == linkParents_->end())
        linkParents_->push_back(item);
}

void TTBCustomItem::RemoveLinkParent(TTBCustomItem* item) {
    if (!linkParents_) return;
    std::erase(*linkParents_, item);
    if (linkParents_->empty()) linkParents_.reset();
}

// The linked item is being freed and has already dropped this one from its link parents.
void TTBCustomItem::LinkedItemDestroyed() {
    TTBCustomItem* linked = linkSubitems_;
    linkSubitems_ = nullptr;
    if (linked) linked->RemoveLinkParent(this);
    Notify(inkSubitemsChanged, -1, nullptr);
}

// === free notification ==========================================================================

void TTBCustomItem::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    // The component is past its own destructor: compare pointers, call nothing on it.
    if (actionLink_ && (actionLink_->Action() == component || !actionLink_->Action())) UnlinkAction(component);
    if (static_cast<TComponent*>(images_) == component) SetImages(nullptr);
    if (static_cast<TComponent*>(subitemImages_) == component) SetSubitemImages(nullptr);
}

// === text =======================================================================================

std::string TTBCustomItem::CaptionText() const {
    // A tab is never the second byte of a double-byte character.
    return caption_.substr(0, caption_.find('\t'));
}

std::string TTBCustomItem::ShortCutText() const {
    auto tab = caption_.find('\t');
    if (tab != std::string::npos) return caption_.substr(tab + 1);
    return shortCut_ != 0 ? ShortCutToText(shortCut_) : std::string();
}

std::string TTBCustomItem::HintText() const {
    std::string hint = GetShortHint(hint_);
    if (hint.empty()) return hint;
    auto* action = dynamic_cast<TCustomAction*>(Action());
    if (action && action->DoHint(hint) && Application && Application->HintShortCuts() && action->ShortCut() != 0)
        hint = hint + " (" + ShortCutToText(action->ShortCut()) + ")";
    return hint;
}

// === clicks =====================================================================================

void TTBCustomItem::RunPopupEvent(TTBCustomItem* sender, bool fromLink) {
    if (OnPopup) OnPopup(sender, fromLink);
    if (!(itemStyle_ & isfCombo)) Click();
}

void TTBCustomItem::Click() {
    ProcessPaintMessages();
    if (autoCheck_ && !(actionLink_ && actionLink_->IsAutoCheckLinked())) SetChecked(!checked_);
    TBasicAction* action = Action();
    // Handlers run from copies: they may free this item, and with it its members.
    if (OnClick && action && !IsActionExecuteHandler(OnClick, action)) {
        TNotifyEvent handler = OnClick;
        handler(this);
        return;
    }
    if (actionLink_) {
        actionLink_->Execute(this);
        return;
    }
    if (OnClick) {
        TNotifyEvent handler = OnClick;
        handler(this);
    }
}

void TTBCustomItem::UpdateFromAction() {
    if (actionLink_) actionLink_->Update();
}

bool TTBCustomItem::DispatchShortCut(WORD key, TShiftState shift) {
    TShortCut shortCut = ::ShortCut(key, shift);
    if (shortCut == 0) return false;
    ShortCutMatch found = FindShortCut(this, shortCut, kMaxLinkSteps);
    if (!found.match) return false;
    TTBCustomItem* current = this;
    // Link steps are counted over the whole descent, not per search, and the search from the
    // top is repeated once at most: a cycle of links must not keep the loop going.
    int linkSteps = kMaxLinkSteps;
    bool restarted = false;
    for (;;) {
        if (!current->Enabled()) return false;
        PrepareSubmenu(current);
        found = FindShortCut(current, shortCut, linkSteps);
        if (!found.match) {
            if (restarted) return false;
            restarted = true;
            found = FindShortCut(this, shortCut, kMaxLinkSteps);
            if (!found.match) return false;
            current = this;
            linkSteps = kMaxLinkSteps;
            continue;
        }
        if (found.pathItem) {
            if (current->LinkSubitems()) --linkSteps;
            current = found.pathItem;
            continue;
        }
        if (!found.match->Enabled()) return false;
        TTBCustomItem* match = found.match;
        GuardedCall([match] { match->Click(); });
        return true;
    }
}

// === action link ================================================================================

TBasicAction* TTBCustomItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TTBCustomItem::SetAction(TBasicAction* value) {
    if (!value) {
        UnlinkAction(Action());
        return;
    }
    if (value == Action()) return;
    if (!actionLink_) actionLink_ = std::make_unique<TTBCustomItemActionLink>(this);
    actionLink_->SetAction(value);
    ActionChange(value, false);
    value->FreeNotification(this);
}

// The click handler taken over from the action calls the action itself: it goes with the link,
// else a click after the action is freed runs freed memory. `action` may be past its destructor:
// only its address is compared.
void TTBCustomItem::UnlinkAction(const TComponent* action) {
    const auto* handler = OnClick.target<TActionExecuteHandler>();
    if (handler && action && static_cast<const TComponent*>(handler->action) == action) OnClick = nullptr;
    actionLink_.reset();
}

void TTBCustomItem::ActionChange(TBasicAction* sender, bool checkDefaults) {
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action) return;
    if (!checkDefaults || !autoCheck_) SetAutoCheck(action->AutoCheck());
    if (!checkDefaults || caption_.empty()) SetCaption(action->Caption());
    if (!checkDefaults || !checked_) SetChecked(action->Checked());
    if (!checkDefaults || enabled_) SetEnabled(action->Enabled());
    if (!checkDefaults || helpContext_ == 0) SetHelpContext(action->HelpContext());
    if (!checkDefaults || hint_.empty()) SetHint(action->Hint());
    if (!checkDefaults || imageIndex_ == -1) SetImageIndex(action->ImageIndex());
    if (!checkDefaults || shortCut_ == 0) SetShortCut(action->ShortCut());
    if (!checkDefaults || visible_) SetVisible(action->Visible());
    if (!checkDefaults || !OnClick) OnClick = TActionExecuteHandler{action};
}

void TTBCustomItem::Loaded() {
    TComponent::Loaded();
    if (TBasicAction* action = Action()) ActionChange(action, true);
}

bool TTBCustomItemActionLink::IsAutoCheckLinked() const {
    return TActionLink::IsAutoCheckLinked() && client_->autoCheck_ == CustomAction()->AutoCheck();
}
bool TTBCustomItemActionLink::IsCaptionLinked() const {
    return TActionLink::IsCaptionLinked() && client_->caption_ == CustomAction()->Caption();
}
bool TTBCustomItemActionLink::IsCheckedLinked() const {
    return TActionLink::IsCheckedLinked() && client_->checked_ == CustomAction()->Checked();
}
bool TTBCustomItemActionLink::IsEnabledLinked() const {
    return TActionLink::IsEnabledLinked() && client_->enabled_ == CustomAction()->Enabled();
}
bool TTBCustomItemActionLink::IsHelpContextLinked() const {
    return TActionLink::IsHelpContextLinked() && client_->helpContext_ == CustomAction()->HelpContext();
}
bool TTBCustomItemActionLink::IsHintLinked() const {
    return TActionLink::IsHintLinked() && client_->hint_ == CustomAction()->Hint();
}
bool TTBCustomItemActionLink::IsImageIndexLinked() const {
    return TActionLink::IsImageIndexLinked() && client_->imageIndex_ == CustomAction()->ImageIndex();
}
bool TTBCustomItemActionLink::IsShortCutLinked() const {
    return TActionLink::IsShortCutLinked() && client_->shortCut_ == CustomAction()->ShortCut();
}
bool TTBCustomItemActionLink::IsVisibleLinked() const {
    return TActionLink::IsVisibleLinked() && client_->visible_ == CustomAction()->Visible();
}
bool TTBCustomItemActionLink::IsOnExecuteLinked() const {
    return TActionLink::IsOnExecuteLinked() && IsActionExecuteHandler(client_->OnClick, Action());
}

void TTBCustomItemActionLink::SetAutoCheck(bool value) {
    if (IsAutoCheckLinked()) client_->autoCheck_ = value;
}
void TTBCustomItemActionLink::SetCaption(const std::string& value) {
    if (IsCaptionLinked()) client_->SetCaption(value);
}
void TTBCustomItemActionLink::SetChecked(bool value) {
    if (IsCheckedLinked()) client_->SetChecked(value);
}
void TTBCustomItemActionLink::SetEnabled(bool value) {
    if (IsEnabledLinked()) client_->SetEnabled(value);
}
void TTBCustomItemActionLink::SetHelpContext(int value) {
    if (IsHelpContextLinked()) client_->helpContext_ = value;
}
void TTBCustomItemActionLink::SetHint(const std::string& value) {
    if (IsHintLinked()) client_->hint_ = value;
}
void TTBCustomItemActionLink::SetImageIndex(int value) {
    if (IsImageIndexLinked()) client_->SetImageIndex(value);
}
void TTBCustomItemActionLink::SetShortCut(TShortCut value) {
    if (IsShortCutLinked()) client_->shortCut_ = value;
}
void TTBCustomItemActionLink::SetVisible(bool value) {
    if (IsVisibleLinked()) client_->SetVisible(value);
}

// === stored layouts =============================================================================

void TTBCustomItem::GetChildren(const std::function<void(TComponent* child)>& proc) const {
    for (std::size_t i = 0; i < items_.size(); ++i) proc(items_[i]);
}

void TTBCustomItem::SetChildOrder(TTBCustomItem* child, int order) {
    int index = IndexOf(child);
    if (index >= 0) Move(index, order);
}

TComponent* TTBCustomItem::GetParentComponent() const {
    if (auto* root = dynamic_cast<TTBRootItem*>(parent_); root && root->OwningComponent()) return root->OwningComponent();
    return parent_;
}

void TTBCustomItem::SetParentComponent(TComponent* value) {
    if (parent_) parent_->Remove(this);
    if (!value) return;
    if (auto* item = dynamic_cast<TTBCustomItem*>(value)) {
        item->Add(this);
        return;
    }
    auto& handlers = ParentHandlers();
    for (auto it = handlers.rbegin(); it != handlers.rend(); ++it) {
        if (it->accepts(value)) {
            it->insert(value, this);
            return;
        }
    }
}

void RegisterTBItemParent(std::function<bool(const TComponent*)> accepts, TTBItemParentHandler insert) {
    ParentHandlers().push_back({std::move(accepts), std::move(insert)});
}

bool TTBItem::IsAutoCheckStored() const { return !ActionLink() || !ActionLink()->IsAutoCheckLinked(); }
bool TTBItem::IsCaptionStored() const { return !ActionLink() || !ActionLink()->IsCaptionLinked(); }
bool TTBItem::IsCheckedStored() const { return !ActionLink() || !ActionLink()->IsCheckedLinked(); }
bool TTBItem::IsEnabledStored() const { return !ActionLink() || !ActionLink()->IsEnabledLinked(); }
bool TTBItem::IsHelpContextStored() const { return !ActionLink() || !ActionLink()->IsHelpContextLinked(); }
bool TTBItem::IsHintStored() const { return !ActionLink() || !ActionLink()->IsHintLinked(); }
bool TTBItem::IsImageIndexStored() const { return !ActionLink() || !ActionLink()->IsImageIndexLinked(); }
bool TTBItem::IsShortCutStored() const { return !ActionLink() || !ActionLink()->IsShortCutLinked(); }
bool TTBItem::IsVisibleStored() const { return !ActionLink() || !ActionLink()->IsVisibleLinked(); }
bool TTBItem::IsOnClickStored() const { return !ActionLink() || !ActionLink()->IsOnExecuteLinked(); }

// === other item kinds ===========================================================================

TTBSeparatorItem::TTBSeparatorItem(TComponent* owner) : TTBCustomItem(owner) {
    SetItemStyle((ItemStyle() & ~(isfSelectable | isfRedrawOnSelChange | isfRedrawOnMouseOverChange)) | isfSeparator |
                 isfClicksTransparent);
}

void TTBSeparatorItem::SetBlank(bool value) {
    if (value == blank_) return;
    blank_ = value;
    Changed(false);
}

TTBControlItem::TTBControlItem(TComponent* owner) : TTBCustomItem(owner) {
    SetItemStyle((ItemStyle() & ~isfSelectable) | isfClicksTransparent);
}

TTBControlItem::~TTBControlItem() {
    if (controlNotOwned_) SetControlReachable(true);  // the control outlives the item
    if (control_ && !controlNotOwned_) delete control_;  // its owner's list lets go of it
}

void TTBControlItem::SetControl(TControl* value) {
    if (value == control_) return;
    SetControlReachable(true);  // the old control leaves with its tab stop
    control_ = value;
    if (value) value->FreeNotification(this);
    Changed(true);
}

void TTBControlItem::Notification(TComponent* component, TOperation operation) {
    TTBCustomItem::Notification(component, operation);
    if (operation == opRemove && static_cast<TComponent*>(control_) == component) {
        tabStopTaken_ = false;  // the control is past its destructor
        SetControl(nullptr);
    }
}

// A control in its destructor is no TWinControl any more here: nothing is put back into it.
void TTBControlItem::SetControlReachable(bool value) {
    auto* control = dynamic_cast<TWinControl*>(control_);
    if (!control) return;
    if (value && tabStopTaken_) {
        control->SetTabStop(true);
        tabStopTaken_ = false;
    } else if (!value && !tabStopTaken_ && control->TabStop()) {
        control->SetTabStop(false);
        tabStopTaken_ = true;
    }
}

TTBChevronItem::TTBChevronItem(TComponent* owner, TTBView* parentView)
    : TTBCustomItem(owner), parentView_(parentView) {
    SetItemStyle(ItemStyle() | isfSubmenu | isfNoAutoOpen);
}

// === end of a tracking loop =====================================================================

void RunTrackResult(const TTBTrackResult& result) {
    switch (result.Kind) {
    case trClickItem:
        if (!result.ClickItem) return;
        if (result.Sound) PlaySystemSound(MenuCommandSound);
        QueueItemClick(result.ClickItem);
        return;
    case trSystemMenu:
        SendMessageA(result.Window, WM_SYSCOMMAND, SC_KEYMENU, result.Key);
        return;
    case trHelpContext:
        HandleHelpRequest(result.HelpContext);
        return;
    case trNone:
        return;
    }
}

TTBItemWatch::TTBItemWatch(TTBCustomItem*& item) : item_(item) { watchedItems.push_back(&item_); }

TTBItemWatch::~TTBItemWatch() { std::erase(watchedItems, &item_); }

int PendingItemClicks() {
    return static_cast<int>(std::count_if(pendingClicks.begin(), pendingClicks.end(),
                                          [](const TTBCustomItem* item) { return item != nullptr; }));
}
