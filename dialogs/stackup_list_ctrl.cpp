#include "dialogs/stackup_list_ctrl.h"

#include "board/area.h"
#include "board/board.h"
#include "board/board_types.h"
#include "board/board_undo_records.h"
#include "board/conductor.h"
#include "board/layer.h"
#include "core/board_layer.h"
#include "core/default_settings.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/undo_list.h"
#include "core/undo_node_records.h"
#include "platform/bitmap.h"
#include "platform/combo_box_control.h"
#include "platform/device_context.h"
#include "platform/edit_control.h"
#include "platform/logical_font.h"
#include "platform/string_table.h"
#include "platform/system_colors.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "schematic/net.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace {
constexpr unsigned kTypeNames = 32931; // + LayerType: "Routing" .. "Documentation"
constexpr unsigned kLayerNames = 33000;
constexpr unsigned kNetWord = 225;
constexpr unsigned kNotFound = 345;
constexpr unsigned kNoLayerSelected = 342;
constexpr unsigned kLayerHoldsCopper = 349;
constexpr int kNameIndent = 4;

bool IsInner(int id) {
    return id >= kLayerInner1 && id <= kLayerInner20;
}

bool IsCopper(int id) {
    return id >= kLayerTop && id <= kLayerInner20;
}

// Rows read TOP, the inner layers by id, BOT.
int RowOrder(int id) {
    return id == kLayerTop ? -1 : id == kLayerBottom ? kLayerInner20 + 1 : id;
}

// Conductors, areas and texts anywhere under node whose board layer is one
// of the ids.
void CollectLayerObjects(CTreeNode* node, const std::set<int>& ids, std::vector<CTreeNode*>& out) {
    for (CTreeNode* child : node->GetChildren()) {
        if (LiesOnStackupLayer(child) && ids.count(child->GetLayer()))
            out.push_back(child);
        CollectLayerObjects(child, ids, out);
    }
}

void RebuildNetGraph(CTreeNode* net) {
    if (!net || net->GetType() != NodeType::Net)
        return;
    Graphics* g = MakeActiveViewGraphics();
    static_cast<CNet*>(net)->BuildConnectionGraph(g);
    ReleaseActiveViewGraphics(g);
}

std::wstring TypeName(int type) {
    return type >= kLayerTypeRouting && type <= kLayerTypeDoc
               ? LoadStringText(kTypeNames + static_cast<unsigned>(type))
               : std::wstring();
}

COLORREF LayerColour(int id) {
    return id >= 0 && id < kBoardLayerCount ? g_DefaultSettings.layerColors[id] : 0;
}
} // namespace

void CStackupListCtrl::Attach(CBoard* board, CUndoList* undo) {
    m_board = board;
    m_undo = undo;
}

CLayer* CStackupListCtrl::GetRowLayer(int row) const {
    return LParamToPtr<CLayer>(GetItemData(row));
}

int CStackupListCtrl::FindRow(const CLayer* layer) const {
    for (int row = 0; row < GetItemCount(); ++row)
        if (GetRowLayer(row) == layer)
            return row;
    return -1;
}

void CStackupListCtrl::FillRows() {
    CLayer* selected = GetRowLayer(GetSelectedIndex());
    DeleteAllItems();
    m_editLayer = nullptr;
    if (!m_board)
        return;
    std::vector<CLayer*> layers;
    for (CTreeNode* child : m_board->GetChildren())
        if (child->GetType() == NodeType::Layer && IsCopper(static_cast<CLayer*>(child)->m_id))
            layers.push_back(static_cast<CLayer*>(child));
    std::stable_sort(layers.begin(), layers.end(), [](const CLayer* a, const CLayer* b) {
        return RowOrder(a->m_id) < RowOrder(b->m_id);
    });
    for (CLayer* layer : layers) {
        int row = InsertItem(GetItemCount(), LoadStringText(kLayerNames + layer->m_id),
                             PtrToLParam(layer));
        if (layer == selected)
            SelectItem(row);
    }
}

bool CStackupListCtrl::FinishEditor() {
    if (GetCellEdit()) {
        CommitNet();
        return true;
    }
    if (GetCellCombo()) {
        CloseCellEditor();
        return true;
    }
    return false;
}

