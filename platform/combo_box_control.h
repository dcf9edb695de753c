// A drop-down combo box ("COMBOBOX"): a list of texts with data values, the
// current selection, and a drop-down list shown under the box. CBS_DROPDOWN
// adds an edit field for typing; CBS_OWNERDRAWFIXED lets the parent draw the
// selection field and every entry of the open list through WM_DRAWITEM
// (ODT_COMBOBOX, hwndItem = the combo box). Notifications (WM_COMMAND to the
// parent): CBN_SELCHANGE, CBN_DROPDOWN, CBN_CLOSEUP, CBN_SELENDOK,
// CBN_SELENDCANCEL, CBN_SETFOCUS, CBN_KILLFOCUS, CBN_EDITCHANGE.
#pragma once

#include "platform/window.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class EditControl;

constexpr uint32_t CBS_SIMPLE = 0x0001;
constexpr uint32_t CBS_DROPDOWN = 0x0002;
constexpr uint32_t CBS_DROPDOWNLIST = 0x0003;
constexpr uint32_t CBS_OWNERDRAWFIXED = 0x0010;
constexpr uint32_t CBS_AUTOHSCROLL = 0x0040;
constexpr uint32_t CBS_HASSTRINGS = 0x0200;
constexpr uint32_t CBS_DISABLENOSCROLL = 0x0800;

constexpr UINT CB_LIMITTEXT = 0x0141;
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_SHOWDROPDOWN = 0x014F;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_GETDROPPEDSTATE = 0x0157;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
constexpr UINT CB_SETMINVISIBLE = 0x1701;
constexpr LRESULT CB_ERR = -1;

class ComboBoxControl : public PlatformWindow {
public:
    ComboBoxControl();
    ~ComboBoxControl() override;

    int AddString(const std::wstring& text, LPARAM data = 0);
    int InsertString(int index, const std::wstring& text, LPARAM data = 0);
    bool DeleteString(int index);
    void ResetContent();
    int GetCount() const { return static_cast<int>(items_.size()); }
    std::wstring GetLBText(int index) const;
    LPARAM GetItemData(int index) const;
    bool SetItemData(int index, LPARAM data);
    // The first entry from start + 1 (wrapping) equal to text, or CB_ERR.
    int FindStringExact(int start, const std::wstring& text) const;

    int GetCurSel() const { return cur_; }
    // -1 or an index out of range clears the selection (and answers CB_ERR).
    int SetCurSel(int index);

    void ShowDropDown(bool show);
    bool GetDroppedState() const { return dropList_ != nullptr; }
    // The open list is at least this wide (it is never narrower than the box).
    void SetDroppedWidth(int width) { droppedWidth_ = width; }
    int GetDroppedWidth() const;
    // Widens the open list so that every entry's text and the note drawn at
    // its right (note(index), may be empty) fit side by side with the given
    // margins and gap, in the box's font.
    void FitDroppedWidth(const std::function<std::wstring(int)>& note, int margins, int gap);
    void SetMinVisible(int count) { minVisible_ = count; }
    int GetMinVisible() const { return minVisible_; }
    int GetItemHeight();
    void LimitText(int maxChars);
    // The selection field of the closed box (client coordinates): where an
    // owner draws the selected entry, left of the arrow button.
    RECT GetFaceRect() const;
    // The width of a box whose selection field is faceWidth wide.
    static int WidthForFace(int faceWidth);

    // The edit field of CBS_DROPDOWN boxes (null otherwise).
    EditControl* GetEditControl() const;
    // The open drop-down list (null when closed); its row i lies at
    // y = i * GetItemHeight() from its top while unscrolled.
    PlatformWindow* GetDropDownWindow() const;
    bool IsEditable() const;

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    friend class ComboDropList;
    friend class ComboEdit;
    struct Item {
        std::wstring text;
        LPARAM data = 0;
    };
    void Paint();
    void CloseDropDown(bool accept);
    void SelectByUser(int index);
    void FocusLost(PlatformWindow* newFocus);
    bool OwnsFocus(PlatformWindow* w) const;
    void SyncEditText();

    std::vector<Item> items_;
    int cur_ = -1;
    int minVisible_ = 30;
    int droppedWidth_ = 0;
    int itemHeight_ = 0;
    bool hasFocus_ = false;
    bool settingText_ = false;
    std::unique_ptr<PlatformWindow> dropList_;
    std::unique_ptr<PlatformWindow> retiredList_;
    std::unique_ptr<EditControl> edit_;
};
