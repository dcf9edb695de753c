#include "dialogs/drill_table.h"

#include "board/board.h"
#include "board/board_types.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/padstack.h"
#include "core/length_unit.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/undo_list.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "dialogs/vpl_data_exchange.h"
#include "platform/bitmap.h"
#include "platform/combo_box_control.h"
#include "platform/edit_control.h"
#include "platform/list_view_control.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "schematic/package.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {
constexpr unsigned kHoleKinds = 310;
constexpr int kImageWidth = 16;
constexpr COLORREF kImageMask = 0xFF00FF;
constexpr unsigned kKindNames = 234; // "Round non-plated" .. "Custom plated"
constexpr unsigned kUnitNames = 170;
constexpr COLORREF kMarked = 0x0080FFFF;

struct TableColumn {
    unsigned title;
    int width;
};
// The hole type column holds the image and "Round non-plated" whole.
constexpr TableColumn kColumns[] = {{233, 110}, {231, 70}, {232, 30}};
} // namespace

const DialogTemplate& CDrillTable::Resource() {
    static const DialogTemplate t{
        375,
        L"Drill table",
        200,
        200,
        false,
        {
            DlgStatic(IDC_STATIC, L"Unit:", 7, 9, 30, 8),
            DlgDropDownList(kUnit, 40, 7, 60, 80),
            DialogItem{DialogItemKind::ReportList,
                       kList,
                       L"",
                       7,
                       25,
                       186,
                       148,
                       WS_TABSTOP | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                       0,
                       {}},
            DlgDefButton(1, L"OK", 89, 179, 50, 14),
            DlgButton(2, L"Cancel", 143, 179, 50, 14),
        },
    };
    return t;
}

CDrillTable::CDrillTable(CBoard* board, CUndoList* undo)
    : PlatformDialog(Resource()), m_board(board), m_undo(undo) {}

CDrillTable::~CDrillTable() {
    DestroyWindow();
}

int CDrillTable::DrillKind(const CDrill* drill) {
    if (!drill)
        return -1;
    const int plated = drill->m_nonPlated ? 0 : 1;
    switch (drill->m_drillType) {
    case kDrillRound:
        return plated;
    case kDrillSlot:
        return 2 + plated;
    case kDrillCustom:
        return 4 + plated;
    default:
        return -1;
    }
}

int CDrillTable::DiameterKey(float mm) {
    const double um = static_cast<double>(mm) * 1000.0;
    return static_cast<int>(um > 0 ? um + 0.5 : um - 0.5);
}

ListViewControl* CDrillTable::GetList() const {
    return GetDlgItemAs<ListViewControl>(kList);
}

int CDrillTable::GetRowKind(int row) const {
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? m_rows[static_cast<size_t>(row)].kind
                                                             : -1;
}

const DrillTableEntry* CDrillTable::GetRowEntry(int row) const {
    return row >= 0 && row < static_cast<int>(m_rows.size())
               ? m_rows[static_cast<size_t>(row)].entry
               : nullptr;
}

bool CDrillTable::IsNearDuplicate(int row) const {
    const DrillTableEntry* entry = GetRowEntry(row);
    if (!entry)
        return false;
    for (int other : {row - 1, row + 1}) {
        const DrillTableEntry* near = GetRowEntry(other);
        if (near && GetRowKind(other) == GetRowKind(row) &&
            std::fabs(near->diameter - entry->diameter) < kNearDuplicate)
            return true;
    }
    return false;
}

void CDrillTable::AddContainer(CTreeNode* container) {
    if (!container)
        return;
    for (CTreeNode* child : container->GetChildren()) {
        if (child->GetType() != NodeType::Padstack)
            continue;
        const CDrill* drill = static_cast<CPadstack*>(child)->FindDrill();
        const int kind = DrillKind(drill);
        // A drill without a hole makes no hole to list.
        if (kind < 0)
            continue;
        const float diameter = drill->GetDiameter();
        const int key = DiameterKey(diameter);
        for (CTreeNode* pad : child->GetChildren()) {
            if (pad->GetType() != NodeType::Pad)
                continue;
            auto [it, added] = m_maps[kind].try_emplace(key);
            if (added)
                it->second.diameter = diameter;
            it->second.pads.push_back(static_cast<CPad*>(pad));
        }
    }
}

