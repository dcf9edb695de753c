// The footprint editor's window: messages, keys, layers, the toolbar,
// painting, zoom to fit, undo and redo, Move Origin and the switching of
// tools. The pad tools are in footprint_view_pads.cpp, the marking tools in
// footprint_view_markings.cpp.
#include "views/footprint_view.h"

#include "board/board_undo_records.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "dialogs/padstack_sheet.h"
#include "platform/accelerator.h"
#include "platform/graphics.h"
#include "platform/key_state.h"
#include "platform/paint_target.h"
#include "platform/string_table.h"
#include "resources/command_ids.h"
#include "resources/menus_footprint.h"
#include "shell/main_frame.h"
#include "views/marking_clipboard.h"

#include <string>

namespace {

constexpr unsigned kSelectPadstackCaption = 217; // "Select padstack"
constexpr unsigned kNoGridId = 341;              // "No grid defined"
constexpr unsigned kNoLayerId = 342;             // "No layer selected"
constexpr unsigned kOriginTitleId = 282;         // "Origin properties"
constexpr unsigned kOriginRowId = 283;           // "Origin offset"
constexpr int kSelectorEntries = 15;

bool IsFootprintTool(int id) {
    return id == ID_FP_SELECT_OBJECT || id == ID_FP_SELECT_PADSTACK || id == ID_FP_PLACE_PADSTACK ||
           CLibraryEditorView::IsPrimitiveTool(id);
}

// Every tool whose button shows whether it is the current one.
constexpr int kToolButtons[] = {ID_FP_SELECT_OBJECT, ID_FP_SELECT_PADSTACK, ID_FP_PLACE_PADSTACK,
                                ID_DRAW_LINE,        ID_DRAW_RECTANGLE,     ID_DRAW_POLYGON,
                                ID_DRAW_ELLIPSE,     ID_DRAW_ARC,           ID_DRAW_CURVE,
                                ID_DRAW_TEXT};

} // namespace

CFootprintView::CFootprintView(CFootprint* footprint)
    : CLibraryEditorView(footprint),
      m_sheet(std::make_unique<CPadstackSheet>(LoadStringText(kSelectPadstackCaption))) {
    m_currentTool = ID_FP_SELECT_PADSTACK;
}

CFootprintView::~CFootprintView() {
    DestroyWindow();
    m_rubberBand.reset();
    m_sheet.reset();
}

CFootprint* CFootprintView::GetFootprint() const {
    return static_cast<CFootprint*>(m_pDocument);
}

CPad* CFootprintView::GetFloatingPad() const {
    return static_cast<CPad*>(m_pFloatingPad);
}

CVorpelView* MakeFootprintView(CTreeNode* node) {
    if (!node || node->GetType() != NodeType::Footprint)
        return nullptr;
    return new CFootprintView(static_cast<CFootprint*>(node));
}

int CFootprintView::LayerToEntry(int layer) {
    return layer < 22 ? layer + 1 : layer - 17;
}

int CFootprintView::EntryToLayer(int entry) {
    return entry <= 4 ? entry - 1 : entry + 17;
}

// --- Creation and painting -----------------------------------------------------------

void CFootprintView::OnCreate() {
    CFootprint* footprint = GetFootprint();
    SetUnitPointer(reinterpret_cast<int*>(&footprint->m_unit));
    SetGridPointer(&footprint->m_gridX);
    SetSnap(footprint->m_gridX != 0 && footprint->m_gridY != 0);
    // The panel starts on the footprint, so nothing starts selected: a pad
    // left selected when an earlier editor closed must not be cut or moved
    // unseen.
    DeselectSubtree(footprint);
    ZoomAll();
    CVorpelView::OnCreate();
    // A view created visible hears of no showing: it takes the selector now.
    if (GetStyle() & WS_VISIBLE)
        FillLayerCombo();
}

