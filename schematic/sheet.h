// A schematic sheet and the set of objects shown on it. The schematic side
// completes its attributes and drawing; the board side needs its object set.
#pragma once

#include "core/tree_node.h"

#include <set>

class CSheetObject;

class CSheet : public CTreeNode {
public:
    CSheet();
    CSheet(const CSheet& other);
    ~CSheet() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;

    // Puts the object on this sheet (no effect when it is there already).
    void AddObject(CSheetObject* object);
    // Takes the object off this sheet; an object not on it changes nothing
    // in the set.
    void RemoveObject(CSheetObject* object);
    bool HasObject(CSheetObject* object) const;

    std::set<CSheetObject*, NodeSequenceLess> m_objects;
};
