#include "platform/button_control.h"

#include "platform/bitmap.h"
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

void ButtonControl::SetBitmap(std::shared_ptr<Bitmap> bitmap) {
    bitmap_ = std::move(bitmap);
    Invalidate(true);
}

void ButtonControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    QPainter* p = t->Impl()->Painter();
    RECT rc = GetClientRect();
    int w = rc.right, h = rc.bottom;
    p->save();
    p->fillRect(0, 0, w, h, Q(GetSysColor(COLOR_BTNFACE)));
    QColor light = Q(GetSysColor(COLOR_BTNHIGHLIGHT)), dark = Q(GetSysColor(COLOR_BTNSHADOW));
    if (press_.IsPushed())
        std::swap(light, dark);
    p->setPen(light);
    p->drawLine(0, 0, w - 1, 0);
    p->drawLine(0, 0, 0, h - 1);
    p->setPen(dark);
    p->drawLine(0, h - 1, w - 1, h - 1);
    p->drawLine(w - 1, 0, w - 1, h - 1);
    int shift = press_.IsPushed() ? 1 : 0;
    if ((GetStyle() & BS_BITMAP) && bitmap_) {
        p->restore();
        bitmap_->Draw(t, (w - bitmap_->Width()) / 2 + shift, (h - bitmap_->Height()) / 2 + shift);
    } else {
        p->setPen(Q(GetSysColor(IsWindowEnabled() ? COLOR_BTNTEXT : COLOR_GRAYTEXT)));
        p->setFont(MakeQFont(GetFont()));
        p->drawText(QRect(shift, shift, w, h), Qt::AlignCenter | Qt::TextSingleLine,
                    QString::fromStdWString(GetWindowText()));
        p->restore();
    }
    EndPaint(&ps);
}

LRESULT ButtonControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    bool clicked = false;
    if (press_.Handle(*this, msg, lParam, &clicked)) {
        if (clicked)
            NotifyParentCommand(BN_CLICKED);
        return 0;
    }
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE)
            NotifyParentCommand(BN_CLICKED);
        return 0;
    case BM_CLICK:
        NotifyParentCommand(BN_CLICKED);
        return 0;
    case BM_GETSTATE:
        return (press_.IsPushed() ? BST_PUSHED : 0) | (GetFocus() == this ? BST_FOCUS : 0);
    case BM_SETIMAGE:
        // lParam: a std::shared_ptr<Bitmap>* to share.
        if (wParam == IMAGE_BITMAP)
            if (auto* b = LParamToPtr<std::shared_ptr<Bitmap>>(lParam))
                SetBitmap(*b);
        return 0;
    default:
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    }
}
