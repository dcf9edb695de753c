#include "platform/window_input.h"

#include "platform/key_state.h"
#include "platform/window_impl.h"

#include <QKeyEvent>
#include <QMouseEvent>

UINT MouseMessageFromQt(QEvent::Type type, Qt::MouseButton button) {
    switch (type) {
    case QEvent::MouseMove:
        return WM_MOUSEMOVE;
    case QEvent::MouseButtonPress:
        return button == Qt::LeftButton     ? WM_LBUTTONDOWN
               : button == Qt::RightButton  ? WM_RBUTTONDOWN
               : button == Qt::MiddleButton ? WM_MBUTTONDOWN
                                            : 0;
    case QEvent::MouseButtonRelease:
        return button == Qt::LeftButton     ? WM_LBUTTONUP
               : button == Qt::RightButton  ? WM_RBUTTONUP
               : button == Qt::MiddleButton ? WM_MBUTTONUP
                                            : 0;
    case QEvent::MouseButtonDblClick:
        return button == Qt::LeftButton     ? WM_LBUTTONDBLCLK
               : button == Qt::RightButton  ? WM_RBUTTONDBLCLK
               : button == Qt::MiddleButton ? WM_MBUTTONDBLCLK
                                            : 0;
    default:
        return 0;
    }
}

WPARAM MkFlagsFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    WPARAM w = 0;
    if (buttons & Qt::LeftButton)
        w |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        w |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        w |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier)
        w |= MK_SHIFT;
    if (mods & Qt::ControlModifier)
        w |= MK_CONTROL;
    return w;
}

namespace {
struct KeyPair {
    int qt;
    int vk;
};
const KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK},  {Qt::Key_Tab, VK_TAB},         {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},   {Qt::Key_Enter, VK_RETURN},    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},        {Qt::Key_AltGr, VK_RMENU},
    {Qt::Key_Escape, VK_ESCAPE},   {Qt::Key_Space, VK_SPACE},     {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},   {Qt::Key_End, VK_END},         {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},       {Qt::Key_Up, VK_UP},           {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},       {Qt::Key_Insert, VK_INSERT},   {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Plus, VK_OEM_PLUS},   {Qt::Key_Minus, VK_OEM_MINUS},
};
} // namespace

namespace {
// The digit of a key of the digit row from its X key code, whatever the
// layout types on it (Shift+1 types '!' on one layout, '1' on another).
int DigitOfKeyCode(quint32 scanCode) {
    if (scanCode >= 10 && scanCode <= 18)
        return '1' + static_cast<int>(scanCode - 10);
    return scanCode == 19 ? '0' : 0;
}

// What Shift types on the digit row of a US keyboard, for events that carry
// no key code.
int DigitOfShiftedSymbol(int key) {
    static const int kShifted[10] = {Qt::Key_ParenRight,  Qt::Key_Exclam,    Qt::Key_At,
                                     Qt::Key_NumberSign,  Qt::Key_Dollar,    Qt::Key_Percent,
                                     Qt::Key_AsciiCircum, Qt::Key_Ampersand, Qt::Key_Asterisk,
                                     Qt::Key_ParenLeft};
    for (int d = 0; d < 10; ++d)
        if (kShifted[d] == key)
            return '0' + d;
    return 0;
}
} // namespace

