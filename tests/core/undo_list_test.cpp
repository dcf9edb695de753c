// The undo history: grouping, the order records are undone and redone in,
// and where the document counts as saved.
#include "core/undo_list.h"

#include "core/tree_node.h"

#include "platform/window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A model of one string; each record appends or removes one letter, and its
// inverse does the opposite, so the string shows what undo and redo did.
struct Doc {
    std::string text;
    std::vector<std::string> log;
    int alive = 0;
};

class Append : public CUndoItemWithoutValues {
public:
    // Records that `c` was appended (so undoing removes it).
    Append(Doc* d, char c, bool removal = false) : d_(d), c_(c), removal_(removal) { ++d_->alive; }
    ~Append() override { --d_->alive; }
    CUndoItem* Undo() override {
        if (removal_) {
            d_->text.push_back(c_);
            d_->log.push_back(std::string("+") + c_);
        } else {
            d_->text.pop_back();
            d_->log.push_back(std::string("-") + c_);
        }
        return new Append(d_, c_, !removal_);
    }

private:
    Doc* d_;
    char c_;
    bool removal_;
};

class UndoListTest : public ::testing::Test {
protected:
    // Applies a change and records it, as model code does.
    void Do(char c, bool newGroup) {
        if (newGroup)
            list.SetStartNewGroup(true);
        doc.text.push_back(c);
        list.AddUndo(new Append(&doc, c));
    }
    Doc doc;
    CUndoList list;
};

TEST_F(UndoListTest, EmptySequencesDoNothingAndKeepTheFocus) {
    PlatformWindow w, other;
    ASSERT_TRUE(w.Create(nullptr, RECT{0, 0, 10, 10}, L"", 0));
    ASSERT_TRUE(other.Create(nullptr, RECT{0, 0, 10, 10}, L"", 0));
    other.SetFocus();
    list.SetFocusWindow(&w);
    list.Undo();
    list.Redo();
    EXPECT_EQ(PlatformWindow::GetFocus(), &other);
    Do('a', true);
    list.Undo();
    EXPECT_EQ(PlatformWindow::GetFocus(), &w);
    other.SetFocus();
    list.Redo();
    EXPECT_EQ(PlatformWindow::GetFocus(), &w);
    PlatformWindow::SetFocusTo(nullptr);
}

TEST_F(UndoListTest, GroupIsUndoneBackwardsAndRedoneInTheSameShape) {
    Do('A', true);
    Do('B', false);
    Do('C', false);
    Do('D', true);
    list.Undo();
    EXPECT_EQ(doc.text, "ABC");
    list.Undo();
    EXPECT_EQ(doc.text, "");
    EXPECT_EQ(doc.log, (std::vector<std::string>{"-D", "-C", "-B", "-A"}));
    // Redo sequence: D' then C', B', A' with C' the head of its group.
    ASSERT_EQ(list.RedoCount(), 4u);
    EXPECT_TRUE(list.RedoItemAt(0)->IsGroupHead());
    EXPECT_TRUE(list.RedoItemAt(1)->IsGroupHead());
    EXPECT_FALSE(list.RedoItemAt(2)->IsGroupHead());
    EXPECT_FALSE(list.RedoItemAt(3)->IsGroupHead());
    doc.log.clear();
    list.Redo();
    EXPECT_EQ(doc.text, "ABC");
    EXPECT_EQ(doc.log, (std::vector<std::string>{"+A", "+B", "+C"}));
    ASSERT_EQ(list.UndoCount(), 3u);
    EXPECT_TRUE(list.UndoItemAt(0)->IsGroupHead());
    EXPECT_FALSE(list.UndoItemAt(1)->IsGroupHead());
    EXPECT_FALSE(list.UndoItemAt(2)->IsGroupHead());
    // The group undoes again as one action.
    list.Undo();
    EXPECT_EQ(doc.text, "");
    list.Redo();
    list.Redo();
    EXPECT_EQ(doc.text, "ABCD");
    EXPECT_FALSE(list.CanRedo());
}

