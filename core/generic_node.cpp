#include "core/generic_node.h"

#include <utility>

CGenericNode::CGenericNode(int type, const wchar_t* staticTag)
    : CTreeNode(type), m_staticTag(staticTag) {}

CGenericNode::CGenericNode(std::wstring tag)
    : CTreeNode(NodeType::Plain), m_ownTag(std::move(tag)) {}

CGenericNode::CGenericNode(const CGenericNode& other) = default;

CGenericNode::~CGenericNode() = default;

CTreeNode* CGenericNode::Clone() const {
    return new CGenericNode(*this);
}

const wchar_t* CGenericNode::GetTagName() const {
    return m_staticTag ? m_staticTag : m_ownTag.c_str();
}
