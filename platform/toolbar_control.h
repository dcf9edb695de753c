// A toolbar ("ToolbarWindow32"): a row of painted buttons, each carrying a
// command id and an image of the toolbar's image lists, with separators.
// A button may be a check button, a drop-down button (an arrow beside it
// opens a menu) or hidden; disabled buttons draw their image greyed. A click
// sends WM_COMMAND (MAKEWPARAM(command, BN_CLICKED), toolbar) to the
// notify window (the parent unless set); a press on a drop-down arrow sends
// WM_NOTIFY with TBN_DROPDOWN and an NMTOOLBAR. Notifications of child
// controls placed on the toolbar (the layer combo boxes) are passed on to
// the notify window unchanged. Hovering a button shows its tooltip: the part
// after the line break of the string with the command's id.
#pragma once

#include "platform/window.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ImageList;
class ToolTipControl;

// Button styles.
constexpr uint8_t BTNS_BUTTON = 0x00;
constexpr uint8_t BTNS_SEP = 0x01;
constexpr uint8_t BTNS_CHECK = 0x02;
// A button with a separate arrow part: the arrow sends TBN_DROPDOWN.
constexpr uint8_t BTNS_DROPDOWN = 0x08;
// Width from the image (and arrow) instead of the toolbar's button width.
constexpr uint8_t BTNS_AUTOSIZE = 0x10;
// The whole button opens the drop-down.
constexpr uint8_t BTNS_WHOLEDROPDOWN = 0x80;

// Button states.
constexpr uint8_t TBSTATE_CHECKED = 0x01;
constexpr uint8_t TBSTATE_PRESSED = 0x02;
constexpr uint8_t TBSTATE_ENABLED = 0x04;
constexpr uint8_t TBSTATE_HIDDEN = 0x08;

// Extended styles.
constexpr uint32_t TBSTYLE_EX_DRAWDDARROWS = 0x00000001;

// WM_NOTIFY codes.
constexpr UINT TBN_DROPDOWN = static_cast<UINT>(-710);
// Answers to TBN_DROPDOWN.
constexpr LRESULT TBDDRET_DEFAULT = 0;
constexpr LRESULT TBDDRET_NODEFAULT = 1;

struct NMTOOLBAR {
    NMHDR hdr;
    int iItem = 0; // the command of the button
    RECT rcButton; // the button in the toolbar's client coordinates
};

struct ToolButton {
    int command = 0;
    int image = -1; // index into the image lists, -1 none
    uint8_t style = BTNS_BUTTON;
    uint8_t state = TBSTATE_ENABLED;
    // Width in pixels: separators and placeholders under a control; 0 lets
    // the toolbar decide.
    int width = 0;
};

class ToolBarControl : public PlatformWindow {
public:
    static constexpr int kSeparatorWidth = 8;
    static constexpr int kDropDownArrowWidth = 13;

    ToolBarControl();
    ~ToolBarControl() override;

    // Buttons of a toolbar resource (resources/toolbars.h): separators for
    // 0, the others in order with images 0, 1, 2, ... and the resource's
    // image size. False for an unknown id. Replaces the buttons held.
    bool LoadToolBar(unsigned resourceId);
    void SetButtons(std::vector<ToolButton> buttons);
    void AddButton(const ToolButton& button);

    // Images: normal (also greyed for disabled buttons) and hot (the button
    // under the mouse). The toolbar does not own them.
    void SetImageList(const ImageList* images);
    void SetHotImageList(const ImageList* images);
    const ImageList* GetImageList() const { return images_; }
    void SetImageSize(SIZE size);
    SIZE GetImageSize() const { return imageSize_; }
    void SetExtendedStyle(uint32_t exStyle);
    uint32_t GetExtendedStyle() const { return exStyle_; }

    // Where commands and notifications go; the parent when null.
    void SetNotifyWindow(PlatformWindow* window) { notify_ = window; }
    PlatformWindow* GetNotifyWindow() const;

    int GetButtonCount() const { return static_cast<int>(buttons_.size()); }
    const ToolButton& GetButton(int index) const { return buttons_[static_cast<size_t>(index)]; }
    // The index of the first button carrying command, -1 when none.
    int CommandToIndex(int command) const;
    // Changes of one button, by index.
    bool SetButtonCommand(int index, int command);
    bool SetButtonImage(int index, int image);
    bool SetButtonStyle(int index, uint8_t style);
    bool SetButtonWidth(int index, int width);
    // Changes by command (the first button carrying it); false when none.
    bool EnableButton(int command, bool enable);
    bool CheckButton(int command, bool check);
    bool HideButton(int command, bool hide);
    bool SetState(int command, uint8_t state);
    bool IsButtonEnabled(int command) const;
    bool IsButtonChecked(int command) const;
    bool IsButtonHidden(int command) const;

    // The button's rectangle in client coordinates (empty when hidden or out
    // of range); the arrow part of a drop-down button, empty otherwise.
    RECT GetItemRect(int index) const;
    RECT GetDropDownRect(int index) const;
    // The index of the button under a client point, -1 for none.
    int HitTest(POINT client) const;
    // The size that shows every button: the sum of the widths, one button
    // high.
    SIZE GetIdealSize() const;
    int GetButtonHeight() const;
    // Buttons that do not fit into the client width are not drawn and
    // cannot be clicked; the indexes of those (the rebar's chevron offers
    // them).
    std::vector<int> GetClippedButtons() const;

    // The tooltip text of a command: the string's part after its line
    // break, or the whole string when it has none.
    static std::wstring ToolTipTextOf(int command);
    // The button whose tooltip is shown now (-1 none), and its text.
    int GetHotItem() const { return hot_; }
    std::wstring GetCurrentToolTip() const;

    // Presses a button as a click would (tests and the rebar's chevron
    // menu): the command or, for a whole drop-down, TBN_DROPDOWN.
    void ClickButton(int index, bool onArrow = false);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    int ButtonWidth(int index) const;
    bool IsShownButton(int index) const;
    void Paint();
    void SetHot(int index);
    void OnMouseMove(POINT p);
    void OnButtonDown(POINT p);
    void OnButtonUp(POINT p);
    void SendDropDown(int index);
    void InvalidateButton(int index);

    std::vector<ToolButton> buttons_;
    const ImageList* images_ = nullptr;
    const ImageList* hotImages_ = nullptr;
    SIZE imageSize_{24, 24};
    uint32_t exStyle_ = 0;
    PlatformWindow* notify_ = nullptr;
    int hot_ = -1;
    int pressed_ = -1;
    bool pressedArrow_ = false;
    std::unique_ptr<ToolTipControl> tooltip_;
};
