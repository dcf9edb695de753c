#include "platform/check_box_control.h"

#include "platform/button_control.h"
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
constexpr int kBoxSize = 13;
} // namespace

void CheckBoxControl::Click() {
    auto life = LifeToken();
    ClickState();
    if (*life)
        NotifyParentCommand(BN_CLICKED);
}

void CheckBoxControl::ClickState() {
    SetCheck(check_ == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED);
}

void CheckBoxControl::PaintMark(PaintTarget* target, const RECT& box) const {
    QPainter* p = target->Impl()->Painter();
    p->setPen(Q(GetSysColor(COLOR_BTNSHADOW)));
    p->setBrush(
        Q(GetSysColor(press_.IsPushed() || !IsWindowEnabled() ? COLOR_BTNFACE : COLOR_WINDOW)));
    p->drawRect(box.left, box.top, box.right - box.left - 1, box.bottom - box.top - 1);
    if (check_ == BST_UNCHECKED)
        return;
    QPen pen(Q(GetSysColor(check_ == BST_CHECKED && IsWindowEnabled() ? COLOR_WINDOWTEXT
                                                                      : COLOR_GRAYTEXT)));
    pen.setWidth(2);
    p->setPen(pen);
    int x = box.left, y = box.top;
    p->drawLine(x + 3, y + 6, x + 5, y + 9);
    p->drawLine(x + 5, y + 9, x + 10, y + 3);
}

void CheckBoxControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    QPainter* p = t->Impl()->Painter();
    RECT rc = GetClientRect();
    p->save();
    p->fillRect(0, 0, rc.right, rc.bottom, Q(GetSysColor(COLOR_BTNFACE)));
    int top = (rc.bottom - kBoxSize) / 2;
    PaintMark(t, RECT{0, top, kBoxSize, top + kBoxSize});
    p->setPen(Q(GetSysColor(IsWindowEnabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT)));
    p->setBrush(Qt::NoBrush);
    p->setFont(MakeQFont(GetFont()));
    QRect textRect(kBoxSize + 4, 0, rc.right - kBoxSize - 4, rc.bottom);
    const QString text = QString::fromStdWString(StripMnemonicPrefix(GetWindowText()));
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    p->drawText(textRect, flags, text);
    if (GetFocus() == this && !text.isEmpty()) {
        // The dotted focus frame goes round the text, not the whole control.
        const QRect bounds = p->boundingRect(textRect, flags, text).intersected(textRect);
        QPen dots(Q(GetSysColor(COLOR_WINDOWTEXT)));
        dots.setStyle(Qt::DotLine);
        p->setPen(dots);
        p->drawRect(bounds.adjusted(-1, 0, 1, -1));
    }
    p->restore();
    EndPaint(&ps);
}

LRESULT CheckBoxControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    bool clicked = false;
    if (press_.Handle(*this, msg, lParam, &clicked)) {
        if (clicked)
            Click();
        return 0;
    }
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case BM_GETCHECK:
        return check_;
    case BM_SETCHECK:
        if (check_ != static_cast<UINT>(wParam)) {
            check_ = static_cast<UINT>(wParam) > BST_INDETERMINATE ? BST_CHECKED
                                                                   : static_cast<UINT>(wParam);
            Invalidate(false);
        }
        return 0;
    case BM_CLICK:
        Click();
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE)
            Click();
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        Invalidate(false);
        return 0;
    default:
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    }
}
