// Pad, drill, conductor and thermal shapes with the documented numbers.
#include "board/conductor.h"
#include "board/drill.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "platform/text.h"
#include "tests/board/clearance_board.h"
#include "tests/board/geometry_test_util.h"
#include "tests/board/track_distance_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kTol = 1e-4;

CPadLayer* MakePad(CPadstack& padstack, int shape, float w, float h) {
    auto* layer = static_cast<CPadLayer*>(padstack.AddChild(new CPadLayer(kPadLayerTop)));
    layer->m_shape = shape;
    layer->m_width = w;
    layer->m_height = h;
    return layer;
}

void SetThermal(CPadLayer* layer, float iso, float spoke) {
    auto* t = static_cast<CThermalRelief*>(layer->AddChild(new CThermalRelief()));
    t->m_isolation = iso;
    t->m_spoke = spoke;
}

void ExpectPoint(const PointF& p, double x, double y) {
    EXPECT_NEAR(p.X, x, kTol);
    EXPECT_NEAR(p.Y, y, kTol);
}

struct ShapeCase {
    int shape;
    float w, h, margin;
    double area;
};

class PadShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(PadShapeTest, AreaBoundsAndMarginZero) {
    const ShapeCase& c = GetParam();
    CPadstack padstack(L"P");
    CPadLayer* pad = MakePad(padstack, c.shape, c.w, c.h);
    GraphicsPath grown, shape;
    pad->BuildPath(&grown, c.margin);
    EXPECT_NEAR(PathArea(grown), c.area, 2e-3 * c.area);
    const RectF b = PathBounds(grown);
    EXPECT_NEAR(b.Width, c.w + 2 * c.margin, 1e-4);
    EXPECT_NEAR(b.Height, c.h + 2 * c.margin, 1e-4);
    EXPECT_NEAR(b.X + b.Width / 2, 0, 1e-4);
    // Margin 0 gives the shape itself.
    pad->BuildPath(&grown, 0);
    pad->BuildShapePath(&shape, c.w, c.h);
    EXPECT_EQ(grown.Points(), shape.Points());
}

INSTANTIATE_TEST_SUITE_P(Shapes, PadShapeTest,
                         ::testing::Values(ShapeCase{kPadShapeRound, 1.6f, 1.6f, 0, kPi * 0.64},
                                           ShapeCase{kPadShapeRound, 1.6f, 1.6f, 0.3f, kPi * 1.21},
                                           ShapeCase{kPadShapeOblong, 3, 1, 0, 2 + kPi * 0.25},
                                           ShapeCase{kPadShapeOblong, 1, 3, 0.5f, 2 * 2 + kPi},
                                           ShapeCase{kPadShapeOblong, 2, 2, 0, kPi},
                                           ShapeCase{kPadShapeRect, 2, 1, 0, 2},
                                           ShapeCase{kPadShapeRect, 2, 1, 0.3f, 2.6 * 1.6}));

TEST(PadShape, NoShapeAndCustomWithoutOutline) {
    CPadstack padstack(L"P");
    CPadLayer* none = MakePad(padstack, kPadShapeNone, 1, 1);
    GraphicsPath path;
    path.AddRectangle(RectF{0, 0, 1, 1});
    none->BuildPath(&path, 0.3f);
    EXPECT_EQ(path.GetPointCount(), 4); // left as it was
    none->BuildThermalPath(&path);
    EXPECT_EQ(path.GetPointCount(), 0);
    CPadLayer* custom = MakePad(padstack, kPadShapeCustom, 0, 0);
    custom->BuildPath(&path, 0.3f);
    EXPECT_EQ(path.GetPointCount(), 0);
    custom->BuildThermalPath(&path);
    EXPECT_EQ(path.GetPointCount(), 0);
}

