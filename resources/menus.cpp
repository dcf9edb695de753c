#include "resources/menus.h"

#include "resources/command_ids.h"

#include <algorithm>

namespace {

// Menu 128: the main window's menu bar.
const MenuResource kMainMenu = {
    IDR_MAINFRAME,
    {
        MenuPopup(
            L"&File",
            {
                MenuPopup(L"&New",
                          {
                              MenuCommand(ID_NEW_PROJECT, L"New &Project\tCtrl+N"),
                              MenuCommand(ID_NEW_SYMBOL, L"New &Symbol"),
                              MenuCommand(ID_NEW_FOOTPRINT, L"New &Footprint"),
                          }),
                MenuPopup(L"&Open...",
                          {
                              MenuCommand(ID_OPEN_PROJECT, L"Open &Project\tCtrl+O"),
                              MenuCommand(ID_OPEN_SYMBOL_LIBRARY, L"Open &Symbol Library"),
                              MenuCommand(ID_OPEN_FOOTPRINT_LIBRARY, L"Open &Footprint Library"),
                          }),
                MenuCommand(ID_FILE_SAVE, L"&Save\tCtrl+S"),
                MenuCommand(ID_FILE_SAVE_AS, L"Save &As..."),
                MenuSeparator(),
                MenuCommand(ID_FILE_PRINT, L"&Print...\tCtrl+P"),
                MenuSeparator(),
                MenuCommand(ID_APP_EXIT, L"E&xit"),
            }),
        MenuPopup(L"&Edit",
                  {
                      MenuCommand(ID_EDIT_UNDO, L"&Undo\tCtrl+Z"),
                      MenuCommand(ID_EDIT_REDO, L"&Redo\tCtrl+Y"),
                      MenuSeparator(),
                      MenuCommand(ID_EDIT_CUT, L"Cu&t\tCtrl+X"),
                      MenuCommand(ID_EDIT_COPY, L"&Copy\tCtrl+C"),
                      MenuCommand(ID_EDIT_PASTE, L"&Paste\tCtrl+V"),
                      MenuSeparator(),
                      MenuCommand(ID_EDIT_MOVE_ORIGIN, L"&Move Origin"),
                      MenuCommand(ID_EDIT_FIND, L"&Find\tCtrl+F"),
                  }),
        MenuPopup(L"&View",
                  {
                      MenuCommand(ID_VIEW_ZOOM_IN, L"Zoom &In\tI,+"),
                      MenuCommand(ID_VIEW_ZOOM_OUT, L"Zoom &Out\tO,-"),
                      MenuCommand(ID_VIEW_ZOOM_ALL, L"Zoom All"),
                      MenuSeparator(),
                      MenuCommand(ID_VIEW_TOOLBAR, L"&Toolbar"),
                      MenuCommand(ID_VIEW_STATUS_BAR, L"&Status Bar"),
                  }),
        MenuPopup(L"&Options",
                  {
                      MenuCommand(ID_OPTIONS_DIRECTORIES, L"&Directories"),
                      MenuCommand(ID_OPTIONS_OPTIONS, L"&Options"),
                      MenuPopup(L"CA&M converter settings",
                                {
                                    MenuCommand(ID_CAM_GERBER, L"&Gerber"),
                                }),
                  }),
        MenuPopup(L"&Window",
                  {
                      MenuCommand(ID_WINDOW_CLOSE, L"&Close\tCtrl+F4"),
                      MenuCommand(ID_WINDOW_CLOSE_ALL, L"Close &All"),
                  }),
        MenuPopup(L"&?",
                  {
                      MenuCommand(ID_HELP_VIEW, L"View &Help"),
                      MenuSeparator(),
                      MenuCommand(ID_APP_ABOUT, L"&About Vorpel"),
                  }),
    },
};

// Drop-down menus of toolbar buttons: the first sub-menu is shown.
const MenuResource kNewMenu = {
    IDR_MENU_NEW,
    {MenuPopup(L"New",
               {
                   MenuCommand(ID_NEW_PROJECT, L"New &Project\tCtrl+N", IDB_NEW_PROJECT),
                   MenuCommand(ID_NEW_SYMBOL, L"New &Symbol", IDB_NEW_SYMBOL),
                   MenuCommand(ID_NEW_FOOTPRINT, L"New &Footprint", IDB_NEW_FOOTPRINT),
               })},
};

const MenuResource kOpenMenu = {
    IDR_MENU_OPEN,
    {MenuPopup(L"Open",
               {
                   MenuCommand(ID_OPEN_PROJECT, L"Open &Project\tCtrl+O"),
                   MenuCommand(ID_OPEN_SYMBOL_LIBRARY, L"Open &Symbol Library"),
                   MenuCommand(ID_OPEN_FOOTPRINT_LIBRARY, L"Open &Footprint Library"),
               })},
};

const MenuResource kPlacePadstackMenu = {
    IDR_MENU_PLACE_PADSTACK,
    {MenuPopup(L"Padstack",
               {
                   MenuCommand(ID_FP_PADSTACK_FROM_LIBRARY, L"&Load from library",
                               IDB_PADSTACK_FROM_LIBRARY),
                   MenuCommand(ID_FP_PADSTACK_CREATE, L"Create &Padstack", IDB_PADSTACK_CREATE),
               })},
};

const MenuResource kBoardOutlineMenu = {
    IDR_MENU_BOARD_OUTLINE,
    {MenuPopup(L"Outline", {MenuCommand(ID_BRD_OUTLINE_FROM_DXF, L"Load from .dxf")})},
};

const MenuResource kComponentMenu = {
    IDR_MENU_COMPONENT,
    {MenuPopup(L"Component",
               {
                   MenuCommand(ID_BRD_PLACE_FREE_COMPONENT, L"Place Free &Component\tR.Alt+C"),
                   MenuCommand(ID_BRD_MOVE_COMPONENT, L"&Move Component\tL.Alt+C"),
               })},
};

const MenuResource kRouteMenu = {
    IDR_MENU_ROUTE,
    {MenuPopup(L"Route",
               {
                   MenuCommand(ID_BRD_ROUTE_NEW, L"Route New Conductor\tR.Alt+R"),
                   MenuCommand(ID_BRD_ROUTE_EDIT, L"Edit Conductor\tL.Alt+R"),
               })},
};

const MenuResource kAreaMenu = {
    IDR_MENU_AREA,
    {MenuPopup(L"Area",
               {
                   MenuCommand(ID_BRD_AREA_NEW, L"Place New Area\tR.Alt+A"),
                   MenuCommand(ID_BRD_AREA_EDIT, L"Edit Area\tL.Alt+A"),
               })},
};

const MenuResource kTextMenu = {
    IDR_MENU_TEXT,
    {MenuPopup(L"Text",
               {
                   MenuCommand(ID_BRD_TEXT_PLACE_FREE, L"Place Free Text\tR.Alt+T"),
                   MenuCommand(ID_BRD_TEXT_EDIT, L"Edit Text\tL.Alt+T"),
               })},
};

const MenuResource* const kOwnMenus[] = {
    &kMainMenu,      &kNewMenu,   &kOpenMenu, &kPlacePadstackMenu, &kBoardOutlineMenu,
    &kComponentMenu, &kRouteMenu, &kAreaMenu, &kTextMenu,
};

std::vector<const MenuResource*>& Registered() {
    static std::vector<const MenuResource*> menus;
    return menus;
}

} // namespace

const MenuResource* LoadMenuResource(unsigned id) {
    const auto& registered = Registered();
    for (auto it = registered.rbegin(); it != registered.rend(); ++it)
        if ((*it)->id == id)
            return *it;
    for (const MenuResource* m : kOwnMenus)
        if (m->id == id)
            return m;
    return nullptr;
}

void RegisterMenuResource(const MenuResource* menu) {
    if (menu && std::find(Registered().begin(), Registered().end(), menu) == Registered().end())
        Registered().push_back(menu);
}
