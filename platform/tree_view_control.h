// A tree of items ("SysTreeView32"): each item has a text, a normal and a
// selected image from the tree's image list, a data value and its children.
// Items are expanded and collapsed, one item is selected, one may be drop
// highlighted while something is dragged over the tree, and an insertion
// mark may be shown before or after an item. Labels are edited in place.
//
// Mouse: a press on an item's button toggles it; a press on its icon or
// label followed by a move beyond a few pixels sends TVN_BEGINDRAG (unless
// TVS_DISABLEDRAGDROP) and leaves the rest of the drag to the parent; a
// press and release send NM_CLICK and then, unless the parent answered
// non-zero, select the item. A click on the label of the item that was
// already selected in the focused tree starts label editing (TVS_EDITLABELS)
// after the double-click time, unless a double click comes first. A double
// click sends NM_DBLCLK and, unless the parent answered non-zero, toggles the
// item. A right press sends NM_RCLICK; unless the parent answered non-zero,
// the release brings WM_CONTEXTMENU to the parent.
//
// Keys (each first reported as TVN_KEYDOWN): Up, Down, Home, End, Page Up,
// Page Down move the selection among the shown items; Left collapses or goes
// to the parent; Right expands or goes to the first child; + and - expand and
// collapse; Backspace goes to the parent; F2 edits the label; a letter
// selects the next shown item whose text starts with it.
//
// Label editing: TVN_BEGINLABELEDIT may refuse (answer non-zero); an edit
// field lies over the label; Enter ends it, Esc cancels it, and so does the
// focus leaving it (ending). TVN_ENDLABELEDIT carries the new text (null
// when cancelled); answering non-zero takes the text as the item's label.
//
// Notifications whose answer may destroy the tree (a dialog ending) are
// followed by a check that the tree still lives.
#pragma once

#include "platform/window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

class EditControl;
class ImageList;

struct TreeItem;
using HTREEITEM = TreeItem*;

// Places given to InsertItem instead of a parent or a preceding item.
inline const HTREEITEM TVI_ROOT = reinterpret_cast<HTREEITEM>(~static_cast<uintptr_t>(0xFFFF));
inline const HTREEITEM TVI_FIRST = reinterpret_cast<HTREEITEM>(~static_cast<uintptr_t>(0xFFFE));
inline const HTREEITEM TVI_LAST = reinterpret_cast<HTREEITEM>(~static_cast<uintptr_t>(0xFFFD));
inline const HTREEITEM TVI_SORT = reinterpret_cast<HTREEITEM>(~static_cast<uintptr_t>(0xFFFC));

// Styles.
constexpr uint32_t TVS_HASBUTTONS = 0x0001;
constexpr uint32_t TVS_HASLINES = 0x0002;
constexpr uint32_t TVS_LINESATROOT = 0x0004;
constexpr uint32_t TVS_EDITLABELS = 0x0008;
constexpr uint32_t TVS_DISABLEDRAGDROP = 0x0010;
constexpr uint32_t TVS_SHOWSELALWAYS = 0x0020;

// Item states.
constexpr UINT TVIS_SELECTED = 0x0002;
constexpr UINT TVIS_DROPHILITED = 0x0008;
constexpr UINT TVIS_EXPANDED = 0x0020;
constexpr UINT TVIS_EXPANDEDONCE = 0x0040;

// Expand codes.
constexpr UINT TVE_COLLAPSE = 0x0001;
constexpr UINT TVE_EXPAND = 0x0002;
constexpr UINT TVE_TOGGLE = 0x0003;

// How a selection change came about.
constexpr UINT TVC_UNKNOWN = 0x0000;
constexpr UINT TVC_BYMOUSE = 0x0001;
constexpr UINT TVC_BYKEYBOARD = 0x0002;

