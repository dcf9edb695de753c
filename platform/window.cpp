#include "platform/window.h"

#include "platform/bitmap.h"

#include "platform/font_table.h"
#include "platform/key_state.h"
#include "platform/paint_target_impl.h"
#include "platform/window_impl.h"
#include "platform/window_input.h"
#include "platform/window_manager.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPolygon>
#include <QRegion>
#include <QScreen>
#include <QTimerEvent>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>

int g_windowDispatchDepth = 0;

namespace {
std::vector<MessageFilter*> g_filters;
PlatformWindow* g_focus = nullptr;
PlatformWindow* g_capture = nullptr;
PlatformWindow* g_mouseWindow = nullptr;
CursorShape g_cursor = CursorShape::Arrow;
bool g_rendering = false;

// A top-level window asked to become the active one whose activation the
// window system has not reported yet (it comes later from an X server).
QPointer<QWidget> g_pendingActivation;
// The last window that became active and takes activation (drop-down lists
// and other focus-less pop-ups do not).
QPointer<QWidget> g_lastActive;

bool TakesActivation(const QWidget* w) {
    return w && w->isWindow() && !(w->windowFlags() & Qt::WindowDoesNotAcceptFocus) &&
           w->windowType() != Qt::ToolTip;
}

// Showing or focusing a top-level window makes it the active one, as on the
// desktop; a bare X server has no window manager to do it.
void Activate(QWidget* w) {
    if (!TakesActivation(w) || !w->isVisible() || w->isActiveWindow())
        return;
    g_pendingActivation = w;
    w->activateWindow();
}

struct DepthGuard {
    DepthGuard() { ++g_windowDispatchDepth; }
    ~DepthGuard() { --g_windowDispatchDepth; }
};

QRect ToQRect(const RECT& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}
RECT ToRect(const QRect& r) {
    if (r.isEmpty())
        return RECT{};
    return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
} // namespace

bool IsActivationPending() {
    return g_pendingActivation && g_pendingActivation->isVisible() &&
           !g_pendingActivation->isActiveWindow();
}

QEvent::Type PostedMessageEvent::EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void AddMessageFilter(MessageFilter* filter) {
    if (filter && std::find(g_filters.begin(), g_filters.end(), filter) == g_filters.end())
        g_filters.push_back(filter);
}

void RemoveMessageFilter(MessageFilter* filter) {
    g_filters.erase(std::remove(g_filters.begin(), g_filters.end(), filter), g_filters.end());
}

void NoteQueuedMessageForIdle(UINT msg); // message_loop.cpp

bool DispatchQueuedMessageImpl(const Message& msg) {
    NoteQueuedMessageForIdle(msg.message);
    Message m = msg;
    std::vector<MessageFilter*> filters = g_filters;
    for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
        if (std::find(g_filters.begin(), g_filters.end(), *it) == g_filters.end())
            continue;
        if ((*it)->PreTranslateMessage(&m))
            return false;
    }
    if (m.window && m.window->IsWindow())
        m.window->SendMessage(m.message, m.wParam, m.lParam);
    return true;
}

void DispatchQueuedMessage(const Message& msg) {
    DispatchQueuedMessageImpl(msg);
}

void PumpPendingMessages() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// ---- cursors -------------------------------------------------------------

void ApplyCursor(QWidget* w, CursorShape shape) {
    if (!w)
        return;
    Qt::CursorShape q = Qt::ArrowCursor;
    switch (shape) {
    case CursorShape::Arrow:
        q = Qt::ArrowCursor;
        break;
    case CursorShape::IBeam:
        q = Qt::IBeamCursor;
        break;
    case CursorShape::Wait:
        q = Qt::WaitCursor;
        break;
    case CursorShape::Cross:
        q = Qt::CrossCursor;
        break;
    case CursorShape::SizeWE:
        q = Qt::SplitHCursor;
        break;
    case CursorShape::SizeNS:
        q = Qt::SizeVerCursor;
        break;
    case CursorShape::SizeAll:
        q = Qt::SizeAllCursor;
        break;
    case CursorShape::Hand:
        q = Qt::PointingHandCursor;
        break;
    case CursorShape::No:
        q = Qt::ForbiddenCursor;
        break;
    }
    w->setCursor(q);
}

CursorShape SetCursor(CursorShape shape) {
    CursorShape old = g_cursor;
    g_cursor = shape;
    PlatformWindow* w = g_capture ? g_capture : g_mouseWindow;
    if (w && w->Impl())
        ApplyCursor(w->Impl()->widget, shape);
    return old;
}

CursorShape GetCursor() {
    return g_cursor;
}

CursorShape LoadCursorResource(unsigned id) {
    switch (id) {
    case 258:
        return CursorShape::SizeWE;
    case 220: // the schematic editor's bus, part and wire tools
    case 222:
    case 224:
        return CursorShape::Cross;
    // The drawing tools of the footprint and padstack editors: line,
    // rectangle, ellipse, arc, curve, polygon; text.
    case 255:
    case 262:
    case 263:
    case 265:
    case 268:
    case 270:
        return CursorShape::Cross;
    case 391:
        return CursorShape::IBeam;
    default:
        return CursorShape::Arrow;
    }
}

