#include "platform/application.h"

#include <QApplication>
#include <memory>

namespace {
std::unique_ptr<QApplication> g_app;
}

void PlatformInitApplication(int& argc, char** argv) {
    if (g_app || QCoreApplication::instance())
        return;
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
