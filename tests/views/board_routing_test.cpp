// Routing and editing conductors in the board editor, and the design-rule
// marks, driven as a user drives them and checked in the saved project.
#include "board/conductor.h"
#include "board/pad.h"
#include "dialogs/cond_width.h"
#include "platform/dialog.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"
#include "schematic/net.h"
#include "tests/random_seed.h"
#include "tests/views/board_view_fixture.h"

#include <array>
#include <random>
#include <regex>

namespace {

// A 60 x 40 board on a 1 mm grid: R1 on top at (10,10) with pad 1 of net A
// at (9,10) and pad 2 of net B at (11,10); R2 on top at (30,13) with pad 1
// of net A at (29,13) and pad 2 of net B at (31,13). Net A has a track on
// top from (40,20) to (50,20) to (50,30); net B one on top from (40,5) to
// (50,5); net C one from (46,15) to (48,15). No design-rule node yet.
const char* kRouting = R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project>
  <Board Grid="1,1" Outline="LIN0,0 LIN60,0 LIN60,40 LIN0,40" Unit="1">B
    <Layer>TOP</Layer>
    <Layer>BOT</Layer>
    <Package>
      <Pin NetName="A" Num="1"/>
      <Pin NetName="B" Num="2"/>
      <Footprint XY="10,10">R0805
        <Padstack>PAD
          <PadLayer Shape="RECT" Size="1.2,1.4"/>
          <Pad Num="1" XY="-1,0"/>
          <Pad Num="2" XY="1,0"/>
        </Padstack>
      </Footprint>
    </Package>
    <Package>
      <Pin NetName="A" Num="1"/>
      <Pin NetName="B" Num="2"/>
      <Footprint XY="30,13">R0805
        <Padstack>PAD
          <PadLayer Shape="RECT" Size="1.2,1.4"/>
          <Pad Num="1" XY="-1,0"/>
          <Pad Num="2" XY="1,0"/>
        </Padstack>
      </Footprint>
    </Package>
    <Net>A
      <Conductor Layer="TOP" Width="0.25">40.000,20.000 50.000,20.000 50.000,30.000</Conductor>
    </Net>
    <Net>B
      <Conductor Layer="TOP" Width="0.3">40.000,5.000 50.000,5.000</Conductor>
    </Net>
    <Net>C
      <Conductor Layer="TOP" Width="0.25">46.000,15.000 48.000,15.000</Conductor>
    </Net>
  </Board>
</Project>
)";

class BoardRoutingTest : public BoardViewTest {
protected:
    void SetUp() override {
        BoardViewTest::SetUp();
        OpenText(kRouting);
    }
    void Tool(int id) {
        view->SelectTool(id);
        PumpPendingMessages();
    }
    // A press and release, then the move that settles the press.
    void Tap(PointF p) {
        Click(p);
        Move(p);
    }
    // The vertex lists of the saved conductors, in file order.
    std::vector<std::string> Tracks() {
        std::vector<std::string> out;
        const std::string s = Saved();
        std::regex re("<Conductor[^>]*>([^<]*)</Conductor>");
        for (auto it = std::sregex_iterator(s.begin(), s.end(), re); it != std::sregex_iterator();
             ++it)
            out.push_back((*it)[1]);
        return out;
    }
    CNet* Net(const wchar_t* name) { return board->FindNet(name); }
    // Every undo group taken back gives the original bytes; as many redos
    // give after again.
    void ExpectUndoAllRedoAll(const std::string& after) {
        EXPECT_NE(after, original);
        int groups = 0;
        while (view->GetUndoList().CanUndo() && groups < 1000) {
            Undo();
            ++groups;
        }
        EXPECT_EQ(Saved(), original);
        for (int i = 0; i < groups; ++i)
            Redo();
        EXPECT_EQ(Saved(), after);
    }
    CConductor* Track(const wchar_t* net, int n) {
        for (CTreeNode* c : Net(net)->GetChildren())
            if (c->GetType() == NodeType::Conductor && n-- == 0)
                return static_cast<CConductor*>(c);
        return nullptr;
    }
};

