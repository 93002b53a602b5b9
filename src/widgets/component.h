#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum TOperation : uint8_t { opInsert, opRemove };

// Owner/owned tree of the stored layouts. An owner frees its components in reverse creation
// order; components that asked for FreeNotification hear of each other's end.
class TComponent {
public:
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    virtual void SetName(const std::string& name) { name_ = name; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(index); }

    // Loading state of a stored layout: setters that depend on other properties wait for Loaded.
    bool Loading() const { return loading_; }
    void BeginLoading() { loading_ = true; }
    virtual void Loaded() { loading_ = false; }

    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    // Creates a component owned by `owner` (which frees it); returns a non-owning pointer.
    template <class T, class... Args>
    static T* Create(TComponent* owner, Args&&... args) {
        return new T(owner, std::forward<Args>(args)...);  // the owner's list holds it
    }

protected:
    virtual void Notification(TComponent* component, TOperation operation);

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;  // owned
    std::vector<TComponent*> freeNotifies_;
    bool loading_ = false;
    bool destroying_ = false;
};
