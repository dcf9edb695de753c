// The paper-size row of a sheet: the series and sizes of the sheet's
// paper-size table, series headings included (picking one keeps the
// drop-down open).
#pragma once

#include "core/property_combobox.h"

class CSheetSizeTable;

class CSheetSizeCombobox : public CPropertyComboBase {
public:
    explicit CSheetSizeCombobox(CSheetSizeTable* table); // named "Format"
    int GetKind() const override { return kPropertyKindSheetSize; }
    void DrawListEntry(const DRAWITEMSTRUCT* dis) override;

    CSheetSizeTable* GetTable() const { return m_table; }

protected:
    uint32_t EditorStyle() const override;
    void FillEditor(ComboBoxControl& combo) override;
    Take TakeSelection(ComboBoxControl& combo) override;
    void DrawValue(DeviceContext& dc, const DRAWITEMSTRUCT* dis, const RECT& value) override;
    void AfterOpen(ComboBoxControl& combo) override;

private:
    CSheetSizeTable* m_table;
};
