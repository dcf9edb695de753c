// The board editor's tools driven as a user drives them, each checked in the
// saved project: do it and compare, undo to the original bytes, redo again.
#include "board/area.h"
#include "board/area_node.h"
#include "board/conductor.h"
#include "board/layer.h"
#include "board/marking.h"
#include "board/mounting.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/root.h"
#include "platform/fill_picture_cache.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"
#include "schematic/net.h"
#include "schematic/text.h"
#include "tests/board/net_graph_check.h"
#include "tests/panel_rows.h"
#include "tests/screen_picture.h"
#include "tests/views/board_view_fixture.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

namespace {

// Two resistors on a 60 x 40 board with a 1 mm grid: R1 on top at (20,10)
// with a track of net A from (10,10) to its pad 1 at (19,10); R2 on the
// bottom at (40,10). Two free components: a fixed hole at (5,30) and a
// mark at (50,30).
const char* kComponents = R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project>
  <Board Grid="1,1" Outline="LIN0,0 LIN60,0 LIN60,40 LIN0,40" Unit="1">B
    <Layer>TOP</Layer>
    <Layer>BOT</Layer>
    <Layer Type="DOC">SST</Layer>
    <Package>
      <Pin NetName="A" Num="1"/>
      <Pin NetName="C" Num="2"/>
      <Text Layer="SST" Name="RefDes" Pos="-1,2">R1</Text>
      <Footprint XY="20,10">R0805
        <Padstack>PAD
          <PadLayer Shape="RECT" Size="1.2,1.4"/>
          <Pad Num="1" XY="-1,0"/>
          <Pad Num="2" XY="1,0"/>
        </Padstack>
        <Marking Layer="SST">L-2,-1,2,-1W0.15 L-2,1,2,1W0.15</Marking>
      </Footprint>
    </Package>
    <Package>
      <Pin NetName="C" Num="1"/>
      <Text Layer="SSB" Name="RefDes" Pos="-1,2">R2</Text>
      <Footprint Place="BOTTOM" XY="40,10">R0805
        <Padstack>PAD
          <PadLayer Layer="BOT" Shape="RECT" Size="1.2,1.4"/>
          <Pad Num="1" XY="-1,0"/>
          <Pad Num="2" XY="1,0"/>
        </Padstack>
      </Footprint>
    </Package>
    <Net>A
      <Conductor Layer="TOP" Width="0.3">10.000,10.000 15.000,10.000 19.000,10.000</Conductor>
    </Net>
    <Net>C
    </Net>
    <Mounting>
      <Footprint Fixed="1" XY="5,30">HOLE
        <Padstack>HOLE3
          <PadLayer Shape="ROUND" Size="3,3"/>
          <Drill Diam="3" NonPlated="1"/>
          <Pad/>
        </Padstack>
      </Footprint>
      <Footprint XY="50,30">MARK
        <Padstack>M1
          <PadLayer Shape="ROUND" Size="1,1"/>
          <Pad/>
        </Padstack>
      </Footprint>
    </Mounting>
  </Board>
</Project>
)";

class BoardToolsTest : public BoardViewTest {
protected:
    void OpenComponents() { OpenText(kComponents); }
    CConductor* Track() {
        CNet* a = board->FindNet(L"A");
        return a ? static_cast<CConductor*>(a->GetChild(0)) : nullptr;
    }
    static PointF PadPoint(CFootprint* footprint, const wchar_t* number) {
        return footprint->FindPadByNumber(number)->GetBoardPosition();
    }
    CArea* LastArea() {
        CArea* last = nullptr;
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Area)
                last = static_cast<CArea*>(child);
        return last;
    }
    // A board point where the model's own hit test finds the text.
    PointF PointOnText(CText* text) {
        auto g = view->MakeGraphics();
        CPackage* package = text->GetHoldingPackage();
        CFootprint* footprint = package ? package->GetFootprint() : nullptr;
        // The middle of the points that hit, well inside the text.
        double sx = 0, sy = 0;
        int n = 0;
        for (float dy = -4; dy <= 4; dy += 0.125f)
            for (float dx = -4; dx <= 6; dx += 0.125f) {
                PointF p{text->m_boardPosition.X + dx, text->m_boardPosition.Y + dy};
                if (footprint)
                    p = footprint->LocalToBoard(p.X, p.Y);
                const PointF local = footprint ? footprint->BoardToLocal(p.X, p.Y) : p;
                if (text->HitTestOnBoard(g.get(), local.X, local.Y)) {
                    sx += p.X;
                    sy += p.Y;
                    ++n;
                }
            }
        if (n == 0) {
            ADD_FAILURE() << "no point on the text";
            return PointF{};
        }
        return PointF{static_cast<float>(sx / n), static_cast<float>(sy / n)};
    }
};

// Equal but for anti-aliasing noise of a level or two: a ghost of an old
// place or a missing piece differs by whole colours.
bool NearColour(ARGB a, ARGB b) {
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > 8)
            return false;
    return true;
}

// --- Move component -------------------------------------------------------------------------

TEST_F(BoardToolsTest, DraggingAFootprintTakesItsTrackEndAlong) {
    OpenComponents();
    CConductor* track = Track();
    ASSERT_NE(track, nullptr);
    CFootprint* r1 = PackageFootprint(0);
    ASSERT_EQ(track->m_vertices[2].tie.GetPad(), r1->FindPadByNumber(L"1"));
    Key('C', 0, true);
    ASSERT_EQ(view->GetCurrentTool(), ID_BRD_MOVE_COMPONENT);
    Drag(PointF{19, 10}, PointF{19, 13});
    EXPECT_EQ(r1->m_boardPosition.X, 20);
    EXPECT_EQ(r1->m_boardPosition.Y, 13);
    // The last segment keeps its direction, a 45-degree piece joins it.
    ASSERT_EQ(track->m_vertices.size(), 3u);
    EXPECT_FLOAT_EQ(track->m_vertices[1].x, 13);
    EXPECT_FLOAT_EQ(track->m_vertices[1].y, 13);
    EXPECT_FLOAT_EQ(track->m_vertices[2].x, 19);
    EXPECT_FLOAT_EQ(track->m_vertices[2].y, 13);
    EXPECT_EQ(track->m_vertices[2].tie.GetPad(), r1->FindPadByNumber(L"1"));
    EXPECT_TRUE(r1->IsSelected());
    const std::string moved = Saved();
    EXPECT_NE(moved.find("<Footprint XY=\"20,13\">R0805"), std::string::npos);
    EXPECT_NE(moved.find("10.000,10.000 13.000,13.000 19.000,13.000"), std::string::npos);
    EXPECT_UNDO_REDO(moved);
    // One drag is one undo step.
    Undo();
    EXPECT_FALSE(view->GetUndoList().CanUndo());
}

// A drilled pad picks its footprint anywhere on it, on the ring and over
// the hole alike, with copper on both sides.
TEST_F(BoardToolsTest, AThroughHoleFootprintIsPickedOverItsHoles) {
    OpenText(R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project>
  <Board Grid="1,1" Outline="LIN0,0 LIN60,0 LIN60,40 LIN0,40">B
    <Layer>TOP</Layer>
    <Layer>BOT</Layer>
    <Package>
      <Footprint XY="20,20">TH
        <Padstack>ROUND1.6D0.8
          <PadLayer Size="1.6,1.6"/>
          <PadLayer Layer="BOT" Size="1.6,1.6"/>
          <Drill Diam="0.8"/>
          <Pad Num="1" XY="-2,0"/>
        </Padstack>
      </Footprint>
    </Package>
  </Board>
</Project>
)");
    CFootprint* th = PackageFootprint(0);
    Key('C', 0, true);
    for (PointF at : {PointF{18, 20}, PointF{18.6f, 20}}) {
        SCOPED_TRACE(testing::Message() << at.X << "," << at.Y);
        Click(PointF{30, 35});
        ASSERT_FALSE(th->IsSelected());
        Click(at);
        EXPECT_TRUE(th->IsSelected());
    }
    Click(PointF{30, 35});
    Drag(PointF{18, 20}, PointF{18, 23});
    const std::string moved = Saved();
    EXPECT_NE(moved.find("<Footprint XY=\"20,23\">TH"), std::string::npos);
    EXPECT_UNDO_REDO(moved);
}

