// The undo history of one editor view or tree: an undo and a redo sequence
// of records grouped into user actions, and the position the document was
// last saved at.
#pragma once

#include "core/undo_item.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

class PlatformWindow;

class CUndoList {
public:
    // The records a forgetting takes, by their place in each sequence
    // (counted from its far end: the oldest to undo, the last to redo),
    // always whole groups.
    struct ForgetPlan {
        std::set<size_t> undo;
        std::set<size_t> redo;
        bool IsEmpty() const { return undo.empty() && redo.empty(); }
        bool Takes(bool inRedo, size_t index) const {
            return (inRedo ? redo : undo).count(index) != 0;
        }
        bool operator==(const ForgetPlan&) const = default;
    };

    CUndoList();
    ~CUndoList();
    CUndoList(const CUndoList&) = delete;
    CUndoList& operator=(const CUndoList&) = delete;

    // Takes the record (ownership passes to the list); it opens a new group
    // when the start-new-group flag is set. Empties the redo sequence.
    void AddUndo(CUndoItem* item);
    // Reverts the last group, stopping early where the document is back at
    // its saved state. keepRedo false throws the inverses away (abandoning an
    // unfinished action) and leaves the redo sequence as it is.
    void Undo(bool keepRedo = true);
    // Repeats the last undone group.
    void Redo();
    // Deletes every record; the emptied history counts as saved (after a
    // save, or for a fresh document).
    void Clear();
    // Deletes every record as Clear does, but the document still counts as
    // changed when it was: the history goes, not the changes it made.
    void Abandon();
    // True when the document is where it was when last saved (or, without a
    // save, where it was when the history was created or cleared).
    bool IsAtSavedState() const;
    // The current position becomes the saved one.
    void MarkSaved();

    // Makes the records after the first count into one group, headed by
    // the record at count: an object made to follow the cursor and the
    // edits it got before it was put down are undone as one action.
    void JoinGroupsFrom(size_t count);

    // Set while an editor drops its work under way because this history is
    // about to forget some of its records: what goes. The editor may add
    // to it: then that goes too.
    void SetForgettingAhead(ForgetPlan plan) { forgettingAhead_ = std::move(plan); }
    const ForgetPlan& ForgettingAhead() const { return forgettingAhead_; }

    // Forgets the groups that can no longer be undone or redone soundly
    // because another history changes what their records name (names picks
    // them): the newest such group of the undo sequence with every older
    // one, and the nearest such group to redo with every one after it.
    // Whether the document counts as saved stays as it was.
    void ForgetGroups(const std::function<bool(const CUndoItem&)>& names);
    // The first node a record names (CUndoItem::ForEachNamedNode) that lies
    // neither in a document (a tree whose top node isDocumentRoot accepts)
    // nor in a subtree one of this history's records holds; null when every
    // named node is within reach. Such a record would act on a node another
    // history took away and may free.
    const CTreeNode*
    FindDepartedName(const std::function<bool(const CTreeNode*)>& isDocumentRoot) const;
    // The first record naming a node its entry in the index leaves out, or
    // null. Such a record is not looked at when that node goes, and may
    // outlive it. Reads no node.
    const CUndoItem* FindUnindexedName() const;
    // The groups to forget whose records name a node out of reach (see
    // FindDepartedName), nodes held only by records that go with them
    // included. Nothing is freed: the plans of every history are made
    // before any of them frees what its records hold.
    // With changedValues, also the groups whose records no longer find the
    // values their step left (CUndoItem::FindsValuesAsLeft): another
    // history changed the same attribute or text of the node since; without
    // departed, only those (a record naming a node out of reach stays).
    // A group that goes takes with it the farther groups of its sequence
    // (older to undo, later to redo) that touch what it touches: undone or
    // redone without it, they would act on what it left. The others stay.
    // What seed holds goes in any case.
    ForgetPlan PlanDepartedSteps(const std::function<bool(const CTreeNode*)>& isDocumentRoot,
                                 bool changedValues = false, bool departed = true,
                                 const ForgetPlan& seed = {}) const;
    void Forget(const ForgetPlan& plan);
    // The whole groups holding a record picks accepts, and nothing farther:
    // a seed for PlanDepartedSteps, which adds what touches them.
    ForgetPlan PlanGroupsWhere(const std::function<bool(const CUndoItem&)>& picks) const;
    // Both together.
    void ForgetDepartedSteps(const std::function<bool(const CTreeNode*)>& isDocumentRoot);

