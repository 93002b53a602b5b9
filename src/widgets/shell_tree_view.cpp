#include "widgets/shell_tree_view.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>

#include "widgets/wide_text.h"

namespace {
// A COM interface pointer released at scope exit.
template <class T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() { if (p) p->Release(); }
    T* operator->() const { return p; }
    T** operator&() { return &p; }
};

std::wstring PathOf(LPCITEMIDLIST pidl) {
    wchar_t path[MAX_PATH] = {};
    if (!pidl || !SHGetPathFromIDListW(pidl, path)) return std::wstring();
    return path;
}

std::wstring DisplayName(IShellFolder* folder, LPCITEMIDLIST child, SHGDNF flags = SHGDN_INFOLDER) {
    STRRET name{};
    wchar_t buffer[MAX_PATH] = {};
    if (SUCCEEDED(folder->GetDisplayNameOf(child, flags, &name))) StrRetToBufW(&name, child, buffer, MAX_PATH);
    return buffer;
}

// The path of a folder found in `parent`. The shell hands out at most MAX_PATH - 1 characters
// (Wine cuts a longer path there and reports success; Windows fails): the path of a file-system
// folder inside one with a path is that path and the folder's own name.
std::wstring ChildPath(IShellFolder* parent, const std::wstring& parentPath, LPCITEMIDLIST relative,
                       LPCITEMIDLIST absolute, SFGAOF attributes) {
    std::wstring path = PathOf(absolute);
    if ((path.empty() || path.size() >= MAX_PATH - 1) && (attributes & SFGAO_FILESYSTEM) && !parentPath.empty()) {
        const std::wstring name = DisplayName(parent, relative, SHGDN_INFOLDER | SHGDN_FORPARSING);
        if (!name.empty()) path = AddBackslash(parentPath) + name;
    }
    return path;
}

bool PathWithin(const std::wstring& target, const std::wstring& folder) {
    if (folder.empty()) return false;
    std::wstring t = UpperCaseWide(target), f = UpperCaseWide(folder);
    if (t == f) return true;
    f = AddBackslash(f);
    return t.compare(0, f.size(), f) == 0;
}
}  // namespace

struct TShellTreeView::Node {
    LPITEMIDLIST pidl = nullptr;  // absolute, owned
    std::wstring path;            // empty for a virtual folder
    bool populated = false;
    ~Node() { CoTaskMemFree(pidl); }
};

TShellTreeView::TShellTreeView(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
}

TShellTreeView::~TShellTreeView() { DestroyWnd(); }

void TShellTreeView::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = WC_TREEVIEWA;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | TVS_HASBUTTONS | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP;
    params.ExStyle = WS_EX_CLIENTEDGE;
}

void TShellTreeView::AfterCreateWnd() {
    HWND h = HandleOrNull();
    SHFILEINFOA info{};
    auto icons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (icons) SendMessageA(h, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(icons));
    SendMessageA(h, TVM_SETINDENT, indent_, 0);

    LPITEMIDLIST desktop = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(h, CSIDL_DESKTOP, &desktop))) return;
    ComPtr<IShellFolder> root;
    SHGetDesktopFolder(&root);
    STRRET name{};
    wchar_t buffer[MAX_PATH] = L"Desktop";
    if (root.p && SUCCEEDED(root->GetDisplayNameOf(desktop, SHGDN_NORMAL, &name))) StrRetToBufW(&name, desktop, buffer, MAX_PATH);
    // The first selection belongs to building the tree, not to the user: no change event.
    filling_ = true;
    HTREEITEM top = AddNode(TVI_ROOT, desktop, buffer, PathOf(desktop), true);
    SendMessageA(h, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
    SendMessageA(h, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(top));
    filling_ = false;
}

void TShellTreeView::DestroyWnd() {
    TWinControl::DestroyWnd();
    nodes_.clear();
}

