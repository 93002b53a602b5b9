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
const TFontNameFilters kAll = TFontNameFilters::FromBits(255);

// Every kind of face that the filters tell apart.
TFaceList SyntheticFaces() {
    TFaceList faces = {
        {"@JP Gothic", kTT | kSjis},         {"Device Face", DEVICE_FONTTYPE},
        {"Fixed Mono", kTT | ffFixedPitch},  {"JP Gothic", kTT | kSjis},
        {"JP Mono", kTT | kSjis | ffFixedPitch}, {"No Type", 0},
        {"Printer Only", DEVICE_FONTTYPE | ffPrinter | ffPrinterOnly},
        {"Raster Face", RASTER_FONTTYPE},    {"Shared TT", kTT | ffPrinter},
        {"Symbol Face", kTT | (SYMBOL_CHARSET << 16)}, {"Vector Face", ffVector},
    };
    SortFaces(faces);
    return faces;
}

// The faces of the table in table order, keeping (or, with keep false, dropping) `names`.
std::vector<std::string> Table(std::initializer_list<std::string> names, bool keep) {
    std::vector<std::string> result;
    for (const TFaceEntry& f : FaceTable()) {
        if ((std::find(names.begin(), names.end(), f.Name) != names.end()) == keep) result.push_back(f.Name);
    }
    return result;
}
std::vector<std::string> TableWithout(std::initializer_list<std::string> names) { return Table(names, false); }

std::vector<std::string> Items(const TFontNameListBox& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i) names.push_back(list.Items(i));
    return names;
}

class FontNameListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        realTable_ = FaceTable();
        InstallFaceTable(SyntheticFaces());
    }
    void TearDown() override {
        lists_.clear();
        InstallFaceTable(realTable_);
    }

    TFontNameListBox* NewList() {
        lists_.push_back(std::make_unique<TFontNameListBox>(nullptr));
        TFontNameListBox* list = lists_.back().get();
        list->SetBounds(0, 0, 300, 300);
        list->OnClick = [this](TComponent*) { ++clicks_; };
        return list;
    }
    // A filled list on the shown form.
    TFontNameListBox* ShownList() {
        TFontNameListBox* list = NewList();
        list->SetParent(&HostForm());
        PumpFor(20);
        clicks_ = 0;
        return list;
    }

    std::vector<std::unique_ptr<TFontNameListBox>> lists_;
    int clicks_ = 0;

private:
    TFaceList realTable_;
};

TEST_F(FontNameListBoxTest, FiltersDecideWhichFacesAreListed) {
    struct Case {
        const char* what;
        TFontNameFilters collect, exclusive;
        std::vector<std::string> listed;
    } cases[] = {
        {"defaults: no vertical faces, no face without a type", kAll, {}, TableWithout({"@JP Gothic", "No Type"})},
        {"without fnfPrinter only the printer-only face goes", kAll - fnfPrinter, {},
         TableWithout({"@JP Gothic", "No Type", "Printer Only"})},
        {"without fnfFixedPitch", kAll - fnfFixedPitch, {}, TableWithout({"@JP Gothic", "No Type", "Fixed Mono", "JP Mono"})},
        {"with fnfLyingFont", kAll + fnfLyingFont, {}, TableWithout({"No Type"})},
        {"TrueType only", kAll - TFontNameFilters{fnfDevice, fnfVector, fnfRaster}, {},
         TableWithout({"@JP Gothic", "No Type", "Device Face", "Printer Only", "Raster Face", "Vector Face"})},
        {"must be Japanese and fixed pitch", kAll, {fnfJapanese, fnfFixedPitch}, {"JP Mono"}},
        {"must be printer-only", kAll, {fnfPrinter}, {"Printer Only"}},
    };
    TFontNameListBox* list = ShownList();
    for (const Case& c : cases) {
        list->SetCollectFilters(c.collect);
        list->SetExclusiveFilters(c.exclusive);
        EXPECT_EQ(Items(*list), c.listed) << c.what;
    }
    for (int i = 0; i < list->Count(); ++i) EXPECT_EQ(list->IsPrinterOnly(i), list->Items(i) == "Printer Only");
    EXPECT_TRUE(list->FaceAttributes(list->Count()).empty());
}

