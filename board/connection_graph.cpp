#include "board/connection_graph.h"

#include "board/conductor.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/padstack.h"
#include "board/point_cells.h"
#include "core/node_type.h"
#include "core/vorpel_view.h"
#include "platform/graphics.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/pin.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <utility>

// --- Graph -----------------------------------------------------------------

template <class Node, class Kind> Graph<Node, Kind>::~Graph() {
    DeleteBranch(nullptr);
}

template <class Node, class Kind> void Graph<Node, Kind>::DeleteBranch(Node* except) {
    struct Step {
        Graph* node;
        const Graph* from;
    };
    std::vector<Step> stack;
    for (Node* next : m_neighbours)
        if (next != except)
            stack.push_back({next, this});
    m_neighbours.clear();
    m_links.clear();
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        for (Node* next : step.node->m_neighbours)
            if (next != step.from)
                stack.push_back({next, step.node});
        // Emptied first, so that the node's own destructor has nothing left.
        step.node->m_neighbours.clear();
        step.node->m_links.clear();
        delete step.node;
    }
}

template <class Node, class Kind> void Graph<Node, Kind>::Link(Node* a, Node* b, Kind kind) {
    a->m_neighbours.push_back(b);
    a->m_links.push_back(kind);
    b->m_neighbours.push_back(a);
    b->m_links.push_back(kind);
}

template class Graph<GraphNode, LINK_TYPE>;

// --- GraphNode -------------------------------------------------------------

namespace {

// Calls visit(p, q, kind) for every link of node's tree (not through from),
// each neighbour's subtree before the link to that neighbour.
template <class Visit>
void ForEachLink(const GraphNode* node, const GraphNode* from, Visit&& visit) {
    struct Frame {
        const GraphNode* node;
        const GraphNode* from;
        size_t next;
        bool linkPending;
    };
    std::vector<Frame> stack{{node, from, 0, false}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.linkPending) {
            top.linkPending = false;
            visit(top.node, top.node->m_neighbours[top.next], top.node->m_links[top.next]);
            ++top.next;
            continue;
        }
        if (top.next >= top.node->m_neighbours.size()) {
            stack.pop_back();
            continue;
        }
        const GraphNode* child = top.node->m_neighbours[top.next];
        if (child == top.from) {
            ++top.next;
            continue;
        }
        top.linkPending = true;
        const GraphNode* parent = top.node;
        stack.push_back({child, parent, 0, false}); // top is stale from here
    }
}

// More strips than this along one airwire would only repeat the invalidated
// area; longer links get longer strips.
constexpr double kMaxAirwireStrips = 65536;

} // namespace

float GraphNode::NearestNodeTo(GraphNode* target, GraphNode** a, GraphNode** b,
                               const GraphNode* from) {
    GraphNode* best = this;
    float d = SquaredDistance(target, this);
    WalkTree(this, from, [&](GraphNode* n) {
        const float dn = SquaredDistance(target, n);
        if (dn < d) {
            d = dn;
            best = n;
        }
        return false;
    });
    *a = target;
    *b = best;
    return d;
}

float GraphNode::NearestNodePair(GraphNode* other, GraphNode** a, GraphNode** b,
                                 const GraphNode* from) {
    bool found = false;
    float d = 0;
    WalkTree(this, from, [&](GraphNode* n) {
        GraphNode *target = nullptr, *nearest = nullptr;
        const float dn = other->NearestNodeTo(n, &target, &nearest, nullptr);
        if (!found || dn < d) {
            found = true;
            d = dn;
            *a = target;
            *b = nearest;
        }
        return false;
    });
    return d;
}

void GraphNode::DrawAirwires(Graphics* g, const Pen* pen, const GraphNode* from) const {
    ForEachLink(this, from, [&](const GraphNode* p, const GraphNode* q, LINK_TYPE kind) {
        if (kind != LINK_AIRWIRE)
            return;
        const float left = std::min(p->m_x, q->m_x), bottom = std::min(p->m_y, q->m_y);
        if (g->IsVisible(left - 1, bottom - 1, std::fabs(q->m_x - p->m_x) + 2,
                         std::fabs(q->m_y - p->m_y) + 2))
            g->DrawLine(pen, p->m_x, p->m_y, q->m_x, q->m_y);
    });
}

void GraphNode::InvalidateAirwires(Graphics* g, CVorpelView* view, const GraphNode* from) const {
    if (!view)
        return;
    ForEachLink(this, from, [&](const GraphNode* p, const GraphNode* q, LINK_TYPE kind) {
        if (kind != LINK_AIRWIRE)
            return;
        const float dx = q->m_x - p->m_x, dy = q->m_y - p->m_y;
        const float length = std::max(std::fabs(dx), std::fabs(dy));
        if (!(length > 0) || !std::isfinite(length))
            return;
        const int steps = static_cast<int>(std::min(std::ceil(double(length)), kMaxAirwireStrips));
        const float sx = dx / static_cast<float>(steps), sy = dy / static_cast<float>(steps);
        for (int s = 0; s < steps; ++s) {
            RECT r = WorldRectToDeviceRect(g, p->m_x + static_cast<float>(s) * sx,
                                           p->m_y + static_cast<float>(s) * sy, sx, sy);
            r.left -= 2;
            r.top -= 2;
            r.right += 2;
            r.bottom += 2;
            view->InvalidateRect(&r, false);
        }
    });
}

