// Printers: the name of the system's default printer, through the print
// system (empty when there is none).
#pragma once

#include <string>
#include <vector>

std::wstring DefaultPrinterName();
std::vector<std::wstring> AvailablePrinterNames();
