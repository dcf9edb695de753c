// The "Schematic colors" page of the Options sheet: the schematic colours,
// the wire, bus and connection-dot sizes, the schematic font, and a preview
// of a small schematic in them.
#pragma once

#include "dialogs/color_page.h"
#include "dialogs/vpl_data_exchange.h"

class DeviceContext;

class CSchematicColors : public CColorPage, public CVplDataExchange<CSchematicColors> {
public:
    enum ControlId : int {
        kUnit = 1013,
        kWireWidth = 1017,
        kBusWidth = 1019,
        kConnectionDot = 1021,
        kFont = 1068,
    };
    // Entries of the colour list: background, selected, grid, grid dots,
    // wire, bus, part, comment. The sheet border colour has none; it travels
    // with the palette only.
    static constexpr int kEntryCount = 8;
    static constexpr int kGridEntry = 2;
    static constexpr int kDotEntry = 3;

    CSchematicColors();
    ~CSchematicColors() override;

    static const DialogTemplate& Resource();

    void PaintPreview(PaintTarget& target, const RECT& client) override;

    // The page's unit (inch or mm) and its lengths in that unit.
    int m_unit = 1;
    float m_wireWidth = 0.0f;
    float m_busWidth = 0.0f;
    float m_connectionDot = 0.0f;
    // The preview's grid: 1 lines, 0 dots.
    int m_gridLines = 1;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnKillActive() override;
    COLORREF* EntryColor(int index) override;
    bool OnEntryChosen(int index) override;

private:
    void OnInitDialog();
    void OnUnitChanged();
    void OnFont();
    bool ShowLengths();
    void DrawSample(DeviceContext& dc, int grid) const;
};
