// The board editor's window: creation, the message map, tools, layers and
// their selector, keys, mouse dispatch, painting, zoom to fit, unit, undo
// and redo, ending an action and deleting by tool. The tools themselves live
// in board_view_components.cpp, board_view_areas.cpp, board_view_texts.cpp
// and board_view_tracks.cpp.
#include "views/board_view.h"

#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "core/default_settings.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "platform/combo_box_control.h"
#include "platform/device_context.h"
#include "platform/graphics.h"
#include "platform/key_state.h"
#include "platform/paint_target.h"
#include "platform/string_table.h"
#include "platform/system_colors.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "resources/menus_board.h"
#include "schematic/net.h"
#include "schematic/text.h"
#include "shell/main_frame.h"
#include "views/board_layer_selector.h"
#include "views/dxf_import.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned kCaption = 128;         // "Vorpel"
constexpr unsigned kNoGridDefined = 341;   // "No grid defined"
constexpr unsigned kNotRoutingLayer = 348; // "Layer '%s' is not a routing layer"
constexpr unsigned kInvalidLayer = 284;    // "Invalid layer selected"
constexpr unsigned kSelectLayer = 32999;   // "Select layer"
constexpr unsigned kLayerNameBase = 33000; // 33000 + id: the layer's name
constexpr int kGridWidthRow = 1;

// The group command a tool's toolbar button carries.
int GroupOf(int tool) {
    switch (tool) {
    case ID_BRD_PLACE_FREE_COMPONENT:
    case ID_BRD_MOVE_COMPONENT:
        return ID_BRD_COMPONENT;
    case ID_BRD_ROUTE_NEW:
    case ID_BRD_ROUTE_EDIT:
        return ID_BRD_ROUTE;
    case ID_BRD_AREA_NEW:
    case ID_BRD_AREA_EDIT:
        return ID_BRD_AREA;
    case ID_BRD_TEXT_PLACE_FREE:
    case ID_BRD_TEXT_EDIT:
        return ID_BRD_TEXT;
    default:
        return tool;
    }
}

// The cursor resources of the tools, as shapes of the platform.
CursorShape CursorOfTool(int tool) {
    switch (tool) {
    case ID_BRD_OUTLINE:   // 260
    case ID_BRD_ROUTE_NEW: // 315
    case ID_BRD_AREA_NEW:  // 318
        return CursorShape::Cross;
    case ID_BRD_PLACE_FREE_COMPONENT: // 283
    case ID_BRD_MOVE_COMPONENT:
        return CursorShape::SizeAll;
    case ID_BRD_ROUTE_EDIT: // 285
    case ID_BRD_AREA_EDIT:  // 287
        return CursorShape::Hand;
    case ID_BRD_TEXT_PLACE_FREE: // 319
    case ID_BRD_TEXT_EDIT:       // 259
        return CursorShape::IBeam;
    default:
        return CursorShape::Arrow;
    }
}

void StopBox(unsigned textId) {
    ShowMessageBox(LoadStringText(textId), LoadStringText(kCaption), MB_OK | MB_ICONSTOP);
}

bool IsPlaneLayer(const CLayer* layer) {
    return layer && layer->m_layerType == kLayerTypePlane;
}

bool HasStatusBar() {
    return g_MainFrame.m_statusBar.IsWindow();
}

} // namespace

// --- Life ------------------------------------------------------------------------

CBoardView::CBoardView(CBoard* board) : CVorpelView(board) {
    m_drawOrder.clear();
    for (int id = -1; id < kBoardLayerCount; ++id)
        m_drawOrder.push_back(id);
    m_accelerators = AcceleratorTable(BoardViewAccelerators());
    if (board) {
        // The view shows and edits the board's own unit and grid.
        SetUnitPointer(reinterpret_cast<int*>(&board->m_unit));
        SetGridPointer(&board->m_gridX);
        SetSnap(board->m_gridX != 0 && board->m_gridY != 0);
    }
}

CBoardView::~CBoardView() {
    DestroyWindow();
    ClearViolations();
    m_layerIndex.Clear();
    if (g_pActiveView == this)
        g_pActiveView = nullptr;
}

CBoard* CBoardView::GetBoard() const {
    return static_cast<CBoard*>(m_pDocument);
}

void CBoardView::OnCreate() {
    CBoard* board = GetBoard();
    SetNoBackground();
    if (board) {
        SetUnitPointer(reinterpret_cast<int*>(&board->m_unit));
        SetGridPointer(&board->m_gridX);
        SetSnap(board->m_gridX != 0 && board->m_gridY != 0);
    }
    ZoomAll();
    m_layerIndex.Clear();
    m_layerIndex.Build(board);
    m_indexStale = false;
}

CBoardLayerIndex& CBoardView::LayerIndex() {
    if (m_indexStale) {
        // The change is complete by now: a record pushed before its node
        // left the board has seen it leave.
        m_indexStale = false;
        m_layerIndex.Clear();
        m_layerIndex.Build(GetBoard());
        ForgetDepartedNodes();
    }
    return m_layerIndex;
}

std::unique_ptr<Graphics> CBoardView::MakeGraphics() const {
    auto g = std::make_unique<Graphics>(nullptr);
    g->SetDpi(m_dpi, m_dpi);
    const_cast<CBoardView*>(this)->PrepareGraphics(g.get());
    return g;
}

PointF CBoardView::ModelPoint(Graphics* g, POINT client) const {
    PointF p;
    ClientToModel(p, g, static_cast<float>(client.x - m_scrollOffset.x),
                  static_cast<float>(client.y - m_scrollOffset.y));
    return p;
}

void CBoardView::FocusParent() {
    if (PlatformWindow* parent = GetParent())
        parent->SetFocus();
}

void CBoardView::SetToolCursor(int tool) {
    SetClassCursor(CursorOfTool(tool));
    if (IsWindow() && PlatformWindow::GetCapture() == this)
        SetCursor(CursorOfTool(tool));
}

void CBoardView::ShowBoardRows() {
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(this);
}

void CBoardView::ShowLayerRows(int id) {
    CLayer* layer = GetBoard() && id >= 0 ? GetBoard()->FindLayer(id) : nullptr;
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    if (IsPlaneLayer(layer))
        grid->ShowProperties(layer);
    else
        grid->ShowProperties(this);
}