TEST_F(UndoListTest, RecordsWithoutAGroupFlagJoinThePreviousGroup) {
    Do('a', false); // the very first record without the flag
    Do('b', false);
    Do('c', true);
    Do('d', false);
    list.Undo();
    EXPECT_EQ(doc.text, "ab");
    list.Undo();
    EXPECT_EQ(doc.text, "");
    EXPECT_FALSE(list.CanUndo());
}

TEST_F(UndoListTest, AddAfterUndoDiscardsRedo) {
    Do('a', true);
    Do('b', true);
    list.Undo();
    ASSERT_TRUE(list.CanRedo());
    Do('x', true);
    EXPECT_FALSE(list.CanRedo());
    list.Redo();
    EXPECT_EQ(doc.text, "ax");
    EXPECT_EQ(doc.alive, 2);
}

TEST_F(UndoListTest, UndoWithoutRedoDropsTheInversesAndKeepsRedo) {
    Do('a', true);
    Do('b', true);
    list.Undo();   // b to redo
    Do('c', true); // discards it
    Do('d', false);
    list.Undo(false);
    EXPECT_EQ(doc.text, "a");
    EXPECT_FALSE(list.CanRedo());
    EXPECT_EQ(doc.alive, 1);
}

TEST_F(UndoListTest, RedoStopsAtAGroupHead) {
    Do('a', true);
    Do('b', false);
    Do('c', true);
    list.Undo();
    list.Undo();
    list.Redo();
    EXPECT_EQ(doc.text, "ab");
    list.Redo();
    EXPECT_EQ(doc.text, "abc");
}

TEST_F(UndoListTest, SavedMarkerInsideAGroupStopsUndoThere) {
    Do('a', true);
    Do('b', false);
    list.MarkSaved();
    Do('c', false);
    Do('d', false);
    EXPECT_FALSE(list.IsAtSavedState());
    list.Undo();
    EXPECT_EQ(doc.text, "ab");
    EXPECT_TRUE(list.IsAtSavedState());
    // The partial group is one redo unit, headed by its first undone record.
    ASSERT_EQ(list.RedoCount(), 2u);
    EXPECT_TRUE(list.RedoItemAt(0)->IsGroupHead());
    list.Undo();
    EXPECT_EQ(doc.text, "");
    EXPECT_FALSE(list.IsAtSavedState());
    list.Redo();
    EXPECT_EQ(doc.text, "ab");
    EXPECT_TRUE(list.IsAtSavedState());
    list.Redo();
    EXPECT_EQ(doc.text, "abcd");
}

TEST_F(UndoListTest, UndoThenRedoComesBackToTheSavedState) {
    Do('a', true);
    Do('b', true);
    list.MarkSaved();
    list.Undo();
    EXPECT_FALSE(list.IsAtSavedState());
    list.Redo();
    EXPECT_TRUE(list.IsAtSavedState());
}

TEST_F(UndoListTest, UndoThenANewChangeIsModified) {
    Do('a', true);
    Do('b', true);
    list.MarkSaved();
    list.Undo();
    Do('x', true); // takes the list position the saved record had
    EXPECT_FALSE(list.IsAtSavedState());
    list.Undo();
    EXPECT_FALSE(list.IsAtSavedState());
}

TEST_F(UndoListTest, EmptyHistoryIsSavedOnlyWhereTheSaveLeftIt) {
    // A new history counts as saved; the first change makes it modified.
    EXPECT_TRUE(list.IsAtSavedState());
    Do('a', true);
    EXPECT_FALSE(list.IsAtSavedState());
    list.MarkSaved();
    // Undoing the saved change empties the history: the document differs
    // from the saved file, so it is modified.
    list.Undo();
    EXPECT_FALSE(list.CanUndo());
    EXPECT_FALSE(list.IsAtSavedState());
    list.Redo();
    EXPECT_TRUE(list.IsAtSavedState());
    // Saved with an empty history: saved until the next change.
    list.Undo();
    list.MarkSaved();
    EXPECT_TRUE(list.IsAtSavedState());
    Do('b', true);
    EXPECT_FALSE(list.IsAtSavedState());
    list.Undo();
    EXPECT_TRUE(list.IsAtSavedState());
}

