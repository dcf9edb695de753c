// A dialog described as data: its title, size and controls, each with a kind,
// an id, a text and a position in dialog units (a quarter of the dialog
// font's average character width across, an eighth of its height down).
// Every dialog of the program keeps its table in its own source file, next to
// the class that drives it; PlatformDialog builds the windows from it.
#pragma once

#include "platform/messages.h"

#include <string>
#include <vector>

class PlatformWindow;

// Styles a dialog reads from its controls: WS_GROUP starts a group (radio
// buttons up to the next control with WS_GROUP belong together; arrow keys
// move inside it); WS_TABSTOP makes Tab stop at the control.
constexpr uint32_t WS_GROUP = 0x00020000;
constexpr uint32_t WS_TABSTOP = 0x00010000;

// Text alignment of static controls.
constexpr uint32_t SS_LEFT = 0x0000;
constexpr uint32_t SS_CENTER = 0x0001;
constexpr uint32_t SS_RIGHT = 0x0002;
constexpr uint32_t SS_NOPREFIX = 0x0080;

// The id of static texts nobody addresses.
constexpr int IDC_STATIC = -1;

enum class DialogItemKind {
    Static,        // a text label
    Edit,          // a one-line edit field (sunken)
    DropDownList,  // a combo box choosing from its list only
    DropDownCombo, // a combo box with an edit field
    CheckBox,      // a two-state check box, toggled by clicks
    RadioButton,   // a radio button, exclusive within its group
    GroupBox,      // a frame with a title around related controls
    PushButton,    // a push button
    DefPushButton, // the default push button (Enter presses it)
    ReportList,    // a report list view
    ListBox,       // a list box (LBS_ styles: notify, owner-drawn entries)
    TabControl,    // a tab strip over a display area
    TreeView,      // a tree view (TVS_ styles in style)
    UpDown,        // an up-down control (UDS_ styles in style)
};

// A column of a report list, width in pixels at the templates' base units
// (scaled with the dialog font like the dialog units).
struct DialogColumn {
    std::wstring title;
    int width = 0;
};

struct DialogItem {
    DialogItemKind kind = DialogItemKind::Static;
    int id = IDC_STATIC;
    std::wstring text;
    // Position and size in dialog units. For combo boxes cy is the height of
    // the open list, as in the resource format; the closed box is one line.
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    // Styles added to the kind's own (WS_GROUP, WS_TABSTOP, WS_DISABLED,
    // SS_RIGHT, ES_READONLY, LVS_..., CBS_OWNERDRAWFIXED, ...).
    uint32_t style = 0;
    // Report lists: extended list styles (LVS_EX_...) and the columns.
    uint32_t listExStyle = 0;
    std::vector<DialogColumn> columns;
};

struct DialogTemplate {
    int id = 0;
    std::wstring title;
    int cx = 0; // dialog units
    int cy = 0;
    // A child dialog (embedded in another window, no frame or caption).
    bool child = false;
    std::vector<DialogItem> items;
};

// Shorthands that keep the tables one line per control.
inline DialogItem DlgStatic(int id, std::wstring text, int x, int y, int cx, int cy,
                            uint32_t style = 0) {
    return {DialogItemKind::Static, id, std::move(text), x, y, cx, cy, style, 0, {}};
}
inline DialogItem DlgEdit(int id, int x, int y, int cx, int cy, uint32_t style = WS_TABSTOP) {
    return {DialogItemKind::Edit, id, L"", x, y, cx, cy, style, 0, {}};
}
inline DialogItem DlgDropDownList(int id, int x, int y, int cx, int cy,
                                  uint32_t style = WS_TABSTOP) {
    return {DialogItemKind::DropDownList, id, L"", x, y, cx, cy, style, 0, {}};
}
inline DialogItem DlgCheckBox(int id, std::wstring text, int x, int y, int cx, int cy,
                              uint32_t style = WS_TABSTOP) {
    return {DialogItemKind::CheckBox, id, std::move(text), x, y, cx, cy, style, 0, {}};
}
inline DialogItem DlgRadio(int id, std::wstring text, int x, int y, int cx, int cy,
                           uint32_t style = 0) {
    return {DialogItemKind::RadioButton, id, std::move(text), x, y, cx, cy, style, 0, {}};
}
inline DialogItem DlgGroupBox(std::wstring text, int x, int y, int cx, int cy,
                              uint32_t style = WS_GROUP) {
    return {DialogItemKind::GroupBox, IDC_STATIC, std::move(text), x, y, cx, cy, style, 0, {}};
}
inline DialogItem DlgListBox(int id, int x, int y, int cx, int cy,
                             uint32_t style = WS_TABSTOP | WS_VSCROLL) {
    return {DialogItemKind::ListBox, id, L"", x, y, cx, cy, style, 0, {}};
}
inline DialogItem DlgButton(int id, std::wstring text, int x, int y, int cx, int cy,
                            uint32_t style = WS_TABSTOP) {
    return {DialogItemKind::PushButton, id, std::move(text), x, y, cx, cy, style, 0, {}};
}
inline DialogItem DlgDefButton(int id, std::wstring text, int x, int y, int cx, int cy,
                               uint32_t style = WS_TABSTOP) {
    return {DialogItemKind::DefPushButton, id, std::move(text), x, y, cx, cy, style, 0, {}};
}

// The controls of the group a control belongs to, in creation order: from
// the nearest control at or before it with WS_GROUP (or the first child) up
// to, not including, the next one with WS_GROUP.
std::vector<PlatformWindow*> GetDlgGroupOf(const PlatformWindow* control);

// The text a label shows for a resource text: "&" marks the mnemonic
// letter and is dropped, "&&" stands for one "&".
std::wstring StripMnemonicPrefix(const std::wstring& text);
