#include "platform/toolbar_control.h"

#include "platform/bitmap.h"
#include "platform/paint_target_impl.h"
#include "platform/string_table.h"
#include "platform/tooltip_control.h"
#include "platform/window_impl.h"
#include "resources/toolbars.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {
constexpr int kPadX = 4; // room around an image, each side
constexpr int kPadY = 4;

RECT MakeRect(int l, int t, int r, int b) {
    return RECT{l, t, r, b};
}
bool Contains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
} // namespace

ToolBarControl::ToolBarControl() = default;

ToolBarControl::~ToolBarControl() {
    DestroyWindow();
}

bool ToolBarControl::LoadToolBar(unsigned resourceId) {
    const ToolBarResource* r = LoadToolBarResource(resourceId);
    if (!r)
        return false;
    std::vector<ToolButton> buttons;
    int image = 0;
    for (int id : r->buttons) {
        ToolButton b;
        if (id == 0) {
            b.style = BTNS_SEP;
        } else {
            b.command = id;
            b.image = image++;
        }
        buttons.push_back(b);
    }
    imageSize_ = SIZE{r->imageWidth, r->imageHeight};
    SetButtons(std::move(buttons));
    return true;
}

void ToolBarControl::SetButtons(std::vector<ToolButton> buttons) {
    buttons_ = std::move(buttons);
    hot_ = pressed_ = -1;
    if (IsWindow())
        Invalidate(true);
}

void ToolBarControl::AddButton(const ToolButton& button) {
    buttons_.push_back(button);
    if (IsWindow())
        Invalidate(true);
}

void ToolBarControl::SetImageList(const ImageList* images) {
    images_ = images;
    if (images)
        imageSize_ = SIZE{images->ImageWidth(), images->ImageHeight()};
    if (IsWindow())
        Invalidate(true);
}

void ToolBarControl::SetHotImageList(const ImageList* images) {
    hotImages_ = images;
}

void ToolBarControl::SetImageSize(SIZE size) {
    imageSize_ = size;
    if (IsWindow())
        Invalidate(true);
}

void ToolBarControl::SetExtendedStyle(uint32_t exStyle) {
    exStyle_ = exStyle;
    if (IsWindow())
        Invalidate(true);
}

PlatformWindow* ToolBarControl::GetNotifyWindow() const {
    return notify_ ? notify_ : GetParent();
}

int ToolBarControl::CommandToIndex(int command) const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (!(buttons_[i].style & BTNS_SEP) && buttons_[i].command == command)
            return static_cast<int>(i);
    return -1;
}

bool ToolBarControl::SetButtonCommand(int index, int command) {
    if (index < 0 || index >= GetButtonCount())
        return false;
    buttons_[static_cast<size_t>(index)].command = command;
    InvalidateButton(index);
    return true;
}

bool ToolBarControl::SetButtonImage(int index, int image) {
    if (index < 0 || index >= GetButtonCount())
        return false;
    buttons_[static_cast<size_t>(index)].image = image;
    InvalidateButton(index);
    return true;
}

bool ToolBarControl::SetButtonStyle(int index, uint8_t style) {
    if (index < 0 || index >= GetButtonCount())
        return false;
    buttons_[static_cast<size_t>(index)].style = style;
    if (IsWindow())
        Invalidate(true);
    return true;
}

bool ToolBarControl::SetButtonWidth(int index, int width) {
    if (index < 0 || index >= GetButtonCount())
        return false;
    buttons_[static_cast<size_t>(index)].width = std::max(0, width);
    if (IsWindow())
        Invalidate(true);
    return true;
}

bool ToolBarControl::SetState(int command, uint8_t state) {
    int i = CommandToIndex(command);
    if (i < 0)
        return false;
    ToolButton& b = buttons_[static_cast<size_t>(i)];
    if (b.state == state)
        return true;
    bool relayout = (b.state & TBSTATE_HIDDEN) != (state & TBSTATE_HIDDEN);
    b.state = state;
    if (relayout && IsWindow())
        Invalidate(true);
    else
        InvalidateButton(i);
    return true;
}

bool ToolBarControl::EnableButton(int command, bool enable) {
    int i = CommandToIndex(command);
    if (i < 0)
        return false;
    uint8_t s = buttons_[static_cast<size_t>(i)].state;
    return SetState(command, enable ? (s | TBSTATE_ENABLED) : (s & ~TBSTATE_ENABLED));
}

