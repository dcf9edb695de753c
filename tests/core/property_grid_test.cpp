// The property panel without its window: rows hold, show and parse their
// values, and a changed row reaches the shown object's apply path.
#include "core/color_combobox.h"
#include "core/layer_combobox.h"
#include "core/property_combobox.h"
#include "core/property_grid.h"
#include "core/property_tab.h"
#include "core/sheet_size_combobox.h"
#include "core/sheet_size_table.h"
#include "tests/core/property_test_object.h"
#include "tests/core/test_view.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPropertyGrid(&grid);
        grid.SetTab(&tab);
        view.MakeActive();
    }
    void TearDown() override {
        SetPropertyGrid(nullptr);
        g_pActiveView = nullptr;
    }
    std::wstring Text(int row) {
        auto* edit = dynamic_cast<CPropertyEdit*>(grid.GetItem(row));
        return edit ? edit->GetText() : L"<not an edit row>";
    }
    CPropertyGrid grid;
    CPropertyTab tab;
    CTestView view;
    ScopedUiHooksRecorder ui;
};

TEST_F(PanelTest, RowsShowTheirValuesInTheRowsUnit) {
    PropertyTestObject object;
    grid.ShowProperties(&object);
    EXPECT_EQ(grid.GetTitle(), L"Test object");
    ASSERT_EQ(grid.GetRowCount(), PropertyTestObject::kRowCount);
    EXPECT_EQ(grid.GetItem(0)->GetName(), L"Name");
    EXPECT_EQ(grid.GetItem(1)->GetName(), L"Unit")
        << "names given as ids come from the string table";
    EXPECT_EQ(Text(PropertyTestObject::kLength), L"1000.0") << "25.4 mm in mil";
    EXPECT_EQ(Text(PropertyTestObject::kOrigin), L"39.4,78.7") << "1 and 2 mm in mil, one decimal";
    EXPECT_EQ(grid.GetItem(PropertyTestObject::kVisible)->GetKind(), 0);
    EXPECT_EQ(grid.GetItem(PropertyTestObject::kNote)->GetKind(), 2);
    EXPECT_EQ(grid.GetItem(PropertyTestObject::kStyle)->GetKind(), 4);
    EXPECT_EQ(grid.GetItem(PropertyTestObject::kPinShape)->GetKind(), 5);
    EXPECT_EQ(grid.GetItem(PropertyTestObject::kPinShape)->GetName(), L"Pin Shape");
    EXPECT_EQ(grid.GetItem(PropertyTestObject::kLayer)->GetKind(), 7);
    EXPECT_EQ(grid.GetItem(PropertyTestObject::kFont)->GetKind(), 8);
    EXPECT_EQ(grid.GetItem(PropertyTestObject::kColor)->GetKind(), 9);
    EXPECT_EQ(grid.GetItem(PropertyTestObject::kRowCount), nullptr);
    EXPECT_EQ(grid.GetItem(-1), nullptr);

    grid.SetTitleText(L"Other");
    struct Case {
        int row;
        std::wstring text;
    } cases[] = {
        {grid.AddFloat(169, 25.4f, kUnitInch), L"1.000"},
        {grid.AddFloat(169, 2.54f, kUnitMil), L"100.0"},
        {grid.AddFloat(169, 1.5f, kUnitMicrometre), L"1500"},
        {grid.AddPointF(164, 1.0f, 2.0f, kUnitMm), L"1.000,2.000"},
        {grid.AddSizeF(164, 25.4f, 12.7f, kUnitInch), L"1.000,0.500"},
        {grid.AddPointFNamed(L"At", -1.0f, 0.0f, kUnitMm), L"-1.000,0.000"},
        {grid.AddInt(163, -12), L"-12"},
        {grid.AddIntForward(163, 7), L"7"},
        {grid.AddPoint(163, 3, -4), L"3,-4"},
        {grid.AddText(163, 171), L"mm"},
        {grid.AddTextNamed(170, L"x"), L"x"},
        {grid.AddEditAndCheckbox(163, L"v", true), L"v"},
        {grid.AddEditAndButtonById(163, L"b", 40000, nullptr), L"b"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].row, static_cast<int>(i)) << "rows are numbered in order";
        EXPECT_EQ(Text(cases[i].row), cases[i].text) << "row " << i;
    }
    EXPECT_EQ(grid.GetItem(10)->GetName(), L"inch");
    EXPECT_EQ(grid.GetTitle(), L"Other") << "adding rows keeps the caption";
    auto* button = dynamic_cast<CPropertyEditAndButton*>(grid.GetItem(12));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetCaption(), L"...");
    EXPECT_EQ(button->GetKind(), 3);
}

