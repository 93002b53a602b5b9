#include "fonts/api_controls.h"
#include "fonts/temp_font.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "fonts/test_parent_window.h"
#include "support/window_count.h"
#include "widgets/handles.h"
#include "widgets/wide_text.h"

namespace {

struct FontReport {
    std::string face;
    BYTE charSet;
};

int CALLBACK CollectFont(const LOGFONTA* logFont, const TEXTMETRICA*, DWORD, LPARAM data) {
    reinterpret_cast<std::vector<FontReport>*>(data)->push_back(
        {std::string(logFont->lfFaceName, strnlen(logFont->lfFaceName, LF_FACESIZE)), logFont->lfCharSet});
    return 1;
}

// What the system reports for `family` (every family when null), in its order.
std::vector<FontReport> Enumerate(HWND window, const char* family) {
    std::vector<FontReport> reports;
    WindowDC dc(window);
    EnumFontFamiliesA(dc.get(), family, CollectFont, reinterpret_cast<LPARAM>(&reports));
    return reports;
}

std::vector<std::string> Items(const TAPIComboBoxBase& combo) {
    std::vector<std::string> items;
    for (int i = 0; i < combo.Count(); ++i) items.push_back(combo.Items(i));
    return items;
}

int liveCombos = 0;
bool freedInsideOnChange = false;
bool inOnChange = false;

class CountedFontCombo : public TEnumFontComboBox {
public:
    explicit CountedFontCombo(HWND parent) : TEnumFontComboBox(parent) { ++liveCombos; }
    ~CountedFontCombo() override {
        --liveCombos;
        if (inOnChange) freedInsideOnChange = true;
    }
};

// A combo box whose window cannot be made.
class WindowlessCombo : public TAPIDDLCombo {
public:
    using TAPIDDLCombo::TAPIDDLCombo;

protected:
    void CreateParams(TAPICreateParams& params) override {
        TAPIDDLCombo::CreateParams(params);
        strcpy(params.ClassName, "no-such-class");
    }
};

class APIControlsTest : public testing::Test {
protected:
    TestParent parent;
};

// A combo box with three known entries and a log of its change callbacks.
class DDLComboTest : public APIControlsTest {
protected:
    void SetUp() override {
        for (const char* item : {"alpha", "表示ソフト", "gamma"}) combo->AddString(item);
        combo->OnChange = [this](TAPIComboBoxBase* sender, TMessage& message) {
            changes.push_back({sender, message, sender->Text()});
        };
    }
    struct Change {
        TAPIComboBoxBase* sender;
        TMessage message;
        std::string text;
    };
    TWindowBound<TAPIDDLCombo> combo{parent.get()};
    std::vector<Change> changes;
};

TEST_F(APIControlsTest, ListsEachFamilyOnceInEnumerationOrder) {
    TWindowBound<TEnumFontComboBox> combo(parent.get());
    std::vector<std::string> expected;
    std::set<std::string> seen;
    for (const FontReport& report : Enumerate(parent.get(), nullptr)) {
        if (seen.insert(report.face).second) expected.push_back(report.face);
    }
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Items(*combo), expected);
    EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST(DDLComboParamsTest, CreateParamsDescribeTheDropDownList) {
    struct Params : TAPIDDLCombo {
        using TAPIDDLCombo::TAPIDDLCombo;
        TAPICreateParams Get() {
            TAPICreateParams params{};
            params.Caption = "left over";
            CreateParams(params);
            return params;
        }
    };
    TestParent parent;
    TAPICreateParams params = TWindowBound<Params>(parent.get())->Get();
    EXPECT_EQ(params.Caption, "");
    EXPECT_EQ(params.Style, 0x54210243u);
    EXPECT_EQ(params.ExStyle, 0x200u);
    EXPECT_EQ(params.X, 50);
    EXPECT_EQ(params.Y, 50);
    EXPECT_EQ(params.Width, 150);
    EXPECT_EQ(params.Height, 32);
    EXPECT_STREQ(params.ClassName, "COMBOBOX");
}

TEST_F(APIControlsTest, MakesAVisibleUnsortedDropDownListAt50By50) {
    TWindowBound<TAPIDDLCombo> combo(parent.get());
    HWND window = combo->Handle();
    ASSERT_TRUE(IsWindow(window));
    // The combo box moves the scroll bar and the client edge to its parts: check the rest.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & ~WS_VSCROLL,
              0x54210243u & ~WS_VSCROLL);
    EXPECT_EQ(GetDlgCtrlID(window), combo->ControlId());
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    EXPECT_STRCASEEQ(className, "ComboBox");
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 50);
    EXPECT_EQ(rect.top, 50);
    EXPECT_EQ(rect.right - rect.left, 150);

    for (const char* item : {"b", "a", "c"}) combo->AddString(item);
    EXPECT_EQ(Items(*combo), (std::vector<std::string>{"b", "a", "c"}));

    combo->Show(false);
    EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE);
    combo->Show(true);
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(DDLComboTest, ItemsOutsideTheListAndNoSelectionGiveEmptyText) {
    EXPECT_EQ(combo->Items(1), "表示ソフト");
    EXPECT_EQ(combo->Items(3), "");
    EXPECT_EQ(combo->Items(-1), "");
    EXPECT_EQ(combo->SelectedText(), "");
    combo->Clear();
    EXPECT_EQ(combo->Count(), 0);
}

