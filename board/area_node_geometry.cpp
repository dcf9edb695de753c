// The geometric services of outline nodes: piece and outline paths, drawing
// and hit tests of pieces and handles, orientation, directions and offsets.
#include "board/area_node.h"

#include "core/default_settings.h"
#include "core/vorpel_view.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "platform/pen.h"

#include <cmath>
#include <vector>

namespace {

constexpr double kRadToDeg = 57.29578f;
constexpr double kDegToRad = 0.017453292;

struct PointD {
    double x, y;
};

float Normalize(double a) {
    if (a > 180.0)
        a -= 360.0;
    else if (a <= -180.0)
        a += 360.0;
    return static_cast<float>(a);
}

float Direction(double fromX, double fromY, double toX, double toY) {
    return static_cast<float>(std::atan2(toY - fromY, toX - fromX) * kRadToDeg);
}

// Zoom scale of the node's view: k / z model units are k pixels.
double ZoomOf(CVorpelView** view) {
    if (view && *view) {
        const double z = (*view)->GetZoomScale();
        if (z > 0)
            return z;
    }
    return 1.0;
}

// Turns (x, y) about the origin by angle a (radians).
void Turn(double a, double& x, double& y) {
    const double c = std::cos(a), s = std::sin(a);
    const double nx = x * c - y * s, ny = x * s + y * c;
    x = nx;
    y = ny;
}

// Moves a straight piece from (x, y) to (ex, ey) sideways by d: to the
// right of its direction for a positive d.
void OffsetStraight(const CAreaNode& node, CAreaNode* copy, float d) {
    const PointF end = node.GetNextPoint();
    const double theta =
        std::atan2(static_cast<double>(end.Y) - node.m_y, static_cast<double>(end.X) - node.m_x);
    const double mx = d * std::sin(theta), my = -d * std::cos(theta);
    copy->m_x = static_cast<float>(node.m_x + mx);
    copy->m_y = static_cast<float>(node.m_y + my);
    copy->m_pressX = static_cast<float>(end.X + mx);
    copy->m_pressY = static_cast<float>(end.Y + my);
}

void FillSquare(Graphics* g, const Brush& brush, double x, double y, double side) {
    g->FillRectangle(&brush, static_cast<float>(x - side / 2), static_cast<float>(y - side / 2),
                     static_cast<float>(side), static_cast<float>(side));
}

} // namespace

PointF CAreaNode::GetNextPoint() const {
    const CAreaNode* next = GetNextCyclic();
    return PointF{next->m_x, next->m_y};
}

GraphicsPath* CAreaNode::GetPath() const {
    // One path per kind, kept for the program's life.
    static GraphicsPath paths[3];
    GraphicsPath* path = &paths[(m_kind >= 1 && m_kind <= 3) ? m_kind - 1 : 0];
    path->Reset();
    AddPiece(path);
    return path;
}

GraphicsPath* CAreaNode::GetOutlinePath() const {
    static GraphicsPath path;
    FillOutlinePath(&path);
    return &path;
}

void CAreaNode::FillOutlinePath(GraphicsPath* path) const {
    path->Reset();
    path->StartFigure();
    for (const CAreaNode* n = m_first; n; n = n->m_next)
        n->AddPiece(path);
    path->CloseFigure();
}

void CAreaNode::DrawOutline(Graphics* g, ARGB color) const {
    const double z = ZoomOf(m_ppView);
    Pen pen(Color(color), static_cast<float>(3 / z));
    pen.SetStartCap(LineCapRound);
    pen.SetEndCap(LineCapRound);
    for (const CAreaNode* n = m_first; n; n = n->m_next)
        if (!n->m_selectedNode)
            g->DrawPath(&pen, n->GetPath());
    pen.SetColor(Color::FromColorRef(g_DefaultSettings.colorSel, 0xC0));
    for (const CAreaNode* n = m_first; n; n = n->m_next)
        if (n->m_selectedNode) {
            g->DrawPath(&pen, n->GetPath());
            n->DrawHandles(g);
        }
}

void CAreaNode::DrawHandles(Graphics* g) const {
    const double z = ZoomOf(m_ppView);
    SolidBrush brush(Color::FromColorRef(g_DefaultSettings.colorSel));
    const PointF next = GetNextPoint();
    FillSquare(g, brush, m_x, m_y, 4 / z);
    FillSquare(g, brush, next.X, next.Y, 4 / z);
}

