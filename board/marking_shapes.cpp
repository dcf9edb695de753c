#include "board/marking_shapes.h"

#include "board/board_undo_records.h"
#include "board/marking_token.h"
#include "core/model_services.h"
#include "core/vorpel_view.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "platform/pen.h"

#include <algorithm>
#include <cmath>

namespace {

// "%f,%f,%f,%fW%f" into two points and a width.
void ScanTwoPoints(const wchar_t* rest, PointF* p1, PointF* p2, float* width) {
    MarkingScanner s(rest);
    s.Float(&p1->X) && s.Literal(L',') && s.Float(&p1->Y) && s.Literal(L',') && s.Float(&p2->X) &&
        s.Literal(L',') && s.Float(&p2->Y) && s.Literal(L'W') && s.Float(width);
}

std::wstring Numbers(std::initializer_list<float> values, int digits) {
    std::wstring out;
    for (float v : values) {
        if (!out.empty())
            out += L',';
        out += MarkingNumber(v, digits);
    }
    return out;
}

} // namespace

bool BoundsOfPoints(const PointF* points, int count, float margin, RectF* bounds) {
    if (count < 1)
        return false;
    float x0 = points[0].X, y0 = points[0].Y, x1 = x0, y1 = y0;
    for (int i = 1; i < count; ++i) {
        x0 = std::min(x0, points[i].X);
        y0 = std::min(y0, points[i].Y);
        x1 = std::max(x1, points[i].X);
        y1 = std::max(y1, points[i].Y);
    }
    *bounds = RectF{x0 - margin, y0 - margin, x1 - x0 + 2 * margin, y1 - y0 + 2 * margin};
    return true;
}

// --- Line --------------------------------------------------------------------

CMarkingLine::CMarkingLine(CMarking* marking, const wchar_t* rest) : CMarkingPrimitive(marking) {
    ScanTwoPoints(rest, &m_p1, &m_p2, &m_width);
}

void CMarkingLine::CopyFrom(const CMarkingPrimitive* other) {
    auto* o = static_cast<const CMarkingLine*>(other);
    m_p1 = o->m_p1;
    m_p2 = o->m_p2;
    m_width = o->m_width;
}

std::wstring CMarkingLine::ToString() const {
    return L"L" + Numbers({m_p1.X, m_p1.Y, m_p2.X, m_p2.Y}, 5) + L"W" + MarkingNumber(m_width, 5);
}

void CMarkingLine::Draw(Graphics* g, int flags) {
    Pen pen = OutlinePen();
    g->DrawLine(&pen, m_p1, m_p2);
    DrawHandles(g, flags);
}

bool CMarkingLine::GetBounds(Graphics*, RectF* b) {
    const float w = m_width;
    b->X = std::min(m_p1.X, m_p2.X) - w;
    b->Y = std::min(m_p1.Y, m_p2.Y) - w;
    b->Width = std::max(m_p1.X, m_p2.X) + w - b->X;
    b->Height = std::max(m_p1.Y, m_p2.Y) + w - b->Y;
    return true;
}

bool CMarkingLine::HitTest(Graphics*, float x, float y) {
    return SegmentHit(m_p1, m_p2, x, y);
}

bool CMarkingLine::MouseUp(Graphics* g, int flags, float x, float y) {
    CMarkingPrimitive::MouseUp(g, flags, x, y);
    m_dragged = 0;
    return false;
}

int CMarkingLine::PropertyUnit() const {
    const int unit = GetActiveViewUnit();
    return unit >= 0 ? unit : kUnitMm;
}

std::vector<CMarkingPrimitive::Row> CMarkingLine::PropertyRows() const {
    return {{RowField::P1}, {RowField::P2}, {RowField::Width}};
}

PointF* CMarkingLine::PointOfRow(const Row& row) {
    return row.field == RowField::P1 ? &m_p1 : row.field == RowField::P2 ? &m_p2 : nullptr;
}

