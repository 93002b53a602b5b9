// Resizing a floating window by the border of its floating parent: the window offers a few
// sizes (a toolbar: one per line count), and the drag steps from one to the next.
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "toolbar/base/capture_loop.h"
#include "toolbar/docks/dock.h"
#include "widgets/application.h"

namespace {

// How far the pointer must move before the next size is taken, unless the sizes lie closer.
constexpr int kResizeThreshold = 12;

bool operator==(SIZE a, SIZE b) { return a.cx == b.cx && a.cy == b.cy; }

// The window's sizes ordered along the dragged edge's axis, and which of them is shown.
class TSizeSteps {
public:
    TSizeSteps(std::vector<SIZE> sizes, SIZE current, bool byWidth) : sizes_(std::move(sizes)), byWidth_(byWidth) {
        auto less = [this](SIZE a, SIZE b) {
            return Key(a) != Key(b) ? Key(a) < Key(b) : Other(a) < Other(b);
        };
        std::sort(sizes_.begin(), sizes_.end(), less);
        sizes_.erase(std::unique(sizes_.begin(), sizes_.end(), [](SIZE a, SIZE b) { return a == b; }), sizes_.end());
        // A size the window was given otherwise (FloatingWidth set by code) is a step as well:
        // the resize starts from it and can come back to it.
        auto at = std::lower_bound(sizes_.begin(), sizes_.end(), current, less);
        if (at == sizes_.end() || !(*at == current)) at = sizes_.insert(at, current);
        current_ = static_cast<size_t>(at - sizes_.begin());
    }

    size_t Count() const { return sizes_.size(); }
    SIZE Current() const { return sizes_[current_]; }

    // Takes the neighbouring size while `growth` (pixels of growth from where the last size was
    // taken; negative: shrinking) lies past the threshold towards it. Returns the pixels used
    // up, which the caller moves its reference point by.
    int Step(int growth) {
        int used = 0;
        for (;;) {
            int rest = growth - used;
            if (current_ + 1 < sizes_.size() && rest > Threshold(current_ + 1)) {
                used += Threshold(current_ + 1) + 1;
                ++current_;
            } else if (current_ > 0 && -rest > Threshold(current_ - 1)) {
                used -= Threshold(current_ - 1) + 1;
                --current_;
            } else {
                return used;
            }
        }
    }

private:
    int Key(SIZE s) const { return byWidth_ ? s.cx : s.cy; }
    int Other(SIZE s) const { return byWidth_ ? s.cy : s.cx; }
    // Sizes closer than the threshold are taken as soon as the pointer has covered the distance.
    int Threshold(size_t neighbour) const {
        int distance = std::abs(Key(sizes_[neighbour]) - Key(sizes_[current_]));
        return std::clamp(distance - 1, 0, kResizeThreshold);
    }

    std::vector<SIZE> sizes_;
    bool byWidth_;
    size_t current_ = 0;
};

RECT WindowRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

}  // namespace

LRESULT TTBFloatingWindowParent::ResizeEdgeAt(POINT p) {
    const int width = Width(), height = Height();
    SIZE border = window_->GetFloatingBorderSize();
    LRESULT edge = HTNOWHERE;
    // In a corner the width wins: a toolbar is mostly resized to more or fewer lines.
    if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height) edge = HTNOWHERE;
    else if (p.x < border.cx) edge = HTLEFT;
    else if (p.x >= width - border.cx) edge = HTRIGHT;
    else if (p.y < border.cy) edge = HTTOP;
    else if (p.y >= height - border.cy) edge = HTBOTTOM;
    if (edge == HTNOWHERE) {
        onBorder_ = false;
        return edge;
    }
    if (!window_->Resizable()) return HTNOWHERE;
    // Listing the sizes lays the bar out once per width (tens of milliseconds for a long one):
    // asked once each time the pointer comes onto the border, not on every hit test there.
    // A window that changed its size meanwhile is asked again.
    SIZE current{window_->Width(), window_->Height()};
    if (!onBorder_ || !(borderSize_ == current)) {
        onBorder_ = true;
        borderSize_ = current;
        borderResizes_ = false;
        for (SIZE size : window_->FloatingSizes()) borderResizes_ = borderResizes_ || !(size == current);
    }
    // A border that cannot change the size moves the window, as the caption does.
    return borderResizes_ ? edge : HTNOWHERE;
}

