// Drawing, hit tests, bounds and repaint rectangles of the board-side nodes,
// recorded on a surface prepared as the board, footprint and padstack views
// prepare theirs, with the flags words those views pass.
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
#include "core/default_settings.h"
#include "core/vorpel_view.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "platform/graphics_recorder.h"
#include "platform/matrix.h"
#include "schematic/net.h"
#include "tests/core/test_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kBoardFlags = 0x80000;
constexpr uint32_t kFootprintFlags = 0x40000;
constexpr uint32_t kPadstackFlags = 0x20000;

ARGB Opaque(COLORREF c) {
    return ColorRefToArgb(c, 0xFF);
}

class BoardDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_view.MakeActive();
        m_g = std::make_unique<Graphics>(nullptr);
        m_g->SetDpi(96, 96);
        m_view.PrepareGraphics(m_g.get());
        m_g->SetRecorder(&m_rec);
    }
    void TearDown() override { g_pActiveView = nullptr; }

    size_t Count(DrawOp op) const { return m_rec.Count(op); }
    std::vector<const DrawRecord*> Of(DrawOp op) const {
        std::vector<const DrawRecord*> out;
        for (const DrawRecord& r : m_rec.records)
            if (r.op == op)
                out.push_back(&r);
        return out;
    }
    // A padstack in a footprint with a TOP pad layer and pads at the points.
    CPadstack* AddPadstack(CTreeNode* parent, int shape, float w, float h,
                           std::vector<PointF> pads) {
        auto* ps = static_cast<CPadstack*>(parent->AddChild(new CPadstack(L"P")));
        auto* layer = static_cast<CPadLayer*>(ps->AddChild(new CPadLayer(0)));
        layer->m_shape = shape;
        layer->m_width = w;
        layer->m_height = h;
        int n = 0;
        for (PointF p : pads) {
            auto* pad = static_cast<CPad*>(ps->AddChild(new CPad));
            pad->m_boardPosition = p;
            pad->m_num = std::to_wstring(++n);
        }
        return ps;
    }
    static CPadLayer* PadLayerOf(CPadstack* ps) { return ps->FindPadLayer(0); }
    static CPad* PadOf(CPadstack* ps, size_t i) {
        size_t k = 0;
        for (CTreeNode* c : ps->GetChildren())
            if (c->GetType() == NodeType::Pad && k++ == i)
                return static_cast<CPad*>(c);
        return nullptr;
    }

    CTestView m_view{nullptr, kViewBoard};
    std::unique_ptr<Graphics> m_g;
    GraphicsRecorder m_rec;
};

// --- Conductors -------------------------------------------------------------

struct CornerCase {
    const char* name;
    std::vector<ConductorVertex> vertices;
    std::vector<DrawOp> ops;
    float radius; // of the arc, 0 for none
};

class ConductorCornerTest : public BoardDrawTest,
                            public ::testing::WithParamInterface<CornerCase> {};