std::vector<int> CBoardView::InnerLayerIds() const {
    std::vector<int> ids;
    if (CBoard* board = GetBoard())
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Layer) {
                const int id = static_cast<CLayer*>(child)->m_id;
                if (id >= 2 && id <= 21)
                    ids.push_back(id);
            }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

// --- Interaction state ------------------------------------------------------------

bool CBoardView::IsOnBoard(const CTreeNode* node, int type) const {
    CBoard* board = GetBoard();
    if (!node || !board)
        return false;
    // Pointers are compared, never followed: the node may be gone.
    for (CTreeNode* child : board->GetChildren()) {
        if (type == NodeType::Footprint && child->GetType() == NodeType::Mounting) {
            for (CTreeNode* c : child->GetChildren())
                if (c == node)
                    return true;
        } else if ((type == NodeType::Conductor || type == NodeType::Pad) &&
                   child->GetType() == NodeType::Net) {
            for (CTreeNode* c : child->GetChildren()) {
                if (c == node)
                    return true;
                if (type == NodeType::Pad && c->GetType() == NodeType::Padstack)
                    for (CTreeNode* pad : c->GetChildren())
                        if (pad == node)
                            return true;
            }
        } else if (child == node) {
            return true;
        }
    }
    return false;
}

void CBoardView::ForgetDepartedNodes() {
    if (m_floatingComponent && !IsOnBoard(m_floatingComponent, NodeType::Footprint))
        m_floatingComponent = nullptr;
    if (m_floatingText && !IsOnBoard(m_floatingText, NodeType::Text))
        m_floatingText = nullptr;
    if (m_newArea && !IsOnBoard(m_newArea, NodeType::Area))
        m_newArea = nullptr;
    if (m_currentArea && !IsOnBoard(m_currentArea, NodeType::Area))
        m_currentArea = nullptr;
    if (m_routeNet && !IsOnBoard(m_routeNet, NodeType::Net))
        m_routeNet = nullptr;
    if (m_routeConductor && !IsOnBoard(m_routeConductor, NodeType::Conductor))
        m_routeConductor = nullptr;
    if (m_editConductor && !IsOnBoard(m_editConductor, NodeType::Conductor))
        m_editConductor = nullptr;
    if (m_dragVia && !IsOnBoard(m_dragVia, NodeType::Pad))
        m_dragVia = nullptr;
    DropDepartedViolations();
}

void CBoardView::DropDepartedProperties() {
    CPropertyGrid* grid = GetPropertyGrid();
    CBoard* board = GetBoard();
    if (!grid || !board)
        return;
    CProperty* shown = grid->GetShownObject();
    if (!shown || shown == this)
        return;
    // Whatever an undo or a delete took away is still held by its record
    // at this point, so it can be looked at safely.
    if (auto* node = dynamic_cast<CTreeNode*>(shown)) {
        const CTreeNode* top = node;
        while (top->GetParent())
            top = top->GetParent();
        const CTreeNode* boardTop = board;
        while (boardTop->GetParent())
            boardTop = boardTop->GetParent();
        if (top != boardTop)
            grid->ShowProperties(this);
        return;
    }
    if (auto* outlineNode = dynamic_cast<CAreaNode*>(shown)) {
        auto inOutline = [outlineNode](const CAreaNode* head) {
            for (const CAreaNode* n = head; n; n = n->m_next)
                if (n == outlineNode)
                    return true;
            return false;
        };
        if (inOutline(board->m_outline))
            return;
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Area &&
                inOutline(static_cast<CArea*>(child)->m_outline))
                return;
        grid->ShowProperties(this);
    }
}

CFootprint* CBoardView::GetFloatingComponent() {
    ForgetDepartedNodes();
    return m_floatingComponent;
}

CText* CBoardView::GetFloatingText() {
    ForgetDepartedNodes();
    return m_floatingText;
}

CArea* CBoardView::GetNewArea() {
    ForgetDepartedNodes();
    return m_newArea;
}

CArea* CBoardView::GetCurrentArea() {
    ForgetDepartedNodes();
    return m_currentArea;
}

// --- Properties --------------------------------------------------------------------

void CBoardView::FillPropertyGrid() {
    if (CBoard* board = GetBoard())
        board->FillPropertyGrid();
}

void CBoardView::ApplyPropertyChange(int row) {
    if (CBoard* board = GetBoard())
        board->ApplyPropertyChange(row);
    InvalidateRect(nullptr, false);
    FocusParent();
}

// --- Tools --------------------------------------------------------------------------

void CBoardView::SelectTool(int id) {
    CancelAction();
    g_MainFrame.UISetCheck(GroupOf(m_currentTool), false);
    const bool rightAlt = IsKeyDown(VK_RMENU);
    switch (id) {
    case ID_BRD_COMPONENT:
        id = rightAlt ? ID_BRD_PLACE_FREE_COMPONENT : ID_BRD_MOVE_COMPONENT;
        break;
    case ID_BRD_ROUTE:
        id = rightAlt ? ID_BRD_ROUTE_NEW : ID_BRD_ROUTE_EDIT;
        break;
    case ID_BRD_AREA:
        id = rightAlt ? ID_BRD_AREA_NEW : ID_BRD_AREA_EDIT;
        break;
    case ID_BRD_TEXT:
        id = rightAlt ? ID_BRD_TEXT_PLACE_FREE : ID_BRD_TEXT_EDIT;
        break;
    default:
        break;
    }
    m_currentTool = id;
    g_MainFrame.UISetCheck(GroupOf(id), true);
    SetToolCursor(id);
    if (id == ID_BRD_PLACE_FREE_COMPONENT) {
        StartFreeComponent();
    } else if (id == ID_BRD_TEXT_PLACE_FREE) {
        StartFreeText();
        if (!m_floatingText) {
            m_currentTool = ID_BRD_TEXT_EDIT;
            CancelAction();
        }
    }
    if (id == ID_BRD_OUTLINE)
        InvalidateRect(nullptr, false);
    // A new free text has its row open for typing; the row keeps the focus.
    CPropertyGrid* grid = GetPropertyGrid();
    if (!(m_floatingText && grid && grid->IsEditing()))
        FocusParent();
}

