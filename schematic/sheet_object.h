// A node that can be shown on a sheet: parts, wires, buses and texts.
#pragma once

#include "core/tree_node.h"

#include <string>

class CSheet;

class CSheetObject : public CTreeNode {
public:
    using CTreeNode::CTreeNode;
    CSheetObject(const CSheetObject& other) : CTreeNode(other), m_pSheet(other.m_pSheet) {}
    ~CSheetObject() override = default;

    bool IsOnSheet() const override { return m_pSheet != nullptr; }

    // "SheetName": the name of the sheet the object is on, "" for none.
    void WriteSheetName();
    // Joins the sheet named by "SheetName" among the children of holder
    // (none for an empty or unknown name).
    void ReadSheetName(const CTreeNode* holder);

    CSheet* m_pSheet = nullptr; // not owned; null when on no sheet
};
