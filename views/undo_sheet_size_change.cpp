#include "views/undo_sheet_size_change.h"

CUndoSheetSizeChange::CUndoSheetSizeChange(CSchematicView* view, SheetSettings before)
    : m_view(view), m_settings(std::move(before)) {}

CUndoItem* CUndoSheetSizeChange::Undo() {
    auto* inverse = new CUndoSheetSizeChange(m_view, m_view->GetSheetSettings());
    m_view->RestoreSheetSettings(m_settings);
    return inverse;
}
