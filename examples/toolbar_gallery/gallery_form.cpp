#include "gallery_form.h"

#include "toolbar/base/common.h"
#include "widgets/deferred_call.h"
#include "widgets/short_cut.h"

namespace {

// The bitmap strip's pictures, by what they show.
enum TGalleryImage : int { imDoor, imPage, imInfo, imStop, imFolder, imCheckedA, imTypeface };

std::string PlainCaption(const TTBCustomItem* item) { return StripAccelChars(item->CaptionText()).Text; }

}  // namespace

TGalleryForm::TGalleryForm(TComponent* owner, const TGalleryOptions& options)
    : TForm(owner), skinChoice_(options.Skin), colorChoice_(options.Colors) {
    SetName("GalleryForm");
    SetCaption("Toolbar gallery");
    SetBounds(40, 40, 800, 600);

    // The one skin of the process: as the default skin, it paints everything that has none.
    Skin = TComponent::Create<TTBSkin>(this);
    Skin->SetIsDefaultSkin(true);
    Images = TComponent::Create<TImageList>(this, 16, 16, true);
    Images->AddResourceStrip(Application->Instance(), "TOOLBAR", 0xFF00FF);

    BuildDocks();
    BuildMenuBar();
    BuildStandardBar();
    BuildToolsBar();
    BuildPopupMenu();
    BuildClientArea();
    BuildPaletteBar();
    SetLook(skinChoice_, colorChoice_);
}

// Alignment goes by creation: the status bar takes the bottom edge before the bottom dock.
void TGalleryForm::BuildDocks() {
    auto dock = [this](const char* name, TTBDockPosition position) {
        auto* d = TComponent::Create<TTBDock>(this);
        d->SetName(name);
        d->SetPosition(position);
        d->SetParent(this);
        return d;
    };
    TopDock = dock("TopDock", dpTop);
    BuildStatusBar();
    BottomDock = dock("BottomDock", dpBottom);
    LeftDock = dock("LeftDock", dpLeft);
    RightDock = dock("RightDock", dpRight);
}

void TGalleryForm::BuildStatusBar() {
    StatusBar = TComponent::Create<TStatusBar>(this);
    StatusBar->SetName("StatusBar");
    StatusBar->SetAlign(alBottom);
    StatusBar->AddPanel(760);
    StatusBar->SetParent(this);
    StatusBar->SetPanelText(0, "clicked: (nothing yet)");
}

// What the docks leave free opens the popup menu on a right click, the hint label included.
void TGalleryForm::BuildClientArea() {
    Hint = TComponent::Create<TLabel>(this);
    Hint->SetName("Hint");
    Hint->SetCaption("Right-click here for the popup menu");
    Hint->SetBounds(200, 220, 260, 16);
    Hint->SetParent(this);
    Hint->OnMouseUp = [this](TComponent*, TMouseButton button, TShiftState, int x, int y) {
        ClientMouseUp(button, POINT{x + Hint->Left(), y + Hint->Top()});
    };
    OnMouseUp = [this](TComponent*, TMouseButton button, TShiftState, int x, int y) {
        ClientMouseUp(button, POINT{x, y});
    };
}

TTBToolbar* TGalleryForm::AddToolbar(TTBDock* dock, const char* name, const char* caption, int row) {
    auto* bar = TComponent::Create<TTBToolbar>(this);
    bar->SetName(name);
    bar->SetCaption(caption);
    bar->SetImages(Images);
    bar->SetDockRow(row);
    bar->SetDockPos(0);
    bar->SetParent(dock);
    return bar;
}

TTBItem* TGalleryForm::AddItem(TTBCustomItem* parent, const char* caption, std::function<void()> action) {
    auto* item = TComponent::Create<TTBItem>(this);
    item->SetCaption(caption);
    item->OnClick = [this, item, action](TComponent*) {
        ShowClicked(item);
        if (action) action();
    };
    parent->Add(item);
    return item;
}

TTBItem* TGalleryForm::AddSubmenu(TTBCustomItem* parent, const char* caption) {
    auto* item = TComponent::Create<TTBItem>(this);
    item->SetCaption(caption);
    item->SetItemStyle(item->ItemStyle() | isfSubmenu);
    parent->Add(item);
    return item;
}

void TGalleryForm::AddSeparator(TTBCustomItem* parent) { parent->Add(TComponent::Create<TTBSeparatorItem>(this)); }

