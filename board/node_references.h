// How one node of a board names another other than by holding it: the
// board layer it lies on (by id), the net a pin holds (by address) or a
// plane or area names (by name). The other direction is each named node's
// own CTreeNode::ForEachReferrer.
#pragma once

#include <functional>

class CTreeNode;

// Every node that node names: what holds it (a track's net, a part's
// package), the board layer it lies on, the net of a pin, plane or area.
// A history's step on node may change what these find by it, so the
// steps of other histories on them are looked at too.
void ForEachReferent(const CTreeNode* node, const std::function<void(const CTreeNode*)>& visit);
