#include "shell/history_gate.h"

#include "board/area_node.h"
#include "board/board.h"
#include "board/board_layer_index.h"
#include "board/conductor.h"
#include "board/layer.h"
#include "board/node_references.h"
#include "board/pad.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/subtree_walk.h"
#include "core/tree_node.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "schematic/net.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"
#include "shell/left_tab_view.h"
#include "shell/main_frame.h"
#include "shell/tab_window.h"

#include <algorithm>
#include <cstddef>
#include <map>

// The gate looks only at what the steps touched, never at every record of
// a history: a step costs the same at the start of a session and after
// thousands of steps. Each history keeps the nodes it is still to look at
// (the records naming them are found through the history's index):
// reach, the nodes whose top may have changed (named by a record that
// entered a history, or in a subtree that left the documents); others,
// the nodes other histories' steps touched, whose values its records are
// to compare; current, the nodes its own steps touched, whose values its
// records take once another history takes over. A history looks at its
// nodes where the full walk would have looked at all its records, and
// forgets them then.
//
// The nodes named by the records of the last group a history changed (the
// group being built, an action undone or redone) are the recent ones: that
// history may go on changing them without a record (a drag, a dialog that
// records a node once), so they are looked at again at every settling and
// change of history until another group starts.

namespace {
bool IsDocumentRoot(const CTreeNode* node) {
    for (int kind = 0; kind < 3; ++kind)
        if (node == &g_MainFrame.GetRoot(kind))
            return true;
    return false;
}
} // namespace

CHistoryGate* CHistoryGate::s_open = nullptr;

CHistoryGate::CHistoryGate(CTabWindow& tabs) : m_tabs(tabs) {}

bool CHistoryGate::Look::Skips(const CUndoList& history) const {
    return std::find(skip.begin(), skip.end(), &history) != skip.end();
}

bool CHistoryGate::Look::Compares(const CUndoList& history) const {
    return compare && &history != ownChanges;
}

// --- Opening and closing ----------------------------------------------------------

void CHistoryGate::Open() {
    s_open = this;
    ShareTreeHistories(true);
    SetOtherStepsForgetter(ForgetOtherStepsHook);
    SetUnrecordedChanger(ChangeWithoutHistoryHook);
    WatchDetachedNodes(true);
}

void CHistoryGate::Close() {
    ShareTreeHistories(false);
    SetOtherStepsForgetter(nullptr);
    SetUnrecordedChanger(nullptr);
    m_settlePosted = false;
    m_changedSinceSettle.clear();
    m_lastChanged = nullptr;
    WatchDetachedNodes(false);
    if (s_open == this)
        s_open = nullptr;
}

void CHistoryGate::Share(CVorpelView* view) {
    CUndoList& history = view->GetUndoList();
    history.SetChangeListener([this, &history, view](CUndoList::Change change, bool after) {
        OnHistoryChange(history, view, -1, change, after);
    });
    history.SetReleaseListener(UntieFromReleased);
}

void CHistoryGate::Release(CVorpelView* view) {
    CUndoList& history = view->GetUndoList();
    history.Clear();
    history.SetChangeListener(nullptr);
    history.SetReleaseListener(nullptr);
    m_pending.erase(&history);
}

void CHistoryGate::ShareTreeHistories(bool share) {
    for (int kind = 0; kind < 3; ++kind) {
        CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(kind);
        if (!tree)
            continue;
        CUndoList& history = tree->GetUndoList();
        if (!share) {
            history.SetChangeListener(nullptr);
            history.SetReleaseListener(nullptr);
        } else {
            history.SetChangeListener([this, &history, kind](CUndoList::Change change, bool after) {
                OnHistoryChange(history, nullptr, kind, change, after);
            });
            history.SetReleaseListener(UntieFromReleased);
        }
    }
}

void CHistoryGate::ForgetOtherStepsHook(const CTreeNode* node) {
    if (s_open)
        s_open->ForgetOtherStepsOn(node);
}

void CHistoryGate::ChangeWithoutHistoryHook(const std::function<void()>& change) {
    if (s_open)
        s_open->ChangeWithoutHistory(change);
}

void CHistoryGate::NoteDetached(CTreeNode* node) {
    if (s_open)
        s_open->m_detached.insert(node);
}

