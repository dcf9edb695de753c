// The context menus and accelerator tables of the footprint and padstack
// editors, kept as data.
#pragma once

#include "resources/accelerators.h"
#include "resources/menus.h"

#include <vector>

// Ids of the menus and tables.
constexpr unsigned IDR_MENU_FOOTPRINT_PADS = 296;
constexpr unsigned IDR_MENU_TRANSFORM = 299;
constexpr unsigned IDR_MENU_PRIMITIVES = 310;
constexpr unsigned IDR_MENU_PAD_LAYER = 327;
constexpr unsigned IDR_ACCEL_FOOTPRINT = 237;
constexpr unsigned IDR_ACCEL_PADSTACK = 295;

// The commands of the pad-layer menu: copy to Top, Bottom, Inner, Plane,
// then move to them.
constexpr int ID_PAD_LAYER_COPY_FIRST = 33092;
constexpr int ID_PAD_LAYER_MOVE_FIRST = 33096;

// The menu of that id (one of the four above), or null.
const MenuResource* LoadFootprintViewMenu(unsigned id);
// The accelerator table of the footprint (237) or padstack (295) editor;
// empty for another id.
const std::vector<AcceleratorResourceEntry>& FootprintViewAccelerators(unsigned id);
