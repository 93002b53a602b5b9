#include "components/font_name_list_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "gui_test_support.h"
#include "support/ui_driver.h"
#include "widgets/label.h"
#include "widgets/panel.h"

namespace {

constexpr uint32_t kTT = TRUETYPE_FONTTYPE;
constexpr uint32_t kSjis = static_cast<uint32_t>(SHIFTJIS_CHARSET) << 16;
constexpr uint32_t kSymbol = static_cast<uint32_t>(SYMBOL_CHARSET) << 16;

// Every kind of face the filters tell apart; the two SorvaneTest faces are real (registered by
// the suite) so that drawing in a face can be seen.
TFaceList SyntheticFaces() {
    TFaceList faces = {
        {"@JP Gothic", kTT | kSjis},
        {"Device Face", DEVICE_FONTTYPE},
        {"Fixed Mono", kTT | ffFixedPitch},
        {"JP Gothic", kTT | kSjis},
        {"JP Mono", kTT | kSjis | ffFixedPitch},
        {"No Type", 0},
        {"Printer Only", DEVICE_FONTTYPE | ffPrinter | ffPrinterOnly},
        {"Raster Face", RASTER_FONTTYPE},
        {"Shared TT", kTT | ffPrinter},
        {"Symbol Face", kTT | kSymbol},
        {"Vector Face", ffVector},
        {"SorvaneTestA", kTT},
        {"SorvaneTestB", kTT},
    };
    SortFaces(faces);
    return faces;
}

// The faces of the table, in table order, except `missing`.
std::vector<std::string> TableWithout(std::initializer_list<std::string> missing) {
    std::vector<std::string> names;
    for (const TFaceEntry& f : FaceTable()) {
        if (std::find(missing.begin(), missing.end(), f.Name) == missing.end()) names.push_back(f.Name);
    }
    return names;
}

std::vector<std::string> Items(const TFontNameListBox& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i) names.push_back(list.Items(i));
    return names;
}

std::string TestFontFile(const char* family) { return TestFontDir() + "\\" + family + ".ttf"; }

class FontNameListBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const char* f : {"SorvaneTestA", "SorvaneTestB"}) AddFontResourceA(TestFontFile(f).c_str());
    }
    static void TearDownTestSuite() {
        for (const char* f : {"SorvaneTestA", "SorvaneTestB"}) RemoveFontResourceA(TestFontFile(f).c_str());
    }

    void SetUp() override {
        realTable_ = FaceTable();
        InstallFaceTable(SyntheticFaces());
    }
    void TearDown() override {
        lists_.clear();
        InstallFaceTable(realTable_);
    }

    // A list on the shown form, filled, counting its clicks.
    TFontNameListBox* ShownList() {
        TFontNameListBox* list = NewList();
        list->SetParent(&HostForm());
        PumpFor(20);
        clicks_ = 0;
        return list;
    }
    TFontNameListBox* NewList() {
        lists_.push_back(std::make_unique<TFontNameListBox>(nullptr));
        TFontNameListBox* list = lists_.back().get();
        list->SetBounds(0, 0, 300, 300);
        list->OnClick = [this](TComponent*) { ++clicks_; };
        return list;
    }

    std::vector<std::unique_ptr<TFontNameListBox>> lists_;
    int clicks_ = 0;

private:
    TFaceList realTable_;
};

// --- which faces are listed ------------------------------------------------------------------

TEST_F(FontNameListBoxTest, FiltersDecideWhichFacesAreListed) {
    const TFontNameFilters all = TFontNameFilters::FromBits(255);
    struct Case {
        const char* what;
        TFontNameFilters collect, exclusive;
        std::vector<std::string> listed;
    } cases[] = {
        {"defaults: no vertical faces, no face without a type", all, {}, TableWithout({"@JP Gothic", "No Type"})},
        {"without fnfPrinter only the printer-only face goes", all - fnfPrinter, {},
         TableWithout({"@JP Gothic", "No Type", "Printer Only"})},
        {"without fnfJapanese", all - fnfJapanese, {}, TableWithout({"@JP Gothic", "No Type", "JP Gothic", "JP Mono"})},
        {"without fnfFixedPitch", all - fnfFixedPitch, {}, TableWithout({"@JP Gothic", "No Type", "Fixed Mono", "JP Mono"})},
        {"with fnfLyingFont", all + fnfLyingFont, {}, TableWithout({"No Type"})},
        {"TrueType only", all - TFontNameFilters{fnfDevice, fnfVector, fnfRaster}, {},
         TableWithout({"@JP Gothic", "No Type", "Device Face", "Printer Only", "Raster Face", "Vector Face"})},
        {"must be Japanese and fixed pitch", all, {fnfJapanese, fnfFixedPitch}, {"JP Mono"}},
        {"must be printer-only", all, {fnfPrinter}, {"Printer Only"}},
        {"must be symbol but symbols are not collected", all - fnfSymbolFont, {fnfSymbolFont}, {}},
    };
    TFontNameListBox* list = ShownList();
    for (const Case& c : cases) {
        list->SetCollectFilters(c.collect);
        list->SetExclusiveFilters(c.exclusive);
        EXPECT_EQ(Items(*list), c.listed) << c.what;
    }
}

