// The context menus of the left pane's trees, one per kind of node: the
// project (239), a block (240), a board (281), a sheet (242); the symbol
// library (244), a symbol folder (246), a symbol (248); the footprint
// library (284), a footprint folder (286), a footprint (288), a padstack
// folder (290) and a padstack (292).
#pragma once

#include "resources/menus.h"

// The menu of that id, null for an id that is no tree's.
const MenuResource* FindTreeMenu(unsigned id);