void TGalleryForm::BuildMenuBar() {
    MenuBar = AddToolbar(TopDock, "MenuBar", "Menu", 0);
    MenuBar->SetMenuBar(true);
    TTBCustomItem* root = MenuBar->Items();

    TTBItem* file = AddSubmenu(root, "&File");
    AddItem(file, "&New")->SetShortCut(ShortCut('N', ssCtrl));
    TTBItem* open = AddItem(file, "&Open");
    open->SetShortCut(ShortCut('O', ssCtrl));
    open->SetOptions(TTBItemOptions{tboDefault});  // a double-click on "File" runs it
    open->SetImageIndex(imFolder);
    AddItem(file, "&Save")->SetShortCut(ShortCut('S', ssCtrl));
    AddItem(file, "&Print")->SetEnabled(false);
    AddSeparator(file);
    TTBItem* recent = AddSubmenu(file, "&Recent");
    TTBItem* documents = AddSubmenu(recent, "&Documents");
    AddItem(documents, "&Letter");
    AddItem(documents, "&Report");
    AddItem(recent, "&Pictures");
    AddSeparator(file);
    AddItem(file, "E&xit", [this] { Close(); });

    TTBItem* edit = AddSubmenu(root, "&Edit");
    AddItem(edit, "&Undo")->SetShortCut(ShortCut('Z', ssCtrl));
    AddItem(edit, "&Redo")->SetEnabled(false);
    AddSeparator(edit);
    AddItem(edit, "Cu&t")->SetShortCut(ShortCut('X', ssCtrl));
    AddItem(edit, "&Copy\tCtrl+C");
    // A split item: the left part runs "Paste", the arrow opens its variants.
    TTBItem* paste = AddItem(edit, "&Paste");
    paste->SetItemStyle(paste->ItemStyle() | isfSubmenu | isfCombo);
    AddItem(paste, "Paste &Special");
    AddItem(paste, "Paste as &Text");
    AddSeparator(edit);
    AddItem(edit, "&Word Wrap")->SetAutoCheck(true);
    TTBItem* readOnly = AddItem(edit, "Read &Only");
    readOnly->SetAutoCheck(true);
    readOnly->SetChecked(true);
    AddSeparator(edit);
    for (const char* caption : {"Align &Left", "Align &Center", "Align &Right"}) {
        TTBItem* align = AddItem(edit, caption);
        align->SetAutoCheck(true);
        align->SetGroupIndex(1);
    }
    edit->Items(edit->Count() - 3)->SetChecked(true);

    TTBItem* view = AddSubmenu(root, "&View");
    TTBItem* skins = AddSubmenu(view, "&Skin");
    const char* skinCaptions[] = {"&Office XP", "&Windows XP", "&Native theme", "&Disabled"};
    for (int i = 0; i < 4; ++i) {
        TTBItem* item = AddItem(skins, skinCaptions[i], [this, i] { SetLook(static_cast<TGallerySkin>(i), colorChoice_); });
        item->SetGroupIndex(10);
        skinItems_[i] = item;
    }
    TTBItem* colors = AddSubmenu(view, "&Colors");
    const char* colorCaptions[] = {"&Office XP", "&Windows XP", "&Distinct"};
    for (int i = 0; i < 3; ++i) {
        TTBItem* item = AddItem(colors, colorCaptions[i], [this, i] { SetLook(skinChoice_, static_cast<TGalleryColors>(i)); });
        item->SetGroupIndex(11);
        colorItems_[i] = item;
    }
    AddSeparator(view);
    standardBarItem_ = AddItem(view, "S&tandard bar", [this] { StandardBar->SetVisible(standardBarItem_->Checked()); });
    standardBarItem_->SetAutoCheck(true);
    standardBarItem_->SetChecked(true);
    paletteItem_ = AddItem(view, "&Palette", [this] { PaletteBar->SetVisible(paletteItem_->Checked()); });
    paletteItem_->SetAutoCheck(true);
    paletteItem_->SetChecked(true);
}

void TGalleryForm::BuildStandardBar() {
    StandardBar = AddToolbar(TopDock, "StandardBar", "Standard", 1);
    TTBCustomItem* root = StandardBar->Items();
    AddItem(root, "New")->SetImageIndex(imPage);
    AddItem(root, "Open")->SetImageIndex(imFolder);
    AddSeparator(root);
    TTBItem* fonts = AddSubmenu(root, "Fonts");  // a drop-down button
    fonts->SetImageIndex(imCheckedA);
    fonts->SetOptions(TTBItemOptions{tboDropdownArrow});
    AddItem(fonts, "&Serif");
    AddItem(fonts, "S&ans");
    AddItem(fonts, "&Mono");
    TTBItem* preview = AddItem(root, "Preview");  // a check button, with its caption
    preview->SetImageIndex(imTypeface);
    preview->SetDisplayMode(nbdmImageAndText);
    preview->SetAutoCheck(true);
    TTBItem* stop = AddItem(root, "Stop");
    stop->SetImageIndex(imStop);
    stop->SetEnabled(false);
    AddSeparator(root);
    TTBItem* paste = AddItem(root, "Paste");  // a split button
    paste->SetItemStyle(paste->ItemStyle() | isfSubmenu | isfCombo);
    AddItem(paste, "Paste &Special");
    AddItem(paste, "Paste as &Text");
    AddItem(root, "About")->SetImageIndex(imInfo);
    AddSeparator(root);
    AddItem(root, "Zoom In");
    AddItem(root, "Zoom Out");
    AddItem(root, "Leave")->SetImageIndex(imDoor);
    StandardBar->OnClose = [this](TComponent*) { standardBarItem_->SetChecked(false); };
}

