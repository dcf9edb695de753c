// The footprint editor driven as a user drives it, on a copy of the example
// library: each action checked as do (the footprint as saved), undo (the
// original bytes) and redo (the changed bytes again).
#include "board/area_node.h"
#include "board/board.h"
#include "board/marking_shapes.h"
#include "board/marking_text.h"
#include "dialogs/padstack_list_ctrl.h"
#include "platform/device_context.h"
#include "platform/edit_control.h"
#include "platform/graphics_path.h"
#include "platform/tree_view_control.h"
#include "shell/left_tab_view.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/screen_picture.h"
#include "tests/views/library_view_fixture.h"
#include "views/board_view.h"
#include "views/symbol_view.h"

#include <functional>

namespace {

class FootprintViewTest : public LibraryViewTest {
protected:
    // A footprint of the test's own: grid 1 mm, one padstack "P" (a round
    // pad) with pads at the given places and numbers, and the primitives of
    // the text silkscreen on the top silkscreen, opened in its view.
    CFootprintView* OpenBuilt(const std::vector<std::pair<std::wstring, PointF>>& pads,
                              const std::wstring& silkscreen = L"") {
        auto* footprint = new CFootprint();
        footprint->SetText(L"BUILT");
        footprint->m_gridX = footprint->m_gridY = 1.0f;
        auto* padstack = new CPadstack(L"P");
        auto* layer = new CPadLayer(0);
        layer->m_shape = kPadShapeRound;
        layer->m_width = layer->m_height = 0.6f;
        padstack->AddChild(layer);
        for (const auto& [number, at] : pads) {
            auto* pad = new CPad();
            pad->m_num = number;
            pad->m_boardPosition = at;
            padstack->AddChild(pad);
        }
        footprint->AddChild(padstack);
        if (!silkscreen.empty()) {
            auto* marking = new CMarking();
            marking->SetText(silkscreen);
            marking->ReadAttributes();
            marking->m_layer = 22;
            footprint->AddChild(marking);
        }
        Find(&Library(), NodeType::FootprintFolder, L"Chips")->AddChild(footprint);
        auto* view = dynamic_cast<CFootprintView*>(g_MainFrame.OpenNodeView(footprint));
        PumpPendingMessages();
        return view;
    }
    // The padstack Place padstack puts down without asking, as after a
    // first choice in the sheet.
    static void ChoosePadstack(CFootprintView* view, const CPadstack* padstack) {
        view->GetPadstackSheet().SetObject(std::unique_ptr<CTreeNode>(padstack->Clone()));
    }
    static std::vector<std::wstring> PadNumbers(CFootprint* footprint) {
        std::vector<std::wstring> out;
        for (CTreeNode* child : footprint->GetChildren())
            if (child->GetType() == NodeType::Padstack)
                for (CTreeNode* pad : child->GetChildren())
                    if (pad->GetType() == NodeType::Pad)
                        out.push_back(static_cast<CPad*>(pad)->m_num);
        return out;
    }
    // The example library where the padstack sheet looks first.
    void PutBaseLibrary() {
        const std::wstring folder = g_MainFrame.GetDefaultFolder(kDocumentFootprintLibrary);
        ASSERT_TRUE(CreateDirectories(folder));
        ASSERT_TRUE(WriteWholeFile(PathJoin(folder, L"Base.footprint"), ReadFile(libraryPath)));
    }
};

// --- Pads --------------------------------------------------------------------------------

TEST_F(FootprintViewTest, OpensOnTheFootprintWithItsToolbar) {
    CFootprintView* view = OpenFootprint(L"DIP8");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(g_pActiveView, view);
    EXPECT_EQ(view->GetCurrentTool(), ID_FP_SELECT_PADSTACK);
    EXPECT_EQ(view->GetFrontLayer(), -1);
    EXPECT_TRUE(view->IsSnapOn()); // the footprint has a grid
    // The shared selector sits on the footprint toolbar with its 15 layers.
    EXPECT_EQ(g_LayerSelector.GetParent(), &g_MainFrame.m_footprintToolBar);
    ASSERT_EQ(g_LayerSelector.GetCount(), 15);
    EXPECT_EQ(g_LayerSelector.GetLBText(14), L"Package outline bottom");
    EXPECT_EQ(g_LayerSelector.GetCurSel(), 0);
    EXPECT_TRUE(g_MainFrame.UIGetCheck(ID_FP_SELECT_PADSTACK));
    // Opening the node again shows the same view.
    EXPECT_EQ(OpenFootprint(L"DIP8"), view);
}

// A double click in the footprint library tree opens the editor of the
// footprint or padstack; a second one shows the view already open.
TEST_F(FootprintViewTest, TheFootprintTreeOpensTheEditors) {
    CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(2);
    ASSERT_NE(tree, nullptr);
    auto doubleClick = [&](CTreeNode* node) {
        g_MainFrame.m_leftPane.SelectTab(2);
        tree->SetFocus();
        PumpPendingMessages();
        HTREEITEM item = tree->FindItem(node);
        ASSERT_NE(item, nullptr);
        tree->EnsureVisible(item);
        RECT r{};
        ASSERT_TRUE(tree->GetItemRect(item, &r, true));
        const POINT p{r.left - 8, (r.top + r.bottom) / 2};
        SimulateMouse(tree, WM_LBUTTONDOWN, p, MK_LBUTTON);
        SimulateMouse(tree, WM_LBUTTONUP, p);
        tree->KillTimer(TreeViewControl::kEditTimerId);
        SimulateMouse(tree, WM_LBUTTONDBLCLK, p, MK_LBUTTON);
        SimulateMouse(tree, WM_LBUTTONUP, p);
        PumpPendingMessages();
    };
    CTreeNode* footprint = Find(&Library(), NodeType::Footprint, L"R0805");
    CTreeNode* padstack = Find(&Library(), NodeType::Padstack, L"FIDUCIAL");
    doubleClick(footprint);
    auto* footprintView = dynamic_cast<CFootprintView*>(g_pActiveView);
    ASSERT_NE(footprintView, nullptr);
    EXPECT_EQ(footprintView->GetFootprint(), footprint);
    doubleClick(padstack);
    auto* padstackView = dynamic_cast<CPadstackView*>(g_pActiveView);
    ASSERT_NE(padstackView, nullptr);
    EXPECT_EQ(padstackView->GetPadstack(), padstack);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 2);
    doubleClick(footprint);
    EXPECT_EQ(g_pActiveView, footprintView);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 2);
}

TEST_F(FootprintViewTest, PlacingPadsNumbersThemOneAfterTheOther) {
    CFootprintView* view = OpenBuilt({});
    ASSERT_NE(view, nullptr);
    ChoosePadstack(view,
                   static_cast<CPadstack*>(Find(&Library(), NodeType::Padstack, L"FIDUCIAL")));
    ExpectDoUndoRedo(
        [&] {
            Command(ID_FP_PLACE_PADSTACK);
            EXPECT_EQ(view->GetCurrentTool(), ID_FP_PLACE_PADSTACK);
            for (float x : {0.f, 2.f, 4.f})
                Click(view, x, 0);
            Key(VK_ESCAPE);
            EXPECT_EQ(view->GetCurrentTool(), ID_FP_SELECT_PADSTACK);
            EXPECT_EQ(view->GetFloatingPad(), nullptr);
        },
        "Footprint", "BUILT",
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      <Padstack>FIDUCIAL\r\n        <PadLayer "
        "Size=\"1,1\"/>\r\n        <PadLayer Layer=\"SMT\" Size=\"2,2\"/>\r\n        <Drill "
        "Type=\"NONE\"/>\r\n        <Pad Num=\"1\"/>\r\n        <Pad Num=\"2\" XY=\"2,0\"/>\r\n    "
        "    <Pad Num=\"3\" XY=\"4,0\"/>\r\n      </Padstack>\r\n    </Footprint>",
        3);
}

// A new pad is numbered where it comes into being: the pointer's place
// when Place padstack starts.
TEST_F(FootprintViewTest, GridNumberingCarriesPastTheLastLetter) {
    // H1 alone in its column, a row ending in Y3, J5 alone.
    CFootprintView* view = OpenBuilt({{L"H1", PointF{0, 0}},
                                      {L"Y2", PointF{2, -4}},
                                      {L"Y3", PointF{3, -4}},
                                      {L"J5", PointF{6, 2}}});
    ASSERT_NE(view, nullptr);
    ChoosePadstack(view,
                   static_cast<CPadstack*>(Find(&Library(), NodeType::Padstack, L"FIDUCIAL")));
    auto placeAt = [&](float x, float y) {
        Move(view, x, y);
        Command(ID_FP_PLACE_PADSTACK);
        Click(view, x, y);
        Key(VK_ESCAPE);
    };
    // Each pad of the fiducial, whose drill of no hole matches none, goes
    // into a padstack of its own.
    const std::string built =
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n        <Pad Num=\"H1\"/>\r\n        <Pad Num=\"Y2\" "
        "XY=\"2,-4\"/>\r\n        <Pad Num=\"Y3\" XY=\"3,-4\"/>\r\n        <Pad Num=\"J5\" "
        "XY=\"6,2\"/>\r\n      </Padstack>\r\n";
    std::string placed;
    const struct {
        float x, y;
        const char* pad;
    } steps[] = {
        // Below H1 comes J1 (no row I), below Y3 AA3, right of Y3 Y4; above
        // J5 comes H5, not I5.
        {0, -1, "Num=\"J1\" XY=\"0,-1\""},
        {3, -5, "Num=\"AA3\" XY=\"3,-5\""},
        {4, -4, "Num=\"Y4\" XY=\"4,-4\""},
        {6, 3, "Num=\"H5\" XY=\"6,3\""},
    };
    for (const auto& s : steps) {
        placed += "      <Padstack>FIDUCIAL\r\n        <PadLayer Size=\"1,1\"/>\r\n        "
                  "<PadLayer Layer=\"SMT\" Size=\"2,2\"/>\r\n        <Drill Type=\"NONE\"/>\r\n"
                  "        <Pad " +
                  std::string(s.pad) + "/>\r\n      </Padstack>\r\n";
        ExpectDoUndoRedo([&] { placeAt(s.x, s.y); }, "Footprint", "BUILT",
                         built + placed + "    </Footprint>");
    }
}

