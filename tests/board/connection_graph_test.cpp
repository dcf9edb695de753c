// The connection graph of a net: which nodes the conductors and pads give,
// how touching conductors join, which airwires link the islands (hand-worked
// boards), the drawing and repaint of the airwires, nets far larger than the
// stack allows to recurse over, and the grid-based searches checked against
// the plain pairwise ones on random boards.
#include "board/area.h"
#include "board/board.h"
#include "board/conductor.h"
#include "board/connection_graph.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/padstack.h"
#include "core/vorpel_view.h"
#include "platform/graphics.h"
#include "platform/graphics_recorder.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/pin.h"
#include "tests/core/test_view.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <tuple>
#include <vector>

namespace {

struct Pt {
    float x, y;
};

struct Wire {
    Pt a, b;
    bool operator<(const Wire& o) const {
        return std::tie(a.x, a.y, b.x, b.y) < std::tie(o.a.x, o.a.y, o.b.x, o.b.y);
    }
    bool operator==(const Wire& o) const {
        return std::tie(a.x, a.y, b.x, b.y) == std::tie(o.a.x, o.a.y, o.b.x, o.b.y);
    }
};

// Every link of the given kind as an undirected segment, each once, with its
// lower end first.
std::set<Wire> LinksOfKind(GraphNode* root, LINK_TYPE kind) {
    std::set<Wire> out;
    WalkTree(root, nullptr, [&](GraphNode* n) {
        for (size_t k = 0; k < n->m_neighbours.size(); ++k) {
            if (n->m_links[k] != kind)
                continue;
            Pt p{n->m_x, n->m_y}, q{n->m_neighbours[k]->m_x, n->m_neighbours[k]->m_y};
            if (std::tie(q.x, q.y) < std::tie(p.x, p.y))
                std::swap(p, q);
            out.insert({p, q});
        }
        return false;
    });
    return out;
}

size_t CountNodes(GraphNode* root) {
    size_t n = 0;
    WalkTree(root, nullptr, [&](GraphNode*) {
        ++n;
        return false;
    });
    return n;
}

// The graph as text: nodes numbered depth-first from the root, each with its
// place, what it stands for and its links in order. Two graphs built the
// same way read the same.
std::string Describe(GraphNode* root) {
    std::map<const GraphNode*, int> id;
    std::vector<GraphNode*> order;
    WalkTree(root, nullptr, [&](GraphNode* n) {
        id[n] = static_cast<int>(order.size());
        order.push_back(n);
        return false;
    });
    std::string s;
    for (GraphNode* n : order) {
        s += std::to_string(id[n]) + "@" + std::to_string(n->m_x) + "," + std::to_string(n->m_y) +
             (n->m_pPad ? "P" : "") + (n->m_pConductor ? "C" : "") + ":";
        for (size_t k = 0; k < n->m_neighbours.size(); ++k)
            s += " " + std::to_string(id[n->m_neighbours[k]]) + "/" + std::to_string(n->m_links[k]);
        s += "\n";
    }
    return s;
}

std::string DescribeAll(const std::vector<GraphNode*>& islands) {
    std::string s;
    for (GraphNode* island : islands)
        s += "island\n" + Describe(island);
    return s;
}

// A board with one net; packages of one pad each on that net.
class ConnectionGraphTest : public ::testing::Test {
protected:
    ConnectionGraphTest() {
        m_net = new CNet(L"A");
        m_board.AddChild(m_net);
    }