void CFootprintView::OnPaint() {
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
        const uint32_t flags = NodeFlags::FootprintView;
        CFootprint* footprint = GetFootprint();
        int shownLayers = 0;
        // Back to front: the active layer is drawn last, on top.
        for (auto it = m_drawOrder.rbegin(); it != m_drawOrder.rend(); ++it) {
            const int layer = *it;
            if (layer < 0 || !IsLayerVisible(layer))
                continue;
            ++shownLayers;
            for (CTreeNode* child : footprint->GetChildren()) {
                if (child->GetType() == NodeType::Padstack) {
                    for (CTreeNode* part : child->GetChildren()) {
                        const bool onLayer =
                            (part->GetType() == NodeType::PadLayer &&
                             static_cast<CPadLayer*>(part)->m_layer == layer) ||
                            (part->GetType() == NodeType::Marking && part->GetLayer() == layer);
                        if (onLayer)
                            part->DrawOnBoard(&g, flags);
                    }
                } else if (child->GetType() == NodeType::Marking && child->GetLayer() == layer) {
                    child->DrawOnBoard(&g, flags);
                }
            }
        }
        // The holes and pad numbers over every layer shown.
        if (shownLayers > 0)
            for (CTreeNode* child : footprint->GetChildren())
                if (child->GetType() == NodeType::Padstack)
                    child->DrawOnBoard(&g, flags);
        // The floating copies go with each layer shown, over everything: with
        // every layer hidden they are not shown either.
        for (int k = 0; k < shownLayers; ++k)
            g_MarkingClipboard.Draw(&g, static_cast<int>(flags));
        DrawOriginMarker(&g);
        g.Flush();
    }
    EndPaint(&ps);
}

void CFootprintView::ZoomAll() {
    auto g = MakeGraphics();
    RectF bounds;
    if (!GetFootprint()->GetBoundsOnBoard(g.get(), bounds))
        bounds = RectF{-10, -10, 20, 20};
    FitToView(bounds, 1);
}

void CFootprintView::CycleUnit() {
    CFootprint* footprint = GetFootprint();
    // Not recorded for undo: no history's step puts it back or repeats it.
    ChangeWithoutHistory([footprint] { footprint->m_unit = (footprint->m_unit + 1) & 3; });
    g_MainFrame.m_statusBar.SetUnit(static_cast<int>(footprint->m_unit));
    if (CPropertyGrid* grid = GetPropertyGrid(); grid && grid->GetShownObject())
        grid->RefreshProperties();
    InvalidateRect(nullptr, false);
}

// --- Undo and redo -----------------------------------------------------------------------

void CFootprintView::Undo() {
    // A primitive being drawn or a pad following the pointer is work under
    // way, recorded as it goes: Esc ends it first.
    if (m_pCurrentPrimitive || m_pFloatingPad)
        return;
    m_undoList.Undo(true);
    // An undone pad transform may name a pad in the view's floating-pad
    // field; no pad floats outside Place padstack.
    m_pFloatingPad = nullptr;
    ForgetDetachedInPanel();
    UpdateToolbar();
}

void CFootprintView::Redo() {
    if (m_pCurrentPrimitive || m_pFloatingPad)
        return;
    m_undoList.Redo();
    m_pFloatingPad = nullptr;
    ForgetDetachedInPanel();
    UpdateToolbar();
}

// --- Properties and Move Origin ------------------------------------------------------------

void CFootprintView::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    if (m_currentTool == ID_TOOL_MOVE_ORIGIN) {
        grid->SetTitle(kOriginTitleId);
        grid->AddPointF(kOriginRowId, m_pendingOrigin.X, m_pendingOrigin.Y, GetUnit());
        return;
    }
    GetFootprint()->FillPropertyGrid();
}

void CFootprintView::ApplyPropertyChange(int row) {
    CPropertyGrid* grid = GetPropertyGrid();
    if (m_currentTool == ID_TOOL_MOVE_ORIGIN) {
        PointF candidate = m_pendingOrigin;
        if (row == 0 && grid && grid->ParsePointRow(grid->GetItem(0), &candidate)) {
            m_pendingOrigin = candidate;
            ApplyOriginShift();
        }
    } else {
        GetFootprint()->ApplyPropertyChange(row);
    }
    InvalidateRect(nullptr, false);
    FocusParent();
}

void CFootprintView::OnMoveOriginMessage() {
    // Whatever the old tool had under way is ended first: a floating pad or
    // an unfinished primitive must not stay behind as part of the footprint.
    g_MainFrame.UISetCheck(m_currentTool, false);
    SetTool();
    m_currentTool = ID_TOOL_MOVE_ORIGIN;
    m_pendingOrigin = PointF{0, 0};
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(this);
    InvalidateRect(nullptr, false);
}

