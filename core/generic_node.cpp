#include "core/generic_node.h"

#include <set>

namespace {
// Tags that name no class, kept for the life of the process: documents hold
// few distinct ones, and each node then needs only a pointer.
const wchar_t* InternTag(const std::wstring& tag) {
    static std::set<std::wstring, std::less<>> tags;
    return tags.insert(tag).first->c_str();
}
} // namespace

CGenericNode::CGenericNode(int type, const wchar_t* staticTag)
    : CTreeNode(type), m_tag(staticTag ? staticTag : L"") {}

CGenericNode::CGenericNode(const std::wstring& tag)
    : CTreeNode(NodeType::Plain), m_tag(InternTag(tag)) {}

CGenericNode::CGenericNode(const CGenericNode& other) = default;

CGenericNode::~CGenericNode() = default;

CTreeNode* CGenericNode::Clone() const {
    return new CGenericNode(*this);
}

const wchar_t* CGenericNode::GetTagName() const {
    return m_tag;
}
