#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TForm;
class THintController;

// Cursor identities of the screen cursor and of controls.
enum TCursor : int { crDefault = 0, crArrow = -2, crHourGlass = -11, crHandPoint = -21, crHSplit = -14, crVSplit = -15 };
HCURSOR CursorHandle(TCursor cursor);

// The screen's cursor: anything but crDefault overrides every control's own cursor.
class TScreen {
public:
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

private:
    TCursor cursor_ = crDefault;
};

class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Registers the common controls and COM once; safe to call more than once.
    void Initialize();

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    HINSTANCE Instance() const { return instance_; }
    HICON Icon() const;

    // The first form created becomes the main form; closing it ends Run.
    TForm* MainForm() const { return mainForm_; }
    void RegisterForm(TForm* form);
    void UnregisterForm(TForm* form);

    // Shows the main form and runs the message loop until Terminate.
    void Run();
    // Lets the message loop process every pending message, then returns.
    void ProcessMessages();
    // One turn of the loop: handles a waiting message; with none, runs the idle step and, when
    // that is done, waits for the next message.
    void HandleMessage();
    // Waits until a message is in the queue, seen before or not, and leaves it there: a modal
    // loop looks at it before deciding to take it. False when `ms` passed with none.
    bool WaitForMessage(DWORD ms = INFINITE);
    // The idle step: raised when the queue is empty. Done set to false asks for another step
    // before the loop waits.
    std::function<void(bool& Done)> OnIdle;
    // Work that waits for an idle moment (controls bringing their actions' state up to date),
    // run after OnIdle on every idle step. A handler may add or remove handlers while it runs.
    using TIdleHandler = std::function<void()>;
    int AddIdleHandler(TIdleHandler handler);  // the key for RemoveIdleHandler
    void RemoveIdleHandler(int key);

    // Filters see every message the loop takes, newest first, before dialog navigation and
    // dispatch (short-cuts, a toolbar's dialog characters); one that answers true has handled
    // it. A filter may add or remove filters while it runs.
    using TMessageFilter = std::function<bool(MSG& Msg)>;
    int AddMessageFilter(TMessageFilter filter);  // the key for RemoveMessageFilter
    void RemoveMessageFilter(int key);
    // The system commands a form receives, offered the same way before the form's default
    // handling (which opens the window menu for SC_KEYMENU, the keyboard's way into a menu).
    // Toolbars acting as menu bars, and keyboard access to ordinary toolbars, come this way.
    int AddSystemCommandFilter(TMessageFilter filter);  // the key for RemoveSystemCommandFilter
    void RemoveSystemCommandFilter(int key);
    bool FilterSystemCommand(MSG& msg);
    // Posts the end of the message loop.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Lets a host that runs several windows in turn (a test program) start a new loop.
    void ResetTermination();

    // Whether hints add the short-cut of their command, as "Open (Ctrl+O)".
    bool HintShortCuts() const { return hintShortCuts_; }
    void SetHintShortCuts(bool value) { hintShortCuts_ = value; }
    // The status hint: the long hint of what the pointer or the menu selection is on, for a
    // status line. OnHint follows every change.
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    std::function<void()> OnHint;
    // The tooltips of the controls that report their pointer to it.
    THintController& Hints();

    // Help requests. The program has no help file: OnHelp, when assigned, answers them.
    void HelpContext(int context);
    void ContextPopupHelp(int context);  // "What's this?" help for a window with the help icon
    std::function<void(int Context, bool Popup)> OnHelp;

    // Shows the error in a box titled with the application title, unless OnException takes it.
    void HandleException(const std::exception* error);
    void HandleCurrentException() noexcept;  // call from a catch(...) block
    std::function<void(const std::string& message)> OnException;

private:
    bool ProcessMessage(MSG& msg);
    bool FilterMessage(MSG& msg);
    bool Idle();

    using TFilterList = std::vector<std::pair<int, std::shared_ptr<TMessageFilter>>>;
    int AddFilter(TFilterList& list, TMessageFilter filter);
    static bool RunFilters(const TFilterList& list, MSG& msg);

    TFilterList filters_;
    TFilterList systemCommandFilters_;
    int nextFilterKey_ = 1;
    std::vector<std::pair<int, std::shared_ptr<TIdleHandler>>> idleHandlers_;
    std::string hint_;
    std::unique_ptr<THintController> hints_;
    std::string title_;
    HINSTANCE instance_;
    TForm* mainForm_ = nullptr;
    std::vector<TForm*> forms_;
    bool terminated_ = false;
    bool initialized_ = false;
    bool hintShortCuts_ = true;
};

// The owner of the framework's top-level popups (menus, their shadows): the main form's
// window once it has one, else the desktop window.
HWND PopupOwnerWindow();

// Paints every window of this thread that has something invalid, and runs nothing else: the
// screen catches up (a menu that just closed disappears) before a long command starts.
void ProcessPaintMessages();

// Process-wide, as a Windows program has one application and one screen.
extern TApplication* Application;
extern TScreen* Screen;

// Runs `body`, passing anything it throws to Application->HandleException; for window
// procedures and callbacks, which must never let an exception cross a Win32 frame.
template <class F>
void GuardedCall(F&& body) noexcept {
    try {
        body();
    } catch (...) {
        if (Application) Application->HandleCurrentException();
    }
}

// Runs `body` and swallows anything it throws: for handlers that end silently on errors.
template <class F>
void SilentCall(F&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}
