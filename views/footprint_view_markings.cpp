// The marking tools of the footprint editor: the seven primitive tools with
// the package-outline rules of layers 30 and 31, Select object with its
// transforms, and copy, cut and paste through the marking clipboard.
#include "board/board_undo_records.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_arc.h"
#include "board/marking_primitive.h"
#include "board/marking_shapes.h"
#include "board/marking_text.h"
#include "board/padstack.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "platform/graphics.h"
#include "resources/command_ids.h"
#include "resources/menus_footprint.h"
#include "shell/main_frame.h"
#include "views/footprint_view.h"
#include "views/marking_clipboard.h"

namespace {

constexpr unsigned kNoLayerId = 342;    // "No layer selected"
constexpr unsigned kWrongLayerId = 271; // "Wrong layer"

bool IsOutlineLayer(int layer) {
    return layer == 30 || layer == 31;
}

// The tools that draw one closed shape, the only ones the package-outline
// layers have.
bool IsShapeTool(int tool) {
    return tool == ID_DRAW_RECTANGLE || tool == ID_DRAW_POLYGON || tool == ID_DRAW_ELLIPSE;
}

bool IsShapeKind(int kind) {
    return kind == MARKING_RECT || kind == MARKING_POLYGON || kind == MARKING_CIRCLE;
}

CursorShape ToolCursor(int tool) {
    switch (tool) {
    case ID_DRAW_LINE:
        return LoadCursorResource(255);
    case ID_DRAW_RECTANGLE:
        return LoadCursorResource(262);
    case ID_DRAW_POLYGON:
        return LoadCursorResource(270);
    case ID_DRAW_ELLIPSE:
        return LoadCursorResource(263);
    case ID_DRAW_ARC:
        return LoadCursorResource(265);
    case ID_DRAW_CURVE:
        return LoadCursorResource(268);
    case ID_DRAW_TEXT:
        return LoadCursorResource(391);
    default:
        return CursorShape::Arrow;
    }
}

wchar_t TransformKey(int command) {
    return command == ID_FP_TRANSFORM_MIRROR_V   ? L'V'
           : command == ID_FP_TRANSFORM_MIRROR_H ? L'H'
                                                 : L'R';
}

} // namespace

bool CFootprintView::HasOutlineMarking() const {
    const int front = GetFrontLayer();
    if (!IsOutlineLayer(front))
        return false;
    // An outline marking emptied by a cut is no outline any more.
    const CMarking* marking = CPadstack::FindMarking(GetFootprint(), front);
    return marking && !marking->m_primitives.empty();
}

bool CFootprintView::AnyPrimitiveSelected() const {
    for (const CTreeNode* child : GetFootprint()->GetChildren())
        if (child->GetType() == NodeType::Marking &&
            static_cast<const CMarking*>(child)->HasSelectedPrimitive())
            return true;
    return false;
}

// --- Primitive tools -------------------------------------------------------------------------

void CFootprintView::StartPrimitiveTool() {
    // Every use of a tool starts afresh.
    ResetToolPoints();
    const int tool = m_currentTool;
    const int front = GetFrontLayer();
    const bool refused = (IsOutlineLayer(front) && !IsShapeTool(tool)) || HasOutlineMarking();
    if (refused) {
        SwitchTool(ID_FP_SELECT_OBJECT);
        return;
    }
    CreateMarkingPrimitive();
}

void CFootprintView::CreateMarkingPrimitive() {
    if (CMarkingPrimitive* last = m_pCurrentPrimitive) {
        m_rememberedWidth = last->m_width;
        m_rememberedClosed = last->m_closed;
        m_rememberedFilled = last->m_filled;
    }
    m_undoList.SetStartNewGroup(true);
    const int front = GetFrontLayer();
    CMarking* marking = MarkingFor(GetFootprint(), front);
    if (!marking)
        return;
    SetCursor(ToolCursor(m_currentTool));
    const bool outline = IsOutlineLayer(front);
    CMarkingPrimitive* p = nullptr;
    switch (m_currentTool) {
    case ID_DRAW_LINE:
        p = new CMarkingLine(marking);
        p->m_width = m_rememberedWidth;
        break;
    case ID_DRAW_RECTANGLE:
    case ID_DRAW_ELLIPSE:
        if (m_currentTool == ID_DRAW_RECTANGLE)
            p = new CMarkingRect(marking);
        else
            p = new CMarkingCircle(marking);
        if (!outline) {
            p->m_width = m_rememberedWidth;
            p->m_filled = m_rememberedFilled;
        }
        break;
    case ID_DRAW_POLYGON:
        p = new CMarkingPolygon(marking);
        if (!outline) {
            p->m_width = m_rememberedWidth;
            p->m_closed = m_rememberedClosed;
            p->m_filled = m_rememberedFilled;
        }
        break;
    case ID_DRAW_ARC:
        p = new CMarkingArc(marking);
        p->m_width = m_rememberedWidth;
        break;
    case ID_DRAW_CURVE:
        p = new CMarkingBezier(marking);
        p->m_width = m_rememberedWidth;
        break;
    case ID_DRAW_TEXT: {
        auto* text = new CMarkingText(marking);
        text->m_text = L"?";
        text->m_fontName = L"Tahoma";
        text->m_fontSize = 1.5f;
        text->m_rotation = 0;
        text->m_pos = PointF{0, 0};
        p = text;
        break;
    }
    default:
        return;
    }
    m_pCurrentPrimitive = p;
    p->m_selected = true;
    marking->m_primitives.push_back(p);
    if (CPropertyGrid* grid = GetPropertyGrid()) {
        grid->ShowProperties(p);
        // The text row takes the keyboard at once.
        if (m_currentTool == ID_DRAW_TEXT)
            grid->BeginEditRow(0);
    }
    m_undoList.AddUndo(new CUndoMarkingPrimitiveInsert(
        marking, static_cast<int>(marking->m_primitives.size()) - 1));
}

