// One undoable change of the model. Undoing it reverts the change on the live
// model, repaints what changed and yields the record of the opposite change,
// so the same record classes serve undo and redo.
#pragma once

#include <functional>

class CTreeNode;

class CUndoItem {
public:
    CUndoItem() = default;
    virtual ~CUndoItem() = default;
    CUndoItem(const CUndoItem&) = delete;
    CUndoItem& operator=(const CUndoItem&) = delete;

    // Reverts the change and returns a newly allocated record of the inverse
    // change (never null), owned by the caller.
    virtual CUndoItem* Undo() = 0;

    // What the record names in the document, for the other histories that
    // share it: the node it changes and, for a node it holds out of the
    // tree, the parent it goes back under. Null where it names no node.
    virtual const CTreeNode* GetChangedNode() const { return nullptr; }
    virtual const CTreeNode* GetFormerParent() const { return nullptr; }

    // Every node the record acts on when it is undone: at least the changed
    // node and the former parent, and any other node it keeps a pointer to.
    // A history may keep a record only while each of these lies in a document
    // or in a subtree that the same history holds out of it.
    virtual void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const {
        if (const CTreeNode* node = GetChangedNode())
            visit(node);
        if (const CTreeNode* parent = GetFormerParent())
            visit(parent);
    }
    // The subtree the record owns while it is out of the document (a deleted
    // node), else null.
    virtual const CTreeNode* GetHeldNode() const { return nullptr; }

    // True on the first record of a user action; the history sets it when it
    // takes the record.
    bool IsGroupHead() const { return groupHead_; }
    void SetGroupHead(bool head) { groupHead_ = head; }

private:
    bool groupHead_ = true;
};
