// The view's core: its viewers and how they follow the item tree, invalidation and painting.
#include "toolbar/views/view.h"

#include <algorithm>

#include "toolbar/base/common.h"
#include "toolbar/skins/skin.h"
#include "toolbar/views/accessible.h"
#include "widgets/handles.h"
#include "widgets/paint_buffer.h"

namespace {
int liveViews = 0;
}

TTBPopupFactory& PopupFactory() {
    static TTBPopupFactory factory;
    return factory;
}

int TTBView::LiveViewCount() { return liveViews; }

TTBView::TTBView(TComponent* owner, TTBView* parentView, TTBCustomItem* parentItem, TWinControl* window,
                 bool isToolbar, bool customizing, bool usePriorityList)
    : TComponent(owner),
      customizing_(customizing),
      isToolbar_(isToolbar),
      parentView_(parentView),
      parentItem_(parentItem),
      usePriorityList_(usePriorityList && isToolbar),
      window_(window) {
    ++liveViews;
    if (parentView_) {
        skin_ = parentView_->skin_;
        menuBar_ = parentView_->menuBar_;
        showAccels_ = parentView_->showAccels_;
    }
    parentItem_->RegisterNotification(this);
    parentItem_->FreeNotification(this);
    // No destructor runs for a view that fails here (a viewer, an action's update handler): it
    // lets go of the items itself, else they keep calling a freed observer.
    try {
        SetEffectiveParent();
        RecreateAllViewers();
        for (auto& viewer : viewers_)
            if (viewer->Item()->Visible()) viewer->Item()->UpdateFromAction();
    } catch (...) {
        DetachFromItems(nullptr);
        --liveViews;
        throw;
    }
}

TTBView::~TTBView() {
    *alive_ = false;
    for (int kind = vtOpen; kind <= vtScrollDown; ++kind) StopTimer(static_cast<TTBViewTimer>(kind));
    DetachFromItems(nullptr);
    --liveViews;
}

// Lets go of the viewers and of the items the view follows; `going` is an item being freed,
// which is not told anything more.
void TTBView::DetachFromItems(const TComponent* going) {
    CloseChildPopups();
    selected_ = nullptr;
    priorityList_.clear();
    viewers_.clear();
    if (effectiveParentItem_ && effectiveParentItem_ != parentItem_ && effectiveParentItem_ != going)
        effectiveParentItem_->UnregisterNotification(this);
    if (parentItem_ && parentItem_ != going) parentItem_->UnregisterNotification(this);
    parentItem_ = effectiveParentItem_ = nullptr;
}

void TTBView::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    // The items outlive their views in every normal teardown; this guards the others.
    if (component == parentItem_ || component == effectiveParentItem_) DetachFromItems(component);
}

bool TTBView::ParentLoading() const {
    if (!parentItem_) return true;
    return parentItem_->Loading() || (parentItem_->Owner() && parentItem_->Owner()->Loading());
}

void TTBView::SetEffectiveParent() {
    TTBCustomItem* effective = parentItem_->LinkSubitems() ? parentItem_->LinkSubitems() : parentItem_;
    if (effective == effectiveParentItem_) return;
    if (effectiveParentItem_ && effectiveParentItem_ != parentItem_) effectiveParentItem_->UnregisterNotification(this);
    effectiveParentItem_ = effective;
    if (effective != parentItem_) effective->RegisterNotification(this);
}

// --- viewers --------------------------------------------------------------------------------

std::unique_ptr<TTBItemViewer> TTBView::CreateViewer(TTBCustomItem* item) {
    switch (item->ViewerClass()) {
    case vcSeparatorItemViewer: return std::make_unique<TTBSeparatorItemViewer>(this, item);
    case vcChevronItemViewer: return std::make_unique<TTBChevronItemViewer>(this, item);
    case vcItemViewer: break;
    }
    return std::make_unique<TTBItemViewer>(this, item);
}