void CDrillTable::BuildMaps() {
    for (auto& map : m_maps)
        map.clear();
    if (!m_board)
        return;
    for (CTreeNode* child : m_board->GetChildren()) {
        switch (child->GetType()) {
        case NodeType::Package:
            AddContainer(static_cast<CPackage*>(child)->GetFootprint());
            break;
        case NodeType::Net:
            AddContainer(child);
            break;
        case NodeType::Mounting:
            for (CTreeNode* footprint : child->GetChildren())
                if (footprint->GetType() == NodeType::Footprint)
                    AddContainer(footprint);
            break;
        default:
            break;
        }
    }
}

void CDrillTable::FillList() {
    ListViewControl* list = GetList();
    if (!list)
        return;
    list->DeleteAllItems();
    m_rows.clear();
    for (int kind = 0; kind < kKindCount; ++kind) {
        for (const auto& [key, entry] : m_maps[kind]) {
            const int row = list->InsertItem(
                list->GetItemCount(), LoadStringText(kKindNames + static_cast<unsigned>(kind)),
                PtrToLParam(&entry.pads));
            list->SetItemImage(row, kind);
            list->SetItemText(row, kColumnDiameter, FormatLength(entry.diameter, m_unit));
            list->SetItemText(row, 2, std::to_wstring(entry.pads.size()));
            m_rows.push_back(Row{kind, &entry});
        }
    }
}

int CDrillTable::FindRowOf(const CPad* pad) const {
    for (size_t row = 0; row < m_rows.size(); ++row) {
        const auto& pads = m_rows[row].entry->pads;
        if (std::find(pads.begin(), pads.end(), pad) != pads.end())
            return static_cast<int>(row);
    }
    return -1;
}

void CDrillTable::SetCurrentRow(int row, bool select) {
    for (CPad* pad : m_highlighted)
        pad->m_highlight = false;
    m_highlighted.clear();
    const DrillTableEntry* entry = GetRowEntry(row);
    m_current = entry ? row : -1;
    if (entry) {
        m_highlighted = entry->pads;
        for (CPad* pad : m_highlighted)
            pad->m_highlight = true;
    }
    if (ListViewControl* list = GetList(); list && select) {
        if (m_current >= 0) {
            list->SelectItem(m_current);
            list->EnsureVisible(m_current);
        } else {
            list->SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        }
    }
    RepaintWholeWindow();
}

void CDrillTable::OnInitDialog() {
    CenterWindow();
    if (!m_board || !m_undo) {
        EndDialog(IDCANCEL);
        return;
    }
    m_unit = IsLengthUnit(static_cast<int>(m_board->m_unit)) ? static_cast<int>(m_board->m_unit)
                                                             : kUnitMm;
    if (auto* combo = GetDlgItemAs<ComboBoxControl>(kUnit)) {
        for (int unit = 0; unit < kLengthUnitCount; ++unit)
            combo->AddString(LoadStringText(kUnitNames + static_cast<unsigned>(unit)), unit);
        combo->SetCurSel(m_unit);
    }
    if (ListViewControl* list = GetList()) {
        list->SetExtendedListViewStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        m_images = ImageList::FromResource(kHoleKinds, kImageWidth, kImageMask);
        list->SetImageList(m_images.get(), LVSIL_SMALL);
        for (int column = 0; column < 3; ++column) {
            const std::wstring title = LoadStringText(kColumns[column].title);
            list->InsertColumn(column, title, MapColumnWidth(*list, title, kColumns[column].width));
        }
    }
    BuildMaps();
    FillList();
    m_undo->SetStartNewGroup(true);
    m_undo->AddUndo(new CUndoChangeNodeAttribute(m_board, nullptr));
}

bool CDrillTable::CommitEdit() {
    ListViewControl* list = GetList();
    EditControl* edit = list ? list->GetCellEdit() : nullptr;
    if (!edit)
        return false;
    const std::wstring text = edit->GetWindowText();
    const int row = list->GetCellEditorItem();
    list->CloseCellEditor();
    const DrillTableEntry* entry = GetRowEntry(m_current);
    // The shown size stands for the row's exact sizes; taking it back would
    // round every drill of the row to the shown decimals.
    if (!entry || entry->pads.empty() || text == list->GetItemText(row, kColumnDiameter))
        return true;
    double value = 0;
    const bool parsed = ParseFieldNumber(text, &value);
    const float mm = static_cast<float>(value * g_UnitToMm[m_unit]);
    if (!parsed || !std::isfinite(mm) || mm <= 0) {
        MessageBeep(kSimpleBeep);
        return true;
    }
    CPad* anchor = entry->pads.front();
    std::set<CTreeNode*> done;
    for (CPad* pad : entry->pads) {
        CTreeNode* parent = pad->GetParent();
        if (!parent || parent->GetType() != NodeType::Padstack || !done.insert(parent).second)
            continue;
        CDrill* drill = static_cast<CPadstack*>(parent)->FindDrill();
        if (!drill)
            continue;
        m_undo->AddUndo(new CUndoChangeNodeAttribute(drill, nullptr));
        if (drill->m_drillType == kDrillSlot) {
            // The smaller side is the hole's size; of equal sides the second.
            if (drill->m_slotWidth < drill->m_slotHeight)
                drill->m_slotWidth = mm;
            else
                drill->m_slotHeight = mm;
        } else {
            drill->m_diam = mm;
        }
    }
    BuildMaps();
    FillList();
    // The edited holes may have joined another row, or moved.
    SetCurrentRow(FindRowOf(anchor), true);
    return true;
}

