// The layer list of the stackup dialog: a board's copper layers top to
// bottom (TOP, the inner layers by id, BOT), each row drawn in its layer's
// colour with its type, the net of a plane and its thermal flag. A click on
// a cell opens a type list or a net edit over it, or flips the thermal flag;
// Insert and Delete add and remove inner layers; an inner layer is dragged
// to another place. Every change goes into the undo list it was given, and
// the conductors, areas and texts of a layer keep to it when it is deleted
// or renumbered.
#pragma once

#include "platform/list_view_control.h"

#include <map>

class CBoard;
class CLayer;
class CUndoList;
class DeviceContext;

class CStackupListCtrl : public ListViewControl {
public:
    enum Column : int {
        kColumnLayer = 0,
        kColumnType,
        kColumnNet,
        kColumnNoThermal,
        kColumnCount,
    };
    static constexpr int kTypeComboId = 3004;
    static constexpr int kNetEditId = 3005;

    ~CStackupListCtrl() override { DestroyWindow(); }

    void Attach(CBoard* board, CUndoList* undo);
    // One row per copper layer of the board: TOP, the inner layers by id,
    // BOT. The selection stays with its layer.
    void FillRows();
    CLayer* GetRowLayer(int row) const;
    int FindRow(const CLayer* layer) const;
    bool IsEditing() const { return GetCellEditor() != nullptr; }

    // What OK and Cancel do first: an open type list closes unapplied, an
    // open net edit is committed. False when nothing was open.
    bool FinishEditor();
    void ClickCell(int row, int column);
    void InsertLayer();
    void DeleteLayer();

    // The row being dragged and the row under the mouse (-1 when none).
    int GetDragRow() const { return m_dragRow; }
    int GetHoverRow() const { return m_hoverRow; }

    void DrawRow(DeviceContext& dc, const RECT& rect, int row, UINT itemState);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void ChooseType();
    void CommitNet();
    void BeginDrag(int row);
    void TrackDrag(POINT p);
    void Drop(POINT p);
    void EndDrag();
    // Gives the inner layers new ids (old id -> new id) and moves their
    // copper with them, each change recorded.
    void Renumber(const std::map<int, int>& ids);

    CBoard* m_board = nullptr;
    CUndoList* m_undo = nullptr;
    CLayer* m_editLayer = nullptr; // the layer of the open editor
    int m_dragRow = -1;
    int m_hoverRow = -1;
};