// A node freed has no values left to compare, nor a parent or anything it
// names to look at: it leaves the nodes the histories are to compare and the
// last group's. (Records naming it go by the reach of what they name.)
void CHistoryGate::NoteDestroyed(const CTreeNode* node) {
    if (!s_open)
        return;
    if (!s_open->m_detached.empty())
        s_open->m_detached.erase(node);
    std::erase(s_open->m_recent, node);
    for (auto& [history, pending] : s_open->m_pending) {
        pending.others.erase(node);
        pending.current.erase(node);
    }
}

void CHistoryGate::WatchDetachedNodes(bool watch) {
    Tree<CTreeNode>::s_detached = watch ? NoteDetached : nullptr;
    CTreeNode::s_destroyed = watch ? NoteDestroyed : nullptr;
    m_detached.clear();
    m_pending.clear();
    m_recent.clear();
    m_recentOwner = nullptr;
}

// --- Documents and histories -------------------------------------------------------

// The nodes of a page: its document's subtree, less the pages of their own
// inside it.
void CHistoryGate::CollectPageNodes(const CTreeNode* node, std::vector<const CTreeNode*>& out) {
    for (const CTreeNode* child : node->GetChildren()) {
        if (HasOwnViewMaker(child->GetType()))
            continue;
        out.push_back(child);
        CollectPageNodes(child, out);
    }
}

bool CHistoryGate::InSomeDocument(const CTreeNode* node) {
    const CTreeNode* top = node;
    while (top->GetParent())
        top = top->GetParent();
    return IsDocumentRoot(top);
}

std::vector<CUndoList*> CHistoryGate::AllHistories() const {
    std::vector<CUndoList*> histories;
    for (int kind = 0; kind < 3; ++kind)
        if (CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(kind))
            histories.push_back(&tree->GetUndoList());
    for (CVorpelView* view : m_tabs.GetViews())
        histories.push_back(&view->GetUndoList());
    return histories;
}

CUndoList* CHistoryGate::LastChanged() {
    const std::vector<CUndoList*> histories = AllHistories();
    if (std::find(histories.begin(), histories.end(), m_lastChanged) == histories.end())
        m_lastChanged = nullptr;
    return m_lastChanged;
}

// --- The nodes to look at ------------------------------------------------------------

// Nodes a history's records touched: their reach (a null, standing for
// every node's values, says nothing of reach) and their values, as its own
// or another's doing.
void CHistoryGate::NotePending(PendingNodes& pending, const std::vector<const CTreeNode*>& touched,
                               bool own) {
    for (const CTreeNode* node : touched)
        if (node)
            pending.reach.insert(node);
    (own ? pending.current : pending.others).insert(touched.begin(), touched.end());
}

// The nodes that nodes name besides holding them (ForEachReferent), added
// to them: a step on a node may change what finds it by its layer, name or
// net, and the steps on those are looked at too. Only nodes a record of
// history names are asked: those are alive.
void CHistoryGate::AddReferents(std::vector<const CTreeNode*>& nodes, const CUndoList& history) {
    std::unordered_set<const CTreeNode*> added;
    const size_t count = nodes.size();
    for (size_t i = 0; i < count; ++i)
        if (nodes[i] && history.NamesNode(nodes[i]))
            ForEachReferent(nodes[i], [&](const CTreeNode* referent) {
                if (added.insert(referent).second)
                    nodes.push_back(referent);
            });
}

// The nodes the record a history is taking names: its change may be made
// already (an inserted node's record follows the insertion).
std::vector<const CTreeNode*> CHistoryGate::PushedNodes(const CUndoList& history) {
    std::vector<const CTreeNode*> nodes;
    if (const CUndoItem* item = history.PushingItem())
        item->ForEachNamedNode([&nodes](const CTreeNode* node) { nodes.push_back(node); });
    return nodes;
}

bool CHistoryGate::IsHistory(const CUndoList* history) const {
    const std::vector<CUndoList*> histories = AllHistories();
    return history && std::find(histories.begin(), histories.end(), history) != histories.end();
}

