#include "dialogs/via_list_ctrl.h"

#include "board/board_properties.h"
#include "board/board_types.h"
#include "board/drill.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/length_unit.h"
#include "core/node_type.h"
#include "core/undo_list.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "dialogs/board_class_settings.h"
#include "dialogs/vpl_data_exchange.h"
#include "platform/bitmap.h"
#include "platform/device_context.h"
#include "platform/edit_control.h"
#include "platform/logical_font.h"
#include "platform/system_colors.h"
#include "platform/ui_hooks.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kPadLayerSolderMaskTop = 26;
constexpr int kPadLayerSolderMaskBottom = 27;
// The state image sits this far from the list's left edge, the texts this
// far into their cells.
constexpr int kImageIndent = 10;
constexpr int kTextIndent = 10;
constexpr unsigned kRowTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

float PadWidth(const CPadstack* via, int padLayer) {
    const CPadLayer* pad = via->FindPadLayer(padLayer);
    return pad ? pad->m_width : 0.0f;
}
} // namespace

void CViaListCtrl::Attach(CBoardProperties* properties, CUndoList* undo, const int* unit) {
    m_properties = properties;
    m_undo = undo;
    m_unit = unit;
}

CPadstack* CViaListCtrl::GetRowVia(int row) const {
    return LParamToPtr<CPadstack>(GetItemData(row));
}

std::wstring CViaListCtrl::CellText(const CPadstack* via, int column) const {
    const int unit = m_unit ? *m_unit : kUnitMm;
    switch (column) {
    case kColumnName:
        return via->GetName();
    case kColumnRouting:
        return FormatLength(PadWidth(via, kPadLayerTop), unit);
    case kColumnPlane:
        return FormatLength(PadWidth(via, kPadLayerPlane), unit);
    case kColumnDrill: {
        const CDrill* drill = via->FindDrill();
        return FormatLength(drill ? drill->m_diam : 0.0f, unit);
    }
    case kColumnMask: {
        // A via without a mask opening of its own is opened by its pad.
        const CPadLayer* mask = via->FindPadLayer(kPadLayerSolderMaskTop);
        return FormatLength(mask ? mask->m_width : PadWidth(via, kPadLayerTop), unit);
    }
    default:
        return std::wstring();
    }
}

void CViaListCtrl::SetRowTexts(int row) {
    const CPadstack* via = GetRowVia(row);
    if (!via)
        return;
    for (int column = kColumnName; column < kColumnCount; ++column)
        SetItemText(row, column, CellText(via, column));
}

void CViaListCtrl::FillRows() {
    DeleteAllItems();
    if (!m_properties)
        return;
    for (CTreeNode* child : m_properties->GetChildren()) {
        if (child->GetType() != NodeType::Padstack)
            continue;
        int row = InsertItem(GetItemCount(), L"", PtrToLParam(child));
        SetRowTexts(row);
    }
}

void CViaListCtrl::RefreshLengths() {
    for (int row = 0; row < GetItemCount(); ++row)
        SetRowTexts(row);
}

CPadstack* CViaListCtrl::NamedDefault() const {
    // The same via the board takes as its default when several share the name.
    CPadstack* named = nullptr;
    if (m_properties)
        for (CTreeNode* child : m_properties->GetChildren())
            if (child->GetType() == NodeType::Padstack &&
                static_cast<CPadstack*>(child)->GetName() == m_properties->m_defaultVia)
                named = static_cast<CPadstack*>(child);
    return named;
}

bool CViaListCtrl::IsDefault(const CPadstack* via) const {
    return m_properties && via && via->GetName() == m_properties->m_defaultVia;
}

void CViaListCtrl::SetPadSize(CPadstack* via, int padLayer, float mm) {
    CPadLayer* pad = via->FindPadLayer(padLayer);
    if (pad) {
        m_undo->AddUndo(new CUndoChangeNodeAttribute(pad, nullptr));
    } else {
        pad = new CPadLayer(padLayer);
        pad->m_shape = kPadShapeRound;
        via->AddChild(pad);
        m_undo->AddUndo(new CUndoInsert(pad, nullptr));
    }
    pad->m_width = mm;
    pad->m_height = mm;
}

void CViaListCtrl::SetDrill(CPadstack* via, float mm) {
    CDrill* drill = via->FindDrill();
    if (drill) {
        m_undo->AddUndo(new CUndoChangeNodeAttribute(drill, nullptr));
    } else {
        drill = new CDrill(kDrillRound);
        drill->m_slotWidth = 0;
        drill->m_slotHeight = 0;
        via->AddChild(drill);
        m_undo->AddUndo(new CUndoInsert(drill, nullptr));
    }
    drill->m_diam = mm;
}