void CBoardView::CancelAction() {
    DropEmptyFloatingText();
    if (HasStatusBar())
        g_MainFrame.m_statusBar.SetNetText(nullptr);
    CBoard* board = GetBoard();
    switch (m_currentTool) {
    case ID_BRD_OUTLINE:
        if (board)
            for (CAreaNode* n = board->m_outline; n; n = n->m_next)
                if (n->m_selectedNode) {
                    n->m_selectedNode = 0;
                    n->m_grabbed = nullptr;
                }
        break;
    case ID_BRD_PLACE_FREE_COMPONENT:
        if (m_floatingComponent) {
            RemoveFloatingComponent();
            m_currentTool = ID_BRD_MOVE_COMPONENT;
            SetToolCursor(m_currentTool);
            InvalidateRect(nullptr, false);
            return;
        }
        break;
    case ID_BRD_MOVE_COMPONENT:
        for (CFootprint* f : PackageFootprints())
            f->SetSelected(false);
        for (CFootprint* f : MountingFootprints())
            f->SetSelected(false);
        break;
    case ID_BRD_ROUTE_NEW:
        if (IsRouting())
            CancelRoute();
        m_currentTool = ID_BRD_ROUTE_EDIT;
        SetToolCursor(m_currentTool);
        return;
    case ID_BRD_ROUTE_EDIT:
        EndConductorEdit();
        InvalidateRect(nullptr, false);
        break;
    case ID_BRD_AREA_NEW:
        EndAreaCreation();
        [[fallthrough]];
    case ID_BRD_AREA_EDIT:
        for (CArea* area : Areas())
            area->SetSelected(false);
        m_currentArea = nullptr;
        break;
    case ID_BRD_TEXT_PLACE_FREE:
        for (CText* text : PackageTexts())
            text->SetSelected(false);
        for (CText* text : FreeTexts())
            text->SetSelected(false);
        // A floating text stays where it was last moved.
        m_floatingText = nullptr;
        m_currentTool = ID_BRD_TEXT_EDIT;
        SetToolCursor(m_currentTool);
        InvalidateRect(nullptr, false);
        return;
    case ID_BRD_TEXT_EDIT:
        for (CText* text : PackageTexts())
            text->SetSelected(false);
        for (CText* text : FreeTexts())
            text->SetSelected(false);
        break;
    default:
        break;
    }
    SetToolCursor(ID_TOOL_SELECT);
    g_MainFrame.UISetCheck(GroupOf(m_currentTool), false);
    m_currentTool = ID_TOOL_SELECT;
    g_MainFrame.UISetCheck(ID_TOOL_SELECT, true);
    InvalidateRect(nullptr, false);
    ShowBoardRows();
}

// --- Layers -----------------------------------------------------------------------

void CBoardView::BringLayerToFront(int id) {
    auto it = std::find(m_drawOrder.begin(), m_drawOrder.end(), id);
    if (it == m_drawOrder.end())
        return;
    m_drawOrder.erase(it);
    m_drawOrder.insert(m_drawOrder.begin(), id);
}

void CBoardView::SetCurrentLayer(int id) {
    ForgetDepartedNodes();
    if (id < 0) {
        BringLayerToFront(-1);
        InvalidateRect(nullptr, false);
        return;
    }
    if (id >= kBoardLayerCount)
        return;
    CBoard* board = GetBoard();
    CLayer* layer = board ? board->FindLayer(id) : nullptr;
    if (m_currentTool == ID_BRD_ROUTE_NEW && m_routeConductor) {
        if (id == GetFrontLayer())
            return;
        if (!layer || layer->m_layerType != kLayerTypeRouting) {
            std::wstring text = LoadStringText(kNotRoutingLayer);
            const size_t at = text.find(L"%s");
            if (at != std::wstring::npos)
                text.replace(at, 2, LoadStringText(kLayerNameBase + static_cast<unsigned>(id)));
            ShowMessageBox(text, LoadStringText(kCaption), MB_OK | MB_ICONSTOP);
            return;
        }
        ChangeRouteLayer(id);
    } else if (m_currentTool == ID_BRD_TEXT_PLACE_FREE && m_floatingText) {
        if (id >= kLayerAssemblyTop) {
            StopBox(kInvalidLayer);
            return;
        }
        auto g = MakeGraphics();
        m_floatingText->InvalidateOnBoard(g.get());
        LayerIndex().Remove(m_floatingText);
        m_floatingText->SetLayer(id);
        LayerIndex().Add(m_floatingText);
        BringLayerToFront(id);
        ShowLayerRows(id);
        InvalidateRect(nullptr, false);
        return;
    }
    if (id == GetFrontLayer())
        m_visibleLayers ^= 1ull << id;
    else
        m_visibleLayers |= 1ull << id;
    BringLayerToFront(id);
    ShowLayerRows(id);
    InvalidateRect(nullptr, false);
}

void CBoardView::SyncLayerSelector() {
    ComboBoxControl& combo = g_MainFrame.m_boardLayerCombo;
    if (!combo.IsWindow())
        return;
    combo.SetCurSel(LayerSelectorEntry(GetFrontLayer(), InnerLayerIds()));
    combo.InvalidateRect(nullptr, true);
}

void CBoardView::OnLayerCommand(int k) {
    const int id = LayerOfSelectorCommand(k, InnerLayerIds());
    if (id == kNoLayerChange)
        return;
    SetCurrentLayer(id);
    if (g_MainFrame.m_boardLayerCombo.IsWindow())
        g_MainFrame.m_boardLayerCombo.InvalidateRect(nullptr, true);
}

