// The main window's user-interface-state table as data: each command id
// whose enabled and checked state the idle update keeps, with the places it
// shows in (UPDUI_ flags of platform/update_ui.h).
#pragma once

#include <vector>

struct UiStateResourceEntry {
    int command;
    unsigned places;
};

const std::vector<UiStateResourceEntry>& MainFrameUiStateEntries();
