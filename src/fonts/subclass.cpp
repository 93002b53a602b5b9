#include "fonts/subclass.h"

#include <algorithm>

#include "widgets/application.h"

TMessageDispatcher* MessageDispatcher = nullptr;
constinit int32_t NextControlId = 400;

namespace {

// Owns the dispatcher until static destruction at program end.
std::unique_ptr<TMessageDispatcher> dispatcherOwner;

const char* const ObjectProp = "OBJECT";
const char* const WndProcProp = "WNDPROC";

LONG AsLong(WNDPROC proc) { return static_cast<LONG>(reinterpret_cast<intptr_t>(proc)); }
WNDPROC AsWndProc(intptr_t value) { return reinterpret_cast<WNDPROC>(value); }
intptr_t AsValue(const void* pointer) { return reinterpret_cast<intptr_t>(pointer); }

WNDPROC CurrentWndProc(HWND window) {
    return AsWndProc(GetWindowLongA(window, GWL_WNDPROC));
}

TSubClass* ObjectOf(HWND window) { return static_cast<TSubClass*>(GetPropA(window, ObjectProp)); }

}  // namespace

// --- TIntegerList -----------------------------------------------------------------------------

TIntegerList::TIntegerList(int initialCapacity, int growthStep)
    : growthStep_(growthStep > 0 ? growthStep : 16),
      initialCapacity_(initialCapacity > 0 ? initialCapacity : 16) {
    Clear();
}

void TIntegerList::Add(intptr_t value) {
    if (last_ + 1 == capacity_) {
        auto grown = std::make_unique<intptr_t[]>(capacity_ + growthStep_);
        std::copy(items_.get(), items_.get() + capacity_, grown.get());
        items_ = std::move(grown);
        capacity_ += growthStep_;
    }
    items_[++last_] = value;
}

void TIntegerList::Delete(int index) {
    if (index < 0 || index > last_) return;
    std::copy(items_.get() + index + 1, items_.get() + last_ + 1, items_.get() + index);
    --last_;
}

intptr_t TIntegerList::Get(int index) const {
    return index < 0 || index > last_ ? 0 : items_[index];
}

int TIntegerList::IndexOf(intptr_t value) const {
    for (int i = 0; i <= last_; ++i) {
        if (items_[i] == value) return i;
    }
    return -1;
}

void TIntegerList::Clear() {
    items_ = std::make_unique<intptr_t[]>(initialCapacity_);
    capacity_ = initialCapacity_;
    last_ = -1;
}

void TIntegerList::CopyTo(TIntegerList& target) const {
    target.Clear();
    for (int i = 0; i <= last_; ++i) target.Add(items_[i]);
}

// --- TMessageDispatcher -----------------------------------------------------------------------

TMessageDispatcher::TMessageDispatcher() = default;

TMessageDispatcher::~TMessageDispatcher() {
    // Windows still hooked at program end would otherwise call into a freed dispatcher.
    for (int i = 0; i < hookedWindows_.Count(); ++i) {
        HWND window = reinterpret_cast<HWND>(hookedWindows_.Get(i));
        if (IsWindow(window) && CurrentWndProc(window) == DispatcherWndProc)
            SetWindowLongA(window, GWL_WNDPROC, static_cast<LONG>(oldProcs_.Get(i)));
    }
    if (MessageDispatcher == this) MessageDispatcher = nullptr;
}

void TMessageDispatcher::RegisterMessage(UINT msg, TSubClass* control) {
    messageIds_.Add(static_cast<intptr_t>(msg));
    messageControls_.Add(AsValue(control));
    dirty_ = true;
}

void TMessageDispatcher::AddSubClass(TSubClass* object) {
    subClasses_.Add(AsValue(object));
    HWND parent = object->ParentHandle();
    // A handle that is no window yet would leave a hook entry with no procedure behind it.
    if (IsHooked(parent) || !IsWindow(parent)) return;
    hookedWindows_.Add(AsValue(parent));
    oldProcs_.Add(AsValue(reinterpret_cast<const void*>(CurrentWndProc(parent))));
    SetWindowLongA(parent, GWL_WNDPROC, AsLong(DispatcherWndProc));
}

void TMessageDispatcher::RemoveSubClass(TSubClass* object) {
    subClasses_.Delete(subClasses_.IndexOf(AsValue(object)));
    for (int i = messageControls_.Count() - 1; i >= 0; --i) {
        if (messageControls_.Get(i) == AsValue(object)) {
            messageControls_.Delete(i);
            messageIds_.Delete(i);
        }
    }
    dirty_ = true;
}