    // A package whose footprint sits at (x, y) with a pad "1" at its origin,
    // and a pin for pad names on the net.
    CPad* AddPadAt(float x, float y, const std::wstring& padNames = L"1") {
        auto* package = new CPackage;
        m_board.AddChild(package);
        auto* pin = new CPin;
        pin->SetPadNames(padNames);
        pin->m_pNet = m_net;
        package->AddChild(pin);
        m_net->m_pins.insert(pin);
        auto* footprint = new CFootprint;
        footprint->m_boardPosition = PointF{x, y};
        package->AddChild(footprint);
        auto* padstack = new CPadstack(L"P");
        footprint->AddChild(padstack);
        auto* pad = new CPad;
        pad->m_num = L"1";
        padstack->AddChild(pad);
        return pad;
    }
    CConductor* AddConductor(std::initializer_list<Pt> points) {
        auto* c = new CConductor;
        c->m_layer = 0;
        c->m_width = 0.3f;
        for (const Pt& p : points)
            c->m_vertices.push_back({p.x, p.y, 0, {}});
        m_net->AddChild(c);
        return c;
    }
    GraphNode* Root() {
        EXPECT_EQ(m_net->m_islands.size(), 1u);
        return m_net->m_islands.empty() ? nullptr : m_net->m_islands[0];
    }
    std::set<Wire> Airwires() { return LinksOfKind(Root(), LINK_AIRWIRE); }

    CBoard m_board;
    CNet* m_net;
};

TEST_F(ConnectionGraphTest, EmptyNetHasNoIslands) {
    m_net->BuildConnectionGraph(nullptr);
    EXPECT_TRUE(m_net->m_islands.empty());
    AddConductor({});
    m_net->BuildConnectionGraph(nullptr);
    EXPECT_TRUE(m_net->m_islands.empty());
}

TEST_F(ConnectionGraphTest, TwoPadsGetOneAirwireBetweenTheirCentres) {
    CPad* a = AddPadAt(0, 0);
    CPad* b = AddPadAt(10, 5);
    m_net->BuildConnectionGraph(nullptr);
    GraphNode* root = Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->m_pPad, a);
    ASSERT_EQ(root->m_neighbours.size(), 1u);
    EXPECT_EQ(root->m_neighbours[0]->m_pPad, b);
    EXPECT_EQ(root->m_links[0], LINK_AIRWIRE);
    EXPECT_EQ(Airwires(), (std::set<Wire>{{{0, 0}, {10, 5}}}));
}

TEST_F(ConnectionGraphTest, PadsInARowJoinNearestFirst) {
    // Pass one: island 0 (x = 0) takes x = 10; then x = 11 takes the joined
    // island, whose node nearest to it is x = 10. x = 11 is left as the
    // one island.
    AddPadAt(0, 0);
    AddPadAt(10, 0);
    CPad* last = AddPadAt(11, 0);
    m_net->BuildConnectionGraph(nullptr);
    EXPECT_EQ(Airwires(), (std::set<Wire>{{{0, 0}, {10, 0}}, {{10, 0}, {11, 0}}}));
    EXPECT_EQ(Root()->m_pPad, last);
}

TEST_F(ConnectionGraphTest, EqualDistancesGoToTheEarlierIslandAndTheFirstNodeMet) {
    AddPadAt(0, 0);
    AddPadAt(10, 0);
    AddPadAt(-10, 0);
    m_net->BuildConnectionGraph(nullptr);
    EXPECT_EQ(Airwires(), (std::set<Wire>{{{0, 0}, {10, 0}}, {{-10, 0}, {0, 0}}}));
}

TEST_F(ConnectionGraphTest, EqualDistancesInOneIslandGoToTheNodeMetFirst) {
    // The pad is as far from both ends of the conductor; the walk of the
    // conductor's island starts at its last vertex, so that end is taken.
    AddConductor({{0, 0}, {10, 0}});
    AddPadAt(5, 5);
    m_net->BuildConnectionGraph(nullptr);
    EXPECT_EQ(Airwires(), (std::set<Wire>{{{5, 5}, {10, 0}}}));
}

