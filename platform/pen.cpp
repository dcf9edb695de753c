#include "platform/pen.h"

#include <atomic>
#include <cmath>

uint64_t NextDrawingStamp() {
    // Paths and pens may be made on helper threads (the manufacturing export
    // builds outlines in parallel); stamps stay unique across them.
    static std::atomic<uint64_t> counter{0};
    return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

Pen::Pen(const Color& color, float width)
    : color_(color), width_(width), stamp_(NextDrawingStamp()) {
    if (!(width >= 0)) {
        width_ = 1;
        lastStatus_ = InvalidParameter;
    }
}

Status Pen::Changed() {
    stamp_ = NextDrawingStamp();
    return Ok;
}

Status Pen::SetColor(const Color& color) {
    color_ = color;
    return Changed();
}

Status Pen::GetColor(Color* color) const {
    if (!color)
        return lastStatus_ = InvalidParameter;
    *color = color_;
    return Ok;
}

Status Pen::SetWidth(float width) {
    if (!(width >= 0))
        return lastStatus_ = InvalidParameter;
    width_ = width;
    return Changed();
}

Status Pen::SetStartCap(LineCap cap) {
    startCap_ = cap;
    return Changed();
}

Status Pen::SetEndCap(LineCap cap) {
    endCap_ = cap;
    return Changed();
}

Status Pen::SetLineCap(LineCap startCap, LineCap endCap, int) {
    startCap_ = startCap;
    endCap_ = endCap;
    return Changed();
}

Status Pen::SetLineJoin(LineJoin join) {
    join_ = join;
    return Changed();
}

Status Pen::SetDashStyle(DashStyle style) {
    if (style == DashStyleCustom && customDash_.empty())
        return lastStatus_ = InvalidParameter;
    dashStyle_ = style;
    return Changed();
}

Status Pen::SetDashPattern(const float* pattern, int count) {
    if (!pattern || count <= 0)
        return lastStatus_ = InvalidParameter;
    for (int i = 0; i < count; ++i)
        if (!(pattern[i] > 0))
            return lastStatus_ = InvalidParameter;
    customDash_.assign(pattern, pattern + count);
    dashStyle_ = DashStyleCustom;
    return Changed();
}

std::vector<float> Pen::GetDashPattern() const {
    switch (dashStyle_) {
    case DashStyleSolid:
        return {};
    case DashStyleDash:
        return {3, 1};
    case DashStyleDot:
        return {1, 1};
    case DashStyleDashDot:
        return {3, 1, 1, 1};
    case DashStyleDashDotDot:
        return {3, 1, 1, 1, 1, 1};
    case DashStyleCustom:
        return customDash_;
    }
    return {};
}

Status Pen::SetDashOffset(float offset) {
    dashOffset_ = offset;
    return Changed();
}

Status Pen::SetAlignment(PenAlignment alignment) {
    alignment_ = alignment;
    return Changed();
}

Status Pen::SetMiterLimit(float limit) {
    miterLimit_ = limit < 1 ? 1 : limit;
    return Changed();
}

Status Pen::GetLastStatus() const {
    Status s = lastStatus_;
    lastStatus_ = Ok;
    return s;
}

Brush::Brush(BrushType type) : type_(type), stamp_(NextDrawingStamp()) {}
Brush::Brush(const Brush& other) : type_(other.type_), stamp_(NextDrawingStamp()) {}
void Brush::Changed() {
    stamp_ = NextDrawingStamp();
}

SolidBrush::SolidBrush(const Color& color) : Brush(BrushTypeSolidColor), color_(color) {}

Status SolidBrush::SetColor(const Color& color) {
    color_ = color;
    Changed();
    return Ok;
}

Status SolidBrush::GetColor(Color* color) const {
    if (!color)
        return InvalidParameter;
    *color = color_;
    return Ok;
}

LinearGradientBrush::LinearGradientBrush(const PointF& point1, const PointF& point2,
                                         const Color& color1, const Color& color2)
    : Brush(BrushTypeLinearGradient), p1_(point1), p2_(point2), c1_(color1), c2_(color2) {}

LinearGradientBrush::LinearGradientBrush(const RectF& rect, const Color& color1,
                                         const Color& color2, LinearGradientMode mode)
    : Brush(BrushTypeLinearGradient), c1_(color1), c2_(color2) {
    p1_ = {rect.X, rect.Y};
    switch (mode) {
    case LinearGradientModeHorizontal:
        p2_ = {rect.X + rect.Width, rect.Y};
        break;
    case LinearGradientModeVertical:
        p2_ = {rect.X, rect.Y + rect.Height};
        break;
    case LinearGradientModeForwardDiagonal:
        p2_ = {rect.X + rect.Width, rect.Y + rect.Height};
        break;
    case LinearGradientModeBackwardDiagonal:
        p1_ = {rect.X + rect.Width, rect.Y};
        p2_ = {rect.X, rect.Y + rect.Height};
        break;
    }
}

Status LinearGradientBrush::GetLinearColors(Color* colors) const {
    if (!colors)
        return InvalidParameter;
    colors[0] = c1_;
    colors[1] = c2_;
    return Ok;
}
