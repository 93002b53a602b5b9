#pragma once
#include <shlobj.h>

#include <memory>

#include "widgets/control.h"

using TTVChangedEvent = std::function<void(TComponent* Sender, HTREEITEM Node)>;

// The shell's folder tree from the desktop down: folders only, the shell's own icons,
// children read when a node is first expanded. Folder names and paths are UTF-16, exactly as
// the file system holds them.
class TShellTreeView : public TWinControl {
public:
    explicit TShellTreeView(TComponent* owner);
    ~TShellTreeView() override;

    // File-system path of the selected folder; empty for virtual folders such as the computer.
    std::wstring Path() const;
    // Expands the tree down to a folder and selects it; false when it is not in the tree.
    bool SelectPath(const std::wstring& path);
    int Indent() const { return indent_; }
    void SetIndent(int indent) { indent_ = indent; }

    TTVChangedEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateWnd() override;
    void DestroyWnd() override;
    bool Notify(NMHDR& header, LRESULT& result) override;

private:
    struct Node;
    Node* NodeOf(HTREEITEM item) const;
    HTREEITEM AddNode(HTREEITEM parent, LPITEMIDLIST absolute, const std::wstring& name, std::wstring path,
                      bool hasChildren);
    void Populate(HTREEITEM item);
    HTREEITEM FindChildToward(HTREEITEM item, const std::wstring& target, LPCITEMIDLIST targetPidl);
    HTREEITEM MatchingChild(HTREEITEM item, const std::wstring& target, LPCITEMIDLIST targetPidl);
    void Refresh(HTREEITEM item);

    std::vector<std::unique_ptr<Node>> nodes_;
    int indent_ = 19;
    bool filling_ = false;
};
