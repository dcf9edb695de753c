// The board editor's own resources: its accelerator table (291) and its
// context menus: the component menu (304), the package-text menu (307) and
// the free-text menu (331), whose "Change Layer" sub-menu the view fills
// with the board's layers.
#pragma once

#include "platform/accelerator.h"
#include "resources/menus.h"

#include <vector>

constexpr unsigned IDR_BOARD_ACCELERATORS = 291;
constexpr unsigned IDR_MENU_BOARD_COMPONENT = 304;
constexpr unsigned IDR_MENU_BOARD_PACKAGE_TEXT = 307;
constexpr unsigned IDR_MENU_BOARD_FREE_TEXT = 331;

// Alt+B outline, Alt+C components, Alt+R routing, Alt+A areas, Alt+T texts,
// Alt+N pad numbers, Alt+G snap. (F1 stays with the main window's table.)
std::vector<Accelerator> BoardViewAccelerators();
const MenuResource& BoardComponentMenu();
const MenuResource& BoardPackageTextMenu();
// Its "Change Layer" sub-menu comes empty.
const MenuResource& BoardFreeTextMenu();
