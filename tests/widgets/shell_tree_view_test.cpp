#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "support/test_env.h"
#include "widgets/form.h"
#include "widgets/shell_tree_view.h"
#include "widgets/wide_text.h"

namespace {

// A tree filling a shown form, recording the path of every change it reports.
struct ShownTree {
    ShownTree() {
        form.SetBounds(0, 0, 300, 400);
        tree = TComponent::Create<TShellTreeView>(&form);
        tree->SetAlign(alClient);
        tree->SetParent(&form);
        form.Show();
        tree->OnChange = [this](TComponent*, HTREEITEM) { changes.push_back(tree->Path()); };
    }
    TForm form{nullptr};
    TShellTreeView* tree = nullptr;
    std::vector<std::wstring> changes;
};

TEST(ShellTreeView, SelectingAFolderMadeAfterItsParentWasReadReportsOnlyThatFolder) {
    ShownTree shown;
    TShellTreeView* tree = shown.tree;
    std::vector<std::wstring>& changes = shown.changes;
    EXPECT_TRUE(changes.empty());  // building the tree selects the desktop silently

    std::wstring root = WideFromAnsi(FreshTempDir("tree"));
    std::wstring first = root + L"\\first";
    CreateDirectoryW(first.c_str(), nullptr);
    ASSERT_TRUE(tree->SelectPath(first));
    ASSERT_EQ(changes, std::vector<std::wstring>{first});

    // The parent was read before "second" existed; reading it again removes the selected node.
    std::wstring second = root + L"\\second";
    CreateDirectoryW(second.c_str(), nullptr);
    ASSERT_TRUE(tree->SelectPath(second + L"\\"));
    EXPECT_EQ(changes, (std::vector<std::wstring>{first, second}));
    EXPECT_EQ(tree->Path(), second);
    EXPECT_FALSE(tree->SelectPath(root + L"\\missing"));
}

}  // namespace

namespace {

std::wstring SelectedCaption(TShellTreeView& tree) {
    wchar_t text[MAX_PATH] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree.Handle(), TVM_GETNEXTITEM, TVGN_CARET, 0));
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    SendMessageW(tree.Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return text;
}

// Folders named outside the code page are shown and selected by their exact names beside their
// look-alikes, and a folder whose path passes MAX_PATH gets the whole of it.
TEST(ShellTreeView, FoldersKeepTheirExactNamesAndWholePaths) {
    ShownTree shown;
    TShellTreeView* tree = shown.tree;
    std::vector<std::wstring>& changes = shown.changes;

    const std::wstring root = WideFromAnsi(FreshTempDir("tree-names"));
    const std::wstring names[] = {L"Café", L"Cafe", L"한글", L"音符🎵", L"ソ表", std::wstring(240, L'x')};
    for (const std::wstring& name : names)
        ASSERT_TRUE(CreateDirectoryW(ExtendedLengthPath(root + L"\\" + name).c_str(), nullptr));
    ASSERT_GT(root.size() + 1 + names[5].size(), size_t{MAX_PATH});
    std::vector<std::wstring> expected;
    for (const std::wstring& name : {names[0], names[1], names[2], names[3], names[4], names[5], names[0]}) {
        const std::wstring folder = root + L"\\" + name;
        expected.push_back(folder);
        ASSERT_TRUE(tree->SelectPath(folder)) << name.size();
        EXPECT_EQ(tree->Path(), folder);
        EXPECT_EQ(SelectedCaption(*tree), name);
    }
    EXPECT_EQ(changes, expected);  // each selection reported once, with its own path
}

}  // namespace