    // Both for the records whose named nodes lie within reach (see
    // FindDepartedName). The history changed the documents since its records
    // last looked: what their nodes hold now counts as left by their steps
    // (CUndoItem::TakeCurrentValues). Or other histories changed them: what
    // the steps did not change follows the nodes (TakeOthersValues).
    void TakeCurrentValues(const std::function<bool(const CTreeNode*)>& isDocumentRoot);
    void TakeOthersValues(const std::function<bool(const CTreeNode*)>& isDocumentRoot);

    // The same, looking only at the records that name one of nodes: what a
    // step costs then does not grow with the length of the history. The
    // list keeps an index from each node to the records naming it and to
    // the records holding it, made from what a record names when it enters
    // the list and grown where values it takes name more (ties it lets go
    // of stay indexed; the node it holds and the values it keeps are of
    // nodes it names).
    // PlanDepartedStepsOn finds what PlanDepartedSteps finds when every
    // record naming a node whose reach or values changed since the records
    // were last looked at names one of nodes; the subtrees held by the
    // records a plan takes are looked at by the plan itself. A null among
    // nodes stands for every node: the full walk.
    ForgetPlan PlanDepartedStepsOn(const std::vector<const CTreeNode*>& nodes,
                                   const std::function<bool(const CTreeNode*)>& isDocumentRoot,
                                   bool changedValues = false, bool departed = true,
                                   const ForgetPlan& seed = {}) const;
    void TakeCurrentValuesOn(const std::vector<const CTreeNode*>& nodes,
                             const std::function<bool(const CTreeNode*)>& isDocumentRoot);
    void TakeOthersValuesOn(const std::vector<const CTreeNode*>& nodes,
                            const std::function<bool(const CTreeNode*)>& isDocumentRoot);
    // Whether a record names node, and ForgetGroups for the records that do.
    bool NamesNode(const CTreeNode* node) const { return named_.count(node) != 0; }
    void ForgetGroupsNaming(const CTreeNode* node);
    // The nodes named by the records that entered the list (pushed, or made
    // by an Undo or Redo) since the last call, while a change listener is
    // set: what the history's changes touched. A record naming no node
    // (an outline's vertices, a pointer field) may have changed any node's
    // values: it is told as a null.
    std::vector<const CTreeNode*> TakeTouchedNodes() {
        std::vector<const CTreeNode*> touched;
        touched.swap(touched_);
        return touched;
    }

    // Every history alive (each list counts from its making to its
    // destruction), in the order they were made.
    static void ForEachList(const std::function<void(CUndoList&)>& visit);
    // Every record, oldest first, the undo sequence before the redo one.
    void ForEachItem(const std::function<void(CUndoItem&)>& visit);
    // The records naming one of nodes, each once, found through the index.
    void ForEachItemNaming(const std::vector<const CTreeNode*>& nodes,
                           const std::function<void(CUndoItem&)>& visit);

    // What a change of the history is, for its listener.
    enum class Change { Push, Undo, Redo, Clear };
    // Called before and after (after true) each change of the history that
    // may take nodes out of the documents or free what it holds: a record
    // pushed (before the redo sequence it empties is freed), an Undo or Redo
    // that does something (after, but before the inverses an Undo throws
    // away are freed), a Clear or Abandon. Histories sharing the documents
    // let go there of what this one takes away beneath them.
    void SetChangeListener(std::function<void(Change, bool after)> listener) {
        listener_ = std::move(listener);
    }

    // Called with the subtrees that records about to be freed hold out of
    // the documents (CUndoItem::GetHeldNode; some may be back in a document
    // by then), before they are freed: what the documents still tie to
    // them by address lets go there.
    void SetReleaseListener(std::function<void(const std::vector<const CTreeNode*>&)> listener) {
        releaseListener_ = std::move(listener);
    }

    // The record AddUndo is taking, while its listener hears of it before:
    // its change may already be made (an inserted node's record follows the
    // insertion).
    const CUndoItem* PushingItem() const { return pushing_; }

    void SetStartNewGroup(bool start) { startNewGroup_ = start; }
    bool GetStartNewGroup() const { return startNewGroup_; }
    // Receives the keyboard focus after an Undo or Redo that did something.
    void SetFocusWindow(PlatformWindow* window) { focusWindow_ = window; }
    PlatformWindow* GetFocusWindow() const { return focusWindow_; }

