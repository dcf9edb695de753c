// The "Board settings" dialog (320) of one board: conductor width and
// spacing, the default thermal relief and the via table of the board's
// design-rule node, in a display unit of the user's choice. The dialog
// records every change in the undo list its caller hands it, in the group
// the caller opened before running it; Cancel undoes that group.
#pragma once

#include "dialogs/vpl_data_exchange.h"
#include "platform/dialog.h"

#include <memory>
#include <string>

class CBoard;
class CBoardProperties;
class CUndoList;
class CViaListCtrl;
class ImageList;

class CBoardDialog : public PlatformDialog, public CVplDataExchange<CBoardDialog> {
public:
    enum ControlId : int {
        kUnit = 1013,
        kConductorWidth = 1045,
        kSpacing = 1047,
        kIsolation = 1038,
        kSpoke = 1039,
        kViaList = 1051,
        kInsertVia = 1054,
        kDeleteVia = 1057,
    };
    static const DialogTemplate& Resource();

    // The node must hold a thermal relief and a via (PrepareProperties).
    CBoardDialog(CBoardProperties* properties, CUndoList* undo);
    ~CBoardDialog() override;

    // What the board's command does before it runs the dialog: opens a new
    // undo group, and gives the board a design-rule node from the current
    // board class when it has none, the node a thermal relief and a default
    // via when it lacks them, each recorded in that group.
    static CBoardProperties* PrepareProperties(CBoard* board, CUndoList* undo);

    CViaListCtrl* GetViaList() const;

    int m_unit = 1;
    // The four lengths in the display unit, as the fields exchange them.
    float m_conductorWidth = 0;
    float m_conductorSpacing = 0;
    float m_isolationWidth = 0;
    float m_spokeWidth = 0;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item) override;

private:
    static constexpr int kFieldCount = 4;
    void OnInitDialog();
    void OnUnitChanged();
    void OnOK();
    void OnCancel();
    // Shows the four lengths in the display unit.
    void ShowFields();
    // Reads the fields; chained stops at the first rejected one. A field
    // still holding the text it was shown with keeps its exact length.
    bool ReadFields(bool chained);
    float& Member(int field);

    CBoardProperties* m_properties;
    CUndoList* m_undo;
    std::unique_ptr<ImageList> m_stateImages;
    // The lengths in millimetres and the texts the fields were last shown.
    float m_mm[kFieldCount] = {0, 0, 0, 0};
    std::wstring m_shown[kFieldCount];
};
