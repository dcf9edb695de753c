// The hole of a padstack: round, slot or a custom milled outline.
#pragma once

#include "board/board_types.h"
#include "core/tree_node.h"

class CAreaNode;
class GraphicsPath;

class CDrill : public CTreeNode {
public:
    explicit CDrill(int type = kDrillRound);
    CDrill(const CDrill& other);
    ~CDrill() override;

    CTreeNode* Clone() const override;
    void ClearOwnSelection() override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    // Hit inside the hole's own shape (BuildPath) at its position.
    CTreeNode* HitTestOnBoard(Graphics* g, float x, float y) override;
    void MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    void MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int RightClickOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DragOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DeleteOnBoard(Graphics* g, uint32_t flags) override;

    // Appends the hole: a circle or a slot about the drill's position, or
    // the custom outline (the tool centre's path, padstack coordinates) grown
    // by half the diameter. No hole adds nothing.
    void BuildPath(GraphicsPath* path) const;
    // The smaller slot size for a slot, else the diameter.
    float GetDiameter() const;
    // The same hole (type, and sizes within 0.001 or equal outlines); two
    // drills of no hole are equal.
    bool IsEqual(const CDrill* other) const;
    // Quarter turn and mirrors about the padstack origin: the drill's own
    // position and a custom outline turn with it; a slot swaps its sizes.
    void Rotate90(bool shift);
    void MirrorHorizontally();
    void MirrorVertically();

    int m_drillType;
    float m_diam = 1.0f;
    float m_slotWidth = 3.0f;
    float m_slotHeight = 1.0f;
    bool m_nonPlated = false;
    CAreaNode* m_outline = nullptr;
};
