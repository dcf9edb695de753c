// The board-side drawing surface: draws in world coordinates (millimetres on
// the board views) through a world transform onto a PaintTarget, keeps a
// clip, and answers visibility questions. It may also be created without a
// target (nothing is painted; transforms, clips, measuring and recording
// work as usual). Failing calls store their status as the last status and
// never stop the caller.
#pragma once

#include "platform/font.h"
#include "platform/graphics_path.h"
#include "platform/graphics_types.h"
#include "platform/matrix.h"
#include "platform/pen.h"
#include "platform/region.h"

#include <memory>
#include <string>

class PaintTarget;
class GraphicsRecorder;
class FillPictureCache;
struct ShapeExtent;
enum class DrawOp;

using GraphicsState = unsigned;

class Graphics {
public:
    explicit Graphics(PaintTarget* target);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    PaintTarget* Target() const;
    // Every call from now on is also kept by the recorder (null: stop).
    void SetRecorder(GraphicsRecorder* recorder);

    // The status of the last failing call, then Ok again.
    Status GetLastStatus();

    // World transform (world to page); prepend applies an operation before
    // the current transform.
    Status SetTransform(const Matrix* matrix);
    Status GetTransform(Matrix* matrix) const;
    Status ResetTransform();
    Status MultiplyTransform(const Matrix* matrix, MatrixOrder order = MatrixOrderPrepend);
    Status TranslateTransform(float dx, float dy, MatrixOrder order = MatrixOrderPrepend);
    Status ScaleTransform(float sx, float sy, MatrixOrder order = MatrixOrderPrepend);
    Status RotateTransform(float angle, MatrixOrder order = MatrixOrderPrepend);
    Status TransformPoints(CoordinateSpace destSpace, CoordinateSpace srcSpace, PointF* points,
                           int count);
    // World to device pixels (world transform, then the page unit).
    Matrix WorldToDevice() const;

    // Page unit: pixels (the default) or a physical unit converted by the DPI.
    Status SetPageUnit(Unit unit);
    Unit GetPageUnit() const;
    float GetDpiX() const;
    float GetDpiY() const;
    // Overrides the target's resolution (tests, printing).
    void SetDpi(float dpiX, float dpiY);

    Status SetSmoothingMode(SmoothingMode mode);
    SmoothingMode GetSmoothingMode() const;
    Status SetTextRenderingHint(TextRenderingHint hint);
    TextRenderingHint GetTextRenderingHint() const;

    // Saves transform, page unit, clip and modes; Restore returns to the
    // saved state and forgets every state saved after it.
    GraphicsState Save();
    Status Restore(GraphicsState state);

    // Clips are given in world units and kept in device space.
    Status SetClip(const RectF& rect, CombineMode mode = CombineModeReplace);
    Status SetClip(const GraphicsPath* path, CombineMode mode = CombineModeReplace);
    Status SetClip(const Region* region, CombineMode mode = CombineModeReplace);
    Status IntersectClip(const RectF& rect);
    Status IntersectClip(const Region* region);
    Status ExcludeClip(const RectF& rect);
    Status ExcludeClip(const Region* region);
    Status ResetClip();
    // The clip in world units.
    Status GetClip(Region* region) const;
    Status GetClipBounds(RectF* rect) const;
    // The clip bounds within the target, in world units.
    Status GetVisibleClipBounds(RectF* rect) const;
    bool IsClipEmpty() const;
    // Inside the clip and the target.
    bool IsVisible(float x, float y) const;
    bool IsVisible(const PointF& p) const { return IsVisible(p.X, p.Y); }
    bool IsVisible(float x, float y, float width, float height) const;
    bool IsVisible(const RectF& r) const { return IsVisible(r.X, r.Y, r.Width, r.Height); }

