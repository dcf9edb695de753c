// Paths: arcs as Béziers, flattening, fill and outline hit tests, outlines,
// reversal and text outlines.
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "platform/pen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr float kK90 = 0.5522847f; // 4/3 tan(22.5 degrees)

void ExpectPoints(const GraphicsPath& path, const std::vector<PointF>& expected,
                  float tol = 1e-5f) {
    ASSERT_EQ(path.GetPointCount(), static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(path.Points()[i].X, expected[i].X, tol) << "point " << i;
        EXPECT_NEAR(path.Points()[i].Y, expected[i].Y, tol) << "point " << i;
    }
}

struct ArcCase {
    float start;
    float sweep;
    int points;
    PointF last;
};

class UnitCircleArc : public ::testing::TestWithParam<ArcCase> {};

TEST_P(UnitCircleArc, EndsWhereTheSweepEndsAndFlattensWithinTheFlatness) {
    const ArcCase c = GetParam();
    GraphicsPath path;
    ASSERT_EQ(path.AddArc(-1, -1, 2, 2, c.start, c.sweep), Ok);
    ASSERT_EQ(path.GetPointCount(), c.points);
    EXPECT_EQ(path.Types()[0], PathPointTypeStart);
    for (int i = 1; i < c.points; ++i)
        EXPECT_EQ(path.Types()[i], PathPointTypeBezier);
    EXPECT_NEAR(path.Points().back().X, c.last.X, 1e-6);
    EXPECT_NEAR(path.Points().back().Y, c.last.Y, 1e-6);
    // Every segment end lies on the circle.
    for (int i = 0; i < c.points; i += 3)
        EXPECT_NEAR(std::hypot(path.Points()[i].X, path.Points()[i].Y), 1.0, 1e-6);

    // Scaled to radius 10 and flattened: every vertex and every chord middle
    // stays within the flatness of the circle (plus the cubic's own 0.03%).
    const float flatness = 0.05f;
    Matrix m(10, 0, 0, 10, 0, 0);
    GraphicsPath flat(path);
    flat.Flatten(&m, flatness);
    const auto& p = flat.Points();
    ASSERT_GE(p.size(), 2u);
    const double tol = flatness + 10 * 2.8e-4;
    for (size_t i = 0; i < p.size(); ++i) {
        EXPECT_NEAR(std::hypot(p[i].X, p[i].Y), 10.0, tol);
        if (i > 0) {
            const double mx = (p[i].X + p[i - 1].X) / 2, my = (p[i].Y + p[i - 1].Y) / 2;
            EXPECT_LE(10.0 - std::hypot(mx, my), tol);
            EXPECT_EQ(flat.Types()[i], PathPointTypeLine);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    SweepsBothWays, UnitCircleArc,
    ::testing::Values(ArcCase{0, 30, 4, {0.8660254f, 0.5f}},
                      ArcCase{0, -30, 4, {0.8660254f, -0.5f}}, ArcCase{0, 90, 4, {0, 1}},
                      ArcCase{0, -90, 4, {0, -1}}, ArcCase{0, 180, 7, {-1, 0}},
                      ArcCase{0, -180, 7, {-1, 0}}, ArcCase{0, 270, 10, {0, -1}},
                      ArcCase{0, -270, 10, {0, 1}}, ArcCase{0, 360, 13, {1, 0}},
                      ArcCase{0, -360, 13, {1, 0}}, ArcCase{90, 180, 7, {0, -1}},
                      ArcCase{45, 400, 13, {0.7071068f, 0.7071068f}}));

TEST(ArcBeziers, QuarterAndThirtyDegreeControlPoints) {
    GraphicsPath q;
    q.AddArc(-1, -1, 2, 2, 0, 90);
    ExpectPoints(q, {{1, 0}, {1, kK90}, {kK90, 1}, {0, 1}});

    GraphicsPath neg;
    neg.AddArc(-1, -1, 2, 2, 0, -90);
    ExpectPoints(neg, {{1, 0}, {1, -kK90}, {kK90, -1}, {0, -1}});

    // k = 4/3 tan(7.5 degrees) = 0.1755367.
    GraphicsPath t;
    t.AddArc(-1, -1, 2, 2, 0, 30);
    ExpectPoints(t, {{1, 0}, {1, 0.1755367f}, {0.9537937f, 0.3479808f}, {0.8660254f, 0.5f}});

    GraphicsPath half;
    half.AddArc(-1, -1, 2, 2, 0, 180);
    ExpectPoints(half, {{1, 0}, {1, kK90}, {kK90, 1}, {0, 1}, {-kK90, 1}, {-1, kK90}, {-1, 0}});
}

TEST(ArcBeziers, EllipseStartsAtTheRightmostPointAndTurnsTowardsPositiveY) {
    GraphicsPath e;
    e.AddEllipse(0, 0, 4, 2);
    ASSERT_EQ(e.GetPointCount(), 13);
    ExpectPoints(e, {{4, 1},
                     {4, 1 + kK90},
                     {2 + 2 * kK90, 2},
                     {2, 2},
                     {2 - 2 * kK90, 2},
                     {0, 1 + kK90},
                     {0, 1},
                     {0, 1 - kK90},
                     {2 - 2 * kK90, 0},
                     {2, 0},
                     {2 + 2 * kK90, 0},
                     {4, 1 - kK90},
                     {4, 1}});
    EXPECT_EQ(e.Types().back(), PathPointTypeBezier | PathPointTypeCloseSubpath);
}

TEST(ArcBeziers, AnglesOnAnEllipseAreTheDirectionsSeenFromItsCentre) {
    GraphicsPath a;
    a.AddArc(-2, -1, 4, 2, 45, 90);
    const PointF first = a.Points().front(), last = a.Points().back();
    EXPECT_NEAR(first.X, first.Y, 1e-6); // on the 45 degree ray
    EXPECT_NEAR(last.X, -last.Y, 1e-6);  // on the 135 degree ray
    EXPECT_LT(last.X, 0);
    EXPECT_NEAR(first.X * first.X / 4 + first.Y * first.Y, 1.0, 1e-6);
}

TEST(PathFigures, LinesAndArcsJoinTheOpenFigureShapesStandAlone) {
    GraphicsPath p;
    p.AddLine(0, 0, 1, 0);
    p.AddLine(1, 0, 1, 1); // shares the point: no duplicate
    p.AddArc(2, 0, 2, 2, 180, 90);
    p.CloseFigure();
    p.AddRectangle({5, 5, 2, 1});
    ASSERT_EQ(p.GetPointCount(), 3 + 1 + 3 + 4);
    EXPECT_EQ(p.Types()[3], PathPointTypeLine); // implied line to the arc start
    EXPECT_EQ(p.Types()[6], PathPointTypeBezier | PathPointTypeCloseSubpath);
    EXPECT_EQ(p.Types()[7], PathPointTypeStart);
    EXPECT_EQ(p.Types()[10], PathPointTypeLine | PathPointTypeCloseSubpath);

    GraphicsPath pie;
    pie.AddPie(-1, -1, 2, 2, 0, 90);
    ExpectPoints(pie, {{0, 0}, {1, 0}, {1, kK90}, {kK90, 1}, {0, 1}});
    EXPECT_EQ(pie.Types()[1], PathPointTypeLine);
}

TEST(PathFigures, ReverseKeepsCurvesAndCloseFlags) {
    GraphicsPath p;
    p.AddLine(0, 0, 1, 0);
    p.AddBezier(1, 0, 2, 0, 2, 1, 2, 2);
    p.CloseFigure();
    p.Reverse();
    ExpectPoints(p, {{2, 2}, {2, 1}, {2, 0}, {1, 0}, {0, 0}});
    EXPECT_EQ(p.Types()[0], PathPointTypeStart);
    EXPECT_EQ(p.Types()[1], PathPointTypeBezier);
    EXPECT_EQ(p.Types()[3], PathPointTypeBezier);
    EXPECT_EQ(p.Types()[4], PathPointTypeLine | PathPointTypeCloseSubpath);
}

TEST(PathBounds, CurvesCountByTheirTrueExtent) {
    GraphicsPath a;
    a.AddArc(-1, -1, 2, 2, 45, 90);
    RectF b;
    a.GetBounds(&b);
    EXPECT_NEAR(b.X, -0.7071068, 1e-5);
    EXPECT_NEAR(b.Width, 1.4142136, 1e-5);
    EXPECT_NEAR(b.Y, 0.7071068, 1e-5);
    EXPECT_NEAR(b.Y + b.Height, 1.0, 1e-5);

    Pen pen(Color(0xFF000000), 0.5f);
    Matrix m(2, 0, 0, 2, 10, 0);
    a.GetBounds(&b, &m, &pen);
    EXPECT_NEAR(b.X, 10 - 1.4142136 - 0.5, 1e-5);
}

struct FillCase {
    FillMode mode;
    bool holeReversed;
    PointF point;
    bool inside;
};

class SquareWithHole : public ::testing::TestWithParam<FillCase> {};

TEST_P(SquareWithHole, PointInFill) {
    const FillCase c = GetParam();
    GraphicsPath p(c.mode);
    const PointF outer[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const PointF inner[4] = {{3, 3}, {7, 3}, {7, 7}, {3, 7}};
    const PointF innerRev[4] = {{3, 3}, {3, 7}, {7, 7}, {7, 3}};
    p.AddPolygon(outer, 4);
    p.AddPolygon(c.holeReversed ? innerRev : inner, 4);
    EXPECT_EQ(p.IsVisible(c.point), c.inside);
}

INSTANTIATE_TEST_SUITE_P(BothFillModes, SquareWithHole,
                         ::testing::Values(FillCase{FillModeAlternate, false, {5, 5}, false},
                                           FillCase{FillModeAlternate, false, {1, 1}, true},
                                           FillCase{FillModeAlternate, false, {8, 5}, true},
                                           FillCase{FillModeAlternate, false, {11, 5}, false},
                                           FillCase{FillModeWinding, false, {5, 5}, true},
                                           FillCase{FillModeWinding, false, {1, 1}, true},
                                           FillCase{FillModeWinding, true, {5, 5}, false},
                                           FillCase{FillModeWinding, true, {8, 5}, true},
                                           FillCase{FillModeAlternate, true, {5, 5}, false},
                                           FillCase{FillModeWinding, false, {-1, 5}, false}));

TEST(PathHitTest, CirclesAreTestedOnTheirCurveNotTheirControlPolygon) {
    GraphicsPath c;
    c.AddEllipse(-10, -10, 20, 20);
    EXPECT_TRUE(c.IsVisible(7.0f, 7.0f));  // radius 9.9
    EXPECT_FALSE(c.IsVisible(7.1f, 7.1f)); // radius 10.04
}

TEST(PathHitTest, OutlineWithinHalfThePenWidthHonouringCaps) {
    GraphicsPath line;
    line.AddLine(0, 0, 10, 0);
    Pen round(Color(0xFF000000), 2);
    round.SetLineCap(LineCapRound, LineCapRound);
    EXPECT_TRUE(line.IsOutlineVisible(5, 0.9f, &round));
    EXPECT_FALSE(line.IsOutlineVisible(5, 1.1f, &round));
    EXPECT_TRUE(line.IsOutlineVisible(10.9f, 0, &round));
    EXPECT_FALSE(line.IsOutlineVisible(11.1f, 0, &round));
    Pen flat(Color(0xFF000000), 2);
    EXPECT_FALSE(line.IsOutlineVisible(10.5f, 0, &flat));
    EXPECT_TRUE(line.IsOutlineVisible(9.5f, 0.5f, &flat));

    // In a Graphics scaled by 10 a width-0 pen is one pixel: 0.05 world units.
    Graphics g(nullptr);
    g.ScaleTransform(10, 10);
    Pen hair(Color(0xFF000000), 0);
    EXPECT_TRUE(line.IsOutlineVisible(5, 0.04f, &hair, &g));
    EXPECT_FALSE(line.IsOutlineVisible(5, 0.06f, &hair, &g));
}

double Area(const GraphicsPath& p) {
    double a = 0;
    const auto& pts = p.Points();
    size_t s = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        const bool last = i + 1 == pts.size() ||
                          (p.Types()[i + 1] & PathPointTypePathTypeMask) == PathPointTypeStart;
        const PointF& q = last ? pts[s] : pts[i + 1];
        a += pts[i].X * q.Y - q.X * pts[i].Y;
        if (last)
            s = i + 1;
    }
    return a / 2;
}

TEST(PathOutline, OverlappingFiguresMergeIntoOneContour) {
    GraphicsPath p;
    p.AddRectangle({0, 0, 4, 2});
    p.AddRectangle({2, 1, 4, 2});
    p.Outline(nullptr, 0.001f);
    EXPECT_EQ(p.GetPointCount(), 8);
    EXPECT_EQ(p.Types()[0], PathPointTypeStart);
    EXPECT_NEAR(std::fabs(Area(p)), 8 + 8 - 2, 1e-5);
    EXPECT_TRUE(p.IsVisible(3, 1.5f));
    EXPECT_FALSE(p.IsVisible(5, 0.5f));
}

TEST(PathOutline, TwoStadiumsOfAConductorBecomeOneFigure) {
    // Two segments (0,0)-(10,0)-(10,10), width 2: caps overlap at the corner.
    GraphicsPath p;
    p.StartFigure();
    p.AddArc(-1, -1, 2, 2, 90, 180);
    p.AddArc(9, -1, 2, 2, -90, 180);
    p.CloseFigure();
    p.StartFigure();
    p.AddArc(9, -1, 2, 2, 180, 180);
    p.AddArc(9, 9, 2, 2, 0, 180);
    p.CloseFigure();
    p.Outline(nullptr, 0.001f);
    int figures = 0;
    for (uint8_t t : p.Types())
        figures += (t & PathPointTypePathTypeMask) == PathPointTypeStart;
    EXPECT_EQ(figures, 1);
    // Two stadiums of 10 x 2 plus round ends, less their overlap: the disc
    // at the corner and the part of the square [9,10] x [0,1] outside it.
    const double stadium = 10 * 2 + M_PI;
    EXPECT_NEAR(std::fabs(Area(p)), 2 * stadium - (M_PI + 1 - M_PI / 4), 0.01);
}

TEST(PathText, OutlineOfAKnownStringInDejaVuSans) {
    FontFamily family(L"DejaVu Sans");
    ASSERT_EQ(family.GetLastStatus(), Ok);
    GraphicsPath p;
    ASSERT_EQ(p.AddString(L"Hello", &family, FontStyleRegular, 10, PointF{0, 0}, nullptr), Ok);
    RectF b;
    p.GetBounds(&b);
    // Em 10 over 2048 design units: baseline at the ascent 1901 (9.282);
    // 'l' rises 1556 units (top 1.685); 'H' starts after its bearing of 201
    // (0.981); the advances 1542+1260+569+569+1253 end at 25.356 less the
    // right bearing of 'o' (113 units, 0.552).
    EXPECT_NEAR(b.X, 0.981, 0.05);
    EXPECT_NEAR(b.Y, 1.685, 0.05);
    EXPECT_NEAR(b.Y + b.Height, 9.282 + 0.142, 0.05);
    EXPECT_NEAR(b.X + b.Width, 25.356 - 0.552, 0.1);
    // Figures are closed glyph contours: H, e (2), l, l, o (2).
    int figures = 0;
    for (uint8_t t : p.Types())
        figures += (t & PathPointTypePathTypeMask) == PathPointTypeStart;
    EXPECT_EQ(figures, 7);
}

TEST(PathText, MissingFamilyReportsFontFamilyNotFound) {
    FontFamily missing(L"No Such Face 42");
    EXPECT_EQ(missing.GetLastStatus(), FontFamilyNotFound);
    GraphicsPath p;
    EXPECT_EQ(p.AddString(L"x", &missing, FontStyleRegular, 1, PointF{0, 0}, nullptr),
              FontFamilyNotFound);
    EXPECT_EQ(p.GetLastStatus(), FontFamilyNotFound);
    EXPECT_EQ(p.GetLastStatus(), Ok);
    EXPECT_EQ(p.GetPointCount(), 0);
    // Windows faces go through the substitution table.
    EXPECT_EQ(FontFamily(L"Tahoma").GetLastStatus(), Ok);
}

} // namespace
