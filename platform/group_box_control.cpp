#include "platform/group_box_control.h"

#include "platform/dialog_template.h"
#include "platform/paint_target_impl.h"
#include "platform/system_colors.h"
#include "platform/window_impl.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
QColor Q(COLORREF c) {
    return QColor(static_cast<int>(ColorRefRed(c)), static_cast<int>(ColorRefGreen(c)),
                  static_cast<int>(ColorRefBlue(c)));
}
} // namespace

void GroupBoxControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    QPainter* p = t->Impl()->Painter();
    RECT rc = GetClientRect();
    int w = rc.right, h = rc.bottom;
    p->save();
    QFont font = MakeQFont(GetFont());
    p->setFont(font);
    QFontMetrics fm(font);
    QString title = QString::fromStdWString(StripMnemonicPrefix(GetWindowText()));
    int top = fm.height() / 2;
    p->setPen(Q(GetSysColor(COLOR_BTNSHADOW)));
    p->drawRect(0, top, w - 2, h - top - 2);
    p->setPen(Q(GetSysColor(COLOR_BTNHIGHLIGHT)));
    p->drawRect(1, top + 1, w - 2, h - top - 2);
    if (!title.isEmpty()) {
        int tw = fm.horizontalAdvance(title);
        p->fillRect(6, 0, tw + 4, fm.height(), Q(GetSysColor(COLOR_BTNFACE)));
        p->setPen(Q(GetSysColor(IsWindowEnabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT)));
        p->drawText(QRect(8, 0, tw, fm.height()), Qt::AlignLeft | Qt::AlignTop, title);
    }
    p->restore();
    EndPaint(&ps);
}

LRESULT GroupBoxControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        // Transparent: the window system paints the parent beneath it
        // first, so the inside shows the dialog's face, not old pixels.
        Impl()->widget->setAttribute(Qt::WA_OpaquePaintEvent, false);
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        // The frame is drawn over what lies beneath; only the title needs
        // a background.
        return 1;
    default:
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    }
}
