#include "schematic/package.h"

#include "board/footprint.h"
#include "core/node_type.h"

CPackage::CPackage() : CTreeNode(NodeType::Package) {}

CPackage::CPackage(const CPackage& other)
    : CTreeNode(other), m_footprintName(other.m_footprintName) {}

CPackage::~CPackage() = default;

CTreeNode* CPackage::Clone() const {
    return new CPackage(*this);
}

const wchar_t* CPackage::GetTagName() const {
    return L"Package";
}

void CPackage::ReadAttributes() {
    GetAttributeString(L"Footprint", m_footprintName, L"");
}

void CPackage::WriteAttributes() {
    SetAttributeString(L"Footprint", m_footprintName, L"");
}

CFootprint* CPackage::GetFootprint() {
    if (m_pFootprint)
        return m_pFootprint;
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Footprint)
            return m_pFootprint = static_cast<CFootprint*>(child);
    return nullptr;
}
