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

template <class T, class V>
void TCustomAction::Change(T& field, std::type_identity_t<V> value, void (TActionLink::*tell)(V)) {
    if (value == field) return;
    ForEachLink([&](TActionLink& link) { (link.*tell)(value); });
    field = value;
}

void TCustomAction::SetAutoCheck(bool value) { Change(autoCheck_, value, &TActionLink::SetAutoCheck); }
void TCustomAction::SetCaption(const std::string& value) { Change(caption_, value, &TActionLink::SetCaption); }
void TCustomAction::SetChecked(bool value) { Change(checked_, value, &TActionLink::SetChecked); }
void TCustomAction::SetEnabled(bool value) { Change(enabled_, value, &TActionLink::SetEnabled); }
void TCustomAction::SetHelpContext(int value) { Change(helpContext_, value, &TActionLink::SetHelpContext); }
void TCustomAction::SetHint(const std::string& value) { Change(hint_, value, &TActionLink::SetHint); }
void TCustomAction::SetImageIndex(int value) { Change(imageIndex_, value, &TActionLink::SetImageIndex); }
void TCustomAction::SetShortCut(TShortCut value) { Change(shortCut_, value, &TActionLink::SetShortCut); }
void TCustomAction::SetVisible(bool value) { Change(visible_, value, &TActionLink::SetVisible); }

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
