// The pin-shape row: eight pictures (bitmaps 273-280), the value 1-based.
#pragma once

#include "core/property_combobox.h"

constexpr int kPinShapeCount = 8;

class CPinShapeCombobox : public CPropertyComboBase {
public:
    explicit CPinShapeCombobox(int shape); // named "Pin Shape"
    int GetKind() const override { return kPropertyKindPinShape; }
    void DrawListEntry(const DRAWITEMSTRUCT* dis) override;

    int GetPinShape() const { return m_shape; }
    void SetPinShape(int shape) { m_shape = shape; }

protected:
    uint32_t EditorStyle() const override;
    void FillEditor(ComboBoxControl& combo) override;
    Take TakeSelection(ComboBoxControl& combo) override;
    void DrawValue(DeviceContext& dc, const DRAWITEMSTRUCT* dis, const RECT& value) override;

private:
    int m_shape;
};
