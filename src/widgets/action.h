#pragma once
#include <functional>
#include <type_traits>
#include <string>
#include <vector>

#include "widgets/component.h"
#include "widgets/control.h"
#include "widgets/short_cut.h"

class TActionLink;

// A command shared by several clients (menu items, buttons). Clients follow it through their
// action links.
class TBasicAction : public TComponent {
public:
    using TComponent::TComponent;
    ~TBasicAction() override;

    // The client that executes the action at the moment.
    TComponent* ActionComponent() const { return actionComponent_; }
    void SetActionComponent(TComponent* component) { actionComponent_ = component; }

    // Runs OnExecute; false when there is none.
    virtual bool Execute();
    // Runs OnUpdate, which may change the action's properties; false when there is none.
    virtual bool Update();

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

    void RegisterChanges(TActionLink* link);
    void UnRegisterChanges(TActionLink* link);

protected:
    // Applies `write` to each registered link, by position, so a link may leave meanwhile.
    void ForEachLink(const std::function<void(TActionLink&)>& write);

private:
    std::vector<TActionLink*> links_;
    TComponent* actionComponent_ = nullptr;
};

// An action with the properties a client shows. A setter tells the links before it stores the
// value, so a link can tell whether its client still shows the old one.
class TCustomAction : public TBasicAction {
public:
    using TBasicAction::TBasicAction;

    // A disabled action does nothing; an auto-check action toggles Checked before OnExecute.
    bool Execute() override;

    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool value);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);

    // May change the hint or refuse it (CanShow = false).
    std::function<void(std::string& HintStr, bool& CanShow)> OnHint;
    bool DoHint(std::string& hint);

private:
    template <class T, class V>
    // Tells the links of a new value while the field still holds the old one, then stores it.
    void Change(T& field, std::type_identity_t<V> value, void (TActionLink::*tell)(V));
    bool autoCheck_ = false;
    std::string caption_;
    bool checked_ = false;
    bool enabled_ = true;
    int helpContext_ = 0;
    std::string hint_;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    bool visible_ = true;
};

// A client's end of the bond with an action. The Is*Linked queries say whether a property
// follows the action; the setters carry an action's change into the client.
class TActionLink {
public:
    TActionLink() = default;
    virtual ~TActionLink();
    TActionLink(const TActionLink&) = delete;
    TActionLink& operator=(const TActionLink&) = delete;

    TBasicAction* Action() const { return action_; }
    void SetAction(TBasicAction* action);

    virtual bool Execute(TComponent* component);
    virtual bool Update();

    virtual bool IsAutoCheckLinked() const;
    virtual bool IsCaptionLinked() const;
    virtual bool IsCheckedLinked() const;
    virtual bool IsEnabledLinked() const;
    virtual bool IsHelpContextLinked() const;
    virtual bool IsHintLinked() const;
    virtual bool IsImageIndexLinked() const;
    virtual bool IsShortCutLinked() const;
    virtual bool IsVisibleLinked() const;
    virtual bool IsOnExecuteLinked() const;

    virtual void SetAutoCheck(bool) {}
    virtual void SetCaption(const std::string&) {}
    virtual void SetChecked(bool) {}
    virtual void SetEnabled(bool) {}
    virtual void SetHelpContext(int) {}
    virtual void SetHint(const std::string&) {}
    virtual void SetImageIndex(int) {}
    virtual void SetShortCut(TShortCut) {}
    virtual void SetVisible(bool) {}

protected:
    TCustomAction* CustomAction() const { return dynamic_cast<TCustomAction*>(action_); }

private:
    friend class TBasicAction;
    TBasicAction* action_ = nullptr;
};

// The click handler a client takes over from an action: it runs the action's OnExecute as it
// is at the time of the call. Its type lets a client tell this handler from its own.
struct TActionExecuteHandler {
    TBasicAction* action;
    void operator()(TComponent* sender) const {
        if (action->OnExecute) action->OnExecute(sender);
    }
};

// Whether `event` is the action's execute handler as taken over by a client.
bool IsActionExecuteHandler(const TNotifyEvent& event, const TBasicAction* action);
