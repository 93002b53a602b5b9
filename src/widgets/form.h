#pragma once
#include "widgets/control.h"

enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };
enum TFormBorderStyle : uint8_t { bsSizeable, bsDialog };
enum TPosition : uint8_t { poDesigned, poScreenCenter };

using TCloseQueryEvent = std::function<void(TComponent* Sender, bool& CanClose)>;
using TCloseEvent = std::function<void(TComponent* Sender, TCloseAction& Action)>;

// A top-level window. The first form made is the application's main form; closing the main
// form ends the message loop, closing another form hides it.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style) { borderStyle_ = style; }
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    void SetClientSize(int width, int height);
    int ClientWidth() const { return ClientRect().right; }
    int ClientHeight() const { return ClientRect().bottom; }

    void Show();
    void Hide() { SetVisible(false); }
    void SetVisible(bool visible) override;
    // Asks OnCloseQuery, then OnClose; the action decides what closing means.
    void Close();
    bool CloseQuery();

    TNotifyEvent OnCreate, OnShow, OnHide;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;
    // The keyboard's way into the menu (SC_KEYMENU: Alt or F10 alone, Key 0, or Alt with a
    // letter). Handled set keeps it from the application's system-command filters (the
    // toolbars); what nobody takes opens the system menu as usual.
    std::function<void(TComponent* Sender, char Key, bool& Handled)> OnKeyMenu;

    // Runs OnCreate; called by a stored layout once every component is loaded.
    void DoCreate();

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void AfterCreateWnd() override;

private:
    void CenterOnScreen();

    TFormBorderStyle borderStyle_ = bsSizeable;
    TPosition position_ = poDesigned;
    bool centred_ = false;
};
