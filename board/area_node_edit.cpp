// Mouse editing of outline nodes: selecting pieces, dragging points and
// handles on the grid, the outline context menu (add a vertex, delete a
// piece, change its kind) and deleting selected nodes. Every change records
// its undo item on the active view's history.
#include "board/area_node.h"
#include "board/board_undo_records.h"
#include "core/length_unit.h"
#include "core/model_services.h"
#include "core/property_grid.h"
#include "core/property_item.h"
#include "core/undo_list.h"
#include "core/vorpel_view.h"
#include "platform/monitors.h"
#include "platform/popup_menu.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "platform/window.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr unsigned kCmdAddVertex = 32871;
constexpr unsigned kCmdDeleteSegment = 32872;
constexpr unsigned kCmdLine = 32873;
constexpr unsigned kCmdArc = 32874;
constexpr unsigned kCmdBezier = 32875;

CVorpelView* ViewOf(const CAreaNode* node) {
    if (node->m_ppView && *node->m_ppView)
        return *node->m_ppView;
    return g_pActiveView;
}

void InvalidateWhole(const CAreaNode* node) {
    if (CVorpelView* view = ViewOf(node))
        view->InvalidateRect(nullptr, false);
}

PointF Snap(const CAreaNode* node, PointF p) {
    CVorpelView* view = ViewOf(node);
    return view ? view->SnapToGrid(p) : p;
}

void RecomputeArc(CAreaNode* node) {
    if (node && node->GetKind() == AREA_ARC)
        static_cast<CAreaArc*>(node)->UpdateGeometry();
}

bool Near(float ax, float ay, float bx, float by, float tolerance) {
    return std::fabs(ax - bx) < tolerance && std::fabs(ay - by) < tolerance;
}

} // namespace

float* CAreaNode::HitTestHandle(float x, float y) {
    CVorpelView* view = ViewOf(this);
    const float tolerance = static_cast<float>(2.0 / (view ? view->GetZoomScale() : 1.0));
    if (Near(x, y, m_x, m_y, tolerance))
        return &m_x;
    if (m_kind == AREA_ARC) {
        auto* arc = static_cast<CAreaArc*>(this);
        if (Near(x, y, arc->m_midX, arc->m_midY, tolerance))
            return &arc->m_midX;
    } else if (m_kind == AREA_BEZIER) {
        auto* curve = static_cast<CAreaBezier*>(this);
        if (Near(x, y, curve->m_c1x, curve->m_c1y, tolerance))
            return &curve->m_c1x;
        if (Near(x, y, curve->m_c2x, curve->m_c2y, tolerance))
            return &curve->m_c2x;
    }
    return nullptr;
}

void CAreaNode::MouseDown(Graphics* g, int flags, float x, float y) {
    const bool was = m_selectedNode != 0;
    if (HitTest(g, x, y))
        m_selectedNode = (flags & 0x8) ? !was : 1;
    else if (!(flags & 0x400008))
        m_selectedNode = 0;
    m_dragging = 0;
    if ((m_selectedNode != 0) != was)
        Invalidate(g);
    m_pressX = x;
    m_pressY = y;
    m_grabbed = HitTestHandle(x, y);
    if (m_grabbed && m_kind != AREA_SEGMENT)
        m_selectedNode = 1;
}

void CAreaNode::MouseUp(Graphics* g, int flags, float x, float y) {
    if (!(flags & 0x8) && !m_dragging && m_selectedNode && !HitTest(g, x, y)) {
        m_selectedNode = 0;
        Invalidate(g);
    }
    m_dragging = 0;
    m_grabbed = nullptr;
}