bool ToolBarControl::CheckButton(int command, bool check) {
    int i = CommandToIndex(command);
    if (i < 0)
        return false;
    uint8_t s = buttons_[static_cast<size_t>(i)].state;
    return SetState(command, check ? (s | TBSTATE_CHECKED) : (s & ~TBSTATE_CHECKED));
}

bool ToolBarControl::HideButton(int command, bool hide) {
    int i = CommandToIndex(command);
    if (i < 0)
        return false;
    uint8_t s = buttons_[static_cast<size_t>(i)].state;
    return SetState(command, hide ? (s | TBSTATE_HIDDEN) : (s & ~TBSTATE_HIDDEN));
}

bool ToolBarControl::IsButtonEnabled(int command) const {
    int i = CommandToIndex(command);
    return i >= 0 && (buttons_[static_cast<size_t>(i)].state & TBSTATE_ENABLED);
}

bool ToolBarControl::IsButtonChecked(int command) const {
    int i = CommandToIndex(command);
    return i >= 0 && (buttons_[static_cast<size_t>(i)].state & TBSTATE_CHECKED);
}

bool ToolBarControl::IsButtonHidden(int command) const {
    int i = CommandToIndex(command);
    return i >= 0 && (buttons_[static_cast<size_t>(i)].state & TBSTATE_HIDDEN);
}

int ToolBarControl::GetButtonHeight() const {
    return imageSize_.cy + 2 * kPadY;
}

int ToolBarControl::ButtonWidth(int index) const {
    const ToolButton& b = buttons_[static_cast<size_t>(index)];
    if (b.state & TBSTATE_HIDDEN)
        return 0;
    if (b.width > 0)
        return b.width;
    if (b.style & BTNS_SEP)
        return kSeparatorWidth;
    int w = imageSize_.cx + 2 * kPadX;
    if ((b.style & BTNS_DROPDOWN) && (exStyle_ & TBSTYLE_EX_DRAWDDARROWS))
        w += kDropDownArrowWidth;
    else if (b.style & BTNS_WHOLEDROPDOWN)
        w += kDropDownArrowWidth - 4;
    return w;
}

SIZE ToolBarControl::GetIdealSize() const {
    int w = 0;
    for (int i = 0; i < GetButtonCount(); ++i)
        w += ButtonWidth(i);
    return SIZE{w, GetButtonHeight()};
}

RECT ToolBarControl::GetItemRect(int index) const {
    if (index < 0 || index >= GetButtonCount())
        return RECT{};
    int x = 0;
    for (int i = 0; i < index; ++i)
        x += ButtonWidth(i);
    int w = ButtonWidth(index);
    if (w == 0)
        return RECT{};
    return MakeRect(x, 0, x + w, GetButtonHeight());
}

RECT ToolBarControl::GetDropDownRect(int index) const {
    if (index < 0 || index >= GetButtonCount())
        return RECT{};
    const ToolButton& b = buttons_[static_cast<size_t>(index)];
    if (!(b.style & BTNS_DROPDOWN) || !(exStyle_ & TBSTYLE_EX_DRAWDDARROWS))
        return RECT{};
    RECT r = GetItemRect(index);
    if (IsRectEmpty(r))
        return RECT{};
    r.left = r.right - kDropDownArrowWidth;
    return r;
}

bool ToolBarControl::IsShownButton(int index) const {
    RECT r = GetItemRect(index);
    if (IsRectEmpty(r))
        return false;
    return !IsWindow() || r.right <= GetClientRect().right;
}

std::vector<int> ToolBarControl::GetClippedButtons() const {
    std::vector<int> out;
    if (!IsWindow())
        return out;
    int width = GetClientRect().right;
    for (int i = 0; i < GetButtonCount(); ++i) {
        RECT r = GetItemRect(i);
        if (!IsRectEmpty(r) && r.right > width &&
            !(buttons_[static_cast<size_t>(i)].style & BTNS_SEP))
            out.push_back(i);
    }
    return out;
}

int ToolBarControl::HitTest(POINT client) const {
    for (int i = 0; i < GetButtonCount(); ++i)
        if (IsShownButton(i) && Contains(GetItemRect(i), client))
            return i;
    return -1;
}

std::wstring ToolBarControl::ToolTipTextOf(int command) {
    if (command <= 0)
        return L"";
    std::wstring s = LoadStringText(static_cast<unsigned>(command));
    size_t nl = s.find(L'\n');
    return nl == std::wstring::npos ? s : s.substr(nl + 1);
}