TEST_F(BoardToolsTest, AFixedFootprintStaysAndAPressKeepsOtherSelections) {
    OpenComponents();
    CFootprint* r1 = PackageFootprint(0);
    CFootprint* r2 = PackageFootprint(1);
    Key('C', 0, true);
    Click(PointF{19, 10});
    Click(PointF{39, 10}, MK_CONTROL); // R2's pad 2 (the footprint is mirrored)
    EXPECT_TRUE(r1->IsSelected());
    EXPECT_TRUE(r2->IsSelected());
    // A press on a selected footprint keeps the others: both move.
    Drag(PointF{39, 10}, PointF{39, 12});
    EXPECT_EQ(r1->m_boardPosition.Y, 12);
    EXPECT_EQ(r2->m_boardPosition.Y, 12);
    // A press beside everything deselects.
    Click(PointF{30, 35});
    EXPECT_FALSE(r1->IsSelected());
    EXPECT_FALSE(r2->IsSelected());
    // The fixed hole does not move.
    CFootprint* hole = Mounted()[0];
    Drag(PointF{5, 30}, PointF{8, 30});
    EXPECT_EQ(hole->m_boardPosition.X, 5);
    EXPECT_EQ(Saved().find("XY=\"8,30\""), std::string::npos);
}

// The mouse reaches the view only where the view is what the user sees: a
// window lying over R1 takes the click there, while a drag from R2 that ends
// over that window stays the view's.
TEST_F(BoardToolsTest, AWindowOverTheViewTakesTheClicksThere) {
    OpenComponents();
    CFootprint* r1 = PackageFootprint(0);
    CFootprint* r2 = PackageFootprint(1);
    Key('C', 0, true);
    const POINT under = view->ClientToScreen(ToClient(PointF{19, 10}));
    PlatformWindow cover; // as a modeless dialog would lie
    ASSERT_TRUE(cover.Create(nullptr, RECT{under.x - 30, under.y - 30, under.x + 30, under.y + 30},
                             L"cover", WS_VISIBLE));
    ASSERT_NE(cover.GrabFromScreen(), nullptr); // shown by the window system
    const std::string before = Saved();
    Click(PointF{19, 10});
    EXPECT_FALSE(r1->IsSelected());
    EXPECT_EQ(Saved(), before);
    Drag(PointF{39, 10}, PointF{19, 10});
    EXPECT_EQ(r2->m_boardPosition.X, 20);
    EXPECT_EQ(r2->m_boardPosition.Y, 10);
    Undo();
    EXPECT_EQ(Saved(), before);
    // Without the cover the same click selects R1.
    cover.DestroyWindow();
    PumpPendingMessages();
    Click(PointF{19, 10});
    EXPECT_TRUE(r1->IsSelected());
}

// Components turned, flipped and dragged together, and each step undone
// and redone: the graph of every net of every one of them is rebuilt, the
// nets of the second footprint (D is only on R2) as well as the first's.
TEST_F(BoardToolsTest, NetGraphsFollowComponentsChangedTogether) {
    std::string text = kComponents;
    const std::string pin = "<Pin NetName=\"C\" Num=\"1\"/>\n      <Text Layer=\"SSB\"";
    ASSERT_NE(text.find(pin), std::string::npos);
    text.insert(text.find(pin) + pin.find('\n') + 1, "      <Pin NetName=\"D\" Num=\"2\"/>\n");
    text.insert(text.find("    <Mounting>"), "    <Net>D</Net>\n");
    OpenText(text);
    CFootprint* r1 = PackageFootprint(0);
    CFootprint* r2 = PackageFootprint(1);
    ASSERT_NE(board->FindNet(L"D"), nullptr);
    ASSERT_TRUE(NetGraphsAreFresh(board));
    Key('C', 0, true);
    Click(PointF{19, 10});
    Click(PointF{39, 10}, MK_CONTROL);
    ASSERT_TRUE(r1->IsSelected() && r2->IsSelected());
    struct Gesture {
        const char* name;
        std::function<void()> act;
    };
    const Gesture gestures[] = {
        {"turned", [&] { Key('R'); }},
        {"flipped to the top", [&] { Key('T'); }},
        {"flipped to the bottom", [&] { Key('B'); }},
        {"turned from the menu",
         [&] {
             menuAnswers.push_back(ID_BRD_ROTATE);
             RightPress(PointF{30, 35});
         }},
        {"dragged",
         [&] {
             const PointF at = PadPoint(r1, L"1");
             Drag(at, PointF{at.X + 2, at.Y + 3});
         }},
    };
    int steps = 0;
    for (const Gesture& gesture : gestures) {
        SCOPED_TRACE(gesture.name);
        const PointF before = r2->m_boardPosition;
        const int rotation = r2->m_rotation, place = r2->m_place;
        gesture.act();
        ASSERT_TRUE(r2->m_boardPosition.X != before.X || r2->m_boardPosition.Y != before.Y ||
                    r2->m_rotation != rotation || r2->m_place != place)
            << "R2 did not change";
        ++steps;
        EXPECT_TRUE(NetGraphsAreFresh(board));
    }
    for (int i = 0; i < steps; ++i) {
        Undo();
        EXPECT_TRUE(NetGraphsAreFresh(board)) << "undo " << i;
    }
    EXPECT_EQ(Saved(), original);
    for (int i = 0; i < steps; ++i) {
        Redo();
        EXPECT_TRUE(NetGraphsAreFresh(board)) << "redo " << i;
    }
}

TEST_F(BoardToolsTest, RotationFollowsTheSideAndShift) {
    OpenComponents();
    CFootprint* r1 = PackageFootprint(0);
    CFootprint* r2 = PackageFootprint(1);
    CConductor* track = Track();
    Key('C', 0, true);
    Click(PointF{19, 10});
    Key('R');
    EXPECT_EQ(r1->m_rotation, -90);
    // Pad 1 turned to (20,11): the track end went with it.
    EXPECT_FLOAT_EQ(track->m_vertices.back().x, 20);
    EXPECT_FLOAT_EQ(track->m_vertices.back().y, 11);
    const std::string turned = Saved();
    EXPECT_NE(turned.find("Rotation=\"-90\""), std::string::npos);
    EXPECT_UNDO_REDO(turned);
    Key('R', MK_SHIFT);
    EXPECT_EQ(r1->m_rotation, 0);
    Key('R', MK_SHIFT);
    Key('R', MK_SHIFT);
    EXPECT_EQ(r1->m_rotation, 180);
    Key('R', MK_SHIFT);
    EXPECT_EQ(r1->m_rotation, -90); // 180 + 90 comes back into (-180, 180]
    // On the bottom side the turn goes the other way.
    Click(PointF{39, 10});
    EXPECT_TRUE(r2->IsSelected());
    EXPECT_FALSE(r1->IsSelected());
    Key('R');
    EXPECT_EQ(r2->m_rotation, 90);
}

// The panel shows the component's position and turn as they are after each
// undo and redo, not as they were before.
TEST_F(BoardToolsTest, TheComponentsRowsFollowUndoAndRedo) {
    OpenComponents();
    CFootprint* r1 = PackageFootprint(0);
    CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
    Key('C', 0, true);
    Click(PointF{19, 10});
    ASSERT_EQ(grid.GetShownObject(), r1);
    Key('R');
    Drag(PointF{20, 11}, PointF{20, 14}); // pad 1, turned below the middle
    ASSERT_EQ(r1->m_rotation, -90);
    ASSERT_EQ(r1->m_boardPosition.Y, 13);
    using panel_rows::Value;
    auto rows = [&] {
        return std::vector<std::wstring>{Value(grid, L"X"), Value(grid, L"Y"),
                                         Value(grid, L"Rotation")};
    };
    const auto moved = rows();
    EXPECT_EQ(moved, (std::vector<std::wstring>{L"20.000", L"13.000", L"-90.000"}));
    struct Step {
        const char* name;
        int key;
        std::vector<std::wstring> expected;
    };
    const std::vector<std::wstring> turned{L"20.000", L"10.000", L"-90.000"};
    const std::vector<std::wstring> first{L"20.000", L"10.000", L"0.000"};
    const Step steps[] = {{"undo the drag", 'Z', turned},
                          {"undo the turn", 'Z', first},
                          {"redo the turn", 'Y', turned},
                          {"redo the drag", 'Y', moved}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        Key(step.key, MK_CONTROL);
        EXPECT_EQ(grid.GetShownObject(), r1);
        EXPECT_EQ(rows(), step.expected);
        const panel_rows::Comparison c = panel_rows::CompareWithFreshFill(grid);
        EXPECT_TRUE(c.Equal()) << c.Describe();
    }
}