bool CAreaNode::DragPoint(Graphics* g, int flags, float x, float y, bool follow) {
    const PointF target = Snap(this, PointF{m_x + x - m_pressX, m_y + y - m_pressY});
    if (target.X == m_x && target.Y == m_y)
        return false;
    if (!m_dragging)
        PushUndo(new CUndoAreaNodeChange(this));
    m_dragging = 1;
    m_pressX += target.X - m_x;
    m_pressY += target.Y - m_y;
    const float dx = target.X - m_x, dy = target.Y - m_y;
    m_x = target.X;
    m_y = target.Y;
    if (m_kind == AREA_BEZIER && !m_grabbed) {
        auto* curve = static_cast<CAreaBezier*>(this);
        curve->m_c1x += dx;
        curve->m_c1y += dy;
        curve->m_c2x += dx;
        curve->m_c2y += dy;
    }
    InvalidateWhole(this);
    if (follow && m_selectedNode) {
        CAreaNode* next = GetNextCyclic();
        if (next != this && !next->m_selectedNode)
            next->Drag(g, flags, x, y);
    }
    RecomputeArc(m_prev ? m_prev : (m_last != this ? m_last : nullptr));
    return true;
}

bool CAreaNode::Drag(Graphics* g, int flags, float x, float y) {
    bool moved = false;
    if (!m_grabbed) {
        // A piece whose end vertex is held by its handle leaves the move to
        // that handle (a curve too: its start and control points stay).
        if (!GetNextCyclic()->m_grabbed)
            moved = DragPoint(g, flags, x, y, true);
    } else if (m_grabbed == &m_x) {
        moved = DragPoint(g, flags, x, y, false);
    } else if (m_kind == AREA_ARC) {
        auto* arc = static_cast<CAreaArc*>(this);
        const float hx = arc->m_midX + x - m_pressX, hy = arc->m_midY + y - m_pressY;
        if (hx != arc->m_midX || hy != arc->m_midY) {
            if (!m_dragging)
                PushUndo(new CUndoAreaNodeChange(this));
            m_dragging = 1;
            arc->m_midX = hx;
            arc->m_midY = hy;
            m_pressX = x;
            m_pressY = y;
            arc->UpdateChordFrame();
            const double c = std::cos(arc->m_chordAngle), s = std::sin(arc->m_chordAngle);
            const float deviation = static_cast<float>(hx * c - hy * s) - arc->m_x1;
            if (std::fabs(deviation) > 0.001f)
                arc->m_deviation = deviation;
            moved = true;
        }
    } else if (m_kind == AREA_BEZIER) {
        const float dx = x - m_pressX, dy = y - m_pressY;
        if (dx != 0 || dy != 0) {
            if (!m_dragging)
                PushUndo(new CUndoAreaNodeChange(this));
            m_dragging = 1;
            m_grabbed[0] += dx;
            m_grabbed[1] += dy;
            m_pressX = x;
            m_pressY = y;
            InvalidateWhole(this);
            moved = true;
        }
    }
    if (m_kind == AREA_ARC) {
        static_cast<CAreaArc*>(this)->UpdateGeometry();
        InvalidateWhole(this);
    }
    return moved && m_dragging;
}

void InsertSegmentAfter(CAreaNode* node, float x, float y) {
    auto* vertex = new CAreaSegment(node->m_ppView, x, y);
    vertex->m_selectedNode = 1;
    node->InsertAfter(vertex);
    StartUndoGroup();
    PushUndo(new CUndoAreaNodeInsert(vertex));
}

bool CAreaNode::RightClick(Graphics*, int flags, float x, float y, CAreaNode*& head) {
    if (!m_selectedNode)
        return false;
    auto menu = std::make_shared<PopupMenu>();
    auto kinds = std::make_shared<PopupMenu>();
    kinds->AppendItem(kCmdLine, L"&Line");
    kinds->AppendItem(kCmdArc, L"&Arc");
    if (flags & 0x80000)
        kinds->AppendItem(kCmdBezier, L"&Bezier");
    menu->AppendSubMenu(L"Change Type", kinds);
    menu->AppendItem(kCmdAddVertex, L"Add Verte&x");
    menu->AppendItem(kCmdDeleteSegment, L"&Delete Segment");
    const POINT cursor = GetCursorPos();
    const unsigned command = static_cast<unsigned>(
        TrackPopupMenu(*menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, ClampXToWorkArea(cursor.x, cursor.y),
                       cursor.y, ViewOf(this)));
    switch (command) {
    case kCmdAddVertex:
        InsertSegmentAfter(this, x, y);
        break;
    case kCmdDeleteSegment:
        Delete(head);
        break;
    case kCmdLine:
    case kCmdArc:
    case kCmdBezier:
        ChangeKind(head, static_cast<int>(command - 32872));
        break;
    default:
        break;
    }
    InvalidateWhole(this);
    return true;
}

