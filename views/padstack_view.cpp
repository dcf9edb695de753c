#include "views/padstack_view.h"

#include "board/area_node.h"
#include "board/board_types.h"
#include "board/board_undo_records.h"
#include "board/marking.h"
#include "board/marking_arc.h"
#include "board/marking_primitive.h"
#include "board/marking_shapes.h"
#include "board/marking_text.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_combobox.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "platform/accelerator.h"
#include "platform/graphics.h"
#include "platform/key_state.h"
#include "platform/paint_target.h"
#include "platform/string_table.h"
#include "resources/command_ids.h"
#include "resources/menus_footprint.h"
#include "shell/main_frame.h"
#include "views/marking_clipboard.h"

namespace {

constexpr unsigned kNoGridId = 341;       // "No grid defined"
constexpr unsigned kNoLayerId = 342;      // "No layer selected"
constexpr unsigned kWrongLayerId = 271;   // "Wrong layer"
constexpr unsigned kPropertiesId = 162;   // "Properties"
constexpr unsigned kPadstackTypeId = 333; // "Padstack type"
constexpr unsigned kPadShapeNames = 323;  // "Undefined" .. "Custom"
constexpr int kSelectorEntries = 9;
// The last layer command the selector can send.
constexpr int kLastLayerCommand = ID_PAD_LAYER_COMBO + kSelectorEntries - 1;

constexpr int kPrimitiveTools[] = {ID_DRAW_LINE,    ID_DRAW_RECTANGLE, ID_DRAW_POLYGON,
                                   ID_DRAW_ELLIPSE, ID_DRAW_ARC,       ID_DRAW_CURVE,
                                   ID_DRAW_TEXT};

bool IsOutlineLayer(int layer) {
    return layer == 30 || layer == 31;
}

bool IsShapeTool(int tool) {
    return tool == ID_DRAW_RECTANGLE || tool == ID_DRAW_POLYGON || tool == ID_DRAW_ELLIPSE;
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

} // namespace

CPadstackView::CPadstackView(CPadstack* padstack) : CLibraryEditorView(padstack) {
    m_currentTool = ID_TOOL_SELECT;
}

CPadstackView::~CPadstackView() {
    DestroyWindow();
}

CPadstack* CPadstackView::GetPadstack() const {
    return static_cast<CPadstack*>(m_pDocument);
}

CVorpelView* MakePadstackView(CTreeNode* node) {
    if (!node || node->GetType() != NodeType::Padstack)
        return nullptr;
    return new CPadstackView(static_cast<CPadstack*>(node));
}

int CPadstackView::LayerToEntry(int layer) {
    return layer < 26 ? layer + 1 : layer - 21;
}

int CPadstackView::EntryToLayer(int entry) {
    return entry <= 4 ? entry - 1 : entry + 21;
}

// --- Creation, painting, zoom -------------------------------------------------------------

void CPadstackView::OnCreate() {
    CPadstack* padstack = GetPadstack();
    SetUnitPointer(reinterpret_cast<int*>(&padstack->m_unit));
    SetGridPointer(&padstack->m_gridX);
    SetSnap(padstack->m_gridX != 0 && padstack->m_gridY != 0);
    // The panel starts on the padstack: none of its shapes starts selected.
    // Pads are a footprint's and stay as its editor left them.
    padstack->ClearOwnSelection();
    for (CTreeNode* child : padstack->GetChildren())
        if (child->GetType() != NodeType::Pad)
            DeselectSubtree(child);
    ZoomAll();
    CVorpelView::OnCreate();
    // A view created visible hears of no showing: it takes the selector now.
    if (GetStyle() & WS_VISIBLE)
        FillLayerCombo();
}

void CPadstackView::OnPaint() {
    PaintStruct ps;
    PaintTarget* target = BeginPaint(&ps);
    if (!target)
        return;
    m_dpiX = static_cast<float>(target->DpiX());
    m_dpiY = static_cast<float>(target->DpiY());
    const RECT client = GetClientRect();
    {
        Graphics g(target);
        BeginPaintScene(&g, client);
        const int front = GetFrontLayer();
        uint32_t flags = NodeFlags::PadstackView;
        if (m_thermal && front < 22)
            flags |= NodeFlags::ShowThermalRelief;
        flags |= (static_cast<uint32_t>(front) & 0xFF) << NodeFlags::FrontLayerShift;
        CPadstack* padstack = GetPadstack();
        // The padstack draws at its pads: for the picture, one at the origin.
        auto* origin = new CPad();
        padstack->AddChild(origin);
        int shownLayers = 0;
        for (auto it = m_drawOrder.rbegin(); it != m_drawOrder.rend(); ++it) {
            const int layer = *it;
            if (layer < 0 || !IsLayerVisible(layer))
                continue;
            ++shownLayers;
            for (CTreeNode* child : padstack->GetChildren()) {
                const bool onLayer =
                    (child->GetType() == NodeType::PadLayer &&
                     static_cast<CPadLayer*>(child)->m_layer == layer) ||
                    (child->GetType() == NodeType::Marking && child->GetLayer() == layer);
                if (onLayer)
                    child->DrawOnBoard(&g, flags);
            }
        }
        if (shownLayers > 0)
            padstack->DrawOnBoard(&g, flags);
        origin->RemoveFromParent();
        delete origin;
        // The floating copies go with each layer shown, as in the footprint
        // editor.
        if (m_placing)
            for (int k = 0; k < shownLayers; ++k)
                g_MarkingClipboard.Draw(&g,
                                        static_cast<int>(flags & ~NodeFlags::ShowThermalRelief));
        DrawOriginMarker(&g);
        g.Flush();
    }
    EndPaint(&ps);
}

void CPadstackView::ZoomAll() {
    auto g = MakeGraphics();
    RectF bounds;
    if (!GetPadstack()->GetBoundsOnBoard(g.get(), bounds))
        bounds = RectF{-10, -10, 20, 20};
    // At most half the window in each direction.
    FitToView(bounds, 2);
}

void CPadstackView::CycleUnit() {
    CPadstack* padstack = GetPadstack();
    // Not recorded for undo: no history's step puts it back or repeats it.
    ChangeWithoutHistory([padstack] { padstack->m_unit = (padstack->m_unit + 1) & 3; });
    g_MainFrame.m_statusBar.SetUnit(static_cast<int>(padstack->m_unit));
    if (CPropertyGrid* grid = GetPropertyGrid(); grid && grid->GetShownObject())
        grid->RefreshProperties();
    InvalidateRect(nullptr, false);
}

// --- Undo and redo -----------------------------------------------------------------------

void CPadstackView::Undo() {
    if (m_pCurrentPrimitive)
        return;
    m_undoList.Undo(true);
    ForgetDetachedInPanel();
    UpdateToolbar();
}

void CPadstackView::Redo() {
    if (m_pCurrentPrimitive)
        return;
    m_undoList.Redo();
    ForgetDetachedInPanel();
    UpdateToolbar();
}

// --- Properties ----------------------------------------------------------------------------

void CPadstackView::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    const int front = GetFrontLayer();
    CPadstack* padstack = GetPadstack();
    if (front < 0) {
        padstack->FillPropertyGrid();
        return;
    }
    const unsigned nameId = front < 22 ? 32901u + static_cast<unsigned>(front)
                                       : 32901u + static_cast<unsigned>(front) - 18u;
    grid->SetTitleText(LoadStringText(nameId) + L" " + LoadStringText(kPropertiesId));
    if (CPadLayer* layer = padstack->FindPadLayer(front))
        layer->FillPropertyGrid();
    else
        grid->AddCombo(kPadstackTypeId, kPadShapeNames, kPadShapeNames, 5);
}

