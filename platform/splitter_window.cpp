#include "platform/splitter_window.h"

#include "platform/paint_target_impl.h"
#include "platform/window_impl.h"

#include <QPainter>

#include <algorithm>

SplitterWindow::~SplitterWindow() {
    DestroyWindow();
}

void SplitterWindow::SetSplitterPanes(PlatformWindow* left, PlatformWindow* right) {
    left_ = left;
    right_ = right;
    UpdateLayout();
}

RECT SplitterWindow::GetBarRect() const {
    RECT c = GetClientRect();
    return RECT{pos_, 0, pos_ + bar_, c.bottom};
}

void SplitterWindow::SetSplitterPos(int x) {
    RECT c = GetClientRect();
    int maxPos = std::max(0, c.right - bar_);
    pos_ = std::clamp(x, 0, maxPos);
    UpdateLayout();
}

void SplitterWindow::UpdateLayout() {
    if (!IsWindow())
        return;
    RECT c = GetClientRect();
    int pos = std::clamp(pos_, 0, std::max(0, c.right - bar_));
    if (left_ && left_->IsWindow())
        left_->MoveWindow(RECT{0, 0, pos, c.bottom}, true);
    if (right_ && right_->IsWindow())
        right_->MoveWindow(RECT{pos + bar_, 0, std::max(pos + bar_, c.right), c.bottom}, true);
    RECT bar = GetBarRect();
    InvalidateRect(&bar, true);
}

void SplitterWindow::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    t->Impl()->ReleaseHolder();
    QPainter* p = t->Impl()->Painter();
    RECT bar = GetBarRect();
    p->save();
    p->fillRect(bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top,
                QColor(228, 231, 236));
    p->setPen(QColor(200, 203, 209));
    p->drawLine(bar.right - 1, bar.top, bar.right - 1, bar.bottom);
    p->restore();
    EndPaint(&ps);
}

bool SplitterWindow::ProcessWindowMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_CREATE:
        SetClassCursor(CursorShape::SizeWE);
        result = 0;
        return true;
    case WM_SIZE:
        // The left pane keeps its width; the right one takes the rest.
        UpdateLayout();
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        Paint();
        result = 0;
        return true;
    case WM_LBUTTONDOWN: {
        RECT bar = GetBarRect();
        if (pt.x >= bar.left && pt.x < bar.right) {
            dragging_ = true;
            dragOffset_ = pt.x - pos_;
            SetCapture();
        }
        result = 0;
        return true;
    }
    case WM_MOUSEMOVE:
        if (dragging_)
            SetSplitterPos(pt.x - dragOffset_);
        result = 0;
        return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (dragging_) {
            dragging_ = false;
            if (GetCapture() == this)
                ReleaseCapture();
        }
        result = 0;
        return true;
    default:
        return false;
    }
}
