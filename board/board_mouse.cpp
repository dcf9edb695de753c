// Mouse editing of the board-side nodes: selecting and moving footprints and
// pads, the markings' primitives, outline owners forwarding to their nodes,
// deleting pads, padstacks and primitives, and the conductor clean-up after
// routing edits. Every change records its undo items on the active view.
#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/board_undo_records.h"
#include "board/conductor.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "platform/graphics.h"
#include "schematic/net.h"
#include "schematic/part.h"
#include "schematic/pin.h"

#include <cmath>
#include <set>

namespace {

constexpr uint32_t kLeft = 0x1;
constexpr uint32_t kCtrl = 0x8;
constexpr uint32_t kKeep = 0x400000;
constexpr uint32_t kFootprintEditor = 0x40000;

void Show(CProperty* object) {
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(object);
}

void InvalidateWholeWindow() {
    if (g_pActiveView)
        g_pActiveView->InvalidateRect(nullptr, false);
}

PointF Snap(PointF p) {
    return g_pActiveView ? g_pActiveView->SnapToGrid(p) : p;
}

// The selection a press gives an object: a hit selects (Ctrl toggles), a
// miss deselects unless Ctrl or keep-selection is held.
bool PressSelection(bool hit, bool selected, uint32_t flags) {
    if (hit)
        return (flags & kCtrl) ? !selected : true;
    return (flags & (kCtrl | kKeep)) ? selected : false;
}

// Selecting a footprint selects its package and the package's placed parts
// with their children; deselecting clears exactly the same set.
void SetPackageSelection(CFootprint* footprint, bool selected) {
    CTreeNode* package = footprint->GetParent();
    if (!package || package->GetType() != NodeType::Package)
        return;
    package->SetSelected(selected);
    for (CTreeNode* child : package->GetChildren()) {
        if (child->GetType() != NodeType::Part || !static_cast<CPart*>(child)->m_pSheet)
            continue;
        child->SetSelected(selected);
        for (CTreeNode* grandchild : child->GetChildren())
            grandchild->SetSelected(selected);
    }
}

// --- Outline owners ----------------------------------------------------------

void OutlineDown(Graphics* g, uint32_t flags, float x, float y, CAreaNode* head) {
    for (CAreaNode* n = head; n; n = n->m_next)
        if (n->m_selectedNode && n->HitTest(g, x, y)) {
            flags |= kKeep;
            break;
        }
    for (CAreaNode* n = head; n; n = n->m_next) {
        n->MouseDown(g, static_cast<int>(flags), x, y);
        if (n->m_selectedNode)
            Show(n);
    }
}

bool OutlineDrag(Graphics* g, uint32_t flags, float x, float y, CAreaNode* head) {
    bool moved = false;
    for (CAreaNode* n = head; n; n = n->m_next)
        if (n->m_selectedNode && n->Drag(g, static_cast<int>(flags), x, y)) {
            Show(n);
            moved = true;
        }
    return moved;
}

void OutlineUp(Graphics* g, uint32_t flags, float x, float y, CAreaNode* head) {
    for (CAreaNode* n = head; n; n = n->m_next) {
        n->MouseUp(g, static_cast<int>(flags), x, y);
        if (n->m_selectedNode)
            Show(n);
    }
}

int OutlineRightClick(Graphics* g, uint32_t flags, float x, float y, CAreaNode*& head) {
    for (CAreaNode* n = head; n; n = n->m_next) {
        const int32_t hit = n->HitTest(g, x, y) ? 1 : 0;
        if (hit != n->m_selectedNode) {
            n->m_selectedNode = hit;
            n->Invalidate(g);
        }
    }
    for (CAreaNode* n = head; n; n = n->m_next)
        if (n->RightClick(g, static_cast<int>(flags), x, y, head))
            return 1;
    return 0;
}

int OutlineDelete(CAreaNode*& head) {
    CAreaNode* n = head;
    while (n)
        n = n->Delete(head);
    InvalidateWholeWindow();
    return 1;
}

} // namespace

// --- Footprint -------------------------------------------------------------------

void CFootprint::ResetAttachedConductorUndoFlags() {
    std::set<CNet*> nets;
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Padstack)
            for (CTreeNode* pad : child->GetChildren())
                if (pad->GetType() == NodeType::Pad)
                    if (CNet* net = static_cast<CPad*>(pad)->GetNet())
                        nets.insert(net);
    for (CNet* net : nets)
        net->ResetConductorUndoFlags();
}

void CNet::ResetConductorUndoFlags() {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Conductor)
            child->m_dragRecorded = 0;
}

