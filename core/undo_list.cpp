#include "core/undo_list.h"

#include "core/subtree_walk.h"
#include "core/tree_node.h"
#include "platform/window.h"

#include <algorithm>
#include <unordered_set>

namespace {
const CUndoItem* ItemOf(const std::unique_ptr<CUndoItem>& item) {
    return item.get();
}
const CUndoItem* ItemOf(const CUndoItem* item) {
    return item;
}
template <class Entry> const CUndoItem* ItemOf(const Entry& entry) {
    return entry.item.get();
}

// Reachability of the nodes a history's records name: a node is within reach
// when its top node is a document root or one of the subtrees the history's
// own records hold out of the documents.
class NameReach {
public:
    // The records leaving are left out: they are about to be forgotten.
    NameReach(const CUndoList& list, const std::function<bool(const CTreeNode*)>& isDocumentRoot,
              const CUndoList::ForgetPlan& leaving = {})
        : isDocumentRoot_(isDocumentRoot) {
        for (size_t i = 0; i < list.UndoCount(); ++i)
            if (!leaving.Takes(false, i))
                AddHeld(*list.UndoItemAt(i));
        for (size_t i = 0; i < list.RedoCount(); ++i)
            if (!leaving.Takes(true, i))
                AddHeld(*list.RedoItemAt(i));
        std::sort(held_.begin(), held_.end());
    }
    bool Reaches(const CTreeNode* node) const {
        while (node->GetParent())
            node = node->GetParent();
        return isDocumentRoot_(node) || std::binary_search(held_.begin(), held_.end(), node);
    }
    // The first named node out of reach, or null.
    const CTreeNode* FirstDeparted(const CUndoItem& item) const {
        const CTreeNode* departed = nullptr;
        item.ForEachNamedNode([&](const CTreeNode* node) {
            if (!departed && node && !Reaches(node))
                departed = node;
        });
        return departed;
    }

private:
    void AddHeld(const CUndoItem& item) {
        if (const CTreeNode* node = item.GetHeldNode())
            held_.push_back(node);
    }
    const std::function<bool(const CTreeNode*)>& isDocumentRoot_;
    std::vector<const CTreeNode*> held_;
};
} // namespace

std::vector<CUndoList*>& CUndoList::Lists() {
    // Made before the first list, so gone only after the last.
    static std::vector<CUndoList*> lists;
    return lists;
}

CUndoList::CUndoList() {
    Lists().push_back(this);
}

CUndoList::~CUndoList() {
    listener_ = nullptr;
    releaseListener_ = nullptr;
    Clear();
    std::erase(Lists(), this);
}

void CUndoList::ForEachList(const std::function<void(CUndoList&)>& visit) {
    for (CUndoList* list : std::vector<CUndoList*>(Lists()))
        visit(*list);
}

template <class It> void CUndoList::NotifyRelease(It begin, It end) const {
    if (!releaseListener_)
        return;
    std::vector<const CTreeNode*> held;
    for (It i = begin; i != end; ++i) {
        const CUndoItem* item = ItemOf(*i);
        if (const CTreeNode* node = item ? item->GetHeldNode() : nullptr)
            held.push_back(node);
    }
    if (!held.empty())
        releaseListener_(held);
}

void CUndoList::AddUndo(CUndoItem* item) {
    if (!item)
        return;
    pushing_ = item;
    NotifyChange(Change::Push, false);
    pushing_ = nullptr;
    item->SetGroupHead(startNewGroup_);
    startNewGroup_ = false;
    ++nextState_;
    undo_.push_back(MakeEntry(std::unique_ptr<CUndoItem>(item), nextState_, nextState_, false));
    NotifyRelease(redo_.begin(), redo_.end());
    while (!redo_.empty()) {
        Unindex(redo_.back().item.get());
        redo_.pop_back();
    }
    NotifyChange(Change::Push, true);
}

