// Resizing a floating window by the border of its floating parent: the window offers a few
// sizes (a toolbar: one per line count), and the drag steps from one to the next.
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "toolbar/tb_dock.h"

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
    if (!onBorder_) {
        onBorder_ = true;
        borderResizes_ = false;
        SIZE current{window_->Width(), window_->Height()};
        for (SIZE size : window_->FloatingSizes()) borderResizes_ = borderResizes_ || !(size == current);
    }
    // A border that cannot change the size moves the window, as the caption does.
    return borderResizes_ ? edge : HTNOWHERE;
}

void TTBFloatingWindowParent::RunResizeLoop(LRESULT edge, POINT start) {
    HWND handle = HandleOrNull();
    if (!handle || resizing_ || !window_->Floating()) return;
    const bool byWidth = edge == HTLEFT || edge == HTRIGHT;
    TSizeSteps steps(window_->FloatingSizes(), SIZE{window_->Width(), window_->Height()}, byWidth);
    if (steps.Count() < 2) return;
    auto alive = window_->alive_;
    const RECT original = WindowRectOf(handle);
    // Growth along the axis: away from the window's centre across the dragged edge.
    const int sign = edge == HTRIGHT || edge == HTBOTTOM ? 1 : -1;
    auto growthAt = [&](POINT p) { return sign * (byWidth ? p.x : p.y); };
    int reference = growthAt(start);
    HCURSOR cursor = LoadCursor(nullptr, byWidth ? IDC_SIZEWE : IDC_SIZENS);

    // The opposite edge stays put: dragging the left or top edge moves the window.
    auto show = [&](SIZE size) {
        RECT before = WindowRectOf(handle);
        window_->ShowFloatingSize(size);
        if (!*alive) return;
        RECT after = WindowRectOf(handle);
        POINT place{edge == HTLEFT ? before.right - (after.right - after.left) : before.left,
                    edge == HTTOP ? before.bottom - (after.bottom - after.top) : before.top};
        if (place.x != after.left || place.y != after.top) window_->SetFloatingPosition(place);
    };
    auto track = [&](POINT p) {
        ::SetCursor(cursor);
        SIZE was = steps.Current();
        reference += steps.Step(growthAt(p) - reference);
        if (!(steps.Current() == was)) show(steps.Current());
    };

    window_->BeginFloatingResize();
    ::SetCursor(cursor);
    SetCapture(handle);
    resizing_ = true;
    resizeCaptureLost_ = false;
    bool kept = false;
    for (;;) {
        // A capture taken away (another window, the system) ends the resize as a cancel.
        if (resizeCaptureLost_ || GetCapture() != handle || !window_->Floating()) break;
        MSG msg;
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        bool done = false;
        switch (msg.message) {
        case WM_MOUSEMOVE:
            track(msg.pt);
            break;
        case WM_LBUTTONUP:
            track(msg.pt);
            kept = done = true;
            break;
        case WM_KEYDOWN:
            done = msg.wParam == VK_ESCAPE;
            break;
        case WM_KEYUP: case WM_CHAR: case WM_SYSKEYDOWN: case WM_SYSKEYUP: case WM_SYSCHAR:
        case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
            break;  // swallowed while the edge is held
        default:
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!*alive) return;  // the window, and this parent with it, went meanwhile
        if (done) break;
    }
    resizing_ = false;
    onBorder_ = false;
    if (GetCapture() == handle) ReleaseCapture();
    window_->EndFloatingResize(!kept);
    if (!*alive || kept) return;
    RECT now = WindowRectOf(handle);
    if (now.left != original.left || now.top != original.top)
        window_->SetFloatingPosition(POINT{original.left, original.top});
}
