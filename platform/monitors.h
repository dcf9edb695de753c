// The monitors of the desktop: each one's whole area and its work area (the
// part not taken by panels and docks), in screen pixels. Tests stand in a
// layout of their own through a hook.
#pragma once

#include "platform/types.h"

#include <functional>
#include <vector>

struct MonitorInfo {
    RECT monitor; // right and bottom exclusive
    RECT work;
};

// The monitors, the primary one first; empty when the platform has none.
std::vector<MonitorInfo> GetMonitors();

// Answers GetMonitors instead of the platform (tests); an empty function
// restores the platform's answer.
using MonitorsHook = std::function<std::vector<MonitorInfo>()>;
void SetMonitorsHook(MonitorsHook hook);
