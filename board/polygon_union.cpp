#include "board/polygon_union.h"

#include "platform/graphics_path.h"
#include "platform/matrix.h"
#include "platform/polygon_set.h"

#include <algorithm>
#include <cfloat>

namespace {

ContourBounds BoundsOf(const CClipPolygon& polygon) {
    ContourBounds b;
    for (const CClipContour& c : polygon.Contours())
        b.Add(ContourBounds::Of(c));
    return b;
}

// Runs of a part's contours that stay together: a part as given is one
// run (its contours may overlap each other), a contour the clipper made is
// one of its own (the clipper's contours never cross).
struct Run {
    ContourBounds bounds;
    int contours;
};

struct Part {
    CClipPolygon polygon;
    ContourBounds bounds;
    std::vector<Run> runs;
};

// Moves the contours [first, first + count) of from to the end of to.
void MoveContours(CClipPolygon& from, int first, int count, CClipPolygon& to) {
    for (int i = first; i < first + count; ++i)
        to.AddContour(from.TakeContour(i), from.GetHoleFlag(i));
}

// Disjoint parts are gathered into one polygon as they are. Of parts that
// may overlap, only the runs that reach into the other part's bounds go
// through the clipper: a run outside them meets nothing of the other part,
// so it keeps its place in the even-odd union as it is. A union of two
// halves of a large board thus clips only the strip where they meet.
Part Unite(Part a, Part b) {
    if (b.polygon.IsEmpty())
        return a;
    if (a.polygon.IsEmpty())
        return b;
    Part out;
    out.bounds = a.bounds;
    out.bounds.Add(b.bounds);
    if (!a.bounds.Meets(b.bounds)) {
        // The contours move over: a fill of thousands of separate pads
        // gathers them level by level, and copying every vertex at every
        // level would make that grow faster than the pad count.
        out.polygon = std::move(a.polygon);
        out.polygon.Append(std::move(b.polygon));
        out.runs = std::move(a.runs);
        out.runs.insert(out.runs.end(), b.runs.begin(), b.runs.end());
        return out;
    }
    CClipPolygon nearA, nearB;
    auto split = [&out](Part& part, const ContourBounds& other, CClipPolygon& near) {
        int first = 0;
        for (const Run& run : part.runs) {
            if (run.bounds.Meets(other)) {
                MoveContours(part.polygon, first, run.contours, near);
            } else {
                MoveContours(part.polygon, first, run.contours, out.polygon);
                out.runs.push_back(run);
            }
            first += run.contours;
        }
    };
    split(a, b.bounds, nearA);
    split(b, a.bounds, nearB);
    CClipPolygon united;
    united.Clip(CLIP_UNION, nearA, nearB);
    for (int i = 0; i < united.GetContourCount(); ++i) {
        CClipContour contour = united.TakeContour(i);
        Run run{ContourBounds::Of(contour), 1};
        if (run.bounds.Empty())
            continue;
        out.polygon.AddContour(std::move(contour), united.GetHoleFlag(i));
        out.runs.push_back(run);
    }
    return out;
}

} // namespace

CClipPolygon PathToClipPolygon(const GraphicsPath& path, float flatness, const Matrix* matrix) {
    GraphicsPath flat(path);
    flat.Flatten(matrix, flatness);
    CClipPolygon polygon;
    polygon.AddPathFigures(flat.Points().data(), flat.Types().data(), flat.GetPointCount(), 0);
    return polygon;
}

CClipPolygon UniteClipPolygons(std::vector<CClipPolygon> parts) {
    std::vector<Part> work;
    work.reserve(parts.size());
    for (CClipPolygon& p : parts) {
        Part part;
        part.bounds = BoundsOf(p);
        if (part.bounds.Empty())
            continue;
        part.runs.push_back({part.bounds, p.GetContourCount()});
        part.polygon = std::move(p);
        work.push_back(std::move(part));
    }
    if (work.empty())
        return CClipPolygon();
    // Neighbours in the plane become neighbours in the list (rows by y,
    // then x), so that each pairwise union meets few others.
    std::sort(work.begin(), work.end(), [](const Part& a, const Part& b) {
        if (a.bounds.bottom != b.bounds.bottom)
            return a.bounds.bottom < b.bounds.bottom;
        return a.bounds.left < b.bounds.left;
    });
    while (work.size() > 1) {
        std::vector<Part> next;
        next.reserve((work.size() + 1) / 2);
        for (size_t i = 0; i + 1 < work.size(); i += 2)
            next.push_back(Unite(std::move(work[i]), std::move(work[i + 1])));
        if (work.size() % 2)
            next.push_back(std::move(work.back()));
        work = std::move(next);
    }
    // A lone part still has its own overlaps resolved.
    if (parts.size() == 1) {
        CClipPolygon out;
        out.Clip(CLIP_UNION, work[0].polygon, CClipPolygon());
        return out;
    }
    return std::move(work[0].polygon);
}

void ClipPolygonToPath(const CClipPolygon& polygon, GraphicsPath* path) {
    path->Reset();
    for (const CClipContour& c : polygon.Contours())
        if (c.GetVertexCount() >= 3)
            path->AddPolygon(c.GetVertices(), c.GetVertexCount());
}

CClipPolygon UnitePathFigures(const GraphicsPath& path, float flatness) {
    // A figure runs from each start point to the next (the first from the
    // first point, whatever its type).
    PolygonSet flat;
    path.ToPolygons(&flat, nullptr, flatness);
    std::vector<CClipPolygon> figures;
    figures.reserve(flat.contours.size());
    std::vector<PointF> points;
    for (const std::vector<PointD>& contour : flat.contours) {
        points.clear();
        for (const PointD& p : contour)
            points.push_back({static_cast<float>(p.x), static_cast<float>(p.y)});
        CClipPolygon figure;
        figure.AddContour(points.data(), static_cast<int>(points.size()), 0);
        figures.push_back(std::move(figure));
    }
    return UniteClipPolygons(std::move(figures));
}

void MergePathFigures(GraphicsPath* path, float flatness) {
    ClipPolygonToPath(UnitePathFigures(*path, flatness), path);
}
