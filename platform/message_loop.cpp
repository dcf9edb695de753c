#include "platform/message_loop.h"

#include "platform/window.h"
#include "platform/window_impl.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include <algorithm>
#include <vector>

namespace {
std::vector<IdleHandler*> g_idleHandlers;
bool g_idlePending = true;
int g_exitCode = 0;
} // namespace

// Called by the window layer for every queued message it dispatches.
void NoteQueuedMessageForIdle(UINT msg) {
    if (msg != WM_MOUSEMOVE && msg != WM_PAINT && msg != WM_TIMER && msg != 0x0118)
        g_idlePending = true;
}

void AddIdleHandler(IdleHandler* handler) {
    if (handler && !HasIdleHandler(handler))
        g_idleHandlers.push_back(handler);
}

void RemoveIdleHandler(IdleHandler* handler) {
    g_idleHandlers.erase(std::remove(g_idleHandlers.begin(), g_idleHandlers.end(), handler),
                         g_idleHandlers.end());
}

bool HasIdleHandler(const IdleHandler* handler) {
    return std::find(g_idleHandlers.begin(), g_idleHandlers.end(), handler) != g_idleHandlers.end();
}

void RunIdleHandlers() {
    g_idlePending = false;
    // A handler may ask for another pass; a few rounds are enough for any
    // state to settle, and the loop must never spin here.
    for (int round = 0; round < 4; ++round) {
        bool more = false;
        std::vector<IdleHandler*> handlers = g_idleHandlers;
        for (IdleHandler* h : handlers)
            if (HasIdleHandler(h) && h->OnIdle())
                more = true;
        if (!more)
            break;
    }
}

bool IsIdlePending() {
    return g_idlePending;
}

int RunMessageLoop() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return 0;
    g_exitCode = 0;
    QAbstractEventDispatcher* dispatcher =
        QAbstractEventDispatcher::instance(QThread::currentThread());
    QMetaObject::Connection idle;
    if (dispatcher)
        idle = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [] {
            if (g_idlePending)
                RunIdleHandlers();
        });
    int code = QCoreApplication::exec();
    if (dispatcher)
        QObject::disconnect(idle);
    return code;
}

void PostQuitMessage(int exitCode) {
    g_exitCode = exitCode;
    QCoreApplication::exit(exitCode);
}

bool WaitForFirstPaint(PlatformWindow* window, int timeoutMs) {
    if (!window || !window->IsWindow())
        return false;
    QElapsedTimer timer;
    timer.start();
    while (!window->HasBeenPainted() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!window->IsWindow())
            return false;
    }
    return window->HasBeenPainted();
}