bool CMarkingLine::CreationDown(int, PointF p) {
    if (m_state == 0) {
        m_p1 = m_p2 = p;
        m_selected = true;
        m_state = 1;
        return false;
    }
    if (m_state == 1) {
        m_p2 = p;
        return Finish();
    }
    return false;
}

bool CMarkingLine::CreationMove(int, PointF p) {
    if (m_state != 1)
        return false;
    m_p2 = p;
    return true;
}

// --- Rectangle and circle ------------------------------------------------------

CMarkingBoxShape::CMarkingBoxShape(CMarking* marking, const wchar_t* rest)
    : CMarkingPrimitive(marking) {
    if (*rest == L'F') {
        m_filled = true;
        ++rest;
    }
    ScanTwoPoints(rest, &m_p1, &m_p2, &m_width);
}

void CMarkingBoxShape::CopyFrom(const CMarkingPrimitive* other) {
    auto* o = static_cast<const CMarkingBoxShape*>(other);
    m_p1 = o->m_p1;
    m_p2 = o->m_p2;
    m_filled = o->m_filled;
    m_width = o->m_width;
}

std::wstring CMarkingBoxShape::Token(const wchar_t* tag) const {
    return std::wstring(tag) + (m_filled ? L"F" : L"") +
           Numbers({m_p1.X, m_p1.Y, m_p2.X, m_p2.Y}, 6) + L"W" + MarkingNumber(m_width);
}

bool CMarkingBoxShape::IsDegenerate() const {
    return std::fabs(m_p1.X - m_p2.X) < 0.0001f && std::fabs(m_p1.Y - m_p2.Y) < 0.0001f;
}

RectF CMarkingBoxShape::Box() const {
    return RectF{std::min(m_p1.X, m_p2.X), std::min(m_p1.Y, m_p2.Y), std::fabs(m_p1.X - m_p2.X),
                 std::fabs(m_p1.Y - m_p2.Y)};
}

bool CMarkingBoxShape::GetBounds(Graphics*, RectF* b) {
    const float w = m_width;
    b->X = std::min(m_p1.X, m_p2.X) - w;
    b->Y = std::min(m_p1.Y, m_p2.Y) - w;
    b->Width = std::max(m_p1.X, m_p2.X) + w - b->X;
    b->Height = std::max(m_p1.Y, m_p2.Y) + w - b->Y;
    return true;
}

bool CMarkingBoxShape::HitTest(Graphics*, float x, float y) {
    if (m_filled) {
        const RectF r = Box();
        return r.X <= x && x < r.X + r.Width && r.Y <= y && y < r.Y + r.Height;
    }
    const PointF a = m_p1, b = m_p2;
    return SegmentHit(a, PointF{a.X, b.Y}, x, y) || SegmentHit(a, PointF{b.X, a.Y}, x, y) ||
           SegmentHit(PointF{a.X, b.Y}, b, x, y) || SegmentHit(PointF{b.X, a.Y}, b, x, y);
}

std::vector<CMarkingPrimitive::Row> CMarkingBoxShape::PropertyRows() const {
    std::vector<Row> rows{{RowField::P1}, {RowField::P2}};
    const int layer = GetLayer();
    if (layer != 30 && layer != 31)
        rows.push_back({RowField::Filled});
    if (!m_filled)
        rows.push_back({RowField::Width});
    return rows;
}

PointF* CMarkingBoxShape::PointOfRow(const Row& row) {
    return row.field == RowField::P1 ? &m_p1 : row.field == RowField::P2 ? &m_p2 : nullptr;
}

void CMarkingBoxShape::SetSecondCorner(int flags, PointF p) {
    m_p2 = p;
    if (!(flags & kMouseShift))
        return;
    const float w = std::fabs(m_p2.X - m_p1.X), h = std::fabs(m_p2.Y - m_p1.Y);
    if (w > h)
        m_p2.Y = m_p2.Y < m_p1.Y ? m_p1.Y - w : m_p1.Y + w;
    else
        m_p2.X = m_p2.X < m_p1.X ? m_p1.X - h : m_p1.X + h;
}

