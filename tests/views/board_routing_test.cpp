// Routing and editing conductors in the board editor, and the design-rule
// marks, driven as a user drives them and checked in the saved project.
#include "board/conductor.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "dialogs/cond_width.h"
#include "platform/dialog.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"
#include "schematic/net.h"
#include "tests/board/net_graph_check.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/focus_input.h"
#include "tests/random_seed.h"
#include "tests/screen_picture.h"
#include "tests/ui_hooks_recorder.h"
#include "tests/views/board_view_fixture.h"
#include "tests/views/half_made_check.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iterator>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <utility>

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
    static int Count(const std::string& text, const std::string& what) {
        int n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
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
    // The via pads of a net, in the net's child order.
    std::vector<CPad*> ViaPads(const wchar_t* net) {
        std::vector<CPad*> out;
        for (CTreeNode* c : Net(net)->GetChildren())
            if (c->GetType() == NodeType::Padstack)
                for (CTreeNode* pad : c->GetChildren())
                    if (pad->GetType() == NodeType::Pad)
                        out.push_back(static_cast<CPad*>(pad));
        return out;
    }
    // Two routes of net A that change to Bottom: vias at (15,10) and (25,13).
    // A new route from start, changing layers ('V') at change, on to end
    // and ended by Esc.
    void RouteChangingLayers(PointF start, PointF change, PointF end) {
        Tool(ID_BRD_ROUTE_NEW);
        Tap(start);
        Move(change);
        Key('V');
        Move(end);
        Key(VK_ESCAPE);
    }
    void RouteTwoVias() {
        RouteChangingLayers(PointF{9, 10}, PointF{15, 10}, PointF{15, 20});
        RouteChangingLayers(PointF{29, 13}, PointF{25, 13}, PointF{25, 18});
    }
    void UndoAll() {
        while (view->GetUndoList().CanUndo())
            Undo();
        ASSERT_EQ(Saved(), original);
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

TEST_F(BoardRoutingTest, OnAFineGridAViaIsSavedWhereItsTracksSayItIs) {
    // On the 0.635 mm grid the positions a route reaches are floats such as
    // 46.989998 (74 steps): the via's position is written with the six
    // digits of every number of the file, as the tracks' three decimals give
    // it, and reads back to what saves the same again.
    std::string fine = kRouting;
    fine.replace(fine.find("Grid=\"1,1\""), 11, "Grid=\"0.635,0.635\"");
    OpenText(fine);
    RouteChangingLayers(PointF{9, 10}, PointF{46.99f, 10.16f}, PointF{46.99f, 32.385f});
    const std::string after = Saved();
    // The via sits where the track on top ends and the one on the bottom
    // starts (the end of the straight leg, 46.83 mm): its position is their
    // vertex, as short as six digits write it.
    std::smatch via;
    ASSERT_TRUE(std::regex_search(after, via, std::regex("<Pad XY=\"([^\"]*)\"/>"))) << after;
    const std::vector<std::string> tracks = Tracks();
    ASSERT_EQ(tracks.size(), 5u) << after;
    const std::string top = tracks[1].substr(tracks[1].rfind(' ') + 1);
    EXPECT_EQ(tracks[2].substr(0, tracks[2].find(' ')), top);
    EXPECT_EQ(top, "46.830,10.000");
    EXPECT_EQ(via[1], "46.83,10") << after;
    // What is read back saves the same bytes.
    const std::wstring path = PathJoin(scratch, L"again.circuit");
    ASSERT_TRUE(WriteWholeFile(path, after));
    CRoot again;
    ASSERT_TRUE(CXmlFile(&again).Load(path.c_str()));
    ASSERT_TRUE(CXmlFile(&again).Save(path.c_str()));
    std::string second;
    ReadWholeFile(path, second);
    EXPECT_EQ(second, after);
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

// A width the conductor cannot take is refused in the dialog: a beep, the
// field shows the track's width again and OK waits; after Esc the route
// goes on as if the width had never been asked for.
TEST_F(BoardRoutingTest, ARefusedWidthLeavesTheRouteAsItWas) {
    auto route = [&](bool askWidth) {
        Tool(ID_BRD_ROUTE_NEW);
        Tap(PointF{9, 10});
        Move(PointF{15, 10});
        if (askWidth)
            Key('W');
        Move(PointF{15, 20});
        Key(VK_ESCAPE);
    };
    route(false);
    const std::string plain = Saved();
    UndoAll();
    ScopedUiHooksRecorder ui;
    int runs = 0;
    ScopedModalDialogHook hook([&](PlatformDialog& dialog) {
        ++runs;
        ASSERT_TRUE(dialog_driver::ShownOnScreen(dialog));
        const std::wstring kept = dialog.GetDlgItemText(CCondWidth::kWidth);
        ASSERT_EQ(PlatformWindow::GetFocus(), dialog.GetDlgItem(CCondWidth::kWidth));
        PressKeyAtFocus('A', MK_CONTROL);
        TypeAtFocus(L"-1");
        PressKeyAtFocus(VK_RETURN);
        EXPECT_FALSE(dialog.IsEnded());
        EXPECT_EQ(ui.beeps, (std::vector<unsigned>{kSimpleBeep}));
        EXPECT_EQ(dialog.GetDlgItemText(CCondWidth::kWidth), kept);
        PressKeyAtFocus(VK_ESCAPE);
    });
    route(true);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(Saved(), plain);
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
    UndoAll();

    // From pad 2 of R1 (net B) onto the middle of B's track on the same
    // layer: the track met gets a vertex there and the route ends on it.
    Tap(PointF{11, 10});
    Move(PointF{45, 10});
    Move(PointF{45, 5});
    Click(PointF{45, 5});
    EXPECT_FALSE(view->IsRouting());
    tracks = Tracks();
    ASSERT_EQ(tracks.size(), 4u);
    EXPECT_EQ(tracks[1], "40.000,5.000 45.000,5.000 50.000,5.000");
    EXPECT_EQ(tracks[2], "11.000,10.000 40.000,10.000 45.000,5.000");
    ExpectUndoAllRedoAll(Saved());
}

// Pressing on a track's last vertex goes on from it: the old end becomes the
// bend, so the last leg turns and no stub stays at the old end.
TEST_F(BoardRoutingTest, ContinuingATrackFromItsEndMovesItsLastBend) {
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{50, 30});
    ASSERT_TRUE(view->IsRouting());
    Move(PointF{55, 33});
    EXPECT_EQ(Tracks()[0], "40.000,20.000 50.000,20.000 50.000,28.000 55.000,33.000");
    Click(PointF{55, 33});
    Key(VK_ESCAPE);
    const std::string after = Saved();
    EXPECT_EQ(Tracks()[0], "40.000,20.000 50.000,20.000 50.000,28.000 55.000,33.000");
    ExpectUndoAllRedoAll(after);
    // From its first vertex the track is turned round first.
    UndoAll();
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{40, 20});
    Move(PointF{37, 25});
    Click(PointF{37, 25});
    Key(VK_ESCAPE);
    EXPECT_EQ(Tracks()[0], "50.000,30.000 50.000,20.000 42.000,20.000 37.000,25.000");
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
    EXPECT_NE(routed.find("<Pad XY=\"15,10\"/>"), std::string::npos) << routed;
    EXPECT_EQ(after.find("<Pad XY="), std::string::npos) << after;
    EXPECT_TRUE(ViaPads(L"A").empty());
    EXPECT_EQ(Tracks().size(), 4u);
    ExpectUndoAllRedoAll(after);
}

// The edit tool hands a press to every via as a pad takes it: Ctrl toggles,
// a miss deselects without Ctrl, the last via left selected is the one
// dragged, and a conductor being edited stays so while a via is picked.
TEST_F(BoardRoutingTest, PickingViasTogglesWithCtrlAndDragsTheLastSelected) {
    RouteTwoVias();
    const std::vector<CPad*> vias = ViaPads(L"A");
    ASSERT_EQ(vias.size(), 2u);
    CPad* v1 = vias[0];
    CPad* v2 = vias[1];
    const PointF p1 = v1->m_boardPosition;
    const PointF p2 = v2->m_boardPosition;
    ASSERT_FLOAT_EQ(p1.X, 15);
    ASSERT_FLOAT_EQ(p2.X, 25);
    Tool(ID_BRD_ROUTE_EDIT);
    Click(PointF{45, 20});
    CConductor* edited = Track(L"A", 0);
    ASSERT_EQ(edited->m_selected, 1);
    struct Step {
        PointF at;
        WPARAM keys;
        bool first, second;
    } const steps[] = {
        {p2, 0, false, true},
        {p1, MK_CONTROL, true, true},
        {p2, MK_CONTROL, true, false},
        {p2, 0, false, true},
    };
    for (const Step& step : steps) {
        Click(step.at, step.keys);
        EXPECT_EQ(v1->IsSelected(), step.first) << step.at.X << " keys " << step.keys;
        EXPECT_EQ(v2->IsSelected(), step.second) << step.at.X << " keys " << step.keys;
        EXPECT_EQ(edited->m_selected, 1) << "the conductor edit goes on";
    }
    // v2 selected; a Ctrl-press on v1 adds it, and v2, the last selected,
    // is the one dragged.
    Drag(p1, PointF{p1.X, p1.Y + 2}, MK_CONTROL);
    EXPECT_EQ(v1->m_boardPosition, p1);
    EXPECT_EQ(v2->m_boardPosition, (PointF{p1.X, p1.Y + 2}));
    const std::string dragged = Saved();
    // A press on no via ends the conductor edit.
    Click(PointF{5, 35});
    EXPECT_EQ(edited->m_selected, 0);
    EXPECT_FALSE(v1->IsSelected());
    EXPECT_FALSE(v2->IsSelected());
    ExpectUndoAllRedoAll(dragged);
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
    struct Case {
        PointF from, to;
        size_t track;
        const char* after;
    } const cases[] = {
        // A's long segment: its fixed start stays and a 45-degree piece
        // leads up to the moved segment; its end keeps the perpendicular
        // neighbour's direction.
        {{45, 20}, {45, 23}, 0, "40.000,20.000 43.000,23.000 50.000,23.000 50.000,30.000"},
        // B's only segment: both ends stay and both joins run at 45 degrees.
        {{45, 5}, {45, 7}, 1, "40.000,5.000 42.000,7.000 48.000,7.000 50.000,5.000"},
        // So far that the joins would cross: the segment shrinks to its
        // middle, and the release keeps one vertex there (the graph the
        // drag built had two).
        {{45, 5}, {45, 11}, 1, "40.000,5.000 45.000,11.000 50.000,5.000"},
    };
    Tool(ID_BRD_ROUTE_EDIT);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        Drag(c.from, c.to);
        EXPECT_EQ(Tracks()[c.track], c.after);
        EXPECT_TRUE(NetGraphsAreFresh(board));
        ExpectUndoAllRedoAll(Saved());
        UndoAll();
    }
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

// A double-click makes one bend, and the route ended there with Esc keeps
// no vertex twice.
TEST_F(BoardRoutingTest, ADoubleClickedBendIsOneVertex) {
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{9, 10});
    Move(PointF{15, 10});
    DoubleClick(PointF{15, 10});
    Move(PointF{15, 10});
    Move(PointF{15, 16});
    DoubleClick(PointF{15, 16});
    Key(VK_ESCAPE);
    EXPECT_FALSE(view->IsRouting());
    const std::vector<std::string> expected = {
        "40.000,20.000 50.000,20.000 50.000,30.000", "9.000,10.000 15.000,10.000 15.000,16.000",
        "40.000,5.000 50.000,5.000", "46.000,15.000 48.000,15.000"};
    EXPECT_EQ(Tracks(), expected);
    ExpectUndoRedo(original, Saved());
}

