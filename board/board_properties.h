// Board-wide routing settings: the default via, conductor widths and
// clearances; holds the via definitions and the board's thermal relief.
#pragma once

#include "core/tree_node.h"

#include <string>

class CBoardProperties : public CTreeNode {
public:
    CBoardProperties();
    CBoardProperties(const CBoardProperties& other) = default;
    ~CBoardProperties() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;

    std::wstring m_defaultVia;
    float m_conductorWidth = 0.25f;
    float m_conductorSpacing = 0.25f;
    float m_isolationWidth = 0.3f;
    float m_spokeWidth = 0.3f;
};