void CUndoList::Undo(bool keepRedo) {
    if (undo_.empty())
        return;
    NotifyChange(Change::Undo, false);
    // The listener may have forgotten what there was to undo.
    if (undo_.empty())
        return;
    // Inverses thrown away go only once the whole group is undone: one may
    // hold a node that a later record of the group still takes children
    // out of (a net made by a split, whose wires go back to their net).
    std::vector<std::unique_ptr<CUndoItem>> dropped;
    bool first = true;
    for (;;) {
        Entry r = std::move(undo_.back());
        undo_.pop_back();
        Unindex(r.item.get());
        std::unique_ptr<CUndoItem> inverse(r.item->Undo());
        if (keepRedo && inverse) {
            inverse->SetGroupHead(first);
            // Redoing the inverse leads back to the state the record led to.
            redo_.push_back(MakeEntry(std::move(inverse), r.state, r.doc, true));
        } else if (inverse) {
            dropped.push_back(std::move(inverse));
        }
        first = false;
        bool head = r.item->IsGroupHead();
        r.item.reset();
        if (head || undo_.empty() || IsAtSavedState())
            break;
    }
    // The other histories let go of what the inverses hold before they are
    // freed, in the order they were made.
    NotifyChange(Change::Undo, true);
    NotifyRelease(dropped.begin(), dropped.end());
    for (std::unique_ptr<CUndoItem>& item : dropped)
        item.reset();
    FocusAfterChange();
}

void CUndoList::Redo() {
    if (redo_.empty())
        return;
    NotifyChange(Change::Redo, false);
    if (redo_.empty())
        return;
    bool first = true;
    for (;;) {
        Entry r = std::move(redo_.back());
        redo_.pop_back();
        Unindex(r.item.get());
        std::unique_ptr<CUndoItem> inverse(r.item->Undo());
        if (inverse) {
            inverse->SetGroupHead(first);
            undo_.push_back(MakeEntry(std::move(inverse), r.state, r.doc, false));
        }
        first = false;
        bool head = r.item->IsGroupHead();
        r.item.reset();
        if (head || redo_.empty())
            break;
    }
    NotifyChange(Change::Redo, true);
    FocusAfterChange();
}

void CUndoList::JoinGroupsFrom(size_t count) {
    for (size_t i = count; i < undo_.size(); ++i)
        undo_[i].item->SetGroupHead(i == count);
}

namespace {
// The records a forgetting takes from the far end of a sequence: up to the
// last that names pick, with the rest of its group. Both sequences keep a
// group's head first; the groups at the near end are the next to undo and
// to redo, so what goes is always a far part.
template <class Entries, class Names>
size_t ForgetCount(const Entries& entries, size_t from, const Names& names) {
    size_t end = from;
    for (size_t i = from; i < entries.size(); ++i)
        if (names(*entries[i].item)) {
            end = i + 1;
            while (end < entries.size() && !entries[end].item->IsGroupHead())
                ++end;
        }
    return end;
}
} // namespace

void CUndoList::ForgetGroups(const std::function<bool(const CUndoItem&)>& names) {
    ForgetPlan plan;
    for (size_t i = ForgetCount(undo_, 0, names); i-- > 0;)
        plan.undo.insert(i);
    for (size_t i = ForgetCount(redo_, 0, names); i-- > 0;)
        plan.redo.insert(i);
    Forget(plan);
}

void CUndoList::Forget(const ForgetPlan& plan) {
    if (plan.IsEmpty())
        return;
    const uint64_t current = CurrentState();
    // Records the plan takes go; a kept record farther than one that goes
    // now leads to a document no position had before (what went stays
    // done, or stays undone), except the nearest one to undo, which leads
    // to the document as it is.
    auto forget = [this](std::vector<Entry>& entries, const std::set<size_t>& going) {
        if (going.empty())
            return false;
        std::vector<const CUndoItem*> leaving;
        for (size_t i : going)
            if (i < entries.size())
                leaving.push_back(entries[i].item.get());
        NotifyRelease(leaving.begin(), leaving.end());
        const size_t farthest = *going.rbegin();
        std::vector<Entry> kept;
        bool lastMoved = false;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (going.count(i)) {
                Unindex(entries[i].item.get());
                entries[i].item.reset();
                continue;
            }
            lastMoved = i < farthest;
            if (lastMoved)
                entries[i].doc = ++nextState_;
            kept.push_back(std::move(entries[i]));
        }
        entries.swap(kept);
        return lastMoved;
    };
    const bool undoTopMoved = forget(undo_, plan.undo);
    if (!plan.undo.empty()) {
        if (undo_.empty())
            baseState_ = current;
        else
            baseState_ = ++nextState_;
        if (undoTopMoved)
            undo_.back().doc = current;
    }
    forget(redo_, plan.redo);
}

