#include "dialogs/library_files.h"

#include "platform/file.h"
#include "platform/list_box_control.h"

#include <cwctype>

namespace LibraryFiles {

std::wstring FolderPath(const std::wstring& path) {
    if (!path.empty() && (path.back() == L'/' || path.back() == L'\\'))
        return path;
    return path + L"/";
}

namespace {
bool EndsWithNoCase(const std::wstring& name, const std::wstring& end) {
    if (name.size() <= end.size())
        return false;
    for (size_t i = 0; i < end.size(); ++i)
        if (std::towlower(name[name.size() - end.size() + i]) != std::towlower(end[i]))
            return false;
    return true;
}
} // namespace

std::vector<std::wstring> FilesIn(const std::wstring& folder, const std::wstring& extension) {
    std::vector<std::wstring> files;
    const std::wstring base = FolderPath(folder);
    for (const std::wstring& name : ListDirectory(base))
        if (EndsWithNoCase(name, extension) && FileExists(base + name))
            files.push_back(name);
    return files;
}

int StoredIndex(uint32_t stored, int count) {
    return stored < static_cast<uint32_t>(count > 0 ? count : 0) ? static_cast<int>(stored) : -1;
}

uint32_t IndexToStore(int index) {
    return index < 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(index);
}

int FindEntry(const ListBoxControl& list, const std::wstring& text) {
    for (int i = 0; i < list.GetCount(); ++i)
        if (list.GetText(i) == text)
            return i;
    return -1;
}

} // namespace LibraryFiles