POINT GetCursorPos() {
    QPoint p = QCursor::pos();
    return POINT{p.x(), p.y()};
}

void SetCursorPos(POINT screen) {
    QCursor::setPos(screen.x, screen.y);
}

// ---- fonts ---------------------------------------------------------------

bool operator==(const WindowFont& a, const WindowFont& b) {
    return a.face == b.face && a.height == b.height && a.weight == b.weight && a.italic == b.italic;
}

QFont MakeQFont(const WindowFont& f) {
    QFont font;
    std::wstring family = ResolveFontFamily(f.face);
    font.setFamily(QString::fromStdWString(family.empty() ? f.face : family));
    font.setPixelSize(std::max(1, f.height));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight, 100, 900)));
    font.setItalic(f.italic);
    return font;
}

// ---- Qt events as messages ------------------------------------------------

PlatformWindow* WindowOfWidget(const QWidget* w) {
    auto* link = dynamic_cast<const HostWidgetLink*>(w);
    WindowImpl* impl = link ? link->impl() : nullptr;
    return impl ? impl->owner : nullptr;
}

bool SendNativeEvent(WindowImpl& impl, QEvent* e) {
    bool saved = impl.passthrough;
    impl.passthrough = true;
    bool r = QCoreApplication::sendEvent(impl.widget, e);
    impl.passthrough = saved;
    return r;
}

namespace {
// Runs a translated input message through the queue's handling; the native
// widget gets the Qt event when the window's default handling asks for it.
bool DispatchInput(WindowImpl& impl, PlatformWindow* target, UINT msg, WPARAM w, LPARAM l,
                   QEvent* nativeEvent, const std::function<bool(QEvent*)>& base) {
    std::shared_ptr<bool> alive = impl.alive;
    bool self = target == impl.owner && impl.native && nativeEvent;
    QEvent* savedEvent = impl.currentNative;
    UINT savedMsg = impl.currentNativeMessage;
    bool savedWanted = impl.nativeWanted;
    if (self) {
        impl.currentNative = nativeEvent;
        impl.currentNativeMessage = msg;
        impl.nativeWanted = false;
    }
    bool dispatched = DispatchQueuedMessageImpl(Message{target, msg, w, l});
    if (!*alive)
        return dispatched;
    bool wanted = self && impl.nativeWanted;
    if (self) {
        impl.currentNative = savedEvent;
        impl.currentNativeMessage = savedMsg;
        impl.nativeWanted = savedWanted;
    }
    if (wanted)
        base(nativeEvent);
    return dispatched;
}
} // namespace

