// Font faces. Documents and settings name Windows faces ("Tahoma", "Arial",
// ...); this one table maps them to installed free faces. Files keep the
// names as written; only drawing and measuring use the substitute.
#pragma once

#include <string>
#include <vector>

// The installed family to use for a face name: the name itself when that
// family is installed, else its substitute when that one is installed, else
// an empty string (the face is missing).
std::wstring ResolveFontFamily(const std::wstring& faceName);

// True when ResolveFontFamily finds a family for the name.
bool IsFontFamilyAvailable(const std::wstring& faceName);

// The installed font families, sorted, plus the Windows faces of the table
// whose substitute is installed.
std::vector<std::wstring> ListFontFamilies();
