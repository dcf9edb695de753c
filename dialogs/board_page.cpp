#include "dialogs/board_page.h"

#include "dialogs/length_limits.h"
#include "platform/combo_box_control.h"
#include "platform/string_table.h"

namespace {

struct Field {
    int id;
    float BoardClassValues::*member;
    const LengthLimits* limits;
};

// The seven fields in the order they are read.
const Field kFields[] = {
    {CBoardPage::kConductorWidth, &BoardClassValues::conductorWidth, &kWidthLimits},
    {CBoardPage::kSpacing, &BoardClassValues::conductorSpacing, &kWidthLimits},
    {CBoardPage::kViaRouting, &BoardClassValues::viaRouting, &kSizeLimits},
    {CBoardPage::kViaPlane, &BoardClassValues::viaPlane, &kSizeLimits},
    {CBoardPage::kViaDrill, &BoardClassValues::viaDrill, &kSizeLimits},
    // A thermal relief's isolation clears copper: it is a size, above 0.
    {CBoardPage::kIsolationWidth, &BoardClassValues::isolationWidth, &kSizeLimits},
    {CBoardPage::kSpokeWidth, &BoardClassValues::spokeWidth, &kWidthLimits},
};

BoardClassValues Scaled(BoardClassValues v, double factor) {
    for (const Field& f : kFields)
        v.*f.member = static_cast<float>(v.*f.member * factor);
    return v;
}

} // namespace

const DialogTemplate& CBoardPage::Resource() {
    static const DialogTemplate t{
        300,
        L"Board settings",
        260,
        190,
        true,
        {
            DlgStatic(IDC_STATIC, L"Unit:", 7, 9, 40, 8),
            DlgDropDownList(kUnit, 50, 7, 60, 60),
            DlgGroupBox(L"Board class", 7, 26, 70, 56),
            DlgRadio(kClass1, L"Class 1", 14, 38, 55, 10, WS_TABSTOP | WS_GROUP),
            DlgRadio(kClass2, L"Class 2", 14, 52, 55, 10),
            DlgRadio(kClass3, L"Class 3", 14, 66, 55, 10),
            DlgStatic(IDC_STATIC, L"Conductor width:", 88, 30, 80, 8, WS_GROUP),
            DlgEdit(kConductorWidth, 190, 28, 50, 12, WS_TABSTOP | WS_GROUP),
            DlgStatic(IDC_STATIC, L"Spacing:", 88, 46, 80, 8),
            DlgEdit(kSpacing, 190, 44, 50, 12),
            DlgGroupBox(L"Default via diamdeter", 7, 88, 246, 48),
            DlgStatic(IDC_STATIC, L"Routing layer:", 14, 100, 60, 8),
            DlgEdit(kViaRouting, 80, 98, 40, 12),
            DlgStatic(IDC_STATIC, L"Plane layer:", 130, 100, 60, 8),
            DlgEdit(kViaPlane, 200, 98, 40, 12),
            DlgStatic(IDC_STATIC, L"Drill:", 14, 118, 60, 8),
            DlgEdit(kViaDrill, 80, 116, 40, 12),
            DlgGroupBox(L"Default thermal relief", 7, 140, 246, 30),
            DlgStatic(IDC_STATIC, L"Isolation width:", 14, 152, 60, 8),
            DlgEdit(kIsolationWidth, 80, 150, 40, 12),
            DlgStatic(IDC_STATIC, L"Spoke width:", 130, 152, 60, 8),
            DlgEdit(kSpokeWidth, 200, 150, 40, 12),
            DlgButton(kRestoreDefaults, L"Restore defaults", 173, 173, 80, 14),
        },
    };
    return t;
}

CBoardPage::CBoardPage() : PropertyPage(Resource()) {}

CBoardPage::~CBoardPage() {
    DestroyWindow();
}

void CBoardPage::LoadClass(int boardClass) {
    m_values = Scaled(BoardClassSettings::ReadClass(boardClass), 1.0 / g_UnitToMm[m_unit]);
}

