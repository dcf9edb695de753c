// Footprint placement: pad positions on the board and the placement matrix
// agree for every side and rotation.
#include "board/board_types.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/padstack.h"
#include "platform/matrix.h"

#include <gtest/gtest.h>

namespace {

struct PlacementCase {
    int place;
    float rotation;
    PointF position;
    PointF pad;
    PointF expected;
};

class PlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTest, PadOnBoardAndMatrixAgree) {
    const PlacementCase& c = GetParam();
    CFootprint footprint(c.place);
    footprint.m_boardPosition = c.position;
    footprint.m_rotation = c.rotation;
    auto* padstack = static_cast<CPadstack*>(footprint.AddChild(new CPadstack(L"P")));
    auto* pad = static_cast<CPad*>(padstack->AddChild(new CPad()));
    pad->m_boardPosition = c.pad;

    const PointF p = pad->GetBoardPosition();
    EXPECT_NEAR(p.X, c.expected.X, 1e-5);
    EXPECT_NEAR(p.Y, c.expected.Y, 1e-5);

    Matrix m;
    footprint.TransformMatrix(&m);
    const PointF q = m.Map(c.pad);
    EXPECT_NEAR(q.X, c.expected.X, 1e-5);
    EXPECT_NEAR(q.Y, c.expected.Y, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(Sides, PlacementTest,
                         ::testing::Values(
                             // Bottom side, rotation 90: (1, 0) turns to (0, 1), x negated stays 0.
                             PlacementCase{kPlaceBottom, 90, {10, 5}, {1, 0}, {10, 6}},
                             // (0, 1) turns to (-1, 0), then x negated: (1, 0).
                             PlacementCase{kPlaceBottom, 90, {10, 5}, {0, 1}, {11, 5}},
                             PlacementCase{kPlaceTop, 0, {3, 4}, {1, 2}, {4, 6}},
                             PlacementCase{kPlaceTop, 90, {0, 0}, {1, 0}, {0, 1}},
                             PlacementCase{kPlaceTop, 180, {1, 1}, {2, 1}, {-1, 0}},
                             PlacementCase{kPlaceBottom, 0, {0, 0}, {2, 1}, {-2, 1}},
                             PlacementCase{kPlaceBottom, 270, {5, 0}, {1, 0}, {5, -1}}));

TEST(PlacementTest, ViaPadKeepsItsPosition) {
    CPadstack via(L"V");
    auto* pad = static_cast<CPad*>(via.AddChild(new CPad()));
    pad->m_boardPosition = PointF{7, -3};
    const PointF p = pad->GetBoardPosition();
    EXPECT_EQ(p.X, 7);
    EXPECT_EQ(p.Y, -3);
}

} // namespace
