#include "schematic/part_primitive.h"

#include "core/default_settings.h"
#include "core/tree_node.h"
#include "core/vorpel_view.h"
#include "platform/device_context.h"
#include "platform/key_state.h"
#include "platform/messages.h"
#include "schematic/sheet_paint.h"
#include "schematic/undo_part_primitive.h"

#include <algorithm>
#include <climits>
#include <cmath>

POINT g_TransformPivot;

namespace {
// Sums and products of coordinates are taken in 64 bits and wrapped back, so
// that extreme values from a file never overflow a signed 32-bit sum.
int32_t Wrap(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

// A context of this size maps 0.01 mm exactly at 96 dpi (a multiple of 24).
constexpr int kMeasureSize = 960;
} // namespace

// --- Scale of the active view ------------------------------------------------

int SheetScale::HandleHalf() const {
    return static_cast<int>(300.0 / zoom);
}

int SheetScale::ToLogical(int partPos, int c) const {
    // Held where a device context takes it (sheet_paint.h).
    return SheetPaint::Held(int64_t{SheetPaint::Scale(partPos, grid)} +
                            SheetPaint::ScaleTenths(c, grid));
}

POINT SheetScale::ToLogical(POINT partPos, POINT c) const {
    return POINT{ToLogical(partPos.x, c.x), ToLogical(partPos.y, c.y)};
}

int SheetScale::ToPrimitive(int logical) const {
    return grid == 0 ? 0 : Wrap(static_cast<int64_t>(logical) * 10 / grid);
}

SheetScale GetSheetScale() {
    SheetScale s;
    if (g_pActiveView) {
        if (g_pActiveView->GetTextHeight() > 0)
            s.grid = g_pActiveView->GetTextHeight();
        s.zoom = g_pActiveView->GetZoomScale();
    } else {
        double g = g_DefaultSettings.gridWidth * 100.0;
        int rounded = static_cast<int>(g >= 0 ? std::floor(g + 0.5) : std::ceil(g - 0.5));
        if (rounded > 0)
            s.grid = rounded;
    }
    return s;
}

LogFont GetViewFont(bool vertical) {
    if (g_pActiveView)
        return vertical ? g_pActiveView->GetVerticalFont() : g_pActiveView->GetFont();
    LogFont font = g_DefaultSettings.font;
    font.lfHeight = GetSheetScale().grid;
    if (vertical) {
        font.lfEscapement = -900;
        font.lfOrientation = -900;
    }
    return font;
}

std::unique_ptr<DeviceContext> CreateViewDC() {
    int width = kMeasureSize;
    int height = kMeasureSize;
    if (g_pActiveView && g_pActiveView->IsWindow()) {
        RECT rc = g_pActiveView->GetClientRect();
        if (rc.right - rc.left > 0 && rc.bottom - rc.top > 0) {
            width = rc.right - rc.left;
            height = rc.bottom - rc.top;
        }
    }
    auto dc = std::make_unique<DeviceContext>(width, height);
    if (g_pActiveView)
        g_pActiveView->PrepareDC(dc.get());
    dc->SelectFont(GetViewFont(false));
    return dc;
}

void PushPartUndo(CUndoItem* item) {
    if (g_pActiveView)
        g_pActiveView->GetUndoList().AddUndo(item);
    else
        delete item;
}

// --- Geometry ----------------------------------------------------------------

namespace PartGeometry {

bool OnSegment(int x, int y, POINT a, POINT b) {
    // The tolerance applies across the segment and, so that edges along an
    // axis can be picked at all, also to its box.
    constexpr double kTolerance = 2.0;
    double minX = std::min(a.x, b.x), maxX = std::max(a.x, b.x);
    double minY = std::min(a.y, b.y), maxY = std::max(a.y, b.y);
    if (!(x > minX - kTolerance && x < maxX + kTolerance && y > minY - kTolerance &&
          y < maxY + kTolerance))
        return false;
    double x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y;
    double length = std::hypot(x1 - x2, y1 - y2);
    if (length == 0)
        return true;
    double distance = std::fabs((x1 - x2) * y - (y1 - y2) * x - y2 * x1 + y1 * x2) / length;
    return distance < kTolerance;
}

EllipseMeasure MeasureEllipse(POINT a, POINT b) {
    EllipseMeasure m;
    m.cx = static_cast<int>((static_cast<int64_t>(a.x) + b.x) / 2);
    m.cy = static_cast<int>((static_cast<int64_t>(a.y) + b.y) / 2);
    int64_t rx = std::llabs(static_cast<int64_t>(a.x) - m.cx);
    int64_t ry = std::llabs(static_cast<int64_t>(a.y) - m.cy);
    m.r = static_cast<int>((rx + ry) / 2);
    return m;
}

double Distance(int x, int y, int cx, int cy) {
    return std::hypot(static_cast<double>(x) - cx, static_cast<double>(y) - cy);
}

bool PointInRect(POINT p, const RECT& r) {
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

RECT Normalized(const RECT& r) {
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

POINT TransformPoint(POINT p, int key, bool shift) {
    const int64_t px = g_TransformPivot.x, py = g_TransformPivot.y;
    switch (key) {
    case 'H':
        return POINT{Wrap(2 * px - p.x), p.y};
    case 'V':
        return POINT{p.x, Wrap(2 * py - p.y)};
    case 'R':
        if (shift)
            return POINT{Wrap(px - (p.y - py)), Wrap(py + (p.x - px))};
        return POINT{Wrap(px + (p.y - py)), Wrap(py - (p.x - px))};
    default:
        return p;
    }
}

} // namespace PartGeometry

// --- The primitive -------------------------------------------------------------

std::vector<const POINT*> CPartPrimitive::Points() const {
    std::vector<POINT*> points = const_cast<CPartPrimitive*>(this)->Points();
    return std::vector<const POINT*>(points.begin(), points.end());
}

POINT* CPartPrimitive::GetGrabbedVertex() {
    std::vector<POINT*> points = Points();
    if (m_grabbedVertex < 0 || m_grabbedVertex >= static_cast<int>(points.size()))
        return nullptr;
    return points[m_grabbedVertex];
}

void CPartPrimitive::CopyBaseFrom(const CPartPrimitive& source, CTreeNode* newOwner) {
    m_grabbedVertex = source.m_grabbedVertex;
    m_anchor = source.m_anchor;
    m_selected = source.m_selected;
    m_dragged = source.m_dragged;
    m_state = source.m_state;
    m_owner = newOwner;
}

void CPartPrimitive::TransformByKey(int key) {
    bool shift = IsKeyDown(VK_SHIFT);
    for (POINT* p : Points())
        *p = PartGeometry::TransformPoint(*p, key, shift);
}

void CPartPrimitive::Move(int dx, int dy) {
    for (POINT* p : Points()) {
        p->x = Wrap(static_cast<int64_t>(p->x) + dx);
        p->y = Wrap(static_cast<int64_t>(p->y) + dy);
    }
}

POINT* CPartPrimitive::HitTestVertex(int x, int y) {
    double t = GetSheetScale().VertexTolerance();
    for (POINT* p : Points()) {
        if (std::fabs(static_cast<double>(x) - p->x) <= t &&
            std::fabs(static_cast<double>(y) - p->y) <= t)
            return p;
    }
    return nullptr;
}

int CPartPrimitive::MouseUp(DeviceContext* dc, uint32_t flags, int x, int y) {
    m_state = 0;
    ReleaseMissTest(dc, flags, x, y, false);
    m_dragged = 0;
    return 0;
}

int CPartPrimitive::MouseMove(DeviceContext* dc, uint32_t flags, int x, int y) {
    if (m_state == -1)
        return DragStep(dc, flags, x, y);
    return 0;
}

void CPartPrimitive::Invalidate(DeviceContext* dc) {
    InvalidateBox(dc, GetMinPoint(), GetMaxPoint());
}

RECT CPartPrimitive::GetDrawnRect(DeviceContext*, const CTreeNode* part) const {
    const POINT lo = GetMinPoint(), hi = GetMaxPoint();
    if (lo.x > hi.x || lo.y > hi.y)
        return RECT{};
    const SheetScale s = GetSheetScale();
    const POINT a = s.ToLogical(PartPosition(part), lo);
    const POINT b = s.ToLogical(PartPosition(part), hi);
    return PartGeometry::Normalized(RECT{a.x, a.y, b.x, b.y});
}

POINT CPartPrimitive::PartPosition(const CTreeNode* part) {
    return part ? part->m_position : POINT{};
}

void CPartPrimitive::InvalidateBox(DeviceContext* dc, POINT minPoint, POINT maxPoint,
                                   bool grow) const {
    if (minPoint.x > maxPoint.x || minPoint.y > maxPoint.y)
        return; // nothing to show (a polygon without vertices)
    SheetScale s = GetSheetScale();
    int h = grow ? s.HandleHalf() : 0;
    POINT pos = OwnerPosition();
    POINT lo = s.ToLogical(pos, minPoint);
    POINT hi = s.ToLogical(pos, maxPoint);
    InvalidateLogicalRect(dc, RECT{lo.x - h, hi.y + h, hi.x + h, lo.y - h});
}

void CPartPrimitive::InvalidateLogicalRect(DeviceContext* dc, RECT logical) {
    if (!g_pActiveView || !dc)
        return;
    dc->LPtoDP(&logical);
    RECT r = PartGeometry::Normalized(logical);
    POINT scroll = g_pActiveView->GetScrollOffset();
    r.left += scroll.x;
    r.right += scroll.x;
    r.top += scroll.y;
    r.bottom += scroll.y;
    g_pActiveView->InvalidateRect(&r, true);
}

int CPartPrimitive::TwoPointMouseDown(DeviceContext* dc, uint32_t flags, int x, int y, POINT& a,
                                      POINT& b, bool markWhileDrawn) {
    switch (m_state) {
    case -1:
        SelectClick(flags, x, y);
        return 0;
    case 0:
        Invalidate(dc);
        a = b = POINT{x, y};
        m_state = 1;
        if (markWhileDrawn)
            m_selected = 1;
        m_anchor = POINT{x, y};
        Invalidate(dc);
        return 0;
    case 1:
        Invalidate(dc);
        b = POINT{x, y};
        m_state = 0;
        m_selected = 0;
        m_anchor = POINT{x, y};
        Invalidate(dc);
        return 1;
    default:
        return 0;
    }
}

int CPartPrimitive::TwoPointMouseMove(DeviceContext* dc, uint32_t flags, int x, int y, POINT& b) {
    if (m_state == 1) {
        Invalidate(dc);
        b = POINT{x, y};
        Invalidate(dc);
        return 0;
    }
    return CPartPrimitive::MouseMove(dc, flags, x, y);
}

void CPartPrimitive::SelectClick(uint32_t flags, int x, int y, bool useVertex) {
    POINT* vertex = useVertex ? HitTestVertex(x, y) : nullptr;
    m_grabbedVertex = -1;
    if (vertex) {
        std::vector<POINT*> points = Points();
        m_grabbedVertex =
            static_cast<int>(std::find(points.begin(), points.end(), vertex) - points.begin());
    }
    bool hit = HitTest(x, y);
    if (!hit && !vertex) {
        if (!(flags & kPrimKeepSelectionMask))
            m_selected = 0;
    } else if (flags & kPrimControl) {
        m_selected = m_selected ? 0 : 1;
    } else {
        m_selected = 1;
    }
    m_dragged = 0;
    if (m_selected)
        m_anchor = POINT{x, y};
}

int CPartPrimitive::DragStep(DeviceContext* dc, uint32_t flags, int x, int y) {
    if (!(flags & kPrimLeftButton) || !m_selected)
        return 0;
    int64_t dx = static_cast<int64_t>(x) - m_anchor.x;
    int64_t dy = static_cast<int64_t>(y) - m_anchor.y;
    if (dx == 0 && dy == 0)
        return 0;
    if (!m_dragged)
        PushPartUndo(new CUndoPartPrimitiveChange(this));
    m_dragged = 1;
    Invalidate(dc);
    if (POINT* vertex = GetGrabbedVertex()) {
        vertex->x = Wrap(vertex->x + dx);
        vertex->y = Wrap(vertex->y + dy);
    } else {
        Move(Wrap(dx), Wrap(dy));
    }
    m_anchor = POINT{x, y};
    Invalidate(dc);
    return 1;
}

void CPartPrimitive::ReleaseMissTest(DeviceContext* dc, uint32_t flags, int x, int y,
                                     bool useVertex) {
    if ((flags & kPrimControl) || m_dragged)
        return;
    bool hit = HitTest(x, y) || (useVertex && HitTestVertex(x, y));
    if (!hit && m_selected) {
        m_selected = 0;
        Invalidate(dc);
    }
}

void CPartPrimitive::DrawHandles(DeviceContext* dc, const CTreeNode* part,
                                 const std::vector<POINT>& points) const {
    SheetScale s = GetSheetScale();
    int h = s.HandleHalf();
    POINT pos = PartPosition(part);
    GdiPen old = dc->SelectPen(CreatePen(PS_SOLID, 0, g_DefaultSettings.colorSel));
    for (const POINT& p : points) {
        POINT l = s.ToLogical(pos, p);
        dc->Rectangle(l.x - h, l.y + h, l.x + h, l.y - h);
    }
    dc->SelectPen(old);
}