// The items shown, in viewer order: children in index order, an embedded group followed by
// its own children (itself only while customising), the chevron last.
std::vector<TTBCustomItem*> TTBView::ShownItems() const {
    std::vector<TTBCustomItem*> items;
    for (int i = 0; i < effectiveParentItem_->Count(); ++i) {
        TTBCustomItem* child = effectiveParentItem_->Items(i);
        items.push_back(child);
        if ((child->ItemStyle() & isfEmbeddedGroup) && !customizing_) {
            TTBCustomItem* group = child->EffectiveParent();
            for (int j = 0; j < group->Count(); ++j) items.push_back(group->Items(j));
        }
    }
    if (TTBCustomItem* chevron = GetChevronItem()) items.push_back(chevron);
    return items;
}

int TTBView::IndexOf(const TTBItemViewer* viewer) const {
    for (size_t i = 0; i < viewers_.size(); ++i)
        if (viewers_[i].get() == viewer) return static_cast<int>(i);
    return -1;
}

TTBItemViewer* TTBView::Find(const TTBCustomItem* item) const {
    for (auto& viewer : viewers_)
        if (viewer->Item() == item) return viewer.get();
    return nullptr;
}

void TTBView::RecreateAllViewers() {
    std::vector<std::unique_ptr<TTBItemViewer>> doomed = std::move(viewers_);
    viewers_.clear();
    FreeViewers(doomed);
    if (!effectiveParentItem_) return;
    for (TTBCustomItem* item : ShownItems()) viewers_.push_back(CreateViewer(item));
    RebuildPriorityList();
    InvalidatePositions();
}

// Viewers keep their place in the priority list; new ones join at the end, in order.
void TTBView::RebuildPriorityList() {
    if (!usePriorityList_) return;
    for (auto& viewer : viewers_)
        if (std::find(priorityList_.begin(), priorityList_.end(), viewer.get()) == priorityList_.end())
            priorityList_.push_back(viewer.get());
}

// Brings the viewers in line with the tree, keeping the viewers of items still shown.
void TTBView::SyncViewers() {
    std::vector<std::unique_ptr<TTBItemViewer>> old = std::move(viewers_);
    viewers_.clear();
    for (TTBCustomItem* item : ShownItems()) {
        auto it = std::find_if(old.begin(), old.end(), [&](auto& v) { return v && v->Item() == item; });
        viewers_.push_back(it != old.end() ? std::move(*it) : CreateViewer(item));
    }
    std::erase(old, nullptr);
    FreeViewers(old);
    RebuildPriorityList();
    InvalidatePositions();
}

void TTBView::DeleteViewersOf(TTBCustomItem* item) {
    std::vector<std::unique_ptr<TTBItemViewer>> doomed;
    auto belongs = [&](const TTBItemViewer* v) {
        if (v->Item() == item) return true;
        // An embedded group's children are shown inline: they go with it.
        return (item->ItemStyle() & isfEmbeddedGroup) && v->Item()->Parent() == item->EffectiveParent();
    };
    for (auto& viewer : viewers_)
        if (belongs(viewer.get())) doomed.push_back(std::move(viewer));
    std::erase(viewers_, nullptr);
    FreeViewers(doomed);
    InvalidatePositions();
}

void TTBView::ReplaceViewer(int index, std::unique_ptr<TTBItemViewer> viewer) {
    std::vector<std::unique_ptr<TTBItemViewer>> doomed;
    TTBItemViewer* old = viewers_.at(index).get();
    std::replace(priorityList_.begin(), priorityList_.end(), old, viewer.get());
    doomed.push_back(std::move(viewers_[index]));
    viewers_[index] = std::move(viewer);
    FreeViewers(doomed);
}

// Nothing may point to a viewer once it is gone: its open popup closes first, and the
// selection, the press and the priority list forget it.
void TTBView::FreeViewers(std::vector<std::unique_ptr<TTBItemViewer>>& doomed) {
    for (auto& viewer : doomed) {
        TTBItemViewer* v = viewer.get();
        if (v == openViewer_) CloseChildPopups();
        if (v == selected_) {
            selected_ = nullptr;
            capture_ = false;
            mouseInsideSelected_ = false;
        }
        std::erase(priorityList_, v);
    }
    doomed.clear();
}