void CStackupListCtrl::ClickCell(int row, int column) {
    CLayer* layer = GetRowLayer(row);
    // A click elsewhere drops what the open editor holds.
    CloseCellEditor();
    m_editLayer = layer;
    if (row < 0 || !layer)
        return;
    switch (column) {
    case kColumnType:
        if (ComboBoxControl* combo = OpenCellCombo(row, column, kTypeComboId)) {
            const int last = IsInner(layer->m_id) ? kLayerTypePlane : kLayerTypeDoc;
            for (int type = kLayerTypeRouting; type <= last; ++type) {
                int index = combo->AddString(TypeName(type), type);
                if (type == layer->m_layerType)
                    combo->SetCurSel(index);
            }
        }
        break;
    case kColumnNet:
        if (layer->m_layerType == kLayerTypePlane)
            OpenCellEdit(row, column, kNetEditId, layer->m_net);
        break;
    case kColumnNoThermal:
        if (layer->m_layerType == kLayerTypePlane && m_undo) {
            m_undo->AddUndo(new CUndoChangeNodeAttribute(layer, nullptr));
            layer->m_noThermal = !layer->m_noThermal;
            RedrawItems(row, row);
        }
        break;
    default:
        break;
    }
}

void CStackupListCtrl::ChooseType() {
    ComboBoxControl* combo = GetCellCombo();
    CLayer* layer = m_editLayer;
    if (!combo || !layer || !m_undo)
        return;
    const int type = static_cast<int>(combo->GetItemData(combo->GetCurSel()));
    CloseCellEditor();
    if (type < kLayerTypeRouting || type > kLayerTypeDoc)
        return;
    m_undo->AddUndo(new CUndoChangeNodeAttribute(layer, nullptr));
    layer->m_layerType = type;
    if (type != kLayerTypePlane)
        layer->m_net.clear();
    Invalidate(false);
}

