// One layer of a board's stackup.
#pragma once

#include "board/board_types.h"
#include "core/tree_node.h"

#include <string>

class CLayer : public CTreeNode {
public:
    explicit CLayer(int id = -1);
    CLayer(const CLayer& other) = default;
    ~CLayer() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;
    // What lies on the layer finds it by its id.
    std::wstring ReferenceKey() const override;
    void ForEachReferrer(const std::function<void(const CTreeNode*)>& visit) const override;

    int m_id;
    int m_layerType = kLayerTypeRouting;
    std::wstring m_net; // plane layers only
    bool m_noThermal = false;
};

// Whether node lies on a layer of the stackup by its id, and moves with it
// when the stackup renumbers its layers: a conductor, an area or a text. A
// marking's layer is a kind of layer, which no stackup step changes.
bool LiesOnStackupLayer(const CTreeNode* node);