TEST_F(FootprintViewTest, MirroringAndTurningPadsMovesThemToOtherPadstacks) {
    CFootprintView* view = OpenFootprint(L"R0805");
    ASSERT_NE(view, nullptr);
    // Pad 1 turned: it gets a padstack of its own.
    ExpectDoUndoRedo(
        [&] {
            Click(view, -1, 0);
            Key('R');
        },
        "Footprint", "R0805",
        "<Footprint Grid=\"0.05,0.05\">R0805\r\n      <Padstack>RECT1.2X1.4\r\n        <PadLayer "
        "Shape=\"RECT\" Size=\"1.2,1.4\"/>\r\n        <PadLayer Layer=\"SMT\" Shape=\"RECT\" "
        "Size=\"1.3,1.5\"/>\r\n        <Pad Num=\"2\" XY=\"1,0\"/>\r\n      "
        "</Padstack>\r\n      <Marking Layer=\"SST\">L-2,-1,2,-1W0.15 L-2,1,2,1W0.15 "
        "TXT0,1.5,0,1:R?\xC2\xB6Tahoma</Marking>\r\n      <Marking "
        "Layer=\"OLT\">RC-1.6,-0.9,1.6,0.9W0.05</Marking>\r\n      <Padstack>RECT1.2X1.4\r\n       "
        " <PadLayer Shape=\"RECT\" Size=\"1.4,1.2\"/>\r\n        <PadLayer Layer=\"SMT\" "
        "Shape=\"RECT\" Size=\"1.5,1.3\"/>\r\n        <Pad Num=\"1\" XY=\"-1,0\"/>\r\n      "
        "</Padstack>\r\n    </Footprint>");
    // Pad 2 turned the same way joins it; the first padstack, left without
    // pads, goes.
    ExpectDoUndoRedo(
        [&] {
            Click(view, 1, 0);
            Key('R');
        },
        "Footprint", "R0805",
        "<Footprint Grid=\"0.05,0.05\">R0805\r\n      <Marking Layer=\"SST\">L-2,-1,2,-1W0.15 "
        "L-2,1,2,1W0.15 TXT0,1.5,0,1:R?\xC2\xB6Tahoma</Marking>\r\n      <Marking "
        "Layer=\"OLT\">RC-1.6,-0.9,1.6,0.9W0.05</Marking>\r\n      <Padstack>RECT1.2X1.4\r\n       "
        " <PadLayer Shape=\"RECT\" Size=\"1.4,1.2\"/>\r\n        <PadLayer Layer=\"SMT\" "
        "Shape=\"RECT\" Size=\"1.5,1.3\"/>\r\n        <Pad Num=\"1\" XY=\"-1,0\"/>\r\n        <Pad "
        "Num=\"2\" XY=\"1,0\"/>\r\n      </Padstack>\r\n    </Footprint>");
    // Both pads of a custom padstack mirrored at once from the context menu.
    CFootprintView* shapes = OpenFootprint(L"SHAPES");
    ASSERT_NE(shapes, nullptr);
    ExpectDoUndoRedo(
        [&] {
            Drag(shapes, -5, -2, 5, 2);
            menuAnswers.push_back(ID_FP_TRANSFORM_MIRROR_H);
            RightClick(shapes, 3, 0);
        },
        "Footprint", "SHAPES",
        "<Footprint Fixed=\"1\" Grid=\"0.1,0.1\" Unit=\"2\">SHAPES\r\n      <Marking "
        "Layer=\"SST\">RCF-5,-3,5,3W0.2 CIRC-1,-1,1,1W0.1 CIRCF2,2,3,3W0</Marking>\r\n      "
        "<Marking Layer=\"SSB\">POLYF0,0,1,0,1,1W0.2 POLYC0,0,2,0,2,2W0.2 "
        "POLY0,0,3,0W0.2</Marking>\r\n      <Marking Layer=\"AST\">ARC-2,-2,2,2,2,0,0,2W0.1 "
        "ARCF-2,-2,2,2,0,2,-2,0W0.1 ARCC-2,-2,2,2,-2,0,0,-2W0.1</Marking>\r\n      <Marking "
        "Layer=\"ASB\">CRV0,0,1,1,2,1,3,0W0.15 TXT0,-4,90,1.2:SHAPES_1\xC2\xB6"
        "Courier_New</Marking>\r\n      <Marking "
        "Layer=\"SMT\">RCF-0.5,-0.5,0.5,0.5W0</Marking>\r\n      <Marking "
        "Layer=\"SMB\">RCF-0.5,-0.5,0.5,0.5W0</Marking>\r\n      <Marking "
        "Layer=\"SPT\">CIRCF-0.3,-0.3,0.3,0.3W0</Marking>\r\n      <Marking "
        "Layer=\"SPB\">CIRCF-0.3,-0.3,0.3,0.3W0</Marking>\r\n      <Marking "
        "Layer=\"OLT\">RC-6,-4,6,4W0</Marking>\r\n      <Marking "
        "Layer=\"OLB\">RC-6,-4,6,4W0</Marking>\r\n      <Marking "
        "Layer=\"TOP\">L-4,0,4,0W0.3</Marking>\r\n      <Marking "
        "Layer=\"BOT\">L-4,0,4,0W0.3</Marking>\r\n      <Padstack>CUSTOM2\r\n        <PadLayer "
        "Shape=\"CUSTOM\">LIN1,-1 LIN-1,-1 ARC-1,1,-0.5 CRV1,1,1.5,0.5,1.5,-0.5</PadLayer>\r\n     "
        "   <Drill Diam=\"1.2\" Type=\"CUSTOM\">LIN0.6,-0.3 LIN-0.6,-0.3 LIN-0.6,0.3 "
        "LIN0.6,0.3</Drill>\r\n        <Pad Num=\"A\" XY=\"-3,0\"/>\r\n        <Pad Num=\"B\" "
        "XY=\"3,0\"/>\r\n      </Padstack>\r\n    </Footprint>");
}

TEST_F(FootprintViewTest, DraggingPadsAndTheRubberBand) {
    CFootprintView* view = OpenFootprint(L"DIP8");
    ASSERT_NE(view, nullptr);
    // Dragged pads land on the grid.
    ExpectDoUndoRedo(
        [&] { Drag(view, -3.81f, -3.81f, -3.81f, -6.35f); }, "Footprint", "DIP8",
        "<Footprint Grid=\"2.54,2.54\">DIP8\r\n      <Padstack>ROUND1.6D0.8\r\n        <PadLayer "
        "Size=\"1.6,1.6\"/>\r\n        <PadLayer Layer=\"BOT\" "
        "Size=\"1.6,1.6\"/>\r\n        <PadLayer Layer=\"INR\" "
        "Size=\"1.4,1.4\"/>\r\n        <Drill Diam=\"0.8\"/>\r\n        <Pad Num=\"1\" "
        "XY=\"-5.08,-7.62\"/>\r\n        <Pad Num=\"2\" XY=\"-1.27,-3.81\"/>\r\n        <Pad "
        "Num=\"3\" XY=\"1.27,-3.81\"/>\r\n        <Pad Num=\"4\" XY=\"3.81,-3.81\"/>\r\n        "
        "<Pad Num=\"5\" XY=\"3.81,3.81\"/>\r\n        <Pad Num=\"6\" XY=\"1.27,3.81\"/>\r\n        "
        "<Pad Num=\"7\" XY=\"-1.27,3.81\"/>\r\n        <Pad Num=\"8\" XY=\"-3.81,3.81\"/>\r\n      "
        "</Padstack>\r\n      <Marking Layer=\"SST\">POLYC-5,-2.5,5,-2.5,5,2.5,-5,2.5W0.2 "
        "ARCC-5.5,-0.5,-4.5,0.5,-5,0.5,-5,-0.5W0.2</Marking>\r\n    </Footprint>");
    // A band drawn from right to left selects the pads inside it.
    Drag(view, 5, 5, -2, 2);
    int selected = 0;
    for (CTreeNode* pad :
         Find(view->GetFootprint(), NodeType::Padstack, L"ROUND1.6D0.8")->GetChildren())
        selected += pad->GetType() == NodeType::Pad && pad->m_selected;
    EXPECT_EQ(selected, 3);
    EXPECT_EQ(view->GetRubberBand(), nullptr);
}

