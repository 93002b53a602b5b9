#pragma once
#include <utility>
#include <vector>

#include "widgets/control.h"

// Creates the components of a stored layout in the loading state and hands each its Loaded,
// in creation order, once the whole layout is in place.
class LayoutBuilder {
public:
    explicit LayoutBuilder(TComponent* owner) : owner_(owner) {}

    template <class T, class... Args>
    T* Make(const char* name, Args&&... args) {
        T* component = TComponent::Create<T>(owner_, std::forward<Args>(args)...);
        component->SetName(name);
        component->BeginLoading();
        made_.push_back(component);
        return component;
    }

    template <class T>
    T* Place(const char* name, TWinControl* parent, int left, int top, int width, int height) {
        T* control = Make<T>(name);
        control->SetBounds(left, top, width, height);
        control->SetParent(parent);
        return control;
    }

    void FinishLoading() {
        for (TComponent* c : made_) c->Loaded();
    }

private:
    TComponent* owner_;
    std::vector<TComponent*> made_;
};
