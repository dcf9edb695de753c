// Pad, plane-clearance and thermal-relief shapes of a pad layer, in the
// padstack's own coordinates (centred on the origin).
#include "board/area_node.h"
#include "board/clip_polygon.h"
#include "board/outward_flatten.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/polygon_union.h"
#include "board/thermal_relief.h"
#include "core/node_type.h"
#include "platform/graphics_path.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kRadToDeg = 57.29578f;

// One step of a quadrant figure: a line or an arc (about a centre, with a
// radius) from the current point to a point.
struct FigureStep {
    bool arc;
    double x, y;
    double cx, cy, radius;
};

struct QuadrantFigure {
    double startX = 0, startY = 0;
    std::vector<FigureStep> steps;
    void Start(double x, double y) {
        startX = x;
        startY = y;
        steps.clear();
    }
    void Line(double x, double y) { steps.push_back({false, x, y, 0, 0, 0}); }
    void Arc(double cx, double cy, double radius, double x, double y) {
        steps.push_back({true, x, y, cx, cy, radius});
    }
    bool Empty() const { return steps.empty(); }
    void Swap() {
        std::swap(startX, startY);
        for (FigureStep& s : steps) {
            std::swap(s.x, s.y);
            std::swap(s.cx, s.cy);
        }
    }
};

double AdjustAngle(double a) {
    if (a > 180)
        a -= 360;
    else if (a <= -180)
        a += 360;
    return a;
}

double AngleAbout(double cx, double cy, double x, double y) {
    return std::atan2(y - cy, x - cx) * kRadToDeg;
}

// Writes the figure mirrored by (mx, my) as a new, unclosed figure whose
// last step ends on its first point.
void EmitFigure(GraphicsPath* path, const QuadrantFigure& f, double mx, double my) {
    path->StartFigure();
    double x = f.startX * mx, y = f.startY * my;
    for (const FigureStep& s : f.steps) {
        const double tx = s.x * mx, ty = s.y * my;
        if (s.arc) {
            const double cx = s.cx * mx, cy = s.cy * my, q = s.radius;
            const double start = AdjustAngle(AngleAbout(cx, cy, x, y));
            const double sweep = AdjustAngle(AngleAbout(cx, cy, tx, ty) - start);
            path->AddArc(static_cast<float>(cx - q), static_cast<float>(cy - q),
                         static_cast<float>(2 * q), static_cast<float>(2 * q),
                         static_cast<float>(start), static_cast<float>(sweep));
        } else {
            path->AddLine(static_cast<float>(x), static_cast<float>(y), static_cast<float>(tx),
                          static_cast<float>(ty));
        }
        x = tx;
        y = ty;
    }
}

// The first, fourth, third and second quadrant, in that order.
void EmitFourQuadrants(GraphicsPath* path, const QuadrantFigure& f) {
    if (f.Empty())
        return;
    EmitFigure(path, f, 1, 1);
    EmitFigure(path, f, 1, -1);
    EmitFigure(path, f, -1, -1);
    EmitFigure(path, f, -1, 1);
}

// The first-quadrant figure of a lying stadium ring: straight half length
// c, inner radius r, outer radius R, clipped to x >= s and y >= s. With
// s < c and s < r this is P0 (s, r), P1 (s, R), P2 (c, R), arc to
// P3 (c + sqrt(R^2 - s^2), s), P4 (c + sqrt(r^2 - s^2), s), arc to
// P5 (c, r) and back to P0; wider spokes cut into the round end, and a
// spoke that leaves nothing of the ring gives no figure.
QuadrantFigure LyingRingQuadrant(double c, double r, double R, double s) {
    QuadrantFigure f;
    if (!(R > r) || !(s < R) || !std::isfinite(R))
        return f;
    const double xmax = c + std::sqrt(R * R - s * s);
    if (!(xmax > s))
        return f;
    double yin = 0; // the inner stadium's edge at x = s (0 beyond its end)
    if (s <= c)
        yin = r;
    else if (s - c < r)
        yin = std::sqrt(r * r - (s - c) * (s - c));
    const double yout = s <= c ? R : std::sqrt(R * R - (s - c) * (s - c));
    f.Start(s, std::max(s, yin));
    f.Line(s, yout);
    if (s < c)
        f.Line(c, R);
    f.Arc(c, 0, R, xmax, s);
    const double x4 = s < r ? c + std::sqrt(r * r - s * s) : s;
    if (x4 > s) {
        f.Line(x4, s);
        if (s < c) {
            f.Arc(c, 0, r, c, r);
            f.Line(s, r);
        } else {
            f.Arc(c, 0, r, s, yin);
        }
    } else {
        f.Line(s, s);
    }
    return f;
}

