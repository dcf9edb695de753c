// Context menus: a popup menu of command items, shown at a screen point,
// answering the chosen command id. Tests answer through a hook instead of
// the real menu.
#pragma once

#include "platform/messages.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Bitmap;
struct MenuItemResource;
struct MenuResource;

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_SEPARATOR = 0x0800;

constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

class PopupMenu {
public:
    struct Item {
        UINT id = 0;
        std::wstring text;
        UINT flags = MF_STRING;
        std::shared_ptr<PopupMenu> subMenu;
        // The image shown beside the item, or null.
        std::shared_ptr<const Bitmap> bitmap;
    };

    void AppendItem(UINT id, const std::wstring& text, UINT flags = MF_STRING);
    void AppendSeparator();
    void AppendSubMenu(const std::wstring& text, std::shared_ptr<PopupMenu> sub);
    bool CheckItem(UINT id, bool checked);
    bool EnableItem(UINT id, bool enabled);
    const std::vector<Item>& Items() const { return items_; }
    const Item* FindItem(UINT id) const; // searches sub-menus too
    // Sets the image of every item with that command (sub-menus too).
    bool SetItemBitmap(UINT id, std::shared_ptr<const Bitmap> bitmap);
    // Items by position, for enabling and checking through sub-menus.
    std::vector<Item>& MutableItems() { return items_; }

private:
    std::vector<Item> items_;
};

// A menu built from a menu resource; bitmap ids of items are loaded.
std::shared_ptr<PopupMenu> BuildPopupMenu(const std::vector<MenuItemResource>& items);
// The first sub-menu of menu resource id (as drop-down menus of toolbar
// buttons show it), null when there is none.
std::shared_ptr<PopupMenu> LoadPopupMenu(unsigned id);

// Shows the menu at a screen point. With TPM_RETURNCMD returns the chosen
// command id (0 = none); otherwise posts WM_COMMAND (id, 0) to the owner and
// returns whether an item was chosen. Grayed items and separators cannot
// be chosen.
int TrackPopupMenu(const PopupMenu& menu, UINT flags, int x, int y, PlatformWindow* owner);

// Answers TrackPopupMenu instead of the real menu (tests); an empty
// function restores the real one.
using PopupMenuHook = std::function<UINT(const PopupMenu& menu, POINT screen)>;
void SetPopupMenuHook(PopupMenuHook hook);