const CTreeNode*
CUndoList::FindDepartedName(const std::function<bool(const CTreeNode*)>& isDocumentRoot) const {
    const NameReach reach(*this, isDocumentRoot);
    for (size_t i = 0; i < undo_.size(); ++i)
        if (const CTreeNode* node = reach.FirstDeparted(*undo_[i].item))
            return node;
    for (size_t i = 0; i < redo_.size(); ++i)
        if (const CTreeNode* node = reach.FirstDeparted(*redo_[i].item))
            return node;
    return nullptr;
}

const CUndoItem* CUndoList::FindUnindexedName() const {
    for (const std::vector<Entry>* entries : {&undo_, &redo_})
        for (const Entry& entry : *entries) {
            auto place = places_.find(entry.item.get());
            bool indexed = place != places_.end();
            entry.item->ForEachNamedNode([&](const CTreeNode* node) {
                if (indexed && node)
                    indexed = std::find(place->second.names.begin(), place->second.names.end(),
                                        node) != place->second.names.end();
            });
            if (!indexed)
                return entry.item.get();
        }
    return nullptr;
}

CUndoList::ForgetPlan
CUndoList::PlanDepartedSteps(const std::function<bool(const CTreeNode*)>& isDocumentRoot,
                             bool changedValues, bool departed, const ForgetPlan& seed) const {
    // A record may name a node that an older record holds; once that one is
    // to be forgotten, so is the record: until nothing more goes. Values are
    // looked at only on nodes within reach.
    ForgetPlan plan;
    ForgetPlan next = Within(seed);
    for (;;) {
        const NameReach reach(*this, isDocumentRoot, plan);
        auto departs = [&reach, changedValues, departed](const CUndoItem& item) {
            if (reach.FirstDeparted(item))
                return departed;
            return changedValues && !item.FindsValuesAsLeft();
        };
        for (bool inRedo : {false, true}) {
            const std::vector<Entry>& entries = inRedo ? redo_ : undo_;
            for (size_t i = 0; i < entries.size(); ++i)
                if (!next.Takes(inRedo, i) && departs(*entries[i].item))
                    AddGroup(next, inRedo, i);
        }
        AddTouching(next);
        if (next == plan)
            return plan;
        plan = next;
    }
}

CUndoList::ForgetPlan
CUndoList::PlanGroupsWhere(const std::function<bool(const CUndoItem&)>& picks) const {
    ForgetPlan plan;
    for (bool inRedo : {false, true}) {
        const std::vector<Entry>& entries = inRedo ? redo_ : undo_;
        for (size_t i = 0; i < entries.size(); ++i)
            if (!plan.Takes(inRedo, i) && picks(*entries[i].item))
                AddGroup(plan, inRedo, i);
    }
    return plan;
}

CUndoList::ForgetPlan CUndoList::Within(const ForgetPlan& seed) const {
    // Whole groups of records still there (a plan made before an editor
    // dropped its work may name more).
    ForgetPlan plan;
    for (size_t i : seed.undo)
        AddGroup(plan, false, i);
    for (size_t i : seed.redo)
        AddGroup(plan, true, i);
    return plan;
}

void CUndoList::AddGroup(ForgetPlan& plan, bool inRedo, size_t index) const {
    const std::vector<Entry>& entries = inRedo ? redo_ : undo_;
    if (index >= entries.size())
        return;
    size_t head = index;
    while (head > 0 && !entries[head].item->IsGroupHead())
        --head;
    size_t end = index + 1;
    while (end < entries.size() && !entries[end].item->IsGroupHead())
        ++end;
    std::set<size_t>& taken = inRedo ? plan.redo : plan.undo;
    for (size_t i = head; i < end; ++i)
        taken.insert(i);
}

namespace {
// What a record touches, for the groups of its own history: the node it
// changes (every node it names, when it tells none) and everything above
// the nodes it names.
struct Touch {
    std::unordered_set<const CTreeNode*> changed;
    std::unordered_set<const CTreeNode*> reached;
    bool everything = false;
    void Add(const CUndoItem& item) {
        bool names = false;
        item.ForEachNamedNode([&](const CTreeNode* node) {
            if (!node)
                return;
            names = true;
            for (const CTreeNode* up = node; up && reached.insert(up).second;)
                up = up->GetParent();
        });
        everything = everything || !names;
        if (const CTreeNode* node = item.GetChangedNode())
            changed.insert(node);
        else
            item.ForEachNamedNode([&](const CTreeNode* node) {
                if (node)
                    changed.insert(node);
            });
    }
    // Whether item changes a node above or at one this touch names, or
    // names a node at or below one this touch changes.
    bool Meets(const CUndoItem& item) const {
        if (everything)
            return true;
        const CTreeNode* own = item.GetChangedNode();
        if (own && reached.count(own))
            return true;
        bool meets = false, names = false;
        item.ForEachNamedNode([&](const CTreeNode* node) {
            if (meets || !node)
                return;
            names = true;
            if (!own && reached.count(node))
                meets = true;
            for (const CTreeNode* up = node; up && !meets; up = up->GetParent())
                meets = changed.count(up) != 0;
        });
        return meets || !names;
    }
};
} // namespace

