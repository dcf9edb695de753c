// The "Board settings" page of the Options sheet: the three design-rule
// classes a new board takes its conductor width, spacing, via sizes and
// thermal relief from, and the unit of the board dialogs.
#pragma once

#include "dialogs/board_class_settings.h"
#include "dialogs/vpl_data_exchange.h"
#include "platform/property_sheet.h"

class CBoardPage : public PropertyPage, public CVplDataExchange<CBoardPage> {
public:
    enum ControlId : int {
        kUnit = 1013,
        kClass1 = 1040,
        kClass2 = 1041,
        kClass3 = 1042,
        kRestoreDefaults = 1043,
        kConductorWidth = 1045,
        kSpacing = 1047,
        kViaRouting = 1049,
        kViaPlane = 1052,
        kViaDrill = 1055,
        kIsolationWidth = 1038,
        kSpokeWidth = 1039,
    };

    CBoardPage();
    ~CBoardPage() override;

    static const DialogTemplate& Resource();

    // The page's unit, the class shown (0 to 2) and its lengths in the unit.
    int m_unit = 1;
    int m_class = 0;
    BoardClassValues m_values;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnKillActive() override;

private:
    void OnInitDialog();
    void OnUnitChanged();
    void OnClassClicked();
    void OnRestoreDefaults();
    void LoadClass(int boardClass);
    void StoreClass() const;
    void ShowLengths();
    // Reads the seven fields in order; with stopAtError the first rejected
    // one ends the reading (false), otherwise each keeps its value alone.
    // With checkRange the fields are range checked as well.
    bool ReadLengths(bool stopAtError, bool checkRange);
};
