// The general undo records of the document tree: a node inserted, deleted,
// its attributes changed, moved to another parent or place, and a pointer
// field swapped. Each Undo reverts the change, keeps the board layer index
// and the sheets' object sets in step, repaints, and returns the record of
// the opposite change (allocated before the model changes).
#pragma once

#include "core/attribute_change.h"
#include "core/undo_item.h"
#include "core/value_change.h"
#include "core/xml_element.h"

#include <memory>
#include <string>
#include <tuple>

class CProperty;
class CSheet;
class CTreeNode;
class SheetLink;

// A node's parent as a record's value, with the place the node had among
// the children before the step and the one the step left it at. Putting it
// back moves the node to the parent and place before the step, only where
// the step moved it (to another parent, or to another place in the same).
// Only the parent counts for FindsAsLeft: other histories' insertions
// shift the places.
class ParentChange {
public:
    explicit ParentChange(CTreeNode* node);
    CTreeNode* Former() const { return std::get<0>(m_change.Before()); }
    void TakeCurrent(const CTreeNode* node);
    void TakeOthers(const CTreeNode* node);
    bool FindsAsLeft(const CTreeNode* node) const;
    // Moves the node back where the step took it from, when the step moved
    // it; the node's place now is taken as the step's. The returned change
    // does the opposite.
    ParentChange PutBack(CTreeNode* node);
    bool IsEmpty() const { return m_change.IsEmpty() && m_index == m_leftIndex; }

private:
    ValueChange<CTreeNode*> m_change;
    int m_index;
    int m_leftIndex;
};

// After the caller added the node to its parent.
// withSubtree: the node's placed descendants (a net's wires, a package's
// parts) come and go with it; set for the redo of a deletion. An insertion
// leaves them alone, since on undo they may still be moved out of the node
// by older records.
class CUndoInsert : public CUndoItemWithoutValues {
public:
    CUndoInsert(CTreeNode* node, CProperty* owner, bool withSubtree = false);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override { return m_node; }

private:
    CTreeNode* m_node; // not owned
    CProperty* m_owner;
    bool m_withSubtree;
};

// Before the caller unlinks the node; the record owns the node while it
// holds it.
// A deleted net or package takes every placed sheet object of its subtree
// off its sheet, and puts them back on undo.
class CUndoDelete : public CUndoItemWithoutValues {
public:
    CUndoDelete(CTreeNode* node, CProperty* owner, bool withSubtree = true);
    ~CUndoDelete() override;
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override { return m_node; }
    const CTreeNode* GetFormerParent() const override { return m_parent; }
    const CTreeNode* GetHeldNode() const override;
    CTreeNode* GetNode() const { return m_node; }

private:
    CTreeNode* m_node;
    CTreeNode* m_parent;
    CProperty* m_owner;
    int m_index;
    bool m_withSubtree;
};

// Before the caller changes the node's fields: the node writes its fields
// into its attribute map, which is copied with the element text; once the
// step is complete the record keeps only what the step changed (see
// AttributeChange), and Undo puts back only that. A sheet object goes back
// onto the sheet it was on, not onto the one its former sheet name finds
// now (the sheet may have been renamed meanwhile, and another given its
// name); once another history moved it to another sheet, the step no
// longer finds it as it left it.
class CUndoChangeNodeAttribute : public CUndoItem {
public:
    CUndoChangeNodeAttribute(CTreeNode* node, CProperty* owner);
    ~CUndoChangeNodeAttribute() override;
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override { return m_node; }
    void TakeCurrentValues() override;
    void TakeOthersValues() override;
    bool FindsValuesAsLeft() const override;
    void ForEachValueAsLeft(const LeftValueVisitor& visit) const override;

private:
    CUndoChangeNodeAttribute(CTreeNode* node, CProperty* owner, AttributeChange change,
                             std::unique_ptr<SheetLink> sheet,
                             std::unique_ptr<SheetLink> sheetAfter);
    // The step moved the sheet object to another sheet.
    bool MovedSheet() const;
    CSheet* CurrentSheet() const;

    CTreeNode* m_node;
    CProperty* m_owner;
    AttributeChange m_change;
    std::unique_ptr<SheetLink> m_sheet;      // a sheet object's sheet before, else null
    std::unique_ptr<SheetLink> m_sheetAfter; // and the one the step left it on
};

// Before the node is moved to another parent. The parent is the record's
// value (ParentChange): its Undo moves the node back only when the step
// moved it, and another history's move of the node since forgets the step.
class CUndoChangeParent : public CUndoItem {
public:
    CUndoChangeParent(CTreeNode* node, CProperty* owner);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override { return m_node; }
    const CTreeNode* GetFormerParent() const override { return m_parent.Former(); }
    void TakeCurrentValues() override { m_parent.TakeCurrent(m_node); }
    void TakeOthersValues() override { m_parent.TakeOthers(m_node); }
    bool FindsValuesAsLeft() const override { return m_parent.FindsAsLeft(m_node); }

private:
    CTreeNode* m_node;
    ParentChange m_parent;
    CProperty* m_owner;
};

// Before a tree moves the node by drag and drop (no repaint, no index).
class CUndoMove : public CUndoItem {
public:
    explicit CUndoMove(CTreeNode* node);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override { return m_node; }
    const CTreeNode* GetFormerParent() const override { return m_parent.Former(); }
    void TakeCurrentValues() override { m_parent.TakeCurrent(m_node); }
    void TakeOthersValues() override { m_parent.TakeOthers(m_node); }
    bool FindsValuesAsLeft() const override { return m_parent.FindsAsLeft(m_node); }

private:
    CTreeNode* m_node;
    ParentChange m_parent;
};

// Before an editor stores another node in a pointer field of its own
// document (a pad's padstack in the footprint editor).
class CUndoChangePointer : public CUndoItemOfUnsharedValues {
public:
    explicit CUndoChangePointer(CTreeNode** field);
    CUndoItem* Undo() override;

private:
    CTreeNode** m_field;
    CTreeNode* m_value;
};

// Board-layer-index bookkeeping of an inserted or removed node.
void IndexInsertedNode(CTreeNode* node);
void IndexRemovedNode(CTreeNode* node);
