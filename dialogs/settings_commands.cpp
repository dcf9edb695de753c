#include "dialogs/settings_commands.h"

#include "core/vorpel_view.h"
#include "dialogs/options.h"
#include "platform/desktop.h"
#include "platform/dialog.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/settings_store.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"

#ifndef VORPEL_HELP_DIR
#define VORPEL_HELP_DIR ""
#endif

namespace {
const wchar_t* const kDirectoryValues[kDirectoryCount] = {L"Project", L"Symbollib",
                                                          L"Footprintlib"};

// The text before the guide's path when no browser shows it.
constexpr unsigned kHelpNotShownText = 430;
} // namespace

int RunOptionsSheet(PlatformWindow* owner) {
    if (!owner)
        owner = GetActiveWindow();
    int result;
    {
        COptions sheet;
        result = sheet.DoModal(owner);
    }
    if (g_pActiveView && g_pActiveView->IsWindow())
        g_pActiveView->InvalidateRect(nullptr, true);
    return result;
}

bool RunDirectoriesDialog(PlatformWindow* owner, DirectorySet& folders) {
    if (!owner)
        owner = GetActiveWindow();
    CDirectories dialog(folders);
    if (dialog.DoModal(owner) != 1)
        return false;
    for (int k = 0; k < kDirectoryCount; ++k) {
        std::wstring& folder = dialog.m_folders[static_cast<size_t>(k)];
        // An empty entry has no folder to keep; it falls back to the default.
        if (folder.empty())
            folder = DefaultDirectory(k);
        else if (folder.back() != L'/' && folder.back() != L'\\')
            folder += L'/';
        folders[static_cast<size_t>(k)] = folder;
    }
    // When the key cannot be written the folders stay in force until the
    // program ends.
    SettingsKey key;
    if (key.Create(kDirectoriesKeyPath))
        for (int k = 0; k < kDirectoryCount; ++k)
            key.SetString(kDirectoryValues[k], folders[static_cast<size_t>(k)]);
    return true;
}

std::wstring StoredDirectory(int kind) {
    if (kind < 0 || kind >= kDirectoryCount)
        kind = kProjectDirectory;
    SettingsKey key;
    std::wstring value;
    if (!key.Open(kDirectoriesKeyPath) ||
        key.QueryString(kDirectoryValues[kind], &value) != SettingsResult::Ok)
        return DefaultDirectory(kind);
    value = value.substr(0, value.find(L'\0'));
    if (value.size() > 259)
        value.resize(259);
    return value;
}

std::wstring HelpGuidePath() {
    const std::wstring program = ExecutableFolder();
    const std::wstring candidates[] = {
        program + L"/help/index.html",
        program + L"/../share/vorpel/help/index.html",
        Utf8ToWide(VORPEL_HELP_DIR) + L"/index.html",
    };
    for (const std::wstring& path : candidates)
        if (FileExists(path))
            return path;
    return candidates[2];
}

void ShowHelp() {
    std::wstring path = HelpGuidePath();
    if (OpenFileWithDesktop(path))
        return;
    ShowMessageBox(LoadStringText(kHelpNotShownText) + L"\n" + path, LoadStringText(128),
                   MB_OK | MB_ICONINFORMATION);
}
