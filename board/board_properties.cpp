#include "board/board_properties.h"

#include "core/node_attributes.h"
#include "core/node_type.h"

namespace {

constexpr NodeAttributes<CBoardProperties, 5> kAttributes{{
    Attr::Text<&CBoardProperties::m_defaultVia>(L"DefaultVia"),
    Attr::Float<&CBoardProperties::m_conductorWidth>(L"ConductorWidth", 0.25f),
    Attr::Float<&CBoardProperties::m_conductorSpacing>(L"ConductorSpacing", 0.25f),
    Attr::Float<&CBoardProperties::m_isolationWidth>(L"IsolationWidth", 0.3f),
    Attr::Float<&CBoardProperties::m_spokeWidth>(L"SpokeWidth", 0.3f),
}};
const RegisterNodeAttributes kRegistered(L"Properties", kAttributes);

} // namespace

CBoardProperties::CBoardProperties() : CTreeNode(NodeType::BoardProperties) {}

CBoardProperties::~CBoardProperties() = default;

CTreeNode* CBoardProperties::Clone() const {
    return new CBoardProperties(*this);
}

const wchar_t* CBoardProperties::GetTagName() const {
    return L"Properties";
}

void CBoardProperties::ReadAttributes() {
    kAttributes.Read(*this);
}

void CBoardProperties::WriteAttributes() {
    kAttributes.Write(*this);
}
