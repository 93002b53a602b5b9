#include "support/ui_driver.h"
#include "support/test_env.h"

#include <map>

#include "widgets/wide_text.h"

namespace {
std::map<UINT_PTR, DialogAnswerer*>& Answerers() {
    static std::map<UINT_PTR, DialogAnswerer*> answerers;
    return answerers;
}

struct Search {
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof(cls));
    if (std::string(cls) == "#32770" && IsWindowVisible(window) && WindowText(window) == search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

DialogAnswerer::DialogAnswerer(const std::string& caption, int buttonId) : caption_(caption), buttonId_(buttonId) {
    timer_ = SetTimer(nullptr, 0, 20, Tick);
    Answerers()[timer_] = this;
}

DialogAnswerer::DialogAnswerer(const std::string& caption, int buttonId, int controlId, const std::string& text)
    : DialogAnswerer(caption, buttonId, controlId, WideFromAnsi(text)) {}

DialogAnswerer::DialogAnswerer(const std::string& caption, int buttonId, int controlId, const std::wstring& text)
    : DialogAnswerer(caption, buttonId) {
    controlId_ = controlId;
    input_ = text;
}

DialogAnswerer::~DialogAnswerer() {
    KillTimer(nullptr, timer_);
    Answerers().erase(timer_);
}

void CALLBACK DialogAnswerer::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Answerers().find(id);
    if (it != Answerers().end()) it->second->Poll();
}

void DialogAnswerer::Poll() {
    if (answered_ || (after_ && !after_->Answered())) return;
    Search search{caption_};
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return;
    ++seen_;
    text_ = WindowText(GetDlgItem(search.found, 0xFFFF));
    if (controlId_) SetDlgItemTextW(search.found, controlId_, input_.c_str());
    HWND button = GetDlgItem(search.found, buttonId_);
    buttonText_ = WindowText(button);
    answered_ = true;
    PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(buttonId_, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void QueueSystemClick(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

void SystemClick(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    PumpFor(30);
    QueueSystemClick(screen);
    PumpFor(80);
}

void ClickAt(HWND window, int x, int y) {
    LPARAM at = MAKELPARAM(x, y);
    SendMessageA(window, WM_MOUSEMOVE, 0, at);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(window, WM_LBUTTONUP, 0, at);
}

void SendMouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

void MoveTo(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    SendMouse(MOUSEEVENTF_MOVE);
}

void Press() { SendMouse(MOUSEEVENTF_LEFTDOWN); }
void Release() { SendMouse(MOUSEEVENTF_LEFTUP); }

void PressKey(WORD key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof(input));
}

namespace {
std::map<UINT_PTR, InputScript*>& Scripts() {
    static std::map<UINT_PTR, InputScript*> scripts;
    return scripts;
}
}  // namespace

InputScript::InputScript(std::vector<std::function<void()>> steps, UINT intervalMs) : steps_(std::move(steps)) {
    id_ = SetTimer(nullptr, 0, intervalMs, Tick);
    Scripts()[id_] = this;
}

InputScript::~InputScript() {
    KillTimer(nullptr, id_);
    Scripts().erase(id_);
}

void CALLBACK InputScript::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Scripts().find(id);
    if (it == Scripts().end() || it->second->Done()) return;
    InputScript* script = it->second;
    script->steps_[script->next_++]();
}
