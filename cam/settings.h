// The "Gerber settings" dialog (103) and the command that runs it.
#pragma once

#include "cam/cam_settings.h"
#include "platform/dialog.h"

class ComboBoxControl;

class CSettings : public PlatformDialog {
public:
    enum ControlId : int {
        kInch = 1102,
        kMillimeter = 1103,
        kResInt = 1004,
        kResFlt = 1005,
        kTextFill = 1006,
        kTextOutline = 1007,
        kLineThickness = 1008,
        kLineThicknessUnit = 1009,
        kLineThicknessLabel = 1010,
        kPadTol = 1012,
        kPadTolUnit = 1013,
        kMarkingTol = 1015,
        kMarkingTolUnit = 1016,
        kTextTol = 1018,
        kTextTolUnit = 1019,
        kMaskIncrease = 1014,
        kMaskIncreaseUnit = 1017,
        kPasteDecrease = 1020,
        kPasteDecreaseUnit = 1021,
        kViaCover = 1011,
        kViaOpen = 1022,
        kViaPadstack = 1023,
    };
    static const DialogTemplate& Resource();

    // The working copies start from settings (lengths in millimetres).
    explicit CSettings(const CamSettings& settings);
    ~CSettings() override { DestroyWindow(); }

    // The working copies as settings; after the dialog has ended, lengths
    // are millimetres again.
    CamSettings GetSettings() const;

    // Working copies: unit index (0 inch, 1 mm), digit indexes (value - 2),
    // text mode, the six lengths in the dialog's current unit (mil while the
    // unit is inch), via mode.
    int m_unit = 1;
    int m_resIntIndex = 1;
    int m_resFltIndex = 1;
    int m_textMode = 0;
    float m_lineThck = 0.0f;
    float m_padTol = 0.0f;
    float m_markingTol = 0.0f;
    float m_textTol = 0.0f;
    float m_smIncr = 0.0f;
    float m_spDecr = 0.0f;
    int m_via = 0;
    ComboBoxControl* m_resIntCombo = nullptr;
    ComboBoxControl* m_resFltCombo = nullptr;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    enum class ReadResult { Ok, Unreadable, OutOfRange };
    void OnInitDialog();
    void WriteControls();
    ReadResult ReadControls();
    ReadResult ReadLength(int index, int id, float& value, bool tolerance, bool width);
    void ShowLength(int index, int id, float value);
    void ShowUnitLabels();
    void EnableLineThickness();
    void ScaleLengths(double factor);
    void OnOkOrCancel(int id);

    // What WriteControls put into each length field: a field the user has
    // not changed keeps its member's full precision instead of the three
    // digits shown.
    std::wstring m_shown[6];
};

// Reads the key, runs the dialog owned by the active window and, on OK,
// stores the settings in the key and in g_CamSettings.
void EditGerberSettings();
