// The undo record of a sheet's settings (size, grid, unit, line widths,
// connection dot, font) as the sheet's rows in the schematic editor change
// them. Undo writes the recorded values back through the view, which then
// takes the grid step, the fonts and the paper size from them. Each setting
// before the step and as the step left it is the record's value: only what
// the step changed goes back.
#pragma once

#include "core/undo_item.h"
#include "core/value_change.h"
#include "views/schematic_view.h"

#include <string>

class CUndoSheetSizeChange : public CUndoItem {
public:
    // The values before the change.
    CUndoSheetSizeChange(CSchematicView* view, SheetSettings before);
    CUndoItem* Undo() override;
    void TakeCurrentValues() override;
    void TakeOthersValues() override;
    bool FindsValuesAsLeft() const override;

private:
    using Change = ValueChange<SIZE, int32_t, uint32_t, uint32_t, uint32_t, uint32_t, std::wstring>;
    CUndoSheetSizeChange(CSchematicView* view, Change change);
    static Change::Values ValuesOf(const SheetSettings& settings);

    CSchematicView* m_view; // the view owns the history holding the record
    Change m_change;
};
