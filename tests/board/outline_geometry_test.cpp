// Outline geometry: orientation, offsets (near and far from the origin),
// directions, arc sweeps, straight arcs, kinds in comparisons, hit tests.
#include "board/area_node.h"
#include "board/pad_layer.h"
#include "board/thermal_relief.h"
#include "platform/graphics.h"
#include "tests/board/geometry_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979;

// A counter-clockwise 10 x 10 square whose top side bulges upwards by 2.
const wchar_t kArcSquare[] = L"LIN0,0 LIN10,0 ARC10,10,2 LIN0,10";
// The same figure run the other way.
const wchar_t kArcSquareReversed[] = L"LIN0,0 ARC0,10,-2 LIN10,10 LIN10,0";

struct Offset2 {
    float dx, dy;
};

const Offset2 kPlaces[] = {{0, 0}, {0, 25}, {0, 100}, {1000, -400}, {-50, 3000}, {-800, -800}};

double OutlineArea(const CAreaNode* head) {
    GraphicsPath path;
    head->FillOutlinePath(&path);
    return PathArea(path);
}

} // namespace

TEST(OutlineOrientation, SquaresBothWays) {
    OwnedOutline ccw(L"LIN0,0 LIN10,0 LIN10,10 LIN0,10");
    OwnedOutline cw(L"LIN0,10 LIN10,10 LIN10,0 LIN0,0");
    EXPECT_FALSE(IsOutlineClockwise(ccw.head));
    EXPECT_TRUE(IsOutlineClockwise(cw.head));
}

// The orientation of a figure with arcs does not depend on where it lies.
TEST(OutlineOrientation, ArcsAnywhereOnTheBoard) {
    for (const Offset2& at : kPlaces) {
        SCOPED_TRACE(testing::Message() << at.dx << "," << at.dy);
        OwnedOutline ccw(kArcSquare);
        OwnedOutline cw(kArcSquareReversed);
        OwnedOutline circle(L"ARC0,0,1 ARC0,2,1"); // two half circles, counter-clockwise
        MoveAreaOutline(ccw.head, at.dx, at.dy);
        MoveAreaOutline(cw.head, at.dx, at.dy);
        MoveAreaOutline(circle.head, at.dx, at.dy);
        EXPECT_FALSE(IsOutlineClockwise(ccw.head));
        EXPECT_TRUE(IsOutlineClockwise(cw.head));
        EXPECT_FALSE(IsOutlineClockwise(circle.head));
    }
}

TEST(OutlineOffset, SquareGrowsWithRoundedCornersAndShrinksWithSharpOnes) {
    for (const wchar_t* text :
         {L"LIN0,0 LIN10,0 LIN10,10 LIN0,10", L"LIN0,10 LIN10,10 LIN10,0 LIN0,0"}) {
        SCOPED_TRACE(testing::Message() << std::string(text, text + wcslen(text)));
        OwnedOutline square(text);
        OwnedOutline grown(OffsetAreaOutline(square.head, 1));
        ASSERT_EQ(CountAreaNodes(grown.head), 8);
        int arcs = 0;
        for (const CAreaNode* n = grown.head; n; n = n->m_next) {
            if (n->m_kind != AREA_ARC)
                continue;
            ++arcs;
            const auto* arc = static_cast<const CAreaArc*>(n);
            EXPECT_NEAR(std::fabs(arc->m_radius), 1, 1e-5);
            const bool onCorner =
                (std::fabs(arc->m_cx) < 1e-5 || std::fabs(arc->m_cx - 10) < 1e-5) &&
                (std::fabs(arc->m_cy) < 1e-5 || std::fabs(arc->m_cy - 10) < 1e-5);
            EXPECT_TRUE(onCorner) << arc->m_cx << "," << arc->m_cy;
        }
        EXPECT_EQ(arcs, 4);
        EXPECT_NEAR(OutlineArea(grown.head), 144 - 4 + kPi, 1e-3);

        OwnedOutline shrunk(OffsetAreaOutline(square.head, -1));
        ASSERT_EQ(CountAreaNodes(shrunk.head), 4);
        for (const CAreaNode* n = shrunk.head; n; n = n->m_next) {
            EXPECT_EQ(n->m_kind, AREA_SEGMENT);
            EXPECT_TRUE(std::fabs(n->m_x - 1) < 1e-5 || std::fabs(n->m_x - 9) < 1e-5) << n->m_x;
            EXPECT_TRUE(std::fabs(n->m_y - 1) < 1e-5 || std::fabs(n->m_y - 9) < 1e-5) << n->m_y;
        }
        EXPECT_NEAR(OutlineArea(shrunk.head), 64, 1e-3);
    }
}

