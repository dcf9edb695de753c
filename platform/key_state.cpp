#include "platform/key_state.h"

#include "platform/messages.h"

#include <array>
#include <cstddef>

namespace {
std::array<bool, 256> g_down{};

void Set(int vk, bool down) {
    if (vk >= 0 && vk < 256)
        g_down[static_cast<std::size_t>(vk)] = down;
}
} // namespace

int16_t GetKeyState(int vk) {
    return IsKeyDown(vk) ? static_cast<int16_t>(0x8000) : 0;
}

bool IsKeyDown(int vk) {
    return vk >= 0 && vk < 256 && g_down[static_cast<std::size_t>(vk)];
}

void SetKeyState(int vk, bool down) {
    Set(vk, down);
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        Set(VK_SHIFT, down || IsKeyDown(vk == VK_LSHIFT ? VK_RSHIFT : VK_LSHIFT));
        break;
    case VK_LCONTROL:
    case VK_RCONTROL:
        Set(VK_CONTROL, down || IsKeyDown(vk == VK_LCONTROL ? VK_RCONTROL : VK_LCONTROL));
        break;
    case VK_LMENU:
    case VK_RMENU:
        Set(VK_MENU, down || IsKeyDown(vk == VK_LMENU ? VK_RMENU : VK_LMENU));
        break;
    default:
        break;
    }
}

void ResetKeyState() {
    g_down.fill(false);
}
