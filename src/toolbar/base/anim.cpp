#include "toolbar/base/anim.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <memory>

#include "toolbar/base/common.h"
#include "widgets/handles.h"

namespace {

constexpr LPARAM CaptureFlags = PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN;
constexpr LONG FirstFadeLevel = 32;

// A memory device context holding a bitmap of the window's size.
class WindowImage {
public:
    WindowImage(HDC reference, SIZE size)
        : dc_(reference), bitmap_(CreateCompatibleBitmap(reference, size.cx, size.cy)), select_(dc_.get(), bitmap_.get()) {}
    HDC dc() const { return dc_.get(); }

private:
    MemoryDC dc_;
    BitmapHandle bitmap_;
    ScopedSelect select_;  // declared last: the bitmap leaves the context before either goes
};

// A kernel handle closed once: the worker thread, its wake-up event.
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : handle_(handle) {}
    ~KernelHandle() { if (handle_) CloseHandle(handle_); }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    HANDLE get() const { return handle_; }
    void reset(HANDLE handle) {
        if (handle_) CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

// Milliseconds since the start, from the performance counter; from the tick count when the
// system has no counter (a zero frequency).
class AnimationClock {
public:
    AnimationClock() {
        LARGE_INTEGER frequency{};
        if (SystemSeams().PerformanceFrequency(frequency) && frequency.QuadPart > 0 &&
            SystemSeams().PerformanceCounter(start_)) {
            frequency_ = frequency.QuadPart;
        } else {
            startTick_ = SystemSeams().TickCount();
        }
    }

    int ElapsedMs() const {
        if (frequency_ == 0) return static_cast<int>(SystemSeams().TickCount() - startTick_);
        LARGE_INTEGER now{};
        SystemSeams().PerformanceCounter(now);
        LONGLONG ms = (now.QuadPart - start_.QuadPart) * 1000 / frequency_;
        return static_cast<int>(std::clamp<LONGLONG>(ms, INT_MIN, INT_MAX));
    }

private:
    LONGLONG frequency_ = 0;
    LARGE_INTEGER start_{};
    DWORD startTick_ = 0;
};

struct Animation {
    HWND Window = nullptr;
    int Duration = 0;
    bool Fade = false;
    TTBAnimationDirection Directions = 0;
    LPARAM Id = 0;
    POINT LastCursor{};       // worker only, once started
    RECT ClientOnScreen{};
    SIZE Size{};
    std::unique_ptr<WindowAreaDC> WindowDC;
    std::unique_ptr<WindowImage> Image;
    std::atomic<LONG> Level{0};          // 0..255, raised by the worker
    std::atomic<LONG> UpdatePending{0};  // set by the worker, cleared by the step
    std::atomic<LONG> StopRequest{0};
    std::atomic<LONG> Finished{0};
    std::unique_ptr<AnimationClock> Clock;  // started when the window shows, read by the worker
    // Set with the stop request, so that a stop does not wait out the worker's pause.
    KernelHandle Wake{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    KernelHandle Worker;  // declared last: on destruction the worker has ended already
};

void FinishAnimation(std::unique_ptr<Animation> ending);

// The process's one animation slot. An animation still running when the process ends is
// finished with it.
struct AnimationSlot {
    std::unique_ptr<Animation> Running;
    // The seams are made first so that they outlive the slot: a worker still running at the
    // end reads them until it is stopped.
    AnimationSlot() { SystemSeams(); }
    ~AnimationSlot() {
        if (Running) FinishAnimation(std::move(Running));
    }
};

std::unique_ptr<Animation>& Current() {
    static AnimationSlot slot;
    return slot.Running;
}

LPARAM& LastAnimationId() {
    static LPARAM id = 0;
    return id;
}

// ---- The worker ---------------------------------------------------------------------------

// The user reached the window: the pointer moved since the last look and is inside it.
bool PointerArrived(Animation& a) {
    POINT p = SystemSeams().CursorPos();
    if (p.x == a.LastCursor.x && p.y == a.LastCursor.y) return false;
    a.LastCursor = p;
    return PtInRect(&a.ClientOnScreen, p) != FALSE;
}

void AskForStep(Animation& a) {
    SendNotifyMessageA(a.Window, WM_TB_ANIMATIONSTEP, 0, a.Id);
}

void RunAnimation(Animation& a) {
    while (!a.StopRequest.load()) {
        const int elapsed = a.Clock->ElapsedMs();
        const int level = MulDiv(255, elapsed, a.Duration);
        if (level < 0 || elapsed >= a.Duration) break;
        const LONG steppedLevel = level & ~15;  // steps of 16 keep the number of repaints low
        if (steppedLevel > 240) break;
        if (PointerArrived(a)) break;
        if (steppedLevel > a.Level.load()) {
            a.Level.store(steppedLevel);
            if (a.UpdatePending.exchange(1) == 0) AskForStep(a);
        } else {
            const DWORD pause = std::max<DWORD>(1, (a.Level.load() - level + 16) * a.Duration / 255);
            if (a.Wake.get()) WaitForSingleObject(a.Wake.get(), pause);
            else Sleep(pause);
        }
    }
    a.Finished.store(1);
    AskForStep(a);
}

DWORD WINAPI AnimationThread(void* parameter) {
    try {
        RunAnimation(*static_cast<Animation*>(parameter));
    } catch (...) {
        // Nothing may leave a thread procedure; the step that follows finishes the animation.
    }
    return 0;
}

// ---- Showing steps ------------------------------------------------------------------------

void ShowFadeLevel(Animation& a, BYTE alpha) {
    TUpdateLayeredWindowProc update = UpdateLayeredWindowEntry();
    if (!update) return;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, 0};
    POINT source{0, 0};
    SIZE size = a.Size;
    update(a.Window, nullptr, nullptr, &size, a.Image->dc(), &source, 0, &blend, ULW_ALPHA);
}

// How far the content still is from its place, for a level of 0..255.
POINT SlideOffset(const Animation& a, LONG level) {
    const int w = a.Size.cx, h = a.Size.cy;
    POINT offset{0, 0};
    if (a.Directions & tbadFromTop) offset.y = MulDiv(h, level, 255) - h;
    else if (a.Directions & tbadFromBottom) offset.y = h - MulDiv(h, level, 255);
    if (a.Directions & tbadFromLeft) offset.x = MulDiv(w, level, 255) - w;
    else if (a.Directions & tbadFromRight) offset.x = w - MulDiv(w, level, 255);
    return offset;
}

void ShowSlideLevel(Animation& a, LONG level) {
    const POINT o = SlideOffset(a, level);
    // The window takes the region over.
    SetWindowRgn(a.Window, CreateRectRgn(o.x, o.y, o.x + a.Size.cx, o.y + a.Size.cy), FALSE);
    BitBlt(a.WindowDC->get(), o.x, o.y, a.Size.cx, a.Size.cy, a.Image->dc(), 0, 0, SRCCOPY);
}

void ShowFinalImage(Animation& a) {
    BitBlt(a.WindowDC->get(), 0, 0, a.Size.cx, a.Size.cy, a.Image->dc(), 0, 0, SRCCOPY);
}

void RestoreWindowStyle(const Animation& a) {
    if (a.Fade) {
        SetWindowLongA(a.Window, GWL_EXSTYLE, GetWindowLongA(a.Window, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    } else {
        SetWindowRgn(a.Window, nullptr, FALSE);
    }
}

void StopWorker(Animation& a) {
    a.StopRequest.store(1);
    if (a.Wake.get()) SetEvent(a.Wake.get());
    if (a.Worker.get()) WaitForSingleObject(a.Worker.get(), INFINITE);
}

void FinishAnimation(std::unique_ptr<Animation> ending) {
    StopWorker(*ending);
    HWND animated = ending->Window;
    if (!IsWindow(animated)) return;
    RestoreWindowStyle(*ending);
    // A hidden window keeps its normal style for the next show, but gets no image and no done
    // message: whoever listens to that (the shadows) would show things for an unseen window.
    if (!IsWindowVisible(animated)) return;
    ShowFinalImage(*ending);
    ending.reset();
    SendNotifyMessageA(animated, WM_TB_ANIMATIONDONE, 0, 0);
}

bool IsAnimating(HWND window) {
    const auto& a = Current();
    return a && (!window || a->Window == window);
}

// ---- Starting -----------------------------------------------------------------------------

std::unique_ptr<Animation> PrepareAnimation(HWND window, int durationMs, bool fade, TTBAnimationDirection directions) {
    auto a = std::make_unique<Animation>();
    a->Window = window;
    a->Duration = durationMs;
    a->Fade = fade && UpdateLayeredWindowEntry() != nullptr;
    a->Directions = directions;
    a->LastCursor = SystemSeams().CursorPos();
    RECT client;
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    a->ClientOnScreen = client;
    RECT bounds;
    GetWindowRect(window, &bounds);
    a->Size = SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
    a->WindowDC = std::make_unique<WindowAreaDC>(window);
    a->Image = std::make_unique<WindowImage>(a->WindowDC->get(), a->Size);
    SendMessageA(window, WM_PRINT, reinterpret_cast<WPARAM>(a->Image->dc()), CaptureFlags);
    return a;
}

void ShowFirstStep(Animation& a) {
    if (a.Fade) {
        SetWindowLongA(a.Window, GWL_EXSTYLE, GetWindowLongA(a.Window, GWL_EXSTYLE) | WS_EX_LAYERED);
        a.Level.store(FirstFadeLevel);
        ShowFadeLevel(a, FirstFadeLevel);
    } else {
        a.Level.store(0);
        SetWindowRgn(a.Window, CreateRectRgn(0, 0, 0, 0), FALSE);
    }
}

bool StartWorker(Animation& a) {
    DWORD threadId;
    HANDLE thread = CreateThread(nullptr, 0, AnimationThread, &a, CREATE_SUSPENDED, &threadId);
    if (!thread) return false;
    if (ResumeThread(thread) == static_cast<DWORD>(-1)) {
        TerminateThread(thread, 0);  // it never ran; waiting for it would never end
        CloseHandle(thread);
        return false;
    }
    a.Worker.reset(thread);
    return true;
}

}  // namespace

void StartWindowAnimation(HWND window, int durationMs, bool fade, TTBAnimationDirection directions) {
    FinishWindowAnimation(nullptr);
    if (!directions && !(fade && UpdateLayeredWindowEntry())) {
        ShowWindow(window, SW_SHOWNOACTIVATE);  // nothing to animate
        return;
    }
    std::unique_ptr<Animation> prepared = PrepareAnimation(window, durationMs, fade, directions);
    Animation& a = *prepared;
    ShowFirstStep(a);
    a.Id = ++LastAnimationId();
    // Current before the window shows: a paint or erase caused by showing it finishes the
    // animation at once, and then there is no worker to start.
    Current() = std::move(prepared);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_SHOWWINDOW |
                     SWP_ASYNCWINDOWPOS);
    if (Current().get() != &a) return;
    // Time runs from the show, not from whenever the new thread gets to run.
    a.Clock = std::make_unique<AnimationClock>();
    if (!StartWorker(a)) FinishWindowAnimation(window);
}

void ProcessAnimationStep(HWND window, LPARAM animationId) {
    Animation* a = Current().get();
    if (!a || a->Window != window || a->Id != animationId) return;
    if (a->Finished.load()) {
        FinishWindowAnimation(window);
        return;
    }
    const LONG level = a->Level.load();
    if (a->Fade) ShowFadeLevel(*a, static_cast<BYTE>(level));
    else ShowSlideLevel(*a, level);
    a->UpdatePending.store(0);
}

void FinishWindowAnimation(HWND window) {
    // Out of the slot first: a paint or erase that finishing causes finds no animation.
    if (IsAnimating(window)) FinishAnimation(std::move(Current()));
}

void DiscardWindowAnimation(HWND window) {
    if (!IsAnimating(window)) return;
    std::unique_ptr<Animation> ending = std::move(Current());
    StopWorker(*ending);
}

bool WindowAnimationRunning(HWND window) { return IsAnimating(window); }
