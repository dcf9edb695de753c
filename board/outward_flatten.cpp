#include "board/outward_flatten.h"

#include "board/polygon_union.h"
#include "platform/graphics_path.h"
#include "platform/matrix.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Vec {
    double x = 0, y = 0;
};

// Wang's bound: n equal steps keep a cubic within 0.75 m / n^2 of its
// chords, m the larger second difference of its control points. The steps
// are the ones a plain flattening takes, so the points stay as many.
struct CubicFlattening {
    int steps = 1;
    double bound = 0;
};

CubicFlattening Steps(const Vec& p0, const Vec& p1, const Vec& p2, const Vec& p3, double tol) {
    const double ax = p0.x - 2 * p1.x + p2.x, ay = p0.y - 2 * p1.y + p2.y;
    const double bx = p1.x - 2 * p2.x + p3.x, by = p1.y - 2 * p2.y + p3.y;
    const double m = std::max(std::hypot(ax, ay), std::hypot(bx, by));
    const double n = std::ceil(std::sqrt(0.75 * m / tol));
    CubicFlattening f;
    f.steps = !(n >= 1) ? 1 : n > 4096 ? 4096 : static_cast<int>(n);
    f.bound = std::isfinite(m) ? 0.75 * m / (double(f.steps) * f.steps) : 0;
    return f;
}

Vec CubicAt(const Vec& p0, const Vec& p1, const Vec& p2, const Vec& p3, double t) {
    const double u = 1 - t;
    const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
    return {b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x,
            b0 * p0.y + b1 * p1.y + b2 * p2.y + b3 * p3.y};
}

// One figure, flattened: its points with their types, and for the edge
// from each point to the next (the last one closing the figure) how far it
// must move out.
struct Figure {
    std::vector<Vec> points;
    std::vector<uint8_t> types;
    std::vector<double> shift;

    void Clear() {
        points.clear();
        types.clear();
        shift.clear();
    }
    // The edge into this point moves out by shiftIn.
    void Add(const Vec& p, uint8_t type, double shiftIn) {
        if (!shift.empty())
            shift.back() = shiftIn;
        points.push_back(p);
        types.push_back(type);
        shift.push_back(0); // the closing edge is straight
    }
};

// Edges shorter than this (mm) have no direction worth the name: outlines
// offset and merged in floats leave steps of a few units in the last place
// where an arc meets a line. Their points go where their neighbours' moved
// lines meet, and so coincide.
constexpr double kShortestEdge = 1e-4;

// Moves the edges of the figure out by their shifts; each point goes to
// where the moved lines of its two edges meet (too short edges skipped).
void MoveOut(Figure& f) {
    const size_t n = f.points.size();
    if (n < 3 || std::none_of(f.shift.begin(), f.shift.end(), [](double s) { return s > 0; }))
        return;
    double area2 = 0;
    for (size_t i = 0; i < n; ++i) {
        const Vec& a = f.points[i];
        const Vec& b = f.points[(i + 1) % n];
        area2 += a.x * b.y - b.x * a.y;
    }
    if (!(area2 != 0) || !std::isfinite(area2))
        return;
    // The filled side lies left of the edges when the figure runs
    // counter-clockwise (y up); the outward normal is on the other side.
    const double side = area2 > 0 ? 1 : -1;
    std::vector<Vec> normal(n);
    std::vector<double> length(n);
    std::vector<char> real(n);
    for (size_t i = 0; i < n; ++i) {
        const Vec& a = f.points[i];
        const Vec& b = f.points[(i + 1) % n];
        const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
        length[i] = len;
        real[i] = len > kShortestEdge;
        if (real[i])
            normal[i] = {side * dy / len, -side * dx / len};
    }
    if (std::count(real.begin(), real.end(), 1) < 2)
        return;
    std::vector<Vec> moved(n);
    for (size_t i = 0; i < n; ++i) {
        size_t in = (i + n - 1) % n, out = i;
        while (!real[in])
            in = (in + n - 1) % n;
        while (!real[out])
            out = (out + 1) % n;
        const double da = f.shift[in], db = f.shift[out];
        const Vec& na = normal[in];
        const Vec& nb = normal[out];
        const Vec& p = f.points[i];
        if (da == 0 && db == 0) {
            moved[i] = p;
            continue;
        }
        // The offset d from p with na.d = da and nb.d = db.
        const double det = na.x * nb.y - na.y * nb.x;
        const double most = std::max(da, db);
        Vec d;
        if (std::fabs(det) < 1e-9) {
            d = {na.x * most, na.y * most};
        } else {
            d = {(da * nb.y - db * na.y) / det, (na.x * db - nb.x * da) / det};
            // Where a curve runs on into a straight edge along its tangent,
            // the lines meet a fraction of the last chord along the edge. A
            // sharp corner would put the meeting point far out, beyond its
            // edges: there the point moves out along the bisector by the
            // larger shift.
            const double reach = std::max(4 * most, std::min(length[in], length[out]) / 2);
            if (std::hypot(d.x, d.y) > reach) {
                Vec u{na.x + nb.x, na.y + nb.y};
                const double len = std::hypot(u.x, u.y);
                u = len > 1e-9 ? Vec{u.x / len, u.y / len} : na;
                d = {u.x * most, u.y * most};
            }
        }
        moved[i] = {p.x + d.x, p.y + d.y};
    }
    f.points.swap(moved);
}