void CPadstackView::ApplyPropertyChange(int row) {
    CPadstack* padstack = GetPadstack();
    const int front = GetFrontLayer();
    if (front < 0) {
        padstack->ApplyPropertyChange(row);
    } else {
        m_undoList.SetStartNewGroup(true);
        if (CPadLayer* layer = padstack->FindPadLayer(front))
            layer->ApplyPropertyChange(row);
        else
            AddPadLayerFromRow(row);
    }
    ForgetDetachedInPanel();
    if (CPropertyGrid* grid = GetPropertyGrid(); grid && grid->GetShownObject() == this)
        grid->RefreshProperties();
    InvalidateRect(nullptr, false);
    FocusParent();
}

void CPadstackView::AddPadLayerFromRow(int row) {
    CPropertyGrid* grid = GetPropertyGrid();
    auto* combo = grid ? dynamic_cast<CPropertyCombobox*>(grid->GetItem(row)) : nullptr;
    const int shape = combo ? combo->GetSelectedIndex() : kPadShapeNone;
    if (shape <= kPadShapeNone || shape > kPadShapeCustom)
        return;
    auto* layer = new CPadLayer(GetFrontLayer());
    layer->m_shape = shape;
    switch (shape) {
    case kPadShapeRound:
        layer->m_width = layer->m_height = 1.0f;
        break;
    case kPadShapeOblong:
    case kPadShapeRect:
        layer->m_width = 1.0f;
        layer->m_height = 2.0f;
        break;
    default: {
        const float corners[4][2] = {{-3, -2}, {3, -2}, {3, 2}, {-3, 2}};
        for (const auto& c : corners)
            AppendAreaNode(layer->m_outline, new CAreaSegment(&g_pActiveView, c[0], c[1]));
        break;
    }
    }
    GetPadstack()->AddChild(layer);
    m_undoList.AddUndo(new CUndoInsert(layer, nullptr));
}

