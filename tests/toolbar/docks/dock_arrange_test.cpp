#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "toolbar/docks/dock_arrange.h"

namespace {

TTBDockSlot Bar(int row, int pos, int length, int cross = 26) {
    TTBDockSlot s;
    s.Row = row;
    s.Pos = pos;
    s.Length = s.MinLength = length;
    s.Cross = cross;
    return s;
}
TTBDockSlot Shrinking(TTBDockSlot s, TTBShrinkMode mode, int minLength) {
    s.Shrink = mode;
    s.MinLength = minLength;
    return s;
}
TTBDockSlot FullSize(TTBDockSlot s) { s.FullSize = true; return s; }
TTBDockSlot Stretch(TTBDockSlot s) { s.Stretch = true; return s; }
TTBDockSlot OwnRow(TTBDockSlot s) { s.OwnRow = true; return s; }

std::string Describe(const TTBDockLayout& layout) {
    std::ostringstream out;
    for (const TTBDockPlace& p : layout.Places) out << "[" << p.Row << " " << p.Pos << " " << p.Length << " " << p.Granted << "]";
    return out.str();
}

TEST(DockArrangement, RowsPositionsAndLengthsOverSizes) {
    struct Case {
        const char* name;
        std::vector<TTBDockSlot> slots;
        int available;
        bool oneRow;
        const char* expected;  // [row pos length granted] per slot
    };
    const Case cases[] = {
        {"a negative position is the start of the row, not x = -1", {Bar(0, -1, 50)}, 200, false, "[0 0 50 0]"},
        {"overlapping positions follow in row and position order", {Bar(0, 30, 40), Bar(0, 10, 50)}, 200, false,
         "[0 60 40 0][0 10 50 0]"},
        {"a push carries on to the windows after it, keeping their gap",
         {Bar(0, 0, 50), Bar(0, 20, 30), Bar(0, 70, 20)}, 200, false, "[0 0 50 0][0 50 30 0][0 100 20 0]"},
        {"rows without windows go", {Bar(3, 0, 50), Bar(7, 0, 50)}, 200, false, "[0 0 50 0][1 0 50 0]"},
        {"a row too short goes on in a new row", {Bar(0, 0, 120), Bar(0, 130, 120), Bar(1, 0, 30)}, 200, false,
         "[0 0 120 0][1 80 120 0][2 0 30 0]"},
        {"windows exactly as long as the row share it", {Bar(0, 0, 100), Bar(0, 120, 100)}, 200, false,
         "[0 0 100 0][0 100 100 0]"},
        {"one pixel more breaks the row", {Bar(0, 0, 100), Bar(0, 120, 101)}, 200, false, "[0 0 100 0][1 99 101 0]"},
        {"a window ending exactly at the edge stays", {Bar(0, 140, 60)}, 200, false, "[0 140 60 0]"},
        {"a chevron bar exactly at its minimum shares the row", {Bar(0, 0, 120), Shrinking(Bar(0, 0, 120), tbsmChevron, 80)},
         200, false, "[0 0 120 0][0 120 80 80]"},
        {"a window alone in a short row stays and is cut by the edge", {Bar(0, 0, 250)}, 200, false, "[0 0 250 0]"},
        {"gaps close from the end of the row first", {Bar(0, 0, 60), Bar(0, 100, 60), Bar(0, 170, 60)}, 200, false,
         "[0 0 60 0][0 80 60 0][0 140 60 0]"},
        {"a chevron bar needs only its minimum and gives up length", {Bar(0, 0, 120), Shrinking(Bar(0, 0, 120), tbsmChevron, 40)},
         200, false, "[0 0 120 0][0 120 80 80]"},
        {"shrinking stops at the minimum", {Bar(0, 0, 150), Shrinking(Bar(0, 0, 120), tbsmChevron, 60)}, 200, true,
         "[0 0 150 0][0 150 60 60]"},
        {"a wrapping bar shrinks alone", {Shrinking(Bar(0, 0, 300), tbsmWrap, 90)}, 200, false, "[0 0 200 200]"},
        {"a wrapping bar beside another goes to a row of its own",
         {Bar(0, 0, 100), Shrinking(Bar(0, 0, 150), tbsmWrap, 50)}, 200, false, "[0 0 100 0][1 0 150 0]"},
        {"a full-size bar never shares its row and spans it", {Bar(0, 0, 50), FullSize(Bar(0, 60, 80)), Bar(1, 0, 40)},
         200, false, "[1 0 50 0][0 0 200 200][2 0 40 0]"},
        {"a stretching bar grows to the next one", {Stretch(Bar(0, 30, 50)), Bar(0, 150, 30)}, 200, false,
         "[0 0 150 150][0 150 30 0]"},
        {"a stretching bar last in its row grows to the end", {Bar(0, 0, 40), Stretch(Bar(0, 60, 50))}, 200, false,
         "[0 0 40 0][0 60 140 140]"},
        {"a window dropped between rows opens a row there", {Bar(0, 0, 50), Bar(1, 0, 50), OwnRow(Bar(1, 30, 50))}, 200,
         false, "[0 0 50 0][2 0 50 0][1 30 50 0]"},
        {"one row: every row is 0 and what does not fit runs past the end", {Bar(2, 0, 150), Bar(5, 0, 150)}, 200, true,
         "[0 0 150 0][0 150 150 0]"},
        {"one row: a full-size bar stretches beside others", {FullSize(Bar(0, 0, 50)), Bar(1, 120, 40)}, 200, true,
         "[0 0 120 120][0 120 40 0]"},
        {"one row: a dropped window stays in the row", {Bar(0, 0, 50), OwnRow(Bar(1, 100, 50))}, 200, true,
         "[0 0 50 0][0 100 50 0]"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Describe(ArrangeDockSlots(c.slots, c.available, c.oneRow)), c.expected) << c.name;
    }
}

TEST(DockArrangement, RowsAreAsThickAsTheirThickestWindowAndStackWithoutGaps) {
    TTBDockLayout layout = ArrangeDockSlots({Bar(0, 0, 50, 26), Bar(0, 60, 50, 30), Bar(4, 0, 50, 22)}, 200, false);
    ASSERT_EQ(layout.Rows.size(), 2u);
    EXPECT_EQ(layout.Rows[0].Offset, 0);
    EXPECT_EQ(layout.Rows[0].Thickness, 30);
    EXPECT_EQ(layout.Rows[1].Offset, 30);
    EXPECT_EQ(layout.Rows[1].Thickness, 22);
    EXPECT_EQ(layout.Thickness, 52);
    EXPECT_TRUE(ArrangeDockSlots({}, 200, false).Rows.empty());
}

// Whatever the sizes, windows of a row never overlap and shrinking windows keep their minimum.
TEST(DockArrangement, NoOverlapAndNoWindowBelowItsMinimumOverManySizes) {
    for (int available = 0; available <= 400; available += 7) {
        std::vector<TTBDockSlot> slots;
        for (int i = 0; i < 6; ++i) {
            TTBDockSlot s = Bar(i % 3, (i * 53) % 170 - 20, 30 + (i * 37) % 90);
            if (i % 2) s = Shrinking(s, tbsmChevron, 20);
            slots.push_back(s);
        }
        TTBDockLayout layout = ArrangeDockSlots(slots, available, false);
        for (size_t a = 0; a < slots.size(); ++a) {
            const TTBDockPlace& pa = layout.Places[a];
            EXPECT_GE(pa.Pos, 0);
            EXPECT_GE(pa.Length, slots[a].MinLength) << "available " << available;
            EXPECT_EQ(pa.Granted == 0, pa.Length == slots[a].Length);
            for (size_t b = a + 1; b < slots.size(); ++b) {
                const TTBDockPlace& pb = layout.Places[b];
                if (pa.Row != pb.Row) continue;
                bool apart = pa.Pos + pa.Length <= pb.Pos || pb.Pos + pb.Length <= pa.Pos;
                EXPECT_TRUE(apart) << "available " << available << ": " << a << " and " << b;
            }
        }
    }
}

}  // namespace