TEST_F(UndoListTest, UndoStopsAtAnEmptySequenceMarkedSaved) {
    list.MarkSaved();
    Do('a', false);
    Do('b', false);
    list.Undo();
    EXPECT_EQ(doc.text, "");
    EXPECT_TRUE(list.IsAtSavedState());
}

TEST_F(UndoListTest, ClearDeletesEverythingAndCountsAsSaved) {
    Do('a', true);
    Do('b', true);
    list.MarkSaved();
    list.Undo();
    list.Clear();
    EXPECT_EQ(doc.alive, 0);
    EXPECT_FALSE(list.CanUndo());
    EXPECT_FALSE(list.CanRedo());
    EXPECT_TRUE(list.IsAtSavedState());
    Do('c', true);
    EXPECT_FALSE(list.IsAtSavedState());
}

TEST(UndoListLifetime, DestructorDeletesBothSequences) {
    Doc doc;
    {
        CUndoList list;
        list.SetStartNewGroup(true);
        doc.text = "ab";
        list.AddUndo(new Append(&doc, 'a'));
        list.AddUndo(new Append(&doc, 'b'));
        list.SetStartNewGroup(true);
        list.AddUndo(new Append(&doc, 'c'));
        doc.text += "c";
        list.Undo();
        EXPECT_EQ(doc.alive, 3);
        EXPECT_FALSE(list.GetStartNewGroup());
    }
    EXPECT_EQ(doc.alive, 0);
}

// A record that names nodes of a document and may hold one out of it, as a
// deletion does; undoing it yields a record of the same kind.
class Naming : public CUndoItemWithoutValues {
public:
    Naming(std::vector<const CTreeNode*> names, const CTreeNode* held = nullptr)
        : names_(std::move(names)), held_(held) {}
    CUndoItem* Undo() override { return new Naming(names_, held_); }
    void ForEachNamedNode(const std::function<void(const CTreeNode*)>& visit) const override {
        for (const CTreeNode* node : names_)
            visit(node);
    }
    const CTreeNode* GetHeldNode() const override { return held_; }

private:
    std::vector<const CTreeNode*> names_;
    const CTreeNode* held_;
};

// What another history took out of the document makes this one forget the
// steps that name it, with every farther step (older to undo, later to
// redo) touching what they touch, while what this history holds itself
// stays within reach.
TEST(UndoListDeparted, StepsNamingWhatLeftEveryDocumentAreForgotten) {
    CTreeNode root(1);
    CTreeNode* a = root.AddChild(new CTreeNode(2));
    CTreeNode* b = a->AddChild(new CTreeNode(3));
    CTreeNode* c = root.AddChild(new CTreeNode(4));
    CTreeNode* d = root.AddChild(new CTreeNode(5));
    auto isRoot = [&root](const CTreeNode* node) { return node == &root; };
    // This history's own deletion of d, and a later step inside it.
    d->RemoveFromParent();
    std::unique_ptr<CTreeNode> held(d);
    CUndoList list;
    auto step = [&list](std::vector<const CTreeNode*> names, const CTreeNode* holds = nullptr) {
        list.SetStartNewGroup(true);
        list.AddUndo(new Naming(std::move(names), holds));
    };
    step({a});
    step({b, c});
    step({d}, d);
    step({a});
    step({c});
    step({b});
    list.Undo();
    list.Undo(); // redo: {c}, {b}
    EXPECT_EQ(list.FindDepartedName(isRoot), nullptr);
    list.ForgetDepartedSteps(isRoot);
    EXPECT_EQ(list.UndoCount(), 4u);

    // Another history takes c out: the second undo step and the nearer redo
    // step name it.
    c->RemoveFromParent();
    std::unique_ptr<CTreeNode> gone(c);
    EXPECT_EQ(list.FindDepartedName(isRoot), c);
    list.MarkSaved();
    list.ForgetDepartedSteps(isRoot);
    EXPECT_EQ(list.UndoCount(), 2u); // {d} held, {a}; the older {a} is b's parent
    EXPECT_EQ(list.RedoCount(), 1u); // {b} touches nothing {c} touches
    EXPECT_EQ(list.FindDepartedName(isRoot), nullptr);
    EXPECT_TRUE(list.IsAtSavedState());
    // A node inside another history's held subtree is out of reach too.
    a->RemoveFromParent();
    std::unique_ptr<CTreeNode> subtree(a);
    EXPECT_EQ(list.FindDepartedName(isRoot), a);
    list.ForgetDepartedSteps(isRoot);
    EXPECT_EQ(list.UndoCount(), 1u); // {d}
    EXPECT_EQ(list.RedoCount(), 0u); // {b}, below a
    EXPECT_TRUE(list.IsAtSavedState());
}