void CBoardView::OnShowWindow() {
    ComboBoxControl& combo = g_MainFrame.m_boardLayerCombo;
    if (g_LayerSelector.IsWindow())
        g_LayerSelector.ShowWindow(false);
    if (combo.IsWindow()) {
        combo.ShowWindow(true);
        combo.ResetContent();
        combo.AddString(LoadStringText(kSelectLayer));
        combo.AddString(LoadStringText(kLayerNameBase + 0));
        combo.AddString(LoadStringText(kLayerNameBase + 1));
        std::vector<CLayer*> inner;
        if (CBoard* board = GetBoard())
            for (CTreeNode* child : board->GetChildren())
                if (child->GetType() == NodeType::Layer) {
                    auto* layer = static_cast<CLayer*>(child);
                    if (layer->m_id >= 2 && layer->m_id <= 21)
                        inner.push_back(layer);
                }
        std::stable_sort(inner.begin(), inner.end(),
                         [](const CLayer* a, const CLayer* b) { return a->m_id < b->m_id; });
        int last = -1;
        for (CLayer* layer : inner) {
            if (layer->m_id == last)
                continue; // one entry per layer id
            last = layer->m_id;
            combo.AddString(LoadStringText(kLayerNameBase + static_cast<unsigned>(layer->m_id)),
                            PtrToLParam(layer));
        }
        for (unsigned id = 22; id <= 31; ++id)
            combo.AddString(LoadStringText(kLayerNameBase + id));
        // The open list shows each name with its key hint at the right.
        const int innerCount = combo.GetCount() - 13;
        combo.FitDroppedWidth([innerCount](int i) { return LayerSelectorKeyHint(i, innerCount); },
                              6, 12);
    }
    SyncLayerSelector();
    if (!m_pGrid || m_pGrid[0] == 0 || m_pGrid[1] == 0)
        SetSnap(false);
    g_MainFrame.UISetCheck(ID_SNAP_TO_GRID, IsSnapOn());
    g_MainFrame.UISetCheck(ID_SHOW_PAD_NUMBERS, ArePadNumbersShown());
    for (int group :
         {ID_TOOL_SELECT, ID_BRD_OUTLINE, ID_BRD_COMPONENT, ID_BRD_ROUTE, ID_BRD_AREA, ID_BRD_TEXT})
        g_MainFrame.UISetCheck(group, GroupOf(m_currentTool) == group);
    g_MainFrame.UISetCheck(ID_BRD_DRC, m_drcOn);
    if (HasStatusBar()) {
        g_MainFrame.m_statusBar.SetNetText(nullptr);
        g_MainFrame.m_statusBar.SetUnit(GetUnit());
    }
    if (CBoard* board = GetBoard()) {
        auto g = MakeGraphics();
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Net)
                static_cast<CNet*>(child)->BuildConnectionGraph(g.get());
    }
    RefreshDrc();
}

void CBoardView::OnDrawItem(const DRAWITEMSTRUCT* dis) {
    if (!dis || dis->CtlID != static_cast<UINT>(ID_BOARD_LAYER_COMBO) || dis->itemID == -1 ||
        !dis->target)
        return;
    auto* combo = dynamic_cast<ComboBoxControl*>(dis->hwndItem);
    const std::vector<int> innerIds = InnerLayerIds();
    const int n = static_cast<int>(innerIds.size());
    DeviceContext dc(*dis->target);
    RECT r = dis->rcItem;
    dc.FillRect(r, CreateSolidBrush(GetSysColor(COLOR_WINDOW)));

    const int index = dis->itemID;
    int i = index > n + 2 ? index + 20 - n : index;
    int layerId = i - 1;
    if (dis->itemData)
        layerId = LParamToPtr<CLayer>(dis->itemData)->m_id;
    else if (index >= 3 && index <= n + 2)
        layerId = innerIds[static_cast<size_t>(index - 3)];
    COLORREF color = 0xFFFFFF;
    if (i != 0 && layerId >= 0 && layerId < kBoardLayerCount)
        color = g_DefaultSettings.layerColors[layerId];
    dc.SelectBrush(CreateSolidBrush(color));
    dc.Rectangle(r.left, r.top, r.right, r.bottom);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(IsDarkSwatch(color) ? 0xFFFFFF : 0x000000);

    r.top += 1;
    r.left += 3;
    r.right -= 3;
    LogFont font;
    if (combo) {
        font.lfHeight = -combo->GetFont().height;
        font.lfFaceName = combo->GetFont().face;
    }
    dc.SelectFont(font);
    const bool closedBox = (dis->itemState & ODS_COMBOBOXEDIT) != 0;
    const std::wstring text = combo ? combo->GetLBText(index) : std::wstring();
    dc.DrawText(text, r,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (closedBox ? DT_CENTER : DT_LEFT));

    if (i != 0 && layerId >= 0 && layerId < kBoardLayerCount && !IsLayerVisible(layerId)) {
        const int h = r.bottom - r.top;
        if (h > 0)
            for (int x = r.left + h; x <= r.right; x += h) {
                dc.MoveTo(x, r.top);
                dc.LineTo(x - h, r.top + h);
            }
    }
    if (!closedBox) {
        const std::wstring hint = LayerSelectorKeyHint(index, n);
        if (!hint.empty())
            dc.DrawText(hint, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_RIGHT);
    }
    if (dis->itemState & ODS_SELECTED)
        dc.DrawFocusRect(r);
}

// --- Commands ---------------------------------------------------------------------

void CBoardView::OnSnapCommand() {
    if (m_pGrid && m_pGrid[0] != 0 && m_pGrid[1] != 0) {
        SetSnap(!IsSnapOn());
        g_MainFrame.UISetCheck(ID_SNAP_TO_GRID, IsSnapOn());
        return;
    }
    StopBox(kNoGridDefined);
    if (CPropertyGrid* grid = GetPropertyGrid()) {
        grid->ShowProperties(this);
        grid->BeginEditRow(kGridWidthRow);
    }
}

void CBoardView::OnPadNumbersCommand() {
    SetPadNumbersShown(!ArePadNumbersShown());
    g_MainFrame.UISetCheck(ID_SHOW_PAD_NUMBERS, ArePadNumbersShown());
    InvalidateRect(nullptr, false);
}

void CBoardView::OnDrcCommand() {
    m_drcOn = !m_drcOn;
    g_MainFrame.UISetCheck(ID_BRD_DRC, m_drcOn);
    RefreshDrc();
}

