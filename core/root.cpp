#include "core/root.h"

CRoot::~CRoot() = default;

CTreeNode* CRoot::Clone() const {
    return new CRoot(*this);
}

const wchar_t* CRoot::GetTagName() const {
    return m_rootTag.c_str();
}
