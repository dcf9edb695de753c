// A path of the board-side surface: points (32-bit floats) with point types
// (figure start, line, cubic Bézier, close flag) and a fill mode. Arcs and
// ellipses are stored as cubic Béziers of at most 90 degrees each; angles are
// degrees measured from +x towards +y of the path's own coordinates.
#pragma once

#include "platform/graphics_types.h"
#include "platform/matrix.h"

#include <cstdint>
#include <string>
#include <vector>

class FontFamily;
class Graphics;
class Pen;
class StringFormat;
struct PolygonSet;

// Points and types read out of a path.
struct PathData {
    int Count = 0;
    std::vector<PointF> Points;
    std::vector<uint8_t> Types;
};

class GraphicsPath {
public:
    explicit GraphicsPath(FillMode fillMode = FillModeAlternate);
    GraphicsPath(const PointF* points, const uint8_t* types, int count,
                 FillMode fillMode = FillModeAlternate);
    GraphicsPath(const GraphicsPath& other) = default;
    GraphicsPath& operator=(const GraphicsPath& other);
    GraphicsPath* Clone() const { return new GraphicsPath(*this); }

    Status Reset();
    FillMode GetFillMode() const { return fillMode_; }
    Status SetFillMode(FillMode mode);

    // The next figure starts unconnected.
    Status StartFigure();
    // Marks the current figure closed; the next one starts unconnected.
    Status CloseFigure();
    Status CloseAllFigures();

    // Lines, curves and arcs join the open figure (a line from its last point
    // is implied); rectangles, ellipses, pies and polygons are figures of
    // their own and are closed.
    Status AddLine(float x1, float y1, float x2, float y2);
    Status AddLine(const PointF& p1, const PointF& p2) { return AddLine(p1.X, p1.Y, p2.X, p2.Y); }
    Status AddLines(const PointF* points, int count);
    Status AddArc(float x, float y, float width, float height, float startAngle, float sweepAngle);
    Status AddArc(const RectF& rect, float startAngle, float sweepAngle) {
        return AddArc(rect.X, rect.Y, rect.Width, rect.Height, startAngle, sweepAngle);
    }
    Status AddBezier(const PointF& p1, const PointF& p2, const PointF& p3, const PointF& p4);
    Status AddBezier(float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                     float y4) {
        return AddBezier({x1, y1}, {x2, y2}, {x3, y3}, {x4, y4});
    }
    // 3n + 1 points.
    Status AddBeziers(const PointF* points, int count);
    Status AddRectangle(const RectF& rect);
    Status AddRectangles(const RectF* rects, int count);
    Status AddEllipse(float x, float y, float width, float height);
    Status AddEllipse(const RectF& rect) {
        return AddEllipse(rect.X, rect.Y, rect.Width, rect.Height);
    }
    Status AddPie(float x, float y, float width, float height, float startAngle, float sweepAngle);
    Status AddPie(const RectF& rect, float startAngle, float sweepAngle) {
        return AddPie(rect.X, rect.Y, rect.Width, rect.Height, startAngle, sweepAngle);
    }
    Status AddPolygon(const PointF* points, int count);
    // connect: the first figure of the added path joins the open figure.
    Status AddPath(const GraphicsPath* path, bool connect);
    // Glyph outlines of the text, em size in the path's units, laid out from
    // origin (top-left of the first line) or in the layout rectangle by the
    // format's alignments. FontFamilyNotFound when the family is missing.
    Status AddString(const std::wstring& text, const FontFamily* family, int style, float emSize,
                     const PointF& origin, const StringFormat* format);
    Status AddString(const std::wstring& text, const FontFamily* family, int style, float emSize,
                     const RectF& layoutRect, const StringFormat* format);

    Status Transform(const Matrix* matrix);
    // Replaces every curve by lines no farther than flatness from it, after
    // transforming by matrix (when given).
    Status Flatten(const Matrix* matrix = nullptr, float flatness = 0.25f);
    // Replaces the path by the outline of its area under the winding rule:
    // overlapping figures merge into one contour (flattened first).
    Status Outline(const Matrix* matrix = nullptr, float flatness = 0.25f);
    // Reverses the order of the points (and so of the figures).
    Status Reverse();

    // Bounds of the path (curves by their true extent), after matrix, grown
    // by half the pen's width.
    Status GetBounds(RectF* bounds, const Matrix* matrix = nullptr, const Pen* pen = nullptr) const;
    // Inside the filled path (by its fill mode). With a Graphics, the test runs
    // in its device space (point and path in world units).
    bool IsVisible(float x, float y, const Graphics* g = nullptr) const;
    bool IsVisible(const PointF& p, const Graphics* g = nullptr) const {
        return IsVisible(p.X, p.Y, g);
    }
    // On the path stroked with the pen (its width, caps; width 0 = one device
    // pixel, one unit without a Graphics).
    bool IsOutlineVisible(float x, float y, const Pen* pen, const Graphics* g = nullptr) const;
    bool IsOutlineVisible(const PointF& p, const Pen* pen, const Graphics* g = nullptr) const {
        return IsOutlineVisible(p.X, p.Y, pen, g);
    }

    int GetPointCount() const { return static_cast<int>(points_.size()); }
    Status GetPathPoints(PointF* points, int count) const;
    Status GetPathTypes(uint8_t* types, int count) const;
    Status GetPathData(PathData* data) const;
    Status GetLastPoint(PointF* point) const;
    const std::vector<PointF>& Points() const { return points_; }
    const std::vector<uint8_t>& Types() const { return types_; }

    // The status of the last failing call, then Ok again.
    Status GetLastStatus() const;

    // Changes with every change of the path (unique across paths); lets the
    // drawing surface cache its converted form.
    uint64_t Stamp() const { return stamp_; }

    // The flattened figures as closed polygons, in the space of matrix.
    void ToPolygons(PolygonSet* out, const Matrix* matrix, double flatness) const;
    // Appends the Bézier points (first point included) of an arc.
    static void ArcPoints(double x, double y, double w, double h, double startAngle,
                          double sweepAngle, std::vector<PointF>* out);
    // Appends a point with its type (platform internal: text outlines).
    void AppendRaw(const PointF& p, uint8_t type);
    void MarkNewFigure() { newFigure_ = true; }

private:
    void Touch();
    Status Fail(Status s) const;
    void BeginSegment(const PointF& first);
    void FlattenInto(std::vector<PointF>* pts, std::vector<uint8_t>* types, const Matrix* m,
                     double flatness) const;

    std::vector<PointF> points_;
    std::vector<uint8_t> types_;
    FillMode fillMode_ = FillModeAlternate;
    bool newFigure_ = true;
    mutable Status lastStatus_ = Ok;
    uint64_t stamp_ = 0;
};