void CFootprint::MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    const bool was = IsSelected();
    SetSelected(PressSelection(HitTestOnBoard(g, x, y) != nullptr, was, flags));
    m_dragRecorded = 0;
    if (IsSelected() != was) {
        InvalidateWholeWindow();
        SetPackageSelection(this, IsSelected());
    }
    if (IsSelected()) {
        m_dragPoint = PointF{x, y};
        ResetAttachedConductorUndoFlags();
    }
}

int CFootprint::DragOnBoard(Graphics*, uint32_t flags, float x, float y) {
    if (m_fixed || !IsSelected() || !(flags & kLeft))
        return 0;
    const PointF target =
        Snap(PointF{m_boardPosition.X + x - m_dragPoint.X, m_boardPosition.Y + y - m_dragPoint.Y});
    if (target.X == m_boardPosition.X && target.Y == m_boardPosition.Y)
        return 0;
    if (!m_dragRecorded)
        PushUndo(new CUndoChangeFootprintPos(this));
    m_dragPoint.X += target.X - m_boardPosition.X;
    m_dragPoint.Y += target.Y - m_boardPosition.Y;
    m_dragRecorded = 1;
    m_boardPosition = target;
    InvalidateWholeWindow();
    Show(this);
    return 1;
}

void CFootprint::MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if ((flags & kCtrl) || m_dragRecorded)
        return;
    RectF r;
    if (GetBoundsOnBoard(g, r)) {
        const PointF p = BoardToLocal(x, y);
        if (p.X >= r.X && p.X < r.X + r.Width && p.Y >= r.Y && p.Y < r.Y + r.Height)
            return;
    }
    if (IsSelected()) {
        SetSelected(false);
        SetPackageSelection(this, false);
        InvalidateWholeWindow();
    }
}

// --- Pad --------------------------------------------------------------------------

void CPad::MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    const bool was = IsSelected();
    SetSelected(PressSelection(HitTestOnBoard(g, x, y) != nullptr, was, flags));
    m_dragRecorded = 0;
    if (IsSelected() != was)
        InvalidateOnBoard(g);
    if (IsSelected()) {
        m_boardClickPoint = PointF{x, y};
        if (flags & kFootprintEditor)
            Show(this);
    }
}

int CPad::DragOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (!IsSelected() || !(flags & kLeft))
        return 0;
    const PointF target = Snap(PointF{m_boardPosition.X + x - m_boardClickPoint.X,
                                      m_boardPosition.Y + y - m_boardClickPoint.Y});
    if (target.X == m_boardPosition.X && target.Y == m_boardPosition.Y)
        return 0;
    if (!m_dragRecorded)
        PushUndo(new CUndoChangeNodeAttribute(this, this));
    m_boardClickPoint.X += target.X - m_boardPosition.X;
    m_boardClickPoint.Y += target.Y - m_boardPosition.Y;
    m_dragRecorded = 1;
    InvalidateOnBoard(g);
    m_boardPosition = target;
    InvalidateOnBoard(g);
    Show(this);
    return 1;
}

void CPad::MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if ((flags & kCtrl) || m_dragRecorded)
        return;
    RectF r;
    if (GetBoundsOnBoard(g, r) && x >= r.X && x < r.X + r.Width && y >= r.Y && y < r.Y + r.Height)
        return;
    if (IsSelected()) {
        SetSelected(false);
        InvalidateOnBoard(g);
    }
}

int CPad::DeleteOnBoard(Graphics* g, uint32_t) {
    if (!IsSelected())
        return 0;
    SetSelected(false);
    InvalidateOnBoard(g);
    PushUndo(new CUndoDelete(this, this));
    RemoveFromParent();
    return 1;
}

// --- Padstack -----------------------------------------------------------------------

void CPadstack::MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    const std::vector<CTreeNode*> children = GetChildren();
    for (CTreeNode* child : children)
        if (child->GetType() == NodeType::Pad)
            child->MouseDownOnBoard(g, flags, x, y);
    m_dragRecorded = 0;
}

void CPadstack::MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    const std::vector<CTreeNode*> children = GetChildren();
    for (CTreeNode* child : children)
        if (child->GetType() == NodeType::Pad)
            child->MouseUpOnBoard(g, flags, x, y);
    m_dragRecorded = 0;
}

int CPadstack::DragOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    const std::vector<CTreeNode*> children = GetChildren();
    for (CTreeNode* child : children)
        if (child->GetType() == NodeType::Pad && child->DragOnBoard(g, flags, x, y))
            m_dragRecorded = 1;
    return m_dragRecorded;
}

int CPadstack::RightClickOnBoard(Graphics* g, uint32_t, float x, float y) {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Pad)
            child->SetSelected(child->HitTestOnBoard(g, x, y) != nullptr);
    return 0;
}