void CBoardPage::StoreClass() const {
    BoardClassSettings::WriteUnit(m_unit);
    BoardClassSettings::WriteCurrentClass(m_class);
    BoardClassSettings::WriteClass(m_class, Scaled(m_values, g_UnitToMm[m_unit]));
}

void CBoardPage::ShowLengths() {
    int digits = g_UnitDecimals[m_unit];
    for (const Field& f : kFields)
        if (!DDX_Float(f.id, m_values.*f.member, false, false, 0, 0, digits))
            return;
}

bool CBoardPage::ReadLengths(bool stopAtError, bool checkRange) {
    bool all = true;
    for (const Field& f : kFields) {
        bool ok = DDX_Float(f.id, m_values.*f.member, true, checkRange, f.limits->MinIn(m_unit),
                            f.limits->MaxIn(m_unit), 6) != 0;
        if (!ok && stopAtError)
            return false;
        all = all && ok;
    }
    return all;
}

void CBoardPage::OnInitDialog() {
    if (PropertySheet* sheet = GetPropertySheet())
        sheet->CenterWindow();
    m_unit = BoardClassSettings::ReadUnit();
    m_class = BoardClassSettings::ReadCurrentClass();
    LoadClass(m_class);
    if (auto* combo = GetDlgItemAs<ComboBoxControl>(kUnit)) {
        for (unsigned id = 170; id <= 173; ++id)
            combo->AddString(LoadStringText(id));
        combo->SetCurSel(m_unit);
    }
    DDX_Radio(kClass1, m_class, false);
    ShowLengths();
    SetModified(true);
}

void CBoardPage::OnUnitChanged() {
    auto* combo = GetDlgItemAs<ComboBoxControl>(kUnit);
    int unit = combo ? combo->GetCurSel() : -1;
    if (!IsLengthUnit(unit) || unit == m_unit)
        return;
    ReadLengths(false, false);
    m_values = Scaled(m_values, g_UnitToMm[m_unit] / g_UnitToMm[unit]);
    m_unit = unit;
    ShowLengths();
    SetModified(true);
}

void CBoardPage::OnClassClicked() {
    // The class being left keeps what was typed for it. A field that is
    // rejected keeps the user on that class instead, or its text would be
    // lost (or a value out of range stored).
    if (!ReadLengths(true, true)) {
        DDX_Radio(kClass1, m_class, false);
        return;
    }
    StoreClass();
    int chosen = m_class;
    DDX_Radio(kClass1, chosen, true);
    if (chosen < 0 || chosen >= BoardClassSettings::kClassCount)
        return;
    m_class = chosen;
    LoadClass(m_class);
    ShowLengths();
}

void CBoardPage::OnRestoreDefaults() {
    BoardClassSettings::WriteUnit(m_unit);
    BoardClassSettings::WriteCurrentClass(m_class);
    for (int c = 0; c < BoardClassSettings::kClassCount; ++c)
        BoardClassSettings::WriteClass(c, BoardClassSettings::Defaults(c));
    m_values = Scaled(BoardClassSettings::Defaults(m_class), 1.0 / g_UnitToMm[m_unit]);
    DDX_Radio(kClass1, m_class, false);
    ShowLengths();
}

bool CBoardPage::OnKillActive() {
    int chosen = m_class;
    DDX_Radio(kClass1, chosen, true);
    // With no class checked the page keeps the class it shows.
    if (chosen >= 0 && chosen < BoardClassSettings::kClassCount)
        m_class = chosen;
    // Nothing is stored while a field is rejected: the user stays on the
    // page with the focus in that field.
    if (!ReadLengths(true, true))
        return false;
    StoreClass();
    return true;
}

bool CBoardPage::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
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
    } else if (id >= kClass1 && id <= kClass3 && code == BN_CLICKED) {
        OnClassClicked();
    } else if (id == kRestoreDefaults && code == BN_CLICKED) {
        OnRestoreDefaults();
    } else if (code == EN_CHANGE && id != kUnit) {
        SetModified(true);
    } else {
        return false;
    }
    result = 0;
    return true;
}
