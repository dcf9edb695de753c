// A board view's index of the board's drawable objects: one set per board
// layer (0-31) and set 32 for what is drawn above every layer (padstacks and
// nets). It owns nothing; a node leaves the index before it is destroyed.
// The sets are ordered by node creation, so drawing order is stable.
#pragma once

#include "core/tree_node.h"

#include <array>
#include <set>

class CFootprint;
class CPadstack;

class CBoardLayerIndex {
public:
    static constexpr int kSetCount = 33;
    static constexpr int kTopSet = 32;
    using NodeSet = std::set<CTreeNode*, NodeSequenceLess>;

    void Clear();
    void Build(CTreeNode* board);
    void AddFootprint(CFootprint* footprint);
    void RemoveFootprint(CFootprint* footprint);
    void AddPadstack(CPadstack* padstack);
    void RemovePadstack(CPadstack* padstack);
    // A pad layer alone (inserted into or deleted from a padstack that is
    // indexed): the sets its padstack would give it.
    void AddPadLayer(CTreeNode* padLayer);
    void RemovePadLayer(CTreeNode* padLayer);
    // A node changing layer goes from the set of its present layer to that
    // of layer `to`. One the index does not hold stays out: a package's text
    // is drawn only while the package has a footprint.
    void MoveToLayer(CTreeNode* node, int to);
    void Add(CTreeNode* node);
    void AddToSet(CTreeNode* node, int set);
    void Remove(CTreeNode* node);
    void RemoveFromSet(CTreeNode* node, int set);

    const NodeSet& GetSet(int set) const { return m_sets[static_cast<std::size_t>(set)]; }
    bool Contains(const CTreeNode* node, int set) const;
    // Sets holding the node, for checks.
    std::size_t CountSetsHolding(const CTreeNode* node) const;

private:
    // The sets an INR or PLN pad layer goes to on its board.
    template <class F> void ForPadLayerSets(CPadstack* padstack, CTreeNode* padLayer, F f);

    std::array<NodeSet, kSetCount> m_sets;
};