// Hit-test answers. An item's row is, from the left: the indent with the
// lines, the button, the icon, the label and the area right of the label.
// ONUPPERHALF or ONLOWERHALF is added to every answer on an item's row.
constexpr UINT TVHT_NOWHERE = 0x0001;
constexpr UINT TVHT_ONITEMICON = 0x0002;
constexpr UINT TVHT_ONITEMLABEL = 0x0004;
constexpr UINT TVHT_ONITEMINDENT = 0x0008;
constexpr UINT TVHT_ONITEMBUTTON = 0x0010;
constexpr UINT TVHT_ONITEMRIGHT = 0x0020;
constexpr UINT TVHT_ONITEMSTATEICON = 0x0040; // no state images here; never answered
constexpr UINT TVHT_ONITEM = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON;
constexpr UINT TVHT_ABOVE = 0x0100;
constexpr UINT TVHT_BELOW = 0x0200;
constexpr UINT TVHT_TORIGHT = 0x0400;
constexpr UINT TVHT_TOLEFT = 0x0800;
constexpr UINT TVHT_ONUPPERHALF = 0x4000;
constexpr UINT TVHT_ONLOWERHALF = 0x8000;

constexpr int TVSIL_NORMAL = 0;

// Notifications (WM_NOTIFY to the parent).
constexpr UINT TVN_KEYDOWN = static_cast<UINT>(-412);        // NMTVKEYDOWN
constexpr UINT TVN_SELCHANGING = static_cast<UINT>(-450);    // NMTREEVIEW; non-zero refuses
constexpr UINT TVN_SELCHANGED = static_cast<UINT>(-451);     // NMTREEVIEW
constexpr UINT TVN_ITEMEXPANDING = static_cast<UINT>(-454);  // NMTREEVIEW; non-zero refuses
constexpr UINT TVN_ITEMEXPANDED = static_cast<UINT>(-455);   // NMTREEVIEW
constexpr UINT TVN_BEGINDRAG = static_cast<UINT>(-456);      // NMTREEVIEW
constexpr UINT TVN_DELETEITEM = static_cast<UINT>(-458);     // NMTREEVIEW (itemOld)
constexpr UINT TVN_BEGINLABELEDIT = static_cast<UINT>(-459); // NMTVDISPINFO; non-zero refuses
constexpr UINT TVN_ENDLABELEDIT = static_cast<UINT>(-460);   // NMTVDISPINFO; non-zero accepts
// NM_CLICK, NM_DBLCLK and NM_RCLICK of a tree carry an NMTVMOUSE.

// An item as the notifications describe it.
struct TVITEM {
    HTREEITEM hItem = nullptr;
    UINT state = 0;
    LPARAM lParam = 0;
    // The label; in TVN_ENDLABELEDIT the edited text, null when cancelled.
    const wchar_t* pszText = nullptr;
};

struct NMTREEVIEW {
    NMHDR hdr;
    UINT action = 0; // TVC_ for selection changes, TVE_ for expansion
    TVITEM itemOld;
    TVITEM itemNew;
    POINT ptDrag; // TVN_BEGINDRAG: where the press was (client)
};

struct NMTVDISPINFO {
    NMHDR hdr;
    TVITEM item;
};

struct NMTVKEYDOWN {
    NMHDR hdr;
    int wVKey = 0;
    UINT flags = 0;
};

// A click: the point (client) and what it hit there.
struct NMTVMOUSE {
    NMHDR hdr;
    HTREEITEM hItem = nullptr;
    UINT hitFlags = TVHT_NOWHERE;
    POINT pt;
};

class TreeViewControl : public PlatformWindow {
public:
    TreeViewControl();
    ~TreeViewControl() override;