TEST_F(BoardToolsTest, FlippingDetachesTracksAndMirrorsLayers) {
    OpenComponents();
    CFootprint* r1 = PackageFootprint(0);
    CConductor* track = Track();
    Key('C', 0, true);
    Click(PointF{19, 10});
    Key('B');
    EXPECT_EQ(r1->m_place, kPlaceBottom);
    EXPECT_TRUE(track->m_vertices.back().tie.IsNone());
    EXPECT_FLOAT_EQ(track->m_vertices.back().x, 19); // the track stays
    const std::string flipped = Saved();
    EXPECT_NE(flipped.find("<Footprint Place=\"BOTTOM\" XY=\"20,10\">R0805"), std::string::npos);
    EXPECT_NE(flipped.find("<PadLayer Layer=\"BOT\" Shape=\"RECT\""), std::string::npos);
    EXPECT_NE(flipped.find("<Marking Layer=\"SSB\">"), std::string::npos);
    EXPECT_NE(flipped.find("<Text Layer=\"SSB\" Name=\"RefDes\" Pos=\"-1,2\">R1"),
              std::string::npos);
    EXPECT_UNDO_REDO(flipped);
    Key('T');
    EXPECT_EQ(r1->m_place, kPlaceTop);
}

TEST_F(BoardToolsTest, FixedFreeComponentsRefuseKeysMenuAndDelete) {
    OpenComponents();
    CFootprint* hole = Mounted()[0];
    CFootprint* mark = Mounted()[1];
    Key('C', 0, true);
    Click(PointF{5, 30});
    ASSERT_TRUE(hole->IsSelected());
    for (int key : {'R', 'T', 'B'})
        Key(key);
    EXPECT_EQ(MessageBoxesWith(L"Component is fixed"), 3);
    EXPECT_EQ(hole->m_rotation, 0);
    EXPECT_EQ(hole->m_place, kPlaceTop);
    menuAnswers.push_back(ID_BRD_ROTATE);
    RightPress(PointF{5, 30});
    EXPECT_EQ(MessageBoxesWith(L"Component is fixed"), 4);
    EXPECT_EQ(hole->m_rotation, 0);
    Key(VK_DELETE);
    EXPECT_EQ(MessageBoxesWith(L"Component is fixed"), 5);
    EXPECT_EQ(Saved(), original);
    // The free one turns, flips and goes.
    Click(PointF{50, 30});
    Key('R');
    EXPECT_EQ(mark->m_rotation, -90);
    Key('B');
    EXPECT_EQ(mark->m_place, kPlaceBottom);
    const std::string before = Saved();
    Key(VK_DELETE);
    EXPECT_EQ(Mounted().size(), 1u);
    const std::string deleted = Saved();
    EXPECT_EQ(deleted.find("MARK"), std::string::npos);
    ExpectUndoRedo(before, deleted);
}

TEST_F(BoardToolsTest, TheComponentMenuSelectsAndShowsTheSides) {
    OpenComponents();
    CFootprint* r1 = PackageFootprint(0);
    CFootprint* r2 = PackageFootprint(1);
    Key('C', 0, true);
    Click(PointF{19, 10});
    // A right press on an unselected footprint adds it to the selection.
    menuAnswers.push_back(0);
    RightPress(PointF{39, 10});
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_TRUE(r1->IsSelected());
    EXPECT_TRUE(r2->IsSelected());
    const PopupMenu::Item* top = menus[0].FindItem(ID_BRD_PLACE_TOP);
    const PopupMenu::Item* bottom = menus[0].FindItem(ID_BRD_PLACE_BOTTOM);
    ASSERT_TRUE(top && bottom);
    EXPECT_FALSE(top->flags & MF_CHECKED);
    EXPECT_FALSE(bottom->flags & MF_CHECKED);
    EXPECT_FALSE(menus[0].FindItem(ID_BRD_SAVE_FOOTPRINT)->flags & MF_GRAYED);
    EXPECT_EQ(Saved(), original);
    // Rotate from the menu turns both, each by its side.
    menuAnswers.push_back(ID_BRD_ROTATE);
    RightPress(PointF{39, 10});
    EXPECT_EQ(r1->m_rotation, -90);
    EXPECT_EQ(r2->m_rotation, 90);
    EXPECT_UNDO_REDO(Saved());
    // One side only: its item is checked; Top moves both to the top.
    Click(PointF{30, 35});
    menuAnswers.push_back(ID_BRD_PLACE_TOP);
    RightPress(PadPoint(r2, L"1"));
    EXPECT_TRUE(menus.back().FindItem(ID_BRD_PLACE_BOTTOM)->flags & MF_CHECKED);
    EXPECT_EQ(r2->m_place, kPlaceTop);
    // Nothing selected: nothing to save.
    Click(PointF{30, 35});
    RightPress(PointF{30, 35});
    EXPECT_TRUE(menus.back().FindItem(ID_BRD_SAVE_FOOTPRINT)->flags & MF_GRAYED);
}

TEST_F(BoardToolsTest, SaveFootprintWritesItAtTheOriginOnTop) {
    OpenText(R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project>
  <Board Grid="1,1" Outline="LIN0,0 LIN60,0 LIN60,40 LIN0,40">B
    <Mounting>
      <Footprint Place="BOTTOM" Rotation="90" XY="12,7">SO8
        <Padstack>P
          <PadLayer Layer="BOT" Shape="RECT" Size="1,2"/>
          <Pad Num="1" XY="-2,0"/>
          <Pad Num="2" XY="2,0"/>
        </Padstack>
        <Marking Layer="SSB">L-3,-2,3,-2W0.15</Marking>
      </Footprint>
    </Mounting>
  </Board>
</Project>
)");
    Key('C', 0, true);
    const std::wstring path = PathJoin(scratch, L"saved.footprint");
    fileAnswers.push_back(path);
    menuAnswers.push_back(ID_BRD_SAVE_FOOTPRINT);
    RightPress(PointF{12, 5}); // pad 1: (-2,0) turned and mirrored
    ASSERT_EQ(fileDialogs.size(), 1u);
    EXPECT_EQ(fileDialogs[0].fileName, L"SO8");
    EXPECT_TRUE(fileDialogs[0].overwritePrompt);
    ASSERT_EQ(fileDialogs[0].filters.size(), 2u);
    EXPECT_EQ(fileDialogs[0].filters[0].second, L"*.footprint");
    EXPECT_EQ(fileDialogs[0].initialDir, g_MainFrame.GetDefaultFolder(kDocumentFootprintLibrary));
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
                     "<FootprintLib>\r\n"
                     "  <Footprint>SO8\r\n"
                     "    <Padstack>P\r\n"
                     "      <PadLayer Shape=\"RECT\" Size=\"1,2\"/>\r\n"
                     "      <Pad Num=\"1\" XY=\"-2,0\"/>\r\n"
                     "      <Pad Num=\"2\" XY=\"2,0\"/>\r\n"
                     "    </Padstack>\r\n"
                     "    <Marking Layer=\"SST\">L-3,-2,3,-2W0.15</Marking>\r\n"
                     "  </Footprint>\r\n"
                     "</FootprintLib>\r\n");
    // The board is as it was; Cancel writes nothing.
    EXPECT_EQ(Saved(), original);
    fileAnswers.push_back(std::nullopt);
    menuAnswers.push_back(ID_BRD_SAVE_FOOTPRINT);
    const std::wstring other = PathJoin(scratch, L"other.footprint");
    RightPress(PointF{12, 5});
    EXPECT_FALSE(FileExists(other));
}

// --- Place free component -------------------------------------------------------------------

