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
//
// Lists that edit their cells in place open one child editor (an edit field
// or a drop-down list) exactly over a cell; the list owns it and keeps it
// over its cell while rows are inserted, deleted or scrolled. With drag
// detection on, the click is reported when the button is released, unless
// the mouse moved far enough with the button held: then LVN_BEGINDRAG goes to
// the parent instead, and whoever takes the drag handles the following mouse
// messages (the list keeps the capture until the button is released). An
// insert mark shows where a dragged row would land. Lists that draw their
// own rows ask their parent for each cell's colours through NM_CUSTOMDRAW,
// and tell it of every key press (LVN_KEYDOWN) before they act on it.
//
// A list with more rows than it shows has a vertical scroll bar at its right
// edge: the arrows scroll a row, the track beside the thumb a page, and the
// thumb follows the mouse while dragged. Rows and their editors end at it.
#pragma once

#include "platform/window.h"

#include <memory>
#include <string>
#include <vector>

class ComboBoxControl;
class EditControl;
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
constexpr int LVSIL_SMALL = 1;
constexpr int LVSIL_STATE = 2;
constexpr UINT LVHT_NOWHERE = 0x0001;
constexpr UINT LVHT_ONITEM = 0x000E;
constexpr UINT LVHT_BELOW = 0x0020;

// Notifications of the list to its parent (WM_NOTIFY).
constexpr UINT NM_CUSTOMDRAW = static_cast<UINT>(-12);
constexpr UINT LVN_BEGINDRAG = static_cast<UINT>(-109);
constexpr UINT LVN_KEYDOWN = static_cast<UINT>(-155);

// LVN_BEGINDRAG: the row the press was on and the press point.
struct NMLISTVIEW {
    NMHDR hdr;
    int iItem = -1;
    int iSubItem = 0;
    POINT ptAction;
};

// LVN_KEYDOWN: the virtual key pressed while the list has the focus.
struct NMLVKEYDOWN {
    NMHDR hdr;
    int wVKey = 0;
};

// NM_CUSTOMDRAW of a list drawing its own rows: once per paint
// (CDDS_PREPAINT), then, when the answer asked for it, once per row
// (CDDS_ITEMPREPAINT) and once per cell (CDDS_ITEMPREPAINT | CDDS_SUBITEM).
// A cell stage may change the colours the cell is drawn in; rows shown
// selected keep the selection colours.
constexpr UINT CDDS_PREPAINT = 0x00000001;
constexpr UINT CDDS_ITEM = 0x00010000;
constexpr UINT CDDS_ITEMPREPAINT = CDDS_ITEM | CDDS_PREPAINT;
constexpr UINT CDDS_SUBITEM = 0x00020000;
constexpr LRESULT CDRF_DODEFAULT = 0x00;
constexpr LRESULT CDRF_NOTIFYITEMDRAW = 0x20;
constexpr LRESULT CDRF_NOTIFYSUBITEMDRAW = 0x20;

struct NMLVCUSTOMDRAW {
    NMHDR hdr;
    UINT dwDrawStage = 0;
    RECT rc;
    int dwItemSpec = -1; // the row
    UINT uItemState = 0; // ODS_ flags of the row
    LPARAM lItemlParam = 0;
    COLORREF clrText = 0;
    COLORREF clrTextBk = 0;
    int iSubItem = 0;
};

class ListViewControl : public PlatformWindow {
public:
    ListViewControl();
    ~ListViewControl() override;

    void SetExtendedListViewStyle(uint32_t exStyle);
    uint32_t GetExtendedListViewStyle() const { return lvExStyle_; }

    int InsertColumn(int index, const std::wstring& title, int width);
    int GetColumnCount() const { return static_cast<int>(columns_.size()); }
    int GetColumnWidth(int column) const;
    std::wstring GetColumnTitle(int column) const;
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
    // The rectangle of one cell: the row's height, the column's width.
    bool GetSubItemRect(int item, int subItem, RECT* rect);
    // Left edge of a column in client coordinates.
    int GetColumnLeft(int column) const;
    // The row under a client point, -1 for none; flags and column optional.
    int HitTest(POINT client, UINT* flags = nullptr, int* subItem = nullptr);

