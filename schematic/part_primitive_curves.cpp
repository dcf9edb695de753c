#include "schematic/part_primitive_curves.h"

#include "core/default_settings.h"
#include "platform/device_context.h"
#include "schematic/part_primitive_token.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
constexpr double kPi = 3.14159265358979323846;

bool AnyPointIn(std::initializer_list<POINT> points, const RECT& rect) {
    RECT r = PartGeometry::Normalized(rect);
    for (const POINT& p : points)
        if (PartGeometry::PointInRect(p, r))
            return true;
    return false;
}

POINT Midpoint(POINT a, POINT b) {
    return POINT{static_cast<int>((static_cast<int64_t>(a.x) + b.x) / 2),
                 static_cast<int>((static_cast<int64_t>(a.y) + b.y) / 2)};
}

bool ConstructionState(int state) {
    return state > 0;
}
} // namespace

// --- Arc -------------------------------------------------------------------------

CPartArc::CPartArc(CTreeNode* owner, const std::wstring& rest) : CPartPrimitive(owner) {
    int v[8] = {};
    const wchar_t* p = rest.c_str();
    PartToken::ScanInts(p, v, 8);
    p1 = {v[0], v[1]};
    p2 = {v[2], v[3]};
    start = {v[4], v[5]};
    end = {v[6], v[7]};
}

CPartPrimitive* CPartArc::Clone(CTreeNode* newOwner) const {
    auto* copy = new CPartArc(newOwner);
    copy->CopyBaseFrom(*this, newOwner);
    copy->CopyFrom(*this);
    return copy;
}

void CPartArc::CopyFrom(const CPartPrimitive& other) {
    if (auto* o = dynamic_cast<const CPartArc*>(&other)) {
        p1 = o->p1;
        p2 = o->p2;
        start = o->start;
        end = o->end;
    }
}

bool CPartArc::IsDifferent(const CPartPrimitive& other) const {
    auto* o = dynamic_cast<const CPartArc*>(&other);
    return !o || !(p1 == o->p1) || !(p2 == o->p2) || !(start == o->start) || !(end == o->end);
}

std::wstring CPartArc::ToString() const {
    return L"ARC" + PartToken::FormatInts({p1.x, p1.y, p2.x, p2.y, start.x, start.y, end.x, end.y});
}

POINT CPartArc::GetMinPoint() const {
    return POINT{std::min(p1.x, p2.x), std::min(p1.y, p2.y)};
}

POINT CPartArc::GetMaxPoint() const {
    return POINT{std::max(p1.x, p2.x), std::max(p1.y, p2.y)};
}

void CPartArc::TransformByKey(int key) {
    CPartPrimitive::TransformByKey(key);
    if (key == 'H' || key == 'V')
        std::swap(start, end);
}

void CPartArc::Draw(DeviceContext* dc, uint32_t flags, const CTreeNode* part) {
    if (p1.x == 0 && p1.y == 0 && p2.x == 0 && p2.y == 0)
        return;
    SheetScale s = GetSheetScale();
    POINT pos = PartPosition(part);
    POINT a = s.ToLogical(pos, p1), b = s.ToLogical(pos, p2);
    POINT ls = s.ToLogical(pos, start), le = s.ToLogical(pos, end);
    if (m_state == 1 || m_state == 2)
        dc->Ellipse(a.x, a.y, b.x, b.y);
    else
        dc->Arc(a.x, a.y, b.x, b.y, ls.x, ls.y, le.x, le.y);
    if (!m_selected || !(flags & kPrimSymbolEditor))
        return;
    POINT c = Midpoint(a, b);
    GdiPen old = dc->SelectPen(CreatePen(PS_DOT, 0, g_DefaultSettings.colorSel));
    if (m_state != 1) {
        dc->MoveTo(ls.x, ls.y);
        dc->LineTo(c.x, c.y);
    }
    if (m_state != 2) {
        dc->MoveTo(c.x, c.y);
        dc->LineTo(le.x, le.y);
    }
    dc->SelectPen(old);
    DrawHandles(dc, part, {p1, p2, start, end});
}

bool CPartArc::IsInRect(const RECT& rect) const {
    return AnyPointIn({start, end, p1, {p1.x, p2.y}, {p2.x, p1.y}, p2}, rect);
}

