// The copper (or mask, paste) shape of a padstack on one layer.
#pragma once

#include "board/board_types.h"
#include "core/tree_node.h"

class CAreaNode;
class CLayer;
class CThermalRelief;

class CPadLayer : public CTreeNode {
public:
    explicit CPadLayer(int layer = -1);
    CPadLayer(const CPadLayer& other);
    ~CPadLayer() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    CThermalRelief* FindThermalRelief() const;
    // Own thermal relief, else the board's (last under its properties).
    CThermalRelief* GetEffectiveThermalRelief() const;
    bool IsDifferent(const CPadLayer* other) const;
    void Rotate90(bool shift);
    void MirrorHorizontally();
    void MirrorVertically();
    // The shape choice of the property rows (records its undo step).
    void SetShape(int shape);

    int m_layer;                     // PadLayerId
    CLayer* m_pDrawnLayer = nullptr; // set by the board drawing; not saved
    int m_shape = kPadShapeNone;
    float m_width = 0;
    float m_height = 0;
    CAreaNode* m_outline = nullptr;
};
