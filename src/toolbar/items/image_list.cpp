#include "toolbar/items/image_list.h"

#include <commctrl.h>

TTBCustomImageList::TTBCustomImageList(TComponent* owner, int width, int height)
    : TImageList(owner, width, height, true) {}

TTBCustomImageList::~TTBCustomImageList() {
    destroying_ = true;
    for (Companion* c : {&checked_, &disabled_, &hot_}) SetCompanion(*c, nullptr);
}

void TTBCustomImageList::SetCompanion(Companion& companion, TImageList* value) {
    if (value == this || value == companion.list) return;  // never its own companion
    if (companion.list) {
        companion.link.reset();  // unregisters from the old list
        companion.list->RemoveFreeNotification(this);
    }
    companion.list = value;
    if (value) {
        companion.link = std::make_unique<TChangeLink>();
        companion.link->OnChange = [this](TImageList*) { CompanionChanged(); };
        value->RegisterChanges(companion.link.get());
        value->FreeNotification(this);
    }
    CompanionChanged();
}

void TTBCustomImageList::CompanionChanged() {
    if (!Loading() && !destroying_) Change();
}

void TTBCustomImageList::Notification(TComponent* component, TOperation operation) {
    TImageList::Notification(component, operation);
    if (operation != opRemove) return;
    for (Companion* c : {&checked_, &disabled_, &hot_})
        if (c->list == component) {
            // The list is going: its links are cut already, only forget it.
            c->link.reset();
            c->list = nullptr;
            CompanionChanged();
        }
}

void TTBCustomImageList::SetImagesBitmap(TBitmap& value) {
    if (value.Empty()) {
        imagesBitmap_.SetSize(0, 0);
    } else {
        imagesBitmap_.SetSize(value.Width(), value.Height());
        imagesBitmap_.Canvas().Draw(0, 0, value);
    }
    ImagesBitmapChanged();
}

void TTBCustomImageList::ImagesBitmapChanged() {
    if (imagesBitmap_.Empty() || !Handle() || Loading()) return;
    // The list would blacken the transparent pixels of the bitmap it is given: give it a copy.
    TBitmap strip;
    strip.SetSize(imagesBitmap_.Width(), imagesBitmap_.Height());
    strip.Canvas().Draw(0, 0, imagesBitmap_);
    ImageList_Remove(Handle(), -1);
    ImageList_AddMasked(Handle(), strip.Handle(), ImagesBitmapTransparentColor);
    Change();
}

void TTBCustomImageList::Loaded() {
    TImageList::Loaded();
    ImagesBitmapChanged();
}

TTBImageSet ImageSetOf(const TImageList* list) {
    TTBImageSet set;
    set.Images = list;
    if (auto* custom = dynamic_cast<const TTBCustomImageList*>(list)) {
        set.CheckedImages = custom->CheckedImages();
        set.DisabledImages = custom->DisabledImages();
        set.HotImages = custom->HotImages();
    }
    return set;
}

const TImageList* PlainImageSource(const TTBImageSet& lists, bool shownEnabled, bool checked, bool selected) {
    if (!shownEnabled && lists.DisabledImages) return lists.DisabledImages;
    if (checked && lists.CheckedImages) return lists.CheckedImages;
    if (selected && lists.HotImages) return lists.HotImages;
    return lists.Images;
}
