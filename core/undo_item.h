// One undoable change of the model. Undoing it reverts the change on the live
// model, repaints what changed and yields the record of the opposite change,
// so the same record classes serve undo and redo.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <unordered_set>

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

    // Every record that puts a value back (an attribute, the text, a
    // position, a layer, a flag, a net, a copy of a primitive) keeps the
    // values before its step and the values it left, and puts back only
    // what differs. TakeCurrentValues: the history holding the record
    // changed the nodes since (the step itself among them), and what they
    // hold now counts as left by the step. TakeOthersValues: another history
    // changed them, and what the step did not change follows them.
    // FindsValuesAsLeft is false once another history changed what the step
    // changed: the step can no longer be undone soundly. Each record kind
    // answers for itself; one that puts back no value derives from
    // CUndoItemWithoutValues below.
    virtual void TakeCurrentValues() = 0;
    virtual void TakeOthersValues() = 0;
    virtual bool FindsValuesAsLeft() const = 0;
    // Each value the step left: an attribute of the node by name (no
    // value: the step removed it) or, with a null name, its text.
    using LeftValueVisitor = std::function<void(const CTreeNode* node, const std::wstring* name,
                                                const std::optional<std::wstring>& value)>;
    virtual void ForEachValueAsLeft(const LeftValueVisitor& /*visit*/) const {}
    // A net of board took the name to, which no net had, instead of from
    // (CUndoRenameNetReferences): where the record keeps a value of one of
    // the board's plane layers or areas naming from, before or after its
    // step, it names to instead, as the node does. Other records name no
    // net by name.
    virtual void FollowNetRename(const CTreeNode* /*board*/, const std::wstring& /*from*/,
                                 const std::wstring& /*to*/) {}
    // The nodes of released are about to be freed: where the record keeps a
    // tie to one of them by address (a conductor vertex's pad) in the values
    // it puts back, it lets go of the tie, as the live nodes do. Other
    // records keep no such tie.
    virtual void LetGoOfTies(const std::unordered_set<const CTreeNode*>& /*released*/) {}
    // The stackup layers, by id, among the values the record puts back
    // where its step changed them, before the step and as it left them (a
    // track's or a text's layer): once the stackup's layers are renumbered,
    // such an id is another layer's. -1 stands for a layer the record
    // cannot tell by id. What a record holds out of the documents is the
    // caller's to look at; records keeping no layer visit nothing.
    virtual void ForEachKeptLayer(const std::function<void(int)>& /*visit*/) const {}

    // True on the first record of a user action; the history sets it when it
    // takes the record.
    bool IsGroupHead() const { return groupHead_; }
    void SetGroupHead(bool head) { groupHead_ = head; }

private:
    bool groupHead_ = true;
};

// A record that puts back no value a node holds: a node deleted, a vertex
// or a primitive inserted or deleted (whether what it names is still there
// is the departed check's), or a recomputation from what the document holds
// now. It has nothing to compare.
class CUndoItemWithoutValues : public CUndoItem {
public:
    void TakeCurrentValues() final {}
    void TakeOthersValues() final {}
    bool FindsValuesAsLeft() const final { return true; }
};

// A record of values that no history but its own ever changes: an
// outline's vertices and head (only the editor showing the contour edits
// it) and a pointer field of an editor's own document. Nothing another
// history did can have changed them since, so there is nothing to compare
// (nor a named node through which reading them would be safe).
class CUndoItemOfUnsharedValues : public CUndoItem {
public:
    void TakeCurrentValues() final {}
    void TakeOthersValues() final {}
    bool FindsValuesAsLeft() const final { return true; }
};
