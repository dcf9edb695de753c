// The padstack editor driven as a user drives it, on a copy of the example
// library: the layers and the panel's pad-layer rows, the pad-layer menu,
// thermal reliefs, marking primitives and the marking clipboard shared with
// the footprint editor; each change checked as do, undo and redo.
#include "core/property_combobox.h"
#include "platform/combo_box_control.h"
#include "platform/paint_target.h"
#include "resources/menus_footprint.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/views/library_view_fixture.h"

namespace {

class PadstackViewTest : public LibraryViewTest {
protected:
    // A padstack of the test's own in the padstack folder, with the
    // primitives of the text assembly on the top assembly layer, opened.
    CPadstackView* OpenBuilt(const wchar_t* name, std::vector<CPadLayer*> layers,
                             const std::wstring& assembly = L"") {
        auto* padstack = new CPadstack(name);
        for (CPadLayer* layer : layers)
            padstack->AddChild(layer);
        if (!assembly.empty()) {
            auto* marking = new CMarking();
            marking->SetText(assembly);
            marking->ReadAttributes();
            marking->m_layer = 24;
            padstack->AddChild(marking);
        }
        Find(&Library(), NodeType::PadstackFolder, L"Standard")->AddChild(padstack);
        auto* view = dynamic_cast<CPadstackView*>(g_MainFrame.OpenNodeView(padstack));
        PumpPendingMessages();
        return view;
    }
    static CPadLayer* Round(int layer, float size) {
        auto* pad = new CPadLayer(layer);
        pad->m_shape = kPadShapeRound;
        pad->m_width = pad->m_height = size;
        return pad;
    }
    // Chooses an entry of a drop-down row of the panel, as its editor does.
    static void ChooseInRow(int row, int entry) {
        CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
        auto* combo = dynamic_cast<CPropertyCombobox*>(grid.GetItem(row));
        ASSERT_NE(combo, nullptr);
        combo->SetSelectedIndex(entry);
        grid.ApplyRow(row);
        PumpPendingMessages();
    }
};

TEST_F(PadstackViewTest, OpensWithItsNineLayersAndThePadstacksRows) {
    CPadstackView* view = OpenPadstack(L"ROUND1.6D0.8");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    EXPECT_EQ(g_LayerSelector.GetParent(), &g_MainFrame.m_padstackToolBar);
    ASSERT_EQ(g_LayerSelector.GetCount(), 9);
    EXPECT_EQ(g_LayerSelector.GetLBText(5), L"Solder mask top");
    EXPECT_EQ(g_LayerSelector.GetLBText(8), L"Solder paste bottom");
    EXPECT_EQ(g_MainFrame.GetPropertyGrid().GetTitle(), L"Padstack Properties");
    // A layer chosen: its pad layer's rows under the layer's caption.
    ChooseLayerEntry(4);
    EXPECT_EQ(view->GetFrontLayer(), kPadLayerPlane);
    EXPECT_EQ(g_MainFrame.GetPropertyGrid().GetTitle(), L"Plane Properties");
    Key('5', MK_SHIFT);
    EXPECT_EQ(view->GetFrontLayer(), 26);
    EXPECT_EQ(g_LayerSelector.GetCurSel(), 5);
    EXPECT_EQ(g_MainFrame.GetPropertyGrid().GetTitle(), L"Solder mask top Properties");
    // Shift+9 reaches layer 30, which the selector does not list.
    Key('9', MK_SHIFT);
    EXPECT_EQ(view->GetFrontLayer(), 30);
    EXPECT_EQ(g_LayerSelector.GetCurSel(), -1);
    // Commands past the selector's nine entries name no layer.
    for (int id = 32909; id <= 32914; ++id) {
        Command(id);
        EXPECT_EQ(view->GetFrontLayer(), 30) << id;
    }
}

TEST_F(PadstackViewTest, PadstackTypeRowMakesEachShape) {
    CPadstackView* view = OpenBuilt(L"NEW", {});
    ASSERT_NE(view, nullptr);
    Key('1');
    ASSERT_EQ(view->GetFrontLayer(), kPadLayerTop);
    CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
    EXPECT_EQ(grid.GetTitle(), L"Top Properties");
    ASSERT_EQ(grid.GetRowCount(), 1);
    auto* type = dynamic_cast<CPropertyCombobox*>(grid.GetItem(0));
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->GetSelectedText(), L"Undefined");
    const std::vector<std::string> expected = {
        "<Padstack>NEW\r\n      <PadLayer Size=\"1,1\"/>\r\n    </Padstack>",
        "<Padstack>NEW\r\n      <PadLayer Shape=\"OBLONG\" Size=\"1,2\"/>\r\n    </Padstack>",
        "<Padstack>NEW\r\n      <PadLayer Shape=\"RECT\" Size=\"1,2\"/>\r\n    </Padstack>",
        "<Padstack>NEW\r\n      <PadLayer Shape=\"CUSTOM\">LIN-3,-2 LIN3,-2 LIN3,2 "
        "LIN-3,2</PadLayer>\r\n    </Padstack>"};
    for (int shape = kPadShapeRound; shape <= kPadShapeCustom; ++shape) {
        ExpectDoUndoRedo([&] { ChooseInRow(0, shape); }, "Padstack", "NEW",
                         expected[static_cast<size_t>(shape - 1)]);
        Undo();
        // Undone, the row offers the types again.
        ASSERT_EQ(grid.GetRowCount(), 1);
    }
    // "Undefined" makes nothing.
    ChooseInRow(0, kPadShapeNone);
    EXPECT_TRUE(view->GetPadstack()->GetChildren().empty());
}

