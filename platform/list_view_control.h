// A report list ("SysListView32"): columns, rows with texts and a data
// value, selection, item rectangles, hit tests and vertical scrolling.
// LVS_EX_CHECKBOXES gives every row a check box, shown with the state image
// list (image 0 unchecked, 1 checked). In a list that draws its own rows a
// click on the box toggles it; in an owner-drawn list the parent or a
// subclass draws the box and decides what toggles it. With
// LVS_OWNERDRAWFIXED each row is drawn by the parent through WM_DRAWITEM
// (ODT_LISTVIEW; the target and row rectangle of the list's paint) and the
// row height comes from WM_MEASUREITEM. A left press focuses the list,
// selects the row under it and sends NM_CLICK (NMITEMACTIVATE) to the parent.
#pragma once

#include "platform/window.h"

#include <string>
#include <vector>

class ImageList;

constexpr uint32_t LVS_REPORT = 0x0001;
constexpr uint32_t LVS_SINGLESEL = 0x0004;
constexpr uint32_t LVS_SHOWSELALWAYS = 0x0008;
constexpr uint32_t LVS_OWNERDRAWFIXED = 0x0400;
constexpr uint32_t LVS_NOCOLUMNHEADER = 0x4000;

constexpr uint32_t LVS_EX_GRIDLINES = 0x0001;
constexpr uint32_t LVS_EX_CHECKBOXES = 0x0004;
constexpr uint32_t LVS_EX_FULLROWSELECT = 0x0020;

constexpr UINT LVIS_FOCUSED = 0x0001;
constexpr UINT LVIS_SELECTED = 0x0002;
// The state image of a row (1 unchecked, 2 checked in check-box lists; 0
// none) is kept in these bits of its state.
constexpr UINT LVIS_STATEIMAGEMASK = 0xF000;
constexpr UINT INDEXTOSTATEIMAGEMASK(UINT index) {
    return index << 12;
}
constexpr UINT STATEIMAGEMASKTOINDEX(UINT state) {
    return (state & LVIS_STATEIMAGEMASK) >> 12;
}
constexpr UINT LVNI_ALL = 0x0000;
constexpr UINT LVNI_FOCUSED = 0x0001;
constexpr UINT LVNI_SELECTED = 0x0002;
constexpr int LVIR_BOUNDS = 0;
constexpr int LVIR_LABEL = 2;
constexpr int LVSIL_STATE = 2;
constexpr UINT LVHT_NOWHERE = 0x0001;
constexpr UINT LVHT_ONITEM = 0x000E;
constexpr UINT LVHT_BELOW = 0x0020;

class ListViewControl : public PlatformWindow {
public:
    ~ListViewControl() override { DestroyWindow(); }

    void SetExtendedListViewStyle(uint32_t exStyle);
    uint32_t GetExtendedListViewStyle() const { return lvExStyle_; }

    int InsertColumn(int index, const std::wstring& title, int width);
    int GetColumnCount() const { return static_cast<int>(columns_.size()); }
    int GetColumnWidth(int column) const;
    bool SetColumnWidth(int column, int width);

    // Returns the new row's index, -1 on failure.
    int InsertItem(int index, const std::wstring& text, LPARAM data = 0);
    bool DeleteItem(int item);
    void DeleteAllItems();
    int GetItemCount() const { return static_cast<int>(items_.size()); }
    LPARAM GetItemData(int item) const;
    bool SetItemData(int item, LPARAM data);
    std::wstring GetItemText(int item, int subItem) const;
    bool SetItemText(int item, int subItem, const std::wstring& text);

    bool SetItemState(int item, UINT state, UINT mask);
    // Check boxes of LVS_EX_CHECKBOXES lists (the row's state image).
    bool SetCheckState(int item, bool checked);
    bool GetCheckState(int item) const;
    UINT GetItemState(int item, UINT mask) const;
    // The next row after start (-1: from the first) with the flags' states.
    int GetNextItem(int start, UINT flags) const;
    int GetSelectedIndex() const { return GetNextItem(-1, LVNI_SELECTED); }
    bool SelectItem(int item);

    // Row rectangle in client coordinates (also for rows scrolled away).
    bool GetItemRect(int item, RECT* rect, int code = LVIR_BOUNDS);
    // The row under a client point, -1 for none; flags and column optional.
    int HitTest(POINT client, UINT* flags = nullptr, int* subItem = nullptr);

    // Not owned; drawn by the parent in owner-drawn lists.
    void SetImageList(ImageList* images, int which);
    ImageList* GetImageList(int which) const;

    int GetRowHeight();
    int GetHeaderHeight() const;
    int GetTopIndex() const { return top_; }
    int GetCountPerPage();
    bool EnsureVisible(int item);
    void Scroll(int rows);
    void RedrawItems(int first, int last);

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct Item {
        std::vector<std::wstring> texts;
        LPARAM data = 0;
        UINT state = 0;
    };
    struct Column {
        std::wstring title;
        int width = 0;
    };
    void Measure();
    void Paint();
    void Click(UINT code, LPARAM lParam);
    int TotalWidth() const;

    std::vector<Item> items_;
    std::vector<Column> columns_;
    uint32_t lvExStyle_ = 0;
    int rowHeight_ = 0;
    int top_ = 0;
    ImageList* stateImages_ = nullptr;
};
