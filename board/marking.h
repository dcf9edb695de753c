// Drawn, non-electrical graphics of a footprint or padstack on one layer.
#pragma once

#include "core/tree_node.h"

#include <vector>

class CMarkingPrimitive;

class CMarking : public CTreeNode {
public:
    explicit CMarking(int layer = -1);
    CMarking(const CMarking& other);
    ~CMarking() override;

    CTreeNode* Clone() const override;
    void ClearOwnSelection() override;
    const wchar_t* GetTagName() const override;
    // Cuts the text into tokens turned into primitives (when a token parser
    // is installed; otherwise the text is kept as it is).
    void ReadAttributes() override;
    // Rebuilds the text from the primitives (when they were parsed).
    void WriteAttributes() override;
    int GetLayer() const override { return m_layer; }
    void SetLayer(int layer) override { m_layer = layer; }
    void DrawOnBoard(Graphics* g, uint32_t flags) override;
    bool GetBoundsOnBoard(Graphics* g, RectF& r) override;
    void MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    void MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DragOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DeleteOnBoard(Graphics* g, uint32_t flags) override;

    void DeletePrimitives();
    bool HasSelectedPrimitive() const;

    int m_layer;                                  // PadLayerId
    std::vector<CMarkingPrimitive*> m_primitives; // owned
    // True when the primitives stand for the text (a parser read it, or the
    // primitives were built in memory).
    bool m_primitivesOwnText = true;
};
