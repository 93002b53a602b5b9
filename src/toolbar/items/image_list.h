#pragma once
#include <windows.h>

#include <memory>

#include "widgets/graphics.h"
#include "widgets/image_list.h"

// An image list with companions for checked, disabled and hot items, and optionally filled
// from one strip bitmap. A change of a companion counts as a change of this list.
class TTBCustomImageList : public TImageList {
public:
    TTBCustomImageList(TComponent* owner, int width, int height);
    ~TTBCustomImageList() override;

    TImageList* CheckedImages() const { return checked_.list; }
    void SetCheckedImages(TImageList* value) { SetCompanion(checked_, value); }
    TImageList* DisabledImages() const { return disabled_.list; }
    void SetDisabledImages(TImageList* value) { SetCompanion(disabled_, value); }
    TImageList* HotImages() const { return hot_.list; }
    void SetHotImages(TImageList* value) { SetCompanion(hot_, value); }

    // The strip the images come from; magenta marks transparent pixels. Setting a non-empty
    // strip replaces every image.
    const TBitmap& ImagesBitmap() const { return imagesBitmap_; }
    void SetImagesBitmap(TBitmap& value);
    // A stored layout holds the strip when there is one, else the images themselves.
    bool IsImageDataStored() const { return imagesBitmap_.Empty(); }

    void Loaded() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    struct Companion {
        TImageList* list = nullptr;
        std::unique_ptr<TChangeLink> link;
    };
    void SetCompanion(Companion& companion, TImageList* value);
    void CompanionChanged();
    void ImagesBitmapChanged();

    Companion checked_, disabled_, hot_;
    TBitmap imagesBitmap_;
    bool destroying_ = false;
};

// An item's image lists: the companions are optional (a TTBCustomImageList supplies them).
struct TTBImageSet {
    const TImageList* Images = nullptr;
    const TImageList* HotImages = nullptr;
    const TImageList* CheckedImages = nullptr;
    const TImageList* DisabledImages = nullptr;
};

inline constexpr COLORREF ImagesBitmapTransparentColor = RGB(255, 0, 255);

// The lists an item's image is drawn from: the companions of a TTBCustomImageList, else the
// list alone.
TTBImageSet ImageSetOf(const TImageList* list);
// Without a skin: the disabled companion for an item not shown enabled (drawn as enabled), else
// the checked one when checked, else the hot one when selected, else the list itself.
const TImageList* PlainImageSource(const TTBImageSet& lists, bool shownEnabled, bool checked, bool selected);