bool CMarkingBoxShape::CreationDown(int flags, PointF p) {
    if (m_state == 0) {
        m_p1 = p;
        m_state = 1;
        return false;
    }
    if (m_state == 1) {
        SetSecondCorner(flags, p);
        return Finish();
    }
    return false;
}

bool CMarkingBoxShape::CreationMove(int flags, PointF p) {
    if (m_state != 1)
        return false;
    SetSecondCorner(flags, p);
    return true;
}

void CMarkingRect::Draw(Graphics* g, int flags) {
    if (!IsDegenerate()) {
        if (m_filled) {
            SolidBrush brush(DrawColor());
            g->FillRectangle(&brush, Box());
        } else {
            Pen pen = OutlinePen();
            const PointF a = m_p1, b = m_p2;
            g->DrawLine(&pen, a.X, a.Y, a.X, b.Y);
            g->DrawLine(&pen, a.X, b.Y, b.X, b.Y);
            g->DrawLine(&pen, b.X, b.Y, b.X, a.Y);
            g->DrawLine(&pen, b.X, a.Y, a.X, a.Y);
        }
    }
    DrawHandles(g, flags);
}

void CMarkingCircle::Draw(Graphics* g, int flags) {
    if (!IsDegenerate()) {
        if (m_filled) {
            SolidBrush brush(DrawColor());
            g->FillEllipse(&brush, Box());
        } else {
            Pen pen = OutlinePen();
            g->DrawEllipse(&pen, Box());
        }
    }
    DrawHandles(g, flags);
}

// --- Polygon -------------------------------------------------------------------

CMarkingPolygon::CMarkingPolygon(CMarking* marking, const wchar_t* rest)
    : CMarkingPrimitive(marking) {
    if (*rest == L'F') {
        m_filled = true;
        ++rest;
    } else if (*rest == L'C') {
        m_closed = true;
        ++rest;
    } else {
        m_closed = false;
    }
    const std::wstring s(rest);
    // Pairs "x,y" separated by commas; the last y runs up to the W.
    size_t pos = 0;
    for (;;) {
        const size_t xEnd = s.find(L',', pos);
        if (xEnd == std::wstring::npos)
            break; // an x without its comma: nothing more to read
        float x = 0, y = 0;
        MarkingScanner sx(s.c_str() + pos);
        if (!sx.Float(&x) || sx.Position() > s.c_str() + xEnd)
            break;
        const size_t yStart = xEnd + 1;
        const size_t yEnd = s.find(L',', yStart);
        MarkingScanner sy(s.c_str() + yStart);
        if (!sy.Float(&y) || (yEnd != std::wstring::npos && sy.Position() > s.c_str() + yEnd))
            break;
        m_vertices.push_back(PointF{x, y});
        if (yEnd == std::wstring::npos)
            break;
        pos = yEnd + 1;
    }
    const size_t w = s.find(L'W');
    if (w != std::wstring::npos) {
        MarkingScanner sw(s.c_str() + w + 1);
        sw.Float(&m_width);
    }
}

void CMarkingPolygon::CopyFrom(const CMarkingPrimitive* other) {
    auto* o = static_cast<const CMarkingPolygon*>(other);
    if (o != this)
        m_vertices = o->m_vertices;
    m_filled = o->m_filled;
    m_closed = o->m_closed;
    m_width = o->m_width;
}

std::wstring CMarkingPolygon::ToString() const {
    if (m_vertices.size() < 2)
        return std::wstring();
    std::wstring out = L"POLY";
    if (m_filled)
        out += L'F';
    else if (m_closed)
        out += L'C';
    for (size_t i = 0; i < m_vertices.size(); ++i) {
        if (i)
            out += L',';
        out += MarkingNumber(m_vertices[i].X) + L',' + MarkingNumber(m_vertices[i].Y);
    }
    return out + L"W" + MarkingNumber(m_width);
}

