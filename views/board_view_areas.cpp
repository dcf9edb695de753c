// The outline tools of the board editor: Board Outline edits the board's own
// outline, Create new area draws a copper area as a rectangle on the current
// layer, Edit area picks an area and hands the mouse to its outline. The
// outline nodes do the editing themselves (area_node_edit.cpp).
#include "views/board_view.h"

#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "platform/graphics.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"

namespace {

constexpr unsigned kCaption = 128; // "Vorpel"
constexpr unsigned kNoLayer = 342; // "No layer selected"

// A rectangle being drawn encloses something once its corners differ in
// both x and y.
bool EnclosesArea(const CAreaNode* first) {
    if (CountAreaNodes(first) != 4)
        return false;
    const CAreaNode* third = first->m_next->m_next;
    return first->m_x != third->m_x && first->m_y != third->m_y;
}

void Show(CProperty* object) {
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(object);
}

} // namespace

void CBoardView::ForgetShownArea(CArea* area) {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->OnNodeRemoved(area);
    for (const CAreaNode* n = area->m_outline; n; n = n->m_next)
        if (grid->GetShownObject() == n)
            grid->ShowProperties(this);
}

std::vector<CArea*> CBoardView::Areas() const {
    std::vector<CArea*> out;
    if (CBoard* board = GetBoard())
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Area)
                out.push_back(static_cast<CArea*>(child));
    return out;
}

// --- Board outline ----------------------------------------------------------------------

void CBoardView::OutlinePress(Graphics* g, uint32_t flags, PointF p) {
    CBoard* board = GetBoard();
    if (!board)
        return;
    m_undoList.SetStartNewGroup(true);
    for (CAreaNode* n = board->m_outline; n; n = n->m_next) {
        if (n->m_selectedNode && n->HitTest(g, p.X, p.Y))
            flags |= NodeFlags::KeepSelection;
        // A grabbed handle moves alone.
        if (n->HitTestHandle(p.X, p.Y)) {
            flags &= ~NodeFlags::KeepSelection;
            break;
        }
    }
    for (CAreaNode* n = board->m_outline; n; n = n->m_next) {
        n->MouseDown(g, static_cast<int>(flags), p.X, p.Y);
        if (n->m_selectedNode)
            Show(n);
    }
}

void CBoardView::OutlineDrag(Graphics* g, uint32_t flags, PointF p) {
    SetToolCursor(ID_BRD_OUTLINE);
    CBoard* board = GetBoard();
    if (!board || !(flags & NodeFlags::LeftButton))
        return;
    for (CAreaNode* n = board->m_outline; n; n = n->m_next)
        if (n->m_selectedNode && n->Drag(g, static_cast<int>(flags), p.X, p.Y))
            Show(n);
}

void CBoardView::OutlineRelease(Graphics* g, uint32_t flags, PointF p) {
    CBoard* board = GetBoard();
    if (!board)
        return;
    for (CAreaNode* n = board->m_outline; n; n = n->m_next) {
        n->MouseUp(g, static_cast<int>(flags), p.X, p.Y);
        if (n->m_selectedNode)
            Show(n);
    }
}

void CBoardView::OutlineRightPress(Graphics* g, uint32_t flags, PointF p) {
    CBoard* board = GetBoard();
    if (!board)
        return;
    for (CAreaNode* n = board->m_outline; n; n = n->m_next) {
        const int32_t hit = n->HitTest(g, p.X, p.Y) ? 1 : 0;
        if (hit != n->m_selectedNode) {
            n->m_selectedNode = hit;
            n->Invalidate(g);
        }
    }
    for (CAreaNode* n = board->m_outline; n; n = n->m_next)
        if (n->RightClick(g, static_cast<int>(flags), p.X, p.Y, board->m_outline))
            break;
    DropDepartedProperties();
}

void CBoardView::DeleteOutlineNodes() {
    CBoard* board = GetBoard();
    if (!board)
        return;
    CAreaNode* n = board->m_outline;
    while (n)
        n = n->Delete(board->m_outline);
    DropDepartedProperties();
    InvalidateRect(nullptr, false);
}

// --- Areas ------------------------------------------------------------------------------------

CArea* CBoardView::AreaPick(Graphics* g, uint32_t flags, PointF p) {
    m_undoList.SetStartNewGroup(true);
    m_currentArea = nullptr;
    const int front = GetFrontLayer();
    const std::vector<CArea*> areas = Areas();
    for (CArea* area : areas) {
        if (area->GetLayer() != front)
            continue;
        area->MouseDownOnBoard(g, flags, p.X, p.Y);
        if (area->IsSelected() && !m_currentArea) {
            m_currentArea = area;
            Show(area);
            InvalidateRect(nullptr, false);
            return area;
        }
    }
    for (CArea* area : areas) {
        area->MouseDownOnBoard(g, flags, p.X, p.Y);
        if (area->IsSelected() && !m_currentArea) {
            m_currentArea = area;
            Show(area);
            if (area->GetLayer() != front && area->GetLayer() >= 0) {
                BringLayerToFront(area->GetLayer());
                SyncLayerSelector();
            }
        }
    }
    InvalidateRect(nullptr, false);
    return m_currentArea;
}

