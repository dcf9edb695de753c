// Random polygons against an independent computation: the reference
// library's area of the same operation, and point sampling of even-odd
// containment of the inputs against the result.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "board/clip_polygon.h"
#include "clip_test_util.h"

using namespace cliptest;

namespace {

const ClipOperation kOps[] = {CLIP_DIFFERENCE, CLIP_INTERSECTION, CLIP_XOR, CLIP_UNION};

// Checks the result's shape rules, its area against the reference and its
// containment against the inputs at random points away from any boundary.
void CheckAgainstReference(ClipOperation op, const CClipPolygon& s, const CClipPolygon& c,
                           std::mt19937& rng, double x0, double y0, double size,
                           double areaTolerance) {
    CClipPolygon r;
    r.Clip(op, s, c);
    for (int i = 0; i < r.GetContourCount(); ++i) {
        const CClipContour& k = r.GetContour(i);
        ASSERT_GE(k.GetVertexCount(), 3);
        for (const PointF& v : k.Vertices())
            ASSERT_TRUE(std::isfinite(v.X) && std::isfinite(v.Y));
        // Holes wind the other way round from outer contours.
        const double a = SignedArea(k.GetVertices(), k.GetVertexCount());
        if (std::fabs(a) > 1e-9) {
            EXPECT_EQ(a > 0, r.GetHoleFlag(i) == 1) << "contour " << i << " area " << a;
        }
    }
    const double want = ReferenceArea(op, s, c);
    EXPECT_NEAR(FlaggedArea(r), want, areaTolerance) << "op " << op;

    std::uniform_real_distribution<double> u(0, size);
    int mismatches = 0;
    for (int i = 0; i < 200; ++i) {
        const double x = x0 + u(rng), y = y0 + u(rng);
        if (DistanceToBoundary(s, x, y) < 1e-3 || DistanceToBoundary(c, x, y) < 1e-3 ||
            DistanceToBoundary(r, x, y) < 1e-3)
            continue;
        const bool expected = Apply(op, InsideEvenOdd(s, x, y), InsideEvenOdd(c, x, y));
        if (InsideEvenOdd(r, x, y) != expected)
            ++mismatches;
    }
    EXPECT_EQ(mismatches, 0) << "op " << op;
}

class ClipRandom : public ::testing::TestWithParam<int> {};

TEST_P(ClipRandom, StarsWithHolesMatchTheReference) {
    std::mt19937 rng(static_cast<unsigned>(GetParam()));
    std::uniform_int_distribution<int> n(3, 60);
    std::uniform_real_distribution<double> off(-40, 40);
    const CClipPolygon s = StarWithHole(rng, 0, 0, 50, n(rng));
    const CClipPolygon c = StarWithHole(rng, off(rng), off(rng), 50, n(rng));
    for (ClipOperation op : kOps)
        CheckAgainstReference(op, s, c, rng, -100, -100, 200, 0.05);
}

TEST_P(ClipRandom, SelfCrossingContoursMatchTheReference) {
    std::mt19937 rng(static_cast<unsigned>(GetParam()) + 1000u);
    std::uniform_int_distribution<int> n(3, 25), k(1, 3);
    const CClipPolygon s = Scribble(rng, 0, 0, 100, n(rng), k(rng));
    const CClipPolygon c = Scribble(rng, 20, 10, 100, n(rng), k(rng));
    for (ClipOperation op : kOps)
        CheckAgainstReference(op, s, c, rng, 0, 0, 120, 0.05);
}

// Integer grid vertices make shared edges, horizontal runs, touching
// vertices and collinear edges common; both computations are exact there
// except for crossings.
TEST_P(ClipRandom, GridPolygonsMatchTheReference) {
    std::mt19937 rng(static_cast<unsigned>(GetParam()) + 2000u);
    std::uniform_int_distribution<int> n(3, 12), k(1, 3);
    const CClipPolygon s = GridScribble(rng, 6, n(rng), k(rng));
    const CClipPolygon c = GridScribble(rng, 6, n(rng), k(rng));
    for (ClipOperation op : kOps)
        CheckAgainstReference(op, s, c, rng, 0, 0, 6, 1e-3);
}

// Boxes on an integer grid: every unit cell lies wholly inside or outside
// the result, so counting cell centres gives the exact area and shape. (The
// reference library gets some of these wrong by a whole cell.)
TEST_P(ClipRandom, TouchingBoxesMatchEveryCell) {
    std::mt19937 rng(static_cast<unsigned>(GetParam()) + 3000u);
    std::uniform_int_distribution<int> k(1, 12);
    const CClipPolygon s = Boxes(rng, 10, k(rng));
    const CClipPolygon c = Boxes(rng, 10, k(rng));
    for (ClipOperation op : kOps) {
        CClipPolygon r;
        r.Clip(op, s, c);
        int cells = 0;
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) {
                const bool want = Apply(op, InsideEvenOdd(s, x + 0.5, y + 0.5),
                                        InsideEvenOdd(c, x + 0.5, y + 0.5));
                EXPECT_EQ(InsideEvenOdd(r, x + 0.5, y + 0.5), want) << op << " " << x << "," << y;
                cells += want;
            }
        }
        EXPECT_EQ(FlaggedArea(r), cells) << "op " << op;
        for (const CClipContour& contour : r.Contours()) {
            for (const PointF& v : contour.Vertices())
                EXPECT_TRUE(v.X == std::floor(v.X) && v.Y == std::floor(v.Y));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, ClipRandom, ::testing::Range(0, 150));

} // namespace

namespace {

// Vertices drawn from a few values that lie one float step apart, far apart
// or at the ends of the float range: coinciding, almost coinciding and
// overflowing edges. Every result must be valid: no contour under three
// vertices and no coordinate that is not finite.
TEST(ClipDegenerate, NearlyEqualAndExtremeFloatsGiveValidResults) {
    const float values[] = {0.f,    1.f, 1.0000001f, 0.99999994f, 2.f,   2.0000002f,
                            0.5f,   7.f, 1e-30f,     -1e-30f,     1e20f, -1e20f,
                            1e-45f, 3.f, 3.4e38f,    -3.4e38f};
    for (int seed = 0; seed < 1000; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed));
        std::uniform_int_distribution<int> value(0, seed % 3 == 0 ? 15 : 7), size(1, 16),
            contours(0, 3);
        CClipPolygon p[2];
        for (CClipPolygon& q : p) {
            const int k = contours(rng);
            for (int j = 0; j < k; ++j) {
                Contour v(static_cast<size_t>(size(rng)));
                for (PointF& pt : v)
                    pt = {values[value(rng)], values[value(rng)]};
                q.AddContour(v.data(), static_cast<int>(v.size()), 0);
            }
        }
        for (ClipOperation op : kOps) {
            CClipPolygon r;
            r.Clip(op, p[0], p[1]);
            for (const CClipContour& c : r.Contours()) {
                ASSERT_GE(c.GetVertexCount(), 3) << seed;
                for (const PointF& v : c.Vertices())
                    ASSERT_TRUE(std::isfinite(v.X) && std::isfinite(v.Y)) << seed;
            }
        }
    }
}

} // namespace
