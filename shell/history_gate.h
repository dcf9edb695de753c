// The gate every change of a history passes. The three trees' histories and
// each open editor's act on the same nodes, and a record does not check
// that what it names is still there: before and after each change of any
// history, every other history forgets its steps that name a node no
// document holds and its own records do not hold either, or that no longer
// find the values their step left; after it, the open board editors of a
// board the change touched index it anew. A tree's Undo or Redo, which the
// editors do not see, is caught up with here too: an editor whose page lost
// nodes lets go of its history; a board editor whose board lost nodes or
// whose layers moved lets go of its steps on them.
//
// The tab window owns the gate and calls it: when it is made and destroyed
// (Open, Close), for each view it takes and destroys (Share, Release), when
// another tab comes to the front, and for the settling it posts to itself.
#pragma once

#include "core/undo_list.h"
#include "platform/messages.h"

#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

class CTabWindow;
class CTreeNode;
class CVorpelView;

class CHistoryGate {
public:
    // Posted to the tab window after a change: the histories that changed
    // meanwhile are settled once their steps are complete.
    static constexpr UINT kSettleMessage = WM_USER + 0x7E9;

    explicit CHistoryGate(CTabWindow& tabs);
    CHistoryGate(const CHistoryGate&) = delete;
    CHistoryGate& operator=(const CHistoryGate&) = delete;

    // The tab window was made: the trees' histories pass the gate, the
    // model's hooks reach it and the trees tell it the nodes they take out.
    void Open();
    // The tab window goes: all of that ends, and a settling posted to it
    // never arrives.
    void Close();

    // A view the tab window takes: its history passes the gate.
    void Share(CVorpelView* view);
    // A view the tab window destroys: its history is cleared (what it frees,
    // the trees let go of first) and leaves the gate.
    void Release(CVorpelView* view);

    // The history whose change came last: what changed the documents since
    // is its own doing (null when none, or when it is gone).
    CUndoList* LastChanged();
    // Another editor comes to the front: what changes the documents from
    // here without a change of history is its doing.
    void NoteShownHistory(CUndoList& shown);
    // After the steps that changed histories are complete: every history
    // that did not change meanwhile forgets its steps on what they took out.
    void SettleHistories();

    // What the open views' documents hold before a change the views do not
    // make themselves: a tree's Undo or Redo, a board dialog run from a tree.
    struct DocumentsWatch {
        std::vector<std::pair<const CVorpelView*, std::vector<const CTreeNode*>>> pages;
        const CTreeNode* shownNode = nullptr;
        // The board editors' objects with their layers, and the layers of
        // the stackup with their ids, in the order of their nodes.
        struct Placed {
            const CTreeNode* node = nullptr;
            int layer = -1;
            bool stackup = false; // node is a layer of the stackup
            bool operator<(const Placed& other) const { return node < other.node; }
        };
        using Layers = std::vector<Placed>;
        std::vector<std::pair<const CVorpelView*, Layers>> layers;
        // And the nodes of their boards' outlines, which a board's restored
        // attributes replace.
        std::vector<std::pair<const CVorpelView*, std::vector<const void*>>> outlines;
    };
    // What the views hold now (the shown node is the tab window's to note).
    DocumentsWatch WatchDocuments() const;
    // After such a change: every view whose records may no longer fit its
    // document lets go of its history (see LetGoOfOutrunHistory), a board
    // editor only of its steps on what went or on the layers that moved
    // (see LetGoOfStepsOnMovedLayers), and every board editor indexes its
    // board anew.
    void CatchUpWithDocuments(const DocumentsWatch& before);
    // The board editor's index of its board, made anew: the stackup decides
    // which layers' sets a padstack's inner pads go to, and no record moves
    // them when it changes.
    static void ReindexBoard(CVorpelView* view);

    // Whether node lies in one of the three documents.
    static bool InSomeDocument(const CTreeNode* node);

private:
    // The nodes a history is still to look at (see history_gate.cpp).
    struct PendingNodes {
        std::unordered_set<const CTreeNode*> reach;
        std::unordered_set<const CTreeNode*> others;
        std::unordered_set<const CTreeNode*> current;
    };
    // One look of every history at its pending nodes (see
    // ForgetDepartedEverywhere).
    struct Look {
        std::vector<const CUndoList*> skip;
        bool compare = false;
        const CUndoList* ownChanges = nullptr;
        bool Skips(const CUndoList& history) const;
        bool Compares(const CUndoList& history) const;
    };

