#include "platform/printer.h"

#include <QPrinterInfo>
#include <QStringList>

std::wstring DefaultPrinterName() {
    return QPrinterInfo::defaultPrinterName().toStdWString();
}

std::vector<std::wstring> AvailablePrinterNames() {
    std::vector<std::wstring> names;
    for (const QString& n : QPrinterInfo::availablePrinterNames())
        names.push_back(n.toStdWString());
    return names;
}