// A step forgotten from the middle stays done: the positions below it no
// longer hold what they held, so a save there is never met again, while
// the document as it is keeps counting as saved or not.
TEST(UndoListDeparted, ForgettingFromTheMiddleLeavesTheSavedPositionOnlyWhereItStillIs) {
    struct Case {
        const char* name;
        size_t savedAfter; // steps done when saved
        size_t departing;  // the step whose node another history takes
        // Saved now, then after each Undo, then after each Redo.
        std::vector<bool> saved;
    };
    const Case cases[] = {
        {"saved below the forgotten step", 1, 1, {false, false, false, false, false}},
        {"saved with nothing done, the oldest step forgotten",
         0,
         0,
         {false, false, false, false, false}},
        {"saved above the forgotten step", 3, 1, {true, false, false, false, true}},
        {"saved where the newest step goes", 3, 2, {true, false, false, false, true}},
        {"saved right below the newest step, which goes",
         2,
         2,
         {false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTreeNode root(1);
        std::vector<CTreeNode*> nodes;
        for (int i = 0; i < 3; ++i)
            nodes.push_back(root.AddChild(new CTreeNode(2 + i)));
        auto isRoot = [&root](const CTreeNode* node) { return node == &root; };
        CUndoList list;
        for (size_t i = 0; i < nodes.size(); ++i) {
            if (c.savedAfter == i)
                list.MarkSaved();
            list.SetStartNewGroup(true);
            list.AddUndo(new Naming({nodes[i]}));
        }
        if (c.savedAfter == nodes.size())
            list.MarkSaved();
        nodes[c.departing]->RemoveFromParent();
        std::unique_ptr<CTreeNode> gone(nodes[c.departing]);
        list.ForgetDepartedSteps(isRoot);
        ASSERT_EQ(list.UndoCount(), 2u);
        std::vector<bool> saved{list.IsAtSavedState()};
        for (int i = 0; i < 2; ++i) {
            list.Undo();
            saved.push_back(list.IsAtSavedState());
        }
        for (int i = 0; i < 2; ++i) {
            list.Redo();
            saved.push_back(list.IsAtSavedState());
        }
        EXPECT_EQ(saved, c.saved);
    }
}

// Whatever frees records tells first what they hold: the redo steps a
// push drops, the inverses an Undo throws away, a forgetting and a Clear.
TEST(UndoListRelease, EveryWayOfFreeingTellsWhatTheRecordsHold) {
    const CTreeNode x(1), y(2), z(3);
    struct Case {
        const char* name;
        std::function<void(CUndoList&)> free;
        std::vector<const CTreeNode*> told;
    };
    const Case cases[] = {
        {"a push drops the redo steps",
         [&](CUndoList& list) {
             list.Undo();
             list.Undo();
             list.SetStartNewGroup(true);
             list.AddUndo(new Naming({}, &z));
         },
         {&y, &x}},
        {"an Undo that keeps no redo", [](CUndoList& list) { list.Undo(false); }, {&y}},
        {"a forgetting of the oldest step",
         [&](CUndoList& list) {
             list.ForgetGroups([&](const CUndoItem& item) { return item.GetHeldNode() == &x; });
         },
         {&x}},
        {"a Clear", [](CUndoList& list) { list.Clear(); }, {&x, &y}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CUndoList list;
        for (const CTreeNode* held : {&x, &y}) {
            list.SetStartNewGroup(true);
            list.AddUndo(new Naming({}, held));
        }
        std::vector<const CTreeNode*> told;
        list.SetReleaseListener([&](const std::vector<const CTreeNode*>& held) {
            told.insert(told.end(), held.begin(), held.end());
        });
        c.free(list);
        EXPECT_EQ(told, c.told);
        list.SetReleaseListener(nullptr);
    }
}

} // namespace