void CBoardView::OnDeleteCommand() {
    ForgetDepartedNodes();
    auto g = MakeGraphics();
    switch (m_currentTool) {
    case ID_BRD_OUTLINE:
        DeleteOutlineNodes();
        break;
    case ID_BRD_PLACE_FREE_COMPONENT:
    case ID_BRD_MOVE_COMPONENT:
        DeleteFreeComponents(g.get());
        break;
    case ID_BRD_ROUTE_EDIT:
        DeleteConductors(g.get());
        break;
    case ID_BRD_AREA_EDIT:
        DeleteCurrentArea(g.get());
        break;
    case ID_BRD_TEXT_EDIT:
        DeleteTexts(g.get());
        break;
    default:
        break;
    }
    ForgetDepartedNodes();
    DropDepartedProperties();
}

// --- Zoom, unit, undo ---------------------------------------------------------------

void CBoardView::ZoomToFit(const RECT& area) {
    const int clientWidth = area.right - area.left;
    const int clientHeight = area.bottom - area.top;
    // A window without area (minimised, not yet laid out) has nothing to fit.
    if (clientWidth <= 0 || clientHeight <= 0)
        return;
    const RectF bounds = DrawnExtent();
    const double left = std::floor(bounds.X), top = std::floor(bounds.Y);
    const double right = std::ceil(static_cast<double>(bounds.X) + bounds.Width);
    const double bottom = std::ceil(static_cast<double>(bounds.Y) + bounds.Height);
    auto round = [](double v) { return v >= 0 ? std::floor(v + 0.5) : std::ceil(v - 0.5); };
    int factor = kMaxZoomFactor;
    int mode = 1;
    // The outline's device rectangle, in doubles: a huge outline must not
    // overflow the pixel arithmetic.
    double dl = 0, dt = 0, dr = 0, db = 0;
    for (;;) {
        if (mode)
            factor /= 2;
        else
            factor *= 2;
        if (factor > kMaxZoomFactor)
            factor = kMaxZoomFactor;
        if (factor == 0) {
            factor = 2;
            mode = 0;
        }
        const double zoom = mode ? factor : 1.0 / factor;
        const double sx = m_dpi * zoom / 25.4, sy = m_dpi * zoom / 25.4;
        dl = round(left * sx);
        dr = round(right * sx);
        dt = round(-bottom * sy);
        db = round(-top * sy);
        if (dr - dl <= clientWidth && db - dt <= clientHeight)
            break;
        // The smallest picture there is: it stays, whether it fits or not.
        if (!mode && factor >= kMaxZoomFactor)
            break;
    }
    SetZoom(factor, mode);
    auto offset = [](double v) { return static_cast<int>(std::clamp(std::trunc(v), -1e9, 1e9)); };
    m_scrollOffset.x = offset(area.left + clientWidth / 2 - std::trunc((dl + dr) / 2));
    m_scrollOffset.y = offset(area.top + clientHeight / 2 - std::trunc((dt + db) / 2));
    InvalidateRect(nullptr, false);
}

void CBoardView::ZoomAll() {
    ZoomToFit(GetVisibleClientRect());
}

void CBoardView::CycleUnit() {
    CBoard* board = GetBoard();
    if (!board)
        return;
    // Not recorded for undo: no history's step puts it back or repeats it.
    ChangeWithoutHistory([board] { board->m_unit = (board->m_unit + 1) & 3; });
    if (HasStatusBar())
        g_MainFrame.m_statusBar.SetUnit(GetUnit());
    if (CPropertyGrid* grid = GetPropertyGrid())
        for (CAreaNode* n = board->m_outline; n; n = n->m_next)
            if (n->m_selectedNode)
                grid->ShowProperties(n);
    InvalidateRect(nullptr, false);
}

void CBoardView::Undo() {
    ForgetDepartedNodes();
    // An action under way owns the last group; undoing under it would leave
    // the view holding what the undo took away.
    if (IsRouting() || m_newArea || m_floatingText || m_floatingComponent)
        return;
    {
        // The footprints of a group rebuild each of their nets once; the
        // whole view is repainted after.
        const NetGraphBatch batch(nullptr);
        m_undoList.Undo();
    }
    ForgetDepartedNodes();
    DropDepartedProperties();
    InvalidateRect(nullptr, false);
}

void CBoardView::Redo() {
    ForgetDepartedNodes();
    if (IsRouting() || m_newArea || m_floatingText || m_floatingComponent)
        return;
    {
        const NetGraphBatch batch(nullptr);
        m_undoList.Redo();
    }
    ForgetDepartedNodes();
    DropDepartedProperties();
    InvalidateRect(nullptr, false);
}

void CBoardView::CatchUpWithDocument() {
    ForgetDepartedNodes();
    DropDepartedProperties();
    // The layers may have come or gone: the selector is filled again.
    OnShowWindow();
    InvalidateRect(nullptr, false);
}

void CBoardView::InvalidateRect(const RECT* rect, bool erase) {
    if (m_damage) {
        if (rect && rect->right > rect->left && rect->bottom > rect->top) {
            RECT& d = *m_damage;
            if (d.right <= d.left || d.bottom <= d.top)
                d = *rect;
            else
                d = RECT{std::min(d.left, rect->left), std::min(d.top, rect->top),
                         std::max(d.right, rect->right), std::max(d.bottom, rect->bottom)};
        }
        return;
    }
    if (!rect && m_holdWholeRepaints) {
        m_wholeRepaintHeld = true;
        return;
    }
    CVorpelView::InvalidateRect(rect, erase);
}

// --- Keyboard ---------------------------------------------------------------------

bool CBoardView::PreTranslateMessage(Message* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return false;
    // Keys reach the view through the tab window, which keeps the focus;
    // keys typed elsewhere (a dialog, a tree, the property panel) are theirs.
    if (msg->window != this && msg->window != GetParent())
        return false;
    switch (static_cast<int>(msg->wParam)) {
    case VK_ESCAPE:
        if (m_currentTool == ID_TOOL_SELECT) {
            m_visibleLayers = ~0ull;
            SyncLayerSelector();
        }
        CancelAction();
        return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
        const int vk = static_cast<int>(msg->wParam);
        const int dx = vk == VK_LEFT ? kScrollStep : (vk == VK_RIGHT ? -kScrollStep : 0);
        const int dy = vk == VK_UP ? kScrollStep : (vk == VK_DOWN ? -kScrollStep : 0);
        m_scrollOffset.x += dx;
        m_scrollOffset.y += dy;
        InvalidateRect(nullptr, false);
        return true;
    }
    default:
        return TranslateAccelerator(this, m_accelerators, msg);
    }
}

