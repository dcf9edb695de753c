// The Options, Directories and Help commands of the main window. The
// dialogs they open come with the options sheet and the directories
// dialog; until then the commands do nothing.
#pragma once

// "Options": the options sheet; afterwards the shown view repaints.
void RunOptionsCommand();
// "Directories": the three default folders; on OK they are stored.
void RunDirectoriesCommand();
// "View Help".
void RunHelpCommand();
// "Print": prints the shown view (comes with printing).
void RunPrintCommand();