TEST_F(ConnectionGraphTest, ConductorReachingPadsWithinATenthReplacesThem) {
    AddPadAt(0, 0);
    AddPadAt(10, 0);
    CConductor* c = AddConductor({{0.05f, -0.05f}, {5, 0}, {9.95f, 0.09f}});
    m_net->BuildConnectionGraph(nullptr);
    EXPECT_EQ(CountNodes(Root()), 3u);
    EXPECT_TRUE(Airwires().empty());
    EXPECT_EQ(m_net->FindConductorNearPoint(10, 0), c);
    EXPECT_EQ(m_net->FindConductorNearPoint(10.1f, 0), nullptr);

    // 0.1 away is not reached: the pad gets its own node and an airwire.
    c->m_vertices.back().x = 10.1f;
    c->m_vertices.back().y = 0;
    m_net->BuildConnectionGraph(nullptr);
    EXPECT_EQ(CountNodes(Root()), 4u);
    const std::set<Wire> wires = Airwires();
    ASSERT_EQ(wires.size(), 1u);
    EXPECT_FLOAT_EQ(wires.begin()->a.x, 10.0f);
    EXPECT_FLOAT_EQ(wires.begin()->b.x, 10.1f);
}

TEST_F(ConnectionGraphTest, ConductorsSharingAnEndJoinByCopper) {
    AddConductor({{0, 0}, {5, 0}});
    AddConductor({{5.0005f, 0}, {5, 5}});
    AddConductor({{20, 0}, {25, 0}});
    m_net->BuildConnectionGraph(nullptr);
    GraphNode* root = Root();
    EXPECT_EQ(CountNodes(root), 6u);
    const std::set<Wire> copper = LinksOfKind(root, LINK_COPPER);
    EXPECT_TRUE(copper.count({{5, 0}, {5.0005f, 0}}));
    EXPECT_EQ(copper.size(), 4u);
    // The third conductor is 15 mm from the first one's (5, 0).
    EXPECT_EQ(Airwires(), (std::set<Wire>{{{5.0005f, 0}, {20, 0}}}));
}

// A T-junction: the second conductor meets the first in its middle, and a
// third continues from the second's far end. Walking only toward the second
// conductor's start would leave the third apart, with a zero-length airwire.
TEST_F(ConnectionGraphTest, IslandsTouchingAnyPartOfAJoinedConductorJoinToo) {
    AddConductor({{0, 0}, {5, 0}, {10, 0}});
    CConductor* stem = AddConductor({{5, -5}, {5, 0}, {5, 5}});
    CConductor* tail = AddConductor({{5, 5}, {8, 8}});
    m_net->BuildConnectionGraph(nullptr);
    GraphNode* root = Root();
    EXPECT_EQ(CountNodes(root), 8u);
    EXPECT_TRUE(Airwires().empty());
    GraphNode* joint = CNet::FindGraphNodeAt(root, 5, 5, nullptr);
    ASSERT_NE(joint, nullptr);
    EXPECT_EQ(joint->m_pConductor, stem);
    ASSERT_EQ(joint->m_neighbours.size(), 2u);
    EXPECT_EQ(joint->m_neighbours[1]->m_pConductor, tail);
    EXPECT_EQ(joint->m_links[1], LINK_COPPER);
}

// An island joined by a node takes in, through its own walk, an island
// before the next one that touches the node; that next one still joins.
TEST_F(ConnectionGraphTest, IslandsTakenInOnTheWayDoNotHideTheNextOne) {
    // (0, 0) touches the third and the fourth conductor, which do not touch
    // each other (0.0018 apart). The third takes in the second, which stands
    // before the fourth in the list; the fourth must still join (0, 0).
    AddConductor({{-5, 0}, {0, 0}});
    AddConductor({{10, 10}, {20, 20}});
    AddConductor({{0.0009f, 0}, {10, 10}});
    AddConductor({{-0.0009f, 0}, {-3, 3}});
    m_net->BuildConnectionGraph(nullptr);
    EXPECT_EQ(CountNodes(Root()), 8u);
    EXPECT_TRUE(Airwires().empty());
}

TEST_F(ConnectionGraphTest, JoinedConductorIsLinkedAtItsNodeMetFirst) {
    AddConductor({{0, 0}, {1, 0}});
    // Leaves (0, 0) and comes back to it: its last vertex is met first.
    CConductor* loop = AddConductor({{0, 0}, {2, 2}, {0, 0}});
    m_net->BuildConnectionGraph(nullptr);
    GraphNode* root = Root();
    ASSERT_EQ(root->m_neighbours.size(), 1u);
    GraphNode* start = root->m_neighbours[0];
    ASSERT_EQ(start->m_neighbours.size(), 2u);
    GraphNode* joined = start->m_neighbours[1];
    EXPECT_EQ(joined->m_pConductor, loop);
    // The last vertex: the middle one lists it second.
    ASSERT_EQ(joined->m_neighbours.size(), 2u);
    GraphNode* middle = joined->m_neighbours[0];
    ASSERT_EQ(middle->m_neighbours.size(), 2u);
    EXPECT_EQ(middle->m_neighbours[1], joined);
}