TEST_F(PanelTest, ShowingNothingTitlesPropertiesAndCollapses) {
    PropertyTestObject object;
    grid.ShowProperties(&object);
    EXPECT_TRUE(grid.IsExpanded());
    EXPECT_TRUE(tab.IsExpanded());
    grid.ShowProperties(nullptr);
    EXPECT_EQ(grid.GetTitle(), L"Properties");
    EXPECT_EQ(grid.GetRowCount(), 0);
    EXPECT_FALSE(grid.IsExpanded());
    EXPECT_FALSE(tab.IsExpanded());
    EXPECT_EQ(grid.GetShownObject(), nullptr);

    // An object without rows collapses the panel too; one with rows opens it
    // whatever the tab said.
    struct Empty : CProperty {
        void FillPropertyGrid() override { GetPropertyGrid()->SetTitleText(L"Empty"); }
    } empty;
    grid.ShowProperties(&empty);
    EXPECT_FALSE(grid.IsExpanded());
    EXPECT_EQ(grid.GetTitle(), L"Empty");
    tab.SetExpanded(false);
    grid.ShowProperties(&object);
    EXPECT_TRUE(tab.IsExpanded());
}

TEST_F(PanelTest, SetTitleDeletesTheRows) {
    PropertyTestObject object;
    grid.ShowProperties(&object);
    grid.SetTitle(167);
    EXPECT_EQ(grid.GetRowCount(), 0);
    EXPECT_EQ(grid.GetTitle(), L"Sheet Properties");
}

TEST_F(PanelTest, ComboRowsSelectByTextOrStringIdAndShowNothingWithoutAMatch) {
    int a = grid.AddComboStrings(L"S", {L"a", L"b", L"c"}, L"c");
    int b = grid.AddComboStrings(L"S", {L"a", L"b", L"c"}, L"zz");
    int c = grid.AddCombo(169, 172, 170, 4);
    auto* ra = dynamic_cast<CPropertyCombobox*>(grid.GetItem(a));
    auto* rb = dynamic_cast<CPropertyCombobox*>(grid.GetItem(b));
    auto* rc = dynamic_cast<CPropertyCombobox*>(grid.GetItem(c));
    ASSERT_TRUE(ra && rb && rc);
    EXPECT_EQ(ra->GetSelectedIndex(), 2);
    EXPECT_EQ(rb->GetSelectedIndex(), -1) << "no entry matches: no selection";
    EXPECT_EQ(rb->GetSelectedText(), L"");
    EXPECT_EQ(rc->GetSelectedIndex(), 2);
    EXPECT_EQ(rc->GetSelectedText(), L"mil");
    EXPECT_EQ(rc->GetEntries().size(), 4u);
}

TEST_F(PanelTest, LayerRowsOfferEveryLayerOfTheBoard) {
    int row = grid.AddLayer(167, 33001, 4);
    auto* layer = dynamic_cast<CLayerCombobox*>(grid.GetItem(row));
    ASSERT_NE(layer, nullptr);
    std::vector<unsigned> expected{33000, 33001, 33002, 33003, 33004, 33005};
    for (unsigned id = 33022; id <= 33031; ++id)
        expected.push_back(id);
    EXPECT_EQ(layer->OfferedIds(), expected) << "solder paste bottom and both outlines too";
    EXPECT_EQ(layer->GetLayer(), 1);

    int silk = grid.AddLayer(167, 33022, 0, (1ull << 22) | (1ull << 23));
    auto* silkRow = dynamic_cast<CLayerCombobox*>(grid.GetItem(silk));
    EXPECT_EQ(silkRow->OfferedIds(), (std::vector<unsigned>{33000, 33001, 33022, 33023}));
}

