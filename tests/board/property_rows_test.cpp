// Property rows of the board-side objects: the rows each fills, and each
// edit recorded before the change so that undo gives back the saved file.
#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/conductor.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/property_checkbox.h"
#include "core/property_combobox.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "core/property_tab.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "shell/sch_status_bar.h"
#include "tests/board/board_fixture.h"
#include "tests/ui_hooks_recorder.h"

namespace {

const char* kBoard = "<Project>\r\n"
                     "  <Board Unit=\"2\">\r\n"
                     "    <Layer Net=\"A\" Type=\"PLANE\">I01</Layer>\r\n"
                     "    <Package>\r\n"
                     "      <Footprint XY=\"20,10\">R\r\n"
                     "        <Padstack>P\r\n"
                     "          <PadLayer Size=\"1,1\"/>\r\n"
                     "          <PadLayer Layer=\"BOT\" Shape=\"RECT\" Size=\"2,3\"/>\r\n"
                     "          <PadLayer Layer=\"SMT\" Shape=\"\"/>\r\n"
                     "          <PadLayer Layer=\"PLN\" Shape=\"RECT\" Size=\"2,0\"/>\r\n"
                     "          <Drill/>\r\n"
                     "          <Pad Num=\"1\" XY=\"-1,0\"/>\r\n"
                     "        </Padstack>\r\n"
                     "        <Marking Layer=\"SST\">L0,0,1,1W0.1 TXT0,0,0,1.5:F\xc2\xb6Tahoma"
                     "</Marking>\r\n"
                     "      </Footprint>\r\n"
                     "    </Package>\r\n"
                     "    <Net>A\r\n"
                     "      <Conductor Layer=\"TOP\" Width=\"0.3\">1.000,1.000 2.000,2.000,0.500 "
                     "3.000,1.000 4.000,1.000</Conductor>\r\n"
                     "    </Net>\r\n"
                     "    <Net>B</Net>\r\n"
                     "    <Area Layer=\"TOP\" Net=\"A\">LIN0,0 LIN10,0 LIN0,10</Area>\r\n"
                     "  </Board>\r\n"
                     "</Project>\r\n";

} // namespace

class PropertyRowsTest : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        SetPropertyGrid(&m_grid);
        m_grid.SetTab(&m_tab);
        ASSERT_TRUE(LoadText(m_root, XmlDoc(kBoard)));
        m_board = static_cast<CBoard*>(m_root.GetChild(0));
        m_view.board = m_board;
        m_view.index.Build(m_board);
        m_layer = static_cast<CLayer*>(m_board->GetChild(0));
        m_footprint = static_cast<CPackage*>(m_board->GetChild(1))->GetFootprint();
        m_padstack = static_cast<CPadstack*>(m_footprint->GetChild(0));
        m_netA = static_cast<CNet*>(m_board->GetChild(2));
        m_netB = static_cast<CNet*>(m_board->GetChild(3));
        m_conductor = static_cast<CConductor*>(m_netA->GetChild(0));
        m_area = static_cast<CArea*>(m_board->GetChild(4));
        m_saved = SaveText(m_root);
    }
    void TearDown() override {
        SetPropertyGrid(nullptr);
        BoardFixture::TearDown();
    }

    std::vector<std::wstring> Names() {
        std::vector<std::wstring> out;
        for (int i = 0; i < m_grid.GetRowCount(); ++i)
            out.push_back(m_grid.GetItem(i)->GetName());
        return out;
    }
    void Edit(int row, const wchar_t* text) {
        auto* edit = dynamic_cast<CPropertyEdit*>(m_grid.GetItem(row));
        ASSERT_TRUE(edit) << row;
        edit->SetText(text);
    }
    void Choose(int row, int index) {
        auto* combo = dynamic_cast<CPropertyCombobox*>(m_grid.GetItem(row));
        ASSERT_TRUE(combo) << row;
        combo->SetSelectedIndex(index);
    }
    std::wstring Text(int row) {
        auto* edit = dynamic_cast<CPropertyEdit*>(m_grid.GetItem(row));
        return edit ? edit->GetText() : L"<not an edit row>";
    }
    void Check(int row, bool on) {
        auto* box = dynamic_cast<CPropertyCheckbox*>(m_grid.GetItem(row));
        ASSERT_TRUE(box) << row;
        box->SetCheck(on);
    }
    // The edit made one undo step; undoing it gives back the saved file.
    void ExpectOneStepBack() {
        EXPECT_TRUE(m_view.undo.CanUndo());
        m_view.undo.Undo();
        EXPECT_FALSE(m_view.undo.CanUndo());
        EXPECT_EQ(SaveText(m_root), m_saved);
    }

    CPropertyGrid m_grid;
    CPropertyTab m_tab;
    ScopedUiHooksRecorder m_ui;
    CRoot m_root;
    CBoard* m_board = nullptr;
    CLayer* m_layer = nullptr;
    CFootprint* m_footprint = nullptr;
    CPadstack* m_padstack = nullptr;
    CNet* m_netA = nullptr;
    CNet* m_netB = nullptr;
    CConductor* m_conductor = nullptr;
    CArea* m_area = nullptr;
    std::string m_saved;
};