void CFootprintView::ApplyOriginShift() {
    const PointF c = m_pendingOrigin;
    m_undoList.SetStartNewGroup(true);
    CFootprint* footprint = GetFootprint();
    for (CTreeNode* child : footprint->GetChildren()) {
        if (child->GetType() == NodeType::Padstack) {
            for (CTreeNode* pad : child->GetChildren()) {
                if (pad->GetType() != NodeType::Pad)
                    continue;
                m_undoList.AddUndo(new CUndoChangeNodeAttribute(pad, nullptr));
                pad->m_boardPosition.X -= c.X;
                pad->m_boardPosition.Y -= c.Y;
            }
        } else if (child->GetType() == NodeType::Marking) {
            for (CMarkingPrimitive* p : static_cast<CMarking*>(child)->m_primitives) {
                m_undoList.AddUndo(new CUndoMarkingPrimitiveChange(p));
                p->Move(-c.X, -c.Y);
            }
        }
    }
    SetTool();
    g_MainFrame.UISetCheck(m_currentTool, true);
}

// --- Tools ---------------------------------------------------------------------------------

void CFootprintView::SwitchTool(int tool) {
    g_MainFrame.UISetCheck(m_currentTool, false);
    m_currentTool = tool;
    g_MainFrame.UISetCheck(m_currentTool, true);
}

void CFootprintView::SelectTool(int tool) {
    if (!IsFootprintTool(tool))
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
    g_MainFrame.UISetCheck(m_currentTool, false);
    SetTool();
    m_currentTool = tool;
    g_MainFrame.UISetCheck(m_currentTool, true);
    if (tool == ID_FP_PLACE_PADSTACK)
        StartPlacePadstack();
    else if (IsPrimitiveTool(tool))
        StartPrimitiveTool();
    if (m_currentTool != ID_DRAW_TEXT)
        FocusParent();
}

// Ends whatever the current tool has under way and leaves the tool it falls
// back to. A tool change and Esc both come through here.
void CFootprintView::SetTool() {
    SetCursor(CursorShape::Arrow);
    auto g = MakeGraphics();
    switch (m_currentTool) {
    case ID_TOOL_MOVE_ORIGIN:
        m_currentTool = ID_FP_SELECT_PADSTACK;
        break;
    case ID_FP_SELECT_OBJECT:
        EndSelectObject(g.get());
        break;
    case ID_FP_SELECT_PADSTACK:
        DeselectPads(g.get());
        m_placing = false;
        break;
    case ID_FP_PLACE_PADSTACK:
        EndPlacePadstack();
        m_currentTool = ID_FP_SELECT_PADSTACK;
        break;
    default:
        if (IsPrimitiveTool(m_currentTool))
            EndPrimitiveTool(false);
        break;
    }
    InvalidateRect(nullptr, false);
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(this);
}

void CFootprintView::DropWorkInProgress() {
    const int tool = m_currentTool;
    if (tool == ID_FP_PLACE_PADSTACK) {
        EndPlacePadstack();
        m_currentTool = ID_FP_SELECT_PADSTACK;
    } else if (IsPrimitiveTool(tool)) {
        EndPrimitiveTool(false);
    }
    // The view may go on (after a save): its buttons, while it is the one
    // shown, show the tool left.
    if (m_currentTool != tool && IsWindowVisible()) {
        g_MainFrame.UISetCheck(tool, false);
        g_MainFrame.UISetCheck(m_currentTool, true);
    }
}

void CFootprintView::OnEscape() {
    SetVisibleLayers(~0ull);
    ShowSelectorEntry(LayerToEntry(GetFrontLayer()));
    g_MainFrame.UISetCheck(m_currentTool, false);
    if (IsPrimitiveTool(m_currentTool)) {
        SetCursor(CursorShape::Arrow);
        EndPrimitiveTool(true);
        InvalidateRect(nullptr, false);
        if (CPropertyGrid* grid = GetPropertyGrid(); grid && !m_pCurrentPrimitive)
            grid->ShowProperties(this);
    } else {
        SetTool();
    }
    g_MainFrame.UISetCheck(m_currentTool, true);
    UpdateToolbar();
}

