#include "resources/menus_symbol.h"

#include "platform/accelerator.h"
#include "resources/command_ids.h"

const MenuResource& SymbolViewMenu() {
    static const MenuResource menu = {
        IDR_MENU_SYMBOL_VIEW,
        {
            MenuPopup(L"Symbol",
                      {
                          MenuCommand(ID_SYM_MIRROR_VERTICALLY, L"Mirror &Vertically\tV"),
                          MenuCommand(ID_SYM_MIRROR_HORIZONTALLY, L"Mirror &Horizontally\tH"),
                          MenuCommand(ID_SYM_ROTATE, L"&Rotate\tR"),
                          MenuSeparator(),
                          MenuCommand(ID_EDIT_CUT, L"Cu&t\tCtrl+X"),
                          MenuCommand(ID_EDIT_COPY, L"&Copy\tCtrl+C"),
                          MenuCommand(ID_EDIT_PASTE, L"&Paste\tCtrl+V"),
                      }),
        },
    };
    return menu;
}

const std::vector<AcceleratorResourceEntry>& SymbolViewAccelerators() {
    constexpr uint8_t A = FVIRTKEY | FALT;
    // The drawing tools take the letters the footprint editor gives them.
    static const std::vector<AcceleratorResourceEntry> table = {
        {A, 'S', ID_TOOL_SELECT},   {A, 'O', ID_SYM_SELECT_OUTLINE}, {A, 'I', ID_SYM_SELECT_PIN},
        {A, 'P', ID_SYM_PLACE_PIN}, {A, 'L', ID_DRAW_LINE},          {A, 'R', ID_DRAW_RECTANGLE},
        {A, 'Y', ID_DRAW_POLYGON},  {A, 'E', ID_DRAW_ELLIPSE},       {A, 'A', ID_DRAW_ARC},
        {A, 'C', ID_DRAW_CURVE},    {A, 'T', ID_DRAW_TEXT},
    };
    return table;
}
