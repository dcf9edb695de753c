#include "dialogs/sheet_size.h"

#include "core/default_settings.h"
#include "dialogs/length_limits.h"
#include "platform/check_box_control.h"
#include "platform/combo_box_control.h"
#include "platform/string_table.h"

namespace {
bool IsPageUnit(int unit) {
    return unit == kUnitInch || unit == kUnitMm;
}
} // namespace

const DialogTemplate& CSheetSize::Resource() {
    static const DialogTemplate t{
        254,
        L"Sheet Size",
        260,
        190,
        true,
        {
            DlgStatic(IDC_STATIC, L"Unit:", 7, 9, 40, 8),
            DlgDropDownList(kUnit, 50, 7, 60, 40),
            DlgGroupBox(L"Use standards", 7, 26, 110, 88),
            DlgCheckBox(kIso, L"ISO", 14, 38, 90, 10, WS_TABSTOP | WS_GROUP),
            DlgCheckBox(kAnsi, L"ANSI", 14, 52, 90, 10),
            DlgCheckBox(kJis, L"JIS", 14, 66, 90, 10),
            DlgCheckBox(kShiroku, L"\u56db\u516d\u5224", 14, 80, 90, 10),
            DlgCheckBox(kKiku, L"\u83ca\u5224", 14, 94, 90, 10),
            DlgGroupBox(L"Default size", 125, 26, 128, 88),
            DlgStatic(IDC_STATIC, L"Sheet width:", 132, 40, 60, 8),
            DlgEdit(kWidth, 195, 38, 50, 12, WS_TABSTOP | WS_GROUP),
            DlgStatic(IDC_STATIC, L"Sheet height:", 132, 58, 60, 8),
            DlgEdit(kHeight, 195, 56, 50, 12),
            DlgStatic(IDC_STATIC, L"Grid:", 132, 76, 60, 8),
            DlgEdit(kGrid, 195, 74, 50, 12),
        },
    };
    return t;
}

CSheetSize::CSheetSize() : PropertyPage(Resource()) {}

CSheetSize::~CSheetSize() {
    DestroyWindow();
}

void CSheetSize::ShowLengths() {
    int digits = g_UnitDecimals[m_unit];
    if (DDX_Float(kWidth, m_width, false, false, 0, 0, digits) &&
        DDX_Float(kHeight, m_height, false, false, 0, 0, digits))
        DDX_Float(kGrid, m_grid, false, false, 0, 0, digits);
}

void CSheetSize::OnInitDialog() {
    if (PropertySheet* sheet = GetPropertySheet())
        sheet->CenterWindow();
    DefaultSettings& s = g_DefaultSettings;
    s.LoadSheetSizePage();
    // A unit the page does not offer (mil, µm) is shown as mm.
    m_unit = IsPageUnit(s.unit) ? s.unit : kUnitMm;
    for (int i = 0; i < kSeriesCount; ++i)
        m_series[i] = (s.sheetSizeStd >> i) & 1;
    const double f = g_UnitToMm[m_unit];
    m_width = static_cast<float>(s.sheetWidth / f);
    m_height = static_cast<float>(s.sheetHeight / f);
    m_grid = static_cast<float>(s.gridWidth / f);
    if (auto* combo = GetDlgItemAs<ComboBoxControl>(kUnit)) {
        combo->AddString(LoadStringText(170));
        combo->AddString(LoadStringText(171));
        combo->SetCurSel(m_unit);
    }
    for (int i = 0; i < kSeriesCount; ++i)
        DDX_Check(kIso + i, m_series[i], false);
    ShowLengths();
    SetModified(true);
}

void CSheetSize::OnUnitChanged() {
    auto* combo = GetDlgItemAs<ComboBoxControl>(kUnit);
    int unit = combo ? combo->GetCurSel() : -1;
    if (!IsPageUnit(unit) || unit == m_unit)
        return;
    // Each field on its own: a bad entry keeps its value.
    DDX_Float(kWidth, m_width, true, false, 0, 0, 6);
    DDX_Float(kHeight, m_height, true, false, 0, 0, 6);
    DDX_Float(kGrid, m_grid, true, false, 0, 0, 6);
    const double factor = g_UnitToMm[m_unit] / g_UnitToMm[unit];
    m_width = static_cast<float>(m_width * factor);
    m_height = static_cast<float>(m_height * factor);
    m_grid = static_cast<float>(m_grid * factor);
    m_unit = unit;
    g_DefaultSettings.unit = unit;
    ShowLengths();
    SetModified(true);
}

bool CSheetSize::OnKillActive() {
    for (int i = 0; i < kSeriesCount; ++i)
        DDX_Check(kIso + i, m_series[i], true);
    // Nothing is stored while a field is rejected: the user stays on the
    // page with the focus in that field.
    const int u = m_unit;
    const float lo = kSizeLimits.MinIn(u), hi = kSizeLimits.MaxIn(u);
    if (!DDX_Float(kWidth, m_width, true, true, lo, hi, 6) ||
        !DDX_Float(kHeight, m_height, true, true, lo, hi, 6) ||
        !DDX_Float(kGrid, m_grid, true, true, lo, hi, 6))
        return false;
    DefaultSettings& s = g_DefaultSettings;
    const double f = g_UnitToMm[u];
    s.sheetWidth = static_cast<float>(m_width * f);
    s.sheetHeight = static_cast<float>(m_height * f);
    s.gridWidth = static_cast<float>(m_grid * f);
    s.unit = u;
    uint32_t series = 0;
    for (int i = 0; i < kSeriesCount; ++i)
        if (m_series[i] == BST_CHECKED)
            series |= 1u << i;
    s.sheetSizeStd = series;
    s.StoreSheetSizePage();
    return true;
}

bool CSheetSize::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        OnInitDialog();
        result = 1;
        return true;
    }
    if (msg != WM_COMMAND)
        return false;
    int id = static_cast<int>(LOWORD(wParam));
    int code = static_cast<int>(HIWORD(wParam));
    if (id == kUnit && code == CBN_SELCHANGE) {
        OnUnitChanged();
    } else if ((id == kWidth || id == kHeight || id == kGrid) && code == EN_CHANGE) {
        SetModified(true);
    } else if (id >= kIso && id <= kKiku && code == BN_CLICKED) {
        SetModified(true);
    } else {
        return false;
    }
    result = 0;
    return true;
}