LRESULT CBoardView::OnKeyDown(int vk) {
    DropEmptyFloatingText();
    if (vk >= '0' && vk <= '9') {
        const int layer = LayerOfDigitKey(vk - '0', IsKeyDown(VK_SHIFT), IsKeyDown(VK_CONTROL),
                                          static_cast<int>(InnerLayerIds().size()));
        if (layer != kNoLayerChange)
            SetCurrentLayer(layer);
        SyncLayerSelector();
        return 0;
    }
    if (vk == VK_BACK) {
        m_visibleLayers = 0;
        SyncLayerSelector();
        InvalidateRect(nullptr, false);
        return 0;
    }
    if (vk == VK_DELETE) {
        SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(ID_BRD_DELETE), 0), 0);
        return 0;
    }
    switch (m_currentTool) {
    case ID_BRD_PLACE_FREE_COMPONENT:
    case ID_BRD_MOVE_COMPONENT:
        return ComponentKey(vk) ? 1 : 0;
    case ID_BRD_TEXT_EDIT:
        return TextKey(vk) ? 1 : 0;
    case ID_BRD_TEXT_PLACE_FREE:
        if (vk == 'R' && m_floatingText) {
            RotateFloatingText(IsKeyDown(VK_SHIFT));
            return 1;
        }
        return 0;
    case ID_BRD_ROUTE_NEW:
        if (!IsRouting())
            return 0;
        if (vk == 'V') {
            SetCurrentLayer(GetFrontLayer() ^ 1);
            SyncLayerSelector();
        } else if (vk == 'W') {
            auto g = MakeGraphics();
            ChangeRouteWidth(g.get());
        }
        return 0;
    default:
        return 0;
    }
}

// --- Mouse --------------------------------------------------------------------------

void CBoardView::OnLButtonDown(WPARAM keys, POINT p) {
    ForgetDepartedNodes();
    auto g = MakeGraphics();
    const PointF m = ModelPoint(g.get(), p);
    SetCapture();
    m_buttonHeld = 1;
    const uint32_t flags = static_cast<uint32_t>(keys & 0xFFFF) | NodeFlags::BoardView;
    switch (m_currentTool) {
    case ID_BRD_OUTLINE:
        OutlinePress(g.get(), flags, m);
        break;
    case ID_BRD_PLACE_FREE_COMPONENT:
        PlaceFloatingComponent(g.get());
        break;
    case ID_BRD_MOVE_COMPONENT:
        ComponentPress(g.get(), flags, m);
        break;
    case ID_BRD_ROUTE_NEW:
        RouteClick(g.get(), flags, m);
        break;
    case ID_BRD_ROUTE_EDIT:
        EditPick(g.get(), flags, m);
        break;
    case ID_BRD_AREA_NEW:
        AreaCreatePress(g.get(), flags, m);
        break;
    case ID_BRD_AREA_EDIT:
        AreaPick(g.get(), flags, m);
        break;
    case ID_BRD_TEXT_PLACE_FREE:
        if (DropEmptyFloatingText())
            break;
        if (m_floatingText) {
            m_floatingText->InvalidateOnBoard(g.get());
            m_floatingText->m_boardPosition = m;
            m_floatingText->SetSelected(false);
            m_floatingText->InvalidateOnBoard(g.get());
            m_floatingText = nullptr;
            CancelAction();
        }
        break;
    case ID_BRD_TEXT_EDIT:
        TextPick(g.get(), flags, m);
        break;
    default:
        break;
    }
    ForgetDepartedNodes();
    // Taking the focus commits a value still being typed.
    FocusParent();
    DropEmptyFloatingText();
}

void CBoardView::OnLButtonUp(WPARAM keys, POINT p) {
    ReleaseCapture();
    ForgetDepartedNodes();
    auto g = MakeGraphics();
    const PointF m = ModelPoint(g.get(), p);
    const auto flags = static_cast<uint32_t>(keys & 0xFFFF);
    switch (m_currentTool) {
    case ID_BRD_OUTLINE:
        OutlineRelease(g.get(), flags, m);
        break;
    case ID_BRD_MOVE_COMPONENT:
        ComponentRelease(g.get(), flags, m);
        break;
    case ID_BRD_ROUTE_EDIT:
        EditRelease(g.get(), flags, m);
        break;
    case ID_BRD_AREA_NEW:
    case ID_BRD_AREA_EDIT:
        if (m_currentArea)
            m_currentArea->MouseUpOnBoard(g.get(), flags, m.X, m.Y);
        break;
    case ID_BRD_TEXT_EDIT:
        TextRelease(g.get(), flags, m);
        break;
    default:
        break;
    }
    ForgetDepartedNodes();
}

void CBoardView::OnRButtonDown(WPARAM keys, POINT p) {
    DropEmptyFloatingText();
    auto g = MakeGraphics();
    const PointF m = ModelPoint(g.get(), p);
    SetCapture();
    const uint32_t flags = static_cast<uint32_t>(keys & 0xFFFF) | NodeFlags::BoardView;
    switch (m_currentTool) {
    case ID_BRD_OUTLINE:
        OutlineRightPress(g.get(), flags, m);
        break;
    case ID_BRD_MOVE_COMPONENT:
        ComponentMenu(g.get(), flags, m);
        break;
    case ID_BRD_ROUTE_NEW:
        RouteMenu(g.get(), flags, m);
        break;
    case ID_BRD_ROUTE_EDIT:
        EditMenu(g.get(), flags, m);
        break;
    case ID_BRD_AREA_NEW:
    case ID_BRD_AREA_EDIT:
        if (m_currentArea)
            m_currentArea->RightClickOnBoard(g.get(), flags, m.X, m.Y);
        break;
    case ID_BRD_TEXT_EDIT:
        TextMenu(g.get(), flags, m);
        break;
    default:
        break;
    }
    // A context menu may have deleted what the panel shows.
    ForgetDepartedNodes();
    DropDepartedProperties();
    // A context menu took the button's release; held on, the capture would
    // hand the next click anywhere (a tab of the strip) to the board, where
    // it deselects what was just changed.
    if (!(keys & MK_LBUTTON) && PlatformWindow::GetCapture() == this)
        ReleaseCapture();
    // Taking the focus commits a value still being typed.
    FocusParent();
    DropEmptyFloatingText();
}