void TGalleryForm::BuildToolsBar() {
    ToolsBar = AddToolbar(LeftDock, "ToolsBar", "Tools", 0);
    TTBCustomItem* root = ToolsBar->Items();
    for (const char* caption : {"Pen", "Brush", "Fill"}) {
        TTBItem* tool = AddItem(root, caption);
        tool->SetAutoCheck(true);
        tool->SetGroupIndex(1);
    }
    root->Items(0)->SetChecked(true);
    AddSeparator(root);
    AddItem(root, "Text")->SetImageIndex(imTypeface);
    TTBItem* shapes = AddSubmenu(root, "Shapes");
    shapes->SetOptions(TTBItemOptions{tboDropdownArrow});
    AddItem(shapes, "&Line");
    AddItem(shapes, "&Box");
}

void TGalleryForm::BuildPaletteBar() {
    PaletteBar = AddToolbar(RightDock, "PaletteBar", "Palette", 0);
    TTBCustomItem* root = PaletteBar->Items();
    // Its short-cuts work docked and floating alike.
    PaletteBar->SetProcessShortCuts(true);
    const char* colours[] = {"Red", "Green", "Blue"};
    for (int i = 0; i < 3; ++i) AddItem(root, colours[i])->SetShortCut(ShortCut(static_cast<WORD>('1' + i), ssCtrl));
    AddSeparator(root);
    AddItem(root, "Black");
    AddItem(root, "White");
    PaletteBar->OnClose = [this](TComponent*) { paletteItem_->SetChecked(false); };
}

// The palette floats once the form is up, over the form's right half; its last dock, the
// right one, takes it back on a double-click of its caption. (Floated earlier, Wine would keep
// it below the form when the form comes to the front; Windows keeps owned windows above.)
void TGalleryForm::SetVisible(bool visible) {
    TForm::SetVisible(visible);
    if (!visible || paletteFloated_) return;
    paletteFloated_ = true;
    PostDeferredCall([alive = std::weak_ptr<bool>(alive_), this] {
        if (alive.expired()) return;
        PaletteBar->SetFloatingPosition(POINT{Left() + 520, Top() + 300});
        PaletteBar->SetFloating(true);
    });
}

void TGalleryForm::BuildPopupMenu() {
    PopupMenu = TComponent::Create<TTBPopupMenu>(this);
    PopupMenu->SetName("PopupMenu");
    PopupMenu->SetImages(Images);
    TTBCustomItem* root = PopupMenu->Items();
    AddItem(root, "Cu&t");
    AddItem(root, "&Copy")->SetImageIndex(imPage);
    AddItem(root, "&Paste");
    AddSeparator(root);
    TTBItem* insert = AddSubmenu(root, "&Insert");
    AddItem(insert, "&Date");
    AddItem(insert, "&Time");
    AddItem(root, "Select &All");
}

void TGalleryForm::ClientMouseUp(TMouseButton button, POINT client) {
    if (button != mbRight) return;
    POINT screen = ClientToScreen(client);
    PopupMenu->Popup(screen.x, screen.y);
}

void TGalleryForm::ShowClicked(const TTBCustomItem* item) {
    StatusBar->SetPanelText(0, "clicked: " + PlainCaption(item));
}

void TGalleryForm::SetLook(TGallerySkin skin, TGalleryColors colors) {
    skinChoice_ = skin;
    colorChoice_ = colors;
    ApplyGalleryLook(*Skin, skin, colors);
    skinItems_[skin]->SetChecked(true);
    colorItems_[colors]->SetChecked(true);
}

TTBCustomItem* TGalleryForm::FindItem(const std::string& path, TTBCustomItem* root) const {
    TTBCustomItem* item = root ? root : MenuBar->Items();
    size_t start = 0;
    while (item && start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string caption = path.substr(start, end - start);
        TTBCustomItem* found = nullptr;
        for (int i = 0; i < item->Count() && !found; ++i)
            if (PlainCaption(item->Items(i)) == caption) found = item->Items(i);
        item = found;
        start = end + 1;
    }
    return item;
}
