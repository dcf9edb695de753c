// Test helper: keys as a keyboard gives them. The modifier keys go down
// first and come up last, and every press and release goes to whatever has
// the keyboard focus at that moment, as the window system delivers it; a key
// that finds no focus is a test failure, not a silent no-op.
#pragma once

#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/message_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline void PressKeyAtFocus(int vk, WPARAM mk = 0, bool alt = false, bool rightAlt = false) {
    struct Modifier {
        int vk;
        WPARAM mk;
        bool alt;
        bool rightAlt;
    };
    std::vector<Modifier> held;
    if (rightAlt)
        held.push_back({VK_RMENU, 0, true, true});
    else if (alt)
        held.push_back({VK_LMENU, 0, true, false});
    if (mk & MK_CONTROL)
        held.push_back({VK_CONTROL, MK_CONTROL, false, false});
    if (mk & MK_SHIFT)
        held.push_back({VK_SHIFT, MK_SHIFT, false, false});
    WPARAM downMk = 0;
    bool downAlt = false;
    for (const Modifier& m : held) {
        downMk |= m.mk;
        downAlt = downAlt || m.alt;
        EXPECT_TRUE(SimulateFocusKey(true, m.vk, downMk, downAlt, m.rightAlt))
            << "modifier " << m.vk << " lost: no window has the keyboard focus";
    }
    EXPECT_TRUE(SimulateFocusKey(true, vk, mk, alt || rightAlt))
        << "key " << vk << " lost: no window has the keyboard focus";
    EXPECT_TRUE(SimulateFocusKey(false, vk, mk, alt || rightAlt))
        << "key " << vk << " release lost: no window has the keyboard focus";
    for (auto it = held.rbegin(); it != held.rend(); ++it) {
        downMk &= ~it->mk;
        if (it->alt)
            downAlt = false;
        SimulateFocusKey(false, it->vk, downMk, downAlt, it->rightAlt);
    }
    PumpPendingMessages();
}

// Types text where the focus is, then lets the posted messages run.
inline void TypeAtFocus(const std::wstring& text) {
    EXPECT_TRUE(SimulateFocusTyping(text)) << "typing lost: no window has the keyboard focus";
    PumpPendingMessages();
}