// Copy to layer and Move to layer, each of the eight commands once.
TEST_F(PadstackViewTest, PadLayerMenuCopiesAndMovesToEachCopperLayer) {
    CPadstackView* view = OpenPadstack(L"FIDUCIAL");
    ASSERT_NE(view, nullptr);
    Key('1');
    struct Case {
        int command;
        const char* expected;
    };
    const Case fromTop[] = {
        {ID_PAD_LAYER_COPY_FIRST + 1,
         "<Padstack>FIDUCIAL\r\n      <PadLayer Size=\"1,1\"/>\r\n      <PadLayer Layer=\"SMT\" "
         "Size=\"2,2\"/>\r\n      <Drill Type=\"NONE\"/>\r\n      <PadLayer Layer=\"BOT\" "
         "Size=\"1,1\"/>\r\n    </Padstack>"},
        {ID_PAD_LAYER_COPY_FIRST + 2,
         "<Padstack>FIDUCIAL\r\n      <PadLayer Size=\"1,1\"/>\r\n      <PadLayer Layer=\"SMT\" "
         "Size=\"2,2\"/>\r\n      <Drill Type=\"NONE\"/>\r\n      <PadLayer Layer=\"INR\" "
         "Size=\"1,1\"/>\r\n    </Padstack>"},
        {ID_PAD_LAYER_COPY_FIRST + 3,
         "<Padstack>FIDUCIAL\r\n      <PadLayer Size=\"1,1\"/>\r\n      <PadLayer Layer=\"SMT\" "
         "Size=\"2,2\"/>\r\n      <Drill Type=\"NONE\"/>\r\n      <PadLayer Layer=\"PLN\" "
         "Size=\"1,1\"/>\r\n    </Padstack>"},
        {ID_PAD_LAYER_MOVE_FIRST + 1,
         "<Padstack>FIDUCIAL\r\n      <PadLayer Layer=\"BOT\" Size=\"1,1\"/>\r\n      <PadLayer "
         "Layer=\"SMT\" Size=\"2,2\"/>\r\n      <Drill Type=\"NONE\"/>\r\n    </Padstack>"},
        {ID_PAD_LAYER_MOVE_FIRST + 2,
         "<Padstack>FIDUCIAL\r\n      <PadLayer Layer=\"INR\" Size=\"1,1\"/>\r\n      <PadLayer "
         "Layer=\"SMT\" Size=\"2,2\"/>\r\n      <Drill Type=\"NONE\"/>\r\n    </Padstack>"},
        {ID_PAD_LAYER_MOVE_FIRST + 3,
         "<Padstack>FIDUCIAL\r\n      <PadLayer Layer=\"PLN\" Size=\"1,1\"/>\r\n      <PadLayer "
         "Layer=\"SMT\" Size=\"2,2\"/>\r\n      <Drill Type=\"NONE\"/>\r\n    </Padstack>"},
    };
    for (const Case& c : fromTop) {
        ExpectDoUndoRedo(
            [&] {
                menuAnswers.push_back(static_cast<UINT>(c.command));
                RightClick(view, 0, 0);
                // Top has its pad layer: both its entries are grey.
                EXPECT_TRUE(LastMenuGrayed(ID_PAD_LAYER_COPY_FIRST));
                EXPECT_TRUE(LastMenuGrayed(ID_PAD_LAYER_MOVE_FIRST));
                EXPECT_FALSE(LastMenuGrayed(ID_PAD_LAYER_COPY_FIRST + 2));
            },
            "Padstack", "FIDUCIAL", c.expected);
        Undo();
    }
    // To Top from a padstack with a bottom pad only.
    CPadstackView* bottom = OpenBuilt(L"BOTTOM", {Round(kPadLayerBottom, 1.5f)});
    ASSERT_NE(bottom, nullptr);
    Key('2');
    for (const Case& c :
         {Case{ID_PAD_LAYER_COPY_FIRST,
               "<Padstack>BOTTOM\r\n      <PadLayer Layer=\"BOT\" Size=\"1.5,1.5\"/>\r\n      "
               "<PadLayer Size=\"1.5,1.5\"/>\r\n    </Padstack>"},
          Case{ID_PAD_LAYER_MOVE_FIRST,
               "<Padstack>BOTTOM\r\n      <PadLayer Size=\"1.5,1.5\"/>\r\n    </Padstack>"}}) {
        ExpectDoUndoRedo(
            [&] {
                menuAnswers.push_back(static_cast<UINT>(c.command));
                RightClick(bottom, 0, 0);
            },
            "Padstack", "BOTTOM", c.expected);
        Undo();
    }
}

