// What the two library browsers share: their folder paths, the library files
// of a folder, and stored list indexes read back safely.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ListBoxControl;

namespace LibraryFiles {
// The path with a trailing '/' (a '\' counts as one too).
std::wstring FolderPath(const std::wstring& path);
// The names of the regular files (or links to them; no folders, FIFOs or
// devices) of the folder whose names end in extension (".footprint"),
// compared case-insensitively; sorted by name. None when the folder cannot
// be read.
std::vector<std::wstring> FilesIn(const std::wstring& folder, const std::wstring& extension);
// A stored index into a list of count entries; -1 (none) when it lies
// outside the list, as the stored "none" 0xFFFFFFFF does.
int StoredIndex(uint32_t stored, int count);
// The index as stored: none as 0xFFFFFFFF.
uint32_t IndexToStore(int index);
// The entry of the list that is exactly the text (paths: case counts), -1
// for none.
int FindEntry(const ListBoxControl& list, const std::wstring& text);
} // namespace LibraryFiles