// --- Tools ---------------------------------------------------------------------------------

void CPadstackView::SelectTool(int tool) {
    if (tool != ID_TOOL_SELECT && !IsPrimitiveTool(tool))
        return;
    if (IsPrimitiveTool(tool)) {
        const int front = GetFrontLayer();
        if (front < 0) {
            StopMessage(kNoLayerId);
            FocusParent();
            return;
        }
        if (!IsLayerVisible(front))
            return;
    }
    ResetTool();
    g_MainFrame.UISetCheck(m_currentTool, false);
    m_currentTool = tool;
    g_MainFrame.UISetCheck(m_currentTool, true);
    if (IsPrimitiveTool(tool)) {
        ResetToolPoints();
        CreateMarkingPrimitive();
    }
    if (tool != ID_DRAW_TEXT)
        FocusParent();
}

void CPadstackView::ResetTool() {
    auto g = MakeGraphics();
    CPadstack* padstack = GetPadstack();
    if (m_currentTool == ID_TOOL_SELECT) {
        DeselectPrimitives(padstack, g.get());
        g_MarkingClipboard.Invalidate(g.get());
        m_placing = false;
    } else if (m_currentTool == ID_DRAW_POLYGON && m_pCurrentPrimitive &&
               !static_cast<CMarkingPolygon*>(m_pCurrentPrimitive)->m_vertices.empty()) {
        // The polygon stays as drawn.
        m_pCurrentPrimitive->m_state = kMarkingIdle;
        m_pCurrentPrimitive->m_selected = false;
        m_pCurrentPrimitive = nullptr;
    } else if (IsPrimitiveTool(m_currentTool)) {
        // What is under way goes (an empty polygon too: it would write a
        // stray separator into the marking).
        RemoveCurrentPrimitive();
    }
    g_MainFrame.UISetCheck(m_currentTool, false);
    SetCursor(CursorShape::Arrow);
    m_currentTool = ID_TOOL_SELECT;
    g_MainFrame.UISetCheck(m_currentTool, true);
    InvalidateRect(nullptr, false);
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(this);
}

void CPadstackView::DropWorkInProgress() {
    if (IsPrimitiveTool(m_currentTool))
        ResetTool();
}

