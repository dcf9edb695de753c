// A package: the parts, pins and texts of one component and, once bound,
// its footprint instance. The schematic side completes the rest.
#pragma once

#include "core/tree_node.h"

#include <string>

class CFootprint;

class CPackage : public CTreeNode {
public:
    CPackage();
    CPackage(const CPackage& other);
    ~CPackage() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;

    // The cached footprint, else the first footprint child (then cached).
    CFootprint* GetFootprint();
    void ClearFootprintCache() { m_pFootprint = nullptr; }

    std::wstring m_footprintName;

private:
    CFootprint* m_pFootprint = nullptr; // a child; not owned separately
};
