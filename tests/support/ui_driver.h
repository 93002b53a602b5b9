#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Answers the next modal dialog of this thread whose caption is `caption` by pressing the
// button `buttonId` (IDYES, IDNO, IDOK, ...). A thread timer does it, so the answer arrives
// from inside the dialog's own message loop, as a user's click would.
class DialogAnswerer {
public:
    DialogAnswerer(const std::string& caption, int buttonId);
    // Also types `text` into the dialog's control `controlId` before pressing the button.
    DialogAnswerer(const std::string& caption, int buttonId, int controlId, const std::string& text);
    // The same with UTF-16 text, for names outside the code page.
    DialogAnswerer(const std::string& caption, int buttonId, int controlId, const std::wstring& text);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // Waits for `other` to have answered its dialog first.
    void After(const DialogAnswerer& other) { after_ = &other; }
    bool Answered() const { return answered_; }
    const std::string& Text() const { return text_; }            // the dialog's message
    const std::string& ButtonText() const { return buttonText_; }  // the caption of the pressed button
    int Seen() const { return seen_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void Poll();

    std::string caption_;
    int buttonId_;
    int controlId_ = 0;
    std::wstring input_;
    UINT_PTR timer_ = 0;
    const DialogAnswerer* after_ = nullptr;
    bool answered_ = false;
    int seen_ = 0;
    std::string text_, buttonText_;
};

// Left click at a point of a window's client area, through the window's own mouse messages.
void ClickAt(HWND window, int x, int y);
// A left click as the system delivers it: the pointer moves to the screen point, then the
// button goes down and up there. Unlike sent messages it does not reach disabled windows, and a
// press that starts a modal loop (a toolbar button) finds its release already queued.
void SystemClick(POINT screen);
// Queues the same input without waiting: for a click that a running handler's pumping takes.
void QueueSystemClick(POINT screen);
std::string WindowText(HWND window);

// Pointer and key input through the system's input queue, as a user's: the cursor is placed,
// then a move, button or key event goes in.
void SendMouse(DWORD flags);
void MoveTo(POINT screen);
void Press();
void Release();
void PressKey(WORD key, bool down);

// Runs one step per tick of a thread timer, so that the steps run inside whatever modal loop
// pumps the messages then (a drag, a resize, a close-button loop).
class InputScript {
public:
    explicit InputScript(std::vector<std::function<void()>> steps, UINT intervalMs = 40);
    ~InputScript();
    InputScript(const InputScript&) = delete;
    InputScript& operator=(const InputScript&) = delete;
    bool Done() const { return next_ >= steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
    UINT_PTR id_ = 0;
};
