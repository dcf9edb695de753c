// What the main frame's Options, Directories and View Help commands do,
// ready for the frame to call.
#pragma once

#include "dialogs/directories.h"

#include <string>

class PlatformWindow;

// Runs the Options sheet owned by owner (the active window when null). The
// pages store their settings themselves; afterwards the shown editor view,
// if any, repaints with them. Answers IDOK or IDCANCEL.
int RunOptionsSheet(PlatformWindow* owner);

// Runs the Directories dialog over owner (the active window when null) on
// copies of folders (project, symbol libraries, footprint libraries). On OK
// each folder gets a trailing '/' unless it ends in '/' or '\', an empty one
// becomes the default of its kind, the three are stored under
// "Software\Vorpel\Directories" as "Project", "Symbollib" and "Footprintlib"
// and copied back into folders; answers true. Cancel changes nothing.
bool RunDirectoriesDialog(PlatformWindow* owner, DirectorySet& folders);

// The settings key of the default folders.
inline constexpr const wchar_t* kDirectoriesKeyPath = L"Software\\Vorpel\\Directories";

// The folder of a kind as the settings hold it (at most 259 characters), or
// its default when none is stored. Reading creates no key.
std::wstring StoredDirectory(int kind);

// The program's user guide: next to the program in help/, or installed in
// share/vorpel/help/ beside its bin folder, else the one in the sources.
std::wstring HelpGuidePath();

// Opens the user guide in the desktop's web browser; where none can be
// started, a message box gives the guide's path.
void ShowHelp();