TEST(PadShape, CustomOutlineGrownOutwardsEitherWay) {
    for (const wchar_t* text :
         {L"LIN-1,-1 LIN1,-1 LIN1,1 LIN-1,1", L"LIN-1,1 LIN1,1 LIN1,-1 LIN-1,-1"}) {
        CPadstack padstack(L"P");
        CPadLayer* pad = MakePad(padstack, kPadShapeCustom, 0, 0);
        pad->m_outline = ParseAreaOutline(text, &g_pActiveView);
        GraphicsPath path;
        pad->BuildPath(&path, 0.3f);
        EXPECT_NEAR(PathArea(path), 4 + 8 * 0.3 + kPi * 0.09, 2e-3);
        pad->BuildPath(&path, 0);
        EXPECT_NEAR(PathArea(path), 4, 1e-4);
    }
}

// The clearance cut around a custom pad (copper-area fill, Gerber clearance)
// keeps the whole margin from the pad: its flattened corners lie outside the
// true rounded ones, never across them.
TEST(PadShape, CustomClearanceKeepsTheWholeMarginFromTheOutline) {
    const CopperBox square{0, 0, 1, 1};
    for (const wchar_t* text :
         {L"LIN-1,-1 LIN1,-1 LIN1,1 LIN-1,1", L"LIN-1,1 LIN1,1 LIN1,-1 LIN-1,-1"}) {
        for (float margin : {0.35f, 0.2f, 1.5f}) {
            SCOPED_TRACE(WideToUtf8(text) + " grown by " + std::to_string(margin));
            CPadstack padstack(L"P");
            CPadLayer* pad = MakePad(padstack, kPadShapeCustom, 0, 0);
            pad->m_outline = ParseAreaOutline(text, &g_pActiveView);
            GraphicsPath path;
            pad->BuildClearancePath(&path, margin);
            double nearest = 1e9, farthest = 0;
            for (const std::vector<PointF>& figure : Figures(path)) {
                ASSERT_GE(figure.size(), 3u);
                for (size_t i = 0; i < figure.size(); ++i) {
                    const PointF a = figure[i], b = figure[(i + 1) % figure.size()];
                    for (int k = 0; k <= 64; ++k) {
                        const double t = k / 64.0;
                        const double d =
                            PointToBox(square, a.X + (b.X - a.X) * t, a.Y + (b.Y - a.Y) * t);
                        nearest = std::min(nearest, d);
                        if (k == 0)
                            farthest = std::max(farthest, d);
                    }
                }
            }
            EXPECT_GE(nearest, margin - 1e-5);
            EXPECT_LE(farthest, margin + 0.002);
        }
    }
}

struct DrillCase {
    int type;
    float diam, sx, sy;
    double area, width, height;
};

class DrillShapeTest : public ::testing::TestWithParam<DrillCase> {};