TEST_F(PanelTest, LengthPointAndSizeRowsParseInTheirUnitAndRejectOtherText) {
    int mil = grid.AddFloat(169, 0, kUnitMil);
    int inch = grid.AddPointF(164, 0, 0, kUnitInch);
    auto edit = [&](int row) { return dynamic_cast<CPropertyEdit*>(grid.GetItem(row)); };

    edit(mil)->SetText(L"1000");
    float mm = -1;
    EXPECT_TRUE(grid.ParseRowLength(grid.GetItem(mil), &mm));
    EXPECT_FLOAT_EQ(mm, 25.4f);
    edit(inch)->SetText(L"1,-2");
    PointF p;
    EXPECT_TRUE(grid.ParsePointRow(grid.GetItem(inch), &p));
    EXPECT_FLOAT_EQ(p.X, 25.4f);
    EXPECT_FLOAT_EQ(p.Y, -50.8f);
    SizeF s;
    EXPECT_TRUE(grid.ParseSizeRow(grid.GetItem(inch), &s));
    EXPECT_FLOAT_EQ(s.Width, 25.4f);
    EXPECT_TRUE(ui.beeps.empty());

    for (const wchar_t* bad : {L"", L"abc", L"-", L"1e999"}) {
        edit(mil)->SetText(bad);
        mm = 3.0f;
        EXPECT_FALSE(grid.ParseRowLength(grid.GetItem(mil), &mm)) << bad;
        EXPECT_EQ(mm, 3.0f);
    }
    // Half-typed points: the second number never falls back on an earlier one.
    for (const wchar_t* bad : {L"1.5", L"1.5,", L"1.5 2", L",2", L"a,b"}) {
        edit(inch)->SetText(bad);
        p = PointF{7, 8};
        EXPECT_FALSE(grid.ParsePointRow(grid.GetItem(inch), &p)) << bad;
        EXPECT_EQ(p, (PointF{7, 8}));
        EXPECT_FALSE(grid.ParseSizeRow(grid.GetItem(inch), &s)) << bad;
    }
    EXPECT_EQ(ui.beeps.size(), 4u + 5u * 2u) << "every rejected text beeps";
    EXPECT_FALSE(grid.ParseRowLength(grid.GetItem(99), &mm));
}

TEST_F(PanelTest, AChangedRowReachesTheShownObjectAfterItsUndoRecord) {
    PropertyTestObject object;
    grid.ShowProperties(&object);
    auto* name = dynamic_cast<CPropertyEdit*>(grid.GetItem(PropertyTestObject::kName));
    name->SetText(L"R2");
    grid.GetList().ReportChange(PropertyTestObject::kName);
    EXPECT_EQ(object.applied, (std::vector<int>{PropertyTestObject::kName}));
    EXPECT_EQ(object.name, L"R2");
    ASSERT_EQ(view.GetUndoList().UndoCount(), 1u);
    auto* record = static_cast<const RowEditUndo*>(view.GetUndoList().UndoItemAt(0));
    EXPECT_EQ(record->name, L"R1") << "recorded before the change";

    // A length that is no number changes nothing and records nothing.
    auto* length = dynamic_cast<CPropertyEdit*>(grid.GetItem(PropertyTestObject::kLength));
    length->SetText(L"oops");
    grid.ApplyRow(PropertyTestObject::kLength);
    EXPECT_FLOAT_EQ(object.length, 25.4f);
    EXPECT_EQ(view.GetUndoList().UndoCount(), 1u);
    EXPECT_EQ(ui.beeps.size(), 1u);
}

