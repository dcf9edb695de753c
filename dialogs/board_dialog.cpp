#include "dialogs/board_dialog.h"

#include "board/board.h"
#include "board/board_properties.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/length_unit.h"
#include "core/node_type.h"
#include "core/undo_list.h"
#include "core/undo_node_records.h"
#include "dialogs/board_class_settings.h"
#include "dialogs/length_limits.h"
#include "dialogs/via_list_ctrl.h"
#include "platform/bitmap.h"
#include "platform/combo_box_control.h"
#include "platform/list_view_control.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"

namespace {
constexpr unsigned kDefaultMarks = 309;
constexpr int kImageWidth = 16;
constexpr COLORREF kImageMask = 0xFF00FF;
constexpr unsigned kUnitNames = 170; // "inch", "mm", "mil", "μm"

struct ViaColumn {
    unsigned title;
    int width;
};
constexpr ViaColumn kViaColumns[CViaListCtrl::kColumnCount] = {
    {227, 45}, {228, 40}, {229, 50}, {230, 50}, {391, 50}, {393, 50},
};

int FieldId(int field) {
    static constexpr int ids[] = {CBoardDialog::kConductorWidth, CBoardDialog::kSpacing,
                                  CBoardDialog::kIsolation, CBoardDialog::kSpoke};
    return ids[field];
}
} // namespace

const DialogTemplate& CBoardDialog::Resource() {
    static const DialogTemplate t{
        320,
        L"Board settings",
        340,
        236,
        false,
        {
            DlgStatic(IDC_STATIC, L"Unit:", 7, 9, 70, 8),
            DlgDropDownList(kUnit, 80, 7, 60, 80),
            DlgStatic(IDC_STATIC, L"Conductor width:", 7, 27, 70, 8),
            DlgEdit(kConductorWidth, 80, 25, 60, 13),
            DlgStatic(IDC_STATIC, L"Spacing:", 168, 27, 62, 8),
            DlgEdit(kSpacing, 246, 25, 60, 13),
            DlgGroupBox(L"Default thermal relief", 7, 44, 326, 30),
            DlgStatic(IDC_STATIC, L"Isolation width:", 14, 57, 63, 8, WS_GROUP),
            DlgEdit(kIsolation, 80, 55, 60, 13),
            DlgStatic(IDC_STATIC, L"Spoke width:", 168, 57, 62, 8),
            DlgEdit(kSpoke, 246, 55, 60, 13),
            DlgStatic(IDC_STATIC, L"Vias sizes:", 7, 80, 80, 8),
            DialogItem{DialogItemKind::ReportList,
                       kViaList,
                       L"",
                       7,
                       91,
                       326,
                       116,
                       WS_TABSTOP | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDRAWFIXED,
                       0,
                       {}},
            DlgButton(kInsertVia, L"Insert via", 7, 215, 55, 14),
            DlgButton(kDeleteVia, L"Delete via", 66, 215, 55, 14),
            DlgDefButton(1, L"OK", 229, 215, 50, 14),
            DlgButton(2, L"Cancel", 283, 215, 50, 14),
        },
    };
    return t;
}

CBoardDialog::CBoardDialog(CBoardProperties* properties, CUndoList* undo)
    : PlatformDialog(Resource()), m_properties(properties), m_undo(undo) {}

CBoardDialog::~CBoardDialog() {
    DestroyWindow();
}

CBoardProperties* CBoardDialog::PrepareProperties(CBoard* board, CUndoList* undo) {
    if (!board || !undo)
        return nullptr;
    undo->SetStartNewGroup(true);
    CThermalRelief* thermal = nullptr;
    CPadstack* via = nullptr;
    CBoardProperties* properties = board->FindBoardProperties(&thermal, &via);
    if (!properties) {
        properties = new CBoardProperties();
        LoadBoardClassDefaults(properties);
        board->AddChild(properties);
        undo->AddUndo(new CUndoInsert(properties, nullptr));
    }
    if (!thermal) {
        thermal = AddDefaultThermalRelief(properties);
        undo->AddUndo(new CUndoInsert(thermal, nullptr));
    }
    if (!via) {
        via = AddDefaultViaPadstack(properties);
        undo->AddUndo(new CUndoInsert(via, nullptr));
    }
    return properties;
}

CViaListCtrl* CBoardDialog::GetViaList() const {
    return GetDlgItemAs<CViaListCtrl>(kViaList);
}

std::unique_ptr<PlatformWindow> CBoardDialog::MakeControl(const DialogItem& item) {
    if (item.id == kViaList)
        return std::make_unique<CViaListCtrl>();
    return nullptr;
}

float& CBoardDialog::Member(int field) {
    switch (field) {
    case 0:
        return m_conductorWidth;
    case 1:
        return m_conductorSpacing;
    case 2:
        return m_isolationWidth;
    default:
        return m_spokeWidth;
    }
}

void CBoardDialog::ShowFields() {
    for (int field = 0; field < kFieldCount; ++field) {
        Member(field) = static_cast<float>(m_mm[field] / g_UnitToMm[m_unit]);
        DDX_Float(FieldId(field), Member(field), false, false, 0, 0, g_UnitDecimals[m_unit]);
        m_shown[field] = GetDlgItemText(FieldId(field));
    }
}

