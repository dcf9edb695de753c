// A board-layer row: the layer's name, picked from the layers valid for the
// object (top, bottom, the board's inner layers, then the documentation
// layers). The value is the string id of the layer name, 33000 + BoardLayer.
#pragma once

#include "core/property_combobox.h"

#include <cstdint>

constexpr unsigned kLayerNameBase = 33000;
// The documentation layers 22 to 31.
constexpr uint64_t kDocumentationLayers = 0xFFC00000ull;

class CLayerCombobox : public CPropertyComboBase {
public:
    // innerCount: inner layers of the board; documentation: which of the
    // layers 22-31 the object may lie on (bit n for layer n).
    CLayerCombobox(PropertyText name, unsigned currentId, int innerCount,
                   uint64_t documentation = kDocumentationLayers);
    int GetKind() const override { return kPropertyKindLayer; }

    unsigned GetLayerStringId() const { return m_layerId; }
    void SetLayerStringId(unsigned id) { m_layerId = id; }
    int GetLayer() const { return static_cast<int>(m_layerId) - static_cast<int>(kLayerNameBase); }
    int GetInnerCount() const { return m_innerCount; }
    // The string ids offered, in drop-down order.
    std::vector<unsigned> OfferedIds() const;

protected:
    void FillEditor(ComboBoxControl& combo) override;
    Take TakeSelection(ComboBoxControl& combo) override;
    void DrawValue(DeviceContext& dc, const DRAWITEMSTRUCT* dis, const RECT& value) override;

private:
    unsigned m_layerId;
    int m_innerCount;
    uint64_t m_documentation;
};