class FreeComponentTest : public BoardToolsTest {
protected:
    void SetUp() override {
        BoardToolsTest::SetUp();
        SetFreeComponentPadstackSource([this](CBoard*, int unit) -> CPadstack* {
            units.push_back(unit);
            if (cancel)
                return nullptr;
            auto* padstack = new CPadstack(L"VIA1");
            auto* layer = new CPadLayer(0);
            layer->m_shape = kPadShapeRound;
            layer->m_width = layer->m_height = 1.5f;
            padstack->AddChild(layer);
            return padstack;
        });
    }
    std::vector<int> units;
    bool cancel = false;
};

TEST_F(FreeComponentTest, ClicksLeaveCopiesAndEscTakesTheFloatingOneAway) {
    OpenComponents();
    Command(ID_BRD_PLACE_FREE_COMPONENT);
    ASSERT_EQ(view->GetCurrentTool(), ID_BRD_PLACE_FREE_COMPONENT);
    EXPECT_EQ(units, std::vector<int>{kUnitMm});
    CFootprint* floating = view->GetFloatingComponent();
    ASSERT_NE(floating, nullptr);
    EXPECT_EQ(floating->GetParent()->GetType(), NodeType::Mounting);
    for (float x : {30.0f, 35.0f, 40.0f}) {
        Move(PointF{x, 20.2f}); // the first move after a click only settles it
        Move(PointF{x, 20.2f});
        EXPECT_EQ(view->GetFloatingComponent()->m_boardPosition.X, x);
        EXPECT_EQ(view->GetFloatingComponent()->m_boardPosition.Y, 20); // on the grid
        Click(PointF{x, 20});
    }
    EXPECT_EQ(Mounted().size(), 6u); // two before, three placed, one floating
    // Undo is refused while a copy floats; Delete never takes it.
    Undo();
    EXPECT_EQ(Mounted().size(), 6u);
    Key(VK_DELETE);
    EXPECT_EQ(Mounted().size(), 6u);
    EXPECT_NE(view->GetFloatingComponent(), nullptr);
    Key(VK_ESCAPE);
    EXPECT_EQ(view->GetFloatingComponent(), nullptr);
    EXPECT_EQ(view->GetCurrentTool(), ID_BRD_MOVE_COMPONENT);
    ASSERT_EQ(Mounted().size(), 5u);
    const std::string placed = Saved();
    EXPECT_NE(placed.find("<Footprint XY=\"35,20\">VIA1\r\n"
                          "        <Padstack>VIA1\r\n"
                          "          <PadLayer Size=\"1.5,1.5\"/>\r\n"
                          "          <Pad/>\r\n"),
              std::string::npos);
    // Each placement is one step.
    Undo();
    Undo();
    EXPECT_EQ(Mounted().size(), 3u);
    Undo();
    EXPECT_EQ(Saved(), original);
    Redo();
    Redo();
    Redo();
    EXPECT_EQ(Saved(), placed);
}

TEST_F(FreeComponentTest, EscAfterTurningTheFloatingCopyRemovesExactlyIt) {
    OpenComponents();
    Command(ID_BRD_PLACE_FREE_COMPONENT);
    Move(PointF{30, 20});
    Click(PointF{30, 20});
    Key('R'); // turns the floating copy: a change after its insertion
    EXPECT_EQ(view->GetFloatingComponent()->m_rotation, -90);
    Key(VK_ESCAPE);
    EXPECT_EQ(view->GetFloatingComponent(), nullptr);
    EXPECT_EQ(Mounted().size(), 3u);
    EXPECT_EQ(Mounted()[2]->m_rotation, 0); // the placed copy was not touched
    // The whole history stays consistent back to the start.
    while (view->GetUndoList().CanUndo())
        Undo();
    EXPECT_EQ(Saved(), original);
}

TEST_F(FreeComponentTest, ACancelledSheetReturnsToSelect) {
    OpenComponents();
    cancel = true;
    Command(ID_BRD_PLACE_FREE_COMPONENT);
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    EXPECT_EQ(g_MainFrame.UIGetCheck(ID_TOOL_SELECT), 1);
    EXPECT_EQ(Saved(), original);
}

TEST_F(FreeComponentTest, AFreeComponentOnABoardWithoutMountingMakesOne) {
    OpenText(R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project>
  <Board Grid="1,1" Outline="LIN0,0 LIN60,0 LIN60,40 LIN0,40">B
  </Board>
</Project>
)");
    Command(ID_BRD_PLACE_FREE_COMPONENT);
    Move(PointF{10, 10});
    Click(PointF{10, 10});
    Key(VK_ESCAPE);
    const std::string placed = Saved();
    EXPECT_NE(placed.find("<Mounting>"), std::string::npos);
    EXPECT_UNDO_REDO(placed);
}

// --- Board outline ----------------------------------------------------------------------------

TEST_F(BoardToolsTest, OutlineNodesAreDeletedDownToThree) {
    OpenComponents();
    Key('B', 0, true);
    ASSERT_EQ(view->GetCurrentTool(), ID_BRD_OUTLINE);
    Click(PointF{30, 0}); // the bottom edge
    EXPECT_EQ(board->m_outline->m_selectedNode, 1);
    Key(VK_DELETE);
    EXPECT_EQ(CountAreaNodes(board->m_outline), 3);
    const std::string deleted = Saved();
    EXPECT_NE(deleted.find("Outline=\"LIN60,0 LIN60,40 LIN0,40\""), std::string::npos);
    EXPECT_UNDO_REDO(deleted);
    // A triangle gives one more node; then the outline stays.
    Click(PointF{60, 20});
    Key(VK_DELETE);
    EXPECT_EQ(CountAreaNodes(board->m_outline), 2);
    // Both pieces of two nodes lie on one line: each refuses.
    Click(PointF{30, 40});
    Key(VK_DELETE);
    EXPECT_EQ(CountAreaNodes(board->m_outline), 2);
    EXPECT_EQ(MessageBoxesWith(L"Unable to delete last element"), 2);
}

TEST_F(BoardToolsTest, OutlineHandlesDragOnTheGrid) {
    OpenComponents();
    Key('B', 0, true);
    Click(PointF{30, 0});
    Drag(PointF{60, 0}, PointF{62.3f, -1.8f}); // the handle of the second node
    const std::string dragged = Saved();
    EXPECT_NE(dragged.find("Outline=\"LIN0,0 LIN62,-2 LIN60,40 LIN0,40\""), std::string::npos);
    EXPECT_UNDO_REDO(dragged);
    Key(VK_ESCAPE);
    EXPECT_EQ(board->m_outline->m_selectedNode, 0);
}

// --- Areas --------------------------------------------------------------------------------------

// A 60 x 40 board with a top and a bottom layer, the grid given and one
// area element (a whole line of the file) on it.
std::string BoardWithArea(const std::string& grid, const std::string& areaLine) {
    return R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project>
  <Board Grid=")" +
           grid + R"(" Outline="LIN0,0 LIN60,0 LIN60,40 LIN0,40">B
    <Layer>TOP</Layer>
    <Layer>BOT</Layer>
)" + areaLine +
           R"(  </Board>
</Project>
)";
}

// An area drawn as a rectangle from the press at a to the press at b: four
// corners, the first and third where the presses were (as the pixels place
// them), the other two squaring them.
void ExpectRectangle(const CArea* area, PointF a, PointF b) {
    ASSERT_EQ(CountAreaNodes(area->m_outline), 4);
    const CAreaNode* n1 = area->m_outline;
    const CAreaNode* n2 = n1->m_next;
    const CAreaNode* n3 = n2->m_next;
    const CAreaNode* n4 = n3->m_next;
    EXPECT_NEAR(n1->m_x, a.X, 0.1);
    EXPECT_NEAR(n1->m_y, a.Y, 0.1);
    EXPECT_NEAR(n3->m_x, b.X, 0.1);
    EXPECT_NEAR(n3->m_y, b.Y, 0.1);
    EXPECT_TRUE(n2->m_x == n1->m_x && n2->m_y == n3->m_y);
    EXPECT_TRUE(n4->m_x == n3->m_x && n4->m_y == n1->m_y);
}

