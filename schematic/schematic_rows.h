// Reading the edited rows of the property panel back, for the schematic
// objects' ApplyPropertyChange. A row of another kind answers the current
// value.
#pragma once

#include "core/color_combobox.h"
#include "core/font_combobox.h"
#include "core/layer_combobox.h"
#include "core/pin_shape_combobox.h"
#include "core/property_checkbox.h"
#include "core/property_combobox.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "core/vorpel_view.h"

#include <string>

namespace SchematicRows {

inline CPropertyItem* Row(int row) {
    CPropertyGrid* grid = GetPropertyGrid();
    return grid && row >= 0 && row < grid->GetRowCount() ? grid->GetItem(row) : nullptr;
}

inline std::wstring Text(int row) {
    CPropertyItem* item = Row(row);
    if (auto* edit = dynamic_cast<CPropertyEdit*>(item))
        return edit->GetText();
    if (auto* font = dynamic_cast<CFontCombobox*>(item))
        return font->GetFaceName();
    if (auto* combo = dynamic_cast<CPropertyCombobox*>(item))
        return combo->GetSelectedText();
    return std::wstring();
}

inline bool Checked(int row, bool current) {
    CPropertyItem* item = Row(row);
    if (auto* box = dynamic_cast<CPropertyCheckbox*>(item))
        return box->GetCheck();
    if (auto* box = dynamic_cast<CPropertyEditAndCheckbox*>(item))
        return box->GetCheck();
    return current;
}

inline bool Length(int row, float& mm,
                   CPropertyGrid::LengthRange range = CPropertyGrid::LengthRange::Any) {
    CPropertyGrid* grid = GetPropertyGrid();
    CPropertyItem* item = Row(row);
    return grid && item && grid->ParseRowLength(item, &mm, range);
}

inline bool Point(int row, PointF& p) {
    CPropertyGrid* grid = GetPropertyGrid();
    CPropertyItem* item = Row(row);
    return grid && item && grid->ParsePointRow(item, &p);
}

inline int LayerChoice(int row, int current) {
    auto* combo = dynamic_cast<CLayerCombobox*>(Row(row));
    return combo ? combo->GetLayer() : current;
}

inline int PinShape(int row, int current) {
    auto* combo = dynamic_cast<CPinShapeCombobox*>(Row(row));
    return combo ? combo->GetPinShape() : current;
}

inline COLORREF Color(int row, COLORREF current) {
    auto* combo = dynamic_cast<CColorCombobox*>(Row(row));
    return combo ? combo->GetColor() : current;
}

// Once a row is applied the keyboard goes back to the window holding the
// view, so that Undo and the view's keys work without a click in the view.
inline void FocusViewParent() {
    if (g_pActiveView && g_pActiveView->GetParent())
        g_pActiveView->GetParent()->SetFocus();
}

// The same when it leaves scope, whichever way a row's apply returns.
struct FocusViewParentOnExit {
    ~FocusViewParentOnExit() { FocusViewParent(); }
};

} // namespace SchematicRows