bool CBoardDialog::ReadFields(bool chained) {
    bool ok = true;
    for (int field = 0; field < kFieldCount; ++field) {
        // The shown text stands for the exact length it was made from; reading
        // it back would round the length to the shown decimals.
        if (GetDlgItemText(FieldId(field)) == m_shown[field])
            continue;
        // The same ranges as the options' board page: a negative width would
        // drive routing and the copper fill, and an isolation must clear
        // copper.
        const LengthLimits& limits = field == 2 ? kSizeLimits : kWidthLimits;
        if (!DDX_Float(FieldId(field), Member(field), true, true, limits.MinIn(m_unit),
                       limits.MaxIn(m_unit), 6)) {
            ok = false;
            if (chained)
                return false;
            continue;
        }
        m_mm[field] = static_cast<float>(Member(field) * g_UnitToMm[m_unit]);
        m_shown[field] = GetDlgItemText(FieldId(field));
    }
    return ok;
}

void CBoardDialog::OnInitDialog() {
    CenterWindow();
    if (!m_properties || !m_undo) {
        EndDialog(IDCANCEL);
        return;
    }
    m_unit = BoardClassSettings::ReadUnit();
    m_mm[0] = m_properties->m_conductorWidth;
    m_mm[1] = m_properties->m_conductorSpacing;
    m_mm[2] = m_properties->m_isolationWidth;
    m_mm[3] = m_properties->m_spokeWidth;
    if (auto* combo = GetDlgItemAs<ComboBoxControl>(kUnit)) {
        for (int unit = 0; unit < kLengthUnitCount; ++unit)
            combo->AddString(LoadStringText(kUnitNames + static_cast<unsigned>(unit)), unit);
        combo->SetCurSel(m_unit);
    }
    if (CViaListCtrl* list = GetViaList()) {
        list->SetExtendedListViewStyle(LVS_EX_GRIDLINES);
        m_stateImages = ImageList::FromResource(kDefaultMarks, kImageWidth, kImageMask);
        list->SetImageList(m_stateImages.get(), LVSIL_STATE);
        for (int column = 0; column < CViaListCtrl::kColumnCount; ++column) {
            const std::wstring title = LoadStringText(kViaColumns[column].title);
            list->InsertColumn(column, title,
                               MapColumnWidth(*list, title, kViaColumns[column].width));
        }
        // The drill column is as wide as its header.
        const std::wstring drill = LoadStringText(kViaColumns[CViaListCtrl::kColumnDrill].title);
        list->SetColumnWidth(CViaListCtrl::kColumnDrill, list->MeasureText(drill).cx + 12);
        list->Attach(m_properties, m_undo, &m_unit);
        list->FillRows();
    }
    // The first record of the dialog's group: everything after it can be
    // taken back by undoing the group.
    m_undo->AddUndo(new CUndoChangeNodeAttribute(m_properties, nullptr));
    ShowFields();
}

void CBoardDialog::OnUnitChanged() {
    auto* combo = GetDlgItemAs<ComboBoxControl>(kUnit);
    if (!combo)
        return;
    const int unit = static_cast<int>(combo->GetItemData(combo->GetCurSel()));
    if (!IsLengthUnit(unit) || unit == m_unit)
        return;
    CViaListCtrl* list = GetViaList();
    // An open cell holds text in the old unit.
    if (list)
        list->CommitEdit();
    ReadFields(false);
    m_unit = unit;
    ShowFields();
    if (list)
        list->RefreshLengths();
}

void CBoardDialog::OnOK() {
    if (CViaListCtrl* list = GetViaList(); list && list->CommitEdit())
        return;
    // A rejected field keeps the dialog open with the focus in that field.
    if (!ReadFields(true))
        return;
    CBoardProperties* p = m_properties;
    if (m_mm[0] != p->m_conductorWidth || m_mm[1] != p->m_conductorSpacing) {
        m_undo->AddUndo(new CUndoChangeNodeAttribute(p, nullptr));
        p->m_conductorWidth = m_mm[0];
        p->m_conductorSpacing = m_mm[1];
    }
    const float isolation = m_mm[2];
    const float spoke = m_mm[3];
    for (CTreeNode* child : p->GetChildren()) {
        if (child->GetType() != NodeType::ThermalRelief)
            continue;
        auto* thermal = static_cast<CThermalRelief*>(child);
        if (thermal->m_isolation == isolation && thermal->m_spoke == spoke)
            continue;
        m_undo->AddUndo(new CUndoChangeNodeAttribute(thermal, nullptr));
        thermal->m_isolation = isolation;
        thermal->m_spoke = spoke;
    }
    // The node keeps the widths shown, whether or not a relief changed; the
    // snapshot at the head of the group restores them.
    p->m_isolationWidth = isolation;
    p->m_spokeWidth = spoke;
    BoardClassSettings::WriteUnit(m_unit);
    EndDialog(IDOK);
}

void CBoardDialog::OnCancel() {
    if (CViaListCtrl* list = GetViaList(); list && list->CommitEdit())
        return;
    m_undo->Undo(false);
    EndDialog(IDCANCEL);
}

bool CBoardDialog::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = 1;
        return true;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_NOTIFY:
        // The via list draws its rows and handles its clicks itself.
        return ReflectNotifications(msg, wParam, lParam, result);
    case WM_COMMAND: {
        const int id = static_cast<int>(LOWORD(wParam));
        const int code = static_cast<int>(HIWORD(wParam));
        result = 0;
        if (id == kUnit && code == CBN_SELCHANGE) {
            OnUnitChanged();
            return true;
        }
        if (code != BN_CLICKED)
            return false;
        switch (id) {
        case kInsertVia:
        case kDeleteVia:
            // The list does both through its keys.
            if (CViaListCtrl* list = GetViaList())
                list->PostMessage(WM_KEYDOWN, id == kInsertVia ? VK_INSERT : VK_DELETE, 0);
            return true;
        case IDOK:
            OnOK();
            return true;
        case IDCANCEL:
            OnCancel();
            return true;
        default:
            return false;
        }
    }
    default:
        return false;
    }
}