void CBoardView::AreaCreatePress(Graphics* g, uint32_t flags, PointF p) {
    CBoard* board = GetBoard();
    if (!board)
        return;
    if (m_newArea) {
        // The press is where the corner goes, whatever moves came before
        // (the first move after a press is swallowed).
        AreaDrag(g, flags, p);
        EndAreaCreation();
        m_currentTool = ID_BRD_AREA_EDIT;
        SetToolCursor(m_currentTool);
        return;
    }
    const int front = GetFrontLayer();
    if (front < 0) {
        ShowMessageBox(LoadStringText(kNoLayer), LoadStringText(kCaption), MB_OK | MB_ICONSTOP);
        return;
    }
    // A press on an area of the current layer picks that area instead; areas
    // of other layers (a ground plane below) do not stand in the way.
    m_undoList.SetStartNewGroup(true);
    for (CArea* area : Areas()) {
        if (area->GetLayer() != front)
            continue;
        area->MouseDownOnBoard(g, flags, p.X, p.Y);
        if (area->IsSelected()) {
            area->SetSelected(false);
            m_currentArea = nullptr;
            InvalidateRect(nullptr, false);
            return;
        }
    }
    m_undoList.SetStartNewGroup(true);
    auto* area = new CArea();
    area->SetLayer(front);
    area->SetSelected(true);
    board->AddChild(area);
    PushUndo(new CUndoInsert(area, nullptr));
    AppendAreaNode(area->m_outline, new CAreaSegment(&g_pActiveView, p.X, p.Y));
    m_newArea = area;
    m_newAreaUndoCount = m_undoList.UndoCount();
    InvalidateRect(nullptr, false);
}

void CBoardView::EndAreaCreation() {
    CArea* area = m_newArea;
    m_newArea = nullptr;
    if (!area)
        return;
    if (EnclosesArea(area->m_outline)) {
        m_currentArea = area;
        return;
    }
    // A point or a line is no area: it is taken back as if it never was,
    // or, when other changes came after it, as a change of its own.
    if (m_undoList.UndoCount() == m_newAreaUndoCount) {
        // The area is deleted with the dropped record; the panel lets go first.
        ForgetShownArea(area);
        m_undoList.Undo(false);
    } else {
        m_undoList.SetStartNewGroup(true);
        PushUndo(new CUndoDelete(area, nullptr));
        area->RemoveFromParent();
        ForgetShownArea(area);
    }
    if (m_currentArea == area)
        m_currentArea = nullptr;
    DropDepartedProperties();
    InvalidateRect(nullptr, false);
}

void CBoardView::AreaDrag(Graphics* g, uint32_t flags, PointF p) {
    SetToolCursor(m_currentTool);
    if (m_currentArea) {
        m_currentArea->DragOnBoard(g, flags, p.X, p.Y);
        return;
    }
    CArea* area = m_newArea;
    if (!area || !area->m_outline)
        return;
    CAreaNode* first = area->m_outline;
    const float x0 = first->m_x, y0 = first->m_y;
    const int count = CountAreaNodes(first);
    if (count == 1) {
        if (p.X == x0 && p.Y == y0)
            return;
        AppendAreaNode(area->m_outline, new CAreaSegment(&g_pActiveView, x0, p.Y));
        AppendAreaNode(area->m_outline, new CAreaSegment(&g_pActiveView, p.X, p.Y));
        AppendAreaNode(area->m_outline, new CAreaSegment(&g_pActiveView, p.X, y0));
    } else if (count == 4) {
        CAreaNode* second = first->m_next;
        CAreaNode* third = second->m_next;
        CAreaNode* fourth = third->m_next;
        second->m_y = p.Y;
        third->m_x = p.X;
        third->m_y = p.Y;
        fourth->m_x = p.X;
    }
    InvalidateRect(nullptr, false);
}

void CBoardView::DeleteCurrentArea(Graphics* g) {
    CArea* area = m_currentArea;
    if (!area)
        return;
    PushUndo(new CUndoDelete(area, nullptr));
    area->SetSelected(false);
    area->InvalidateOnBoard(g);
    area->RemoveFromParent();
    ForgetShownArea(area);
    m_currentArea = nullptr;
    InvalidateRect(nullptr, false);
}