std::vector<const CTreeNode*>
CHistoryGate::Joined(const std::unordered_set<const CTreeNode*>& pending, bool withRecent) const {
    std::vector<const CTreeNode*> nodes(pending.begin(), pending.end());
    if (withRecent && !m_recent.empty()) {
        // What the last group's nodes name now, once its step is complete:
        // a record is often pushed before its change is made.
        std::vector<const CTreeNode*> recent = m_recent;
        if (IsHistory(m_recentOwner))
            AddReferents(recent, *m_recentOwner);
        nodes.insert(nodes.end(), recent.begin(), recent.end());
    }
    return nodes;
}

// What the histories' changes touched since the last look goes to every
// history's nodes to look at: the nodes the changing histories' records
// name, and every node of a subtree that left the documents.
void CHistoryGate::GatherTouchedNodes(const std::vector<CUndoList*>& histories) {
    for (CUndoList* changed : histories) {
        std::vector<const CTreeNode*> touched = changed->TakeTouchedNodes();
        if (touched.empty())
            continue;
        AddReferents(touched, *changed);
        for (CUndoList* history : histories)
            NotePending(m_pending[history], touched, history == changed);
    }
    if (m_detached.empty())
        return;
    std::vector<const CTreeNode*> left;
    for (const CTreeNode* node : m_detached)
        if (!InSomeDocument(node))
            ForEachInSubtree(node, [&left](const CTreeNode* n) {
                left.push_back(n);
                return true;
            });
    m_detached.clear();
    for (CUndoList* history : histories)
        m_pending[history].reach.insert(left.begin(), left.end());
}

// The history's records take the values of the nodes its own steps touched.
void CHistoryGate::TakeOwnValues(CUndoList& history) {
    PendingNodes& pending = m_pending[&history];
    history.TakeCurrentValuesOn(Joined(pending.current, true), IsDocumentRoot);
    pending.current.clear();
}

// --- A change of a history -----------------------------------------------------------

// The changing history keeps a group being built (its records may name a
// node taken out only for a moment) and has nothing to keep once cleared;
// before an Undo or Redo it lets go, as the others do, of the steps it can
// no longer take.
void CHistoryGate::OnHistoryChange(CUndoList& changing, CVorpelView* owner, int treeKind,
                                   CUndoList::Change change, bool after) {
    using Change = CUndoList::Change;
    const bool itself = change == Change::Undo || change == Change::Redo;
    // What a view does on its own behalf while another history's change
    // lets go of its steps stays that history's doing.
    const CUndoList* last = after || m_droppingWork ? nullptr : LastChanged();
    const bool compare = !after && !m_droppingWork && NoteChangeOf(changing, change);
    if (after)
        NoteRecentGroup(changing, change);
    Look look;
    if (!itself)
        look.skip.push_back(&changing);
    look.compare = compare;
    look.ownChanges = last;
    ForgetDepartedEverywhere(look);
    if (!after)
        return;
    PostSettling(changing);
    if (change == Change::Clear)
        return;
    IndexBoardsLater(owner, treeKind);
}

// A change of history changing is about to be made. When another history
// changed last, its records take what their nodes hold now as left by
// their steps, and the others' records are to be compared with the values
// their steps left (true): that history may have changed them. When it
// changed last itself and its next step begins (an Undo or Redo, or a
// record opening a group), what it changed since without a record (an Esc
// taking a route's loose end away) is its last step's doing too: once
// the group is complete, nothing looks at its nodes as its own again.
bool CHistoryGate::NoteChangeOf(CUndoList& changing, CUndoList::Change change) {
    CUndoList* last = LastChanged();
    m_lastChanged = &changing;
    if (last == &changing) {
        if (change != CUndoList::Change::Push || changing.GetStartNewGroup()) {
            GatherTouchedNodes(AllHistories());
            TakeOwnValues(changing);
        }
        return false;
    }
    if (last) {
        GatherTouchedNodes(AllHistories());
        // A record taken after its change (an inserted node's) names what
        // the changing history already did: not the last one's doing.
        const Referrers::LeftOut pushing(PushedNodes(changing));
        TakeOwnValues(*last);
    }
    return true;
}

