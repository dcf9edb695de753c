#include "platform/tooltip_control.h"

#include "platform/paint_target_impl.h"
#include "platform/window_impl.h"

#include <QFontMetrics>
#include <QPainter>

ToolTipControl::~ToolTipControl() {
    DestroyWindow();
}

bool ToolTipControl::CreateFor(PlatformWindow* owner) {
    owner_ = owner;
    if (IsWindow())
        return true;
    return Create(owner, RECT{0, 0, 10, 10}, L"", WS_POPUP);
}

void ToolTipControl::Activate(bool active) {
    active_ = active;
    if (!active)
        Hide();
}

void ToolTipControl::SetText(const std::wstring& text) {
    if (text == text_)
        return;
    text_ = text;
    if (IsShown())
        Popup(lastScreen_);
}

void ToolTipControl::RelayEvent(const Message& msg) {
    if (msg.message < WM_MOUSEMOVE || msg.message > WM_MOUSEMOVE + 14 || !owner_ ||
        !owner_->IsWindow())
        return;
    // The pointer over another window (a child of the owner, say) has left
    // the tool: no tip, and none waiting.
    if (msg.window && msg.window != owner_) {
        Hide();
        return;
    }
    if (msg.message == WM_MOUSEMOVE) {
        POINT client{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        PlatformWindow* from = msg.window ? msg.window : owner_;
        POINT screen = from->ClientToScreen(client);
        bool moved = !(screen == lastScreen_);
        lastScreen_ = screen;
        if (moved && IsShown())
            Hide();
        if (active_ && !text_.empty() && IsWindow())
            SetTimer(kShowTimer, kInitialDelayMs);
        return;
    }
    Hide();
}

void ToolTipControl::Popup(POINT screen) {
    lastScreen_ = screen;
    if (!IsWindow() || !active_ || text_.empty())
        return;
    SIZE size = MeasureText(text_);
    int w = size.cx + 10, h = size.cy + 6;
    MoveWindow(RECT{screen.x + 2, screen.y + 20, screen.x + 2 + w, screen.y + 20 + h}, true);
    ShowWindow(true);
}

void ToolTipControl::Hide() {
    if (IsWindow()) {
        KillTimer(kShowTimer);
        if (IsWindowVisible())
            ShowWindow(false);
    }
}

bool ToolTipControl::IsShown() const {
    return IsWindow() && IsWindowVisible();
}

bool ToolTipControl::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == kShowTimer) {
            KillTimer(kShowTimer);
            Popup(lastScreen_);
        }
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT: {
        PaintStruct ps;
        if (PaintTarget* t = BeginPaint(&ps)) {
            QPainter* p = t->Impl()->Painter();
            RECT rc = GetClientRect();
            p->save();
            p->fillRect(0, 0, rc.right, rc.bottom, QColor(255, 255, 225));
            p->setPen(QColor(118, 118, 118));
            p->drawRect(0, 0, rc.right - 1, rc.bottom - 1);
            p->setPen(Qt::black);
            p->setFont(MakeQFont(GetFont()));
            p->drawText(QRect(5, 0, rc.right - 10, rc.bottom),
                        Qt::AlignVCenter | Qt::TextSingleLine, QString::fromStdWString(text_));
            p->restore();
            EndPaint(&ps);
        }
        result = 0;
        return true;
    }
    default:
        return false;
    }
}
