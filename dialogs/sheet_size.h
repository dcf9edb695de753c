// The "Sheet Size" page of the Options sheet: the paper-size series offered
// for sheets, the default sheet size and the schematic grid.
#pragma once

#include "dialogs/vpl_data_exchange.h"
#include "platform/property_sheet.h"

class CSheetSize : public PropertyPage, public CVplDataExchange<CSheetSize> {
public:
    enum ControlId : int {
        kUnit = 1013,
        kIso = 1006, // the five series, bits 0 to 4 of "SheetSizeStd"
        kAnsi = 1007,
        kJis = 1008,
        kShiroku = 1009,
        kKiku = 1010,
        kWidth = 1011,
        kHeight = 1012,
        kGrid = 1014,
    };
    static constexpr int kSeriesCount = 5;

    CSheetSize();
    ~CSheetSize() override;

    static const DialogTemplate& Resource();

    // The page's unit (inch or mm), the series check flags and the lengths
    // in that unit.
    int m_unit = 1;
    int m_series[kSeriesCount] = {};
    float m_width = 0.0f;
    float m_height = 0.0f;
    float m_grid = 0.0f;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnKillActive() override;

private:
    void OnInitDialog();
    void OnUnitChanged();
    void ShowLengths();
};
