// Every net's connection graph is the one a fresh build from what the net
// holds now makes: no pad node left where a footprint stood before a move,
// no conductor that left the net still drawn with airwires. The graph is
// compared as text (each island's nodes depth-first with their places,
// the pad or conductor they stand for and their links) with a graph built
// anew beside it; the net keeps the graph it had.
#pragma once

#include "board/connection_graph.h"
#include "core/node_type.h"
#include "core/subtree_walk.h"
#include "core/tree_node.h"
#include "platform/text.h"
#include "schematic/net.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

inline std::string DescribeNetGraph(const std::vector<GraphNode*>& islands) {
    std::string text;
    for (GraphNode* island : islands) {
        std::map<const GraphNode*, int> id;
        std::vector<GraphNode*> order;
        WalkTree(island, nullptr, [&](GraphNode* n) {
            id[n] = static_cast<int>(order.size());
            order.push_back(n);
            return false;
        });
        text += "island\n";
        for (GraphNode* n : order) {
            // The pad and the conductor by address only: a stale graph may
            // name one that is gone.
            char line[128];
            std::snprintf(line, sizeof line, "%d@%.4f,%.4f pad %jx conductor %jx:", id[n],
                          static_cast<double>(n->m_x), static_cast<double>(n->m_y),
                          static_cast<uintmax_t>(reinterpret_cast<uintptr_t>(n->m_pPad)),
                          static_cast<uintmax_t>(reinterpret_cast<uintptr_t>(n->m_pConductor)));
            text += line;
            for (size_t k = 0; k < n->m_neighbours.size(); ++k)
                text += " " + std::to_string(id[n->m_neighbours[k]]) + "/" +
                        std::to_string(static_cast<int>(n->m_links[k]));
            text += "\n";
        }
    }
    return text;
}

// Every net under top whose graph was built at least once (a net a sheet
// made that no board step looked at yet has none to compare), but the nets
// of routes under way: their graphs follow when the route ends.
inline ::testing::AssertionResult
NetGraphsAreFresh(CTreeNode* top, const std::vector<const CTreeNode*>& underWay = {}) {
    std::vector<CNet*> nets;
    ForEachInSubtree(top, [&](CTreeNode* node) {
        if (node->GetType() != NodeType::Net)
            return true;
        nets.push_back(static_cast<CNet*>(node));
        return false;
    });
    for (CNet* net : nets) {
        if (net->m_graphBuilds == 0 ||
            std::any_of(underWay.begin(), underWay.end(),
                        [net](const CTreeNode* node) { return node && node->GetParent() == net; }))
            continue;
        const std::string kept = DescribeNetGraph(net->m_islands);
        std::vector<GraphNode*> islands = std::exchange(net->m_islands, {});
        const int builds = net->m_graphBuilds;
        net->BuildConnectionGraph(nullptr);
        const std::string fresh = DescribeNetGraph(net->m_islands);
        net->DeleteConnectionGraph();
        net->m_islands = std::move(islands);
        net->m_graphBuilds = builds;
        if (kept != fresh)
            return ::testing::AssertionFailure()
                   << "net " << WideToUtf8(net->GetText()) << " keeps a graph\n"
                   << kept << "where a fresh build makes\n"
                   << fresh;
    }
    return ::testing::AssertionSuccess();
}