bool CUndoList::AddTouching(ForgetPlan& plan) const {
    // Walked from the near end: a group that goes touches what the farther
    // ones would act on once they are undone or redone without it.
    bool added = false;
    for (bool inRedo : {false, true}) {
        const std::vector<Entry>& entries = inRedo ? redo_ : undo_;
        std::set<size_t>& taken = inRedo ? plan.redo : plan.undo;
        if (taken.empty())
            continue;
        Touch going;
        bool any = false;
        for (size_t i = entries.size(); i-- > 0;) {
            if (taken.count(i)) {
                going.Add(*entries[i].item);
                any = true;
                continue;
            }
            if (!any || !going.Meets(*entries[i].item))
                continue;
            AddGroup(plan, inRedo, i);
            added = true;
            // The group from i on goes now; its farther records come next.
            for (size_t j = i; j == i || (j < entries.size() && !entries[j].item->IsGroupHead());
                 ++j)
                going.Add(*entries[j].item);
        }
    }
    return added;
}

void CUndoList::TakeOthersValues(const std::function<bool(const CTreeNode*)>& isDocumentRoot) {
    const NameReach reach(*this, isDocumentRoot);
    for (std::vector<Entry>* entries : {&undo_, &redo_})
        for (Entry& e : *entries)
            if (!reach.FirstDeparted(*e.item)) {
                e.item->TakeOthersValues();
                IndexNewNames(e.item.get());
            }
}

void CUndoList::TakeCurrentValues(const std::function<bool(const CTreeNode*)>& isDocumentRoot) {
    const NameReach reach(*this, isDocumentRoot);
    for (std::vector<Entry>* entries : {&undo_, &redo_})
        for (Entry& e : *entries)
            if (!reach.FirstDeparted(*e.item)) {
                e.item->TakeCurrentValues();
                IndexNewNames(e.item.get());
            }
}

void CUndoList::ForgetDepartedSteps(const std::function<bool(const CTreeNode*)>& isDocumentRoot) {
    Forget(PlanDepartedSteps(isDocumentRoot));
}

void CUndoList::Clear() {
    if (!undo_.empty() || !redo_.empty()) {
        NotifyChange(Change::Clear, false);
        DeleteAll();
        NotifyChange(Change::Clear, true);
    }
    baseState_ = 0;
    savedState_ = 0;
}

void CUndoList::Abandon() {
    const bool saved = IsAtSavedState();
    if (!undo_.empty() || !redo_.empty()) {
        NotifyChange(Change::Clear, false);
        DeleteAll();
        NotifyChange(Change::Clear, true);
    }
    baseState_ = 0;
    savedState_ = saved ? 0 : ~uint64_t{0};
}

void CUndoList::DeleteAll() {
    NotifyRelease(undo_.begin(), undo_.end());
    NotifyRelease(redo_.begin(), redo_.end());
    UnindexAll();
    for (Entry& e : undo_)
        e.item.reset();
    for (Entry& e : redo_)
        e.item.reset();
    std::vector<Entry>().swap(undo_);
    std::vector<Entry>().swap(redo_);
}

bool CUndoList::IsAtSavedState() const {
    return CurrentState() == savedState_;
}

void CUndoList::MarkSaved() {
    savedState_ = CurrentState();
}

void CUndoList::FocusAfterChange() {
    if (focusWindow_ && focusWindow_->IsWindow())
        focusWindow_->SetFocus();
}

// --- The index of named and held nodes ----------------------------------------------

CUndoList::Entry CUndoList::MakeEntry(std::unique_ptr<CUndoItem> item, uint64_t state, uint64_t doc,
                                      bool redo) {
    Place& place = places_[item.get()];
    place.redo = redo;
    place.serial = ++nextSerial_;
    IndexNewNames(item.get());
    if (listener_)
        NoteTouched(place.names);
    return Entry{std::move(item), state, doc, place.serial};
}