// A route whose end the pointer has left on a track's own vertex (the leg
// aims past the track's end), clicked on that track a little way along,
// meets the track at that vertex and adds none beside it.
TEST_F(BoardRoutingTest, ARouteEndedOnATracksVertexAddsNoSecond) {
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{9, 10});
    Move(PointF{20, 10});
    Click(PointF{20, 10});
    Key(VK_ESCAPE);
    ASSERT_FALSE(view->IsRouting());
    const std::string before = Saved();
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{9, 10});
    Move(PointF{9, 25});
    Click(PointF{9, 25});
    Move(PointF{25, 15});
    Move(PointF{20, 10});
    Click(PointF{16, 10});
    EXPECT_FALSE(view->IsRouting());
    const std::vector<std::string> expected = {
        "40.000,20.000 50.000,20.000 50.000,30.000", "9.000,10.000 20.000,10.000",
        "9.000,10.000 9.000,25.000 20.000,14.000 20.000,10.000", "40.000,5.000 50.000,5.000",
        "46.000,15.000 48.000,15.000"};
    EXPECT_EQ(Tracks(), expected);
    ExpectNoHalfMadeObjects(board, "ended");
    ExpectUndoRedo(before, Saved());
    ExpectNoHalfMadeObjects(board, "redone");
    Undo();
    Undo();
    EXPECT_EQ(Saved(), original);
}

