// The pads of the padstacks a node holds: a footprint's pads, or a net's
// via pads, in order.
#pragma once

#include "board/pad.h"
#include "core/node_type.h"
#include "core/tree_node.h"

// The first of those pads that found accepts, or null.
template <class F> CPad* FindPadIn(const CTreeNode* holder, F found) {
    for (CTreeNode* child : holder->GetChildren())
        if (child->GetType() == NodeType::Padstack)
            for (CTreeNode* pad : child->GetChildren())
                if (pad->GetType() == NodeType::Pad && found(static_cast<CPad*>(pad)))
                    return static_cast<CPad*>(pad);
    return nullptr;
}

// Each of those pads.
template <class F> void ForEachPadIn(const CTreeNode* holder, F f) {
    FindPadIn(holder, [&](CPad* pad) {
        f(pad);
        return false;
    });
}
