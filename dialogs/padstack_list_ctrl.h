// The pad-layer table of the "Create Padstack" page: one row for each of the
// eight pad layers a padstack may define (Top, Bottom, Inner, Plane, the two
// solder-mask and the two solder-paste layers) with its shape, width and
// height. A click on a Shape cell opens a drop-down list of the shapes over
// it, a click on a Width or Height cell an edit field; a row whose pad layer
// has a custom outline is not edited here.
#pragma once

#include "platform/list_view_control.h"

#include <string>

class CPadLayer;
class CPadstack;
class CPadstackSheet;

class CPadstackListCtrl : public ListViewControl {
public:
    enum Column : int { kColumnLayer = 0, kColumnShape, kColumnWidth, kColumnHeight };
    static constexpr int kRowCount = 8;
    // Ids of the in-place editors.
    static constexpr int kComboId = 3001;
    static constexpr int kEditId = 3002;

    ~CPadstackListCtrl() override { DestroyWindow(); }

    // The padstack edited is the sheet's current object, asked for each
    // time (the sheet may replace it); unit is the page's display unit;
    // notify (the page) receives WM_USER + 27 after every change.
    void Attach(CPadstackSheet* sheet, const int* unit, PlatformWindow* notify);

    // The pad-layer value of a row (0-3, then 26-29) and back (-1: none).
    static int RowToPadLayer(int row);
    static int PadLayerToRow(int value);

    // Inserts the columns (once) and the eight rows from the padstack.
    void FillRows();
    std::wstring CellText(int row, int column) const;

    // What a click on a cell does (see above).
    void ClickCell(int row, int column);
    // Closes an open editor: an edit field is applied first when save is
    // set. True when an editor was open.
    bool CloseEditor(bool save);
    bool IsEditing() const { return GetCellEditor() != nullptr; }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    CPadstack* Padstack() const;
    void ApplyEdit(int row, int column, const std::wstring& text);
    void ApplyShape(int row, int shape);
    void Changed();

    CPadstackSheet* m_sheet = nullptr;
    const int* m_unit = nullptr;
    PlatformWindow* m_notify = nullptr;
};
