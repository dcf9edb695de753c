// Measures of built paths for the shape and fill tests: area, bounds, the
// figures one by one, and a check that every coordinate is finite.
#pragma once

#include "board/area_node.h"
#include "board/clip_polygon.h"
#include "board/polygon_union.h"
#include "core/vorpel_view.h"
#include "platform/graphics_path.h"

#include <cmath>
#include <string>
#include <vector>

// An outline read from its text, deleted with the holder.
struct OwnedOutline {
    CAreaNode* head = nullptr;
    explicit OwnedOutline(const std::wstring& text)
        : head(ParseAreaOutline(text, &g_pActiveView)) {}
    explicit OwnedOutline(CAreaNode* node) : head(node) {}
    OwnedOutline(const OwnedOutline&) = delete;
    OwnedOutline& operator=(const OwnedOutline&) = delete;
    ~OwnedOutline() { DeleteAreaOutline(head); }
};

inline double ContourArea(const CClipContour& c) {
    double a = 0;
    const auto& v = c.Vertices();
    for (size_t i = 0; i < v.size(); ++i) {
        const PointF& p = v[i];
        const PointF& q = v[(i + 1) % v.size()];
        a += static_cast<double>(p.X) * q.Y - static_cast<double>(q.X) * p.Y;
    }
    return std::fabs(a / 2);
}

// The area of a clipper polygon read even-odd.
inline double PolygonArea(const CClipPolygon& polygon) {
    CClipPolygon merged;
    merged.Clip(CLIP_UNION, polygon, CClipPolygon());
    double a = 0;
    for (int i = 0; i < merged.GetContourCount(); ++i)
        a += merged.GetHoleFlag(i) ? -ContourArea(merged.GetContour(i))
                                   : ContourArea(merged.GetContour(i));
    return a;
}

// The area the path covers; overlapping figures count once.
inline double PathArea(const GraphicsPath& path, double flatness = 0.0005) {
    std::vector<CClipPolygon> figures;
    GraphicsPath flat(path);
    flat.Flatten(nullptr, static_cast<float>(flatness));
    const CClipPolygon all = PathToClipPolygon(flat, static_cast<float>(flatness));
    for (const CClipContour& c : all.Contours()) {
        CClipPolygon one;
        one.AddContour(c.GetVertices(), c.GetVertexCount(), 0);
        figures.push_back(std::move(one));
    }
    return PolygonArea(UniteClipPolygons(std::move(figures)));
}

inline bool PolygonContains(const CClipPolygon& polygon, double x, double y) {
    bool inside = false;
    for (const CClipContour& c : polygon.Contours()) {
        const auto& v = c.Vertices();
        for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
            if ((v[i].Y > y) != (v[j].Y > y) &&
                x < (v[j].X - v[i].X) * (y - v[i].Y) / (v[j].Y - v[i].Y) + v[i].X)
                inside = !inside;
        }
    }
    return inside;
}

inline bool AllFinite(const GraphicsPath& path) {
    for (const PointF& p : path.Points())
        if (!std::isfinite(p.X) || !std::isfinite(p.Y))
            return false;
    return true;
}

// The points of each figure (curve control points included).
inline std::vector<std::vector<PointF>> Figures(const GraphicsPath& path) {
    std::vector<std::vector<PointF>> out;
    for (int i = 0; i < path.GetPointCount(); ++i) {
        if ((path.Types()[i] & PathPointTypePathTypeMask) == PathPointTypeStart || out.empty())
            out.emplace_back();
        out.back().push_back(path.Points()[i]);
    }
    return out;
}

// The end points of the figure's lines and curves (control points left out).
inline std::vector<PointF> FigureVertices(const GraphicsPath& path, int figure) {
    std::vector<PointF> out;
    int f = -1, bezier = 0;
    for (int i = 0; i < path.GetPointCount(); ++i) {
        const int type = path.Types()[i] & PathPointTypePathTypeMask;
        if (type == PathPointTypeStart) {
            ++f;
            bezier = 0;
        }
        if (f != figure)
            continue;
        if (type == PathPointTypeBezier && ++bezier % 3 != 0)
            continue;
        const PointF& p = path.Points()[i];
        // An arc that starts a hair away from the current point adds a line
        // of no length; it is not a vertex of the figure.
        if (type != PathPointTypeStart && !out.empty() && std::fabs(out.back().X - p.X) < 1e-5 &&
            std::fabs(out.back().Y - p.Y) < 1e-5)
            continue;
        out.push_back(p);
    }
    return out;
}

inline RectF PathBounds(const GraphicsPath& path) {
    RectF r;
    path.GetBounds(&r);
    return r;
}
