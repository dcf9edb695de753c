// Command ids of the menus, toolbars, accelerators and drop-down menus of
// the main window, and the messages that carry the Edit commands to the
// window with the keyboard focus. The numbers are the program's resource
// numbers; the views, trees and tests use these names.
#pragma once

#include "platform/messages.h"

// --- File --------------------------------------------------------------------
constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_SAVE_AS = 57604;
constexpr int ID_FILE_PRINT = 57607;
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;

// New and Open of one document kind (the New and Open drop-down menus).
constexpr int ID_NEW_PROJECT = 32813;
constexpr int ID_NEW_SYMBOL = 32818;
constexpr int ID_NEW_FOOTPRINT = 32819;
constexpr int ID_OPEN_PROJECT = 32863;
constexpr int ID_OPEN_SYMBOL_LIBRARY = 32864;
constexpr int ID_OPEN_FOOTPRINT_LIBRARY = 32865;

// --- Edit --------------------------------------------------------------------
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_FIND = 57636;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_EDIT_FIND_NEXT = 57640;
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_EDIT_REDO = 57644;
constexpr int ID_EDIT_FIND_PREVIOUS = 57645;
constexpr int ID_EDIT_MOVE_ORIGIN = 33118;

// --- View --------------------------------------------------------------------
constexpr int ID_VIEW_ZOOM_IN = 32790;
constexpr int ID_VIEW_ZOOM_OUT = 32791;
constexpr int ID_VIEW_ZOOM_ALL = 32792;
constexpr int ID_VIEW_ZOOM_IN_AT_CURSOR = 33145;
constexpr int ID_VIEW_ZOOM_OUT_AT_CURSOR = 33146;
constexpr int ID_VIEW_TOOLBAR = 59392;
constexpr int ID_VIEW_STATUS_BAR = 59393;
// Previous and next display unit (Alt+Left, Alt+Right).
constexpr int ID_UNIT_PREVIOUS = 32867;
constexpr int ID_UNIT_NEXT = 32869;
// F6 and Shift+F6: in the accelerator table, handled by nobody.
constexpr int ID_NEXT_PANE = 57680;
constexpr int ID_PREV_PANE = 57681;

// --- Options, Window, Help ---------------------------------------------------
constexpr int ID_OPTIONS_DIRECTORIES = 32825;
constexpr int ID_OPTIONS_OPTIONS = 32866;
// "CAM converter settings": every id of the range opens the Gerber settings.
constexpr int ID_CAM_GERBER = 33250;
constexpr int ID_CAM_FIRST = 33250;
constexpr int ID_CAM_LAST = 33349;
constexpr int ID_HELP_VIEW = 33127;
constexpr int ID_WINDOW_CLOSE = 32772;
constexpr int ID_WINDOW_CLOSE_ALL = 32773;

// --- Tools of the editor views ------------------------------------------------
constexpr int ID_TOOL_SELECT = 32776;
// Schematic.
constexpr int ID_SCH_PLACE_PART = 32779;
constexpr int ID_SCH_PLACE_WIRE = 32780;
constexpr int ID_SCH_PLACE_BUS = 32781;
constexpr int ID_SCH_PLACE_TEXT = 32782;
// Footprint.
constexpr int ID_FP_SELECT_OBJECT = 32826;
constexpr int ID_PS_SHOW_THERMAL = 32827;
constexpr int ID_FP_SELECT_PADSTACK = 32828;
// Symbol.
constexpr int ID_SYM_SELECT_OUTLINE = 32829;
constexpr int ID_SYM_SELECT_PIN = 32830;
constexpr int ID_SYM_PLACE_PIN = 32831;
// Footprint: place padstack (a drop-down button).
constexpr int ID_FP_PLACE_PADSTACK = 32832;
// Drawing primitives of the symbol, footprint and padstack editors.
constexpr int ID_DRAW_LINE = 32833;
constexpr int ID_DRAW_RECTANGLE = 32834;
constexpr int ID_DRAW_POLYGON = 32835;
constexpr int ID_DRAW_ELLIPSE = 32837;
constexpr int ID_DRAW_ARC = 32838;
constexpr int ID_DRAW_CURVE = 32839;
constexpr int ID_DRAW_TEXT = 32840;
// Board; the four group buttons carry the last variant chosen.
constexpr int ID_BRD_OUTLINE = 32841;
constexpr int ID_BRD_COMPONENT = 32842;
constexpr int ID_BRD_PLACE_FREE_COMPONENT = 32843;
constexpr int ID_BRD_MOVE_COMPONENT = 32844;
constexpr int ID_BRD_ROUTE = 32845;
constexpr int ID_BRD_ROUTE_NEW = 32846;
constexpr int ID_BRD_ROUTE_EDIT = 32847;
constexpr int ID_BRD_AREA = 32848;
constexpr int ID_BRD_AREA_NEW = 32849;
constexpr int ID_BRD_AREA_EDIT = 32850;
constexpr int ID_BRD_TEXT = 32851;
constexpr int ID_BRD_TEXT_PLACE_FREE = 32852;
constexpr int ID_BRD_TEXT_EDIT = 32853;
constexpr int ID_BRD_DRC = 32854;
constexpr int ID_BRD_OUTLINE_FROM_DXF = 32855;
// Footprint: the items of the Place padstack drop-down.
constexpr int ID_FP_PADSTACK_FROM_LIBRARY = 32940;
constexpr int ID_FP_PADSTACK_CREATE = 32941;
constexpr int ID_SNAP_TO_GRID = 32942;
constexpr int ID_SHOW_PAD_NUMBERS = 32945;

