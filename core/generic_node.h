// A node read from an element whose class does not exist: it keeps its type
// id, attributes, text and children, and is written back under the tag it was
// read with.
#pragma once

#include "core/tree_node.h"

#include <string>

class CGenericNode : public CTreeNode {
public:
    // A tag that names a known kind of node: static text, not copied.
    CGenericNode(int type, const wchar_t* staticTag);
    // A tag that names no class: kept as given (such tags are interned once
    // per process, so the node itself holds only a pointer).
    explicit CGenericNode(const std::wstring& tag);
    CGenericNode(const CGenericNode& other);
    ~CGenericNode() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;

private:
    const wchar_t* m_tag;
};
