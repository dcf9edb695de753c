// A copper area: a filled outline on one layer, optionally of a net.
#pragma once

#include "core/tree_node.h"

#include <string>

class CAreaNode;

class CArea : public CTreeNode {
public:
    CArea();
    CArea(const CArea& other);
    ~CArea() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    int GetLayer() const override { return m_layer; }
    void SetLayer(int layer) override { m_layer = layer; }
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    int m_layer = -1;
    CAreaNode* m_outline = nullptr;
    std::wstring m_net;
    bool m_noThermal = false;
    bool m_drawSketch = false; // not saved
};