void CBoardView::OnMouseMove(WPARAM keys, POINT p) {
    if (keys & MK_MBUTTON) {
        m_scrollOffset.x += p.x - m_middleAnchor.x;
        m_scrollOffset.y += p.y - m_middleAnchor.y;
        m_middleAnchor = p;
        InvalidateRect(nullptr, false);
        return;
    }
    if (m_buttonHeld) {
        // The first move after a press only settles the press.
        m_buttonHeld = 0;
        return;
    }
    ForgetDepartedNodes();
    auto g = MakeGraphics();
    const PointF m = ModelPoint(g.get(), p);
    if (HasStatusBar())
        g_MainFrame.m_statusBar.SetPositionInUnit(m.X, m.Y, GetUnit());
    const auto flags = static_cast<uint32_t>(keys & 0xFFFF);
    switch (m_currentTool) {
    case ID_BRD_OUTLINE:
        OutlineDrag(g.get(), flags, m);
        break;
    case ID_BRD_PLACE_FREE_COMPONENT:
        MoveFloatingComponent(g.get(), m);
        break;
    case ID_BRD_MOVE_COMPONENT:
        ComponentDrag(g.get(), flags, m);
        break;
    case ID_BRD_ROUTE_NEW:
        RouteMove(g.get(), flags, m);
        break;
    case ID_BRD_ROUTE_EDIT:
        EditDrag(g.get(), flags, m);
        break;
    case ID_BRD_AREA_NEW:
    case ID_BRD_AREA_EDIT:
        AreaDrag(g.get(), flags, m);
        break;
    case ID_BRD_TEXT_PLACE_FREE:
    case ID_BRD_TEXT_EDIT:
        TextDrag(g.get(), flags, m);
        break;
    default:
        break;
    }
}

// --- Painting -----------------------------------------------------------------------

void CBoardView::PaintBoard(Graphics* g, const RECT& client, const RECT& update) {
    (void)client;
    const RectF updateF{static_cast<float>(update.left), static_cast<float>(update.top),
                        static_cast<float>(update.right - update.left),
                        static_cast<float>(update.bottom - update.top)};
    g->ResetTransform();
    g->SetClip(updateF);
    SolidBrush window(Color::FromColorRef(GetSysColor(COLOR_WINDOW)));
    g->FillRectangle(&window, updateF);

    PrepareGraphics(g);
    CBoard* board = GetBoard();
    GraphicsPath outline;
    const bool hasOutline = board && board->m_outline;
    // Clips are given in world units and kept in device space: the update
    // rectangle is set under an identity transform, the view's put back.
    auto clipToUpdate = [&]() {
        Matrix transform;
        g->GetTransform(&transform);
        g->ResetTransform();
        g->SetClip(updateF);
        g->SetTransform(&transform);
    };
    // The board's inside in device space, made once: the layers below
    // switch between it and the update rectangle object by object.
    Region inside(updateF);
    if (hasOutline) {
        board->m_outline->FillOutlinePath(&outline);
        SolidBrush boardBrush(Color::FromColorRef(g_DefaultSettings.colorBoard));
        g->FillPath(&boardBrush, &outline);
        const Region shape(&outline);
        g->IntersectClip(&shape);
        Matrix transform;
        g->GetTransform(&transform);
        g->ResetTransform();
        g->GetClip(&inside);
        g->SetTransform(&transform);
    }
    auto clipToBoard = [&]() {
        Matrix transform;
        g->GetTransform(&transform);
        g->ResetTransform();
        g->SetClip(&inside);
        g->SetTransform(&transform);
    };
    if (!IsPrinting())
        DrawGrid(g, update);
    if (m_currentTool == ID_BRD_OUTLINE && board) {
        // The outline's handles reach beyond the board.
        clipToUpdate();
        board->DrawOutline(g);
    }
    clipToBoard();

    const int front = GetFrontLayer();
    const uint32_t flags =
        (static_cast<uint32_t>(front) << NodeFlags::FrontLayerShift) | NodeFlags::BoardView;
    // The update rectangle in board millimetres (the view neither turns nor
    // shears), grown by a pixel.
    PaintCull cull;
    {
        const double s = static_cast<double>(g->GetDpiX()) * GetZoomScale() / 25.4;
        const double l = (update.left - 1 - m_scrollOffset.x) / s;
        const double r = (update.right + 1 - m_scrollOffset.x) / s;
        const double t = -(update.top - 1 - m_scrollOffset.y) / s;
        const double b = -(update.bottom + 1 - m_scrollOffset.y) / s;
        cull.box = RectF{static_cast<float>(l), static_cast<float>(b), static_cast<float>(r - l),
                         static_cast<float>(t - b)};
    }
    // Copper areas and what pads cut into a plane stay on the board; the
    // components and conductors of a new design start out below it and are
    // drawn wherever they lie.
    bool onBoard = true;
    auto keepOnBoard = [&](bool wanted) {
        if (wanted == onBoard)
            return;
        onBoard = wanted;
        if (wanted)
            clipToBoard();
        else
            clipToUpdate();
    };
    for (auto it = m_drawOrder.rbegin(); it != m_drawOrder.rend(); ++it) {
        const int id = *it;
        if (id < 0 || !IsLayerVisible(id))
            continue;
        CLayer* layer = board ? board->FindLayer(id) : nullptr;
        if (id >= 2 && id <= 21 && !layer)
            continue;
        const bool plane = layer && layer->m_layerType == kLayerTypePlane;
        for (CTreeNode* node : LayerIndex().GetSet(id)) {
            if (IsCulled(g, node, cull))
                continue;
            const int type = node->GetType();
            keepOnBoard(type == NodeType::Area || (plane && type == NodeType::PadLayer));
            if (type == NodeType::PadLayer)
                static_cast<CPadLayer*>(node)->m_pDrawnLayer = layer;
            node->DrawOnBoard(g, flags);
        }
    }
    keepOnBoard(false);
    for (CTreeNode* node : LayerIndex().GetSet(CBoardLayerIndex::kTopSet))
        if (!IsCulled(g, node, cull))
            node->DrawOnBoard(g, flags);
    DrawViolations(g);
    clipToUpdate();
    DrawOriginMarker(g);
}

