#include "resources/menus_trees.h"

#include "resources/command_ids.h"

#include <iterator>

namespace {

MenuItemResource Cut() {
    return MenuCommand(ID_EDIT_CUT, L"Cu&t");
}
MenuItemResource Copy() {
    return MenuCommand(ID_EDIT_COPY, L"&Copy");
}
MenuItemResource Paste() {
    return MenuCommand(ID_EDIT_PASTE, L"&Paste");
}
MenuItemResource SaveAsFile() {
    return MenuCommand(ID_TREE_SAVE_AS_FILE, L"Save As &File...");
}
MenuItemResource PasteFromFile() {
    return MenuCommand(ID_TREE_PASTE_FROM_FILE, L"Paste From F&ile...");
}
MenuItemResource AddFootprint() {
    return MenuPopup(L"Add New Footp&rint", {
                                                MenuCommand(ID_FPL_ADD_FOOTPRINT, L"&Custom"),
                                                MenuCommand(ID_FPL_ADD_SOIC, L"&SOIC"),
                                                MenuCommand(ID_FPL_ADD_QFP, L"&QFP"),
                                                MenuCommand(ID_FPL_ADD_BGA, L"&BGA"),
                                                MenuCommand(ID_FPL_ADD_DIP, L"&DIP"),
                                            });
}

const MenuResource kProject = {IDR_MENU_PROJECT,
                               {
                                   MenuCommand(ID_PRJ_ADD_BLOCK, L"Add New &Block"),
                                   MenuCommand(ID_PRJ_ADD_BOARD, L"Add New Boa&rd"),
                                   MenuSeparator(),
                                   Paste(),
                                   PasteFromFile(),
                                   MenuSeparator(),
                                   SaveAsFile(),
                                   MenuCommand(ID_TREE_RENAME, L"Re&name Project"),
                               }};

const MenuResource kBlock = {IDR_MENU_BLOCK,
                             {
                                 MenuCommand(ID_PRJ_ADD_BLOCK, L"Add New &Block"),
                                 MenuCommand(ID_PRJ_ADD_BOARD, L"Add New Boa&rd"),
                                 MenuSeparator(),
                                 Cut(),
                                 Copy(),
                                 Paste(),
                                 PasteFromFile(),
                                 MenuSeparator(),
                                 SaveAsFile(),
                                 MenuCommand(ID_TREE_RENAME, L"Re&name Block"),
                                 MenuCommand(ID_PRJ_DELETE_BLOCK, L"&Delete Block"),
                             }};

const MenuResource kBoard = {
    IDR_MENU_BOARD,
    {
        MenuCommand(ID_PRJ_ADD_SHEET, L"Add New &Sheet"),
        MenuSeparator(),
        Cut(),
        Copy(),
        Paste(),
        PasteFromFile(),
        MenuSeparator(),
        MenuCommand(ID_PRJ_BOARD_PROPERTIES, L"&Board properties..."),
        MenuCommand(ID_PRJ_STACKUP, L"St&ackup..."),
        MenuCommand(ID_PRJ_DRILL_TABLE, L"Dri&ll table..."),
        MenuCommand(ID_PRJ_BILL_OF_MATERIALS, L"Bill of &materials"),
        MenuPopup(L"Con&vert to CAM files", {MenuCommand(ID_PRJ_GERBER, L"&Gerber...")}),
        MenuSeparator(),
        SaveAsFile(),
        MenuCommand(ID_TREE_RENAME, L"Re&name Board"),
        MenuCommand(ID_PRJ_DELETE_BOARD, L"&Delete Board"),
    }};

const MenuResource kSheet = {IDR_MENU_SHEET,
                             {
                                 Cut(),
                                 Copy(),
                                 Paste(),
                                 MenuSeparator(),
                                 SaveAsFile(),
                                 MenuCommand(ID_TREE_RENAME, L"Re&name Sheet"),
                                 MenuCommand(ID_PRJ_DELETE_SHEET, L"&Delete Sheet"),
                             }};

const MenuResource kSymbolLibrary = {IDR_MENU_SYMBOL_LIBRARY,
                                     {
                                         MenuCommand(ID_SYM_ADD_FOLDER, L"Add New F&older"),
                                         MenuCommand(ID_SYM_ADD_SYMBOL, L"Add New &Symbol"),
                                         MenuSeparator(),
                                         Paste(),
                                         PasteFromFile(),
                                         MenuSeparator(),
                                         SaveAsFile(),
                                         MenuCommand(ID_TREE_RENAME, L"Re&name Library"),
                                     }};

const MenuResource kSymbolFolder = {IDR_MENU_SYMBOL_FOLDER,
                                    {
                                        MenuCommand(ID_SYM_ADD_FOLDER, L"Add New F&older"),
                                        MenuCommand(ID_SYM_ADD_SYMBOL, L"Add New &Symbol"),
                                        MenuSeparator(),
                                        Cut(),
                                        Copy(),
                                        Paste(),
                                        PasteFromFile(),
                                        MenuSeparator(),
                                        SaveAsFile(),
                                        MenuCommand(ID_TREE_RENAME, L"Re&name Folder"),
                                        MenuCommand(ID_LIB_DELETE_FOLDER, L"&Delete Folder"),
                                    }};

const MenuResource kSymbol = {IDR_MENU_SYMBOL,
                              {
                                  Cut(),
                                  Copy(),
                                  Paste(),
                                  PasteFromFile(),
                                  MenuSeparator(),
                                  SaveAsFile(),
                                  MenuCommand(ID_TREE_RENAME, L"Re&name Symbol"),
                                  MenuCommand(ID_SYM_DELETE_SYMBOL, L"&Delete Symbol"),
                              }};

const MenuResource kFootprintLibrary = {
    IDR_MENU_FOOTPRINT_LIBRARY,
    {
        MenuCommand(ID_FPL_ADD_FOOTPRINT_FOLDER, L"Add New F&ootprint Folder"),
        MenuCommand(ID_FPL_ADD_PADSTACK_FOLDER, L"Add New P&adstack Folder"),
        AddFootprint(),
        MenuCommand(ID_FPL_ADD_PADSTACK, L"Add New Pad&stack"),
        MenuSeparator(),
        Paste(),
        PasteFromFile(),
        MenuSeparator(),
        SaveAsFile(),
        MenuCommand(ID_TREE_RENAME, L"Re&name Library"),
    }};

const MenuResource kFootprintFolder = {
    IDR_MENU_FOOTPRINT_FOLDER,
    {
        MenuCommand(ID_FPL_ADD_FOOTPRINT_FOLDER, L"Add New F&older"),
        AddFootprint(),
        MenuSeparator(),
        Cut(),
        Copy(),
        Paste(),
        PasteFromFile(),
        MenuSeparator(),
        SaveAsFile(),
        MenuCommand(ID_TREE_RENAME, L"Re&name Folder"),
        MenuCommand(ID_LIB_DELETE_FOLDER, L"&Delete Folder"),
    }};

const MenuResource kPadstackFolder = {
    IDR_MENU_PADSTACK_FOLDER,
    {
        MenuCommand(ID_FPL_ADD_PADSTACK_FOLDER, L"Add New F&older"),
        MenuCommand(ID_FPL_ADD_PADSTACK, L"Add New Pad&stack"),
        MenuSeparator(),
        Cut(),
        Copy(),
        Paste(),
        PasteFromFile(),
        MenuSeparator(),
        SaveAsFile(),
        MenuCommand(ID_TREE_RENAME, L"Re&name Folder"),
        MenuCommand(ID_LIB_DELETE_FOLDER, L"&Delete Folder"),
    }};

const MenuResource kFootprint = {IDR_MENU_FOOTPRINT,
                                 {
                                     Cut(),
                                     Copy(),
                                     Paste(),
                                     PasteFromFile(),
                                     MenuSeparator(),
                                     SaveAsFile(),
                                     MenuCommand(ID_TREE_RENAME, L"Re&name Footprint"),
                                     MenuCommand(ID_FPL_DELETE_FOOTPRINT, L"&Delete Footprint"),
                                 }};

const MenuResource kPadstack = {IDR_MENU_PADSTACK,
                                {
                                    Cut(),
                                    Copy(),
                                    Paste(),
                                    PasteFromFile(),
                                    MenuSeparator(),
                                    SaveAsFile(),
                                    MenuCommand(ID_TREE_RENAME, L"Re&name Padstack"),
                                    MenuCommand(ID_FPL_DELETE_PADSTACK, L"&Delete Padstack"),
                                }};

const MenuResource* const kTreeMenus[] = {
    &kProject,         &kBlock,          &kBoard,     &kSheet,
    &kSymbolLibrary,   &kSymbolFolder,   &kSymbol,    &kFootprintLibrary,
    &kFootprintFolder, &kPadstackFolder, &kFootprint, &kPadstack,
};

} // namespace

const MenuResource* FindTreeMenu(unsigned id) {
    for (const MenuResource* menu : kTreeMenus)
        if (menu->id == id)
            return menu;
    return nullptr;
}
