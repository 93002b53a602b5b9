#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "support/ui_driver.h"
#include "toolbar/base/quarantine.h"
#include "toolbar/views/accessible.h"
#include "toolbar/views/view.h"

// A view whose chevron the test supplies and whose window keeps the size the test gave it.
// Freed views stay quarantined, so that code still using one fails.
class TestView : public TTBView {
public:
    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* p, size_t size) { QuarantineFree(p, size); }
    TestView(TTBCustomItem* root, TWinControl* window, bool toolbar, TTBView* parent = nullptr)
        : TTBView(nullptr, parent, root, window, toolbar, false, toolbar) {}
    TTBCustomItem* chevron = nullptr;
    POINT requestedSize{};
    TTBCustomItem* GetChevronItem() const override { return chevron; }
    void SetSize(int width, int height) override { requestedSize = POINT{width, height}; }
};

// A topmost window that shows a view, answers accessibility clients for it and starts its
// tracking loop on a press, as a toolbar does.
class TestBar : public TWinControl {
public:
    explicit TestBar(RECT bounds, bool toolbar = true, TTBCustomItem* items = nullptr, TTBView* parentView = nullptr)
        : TWinControl(nullptr), toolbar_(toolbar) {
        SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
        if (!items) {
            ownRoot_ = std::make_unique<TTBRootItem>(nullptr);
            items = ownRoot_.get();
        }
        root = items;
        HandleNeeded();
        ShowWindow(HandleOrNull(), SW_SHOWNOACTIVATE);
        view = std::make_unique<TestView>(root, this, toolbar, parentView);
    }
    ~TestBar() override { view.reset(); }

    TTBCustomItem* root;
    std::unique_ptr<TestView> view;

    TTBItem* Add(const std::string& caption, std::function<void()> onClick = nullptr) {
        auto* item = new TTBItem(nullptr);  // the root frees it
        item->SetCaption(caption);
        if (onClick) item->OnClick = [onClick](TComponent*) { onClick(); };
        root->Add(item);
        return item;
    }
    TTBItemViewer* ViewerOf(TTBCustomItem* item) { return view->Find(item); }
    POINT CentreOf(TTBCustomItem* item) {
        view->ValidatePositions();
        const RECT& r = ViewerOf(item)->BoundsRect;
        return ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        POINT screen = ClientToScreen(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        if (msg == WM_MOUSEMOVE && view) {
            view->UpdateSelection(&screen, true);
            return 0;
        }
        LRESULT object = 0;
        if (msg == WM_GETOBJECT && view && AnswerAccessibleObject(*view, HandleOrNull(), wParam, lParam, object))
            return object;
        if (msg == WM_LBUTTONDOWN && view && toolbar_) {
            view->UpdateSelection(&screen, true);
            if (view->Selected()) view->EnterToolbarLoop(tbetMouseDown);
            return 0;
        }
        return TWinControl::WndProc(msg, wParam, lParam);
    }

protected:
    void CreateParams(TCreateParams& params) override {
        TWinControl::CreateParams(params);
        params.Style = WS_POPUP;
        params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    }
    void PaintWindow(TCanvas& canvas) override {
        RECT client = ClientRect();
        FillSolid(canvas.Handle(), client, toolbar_ ? clBtnFace : clSystemColor | COLOR_MENU);
        view->DrawSubitems(canvas);
    }

private:
    bool toolbar_;
    std::unique_ptr<TTBRootItem> ownRoot_;
};

// Steps run one per timer tick, so that they arrive while a modal loop runs.
using Script = InputScript;

// Mouse input as the loop reads it: the cursor is placed first, the message carries its position.
inline void PostMouse(HWND window, UINT msg, POINT screen) {
    SetCursorPos(screen.x, screen.y);
    POINT client = screen;
    ScreenToClient(window, &client);
    PostMessageA(window, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(client.x, client.y));
}

inline void PostKey(HWND window, WORD key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

inline void PostChar(HWND window, char ch) { PostMessageA(window, WM_CHAR, static_cast<unsigned char>(ch), 1); }