CAreaNode* CAreaNode::Delete(CAreaNode*& head) {
    CAreaNode* next = GetNextCyclic();
    if (!m_selectedNode)
        return m_next;
    if (next->GetNextCyclic() == this) {
        ShowMessageBox(LoadStringText(209), L"Vorpel", MB_OK | MB_ICONSTOP);
        return m_next;
    }
    StartUndoGroup();
    PushUndo(new CUndoAreaNodeDelete(this));
    CAreaNode* former = Unlink();
    if (head == this) {
        PushUndo(new CUndoAreaChangeHead(&head));
        head = former ? former : next;
    }
    return former;
}

void CAreaNode::ChangeKind(CAreaNode*& head, int kind) {
    if (kind == m_kind)
        return;
    const CAreaNode* nextNode = GetNextCyclic();
    const float nx = nextNode->m_x, ny = nextNode->m_y;
    CAreaNode* replacement = nullptr;
    if (kind == AREA_ARC) {
        auto* arc = new CAreaArc(m_ppView, m_x, m_y);
        arc->m_deviation = static_cast<float>(std::hypot(nx - m_x, ny - m_y) / 10);
        replacement = arc;
    } else if (kind == AREA_BEZIER) {
        auto* curve = new CAreaBezier(m_ppView, m_x, m_y);
        curve->m_c1x = m_x + (nx - m_x) / 5;
        curve->m_c1y = m_y + (ny - m_y) / 5;
        curve->m_c2x = nx - (nx - m_x) / 5;
        curve->m_c2y = ny - (ny - m_y) / 5;
        replacement = curve;
    } else {
        replacement = new CAreaSegment(m_ppView, m_x, m_y);
    }
    replacement->m_selectedNode = 1;
    CAreaNode* prev = m_prev;
    CAreaNode* next = m_next;
    StartUndoGroup();
    PushUndo(new CUndoAreaNodeDelete(this));
    Unlink();
    if (head == this) {
        PushUndo(new CUndoAreaChangeHead(&head));
        head = replacement;
    }
    if (prev)
        prev->InsertAfter(replacement);
    else if (next)
        next->InsertBefore(replacement);
    if (kind == AREA_ARC)
        static_cast<CAreaArc*>(replacement)->UpdateGeometry();
    PushUndo(new CUndoAreaNodeInsert(replacement));
}

int ClampXToWorkArea(int x, int y) {
    // A point on a monitor stays; off every monitor, x is kept on the work
    // area of the nearest one, so the menu does not open out of sight.
    const MonitorInfo* nearest = nullptr;
    int64_t best = 0;
    const std::vector<MonitorInfo> monitors = GetMonitors();
    for (const MonitorInfo& m : monitors) {
        const int64_t dx = x < m.monitor.left     ? int64_t{m.monitor.left} - x
                           : x >= m.monitor.right ? int64_t{x} - m.monitor.right + 1
                                                  : 0;
        const int64_t dy = y < m.monitor.top       ? int64_t{m.monitor.top} - y
                           : y >= m.monitor.bottom ? int64_t{y} - m.monitor.bottom + 1
                                                   : 0;
        if (dx == 0 && dy == 0)
            return x;
        const int64_t d = dx * dx + dy * dy;
        if (!nearest || d < best) {
            nearest = &m;
            best = d;
        }
    }
    if (!nearest)
        return x;
    if (x < nearest->work.left)
        return nearest->work.left;
    if (x > nearest->work.right)
        return nearest->work.right;
    return x;
}

// --- Property panel ----------------------------------------------------------

