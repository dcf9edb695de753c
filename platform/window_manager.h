// The desktop's window manager, seen from the program: whether one runs, and
// for tests, the requests a user makes through it (its title-bar buttons and
// frame) and the frame it puts around a window.
#pragma once

#include "platform/message_loop.h"
#include "platform/types.h"

#include <functional>

class PlatformWindow;

// True while a window manager runs on the display (one that announces itself
// as the desktop standards ask); false on a bare X server and off X.
bool WindowManagerRunning();

// --- For tests. ----------------------------------------------------------------
// Asks the window manager to restore a maximised top-level window to its
// normal size, as its title-bar button does.
void RequestRestoreFromWindowManager(PlatformWindow* topLevel);
// Asks the window manager to give a top-level window another size, as a drag
// on its frame does; it may refuse or bound the size.
void RequestResizeFromWindowManager(PlatformWindow* topLevel, SIZE size);
// The window's frame on the screen with what the window manager draws
// around it (title bar, borders); the window itself without one.
RECT FrameOnScreen(const PlatformWindow& topLevel);
// Asks for a top-level window to become the active one, with the X server's
// keyboard focus, as a click on its title does: through the window manager
// where one runs, else of the server itself.
void RequestActivationFromWindowManager(PlatformWindow* topLevel);
// True while the X server's keyboard focus lies in the top-level window, so
// that keys typed on the server's keyboard reach it.
bool HasServerFocus(const PlatformWindow& topLevel);
// Processes the events of the window system until done answers true or
// timeoutMs have passed (minutes by default); answers done's last answer.
bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs = kWindowSystemWaitMs);