TEST_F(PropertyRowsTest, AreaNetMovesAndRebuildsBothNets) {
    m_grid.ShowProperties(m_area);
    EXPECT_EQ(m_grid.GetTitle(), L"Area properties");
    EXPECT_EQ(Names(),
              (std::vector<std::wstring>{L"Net", L"No thermal connection", L"Draw sketch"}));
    const int a = m_netA->m_graphBuilds, b = m_netB->m_graphBuilds;
    Edit(0, L"B");
    m_grid.ApplyRow(0);
    EXPECT_EQ(m_area->m_net, L"B");
    EXPECT_EQ(m_netA->m_graphBuilds, a + 1);
    EXPECT_EQ(m_netB->m_graphBuilds, b + 1);
    EXPECT_TRUE(m_ui.messageBoxes.empty());
    ExpectOneStepBack();
    EXPECT_EQ(m_area->m_net, L"A");
}

TEST_F(PropertyRowsTest, ClearingAnAreaNetWarnsAndKeepsTheName) {
    m_grid.ShowProperties(m_area);
    Edit(0, L"");
    m_grid.ApplyRow(0);
    ASSERT_EQ(m_ui.messageBoxes.size(), 1u);
    EXPECT_EQ(m_ui.messageBoxes[0].text, L"Net not found in the board");
    EXPECT_EQ(m_ui.messageBoxes[0].Icon(), MB_ICONWARNING);
    EXPECT_EQ(m_area->m_net, L"");
    Check(1, true);
    m_grid.ApplyRow(1);
    EXPECT_TRUE(m_area->m_noThermal);
    EXPECT_EQ(m_view.undo.UndoCount(), 2u);
    m_view.undo.Undo();
    ExpectOneStepBack();
}

TEST_F(PropertyRowsTest, BoardUnitRefillsTheGridRows) {
    m_grid.ShowProperties(m_board);
    EXPECT_EQ(m_grid.GetTitle(), L"Board Properties");
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Unit", L"Grid Width", L"Grid Height"}));
    Edit(1, L"50"); // mil
    m_grid.ApplyRow(1);
    EXPECT_NEAR(m_board->m_gridX, 1.27f, 1e-5);
    Choose(0, 1);
    m_grid.ApplyRow(0);
    EXPECT_EQ(m_board->m_unit, 1u);
    EXPECT_EQ(dynamic_cast<CPropertyEdit*>(m_grid.GetItem(1))->GetUnit(), 1);
    ASSERT_FALSE(m_ui.statusTexts.empty());
    EXPECT_EQ(m_ui.statusTexts.back().second, L"Unit: mm");
    m_view.undo.Undo();
    ExpectOneStepBack();
}

