#include "dialogs/directories.h"

#include "platform/folder_dialog.h"
#include "platform/folders.h"

namespace {
constexpr int kEditIds[kDirectoryCount] = {CDirectories::kProject, CDirectories::kSymbolLib,
                                           CDirectories::kFootprintLib};
} // namespace

std::wstring DefaultDirectory(int kind) {
    static const wchar_t* const kTails[kDirectoryCount] = {
        L"/Vorpel/Project/", L"/Vorpel/Lib/Symbol/", L"/Vorpel/Lib/Footprint/"};
    if (kind < 0 || kind >= kDirectoryCount)
        kind = kProjectDirectory;
    return DocumentsFolder() + kTails[kind];
}

const DialogTemplate& CDirectories::Resource() {
    static const DialogTemplate t{
        252,
        L"Directories",
        300,
        124,
        false,
        {
            DlgStatic(IDC_STATIC, L"Project directory:", 7, 7, 200, 8),
            DlgEdit(kProject, 7, 17, 264, 12),
            DlgButton(kBrowseProject, L"...", 274, 16, 19, 14),
            DlgGroupBox(L"Custom libraries", 7, 35, 286, 64),
            DlgStatic(IDC_STATIC, L"Schematic symbols directory:", 14, 46, 200, 8),
            DlgEdit(kSymbolLib, 14, 56, 250, 12, WS_TABSTOP | WS_GROUP),
            DlgButton(kBrowseSymbolLib, L"...", 267, 55, 19, 14),
            DlgStatic(IDC_STATIC, L"Footprints directory:", 14, 71, 200, 8),
            DlgEdit(kFootprintLib, 14, 81, 250, 12),
            DlgButton(kBrowseFootprintLib, L"...", 267, 80, 19, 14),
            DlgButton(kRestoreDefaults, L"Restore Defaults", 7, 104, 70, 14, WS_TABSTOP | WS_GROUP),
            DlgDefButton(1, L"OK", 189, 104, 50, 14),
            DlgButton(2, L"Cancel", 243, 104, 50, 14),
        },
    };
    return t;
}

CDirectories::CDirectories(const DirectorySet& folders)
    : PlatformDialog(Resource()), m_folders(folders) {}

bool CDirectories::DoDataExchange(bool save) {
    for (int k = 0; k < kDirectoryCount; ++k)
        if (!DDX_Text(kEditIds[k], m_folders[static_cast<size_t>(k)], save))
            return false;
    return true;
}

void CDirectories::Browse(int kind) {
    // The browser starts at what the row shows now.
    std::wstring& folder = m_folders[static_cast<size_t>(kind)];
    DDX_Text(kEditIds[kind], folder, true);
    FolderDialogRequest request;
    request.owner = this;
    request.folder = folder;
    auto life = LifeToken();
    if (!BrowseForFolder(&request) || !*life)
        return;
    folder = request.folder;
    DDX_Text(kEditIds[kind], folder, false);
}

bool CDirectories::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        CenterWindow();
        UpdateData(false);
        result = 1;
        return true;
    }
    if (msg != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (static_cast<int>(LOWORD(wParam))) {
    case kBrowseProject:
        Browse(kProjectDirectory);
        break;
    case kBrowseSymbolLib:
        Browse(kSymbolLibDirectory);
        break;
    case kBrowseFootprintLib:
        Browse(kFootprintLibDirectory);
        break;
    case kRestoreDefaults:
        for (int k = 0; k < kDirectoryCount; ++k)
            m_folders[static_cast<size_t>(k)] = DefaultDirectory(k);
        UpdateData(false);
        break;
    case 1:
    case 2: {
        int id = static_cast<int>(LOWORD(wParam));
        UpdateData(true);
        EndDialog(id);
        break;
    }
    default:
        return false;
    }
    result = 0;
    return true;
}