TEST_F(FootprintViewTest, CopyingAPadLetsItsCopyFloat) {
    CFootprintView* view = OpenFootprint(L"DIP8");
    ASSERT_NE(view, nullptr);
    ExpectDoUndoRedo(
        [&] {
            Click(view, 3.81f, 3.81f);
            g_MainFrame.m_tabWindow.SendMessage(WM_COPY);
            EXPECT_EQ(view->GetCurrentTool(), ID_FP_PLACE_PADSTACK);
            ASSERT_NE(view->GetFloatingPad(), nullptr);
            // Below the property panel, which lies over the view's top
            // right corner.
            Click(view, 7.62f, -5.08f);
            Key(VK_ESCAPE);
        },
        "Footprint", "DIP8",
        "<Footprint Grid=\"2.54,2.54\">DIP8\r\n      <Padstack>ROUND1.6D0.8\r\n        <PadLayer "
        "Size=\"1.6,1.6\"/>\r\n        <PadLayer Layer=\"BOT\" "
        "Size=\"1.6,1.6\"/>\r\n        <PadLayer Layer=\"INR\" "
        "Size=\"1.4,1.4\"/>\r\n        <Drill Diam=\"0.8\"/>\r\n        <Pad Num=\"1\" "
        "XY=\"-3.81,-3.81\"/>\r\n        <Pad Num=\"2\" XY=\"-1.27,-3.81\"/>\r\n        <Pad "
        "Num=\"3\" XY=\"1.27,-3.81\"/>\r\n        <Pad Num=\"4\" XY=\"3.81,-3.81\"/>\r\n        "
        "<Pad Num=\"5\" XY=\"3.81,3.81\"/>\r\n        <Pad Num=\"6\" XY=\"1.27,3.81\"/>\r\n        "
        "<Pad Num=\"7\" XY=\"-1.27,3.81\"/>\r\n        <Pad Num=\"8\" XY=\"-3.81,3.81\"/>\r\n      "
        "  <Pad Num=\"9\" XY=\"7.62,-5.08\"/>\r\n      </Padstack>\r\n      <Marking "
        "Layer=\"SST\">POLYC-5,-2.5,5,-2.5,5,2.5,-5,2.5W0.2 "
        "ARCC-5.5,-0.5,-4.5,0.5,-5,0.5,-5,-0.5W0.2</Marking>\r\n    </Footprint>");
    // With two pads selected Copy does nothing, and the menu greys it.
    Drag(view, -5, -5, 0, 0);
    g_MainFrame.m_tabWindow.SendMessage(WM_COPY);
    EXPECT_EQ(view->GetCurrentTool(), ID_FP_SELECT_PADSTACK);
    RightClick(view, -3.81f, -3.81f);
    ASSERT_FALSE(menuItems.empty());
    EXPECT_TRUE(LastMenuGrayed(ID_EDIT_COPY));
    EXPECT_FALSE(LastMenuGrayed(ID_FP_SELECT_ALL_SUCH_PADS));
}

// Closing the tab while a copied pad floats takes the pad away before the
// page question: nothing else changed, so nothing is asked or written.
TEST_F(FootprintViewTest, ClosingTheTabDropsAFloatingPad) {
    const std::string original = Saved();
    std::string onDisk;
    ASSERT_TRUE(ReadWholeFile(libraryPath, onDisk));
    CFootprintView* view = OpenFootprint(L"DIP8");
    ASSERT_NE(view, nullptr);
    Click(view, 3.81f, 3.81f);
    g_MainFrame.m_tabWindow.SendMessage(WM_COPY);
    ASSERT_NE(view->GetFloatingPad(), nullptr);
    Move(view, 7.62f, -5.08f);
    ASSERT_NE(Saved(), original) << "the pad is in the footprint while it floats";
    Command(ID_WINDOW_CLOSE);
    EXPECT_LT(g_MainFrame.m_tabWindow.FindTab(view), 0);
    EXPECT_TRUE(ui.messageBoxes.empty());
    EXPECT_EQ(Saved(), original);
    std::string file;
    ASSERT_TRUE(ReadWholeFile(libraryPath, file));
    EXPECT_EQ(file, onDisk);
}

// Ctrl+S while a copied pad follows the cursor: the pad ends as Esc ends
// it, the file holds only the pads put down, the view goes on with the tool
// Esc leaves, and undo and redo go between the original and the saved.
TEST_F(FootprintViewTest, SaveEndsAFloatingPadAsEscDoes) {
    const std::string original = Saved();
    CFootprintView* view = OpenFootprint(L"DIP8");
    ASSERT_NE(view, nullptr);
    auto copyAndPlace = [&] {
        Click(view, 3.81f, 3.81f);
        g_MainFrame.m_tabWindow.SendMessage(WM_COPY);
        ASSERT_NE(view->GetFloatingPad(), nullptr);
        Click(view, 7.62f, -5.08f);
        Move(view, 10.16f, -5.08f);
        ASSERT_NE(view->GetFloatingPad(), nullptr) << "a copy follows the cursor";
    };
    copyAndPlace();
    Key(VK_ESCAPE);
    const int toolAfterEsc = view->GetCurrentTool();
    const std::string expected = Saved();
    ASSERT_NE(expected, original);
    while (view->GetUndoList().CanUndo())
        Undo();
    ASSERT_EQ(Saved(), original);

    copyAndPlace();
    const std::wstring path = Library().GetFilePath();
    Key('S', MK_CONTROL);
    EXPECT_EQ(view->GetFloatingPad(), nullptr);
    EXPECT_EQ(view->GetCurrentTool(), toolAfterEsc);
    EXPECT_EQ(ReadFile(path), expected);
    EXPECT_EQ(Saved(), expected);
    int groups = 0;
    while (view->GetUndoList().CanUndo() && groups < 100) {
        Undo();
        ++groups;
    }
    EXPECT_EQ(Saved(), original);
    for (int i = 0; i < groups; ++i)
        Redo();
    EXPECT_EQ(Saved(), expected);
}

// A new floating pad starts where the pointer was last seen, off the grid
// as it may be; the first move snaps it. So does a copied pad.
TEST_F(FootprintViewTest, ANewFloatingPadStartsAtThePointer) {
    CFootprintView* view = OpenBuilt({{L"1", PointF{0, 0}}});
    ASSERT_NE(view, nullptr);
    ChoosePadstack(view,
                   static_cast<CPadstack*>(Find(&Library(), NodeType::Padstack, L"FIDUCIAL")));
    const std::function<void()> starts[] = {
        [&] { Command(ID_FP_PLACE_PADSTACK); },
        [&] {
            Click(view, 0, 0);
            Move(view, 2.3f, 1.4f);
            g_MainFrame.m_tabWindow.SendMessage(WM_COPY);
        },
    };
    for (const auto& start : starts) {
        Move(view, 2.3f, 1.4f);
        const PointF seen = g_MainFrame.m_statusBar.GetPosition();
        ASSERT_NE(seen, view->SnapToGrid(seen));
        start();
        CPad* pad = view->GetFloatingPad();
        ASSERT_NE(pad, nullptr);
        EXPECT_EQ(pad->m_boardPosition, seen);
        Move(view, 3.2f, 0.9f);
        EXPECT_EQ(pad->m_boardPosition, (PointF{3, 1}));
        Key(VK_ESCAPE);
        EXPECT_EQ(view->GetFloatingPad(), nullptr);
    }
}

// --- The padstack sheet -------------------------------------------------------------------

// A padstack defined in the sheet's Create page is placed.
TEST_F(FootprintViewTest, PlacingAPadstackMadeInTheSheet) {
    CFootprintView* view = OpenBuilt({});
    ASSERT_NE(view, nullptr);
    using List = CPadstackListCtrl;
    ScopedModalDialogHook hook([](PlatformDialog& d) {
        auto& sheet = dynamic_cast<CPadstackSheet&>(d);
        ASSERT_EQ(sheet.GetActiveIndex(), CPadstackSheet::kCreatePage);
        CCreatePadstack* page = sheet.GetCreatePage();
        List* list = page->GetList();
        dialog_driver::EditCell(list, 0, List::kColumnWidth, L"1.6"); // round
        dialog_driver::ClickCell(list, 1, List::kColumnShape);
        dialog_driver::ChooseInCombo(list->GetCellCombo(), kPadShapeOblong);
        PumpPendingMessages();
        dialog_driver::EditCell(list, 1, List::kColumnWidth, L"1.2");
        dialog_driver::EditCell(list, 1, List::kColumnHeight, L"2.4");
        dialog_driver::ClickCell(list, 4, List::kColumnShape);
        dialog_driver::ChooseInCombo(list->GetCellCombo(), kPadShapeRect);
        PumpPendingMessages();
        dialog_driver::EditCell(list, 4, List::kColumnWidth, L"2");
        dialog_driver::EditCell(list, 4, List::kColumnHeight, L"2.6");
        dialog_driver::ChooseInCombo(
            page->GetDlgItemAs<ComboBoxControl>(CCreatePadstack::kDrillType), kDrillRound);
        page->SetDlgItemText(CCreatePadstack::kDiameter, L"0.8");
        dialog_driver::ClickButton(sheet, IDOK);
    });
    ExpectDoUndoRedo(
        [&] {
            Command(ID_FP_PADSTACK_CREATE);
            EXPECT_EQ(view->GetCurrentTool(), ID_FP_PLACE_PADSTACK);
            Click(view, 2, 2);
            Key(VK_ESCAPE);
        },
        "Footprint", "BUILT",
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      <Padstack>\r\n        <PadLayer "
        "Size=\"1.6,1.6\"/>\r\n        <PadLayer Layer=\"BOT\" Shape=\"OBLONG\" "
        "Size=\"1.2,2.4\"/>\r\n        <PadLayer Layer=\"SMT\" Shape=\"RECT\" Size=\"2,2.6\"/>\r\n "
        "       <Drill Diam=\"0.8\"/>\r\n        <Pad Num=\"1\" XY=\"2,2\"/>\r\n      "
        "</Padstack>\r\n    </Footprint>",
        2);
}