bool WindowImpl::HandleEvent(QEvent* e, const std::function<bool(QEvent*)>& base) {
    DepthGuard depth;
    std::shared_ptr<bool> keep = alive;
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(e);
        SyncKeyStateFromQt(me->modifiers(), me->buttons());
        PlatformWindow* target = owner;
        QPoint p = me->position().toPoint();
        if (g_capture && g_capture != owner && g_capture->Impl()) {
            target = g_capture;
            p = g_capture->Impl()->widget->mapFromGlobal(widget->mapToGlobal(p));
        }
        g_mouseWindow = target;
        UINT msg = MouseMessageFromQt(e->type(), me->button());
        if (!msg)
            return base(e);
        WPARAM mk = MkFlagsFromQt(me->modifiers(), me->buttons());
        LPARAM lp = MAKELPARAM(p.x(), p.y());
        if (msg == WM_MOUSEMOVE && !g_capture) {
            target->SendMessage(WM_SETCURSOR, PtrToWParam(target),
                                MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            if (!*keep)
                return true;
        }
        DispatchInput(*this, target, msg, mk, lp, e, base);
        return true;
    }
    case QEvent::Wheel: {
        auto* we = static_cast<QWheelEvent*>(e);
        SyncKeyStateFromQt(we->modifiers(), we->buttons());
        QPoint g = we->globalPosition().toPoint();
        int delta = we->angleDelta().y();
        WPARAM wp = MAKEWPARAM(static_cast<unsigned>(MkFlagsFromQt(we->modifiers(), we->buttons())),
                               static_cast<unsigned>(static_cast<uint16_t>(delta)));
        DispatchInput(*this, g_capture && g_capture->Impl() ? g_capture : owner, WM_MOUSEWHEEL, wp,
                      MAKELPARAM(g.x(), g.y()), e, base);
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* ke = static_cast<QKeyEvent*>(e);
        bool down = e->type() == QEvent::KeyPress;
        int vk =
            VkFromQtKey(ke->key(), ke->nativeVirtualKey(), ke->nativeScanCode(), ke->modifiers());
        // The keypad's plus and minus are keys of their own.
        if (ke->modifiers() & Qt::KeypadModifier) {
            if (vk == VK_OEM_PLUS)
                vk = VK_ADD;
            else if (vk == VK_OEM_MINUS)
                vk = VK_SUBTRACT;
        }
        SyncKeyStateFromQt(ke->modifiers(), QApplication::mouseButtons());
        if (vk)
            SetKeyState(vk, down);
        if (vk == VK_RMENU || vk == VK_LMENU)
            SetKeyState(VK_MENU, down);
        // The key itself first (without its text), then one WM_CHAR per
        // character it types, unless a filter took the key.
        QKeyEvent keyOnly(e->type(), ke->key(), ke->modifiers(), ke->nativeScanCode(),
                          ke->nativeVirtualKey(), ke->nativeModifiers(), QString(),
                          ke->isAutoRepeat(), static_cast<quint16>(ke->count()));
        LPARAM lp =
            1 | (ke->isAutoRepeat() ? (LPARAM(1) << 30) : 0) | (down ? 0 : (LPARAM(3) << 30));
        bool dispatched = DispatchInput(*this, owner, down ? WM_KEYDOWN : WM_KEYUP,
                                        static_cast<WPARAM>(vk), lp, &keyOnly, base);
        if (!*keep || !down || !dispatched)
            return true;
        const QString text = ke->text();
        for (QChar ch : text) {
            QKeyEvent charOnly(QEvent::KeyPress, Qt::Key_unknown, ke->modifiers(), QString(ch));
            DispatchInput(*this, owner, WM_CHAR, ch.unicode(), lp, &charOnly, base);
            if (!*keep)
                return true;
        }
        return true;
    }
    case QEvent::Timer: {
        auto* te = static_cast<QTimerEvent*>(e);
        auto it = timerByQtId.find(te->timerId());
        if (it == timerByQtId.end())
            return base(e);
        DispatchQueuedMessageImpl(Message{owner, WM_TIMER, it->second, 0});
        return true;
    }
    case QEvent::Resize: {
        bool r = base(e);
        if (*keep && widget->size() != lastSize) {
            lastSize = widget->size();
            owner->SendMessage(WM_SIZE, SIZE_RESTORED,
                               MAKELPARAM(lastSize.width(), lastSize.height()));
        }
        return r;
    }
    case QEvent::WindowActivate: {
        if (g_pendingActivation == widget)
            g_pendingActivation = nullptr;
        if (!widget->isWindow())
            return base(e);
        if (!TakesActivation(widget)) {
            // A platform that activates every window it shows (offscreen):
            // a pop-up never takes the activation from its owner's window.
            if (g_lastActive && g_lastActive->isVisible())
                g_lastActive->activateWindow();
            return base(e);
        }
        const bool returning = widget == g_lastActive;
        g_lastActive = widget;
        // The keyboard comes back to the window that had it in this
        // top-level, or to the top-level itself, which may pass it on.
        if (!returning && (!g_focus || g_focus->GetTopLevel() != owner)) {
            PlatformWindow* last = WindowOfWidget(widget->focusWidget());
            PlatformWindow::SetFocusTo(last && last->GetTopLevel() == owner ? last : owner);
            if (!*keep)
                return true;
        }
        return base(e);
    }
    case QEvent::Close:
        e->ignore();
        owner->SendMessage(WM_CLOSE);
        return true;
    case QEvent::Leave:
        if (g_mouseWindow == owner)
            g_mouseWindow = nullptr;
        DispatchQueuedMessageImpl(Message{owner, WM_MOUSELEAVE, 0, 0});
        return *keep ? base(e) : true;
    case QEvent::ContextMenu:
        // Context menus come from WM_RBUTTONUP's default handling.
        return true;
    default:
        if (e->type() == PostedMessageEvent::EventType()) {
            DispatchQueuedMessageImpl(static_cast<PostedMessageEvent*>(e)->msg);
            return true;
        }
        return base(e);
    }
}

void WindowImpl::Paint(QPaintEvent* e) {
    DepthGuard depth;
    std::shared_ptr<bool> keep = alive;
    QPainter painter(widget);
    auto target =
        CreatePaintTargetForDevice(widget, &painter, widget->logicalDpiX(), widget->logicalDpiY());
    paintTarget = target.get();
    paintRect = e->rect();
    // Any part of this paint that the window did not invalidate itself was
    // exposed by the window system (shown, uncovered by a sibling, a hidden
    // page or a moved child) and holds nothing of the window: it is erased
    // exactly as an area invalidated with erase.
    const bool exposed = !e->region().subtracted(QRegion(invalid)).isEmpty();
    paintErase = erase || exposed || g_rendering;
    if (!g_rendering)
        painted = true;
    erase = false;
    invalid = QRect();
    if (paintErase)
        owner->SendMessage(WM_ERASEBKGND, PtrToWParam(target.get()), 0);
    if (*keep)
        owner->SendMessage(WM_PAINT);
    if (*keep)
        paintTarget = nullptr;
}

// ---- PlatformWindow ------------------------------------------------------

PlatformWindow::PlatformWindow() = default;

std::shared_ptr<const bool> PlatformWindow::LifeToken() const {
    static const std::shared_ptr<const bool> dead = std::make_shared<bool>(false);
    return impl_ ? impl_->alive : dead;
}

PlatformWindow::~PlatformWindow() {
    if (impl_)
        DestroyWindow();
    if (g_mouseWindow == this)
        g_mouseWindow = nullptr;
}