void CPadstackView::OnEscape() {
    if (m_currentTool == ID_TOOL_SELECT) {
        SetVisibleLayers(~0ull);
        ShowSelectorEntry(LayerToEntry(GetFrontLayer()));
    }
    ResetTool();
}

void CPadstackView::UpdateToolbar() {
    CMainFrame& frame = g_MainFrame;
    const int front = GetFrontLayer();
    frame.UISetCheck(ID_SNAP_TO_GRID, IsSnapOn());
    frame.UISetCheck(ID_TOOL_SELECT, m_currentTool == ID_TOOL_SELECT);
    if (front >= 22)
        m_thermal = false;
    frame.UISetCheck(ID_PS_SHOW_THERMAL, m_thermal);
    frame.UIEnable(ID_PS_SHOW_THERMAL, front < 22 && front != kPadLayerPlane);
    for (int tool : kPrimitiveTools) {
        frame.UISetCheck(tool, tool == m_currentTool);
        frame.UIEnable(tool, front >= 22);
    }
}

// --- Layers --------------------------------------------------------------------------------

void CPadstackView::SetActiveLayer(int layer) {
    auto g = MakeGraphics();
    DeselectPrimitives(GetPadstack(), g.get());
    if (layer >= 0) {
        const uint64_t bit = 1ull << layer;
        if (GetFrontLayer() == layer)
            m_visibleLayers ^= bit;
        else
            m_visibleLayers |= bit;
    }
    BringLayerToFront(layer < 0 ? -1 : layer);
    UpdateToolbar();
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(this);
    InvalidateRect(nullptr, false);
}

void CPadstackView::OnLayerCommand(int id) {
    // The selector has nine entries: no command beyond them names a layer.
    if (id < ID_PAD_LAYER_COMBO || id > kLastLayerCommand)
        return;
    SetActiveLayer(EntryToLayer(id - ID_PAD_LAYER_COMBO));
    ShowSelectorEntry(LayerToEntry(GetFrontLayer()));
}

void CPadstackView::FillLayerCombo() {
    std::vector<unsigned> texts;
    for (int entry = 0; entry < kSelectorEntries; ++entry)
        texts.push_back(entry <= 4 ? 32900u + static_cast<unsigned>(entry)
                                   : 32909u + static_cast<unsigned>(entry - 5));
    FillLayerSelector(&g_MainFrame.m_padstackToolBar, texts, KeyHint);
    ShowSelectorEntry(LayerToEntry(GetFrontLayer()));
    UpdateToolbar();
    g_MainFrame.m_statusBar.SetNetText(nullptr);
    g_MainFrame.m_statusBar.SetUnit(GetUnit());
}

void CPadstackView::DrawLayerComboItem(const DRAWITEMSTRUCT* dis) {
    if (!dis || dis->itemID < 0)
        return;
    const int entry = dis->itemID;
    DrawSelectorItem(dis, EntryToLayer(entry), KeyHint(entry));
}

std::wstring CPadstackView::KeyHint(int entry) {
    return entry <= 4 ? std::to_wstring(entry) : L"Shift+" + std::to_wstring(entry);
}

// --- Commands ------------------------------------------------------------------------------

void CPadstackView::OnThermalCommand() {
    if (GetFrontLayer() >= 22)
        return;
    m_thermal = !m_thermal;
    g_MainFrame.UISetCheck(ID_PS_SHOW_THERMAL, m_thermal);
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(this);
    InvalidateRect(nullptr, false);
}

void CPadstackView::OnDeleteCommand() {
    m_undoList.SetStartNewGroup(true);
    if (m_currentTool == ID_TOOL_SELECT) {
        auto g = MakeGraphics();
        GetPadstack()->DeleteOnBoard(g.get(), 0);
        ForgetDetachedInPanel();
    }
    InvalidateRect(nullptr, false);
}

