// Helpers shared by the polygon clipper tests: areas, even-odd containment,
// random polygons and the independent reference computation.
#pragma once

#include <polyclipping/clipper.hpp>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "board/clip_polygon.h"

namespace cliptest {

using Contour = std::vector<PointF>;

inline double SignedArea(const PointF* v, int n) {
    double a = 0;
    for (int i = 0; i < n; ++i) {
        const PointF& p = v[i];
        const PointF& q = v[(i + 1) % n];
        a += double(p.X) * q.Y - double(q.X) * p.Y;
    }
    return a / 2;
}

// Area of a result: outer contours count, holes are taken away.
inline double FlaggedArea(const CClipPolygon& p) {
    double a = 0;
    for (int i = 0; i < p.GetContourCount(); ++i) {
        const double c =
            std::fabs(SignedArea(p.GetContour(i).GetVertices(), p.GetContour(i).GetVertexCount()));
        a += p.GetHoleFlag(i) ? -c : c;
    }
    return a;
}

inline bool InsideEvenOdd(const CClipPolygon& p, double x, double y) {
    bool in = false;
    for (const CClipContour& c : p.Contours()) {
        const int n = c.GetVertexCount();
        for (int i = 0, j = n - 1; i < n; j = i++) {
            const double xi = c[i].X, yi = c[i].Y, xj = c[j].X, yj = c[j].Y;
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                in = !in;
        }
    }
    return in;
}

inline double DistanceToSegment(double px, double py, const PointF& a, const PointF& b) {
    const double dx = double(b.X) - a.X, dy = double(b.Y) - a.Y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - a.X) * dx + (py - a.Y) * dy) / len2 : 0;
    t = std::fmax(0, std::fmin(1, t));
    const double ex = a.X + t * dx - px, ey = a.Y + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

inline double DistanceToBoundary(const CClipPolygon& p, double x, double y) {
    double d = INFINITY;
    for (const CClipContour& c : p.Contours()) {
        const int n = c.GetVertexCount();
        for (int i = 0, j = n - 1; i < n; j = i++)
            d = std::fmin(d, DistanceToSegment(x, y, c[j], c[i]));
    }
    return d;
}

inline bool Apply(ClipOperation op, bool s, bool c) {
    switch (op) {
    case CLIP_DIFFERENCE:
        return s && !c;
    case CLIP_INTERSECTION:
        return s && c;
    case CLIP_XOR:
        return s != c;
    default:
        return s || c;
    }
}

constexpr double kScale = 1e4;

inline ClipperLib::Paths ToPaths(const CClipPolygon& p) {
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

inline ClipperLib::ClipType ToClipType(ClipOperation op) {
    switch (op) {
    case CLIP_DIFFERENCE:
        return ClipperLib::ctDifference;
    case CLIP_INTERSECTION:
        return ClipperLib::ctIntersection;
    case CLIP_XOR:
        return ClipperLib::ctXor;
    default:
        return ClipperLib::ctUnion;
    }
}

// The reference: the area of op(subject, clip) under even-odd filling. Each
// input is first resolved into simple contours on its own, and an
// exclusive-or is taken as union minus intersection: the library's direct
// even-odd exclusive-or and union go wrong where edges of one input coincide
// or cross repeatedly (found by comparing with its own union and
// intersection, and with point sampling).
inline double ReferenceArea(ClipOperation op, const CClipPolygon& s, const CClipPolygon& c) {
    if (op == CLIP_XOR)
        return ReferenceArea(CLIP_UNION, s, c) - ReferenceArea(CLIP_INTERSECTION, s, c);
    ClipperLib::Paths ss, cc;
    ClipperLib::SimplifyPolygons(ToPaths(s), ss, ClipperLib::pftEvenOdd);
    ClipperLib::SimplifyPolygons(ToPaths(c), cc, ClipperLib::pftEvenOdd);
    ClipperLib::Clipper clipper;
    clipper.AddPaths(ss, ClipperLib::ptSubject, true);
    clipper.AddPaths(cc, ClipperLib::ptClip, true);
    ClipperLib::Paths out;
    clipper.Execute(ToClipType(op), out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    double a = 0;
    for (const ClipperLib::Path& path : out)
        a += ClipperLib::Area(path);
    return a / (kScale * kScale);
}

// A star-shaped contour around (cx, cy) with radii in [r0, r1].
inline Contour Star(std::mt19937& rng, double cx, double cy, double r0, double r1, int n) {
    std::uniform_real_distribution<double> angle(0, 2 * M_PI), radius(r0, r1);
    std::vector<double> angles(static_cast<size_t>(n));
    for (double& a : angles)
        a = angle(rng);
    std::sort(angles.begin(), angles.end());
    Contour c;
    for (double a : angles) {
        const double r = radius(rng);
        c.push_back(
            {static_cast<float>(cx + r * std::cos(a)), static_cast<float>(cy + r * std::sin(a))});
    }
    return c;
}

// A star-shaped polygon with a hole inside it.
inline CClipPolygon StarWithHole(std::mt19937& rng, double cx, double cy, double size, int n) {
    CClipPolygon p;
    const Contour outer = Star(rng, cx, cy, 0.6 * size, size, n);
    const Contour inner = Star(rng, cx, cy, 0.1 * size, 0.5 * size, std::max(3, n / 3));
    p.AddContour(outer.data(), static_cast<int>(outer.size()), 0);
    p.AddContour(inner.data(), static_cast<int>(inner.size()), 1);
    return p;
}

// Random vertices in a box: self-intersecting contours.
inline CClipPolygon Scribble(std::mt19937& rng, double x0, double y0, double size, int n,
                             int contours) {
    std::uniform_real_distribution<double> u(0, size);
    CClipPolygon p;
    for (int k = 0; k < contours; ++k) {
        Contour c;
        for (int i = 0; i < n; ++i)
            c.push_back({static_cast<float>(x0 + u(rng)), static_cast<float>(y0 + u(rng))});
        p.AddContour(c.data(), n, 0);
    }
    return p;
}

// Random vertices on a coarse integer grid: shared edges, horizontal runs,
// collinear and repeated vertices, vertices on other edges.
inline CClipPolygon GridScribble(std::mt19937& rng, int grid, int n, int contours) {
    std::uniform_int_distribution<int> u(0, grid);
    CClipPolygon p;
    for (int k = 0; k < contours; ++k) {
        Contour c;
        for (int i = 0; i < n; ++i)
            c.push_back({static_cast<float>(u(rng)), static_cast<float>(u(rng))});
        p.AddContour(c.data(), n, 0);
    }
    return p;
}

// Axis-parallel rectangles on a grid: touching and overlapping boxes.
inline CClipPolygon Boxes(std::mt19937& rng, int grid, int count) {
    std::uniform_int_distribution<int> u(0, grid);
    CClipPolygon p;
    for (int k = 0; k < count; ++k) {
        int x0 = u(rng), x1 = u(rng), y0 = u(rng), y1 = u(rng);
        if (x0 > x1)
            std::swap(x0, x1);
        if (y0 > y1)
            std::swap(y0, y1);
        const PointF c[4] = {{float(x0), float(y0)},
                             {float(x1), float(y0)},
                             {float(x1), float(y1)},
                             {float(x0), float(y1)}};
        p.AddContour(c, 4, 0);
    }
    return p;
}

} // namespace cliptest