// One resize by the border, from the press to the release (kept), or to Escape or a lost
// capture (cancelled). However it ends, an exception included, the capture goes and a resize
// not kept puts back the size and place the window had.
class TTBFloatingResize {
public:
    TTBFloatingResize(TTBFloatingWindowParent& parent, LRESULT edge, POINT start)
        : parent_(parent),
          window_(*parent.window_),
          handle_(parent.HandleOrNull()),
          alive_(window_.alive_),
          edge_(edge),
          byWidth_(edge == HTLEFT || edge == HTRIGHT),
          sign_(edge == HTRIGHT || edge == HTBOTTOM ? 1 : -1),
          original_(WindowRectOf(handle_)),
          steps_(window_.FloatingSizes(), SIZE{window_.Width(), window_.Height()}, byWidth_),
          reference_(GrowthAt(start)),
          cursor_(LoadCursor(nullptr, byWidth_ ? IDC_SIZEWE : IDC_SIZENS)) {}
    ~TTBFloatingResize() {
        if (started_ && *alive_) GuardedCall([this] { End(); });
    }
    TTBFloatingResize(const TTBFloatingResize&) = delete;
    TTBFloatingResize& operator=(const TTBFloatingResize&) = delete;

    void Run();

private:
    // The pointer's position along the axis, growing away from the window across the edge.
    int GrowthAt(POINT p) const { return sign_ * (byWidth_ ? p.x : p.y); }
    bool HandleMessage(const MSG& msg);
    void Track(POINT p);
    void Show(SIZE size);
    void End();

    TTBFloatingWindowParent& parent_;
    TTBCustomDockableWindow& window_;
    HWND handle_;
    std::shared_ptr<bool> alive_;
    LRESULT edge_;
    bool byWidth_;
    int sign_;
    RECT original_;
    TSizeSteps steps_;
    int reference_;  // where the pointer was when the shown size was taken
    HCURSOR cursor_;
    bool started_ = false;
    bool kept_ = false;
};

void TTBFloatingResize::Run() {
    if (steps_.Count() < 2) return;
    window_.BeginFloatingResize();
    started_ = true;
    ::SetCursor(cursor_);
    SetCapture(handle_);
    parent_.inLoop_ = parent_.resizing_ = true;
    parent_.captureLost_ = false;
    // A capture taken away (another window, the system) ends the resize as a cancel, as does
    // the window leaving its floating parent.
    RunCaptureLoop(handle_, parent_.captureLost_, [this] { return !*alive_ || !window_.Floating(); },
                   [this](const MSG& msg) { return HandleMessage(msg); });
}

// True when the resize ends.
bool TTBFloatingResize::HandleMessage(const MSG& msg) {
    switch (msg.message) {
    case WM_MOUSEMOVE:
        Track(msg.pt);
        return false;
    case WM_LBUTTONUP:
        Track(msg.pt);
        kept_ = true;
        return true;
    case WM_KEYDOWN:
        return msg.wParam == VK_ESCAPE;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
        return false;
    }
    if (SwallowedWhileHeld(msg.message)) return false;  // while the edge is held
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return false;
}

void TTBFloatingResize::Track(POINT p) {
    ::SetCursor(cursor_);  // captured, the window gets no WM_SETCURSOR
    SIZE was = steps_.Current();
    reference_ += steps_.Step(GrowthAt(p) - reference_);
    if (!(steps_.Current() == was)) Show(steps_.Current());
}

// The opposite edge stays put: dragging the left or top edge moves the window.
void TTBFloatingResize::Show(SIZE size) {
    RECT before = WindowRectOf(handle_);
    window_.ShowFloatingSize(size);
    if (!*alive_) return;
    RECT after = WindowRectOf(handle_);
    POINT place{edge_ == HTLEFT ? before.right - (after.right - after.left) : before.left,
                edge_ == HTTOP ? before.bottom - (after.bottom - after.top) : before.top};
    if (place.x != after.left || place.y != after.top) window_.SetFloatingPosition(place);
}

void TTBFloatingResize::End() {
    parent_.inLoop_ = parent_.resizing_ = false;
    parent_.onBorder_ = false;
    if (GetCapture() == handle_) ReleaseCapture();
    window_.EndFloatingResize(!kept_);
    if (kept_ || !*alive_) return;
    RECT now = WindowRectOf(handle_);
    if (now.left != original_.left || now.top != original_.top)
        window_.SetFloatingPosition(POINT{original_.left, original_.top});
}

void TTBFloatingWindowParent::RunResizeLoop(LRESULT edge, POINT start) {
    if (!HandleAllocated() || resizing_ || !window_->Floating()) return;
    TTBFloatingResize resize(*this, edge, start);
    resize.Run();
}