void CFootprintView::UpdateToolbar() {
    CMainFrame& frame = g_MainFrame;
    frame.UISetCheck(ID_SNAP_TO_GRID, IsSnapOn());
    frame.UISetCheck(ID_SHOW_PAD_NUMBERS, ArePadNumbersShown());
    for (int tool : kToolButtons)
        frame.UISetCheck(tool, tool == m_currentTool);
    const int front = GetFrontLayer();
    const bool outline = front == 30 || front == 31;
    const bool taken = HasOutlineMarking();
    for (int tool : {ID_DRAW_LINE, ID_DRAW_ARC, ID_DRAW_CURVE, ID_DRAW_TEXT})
        frame.UIEnable(tool, !outline);
    for (int tool : {ID_DRAW_RECTANGLE, ID_DRAW_POLYGON, ID_DRAW_ELLIPSE})
        frame.UIEnable(tool, !taken);
}

// --- Layers --------------------------------------------------------------------------------

void CFootprintView::SetActiveLayer(int layer) {
    if (layer < 0) {
        BringLayerToFront(-1);
    } else {
        const uint64_t bit = 1ull << layer;
        if (GetFrontLayer() == layer)
            m_visibleLayers ^= bit;
        else
            m_visibleLayers |= bit;
        BringLayerToFront(layer);
    }
    UpdateToolbar();
    InvalidateRect(nullptr, false);
}

void CFootprintView::OnLayerCommand(int id) {
    const int entry = id - ID_PAD_LAYER_COMBO;
    if (entry < 0 || entry >= kSelectorEntries)
        return;
    SetActiveLayer(EntryToLayer(entry));
    ShowSelectorEntry(LayerToEntry(GetFrontLayer()));
    FocusParent();
}

void CFootprintView::FillLayerCombo() {
    std::vector<unsigned> texts;
    for (int i = 0; i < kSelectorEntries; ++i)
        texts.push_back(static_cast<unsigned>(ID_PAD_LAYER_COMBO + i));
    FillLayerSelector(&g_MainFrame.m_footprintToolBar, texts, KeyHint);
    ShowSelectorEntry(LayerToEntry(GetFrontLayer()));
    UpdateToolbar();
    g_MainFrame.m_statusBar.SetNetText(nullptr);
    g_MainFrame.m_statusBar.SetUnit(GetUnit());
}

void CFootprintView::DrawLayerComboItem(const DRAWITEMSTRUCT* dis) {
    if (!dis || dis->itemID < 0)
        return;
    const int entry = dis->itemID;
    DrawSelectorItem(dis, EntryToLayer(entry), KeyHint(entry));
}

std::wstring CFootprintView::KeyHint(int entry) {
    return entry <= 4 ? std::to_wstring(entry) : L"Shift+" + std::to_wstring((entry - 4) % 10);
}

// --- Commands ------------------------------------------------------------------------------

void CFootprintView::OnSnapCommand() {
    const CFootprint* footprint = GetFootprint();
    if (footprint->m_gridX == 0 || footprint->m_gridY == 0) {
        StopMessage(kNoGridId);
        return;
    }
    SetSnap(!IsSnapOn());
    g_MainFrame.UISetCheck(ID_SNAP_TO_GRID, IsSnapOn());
}

void CFootprintView::OnTransformCommand(int id) {
    m_undoList.SetStartNewGroup(true);
    switch (m_currentTool) {
    case ID_FP_SELECT_OBJECT:
        TransformSelectedPrimitives(id);
        break;
    case ID_FP_SELECT_PADSTACK:
        TransformSelectedPads(id);
        break;
    case ID_FP_PLACE_PADSTACK:
        TransformFloatingPad(id);
        break;
    default:
        break;
    }
    InvalidateRect(nullptr, false);
}

void CFootprintView::OnDeleteCommand() {
    auto g = MakeGraphics();
    const int type = m_currentTool == ID_FP_SELECT_OBJECT     ? NodeType::Marking
                     : m_currentTool == ID_FP_SELECT_PADSTACK ? NodeType::Padstack
                                                              : -1;
    if (type >= 0) {
        m_undoList.SetStartNewGroup(true);
        CFootprint* footprint = GetFootprint();
        for (size_t i = 0; i < footprint->GetChildren().size();) {
            CTreeNode* child = footprint->GetChildren()[i];
            if (child->GetType() == type && child->DeleteOnBoard(g.get(), NodeFlags::FootprintView))
                continue; // the child left: the same place holds the next one
            ++i;
        }
        if (CPropertyGrid* grid = GetPropertyGrid())
            grid->ShowProperties(nullptr);
    }
    InvalidateRect(nullptr, false);
    UpdateToolbar();
}

