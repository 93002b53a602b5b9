#include "app/thumbnail_cache.h"

TThumbnailCache::TThumbnailCache(TImageList& images, int capacity)
    : images_(images), capacity_(capacity > 0 ? capacity : 1), nextCapacity_(capacity_) {}

int TThumbnailCache::SlotOf(int row) {
    auto found = slots_.find(row);
    if (found == slots_.end()) return -1;
    uses_.splice(uses_.begin(), uses_, found->second.use);
    return found->second.slot;
}

int TThumbnailCache::Store(int row, TBitmap& picture) {
    if (const int slot = SlotOf(row); slot >= 0) return images_.Replace(slot, picture) ? slot : -1;
    int slot = -1;
    if (images_.Count() < capacity_) {
        slot = images_.Add(picture);
        if (slot < 0) return -1;
    } else {
        // The row used longest ago lets its slot go; the list asks for it again when shown.
        if (uses_.empty()) return -1;
        const int oldest = uses_.back();
        slot = slots_.at(oldest).slot;
        if (!images_.Replace(slot, picture)) return -1;
        uses_.pop_back();
        slots_.erase(oldest);
    }
    uses_.push_front(row);
    slots_[row] = Entry{slot, uses_.begin()};
    return slot;
}

void TThumbnailCache::Clear() {
    images_.Clear();
    uses_.clear();
    slots_.clear();
    capacity_ = nextCapacity_;
}