bool CViaListCtrl::CommitEdit() {
    EditControl* edit = GetCellEdit();
    if (!edit)
        return false;
    const std::wstring text = edit->GetWindowText();
    const int row = GetCellEditorItem();
    const int column = GetCellEditorSubItem();
    CloseCellEditor();
    CPadstack* via = GetRowVia(row);
    const bool typed = m_cellTyped;
    m_cellTyped = false;
    // A cell opened and left without typing changes nothing (a missing pad
    // layer shows as 0, or as the pad it falls back on, and would otherwise
    // be created by merely looking at it). Whatever was typed is applied,
    // even the text the cell showed.
    if (!via || !m_undo || !typed)
        return true;
    if (column == kColumnName) {
        const bool wasDefault = NamedDefault() == via;
        m_undo->AddUndo(new CUndoChangeNodeAttribute(via, nullptr));
        via->SetText(text);
        // The default follows its via to the new name.
        if (wasDefault && m_properties->m_defaultVia != text) {
            m_undo->AddUndo(new CUndoChangeNodeAttribute(m_properties, nullptr));
            m_properties->m_defaultVia = text;
        }
        SetRowTexts(row);
        Invalidate(false);
        return true;
    }
    const int unit = m_unit && IsLengthUnit(*m_unit) ? *m_unit : kUnitMm;
    double value = 0;
    const bool parsed = ParseFieldNumber(text, &value);
    const float mm = static_cast<float>(value * g_UnitToMm[unit]);
    if (!parsed || value < 0 || !std::isfinite(mm) || (column == kColumnDrill && mm <= 0)) {
        MessageBeep(kSimpleBeep);
        return true;
    }
    switch (column) {
    case kColumnRouting:
        for (int layer : {kPadLayerTop, kPadLayerBottom, kPadLayerInner})
            SetPadSize(via, layer, mm);
        break;
    case kColumnPlane:
        SetPadSize(via, kPadLayerPlane, mm);
        break;
    case kColumnDrill:
        SetDrill(via, mm);
        break;
    case kColumnMask:
        for (int layer : {kPadLayerSolderMaskTop, kPadLayerSolderMaskBottom})
            SetPadSize(via, layer, mm);
        break;
    default:
        break;
    }
    SetRowTexts(row);
    return true;
}

void CViaListCtrl::ClickCell(int row, int column) {
    CPadstack* via = GetRowVia(row);
    if (row < 0 || !via)
        return;
    CommitEdit();
    if (column == kColumnDefault) {
        if (!m_undo || !m_properties)
            return;
        m_undo->AddUndo(new CUndoChangeNodeAttribute(m_properties, nullptr));
        m_properties->m_defaultVia = via->GetName();
        Invalidate(false);
        return;
    }
    if (column > kColumnDefault && column < kColumnCount) {
        OpenCellEdit(row, column, kEditId, GetItemText(row, column));
        m_cellTyped = false;
    }
}

void CViaListCtrl::InsertVia() {
    CommitEdit();
    if (!m_properties || !m_undo)
        return;
    const int selected = GetSelectedIndex();
    CPadstack* via = nullptr;
    if (CPadstack* source = GetRowVia(selected)) {
        via = static_cast<CPadstack*>(source->Clone());
        m_properties->AddChild(via);
    } else {
        via = AddDefaultViaPadstack(m_properties);
    }
    m_undo->AddUndo(new CUndoInsert(via, nullptr));
    const int row = InsertItem(selected >= 0 ? selected : GetItemCount(), L"", PtrToLParam(via));
    SetRowTexts(row);
    SelectItem(row);
    EnsureVisible(row);
}

void CViaListCtrl::DeleteVia() {
    CommitEdit();
    const int row = GetSelectedIndex();
    CPadstack* via = GetRowVia(row);
    if (!via || !m_undo)
        return;
    m_undo->AddUndo(new CUndoDelete(via, nullptr));
    via->RemoveFromParent();
    DeleteItem(row);
}

void CViaListCtrl::DrawRow(DeviceContext& dc, const RECT& rc, int row, UINT itemState) {
    const CPadstack* via = GetRowVia(row);
    dc.FillRect(rc, CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
    if (!via)
        return;
    if (ImageList* images = GetImageList(LVSIL_STATE); images && dc.Target())
        images->Draw(dc.Target(), IsDefault(via) ? 1 : 0, rc.left + kImageIndent, rc.top);
    LogFont font;
    font.lfFaceName = GetFont().face;
    font.lfHeight = GetFont().height;
    font.lfWeight = GetFont().weight;
    dc.SelectFont(font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
    for (int column = kColumnName; column < kColumnCount; ++column) {
        RECT cell;
        if (!GetSubItemRect(row, column, &cell))
            continue;
        dc.DrawText(GetItemText(row, column),
                    RECT{cell.left + kTextIndent, rc.top, cell.right, rc.bottom}, kRowTextFormat);
    }
    if (itemState & ODS_SELECTED)
        dc.DrawFocusRect(rc);
}

bool CViaListCtrl::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case OCM_BASE + WM_MEASUREITEM: {
        // Rows tall enough for the default mark.
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
    case WM_COMMAND:
        if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE && IsEditing())
            m_cellTyped = true;
        return false;
    case OCM_BASE + WM_NOTIFY: {
        auto* hdr = LParamToPtr<NMHDR>(lParam);
        if (!hdr || hdr->code != NM_CLICK)
            return false;
        const auto* click = LParamToPtr<NMITEMACTIVATE>(lParam);
        ClickCell(click->iItem, click->iSubItem);
        result = 0;
        return true;
    }
    case WM_KEYDOWN:
        if (wParam == VK_INSERT) {
            InsertVia();
        } else if (wParam == VK_DELETE) {
            DeleteVia();
        } else {
            return false;
        }
        result = 0;
        return true;
    default:
        return false;
    }
}