// A padstack with custom pads picked on the sheet's Load page, from the
// library file in the footprint-library folder.
TEST_F(FootprintViewTest, PlacingAPadstackLoadedFromALibrary) {
    PutBaseLibrary();
    CFootprintView* view = OpenBuilt({});
    ASSERT_NE(view, nullptr);
    ScopedModalDialogHook hook([](PlatformDialog& d) {
        auto& sheet = dynamic_cast<CPadstackSheet&>(d);
        ASSERT_EQ(sheet.GetActiveIndex(), CPadstackSheet::kLoadPage);
        TreeViewControl* tree = sheet.GetLoadPage()->GetTree();
        HTREEITEM folder = tree->GetChildItem(tree->GetRootItem());
        ASSERT_EQ(tree->GetItemText(folder), L"Standard");
        tree->Expand(folder, TVE_EXPAND);
        HTREEITEM item = tree->GetChildItem(folder);
        while (item && tree->GetItemText(item) != L"CUSTOM2")
            item = tree->GetNextSiblingItem(item);
        ASSERT_NE(item, nullptr);
        RECT r{};
        ASSERT_TRUE(tree->GetItemRect(item, &r, true));
        dialog_driver::Click(tree, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        dialog_driver::ClickButton(sheet, IDOK);
    });
    ExpectDoUndoRedo(
        [&] {
            Command(ID_FP_PADSTACK_FROM_LIBRARY);
            Click(view, 0, -3);
            Key(VK_ESCAPE);
        },
        "Footprint", "BUILT",
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      <Padstack Grid=\"0.1,0.1\" "
        "Unit=\"2\">CUSTOM2\r\n        <PadLayer Shape=\"CUSTOM\">LIN-1,-1 LIN1,-1 ARC1,1,0.5 "
        "CRV-1,1,-1.5,0.5,-1.5,-0.5</PadLayer>\r\n        <PadLayer Layer=\"BOT\" "
        "Shape=\"CUSTOM\">LIN-1,-1 LIN1,-1 LIN1,1 LIN-1,1</PadLayer>\r\n        <PadLayer "
        "Layer=\"PLN\" Shape=\"RECT\" Size=\"2.2,2.2\">\r\n          <Thermal/>\r\n        "
        "</PadLayer>\r\n        <Drill Diam=\"1.2\" NonPlated=\"1\" Type=\"CUSTOM\">LIN-0.6,-0.3 "
        "LIN0.6,-0.3 LIN0.6,0.3 LIN-0.6,0.3</Drill>\r\n        <Pad Num=\"1\" XY=\"0,-3\"/>\r\n    "
        "  </Padstack>\r\n    </Footprint>",
        2);
    // Place padstack puts the padstack chosen down again without asking.
    Command(ID_FP_PLACE_PADSTACK);
    EXPECT_NE(view->GetFloatingPad(), nullptr);
    Key(VK_ESCAPE);
}

// Without a padstack, Place padstack asks for one: cancelled, or answered
// with no padstack, it leaves the tool.
TEST_F(FootprintViewTest, PlacePadstackWithoutAPadstack) {
    CFootprintView* view = OpenFootprint(L"R0805");
    ASSERT_NE(view, nullptr);
    const std::string before = Saved();
    int answer = IDCANCEL;
    ScopedModalDialogHook hook([&](PlatformDialog& d) {
        EXPECT_EQ(dynamic_cast<CPadstackSheet&>(d).GetActiveIndex(), CPadstackSheet::kLoadPage);
        dialog_driver::ClickButton(d, answer);
    });
    Command(ID_FP_PLACE_PADSTACK);
    EXPECT_EQ(view->GetCurrentTool(), ID_FP_SELECT_PADSTACK);
    EXPECT_TRUE(ui.messageBoxes.empty() ||
                ui.messageBoxes.back().text != L"No selected padstack available");
    answer = IDOK;
    Command(ID_FP_PLACE_PADSTACK);
    EXPECT_EQ(view->GetCurrentTool(), ID_FP_SELECT_PADSTACK);
    ASSERT_FALSE(ui.messageBoxes.empty());
    EXPECT_EQ(ui.messageBoxes.back().text, L"No selected padstack available");
    EXPECT_EQ(Saved(), before);
}

// Edit... of the context menu: the selected pads move to the padstack the
// sheet gives back; one left without pads goes.
TEST_F(FootprintViewTest, EditingThePadstackOfSelectedPads) {
    CFootprintView* view = OpenFootprint(L"R0805");
    ASSERT_NE(view, nullptr);
    ScopedModalDialogHook hook([](PlatformDialog& d) {
        auto& sheet = dynamic_cast<CPadstackSheet&>(d);
        CPadstackListCtrl* list = sheet.GetCreatePage()->GetList();
        // The pads' padstack, without its pads.
        EXPECT_EQ(dialog_driver::RowTexts(list, 0, 1, 3),
                  (std::vector<std::wstring>{L"Rectangular", L"1.200", L"1.400"}));
        dialog_driver::EditCell(list, 0, CPadstackListCtrl::kColumnHeight, L"1.8");
        dialog_driver::ClickButton(sheet, IDOK);
    });
    ExpectDoUndoRedo(
        [&] {
            Click(view, -1, 0);
            menuAnswers.push_back(ID_FP_SELECT_ALL_SUCH_PADS);
            RightClick(view, -1, 0);
            menuAnswers.push_back(ID_FP_EDIT_PADSTACK);
            RightClick(view, 1, 0);
            EXPECT_FALSE(LastMenuGrayed(ID_FP_EDIT_PADSTACK));
        },
        "Footprint", "R0805",
        "<Footprint Grid=\"0.05,0.05\">R0805\r\n      <Marking Layer=\"SST\">L-2,-1,2,-1W0.15 "
        "L-2,1,2,1W0.15 TXT0,1.5,0,1:R?\xC2\xB6Tahoma</Marking>\r\n      <Marking "
        "Layer=\"OLT\">RC-1.6,-0.9,1.6,0.9W0.05</Marking>\r\n      <Padstack>RECT1.2X1.4\r\n       "
        " <PadLayer Shape=\"RECT\" Size=\"1.2,1.8\"/>\r\n        <PadLayer Layer=\"SMT\" "
        "Shape=\"RECT\" Size=\"1.3,1.5\"/>\r\n        <Pad Num=\"1\" XY=\"-1,0\"/>\r\n        <Pad "
        "Num=\"2\" XY=\"1,0\"/>\r\n      </Padstack>\r\n    </Footprint>");
}

// Move Origin ends the tool under way first: the floating pad is not kept.
TEST_F(FootprintViewTest, MoveOriginWithAFloatingPad) {
    CFootprintView* view = OpenFootprint(L"R0805");
    ASSERT_NE(view, nullptr);
    ChoosePadstack(view,
                   static_cast<CPadstack*>(Find(&Library(), NodeType::Padstack, L"FIDUCIAL")));
    ExpectDoUndoRedo(
        [&] {
            Command(ID_FP_PLACE_PADSTACK);
            Move(view, 2, 2);
            ASSERT_NE(view->GetFloatingPad(), nullptr);
            Command(ID_EDIT_MOVE_ORIGIN);
            EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_MOVE_ORIGIN);
            EXPECT_EQ(view->GetFloatingPad(), nullptr);
            EXPECT_EQ(g_MainFrame.GetPropertyGrid().GetTitle(), L"Origin properties");
            Click(view, 1, 0);
            EXPECT_EQ(view->GetCurrentTool(), ID_FP_SELECT_PADSTACK);
        },
        "Footprint", "R0805",
        "<Footprint Grid=\"0.05,0.05\">R0805\r\n      <Padstack>RECT1.2X1.4\r\n        <PadLayer "
        "Shape=\"RECT\" Size=\"1.2,1.4\"/>\r\n        <PadLayer Layer=\"SMT\" Shape=\"RECT\" "
        "Size=\"1.3,1.5\"/>\r\n        <Pad Num=\"1\" XY=\"-2,0\"/>\r\n        <Pad "
        "Num=\"2\"/>\r\n      </Padstack>\r\n      <Marking "
        "Layer=\"SST\">L-3,-1,1,-1W0.15 L-3,1,1,1W0.15 "
        "TXT-1,1.5,0,1:R?\xC2\xB6Tahoma</Marking>\r\n      <Marking "
        "Layer=\"OLT\">RC-2.6,-0.9,0.6,0.9W0.05</Marking>\r\n    </Footprint>");
    // The origin typed into its row.
    ExpectDoUndoRedo(
        [&] {
            Command(ID_EDIT_MOVE_ORIGIN);
            CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
            ASSERT_EQ(grid.GetRowCount(), 1);
            grid.BeginEditRow(0);
            PlatformWindow* edit = PlatformWindow::GetFocus();
            ASSERT_NE(edit, nullptr);
            static_cast<EditControl*>(edit)->SetSel(0, -1);
            SimulateTyping(edit, L"0.5,0.5");
            SimulateKey(edit, true, VK_RETURN, L"\r");
            SimulateKey(edit, false, VK_RETURN);
            PumpPendingMessages();
        },
        "Footprint", "R0805",
        "<Footprint Grid=\"0.05,0.05\">R0805\r\n      <Padstack>RECT1.2X1.4\r\n        <PadLayer "
        "Shape=\"RECT\" Size=\"1.2,1.4\"/>\r\n        <PadLayer Layer=\"SMT\" Shape=\"RECT\" "
        "Size=\"1.3,1.5\"/>\r\n        <Pad Num=\"1\" XY=\"-2.5,-0.5\"/>\r\n        <Pad Num=\"2\" "
        "XY=\"-0.5,-0.5\"/>\r\n      </Padstack>\r\n      <Marking "
        "Layer=\"SST\">L-3.5,-1.5,0.5,-1.5W0.15 L-3.5,0.5,0.5,0.5W0.15 "
        "TXT-1.5,1,0,1:R?\xC2\xB6Tahoma</Marking>\r\n      <Marking "
        "Layer=\"OLT\">RC-3.1,-1.4,0.1,0.4W0.05</Marking>\r\n    </Footprint>");
}