// --- Commands of the left pane's trees (their context menus) ----------------------
constexpr int ID_TREE_SAVE_AS_FILE = 33068;
constexpr int ID_TREE_PASTE_FROM_FILE = 33069;
constexpr int ID_TREE_RENAME = 33112;
// Project tree.
constexpr int ID_PRJ_ADD_BLOCK = 32800;
constexpr int ID_PRJ_ADD_BOARD = 32801;
constexpr int ID_PRJ_DELETE_BLOCK = 32802;
constexpr int ID_PRJ_ADD_SHEET = 32803;
constexpr int ID_PRJ_DELETE_BOARD = 32804;
constexpr int ID_PRJ_DELETE_SHEET = 32805;
constexpr int ID_PRJ_BOARD_PROPERTIES = 33064;
constexpr int ID_PRJ_STACKUP = 32946;
constexpr int ID_PRJ_DRILL_TABLE = 33073;
constexpr int ID_PRJ_BILL_OF_MATERIALS = 33075;
constexpr int ID_PRJ_GERBER = 33150;
// Symbol library tree.
constexpr int ID_SYM_ADD_FOLDER = 32821;
constexpr int ID_SYM_ADD_SYMBOL = 32822;
constexpr int ID_LIB_DELETE_FOLDER = 32823; // both library trees
constexpr int ID_SYM_DELETE_SYMBOL = 32824;
// Footprint library tree.
constexpr int ID_FPL_ADD_FOOTPRINT = 32876;
constexpr int ID_FPL_DELETE_FOOTPRINT = 32877;
constexpr int ID_FPL_ADD_FOOTPRINT_FOLDER = 32878;
constexpr int ID_FPL_ADD_PADSTACK_FOLDER = 32879;
constexpr int ID_FPL_ADD_PADSTACK = 32880;
constexpr int ID_FPL_DELETE_PADSTACK = 32881;
constexpr int ID_FPL_ADD_DIP = 33136;
constexpr int ID_FPL_ADD_BGA = 33140;
constexpr int ID_FPL_ADD_QFP = 33141;
constexpr int ID_FPL_ADD_SOIC = 33142;
// Context menu resources by node kind.
constexpr unsigned IDR_MENU_PROJECT = 239;
constexpr unsigned IDR_MENU_BLOCK = 240;
constexpr unsigned IDR_MENU_SHEET = 242;
constexpr unsigned IDR_MENU_BOARD = 281;
constexpr unsigned IDR_MENU_SYMBOL_LIBRARY = 244;
constexpr unsigned IDR_MENU_SYMBOL_FOLDER = 246;
constexpr unsigned IDR_MENU_SYMBOL = 248;
constexpr unsigned IDR_MENU_FOOTPRINT_LIBRARY = 284;
constexpr unsigned IDR_MENU_FOOTPRINT_FOLDER = 286;
constexpr unsigned IDR_MENU_FOOTPRINT = 288;
constexpr unsigned IDR_MENU_PADSTACK_FOLDER = 290;
constexpr unsigned IDR_MENU_PADSTACK = 292;
// Image lists of the trees.
constexpr unsigned IDB_PROJECT_TREE = 217;
constexpr unsigned IDB_SYMBOL_TREE = 251;
constexpr unsigned IDB_FOOTPRINT_TREE = 294;

