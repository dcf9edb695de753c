// The polygon clipper against the reference library on the same inputs:
// 1,000 random pairs of star-shaped polygons with holes, 10 to 1,000 outer
// vertices, each pair clipped with all four operations by both. The
// reference works on integers, the floats scaled by 1e4 (conversion is not
// timed). Prints both times and, last, the ratio line.
#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "board/clip_polygon.h"

namespace {

constexpr double kScale = 1e4;

std::vector<PointF> Star(std::mt19937& rng, double cx, double cy, double r0, double r1, int n) {
    std::uniform_real_distribution<double> angle(0, 2 * M_PI), radius(r0, r1);
    std::vector<double> angles(static_cast<size_t>(n));
    for (double& a : angles)
        a = angle(rng);
    std::sort(angles.begin(), angles.end());
    std::vector<PointF> c;
    for (double a : angles) {
        const double r = radius(rng);
        c.push_back(
            {static_cast<float>(cx + r * std::cos(a)), static_cast<float>(cy + r * std::sin(a))});
    }
    return c;
}

CClipPolygon StarWithHole(std::mt19937& rng, double cx, double cy, double size, int n) {
    CClipPolygon p;
    const std::vector<PointF> outer = Star(rng, cx, cy, 0.6 * size, size, n);
    const std::vector<PointF> inner = Star(rng, cx, cy, 0.1 * size, 0.5 * size, std::max(3, n / 3));
    p.AddContour(outer.data(), static_cast<int>(outer.size()), 0);
    p.AddContour(inner.data(), static_cast<int>(inner.size()), 1);
    return p;
}

ClipperLib::Paths ToPaths(const CClipPolygon& p) {
    ClipperLib::Paths paths;
    for (const CClipContour& c : p.Contours()) {
        ClipperLib::Path path;
        for (const PointF& v : c.Vertices())
            path.emplace_back(static_cast<ClipperLib::cInt>(std::llround(v.X * kScale)),
                              static_cast<ClipperLib::cInt>(std::llround(v.Y * kScale)));
        paths.push_back(std::move(path));
    }
    return paths;
}

const ClipOperation kOps[] = {CLIP_DIFFERENCE, CLIP_INTERSECTION, CLIP_XOR, CLIP_UNION};
const ClipperLib::ClipType kClipperOps[] = {ClipperLib::ctDifference, ClipperLib::ctIntersection,
                                            ClipperLib::ctXor, ClipperLib::ctUnion};

} // namespace

int main() {
    std::mt19937 rng(20240611u);
    std::uniform_int_distribution<int> count(10, 1000);
    std::uniform_real_distribution<double> offset(-60, 60);
    std::vector<CClipPolygon> subjects, clips;
    std::vector<ClipperLib::Paths> subjectPaths, clipPaths;
    long long vertices = 0;
    for (int i = 0; i < 1000; ++i) {
        const int n = count(rng), m = count(rng);
        subjects.push_back(StarWithHole(rng, 0, 0, 50, n));
        clips.push_back(StarWithHole(rng, offset(rng), offset(rng), 50, m));
        subjectPaths.push_back(ToPaths(subjects.back()));
        clipPaths.push_back(ToPaths(clips.back()));
        vertices += n + n / 3 + m + m / 3;
    }

    using Clock = std::chrono::steady_clock;
    double bestOurs = 1e30, bestRef = 1e30;
    long long oursVertices = 0, refVertices = 0;
    for (int round = 0; round < 2; ++round) {
        oursVertices = refVertices = 0;
        auto t0 = Clock::now();
        for (size_t i = 0; i < subjects.size(); ++i) {
            for (ClipOperation op : kOps) {
                CClipPolygon r;
                r.Clip(op, subjects[i], clips[i]);
                for (const CClipContour& c : r.Contours())
                    oursVertices += c.GetVertexCount();
            }
        }
        auto t1 = Clock::now();
        for (size_t i = 0; i < subjects.size(); ++i) {
            for (ClipperLib::ClipType op : kClipperOps) {
                ClipperLib::Clipper clipper;
                clipper.AddPaths(subjectPaths[i], ClipperLib::ptSubject, true);
                clipper.AddPaths(clipPaths[i], ClipperLib::ptClip, true);
                ClipperLib::Paths out;
                clipper.Execute(op, out, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
                for (const ClipperLib::Path& p : out)
                    refVertices += static_cast<long long>(p.size());
            }
        }
        auto t2 = Clock::now();
        bestOurs = std::min(bestOurs, std::chrono::duration<double>(t1 - t0).count());
        bestRef = std::min(bestRef, std::chrono::duration<double>(t2 - t1).count());
    }
    std::printf("pairs 1000, input vertices %lld, 4 operations each\n", vertices);
    std::printf("clipper (ours):   %.3f s, %lld result vertices\n", bestOurs, oursVertices);
    std::printf("reference library: %.3f s, %lld result vertices\n", bestRef, refVertices);
    std::printf("RATIO clip_vs_clipper %.3f 2\n", bestOurs / bestRef);
    return 0;
}