void PlatformWindow::CreateNativeWidget(WindowImpl& impl) {
    QWidget* parentWidget = nullptr;
    Qt::WindowFlags flags = Qt::Widget;
    if (parent_ && parent_->impl_) {
        parentWidget = parent_->impl_->widget;
        if (style_ & WS_POPUP) {
            parentWidget = parentWidget->window();
            flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
        }
    } else {
        flags = Qt::Window;
    }
    MakeHostWidget<QWidget>(impl, parentWidget, flags);
}

bool PlatformWindow::Create(PlatformWindow* parent, const RECT& rect, const std::wstring& text,
                            uint32_t style, uint32_t exStyle, int id) {
    if (impl_)
        return false;
    if ((style & WS_CHILD) && (!parent || !parent->impl_))
        return false;
    parent_ = parent && parent->impl_ ? parent : nullptr;
    style_ = style;
    exStyle_ = exStyle;
    id_ = id;
    text_ = text;
    impl_ = std::make_unique<WindowImpl>();
    impl_->owner = this;
    CreateNativeWidget(*impl_);
    QWidget* w = impl_->widget;
    if (w->isWindow())
        w->setWindowTitle(QString::fromStdWString(text_));
    w->setGeometry(ToQRect(rect));
    w->setMouseTracking(true);
    w->setFocusPolicy(Qt::NoFocus);
    if (!impl_->native) {
        w->setAttribute(Qt::WA_OpaquePaintEvent);
        w->setAutoFillBackground(false);
    }
    w->setFont(MakeQFont(font_));
    if (!enabled_ || (style & WS_DISABLED))
        w->setEnabled(false);
    if (parent_)
        parent_->children_.push_back(this);
    CREATESTRUCT cs;
    cs.parent = parent_;
    cs.rect = rect;
    cs.style = style;
    cs.exStyle = exStyle;
    cs.id = id;
    cs.text = text_.c_str();
    if (SendMessage(WM_CREATE, 0, PtrToLParam(&cs)) == -1) {
        DestroyWindow();
        return false;
    }
    if (!impl_)
        return false;
    impl_->lastSize = w->size();
    SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->width(), w->height()));
    if (impl_ && (style_ & WS_VISIBLE))
        impl_->widget->show();
    else if (impl_ && (style_ & WS_CHILD))
        impl_->widget->hide(); // stays hidden when its parent is shown later
    return impl_ != nullptr;
}

bool PlatformWindow::IsWindow() const {
    return impl_ != nullptr;
}

bool PlatformWindow::IsChild(const PlatformWindow* w) const {
    for (const PlatformWindow* p = w ? w->parent_ : nullptr; p; p = p->parent_)
        if (p == this)
            return true;
    return false;
}

PlatformWindow* PlatformWindow::GetTopLevel() {
    PlatformWindow* w = this;
    while (w->parent_ && (w->style_ & WS_CHILD))
        w = w->parent_;
    return w;
}

PlatformWindow* PlatformWindow::GetDlgItem(int id) const {
    for (PlatformWindow* c : children_)
        if (c->id_ == id)
            return c;
    return nullptr;
}

bool PlatformWindow::DestroyWindow() {
    if (!impl_ || destroying_)
        return false;
    destroying_ = true;
    DepthGuard depth;
    if (g_focus && (g_focus == this || IsChild(g_focus))) {
        PlatformWindow* old = g_focus;
        g_focus = nullptr;
        old->SendMessage(WM_KILLFOCUS, 0, 0);
    }
    if (g_capture && (g_capture == this || IsChild(g_capture)))
        ReleaseCapture();
    const bool wasActive = impl_ && !(style_ & WS_CHILD) && impl_->widget->isActiveWindow();
    if (impl_)
        impl_->widget->hide();
    if (wasActive)
        ActivateOwner();
    DestroyTree();
    ReleaseTree();
    return true;
}

void PlatformWindow::DestroyTree() {
    destroying_ = true;
    SendMessage(WM_DESTROY);
    std::vector<PlatformWindow*> kids = children_;
    for (PlatformWindow* c : kids)
        if (c->impl_ && !c->destroying_ &&
            std::find(children_.begin(), children_.end(), c) != children_.end())
            c->DestroyTree();
}

void PlatformWindow::ReleaseTree() {
    std::vector<PlatformWindow*> kids = children_;
    for (PlatformWindow* c : kids)
        if (c->impl_ && std::find(children_.begin(), children_.end(), c) != children_.end())
            c->ReleaseTree();
    if (!impl_)
        return;
    SendMessage(WM_NCDESTROY);
    if (g_focus == this)
        g_focus = nullptr;
    if (g_capture == this)
        g_capture = nullptr;
    if (g_mouseWindow == this)
        g_mouseWindow = nullptr;
    for (auto& t : impl_->timerByQtId)
        impl_->widget->killTimer(t.first);
    if (parent_)
        parent_->children_.erase(
            std::remove(parent_->children_.begin(), parent_->children_.end(), this),
            parent_->children_.end());
    *impl_->alive = false;
    if (impl_->detach)
        impl_->detach();
    QWidget* w = impl_->widget;
    w->disconnect();
    if (g_windowDispatchDepth > 1 || QWidget::mouseGrabber() == w) {
        w->hide();
        w->setParent(nullptr);
        w->deleteLater();
    } else {
        delete w;
    }
    impl_.reset();
    parent_ = nullptr;
    children_.clear();
    destroying_ = false;
    OnFinalMessage();
}

