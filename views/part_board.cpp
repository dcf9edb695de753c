#include "views/part_board.h"

#include "platform/edit_control.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "schematic/package.h"
#include "views/symbol_view.h"

const DialogTemplate& CPartBoard::Resource() {
    static const DialogTemplate t{
        267,
        L"",
        65,
        18,
        true,
        {
            DlgButton(kPrevious, L"<<", 2, 2, 18, 14),
            DlgEdit(kNumber, 22, 3, 21, 12, ES_READONLY | ES_CENTER),
            DlgButton(kNext, L">>", 45, 2, 18, 14),
        },
    };
    return t;
}

CPartBoard::CPartBoard(CSymbolView* view)
    : PlatformDialog(Resource()), m_pView(view), m_pIndex(view->GetShownUnitField()),
      m_pPackage(view->GetPackage()) {}

void CPartBoard::ShowPart() {
    const int count = m_pPackage ? m_pPackage->GetPartCount() : 0;
    SetDlgItemText(kNumber, count > 0 ? StrPrintf(L"%u", *m_pIndex + 1u) : std::wstring());
}

void CPartBoard::Step(int delta) {
    m_pView->StepUnit(delta);
}

bool CPartBoard::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        ShowPart();
        // The bar never takes the keyboard focus from the view's parent.
        result = 0;
        return true;
    case WM_COMMAND: {
        const int id = static_cast<int>(LOWORD(wParam));
        result = 0;
        if (id == kPrevious || id == kNext) {
            Step(id - 1021);
            return true;
        }
        // Enter and Esc must not end the bar as they end a dialog.
        return id == IDOK || id == IDCANCEL;
    }
    default:
        return false;
    }
}