void CUndoList::IndexNewNames(const CUndoItem* item) {
    // As the record enters, and again where values taken from the nodes
    // name more (a vertex left alone by the step, then moved by its own
    // history, ties to a pad).
    auto place = places_.find(item);
    if (place == places_.end())
        return;
    std::vector<const CTreeNode*>& names = place->second.names;
    item->ForEachNamedNode([&](const CTreeNode* node) {
        if (node && std::find(names.begin(), names.end(), node) == names.end()) {
            names.push_back(node);
            named_[node].push_back(item);
        }
    });
}

void CUndoList::NoteTouched(const std::vector<const CTreeNode*>& names) {
    // A record that names no node (an outline's vertices, a pointer field)
    // may change what any node holds: null stands for every node.
    if (names.empty())
        touched_.push_back(nullptr);
    touched_.insert(touched_.end(), names.begin(), names.end());
}

void CUndoList::Unindex(const CUndoItem* item) {
    auto place = places_.find(item);
    if (place == places_.end())
        return;
    for (const CTreeNode* node : place->second.names) {
        auto records = named_.find(node);
        if (records == named_.end())
            continue;
        // The newest records go first as a rule: looked for from the back.
        std::vector<const CUndoItem*>& list = records->second;
        auto it = std::find(list.rbegin(), list.rend(), item);
        if (it != list.rend())
            list.erase(std::next(it).base());
        if (list.empty())
            named_.erase(records);
    }
    if (listener_)
        NoteTouched(place->second.names);
    places_.erase(place);
}

void CUndoList::UnindexAll() {
    places_.clear();
    named_.clear();
}

size_t CUndoList::IndexOf(const Place& place) const {
    const std::vector<Entry>& entries = place.redo ? redo_ : undo_;
    auto it = std::lower_bound(entries.begin(), entries.end(), place.serial,
                               [](const Entry& e, uint64_t serial) { return e.serial < serial; });
    return static_cast<size_t>(it - entries.begin());
}

template <class Visit>
void CUndoList::ForEachRecordNaming(const std::vector<const CTreeNode*>& nodes, Visit visit) const {
    std::unordered_set<const CUndoItem*> seen;
    for (const CTreeNode* node : nodes) {
        auto records = named_.find(node);
        if (records == named_.end())
            continue;
        for (const CUndoItem* item : records->second)
            if (seen.insert(item).second)
                visit(item, places_.at(item));
    }
}

void CUndoList::ForEachItem(const std::function<void(CUndoItem&)>& visit) {
    for (std::vector<Entry>* entries : {&undo_, &redo_})
        for (Entry& e : *entries)
            visit(*e.item);
}

void CUndoList::ForEachItemNaming(const std::vector<const CTreeNode*>& nodes,
                                  const std::function<void(CUndoItem&)>& visit) {
    std::vector<CUndoItem*> items;
    ForEachRecordNaming(nodes, [&items](const CUndoItem* item, const Place&) {
        items.push_back(const_cast<CUndoItem*>(item));
    });
    for (CUndoItem* item : items)
        visit(*item);
}

namespace {
const CTreeNode* TopOf(const CTreeNode* node) {
    while (node->GetParent())
        node = node->GetParent();
    return node;
}
} // namespace

bool CUndoList::HoldsTop(const CTreeNode* top, const ForgetPlan& leaving) const {
    // A record holding a node names it.
    auto records = named_.find(top);
    if (records == named_.end())
        return false;
    for (const CUndoItem* item : records->second) {
        if (item->GetHeldNode() != top)
            continue;
        const Place& place = places_.at(item);
        if (!leaving.Takes(place.redo, IndexOf(place)))
            return true;
    }
    return false;
}

