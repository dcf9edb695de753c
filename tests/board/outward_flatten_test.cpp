// Flattening of clearance outlines: every shape with curves that is cut out
// of copper (grown pads, thermal reliefs, the figures of a track with
// rounded bends), placed by a matrix or not, flattens to polygons that hold
// the whole curve, lie no farther out than the flatness, and have the plain
// flattening's points and point types; straight edges stay where they are.
#include "board/conductor.h"
#include "board/outward_flatten.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "platform/graphics_path.h"
#include "platform/matrix.h"
#include "tests/board/geometry_test_util.h"
#include "tests/board/track_distance_util.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

struct ShapeCase {
    const char* name;
    std::function<void(GraphicsPath*)> build;
    bool curved;
};

CPadLayer* Pad(CPadstack& padstack, int shape, float w, float h) {
    auto* layer = static_cast<CPadLayer*>(padstack.AddChild(new CPadLayer(kPadLayerTop)));
    layer->m_shape = shape;
    layer->m_width = w;
    layer->m_height = h;
    auto* t = static_cast<CThermalRelief*>(layer->AddChild(new CThermalRelief()));
    t->m_isolation = 0.35f;
    t->m_spoke = 0.3f;
    return layer;
}

std::vector<ShapeCase> Shapes() {
    auto grown = [](int shape, float w, float h) {
        return [=](GraphicsPath* p) {
            CPadstack padstack(L"P");
            Pad(padstack, shape, w, h)->BuildClearancePath(p, 0.35f);
        };
    };
    auto thermal = [](int shape, float w, float h) {
        return [=](GraphicsPath* p) {
            CPadstack padstack(L"P");
            Pad(padstack, shape, w, h)->BuildThermalPath(p);
        };
    };
    return {
        {"via grown", grown(kPadShapeRound, 0.6f, 0.6f), true},
        {"upright oblong grown", grown(kPadShapeOblong, 1.0f, 2.4f), true},
        {"rectangle grown", grown(kPadShapeRect, 1.0f, 1.3f), false},
        {"thermal of a round pad", thermal(kPadShapeRound, 1.7f, 1.7f), true},
        {"thermal of a lying oblong", thermal(kPadShapeOblong, 1.6f, 1.0f), true},
        {"thermal of a rectangle", thermal(kPadShapeRect, 1.6f, 1.0f), false},
        {"track with rounded bends",
         [](GraphicsPath* p) {
             CConductor c;
             c.m_width = 0.3f;
             // A bend tighter than the track is wide gives a pie.
             c.m_vertices = {
                 {0, 0, 0, {}}, {5, 0, 2, {}}, {8, 3, 2, {}}, {10, 3, 0.2f, {}}, {10, 6, 0, {}}};
             c.AddSegmentFigures(p, 0.35f);
         },
         true},
    };
}

struct Placement {
    const char* name;
    Matrix matrix;
};

std::vector<Placement> Placements() {
    Matrix placed;
    placed.Translate(100, -40);
    placed.Scale(-1, 1);
    placed.Rotate(30);
    return {{"unplaced", Matrix()}, {"placed mirrored and turned", placed}};
}

double DistanceToFigure(const std::vector<PointF>& f, double x, double y) {
    double d = std::numeric_limits<double>::infinity();
    for (size_t i = 0, j = f.size() - 1; i < f.size(); j = i++)
        d = std::min(d, DistanceToSegment(f[j].X, f[j].Y, f[i].X, f[i].Y, x, y));
    return d;
}

bool InsideFigure(const std::vector<PointF>& f, double x, double y) {
    bool inside = false;
    for (size_t i = 0, j = f.size() - 1; i < f.size(); j = i++)
        if ((f[i].Y > y) != (f[j].Y > y) &&
            x < (f[j].X - f[i].X) * (y - f[i].Y) / (f[j].Y - f[i].Y) + f[i].X)
            inside = !inside;
    return inside;
}

} // namespace

TEST(OutwardFlatten, PolygonsHoldTheCurvesAndStayCloseToThem) {
    // Coordinates near 100 mm carry float steps of about 1e-5 mm.
    const double slack = 2e-5;
    for (const ShapeCase& shape : Shapes()) {
        for (const Placement& at : Placements()) {
            for (float flatness : {0.025f, 0.001f}) {
                const std::string where = std::string(shape.name) + ", " + at.name + ", flatness " +
                                          std::to_string(flatness);
                GraphicsPath source;
                shape.build(&source);
                ASSERT_GT(source.GetPointCount(), 0) << where;
                GraphicsPath outward(source), plain(source), fine(source);
                FlattenOutward(&outward, flatness, &at.matrix);
                plain.Flatten(&at.matrix, flatness);
                fine.Flatten(&at.matrix, 1e-5f);
                // The plain flattening's points, only moved.
                ASSERT_EQ(outward.Types(), plain.Types()) << where;
                if (!shape.curved) {
                    EXPECT_EQ(outward.Points(), plain.Points()) << where;
                }
                const auto outFigures = Figures(outward);
                const auto fineFigures = Figures(fine);
                ASSERT_EQ(outFigures.size(), fineFigures.size()) << where;
                for (size_t k = 0; k < outFigures.size(); ++k) {
                    const auto& out = outFigures[k];
                    const auto& curve = fineFigures[k];
                    double worstInside = 0, farthest = 0;
                    for (const PointF& p : curve)
                        if (!InsideFigure(out, p.X, p.Y))
                            worstInside = std::max(worstInside, DistanceToFigure(out, p.X, p.Y));
                    for (const PointF& p : out)
                        farthest = std::max(farthest, DistanceToFigure(curve, p.X, p.Y));
                    EXPECT_LE(worstInside, slack) << where << ", figure " << k;
                    // Where two moved chords meet, the point lies out by the
                    // shift over the cosine of half their turn (at most 30
                    // degrees here).
                    EXPECT_LE(farthest, flatness * 1.04 + slack) << where << ", figure " << k;
                }
            }
        }
    }
}

// A track's clearance outline, its figures flattened outward and merged:
// no point of it comes nearer the centre line than half the width and the
// margin, and along the straight runs it lies right there.
TEST(OutwardFlatten, MergedTrackOutlineHoldsTheGrownTrack) {
    CConductor c;
    c.m_width = 0.25f;
    c.m_vertices = {{0, 0, 0, {}}, {4, 0, 1.5f, {}}, {4, 4, 0, {}}};
    GraphicsPath merged;
    c.BuildClearancePath(&merged, 0.2f);
    const std::vector<TrackPiece> track = RoundedTrack({{0, 0, 0}, {4, 0, 1.5}, {4, 4, 0}});
    double nearest = std::numeric_limits<double>::infinity();
    for (const auto& figure : Figures(merged))
        for (size_t i = 0, j = figure.size() - 1; i < figure.size(); j = i++)
            for (int s = 0; s <= 16; ++s) {
                const double t = s / 16.0;
                const double x = figure[j].X + t * (figure[i].X - figure[j].X);
                const double y = figure[j].Y + t * (figure[i].Y - figure[j].Y);
                nearest = std::min(nearest, DistanceToTrack(track, x, y));
            }
    EXPECT_GE(nearest, 0.125 + 0.2 - 1e-5);
    EXPECT_LE(nearest, 0.125 + 0.2 + 1e-5);
}
