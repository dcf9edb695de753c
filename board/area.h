// A copper area: a filled outline on one layer, optionally of a net.
#pragma once

#include "core/tree_node.h"
#include "platform/graphics_path.h"

#include <cstdint>
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
    // Fills the copper of CAreaFill in the layer's colour (its holes even-odd),
    // kept from one drawing to the next while what it is made from stays the
    // same; a sketch shows only the dashed outline (area_fill.cpp).
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
    // The copper as last drawn and the key of what it was made from
    // (CAreaFill::GetInputKey); neither copied nor saved.
    uint64_t m_fillKey = 0;
    GraphicsPath m_fillPath;
};