// --- Markings ---------------------------------------------------------------------------

TEST_F(FootprintViewTest, EachMarkingToolDrawsOnTheActiveLayer) {
    CFootprintView* view = OpenBuilt({});
    ASSERT_NE(view, nullptr);
    Key('1', MK_SHIFT); // Silkscreen top
    ASSERT_EQ(view->GetFrontLayer(), 22);
    EXPECT_EQ(g_LayerSelector.GetCurSel(), 5);
    struct Step {
        int tool;
        std::vector<PointF> clicks;
    };
    const std::vector<Step> steps = {
        {ID_DRAW_LINE, {{0, 0}, {3, 0}}},
        {ID_DRAW_RECTANGLE, {{0, 1}, {2, 3}}},
        {ID_DRAW_ELLIPSE, {{4, 1}, {6, 2}}},
        {ID_DRAW_ARC, {{-4, -4}, {-2, -2}, {-2, -3}, {-3, -2}}},
        {ID_DRAW_POLYGON, {{0, -5}, {2, -5}, {2, -7}, {0, -5}}}, // closed on its first point
        {ID_DRAW_TEXT, {{5, 5}}},
    };
    const std::vector<std::string> expected = {
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      <Marking "
        "Layer=\"SST\">L0,0,3,0W0.2</Marking>\r\n    </Footprint>",
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      <Marking Layer=\"SST\">L0,0,3,0W0.2 "
        "RC0,1,2,3W0.2</Marking>\r\n    </Footprint>",
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      <Marking Layer=\"SST\">L0,0,3,0W0.2 "
        "RC0,1,2,3W0.2 CIRC4,1,6,2W0.2</Marking>\r\n    </Footprint>",
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      <Marking Layer=\"SST\">L0,0,3,0W0.2 "
        "RC0,1,2,3W0.2 CIRC4,1,6,2W0.2 ARCC-4,-4,-2,-2,-2,-3,-3,-2W0.2</Marking>\r\n    "
        "</Footprint>",
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      <Marking Layer=\"SST\">L0,0,3,0W0.2 "
        "RC0,1,2,3W0.2 CIRC4,1,6,2W0.2 ARCC-4,-4,-2,-2,-2,-3,-3,-2W0.2 POLYC0,-5,2,-5,2,-7W0.2\r\n "
        "     </Marking>\r\n    </Footprint>",
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      <Marking Layer=\"SST\">L0,0,3,0W0.2 "
        "RC0,1,2,3W0.2 CIRC4,1,6,2W0.2 ARCC-4,-4,-2,-2,-2,-3,-3,-2W0.2 POLYC0,-5,2,-5,2,-7W0.2 "
        "TXT5,5,0,1.5:?\xC2\xB6Tahoma\r\n      </Marking>\r\n    </Footprint>"};
    for (const Step& step : steps) {
        ExpectDoUndoRedo(
            [&] {
                Command(step.tool);
                ASSERT_EQ(view->GetCurrentTool(), step.tool);
                for (const PointF& p : step.clicks)
                    Click(view, p.X, p.Y);
                // The new text's row has the keyboard: Esc closes it first.
                if (step.tool == ID_DRAW_TEXT)
                    Key(VK_ESCAPE);
                Key(VK_ESCAPE);
                EXPECT_EQ(view->GetCurrentTool(), ID_FP_SELECT_OBJECT);
                EXPECT_EQ(view->GetCurrentPrimitive(), nullptr);
            },
            "Footprint", "BUILT", expected[&step - &steps[0]]);
    }
    // The curve: press, drag, release; press, drag, release.
    ExpectDoUndoRedo(
        [&] {
            Command(ID_DRAW_CURVE);
            Drag(view, 0, 8, 2, 9);
            Drag(view, 4, 8, 5, 6);
            Key(VK_ESCAPE);
        },
        "Footprint", "BUILT",
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      <Marking Layer=\"SST\">L0,0,3,0W0.2 "
        "RC0,1,2,3W0.2 CIRC4,1,6,2W0.2 ARCC-4,-4,-2,-2,-2,-3,-3,-2W0.2 POLYC0,-5,2,-5,2,-7W0.2 "
        "TXT5,5,0,1.5:?\xC2\xB6Tahoma\r\n      CRV0,8,2,9,5,6,4,8W0.2\r\n      </Marking>\r\n    "
        "</Footprint>");
}

TEST_F(FootprintViewTest, PackageOutlineLayersTakeOneShape) {
    CFootprintView* view = OpenFootprint(L"DIP8");
    ASSERT_NE(view, nullptr);
    Key('9', MK_SHIFT); // Package outline top
    ASSERT_EQ(view->GetFrontLayer(), 30);
    EXPECT_FALSE(g_MainFrame.UIIsEnabled(ID_DRAW_LINE));
    EXPECT_TRUE(g_MainFrame.UIIsEnabled(ID_DRAW_RECTANGLE));
    // A line is refused there without a word.
    Command(ID_DRAW_LINE);
    EXPECT_EQ(view->GetCurrentTool(), ID_FP_SELECT_OBJECT);
    ExpectDoUndoRedo(
        [&] {
            Command(ID_DRAW_RECTANGLE);
            Click(view, -7.62f, 5.08f);
            Click(view, 7.62f, -5.08f);
            EXPECT_EQ(view->GetCurrentTool(), ID_FP_SELECT_OBJECT);
        },
        "Footprint", "DIP8",
        "<Footprint Grid=\"2.54,2.54\">DIP8\r\n      <Padstack>ROUND1.6D0.8\r\n        <PadLayer "
        "Size=\"1.6,1.6\"/>\r\n        <PadLayer Layer=\"BOT\" "
        "Size=\"1.6,1.6\"/>\r\n        <PadLayer Layer=\"INR\" "
        "Size=\"1.4,1.4\"/>\r\n        <Drill Diam=\"0.8\"/>\r\n        <Pad Num=\"1\" "
        "XY=\"-3.81,-3.81\"/>\r\n        <Pad Num=\"2\" XY=\"-1.27,-3.81\"/>\r\n        <Pad "
        "Num=\"3\" XY=\"1.27,-3.81\"/>\r\n        <Pad Num=\"4\" XY=\"3.81,-3.81\"/>\r\n        "
        "<Pad Num=\"5\" XY=\"3.81,3.81\"/>\r\n        <Pad Num=\"6\" XY=\"1.27,3.81\"/>\r\n        "
        "<Pad Num=\"7\" XY=\"-1.27,3.81\"/>\r\n        <Pad Num=\"8\" XY=\"-3.81,3.81\"/>\r\n      "
        "</Padstack>\r\n      <Marking Layer=\"SST\">POLYC-5,-2.5,5,-2.5,5,2.5,-5,2.5W0.2 "
        "ARCC-5.5,-0.5,-4.5,0.5,-5,0.5,-5,-0.5W0.2</Marking>\r\n      <Marking "
        "Layer=\"OLT\">RC-7.62,5.08,7.62,-5.08W0</Marking>\r\n    </Footprint>");
    EXPECT_FALSE(g_MainFrame.UIIsEnabled(ID_DRAW_RECTANGLE));
    EXPECT_FALSE(g_MainFrame.UIIsEnabled(ID_DRAW_POLYGON));
    Command(ID_DRAW_ELLIPSE);
    EXPECT_EQ(view->GetCurrentTool(), ID_FP_SELECT_OBJECT);
    EXPECT_TRUE(ui.messageBoxes.empty());
}

// A width typed into the panel for the primitive under way carries over
// to the next primitive, of this tool or of the next one.
TEST_F(FootprintViewTest, TheNextPrimitiveTakesTheWidthLastGiven) {
    CFootprintView* view = OpenBuilt({});
    ASSERT_NE(view, nullptr);
    Key('1', MK_SHIFT);
    ExpectDoUndoRedo(
        [&] {
            Command(ID_DRAW_LINE);
            CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
            int row = 0;
            while (row < grid.GetRowCount() && grid.GetItem(row)->GetName() != L"Width")
                ++row;
            ASSERT_LT(row, grid.GetRowCount());
            grid.BeginEditRow(row);
            auto* edit = dynamic_cast<EditControl*>(PlatformWindow::GetFocus());
            ASSERT_NE(edit, nullptr);
            edit->SetSel(0, -1);
            SimulateTyping(edit, L"0.5");
            SimulateKey(edit, true, VK_RETURN, L"\r");
            SimulateKey(edit, false, VK_RETURN);
            PumpPendingMessages();
            Click(view, 0, 0);
            Click(view, 3, 0);
            Click(view, 0, -1);
            Click(view, 3, -1);
            Key(VK_ESCAPE);
            Command(ID_DRAW_RECTANGLE);
            Click(view, 0, 1);
            Click(view, 2, 3);
            Key(VK_ESCAPE);
        },
        "Footprint", "BUILT",
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      <Marking Layer=\"SST\">L0,0,3,0W0.5 "
        "L0,-1,3,-1W0.5 RC0,1,2,3W0.5</Marking>\r\n    </Footprint>",
        4); // the first line, its width, the second line, the rectangle
}

