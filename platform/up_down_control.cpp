#include "platform/up_down_control.h"

#include "platform/paint_target_impl.h"
#include "platform/system_colors.h"
#include "platform/text.h"
#include "platform/window_impl.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace {
QColor Q(COLORREF c) {
    return QColor(static_cast<int>(ColorRefRed(c)), static_cast<int>(ColorRefGreen(c)),
                  static_cast<int>(ColorRefBlue(c)));
}
constexpr unsigned kFirstRepeatMs = 400;
constexpr unsigned kRepeatMs = 100;
} // namespace

void UpDownControl::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    pos_ = std::clamp(pos_, std::min(lower_, upper_), std::max(lower_, upper_));
}

void UpDownControl::GetRange(int* lower, int* upper) const {
    if (lower)
        *lower = lower_;
    if (upper)
        *upper = upper_;
}

int UpDownControl::SetPos(int pos) {
    const int old = pos_;
    pos_ = std::clamp(pos, std::min(lower_, upper_), std::max(lower_, upper_));
    ShowInBuddy();
    return old;
}

PlatformWindow* UpDownControl::SetBuddy(PlatformWindow* buddy) {
    PlatformWindow* old = buddy_;
    buddy_ = buddy;
    ShowInBuddy();
    return old;
}

void UpDownControl::ShowInBuddy() {
    if (!(GetStyle() & UDS_SETBUDDYINT) || !buddy_ || !buddy_->IsWindow())
        return;
    const std::wstring text = StrPrintf(L"%d", pos_);
    buddy_->SendMessage(WM_SETTEXT, 0, PtrToLParam(text.c_str()));
}

void UpDownControl::Step(bool up) {
    const int delta = (upper_ >= lower_) == up ? 1 : -1;
    NMUPDOWN nm;
    nm.hdr.code = UDN_DELTAPOS;
    nm.iPos = pos_;
    nm.iDelta = delta;
    auto life = LifeToken();
    const LRESULT refused = NotifyParent(&nm.hdr);
    if (!*life || refused)
        return;
    const int low = std::min(lower_, upper_), high = std::max(lower_, upper_);
    int next = pos_ + delta;
    if (next < low || next > high) {
        if (!(GetStyle() & UDS_WRAP))
            return;
        next = next < low ? high : low;
    }
    pos_ = next;
    ShowInBuddy();
    if (!*life || !GetParent())
        return;
    GetParent()->SendMessage(WM_VSCROLL,
                             MAKEWPARAM(SB_THUMBPOSITION, static_cast<unsigned>(pos_) & 0xFFFF),
                             PtrToLParam(this));
}

void UpDownControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    const RECT client = GetClientRect();
    const int half = client.bottom / 2;
    QPainter* p = t->Impl()->Painter();
    for (int arrow = 0; arrow < 2; ++arrow) {
        const bool up = arrow == 0;
        const RECT r{0, up ? 0 : half, client.right, up ? half : client.bottom};
        const bool pushed = pressed_ == (up ? 1 : -1);
        FillPaintRect(t, r, GetSysColor(pushed ? COLOR_BTNSHADOW : COLOR_BTNFACE));
        p->save();
        p->setPen(Q(GetSysColor(COLOR_BTNSHADOW)));
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1));
        const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        const int s = std::max(1, std::min((r.right - r.left) / 4, (r.bottom - r.top) / 3));
        QPolygon tri;
        if (up)
            tri << QPoint(cx - s, cy + s / 2) << QPoint(cx + s, cy + s / 2)
                << QPoint(cx, cy - s / 2 - 1);
        else
            tri << QPoint(cx - s, cy - s / 2) << QPoint(cx + s, cy - s / 2)
                << QPoint(cx, cy + s / 2 + 1);
        const COLORREF ink = GetSysColor(IsWindowEnabled() ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
        p->setPen(Q(ink));
        p->setBrush(Q(ink));
        p->drawPolygon(tri);
        p->restore();
    }
    EndPaint(&ps);
}

LRESULT UpDownControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (!IsWindowEnabled())
            return 0;
        const bool up = GET_Y_LPARAM(lParam) < GetClientRect().bottom / 2;
        pressed_ = up ? 1 : -1;
        SetCapture();
        Invalidate(false);
        auto life = LifeToken();
        Step(up);
        if (*life && pressed_)
            SetTimer(kRepeatTimerId, kFirstRepeatMs);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kRepeatTimerId) {
            if (!pressed_) {
                KillTimer(kRepeatTimerId);
                return 0;
            }
            SetTimer(kRepeatTimerId, kRepeatMs);
            Step(pressed_ > 0);
            return 0;
        }
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (pressed_) {
            pressed_ = 0;
            KillTimer(kRepeatTimerId);
            Invalidate(false);
            if (msg == WM_LBUTTONUP && GetCapture() == this)
                ReleaseCapture();
            if (GetParent())
                GetParent()->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0),
                                         PtrToLParam(this));
        }
        return 0;
    case WM_ENABLE:
        Invalidate(false);
        return 0;
    default:
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    }
}