TEST_F(BoardRoutingTest, RouteFromPadToPadWithALegAndADiagonal) {
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{9, 10});
    ASSERT_TRUE(view->IsRouting());
    Move(PointF{19, 13});
    // 10 right and 3 up: a 7 mm leg and a 3 mm diagonal.
    CConductor* c = Track(L"A", 1);
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->m_vertices.size(), 3u);
    EXPECT_NEAR(c->m_vertices[1].x, 16, 1e-4);
    EXPECT_NEAR(c->m_vertices[1].y, 10, 1e-4);
    Move(PointF{29, 13});
    Click(PointF{29, 13});
    EXPECT_FALSE(view->IsRouting());
    const auto tracks = Tracks();
    ASSERT_EQ(tracks.size(), 4u);
    EXPECT_NE(tracks[1].find("9.000,10.000"), std::string::npos) << tracks[1];
    EXPECT_NE(tracks[1].find("26.000,10.000"), std::string::npos) << tracks[1];
    EXPECT_NE(tracks[1].find("29.000,13.000"), std::string::npos) << tracks[1];
    // Both ends are tied to their pads.
    EXPECT_TRUE(c->m_vertices.front().tie.IsPad());
    EXPECT_TRUE(c->m_vertices.back().tie.IsPad());
    ExpectUndoAllRedoAll(Saved());
}

TEST_F(BoardRoutingTest, LayerChangePlacesTheDefaultViaMadeWhenMissing) {
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{9, 10});
    Move(PointF{15, 10});
    Key('V');
    ASSERT_TRUE(view->IsRouting());
    EXPECT_EQ(view->GetFrontLayer(), 1);
    EXPECT_TRUE(view->IsLayerVisible(1));
    Move(PointF{15, 20});
    Key(VK_ESCAPE);
    const std::string after = Saved();
    EXPECT_NE(after.find("Via 1"), std::string::npos);
    EXPECT_NE(after.find("Layer=\"BOT\""), std::string::npos);
    ExpectUndoAllRedoAll(after);
}

TEST_F(BoardRoutingTest, WidthChangeStartsATrackOfTheNewWidth) {
    ScopedModalDialogHook hook([](PlatformDialog& dialog) {
        auto* d = dynamic_cast<CCondWidth*>(&dialog);
        ASSERT_NE(d, nullptr);
        dialog.SetDlgItemText(CCondWidth::kWidth, L"0.5");
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{9, 10});
    Move(PointF{15, 10});
    Key('W');
    Move(PointF{15, 20});
    Key(VK_ESCAPE);
    const std::string after = Saved();
    EXPECT_NE(after.find("Width=\"0.5\""), std::string::npos) << after;
    ExpectUndoAllRedoAll(after);
}

TEST_F(BoardRoutingTest, EndingOnATrackEndMergesAndOnASegmentSplits) {
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{9, 10});
    Move(PointF{40, 20});
    Click(PointF{40, 20});
    EXPECT_FALSE(view->IsRouting());
    auto tracks = Tracks();
    // The routed track runs on through the hit end to the other end.
    ASSERT_EQ(tracks.size(), 3u);
    EXPECT_NE(tracks[0].find("50.000,30.000"), std::string::npos) << tracks[0];
    EXPECT_NE(tracks[0].find("9.000,10.000"), std::string::npos) << tracks[0];
    ExpectUndoAllRedoAll(Saved());
}

