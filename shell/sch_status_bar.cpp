#include "shell/sch_status_bar.h"

#include "core/length_unit.h"
#include "core/vorpel_view.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "resources/command_ids.h"

namespace {
constexpr unsigned kNetSizing = 281;      // "Net: ###############"
constexpr unsigned kUnitSizing = 195;     // "Unit: inch"
constexpr unsigned kPositionSizing = 194; // "XY = 888.888,888.888"
constexpr unsigned kNetLabel = 225;       // "Net"
constexpr unsigned kUnitLabel = 169;      // "Unit"
constexpr unsigned kFirstUnitName = 170;  // "inch", "mm", "mil", "µm"
} // namespace

void CSchStatusBar::SetPanes() {
    SetParts({-1, -1, -1, -1});
    LayoutPanes();
    SetText(kPanePrompt, LoadStringText(IDS_READY));
    SetNetText(nullptr);
    SetUnit(-1);
    SetPosition(0, 0);
}

void CSchStatusBar::LayoutPanes() {
    if (!IsWindow() || GetPartCount() != 4)
        return;
    // Panes 1 to 3 are as wide as their sizing strings; pane 0 takes the rest.
    int right = GetClientRect().right;
    int position = PaneWidthFor(LoadStringText(kPositionSizing)) + kGripSize;
    int unit = PaneWidthFor(LoadStringText(kUnitSizing));
    int net = PaneWidthFor(LoadStringText(kNetSizing));
    int e2 = right - position;
    int e1 = e2 - unit;
    int e0 = e1 - net;
    SetParts({std::max(0, e0), std::max(0, e1), std::max(0, e2), -1});
}

void CSchStatusBar::SetNetText(const wchar_t* netName) {
    if (!netName) {
        SetText(kPaneNet, L"");
        return;
    }
    SetText(kPaneNet, LoadStringText(kNetLabel) + L": " + netName);
}

void CSchStatusBar::SetUnit(int unit) {
    if (unit < 0 || unit >= kLengthUnitCount) {
        SetText(kPaneUnit, L"");
        return;
    }
    SetText(kPaneUnit, LoadStringText(kUnitLabel) + L": " +
                           LoadStringText(kFirstUnitName + static_cast<unsigned>(unit)));
}

void CSchStatusBar::SetPosition(int x, int y) {
    SetText(kPanePosition, StrPrintf(L"XY = %d,%d", x, y));
}

void CSchStatusBar::SetPositionInUnit(float x, float y, int unit) {
    x_ = x;
    y_ = y;
    SetText(kPanePosition, L"XY = " + FormatLength(x, unit) + L"," + FormatLength(y, unit));
}

void CSchStatusBar::GetPosition(float* x, float* y) const {
    if (x)
        *x = x_;
    if (y)
        *y = y_;
}

bool CSchStatusBar::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_SIZE:
        LayoutPanes();
        return StatusBarControl::ProcessWindowMessage(msg, wParam, lParam, result);
    case WM_LBUTTONDOWN: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (HitTest(p) == kPaneUnit && GetParent())
            GetParent()->SendMessage(WM_CYCLE_UNIT);
        result = 0;
        return true;
    }
    default:
        return StatusBarControl::ProcessWindowMessage(msg, wParam, lParam, result);
    }
}