void CBoardView::OnPaint() {
    PaintStruct ps;
    PaintTarget* target = BeginPaint(&ps);
    if (!target)
        return;
    const RECT client = GetClientRect();
    RECT update = ps.rcPaint;
    if (client.right > 0 && client.bottom > 0) {
        m_dpi = static_cast<float>(target->DpiX());
        if (!m_backBuffer || m_backBuffer->Width() != client.right ||
            m_backBuffer->Height() != client.bottom || m_backBuffer->DpiX() != target->DpiX()) {
            m_backBuffer = PaintTarget::CreateImage(client.right, client.bottom);
            m_backBuffer->SetDpi(target->DpiX(), target->DpiY());
            update = client;
        }
        {
            Graphics g(m_backBuffer.get());
            g.SetFillPictures(&m_fillPictures);
            PaintBoard(&g, client, update);
            g.Flush();
        }
        // A paint of all the window shows has drawn every pour still in view.
        const RECT shown = GetVisibleClientRect();
        if (update.left <= shown.left && update.top <= shown.top && update.right >= shown.right &&
            update.bottom >= shown.bottom)
            m_fillPictures.DropUnused();
        m_backBuffer->Flush();
        DeviceContext dc(*target);
        DeviceContext source(*m_backBuffer);
        const RECT& r = ps.rcPaint;
        dc.BitBlt(r.left, r.top, r.right - r.left, r.bottom - r.top, source, r.left, r.top);
    }
    EndPaint(&ps);
}

// --- Message map ------------------------------------------------------------------

bool CBoardView::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    result = 0;
    if (m_indexStale)
        LayerIndex();
    switch (msg) {
    case WM_CREATE: {
        OnCreate();
        const bool done = CVorpelView::ProcessWindowMessage(msg, wParam, lParam, result);
        // A view created visible is never told it was shown: fill the
        // toolbar's selectors now.
        if (GetStyle() & WS_VISIBLE)
            OnShowWindow();
        return done;
    }
    case WM_PROPERTY_EDIT_ENDED:
        // The new free text's row is typed: its layer keys, 'R', Esc and
        // Undo are the view's again; an emptied new text is taken back.
        if (DropEmptyFloatingText() || m_floatingText)
            FocusParent();
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_ERASEBKGND:
        // The paint covers every pixel.
        result = 1;
        return true;
    case WM_KEYDOWN:
        result = OnKeyDown(static_cast<int>(wParam));
        return true;
    case WM_LBUTTONDOWN:
        OnLButtonDown(wParam, p);
        return true;
    case WM_LBUTTONUP:
        OnLButtonUp(wParam, p);
        return true;
    case WM_MBUTTONDOWN:
        m_middleAnchor = p;
        // Taking the focus commits a value still being typed.
        FocusParent();
        DropEmptyFloatingText();
        return true;
    case WM_RBUTTONDOWN:
        OnRButtonDown(wParam, p);
        return true;
    case WM_RBUTTONUP:
        // The press captured the mouse; let other windows have it again.
        if (PlatformWindow::GetCapture() == this)
            ReleaseCapture();
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, p);
        return true;
    case WM_SHOWWINDOW:
        if (wParam)
            OnShowWindow();
        return true;
    case WM_MEASUREITEM:
        return true;
    case WM_DRAWITEM:
        OnDrawItem(LParamToPtr<DRAWITEMSTRUCT>(lParam));
        return true;
    case WM_COMMAND: {
        if (lParam != 0)
            break;
        const int id = static_cast<int>(LOWORD(wParam));
        if (id == ID_SNAP_TO_GRID) {
            OnSnapCommand();
            return true;
        }
        if (id == ID_SHOW_PAD_NUMBERS) {
            OnPadNumbersCommand();
            return true;
        }
        if (id == ID_TOOL_SELECT || (id >= ID_BRD_OUTLINE && id <= ID_BRD_TEXT_EDIT)) {
            SelectTool(id);
            return true;
        }
        if (id >= ID_BOARD_LAYER_FIRST && id <= ID_BOARD_LAYER_FIRST + 32) {
            OnLayerCommand(id - ID_BOARD_LAYER_FIRST);
            return true;
        }
        if (id == ID_BRD_DRC) {
            OnDrcCommand();
            return true;
        }
        if (id == ID_BRD_OUTLINE_FROM_DXF) {
            ImportDxfOutlineCommand(GetBoard(), this);
            DropDepartedProperties();
            InvalidateRect(nullptr, false);
            return true;
        }
        if (id == ID_BRD_DELETE) {
            OnDeleteCommand();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return CVorpelView::ProcessWindowMessage(msg, wParam, lParam, result);
}

// --- Registration -------------------------------------------------------------------

CVorpelView* MakeBoardView(CTreeNode* node) {
    if (!node || node->GetType() != NodeType::Board)
        return nullptr;
    return new CBoardView(static_cast<CBoard*>(node));
}

namespace {
// What model code repaints with: a surface without pixels under the active
// view's transform (any board-side view: board, padstack or footprint).
Graphics* MakeBoardViewGraphics(CVorpelView* view) {
    if (!view || view->GetViewKind() < kViewBoard)
        return nullptr;
    if (auto* board = dynamic_cast<CBoardView*>(view))
        return board->MakeGraphics().release();
    auto* g = new Graphics(nullptr);
    view->PrepareGraphics(g);
    return g;
}

void ReleaseBoardViewGraphics(Graphics* g) {
    delete g;
}
} // namespace

void RegisterBoardView() {
    RegisterViewMaker(NodeType::Board, MakeBoardView);
    SetGraphicsOfView(MakeBoardViewGraphics, ReleaseBoardViewGraphics);
}