void CPadstackView::OnCommand(int id) {
    if (id == ID_SNAP_TO_GRID) {
        const CPadstack* padstack = GetPadstack();
        if (padstack->m_gridX == 0 || padstack->m_gridY == 0) {
            StopMessage(kNoGridId);
            return;
        }
        SetSnap(!IsSnapOn());
        g_MainFrame.UISetCheck(ID_SNAP_TO_GRID, IsSnapOn());
    } else if (id == ID_PS_SHOW_THERMAL) {
        OnThermalCommand();
    } else if (id == ID_TOOL_SELECT || IsPrimitiveTool(id)) {
        SelectTool(id);
    } else if (id >= ID_PAD_LAYER_COMBO && id <= ID_PAD_LAYER_LAST) {
        OnLayerCommand(id);
    } else if (id == ID_FP_DELETE) {
        OnDeleteCommand();
    } else if (id == ID_HELP_VIEW) {
        // F1 of the view's own keys: the frame's help.
        g_MainFrame.PostMessage(WM_COMMAND, MAKEWPARAM(ID_HELP_VIEW, 0), 0);
    }
}

// --- Keyboard ------------------------------------------------------------------------------

bool CPadstackView::PreTranslateMessage(Message* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return false;
    if (msg->window != this && msg->window != GetParent())
        return false;
    const int key = static_cast<int>(msg->wParam);
    if (key == VK_ESCAPE) {
        OnEscape();
        return true;
    }
    if (HandleArrowKey(key))
        return true;
    std::vector<Accelerator> entries;
    for (const AcceleratorResourceEntry& e : FootprintViewAccelerators(IDR_ACCEL_PADSTACK))
        entries.push_back(Accelerator{e.flags, e.key, e.command});
    return TranslateAccelerator(this, AcceleratorTable(std::move(entries)), msg);
}

void CPadstackView::OnKeyDown(int key) {
    if (key >= '0' && key <= '9') {
        const bool shift = IsKeyDown(VK_SHIFT);
        const bool ctrl = IsKeyDown(VK_CONTROL);
        if (shift) {
            if (key < '5')
                return;
            SetActiveLayer(key - 27);
        } else if (ctrl) {
            return;
        } else {
            if (key >= '5')
                return;
            SetActiveLayer(key == '0' ? -1 : key - '1');
        }
        ShowSelectorEntry(LayerToEntry(GetFrontLayer()));
        return;
    }
    switch (key) {
    case VK_BACK:
        SetVisibleLayers(0);
        ShowSelectorEntry(LayerToEntry(GetFrontLayer()));
        break;
    case VK_DELETE:
        SendMessage(WM_COMMAND, ID_FP_DELETE, 0);
        break;
    case 'H':
    case 'R':
    case 'V':
        // The records join the group that is open (a selecting click opens one).
        TransformPrimitives(GetPadstack(), static_cast<wchar_t>(key));
        break;
    default:
        break;
    }
    InvalidateRect(nullptr, false);
}

// --- Select ------------------------------------------------------------------------------------

// The children a mouse event of Select goes to, in order: the pad layer of
// the active layer (or its own thermal relief with a custom outline while
// thermal reliefs are shown), and every child that is no pad layer.
std::vector<CTreeNode*> CPadstackView::RoutedChildren() const {
    std::vector<CTreeNode*> routed;
    const int front = GetFrontLayer();
    for (CTreeNode* child : GetPadstack()->GetChildren()) {
        if (child->GetType() != NodeType::PadLayer) {
            routed.push_back(child);
            continue;
        }
        auto* layer = static_cast<CPadLayer*>(child);
        if (layer->m_layer == -1 || layer->m_layer != front || !IsLayerVisible(front))
            continue;
        CThermalRelief* relief = m_thermal ? layer->FindThermalRelief() : nullptr;
        if (relief && relief->m_outline)
            routed.push_back(relief);
        else
            routed.push_back(layer);
    }
    return routed;
}

unsigned CPadstackView::CheckPlacingLayer() const {
    const int front = GetFrontLayer();
    return front >= 26 && front <= 29 ? 0 : kWrongLayerId;
}

