// A log of what drawing code asked a DeviceContext to draw, so that tests of
// the drawing code assert shapes, pens, brushes and texts without reading
// pixels. Attach one with DeviceContext::SetRecorder.
#pragma once

#include "platform/device_context.h"

#include <string>
#include <vector>

enum class DcOp {
    Line,      // LineTo: points = from, to
    Polyline,  // points = the vertices
    Polygon,   // points = the vertices
    Bezier,    // PolyBezier / PolyBezierTo: points = start, then 3 per curve
    Rectangle, // points = (left, top), (right, bottom)
    RoundRect, // points = (left, top), (right, bottom), (corner width, height)
    Ellipse,   // points = (left, top), (right, bottom)
    Arc,       // points = (left, top), (right, bottom), start ray point, end ray point
    Pie,       // as Arc
    Chord,     // as Arc
    Pixel,     // points = the pixel; color = its colour
    FillRect,  // points = (left, top), (right, bottom); brush = the brush passed
    FrameRect, // as FillRect
    FocusRect, // points = (left, top), (right, bottom)
    Text,      // TextOut: points = the reference point; DrawText: the rectangle
    BitBlt,    // points = (x, y), (x + width, y + height) of the target
};

struct DcRecord {
    DcOp op = DcOp::Line;
    // The points as passed, in logical units, and mapped to device pixels.
    std::vector<POINT> logical;
    std::vector<POINT> device;
    GdiPen pen;             // the selected pen (FrameRect: unused)
    int devicePenWidth = 0; // pixels the pen draws (1 for width 0)
    GdiBrush brush;         // the selected brush, or the brush passed
    int fillMode = ALTERNATE;
    // Arcs, pies and chords: the angles of the two rays as seen on the
    // screen (degrees, counter-clockwise from the positive x axis, 0-360),
    // the counter-clockwise sweep (0-360], and the arc's end points on the
    // ellipse in device pixels.
    double startAngle = 0;
    double sweepAngle = 0;
    POINT arcStart;
    POINT arcEnd;
    // Text and pixels.
    std::wstring text;
    LogFont font;
    COLORREF color = 0; // text colour, or the pixel's colour
    COLORREF bkColor = 0;
    int bkMode = OPAQUE;
    unsigned align = 0;  // TextOut: the text alignment
    unsigned format = 0; // DrawText: the format
    bool drawText = false;
    // Text: the device rectangle of the text cell before it is turned, and
    // its top-left corner after turning (the point the text is drawn from).
    RECT textCell;
    POINT textOrigin;
    int mapMode = MM_TEXT;
};

class DcRecorder {
public:
    void Add(DcRecord record) { records_.push_back(std::move(record)); }
    const std::vector<DcRecord>& Records() const { return records_; }
    void Clear() { records_.clear(); }
    size_t Size() const { return records_.size(); }
    const DcRecord& operator[](size_t i) const { return records_.at(i); }
    // The records of one kind, in order.
    std::vector<DcRecord> OfKind(DcOp op) const {
        std::vector<DcRecord> out;
        for (const DcRecord& r : records_)
            if (r.op == op)
                out.push_back(r);
        return out;
    }
    size_t Count(DcOp op) const {
        size_t n = 0;
        for (const DcRecord& r : records_)
            n += r.op == op;
        return n;
    }
    // The texts drawn, in order.
    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> out;
        for (const DcRecord& r : records_)
            if (r.op == DcOp::Text)
                out.push_back(r.text);
        return out;
    }

private:
    std::vector<DcRecord> records_;
};
