#include "board/clip_polygon.h"
#include "board/polygon_union.h"
#include "platform/graphics_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "clip_test_util.h"
#include "platform/file.h"

using cliptest::FlaggedArea;
using cliptest::SignedArea;

namespace {

using Points = std::vector<PointF>;

CClipPolygon Rect(float x0, float y0, float x1, float y1) {
    const PointF v[4] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    CClipPolygon p;
    p.AddContour(v, 4, 0);
    return p;
}

CClipPolygon Poly(std::initializer_list<Points> contours) {
    CClipPolygon p;
    for (const Points& c : contours)
        p.AddContour(c.data(), static_cast<int>(c.size()), 0);
    return p;
}

CClipPolygon Clipped(ClipOperation op, const CClipPolygon& s, const CClipPolygon& c) {
    CClipPolygon r;
    r.Clip(op, s, c);
    return r;
}

bool Less(const PointF& a, const PointF& b) {
    return a.X < b.X || (a.X == b.X && a.Y < b.Y);
}

// All vertices of all contours, sorted.
Points AllVertices(const CClipPolygon& p) {
    Points v;
    for (const CClipContour& c : p.Contours())
        v.insert(v.end(), c.Vertices().begin(), c.Vertices().end());
    std::sort(v.begin(), v.end(), Less);
    return v;
}

Points Sorted(Points v) {
    std::sort(v.begin(), v.end(), Less);
    return v;
}

std::string Describe(const CClipPolygon& p) {
    std::string s;
    for (int i = 0; i < p.GetContourCount(); ++i) {
        s += p.GetHoleFlag(i) ? "hole:" : "outer:";
        for (const PointF& v : p.GetContour(i).Vertices())
            s += " (" + std::to_string(v.X) + "," + std::to_string(v.Y) + ")";
        s += "\n";
    }
    return s;
}

struct TableCase {
    const char* name;
    ClipOperation op;
    CClipPolygon subject, clip;
    double area;
    int contours; // -1: not checked (touching pieces may come as one or two)
    int holes;
    Points vertices; // all result vertices, any order; empty: not checked
};

class ClipTable : public ::testing::TestWithParam<TableCase> {};

TEST_P(ClipTable, GivesTheHandComputedResult) {
    const TableCase& t = GetParam();
    const CClipPolygon r = Clipped(t.op, t.subject, t.clip);
    SCOPED_TRACE(Describe(r));
    EXPECT_NEAR(FlaggedArea(r), t.area, 1e-9);
    if (t.contours >= 0) {
        EXPECT_EQ(r.GetContourCount(), t.contours);
        int holes = 0;
        for (int h : r.HoleFlags())
            holes += h;
        EXPECT_EQ(holes, t.holes);
    }
    if (!t.vertices.empty()) {
        EXPECT_EQ(AllVertices(r).size(), t.vertices.size());
    }
    if (!t.vertices.empty()) {
        const Points got = AllVertices(r), want = Sorted(t.vertices);
        EXPECT_TRUE(std::equal(got.begin(), got.end(), want.begin(), want.end()));
    }
    // Holes wind the other way round from outer contours.
    for (int i = 0; i < r.GetContourCount(); ++i) {
        const double a =
            SignedArea(r.GetContour(i).GetVertices(), r.GetContour(i).GetVertexCount());
        EXPECT_EQ(a > 0, r.GetHoleFlag(i) == 1) << "contour " << i;
    }
}

const CClipPolygon kA = Rect(0, 0, 10, 10);
const CClipPolygon kB = Rect(5, 5, 15, 15);
const CClipPolygon kHoled =
    Poly({{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {{3, 3}, {7, 3}, {7, 7}, {3, 7}}});

const Points kAMinusB = {{0, 0}, {10, 0}, {10, 5}, {5, 5}, {5, 10}, {0, 10}};
const Points kBMinusA = {{10, 5}, {15, 5}, {15, 15}, {5, 15}, {5, 10}, {10, 10}};

Points Concat(const Points& a, const Points& b) {
    Points v = a;
    v.insert(v.end(), b.begin(), b.end());
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    OverlappingSquares, ClipTable,
    ::testing::Values(TableCase{"Intersection",
                                CLIP_INTERSECTION,
                                kA,
                                kB,
                                25,
                                1,
                                0,
                                {{5, 5}, {10, 5}, {10, 10}, {5, 10}}},
                      TableCase{
                          "Union",
                          CLIP_UNION,
                          kA,
                          kB,
                          175,
                          1,
                          0,
                          {{0, 0}, {10, 0}, {10, 5}, {15, 5}, {15, 15}, {5, 15}, {5, 10}, {0, 10}}},
                      TableCase{"Difference", CLIP_DIFFERENCE, kA, kB, 75, 1, 0, kAMinusB},
                      TableCase{"ReverseDifference", CLIP_DIFFERENCE, kB, kA, 75, 1, 0, kBMinusA},
                      TableCase{"Xor", CLIP_XOR, kA, kB, 150, -1, 0, Concat(kAMinusB, kBMinusA)}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    HolesAndNesting, ClipTable,
    ::testing::Values(
        // The even-odd rule makes the inner square a hole without any flag.
        TableCase{"HoledSquareAlone",
                  CLIP_UNION,
                  kHoled,
                  CClipPolygon(),
                  84,
                  2,
                  1,
                  {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {3, 3}, {7, 3}, {7, 7}, {3, 7}}},
        TableCase{"HoledSquareCutInHalf",
                  CLIP_INTERSECTION,
                  kHoled,
                  Rect(5, -1, 15, 11),
                  42,
                  1,
                  0,
                  {{5, 0}, {10, 0}, {10, 10}, {5, 10}, {5, 7}, {7, 7}, {7, 3}, {5, 3}}},
        TableCase{"HoledSquareMinusRightHalf",
                  CLIP_DIFFERENCE,
                  kHoled,
                  Rect(5, -1, 15, 11),
                  42,
                  1,
                  0,
                  {{0, 0}, {5, 0}, {5, 3}, {3, 3}, {3, 7}, {5, 7}, {5, 10}, {0, 10}}},
        TableCase{"HoleFilledByUnion",
                  CLIP_UNION,
                  kHoled,
                  Rect(2, 2, 8, 8),
                  100,
                  1,
                  0,
                  {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
        TableCase{"SquareMinusInnerSquare",
                  CLIP_DIFFERENCE,
                  kA,
                  Rect(2, 2, 4, 4),
                  96,
                  2,
                  1,
                  {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {2, 2}, {4, 2}, {4, 4}, {2, 4}}},
        TableCase{"InnerIntersection",
                  CLIP_INTERSECTION,
                  kA,
                  Rect(2, 2, 4, 4),
                  4,
                  1,
                  0,
                  {{2, 2}, {4, 2}, {4, 4}, {2, 4}}},
        TableCase{"InnerUnion",
                  CLIP_UNION,
                  kA,
                  Rect(2, 2, 4, 4),
                  100,
                  1,
                  0,
                  {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
        TableCase{"InnerXor", CLIP_XOR, kA, Rect(2, 2, 4, 4), 96, 2, 1, {}},
        TableCase{"InnerMinusOuter", CLIP_DIFFERENCE, Rect(2, 2, 4, 4), kA, 0, 0, 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    DisjointAndTouching, ClipTable,
    ::testing::Values(
        TableCase{"DisjointIntersection", CLIP_INTERSECTION, kA, Rect(20, 0, 30, 10), 0, 0, 0, {}},
        TableCase{"DisjointUnion", CLIP_UNION, kA, Rect(20, 0, 30, 10), 200, 2, 0, {}},
        TableCase{"DisjointDifference",
                  CLIP_DIFFERENCE,
                  kA,
                  Rect(20, 0, 30, 10),
                  100,
                  1,
                  0,
                  {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
        TableCase{"DisjointXor", CLIP_XOR, kA, Rect(20, 0, 30, 10), 200, 2, 0, {}},
        // Boxes sharing a whole edge.
        TableCase{"SharedEdgeUnion",
                  CLIP_UNION,
                  kA,
                  Rect(10, 0, 20, 10),
                  200,
                  1,
                  0,
                  {{0, 0}, {20, 0}, {20, 10}, {0, 10}}},
        TableCase{
            "SharedEdgeIntersection", CLIP_INTERSECTION, kA, Rect(10, 0, 20, 10), 0, 0, 0, {}},
        TableCase{"SharedEdgeDifference",
                  CLIP_DIFFERENCE,
                  kA,
                  Rect(10, 0, 20, 10),
                  100,
                  1,
                  0,
                  {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
        TableCase{"StackedUnion",
                  CLIP_UNION,
                  kA,
                  Rect(0, 10, 10, 20),
                  200,
                  1,
                  0,
                  {{0, 0}, {10, 0}, {10, 20}, {0, 20}}},
        TableCase{"PartlySharedEdgeUnion",
                  CLIP_UNION,
                  kA,
                  Rect(10, 5, 20, 15),
                  200,
                  1,
                  0,
                  {{0, 0}, {10, 0}, {10, 5}, {20, 5}, {20, 15}, {10, 15}, {10, 10}, {0, 10}}},
        TableCase{"CornerTouchUnion", CLIP_UNION, kA, Rect(10, 10, 20, 20), 200, -1, 0, {}},
        TableCase{
            "CornerTouchIntersection", CLIP_INTERSECTION, kA, Rect(10, 10, 20, 20), 0, 0, 0, {}},
        TableCase{"SameSquareIntersection",
                  CLIP_INTERSECTION,
                  kA,
                  kA,
                  100,
                  1,
                  0,
                  {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
        TableCase{
            "SameSquareUnion", CLIP_UNION, kA, kA, 100, 1, 0, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
        TableCase{"SameSquareDifference", CLIP_DIFFERENCE, kA, kA, 0, 0, 0, {}},
        TableCase{"SameSquareXor", CLIP_XOR, kA, kA, 0, 0, 0, {}},
        // A bow tie: even-odd inside-ness of a self-crossing contour.
        TableCase{"BowTieUnion",
                  CLIP_UNION,
                  Poly({{{0, 0}, {10, 10}, {10, 0}, {0, 10}}}),
                  CClipPolygon(),
                  50,
                  -1,
                  0,
                  {{0, 0}, {5, 5}, {0, 10}, {10, 0}, {10, 10}, {5, 5}}},
        // Redundant vertices: repeated, collinear, a horizontal run.
        TableCase{"RedundantVerticesUnion",
                  CLIP_UNION,
                  Poly({{{0, 0}, {0, 0}, {3, 0}, {6, 0}, {10, 0}, {10, 5}, {10, 10}, {0, 10}}}),
                  CClipPolygon(),
                  100,
                  1,
                  0,
                  {{0, 0}, {10, 0}, {10, 10}, {0, 10}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Unions of many parts, each read even-odd on its own: the result covers a
// point exactly when some part does, and once only (its contours wind once
// round every point they cover), whether the parts' bounds meet or not.
struct UnionCase {
    const char* name;
    std::vector<CClipPolygon> parts;
    double area;
    int contours;
    int holes;
};

class UniteTable : public ::testing::TestWithParam<UnionCase> {};

// How often the contours wind round the point (outer contours run
// clockwise, holes the other way).
int Winding(const CClipPolygon& p, double x, double y) {
    int w = 0;
    for (const CClipContour& c : p.Contours()) {
        const int n = c.GetVertexCount();
        for (int i = 0, j = n - 1; i < n; j = i++) {
            const double xi = c[i].X, yi = c[i].Y, xj = c[j].X, yj = c[j].Y;
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                w += yj < yi ? 1 : -1;
        }
    }
    return w;
}

TEST_P(UniteTable, CoversEachPointOfAnyPartOnce) {
    const UnionCase& t = GetParam();
    const CClipPolygon r = UniteClipPolygons(t.parts);
    SCOPED_TRACE(Describe(r));
    EXPECT_NEAR(FlaggedArea(r), t.area, 1e-4);
    EXPECT_EQ(r.GetContourCount(), t.contours);
    int holes = 0;
    for (int h : r.HoleFlags())
        holes += h;
    EXPECT_EQ(holes, t.holes);
    float left = 1e30f, bottom = 1e30f, right = -1e30f, top = -1e30f;
    for (const CClipPolygon& part : t.parts)
        for (const CClipContour& c : part.Contours())
            for (const PointF& v : c.Vertices()) {
                left = std::min(left, v.X), right = std::max(right, v.X);
                bottom = std::min(bottom, v.Y), top = std::max(top, v.Y);
            }
    // Sample points off every grid line the cases use.
    int wrong = 0;
    for (double y = bottom - 0.5 + 0.0371; y < top + 0.5; y += 0.0913)
        for (double x = left - 0.5 + 0.0173; x < right + 0.5; x += 0.0887) {
            bool want = false;
            for (const CClipPolygon& part : t.parts)
                want = want || cliptest::InsideEvenOdd(part, x, y);
            if (cliptest::InsideEvenOdd(r, x, y) != want || std::abs(Winding(r, x, y)) != (want ? 1 : 0))
                ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}

// count capsules 0.4 wide and 2 long at 45 degrees in rows: none touches
// another, though the bounds of each meet its neighbours'.
std::vector<CClipPolygon> SlantedCapsules(int count, int side) {
    std::vector<CClipPolygon> parts;
    for (int i = 0; i < count; ++i) {
        const float x = static_cast<float>(i % side) * 1.5f;
        const float y = static_cast<float>(i / side) * 2.25f;
        Points v;
        for (int end = 0; end < 2; ++end)
            for (int k = 0; k <= 8; ++k) {
                const double a = 3.14159265358979 * (0.75 + end + k / 8.0);
                v.push_back(
                    {x + 2.0f * static_cast<float>(end) + 0.2f * static_cast<float>(std::cos(a)),
                     y + 2.0f * static_cast<float>(end) + 0.2f * static_cast<float>(std::sin(a))});
            }
        parts.push_back(Poly({v}));
    }
    return parts;
}

double CapsulesArea(const std::vector<CClipPolygon>& parts) {
    double a = 0;
    for (const CClipPolygon& p : parts)
        a += FlaggedArea(p);
    return a;
}

std::vector<CClipPolygon> Parts(std::initializer_list<CClipPolygon> parts) {
    return std::vector<CClipPolygon>(parts);
}

std::vector<CClipPolygon> RowOfSquares(int count, float y) {
    std::vector<CClipPolygon> parts;
    for (int i = 0; i < count; ++i)
        parts.push_back(Rect(static_cast<float>(i), y, static_cast<float>(i + 1), y + 1));
    return parts;
}

std::vector<CClipPolygon> With(std::vector<CClipPolygon> parts,
                               std::initializer_list<CClipPolygon> more) {
    parts.insert(parts.end(), more.begin(), more.end());
    return parts;
}

INSTANTIATE_TEST_SUITE_P(
    ManyParts, UniteTable,
    ::testing::Values(
        UnionCase{"SeparateCapsules", SlantedCapsules(48, 8), CapsulesArea(SlantedCapsules(48, 8)),
                  48, 0},
        UnionCase{"TouchingRowOfSquares", RowOfSquares(20, 0), 20, 1, 0},
        // Squares nested in a larger one, and one across its edge.
        UnionCase{"NestedSquares",
                  Parts({Rect(1, 1, 2, 2), Rect(0, 0, 10, 10), Rect(3, 3, 4, 4), Rect(5, 5, 6, 6),
                         Rect(9, 4, 12, 6)}),
                  104, 1, 0},
        // A ring crossed by a row of squares, its hole holding an island no
        // other part comes near.
        UnionCase{"RingCrossedByARow",
                  With(RowOfSquares(12, 4.5f), {Poly({{{0, 0}, {10, 0}, {10, 10}, {0, 10}},
                                                      {{3, 3}, {7, 3}, {7, 7}, {3, 7}}}),
                                                Rect(4.8f, 6, 5.2f, 6.5f)}),
                  100 - 16 + 2 + 4 + 0.2, 4, 2},
        // A part reaching into the hole of another far from the rest.
        UnionCase{"RingHoleFilledInPart",
                  With(RowOfSquares(16, -3), {Poly({{{0, 0}, {10, 0}, {10, 10}, {0, 10}},
                                                    {{3, 3}, {7, 3}, {7, 7}, {3, 7}}}),
                                              Rect(2, 4, 8, 6)}),
                  16 + 100 - 16 + 8, 4, 2},
        // A part of two nested squares, both wound alike (the inner one a
        // hole by even-odd), at the end of a row of parts.
        UnionCase{"EvenOddPartInARow",
                  With(RowOfSquares(10, 0), {Poly({{{10, 0}, {13, 0}, {13, 3}, {10, 3}},
                                                   {{11, 1}, {12, 1}, {12, 2}, {11, 2}}})}),
                  10 + 8, 2, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClipPolygon, AppendMovesContoursWithTheirHoleFlagsInOrder) {
    const PointF a[] = {{0, 0}, {1, 0}, {1, 1}};
    const PointF b[] = {{5, 5}, {6, 5}, {6, 6}, {5, 6}};
    CClipPolygon first, second;
    first.AddContour(a, 3, 0);
    second.AddContour(b, 4, 1);
    second.AddContour(a, 3, 0);
    first.Append(std::move(second));
    ASSERT_EQ(first.GetContourCount(), 3);
    EXPECT_EQ(first.HoleFlags(), (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(first.GetContour(1).GetVertexCount(), 4);
    EXPECT_EQ(first.GetContour(1)[2].X, 6);
    EXPECT_EQ(first.GetContour(2).GetVertexCount(), 3);
    EXPECT_TRUE(second.IsEmpty());
    EXPECT_TRUE(second.HoleFlags().empty());
    first.Append(std::move(first)); // itself: nothing changes
    EXPECT_EQ(first.GetContourCount(), 3);
}

TEST(ClipPolygon, EmptyInputsGiveEmptyOrCopiedResults) {
    const CClipPolygon empty;
    for (ClipOperation op : {CLIP_DIFFERENCE, CLIP_INTERSECTION, CLIP_XOR, CLIP_UNION})
        EXPECT_TRUE(Clipped(op, empty, empty).IsEmpty()) << op;
    EXPECT_TRUE(Clipped(CLIP_INTERSECTION, kA, empty).IsEmpty());
    EXPECT_TRUE(Clipped(CLIP_INTERSECTION, empty, kA).IsEmpty());
    EXPECT_TRUE(Clipped(CLIP_DIFFERENCE, empty, kA).IsEmpty());
    for (ClipOperation op : {CLIP_DIFFERENCE, CLIP_XOR, CLIP_UNION}) {
        const CClipPolygon r = Clipped(op, kA, empty);
        EXPECT_EQ(r.GetContourCount(), 1) << op;
        EXPECT_DOUBLE_EQ(FlaggedArea(r), 100) << op;
    }
    for (ClipOperation op : {CLIP_XOR, CLIP_UNION})
        EXPECT_DOUBLE_EQ(FlaggedArea(Clipped(op, empty, kA)), 100) << op;
}

TEST(ClipPolygon, ResultReplacesWhatThePolygonHeld) {
    CClipPolygon r = Rect(100, 100, 110, 110);
    r.Clip(CLIP_INTERSECTION, kA, kB);
    EXPECT_EQ(r.GetContourCount(), 1);
    EXPECT_DOUBLE_EQ(FlaggedArea(r), 25);
    // The result may be one of the inputs.
    CClipPolygon s = kA;
    s.Clip(CLIP_UNION, s, kB);
    EXPECT_DOUBLE_EQ(FlaggedArea(s), 175);
}

TEST(ClipPolygon, FarContoursAreLeftOutAndInputsKeepTheirCounts) {
    CClipPolygon subject = kA;
    const Points far = {{1000, 1000}, {1010, 1000}, {1005, 1010}};
    subject.AddContour(far.data(), 3, 0);
    CClipPolygon clip = kB;
    clip.AddContour(far.data(), 2, 0); // a two-point contour
    const CClipPolygon r = Clipped(CLIP_INTERSECTION, subject, clip);
    EXPECT_DOUBLE_EQ(FlaggedArea(r), 25);
    ASSERT_EQ(subject.GetContourCount(), 2);
    EXPECT_EQ(subject.GetContour(0).GetVertexCount(), 4);
    EXPECT_EQ(subject.GetContour(1).GetVertexCount(), 3);
    ASSERT_EQ(clip.GetContourCount(), 2);
    EXPECT_EQ(clip.GetContour(1).GetVertexCount(), 2);
    // In a difference a far clip contour changes nothing either.
    EXPECT_DOUBLE_EQ(FlaggedArea(Clipped(CLIP_DIFFERENCE, subject, clip)), 75 + 50);
}

TEST(ClipPolygon, DegenerateContoursEncloseNothing) {
    CClipPolygon degenerate;
    const Points line = {{0, 0}, {10, 0}, {5, 0}};
    const Points point = {{3, 3}};
    const Points spike = {{0, 0}, {10, 10}, {0, 0}, {10, 10}};
    const Points nan = {{0, 0}, {NAN, 5}, {INFINITY, 1}, {10, 0}};
    degenerate.AddContour(line.data(), 3, 0);
    degenerate.AddContour(point.data(), 1, 0);
    degenerate.AddContour(spike.data(), 4, 0);
    degenerate.AddContour(nan.data(), 4, 0);
    degenerate.AddContour(nullptr, 5, 0);
    degenerate.AddContour(point.data(), -4, 0);
    for (ClipOperation op : {CLIP_DIFFERENCE, CLIP_INTERSECTION, CLIP_XOR, CLIP_UNION}) {
        EXPECT_TRUE(Clipped(op, degenerate, degenerate).IsEmpty()) << op;
        const CClipPolygon r = Clipped(op, kA, degenerate);
        EXPECT_DOUBLE_EQ(FlaggedArea(r), op == CLIP_INTERSECTION ? 0 : 100) << op;
        for (const CClipContour& c : r.Contours())
            for (const PointF& v : c.Vertices())
                EXPECT_TRUE(std::isfinite(v.X) && std::isfinite(v.Y));
    }
}

TEST(ClipPolygon, ExtremeCoordinatesStayFinite) {
    const float big = 3.4e38f;
    const CClipPolygon huge = Rect(-big, -big, big, big);
    const Points sliver = {{-big, -big}, {big, big}, {big, big * 0.999f}};
    CClipPolygon thin;
    thin.AddContour(sliver.data(), 3, 0);
    for (ClipOperation op : {CLIP_DIFFERENCE, CLIP_INTERSECTION, CLIP_XOR, CLIP_UNION}) {
        for (const CClipPolygon& r :
             {Clipped(op, huge, thin), Clipped(op, thin, kA), Clipped(op, huge, kA)})
            for (const CClipContour& c : r.Contours())
                for (const PointF& v : c.Vertices())
                    EXPECT_TRUE(std::isfinite(v.X) && std::isfinite(v.Y)) << op;
    }
    EXPECT_DOUBLE_EQ(FlaggedArea(Clipped(CLIP_INTERSECTION, huge, kA)), 100);
}

TEST(ClipPolygon, AddContourCopiesAndNormalisesTheHoleFlag) {
    Points v = {{1, 2}, {3, 4}, {5, 0}};
    CClipPolygon p;
    p.AddContour(v.data(), 3, 7);
    v[0] = {9, 9};
    ASSERT_EQ(p.GetContourCount(), 1);
    EXPECT_EQ(p.GetHoleFlag(0), 1);
    EXPECT_EQ(p.GetContour(0)[0].X, 1);
    EXPECT_EQ(p.GetContour(0).GetVertexCount(), 3);
}

TEST(ClipPolygon, PathFiguresStartAtEveryStartPoint) {
    // Types as a path stores them: 0 start, 1 line, 3 curve, 0x80 close flag.
    const Points pts = {{0, 0}, {10, 0}, {10, 10}, {20, 0}, {30, 0}, {40, 0}, {40, 10}, {50, 50}};
    const uint8_t types[] = {0, 1, 0x81, 0, 1, 0, 3, 0x83};
    CClipPolygon p;
    p.AddPathFigures(pts.data(), types, 8, 1);
    ASSERT_EQ(p.GetContourCount(), 3);
    EXPECT_EQ(p.GetContour(0).GetVertexCount(), 3);
    EXPECT_EQ(p.GetContour(1).GetVertexCount(), 2);
    EXPECT_EQ(p.GetContour(2).GetVertexCount(), 3);
    EXPECT_EQ(p.HoleFlags(), (std::vector<int>{1, 1, 1}));
    // The two-point figure is kept in the input and contributes nothing.
    const CClipPolygon r = Clipped(CLIP_UNION, p, CClipPolygon());
    EXPECT_DOUBLE_EQ(FlaggedArea(r), 50 + 50);
}

class ClipText : public ::testing::Test {};

TEST_F(ClipText, WritesTheTextForm) {
    CClipPolygon p;
    const Points a = {{1.5f, -2}, {0.1f, 3}};
    p.AddContour(a.data(), 2, 1);
    p.AddContour(nullptr, 0, 0);
    EXPECT_EQ(p.ToText(true), L"2\n2\n1\n 1.500000000000000 -2.000000000000000\n"
                              L" 0.100000001490116  3.000000000000000\n0\n0\n");
    EXPECT_EQ(p.ToText(false), L"2\n2\n 1.500000000000000 -2.000000000000000\n"
                               L" 0.100000001490116  3.000000000000000\n0\n");
}

TEST_F(ClipText, ReadsBackWhatItWrites) {
    CClipPolygon p = kHoled;
    p.AddContour(nullptr, 0, 1);
    const std::wstring path =
        PathJoin(PathFromNative(std::getenv("VORPEL_CONFIG_HOME")), L"clip.txt");
    ASSERT_TRUE(p.Write(path, true));
    CClipPolygon q;
    ASSERT_TRUE(q.Read(path, true));
    EXPECT_EQ(q.ToText(true), p.ToText(true));
    EXPECT_EQ(q.HoleFlags(), (std::vector<int>{0, 0, 1}));
    CClipPolygon r;
    ASSERT_TRUE(r.FromText(p.ToText(false), false));
    EXPECT_EQ(r.GetContourCount(), 3);
    EXPECT_EQ(r.HoleFlags(), (std::vector<int>{0, 0, 0}));
}

TEST_F(ClipText, RejectsMalformedText) {
    for (const wchar_t* text :
         {L"", L"x", L"-1\n", L"1\n3\n0 0\n1 1\n", L"1\n1\n0,5 1\n", L"1\n1\n1e39 0\n",
          L"1\n1\nnan 0\n", L"1\n1\n0 0\n7\n", L"99999999999\n", L"2\n0\n"}) {
        CClipPolygon p = kA;
        EXPECT_FALSE(p.FromText(text, false)) << text;
        EXPECT_TRUE(p.IsEmpty()) << text;
    }
    CClipPolygon p;
    EXPECT_TRUE(p.FromText(L"1\r\n1\r\n 1.25   -3\r\n", false));
    EXPECT_EQ(p.GetContour(0)[0].X, 1.25f);
    EXPECT_EQ(p.GetContour(0)[0].Y, -3.0f);
    EXPECT_FALSE(p.Read(L"/nonexistent/clip.txt", false));
}

} // namespace

TEST(ClipPolygon, FromPathFlattensCurvesIntoContours) {
    // A square with a round hole: two figures, the circle flattened finely.
    GraphicsPath path;
    path.AddRectangle(RectF{0, 0, 10, 10});
    path.AddEllipse(3, 3, 4, 4);
    CClipPolygon poly = CClipPolygon::FromPath(path, 0);
    ASSERT_EQ(poly.GetContourCount(), 2);
    EXPECT_EQ(poly.GetContour(0).GetVertexCount(), 4);
    EXPECT_GT(poly.GetContour(1).GetVertexCount(), 16);
    EXPECT_EQ(poly.GetHoleFlag(1), 0);

    CClipPolygon box;
    const PointF square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    box.AddContour(square, 4, 0);
    CClipPolygon ring;
    ring.Clip(CLIP_INTERSECTION, poly, box);
    const double pi = 3.14159265358979;
    // Flattening at 0.01 loses at most the perimeter times the flatness.
    EXPECT_NEAR(FlaggedArea(ring), 100 - pi * 4, 2 * pi * 2 * 0.01);
}