void TTBView::RecreateViewersOf(TTBCustomItem* item) {
    for (size_t i = 0; i < viewers_.size(); ++i)
        if (viewers_[i]->Item() == item) ReplaceViewer(static_cast<int>(i), CreateViewer(item));
    RebuildPriorityList();
}

void TTBView::SubmenuImagesChanged() {
    InvalidatePositions();
    if (TTBView* open = OpenView()) open->SubmenuImagesChanged();
}

void TTBView::ItemNotification(TTBCustomItem* Sender, bool Relayed, TTBItemNotifyKind Kind, int Index,
                               TTBCustomItem* Item) {
    (void)Index;
    const bool fromParentOnly = !Relayed && Sender == parentItem_ && parentItem_ != effectiveParentItem_;
    if (fromParentOnly) {
        if (Kind == inkSubitemsChanged) {
            SetEffectiveParent();
            RecreateAllViewers();
        } else if (Kind == inkSubmenuImagesChanged) {
            SubmenuImagesChanged();
        } else {
            return;
        }
        AfterNotification();
        return;
    }
    switch (Kind) {
    case inkInserted:
        SyncViewers();
        break;
    case inkDeleting:
        DeleteViewersOf(Item);
        break;
    case inkSubitemsChanged:
        if (!Relayed) SetEffectiveParent();
        RecreateAllViewers();
        break;
    case inkBeginUpdate:
        ++updateCount_;
        break;
    case inkEndUpdate:
        // A view made inside an update pair sees only its end.
        if (updateCount_ > 0) --updateCount_;
        break;
    case inkInvalidate:
        // Checked and Enabled come this way.
        for (auto& viewer : viewers_)
            if (viewer->Item() == Item) {
                Invalidate(viewer.get());
                NotifyAccessibleEvent(*this, EVENT_OBJECT_STATECHANGE, viewer.get());
            }
        break;
    case inkInvalidateAndResize:
        // The caption comes this way; the child's number is known once the layout has run.
        InvalidatePositions();
        AfterNotification();
        if (TTBItemViewer* viewer = Find(Item)) NotifyAccessibleEvent(*this, EVENT_OBJECT_NAMECHANGE, viewer);
        return;
    case inkRecreateViewers:
        InvalidatePositions();
        RecreateViewersOf(Item);
        break;
    case inkSubmenuImagesChanged:
        SubmenuImagesChanged();
        break;
    case inkNameChanged:
        return;
    }
    AfterNotification();
}

void TTBView::AfterNotification() {
    if (updateCount_ == 0 && !ParentLoading()) ValidatePositions();
}

// --- properties -----------------------------------------------------------------------------

void TTBView::SetChevronLimit(int value) {
    if (value == chevronLimit_) return;
    chevronLimit_ = value;
    InvalidatePositions();
}

void TTBView::SetOrientation(TTBViewOrientation value) {
    if (value == orientation_) return;
    orientation_ = value;
    InvalidatePositions();
}

void TTBView::SetWrapOffset(int value) {
    if (value == wrapOffset_) return;
    wrapOffset_ = value;
    InvalidatePositions();
}

void TTBView::SetSkin(TTBBaseSkin* value) {
    if (value == skin_) return;
    skin_ = value;
    InvalidatePositions();
    if (window_ && window_->HandleAllocated()) InvalidateRect(window_->HandleOrNull(), nullptr, TRUE);
}

bool TTBView::ShowAccels() const { return !menuBar_ || showAccels_ || KeyboardCuesShown(); }

void TTBView::SetShowAccels(bool value) {
    if (value == showAccels_) return;
    bool wasShown = ShowAccels();
    showAccels_ = value;
    if (ShowAccels() == wasShown) return;
    for (auto& viewer : viewers_)
        if (FindAccelChar(viewer->GetCaptionText()) != 0) Invalidate(viewer.get());
}

void TTBView::SetSize(int width, int height) {
    if (!window_) return;
    RECT frame{0, 0, width, height};
    if (window_->HandleAllocated()) {
        RECT client, outer;
        GetClientRect(window_->HandleOrNull(), &client);
        GetWindowRect(window_->HandleOrNull(), &outer);
        frame.right += (outer.right - outer.left) - client.right;
        frame.bottom += (outer.bottom - outer.top) - client.bottom;
    }
    window_->SetBounds(window_->Left(), window_->Top(), frame.right, frame.bottom);
}

