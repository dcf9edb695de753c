#include "platform/application.h"

#include <QApplication>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::unique_ptr<QApplication> g_app;

// Without a login session (a bare X server, a root shell) there is no
// XDG_RUNTIME_DIR. Qt then falls back to /tmp/runtime-<user> but says so on
// standard error at every start; make the same private folder ourselves so
// that a normal run prints nothing.
void EnsureRuntimeFolder() {
    const char* current = std::getenv("XDG_RUNTIME_DIR");
    if (current && *current)
        return;
    const std::string folder = "/tmp/runtime-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return;
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
        return;
    if ((st.st_mode & 0777) != 0700 && chmod(folder.c_str(), 0700) != 0)
        return;
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
}
} // namespace

void PlatformSteadyCarets() {
    QApplication::setCursorFlashTime(0);
}

void PlatformInitApplication(int& argc, char** argv) {
    if (g_app || QCoreApplication::instance())
        return;
    EnsureRuntimeFolder();
    g_app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vorpel"));
    QCoreApplication::setApplicationName(QStringLiteral("Vorpel"));
}

void PlatformShutdownApplication() {
    // Widgets of windows destroyed inside their own event handlers are
    // deleted later; delete them before the application object goes.
    if (g_app)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    g_app.reset();
}

bool PlatformIsInitialised() {
    return QCoreApplication::instance() != nullptr;
}

int PlatformRunEventLoop() {
    return QCoreApplication::instance() ? QCoreApplication::exec() : 0;
}

void PlatformQuit(int exitCode) {
    if (QCoreApplication::instance())
        QCoreApplication::exit(exitCode);
}