CUndoList::ForgetPlan
CUndoList::PlanDepartedStepsOn(const std::vector<const CTreeNode*>& nodes,
                               const std::function<bool(const CTreeNode*)>& isDocumentRoot,
                               bool changedValues, bool departed, const ForgetPlan& seed) const {
    // As PlanDepartedSteps, over the records naming nodes; once the plan
    // takes records that hold subtrees, the records naming a node in them
    // are looked at again, until nothing more goes.
    if (std::find(nodes.begin(), nodes.end(), nullptr) != nodes.end())
        return PlanDepartedSteps(isDocumentRoot, changedValues, departed, seed);
    ForgetPlan plan;
    auto reaches = [&](const CTreeNode* node) {
        const CTreeNode* top = TopOf(node);
        return isDocumentRoot(top) || HoldsTop(top, plan);
    };
    // Without values to compare, only the records naming a node out of
    // reach can go: a node within reach leaves its records to the others
    // they name, which are among nodes where their reach changed. Only a
    // node a record names is looked at (the others may be gone).
    std::vector<const CTreeNode*> look;
    if (changedValues)
        look = nodes;
    else
        for (const CTreeNode* node : nodes)
            if (named_.count(node) && !reaches(node))
                look.push_back(node);
    ForgetPlan next = Within(seed);
    for (;;) {
        ForEachRecordNaming(look, [&](const CUndoItem* item, const Place& place) {
            const size_t index = IndexOf(place);
            if (next.Takes(place.redo, index))
                return;
            bool out = false;
            item->ForEachNamedNode([&](const CTreeNode* node) {
                if (!out && node && !reaches(node))
                    out = true;
            });
            if (out ? departed : changedValues && !item->FindsValuesAsLeft())
                AddGroup(next, place.redo, index);
        });
        AddTouching(next);
        if (next == plan)
            return plan;
        std::vector<const CTreeNode*> released;
        for (bool inRedo : {false, true}) {
            const std::vector<Entry>& entries = inRedo ? redo_ : undo_;
            for (size_t i : inRedo ? next.redo : next.undo)
                if (i < entries.size() && !plan.Takes(inRedo, i))
                    if (const CTreeNode* held = entries[i].item->GetHeldNode())
                        released.push_back(held);
        }
        plan = next;
        look.clear();
        for (const CTreeNode* held : released)
            if (!reaches(held))
                ForEachInSubtree(held, [&look](const CTreeNode* node) {
                    look.push_back(node);
                    return true;
                });
    }
}

void CUndoList::ForEachRecordWithin(const std::vector<const CTreeNode*>& nodes,
                                    const std::function<bool(const CTreeNode*)>& isDocumentRoot,
                                    std::vector<CUndoItem*>& within) const {
    ForEachRecordNaming(nodes, [&](const CUndoItem* item, const Place&) {
        bool reached = true;
        item->ForEachNamedNode([&](const CTreeNode* node) {
            if (reached && node) {
                const CTreeNode* top = TopOf(node);
                reached = isDocumentRoot(top) || HoldsTop(top, ForgetPlan{});
            }
        });
        if (reached)
            within.push_back(const_cast<CUndoItem*>(item));
    });
}

void CUndoList::TakeCurrentValuesOn(const std::vector<const CTreeNode*>& nodes,
                                    const std::function<bool(const CTreeNode*)>& isDocumentRoot) {
    if (std::find(nodes.begin(), nodes.end(), nullptr) != nodes.end())
        return TakeCurrentValues(isDocumentRoot);
    std::vector<CUndoItem*> within;
    ForEachRecordWithin(nodes, isDocumentRoot, within);
    for (CUndoItem* item : within) {
        item->TakeCurrentValues();
        IndexNewNames(item);
    }
}

void CUndoList::TakeOthersValuesOn(const std::vector<const CTreeNode*>& nodes,
                                   const std::function<bool(const CTreeNode*)>& isDocumentRoot) {
    if (std::find(nodes.begin(), nodes.end(), nullptr) != nodes.end())
        return TakeOthersValues(isDocumentRoot);
    std::vector<CUndoItem*> within;
    ForEachRecordWithin(nodes, isDocumentRoot, within);
    for (CUndoItem* item : within) {
        item->TakeOthersValues();
        IndexNewNames(item);
    }
}

void CUndoList::ForgetGroupsNaming(const CTreeNode* node) {
    // The newest group naming node with every older one, as ForgetGroups.
    size_t undoEnd = 0, redoEnd = 0;
    ForEachRecordNaming({node}, [&](const CUndoItem*, const Place& place) {
        const std::vector<Entry>& entries = place.redo ? redo_ : undo_;
        size_t end = IndexOf(place) + 1;
        while (end < entries.size() && !entries[end].item->IsGroupHead())
            ++end;
        size_t& count = place.redo ? redoEnd : undoEnd;
        count = std::max(count, end);
    });
    ForgetPlan plan;
    for (size_t i = 0; i < undoEnd; ++i)
        plan.undo.insert(i);
    for (size_t i = 0; i < redoEnd; ++i)
        plan.redo.insert(i);
    Forget(plan);
}