void CFootprintView::OnCommand(int id) {
    if (id >= ID_FP_TRANSFORM_MIRROR_V && id <= ID_FP_TRANSFORM_ROTATE) {
        OnTransformCommand(id);
    } else if (id == ID_SNAP_TO_GRID) {
        OnSnapCommand();
    } else if (id == ID_SHOW_PAD_NUMBERS) {
        SetPadNumbersShown(!ArePadNumbersShown());
        g_MainFrame.UISetCheck(ID_SHOW_PAD_NUMBERS, ArePadNumbersShown());
        InvalidateRect(nullptr, false);
    } else if (id >= ID_FP_SELECT_OBJECT && id <= ID_DRAW_TEXT) {
        SelectTool(id);
    } else if (id >= ID_PAD_LAYER_COMBO && id <= ID_PAD_LAYER_LAST) {
        OnLayerCommand(id);
    } else if (id == ID_FP_PADSTACK_FROM_LIBRARY || id == ID_FP_PADSTACK_CREATE) {
        OnPadstackCommand(id);
    } else if (id == ID_FP_DELETE) {
        OnDeleteCommand();
    } else if (id == ID_HELP_VIEW) {
        // F1 of the view's own keys: the frame's help.
        g_MainFrame.PostMessage(WM_COMMAND, MAKEWPARAM(ID_HELP_VIEW, 0), 0);
    }
}

// --- Keyboard ------------------------------------------------------------------------------

bool CFootprintView::PreTranslateMessage(Message* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return false;
    // Keys typed into an editor of the property panel are the editor's.
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
    for (const AcceleratorResourceEntry& e : FootprintViewAccelerators(IDR_ACCEL_FOOTPRINT))
        entries.push_back(Accelerator{e.flags, e.key, e.command});
    return TranslateAccelerator(this, AcceleratorTable(std::move(entries)), msg);
}