int CPadstack::DeleteOnBoard(Graphics* g, uint32_t flags) {
    const std::vector<CTreeNode*> children = GetChildren();
    if (GetParentFootprint()) {
        for (CTreeNode* child : children)
            if (child->GetType() == NodeType::Pad)
                child->DeleteOnBoard(g, flags);
        if (GetPadCount() > 0)
            return 0;
        PushUndo(new CUndoDelete(this, this));
        RemoveFromParent();
        return 1;
    }
    int deleted = 0;
    for (CTreeNode* child : children)
        deleted |= child->DeleteOnBoard(g, flags) ? 1 : 0;
    return deleted;
}

// --- Marking --------------------------------------------------------------------------

namespace {

bool MarkingEditable(const CMarking* marking) {
    return marking->m_layer != -1 &&
           (!g_pActiveView || g_pActiveView->IsLayerVisible(marking->m_layer));
}

} // namespace

void CMarking::MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (!MarkingEditable(this))
        return;
    for (CMarkingPrimitive* p : m_primitives)
        if (p->m_selected && p->HitTest(g, x, y)) {
            flags |= kKeep;
            break;
        }
    for (CMarkingPrimitive* p : m_primitives) {
        const bool was = p->m_selected;
        p->m_state = kMarkingEditing;
        p->MouseDown(g, static_cast<int>(flags), x, y);
        if (p->m_selected != was)
            p->Invalidate(g);
        if (p->m_selected)
            Show(p);
    }
}

int CMarking::DragOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (!MarkingEditable(this))
        return 0;
    const PointF p = Snap(PointF{x, y});
    int moved = 0;
    for (CMarkingPrimitive* primitive : m_primitives)
        if (primitive->MouseMove(g, static_cast<int>(flags), p.X, p.Y)) {
            Show(primitive);
            moved = 1;
        }
    return moved;
}

void CMarking::MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (!MarkingEditable(this))
        return;
    for (CMarkingPrimitive* p : m_primitives)
        p->MouseUp(g, static_cast<int>(flags), x, y);
}

int CMarking::DeleteOnBoard(Graphics* g, uint32_t) {
    for (size_t i = 0; i < m_primitives.size();) {
        CMarkingPrimitive* p = m_primitives[i];
        if (!p->m_selected) {
            ++i;
            continue;
        }
        p->m_selected = false;
        p->Invalidate(g);
        PushUndo(new CUndoMarkingPrimitiveDelete(this, static_cast<int>(i)));
        m_primitives.erase(m_primitives.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (!m_primitives.empty() || !GetParent())
        return 0;
    PushUndo(new CUndoDelete(this, this));
    RemoveFromParent();
    return 1;
}

// --- Area ---------------------------------------------------------------------------------

void CArea::MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    for (CAreaNode* n = m_outline; n; n = n->m_next)
        if (n->m_selectedNode && n->HitTest(g, x, y) && !n->HitTestHandle(x, y) &&
            !n->GetNextCyclic()->HitTestHandle(x, y)) {
            flags |= kKeep;
            break;
        }
    bool anySelected = false;
    for (CAreaNode* n = m_outline; n; n = n->m_next) {
        n->MouseDown(g, static_cast<int>(flags), x, y);
        if (n->m_selectedNode) {
            Show(n);
            anySelected = true;
        }
    }
    if (anySelected) {
        SetSelected(true);
        PushUndo(new CUndoAreaChange(this, this));
    } else {
        SetSelected(HitTestOnBoard(g, x, y) != nullptr);
        Show(IsSelected() ? this : nullptr);
    }
}

int CArea::DragOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (!(flags & kLeft))
        return 0;
    OutlineDrag(g, flags, x, y, m_outline);
    CTreeNode* parent = GetParent();
    if (parent && parent->GetType() == NodeType::Board)
        if (CNet* net = static_cast<CBoard*>(parent)->FindNet(m_net))
            net->BuildConnectionGraph(g);
    return 1;
}

void CArea::MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    bool dragged = false;
    for (CAreaNode* n = m_outline; n; n = n->m_next)
        dragged = dragged || n->m_dragging;
    OutlineUp(g, flags, x, y, m_outline);
    if (!dragged)
        return;
    // Corners snapped one by one can land on their neighbour; the piece
    // without length goes, in the same undo step as the drag.
    int count = 0;
    for (CAreaNode* n = m_outline; n; n = n->m_next)
        ++count;
    for (CAreaNode* n = m_outline; n && count > 3;) {
        CAreaNode* next = n->GetNextCyclic();
        if (next == n || next->m_x != n->m_x || next->m_y != n->m_y) {
            n = n->m_next;
            continue;
        }
        PushUndo(new CUndoAreaNodeDelete(n));
        CAreaNode* former = n->Unlink();
        if (m_outline == n) {
            PushUndo(new CUndoAreaChangeHead(&m_outline));
            m_outline = former;
        }
        --count;
        n = former;
    }
}

