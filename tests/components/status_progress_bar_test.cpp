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
        bar->SetParent(&HostForm());
        progress->SetBounds(5, 6, 70, 8);
        progress->SetParent(&HostForm());
    }
    bool At(const RECT& expected) const {
        RECT r = progress->BoundsRect();
        return EqualRect(&r, &expected) != FALSE;
    }
    std::unique_ptr<TStatusBar> bar;
    std::unique_ptr<TStatusProgressBar> progress;
};
}  // namespace

TEST(StatusProgressBar, CoversItsPanel) {
    struct Case {
        std::vector<int> panels;
        int index;
        RECT expected;  // in the bar's client coordinates
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
        EXPECT_TRUE(host.At(c.expected)) << "panel " << c.index << " of " << c.panels.size();
        RECT window{};  // and the native window is really there
        GetWindowRect(host.progress->HandleOrNull(), &window);
        MapWindowPoints(HWND_DESKTOP, host.bar->HandleOrNull(), reinterpret_cast<POINT*>(&window), 2);
        EXPECT_TRUE(EqualRect(&window, &c.expected));
    }
}

TEST(StatusProgressBar, PanelThatDoesNotExistRaisesAndChangesNothing) {
    StatusHost host({50, 50});
    host.progress->SetStatusBar(host.bar.get());
    host.progress->SetPanelIndex(1);
    for (int index : {-1, 2, 7}) {
        EXPECT_THROW(host.progress->SetPanelIndex(index), EListError) << index;
        EXPECT_EQ(host.progress->PanelIndex(), 1);
        EXPECT_TRUE(host.At(RECT{52, 2, 759, 16}));
    }
    StatusHost empty({});  // a bar without panels cannot host it
    EXPECT_THROW(empty.progress->SetStatusBar(empty.bar.get()), EListError);
    EXPECT_EQ(empty.progress->StatusBar(), nullptr);
    EXPECT_EQ(empty.progress->Parent(), &HostForm());
    EXPECT_TRUE(empty.At(RECT{5, 6, 75, 14}));
}

TEST(StatusProgressBar, MovesOnlyWhenABarOrIndexIsAssigned) {
    StatusHost host({50, 50}), other({50, 50});
    host.progress->SetStatusBar(host.bar.get());
    host.progress->SetPanelIndex(1);
    host.bar->SetBounds(0, 140, 900, 20);
    EXPECT_TRUE(host.At(RECT{52, 2, 759, 16}));
    host.progress->SetBounds(1, 1, 10, 10);
    host.progress->SetStatusBar(host.bar.get());  // the same bar again
    EXPECT_EQ(host.progress->PanelIndex(), 1);
    EXPECT_TRUE(host.At(RECT{1, 1, 11, 11}));
    host.progress->SetStatusBar(nullptr);  // to the form, where it is
    EXPECT_EQ(host.progress->Parent(), &HostForm());
    EXPECT_TRUE(host.At(RECT{1, 1, 11, 11}));

    host.progress->SetPanelIndex(1);
    host.progress->SetStatusBar(other.bar.get());  // outside loading another bar starts at panel 0
    EXPECT_EQ(host.progress->PanelIndex(), 0);
    EXPECT_TRUE(host.At(RECT{0, 2, 50, 16}));

    StatusHost loading({50, 50});  // a stored layout may give the index before the bar
    loading.progress->BeginLoading();
    loading.progress->SetPanelIndex(1);
    loading.progress->SetStatusBar(loading.bar.get());
    loading.progress->Loaded();
    EXPECT_EQ(loading.progress->PanelIndex(), 1);
    EXPECT_TRUE(loading.At(RECT{52, 2, 759, 16}));

    loading.bar.reset();  // a freed bar is forgotten, not reached later
    EXPECT_EQ(loading.progress->StatusBar(), nullptr);
    loading.progress->SetPanelIndex(0);
}
