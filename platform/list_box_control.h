// A list box ("LISTBOX"): a column of texts with data values and at most one
// selected entry, scrolled by the wheel and the keys. A left press focuses
// the list and selects the entry under it; the arrow, Home, End, Page Up and
// Page Down keys move the selection. With LBS_NOTIFY the parent hears of a
// selection the user changed (LBN_SELCHANGE) and of a double click on an
// entry (LBN_DBLCLK); SetCurSel never notifies. With LBS_OWNERDRAWFIXED the
// parent draws every entry through WM_DRAWITEM (ODT_LISTBOX, the entry's
// rectangle in the list's client coordinates) and may set the entry height
// through WM_MEASUREITEM.
#pragma once

#include "platform/window.h"

#include <string>
#include <vector>

constexpr uint32_t LBS_NOTIFY = 0x0001;
constexpr uint32_t LBS_OWNERDRAWFIXED = 0x0010;
constexpr uint32_t LBS_HASSTRINGS = 0x0040;

constexpr int LBN_SELCHANGE = 1;
constexpr int LBN_DBLCLK = 2;
constexpr int LB_ERR = -1;

class ListBoxControl : public PlatformWindow {
public:
    ~ListBoxControl() override { DestroyWindow(); }

    int AddString(const std::wstring& text, LPARAM data = 0);
    // index -1 appends; answers the entry's index, LB_ERR when out of range.
    int InsertString(int index, const std::wstring& text, LPARAM data = 0);
    bool DeleteString(int index);
    void ResetContent();
    int GetCount() const { return static_cast<int>(items_.size()); }
    std::wstring GetText(int index) const;
    LPARAM GetItemData(int index) const;
    bool SetItemData(int index, LPARAM data);

    int GetCurSel() const { return cur_; }
    // -1 or an index out of range clears the selection (and answers LB_ERR).
    int SetCurSel(int index);

    int GetItemHeight();
    // The entry's rectangle in client coordinates, also when scrolled away.
    bool GetItemRect(int index, RECT* rect);
    // The entry under a client point, -1 for none.
    int ItemFromPoint(POINT client);
    int GetTopIndex() const { return top_; }
    void SetTopIndex(int index);
    // Scrolls the least needed to show the entry.
    void EnsureVisible(int index);
    // Repaints one entry (after its colour or text changed).
    void RedrawItem(int index);

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct Item {
        std::wstring text;
        LPARAM data = 0;
    };
    void Paint();
    // Selects an entry as the user did: scrolls to it and notifies a change.
    void SelectByUser(int index);
    int RowsPerPage();

    std::vector<Item> items_;
    int cur_ = -1;
    int top_ = 0;
    int itemHeight_ = 0;
};
