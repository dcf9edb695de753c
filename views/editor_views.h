// Registers the maker of each editor view kind with the main window, so that
// the trees open a node in its editor. Called once at start-up (and by tests
// in their set-up).
#pragma once

void RegisterEditorViews();

// One view kind each.
void RegisterFootprintViews();
