// Test helper: what the property panel shows, one line per row (name and
// value as the row holds them, whatever its kind), and whether that is what
// the object shown would fill now.
#pragma once

#include "core/color_combobox.h"
#include "core/font_combobox.h"
#include "core/layer_combobox.h"
#include "core/pin_shape_combobox.h"
#include "core/property_checkbox.h"
#include "core/property_combobox.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "platform/text.h"

#include <algorithm>
#include <string>
#include <vector>

namespace panel_rows {

inline std::wstring ValueOf(const CPropertyItem* row) {
    if (auto* r = dynamic_cast<const CPropertyEditAndCheckbox*>(row))
        return std::wstring(r->GetCheck() ? L"[x] " : L"[ ] ") + r->GetText();
    if (auto* r = dynamic_cast<const CPropertyEdit*>(row))
        return r->GetText();
    if (auto* r = dynamic_cast<const CPropertyCheckbox*>(row))
        return r->GetCheck() ? L"[x]" : L"[ ]";
    if (auto* r = dynamic_cast<const CPropertyCombobox*>(row))
        return r->GetSelectedText();
    if (auto* r = dynamic_cast<const CLayerCombobox*>(row))
        return L"layer " + std::to_wstring(r->GetLayer()) + L"/" +
               std::to_wstring(r->GetInnerCount());
    if (auto* r = dynamic_cast<const CColorCombobox*>(row))
        return L"colour " + std::to_wstring(r->GetColor());
    if (auto* r = dynamic_cast<const CFontCombobox*>(row))
        return r->GetFaceName();
    if (auto* r = dynamic_cast<const CPinShapeCombobox*>(row))
        return L"shape " + std::to_wstring(r->GetPinShape());
    return L"?";
}

// "caption", then "name: value" for each row.
inline std::vector<std::wstring> Shown(const CPropertyGrid& grid) {
    std::vector<std::wstring> rows{grid.GetTitle()};
    for (int i = 0; i < grid.GetRowCount(); ++i)
        if (const CPropertyItem* row = grid.GetItem(i))
            rows.push_back(row->GetName() + L": " + ValueOf(row));
    return rows;
}

// The value of the row of that name, or "(no row)".
inline std::wstring Value(const CPropertyGrid& grid, const std::wstring& name) {
    for (int i = 0; i < grid.GetRowCount(); ++i)
        if (const CPropertyItem* row = grid.GetItem(i); row && row->GetName() == name)
            return ValueOf(row);
    return L"(no row)";
}

// What the panel shows and what a fresh fill from its object shows, both as
// text; equal when the panel is up to date. The fresh fill stays.
struct Comparison {
    std::vector<std::wstring> shown;
    std::vector<std::wstring> fresh;
    bool Equal() const { return shown == fresh; }
    std::string Describe() const {
        std::string out = "shown | fresh fill\n";
        for (size_t i = 0; i < std::max(shown.size(), fresh.size()); ++i)
            out += WideToUtf8(i < shown.size() ? shown[i] : L"-") + " | " +
                   WideToUtf8(i < fresh.size() ? fresh[i] : L"-") + "\n";
        return out;
    }
};
inline Comparison CompareWithFreshFill(CPropertyGrid& grid) {
    Comparison c;
    c.shown = Shown(grid);
    grid.RefreshProperties();
    c.fresh = Shown(grid);
    return c;
}

} // namespace panel_rows
