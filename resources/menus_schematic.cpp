#include "resources/menus_schematic.h"

#include "resources/command_ids.h"

namespace {
constexpr unsigned IDR_MENU_SCH_WIRE = 329;
constexpr unsigned IDR_MENU_SCH_OBJECT = 266;
constexpr int ID_SCH_MIRROR_VERTICAL = 32860;
constexpr int ID_SCH_MIRROR_HORIZONTAL = 32861;
constexpr int ID_SCH_ROTATE = 32862;
constexpr int ID_SCH_TOGGLE_BUS_ENTRY = 33100;
constexpr int ID_SCH_RENAME_BUS_ENTRY = 33101;
constexpr int ID_SCH_BREAK_WIRE = 33102;
constexpr int ID_SCH_REPLACE_IMAGE = 33115;

const MenuResource kWireMenu = {
    IDR_MENU_SCH_WIRE,
    {
        MenuCommand(ID_EDIT_CUT, L"Cu&t"),
        MenuCommand(ID_EDIT_COPY, L"&Copy"),
        MenuCommand(ID_EDIT_PASTE, L"&Paste"),
        MenuSeparator(),
        MenuCommand(ID_SCH_TOGGLE_BUS_ENTRY, L"T&oggle Bus Entry"),
        MenuCommand(ID_SCH_RENAME_BUS_ENTRY, L"&Rename Bus Enrty"),
        MenuCommand(ID_SCH_BREAK_WIRE, L"&Break Wire"),
    },
};

const MenuResource kObjectMenu = {
    IDR_MENU_SCH_OBJECT,
    {
        MenuCommand(ID_EDIT_CUT, L"Cu&t"),
        MenuCommand(ID_EDIT_COPY, L"&Copy"),
        MenuCommand(ID_EDIT_PASTE, L"&Paste"),
        MenuSeparator(),
        MenuCommand(ID_SCH_MIRROR_VERTICAL, L"Mirror &Vertically\tV"),
        MenuCommand(ID_SCH_MIRROR_HORIZONTAL, L"Mirror &Horizontally\tH"),
        MenuCommand(ID_SCH_ROTATE, L"&Rotate\tR"),
        MenuSeparator(),
        MenuCommand(ID_SCH_REPLACE_IMAGE, L"Replace &Image"),
    },
};
} // namespace

const MenuResource& SchematicWireMenu() {
    return kWireMenu;
}

const MenuResource& SchematicObjectMenu() {
    return kObjectMenu;
}

AcceleratorTable SchematicAccelerators() {
    return AcceleratorTable({
        {FVIRTKEY | FALT, 'P', ID_SCH_PLACE_PART},
        {FVIRTKEY | FALT, 'W', ID_SCH_PLACE_WIRE},
        {FVIRTKEY | FALT, 'B', ID_SCH_PLACE_BUS},
        {FVIRTKEY | FALT, 'T', ID_SCH_PLACE_TEXT},
        {FVIRTKEY, VK_F1, ID_HELP_VIEW},
    });
}