void CPadstackView::SelectClick(Graphics* g, uint32_t keys, PointF p) {
    m_undoList.SetStartNewGroup(true);
    if (m_placing && !g_MarkingClipboard.IsEmpty()) {
        // Copies go only where Paste lets them: the solder-mask and
        // solder-paste layers.
        if (const unsigned refused = CheckPlacingLayer()) {
            StopMessage(refused);
            FocusParent();
            return;
        }
        PlaceClipboardCopies(GetPadstack(), g);
        return;
    }
    for (CTreeNode* child : RoutedChildren())
        child->MouseDownOnBoard(g, keys, p.X, p.Y);
}

void CPadstackView::SelectMove(Graphics* g, uint32_t keys, PointF p) {
    if (m_placing) {
        g_MarkingClipboard.MoveTo(g, static_cast<int>(keys), p.X, p.Y);
        return;
    }
    if (!(keys & MK_LBUTTON))
        return;
    m_undoList.SetStartNewGroup(true);
    for (CTreeNode* child : RoutedChildren())
        child->DragOnBoard(g, keys, p.X, p.Y);
}

void CPadstackView::SelectRelease(Graphics* g, uint32_t keys, PointF p) {
    for (CTreeNode* child : RoutedChildren())
        child->MouseUpOnBoard(g, keys, p.X, p.Y);
}

void CPadstackView::SelectContextMenu(Graphics* g, uint32_t keys, PointF p, POINT client) {
    m_undoList.SetStartNewGroup(true);
    CPadLayer* menuLayer = nullptr;
    for (CTreeNode* child : RoutedChildren()) {
        const int handled = child->RightClickOnBoard(g, keys, p.X, p.Y);
        if (!handled && child->GetType() == NodeType::PadLayer)
            menuLayer = static_cast<CPadLayer*>(child);
    }
    if (menuLayer) {
        CPadstack* padstack = GetPadstack();
        std::vector<unsigned> grayed;
        for (int value = 0; value < 4; ++value)
            if (padstack->FindPadLayer(value)) {
                grayed.push_back(static_cast<unsigned>(ID_PAD_LAYER_COPY_FIRST + value));
                grayed.push_back(static_cast<unsigned>(ID_PAD_LAYER_MOVE_FIRST + value));
            }
        const int command = TrackMenu(IDR_MENU_PAD_LAYER, client, grayed);
        if (command >= ID_PAD_LAYER_COPY_FIRST && command < ID_PAD_LAYER_COPY_FIRST + 4) {
            auto* copy = static_cast<CPadLayer*>(menuLayer->Clone());
            padstack->AddChild(copy);
            m_undoList.AddUndo(new CUndoInsert(copy, nullptr));
            copy->m_layer = command - ID_PAD_LAYER_COPY_FIRST;
        } else if (command >= ID_PAD_LAYER_MOVE_FIRST && command < ID_PAD_LAYER_MOVE_FIRST + 4) {
            m_undoList.AddUndo(new CUndoChangeNodeAttribute(menuLayer, nullptr));
            menuLayer->m_layer = command - ID_PAD_LAYER_MOVE_FIRST;
        }
        if (CPropertyGrid* grid = GetPropertyGrid(); grid && grid->GetShownObject() == this)
            grid->RefreshProperties();
    }
    InvalidateRect(nullptr, false);
}

// --- Marking primitives ------------------------------------------------------------------------