TEST_F(BoardToolsTest, APressMoveAndPressDrawsARectangularArea) {
    OpenComponents();
    Key('1');
    Command(ID_BRD_AREA_NEW);
    Press(PointF{10, 20});
    Release(PointF{10, 20});
    Move(PointF{10, 20});    // settles the press
    Move(PointF{30, 30.4f}); // not on the grid: areas take the point as it is
    Click(PointF{30, 30.4f});
    EXPECT_EQ(view->GetCurrentTool(), ID_BRD_AREA_EDIT);
    CArea* area = LastArea();
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->GetLayer(), 0);
    EXPECT_EQ(view->GetCurrentArea(), area);
    // The corners where the presses were, as the pixels place them.
    ASSERT_NO_FATAL_FAILURE(ExpectRectangle(area, PointF{10, 20}, PointF{30, 30.4f}));
    const CAreaNode* n1 = area->m_outline;
    EXPECT_NE(n1->m_next->m_next->m_y, 30); // not on the grid
    const std::string drawn = Saved();
    EXPECT_NE(drawn.find("<Area Layer=\"TOP\">" + WideToUtf8(AreaOutlineToString(n1)) + "</Area>"),
              std::string::npos);
    Key(VK_ESCAPE);
    EXPECT_UNDO_REDO(drawn);
}

TEST_F(BoardToolsTest, APressWithoutMoveDrawsNoArea) {
    OpenComponents();
    Key('1');
    Command(ID_BRD_AREA_NEW);
    Click(PointF{10, 20});
    Click(PointF{10, 20});
    EXPECT_EQ(view->GetCurrentTool(), ID_BRD_AREA_EDIT);
    EXPECT_EQ(LastArea(), nullptr);
    EXPECT_EQ(Saved(), original);
    EXPECT_FALSE(view->GetUndoList().CanRedo());
    // The outline entry in front: no layer to draw on.
    Key('0');
    Command(ID_BRD_AREA_NEW);
    Click(PointF{10, 20});
    EXPECT_EQ(MessageBoxesWith(L"No layer selected"), 1);
    EXPECT_EQ(Saved(), original);
}

// The pointer as a user moves it between the presses: one move, which the
// view swallows as the settling of the press, and the corner lies where the
// second press is. A plane on the bottom layer lies under all of it.
TEST_F(BoardToolsTest, ASecondPressPutsTheCornerOfTheNewAreaWhereItIs) {
    const std::string plane = "    <Area Layer=\"BOT\">LIN1,1 LIN59,1 LIN59,39 LIN1,39</Area>\n";
    OpenText(BoardWithArea("1,1", plane));
    Key('1');
    Command(ID_BRD_AREA_NEW);
    Click(PointF{10, 20});
    Move(PointF{30, 30});
    Click(PointF{30, 30});
    EXPECT_EQ(view->GetCurrentTool(), ID_BRD_AREA_EDIT);
    EXPECT_EQ(view->GetFrontLayer(), 0);
    CArea* area = LastArea();
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(view->GetCurrentArea(), area);
    // The corners (10,20) (10,30) (30,30) (30,20) as the pixels place them.
    ASSERT_NO_FATAL_FAILURE(ExpectRectangle(area, PointF{10, 20}, PointF{30, 30}));
    const CAreaNode* n1 = area->m_outline;
    const std::string rectangle =
        "    <Area Layer=\"TOP\">" + WideToUtf8(AreaOutlineToString(n1)) + "</Area>\n";
    // The project saves with CR LF.
    const std::string savedPlane = plane.substr(0, plane.size() - 1) + "\r\n";
    std::string expected = original;
    ASSERT_NE(expected.find(savedPlane), std::string::npos);
    expected.insert(expected.find(savedPlane) + savedPlane.size(),
                    rectangle.substr(0, rectangle.size() - 1) + "\r\n");
    const std::string drawn = Saved();
    EXPECT_EQ(drawn, expected);
    Key(VK_ESCAPE);
    EXPECT_UNDO_REDO(drawn);
}

// A rectangle without height or width is no area, whichever way it ends.
TEST_F(BoardToolsTest, ARectangleWithoutHeightOrWidthDrawsNoArea) {
    OpenComponents();
    Key('1');
    for (const PointF corner : {PointF{30, 20}, PointF{10, 35}}) {
        const std::vector<std::function<void()>> endings = {
            [&] { Click(corner); },
            [&] { Key(VK_ESCAPE); },
            [&] { Command(ID_BRD_TEXT_EDIT); },
        };
        for (size_t e = 0; e < endings.size(); ++e) {
            SCOPED_TRACE("ending " + std::to_string(e) + ", corner x " + std::to_string(corner.X));
            Command(ID_BRD_AREA_NEW);
            Click(PointF{10, 20});
            Move(PointF{10, 20});
            Move(corner);
            endings[e]();
            EXPECT_EQ(LastArea(), nullptr);
            EXPECT_EQ(Saved(), original);
        }
    }
}

TEST_F(BoardToolsTest, AreasArePickedDeletedAndNotDrawnOverOnTheirLayer) {
    OpenText(R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project>
  <Board Grid="1,1" Outline="LIN0,0 LIN60,0 LIN60,40 LIN0,40">B
    <Layer>TOP</Layer>
    <Layer>BOT</Layer>
    <Area Layer="BOT">LIN1,1 LIN59,1 LIN59,39 LIN1,39</Area>
    <Area Layer="TOP">LIN40,2 LIN55,2 LIN55,12 LIN40,12</Area>
  </Board>
</Project>
)");
    Key('1');
    // A press on the top area does not start a new one; the bottom plane
    // under the rest of the board does not stand in the way.
    Command(ID_BRD_AREA_NEW);
    Click(PointF{45, 5});
    EXPECT_EQ(view->GetNewArea(), nullptr);
    Click(PointF{10, 20});
    EXPECT_NE(view->GetNewArea(), nullptr);
    Key(VK_ESCAPE);
    EXPECT_EQ(Saved(), original);
    // Edit area: the top area on the front layer; elsewhere the bottom plane,
    // whose layer comes to the front.
    Command(ID_BRD_AREA_EDIT);
    Click(PointF{45, 5});
    ASSERT_NE(view->GetCurrentArea(), nullptr);
    EXPECT_EQ(view->GetCurrentArea()->GetLayer(), 0);
    Click(PointF{10, 20});
    ASSERT_NE(view->GetCurrentArea(), nullptr);
    EXPECT_EQ(view->GetCurrentArea()->GetLayer(), 1);
    EXPECT_EQ(view->GetFrontLayer(), 1);
    Key(VK_DELETE);
    EXPECT_EQ(view->GetCurrentArea(), nullptr);
    const std::string deleted = Saved();
    EXPECT_EQ(deleted.find("LIN1,1 LIN59,1"), std::string::npos);
    EXPECT_UNDO_REDO(deleted);
}

// Draw sketch is in no file, yet its tick is an undo step as any row's:
// Ctrl+Z fills the area again and unticks the row, Ctrl+Y sketches it again,
// the saved project the same throughout.
TEST_F(BoardToolsTest, DrawSketchIsUndoneAndRedoneWithItsRow) {
    OpenText(
        BoardWithArea("1,1", "    <Area Layer=\"TOP\">LIN40,2 LIN55,2 LIN55,12 LIN40,12</Area>\n"));
    Key('1');
    Command(ID_BRD_AREA_EDIT);
    Click(PointF{45, 5});
    CArea* area = LastArea();
    ASSERT_NE(area, nullptr);
    CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
    ASSERT_EQ(grid.GetShownObject(), area);
    // The row's check box clicked, as a user ticks it.
    CPropertyListCtrl& rows = grid.GetList();
    RECT r{};
    ASSERT_EQ(grid.GetItem(2)->GetName(), L"Draw sketch");
    ASSERT_TRUE(rows.IsWindowVisible() && rows.GetItemRect(2, &r));
    const POINT box{rows.GetDivider() + 6, (r.top + r.bottom) / 2};
    MouseAt(&rows, WM_LBUTTONDOWN, box, MK_LBUTTON);
    MouseAt(&rows, WM_LBUTTONUP, box);
    PumpPendingMessages();
    ASSERT_TRUE(area->m_drawSketch);
    EXPECT_EQ(Saved(), original);
    struct Step {
        const char* name;
        int key;
        bool sketch;
        bool canUndo;
        bool canRedo;
    };
    const Step steps[] = {{"undo", 'Z', false, false, true}, {"redo", 'Y', true, true, false}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        Key(step.key, MK_CONTROL);
        EXPECT_EQ(area->m_drawSketch, step.sketch);
        EXPECT_EQ(grid.GetShownObject(), area);
        EXPECT_EQ(panel_rows::Value(grid, L"Draw sketch"), step.sketch ? L"[x]" : L"[ ]");
        RunIdleHandlers(); // the toolbar's Undo and Redo as the user sees them
        EXPECT_EQ(g_MainFrame.UIIsEnabled(ID_EDIT_UNDO), step.canUndo);
        EXPECT_EQ(g_MainFrame.UIIsEnabled(ID_EDIT_REDO), step.canRedo);
        EXPECT_EQ(Saved(), original);
    }
}