// Under Select object a click beside everything of the active layer picks
// a primitive of another layer shown and makes that layer the active one.
TEST_F(FootprintViewTest, AClickOnAnotherLayersPrimitiveBringsItsLayerForward) {
    CFootprintView* view = OpenFootprint(L"R0805");
    ASSERT_NE(view, nullptr);
    Key('1', MK_SHIFT);
    Command(ID_FP_SELECT_OBJECT);
    Click(view, 1.6f, 0); // the package outline's right edge
    EXPECT_EQ(view->GetFrontLayer(), 30);
    EXPECT_EQ(g_LayerSelector.GetCurSel(), 13);
    // A hidden layer is not searched.
    Click(view, 0, -1); // the silkscreen line at the bottom
    EXPECT_EQ(view->GetFrontLayer(), 22);
    Key('1', MK_SHIFT); // hides the silkscreen, still in front
    Click(view, 5, 5);
    Click(view, 0, -1);
    EXPECT_EQ(view->GetFrontLayer(), 22);
}

// Turning selected primitives is one undoable step; turning the floating
// copies of the clipboard is none.
TEST_F(FootprintViewTest, TurningPrimitivesPlacedAndFloating) {
    CFootprintView* view = OpenFootprint(L"R0805");
    ASSERT_NE(view, nullptr);
    Key('1', MK_SHIFT);
    Command(ID_FP_SELECT_OBJECT);
    ExpectDoUndoRedo(
        [&] {
            Click(view, 0, -1);
            Click(view, -1.5f, 1, MK_CONTROL);
            const size_t records = view->GetUndoList().UndoCount();
            Key('R');
            // A record for each of the two, undone together.
            EXPECT_EQ(view->GetUndoList().UndoCount(), records + 2);
        },
        "Footprint", "R0805",
        "<Footprint Grid=\"0.1,0.1\">R805\r\n      <Padstack>RECT1.2X1.4\r\n        <PadLayer "
        "Shape=\"RECT\" Size=\"1.2,1.4\"/>\r\n        <PadLayer Layer=\"SMT\" Shape=\"RECT\" "
        "Size=\"1.3,1.5\"/>\r\n        <Pad Num=\"1\" XY=\"-1,0\"/>\r\n        <Pad Num=\"2\" "
        "XY=\"1,0\"/>\r\n      </Padstack>\r\n      <Marking "
        "Layer=\"SST\">L-3.5,1.5,-3.5,-2.5W0.1 L-1.5,1.5,-1.5,-2.5W0.1 "
        "TXT0,1.5,0,1:R?\xC2\xB6Tahoma</Marking>\r\n      <Marking "
        "Layer=\"OLT\">RC-1.6,-0.9,1.6,0.9W0.1</Marking>\r\n    </Footprint>",
        1, true);
    g_MainFrame.m_tabWindow.SendMessage(WM_COPY);
    ASSERT_TRUE(view->IsPlacing());
    const std::string before = Saved();
    const size_t records = view->GetUndoList().UndoCount();
    Key('R');
    Key('H');
    EXPECT_EQ(view->GetUndoList().UndoCount(), records);
    EXPECT_EQ(Saved(), before);
    Key(VK_ESCAPE);
}

// R typed on the keyboard turns the selected primitives a quarter clockwise,
// Shift+R anticlockwise, about the last press point; a text's angle turns
// with them and stays within a full turn. The floating copies of the
// clipboard turn the same ways.
TEST_F(FootprintViewTest, RAndShiftRTurnPrimitivesOppositeWays) {
    CFootprintView* view = OpenBuilt({}, L"L0,0,2,0W0.2 TXT0,2,300,0.5:A\u00B6Tahoma");
    ASSERT_NE(view, nullptr);
    CMarking* marking = CPadstack::FindMarking(view->GetFootprint(), 22);
    ASSERT_NE(marking, nullptr);
    ASSERT_EQ(marking->m_primitives.size(), 2u);
    CMarkingPrimitive* text = marking->m_primitives[1];
    Key('1', MK_SHIFT);
    Command(ID_FP_SELECT_OBJECT);
    const std::string head = "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        "
                             "<PadLayer Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      "
                             "<Marking Layer=\"SST\">";
    const std::string tail = "\xC2\xB6Tahoma</Marking>\r\n    </Footprint>";
    const struct {
        const char* keys;
        WPARAM mk;
        const char* once;
        const char* twice;
    } cases[] = {
        {"r", 0, "L1,1,1,-1W0.2 TXT3,1,210,0.5:A", "L2,0,0,0W0.2 TXT2,-2,120,0.5:A"},
        {"shift+r", MK_SHIFT, "L1,-1,1,1W0.2 TXT-1,-1,30,0.5:A", "L2,0,0,0W0.2 TXT2,-2,120,0.5:A"},
    };
    // The text pressed at the middle of its box, then the line at (1, 0),
    // the point both turn about (the line passes through it however turned).
    const auto selectBoth = [&] {
        RectF box;
        {
            auto g = view->MakeGraphics();
            ASSERT_TRUE(text->GetBounds(g.get(), &box));
        }
        Click(view, box.X + box.Width / 2, box.Y + box.Height / 2);
        Click(view, 1, 0, MK_CONTROL);
        ASSERT_TRUE(text->m_selected);
        ASSERT_TRUE(marking->m_primitives[0]->m_selected);
    };
    const std::string original = Saved();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        for (const char* expected : {c.once, c.twice}) {
            selectBoth();
            ExpectDoUndoRedo(
                [&] {
                    const size_t records = view->GetUndoList().UndoCount();
                    ServerKey(c.keys, 'R', c.mk,
                              [&] { return view->GetUndoList().UndoCount() > records; });
                },
                "Footprint", "BUILT", head + expected + tail);
        }
        Undo();
        Undo();
        EXPECT_EQ(Saved(), original);
        // Copies follow the pointer and turn about the point it is at.
        Click(view, 1, 0);
        Key('C', MK_CONTROL);
        ASSERT_TRUE(view->IsPlacing());
        Move(view, 1, 0);
        ASSERT_EQ(g_MarkingClipboard.Count(), 1u);
        CMarkingPrimitive* copy = g_MarkingClipboard.Primitives().front();
        const std::wstring before = copy->ToString();
        ServerKey(c.keys, 'R', c.mk, [&] { return copy->ToString() != before; });
        EXPECT_EQ(WideToUtf8(copy->ToString()),
                  std::string(c.once).substr(0, std::string(c.once).find(' ')));
        Key(VK_ESCAPE);
        EXPECT_EQ(Saved(), original);
    }
}

TEST_F(FootprintViewTest, CopiesOfPrimitivesArePlacedByEachClick) {
    CFootprintView* view = OpenFootprint(L"R0805");
    ASSERT_NE(view, nullptr);
    Key('1', MK_SHIFT);
    ExpectDoUndoRedo(
        [&] {
            Command(ID_FP_SELECT_OBJECT);
            Click(view, 0, -1);
            Click(view, -1.5f, 1, MK_CONTROL);
            g_MainFrame.m_tabWindow.SendMessage(WM_COPY);
            EXPECT_TRUE(view->IsPlacing());
            EXPECT_EQ(g_MarkingClipboard.Count(), 2u);
            Move(view, 0, -3);
            Click(view, 0, -3);
            Move(view, 0, -5);
            Click(view, 0, -5);
            EXPECT_EQ(view->GetUndoList().UndoCount(), 4u);
        },
        "Footprint", "R0805",
        "<Footprint Grid=\"0.1,0.1\">R805\r\n      <Padstack>RECT1.2X1.4\r\n        <PadLayer "
        "Shape=\"RECT\" Size=\"1.2,1.4\"/>\r\n        <PadLayer Layer=\"SMT\" Shape=\"RECT\" "
        "Size=\"1.3,1.5\"/>\r\n        <Pad Num=\"1\" XY=\"-1,0\"/>\r\n        <Pad Num=\"2\" "
        "XY=\"1,0\"/>\r\n      </Padstack>\r\n      <Marking "
        "Layer=\"SST\">L-2,-1,2,-1W0.1 L-2,1,2,1W0.1 TXT0,1.5,0,1:R?\xC2\xB6Tahoma "
        "L-0.5,-5,3.5,-5W0.1 L-0.5,-3,3.5,-3W0.1 L-0.5,-7,3.5,-7W0.1\r\n      "
        "L-0.5,-5,3.5,-5W0.1\r\n      </Marking>\r\n      <Marking "
        "Layer=\"OLT\">RC-1.6,-0.9,1.6,0.9W0.1</Marking>\r\n    </Footprint>",
        2, true);
    // Esc ends the placing and empties the clipboard: Paste does nothing.
    Key(VK_ESCAPE);
    EXPECT_TRUE(g_MarkingClipboard.IsEmpty());
}

