// Test helper: the mouse as a user moves it. A gesture aimed at a window's
// client point goes to that point of the screen, and from there where the
// window system sends it: to the window holding the capture, to the window a
// held button was pressed on, or else to the topmost window under the
// pointer, which need not be the window aimed at (a dialog or a popup lying
// over it takes the press). SimulateMouse(window, ...) stays for the tests
// that must reach one window whatever covers it.
#pragma once

#include "platform/input_simulation.h"
#include "platform/window.h"

#include <gtest/gtest.h>

// The event at the screen point under the window's client point; answers the
// window that got it. A point outside the client area that nothing holds
// for the window (no capture, no press) is out of the pointer's reach on
// this screen: the tests aim there at model points a user would first
// scroll into sight, so it goes to the window named.
inline PlatformWindow* MouseAt(PlatformWindow* w, UINT mouseMessage, POINT client, WPARAM mk = 0) {
    EXPECT_NE(w, nullptr);
    if (!w)
        return nullptr;
    const POINT screen = w->ClientToScreen(client);
    const RECT rc = w->GetClientRect();
    const bool inside =
        client.x >= rc.left && client.x < rc.right && client.y >= rc.top && client.y < rc.bottom;
    if (!inside && MouseTargetAt(screen, mk) != w) {
        SimulateMouse(w, mouseMessage, client, mk);
        return w;
    }
    return SimulateScreenMouse(mouseMessage, screen, mk);
}

// A double-click as the window system delivers it: a click, then the second
// press followed by the double-click message, then the release.
inline void DoubleClickAt(PlatformWindow* w, POINT client, WPARAM mk = 0) {
    MouseAt(w, WM_LBUTTONDOWN, client, mk | MK_LBUTTON);
    MouseAt(w, WM_LBUTTONUP, client, mk);
    MouseAt(w, WM_LBUTTONDOWN, client, mk | MK_LBUTTON);
    MouseAt(w, WM_LBUTTONDBLCLK, client, mk | MK_LBUTTON);
    MouseAt(w, WM_LBUTTONUP, client, mk);
}