// The records that entered name what the change touched; the history may
// go on changing it while the group is being built.
void CHistoryGate::NoteRecentGroup(CUndoList& changing, CUndoList::Change change) {
    const std::vector<const CTreeNode*> touched = changing.TakeTouchedNodes();
    std::vector<const CTreeNode*> named = touched;
    AddReferents(named, changing);
    const bool sameGroup = change == CUndoList::Change::Push && m_recentOwner == &changing &&
                           changing.CanUndo() &&
                           !changing.UndoItemAt(changing.UndoCount() - 1)->IsGroupHead();
    if (!sameGroup) {
        // The group before is complete: what its nodes name now is looked
        // at, as the nodes are, by every history.
        if (IsHistory(m_recentOwner)) {
            std::vector<const CTreeNode*> referents = m_recent;
            AddReferents(referents, *m_recentOwner);
            referents.erase(referents.begin(),
                            referents.begin() + static_cast<std::ptrdiff_t>(m_recent.size()));
            for (CUndoList* history : AllHistories())
                NotePending(m_pending[history], referents, history == m_recentOwner);
        }
        m_recent.clear();
    }
    m_recentOwner = &changing;
    m_recent.insert(m_recent.end(), touched.begin(), touched.end());
    for (CUndoList* history : AllHistories())
        NotePending(m_pending[history], named, history == &changing);
}

// Records are often pushed before their node leaves: once the step is
// complete, the others let go of what it took away.
void CHistoryGate::PostSettling(const CUndoList& changing) {
    if (std::find(m_changedSinceSettle.begin(), m_changedSinceSettle.end(), &changing) ==
        m_changedSinceSettle.end())
        m_changedSinceSettle.push_back(&changing);
    if (!m_settlePosted && m_tabs.IsWindow()) {
        m_settlePosted = true;
        m_tabs.PostMessage(kSettleMessage);
    }
}

// The open board editors of the board the change touched index it anew,
// all but the changing one, whose index follows its records; not at once,
// since the step may not be complete yet. A project tree's change touches
// every board.
void CHistoryGate::IndexBoardsLater(const CVorpelView* owner, int treeKind) {
    const CTreeNode* board = nullptr;
    if (owner && owner->GetDocument()) {
        const CTreeNode* document = owner->GetDocument();
        board = document->GetType() == NodeType::Board ? document : FindBoardAbove(document);
        if (!board)
            return;
    } else if (treeKind != 0) {
        return;
    }
    for (CVorpelView* view : m_tabs.GetViews()) {
        if (view == owner || !view->GetBoardLayerIndex() || (board && view->GetDocument() != board))
            continue;
        view->CatchUpLater();
        if (view->IsWindow())
            view->Invalidate(false);
    }
}

void CHistoryGate::SettleHistories() {
    m_settlePosted = false;
    const std::vector<const CUndoList*> changed = std::move(m_changedSinceSettle);
    m_changedSinceSettle.clear();
    // What changed since the last history's change is that history's own
    // doing; the others let go of the steps whose values it changed.
    CUndoList* last = LastChanged();
    if (last) {
        GatherTouchedNodes(AllHistories());
        TakeOwnValues(*last);
    }
    Look look;
    look.skip = changed;
    look.compare = true;
    look.ownChanges = last;
    ForgetDepartedEverywhere(look);
    // What changes the documents from here without a change of history (a
    // floating object, a drag going on) is the shown editor's doing.
    if (CVorpelView* view = m_tabs.GetActiveView())
        m_lastChanged = &view->GetUndoList();
    LetGoOfShownDeparted();
}

// Nor does the panel keep showing what the steps took out (a wire an Esc
// dropped, a net another editor merged away) or off the shown page.
void CHistoryGate::LetGoOfShownDeparted() {
    CVorpelView* view = m_tabs.GetActiveView();
    if (auto* shown = dynamic_cast<const CTreeNode*>(m_tabs.m_propertyGrid.GetShownObject());
        shown && (!InSomeDocument(shown) || (view && !view->Shows(shown))))
        m_tabs.m_propertyGrid.ShowProperties(view);
}

