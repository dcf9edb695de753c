#include "board/mounting.h"

#include "core/node_type.h"

CMounting::CMounting() : CTreeNode(NodeType::Mounting) {}

CMounting::~CMounting() = default;

CTreeNode* CMounting::Clone() const {
    return new CMounting(*this);
}

const wchar_t* CMounting::GetTagName() const {
    return L"Mounting";
}
