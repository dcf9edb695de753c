// Pens and brushes of the board-side surface. A pen's width is in world
// units; width 0 draws one device pixel wide whatever the transform. Dash
// patterns are in multiples of the width (of one pixel for width 0).
#pragma once

#include "platform/graphics_types.h"

#include <cstdint>
#include <vector>

uint64_t NextDrawingStamp();

class Pen {
public:
    explicit Pen(const Color& color, float width = 1.0f);
    Pen* Clone() const { return new Pen(*this); }

    Status SetColor(const Color& color);
    Status GetColor(Color* color) const;
    Color GetColor() const { return color_; }
    Status SetWidth(float width);
    float GetWidth() const { return width_; }
    Status SetStartCap(LineCap cap);
    Status SetEndCap(LineCap cap);
    Status SetLineCap(LineCap startCap, LineCap endCap, int dashCap = 0);
    LineCap GetStartCap() const { return startCap_; }
    LineCap GetEndCap() const { return endCap_; }
    Status SetLineJoin(LineJoin join);
    LineJoin GetLineJoin() const { return join_; }
    Status SetDashStyle(DashStyle style);
    DashStyle GetDashStyle() const { return dashStyle_; }
    // Dash and gap lengths in multiples of the width; sets DashStyleCustom.
    Status SetDashPattern(const float* pattern, int count);
    // The pattern of the current style (empty for solid).
    std::vector<float> GetDashPattern() const;
    Status SetDashOffset(float offset);
    float GetDashOffset() const { return dashOffset_; }
    Status SetAlignment(PenAlignment alignment);
    PenAlignment GetAlignment() const { return alignment_; }
    Status SetMiterLimit(float limit);
    float GetMiterLimit() const { return miterLimit_; }
    Status GetLastStatus() const;
    uint64_t Stamp() const { return stamp_; }

private:
    Status Changed();
    Color color_;
    float width_ = 1;
    LineCap startCap_ = LineCapFlat;
    LineCap endCap_ = LineCapFlat;
    LineJoin join_ = LineJoinMiter;
    DashStyle dashStyle_ = DashStyleSolid;
    std::vector<float> customDash_;
    float dashOffset_ = 0;
    float miterLimit_ = 10;
    PenAlignment alignment_ = PenAlignmentCenter;
    mutable Status lastStatus_ = Ok;
    uint64_t stamp_;
};

enum BrushType { BrushTypeSolidColor = 0, BrushTypeLinearGradient = 4 };

class Brush {
public:
    virtual ~Brush() = default;
    BrushType GetType() const { return type_; }
    uint64_t Stamp() const { return stamp_; }
    Status GetLastStatus() const { return Ok; }

protected:
    explicit Brush(BrushType type);
    Brush(const Brush& other);
    Brush& operator=(const Brush& other) = default;
    void Changed();

private:
    BrushType type_;
    uint64_t stamp_;
};

class SolidBrush : public Brush {
public:
    explicit SolidBrush(const Color& color);
    Status SetColor(const Color& color);
    Status GetColor(Color* color) const;
    Color GetColor() const { return color_; }

private:
    Color color_;
};

// Colours run from point1 to point2 (world units) and repeat beyond them.
class LinearGradientBrush : public Brush {
public:
    LinearGradientBrush(const PointF& point1, const PointF& point2, const Color& color1,
                        const Color& color2);
    LinearGradientBrush(const RectF& rect, const Color& color1, const Color& color2,
                        LinearGradientMode mode);
    PointF GetPoint1() const { return p1_; }
    PointF GetPoint2() const { return p2_; }
    Status GetLinearColors(Color* colors) const;

private:
    PointF p1_, p2_;
    Color c1_, c2_;
};