int VkFromQtKey(int key, quint32 nativeVirtualKey, quint32 nativeScanCode,
                Qt::KeyboardModifiers mods) {
    // X11 key symbols tell the right Alt and Ctrl keys apart.
    if (nativeVirtualKey == 0xFFEA || nativeVirtualKey == 0xFE03)
        return VK_RMENU;
    if (nativeVirtualKey == 0xFFE9)
        return VK_LMENU;
    if (nativeVirtualKey == 0xFFE4)
        return VK_RCONTROL;
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;
    // A digit key is that digit's key with any modifier, as the layer keys
    // (Shift+1 and so on) expect; the keypad has key codes of its own.
    if (!(mods & Qt::KeypadModifier)) {
        if (int digit = DigitOfKeyCode(nativeScanCode))
            return digit;
        if (nativeScanCode == 0 && (mods & Qt::ShiftModifier))
            if (int digit = DigitOfShiftedSymbol(key))
                return digit;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return VK_F1 + (key - Qt::Key_F1);
    for (const KeyPair& k : kKeys)
        if (k.qt == key)
            return k.vk;
    return 0;
}

int QtKeyFromVk(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        return vk;
    if (vk >= VK_F1 && vk <= VK_F12)
        return Qt::Key_F1 + (vk - VK_F1);
    if (vk == VK_RMENU || vk == VK_LMENU)
        return Qt::Key_Alt;
    if (vk == VK_LCONTROL || vk == VK_RCONTROL)
        return Qt::Key_Control;
    if (vk == VK_LSHIFT || vk == VK_RSHIFT)
        return Qt::Key_Shift;
    for (const KeyPair& k : kKeys)
        if (k.vk == vk)
            return k.qt;
    return Qt::Key_unknown;
}

void SyncKeyStateFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    auto sync = [](int generic, int left, int right, bool down) {
        if (down == IsKeyDown(generic))
            return;
        if (!down) {
            SetKeyState(left, false);
            SetKeyState(right, false);
        }
        SetKeyState(generic, down);
    };
    sync(VK_SHIFT, VK_LSHIFT, VK_RSHIFT, (mods & Qt::ShiftModifier) != 0);
    sync(VK_CONTROL, VK_LCONTROL, VK_RCONTROL, (mods & Qt::ControlModifier) != 0);
    sync(VK_MENU, VK_LMENU, VK_RMENU, (mods & (Qt::AltModifier | Qt::GroupSwitchModifier)) != 0);
    SetKeyState(VK_LBUTTON, (buttons & Qt::LeftButton) != 0);
    SetKeyState(VK_RBUTTON, (buttons & Qt::RightButton) != 0);
    SetKeyState(VK_MBUTTON, (buttons & Qt::MiddleButton) != 0);
}

Qt::KeyboardModifiers ModifiersFromKeyState() {
    Qt::KeyboardModifiers m;
    if (IsKeyDown(VK_SHIFT))
        m |= Qt::ShiftModifier;
    if (IsKeyDown(VK_CONTROL))
        m |= Qt::ControlModifier;
    if (IsKeyDown(VK_MENU))
        m |= Qt::AltModifier;
    return m;
}

bool MouseMessageToQt(UINT msg, QEvent::Type* type, Qt::MouseButton* button) {
    switch (msg) {
    case WM_MOUSEMOVE:
        *type = QEvent::MouseMove;
        *button = Qt::NoButton;
        return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        *type = QEvent::MouseButtonPress;
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        *type = QEvent::MouseButtonRelease;
        break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        *type = QEvent::MouseButtonDblClick;
        break;
    default:
        return false;
    }
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        *button = Qt::LeftButton;
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        *button = Qt::RightButton;
        break;
    default:
        *button = Qt::MiddleButton;
        break;
    }
    return true;
}

void SendSynthesizedNativeEvent(WindowImpl& impl, UINT msg, WPARAM wParam, LPARAM lParam) {
    Qt::KeyboardModifiers mods = ModifiersFromKeyState();
    switch (msg) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
        QKeyEvent e(msg == WM_KEYDOWN ? QEvent::KeyPress : QEvent::KeyRelease,
                    QtKeyFromVk(static_cast<int>(wParam)), mods, QString());
        SendNativeEvent(impl, &e);
        return;
    }
    case WM_CHAR: {
        QKeyEvent e(QEvent::KeyPress, Qt::Key_unknown, mods,
                    QString(QChar(static_cast<char16_t>(wParam))));
        SendNativeEvent(impl, &e);
        return;
    }
    default:
        break;
    }
    QEvent::Type type = QEvent::MouseMove;
    Qt::MouseButton button = Qt::NoButton;
    if (!MouseMessageToQt(msg, &type, &button))
        return;
    Qt::MouseButtons buttons;
    if (wParam & MK_LBUTTON)
        buttons |= Qt::LeftButton;
    if (wParam & MK_RBUTTON)
        buttons |= Qt::RightButton;
    if (wParam & MK_MBUTTON)
        buttons |= Qt::MiddleButton;
    QPointF local(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    QMouseEvent e(type, local, impl.widget->mapToGlobal(local), button, buttons, mods);
    SendNativeEvent(impl, &e);
}