void CFootprintView::OnKeyDown(int key) {
    if (key >= '0' && key <= '9') {
        const bool shift = IsKeyDown(VK_SHIFT);
        const bool ctrl = IsKeyDown(VK_CONTROL);
        if (shift) {
            SetActiveLayer(key == '0' ? 31 : key - 27);
        } else if (!ctrl) {
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
        InvalidateRect(nullptr, false);
        break;
    case VK_DELETE:
        SendMessage(WM_COMMAND, ID_FP_DELETE, 0);
        break;
    case 'H':
    case 'V':
    case 'R':
        if (m_currentTool != ID_FP_SELECT_OBJECT && m_currentTool != ID_FP_SELECT_PADSTACK &&
            m_currentTool != ID_FP_PLACE_PADSTACK)
            break;
        if (key == 'H')
            PostMessage(WM_COMMAND, ID_FP_TRANSFORM_MIRROR_H, 0);
        else if (key == 'V')
            PostMessage(WM_COMMAND, ID_FP_TRANSFORM_MIRROR_V, 0);
        else
            SendMessage(WM_COMMAND, ID_FP_TRANSFORM_ROTATE, 0);
        break;
    default:
        break;
    }
}

// --- Mouse ---------------------------------------------------------------------------------

void CFootprintView::OnLButtonDown(WPARAM keys, POINT client) {
    SetButtonHeld(true);
    SetCapture();
    auto g = MakeGraphics();
    const PointF p = ClientPointToModel(g.get(), client);
    const auto flags = static_cast<uint32_t>(keys);
    switch (m_currentTool) {
    case ID_TOOL_MOVE_ORIGIN:
        ApplyOriginShift();
        break;
    case ID_FP_SELECT_PADSTACK:
        SelectPadstackClick(g.get(), flags, p);
        break;
    case ID_FP_SELECT_OBJECT:
        SelectObjectClick(g.get(), flags, p);
        break;
    case ID_FP_PLACE_PADSTACK:
        DropFloatingPad(g.get());
        break;
    default:
        if (IsPrimitiveTool(m_currentTool))
            PrimitiveButtonDown(g.get(), flags, p);
        break;
    }
    if (m_currentTool != ID_DRAW_TEXT)
        FocusParent();
}

void CFootprintView::OnLButtonUp(WPARAM keys, POINT client) {
    if (GetCapture() == this)
        ReleaseCapture();
    auto g = MakeGraphics();
    const PointF p = ClientPointToModel(g.get(), client);
    const auto flags = static_cast<uint32_t>(keys);
    switch (m_currentTool) {
    case ID_FP_SELECT_PADSTACK:
        SelectPadstackRelease(g.get(), flags, p);
        break;
    case ID_FP_SELECT_OBJECT:
        SelectObjectRelease(g.get(), flags, p);
        break;
    default:
        if (IsPrimitiveTool(m_currentTool))
            PrimitiveButtonUp(g.get(), flags, p);
        break;
    }
}

void CFootprintView::OnRButtonDown(WPARAM keys, POINT client) {
    SetCapture();
    auto g = MakeGraphics();
    const PointF p = ClientPointToModel(g.get(), client);
    const auto flags = static_cast<uint32_t>(keys);
    switch (m_currentTool) {
    case ID_FP_SELECT_PADSTACK:
        SelectPadstackContextMenu(g.get(), flags, p, client);
        break;
    case ID_FP_SELECT_OBJECT:
        SelectObjectContextMenu(g.get(), flags, p, client);
        break;
    case ID_FP_PLACE_PADSTACK:
        FloatingPadMenu(client);
        break;
    default:
        break;
    }
    // A context menu took the button's release: held on, the capture would
    // hand the next click anywhere (a tab of the strip) to this view.
    if (!(keys & MK_LBUTTON) && GetCapture() == this)
        ReleaseCapture();
    FocusParent();
}

void CFootprintView::OnMouseMove(WPARAM keys, POINT client) {
    if (HandlePanMove(keys, client))
        return;
    auto g = MakeGraphics();
    const PointF p = ClientPointToModel(g.get(), client);
    const auto flags = static_cast<uint32_t>(keys);
    switch (m_currentTool) {
    case ID_TOOL_MOVE_ORIGIN: {
        const PointF snapped = SnapToGrid(p);
        if (!(snapped == m_pendingOrigin)) {
            m_pendingOrigin = snapped;
            if (CPropertyGrid* grid = GetPropertyGrid(); grid && grid->GetShownObject() == this)
                grid->RefreshProperties();
            InvalidateRect(nullptr, false);
        }
        break;
    }
    case ID_FP_SELECT_PADSTACK:
        SelectPadstackMove(g.get(), flags, p);
        break;
    case ID_FP_SELECT_OBJECT:
        SelectObjectMove(g.get(), flags, p);
        break;
    case ID_FP_PLACE_PADSTACK:
        MoveFloatingPad(g.get(), p);
        break;
    default:
        if (IsPrimitiveTool(m_currentTool))
            PrimitiveMove(g.get(), flags, p);
        break;
    }
    g_MainFrame.m_statusBar.SetPositionInUnit(p.X, p.Y, GetUnit());
}

// --- Message map -----------------------------------------------------------------------------

bool CFootprintView::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const POINT client{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    result = 0;
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_KEYDOWN: {
        const int key = static_cast<int>(wParam);
        const bool handled = (key >= '0' && key <= '9') || key == VK_BACK || key == VK_DELETE ||
                             key == 'H' || key == 'V' || key == 'R';
        if (!handled)
            return false;
        OnKeyDown(key);
        return true;
    }
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
    case WM_EDIT_MOVE_ORIGIN:
        OnMoveOriginMessage();
        return true;
    case WM_PROPERTY_EDIT_ENDED:
        // The text tool's row is typed: Esc, the layer keys and Undo are the
        // view's again.
        if (m_currentTool == ID_DRAW_TEXT)
            FocusParent();
        return true;
    case WM_COMMAND:
        if (lParam == 0) {
            const int id = static_cast<int>(LOWORD(wParam));
            if (id >= ID_VIEW_ZOOM_IN && id <= ID_VIEW_ZOOM_ALL)
                return CVorpelView::ProcessWindowMessage(msg, wParam, lParam, result);
            if (id == ID_VIEW_ZOOM_IN_AT_CURSOR || id == ID_VIEW_ZOOM_OUT_AT_CURSOR)
                return CVorpelView::ProcessWindowMessage(msg, wParam, lParam, result);
            OnCommand(id);
            return true;
        }
        return CVorpelView::ProcessWindowMessage(msg, wParam, lParam, result);
    default:
        return CVorpelView::ProcessWindowMessage(msg, wParam, lParam, result);
    }
}