TEST_F(FontNameListBoxTest, ItemsCarryTheirFaceWords) {
    TFontNameListBox* list = ShownList();
    for (int i = 0; i < list->Count(); ++i) {
        const TFaceEntry& face = FaceTable()[FindFace(FaceTable(), list->Items(i))];
        EXPECT_EQ(list->ItemFlags(i), face.Flags) << face.Name;
        EXPECT_EQ(list->FaceAttributes(i), FaceAttributes(face.Flags, face.Name)) << face.Name;
        EXPECT_EQ(list->IsPrinterOnly(i), face.Name == "Printer Only") << face.Name;
    }
    EXPECT_TRUE(list->FaceAttributes(-1).empty());
    EXPECT_TRUE(list->FaceAttributes(list->Count()).empty());
    EXPECT_FALSE(list->IsPrinterOnly(list->Count()));
}

TEST(ExclusiveFilters, OnlyTheFirstNewlyAddedFaceTypeSurvives) {
    struct Case {
        TFontNameFilters current, wanted, stored;
    } cases[] = {
        {{}, {fnfJapanese, fnfFixedPitch}, {fnfJapanese, fnfFixedPitch}},
        {{}, {fnfDevice, fnfTrueType}, {fnfDevice}},
        {{fnfTrueType}, {fnfTrueType, fnfRaster}, {fnfRaster}},
        {{fnfTrueType, fnfJapanese}, {fnfTrueType, fnfVector, fnfSymbolFont}, {fnfVector, fnfSymbolFont}},
        {{fnfRaster}, {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NormaliseExclusiveFilters(c.current, c.wanted).Bits(), c.stored.Bits())
            << c.current.Bits() << " -> " << c.wanted.Bits();
    }
}

TEST_F(FontNameListBoxTest, ExclusiveFiltersStoreTheNormalisedValue) {
    TFontNameListBox* list = ShownList();
    list->SetExclusiveFilters({fnfDevice, fnfTrueType});
    EXPECT_EQ(list->ExclusiveFilters(), TFontNameFilters(fnfDevice));
    EXPECT_EQ(Items(*list), (std::vector<std::string>{"Device Face", "Printer Only"}));
    list->SetExclusiveFilters({fnfDevice, fnfTrueType});
    EXPECT_EQ(list->ExclusiveFilters(), TFontNameFilters(fnfTrueType));
}

TEST_F(FontNameListBoxTest, VisibleNamesOverrideFiltersOnlyForFacesInTheTable) {
    TFontNameListBox* list = ShownList();
    list->SetExclusiveFilters({fnfJapanese, fnfFixedPitch});
    list->VisibleFontNames().Add("no type");
    list->VisibleFontNames().Add("Not Installed");
    list->VisibleFontNames().Add("@JP Gothic");
    std::vector<std::string> expected = TableWithout({});
    std::erase_if(expected, [](const std::string& n) { return n != "@JP Gothic" && n != "JP Mono" && n != "No Type"; });
    EXPECT_EQ(Items(*list), expected);
}

TEST_F(FontNameListBoxTest, TheLatestNameListWins) {
    TFontNameListBox* list = ShownList();
    list->VisibleFontNames().Add("No Type");
    ASSERT_EQ(Items(*list), TableWithout({"@JP Gothic"}));

    // Hiding a face that the visible list names takes it out of that list.
    list->InvisibleFontNames().Add("NO TYPE");
    list->InvisibleFontNames().Add("Raster Face");
    EXPECT_TRUE(list->VisibleFontNames().Empty());
    EXPECT_EQ(Items(*list), TableWithout({"@JP Gothic", "No Type", "Raster Face"}));

    list->SetVisibleFontNames({"raster face"});
    EXPECT_EQ(list->InvisibleFontNames().List(), (std::vector<std::string>{"NO TYPE"}));
    EXPECT_EQ(Items(*list), TableWithout({"@JP Gothic", "No Type"}));

    // The same contents are no change: no rebuild, so no click either.
    clicks_ = 0;
    list->SetInvisibleFontNames({"NO TYPE"});
    EXPECT_EQ(clicks_, 0);
    list->SetInvisibleFontNames({"No Type"});  // another case is other contents
    EXPECT_EQ(clicks_, 1);
}

// --- selection -------------------------------------------------------------------------------

TEST_F(FontNameListBoxTest, RebuildKeepsTheSelectionOrTakesTheFirstAndClicksOnce) {
    TFontNameListBox* list = ShownList();
    const TFontNameFilters all = TFontNameFilters::FromBits(255);

    list->SetValue("raster face");
    EXPECT_EQ(list->Value(), "Raster Face");
    EXPECT_EQ(clicks_, 1);

    clicks_ = 0;
    list->SetCollectFilters(all - fnfJapanese);
    EXPECT_EQ(list->Value(), "Raster Face");
    EXPECT_EQ(list->SavedValue(), "Raster Face");
    EXPECT_EQ(clicks_, 1);

    list->SetValue("Shared TT");
    clicks_ = 0;
    list->SetCollectFilters(all - fnfPrinter - fnfTrueType);
    EXPECT_EQ(list->Value(), list->Items(0));
    EXPECT_EQ(clicks_, 1);

    // Nothing listed: nothing selected, and the change is still reported.
    clicks_ = 0;
    list->SetExclusiveFilters({fnfSymbolFont});
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->Value(), "");
    EXPECT_EQ(clicks_, 1);
}

