#pragma once
#include <functional>
#include <memory>
#include <string>

#include "gallery_options.h"
#include "toolbar/docks/dock.h"
#include "toolbar/items/item.h"
#include "toolbar/popups/popup.h"
#include "toolbar/skins/skin.h"
#include "toolbar/docks/toolbar.h"
#include "widgets/form.h"
#include "widgets/image_list.h"
#include "widgets/label.h"
#include "widgets/status_bar.h"

// The toolbar framework's whole range in one window: docks on all four sides, a menu bar, an
// image toolbar with a chevron, a vertical toolbar, a floating toolbar, a popup menu, and the
// skin types and colour sets switched at run time. Captions, order and places are fixed, so a
// test can drive it; the status bar tells the last item clicked ("clicked: Open").
class TGalleryForm : public TForm {
public:
    TGalleryForm(TComponent* owner, const TGalleryOptions& options);

    // The item at a path of captions without their "&", as "File/Recent/Documents/Letter",
    // under `root` (the menu bar's items by default); null when there is none.
    TTBCustomItem* FindItem(const std::string& path, TTBCustomItem* root = nullptr) const;
    std::string StatusText() const { return StatusBar->PanelText(0); }

    TGallerySkin SkinChoice() const { return skinChoice_; }
    TGalleryColors ColorChoice() const { return colorChoice_; }
    // Applies at once to every toolbar, popup and frame, through the default skin.
    void SetLook(TGallerySkin skin, TGalleryColors colors);
    void SetVisible(bool visible) override;

    TTBSkin* Skin = nullptr;
    TImageList* Images = nullptr;
    TTBDock* TopDock = nullptr;
    TTBDock* BottomDock = nullptr;
    TTBDock* LeftDock = nullptr;
    TTBDock* RightDock = nullptr;
    TTBToolbar* MenuBar = nullptr;      // top dock, row 0
    TTBToolbar* StandardBar = nullptr;  // top dock, row 1: image buttons, cut behind the chevron when narrow
    TTBToolbar* ToolsBar = nullptr;     // left dock, vertical
    TTBToolbar* PaletteBar = nullptr;   // starts floating; its last dock is the right one
    TTBPopupMenu* PopupMenu = nullptr;  // right click in the client area
    TStatusBar* StatusBar = nullptr;
    TLabel* Hint = nullptr;

private:
    void BuildDocks();
    void BuildMenuBar();
    void BuildStandardBar();
    void BuildToolsBar();
    void BuildPaletteBar();
    void BuildPopupMenu();
    void BuildStatusBar();
    void BuildClientArea();

    // An item under `parent` that reports its click in the status bar, then runs `action`.
    TTBItem* AddItem(TTBCustomItem* parent, const char* caption, std::function<void()> action = {});
    TTBItem* AddSubmenu(TTBCustomItem* parent, const char* caption);
    void AddSeparator(TTBCustomItem* parent);
    TTBToolbar* AddToolbar(TTBDock* dock, const char* name, const char* caption, int row);
    void ShowClicked(const TTBCustomItem* item);
    void ClientMouseUp(TMouseButton button, POINT client);

    TGallerySkin skinChoice_;
    TGalleryColors colorChoice_;
    TTBCustomItem* skinItems_[4] = {};
    TTBCustomItem* colorItems_[3] = {};
    TTBCustomItem* standardBarItem_ = nullptr;
    TTBCustomItem* paletteItem_ = nullptr;
    bool paletteFloated_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
