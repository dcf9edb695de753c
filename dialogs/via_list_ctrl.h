// The via table of the board settings dialog: one row per via padstack of a
// board's design-rule node, with the default via checked in column 0 and the
// name and four diameters in columns 1-5. The list draws its own rows, and
// edits a cell in place when it is clicked; Insert and Delete add and remove
// vias. Every change goes into the undo list it was given.
#pragma once

#include "platform/list_view_control.h"

#include <string>

class CBoardProperties;
class CPadstack;
class CUndoList;
class DeviceContext;

class CViaListCtrl : public ListViewControl {
public:
    enum Column : int {
        kColumnDefault = 0,
        kColumnName,
        kColumnRouting,
        kColumnPlane,
        kColumnDrill,
        kColumnMask,
        kColumnCount,
    };
    // Id of the in-place edit.
    static constexpr int kEditId = 3007;

    ~CViaListCtrl() override { DestroyWindow(); }

    // The node whose vias are listed, the history that records the changes
    // and the dialog's display unit (read whenever lengths are shown).
    void Attach(CBoardProperties* properties, CUndoList* undo, const int* unit);
    // One row per padstack child of the node, in child order.
    void FillRows();
    // Rewrites the length columns of every row from the model.
    void RefreshLengths();
    // The text of a cell as the list shows it.
    std::wstring CellText(const CPadstack* via, int column) const;
    CPadstack* GetRowVia(int row) const;
    bool IsEditing() const { return GetCellEdit() != nullptr; }

    // Applies the text of an open cell edit to the model and closes the edit;
    // false when no edit was open. An edit nothing was typed into changes
    // nothing. A length that is not a number, or is negative (a drill: not
    // above zero), beeps and changes nothing.
    bool CommitEdit();
    // What a click on a cell does: column 0 makes the row's via the default,
    // the others open an edit over the cell.
    void ClickCell(int row, int column);
    // Insert: a copy of the selected via, or a new default via when nothing
    // is selected. Delete: the first selected via.
    void InsertVia();
    void DeleteVia();

    // Draws one row (state image, texts, focus rectangle when selected).
    void DrawRow(DeviceContext& dc, const RECT& rect, int row, UINT itemState);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void SetRowTexts(int row);
    bool IsDefault(const CPadstack* via) const;
    // The padstack DefaultVia names (as the board finds it), or null.
    CPadstack* NamedDefault() const;
    void SetPadSize(CPadstack* via, int padLayer, float mm);
    void SetDrill(CPadstack* via, float mm);

    CBoardProperties* m_properties = nullptr;
    CUndoList* m_undo = nullptr;
    const int* m_unit = nullptr;
    // Whether the open cell edit was typed into since it opened.
    bool m_cellTyped = false;
};
