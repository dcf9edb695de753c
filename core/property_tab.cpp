#include "core/property_tab.h"

#include "platform/device_context.h"
#include "platform/paint_target.h"
#include "platform/system_colors.h"

void CPropertyTab::SetExpanded(bool expanded) {
    expanded_ = expanded;
    if (IsWindow())
        Invalidate(true);
}

void CPropertyTab::OnPaint() {
    PaintStruct ps;
    PaintTarget* target = BeginPaint(&ps);
    if (!target)
        return;
    {
        DeviceContext dc(*target);
        GdiPen old = dc.SelectPen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
        const POINT outline[] = {{73, 0}, {84, 11}, {115, 11}, {127, -1}};
        dc.Polyline(outline, 4);
        dc.SelectPen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT)));
        if (expanded_) {
            const POINT a[] = {{97, 5}, {100, 2}, {104, 6}};
            const POINT b[] = {{97, 9}, {100, 6}, {104, 10}};
            dc.Polyline(a, 3);
            dc.Polyline(b, 3);
        } else {
            const POINT a[] = {{97, 2}, {100, 5}, {104, 1}};
            const POINT b[] = {{97, 6}, {100, 9}, {104, 5}};
            dc.Polyline(a, 3);
            dc.Polyline(b, 3);
        }
        dc.SelectPen(old);
    }
    EndPaint(&ps);
}

bool CPropertyTab::ProcessWindowMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_CREATE: {
        RECT r = GetRectInParent();
        MoveWindow(RECT{r.left, r.top, r.left + kWidth, r.top + kHeight}, false);
        SetWindowRegion({{73, 0}, {85, 12}, {115, 12}, {127, 0}});
        result = 0;
        return true;
    }
    case WM_PAINT:
        OnPaint();
        result = 0;
        return true;
    case WM_LBUTTONDOWN:
        SetCapture();
        expanded_ = !expanded_;
        if (GetParent())
            GetParent()->PostMessage(WM_PROPERTY_LAYOUT, expanded_ ? 1 : 0, 0);
        Invalidate(true);
        result = 0;
        return true;
    case WM_LBUTTONUP:
        ReleaseCapture();
        result = 0;
        return true;
    default:
        return false;
    }
}
