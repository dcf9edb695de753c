// The "Directories" dialog: the default folders of projects, symbol
// libraries and footprint libraries, each typed or picked with the folder
// browser. The dialog only edits its three strings; the Directories command
// (settings_commands.h) stores them.
#pragma once

#include "platform/dialog.h"

#include <array>
#include <string>

// The three folders in their order in the dialog and the settings.
enum DirectoryKind : int {
    kProjectDirectory = 0,
    kSymbolLibDirectory = 1,
    kFootprintLibDirectory = 2,
};
constexpr int kDirectoryCount = 3;
using DirectorySet = std::array<std::wstring, kDirectoryCount>;

// The default folder of a kind: the user's Documents folder followed by
// "/Vorpel/Project/", "/Vorpel/Lib/Symbol/" or "/Vorpel/Lib/Footprint/".
std::wstring DefaultDirectory(int kind);

class CDirectories : public PlatformDialog {
public:
    enum ControlId : int {
        kProject = 1000,
        kSymbolLib = 1002,
        kFootprintLib = 1003,
        kBrowseProject = 1092,
        kBrowseSymbolLib = 1094,
        kBrowseFootprintLib = 1096,
        kRestoreDefaults = 1097,
    };
    static const DialogTemplate& Resource();

    explicit CDirectories(const DirectorySet& folders);
    ~CDirectories() override { DestroyWindow(); }

    bool DoDataExchange(bool save) override;

    DirectorySet m_folders;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Browse(int kind);
};