TEST_F(BoardRoutingTest, EditMenuDeletesSegmentsBreaksAndDeletesTracks) {
    Tool(ID_BRD_ROUTE_EDIT);
    // Delete the first segment of A's track.
    menuAnswers.push_back(33061);
    RightPress(PointF{45, 20});
    auto tracks = Tracks();
    ASSERT_EQ(tracks.size(), 3u);
    EXPECT_EQ(tracks[0], "50.000,20.000 50.000,30.000");
    ExpectUndoAllRedoAll(Saved());
    Undo();
    // Break: a fixed vertex that a redundant-vertex clean-up keeps.
    menuAnswers.push_back(33144);
    RightPress(PointF{45, 20});
    CConductor* c = Track(L"A", 0);
    ASSERT_EQ(c->m_vertices.size(), 4u);
    EXPECT_TRUE(c->m_vertices[1].tie.IsBreakPoint());
    auto g = view->MakeGraphics();
    c->RemoveRedundantVertices(g.get());
    EXPECT_EQ(c->m_vertices.size(), 4u);
    const std::string broken = Saved();
    Undo();
    Undo();
    EXPECT_EQ(Saved(), original);
    Redo();
    Redo();
    EXPECT_EQ(Saved(), broken);
}

TEST_F(BoardRoutingTest, DeletingAnInnerSegmentSplitsTheTrack) {
    // Break A's long segment at (45,20), then delete the piece (45,20)-(50,20).
    Tool(ID_BRD_ROUTE_EDIT);
    menuAnswers.push_back(33144);
    RightPress(PointF{45, 20});
    menuAnswers.push_back(33061);
    RightPress(PointF{48, 20});
    const auto tracks = Tracks();
    ASSERT_EQ(tracks.size(), 4u);
    EXPECT_EQ(tracks[0], "40.000,20.000 45.000,20.000");
    EXPECT_EQ(tracks[1], "50.000,20.000 50.000,30.000");
    ExpectUndoAllRedoAll(Saved());
}

TEST_F(BoardRoutingTest, ViaDragsItsTrackEndsAndSuperfluousViasGo) {
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{9, 10});
    Move(PointF{15, 10});
    Key('V');
    Move(PointF{15, 20});
    Click(PointF{15, 20});
    Key(VK_ESCAPE);
    // Top: 9,10 - 15,10 tied to the via at (15,10); bottom from the via.
    CConductor* top = Track(L"A", 1);
    CConductor* bottom = Track(L"A", 2);
    ASSERT_NE(bottom, nullptr);
    ASSERT_TRUE(top->m_vertices.back().tie.IsPad());
    CPad* via = top->m_vertices.back().tie.GetPad();
    EXPECT_EQ(bottom->m_vertices.front().tie.GetPad(), via);
    const std::string routed = Saved();
    // Dragging the via takes both attached ends along.
    Tool(ID_BRD_ROUTE_EDIT);
    Drag(PointF{15, 10}, PointF{15, 12});
    EXPECT_FLOAT_EQ(via->m_boardPosition.Y, 12);
    EXPECT_FLOAT_EQ(top->m_vertices.back().y, 12);
    EXPECT_FLOAT_EQ(bottom->m_vertices.front().y, 12);
    Undo();
    EXPECT_EQ(Saved(), routed);
    // Deleting the bottom track leaves the via with one layer: it goes.
    menuAnswers.push_back(33108);
    RightPress(PointF{15, 15});
    const std::string after = Saved();
    EXPECT_EQ(after.find("<Pad/>"), std::string::npos) << after;
    EXPECT_EQ(Tracks().size(), 4u);
    ExpectUndoAllRedoAll(after);
}

TEST_F(BoardRoutingTest, EndingOnASegmentOnAnotherLayerSplitsItWithAVia) {
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{9, 10});
    Move(PointF{12, 10});
    Key('V');
    Move(PointF{45, 20});
    Click(PointF{45, 20});
    EXPECT_FALSE(view->IsRouting());
    // A's track is cut where the route met it and a new one takes its rest
    // from there; a via joins the three ends.
    ASSERT_EQ(Tracks().size(), 6u);
    CConductor* cut = Track(L"A", 0);
    CConductor* rest = Track(L"A", 3);
    CConductor* routed = Track(L"A", 2);
    ASSERT_EQ(cut->m_vertices.size(), 2u);
    ASSERT_EQ(rest->m_vertices.size(), 3u);
    EXPECT_NEAR(cut->m_vertices[1].x, 45, 0.1);
    EXPECT_EQ(cut->m_vertices[1].x, rest->m_vertices[0].x);
    EXPECT_EQ(rest->m_layer, 0);
    EXPECT_EQ(routed->m_layer, 1);
    CPad* via = cut->m_vertices[1].tie.GetPad();
    ASSERT_NE(via, nullptr);
    EXPECT_EQ(rest->m_vertices[0].tie.GetPad(), via);
    EXPECT_EQ(routed->m_vertices.back().tie.GetPad(), via);
    ExpectUndoAllRedoAll(Saved());
}

