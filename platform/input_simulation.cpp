#include "platform/input_simulation.h"

#include "platform/window_impl.h"
#include "platform/window_input.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

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

void SimulateKey(PlatformWindow* window, bool down, int vk, const std::wstring& text, WPARAM mk,
                 bool alt, bool rightAlt) {
    if (!window || !window->Impl())
        return;
    quint32 nativeKey = 0;
    int key = QtKeyFromVk(vk);
    if (vk == VK_RMENU || rightAlt) {
        nativeKey = 0xFFEA;
        key = Qt::Key_Alt;
    }
    if (vk == VK_TAB && (mk & MK_SHIFT))
        key = Qt::Key_Backtab;
    Qt::KeyboardModifiers mods = Mods(mk, alt || rightAlt);
    if (vk == VK_ADD || vk == VK_SUBTRACT) {
        key = vk == VK_ADD ? Qt::Key_Plus : Qt::Key_Minus;
        mods |= Qt::KeypadModifier;
    }
    QKeyEvent e(down ? QEvent::KeyPress : QEvent::KeyRelease, key, mods, 0, nativeKey, 0,
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