// A copy follows the pointer from grid point to grid point, as a dragged
// primitive does: it lands on the grid wherever the click is.
TEST_F(FootprintViewTest, CopiesOfPrimitivesSnapToTheGrid) {
    CFootprintView* view = OpenBuilt({});
    ASSERT_NE(view, nullptr);
    Key('1', MK_SHIFT);
    Command(ID_DRAW_RECTANGLE);
    Click(view, 0, 1);
    Click(view, 2, 3);
    Key(VK_ESCAPE);
    ExpectDoUndoRedo(
        [&] {
            Click(view, 1, 3);
            Key('C', MK_CONTROL);
            ASSERT_TRUE(view->IsPlacing());
            Move(view, 3.6f, 2.2f);
            Click(view, 5.3f, 4.4f);
            Key(VK_ESCAPE);
        },
        "Footprint", "BUILT",
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      <Marking Layer=\"SST\">RC0,1,2,3W0.2 "
        "RC4,2,6,4W0.2</Marking>\r\n    </Footprint>");
}

// --- Work under way, zoom and the pointer ----------------------------------------------------

// Undo and Redo wait while a pad follows the pointer, as while a primitive
// is being drawn: the pad would otherwise float outside the footprint.
TEST_F(FootprintViewTest, UndoWaitsWhileAPadFloats) {
    CFootprintView* view = OpenFootprint(L"R0805");
    ASSERT_NE(view, nullptr);
    const std::string before = Saved();
    Click(view, -1, 0);
    Key('R');
    ChoosePadstack(view,
                   static_cast<CPadstack*>(Find(&Library(), NodeType::Padstack, L"FIDUCIAL")));
    Command(ID_FP_PLACE_PADSTACK);
    CPad* floating = view->GetFloatingPad();
    ASSERT_NE(floating, nullptr);
    const size_t steps = view->GetUndoList().UndoCount();
    Undo();
    Redo();
    EXPECT_EQ(view->GetUndoList().UndoCount(), steps);
    EXPECT_EQ(view->GetFloatingPad(), floating);
    Click(view, 3, 3);
    Key(VK_ESCAPE);
    // Back through the drop and the turn.
    Undo();
    Undo();
    Undo();
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(view->GetFloatingPad(), nullptr);
}

// A pad turned under Select Padstack records no pointer of its own: undo
// and redo leave the view without a floating pad, and the next tools work.
TEST_F(FootprintViewTest, UndoOfAPadTransformTouchesNoFloatingPad) {
    CFootprintView* view = OpenFootprint(L"DIP8");
    ASSERT_NE(view, nullptr);
    const std::string before = Saved();
    Drag(view, -5, -5, 5, -2);
    Key('V');
    const std::string turned = Saved();
    EXPECT_NE(turned, before);
    Undo();
    EXPECT_EQ(view->GetFloatingPad(), nullptr);
    EXPECT_EQ(Saved(), before);
    Redo();
    EXPECT_EQ(view->GetFloatingPad(), nullptr);
    EXPECT_EQ(Saved(), turned);
    Undo();
    // A new change drops the redo records with the pads they held.
    Click(view, 3.81f, 3.81f);
    Key(VK_DELETE);
    Undo();
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(view->GetFloatingPad(), nullptr);
}

// Move Origin ends an unfinished primitive too.
TEST_F(FootprintViewTest, MoveOriginEndsAPrimitiveUnderWay) {
    CFootprintView* view = OpenFootprint(L"R0805");
    ASSERT_NE(view, nullptr);
    const std::string before = Saved();
    Key('1', MK_SHIFT);
    Command(ID_DRAW_LINE);
    Click(view, 0, 0);
    Move(view, 1, 1);
    ASSERT_NE(view->GetCurrentPrimitive(), nullptr);
    Command(ID_EDIT_MOVE_ORIGIN);
    EXPECT_EQ(view->GetCurrentPrimitive(), nullptr);
    EXPECT_EQ(Saved(), before);
    Key(VK_ESCAPE);
    EXPECT_EQ(view->GetCurrentTool(), ID_FP_SELECT_PADSTACK);
    EXPECT_EQ(Saved(), before);
}

// Switching from the polygon tool keeps the polygon drawn and leaves no
// empty one behind (which would write a stray blank into the marking).
TEST_F(FootprintViewTest, AnotherToolKeepsThePolygonUnderWay) {
    CFootprintView* view = OpenBuilt({});
    ASSERT_NE(view, nullptr);
    Key('1', MK_SHIFT);
    ExpectDoUndoRedo(
        [&] {
            Command(ID_DRAW_POLYGON);
            Click(view, 0, 0);
            Click(view, 2, 0);
            Move(view, 2, 2);
            Command(ID_FP_SELECT_OBJECT);
            EXPECT_EQ(view->GetCurrentPrimitive(), nullptr);
            EXPECT_EQ(view->GetCurrentTool(), ID_FP_SELECT_OBJECT);
        },
        "Footprint", "BUILT",
        "<Footprint Grid=\"1,1\">BUILT\r\n      <Padstack>P\r\n        <PadLayer "
        "Size=\"0.6,0.6\"/>\r\n      </Padstack>\r\n      <Marking "
        "Layer=\"SST\">POLYC0,0,2,0,2,2W0.2</Marking>\r\n    </Footprint>");
    // An empty polygon leaves nothing at all.
    const std::string before = Saved();
    Command(ID_DRAW_POLYGON);
    Command(ID_FP_SELECT_PADSTACK);
    Command(ID_DRAW_POLYGON);
    Key(VK_ESCAPE);
    EXPECT_EQ(Saved(), before);
}

// The mouse-move memo of the primitive tools is each view's own and starts
// afresh with each tool: the first move to a point reaches the primitive.
// The pointer waits at the line's start while the tool is chosen, so the
// tool's first event is a click away from the last point an earlier use saw,
// and the move back to that point must still reach the line.
TEST_F(FootprintViewTest, EachToolStartsWithoutALastPoint) {
    CFootprintView* first = OpenFootprint(L"DIP8");
    ASSERT_NE(first, nullptr);
    Key('1', MK_SHIFT);
    Command(ID_DRAW_LINE);
    Click(first, 0, 0);
    Move(first, 5.08f, 2.54f);
    Key(VK_ESCAPE);
    for (int round = 0; round < 2; ++round) {
        CFootprintView* view = round == 0 ? first : OpenFootprint(L"R0805");
        ASSERT_NE(view, nullptr);
        if (view->GetFrontLayer() != 22)
            Key('1', MK_SHIFT);
        ASSERT_FALSE(CLibraryEditorView::IsPrimitiveTool(view->GetCurrentTool()));
        Move(view, 0, 0);
        Command(ID_DRAW_LINE);
        ClickInPlace(view, 0, 0);
        Move(view, 5.08f, 2.54f);
        auto* line = dynamic_cast<CMarkingLine*>(view->GetCurrentPrimitive());
        ASSERT_NE(line, nullptr);
        EXPECT_NEAR(line->m_p2.X, 5.08f, 0.05f);
        EXPECT_NEAR(line->m_p2.Y, 2.54f, 0.05f);
        Key(VK_ESCAPE);
        Key(VK_ESCAPE);
    }
}

// Copies are placed only where Paste would put them: not without a layer,
// and on a package-outline layer only as its one outline shape.
TEST_F(FootprintViewTest, PlacingCopiesChecksTheLayerAtEveryClick) {
    CFootprintView* view = OpenFootprint(L"R0805");
    ASSERT_NE(view, nullptr);
    Key('1', MK_SHIFT);
    Command(ID_FP_SELECT_OBJECT);
    Click(view, 0, -1);
    g_MainFrame.m_tabWindow.SendMessage(WM_COPY);
    ASSERT_TRUE(view->IsPlacing());
    const std::string before = Saved();
    Key('0');
    ASSERT_EQ(view->GetFrontLayer(), -1);
    Click(view, 0, -4);
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"No layer selected");
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
    Key('9', MK_SHIFT);
    Click(view, 0, -4);
    ASSERT_EQ(ui.messageBoxes.size(), 2u);
    EXPECT_EQ(ui.messageBoxes[1].text, L"Wrong layer");
    g_MainFrame.m_tabWindow.SendMessage(WM_PASTE);
    EXPECT_EQ(ui.messageBoxes.size(), 3u);
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(Element(Saved(), "Footprint", "R0805").find("Layer=\"\""), std::string::npos);
}

TEST_F(FootprintViewTest, ZoomToFitStopsAtTheSmallestZoom) {
    CFootprintView* view = OpenBuilt({});
    ASSERT_NE(view, nullptr);
    // A package outline far larger than any window at any zoom.
    auto* marking = new CMarking(30);
    auto* outline = new CMarkingRect(marking);
    outline->m_p1 = PointF{-1e9f, -1e9f};
    outline->m_p2 = PointF{1e9f, 1e9f};
    marking->m_primitives.push_back(outline);
    view->GetFootprint()->AddChild(marking);
    view->ZoomAll();
    EXPECT_EQ(view->GetZoomMode(), 0);
    EXPECT_EQ(view->GetZoomFactor(), CVorpelView::kMaxZoomFactor);
    // Without a client area the zoom stays as it is.
    view->SetZoom(8, 1);
    PlatformWindow* parent = view->GetParent();
    const RECT place = parent->GetRectInParent();
    parent->MoveWindow(RECT{place.left, place.top, place.left, place.top});
    view->ZoomAll();
    EXPECT_EQ(view->GetZoomFactor(), 8);
    EXPECT_EQ(view->GetZoomMode(), 1);
    parent->MoveWindow(place);
}

