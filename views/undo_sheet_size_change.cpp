#include "views/undo_sheet_size_change.h"

namespace {
auto FieldsOf(SheetSettings& s) {
    return std::tie(s.size, s.grid, s.unit, s.wireWidth, s.busWidth, s.dotDiameter, s.fontName);
}
} // namespace

CUndoSheetSizeChange::Change::Values CUndoSheetSizeChange::ValuesOf(const SheetSettings& settings) {
    SheetSettings copy = settings;
    return Change::Values(FieldsOf(copy));
}

CUndoSheetSizeChange::CUndoSheetSizeChange(CSchematicView* view, SheetSettings before)
    : m_view(view), m_change(ValuesOf(before)) {}

CUndoSheetSizeChange::CUndoSheetSizeChange(CSchematicView* view, Change change)
    : m_view(view), m_change(std::move(change)) {}

void CUndoSheetSizeChange::TakeCurrentValues() {
    m_change.TakeCurrent(ValuesOf(m_view->GetSheetSettings()));
}

void CUndoSheetSizeChange::TakeOthersValues() {
    m_change.TakeOthers(ValuesOf(m_view->GetSheetSettings()));
}

bool CUndoSheetSizeChange::FindsValuesAsLeft() const {
    return m_change.FindsAsLeft(ValuesOf(m_view->GetSheetSettings()));
}

CUndoItem* CUndoSheetSizeChange::Undo() {
    SheetSettings settings = m_view->GetSheetSettings();
    m_change.TakeCurrent(ValuesOf(settings));
    if (m_change.IsEmpty())
        return new CUndoSheetSizeChange(m_view, Change(ValuesOf(settings)));
    auto* inverse = new CUndoSheetSizeChange(m_view, m_change.PutBack(FieldsOf(settings)));
    m_view->RestoreSheetSettings(settings);
    return inverse;
}