// An object destroyed while shown, by code that forgot the panel: the panel
// lets go of it, and a row still being typed reaches nothing.
TEST_F(PanelTest, AnObjectDestroyedWhileShownLeavesThePanelEmpty) {
    auto object = std::make_unique<PropertyTestObject>();
    grid.ShowProperties(object.get());
    ASSERT_EQ(grid.GetRowCount(), PropertyTestObject::kRowCount);
    object.reset();
    EXPECT_EQ(grid.GetShownObject(), nullptr);
    EXPECT_EQ(grid.GetRowCount(), 0);
    grid.ApplyRow(PropertyTestObject::kName);
    grid.OnNodeRemoved(nullptr);
    EXPECT_EQ(view.GetUndoList().UndoCount(), 0u);
    // Another object shown meanwhile is left alone.
    PropertyTestObject shown;
    grid.ShowProperties(&shown);
    { PropertyTestObject other; }
    EXPECT_EQ(grid.GetShownObject(), &shown);

    // However many panels show it, and whichever went before.
    object = std::make_unique<PropertyTestObject>();
    std::vector<std::unique_ptr<CPropertyGrid>> panels(12);
    for (auto& panel : panels) {
        panel = std::make_unique<CPropertyGrid>();
        panel->ShowProperties(object.get());
    }
    panels[0].reset();
    panels[5].reset();
    panels.back().reset();
    object.reset();
    for (auto& panel : panels) {
        if (panel) {
            EXPECT_EQ(panel->GetShownObject(), nullptr);
        }
    }
    EXPECT_EQ(grid.GetShownObject(), &shown);
}

// --- The panel follows undo and redo ----------------------------------------------

// Takes a node out of its parent when undone (the undo of an insertion), and
// tells the panel; the inverse puts it back.
class InsertUndo : public CUndoItemWithoutValues {
public:
    InsertUndo(CTreeNode* parent, CTreeNode* node, bool inTree)
        : parent_(parent), node_(node), inTree_(inTree) {}
    ~InsertUndo() override {
        if (!inTree_ && node_)
            delete node_; // a node out of the tree belongs to its record
    }
    CUndoItem* Undo() override {
        CTreeNode* node = node_;
        node_ = nullptr; // handed on to the inverse
        if (inTree_) {
            node->RemoveFromParent();
            if (GetPropertyGrid())
                GetPropertyGrid()->OnNodeRemoved(node);
            return new InsertUndo(parent_, node, false);
        }
        parent_->AddChild(node);
        return new InsertUndo(parent_, node, true);
    }

private:
    CTreeNode* parent_;
    CTreeNode* node_;
    bool inTree_;
};

TEST_F(PanelTest, UndoingAnInsertionClearsThePanelShowingTheNodeOrOneBelowIt) {
    CTreeNode root;
    CTreeNode* group = root.AddChild(new CTreeNode(5));
    auto* object = new PropertyTestObject;
    group->AddChild(object);
    view.GetUndoList().SetStartNewGroup(true);
    view.GetUndoList().AddUndo(new InsertUndo(&root, group, true));

    grid.ShowProperties(object);
    view.Undo(); // the group leaves the tree, with the shown object below it
    EXPECT_EQ(grid.GetShownObject(), nullptr);
    EXPECT_EQ(grid.GetTitle(), L"Properties");
    EXPECT_EQ(grid.GetRowCount(), 0);

    view.Redo();
    grid.ShowProperties(object);
    CTreeNode other;
    grid.OnNodeRemoved(&other);
    EXPECT_EQ(grid.GetShownObject(), object) << "an unrelated node keeps the panel";
    grid.OnNodeRemoved(object);
    EXPECT_EQ(grid.GetShownObject(), nullptr);
    view.GetUndoList().Clear();
}

