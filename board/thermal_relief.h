// A thermal relief: the ring of clearance and the spokes that join a pad to
// a plane or area of its net.
#pragma once

#include "core/tree_node.h"

class CAreaNode;

class CThermalRelief : public CTreeNode {
public:
    CThermalRelief();
    CThermalRelief(const CThermalRelief& other);
    ~CThermalRelief() override;

    CTreeNode* Clone() const override;
    void ClearOwnSelection() override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    void MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    void MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int RightClickOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DragOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DeleteOnBoard(Graphics* g, uint32_t flags) override;

    // Off deletes the outline; on builds it from the parent pad layer grown
    // by Isolation.
    void BuildOutlineFromPad(bool on);

    float m_isolation = 0.3f;
    float m_spoke = 0.3f;
    CAreaNode* m_outline = nullptr;
};