LRESULT PlatformWindow::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!impl_)
        return 0;
    return WindowProc(msg, wParam, lParam);
}

LRESULT PlatformWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ProcessWindowMessage(msg, wParam, lParam, result))
        return result;
    return DefWindowProc(msg, wParam, lParam);
}

bool PlatformWindow::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!impl_)
        return false;
    QCoreApplication::postEvent(impl_->widget,
                                new PostedMessageEvent(Message{this, msg, wParam, lParam}));
    return true;
}

LRESULT PlatformWindow::NotifyParentCommand(int code) {
    if (!parent_)
        return 0;
    return parent_->SendMessage(WM_COMMAND,
                                MAKEWPARAM(static_cast<unsigned>(id_), static_cast<unsigned>(code)),
                                PtrToLParam(this));
}

LRESULT PlatformWindow::NotifyParent(NMHDR* hdr) {
    if (!parent_ || !hdr)
        return 0;
    hdr->hwndFrom = this;
    hdr->idFrom = static_cast<uint64_t>(id_);
    return parent_->SendMessage(WM_NOTIFY, static_cast<WPARAM>(id_), PtrToLParam(hdr));
}

bool PlatformWindow::ProcessWindowMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

LRESULT PlatformWindow::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!impl_)
        return 0;
    switch (msg) {
    case WM_SETTEXT: {
        const wchar_t* t = LParamToPtr<const wchar_t>(lParam);
        text_ = t ? t : L"";
        // A top-level window's text is its title in the window system.
        if (impl_->widget->isWindow())
            impl_->widget->setWindowTitle(QString::fromStdWString(text_));
        if (!impl_->native)
            InvalidateRect(nullptr, true);
        return 1;
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(text_.size());
    case WM_GETTEXT: {
        wchar_t* buf = LParamToPtr<wchar_t>(lParam);
        if (!buf || wParam == 0)
            return 0;
        size_t n = std::min<size_t>(static_cast<size_t>(wParam) - 1, text_.size());
        std::copy(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(n), buf);
        buf[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_SETFONT: {
        if (const WindowFont* f = WParamToPtr<const WindowFont>(wParam))
            font_ = *f;
        impl_->widget->setFont(MakeQFont(font_));
        if (LOWORD(static_cast<uint64_t>(lParam)))
            InvalidateRect(nullptr, true);
        return 0;
    }
    case WM_GETFONT:
        return PtrToLParam(&font_);
    case WM_ERASEBKGND:
        if (impl_->hasBackground && wParam) {
            FillPaintRect(WParamToPtr<PaintTarget>(wParam), ToRect(impl_->paintRect),
                          impl_->background);
            return 1;
        }
        return 0;
    case WM_SETCURSOR:
        if (parent_ && (style_ & WS_CHILD) && parent_->SendMessage(WM_SETCURSOR, wParam, lParam))
            return 1;
        ::SetCursor(classCursor_);
        return 0;
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    case WM_RBUTTONUP: {
        if (impl_->native)
            ForwardToNative(msg, wParam, lParam);
        POINT s = ClientToScreen(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        SendMessage(WM_CONTEXTMENU, PtrToWParam(this), MAKELPARAM(s.x, s.y));
        return 0;
    }
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
        if (parent_ && (style_ & WS_CHILD))
            return parent_->SendMessage(msg, wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        return ForwardToNative(msg, wParam, lParam);
    default:
        return 0;
    }
}

LRESULT PlatformWindow::ForwardToNative(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!impl_ || !impl_->native)
        return 0;
    if (impl_->currentNative && impl_->currentNativeMessage == msg) {
        impl_->nativeWanted = true;
        return 0;
    }
    SendSynthesizedNativeEvent(*impl_, msg, wParam, lParam);
    return 0;
}

void PlatformWindow::ShowWindow(bool show) {
    if (!impl_)
        return;
    const bool was = (style_ & WS_VISIBLE) != 0;
    if (show)
        style_ |= WS_VISIBLE;
    else
        style_ &= ~WS_VISIBLE;
    const bool wasActive = !show && impl_->widget->isActiveWindow();
    impl_->widget->setVisible(show);
    if (!(style_ & WS_CHILD)) {
        if (show)
            Activate(impl_->widget);
        else if (wasActive)
            ActivateOwner();
    }
    // Told only when the state changes, as the desktop did; windows that fill
    // shared controls when they come into view (the editors' layer selectors)
    // hear of it.
    if (was != show)
        SendMessage(WM_SHOWWINDOW, show ? 1 : 0, 0);
}

void PlatformWindow::ShowMaximized() {
    if (!impl_)
        return;
    style_ |= WS_VISIBLE;
    if (parent_ && (style_ & WS_CHILD)) {
        impl_->widget->show();
        return;
    }
    QWidget* w = impl_->widget;
    if (QScreen* screen = w->screen()) {
        const QRect area = screen->availableGeometry();
        if (WindowManagerRunning()) {
            // The window manager maximises and, when the user restores the
            // window, gives it back the geometry it had before: its own size
            // where that leaves a margin of the working area, centred there,
            // so the title bar the manager adds above it stays on the screen.
            const QSize size = w->size().boundedTo(area.size() * 0.8).expandedTo(QSize(1, 1));
            w->setGeometry(
                QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size));
        } else {
            // With none running (a bare X server) the hint is ignored, so the
            // window is given the screen's working area itself first.
            w->setGeometry(area);
        }
    }
    w->showMaximized();
    Activate(impl_->widget);
}

bool PlatformWindow::IsMaximized() const {
    return impl_ && impl_->widget->isMaximized();
}

bool PlatformWindow::SetParent(PlatformWindow* newParent) {
    if (!impl_ || !newParent || !newParent->impl_ || !parent_ || !(style_ & WS_CHILD) ||
        newParent == this || IsChild(newParent))
        return false;
    if (newParent == parent_)
        return true;
    parent_->children_.erase(
        std::remove(parent_->children_.begin(), parent_->children_.end(), this),
        parent_->children_.end());
    parent_ = newParent;
    parent_->children_.push_back(this);
    QWidget* w = impl_->widget;
    QRect g = w->geometry();
    bool visible = (style_ & WS_VISIBLE) != 0;
    w->setParent(newParent->impl_->widget);
    w->setGeometry(g);
    w->setVisible(visible);
    return true;
}

void PlatformWindow::SetIcon(const Bitmap& icon) {
    if (!impl_)
        return;
    QImage image(icon.Width(), icon.Height(), QImage::Format_ARGB32);
    for (int y = 0; y < icon.Height(); ++y)
        for (int x = 0; x < icon.Width(); ++x) {
            ARGB c = icon.PixelAt(x, y);
            image.setPixel(x, y, c == 0xFFFF00FF ? 0 : c); // magenta is transparent
        }
    impl_->widget->setWindowIcon(QIcon(QPixmap::fromImage(image)));
}

void PlatformWindow::BringToTop() {
    if (impl_)
        impl_->widget->raise();
}

bool PlatformWindow::HasBeenPainted() const {
    if (!impl_)
        return false;
    if (impl_->painted)
        return true;
    // A window covered by its children is painted through them.
    for (const PlatformWindow* child : children_)
        if (child->HasBeenPainted())
            return true;
    return false;
}

bool PlatformWindow::IsWindowVisible() const {
    return impl_ && impl_->widget->isVisible();
}

void PlatformWindow::EnableWindow(bool enable) {
    enabled_ = enable;
    if (enable)
        style_ &= ~WS_DISABLED;
    else
        style_ |= WS_DISABLED;
    if (impl_) {
        impl_->widget->setEnabled(enable);
        SendMessage(WM_ENABLE, enable ? 1 : 0, 0);
    }
}

bool PlatformWindow::IsWindowEnabled() const {
    return enabled_ && !(style_ & WS_DISABLED);
}

void PlatformWindow::MoveWindow(const RECT& rect, bool repaint) {
    if (!impl_)
        return;
    QWidget* w = impl_->widget;
    const QRect r = ToQRect(rect);
    // A window held at a fixed size (a dialog) still takes every size the
    // program gives it; only the user cannot change it.
    if (w->isWindow() && w->minimumSize() == w->maximumSize() && w->size() != r.size())
        w->setFixedSize(r.size());
    w->setGeometry(r);
    if (w->size() != impl_->lastSize) {
        impl_->lastSize = w->size();
        SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->width(), w->height()));
    }
    if (repaint && impl_)
        InvalidateRect(nullptr, true);
}

