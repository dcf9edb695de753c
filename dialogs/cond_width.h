// The conductor-width dialog of the board editor (dialog 1022): one width,
// shown and typed in the view's unit, handed back in millimetres. OK takes
// only a width of at least 0.01 mm; Cancel always closes.
#pragma once

#include "dialogs/vpl_data_exchange.h"
#include "platform/dialog.h"

#include <string>

class CCondWidth : public PlatformDialog, public CVplDataExchange<CCondWidth> {
public:
    enum ControlId : int { kWidth = 1083, kUnitName = 1013 };
    static const DialogTemplate& Resource();

    // width in millimetres, unit the LengthUnit to show it in.
    CCondWidth(float width, int unit);
    ~CCondWidth() override { DestroyWindow(); }

    // In the shown unit while the dialog runs; millimetres after OK.
    float m_width;
    std::wstring m_unitName;
    int m_unit;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};
