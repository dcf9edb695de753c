// The holder of a board's footprints that belong to no package.
#pragma once

#include "core/tree_node.h"

class CMounting : public CTreeNode {
public:
    CMounting();
    CMounting(const CMounting& other) = default;
    ~CMounting() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
};
