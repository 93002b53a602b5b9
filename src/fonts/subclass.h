#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

// Raw child windows outside the widget toolkit. A parent window's procedure is replaced once by
// DispatcherWndProc, which lets the previous procedure handle every message first and then
// routes the registered messages (child notifications) to the objects bound to that parent. A
// TSelfSubClass also creates its own child window, replaces that window's procedure with
// SelfSubClassWndProc and finds itself again through the window properties "OBJECT" and
// "WNDPROC".
//
// The subclassing goes through SetWindowLongA/GWL_WNDPROC, which only exists on 32-bit Windows;
// handles, procedures and objects are all kept as 32-bit values.
static_assert(sizeof(void*) == 4 && sizeof(LONG) == 4, "the subclassing framework is 32-bit only");

// The message record handed to objects.
struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// A growable array of 32-bit values: object pointers, window handles, procedure addresses and
// message identifiers alike.
class TIntegerList {
public:
    // 0 for either argument means 16.
    explicit TIntegerList(int initialCapacity = 16, int growthStep = 16);
    TIntegerList(const TIntegerList&) = delete;
    TIntegerList& operator=(const TIntegerList&) = delete;

    void Add(intptr_t value);
    void Delete(int index);        // ignored outside 0..Count()-1
    intptr_t Get(int index) const;  // 0 outside 0..Count()-1
    int Count() const { return last_ + 1; }
    int Capacity() const { return capacity_; }
    int IndexOf(intptr_t value) const;  // -1 when absent
    void Clear();
    void CopyTo(TIntegerList& target) const;

private:
    std::unique_ptr<intptr_t[]> items_;
    int last_ = -1;
    int capacity_ = 0;
    int growthStep_;
    int initialCapacity_;
};

class TSubClass;

class TMessageDispatcher {
public:
    TMessageDispatcher();
    ~TMessageDispatcher();
    TMessageDispatcher(const TMessageDispatcher&) = delete;
    TMessageDispatcher& operator=(const TMessageDispatcher&) = delete;

    void RegisterMessage(UINT msg, TSubClass* control);
    void AddSubClass(TSubClass* object);
    void RemoveSubClass(TSubClass* object);
    bool IsHooked(HWND window) const;
    WNDPROC OldWndProc(HWND window) const;
    int SubClassCount() const { return subClasses_.Count(); }
    bool Contains(const TSubClass* object) const;

    // Routes one message of a hooked window. On entry `message.Result` holds that window's handle;
    // on return it holds the first non-zero result a control gave, or 0.
    void DefaultHandler(TMessage& message);

private:
    void FreeObjectsOf(HWND window);
    void Unhook(HWND window);
    void Route(HWND window, TMessage& message);
    void RouteThrough(const TIntegerList& ids, const TIntegerList& controls, HWND window,
                      TMessage& message);

    TIntegerList subClasses_;
    TIntegerList hookedWindows_;
    TIntegerList oldProcs_;
    TIntegerList messageIds_;
    TIntegerList messageControls_;
    TIntegerList snapshotIds_;
    TIntegerList snapshotControls_;
    bool dirty_ = false;
    int walkDepth_ = 0;  // routing walks in progress on the stack
};

// The process-wide dispatcher: created by the first TSubClass, freed when the program ends.
extern TMessageDispatcher* MessageDispatcher;

// Child identifiers handed to TSelfSubClass windows, one per object, starting at 400.
extern int32_t NextControlId;

LRESULT CALLBACK DispatcherWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SelfSubClassWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// An object bound to a parent window. Its lifetime ends at the first of: Free(), the parent's
// WM_DESTROY, and (for TSelfSubClass) its own window's WM_DESTROY. Pointers to it are therefore
// never owning; use CreateOwnedByWindow / TWindowBound below.
class TSubClass {
public:
    explicit TSubClass(HWND parent);
    virtual ~TSubClass();
    TSubClass(const TSubClass&) = delete;
    TSubClass& operator=(const TSubClass&) = delete;

    HWND ParentHandle() const { return parentHandle_; }

