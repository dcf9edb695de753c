#include "platform/tab_control.h"

#include "platform/paint_target_impl.h"
#include "platform/system_colors.h"
#include "platform/window_impl.h"

#include <QPainter>

#include <algorithm>

namespace {
QColor Q(COLORREF c) {
    return QColor(static_cast<int>(ColorRefRed(c)), static_cast<int>(ColorRefGreen(c)),
                  static_cast<int>(ColorRefBlue(c)));
}
constexpr int kTextPadding = 8; // each side of a tab's label
constexpr int kFirstTabX = 2;   // the strip's first tab from the left edge
} // namespace

int TabControl::InsertItem(int index, const std::wstring& text) {
    index = std::clamp(index, 0, GetItemCount());
    items_.insert(items_.begin() + index, text);
    if (cur_ < 0)
        cur_ = 0;
    else if (cur_ >= index && GetItemCount() > 1)
        ++cur_;
    Invalidate(true);
    return index;
}

std::wstring TabControl::GetItemText(int index) const {
    return index >= 0 && index < GetItemCount() ? items_[static_cast<size_t>(index)] : L"";
}

int TabControl::SetCurSel(int index) {
    if (index < 0 || index >= GetItemCount())
        return -1;
    int previous = cur_;
    if (index != cur_) {
        cur_ = index;
        Invalidate(true);
    }
    return previous;
}

int TabControl::GetTabHeight() const {
    return GetLineHeight() + 8;
}

int TabControl::TabWidth(int index) const {
    return MeasureText(GetItemText(index)).cx + 2 * kTextPadding;
}

bool TabControl::GetItemRect(int index, RECT* rect) const {
    if (!rect || index < 0 || index >= GetItemCount())
        return false;
    int x = kFirstTabX;
    for (int i = 0; i < index; ++i)
        x += TabWidth(i);
    *rect = RECT{x, 0, x + TabWidth(index), GetTabHeight()};
    return true;
}

int TabControl::HitTest(POINT p) const {
    for (int i = 0; i < GetItemCount(); ++i) {
        RECT rc;
        GetItemRect(i, &rc);
        if (p.x >= rc.left && p.x < rc.right && p.y >= rc.top && p.y < rc.bottom)
            return i;
    }
    return -1;
}

bool TabControl::SelectByUser(int index) {
    if (index < 0 || index >= GetItemCount())
        return false;
    if (index == cur_)
        return true;
    auto life = LifeToken();
    NMHDR hdr;
    hdr.code = TCN_SELCHANGING;
    if (NotifyParent(&hdr) != 0 || !*life)
        return false;
    SetCurSel(index);
    hdr.code = TCN_SELCHANGE;
    NotifyParent(&hdr);
    return true;
}

void TabControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    RECT client = GetClientRect();
    int th = GetTabHeight();
    QPainter* p = t->Impl()->Painter();
    p->save();
    p->fillRect(0, 0, client.right, client.bottom, Q(GetSysColor(COLOR_BTNFACE)));
    QColor light = Q(GetSysColor(COLOR_BTNHIGHLIGHT)), dark = Q(GetSysColor(COLOR_BTNSHADOW));
    // The display area's frame; the selected tab opens into it.
    p->setPen(light);
    p->drawLine(0, th - 1, client.right - 1, th - 1);
    p->drawLine(0, th - 1, 0, client.bottom - 1);
    p->setPen(dark);
    p->drawLine(0, client.bottom - 1, client.right - 1, client.bottom - 1);
    p->drawLine(client.right - 1, th - 1, client.right - 1, client.bottom - 1);
    p->setFont(MakeQFont(GetFont()));
    for (int i = 0; i < GetItemCount(); ++i) {
        RECT rc;
        GetItemRect(i, &rc);
        bool selected = i == cur_;
        int top = selected ? 0 : 2;
        int left = selected ? rc.left - 2 : rc.left;
        int right = selected ? rc.right + 2 : rc.right;
        p->fillRect(QRect(left, top, right - left, th - top), Q(GetSysColor(COLOR_BTNFACE)));
        p->setPen(light);
        p->drawLine(left, top, right - 2, top);
        p->drawLine(left, top, left, th - 1);
        p->setPen(dark);
        p->drawLine(right - 1, top, right - 1, th - (selected ? 1 : 2));
        p->setPen(Q(GetSysColor(COLOR_BTNTEXT)));
        QRect label(rc.left, top, rc.right - rc.left, th - top);
        p->drawText(label, Qt::AlignCenter | Qt::TextSingleLine,
                    QString::fromStdWString(items_[static_cast<size_t>(i)]));
        if (selected && GetFocus() == this) {
            p->setPen(QPen(Q(GetSysColor(COLOR_BTNTEXT)), 1, Qt::DotLine));
            p->drawRect(label.adjusted(3, 2, -4, -3));
        }
    }
    p->restore();
    EndPaint(&ps);
}

LRESULT TabControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN: {
        int hit = HitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (hit < 0)
            return 0;
        auto life = LifeToken();
        SetFocus();
        if (*life)
            SelectByUser(hit);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_LEFT && cur_ > 0)
            SelectByUser(cur_ - 1);
        else if (wParam == VK_RIGHT && cur_ + 1 < GetItemCount())
            SelectByUser(cur_ + 1);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate(false);
        return 0;
    default:
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    }
}