TEST_F(DDLComboTest, SetItemIndexNotifiesOnlyOnAChange) {
    combo->SetItemIndex(-1);
    EXPECT_TRUE(changes.empty());

    combo->SetItemIndex(1);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].sender, combo.get());
    EXPECT_EQ(changes[0].text, "表示ソフト");
    EXPECT_EQ(changes[0].message.Msg, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(LOWORD(changes[0].message.WParam), combo->ControlId());
    EXPECT_EQ(HIWORD(changes[0].message.WParam), CBN_SELCHANGE);
    EXPECT_EQ(changes[0].message.LParam, reinterpret_cast<LPARAM>(combo->Handle()));
    EXPECT_EQ(combo->Text(), "表示ソフト");

    combo->SetItemIndex(1);
    EXPECT_EQ(changes.size(), 1u);

    // Windows drops the selection for an index outside the list, Wine keeps it: either way a
    // notification goes out exactly when the selection changed, and Text follows it.
    combo->SetItemIndex(7);
    EXPECT_EQ(changes.size(), combo->ItemIndex() == 1 ? 1u : 2u);
    EXPECT_EQ(combo->Text(), combo->SelectedText());
    combo->SetItemIndex(-1);
    EXPECT_EQ(combo->Text(), "");
    size_t cleared = changes.size();
    combo->SetItemIndex(7);
    EXPECT_EQ(changes.size(), cleared);
}

TEST_F(DDLComboTest, NotificationThroughTheParentReachesOnlyItsOwnCombo) {
    TWindowBound<TAPIDDLCombo> other(parent.get());
    int otherChanges = 0;
    other->OnChange = [&](TAPIComboBoxBase*, TMessage&) { ++otherChanges; };

    SendMessageA(combo->Handle(), CB_SETCURSEL, 2, 0);
    SendCommand(parent.get(), static_cast<WORD>(combo->ControlId()), CBN_SELCHANGE, combo->Handle());
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(combo->Text(), "gamma");
    EXPECT_EQ(otherChanges, 0);
    EXPECT_EQ(ParentLog().events, std::vector<std::string>{"parent"});

    // Other notification codes change nothing.
    SendCommand(parent.get(), static_cast<WORD>(combo->ControlId()), CBN_DROPDOWN, combo->Handle());
    EXPECT_EQ(changes.size(), 1u);
}

