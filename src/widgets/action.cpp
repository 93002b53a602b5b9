#include "widgets/action.h"

#include <algorithm>

TBasicAction::~TBasicAction() {
    while (!links_.empty()) links_.back()->SetAction(nullptr);
}

bool TBasicAction::Execute() {
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update() {
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::RegisterChanges(TActionLink* link) {
    if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
}

void TBasicAction::UnRegisterChanges(TActionLink* link) { std::erase(links_, link); }

void TBasicAction::ForEachLink(const std::function<void(TActionLink&)>& write) {
    for (std::size_t i = 0; i < links_.size();) {
        TActionLink* link = links_[i];
        write(*link);
        if (i < links_.size() && links_[i] == link) ++i;
    }
}

bool TCustomAction::Execute() {
    if (!enabled_) return false;
    if (autoCheck_) SetChecked(!checked_);
    return TBasicAction::Execute();
}

// Each setter tells the links while the action still holds the old value, then stores.
void TCustomAction::SetAutoCheck(bool value) {
    if (value == autoCheck_) return;
    ForEachLink([&](TActionLink& link) { link.SetAutoCheck(value); });
    autoCheck_ = value;
}

void TCustomAction::SetCaption(const std::string& value) {
    if (value == caption_) return;
    ForEachLink([&](TActionLink& link) { link.SetCaption(value); });
    caption_ = value;
}

void TCustomAction::SetChecked(bool value) {
    if (value == checked_) return;
    ForEachLink([&](TActionLink& link) { link.SetChecked(value); });
    checked_ = value;
}

void TCustomAction::SetEnabled(bool value) {
    if (value == enabled_) return;
    ForEachLink([&](TActionLink& link) { link.SetEnabled(value); });
    enabled_ = value;
}

void TCustomAction::SetHelpContext(int value) {
    if (value == helpContext_) return;
    ForEachLink([&](TActionLink& link) { link.SetHelpContext(value); });
    helpContext_ = value;
}

void TCustomAction::SetHint(const std::string& value) {
    if (value == hint_) return;
    ForEachLink([&](TActionLink& link) { link.SetHint(value); });
    hint_ = value;
}

void TCustomAction::SetImageIndex(int value) {
    if (value == imageIndex_) return;
    ForEachLink([&](TActionLink& link) { link.SetImageIndex(value); });
    imageIndex_ = value;
}

void TCustomAction::SetShortCut(TShortCut value) {
    if (value == shortCut_) return;
    ForEachLink([&](TActionLink& link) { link.SetShortCut(value); });
    shortCut_ = value;
}

void TCustomAction::SetVisible(bool value) {
    if (value == visible_) return;
    ForEachLink([&](TActionLink& link) { link.SetVisible(value); });
    visible_ = value;
}

bool TCustomAction::DoHint(std::string& hint) {
    bool canShow = true;
    if (OnHint) OnHint(hint, canShow);
    return canShow;
}

TActionLink::~TActionLink() { SetAction(nullptr); }

void TActionLink::SetAction(TBasicAction* action) {
    if (action == action_) return;
    if (action_) action_->UnRegisterChanges(this);
    action_ = action;
    if (action_) action_->RegisterChanges(this);
}

bool TActionLink::Execute(TComponent* component) {
    if (!action_) return false;
    action_->SetActionComponent(component);
    struct ResetComponent {
        TBasicAction* action;
        ~ResetComponent() { action->SetActionComponent(nullptr); }
    };
    // The execute handler may free the client (and this link) but not the action it runs.
    ResetComponent reset{action_};
    return reset.action->Execute();
}

bool TActionLink::Update() { return action_ && action_->Update(); }

bool TActionLink::IsAutoCheckLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsCaptionLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsHelpContextLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsOnExecuteLinked() const { return action_ != nullptr; }

bool IsActionExecuteHandler(const TNotifyEvent& event, const TBasicAction* action) {
    const auto* handler = event.target<TActionExecuteHandler>();
    return handler && handler->action == action;
}
