#include "platform/list_box_control.h"

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
} // namespace

int ListBoxControl::AddString(const std::wstring& text, LPARAM data) {
    return InsertString(-1, text, data);
}

int ListBoxControl::InsertString(int index, const std::wstring& text, LPARAM data) {
    if (index < -1 || index > GetCount())
        return LB_ERR;
    if (index == -1)
        index = GetCount();
    items_.insert(items_.begin() + index, Item{text, data});
    if (cur_ >= index)
        ++cur_;
    Invalidate(true);
    return index;
}

bool ListBoxControl::DeleteString(int index) {
    if (index < 0 || index >= GetCount())
        return false;
    items_.erase(items_.begin() + index);
    if (cur_ == index)
        cur_ = -1;
    else if (cur_ > index)
        --cur_;
    top_ = std::clamp(top_, 0, std::max(0, GetCount() - 1));
    Invalidate(true);
    return true;
}

void ListBoxControl::ResetContent() {
    items_.clear();
    cur_ = -1;
    top_ = 0;
    Invalidate(true);
}

std::wstring ListBoxControl::GetText(int index) const {
    return index >= 0 && index < GetCount() ? items_[static_cast<size_t>(index)].text : L"";
}

LPARAM ListBoxControl::GetItemData(int index) const {
    return index >= 0 && index < GetCount() ? items_[static_cast<size_t>(index)].data : 0;
}

bool ListBoxControl::SetItemData(int index, LPARAM data) {
    if (index < 0 || index >= GetCount())
        return false;
    items_[static_cast<size_t>(index)].data = data;
    return true;
}

int ListBoxControl::SetCurSel(int index) {
    int next = index >= 0 && index < GetCount() ? index : -1;
    if (next != cur_) {
        cur_ = next;
        Invalidate(true);
    }
    return next < 0 ? LB_ERR : next;
}

int ListBoxControl::GetItemHeight() {
    if (itemHeight_ > 0)
        return itemHeight_;
    MEASUREITEMSTRUCT mis;
    mis.CtlType = ODT_LISTBOX;
    mis.CtlID = static_cast<UINT>(GetDlgCtrlID());
    mis.itemWidth = static_cast<UINT>(std::max(0, GetClientRect().right));
    mis.itemHeight = static_cast<UINT>(GetLineHeight() + 2);
    if ((GetStyle() & LBS_OWNERDRAWFIXED) && GetParent())
        GetParent()->SendMessage(WM_MEASUREITEM, static_cast<WPARAM>(GetDlgCtrlID()),
                                 PtrToLParam(&mis));
    itemHeight_ = std::max<int>(1, static_cast<int>(mis.itemHeight));
    return itemHeight_;
}

bool ListBoxControl::GetItemRect(int index, RECT* rect) {
    if (!rect || index < 0 || index >= GetCount())
        return false;
    int h = GetItemHeight();
    int top = (index - top_) * h;
    *rect = RECT{0, top, GetClientRect().right, top + h};
    return true;
}

int ListBoxControl::ItemFromPoint(POINT p) {
    RECT client = GetClientRect();
    if (p.x < 0 || p.x >= client.right || p.y < 0 || p.y >= client.bottom)
        return -1;
    int index = top_ + p.y / GetItemHeight();
    return index < GetCount() ? index : -1;
}

int ListBoxControl::RowsPerPage() {
    return std::max(1, GetClientRect().bottom / GetItemHeight());
}

void ListBoxControl::SetTopIndex(int index) {
    int maxTop = std::max(0, GetCount() - RowsPerPage());
    int t = std::clamp(index, 0, maxTop);
    if (t != top_) {
        top_ = t;
        Invalidate(true);
    }
}

void ListBoxControl::EnsureVisible(int index) {
    if (index < 0 || index >= GetCount())
        return;
    if (index < top_)
        SetTopIndex(index);
    else if (index >= top_ + RowsPerPage())
        SetTopIndex(index - RowsPerPage() + 1);
}

void ListBoxControl::RedrawItem(int index) {
    RECT rc;
    if (GetItemRect(index, &rc))
        InvalidateRect(&rc, true);
}