TEST_F(PadstackViewTest, ThermalReliefsAreShownOnTopBottomAndInnerOnly) {
    CPadstackView* view = OpenPadstack(L"ROUND1.6D0.8");
    ASSERT_NE(view, nullptr);
    Key('1');
    EXPECT_TRUE(g_MainFrame.UIIsEnabled(ID_PS_SHOW_THERMAL));
    Command(ID_PS_SHOW_THERMAL);
    EXPECT_TRUE(view->IsThermalShown());
    EXPECT_TRUE(g_MainFrame.UIGetCheck(ID_PS_SHOW_THERMAL));
    Key('4');
    EXPECT_FALSE(g_MainFrame.UIIsEnabled(ID_PS_SHOW_THERMAL));
    // A non-copper layer switches it off and refuses it.
    Key('5', MK_SHIFT);
    EXPECT_FALSE(view->IsThermalShown());
    EXPECT_FALSE(g_MainFrame.UIIsEnabled(ID_PS_SHOW_THERMAL));
    Command(ID_PS_SHOW_THERMAL);
    EXPECT_FALSE(view->IsThermalShown());
}

TEST_F(PadstackViewTest, MarkingToolsDrawOnTheNonCopperLayers) {
    CPadstackView* view = OpenPadstack(L"FIDUCIAL");
    ASSERT_NE(view, nullptr);
    Key('1');
    EXPECT_FALSE(g_MainFrame.UIIsEnabled(ID_DRAW_RECTANGLE));
    Key('7', MK_SHIFT); // Solder paste top
    ASSERT_EQ(view->GetFrontLayer(), 28);
    EXPECT_TRUE(g_MainFrame.UIIsEnabled(ID_DRAW_RECTANGLE));
    ExpectDoUndoRedo(
        [&] {
            Command(ID_DRAW_RECTANGLE);
            Click(view, -0.5f, -0.5f);
            Click(view, 0.5f, 0.5f);
            Key(VK_ESCAPE);
            EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
        },
        "Padstack", "FIDUCIAL",
        "<Padstack>FIDUCIAL\r\n      <PadLayer Size=\"1,1\"/>\r\n      <PadLayer Layer=\"SMT\" "
        "Size=\"2,2\"/>\r\n      <Drill Type=\"NONE\"/>\r\n      <Marking "
        "Layer=\"SPT\">RC-0.5,-0.5,0.5,0.5W0.2</Marking>\r\n    </Padstack>",
        1, true);
    // Selected and deleted.
    ExpectDoUndoRedo(
        [&] {
            Click(view, -0.5f, 0);
            Key(VK_DELETE);
        },
        "Padstack", "FIDUCIAL",
        "<Padstack>FIDUCIAL\r\n      <PadLayer Size=\"1,1\"/>\r\n      <PadLayer Layer=\"SMT\" "
        "Size=\"2,2\"/>\r\n      <Drill Type=\"NONE\"/>\r\n    </Padstack>");
}