    // Not owned; drawn by the parent in owner-drawn lists. LVSIL_SMALL
    // images are drawn in column 0 of the rows that name one.
    void SetImageList(ImageList* images, int which);
    ImageList* GetImageList(int which) const;
    // The row's image of the small image list, -1 for none.
    bool SetItemImage(int item, int image);
    int GetItemImage(int item) const;

    // In-place editors. Opening one closes the one open before; the new
    // editor lies exactly over the cell, has the list's font, the given
    // control id and the keyboard focus (an edit field with its whole text
    // selected). Its notifications go to the list. Closing destroys the
    // window; the object lives on until the next editor opens, since a
    // handler of the editor itself may be what closes it.
    EditControl* OpenCellEdit(int item, int subItem, int id, const std::wstring& text);
    // A drop-down list; the caller fills and selects it.
    ComboBoxControl* OpenCellCombo(int item, int subItem, int id);
    void CloseCellEditor();
    // The open editor, null when none.
    PlatformWindow* GetCellEditor() const;
    EditControl* GetCellEdit() const;
    ComboBoxControl* GetCellCombo() const;
    int GetCellEditorItem() const { return editorItem_; }
    int GetCellEditorSubItem() const { return editorSubItem_; }

    // Drag detection (see above); off by default.
    void SetDragDetect(bool on) { dragDetect_ = on; }
    bool GetDragDetect() const { return dragDetect_; }
    // Distance the mouse must move with the button held before a drag begins.
    static constexpr int kDragThreshold = 4;

    // A black arrow at the top edge of the row (-1: none), pointing at the
    // boundary a dropped row would go to.
    void SetInsertMark(int item);
    int GetInsertMark() const { return insertMark_; }
    // The arrow's line runs this far in from the list's left edge.
    static constexpr int kInsertMarkLength = 20;

    int GetRowHeight();
    int GetHeaderHeight() const;
    // The vertical scroll bar (see above): its width, and whether it shows.
    static constexpr int kScrollBarWidth = 16;
    bool HasScrollBar();
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
        int image = -1;
    };
    struct Column {
        std::wstring title;
        int width = 0;
    };
    void Measure();
    void Paint();
    void PaintRow(PaintTarget* t, int i, const RECT& rc, UINT st, bool customDraw);
    void PaintInsertMark(PaintTarget* t);
    void Click(UINT code, POINT pt);
    void ButtonDown(UINT code, LPARAM lParam);
    void MouseMove(WPARAM wParam, LPARAM lParam);
    void ButtonUp();
    int TotalWidth() const;
    // The scroll bar's parts in client coordinates: the arrows at its ends,
    // the thumb on the track between them.
    struct ScrollBarParts {
        RECT bar, up, down, thumb;
    };
    ScrollBarParts GetScrollBarParts();
    int MaxTop();
    void PaintScrollBar(PaintTarget* t);
    // A press on the scroll bar: scrolls, or starts dragging the thumb.
    bool ScrollBarPress(POINT pt);
    void PlaceCellEditor();
    bool AdoptCellEditor(std::unique_ptr<PlatformWindow> editor, int item, int subItem, int id,
                         uint32_t style);

    std::vector<Item> items_;
    std::vector<Column> columns_;
    uint32_t lvExStyle_ = 0;
    int rowHeight_ = 0;
    int top_ = 0;
    ImageList* stateImages_ = nullptr;
    ImageList* smallImages_ = nullptr;
    std::unique_ptr<PlatformWindow> editor_;
    std::vector<std::unique_ptr<PlatformWindow>> retiredEditors_;
    int editorItem_ = -1;
    int editorSubItem_ = -1;
    bool dragDetect_ = false;
    bool pressed_ = false; // a press waits for its release or a drag
    POINT pressPoint_{0, 0};
    int pressItem_ = -1;
    int pressSubItem_ = 0;
    int insertMark_ = -1;
    // The thumb being dragged: the press point's y and the top row then.
    bool thumbDrag_ = false;
    int thumbPressY_ = 0;
    int thumbPressTop_ = 0;
};
