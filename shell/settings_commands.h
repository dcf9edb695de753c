// The Options, Directories, Help and Print commands of the main window.
#pragma once

// "Options": the options sheet; the pages store their settings themselves.
void RunOptionsCommand();
// "Directories": the three default folders; on OK they are stored and the
// frame takes them.
void RunDirectoriesCommand();
// "View Help": the user guide.
void RunHelpCommand();
// "Print": prints the shown view (comes with printing).
void RunPrintCommand();
