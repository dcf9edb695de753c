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
    void ClearOwnSelection() override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    int GetLayer() const override { return m_layer; }
    void SetLayer(int layer) override { m_layer = layer; }
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;
    // Fills the outline in the layer's colour, clear of the exclusion of
    // CAreaFill; a sketch shows only the dashed outline (area_fill.cpp).
    void DrawOnBoard(Graphics* g, uint32_t flags) override;
    bool GetBoundsOnBoard(Graphics* g, RectF& r) override;
    CTreeNode* HitTestOnBoard(Graphics* g, float x, float y) override;
    void MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    void MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int RightClickOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DragOnBoard(Graphics* g, uint32_t flags, float x, float y) override;

    int m_layer = -1;
    CAreaNode* m_outline = nullptr;
    std::wstring m_net;
    bool m_noThermal = false;
    bool m_drawSketch = false; // not saved
};
