// The editor views register the makers of their views with the main window
// here, one line per kind; the program calls it at start-up and tests in
// their set-up.
#pragma once

void RegisterEditorViews();

// One view kind each.
void RegisterFootprintViews();