// --- Touching islands ------------------------------------------------------

namespace {

// The nodes of the islands from a first index on, each with the index of its
// island (its key) and its place in the depth-first order of the island's
// tree from the island's node (its rank).
class TouchIndex {
public:
    struct Entry {
        GraphNode* node;
        uint32_t key;
        uint32_t rank;
    };

    // Islands for which skip(root) holds are left out.
    template <class Skip>
    TouchIndex(const std::vector<GraphNode*>& islands, size_t first, Skip&& skip)
        : m_cells(kCellSize) {
        for (size_t k = first; k < islands.size(); ++k) {
            if (skip(islands[k]))
                continue;
            uint32_t rank = 0;
            WalkTree(islands[k], nullptr, [&](GraphNode* n) {
                m_cells.Add(n->m_x, n->m_y, static_cast<uint32_t>(m_entries.size()));
                m_entries.push_back({n, static_cast<uint32_t>(k), rank++});
                return false;
            });
        }
        m_cells.Sort();
    }

    // The node at the same point as n of a present island with a key of at
    // least minKey: the lowest key, then the lowest rank (the first node a
    // search of the islands in list order meets). Null when none.
    const Entry* Find(const GraphNode* n, size_t minKey, const std::vector<char>& present) const {
        const Entry* best = nullptr;
        m_cells.ForEachNear(n->m_x, n->m_y, [&](uint32_t id, float x, float y) {
            const Entry& e = m_entries[id];
            if (e.key < minKey || !present[e.key] || !IsSamePoint(x, y, n->m_x, n->m_y))
                return;
            if (!best || e.key < best->key || (e.key == best->key && e.rank < best->rank))
                best = &e;
        });
        return best;
    }

private:
    static constexpr double kCellSize = 0.004; // four times the same-point distance
    PointCells m_cells;
    std::vector<Entry> m_entries;
};

// Walks start's whole tree; every node of it takes in, with a copper link,
// each present island (key at least minKey) that has a node at the same
// point, after that island's own tree has taken in what touches it. The
// islands taken in are marked absent.
void MergeWalk(const TouchIndex& index, GraphNode* start, size_t minKey,
               std::vector<char>& present) {
    struct Frame {
        std::vector<std::pair<GraphNode*, GraphNode*>> walk; // node, reached from
        GraphNode* current = nullptr;                        // the node being examined
        GraphNode* joining = nullptr; // the node found for it, linked once its tree is done
    };
    std::vector<Frame> frames(1);
    frames[0].walk.push_back({start, nullptr});
    while (!frames.empty()) {
        Frame& top = frames.back();
        if (top.joining) {
            GraphNode::Link(top.current, top.joining, LINK_COPPER);
            top.joining = nullptr;
        }
        if (top.current) {
            if (const TouchIndex::Entry* hit = index.Find(top.current, minKey, present)) {
                present[hit->key] = 0;
                top.joining = hit->node;
                Frame inner;
                inner.walk.push_back({hit->node, nullptr});
                frames.push_back(std::move(inner)); // top is stale from here
                continue;
            }
            top.current = nullptr;
        }
        if (top.walk.empty()) {
            frames.pop_back();
            continue;
        }
        const auto [node, from] = top.walk.back();
        top.walk.pop_back();
        // The walk goes on along the links the node had before it is
        // examined; the links it gains lead to trees already walked.
        for (size_t k = node->m_neighbours.size(); k-- > 0;)
            if (node->m_neighbours[k] != from)
                top.walk.push_back({node->m_neighbours[k], node});
        top.current = node;
    }
}

void DropAbsent(std::vector<GraphNode*>& islands, const std::vector<char>& present) {
    size_t kept = 0;
    for (size_t k = 0; k < islands.size(); ++k)
        if (present[k])
            islands[kept++] = islands[k];
    islands.resize(kept);
}

CPackage* FindPackageAbove(const CTreeNode* node) {
    for (CTreeNode* p = node->GetParent(); p; p = p->GetParent())
        if (p->GetType() == NodeType::Package)
            return static_cast<CPackage*>(p);
    return nullptr;
}

} // namespace

// --- CNet ------------------------------------------------------------------

GraphNode* CNet::FindGraphNodeAt(GraphNode* node, float x, float y, const GraphNode* from) {
    return WalkTree(node, from, [&](GraphNode* n) { return IsSamePoint(n->m_x, n->m_y, x, y); });
}

CConductor* CNet::FindConductorNearPoint(float x, float y) const {
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Conductor)
            continue;
        auto* conductor = static_cast<CConductor*>(child);
        for (const ConductorVertex& v : conductor->m_vertices)
            if (std::fabs(v.x - x) < 0.1f && std::fabs(v.y - y) < 0.1f)
                return conductor;
    }
    return nullptr;
}

