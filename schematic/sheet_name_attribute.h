// "SheetName" of a sheet object: the name of the sheet it lies on ("" for
// none), found again on reading among the children of Holder(node). Where
// EmptyFindsUnnamed, an empty or missing name finds the first sheet that has
// no name either (only a file gives a sheet none): wires, texts and buses
// read so; a part without a name is on no sheet.
#pragma once

#include "core/node_attributes.h"
#include "core/node_type.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"

namespace SheetNameAttribute {

// A sheet that has left the holder (deleted or cut, kept by a history, or
// freed since) is written by its name, which finds no sheet on reading: the
// object is on none. When another sheet of the holder has that name
// meanwhile, the name would put the object on that sheet, where it is not
// shown: it is left out (and then finds a sheet without a name, where
// EmptyFindsUnnamed and the holder has one).
template <class Node, CTreeNode* (*Holder)(const Node&)> std::wstring_view Get(const Node& n) {
    const CSheet* sheet = n.m_pSheet;
    const std::wstring* name = sheet ? &sheet->GetName() : n.m_pSheet.GetLostName();
    if (!name)
        return {};
    const CTreeNode* holder = sheet && sheet->GetParent() ? nullptr : Holder(n);
    if (holder && FindSheetByName(holder, *name))
        return {};
    return *name;
}

template <class Node, CTreeNode* (*Holder)(const Node&), bool EmptyFindsUnnamed>
void Set(Node& n, const std::wstring_view* name) {
    n.m_pSheet = nullptr;
    const std::wstring_view wanted = name ? *name : std::wstring_view();
    CSheet* sheet = nullptr;
    if (!wanted.empty())
        sheet = FindSheetByName(Holder(n), wanted);
    else if (EmptyFindsUnnamed)
        sheet = FindUnnamedSheet(Holder(n));
    if (sheet)
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

template <class Node, CTreeNode* (*Holder)(const Node&), bool EmptyFindsUnnamed>
constexpr NodeAttribute<Node> SheetName() {
    return Custom<Node, SheetNameAttribute::Get<Node, Holder>,
                  SheetNameAttribute::Set<Node, Holder, EmptyFindsUnnamed>,
                  SheetNameAttribute::Vary<Node, Holder>>(L"SheetName");
}

} // namespace Attr