bool CAreaNode::HitTest(Graphics* g, float x, float y) const {
    Pen pen(Color(0xFF000000), static_cast<float>(3 / ZoomOf(m_ppView)));
    pen.SetStartCap(LineCapRound);
    pen.SetEndCap(LineCapRound);
    return GetPath()->IsOutlineVisible(x, y, &pen, g);
}

void CAreaNode::GetInvalidRect(Graphics* g, RECT* rect) const {
    RectF b;
    GetPath()->GetBounds(&b);
    const double grow = std::ceil(3 / ZoomOf(m_ppView));
    const double left = std::floor(b.X) - grow, top = std::floor(b.Y) - grow;
    const double right = std::ceil(b.X + b.Width) + grow;
    const double bottom = std::ceil(b.Y + b.Height) + grow;
    *rect =
        WorldRectToDeviceRect(g, static_cast<float>(left), static_cast<float>(top),
                              static_cast<float>(right - left), static_cast<float>(bottom - top));
}

void CAreaNode::Invalidate(Graphics* g) const {
    CVorpelView* view = m_ppView ? *m_ppView : nullptr;
    if (!view)
        return;
    RECT r;
    GetInvalidRect(g, &r);
    view->InvalidateRect(&r, false);
}

// Segment ---------------------------------------------------------------

void CAreaSegment::AddPiece(GraphicsPath* path) const {
    const PointF n = GetNextPoint();
    path->AddLine(m_x, m_y, n.X, n.Y);
}

float CAreaSegment::GetStartDirection() const {
    return Direction(m_x, m_y, m_pressX, m_pressY);
}

float CAreaSegment::GetEndDirection() const {
    return GetStartDirection();
}

CAreaNode* CAreaSegment::CreateOffset(float d) const {
    CAreaNode* copy = Clone();
    OffsetStraight(*this, copy, d);
    return copy;
}

// Arc -------------------------------------------------------------------

void CAreaArc::AddPiece(GraphicsPath* path) const {
    const PointF n = GetNextPoint();
    const float r = std::fabs(m_radius);
    if (IsStraight() || !(r > 0) || !std::isfinite(r)) {
        path->AddLine(m_x, m_y, n.X, n.Y);
        return;
    }
    path->AddArc(m_cx - r, m_cy - r, 2 * r, 2 * r, m_startAngle, GetSweep());
}

void CAreaArc::DrawHandles(Graphics* g) const {
    CAreaNode::DrawHandles(g);
    const double z = ZoomOf(m_ppView);
    const Color color = Color::FromColorRef(g_DefaultSettings.colorSel);
    SolidBrush brush(color);
    FillSquare(g, brush, m_midX, m_midY, 4 / z);
    if (IsStraight())
        return;
    Pen pen(color, static_cast<float>(0.1 / z));
    pen.SetDashStyle(DashStyleDash);
    const PointF n = GetNextPoint();
    g->DrawLine(&pen, m_cx, m_cy, m_x, m_y);
    g->DrawLine(&pen, m_cx, m_cy, n.X, n.Y);
    g->DrawLine(&pen, m_cx, m_cy, m_midX, m_midY);
}

float CAreaArc::GetStartDirection() const {
    if (IsStraight())
        return Direction(m_x, m_y, m_pressX, m_pressY);
    return Normalize(m_startAngle + (m_deviation > 0 ? 90.0 : -90.0));
}

float CAreaArc::GetEndDirection() const {
    if (IsStraight())
        return Direction(m_x, m_y, m_pressX, m_pressY);
    return Normalize(m_endAngle + (m_deviation > 0 ? 90.0 : -90.0));
}