// A convex figure grown by g gains perimeter x g + pi g^2 wherever it lies.
TEST(OutlineOffset, ArcFigureGrowsOutwardsAnywhere) {
    // The arc side: chord 10, sagitta 2.
    const double r = (25.0 / 2 + 2) / 2, half = std::acos((r - 2) / r);
    const double area = 100 + r * r * half - (r - 2) * 5;
    const double perimeter = 30 + 2 * r * half;
    const double g = 0.5;
    for (const Offset2& at : kPlaces) {
        for (const wchar_t* text : {kArcSquare, kArcSquareReversed}) {
            SCOPED_TRACE(testing::Message() << at.dx << "," << at.dy);
            OwnedOutline source(text);
            MoveAreaOutline(source.head, at.dx, at.dy);
            EXPECT_NEAR(OutlineArea(source.head), area, 0.02); // curves drawn as cubics
            OwnedOutline grown(OffsetAreaOutline(source.head, static_cast<float>(g)));
            EXPECT_NEAR(OutlineArea(grown.head), area + perimeter * g + kPi * g * g, 0.04);
            OwnedOutline shrunk(OffsetAreaOutline(source.head, static_cast<float>(-g)));
            EXPECT_LT(OutlineArea(shrunk.head), area - perimeter * g * 0.9);
        }
    }
}

// An arc of deviation 0 (as "ARC10,10,0" reads) is a straight piece: no
// NaN reaches paths, offsets or directions.
TEST(OutlineStraightArc, ZeroDeviationIsAStraightPiece) {
    OwnedOutline square(L"LIN0,0 LIN10,0 ARC10,10,0 LIN0,10");
    GraphicsPath path;
    square.head->FillOutlinePath(&path);
    EXPECT_TRUE(AllFinite(path));
    EXPECT_NEAR(PathArea(path), 100, 1e-4);
    EXPECT_FALSE(IsOutlineClockwise(square.head));
    OwnedOutline grown(OffsetAreaOutline(square.head, 1));
    grown.head->FillOutlinePath(&path);
    EXPECT_TRUE(AllFinite(path));
    EXPECT_NEAR(PathArea(path), 144 - 4 + kPi, 1e-3);
    for (const CAreaNode* n = grown.head; n; n = n->m_next) {
        EXPECT_TRUE(std::isfinite(n->GetStartDirection()));
        EXPECT_TRUE(std::isfinite(n->GetEndDirection()));
    }
    const auto* arc = static_cast<const CAreaArc*>(square.head->m_next->m_next);
    EXPECT_TRUE(std::isfinite(arc->m_radius) && std::isfinite(arc->m_cx) &&
                std::isfinite(arc->m_startAngle));

    OwnedOutline lone(L"ARC1,2");
    GraphicsPath single;
    lone.head->FillOutlinePath(&single);
    EXPECT_TRUE(AllFinite(single));
    OwnedOutline grownLone(OffsetAreaOutline(lone.head, 1));
    grownLone.head->FillOutlinePath(&single);
    EXPECT_TRUE(AllFinite(single));
}

TEST(OutlineStraightArc, TinyDeviationDrawsALine) {
    OwnedOutline outline(L"ARC0,0,0.00005 LIN0,2");
    EXPECT_EQ(outline.head->GetPath()->GetPointCount(), 2);
}

struct SweepCase {
    float start, end, deviation, sweep;
};

class ArcSweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(ArcSweep, FollowsTheDeviationsSign) {
    const SweepCase& c = GetParam();
    CAreaArc arc(&g_pActiveView, 0, 0);
    arc.m_startAngle = c.start;
    arc.m_endAngle = c.end;
    arc.m_deviation = c.deviation;
    EXPECT_FLOAT_EQ(arc.GetSweep(), c.sweep);
}

