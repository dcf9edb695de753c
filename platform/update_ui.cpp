#include "platform/update_ui.h"

#include "platform/popup_menu.h"
#include "platform/toolbar_control.h"

#include <algorithm>

void UpdateUI::UISetEntries(const std::vector<UpdateUIEntry>& entries) {
    entries_ = entries;
    states_.assign(entries_.size(), State{});
    toolbarPending_ = false;
}

int UpdateUI::Find(int id) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].id == id)
            return static_cast<int>(i);
    return -1;
}

void UpdateUI::UIAddToolBar(ToolBarControl* toolbar) {
    if (toolbar && std::find(toolbars_.begin(), toolbars_.end(), toolbar) == toolbars_.end())
        toolbars_.push_back(toolbar);
}

void UpdateUI::UIRemoveToolBar(ToolBarControl* toolbar) {
    toolbars_.erase(std::remove(toolbars_.begin(), toolbars_.end(), toolbar), toolbars_.end());
}

bool UpdateUI::UIEnable(int id, bool enable, bool force) {
    int i = Find(id);
    if (i < 0)
        return false;
    State& s = states_[static_cast<size_t>(i)];
    if (s.enabled != enable) {
        s.enabled = enable;
        s.pending = true;
        toolbarPending_ = true;
    }
    if (force)
        ApplyToToolBars(i);
    return true;
}

bool UpdateUI::UISetCheck(int id, int check, bool force) {
    int i = Find(id);
    if (i < 0)
        return false;
    State& s = states_[static_cast<size_t>(i)];
    if (s.check != check) {
        s.check = check;
        s.pending = true;
        toolbarPending_ = true;
    }
    if (force)
        ApplyToToolBars(i);
    return true;
}

bool UpdateUI::UIIsEnabled(int id) const {
    int i = Find(id);
    return i < 0 || states_[static_cast<size_t>(i)].enabled;
}

int UpdateUI::UIGetCheck(int id) const {
    int i = Find(id);
    return i < 0 ? 0 : states_[static_cast<size_t>(i)].check;
}

void UpdateUI::ApplyToToolBars(int index) {
    const UpdateUIEntry& e = entries_[static_cast<size_t>(index)];
    State& s = states_[static_cast<size_t>(index)];
    s.pending = false;
    if (!(e.places & UPDUI_TOOLBAR))
        return;
    for (ToolBarControl* t : toolbars_) {
        if (!t->IsWindow())
            continue;
        t->EnableButton(e.id, s.enabled);
        t->CheckButton(e.id, s.check != 0);
    }
}

void UpdateUI::UIUpdateToolBar(bool force) {
    if (!force && !toolbarPending_)
        return;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (force || states_[i].pending)
            ApplyToToolBars(static_cast<int>(i));
    toolbarPending_ = false;
}

void UpdateUI::UIUpdateMenu(PopupMenu& menu) const {
    for (PopupMenu::Item& item : menu.MutableItems()) {
        if (item.subMenu) {
            UIUpdateMenu(*item.subMenu);
            continue;
        }
        if (item.flags & MF_SEPARATOR)
            continue;
        int i = Find(static_cast<int>(item.id));
        if (i < 0 || !(entries_[static_cast<size_t>(i)].places & UPDUI_MENUPOPUP))
            continue;
        const State& s = states_[static_cast<size_t>(i)];
        item.flags = s.enabled ? (item.flags & ~MF_GRAYED) : (item.flags | MF_GRAYED);
        item.flags = s.check ? (item.flags | MF_CHECKED) : (item.flags & ~MF_CHECKED);
    }
}
