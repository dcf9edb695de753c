#include "platform/status_bar_control.h"

#include "platform/paint_target_impl.h"
#include "platform/window_impl.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {
constexpr int kTextMargin = 6;
}

StatusBarControl::~StatusBarControl() {
    DestroyWindow();
}

bool StatusBarControl::SetParts(const std::vector<int>& rightEdges) {
    if (rightEdges.empty())
        return false;
    edges_ = rightEdges;
    texts_.resize(edges_.size());
    if (IsWindow())
        Invalidate(true);
    return true;
}

bool StatusBarControl::SetText(int pane, const std::wstring& text) {
    if (pane < 0)
        return false;
    if (edges_.empty() && pane == 0) {
        edges_ = {-1};
        texts_.resize(1);
    }
    if (pane >= GetPartCount())
        return false;
    if (texts_[static_cast<size_t>(pane)] == text)
        return true;
    texts_[static_cast<size_t>(pane)] = text;
    if (IsWindow()) {
        RECT r = GetRect(pane);
        InvalidateRect(&r, true);
    }
    return true;
}

std::wstring StatusBarControl::GetText(int pane) const {
    if (pane < 0 || pane >= static_cast<int>(texts_.size()))
        return L"";
    return texts_[static_cast<size_t>(pane)];
}

RECT StatusBarControl::GetRect(int pane) const {
    if (pane < 0 || pane >= GetPartCount())
        return RECT{};
    RECT client = GetClientRect();
    int left = pane == 0 ? 0 : edges_[static_cast<size_t>(pane - 1)];
    int right = edges_[static_cast<size_t>(pane)];
    if (right < 0 || pane + 1 == GetPartCount())
        right = right < 0 ? client.right : std::min(right, client.right);
    if (left < 0)
        left = client.right;
    return RECT{left, kBorder, std::max(left, right), client.bottom};
}

int StatusBarControl::HitTest(POINT client) const {
    for (int i = 0; i < GetPartCount(); ++i) {
        RECT r = GetRect(i);
        if (client.x >= r.left && client.x < r.right && client.y >= r.top && client.y < r.bottom)
            return i;
    }
    return -1;
}

int StatusBarControl::PaneWidthFor(const std::wstring& text) const {
    return MeasureText(text).cx + 2 * kTextMargin + 2;
}

void StatusBarControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    t->Impl()->ReleaseHolder();
    QPainter* p = t->Impl()->Painter();
    RECT rc = GetClientRect();
    p->save();
    p->fillRect(0, 0, rc.right, rc.bottom, QColor(240, 241, 244));
    p->setPen(QColor(200, 203, 209));
    p->drawLine(0, 0, rc.right, 0);
    p->setFont(MakeQFont(GetFont()));
    bool grip = (GetStyle() & SBARS_SIZEGRIP) != 0;
    for (int i = 0; i < GetPartCount(); ++i) {
        RECT r = GetRect(i);
        int right = r.right;
        if (grip && i + 1 == GetPartCount())
            right = std::max(r.left, right - kGripSize);
        if (i > 0) {
            p->setPen(QColor(190, 194, 200));
            p->drawLine(r.left, r.top + 2, r.left, r.bottom - 3);
            p->setPen(Qt::white);
            p->drawLine(r.left + 1, r.top + 2, r.left + 1, r.bottom - 3);
        }
        p->setPen(QColor(20, 20, 20));
        p->drawText(
            QRect(r.left + kTextMargin, r.top, right - r.left - 2 * kTextMargin, r.bottom - r.top),
            Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
            QString::fromStdWString(texts_[static_cast<size_t>(i)]));
    }
    if (grip) {
        // The grip: three rows of dots towards the lower right corner.
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j <= i; ++j)
                p->fillRect(rc.right - 5 - j * 4, rc.bottom - 5 - (i - j) * 4, 2, 2,
                            QColor(160, 164, 172));
    }
    p->restore();
    EndPaint(&ps);
}

bool StatusBarControl::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                            LRESULT& result) {
    switch (msg) {
    case SB_SETTEXTW: {
        const wchar_t* text = LParamToPtr<const wchar_t>(lParam);
        result = SetText(static_cast<int>(wParam & 0xFF), text ? text : L"") ? 1 : 0;
        return true;
    }
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        Paint();
        result = 0;
        return true;
    case WM_SIZE:
        Invalidate(true);
        result = 0;
        return true;
    default:
        return false;
    }
}
