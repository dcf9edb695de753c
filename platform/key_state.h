// The state of keys and mouse buttons as the last input left it
// (GetKeyState-like): the high bit (0x8000, negative as int16) is set while
// a key is down. Tests set states directly.
#pragma once

#include <cstdint>

int16_t GetKeyState(int vk);
// True while the key is down.
bool IsKeyDown(int vk);
// Sets or clears a key (VK_SHIFT, VK_CONTROL, VK_MENU, VK_RMENU, buttons,
// ...); setting a left or right variant also sets the generic key.
void SetKeyState(int vk, bool down);
// All keys up.
void ResetKeyState();
