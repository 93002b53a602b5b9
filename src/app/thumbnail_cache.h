#pragma once
#include <list>
#include <unordered_map>

#include "widgets/graphics.h"
#include "widgets/image_list.h"

// The thumbnails a list shows, at most `capacity` of them in its image list, so that a folder of
// any size costs the memory of a few screens of rows. The row used longest ago gives its slot
// up to the next thumbnail; the list asks for that row's thumbnail again when it shows it.
// While there is room, slots are taken in the order thumbnails arrive.
class TThumbnailCache {
public:
    TThumbnailCache(TImageList& images, int capacity);

    // The slot holding `row`'s thumbnail, -1 for none; counts as a use of it.
    int SlotOf(int row);
    // Puts `row`'s thumbnail in a slot and returns it; -1 when the image list refused it.
    int Store(int row, TBitmap& picture);
    // Forgets every row; the image list is cleared with it.
    void Clear();

    int Capacity() const { return capacity_; }
    // Takes effect from the next Clear.
    void SetCapacity(int capacity) { nextCapacity_ = capacity > 0 ? capacity : 1; }

private:
    struct Entry {
        int slot;
        std::list<int>::iterator use;
    };
    TImageList& images_;
    int capacity_, nextCapacity_;
    std::list<int> uses_;  // rows, the one used last first
    std::unordered_map<int, Entry> slots_;
};