RECT PlatformWindow::GetWindowRect() const {
    if (!impl_)
        return RECT{};
    QPoint tl = impl_->widget->mapToGlobal(QPoint(0, 0));
    return RECT{tl.x(), tl.y(), tl.x() + impl_->widget->width(), tl.y() + impl_->widget->height()};
}

RECT PlatformWindow::GetRectInParent() const {
    if (!impl_)
        return RECT{};
    QRect g = impl_->widget->geometry();
    return RECT{g.x(), g.y(), g.x() + g.width(), g.y() + g.height()};
}

RECT PlatformWindow::GetClientRect() const {
    if (!impl_)
        return RECT{};
    return RECT{0, 0, impl_->widget->width(), impl_->widget->height()};
}

POINT PlatformWindow::ClientToScreen(POINT p) const {
    if (!impl_)
        return p;
    QPoint g = impl_->widget->mapToGlobal(QPoint(p.x, p.y));
    return POINT{g.x(), g.y()};
}

POINT PlatformWindow::ScreenToClient(POINT p) const {
    if (!impl_)
        return p;
    QPoint c = impl_->widget->mapFromGlobal(QPoint(p.x, p.y));
    return POINT{c.x(), c.y()};
}

void PlatformWindow::SetWindowText(const std::wstring& text) {
    if (!impl_) {
        text_ = text;
        return;
    }
    SendMessage(WM_SETTEXT, 0, PtrToLParam(text.c_str()));
}