    Status Clear(const Color& color);
    Status DrawLine(const Pen* pen, float x1, float y1, float x2, float y2);
    Status DrawLine(const Pen* pen, const PointF& p1, const PointF& p2) {
        return DrawLine(pen, p1.X, p1.Y, p2.X, p2.Y);
    }
    Status DrawLines(const Pen* pen, const PointF* points, int count);
    Status DrawRectangle(const Pen* pen, float x, float y, float width, float height);
    Status DrawRectangle(const Pen* pen, const RectF& r) {
        return DrawRectangle(pen, r.X, r.Y, r.Width, r.Height);
    }
    Status DrawRectangles(const Pen* pen, const RectF* rects, int count);
    Status DrawEllipse(const Pen* pen, float x, float y, float width, float height);
    Status DrawEllipse(const Pen* pen, const RectF& r) {
        return DrawEllipse(pen, r.X, r.Y, r.Width, r.Height);
    }
    Status DrawArc(const Pen* pen, float x, float y, float width, float height, float startAngle,
                   float sweepAngle);
    Status DrawArc(const Pen* pen, const RectF& r, float startAngle, float sweepAngle) {
        return DrawArc(pen, r.X, r.Y, r.Width, r.Height, startAngle, sweepAngle);
    }
    Status DrawPie(const Pen* pen, float x, float y, float width, float height, float startAngle,
                   float sweepAngle);
    Status DrawPie(const Pen* pen, const RectF& r, float startAngle, float sweepAngle) {
        return DrawPie(pen, r.X, r.Y, r.Width, r.Height, startAngle, sweepAngle);
    }
    Status DrawPolygon(const Pen* pen, const PointF* points, int count);
    Status DrawBezier(const Pen* pen, const PointF& p1, const PointF& p2, const PointF& p3,
                      const PointF& p4);
    Status DrawBeziers(const Pen* pen, const PointF* points, int count);
    Status DrawPath(const Pen* pen, const GraphicsPath* path);

    Status FillRectangle(const Brush* brush, float x, float y, float width, float height);
    Status FillRectangle(const Brush* brush, const RectF& r) {
        return FillRectangle(brush, r.X, r.Y, r.Width, r.Height);
    }
    Status FillRectangles(const Brush* brush, const RectF* rects, int count);
    Status FillEllipse(const Brush* brush, float x, float y, float width, float height);
    Status FillEllipse(const Brush* brush, const RectF& r) {
        return FillEllipse(brush, r.X, r.Y, r.Width, r.Height);
    }
    Status FillPie(const Brush* brush, float x, float y, float width, float height,
                   float startAngle, float sweepAngle);
    Status FillPie(const Brush* brush, const RectF& r, float startAngle, float sweepAngle) {
        return FillPie(brush, r.X, r.Y, r.Width, r.Height, startAngle, sweepAngle);
    }
    Status FillPolygon(const Brush* brush, const PointF* points, int count,
                       FillMode fillMode = FillModeAlternate);
    Status FillPath(const Brush* brush, const GraphicsPath* path);
    // The pictures fills of owners are kept in between paints (null: none;
    // see fill_picture_cache.h).
    void SetFillPictures(FillPictureCache* cache);
    // As FillPath; with a cache set and a solid brush, the fill is drawn
    // from the owner's picture, made anew when the path, the colour, the
    // smoothing or the transform (but for whole-pixel shifts) changed, or
    // when the picture does not reach over what is visible now.
    Status FillPath(const Brush* brush, const GraphicsPath* path, const void* owner);
    // The region in world units.
    Status FillRegion(const Brush* brush, const Region* region);

    // Text by glyph outlines; the font's size is converted by its unit
    // (world, pixel, point, ...) to page units, then drawn through the world
    // transform. FontFamilyNotFound when it is missing.
    Status DrawString(const std::wstring& text, const Font* font, const PointF& origin,
                      const StringFormat* format, const Brush* brush);
    Status DrawString(const std::wstring& text, const Font* font, const RectF& layoutRect,
                      const StringFormat* format, const Brush* brush);
    Status DrawString(const std::wstring& text, const Font* font, const PointF& origin,
                      const Brush* brush) {
        return DrawString(text, font, origin, nullptr, brush);
    }
    // The box of the laid-out text in world units.
    Status MeasureString(const std::wstring& text, const Font* font, const PointF& origin,
                         const StringFormat* format, RectF* box);
    Status MeasureString(const std::wstring& text, const Font* font, const RectF& layoutRect,
                         const StringFormat* format, RectF* box);
    // The font's em size in world units: a world-unit size as it stands,
    // any other converted to page units (so the world transform scales text
    // in points or pixels like the rest of the drawing).
    float FontSizeInWorld(const Font* font) const;

    // Completes the drawing on the target.
    void Flush();

    struct Impl;

private:
    Status Fail(Status s);
    // Records and paints a shape built as a path (extent: what a curved
    // shape records besides its points, or null).
    Status StrokeShape(DrawOp op, const Pen* pen, const GraphicsPath& path,
                       const ShapeExtent* extent);
    Status FillShape(DrawOp op, const Brush* brush, const GraphicsPath& path,
                     const ShapeExtent* extent);
    std::unique_ptr<Impl> impl_;
};