bool CPartArc::HitTest(int x, int y) const {
    PartGeometry::EllipseMeasure m = PartGeometry::MeasureEllipse(p1, p2);
    double d = PartGeometry::Distance(x, y, m.cx, m.cy);
    if (std::fabs(d - m.r) > 2.0)
        return false;
    double a = std::atan2(static_cast<double>(y) - m.cy, static_cast<double>(x) - m.cx);
    double as =
        std::atan2(static_cast<double>(start.y) - m.cy, static_cast<double>(start.x) - m.cx);
    double ae = std::atan2(static_cast<double>(end.y) - m.cy, static_cast<double>(end.x) - m.cx);
    double span = ae - as;
    if (span < 0)
        span += 2 * kPi;
    double half = span / 2;
    return std::cos(as + half - a) >= std::cos(half);
}

void CPartArc::Invalidate(DeviceContext* dc) {
    CPartPrimitive::Invalidate(dc);
    PartGeometry::EllipseMeasure m = PartGeometry::MeasureEllipse(p1, p2);
    POINT c{m.cx, m.cy};
    for (POINT q : {start, end})
        InvalidateBox(dc, POINT{std::min(c.x, q.x), std::min(c.y, q.y)},
                      POINT{std::max(c.x, q.x), std::max(c.y, q.y)});
}

int CPartArc::MouseDown(DeviceContext* dc, uint32_t flags, int x, int y) {
    if (m_state == -1) {
        SelectClick(flags, x, y);
        return 0;
    }
    POINT click{x, y};
    int result = 0;
    Invalidate(dc);
    switch (m_state) {
    case 0:
        p1 = p2 = click;
        m_state = 1;
        break;
    case 1:
        p2 = start = click;
        m_state = 2;
        break;
    case 2:
        start = end = click;
        m_state = 3;
        break;
    case 3:
        end = click;
        m_state = 0;
        m_selected = 0;
        result = 1;
        break;
    default:
        return 0;
    }
    m_anchor = click;
    Invalidate(dc);
    return result;
}

int CPartArc::MouseMove(DeviceContext* dc, uint32_t flags, int x, int y) {
    POINT click{x, y};
    switch (m_state) {
    case 1:
        Invalidate(dc);
        p2 = click;
        break;
    case 2:
        Invalidate(dc);
        start = end = click;
        break;
    case 3:
        Invalidate(dc);
        end = click;
        break;
    default:
        return CPartPrimitive::MouseMove(dc, flags, x, y);
    }
    Invalidate(dc);
    return 0;
}

int CPartArc::MouseUp(DeviceContext* dc, uint32_t flags, int x, int y) {
    // An arc under construction keeps its step.
    if (!ConstructionState(m_state)) {
        m_state = 0;
        ReleaseMissTest(dc, flags, x, y, true);
    }
    m_dragged = 0;
    return 0;
}

// --- Bezier ------------------------------------------------------------------------

CPartBezier::CPartBezier(CTreeNode* owner, const std::wstring& rest) : CPartPrimitive(owner) {
    int v[8] = {};
    const wchar_t* q = rest.c_str();
    PartToken::ScanInts(q, v, 8);
    for (int i = 0; i < 4; ++i)
        p[i] = POINT{v[2 * i], v[2 * i + 1]};
}

CPartPrimitive* CPartBezier::Clone(CTreeNode* newOwner) const {
    auto* copy = new CPartBezier(newOwner);
    copy->CopyBaseFrom(*this, newOwner);
    copy->CopyFrom(*this);
    return copy;
}

void CPartBezier::CopyFrom(const CPartPrimitive& other) {
    if (auto* o = dynamic_cast<const CPartBezier*>(&other))
        std::copy(o->p, o->p + 4, p);
}

bool CPartBezier::IsDifferent(const CPartPrimitive& other) const {
    auto* o = dynamic_cast<const CPartBezier*>(&other);
    if (!o)
        return true;
    for (int i = 0; i < 4; ++i)
        if (!(p[i] == o->p[i]))
            return true;
    return false;
}

std::wstring CPartBezier::ToString() const {
    return L"CURVE" +
           PartToken::FormatInts({p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y, p[3].x, p[3].y});
}