CAreaNode* CAreaArc::CreateOffset(float d) const {
    auto* copy = static_cast<CAreaArc*>(Clone());
    if (IsStraight()) {
        OffsetStraight(*this, copy, d);
        return copy;
    }
    const double r = static_cast<double>(m_radius) + d;
    const double big = std::fabs(r);
    const double a1 = m_startAngle * kDegToRad, a2 = m_endAngle * kDegToRad;
    const double sx = m_cx + big * std::cos(a1), sy = m_cy + big * std::sin(a1);
    const double ex = m_cx + big * std::cos(a2), ey = m_cy + big * std::sin(a2);
    const double mid = Normalize(m_startAngle + GetSweep() * 0.5) * kDegToRad;
    const double mx = m_cx + big * std::cos(mid), my = m_cy + big * std::sin(mid);
    copy->m_x = static_cast<float>(sx);
    copy->m_y = static_cast<float>(sy);
    copy->m_pressX = static_cast<float>(ex);
    copy->m_pressY = static_cast<float>(ey);
    copy->m_radius = static_cast<float>(r);
    copy->m_midX = static_cast<float>(mx);
    copy->m_midY = static_cast<float>(my);
    // Chord frame of the moved piece and its deviation.
    const double phi = std::atan2(ex - sx, ey - sy);
    double x1 = sx, y1 = sy, x2 = ex, y2 = ey, xm = mx, ym = my;
    Turn(phi, x1, y1);
    Turn(phi, x2, y2);
    Turn(phi, xm, ym);
    copy->m_chordAngle = static_cast<float>(phi);
    copy->m_x1 = static_cast<float>(x1);
    copy->m_y1 = static_cast<float>(y1);
    copy->m_x2 = static_cast<float>(x2);
    copy->m_y2 = static_cast<float>(y2);
    copy->m_deviation = static_cast<float>(xm - x1);
    return copy;
}

// Bezier ----------------------------------------------------------------

void CAreaBezier::AddPiece(GraphicsPath* path) const {
    const PointF n = GetNextPoint();
    path->AddBezier(m_x, m_y, m_c1x, m_c1y, m_c2x, m_c2y, n.X, n.Y);
}

void CAreaBezier::DrawHandles(Graphics* g) const {
    CAreaNode::DrawHandles(g);
    const double z = ZoomOf(m_ppView);
    const Color color = Color::FromColorRef(g_DefaultSettings.colorSel);
    SolidBrush brush(color);
    FillSquare(g, brush, m_c1x, m_c1y, 4 / z);
    FillSquare(g, brush, m_c2x, m_c2y, 4 / z);
    Pen pen(color, static_cast<float>(0.1 / z));
    pen.SetDashStyle(DashStyleDash);
    const PointF n = GetNextPoint();
    g->DrawLine(&pen, m_x, m_y, m_c1x, m_c1y);
    g->DrawLine(&pen, n.X, n.Y, m_c2x, m_c2y);
}

float CAreaBezier::GetStartDirection() const {
    return Direction(m_x, m_y, m_c1x, m_c1y);
}

float CAreaBezier::GetEndDirection() const {
    return Direction(m_c2x, m_c2y, m_pressX, m_pressY);
}

CAreaNode* CAreaBezier::CreateOffset(float d) const {
    auto* copy = static_cast<CAreaBezier*>(Clone());
    const PointF n = GetNextPoint();
    // Each leg moves sideways by d; its control point also moves by d along
    // the leg, away from the side where the other end lies (measured from
    // the leg's own line, so the result does not depend on where the curve
    // lies).
    double px = m_x, py = m_y, c1x = m_c1x, c1y = m_c1y;
    double c2x = m_c2x, c2y = m_c2y, ex = n.X, ey = n.Y;
    {
        const double t1 = std::atan2(c1y - py, c1x - px);
        double ux = ex - px, uy = ey - py;
        Turn(-t1, ux, uy);
        const double along = uy <= 0 ? -d : d;
        double qx = c1x - px, qy = c1y - py;
        Turn(-t1, qx, qy);
        qx += along;
        qy -= d;
        Turn(t1, qx, qy);
        double sx = 0, sy = -d;
        Turn(t1, sx, sy);
        c1x = px + qx;
        c1y = py + qy;
        px += sx;
        py += sy;
    }
    {
        const double t2 = std::atan2(ey - c2y, ex - c2x);
        double ux = px - ex, uy = py - ey;
        Turn(-t2, ux, uy);
        const double along = uy <= 0 ? d : -d;
        double qx = c2x - ex, qy = c2y - ey;
        Turn(-t2, qx, qy);
        qx += along;
        qy -= d;
        Turn(t2, qx, qy);
        double sx = 0, sy = -d;
        Turn(t2, sx, sy);
        c2x = ex + qx;
        c2y = ey + qy;
        ex += sx;
        ey += sy;
    }
    copy->m_x = static_cast<float>(px);
    copy->m_y = static_cast<float>(py);
    copy->m_c1x = static_cast<float>(c1x);
    copy->m_c1y = static_cast<float>(c1y);
    copy->m_c2x = static_cast<float>(c2x);
    copy->m_c2y = static_cast<float>(c2y);
    copy->m_pressX = static_cast<float>(ex);
    copy->m_pressY = static_cast<float>(ey);
    return copy;
}

