// The drag loop of a dockable window: along its row, into other rows and docks, or out into a
// floating window; live, or as an outline applied on release.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "toolbar/base/capture_loop.h"
#include "toolbar/base/common.h"
#include "toolbar/docks/dock.h"

namespace {
// Across a dock, the cursor must leave the window's own row by this much before the window may
// open a row of its own: rows are thin, and a drag along one should not split it by accident.
constexpr int kRowSplitThreshold = 9;
// How far beside a dock the cursor still docks into it (at most the dragged window's thickness).
constexpr int kDockTolerance = 25;
constexpr SIZE kOutlineSize{3, 3};

bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }
}  // namespace

// Where the window would go for a cursor position.
struct TTBDragTarget {
    TTBDock* Dock = nullptr;
    int Row = 0;
    int Pos = 0;
    bool NewRow = false;    // into the gap before row `Row`
    bool Floating = false;  // out into its floating parent at FloatPos
    POINT FloatPos{};
    bool operator==(const TTBDragTarget&) const = default;
};

// A dock the drag may go to. Messages the drag dispatches may free it: each use checks first.
struct TTBLiveDock {
    TTBDock* Dock;
    std::shared_ptr<const bool> Alive;
    bool Live() const { return *Alive; }
};

class TTBDragLoop {
public:
    explicit TTBDragLoop(TTBCustomDockableWindow& window) : window_(window) {}
    void Run(POINT start);

private:
    std::vector<TTBDock*> CandidateDocks() const;
    TTBDragTarget FindTarget(POINT cursor);
    bool PlaceInDock(const TTBLiveDock& live, POINT cursor, TTBDragTarget& target);
    bool IsLive(const TTBDock* dock) const;
    POINT FloatingPositionFor(POINT cursor);
    void Apply(const TTBDragTarget& target);
    void Track(POINT cursor);
    void ShowOutline(const TTBDragTarget* target);
    RECT OutlineFor(const TTBDragTarget& target);
    void SetDragCursor(const TTBDragTarget* target);
    void EndDocks();

    TTBCustomDockableWindow& window_;
    std::vector<TTBLiveDock> docks_;
    POINT grab_{};        // the cursor in the window when the drag began
    POINT start_{};
    bool ctrl_ = false;
    bool moved_ = false;
    bool movedAcross_ = false;
    bool haveTarget_ = false;
    TTBDragTarget target_;
    bool outlineShown_ = false;
    RECT outline_{};
};

void TTBCustomDockableWindow::BeginDrag(POINT screenCursor) {
    if (inLoop_) return;
    TTBDragLoop loop(*this);
    loop.Run(screenCursor);
}

// The form's docks, per container top, bottom, left, right, then the containers inside
// depth-first; the current dock first. Only the current dock for a window that may not leave it.
std::vector<TTBDock*> TTBDragLoop::CandidateDocks() const {
    std::vector<TTBDock*> docks;
    TTBDock* current = window_.currentDock_;
    auto accept = [&](TTBDock* dock) {
        if (!dock || std::find(docks.begin(), docks.end(), dock) != docks.end()) return;
        if (!dock->HandleAllocated() || !IsWindowVisible(dock->HandleOrNull())) return;
        if (!dock->AllowDrag() || !window_.dockableTo_.contains(dock->Position())) return;
        docks.push_back(dock);
    };
    if (window_.dockMode_ == dmCannotFloatOrChangeDocks) {
        if (current) docks.push_back(current);
        return docks;
    }
    accept(current);
    TTBDock* home = current ? current : window_.lastDock_ ? window_.lastDock_ : window_.defaultDock_;
    TWinControl* form = home;
    while (form && form->Parent()) form = form->Parent();
    if (!form) return docks;
    std::vector<TWinControl*> containers{form};
    auto visit = [&](auto&& self, TWinControl* container) -> void {
        for (TTBDockPosition position : {dpTop, dpBottom, dpLeft, dpRight}) {
            for (int i = 0; i < container->ControlCount(); ++i) {
                auto* dock = dynamic_cast<TTBDock*>(container->Controls(i));
                if (dock && dock->Position() == position) accept(dock);
            }
        }
        for (int i = 0; i < container->ControlCount(); ++i) {
            auto* child = dynamic_cast<TWinControl*>(container->Controls(i));
            if (!child || dynamic_cast<TTBDock*>(child) || dynamic_cast<TTBCustomDockableWindow*>(child)) continue;
            self(self, child);
        }
    };
    visit(visit, form);
    return docks;
}