void CMarkingPolygon::Draw(Graphics* g, int flags) {
    const int n = VertexCount();
    if (n > 0) {
        if (m_filled) {
            SolidBrush brush(DrawColor());
            g->FillPolygon(&brush, m_vertices.data(), n, FillModeAlternate);
        } else {
            Pen pen = OutlinePen();
            for (int i = 0; i + 1 < n; ++i)
                g->DrawLine(&pen, m_vertices[static_cast<size_t>(i)],
                            m_vertices[static_cast<size_t>(i) + 1]);
            if (m_closed)
                g->DrawLine(&pen, m_vertices.back(), m_vertices.front());
        }
    }
    DrawHandles(g, flags);
}

bool CMarkingPolygon::GetBounds(Graphics*, RectF* bounds) {
    if (m_vertices.size() < 2)
        return false;
    return BoundsOfPoints(m_vertices.data(), VertexCount(), m_width, bounds);
}

bool CMarkingPolygon::HitTest(Graphics* g, float x, float y) {
    const size_t n = m_vertices.size();
    if (n == 0)
        return false;
    if (m_filled) {
        GraphicsPath path(FillModeAlternate);
        path.AddPolygon(m_vertices.data(), static_cast<int>(n));
        return path.IsVisible(x, y, g);
    }
    for (size_t i = 0; i < n; ++i)
        if (SegmentHit(m_vertices[i], m_vertices[(i + 1) % n], x, y))
            return true;
    return false;
}

std::vector<CMarkingPrimitive::Row> CMarkingPolygon::PropertyRows() const {
    std::vector<Row> rows;
    for (int i = 0; i < VertexCount(); ++i)
        rows.push_back({RowField::Vertex, i});
    const int layer = GetLayer();
    if (layer != 30 && layer != 31)
        rows.push_back({RowField::Filled});
    if (!m_filled) {
        rows.push_back({RowField::Closed});
        rows.push_back({RowField::Width});
    }
    return rows;
}

PointF* CMarkingPolygon::PointOfRow(const Row& row) {
    return row.field == RowField::Vertex ? VertexAt(row.vertex) : nullptr;
}

bool CMarkingPolygon::CreationDown(int, PointF p) {
    if (m_state != 0 && m_state != 1)
        return false;
    const size_t n = m_vertices.size();
    auto near = [](PointF a, PointF b) {
        return std::fabs(a.X - b.X) < 0.001f && std::fabs(a.Y - b.Y) < 0.001f;
    };
    if (n >= 4 && near(p, m_vertices.front())) {
        m_vertices.pop_back();
        return Finish();
    }
    if (n >= 2 && near(m_vertices[n - 1], m_vertices[n - 2]))
        return false;
    // The record holds the polygon before the press, so that its undo takes
    // the new vertex away again.
    PushUndo(new CUndoMarkingPrimitiveChange(this));
    m_vertices.push_back(p);
    if (m_vertices.size() == 1)
        m_vertices.push_back(p);
    RefreshRows();
    m_state = 1;
    return false;
}

bool CMarkingPolygon::CreationMove(int, PointF p) {
    if (m_state != 1 || m_vertices.empty())
        return false;
    m_vertices.back() = p;
    RefreshRows();
    return true;
}

// --- Bezier --------------------------------------------------------------------

CMarkingBezier::CMarkingBezier(CMarking* marking, const wchar_t* rest)
    : CMarkingPrimitive(marking) {
    MarkingScanner s(rest);
    PointF* pts[4] = {&m_p1, &m_c1, &m_c2, &m_p2};
    bool ok = true;
    for (int i = 0; i < 4 && ok; ++i)
        ok = (i == 0 || s.Literal(L',')) && s.Float(&pts[i]->X) && s.Literal(L',') &&
             s.Float(&pts[i]->Y);
    if (ok && s.Literal(L'W'))
        s.Float(&m_width);
}