// R typed on the keyboard turns a selected primitive a quarter clockwise,
// Shift+R anticlockwise, about the point it was pressed at (off the grid by
// the pixel the press hits).
TEST_F(PadstackViewTest, RAndShiftRTurnPrimitivesOppositeWays) {
    CPadstackView* view = OpenBuilt(L"TURNED", {Round(0, 1)}, L"L0,0,2,0W0.2");
    ASSERT_NE(view, nullptr);
    const struct {
        const char* keys;
        WPARAM mk;
        const char* turned;
    } cases[] = {{"r", 0, "L1,1,1,-1W0.2"}, {"shift+r", MK_SHIFT, "L1,-1,1,1W0.2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        ExpectDoUndoRedo(
            [&] {
                Click(view, 1, 0);
                const size_t records = view->GetUndoList().UndoCount();
                ServerKey(c.keys, 'R', c.mk,
                          [&] { return view->GetUndoList().UndoCount() > records; });
            },
            "Padstack", "TURNED",
            std::string("<Padstack>TURNED\r\n      <PadLayer Size=\"1,1\"/>\r\n      <Marking "
                        "Layer=\"AST\">") +
                c.turned + "</Marking>\r\n    </Padstack>",
            1, true);
        Undo();
    }
}

// A marking copied in the padstack editor is placed in a footprint.
TEST_F(PadstackViewTest, CopyInAPadstackPasteInAFootprint) {
    // On a grid, so that the copy is held at a grid point whatever pixel the
    // press hits; it lands on the footprint's grid of 2.54 (5.08 rounded).
    auto* node = static_cast<CPadstack*>(Find(&Library(), NodeType::Padstack, L"OBLONG1.2X2.4S"));
    ASSERT_NE(node, nullptr);
    node->m_gridX = node->m_gridY = 0.5f;
    CPadstackView* padstack = OpenPadstack(L"OBLONG1.2X2.4S");
    ASSERT_NE(padstack, nullptr);
    // The assembly line is picked whatever layer is active.
    Click(padstack, 0, 0);
    g_MainFrame.m_tabWindow.SendMessage(WM_COPY);
    ASSERT_EQ(g_MarkingClipboard.Count(), 1u);
    CFootprintView* footprint = OpenFootprint(L"DIP8");
    ASSERT_NE(footprint, nullptr);
    Key('1', MK_SHIFT);
    ExpectDoUndoRedo(
        [&] {
            g_MainFrame.m_tabWindow.SendMessage(WM_PASTE);
            EXPECT_TRUE(footprint->IsPlacing());
            EXPECT_EQ(footprint->GetCurrentTool(), ID_FP_SELECT_OBJECT);
            Move(footprint, 0, 5);
            Click(footprint, 0, 5);
        },
        "Footprint", "DIP8",
        "<Footprint Grid=\"2.5,2.5\">DIP8\r\n      <Padstack>ROUND1.6D0.8\r\n        <PadLayer "
        "Size=\"1.6,1.6\"/>\r\n        <PadLayer Layer=\"BOT\" "
        "Size=\"1.6,1.6\"/>\r\n        <PadLayer Layer=\"INR\" "
        "Size=\"1.4,1.4\"/>\r\n        <Drill Diam=\"0.8\"/>\r\n        <Pad Num=\"1\" "
        "XY=\"-3.8,-3.8\"/>\r\n        <Pad Num=\"2\" XY=\"-1.3,-3.8\"/>\r\n        <Pad Num=\"3\" "
        "XY=\"1.3,-3.8\"/>\r\n        <Pad Num=\"4\" XY=\"3.8,-3.8\"/>\r\n        <Pad Num=\"5\" "
        "XY=\"3.8,3.8\"/>\r\n        <Pad Num=\"6\" XY=\"1.3,3.8\"/>\r\n        <Pad Num=\"7\" "
        "XY=\"-1.3,3.8\"/>\r\n        <Pad Num=\"8\" XY=\"-3.8,3.8\"/>\r\n      </Padstack>\r\n    "
        "  <Marking Layer=\"SST\">POLYC-5,-2.5,5,-2.5,5,2.5,-5,2.5W0.2 "
        "ARCC-5.5,-0.5,-4.5,0.5,-5,0.5,-5,-0.5W0.2 L-0.6,5.1,0.6,5.1W0.1\r\n      </Marking>\r\n   "
        " "
        "</Footprint>",
        1, true);
}

