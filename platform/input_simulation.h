// Drives windows with real toolkit input events, as a user would, so that
// tests see the same messages the program receives. Each call delivers the
// event at once (no display is needed). The Simulate...(window, ...) calls
// hand the event to the window named; the focus calls below deliver keys as
// the window system does, to whatever has the keyboard focus, and the
// SimulateScreen... calls deliver mouse events as the window system does, to
// the window under a point of the screen.
#pragma once

#include "platform/messages.h"

#include <string>

class PlatformWindow;

// A mouse event standing for the given mouse message (WM_MOUSEMOVE,
// WM_LBUTTONDOWN/UP/DBLCLK, WM_RBUTTONDOWN/UP, WM_MBUTTONDOWN/UP) at a client
// point; mk holds the MK_ flags of the buttons and keys held with it.
void SimulateMouse(PlatformWindow* window, UINT mouseMessage, POINT client, WPARAM mk = 0);
// The mouse leaving the window (WM_MOUSELEAVE).
void SimulateMouseLeave(PlatformWindow* window);
// A wheel turn of delta (120 per notch) at a client point.
void SimulateWheel(PlatformWindow* window, POINT client, int delta, WPARAM mk = 0);
// The window the window system gives a mouse event at a screen point to:
// the window holding the mouse capture; while a button pressed through
// SimulateScreenMouse is held, the window that took the press; otherwise the
// window under the point, the topmost on the screen (a dialog or a popup
// over a view takes the event, a transparent control passes it to its
// parent). Null when no window of the program is there.
PlatformWindow* MouseTargetAt(POINT screen, WPARAM mk = 0);
// A mouse event (as for SimulateMouse) at a screen point, delivered to
// MouseTargetAt at its own client point; the window under the pointer before
// hears WM_MOUSELEAVE when the pointer moves on to another, and so do its
// parents up to the one that holds the new window (one whose child the
// pointer moves into hears nothing, as the toolkit has it). Answers the
// window that got it (null: the event was lost; the window may be gone by
// the time the call returns).
PlatformWindow* SimulateScreenMouse(UINT mouseMessage, POINT screen, WPARAM mk = 0);
// A wheel turn at a screen point, delivered the same way.
PlatformWindow* SimulateScreenWheel(POINT screen, int delta, WPARAM mk = 0);

// A key press or release of a virtual key, carrying no X key code (Shift on
// the digit row reports the symbol typed, as the toolkit does); text is what
// the key types (empty for keys that type nothing). mk may hold MK_SHIFT and
// MK_CONTROL; alt adds the Alt modifier; rightAlt says it came from the right
// Alt key.
void SimulateKey(PlatformWindow* window, bool down, int vk, const std::wstring& text = L"",
                 WPARAM mk = 0, bool alt = false, bool rightAlt = false);
// Presses and releases a key for every character of text.
void SimulateTyping(PlatformWindow* window, const std::wstring& text);

// The window that keys go to now: the one whose widget has the keyboard
// focus of the active window (null when no window of the program is active).
PlatformWindow* KeyboardFocusWindow();
// A key press or release delivered where the window system delivers it: to
// the focus of the active window, carrying what the key types on a US layout
// (Shift+1 types '!'). False when no window has the focus, so the key is
// lost.
bool SimulateFocusKey(bool down, int vk, WPARAM mk = 0, bool alt = false, bool rightAlt = false);
// Types text into whatever has the focus, character by character; false when
// a character found no focus.
bool SimulateFocusTyping(const std::wstring& text);