TEST_F(BoardRoutingTest, RandomRoutingUndoesToTheOriginal) {
    // Net B lies on an inner plane too, its track joined to it by a via at
    // (45,5).
    std::string planes = kRouting;
    auto put = [&](const std::string& from, const std::string& to) {
        planes.replace(planes.find(from), from.size(), to);
    };
    put("<Layer>BOT</Layer>", "<Layer>BOT</Layer><Layer Net=\"B\" Type=\"PLANE\">I01</Layer>");
    put("40.000,5.000 50.000,5.000</Conductor>",
        "40.000,5.000 45.000,5.000 50.000,5.000</Conductor><Padstack>V<PadLayer "
        "Size=\"0.6,0.6\"/><PadLayer Layer=\"BOT\" Size=\"0.6,0.6\"/><Drill Diam=\"0.3\"/><Pad "
        "XY=\"45,5\"/></Padstack>");
    OpenText(planes);
    ASSERT_EQ(ViasJoiningPlanes(board).size(), 1u);
    const RandomSeed seed(24u);
    std::mt19937 rng{seed.Value()};
    std::uniform_real_distribution<float> x(0, 60), y(0, 40);
    std::uniform_int_distribution<int> pick(0, 11);
    ScopedModalDialogHook hook([](PlatformDialog& dialog) { dialog.EndDialog(IDCANCEL); });
    int steps = 2500;
    if (const char* env = std::getenv("VORPEL_RANDOM_STEPS"))
        steps = std::atoi(env);
    // Each step's action on stderr, to find the one that goes wrong.
    const bool trace = std::getenv("VORPEL_RANDOM_TRACE") != nullptr;
    const PointF pads[] = {{9, 10}, {11, 10}, {29, 13}, {31, 13}, {40, 20}, {50, 5}, {45, 5}};
    for (int i = 0; i < steps; ++i) {
        const PointF p =
            pick(rng) < 4 ? pads[static_cast<size_t>(pick(rng)) % 7] : PointF{x(rng), y(rng)};
        const int action = pick(rng);
        std::vector<PlaneVia> planeVias = ViasJoiningPlanes(board);
        // Delete rightly takes a selected via that no track is tied to.
        if (action == 9)
            std::erase_if(planeVias,
                          [](const PlaneVia& v) { return !v.tied && v.pad->IsSelected(); });
        if (trace)
            std::fprintf(stderr, "step %d: action %d at %g,%g\n", i, action, p.X, p.Y);
        switch (action) {
        case 0:
            Tool(ID_BRD_ROUTE_NEW);
            break;
        case 1:
            Tool(ID_BRD_ROUTE_EDIT);
            break;
        case 2:
            Click(p);
            break;
        case 3:
            DoubleClick(p);
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
        const std::string where = "step " + std::to_string(i);
        ExpectNoHalfMadeObjects(board, where, {view->GetRouteConductor()});
        ExpectLayerIndexOnTheBoard(board, *view->GetBoardLayerIndex(), where);
        EXPECT_TRUE(NetGraphsAreFresh(board, {view->GetRouteConductor()})) << where;
        // An undo may rightly take back the via its route made.
        if (action < 10)
            ExpectNoPlaneViaLost(board, planeVias, where);
        if (HasFailure())
            break;
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

// No step leaves a track with fewer than two distinct vertices (such a
// track draws nothing, is saved all the same and keeps the vias it touches
// from being superfluous); undo gives back exactly what was there.
TEST_F(BoardRoutingTest, NoStepLeavesATrackWithoutLength) {
    auto expectTracksHaveLength = [&] {
        for (const std::string& track : Tracks()) {
            std::istringstream words(track);
            std::set<std::string> distinct{std::istream_iterator<std::string>(words), {}};
            EXPECT_GE(distinct.size(), 2u) << track;
        }
    };
    struct Case {
        const char* name;
        std::function<void()> steps;
        size_t tracks; // saved afterwards
    };
    const Case cases[] = {
        {"Esc right after the start",
         [&] {
             Tap(PointF{9, 10});
             ASSERT_TRUE(view->IsRouting());
             Key(VK_ESCAPE);
         },
         3},
        {"ended on the pad it started from",
         [&] {
             Tap(PointF{9, 10});
             Click(PointF{9, 10});
         },
         3},
        {"Esc right after a layer change",
         [&] {
             Tap(PointF{9, 10});
             Move(PointF{15, 10});
             Key('V');
             Key(VK_ESCAPE);
         },
         4},
        {"a via dragged onto the far end of its track",
         [&] {
             Tap(PointF{9, 10});
             Move(PointF{15, 10});
             Key('V');
             Move(PointF{15, 20});
             Click(PointF{15, 20});
             Key(VK_ESCAPE);
             Tool(ID_BRD_ROUTE_EDIT);
             Drag(PointF{15, 10}, PointF{15, 20});
         },
         4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tool(ID_BRD_ROUTE_NEW);
        c.steps();
        EXPECT_FALSE(view->IsRouting());
        expectTracksHaveLength();
        EXPECT_EQ(Tracks().size(), c.tracks);
        EXPECT_TRUE(NetGraphsAreFresh(board));
        // A via that joins tracks on one layer only has gone with them.
        int vias = 0;
        for (CTreeNode* child : Net(L"A")->GetChildren())
            if (child->GetType() == NodeType::Padstack)
                for (CTreeNode* pad : child->GetChildren())
                    vias += pad->GetType() == NodeType::Pad;
        EXPECT_EQ(vias, 0);
        const std::string after = Saved();
        ExpectUndoAllRedoAll(after);
        while (view->GetUndoList().CanUndo())
            Undo();
    }
}

// A finished route is undone whole: undoing only its last click would give
// back its track as it was while drawn, the rubber-band end included.
TEST_F(BoardRoutingTest, AFinishedRouteIsUndoneWhole) {
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{9, 10});
    Move(PointF{20, 10});
    Click(PointF{20, 10});
    Move(PointF{29, 13});
    Click(PointF{29, 13});
    ASSERT_FALSE(view->IsRouting());
    const std::string routed = Saved();
    ASSERT_EQ(Tracks().size(), 4u);
    Undo();
    EXPECT_EQ(Saved(), original);
    Redo();
    EXPECT_EQ(Saved(), routed);
}

// Closing the board's tab drops a route under way and a floating component
// before the page question: neither is ever written.
TEST_F(BoardRoutingTest, ClosingTheTabDropsTheWorkUnderWay) {
    SetFreeComponentPadstackSource([](CBoard*, int) -> CPadstack* {
        auto* padstack = new CPadstack(L"P1");
        auto* layer = new CPadLayer(0);
        layer->m_shape = kPadShapeRound;
        layer->m_width = layer->m_height = 1.2f;
        padstack->AddChild(layer);
        return padstack;
    });
    std::string onDisk;
    ASSERT_TRUE(ReadWholeFile(Project().GetFilePath(), onDisk));
    for (int work : {ID_BRD_ROUTE_NEW, ID_BRD_PLACE_FREE_COMPONENT}) {
        SCOPED_TRACE(work);
        if (!view)
            OpenBoard();
        Tool(work);
        // A route just started (closing ends it as Esc does, keeping only
        // legs already fixed), or a component following the cursor.
        if (work == ID_BRD_ROUTE_NEW)
            Tap(PointF{9, 10});
        else
            Move(PointF{25, 30});
        ASSERT_NE(Saved(), original) << "the work is in the document while under way";
        // Only the route's start changed anything else that is asked about.
        if (work == ID_BRD_ROUTE_NEW)
            ui.Answer({IDYES});
        Command(ID_WINDOW_CLOSE);
        EXPECT_EQ(ui.PendingAnswers(), 0u);
        view = nullptr;
        EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
        // Whatever else was asked about and written (a route's start makes
        // the board's settings node), the work is in neither.
        std::string file;
        ASSERT_TRUE(ReadWholeFile(Project().GetFilePath(), file));
        for (const std::string& bytes : {Saved(), file}) {
            EXPECT_EQ(Count(bytes, "<Conductor"), Count(onDisk, "<Conductor"));
            EXPECT_EQ(Count(bytes, "<Footprint"), Count(onDisk, "<Footprint"));
        }
    }
    // No while the value of a new free text is being typed: the panel lets
    // go of the text before the undo takes it away (its editor once handed
    // the value to the deleted text when the undo moved the focus).
    OpenBoard();
    Key('1');
    Command(ID_BRD_TEXT_PLACE_FREE);
    ASSERT_NE(view->GetFloatingText(), nullptr);
    ASSERT_TRUE(g_MainFrame.GetPropertyGrid().IsEditing());
    SimulateTyping(PlatformWindow::GetFocus(), L"Half");
    ui.Answer({IDNO});
    Command(ID_WINDOW_CLOSE);
    view = nullptr;
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
    EXPECT_EQ(Saved(), original);
    SetFreeComponentPadstackSource(nullptr);
}

// Ctrl+S while a route is under way (a leg fixed, the next following the
// pointer): the route ends as Esc ends it, keeping the fixed leg, and the
// file holds that; undo and redo go between the original and it.
TEST_F(BoardRoutingTest, SaveEndsARouteUnderWayAsEscDoes) {
    const std::wstring path = Project().GetFilePath();
    auto route = [&] {
        Tool(ID_BRD_ROUTE_NEW);
        Tap(PointF{9, 10});
        Move(PointF{19, 13});
        Tap(PointF{19, 13});
        Move(PointF{24, 20});
        ASSERT_TRUE(view->IsRouting());
    };
    route();
    Key(VK_ESCAPE);
    const int toolAfterEsc = view->GetCurrentTool();
    const std::string expected = Saved();
    ExpectUndoAllRedoAll(expected);
    while (view->GetUndoList().CanUndo())
        Undo();
    ASSERT_EQ(Saved(), original);

    route();
    Key('S', MK_CONTROL);
    EXPECT_FALSE(view->IsRouting());
    EXPECT_EQ(view->GetCurrentTool(), toolAfterEsc);
    std::string file;
    ASSERT_TRUE(ReadWholeFile(path, file));
    EXPECT_EQ(file, expected);
    EXPECT_EQ(Saved(), expected);
    ExpectUndoAllRedoAll(expected);
}

// Esc that closes the toolbar's open layer list is the list's alone: the
// route goes on to R2's pad.
TEST_F(BoardRoutingTest, EscClosingTheLayerListLeavesTheRouteAlone) {
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{9, 10});
    Move(PointF{19, 13});
    const std::string routing = Saved();
    RunIdleHandlers(); // the board's toolbar shows
    ComboBoxControl& combo = g_MainFrame.m_boardLayerCombo;
    const RECT r = combo.GetClientRect();
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    MouseAt(&combo, WM_LBUTTONDOWN, centre, MK_LBUTTON);
    MouseAt(&combo, WM_LBUTTONUP, centre);
    PumpPendingMessages();
    ASSERT_TRUE(combo.GetDroppedState());
    Key(VK_ESCAPE);
    EXPECT_FALSE(combo.GetDroppedState());
    EXPECT_TRUE(view->IsRouting());
    EXPECT_EQ(view->GetCurrentTool(), ID_BRD_ROUTE_NEW);
    EXPECT_EQ(Saved(), routing);
    Move(PointF{29, 13});
    Click(PointF{29, 13});
    EXPECT_FALSE(view->IsRouting());
    EXPECT_EQ(view->GetCurrentTool(), ID_BRD_ROUTE_NEW);
    const auto tracks = Tracks();
    ASSERT_EQ(tracks.size(), 4u);
    EXPECT_NE(tracks[1].find("29.000,13.000"), std::string::npos) << tracks[1];
    ExpectUndoAllRedoAll(Saved());
}

// Esc pressed while the property panel has the focus, with no row open,
// ends the route as it does over the board.
TEST_F(BoardRoutingTest, EscFromThePanelEndsTheRouteAsOverTheBoard) {
    auto escape = [&](bool fromPanel) {
        Tool(ID_BRD_ROUTE_NEW);
        Tap(PointF{9, 10});
        Move(PointF{19, 13});
        if (fromPanel) {
            CPropertyListCtrl& rows = g_MainFrame.GetPropertyGrid().GetList();
            MouseAt(&rows, WM_LBUTTONDOWN, POINT{20, 20}, MK_LBUTTON);
            MouseAt(&rows, WM_LBUTTONUP, POINT{20, 20});
            PumpPendingMessages();
            ASSERT_EQ(PlatformWindow::GetFocus(), &rows);
            ASSERT_FALSE(g_MainFrame.GetPropertyGrid().IsEditing());
        }
        Key(VK_ESCAPE);
        EXPECT_FALSE(view->IsRouting());
        EXPECT_EQ(view->GetCurrentTool(), ID_BRD_ROUTE_EDIT);
    };
    escape(false);
    const std::string expected = Saved();
    UndoAll();
    escape(true);
    EXPECT_EQ(Saved(), expected);
    g_MainFrame.m_tabWindow.SetFocus(); // back to the board, where Ctrl+Z undoes
    ExpectUndoAllRedoAll(expected);
}

// On the example board the via at (18,12) is all that joins N1's track to
// N1's inner plane: Esc right after starting a route of N1, or deleting
// another track of N1, leaves it and the track's vertex there.
TEST_F(BoardRoutingTest, AViaJoiningATrackToThePlaneOfItsNetStays) {
    // First, without planes: Esc right after starting a route takes no via,
    // not even one a deleted segment left joining a single layer.
    RouteChangingLayers(PointF{9, 10}, PointF{15, 10}, PointF{15, 20});
    menuAnswers.push_back(33061);
    RightPress(PointF{15, 15});
    ASSERT_EQ(ViaPads(L"A").size(), 1u);
    const std::string lone = Saved();
    Tool(ID_BRD_ROUTE_NEW);
    Tap(PointF{29, 13});
    Key(VK_ESCAPE);
    EXPECT_EQ(Saved(), lone);
    OpenExample();
    const PointF pad{13.5f, 12}; // R1's pad of N1, where N1's track starts
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"Esc right after the start", [&] { Tap(pad); }},
        {"another track deleted",
         [&] {
             Tap(pad);
             Move(PointF{13.5f, 20});
             Tap(PointF{13.5f, 20});
             Key(VK_ESCAPE);
             ASSERT_EQ(Tracks().size(), 4u);
             Tool(ID_BRD_ROUTE_EDIT);
             Click(PointF{13.5f, 16});
             Key(VK_DELETE, MK_SHIFT);
         }},
    };
    for (const auto& [name, steps] : cases) {
        SCOPED_TRACE(name);
        Tool(ID_BRD_ROUTE_NEW);
        steps();
        Key(VK_ESCAPE);
        Key('S', MK_CONTROL);
        std::string file;
        ASSERT_TRUE(ReadWholeFile(Project().GetFilePath(), file));
        EXPECT_EQ(file, original);
        int groups = 0;
        for (; view->GetUndoList().CanUndo(); ++groups)
            Undo();
        EXPECT_EQ(Saved(), original);
        for (int i = 0; i < groups; ++i)
            Redo();
        EXPECT_EQ(Saved(), original);
        while (view->GetUndoList().CanUndo())
            Undo();
    }
}

