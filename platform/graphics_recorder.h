// A record of what a Graphics was asked to draw, for tests of drawing code:
// attach one with Graphics::SetRecorder, draw, then read the records. Points
// are in device pixels (after the world transform and page unit).
#pragma once

#include "platform/graphics_types.h"
#include "platform/matrix.h"
#include "platform/pen.h"

#include <cstddef>
#include <string>
#include <vector>

enum class DrawOp {
    Clear,
    Line,
    Lines,
    Rectangle,
    Ellipse,
    Arc,
    Pie,
    Polygon,
    Bezier,
    Path,
    FillRectangle,
    FillEllipse,
    FillPie,
    FillPolygon,
    FillPath,
    FillRegion,
    String,
};

struct DrawRecord {
    DrawOp op = DrawOp::Line;
    // Pen (strokes).
    bool hasPen = false;
    ARGB penColor = 0;
    float penWidth = 0;       // world units as given; 0 = one pixel
    float penDeviceWidth = 0; // device pixels (1 for width 0)
    DashStyle dashStyle = DashStyleSolid;
    std::vector<float> dashPattern;
    LineCap startCap = LineCapFlat;
    LineCap endCap = LineCapFlat;
    LineJoin lineJoin = LineJoinMiter;
    // Brush (fills, text).
    bool hasBrush = false;
    BrushType brushType = BrushTypeSolidColor;
    ARGB brushColor = 0; // solid brushes; the first colour of a gradient
    // Geometry: the shape as path points and types, in device pixels (an
    // ellipse, arc or pie as its Béziers; a line as start and line point; a
    // region as its polygons).
    std::vector<PointF> points;
    std::vector<uint8_t> types;
    FillMode fillMode = FillModeAlternate;
    // The rectangle and angles as given (world units) for rectangles,
    // ellipses, arcs and pies.
    RectF worldRect;
    float startAngle = 0;
    float sweepAngle = 0;
    Matrix worldToDevice;
    SmoothingMode smoothing = SmoothingModeDefault;
    // Clip at the time of the call, device pixels; clipped false = no clip.
    bool clipped = false;
    RectF clipBounds;
    // Text.
    std::wstring text;
    std::wstring fontFamily;
    float emSizeWorld = 0;
};

class GraphicsRecorder {
public:
    std::vector<DrawRecord> records;

    void Clear() { records.clear(); }
    size_t Count(DrawOp op) const {
        size_t n = 0;
        for (const DrawRecord& r : records)
            n += r.op == op;
        return n;
    }
    const DrawRecord* Last() const { return records.empty() ? nullptr : &records.back(); }
};