TEST_P(ConductorCornerTest, DrawsLinesAndArcs) {
    CNet net(L"N1");
    auto* c = static_cast<CConductor*>(net.AddChild(new CConductor));
    c->m_layer = 0;
    c->m_width = 0.25f;
    c->m_vertices = GetParam().vertices;
    c->DrawOnBoard(m_g.get(), kBoardFlags);
    std::vector<DrawOp> ops;
    for (const DrawRecord& r : m_rec.records) {
        ops.push_back(r.op);
        EXPECT_EQ(r.penColor, Opaque(g_DefaultSettings.layerColors[0]));
        EXPECT_FLOAT_EQ(r.penWidth, 0.25f);
        EXPECT_EQ(r.startCap, LineCapRound);
        for (PointF p : r.points)
            EXPECT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y));
    }
    EXPECT_EQ(ops, GetParam().ops);
    for (const DrawRecord* arc : Of(DrawOp::Arc)) {
        EXPECT_NEAR(arc->worldRect.Width, 2 * GetParam().radius, 1e-4);
        EXPECT_NEAR(std::fabs(arc->sweepAngle), 90.0f, 1e-3);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Corners, ConductorCornerTest,
    ::testing::Values(CornerCase{"RightAngle",
                                 {{0, 0, 0, {}}, {10, 0, 0.5f, {}}, {10, 10, 0, {}}},
                                 {DrawOp::Line, DrawOp::Arc, DrawOp::Line},
                                 0.5f},
                      // The cut is limited by the shorter segment (2 mm).
                      CornerCase{"LimitedByShortSegment",
                                 {{0, 0, 0, {}}, {10, 0, 20, {}}, {10, 2, 0, {}}},
                                 {DrawOp::Line, DrawOp::Arc, DrawOp::Line},
                                 2.0f},
                      CornerCase{"SharpCorner",
                                 {{0, 0, 0, {}}, {10, 0, 0, {}}, {10, 10, 0, {}}},
                                 {DrawOp::Line, DrawOp::Line},
                                 0},
                      // Turning back on itself vertically: parallel perpendiculars, no arc.
                      CornerCase{"VerticalTurnBack",
                                 {{0, 0, 0, {}}, {0, 10, 1, {}}, {0, 0, 0, {}}},
                                 {DrawOp::Line, DrawOp::Line},
                                 0},
                      // Directions of +179.9995 and -179.9995 degrees are one direction.
                      CornerCase{"StraightAcrossMinus180",
                                 {{10, 0, 0, {}}, {0, 0.00005f, 1, {}}, {-10, 0, 0, {}}},
                                 {DrawOp::Line, DrawOp::Line},
                                 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Corners whose cuts overlap (8 + 8 on a 10 mm segment), a corner that
// rounds nothing after one that does: the track is drawn unbroken, each
// piece from where the one before it ends, and ends at the last vertex.
TEST_F(BoardDrawTest, RoundedTrackIsDrawnUnbroken) {
    CConductor c;
    c.m_layer = 0;
    c.m_width = 0.3f;
    c.m_vertices = {{0, 0, 0, {}},  {10, 0, 8, {}},  {10, 10, 8, {}},
                    {0, 10, 1, {}}, {-5, 10, 0, {}}, {-5, 20, 0, {}}};
    c.DrawOnBoard(m_g.get(), kBoardFlags);
    std::vector<std::pair<PointF, PointF>> pieces; // world start and end
    for (const DrawRecord& r : m_rec.records) {
        if (r.op == DrawOp::Line) {
            Matrix toWorld = r.worldToDevice;
            ASSERT_EQ(toWorld.Invert(), Ok);
            PointF ends[2] = {r.points.front(), r.points.back()};
            toWorld.TransformPoints(ends, 2);
            pieces.emplace_back(ends[0], ends[1]);
        } else {
            ASSERT_EQ(r.op, DrawOp::Arc);
            const double cx = r.worldRect.X + r.worldRect.Width / 2;
            const double cy = r.worldRect.Y + r.worldRect.Height / 2;
            const double radius = r.worldRect.Width / 2;
            const double a = r.startAngle * kPi / 180,
                         b = (r.startAngle + r.sweepAngle) * kPi / 180;
            pieces.emplace_back(
                PointF{float(cx + radius * std::cos(a)), float(cy + radius * std::sin(a))},
                PointF{float(cx + radius * std::cos(b)), float(cy + radius * std::sin(b))});
        }
    }
    ASSERT_EQ(Count(DrawOp::Arc), 2u);
    ASSERT_FALSE(pieces.empty());
    EXPECT_NEAR(pieces.front().first.X, 0, 1e-3);
    EXPECT_NEAR(pieces.front().first.Y, 0, 1e-3);
    for (size_t i = 1; i < pieces.size(); ++i) {
        EXPECT_NEAR(pieces[i].first.X, pieces[i - 1].second.X, 1e-3) << "piece " << i;
        EXPECT_NEAR(pieces[i].first.Y, pieces[i - 1].second.Y, 1e-3) << "piece " << i;
    }
    EXPECT_NEAR(pieces.back().second.X, -5, 1e-3);
    EXPECT_NEAR(pieces.back().second.Y, 20, 1e-3);
}

TEST_F(BoardDrawTest, SelectedSegmentTakesTheSelectionColour) {
    CConductor c;
    c.m_layer = 1;
    c.m_width = 0.3f;
    c.m_vertices = {{0, 0, 0, {}}, {5, 0, 0, {}}, {5, 5, 0, {}}};
    c.m_selected = 2;
    c.DrawOnBoard(m_g.get(), kBoardFlags);
    ASSERT_EQ(Count(DrawOp::Line), 2u);
    EXPECT_EQ(m_rec.records[0].penColor, Opaque(g_DefaultSettings.layerColors[1]));
    EXPECT_EQ(m_rec.records[1].penColor, Opaque(g_DefaultSettings.colorSel));
    m_rec.Clear();
    m_view.SetVisibleLayers(~0ull & ~(1ull << 1));
    c.DrawOnBoard(m_g.get(), kBoardFlags);
    EXPECT_TRUE(m_rec.records.empty());
}

// --- Pad layers and padstacks -------------------------------------------------

TEST_F(BoardDrawTest, PadLayerFillsEveryPadOrStrokesWhenSelected) {
    CFootprint fp;
    CPadstack* ps = AddPadstack(&fp, kPadShapeRect, 1.2f, 1.4f, {{0, 0}, {2.54f, 0}});
    PadLayerOf(ps)->DrawOnBoard(m_g.get(), kFootprintFlags);
    ASSERT_EQ(Count(DrawOp::FillPath), 2u);
    EXPECT_EQ(m_rec.records[0].brushColor, Opaque(g_DefaultSettings.layerColors[0]));
    m_rec.Clear();
    PadOf(ps, 1)->SetSelected(true);
    PadLayerOf(ps)->DrawOnBoard(m_g.get(), kFootprintFlags);
    ASSERT_EQ(Count(DrawOp::FillPath), 1u);
    ASSERT_EQ(Count(DrawOp::Path), 1u);
    const DrawRecord* stroke = Of(DrawOp::Path)[0];
    EXPECT_EQ(stroke->penColor, Opaque(g_DefaultSettings.colorSel));
    EXPECT_EQ(stroke->penWidth, 0.0f);
    EXPECT_EQ(stroke->smoothing, SmoothingModeDefault);
    EXPECT_EQ(m_g->GetSmoothingMode(), SmoothingModeAntiAlias);
    // A selected footprint shows every pad as an outline.
    m_rec.Clear();
    PadOf(ps, 1)->SetSelected(false);
    fp.SetSelected(true);
    PadLayerOf(ps)->DrawOnBoard(m_g.get(), kFootprintFlags);
    EXPECT_EQ(Count(DrawOp::FillPath), 0u);
    EXPECT_EQ(Count(DrawOp::Path), 2u);
}

struct PlaneCase {
    const char* name;
    const wchar_t* planeNet;
    bool planeNoThermal;
    int shape; // 0 nothing, 1 thermal, 2 clearance
};

class PlaneLayerTest : public BoardDrawTest, public ::testing::WithParamInterface<PlaneCase> {};

TEST_P(PlaneLayerTest, PadOnPlaneShowsThermalClearanceOrNothing) {
    CNet net(L"GND");
    CPadstack* via = AddPadstack(&net, kPadShapeRound, 1.6f, 1.6f, {{3, 4}});
    auto* inner = static_cast<CPadLayer*>(via->AddChild(new CPadLayer(kPadLayerInner)));
    inner->m_shape = kPadShapeRound;
    inner->m_width = inner->m_height = 1.4f;
    CLayer plane(2);
    plane.m_layerType = kLayerTypePlane;
    plane.m_net = GetParam().planeNet;
    plane.m_noThermal = GetParam().planeNoThermal;
    inner->m_pDrawnLayer = &plane;
    inner->DrawOnBoard(m_g.get(), kBoardFlags | 2u << 24);
    GraphicsPath thermal, clearance;
    inner->BuildThermalPath(&thermal);
    inner->BuildPlaneClearancePath(&clearance);
    if (GetParam().shape == 0) {
        EXPECT_EQ(Count(DrawOp::FillPath), 0u);
        return;
    }
    ASSERT_EQ(Count(DrawOp::FillPath), 1u);
    const DrawRecord& r = m_rec.records[0];
    EXPECT_EQ(r.brushColor, Opaque(g_DefaultSettings.layerColors[2]));
    EXPECT_EQ(r.points.size(),
              static_cast<size_t>((GetParam().shape == 1 ? thermal : clearance).GetPointCount()));
}

INSTANTIATE_TEST_SUITE_P(Planes, PlaneLayerTest,
                         ::testing::Values(PlaneCase{"SameNet", L"GND", false, 1},
                                           PlaneCase{"SameNetNoThermal", L"GND", true, 0},
                                           PlaneCase{"OtherNet", L"VCC", false, 2},
                                           PlaneCase{"PlaneWithoutNet", L"", false, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardDrawTest, PadstackEditorShowsThermalOfTheFrontLayer) {
    CPadstack ps(L"P");
    auto* layer = static_cast<CPadLayer*>(ps.AddChild(new CPadLayer(0)));
    layer->m_shape = kPadShapeRound;
    layer->m_width = layer->m_height = 1.6f;
    ps.AddChild(new CPad);
    GraphicsPath thermal, pad;
    layer->BuildThermalPath(&thermal);
    layer->BuildShapePath(&pad, 1.6f, 1.6f);
    layer->DrawOnBoard(m_g.get(), kPadstackFlags | 0x10000);
    ASSERT_EQ(Count(DrawOp::FillPath), 1u);
    EXPECT_EQ(m_rec.records[0].points.size(), static_cast<size_t>(thermal.GetPointCount()));
    m_rec.Clear();
    layer->DrawOnBoard(m_g.get(), kPadstackFlags | 1u << 24 | 0x10000); // front is BOT
    ASSERT_EQ(Count(DrawOp::FillPath), 1u);
    EXPECT_EQ(m_rec.records[0].points.size(), static_cast<size_t>(pad.GetPointCount()));
}

TEST_F(BoardDrawTest, PadstackDrawsDrillsAndPadNumbersOfAShownSide) {
    CFootprint fp;
    CPadstack* ps = AddPadstack(&fp, kPadShapeRound, 1.6f, 1.6f, {{0, 0}, {2.54f, 0}});
    auto* drill = static_cast<CDrill*>(ps->AddChild(new CDrill(kDrillRound)));
    drill->m_diam = 0.8f;
    m_view.SetPadNumbersShown(true);
    ps->DrawOnBoard(m_g.get(), kFootprintFlags);
    ASSERT_EQ(Count(DrawOp::FillPath), 2u);
    EXPECT_EQ(Of(DrawOp::FillPath)[0]->brushColor, Opaque(g_DefaultSettings.colorDrill));
    ASSERT_EQ(Count(DrawOp::String), 2u);
    EXPECT_EQ(Of(DrawOp::String)[1]->text, L"2");
    EXPECT_EQ(Of(DrawOp::String)[1]->brushColor, 0xFFC0C0C0u);
    m_rec.Clear();
    m_view.SetVisibleLayers(~0ull & ~1ull); // TOP hidden: no numbers
    ps->DrawOnBoard(m_g.get(), kFootprintFlags);
    EXPECT_EQ(Count(DrawOp::FillPath), 2u);
    EXPECT_EQ(Count(DrawOp::String), 0u);
}

TEST_F(BoardDrawTest, PadMarkingIsDrawnOncePerPad) {
    CFootprint fp;
    CPadstack* ps = AddPadstack(&fp, kPadShapeRound, 1.6f, 1.6f, {{0, 0}, {2.54f, 0}, {5, 0}});
    auto* marking = static_cast<CMarking*>(ps->AddChild(new CMarking(26)));
    marking->m_primitives.push_back(ParseMarkingToken(marking, L"L-0.6,0,0.6,0W0.1"));
    marking->DrawOnBoard(m_g.get(), kFootprintFlags);
    ASSERT_EQ(Count(DrawOp::Line), 3u);
    EXPECT_EQ(m_rec.records[0].penColor, Opaque(g_DefaultSettings.layerColors[26]));
    EXPECT_GT(m_rec.records[1].points[0].X, m_rec.records[0].points[0].X);
}

TEST_F(BoardDrawTest, NetDrawsItsViasWithoutIslands) {
    CNet net(L"N1");
    CPadstack* via = AddPadstack(&net, kPadShapeRound, 1.0f, 1.0f, {{1, 1}});
    auto* drill = static_cast<CDrill*>(via->AddChild(new CDrill(kDrillRound)));
    drill->m_diam = 0.4f;
    net.DrawOnBoard(m_g.get(), kBoardFlags);
    EXPECT_EQ(Count(DrawOp::Line), 0u);
    EXPECT_EQ(Count(DrawOp::FillPath), 1u);
}

TEST_F(BoardDrawTest, BoardOutlineInOutlineColourWithAlphaC0) {
    CBoard board;
    board.m_outline = ParseAreaOutline(L"LIN0,0 LIN60,0 LIN60,40 LIN0,40", nullptr);
    board.DrawOutline(m_g.get());
    ASSERT_FALSE(m_rec.records.empty());
    EXPECT_EQ(m_rec.records[0].penColor, ColorRefToArgb(g_DefaultSettings.colorOutline, 0xC0));
}

// --- Hit tests and bounds ------------------------------------------------------

TEST_F(BoardDrawTest, PadLayerHitIsRectangularAndBoundsGrowByIsolation) {
    CPadLayer layer(0);
    layer.m_shape = kPadShapeRound;
    layer.m_width = layer.m_height = 1.0f;
    EXPECT_EQ(layer.HitTestOnBoard(m_g.get(), 0.45f, 0.45f), &layer);
    EXPECT_EQ(layer.HitTestOnBoard(m_g.get(), 0.5f, 0), nullptr);
    RectF r;
    ASSERT_TRUE(layer.GetBoundsOnBoard(m_g.get(), r));
    EXPECT_NEAR(r.X, -0.8f, 1e-6);
    EXPECT_NEAR(r.Width, 1.6f, 1e-6);
    layer.m_shape = kPadShapeNone;
    EXPECT_FALSE(layer.GetBoundsOnBoard(m_g.get(), r));
    EXPECT_EQ(layer.HitTestOnBoard(m_g.get(), 0, 0), nullptr);
}

struct DrillCase {
    const char* name;
    int type;
    float x, y; // drill position
    PointF inside, outside;
};

class DrillHitTest : public BoardDrawTest, public ::testing::WithParamInterface<DrillCase> {};

// The hole's own shape at its own position is what is hit.
TEST_P(DrillHitTest, FollowsTheHoleShape) {
    CDrill drill(GetParam().type);
    drill.m_diam = 1.0f;
    drill.m_slotWidth = 3.0f;
    drill.m_slotHeight = 1.0f;
    drill.m_boardPosition = PointF{GetParam().x, GetParam().y};
    EXPECT_EQ(drill.HitTestOnBoard(m_g.get(), GetParam().inside.X, GetParam().inside.Y), &drill);
    EXPECT_EQ(drill.HitTestOnBoard(m_g.get(), GetParam().outside.X, GetParam().outside.Y), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Holes, DrillHitTest,
    ::testing::Values(DrillCase{"RoundMoved", kDrillRound, 2, 0, {2.3f, 0}, {0, 0}},
                      DrillCase{"SlotAlongX", kDrillSlot, 0, 0, {1.2f, 0}, {0, 0.7f}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardDrawTest, PadstackBoundsAndHits) {
    CPadstack ps(L"P");
    auto* drill = static_cast<CDrill*>(ps.AddChild(new CDrill(kDrillRound)));
    RectF r;
    ASSERT_TRUE(ps.GetBoundsOnBoard(m_g.get(), r));
    EXPECT_EQ(r.X, -4);
    EXPECT_EQ(r.Width, 8);
    EXPECT_EQ(ps.HitTestOnBoard(m_g.get(), 0.1f, 0), drill);
    auto* layer = static_cast<CPadLayer*>(ps.InsertChildAt(0, new CPadLayer(0)));
    layer->m_shape = kPadShapeRect;
    layer->m_width = 2;
    layer->m_height = 1;
    EXPECT_EQ(ps.HitTestOnBoard(m_g.get(), 0.1f, 0), layer);
    EXPECT_EQ(ps.HitTestOnBoard(m_g.get(), 0.9f, 0), layer);
}

TEST_F(BoardDrawTest, HitTestSegmentF) {
    EXPECT_EQ(HitTestSegmentF(0, 0, 10, 0, 5, 0, 0.1f), 2);
    EXPECT_EQ(HitTestSegmentF(0, 0, 10, 0, 2, 0.05f, 0.1f), 1);
    EXPECT_EQ(HitTestSegmentF(0, 0, 10, 0, 10.1f, 0, 0.1f), 0);
    EXPECT_EQ(HitTestSegmentF(0, 0, 10, 0, 5, 0.2f, 0.1f), 0);
    EXPECT_EQ(HitTestSegmentF(1, 1, 1.0005f, 1, 1.0002f, 1, 0.1f), 1);
}

TEST_F(BoardDrawTest, ConductorBoundsAndRepaintMargins) {
    CBoard board;
    auto* net = board.AddChild(new CNet(L"N1"));
    auto* c = static_cast<CConductor*>(net->AddChild(new CConductor));
    c->m_layer = 0;
    c->m_width = 0.4f;
    c->m_vertices = {{0, 0, 0, {}}, {10, 5, 0, {}}};
    RectF r;
    ASSERT_TRUE(c->GetBoundsOnBoard(m_g.get(), r));
    EXPECT_NEAR(r.X, -0.5f, 1e-6);
    EXPECT_NEAR(r.Width, 11.0f, 1e-5);
    m_view.invalidations.clear();
    c->InvalidateOnBoard(m_g.get());
    ASSERT_EQ(m_view.invalidations.size(), 1u);
    const RECT expected = WorldRectToDeviceRect(m_g.get(), -0.7f, -0.7f, 11.4f, 6.4f);
    EXPECT_EQ(m_view.invalidations[0].rect.left, expected.left);
    EXPECT_EQ(m_view.invalidations[0].rect.bottom, expected.bottom);
    CConductor lone;
    lone.m_vertices = c->m_vertices;
    EXPECT_FALSE(lone.GetBoundsOnBoard(m_g.get(), r));
}

// A footprint turned and on the bottom: hits, bounds in its own coordinates,
// and a repaint box around where it is drawn.
struct PlacementCase {
    const char* name;
    int place;
    float rotation;
    PointF hit; // board point over the pad at local (5, 0)
};

class FootprintPlacementTest : public BoardDrawTest,
                               public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(FootprintPlacementTest, HitsBoundsAndRepaintFollowThePlacement) {
    CFootprint fp(GetParam().place);
    fp.m_rotation = GetParam().rotation;
    fp.m_boardPosition = PointF{20, 10};
    CPadstack* ps = AddPadstack(&fp, kPadShapeRound, 1.0f, 1.0f, {{5, 0}});
    if (GetParam().place == kPlaceBottom)
        PadLayerOf(ps)->m_layer = kPadLayerBottom;
    EXPECT_EQ(fp.HitTestOnBoard(m_g.get(), GetParam().hit.X, GetParam().hit.Y), &fp);
    EXPECT_EQ(fp.HitTestOnBoard(m_g.get(), 20, 10), nullptr);
    RectF local;
    ASSERT_TRUE(fp.GetBoundsOnBoard(m_g.get(), local));
    EXPECT_NEAR(local.X, 4.2f, 1e-5); // own coordinates
    m_view.invalidations.clear();
    fp.InvalidateOnBoard(m_g.get());
    ASSERT_EQ(m_view.invalidations.size(), 1u);
    const RectF placed{GetParam().hit.X - 0.8f, GetParam().hit.Y - 0.8f, 1.6f, 1.6f};
    const RECT expected =
        WorldRectToDeviceRect(m_g.get(), placed.X, placed.Y, placed.Width, placed.Height);
    const RECT got = m_view.invalidations[0].rect;
    EXPECT_NEAR(got.left, expected.left, 1);
    EXPECT_NEAR(got.right, expected.right, 1);
    EXPECT_NEAR(got.top, expected.top, 1);
    EXPECT_NEAR(got.bottom, expected.bottom, 1);
    // The pad's repaint box goes through the same placement.
    m_view.invalidations.clear();
    PadOf(ps, 0)->InvalidateOnBoard(m_g.get());
    ASSERT_EQ(m_view.invalidations.size(), 1u);
    EXPECT_NEAR(m_view.invalidations[0].rect.left, expected.left, 1);
    EXPECT_NEAR(m_view.invalidations[0].rect.top, expected.top, 1);
}

INSTANTIATE_TEST_SUITE_P(Placements, FootprintPlacementTest,
                         ::testing::Values(PlacementCase{"Top", kPlaceTop, 0, {25, 10}},
                                           PlacementCase{"TopTurned", kPlaceTop, 90, {20, 15}},
                                           PlacementCase{"Bottom", kPlaceBottom, 0, {15, 10}},
                                           PlacementCase{
                                               "BottomTurned", kPlaceBottom, 90, {20, 15}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardDrawTest, FootprintOutlineComesFromThePackageOutlineMarkingFirst) {
    CFootprint fp;
    fp.m_boardPosition = PointF{10, 0};
    AddPadstack(&fp, kPadShapeRound, 1.0f, 1.0f, {{0, 0}});
    auto* olt = static_cast<CMarking*>(fp.AddChild(new CMarking(30)));
    olt->m_primitives.push_back(ParseMarkingToken(olt, L"RC3,2,-3,-2"));
    RectF b;
    fp.BuildOutlinePath(0)->GetBounds(&b);
    EXPECT_NEAR(b.X, 7, 1e-5);
    EXPECT_NEAR(b.Width, 6, 1e-5);
    EXPECT_EQ(fp.HitTestOnBoard(m_g.get(), 12.5f, 1.5f), &fp);
    EXPECT_EQ(fp.BuildOutlinePath(1)->GetPointCount(), 0);
}

TEST_F(BoardDrawTest, AreaBoundsAndHit) {
    CArea area;
    EXPECT_EQ(area.HitTestOnBoard(m_g.get(), 0, 0), nullptr);
    RectF r;
    EXPECT_FALSE(area.GetBoundsOnBoard(m_g.get(), r));
    area.m_outline = ParseAreaOutline(L"LIN0,0 LIN10,0 LIN10,10 LIN0,10", nullptr);
    ASSERT_TRUE(area.GetBoundsOnBoard(m_g.get(), r));
    EXPECT_NEAR(r.X, -3, 1e-5);
    EXPECT_NEAR(r.Width, 16, 1e-5);
    EXPECT_EQ(area.HitTestOnBoard(m_g.get(), 5, 5), &area);
    EXPECT_EQ(area.HitTestOnBoard(m_g.get(), 11, 5), nullptr);
}

} // namespace

namespace {

TEST_F(BoardDrawTest, ConductorSearchesOverNetsAndLayers) {
    CBoard board;
    auto* a = static_cast<CNet*>(board.AddChild(new CNet(L"A")));
    auto* b = static_cast<CNet*>(board.AddChild(new CNet(L"B")));
    auto* top = static_cast<CConductor*>(a->AddChild(new CConductor));
    top->m_layer = 0;
    top->m_width = 0.4f;
    top->m_vertices = {{0, 0, 0, {}}, {10, 0, 1, {}}, {10, 10, 0, {}}};
    auto* bot = static_cast<CConductor*>(b->AddChild(new CConductor));
    bot->m_layer = 1;
    bot->m_width = 0.4f;
    bot->m_vertices = {{0, 0, 0, {}}, {0, 10, 0, {}}};
    auto* other = static_cast<CConductor*>(a->AddChild(new CConductor));
    other->m_layer = 0;
    other->m_width = 0.4f;
    other->m_vertices = {{10, 10, 0, {}}, {20, 10, 0, {}}};
    int index = -1;
    // 0.7 x Width beside the middle of a segment hits; beyond its end misses.
    EXPECT_EQ(board.FindConductorSegmentAt(5, 0.28f, &index, 1, 0), top);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(board.FindConductorSegmentAt(10, 5, &index, 1, 0), top);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(board.FindConductorSegmentAt(-0.1f, 0, &index, 1, 0), nullptr);
    EXPECT_EQ(board.FindConductorSegmentAt(0, 5, &index, 3, 0), bot);
    m_view.SetVisibleLayers(~0ull & ~2ull);
    EXPECT_EQ(board.FindConductorSegmentAt(0, 5, &index, 3, 0), nullptr);
    // Vertex searches ignore visibility and rounded corners.
    EXPECT_EQ(board.FindConductorVertexAt(0, 10, &index, 2, 0), bot);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(board.FindConductorVertexAt(10, 0, &index, 1, 0), nullptr);
    EXPECT_EQ(a->FindConductorVertexAt(10, 10, &index, 1, 0, top), other);
    EXPECT_EQ(top->FindOtherConductorAt(10, 10, 0.001f), other);
    EXPECT_EQ(top->FindOtherConductorAt(0, 0, 0.001f), nullptr);
}

} // namespace