void TTBDragLoop::Run(POINT start) {
    HWND handle = window_.HandleOrNull();
    if (!handle) return;
    auto alive = window_.alive_;
    RECT r;
    GetWindowRect(handle, &r);
    grab_ = POINT{start.x - r.left, start.y - r.top};
    start_ = start;
    ctrl_ = CtrlHeld();
    for (TTBDock* dock : CandidateDocks()) docks_.push_back(TTBLiveDock{dock, dock->AliveToken()});
    // Rows and positions as the docks show them, so that row numbers mean the rows on screen.
    for (const TTBLiveDock& live : docks_) {
        if (!live.Live()) continue;
        live.Dock->commitNewPositions_ = true;
        live.Dock->ArrangeToolbars();
        if (live.Live()) live.Dock->commitNewPositions_ = false;
    }
    bool locked = !window_.smoothDrag_ && LockWindowUpdate(GetDesktopWindow());

    SetCapture(handle);
    window_.inLoop_ = true;
    window_.captureLost_ = false;
    // However the loop ends (a result, a freed window, an event handler's error), the outline,
    // the desktop lock, the capture and the docks' drag state go.
    struct Finish {
        TTBDragLoop& loop;
        HWND handle;
        bool locked;
        std::shared_ptr<bool> alive;
        bool done = false;
        void Run() {
            if (done) return;
            done = true;
            if (*alive) loop.window_.inLoop_ = false;
            if (GetCapture() == handle) ReleaseCapture();
            loop.ShowOutline(nullptr);
            if (locked) LockWindowUpdate(nullptr);
        }
        ~Finish() {
            Run();
            loop.EndDocks();
        }
    } finish{*this, handle, locked, alive};
    bool apply = false;
    RunCaptureLoop(handle, window_.captureLost_, [alive] { return !*alive; }, [&](const MSG& msg) {
        switch (msg.message) {
        case WM_MOUSEMOVE:
            Track(msg.pt);
            return false;
        case WM_LBUTTONUP:
            Track(msg.pt);
            apply = true;
            return true;
        case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
            return true;  // a second press ends the drag as Escape does
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
            return false;
        case WM_KEYDOWN: case WM_KEYUP:
            if (msg.wParam == VK_ESCAPE) return msg.message == WM_KEYDOWN;
            if (msg.wParam == VK_CONTROL) {
                ctrl_ = msg.message == WM_KEYDOWN;
                POINT cursor;
                GetCursorPos(&cursor);
                Track(cursor);
                return false;
            }
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        return false;
    });
    if (!*alive) return;
    finish.Run();
    if (apply && !window_.smoothDrag_ && haveTarget_) Apply(target_);
}

void TTBDragLoop::EndDocks() {
    for (const TTBLiveDock& live : docks_) {
        if (!live.Live()) continue;
        live.Dock->dragWindow_ = nullptr;
        live.Dock->dragSplitting_ = false;
    }
}

bool TTBDragLoop::IsLive(const TTBDock* dock) const {
    return std::any_of(docks_.begin(), docks_.end(), [dock](const TTBLiveDock& live) { return live.Dock == dock && live.Live(); });
}

POINT TTBDragLoop::FloatingPositionFor(POINT cursor) {
    SIZE border = window_.GetFloatingBorderSize();
    int caption = window_.showCaption_ ? GetSystemMetrics(SM_CYSMCAPTION) : 0;
    SIZE client = window_.SizeFor(nullptr);
    // The window keeps the point it was grabbed by under the cursor (grabbed by the floating
    // caption, that point lies above the window).
    RECT r{cursor.x - grab_.x - border.cx, cursor.y - grab_.y - border.cy - caption, 0, 0};
    r.right = r.left + client.cx + 2 * border.cx;
    r.bottom = r.top + client.cy + 2 * border.cy + caption;
    RECT work = GetRectMonitorArea(r, true);
    int dx = std::max(0L, work.left - r.left) - std::max(0L, r.right - work.right);
    int dy = std::max(0L, work.top - r.top) - std::max(0L, r.bottom - work.bottom);
    if (r.right - r.left > work.right - work.left) dx = work.left - r.left;
    if (r.bottom - r.top > work.bottom - work.top) dy = work.top - r.top;
    return POINT{r.left + dx, r.top + dy};
}

// Row and position in `dock` under the cursor.
bool TTBDragLoop::PlaceInDock(const TTBLiveDock& live, POINT cursor, TTBDragTarget& target) {
    TTBDock& dock = *live.Dock;
    RECT area;
    GetWindowRect(dock.HandleOrNull(), &area);
    InflateRect(&area, 3, 3);
    SIZE size = window_.SizeFor(&dock);
    int tolerance = std::min<int>(kDockTolerance, dock.Vertical() ? size.cx : size.cy);
    switch (dock.Position()) {
    case dpTop: area.bottom += tolerance; break;
    case dpBottom: area.top -= tolerance; break;
    case dpLeft: area.right += tolerance; break;
    case dpRight: area.left -= tolerance; break;
    }
    if (!PtInRect(&area, cursor)) return false;
    bool accept = true;
    if (dock.OnRequestDock) dock.OnRequestDock(&dock, &window_, accept);
    if (!accept || !live.Live()) return false;

    POINT client = cursor;
    ScreenToClient(dock.HandleOrNull(), &client);
    const bool vertical = dock.Vertical();
    int along = vertical ? client.y : client.x;
    int across = vertical ? client.x : client.y;
    int grabAlong = vertical ? grab_.y : grab_.x;
    target = TTBDragTarget{};
    target.Dock = &dock;
    target.Pos = std::max(0, along - grabAlong);

    const auto& rows = dock.Rows();
    const bool ownDock = &dock == window_.currentDock_;
    if (ownDock) {
        int startAcross = vertical ? start_.x : start_.y;
        int nowAcross = vertical ? cursor.x : cursor.y;
        if (std::abs(nowAcross - startAcross) > kRowSplitThreshold) movedAcross_ = true;
    }
    if (ownDock && !movedAcross_) {
        target.Row = window_.dockRow_;
        return true;
    }
    // The outer quarters of a row (halves of a full-size row) are the gaps between rows.
    target.Row = static_cast<int>(rows.size());
    target.NewRow = !rows.empty();
    for (size_t r = 0; r < rows.size(); ++r) {
        const TTBDockRow& row = rows[r];
        int edge = row.FullSize ? row.Thickness / 2 : row.Thickness / 4;
        if (across < row.Offset + edge) {
            target.Row = static_cast<int>(r);
            target.NewRow = true;
            break;
        }
        if (across < row.Offset + row.Thickness - edge) {
            target.Row = static_cast<int>(r);
            target.NewRow = false;
            break;
        }
    }
    return true;
}

TTBDragTarget TTBDragLoop::FindTarget(POINT cursor) {
    TTBDragTarget target;
    if (!ctrl_) {
        for (const TTBLiveDock& live : docks_)
            if (live.Live() && PlaceInDock(live, cursor, target)) return target;
    }
    target = TTBDragTarget{};
    if (window_.dockMode_ == dmCanFloat) {
        target.Floating = true;
        target.FloatPos = FloatingPositionFor(cursor);
    }
    return target;
}

void TTBDragLoop::Track(POINT cursor) {
    // A press and release without a move is a click: it leaves the window where it is.
    if (!moved_ && cursor.x == start_.x && cursor.y == start_.y) return;
    moved_ = true;
    TTBDragTarget target = FindTarget(cursor);
    bool nowhere = !target.Dock && !target.Floating;
    SetDragCursor(nowhere ? nullptr : &target);
    if (nowhere) {
        // Nowhere to go: the outline goes away and, live, the window stays where it is.
        haveTarget_ = false;
        ShowOutline(nullptr);
        return;
    }
    haveTarget_ = true;
    target_ = target;
    if (window_.smoothDrag_) Apply(target);
    else ShowOutline(&target);
}

void TTBDragLoop::SetDragCursor(const TTBDragTarget* target) {
    LPCSTR cursor = IDC_SIZEALL;
    if (!target) cursor = IDC_NO;
    else if (target->Dock && target->Dock == window_.currentDock_ && !target->NewRow && target->Row == window_.dockRow_)
        cursor = target->Dock->Vertical() ? IDC_SIZENS : IDC_SIZEWE;
    SetCursor(LoadCursor(nullptr, cursor));
}

void TTBDragLoop::Apply(const TTBDragTarget& target) {
    if (target.Floating) {
        window_.floatingPosition_ = target.FloatPos;
        if (window_.floating_) window_.PlaceFloatingParent();
        else window_.MoveToDock(nullptr, true);
        return;
    }
    TTBDock* dock = target.Dock;
    if (!dock || !IsLive(dock)) return;
    window_.dockRow_ = target.Row;
    window_.dockPos_ = target.Pos;
    dock->dragWindow_ = &window_;
    dock->dragSplitting_ = target.NewRow;
    dock->commitNewPositions_ = true;
    if (window_.currentDock_ != dock || window_.Parent() != dock) window_.MoveToDock(dock, false);
    dock->ArrangeToolbars();
    dock->commitNewPositions_ = false;
    dock->dragSplitting_ = false;
}

RECT TTBDragLoop::OutlineFor(const TTBDragTarget& target) {
    if (target.Floating) {
        SIZE border = window_.GetFloatingBorderSize();
        SIZE client = window_.SizeFor(nullptr);
        int caption = window_.showCaption_ ? GetSystemMetrics(SM_CYSMCAPTION) : 0;
        return RECT{target.FloatPos.x, target.FloatPos.y, target.FloatPos.x + client.cx + 2 * border.cx,
                    target.FloatPos.y + client.cy + 2 * border.cy + caption};
    }
    TTBDock& dock = *target.Dock;
    SIZE size = window_.SizeFor(&dock);
    const auto& rows = dock.Rows();
    int offset = 0;
    if (target.Row < static_cast<int>(rows.size())) offset = rows[target.Row].Offset;
    else if (!rows.empty()) offset = rows.back().Offset + rows.back().Thickness;
    POINT origin{0, 0};
    ClientToScreen(dock.HandleOrNull(), &origin);
    if (dock.Vertical()) return RECT{origin.x + offset, origin.y + target.Pos, origin.x + offset + size.cx, origin.y + target.Pos + size.cy};
    return RECT{origin.x + target.Pos, origin.y + offset, origin.x + target.Pos + size.cx, origin.y + offset + size.cy};
}

void TTBDragLoop::ShowOutline(const TTBDragTarget* target) {
    if (!target && !outlineShown_) return;
    RECT next = target ? OutlineFor(*target) : RECT{};
    // The desktop is locked while the outline shows, so that nothing paints over it.
    HWND desktop = GetDesktopWindow();
    ReleasedDC screen(desktop, GetDCEx(desktop, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE));
    if (!screen) return;
    DrawDragFrame(screen.get(), target ? &next : nullptr, outlineShown_ ? &outline_ : nullptr, kOutlineSize, kOutlineSize);
    outlineShown_ = target != nullptr;
    outline_ = next;
}