bool TMessageDispatcher::IsHooked(HWND window) const {
    return hookedWindows_.IndexOf(AsValue(window)) >= 0;
}

WNDPROC TMessageDispatcher::OldWndProc(HWND window) const {
    return AsWndProc(oldProcs_.Get(hookedWindows_.IndexOf(AsValue(window))));
}

bool TMessageDispatcher::Contains(const TSubClass* object) const {
    return subClasses_.IndexOf(AsValue(object)) >= 0;
}

void TMessageDispatcher::DefaultHandler(TMessage& message) {
    HWND window = reinterpret_cast<HWND>(message.Result);
    message.Result = 0;
    if (message.Msg == WM_DESTROY) {
        FreeObjectsOf(window);
        Unhook(window);
    } else {
        Route(window, message);
    }
}

void TMessageDispatcher::FreeObjectsOf(HWND window) {
    // Free() takes the object out of the list at once, but a destructor may free other objects
    // too, so search again from the end after each one instead of trusting an index.
    for (;;) {
        TSubClass* bound = nullptr;
        for (int i = subClasses_.Count() - 1; i >= 0 && !bound; --i) {
            auto* object = reinterpret_cast<TSubClass*>(subClasses_.Get(i));
            if (object->ParentHandle() == window) bound = object;
        }
        if (!bound) return;
        bound->Free();
    }
}

void TMessageDispatcher::Unhook(HWND window) {
    int index = hookedWindows_.IndexOf(AsValue(window));
    oldProcs_.Delete(index);
    hookedWindows_.Delete(index);
}

void TMessageDispatcher::Route(HWND window, TMessage& message) {
    if (messageIds_.IndexOf(static_cast<intptr_t>(message.Msg)) < 0) return;

    struct WalkDepth {
        int& depth;
        explicit WalkDepth(int& d) : depth(d) { ++depth; }
        ~WalkDepth() { --depth; }
    };

    if (walkDepth_ == 0 && dirty_) {
        messageIds_.CopyTo(snapshotIds_);
        messageControls_.CopyTo(snapshotControls_);
        dirty_ = false;
    }
    if (walkDepth_ > 0 && dirty_) {
        // A handler sent a message while an outer walk still iterates the snapshots: refreshing
        // them now would shift the entries under the outer walk, which would then skip or repeat
        // controls. The nested walk gets copies of its own instead.
        TIntegerList ids, controls;
        messageIds_.CopyTo(ids);
        messageControls_.CopyTo(controls);
        WalkDepth depth(walkDepth_);
        RouteThrough(ids, controls, window, message);
        return;
    }
    WalkDepth depth(walkDepth_);
    RouteThrough(snapshotIds_, snapshotControls_, window, message);
}

void TMessageDispatcher::RouteThrough(const TIntegerList& ids, const TIntegerList& controls,
                                      HWND window, TMessage& message) {
    TMessage copy{message.Msg, message.WParam, message.LParam, 0};
    for (int i = 0; i < ids.Count(); ++i) {
        if (static_cast<UINT>(ids.Get(i)) != message.Msg) continue;
        auto* control = reinterpret_cast<TSubClass*>(controls.Get(i));
        // Controls freed earlier in the walk are still in the snapshot.
        if (!Contains(control) || control->ParentHandle() != window) continue;
        control->HandleMessage(copy);
        if (copy.Result != 0) {
            message.Result = copy.Result;
            return;
        }
    }
}

// --- window procedures ------------------------------------------------------------------------

LRESULT CALLBACK DispatcherWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessageDispatcher* dispatcher = MessageDispatcher;
    if (!dispatcher || !dispatcher->IsHooked(window)) return 0;
    WNDPROC oldProc = dispatcher->OldWndProc(window);
    LRESULT result = CallWindowProcA(oldProc, window, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, reinterpret_cast<LRESULT>(window)};
    GuardedCall([&] {
        // The window's last messages (WM_NCDESTROY) go straight to its own procedure.
        if (msg == WM_DESTROY) SetWindowLongA(window, GWL_WNDPROC, AsLong(oldProc));
        dispatcher->DefaultHandler(message);
    });
    return message.Result != 0 ? message.Result : result;
}

