// The program's one message loop: it delivers queued messages through the
// message filters (window.h), and whenever its queue runs empty it runs the
// registered idle handlers once - again only after a message other than
// mouse moves, paints and timers has arrived. Tests run the idle pass on
// demand with RunIdleHandlers.
#pragma once

class PlatformWindow;

class IdleHandler {
public:
    virtual ~IdleHandler() = default;
    // One idle pass; true asks for another pass while the queue stays empty.
    virtual bool OnIdle() = 0;
};

void AddIdleHandler(IdleHandler* handler);
void RemoveIdleHandler(IdleHandler* handler);
bool HasIdleHandler(const IdleHandler* handler);

// Calls every idle handler, oldest first, and repeats while one of them
// asks for more (at most a few rounds). What the loop does when it is idle.
void RunIdleHandlers();
// Whether a message that allows idle processing arrived since the last pass.
bool IsIdlePending();

// Runs the loop until PostQuitMessage; returns the code given to it.
int RunMessageLoop();
// Ends the running loop with the exit code (once the current message is done).
void PostQuitMessage(int exitCode);

// How long tests wait for the window system to do what was asked of it
// (show, expose, focus, activate): minutes, so that a busy machine is never
// taken for a window system that does not answer.
constexpr int kWindowSystemWaitMs = 5 * 60 * 1000;

// Processes events until the window has been painted once, or until
// timeoutMs milliseconds have passed; true when it was painted.
bool WaitForFirstPaint(PlatformWindow* window, int timeoutMs = 10000);
