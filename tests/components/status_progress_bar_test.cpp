#include "components/status_progress_bar.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "gui_test_support.h"
#include "widgets/exception.h"

namespace {
// A 759 x 16 status bar of the given panels and a progress bar, both on the host form.
struct StatusHost {
    explicit StatusHost(const std::vector<int>& panels)
        : bar(std::make_unique<TStatusBar>(nullptr)), progress(std::make_unique<TStatusProgressBar>(nullptr)) {
        bar->SetAlign(alNone);
        bar->SetBounds(0, 150, 759, 16);
        for (int width : panels) bar->AddPanel(width);
        bar->SetParent(&form);
        progress->SetBounds(5, 6, 70, 8);
        progress->SetParent(&form);
    }
    RECT Bounds() const { return progress->BoundsRect(); }
    // Where the native window really is, in its parent's client coordinates.
    RECT WindowBounds() const {
        RECT r{};
        GetWindowRect(progress->HandleOrNull(), &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(progress->HandleOrNull()), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    TForm& form = HostForm();
    std::unique_ptr<TStatusBar> bar;
    std::unique_ptr<TStatusProgressBar> progress;
};

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
}  // namespace

TEST(StatusProgressBar, CoversItsPanel) {
    struct Case {
        std::vector<int> panels;
        int index;
        RECT expected;  // left, top, right, bottom in the bar
    };
    const Case cases[] = {
        {{50, 50}, 1, {52, 2, 52 + 707, 2 + 14}},  // the last panel takes the rest of the bar
        {{50, 50}, 0, {0, 2, 50, 16}},             // panel 0 keeps its full width
        {{50, 60, 70}, 1, {52, 2, 52 + 58, 16}},
    };
    for (const Case& c : cases) {
        StatusHost host(c.panels);
        host.progress->SetStatusBar(host.bar.get());
        host.progress->SetPanelIndex(c.index);
        EXPECT_EQ(host.progress->Parent(), host.bar.get());
        EXPECT_EQ(host.progress->PanelIndex(), c.index);
        EXPECT_TRUE(SameRect(host.Bounds(), c.expected)) << "panel " << c.index << " of " << c.panels.size();
        EXPECT_TRUE(SameRect(host.WindowBounds(), c.expected));
    }
}

TEST(StatusProgressBar, LaterChangesOfTheBarDoNotMoveIt) {
    StatusHost host({50, 50});
    host.progress->SetStatusBar(host.bar.get());
    host.progress->SetPanelIndex(1);
    host.bar->SetBounds(0, 140, 900, 20);
    EXPECT_TRUE(SameRect(host.Bounds(), RECT{52, 2, 759, 16}));
}

TEST(StatusProgressBar, PanelThatDoesNotExistRaisesAndChangesNothing) {
    StatusHost host({50, 50});
    host.progress->SetStatusBar(host.bar.get());
    host.progress->SetPanelIndex(1);
    const RECT placed = host.Bounds();
    for (int index : {-1, 2, 7}) {
        EXPECT_THROW(host.progress->SetPanelIndex(index), EListError) << index;
        EXPECT_EQ(host.progress->PanelIndex(), 1);
        EXPECT_EQ(host.progress->Parent(), host.bar.get());
        EXPECT_TRUE(SameRect(host.Bounds(), placed));
    }

    StatusHost empty({});  // a bar without panels cannot host it
    EXPECT_THROW(empty.progress->SetStatusBar(empty.bar.get()), EListError);
    EXPECT_EQ(empty.progress->StatusBar(), nullptr);
    EXPECT_EQ(empty.progress->Parent(), &empty.form);
    EXPECT_TRUE(SameRect(empty.Bounds(), RECT{5, 6, 75, 14}));
}

TEST(StatusProgressBar, NoBarMovesItToTheFormKeepingItsPlace) {
    StatusHost host({50, 50});
    host.progress->SetStatusBar(host.bar.get());
    host.progress->SetPanelIndex(1);
    host.progress->SetStatusBar(nullptr);
    EXPECT_EQ(host.progress->Parent(), &host.form);
    EXPECT_TRUE(SameRect(host.Bounds(), RECT{52, 2, 759, 16}));
    EXPECT_TRUE(SameRect(host.WindowBounds(), RECT{52, 2, 759, 16}));
}

TEST(StatusProgressBar, SameBarAgainChangesNothing) {
    StatusHost host({50, 60, 70});
    host.progress->SetStatusBar(host.bar.get());
    host.progress->SetPanelIndex(2);
    host.progress->SetBounds(1, 1, 10, 10);
    host.progress->SetStatusBar(host.bar.get());
    EXPECT_EQ(host.progress->PanelIndex(), 2);
    EXPECT_TRUE(SameRect(host.Bounds(), RECT{1, 1, 11, 11}));
}

TEST(StatusProgressBar, AnotherBarResetsTheIndexExceptWhileLoading) {
    StatusHost host({50, 50});
    auto other = std::make_unique<TStatusBar>(nullptr);
    other->SetAlign(alNone);
    other->SetBounds(0, 100, 759, 16);
    other->AddPanel(50);
    other->AddPanel(50);
    other->SetParent(&host.form);
    host.progress->SetStatusBar(host.bar.get());
    host.progress->SetPanelIndex(1);
    host.progress->SetStatusBar(other.get());
    EXPECT_EQ(host.progress->PanelIndex(), 0);
    EXPECT_TRUE(SameRect(host.Bounds(), RECT{0, 2, 50, 16}));

    // A stored layout may give the index before the bar.
    StatusHost loading({50, 50});
    loading.progress->BeginLoading();
    loading.progress->SetPanelIndex(1);
    loading.progress->SetStatusBar(loading.bar.get());
    loading.progress->Loaded();
    EXPECT_EQ(loading.progress->PanelIndex(), 1);
    EXPECT_TRUE(SameRect(loading.Bounds(), RECT{52, 2, 759, 16}));
}

TEST(StatusProgressBar, ForgetsAFreedBar) {
    StatusHost host({50, 50});
    host.progress->SetStatusBar(host.bar.get());
    host.bar.reset();
    EXPECT_EQ(host.progress->StatusBar(), nullptr);
    host.progress->SetPanelIndex(1);  // no bar, and the freed bar took it off the form
    EXPECT_EQ(host.progress->Parent(), nullptr);
}
