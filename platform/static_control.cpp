#include "platform/static_control.h"

#include "platform/dialog_template.h"
#include "platform/paint_target_impl.h"
#include "platform/system_colors.h"
#include "platform/window_impl.h"

#include <QPainter>

namespace {
QColor Q(COLORREF c) {
    return QColor(static_cast<int>(ColorRefRed(c)), static_cast<int>(ColorRefGreen(c)),
                  static_cast<int>(ColorRefBlue(c)));
}
} // namespace

void StaticControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    QPainter* p = t->Impl()->Painter();
    RECT rc = GetClientRect();
    p->save();
    p->fillRect(0, 0, rc.right, rc.bottom, Q(GetSysColor(COLOR_BTNFACE)));
    p->setPen(Q(GetSysColor(IsWindowEnabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT)));
    p->setFont(MakeQFont(GetFont()));
    int align = Qt::AlignTop | Qt::TextWordWrap;
    if (GetStyle() & SS_RIGHT)
        align |= Qt::AlignRight;
    else if (GetStyle() & SS_CENTER)
        align |= Qt::AlignHCenter;
    else
        align |= Qt::AlignLeft;
    std::wstring text = GetWindowText();
    if (!(GetStyle() & SS_NOPREFIX))
        text = StripMnemonicPrefix(text);
    p->drawText(QRect(0, 0, rc.right, rc.bottom), align, QString::fromStdWString(text));
    p->restore();
    EndPaint(&ps);
}

LRESULT StaticControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ENABLE:
        Invalidate(false);
        return 0;
    default:
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    }
}
