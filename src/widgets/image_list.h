#pragma once
#include <windows.h>
#include <commctrl.h>

#include "widgets/component.h"
#include "widgets/graphics.h"

#include <functional>
#include <vector>

class TImageList;

// A user's registration with an image list: OnChange runs after every change of the images.
// Either side may go first; the other forgets the registration.
class TChangeLink {
public:
    TChangeLink() = default;
    virtual ~TChangeLink();
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;

    TImageList* Sender() const { return sender_; }
    std::function<void(TImageList* Sender)> OnChange;
    virtual void Change();

private:
    friend class TImageList;
    TImageList* sender_ = nullptr;
};

// Images of one size in one strip, drawn by lists and toolbars.
class TImageList : public TComponent {
public:
    TImageList(TComponent* owner, int width, int height, bool masked, TColor background = clNone);
    ~TImageList() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const;
    HIMAGELIST Handle() const { return list_; }

    // Appends the top-left Width x Height part of the bitmap; returns its index or -1.
    int Add(TBitmap& bitmap);
    // Puts the top-left Width x Height part of the bitmap in place of image `index`.
    bool Replace(int index, TBitmap& bitmap);
    // Appends every image of a resource strip; `maskColor` marks the transparent pixels.
    int AddResourceStrip(HINSTANCE instance, const char* name, TColor maskColor);
    void Clear();
    void Draw(HDC dc, int x, int y, int index, bool enabled = true) const;

    // A link is registered with at most one list; registering it moves it here.
    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);

protected:
    void Change();

private:
    HBITMAP CellOf(TBitmap& bitmap, TBitmap& cell) const;

    std::vector<TChangeLink*> links_;
    HIMAGELIST list_ = nullptr;
    int width_, height_;
    bool masked_;
};
