#include "shell/settings_commands.h"

void RunOptionsCommand() {}

void RunDirectoriesCommand() {}

void RunHelpCommand() {}
void RunPrintCommand() {}