TEST_F(FontNameListBoxTest, ExclusiveFiltersKeepOnlyTheNewestFaceType) {
    struct Case {
        TFontNameFilters current, wanted, stored;
    } cases[] = {
        {{}, {fnfJapanese, fnfFixedPitch}, {fnfJapanese, fnfFixedPitch}},
        {{}, {fnfDevice, fnfTrueType}, {fnfDevice}},
        {{fnfTrueType}, {fnfTrueType, fnfRaster}, {fnfRaster}},
        {{fnfTrueType, fnfJapanese}, {fnfTrueType, fnfVector, fnfSymbolFont}, {fnfVector, fnfSymbolFont}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NormaliseExclusiveFilters(c.current, c.wanted), c.stored) << c.current.Bits() << " -> " << c.wanted.Bits();
    }
    TFontNameListBox* list = ShownList();
    list->SetExclusiveFilters({fnfDevice, fnfTrueType});
    EXPECT_EQ(list->ExclusiveFilters(), TFontNameFilters(fnfDevice));
    EXPECT_EQ(Items(*list), (std::vector<std::string>{"Device Face", "Printer Only"}));
}

TEST_F(FontNameListBoxTest, NameListsOverrideFiltersAndTheLatestWins) {
    TFontNameListBox* list = ShownList();
    list->SetExclusiveFilters({fnfJapanese, fnfFixedPitch});
    list->VisibleFontNames().Add("no type");
    list->VisibleFontNames().Add("Not Installed");  // shown only if the table has it
    list->VisibleFontNames().Add("@JP Gothic");
    EXPECT_EQ(Items(*list), Table({"@JP Gothic", "JP Mono", "No Type"}, true));

    // Hiding a face that the visible list names takes it out of that list.
    list->SetExclusiveFilters({});
    list->InvisibleFontNames().Add("NO TYPE");
    list->InvisibleFontNames().Add("Raster Face");
    EXPECT_EQ(list->VisibleFontNames().List(), (std::vector<std::string>{"Not Installed", "@JP Gothic"}));
    EXPECT_EQ(Items(*list), TableWithout({"No Type", "Raster Face"}));

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

TEST_F(FontNameListBoxTest, RebuildKeepsTheSelectionOrTakesTheFirstAndClicksOnce) {
    TFontNameListBox* list = ShownList();
    list->SetValue("raster face");
    EXPECT_EQ(list->Value(), "Raster Face");
    EXPECT_EQ(clicks_, 1);

    clicks_ = 0;
    list->SetCollectFilters(kAll - fnfJapanese);
    EXPECT_EQ(list->Value(), "Raster Face");
    EXPECT_EQ(clicks_, 1);

    list->SetValue("Shared TT");
    clicks_ = 0;
    list->SetCollectFilters(kAll - fnfPrinter - fnfTrueType);
    EXPECT_EQ(list->Value(), list->Items(0));
    EXPECT_EQ(clicks_, 1);

    // Nothing listed: nothing selected, and the change is still reported.
    clicks_ = 0;
    list->SetExclusiveFilters({fnfSymbolFont});
    EXPECT_EQ(list->Value(), "");
    EXPECT_EQ(clicks_, 1);

    // Programmatic selection and the same Value again report nothing; an unknown Value takes the first.
    list->SetExclusiveFilters({});
    list->SetValue("Symbol Face");
    clicks_ = 0;
    list->SetValue("SYMBOL FACE");
    list->SetItemIndex(2);
    EXPECT_EQ(clicks_, 0);
    list->SetValue("No Such Face");
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_EQ(clicks_, 1);
}

TEST_F(FontNameListBoxTest, StoredValueIsSelectedWhenLoadingEnds) {
    struct Case {
        const char* stored;
        const char* selected;  // null: the first face
        bool windowDuringLoading;
    } cases[] = {
        {"Symbol Face", "Symbol Face", true},
        {"Not Listed", nullptr, true},
        {"Symbol Face", "Symbol Face", false},  // the window is made after loading
    };
    for (const Case& c : cases) {
        TPanel pane(nullptr);  // without a window until it is put on the form
        if (c.windowDuringLoading) pane.SetParent(&HostForm());
        TFontNameListBox* list = NewList();
        list->BeginLoading();
        list->SetParent(&pane);
        list->SetValue(c.stored);
        list->SetCollectFilters(kAll + fnfLyingFont);
        EXPECT_EQ(list->Count(), 0) << "nothing is listed while loading";
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
    ClickAt(list->Handle(), 40, list->ItemHeight() * 3 + list->ItemHeight() / 2);
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
