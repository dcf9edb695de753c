// Translation between Qt input and the message layer's codes. Platform
// sources only.
#pragma once

#include "platform/messages.h"

#include <QEvent>
#include <Qt>

struct WindowImpl;

UINT MouseMessageFromQt(QEvent::Type type, Qt::MouseButton button);
// The Qt event type and button of a mouse message; false for other messages.
bool MouseMessageToQt(UINT msg, QEvent::Type* type, Qt::MouseButton* button);
WPARAM MkFlagsFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
// The virtual key of a Qt key event: keys of the digit row are digit keys
// whatever Shift makes them type.
int VkFromQtKey(int key, quint32 nativeVirtualKey, quint32 nativeScanCode,
                Qt::KeyboardModifiers mods);
int QtKeyFromVk(int vk);
// Brings Shift, Ctrl, Alt and the mouse buttons of the key state in line
// with an input event.
void SyncKeyStateFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
Qt::KeyboardModifiers ModifiersFromKeyState();
// Makes the Qt event a message stands for and hands it to the native widget.
void SendSynthesizedNativeEvent(WindowImpl& impl, UINT msg, WPARAM wParam, LPARAM lParam);
