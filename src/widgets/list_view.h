#pragma once
#include "widgets/control.h"
#include "widgets/image_list.h"

using TLVSelectItemEvent = std::function<void(TComponent* Sender, int Item, bool Selected)>;

// A report-style list: rows of a caption and sub-items under column headers. The rows live
// here and the list's window asks for those it shows (an owner-data list): under Wine, inserting
// a row into the window's own store cost as much as handling a font, and that store held most
// of the memory a row of a large folder cost.
class TListView : public TWinControl {
public:
    explicit TListView(TComponent* owner);

    void AddColumn(const std::string& caption, int width);
    void SetGridLines(bool value) { gridLines_ = value; }
    void SetSmallImages(TImageList* images);

    int Count() const;
    // Returns the new row's index. Linking an image at once costs the list far less than
    // SetImageIndex afterwards.
    int AddItem(const std::string& caption = std::string(), int image = I_IMAGENONE);
    void AddSubItem(int item, const std::string& text);       // appends the next sub-item
    std::string SubItem(int item, int index) const;           // sub-item 0 is the second column
    // The same in UTF-16, for names from the user's files: the list keeps and shows them
    // exactly, while SubItem gives their code-page look-alikes.
    void AddSubItem(int item, const std::wstring& text);
    std::wstring WideSubItem(int item, int index) const;
    void SetImageIndex(int item, int image);
    int ImageIndex(int item) const;
    void Clear();
    int ItemIndex() const;  // the selected row, -1 for none
    void SetItemIndex(int item);

    TLVSelectItemEvent OnSelectItem;
    // Asked for the image of a row added with I_IMAGECALLBACK each time the list draws or reads
    // it, so that a row's image can come and go without a change to the row.
    std::function<int(int Item)> OnGetImageIndex;
    // Repaints one row, whose image may have changed.
    void RedrawItem(int item);
    // Scrolls the list until the row is in view.
    void MakeVisible(int item);

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateWnd() override;
    bool Notify(NMHDR& header, LRESULT& result) override;
    // Held, the list still takes rows; released, it repaints only the rows that changed (the
    // others keep their pixels) and its scroll bars. Repainting every visible thumbnail each
    // time cost a scan more than the rows it added.
    void UpdatesHeld() override;
    void UpdatesReleased() override;

private:
    void RowsChangedFrom(int item);
    // Tells the window how many rows there are, unless updates are held.
    void ShowRowCount();
    void SendRowCount();  // whether held or not
    // The row's image as the window shows it: a callback row asks OnGetImageIndex.
    int ShownImage(int item) const;
    void FillDisplayInfo(NMLVDISPINFOW& info, bool wide) const;
    int FindCaption(const NMLVFINDITEMW& find, bool wide) const;
    struct Column { std::string caption; int width; };
    struct Row {
        int image = I_IMAGENONE;
        std::vector<std::wstring> texts;  // the caption, then the sub-items
    };
    std::vector<Column> columns_;
    std::vector<Row> rows_;
    int shownCount_ = 0;  // the rows the window knows of
    TImageList* smallImages_ = nullptr;
    bool gridLines_ = false;
    int firstChangedRow_ = -1;  // while held; -1: none
};