QuadrantFigure RoundRingQuadrant(double r, double R, double s) {
    // P0 (a, s), P1 (b, s), arc to P2 (s, b), P3 (s, a), arc back to P0
    // while the inner circle crosses the quadrant beyond the spokes (a > s).
    const double a = s < r ? std::sqrt(r * r - s * s) : 0;
    if (!(a > s))
        return LyingRingQuadrant(0, r, R, s);
    QuadrantFigure f;
    if (!(R > r))
        return f;
    const double b = std::sqrt(R * R - s * s);
    f.Start(a, s);
    f.Line(b, s);
    f.Arc(0, 0, R, s, b);
    f.Line(s, a);
    f.Arc(0, 0, r, a, s);
    return f;
}

QuadrantFigure RectRingQuadrant(double hw, double hh, double iso, double s) {
    QuadrantFigure f;
    if (!(iso > 0) || !(s < hw + iso) || !(s < hh + iso))
        return f;
    if (s < hw && s < hh) {
        f.Start(hw, s);
        f.Line(hw + iso, s);
        f.Line(hw + iso, hh + iso);
        f.Line(s, hh + iso);
        f.Line(s, hh);
        f.Line(hw, hh);
        f.Line(hw, s);
    } else {
        // The spoke is as wide as the pad: what is left is a rectangle.
        f.Start(s, s);
        f.Line(hw + iso, s);
        f.Line(hw + iso, hh + iso);
        f.Line(s, hh + iso);
        f.Line(s, s);
    }
    return f;
}

CClipPolygon FlattenedPolygon(GraphicsPath& path) {
    path.Flatten(nullptr, 0.001f);
    CClipPolygon polygon;
    polygon.AddPathFigures(path.Points().data(), path.Types().data(), path.GetPointCount(), 0);
    return polygon;
}

} // namespace

void CPadLayer::GetThermalParameters(float* isolation, float* spoke) const {
    *isolation = 0.3f;
    *spoke = 0.3f;
    if (const CThermalRelief* thermal = GetEffectiveThermalRelief()) {
        *isolation = thermal->m_isolation;
        *spoke = thermal->m_spoke;
    }
}

void CPadLayer::BuildShapePath(GraphicsPath* path, float w, float h) const {
    path->Reset();
    switch (m_shape) {
    case kPadShapeRound:
        path->AddEllipse(-w / 2, -h / 2, w, h);
        break;
    case kPadShapeOblong:
        path->StartFigure();
        if (h > w) {
            path->AddArc(-w / 2, -h / 2, w, w, 180, 180);
            path->AddLine(w / 2, (w - h) / 2, w / 2, (h - w) / 2);
            path->AddArc(-w / 2, h / 2 - w, w, w, 0, 180);
            path->AddLine(-w / 2, (h - w) / 2, -w / 2, (w - h) / 2);
        } else {
            path->AddArc(-w / 2, -h / 2, h, h, 90, 180);
            path->AddLine((h - w) / 2, -h / 2, (w - h) / 2, -h / 2);
            path->AddArc(w / 2 - h, -h / 2, h, h, 270, 180);
            path->AddLine((w - h) / 2, h / 2, (h - w) / 2, h / 2);
        }
        path->CloseFigure();
        break;
    case kPadShapeRect:
        path->AddRectangle(RectF{-w / 2, -h / 2, w, h});
        break;
    case kPadShapeCustom:
        if (m_outline)
            path->AddPath(m_outline->GetOutlinePath(), false);
        break;
    default:
        break;
    }
}

void CPadLayer::BuildPath(GraphicsPath* path, float margin) const {
    BuildGrownPath(path, margin, false);
}

void CPadLayer::BuildClearancePath(GraphicsPath* path, float margin) const {
    BuildGrownPath(path, margin, true);
}