TEST_F(PanelTest, UndoingARowEditShowsTheRestoredObjectAndEditsGoToIt) {
    PropertyTestObject a, b;
    b.name = L"B";
    grid.ShowProperties(&a);
    dynamic_cast<CPropertyEdit*>(grid.GetItem(0))->SetText(L"A2");
    grid.ApplyRow(0);
    grid.ShowProperties(&b); // the user selected another object meanwhile
    view.Undo();
    EXPECT_EQ(a.name, L"R1");
    EXPECT_EQ(grid.GetShownObject(), &a) << "the panel shows the restored object";
    EXPECT_EQ(Text(0), L"R1");
    dynamic_cast<CPropertyEdit*>(grid.GetItem(0))->SetText(L"A3");
    grid.ApplyRow(0);
    EXPECT_EQ(a.name, L"A3");
    EXPECT_EQ(b.name, L"B") << "the edit reaches the object whose rows are shown";
    EXPECT_TRUE(b.applied.empty());
}

TEST_F(PanelTest, RefreshFillsTheShownObjectAgain) {
    PropertyTestObject object;
    grid.ShowProperties(&object);
    object.name = L"changed";
    grid.RefreshProperties();
    EXPECT_EQ(Text(0), L"changed");
    grid.OnObjectRemoved(&object);
    EXPECT_EQ(grid.GetShownObject(), nullptr);
}

// --- Paper sizes ------------------------------------------------------------------

TEST(SheetSizeTableTest,
     IdentifiesSizesInEitherOrientationStrictlyWithinOneAndAQuarterMillimetres) {
    struct Case {
        int32_t w, l;
        const wchar_t* name;
        bool landscape;
    } cases[] = {
        {29700, 42000, L"A3", false},           {42000, 29700, L"A3", true},
        {43180, 27940, L"Tabloid", true},       {27940, 43180, L"Ledger", false},
        {42000 + 124, 29700, L"A3", true},      {42000 + 125, 29700, L"Custom", false},
        {29700, 42000 - 125, L"Custom", false}, {21000, 14800, L"Custom", true},
        {27940, 21590, L"Letter", true},
    };
    for (const Case& c : cases) {
        int32_t w = c.w, l = c.l;
        int unit = 1;
        CSheetSizeTable table(&w, &l, &unit);
        EXPECT_EQ(table.GetEntryName(), c.name) << c.w << " x " << c.l;
        if (table.GetSeries() >= 0) {
            EXPECT_EQ(table.IsLandscape(), c.landscape) << c.w << " x " << c.l;
        }
    }
}

TEST(SheetSizeTableTest, ListsAHeadingAndTheSizesOfEachEnabledSeries) {
    int32_t w = 42000, l = 29700;
    int unit = 1;
    CSheetSizeTable both(&w, &l, &unit, 3);
    EXPECT_EQ(both.GetEntryCount(), 6 + 7);
    int series = -1, row = -1;
    ASSERT_TRUE(both.GetEntry(6, &series, &row));
    EXPECT_EQ(series, 1);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(both.GetEntryName(6), L"ANSI");
    EXPECT_EQ(both.GetEntryName(12), L"Letter");
    EXPECT_FALSE(both.GetEntry(13, &series, &row));
    CSheetSizeTable ansi(&w, &l, &unit, 2);
    EXPECT_EQ(ansi.GetEntryCount(), 7);
    EXPECT_EQ(ansi.GetEntryName(1), L"ANSI E");
    EXPECT_EQ(ansi.GetEntryName(), L"A3") << "identification tries every series";

    both.SelectSize(1, 5); // Letter, kept lying down
    EXPECT_EQ(w, 27940);
    EXPECT_EQ(l, 21590);
    EXPECT_EQ(unit, 0) << "ANSI sizes are shown in inch";
}

TEST(ColorRowTest, FindsOnlyTheEightTableColours) {
    EXPECT_EQ(CColorCombobox::FindColor(0x000000), 0) << "black selects Select";
    EXPECT_EQ(CColorCombobox::FindColor(0x0000FF), 1);
    EXPECT_EQ(CColorCombobox::FindColor(0xFFFFFF), 7);
    EXPECT_EQ(CColorCombobox::FindColor(0x123456), -1);
}

} // namespace
