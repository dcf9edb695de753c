// The about box (dialog 100): the program icon, the product name with
// " Build " and the version on the first line and the copyright on the
// second, taken from the build.
#pragma once

#include "platform/dialog.h"

#include <string>

class CAboutDlg : public PlatformDialog {
public:
    enum ControlId : int { kIcon = 1068, kFirstLine = 1069, kSecondLine = 1071 };
    static const DialogTemplate& Resource();

    CAboutDlg();
    ~CAboutDlg() override { DestroyWindow(); }

    // The five product texts; the first line as shown.
    std::wstring m_productName;
    std::wstring m_productVersion;
    std::wstring m_fileVersion;
    std::wstring m_legalCopyright;
    std::wstring m_companyName;
    std::wstring FirstLine() const { return m_productName + L" Build " + m_fileVersion; }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item) override;
};