void CFootprintView::PrimitiveButtonDown(Graphics* g, uint32_t keys, PointF p) {
    CMarkingPrimitive* primitive = m_pCurrentPrimitive;
    if (!primitive)
        return;
    const int tool = m_currentTool;
    if (tool == ID_DRAW_TEXT) {
        // The text stays where it is; a new one follows the pointer.
        primitive->m_selected = false;
        primitive->Invalidate(g);
        CreateMarkingPrimitive();
        return;
    }
    const PointF s = SnapToGrid(p);
    if (!primitive->MouseDown(g, static_cast<int>(keys), s.X, s.Y))
        return;
    if (IsShapeTool(tool) && IsOutlineLayer(GetFrontLayer())) {
        // The package outline is one shape: the tool ends with it.
        m_pCurrentPrimitive = nullptr;
        SwitchTool(ID_FP_SELECT_OBJECT);
        UpdateToolbar();
        if (CPropertyGrid* grid = GetPropertyGrid())
            grid->ShowProperties(this);
        return;
    }
    CreateMarkingPrimitive();
}

void CFootprintView::PrimitiveMove(Graphics* g, uint32_t keys, PointF p) {
    const int tool = m_currentTool;
    SetCursor(ToolCursor(tool));
    CMarkingPrimitive* primitive = m_pCurrentPrimitive;
    if (!primitive)
        return;
    const PointF s = SnapToGrid(p);
    if (!IsNewToolPoint(tool, s))
        return;
    if (tool == ID_DRAW_TEXT) {
        primitive->Invalidate(g);
        static_cast<CMarkingText*>(primitive)->m_pos = s;
        primitive->Invalidate(g);
        return;
    }
    primitive->MouseMove(g, static_cast<int>(keys), s.X, s.Y);
}

void CFootprintView::PrimitiveButtonUp(Graphics* g, uint32_t keys, PointF p) {
    if (m_currentTool != ID_DRAW_CURVE || !m_pCurrentPrimitive)
        return;
    if (m_pCurrentPrimitive->MouseUp(g, static_cast<int>(keys), p.X, p.Y))
        CreateMarkingPrimitive();
}

void CFootprintView::EndPrimitiveTool(bool escape) {
    CMarkingPrimitive* primitive = m_pCurrentPrimitive;
    if (primitive) {
        m_rememberedWidth = primitive->m_width;
        m_rememberedClosed = primitive->m_closed;
        m_rememberedFilled = primitive->m_filled;
    }
    if (m_currentTool == ID_DRAW_POLYGON && primitive &&
        !static_cast<CMarkingPolygon*>(primitive)->m_vertices.empty()) {
        // The polygon stays as drawn; Esc begins the next one at once (a
        // second Esc leaves the tool), any other tool does not.
        primitive->m_state = kMarkingIdle;
        primitive->m_selected = false;
        InvalidateRect(nullptr, false);
        if (escape) {
            CreateMarkingPrimitive();
            return;
        }
        m_pCurrentPrimitive = nullptr;
        m_currentTool = ID_FP_SELECT_OBJECT;
        return;
    }
    // Nothing of the primitive under way is kept (a polygon without points
    // included, which would write nothing but a stray separator).
    RemoveCurrentPrimitive();
    m_currentTool = ID_FP_SELECT_OBJECT;
}

// --- Select object ---------------------------------------------------------------------------

unsigned CFootprintView::CheckPlacingLayer() const {
    const int front = GetFrontLayer();
    if (front < 0)
        return kNoLayerId;
    if (IsOutlineLayer(front)) {
        // The package outline is one rectangle, polygon or ellipse.
        const auto& copies = g_MarkingClipboard.Primitives();
        if (HasOutlineMarking() || copies.size() != 1 || !IsShapeKind(copies.front()->GetKind()))
            return kWrongLayerId;
    }
    return 0;
}

