#include "platform/popup_menu.h"

#include "platform/window.h"

#include <QAction>
#include <QMenu>

namespace {
PopupMenuHook g_hook;

void Fill(QMenu& q, const PopupMenu& m) {
    for (const PopupMenu::Item& item : m.Items()) {
        if (item.flags & MF_SEPARATOR) {
            q.addSeparator();
            continue;
        }
        QString text = QString::fromStdWString(item.text);
        if (item.subMenu) {
            QMenu* sub = q.addMenu(text);
            Fill(*sub, *item.subMenu);
            continue;
        }
        QAction* a = q.addAction(text);
        a->setData(item.id);
        a->setEnabled(!(item.flags & MF_GRAYED));
        if (item.flags & MF_CHECKED) {
            a->setCheckable(true);
            a->setChecked(true);
        }
    }
}

PopupMenu::Item* Find(std::vector<PopupMenu::Item>& items, UINT id) {
    for (auto& i : items)
        if (!(i.flags & MF_SEPARATOR) && !i.subMenu && i.id == id)
            return &i;
    return nullptr;
}
} // namespace

void PopupMenu::AppendItem(UINT id, const std::wstring& text, UINT flags) {
    items_.push_back(Item{id, text, flags, nullptr});
}

void PopupMenu::AppendSeparator() {
    items_.push_back(Item{0, L"", MF_SEPARATOR, nullptr});
}

void PopupMenu::AppendSubMenu(const std::wstring& text, std::shared_ptr<PopupMenu> sub) {
    items_.push_back(Item{0, text, MF_POPUP, std::move(sub)});
}

bool PopupMenu::CheckItem(UINT id, bool checked) {
    Item* i = Find(items_, id);
    if (!i)
        return false;
    i->flags = checked ? (i->flags | MF_CHECKED) : (i->flags & ~MF_CHECKED);
    return true;
}

bool PopupMenu::EnableItem(UINT id, bool enabled) {
    Item* i = Find(items_, id);
    if (!i)
        return false;
    i->flags = enabled ? (i->flags & ~MF_GRAYED) : (i->flags | MF_GRAYED);
    return true;
}

const PopupMenu::Item* PopupMenu::FindItem(UINT id) const {
    for (const Item& i : items_) {
        if (i.subMenu) {
            if (const Item* s = i.subMenu->FindItem(id))
                return s;
        } else if (!(i.flags & MF_SEPARATOR) && i.id == id) {
            return &i;
        }
    }
    return nullptr;
}

void SetPopupMenuHook(PopupMenuHook hook) {
    g_hook = std::move(hook);
}

int TrackPopupMenu(const PopupMenu& menu, UINT flags, int x, int y, PlatformWindow* owner) {
    UINT chosen = 0;
    if (g_hook) {
        chosen = g_hook(menu, POINT{x, y});
    } else {
        QMenu q;
        Fill(q, menu);
        if (QAction* a = q.exec(QPoint(x, y)))
            chosen = a->data().toUInt();
    }
    // Only an enabled command of this menu counts.
    const PopupMenu::Item* item = chosen ? menu.FindItem(chosen) : nullptr;
    if (!item || (item->flags & MF_GRAYED))
        chosen = 0;
    if (flags & TPM_RETURNCMD)
        return static_cast<int>(chosen);
    if (chosen && owner)
        owner->PostMessage(WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return chosen ? 1 : 0;
}
