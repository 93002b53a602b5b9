#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolbar/popups/popup_place.h"
#include "toolbar/popups/popup_scroll.h"

namespace {

const RECT Screen{0, 0, 1280, 1000};

TPopupPlaceInput Input(TTBPopupOrigin origin, RECT item, SIZE size, RECT workArea = Screen) {
    TPopupPlaceInput in;
    in.Origin = origin;
    in.Item = item;
    in.Size = size;
    in.WorkArea = workArea;
    return in;
}

TPopupPlaceInput At(POINT p, TPopupAlignment alignment, SIZE size) {
    TPopupPlaceInput in = Input(poPoint, RECT{p.x, p.y, p.x, p.y}, size);
    in.Alignment = alignment;
    return in;
}

struct PlaceCase {
    std::string name;
    TPopupPlaceInput in;
    POINT position;
    bool openedUp;
    bool openedLeft;
    TTBAnimationDirection directions;
};

TEST(PopupPlacement, FitsTheWorkAreaFlipsAndKeepsOffTheBar) {
    // A wrapped bar: the button on its first line, another line of buttons below it.
    TPopupPlaceInput wrapped = Input(poDropDown, RECT{100, 500, 150, 522}, SIZE{120, 200});
    wrapped.BarItems = {RECT{100, 500, 150, 522}, RECT{100, 522, 150, 544}, RECT{150, 522, 200, 544}};
    TPopupPlaceInput leftBar = Input(poVerticalBar, RECT{0, 300, 24, 322}, SIZE{150, 200});
    leftBar.BarItems = {RECT{0, 278, 24, 300}, RECT{0, 300, 24, 322}, RECT{0, 322, 24, 344}};
    // Office XP overlaps the button by 2 pixels after the plain shift, which here cancels it.
    // Without the plain shift it overlaps the button, and still slides down from it: the
    // direction comes from the place before the shifts.
    TPopupPlaceInput shifted = Input(poDropDown, RECT{100, 20, 150, 42}, SIZE{120, 200});
    shifted.Offset = POINT{3, 2};
    shifted.OverlapButton = true;
    TPopupPlaceInput overlapping = shifted;
    overlapping.Offset = POINT{0, 0};
    TPopupPlaceInput overlappingChevron = Input(poChevron, RECT{400, 20, 412, 42}, SIZE{120, 200});
    overlappingChevron.OverlapButton = true;
    TPopupPlaceInput besideParentLeft = Input(poSideSubmenu, RECT{400, 300, 520, 320}, SIZE{150, 100});
    besideParentLeft.ParentOpenedLeft = true;
    TPopupPlaceInput noRoomLeft = Input(poSideSubmenu, RECT{20, 300, 140, 320}, SIZE{150, 100});
    noRoomLeft.ParentOpenedLeft = true;
    TPopupPlaceInput secondMonitor = Input(poDropDown, RECT{1300, 700, 1340, 722}, SIZE{120, 300}, RECT{1280, 0, 2304, 768});

    const std::vector<PlaceCase> cases = {
        {"drop-down below its button", Input(poDropDown, RECT{100, 20, 150, 42}, SIZE{120, 200}), {100, 42}, false, false,
         tbadFromTop},
        {"drop-down near the bottom opens above", Input(poDropDown, RECT{100, 900, 150, 922}, SIZE{120, 200}), {100, 700},
         true, false, tbadFromBottom},
        {"drop-down reaching exactly the bottom stays below", Input(poDropDown, RECT{100, 778, 150, 800}, SIZE{120, 200}),
         {100, 800}, false, false, tbadFromTop},
        {"room above exactly up to the top: it opens there", Input(poDropDown, RECT{100, 600, 150, 622}, SIZE{120, 600}),
         {100, 0}, true, false, tbadFromBottom},
        // Clamped to the bottom it would hide its button: it moves beside it.
        {"no room above either: clamped to the bottom", Input(poDropDown, RECT{100, 150, 150, 172}, SIZE{120, 900}),
         {150, 100}, false, false, tbadFromLeft},
        {"taller than the work area keeps its top inside", Input(poDropDown, RECT{100, 20, 150, 42}, SIZE{120, 1200}),
         {150, 0}, false, false, tbadFromLeft},
        {"drop-down past the right edge", Input(poDropDown, RECT{1240, 20, 1280, 42}, SIZE{120, 200}), {1160, 42}, false,
         false, tbadFromTop},
        {"shifted and overlapping its button", shifted, {103, 42}, false, false, tbadFromTop},
        {"overlapping its button", overlapping, {100, 40}, false, false, tbadFromTop},
        {"a chevron list overlapping its button", overlappingChevron, {292, 40}, false, false, tbadFromTop},
        {"a wrapped bar's next line stays visible", wrapped, {100, 300}, true, false, tbadFromBottom},
        {"side submenu to the right", Input(poSideSubmenu, RECT{400, 300, 520, 320}, SIZE{150, 100}), {517, 297}, false,
         false, tbadFromLeft},
        {"side submenu reaching exactly the right edge stays right",
         Input(poSideSubmenu, RECT{1013, 300, 1133, 320}, SIZE{150, 100}), {1130, 297}, false, false, tbadFromLeft},
        {"side submenu at the right edge opens left", Input(poSideSubmenu, RECT{1100, 300, 1220, 320}, SIZE{150, 100}),
         {953, 297}, false, true, tbadFromRight},
        {"child of a left-opened menu keeps left", besideParentLeft, {253, 297}, false, true, tbadFromRight},
        {"no room on the left: back to the right", noRoomLeft, {137, 297}, false, false, tbadFromLeft},
        {"side submenu near the bottom goes up from its row's bottom", Input(poSideSubmenu, RECT{400, 950, 520, 970},
         SIZE{150, 100}), {517, 873}, true, false, tbadFromLeft},
        {"bar at the left edge: the popup goes right", leftBar, {24, 300}, false, false, tbadFromLeft},
        {"second monitor", secondMonitor, {1300, 400}, true, false, tbadFromBottom},
        {"right-aligned menu ends at x", At({600, 400}, paRight, SIZE{120, 200}), {480, 400}, false, false,
         tbadFromTop | tbadFromRight},
        {"right-aligned menu at the left edge moves inside", At({50, 400}, paRight, SIZE{120, 200}), {0, 400}, false,
         false, tbadFromTop},
        {"left-aligned menu at the right edge ends at x", At({1250, 400}, paLeft, SIZE{120, 200}), {1130, 400}, false,
         false, tbadFromTop | tbadFromRight},
        {"left-aligned menu reaching exactly the right edge stays", At({1160, 400}, paLeft, SIZE{120, 200}), {1160, 400},
         false, false, tbadFromTop | tbadFromLeft},
    };
    for (const PlaceCase& c : cases) {
        TPopupPlacement placed = PlacePopup(c.in);
        EXPECT_EQ(placed.Position.x, c.position.x) << c.name;
        EXPECT_EQ(placed.Position.y, c.position.y) << c.name;
        EXPECT_EQ(placed.OpenedUp, c.openedUp) << c.name;
        EXPECT_EQ(placed.OpenedLeft, c.openedLeft) << c.name;
        EXPECT_EQ(placed.Directions, c.directions) << c.name;
    }
}

// --- scrolling --------------------------------------------------------------------------------

std::vector<TPopupSpan> Rows(int count, int height) {
    std::vector<TPopupSpan> rows;
    for (int i = 0; i < count; ++i) rows.push_back(TPopupSpan{i * height, (i + 1) * height});
    return rows;
}

TEST(PopupScrolling, ArrowsShowWhereRowsAreHiddenAndRowsInTheirBandsAreClipped) {
    const auto rows = Rows(10, 20);  // 200 high
    struct Case {
        const char* name;
        int maxHeight, offset;
        int expectedOffset, height;
        bool top, bottom;
        std::vector<bool> clipped;
    };
    const std::vector<Case> cases = {
        {"fits", 300, 0, 0, 200, false, false, std::vector<bool>(10, false)},
        {"no limit (a chevron's list)", 0, 50, 0, 200, false, false, std::vector<bool>(10, false)},
        {"taller: bottom arrow first", 100, 0, 0, 100, false, true,
         {false, false, false, false, true, true, true, true, true, true}},
        {"scrolled to the middle", 100, 50, 50, 100, true, true,
         {true, true, true, true, false, false, true, true, true, true}},
        {"past the end: clamped, top arrow only", 100, 500, 100, 100, true, false,
         {true, true, true, true, true, true, false, false, false, false}},
        {"negative offset is clamped", 100, -30, 0, 100, false, true,
         {false, false, false, false, true, true, true, true, true, true}},
    };
    for (const Case& c : cases) {
        TPopupScroll s = ScrollPopup(rows, 200, c.maxHeight, c.offset);
        EXPECT_EQ(s.Offset, c.expectedOffset) << c.name;
        EXPECT_EQ(s.Height, c.height) << c.name;
        EXPECT_EQ(s.TopArrow, c.top) << c.name;
        EXPECT_EQ(s.BottomArrow, c.bottom) << c.name;
        EXPECT_EQ(s.Clipped, c.clipped) << c.name;
    }
}

// Ticks of one arrow until the offset stands still; the offsets passed through.
std::vector<int> Ticks(const std::vector<TPopupSpan>& rows, int total, int maxHeight, int offset, bool down) {
    std::vector<int> seen;
    for (int i = 0; i < 50; ++i) {
        TPopupScroll s = ScrollPopup(rows, total, maxHeight, offset);
        int next = ScrollPopup(rows, total, maxHeight, NextScrollOffset(rows, s, maxHeight, down)).Offset;
        if (next == s.Offset) return seen;
        seen.push_back(offset = next);
    }
    ADD_FAILURE() << "the arrow never stops";
    return seen;
}

TEST(PopupScrolling, EachTickShowsTheNextHiddenRowAndTheArrowStopsAtTheEnd) {
    const auto rows = Rows(10, 20);
    // Down: the next hidden row ends just above the bottom arrow; the last tick reaches the end.
    EXPECT_EQ(Ticks(rows, 200, 100, 0, true), (std::vector<int>{19, 39, 59, 79, 99, 100}));
    EXPECT_EQ(Ticks(rows, 200, 100, 100, false), (std::vector<int>{81, 61, 41, 21, 1, 0}));
    // A row taller than the band between the arrows never shows whole; the arrow still stops.
    std::vector<TPopupSpan> tall = {{0, 20}, {20, 40}, {40, 170}, {170, 190}, {190, 210}};
    std::vector<int> down = Ticks(tall, 210, 100, 0, true);
    ASSERT_FALSE(down.empty());
    EXPECT_EQ(down.back(), 110);
    EXPECT_FALSE(Ticks(tall, 210, 100, 110, false).empty());
    // A row chosen by keyboard comes between the arrows: its top to 19, or its bottom to 100 - 19.
    TPopupScroll middle = ScrollPopup(rows, 200, 100, 50);
    EXPECT_EQ(OffsetShowing(rows[1], middle, 100), 1);
    EXPECT_EQ(OffsetShowing(rows[8], middle, 100), 99);
}

}  // namespace