// Corners snap to the grid one by one: the two ends of a dragged edge can
// land on one point. The drag ends with one corner there, and one undo
// takes it all back.
TEST_F(BoardToolsTest, AnEdgeDraggedOntoOneGridPointLeavesOneCorner) {
    const std::string area = "    <Area Layer=\"TOP\">LIN11,10 LIN11,25 LIN14,25 LIN14,10</Area>\n";
    OpenText(BoardWithArea("5,5", area));
    Key('1');
    Command(ID_BRD_AREA_EDIT);
    Drag(PointF{12.5f, 25}, PointF{14.5f, 25}); // 13 and 16 both snap to 15
    ASSERT_EQ(view->GetCurrentArea(), LastArea());
    const std::string savedArea = area.substr(0, area.size() - 1) + "\r\n";
    std::string expected = original;
    ASSERT_NE(expected.find(savedArea), std::string::npos);
    expected.replace(expected.find(savedArea), savedArea.size(),
                     "    <Area Layer=\"TOP\">LIN11,10 LIN15,25 LIN14,10</Area>\r\n");
    const std::string dragged = Saved();
    EXPECT_EQ(dragged, expected);
    EXPECT_UNDO_REDO(dragged);
}

// --- Texts
// ----------------------------------------------------------------------------------------

TEST_F(BoardToolsTest, AFreeTextIsPlacedOnTheFrontLayer) {
    OpenComponents();
    Key('2', MK_SHIFT); // Silkscreen bottom
    Command(ID_BRD_TEXT_PLACE_FREE);
    CText* text = view->GetFloatingText();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetText(), L"?");
    EXPECT_EQ(text->GetLayer(), 23);
    EXPECT_EQ(text->m_font, L"Tahoma");
    EXPECT_EQ(text->m_fontSize, 1.5f);
    EXPECT_EQ(GetPropertyGrid()->GetShownObject(), text);
    EXPECT_TRUE(GetPropertyGrid()->IsEditing());
    // The user types the text at once; Enter gives the keys back to the view.
    TypeAtFocus(L"R1 top");
    Key(VK_RETURN);
    EXPECT_FALSE(GetPropertyGrid()->IsEditing());
    EXPECT_EQ(text->GetText(), L"R1 top");
    Key('R');
    EXPECT_EQ(text->m_rotation, 90);
    // A layer of 24 or more is refused; Silkscreen top is taken.
    Key('3', MK_SHIFT);
    EXPECT_EQ(MessageBoxesWith(L"Invalid layer selected"), 1);
    EXPECT_EQ(text->GetLayer(), 23);
    Key('1', MK_SHIFT);
    EXPECT_EQ(text->GetLayer(), 22);
    Move(PointF{20.5f, 25.5f});
    Move(PointF{20.5f, 25.5f});
    Click(PointF{20.5f, 25.5f});
    EXPECT_EQ(view->GetFloatingText(), nullptr);
    EXPECT_EQ(view->GetCurrentTool(), ID_BRD_TEXT_EDIT);
    EXPECT_NEAR(text->m_boardPosition.X, 20.5f, 0.3);
    EXPECT_NE(text->m_boardPosition.X, 20); // not on the grid
    const std::string placed = Saved();
    const size_t at = placed.find("<Text Layer=\"SST\" Pos=\"");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(placed.substr(placed.find('\"', at + 24), 29), "\" Rotation=\"90\">R1 top</Text>");
    // The typed text is an edit of its own: two undos take the text away.
    Undo();
    Undo();
    EXPECT_EQ(Saved(), original);
    Redo();
    Redo();
    EXPECT_EQ(Saved(), placed);
}

TEST_F(BoardToolsTest, EscClosesTheNewTextsRowAndTheViewHasTheKeysAgain) {
    OpenComponents();
    Key('1', MK_SHIFT);
    Command(ID_BRD_TEXT_PLACE_FREE);
    CText* text = view->GetFloatingText();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetLayer(), 22);
    TypeAtFocus(L"Gone");
    Key(VK_ESCAPE); // closes the row without taking the typing
    EXPECT_FALSE(GetPropertyGrid()->IsEditing());
    EXPECT_EQ(text->GetText(), L"?");
    Key('2'); // Bottom
    EXPECT_EQ(text->GetLayer(), 1);
    Key(VK_ESCAPE); // ends the tool; the text stays where it floated
    EXPECT_EQ(view->GetFloatingText(), nullptr);
    EXPECT_EQ(view->GetCurrentTool(), ID_BRD_TEXT_EDIT);
    EXPECT_NE(Saved().find("<Text Layer=\"BOT\""), std::string::npos);
    Undo(); // Edit > Undo reaches the view and takes the text away
    EXPECT_EQ(Saved(), original);
}

// A new text whose value is emptied is never placed, whatever ends its
// typing: it goes as if never begun, and the undo steps before it stay.
TEST_F(BoardToolsTest, AnEmptiedNewTextIsDroppedHoweverItsTypingEnds) {
    const std::pair<const char*, std::function<void()>> kEnds[] = {
        {"Enter", [this] { Key(VK_RETURN); }},
        {"a click",
         [this] {
             Click(PointF{20.5f, 25.5f});
         }},
        {"a right click",
         [this] {
             RightPress(PointF{20.5f, 25.5f});
         }},
        {"another tool", [this] { Command(ID_BRD_ROUTE_EDIT); }},
    };
    OpenComponents();
    Key('1', MK_SHIFT);
    for (const auto& [name, end] : kEnds) {
        SCOPED_TRACE(name);
        const size_t depth = view->GetUndoList().UndoCount();
        Command(ID_BRD_TEXT_PLACE_FREE);
        CText* text = view->GetFloatingText();
        ASSERT_NE(text, nullptr);
        TypeAtFocus(L"x"); // takes the place of the "?"
        Key(VK_BACK);
        end();
        EXPECT_EQ(view->GetFloatingText(), nullptr);
        EXPECT_NE(view->GetCurrentTool(), ID_BRD_TEXT_PLACE_FREE);
        EXPECT_EQ(Saved(), original);
        EXPECT_EQ(view->GetUndoList().UndoCount(), depth);
    }
}

// The layer index follows a text whose layer an undo reads back: the new
// text's value is typed (a record holding its layer), the text floats to
// another layer (no record of its own), and the value is undone. A text left
// in the wrong layer's set stayed there after its deletion, and drawing or
// the next deletion read it freed.
TEST_F(BoardToolsTest, UndoingAFloatingTextsValueKeepsTheLayerIndexRight) {
    OpenComponents();
    Key('1', MK_SHIFT);
    Command(ID_BRD_TEXT_PLACE_FREE);
    CText* text = view->GetFloatingText();
    ASSERT_NE(text, nullptr);
    TypeAtFocus(L"T1");
    Key(VK_RETURN);
    Key('2'); // Bottom
    ASSERT_EQ(text->GetLayer(), 1);
    Click(PointF{20.5f, 25.5f});
    ASSERT_EQ(view->GetFloatingText(), nullptr);
    const CBoardLayerIndex* index = view->GetBoardLayerIndex();
    ASSERT_TRUE(index->Contains(text, 1));
    Undo();
    EXPECT_EQ(text->GetLayer(), 22);
    EXPECT_TRUE(index->Contains(text, 22));
    EXPECT_EQ(index->CountSetsHolding(text), 1u);
    Undo();
    EXPECT_EQ(Saved(), original);
    // The text lives on in the redo list, held by no set.
    EXPECT_EQ(index->CountSetsHolding(text), 0u);
}