void ListBoxControl::SelectByUser(int index) {
    if (index < 0 || index >= GetCount())
        return;
    EnsureVisible(index);
    if (index == cur_)
        return;
    cur_ = index;
    Invalidate(true);
    if (GetStyle() & LBS_NOTIFY)
        NotifyParentCommand(LBN_SELCHANGE);
}

void ListBoxControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    RECT client = GetClientRect();
    int h = GetItemHeight();
    bool ownerDraw = (GetStyle() & LBS_OWNERDRAWFIXED) != 0;
    bool focused = GetFocus() == this;
    int last = std::min(GetCount(), top_ + client.bottom / h + 1);
    int rowsBottom = (last - top_) * h;
    if (rowsBottom < client.bottom)
        FillPaintRect(t, RECT{0, rowsBottom, client.right, client.bottom},
                      GetSysColor(COLOR_WINDOW));
    for (int i = top_; i < last; ++i) {
        RECT rc;
        GetItemRect(i, &rc);
        if (rc.bottom <= ps.rcPaint.top || rc.top >= ps.rcPaint.bottom)
            continue;
        UINT state = 0;
        if (i == cur_) {
            state |= ODS_SELECTED;
            if (focused)
                state |= ODS_FOCUS;
        }
        if (ownerDraw) {
            DRAWITEMSTRUCT dis;
            dis.CtlType = ODT_LISTBOX;
            dis.CtlID = static_cast<UINT>(GetDlgCtrlID());
            dis.itemID = i;
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = state;
            dis.hwndItem = this;
            dis.target = t;
            dis.rcItem = rc;
            dis.itemData = items_[static_cast<size_t>(i)].data;
            auto life = LifeToken();
            if (GetParent())
                GetParent()->SendMessage(WM_DRAWITEM, static_cast<WPARAM>(GetDlgCtrlID()),
                                         PtrToLParam(&dis));
            if (!*life)
                return;
            continue;
        }
        bool selected = (state & ODS_SELECTED) != 0;
        FillPaintRect(t, rc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        QPainter* p = t->Impl()->Painter();
        p->save();
        p->setFont(MakeQFont(GetFont()));
        p->setPen(Q(GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT)));
        p->drawText(QRect(rc.left + 3, rc.top, rc.right - rc.left - 6, h),
                    Qt::AlignVCenter | Qt::TextSingleLine,
                    QString::fromStdWString(items_[static_cast<size_t>(i)].text));
        if (state & ODS_FOCUS) {
            p->setPen(QPen(Q(GetSysColor(COLOR_HIGHLIGHTTEXT)), 1, Qt::DotLine));
            p->setBrush(Qt::NoBrush);
            p->drawRect(QRect(rc.left, rc.top, rc.right - rc.left - 1, h - 1));
        }
        p->restore();
    }
    EndPaint(&ps);
}

LRESULT ListBoxControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        PlatformWindow::DefWindowProc(msg, wParam, lParam);
        itemHeight_ = 0;
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        auto life = LifeToken();
        SetFocus();
        if (!*life)
            return 0;
        int index = ItemFromPoint(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        SelectByUser(index);
        if (*life && msg == WM_LBUTTONDBLCLK && index >= 0 && (GetStyle() & LBS_NOTIFY))
            NotifyParentCommand(LBN_DBLCLK);
        return 0;
    }
    case WM_MOUSEWHEEL:
        SetTopIndex(top_ - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3);
        return 0;
    case WM_KEYDOWN: {
        if (GetCount() == 0)
            return 0;
        int next = cur_;
        switch (static_cast<int>(wParam)) {
        case VK_DOWN:
            next = cur_ < 0 ? 0 : std::min(cur_ + 1, GetCount() - 1);
            break;
        case VK_UP:
            next = cur_ < 0 ? 0 : std::max(cur_ - 1, 0);
            break;
        case VK_HOME:
            next = 0;
            break;
        case VK_END:
            next = GetCount() - 1;
            break;
        case VK_NEXT:
            next = std::min(std::max(cur_, 0) + RowsPerPage() - 1, GetCount() - 1);
            break;
        case VK_PRIOR:
            next = std::max(std::max(cur_, 0) - RowsPerPage() + 1, 0);
            break;
        default:
            return 0;
        }
        SelectByUser(next);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate(false);
        return 0;
    case WM_SIZE:
        SetTopIndex(top_);
        return 0;
    default:
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    }
}