// A via of net B overlaps the edge of R1's pad 2, which is on top only, and
// B's track from that pad is tied to the pad; a second via of B is tied to
// nothing on no pad. With B on an inner plane the first via is all that
// joins the pad and the track to the plane: it stays when a route started
// on it is given up with a tool change, and when another track of B is
// deleted, while the second goes. Without planes, a via joining a bottom
// track to a top-only pad stays: the one a layer change right at the pad
// places when another track of the net is deleted, and the one a track
// moved to the bottom leaves.
TEST_F(BoardRoutingTest, AViaJoiningAOneSidedPadToAnotherLayerStays) {
    auto document = [](bool plane) {
        std::string doc = kRouting;
        auto put = [&](const std::string& from, const std::string& to) {
            doc.replace(doc.find(from), from.size(), to);
        };
        if (plane)
            put("<Layer>BOT</Layer>",
                "<Layer>BOT</Layer><Layer Net=\"B\" Type=\"PLANE\">I01</Layer>");
        put("40.000,5.000 50.000,5.000</Conductor>",
            "40.000,5.000 50.000,5.000</Conductor><Conductor Layer=\"TOP\" Width=\"0.3\">11.000,"
            "10.000 20.000,10.000</Conductor><Padstack>V<PadLayer Size=\"1,1\"/><PadLayer "
            "Layer=\"BOT\" Size=\"1,1\"/><Drill Diam=\"0.3\"/><Pad XY=\"12,10\"/><Pad "
            "XY=\"20,30\"/></Padstack>");
        return doc;
    };
    const std::string lone = "<Pad XY=\"20,30\"/>";
    auto routeFromTheVia = [&] {
        Tool(ID_BRD_ROUTE_NEW);
        view->SetCurrentLayer(0); // Top, as the layer selector picks it
        Tap(PointF{12.3f, 10});
        ASSERT_TRUE(view->IsRouting());
    };
    struct Case {
        const char* name;
        bool plane;
        std::function<void()> steps;
        const char* via; // the via pad that stays
        bool loneGoes;
    };
    const Case cases[] = {
        {"a route from the via given up with a tool change", true,
         [&] {
             routeFromTheVia();
             Tool(ID_BRD_ROUTE_EDIT);
         },
         "<Pad XY=\"12,10\"/>", false},
        {"another track of the net deleted", true,
         [&] {
             Tool(ID_BRD_ROUTE_EDIT);
             Click(PointF{45, 5});
             Key(VK_DELETE);
         },
         "<Pad XY=\"12,10\"/>", true},
        {"a layer change right at the pad", false,
         [&] {
             Tool(ID_BRD_ROUTE_NEW);
             Tap(PointF{9, 10});
             Key('V');
             Move(PointF{9, 20});
             Click(PointF{9, 20});
             Key(VK_ESCAPE);
             Tool(ID_BRD_ROUTE_EDIT);
             Click(PointF{45, 20});
             Key(VK_DELETE);
         },
         "<Pad XY=\"9,10\"/>", false},
        {"a track from the via moved to the bottom", false,
         [&] {
             routeFromTheVia();
             Move(PointF{12, 20});
             Click(PointF{12, 20});
             Key(VK_ESCAPE);
             Tool(ID_BRD_ROUTE_EDIT);
             menuAnswers.clear();
             menuAnswers.push_back(33001);
             RightPress(PointF{12, 15});
             ASSERT_EQ(Count(Saved(), "<Conductor Layer=\"BOT\""), 1);
         },
         "<Pad XY=\"12,10\"/>", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenText(document(c.plane));
        ASSERT_TRUE(Track(L"B", 1)->m_vertices.front().tie.IsPad());
        c.steps();
        ASSERT_FALSE(view->IsRouting());
        const std::string after = Saved();
        EXPECT_NE(after.find(c.via), std::string::npos) << after;
        EXPECT_EQ(after.find(lone) == std::string::npos, c.loneGoes) << after;
        ExpectUndoAllRedoAll(after);
    }
}

TEST_F(BoardRoutingTest, WritesItsPicture) {
    RouteChangingLayers(PointF{9, 10}, PointF{15, 10}, PointF{25, 20});
    Tool(ID_BRD_ROUTE_EDIT);
    Drag(PointF{45, 20}, PointF{45, 15});
    ASSERT_FALSE(view->GetViolations(2).empty());
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, L"board-routing"));
    auto image = screen_picture::Grab(*view);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->SavePng(PathJoin(screen_picture::PictureFolder(), L"board-routing.png")));
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
    <Net>B
      <Padstack>VIA
        <PadLayer Size="1,1"/>
        <Pad XY="40,10"/>
      </Padstack>
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

