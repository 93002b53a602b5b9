// The arrangement of a dock's windows in rows: a pure rule over sizes, so that the dock only
// gathers sizes and places windows.
#include "toolbar/docks/dock_arrange.h"

#include <algorithm>
#include <map>

namespace {

using Rows = std::vector<std::vector<int>>;  // slot indices per row, in order along the row

bool NeedsOwnRow(const TTBDockSlot& s) { return s.FullSize || s.OwnRow; }

// Rows by the slots' row numbers, numbered 0, 1, 2 … without gaps; a window that needs a row
// of its own pushes every other window of its row and the later rows one row down.
Rows GroupIntoRows(const std::vector<TTBDockSlot>& slots, bool oneRow) {
    std::vector<int> order(slots.size());
    std::vector<int> row(slots.size());
    for (size_t i = 0; i < slots.size(); ++i) {
        order[i] = static_cast<int>(i);
        row[i] = oneRow ? 0 : std::max(slots[i].Row, 0);
    }
    auto byRowAndPos = [&](int a, int b) {
        if (row[a] != row[b]) return row[a] < row[b];
        return slots[a].Pos < slots[b].Pos;
    };
    std::stable_sort(order.begin(), order.end(), byRowAndPos);
    if (!oneRow) {
        for (int i : order) {
            if (!NeedsOwnRow(slots[i])) continue;
            // Doubled first, so that a row opened here cannot meet the rows that follow.
            for (int& r : row) r *= 2;
            for (size_t j = 0; j < row.size(); ++j)
                if (static_cast<int>(j) != i && row[j] >= row[i]) row[j] += 1;
        }
        std::stable_sort(order.begin(), order.end(), byRowAndPos);
    }
    Rows rows;
    int current = 0;
    for (int i : order) {
        if (rows.empty() || row[i] != current) rows.emplace_back();
        current = row[i];
        rows.back().push_back(i);
    }
    return rows;
}

int NeededLength(const TTBDockSlot& s) { return s.Shrink == tbsmChevron ? s.MinLength : s.Length; }

// A row whose windows need more than the available length goes on in a new row from the first
// window that does not fit; a window alone in its row stays.
void BreakLongRows(Rows& rows, const std::vector<TTBDockSlot>& slots, int available) {
    for (size_t r = 0; r < rows.size(); ++r) {
        int needed = 0;
        for (size_t k = 0; k < rows[r].size(); ++k) {
            needed += NeededLength(slots[rows[r][k]]);
            if (needed > available && k > 0) {
                std::vector<int> rest(rows[r].begin() + static_cast<long>(k), rows[r].end());
                rows[r].resize(k);
                rows.insert(rows.begin() + static_cast<long>(r) + 1, std::move(rest));
                break;
            }
        }
    }
}

struct Placed {
    int pos, length;
};

// Positions along one row, without overlap, within `available` where the windows allow it.
std::vector<Placed> PlaceRow(const std::vector<int>& row, const std::vector<TTBDockSlot>& slots, int available) {
    const size_t n = row.size();
    std::vector<Placed> placed(n);
    // Each window at its position, pushed on by the one before it; a push carries on to the
    // windows after it, so that the gaps between them stay.
    int shift = 0, end = 0;
    for (size_t k = 0; k < n; ++k) {
        const TTBDockSlot& s = slots[row[k]];
        int wanted = std::max(s.Pos, 0) + shift;
        if (k == 0 && (s.FullSize || s.Stretch)) wanted = 0;
        int pos = std::max(wanted, end);
        shift += pos - wanted;
        placed[k] = {pos, s.Length};
        end = pos + s.Length;
    }
    int excess = end - available;
    // Gaps are given back first, from the end of the row.
    for (size_t k = n; k-- > 0 && excess > 0;) {
        int previousEnd = k ? placed[k - 1].pos + placed[k - 1].length : 0;
        int take = std::min(placed[k].pos - previousEnd, excess);
        if (take <= 0) continue;
        for (size_t j = k; j < n; ++j) placed[j].pos -= take;
        excess -= take;
    }
    // Then length, from the last window that can shrink backwards, never below its minimum. A
    // wrapping window only shrinks alone: wrapping beside others would only make the row thick.
    for (size_t k = n; k-- > 0 && excess > 0;) {
        const TTBDockSlot& s = slots[row[k]];
        if (s.Shrink == tbsmNone || (s.Shrink == tbsmWrap && n > 1)) continue;
        int give = std::min(placed[k].length - std::max(s.MinLength, 0), excess);
        if (give <= 0) continue;
        placed[k].length -= give;
        for (size_t j = k + 1; j < n; ++j) placed[j].pos -= give;
        excess -= give;
    }
    for (size_t k = 0; k < n; ++k) {
        const TTBDockSlot& s = slots[row[k]];
        int limit = k + 1 < n ? placed[k + 1].pos : available;
        if (s.FullSize && n == 1) {
            placed[k] = {0, std::max(available, 0)};
        } else if (s.Stretch || s.FullSize) {
            // A full-size window only shares a row in a one-row dock: there it stretches.
            placed[k].length = std::max(placed[k].length, limit - placed[k].pos);
        }
    }
    return placed;
}

}  // namespace

TTBDockLayout ArrangeDockSlots(const std::vector<TTBDockSlot>& slots, int available, bool oneRow) {
    TTBDockLayout layout;
    layout.Places.resize(slots.size());
    Rows rows = GroupIntoRows(slots, oneRow);
    if (!oneRow) BreakLongRows(rows, slots, available);
    int offset = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        std::vector<Placed> placed = PlaceRow(rows[r], slots, available);
        TTBDockRow band{offset, 0, false};
        for (size_t k = 0; k < rows[r].size(); ++k) {
            int i = rows[r][k];
            const TTBDockSlot& s = slots[i];
            band.Thickness = std::max(band.Thickness, s.Cross);
            band.FullSize = band.FullSize || s.FullSize;
            int length = placed[k].length;
            layout.Places[i] = {static_cast<int>(r), placed[k].pos, length, length == s.Length ? 0 : length};
        }
        layout.Rows.push_back(band);
        offset += band.Thickness;
    }
    layout.Thickness = offset;
    return layout;
}
