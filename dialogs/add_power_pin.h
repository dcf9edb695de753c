// The power-pin dialog of the symbol editor (dialog 377): a net name and a
// comma-separated list of pin numbers. OK with an empty net name says "Enter
// net name " and stays open.
#pragma once

#include "platform/dialog.h"

#include <string>

class CAddPowerPin : public PlatformDialog {
public:
    enum ControlId : int { kNetName = 1059, kPinNumbers = 1060 };
    static const DialogTemplate& Resource();

    CAddPowerPin(std::wstring netName = L"", std::wstring pinNumbers = L"");
    ~CAddPowerPin() override { DestroyWindow(); }

    std::wstring m_netName;
    std::wstring m_pinNumbers;

    bool DoDataExchange(bool save) override;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};
