// The menu bar shown as a toolbar ("command bar"): the top-level items of a
// menu painted as flat buttons. Clicking one (or pressing Alt with its
// mnemonic letter while the frame translates it, OpenMenu) sends the notify
// window WM_INITMENUPOPUP with the drop-down menu, so that the frame can
// enable and check its items, then shows the menu under the item through
// TrackPopupMenu (tests answer it with the popup-menu hook); the chosen
// command reaches the notify window as WM_COMMAND. Menu items show the
// images of the commands given by SetCommandImages.
#pragma once

#include "platform/window.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class Bitmap;
class ImageList;
class PopupMenu;
struct MenuResource;

class CommandBarControl : public PlatformWindow {
public:
    ~CommandBarControl() override;

    // The menu bar: each top-level item of the resource with its sub-menu.
    bool AttachMenu(const MenuResource& menu);
    int GetMenuCount() const { return static_cast<int>(menus_.size()); }
    std::wstring GetMenuText(int index) const; // as shown, without '&'
    PopupMenu* GetMenu(int index) const;
    // The top-level item whose mnemonic is ch (case-insensitive), -1 none.
    int FindMnemonic(wchar_t ch) const;

    // Images of commands: button i of the toolbar resource takes image i of
    // the list (separators take none). The list must outlive the bar; menus
    // take their images as they open.
    void SetCommandImages(unsigned toolbarResourceId, const ImageList& images);
    std::shared_ptr<const Bitmap> GetCommandImage(int command) const;

    void SetNotifyWindow(PlatformWindow* window) { notify_ = window; }
    PlatformWindow* GetNotifyWindow() const;

    RECT GetItemRect(int index) const;
    SIZE GetIdealSize() const;
    // Opens drop-down menu index as a click on it does; returns the chosen
    // command (0 when none). The command is also posted to the notify window.
    int OpenMenu(int index);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    struct TopItem {
        std::wstring text;
        std::shared_ptr<PopupMenu> menu;
    };
    void Paint();
    int HitTest(POINT p) const;
    void ApplyImages(PopupMenu& menu) const;

    std::vector<TopItem> menus_;
    // Images are cut from the list when a menu first needs them.
    const ImageList* imageList_ = nullptr;
    unsigned imageResource_ = 0;
    mutable std::map<int, std::shared_ptr<const Bitmap>> images_;
    mutable bool imagesCut_ = true;
    PlatformWindow* notify_ = nullptr;
    int hot_ = -1;
    int open_ = -1;
};