INSTANTIATE_TEST_SUITE_P(Sweeps, ArcSweep,
                         ::testing::Values(SweepCase{170, -170, 1, 20},
                                           SweepCase{170, -170, -1, -340},
                                           SweepCase{-90, 90, 1, 180},
                                           SweepCase{-90, 90, -0.5f, -180}, SweepCase{30, 30, 1, 0},
                                           SweepCase{30, 30, -1, -360}));

TEST(OutlineDirections, ArcAndOffsetSegment) {
    OwnedOutline outline(L"ARC0,0,1 LIN0,2");
    const CAreaNode* arc = outline.head;
    EXPECT_NEAR(arc->GetStartDirection(), 0, 1e-4);
    EXPECT_NEAR(std::fabs(arc->GetEndDirection()), 180, 1e-4);
    OwnedOutline square(L"LIN0,0 LIN10,0 LIN10,10 LIN0,10");
    OwnedOutline piece(square.head->CreateOffset(1));
    EXPECT_NEAR(piece.head->m_y, -1, 1e-6); // right of +x, y up
    EXPECT_NEAR(piece.head->m_pressX, 10, 1e-6);
    EXPECT_NEAR(piece.head->m_pressY, -1, 1e-6);
    EXPECT_NEAR(piece.head->GetStartDirection(), 0, 1e-6);
}

// Nodes of different kinds always differ, whatever their fields.
TEST(OutlineComparison, KindsComparedFirst) {
    CAreaSegment segment(&g_pActiveView, 1, 2);
    CAreaArc arc(&g_pActiveView, 1, 2);
    CAreaBezier curve(&g_pActiveView, 1, 2);
    EXPECT_TRUE(segment.IsDifferent(&arc));
    EXPECT_TRUE(arc.IsDifferent(&segment));
    EXPECT_TRUE(curve.IsDifferent(&segment));
    EXPECT_TRUE(arc.IsDifferent(&curve));
    OwnedOutline a(L"LIN0,0 LIN1,0 LIN1,1");
    OwnedOutline b(L"LIN0,0 ARC1,0,0 LIN1,1");
    EXPECT_TRUE(AreAreaOutlinesDifferent(a.head, b.head));

    // Two custom pads that differ only in a piece's kind are different pads.
    CPadLayer first(kPadLayerTop), second(kPadLayerTop);
    first.m_shape = second.m_shape = kPadShapeCustom;
    first.m_outline = ParseAreaOutline(L"LIN-1,-1 LIN1,-1 LIN1,1 LIN-1,1", &g_pActiveView);
    second.m_outline = ParseAreaOutline(L"LIN-1,-1 LIN1,-1 ARC1,1,0 LIN-1,1", &g_pActiveView);
    EXPECT_TRUE(first.IsDifferent(&second));
}

TEST(OutlineHitTest, WithinThreePixels) {
    OwnedOutline outline(L"LIN0,0 LIN10,0 LIN10,10");
    Graphics g(nullptr);
    EXPECT_TRUE(outline.head->HitTest(&g, 5, 1.2f));
    EXPECT_FALSE(outline.head->HitTest(&g, 5, 2));
    RECT r;
    outline.head->GetInvalidRect(&g, &r);
    EXPECT_LE(r.left, -3);
    EXPECT_GE(r.right, 13);
}

TEST(ThermalOutline, CustomPadGrownByTheIsolation) {
    CPadLayer pad(kPadLayerTop);
    pad.m_shape = kPadShapeCustom;
    pad.m_outline = ParseAreaOutline(L"LIN-1,-1 LIN1,-1 LIN1,1 LIN-1,1", &g_pActiveView);
    auto* thermal = static_cast<CThermalRelief*>(pad.AddChild(new CThermalRelief()));
    thermal->BuildOutlineFromPad(true);
    ASSERT_NE(thermal->m_outline, nullptr);
    EXPECT_NEAR(OutlineArea(thermal->m_outline), 4 + 8 * 0.3 + kPi * 0.09, 1e-3);
    thermal->BuildOutlineFromPad(false);
    EXPECT_EQ(thermal->m_outline, nullptr);
}
