#include "platform/installed_fonts.h"

#include <QFontDatabase>
#include <QStringList>

std::vector<std::wstring> InstalledFontFamilies() {
    std::vector<std::wstring> names;
    for (const QString& family : QFontDatabase::families())
        names.push_back(family.toStdWString());
    return names;
}
