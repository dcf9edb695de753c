#include "board/board_properties.h"

#include "core/node_type.h"

CBoardProperties::CBoardProperties() : CTreeNode(NodeType::BoardProperties) {}

CBoardProperties::~CBoardProperties() = default;

CTreeNode* CBoardProperties::Clone() const {
    return new CBoardProperties(*this);
}

const wchar_t* CBoardProperties::GetTagName() const {
    return L"Properties";
}

void CBoardProperties::ReadAttributes() {
    GetAttributeString(L"DefaultVia", m_defaultVia, L"");
    GetAttributeFloat(L"ConductorWidth", m_conductorWidth, 0.25f);
    GetAttributeFloat(L"ConductorSpacing", m_conductorSpacing, 0.25f);
    GetAttributeFloat(L"IsolationWidth", m_isolationWidth, 0.3f);
    GetAttributeFloat(L"SpokeWidth", m_spokeWidth, 0.3f);
}

void CBoardProperties::WriteAttributes() {
    SetAttributeString(L"DefaultVia", m_defaultVia, L"");
    SetAttributeFloat(L"ConductorWidth", m_conductorWidth, 0.25f);
    SetAttributeFloat(L"ConductorSpacing", m_conductorSpacing, 0.25f);
    SetAttributeFloat(L"IsolationWidth", m_isolationWidth, 0.3f);
    SetAttributeFloat(L"SpokeWidth", m_spokeWidth, 0.3f);
}
