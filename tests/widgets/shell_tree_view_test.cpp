#include <gtest/gtest.h>

#include <memory>

#include "support/test_env.h"
#include "widgets/form.h"
#include "widgets/shell_tree_view.h"

namespace {

TEST(ShellTreeView, SelectingAFolderMadeAfterItsParentWasReadReportsOnlyThatFolder) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 400);
    auto* tree = TComponent::Create<TShellTreeView>(&form);
    tree->SetAlign(alClient);
    tree->SetParent(&form);
    form.Show();
    std::vector<std::string> changes;
    tree->OnChange = [&](TComponent*, HTREEITEM) { changes.push_back(tree->Path()); };
    EXPECT_TRUE(changes.empty());  // building the tree selects the desktop silently

    std::string root = FreshTempDir("tree");
    std::string first = root + "\\first";
    CreateDirectoryA(first.c_str(), nullptr);
    ASSERT_TRUE(tree->SelectPath(first));
    ASSERT_EQ(changes, std::vector<std::string>{first});

    // The parent was read before "second" existed; reading it again removes the selected node.
    std::string second = root + "\\second";
    CreateDirectoryA(second.c_str(), nullptr);
    ASSERT_TRUE(tree->SelectPath(second + "\\"));
    EXPECT_EQ(changes, (std::vector<std::string>{first, second}));
    EXPECT_EQ(tree->Path(), second);
    EXPECT_FALSE(tree->SelectPath(root + "\\missing"));
}

}  // namespace
