// "SheetName" of a sheet object: the name of the sheet it lies on ("" for
// none), found again on reading among the children of Holder(node).
#pragma once

#include "core/node_attributes.h"
#include "core/node_type.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"

namespace SheetNameAttribute {

template <class Node> std::wstring_view Get(const Node& n) {
    return n.m_pSheet ? std::wstring_view(n.m_pSheet->GetName()) : std::wstring_view();
}

template <class Node, CTreeNode* (*Holder)(const Node&)>
void Set(Node& n, const std::wstring_view* name) {
    n.m_pSheet = nullptr;
    if (name)
        if (CSheet* sheet = FindSheetByName(Holder(n), *name))
            sheet->AddObject(&n);
}

// Puts the object on the first sheet of its holder (for tests).
template <class Node, CTreeNode* (*Holder)(const Node&)> void Vary(Node& n) {
    if (const CTreeNode* holder = Holder(n))
        for (CTreeNode* child : holder->GetChildren())
            if (child->GetType() == NodeType::Sheet) {
                static_cast<CSheet*>(child)->AddObject(&n);
                return;
            }
}

} // namespace SheetNameAttribute

namespace Attr {

template <class Node, CTreeNode* (*Holder)(const Node&)> constexpr NodeAttribute<Node> SheetName() {
    return Custom<Node, SheetNameAttribute::Get<Node>, SheetNameAttribute::Set<Node, Holder>,
                  SheetNameAttribute::Vary<Node, Holder>>(L"SheetName");
}

} // namespace Attr