void CDrillTable::OnClick(int row, int column) {
    ListViewControl* list = GetList();
    // The row clicked is known by its holes: committing an edit rebuilds the
    // rows and may move them.
    const DrillTableEntry* entry = GetRowEntry(row);
    const CPad* anchor = entry && !entry->pads.empty() ? entry->pads.front() : nullptr;
    if (CommitEdit())
        row = anchor ? FindRowOf(anchor) : -1;
    if (row < 0 || !list)
        return;
    SetCurrentRow(row, true);
    if (column == kColumnDiameter)
        list->OpenCellEdit(row, column, kEditId, list->GetItemText(row, column));
}

void CDrillTable::OnKey(int vk) {
    const int count = static_cast<int>(m_rows.size());
    if (count == 0 || (vk != VK_UP && vk != VK_DOWN))
        return;
    const int row = std::clamp(m_current + (vk == VK_DOWN ? 1 : -1), 0, count - 1);
    // The list moves its own selection the same way after this.
    SetCurrentRow(row, false);
}

void CDrillTable::OnUnitChanged() {
    auto* combo = GetDlgItemAs<ComboBoxControl>(kUnit);
    if (!combo)
        return;
    const int unit = static_cast<int>(combo->GetItemData(combo->GetCurSel()));
    if (!IsLengthUnit(unit))
        return;
    // An open edit holds a size in the old unit.
    CommitEdit();
    m_unit = unit;
    const int current = m_current;
    FillList();
    SetCurrentRow(current, true);
}

void CDrillTable::Close(int result) {
    if (CommitEdit())
        return;
    if (result == IDCANCEL)
        m_undo->Undo(false);
    for (auto& map : m_maps)
        for (auto& [key, entry] : map)
            for (CPad* pad : entry.pads)
                pad->m_highlight = false;
    m_highlighted.clear();
    RepaintWholeWindow();
    EndDialog(result);
}

LRESULT CDrillTable::CustomDraw(NMLVCUSTOMDRAW& cd) const {
    if (cd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (cd.dwDrawStage == CDDS_ITEMPREPAINT)
        return CDRF_NOTIFYSUBITEMDRAW;
    if (cd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM) && cd.iSubItem != kColumnKind &&
        IsNearDuplicate(cd.dwItemSpec))
        cd.clrTextBk = kMarked;
    return CDRF_DODEFAULT;
}

bool CDrillTable::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = 1;
        return true;
    case WM_NOTIFY: {
        auto* hdr = LParamToPtr<NMHDR>(lParam);
        if (!hdr || hdr->hwndFrom != GetList())
            return false;
        result = 0;
        switch (hdr->code) {
        case NM_CLICK: {
            const auto* click = LParamToPtr<NMITEMACTIVATE>(lParam);
            OnClick(click->iItem, click->iSubItem);
            return true;
        }
        case LVN_KEYDOWN:
            OnKey(LParamToPtr<NMLVKEYDOWN>(lParam)->wVKey);
            return true;
        case NM_CUSTOMDRAW:
            result = CustomDraw(*LParamToPtr<NMLVCUSTOMDRAW>(lParam));
            return true;
        default:
            return false;
        }
    }
    case WM_COMMAND: {
        const int id = static_cast<int>(LOWORD(wParam));
        const int code = static_cast<int>(HIWORD(wParam));
        if (id == kUnit && code == CBN_SELCHANGE) {
            OnUnitChanged();
            result = 0;
            return true;
        }
        if (code == BN_CLICKED && (id == IDOK || id == IDCANCEL)) {
            Close(id);
            result = 0;
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}
