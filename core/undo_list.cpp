#include "core/undo_list.h"

#include "core/tree_node.h"
#include "platform/window.h"

#include <algorithm>

namespace {
const CUndoItem* ItemOf(const std::unique_ptr<CUndoItem>& item) {
    return item.get();
}
template <class Entry> const CUndoItem* ItemOf(const Entry& entry) {
    return entry.item.get();
}

// Reachability of the nodes a history's records name: a node is within reach
// when its top node is a document root or one of the subtrees the history's
// own records hold out of the documents.
class NameReach {
public:
    // The records before undoFrom and redoFrom are left out: they are about
    // to be forgotten.
    NameReach(const CUndoList& list, const std::function<bool(const CTreeNode*)>& isDocumentRoot,
              size_t undoFrom = 0, size_t redoFrom = 0)
        : isDocumentRoot_(isDocumentRoot) {
        for (size_t i = undoFrom; i < list.UndoCount(); ++i)
            AddHeld(*list.UndoItemAt(i));
        for (size_t i = redoFrom; i < list.RedoCount(); ++i)
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

CUndoList::~CUndoList() {
    listener_ = nullptr;
    releaseListener_ = nullptr;
    Clear();
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
    NotifyChange(Change::Push, false);
    item->SetGroupHead(startNewGroup_);
    startNewGroup_ = false;
    undo_.push_back(Entry{std::unique_ptr<CUndoItem>(item), ++nextState_});
    NotifyRelease(redo_.begin(), redo_.end());
    while (!redo_.empty())
        redo_.pop_back();
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
        std::unique_ptr<CUndoItem> inverse(r.item->Undo());
        if (keepRedo && inverse) {
            inverse->SetGroupHead(first);
            // Redoing the inverse leads back to the state the record led to.
            redo_.push_back(Entry{std::move(inverse), r.state});
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
        std::unique_ptr<CUndoItem> inverse(r.item->Undo());
        if (inverse) {
            inverse->SetGroupHead(first);
            undo_.push_back(Entry{std::move(inverse), r.state});
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
    Forget(ForgetPlan{ForgetCount(undo_, 0, names), ForgetCount(redo_, 0, names)});
}

void CUndoList::Forget(const ForgetPlan& plan) {
    if (plan.IsEmpty())
        return;
    const bool saved = IsAtSavedState();
    auto forget = [this](std::vector<Entry>& entries, size_t count) {
        count = std::min(count, entries.size());
        NotifyRelease(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(count));
        for (size_t i = 0; i < count; ++i)
            entries[i].item.reset();
        entries.erase(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(count));
    };
    forget(undo_, plan.undoCount);
    forget(redo_, plan.redoCount);
    if (undo_.empty())
        savedState_ = saved ? 0 : ~uint64_t{0};
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

CUndoList::ForgetPlan
CUndoList::PlanDepartedSteps(const std::function<bool(const CTreeNode*)>& isDocumentRoot,
                             bool changedValues, bool departed) const {
    // A record may name a node that an older record holds; once that one is
    // to be forgotten, so is the record: until nothing more goes. Values are
    // looked at only on nodes within reach.
    ForgetPlan plan;
    for (;;) {
        const NameReach reach(*this, isDocumentRoot, plan.undoCount, plan.redoCount);
        auto departs = [&reach, changedValues, departed](const CUndoItem& item) {
            if (reach.FirstDeparted(item))
                return departed;
            return changedValues && !item.FindsValuesAsLeft();
        };
        const ForgetPlan next{ForgetCount(undo_, plan.undoCount, departs),
                              ForgetCount(redo_, plan.redoCount, departs)};
        if (next.undoCount == plan.undoCount && next.redoCount == plan.redoCount)
            return plan;
        plan = next;
    }
}

void CUndoList::TakeOthersValues(const std::function<bool(const CTreeNode*)>& isDocumentRoot) {
    const NameReach reach(*this, isDocumentRoot);
    for (std::vector<Entry>* entries : {&undo_, &redo_})
        for (Entry& e : *entries)
            if (!reach.FirstDeparted(*e.item))
                e.item->TakeOthersValues();
}

void CUndoList::TakeCurrentValues(const std::function<bool(const CTreeNode*)>& isDocumentRoot) {
    const NameReach reach(*this, isDocumentRoot);
    for (std::vector<Entry>* entries : {&undo_, &redo_})
        for (Entry& e : *entries)
            if (!reach.FirstDeparted(*e.item))
                e.item->TakeCurrentValues();
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
    savedState_ = 0;
}

void CUndoList::Abandon() {
    const bool saved = IsAtSavedState();
    if (!undo_.empty() || !redo_.empty()) {
        NotifyChange(Change::Clear, false);
        DeleteAll();
        NotifyChange(Change::Clear, true);
    }
    savedState_ = saved ? 0 : ~uint64_t{0};
}

void CUndoList::DeleteAll() {
    NotifyRelease(undo_.begin(), undo_.end());
    NotifyRelease(redo_.begin(), redo_.end());
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
