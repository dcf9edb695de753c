// Menu resources kept as data: a menu is a list of items, each a command
// with its text ("&" marks the mnemonic, "\t" starts the key shown at the
// right), a separator or a sub-menu. The main window's menus live in
// menus.cpp; an editor view keeps its context menus in a file of its own
// (resources/menus_<view>.cpp) as MenuResource constants and either builds
// them directly (BuildPopupMenu, platform/popup_menu.h) or registers them
// so that LoadMenuResource finds them by id.
#pragma once

#include <vector>

struct MenuItemResource {
    enum Kind { Command, Separator, SubMenu };
    Kind kind = Command;
    unsigned id = 0;
    const wchar_t* text = L"";
    std::vector<MenuItemResource> items; // sub-menu items
    // The bitmap resource shown beside the item (0: none).
    unsigned bitmap = 0;
};

struct MenuResource {
    unsigned id = 0;
    std::vector<MenuItemResource> items;
};

// Shorthands that keep menu tables one line per item.
inline MenuItemResource MenuCommand(unsigned id, const wchar_t* text, unsigned bitmap = 0) {
    return MenuItemResource{MenuItemResource::Command, id, text, {}, bitmap};
}
inline MenuItemResource MenuSeparator() {
    return MenuItemResource{MenuItemResource::Separator, 0, L"", {}, 0};
}
inline MenuItemResource MenuPopup(const wchar_t* text, std::vector<MenuItemResource> items) {
    return MenuItemResource{MenuItemResource::SubMenu, 0, text, std::move(items), 0};
}

// The menu of that id: the main window's own menus, then those registered;
// null when there is none.
const MenuResource* LoadMenuResource(unsigned id);
// Makes a menu findable by LoadMenuResource (a later registration of the
// same id wins). The menu must outlive the program's use of it.
void RegisterMenuResource(const MenuResource* menu);