std::wstring PlatformWindow::GetWindowText() {
    if (!impl_)
        return text_;
    LRESULT n = SendMessage(WM_GETTEXTLENGTH);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    LRESULT got = SendMessage(WM_GETTEXT, s.size(), PtrToLParam(s.data()));
    s.resize(static_cast<size_t>(std::max<LRESULT>(0, got)));
    return s;
}

void PlatformWindow::SetFont(const WindowFont& font, bool redraw) {
    if (!impl_) {
        font_ = font;
        return;
    }
    SendMessage(WM_SETFONT, PtrToWParam(&font), redraw ? 1 : 0);
}

SIZE PlatformWindow::MeasureText(const std::wstring& text) const {
    QFontMetrics fm(MakeQFont(font_));
    return SIZE{fm.horizontalAdvance(QString::fromStdWString(text)), fm.height()};
}

int PlatformWindow::GetLineHeight() const {
    return QFontMetrics(MakeQFont(font_)).height();
}

void PlatformWindow::InvalidateRect(const RECT* rect, bool erase) {
    if (!impl_)
        return;
    QWidget* w = impl_->widget;
    QRect r = rect ? ToQRect(*rect) : w->rect();
    r &= w->rect();
    if (r.isEmpty())
        return;
    impl_->invalid |= r;
    impl_->erase = impl_->erase || erase;
    w->update(r);
}

void PlatformWindow::UpdateWindow() {
    if (!impl_ || impl_->invalid.isEmpty() || !impl_->widget->isVisible())
        return;
    impl_->widget->repaint(impl_->invalid);
}

RECT PlatformWindow::GetUpdateRect() const {
    return impl_ ? ToRect(impl_->invalid) : RECT{};
}
bool PlatformWindow::GetUpdateErase() const {
    return impl_ && impl_->erase;
}

PaintTarget* PlatformWindow::BeginPaint(PaintStruct* ps) {
    if (!impl_ || !impl_->paintTarget) {
        if (ps)
            *ps = PaintStruct{};
        return nullptr;
    }
    if (ps) {
        ps->target = impl_->paintTarget;
        ps->rcPaint = ToRect(impl_->paintRect);
        ps->erase = impl_->paintErase;
    }
    return impl_->paintTarget;
}

void PlatformWindow::EndPaint(const PaintStruct* ps) {
    if (ps && ps->target)
        ps->target->Impl()->End();
}

void PlatformWindow::RenderTo(PaintTarget& target) {
    if (!impl_ || !target.Impl()->device)
        return;
    target.Impl()->End();
    bool saved = g_rendering;
    g_rendering = true;
    impl_->widget->render(target.Impl()->device, QPoint(), QRegion(), QWidget::DrawChildren);
    g_rendering = saved;
}

