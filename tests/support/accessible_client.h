#pragma once
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

// What an accessibility client (a screen reader, a test tool) reads of one window's client
// object, through the same calls a client makes.
struct AccessibleEntry {
    std::string Name;
    LONG Role = 0;
    LONG State = 0;
    std::string DefaultAction;
    std::string Shortcut;
    RECT Location{};
};

class AccessibleClient {
public:
    explicit AccessibleClient(HWND window) {
        result_ = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                             reinterpret_cast<void**>(&object_));
    }
    ~AccessibleClient() {
        if (object_) object_->Release();
    }
    AccessibleClient(const AccessibleClient&) = delete;
    AccessibleClient& operator=(const AccessibleClient&) = delete;

    HRESULT Result() const { return result_; }
    IAccessible* get() const { return object_; }

    long ChildCount() const {
        long count = -1;
        if (object_) object_->get_accChildCount(&count);
        return count;
    }
    // Child 0 is the object itself.
    AccessibleEntry Entry(long child) const {
        AccessibleEntry entry;
        if (!object_) return entry;
        VARIANT id = Child(child), out{};
        entry.Name = Text([&](BSTR* s) { return object_->get_accName(id, s); });
        if (object_->get_accRole(id, &out) == S_OK && out.vt == VT_I4) entry.Role = out.lVal;
        out.vt = VT_EMPTY;
        if (object_->get_accState(id, &out) == S_OK && out.vt == VT_I4) entry.State = out.lVal;
        entry.DefaultAction = Text([&](BSTR* s) { return object_->get_accDefaultAction(id, s); });
        entry.Shortcut = Text([&](BSTR* s) { return object_->get_accKeyboardShortcut(id, s); });
        long x = 0, y = 0, w = 0, h = 0;
        if (object_->accLocation(&x, &y, &w, &h, id) == S_OK) entry.Location = RECT{x, y, x + w, y + h};
        return entry;
    }
    std::vector<AccessibleEntry> Children() const {
        std::vector<AccessibleEntry> children;
        for (long i = 1; i <= ChildCount(); ++i) children.push_back(Entry(i));
        return children;
    }
    HRESULT DoDefaultAction(long child) const { return object_ ? object_->accDoDefaultAction(Child(child)) : E_FAIL; }
    // The child at a screen point: its number, 0 for the object itself, -1 for none.
    long HitTest(POINT screen) const {
        VARIANT out{};
        if (!object_ || object_->accHitTest(screen.x, screen.y, &out) != S_OK || out.vt != VT_I4) return -1;
        return out.lVal;
    }

    static VARIANT Child(long child) {
        VARIANT id{};
        id.vt = VT_I4;
        id.lVal = child;
        return id;
    }

private:
    template <class F>
    static std::string Text(F get) {
        BSTR text = nullptr;
        if (get(&text) != S_OK || !text) return {};
        int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
        std::string narrow(length > 0 ? length - 1 : 0, '\0');
        WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
        SysFreeString(text);
        return narrow;
    }

    IAccessible* object_ = nullptr;
    HRESULT result_ = E_FAIL;
};

// The events a client following the screen hears from this process. Recorded as they are
// raised: Wine delivers an out-of-context event later, and drops it when its window is gone
// by then (a popup's end, raised just before the popup is destroyed).
class WinEventRecorder {
public:
    struct Event {
        DWORD event;
        HWND window;
        LONG child;
    };
    WinEventRecorder(DWORD first, DWORD last) {
        Current() = this;
        hook_ = SetWinEventHook(first, last, GetModuleHandleA(nullptr), Record, GetCurrentProcessId(), 0, WINEVENT_INCONTEXT);
    }
    ~WinEventRecorder() {
        if (hook_) UnhookWinEvent(hook_);
        Current() = nullptr;
    }
    WinEventRecorder(const WinEventRecorder&) = delete;
    WinEventRecorder& operator=(const WinEventRecorder&) = delete;
    bool Hooked() const { return hook_ != nullptr; }
    std::vector<Event> events;

private:
    static WinEventRecorder*& Current() {
        static WinEventRecorder* current = nullptr;
        return current;
    }
    static void CALLBACK Record(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
        if (Current() && object == OBJID_CLIENT) Current()->events.push_back(Event{event, window, child});
    }
    HWINEVENTHOOK hook_ = nullptr;
};