void CHistoryGate::NoteShownHistory(CUndoList& shown) {
    CUndoList* last = LastChanged();
    if (last == &shown)
        return;
    // The values are handed over; the others compare theirs at the next
    // change or settling, where letting go of steps is safe.
    const std::vector<CUndoList*> histories = AllHistories();
    GatherTouchedNodes(histories);
    if (last)
        TakeOwnValues(*last);
    // Not forgotten yet: the others still compare them.
    for (CUndoList* history : histories)
        if (history != last)
            history->TakeOthersValuesOn(Joined(m_pending[history].others, true), IsDocumentRoot);
    m_lastChanged = &shown;
}

// --- Forgetting the steps that no longer fit ----------------------------------------

// Each history (the changing one only with itself) forgets the groups that
// name a node neither in a document nor held by its own records: another
// history took the node out and may free it. With compare, every history
// but ownChanges (the one that changed last, if any), the changing one
// too, also forgets the groups that no longer find the values their step
// left: another history changed the same attribute or text since. Every
// plan is made before any history frees what its forgotten records hold,
// so none looks at a node another one just freed.
void CHistoryGate::ForgetDepartedEverywhere(const Look& look) {
    GatherTouchedNodes(AllHistories());
    if (look.compare)
        for (CUndoList* history : AllHistories())
            if (history != look.ownChanges)
                history->TakeOthersValuesOn(Joined(m_pending[history].others, true),
                                            IsDocumentRoot);
    const std::unordered_map<const CUndoList*, CUndoList::ForgetPlan> atLeast =
        DropWorkOfForgettingEditors(look);
    // What dropping the work changed is looked at too.
    GatherTouchedNodes(AllHistories());
    std::vector<std::pair<CUndoList*, CUndoList::ForgetPlan>> plans;
    for (CUndoList* history : AllHistories()) {
        auto it = atLeast.find(history);
        const CUndoList::ForgetPlan forget =
            PlanFor(look, *history, it == atLeast.end() ? CUndoList::ForgetPlan{} : it->second);
        DoneLooking(look, *history);
        if (!forget.IsEmpty())
            plans.emplace_back(history, forget);
    }
    for (const auto& [history, forget] : plans)
        history->Forget(forget);
}

// The nodes a history looks at: those whose reach changed where it is not
// skipped, those whose values others changed where it compares.
std::vector<const CTreeNode*> CHistoryGate::NodesToLookAt(const Look& look,
                                                          const CUndoList& history) {
    PendingNodes& pending = m_pending[&history];
    std::vector<const CTreeNode*> nodes;
    if (!look.Skips(history))
        nodes = Joined(pending.reach);
    if (look.Compares(history)) {
        const std::vector<const CTreeNode*> changed = Joined(pending.others, true);
        nodes.insert(nodes.end(), changed.begin(), changed.end());
    }
    return nodes;
}

CUndoList::ForgetPlan CHistoryGate::PlanFor(const Look& look, const CUndoList& history,
                                            const CUndoList::ForgetPlan& atLeast) {
    // What the history's record being taken names is its own work.
    const Referrers::LeftOut pushing(PushedNodes(history));
    return history.PlanDepartedStepsOn(NodesToLookAt(look, history), IsDocumentRoot,
                                       look.Compares(history), !look.Skips(history), atLeast);
}

// What a history looked at is done with.
void CHistoryGate::DoneLooking(const Look& look, const CUndoList& history) {
    PendingNodes& pending = m_pending[&history];
    if (!look.Skips(history))
        pending.reach.clear();
    if (look.Compares(history))
        pending.others.clear();
}

// Another editor whose steps go drops its work under way first, while what
// that work made is still where it left it. Returns what at least a history
// forgets: an editor whose work under way began with a step that goes lets
// the steps since go.
std::unordered_map<const CUndoList*, CUndoList::ForgetPlan>
CHistoryGate::DropWorkOfForgettingEditors(const Look& look) {
    std::unordered_map<const CUndoList*, CUndoList::ForgetPlan> atLeast;
    if (m_droppingWork)
        return atLeast;
    for (CVorpelView* view : std::vector<CVorpelView*>(m_tabs.GetViews())) {
        CUndoList& list = view->GetUndoList();
        const CUndoList::ForgetPlan going = PlanFor(look, list);
        if (going.IsEmpty())
            continue;
        m_droppingWork = true;
        list.SetForgettingAhead(going);
        CTabWindow::DropWorkInProgress(view);
        if (!(list.ForgettingAhead() == going))
            atLeast[&list] = list.ForgettingAhead();
        list.SetForgettingAhead({});
        m_droppingWork = false;
    }
    return atLeast;
}