void CStackupListCtrl::CommitNet() {
    EditControl* edit = GetCellEdit();
    CLayer* layer = m_editLayer;
    if (!edit)
        return;
    const std::wstring name = edit->GetWindowText();
    CloseCellEditor();
    if (!layer || !m_undo || !m_board)
        return;
    if (!name.empty() && !m_board->FindNet(name)) {
        ShowMessageBox(LoadStringText(kNetWord) + StrPrintf(L" '%s' ", name.c_str()) +
                           LoadStringText(kNotFound),
                       L"Vorpel", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_undo->AddUndo(new CUndoChangeNodeAttribute(layer, nullptr));
    layer->m_net = name;
    Invalidate(false);
}

void CStackupListCtrl::Renumber(const std::map<int, int>& ids) {
    std::set<int> from;
    for (const auto& [old, now] : ids)
        from.insert(old);
    std::vector<CTreeNode*> objects;
    CollectLayerObjects(m_board, from, objects);
    for (CTreeNode* child : m_board->GetChildren()) {
        if (child->GetType() != NodeType::Layer)
            continue;
        auto* layer = static_cast<CLayer*>(child);
        auto it = ids.find(layer->m_id);
        if (it == ids.end() || it->second == layer->m_id)
            continue;
        m_undo->AddUndo(new CUndoChangeNodeAttribute(layer, nullptr));
        layer->m_id = it->second;
        layer->SetText(LayerToCode(layer->m_id));
    }
    for (CTreeNode* node : objects) {
        const int now = ids.at(node->GetLayer());
        if (now == node->GetLayer())
            continue;
        m_undo->AddUndo(new CUndoChangeLayer(node, now, FindBoardLayerIndex(node)));
        node->SetLayer(now);
    }
}

void CStackupListCtrl::InsertLayer() {
    if (!m_board || !m_undo)
        return;
    int highest = kLayerInner1 - 1;
    for (int row = 0; row < GetItemCount(); ++row)
        if (CLayer* layer = GetRowLayer(row); layer && IsInner(layer->m_id))
            highest = std::max(highest, layer->m_id);
    const int id = highest + 1;
    if (!IsInner(id))
        return;
    auto* layer = new CLayer(id);
    layer->m_layerType = kLayerTypeRouting;
    m_board->AddChild(layer);
    m_undo->AddUndo(new CUndoInsert(layer, nullptr));
    FillRows();
}

void CStackupListCtrl::DeleteLayer() {
    CLayer* layer = GetRowLayer(GetSelectedIndex());
    if (!layer || !IsInner(layer->m_id) || !m_board || !m_undo) {
        ShowMessageBox(LoadStringText(kNoLayerSelected), L"Vorpel", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const int id = layer->m_id;
    // What lies on the layer goes with it, or the layer stays.
    std::vector<CTreeNode*> objects;
    CollectLayerObjects(m_board, {id}, objects);
    if (!objects.empty()) {
        const std::wstring name = LoadStringText(kLayerNames + id);
        if (ShowMessageBox(StrPrintf(LoadStringText(kLayerHoldsCopper).c_str(), name.c_str()),
                           L"Vorpel", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        // The nets those conductors and areas joined are derived again.
        std::vector<CTreeNode*> nets;
        for (CTreeNode* node : objects) {
            if (node->GetType() == NodeType::Area)
                nets.push_back(m_board->FindNet(static_cast<CArea*>(node)->m_net));
            if (node->GetType() == NodeType::Conductor) {
                nets.push_back(node->GetParent());
                m_undo->AddUndo(new CUndoConductorDelete(static_cast<CConductor*>(node),
                                                         FindBoardLayerIndex(node)));
            } else {
                m_undo->AddUndo(new CUndoDelete(node, nullptr));
            }
            node->RemoveFromParent();
        }
        std::sort(nets.begin(), nets.end());
        nets.erase(std::unique(nets.begin(), nets.end()), nets.end());
        for (CTreeNode* net : nets)
            RebuildNetGraph(net);
    }
    m_undo->AddUndo(new CUndoDelete(layer, nullptr));
    layer->RemoveFromParent();
    std::map<int, int> ids;
    for (int below = id + 1; below <= kLayerInner20; ++below)
        ids[below] = below - 1;
    Renumber(ids);
    FillRows();
}

void CStackupListCtrl::BeginDrag(int row) {
    CLayer* layer = GetRowLayer(row);
    if (!layer || !IsInner(layer->m_id))
        return;
    m_dragRow = row;
    m_hoverRow = row;
    SetCapture();
}

void CStackupListCtrl::TrackDrag(POINT p) {
    const int hover = HitTest(p);
    if (hover == m_hoverRow)
        return;
    m_hoverRow = hover;
    // The mark shows where a drop would change something.
    const CLayer* layer = GetRowLayer(hover);
    const bool mark = hover >= 0 && hover != m_dragRow && hover != m_dragRow + 1 && layer &&
                      layer->m_id != kLayerTop;
    SetInsertMark(mark ? hover : -1);
    Invalidate(false);
}

void CStackupListCtrl::EndDrag() {
    m_dragRow = -1;
    m_hoverRow = -1;
    SetInsertMark(-1);
    if (GetCapture() == this)
        ReleaseCapture();
    Invalidate(false);
}

void CStackupListCtrl::Drop(POINT p) {
    CLayer* dragged = GetRowLayer(m_dragRow);
    int target = HitTest(p);
    EndDrag();
    CLayer* onto = GetRowLayer(target);
    if (!dragged || !onto || !m_undo)
        return;
    // Below the dragged layer a drop lands above the row under the mouse.
    if (dragged->m_id < onto->m_id || onto->m_id == kLayerBottom)
        onto = GetRowLayer(target - 1);
    if (!onto || onto->m_id == kLayerTop || onto->m_id == dragged->m_id)
        return;
    const int s = dragged->m_id;
    const int t = onto->m_id;
    std::map<int, int> ids{{s, t}};
    if (s <= t) {
        for (int id = s + 1; id <= t; ++id)
            ids[id] = id - 1;
    } else {
        for (int id = t; id <= s - 1; ++id)
            ids[id] = id + 1;
    }
    Renumber(ids);
    FillRows();
    const int row = FindRow(dragged);
    SelectItem(row);
    EnsureVisible(row);
}

void CStackupListCtrl::DrawRow(DeviceContext& dc, const RECT& rc, int row, UINT itemState) {
    const CLayer* layer = GetRowLayer(row);
    if (!layer)
        return;
    const COLORREF colour = LayerColour(layer->m_id);
    dc.FillRect(rc, CreateSolidBrush(colour));
    LogFont font;
    font.lfFaceName = GetFont().face;
    font.lfHeight = GetFont().height;
    font.lfWeight = GetFont().weight;
    dc.SelectFont(font);
    dc.SetBkMode(TRANSPARENT);
    const double luminance =
        0.299 * ColorRefRed(colour) + 0.587 * ColorRefGreen(colour) + 0.114 * ColorRefBlue(colour);
    // Every text of the row stands out from the layer's colour (the window
    // text colour vanished on dark layers).
    dc.SetTextColor(luminance > 127.5 ? 0x000000 : 0xFFFFFF);
    RECT cell;
    GetSubItemRect(row, kColumnLayer, &cell);
    dc.DrawText(GetItemText(row, kColumnLayer),
                RECT{cell.left + kNameIndent, rc.top, cell.right, rc.bottom},
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    const unsigned centred = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    GetSubItemRect(row, kColumnType, &cell);
    dc.DrawText(TypeName(layer->m_layerType), cell, centred);
    GetSubItemRect(row, kColumnNet, &cell);
    dc.DrawText(layer->m_net, cell, centred);
    if (layer->m_layerType == kLayerTypePlane)
        if (ImageList* images = GetImageList(LVSIL_STATE); images && dc.Target()) {
            GetSubItemRect(row, kColumnNoThermal, &cell);
            images->Draw(dc.Target(), layer->m_noThermal ? 1 : 0, cell.left, cell.top);
        }
    if (itemState & ODS_SELECTED)
        dc.DrawFocusRect(rc);
}

bool CStackupListCtrl::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                            LRESULT& result) {
    switch (msg) {
    case OCM_BASE + WM_MEASUREITEM: {
        auto* mis = LParamToPtr<MEASUREITEMSTRUCT>(lParam);
        if (ImageList* images = GetImageList(LVSIL_STATE))
            mis->itemHeight =
                std::max<UINT>(mis->itemHeight, static_cast<UINT>(images->ImageHeight()));
        result = 1;
        return true;
    }
    case OCM_BASE + WM_DRAWITEM: {
        auto* dis = LParamToPtr<DRAWITEMSTRUCT>(lParam);
        if (dis && dis->target) {
            DeviceContext dc(*dis->target);
            DrawRow(dc, dis->rcItem, dis->itemID, dis->itemState);
        }
        result = 1;
        return true;
    }
    case OCM_BASE + WM_NOTIFY: {
        auto* hdr = LParamToPtr<NMHDR>(lParam);
        result = 0;
        if (hdr && hdr->code == NM_CLICK) {
            const auto* click = LParamToPtr<NMITEMACTIVATE>(lParam);
            ClickCell(click->iItem, click->iSubItem);
            return true;
        }
        if (hdr && hdr->code == LVN_BEGINDRAG) {
            BeginDrag(LParamToPtr<NMLISTVIEW>(lParam)->iItem);
            return true;
        }
        return false;
    }
    case WM_COMMAND:
        // The type list reports the choice it was opened for.
        if (LOWORD(wParam) == kTypeComboId && HIWORD(wParam) == CBN_SELCHANGE) {
            ChooseType();
            result = 0;
            return true;
        }
        return false;
    case WM_MOUSEMOVE:
        if (m_dragRow < 0)
            return false;
        TrackDrag(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        result = 0;
        return true;
    case WM_LBUTTONUP:
        if (m_dragRow < 0)
            return false;
        Drop(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        result = 0;
        return true;
    case WM_CAPTURECHANGED:
        if (m_dragRow >= 0 && WindowFromLParam(lParam) != this)
            EndDrag();
        return false;
    case WM_KEYDOWN:
        if (wParam == VK_INSERT)
            InsertLayer();
        else if (wParam == VK_DELETE)
            DeleteLayer();
        else
            return false;
        result = 0;
        return true;
    default:
        return false;
    }
}
