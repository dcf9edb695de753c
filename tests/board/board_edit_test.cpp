// Mouse editing of the board-side nodes through the slots the board,
// footprint and padstack views call: press, drag, release, right click and
// delete, each sequence undone and redone back to the same saved file.
#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/board_undo_records.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/node_type.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "core/property_tab.h"
#include "core/undo_node_records.h"
#include "platform/graphics.h"
#include "platform/monitors.h"
#include "platform/popup_menu.h"
#include "schematic/net.h"
#include "schematic/part.h"
#include "tests/board/board_fixture.h"
#include "tests/ui_hooks_recorder.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace {

constexpr uint32_t kLeft = 0x1;
constexpr uint32_t kCtrl = 0x8;
constexpr uint32_t kBoard = 0x80000;
constexpr uint32_t kFootprintEditor = 0x40000;

std::wstring ExamplePath(const wchar_t* name) {
    return Utf8ToWide(VORPEL_SOURCE_DIR) + L"/examples/" + name;
}

CTreeNode* FindNode(CTreeNode* node, const std::function<bool(CTreeNode*)>& match) {
    if (match(node))
        return node;
    for (CTreeNode* child : node->GetChildren())
        if (CTreeNode* found = FindNode(child, match))
            return found;
    return nullptr;
}

class BoardEditTest : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        m_g = std::make_unique<Graphics>(nullptr);
        m_g->SetDpi(96, 96);
        m_view.PrepareGraphics(m_g.get());
        m_view.SetSnap(true);
    }
    void TearDown() override {
        SetPopupMenuHook(nullptr);
        BoardFixture::TearDown();
    }
    void Load(const wchar_t* example) {
        ASSERT_TRUE(CXmlFile(&m_root).Load(ExamplePath(example).c_str()));
        m_before = SaveText(m_root);
    }
    template <class T> T* Find(int type, const std::function<bool(T*)>& match = nullptr) {
        return static_cast<T*>(FindNode(&m_root, [&](CTreeNode* n) {
            return n->GetType() == type && (!match || match(static_cast<T*>(n)));
        }));
    }
    void StartAction() { m_view.undo.SetStartNewGroup(true); }
    // Undoes everything back to the loaded file, redoes everything back to
    // the edited one.
    void ExpectUndoRedoRoundTrip() {
        const std::string after = SaveText(m_root);
        EXPECT_NE(after, m_before);
        while (m_view.undo.CanUndo())
            m_view.undo.Undo();
        EXPECT_EQ(SaveText(m_root), m_before);
        while (m_view.undo.CanRedo())
            m_view.undo.Redo();
        EXPECT_EQ(SaveText(m_root), after);
    }

    CRoot m_root;
    std::string m_before;
    std::unique_ptr<Graphics> m_g;
};

// --- Footprints ---------------------------------------------------------------

TEST_F(BoardEditTest, FootprintPressDragReleaseRecordsOneMoveAndUndoes) {
    Load(L"demo.circuit");
    auto* fp = Find<CFootprint>(NodeType::Footprint);
    ASSERT_NE(fp, nullptr);
    m_view.SetGrid(0.5f, 0.5f);
    StartAction();
    fp->MouseDownOnBoard(m_g.get(), kLeft | kBoard, 13.5f, 12);
    EXPECT_TRUE(fp->IsSelected());
    // Less than half a grid step: nothing moves, nothing is recorded.
    EXPECT_EQ(fp->DragOnBoard(m_g.get(), kLeft | kBoard, 13.7f, 12), 0);
    EXPECT_EQ(m_view.undo.UndoCount(), 0u);
    EXPECT_EQ(fp->DragOnBoard(m_g.get(), kLeft | kBoard, 14.1f, 12), 1);
    EXPECT_EQ(fp->DragOnBoard(m_g.get(), kLeft | kBoard, 15.1f, 13.1f), 1);
    EXPECT_EQ(m_view.undo.UndoCount(), 1u);
    EXPECT_FLOAT_EQ(fp->m_boardPosition.X, 14.0f);
    EXPECT_FLOAT_EQ(fp->m_boardPosition.Y, 13.0f);
    fp->MouseUpOnBoard(m_g.get(), kBoard, 40, 40);
    EXPECT_TRUE(fp->IsSelected()); // it was dragged
    fp->SetSelected(false);
    ExpectUndoRedoRoundTrip();
}