// --- Changes made around the histories --------------------------------------------

// Every history but the active view's forgets its groups naming node; an
// editor whose steps go drops its work under way first.
void CHistoryGate::ForgetOtherStepsOn(const CTreeNode* node) {
    const CUndoList* keep = GetActiveUndoList();
    auto holds = [node](const CUndoList& history) { return history.NamesNode(node); };
    for (CVorpelView* view : std::vector<CVorpelView*>(m_tabs.GetViews())) {
        if (&view->GetUndoList() == keep || !holds(view->GetUndoList()))
            continue;
        m_droppingWork = true;
        CTabWindow::DropWorkInProgress(view);
        m_droppingWork = false;
    }
    for (CUndoList* history : AllHistories())
        if (history != keep && holds(*history))
            history->ForgetGroupsNaming(node);
}

void CHistoryGate::ChangeWithoutHistory(const std::function<void()>& change) {
    // What changed since the last history's change is that history's doing;
    // what the change alters is no history's, so every record lets it
    // follow, as for another history's change its step did not make.
    if (CUndoList* last = LastChanged())
        last->TakeCurrentValues(IsDocumentRoot);
    change();
    for (CUndoList* history : AllHistories())
        history->TakeOthersValues(IsDocumentRoot);
}

// Conductor vertices tie to pads by address, and a tie to a pad that left
// the board stays while a history holds the pad, so that its Undo brings
// the pad back tied. A pin names its net the same way: a net one history
// takes away may still hold pins another history put in it. Once the
// history frees the pad or the net, the ties let go.
void CHistoryGate::UntieFromReleased(const std::vector<const CTreeNode*>& held) {
    std::unordered_set<const CTreeNode*> pads;
    std::unordered_set<const CTreeNode*> nets;
    std::vector<CPin*> pins;
    for (const CTreeNode* top : held)
        if (!InSomeDocument(top))
            ForEachInSubtree(top, [&](const CTreeNode* node) {
                if (node->GetType() == NodeType::Pad)
                    pads.insert(node);
                else if (node->GetType() == NodeType::Net)
                    nets.insert(node);
                else if (node->GetType() == NodeType::Pin)
                    pins.push_back(static_cast<CPin*>(const_cast<CTreeNode*>(node)));
                // Another history may have moved a drawn object into a node
                // this one holds (a wire into a net it inserted empty): it
                // leaves its sheet before it is freed.
                auto* object = dynamic_cast<CSheetObject*>(const_cast<CTreeNode*>(node));
                if (object && object->m_pSheet && object->m_pSheet->HasObject(object))
                    object->m_pSheet->RemoveObject(object);
                return true;
            });
    // A pin that goes may still be in a net that stays: another history put
    // it there, or its package left with it listed.
    for (CPin* pin : pins)
        if (pin->m_pNet && !nets.count(static_cast<const CTreeNode*>(pin->m_pNet)))
            pin->m_pNet->m_pins.erase(pin);
    if (pads.empty() && nets.empty())
        return;
    auto untie = [&](CTreeNode* node) {
        if (node->GetType() == NodeType::Pin) {
            auto* pin = static_cast<CPin*>(node);
            if (pin->m_pNet && nets.count(static_cast<const CTreeNode*>(pin->m_pNet)))
                pin->m_pNet = nullptr;
            return true;
        }
        if (node->GetType() != NodeType::Conductor)
            return true;
        for (ConductorVertex& v : static_cast<CConductor*>(node)->m_vertices)
            if (const CPad* pad = v.tie.GetPad();
                pad && pads.count(static_cast<const CTreeNode*>(pad)))
                v.tie = VertexTie();
        return false;
    };
    ForEachInSubtree(static_cast<CTreeNode*>(&g_MainFrame.GetRoot(0)), untie);
    // So do the histories: the subtrees their records hold out of the
    // documents (a package taken away, a deleted track) and the vertices
    // and nets they keep to put back. A history's record may have copied a
    // tie to a pad, or a pin's net, that another history held after it took
    // them away.
    std::unordered_set<const CTreeNode*> released = pads;
    released.insert(nets.begin(), nets.end());
    const std::vector<const CTreeNode*> named(released.begin(), released.end());
    CUndoList::ForEachList([&](CUndoList& history) {
        history.ForEachItem([&](CUndoItem& item) {
            if (const CTreeNode* top = item.GetHeldNode(); top && !InSomeDocument(top))
                ForEachInSubtree(const_cast<CTreeNode*>(top), untie);
        });
        history.ForEachItemNaming(named, [&](CUndoItem& item) { item.LetGoOfTies(released); });
    });
}

