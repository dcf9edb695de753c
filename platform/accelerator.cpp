#include "platform/accelerator.h"

#include "platform/key_state.h"
#include "platform/window.h"
#include "resources/accelerators.h"

AcceleratorTable AcceleratorTable::FromResource(unsigned id) {
    std::vector<Accelerator> entries;
    if (const auto* table = LoadAcceleratorResource(id))
        for (const AcceleratorResourceEntry& e : *table)
            entries.push_back(Accelerator{e.flags, e.key, e.command});
    return AcceleratorTable(std::move(entries));
}

int AcceleratorTable::Find(int key, uint8_t modifiers) const {
    constexpr uint8_t kMask = FSHIFT | FCONTROL | FALT;
    for (const Accelerator& a : entries_)
        if (a.key == key && (a.flags & kMask) == (modifiers & kMask))
            return a.command;
    return 0;
}

uint8_t CurrentAcceleratorModifiers() {
    uint8_t m = 0;
    if (IsKeyDown(VK_SHIFT))
        m |= FSHIFT;
    if (IsKeyDown(VK_CONTROL))
        m |= FCONTROL;
    if (IsKeyDown(VK_MENU))
        m |= FALT;
    return m;
}

bool TranslateAccelerator(PlatformWindow* target, const AcceleratorTable& table,
                          const Message* msg) {
    if (!target || !msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return false;
    int command = table.Find(static_cast<int>(msg->wParam), CurrentAcceleratorModifiers());
    if (!command)
        return false;
    target->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(command), 1), 0);
    return true;
}
