#include "dialogs/about_dlg.h"

#include "platform/bitmap.h"
#include "platform/static_control.h"
#include "platform/ui_hooks.h"
#include "resources/version_info.h"

namespace {
constexpr unsigned kProgramIcon = 128;

// The program's icon, drawn at the control's top left.
class IconControl : public PlatformWindow {
protected:
    bool ProcessWindowMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg != WM_PAINT)
            return false;
        PaintStruct ps;
        if (PaintTarget* t = BeginPaint(&ps)) {
            if (auto icon = Bitmap::LoadResource(kProgramIcon)) {
                const COLORREF magenta = 0xFF00FF;
                icon->Draw(t, 0, 0, 0, 0, icon->Width(), icon->Height(), &magenta);
            }
            EndPaint(&ps);
        }
        result = 0;
        return true;
    }
};
} // namespace

const DialogTemplate& CAboutDlg::Resource() {
    static const DialogTemplate t{
        100,
        L"About",
        220,
        62,
        false,
        {
            {DialogItemKind::Static, kIcon, L"", 7, 7, 21, 20, 0, 0, {}},
            DlgStatic(kFirstLine, L"Vorpel Build 0", 36, 10, 177, 8, SS_NOPREFIX),
            DlgStatic(kSecondLine, L"Copyright", 36, 24, 177, 8, SS_NOPREFIX),
            DlgDefButton(IDOK, L"OK", 163, 41, 50, 14, WS_GROUP | WS_TABSTOP),
        },
    };
    return t;
}

CAboutDlg::CAboutDlg() : PlatformDialog(Resource()) {
    const VersionInfo& v = GetVersionInfo();
    m_productName = v.productName;
    m_productVersion = v.productVersion;
    m_fileVersion = v.fileVersion;
    m_legalCopyright = v.legalCopyright;
    m_companyName = v.companyName;
}

std::unique_ptr<PlatformWindow> CAboutDlg::MakeControl(const DialogItem& item) {
    if (item.id == kIcon)
        return std::make_unique<IconControl>();
    return nullptr;
}

bool CAboutDlg::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        CenterWindow();
        for (auto [id, text] : {std::pair{int(kFirstLine), FirstLine()},
                                std::pair{int(kSecondLine), m_legalCopyright}}) {
            if (!SetDlgItemText(id, text)) {
                MessageBeep();
                GotoDlgCtrl(id);
            }
        }
        result = 1;
        return true;
    }
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(static_cast<int>(LOWORD(wParam)));
        result = 0;
        return true;
    }
    return false;
}