TEST_F(BoardEditTest, FixedFootprintIgnoresTheDrag) {
    Load(L"demo.circuit");
    auto* fp = Find<CFootprint>(NodeType::Footprint);
    fp->m_fixed = true;
    fp->MouseDownOnBoard(m_g.get(), kLeft | kBoard, 13.5f, 12);
    EXPECT_EQ(fp->DragOnBoard(m_g.get(), kLeft | kBoard, 20, 20), 0);
    EXPECT_EQ(m_view.undo.UndoCount(), 0u);
}

TEST_F(BoardEditTest, FootprintSelectionTogglesAndReleaseOutsideDeselects) {
    Load(L"demo.circuit");
    auto* fp = Find<CFootprint>(NodeType::Footprint);
    fp->MouseDownOnBoard(m_g.get(), kLeft | kBoard, 13.5f, 12);
    fp->MouseUpOnBoard(m_g.get(), kBoard, 13.5f, 12);
    EXPECT_TRUE(fp->IsSelected());
    fp->MouseDownOnBoard(m_g.get(), kLeft | kCtrl | kBoard, 50, 30); // Ctrl on empty space
    EXPECT_TRUE(fp->IsSelected());
    fp->MouseDownOnBoard(m_g.get(), kLeft | kCtrl | kBoard, 13.5f, 12);
    EXPECT_FALSE(fp->IsSelected());
    fp->MouseDownOnBoard(m_g.get(), kLeft | kBoard, 13.5f, 12);
    fp->MouseUpOnBoard(m_g.get(), kBoard, 50, 30);
    EXPECT_FALSE(fp->IsSelected());
}

// Deselecting a footprint clears exactly what selecting it selected: the
// package, its placed parts and their pins.
TEST_F(BoardEditTest, FootprintDeselectClearsThePinsItSelected) {
    Load(L"demo.circuit");
    auto* fp = Find<CFootprint>(NodeType::Footprint);
    CTreeNode* package = fp->GetParent();
    CPart* part = nullptr;
    for (CTreeNode* c : package->GetChildren())
        if (c->GetType() == NodeType::Part)
            part = static_cast<CPart*>(c);
    ASSERT_NE(part, nullptr);
    ASSERT_NE(part->m_pSheet, nullptr);
    fp->MouseDownOnBoard(m_g.get(), kLeft | kBoard, 13.5f, 12);
    EXPECT_TRUE(package->IsSelected());
    EXPECT_TRUE(part->IsSelected());
    ASSERT_FALSE(part->GetChildren().empty());
    EXPECT_TRUE(part->GetChild(0)->IsSelected());
    fp->MouseUpOnBoard(m_g.get(), kBoard, 50, 30);
    EXPECT_FALSE(package->IsSelected());
    EXPECT_FALSE(part->IsSelected());
    for (CTreeNode* pin : part->GetChildren())
        EXPECT_FALSE(pin->IsSelected());
}

// --- Pads and padstacks ------------------------------------------------------------

TEST_F(BoardEditTest, PadDragInTheFootprintEditorAndDeleteWithItsPadstack) {
    Load(L"demo.circuit");
    auto* fp = Find<CFootprint>(NodeType::Footprint);
    auto* ps = static_cast<CPadstack*>(fp->GetChild(0));
    auto* pad = static_cast<CPad*>(ps->GetChild(1)); // pad 1 at (-1, 0)
    ASSERT_EQ(pad->m_num, L"1");
    m_view.SetGrid(0.5f, 0.5f);
    StartAction();
    ps->MouseDownOnBoard(m_g.get(), kLeft | kFootprintEditor, -1, 0);
    EXPECT_TRUE(pad->IsSelected());
    EXPECT_FALSE(static_cast<CPad*>(ps->GetChild(2))->IsSelected());
    EXPECT_EQ(ps->DragOnBoard(m_g.get(), kLeft | kFootprintEditor, -1, 1), 1);
    EXPECT_FLOAT_EQ(pad->m_boardPosition.Y, 1.0f);
    ps->MouseUpOnBoard(m_g.get(), kFootprintEditor, -1, 1);
    EXPECT_TRUE(pad->IsSelected());
    // Delete both pads: the padstack goes with its last pad.
    StartAction();
    static_cast<CPad*>(ps->GetChild(2))->SetSelected(true);
    EXPECT_EQ(ps->DeleteOnBoard(m_g.get(), kFootprintEditor), 1);
    EXPECT_EQ(fp->GetChildCount(), 1u); // the marking is left
    ExpectUndoRedoRoundTrip();
}

