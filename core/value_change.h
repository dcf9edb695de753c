// What one step changed of a record's plain values (a position, a layer, a
// flag, a net), field by field: each value before the step and as the step
// left it, of which only those that differ count as the step's change. It
// does for a record's own fields what AttributeChange does for a node's
// attribute map: putting the step back changes only what it changed, so
// what other histories changed since stays, and once another history
// changed what the step changed the step no longer finds it as it left it.
// The record hands the live fields over as a tuple (std::tie of them).
#pragma once

#include <cstddef>
#include <tuple>
#include <utility>

template <class... T> class ValueChange {
public:
    using Values = std::tuple<T...>;

    // Before the change: the step changed nothing yet.
    explicit ValueChange(const Values& now) : m_before(now), m_left(now) {}

    // The record's own history changed the fields since (the step itself
    // among them): what they hold now is what the step left.
    void TakeCurrent(const Values& now) { m_left = now; }
    // Another history changed them: what the step did not change follows.
    void TakeOthers(const Values& now) {
        ForEachField([&](auto i) {
            if (std::get<i>(m_before) == std::get<i>(m_left))
                std::get<i>(m_before) = std::get<i>(m_left) = std::get<i>(now);
        });
    }
    // True when every field the step changed holds what the step left.
    bool FindsAsLeft(const Values& now) const {
        bool same = true;
        ForEachField([&](auto i) {
            same = same && (std::get<i>(m_before) == std::get<i>(m_left) ||
                            std::get<i>(now) == std::get<i>(m_left));
        });
        return same;
    }
    bool IsEmpty() const { return m_before == m_left; }
    // Whether the step changed field I.
    template <std::size_t I> bool Changed() const {
        return !(std::get<I>(m_before) == std::get<I>(m_left));
    }

    // Writes the values before the step into the live fields the step
    // changed and returns the change that does the opposite. Whatever the
    // fields hold now counts as left by the step.
    template <class... Live> ValueChange PutBack(std::tuple<Live&...> live) {
        TakeCurrent(Values(live));
        ValueChange inverse(m_left);
        ForEachField([&](auto i) {
            if (!(std::get<i>(m_before) == std::get<i>(m_left))) {
                std::get<i>(live) = std::get<i>(m_before);
                std::get<i>(inverse.m_left) = std::get<i>(m_before);
            }
        });
        return inverse;
    }

    // Field I of the values before the step and as left, both handed to f:
    // for a change every copy follows (a tie let go of).
    template <std::size_t I, class F> void ForBothValuesOf(const F& f) {
        f(std::get<I>(m_before));
        f(std::get<I>(m_left));
    }

    const Values& Before() const { return m_before; }
    const Values& Left() const { return m_left; }

private:
    template <class F> static void ForEachField(const F& f) {
        ForEachIndex(f, std::index_sequence_for<T...>{});
    }
    template <class F, std::size_t... I>
    static void ForEachIndex(const F& f, std::index_sequence<I...>) {
        (f(std::integral_constant<std::size_t, I>{}), ...);
    }

    Values m_before;
    Values m_left;
};
