#pragma once
#include "widgets/control.h"
#include "widgets/image_list.h"

class TStockToolBar;

// A command of a stock toolbar, shaped like the items of a full toolbar: a click on an
// AutoCheck item toggles Checked before OnClick runs.
class TStockToolItem : public TComponent {
public:
    TStockToolItem(TComponent* owner, TStockToolBar* toolbar, bool separator);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool AutoCheck = false;
    TNotifyEvent OnClick;

    void Click();
    int CommandId() const { return id_; }
    bool IsSeparator() const { return separator_; }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TStockToolBar;
    void Apply();
    TStockToolBar* toolbar_;
    std::string caption_;
    int imageIndex_ = -1;
    bool checked_ = false, enabled_ = true, separator_;
    int id_;
};

// The system toolbar with image-and-text buttons.
class TStockToolBar : public TWinControl {
public:
    explicit TStockToolBar(TComponent* owner);

    void SetImages(TImageList* images);
    TStockToolItem* AddItem(const std::string& caption, int imageIndex);
    TStockToolItem* AddSeparator();
    int ItemCount() const { return static_cast<int>(items_.size()); }
    TStockToolItem* Items(int index) const { return items_.at(index); }
    RECT ItemRect(const TStockToolItem* item) const;  // in the toolbar's client coordinates
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateWnd() override;
    bool Command(WORD code, WORD id) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TStockToolItem;
    void InsertButton(TStockToolItem* item, int position);
    int PositionOf(const TStockToolItem* item) const;
    std::vector<TStockToolItem*> items_;
    TImageList* images_ = nullptr;
};