TEST_F(ConnectionGraphTest, MergeStartsAtTheGivenIndex) {
    m_net->m_islands = {
        new GraphNode(0, 0, nullptr, nullptr), new GraphNode(0, 0, nullptr, nullptr),
        new GraphNode(5, 0, nullptr, nullptr), new GraphNode(0, 0, nullptr, nullptr)};
    GraphNode* first = m_net->m_islands[0];
    m_net->MergeTouchingIslands(first, 2);
    ASSERT_EQ(m_net->m_islands.size(), 3u);
    EXPECT_EQ(first->m_neighbours.size(), 1u); // the island at index 3 only
    m_net->MergeTouchingIslands(first, 5);     // out of range: nothing
    EXPECT_EQ(m_net->m_islands.size(), 3u);
}

TEST_F(ConnectionGraphTest, ViasAndAreasAddNoNodes) {
    AddPadAt(0, 0);
    AddPadAt(20, 0);
    auto* via = new CPadstack(L"V");
    auto* viaPad = new CPad;
    viaPad->m_boardPosition = PointF{10, 0};
    via->AddChild(viaPad);
    m_net->AddChild(via);
    m_net->AddChild(new CArea);
    m_net->BuildConnectionGraph(nullptr);
    EXPECT_EQ(Airwires(), (std::set<Wire>{{{0, 0}, {20, 0}}}));

    // Routed through the via: two conductors meeting at it, no airwire.
    AddConductor({{0, 0}, {10, 0}});
    AddConductor({{10, 0}, {20, 0}});
    m_net->BuildConnectionGraph(nullptr);
    EXPECT_EQ(CountNodes(Root()), 4u);
    EXPECT_TRUE(Airwires().empty());
}

TEST_F(ConnectionGraphTest, PadsComeFromEveryPadNameOfPinsWithAPlacedFootprint) {
    CPad* one = AddPadAt(0, 0, L"1,2");
    auto* second = new CPad;
    second->m_num = L"2";
    second->m_boardPosition = PointF{0, 4};
    one->GetParent()->AddChild(second);
    // A pad without a number belongs to no pin, even one without pad names.
    auto* blank = new CPad;
    blank->m_boardPosition = PointF{2, 0};
    one->GetParent()->AddChild(blank);
    auto* unnamed = new CPin;
    unnamed->SetPadNames(L"");
    one->GetParent()->GetParent()->GetParent()->AddChild(unnamed);
    m_net->m_pins.insert(unnamed);
    // A rotated footprint: pad "1" at local (3, 0) lies at (100, 53).
    CPad* turned = AddPadAt(100, 50);
    turned->m_boardPosition = PointF{3, 0};
    static_cast<CFootprint*>(turned->GetParent()->GetParent())->m_rotation = 90;
    // A pin without a footprint and one outside any package add nothing.
    auto* bare = new CPackage;
    m_board.AddChild(bare);
    auto* barePin = new CPin;
    bare->AddChild(barePin);
    m_net->m_pins.insert(barePin);
    CPin loose;
    m_net->m_pins.insert(&loose);

    m_net->BuildConnectionGraph(nullptr);
    m_net->m_pins.erase(&loose);
    GraphNode* root = Root();
    EXPECT_EQ(CountNodes(root), 3u);
    const std::set<Wire> wires = Airwires();
    ASSERT_EQ(wires.size(), 2u);
    EXPECT_TRUE(wires.count({{0, 0}, {0, 4}}));
    const Wire far = *wires.rbegin();
    EXPECT_NEAR(far.b.x, 100, 1e-4);
    EXPECT_NEAR(far.b.y, 53, 1e-4);
}