TEST_F(DDLComboTest, KeyboardChoiceNotifiesThroughTheParent) {
    SetFocus(combo->Handle());
    SendMessageA(combo->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(combo->Text(), "alpha");
}

TEST_F(APIControlsTest, ComboWithoutAWindowIgnoresMenuCommands) {
    TWindowBound<WindowlessCombo> combo(parent.get());
    ASSERT_EQ(combo->Handle(), nullptr);
    int calls = 0;
    combo->OnChange = [&](TAPIComboBoxBase*, TMessage&) { ++calls; };
    SendCommand(parent.get(), 5, 0, nullptr);  // a menu command
    SendCommand(parent.get(), 5, 1, nullptr);  // an accelerator: code 1, like CBN_SELCHANGE
    EXPECT_EQ(calls, 0);
}

TEST_F(APIControlsTest, GetLogFontPrefersTheSystemCharsetElseTheLastFont) {
    // A registered Japanese family makes sure both rules are exercised.
    ASSERT_TRUE(LoadTempFont(WideFromAnsi(TestFontDir() + "\\japanese.ttf")));
    TWindowBound<TEnumFontComboBox> combo(parent.get());
    ASSERT_GT(combo->Count(), 0);
    ASSERT_EQ(SystemCharset(), SHIFTJIS_CHARSET);
    int japanese = 0;
    for (int i = 0; i < combo->Count(); ++i) {
        std::string family = combo->Items(i);
        combo->SetItemIndex(i);
        std::vector<FontReport> fonts = Enumerate(parent.get(), family.c_str());
        LOGFONTA logFont{};
        if (fonts.empty()) {
            // Wine keeps listing a removed font's "@" face that then enumerates nothing.
            combo->GetLogFont(logFont);
            EXPECT_EQ(logFont.lfFaceName[0], '\0') << family;
            continue;
        }
        bool hasSystemCharset = false;
        for (const FontReport& f : fonts) hasSystemCharset |= f.charSet == SHIFTJIS_CHARSET;
        japanese += hasSystemCharset;
        combo->GetLogFont(logFont);
        EXPECT_EQ(std::string(logFont.lfFaceName), family);
        EXPECT_EQ(logFont.lfCharSet, hasSystemCharset ? SHIFTJIS_CHARSET : fonts.back().charSet) << family;
    }
    EXPECT_GT(japanese, 0);
    UnloadTempFont();
}

TEST_F(APIControlsTest, GetLogFontWithoutSelectionLeavesTheRecord) {
    TWindowBound<TEnumFontComboBox> combo(parent.get());
    LOGFONTA logFont;
    memset(&logFont, 0x5A, sizeof logFont);
    LOGFONTA before = logFont;
    combo->GetLogFont(logFont);
    EXPECT_EQ(memcmp(&logFont, &before, sizeof logFont), 0);
}

TEST_F(APIControlsTest, ChangeCallbackMayDestroyTheCombo) {
    CountedFontCombo* combo = CreateOwnedByWindow<CountedFontCombo>(parent.get());
    ASSERT_GT(combo->Count(), 1);
    std::weak_ptr<void> alive = combo->Liveness();
    freedInsideOnChange = false;
    combo->OnChange = [](TAPIComboBoxBase* sender, TMessage&) {
        inOnChange = true;
        DestroyWindow(sender->Handle());
        inOnChange = false;
    };
    combo->SetItemIndex(1);
    EXPECT_TRUE(alive.expired());
    EXPECT_FALSE(freedInsideOnChange);
}

TEST_F(APIControlsTest, CreateAndDestroyCyclesLeaveNothingBehind) {
    { TWindowBound<TEnumFontComboBox> warmUp(parent.get()); }
    int windows = CountThreadWindows();
    long dcs = HandleCounters::DeviceContexts();
    int objects = MessageDispatcher->SubClassCount();
    liveCombos = 0;
    for (int i = 0; i < 200; ++i) {
        if (i % 2 == 0) {
            TWindowBound<CountedFontCombo> combo(parent.get());
            combo->SetItemIndex(0);
            LOGFONTA logFont{};
            combo->GetLogFont(logFont);
        } else {
            // The drawing routine's way: the window's end frees the object.
            CountedFontCombo* combo = CreateOwnedByWindow<CountedFontCombo>(parent.get());
            DestroyWindow(combo->Handle());
        }
    }
    EXPECT_EQ(liveCombos, 0);
    EXPECT_EQ(CountThreadWindows(), windows);
    EXPECT_EQ(HandleCounters::DeviceContexts(), dcs);
    EXPECT_EQ(MessageDispatcher->SubClassCount(), objects);
}

}  // namespace