void FlattenOutwardInto(const GraphicsPath& path, const Matrix* m, double flatness,
                        std::vector<PointF>* outPts, std::vector<uint8_t>* outTypes) {
    if (!(flatness > 1e-7))
        flatness = 1e-7;
    const std::vector<PointF>& pts = path.Points();
    const std::vector<uint8_t>& types = path.Types();
    const size_t n = std::min(pts.size(), types.size());
    auto at = [&](size_t i) {
        Vec p{pts[i].X, pts[i].Y};
        if (m)
            m->Map(p.x, p.y, &p.x, &p.y);
        return p;
    };
    Figure f;
    auto emit = [&] {
        MoveOut(f);
        for (size_t k = 0; k < f.points.size(); ++k) {
            outPts->push_back(
                {static_cast<float>(f.points[k].x), static_cast<float>(f.points[k].y)});
            outTypes->push_back(f.types[k]);
        }
        f.Clear();
    };
    outPts->reserve(outPts->size() + n);
    outTypes->reserve(outTypes->size() + n);
    Vec last;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t type = types[i];
        const uint8_t kind = type & PathPointTypePathTypeMask;
        const uint8_t close = type & PathPointTypeCloseSubpath;
        if (kind == PathPointTypeBezier && i + 2 < n) {
            const Vec p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
            const uint8_t close3 = types[i + 2] & PathPointTypeCloseSubpath;
            const CubicFlattening s = Steps(last, p1, p2, p3, flatness);
            for (int k = 1; k < s.steps; ++k)
                f.Add(CubicAt(last, p1, p2, p3, static_cast<double>(k) / s.steps),
                      PathPointTypeLine, s.bound);
            f.Add(p3, PathPointTypeLine | close3, s.bound);
            last = p3;
            i += 2;
            continue;
        }
        if (kind == PathPointTypeStart)
            emit();
        last = at(i);
        f.Add(last, (kind == PathPointTypeStart ? PathPointTypeStart : PathPointTypeLine) | close,
              0);
    }
    emit();
}

} // namespace

void FlattenOutward(GraphicsPath* path, float flatness, const Matrix* matrix) {
    std::vector<PointF> pts;
    std::vector<uint8_t> types;
    FlattenOutwardInto(*path, matrix, flatness, &pts, &types);
    if (pts.empty()) {
        path->Reset();
        return;
    }
    *path =
        GraphicsPath(pts.data(), types.data(), static_cast<int>(pts.size()), path->GetFillMode());
}

CClipPolygon PathToClearancePolygon(const GraphicsPath& path, float flatness,
                                    const Matrix* matrix) {
    std::vector<PointF> pts;
    std::vector<uint8_t> types;
    FlattenOutwardInto(path, matrix, flatness, &pts, &types);
    CClipPolygon polygon;
    polygon.AddPathFigures(pts.data(), types.data(), static_cast<int>(pts.size()), 0);
    return polygon;
}

CClipPolygon UnitePathFiguresOutward(const GraphicsPath& path, float flatness) {
    std::vector<PointF> pts;
    std::vector<uint8_t> types;
    FlattenOutwardInto(path, nullptr, flatness, &pts, &types);
    // Each figure on its own, as UnitePathFigures takes them.
    std::vector<CClipPolygon> figures;
    size_t start = 0;
    for (size_t i = 1; i <= pts.size(); ++i) {
        if (i < pts.size() && (types[i] & PathPointTypePathTypeMask) != PathPointTypeStart)
            continue;
        CClipPolygon figure;
        figure.AddContour(pts.data() + start, static_cast<int>(i - start), 0);
        figures.push_back(std::move(figure));
        start = i;
    }
    return UniteClipPolygons(std::move(figures));
}

void MergePathFiguresOutward(GraphicsPath* path, float flatness) {
    ClipPolygonToPath(UnitePathFiguresOutward(*path, flatness), path);
}
