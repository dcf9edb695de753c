#include "platform/monitors.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace {

MonitorsHook g_hook;

RECT ToRect(const QRect& r) {
    return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

} // namespace

std::vector<MonitorInfo> GetMonitors() {
    if (g_hook)
        return g_hook();
    std::vector<MonitorInfo> out;
    if (!QGuiApplication::instance())
        return out;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        out.push_back({ToRect(primary->geometry()), ToRect(primary->availableGeometry())});
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != primary)
            out.push_back({ToRect(screen->geometry()), ToRect(screen->availableGeometry())});
    return out;
}

void SetMonitorsHook(MonitorsHook hook) {
    g_hook = std::move(hook);
}
