#include "board/board_properties.h"

#include "core/node_type.h"

using namespace std::literals;

CBoardProperties::CBoardProperties() : CTreeNode(NodeType::BoardProperties) {}

CBoardProperties::~CBoardProperties() = default;

CTreeNode* CBoardProperties::Clone() const {
    return new CBoardProperties(*this);
}

const wchar_t* CBoardProperties::GetTagName() const {
    return L"Properties";
}

void CBoardProperties::ReadAttributes() {
    GetAttributeString(L"DefaultVia"sv, m_defaultVia, L"");
    GetAttributeFloat(L"ConductorWidth"sv, m_conductorWidth, 0.25f);
    GetAttributeFloat(L"ConductorSpacing"sv, m_conductorSpacing, 0.25f);
    GetAttributeFloat(L"IsolationWidth"sv, m_isolationWidth, 0.3f);
    GetAttributeFloat(L"SpokeWidth"sv, m_spokeWidth, 0.3f);
}

void CBoardProperties::WriteAttributes() {
    SetAttributeString(L"DefaultVia"sv, m_defaultVia, L"");
    SetAttributeFloat(L"ConductorWidth"sv, m_conductorWidth, 0.25f);
    SetAttributeFloat(L"ConductorSpacing"sv, m_conductorSpacing, 0.25f);
    SetAttributeFloat(L"IsolationWidth"sv, m_isolationWidth, 0.3f);
    SetAttributeFloat(L"SpokeWidth"sv, m_spokeWidth, 0.3f);
}