TEST_F(BoardRoutingTest, DraggingASegmentKeepsFortyFiveDegreeJoins) {
    Tool(ID_BRD_ROUTE_EDIT);
    // The long segment of net A, (40,20)-(50,20) joins (50,30) at its end:
    // dragged up by 3, its free end goes along a 45-degree piece.
    Drag(PointF{45, 20}, PointF{45, 23});
    CConductor* c = Track(L"A", 0);
    ASSERT_GE(c->m_vertices.size(), 3u);
    bool found = false;
    for (const auto& v : c->m_vertices)
        found = found || (std::fabs(v.y - 23) < 1e-3);
    EXPECT_TRUE(found);
    const std::string after = Saved();
    ExpectUndoAllRedoAll(after);
}

// --- Design-rule check ------------------------------------------------------------------

TEST_F(BoardRoutingTest, ConductorClearanceToAPadOfAnotherNet) {
    auto g = view->MakeGraphics();
    // Pad 2 of R1 (net B) spans y 9.3..10.7; a 0.25 mm track of net A runs
    // 0.15 mm above it (both grown by 0.1: they meet), then 0.25 mm above.
    struct Case {
        float y;
        bool marked;
    } cases[] = {{10.975f, true}, {11.075f, false}};
    for (const Case& k : cases) {
        CConductor* c = Track(L"A", 0);
        c->m_vertices = {{8, k.y, 0, {}}, {14, k.y, 0, {}}};
        view->CheckConductor(g.get(), c);
        EXPECT_EQ(view->GetViolations(2).size(), k.marked ? 1u : 0u) << k.y;
    }
    // Its own net's pad 1 is never a violation.
    CConductor* c = Track(L"A", 0);
    c->m_vertices = {{7, 10, 0, {}}, {9, 10, 0, {}}};
    view->CheckConductor(g.get(), c);
    EXPECT_TRUE(view->GetViolations(2).empty());
}

TEST_F(BoardRoutingTest, ConductorsOfOtherNetsAndTheMarksTheirDeletionDrops) {
    Tool(ID_BRD_ROUTE_EDIT);
    // A's long segment dragged down onto C's track: its free start goes
    // inwards at 45 degrees, its end keeps the perpendicular neighbour.
    Drag(PointF{45, 20}, PointF{45, 15});
    EXPECT_EQ(Tracks()[0], "40.000,20.000 45.000,15.000 50.000,15.000 50.000,30.000");
    EXPECT_EQ(view->GetViolations(2).size(), 1u);
    const std::string marked = Saved();
    // Undo takes A's track back: the mark stays until a check looks again.
    Undo();
    EXPECT_EQ(view->GetViolations(2).size(), 1u);
    Redo();
    EXPECT_EQ(Saved(), marked);
    // Dragged away and released, the pair is looked at again and cleared.
    Drag(PointF{47, 15}, PointF{47, 17});
    EXPECT_TRUE(view->GetViolations(2).empty());
    Undo();
    Drag(PointF{45, 15}, PointF{45, 15.5f});
    ASSERT_EQ(view->GetViolations(2).size(), 1u);
    // Deleting A's whole track drops the mark before anything draws it.
    menuAnswers.push_back(33108);
    RightPress(PointF{50, 25});
    EXPECT_TRUE(view->GetViolations(2).empty());
    view->InvalidateRect(nullptr, false);
    PumpPendingMessages();
    // Switching the check off clears everything.
    Command(ID_BRD_DRC);
    EXPECT_FALSE(view->IsDrcOn());
}