void CPadLayer::BuildGrownPath(GraphicsPath* path, float margin, bool outward) const {
    switch (m_shape) {
    case kPadShapeRound:
    case kPadShapeOblong:
    case kPadShapeRect:
        BuildShapePath(path, m_width + 2 * margin, m_height + 2 * margin);
        break;
    case kPadShapeCustom: {
        path->Reset();
        if (!m_outline)
            break;
        CAreaNode* grown = OffsetAreaOutline(m_outline, margin);
        GraphicsPath figure;
        grown->FillOutlinePath(&figure);
        DeleteAreaOutline(grown);
        path->AddPath(&figure, false);
        if (outward)
            MergePathFiguresOutward(path, 0.001f);
        else
            MergePathFigures(path, 0.001f);
        break;
    }
    default:
        break;
    }
}

void CPadLayer::BuildThermalPath(GraphicsPath* path) const {
    path->Reset();
    float isoF = 0, spokeF = 0;
    GetThermalParameters(&isoF, &spokeF);
    const double iso = isoF, s = spokeF / 2.0;
    const double w = m_width, h = m_height;
    switch (m_shape) {
    case kPadShapeRound: {
        const double r = w / 2;
        EmitFourQuadrants(path, RoundRingQuadrant(r, r + iso, s));
        break;
    }
    case kPadShapeOblong:
        if (h > w) {
            const double r = w / 2;
            QuadrantFigure f = LyingRingQuadrant((h - w) / 2, r, r + iso, s);
            f.Swap();
            EmitFourQuadrants(path, f);
        } else {
            const double r = h / 2;
            EmitFourQuadrants(path, LyingRingQuadrant((w - h) / 2, r, r + iso, s));
        }
        break;
    case kPadShapeRect:
        EmitFourQuadrants(path, RectRingQuadrant(w / 2, h / 2, iso, s));
        break;
    case kPadShapeCustom: {
        if (!m_outline)
            break;
        // The ring is the pad grown by the isolation less the pad; each
        // quadrant beyond the half spoke is one or more closed figures.
        GraphicsPath outerPath, innerPath;
        BuildClearancePath(&outerPath, isoF);
        m_outline->FillOutlinePath(&innerPath);
        const CClipPolygon outer = FlattenedPolygon(outerPath);
        const CClipPolygon inner = FlattenedPolygon(innerPath);
        CClipPolygon ring;
        ring.Clip(CLIP_DIFFERENCE, outer, inner);
        RectF b;
        outerPath.GetBounds(&b);
        const float far = 1 + std::max({std::fabs(b.X), std::fabs(b.Y), std::fabs(b.X + b.Width),
                                        std::fabs(b.Y + b.Height)});
        const float sf = static_cast<float>(s);
        const float quadrants[4][2] = {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}};
        for (const auto& q : quadrants) {
            const float x0 = q[0] > 0 ? sf : -far, x1 = q[0] > 0 ? far : -sf;
            const float y0 = q[1] > 0 ? sf : -far, y1 = q[1] > 0 ? far : -sf;
            if (!(x0 < x1) || !(y0 < y1))
                continue;
            const PointF box[4] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
            CClipPolygon quadrant;
            quadrant.AddContour(box, 4, 0);
            CClipPolygon piece;
            piece.Clip(CLIP_INTERSECTION, ring, quadrant);
            for (const CClipContour& contour : piece.Contours()) {
                if (contour.GetVertexCount() < 3)
                    continue;
                path->StartFigure();
                path->AddLines(contour.GetVertices(), contour.GetVertexCount());
                path->CloseFigure();
            }
        }
        break;
    }
    default:
        break;
    }
}

void CPadLayer::BuildPlaneClearancePath(GraphicsPath* path) const {
    const CTreeNode* parent = GetParent();
    if (parent && parent->GetType() == NodeType::Padstack)
        if (const CPadLayer* plane =
                static_cast<const CPadstack*>(parent)->FindPadLayer(kPadLayerPlane)) {
            plane->BuildShapePath(path, plane->m_width, plane->m_height);
            return;
        }
    float iso = 0, spoke = 0;
    GetThermalParameters(&iso, &spoke);
    BuildPath(path, iso);
}
