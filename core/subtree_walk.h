// Every node of a subtree, the top first, depth first: a node's children
// are visited when visit returns true for it.
#pragma once

#include <vector>

template <class Node, class Visit> void ForEachInSubtree(Node* top, Visit visit) {
    std::vector<Node*> stack{top};
    while (!stack.empty()) {
        Node* node = stack.back();
        stack.pop_back();
        if (visit(node))
            for (Node* child : node->GetChildren())
                stack.push_back(child);
    }
}
