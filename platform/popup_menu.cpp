#include "platform/popup_menu.h"

#include "platform/bitmap.h"
#include "platform/window.h"
#include "resources/menus.h"

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPixmap>

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
        if (item.bitmap) {
            const Bitmap& b = *item.bitmap;
            QImage img(b.Width(), b.Height(), QImage::Format_ARGB32);
            for (int y = 0; y < b.Height(); ++y)
                for (int x = 0; x < b.Width(); ++x)
                    img.setPixel(x, y, b.PixelAt(x, y));
            a->setIcon(QIcon(QPixmap::fromImage(img)));
        }
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
    items_.push_back(Item{id, text, flags, nullptr, nullptr});
}

void PopupMenu::AppendSeparator() {
    items_.push_back(Item{0, L"", MF_SEPARATOR, nullptr, nullptr});
}

void PopupMenu::AppendSubMenu(const std::wstring& text, std::shared_ptr<PopupMenu> sub) {
    items_.push_back(Item{0, text, MF_POPUP, std::move(sub), nullptr});
}

namespace {
// Menu images, like the toolbars' and the window icon, show their magenta
// key colour as transparent.
std::shared_ptr<const Bitmap> KeyedImage(std::shared_ptr<const Bitmap> bitmap) {
    if (!bitmap)
        return bitmap;
    std::vector<ARGB> pixels = bitmap->Pixels();
    for (ARGB& c : pixels)
        if (c == 0xFFFF00FF)
            c = 0;
    return std::make_shared<Bitmap>(bitmap->Width(), bitmap->Height(), std::move(pixels));
}
} // namespace

bool PopupMenu::SetItemBitmap(UINT id, std::shared_ptr<const Bitmap> bitmap) {
    bitmap = KeyedImage(std::move(bitmap));
    bool found = false;
    for (Item& i : items_) {
        if (i.subMenu)
            found = i.subMenu->SetItemBitmap(id, bitmap) || found;
        else if (!(i.flags & MF_SEPARATOR) && i.id == id) {
            i.bitmap = bitmap;
            found = true;
        }
    }
    return found;
}

std::shared_ptr<PopupMenu> BuildPopupMenu(const std::vector<MenuItemResource>& items) {
    auto menu = std::make_shared<PopupMenu>();
    for (const MenuItemResource& item : items) {
        switch (item.kind) {
        case MenuItemResource::Separator:
            menu->AppendSeparator();
            break;
        case MenuItemResource::SubMenu:
            menu->AppendSubMenu(item.text, BuildPopupMenu(item.items));
            break;
        case MenuItemResource::Command:
            menu->AppendItem(item.id, item.text);
            if (item.bitmap)
                menu->SetItemBitmap(item.id, Bitmap::LoadResource(item.bitmap));
            break;
        }
    }
    return menu;
}

std::shared_ptr<PopupMenu> LoadPopupMenu(unsigned id) {
    const MenuResource* r = LoadMenuResource(id);
    if (!r)
        return nullptr;
    for (const MenuItemResource& item : r->items)
        if (item.kind == MenuItemResource::SubMenu)
            return BuildPopupMenu(item.items);
    return nullptr;
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
        // The owner shows the prompt of the item under the mouse.
        if (owner)
            QObject::connect(&q, &QMenu::hovered, [owner](QAction* a) {
                owner->SendMessage(WM_MENUSELECT, MAKEWPARAM(a->data().toUInt(), 0), 0);
            });
        if (QAction* a = q.exec(QPoint(x, y)))
            chosen = a->data().toUInt();
        if (owner)
            owner->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
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