// The Unit row of every object that has one: the chosen unit goes to the
// status bar's unit pane and nowhere else (the net pane keeps its net).
TEST_F(PropertyRowsTest, AChosenUnitShowsInTheUnitPaneOnly) {
    CFootprint library;
    struct Case {
        const char* what;
        CProperty* object;
        int unit;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {"board", m_board, kUnitMm, L"Unit: mm"},
        {"library footprint", &library, kUnitInch, L"Unit: inch"},
        {"padstack", m_padstack, kUnitMicrometre, L"Unit: \u03bcm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_grid.ShowProperties(c.object);
        m_ui.Clear();
        Choose(0, c.unit);
        m_grid.ApplyRow(0);
        const std::vector<std::pair<int, std::wstring>> expected{
            {CSchStatusBar::kPaneUnit, c.shown}};
        EXPECT_EQ(m_ui.statusTexts, expected);
    }
    m_grid.ShowProperties(nullptr);
    m_view.undo.Clear();
}

TEST_F(PropertyRowsTest, ConductorRowsFollowTheSelectedVertex) {
    struct Case {
        int selected;
        int rows;
    };
    for (Case c : {Case{0, 0}, Case{3, 1}, Case{2, 2}, Case{1, 3}, Case{4, 0}}) {
        m_conductor->m_selected = c.selected;
        m_grid.ShowProperties(m_conductor);
        EXPECT_EQ(m_grid.GetTitle(), L"Conductor properties");
        EXPECT_EQ(m_grid.GetRowCount(), c.rows) << c.selected;
    }
    m_conductor->m_selected = 2;
    m_grid.ShowProperties(m_conductor);
    Check(1, true);
    m_grid.ApplyRow(1);
    EXPECT_FLOAT_EQ(m_conductor->m_vertices[2].corner, 1.0f);
    EXPECT_EQ(m_grid.GetRowCount(), 3) << "arc offset added";
    Edit(2, L"0.75");
    m_grid.ApplyRow(2);
    EXPECT_FLOAT_EQ(m_conductor->m_vertices[2].corner, 0.75f);
    m_view.undo.Undo();
    m_view.undo.Undo();
    m_conductor->m_selected = 0;
    EXPECT_EQ(SaveText(m_root), m_saved);
}

TEST_F(PropertyRowsTest, LibraryAndPlacedFootprintRows) {
    CFootprint library;
    m_grid.ShowProperties(&library);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Unit", L"Grid Width", L"Grid Height"}));
    m_grid.ShowProperties(m_footprint);
    EXPECT_EQ(m_grid.GetTitle(), L"Footprint Properties");
    EXPECT_EQ(Names(),
              (std::vector<std::wstring>{L"Fixed", L"X", L"Y", L"Placement", L"Rotation"}));
    m_view.SetUnitPointer(nullptr);
    m_grid.ShowProperties(m_footprint);
    EXPECT_EQ(m_grid.GetRowCount(), 0) << "no display unit: only the caption";
}

TEST_F(PropertyRowsTest, PlacementFlipsThroughTheIndexAndUndoes) {
    m_grid.ShowProperties(m_footprint);
    Choose(3, 1);
    m_grid.ApplyRow(3);
    EXPECT_EQ(m_footprint->m_place, kPlaceBottom);
    auto* top = static_cast<CPadLayer*>(m_padstack->GetChild(0));
    EXPECT_EQ(top->m_layer, kPadLayerBottom);
    EXPECT_TRUE(m_view.index.Contains(top, 1));
    ExpectOneStepBack();
    EXPECT_TRUE(m_view.index.Contains(top, 0));
    EXPECT_EQ(m_view.index.CountSetsHolding(top), 1u);
}

TEST_F(PropertyRowsTest, FixedFootprintRefusesMoves) {
    m_grid.ShowProperties(m_footprint);
    Check(0, true);
    m_grid.ApplyRow(0);
    EXPECT_TRUE(m_footprint->m_fixed);
    Edit(1, L"99");
    m_grid.ApplyRow(1);
    ASSERT_EQ(m_ui.messageBoxes.size(), 1u);
    EXPECT_EQ(m_ui.messageBoxes[0].text, L"Component is fixed");
    EXPECT_EQ(m_ui.messageBoxes[0].Icon(), MB_ICONERROR);
    EXPECT_FLOAT_EQ(m_footprint->m_boardPosition.X, 20);
    EXPECT_EQ(Text(1), L"20.000") << "rows refilled with the unchanged values";
    EXPECT_EQ(m_view.undo.UndoCount(), 2u) << "a step that restores the same state";
    m_view.undo.Undo();
    ExpectOneStepBack();
}

TEST_F(PropertyRowsTest, LayerAndPadRows) {
    m_grid.ShowProperties(m_layer);
    EXPECT_EQ(m_grid.GetTitle(), L"Layer Properties");
    Edit(0, L"B");
    m_grid.ApplyRow(0);
    EXPECT_EQ(m_layer->m_net, L"B");
    ExpectOneStepBack();
    auto* pad = static_cast<CPad*>(m_padstack->GetChild(5));
    m_grid.ShowProperties(pad);
    EXPECT_EQ(m_grid.GetTitle(), L"Padstack Properties");
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Number", L"X", L"Y"}));
    Edit(0, L"7");
    m_grid.ApplyRow(0);
    Edit(2, L"2.5");
    m_grid.ApplyRow(2);
    EXPECT_EQ(pad->m_num, L"7");
    EXPECT_FLOAT_EQ(pad->m_boardPosition.Y, 2.5f);
    m_view.undo.Undo();
    ExpectOneStepBack();
}

TEST_F(PropertyRowsTest, PadLayerShapeChoices) {
    auto* round = static_cast<CPadLayer*>(m_padstack->GetChild(0));
    auto* rect = static_cast<CPadLayer*>(m_padstack->GetChild(1));
    auto* none = static_cast<CPadLayer*>(m_padstack->GetChild(2));
    auto* plane = static_cast<CPadLayer*>(m_padstack->GetChild(3));
    auto apply = [&](CPadLayer* layer, int row) {
        m_view.undo.SetStartNewGroup(true);
        layer->ApplyPropertyChange(row);
    };
    auto fill = [&](CPadLayer* layer) {
        m_grid.ShowProperties(nullptr);
        m_grid.SetTitle(0);
        layer->FillPropertyGrid();
    };
    fill(round);
    EXPECT_EQ(Names(),
              (std::vector<std::wstring>{L"Padstack type", L"Diameter", L"Custom thermal relief"}));
    fill(plane);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Padstack type", L"Width", L"Height"}));
    // Round for a pad of width 0 gives a 1.0 round pad.
    fill(none);
    Choose(0, kPadShapeRound);
    apply(none, 0);
    EXPECT_EQ(none->m_shape, kPadShapeRound);
    EXPECT_FLOAT_EQ(none->m_width, 1.0f);
    EXPECT_FLOAT_EQ(none->m_height, 1.0f);
    // Oblong for 2 by 0 gives 1 by 2; for 2 by 3 keeps 2 by 3.
    fill(plane);
    Choose(0, kPadShapeOblong);
    apply(plane, 0);
    EXPECT_FLOAT_EQ(plane->m_width, 1.0f);
    EXPECT_FLOAT_EQ(plane->m_height, 2.0f);
    fill(rect);
    Choose(0, kPadShapeOblong);
    apply(rect, 0);
    EXPECT_FLOAT_EQ(rect->m_width, 2.0f);
    EXPECT_FLOAT_EQ(rect->m_height, 3.0f);
    // A round diameter sets both sizes; the thermal rows sit one row up.
    fill(round);
    Edit(1, L"1.5");
    apply(round, 1);
    EXPECT_FLOAT_EQ(round->m_height, 1.5f);
    Check(2, true);
    apply(round, 2);
    ASSERT_TRUE(round->FindThermalRelief());
    fill(round);
    EXPECT_EQ(m_grid.GetRowCount(), 5);
    Edit(3, L"0.45");
    apply(round, 3);
    EXPECT_FLOAT_EQ(round->FindThermalRelief()->m_isolation, 0.45f);
    for (int i = 0; i < 7; ++i)
        m_view.undo.Undo();
    EXPECT_EQ(SaveText(m_root), m_saved);
}

TEST_F(PropertyRowsTest, UndefinedRemovesThePadLayerAndUndoBringsItBack) {
    auto* rect = static_cast<CPadLayer*>(m_padstack->GetChild(1));
    m_view.undo.SetStartNewGroup(true);
    rect->SetShape(kPadShapeNone);
    EXPECT_EQ(rect->GetParent(), nullptr);
    EXPECT_EQ(m_view.index.CountSetsHolding(rect), 0u);
    ExpectOneStepBack();
    EXPECT_EQ(m_padstack->GetChild(1), rect);
    EXPECT_TRUE(m_view.index.Contains(rect, 1));
}

TEST_F(PropertyRowsTest, CustomAfterRoundAfterCustomKeepsOneOutline) {
    auto* rect = static_cast<CPadLayer*>(m_padstack->GetChild(1));
    m_view.undo.SetStartNewGroup(true);
    rect->SetShape(kPadShapeCustom);
    EXPECT_EQ(AreaOutlineToString(rect->m_outline), L"LIN-1,-1 LIN1,-1 LIN1,1 LIN-1,1");
    EXPECT_FLOAT_EQ(rect->m_width, 0);
    rect->SetShape(kPadShapeRound);
    rect->SetShape(kPadShapeCustom);
    EXPECT_EQ(CountAreaNodes(rect->m_outline), 4) << "no second square appended";
    m_view.undo.Undo();
    EXPECT_EQ(SaveText(m_root), m_saved);
}

TEST_F(PropertyRowsTest, PadstackDrillTypes) {
    m_grid.ShowProperties(m_padstack);
    EXPECT_EQ(m_grid.GetTitle(), L"Padstack Properties");
    EXPECT_EQ(Names(),
              (std::vector<std::wstring>{L"Unit", L"Grid Width", L"Grid Height", L"Drill type",
                                         L"Drill diameter", L"Non-plated"}));
    CDrill* drill = m_padstack->FindDrill();
    // Custom on a drill without outline: the 6 by 2 rectangle.
    Choose(3, kDrillCustom);
    m_grid.ApplyRow(3);
    EXPECT_EQ(AreaOutlineToString(drill->m_outline), L"LIN-3,-1 LIN3,-1 LIN3,1 LIN-3,1");
    EXPECT_EQ(Names()[4], L"Mill diameter");
    Choose(3, kDrillSlot);
    m_grid.ApplyRow(3);
    EXPECT_EQ(Names()[4], L"Slot size");
    Edit(4, L"2,0.5");
    m_grid.ApplyRow(4);
    EXPECT_FLOAT_EQ(drill->m_slotWidth, 2);
    EXPECT_FLOAT_EQ(drill->m_slotHeight, 0.5f);
    Check(5, true);
    m_grid.ApplyRow(5);
    EXPECT_TRUE(drill->m_nonPlated);
    // No hole deletes the drill; a new custom one gets the 4 by 2 rectangle.
    Choose(3, kDrillNone);
    m_grid.ApplyRow(3);
    EXPECT_EQ(m_padstack->FindDrill(), nullptr);
    EXPECT_EQ(m_grid.GetRowCount(), 4);
    Choose(3, kDrillCustom);
    m_grid.ApplyRow(3);
    CDrill* made = m_padstack->FindDrill();
    ASSERT_TRUE(made);
    EXPECT_EQ(AreaOutlineToString(made->m_outline), L"LIN-2,-1 LIN2,-1 LIN2,1 LIN-2,1");
    EXPECT_FLOAT_EQ(made->m_diam, 1.0f);
    for (int i = 0; i < 6; ++i)
        m_view.undo.Undo();
    EXPECT_FALSE(m_view.undo.CanUndo());
    EXPECT_EQ(SaveText(m_root), m_saved);
}

// Negative sizes, a zero drill or font size and numbers beyond a float are
// refused: a beep, the row shows the value again and the file is unchanged.
TEST_F(PropertyRowsTest, SizesBelowTheirRangeAndNumbersTooLargeAreRefused) {
    auto* round = static_cast<CPadLayer*>(m_padstack->GetChild(0));
    auto* marking = static_cast<CMarking*>(m_footprint->GetChild(1));
    CMarkingPrimitive* line = marking->m_primitives[0];
    CMarkingPrimitive* text = marking->m_primitives[1];
    m_conductor->m_selected = 1;
    // The pad layer's own thermal relief: an isolation must clear copper.
    round->AddChild(new CThermalRelief());
    m_saved = SaveText(m_root);
    struct Case {
        CProperty* object;
        int row;
        const wchar_t* text;
    };
    const Case cases[] = {
        {round, 3, L"0"},        {round, 3, L"-0.1"},        {round, 4, L"-0.1"},
        {m_board, 1, L"-0.5"},   {m_board, 2, L"1e300"},     {m_conductor, 0, L"-12"},
        {m_conductor, 2, L"-1"}, {round, 1, L"-1"},          {m_padstack, 4, L"-0.8"},
        {m_padstack, 4, L"0"},   {m_footprint, 1, L"1e300"}, {line, 2, L"-1"},
        {text, 3, L"0"},         {text, 4, L"1e300"},
    };
    for (const Case& c : cases) {
        m_grid.ShowProperties(c.object);
        const std::wstring shown = Text(c.row);
        m_ui.Clear();
        Edit(c.row, c.text);
        m_grid.ApplyRow(c.row);
        EXPECT_EQ(Text(c.row), shown) << m_grid.GetItem(c.row)->GetName() << " " << c.text;
        EXPECT_EQ(m_ui.beeps.size(), 1u) << c.text;
        EXPECT_EQ(SaveText(m_root), m_saved) << c.text;
    }
    m_grid.ShowProperties(nullptr);
}
