#include "platform/input_simulation.h"

#include "platform/window_impl.h"
#include "platform/window_input.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>

#include <vector>

namespace {
Qt::KeyboardModifiers Mods(WPARAM mk, bool alt) {
    Qt::KeyboardModifiers m;
    if (mk & MK_SHIFT)
        m |= Qt::ShiftModifier;
    if (mk & MK_CONTROL)
        m |= Qt::ControlModifier;
    if (alt)
        m |= Qt::AltModifier;
    return m;
}

Qt::MouseButtons Buttons(WPARAM mk) {
    Qt::MouseButtons b;
    if (mk & MK_LBUTTON)
        b |= Qt::LeftButton;
    if (mk & MK_RBUTTON)
        b |= Qt::RightButton;
    if (mk & MK_MBUTTON)
        b |= Qt::MiddleButton;
    return b;
}
} // namespace

void SimulateMouse(PlatformWindow* window, UINT msg, POINT client, WPARAM mk) {
    if (!window || !window->Impl())
        return;
    QWidget* w = window->Impl()->widget;
    QEvent::Type type = QEvent::MouseMove;
    Qt::MouseButton button = Qt::NoButton;
    MouseMessageToQt(msg, &type, &button); // anything else moves the mouse
    QPointF local(client.x, client.y);
    QMouseEvent e(type, local, w->mapToGlobal(local), button, Buttons(mk), Mods(mk, false));
    QCoreApplication::sendEvent(w, &e);
}

void SimulateMouseLeave(PlatformWindow* window) {
    if (!window || !window->Impl())
        return;
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(window->Impl()->widget, &e);
}

void SimulateWheel(PlatformWindow* window, POINT client, int delta, WPARAM mk) {
    if (!window || !window->Impl())
        return;
    QWidget* w = window->Impl()->widget;
    QPointF local(client.x, client.y);
    QWheelEvent e(local, w->mapToGlobal(local), QPoint(), QPoint(0, delta), Buttons(mk),
                  Mods(mk, false), Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
}

namespace {
// The pointer as the simulated mouse left it: the widget that took the last
// press while a button is held (the window system's implicit grab), and the
// window last under the pointer, which hears the pointer leave.
QPointer<QWidget> g_pressWidget;
QPointer<QWidget> g_pointerWindow;

constexpr WPARAM kButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

bool IsButtonUp(UINT msg) {
    return msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP;
}

// The widget the window system hands a mouse event at the global point to;
// held says a grab chose it rather than the point.
QWidget* ScreenTarget(const QPoint& global, UINT msg, WPARAM mk, bool* held = nullptr) {
    bool grabbed = true;
    QWidget* target = nullptr;
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        target = grabber;
    } else if (PlatformWindow* capture = PlatformWindow::GetCapture(); capture && capture->Impl()) {
        target = capture->Impl()->widget;
    } else if (g_pressWidget && ((mk & kButtons) || IsButtonUp(msg))) {
        target = g_pressWidget;
    } else {
        grabbed = false;
        // The topmost top-level at the point as the window system stacks
        // them, then its child there (transparent children pass it on).
        if (QWidget* top = QApplication::topLevelAt(global)) {
            QWidget* child = top->childAt(top->mapFromGlobal(global));
            target = child ? child : top;
        }
    }
    if (held)
        *held = grabbed;
    return target;
}

// The nearest widget at or above w that is a window of the program.
PlatformWindow* OwningWindow(QWidget* w) {
    for (; w; w = w->parentWidget())
        if (PlatformWindow* window = WindowOfWidget(w))
            return window;
    return nullptr;
}

// The pointer now over window (null: over nothing of the program). As the
// toolkit tells it, the window it was over before and that one's parents
// hear it leave, innermost first, up to the first that holds the new window:
// a window whose child the pointer moves into hears nothing, since the
// pointer is still over it.
void PointerOver(PlatformWindow* window) {
    QWidget* w = window && window->Impl() ? window->Impl()->widget : nullptr;
    if (w == g_pointerWindow)
        return;
    std::vector<QPointer<QWidget>> left;
    for (QWidget* old = g_pointerWindow; old && !(w && (old == w || old->isAncestorOf(w)));
         old = old->parentWidget())
        left.emplace_back(old);
    g_pointerWindow = w;
    for (const QPointer<QWidget>& old : left)
        if (old) {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(old, &leave);
        }
}
} // namespace

PlatformWindow* MouseTargetAt(POINT screen, WPARAM mk) {
    return OwningWindow(ScreenTarget(QPoint(screen.x, screen.y), WM_MOUSEMOVE, mk));
}