void CNet::MergeTouchingIslands(GraphNode* start, size_t firstIndex) {
    if (!start || firstIndex >= m_islands.size())
        return;
    // An island that is start's own tree is not searched (start would find
    // itself).
    std::unordered_set<const GraphNode*> own;
    WalkTree(start, nullptr, [&](GraphNode* n) {
        own.insert(n);
        return false;
    });
    TouchIndex index(m_islands, firstIndex,
                     [&](const GraphNode* root) { return own.count(root) != 0; });
    std::vector<char> present(m_islands.size(), 1);
    MergeWalk(index, start, firstIndex, present);
    DropAbsent(m_islands, present);
}

void CNet::DeleteConnectionGraph() {
    for (GraphNode* island : m_islands)
        delete island;
    m_islands.clear();
}

void CNet::DrawAirwires(Graphics* g, COLORREF color) const {
    g->SetSmoothingMode(SmoothingModeDefault);
    const Pen pen(Color::FromColorRef(color, 0xFF), 0);
    if (!m_islands.empty())
        m_islands[0]->DrawAirwires(g, &pen, nullptr);
    g->SetSmoothingMode(SmoothingModeAntiAlias);
}

void CNet::BuildConnectionGraph(Graphics* g) {
    ++m_graphBuilds;
    CVorpelView* view = g ? g_pActiveView : nullptr;
    if (!m_islands.empty()) {
        m_islands[0]->InvalidateAirwires(g, view, nullptr);
        DeleteConnectionGraph();
    }

    // One chain of copper links per conductor; its last vertex stands for it.
    PointCells vertices(0.4); // four times the distance at which a vertex reaches a pad
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Conductor)
            continue;
        auto* conductor = static_cast<CConductor*>(child);
        GraphNode* previous = nullptr;
        for (const ConductorVertex& v : conductor->m_vertices) {
            auto* node = new GraphNode(v.x, v.y, nullptr, conductor);
            if (previous)
                GraphNode::Link(previous, node, LINK_COPPER);
            previous = node;
            vertices.Add(v.x, v.y, 0);
        }
        if (previous)
            m_islands.push_back(previous);
    }
    vertices.Sort();

    // Conductors meeting at a point become one island. Islands later in the
    // list are still single conductors when an earlier one looks at them, so
    // one index of all of them serves every island.
    {
        TouchIndex index(m_islands, 0, [](const GraphNode*) { return false; });
        std::vector<char> present(m_islands.size(), 1);
        for (size_t i = 0; i < m_islands.size(); ++i)
            if (present[i])
                MergeWalk(index, m_islands[i], i + 1, present);
        DropAbsent(m_islands, present);
    }

    // Every pad of the net's pins that no conductor reaches is an island.
    for (CPin* pin : m_pins) {
        CPackage* package = FindPackageAbove(pin);
        CFootprint* footprint = package ? package->GetFootprint() : nullptr;
        if (!footprint)
            continue;
        for (CTreeNode* padstack : footprint->GetChildren()) {
            if (padstack->GetType() != NodeType::Padstack)
                continue;
            for (CTreeNode* child : padstack->GetChildren()) {
                if (child->GetType() != NodeType::Pad)
                    continue;
                auto* pad = static_cast<CPad*>(child);
                // A pad without a number belongs to no pin.
                if (pad->m_num.empty() || !pin->HasPadName(pad->m_num))
                    continue;
                const PointF at = pad->GetBoardPosition();
                bool reached = false;
                vertices.ForEachNear(at.X, at.Y, [&](uint32_t, float x, float y) {
                    reached = reached || (std::fabs(x - at.X) < 0.1f && std::fabs(y - at.Y) < 0.1f);
                });
                if (!reached)
                    m_islands.push_back(new GraphNode(at.X, at.Y, pad, nullptr));
            }
        }
    }

    LinkIslandsByAirwires(m_islands);

    if (!m_islands.empty())
        m_islands[0]->InvalidateAirwires(g, view, nullptr);
}

// --- The airwire passes, every pair compared -------------------------------

void LinkIslandsPairwise(std::vector<GraphNode*>& islands) {
    while (islands.size() > 1) {
        for (size_t i = 0; i < islands.size();) {
            size_t best = i == 0 ? 1 : 0;
            GraphNode *a = nullptr, *b = nullptr;
            float d = islands[i]->NearestNodePair(islands[best], &a, &b, nullptr);
            for (size_t j = 0; j < islands.size(); ++j) {
                if (j == i || j == best)
                    continue;
                GraphNode *a2 = nullptr, *b2 = nullptr;
                const float d2 = islands[i]->NearestNodePair(islands[j], &a2, &b2, nullptr);
                if (d2 < d) {
                    best = j;
                    d = d2;
                    a = a2;
                    b = b2;
                }
            }
            GraphNode::Link(a, b, LINK_AIRWIRE);
            islands.erase(islands.begin() + static_cast<std::ptrdiff_t>(best));
            if (best > i)
                ++i;
        }
    }
}