POINT CPartBezier::GetMinPoint() const {
    POINT m = p[0];
    for (const POINT& q : p)
        m = POINT{std::min(m.x, q.x), std::min(m.y, q.y)};
    return m;
}

POINT CPartBezier::GetMaxPoint() const {
    // From the first point, so curves at negative coordinates keep their extent.
    POINT m = p[0];
    for (const POINT& q : p)
        m = POINT{std::max(m.x, q.x), std::max(m.y, q.y)};
    return m;
}

void CPartBezier::Draw(DeviceContext* dc, uint32_t flags, const CTreeNode* part) {
    bool allZero = true;
    for (const POINT& q : p)
        allZero = allZero && q.x == 0 && q.y == 0;
    if (allZero)
        return;
    SheetScale s = GetSheetScale();
    POINT pos = PartPosition(part);
    POINT l[4];
    for (int i = 0; i < 4; ++i)
        l[i] = s.ToLogical(pos, p[i]);
    dc->PolyBezier(l, 4);
    if (!m_selected || !(flags & kPrimSymbolEditor))
        return;
    GdiPen old = dc->SelectPen(CreatePen(PS_DOT, 0, g_DefaultSettings.colorSel));
    dc->MoveTo(l[0].x, l[0].y);
    dc->LineTo(l[1].x, l[1].y);
    dc->MoveTo(l[2].x, l[2].y);
    dc->LineTo(l[3].x, l[3].y);
    dc->SelectPen(old);
    DrawHandles(dc, part, {p[0], p[1], p[2], p[3]});
}

bool CPartBezier::IsInRect(const RECT& rect) const {
    return AnyPointIn({p[0], p[1], p[2], p[3]}, rect);
}

bool CPartBezier::HitTest(int x, int y) const {
    return PartGeometry::OnSegment(x, y, p[0], p[1]) || PartGeometry::OnSegment(x, y, p[2], p[3]);
}

int CPartBezier::MouseDown(DeviceContext* dc, uint32_t flags, int x, int y) {
    POINT click{x, y};
    switch (m_state) {
    case -1:
        SelectClick(flags, x, y);
        return 0;
    case 0:
        Invalidate(dc);
        p[0] = p[1] = p[2] = p[3] = click;
        m_state = 1;
        break;
    case 2:
    case 4:
        Invalidate(dc);
        m_state = 3;
        break;
    default:
        return 0;
    }
    m_anchor = click;
    Invalidate(dc);
    return 0;
}

int CPartBezier::MouseMove(DeviceContext* dc, uint32_t flags, int x, int y) {
    POINT click{x, y};
    switch (m_state) {
    case 1:
        Invalidate(dc);
        p[1] = p[2] = p[3] = click;
        break;
    case 2:
        Invalidate(dc);
        p[2] = p[3] = click;
        break;
    case 4: {
        Invalidate(dc);
        p[3] = click;
        int64_t qx = (static_cast<int64_t>(p[3].x) - p[0].x) / 4;
        int64_t qy = (static_cast<int64_t>(p[3].y) - p[0].y) / 4;
        p[1] = POINT{static_cast<int>(p[0].x + qx), static_cast<int>(p[0].y + qy)};
        p[2] = POINT{static_cast<int>(p[3].x - qx), static_cast<int>(p[3].y - qy)};
        break;
    }
    case 3:
        if (!(flags & kPrimLeftButton))
            return 0;
        Invalidate(dc);
        p[2] = click;
        break;
    default:
        return CPartPrimitive::MouseMove(dc, flags, x, y);
    }
    Invalidate(dc);
    return 0;
}

int CPartBezier::MouseUp(DeviceContext* dc, uint32_t flags, int x, int y) {
    switch (m_state) {
    case 1:
        // A press that pulled the first control point away shapes the curve
        // by dragging; a plain click places the end with straight controls.
        m_state = p[1] == p[0] ? 4 : 2;
        return 0;
    case 3:
        m_state = 0;
        if (p[3] == p[0])
            return 0; // nothing drawn yet: the next press starts again
        m_selected = 0;
        Invalidate(dc);
        return 1;
    case 2:
    case 4:
        return 0;
    default:
        m_state = 0;
        ReleaseMissTest(dc, flags, x, y, true);
        m_dragged = 0;
        return 0;
    }
}
