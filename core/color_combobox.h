// The colour row: "Select" (the colour dialog) and seven fixed colours.
#pragma once

#include "core/property_combobox.h"

#include "platform/types.h"

constexpr int kColorTableSize = 8;
// Entry 0 stands for "Select"; its table colour is black.
extern const COLORREF g_PropertyColorTable[kColorTableSize];

class CColorCombobox : public CPropertyComboBase {
public:
    CColorCombobox(PropertyText name, COLORREF color);
    int GetKind() const override { return kPropertyKindColor; }
    void DrawListEntry(const DRAWITEMSTRUCT* dis) override;

    COLORREF GetColor() const { return m_color; }
    void SetColor(COLORREF color) { m_color = color; }
    // The table entry of a colour, -1 when it is none of them.
    static int FindColor(COLORREF color);

protected:
    uint32_t EditorStyle() const override;
    void FillEditor(ComboBoxControl& combo) override;
    Take TakeSelection(ComboBoxControl& combo) override;
    void DrawValue(DeviceContext& dc, const DRAWITEMSTRUCT* dis, const RECT& value) override;

private:
    COLORREF m_color;
};
