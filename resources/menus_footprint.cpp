#include "resources/menus_footprint.h"

#include "platform/accelerator.h"
#include "resources/command_ids.h"

namespace {

constexpr unsigned kMirrorV = 32860;
constexpr unsigned kMirrorH = 32861;
constexpr unsigned kRotate = 32862;

// Pads under the pointer in the footprint editor.
const MenuResource kPadsMenu = {
    IDR_MENU_FOOTPRINT_PADS,
    {MenuPopup(L"Footprint",
               {
                   MenuCommand(ID_EDIT_COPY, L"&Copy\tCtrl+C"),
                   MenuCommand(32943, L"&Select All such Pads"),
                   MenuSeparator(),
                   MenuCommand(kMirrorV, L"Mirror &Vertically\tV"),
                   MenuCommand(kMirrorH, L"Mirror &Horizontally\tH"),
                   MenuCommand(kRotate, L"&Rotate\tR"),
                   MenuSeparator(),
                   MenuCommand(32944, L"&Edit..."),
               })},
};

// The floating pad, or the floating copies of marking primitives.
const MenuResource kTransformMenu = {
    IDR_MENU_TRANSFORM,
    {MenuPopup(L"Transform",
               {
                   MenuCommand(kMirrorV, L"Mirror &Vertically\tV"),
                   MenuCommand(kMirrorH, L"Mirror &Horizontally\tH"),
                   MenuCommand(kRotate, L"&Rotate\tR"),
               })},
};

// Selected marking primitives.
const MenuResource kPrimitivesMenu = {
    IDR_MENU_PRIMITIVES,
    {MenuPopup(L"Primitives",
               {
                   MenuCommand(kMirrorV, L"Mirror &Vertically\tV"),
                   MenuCommand(kMirrorH, L"Mirror &Horizontally\tH"),
                   MenuCommand(kRotate, L"&Rotate\tR"),
               })},
};

// A pad layer of the padstack editor.
const MenuResource kPadLayerMenu = {
    IDR_MENU_PAD_LAYER,
    {MenuPopup(L"Footprint",
               {
                   MenuPopup(L"&Copy to layer",
                             {
                                 MenuCommand(33092, L"&Top"),
                                 MenuCommand(33093, L"&Bottom"),
                                 MenuCommand(33094, L"&Inner"),
                                 MenuCommand(33095, L"&Plane"),
                             }),
                   MenuPopup(L"&Move to layer",
                             {
                                 MenuCommand(33096, L"&Top"),
                                 MenuCommand(33097, L"&Bottom"),
                                 MenuCommand(33098, L"&Inner"),
                                 MenuCommand(33099, L"&Plane"),
                             }),
               })},
};

constexpr uint8_t V = FVIRTKEY;
constexpr uint8_t A = FVIRTKEY | FALT;

const std::vector<AcceleratorResourceEntry> kFootprintAccelerators = {
    {A, 'S', ID_FP_SELECT_OBJECT}, {A, 'P', ID_FP_PLACE_PADSTACK}, {A, 'L', ID_DRAW_LINE},
    {A, 'R', ID_DRAW_RECTANGLE},   {A, 'Y', ID_DRAW_POLYGON},      {A, 'E', ID_DRAW_ELLIPSE},
    {A, 'A', ID_DRAW_ARC},         {A, 'C', ID_DRAW_CURVE},        {A, 'T', ID_DRAW_TEXT},
    {A, 'G', ID_SNAP_TO_GRID},     {A, 'N', ID_SHOW_PAD_NUMBERS},  {V, VK_F1, ID_HELP_VIEW},
};

const std::vector<AcceleratorResourceEntry> kPadstackAccelerators = {
    {A, 'G', ID_SNAP_TO_GRID},
    {A, 'T', ID_PS_SHOW_THERMAL},
    {V, VK_F1, ID_HELP_VIEW},
};

const std::vector<AcceleratorResourceEntry> kNone;

} // namespace

const MenuResource* LoadFootprintViewMenu(unsigned id) {
    switch (id) {
    case IDR_MENU_FOOTPRINT_PADS:
        return &kPadsMenu;
    case IDR_MENU_TRANSFORM:
        return &kTransformMenu;
    case IDR_MENU_PRIMITIVES:
        return &kPrimitivesMenu;
    case IDR_MENU_PAD_LAYER:
        return &kPadLayerMenu;
    default:
        return nullptr;
    }
}

const std::vector<AcceleratorResourceEntry>& FootprintViewAccelerators(unsigned id) {
    if (id == IDR_ACCEL_FOOTPRINT)
        return kFootprintAccelerators;
    if (id == IDR_ACCEL_PADSTACK)
        return kPadstackAccelerators;
    return kNone;
}
