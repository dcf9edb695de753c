// Colour palettes in INI files, to carry colours between installations: one
// section per palette ("SchColor": the nine schematic colours, "BrdColor":
// the 38 board colours), each colour under its settings value name as a
// decimal COLORREF ("ColorBkg=16777210"). A file may hold both sections.
#pragma once

#include <string>
#include <vector>

class DefaultSettings;

inline constexpr const wchar_t* kSchematicPaletteSection = L"SchColor";
inline constexpr const wchar_t* kBoardPaletteSection = L"BrdColor";

// Reads the section's colours into settings, key by key in the order of
// names; a key missing from the file leaves its colour as it is. A file that
// cannot be read changes nothing.
void LoadPalette(const std::wstring& path, const std::wstring& section,
                 const std::vector<std::wstring>& names, DefaultSettings& settings);

// Writes every colour of names into the section, keeping the rest of the
// file; the file is created when missing. False when an existing file cannot
// be read (it is left alone) or the file cannot be written.
bool SavePalette(const std::wstring& path, const std::wstring& section,
                 const std::vector<std::wstring>& names, const DefaultSettings& settings);