std::wstring ToolBarControl::GetCurrentToolTip() const {
    if (hot_ < 0 || hot_ >= GetButtonCount())
        return L"";
    return ToolTipTextOf(buttons_[static_cast<size_t>(hot_)].command);
}

void ToolBarControl::InvalidateButton(int index) {
    if (!IsWindow())
        return;
    RECT r = GetItemRect(index);
    if (!IsRectEmpty(r))
        InvalidateRect(&r, true);
}

void ToolBarControl::SetHot(int index) {
    if (index == hot_)
        return;
    int old = hot_;
    hot_ = index;
    InvalidateButton(old);
    InvalidateButton(index);
    if (tooltip_) {
        tooltip_->Hide();
        tooltip_->SetText(GetCurrentToolTip());
    }
}

void ToolBarControl::SendDropDown(int index) {
    PlatformWindow* target = GetNotifyWindow();
    if (!target)
        return;
    NMTOOLBAR nm;
    nm.hdr.hwndFrom = this;
    nm.hdr.idFrom = static_cast<uint64_t>(GetDlgCtrlID());
    nm.hdr.code = TBN_DROPDOWN;
    nm.iItem = buttons_[static_cast<size_t>(index)].command;
    nm.rcButton = GetItemRect(index);
    std::shared_ptr<const bool> alive = LifeToken();
    target->SendMessage(WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID()), PtrToLParam(&nm));
    (void)alive;
}

void ToolBarControl::ClickButton(int index, bool onArrow) {
    if (index < 0 || index >= GetButtonCount())
        return;
    const ToolButton& b = buttons_[static_cast<size_t>(index)];
    if ((b.style & BTNS_SEP) || !(b.state & TBSTATE_ENABLED) || (b.state & TBSTATE_HIDDEN))
        return;
    bool arrow = (b.style & BTNS_WHOLEDROPDOWN) ||
                 (onArrow && (b.style & BTNS_DROPDOWN) && (exStyle_ & TBSTYLE_EX_DRAWDDARROWS));
    if (arrow) {
        SendDropDown(index);
        return;
    }
    if (PlatformWindow* target = GetNotifyWindow())
        target->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(b.command), BN_CLICKED),
                            PtrToLParam(this));
}

void ToolBarControl::OnMouseMove(POINT p) {
    int i = HitTest(p);
    if (i >= 0 && (buttons_[static_cast<size_t>(i)].style & BTNS_SEP))
        i = -1;
    SetHot(i);
}

void ToolBarControl::OnButtonDown(POINT p) {
    int i = HitTest(p);
    if (i < 0)
        return;
    const ToolButton& b = buttons_[static_cast<size_t>(i)];
    if ((b.style & BTNS_SEP) || !(b.state & TBSTATE_ENABLED))
        return;
    if (tooltip_)
        tooltip_->Hide();
    bool onArrow = Contains(GetDropDownRect(i), p);
    if (onArrow || (b.style & BTNS_WHOLEDROPDOWN)) {
        pressed_ = i;
        pressedArrow_ = true;
        InvalidateButton(i);
        UpdateWindow();
        std::shared_ptr<const bool> alive = LifeToken();
        SendDropDown(i);
        if (*alive) {
            pressed_ = -1;
            pressedArrow_ = false;
            InvalidateButton(i);
        }
        return;
    }
    pressed_ = i;
    pressedArrow_ = false;
    SetCapture();
    InvalidateButton(i);
}

void ToolBarControl::OnButtonUp(POINT p) {
    int i = pressed_;
    if (i < 0)
        return;
    pressed_ = -1;
    if (GetCapture() == this)
        ReleaseCapture();
    InvalidateButton(i);
    if (HitTest(p) == i)
        ClickButton(i, false);
}

void ToolBarControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    t->Impl()->ReleaseHolder();
    QPainter* p = t->Impl()->Painter();
    RECT rc = GetClientRect();
    p->save();
    QLinearGradient bg(0, 0, 0, rc.bottom);
    bg.setColorAt(0, QColor(250, 250, 252));
    bg.setColorAt(1, QColor(228, 231, 236));
    p->fillRect(0, 0, rc.right, rc.bottom, bg);
    p->setRenderHint(QPainter::Antialiasing, true);
    std::vector<std::pair<int, bool>> images; // index, disabled: drawn after the faces
    for (int i = 0; i < GetButtonCount(); ++i) {
        if (!IsShownButton(i))
            continue;
        const ToolButton& b = buttons_[static_cast<size_t>(i)];
        RECT r = GetItemRect(i);
        if (b.style & BTNS_SEP) {
            int x = (r.left + r.right) / 2;
            p->setPen(QColor(190, 194, 200));
            p->drawLine(x, r.top + 5, x, r.bottom - 6);
            p->setPen(Qt::white);
            p->drawLine(x + 1, r.top + 5, x + 1, r.bottom - 6);
            continue;
        }
        bool enabled = (b.state & TBSTATE_ENABLED) != 0;
        bool checked = (b.state & TBSTATE_CHECKED) != 0;
        bool pressed = i == pressed_;
        bool hot = i == hot_ && enabled;
        QRectF face(r.left + 1.5, r.top + 1.5, r.right - r.left - 3, r.bottom - r.top - 3);
        if (checked || pressed || hot) {
            QColor fill = pressed   ? QColor(153, 196, 238)
                          : checked ? QColor(196, 222, 247)
                                    : QColor(222, 236, 252);
            QColor edge = pressed || checked ? QColor(60, 127, 200) : QColor(120, 170, 225);
            p->setPen(QPen(edge, 1));
            p->setBrush(fill);
            p->drawRoundedRect(face, 3, 3);
            RECT arrow = GetDropDownRect(i);
            if (!IsRectEmpty(arrow)) {
                p->setPen(QPen(edge, 1));
                p->drawLine(QPointF(arrow.left + 0.5, r.top + 3),
                            QPointF(arrow.left + 0.5, r.bottom - 3));
            }
        }
        if (b.image >= 0 && b.command != 0)
            images.emplace_back(i, !enabled);
        // The arrow of a drop-down button.
        bool hasArrow = ((b.style & BTNS_DROPDOWN) && (exStyle_ & TBSTYLE_EX_DRAWDDARROWS)) ||
                        (b.style & BTNS_WHOLEDROPDOWN);
        if (hasArrow) {
            int ax =
                r.right -
                (b.style & BTNS_WHOLEDROPDOWN ? kDropDownArrowWidth - 4 : kDropDownArrowWidth) / 2 -
                3;
            int ay = (r.top + r.bottom) / 2 - 1;
            QPainterPath tri;
            tri.moveTo(ax, ay);
            tri.lineTo(ax + 7, ay);
            tri.lineTo(ax + 3.5, ay + 4);
            tri.closeSubpath();
            p->setPen(Qt::NoPen);
            p->setBrush(enabled ? QColor(40, 40, 40) : QColor(150, 150, 150));
            p->drawPath(tri);
        }
    }
    p->restore();
    for (const auto& [i, disabled] : images) {
        const ToolButton& b = buttons_[static_cast<size_t>(i)];
        const ImageList* list = i == hot_ && !disabled && hotImages_ ? hotImages_ : images_;
        if (!list)
            continue;
        RECT r = GetItemRect(i);
        int shift = i == pressed_ && !pressedArrow_ ? 1 : 0;
        list->Draw(t, b.image, r.left + kPadX + shift, r.top + kPadY + shift, disabled);
    }
    EndPaint(&ps);
}

bool ToolBarControl::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_CREATE:
        tooltip_ = std::make_unique<ToolTipControl>();
        tooltip_->CreateFor(this);
        result = 0;
        return true;
    case WM_DESTROY:
        if (tooltip_)
            tooltip_->DestroyWindow();
        result = 0;
        return true;
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
    case WM_MOUSEMOVE:
        if (tooltip_)
            tooltip_->RelayEvent(Message{this, msg, wParam, lParam});
        OnMouseMove(pt);
        result = 0;
        return true;
    case WM_MOUSELEAVE:
        SetHot(-1);
        if (tooltip_)
            tooltip_->Hide();
        result = 0;
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnButtonDown(pt);
        result = 0;
        return true;
    case WM_LBUTTONUP:
        OnButtonUp(pt);
        result = 0;
        return true;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        // From controls placed on the toolbar: the notify window handles them.
        if (PlatformWindow* target = GetNotifyWindow(); target && target != this) {
            result = target->SendMessage(msg, wParam, lParam);
            return true;
        }
        return false;
    default:
        return false;
    }
}
