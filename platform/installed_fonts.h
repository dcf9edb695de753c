// The family names of the fonts installed on the system, in the order the
// font database lists them.
#pragma once

#include <string>
#include <vector>

std::vector<std::wstring> InstalledFontFamilies();