    // --- Items ------------------------------------------------------------
    // Inserts under parent (TVI_ROOT for a top item) after insertAfter (an
    // item of parent, TVI_FIRST, TVI_LAST, or TVI_SORT for the place by text,
    // case-insensitively). Null when parent or insertAfter is not an item of
    // this tree.
    HTREEITEM InsertItem(const std::wstring& text, int image, int selectedImage,
                         HTREEITEM parent = TVI_ROOT, HTREEITEM insertAfter = TVI_LAST,
                         LPARAM data = 0);
    HTREEITEM InsertItem(const std::wstring& text, HTREEITEM parent = TVI_ROOT,
                         HTREEITEM insertAfter = TVI_LAST) {
        return InsertItem(text, 0, 0, parent, insertAfter, 0);
    }
    // Deletes the item and its children (TVN_DELETEITEM for each, children
    // first). A deleted selection passes to the next sibling, else the
    // previous one, else the parent. TVI_ROOT deletes everything.
    bool DeleteItem(HTREEITEM item);
    // Everything, without selecting anything else.
    void DeleteAllItems();
    // False for a handle that is not a live item of this tree.
    bool IsItem(HTREEITEM item) const;
    int GetCount() const { return static_cast<int>(items_.size()); }

    std::wstring GetItemText(HTREEITEM item) const;
    bool SetItemText(HTREEITEM item, const std::wstring& text);
    LPARAM GetItemData(HTREEITEM item) const;
    bool SetItemData(HTREEITEM item, LPARAM data);
    bool GetItemImage(HTREEITEM item, int* image, int* selectedImage) const;
    bool SetItemImage(HTREEITEM item, int image, int selectedImage);
    UINT GetItemState(HTREEITEM item, UINT mask) const;
    // Sets state bits without notifications (TVIS_SELECTED is kept by
    // SelectItem, TVIS_DROPHILITED by SelectDropTarget).
    bool SetItemState(HTREEITEM item, UINT state, UINT mask);
    // Whether the item shows a button: it has children, or the caller says so
    // (children added on expansion).
    bool ItemHasChildren(HTREEITEM item) const;
    bool SetItemHasChildren(HTREEITEM item, bool hasChildren);

    // --- Navigation (null for none) ---------------------------------------
    HTREEITEM GetRootItem() const;
    HTREEITEM GetParentItem(HTREEITEM item) const;
    HTREEITEM GetChildItem(HTREEITEM item) const; // TVI_ROOT: the first top item
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const;
    // Shown items: those whose parents are all expanded, in display order.
    HTREEITEM GetFirstVisibleItem() const; // the top row
    HTREEITEM GetNextVisibleItem(HTREEITEM item) const;
    HTREEITEM GetPrevVisibleItem(HTREEITEM item) const;
    HTREEITEM GetLastVisibleItem() const;
    HTREEITEM GetSelectedItem() const { return selected_; }
    HTREEITEM GetDropHilightItem() const { return dropTarget_; }

    // --- Selection and expansion --------------------------------------------
    // Selects the item (null: none) with TVN_SELCHANGING (which may refuse)
    // and TVN_SELCHANGED, expanding its parents and scrolling it into view.
    bool SelectItem(HTREEITEM item) { return Select(item, TVC_UNKNOWN); }
    // The drop highlight (null: none); no notifications.
    bool SelectDropTarget(HTREEITEM item);
    // TVE_EXPAND, TVE_COLLAPSE or TVE_TOGGLE. An item without children (and
    // not marked as having some) cannot expand. A change sends
    // TVN_ITEMEXPANDING, which may refuse, then TVN_ITEMEXPANDED; collapsing
    // an item that holds the selection selects the item.
    bool Expand(HTREEITEM item, UINT code) { return DoExpand(item, code, TVC_UNKNOWN); }
    // Expands the item's parents and scrolls its row into view.
    bool EnsureVisible(HTREEITEM item);
    // Orders the children of parent (TVI_ROOT: the top items) by less;
    // with recurse, their children too. Equal items keep their order.
    using ItemLess = std::function<bool(HTREEITEM a, HTREEITEM b)>;
    bool SortChildren(HTREEITEM parent, const ItemLess& less, bool recurse = false);