LRESULT CALLBACK SelfSubClassWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto oldProc = reinterpret_cast<WNDPROC>(GetPropA(window, WndProcProp));
    LRESULT result = oldProc ? CallWindowProcA(oldProc, window, msg, wParam, lParam)
                             : DefWindowProcA(window, msg, wParam, lParam);
    // Only reached when the object was detached while another procedure sat on top of ours;
    // this procedure then stays in the chain as a plain relay until the window ends.
    if (msg == WM_NCDESTROY) RemovePropA(window, WndProcProp);

    // Read after the previous procedure ran: the object may have been freed meanwhile.
    TSubClass* object = ObjectOf(window);
    if (!object) return result;
    TMessage message{msg, wParam, lParam, 0};
    GuardedCall([&] {
        if (msg == WM_DESTROY)
            object->Free();
        else
            object->HandleMessage(message);
    });
    return message.Result != 0 ? message.Result : result;
}

// --- TSubClass --------------------------------------------------------------------------------

TSubClass::TSubClass(HWND parent) : parentHandle_(parent), liveness_(std::make_shared<char>()) {
    if (!MessageDispatcher) {
        dispatcherOwner = std::make_unique<TMessageDispatcher>();
        MessageDispatcher = dispatcherOwner.get();
    }
    MessageDispatcher->AddSubClass(this);
}

TSubClass::~TSubClass() {
    if (MessageDispatcher) MessageDispatcher->RemoveSubClass(this);
}

void TSubClass::DefaultHandler(TMessage&) {}

void TSubClass::Detach() {
    if (MessageDispatcher) MessageDispatcher->RemoveSubClass(this);
}

// A handler may destroy its own window or its parent (a change callback closing the form, say).
// The WM_DESTROY that follows frees the object while that handler is still running and about to
// touch its members again on return. So the object counts the handlers it has on the stack,
// detaches at once when freed (no further message reaches it), and leaves the delete itself to
// the outermost handler's return.
void TSubClass::HandleMessage(TMessage& message) {
    struct Nesting {
        TSubClass* self;
        explicit Nesting(TSubClass* s) : self(s) { ++self->nesting_; }
        ~Nesting() {
            if (--self->nesting_ == 0 && self->freePending_) delete self;
        }
    } nesting(this);
    DefaultHandler(message);
}

void TSubClass::Free() {
    if (freePending_) return;
    Detach();
    if (nesting_ > 0)
        freePending_ = true;
    else
        delete this;
}

// --- TSelfSubClass ----------------------------------------------------------------------------

TSelfSubClass::TSelfSubClass(HWND parent) : TSubClass(parent) {}

TSelfSubClass::~TSelfSubClass() { DetachWindow(); }

void TSelfSubClass::CreateHandle() {
    TAPICreateParams params{};  // zeroed, so a field a descendant forgets is not garbage
    CreateParams(params);
    params.ClassName[sizeof(params.ClassName) - 1] = '\0';

    // The messages of creation (WM_CREATE and the rest) reach the window's own procedure only:
    // the object is attached after CreateWindowExA returns.
    handle_ = CreateWindowExA(params.ExStyle, params.ClassName, params.Caption.c_str(), params.Style,
                              params.X, params.Y, params.Width, params.Height, ParentHandle(),
                              reinterpret_cast<HMENU>(static_cast<intptr_t>(NextControlId)),
                              GetModuleHandleA(nullptr), nullptr);
    if (handle_ && IsWindow(handle_)) {
        SetPropA(handle_, ObjectProp, static_cast<TSubClass*>(this));
        SetPropA(handle_, WndProcProp, reinterpret_cast<HANDLE>(CurrentWndProc(handle_)));
        SetWindowLongA(handle_, GWL_WNDPROC, AsLong(SelfSubClassWndProc));
    } else {
        handle_ = nullptr;
    }
    controlId_ = NextControlId++;
    AfterCreate();
}

void TSelfSubClass::Detach() {
    DetachWindow();
    TSubClass::Detach();
}

void TSelfSubClass::DetachWindow() {
    HWND window = handle_;
    if (!window || !IsWindow(window) || ObjectOf(window) != this) return;
    RemovePropA(window, ObjectProp);
    // Restoring the procedure under someone else's subclass would cut them out of the chain;
    // then SelfSubClassWndProc stays as a relay, and needs "WNDPROC" for that.
    if (CurrentWndProc(window) == SelfSubClassWndProc) {
        SetWindowLongA(window, GWL_WNDPROC, static_cast<LONG>(AsValue(GetPropA(window, WndProcProp))));
        RemovePropA(window, WndProcProp);
    }
}