TEST_F(FontNameListBoxTest, ValueSelectsQuietlyOnlyThroughItsOwnRules) {
    TFontNameListBox* list = ShownList();
    list->SetValue("Symbol Face");
    clicks_ = 0;
    list->SetValue("SYMBOL FACE");  // already selected
    EXPECT_EQ(clicks_, 0);
    list->SetItemIndex(2);  // programmatic selection reports nothing
    EXPECT_EQ(clicks_, 0);
    list->SetValue("No Such Face");
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_EQ(clicks_, 1);
}

TEST_F(FontNameListBoxTest, StoredValueIsSelectedWhenLoadingEnds) {
    struct Case {
        const char* stored;
        const char* selected;
        bool windowDuringLoading;
    } cases[] = {
        {"Symbol Face", "Symbol Face", true},
        {"Not Listed", nullptr, true},          // the first face
        {"Symbol Face", "Symbol Face", false},  // the window is made after loading
    };
    for (const Case& c : cases) {
        TPanel pane(nullptr);  // without a window until it is put on the form
        pane.SetBounds(0, 0, 300, 300);
        if (c.windowDuringLoading) pane.SetParent(&HostForm());
        TFontNameListBox* list = NewList();
        list->BeginLoading();
        list->SetParent(&pane);
        list->SetValue(c.stored);
        list->SetCollectFilters(TFontNameFilters::FromBits(511));
        EXPECT_EQ(list->Count(), 0) << "nothing is listed while loading";
        EXPECT_EQ(list->PendingValue(), c.stored);
        list->Loaded();
        pane.SetParent(&HostForm());
        PumpFor(20);
        EXPECT_EQ(list->Value(), c.selected ? c.selected : list->Items(0)) << c.stored;
        EXPECT_EQ(Items(*list), TableWithout({"No Type"})) << c.stored;
        lists_.clear();
    }
}

TEST_F(FontNameListBoxTest, RecreatedWindowKeepsItsSelection) {
    TFontNameListBox* list = ShownList();
    list->SetValue("JP Mono");
    TPanel pane(nullptr);
    pane.SetParent(&HostForm());
    list->SetParent(&pane);
    EXPECT_EQ(list->Value(), "JP Mono");
    list->SetParent(&HostForm());
    EXPECT_EQ(list->Value(), "JP Mono");
    EXPECT_EQ(Items(*list), TableWithout({"@JP Gothic", "No Type"}));
}

TEST_F(FontNameListBoxTest, ChangeControlTakesTheSelectedFace) {
    TFontNameListBox* list = ShownList();
    auto* label = new TLabel(nullptr);
    label->Font().SetName("Raster Face");
    list->SetChangeControl(label);
    EXPECT_EQ(list->Value(), "Raster Face");

    list->SetValue("Fixed Mono");
    EXPECT_EQ(label->Font().Name(), "Fixed Mono");

    // A user's click: the label follows, and the click is reported once.
    clicks_ = 0;
    const int row = list->ItemHeight() * 3 + list->ItemHeight() / 2;
    ClickAt(list->Handle(), 40, row);
    PumpFor(20);
    EXPECT_EQ(list->ItemIndex(), 3);
    EXPECT_EQ(label->Font().Name(), list->Items(3));
    EXPECT_EQ(clicks_, 1);

    delete label;
    EXPECT_EQ(list->ChangeControl(), nullptr);
    list->SetValue("Symbol Face");  // nothing left to follow
    EXPECT_EQ(list->Value(), "Symbol Face");
}

}  // namespace
