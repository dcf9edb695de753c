// The symbol editor's own resources: its context menu (269: mirror, rotate,
// copy, cut and paste of drawing primitives) and its accelerator table
// (298: Alt and a letter pick a tool).
#pragma once

#include "resources/accelerators.h"
#include "resources/menus.h"

#include <vector>

// Commands of the context menu besides the Edit ones.
constexpr unsigned ID_SYM_MIRROR_VERTICALLY = 32860;
constexpr unsigned ID_SYM_MIRROR_HORIZONTALLY = 32861;
constexpr unsigned ID_SYM_ROTATE = 32862;

constexpr unsigned IDR_MENU_SYMBOL_VIEW = 269;
constexpr unsigned IDR_ACCEL_SYMBOL_VIEW = 298;

// Menu 269; its first sub-menu is the one shown.
const MenuResource& SymbolViewMenu();
const std::vector<AcceleratorResourceEntry>& SymbolViewAccelerators();