void CPadstackView::CreateMarkingPrimitive() {
    m_undoList.SetStartNewGroup(true);
    CMarking* marking = MarkingFor(GetPadstack(), GetFrontLayer());
    if (!marking)
        return;
    SetCursor(ToolCursor(m_currentTool));
    CMarkingPrimitive* p = nullptr;
    switch (m_currentTool) {
    case ID_DRAW_LINE:
        p = new CMarkingLine(marking);
        break;
    case ID_DRAW_RECTANGLE:
        p = new CMarkingRect(marking);
        break;
    case ID_DRAW_ELLIPSE:
        p = new CMarkingCircle(marking);
        break;
    case ID_DRAW_POLYGON:
        p = new CMarkingPolygon(marking);
        break;
    case ID_DRAW_ARC:
        p = new CMarkingArc(marking);
        break;
    case ID_DRAW_CURVE:
        p = new CMarkingBezier(marking);
        break;
    case ID_DRAW_TEXT: {
        auto* text = new CMarkingText(marking);
        text->m_text = L"?";
        text->m_fontName = L"Tahoma";
        text->m_fontSize = 1.5f;
        text->m_rotation = 0;
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
        if (m_currentTool == ID_DRAW_TEXT)
            grid->BeginEditRow(0);
    }
    m_undoList.AddUndo(new CUndoMarkingPrimitiveInsert(
        marking, static_cast<int>(marking->m_primitives.size()) - 1));
}

void CPadstackView::PrimitiveButtonDown(Graphics* g, uint32_t keys, PointF p) {
    CMarkingPrimitive* primitive = m_pCurrentPrimitive;
    if (!primitive)
        return;
    if (m_currentTool == ID_DRAW_TEXT) {
        primitive->m_selected = false;
        primitive->Invalidate(g);
        CreateMarkingPrimitive();
        return;
    }
    if (!primitive->MouseDown(g, static_cast<int>(keys), p.X, p.Y))
        return;
    if (IsShapeTool(m_currentTool) && IsOutlineLayer(GetFrontLayer())) {
        m_pCurrentPrimitive = nullptr;
        ResetTool();
        UpdateToolbar();
        return;
    }
    CreateMarkingPrimitive();
}

void CPadstackView::PrimitiveMove(Graphics* g, uint32_t keys, PointF p) {
    const int tool = m_currentTool;
    SetCursor(ToolCursor(tool));
    CMarkingPrimitive* primitive = m_pCurrentPrimitive;
    if (!primitive || !IsNewToolPoint(tool, p))
        return;
    if (tool == ID_DRAW_TEXT) {
        primitive->Invalidate(g);
        static_cast<CMarkingText*>(primitive)->m_pos = p;
        primitive->Invalidate(g);
        return;
    }
    primitive->MouseMove(g, static_cast<int>(keys), p.X, p.Y);
    if (CPropertyGrid* grid = GetPropertyGrid(); grid && grid->GetShownObject() == primitive)
        grid->RefreshProperties();
}

void CPadstackView::PrimitiveButtonUp(Graphics* g, uint32_t keys, PointF p) {
    if (m_currentTool != ID_DRAW_CURVE || !m_pCurrentPrimitive)
        return;
    if (m_pCurrentPrimitive->MouseUp(g, static_cast<int>(keys), p.X, p.Y))
        CreateMarkingPrimitive();
}

// --- Copy, cut and paste -------------------------------------------------------------------

void CPadstackView::CopyOrCut(int cut) {
    if (cut)
        m_undoList.SetStartNewGroup(true);
    auto g = MakeGraphics();
    CopyPrimitives(GetPadstack(), cut != 0, g.get());
}

void CPadstackView::Paste() {
    if (g_MarkingClipboard.IsEmpty())
        return;
    if (const unsigned refused = CheckPlacingLayer()) {
        StopMessage(refused);
        FocusParent();
        return;
    }
    m_undoList.SetStartNewGroup(true);
    if (m_currentTool != ID_TOOL_SELECT)
        ResetTool();
    m_placing = true;
    UpdateToolbar();
    InvalidateRect(nullptr, false);
}

// --- Mouse ---------------------------------------------------------------------------------

void CPadstackView::OnLButtonDown(WPARAM keys, POINT client) {
    SetButtonHeld(true);
    SetCapture();
    auto g = MakeGraphics();
    const PointF p = ClientPointToModel(g.get(), client);
    if (m_currentTool == ID_TOOL_SELECT)
        SelectClick(g.get(), static_cast<uint32_t>(keys), p);
    else if (IsPrimitiveTool(m_currentTool))
        PrimitiveButtonDown(g.get(), static_cast<uint32_t>(keys), p);
    FocusParent();
}

void CPadstackView::OnLButtonUp(WPARAM keys, POINT client) {
    if (GetCapture() == this)
        ReleaseCapture();
    auto g = MakeGraphics();
    const PointF p = ClientPointToModel(g.get(), client);
    if (m_currentTool == ID_TOOL_SELECT)
        SelectRelease(g.get(), static_cast<uint32_t>(keys), p);
    else
        PrimitiveButtonUp(g.get(), static_cast<uint32_t>(keys), p);
}

void CPadstackView::OnRButtonDown(WPARAM keys, POINT client) {
    SetCapture();
    if (m_currentTool == ID_TOOL_SELECT) {
        auto g = MakeGraphics();
        SelectContextMenu(g.get(), static_cast<uint32_t>(keys), ClientPointToModel(g.get(), client),
                          client);
    }
    // A context menu took the button's release: held on, the capture would
    // hand the next click anywhere (a tab of the strip) to this view.
    if (!(keys & MK_LBUTTON) && GetCapture() == this)
        ReleaseCapture();
    FocusParent();
}

void CPadstackView::OnMouseMove(WPARAM keys, POINT client) {
    if (HandlePanMove(keys, client))
        return;
    auto g = MakeGraphics();
    const PointF p = ClientPointToModel(g.get(), client);
    g_MainFrame.m_statusBar.SetPositionInUnit(p.X, p.Y, GetUnit());
    if (m_currentTool == ID_TOOL_SELECT)
        SelectMove(g.get(), static_cast<uint32_t>(keys), p);
    else if (IsPrimitiveTool(m_currentTool))
        PrimitiveMove(g.get(), static_cast<uint32_t>(keys), p);
}

// --- Message map -----------------------------------------------------------------------------

bool CPadstackView::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const POINT client{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    result = 0;
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<int>(wParam));
        // Other keys go on through the map.
        return (wParam >= '0' && wParam <= '9') || wParam == VK_BACK || wParam == VK_DELETE ||
               wParam == 'H' || wParam == 'R' || wParam == 'V';
    case WM_LBUTTONDOWN:
        OnLButtonDown(wParam, client);
        return true;
    case WM_LBUTTONUP:
        OnLButtonUp(wParam, client);
        return true;
    case WM_MBUTTONDOWN:
        m_middleAnchor = client;
        FocusParent();
        return true;
    case WM_RBUTTONDOWN:
        OnRButtonDown(wParam, client);
        return true;
    case WM_RBUTTONUP:
        if (GetCapture() == this)
            ReleaseCapture();
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, client);
        return true;
    case WM_SHOWWINDOW:
        if (wParam)
            FillLayerCombo();
        return false;
    case WM_MEASUREITEM:
        return true;
    case WM_DRAWITEM:
        if (wParam == static_cast<WPARAM>(ID_PAD_LAYER_COMBO)) {
            DrawLayerComboItem(LParamToPtr<DRAWITEMSTRUCT>(lParam));
            return true;
        }
        return CVorpelView::ProcessWindowMessage(msg, wParam, lParam, result);
    case WM_COMMAND:
        if (lParam == 0) {
            const int id = static_cast<int>(LOWORD(wParam));
            if ((id >= ID_VIEW_ZOOM_IN && id <= ID_VIEW_ZOOM_ALL) ||
                id == ID_VIEW_ZOOM_IN_AT_CURSOR || id == ID_VIEW_ZOOM_OUT_AT_CURSOR)
                return CVorpelView::ProcessWindowMessage(msg, wParam, lParam, result);
            OnCommand(id);
            return true;
        }
        return CVorpelView::ProcessWindowMessage(msg, wParam, lParam, result);
    default:
        return CVorpelView::ProcessWindowMessage(msg, wParam, lParam, result);
    }
}
