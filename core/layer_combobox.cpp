#include "core/layer_combobox.h"

#include "platform/combo_box_control.h"
#include "platform/string_table.h"

CLayerCombobox::CLayerCombobox(PropertyText name, unsigned currentId, int innerCount,
                               uint64_t documentation)
    : CPropertyComboBase(std::move(name)), m_layerId(currentId),
      m_innerCount(innerCount < 0 ? 0 : (innerCount > 20 ? 20 : innerCount)),
      m_documentation(documentation) {}

std::vector<unsigned> CLayerCombobox::OfferedIds() const {
    std::vector<unsigned> ids;
    for (int layer = 0; layer < 2 + m_innerCount; ++layer)
        ids.push_back(kLayerNameBase + static_cast<unsigned>(layer));
    for (int layer = 22; layer < 32; ++layer)
        if (m_documentation & (1ull << layer))
            ids.push_back(kLayerNameBase + static_cast<unsigned>(layer));
    return ids;
}

void CLayerCombobox::FillEditor(ComboBoxControl& combo) {
    for (unsigned id : OfferedIds()) {
        int index = combo.AddString(LoadStringText(id), static_cast<LPARAM>(id));
        if (id == m_layerId)
            combo.SetCurSel(index);
    }
}

CPropertyComboBase::Take CLayerCombobox::TakeSelection(ComboBoxControl& combo) {
    int sel = combo.GetCurSel();
    if (sel < 0)
        return Take::Nothing; // the layer stays as it was
    m_layerId = static_cast<unsigned>(combo.GetItemData(sel));
    return Take::Taken;
}

void CLayerCombobox::DrawValue(DeviceContext& dc, const DRAWITEMSTRUCT*, const RECT& value) {
    DrawRowText(dc, LoadStringText(m_layerId),
                RECT{value.left + 4, value.top, value.right, value.bottom});
}