TEST_F(ConnectionGraphTest, RebuildRepaintsOldAndNewAirwiresOnlyWithSurfaceAndView) {
    AddPadAt(0, 0);
    CPad* moving = AddPadAt(3, 0);
    CTestView view;
    Graphics g(nullptr);
    m_net->BuildConnectionGraph(&g); // no active view: no repaint
    EXPECT_EQ(m_net->m_islands.size(), 1u);
    {
        ScopedActiveView active(&view);
        m_net->BuildConnectionGraph(nullptr); // no surface: no repaint
        EXPECT_TRUE(view.invalidations.empty());
        static_cast<CFootprint*>(moving->GetParent()->GetParent())->m_boardPosition = PointF{0, 2};
        m_net->BuildConnectionGraph(&g);
    }
    // Three 1 mm strips along the old airwire, two along the new one.
    ASSERT_EQ(view.invalidations.size(), 5u);
    for (const CTestView::Invalidation& inv : view.invalidations) {
        EXPECT_FALSE(inv.whole);
        EXPECT_FALSE(inv.erase);
    }
    EXPECT_EQ(view.invalidations[0].rect.left, -2);
    EXPECT_EQ(view.invalidations[2].rect.right, 5);
    EXPECT_EQ(view.invalidations[4].rect.bottom, 4);
    EXPECT_EQ(Airwires(), (std::set<Wire>{{{0, 0}, {0, 2}}}));
    EXPECT_EQ(m_net->m_graphBuilds, 3);
}

// --- Repaint strips ---------------------------------------------------------

struct StripCase {
    Pt from, to;
    std::vector<RECT> rects; // device pixels at 10 px/mm, origin at (100, 200), y up
};

class AirwireStrips : public ::testing::TestWithParam<StripCase> {};

TEST_P(AirwireStrips, OneMillimetreStepsGrownByTwoPixels) {
    const StripCase& c = GetParam();
    auto* p = new GraphNode(c.from.x, c.from.y, nullptr, nullptr);
    auto* q = new GraphNode(c.to.x, c.to.y, nullptr, nullptr);
    auto* r = new GraphNode(c.to.x, c.to.y, nullptr, nullptr);
    GraphNode::Link(p, q, LINK_AIRWIRE);
    GraphNode::Link(q, r, LINK_COPPER); // copper links are not repainted
    Graphics g(nullptr);
    g.TranslateTransform(100, 200);
    g.ScaleTransform(10, -10);
    CTestView view;
    p->InvalidateAirwires(&g, &view, nullptr);
    std::vector<RECT> got;
    for (const CTestView::Invalidation& inv : view.invalidations) {
        EXPECT_FALSE(inv.erase);
        got.push_back(inv.rect);
    }
    ASSERT_EQ(got.size(), c.rects.size());
    for (size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k].left, c.rects[k].left) << k;
        EXPECT_EQ(got[k].top, c.rects[k].top) << k;
        EXPECT_EQ(got[k].right, c.rects[k].right) << k;
        EXPECT_EQ(got[k].bottom, c.rects[k].bottom) << k;
    }
    p->InvalidateAirwires(&g, nullptr, nullptr); // no window: nothing
    EXPECT_EQ(view.invalidations.size(), c.rects.size());
    delete p;
}

INSTANTIATE_TEST_SUITE_P(Links, AirwireStrips,
                         ::testing::Values(
                             // 3.5 mm along x: four strips of 0.875 mm.
                             StripCase{{0, 0},
                                       {3.5f, 0},
                                       {{98, 198, 111, 202},
                                        {107, 198, 120, 202},
                                        {116, 198, 128, 202},
                                        {124, 198, 137, 202}}},
                             // Back the other way: the same strips from the far end.
                             StripCase{{3.5f, 0},
                                       {0, 0},
                                       {{124, 198, 137, 202},
                                        {116, 198, 128, 202},
                                        {107, 198, 120, 202},
                                        {98, 198, 111, 202}}},
                             // Diagonal, 2.5 mm in y the longer: three steps of (0.4, 0.8333).
                             StripCase{
                                 {0, 0},
                                 {1.2f, -2.5f},
                                 {{98, 198, 106, 210}, {102, 206, 110, 219}, {106, 215, 114, 227}}},
                             // Shorter than 1 mm both ways: one piece.
                             StripCase{{0, 0}, {0.4f, 0.3f}, {{98, 195, 106, 202}}},
                             // Zero length: nothing.
                             StripCase{{1, 1}, {1, 1}, {}}));