// --- Catching up with a tree's step -------------------------------------------------

CHistoryGate::DocumentsWatch CHistoryGate::WatchDocuments() const {
    DocumentsWatch watch;
    for (const CVorpelView* view : m_tabs.GetViews()) {
        std::vector<const CTreeNode*> nodes;
        if (view->GetDocument())
            CollectPageNodes(view->GetDocument(), nodes);
        std::sort(nodes.begin(), nodes.end());
        watch.pages.emplace_back(view, std::move(nodes));
        if (view->GetViewKind() == kViewBoard && view->GetDocument() &&
            view->GetDocument()->GetType() == NodeType::Board) {
            watch.layers.emplace_back(view, BoardLayers(view));
            watch.outlines.emplace_back(view, BoardOutline(view));
        }
    }
    return watch;
}

void CHistoryGate::CatchUpWithDocuments(const DocumentsWatch& before) {
    // Views closed meanwhile are only compared by address.
    for (CVorpelView* view : std::vector<CVorpelView*>(m_tabs.GetViews())) {
        auto page = std::find_if(before.pages.begin(), before.pages.end(),
                                 [view](const auto& p) { return p.first == view; });
        if (page == before.pages.end() || !view->GetDocument())
            continue;
        const DocumentsWatch::Layers* layers = LayersBefore(before, view);
        const bool lost = PageLostNodes(page->second, view);
        if (layers && !OutlineReplaced(before, view)) {
            if (lost || LayersMoved(*layers, view))
                LetGoOfStepsOnMovedLayers(view, *layers);
        } else if (lost || layers) {
            LetGoOfOutrunHistory(view);
        }
        ReindexBoard(view);
    }
}

// A view whose page lost nodes (not pages of their own, which close with
// their views) lets go of its history, whose records may name them after
// the tree's history frees them; so does a board editor whose board's
// outline was read anew. Its work under way goes first, and unsaved changes
// stay noted for the document: closing the page still asks.
void CHistoryGate::LetGoOfOutrunHistory(CVorpelView* view) {
    CTabWindow::DropWorkInProgress(view);
    if (!view->GetUndoList().IsAtSavedState())
        g_MainFrame.NoteChangesLeftInDocument(view->GetDocumentKind());
    view->GetUndoList().Abandon();
}

