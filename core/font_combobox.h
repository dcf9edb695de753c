// The font row: the family names of the installed fonts, or a typed name.
#pragma once

#include "core/property_combobox.h"

class CFontCombobox : public CPropertyComboBase {
public:
    CFontCombobox(PropertyText name, std::wstring faceName);
    int GetKind() const override { return kPropertyKindFont; }
    bool EndEdit(bool accept) override;

    const std::wstring& GetFaceName() const { return m_faceName; }
    void SetFaceName(std::wstring face) { m_faceName = std::move(face); }

protected:
    uint32_t EditorStyle() const override;
    void FillEditor(ComboBoxControl& combo) override;
    Take TakeSelection(ComboBoxControl& combo) override;
    void DrawValue(DeviceContext& dc, const DRAWITEMSTRUCT* dis, const RECT& value) override;

private:
    std::wstring m_faceName;
};
