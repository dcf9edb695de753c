#include "platform/folders.h"

#include "platform/file.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QString>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {

// A variable that is set and not empty.
bool GetEnv(const char* name, std::string& value) {
    const char* v = std::getenv(name);
    if (!v || !*v)
        return false;
    value = v;
    return true;
}

std::string HomeFolder() {
    std::string home;
    if (GetEnv("HOME", home))
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/tmp";
}

std::wstring WithoutTrailingSlash(std::wstring path) {
    while (path.size() > 1 && path.back() == L'/')
        path.pop_back();
    return path;
}

} // namespace

std::wstring DocumentsFolder() {
    std::string value;
    if (GetEnv("VORPEL_DOCUMENTS_HOME", value) && value[0] == '/')
        return WithoutTrailingSlash(PathFromNative(value));
    QString location = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!location.isEmpty() && location.startsWith(QLatin1Char('/')))
        return WithoutTrailingSlash(location.toStdWString());
    return WithoutTrailingSlash(PathFromNative(HomeFolder() + "/Documents"));
}

std::wstring ConfigFolder() {
    std::string value;
    if (GetEnv("VORPEL_CONFIG_HOME", value))
        return WithoutTrailingSlash(PathFromNative(value));
    if (GetEnv("XDG_CONFIG_HOME", value) && value[0] == '/')
        return WithoutTrailingSlash(PathFromNative(value + "/vorpel"));
    return WithoutTrailingSlash(PathFromNative(HomeFolder() + "/.config/vorpel"));
}

std::wstring TempFolder() {
    std::string value;
    if (GetEnv("TMPDIR", value) && value[0] == '/')
        return WithoutTrailingSlash(PathFromNative(value));
    return L"/tmp";
}

std::wstring ExecutableFolder() {
    if (QCoreApplication::instance()) {
        QString dir = QCoreApplication::applicationDirPath();
        if (!dir.isEmpty())
            return WithoutTrailingSlash(dir.toStdWString());
    }
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return L"/";
    buffer[n] = 0;
    return PathDirectory(PathFromNative(buffer));
}