// Outline operations ----------------------------------------------------

GraphicsPath* FillAreaOutline(const CAreaNode* node, Graphics* g, const Brush* brush) {
    if (!node)
        return nullptr;
    GraphicsPath* path = node->GetOutlinePath();
    g->FillPath(brush, path);
    return path;
}

bool IsOutlineClockwise(const CAreaNode* node) {
    if (!node)
        return false;
    // Vertices relative to the first point, so that an outline far from the
    // origin sums the same small numbers as one near it.
    const double ox = node->m_first->m_x, oy = node->m_first->m_y;
    std::vector<PointD> pts;
    for (const CAreaNode* n = node->m_first; n; n = n->m_next) {
        pts.push_back({n->m_x - ox, n->m_y - oy});
        if (n->m_kind == AREA_ARC) {
            const auto* arc = static_cast<const CAreaArc*>(n);
            if (arc->IsStraight())
                continue;
            const PointF e = n->GetNextPoint();
            const double dx = static_cast<double>(e.X) - n->m_x;
            const double dy = static_cast<double>(e.Y) - n->m_y;
            const double len = std::hypot(dx, dy);
            if (!(len > 0))
                continue;
            // The mid-arc point, on the side of (dy, -dx) for a positive
            // deviation.
            const double d = arc->m_deviation;
            pts.push_back({(n->m_x + e.X) * 0.5 - ox + d * dy / len,
                           (n->m_y + e.Y) * 0.5 - oy - d * dx / len});
        } else if (n->m_kind == AREA_BEZIER) {
            const auto* curve = static_cast<const CAreaBezier*>(n);
            pts.push_back({curve->m_c1x - ox, curve->m_c1y - oy});
            pts.push_back({curve->m_c2x - ox, curve->m_c2y - oy});
        }
    }
    double area = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        const PointD& a = pts[i];
        const PointD& b = pts[(i + 1) % pts.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area < 0;
}

CAreaNode* OffsetAreaOutline(const CAreaNode* node, float g) {
    if (!node)
        return nullptr;
    const float d = IsOutlineClockwise(node) ? -g : g;
    struct Piece {
        CAreaNode* piece;
        const CAreaNode* source;
    };
    std::vector<Piece> pieces;
    OutlineChain chain;
    for (const CAreaNode* n = node->m_first; n; n = n->m_next) {
        CAreaNode* p = n->CreateOffset(d);
        chain.Append(p);
        pieces.push_back({p, n});
    }
    CAreaNode* head = chain.Finish();
    for (const Piece& item : pieces) {
        CAreaNode* p = item.piece;
        CAreaNode* following = p->GetNextCyclic();
        if (following == p)
            break;
        const double e = p->GetEndDirection();
        const double b = following->GetStartDirection();
        const double turn = Normalize(b - e);
        if (std::fabs(turn) < 3)
            continue;
        const double endX = p->m_pressX, endY = p->m_pressY;
        if ((turn > 0 && d <= 0) || (turn <= 0 && d > 0)) {
            // The two offset pieces overlap: both end where their tangent
            // lines meet.
            const double ux = std::cos(e * kDegToRad), uy = std::sin(e * kDegToRad);
            const double vx = std::cos(b * kDegToRad), vy = std::sin(b * kDegToRad);
            const double cross = ux * vy - uy * vx;
            const double wx = following->m_x - endX, wy = following->m_y - endY;
            const double t = (wx * vy - wy * vx) / cross;
            following->m_x = static_cast<float>(endX + t * ux);
            following->m_y = static_cast<float>(endY + t * uy);
        } else {
            // A gap between the pieces: an arc about the source corner.
            const PointF corner = item.source->GetNextPoint();
            auto* arc =
                new CAreaArc(node->m_ppView, static_cast<float>(endX), static_cast<float>(endY));
            arc->m_cx = corner.X;
            arc->m_cy = corner.Y;
            arc->m_radius = d;
            p->InsertAfter(arc);
            arc->SetFromCentre();
            arc->m_pressX = following->m_x;
            arc->m_pressY = following->m_y;
        }
    }
    return head;
}