// --- Drawing ----------------------------------------------------------------

TEST_F(ConnectionGraphTest, DrawingGivesExactlyTheAirwiresInTheNetColour) {
    AddPadAt(0, 0);
    AddPadAt(10, 0);
    AddPadAt(11, 0);
    AddConductor({{0, 0}, {0, 5}, {-5, 5}});
    m_net->BuildConnectionGraph(nullptr);

    Graphics g(nullptr);
    GraphicsRecorder recorder;
    g.SetRecorder(&recorder);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    m_net->DrawAirwires(&g, 0x00336699);
    EXPECT_EQ(g.GetSmoothingMode(), SmoothingModeAntiAlias);
    ASSERT_EQ(recorder.records.size(), 2u);
    // Each neighbour's subtree first: from x = 11, the link 10 -> 0 comes
    // before 11 -> 10.
    const float expected[2][4] = {{10, 0, 0, 0}, {11, 0, 10, 0}};
    for (size_t k = 0; k < 2; ++k) {
        const DrawRecord& r = recorder.records[k];
        EXPECT_EQ(r.op, DrawOp::Line);
        EXPECT_EQ(r.penColor, 0xFF996633u);
        EXPECT_EQ(r.penWidth, 0.0f);
        EXPECT_EQ(r.smoothing, SmoothingModeDefault);
        ASSERT_EQ(r.points.size(), 2u);
        EXPECT_FLOAT_EQ(r.points[0].X, expected[k][0]);
        EXPECT_FLOAT_EQ(r.points[0].Y, expected[k][1]);
        EXPECT_FLOAT_EQ(r.points[1].X, expected[k][2]);
        EXPECT_FLOAT_EQ(r.points[1].Y, expected[k][3]);
    }

    // Only airwires whose box grown by 1 mm meets the clip are drawn.
    recorder.Clear();
    g.SetClip(RectF{11.5f, -3, 5, 6});
    m_net->DrawAirwires(&g, 0x00336699);
    ASSERT_EQ(recorder.records.size(), 1u);
    EXPECT_FLOAT_EQ(recorder.records[0].points[0].X, 11);
    recorder.Clear();
    g.SetClip(RectF{13, -3, 5, 6});
    m_net->DrawAirwires(&g, 0x00336699);
    EXPECT_TRUE(recorder.records.empty());

    // Without islands nothing is drawn, and the modes are still set.
    m_net->DeleteConnectionGraph();
    g.ResetClip();
    m_net->DrawAirwires(&g, 0x00336699);
    EXPECT_TRUE(recorder.records.empty());
    EXPECT_EQ(g.GetSmoothingMode(), SmoothingModeAntiAlias);
}

// --- Large nets -------------------------------------------------------------

// Runs the body on a thread with a 1 MB stack: a walk that recursed once per
// node of these nets would not fit.
void RunOnSmallStack(const std::function<void()>& body) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 1 << 20);
    pthread_t thread;
    auto run = [](void* arg) -> void* {
        (*static_cast<const std::function<void()>*>(arg))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&body)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