// A track passing a round via of another net diagonally, where the via's
// grown circle is flattened between two points: closer than 0.2 mm it is
// marked however little closer, farther it is not.
TEST_F(BoardDrcTest, ARoundPadIsCheckedByTheTrueCircle) {
    auto g = view->MakeGraphics();
    CConductor* c = static_cast<CConductor*>(board->FindNet(L"A")->GetChild(0));
    const struct {
        double gap;
        bool marked;
    } cases[] = {{0.195, true}, {0.199, true}, {0.205, false}, {0.19, true}};
    for (double angle : {45.0, 135.0, 225.0, 315.0}) {
        const double a = angle * 3.14159265358979 / 180;
        const double ux = std::cos(a), uy = std::sin(a);
        for (const auto& k : cases) {
            // The track's edge lies gap beyond the via's edge, square to
            // the direction of the angle.
            const double d = 0.5 + 0.125 + k.gap;
            const double px = 40 + d * ux, py = 10 + d * uy;
            c->m_vertices = {{float(px + 2 * uy), float(py - 2 * ux), 0, {}},
                             {float(px - 2 * uy), float(py + 2 * ux), 0, {}}};
            view->CheckConductor(g.get(), c);
            EXPECT_EQ(view->GetViolations(2).size(), k.marked ? 1u : 0u)
                << angle << " degrees, gap " << k.gap;
        }
    }
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
