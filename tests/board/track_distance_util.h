// Distances between the centre line of a track (straight runs and arcs) and
// the copper around it, for the clearance tests of conductors with rounded
// corners. The centre line of a conductor is built here on its own, from
// the tangent length of each corner, not through the model.
#pragma once

#include "board/clip_polygon.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

// From (ax, ay) to (bx, by); an arc runs about (cx, cy) by sweep radians
// (counter-clockwise when positive).
struct TrackPiece {
    double ax = 0, ay = 0, bx = 0, by = 0;
    bool arc = false;
    double cx = 0, cy = 0, sweep = 0;
};

inline double DistanceToSegment(double ax, double ay, double bx, double by, double x, double y) {
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(ax + t * dx - x, ay + t * dy - y);
}

inline double DistanceToPiece(const TrackPiece& p, double x, double y) {
    if (!p.arc)
        return DistanceToSegment(p.ax, p.ay, p.bx, p.by, x, y);
    const double kPi = 3.14159265358979323846;
    const double r = std::hypot(p.ax - p.cx, p.ay - p.cy);
    const double start = std::atan2(p.ay - p.cy, p.ax - p.cx);
    // The angle of the point measured from the start in the arc's direction.
    double a = std::atan2(y - p.cy, x - p.cx) - start;
    if (p.sweep < 0)
        a = -a;
    a = std::fmod(a + 4 * kPi, 2 * kPi);
    if (a <= std::fabs(p.sweep))
        return std::fabs(std::hypot(x - p.cx, y - p.cy) - r);
    return std::min(std::hypot(x - p.ax, y - p.ay), std::hypot(x - p.bx, y - p.by));
}

inline double DistanceToTrack(const std::vector<TrackPiece>& track, double x, double y) {
    double d = std::numeric_limits<double>::infinity();
    for (const TrackPiece& p : track)
        d = std::min(d, DistanceToPiece(p, x, y));
    return d;
}

// Vertices (x, y, corner value) of a conductor: a corner with a value is
// cut back by t = min(value, both segment lengths) and rounded by the arc
// that touches both segments there, of radius t / tan(turn / 2).
inline std::vector<TrackPiece> RoundedTrack(const std::vector<std::array<double, 3>>& v) {
    std::vector<TrackPiece> track;
    double x = v[0][0], y = v[0][1];
    for (size_t i = 1; i < v.size(); ++i) {
        const double px = v[i][0], py = v[i][1];
        if (i + 1 == v.size() || v[i][2] == 0) {
            track.push_back({x, y, px, py});
            x = px;
            y = py;
            continue;
        }
        const double inX = px - v[i - 1][0], inY = py - v[i - 1][1];
        const double outX = v[i + 1][0] - px, outY = v[i + 1][1] - py;
        const double inLen = std::hypot(inX, inY), outLen = std::hypot(outX, outY);
        const double turn = std::atan2(inX * outY - inY * outX, inX * outX + inY * outY);
        const double t = std::min({v[i][2], inLen, outLen});
        const double radius = t / std::tan(std::fabs(turn) / 2);
        const double t1x = px - inX / inLen * t, t1y = py - inY / inLen * t;
        const double t2x = px + outX / outLen * t, t2y = py + outY / outLen * t;
        // The centre lies on the inner side: left of the incoming direction
        // for a left turn.
        const double side = turn > 0 ? 1 : -1;
        const double cx = t1x - side * inY / inLen * radius, cy = t1y + side * inX / inLen * radius;
        track.push_back({x, y, t1x, t1y});
        track.push_back({t1x, t1y, t2x, t2y, true, cx, cy, turn});
        x = t2x;
        y = t2y;
    }
    return track;
}

// Points along the track, no farther apart than step.
inline std::vector<std::array<double, 2>> SampleTrack(const std::vector<TrackPiece>& track,
                                                      double step) {
    std::vector<std::array<double, 2>> points;
    for (const TrackPiece& p : track) {
        const double r = p.arc ? std::hypot(p.ax - p.cx, p.ay - p.cy) : 0;
        const double length = p.arc ? r * std::fabs(p.sweep) : std::hypot(p.bx - p.ax, p.by - p.ay);
        const int n = std::max(1, static_cast<int>(std::ceil(length / step)));
        const double start = std::atan2(p.ay - p.cy, p.ax - p.cx);
        for (int k = 0; k <= n; ++k) {
            const double f = double(k) / n;
            if (p.arc)
                points.push_back({p.cx + r * std::cos(start + f * p.sweep),
                                  p.cy + r * std::sin(start + f * p.sweep)});
            else
                points.push_back({p.ax + f * (p.bx - p.ax), p.ay + f * (p.by - p.ay)});
        }
    }
    return points;
}

// Inside the polygon read even-odd.
inline bool InsidePolygon(const CClipPolygon& polygon, double x, double y) {
    bool inside = false;
    for (const CClipContour& c : polygon.Contours()) {
        const auto& v = c.Vertices();
        for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
            const double xi = v[i].X, yi = v[i].Y, xj = v[j].X, yj = v[j].Y;
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                inside = !inside;
        }
    }
    return inside;
}

// The smallest distance between the centre line and the polygon's copper:
// from each vertex of the polygon to the centre line, and from points of the
// centre line (step apart) to the polygon's edges. Negative when the centre
// line runs through the copper.
inline double TrackToPolygonDistance(const std::vector<TrackPiece>& track,
                                     const CClipPolygon& polygon, double step) {
    double d = std::numeric_limits<double>::infinity();
    for (const CClipContour& c : polygon.Contours())
        for (const PointF& p : c.Vertices())
            d = std::min(d, DistanceToTrack(track, p.X, p.Y));
    for (const auto& s : SampleTrack(track, step)) {
        if (InsidePolygon(polygon, s[0], s[1]))
            return -1;
        for (const CClipContour& c : polygon.Contours()) {
            const auto& v = c.Vertices();
            for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i++)
                d = std::min(d, DistanceToSegment(v[j].X, v[j].Y, v[i].X, v[i].Y, s[0], s[1]));
        }
    }
    return d;
}
