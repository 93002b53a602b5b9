#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include "toolbar/base/common.h"
#include "toolbar/skins/skin.h"
#include "toolbar/skins/skin_paint.h"
#include "toolbar/base/theme.h"
#include "widgets/graphics.h"
#include "widgets/handles.h"

// The Windows XP default ("Luna") colours the skins were drawn for.
inline COLORREF WindowsXPSysColor(int index) {
    switch (index) {
        case COLOR_MENU: return RGB(255, 255, 255);
        case COLOR_WINDOW: return RGB(255, 255, 255);
        case COLOR_MENUTEXT: return RGB(0, 0, 0);
        case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
        case COLOR_HIGHLIGHT: return RGB(49, 106, 197);
        case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
        case COLOR_BTNFACE: return RGB(236, 233, 216);
        case COLOR_BTNSHADOW: return RGB(172, 168, 153);
        default: return GetSysColor(index);
    }
}

// Skin tests run under the Windows XP colours, on a display that shows every RGB value as it
// is, and leave the process-wide skin state as they found it.
class SkinTest : public testing::Test {
protected:
    void SetUp() override {
        WindowDC screen(nullptr);
        ASSERT_GE(GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES), 24)
            << "colour comparisons need a true-colour display";
        ASSERT_EQ(SkinManager->Count(), 0) << "a skin of an earlier test is still alive";
        ResetSystemSeams();
        ResetThemeApi();
        ResetGradientFillEntry();
        SysColorSource() = WindowsXPSysColor;
        DefaultSkin->ApplyColorSet();
    }
    void TearDown() override {
        SysColorSource() = nullptr;
        ResetSystemSeams();
        ResetThemeApi();
        ResetGradientFillEntry();
        DefaultSkin->ApplyColorSet();
        ChevronSize = 12;
    }
};