// A board editor whose board lost nodes, whose objects moved to other
// layers or whose stackup's layers changed ids forgets the steps that name
// what went, name an object or a layer that moved or now lies on a layer
// whose id is another's than before, keep such an id among the values they
// put back, or hold out of the board an object on such a layer: undone or
// redone, they would put things back by the old ids. With them go the
// farther steps that touch what they touch; the steps on the other layers
// stay. Its work under way goes first. A tree's step that moves layers is
// rare and changes what the ids mean for every record: here the whole
// history is looked at.
void CHistoryGate::LetGoOfStepsOnMovedLayers(CVorpelView* view,
                                             const DocumentsWatch::Layers& before) {
    CTabWindow::DropWorkInProgress(view);
    // Read after the work under way went, which may take objects away.
    const DocumentsWatch::Layers now = BoardLayers(view);
    std::unordered_set<const CTreeNode*> moved;
    // The ids at which the stackup holds another layer, or none, than before.
    std::unordered_set<int> ids;
    std::map<int, const CTreeNode*> stackupBefore, stackupNow;
    for (const DocumentsWatch::Placed& p : before)
        if (p.stackup)
            stackupBefore[p.layer] = p.node;
    for (const DocumentsWatch::Placed& p : now)
        if (p.stackup)
            stackupNow[p.layer] = p.node;
    for (const auto& [id, layer] : stackupBefore)
        if (auto it = stackupNow.find(id); it == stackupNow.end() || it->second != layer)
            ids.insert(id);
    for (const auto& [id, layer] : stackupNow)
        if (auto it = stackupBefore.find(id); it == stackupBefore.end() || it->second != layer)
            ids.insert(id);
    for (const DocumentsWatch::Placed& p : now) {
        auto was = std::lower_bound(before.begin(), before.end(), p);
        if ((was != before.end() && was->node == p.node && was->layer != p.layer) ||
            (ids.count(p.layer) && (p.stackup || LiesOnStackupLayer(p.node))))
            moved.insert(p.node);
    }
    auto onMovedLayer = [&](const CUndoItem& item) {
        bool on = false;
        item.ForEachNamedNode([&](const CTreeNode* node) { on = on || moved.count(node); });
        item.ForEachKeptLayer([&](int id) { on = on || (id < 0 ? !ids.empty() : ids.count(id)); });
        if (const CTreeNode* held = item.GetHeldNode(); !on && held && !InSomeDocument(held))
            ForEachInSubtree(held, [&](const CTreeNode* node) {
                on = on || (LiesOnStackupLayer(node) && ids.count(node->GetLayer()));
                return !on;
            });
        return on;
    };
    CUndoList& history = view->GetUndoList();
    const CUndoList::ForgetPlan plan = history.PlanDepartedSteps(
        IsDocumentRoot, false, true, history.PlanGroupsWhere(onMovedLayer));
    history.Forget(plan);
}

bool CHistoryGate::PageLostNodes(const std::vector<const CTreeNode*>& before,
                                 const CVorpelView* view) {
    std::vector<const CTreeNode*> now;
    CollectPageNodes(view->GetDocument(), now);
    std::sort(now.begin(), now.end());
    return !std::includes(now.begin(), now.end(), before.begin(), before.end());
}

void CHistoryGate::ReindexBoard(CVorpelView* view) {
    if (CBoardLayerIndex* index = view->GetBoardLayerIndex()) {
        index->Clear();
        index->Build(view->GetDocument());
    }
}

CHistoryGate::DocumentsWatch::Layers CHistoryGate::BoardLayers(const CVorpelView* view) {
    DocumentsWatch::Layers layers;
    std::vector<const CTreeNode*> stack{view->GetDocument()};
    while (!stack.empty()) {
        const CTreeNode* node = stack.back();
        stack.pop_back();
        const bool stackup = node->GetType() == NodeType::Layer;
        const int layer = stackup ? static_cast<const CLayer*>(node)->m_id : node->GetLayer();
        if (layer >= 0)
            layers.push_back({node, layer, stackup});
        for (const CTreeNode* child : node->GetChildren())
            stack.push_back(child);
    }
    std::sort(layers.begin(), layers.end());
    return layers;
}

std::vector<const void*> CHistoryGate::BoardOutline(const CVorpelView* view) {
    std::vector<const void*> nodes;
    for (const CAreaNode* n = static_cast<const CBoard*>(view->GetDocument())->m_outline; n;
         n = n->m_next)
        nodes.push_back(n);
    return nodes;
}

bool CHistoryGate::OutlineReplaced(const DocumentsWatch& before, const CVorpelView* view) {
    auto outline = std::find_if(before.outlines.begin(), before.outlines.end(),
                                [view](const auto& p) { return p.first == view; });
    return outline != before.outlines.end() && outline->second != BoardOutline(view);
}

const CHistoryGate::DocumentsWatch::Layers* CHistoryGate::LayersBefore(const DocumentsWatch& before,
                                                                       const CVorpelView* view) {
    auto page = std::find_if(before.layers.begin(), before.layers.end(),
                             [view](const auto& p) { return p.first == view; });
    return page == before.layers.end() ? nullptr : &page->second;
}

bool CHistoryGate::LayersMoved(const DocumentsWatch::Layers& before, const CVorpelView* view) {
    const DocumentsWatch::Layers now = BoardLayers(view);
    for (const DocumentsWatch::Placed& p : before) {
        auto it = std::lower_bound(now.begin(), now.end(), p);
        if (it != now.end() && it->node == p.node && it->layer != p.layer)
            return true;
    }
    return false;
}