PlatformWindow* SimulateScreenMouse(UINT msg, POINT screen, WPARAM mk) {
    const QPoint global(screen.x, screen.y);
    bool held = false;
    QWidget* w = ScreenTarget(global, msg, mk, &held);
    PlatformWindow* window = OwningWindow(w);
    // While a grab holds the pointer, the windows it crosses hear nothing.
    if (!held)
        PointerOver(window);
    if (!window)
        return nullptr;
    QEvent::Type type = QEvent::MouseMove;
    Qt::MouseButton button = Qt::NoButton;
    MouseMessageToQt(msg, &type, &button); // anything else moves the mouse
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
        g_pressWidget = w;
    else if (!(mk & kButtons))
        g_pressWidget = nullptr;
    QMouseEvent e(type, w->mapFromGlobal(QPointF(global)), QPointF(global), button, Buttons(mk),
                  Mods(mk, false));
    QCoreApplication::sendEvent(w, &e);
    return window;
}

PlatformWindow* SimulateScreenWheel(POINT screen, int delta, WPARAM mk) {
    const QPoint global(screen.x, screen.y);
    QWidget* w = ScreenTarget(global, WM_MOUSEWHEEL, mk);
    PlatformWindow* window = OwningWindow(w);
    if (!window)
        return nullptr;
    QWheelEvent e(w->mapFromGlobal(QPointF(global)), QPointF(global), QPoint(), QPoint(0, delta),
                  Buttons(mk), Mods(mk, false), Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
    return window;
}

namespace {
// X key codes (evdev) of the keys the tests press, so that an event looks
// as the X server's would and the scan-code rules of the translation apply.
quint32 KeyCodeOfVk(int vk) {
    if (vk >= '1' && vk <= '9')
        return static_cast<quint32>(10 + vk - '1');
    if (vk == '0')
        return 19;
    if (vk >= 'A' && vk <= 'Z') {
        static const quint8 kLetters[26] = {38, 56, 54, 40, 26, 41, 42, 43, 31, 44, 45, 46, 58,
                                            57, 32, 33, 24, 27, 39, 28, 30, 55, 25, 53, 29, 52};
        return kLetters[vk - 'A'];
    }
    if (vk >= VK_F1 && vk < VK_F1 + 10)
        return static_cast<quint32>(67 + vk - VK_F1);
    switch (vk) {
    case VK_ESCAPE:
        return 9;
    case VK_BACK:
        return 22;
    case VK_TAB:
        return 23;
    case VK_RETURN:
        return 36;
    case VK_SPACE:
        return 65;
    case VK_DELETE:
        return 119;
    case VK_LEFT:
        return 113;
    case VK_RIGHT:
        return 114;
    case VK_UP:
        return 111;
    case VK_DOWN:
        return 116;
    default:
        return 0;
    }
}

// What a key types on a US layout, as the window system reports it.
QString TypedText(int vk, WPARAM mk) {
    const bool shift = (mk & MK_SHIFT) != 0;
    if (vk >= 'A' && vk <= 'Z') {
        if (mk & MK_CONTROL)
            return QString(QChar(static_cast<char16_t>(vk - 'A' + 1)));
        return QString(QChar(static_cast<char16_t>(shift ? vk : vk - 'A' + 'a')));
    }
    if (vk >= '0' && vk <= '9')
        return QString(QChar(static_cast<char16_t>(shift ? u")!@#$%^&*("[vk - '0'] : vk)));
    switch (vk) {
    case VK_SPACE:
        return QStringLiteral(" ");
    case VK_RETURN:
        return QStringLiteral("\r");
    case VK_ESCAPE:
        return QStringLiteral("\x1b");
    case VK_BACK:
        return QStringLiteral("\b");
    case VK_TAB:
        return QStringLiteral("\t");
    case VK_DELETE:
        return QStringLiteral("\x7f");
    default:
        return QString();
    }
}

struct KeyEventParts {
    int key;
    Qt::KeyboardModifiers mods;
    quint32 scanCode;
    quint32 nativeKey;
};

KeyEventParts KeyParts(int vk, WPARAM mk, bool alt, bool rightAlt, bool asDisplay) {
    KeyEventParts k{QtKeyFromVk(vk), Mods(mk, alt || rightAlt), 0, 0};
    if (vk == VK_RMENU || rightAlt) {
        k.nativeKey = 0xFFEA;
        k.key = Qt::Key_Alt;
    }
    if (vk == VK_LMENU && asDisplay) {
        k.nativeKey = 0xFFE9;
        k.scanCode = 64;
    }
    if (vk == VK_TAB && (mk & MK_SHIFT))
        k.key = Qt::Key_Backtab;
    if (vk == VK_ADD || vk == VK_SUBTRACT) {
        k.key = vk == VK_ADD ? Qt::Key_Plus : Qt::Key_Minus;
        k.mods |= Qt::KeypadModifier;
    }
    // Shift on the digit row gives the symbol's key, as the toolkit reports
    // it with or without a key code.
    if (vk >= '0' && vk <= '9' && (mk & MK_SHIFT))
        k.key = TypedText(vk, mk).at(0).unicode();
    if (asDisplay) {
        if (!k.scanCode)
            k.scanCode = KeyCodeOfVk(vk);
        if (k.nativeKey == 0 && vk >= 'A' && vk <= 'Z')
            k.nativeKey = TypedText(vk, mk & MK_SHIFT).at(0).unicode();
    }
    return k;
}
} // namespace

void SimulateKey(PlatformWindow* window, bool down, int vk, const std::wstring& text, WPARAM mk,
                 bool alt, bool rightAlt) {
    if (!window || !window->Impl())
        return;
    const KeyEventParts k = KeyParts(vk, mk, alt, rightAlt, false);
    QKeyEvent e(down ? QEvent::KeyPress : QEvent::KeyRelease, k.key, k.mods, 0, k.nativeKey, 0,
                QString::fromStdWString(text));
    QCoreApplication::sendEvent(window->Impl()->widget, &e);
}

void SimulateTyping(PlatformWindow* window, const std::wstring& text) {
    for (wchar_t c : text) {
        int vk = 0;
        if (c >= L'a' && c <= L'z')
            vk = c - L'a' + 'A';
        else if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9'))
            vk = c;
        else if (c == L' ')
            vk = VK_SPACE;
        WPARAM mk = (c >= L'A' && c <= L'Z') ? MK_SHIFT : 0;
        SimulateKey(window, true, vk, std::wstring(1, c), mk);
        SimulateKey(window, false, vk, L"", mk);
    }
}

namespace {
// A user's keys come after the window system has moved the focus: wait for
// an activation on its way from an X server, for minutes on a busy machine.
QObject* SettledFocusObject() {
    QElapsedTimer waited;
    waited.start();
    while (IsActivationPending() && waited.elapsed() < 3 * 60 * 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return QGuiApplication::focusObject();
}
} // namespace

PlatformWindow* KeyboardFocusWindow() {
    for (QObject* o = SettledFocusObject(); o; o = o->parent())
        if (auto* w = qobject_cast<QWidget*>(o))
            if (PlatformWindow* window = WindowOfWidget(w))
                return window;
    return nullptr;
}

bool SimulateFocusKey(bool down, int vk, WPARAM mk, bool alt, bool rightAlt) {
    QObject* target = SettledFocusObject();
    if (!target)
        return false;
    const KeyEventParts k = KeyParts(vk, mk, alt, rightAlt, true);
    const QString text = down && !rightAlt && vk != VK_RMENU ? TypedText(vk, mk) : QString();
    QKeyEvent e(down ? QEvent::KeyPress : QEvent::KeyRelease, k.key, k.mods, k.scanCode,
                k.nativeKey, 0, text);
    QCoreApplication::sendEvent(target, &e);
    return true;
}

bool SimulateFocusTyping(const std::wstring& text) {
    for (wchar_t c : text) {
        int vk = 0;
        WPARAM mk = 0;
        if (c >= L'a' && c <= L'z') {
            vk = c - L'a' + 'A';
        } else if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) {
            vk = c;
            mk = c >= L'A' ? MK_SHIFT : 0;
        } else if (c == L' ') {
            vk = VK_SPACE;
        }
        QObject* target = SettledFocusObject();
        if (!target)
            return false;
        const QString typed(QChar(static_cast<char16_t>(c)));
        QKeyEvent press(QEvent::KeyPress, vk ? QtKeyFromVk(vk) : static_cast<int>(c),
                        Mods(mk, false), KeyCodeOfVk(vk), 0, 0, typed);
        QCoreApplication::sendEvent(target, &press);
        if (!(target = QGuiApplication::focusObject()))
            return false;
        QKeyEvent release(QEvent::KeyRelease, press.key(), press.modifiers(),
                          press.nativeScanCode(), 0, 0, typed);
        QCoreApplication::sendEvent(target, &release);
    }
    return true;
}
