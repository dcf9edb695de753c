// The user-interface-state table of a frame window: for a fixed list of
// command ids, whether each is enabled and checked, and the places its state
// shows in. Code anywhere changes a state by id (UIEnable, UISetCheck); the
// frame brings its registered toolbars up to date in its idle pass
// (UIUpdateToolBar) and applies the menu entries to a drop-down menu as it
// opens (UIUpdateMenu). Ids outside the table are ignored.
#pragma once

#include <vector>

class PopupMenu;
class ToolBarControl;

// Places a state shows in.
constexpr unsigned UPDUI_MENUPOPUP = 0x0001; // an item of a drop-down menu
constexpr unsigned UPDUI_MENUBAR = 0x0002;   // an item of the menu bar
constexpr unsigned UPDUI_TOOLBAR = 0x0004;   // a button of a registered toolbar

struct UpdateUIEntry {
    int id = 0;
    unsigned places = 0;
};

class UpdateUI {
public:
    virtual ~UpdateUI() = default;

    // Replaces the table: every entry enabled and unchecked, nothing pending.
    void UISetEntries(const std::vector<UpdateUIEntry>& entries);
    const std::vector<UpdateUIEntry>& UIEntries() const { return entries_; }
    bool UIHasEntry(int id) const { return Find(id) >= 0; }

    // Toolbars whose buttons show the toolbar entries; a toolbar registered
    // twice counts once. Removing forgets it (before it is destroyed).
    void UIAddToolBar(ToolBarControl* toolbar);
    void UIRemoveToolBar(ToolBarControl* toolbar);
    void UIClearToolBars() { toolbars_.clear(); }

    // Change a state; the change reaches the toolbars with the next
    // UIUpdateToolBar (at once when force is set). False for an unknown id.
    bool UIEnable(int id, bool enable, bool force = false);
    bool UISetCheck(int id, int check, bool force = false);
    bool UISetCheck(int id, bool check, bool force = false) {
        return UISetCheck(id, check ? 1 : 0, force);
    }

    // The state as set (true / 0 for an unknown id).
    bool UIIsEnabled(int id) const;
    int UIGetCheck(int id) const;
    // Whether changes wait for UIUpdateToolBar.
    bool UIIsToolBarPending() const { return toolbarPending_; }

    // Writes the pending (or, with force, every) state of the toolbar entries
    // into the registered toolbars' buttons of the same command.
    void UIUpdateToolBar(bool force = false);
    // Enables and checks the menu's items of the menu entries, sub-menus too.
    void UIUpdateMenu(PopupMenu& menu) const;

private:
    struct State {
        bool enabled = true;
        int check = 0;
        bool pending = false;
    };
    int Find(int id) const;
    void ApplyToToolBars(int index);

    std::vector<UpdateUIEntry> entries_;
    std::vector<State> states_;
    std::vector<ToolBarControl*> toolbars_;
    bool toolbarPending_ = false;
};
