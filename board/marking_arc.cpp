#include "board/marking_arc.h"

#include "board/marking_token.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "platform/pen.h"

#include <algorithm>
#include <cmath>

CMarkingArc::CMarkingArc(CMarking* marking, const wchar_t* rest) : CMarkingPrimitive(marking) {
    if (*rest == L'F') {
        m_filled = true;
        ++rest;
    } else if (*rest == L'C') {
        m_closed = true;
        ++rest;
    } else {
        m_closed = false;
    }
    MarkingScanner s(rest);
    PointF* pts[4] = {&m_p1, &m_p2, &m_start, &m_end};
    bool ok = true;
    for (int i = 0; i < 4 && ok; ++i)
        ok = (i == 0 || s.Literal(L',')) && s.Float(&pts[i]->X) && s.Literal(L',') &&
             s.Float(&pts[i]->Y);
    if (ok && s.Literal(L'W'))
        s.Float(&m_width);
}

PointF* CMarkingArc::VertexAt(int i) {
    switch (i) {
    case 0:
        return &m_p1;
    case 1:
        return &m_p2;
    case 2:
        return &m_start;
    case 3:
        return &m_end;
    default:
        return nullptr;
    }
}

void CMarkingArc::CopyFrom(const CMarkingPrimitive* other) {
    auto* o = static_cast<const CMarkingArc*>(other);
    m_p1 = o->m_p1;
    m_p2 = o->m_p2;
    m_start = o->m_start;
    m_end = o->m_end;
    m_filled = o->m_filled;
    m_closed = o->m_closed;
    m_width = o->m_width;
}

std::wstring CMarkingArc::ToString() const {
    std::wstring out = L"ARC";
    if (m_filled)
        out += L'F';
    else if (m_closed)
        out += L'C';
    const float v[8] = {m_p1.X, m_p1.Y, m_p2.X, m_p2.Y, m_start.X, m_start.Y, m_end.X, m_end.Y};
    for (int i = 0; i < 8; ++i) {
        if (i)
            out += L',';
        out += MarkingNumber(v[i]);
    }
    return out + L"W" + MarkingNumber(m_width);
}

void CMarkingArc::TransformByKey(wchar_t key, bool shift) {
    CMarkingPrimitive::TransformByKey(key, shift);
    if (key == L'H' || key == L'V')
        std::swap(m_start, m_end);
}

RectF CMarkingArc::Box() const {
    return RectF{std::min(m_p1.X, m_p2.X), std::min(m_p1.Y, m_p2.Y), std::fabs(m_p1.X - m_p2.X),
                 std::fabs(m_p1.Y - m_p2.Y)};
}

PointF CMarkingArc::Centre() const {
    const RectF b = Box();
    return PointF{b.X + b.Width * 0.5f, b.Y + b.Height * 0.5f};
}

void CMarkingArc::Angles(float* start, float* sweep) const {
    const PointF c = Centre();
    const float a = static_cast<float>(std::atan2(m_start.Y - c.Y, m_start.X - c.X) * 57.29578);
    float s = static_cast<float>(std::atan2(m_end.Y - c.Y, m_end.X - c.X) * 57.29578) - a;
    if (s < 0)
        s += 360;
    *start = a;
    *sweep = s;
}

void CMarkingArc::Draw(Graphics* g, int flags) {
    const RectF box = Box();
    const PointF c = Centre();
    // A box without area has no ellipse to take a piece of.
    const bool hasEllipse = box.Width > 0 && box.Height > 0;
    if (m_state == 1 || m_state == 2) {
        Pen pen = OutlinePen();
        if (hasEllipse)
            g->DrawEllipse(&pen, box);
    } else {
        float a = 0, sweep = 0;
        Angles(&a, &sweep);
        // Both directions on one ray: an empty arc, nothing to draw.
        if (hasEllipse && sweep != 0) {
            if (m_filled) {
                GraphicsPath path;
                path.AddArc(box, a, sweep);
                path.CloseFigure();
                SolidBrush brush(DrawColor());
                g->FillPath(&brush, &path);
            } else {
                Pen pen = OutlinePen();
                if (m_closed) {
                    GraphicsPath path;
                    path.AddArc(box, a, sweep);
                    path.CloseFigure();
                    PathData data;
                    path.GetPathData(&data);
                    if (data.Count > 1)
                        g->DrawLine(&pen, data.Points.front(), data.Points.back());
                }
                g->DrawArc(&pen, box, a, sweep);
            }
        }
    }
    if (HandlesShown(flags)) {
        Pen dashed(DrawColor(), 0.0f);
        dashed.SetDashStyle(DashStyleDash);
        g->DrawLine(&dashed, c, m_start);
        if (m_state != 2)
            g->DrawLine(&dashed, c, m_end);
        DrawHandles(g, flags);
    }
}

bool CMarkingArc::GetBounds(Graphics*, RectF* b) {
    const float w = m_width;
    b->X = std::min(m_p1.X, m_p2.X) - w;
    b->Y = std::min(m_p1.Y, m_p2.Y) - w;
    b->Width = std::max(m_p1.X, m_p2.X) + w - b->X;
    b->Height = std::max(m_p1.Y, m_p2.Y) + w - b->Y;
    return true;
}

bool CMarkingArc::HitTest(Graphics* g, float x, float y) {
    const PointF c = Centre();
    if (m_filled) {
        const RectF box = Box();
        float a = 0, sweep = 0;
        Angles(&a, &sweep);
        if (!(box.Width > 0 && box.Height > 0) || sweep == 0)
            return false;
        GraphicsPath pie;
        pie.AddPie(box, a, sweep);
        return pie.IsVisible(x, y, g);
    }
    const double r = (std::fabs(m_p1.Y - c.Y) + std::fabs(m_p1.X - c.X)) * 0.5;
    return std::fabs(std::hypot(x - c.X, y - c.Y) - r) < 5.0 / ActiveZoomScale();
}

std::vector<CMarkingPrimitive::Row> CMarkingArc::PropertyRows() const {
    std::vector<Row> rows{
        {RowField::P1}, {RowField::P2}, {RowField::Start}, {RowField::End}, {RowField::Filled}};
    if (!m_filled) {
        rows.push_back({RowField::Closed});
        rows.push_back({RowField::Width});
    }
    return rows;
}

PointF* CMarkingArc::PointOfRow(const Row& row) {
    switch (row.field) {
    case RowField::P1:
        return &m_p1;
    case RowField::P2:
        return &m_p2;
    case RowField::Start:
        return &m_start;
    case RowField::End:
        return &m_end;
    default:
        return nullptr;
    }
}

bool CMarkingArc::CreationDown(int, PointF p) {
    switch (m_state) {
    case 0:
        m_p1 = m_p2 = p;
        m_state = 1;
        return false;
    case 1:
        m_p2 = m_start = p;
        m_state = 2;
        return false;
    case 2:
        m_start = m_end = p;
        m_state = 3;
        return false;
    case 3:
        m_end = p;
        return Finish();
    default:
        return false;
    }
}

bool CMarkingArc::CreationMove(int, PointF p) {
    switch (m_state) {
    case 1:
        m_p2 = p;
        return true;
    case 2:
        m_start = m_end = p;
        return true;
    case 3:
        m_end = p;
        return true;
    default:
        return false;
    }
}