    size_t UndoCount() const { return undo_.size(); }
    size_t RedoCount() const { return redo_.size(); }
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // Records in sequence order (oldest first; the next to redo is last).
    const CUndoItem* UndoItemAt(size_t i) const { return undo_[i].item.get(); }
    const CUndoItem* RedoItemAt(size_t i) const { return redo_[i].item.get(); }
    // The id of the state a record leads to: fresh for a new step, kept when
    // the step is undone and redone (the tests follow the steps by it).
    uint64_t UndoStateAt(size_t i) const { return undo_[i].state; }
    uint64_t RedoStateAt(size_t i) const { return redo_[i].state; }
    // Told of every change of every history before its listener, for the
    // tests' own account of the steps.
    using TestObserver = std::function<void(const CUndoList&, Change, bool after)>;
    static void SetTestObserver(TestObserver observer) { testObserver_ = std::move(observer); }

private:
    // Each record carries the id of the document state it leads to when it
    // is applied: a fresh id for a new change, the same id again when a
    // change is undone and redone. The saved state is such an id, so a
    // position reused by a different change never counts as saved.
    // Entries carry a serial number that grows along each sequence, so
    // that a record's place is found from its serial.
    // A step's state id stays its own for good; doc is the id of the
    // document as the record leaves it, which is the state id until a
    // forgetting from the middle leaves the documents with what no other
    // position had (the saved position is compared by it).
    struct Entry {
        std::unique_ptr<CUndoItem> item;
        uint64_t state = 0;
        uint64_t doc = 0;
        uint64_t serial = 0;
    };
    // Where a record is and what it was indexed under.
    struct Place {
        bool redo = false;
        uint64_t serial = 0;
        std::vector<const CTreeNode*> names;
    };
    // Whether a record other than those leaving holds top (a record holds
    // the node it names while the node is out of the documents).
    bool HoldsTop(const CTreeNode* top, const ForgetPlan& leaving) const;
    Entry MakeEntry(std::unique_ptr<CUndoItem> item, uint64_t state, uint64_t doc, bool redo);
    // What of seed is still there, as whole groups.
    ForgetPlan Within(const ForgetPlan& seed) const;
    // Adds to plan the group holding the record at index of a sequence.
    void AddGroup(ForgetPlan& plan, bool inRedo, size_t index) const;
    // Adds to plan the farther groups that touch what a group in it
    // touches; true when it added any.
    bool AddTouching(ForgetPlan& plan) const;
    void Unindex(const CUndoItem* item);
    void IndexNewNames(const CUndoItem* item);
    void NoteTouched(const std::vector<const CTreeNode*>& names);
    void UnindexAll();
    size_t IndexOf(const Place& place) const;
    // The records naming one of nodes whose named nodes all lie within reach.
    void ForEachRecordWithin(const std::vector<const CTreeNode*>& nodes,
                             const std::function<bool(const CTreeNode*)>& isDocumentRoot,
                             std::vector<CUndoItem*>& within) const;
    template <class Visit>
    void ForEachRecordNaming(const std::vector<const CTreeNode*>& nodes, Visit visit) const;
    uint64_t CurrentState() const { return undo_.empty() ? baseState_ : undo_.back().doc; }
    void FocusAfterChange();
    void NotifyChange(Change change, bool after) const {
        if (testObserver_)
            testObserver_(*this, change, after);
        if (listener_)
            listener_(change, after);
    }
    void DeleteAll();
    static std::vector<CUndoList*>& Lists();
    // Tells the release listener what the records in [begin, end) hold.
    template <class It> void NotifyRelease(It begin, It end) const;

    std::vector<Entry> undo_;
    std::vector<Entry> redo_;
    uint64_t savedState_ = 0; // 0: the state with an empty history
    uint64_t baseState_ = 0;  // the document's with nothing left to undo
    uint64_t nextState_ = 0;
    PlatformWindow* focusWindow_ = nullptr;
    const CUndoItem* pushing_ = nullptr;
    bool startNewGroup_ = false;
    ForgetPlan forgettingAhead_;
    std::function<void(Change, bool)> listener_;
    static inline TestObserver testObserver_;
    std::function<void(const std::vector<const CTreeNode*>&)> releaseListener_;
    uint64_t nextSerial_ = 0;
    std::unordered_map<const CUndoItem*, Place> places_;
    std::unordered_map<const CTreeNode*, std::vector<const CUndoItem*>> named_;
    std::vector<const CTreeNode*> touched_;
};
