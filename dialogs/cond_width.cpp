#include "dialogs/cond_width.h"

#include "core/length_unit.h"
#include "dialogs/length_limits.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"

namespace {
constexpr unsigned kFirstUnitName = 170; // "inch", "mm", "mil", "µm"
}

const DialogTemplate& CCondWidth::Resource() {
    static const DialogTemplate t{
        1022,
        L"Conductor width",
        150,
        50,
        false,
        {
            DlgStatic(IDC_STATIC, L"Width:", 7, 10, 26, 8),
            DlgEdit(kWidth, 36, 8, 50, 12),
            DlgStatic(kUnitName, L"mm", 90, 10, 24, 8),
            DlgDefButton(IDOK, L"OK", 39, 29, 50, 14, WS_GROUP | WS_TABSTOP),
            DlgButton(IDCANCEL, L"Cancel", 93, 29, 50, 14),
        },
    };
    return t;
}

CCondWidth::CCondWidth(float width, int unit)
    : PlatformDialog(Resource()), m_width(width), m_unit(IsLengthUnit(unit) ? unit : kUnitMm) {}

bool CCondWidth::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        CenterWindow();
        m_unitName = LoadStringText(kFirstUnitName + static_cast<unsigned>(m_unit));
        m_width = static_cast<float>(m_width / g_UnitToMm[m_unit]);
        DDX_Float(kWidth, m_width, false, false, 0.0f, 0.0f, g_UnitDecimals[m_unit]);
        SetDlgItemText(kUnitName, m_unitName);
        result = 1;
        return true;
    }
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        int id = static_cast<int>(LOWORD(wParam));
        // A bad entry beeps and the field shows the width it keeps. OK stays
        // open then, for a width the conductor can take: closing would look
        // as if the typed width had been taken.
        const bool ok = DDX_Float(kWidth, m_width, true, id == IDOK, kSizeLimits.MinIn(m_unit),
                                  kSizeLimits.MaxIn(m_unit), g_UnitDecimals[m_unit]) != 0;
        if (id == IDOK && !ok) {
            result = 0;
            return true;
        }
        if (id == IDOK)
            m_width = static_cast<float>(m_width * g_UnitToMm[m_unit]);
        EndDialog(id);
        result = 0;
        return true;
    }
    return false;
}