std::unique_ptr<PaintTarget> PlatformWindow::GrabFromScreen() {
    if (!impl_ || !impl_->widget->isVisible())
        return nullptr;
    std::shared_ptr<bool> keep = impl_->alive;
    // Showing a window is asynchronous on X: the window system maps and
    // exposes it later, and the paints follow the exposure.
    if (QWindow* handle = impl_->widget->window()->windowHandle()) {
        QElapsedTimer timer;
        timer.start();
        while (*keep && !handle->isExposed() && timer.elapsed() < 3 * 60 * 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    if (*keep)
        PumpPendingMessages();
    if (!*keep || !impl_)
        return nullptr;
    QWidget* w = impl_->widget;
    QScreen* screen = w->screen();
    if (!screen || w->width() <= 0 || w->height() <= 0)
        return nullptr;
    const QPoint at = w->mapToGlobal(QPoint(0, 0));
    // The screen's own pixels at the window's place (the root window), so a
    // window lying over it shows as the user would see it.
    QPixmap shot = screen->grabWindow(0, at.x(), at.y(), w->width(), w->height());
    if (shot.isNull())
        return nullptr;
    auto target = PaintTarget::CreateImage(w->width(), w->height());
    if (QPainter* p = target->Impl()->Painter())
        p->drawPixmap(0, 0, shot);
    target->Impl()->End();
    return target;
}

void PlatformWindow::SetBackgroundColor(COLORREF color) {
    if (!impl_)
        return;
    impl_->hasBackground = true;
    impl_->background = color;
}

void PlatformWindow::SetNoBackground() {
    if (impl_)
        impl_->hasBackground = false;
}

void PlatformWindow::FillPaintRect(PaintTarget* target, const RECT& rect, COLORREF color) const {
    if (!target)
        return;
    QPainter* p = target->Impl()->Painter();
    if (!p)
        return;
    p->fillRect(ToQRect(rect),
                QColor(static_cast<int>(ColorRefRed(color)), static_cast<int>(ColorRefGreen(color)),
                       static_cast<int>(ColorRefBlue(color))));
}

PlatformWindow* PlatformWindow::SetFocus() {
    return SetFocusTo(this);
}

PlatformWindow* PlatformWindow::SetFocusTo(PlatformWindow* window) {
    if (window && !window->impl_)
        return g_focus;
    PlatformWindow* old = g_focus;
    if (old == window)
        return old;
    g_focus = window;
    if (old && old->impl_)
        old->SendMessage(WM_KILLFOCUS, PtrToWParam(window), 0);
    if (window && g_focus == window && window->impl_) {
        window->impl_->widget->setFocus(Qt::OtherFocusReason);
        // Focusing a window of another top-level activates that one.
        Activate(window->impl_->widget->window());
        window->SendMessage(WM_SETFOCUS, PtrToWParam(old), 0);
    }
    return old;
}

void PlatformWindow::ActivateOwner() {
    // The desktop activates the owner of an active window that goes away.
    PlatformWindow* owner = parent_ ? parent_->GetTopLevel() : nullptr;
    if (owner && owner->impl_)
        Activate(owner->impl_->widget);
}

ToolkitModalScope::ToolkitModalScope()
    : focus_(g_focus), alive_(g_focus ? g_focus->LifeToken() : nullptr) {}

ToolkitModalScope::~ToolkitModalScope() {
    if (!focus_ || !alive_ || !*alive_ || !focus_->Impl())
        return;
    QWidget* top = focus_->Impl()->widget->window();
    if (!top->isVisible())
        return;
    Activate(top);
    if (g_focus == focus_)
        focus_->Impl()->widget->setFocus(Qt::OtherFocusReason);
    else
        PlatformWindow::SetFocusTo(focus_);
}

PlatformWindow* PlatformWindow::GetFocus() {
    return g_focus;
}

PlatformWindow* PlatformWindow::SetCapture() {
    if (!impl_)
        return g_capture;
    PlatformWindow* old = g_capture;
    g_capture = this;
    // The offscreen platform of the tests cannot grab; the redirection of
    // mouse events below covers it.
    if (impl_->widget->isVisible() && QGuiApplication::platformName() != QLatin1String("offscreen"))
        impl_->widget->grabMouse();
    if (old && old != this && old->impl_)
        old->SendMessage(WM_CAPTURECHANGED, 0, PtrToLParam(this));
    return old;
}

bool PlatformWindow::ReleaseCapture() {
    PlatformWindow* old = g_capture;
    if (!old)
        return false;
    g_capture = nullptr;
    if (old->impl_) {
        if (QWidget::mouseGrabber() == old->impl_->widget)
            old->impl_->widget->releaseMouse();
        old->SendMessage(WM_CAPTURECHANGED, 0, 0);
    }
    return true;
}

PlatformWindow* PlatformWindow::GetCapture() {
    return g_capture;
}

bool PlatformWindow::SetTimer(uint64_t id, unsigned ms) {
    if (!impl_)
        return false;
    KillTimer(id);
    int q = impl_->widget->startTimer(static_cast<int>(ms));
    if (!q)
        return false;
    impl_->timerByQtId[q] = id;
    impl_->qtIdByTimer[id] = q;
    return true;
}

bool PlatformWindow::KillTimer(uint64_t id) {
    if (!impl_)
        return false;
    auto it = impl_->qtIdByTimer.find(id);
    if (it == impl_->qtIdByTimer.end())
        return false;
    impl_->widget->killTimer(it->second);
    impl_->timerByQtId.erase(it->second);
    impl_->qtIdByTimer.erase(it);
    return true;
}

bool PlatformWindow::HasTimer(uint64_t id) const {
    return impl_ && impl_->qtIdByTimer.count(id) != 0;
}

void PlatformWindow::SetWindowRegion(const std::vector<POINT>& polygon) {
    region_ = polygon;
    if (!impl_)
        return;
    if (polygon.empty()) {
        impl_->widget->clearMask();
        return;
    }
    QPolygon poly;
    for (const POINT& p : polygon)
        poly << QPoint(p.x, p.y);
    impl_->widget->setMask(QRegion(poly));
}

bool PlatformWindow::PtInWindowRegion(POINT client) const {
    if (region_.empty()) {
        RECT r = GetClientRect();
        return client.x >= r.left && client.x < r.right && client.y >= r.top && client.y < r.bottom;
    }
    QPolygon poly;
    for (const POINT& p : region_)
        poly << QPoint(p.x, p.y);
    return QRegion(poly).contains(QPoint(client.x, client.y));
}

bool PlatformWindow::ReflectNotifications(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    PlatformWindow* child = nullptr;
    switch (msg) {
    case WM_COMMAND:
        child = WindowFromLParam(lParam);
        break;
    case WM_NOTIFY:
        if (auto* hdr = LParamToPtr<NMHDR>(lParam))
            child = hdr->hwndFrom;
        break;
    case WM_DRAWITEM:
        if (auto* dis = LParamToPtr<DRAWITEMSTRUCT>(lParam))
            child = dis->hwndItem;
        break;
    case WM_MEASUREITEM:
        if (auto* mis = LParamToPtr<MEASUREITEMSTRUCT>(lParam))
            child = GetDlgItem(static_cast<int>(mis->CtlID));
        break;
    case WM_PARENTNOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_HSCROLL:
    case WM_VSCROLL:
        child = WindowFromLParam(lParam);
        break;
    default:
        return false;
    }
    if (!child || !child->IsWindow() || child == this)
        return false;
    result = child->SendMessage(msg + OCM_BASE, wParam, lParam);
    return true;
}
