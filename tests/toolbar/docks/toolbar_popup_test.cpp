#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "support/test_env.h"
#include "toolbar/docks/toolbar.h"
#include "toolbar/popups/popup.h"
#include "toolbar/views/view_test_support.h"
#include "widgets/form.h"

namespace {

// The views reach the popup windows, a layer above them, only through PopupFactory(), which
// starts empty. A toolbar has to install the real windows, or its submenus never open in a
// program where nothing else did; and it must not replace a factory already installed.
class ToolbarPopupTest : public testing::Test {
protected:
    void SetUp() override {
        found = PopupFactory();
        PopupFactory() = nullptr;
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 300, 150);
        dock = TComponent::Create<TTBDock>(form.get());
        dock->SetParent(form.get());
    }
    void TearDown() override {
        form.reset();
        PopupFactory() = found;
    }
    TTBToolbar* AddToolbarWithMenu() {
        auto* toolbar = TComponent::Create<TTBToolbar>(form.get());
        toolbar->SetParent(dock);
        menu = TComponent::Create<TTBItem>(form.get());
        menu->SetCaption("Menu");
        menu->SetItemStyle(menu->ItemStyle() | isfSubmenu);
        toolbar->Items()->Add(menu);
        auto* entry = TComponent::Create<TTBItem>(form.get());
        entry->SetCaption("Entry");
        menu->Add(entry);
        return toolbar;
    }

    TTBPopupFactory found;
    std::unique_ptr<TForm> form;
    TTBDock* dock = nullptr;
    TTBItem* menu = nullptr;
};

TEST_F(ToolbarPopupTest, AToolbarOpensItsSubmenuInAPopupWindowWhenNoFactoryWasInstalled) {
    TTBToolbar* toolbar = AddToolbarWithMenu();
    form->Show();
    PumpFor(30);
    TTBView* bar = toolbar->View();

    HWND shown = nullptr;
    Script script({
        [&] {
            auto* popup = dynamic_cast<TTBPopupWindow*>(bar->OpenPopup());
            if (popup && IsWindowVisible(popup->Handle())) shown = popup->Handle();
            PostKey(bar->Window()->Handle(), VK_ESCAPE);
        },
        [&] { PostKey(bar->Window()->Handle(), VK_ESCAPE); },
    });
    bar->Select(bar->Find(menu));
    bar->EnterToolbarLoop(tbetOpenOnNavigate | tbetSelectFirst);

    EXPECT_NE(shown, nullptr);
}

TEST_F(ToolbarPopupTest, AToolbarKeepsAFactoryInstalledBeforeIt) {
    int built = 0;
    PopupFactory() = [&](TTBCustomItem*, TTBView*, TTBItemViewer*, bool) {
        ++built;
        return std::unique_ptr<TTBPopupHost>();
    };
    TTBToolbar* toolbar = AddToolbarWithMenu();

    EXPECT_EQ(PopupFactory()(menu, toolbar->View(), nullptr, false), nullptr);
    EXPECT_EQ(built, 1);
}

}  // namespace
