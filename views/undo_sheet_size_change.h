// The undo record of a sheet's settings (size, grid, unit, line widths,
// connection dot, font) as the sheet's rows in the schematic editor change
// them. Undo writes the recorded values back through the view, which then
// takes the grid step, the fonts and the paper size from them.
#pragma once

#include "core/undo_item.h"
#include "views/schematic_view.h"

class CUndoSheetSizeChange : public CUndoItem {
public:
    // The values before the change.
    CUndoSheetSizeChange(CSchematicView* view, SheetSettings before);
    CUndoItem* Undo() override;

private:
    CSchematicView* m_view; // the view owns the history holding the record
    SheetSettings m_settings;
};
