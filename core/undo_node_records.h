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

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

class CProperty;
class CSheet;
class CTreeNode;
class SheetLink;

// A node's parent as a record's value, with the place the node had among
// the children before the step. Putting it back moves the node to the
// parent and place before the step; once another history moved the node
// to another parent, a step that changed the parent no longer finds it as
// it left it, and one that did not (a move among its siblings) puts it
// back among its new siblings.
class ParentChange {
public:
    explicit ParentChange(CTreeNode* node);
    CTreeNode* Former() const { return std::get<0>(m_change.Before()); }
    void TakeCurrent(const CTreeNode* node);
    void TakeOthers(const CTreeNode* node);
    bool FindsAsLeft(const CTreeNode* node) const;
    // Moves the node back where the step took it from; the node's parent
    // now is taken as the step's. The returned change does the opposite.
    ParentChange PutBack(CTreeNode* node);

private:
    ValueChange<CTreeNode*> m_change;
    int m_index;
};

// The nodes that name a node, its children and those that name it by its
// key (CTreeNode::ForEachReferrer), as the step left them. A step whose Undo
// takes the node away, or changes its key, takes or leaves them all: once
// another history added one since, the step no longer finds the node as it
// left it, as its Undo would delete that history's work or leave it naming
// another node (a track in a net that a merge's Undo splits, an object on a
// layer that an insert's Undo takes away). What left since does no harm.
class Referrers {
public:
    // While one lives, Take and FindsAsLeft leave nodes out: a history's
    // work on them is made, but its record is still being taken, so it
    // counts neither as another history's step nor as the history's own.
    // Take keeps them as it took them before: a node that named the node
    // as the step left it (a layer planed in a net, whose record of another
    // attribute is taken before that change) still does.
    class LeftOut {
    public:
        explicit LeftOut(const std::vector<const CTreeNode*>& nodes);
        ~LeftOut();
        LeftOut(const LeftOut&) = delete;
        LeftOut& operator=(const LeftOut&) = delete;

    private:
        std::vector<uint64_t> m_sequences;
        const std::vector<uint64_t>* m_outer;
    };

    // Leaves out the plane layers and areas naming the node: they follow
    // its key (a net renamed with CUndoRenameNetReferences beside its
    // record, which renames them back with it).
    void LeaveOutFollowers() { m_leaveOutFollowers = true; }
    bool LeavesOutFollowers() const { return m_leaveOutFollowers; }
    void Take(const CTreeNode* node);
    void Clear();
    bool FindsAsLeft(const CTreeNode* node) const;

private:
    // Kept by creation order: a node freed since and another made at its
    // address never count as the same.
    std::vector<uint64_t> m_sequences; // sorted
    bool m_taken = false;
    bool m_leaveOutFollowers = false;
};

// After the caller added the node to its parent.
// withSubtree: the node's placed descendants (a net's wires, a package's
// parts) come and go with it; set for the redo of a deletion. An insertion
// leaves them alone, since on undo they may still be moved out of the node
// by older records.
// Its Undo takes the node away with what it holds: it finds the node as it
// left it while no other history added to what the node holds or to what
// names it (Referrers).
class CUndoInsert : public CUndoItem {
public:
    CUndoInsert(CTreeNode* node, CProperty* owner, bool withSubtree = false);
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override { return m_node; }
    void TakeCurrentValues() override { m_referrers.Take(m_node); }
    void TakeOthersValues() override {}
    bool FindsValuesAsLeft() const override { return m_referrers.FindsAsLeft(m_node); }

private:
    CTreeNode* m_node; // not owned
    CProperty* m_owner;
    bool m_withSubtree;
    Referrers m_referrers;
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
// longer finds it as it left it. A step that changed the node's key (a
// layer's id, a net's name) keeps what names the node as it left it
// (Referrers); keyFollowed: but for the planes and areas that follow the
// key (a net renamed together with a CUndoRenameNetReferences).
class CUndoChangeNodeAttribute : public CUndoItem {
public:
    CUndoChangeNodeAttribute(CTreeNode* node, CProperty* owner, bool keyFollowed = false);
    ~CUndoChangeNodeAttribute() override;
    CUndoItem* Undo() override;
    const CTreeNode* GetChangedNode() const override { return m_node; }
    void TakeCurrentValues() override;
    void TakeOthersValues() override;
    bool FindsValuesAsLeft() const override;
    void ForEachValueAsLeft(const LeftValueVisitor& visit) const override;
    void FollowNetRename(const CTreeNode* board, const std::wstring& from,
                         const std::wstring& to) override;
    void ForEachKeptLayer(const std::function<void(int)>& visit) const override;

private:
    CUndoChangeNodeAttribute(CTreeNode* node, CProperty* owner, AttributeChange change,
                             std::unique_ptr<SheetLink> sheet,
                             std::unique_ptr<SheetLink> sheetAfter, std::wstring keyBefore,
                             bool keyFollowed);
    // The step moved the sheet object to another sheet.
    bool MovedSheet() const;
    CSheet* CurrentSheet() const;

    CTreeNode* m_node;
    CProperty* m_owner;
    AttributeChange m_change;
    std::unique_ptr<SheetLink> m_sheet;      // a sheet object's sheet before, else null
    std::unique_ptr<SheetLink> m_sheetAfter; // and the one the step left it on
    std::wstring m_keyBefore;                // the node's key before the step
    Referrers m_referrers; // taken where the step changed the key or what decides referrers
};

// Pushed by a step that moves what a node holds to another node or back (a
// net merged into another or split from it): what the node holds and what
// names it, as the step left them (Referrers), so that another history's
// addition since forgets the step rather than let its Undo leave that
// addition in the wrong node. Its Undo changes nothing.
class CUndoKeepReferrers : public CUndoItem {
public:
    explicit CUndoKeepReferrers(CTreeNode* node) : m_node(node) {}
    CUndoItem* Undo() override { return new CUndoKeepReferrers(m_node); }
    const CTreeNode* GetChangedNode() const override { return m_node; }
    void TakeCurrentValues() override { m_referrers.Take(m_node); }
    void TakeOthersValues() override {}
    bool FindsValuesAsLeft() const override { return m_referrers.FindsAsLeft(m_node); }

private:
    CTreeNode* m_node;
    Referrers m_referrers;
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