// The floating copies of the marking clipboard are painted with each layer
// shown: with every layer hidden neither editor shows them, so its picture
// is the one it has without copies.
TEST_F(PadstackViewTest, FloatingCopiesArePaintedOnlyWithALayerShown) {
    auto picture = [](CLibraryEditorView* view) {
        view->InvalidateRect(nullptr, false);
        PumpPendingMessages();
        const RECT c = view->GetClientRect();
        auto image = PaintTarget::CreateImage(c.right, c.bottom);
        view->RenderTo(*image);
        image->Flush();
        std::vector<uint32_t> pixels;
        for (int y = 0; y < c.bottom; ++y)
            for (int x = 0; x < c.right; ++x)
                pixels.push_back(image->PixelAt(x, y));
        return pixels;
    };
    const uint64_t none = 0;
    CPadstackView* padstack = OpenPadstack(L"OBLONG1.2X2.4S");
    ASSERT_NE(padstack, nullptr);
    const uint64_t shown = padstack->GetVisibleLayers();
    Click(padstack, 0, 0);
    g_MainFrame.m_tabWindow.SendMessage(WM_COPY);
    ASSERT_EQ(g_MarkingClipboard.Count(), 1u);
    Move(padstack, 2, 2);
    padstack->SetVisibleLayers(none);
    const auto hiddenFloating = picture(padstack);
    padstack->SetVisibleLayers(shown);
    const auto shownFloating = picture(padstack);
    Key(VK_ESCAPE);
    ASSERT_FALSE(padstack->IsPlacing());
    EXPECT_NE(picture(padstack), shownFloating);
    padstack->SetVisibleLayers(none);
    EXPECT_EQ(picture(padstack), hiddenFloating);

    // The footprint editor: the same copies pasted there.
    CFootprintView* footprint = OpenFootprint(L"DIP8");
    ASSERT_NE(footprint, nullptr);
    Key('1', MK_SHIFT);
    g_MainFrame.m_tabWindow.SendMessage(WM_PASTE);
    ASSERT_TRUE(footprint->IsPlacing());
    Move(footprint, 0, 5);
    const uint64_t footprintShown = footprint->GetVisibleLayers();
    footprint->SetVisibleLayers(none);
    const auto hidden = picture(footprint);
    footprint->SetVisibleLayers(footprintShown);
    const auto floating = picture(footprint);
    Key(VK_ESCAPE);
    ASSERT_FALSE(footprint->IsPlacing());
    EXPECT_NE(picture(footprint), floating);
    footprint->SetVisibleLayers(none);
    EXPECT_EQ(picture(footprint), hidden);
}

} // namespace