void CFootprintView::SelectObjectClick(Graphics* g, uint32_t keys, PointF p) {
    m_undoList.SetStartNewGroup(true);
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(this);
    CFootprint* footprint = GetFootprint();
    if (m_placing && !g_MarkingClipboard.IsEmpty()) {
        if (const unsigned refused = CheckPlacingLayer()) {
            StopMessage(refused);
            FocusParent();
            return;
        }
        PlaceClipboardCopies(footprint, g);
        UpdateToolbar();
        return;
    }
    const int front = GetFrontLayer();
    const std::vector<CTreeNode*> children = footprint->GetChildren();
    for (CTreeNode* child : children) {
        if (child->GetType() != NodeType::Marking)
            continue;
        auto* marking = static_cast<CMarking*>(child);
        if (marking->m_layer == -1 || marking->m_layer != front || !IsLayerVisible(front))
            continue;
        marking->MouseDownOnBoard(g, keys, p.X, p.Y);
        if (marking->HasSelectedPrimitive())
            return;
    }
    // Nothing on the active layer: a primitive of another layer shown brings
    // its layer to the front.
    for (CTreeNode* child : children) {
        if (child->GetType() != NodeType::Marking)
            continue;
        auto* marking = static_cast<CMarking*>(child);
        const int layer = marking->m_layer;
        if (layer == front || !IsLayerVisible(layer))
            continue;
        marking->MouseDownOnBoard(g, keys, p.X, p.Y);
        if (!marking->HasSelectedPrimitive())
            continue;
        BringLayerToFront(layer);
        ShowSelectorEntry(LayerToEntry(layer));
        UpdateToolbar();
        InvalidateRect(nullptr, false);
        return;
    }
}

void CFootprintView::SelectObjectMove(Graphics* g, uint32_t keys, PointF p) {
    if (m_placing) {
        g_MarkingClipboard.MoveTo(g, static_cast<int>(keys), p.X, p.Y);
        return;
    }
    const int front = GetFrontLayer();
    if (front < 0 || !IsLayerVisible(front))
        return;
    for (CTreeNode* child : GetFootprint()->GetChildren())
        if (child->GetType() == NodeType::Marking && child->GetLayer() == front)
            child->DragOnBoard(g, keys, p.X, p.Y);
}

void CFootprintView::SelectObjectRelease(Graphics* g, uint32_t keys, PointF p) {
    const int front = GetFrontLayer();
    if (front < 0 || !IsLayerVisible(front))
        return;
    for (CTreeNode* child : GetFootprint()->GetChildren())
        if (child->GetType() == NodeType::Marking && child->GetLayer() == front)
            child->MouseUpOnBoard(g, keys, p.X, p.Y);
}

void CFootprintView::SelectObjectContextMenu(Graphics* g, uint32_t keys, PointF p, POINT client) {
    const int front = GetFrontLayer();
    if (front < 0 || !IsLayerVisible(front))
        return;
    int command = 0;
    if (m_placing) {
        command = TrackMenu(IDR_MENU_TRANSFORM, client, {});
    } else {
        SelectObjectClick(g, keys, p);
        if (!AnyPrimitiveSelected())
            return;
        command = TrackMenu(IDR_MENU_PRIMITIVES, client, {});
    }
    if (command)
        TransformSelectedPrimitives(command);
    InvalidateRect(nullptr, false);
}

void CFootprintView::EndSelectObject(Graphics* g) {
    DeselectPrimitives(GetFootprint(), g);
    g_MarkingClipboard.Invalidate(g);
    g_MarkingClipboard.Clear();
    m_currentTool = m_placing ? ID_FP_SELECT_OBJECT : ID_FP_SELECT_PADSTACK;
    m_placing = false;
}

void CFootprintView::TransformSelectedPrimitives(int command) {
    TransformPrimitives(GetFootprint(), TransformKey(command));
}

// --- Copy, cut and paste -------------------------------------------------------------------

void CFootprintView::CopyOrCut(int cut) {
    if (m_currentTool == ID_FP_SELECT_PADSTACK) {
        CopyOrCutPad(cut != 0);
    } else if (m_currentTool == ID_FP_SELECT_OBJECT) {
        if (cut)
            m_undoList.SetStartNewGroup(true);
        auto g = MakeGraphics();
        CopyPrimitives(GetFootprint(), cut != 0, g.get());
    }
}

void CFootprintView::Paste() {
    if (g_MarkingClipboard.IsEmpty())
        return;
    if (const unsigned refused = CheckPlacingLayer()) {
        StopMessage(refused);
        FocusParent();
        return;
    }
    m_undoList.SetStartNewGroup(true);
    if (m_currentTool != ID_FP_SELECT_OBJECT) {
        g_MainFrame.UISetCheck(m_currentTool, false);
        SetTool();
    }
    m_placing = true;
    SwitchTool(ID_FP_SELECT_OBJECT);
    UpdateToolbar();
    InvalidateRect(nullptr, false);
}