TEST_F(BoardEditTest, PadstackRightClickSelectsThePadsUnderThePoint) {
    Load(L"demo.circuit");
    auto* ps = static_cast<CPadstack*>(Find<CFootprint>(NodeType::Footprint)->GetChild(0));
    EXPECT_EQ(ps->RightClickOnBoard(m_g.get(), 0, 1, 0), 0);
    EXPECT_FALSE(ps->GetChild(1)->IsSelected());
    EXPECT_TRUE(ps->GetChild(2)->IsSelected());
}

// --- Markings -------------------------------------------------------------------------

TEST_F(BoardEditTest, MarkingPrimitivesPressDragReleaseAndDelete) {
    Load(L"demo.circuit");
    auto* marking = Find<CMarking>(NodeType::Marking);
    ASSERT_EQ(marking->m_primitives.size(), 2u); // two lines at y = -1 and y = 1
    m_view.SetGrid(0.5f, 0.5f);
    StartAction();
    marking->MouseDownOnBoard(m_g.get(), kLeft | kFootprintEditor, 0, -2);
    EXPECT_TRUE(marking->m_primitives[0]->m_selected);
    EXPECT_FALSE(marking->m_primitives[1]->m_selected);
    EXPECT_EQ(marking->DragOnBoard(m_g.get(), kLeft | kFootprintEditor, 0.1f, -3.1f), 1);
    marking->MouseUpOnBoard(m_g.get(), kFootprintEditor, 0, -3);
    EXPECT_TRUE(marking->HasSelectedPrimitive());
    EXPECT_EQ(marking->DeleteOnBoard(m_g.get(), kFootprintEditor), 0); // one is left
    EXPECT_EQ(marking->m_primitives.size(), 1u);
    // Deleting the last primitive deletes the marking too.
    StartAction();
    marking->m_primitives[0]->m_selected = true;
    CTreeNode* parent = marking->GetParent();
    const size_t children = parent->GetChildCount();
    EXPECT_EQ(marking->DeleteOnBoard(m_g.get(), kFootprintEditor), 1);
    EXPECT_EQ(parent->GetChildCount(), children - 1);
    ExpectUndoRedoRoundTrip();
}

// --- Outlines ---------------------------------------------------------------------------

class OutlineEditTest : public BoardEditTest {
protected:
    void SetUp() override {
        BoardEditTest::SetUp();
        Load(L"demo.circuit");
        m_area = Find<CArea>(NodeType::Area);
        ASSERT_NE(m_area, nullptr); // LIN1,1 LIN59,1 LIN59,39 LIN1,39
        m_view.SetGrid(1, 1);
    }
    CAreaNode* Node(int i) {
        CAreaNode* n = m_area->m_outline;
        while (i-- > 0)
            n = n->m_next;
        return n;
    }
    CArea* m_area = nullptr;
};

TEST_F(OutlineEditTest, DraggingASelectedSegmentMovesBothEnds) {
    StartAction();
    m_area->MouseDownOnBoard(m_g.get(), kLeft | kBoard, 30, 1); // on the bottom edge
    EXPECT_TRUE(Node(0)->m_selectedNode);
    EXPECT_FALSE(Node(1)->m_selectedNode);
    EXPECT_TRUE(m_area->IsSelected());
    m_area->DragOnBoard(m_g.get(), kLeft | kBoard, 30, 1.3f); // snaps back
    EXPECT_FLOAT_EQ(Node(0)->m_y, 1);
    m_area->DragOnBoard(m_g.get(), kLeft | kBoard, 30, 3);
    EXPECT_FLOAT_EQ(Node(0)->m_y, 3);
    EXPECT_FLOAT_EQ(Node(1)->m_y, 3);
    m_area->MouseUpOnBoard(m_g.get(), kBoard, 30, 3);
    EXPECT_TRUE(Node(0)->m_selectedNode);
    ExpectUndoRedoRoundTrip();
}

