#pragma once
#include <windows.h>

#include <string>
#include <vector>

class TTBView;
class TTBItemViewer;

// What accessibility clients (screen readers, magnifiers that follow the focus, test tools)
// read of the framework's windows. A toolbar or popup is painted, without child windows: the
// system's own accessible objects see an empty window, so each view describes its viewers
// itself through Active Accessibility.

// One child of a view's accessible object as a client reads it.
struct TTBAccessibleChild {
    std::string Name;
    LONG Role = 0;
    LONG State = 0;
    std::string DefaultAction;  // empty: none
    std::string KeyboardShortcut;
    std::string Description;  // the long hint
};

// The viewers a client sees, in the view's order: every shown viewer, and those of visible
// items that are cut off behind the chevron or scrolled out of a popup (reported invisible).
std::vector<TTBItemViewer*> AccessibleChildren(const TTBView& view);
// 1-based, as clients count children; 0 when the viewer is not one of them.
LONG AccessibleChildId(const TTBView& view, const TTBItemViewer* viewer);
TTBAccessibleChild DescribeAccessibleChild(const TTBItemViewer& viewer);
// The view's own name and role: the bar's caption (else its component name) or the item a
// popup belongs to; menu bar, toolbar or menu popup.
std::string AccessibleViewName(const TTBView& view);
LONG AccessibleViewRole(const TTBView& view);

// Answers WM_GETOBJECT for the window that shows `view`: OBJID_CLIENT gets the view's object.
// False for every other object, which the window's default procedure gives.
bool AnswerAccessibleObject(TTBView& view, HWND window, WPARAM flags, LPARAM objectId, LRESULT& result);

// Events for clients that follow the views: `event` about `viewer` (null: the view itself).
void NotifyAccessibleEvent(const TTBView& view, DWORD event, const TTBItemViewer* viewer);

// Which viewers were shown before a layout, to tell clients what appeared and went.
struct TTBShownSnapshot {
    std::vector<std::pair<const TTBItemViewer*, bool>> Shown;
};
TTBShownSnapshot TakeShownSnapshot(const TTBView& view);
void AnnounceLayoutChange(const TTBView& view, const TTBShownSnapshot& before);