TEST_F(BoardRoutingTest, ConductorOnALayerWithoutAStackupEntryIsCheckedSafely) {
    auto g = view->MakeGraphics();
    CConductor* a = Track(L"A", 0);
    CConductor* b = Track(L"B", 0);
    for (CConductor* c : {a, b}) {
        view->GetBoardLayerIndex()->Remove(c);
        c->m_layer = 5;
        view->GetBoardLayerIndex()->Add(c);
    }
    a->m_vertices = {{40, 5.1f, 0, {}}, {50, 5.1f, 0, {}}};
    view->CheckConductor(g.get(), a);
    EXPECT_EQ(view->GetViolations(2).size(), 1u);
    // And it is drawn without a stackup entry.
    view->InvalidateRect(nullptr, false);
    PumpPendingMessages();
}

TEST_F(BoardRoutingTest, ANewRouteFollowsTheFirstMoveEvenToTheLastTarget) {
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{9, 10});
    Move(PointF{15, 13});
    Key(VK_ESCAPE);
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{31, 13});
    ASSERT_TRUE(view->IsRouting());
    Move(PointF{15, 13});
    Move(PointF{15, 13});
    CConductor* c = Track(L"B", 1);
    ASSERT_NE(c, nullptr);
    EXPECT_NEAR(c->m_vertices.back().x, 15, 1e-4);
    EXPECT_NEAR(c->m_vertices.back().y, 13, 1e-4);
    Key(VK_ESCAPE);
}

TEST_F(BoardRoutingTest, RandomRoutingUndoesToTheOriginal) {
    const RandomSeed seed(24u);
    std::mt19937 rng{seed.Value()};
    std::uniform_real_distribution<float> x(0, 60), y(0, 40);
    std::uniform_int_distribution<int> pick(0, 11);
    ScopedModalDialogHook hook([](PlatformDialog& dialog) { dialog.EndDialog(IDCANCEL); });
    int steps = 2500;
    if (const char* env = std::getenv("VORPEL_RANDOM_STEPS"))
        steps = std::atoi(env);
    const PointF pads[] = {{9, 10}, {11, 10}, {29, 13}, {31, 13}, {40, 20}, {50, 5}};
    for (int i = 0; i < steps; ++i) {
        const PointF p =
            pick(rng) < 4 ? pads[static_cast<size_t>(pick(rng)) % 6] : PointF{x(rng), y(rng)};
        switch (pick(rng)) {
        case 0:
            Tool(ID_BRD_ROUTE_NEW);
            break;
        case 1:
            Tool(ID_BRD_ROUTE_EDIT);
            break;
        case 2:
        case 3:
            Click(p);
            break;
        case 4:
        case 5:
            Move(p);
            break;
        case 6:
            Drag(p, PointF{x(rng), y(rng)});
            break;
        case 7:
            menuAnswers.clear();
            menuAnswers.push_back(static_cast<UINT>(std::array<int, 6>{
                33061, 33108, 33144, 33000, 33001, 400}[static_cast<size_t>(pick(rng) % 6)]));
            RightPress(p);
            break;
        case 8:
            Key(pick(rng) % 2 ? 'V' : VK_ESCAPE);
            break;
        case 9:
            Key(VK_DELETE, pick(rng) % 2 ? MK_SHIFT : 0);
            break;
        case 10:
            Undo();
            break;
        default:
            Redo();
            break;
        }
    }
    Key(VK_ESCAPE);
    Key(VK_ESCAPE);
    // Redoing as many steps as were undone (undos of the walk may have left
    // more to redo) gives the bytes before the undoing.
    const std::string worked = Saved();
    int undone = 0;
    for (; view->GetUndoList().CanUndo() && undone < 100000; ++undone)
        view->Undo();
    EXPECT_EQ(Saved(), original);
    for (int i = 0; i < undone; ++i)
        view->Redo();
    EXPECT_EQ(Saved(), worked);
}

