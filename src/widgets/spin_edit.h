#pragma once
#include "widgets/edit.h"

// A number box with up and down arrows. With EditorEnabled off the number cannot be typed:
// only the arrows (and the arrow keys) change it.
class TSpinEdit : public TEdit {
public:
    explicit TSpinEdit(TComponent* owner);
    ~TSpinEdit() override { DestroyWnd(); }  // the arrows are a window of their own

    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    void SetRange(int minValue, int maxValue);
    int Value() const;
    void SetValue(int value);
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool value) { editorEnabled_ = value; }
    HWND UpDownHandle() const { return upDown_; }

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateWnd() override;
    void DestroyWnd() override;
    HBRUSH CtlColor(HDC dc) override;
    void VisibleChanged() override;
    void EnabledChanged() override;

private:
    int Clamp(int value) const;

    int min_ = 0, max_ = 100, value_ = 0;
    bool editorEnabled_ = true;
    HWND upDown_ = nullptr;
};