TEST_F(BoardToolsTest, NoFreeTextWithoutATextLayer) {
    OpenComponents();
    Key('5', MK_SHIFT); // Solder mask top
    Command(ID_BRD_TEXT_PLACE_FREE);
    EXPECT_EQ(MessageBoxesWith(L"Invalid layer selected"), 1);
    EXPECT_EQ(view->GetFloatingText(), nullptr);
    // Refused: through Edit text the tool ends at the select tool.
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    Command(ID_BRD_ROUTE_EDIT);
    Key('0');
    Command(ID_BRD_TEXT_PLACE_FREE);
    EXPECT_EQ(MessageBoxesWith(L"No layer selected"), 1);
    EXPECT_EQ(view->GetFloatingText(), nullptr);
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    EXPECT_EQ(Saved(), original);
}

TEST_F(BoardToolsTest, TextsTurnByTheirSideAndHideOnTheBoardOnly) {
    OpenComponents();
    CText* r1 = static_cast<CPackage*>(PackageFootprint(0)->GetParent())->FindText(L"RefDes");
    CText* r2 = static_cast<CPackage*>(PackageFootprint(1)->GetParent())->FindText(L"RefDes");
    ASSERT_TRUE(r1 && r2);
    Key('T', 0, true);
    ASSERT_EQ(view->GetCurrentTool(), ID_BRD_TEXT_EDIT);
    Click(PointOnText(r1));
    EXPECT_TRUE(r1->IsSelected());
    EXPECT_EQ(view->GetFrontLayer(), 22);
    Key('R');
    EXPECT_EQ(r1->m_rotation, -90);
    EXPECT_UNDO_REDO(Saved());
    // A text of a bottom-side footprint turns the other way.
    Click(PointOnText(r2));
    EXPECT_TRUE(r2->IsSelected());
    EXPECT_FALSE(r1->IsSelected());
    const std::string turned = Saved();
    Key('R');
    EXPECT_EQ(r2->m_rotation, 90);
    ExpectUndoRedo(turned, Saved());
    // Hide: the board no longer shows it; undo shows it again.
    const std::string shownBefore = Saved();
    menuAnswers.push_back(ID_BRD_DELETE);
    RightPress(PointOnText(r2));
    ASSERT_FALSE(menus.empty());
    EXPECT_NE(menus.back().FindItem(ID_BRD_DELETE), nullptr);
    EXPECT_FALSE(r2->m_boardVisible);
    const std::string hidden = Saved();
    EXPECT_NE(hidden.find("<Text BrdVisible=\"0\" Layer=\"SSB\" Name=\"RefDes\" Pos=\"-1,2\""),
              std::string::npos);
    ExpectUndoRedo(shownBefore, hidden);
}

TEST_F(BoardToolsTest, FreeTextsChangeLayerAndAreDeleted) {
    OpenText(R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project>
  <Board Grid="1,1" Outline="LIN0,0 LIN60,0 LIN60,40 LIN0,40">B
    <Layer>TOP</Layer>
    <Layer>BOT</Layer>
    <Layer>I01</Layer>
    <Text Layer="SST" Pos="10,20">Label</Text>
  </Board>
</Project>
)");
    CText* text = static_cast<CText*>(board->GetChildren().back());
    Key('T', 0, true);
    // On a hidden layer it is never picked.
    Key('1', MK_SHIFT);
    Key('1', MK_SHIFT);
    ASSERT_FALSE(view->IsLayerVisible(22));
    const PointF on = PointOnText(text);
    Click(on);
    EXPECT_FALSE(text->IsSelected());
    Key('1', MK_SHIFT);
    // The menu offers the copper layers and the other silkscreen.
    menuAnswers.push_back(ID_BOARD_LAYER_FIRST + 2);
    RightPress(on);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_NE(menus[0].FindItem(ID_BOARD_LAYER_FIRST + 0), nullptr);
    EXPECT_NE(menus[0].FindItem(ID_BOARD_LAYER_FIRST + 23), nullptr);
    EXPECT_EQ(menus[0].FindItem(ID_BOARD_LAYER_FIRST + 22), nullptr);
    EXPECT_EQ(text->GetLayer(), 2);
    EXPECT_FALSE(text->IsSelected());
    const std::string moved = Saved();
    EXPECT_NE(moved.find("<Text Layer=\"I01\" Pos=\"10,20\">Label</Text>"), std::string::npos);
    EXPECT_UNDO_REDO(moved);
    // Delete takes a free text off the board.
    Key('1', MK_CONTROL);
    Click(PointOnText(text));
    ASSERT_TRUE(text->IsSelected());
    Key(VK_DELETE);
    const std::string deleted = Saved();
    EXPECT_EQ(deleted.find("Label"), std::string::npos);
    Undo();
    EXPECT_NE(Saved().find("Label"), std::string::npos);
}

TEST_F(BoardToolsTest, ATextWithoutABoardPlaceIsPickedWithoutChangeAndDraggedFromWhereItShows) {
    // R1's name has only its sheet place: the board shows it at a fifth of
    // that, relative to the footprint.
    OpenText(R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project>
  <Board Grid="1,1" Outline="LIN0,0 LIN60,0 LIN60,40 LIN0,40">B
    <Layer>TOP</Layer>
    <Package>
      <Text Layer="SST" Name="RefDes" XY="5,10">R1</Text>
      <Footprint XY="20,10">R0805
        <Padstack>PAD
          <PadLayer Shape="RECT" Size="1.2,1.4"/>
          <Pad Num="1" XY="-1,0"/>
        </Padstack>
      </Footprint>
    </Package>
  </Board>
</Project>
)");
    CText* text = static_cast<CPackage*>(PackageFootprint(0)->GetParent())->FindText(L"RefDes");
    Key('T', 0, true);
    const PointF on = PointOnText(text);
    Click(on);
    ASSERT_TRUE(text->IsSelected());
    Key(VK_ESCAPE);
    EXPECT_EQ(Saved(), original);
    Key('T', 0, true);
    Drag(on, PointF{on.X + 2, on.Y});
    const std::string dragged = Saved();
    EXPECT_NE(dragged.find("<Text Layer=\"SST\" Name=\"RefDes\" Pos=\"3,2\" XY=\"5,10\">R1"),
              std::string::npos);
    EXPECT_UNDO_REDO(dragged);
}

TEST_F(BoardToolsTest, ADragStepRepaintsOnlyWhatItChangedAndTheResultIsWhole) {
    OpenComponents();
    Key('1');
    view->InvalidateRect(nullptr, false);
    view->UpdateWindow();
    Key('C', 0, true);
    Press(PointF{19, 10});
    Move(PointF{19, 10}, MK_LBUTTON);
    view->UpdateWindow();
    const RECT client = view->GetClientRect();
    for (float y : {11.0f, 12.0f, 14.0f, 13.0f}) {
        SimulateMouse(view, WM_MOUSEMOVE, ToClient(PointF{19.2f, y}), MK_LBUTTON);
        const RECT u = view->GetUpdateRect();
        // The footprint, its name and its track: a small part of the view.
        EXPECT_LT((u.right - u.left) * (u.bottom - u.top), client.right * client.bottom / 8) << y;
        view->UpdateWindow();
    }
    Release(PointF{19.2f, 13});
    EXPECT_EQ(PackageFootprint(0)->m_boardPosition.Y, 13);
    PumpPendingMessages();
    view->UpdateWindow();
    ASSERT_NE(view->GetPicture(), nullptr);
    std::vector<ARGB> stepped;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x)
            stepped.push_back(view->GetPicture()->PixelAt(x, y));
    view->InvalidateRect(nullptr, false);
    view->UpdateWindow();
    int differing = 0;
    POINT first{-1, -1};
    size_t i = 0;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x)
            if (!NearColour(view->GetPicture()->PixelAt(x, y), stepped[i++]) && differing++ == 0)
                first = POINT{x, y};
    EXPECT_EQ(differing, 0) << "first at " << first.x << "," << first.y;
}