PointF* CMarkingBezier::VertexAt(int i) {
    switch (i) {
    case 0:
        return &m_p1;
    case 1:
        return &m_c1;
    case 2:
        return &m_c2;
    case 3:
        return &m_p2;
    default:
        return nullptr;
    }
}

void CMarkingBezier::CopyFrom(const CMarkingPrimitive* other) {
    auto* o = static_cast<const CMarkingBezier*>(other);
    m_p1 = o->m_p1;
    m_c1 = o->m_c1;
    m_c2 = o->m_c2;
    m_p2 = o->m_p2;
    m_width = o->m_width;
}

std::wstring CMarkingBezier::ToString() const {
    return L"CRV" + Numbers({m_p1.X, m_p1.Y, m_c1.X, m_c1.Y, m_c2.X, m_c2.Y, m_p2.X, m_p2.Y}, 6) +
           L"W" + MarkingNumber(m_width);
}

void CMarkingBezier::Draw(Graphics* g, int flags) {
    if (HandlesShown(flags)) {
        Pen dashed(DrawColor(), 0.0f);
        dashed.SetDashStyle(DashStyleDash);
        g->DrawLine(&dashed, m_p1, m_c1);
        g->DrawLine(&dashed, m_c2, m_p2);
    }
    Pen pen = OutlinePen();
    g->DrawBezier(&pen, m_p1, m_c1, m_c2, m_p2);
    DrawHandles(g, flags);
}

bool CMarkingBezier::GetBounds(Graphics*, RectF* bounds) {
    const PointF pts[4] = {m_p1, m_c1, m_c2, m_p2};
    return BoundsOfPoints(pts, 4, m_width, bounds);
}

bool CMarkingBezier::HitTest(Graphics*, float x, float y) {
    return SegmentHit(m_p1, m_c1, x, y) || SegmentHit(m_c2, m_p2, x, y);
}

std::vector<CMarkingPrimitive::Row> CMarkingBezier::PropertyRows() const {
    return {{RowField::P1}, {RowField::C1}, {RowField::C2}, {RowField::P2}, {RowField::Width}};
}

PointF* CMarkingBezier::PointOfRow(const Row& row) {
    switch (row.field) {
    case RowField::P1:
        return &m_p1;
    case RowField::C1:
        return &m_c1;
    case RowField::C2:
        return &m_c2;
    case RowField::P2:
        return &m_p2;
    default:
        return nullptr;
    }
}

bool CMarkingBezier::CreationDown(int, PointF p) {
    if (m_state == 0) {
        m_p1 = m_c1 = m_c2 = m_p2 = p;
        m_state = 1;
    } else if (m_state == 2 || m_state == 4) {
        m_state = 3;
    }
    return false;
}

bool CMarkingBezier::CreationMove(int flags, PointF p) {
    switch (m_state) {
    case 1:
        m_c1 = m_c2 = m_p2 = p;
        return true;
    case 2:
        m_c2 = m_p2 = p;
        return true;
    case 3:
        if (!(flags & kMouseLeftButton))
            return false;
        m_c2 = p;
        return true;
    case 4: {
        const PointF d{(p.X - m_p1.X) * 0.25f, (p.Y - m_p1.Y) * 0.25f};
        m_p2 = p;
        m_c1 = PointF{m_p1.X + d.X, m_p1.Y + d.Y};
        m_c2 = PointF{m_p2.X - d.X, m_p2.Y - d.Y};
        return true;
    }
    default:
        return false;
    }
}

bool CMarkingBezier::CreationUp(int, PointF) {
    if (m_state == 1) {
        m_state = m_c1.X == m_p1.X && m_c1.Y == m_p1.Y ? 4 : 2;
        return false;
    }
    if (m_state == 3) {
        m_state = kMarkingIdle;
        if (m_p2.X == m_p1.X && m_p2.Y == m_p1.Y)
            return false;
        return Finish();
    }
    return false;
}