// Dragging the vertex at the end of a curve by its handle moves that vertex
// alone: the curve's start and control points stay where they were.
TEST_F(OutlineEditTest, DraggingTheVertexAfterACurveLeavesTheCurve) {
    // LIN40,2 LIN55,2 ARC55,12,-2.5 CRV40,12,35,10,35,4: the curve ends at
    // the head's point.
    auto* area = Find<CArea>(NodeType::Area, [](CArea* a) { return a->m_layer == 0; });
    ASSERT_NE(area, nullptr);
    StartAction();
    area->MouseDownOnBoard(m_g.get(), kLeft | kBoard, 40, 2);
    CAreaNode* curve = nullptr;
    for (CAreaNode* n = area->m_outline; n; n = n->m_next)
        if (n->GetKind() == AREA_BEZIER)
            curve = n;
    ASSERT_NE(curve, nullptr);
    ASSERT_TRUE(curve->m_selectedNode) << "the press lies on the curve's end too";
    ASSERT_EQ(area->m_outline->m_grabbed, &area->m_outline->m_x);
    area->DragOnBoard(m_g.get(), kLeft | kBoard, 42, 3);
    area->MouseUpOnBoard(m_g.get(), kBoard, 42, 3);
    const std::string saved = SaveText(m_root);
    const std::string expected = "LIN42,3 LIN55,2 ARC55,12,-2.5 CRV40,12,35,10,35,4</Area>";
    EXPECT_NE(saved.find(expected), std::string::npos) << saved;
    // Read back, the outline is the one in memory.
    CRoot reread;
    ASSERT_TRUE(LoadText(reread, saved));
    EXPECT_EQ(SaveText(reread), saved);
    ExpectUndoRedoRoundTrip();
}

