#include "platform/radio_button_control.h"

#include "platform/dialog_template.h"
#include "platform/paint_target_impl.h"
#include "platform/system_colors.h"

#include <QPainter>

namespace {
QColor Q(COLORREF c) {
    return QColor(static_cast<int>(ColorRefRed(c)), static_cast<int>(ColorRefGreen(c)),
                  static_cast<int>(ColorRefBlue(c)));
}
} // namespace

void RadioButtonControl::ClickState() {
    for (PlatformWindow* w : GetDlgGroupOf(this))
        if (w != this && dynamic_cast<RadioButtonControl*>(w))
            w->SendMessage(BM_SETCHECK, BST_UNCHECKED);
    SetCheck(BST_CHECKED);
}

void RadioButtonControl::PaintMark(PaintTarget* target, const RECT& box) const {
    QPainter* p = target->Impl()->Painter();
    p->setRenderHint(QPainter::Antialiasing, true);
    p->setPen(Q(GetSysColor(COLOR_BTNSHADOW)));
    p->setBrush(Q(GetSysColor(IsWindowEnabled() ? COLOR_WINDOW : COLOR_BTNFACE)));
    QRectF r(box.left + 0.5, box.top + 0.5, box.right - box.left - 1, box.bottom - box.top - 1);
    p->drawEllipse(r);
    if (GetCheck() == BST_CHECKED) {
        p->setPen(Qt::NoPen);
        p->setBrush(Q(GetSysColor(IsWindowEnabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT)));
        p->drawEllipse(r.adjusted(3.5, 3.5, -3.5, -3.5));
    }
    p->setRenderHint(QPainter::Antialiasing, false);
}
