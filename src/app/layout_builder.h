#pragma once
#include <utility>
#include <vector>

#include "widgets/control.h"
#include "widgets/graphics.h"

// The windows' font, "ＭＳ Ｐゴシック" in pixels, and its variants of the stored layouts.
inline TFont LayoutFont(int pixels = 12, TFontStyles style = 0, TColor color = clWindowText) {
    TFont font;
    font.SetName("ＭＳ Ｐゴシック");
    font.SetHeight(-pixels);
    font.SetCharset(SHIFTJIS_CHARSET);
    font.SetColor(color);
    font.SetStyle(style);
    return font;
}

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