// Zoom All shows the whole drawing where the user sees the view: below the
// tab strip and beside the property panel, open or collapsed, whatever the
// size of the main window; one step further in would not fit. So in the
// footprint, board and symbol editors alike.
TEST_F(FootprintViewTest, ZoomAllShowsTheWholeDrawingBesideThePanel) {
    const std::wstring examples = PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples");
    for (const auto& [name, kind] : {std::pair{L"demo.circuit", kDocumentProject},
                                     std::pair{L"demo.symbol", kDocumentSymbolLibrary}})
        ASSERT_TRUE(g_MainFrame.Open(WriteFile(name, ReadFile(PathJoin(examples, name))), kind));
    auto device = [](Graphics* g, const RectF& b) {
        return WorldRectToDeviceRect(g, b.X, b.Y, b.Width, b.Height);
    };
    // Each editor with its drawing's bounds in its client area.
    const std::pair<CTreeNode*, std::function<RECT(CVorpelView*)>> cases[] = {
        {Find(&Library(), NodeType::Footprint, L"SO14"),
         [&](CVorpelView* v) {
             auto g = static_cast<CFootprintView*>(v)->MakeGraphics();
             RectF b;
             EXPECT_TRUE(
                 static_cast<CFootprintView*>(v)->GetFootprint()->GetBoundsOnBoard(g.get(), b));
             return device(g.get(), b);
         }},
        {Find(&g_MainFrame.GetRoot(kDocumentProject), NodeType::Board, L"Mainboard"),
         [&](CVorpelView* v) {
             auto* view = static_cast<CBoardView*>(v);
             RectF b;
             view->GetBoard()->m_outline->GetOutlinePath()->GetBounds(&b);
             return device(view->MakeGraphics().get(), b);
         }},
        {Find(&g_MainFrame.GetRoot(kDocumentSymbolLibrary), NodeType::Package, L"NAND2"),
         [](CVorpelView* v) {
             auto* view = static_cast<CSymbolView*>(v);
             auto dc = view->MakeDC();
             const RECT b = view->DrawnBounds(dc.get(), view->GetShownPart());
             const POINT a = view->LogicalToClient(POINT{b.left, b.top});
             const POINT z = view->LogicalToClient(POINT{b.right, b.bottom});
             return RECT{std::min(a.x, z.x), std::min(a.y, z.y), std::max(a.x, z.x),
                         std::max(a.y, z.y)};
         }},
    };
    CTabWindow& tabs = g_MainFrame.m_tabWindow;
    auto overlaps = [](const RECT& a, const RECT& b) {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    };
    const RECT start = g_MainFrame.GetWindowRect();
    for (const auto& [node, bounds] : cases) {
        ASSERT_NE(node, nullptr);
        CVorpelView* view = g_MainFrame.OpenNodeView(node);
        ASSERT_NE(view, nullptr);
        PumpPendingMessages();
        // The drawing's bounds as drawn now, on the screen.
        auto drawn = [&, &bounds = bounds] {
            view->UpdateWindow();
            const RECT d = bounds(view);
            const POINT at = view->ClientToScreen(POINT{d.left, d.top});
            return RECT{at.x, at.y, at.x + d.right - d.left, at.y + d.bottom - d.top};
        };
        for (const SIZE frame : {SIZE{1600, 1000}, SIZE{1280, 800}, SIZE{1100, 900},
                                 SIZE{1500, 700}, SIZE{1000, 640}, SIZE{1400, 960}}) {
            g_MainFrame.MoveWindow(RECT{0, 0, frame.cx, frame.cy});
            PumpPendingMessages();
            for (const bool expanded : {true, false}) {
                SCOPED_TRACE(testing::Message()
                             << WideToUtf8(node->GetText()) << ", " << frame.cx << "x" << frame.cy
                             << (expanded ? ", panel open" : ", panel collapsed"));
                if (tabs.m_propertyTab.IsExpanded() != expanded) {
                    SimulateMouse(&tabs.m_propertyTab, WM_LBUTTONDOWN, POINT{100, 5}, MK_LBUTTON);
                    SimulateMouse(&tabs.m_propertyTab, WM_LBUTTONUP, POINT{100, 5});
                }
                PumpPendingMessages();
                ASSERT_EQ(tabs.m_propertyGrid.IsWindowVisible(), expanded);
                // Somewhere else first, so that Zoom All has work to do.
                view->SetZoom(1, 1);
                view->SetScrollOffset(POINT{-5000, 3000});
                Command(ID_VIEW_ZOOM_ALL);
                const RECT shown = drawn();
                const RECT viewRect = view->GetWindowRect();
                const POINT tabsAt = tabs.ClientToScreen(POINT{0, 0});
                const RECT tabsClient = tabs.GetClientRect();
                EXPECT_GE(shown.left, viewRect.left);
                EXPECT_GE(shown.top, viewRect.top);
                EXPECT_LE(shown.right, std::min<int>(viewRect.right, tabsAt.x + tabsClient.right));
                EXPECT_LE(shown.bottom,
                          std::min<int>(viewRect.bottom, tabsAt.y + tabsClient.bottom));
                for (const PlatformWindow* cover :
                     {static_cast<const PlatformWindow*>(&tabs.m_propertyGrid),
                      static_cast<const PlatformWindow*>(&tabs.m_propertyTab)})
                    if (cover->IsWindowVisible()) {
                        EXPECT_FALSE(overlaps(shown, cover->GetWindowRect()))
                            << "under the panel: " << shown.left << "," << shown.top << " - "
                            << shown.right << "," << shown.bottom;
                    }
                // The largest zoom that fits: twice the size would not.
                const int factor = view->GetZoomFactor(), mode = view->GetZoomMode();
                if (mode == 1) {
                    view->SetZoom(factor * 2, 1);
                    const RECT twice = drawn();
                    const RECT visible = view->GetVisibleClientRect();
                    EXPECT_TRUE(twice.right - twice.left > visible.right - visible.left ||
                                twice.bottom - twice.top > visible.bottom - visible.top);
                    view->SetZoom(factor, mode);
                }
            }
        }
    }
    g_MainFrame.MoveWindow(start);
}

// A pad's number is as large on the screen at every zoom: readable, and
// never larger than a few characters of text.
TEST_F(FootprintViewTest, PadNumbersKeepTheirSizeOnTheScreenAtEveryZoom) {
    CFootprintView* view = OpenBuilt({{L"8", PointF{0, 0}}});
    ASSERT_NE(view, nullptr);
    // Without its copper only the number is drawn there (light grey on black).
    CTreeNode* padstack = Find(view->GetFootprint(), NodeType::Padstack, L"P");
    ASSERT_NE(padstack, nullptr);
    CTreeNode* copper = padstack->GetChildren().front();
    copper->RemoveFromParent();
    delete copper;
    for (int step = 0; step < 7; ++step) { // from 1:128 out to 1:1/32
        SCOPED_TRACE(testing::Message() << "zoom " << view->GetZoomScale());
        view->InvalidateRect(nullptr, true);
        PumpPendingMessages();
        auto image = screen_picture::Grab(*view);
        ASSERT_NE(image, nullptr);
        const POINT pad = At(view, 0, 0);
        int left = pad.x + 40, top = pad.y + 40, right = pad.x - 40, bottom = pad.y - 40;
        for (int y = pad.y - 40; y <= pad.y + 40; ++y)
            for (int x = pad.x - 40; x <= pad.x + 40; ++x) {
                const ARGB c = image->PixelAt(x, y);
                const ARGB r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
                if (r == g && g == b && r >= 0x60) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
            }
        EXPECT_TRUE(bottom - top >= 5 && bottom - top <= 14 && right - left <= 12)
            << left << "," << top << " - " << right << "," << bottom;
        Command(ID_VIEW_ZOOM_OUT);
        Command(ID_VIEW_ZOOM_OUT);
    }
}

TEST_F(FootprintViewTest, TheRightButtonLetsGoOfTheMouse) {
    CFootprintView* view = OpenFootprint(L"DIP8");
    ASSERT_NE(view, nullptr);
    RightClick(view, 20, 20);
    EXPECT_EQ(PlatformWindow::GetCapture(), nullptr);
    Command(ID_FP_SELECT_OBJECT);
    RightClick(view, 20, 20);
    EXPECT_EQ(PlatformWindow::GetCapture(), nullptr);
    // A context menu takes the release itself, as the real one does: only
    // the press reaches the view, in either editor.
    auto pressOnly = [](CLibraryEditorView* on) {
        Move(on, 0, 0);
        MouseAt(on, WM_RBUTTONDOWN, At(on, 0, 0), MK_RBUTTON);
        PumpPendingMessages();
        EXPECT_EQ(PlatformWindow::GetCapture(), nullptr);
    };
    for (UINT tool : {ID_FP_SELECT_OBJECT, ID_FP_SELECT_PADSTACK}) {
        Command(tool);
        pressOnly(view);
    }
    CPadstackView* padstack = OpenPadstack(L"ROUND1.6D0.8");
    ASSERT_NE(padstack, nullptr);
    pressOnly(padstack);
}

} // namespace
