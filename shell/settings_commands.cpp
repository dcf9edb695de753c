#include "shell/settings_commands.h"

#include "dialogs/settings_commands.h"
#include "platform/dialog.h"
#include "shell/main_frame.h"

void RunOptionsCommand() {
    RunOptionsSheet(GetActiveWindow());
}

void RunDirectoriesCommand() {
    DirectorySet folders;
    for (int kind = 0; kind < kDirectoryCount; ++kind)
        folders[static_cast<size_t>(kind)] = g_MainFrame.GetDefaultFolder(kind);
    if (!RunDirectoriesDialog(GetActiveWindow(), folders))
        return;
    for (int kind = 0; kind < kDirectoryCount; ++kind)
        g_MainFrame.SetDefaultFolder(kind, folders[static_cast<size_t>(kind)]);
}

void RunHelpCommand() {
    ShowHelp();
}

void RunPrintCommand() {}
