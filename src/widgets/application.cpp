#include "widgets/application.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>

#include "widgets/exception.h"
#include "widgets/form.h"
#include "widgets/hint_control.h"
#include "widgets/system_library.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {
TScreen theScreen;
}

HCURSOR CursorHandle(TCursor cursor) {
    switch (cursor) {
    case crHourGlass: return LoadCursor(nullptr, IDC_WAIT);
    case crHandPoint: return LoadCursor(nullptr, IDC_HAND);
    case crHSplit: return LoadCursor(nullptr, IDC_SIZEWE);
    case crVSplit: return LoadCursor(nullptr, IDC_SIZENS);
    default: return LoadCursor(nullptr, IDC_ARROW);
    }
}

void TScreen::SetCursor(TCursor cursor) {
    if (cursor == cursor_) return;
    cursor_ = cursor;
    ::SetCursor(CursorHandle(cursor));
    // Let the window under the pointer pick its own cursor again when the override ends.
    POINT p;
    if (cursor == crDefault && GetCursorPos(&p)) {
        HWND under = WindowFromPoint(p);
        // Only our own windows: another program's may be slow or hung.
        if (under && GetWindowThreadProcessId(under, nullptr) == GetCurrentThreadId()) {
            LRESULT hit = SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
            SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
        }
    }
}

TApplication::TApplication() : instance_(GetModuleHandleA(nullptr)) {
    Application = this;
    Screen = &theScreen;
}

TApplication::~TApplication() {
    hints_.reset();  // its windows go while the application is still there to guard them
    if (Application == this) Application = nullptr;
    if (initialized_) CoUninitialize();
}

void TApplication::Initialize() {
    if (initialized_) return;
    initialized_ = true;
    CoInitialize(nullptr);  // the shell namespace of the folder tree needs it
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                              ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    // The theme library binds msimg32 at its first drawing, and Wine looks for a library bound
    // that way beside the program first, whatever the default search says. Loaded here from the
    // system folder, it is found loaded. Kept for the life of the process.
    LoadSystemLibrary("msimg32.dll");
}

HICON TApplication::Icon() const {
    HICON icon = LoadIconA(instance_, "MAINICON");
    return icon ? icon : LoadIcon(nullptr, IDI_APPLICATION);
}

void TApplication::RegisterForm(TForm* form) {
    forms_.push_back(form);
    if (!mainForm_) mainForm_ = form;
}

void TApplication::UnregisterForm(TForm* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
    if (mainForm_ == form) mainForm_ = nullptr;
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    if (FilterMessage(msg)) return true;
    // Tab and arrow navigation between the controls of the form that holds the focus.
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogMessageA(root, &msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (!terminated_ && ProcessMessage(msg)) {
    }
}

void TApplication::Run() {
    if (mainForm_) mainForm_->Show();
    while (!terminated_) HandleMessage();
}

void TApplication::HandleMessage() {
    MSG msg;
    if (ProcessMessage(msg)) return;
    if (Idle() && !terminated_) WaitForMessage();
}

bool TApplication::Idle() {
    bool done = true;
    if (OnIdle) GuardedCall([&] { OnIdle(done); });
    // The list may change while a handler runs; one removed meanwhile (its control freed) is skipped.
    auto handlers = idleHandlers_;
    for (auto& handler : handlers) {
        const bool live = std::any_of(idleHandlers_.begin(), idleHandlers_.end(),
                                      [&](const auto& h) { return h.first == handler.first; });
        if (live) GuardedCall([&] { (*handler.second)(); });
    }
    return done;
}

int TApplication::AddIdleHandler(TIdleHandler handler) {
    int key = nextFilterKey_++;
    idleHandlers_.emplace_back(key, std::make_shared<TIdleHandler>(std::move(handler)));
    return key;
}

void TApplication::RemoveIdleHandler(int key) {
    std::erase_if(idleHandlers_, [key](const auto& h) { return h.first == key; });
}

void TApplication::SetHint(const std::string& value) {
    if (value == hint_) return;
    hint_ = value;
    if (OnHint) GuardedCall([&] { OnHint(); });
}

THintController& TApplication::Hints() {
    if (!hints_) hints_ = std::make_unique<THintController>();
    return *hints_;
}

bool TApplication::WaitForMessage(DWORD ms) {
    // Unlike WaitMessage, which waits for news, this returns for a message already looked at.
    return MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0;
}

int TApplication::AddFilter(TFilterList& list, TMessageFilter filter) {
    int key = nextFilterKey_++;
    list.emplace_back(key, std::make_shared<TMessageFilter>(std::move(filter)));
    return key;
}

int TApplication::AddMessageFilter(TMessageFilter filter) { return AddFilter(filters_, std::move(filter)); }

void TApplication::RemoveMessageFilter(int key) {
    std::erase_if(filters_, [key](const auto& f) { return f.first == key; });
}

int TApplication::AddSystemCommandFilter(TMessageFilter filter) {
    return AddFilter(systemCommandFilters_, std::move(filter));
}

void TApplication::RemoveSystemCommandFilter(int key) {
    std::erase_if(systemCommandFilters_, [key](const auto& f) { return f.first == key; });
}

bool TApplication::FilterMessage(MSG& msg) { return RunFilters(filters_, msg); }

bool TApplication::FilterSystemCommand(MSG& msg) { return RunFilters(systemCommandFilters_, msg); }

bool TApplication::RunFilters(const TFilterList& list, MSG& msg) {
    if (list.empty()) return false;
    auto filters = list;  // the list may change while a filter runs
    for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
        bool handled = false;
        GuardedCall([&] { handled = (*it->second)(msg); });
        if (handled) return true;
    }
    return false;
}

void TApplication::Terminate() {
    if (terminated_) return;
    // Nested loops (a scan's pumping) stop at once; the quit message ends the outer one.
    terminated_ = true;
    PostQuitMessage(0);
}

void TApplication::ResetTermination() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    terminated_ = false;
}

void TApplication::HelpContext(int context) {
    if (OnHelp) OnHelp(context, false);
}

void TApplication::ContextPopupHelp(int context) {
    if (OnHelp) OnHelp(context, true);
}

void TApplication::HandleException(const std::exception* error) {
    std::string message = error ? error->what() : "Unknown error";
    if (OnException) {
        OnException(message);
        return;
    }
    MessageBoxA(mainForm_ ? mainForm_->HandleOrNull() : nullptr, message.c_str(), title_.c_str(),
                MB_OK | MB_ICONSTOP);
}

void TApplication::HandleCurrentException() noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        try { HandleException(&e); } catch (...) {}
    } catch (...) {
        try { HandleException(nullptr); } catch (...) {}
    }
}

namespace {
BOOL CALLBACK PaintThreadWindow(HWND window, LPARAM) {
    if (IsWindowVisible(window)) RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}
}  // namespace

HWND PopupOwnerWindow() {
    TForm* main = Application ? Application->MainForm() : nullptr;
    HWND window = main ? main->HandleOrNull() : nullptr;
    return window ? window : GetDesktopWindow();
}

void ProcessPaintMessages() { EnumThreadWindows(GetCurrentThreadId(), PaintThreadWindow, 0); }
