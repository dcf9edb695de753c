#include "resources/menus_board.h"

#include "resources/command_ids.h"

std::vector<Accelerator> BoardViewAccelerators() {
    constexpr uint8_t kAlt = FVIRTKEY | FALT;
    return {
        {kAlt, 'B', ID_BRD_OUTLINE},  {kAlt, 'C', ID_BRD_COMPONENT},
        {kAlt, 'R', ID_BRD_ROUTE},    {kAlt, 'A', ID_BRD_AREA},
        {kAlt, 'T', ID_BRD_TEXT},     {kAlt, 'N', ID_SHOW_PAD_NUMBERS},
        {kAlt, 'G', ID_SNAP_TO_GRID},
    };
}

const MenuResource& BoardComponentMenu() {
    static const MenuResource menu{IDR_MENU_BOARD_COMPONENT,
                                   {MenuPopup(L"Board", {
                                                            MenuCommand(32974, L"&Top\tT"),
                                                            MenuCommand(32975, L"&Bottom\tB"),
                                                            MenuCommand(32862, L"&Rotate\tR"),
                                                            MenuCommand(33123, L"Save Footprint"),
                                                        })}};
    return menu;
}

const MenuResource& BoardPackageTextMenu() {
    static const MenuResource menu{IDR_MENU_BOARD_PACKAGE_TEXT,
                                   {MenuPopup(L"Text", {
                                                           MenuCommand(32862, L"&Rotate\tR"),
                                                           MenuCommand(32820, L"&Hide\tDel"),
                                                       })}};
    return menu;
}

const MenuResource& BoardFreeTextMenu() {
    static const MenuResource menu{IDR_MENU_BOARD_FREE_TEXT,
                                   {MenuPopup(L"Text", {
                                                           MenuPopup(L"Change Layer", {}),
                                                           MenuCommand(32862, L"&Rotate\tR"),
                                                       })}};
    return menu;
}
