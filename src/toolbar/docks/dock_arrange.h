#pragma once
#include <cstdint>
#include <vector>

// How a window gives up length when its row is too short: not at all, by wrapping its buttons
// onto more lines, or by hiding the last ones behind a chevron.
enum TTBShrinkMode : uint8_t { tbsmNone, tbsmWrap, tbsmChevron };

// One visible docked window as the arrangement sees it. Lengths run along the dock, cross
// sizes across it; both include the window's frame.
struct TTBDockSlot {
    int Row = 0;
    int Pos = -1;        // negative: the start of the row
    int Length = 0;      // the full length
    int MinLength = 0;   // the least a shrinking window can show itself in
    int Cross = 0;
    TTBShrinkMode Shrink = tbsmNone;
    bool FullSize = false;
    bool Stretch = false;
    bool OwnRow = false;  // dropped between two rows while dragged
};

// Where the arrangement puts a slot.
struct TTBDockPlace {
    int Row = 0;
    int Pos = 0;
    int Length = 0;   // the length it is given
    int Granted = 0;  // the same when it is less or more than its full length; 0 when equal
};

struct TTBDockRow {
    int Offset = 0;     // across the dock's client area
    int Thickness = 0;
    bool FullSize = false;
};

struct TTBDockLayout {
    std::vector<TTBDockPlace> Places;  // by the slots' indices
    std::vector<TTBDockRow> Rows;
    int Thickness = 0;  // of all rows, the dock's frame excluded
};

// Arranges the slots in rows `available` long: sorted by row and position, windows that need
// a row of their own get one, rows without a window go, a row too short for its windows breaks
// into more rows, then each row gets positions without overlap, closing gaps from the end and
// shrinking windows down to their minimum when it is still too long. With `oneRow` everything
// stays in row 0: there the full-size and new-row rules give way, and what does not fit even
// shrunk runs past the end.
TTBDockLayout ArrangeDockSlots(const std::vector<TTBDockSlot>& slots, int available, bool oneRow);
