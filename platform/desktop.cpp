#include "platform/desktop.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace {
OpenFileHook g_hook;
} // namespace

OpenFileHook SetOpenFileHook(OpenFileHook hook) {
    OpenFileHook previous = std::move(g_hook);
    g_hook = std::move(hook);
    return previous;
}

bool OpenFileWithDesktop(const std::wstring& path) {
    if (g_hook)
        return g_hook(path);
    QString platform = QGuiApplication::platformName();
    // Without a desktop nothing can be started.
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdWString(path)));
}