TEST_F(ConnectionGraphTest, TwentyThousandVerticesInOneChainNeedNoDeepStack) {
    auto* c = new CConductor;
    for (int k = 0; k < 20000; ++k)
        c->m_vertices.push_back({k * 0.01f, (k % 2) * 0.5f, 0, {}});
    m_net->AddChild(c);
    AddPadAt(0, 0);
    AddPadAt(300, 300);
    RunOnSmallStack([&] {
        Graphics g(nullptr);
        CTestView view;
        ScopedActiveView active(&view);
        m_net->BuildConnectionGraph(&g);
        m_net->BuildConnectionGraph(&g);
        GraphicsRecorder recorder;
        g.SetRecorder(&recorder);
        m_net->DrawAirwires(&g, 0);
        EXPECT_EQ(recorder.records.size(), 1u);
        EXPECT_EQ(CNet::FindGraphNodeAt(m_net->m_islands[0], -1, -1, nullptr), nullptr);
        GraphNode *a = nullptr, *b = nullptr;
        GraphNode far(1000, 1000, nullptr, nullptr);
        m_net->m_islands[0]->NearestNodeTo(&far, &a, &b, nullptr);
        EXPECT_EQ(b->m_pPad != nullptr, true);
    });
    EXPECT_EQ(CountNodes(m_net->m_islands[0]), 20001u);
}

TEST_F(ConnectionGraphTest, TwentyThousandConductorsEndToEndJoinWithoutDeepStack) {
    // Each conductor starts where the previous one ends, listed backwards so
    // that each join reaches on through the rest of the chain.
    for (int k = 19999; k >= 0; --k)
        AddConductor({{k * 1.0f, 0}, {k + 1.0f, 0}});
    RunOnSmallStack([&] { m_net->BuildConnectionGraph(nullptr); });
    EXPECT_EQ(CountNodes(Root()), 40000u);
    EXPECT_TRUE(Airwires().empty());
}

// --- Grid searches against the pairwise ones ------------------------------

// Random islands: small trees on a coarse grid (many equal distances and
// nodes at the same point), some with fractional coordinates.
std::vector<GraphNode*> RandomIslands(std::mt19937& rng, int count, bool fractional) {
    std::uniform_int_distribution<int> size(1, 8), coord(0, 12), pick(0, 1 << 20);
    std::uniform_real_distribution<float> frac(0, 12);
    std::vector<GraphNode*> islands;
    for (int i = 0; i < count; ++i) {
        std::vector<GraphNode*> nodes;
        const int n = size(rng);
        for (int k = 0; k < n; ++k) {
            const float x = fractional && k % 2 ? frac(rng) : static_cast<float>(coord(rng));
            const float y = static_cast<float>(coord(rng));
            auto* node = new GraphNode(x, y, nullptr, nullptr);
            if (!nodes.empty())
                GraphNode::Link(nodes[static_cast<size_t>(pick(rng)) % nodes.size()], node,
                                LINK_COPPER);
            nodes.push_back(node);
        }
        islands.push_back(nodes[static_cast<size_t>(pick(rng)) % nodes.size()]);
    }
    return islands;
}

std::vector<GraphNode*> CopyIslands(const std::vector<GraphNode*>& islands) {
    std::vector<GraphNode*> out;
    for (GraphNode* island : islands) {
        std::map<GraphNode*, GraphNode*> copy;
        WalkTree(island, nullptr, [&](GraphNode* n) {
            copy[n] = new GraphNode(n->m_x, n->m_y, n->m_pPad, n->m_pConductor);
            return false;
        });
        for (auto& [from, to] : copy) {
            to->m_links = from->m_links;
            for (GraphNode* next : from->m_neighbours)
                to->m_neighbours.push_back(copy[next]);
        }
        out.push_back(copy[island]);
    }
    return out;
}

TEST(AirwireSearch, GridGivesTheSameLinksAsComparingEveryPair) {
    for (int seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed));
        std::vector<GraphNode*> grid = RandomIslands(rng, 2 + seed % 40, seed % 3 == 0);
        std::vector<GraphNode*> pairwise = CopyIslands(grid);
        ASSERT_EQ(DescribeAll(grid), DescribeAll(pairwise));
        LinkIslandsByAirwires(grid);
        LinkIslandsPairwise(pairwise);
        ASSERT_EQ(grid.size(), 1u);
        EXPECT_EQ(DescribeAll(grid), DescribeAll(pairwise)) << "seed " << seed;
        delete grid[0];
        delete pairwise[0];
    }
}

