// An account of the histories kept apart from their records: the documents
// as the writer saves them (every node's tag, attributes and text under its
// parent) are read at each look, and what changed since the last look is
// given to the history whose records moved, by the ids of the states the
// records lead to. A step's change is what the documents went through while
// its records were pushed; an Undo must change the documents by exactly the
// inverse of the steps it takes back, a Redo by exactly those changes. Where
// a history forgets a step, its change goes with it. What changes with no
// history moving, or while two histories move at once, cannot be given to
// a step: the steps whose changes name the same values are no longer
// checked.
//
// Nodes are known by their creation sequence, which no other node ever
// gets: a node a record holds out of the document and puts back is the same
// node, wherever its siblings went meanwhile. The order of siblings is not
// compared, as another history may insert among them.
#pragma once

#include "core/model_services.h"
#include "core/tree_node.h"
#include "core/undo_list.h"
#include "core/vorpel_view.h"
#include "platform/text.h"
#include "shell/left_pane.h"
#include "shell/left_tab_view.h"
#include "shell/main_frame.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

class HistoryOracle {
public:
    // Looks also where a history starts a group, an Undo or a Redo, and
    // where an Undo or Redo ends: what changed before a step began is not
    // the step's, nor what changed after an Undo.
    HistoryOracle() {
        CUndoList::SetTestObserver(
            [this](const CUndoList& list, CUndoList::Change change, bool after) {
                using Change = CUndoList::Change;
                if (change == Change::Clear || looking_ ||
                    (change == Change::Push && (after || !list.GetStartNewGroup())))
                    return;
                if (change == Change::Undo)
                    undoing_.insert(&list);
                const bool push = change == Change::Push;
                if (::testing::AssertionResult result =
                        Look(push ? When::StartingStep : When::InAction, push ? &list : nullptr);
                    !result)
                    ADD_FAILURE() << result.message();
            });
    }
    ~HistoryOracle() { CUndoList::SetTestObserver(nullptr); }
    HistoryOracle(const HistoryOracle&) = delete;
    HistoryOracle& operator=(const HistoryOracle&) = delete;
    // Where a failure is reported from.
    void SetStep(int step, unsigned seed) {
        step_ = step;
        seed_ = seed;
    }
    // Reads the documents and the histories and gives what changed since
    // the last look to the history that moved; a failure when an Undo or
    // Redo changed other than its step's change.
    // What changes with no history moving is left to the next step to
    // begin (some record only after their change) or, when none begins
    // before the walk looks between its steps, to no step.
    // StartingStep: a history is about to push the first record of a step.
    enum class When { BetweenSteps, InAction, StartingStep };
    // starting: the history about to push, at StartingStep.
    ::testing::AssertionResult Look(When when = When::BetweenSteps,
                                    const CUndoList* starting = nullptr) {
        looking_ = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{looking_};
        Snapshot now = Read();
        std::map<const CUndoList*, History> histories = ReadHistories();
        if (traceLevel_ >= 3)
            for (const auto& [list, history] : histories)
                std::fprintf(stderr, "oracle:   at look %d %s holds %zu/%zu, last %llu\n", looks_,
                             history.name.c_str(), history.undo.size(), history.redo.size(),
                             history.undo.empty() ? 0ULL : (unsigned long long)history.undo.back());
        if (looks_++ == 0) {
            last_ = std::move(now);
            histories_ = std::move(histories);
            return ::testing::AssertionSuccess();
        }
        Change change = Diff(last_, now);
        FollowNetRenames(change, now);
        if (traceLevel_ >= 3)
            for (const auto& [key, values] : change)
                std::fprintf(stderr, "oracle:   read at look %d: %s %s -> %s\n", looks_,
                             Describe(key).c_str(), Show(values.first).c_str(),
                             Show(values.second).c_str());
        std::string failure;
        // Each history's moves since the last look.
        struct Moves {
            const CUndoList* list = nullptr;
            std::vector<uint64_t> pushed, undone, redone, dropped;
        };
        std::vector<Moves> moved;
        // A history that went, or lost every record, may have changed the
        // documents before.
        // An Undo that empties its history threw its steps away (work under
        // way dropped): what went is the near end, as below.
        bool lost = false;
        for (const auto& [list, history] : histories_) {
            auto now = histories.find(list);
            if (now == histories.end() || now->second.owner != history.owner ||
                (now->second.undo.empty() && now->second.redo.empty() && !undoing_.count(list)))
                lost = lost || !history.undo.empty() || !history.redo.empty();
        }
        for (auto& [list, history] : histories) {
            auto old = histories_.find(list);
            if (old == histories_.end() || old->second.owner != history.owner) {
                // A new history: what it holds was pushed since.
                if (!history.undo.empty())
                    moved.push_back(Moves{list, history.undo, {}, {}, {}});
                continue;
            }
            history.segments = std::move(old->second.segments);
            const History& before = old->second;
            const std::set<uint64_t> wasUndo(before.undo.begin(), before.undo.end());
            const std::set<uint64_t> wasRedo(before.redo.begin(), before.redo.end());
            const std::set<uint64_t> isUndo(history.undo.begin(), history.undo.end());
            const std::set<uint64_t> isRedo(history.redo.begin(), history.redo.end());
            Moves m{list, {}, {}, {}, {}};
            for (uint64_t s : history.undo)
                if (!wasUndo.count(s) && !wasRedo.count(s))
                    m.pushed.push_back(s);
                else if (wasRedo.count(s))
                    m.redone.push_back(s);
            for (uint64_t s : before.undo)
                if (isRedo.count(s))
                    m.undone.push_back(s);
            // Records gone from the undo sequence: what goes from the near
            // end in an Undo was undone and thrown away (work under way
            // dropped); the rest was forgotten, which changes no document.
            auto gone = [&](uint64_t s) { return !isUndo.count(s) && !isRedo.count(s); };
            size_t near = before.undo.size();
            if (undoing_.count(list))
                while (near > 0 && gone(before.undo[near - 1]))
                    --near;
            for (size_t i = near; i < before.undo.size(); ++i)
                m.dropped.push_back(before.undo[i]);
            if (!m.pushed.empty() || !m.undone.empty() || !m.redone.empty() || !m.dropped.empty())
                moved.push_back(std::move(m));
        }
        auto kinds = [](const Moves& m) {
            return int(!m.pushed.empty()) + int(!m.undone.empty()) + int(!m.redone.empty()) +
                   int(!m.dropped.empty());
        };
        if (moved.empty() && !change.empty()) {
            // A change with no history moving: what the last history's
            // last step changed follows it there (an object put down, a
            // drag going on); what it did not is the next step's, or no
            // step's. Right before a step's first record all of it is the
            // next step's: a history may change the documents first and
            // record after (a tree's Cut).
            auto last = histories.find(g_MainFrame.m_tabWindow.GetHistoryGate().LastChanged());
            if (when != When::StartingStep && last != histories.end() && !last->second.undo.empty())
                for (const std::shared_ptr<Segment>& segment : last->second.segments)
                    if (segment->known && std::count(segment->states.begin(), segment->states.end(),
                                                     last->second.undo.back()))
                        for (auto it = change.begin(); it != change.end();) {
                            auto in = segment->change.find(it->first);
                            if (in == segment->change.end()) {
                                ++it;
                                continue;
                            }
                            in->second.second = it->second.second;
                            if (in->second.first == in->second.second)
                                segment->change.erase(in);
                            it = change.erase(it);
                        }
            // What changes there in values the history's own last step
            // changed may as well be that step's work under way, ended as
            // the next step began (a polygon finished by a panel row's new
            // value, with no record of its own): the two steps are one.
            if (auto editor = histories.find(starting);
                when == When::StartingStep && editor != histories.end() &&
                !editor->second.undo.empty() && !editor->second.segments.empty()) {
                Segment& segment = *editor->second.segments.back();
                if (std::count(segment.states.begin(), segment.states.end(),
                               editor->second.undo.back()) &&
                    std::any_of(change.begin(), change.end(), [&segment](const auto& entry) {
                        return segment.change.count(entry.first) != 0;
                    })) {
                    if (traceLevel_ >= 2 && !segment.openEnd)
                        std::fprintf(stderr, "oracle:     %s's last step is one with its next\n",
                                     editor->second.name.c_str());
                    segment.openEnd = true;
                }
            }
            pending_ = Compose(std::move(pending_), std::exchange(change, {}));
        }
        // Right before an editor records, what changed in its board or
        // document since another history moved may be either's: that
        // history's step, or the editor's own as it dropped its work under
        // way when the step settled.
        bool shared = false;
        if (auto editor = histories.find(starting);
            editor != histories.end() && editor->second.scope &&
            std::none_of(moved.begin(), moved.end(),
                         [starting](const Moves& m) { return m.list == starting; }))
            shared = std::any_of(change.begin(), change.end(), [&](const auto& entry) {
                return Within(entry.first.first, editor->second.scope, now);
            });
        // Work under way thrown away (its records undone and dropped) is
        // not checked: the tool ends what it had under way besides.
        const Moves* single = moved.size() == 1 && kinds(moved[0]) == 1 &&
                                      moved[0].dropped.empty() && !lost && !shared
                                  ? &moved[0]
                                  : nullptr;
        // A history changes its own document only: what changed in the
        // others meanwhile is no step's.
        // An editor changes what its board or its document holds: what
        // changed elsewhere before its push is the next step's (another
        // history's change made an editor end its work under way).
        const uint64_t scope =
            single && !single->pushed.empty() ? histories[single->list].scope : 0;
        for (auto it = change.begin(); scope && it != change.end();) {
            if (!Within(it->first.first, scope, now)) {
                if (traceLevel_ >= 2)
                    std::fprintf(stderr, "oracle:     outside the editor, waits: %s %s -> %s\n",
                                 Describe(it->first).c_str(), Show(it->second.first).c_str(),
                                 Show(it->second.second).c_str());
                pending_ = Compose(std::move(pending_), Change{*it});
                it = change.erase(it);
            } else {
                ++it;
            }
        }
        // What changed meanwhile in a document no moving history edits is
        // the next step's there (a tree may change its document before it
        // records, while another history moves), or no step's.
        Change own, others;
        const int kind = single ? histories[single->list].kind : -1;
        std::set<int> movedKinds;
        for (const Moves& m : moved)
            movedKinds.insert(histories[m.list].kind);
        for (auto& entry : change) {
            const int in = KindOf(entry.first.first, now);
            if (single && in == kind)
                own.insert(entry);
            else if (!movedKinds.count(in))
                pending_ = Compose(std::move(pending_), Change{entry});
            else
                others.insert(entry);
        }
        if (trace_)
            std::fprintf(stderr, "oracle: look %d%s: %zu changed, %zu histories moved%s\n", looks_,
                         when != When::BetweenSteps ? " in an action" : "", change.size(),
                         moved.size(), single ? "" : ", not given to a step");
        if (traceLevel_ >= 2)
            for (const auto& [key, values] : change)
                std::fprintf(stderr, "oracle:     %s %s -> %s\n", Describe(key).c_str(),
                             Show(values.first).c_str(), Show(values.second).c_str());
        if (trace_)
            for (const Moves& m : moved)
                std::fprintf(stderr,
                             "oracle:   %s: %zu pushed, %zu undone, %zu redone, %zu dropped\n",
                             histories[m.list].name.c_str(), m.pushed.size(), m.undone.size(),
                             m.redone.size(), m.dropped.size());
        // An Undo's or Redo's step: when it was last done, undone or redone.
        int stepLook = -1;
        if (single) {
            const Moves& m = *single;
            History& history = histories[m.list];
            if (!m.pushed.empty()) {
                Change pending;
                // What lies outside the editor's board or document waits
                // for the history whose step it is.
                for (auto it = pending_.begin(); it != pending_.end();)
                    if (KindOf(it->first.first, now) == kind &&
                        (!scope || Within(it->first.first, scope, now))) {
                        pending.insert(*it);
                        it = pending_.erase(it);
                    } else {
                        ++it;
                    }
                AddSegment(history, Segment{m.pushed, Compose(std::move(pending), own), true,
                                            when == When::StartingStep && starting == m.list});
            } else {
                const bool undo = m.redone.empty();
                const std::vector<uint64_t>& states = undo ? m.undone : m.redone;
                stepLook = 0;
                for (const std::shared_ptr<Segment>& segment : history.segments)
                    if (std::any_of(segment->states.begin(), segment->states.end(),
                                    [&states](uint64_t id) {
                                        return std::count(states.begin(), states.end(), id) != 0;
                                    })) {
                        stepLook = std::max(stepLook, segment->look);
                        segment->look = looks_;
                    }
                if (std::optional<Change> expected =
                        Expected(history, undo ? m.undone : m.redone)) {
                    if (undo)
                        *expected = Inverse(*expected);
                    // A value of a node out of the documents before and
                    // after (another history took it out) is not looked at.
                    std::erase_if(*expected, [&](const auto& entry) {
                        return !last_.count(entry.first.first) && !now.count(entry.first.first);
                    });
                    // An object a tool had under way before the step
                    // recorded it (a wire's loose end, a part following the
                    // pointer) comes and goes with the step: the history's
                    // own objects may come or go whole.
                    std::set<uint64_t> made;
                    for (const std::shared_ptr<Segment>& segment : history.segments)
                        for (const auto& [key, values] : segment->change)
                            if (key.second == kParent && !values.first)
                                made.insert(key.first);
                    Change got = own;
                    for (const auto& [key, values] : own)
                        if (key.second == kParent && (!values.first || !values.second) &&
                            made.count(key.first)) {
                            std::erase_if(got, [id = key.first](const auto& entry) {
                                return entry.first.first == id;
                            });
                            std::erase_if(*expected, [id = key.first](const auto& entry) {
                                return entry.first.first == id;
                            });
                        }
                    // A node that comes back, or goes, as its step had it
                    // go or come, comes with the values it has out of the
                    // documents: a view closing with it may have dropped
                    // its work under way there.
                    for (const auto& [key, values] : Change(*expected))
                        if (key.second == kParent && (!values.first || !values.second)) {
                            auto it = got.find(key);
                            if (it == got.end() || it->second != values)
                                continue;
                            auto other = [id = key.first](const auto& entry) {
                                return entry.first.first == id && entry.first.second != kParent;
                            };
                            std::erase_if(got, other);
                            std::erase_if(*expected, other);
                        }
                    // A tree's step takes a node away, or brings it back,
                    // with all it holds then, whichever history added it
                    // there: an editor showing it lets go of its steps.
                    if (!history.scope)
                        for (const auto& [key, values] : Change(*expected))
                            if (key.second == kParent && (!values.first || !values.second)) {
                                const Snapshot& where = values.second ? now : last_;
                                std::erase_if(got, [&](const auto& entry) {
                                    return !expected->count(entry.first) &&
                                           Holds(where, key.first, entry.first.first);
                                });
                            }
                    failure = Compare(*expected, got, history.name, undo);
                    if (trace_)
                        std::fprintf(stderr, "oracle: %s's %s checked, %zu values\n",
                                     history.name.c_str(), undo ? "Undo" : "Redo",
                                     expected->size());
                }
            }
        } else {
            for (const Moves& m : moved)
                if (!m.pushed.empty())
                    AddSegment(
                        histories[m.list],
                        Segment{
                            m.pushed, {}, false, when == When::StartingStep && starting == m.list});
        }
        // No Undo or Redo leaves a plane or an area naming a net its board
        // no longer holds where it named one the board held, by a name
        // given since the step was last done, undone or redone: the net
        // goes, or takes another name, only with what names it since. (A
        // step may name a net the board lacks, and a net a step renames or
        // makes may take up a name a plane held before.)
        std::map<uint64_t, Naming> naming = NamingNets(now);
        for (auto& [id, entry] : naming)
            if (auto it = naming_.find(id);
                it != naming_.end() && it->second.name == entry.name && it->second.net == entry.net)
                entry.since = it->second.since;
        if (stepLook >= 0 && failure.empty())
            for (const auto& [id, was] : naming_)
                if (auto it = naming.find(id); was.net && was.since > stepLook &&
                                               it != naming.end() && it->second.name == was.name &&
                                               !it->second.net) {
                    failure = "an Undo or Redo left " + Describe(Key{id, L"Net"}) + " \"" +
                              WideToUtf8(was.name) + "\" naming a net its board no longer holds";
                    break;
                }
        naming_ = std::move(naming);
        // No Undo or Redo changes the layer an object lies on (which stackup
        // layer its layer id finds, that layer's type, a plane's net) where
        // the object came to lie on it since the step was last done, undone
        // or redone, unless it moves the object itself: another history's
        // work stays on a layer of the kind it was put on, not on another
        // layer, one never written or another net's plane.
        // A change undone at once (a dialog's edit dropped by its Cancel),
        // or an object taken away and put back as it lay, leaves it lying
        // as before, since when it did.
        std::map<uint64_t, Lying> lying = LyingOn(now);
        for (auto& [id, entry] : lying) {
            auto it = lying_.find(id);
            auto before = lyingBefore_.find(id);
            if (it != lying_.end() && it->second.Same(entry)) {
                entry.since = it->second.since;
                continue;
            }
            if (before != lyingBefore_.end() && before->second.Same(entry))
                entry.since = before->second.since;
            if (it != lying_.end())
                lyingBefore_[id] = it->second;
        }
        for (const auto& [id, was] : lying_)
            if (!lying.count(id))
                lyingBefore_[id] = was;
        if (stepLook >= 0 && failure.empty())
            for (const auto& [id, was] : lying_)
                if (auto it = lying.find(id); was.since > stepLook && it != lying.end() &&
                                              it->second.code == was.code &&
                                              !it->second.Same(was)) {
                    failure = "an Undo or Redo changed the layer under " +
                              Describe(Key{id, L"Layer"}) + " \"" + WideToUtf8(was.code) +
                              "\" from " + Show(was) + " to " + Show(it->second) +
                              ", where it lay since after the step";
                    break;
                }
        lying_ = std::move(lying);
        // What was not given to a step: the steps naming it are no longer
        // checked.
        if (when == When::BetweenSteps)
            others = Compose(std::move(others), std::exchange(pending_, {}));
        if (!others.empty())
            for (auto& [list, history] : histories)
                for (const std::shared_ptr<Segment>& segment : history.segments)
                    if (segment->known)
                        for (const auto& entry : segment->change)
                            if (others.count(entry.first)) {
                                segment->known = false;
                                break;
                            }
        // Steps forgotten go with their changes.
        for (auto& [list, history] : histories) {
            std::set<uint64_t> kept(history.undo.begin(), history.undo.end());
            kept.insert(history.redo.begin(), history.redo.end());
            std::erase_if(history.segments, [&kept](const std::shared_ptr<Segment>& s) {
                return std::none_of(s->states.begin(), s->states.end(),
                                    [&kept](uint64_t id) { return kept.count(id) != 0; });
            });
        }
        histories_ = std::move(histories);
        last_ = std::move(now);
        undoing_.clear();
        if (!failure.empty()) {
            ++failures_;
            return ::testing::AssertionFailure()
                   << "step " << step_ << " of seed " << seed_ << ": " << failure;
        }
        return ::testing::AssertionSuccess();
    }
    // How many Undos and Redos were checked against their steps' changes.
    int Checked() const { return checked_; }

private:
    using Value = std::optional<std::wstring>;
    // A node by its sequence and a field: an attribute by name, or one of
    // the names below, which no attribute has.
    using Key = std::pair<uint64_t, std::wstring>;
    using Change = std::map<Key, std::pair<Value, Value>>;
    static constexpr const wchar_t* kText = L"(text)";
    static constexpr const wchar_t* kTag = L"(tag)";
    static constexpr const wchar_t* kParent = L"(parent)";

