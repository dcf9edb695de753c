// The footprint of a package looked up by name in the footprint library
// files on disk: the folders of the footprint browser's list, each searched
// with its subfolders. Every lookup reads the files afresh.
#include "board/footprint.h"
#include "core/node_type.h"
#include "core/root.h"
#include "core/vorpel_view.h"
#include "core/xml_file.h"
#include "platform/file.h"
#include "platform/settings_store.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "shell/main_frame.h"

#include <algorithm>
#include <cwctype>

namespace {
constexpr wchar_t kLibrariesKey[] = L"Software\\Vorpel\\Footprint Libraries";
constexpr unsigned kCaptionId = 128;  // "Vorpel"
constexpr unsigned kNotFoundId = 343; // "Footprint not found"
// Folder names as long as this or longer are not searched.
constexpr std::size_t kMaxPath = 260;

bool SameNameNoCase(const std::wstring& a, const wchar_t* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    return i == a.size() && !b[i];
}

std::wstring WithSeparator(const std::wstring& folder) {
    return folder.empty() || folder.back() == L'/' ? folder : folder + L'/';
}
} // namespace

std::vector<std::wstring> CMainFrame::FootprintLibraryFolders() const {
    SettingsKey key;
    if (!key.Open(kLibrariesKey))
        return {GetDefaultFolder(kDocumentFootprintLibrary),
                WithSeparator(m_programFolder) + L"Lib/Footprint/"};
    // Each number value names a folder by its name and gives its place in
    // the list. A place beyond the number of folders is no place (the value
    // is ignored), and so is a name too long to be a folder.
    struct Entry {
        std::wstring folder;
        uint32_t place;
    };
    std::vector<Entry> entries;
    for (const std::wstring& name : key.ValueNames()) {
        if (SameNameNoCase(name, L"LastDir") || SameNameNoCase(name, L"LastLib") ||
            name.size() >= kMaxPath)
            continue;
        uint32_t place = 0;
        if (key.QueryNumber(name, &place) != SettingsResult::Ok)
            continue;
        entries.push_back({name, place});
    }
    std::vector<std::wstring> folders(entries.size());
    for (const Entry& e : entries)
        if (e.place < folders.size())
            folders[e.place] = e.folder;
    folders.erase(std::remove(folders.begin(), folders.end(), std::wstring()), folders.end());
    return folders;
}

CTreeNode* CMainFrame::FindLibraryFootprint(const std::wstring& name) {
    std::unordered_set<std::wstring> seen;
    for (const std::wstring& folder : FootprintLibraryFolders())
        if (CTreeNode* footprint = ScanFolder(folder, name, seen))
            return footprint;
    ShowMessageBox(LoadStringText(kNotFoundId), LoadStringText(kCaptionId), MB_OK | MB_ICONWARNING);
    return nullptr;
}

CTreeNode* CMainFrame::ScanFootprintFolder(const std::wstring& folder, const std::wstring& name) {
    std::unordered_set<std::wstring> seen;
    return ScanFolder(folder, name, seen);
}

CTreeNode* CMainFrame::ScanFolder(const std::wstring& folder, const std::wstring& name,
                                  std::unordered_set<std::wstring>& seen) {
    if (folder.empty() || folder.size() >= kMaxPath)
        return nullptr;
    // Each folder and file is searched once, however many links lead to it:
    // a link back into a folder being searched would lead round for ever,
    // and links between folders would make ever more paths to the same ones
    // (two links a level, 2^n paths n levels down).
    const std::wstring canonical = CanonicalPath(folder);
    if (canonical.empty() || !seen.insert(canonical).second)
        return nullptr;
    const std::wstring base = WithSeparator(folder);
    CTreeNode* found = nullptr;
    for (const std::wstring& entry : ListDirectory(folder)) {
        const std::wstring path = base + entry;
        if (DirectoryExists(path)) {
            found = ScanFolder(path + L'/', name, seen);
        } else if (FileExists(path)) {
            const std::wstring real = CanonicalPath(path);
            if (real.empty() || !seen.insert(real).second)
                continue;
            // A file that cannot be read, or holds no footprint library,
            // gives nothing: nothing read from it is looked at.
            CRoot library;
            library.SetRootTag(L"FootprintLib");
            CXmlFile file(&library);
            if (!file.Load(path.c_str()))
                continue;
            if (CTreeNode* footprint = FindFootprintInNode(&library, name)) {
                auto* copy = static_cast<CFootprint*>(footprint->Clone());
                copy->m_unit = 1;
                copy->m_gridX = 0;
                copy->m_gridY = 0;
                copy->WriteAttributes();
                found = copy;
            }
        }
        if (found)
            break;
    }
    return found;
}

CTreeNode* CMainFrame::FindFootprintInNode(CTreeNode* node, const std::wstring& name) {
    if (!node)
        return nullptr;
    for (CTreeNode* child : node->GetChildren()) {
        if (child->GetType() == NodeType::Footprint && child->GetText() == name)
            return child;
        if (std::wstring_view(child->GetTagName()) == L"FootprintFolder")
            if (CTreeNode* found = FindFootprintInNode(child, name))
                return found;
    }
    return nullptr;
}