int CArea::RightClickOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    return OutlineRightClick(g, flags, x, y, m_outline);
}

// --- Drill, custom pad layer, thermal relief --------------------------------------------------

void CDrill::MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (!m_outline)
        return;
    StartUndoGroup();
    OutlineDown(g, flags, x, y, m_outline);
}
void CDrill::MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    OutlineUp(g, flags, x, y, m_outline);
}
int CDrill::DragOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (OutlineDrag(g, flags, x, y, m_outline))
        m_dragRecorded = 1;
    return m_dragRecorded;
}
int CDrill::RightClickOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    return OutlineRightClick(g, flags, x, y, m_outline);
}
int CDrill::DeleteOnBoard(Graphics*, uint32_t) {
    return m_drillType == kDrillCustom && m_outline ? OutlineDelete(m_outline) : 0;
}

void CPadLayer::MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (m_shape != kPadShapeCustom || !m_outline)
        return;
    StartUndoGroup();
    OutlineDown(g, flags, x, y, m_outline);
}
void CPadLayer::MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (m_shape == kPadShapeCustom)
        OutlineUp(g, flags, x, y, m_outline);
}
int CPadLayer::DragOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (m_shape == kPadShapeCustom && OutlineDrag(g, flags, x, y, m_outline))
        m_dragRecorded = 1;
    return m_dragRecorded;
}
int CPadLayer::RightClickOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    return OutlineRightClick(g, flags, x, y, m_outline);
}
int CPadLayer::DeleteOnBoard(Graphics*, uint32_t) {
    return m_shape == kPadShapeCustom && m_outline ? OutlineDelete(m_outline) : 0;
}

void CThermalRelief::MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (!m_outline)
        return;
    StartUndoGroup();
    OutlineDown(g, flags, x, y, m_outline);
}
void CThermalRelief::MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    OutlineUp(g, flags, x, y, m_outline);
}
int CThermalRelief::DragOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (OutlineDrag(g, flags, x, y, m_outline))
        m_dragRecorded = 1;
    return m_dragRecorded;
}
int CThermalRelief::RightClickOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    return OutlineRightClick(g, flags, x, y, m_outline);
}
int CThermalRelief::DeleteOnBoard(Graphics*, uint32_t) {
    return m_outline ? OutlineDelete(m_outline) : 0;
}

// --- Conductor clean-up ---------------------------------------------------------------------

void CConductor::RemoveRepeatedVertices() {
    for (size_t i = 0; i + 1 < m_vertices.size();) {
        ConductorVertex& a = m_vertices[i];
        ConductorVertex& b = m_vertices[i + 1];
        if (std::fabs(a.x - b.x) >= 0.001f || std::fabs(a.y - b.y) >= 0.001f) {
            ++i;
            continue;
        }
        if (a.corner != 0)
            b.corner = a.corner;
        if (!a.tie.IsNone())
            b.tie = a.tie;
        PushUndo(new CUndoConductorNodeDelete(this, static_cast<int>(i)));
        m_vertices.erase(m_vertices.begin() + static_cast<std::ptrdiff_t>(i));
        if (m_selected > static_cast<int>(i) + 1)
            --m_selected;
    }
}

void CConductor::RemoveRedundantVertices(Graphics* g) {
    RemoveRepeatedVertices();
    auto junction = [&](const ConductorVertex& v) {
        CTreeNode* net = GetParent();
        if (!net)
            return false;
        for (CTreeNode* child : net->GetChildren()) {
            if (child == this || child->GetType() != NodeType::Conductor)
                continue;
            auto* other = static_cast<CConductor*>(child);
            if (other->m_layer != m_layer)
                continue;
            for (const ConductorVertex& w : other->m_vertices)
                if (w.corner == 0 && std::fabs(w.x - v.x) < 0.001f && std::fabs(w.y - v.y) < 0.001f)
                    return true;
        }
        return false;
    };
    for (size_t k = 1; k + 1 < m_vertices.size();) {
        const ConductorVertex& p = m_vertices[k - 1];
        const ConductorVertex& v = m_vertices[k];
        const ConductorVertex& n = m_vertices[k + 1];
        const double d1 = std::atan2(double(p.y) - v.y, double(p.x) - v.x);
        const double d2 = std::atan2(double(v.y) - n.y, double(v.x) - n.x);
        if (std::fabs(d1 - d2) < 0.001 && v.tie.IsNone() && !junction(v)) {
            PushUndo(new CUndoConductorNodeDelete(this, static_cast<int>(k)));
            m_vertices.erase(m_vertices.begin() + static_cast<std::ptrdiff_t>(k));
            continue;
        }
        ++k;
    }
    if (!m_vertices.empty())
        InvalidateOnBoard(g);
}