    // Every history that can act on the documents: the trees' and the open
    // editors'.
    std::vector<CUndoList*> AllHistories() const;

    // --- A change of a history ---
    void OnHistoryChange(CUndoList& changing, CVorpelView* owner, int treeKind,
                         CUndoList::Change change, bool after);
    bool NoteChangeOf(CUndoList& changing, CUndoList::Change change);
    void NoteRecentGroup(CUndoList& changing, CUndoList::Change change);
    void PostSettling(const CUndoList& changing);
    void IndexBoardsLater(const CVorpelView* owner, int treeKind);
    void ShareTreeHistories(bool share);

    // --- Forgetting the steps that no longer fit ---
    void ForgetDepartedEverywhere(const Look& look);
    std::vector<const CTreeNode*> NodesToLookAt(const Look& look, const CUndoList& history);
    CUndoList::ForgetPlan PlanFor(const Look& look, const CUndoList& history,
                                  const CUndoList::ForgetPlan& atLeast = {});
    void DoneLooking(const Look& look, const CUndoList& history);
    std::unordered_map<const CUndoList*, CUndoList::ForgetPlan>
    DropWorkOfForgettingEditors(const Look& look);
    void LetGoOfShownDeparted();

    // --- The nodes to look at ---
    void WatchDetachedNodes(bool watch);
    void GatherTouchedNodes(const std::vector<CUndoList*>& histories);
    static void AddReferents(std::vector<const CTreeNode*>& nodes, const CUndoList& history);
    static std::vector<const CTreeNode*> PushedNodes(const CUndoList& history);
    bool IsHistory(const CUndoList* history) const;
    void TakeOwnValues(CUndoList& history);
    std::vector<const CTreeNode*> Joined(const std::unordered_set<const CTreeNode*>& pending,
                                         bool withRecent = false) const;
    static void NotePending(PendingNodes& pending, const std::vector<const CTreeNode*>& touched,
                            bool own);

    // --- Changes made around the histories ---
    void ForgetOtherStepsOn(const CTreeNode* node);
    void ChangeWithoutHistory(const std::function<void()>& change);
    static void UntieFromReleased(const std::vector<const CTreeNode*>& held);

    // --- Catching up with a tree's step ---
    void LetGoOfOutrunHistory(CVorpelView* view);
    void LetGoOfStepsOnMovedLayers(CVorpelView* view, const DocumentsWatch::Layers& before);
    static void CollectPageNodes(const CTreeNode* node, std::vector<const CTreeNode*>& out);
    static bool PageLostNodes(const std::vector<const CTreeNode*>& before, const CVorpelView* view);
    static bool OutlineReplaced(const DocumentsWatch& before, const CVorpelView* view);
    static const DocumentsWatch::Layers* LayersBefore(const DocumentsWatch& before,
                                                      const CVorpelView* view);
    static bool LayersMoved(const DocumentsWatch::Layers& before, const CVorpelView* view);
    static DocumentsWatch::Layers BoardLayers(const CVorpelView* view);
    static std::vector<const void*> BoardOutline(const CVorpelView* view);

    // The hooks of the model and the tree classes are plain functions: they
    // reach the open gate.
    static CHistoryGate* s_open;
    static void ForgetOtherStepsHook(const CTreeNode* node);
    static void ChangeWithoutHistoryHook(const std::function<void()>& change);
    static void NoteDetached(CTreeNode* node);
    static void NoteDestroyed(const CTreeNode* node);

    CTabWindow& m_tabs;
    // Set while views drop their work under way for a forgetting: the steps
    // that dropping takes are not a reason to drop more.
    bool m_droppingWork = false;
    // A settling is posted after a change; the histories that changed since
    // are left to their own next change, as a group of theirs may still be
    // being built.
    bool m_settlePosted = false;
    std::vector<const CUndoList*> m_changedSinceSettle;
    // The history that changed last: what changes the documents between two
    // changes of histories is its doing (a record is pushed before its
    // change is made, a drag goes on after its first record). Null when it
    // is gone.
    CUndoList* m_lastChanged = nullptr;
    std::unordered_map<const CUndoList*, PendingNodes> m_pending;
    // The nodes named by the records of the last group a history changed
    // (see history_gate.cpp).
    std::vector<const CTreeNode*> m_recent;
    const CUndoList* m_recentOwner = nullptr;
    // The nodes taken out of their parents since the last look (the trees
    // tell); those still out of the documents then take their subtrees with
    // them.
    std::unordered_set<const CTreeNode*> m_detached;
};