// --- Layer combo boxes ---------------------------------------------------------
// Control ids. Choosing the entry at index i sends the shown view the
// command control id + i.
constexpr int ID_PAD_LAYER_COMBO = 32900;
constexpr int ID_BOARD_LAYER_COMBO = 32999;
constexpr int ID_PAD_LAYER_FIRST = 32901;
constexpr int ID_PAD_LAYER_LAST = 32914;
constexpr int ID_BOARD_LAYER_FIRST = 33000;
constexpr int ID_BOARD_LAYER_LAST = 33031;

// System commands of the frame's own controls: accepted and ignored.
constexpr int ID_SYSTEM_FIRST = 0xFF00;
constexpr int ID_SYSTEM_LAST = 0xFFFD;

// --- Resource ids ----------------------------------------------------------------
constexpr unsigned IDR_MAINFRAME = 128; // menu, accelerators, icon, title
constexpr unsigned IDR_TOOLBAR_MAIN = 128;
constexpr unsigned IDR_TOOLBAR_SCHEMATIC = 226;
constexpr unsigned IDR_TOOLBAR_MENU_IMAGES = 228;
constexpr unsigned IDR_TOOLBAR_BOARD = 230;
constexpr unsigned IDR_TOOLBAR_SYMBOL = 232;
constexpr unsigned IDR_TOOLBAR_FOOTPRINT = 236;
constexpr unsigned IDR_TOOLBAR_PADSTACK = 238;
constexpr unsigned IDB_MAIN_TOOLBAR = 234;
constexpr unsigned IDB_MAIN_TOOLBAR_HOT = 235;
constexpr unsigned IDB_BOARD_TOOLBAR = 306;
constexpr unsigned IDB_NEW_PROJECT = 245;
constexpr unsigned IDB_NEW_SYMBOL = 247;
constexpr unsigned IDB_NEW_FOOTPRINT = 249;
constexpr unsigned IDB_PADSTACK_FROM_LIBRARY = 301;
constexpr unsigned IDB_PADSTACK_CREATE = 308;
// Drop-down menus of toolbar buttons.
constexpr unsigned IDR_MENU_NEW = 271;
constexpr unsigned IDR_MENU_OPEN = 243;
constexpr unsigned IDR_MENU_PLACE_PADSTACK = 293;
constexpr unsigned IDR_MENU_BOARD_OUTLINE = 261;
constexpr unsigned IDR_MENU_COMPONENT = 319;
constexpr unsigned IDR_MENU_ROUTE = 313;
constexpr unsigned IDR_MENU_AREA = 316;
constexpr unsigned IDR_MENU_TEXT = 330;
// The frame's status bar control id.
constexpr int ID_STATUS_BAR = 0xE801;
// Rebar band ids count up from here in band order (the main toolbar's is
// kBandIdFirst + 1).
constexpr unsigned kBandIdFirst = 0xEB00;
// String shown in the prompt pane when nothing else is.
constexpr unsigned IDS_READY = 57345;

// --- Messages ----------------------------------------------------------------------
// Sent to the window with the focus: the tab window answers them for the shown
// view, the trees of the left pane for themselves.
// WM_CUT, WM_COPY, WM_PASTE, WM_UNDO and EM_CANUNDO: platform/messages.h.
constexpr UINT WM_EDIT_REDO = WM_USER + 20;
constexpr UINT WM_EDIT_FIND = WM_USER + 21;
constexpr UINT WM_EDIT_FIND_NEXT = WM_USER + 22;
constexpr UINT WM_EDIT_FIND_PREVIOUS = WM_USER + 23;
// WM_USER + 24 is WM_PROPERTY_LAYOUT (platform/messages.h).
// From the status bar's unit pane to the frame: switch the shown view's unit.
constexpr UINT WM_CYCLE_UNIT = WM_USER + 26;
// Asked of the window with the focus by the idle update (with EM_CANUNDO):
// non-zero when a redo record is waiting.
constexpr UINT EM_CANREDO = WM_USER + 85;
// Move Origin travels as a message of its own number.
constexpr UINT WM_EDIT_MOVE_ORIGIN = static_cast<UINT>(ID_EDIT_MOVE_ORIGIN);
