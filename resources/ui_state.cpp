#include "resources/ui_state.h"

#include "platform/update_ui.h"
#include "resources/command_ids.h"

const std::vector<UiStateResourceEntry>& MainFrameUiStateEntries() {
    constexpr unsigned MT = UPDUI_MENUPOPUP | UPDUI_TOOLBAR;
    constexpr unsigned M = UPDUI_MENUPOPUP;
    constexpr unsigned T = UPDUI_TOOLBAR;
    static const std::vector<UiStateResourceEntry> entries = {
        {ID_FILE_PRINT, MT},       {ID_EDIT_UNDO, MT},
        {ID_EDIT_REDO, MT},        {ID_EDIT_FIND, MT},
        {ID_EDIT_MOVE_ORIGIN, MT}, {ID_VIEW_ZOOM_IN, MT},
        {ID_VIEW_ZOOM_OUT, MT},    {ID_VIEW_ZOOM_ALL, MT},
        {ID_VIEW_TOOLBAR, M},      {ID_VIEW_STATUS_BAR, M},
        {ID_TOOL_SELECT, T},       {ID_SCH_PLACE_PART, T},
        {ID_SCH_PLACE_WIRE, T},    {ID_SCH_PLACE_BUS, T},
        {ID_SCH_PLACE_TEXT, T},    {ID_SYM_SELECT_OUTLINE, T},
        {ID_SYM_SELECT_PIN, T},    {ID_SYM_PLACE_PIN, T},
        {ID_DRAW_LINE, T},         {ID_DRAW_RECTANGLE, T},
        {ID_DRAW_POLYGON, T},      {ID_DRAW_ELLIPSE, T},
        {ID_DRAW_ARC, T},          {ID_DRAW_CURVE, T},
        {ID_DRAW_TEXT, T},         {ID_BOARD_LAYER_COMBO, T},
        {ID_BRD_OUTLINE, T},       {ID_BRD_COMPONENT, T},
        {ID_BRD_ROUTE, T},         {ID_BRD_AREA, T},
        {ID_BRD_TEXT, T},          {ID_BRD_DRC, T},
        {ID_PAD_LAYER_COMBO, T},   {ID_SNAP_TO_GRID, T},
        {ID_PS_SHOW_THERMAL, T},   {ID_SHOW_PAD_NUMBERS, T},
        {ID_FP_SELECT_OBJECT, T},  {ID_FP_SELECT_PADSTACK, T},
        {ID_FP_PLACE_PADSTACK, T},
    };
    return entries;
}
