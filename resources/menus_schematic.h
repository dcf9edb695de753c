// The schematic editor's context menus (329 for a single wire, 266 for any
// other selection) and its accelerator table (303: Alt+P, Alt+W, Alt+B and
// Alt+T choose the tools, F1 the help).
#pragma once

#include "platform/accelerator.h"
#include "resources/menus.h"

const MenuResource& SchematicWireMenu();
const MenuResource& SchematicObjectMenu();
AcceleratorTable SchematicAccelerators();