TEST(AirwireSearch, CoordinatesTooLargeForTheGridGiveThePairwiseLinks) {
    std::vector<GraphNode*> big = {new GraphNode(0, 0, nullptr, nullptr),
                                   new GraphNode(3e30f, 0, nullptr, nullptr),
                                   new GraphNode(1, 0, nullptr, nullptr)};
    std::vector<GraphNode*> reference = CopyIslands(big);
    LinkIslandsByAirwires(big);
    LinkIslandsPairwise(reference);
    EXPECT_EQ(DescribeAll(big), DescribeAll(reference));
    delete big[0];
    delete reference[0];
}

// The joining of touching islands as plainly stated: walk every node of the
// start's tree (each node's links taken before it is examined); at each
// node, scan the islands from the first index, search each one's tree from
// its node, and take in the first touching one after its own tree has taken
// in what touches it; scan again until none touches.
void ReferenceMerge(std::vector<GraphNode*>& islands, GraphNode* node, const GraphNode* from,
                    size_t first) {
    const std::vector<GraphNode*> next = node->m_neighbours;
    for (size_t j = first; j < islands.size();) {
        GraphNode* r = islands[j];
        GraphNode* m = IsSamePoint(r->m_x, r->m_y, node->m_x, node->m_y) ? r : nullptr;
        for (size_t k = 0; !m && k < r->m_neighbours.size(); ++k)
            m = CNet::FindGraphNodeAt(r->m_neighbours[k], node->m_x, node->m_y, r);
        if (!m) {
            ++j;
            continue;
        }
        islands.erase(islands.begin() + static_cast<std::ptrdiff_t>(j));
        ReferenceMerge(islands, m, nullptr, first);
        GraphNode::Link(node, m, LINK_COPPER);
        j = first;
    }
    for (GraphNode* n : next)
        if (n != from)
            ReferenceMerge(islands, n, node, first);
}

TEST_F(ConnectionGraphTest, TouchingIslandsJoinAsThePlainSearchJoinsThem) {
    for (int seed = 1; seed <= 40; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed));
        std::uniform_int_distribution<int> length(1, 6), coord(0, 6);
        m_net->DeleteConnectionGraph();
        for (CTreeNode* child : m_net->ReleaseChildren())
            delete child;
        const int conductors = 3 + seed % 30;
        for (int c = 0; c < conductors; ++c) {
            auto* conductor = new CConductor;
            for (int k = length(rng); k > 0; --k)
                conductor->m_vertices.push_back(
                    {static_cast<float>(coord(rng)), static_cast<float>(coord(rng)), 0, {}});
            m_net->AddChild(conductor);
        }
        // The reference: the conductor chains, joined by the plain search,
        // then the pairwise airwire passes.
        std::vector<GraphNode*> expected;
        for (CTreeNode* child : m_net->GetChildren()) {
            GraphNode* previous = nullptr;
            for (const ConductorVertex& v : static_cast<CConductor*>(child)->m_vertices) {
                auto* node = new GraphNode(v.x, v.y, nullptr, static_cast<CConductor*>(child));
                if (previous)
                    GraphNode::Link(previous, node, LINK_COPPER);
                previous = node;
            }
            expected.push_back(previous);
        }
        std::vector<GraphNode*> byPublicCall = CopyIslands(expected);
        for (size_t i = 0; i < expected.size(); ++i)
            ReferenceMerge(expected, expected[i], nullptr, i + 1);
        // The same through the one-island-at-a-time call.
        m_net->m_islands = byPublicCall;
        for (size_t i = 0; i < m_net->m_islands.size(); ++i)
            m_net->MergeTouchingIslands(m_net->m_islands[i], i + 1);
        EXPECT_EQ(DescribeAll(m_net->m_islands), DescribeAll(expected)) << "seed " << seed;
        m_net->DeleteConnectionGraph();

        LinkIslandsPairwise(expected);
        m_net->BuildConnectionGraph(nullptr);
        EXPECT_EQ(DescribeAll(m_net->m_islands), DescribeAll(expected)) << "seed " << seed;
        delete expected[0];
    }
}

} // namespace
