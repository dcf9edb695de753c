// One row of the property panel: a name on the left of the divider and a
// value on the right, edited in place by a small editor window. The row's
// value lives in the row object itself, so rows can be filled, read and
// changed whether or not the panel's window exists; the editor windows come
// into being only while a row is edited in a created panel.
#pragma once

#include "platform/types.h"

#include <string>

class CPropertyListCtrl;
class DeviceContext;
struct DRAWITEMSTRUCT;

// A text given either as the text itself or as a string-table id (a value
// below 0x10000), loaded when the argument is made.
class PropertyText {
public:
    PropertyText(const wchar_t* text) : text_(text ? text : L"") {}
    PropertyText(std::wstring text) : text_(std::move(text)) {}
    PropertyText(unsigned id);
    PropertyText(int id) : PropertyText(static_cast<unsigned>(id)) {}
    const std::wstring& Text() const { return text_; }
    operator const std::wstring&() const { return text_; }

private:
    std::wstring text_;
};

// The kind ids rows report (a plain check box reports 0, as an edit row does).
enum PropertyItemKind {
    kPropertyKindEdit = 0,
    kPropertyKindCheckbox = 0,
    kPropertyKindEditAndCheckbox = 2,
    kPropertyKindEditAndButton = 3,
    kPropertyKindCombobox = 4,
    kPropertyKindPinShape = 5,
    kPropertyKindSheetSize = 6,
    kPropertyKindLayer = 7,
    kPropertyKindFont = 8,
    kPropertyKindColor = 9,
};

class CPropertyItem {
public:
    explicit CPropertyItem(PropertyText name);
    virtual ~CPropertyItem();
    CPropertyItem(const CPropertyItem&) = delete;
    CPropertyItem& operator=(const CPropertyItem&) = delete;

    virtual int GetKind() const = 0;
    // Draws the row (name column, then the value) into the list's row rectangle.
    virtual void Draw(const DRAWITEMSTRUCT* dis);
    // Draws an entry of this row's open drop-down list; other rows ignore it.
    virtual void DrawListEntry(const DRAWITEMSTRUCT* dis);
    // Moves an open editor to the value column after the divider moved.
    virtual void MoveEditor();
    // A click on the list: inValue is true only for the row hit, and only
    // right of the divider. True when the click changed the value.
    virtual bool OnClick(bool inValue, int x);
    // Ends an open edit with Enter (accept) or Esc (restore the old value).
    // False when no editor was open.
    virtual bool EndEdit(bool accept);
    // Opens the row's editor over the value column.
    virtual void BeginEdit();
    // Closes an open editor; true when the row's value was taken from it
    // (the panel then applies the row).
    virtual bool CommitEdit();
    virtual bool IsEditing() const;
    // Closes any editor before the row is deleted.
    virtual void CloseEditor();

    const std::wstring& GetName() const { return m_name; }
    CPropertyListCtrl* GetList() const { return m_pList; }
    void SetList(CPropertyListCtrl* list) { m_pList = list; }
    // The row rectangle of the last drawing (list client coordinates).
    const RECT& GetRect() const { return m_rect; }
    void SetRect(const RECT& rect) { m_rect = rect; }

protected:
    // The value column of the row: divider to the right edge.
    RECT ValueRect() const;
    int Divider() const;
    int RowHeight() const;
    // Draws a one-line text vertically centred in r, cut with an ellipsis.
    static void DrawRowText(DeviceContext& dc, const std::wstring& text, const RECT& r);

    CPropertyListCtrl* m_pList = nullptr;
    std::wstring m_name;
    RECT m_rect;
    int m_accept = 1;
};