TEST_P(DrillShapeTest, HoleAboutTheDrillPosition) {
    const DrillCase& c = GetParam();
    CDrill drill(c.type);
    drill.m_diam = c.diam;
    drill.m_slotWidth = c.sx;
    drill.m_slotHeight = c.sy;
    drill.m_boardPosition = PointF{5, -2};
    GraphicsPath path;
    drill.BuildPath(&path);
    EXPECT_NEAR(PathArea(path), c.area, 2e-3 * std::max(c.area, 1.0));
    if (c.area > 0) {
        const RectF b = PathBounds(path);
        EXPECT_NEAR(b.Width, c.width, 1e-4);
        EXPECT_NEAR(b.Height, c.height, 1e-4);
        if (c.type != kDrillCustom) {
            EXPECT_NEAR(b.X + b.Width / 2, 5, 1e-4);
            EXPECT_NEAR(b.Y + b.Height / 2, -2, 1e-4);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Drills, DrillShapeTest,
    ::testing::Values(DrillCase{kDrillRound, 1, 0, 0, kPi * 0.25, 1, 1},
                      DrillCase{kDrillSlot, 0, 3, 1, 2 + kPi * 0.25, 3, 1},
                      DrillCase{kDrillSlot, 0, 1, 3, 2 + kPi * 0.25, 1, 3},
                      DrillCase{kDrillSlot, 0, 2, 2, kPi, 2, 2},
                      // The default custom outline (4 x 2) is the tool centre's path.
                      DrillCase{kDrillCustom, 1, 0, 0, 8 + 12 * 0.5 + kPi * 0.25, 5, 3},
                      DrillCase{kDrillNone, 1, 0, 0, 0, 0, 0}));

TEST(DrillShape, SlotDiameterIsTheSmallerSize) {
    CDrill drill(kDrillSlot);
    drill.m_slotWidth = 3;
    drill.m_slotHeight = 1;
    EXPECT_EQ(drill.GetDiameter(), 1);
}

TEST(ConductorShape, StadiumPerSegmentMerged) {
    CConductor conductor;
    conductor.m_width = 0.4f;
    conductor.m_vertices = {ConductorVertex{0, 0, 0, {}}};
    GraphicsPath path;
    conductor.BuildPath(&path, 0.1f);
    EXPECT_EQ(path.GetPointCount(), 0);
    conductor.m_vertices.push_back(ConductorVertex{10, 0, 0, {}});
    conductor.BuildPath(&path, 0.1f);
    EXPECT_NEAR(PathArea(path), 10 * 0.6 + kPi * 0.09, 2e-3);
    // An L: two stadiums overlapping in the corner; the corner disc adds its
    // outer quarter.
    conductor.m_vertices.push_back(ConductorVertex{10, 10, 0, {}});
    path.Reset();
    conductor.BuildPath(&path, 0.1f);
    EXPECT_EQ(Figures(path).size(), 1u);
    EXPECT_NEAR(PathArea(path), 12 - 0.09 + kPi * 0.09 * 1.25, 3e-3);
}

// With corner values the outline follows the rounded centre line: every
// point clearly within Width / 2 + margin of it is inside, every point
// clearly beyond is outside: on gentle bends, and on bends tighter than the
// copper is wide (one turning left, one right), filled up to their centre.
TEST(ConductorShape, RoundedCornersFollowTheCentreLine) {
    const std::vector<std::array<double, 3>> vertices = {{0, 0, 0},   {4, 0, 1.5}, {7, 3, 1},
                                                         {7, 6, 0.2}, {4, 6, 0.3}, {4, 9, 0}};
    CConductor conductor;
    conductor.m_width = 0.3f;
    for (const auto& v : vertices)
        conductor.m_vertices.push_back(ConductorVertex{float(v[0]), float(v[1]), float(v[2]), {}});
    GraphicsPath path;
    conductor.BuildPath(&path, 0.35f);
    EXPECT_EQ(Figures(path).size(), 1u);
    const std::vector<TrackPiece> track = RoundedTrack(vertices);
    const double r = 0.5;
    int checked = 0;
    for (double x = -1; x <= 8; x += 0.02)
        for (double y = -1; y <= 10; y += 0.02) {
            const double d = DistanceToTrack(track, x, y);
            if (std::fabs(d - r) > 0.05 || std::fabs(d - r) < 0.003)
                continue; // far from the edge, or within its flattening
            ++checked;
            EXPECT_EQ(path.IsVisible(float(x), float(y)), d < r) << x << "," << y;
        }
    EXPECT_GT(checked, 1000);

    // Corner values that round nothing (a straight run, a turn back on
    // itself, the last vertex) leave the outline as it is without them.
    CConductor plain;
    plain.m_width = 0.3f;
    plain.m_vertices = {{0, 0, 0, {}}, {5, 0, 0, {}}, {9, 0, 0, {}}, {6, 0, 0, {}}, {6, 4, 0, {}}};
    CConductor valued = plain;
    for (size_t i : {1, 2, 4})
        valued.m_vertices[i].corner = 2;
    GraphicsPath a, b;
    plain.BuildPath(&a, 0.2f);
    valued.BuildPath(&b, 0.2f);
    EXPECT_EQ(a.Points(), b.Points());
    EXPECT_EQ(a.Types(), b.Types());
}

// Thermal reliefs: iso 0.3, spoke 0.3 (s = 0.15).
TEST(ThermalShape, RoundPadRingSectors) {
    CPadstack padstack(L"P");
    CPadLayer* pad = MakePad(padstack, kPadShapeRound, 1.6f, 1.6f);
    GraphicsPath path;
    pad->BuildThermalPath(&path);
    ASSERT_EQ(Figures(path).size(), 4u);
    const double a = std::sqrt(0.64 - 0.0225), b = std::sqrt(1.21 - 0.0225);
    const std::vector<PointF> first = FigureVertices(path, 0);
    ASSERT_EQ(first.size(), 5u);
    ExpectPoint(first[0], a, 0.15);
    ExpectPoint(first[1], b, 0.15);
    ExpectPoint(first[2], 0.15, b);
    ExpectPoint(first[3], 0.15, a);
    ExpectPoint(first[4], a, 0.15);
    for (const auto& figure : Figures(path))
        for (const PointF& p : figure) {
            EXPECT_GE(std::fabs(p.X), 0.15 - kTol);
            EXPECT_GE(std::fabs(p.Y), 0.15 - kTol);
        }
    ExpectPoint(FigureVertices(path, 1)[0], a, -0.15); // fourth quadrant
    ExpectPoint(FigureVertices(path, 2)[0], -a, -0.15);
    ExpectPoint(FigureVertices(path, 3)[0], -a, 0.15);
}

TEST(ThermalShape, RectPadSquareOuterCorner) {
    CPadstack padstack(L"P");
    CPadLayer* pad = MakePad(padstack, kPadShapeRect, 2, 1);
    GraphicsPath path;
    pad->BuildThermalPath(&path);
    ASSERT_EQ(Figures(path).size(), 4u);
    const double pts[7][2] = {{1, 0.15},   {1.3, 0.15}, {1.3, 0.8}, {0.15, 0.8},
                              {0.15, 0.5}, {1, 0.5},    {1, 0.15}};
    const double mirror[4][2] = {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}};
    for (int f = 0; f < 4; ++f) {
        const std::vector<PointF> v = FigureVertices(path, f);
        ASSERT_EQ(v.size(), 7u);
        for (int i = 0; i < 7; ++i)
            ExpectPoint(v[i], pts[i][0] * mirror[f][0], pts[i][1] * mirror[f][1]);
    }
    EXPECT_NEAR(PathArea(path), 4 * (1.15 * 0.65 - 0.85 * 0.35), 1e-4);
}

TEST(ThermalShape, LyingOblongPad) {
    CPadstack padstack(L"P");
    CPadLayer* pad = MakePad(padstack, kPadShapeOblong, 3, 1);
    GraphicsPath path;
    pad->BuildThermalPath(&path);
    ASSERT_EQ(Figures(path).size(), 4u);
    const std::vector<PointF> v = FigureVertices(path, 0);
    ASSERT_GE(v.size(), 7u);
    ExpectPoint(v[0], 0.15, 0.5);
    ExpectPoint(v[1], 0.15, 0.8);
    ExpectPoint(v[2], 1, 0.8);
    ExpectPoint(v[v.size() - 1], 0.15, 0.5);
    bool outer = false, inner = false;
    for (const PointF& p : v) {
        outer |= std::fabs(p.X - 1.7858) < 1e-3 && std::fabs(p.Y - 0.15) < 1e-4;
        inner |= std::fabs(p.X - 1.4770) < 1e-3 && std::fabs(p.Y - 0.15) < 1e-4;
    }
    EXPECT_TRUE(outer);
    EXPECT_TRUE(inner);
    // Third quadrant: both arcs about (-1, 0).
    bool third = false;
    for (const PointF& p : FigureVertices(path, 2))
        third |= std::fabs(p.X + 1.7858) < 1e-3 && std::fabs(p.Y + 0.15) < 1e-4;
    EXPECT_TRUE(third);
}

struct WideSpokeCase {
    int shape;
    float w, h, spoke;
    int figures;
};

class WideSpokeTest : public ::testing::TestWithParam<WideSpokeCase> {};

// Spokes as wide as the straight part of an oblong pad, or as the pad, keep
// both spokes and never give a non-finite point.
TEST_P(WideSpokeTest, SpokesStayFreeAndFinite) {
    const WideSpokeCase& c = GetParam();
    CPadstack padstack(L"P");
    CPadLayer* pad = MakePad(padstack, c.shape, c.w, c.h);
    SetThermal(pad, 0.3f, c.spoke);
    GraphicsPath path;
    pad->BuildThermalPath(&path);
    EXPECT_TRUE(AllFinite(path));
    EXPECT_EQ(static_cast<int>(Figures(path).size()), c.figures);
    const float s = c.spoke / 2;
    const float reach = std::max(c.w, c.h) / 2 + 0.15f;
    for (const float t : {0.0f, s * 0.9f}) {
        EXPECT_FALSE(path.IsVisible(t, c.h / 2 + 0.15f)) << "vertical spoke";
        EXPECT_FALSE(path.IsVisible(c.w / 2 + 0.15f, t)) << "horizontal spoke";
        EXPECT_FALSE(path.IsVisible(-t, -reach));
    }
    for (const auto& figure : Figures(path))
        for (const PointF& p : figure) {
            EXPECT_GE(std::fabs(p.X), s - kTol);
            EXPECT_GE(std::fabs(p.Y), s - kTol);
        }
}

INSTANTIATE_TEST_SUITE_P(WideSpokes, WideSpokeTest,
                         ::testing::Values(WideSpokeCase{kPadShapeOblong, 1.6f, 1.6f, 0.3f, 4},
                                           WideSpokeCase{kPadShapeOblong, 2.0f, 1.6f, 0.6f, 4},
                                           WideSpokeCase{kPadShapeOblong, 1.6f, 2.0f, 0.6f, 4},
                                           WideSpokeCase{kPadShapeRound, 1.6f, 1.6f, 1.4f, 4},
                                           WideSpokeCase{kPadShapeRound, 1.6f, 1.6f, 2.0f, 0},
                                           WideSpokeCase{kPadShapeOblong, 1.6f, 1.6f, 3.0f, 0},
                                           WideSpokeCase{kPadShapeRect, 0.2f, 1.6f, 0.4f, 4},
                                           WideSpokeCase{kPadShapeRect, 1, 1, 4, 0}));

// The custom ring quadrant: the square pad grown by 0.3 (rounded corners)
// less the pad, beyond x and y of 0.15, whichever way the outline runs.
TEST(ThermalShape, CustomPadQuadrants) {
    const double quarter = (1.69 - (0.09 - kPi * 0.09 / 4)) - (0.39 - 0.0225) - 0.7225;
    for (const wchar_t* text :
         {L"LIN-1,-1 LIN1,-1 LIN1,1 LIN-1,1", L"LIN-1,1 LIN1,1 LIN1,-1 LIN-1,-1"}) {
        CPadstack padstack(L"P");
        CPadLayer* pad = MakePad(padstack, kPadShapeCustom, 0, 0);
        pad->m_outline = ParseAreaOutline(text, &g_pActiveView);
        GraphicsPath path;
        pad->BuildThermalPath(&path);
        ASSERT_EQ(Figures(path).size(), 4u);
        EXPECT_NEAR(PathArea(path), 4 * quarter, 2e-3);
        EXPECT_TRUE(path.IsVisible(1.15f, 0.5f));
        EXPECT_TRUE(path.IsVisible(-0.5f, -1.15f));
        EXPECT_FALSE(path.IsVisible(1.15f, 0.1f)); // spoke
        EXPECT_FALSE(path.IsVisible(0.5f, 0.5f));  // pad
        // Quadrant order: first, fourth, third, second.
        const double signs[4][2] = {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}};
        const auto figures = Figures(path);
        for (int f = 0; f < 4; ++f)
            for (const PointF& p : figures[static_cast<size_t>(f)]) {
                EXPECT_GE(p.X * signs[f][0], 0.15 - kTol);
                EXPECT_GE(p.Y * signs[f][1], 0.15 - kTol);
            }
    }
}

TEST(PlaneClearance, PlanePadOrGrownPad) {
    CPadstack padstack(L"P");
    CPadLayer* top = MakePad(padstack, kPadShapeRound, 1, 1);
    GraphicsPath path;
    top->BuildPlaneClearancePath(&path);
    EXPECT_NEAR(PathBounds(path).Width, 1.6, 1e-4);
    CPadLayer* plane = MakePad(padstack, kPadShapeRound, 2, 2);
    plane->m_layer = kPadLayerPlane;
    top->BuildPlaneClearancePath(&path);
    EXPECT_NEAR(PathBounds(path).Width, 2, 1e-4);
}

} // namespace