TEST_F(OutlineEditTest, ContextMenuAddsAVertexChangesKindAndDeletes) {
    std::vector<UINT> answers = {32871, 32874};
    std::vector<bool> bezierOffered;
    SetPopupMenuHook([&](const PopupMenu& menu, POINT) -> UINT {
        bezierOffered.push_back(menu.FindItem(32875) != nullptr);
        const UINT answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    StartAction();
    EXPECT_EQ(m_area->RightClickOnBoard(m_g.get(), kBoard, 30, 1), 1); // Add Vertex
    ASSERT_EQ(CountAreaNodes(m_area->m_outline), 5);
    EXPECT_FLOAT_EQ(Node(1)->m_x, 30);
    EXPECT_EQ(m_area->RightClickOnBoard(m_g.get(), kBoard, 45, 1), 1); // to an arc
    EXPECT_EQ(Node(1)->GetKind(), AREA_ARC);
    EXPECT_FLOAT_EQ(static_cast<CAreaArc*>(Node(1))->m_deviation, 2.9f);
    EXPECT_EQ(bezierOffered, (std::vector<bool>{true, true}));
    // Delete the old corner after the arc (the head is left alone).
    CAreaNode* corner = Node(2);
    for (CAreaNode* n = m_area->m_outline; n; n = n->m_next)
        n->m_selectedNode = n == corner;
    CAreaNode* head = m_area->m_outline;
    corner->Delete(m_area->m_outline);
    EXPECT_EQ(m_area->m_outline, head);
    EXPECT_EQ(CountAreaNodes(m_area->m_outline), 4);
    ExpectUndoRedoRoundTrip();
}

TEST_F(OutlineEditTest, DeletingTheHeadMovesItAndTwoNodesAreKept) {
    ScopedUiHooksRecorder ui;
    Node(0)->m_selectedNode = 1;
    CAreaNode* second = Node(1);
    StartAction();
    Node(0)->Delete(m_area->m_outline);
    EXPECT_EQ(m_area->m_outline, second);
    Node(0)->m_selectedNode = 1;
    StartAction();
    Node(0)->Delete(m_area->m_outline);
    ASSERT_EQ(CountAreaNodes(m_area->m_outline), 2);
    Node(0)->m_selectedNode = 1;
    Node(0)->Delete(m_area->m_outline);
    EXPECT_EQ(CountAreaNodes(m_area->m_outline), 2);
    ASSERT_FALSE(ui.messageBoxes.empty());
    EXPECT_EQ(ui.messageBoxes.back().text, L"Unable to delete last element");
    ExpectUndoRedoRoundTrip();
}

// Editing "Point 2" moves the next node; undo must give it back.
TEST_F(OutlineEditTest, PanelEditOfPoint2IsUndoneOnTheNextNode) {
    CPropertyGrid grid;
    CPropertyTab tab;
    grid.SetTab(&tab);
    SetPropertyGrid(&grid);
    grid.ShowProperties(Node(0));
    ASSERT_EQ(grid.GetRowCount(), 2);
    EXPECT_EQ(grid.GetItem(1)->GetName(), L"Point 2");
    auto* edit = dynamic_cast<CPropertyEdit*>(grid.GetItem(1));
    ASSERT_NE(edit, nullptr);
    edit->SetText(L"58,2");
    grid.ApplyRow(1);
    EXPECT_FLOAT_EQ(Node(1)->m_x, 58);
    EXPECT_FLOAT_EQ(Node(1)->m_y, 2);
    ExpectUndoRedoRoundTrip();
    SetPropertyGrid(nullptr);
}

// The other outline owners of the footprint library: a custom pad layer, a
// custom drill and a thermal relief.
struct OwnerCase {
    const char* name;
    const wchar_t* padstack;
    int type;  // node type of the owner
    int layer; // pad layer: its layer; else -1
    float edgeY;
};

class OutlineOwnerTest : public BoardEditTest, public ::testing::WithParamInterface<OwnerCase> {};

TEST_P(OutlineOwnerTest, PressDragReleaseDeleteAndUndo) {
    Load(L"demo.footprint");
    const OwnerCase& c = GetParam();
    auto* ps = Find<CPadstack>(NodeType::Padstack,
                               [&](CPadstack* p) { return p->GetName() == c.padstack; });
    ASSERT_NE(ps, nullptr);
    CTreeNode* owner = FindNode(ps, [&](CTreeNode* n) {
        return n->GetType() == c.type &&
               (c.layer < 0 || static_cast<CPadLayer*>(n)->m_layer == c.layer);
    });
    ASSERT_NE(owner, nullptr);
    m_view.SetZoom(8, 1);
    m_g = std::make_unique<Graphics>(nullptr);
    m_g->SetDpi(96, 96);
    m_view.PrepareGraphics(m_g.get());
    m_view.SetGrid(0.1f, 0.1f);
    const uint32_t flags = 0x20000;
    owner->MouseDownOnBoard(m_g.get(), flags | kLeft, 0, c.edgeY);
    EXPECT_TRUE(m_view.undo.GetStartNewGroup());
    EXPECT_EQ(owner->DragOnBoard(m_g.get(), flags | kLeft, 0, c.edgeY - 0.5f), 1);
    owner->MouseUpOnBoard(m_g.get(), flags, 0, c.edgeY - 0.5f);
    EXPECT_EQ(owner->DeleteOnBoard(m_g.get(), flags), 1);
    ExpectUndoRedoRoundTrip();
}

INSTANTIATE_TEST_SUITE_P(
    Owners, OutlineOwnerTest,
    ::testing::Values(OwnerCase{"CustomPadLayer", L"CUSTOM2", NodeType::PadLayer, 1, -1},
                      OwnerCase{"CustomDrill", L"CUSTOM2", NodeType::Drill, -1, -0.3f},
                      OwnerCase{"ThermalRelief", L"ROUND1.6D0.8", NodeType::ThermalRelief, -1, -1}),
    [](const auto& info) { return std::string(info.param.name); });

// Popup menus open at x unless the point is off every monitor; then x is
// kept on the work area of the nearest monitor.
TEST(PopupPosition, ClampsXToTheNearestMonitorsWorkArea) {
    // Two monitors side by side; the first has a panel along its bottom,
    // the second (shorter) one along its left edge.
    SetMonitorsHook([] {
        return std::vector<MonitorInfo>{{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
                                        {{1920, 0, 3200, 1024}, {1980, 0, 3200, 1024}}};
    });
    struct Case {
        int x, y, expected;
    };
    const Case cases[] = {
        {100, 500, 100},    // on a monitor
        {10, 1060, 10},     // on a monitor, in its panel
        {1930, 500, 1930},  // on the second monitor, in its panel
        {-50, 500, 0},      // left of everything
        {-50, -400, 0},     // above and left
        {4000, 500, 3200},  // right of everything
        {1950, 1050, 1980}, // below the second monitor, nearer it than the first
        {1000, 1500, 1000}, // below the first, within its work area's x
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampXToWorkArea(c.x, c.y), c.expected) << c.x << "," << c.y;
    SetMonitorsHook([] { return std::vector<MonitorInfo>{}; });
    EXPECT_EQ(ClampXToWorkArea(-50, 500), -50) << "no monitor to keep it on";
    // The platform's own screens: left of them all comes to a left edge.
    SetMonitorsHook(nullptr);
    const std::vector<MonitorInfo> screens = GetMonitors();
    ASSERT_FALSE(screens.empty());
    int leftmost = screens[0].monitor.left;
    for (const MonitorInfo& m : screens)
        leftmost = std::min(leftmost, m.monitor.left);
    const int x = ClampXToWorkArea(leftmost - 100, screens[0].monitor.top);
    EXPECT_GE(x, leftmost);
    EXPECT_TRUE(std::any_of(screens.begin(), screens.end(),
                            [&](const MonitorInfo& m) { return m.work.left == x; }));
}

TEST(AreaNodeKind, ChangingASegmentGivesTheDocumentedArcAndCurve) {
    CAreaNode* head = ParseAreaOutline(L"LIN0,0 LIN10,0 LIN10,10", nullptr);
    head->ChangeKind(head, AREA_ARC);
    EXPECT_EQ(head->GetKind(), AREA_ARC);
    EXPECT_FLOAT_EQ(static_cast<CAreaArc*>(head)->m_deviation, 1.0f);
    head->ChangeKind(head, AREA_BEZIER);
    auto* curve = static_cast<CAreaBezier*>(head);
    EXPECT_FLOAT_EQ(curve->m_c1x, 2);
    EXPECT_FLOAT_EQ(curve->m_c2x, 8);
    EXPECT_EQ(CountAreaNodes(head), 3);
    DiscardOrphanUndoRecords();
    DeleteAreaOutline(head);
}

// --- Conductor clean-up ----------------------------------------------------------------------

TEST_F(BoardEditTest, RedundantVerticesGoUnlessAJunctionHoldsThem) {
    for (bool junction : {false, true}) {
        CBoard board;
        auto* net = board.AddChild(new CNet(L"N1"));
        auto* c = static_cast<CConductor*>(net->AddChild(new CConductor));
        c->m_layer = 0;
        c->m_width = 0.3f;
        c->m_vertices = {{0, 0, 0.5f, {}}, {0, 0.0005f, 0, {}}, {5, 0, 0, {}}, {10, 0, 0, {}}};
        if (junction) {
            auto* other = static_cast<CConductor*>(net->AddChild(new CConductor));
            other->m_layer = 0;
            other->m_vertices = {{5, 0, 0, {}}, {5, 5, 0, {}}};
        }
        c->RemoveRedundantVertices(m_g.get());
        ASSERT_EQ(c->m_vertices.size(), junction ? 3u : 2u);
        EXPECT_FLOAT_EQ(c->m_vertices[0].corner, 0.5f); // carried forward
        EXPECT_FLOAT_EQ(c->m_vertices.back().x, 10);
        m_view.undo.Clear();
    }
}

} // namespace