    // Hands the object a message through DefaultHandler. The object may be freed while the
    // handler runs (its window or parent destroyed); it is then deleted when the outermost
    // HandleMessage returns, so the caller must not touch it afterwards.
    void HandleMessage(TMessage& message);

    // Detaches the object now and deletes it, at once or, when one of its handlers is on the
    // stack, as soon as the outermost one returns. Calling it again while pending does nothing.
    void Free();

    // Expires when the object is deleted: lets holders of a non-owning pointer check it.
    std::weak_ptr<void> Liveness() const { return liveness_; }

protected:
    // The message handler: receives each message routed to the object. Does nothing here.
    virtual void DefaultHandler(TMessage& message);
    // Cuts every tie to windows and the dispatcher so that no further message arrives.
    virtual void Detach();

private:
    HWND parentHandle_;
    int nesting_ = 0;
    bool freePending_ = false;
    std::shared_ptr<char> liveness_;
};

// Create parameters of a TSelfSubClass window. Only Caption is cleared before CreateParams.
struct TAPICreateParams {
    std::string Caption;
    DWORD Style;
    DWORD ExStyle;
    int32_t X;
    int32_t Y;
    int32_t Width;
    int32_t Height;
    char ClassName[64];
};

class TSelfSubClass : public TSubClass {
public:
    // Binds to the parent (hooking it) only; the window is made by CreateHandle, because the
    // overrides of CreateParams and AfterCreate cannot run from a base-class constructor.
    explicit TSelfSubClass(HWND parent);
    ~TSelfSubClass() override;

    // Creates the window with the next child identifier and runs AfterCreate. Call once, right
    // after construction (CreateOwnedByWindow does).
    void CreateHandle();

    HWND Handle() const { return handle_; }
    int32_t ControlId() const { return controlId_; }

protected:
    virtual void CreateParams(TAPICreateParams& params) = 0;
    virtual void AfterCreate() = 0;
    void Detach() override;

private:
    void DetachWindow();

    HWND handle_ = nullptr;
    int32_t controlId_ = 0;
};

// Constructs a T bound to `parent` and, for a TSelfSubClass, creates its window. The returned
// pointer does not own: the object is freed with its window or its parent, or by Free(). An
// object without a window lives until its parent is destroyed unless freed; TWindowBound frees
// it at scope exit instead.
template <class T, class... Args>
T* CreateOwnedByWindow(HWND parent, Args&&... args) {
    // Owned here until the window can take over; a failure after the window was made must
    // detach the object before destroying the window, or WM_DESTROY would free it a second time.
    std::unique_ptr<T> object(new T(parent, std::forward<Args>(args)...));
    if constexpr (std::is_base_of_v<TSelfSubClass, T>) {
        try {
            object->CreateHandle();
        } catch (...) {
            HWND window = object->Handle();
            object.reset();
            if (window) DestroyWindow(window);
            throw;
        }
    }
    return object.release();
}

// Scope guard over a window-bound object: on scope exit the object's window is destroyed (which
// frees the object); an object without a window, or no longer attached to one, is freed
// directly. Does nothing when the object is already gone (its parent was destroyed meanwhile).
template <class T>
class TWindowBound {
public:
    template <class... Args>
    explicit TWindowBound(HWND parent, Args&&... args)
        : object_(CreateOwnedByWindow<T>(parent, std::forward<Args>(args)...)),
          liveness_(object_->Liveness()) {}
    ~TWindowBound() { Close(); }
    TWindowBound(const TWindowBound&) = delete;
    TWindowBound& operator=(const TWindowBound&) = delete;

    // The object, or nullptr once it has been freed.
    T* get() const { return liveness_.expired() ? nullptr : object_; }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }
    explicit operator bool() const { return get() != nullptr; }

    void Close() {
        if (liveness_.expired()) return;
        if constexpr (std::is_base_of_v<TSelfSubClass, T>) {
            HWND window = object_->Handle();
            if (window && IsWindow(window)) DestroyWindow(window);
            if (liveness_.expired()) return;
        }
        object_->Free();
    }

private:
    T* object_;
    std::weak_ptr<void> liveness_;
};