RECT TTBView::GetMargins(TTBViewOrientation orientation) const {
    return orientation == voFloating ? RECT{4, 2, 4, 1} : RECT{0, 0, 0, 0};
}

HFONT TTBView::GetFont() { return MenuFont(); }

TTBBaseSkin* TTBView::SkinInForce() const { return EffectiveSkin(skin_); }

bool TTBView::SkinActive() const { return SkinInForce() != nullptr; }

bool TTBView::OfficeXPSkinInForce() const {
    TTBBaseSkin* skin = SkinInForce();
    return skin && skin->SkinType() == tbsOfficeXP;
}

// --- invalidation and painting ----------------------------------------------------------------

TTBItemViewer* TTBView::ViewerFromPoint(POINT clientPoint) {
    ValidatePositions();
    for (auto& viewer : viewers_)
        if (viewer->Show && PtInRect(&viewer->BoundsRect, clientPoint)) return viewer.get();
    return nullptr;
}

void TTBView::Invalidate(TTBItemViewer* viewer) {
    if (!viewer || !validPositions_ || !window_ || !window_->HandleAllocated()) return;
    if (!viewer->Show || IsRectEmpty(&viewer->BoundsRect) || viewer->IsControlItem()) return;
    viewer->RepaintPending = true;
    InvalidateRect(window_->HandleOrNull(), &viewer->BoundsRect, FALSE);
}

void TTBView::DrawSubitems(TCanvas& canvas) {
    ValidatePositions();
    // The selected viewer last: its look may reach over its neighbours.
    for (auto& viewer : viewers_)
        if (viewer.get() != selected_) PaintViewer(canvas, viewer.get());
    if (selected_) PaintViewer(canvas, selected_);
}

TColor TTBView::BackgroundColor() const {
    if (color_ != static_cast<TColor>(0x20000000)) return color_;
    return isToolbar_ ? clBtnFace : clSystemColor | COLOR_MENU;
}

void TTBView::EraseInto(HDC dc, const RECT& area) {
    if (OnEraseBackground)
        OnEraseBackground(dc, area);
    else
        FillSolid(dc, area, BackgroundColor());
}

void TTBView::PaintViewer(TCanvas& canvas, TTBItemViewer* viewer) {
    if (!viewer->Show || viewer->IsControlItem() || IsRectEmpty(&viewer->BoundsRect)) return;
    HDC dc = canvas.Handle();
    const RECT& r = viewer->BoundsRect;
    ScopedSaveDC saved(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    RECT clip;
    if (GetClipBox(dc, &clip) == NULLREGION || IsRectEmpty(&clip)) return;

    // A chevron list keeps its buttons' toolbar look.
    const bool menuStyle = !viewer->IsToolbarStyle();
    const bool selected = viewer == selected_;
    const bool pushed = selected && (viewer == openViewer_ || (mouseInsideSelected_ && capture_));
    const RECT client{0, 0, r.right - r.left, r.bottom - r.top};
    // The viewer paints at (0, 0): the origin moves to its corner, and on the window's own
    // device the brush origin too, so that patterns start at the viewer.
    auto paintOn = [&](HDC target, bool alignBrush) {
        POINT origin;
        GetWindowOrgEx(target, &origin);
        SetWindowOrgEx(target, origin.x - r.left, origin.y - r.top, nullptr);
        if (alignBrush) {
            POINT brush;
            GetBrushOrgEx(target, &brush);
            SetBrushOrgEx(target, brush.x + r.left, brush.y + r.top, nullptr);
        }
        TCanvas canvas(target);
        viewer->Paint(canvas, client, selected, pushed, menuStyle);
    };
    if (!viewer->RepaintPending) {
        paintOn(dc, true);
        return;
    }
    // Off-screen, over the window's own background, so the change shows in one copy.
    viewer->RepaintPending = false;
    TBufferedPaint buffer(dc, r);
    EraseInto(buffer.dc(), r);
    paintOn(buffer.dc(), false);
}