    // --- Geometry -----------------------------------------------------------
    // The item's row (whole width) or, with textOnly, its label; false when
    // the item is not shown (a collapsed parent). Rows scrolled away have
    // rectangles outside the client area.
    bool GetItemRect(HTREEITEM item, RECT* rect, bool textOnly) const;
    HTREEITEM HitTest(POINT client, UINT* flags = nullptr) const;
    int GetItemHeight() const;
    int GetIndent() const { return indent_; }
    void SetIndent(int pixels);
    // Rows that fit in the client area (a partly shown row not counted).
    int GetVisibleCount() const;
    // Scrolls by whole rows (positive: towards the end), kept in range.
    void ScrollRows(int rows);
    int GetTopIndex() const { return top_; }

    // --- Images ---------------------------------------------------------------
    // Not owned. Answers the list in force before.
    ImageList* SetImageList(ImageList* images, int which = TVSIL_NORMAL);
    ImageList* GetImageList(int which = TVSIL_NORMAL) const;

    // --- Insertion mark ---------------------------------------------------------
    // A line before or after the item (null removes it).
    bool SetInsertMark(HTREEITEM item, bool after);
    HTREEITEM GetInsertMark(bool* after = nullptr) const;

    // --- Label editing ------------------------------------------------------------
    // Begins editing the item's label; the edit field, or null when refused.
    EditControl* EditLabel(HTREEITEM item);
    EditControl* GetEditControl() const;
    HTREEITEM GetEditItem() const { return editItem_; }
    // Ends the edit (cancel: without taking the text); false when none.
    bool EndEditLabelNow(bool cancel);

    // The id of the timer that starts label editing after a click.
    static constexpr uint64_t kEditTimerId = 0x7E01;

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    class LabelEdit;
    class EditKeys;
    friend class LabelEdit;
    friend class EditKeys;

    bool Select(HTREEITEM item, UINT action);
    bool DoExpand(HTREEITEM item, UINT code, UINT action);
    HTREEITEM Parent(HTREEITEM parent) const; // TVI_ROOT -> root sentinel
    void Unlink(TreeItem* item);
    void Destroy(TreeItem* item, bool notify);
    void RowsChanged();
    const std::vector<TreeItem*>& Rows() const;
    int Depth(const TreeItem* item) const;
    int LevelX(const TreeItem* item) const;
    int ImageWidth() const;
    int LabelWidth(const TreeItem* item) const;
    void ClampTop();
    void InvalidateItem(HTREEITEM item);
    LRESULT Notify(UINT code, NMHDR* hdr);
    TVITEM Describe(HTREEITEM item) const;
    void Paint();
    void OnButtonDown(LPARAM lParam);
    void OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnButtonUp(LPARAM lParam);
    void OnDoubleClick(LPARAM lParam);
    LRESULT SendMouseNotify(UINT code, LPARAM lParam);
    void OnKeyDown(int vk);
    void OnChar(wchar_t c);
    void RetireEdit();

    std::unique_ptr<TreeItem> root_; // sentinel; its children are the top items
    std::unordered_set<TreeItem*> items_;
    HTREEITEM selected_ = nullptr;
    HTREEITEM dropTarget_ = nullptr;
    HTREEITEM insertMark_ = nullptr;
    bool insertMarkAfter_ = true;
    ImageList* images_ = nullptr;
    int indent_ = 19;
    int top_ = 0;
    mutable std::vector<TreeItem*> rows_;
    mutable bool rowsDirty_ = true;

    // A left press waiting for its release or for a drag.
    struct Press {
        bool active = false;
        POINT pt;
        HTREEITEM item = nullptr;
        UINT flags = 0;
        bool wasSelected = false;
        bool hadFocus = false;
    } press_;
    bool rightTaken_ = false;
    HTREEITEM editPending_ = nullptr;

    std::unique_ptr<LabelEdit> edit_;
    std::vector<std::unique_ptr<LabelEdit>> retired_;
    std::unique_ptr<EditKeys> editKeys_;
    HTREEITEM editItem_ = nullptr;
    bool ending_ = false;
};
