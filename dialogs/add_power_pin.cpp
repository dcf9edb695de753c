#include "dialogs/add_power_pin.h"

#include "platform/string_table.h"
#include "platform/ui_hooks.h"

namespace {
constexpr unsigned kEnterNetNameId = 246; // "Enter net name "
constexpr unsigned kCaptionId = 128;      // "Vorpel"
} // namespace

const DialogTemplate& CAddPowerPin::Resource() {
    static const DialogTemplate t{
        377,
        L"Add power pin",
        186,
        84,
        false,
        {
            DlgStatic(IDC_STATIC, L"Net name:", 7, 9, 60, 8),
            DlgEdit(kNetName, 7, 19, 172, 12),
            DlgStatic(IDC_STATIC, L"Pin numbers separated by commas:", 7, 36, 172, 8),
            DlgEdit(kPinNumbers, 7, 46, 100, 12),
            // Below the fields: beside them the OK button ran over both.
            DlgDefButton(IDOK, L"OK", 75, 64, 50, 14, WS_GROUP | WS_TABSTOP),
            DlgButton(IDCANCEL, L"Cancel", 129, 64, 50, 14),
        },
    };
    return t;
}

CAddPowerPin::CAddPowerPin(std::wstring netName, std::wstring pinNumbers)
    : PlatformDialog(Resource()), m_netName(std::move(netName)),
      m_pinNumbers(std::move(pinNumbers)) {}

bool CAddPowerPin::DoDataExchange(bool save) {
    return DDX_Text(kNetName, m_netName, save) && DDX_Text(kPinNumbers, m_pinNumbers, save);
}

bool CAddPowerPin::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        CenterWindow();
        DoDataExchange(false);
        result = 1;
        return true;
    }
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        int id = static_cast<int>(LOWORD(wParam));
        DoDataExchange(true);
        if (id == IDOK && m_netName.empty()) {
            ShowMessageBox(LoadStringText(kEnterNetNameId), LoadStringText(kCaptionId),
                           MB_OK | MB_ICONSTOP);
            GotoDlgCtrl(kNetName);
        } else {
            EndDialog(id);
        }
        result = 0;
        return true;
    }
    return false;
}