TEST_F(BoardRoutingTest, WritesItsPicture) {
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{9, 10});
    Move(PointF{15, 10});
    Key('V');
    Move(PointF{25, 20});
    Key(VK_ESCAPE);
    Tool(ID_BRD_ROUTE_EDIT);
    Drag(PointF{45, 20}, PointF{45, 15});
    ASSERT_FALSE(view->GetViolations(2).empty());
    const RECT c = view->GetClientRect();
    auto image = PaintTarget::CreateImage(c.right, c.bottom);
    view->RenderTo(*image);
    image->Flush();
    const std::wstring path = Utf8ToWide(VORPEL_BINARY_DIR "/pictures/board-routing.png");
    ASSERT_TRUE(CreateDirectories(PathDirectory(path)));
    EXPECT_TRUE(image->SavePng(path));
}

} // namespace

namespace {

// Overlapping outlines: two footprints on top whose pads overlap, and a
// free text on top crossed by net A's track.
const char* kOverlap = R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project>
  <Board Grid="1,1" Outline="LIN0,0 LIN60,0 LIN60,40 LIN0,40" Unit="1">B
    <Layer>TOP</Layer>
    <Layer>BOT</Layer>
    <Package>
      <Pin NetName="A" Num="1"/>
      <Footprint XY="10,10">R0805
        <Padstack>PAD
          <PadLayer Shape="RECT" Size="1.2,1.4"/>
          <Pad Num="1" XY="-1,0"/>
          <Pad Num="2" XY="1,0"/>
        </Padstack>
      </Footprint>
    </Package>
    <Package>
      <Pin NetName="B" Num="1"/>
      <Footprint XY="12,10">R0805
        <Padstack>PAD
          <PadLayer Shape="RECT" Size="1.2,1.4"/>
          <Pad Num="1" XY="-1,0"/>
          <Pad Num="2" XY="1,0"/>
        </Padstack>
      </Footprint>
    </Package>
    <Text Layer="TOP" Pos="30,30">HELLO</Text>
    <Net>A
      <Conductor Layer="TOP" Width="0.25">20.000,29.000 50.000,29.000</Conductor>
    </Net>
  </Board>
</Project>
)";

class BoardDrcTest : public BoardViewTest {
protected:
    void SetUp() override {
        BoardViewTest::SetUp();
        OpenText(kOverlap);
    }
};

TEST_F(BoardDrcTest, OverlappingFootprintsAreMarkedOnTheirSideOnly) {
    auto g = view->MakeGraphics();
    CFootprint* a = PackageFootprint(0);
    CFootprint* b = PackageFootprint(1);
    view->CheckComponent(g.get(), a);
    EXPECT_EQ(view->GetViolations(0).size(), 1u);
    EXPECT_TRUE(view->GetViolations(1).empty());
    // Checked from the other side the pair is the same entry.
    view->CheckComponent(g.get(), b);
    EXPECT_EQ(view->GetViolations(0).size(), 1u);
    // Moved apart and checked again: the mark goes.
    b->m_boardPosition.X = 30;
    view->CheckComponent(g.get(), b);
    EXPECT_TRUE(view->GetViolations(0).empty());
    b->m_boardPosition.X = 12;
    view->CheckComponent(g.get(), a);
    ASSERT_EQ(view->GetViolations(0).size(), 1u);
    // Switching the check off clears every mark; on again shows none.
    Command(ID_BRD_DRC);
    EXPECT_TRUE(view->GetViolations(0).empty());
    Command(ID_BRD_DRC);
    EXPECT_TRUE(view->IsDrcOn());
    EXPECT_TRUE(view->GetViolations(0).empty());
}

TEST_F(BoardDrcTest, ATrackCrossingATextIsMarkedWhateverTheNet) {
    auto g = view->MakeGraphics();
    CConductor* c = static_cast<CConductor*>(board->FindNet(L"A")->GetChild(0));
    view->CheckConductor(g.get(), c);
    EXPECT_EQ(view->GetViolations(2).size(), 1u);
    c->m_vertices = {{20, 20, 0, {}}, {50, 20, 0, {}}};
    view->CheckConductor(g.get(), c);
    EXPECT_TRUE(view->GetViolations(2).empty());
}

} // namespace