namespace {

// What each row of a node's panel stands for, by kind.
enum class NodeRow { Point1, Point2, Control1, Control2, Deviation };

std::vector<NodeRow> RowsOf(int kind) {
    switch (kind) {
    case AREA_ARC:
        return {NodeRow::Point1, NodeRow::Point2, NodeRow::Deviation};
    case AREA_BEZIER:
        return {NodeRow::Point1, NodeRow::Control1, NodeRow::Control2, NodeRow::Point2};
    default:
        return {NodeRow::Point1, NodeRow::Point2};
    }
}

int DisplayUnit() {
    return g_pActiveView ? g_pActiveView->GetUnit() : kUnitMm;
}

} // namespace

void CAreaNode::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(m_kind == AREA_ARC ? 197u : m_kind == AREA_BEZIER ? 198u : 196u);
    const int unit = DisplayUnit();
    const CAreaNode* next = GetNextCyclic();
    for (NodeRow row : RowsOf(m_kind)) {
        switch (row) {
        case NodeRow::Point1:
            grid->AddPointF(204, m_x, m_y, unit);
            break;
        case NodeRow::Point2:
            grid->AddPointF(205, next->m_x, next->m_y, unit);
            break;
        case NodeRow::Control1: {
            auto* curve = static_cast<CAreaBezier*>(this);
            grid->AddPointF(206, curve->m_c1x, curve->m_c1y, unit);
            break;
        }
        case NodeRow::Control2: {
            auto* curve = static_cast<CAreaBezier*>(this);
            grid->AddPointF(207, curve->m_c2x, curve->m_c2y, unit);
            break;
        }
        case NodeRow::Deviation:
            grid->AddFloat(357, static_cast<CAreaArc*>(this)->m_deviation, unit);
            break;
        }
    }
}

void CAreaNode::ApplyPropertyChange(int index) {
    CPropertyGrid* grid = GetPropertyGrid();
    const std::vector<NodeRow> rows = RowsOf(m_kind);
    if (!grid || index < 0 || static_cast<size_t>(index) >= rows.size())
        return;
    const CPropertyItem* item = grid->GetItem(index);
    if (!item)
        return;
    const NodeRow row = rows[static_cast<size_t>(index)];
    CAreaNode* next = GetNextCyclic();
    StartUndoGroup();
    // "Point 2" belongs to the next node: that is the node to record.
    PushUndo(new CUndoAreaNodeChange(row == NodeRow::Point2 ? next : this));
    PointF p;
    switch (row) {
    case NodeRow::Point1:
        if (grid->ParsePointRow(item, &p)) {
            m_x = p.X;
            m_y = p.Y;
            CAreaNode* prev = GetPrevCyclic();
            if (prev != this)
                RecomputeArc(prev);
        }
        break;
    case NodeRow::Point2:
        if (grid->ParsePointRow(item, &p)) {
            next->m_x = p.X;
            next->m_y = p.Y;
            if (next != this)
                RecomputeArc(next);
        }
        break;
    case NodeRow::Control1:
    case NodeRow::Control2:
        if (grid->ParsePointRow(item, &p)) {
            auto* curve = static_cast<CAreaBezier*>(this);
            (row == NodeRow::Control1 ? curve->m_c1x : curve->m_c2x) = p.X;
            (row == NodeRow::Control1 ? curve->m_c1y : curve->m_c2y) = p.Y;
        }
        break;
    case NodeRow::Deviation: {
        auto* arc = static_cast<CAreaArc*>(this);
        float deviation = arc->m_deviation;
        if (grid->ParseRowLength(item, &deviation)) {
            arc->m_deviation = deviation;
            if (std::fabs(deviation) < 0.001f)
                ShowMessageBox(LoadStringText(210), L"Vorpel", MB_OK | MB_ICONSTOP);
        }
        break;
    }
    }
    RecomputeArc(this);
    InvalidateWhole(this);
    if (CVorpelView* view = ViewOf(this))
        if (PlatformWindow* parent = view->GetParent())
            parent->SetFocus();
}
