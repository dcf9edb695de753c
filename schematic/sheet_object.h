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

    CSheet* m_pSheet = nullptr; // not owned; null when on no sheet
};