TShellTreeView::Node* TShellTreeView::NodeOf(HTREEITEM item) const {
    TVITEMA tv{};
    tv.mask = TVIF_PARAM | TVIF_HANDLE;
    tv.hItem = item;
    if (!item || !SendMessageA(HandleOrNull(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return nullptr;
    return reinterpret_cast<Node*>(tv.lParam);
}

HTREEITEM TShellTreeView::AddNode(HTREEITEM parent, LPITEMIDLIST absolute, const std::wstring& name,
                                  std::wstring path, bool hasChildren) {
    auto node = std::make_unique<Node>();
    node->pidl = absolute;
    node->path = std::move(path);
    SHFILEINFOA info{}, open{};
    SHGetFileInfoA(reinterpret_cast<LPCSTR>(absolute), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    SHGetFileInfoA(reinterpret_cast<LPCSTR>(absolute), 0, &open, sizeof(open),
                   SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
    // The tree keeps its texts in UTF-16, so a window made with the ANSI class shows these whole.
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(name.c_str());
    insert.item.cChildren = hasChildren ? 1 : 0;
    insert.item.iImage = info.iIcon;
    insert.item.iSelectedImage = open.iIcon ? open.iIcon : info.iIcon;
    insert.item.lParam = reinterpret_cast<LPARAM>(node.get());
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(HandleOrNull(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (item) nodes_.push_back(std::move(node));
    else node->pidl = nullptr, CoTaskMemFree(absolute);
    return item;
}

void TShellTreeView::Populate(HTREEITEM item) {
    Node* node = NodeOf(item);
    if (!node || node->populated) return;
    node->populated = true;
    ComPtr<IShellFolder> desktop, folder;
    if (FAILED(SHGetDesktopFolder(&desktop))) return;
    if (node->pidl->mkid.cb == 0) {
        desktop.p->AddRef();
        folder.p = desktop.p;
    } else if (FAILED(desktop->BindToObject(node->pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)))) {
        return;
    }
    ComPtr<IEnumIDList> children;
    if (folder->EnumObjects(HandleOrNull(), SHCONTF_FOLDERS, &children) != S_OK || !children.p) return;

    struct Child { std::wstring name; LPITEMIDLIST absolute; std::wstring path; bool hasChildren; };
    std::vector<Child> found;
    // The desktop merges folders of several places: its own path says nothing of theirs.
    const std::wstring parentPath = node->pidl->mkid.cb != 0 ? node->path : std::wstring();
    LPITEMIDLIST relative = nullptr;
    while (children->Next(1, &relative, nullptr) == S_OK) {
        SFGAOF attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM;
        folder->GetAttributesOf(1, const_cast<LPCITEMIDLIST*>(&relative), &attributes);
        if (attributes & SFGAO_FOLDER) {
            LPITEMIDLIST absolute = ILCombine(node->pidl, relative);
            found.push_back({DisplayName(folder.p, relative), absolute,
                             ChildPath(folder.p, parentPath, relative, absolute, attributes),
                             (attributes & SFGAO_HASSUBFOLDER) != 0});
        }
        CoTaskMemFree(relative);
    }
    if (node->pidl->mkid.cb != 0) {
        IShellFolder* f = folder.p;
        std::stable_sort(found.begin(), found.end(), [f](const Child& a, const Child& b) {
            HRESULT r = f->CompareIDs(0, ILFindLastID(a.absolute), ILFindLastID(b.absolute));
            return static_cast<short>(HRESULT_CODE(r)) < 0;
        });
    }
    for (Child& c : found) AddNode(item, c.absolute, c.name, std::move(c.path), c.hasChildren);
    if (found.empty()) {
        TVITEMA tv{};
        tv.mask = TVIF_CHILDREN | TVIF_HANDLE;
        tv.hItem = item;
        SendMessageA(HandleOrNull(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    }
}

std::wstring TShellTreeView::Path() const {
    HWND h = HandleOrNull();
    if (!h) return std::wstring();
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_CARET, 0));
    Node* node = NodeOf(item);
    return node ? node->path : std::wstring();
}

HTREEITEM TShellTreeView::FindChildToward(HTREEITEM item, const std::wstring& target, LPCITEMIDLIST targetPidl) {
    HTREEITEM child = MatchingChild(item, target, targetPidl);
    if (!child) {
        // The tree does not follow the file system by itself: read a folder made since again.
        Refresh(item);
        child = MatchingChild(item, target, targetPidl);
    }
    return child;
}

void TShellTreeView::Refresh(HTREEITEM item) {
    HWND h = HandleOrNull();
    Node* node = NodeOf(item);
    if (!node || !node->populated) return;
    // Deleting the selected folder moves the selection; that is no choice of the user's.
    const bool wasFilling = filling_;
    filling_ = true;
    HTREEITEM child;
    while ((child = reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))))) {
        SendMessageA(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child));
    }
    node->populated = false;
    Populate(item);
    filling_ = wasFilling;
}

HTREEITEM TShellTreeView::MatchingChild(HTREEITEM item, const std::wstring& target, LPCITEMIDLIST targetPidl) {
    HWND h = HandleOrNull();
    Populate(item);
    HTREEITEM virtualMatch = nullptr;
    for (auto child = reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
         child; child = reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
        Node* node = NodeOf(child);
        if (!node) continue;
        const std::wstring& path = node->path;
        if (PathWithin(target, path)) return child;
        if (path.empty() && !virtualMatch && targetPidl && ILIsParent(node->pidl, targetPidl, FALSE)) virtualMatch = child;
    }
    return virtualMatch;
}

bool TShellTreeView::SelectPath(const std::wstring& path) {
    HWND h = Handle();
    if (!h) return false;
    std::wstring parsed = path;
    LPITEMIDLIST target = nullptr;
    ComPtr<IShellFolder> desktop;
    if (SUCCEEDED(SHGetDesktopFolder(&desktop))) desktop->ParseDisplayName(h, nullptr, parsed.data(), nullptr, &target, nullptr);

    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    std::wstring wanted = path.size() > 3 ? RemoveBackslash(path) : path;  // "C:\" keeps its backslash
    bool found = false;
    for (int depth = 0; item && depth < 64; ++depth) {
        Node* node = NodeOf(item);
        if (node && UpperCaseWide(node->path) == UpperCaseWide(wanted) && depth > 0) {
            found = true;
            break;
        }
        item = FindChildToward(item, wanted, target);
        if (item) SendMessageA(h, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item))));
    }
    CoTaskMemFree(target);
    if (!found) return false;
    SendMessageA(h, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SendMessageA(h, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    return true;
}

bool TShellTreeView::Notify(NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case TVN_ITEMEXPANDINGA: case TVN_ITEMEXPANDINGW: {
        auto& view = reinterpret_cast<NMTREEVIEWA&>(header);
        if (view.action & TVE_EXPAND) Populate(view.itemNew.hItem);
        result = FALSE;
        return true;
    }
    case TVN_SELCHANGEDA: case TVN_SELCHANGEDW: {
        auto& view = reinterpret_cast<NMTREEVIEWA&>(header);
        if (!filling_ && OnChange) OnChange(this, view.itemNew.hItem);
        return true;
    }
    case TVN_DELETEITEMA: case TVN_DELETEITEMW: {
        auto* node = reinterpret_cast<Node*>(reinterpret_cast<NMTREEVIEWA&>(header).itemOld.lParam);
        std::erase_if(nodes_, [node](const std::unique_ptr<Node>& n) { return n.get() == node; });
        return true;
    }
    case NM_RCLICK: {
        // A right click selects the folder under the pointer.
        TVHITTESTINFO hit{};
        GetCursorPos(&hit.pt);
        ::ScreenToClient(HandleOrNull(), &hit.pt);
        auto item = reinterpret_cast<HTREEITEM>(SendMessageA(HandleOrNull(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (item) SendMessageA(HandleOrNull(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        return false;
    }
    }
    return false;
}
