// The connection graph of a net's board side: one node per conductor vertex
// and per pad that no conductor reaches, copper links along conductors and
// between touching ones, and airwire links that join the separate pieces
// (islands) by their shortest connections. The links of a net form a forest
// of trees (each link is stored in both of its nodes), so every walk below
// goes from a node through its neighbours, never back to the node it came
// from. All walks keep their own stacks: a net may have many thousands of
// nodes in one chain.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CConductor;
class CPad;
class CVorpelView;
class Graphics;
class Pen;

enum LINK_TYPE : int {
    LINK_AIRWIRE = 1, // an unrouted connection, drawn
    LINK_COPPER = 2,  // along a conductor, or between two nodes at the same place
};

template <class Node, class Kind> class Graph {
public:
    Graph() = default;
    Graph(const Graph&) = delete;
    Graph& operator=(const Graph&) = delete;
    // Deletes every node reachable from this one.
    virtual ~Graph();

    // Deletes every node reachable from this one except through the given
    // neighbour, and empties this node's lists.
    void DeleteBranch(Node* except);
    // Links the two nodes with the kind: each gets the other appended.
    static void Link(Node* a, Node* b, Kind kind);

    std::vector<Node*> m_neighbours;
    std::vector<Kind> m_links; // m_links[k] is the kind of the link to m_neighbours[k]
};

class GraphNode : public Graph<GraphNode, LINK_TYPE> {
public:
    GraphNode(float x, float y, CPad* pad, CConductor* conductor)
        : m_x(x), m_y(y), m_pPad(pad), m_pConductor(conductor) {}
    ~GraphNode() override = default;

    // Over the tree of this node (not through from), the first node in
    // depth-first order with the smallest squared distance to target; *a
    // receives target, *b the node found. Returns the squared distance.
    float NearestNodeTo(GraphNode* target, GraphNode** a, GraphNode** b, const GraphNode* from);
    // The closest pair between this node's tree (not through from) and the
    // other node's whole tree: the first pair in depth-first order of this
    // tree, then of the other. *a lies in this tree, *b in the other.
    float NearestNodePair(GraphNode* other, GraphNode** a, GraphNode** b, const GraphNode* from);
    // Draws every airwire of the tree (each neighbour's subtree before the
    // link to it) whose box grown by 1 mm is visible.
    void DrawAirwires(Graphics* g, const Pen* pen, const GraphNode* from) const;
    // Invalidates, without erasing, the strips of the view's window along
    // every airwire of the tree; nothing without a view.
    void InvalidateAirwires(Graphics* g, CVorpelView* view, const GraphNode* from) const;

    float m_x;
    float m_y;
    CPad* m_pPad;             // not owned; null for a conductor vertex
    CConductor* m_pConductor; // not owned; null for a pad
};

extern template class Graph<GraphNode, LINK_TYPE>;

// The squared distance of two nodes as the airwire search compares it.
inline float SquaredDistance(const GraphNode* a, const GraphNode* b) {
    const float dx = a->m_x - b->m_x;
    const float dy = a->m_y - b->m_y;
    return dx * dx + dy * dy;
}

// True when the two points are the same board point (|dx|, |dy| < 0.001).
inline bool IsSamePoint(float x1, float y1, float x2, float y2) {
    const float dx = x1 - x2, dy = y1 - y2;
    return (dx < 0 ? -dx : dx) < 0.001f && (dy < 0 ? -dy : dy) < 0.001f;
}

// Visits the nodes of node's tree (not through from) depth-first, the node
// itself first, then each neighbour's subtree in neighbour order. The visit
// returns true to stop; the result is the node it stopped at, else null.
template <class Visit> GraphNode* WalkTree(GraphNode* node, const GraphNode* from, Visit&& visit) {
    struct Step {
        GraphNode* node;
        const GraphNode* from;
    };
    std::vector<Step> stack{{node, from}};
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        if (visit(step.node))
            return step.node;
        const std::vector<GraphNode*>& next = step.node->m_neighbours;
        for (size_t k = next.size(); k-- > 0;)
            if (next[k] != step.from)
                stack.push_back({next[k], step.node});
    }
    return nullptr;
}

// Joins the islands with airwires until at most one is left. Each pass
// takes the islands in list order; each links its closest pair of nodes to
// the nearest other island (equal distances: the island earlier in the
// list, then the pair met first walking both trees), and that island leaves
// the list. This one answers each island from a grid of all nodes.
void LinkIslandsByAirwires(std::vector<GraphNode*>& islands);
// The same passes comparing every pair of nodes of every pair of islands;
// taken when coordinates are too large or not finite for the grid.
void LinkIslandsPairwise(std::vector<GraphNode*>& islands);
