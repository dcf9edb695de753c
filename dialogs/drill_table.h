// The "Drill table" dialog (375) of a board: every hole size of the board by
// drill kind (round, slot, custom outline; plated or not) with the number of
// holes, read from the footprints of its packages, its vias and its mounting
// footprints. The holes of the current row are highlighted on the board;
// editing a row's diameter changes the drill of every padstack in the row.
// Sizes of one kind less than 0.05 mm apart are marked. The changes form
// one group of the caller's undo list, which Cancel undoes.
#pragma once

#include "platform/dialog.h"

#include <map>
#include <memory>
#include <vector>

class CBoard;
class CDrill;
class CPad;
class CTreeNode;
class CUndoList;
class ImageList;
class ListViewControl;
struct NMLVCUSTOMDRAW;

// The holes of one size and kind: the size of the first one found, and
// every pad with such a hole.
struct DrillTableEntry {
    float diameter = 0;
    std::vector<CPad*> pads;
};

class CDrillTable : public PlatformDialog {
public:
    enum ControlId : int {
        kUnit = 1013,
        kList = 1058,
    };
    static constexpr int kEditId = 3007;
    static constexpr int kKindCount = 6;
    enum Column : int { kColumnKind = 0, kColumnDiameter, kColumnCount };
    static const DialogTemplate& Resource();

    CDrillTable(CBoard* board, CUndoList* undo);
    ~CDrillTable() override;

    // 0 round non-plated, 1 round plated, 2 and 3 slots, 4 and 5 custom
    // outlines; -1 for a drill without a hole.
    static int DrillKind(const CDrill* drill);
    // The size in micrometres, rounded half away from zero.
    static int DiameterKey(float mm);
    // Sizes closer than this within one kind are marked.
    static constexpr float kNearDuplicate = 0.05f;

    ListViewControl* GetList() const;
    int GetCurrentRow() const { return m_current; }
    int GetRowKind(int row) const;
    const DrillTableEntry* GetRowEntry(int row) const;
    // Whether a neighbouring row of the same kind is less than 0.05 mm away.
    bool IsNearDuplicate(int row) const;

    int m_unit = 1;
    std::map<int, DrillTableEntry> m_maps[kKindCount];

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    struct Row {
        int kind;
        const DrillTableEntry* entry;
    };
    void OnInitDialog();
    void BuildMaps();
    void AddContainer(CTreeNode* container);
    void FillList();
    // Moves the highlight to the row (-1: none); select also selects it in
    // the list.
    void SetCurrentRow(int row, bool select);
    int FindRowOf(const CPad* pad) const;
    void OnClick(int row, int column);
    void OnKey(int vk);
    void OnUnitChanged();
    // Applies an open diameter edit; false when none was open.
    bool CommitEdit();
    void Close(int result);
    LRESULT CustomDraw(NMLVCUSTOMDRAW& cd) const;

    CBoard* m_board;
    CUndoList* m_undo;
    std::unique_ptr<ImageList> m_images;
    std::vector<Row> m_rows;
    int m_current = -1;
    std::vector<CPad*> m_highlighted;
};