    // A node as the writer saves it: its tag, text and attributes in one
    // string, and its parent.
    struct NodeState {
        int kind = 0;        // of the document
        uint64_t parent = 0; // none for a document's top node
        std::wstring content;
        bool operator==(const NodeState&) const = default;
    };
    using Snapshot = std::unordered_map<uint64_t, NodeState>;

    // The changes of the records pushed between two looks (more than one
    // when the records were pushed together); unknown when other changes
    // came in between.
    // openEnd: seen as the same history began its next step, whose first
    // change may have come before its first record (a node made and then
    // recorded), or changed then what it changed itself (its work under way
    // ended): the next segment of that history is one with it.
    struct Segment {
        std::vector<uint64_t> states;
        Change change;
        bool known = true;
        bool openEnd = false;
        int look = 0; // when it was last done, undone or redone
    };
    struct History {
        const void* owner = nullptr;
        int kind = -1;      // of the document it changes
        uint64_t scope = 0; // an editor's: the board its document is of, or the document
        std::string name;
        std::vector<uint64_t> undo, redo;
        std::vector<std::shared_ptr<Segment>> segments;
    };

    // A plane or an area naming a net: the name, the net of that name its
    // board holds (none: 0), the look since which it names that one.
    struct Naming {
        std::wstring name;
        uint64_t net = 0;
        int since = 0;
    };
    std::map<uint64_t, Naming> NamingNets(const Snapshot& snapshot) const {
        std::map<std::pair<uint64_t, std::wstring>, uint64_t> nets;
        std::map<uint64_t, Naming> naming;
        for (const auto& [id, state] : snapshot) {
            const auto [tag, text] = TagAndText(state);
            if (tag == L"Net") {
                nets.emplace(std::make_pair(state.parent, text), id);
                continue;
            }
            if (tag != L"Layer" && tag != L"Area")
                continue;
            const std::map<std::wstring, std::wstring> fields = Fields(&state);
            auto net = fields.find(L"Net"), type = fields.find(L"Type");
            const bool plane = tag == L"Area" || (type != fields.end() && type->second == L"PLANE");
            if (plane && net != fields.end() && !net->second.empty())
                naming.emplace(id, Naming{net->second, 0, looks_});
        }
        for (auto& [id, entry] : naming)
            if (auto it = nets.find({snapshot.at(id).parent, entry.name}); it != nets.end())
                entry.net = it->second;
        return naming;
    }
    // An object on a board's layer: its layer id, the stackup layer of that
    // id its board holds (none: 0), that layer's type and, for a plane, the
    // net it names (the net's node where the board holds one by that name,
    // so that a rename is no change), and the look since which it is so.
    struct Lying {
        std::wstring code;
        uint64_t layer = 0;
        std::wstring type;
        std::wstring net;
        uint64_t netNode = 0;
        int since = 0;
        bool Same(const Lying& other) const {
            return code == other.code && layer == other.layer && type == other.type &&
                   netNode == other.netNode && (netNode || net == other.net);
        }
    };
    static std::string Show(const Lying& lying) {
        return lying.layer ? "layer " + std::to_string(lying.layer) + " of type \"" +
                                 WideToUtf8(lying.type) + "\"" +
                                 (lying.net.empty() ? "" : " of net " + WideToUtf8(lying.net))
                           : std::string("no layer");
    }
    std::map<uint64_t, Lying> LyingOn(const Snapshot& snapshot) const {
        std::map<std::pair<uint64_t, std::wstring>, uint64_t> nets, layers;
        std::vector<uint64_t> objects;
        for (const auto& [id, state] : snapshot) {
            const auto [tag, text] = TagAndText(state);
            if (tag == L"Net")
                nets.emplace(std::make_pair(state.parent, text), id);
            else if (tag == L"Layer")
                layers.emplace(std::make_pair(state.parent, text), id);
            else if (tag == L"Conductor" || tag == L"Area" || tag == L"Text" || tag == L"Marking")
                objects.push_back(id);
        }
        auto boardOf = [&snapshot](uint64_t id) -> uint64_t {
            for (auto it = snapshot.find(id); it != snapshot.end() && it->second.parent;
                 it = snapshot.find(it->second.parent))
                if (auto parent = snapshot.find(it->second.parent);
                    parent != snapshot.end() && TagAndText(parent->second).first == L"Board")
                    return it->second.parent;
            return 0;
        };
        std::map<uint64_t, Lying> lying;
        for (uint64_t id : objects) {
            const std::map<std::wstring, std::wstring> fields = Fields(&snapshot.at(id));
            auto code = fields.find(L"Layer");
            const uint64_t board = code == fields.end() ? 0 : boardOf(id);
            if (!board)
                continue;
            Lying entry{code->second, 0, {}, {}, 0, looks_};
            if (auto layer = layers.find({board, code->second}); layer != layers.end()) {
                entry.layer = layer->second;
                const std::map<std::wstring, std::wstring> of = Fields(&snapshot.at(layer->second));
                auto type = of.find(L"Type"), net = of.find(L"Net");
                entry.type = type == of.end() ? std::wstring() : type->second;
                if (entry.type == L"PLANE" && net != of.end()) {
                    entry.net = net->second;
                    if (auto node = nets.find({board, net->second}); node != nets.end())
                        entry.netNode = node->second;
                }
            }
            lying.emplace(id, std::move(entry));
        }
        return lying;
    }
    // Whether node lies below top in the snapshot.
    static bool Holds(const Snapshot& snapshot, uint64_t top, uint64_t node) {
        for (auto it = snapshot.find(node); it != snapshot.end() && it->second.parent;
             it = snapshot.find(it->second.parent))
            if (it->second.parent == top)
                return true;
        return false;
    }
    void AddSegment(History& history, Segment segment) {
        segment.look = looks_;
        if (history.segments.empty() || !history.segments.back()->openEnd) {
            history.segments.push_back(std::make_shared<Segment>(std::move(segment)));
            return;
        }
        Segment& last = *history.segments.back();
        last.states.insert(last.states.end(), segment.states.begin(), segment.states.end());
        last.change = Compose(std::move(last.change), std::move(segment.change));
        last.known = last.known && segment.known;
        last.openEnd = segment.openEnd;
        last.look = looks_;
    }
    Snapshot Read() {
        Snapshot snapshot;
        for (int kind = 0; kind < 3; ++kind)
            Walk(&g_MainFrame.GetRoot(kind), 0, kind, snapshot);
        return snapshot;
    }
    static constexpr wchar_t kEnd = L'\x1f', kIs = L'\x1e';
    void Walk(CTreeNode* node, uint64_t parent, int kind, Snapshot& snapshot) {
        node->WriteAttributes();
        NodeState& state = snapshot[node->m_sequence];
        state.kind = kind;
        state.parent = parent;
        std::wstring& content = state.content;
        content.append(node->GetTagName()).push_back(kEnd);
        content.append(node->GetText()).push_back(kEnd);
        for (const auto& [name, value] : node->GetAttributes()) {
            // The name of the sheet an object lies on follows the sheet's
            // renames and the sheets that come and go by that name; the
            // walk checks it by itself.
            if (name == L"SheetName")
                continue;
            content.append(name).push_back(kIs);
            content.append(value).push_back(kEnd);
        }
        if (auto [it, fresh] = kinds_.try_emplace(node->m_sequence, kind); fresh)
            names_[node->m_sequence] =
                std::wstring(node->GetTagName()) + L" \"" + node->GetText().substr(0, 24) + L"\"";
        for (CTreeNode* child : node->GetChildren())
            Walk(child, node->m_sequence, kind, snapshot);
    }
    // A node's tag and text, as Walk wrote them.
    static std::pair<std::wstring, std::wstring> TagAndText(const NodeState& state) {
        const std::wstring& c = state.content;
        const size_t at = c.find(kEnd);
        return {c.substr(0, at), c.substr(at + 1, c.find(kEnd, at + 1) - at - 1)};
    }
    static bool HasNetNamed(const Snapshot& snapshot, uint64_t board, const std::wstring& name) {
        return std::any_of(snapshot.begin(), snapshot.end(), [&](const auto& entry) {
            return entry.second.parent == board &&
                   TagAndText(entry.second) == std::make_pair(std::wstring(L"Net"), name);
        });
    }
    // A net of a board that took a name no net of the board had, its old
    // name no net's after, was renamed (not merged): the board's planes and
    // areas naming it follow it, and so do the values every step keeps of
    // them. That following is no step's change; the steps' changes, and
    // what waits for a step, follow it instead.
    void FollowNetRenames(Change& change, const Snapshot& now) {
        std::vector<std::pair<std::wstring, std::wstring>> renames;
        std::vector<std::set<uint64_t>> followers;
        for (const auto& [key, values] : change) {
            auto node = now.find(key.first);
            if (key.second != kText || !values.first || !values.second || values.first->empty() ||
                node == now.end() || TagAndText(node->second).first != L"Net")
                continue;
            const uint64_t board = node->second.parent;
            if (HasNetNamed(last_, board, *values.second) || HasNetNamed(now, board, *values.first))
                continue;
            std::set<uint64_t> nodes;
            for (const auto& [id, state] : now)
                if (state.parent == board &&
                    (TagAndText(state).first == L"Layer" || TagAndText(state).first == L"Area"))
                    nodes.insert(id);
            renames.emplace_back(*values.first, *values.second);
            followers.push_back(std::move(nodes));
        }
        for (size_t i = 0; i < renames.size(); ++i) {
            const auto& [from, to] = renames[i];
            if (trace_)
                std::fprintf(stderr, "oracle:   planes and areas follow net %s renamed %s\n",
                             WideToUtf8(from).c_str(), WideToUtf8(to).c_str());
            auto follow = [&, from = from, to = to](Change& values) {
                for (auto it = values.begin(); it != values.end();) {
                    if (it->first.second == L"Net" && followers[i].count(it->first.first)) {
                        if (it->second.first == from)
                            it->second.first = to;
                        if (it->second.second == from)
                            it->second.second = to;
                        if (it->second.first == it->second.second) {
                            it = values.erase(it);
                            continue;
                        }
                    }
                    ++it;
                }
            };
            // The documents' change starts from the values as they follow.
            for (auto& [key, values] : change)
                if (key.second == L"Net" && followers[i].count(key.first) && values.first == from)
                    values.first = to;
            std::erase_if(change, [](const auto& entry) {
                return entry.second.first == entry.second.second;
            });
            follow(pending_);
            for (auto& [list, history] : histories_)
                for (const std::shared_ptr<Segment>& segment : history.segments)
                    follow(segment->change);
        }
    }
    // A node's fields as Walk wrote them: its parent, tag, text and each
    // attribute by name; none for no node.
    static std::map<std::wstring, std::wstring> Fields(const NodeState* state) {
        std::map<std::wstring, std::wstring> out;
        if (!state)
            return out;
        out[kParent] = state->parent ? std::to_wstring(state->parent)
                                     : L"document " + std::to_wstring(state->kind);
        const std::wstring& c = state->content;
        size_t at = c.find(kEnd);
        out[kTag] = c.substr(0, at);
        size_t next = c.find(kEnd, at + 1);
        out[kText] = c.substr(at + 1, next - at - 1);
        for (at = next + 1; at < c.size(); at = next + 1) {
            next = c.find(kEnd, at);
            const size_t is = c.find(kIs, at);
            out[c.substr(at, is - at)] = c.substr(is + 1, next - is - 1);
        }
        return out;
    }
    static Change Diff(const Snapshot& before, const Snapshot& after) {
        Change change;
        auto compare = [&](uint64_t id, const NodeState* a, const NodeState* b) {
            if (a && b && *a == *b)
                return;
            const auto was = Fields(a), is = Fields(b);
            for (const auto& [name, value] : was) {
                auto other = is.find(name);
                if (other == is.end())
                    change[{id, name}] = {value, std::nullopt};
                else if (other->second != value)
                    change[{id, name}] = {value, other->second};
            }
            for (const auto& [name, value] : is)
                if (!was.count(name))
                    change[{id, name}] = {std::nullopt, value};
        };
        for (const auto& [id, state] : before) {
            auto other = after.find(id);
            compare(id, &state, other == after.end() ? nullptr : &other->second);
        }
        for (const auto& [id, state] : after)
            if (!before.count(id))
                compare(id, nullptr, &state);
        return change;
    }
    std::map<const CUndoList*, History> ReadHistories() const {
        std::map<const CUndoList*, History> histories;
        auto add = [&](const CUndoList& list, const void* owner, int kind, std::string name) {
            History& h = histories[&list];
            h.owner = owner;
            h.kind = kind;
            h.name = std::move(name);
            for (size_t i = 0; i < list.UndoCount(); ++i)
                h.undo.push_back(list.UndoStateAt(i));
            for (size_t i = 0; i < list.RedoCount(); ++i)
                h.redo.push_back(list.RedoStateAt(i));
        };
        static const char* const trees[3] = {"the project tree", "the symbol tree",
                                             "the footprint tree"};
        for (int kind = 0; kind < 3; ++kind)
            if (CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(kind))
                add(tree->GetUndoList(), tree, kind, trees[kind]);
        for (CVorpelView* view : g_MainFrame.m_tabWindow.GetViews()) {
            add(view->GetUndoList(), view, KindOf(view->GetDocument()),
                "the editor of " + WideToUtf8(view->GetDocument()->GetTagName()) + " \"" +
                    WideToUtf8(view->GetDocument()->GetText()) + "\"");
            const CTreeNode* document = view->GetDocument();
            const CTreeNode* board =
                document->GetType() == NodeType::Board ? document : FindBoardAbove(document);
            histories[&view->GetUndoList()].scope = (board ? board : document)->m_sequence;
        }
        return histories;
    }
    // The change of the steps whose records lead to states, in the order
    // they were made; none when a part of it is unknown or a step was
    // taken only in part.
    std::optional<Change> Expected(const History& history, const std::vector<uint64_t>& states) {
        const std::set<uint64_t> taken(states.begin(), states.end());
        std::vector<const Segment*> segments;
        std::set<uint64_t> covered;
        for (const std::shared_ptr<Segment>& segment : history.segments) {
            const size_t in = static_cast<size_t>(
                std::count_if(segment->states.begin(), segment->states.end(),
                              [&taken](uint64_t id) { return taken.count(id) != 0; }));
            if (in == 0)
                continue;
            if (in != segment->states.size() || !segment->known) {
                segment->known = false;
                return std::nullopt;
            }
            segments.push_back(segment.get());
            covered.insert(segment->states.begin(), segment->states.end());
        }
        if (covered != taken)
            return std::nullopt;
        std::sort(segments.begin(), segments.end(), [](const Segment* a, const Segment* b) {
            return a->states.front() < b->states.front();
        });
        Change total;
        for (const Segment* segment : segments)
            for (const auto& [key, values] : segment->change) {
                auto it = total.find(key);
                if (it == total.end())
                    total.emplace(key, values);
                else
                    it->second.second = values.second;
            }
        std::erase_if(total,
                      [](const auto& entry) { return entry.second.first == entry.second.second; });
        ++checked_;
        return total;
    }
    // The document a node lies in, by the look that saw it last.
    int KindOf(uint64_t id, const Snapshot& now) const {
        if (auto it = now.find(id); it != now.end())
            return it->second.kind;
        auto it = kinds_.find(id);
        return it == kinds_.end() ? -1 : it->second;
    }
    static int KindOf(const CTreeNode* node) {
        while (node && node->GetParent())
            node = node->GetParent();
        for (int kind = 0; kind < 3; ++kind)
            if (node == &g_MainFrame.GetRoot(kind))
                return kind;
        return -1;
    }
    // Whether a node lies (or lay, when it left) under scope.
    bool Within(uint64_t id, uint64_t scope, const Snapshot& now) const {
        for (int depth = 0; id && depth < 100; ++depth) {
            if (id == scope)
                return true;
            auto it = now.find(id);
            if (it == now.end() && (it = last_.find(id)) == last_.end())
                return true;
            id = it->second.parent;
        }
        return false;
    }
    static Change Compose(Change first, const Change& then) {
        for (const auto& [key, values] : then) {
            auto it = first.find(key);
            if (it == first.end())
                first.emplace(key, values);
            else if ((it->second.second = values.second) == it->second.first)
                first.erase(it);
        }
        return first;
    }
    static Change Inverse(const Change& change) {
        Change inverse;
        for (const auto& [key, values] : change)
            inverse.emplace(key, std::make_pair(values.second, values.first));
        return inverse;
    }
    std::string Describe(const Key& key) const {
        auto name = names_.find(key.first);
        return (name == names_.end() ? std::string("a node") : WideToUtf8(name->second)) + " " +
               WideToUtf8(key.second);
    }
    static std::string Show(const Value& value) {
        return value ? "\"" + WideToUtf8(*value).substr(0, 60) + "\"" : std::string("(none)");
    }
    std::string Compare(const Change& expected, const Change& got, const std::string& whose,
                        bool undo) const {
        const std::string what = whose + "'s " + (undo ? "Undo" : "Redo");
        for (const auto& [key, values] : expected) {
            auto it = got.find(key);
            if (it == got.end())
                return what + " left " + Describe(key) + " as it was, not from " +
                       Show(values.first) + " to " + Show(values.second);
            // A node taken out goes with whatever values it had by then.
            auto parent = expected.find(Key{key.first, kParent});
            const bool removed = parent != expected.end() && !parent->second.second;
            if (it->second != values && !(removed && !it->second.second && !values.second))
                return what + " changed " + Describe(key) + " from " + Show(it->second.first) +
                       " to " + Show(it->second.second) + ", not from " + Show(values.first) +
                       " to " + Show(values.second);
        }
        for (const auto& [key, values] : got)
            if (!expected.count(key))
                return what + " changed " + Describe(key) + " from " + Show(values.first) + " to " +
                       Show(values.second) + ", which its steps left alone";
        return {};
    }

    Snapshot last_;
    Change pending_;
    // The histories an Undo began or ended in since the last look.
    std::set<const CUndoList*> undoing_;
    std::map<const CUndoList*, History> histories_;
    std::map<uint64_t, Naming> naming_;
    std::map<uint64_t, Lying> lying_;
    // Each object's lying before it last changed.
    std::map<uint64_t, Lying> lyingBefore_;
    std::unordered_map<uint64_t, std::wstring> names_;
    std::unordered_map<uint64_t, int> kinds_;
    int step_ = 0;
    unsigned seed_ = 0;
    int looks_ = 0, checked_ = 0, failures_ = 0;
    bool looking_ = false;
    // VORPEL_ORACLE_TRACE=1 prints each look, 2 also what changed, 3 also
    // what was read and what each history holds.
    const int traceLevel_ = std::getenv("VORPEL_ORACLE_TRACE")
                                ? std::max(1, std::atoi(std::getenv("VORPEL_ORACLE_TRACE")))
                                : 0;
    const bool trace_ = traceLevel_ > 0;
};