// The pour over the components' board keeps its picture across pans; after
// each change of what it is made from or how it is seen, and a pan, the
// screen's picture is what a paint without any kept picture shows.
TEST_F(BoardToolsTest, APannedPourShowsItsCopperAsChangedLast) {
    std::string xml = kComponents;
    const std::string layers = "<Layer Type=\"DOC\">SST</Layer>\n";
    xml.insert(xml.find(layers) + layers.size(),
               "    <Area Layer=\"TOP\" Net=\"C\">LIN2,2 LIN58,2 LIN58,38 LIN2,38</Area>\n");
    OpenText(xml);
    CArea* pour = LastArea();
    ASSERT_NE(pour, nullptr);
    struct KeepTopColour {
        COLORREF colour = g_DefaultSettings.layerColors[0];
        ~KeepTopColour() { g_DefaultSettings.layerColors[0] = colour; }
    } keepTopColour;
    // Panned one step each way, painted after each; the pans make no new
    // picture of the pour.
    auto pan = [&](int key) {
        Key(key);
        view->UpdateWindow();
        PumpPendingMessages();
    };
    auto expectAsFresh = [&](const char* step) {
        pan(VK_RIGHT);
        // What the window shows of the view (a row under its neighbours is
        // never painted).
        const RECT client = view->GetVisibleClientRect();
        const PaintTarget* seen = view->GetPicture();
        ASSERT_NE(seen, nullptr) << step;
        auto fresh = PaintTarget::CreateImage(seen->Width(), seen->Height());
        fresh->SetDpi(seen->DpiX(), seen->DpiY());
        {
            Graphics g(fresh.get());
            const RECT whole = view->GetClientRect();
            view->PaintBoard(&g, whole, whole);
            g.Flush();
        }
        int differing = 0, copper = 0;
        POINT first{-1, -1};
        const ARGB copperColour = Color::FromColorRef(g_DefaultSettings.layerColors[0]).GetValue();
        for (int y = client.top; y < client.bottom; ++y)
            for (int x = client.left; x < client.right; ++x) {
                copper += fresh->PixelAt(x, y) == copperColour;
                if (!NearColour(seen->PixelAt(x, y), fresh->PixelAt(x, y)) && differing++ == 0)
                    first = POINT{x, y};
            }
        EXPECT_EQ(differing, 0) << step << ": first at " << first.x << "," << first.y;
        EXPECT_GT(copper, (client.right - client.left) * (client.bottom - client.top) / 10) << step;
        EXPECT_NE(view->GetFillPictures().Find(pour), nullptr) << step;
        const int made = view->GetFillPictures().Made();
        pan(VK_DOWN);
        pan(VK_LEFT);
        pan(VK_UP);
        EXPECT_EQ(view->GetFillPictures().Made(), made) << step;
    };
    view->UpdateWindow();
    expectAsFresh("opened");
    const struct {
        const char* name;
        std::function<void()> change;
    } steps[] = {
        {"component moved under the pour",
         [&] {
             Key('C', 0, true);
             Drag(PointF{19, 10}, PointF{25, 20});
         }},
        {"undone", [&] { Undo(); }},
        {"redone", [&] { Redo(); }},
        {"track moved",
         [&] {
             CConductor* track = Track();
             ASSERT_NE(track, nullptr);
             for (ConductorVertex& v : track->m_vertices)
                 v.y += 15;
             view->InvalidateRect(nullptr, false);
         }},
        {"net changed",
         [&] {
             pour->m_net = L"A";
             view->InvalidateRect(nullptr, false);
         }},
        {"layer colour changed",
         [&] {
             g_DefaultSettings.layerColors[0] = 0x00306090;
             view->InvalidateRect(nullptr, false);
         }},
        {"zoomed in", [&] { Command(ID_VIEW_ZOOM_IN); }},
        {"zoomed out", [&] { Command(ID_VIEW_ZOOM_OUT); }},
    };
    for (const auto& step : steps) {
        step.change();
        view->UpdateWindow();
        expectAsFresh(step.name);
    }
}

} // namespace

// On the example board the bottom layer is a plane filled by a copper area:
// a component flipped onto it, off it again and turned cuts its clearances
// and thermals into the plane and takes them back, and a drag after each
// moves them. The screen then is what a full repaint shows.
TEST_F(BoardViewTest, FlippingAndTurningOverAPlaneLeaveNoPixelsBehind) {
    OpenExample();
    Key('N', 0, true); // pad numbers too
    Key('C', 0, true);
    CFootprint* r1 = PackageFootprint(0);
    ASSERT_NE(r1, nullptr);
    for (int key : {'B', 'T', 'R', 'B', 'R'}) {
        const std::wstring name = std::wstring(L"board-plane-") + wchar_t(key);
        PointF at = r1->FindPadByNumber(L"1")->GetBoardPosition();
        Click(at);
        ASSERT_TRUE(r1->IsSelected());
        Key(key);
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, name));
        at = r1->FindPadByNumber(L"1")->GetBoardPosition();
        const PointF to{at.X + 3.8f, at.Y + 2.5f};
        Press(at);
        Move(at, MK_LBUTTON);
        Move(PointF{at.X + 1.3f, at.Y + 1.3f}, MK_LBUTTON);
        Move(to, MK_LBUTTON);
        Release(to);
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, name + L"-dragged"));
    }
}

// The component menu flips a component: the menu takes the right button's
// release, as the real one does. Switching tabs away and back then shows the
// board as it was, the component still selected, hollow pads and all: the
// clicks on the tab strip reach the tabs, not the board.
TEST_F(BoardViewTest, AFlipFromTheMenuStaysAsSeenAcrossATabSwitch) {
    OpenExample();
    CTreeNode* sheet = nullptr;
    for (CTreeNode* child : board->GetChildren())
        if (child->GetType() == NodeType::Sheet && !sheet)
            sheet = child;
    ASSERT_NE(sheet, nullptr);
    CVorpelView* sheetView = g_MainFrame.OpenNodeView(sheet);
    ASSERT_NE(sheetView, nullptr);
    CTabWindow& tabs = g_MainFrame.m_tabWindow;
    auto clickTab = [&](CVorpelView* of) {
        const std::vector<CVorpelView*>& views = tabs.GetViews();
        const auto it = std::find(views.begin(), views.end(), of);
        ASSERT_NE(it, views.end());
        const RECT r = CTabWindow::TabRect(static_cast<int>(it - views.begin()));
        const POINT at{(r.left + r.right) / 2 - 20, (r.top + r.bottom) / 2};
        MouseAt(&tabs, WM_MOUSEMOVE, at, 0);
        MouseAt(&tabs, WM_LBUTTONDOWN, at, MK_LBUTTON);
        MouseAt(&tabs, WM_LBUTTONUP, at, 0);
        PumpPendingMessages();
    };
    clickTab(view);
    ASSERT_EQ(g_pActiveView, view);
    Key('C', 0, true);
    for (UINT side : {ID_BRD_PLACE_BOTTOM, ID_BRD_PLACE_TOP}) {
        CFootprint* r1 = PackageFootprint(0);
        const PointF at = r1->FindPadByNumber(L"1")->GetBoardPosition();
        menuAnswers.push_back(side);
        MouseAt(view, WM_RBUTTONDOWN, ToClient(at), MK_RBUTTON);
        PumpPendingMessages();
        ASSERT_EQ(r1->m_place, side == ID_BRD_PLACE_BOTTOM ? kPlaceBottom : kPlaceTop);
        ASSERT_TRUE(r1->IsSelected());
        view->UpdateWindow();
        // The component and the plane around it, as the screen shows them.
        const POINT c = ToClient(r1->m_boardPosition);
        const RECT around{c.x - 60, c.y - 60, c.x + 60, c.y + 60};
        auto seen = screen_picture::Grab(*view);
        ASSERT_NE(seen, nullptr);
        clickTab(sheetView);
        EXPECT_EQ(g_pActiveView, sheetView);
        clickTab(view);
        ASSERT_EQ(g_pActiveView, view);
        EXPECT_TRUE(r1->IsSelected());
        view->UpdateWindow();
        auto back = screen_picture::Grab(*view);
        ASSERT_NE(back, nullptr);
        int differing = 0;
        for (int y = around.top; y < around.bottom; ++y)
            for (int x = around.left; x < around.right; ++x)
                differing += seen->PixelAt(x, y) != back->PixelAt(x, y);
        EXPECT_EQ(differing, 0) << side;
    }
}
