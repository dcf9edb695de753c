// The main window's status bar: the prompt pane, the net under the cursor,
// the display unit of the shown view and the cursor position. The views and
// model code write its panes through g_MainFrame.m_statusBar; a click on the
// unit pane asks the frame (WM_CYCLE_UNIT) to switch the shown view to its
// next unit.
#pragma once

#include "platform/status_bar_control.h"

#include <string>

class CSchStatusBar : public StatusBarControl {
public:
    enum Pane { kPanePrompt = 0, kPaneNet = 1, kPaneUnit = 2, kPanePosition = 3 };

    // Sizes the panes from their sizing strings (281, 195, 194), empties the
    // net and unit panes and shows the position 0, 0. Called once the
    // window exists.
    void SetPanes();

    // "Net: " and the name; null empties the pane.
    void SetNetText(const wchar_t* netName);
    // "Unit: " and the unit's name (0 inch .. 3 µm); -1 empties the pane.
    void SetUnit(int unit);
    // "XY = x,y" with plain integers (schematic and symbol views).
    void SetPosition(int x, int y);
    // "XY = x,y" in the unit's decimals; remembers x and y (mm).
    void SetPositionInUnit(float x, float y, int unit);
    // The last position given to SetPositionInUnit, in mm.
    void GetPosition(float* x, float* y) const;
    PointF GetPosition() const { return PointF{x_, y_}; }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void LayoutPanes();

    float x_ = 0.0f;
    float y_ = 0.0f;
};
