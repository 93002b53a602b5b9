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

// Each setter: tell the links while the action still holds the old value, then store.
#define ACTION_SETTER(Name, Type, field)                               \
    void TCustomAction::Set##Name(Type value) {                        \
        if (value == field) return;                                    \
        ForEachLink([&](TActionLink& link) { link.Set##Name(value); }); \
        field = value;                                                 \
    }
ACTION_SETTER(AutoCheck, bool, autoCheck_)
ACTION_SETTER(Caption, const std::string&, caption_)
ACTION_SETTER(Checked, bool, checked_)
ACTION_SETTER(Enabled, bool, enabled_)
ACTION_SETTER(HelpContext, int, helpContext_)
ACTION_SETTER(Hint, const std::string&, hint_)
ACTION_SETTER(ImageIndex, int, imageIndex_)
ACTION_SETTER(ShortCut, TShortCut, shortCut_)
ACTION_SETTER(Visible, bool, visible_)
#undef ACTION_SETTER

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
